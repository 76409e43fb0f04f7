// The editor settings of the text documents: per-kind options in the profile, the keyword file,
// the mark colours and the refresh of open documents when options change.
#include "editor/documents/TextFileDoc.h"

#include "platform/core/Ini.h"
#include "platform/core/Module.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/ui/WinApp.h"

#include <cstring>
#include <string>

int CTextFileDoc::ms_bAskSaveModified = 1;
int CTextFileDoc::ms_bInsertMode = 1;
COLORREF CTextFileDoc::ms_crBookmark = RGB(0, 128, 255);
COLORREF CTextFileDoc::ms_crBreakpoint = RGB(255, 0, 0);
COLORREF CTextFileDoc::ms_crCurrentStmt = RGB(255, 255, 0);
COLORREF CTextFileDoc::ms_crCurrentError = RGB(0, 255, 255);

const char CTextFileDoc::msc_pszReg[] = "Text Editor";
const char CTextFileDoc::msc_pszRegVKSFiles[] = "Text Editor\\VKS Files";
const char CTextFileDoc::msc_pszRegDefaultFiles[] = "Text Editor\\Default Files";
const char CTextFileDoc::msc_pszRegOutput[] = "Text Editor\\Output";
const char CTextFileDoc::msc_pszRegInterpreter[] = "Text Editor\\Interpreter";
const char CTextFileDoc::msc_pszChroma[] = "Chroma";
const char CTextFileDoc::msc_pszKeyWords[] = "Keywords";
const char CTextFileDoc::msc_pszCase[] = "Case";
const char CTextFileDoc::msc_pszCmtStart1[] = "Comment Start 1";
const char CTextFileDoc::msc_pszCmtEnd1[] = "Comment End 1";
const char CTextFileDoc::msc_pszCmtStart2[] = "Comment Start 2";
const char CTextFileDoc::msc_pszCmtEnd2[] = "Comment End 2";
const char CTextFileDoc::msc_pszExtras[] = "Extra word chars";
const char CTextFileDoc::msc_pszStartChars[] = "Start chars";
const char CTextFileDoc::msc_pszTermChars[] = "Terminator chars";
const char CTextFileDoc::msc_pszText[] = "Default Text";
const char CTextFileDoc::msc_pszBackground[] = "Background";
const char CTextFileDoc::msc_pszComment[] = "Comment";
const char CTextFileDoc::msc_pszKeyWord[] = "Keyword";
const char CTextFileDoc::msc_pszQuote[] = "Quote";
const char CTextFileDoc::msc_pszSQuote[] = "SQuote";
const char CTextFileDoc::msc_pszFontWeight[] = "Font Weight";
const char CTextFileDoc::msc_pszFontItalic[] = "Font Italic";
const char CTextFileDoc::msc_pszAutoIndent[] = "Autoindent";
const char CTextFileDoc::msc_pszSelectionMargin[] = "Selection Margin";

namespace {

struct MarkColor {
  const char* name;
  const char* def;
  COLORREF* value;
  COLORREF tagSrcFileOpt::*field;
};

const MarkColor kMarks[] = {
    {"Bookmark", "0,128,255", &CTextFileDoc::ms_crBookmark, &tagSrcFileOpt::crBookmark},
    {"Breakpoint", "255,0,0", &CTextFileDoc::ms_crBreakpoint, &tagSrcFileOpt::crBreakpoint},
    {"Current Statement", "255,255,0", &CTextFileDoc::ms_crCurrentStmt, &tagSrcFileOpt::crCurrentStmt},
    {"Current Error", "0,255,255", &CTextFileDoc::ms_crCurrentError, &tagSrcFileOpt::crCurrentError},
};

CString Name(UINT id) {
  std::string text;
  return LoadStringResource(id, text) ? CString(text.c_str()) : CString();
}

int GetInt(const CString& key, const char* entry, int def) {
  CWinApp* app = AfxGetApp();
  return app ? (int)app->GetProfileInt(key, entry, def) : def;
}

CString GetStr(const CString& key, const char* entry, const char* def) {
  CWinApp* app = AfxGetApp();
  return app ? app->GetProfileString(key, entry, def) : CString(def);
}

COLORREF GetColor(const CString& key, const char* entry, const char* def) {
  return CTextFileDoc::COLORREFFromString(GetStr(key, entry, def));
}

// Writers that write only a changed value and tell whether they wrote.
bool PutInt(const CString& key, const char* entry, int def, int value) {
  if (GetInt(key, entry, def) == value) return false;
  return AfxGetApp() && AfxGetApp()->WriteProfileInt(key, entry, value);
}

bool PutStr(const CString& key, const char* entry, const char* def, const char* value) {
  if (GetStr(key, entry, def) == value) return false;
  return AfxGetApp() && AfxGetApp()->WriteProfileString(key, entry, value);
}

bool PutColor(const CString& key, const char* entry, const char* def, COLORREF value) {
  if (GetColor(key, entry, def) == value) return false;
  CString s;
  CTextFileDoc::StringFromCOLORREF(value, s);
  return AfxGetApp() && AfxGetApp()->WriteProfileString(key, entry, s);
}

int PixelsPerInch(CDC* pDC) {
  if (pDC) return pDC->GetDeviceCaps(LOGPIXELSY);
  HDC dc = CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) DeleteDC(dc);
  return dpi > 0 ? dpi : 96;
}

bool IsFileKind(int nType) { return nType != CTextFileDoc::FILETYPE_OUTPUT && nType != CTextFileDoc::FILETYPE_INTERPRETER; }

}  // namespace

COLORREF CTextFileDoc::COLORREFFromString(const char* psz) { return SECEdit::ParseColor(psz); }

void CTextFileDoc::StringFromCOLORREF(COLORREF cr, CString& str) { str = SECEdit::FormatColor(cr); }

CString CTextFileDoc::GetKeywordFile(int nType) {
  if (nType != FILETYPE_VKS && nType != FILETYPE_INTERPRETER) return CString();
  std::string path = AfxGetModuleFilePath(nullptr);
  size_t cut = path.find_last_of("\\/");
  return CString((cut == std::string::npos ? std::string() : path.substr(0, cut + 1)).c_str()) + "mol.ini";
}

void CTextFileDoc::LoadStaticSettings() {
  for (const MarkColor& m : kMarks) *m.value = GetColor(msc_pszReg, m.name, m.def);
  GetKeywordFile(FILETYPE_VKS);
}

void CTextFileDoc::SaveStaticSettings() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (const MarkColor& m : kMarks) {
    CString s;
    StringFromCOLORREF(*m.value, s);
    app->WriteProfileString(msc_pszReg, m.name, s);
  }
}

void CTextFileDoc::GetFontFromRegistry(int nType, LOGFONT* plf, CDC* pDC) {
  CString key = GetRegistrySubKey(nType);
  memset(plf, 0, sizeof *plf);
  CString face = GetStr(key, Name(21019), "Courier New");
  strncpy(plf->lfFaceName, face, 31);
  // Points and heights have opposite signs; the sign goes on the factor, which any int can take.
  plf->lfHeight = MulDiv(GetInt(key, Name(21020), 9), -PixelsPerInch(pDC), 72);
  plf->lfWeight = GetInt(key, msc_pszFontWeight, 400);
  plf->lfItalic = (BYTE)GetInt(key, msc_pszFontItalic, 0);
  plf->lfPitchAndFamily = 0x31;
}

BOOL CTextFileDoc::IsSameFontAsSaved(CDC* pDC, LOGFONT* plf) {
  LOGFONT saved;
  GetFontFromRegistry(m_nFileType, &saved, pDC);
  bool same = true;
  if (strcasecmp(saved.lfFaceName, plf->lfFaceName) != 0) {
    memcpy(plf->lfFaceName, saved.lfFaceName, sizeof saved.lfFaceName);
    same = false;
  }
  if (saved.lfHeight != plf->lfHeight) plf->lfHeight = saved.lfHeight, same = false;
  if (saved.lfWeight != plf->lfWeight) plf->lfWeight = saved.lfWeight, same = false;
  if (saved.lfItalic != plf->lfItalic) plf->lfItalic = saved.lfItalic, same = false;
  if (!same) {
    plf->lfCharSet = plf->lfOutPrecision = plf->lfClipPrecision = plf->lfQuality = 0;
    plf->lfPitchAndFamily = 0x31;
  }
  return same;
}

BOOL CTextFileDoc::GetFileTypeOptions(int nType, tagFileTypeOpt& opt) {
  CString key = GetRegistrySubKey(nType);
  opt.nTabSize = (int16_t)GetInt(key, Name(21016), 3);
  opt.bShowTabs = GetInt(key, Name(21018), 0);
  opt.bKeepTabs = GetInt(key, Name(21017), 1);
  opt.bAutoIndent = IsFileKind(nType) ? GetInt(key, msc_pszAutoIndent, 1) : 0;
  opt.bSelectionMargin = IsFileKind(nType) ? GetInt(key, msc_pszSelectionMargin, 1) : 0;
  GetFontFromRegistry(nType, &opt.lf, nullptr);
  opt.astrCategKeys.clear();
  opt.astrCategNames.clear();
  opt.acrCategColors.clear();
  opt.crText = GetColor(key, msc_pszText, "0,0,0");
  opt.crBackground = GetColor(key, msc_pszBackground, "255,255,255");
  if (nType != FILETYPE_VKS) {
    opt.crComment = opt.crQuote = 0;
    return TRUE;
  }
  opt.crComment = GetColor(key, msc_pszComment, "0,128,0");
  opt.crQuote = GetColor(key, msc_pszQuote, "255,0,0");
  CString file = GetKeywordFile(nType);
  int count = (int)GetPrivateProfileInt("Categories", "CategNo", 0, file);
  for (int i = 1; i <= count; ++i) {
    char name[32], value[30];
    snprintf(name, sizeof name, "Categ%d", i);
    GetPrivateProfileString("Categories", name, name, value, sizeof value, file);
    CString categ = value;
    snprintf(name, sizeof name, "Categ_Name%d", i);
    GetPrivateProfileString("Categories", name, categ, value, sizeof value, file);
    opt.astrCategKeys.push_back(categ);
    opt.astrCategNames.push_back(value);
    char color[32];
    GetPrivateProfileString("Colors", categ, "0,0,255", color, sizeof color, file);
    opt.acrCategColors.push_back(COLORREFFromString(color));
  }
  return TRUE;
}

BOOL CTextFileDoc::SetFileTypeOptions(int nType, const tagFileTypeOpt& opt) {
  CString key = GetRegistrySubKey(nType);
  bool wrote = false;
  wrote |= PutInt(key, Name(21016), 3, opt.nTabSize);
  wrote |= PutInt(key, Name(21018), 0, opt.bShowTabs);
  wrote |= PutInt(key, Name(21017), 1, opt.bKeepTabs);
  if (IsFileKind(nType)) {
    wrote |= PutInt(key, msc_pszAutoIndent, 1, opt.bAutoIndent);
    wrote |= PutInt(key, msc_pszSelectionMargin, 1, opt.bSelectionMargin);
  }
  wrote |= PutStr(key, Name(21019), "Courier New", opt.lf.lfFaceName);
  int dpi = PixelsPerInch(nullptr);
  if (MulDiv(GetInt(key, Name(21020), 9), -dpi, 72) != opt.lf.lfHeight)
    wrote |= PutInt(key, Name(21020), 9, MulDiv(opt.lf.lfHeight, -72, dpi));
  wrote |= PutInt(key, msc_pszFontWeight, 400, opt.lf.lfWeight);
  wrote |= PutInt(key, msc_pszFontItalic, 0, opt.lf.lfItalic);
  wrote |= PutColor(key, msc_pszText, "0,0,0", opt.crText);
  wrote |= PutColor(key, msc_pszBackground, "255,255,255", opt.crBackground);
  if (nType == FILETYPE_VKS) {
    wrote |= PutColor(key, msc_pszComment, "0,128,0", opt.crComment);
    wrote |= PutColor(key, msc_pszQuote, "255,0,0", opt.crQuote);
    CString file = GetKeywordFile(nType);
    int count = (int)GetPrivateProfileInt("Categories", "CategNo", 0, file);
    for (int i = 0; i < count && i < (int)opt.astrCategKeys.size() && i < (int)opt.acrCategColors.size(); ++i) {
      char color[32];
      GetPrivateProfileString("Colors", opt.astrCategKeys[(size_t)i], "0,0,255", color, sizeof color, file);
      if (COLORREFFromString(color) == opt.acrCategColors[(size_t)i]) continue;
      CString s;
      StringFromCOLORREF(opt.acrCategColors[(size_t)i], s);
      wrote |= WritePrivateProfileString("Colors", opt.astrCategKeys[(size_t)i], s, file) != FALSE;
    }
  }
  return wrote;
}

void CTextFileDoc::GetOptions(tagSrcFileOpt& opt) {
  for (const MarkColor& m : kMarks) opt.*m.field = *m.value;
  for (int k = 0; k < 4; ++k) GetFileTypeOptions(k + 1, opt.aFileType[k]);
}

void CTextFileDoc::SetOptions(const tagSrcFileOpt& opt) {
  int flags = 0;
  for (const MarkColor& m : kMarks)
    if (*m.value != opt.*m.field) {
      *m.value = opt.*m.field;
      flags |= 1;
    }
  for (int k = 0; k < 4; ++k)
    if (SetFileTypeOptions(k + 1, opt.aFileType[k])) flags |= 2 << k;
  if (!flags) return;
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (POSITION pos = app->GetFirstDocTemplatePosition(); pos;)
    if (auto* t = dynamic_cast<CTextFileDocTemplate*>(app->GetNextDocTemplate(pos)))
      RefreshChangesForDocTemplate(t, opt, flags);
}

void CTextFileDoc::RefreshChangesForDocTemplate(CDocTemplate* pTemplate, const tagSrcFileOpt& opt, int nFlags) {
  for (POSITION pos = pTemplate->GetFirstDocPosition(); pos;) {
    auto* doc = dynamic_cast<CTextFileDoc*>(pTemplate->GetNextDoc(pos));
    if (!doc) continue;
    int kind = doc->GetType() >= 1 && doc->GetType() <= 4 ? doc->GetType() : FILETYPE_DEFAULT;
    if (nFlags & (1 << kind)) {
      doc->UpdateSettings(opt.aFileType[kind - 1]);
      doc->UpdateAllViews(nullptr, -88);
    } else if (nFlags & 1) {
      doc->UpdateAllViews(nullptr, -89);
    }
  }
}

void CTextFileDoc::UpdateSettings(const tagFileTypeOpt& opt) {
  m_edit.SetTabSize(opt.nTabSize);
  m_edit.m_bShowTabs = opt.bShowTabs;
  m_edit.m_bKeepTabs = opt.bKeepTabs;
  m_edit.m_bAutoIndent = opt.bAutoIndent;
  m_edit.m_crText = opt.crText;
  m_edit.m_crBackground = opt.crBackground;
  m_edit.m_crComment = opt.crComment;
  m_edit.m_crQuote = opt.crQuote;
  if (!opt.acrCategColors.empty()) {
    m_edit.m_crKeyword = opt.acrCategColors[0];
    m_edit.LoadKeywords();
  }
}

void CTextFileDoc::UpdateInsertMode() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (POSITION pos = app->GetFirstDocTemplatePosition(); pos;)
    if (auto* t = dynamic_cast<CTextFileDocTemplate*>(app->GetNextDocTemplate(pos)))
      for (POSITION d = t->GetFirstDocPosition(); d;)
        if (auto* doc = dynamic_cast<CTextFileDoc*>(t->GetNextDoc(d))) doc->GetEdit()->SetInsertMode(ms_bInsertMode);
}
