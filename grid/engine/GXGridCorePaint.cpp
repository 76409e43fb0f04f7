// The grid core's painting: the paint entry, off-screen and direct paints, the cell-range painter
// with its per-cell flags and background runs, spans, selection inversion, borders and grid lines.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/SelectObject.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <vector>

namespace {

const ROWCOL kNone = (ROWCOL)-1;

enum : WORD {
  flagBorderLeft = 0x0001,
  flagBorderRight = 0x0002,
  flagBorderTop = 0x0004,
  flagBorderBottom = 0x0008,
  flagSelected = 0x0010,
  flagFill = 0x0020,
  flagSpan = 0x0040,
  flagCovered = 0x0080,
  flagNotOrigin = 0x0100,
  flagHorzLine = 0x0200,
  flagVertLine = 0x0400,
  flagFrozenCol = 0x0800,
  flagFrozenRow = 0x1000,
};

const WORD kSideBits[4] = {flagBorderLeft, flagBorderRight, flagBorderTop, flagBorderBottom};

BOOL HasBorder(const CGXStyle& s, int side) { return s.GetIncludeBorders() && s.GetIncludeBorder(side); }

}  // namespace

// What one cell-range paint computes once: sizes, positions, styles and flags of every cell.
struct CGXDrawContext {
  ROWCOL m_nRows = 0, m_nCols = 0;
  ROWCOL m_nTopRow = 0, m_nLeftCol = 0;
  ROWCOL m_nFrozenCols = 0, m_nFrozenRows = 0, m_nHeaderCols = 0, m_nHeaderRows = 0;
  CRect m_rectCurrent, m_rectCell;
  CPoint m_ptOrigin;
  std::vector<int> m_anRowHeight, m_anColWidth, m_anRowTop, m_anColLeft;
  std::vector<ROWCOL> m_anRow, m_anCol;
  std::vector<CGXStyle*> m_apStyle;
  std::vector<WORD> m_awFlags;
  CGXControl* m_pCurrentControl = nullptr;
  BOOL m_bCurrentFrameDrawn = FALSE;
  BOOL m_bSpansSeen = FALSE;
  BOOL m_bInvertSelected = FALSE;
  BOOL m_bColor = TRUE;
  COLORREF m_clrStandard = RGB(255, 255, 255);
  ROWCOL m_nTop = 0, m_nLeft = 0, m_nBottom = 0, m_nRight = 0;
  CDC* m_pDC = nullptr;
  CRect m_rectClip;
  BOOL m_bHorzLines = TRUE, m_bVertLines = TRUE, m_bRightBottom = TRUE;
  // The current cell while its control is active (0, 0 otherwise): it draws itself inside a merged or
  // floating span that does not start at it, so that what is typed shows.
  ROWCOL m_nActiveRow = 0, m_nActiveCol = 0;
  BOOL LeftOutOf(ROWCOL row, ROWCOL col, const CGXRange& span, BOOL covered) const {
    return !covered && m_nActiveRow && row == m_nActiveRow && col == m_nActiveCol &&
           !(row == span.m_nTop && col == span.m_nLeft);
  }
  size_t Index(ROWCOL i, ROWCOL j) const { return (size_t)i * m_nCols + j; }
};

namespace {

const CGXProperties* Props(CGXGridCore& grid) { return grid.GetParam() ? grid.GetParam()->m_pProperties : nullptr; }

COLORREF PropColor(CGXGridCore& grid, int index, COLORREF fallback) {
  const CGXProperties* p = Props(grid);
  return GXResolveColor(p ? p->GetColor(index) : fallback);
}

BOOL BlackWhite(CGXGridCore& grid) {
  const CGXProperties* p = Props(grid);
  return p && p->GetBlackWhite();
}

// A brush as black-and-white printing shows it.
CGXBrushValue PrintBrush(const CGXBrushValue& brush, BOOL bBlackWhite) {
  if (!bBlackWhite) return brush;
  CGXBrushValue out = brush;
  if (brush.GetStyle() == 0) out.SetColor(RGB(255, 255, 255)).SetBkColor(RGB(0, 0, 0));
  else out.SetColor(RGB(0, 0, 0)).SetBkColor(RGB(255, 255, 255));
  return out;
}

}  // namespace

BOOL CGXGridCore::SetDoubleBuffering(BOOL bDoubleBuffer) {
  const BOOL old = m_bDoubleBuffer;
  m_bDoubleBuffer = bDoubleBuffer;
  return old;
}

// ---- the paint entry ----------------------------------------------------------------------------------------

void CGXGridCore::OnGridDraw(CDC* pDC) {
  if (!pDC || !m_pParam || m_pParam->m_bLockUpdate) return;
  CRect clip;
  // Nothing to paint is nothing to draw: not even the scroll bars' update, which would paint them.
  if (pDC->GetClipBox(&clip) == NULLREGION || clip.Width() <= 0 || clip.Height() <= 0) return;
  const int d = std::max(1, GetDefaultRowHeight());
  PreloadCells(CalcLastVisibleRow(clip) + (ROWCOL)(std::max<LONG>(0, clip.Height()) / d),
               CalcLastVisibleCol(clip) + (ROWCOL)(std::max<LONG>(0, clip.Width()) / d));
  // Sized while hidden, the grid learns from its first picture how wide a cut column is drawn: the
  // next size change compares with it.
  if (m_szPrevSizeLimit.cx < 0 && IsGridWndVisible())
    m_szPrevSizeLimit = CSize(ScrolledSizeLimit(FALSE), ScrolledSizeLimit(TRUE));
  m_bLayoutChanged = FALSE;
  RefreshScrollBars(TRUE, 0);
  if (m_bLayoutChanged) {
    if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) m_pGridWnd->Invalidate(TRUE);
    return;
  }
  if (m_bDoubleBuffer) DrawUsingMemDC(pDC);
  else DrawDirect(pDC);
}

namespace {

void LookupBaseStyles(CGXGridCore& grid) {
  CGXGridParam* param = grid.GetParam();
  if (!param || !param->m_pStylesMap) return;
  CGXStylesMap* map = param->m_pStylesMap;
  map->LookupStyle(map->GetStandardStyleId(), grid.m_pStyleStandard);
  map->LookupStyle(map->GetColHeaderStyleId(), grid.m_pStyleColHeader);
  map->LookupStyle(map->GetRowHeaderStyleId(), grid.m_pStyleRowHeader);
}

// Selects the standard font and measures it; a standard style without a font keeps 10 x 15.
CFont* SelectAndMeasureStandardFont(CGXGridCore& grid, CDC* pDC) {
  CFont* old = grid.SelectStandardFont(pDC);
  if (grid.GetStandardStyle().GetIncludeFont()) grid.CalcCharSize(pDC, &grid.m_nCharWidth, &grid.m_nCharHeight);
  return old;
}

void FreeControlRects(CPtrList& list) {
  while (!list.IsEmpty()) delete static_cast<RECT*>(list.RemoveHead());
}

}  // namespace

void CGXGridCore::DrawUsingMemDC(CDC* pDC) {
  LookupBaseStyles(*this);
  FreeObjectCache();
  CRect c;
  pDC->GetClipBox(&c);
  if (c.Width() <= 0 || c.Height() <= 0) return;
  CDC mem;
  mem.CreateCompatibleDC(pDC);
  PrepareDC(&mem, nullptr);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(pDC, c.Width(), c.Height());
  CSelectObject selectBitmap(mem, &bitmap);
  mem.SetViewportOrg(-c.left, -c.top);
  // The bitmap's pixel 0 is the window's pixel c.left: patterns start that far back, as on the window.
  mem.SetBrushOrg((8 - c.left % 8) % 8, (8 - c.top % 8) % 8);
  CFont* oldFont = SelectAndMeasureStandardFont(*this, &mem);
  CRect g, r;
  GetGridRect(&g);
  if (r.IntersectRect(&c, &g)) {
    mem.IntersectClipRect(&g);
    ROWCOL top, left, bottom, right;
    ClientRowColFromPoint(r.TopLeft(), top, left);
    ClientRowColFromPoint(CPoint(r.right - 1, r.bottom - 1), bottom, right);
    DrawCells(top, left, bottom, right, &mem);
    if (!m_pParam->m_SelRects.IsEmpty() && !m_bMarkerHidden && m_pParam->m_bSelectionMarker) {
      m_bMarkerShown = FALSE;
      DrawSelectionMarker(&mem, FALSE, m_pParam->m_SelRects.GetTail());
    }
    if (oldFont) mem.SelectObject(oldFont);
    if (m_bDrawGridFrame) {
      GXFillRect(&mem, g.left, g.top, 1, g.Height(), RGB(0, 0, 0));
      GXFillRect(&mem, g.right - 1, g.top, 1, g.Height(), RGB(0, 0, 0));
      GXFillRect(&mem, g.left, g.top, g.Width(), 1, RGB(0, 0, 0));
      GXFillRect(&mem, g.left, g.bottom - 1, g.Width(), 1, RGB(0, 0, 0));
    }
    for (POSITION pos = m_ControlRectList.GetHeadPosition(); pos;) {
      const RECT* rc = static_cast<const RECT*>(m_ControlRectList.GetNext(pos));
      pDC->ExcludeClipRect(rc);
    }
    FreeControlRects(m_ControlRectList);
    pDC->BitBlt(c.left, c.top, c.Width(), c.Height(), &mem, c.left, c.top, SRCCOPY);
  } else if (oldFont) {
    mem.SelectObject(oldFont);
  }
  ReleaseClientDC();
}

void CGXGridCore::DrawDirect(CDC* pDC) {
  LookupBaseStyles(*this);
  FreeObjectCache();
  CFont* oldFont = SelectAndMeasureStandardFont(*this, pDC);
  CRect c, g, r;
  pDC->GetClipBox(&c);
  GetGridRect(&g);
  if (c.Width() > 0 && c.Height() > 0 && r.IntersectRect(&c, &g)) {
    if (m_bDrawGridFrame) {
      GXFillRect(pDC, g.left - 1, g.top - 1, 1, g.Height() + 1, RGB(0, 0, 0));
      GXFillRect(pDC, g.right, g.top - 1, 1, g.Height() + 1, RGB(0, 0, 0));
      GXFillRect(pDC, g.left - 1, g.top - 1, g.Width() + 1, 1, RGB(0, 0, 0));
      GXFillRect(pDC, g.left - 1, g.bottom, g.Width() + 2, 1, RGB(0, 0, 0));
    }
    const int saved = pDC->SaveDC();
    pDC->IntersectClipRect(&g);
    ROWCOL top, left, bottom, right;
    ClientRowColFromPoint(r.TopLeft(), top, left);
    ClientRowColFromPoint(CPoint(r.right - 1, r.bottom - 1), bottom, right);
    DrawCells(top, left, bottom, right, pDC);
    if (!m_pParam->m_SelRects.IsEmpty() && !m_bMarkerHidden && m_pParam->m_bSelectionMarker) {
      m_bMarkerShown = FALSE;
      DrawSelectionMarker(pDC, FALSE, m_pParam->m_SelRects.GetTail());
    }
    pDC->RestoreDC(saved);
  }
  if (oldFont) pDC->SelectObject(oldFont);
  FreeControlRects(m_ControlRectList);
  ReleaseClientDC();
}

// ---- cell rectangles of client indexes ------------------------------------------------------------------------

CRect CGXGridCore::CalcClientCellRect(ROWCOL nClientRow, ROWCOL nClientCol) {
  m_cellRectCache = CellRectCache();
  return CalcClientCellRectCached(nClientRow, nClientCol);
}

CRect CGXGridCore::CalcClientCellRectCached(ROWCOL nClientRow, ROWCOL nClientCol) {
  CRect g;
  GetGridRect(&g);
  CellRectCache& c = m_cellRectCache;
  if (c.row == kNone || nClientRow < c.row) c.row = 0, c.y = g.top;
  if (c.col == kNone || nClientCol < c.col) c.col = 0, c.x = g.left;
  while (c.row < nClientRow && c.y <= 2 * g.bottom) c.y += GetRowHeight(GetRowFromClientRow(c.row++));
  while (c.col < nClientCol && c.x <= 2 * g.right) c.x += GetColWidth(GetColFromClientCol(c.col++));
  // A walk stopped early places the cell where it stopped.
  return CRect(c.x, c.y, c.x + GetColWidth(GetColFromClientCol(nClientCol)),
               c.y + GetRowHeight(GetRowFromClientRow(nClientRow)));
}

void CGXGridCore::ClientRowColFromPoint(const POINT& pt, ROWCOL& nClientRow, ROWCOL& nClientCol) {
  if (pt.x < 0 || pt.y < 0) {
    nClientRow = nClientCol = 0;
    return;
  }
  nClientCol = CalcClientColFromPt(pt);
  nClientRow = CalcClientRowFromPt(pt);
  if (nClientRow == kNone) nClientRow = GetClientRow(GetRowCount());
  if (nClientCol == kNone) nClientCol = GetClientCol(GetColCount());
}

// ---- the cell-range painter ---------------------------------------------------------------------------------

namespace {

CGXStyle* StyleOf(CGXGridCore& grid, CGXDrawContext& ctx, size_t k, ROWCOL row, ROWCOL col) {
  if (!ctx.m_apStyle[k]) ctx.m_apStyle[k] = const_cast<CGXStyle*>(&grid.LookupStyleRowCol(row, col));
  return ctx.m_apStyle[k];
}

BOOL SpanOf(CGXGridCore& grid, ROWCOL row, ROWCOL col, CGXRange& span, BOOL& covered) {
  covered = grid.GetCoveredCellsRowCol(row, col, span);
  if (covered) return TRUE;
  return grid.GetMergedCellsRowCol(row, col, span) || grid.GetFloatedCellsRowCol(row, col, span);
}

// Only a merged run down one column can be crossed: a cell of a run along a row, or of a block, has
// that run or block for its own, and a float lies over cells that merge with nothing.
BOOL CanBeCrossed(const CGXRange& span, BOOL covered) {
  return !covered && span.m_nLeft == span.m_nRight && span.m_nTop != span.m_nBottom;
}

// A cell inside a span's rectangle that belongs to another one (a run along a row crossing one down
// a column) shows that other span, whichever of the two a paint comes to first.
BOOL ShowsOtherSpan(CGXGridCore& grid, ROWCOL row, ROWCOL col, const CGXRange& span, BOOL covered) {
  if (!CanBeCrossed(span, covered)) return FALSE;
  CGXRange own;
  BOOL c = FALSE;
  return SpanOf(grid, row, col, own, c) && !(own == span);
}

void ComputeCellFlags(CGXGridCore& grid, CGXDrawContext& ctx, ROWCOL i, ROWCOL j) {
  const size_t k = ctx.Index(i, j);
  const ROWCOL row = ctx.m_anRow[i], col = ctx.m_anCol[j];
  WORD& f = ctx.m_awFlags[k];
  const BOOL rb = ctx.m_bRightBottom;
  if (!(f & flagSpan)) {
    CGXRange span;
    BOOL covered = FALSE;
    if (!SpanOf(grid, row, col, span, covered) || ctx.LeftOutOf(row, col, span, covered)) {
      const CGXStyle* s = StyleOf(grid, ctx, k, row, col);
      if (ctx.m_anRowHeight[i] > 0 && ctx.m_anColWidth[j] > 0) {
        if (!(s->GetInterior() == grid.GetStandardStyle().GetInterior())) f |= flagFill;
        for (int side = 0; side < 4; ++side)
          if (HasBorder(*s, side)) f |= kSideBits[side];
        if (!HasBorder(*s, rb ? 1 : 0)) {
          f |= flagVertLine;
          if (col > ctx.m_nHeaderCols && col == ctx.m_nFrozenCols) f |= flagFrozenCol;
        }
        if (!HasBorder(*s, rb ? 3 : 2)) {
          f |= flagHorzLine;
          if (row > ctx.m_nHeaderRows && row == ctx.m_nFrozenRows) f |= flagFrozenRow;
        }
      }
    } else {
      CGXStyle* s = StyleOf(grid, ctx, k, span.m_nTop, span.m_nLeft);
      ctx.m_apStyle[k] = s = const_cast<CGXStyle*>(&grid.LookupStyleRowCol(span.m_nTop, span.m_nLeft));
      // The span's lines go on its outermost shown column and row: a hidden one has no width to hold
      // them, and a paint that starts right of it would not draw them.
      ROWCOL lineCol = rb ? span.m_nRight : span.m_nLeft, lineRow = rb ? span.m_nBottom : span.m_nTop;
      const ROWCOL farCol = rb ? span.m_nLeft : span.m_nRight, farRow = rb ? span.m_nTop : span.m_nBottom;
      while (lineCol != farCol && grid.GetColWidth(lineCol) <= 0) rb ? --lineCol : ++lineCol;
      while (lineRow != farRow && grid.GetRowHeight(lineRow) <= 0) rb ? --lineRow : ++lineRow;
      // A span hidden whole has no line: drawn at its empty place, it would land on its neighbour.
      const BOOL vertLine = grid.GetColWidth(lineCol) > 0, horzLine = grid.GetRowHeight(lineRow) > 0;
      BOOL first = TRUE;
      for (ROWCOL ii = i; ii < ctx.m_nRows && ctx.m_anRow[ii] <= span.m_nBottom; ++ii) {
        if (ctx.m_anRow[ii] < span.m_nTop) continue;
        for (ROWCOL jj = 0; jj < ctx.m_nCols; ++jj) {
          const ROWCOL c = ctx.m_anCol[jj];
          if (c < span.m_nLeft || c > span.m_nRight) continue;
          const size_t kk = ctx.Index(ii, jj);
          if (kk < k || (kk != k && ShowsOtherSpan(grid, ctx.m_anRow[ii], c, span, covered))) continue;
          if (ctx.LeftOutOf(ctx.m_anRow[ii], c, span, covered)) continue;
          WORD w = covered ? (WORD)(flagSpan | flagCovered) : (WORD)flagSpan;
          if (!first) w |= flagNotOrigin;
          first = FALSE;
          ctx.m_apStyle[kk] = s;
          const ROWCOL r = ctx.m_anRow[ii];
          const BOOL vertSide = vertLine && c == lineCol, horzSide = horzLine && r == lineRow;
          if (vertSide) w |= HasBorder(*s, rb ? 1 : 0) ? kSideBits[rb ? 1 : 0] : WORD(flagVertLine);
          if (horzSide) w |= HasBorder(*s, rb ? 3 : 2) ? kSideBits[rb ? 3 : 2] : WORD(flagHorzLine);
          if (c == span.m_nRight && c > ctx.m_nHeaderCols && c == ctx.m_nFrozenCols && !HasBorder(*s, 1))
            w |= flagFrozenCol;
          if (r == span.m_nBottom && r > ctx.m_nHeaderRows && r == ctx.m_nFrozenRows && !HasBorder(*s, 3))
            w |= flagFrozenRow;
          ctx.m_awFlags[kk] = w;
        }
      }
      ctx.m_bSpansSeen = TRUE;
      if (ctx.m_bColor) f |= flagFill;
    }
  }
  if (ctx.m_bInvertSelected && grid.IsCellInRangeList(row, col, grid.GetParam()->m_SelRects)) f |= flagSelected;
}

void FillRun(CGXGridCore& grid, CGXDrawContext& ctx, ROWCOL i, BOOL bSetAll) {
  if (grid.GetParam()->m_bTransparentBackground) return;
  const size_t base = ctx.Index(i, 0);
  if (bSetAll)
    for (ROWCOL j = 0; j < ctx.m_nCols; ++j) ctx.m_awFlags[base + j] |= flagFill;
  const BOOL bw = BlackWhite(grid);
  for (ROWCOL j = 0; j < ctx.m_nCols; ++j) {
    WORD& f = ctx.m_awFlags[base + j];
    if ((f & flagSpan) || !(f & flagFill) || !ctx.m_apStyle[base + j]) continue;
    const CGXBrushValue& brush = ctx.m_apStyle[base + j]->GetInterior();
    ROWCOL end = j + 1;
    int width = ctx.m_anColWidth[j];
    // A hatch or pattern starts at each cell's corner, wherever a paint's run of cells begins.
    while (brush.GetStyle() == 0 && end < ctx.m_nCols) {
      WORD& g = ctx.m_awFlags[base + end];
      const CGXStyle* s = ctx.m_apStyle[base + end];
      if (g & flagSpan) break;
      if (s && !((g & flagFill) && s->GetInterior() == brush)) break;
      g &= (WORD)~flagFill;
      width += ctx.m_anColWidth[end];
      ++end;
    }
    if (end - j >= 2) {
      f &= (WORD)~flagFill;
      CRect r(ctx.m_anColLeft[j], ctx.m_anRowTop[i], ctx.m_anColLeft[j] + width, ctx.m_anRowTop[i] + ctx.m_anRowHeight[i]);
      grid.FillBackground(ctx.m_pDC, &r, PrintBrush(brush, bw));
    }
    j = end - 1;
  }
}

// The step along a dotted or dashed line `width` pixels thick after which its pattern repeats (the
// pattern starts at each piece's own corner): a cell's piece starting a whole number of steps after
// the line's start looks the same drawn with it. 0 for a pattern other than the library's own.
int PatternStep(const CGXBrushValue& pattern, BOOL horizontal, int width) {
  const WORD* bits = pattern.GetStyle() == 3 ? GXGetPatternBits(pattern.GetPattern()) : nullptr;
  if (!bits || pattern.GetHatch() != (UINT_PTR)GXGetPatternBitmap(pattern.GetPattern())) return 0;
  auto on = [&](int x, int y) { return (bits[y & 7] >> (7 - (x & 7))) & 1; };
  for (int step = 1; step < 8; step *= 2) {
    bool repeats = true;
    for (int a = 0; a < std::min(width, 8) && repeats; ++a)
      for (int t = 0; t < 8 && repeats; ++t)
        repeats = horizontal ? on(t, a) == on(t + step, a) : on(a, t) == on(a, t + step);
    if (repeats) return step;
  }
  return 8;
}

// Horizontal (bRows) or vertical lines of one painted row or column.
void DrawLines(CGXGridCore& grid, CGXDrawContext& ctx, ROWCOL n, BOOL bRows) {
  const BOOL shown = bRows ? ctx.m_bHorzLines : ctx.m_bVertLines;
  const BOOL rb = ctx.m_bRightBottom;
  const ROWCOL count = bRows ? ctx.m_nCols : ctx.m_nRows;
  const ROWCOL absolute = bRows ? ctx.m_anRow[n] : ctx.m_anCol[n];
  const BOOL lastFrozen = bRows ? absolute > ctx.m_nHeaderRows && absolute == ctx.m_nFrozenRows
                                : absolute > ctx.m_nHeaderCols && absolute == ctx.m_nFrozenCols;
  const WORD lineBit = bRows ? flagHorzLine : flagVertLine, frozenBit = bRows ? flagFrozenRow : flagFrozenCol;
  const BOOL bw = BlackWhite(grid);
  CGXPenValue& gridPen = grid.m_penGridLine;
  if (shown) {
    const COLORREF c = bw ? RGB(0, 0, 0) : PropColor(grid, 0, RGB(128, 128, 128));
    gridPen = CGXPenValue(grid.GetParam()->m_wGridLineStyle, 1, c).SetInclude(TRUE);
  }
  for (int pass = 0; pass < 2; ++pass) {
    const int side = bRows ? 2 + pass : pass;  // top/bottom or left/right
    const BOOL lineSide = rb ? pass == 1 : pass == 0;
    for (ROWCOL m = 0; m < count; ++m) {
      const size_t k = bRows ? ctx.Index(n, m) : ctx.Index(m, n);
      WORD& f = ctx.m_awFlags[k];
      const CGXStyle* s = ctx.m_apStyle[k];
      if (!s) continue;
      const BOOL border = (f & kSideBits[side]) != 0;
      const BOOL line = shown && ((lineSide && (f & lineBit)) || (lastFrozen && pass == 1 && (f & frozenBit)));
      if (!border && !line) continue;
      const CGXPenValue pen = border ? s->GetBorders(side) : gridPen;
      CGXBrushValue pattern, other;
      const BOOL patterned = pen.GetPatternBrush(pattern, s->GetInterior(), side >= 2, bw) && pen.GetStyle() != 5;
      const WORD clear = border ? kSideBits[side] : lineBit;
      f &= (WORD)~clear;
      // Pieces whose patterns line up are drawn as one, where logical units are pixels.
      const int step = patterned && !ctx.m_pDC->IsPrinting() && ctx.m_pDC->GetMapMode() == MM_TEXT
                           ? PatternStep(pattern, bRows, std::max<int>(1, pen.GetWidth()))
                           : 0;
      ROWCOL end = m + 1;
      int extent = bRows ? ctx.m_anColWidth[m] : ctx.m_anRowHeight[m];
      for (; end < count; ++end) {
        const size_t kk = bRows ? ctx.Index(n, end) : ctx.Index(end, n);
        WORD& g = ctx.m_awFlags[kk];
        const CGXStyle* t = ctx.m_apStyle[kk];
        if (!t) break;
        const BOOL b2 = (g & kSideBits[side]) != 0;
        const BOOL l2 = shown && ((lineSide && (g & lineBit)) || (lastFrozen && pass == 1 && (g & frozenBit)));
        // A dotted or dashed line is drawn cell by cell: each cell's piece keeps its phase where the cell
        // moves. A piece whose pattern lines up with the line's start joins it.
        if ((patterned && (step == 0 || extent % step != 0)) || (border ? !b2 : (b2 || !l2))) break;
        const CGXPenValue p2 = b2 ? t->GetBorders(side) : gridPen;
        if (patterned ? !(p2.GetPatternBrush(other, t->GetInterior(), side >= 2, bw) && other == pattern &&
                          std::max<int>(1, p2.GetWidth()) == std::max<int>(1, pen.GetWidth()))
                      : !(p2 == pen))
          break;
        g &= (WORD)~(b2 ? kSideBits[side] : lineBit);
        extent += bRows ? ctx.m_anColWidth[end] : ctx.m_anRowHeight[end];
      }
      const int x0 = bRows ? ctx.m_anColLeft[m] : ctx.m_anColLeft[n];
      const int y0 = bRows ? ctx.m_anRowTop[n] : ctx.m_anRowTop[m];
      CRect run = bRows ? CRect(x0, y0, x0 + extent, y0 + ctx.m_anRowHeight[n])
                        : CRect(x0, y0, x0 + ctx.m_anColWidth[n], y0 + extent);
      // The fixed line keeps its own colour, which the plain grid-line routine does not know.
      const BOOL fixed = lastFrozen && pass == 1 && !(gridPen.GetColorValue() == PropColor(grid, 0, 0));
      if (!border && !patterned && !fixed) {
        const BOOL far = pass == 1;
        const ROWCOL client = bRows ? ctx.m_nTop + n : ctx.m_nLeft + n;
        if (bRows) grid.DrawGridLine(ctx.m_pDC, run.left, far ? run.bottom - 1 : run.top, extent, 1, 2, client, 0);
        else grid.DrawGridLine(ctx.m_pDC, far ? run.right - 1 : run.left, run.top, 1, extent, 1, client, 0);
      } else {
        grid.DrawBorderSide(pen, run, side, ctx.m_pDC, &s->GetInterior());
      }
      m = end - 1;
    }
    if (pass == 0 && lastFrozen && shown) gridPen.SetColor(bw ? RGB(0, 0, 0) : PropColor(grid, 1, 0));
  }
}

// The grid inverts the current cell's frame itself when asked to; the control then draws none.
BOOL ControlDrawsFrame(CGXGridCore& grid) { return grid.GetParam() && !grid.GetParam()->m_bInvertCurrentCellFrame; }

void DrawCurrentFrame(CGXGridCore& grid, CGXDrawContext& ctx) {
  if (!ctx.m_pCurrentControl || ctx.m_rectCurrent.IsRectEmpty() || ctx.m_bCurrentFrameDrawn || !ControlDrawsFrame(grid)) return;
  ctx.m_pCurrentControl->DrawCurrentCellFrame(ctx.m_pDC, ctx.m_rectCurrent);
  ctx.m_bCurrentFrameDrawn = TRUE;
}

// The closing lines right of the last column and below the last row, and the fills beyond them.
void FillBeyondTable(CGXGridCore& grid, CGXDrawContext& ctx) {
  const BOOL printing = grid.m_bPrinting;
  const COLORREF fill = printing ? RGB(255, 255, 255) : PropColor(grid, 4, RGB(255, 255, 255));
  CRect g;
  grid.GetGridRect(&g);
  const ROWCOL lastClientRow = ctx.m_nTop + ctx.m_nRows - 1, lastClientCol = ctx.m_nLeft + ctx.m_nCols - 1;
  if (grid.GetColFromClientCol(lastClientCol) == grid.GetColCount()) {
    CRect r;
    grid.CalcRectRightOfCol(r, grid.GetColCount());
    r.bottom += 5;
    GXFillRect(ctx.m_pDC, &r, fill);
    if (ctx.m_bVertLines && !ctx.m_bRightBottom) {
      const LONG x = g.left + grid.SumClientColWidths(0, lastClientCol);
      const LONG h = std::min<LONG>(grid.SumClientRowHeights(0, lastClientRow) + 1, g.Height());
      grid.DrawGridLine(ctx.m_pDC, x, g.top, 1, h, 1, lastClientCol + 1, 0);
    }
  }
  if (grid.GetRowFromClientRow(lastClientRow) == grid.GetRowCount()) {
    CRect r;
    grid.CalcRectBelowRow(r, grid.GetRowCount());
    GXFillRect(ctx.m_pDC, &r, fill);
    if (ctx.m_bHorzLines && !ctx.m_bRightBottom) {
      const LONG y = g.top + grid.SumClientRowHeights(0, lastClientRow);
      const LONG w = std::min<LONG>(grid.SumClientColWidths(0, lastClientCol) + 1, g.Width());
      grid.DrawGridLine(ctx.m_pDC, g.left, y, w, 1, 2, lastClientRow + 1, 0);
    }
  }
}

}  // namespace

// Draws one cell of the context (span origins with their whole span).
static void DrawCellInContext(CGXGridCore& grid, CGXDrawContext& ctx, ROWCOL i, ROWCOL j) {
  const size_t k = ctx.Index(i, j);
  CGXStyle* s = ctx.m_apStyle[k];
  if (!s) return;
  const WORD f = ctx.m_awFlags[k];
  const ROWCOL row = ctx.m_anRow[i], col = ctx.m_anCol[j];
  CDC* dc = ctx.m_pDC;
  auto noteCurrent = [&](const CRect& cell) {
    CGXControl* control = grid.GetRegisteredControl(s->GetControl());
    if (!control) return;
    if (!control->IsInitAt(row, col)) control->Init(row, col);
    if (control->IsActive()) return;
    ctx.m_pCurrentControl = control;
    grid.ShrinkRectByBorders(&ctx.m_rectCurrent, cell, *s, TRUE);
  };
  if (f & flagNotOrigin) {
    if (!(f & flagCovered) && !ctx.m_rectCell.IsRectEmpty() && grid.IsCurrentCell(row, col)) noteCurrent(ctx.m_rectCell);
    return;
  }
  if (f & flagSpan) {
    CGXRange span;
    BOOL covered = FALSE;
    if (!SpanOf(grid, row, col, span, covered)) span.SetCellRange(row, col, row, col);
    const ROWCOL fr = ctx.m_nFrozenRows, fc = ctx.m_nFrozenCols;
    const ROWCOL lastRow = ctx.m_anRow[ctx.m_nRows - 1], lastCol = ctx.m_anCol[ctx.m_nCols - 1];
    std::vector<CRect> others;
    if (CanBeCrossed(span, covered))
      for (ROWCOL jj = 0; jj < ctx.m_nCols; ++jj) {
        if (ctx.m_anCol[jj] != span.m_nLeft) continue;
        for (ROWCOL ii = 0; ii < ctx.m_nRows; ++ii)
          if (span.IsCellInRange(ctx.m_anRow[ii], span.m_nLeft) &&
              ShowsOtherSpan(grid, ctx.m_anRow[ii], span.m_nLeft, span, covered))
            others.emplace_back(ctx.m_anColLeft[jj], ctx.m_anRowTop[ii], ctx.m_anColLeft[jj] + ctx.m_anColWidth[jj],
                                ctx.m_anRowTop[ii] + ctx.m_anRowHeight[ii]);
      }
    for (int q = 0; q < 4; ++q) {
      ROWCOL t = span.m_nTop, b = span.m_nBottom, l = span.m_nLeft, r = span.m_nRight;
      if (q >= 2) t = std::max(t, std::max(fr + 1, ctx.m_nTopRow)), b = std::min(b, lastRow);
      else b = std::min(b, fr);
      if (q & 1) l = std::max(l, std::max(fc + 1, ctx.m_nLeftCol)), r = std::min(r, lastCol);
      else r = std::min(r, fc);
      if (t > b || l > r) continue;
      CRect part, whole;
      {
        const CGXGridCore::StoredSizes stored(grid, TRUE, TRUE);
        part = whole = grid.CalcRectFromRowColEx(t, l, b, r);
        whole.top -= t > span.m_nTop ? grid.SumRowHeights(span.m_nTop, t - 1) : 0;
        whole.left -= l > span.m_nLeft ? grid.SumColWidths(span.m_nLeft, l - 1) : 0;
        whole.bottom += b < span.m_nBottom ? grid.SumRowHeights(b + 1, span.m_nBottom) : 0;
        whole.right += r < span.m_nRight ? grid.SumColWidths(r + 1, span.m_nRight) : 0;
      }
      if (part.IsRectEmpty()) continue;
      const BOOL clip = whole != part || grid.m_bBandDrawing;
      int saved = 0;
      if (clip) {
        saved = dc->SaveDC();
        if (grid.m_bBandDrawing) dc->SelectClipRgn(nullptr);
        CRect c;
        c.IntersectRect(&part, &ctx.m_rectClip);
        dc->IntersectClipRect(&c);
      }
      const int crossed = others.empty() || clip ? 0 : dc->SaveDC();
      for (const CRect& other : others) dc->ExcludeClipRect(&other);
      // No background run covers a span: its first cell fills it.
      grid.m_bDrawingSpannedCell = TRUE;
      grid.m_bEraseCellBackground = (f & flagFill) != 0;
      const INT_PTR windows = grid.m_ControlRectList.GetCount();
      grid.DrawCell(dc, span.m_nTop, span.m_nLeft, whole, s);
      grid.m_bDrawingSpannedCell = grid.m_bEraseCellBackground = FALSE;
      if (s->GetIncludeBorders()) grid.DrawRectBorders(dc, whole, *s);
      if (grid.IsCurrentCell(covered ? span.m_nTop : row, covered ? span.m_nLeft : col)) {
        CGXControl* control = grid.GetRegisteredControl(s->GetControl());
        if (control && !control->IsActive() && ControlDrawsFrame(grid)) {
          CRect inner;
          grid.ShrinkRectByBorders(&inner, covered ? whole : ctx.m_rectCell, *s, TRUE);
          if (!inner.IsRectEmpty()) control->DrawCurrentCellFrame(dc, inner);
        }
      }
      if (clip) dc->RestoreDC(saved);
      if (crossed) dc->RestoreDC(crossed);
      // The span's own clip is gone: a window its control laid over it stays above the lines and
      // the inversion drawn after it, as over a plain cell.
      for (POSITION pos = grid.m_ControlRectList.FindIndex(windows); pos;)
        dc->ExcludeClipRect(static_cast<const RECT*>(grid.m_ControlRectList.GetNext(pos)));
    }
    return;
  }
  if (ctx.m_rectCell.Width() <= 0 || ctx.m_rectCell.Height() <= 0) return;
  grid.m_bEraseCellBackground = (f & flagFill) != 0;
  grid.DrawCell(dc, row, col, ctx.m_rectCell, s);
  grid.m_bEraseCellBackground = FALSE;
  if (grid.IsCurrentCell(row, col)) noteCurrent(ctx.m_rectCell);
}

void CGXGridCore::DrawCell(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const RECT& rect, CGXStyle* pStyle) {
  if (!pStyle) return;
  CGXControl* control = GetRegisteredControl(pStyle->GetControl());
  if (!control) return;
  if (nRow && nCol && IsCurrentCell(nRow, nCol) && !control->IsInitAt(nRow, nCol)) control->Init(nRow, nCol);
  const INT_PTR covered = m_ControlRectList.GetCount();
  control->Draw(pDC, CRect(rect), nRow, nCol, *pStyle, m_pStyleStandard);
  // A window the control laid over its cell stays above whatever the grid draws after it.
  for (POSITION pos = m_ControlRectList.FindIndex(covered); pos;)
    pDC->ExcludeClipRect(static_cast<const RECT*>(m_ControlRectList.GetNext(pos)));
}

void CGXGridCore::DrawCells(ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight, CDC* pDC) {
  if (!pDC || !m_pParam || nBottom < nTop || nRight < nLeft) return;
  if (nBottom - nTop > 0xFFFF || nRight - nLeft > 0xFFFF) return;  // no screen shows that many
  CGXDrawContext ctx;
  ++m_nDrawNesting;
  m_pPrevDrawContext = m_pDrawContext;
  m_pDrawContext = &ctx;
  ctx.m_pDC = pDC;
  ctx.m_nRows = nBottom - nTop + 1, ctx.m_nCols = nRight - nLeft + 1;
  ctx.m_nTop = nTop, ctx.m_nLeft = nLeft, ctx.m_nBottom = nBottom, ctx.m_nRight = nRight;
  ctx.m_nTopRow = GetTopRow(), ctx.m_nLeftCol = GetLeftCol();
  ctx.m_nFrozenRows = GetFrozenRows(), ctx.m_nFrozenCols = GetFrozenCols();
  ctx.m_nHeaderRows = GetHeaderRows(), ctx.m_nHeaderCols = GetHeaderCols();
  pDC->GetClipBox(&ctx.m_rectClip);
  ctx.m_ptOrigin = CalcClientCellRect(nTop, nLeft).TopLeft();
  const size_t cells = (size_t)ctx.m_nRows * ctx.m_nCols;
  ctx.m_apStyle.assign(cells, nullptr);
  ctx.m_awFlags.assign(cells, 0);
  ctx.m_bInvertSelected = !pDC->IsPrinting() && !m_pParam->m_SelRects.IsEmpty();
  ctx.m_bColor = !BlackWhite(*this);
  ctx.m_clrStandard = ctx.m_bColor ? GetStandardStyle().GetInterior().GetColor() : RGB(255, 255, 255);
  const CGXProperties* props = Props(*this);
  ctx.m_bHorzLines = props ? props->GetHorizontalLines() : TRUE;
  ctx.m_bVertLines = props ? props->GetVerticalLines() : TRUE;
  ctx.m_bRightBottom = m_pParam->m_bGridLinesRightBottom;
  if (!pDC->IsPrinting() && IsCurrentCellActive()) GetCurrentCell(ctx.m_nActiveRow, ctx.m_nActiveCol);
  int y = ctx.m_ptOrigin.y;
  for (ROWCOL i = 0; i <= ctx.m_nRows; ++i) {
    const ROWCOL row = GetRowFromClientRow(nTop + i);
    if (i == ctx.m_nRows) {
      ctx.m_anRow.push_back(row < GetRowCount() ? row : 0);
      break;
    }
    ctx.m_anRow.push_back(row);
    ctx.m_anRowHeight.push_back(GetRowHeight(row));
    ctx.m_anRowTop.push_back(y);
    y += ctx.m_anRowHeight.back();
  }
  int x = ctx.m_ptOrigin.x;
  for (ROWCOL j = 0; j <= ctx.m_nCols; ++j) {
    const ROWCOL col = GetColFromClientCol(nLeft + j);
    if (j == ctx.m_nCols) {
      ctx.m_anCol.push_back(col < GetColCount() ? col : 0);
      break;
    }
    ctx.m_anCol.push_back(col);
    ctx.m_anColWidth.push_back(GetColWidth(col));
    ctx.m_anColLeft.push_back(x);
    x += ctx.m_anColWidth.back();
  }
  if ((m_pParam->m_wMergeCellsMode & 3) || m_pParam->m_wFloatCellsMode == 1) {
    const auto rows = std::minmax_element(ctx.m_anRow.begin(), ctx.m_anRow.end() - 1);
    const auto cols = std::minmax_element(ctx.m_anCol.begin(), ctx.m_anCol.end() - 1);
    const CGXRange area = CGXRange().SetCellRange(*rows.first, *cols.first, *rows.second, *cols.second);
    CGXRange changed;
    EvalVisibleFloatMergeCells(area, GetFrozenRows(), GetFrozenCols(), GetTopRow(), GetLeftCol(), *rows.second,
                               *cols.second, FALSE, &changed);
    // Spans laid out anew here reach past what this paint draws, and the other views of the same cells
    // find the shared pools already changed: both repaint the old and new extent.
    if (changed.IsValid() && !m_bPrinting && !pDC->IsPrinting()) {
      RedrawRowCol(changed.m_nTop, changed.m_nLeft, changed.m_nBottom, changed.m_nRight, GX_INVALIDATE, FALSE);
      if (m_bUpdateHints) {
        CGXGridHint hint(gxHintSetMergedCellsRowCol, m_nViewID);
        hint.m_nRow1 = changed.m_nTop, hint.m_nCol1 = changed.m_nLeft;
        hint.m_nRow2 = changed.m_nBottom, hint.m_nCol2 = changed.m_nRight;
        hint.m_flags = GX_INVALIDATE;
        SendHint(hint);
      }
    }
  }
  if (m_pParam->m_wComposeAllStyles == 1)
    for (ROWCOL i = 0; i < ctx.m_nRows; ++i)
      for (ROWCOL j = 0; j < ctx.m_nCols; ++j) StyleOf(*this, ctx, ctx.Index(i, j), ctx.m_anRow[i], ctx.m_anCol[j]);
  for (ROWCOL i = 0; i < ctx.m_nRows; ++i)
    for (ROWCOL j = 0; j < ctx.m_nCols; ++j) ComputeCellFlags(*this, ctx, i, j);
  auto cellRect = [&](ROWCOL i, ROWCOL j) {
    ctx.m_rectCell = CRect(ctx.m_anColLeft[j], ctx.m_anRowTop[i], ctx.m_anColLeft[j] + ctx.m_anColWidth[j],
                           ctx.m_anRowTop[i] + ctx.m_anRowHeight[i]);
  };
  const BOOL transparent = m_pParam->m_bTransparentBackground;
  if (!m_bBandDrawing && !transparent) {
    for (ROWCOL i = 0; i < ctx.m_nRows; ++i) {
      FillRun(*this, ctx, i, TRUE);
      for (ROWCOL j = 0; j < ctx.m_nCols; ++j) {
        cellRect(i, j);
        DrawCellInContext(*this, ctx, i, j);
      }
      DrawCurrentFrame(*this, ctx);
      DrawLines(*this, ctx, i, TRUE);
    }
    FillBeyondTable(*this, ctx);
    for (ROWCOL j = 0; j < ctx.m_nCols; ++j) DrawLines(*this, ctx, j, FALSE);
  } else {
    m_bBandDrawing = TRUE;
    if (!transparent) {
      // The standard fill first, so that it does not cover what lies beyond the table.
      FillBackground(pDC, &ctx.m_rectClip, PrintBrush(GetStandardStyle().GetInterior(), !ctx.m_bColor));
      if (!m_bPrinting) FillBeyondTable(*this, ctx);
      for (ROWCOL i = 0; i < ctx.m_nRows; ++i) FillRun(*this, ctx, i, FALSE);
    }
    for (ROWCOL i = 0; i < ctx.m_nRows; ++i) {
      const int saved = pDC->SaveDC();
      pDC->IntersectClipRect(ctx.m_rectClip.left, ctx.m_anRowTop[i], ctx.m_rectClip.right,
                             ctx.m_anRowTop[i] + ctx.m_anRowHeight[i]);
      for (ROWCOL j = 0; j < ctx.m_nCols; ++j) {
        cellRect(i, j);
        DrawCellInContext(*this, ctx, i, j);
      }
      pDC->RestoreDC(saved);
    }
    for (ROWCOL j = 0; j < ctx.m_nCols; ++j) DrawLines(*this, ctx, j, FALSE);
    for (ROWCOL i = 0; i < ctx.m_nRows; ++i) DrawLines(*this, ctx, i, TRUE);
    DrawCurrentFrame(*this, ctx);
  }
  if (ctx.m_bInvertSelected) {
    for (ROWCOL i = 0; i < ctx.m_nRows; ++i)
      for (ROWCOL j = 0; j < ctx.m_nCols; ++j)
        if (ctx.m_awFlags[ctx.Index(i, j)] & flagSelected) {
          cellRect(i, j);
          DrawSelectedCell(pDC, ctx.m_anRow[i], ctx.m_anCol[j], ctx.m_rectCell);
        }
  }
  --m_nDrawNesting;
  m_pDrawContext = m_pPrevDrawContext;
}

void CGXGridCore::DrawSelectedCell(CDC* pDC, ROWCOL nRow, ROWCOL nCol, RECT rect) {
  if (!pDC || !m_pParam) return;
  const BOOL cur = IsCurrentCell(nRow, nCol);
  if (!cur || m_bInvertCurrentCell || m_pParam->m_wShowCurrentCell == 1) pDC->InvertRect(&rect);
  if (cur && m_pParam->m_bInvertCurrentCellFrame) {
    const LONG l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    const CRect bands[2][4] = {{CRect(l, t, r - 2, t + 3), CRect(l, t + 3, l + 3, b - 2), CRect(l, b - 2, r - 2, b),
                                CRect(r - 2, t, r, b)},
                               {CRect(l, t, r, t + 2), CRect(l, t + 2, l + 2, b), CRect(r - 3, t + 2, r, b - 3),
                                CRect(l + 2, b - 3, r, b)}};
    for (const CRect& band : bands[m_pParam->m_bGridLinesRightBottom ? 1 : 0]) pDC->InvertRect(&band);
  }
  m_bInvertCurrentCell = FALSE;
}

void CGXGridCore::FillBackground(CDC* pDC, const RECT* pRect, const CGXBrushValue& brush) {
  if (!pDC || !pRect) return;
  if (brush.GetStyle() == 1) {
    GXFillRect(pDC, pRect, brush.GetBkColor());
    return;
  }
  CBrush* cached = LookupBrush(brush);
  if (!cached) return;
  if (!pDC->IsPrinting() || brush.GetStyle() == 0) {
    const COLORREF oldBk = pDC->SetBkColor(brush.GetBkColor());
    const COLORREF oldText = pDC->SetTextColor(brush.GetColor());
    const int oldMode = pDC->SetBkMode(OPAQUE);
    // A hatch starts at the area's corner, so that an area moved by scrolling shows what a paint
    // of it at its new place shows.
    CPoint corner(pRect->left, pRect->top);
    pDC->LPtoDP(&corner);  // a brush origin is in device units
    const CPoint oldOrg = pDC->SetBrushOrg(corner);
    pDC->FillRect(pRect, cached);
    pDC->SetBrushOrg(oldOrg);
    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldText);
    pDC->SetBkColor(oldBk);
    return;
  }
  // Printers get the pattern as a bitmap stretched over the rectangle.
  const CRect r(*pRect);
  CDC mem;
  mem.CreateCompatibleDC(pDC);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(pDC, r.Width(), r.Height());
  CBitmap* old = mem.SelectObject(&bitmap);
  mem.SetBkColor(brush.GetBkColor());
  mem.SetTextColor(brush.GetColor());
  mem.SetBkMode(OPAQUE);
  CRect local(0, 0, r.Width(), r.Height());
  mem.FillRect(&local, cached);
  pDC->StretchBlt(r.left, r.top, r.Width(), r.Height(), &mem, 0, 0, r.Width(), r.Height(), SRCCOPY);
  mem.SelectObject(old);
}

// ---- lines --------------------------------------------------------------------------------------------------

void CGXGridCore::CalcGridLineRect(RECT* pOut, int nType, ROWCOL nClient) {
  if (!pOut) return;
  *pOut = CRect();
  CRect g;
  GetGridRect(&g);
  const BOOL rb = m_pParam && m_pParam->m_bGridLinesRightBottom;
  if (nType == 2) {
    const LONG dy = (nClient ? SumClientRowHeights(0, nClient - 1) : 0) - (rb ? 1 : 0);
    const LONG w = SumClientColWidths(0, GetClientCol(GetColCount()), g.Width());
    *pOut = CRect(g.left, g.top + dy, g.left + std::min<LONG>(w + (rb ? 0 : 1), g.Width()), g.top + dy + 1);
  } else if (nType == 1) {
    const LONG dx = (nClient ? SumClientColWidths(0, nClient - 1) : 0) - (rb ? 1 : 0);
    const LONG h = SumClientRowHeights(0, GetClientRow(GetRowCount()), g.Height());
    *pOut = CRect(g.left + dx, g.top, g.left + dx + 1, g.top + std::min<LONG>(h + (rb ? 0 : 1), g.Height()));
  }
}

void CGXGridCore::DrawGridLine(CDC* pDC, int x, int y, int cx, int cy, int nType, ROWCOL, UINT flags) {
  if (!pDC) return;
  CRect r(x, y, x + cx, y + cy);
  const BOOL bw = BlackWhite(*this);
  if (flags & (8 | 4)) {
    pDC->InvertRect(&r);
  } else if (flags & 2) {
    CPen pen;
    pen.CreatePen(PS_DASH, m_nDashLineWidth, PropColor(*this, 3, RGB(255, 0, 0)));
    CPen* old = pDC->SelectObject(&pen);
    const int oldMode = pDC->SetBkMode(OPAQUE);
    GXFillRect(pDC, &r, bw ? RGB(0, 0, 0) : PropColor(*this, 0, 0));
    pDC->MoveTo(x, y);
    if (nType == 1) pDC->LineTo(x, y + cy);
    else pDC->LineTo(x + cx, y);
    pDC->SetBkMode(oldMode);
    pDC->SelectObject(old);
  } else if (flags & 1) {
    GXFillRect(pDC, &r, bw ? RGB(0, 0, 0) : PropColor(*this, 2, RGB(255, 0, 0)));
  } else {
    const COLORREF c = bw ? RGB(0, 0, 0) : PropColor(*this, 0, 0);
    if (pDC->IsPrinting()) {
      if (CBrush* brush = LookupBrush(CGXBrushValue().SetStyle(0).SetColor(c))) pDC->FillRect(&r, brush);
    } else {
      GXFillRect(pDC, &r, c);
    }
  }
}

void CGXGridCore::DrawBorderSide(const CGXPenValue& pen, const RECT& rect, int nSide, CDC* pDC,
                                 const CGXBrushValue* pInterior) {
  if (!pDC || pen.GetStyle() == 5) return;
  const int w = std::max<int>(1, pen.GetWidth());
  const CRect bands[4] = {CRect(rect.left, rect.top, rect.left + w, rect.bottom),
                          CRect(rect.right - w, rect.top, rect.right, rect.bottom),
                          CRect(rect.left, rect.top, rect.right, rect.top + w),
                          CRect(rect.left, rect.bottom - w, rect.right, rect.bottom)};
  if (nSide < 0 || nSide > 3) return;
  const BOOL bw = BlackWhite(*this);
  const UINT style = pen.GetStyle();
  if (pInterior && style >= 1 && style <= 4) {
    CGXBrushValue pattern;
    if (pen.GetPatternBrush(pattern, *pInterior, nSide >= 2, bw)) {
      // The pattern starts at the line's own corner, so a scrolled line matches one painted where it lands.
      CPoint at = bands[nSide].TopLeft();
      pDC->LPtoDP(&at);
      const CPoint oldOrg = pDC->SetBrushOrg(((at.x % 8) + 8) % 8, ((at.y % 8) + 8) % 8);
      FillBackground(pDC, &bands[nSide], pattern);
      pDC->SetBrushOrg(oldOrg);
    }
  } else if (w != 1 || style == 0) {
    const COLORREF c = bw ? RGB(0, 0, 0) : pen.GetColor();
    if (pDC->IsPrinting()) {
      if (CBrush* brush = LookupBrush(CGXBrushValue().SetStyle(0).SetColor(c))) pDC->FillRect(&bands[nSide], brush);
    } else {
      GXFillRect(pDC, &bands[nSide], c);
    }
  } else {
    CGXPenValue p = pen;
    if (bw) p.SetColor(RGB(0, 0, 0));
    CPen* cached = LookupPen(p);
    CPen* old = cached ? pDC->SelectObject(cached) : nullptr;
    const POINT from[4] = {{rect.left, rect.top}, {rect.right - 1, rect.top}, {rect.left, rect.top},
                           {rect.left, rect.bottom - 1}};
    const POINT to[4] = {{rect.left, rect.bottom - 1}, {rect.right - 1, rect.bottom - 1}, {rect.right - 1, rect.top},
                         {rect.right - 1, rect.bottom - 1}};
    pDC->MoveTo(from[nSide].x, from[nSide].y);
    pDC->LineTo(to[nSide].x, to[nSide].y);
    if (old) pDC->SelectObject(old);
  }
}

void CGXGridCore::DrawRectBorders(CDC* pDC, RECT rect, const CGXStyle& style) {
  static const int kOrder[4] = {2, 3, 0, 1};
  for (int side : kOrder)
    if (HasBorder(style, side)) DrawBorderSide(style.GetBorders(side), rect, side, pDC, &style.GetInterior());
}

void CGXGridCore::PaintParentBeneath() {
  CWnd* wnd = m_pGridWnd;
  if (!m_pParam || !m_pParam->m_bTransparentBackground || !wnd || !wnd->GetSafeHwnd()) return;
  CWnd* parent = (wnd->GetStyle() & WS_CHILD) ? wnd->GetParent() : nullptr;
  // A parent that clips its children never paints there: nothing lies beneath but what was shown.
  CRect due;
  if (!parent || (parent->GetStyle() & WS_CLIPCHILDREN) || !wnd->GetUpdateRect(&due) || due.IsRectEmpty()) return;
  wnd->MapWindowPoints(parent, &due);
  // The parent's paint there has the grid painted again after it, as a paint of the whole has it.
  parent->RedrawWindow(&due, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CGXGridCore::FillBeforeInitialize(CDC* pDC) {
  if (m_bInitialized) return FALSE;
  CRect client;
  if (m_pGridWnd) m_pGridWnd->GetClientRect(&client);
  pDC->FillSolidRect(&client, ::GetSysColor(COLOR_WINDOW));
  return TRUE;
}
