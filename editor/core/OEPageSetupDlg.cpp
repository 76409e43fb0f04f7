#include "editor/core/OEPageSetupDlg.h"

#include "platform/ui/WinApp.h"

#include <string>

namespace {

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;

const DLGITEM_ENTRY kItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 9, 30, 8, "&Header:"},
    {"Edit", 104, kEdit, WS_EX_CLIENTEDGE, 40, 7, 150, 12, ""},
    {"Button", 109, kRadio | WS_GROUP, 0, 40, 22, 60, 10, "File Time"},
    {"Button", 110, kRadio, 0, 105, 22, 60, 10, "System Time"},
    {"Static", 0xFFFF, kText, 0, 7, 41, 30, 8, "&Footer:"},
    {"Edit", 107, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 40, 39, 150, 12, ""},
    {"Button", 111, kRadio | WS_GROUP, 0, 40, 54, 60, 10, "File Time"},
    {"Button", 112, kRadio, 0, 105, 54, 60, 10, "System Time"},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 83, 72, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 140, 72, 50, 14, "Cancel"},
};

const DIALOG_RESOURCE kTemplate = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                   0,
                                   0,
                                   0,
                                   198,
                                   92,
                                   "Page Setup",
                                   "MS Sans Serif",
                                   8,
                                   kItems,
                                   sizeof kItems / sizeof kItems[0],
                                   nullptr};

const RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(IDD_OE_PAGESETUP), &kTemplate, sizeof kTemplate}};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 1};
CResourceTableRegistration g_registration(kTable);

CString Expand(const CString& format, const CTime& time, const char* file, int page) {
  CString s = time.Format(OEExpandPageTokens(format, file, page));
  return s.GetLength() > 127 ? CString() : s;
}

}  // namespace

CString OEExpandPageTokens(const char* pszFormat, const char* pszFile, int nPage) {
  std::string s = pszFormat ? pszFormat : "";
  size_t at = s.find("&p");
  if (at != std::string::npos) s.replace(at, 2, std::to_string(nPage));
  at = s.find("&f");
  if (at != std::string::npos) {
    std::string file;
    for (const char* p = pszFile ? pszFile : ""; *p; ++p) file += *p == '%' ? "%%" : std::string(1, *p);
    s.replace(at, 2, file);
  }
  return CString(s.c_str());
}

OEPageSetupDlg::OEPageSetupDlg(CWnd* pParent)
    : CDialog(IDD_OE_PAGESETUP, pParent), m_nFooterTime(-1), m_nHeaderTime(-1) {}

void OEPageSetupDlg::LoadSettings() {
  CWinApp* app = AfxGetApp();
  m_strHeader = app ? app->GetProfileString("PageSetup", "Header", "&f %c") : CString("&f %c");
  m_strFooter = app ? app->GetProfileString("PageSetup", "Footer", "Page: &p") : CString("Page: &p");
  m_nHeaderTime = app ? (int)app->GetProfileInt("PageSetup", "HeaderTime", 0) : 0;
  m_nFooterTime = app ? (int)app->GetProfileInt("PageSetup", "FooterTime", 0) : 0;
}

void OEPageSetupDlg::SaveSettings() {
  CWinApp* app = AfxGetApp();
  if (!app || m_nHeaderTime < 0) return;  // never loaded: nothing to keep
  app->WriteProfileString("PageSetup", "Header", m_strHeader);
  app->WriteProfileString("PageSetup", "Footer", m_strFooter);
  app->WriteProfileInt("PageSetup", "HeaderTime", m_nHeaderTime);
  app->WriteProfileInt("PageSetup", "FooterTime", m_nFooterTime);
}

void OEPageSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, 104, m_strHeader);
  DDX_Radio(pDX, 109, m_nHeaderTime);
  DDX_Text(pDX, 107, m_strFooter);
  DDX_Radio(pDX, 111, m_nFooterTime);
}

CString OEPageSetupDlg::FormatHeader(const CTime& time, const char* pszFile, int nPage) const {
  return Expand(m_strHeader, time, pszFile, nPage);
}

CString OEPageSetupDlg::FormatFooter(const CTime& time, const char* pszFile, int nPage) const {
  return Expand(m_strFooter, time, pszFile, nPage);
}
