// CGXHotSpotEdit, CGXSpinEdit: edit cells with buttons at their right edge; the hot-spot button reports
// its click to the grid, the spin arrows step an integer within optional bounds.
#pragma once

#include "grid/controls/GXButton.h"
#include "grid/controls/GXEditControl.h"

class CGXStylesMap;

class CGXHotSpotEdit : public CGXEditControl {
 public:
  CGXHotSpotEdit(CGXGridCore* pGrid, UINT nEditID);

  GX_DECLARE_CONTROL_CLASS(CGXHotSpotEdit, CGXEditControl)
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  void LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) override;
  CGXHotSpotButton* GetButton() const { return m_pButton; }

 private:
  CGXHotSpotButton* m_pButton;
};

class CGXSpinEdit : public CGXEditControl {
 public:
  CGXSpinEdit(CGXGridCore* pGrid, UINT nEditID);

  // The spin attributes with the editors the attribute dialog shows them in.
  static void AddUserAttributes(CGXStylesMap* pStylesMap);

  GX_DECLARE_CONTROL_CLASS(CGXSpinEdit, CGXEditControl)
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  // The bounds are read anew before an arrow sees the press; a press beside the arrows is the grid's.
  BOOL LButtonDown(UINT flags, CPoint pt) override;
  // One step up or down.
  BOOL OnClickedButton(CObject* pChild) override;
  void LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) override;

  CGXUpArrowButton* GetUpButton() const { return m_pUp; }
  CGXDownArrowButton* GetDownButton() const { return m_pDown; }

 private:
  void ReadBounds(const CGXStyle& style);

  CGXUpArrowButton* m_pUp;
  CGXDownArrowButton* m_pDown;
  int m_nWrap = 0;
  int32_t m_nMin = 0, m_nMax = 0;
  BOOL m_bHasMin = FALSE, m_bHasMax = FALSE;
  BOOL m_bHasStart = FALSE;
  int32_t m_nStart = 0;
};
