// CGXStylesMap: one grid's catalogue of named base styles, user attributes and cell-control names.
#pragma once

#include "grid/engine/GXStyle.h"
#include "platform/core/Map.h"

class CArchive;

class CGXStylesMap : public CObject {
  DECLARE_SERIAL(CGXStylesMap)

 public:
  // String resources of the built-in base styles.
  enum : UINT { idsStandard = 52768, idsRowHeader = 52769, idsColHeader = 52770 };

  struct BaseStyleEntry {
    WORD nId = 0;
    UINT nResourceId = 0;  // 0 for a style registered by name
    CString strName;
    CGXStyle* pStyle = nullptr;  // owned
    DWORD bSystem = 0;
  };
  struct UserAttributeEntry {
    DWORD nId = 0;
    CString strName;
    CGXStyle* pStyle = nullptr;  // owned; how the attribute is edited
  };

  explicit CGXStylesMap(CRuntimeClass* pStyleClass = nullptr);
  CGXStylesMap(const CGXStylesMap& src);
  CGXStylesMap& operator=(const CGXStylesMap& src);
  ~CGXStylesMap() override;

  void CreateStandardStyles();
  // The name is the text of the string resource (a missing one raises the resource exception).
  WORD RegisterStyle(UINT nResourceId, const CGXStyle& style, BOOL bSystem = FALSE);
  void SetBaseStyleEntry(WORD id, const CGXStyle& style, LPCTSTR pszName, UINT nResourceId, BOOL bSystem);

  BOOL LookupStyle(WORD id, CGXStyle*& pStyle) const;
  // 0 when the name is not registered.
  WORD GetBaseStyleId(LPCTSTR pszName) const;
  BOOL LookupBaseStyleName(LPCTSTR pszName, WORD& id) const;
  // Null and 0 when the id is not registered.
  LPCTSTR GetStyleName(WORD id, UINT& nResourceId) const;
  BOOL LookupResourceId(UINT nResourceId, WORD& id) const;
  const BaseStyleEntry* GetBaseStyleEntry(WORD id) const;
  INT_PTR GetBaseStyleCount() const { return m_BaseStyles.GetCount(); }
  WORD GetNextId() const { return m_nNextId; }

  WORD GetStandardStyleId() const { return m_wStyleStandard; }
  WORD GetColHeaderStyleId() const { return m_wStyleColHeader; }
  WORD GetRowHeaderStyleId() const { return m_wStyleRowHeader; }

  void AddControl(UINT nControlId);
  BOOL GetControlName(UINT nControlId, CString& name) const;
  const CMap<UINT, UINT, CString, LPCTSTR>& GetControlNameMap() const { return m_ControlNames; }

  void AddUserAttribute(UINT nId, const CGXStyle* pDefaultStyle = nullptr);
  const UserAttributeEntry* GetUserAttributeEntry(UINT nId) const;
  const CMap<DWORD, DWORD, UserAttributeEntry*, UserAttributeEntry*>& GetUserAttributeMap() const {
    return m_UserAttributes;
  }

  CRuntimeClass* GetStyleClass() const { return m_pStyleClass; }
  // The profile section (default "Styles").
  const CString& GetSection() const { return m_strSection; }
  void SetSection(LPCTSTR pszSection) { m_strSection = pszSection; }

  void DeleteAll();

  void Serialize(CArchive& ar) override;
  virtual void WriteProfile() const;
  virtual void ReadProfile();

  // While the grid's data and properties are archived the archive's document pointer carries the
  // styles map; styles read and written then resolve base styles through it.
  static void AttachToArchive(CArchive& ar, const CGXStylesMap* pMap);
  static const CGXStylesMap* FromArchive(CArchive& ar);

 private:
  CGXStyle* NewStyle() const;
  void DeleteBaseStyles();
  void DeleteUserAttributes();
  void LookupBuiltInIds();
  // The profile key of a base style: "#<resource id>" or its name.
  CString ProfileKey(const BaseStyleEntry& e) const;

  WORD m_wStyleStandard = 0;
  WORD m_wStyleColHeader = 0;
  WORD m_wStyleRowHeader = 0;
  CRuntimeClass* m_pStyleClass;
  CMap<CString, LPCTSTR, WORD, WORD> m_BaseStyleNames;
  CMap<WORD, WORD, BaseStyleEntry*, BaseStyleEntry*> m_BaseStyles;
  CMap<UINT, UINT, WORD, WORD> m_ResourceIds;
  WORD m_nNextId = 0;
  CMap<UINT, UINT, CString, LPCTSTR> m_ControlNames;
  CMap<DWORD, DWORD, UserAttributeEntry*, UserAttributeEntry*> m_UserAttributes;
  CString m_strSection;
};

