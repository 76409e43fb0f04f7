// CGXRadioButton: a vertical group of radio buttons, one per line of the choice list; the value is
// the chosen line's index as decimal text.
#pragma once

#include "grid/engine/GXControl.h"

#include <vector>

class CGXRadioButton : public CGXControl {
 public:
  CGXRadioButton(CGXGridCore* pGrid, BOOL b3D);

  GX_DECLARE_CONTROL_CLASS(CGXRadioButton, CGXControl)
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  BOOL LButtonUp(UINT flags, CPoint pt) override;
  BOOL DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The non-empty lines of a choice list (runs of CR and LF separate them).
  static std::vector<CString> Entries(const CGXStyle& style);
  // max(text height + external leading, 12).
  static int LineHeight(CDC* pDC);
  int GetDrawnCount() const { return m_nCount; }

 private:
  BOOL IsCellReadOnly(const CGXStyle& style);
  void Choose(int nIndex);

  int m_nCount = 0;
  BOOL m_b3D;
};
