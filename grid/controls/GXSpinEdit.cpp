#include "grid/controls/GXSpinEdit.h"

#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

const DWORD kSpinMin = 51014, kSpinMax = 51015, kSpinWrap = 51016, kSpinStart = 51021;
const int kHotSpotWidth = 13, kSpinWidth = 14;

// atol over 32 bits, saturating rather than wrapping, so a huge typed number steps from the bound.
int32_t ReadLong(LPCTSTR text) {
  const char* p = text ? text : "";
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = std::min<int64_t>(value * 10 + (*p - '0'), int64_t(INT32_MAX) + 1);
  if (negative) value = -value;
  return (int32_t)std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
}

void InvalidateInGrid(CGXGridCore* grid, const CRect& rect) {
  if (grid && grid->m_pGridWnd && grid->m_pGridWnd->GetSafeHwnd() && !rect.IsRectEmpty())
    grid->m_pGridWnd->InvalidateRect(&rect, FALSE);
}

}  // namespace

// ---- hot spot ---------------------------------------------------------------------------------------------------

CGXHotSpotEdit::CGXHotSpotEdit(CGXGridCore* pGrid, UINT nEditID)
    : CGXEditControl(pGrid, nEditID), m_pButton(new CGXHotSpotButton(this)) {
  AddChild(m_pButton);
}

CSize CGXHotSpotEdit::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  size.cx += kHotSpotWidth;
  return CGXEditControl::GrowSizeByBorders(size, style);
}

void CGXHotSpotEdit::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect,
                                      const CGXStyle* pStyle) {
  CGXEditControl::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);
  rect.right -= kHotSpotWidth;
}

void CGXHotSpotEdit::LayoutChildren(ROWCOL, ROWCOL, const CRect& rect) {
  CRect button(rect.right - 14, rect.top, rect.right - 1, rect.top + 13), clipped;
  if (!clipped.IntersectRect(button, rect)) clipped.SetRectEmpty();
  if (!clipped.IsRectEmpty() && clipped.Height() < rect.Height() - 1) clipped.OffsetRect(0, 1);
  m_pButton->SetRect(clipped);
}

void CGXHotSpotEdit::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXEditControl::Init(nRow, nCol);
  if (!m_pGrid) return;
  LayoutChildren(nRow, nCol, CalcDrawnCellRect(nRow, nCol));
  InvalidateInGrid(m_pGrid, m_pButton->GetRect());
}

// ---- spin ---------------------------------------------------------------------------------------------------------

CGXSpinEdit::CGXSpinEdit(CGXGridCore* pGrid, UINT nEditID)
    : CGXEditControl(pGrid, nEditID), m_pUp(new CGXUpArrowButton(this)), m_pDown(new CGXDownArrowButton(this)) {
  AddChild(m_pUp);
  AddChild(m_pDown);
}

void CGXSpinEdit::AddUserAttributes(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  CGXStyle number, check;
  number.SetControl(52519).SetWrapText(FALSE);
  check.SetControl(52523).SetHorizontalAlignment(DT_CENTER);
  for (DWORD id : {kSpinMin, kSpinMax}) pStylesMap->AddUserAttribute(id, &number);
  pStylesMap->AddUserAttribute(kSpinWrap, &check);
  pStylesMap->AddUserAttribute(kSpinStart, &number);
}

CSize CGXSpinEdit::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  size.cx += kSpinWidth;
  return CGXEditControl::GrowSizeByBorders(size, style);
}

void CGXSpinEdit::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect,
                                   const CGXStyle* pStyle) {
  CGXEditControl::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);
  rect.right -= kSpinWidth;
}

void CGXSpinEdit::LayoutChildren(ROWCOL, ROWCOL, const CRect& rect) {
  CRect column(rect.right - 15, rect.top + 1, rect.right - 1, rect.bottom - 1), clipped;
  if (!clipped.IntersectRect(column, rect)) {
    m_pUp->SetRect(CRect());
    m_pDown->SetRect(CRect());
    return;
  }
  const int middle = clipped.top + clipped.Height() / 2;
  m_pUp->SetRect(CRect(clipped.left, clipped.top, clipped.right, middle));
  m_pDown->SetRect(CRect(clipped.left, middle, clipped.right, clipped.bottom));
}

void CGXSpinEdit::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXEditControl::Init(nRow, nCol);
  if (!m_pGrid) return;
  LayoutChildren(nRow, nCol, CalcDrawnCellRect(nRow, nCol));
  InvalidateInGrid(m_pGrid, m_pUp->GetRect());
  InvalidateInGrid(m_pGrid, m_pDown->GetRect());
  GetCurrentStyle();
}

void CGXSpinEdit::ReadBounds(const CGXStyle& style) {
  auto text = [&](DWORD id) { return style.HasUserAttribute(id) ? style.GetUserAttribute(id) : CString(); };
  const CString min = text(kSpinMin), max = text(kSpinMax), start = text(kSpinStart);
  m_nWrap = ReadLong(text(kSpinWrap)) != 0;
  m_bHasMin = !min.IsEmpty();
  m_bHasMax = !max.IsEmpty();
  m_bHasStart = !start.IsEmpty();
  m_nMin = ReadLong(min);
  m_nMax = ReadLong(max);
  m_nStart = ReadLong(start);
}

BOOL CGXSpinEdit::LButtonDown(UINT flags, CPoint pt) {
  if (m_bInit && m_pGrid) ReadBounds(m_pGrid->LookupStyleRowCol(m_nRow, m_nCol));
  if (CGXEditControl::LButtonDown(flags, pt)) return TRUE;
  SetFocusChild(nullptr);
  return FALSE;
}

BOOL CGXSpinEdit::OnClickedButton(CObject* pChild) {
  if (!m_bInit || !m_pGrid) return FALSE;
  const BOOL wasActive = IsActive();
  if (!wasActive) {
    if (!ScrollCellIntoView()) return FALSE;
    SetActive(TRUE);
  }
  if (!IsReadOnly() && m_hWnd) {
    const bool up = pChild == m_pUp;
    CString text;
    GetWindowText(text);
    int64_t n;
    if (m_bHasStart && text.IsEmpty()) {
      n = m_nStart;
    } else {
      n = ReadLong(text);
      if (up) {
        if (!m_bHasMax || n < m_nMax) n = std::min<int64_t>(n + 1, INT32_MAX);
        else if (m_nWrap && m_bHasMin) n = m_nMin;
      } else {
        if (!m_bHasMin || n > m_nMin) n = std::max<int64_t>(n - 1, INT32_MIN);
        else if (m_nWrap && m_bHasMax) n = m_nMax;
      }
    }
    if (m_bHasMin && n < m_nMin) n = m_nMin;
    if (m_bHasMax && n > m_nMax) n = m_nMax;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%ld", (long)n);
    SetWindowText(buf);
    SetModify(TRUE);
    OnModifyCell();
    SetSel(0, -1);
    SendMessage(EM_SCROLLCARET);
    if (wasActive)
      UpdateEditStyle();
    else
      Refresh();
  }
  return CGXEditControl::OnClickedButton(pChild);
}
