// CHexGridCtrl: the edit cell of the memory view, showing and accepting hexadecimal numbers.
#pragma once

#include "grid/controls/GXEditControl.h"

class CHexGridCtrl : public CGXEditControl {
 public:
  explicit CHexGridCtrl(CGXGridCore* pGrid) : CGXEditControl(pGrid, 15005) {}

  GX_DECLARE_CONTROL_CLASS(CHexGridCtrl, CGXEditControl)
  void SetActiveText(const CString& text) override;
  // The value re-formatted with the "Hexa edit" attribute when it reads as a hexadecimal number.
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  // Hexadecimal digits only, at least one and at most the cell's MaxLength.
  BOOL ValidateText(const CString& text) override;
  // The number formatted when `format` holds exactly one integer conversion, else FALSE.
  static BOOL FormatNumber(const CString& format, unsigned int value, CString& out);
};
