#include "platform/ui/CommonDialogs.h"
#include "platform/ui/PrintInfo.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/DialogAutomation.h"

#include <cstring>

using DialogAutomation::CommonAnswer;
using DialogAutomation::CommonKind;
using DialogAutomation::CommonRequest;

IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)
IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CPrintDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CColorDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CFontDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CFindReplaceDialog, CCommonDialog)

namespace {

thread_local DWORD t_lastError = 0;

std::string FilterText(LPCSTR zeroSeparated) {
  std::string out;
  if (!zeroSeparated) return out;
  for (const char* p = zeroSeparated; *p; p += strlen(p) + 1) {
    out += p;
    out += '|';
  }
  if (!out.empty()) out += '|';
  return out;
}

bool IsSep(char c) { return c == '\\' || c == '/'; }

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return IsSep(dir.back()) ? dir + name : dir + "\\" + name;
}

bool IsAbsolute(const std::string& p) {
  return !p.empty() && (IsSep(p[0]) || (p.size() >= 2 && p[1] == ':'));
}

// The part after the last separator, and the extension's start (npos: none).
size_t NameStart(const std::string& p) {
  size_t i = p.find_last_of("\\/");
  return i == std::string::npos ? 0 : i + 1;
}
size_t ExtStart(const std::string& p) {
  size_t n = NameStart(p);
  size_t d = p.rfind('.');
  return d == std::string::npos || d < n ? std::string::npos : d + 1;
}

// Runs a file dialog on an OPENFILENAME: the scripted answer, checked as the dialog would check it.
BOOL RunFileDialog(OPENFILENAME* ofn, bool open) {
  t_lastError = 0;
  if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) {
    t_lastError = 0xFFFF;
    return FALSE;
  }
  CommonRequest req;
  req.kind = open ? CommonKind::FileOpen : CommonKind::FileSave;
  req.title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
  req.initialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
  req.fileName = std::string(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
  req.filter = FilterText(ofn->lpstrFilter);
  req.defExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
  req.flags = ofn->Flags;
  CommonAnswer a = DialogAutomation::Answer(req);
  if (!a.ok || a.path.empty()) return FALSE;
  std::vector<std::string> files;
  size_t start = 0;
  while (start <= a.path.size()) {
    size_t nl = a.path.find('\n', start);
    std::string one = a.path.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!one.empty()) files.push_back(one);
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  if (files.empty()) return FALSE;
  if (files.size() > 1 && !(ofn->Flags & OFN_ALLOWMULTISELECT)) files.resize(1);
  for (std::string& f : files) {
    if (!IsAbsolute(f) && !req.initialDir.empty()) f = Join(req.initialDir, f);
    if (ofn->lpstrDefExt && *ofn->lpstrDefExt && ExtStart(f) == std::string::npos) f += std::string(".") + ofn->lpstrDefExt;
    DWORD attr = ::GetFileAttributes(f.c_str());
    bool exists = attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
    if ((ofn->Flags & OFN_FILEMUSTEXIST) && !exists) {
      std::string text = f + "\nFile not found.\nPlease verify the correct file name was given.";
      ::AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
      return FALSE;
    }
    if ((ofn->Flags & OFN_PATHMUSTEXIST)) {
      std::string dir = f.substr(0, NameStart(f));
      DWORD da = dir.empty() ? FILE_ATTRIBUTE_DIRECTORY : ::GetFileAttributes(dir.c_str());
      if (da == INVALID_FILE_ATTRIBUTES || !(da & FILE_ATTRIBUTE_DIRECTORY)) {
        std::string text = f + "\nPath does not exist.\nPlease verify the correct path was given.";
        ::AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
      }
    }
    if (!open && (ofn->Flags & OFN_OVERWRITEPROMPT) && exists) {
      std::string text = f + " already exists.\nDo you want to replace it?";
      if (::AfxMessageBox(text.c_str(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return FALSE;
    }
  }
  std::string out;
  if (files.size() == 1) {
    out = files[0];
    out.push_back('\0');
  } else {
    // The folder, then each name, each ended by a zero, and a final zero.
    std::string dir = files[0].substr(0, NameStart(files[0]));
    if (!dir.empty() && IsSep(dir.back()) && dir.size() > 1) dir.pop_back();
    out = dir;
    out.push_back('\0');
    for (const std::string& f : files) {
      out += f.substr(NameStart(f));
      out.push_back('\0');
    }
  }
  out.push_back('\0');
  if (out.size() > ofn->nMaxFile) {
    t_lastError = FNERR_BUFFERTOOSMALL;
    if (ofn->nMaxFile >= 2) *(WORD*)ofn->lpstrFile = (WORD)std::min<size_t>(out.size(), 0xFFFF);
    return FALSE;
  }
  memcpy(ofn->lpstrFile, out.data(), out.size());
  if (files.size() == 1) {
    ofn->nFileOffset = (WORD)NameStart(files[0]);
    size_t e = ExtStart(files[0]);
    ofn->nFileExtension = (WORD)(e == std::string::npos ? files[0].size() : e);
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle) {
      std::string title = files[0].substr(NameStart(files[0]));
      size_t n = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
      memcpy(ofn->lpstrFileTitle, title.data(), n);
      ofn->lpstrFileTitle[n] = 0;
    }
  } else {
    ofn->nFileOffset = (WORD)(strlen(ofn->lpstrFile) + 1);
    ofn->nFileExtension = 0;
  }
  if (a.filterIndex > 0) ofn->nFilterIndex = (DWORD)a.filterIndex;
  return TRUE;
}

}  // namespace

BOOL GetOpenFileName(LPOPENFILENAME ofn) { return RunFileDialog(ofn, true); }
BOOL GetSaveFileName(LPOPENFILENAME ofn) { return RunFileDialog(ofn, false); }
DWORD CommDlgExtendedError() { return t_lastError; }

// ---- CFileDialog ----------------------------------------------------------------------------------------

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd, DWORD)
    : CCommonDialog(pParentWnd), m_bOpenFileDialog(bOpenFileDialog) {
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = sizeof m_szFileName;
  m_ofn.lpstrFileTitle = m_szFileTitle;
  m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
  m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK;
  if (lpszDefExt) {
    m_defExt = lpszDefExt;
    m_ofn.lpstrDefExt = m_defExt.c_str();
  }
  if (lpszFileName) strncpy(m_szFileName, lpszFileName, sizeof m_szFileName - 1);
  if (lpszFilter) {
    m_filterText = lpszFilter;
    m_filter = lpszFilter;
    for (char& c : m_filter)
      if (c == '|') c = '\0';
    m_filter.push_back('\0');
    m_ofn.lpstrFilter = m_filter.c_str();
  }
}

INT_PTR CFileDialog::DoModal() {
  m_ofn.hwndOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
  BOOL ok = m_bOpenFileDialog ? ::GetOpenFileName(&m_ofn) : ::GetSaveFileName(&m_ofn);
  return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
  if ((m_ofn.Flags & OFN_ALLOWMULTISELECT) && m_ofn.nFileOffset > 0 && m_szFileName[m_ofn.nFileOffset - 1] == '\0') {
    POSITION pos = GetStartPosition();
    return GetNextPathName(pos);
  }
  return m_szFileName;
}

CString CFileDialog::GetFileName() const {
  std::string p = GetPathName().GetString();
  return p.substr(NameStart(p)).c_str();
}

CString CFileDialog::GetFileExt() const {
  std::string p = GetPathName().GetString();
  size_t e = ExtStart(p);
  return e == std::string::npos ? CString() : CString(p.substr(e).c_str());
}

CString CFileDialog::GetFileTitle() const {
  std::string name = GetFileName().GetString();
  size_t d = name.rfind('.');
  return d == std::string::npos ? CString(name.c_str()) : CString(name.substr(0, d).c_str());
}

CString CFileDialog::GetFolderPath() const {
  std::string p = GetPathName().GetString();
  size_t n = NameStart(p);
  return n ? CString(p.substr(0, n - 1).c_str()) : CString();
}

POSITION CFileDialog::GetStartPosition() const { return m_szFileName[0] ? (POSITION)m_szFileName : nullptr; }

CString CFileDialog::GetNextPathName(POSITION& pos) const {
  const char* p = (const char*)pos;
  if (!p) return CString();
  bool multi = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && m_ofn.nFileOffset > 0 && m_szFileName[m_ofn.nFileOffset - 1] == '\0';
  if (!multi) {
    pos = nullptr;
    return m_szFileName;
  }
  if (p == m_szFileName) p += m_ofn.nFileOffset;
  std::string name = p;
  const char* next = p + name.size() + 1;
  pos = *next ? (POSITION)next : nullptr;
  return Join(m_szFileName, name).c_str();
}

// ---- Print ---------------------------------------------------------------------------------------------

namespace {

HGLOBAL NewDevMode() {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODE));
  if (auto* dm = (DEVMODE*)GlobalLock(h)) GetPrinterDevMode(dm);
  GlobalUnlock(h);
  return h;
}

HGLOBAL NewDevNames() {
  std::vector<BYTE> names = GetPrinterDevNames();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, names.size());
  if (void* p = GlobalLock(h)) memcpy(p, names.data(), names.size());
  GlobalUnlock(h);
  return h;
}

CString DevName(HGLOBAL names, int which) {
  if (!names || GlobalSize(names) < sizeof(DEVNAMES)) return CString();
  auto* dn = (const DEVNAMES*)GlobalLock(names);
  SIZE_T size = GlobalSize(names);
  WORD off = which == 0 ? dn->wDriverOffset : which == 1 ? dn->wDeviceOffset : dn->wOutputOffset;
  CString s;
  if (off < size) s = CString(std::string((const char*)dn + off, strnlen((const char*)dn + off, size - off)).c_str());
  GlobalUnlock(names);
  return s;
}

// Blocks too short for their headers (from a file, say) are replaced as missing ones are: the dialog
// and the device context read and write their fields.
void FillDefaults(PRINTDLG* pd) {
  if (pd->hDevMode && GlobalSize(pd->hDevMode) < DEVMODE_MIN_SIZE) pd->hDevMode = GlobalFree(pd->hDevMode);
  if (pd->hDevNames && GlobalSize(pd->hDevNames) < sizeof(DEVNAMES)) pd->hDevNames = GlobalFree(pd->hDevNames);
  if (!pd->hDevMode) pd->hDevMode = NewDevMode();
  if (!pd->hDevNames) pd->hDevNames = NewDevNames();
}

HDC CreateDCFrom(const PRINTDLG* pd, bool ic) {
  CString driver = DevName(pd->hDevNames, 0), device = DevName(pd->hDevNames, 1), port = DevName(pd->hDevNames, 2);
  // A copy: the block may be shorter than the structure the device context reads.
  DEVMODE copy{};
  const DEVMODE* dm = nullptr;
  const SIZE_T have = pd->hDevMode ? GlobalSize(pd->hDevMode) : 0;
  if (have >= DEVMODE_MIN_SIZE)
    if (const void* p = GlobalLock(pd->hDevMode)) {
      std::memcpy(&copy, p, std::min<SIZE_T>(have, sizeof(copy)));
      dm = &copy;
      GlobalUnlock(pd->hDevMode);
    }
  return ic ? ::CreateIC(driver, device, port, dm) : ::CreateDC(driver, device, port, dm);
}

}  // namespace

BOOL PrintDlg(LPPRINTDLG pd) {
  if (!pd) return FALSE;
  if (pd->Flags & PD_RETURNDEFAULT) {
    // Only the defaults are asked for: the handles must not be set yet.
    if (pd->hDevMode || pd->hDevNames) return FALSE;
    FillDefaults(pd);
  } else {
    CommonRequest req;
    req.kind = (pd->Flags & PD_PRINTSETUP) ? CommonKind::PrintSetup : CommonKind::Print;
    req.flags = pd->Flags;
    CommonAnswer a = DialogAutomation::Answer(req);
    if (!a.ok) return FALSE;
    FillDefaults(pd);
    pd->Flags |= a.flags;
    if (a.fromPage > 0 || a.toPage > 0) {
      // The range is one choice of three: pages, not the selection.
      pd->Flags = (pd->Flags & ~PD_SELECTION) | PD_PAGENUMS;
      pd->nFromPage = (WORD)std::max(a.fromPage, (int)pd->nMinPage);
      pd->nToPage = (WORD)std::min(std::max(a.toPage, a.fromPage), pd->nMaxPage ? (int)pd->nMaxPage : 0xFFFF);
    }
    if (a.orientation && pd->hDevMode)
      if (auto* dm = (DEVMODE*)GlobalLock(pd->hDevMode)) {
        dm->dmOrientation = a.orientation;
        dm->dmFields |= DM_ORIENTATION;
        GlobalUnlock(pd->hDevMode);
      }
    if (a.copies > 0) pd->nCopies = (WORD)a.copies;
    // The printer keeps the copies itself when the caller asks so.
    if (a.copies > 0 && (pd->Flags & PD_USEDEVMODECOPIES) && pd->hDevMode)
      if (auto* dm = (DEVMODE*)GlobalLock(pd->hDevMode)) dm->dmCopies = (SHORT)a.copies, GlobalUnlock(pd->hDevMode);
  }
  if (pd->Flags & (PD_RETURNDC | PD_RETURNIC)) pd->hDC = CreateDCFrom(pd, (pd->Flags & PD_RETURNIC) && !(pd->Flags & PD_RETURNDC));
  return TRUE;
}

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : CCommonDialog(pParentWnd), m_pd(m_pdActual) {
  m_pd.lStructSize = sizeof m_pd;
  m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
  m_pd.nCopies = 1;
  m_pd.nFromPage = m_pd.nToPage = 1;
  m_pd.nMinPage = 1;
  m_pd.nMaxPage = 0xFFFF;
  AfxEnsurePrintResources();
}

CPrintDialog::~CPrintDialog() {
  if (m_pd.hDevMode) GlobalFree(m_pd.hDevMode);
  if (m_pd.hDevNames) GlobalFree(m_pd.hDevNames);
  if (m_pd.hDC) ::DeleteDC(m_pd.hDC);
}

INT_PTR CPrintDialog::DoModal() {
  m_pd.hwndOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
  if (m_pd.hDC) {
    ::DeleteDC(m_pd.hDC);
    m_pd.hDC = nullptr;
  }
  return ::PrintDlg(&m_pd) ? IDOK : IDCANCEL;
}

BOOL CPrintDialog::GetDefaults() {
  DWORD keep = m_pd.Flags;
  if (m_pd.hDevMode) GlobalFree(m_pd.hDevMode);
  if (m_pd.hDevNames) GlobalFree(m_pd.hDevNames);
  m_pd.hDevMode = m_pd.hDevNames = nullptr;
  m_pd.Flags |= PD_RETURNDEFAULT;
  BOOL ok = ::PrintDlg(&m_pd);
  m_pd.Flags = keep;
  return ok;
}

HDC CPrintDialog::CreatePrinterDC() {
  if (!m_pd.hDevNames) FillDefaults(&m_pd);
  if (m_pd.hDC) ::DeleteDC(m_pd.hDC);
  m_pd.hDC = CreateDCFrom(&m_pd, false);
  return m_pd.hDC;
}

LPDEVMODE CPrintDialog::GetDevMode() const { return m_pd.hDevMode ? (LPDEVMODE)GlobalLock(m_pd.hDevMode) : nullptr; }
CString CPrintDialog::GetDriverName() const { return DevName(m_pd.hDevNames, 0); }
CString CPrintDialog::GetDeviceName() const { return DevName(m_pd.hDevNames, 1); }
CString CPrintDialog::GetPortName() const { return DevName(m_pd.hDevNames, 2); }

// ---- Colour and font --------------------------------------------------------------------------------------

BOOL ChooseColor(CHOOSECOLOR* cc) {
  if (!cc) return FALSE;
  CommonRequest req;
  req.kind = CommonKind::Color;
  req.flags = cc->Flags;
  CommonAnswer a = DialogAutomation::Answer(req);
  if (!a.ok) return FALSE;
  cc->rgbResult = a.color & 0x00FFFFFFu;
  return TRUE;
}

COLORREF* CColorDialog::GetSavedCustomColors() {
  static COLORREF colors[16] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
  return colors;
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) : CCommonDialog(pParentWnd) {
  m_cc.lStructSize = sizeof m_cc;
  m_cc.rgbResult = clrInit;
  m_cc.Flags = dwFlags | (clrInit ? CC_RGBINIT : 0);
  m_cc.lpCustColors = GetSavedCustomColors();
}

INT_PTR CColorDialog::DoModal() {
  m_cc.hwndOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
  return ::ChooseColor(&m_cc) ? IDOK : IDCANCEL;
}

BOOL ChooseFont(CHOOSEFONT* cf) {
  if (!cf || !cf->lpLogFont) return FALSE;
  CommonRequest req;
  req.kind = CommonKind::Font;
  req.flags = cf->Flags;
  req.fileName = cf->lpLogFont->lfFaceName;
  CommonAnswer a = DialogAutomation::Answer(req);
  if (!a.ok) return FALSE;
  *cf->lpLogFont = a.font;
  cf->lpLogFont->lfFaceName[LF_FACESIZE - 1] = 0;
  int h = a.font.lfHeight < 0 ? -a.font.lfHeight : a.font.lfHeight;
  cf->iPointSize = MulDiv(h, 720, 96);
  if (cf->Flags & CF_EFFECTS) cf->rgbColors = a.color;
  return TRUE;
}

CFontDialog::CFontDialog(LOGFONT* lplfInitial, DWORD dwFlags, CDC*, CWnd* pParentWnd) : CCommonDialog(pParentWnd) {
  m_cf.lStructSize = sizeof m_cf;
  m_cf.lpLogFont = &m_lf;
  m_cf.Flags = dwFlags;
  if (lplfInitial) {
    m_lf = *lplfInitial;
    m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
  }
}

INT_PTR CFontDialog::DoModal() {
  m_cf.hwndOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
  return ::ChooseFont(&m_cf) ? IDOK : IDCANCEL;
}

void CFontDialog::GetCurrentFont(LOGFONT* lplf) const {
  if (lplf) *lplf = m_lf;
}

// ---- Find and replace ---------------------------------------------------------------------------------------

namespace {

const DLGITEM_ENTRY kFindItems[] = {
    {"Static", 0xFFFF, WS_VISIBLE | SS_LEFT, 0, 4, 8, 48, 8, "Fi&nd what:"},
    {"Edit", edt1, WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 54, 7, 114, 12, ""},
    {"Static", 0xFFFE, WS_VISIBLE | SS_LEFT, 0, 4, 26, 48, 8, "Re&place with:"},
    {"Edit", edt2, WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 54, 24, 114, 12, ""},
    {"Button", chx1, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 5, 46, 100, 12, "Match &whole word only"},
    {"Button", chx2, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 5, 62, 59, 12, "Match &case"},
    {"Button", rad1, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 110, 46, 25, 12, "&Up"},
    {"Button", rad2, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 138, 46, 30, 12, "&Down"},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 174, 4, 50, 14, "&Find Next"},
    {"Button", psh1, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 174, 21, 50, 14, "&Replace"},
    {"Button", psh2, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 174, 38, 50, 14, "Replace &All"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 174, 55, 50, 14, "Cancel"},
};
const DIALOG_RESOURCE kFindTemplate = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 30, 73, 230, 80,
                                       "Replace", "MS Sans Serif", 8, kFindItems, sizeof kFindItems / sizeof kFindItems[0],
                                       nullptr};

UINT FindMessage() {
  static UINT m = RegisterWindowMessage(FINDMSGSTRING);
  return m;
}

}  // namespace

CFindReplaceDialog::CFindReplaceDialog() : CCommonDialog(nullptr) {
  m_fr.lStructSize = sizeof m_fr;
  m_fr.Flags = FR_DOWN;
  m_fr.lpstrFindWhat = m_szFindWhat;
  m_fr.wFindWhatLen = sizeof m_szFindWhat;
  m_fr.lpstrReplaceWith = m_szReplaceWith;
  m_fr.wReplaceWithLen = sizeof m_szReplaceWith;
  m_fr.lCustData = (LPARAM)this;
}

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCSTR lpszFindWhat, LPCSTR lpszReplaceWith, DWORD dwFlags,
                                CWnd* pParentWnd) {
  m_bFindOnly = bFindDialogOnly;
  m_fr.Flags = dwFlags;
  if (lpszFindWhat) strncpy(m_szFindWhat, lpszFindWhat, sizeof m_szFindWhat - 1);
  if (lpszReplaceWith) strncpy(m_szReplaceWith, lpszReplaceWith, sizeof m_szReplaceWith - 1);
  CWnd* owner = pParentWnd ? pParentWnd : CWnd::GetSafeOwner(nullptr, nullptr);
  m_fr.hwndOwner = owner ? owner->GetSafeHwnd() : nullptr;
  m_pParentWnd = owner;
  FindMessage();
  const DIALOG_RESOURCE* t = nullptr;
  HINSTANCE module = nullptr;
  if ((dwFlags & FR_ENABLETEMPLATE) && m_fr.lpTemplateName) {
    module = m_fr.hInstance;
    t = module ? FindDialogTemplate(module, m_fr.lpTemplateName) : AfxFindDialogTemplate(m_fr.lpTemplateName, &module);
  }
  if (!t) t = &kFindTemplate;
  return CreateFromTemplate(t, module, owner);
}

BOOL CFindReplaceDialog::OnInitDialog() {
  SetWindowText(m_bFindOnly ? "Find" : "Replace");
  SetDlgItemText(edt1, m_szFindWhat);
  SetDlgItemText(edt2, m_szReplaceWith);
  CheckDlgButton(chx1, (m_fr.Flags & FR_WHOLEWORD) ? 1 : 0);
  CheckDlgButton(chx2, (m_fr.Flags & FR_MATCHCASE) ? 1 : 0);
  CheckRadioButton(rad1, rad2, (m_fr.Flags & FR_DOWN) ? rad2 : rad1);
  auto hide = [this](int id, bool h) {
    if (CWnd* w = GetDlgItem(id)) w->ShowWindow(h ? SW_HIDE : SW_SHOW);
  };
  hide(edt2, m_bFindOnly);
  hide(0xFFFE, m_bFindOnly);
  hide(psh1, m_bFindOnly);
  hide(psh2, m_bFindOnly);
  hide(chx1, (m_fr.Flags & FR_HIDEWHOLEWORD) != 0);
  hide(chx2, (m_fr.Flags & FR_HIDEMATCHCASE) != 0);
  hide(rad1, (m_fr.Flags & FR_HIDEUPDOWN) != 0 || !m_bFindOnly);
  hide(rad2, (m_fr.Flags & FR_HIDEUPDOWN) != 0 || !m_bFindOnly);
  if (m_fr.Flags & FR_NOWHOLEWORD)
    if (CWnd* w = GetDlgItem(chx1)) w->EnableWindow(FALSE);
  if (m_fr.Flags & FR_NOMATCHCASE)
    if (CWnd* w = GetDlgItem(chx2)) w->EnableWindow(FALSE);
  ShowWindow(SW_SHOW);
  return TRUE;
}

void CFindReplaceDialog::Send(DWORD flag) {
  GetDlgItemText(edt1, m_szFindWhat, sizeof m_szFindWhat);
  GetDlgItemText(edt2, m_szReplaceWith, sizeof m_szReplaceWith);
  DWORD keep = m_fr.Flags & ~(FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM | FR_WHOLEWORD | FR_MATCHCASE | FR_DOWN);
  if (IsDlgButtonChecked(chx1)) keep |= FR_WHOLEWORD;
  if (IsDlgButtonChecked(chx2)) keep |= FR_MATCHCASE;
  if (!m_bFindOnly || IsDlgButtonChecked(rad2) || !GetDlgItem(rad2)) keep |= FR_DOWN;
  m_fr.Flags = keep | flag;
  if (m_fr.hwndOwner && ::IsWindow(m_fr.hwndOwner)) ::SendMessage(m_fr.hwndOwner, FindMessage(), 0, (LPARAM)&m_fr);
}

BOOL CFindReplaceDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case psh1: Send(FR_REPLACE); return TRUE;
    case psh2: Send(FR_REPLACEALL); return TRUE;
    default: return CCommonDialog::OnCommand(wParam, lParam);
  }
}

void CFindReplaceDialog::OnOK() { Send(FR_FINDNEXT); }

void CFindReplaceDialog::OnCancel() {
  HWND self = m_hWnd;
  Send(FR_DIALOGTERM);
  if (::IsWindow(self)) DestroyWindow();
}

void CFindReplaceDialog::PostNcDestroy() { delete this; }

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam) {
  auto* fr = (FINDREPLACE*)lParam;
  return fr ? (CFindReplaceDialog*)fr->lCustData : nullptr;
}

HWND FindText(FINDREPLACE* fr) {
  if (!fr) return nullptr;
  auto* dlg = new CFindReplaceDialog;
  if (!dlg->Create(TRUE, fr->lpstrFindWhat, nullptr, fr->Flags, CWnd::FromHandle(fr->hwndOwner))) {
    delete dlg;
    return nullptr;
  }
  return dlg->m_hWnd;
}

HWND ReplaceText(FINDREPLACE* fr) {
  if (!fr) return nullptr;
  auto* dlg = new CFindReplaceDialog;
  if (!dlg->Create(FALSE, fr->lpstrFindWhat, fr->lpstrReplaceWith, fr->Flags, CWnd::FromHandle(fr->hwndOwner))) {
    delete dlg;
    return nullptr;
  }
  return dlg->m_hWnd;
}
