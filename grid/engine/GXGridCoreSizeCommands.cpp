// The grid core's size commands: row heights and column widths with undo, default sizes, hiding,
// the redraw after a size change, best fit and zoom.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXOperationProgress.h"
#include "grid/engine/GXProperties.h"
#include "platform/core/Exception.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

const ROWCOL kNone = (ROWCOL)-1;

BOOL Records(CGXGridParam* param, GXCmdType ctCmd) { return param && ctCmd != CmdRollback && param->m_bUndoEnabled; }

// nTo 0 means nFrom; an end beyond the count stops at the count, so no run grows without bound.
BOOL ClampRun(ROWCOL nFrom, ROWCOL& nTo, ROWCOL nCount) {
  if (nTo == 0) nTo = nFrom;
  nTo = std::min(nTo, std::max(nFrom, nCount));
  return nTo >= nFrom;
}

// The sizes an undo gives back: what the rows (columns) have, not what a window too small for them shows.
template <class Get>
std::unique_ptr<int[]> HeldSizes(CGXGridCore& grid, BOOL bRows, ROWCOL nFrom, ROWCOL nTo, Get get) {
  const CGXGridCore::StoredSizes stored(grid, bRows, !bRows);
  std::unique_ptr<int[]> sizes(new int[nTo - nFrom + 1]);
  for (ROWCOL n = nFrom;; ++n) {
    sizes[n - nFrom] = get(n);
    if (n == nTo) break;
  }
  return sizes;
}

}  // namespace

// ---- heights and widths -------------------------------------------------------------------------------------

BOOL CGXGridCore::SetRowHeight(ROWCOL nFrom, ROWCOL nTo, int nHeight, const int* anHeights, UINT flags,
                               GXCmdType ctCmd) {
  if (!m_pParam || !ClampRun(nFrom, nTo, GetRowCount())) return FALSE;
  CGXOperationProgress progress;
  std::unique_ptr<int[]> old = HeldSizes(*this, TRUE, nFrom, nTo, [this](ROWCOL r) { return GetRowHeight(r); });
  BOOL changed = FALSE;
  for (ROWCOL r = nFrom;; ++r) {
    changed |= StoreRowHeight(r, anHeights ? anHeights[r - nFrom] : nHeight);
    if (r == nTo) break;
  }
  if (!changed) return FALSE;
  const CGXRange rows = CGXRange().SetCellRange(nFrom, 0, nTo, GetColCount());
  DelayMergeCells(rows);
  DelayFloatCells(rows);
  UpdateChangedRowHeights(nFrom, nTo, old.get(), flags, TRUE);
  if (Records(m_pParam, ctCmd)) {
    AddCommand(new CGXSetRowHeightCmd(nFrom, nTo, old.release()), ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo) SetCurrentCellAfterCommand(nFrom, GetLeftCol(), FALSE);
  }
  return TRUE;
}

BOOL CGXGridCore::SetColWidth(ROWCOL nFrom, ROWCOL nTo, int nWidth, const int* anWidths, UINT flags, GXCmdType ctCmd) {
  if (!m_pParam || !ClampRun(nFrom, nTo, GetColCount())) return FALSE;
  CGXOperationProgress progress;
  std::unique_ptr<int[]> old = HeldSizes(*this, FALSE, nFrom, nTo, [this](ROWCOL c) { return GetColWidth(c); });
  BOOL changed = FALSE;
  for (ROWCOL c = nFrom;; ++c) {
    changed |= StoreColWidth(c, anWidths ? anWidths[c - nFrom] : nWidth);
    if (c == nTo) break;
  }
  if (!changed) return FALSE;
  // A text floats as far as the widths let it: the changed columns and the one after them are due again
  // (an anchor further left is reached through the columns it floats over).
  const CGXRange cols = CGXRange().SetCellRange(0, nFrom, GetRowCount(), nTo + 1);
  DelayMergeCells(cols);
  DelayFloatCells(cols);
  UpdateChangedColWidths(nFrom, nTo, old.get(), flags, TRUE);
  if (Records(m_pParam, ctCmd)) {
    AddCommand(new CGXSetColWidthCmd(nFrom, nTo, old.release()), ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo) SetCurrentCellAfterCommand(GetTopRow(), nFrom, FALSE);
  }
  return TRUE;
}

BOOL CGXGridCore::SetDefaultRowHeight(int nHeight, UINT flags, GXCmdType ctCmd) {
  const int old = GetDefaultRowHeight();
  if (!StoreDefaultRowHeight(nHeight)) return FALSE;
  UpdateChangedRowHeights(1, std::max<ROWCOL>(1, GetRowCount()), nullptr, flags, TRUE);
  if (Records(m_pParam, ctCmd)) AddCommand(new CGXSetDefaultRowHeightCmd(old), ctCmd);
  return TRUE;
}

BOOL CGXGridCore::SetDefaultColWidth(int nWidth, UINT flags, GXCmdType ctCmd) {
  const int old = GetDefaultColWidth();
  if (!StoreDefaultColWidth(nWidth)) return FALSE;
  const CGXRange table = CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount());
  DelayMergeCells(table);
  DelayFloatCells(table);
  UpdateChangedColWidths(1, std::max<ROWCOL>(1, GetColCount()), nullptr, flags, TRUE);
  if (Records(m_pParam, ctCmd)) AddCommand(new CGXSetDefaultColWidthCmd(old), ctCmd);
  return TRUE;
}

BOOL CGXGridCore::HideRows(ROWCOL nFrom, ROWCOL nTo, BOOL bHide, const BOOL* abHide, UINT flags, GXCmdType ctCmd) {
  if (!m_pParam || !ClampRun(nFrom, nTo, GetRowCount())) return FALSE;
  CGXOperationProgress progress;
  const ROWCOL n = nTo - nFrom + 1;
  std::unique_ptr<int[]> heights(new int[n]);
  std::unique_ptr<BOOL[]> hidden(new BOOL[n]);
  BOOL changed = FALSE;
  ROWCOL first = kNone;
  for (ROWCOL i = 0; i < n; ++i) {
    heights[i] = GetRowHeight(nFrom + i);
    hidden[i] = GXGetBit(m_pParam->m_abHiddenRows, nFrom + i);
    if (StoreHideRow(nFrom + i, abHide ? abHide[i] : bHide)) {
      changed = TRUE;
      first = std::min(first, nFrom + i);
    }
  }
  if (!changed) return FALSE;
  const CGXRange rows = CGXRange().SetCellRange(nFrom, 0, nTo, GetColCount());
  DelayMergeCells(rows);
  DelayFloatCells(rows);
  UpdateChangedRowHeights(nFrom, nTo, heights.get(), flags, TRUE);
  if (Records(m_pParam, ctCmd)) {
    AddCommand(new CGXHideRowsCmd(nFrom, nTo, hidden.release()), ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo) SetCurrentCellAfterCommand(first, GetLeftCol(), FALSE);
  }
  return TRUE;
}

BOOL CGXGridCore::HideCols(ROWCOL nFrom, ROWCOL nTo, BOOL bHide, const BOOL* abHide, UINT flags, GXCmdType ctCmd) {
  if (!m_pParam || !ClampRun(nFrom, nTo, GetColCount())) return FALSE;
  CGXOperationProgress progress;
  const ROWCOL n = nTo - nFrom + 1;
  std::unique_ptr<int[]> widths(new int[n]);
  std::unique_ptr<BOOL[]> hidden(new BOOL[n]);
  BOOL changed = FALSE;
  ROWCOL first = kNone;
  for (ROWCOL i = 0; i < n; ++i) {
    widths[i] = GetColWidth(nFrom + i);
    hidden[i] = GXGetBit(m_pParam->m_abHiddenCols, nFrom + i);
    if (StoreHideCol(nFrom + i, abHide ? abHide[i] : bHide)) {
      changed = TRUE;
      first = std::min(first, nFrom + i);
    }
  }
  if (!changed) return FALSE;
  // As with a new width: the columns and the one after them, through which an anchor further left is reached.
  const CGXRange cols = CGXRange().SetCellRange(0, nFrom, GetRowCount(), nTo + 1);
  DelayMergeCells(cols);
  DelayFloatCells(cols);
  UpdateChangedColWidths(nFrom, nTo, widths.get(), flags, TRUE);
  if (Records(m_pParam, ctCmd)) {
    AddCommand(new CGXHideColsCmd(nFrom, nTo, hidden.release()), ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo) SetCurrentCellAfterCommand(GetTopRow(), first, FALSE);
  }
  return TRUE;
}

// ---- the redraw after a size change ---------------------------------------------------------------------------

// Invalidates what a size change of rows (bRows) or columns nFrom..nTo moved: the window part
// behind the changed ones scrolls by the difference, and only the changed ones repaint.
void CGXGridCore::UpdateChangedColWidths(ROWCOL nFrom, ROWCOL nTo, const int* anOldWidths, UINT flags,
                                         BOOL bCreateHint) {
  ForgetLastVisible(FALSE, TRUE);
  if (nTo == 0) nTo = nFrom;
  // Spans on screen that the new widths change (a text floating farther or less far) repaint the grid:
  // the scroll below would move them along with the columns they covered.
  BOOL spansChanged = FALSE;
  CGXRange spans;
  if (m_pParam && !m_pParam->m_bLockUpdate && IsGridWndVisible() && nTo >= nFrom) {
    const ROWCOL last = std::min(nTo, GetColCount());
    spansChanged = nFrom <= last && EvalVisibleFloatMergeCells(
                                        CGXRange().SetCellRange(0, nFrom, GetRowCount(), last + 1), FALSE, &spans);
    if (spansChanged) Redraw(flags, FALSE);
  }
  if (!spansChanged && m_pParam && !m_pParam->m_bLockUpdate && IsGridWndVisible() && nTo >= nFrom) {
    const UINT f = flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART);
    CRect g;
    GetGridRect(&g);
    const ROWCOL fc = GetFrozenCols(), lc = GetLeftCol();
    const BOOL paneSkips = m_pSplitterWnd && !m_bPrinting && !m_bPaneShowsHeaderCols && nTo <= GetHeaderCols();
    const ROWCOL last = CalcLastVisibleCol(g);
    const BOOL scrolledAway = nFrom > fc && nTo < lc;
    if (!paneSkips && f && !scrolledAway && nFrom <= last) {
      ROWCOL firstOnScreen = nFrom;
      if (nFrom > fc && nFrom < lc) firstOnScreen = lc;
      const ROWCOL client = GetClientCol(firstOnScreen);
      const int x = CalcLeftOfClientCol(client);
      CGXControl* control = GetCurrentCellControl();
      if (control && control->IsActive() && m_nCurrentCol >= nFrom && m_nCurrentCol <= nTo) control->Hide();
      // Columns kept to the view's width take the room the frozen ones leave: they change too.
      if (!anOldWidths || (f & 1) || (m_bLimitColWidthToView && nFrom <= fc)) {
        CRect r(x, g.top, g.right, g.bottom);
        m_pGridWnd->InvalidateRect(&r, TRUE);
      } else {
        LONG oldSum = 0;
        const ROWCOL lastOnScreen = std::min(nTo, last);
        for (ROWCOL c = firstOnScreen; c <= lastOnScreen; ++c) oldSum += anOldWidths[c - nFrom];
        const ROWCOL clientLast = client + (lastOnScreen - firstOnScreen);
        const LONG newSum = SumClientColWidths(client, clientLast, g.right - x);
        if (oldSum >= g.right - x) {
          CRect r(x, g.top, g.right, g.bottom);
          m_pGridWnd->InvalidateRect(&r, TRUE);
        } else {
          CRect scroll(x + oldSum, g.top, g.right, g.bottom), clip(x, g.top, g.right, g.bottom);
          MoveGridPixels((int)(newSum - oldSum), 0, scroll, clip, SW_INVALIDATE | SW_SCROLLCHILDREN);
          if (newSum < oldSum && (f & 6)) {
            // The strip the scroll left behind lies outside what it moved: beyond the table's end too.
            const int strip = g.right - (int)(oldSum - newSum);
            const ROWCOL freed = CalcClientColFromPt(CPoint(strip, g.top));
            const int freedLeft = freed == kNone ? strip : CalcLeftOfClientCol(std::max<ROWCOL>(1, freed));
            CRect r(freedLeft, g.top, g.right, g.bottom);
            m_pGridWnd->InvalidateRect(&r, TRUE);
            UpdateWindow();
          }
        }
      }
      // Spans over the changed columns that start left of them are laid out anew too.
      // Over the whole height: the selection's marker frame reaches past the last row.
      CRect cols = CalcSpannedRangeRect(0, nFrom, GetRowCount(), nTo);
      cols.top = g.top, cols.bottom = g.bottom;
      m_pGridWnd->InvalidateRect(&cols, TRUE);
    } else if (!paneSkips && f && nFrom > last) {
      // Columns past the window's edge change a span that reaches them from inside it: its text lays
      // out over the new widths.
      CRect cols = CalcSpannedRangeRect(0, nFrom, GetRowCount(), nTo);
      cols.top = g.top, cols.bottom = g.bottom;
      m_pGridWnd->InvalidateRect(&cols, TRUE);
    } else if (!paneSkips && f && scrolledAway) {
      // A span that starts in the scrolled-away columns and reaches the window shows its content at
      // another place now; without the old widths (spans that changed their extent) it may have
      // reached farther than it does now.
      CRect cols = anOldWidths ? CalcSpannedRangeRect(0, nFrom, GetRowCount(), nTo)
                               : CRect(CalcLeftOfClientCol(fc + 1), g.top, g.right, g.bottom);
      m_pGridWnd->InvalidateRect(&cols, TRUE);
    }
    if (f & 2) {
      UpdateWindow();
      RefreshScrollBars(FALSE, 0);
    }
  }
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateChangedColWidths, m_nViewID);
    hint.m_nCol1 = nFrom, hint.m_nCol2 = nTo, hint.m_flags = flags;
    hint.m_pHintPtr = PaneHidesHeaders(FALSE, nFrom) ? nullptr : (void*)anOldWidths;
    hint.m_lParam = GetZoom();  // the old widths are in this window's pixels
    hint.m_nCol3 = (ROWCOL)ScrolledSizeLimit(FALSE);
    // The spans changed for every window on the parameter object, and the others still show the old
    // ones: they repaint from the first column a changed span holds instead of moving their pictures.
    if (spansChanged) {
      if (spans.IsValid()) hint.m_nCol1 = std::min(nFrom, spans.m_nLeft);
      hint.m_pHintPtr = nullptr;
    }
    SendHint(hint);
    // Their old extent may lie in columns the others show that the changed ones no longer reach.
    if (spansChanged && spans.IsValid()) {
      CGXGridHint extent(gxHintSetFloatedCellsRowCol, m_nViewID);
      extent.m_nRow1 = spans.m_nTop, extent.m_nCol1 = spans.m_nLeft, extent.m_nRow2 = spans.m_nBottom;
      extent.m_nCol2 = spans.m_nRight, extent.m_flags = flags;
      SendHint(extent);
    }
  }
}

void CGXGridCore::UpdateChangedRowHeights(ROWCOL nFrom, ROWCOL nTo, const int* anOldHeights, UINT flags,
                                          BOOL bCreateHint) {
  ForgetLastVisible(TRUE, FALSE);
  if (nTo == 0) nTo = nFrom;
  if (m_pParam && !m_pParam->m_bLockUpdate && IsGridWndVisible() && nTo >= nFrom) {
    const UINT f = flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART);
    CRect g;
    GetGridRect(&g);
    const ROWCOL fr = GetFrozenRows(), tr = GetTopRow();
    const BOOL paneSkips = m_pSplitterWnd && !m_bPrinting && !m_bPaneShowsHeaderRows && nTo <= GetHeaderRows();
    const ROWCOL last = CalcLastVisibleRow(g);
    const BOOL scrolledAway = nFrom > fr && nTo < tr;
    if (!paneSkips && f && !scrolledAway && nFrom <= last) {
      ROWCOL firstOnScreen = nFrom;
      if (nFrom > fr && nFrom < tr) firstOnScreen = tr;
      const ROWCOL client = GetClientRow(firstOnScreen);
      const int y = CalcTopOfClientRow(client);
      CGXControl* control = GetCurrentCellControl();
      if (control && control->IsActive() && m_nCurrentRow >= nFrom && m_nCurrentRow <= nTo) control->Hide();
      if (!anOldHeights || (f & 1) || (m_bLimitRowHeightToView && nFrom <= fr)) {
        CRect r(g.left, y, g.right, g.bottom);
        m_pGridWnd->InvalidateRect(&r, TRUE);
      } else {
        LONG oldSum = 0;
        const ROWCOL lastOnScreen = std::min(nTo, last);
        for (ROWCOL r = firstOnScreen; r <= lastOnScreen; ++r) oldSum += anOldHeights[r - nFrom];
        const ROWCOL clientLast = client + (lastOnScreen - firstOnScreen);
        const LONG newSum = SumClientRowHeights(client, clientLast, g.bottom - y);
        if (oldSum >= g.bottom - y) {
          CRect r(g.left, y, g.right, g.bottom);
          m_pGridWnd->InvalidateRect(&r, TRUE);
        } else {
          CRect scroll(g.left, y + oldSum, g.right, g.bottom), clip(g.left, y, g.right, g.bottom);
          MoveGridPixels(0, (int)(newSum - oldSum), scroll, clip, SW_INVALIDATE | SW_SCROLLCHILDREN);
          if (newSum < oldSum && (f & 6)) {
            const int strip = g.bottom - (int)(oldSum - newSum);
            const ROWCOL freed = CalcClientRowFromPt(CPoint(g.left, strip));
            const int freedTop = freed == kNone ? strip : CalcTopOfClientRow(std::max<ROWCOL>(1, freed));
            CRect r(g.left, freedTop, g.right, g.bottom);
            m_pGridWnd->InvalidateRect(&r, TRUE);
            UpdateWindow();
          }
        }
      }
      CRect rows = CalcSpannedRangeRect(nFrom, 0, nTo, GetColCount());
      rows.left = g.left, rows.right = g.right;
      m_pGridWnd->InvalidateRect(&rows, TRUE);
    } else if (!paneSkips && f && scrolledAway) {
      CRect rows = anOldHeights ? CalcSpannedRangeRect(nFrom, 0, nTo, GetColCount())
                                : CRect(g.left, CalcTopOfClientRow(fr + 1), g.right, g.bottom);
      m_pGridWnd->InvalidateRect(&rows, TRUE);
    }
    if (f & 2) {
      UpdateWindow();
      RefreshScrollBars(FALSE, 0);
    }
  }
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateChangedRowHeights, m_nViewID);
    hint.m_nRow1 = nFrom, hint.m_nRow2 = nTo, hint.m_flags = flags;
    hint.m_pHintPtr = PaneHidesHeaders(TRUE, nFrom) ? nullptr : (void*)anOldHeights;
    hint.m_lParam = GetZoom();
    hint.m_nRow3 = (ROWCOL)ScrolledSizeLimit(TRUE);
    SendHint(hint);
  }
}

// ---- best fit -----------------------------------------------------------------------------------------------

namespace {

// The room for one column (row) of a best fit: never below 0.
int FitLimit(CGXGridCore& grid, BOOL bRows, ROWCOL n, int extent) {
  const ROWCOL frozen = bRows ? grid.GetFrozenRows() : grid.GetFrozenCols();
  LONG used = 0;
  if (n > frozen) used = bRows ? grid.SumRowHeights(0, frozen) : grid.SumColWidths(0, frozen);
  else if (n > 0) used = bRows ? grid.SumRowHeights(0, n - 1) : grid.SumColWidths(0, n - 1);
  return (int)std::max<LONG>(0, extent - used - 1);
}

}  // namespace

static BOOL ResizeToFit(CGXGridCore& grid, CGXRange range, BOOL bCoveredCells, UINT flags, BOOL bRows) {
  CGXGridParam* param = grid.GetParam();
  if (!param) return FALSE;
  range.ExpandRange(0, 0, grid.GetRowCount(), grid.GetColCount());
  if (!range.IsValid() || range.m_nTop > range.m_nBottom || range.m_nLeft > range.m_nRight) return FALSE;
  CDC* dc = grid.GetClientDC();
  CDC display;
  if (!dc && display.CreateDC("DISPLAY", nullptr, nullptr, nullptr)) dc = &display;
  CFont* oldFont = nullptr;
  if (dc) {
    grid.PrepareDC(dc);
    oldFont = grid.SelectStandardFont(dc);
  }
  CRect g;
  grid.GetGridRect(&g);
  int extent = bRows ? g.Height() : g.Width();
  if (extent <= 0) {
    CWnd* parent = grid.m_pGridWnd ? grid.m_pGridWnd->GetParent() : nullptr;
    CRect pr;
    if (parent) parent->GetClientRect(&pr);
    extent = parent ? (bRows ? pr.Height() : pr.Width()) : 0x7FFF;
  }
  CGXOperationProgress progress;
  grid.BeginTrans(GXFitStepName(bRows));
  BOOL aborted = FALSE;
  std::vector<std::pair<ROWCOL, int>> fits;
  const ROWCOL outerFrom = bRows ? range.m_nTop : range.m_nLeft, outerTo = bRows ? range.m_nBottom : range.m_nRight;
  const ROWCOL innerFrom = bRows ? range.m_nLeft : range.m_nTop, innerTo = bRows ? range.m_nRight : range.m_nBottom;
  for (ROWCOL n = outerFrom; !aborted; ++n) {
    const int limit = FitLimit(grid, bRows, n, extent);
    int largest = 0;
    for (ROWCOL m = innerFrom; m <= innerTo; ++m) {
      const ROWCOL row = bRows ? n : m, col = bRows ? m : n;
      CGXRange covered;
      int less = 0;
      if (grid.GetCoveredCellsRowCol(row, col, covered)) {
        const BOOL inside = covered.m_nTop >= range.m_nTop && covered.m_nBottom <= range.m_nBottom &&
                            covered.m_nLeft >= range.m_nLeft && covered.m_nRight <= range.m_nRight;
        if (!bCoveredCells || !inside || covered.m_nTop != row || covered.m_nLeft != col) continue;
        less = bRows ? grid.SumRowHeights(covered.m_nTop, n - 1) : grid.SumColWidths(covered.m_nLeft, n - 1);
        if (n == (bRows ? covered.m_nTop : covered.m_nLeft)) less = 0;
        m = bRows ? std::max(m, covered.m_nRight) : std::max(m, covered.m_nBottom);
      } else if ((bRows ? grid.GetColWidth(col) : grid.GetRowHeight(row)) <= 0) {
        continue;
      }
      CGXStyle* style = grid.CreateStyle();
      grid.ComposeStyleRowCol(row, col, style);
      if (CGXControl* control = grid.GetControl(row, col)) {
        // Measured from the composed style, unbound: one control serves every cell of its type, and
        // binding it here would take it from the cell being edited, typed text and caret with it.
        const CSize size = control->CalcSize(dc, row, col, *style, nullptr, bRows);
        largest = std::max(largest, (int)(bRows ? size.cy : size.cx) - less);
      }
      grid.RecycleStyle(style);
      if (m == innerTo) break;
    }
    BOOL abort = FALSE;
    if (progress.CheckAbort(abort) && dc && !abort) {
      // The waiting messages ran: a paint among them frees the grid's client DC and fonts.
      if (dc != &display) dc = grid.GetClientDC();
      if (dc) {
        grid.PrepareDC(dc);
        CFont* first = grid.SelectStandardFont(dc);
        if (dc != &display) oldFont = first;
      }
    }
    if (abort) {
      aborted = TRUE;
      break;
    }
    const int fit = std::min(largest, limit);
    const int current = bRows ? grid.GetRowHeight(n) : grid.GetColWidth(n);
    const BOOL set = (flags & 8) ? fit > current : (fit != current && fit != 0);
    if (set) fits.emplace_back(n, fit);
    if (n == outerTo) break;
  }
  if (dc) {
    if (oldFont) dc->SelectObject(oldFont);
    if (dc != &display) grid.ReleaseClientDC();
  }
  // Sizes are applied once measuring is done: a size change may repaint at once, and a paint frees
  // the grid's client DC and fonts that the measuring holds.
  for (const auto& [n, fit] : fits) {
    if (bRows) grid.SetRowHeight(n, n, fit, nullptr, flags, CmdDo);
    else grid.SetColWidth(n, n, fit, nullptr, flags, CmdDo);
  }
  grid.CommitTrans();
  if (aborted) AfxThrowUserException();
  return TRUE;
}

BOOL CGXGridCore::ResizeRowHeightsToFit(CGXRange range, BOOL bCoveredCells, UINT flags) {
  return ResizeToFit(*this, range, bCoveredCells, flags, TRUE);
}

BOOL CGXGridCore::ResizeColWidthsToFit(CGXRange range, BOOL bCoveredCells, UINT flags) {
  return ResizeToFit(*this, range, bCoveredCells, flags, FALSE);
}

// ---- zoom ---------------------------------------------------------------------------------------------------

BOOL CGXGridCore::SetZoom(int nZoom, UINT flags) {
  const int old = GetZoom();
  if (!StoreZoom(nZoom, TRUE)) return FALSE;
  UpdateZoom(old, flags, TRUE);
  return TRUE;
}

BOOL CGXGridCore::StoreZoom(int nZoom, BOOL bCreateHint) {
  m_nZoom = nZoom;
  if (m_pParam && m_pParam->m_pProperties) m_pParam->m_pProperties->SetZoom(nZoom);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintStoreZoom, m_nViewID);
    hint.m_lParam = nZoom, hint.m_pHintPtr = m_pSplitterWnd;
    SendHint(hint);
  }
  return TRUE;
}

void CGXGridCore::UpdateZoom(int nOldZoom, UINT flags, BOOL bCreateHint) {
  RecalcCharSize(&m_nCharWidth, &m_nCharHeight);
  // Zoomed texts need other widths: every float is due again.
  DelayFloatCells(CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount()));
  if (m_pParam && !m_pParam->m_bLockUpdate && nOldZoom != GetZoom()) Redraw(flags, FALSE);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateZoom, m_nViewID);
    hint.m_lParam = nOldZoom, hint.m_flags = flags, hint.m_pHintPtr = m_pSplitterWnd;
    SendHint(hint);
  }
}
