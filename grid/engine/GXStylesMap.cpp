#include "grid/engine/GXStylesMap.h"

#include "grid/engine/GXLibraryDefaults.h"
#include "grid/engine/GXProfile.h"
#include "grid/engine/GXTextForms.h"
#include "platform/core/Archive.h"
#include "platform/core/Format.h"
#include "platform/core/Resource.h"

#include <memory>
#include <vector>

IMPLEMENT_SERIAL(CGXStylesMap, CObject, 2)

namespace {

CString LoadResourceName(UINT nId) {
  std::string text;
  if (!LoadStringResource(nId, text)) AfxThrowResourceException();
  return CString(std::move(text));
}

}  // namespace

CGXStylesMap::CGXStylesMap(CRuntimeClass* pStyleClass)
    : m_pStyleClass(pStyleClass ? pStyleClass : RUNTIME_CLASS(CGXStyle)), m_strSection("Styles") {
  m_BaseStyleNames.InitHashTable(17, FALSE);
  m_ControlNames.InitHashTable(17, FALSE);
}

CGXStylesMap::CGXStylesMap(const CGXStylesMap& src) : CObject(), m_pStyleClass(src.m_pStyleClass) { *this = src; }

CGXStylesMap::~CGXStylesMap() { DeleteAll(); }

CGXStyle* CGXStylesMap::NewStyle() const {
  CObject* obj = m_pStyleClass->CreateObject();
  if (!obj) AfxThrowMemoryException();
  return static_cast<CGXStyle*>(obj);
}

void CGXStylesMap::DeleteBaseStyles() {
  POSITION pos = m_BaseStyles.GetStartPosition();
  while (pos) {
    WORD id;
    BaseStyleEntry* e;
    m_BaseStyles.GetNextAssoc(pos, id, e);
    delete e->pStyle;
    delete e;
  }
  m_BaseStyles.RemoveAll();
  m_ResourceIds.RemoveAll();
}

void CGXStylesMap::DeleteUserAttributes() {
  POSITION pos = m_UserAttributes.GetStartPosition();
  while (pos) {
    DWORD id;
    UserAttributeEntry* e;
    m_UserAttributes.GetNextAssoc(pos, id, e);
    delete e->pStyle;
    delete e;
  }
  m_UserAttributes.RemoveAll();
}

void CGXStylesMap::DeleteAll() {
  DeleteBaseStyles();
  m_BaseStyleNames.RemoveAll();
  m_ControlNames.RemoveAll();
  DeleteUserAttributes();
}

CGXStylesMap& CGXStylesMap::operator=(const CGXStylesMap& src) {
  if (this == &src) return *this;
  DeleteAll();
  m_pStyleClass = src.m_pStyleClass;
  POSITION pos = src.m_BaseStyles.GetStartPosition();
  while (pos) {
    WORD id;
    BaseStyleEntry* e;
    src.m_BaseStyles.GetNextAssoc(pos, id, e);
    m_BaseStyles[id] = new BaseStyleEntry{e->nId, e->nResourceId, e->strName, e->pStyle->Clone(), e->bSystem};
  }
  pos = src.m_BaseStyleNames.GetStartPosition();
  while (pos) {
    CString name;
    WORD id;
    src.m_BaseStyleNames.GetNextAssoc(pos, name, id);
    m_BaseStyleNames[name] = id;
  }
  pos = src.m_ResourceIds.GetStartPosition();
  while (pos) {
    UINT res;
    WORD id;
    src.m_ResourceIds.GetNextAssoc(pos, res, id);
    m_ResourceIds[res] = id;
  }
  m_nNextId = src.m_nNextId;
  pos = src.m_ControlNames.GetStartPosition();
  while (pos) {
    UINT id;
    CString name;
    src.m_ControlNames.GetNextAssoc(pos, id, name);
    m_ControlNames[id] = name;
  }
  pos = src.m_UserAttributes.GetStartPosition();
  while (pos) {
    DWORD id;
    UserAttributeEntry* e;
    src.m_UserAttributes.GetNextAssoc(pos, id, e);
    m_UserAttributes[id] = new UserAttributeEntry{e->nId, e->strName, e->pStyle ? e->pStyle->Clone() : nullptr};
  }
  m_strSection = src.m_strSection;
  LookupBuiltInIds();
  return *this;
}

void CGXStylesMap::LookupBuiltInIds() {
  WORD id;
  m_wStyleStandard = LookupResourceId(idsStandard, id) ? id : 0;
  m_wStyleColHeader = LookupResourceId(idsColHeader, id) ? id : 0;
  m_wStyleRowHeader = LookupResourceId(idsRowHeader, id) ? id : 0;
}

void CGXStylesMap::CreateStandardStyles() {
  CGXStyle standard;
  standard.SetDefault();
  CGXFont font = CGXFont::StandardFont();
  font.SetSize(8);
  standard.SetFont(font, 2);
  m_wStyleStandard = RegisterStyle(idsStandard, standard, TRUE);

  int first, second, third;
  GXGetLibraryDefaults(first, second, third);
  const bool nullBorders = first != 0 && third != 0;

  CGXStyle colHeader;
  colHeader.SetFont(CGXFont().SetWeight(700))
      .SetHorizontalAlignment(1)
      .SetVerticalAlignment(4)
      .SetControl(52520)
      .SetInterior(GXSysColorRef(COLOR_BTNFACE));
  if (nullBorders) colHeader.SetBorders(CGXStyle::sideAll, CGXPenValue(5, 1, 0));
  m_wStyleColHeader = RegisterStyle(idsColHeader, colHeader, TRUE);

  CGXStyle rowHeader;
  rowHeader.SetControl(52520).SetInterior(GXSysColorRef(COLOR_BTNFACE));
  if (nullBorders) rowHeader.SetBorders(CGXStyle::sideAll, CGXPenValue(5, 1, 0));
  m_wStyleRowHeader = RegisterStyle(idsRowHeader, rowHeader, TRUE);
}

WORD CGXStylesMap::RegisterStyle(UINT nResourceId, const CGXStyle& style, BOOL bSystem) {
  CString name = LoadResourceName(nResourceId);
  WORD id;
  if (!LookupResourceId(nResourceId, id)) id = m_nNextId;
  SetBaseStyleEntry(id, style, name, nResourceId, bSystem);
  return id;
}

void CGXStylesMap::SetBaseStyleEntry(WORD id, const CGXStyle& style, LPCTSTR pszName, UINT nResourceId,
                                     BOOL bSystem) {
  CString name(pszName);
  BaseStyleEntry* e = nullptr;
  if (m_BaseStyles.Lookup(id, e)) {
    CGXStyle* copy = style.Clone();
    delete e->pStyle;
    e->pStyle = copy;
    if (e->strName != name) {
      // The old name no longer leads to this style.
      WORD old;
      if (m_BaseStyleNames.Lookup(e->strName, old) && old == id) m_BaseStyleNames.RemoveKey(e->strName);
      e->strName = name;
    }
    e->nResourceId = nResourceId;
    e->bSystem = bSystem ? 1 : 0;
  } else {
    m_BaseStyles[id] = new BaseStyleEntry{id, nResourceId, name, style.Clone(), bSystem ? 1u : 0u};
  }
  m_BaseStyleNames[name] = id;
  if (nResourceId) m_ResourceIds[nResourceId] = id;
  if (id >= m_nNextId) m_nNextId = (WORD)(id + 1);
}

BOOL CGXStylesMap::LookupStyle(WORD id, CGXStyle*& pStyle) const {
  BaseStyleEntry* e;
  if (!m_BaseStyles.Lookup(id, e)) return FALSE;
  pStyle = e->pStyle;
  return TRUE;
}

WORD CGXStylesMap::GetBaseStyleId(LPCTSTR pszName) const {
  WORD id = 0;
  LookupBaseStyleName(pszName, id);
  return id;
}

BOOL CGXStylesMap::LookupBaseStyleName(LPCTSTR pszName, WORD& id) const {
  return pszName && m_BaseStyleNames.Lookup(pszName, id);
}

LPCTSTR CGXStylesMap::GetStyleName(WORD id, UINT& nResourceId) const {
  const BaseStyleEntry* e = GetBaseStyleEntry(id);
  nResourceId = e ? e->nResourceId : 0;
  return e ? e->strName.GetString() : nullptr;
}

BOOL CGXStylesMap::LookupResourceId(UINT nResourceId, WORD& id) const { return m_ResourceIds.Lookup(nResourceId, id); }

const CGXStylesMap::BaseStyleEntry* CGXStylesMap::GetBaseStyleEntry(WORD id) const {
  BaseStyleEntry* e = nullptr;
  return m_BaseStyles.Lookup(id, e) ? e : nullptr;
}

void CGXStylesMap::AddControl(UINT nControlId) { m_ControlNames[nControlId] = LoadResourceName(nControlId); }

BOOL CGXStylesMap::GetControlName(UINT nControlId, CString& name) const { return m_ControlNames.Lookup(nControlId, name); }

void CGXStylesMap::AddUserAttribute(UINT nId, const CGXStyle* pDefaultStyle) {
  UserAttributeEntry* e;
  if (m_UserAttributes.Lookup(nId, e)) return;
  // The name first: a missing resource leaves nothing behind.
  CString name = LoadResourceName(nId);
  std::unique_ptr<CGXStyle> style(NewStyle());
  if (pDefaultStyle) *style = *pDefaultStyle;
  m_UserAttributes[nId] = new UserAttributeEntry{nId, name, style.release()};
}

const CGXStylesMap::UserAttributeEntry* CGXStylesMap::GetUserAttributeEntry(UINT nId) const {
  UserAttributeEntry* e = nullptr;
  return m_UserAttributes.Lookup(nId, e) ? e : nullptr;
}

// ---- Archive --------------------------------------------------------------------------------------

void CGXStylesMap::AttachToArchive(CArchive& ar, const CGXStylesMap* pMap) {
  ar.m_pDocument = reinterpret_cast<CDocument*>(const_cast<CGXStylesMap*>(pMap));
}

const CGXStylesMap* CGXStylesMap::FromArchive(CArchive& ar) {
  // Documents and styles maps are both framework objects, so the pointer can be asked its class.
  CObject* obj = reinterpret_cast<CObject*>(ar.m_pDocument);
  return obj && obj->IsKindOf(RUNTIME_CLASS(CGXStylesMap)) ? static_cast<const CGXStylesMap*>(obj) : nullptr;
}

void CGXStylesMap::Serialize(CArchive& ar) {
  const WORD kSchema = 2;
  if (ar.IsStoring()) {
    ar << kSchema << m_strSection;
    m_ControlNames.Serialize(ar);
    ar << (WORD)m_BaseStyleNames.GetCount();
    POSITION pos = m_BaseStyleNames.GetStartPosition();
    while (pos) {
      CString name;
      WORD id;
      m_BaseStyleNames.GetNextAssoc(pos, name, id);
      ar << id << name;
    }
    ar << (WORD)m_BaseStyles.GetCount();
    pos = m_BaseStyles.GetStartPosition();
    while (pos) {
      WORD id;
      BaseStyleEntry* e;
      m_BaseStyles.GetNextAssoc(pos, id, e);
      ar << e->nId << (DWORD)e->nResourceId << e->strName << (BYTE)(e->bSystem ? 1 : 0);
      e->pStyle->Serialize(ar, this);
    }
    ar << m_nNextId;
    ar << (WORD)m_UserAttributes.GetCount();
    pos = m_UserAttributes.GetStartPosition();
    while (pos) {
      DWORD id;
      UserAttributeEntry* e;
      m_UserAttributes.GetNextAssoc(pos, id, e);
      ar << (DWORD)e->nId;
      if (e->pStyle) {
        e->pStyle->Serialize(ar, this);
      } else {
        CGXStyle empty;
        empty.Serialize(ar, this);
      }
    }
    return;
  }

  WORD schema = 0;
  ar >> schema;
  if (schema > kSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  // Styles replaced by a repeated id live until the archive is read: a later font may refer back
  // to one of theirs.
  std::vector<std::unique_ptr<CGXStyle>> replaced;
  DeleteBaseStyles();
  m_BaseStyleNames.RemoveAll();
  m_ControlNames.RemoveAll();
  ar >> m_strSection;
  m_ControlNames.Serialize(ar);
  WORD count = 0;
  ar >> count;
  for (WORD i = 0; i < count; ++i) {
    WORD id;
    CString name;
    ar >> id >> name;
    m_BaseStyleNames[name] = id;
  }
  ar >> count;
  for (WORD i = 0; i < count; ++i) {
    auto read = std::make_unique<BaseStyleEntry>();
    DWORD resId;
    BYTE system;
    ar >> read->nId >> resId >> read->strName >> system;
    read->nResourceId = resId;
    read->bSystem = system;
    std::unique_ptr<CGXStyle> style(NewStyle());
    // The style's own base style resolves against the entries read so far and the names.
    style->Serialize(ar, this);
    read->pStyle = style.release();
    BaseStyleEntry* e = read.release();
    BaseStyleEntry* old;
    if (m_BaseStyles.Lookup(e->nId, old)) {
      replaced.emplace_back(old->pStyle);
      delete old;
    }
    m_BaseStyles[e->nId] = e;
    if (e->nResourceId) m_ResourceIds[e->nResourceId] = e->nId;
  }
  ar >> m_nNextId;
  LookupBuiltInIds();
  if (schema >= 2) {
    ar >> count;
    for (WORD i = 0; i < count; ++i) {
      DWORD id;
      ar >> id;
      std::unique_ptr<CGXStyle> style(NewStyle());
      style->Serialize(ar, this);
      UserAttributeEntry* e;
      if (m_UserAttributes.Lookup(id, e)) {
        replaced.emplace_back(e->pStyle);
        e->pStyle = style.release();
        continue;
      }
      std::string name;
      if (!LoadStringResource(id, name)) AfxThrowResourceException();
      m_UserAttributes[id] = new UserAttributeEntry{id, CString(std::move(name)), style.release()};
    }
  }
}

// ---- Profile --------------------------------------------------------------------------------------

CString CGXStylesMap::ProfileKey(const BaseStyleEntry& e) const {
  if (e.nResourceId) return CString(FormatString("#%u", e.nResourceId));
  return e.strName;
}

void CGXStylesMap::WriteProfile() const {
  CAppProfile& app = GXGetAppProfile();
  const bool registry = app.IsRegistryMode();
  if (registry) {
    for (const CString& sub : app.GetSubKeys(m_strSection)) app.DeleteSubKey(m_strSection, sub);
  } else {
    app.WriteProfileString(m_strSection, nullptr, nullptr);
  }
  POSITION pos = m_BaseStyleNames.GetStartPosition();
  while (pos) {
    CString name;
    WORD id;
    m_BaseStyleNames.GetNextAssoc(pos, name, id);
    const BaseStyleEntry* e = GetBaseStyleEntry(id);
    if (!e || e->strName != name) continue;
    CString key = ProfileKey(*e);
    if (registry) {
      e->pStyle->WriteProfile(m_strSection + "\\" + key, this);
    } else {
      app.WriteProfileString(m_strSection, key, "1");
      e->pStyle->WriteProfile(m_strSection + "." + key, this);
    }
  }
}

void CGXStylesMap::ReadProfile() {
  CAppProfile& app = GXGetAppProfile();
  const bool registry = app.IsRegistryMode();
  std::vector<CString> keys = registry ? app.GetSubKeys(m_strSection) : app.GetSectionEntries(m_strSection);
  for (const CString& key : keys) {
    if (key.IsEmpty()) continue;
    // A key naming a string resource this program lacks is someone else's entry: it is skipped
    // rather than ending the read half-way.
    std::string resName;
    if (key[0] == '#' && !LoadStringResource((UINT)GXAtol(key.GetString() + 1), resName)) continue;
    std::unique_ptr<CGXStyle> style(NewStyle());
    style->ReadProfile(m_strSection + (registry ? "\\" : ".") + key, this);
    if (key[0] == '#') {
      UINT resId = (UINT)GXAtol(key.GetString() + 1);
      WORD id;
      const BaseStyleEntry* e = LookupResourceId(resId, id) ? GetBaseStyleEntry(id) : nullptr;
      RegisterStyle(resId, *style, e ? e->bSystem : FALSE);
    } else {
      WORD id;
      if (!LookupBaseStyleName(key, id)) id = m_nNextId;
      const BaseStyleEntry* e = GetBaseStyleEntry(id);
      SetBaseStyleEntry(id, *style, key, e ? e->nResourceId : 0, e ? e->bSystem : FALSE);
    }
  }
  LookupBuiltInIds();
  CGXStyle* standard = nullptr;
  WORD id;
  if (LookupResourceId(idsStandard, id) && LookupStyle(id, standard) && standard) {
    CGXStyle defaults;
    defaults.SetDefault();
    standard->ChangeStyle(defaults, 1);
  }
}
