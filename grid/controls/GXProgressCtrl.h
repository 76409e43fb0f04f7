// CGXProgressCtrl: a cell drawn as a horizontal bar for an integer between two bounds, with an optional
// caption; it has no window and is not edited in place.
#pragma once

#include "grid/engine/GXControl.h"

class CGXStylesMap;

class CGXProgressCtrl : public CGXControl {
 public:
  explicit CGXProgressCtrl(CGXGridCore* pGrid) : CGXControl(pGrid) {}

  static void AddUserAttributes(CGXStylesMap* pStylesMap);

  GX_DECLARE_CONTROL_CLASS(CGXProgressCtrl, CGXControl)
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  // A stored value is brought into the bounds.
  BOOL StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0,
                      const CGXStyle* pOldStyle = nullptr) override;
  // The caption format applied to the value; a format that is not one integer conversion shows as written.
  virtual void GetCaption(CString& text, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style);
  virtual COLORREF GetBarColor(BOOL bInverse, const CGXStyle& style);
  virtual COLORREF GetBackColor(BOOL bInverse, const CGXStyle& style);

  // Value units per pixel of the last drawn bar.
  double GetScale() const { return m_dScale; }

 private:
  double m_dScale = 1.0;
};
