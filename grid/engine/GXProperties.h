// CGXProperties: a grid's settings that are not cell styles: lines, headers, colours, margins,
// printed header and footer, and user properties.
#pragma once

#include "grid/engine/GXCollMap.h"
#include "grid/engine/GXData.h"
#include "platform/core/StringArray.h"

class CDC;
class CDocument;
class CGXGridParam;
class CPrintInfo;

class CGXProperties : public CObject {
  DECLARE_SERIAL(CGXProperties)

 public:
  struct UserProperty {
    DWORD nId = 0;
    CString strName;
    CGXStyle* pStyle = nullptr;  // owned
  };

  // Indexes of the default colour table.
  enum { colorGridLines = 0, colorFixedLines = 1, colorTrackingLine = 2, colorDraggingLine = 3, colorBackground = 4 };

  CGXProperties();
  CGXProperties(const CGXProperties& src);
  CGXProperties& operator=(const CGXProperties& src);
  ~CGXProperties() override;

  virtual void AddDefaultUserProperties();
  virtual void WriteProfile() const;
  // FALSE, changing nothing, when the section does not exist.
  virtual BOOL ReadProfile();
  // Replaces the header and footer tokens ("$F", "$A", "$P", "$N", "$D", "$R") in a text.
  virtual void SubstituteTokens(CString& sOut, LPCTSTR pszText);
  // The value of one token; a date token takes a "{format}" off the rest of the text.
  virtual void GetTokenValue(CString& sOut, int nToken, LPCTSTR& pszRest);
  // Fills the token values of the page and draws its header and footer around the print area.
  void BuildHeaderFooterText(CDC* pDC, CPrintInfo* pInfo, CDocument* pDoc, CGXGridParam* pParam);

  // The index of the named colour, appended when new.
  int AddColorProperty(LPCTSTR pszName, COLORREF color);
  COLORREF GetColor(int nIndex) const;
  void SetColor(int nIndex, COLORREF color);
  int GetColorCount() const { return (int)m_ColorArray.GetSize(); }
  const CString& GetColorName(int nIndex) const { return m_ColorNameArray[nIndex]; }
  // The name is the string resource of the id (a missing one raises the resource exception).
  void AddUserProperty(DWORD nId, const CGXStyle& style);
  const CGXStyle* GetUserProperty(DWORD nId) const;
  const CGXCollMapDWordToPtr& GetUserPropertyMap() const { return m_UserPropertiesMap; }

  void Serialize(CArchive& ar) override;

  // Display flags; the line and header answers take the print settings while printing.
  BOOL Get3dHeader() const { return m_b3dHeader; }
  void Set3dHeader(BOOL b) { m_b3dHeader = b; }
  BOOL GetDisplayVertLines() const { return m_bDisplayVertLines; }
  BOOL GetDisplayHorzLines() const { return m_bDisplayHorzLines; }
  void SetDisplayVertLines(BOOL b) { m_bDisplayVertLines = b; }
  void SetDisplayHorzLines(BOOL b) { m_bDisplayHorzLines = b; }
  BOOL GetVerticalLines() const { return m_bPrinting ? m_bPrintVertLines : m_bDisplayVertLines; }
  BOOL GetHorizontalLines() const { return m_bPrinting ? m_bPrintHorzLines : m_bDisplayHorzLines; }
  BOOL GetBlackWhite() const { return m_bPrinting && m_bBlackWhite; }
  BOOL GetDisplayColHeaders() const { return m_bPrinting ? m_bPrintColHeaders : TRUE; }
  BOOL GetDisplayRowHeaders() const { return m_bPrinting ? m_bPrintRowHeaders : TRUE; }
  BOOL GetMarkRowHeader() const { return m_bMarkRowHeader; }
  BOOL GetMarkColHeader() const { return m_bMarkColHeader; }
  void SetMarkRowHeader(BOOL b) { m_bMarkRowHeader = b; }
  void SetMarkColHeader(BOOL b) { m_bMarkColHeader = b; }
  void SetPrinting(BOOL b) { m_bPrinting = b; }
  BOOL GetPrinting() const { return m_bPrinting; }
  int GetZoom() const { return m_nZoom; }
  void SetZoom(int n) { m_nZoom = n; }
  void GetMargins(int& top, int& left, int& bottom, int& right) const;
  void SetMargins(int top, int left, int bottom, int right);
  const CString& GetSection() const { return m_strSection; }
  void SetSection(LPCTSTR pszSection) { m_strSection = pszSection; }
  CGXData& GetHeaderData() { return m_mapDataHeader; }
  CGXData& GetFooterData() { return m_mapDataFooter; }

  // The choices of the current-cell frame property (strings 51006-51009, 51017).
  CString m_sInvertThin, m_sInvertThick, m_sThinBorder, m_sThickBorder, m_sNoBorder;
  CStringArray m_TokenArray;
  CStringArray m_TokenValues;

  // Print settings, in logical units of the printer where they are sizes.
  BOOL m_bPrintVertLines = TRUE;
  BOOL m_bPrintHorzLines = TRUE;
  BOOL m_bPrintColHeaders = TRUE;
  BOOL m_bPrintRowHeaders = TRUE;
  BOOL m_bCenterHorizontal = TRUE;
  BOOL m_bCenterVertical = FALSE;
  int m_nPageOrder = 0;
  BOOL m_bBlackWhite = TRUE;
  BOOL m_bPrintFrame = TRUE;
  int m_nTopMargin = 144, m_nLeftMargin = 96, m_nBottomMargin = 144, m_nRightMargin = 96;
  int m_nDistTop = 38, m_nDistBottom = 38;
  int m_nFirstPage = -1;
  WORD m_wReserved1 = 0, m_wReserved2 = 0;

 private:
  struct PrintEntry {
    const char* name;
    int CGXProperties::* field;
  };
  static const PrintEntry kPrintEntries[9];

  void DeleteUserProperties();
  // Draws (pDC's text) or only measures a header or footer block; returns its height.
  int DrawHeaderFooterBlock(CDC* pDC, CGXData& data, const CRect& rect, BOOL bDraw);
  void CopyFrom(const CGXProperties& src);

  CGXStyle m_styleScratch;
  CGXCollMapDWordToPtr m_UserPropertiesMap;
  BOOL m_b3dHeader = TRUE;
  BOOL m_bDisplayVertLines = TRUE;
  BOOL m_bDisplayHorzLines = TRUE;
  BOOL m_bMarkRowHeader = TRUE;
  BOOL m_bMarkColHeader = TRUE;
  BOOL m_bPrinting = FALSE;
  CString m_strSection = "Grid";
  CStringArray m_ColorNameArray;
  CDWordArray m_ColorArray;
  int m_nZoom = 100;
  CGXData m_mapDataFooter;
  CGXData m_mapDataHeader;
};
