// Grid properties: defaults, copies, profile and archive forms.
#include "grid/engine/GXProperties.h"

#include "grid/engine/GXProfile.h"
#include "grid/engine/GXTextForms.h"
#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"

#include <cstdlib>
#include <string>
#include <vector>

IMPLEMENT_SERIAL(CGXProperties, CObject, 2)

namespace {

const WORD kSchema = 2;

CString LoadText(UINT id) {
  std::string s;
  return LoadStringResource(id, s) ? CString(s) : CString();
}

// Numbers of a comma list, blanks before each skipped; as many as there are, at most `count`.
int ParseList(const CString& text, long* out, int count) {
  const char* p = text;
  int n = 0;
  while (n < count && *p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    out[n++] = std::atol(p);
    while (*p && *p != ',') ++p;
    if (*p == ',') ++p;
  }
  return n;
}

}  // namespace

// The print settings of the profile, in the order both directions take them.
const CGXProperties::PrintEntry CGXProperties::kPrintEntries[9] = {
    {"Page Order", &CGXProperties::m_nPageOrder},
    {"Print Vertical Lines", &CGXProperties::m_bPrintVertLines},
    {"Print Horizontal Lines", &CGXProperties::m_bPrintHorzLines},
    {"Print Only Black&White", &CGXProperties::m_bBlackWhite},
    {"Print Row Headers", &CGXProperties::m_bPrintRowHeaders},
    {"Print Column Headers", &CGXProperties::m_bPrintColHeaders},
    {"Center Vertical", &CGXProperties::m_bCenterVertical},
    {"Center Horizontal", &CGXProperties::m_bCenterHorizontal},
    {"Print Frame", &CGXProperties::m_bPrintFrame},
};

CGXProperties::CGXProperties() {
  m_sInvertThin = LoadText(51006);
  m_sInvertThick = LoadText(51007);
  m_sThinBorder = LoadText(51008);
  m_sThickBorder = LoadText(51009);
  m_sNoBorder = LoadText(51017);
  for (const char* token : {"$F", "$A", "$P", "$N", "$D", "$R"}) m_TokenArray.Add(token);
  m_TokenValues.SetSize(m_TokenArray.GetSize());
  AddColorProperty(LoadText(52232), GXSysColorRef(17));
  AddColorProperty(LoadText(52233), GXSysColorRef(2));
  AddColorProperty(LoadText(52234), RGB(255, 0, 0));
  AddColorProperty(LoadText(52236), RGB(255, 0, 0));
  AddColorProperty(LoadText(52235), GXSysColorRef(15));

  // Header: the title ("$R") centred in bold 16 points; footer: date left, page of pages right.
  int ppi = 96;
  CDC screen;
  if (screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr)) ppi = screen.GetDeviceCaps(LOGPIXELSY);
  CGXFont bold;
  bold.SetWeight(700).SetHeight(-16 * ppi / 72);
  CGXStyle title;
  title.SetValue("$R").SetFont(bold);
  m_mapDataHeader.SetRowCount(10);
  m_mapDataHeader.SetColCount(3);
  m_mapDataHeader.StoreStyleAt(1, 2, &title, 0);
  m_mapDataFooter.SetRowCount(10);
  m_mapDataFooter.SetColCount(3);
  CGXStyle date, pages;
  date.SetValue("$D");
  pages.SetValue("$P/$N");
  m_mapDataFooter.StoreStyleAt(1, 1, &date, 0);
  m_mapDataFooter.StoreStyleAt(1, 3, &pages, 0);
}

CGXProperties::CGXProperties(const CGXProperties& src) : CObject() { CopyFrom(src); }

CGXProperties& CGXProperties::operator=(const CGXProperties& src) {
  if (&src != this) CopyFrom(src);
  return *this;
}

CGXProperties::~CGXProperties() { DeleteUserProperties(); }

void CGXProperties::DeleteUserProperties() {
  POSITION pos = m_UserPropertiesMap.GetStartPosition();
  while (pos) {
    DWORD id;
    void* p;
    m_UserPropertiesMap.GetNextAssoc(pos, id, p);
    auto* prop = static_cast<UserProperty*>(p);
    delete prop->pStyle;
    delete prop;
  }
  m_UserPropertiesMap.RemoveAll();
}

void CGXProperties::CopyFrom(const CGXProperties& src) {
  m_sInvertThin = src.m_sInvertThin;
  m_sInvertThick = src.m_sInvertThick;
  m_sThinBorder = src.m_sThinBorder;
  m_sThickBorder = src.m_sThickBorder;
  m_sNoBorder = src.m_sNoBorder;
  m_TokenArray.Copy(src.m_TokenArray);
  m_TokenValues.Copy(src.m_TokenValues);
  m_b3dHeader = src.m_b3dHeader;
  m_bDisplayVertLines = src.m_bDisplayVertLines;
  m_bDisplayHorzLines = src.m_bDisplayHorzLines;
  m_bMarkRowHeader = src.m_bMarkRowHeader;
  m_bMarkColHeader = src.m_bMarkColHeader;
  m_bPrinting = src.m_bPrinting;
  m_strSection = src.m_strSection;
  m_ColorNameArray.Copy(src.m_ColorNameArray);
  m_ColorArray.Copy(src.m_ColorArray);
  m_nZoom = src.m_nZoom;
  m_bPrintVertLines = src.m_bPrintVertLines;
  m_bPrintHorzLines = src.m_bPrintHorzLines;
  m_bPrintColHeaders = src.m_bPrintColHeaders;
  m_bPrintRowHeaders = src.m_bPrintRowHeaders;
  m_bCenterHorizontal = src.m_bCenterHorizontal;
  m_bCenterVertical = src.m_bCenterVertical;
  m_nPageOrder = src.m_nPageOrder;
  m_bBlackWhite = src.m_bBlackWhite;
  m_bPrintFrame = src.m_bPrintFrame;
  m_nTopMargin = src.m_nTopMargin;
  m_nLeftMargin = src.m_nLeftMargin;
  m_nBottomMargin = src.m_nBottomMargin;
  m_nRightMargin = src.m_nRightMargin;
  m_nDistTop = src.m_nDistTop;
  m_nDistBottom = src.m_nDistBottom;
  m_nFirstPage = src.m_nFirstPage;
  m_wReserved1 = src.m_wReserved1;
  m_wReserved2 = src.m_wReserved2;
  m_mapDataFooter = src.m_mapDataFooter;
  m_mapDataHeader = src.m_mapDataHeader;
  DeleteUserProperties();
  POSITION pos = src.m_UserPropertiesMap.GetStartPosition();
  while (pos) {
    DWORD id;
    void* p;
    src.m_UserPropertiesMap.GetNextAssoc(pos, id, p);
    const auto* prop = static_cast<const UserProperty*>(p);
    m_UserPropertiesMap[id] = new UserProperty{prop->nId, prop->strName, prop->pStyle ? prop->pStyle->Clone() : nullptr};
  }
}

void CGXProperties::AddDefaultUserProperties() {
  CGXStyle frame;
  const CString choices =
      m_sInvertThin + "\n" + m_sInvertThick + "\n" + m_sThinBorder + "\n" + m_sThickBorder + "\n" + m_sNoBorder;
  frame.SetControl(52529).SetChoiceList(choices).SetValue(m_sInvertThin);
  AddUserProperty(51005, frame);
}

int CGXProperties::AddColorProperty(LPCTSTR pszName, COLORREF color) {
  const CString name = pszName ? pszName : "";
  for (INT_PTR i = 0; i < m_ColorNameArray.GetSize(); ++i)
    if (m_ColorNameArray[i] == name) return (int)i;
  m_ColorNameArray.Add(name);
  return (int)m_ColorArray.Add(color);
}

COLORREF CGXProperties::GetColor(int nIndex) const {
  return nIndex >= 0 && nIndex < m_ColorArray.GetSize() ? m_ColorArray[nIndex] : 0;
}

void CGXProperties::SetColor(int nIndex, COLORREF color) {
  if (nIndex >= 0 && nIndex < m_ColorArray.GetSize()) m_ColorArray[nIndex] = color;
}

void CGXProperties::AddUserProperty(DWORD nId, const CGXStyle& style) {
  void* p = nullptr;
  if (m_UserPropertiesMap.Lookup(nId, p)) {
    auto* prop = static_cast<UserProperty*>(p);
    CGXStyle* copy = style.Clone();
    delete prop->pStyle;
    prop->pStyle = copy;
    return;
  }
  std::string name;
  if (!LoadStringResource(nId, name)) AfxThrowResourceException();
  m_UserPropertiesMap[nId] = new UserProperty{nId, CString(name), style.Clone()};
}

const CGXStyle* CGXProperties::GetUserProperty(DWORD nId) const {
  void* p = nullptr;
  return m_UserPropertiesMap.Lookup(nId, p) ? static_cast<UserProperty*>(p)->pStyle : nullptr;
}

void CGXProperties::GetMargins(int& top, int& left, int& bottom, int& right) const {
  top = m_nTopMargin;
  left = m_nLeftMargin;
  bottom = m_nBottomMargin;
  right = m_nRightMargin;
}

void CGXProperties::SetMargins(int top, int left, int bottom, int right) {
  m_nTopMargin = top;
  m_nLeftMargin = left;
  m_nBottomMargin = bottom;
  m_nRightMargin = right;
}

// ---- profile ------------------------------------------------------------------------------------------------

void CGXProperties::WriteProfile() const {
  CAppProfile& app = GXGetAppProfile();
  const char* sec = m_strSection;
  auto num = [&](const char* entry, long v) { app.WriteProfileString(sec, entry, FormatString("%ld", v).c_str()); };
  for (INT_PTR i = 0; i < m_ColorArray.GetSize(); ++i)
    app.WriteProfileString(sec, m_ColorNameArray[i], FormatString("%lu", (unsigned long)m_ColorArray[i]).c_str());
  num("MarkColumnHeader", m_bMarkColHeader);
  num("MarkRowHeader", m_bMarkRowHeader);
  num("3dHeader", m_b3dHeader);
  num("HorizontalLines", m_bDisplayHorzLines);
  num("VerticalLines", m_bDisplayVertLines);
  POSITION pos = m_UserPropertiesMap.GetStartPosition();
  while (pos) {
    DWORD id;
    void* p;
    m_UserPropertiesMap.GetNextAssoc(pos, id, p);
    const auto* prop = static_cast<const UserProperty*>(p);
    // A value the profile refuses must not leave the entry it had before.
    const std::string key = FormatString("UP%u", (unsigned)id);
    if (!app.WriteProfileString(sec, key.c_str(), prop->pStyle ? GXEncodeProfileValue(prop->pStyle->GetValue()) : ""))
      app.WriteProfileString(sec, key.c_str(), nullptr);
  }
  for (const PrintEntry& e : kPrintEntries) num(e.name, this->*e.field);
  app.WriteProfileString(
      sec, "Margins",
      FormatString("%ld,%ld,%ld,%ld", (long)m_nTopMargin, (long)m_nLeftMargin, (long)m_nBottomMargin, (long)m_nRightMargin)
          .c_str());
  num("Start Page Numbering", m_nFirstPage);
  app.WriteProfileString(sec, "Distances", FormatString("%ld,%ld", (long)m_nDistTop, (long)m_nDistBottom).c_str());
}

BOOL CGXProperties::ReadProfile() {
  CAppProfile& app = GXGetAppProfile();
  const char* sec = m_strSection;
  if (!app.SectionExists(sec)) return FALSE;
  if (!app.IsRegistryMode() && app.GetSectionEntries(sec).empty()) return FALSE;
  // A missing or empty entry keeps the value.
  auto text = [&](const char* entry, CString& out) {
    out = app.GetProfileString(sec, entry, "");
    return !out.IsEmpty();
  };
  auto num = [&](const char* entry, auto& field) {
    CString s;
    if (text(entry, s)) field = (std::remove_reference_t<decltype(field)>)std::atol(s);
  };
  for (INT_PTR i = 0; i < m_ColorArray.GetSize(); ++i) {
    CString s;
    if (text(m_ColorNameArray[i], s)) m_ColorArray[i] = (DWORD)std::strtoul(s, nullptr, 10);
  }
  num("VerticalLines", m_bDisplayVertLines);
  num("HorizontalLines", m_bDisplayHorzLines);
  num("3dHeader", m_b3dHeader);
  num("MarkRowHeader", m_bMarkRowHeader);
  num("MarkColumnHeader", m_bMarkColHeader);
  POSITION pos = m_UserPropertiesMap.GetStartPosition();
  while (pos) {
    DWORD id;
    void* p;
    m_UserPropertiesMap.GetNextAssoc(pos, id, p);
    auto* prop = static_cast<UserProperty*>(p);
    CString s;
    if (prop->pStyle && text(FormatString("UP%u", (unsigned)id).c_str(), s))
      prop->pStyle->SetValue(GXDecodeProfileValue(s).GetString());
  }
  for (const PrintEntry& e : kPrintEntries) num(e.name, this->*e.field);
  CString s;
  long values[4];
  if (text("Margins", s)) {
    int* fields[4] = {&m_nTopMargin, &m_nLeftMargin, &m_nBottomMargin, &m_nRightMargin};
    const int n = ParseList(s, values, 4);
    for (int i = 0; i < n; ++i) *fields[i] = (int)values[i];
  }
  num("Start Page Numbering", m_nFirstPage);
  if (text("Distances", s)) {
    int* fields[2] = {&m_nDistTop, &m_nDistBottom};
    const int n = ParseList(s, values, 2);
    for (int i = 0; i < n; ++i) *fields[i] = (int)values[i];
  }
  return TRUE;
}

// ---- archive --------------------------------------------------------------------------------------------------

void CGXProperties::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kSchema;
    m_ColorArray.Serialize(ar);
    m_ColorNameArray.Serialize(ar);
    ar << (DWORD)m_bDisplayVertLines << (DWORD)m_bDisplayHorzLines << (DWORD)m_b3dHeader << (DWORD)m_bMarkRowHeader
       << (DWORD)m_bMarkColHeader;
    ar << m_strSection << (DWORD)m_nZoom;
    POSITION pos = m_UserPropertiesMap.GetStartPosition();
    while (pos) {
      DWORD id;
      void* p;
      m_UserPropertiesMap.GetNextAssoc(pos, id, p);
      const auto* prop = static_cast<const UserProperty*>(p);
      ar << id << prop->strName;
      ar.WriteObject(prop->pStyle);
    }
    ar << (DWORD)0;
    for (int v : {m_bPrintVertLines, m_bPrintHorzLines, m_nPageOrder, m_bBlackWhite, m_bPrintRowHeaders,
                  m_bCenterVertical, m_bCenterHorizontal, m_nTopMargin, m_nLeftMargin, m_nRightMargin,
                  m_nBottomMargin, m_bPrintFrame, m_nDistTop, m_nDistBottom, m_nFirstPage})
      ar << (DWORD)v;
    ar << m_wReserved1 << m_wReserved2;
    m_mapDataFooter.Serialize(ar);
    m_mapDataHeader.Serialize(ar);
    ar << (DWORD)m_bPrintColHeaders;
    return;
  }
  WORD schema = 0;
  ar >> schema;
  if (schema > kSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  m_ColorArray.Serialize(ar);
  m_ColorNameArray.Serialize(ar);
  DWORD d = 0;
  auto flag = [&](BOOL& field) {
    ar >> d;
    field = (BOOL)d;
  };
  flag(m_bDisplayVertLines);
  flag(m_bDisplayHorzLines);
  flag(m_b3dHeader);
  flag(m_bMarkRowHeader);
  flag(m_bMarkColHeader);
  ar >> m_strSection >> d;
  m_nZoom = (int)d;
  // Styles replaced while reading live until the end: a later one may refer back to their fonts.
  std::vector<std::unique_ptr<CGXStyle>> replaced;
  for (;;) {
    DWORD id = 0;
    ar >> id;
    if (id == 0) break;
    CString name;
    ar >> name;
    const size_t before = ar.GetLoadMapSize();
    auto* style = static_cast<CGXStyle*>(ar.ReadObject(RUNTIME_CLASS(CGXStyle)));
    if (style && ar.GetLoadMapSize() == before) style = style->Clone();
    void* p = nullptr;
    if (m_UserPropertiesMap.Lookup(id, p)) {
      auto* prop = static_cast<UserProperty*>(p);
      replaced.emplace_back(prop->pStyle);
      prop->pStyle = style;
      prop->strName = name;
    } else {
      m_UserPropertiesMap[id] = new UserProperty{id, name, style};
    }
  }
  int* fields[] = {&m_bPrintVertLines, &m_bPrintHorzLines, &m_nPageOrder, &m_bBlackWhite, &m_bPrintRowHeaders,
                   &m_bCenterVertical, &m_bCenterHorizontal, &m_nTopMargin, &m_nLeftMargin, &m_nRightMargin,
                   &m_nBottomMargin, &m_bPrintFrame, &m_nDistTop, &m_nDistBottom, &m_nFirstPage};
  for (int* f : fields) {
    ar >> d;
    *f = (int)d;
  }
  ar >> m_wReserved1 >> m_wReserved2;
  m_mapDataFooter.Serialize(ar);
  m_mapDataHeader.Serialize(ar);
  flag(m_bPrintColHeaders);
}
