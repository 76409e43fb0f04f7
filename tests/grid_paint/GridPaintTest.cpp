// The grid core hosted in a small window of its own: sizes, lines, redraw and hints, selection,
// size commands and painting (pixels and recorded calls).
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXLibraryDefaults.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Exception.h"
#include "grid/engine/GXOperationProgress.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/RecordingDC.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include "tests/support/GridHostWnd.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const ROWCOL kNone = (ROWCOL)-1;

// A plain cell control: fills its background when asked and counts its draws.
class CPlainControl : public CGXControl {
 public:
  using CGXControl::CGXControl;
  void Draw(CDC* pDC, CRect rect, ROWCOL r, ROWCOL c, const CGXStyle& style, const CGXStyle* std) override {
    draws.push_back({r, c});
    rects.push_back(rect);
    CGXControl::Draw(pDC, rect, r, c, style, std);
  }
  void DrawCurrentCellFrame(CDC*, const CRect&) override {
    frames.push_back(draws.size());
    if (recorder) frameCall = recorder->Calls().size();
  }
  const CRecordingDC* recorder = nullptr;
  size_t frameCall = 0;
  CSize CalcSize(CDC*, ROWCOL r, ROWCOL c, const CGXStyle&, const CGXStyle* = nullptr, BOOL = FALSE) override { return CSize(fit ? fit(r, c) : 0, 0); }
  std::vector<std::pair<ROWCOL, ROWCOL>> draws;
  std::vector<CRect> rects;
  std::vector<size_t> frames;
  int (*fit)(ROWCOL, ROWCOL) = nullptr;
};

class CTestGrid : public CGXGridCore {
 public:
  void SetCurrent(ROWCOL r, ROWCOL c) {
    m_nCurrentRow = r, m_nCurrentCol = c, m_bCurrentCellValid = TRUE;
  }
  BOOL GetCoveredCellsRowCol(ROWCOL r, ROWCOL c, CGXRange& range) override {
    if (!covered.IsValid() || !covered.IsCellInRange(r, c)) return FALSE;
    range = covered;
    return TRUE;
  }
  void UpdateAllViews(CView*, LPARAM, CObject* pHint) override {
    if (auto* h = DYNAMIC_DOWNCAST(CGXGridHint, pHint)) {
      hints.push_back(h->m_id);
      for (CTestGrid* peer : peers) peer->OnGridUpdate(nullptr, 0, h);
    }
  }
  void RefreshScrollBars(BOOL, int) override { ++scrollbarUpdates; }
  void CalcCharSize(CDC* pDC, int* pWidth, int* pHeight) override {
    if (charWidth < 0) return CGXGridCore::CalcCharSize(pDC, pWidth, pHeight);
    *pWidth = charWidth;
    *pHeight = 15;
  }
  int charWidth = -1;
  std::vector<UINT> hints;
  std::vector<CTestGrid*> peers;
  CGXRange covered;
  int scrollbarUpdates = 0;
};

using CHostWnd = CGridHostWnd;

class GridPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    GXSetLibraryDefaults(1, 2, 1);
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 200), nullptr, 0);
    Attach(grid, wnd);
    Data().SetRowCount(20);
    Data().SetColCount(6);
    PumpMessages();
  }
  void TearDown() override { wnd.DestroyWindow(); }
  void Attach(CTestGrid& g, CHostWnd& w) {
    g.m_pGridWnd = &w;
    w.grid = &g;
    ASSERT_TRUE(g.Initialize());
    // Without a font the sizes convert with 10 x 15.
    const_cast<CGXStyle&>(g.GetStandardStyle()).SetIncludeFont(FALSE);
    g.RecalcCharSize(&g.m_nCharWidth, &g.m_nCharHeight);
    control = new CPlainControl(&g);
    g.RegisterControl(g.GetStandardStyle().GetControl(), control, TRUE, FALSE);
    // The headers paint through the same recording control.
    g.ChangeColHeaderStyle(CGXStyle().SetControl(g.GetStandardStyle().GetControl()), 0);
    g.ChangeRowHeaderStyle(CGXStyle().SetControl(g.GetStandardStyle().GetControl()), 0);
  }
  CGXData& Data() { return *grid.GetParam()->GetData(); }
  COLORREF Pixel(int x, int y) { return GetWindowPixel(wnd.m_hWnd, POINT{x, y}); }
  CRect Invalid() {
    CRect r;
    wnd.GetUpdateRect(&r);
    return r;
  }
  void Repaint() {
    wnd.Invalidate(FALSE);
    PumpMessages();
  }
  CHostWnd wnd;
  CTestGrid grid;
  CPlainControl* control = nullptr;
};

TEST_F(GridPaint, SizesConvertThroughTheCharacterQuotient) {
  // Without a font: 10 x 15.
  EXPECT_EQ(18, grid.GetDefaultRowHeight());
  EXPECT_EQ(100, grid.GetDefaultColWidth());
  EXPECT_EQ(21, grid.GetRowHeight(0));
  EXPECT_EQ(60, grid.GetColWidth(0));
  grid.m_nCharWidth = 7;
  EXPECT_EQ(70, grid.GetColWidth(3));
  grid.StoreColWidth(3, 70);
  LONG stored = 0;
  ASSERT_TRUE(grid.GetParam()->m_ColWidths.Lookup(3, stored));
  EXPECT_EQ(9940, stored);
  // A measure of 0 or beyond 1000 still divides by at least 1.
  CGXStyle& standard = const_cast<CGXStyle&>(grid.GetStandardStyle());
  standard.SetFont(CGXFont().SetSize(10));
  const struct {
    int measured, width;
  } measures[] = {{0, 10}, {1500, 10000}};
  for (const auto& m : measures) {
    grid.charWidth = m.measured;
    grid.RecalcCharSize(&grid.m_nCharWidth, &grid.m_nCharHeight);
    EXPECT_EQ(m.width, grid.GetDefaultColWidth()) << m.measured;
  }
  standard.SetIncludeFont(FALSE);
  grid.charWidth = -1;
  grid.RecalcCharSize(&grid.m_nCharWidth, &grid.m_nCharHeight);
  EXPECT_FALSE(grid.StoreDefaultRowHeight(0));
  EXPECT_FALSE(grid.StoreDefaultColWidth(-3));
  EXPECT_TRUE(grid.HideRows(4, 4));
  EXPECT_EQ(0, grid.GetRowHeight(4));
  EXPECT_TRUE(grid.HideRows(4, 4, FALSE));
  EXPECT_EQ(18, grid.GetRowHeight(4));
  EXPECT_EQ(0, grid.SumRowHeights(5, 4, 0));
  EXPECT_EQ(36, grid.SumRowHeights(1, 10, 20));  // stops after the addition that passes the limit
}

TEST_F(GridPaint, PositionsRectanglesAndPoints) {
  grid.m_nTopRow = 10;
  EXPECT_EQ(CRect(), grid.CalcRectFromRowColEx(3, 1, 5, 2));  // scrolled out above
  EXPECT_EQ(1u, grid.GetClientRow(10));
  EXPECT_EQ(12u, grid.GetRowFromClientRow(3));
  EXPECT_EQ(0u, grid.GetClientRow(5));
  EXPECT_EQ(CRect(60, 21, 160, 39), grid.CalcRectFromRowCol(10, 1));
  // Row 0 ends at 21, row 10 at 39: a boundary point belongs to the lower row.
  const struct {
    int y;
    ROWCOL client;
  } points[] = {{0, 0}, {20, 0}, {21, 1}, {38, 1}, {39, 2}, {-5, 0}};
  for (const auto& p : points) EXPECT_EQ(p.client, grid.CalcClientRowFromPt(CPoint(5, p.y))) << p.y;
  grid.m_nTopRow = 1;
  EXPECT_EQ(kNone, grid.CalcClientRowFromPt(CPoint(5, 21 + 20 * 18 + 5)));  // below the last row
  // A row taller than the window is limited while visible, not while hidden.
  grid.StoreRowHeight(2, 500);
  EXPECT_EQ(200 - 21, grid.GetRowHeight(2));
  wnd.ShowWindow(SW_HIDE);
  EXPECT_EQ(500, grid.GetRowHeight(2));
}

TEST_F(GridPaint, BordersShrinkAndGrowCellRectangles) {
  grid.GetParam()->m_bGridLinesRightBottom = FALSE;
  CGXStyle plain, left2, nullRight, frame;
  left2.SetBorders(CGXStyle::sideLeft, CGXPenValue(PS_SOLID, 2, 0));
  nullRight.SetBorders(CGXStyle::sideRight, CGXPenValue(PS_NULL, 1, 0));
  frame.SetDraw3dFrame(1);
  const RECT cell{10, 10, 50, 30};
  RECT out;
  grid.ShrinkRectByBorders(&out, cell, left2);
  EXPECT_EQ(12, out.left);
  grid.ShrinkRectByBorders(&out, cell, plain);
  EXPECT_EQ(11, out.left);
  grid.GetParam()->m_bGridLinesRightBottom = TRUE;
  grid.ShrinkRectByBorders(&out, cell, nullRight);
  EXPECT_EQ(50, out.right);
  SIZE size;
  grid.GrowSizeByBorders(&size, 10, 10, frame);
  EXPECT_EQ(13, size.cx);
  EXPECT_EQ(13, size.cy);
}

TEST_F(GridPaint, RedrawRequestsAndHints) {
  grid.m_bUpdateHints = TRUE;
  PumpMessages();
  grid.RedrawRowCol(1, 1, 2, 2, 0);
  EXPECT_TRUE(Invalid().IsRectEmpty());
  EXPECT_TRUE(grid.hints.empty());
  grid.RedrawRowCol(1, 1, 1, 1, 4);
  EXPECT_EQ(CRect(60, 21, 160, 39), Invalid());
  EXPECT_EQ(std::vector<UINT>{2}, grid.hints);
  PumpMessages();
  // Rows removed below the top row: the top row comes back to the last one.
  grid.m_nTopRow = 15;
  Data().SetRowCount(8);
  grid.Redraw(4);
  EXPECT_EQ(8u, grid.GetTopRow());
  // Header marks of a current cell scrolled out invalidate nothing.
  PumpMessages();
  grid.m_nTopRow = 5;
  grid.RedrawHeaderMarks(0, 2, 2, 4);
  EXPECT_TRUE(Invalid().IsRectEmpty());

  // Hints between views: another view id is ignored, -1 reaches all; bad hints are ignored.
  const struct {
    int viewId;
    bool reaches;
  } ids[] = {{3, false}, {0, true}, {-1, true}};
  for (const auto& c : ids) {
    PumpMessages();
    CGXGridHint hint(2, c.viewId);
    hint.m_nRow1 = hint.m_nRow2 = 1, hint.m_nCol1 = hint.m_nCol2 = 1, hint.m_flags = 4;
    grid.m_nTopRow = 1;
    grid.OnGridUpdate(nullptr, 0, &hint);
    EXPECT_EQ(c.reaches, !Invalid().IsRectEmpty()) << c.viewId;
  }
  CGXGridHint unknown(99, -1);
  CGXRange notAHint;
  grid.OnGridUpdate(nullptr, 0, &unknown);
  grid.OnGridUpdate(nullptr, 0, nullptr);
  // Zoom hints stay in their splitter unless floating cells are on.
  CWnd splitter;
  CGXGridHint zoom(20, -1);
  zoom.m_lParam = 150, zoom.m_pHintPtr = &splitter;
  grid.OnGridUpdate(nullptr, 0, &zoom);
  EXPECT_EQ(100, grid.m_nZoom);
  grid.m_pSplitterWnd = &splitter;
  grid.OnGridUpdate(nullptr, 0, &zoom);
  EXPECT_EQ(150, grid.m_nZoom);
  grid.m_pSplitterWnd = nullptr;
  zoom.m_lParam = 120;
  grid.GetParam()->m_wFloatCellsMode = 1;
  grid.OnGridUpdate(nullptr, 0, &zoom);
  EXPECT_EQ(120, grid.m_nZoom);
}

TEST_F(GridPaint, DeselectingAndSelectedRows) {
  CGXRangeList& sel = grid.GetParam()->m_SelRects;
  grid.SelectRange(CGXRange().SetRowRange(1, 10));
  grid.SelectRange(CGXRange().SetRowRange(4, 6), FALSE);
  ASSERT_EQ(2, sel.GetCount());
  EXPECT_EQ(CGXRange().SetRowRange(1, 3), *sel.GetHead());
  EXPECT_EQ(CGXRange().SetRowRange(7, 10), *sel.GetTail());
  sel.DeleteAll();
  grid.SelectRange(CGXRange().SetCellRange(2, 2, 6, 5));
  grid.SelectRange(CGXRange().SetCellRange(3, 3, 4, 4), FALSE);
  EXPECT_EQ(4, sel.GetCount());  // above, below, left and right
  grid.SetSelection(nullptr);
  EXPECT_TRUE(sel.IsEmpty());
  grid.SelectRange(CGXRange().SetRowRange(2, 3));
  grid.SelectRange(CGXRange().SetRowRange(3, 5));
  CDWordArray rows;
  ASSERT_EQ(4, grid.GetSelectedRows(rows));
  for (int i = 0; i < 4; ++i) EXPECT_EQ((DWORD)(2 + i), rows[i]);
  // Selection behaviour 3 turns a cell range into rows.
  grid.GetParam()->m_wSelectionBehavior = 3;
  grid.SetSelection(sel.GetHeadPosition(), 4, 2, 6, 3);
  EXPECT_EQ(CGXRange().SetRowRange(4, 6), *sel.GetHead());
}

TEST_F(GridPaint, MovingARangeEndInvertsOnlyTheNewRow) {
  grid.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetCellRange(1, 1, 2, 2)));
  Repaint();
  const COLORREF inside = Pixel(70, 30), beside = Pixel(280, 60), below = Pixel(70, 60);
  grid.SetSelection(grid.GetParam()->m_SelRects.GetHeadPosition(), 1, 1, 3, 2);
  EXPECT_EQ(inside, Pixel(70, 30));
  EXPECT_EQ(beside, Pixel(280, 60));
  EXPECT_NE(below, Pixel(70, 60));  // row 3, column 1 now inverted
  EXPECT_EQ(inside, Pixel(70, 60));
  // The marker hidden and shown twice leaves the screen as it was.
  grid.GetParam()->m_bSelectionMarker = TRUE;
  Repaint();
  // The handle at the bottom-right corner of rows 1..3, columns 1..2 (right 260, bottom 75).
  const COLORREF corner = Pixel(260, 75);
  grid.ShowSelectionMarker(TRUE);
  EXPECT_NE(corner, Pixel(260, 75));
  grid.ShowSelectionMarker(TRUE);
  grid.ShowSelectionMarker(FALSE);
  grid.ShowSelectionMarker(FALSE);
  EXPECT_EQ(corner, Pixel(260, 75));
}

TEST_F(GridPaint, SizeCommandsUndoAndScroll) {
  EXPECT_TRUE(grid.SetColWidth(3, 0, 80, nullptr));
  EXPECT_EQ(80, grid.GetColWidth(3));
  EXPECT_EQ(100, grid.GetColWidth(4));
  EXPECT_TRUE(grid.Undo());
  EXPECT_EQ(100, grid.GetColWidth(3));
  // A column 20 pixels wider: what lies right of it moves 20 right; the column repaints.
  grid.SetColWidth(1, 1, 40, nullptr, 0);
  Repaint();
  CGXStyle red;
  red.SetInterior(RGB(255, 0, 0));
  grid.SetStyleRange(CGXRange().SetCellRange(1, 2, 1, 2), &red, 0, 0, nullptr, 0);
  Repaint();
  ASSERT_EQ(RGB(255, 0, 0), Pixel(110, 30));
  grid.SetColWidth(1, 1, 60, nullptr, 4);
  EXPECT_EQ(RGB(255, 0, 0), Pixel(130, 30));  // moved, not repainted yet
  EXPECT_EQ(CRect(60, 0, 120, 200), Invalid());
  // Zoom to the current zoom: hint 20 and no redraw.
  PumpMessages();
  grid.m_bUpdateHints = TRUE;
  grid.SetZoom(grid.GetZoom());
  EXPECT_EQ((std::vector<UINT>{20, 19}), grid.hints);
  EXPECT_TRUE(Invalid().IsRectEmpty());
  // A splitter pane without header columns repaints nothing for a header column.
  CWnd splitter;
  grid.m_pSplitterWnd = &splitter;
  grid.m_bPaneShowsHeaderCols = FALSE;
  grid.UpdateChangedColWidths(0, 0, nullptr, 4, FALSE);
  EXPECT_TRUE(Invalid().IsRectEmpty());
}

TEST_F(GridPaint, BestFit) {
  control->fit = [](ROWCOL r, ROWCOL c) -> int { return c == 2 ? 50 : c == 3 ? 0 : c == 0 ? 9999 : (int)r * 0 + 130; };
  grid.ResizeColWidthsToFit(CGXRange().SetColRange(2, 2), TRUE, 8);  // grow only: 50 < 100
  EXPECT_EQ(100, grid.GetColWidth(2));
  grid.ResizeColWidthsToFit(CGXRange().SetColRange(2, 3), TRUE, 0);
  EXPECT_EQ(50, grid.GetColWidth(2));
  EXPECT_EQ(100, grid.GetColWidth(3));  // computed 0 keeps the width
  grid.ResizeColWidthsToFit(CGXRange().SetColRange(0, 0), TRUE, 0);
  EXPECT_EQ(400 - 1, grid.GetColWidth(0));
  EXPECT_EQ(0, grid.GetParam()->m_nTransNesting);
  // ESC while column 3 is measured: column 2 keeps its new width, no transaction stays open.
  GXProgressSettings& progress = GXGetProgressSettings();
  grid.SetColWidth(0, 0, 60);
  progress.nFirstDelay = progress.nInterval = 0, progress.bAskBeforeAbort = FALSE;
  control->fit = [](ROWCOL, ROWCOL c) -> int {
    if (c == 3) GXGetProgressSettings().bEscPressed = TRUE;
    return 70;
  };
  bool thrown = false;
  try {
    grid.ResizeColWidthsToFit(CGXRange().SetColRange(2, 4), TRUE, 0);
  } catch (CUserException* e) {
    thrown = true;
    e->Delete();
  }
  EXPECT_TRUE(thrown);
  progress = GXProgressSettings();
  EXPECT_EQ(70, grid.GetColWidth(2));
  EXPECT_EQ(100, grid.GetColWidth(4));
  EXPECT_EQ(0, grid.GetParam()->m_nTransNesting);
}

TEST_F(GridPaint, TwoViewsOfOneDocumentFollowEachOther) {
  CHostWnd wnd2;
  wnd2.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 300, 400, 500), nullptr, 0);
  CTestGrid other;
  other.SetParam(grid.GetParam(), FALSE);
  Attach(other, wnd2);
  grid.m_bUpdateHints = TRUE;
  grid.peers.push_back(&other);
  PumpMessages();
  grid.SetColWidth(2, 2, 150, nullptr, 4);
  CRect r;
  wnd2.GetUpdateRect(&r);
  EXPECT_FALSE(r.IsRectEmpty());
  EXPECT_EQ(150, other.GetColWidth(2));
  PumpMessages();
  grid.SelectRange(CGXRange().SetCellRange(1, 1, 1, 1));
  EXPECT_EQ(RGB(0, 0, 0), GetWindowPixel(wnd2.m_hWnd, POINT{100, 30}));  // inverted in the other view
  wnd2.DestroyWindow();
}

TEST_F(GridPaint, PaintingFillsLinesAndRuns) {
  CGXStyle blue;
  blue.SetInterior(RGB(0, 0, 255));
  grid.SetStyleRange(CGXRange().SetCellRange(2, 1, 2, 3), &blue, 0, 0, nullptr, 0);
  CGXStyle green;
  green.SetInterior(RGB(0, 255, 0));
  grid.SetStyleRange(CGXRange().SetCellRange(3, 1, 3, 1), &green, 0, 0, nullptr, 0);
  grid.SetStyleRange(CGXRange().SetCellRange(3, 2, 3, 2), &blue, 0, 0, nullptr, 0);
  CClientDC dc(&wnd);
  CRecordingDC rec(dc);
  // Background fills are the fills a whole row high (18); lines are one pixel.
  auto rowFills = [&rec] {
    int n = 0;
    for (const CString& c : rec.Calls()) {
      int l, t, r, b;
      if ((sscanf(c, "FillRect(%d,%d,%d,%d", &l, &t, &r, &b) == 4 ||
           sscanf(c, "FillSolidRect(%d,%d,%d,%d", &l, &t, &r, &b) == 4) && b - t == 18 && r - l > 1)
        ++n;
    }
    return n;
  };
  grid.DrawCells(2, 1, 2, 3, &dc);  // three cells of one brush: one run
  EXPECT_EQ(1, rowFills()) << rec.Text();
  rec.Clear();
  grid.DrawCells(3, 1, 3, 2, &dc);  // two brushes: each cell fills itself
  EXPECT_EQ(2, rowFills());
  Data().SetRowCount(5);
  Data().SetColCount(2);
  Repaint();
  // Below the last row: property colour 4; the closing lines follow m_bGridLinesRightBottom.
  const COLORREF background = GXResolveColor(grid.GetParam()->m_pProperties->GetColor(4));
  EXPECT_EQ(background, Pixel(100, 190));
  EXPECT_EQ(background, Pixel(300, 100));
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_paint_runs.png").c_str());
  // Beside the last column the fill is 5 pixels taller; closing lines only with lines left/top.
  const struct {
    BOOL rightBottom;
    int closingLines;
  } modes[] = {{TRUE, 0}, {FALSE, 2}};
  for (const auto& m : modes) {
    grid.GetParam()->m_bGridLinesRightBottom = m.rightBottom;
    rec.Clear();
    grid.DrawCells(0, 0, grid.GetClientRow(5), grid.GetClientCol(2), &dc);
    EXPECT_NE(std::string::npos, std::string((LPCTSTR)rec.Text()).find("FillSolidRect(260,0,400,205,"));
    int closing = 0;
    for (const CString& c : rec.Calls()) closing += c == "FillSolidRect(260,0,261,112,0x808080)" ||
                                                    c == "FillSolidRect(0,111,261,112,0x808080)";
    EXPECT_EQ(m.closingLines, closing) << rec.Text();
  }
  // A transparent background fills nothing; the cells still draw.
  grid.GetParam()->m_bTransparentBackground = TRUE;
  rec.Clear();
  control->draws.clear();
  grid.DrawCells(5, 1, 5, 2, &dc);  // cells of the standard brush
  EXPECT_EQ(0, rowFills());
  EXPECT_EQ(2u, control->draws.size());
  grid.GetParam()->m_bTransparentBackground = FALSE;
  // A zero-width clip draws and copies nothing.
  grid.SetDoubleBuffering(TRUE);
  CRgn empty;
  empty.CreateRectRgn(10, 10, 10, 50);
  dc.SelectClipRgn(&empty);
  rec.Clear();
  grid.OnGridDraw(&dc);
  EXPECT_EQ(0, rec.Count("BitBlt("));
}

TEST_F(GridPaint, BufferedAndDirectPaintsMatch) {
  // Patterned and hatched interiors, dotted grid lines and a selection.
  CGXStyle pattern, hatch;
  pattern.SetInterior(CGXBrushValue().SetPattern(5).SetColor(RGB(0, 0, 128)).SetBkColor(RGB(255, 255, 0)));
  hatch.SetInterior(
      CGXBrushValue().SetStyle(BS_HATCHED).SetHatch(HS_DIAGCROSS).SetColor(RGB(128, 0, 0)).SetBkColor(RGB(255, 255, 255)));
  grid.SetStyleRange(CGXRange().SetCellRange(2, 2, 4, 3), &pattern, 0, 0, nullptr, 0);
  grid.SetStyleRange(CGXRange().SetCellRange(1, 1, 3, 1), &hatch, 0, 0, nullptr, 0);
  grid.GetParam()->m_wGridLineStyle = PS_DOT;
  grid.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetCellRange(3, 2, 3, 2)));
  // One clip painted direct (0), buffered (1) and in bands (2; latched once used), over a fill that shows
  // any pixel left unpainted.
  auto paint = [&](int mode, const CRect& clip) {
    grid.SetDoubleBuffering(mode == 1);
    grid.m_bBandDrawing = mode == 2;
    CClientDC(&wnd).FillSolidRect(&clip, RGB(255, 0, 255));
    wnd.InvalidateRect(&clip, FALSE);
    PumpMessages();
    std::vector<COLORREF> pixels;
    for (int y = clip.top; y < clip.bottom; ++y)
      for (int x = clip.left; x < clip.right; ++x) pixels.push_back(Pixel(x, y));
    return pixels;
  };
  for (int oy = 0; oy < 8; ++oy)
    for (int ox = 0; ox < 8; ++ox) {
      const CRect clip(136 + ox, 32 + oy, 184 + ox, 72 + oy);
      const std::vector<COLORREF> direct = paint(0, clip);
      for (int mode = 1; mode < 3; ++mode) {
        const std::vector<COLORREF> other = paint(mode, clip);
        size_t differ = 0;
        for (size_t i = 0; i < direct.size(); ++i) differ += direct[i] != other[i];
        EXPECT_EQ(0u, differ) << "origin " << ox << "," << oy << " mode " << mode;
      }
    }
}

TEST_F(GridPaint, CurrentCellFrameAndInversion) {
  grid.SetCurrent(2, 2);
  control->draws.clear();
  Repaint();
  ASSERT_EQ(1u, control->frames.size());
  // After row 2's cells (rows 0, 1 and 2 of the 5 visible columns), before row 3.
  EXPECT_EQ(3u * 5, control->frames[0]);
  // ... and before row 2's lines: its bottom line (y 56) follows the frame.
  CClientDC dc(&wnd);
  CRecordingDC rec(dc);
  control->recorder = &rec;
  grid.DrawCells(0, 0, 3, 4, &dc);
  control->recorder = nullptr;
  size_t line = 0;
  for (size_t i = 0; i < rec.Calls().size() && !line; ++i)
    if (rec.Calls()[i].Find("FillRect(60,56,") == 0) line = i;
  EXPECT_GT(control->frameCall, 0u);
  EXPECT_LT(control->frameCall, line) << rec.Text();
  grid.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetCellRange(2, 2, 2, 2)));
  grid.GetParam()->m_wShowCurrentCell = 1;
  Repaint();
  const COLORREF shown = Pixel(200, 50);
  grid.GetParam()->m_wShowCurrentCell = 2;
  Repaint();
  EXPECT_NE(shown, Pixel(200, 50));
}

TEST_F(GridPaint, CoveredRangeAcrossFrozenRowsDrawsInTwoParts) {
  grid.GetParam()->m_nFrozenRows = 2;
  grid.m_nTopRow = 3;
  grid.covered.SetCellRange(2, 2, 4, 3);
  control->draws.clear();
  control->rects.clear();
  Repaint();
  int origins = 0;
  for (const auto& d : control->draws) origins += d == std::make_pair<ROWCOL, ROWCOL>(2, 2);
  ASSERT_EQ(2, origins);
  // Both parts are laid out as the whole range: three rows high, two columns wide.
  for (size_t i = 0; i < control->draws.size(); ++i) {
    if (control->draws[i] == std::make_pair<ROWCOL, ROWCOL>(2, 2)) {
      EXPECT_EQ(CSize(200, 54), control->rects[i].Size());
    }
  }
}

TEST_F(GridPaint, LinesOfFrozenRowsAndDraggingLines) {
  grid.GetParam()->m_nFrozenRows = 1;
  grid.GetParam()->m_wGridLineStyle = PS_SOLID;
  grid.GetParam()->m_pProperties->SetColor(1, RGB(0, 200, 0));
  Repaint();
  EXPECT_EQ(RGB(0, 200, 0), Pixel(100, 38));  // row 1's bottom line
  const COLORREF before = Pixel(120, 100);
  CClientDC dc(&wnd);
  for (UINT flags : {4u, 8u}) {
    grid.DrawGridLine(&dc, 120, 0, 1, 200, 1, 0, flags);
    grid.DrawGridLine(&dc, 120, 0, 1, 200, 1, 0, flags);
    EXPECT_EQ(before, Pixel(120, 100)) << flags;
  }
}

TEST_F(GridPaint, BadInputDrawsNothing) {
  CClientDC dc(&wnd);
  CRecordingDC rec(dc);
  grid.DrawCells(5, 1, 2, 1, &dc);
  grid.RedrawRowCol(100, 100, 200, 200);
  grid.SelectRange(CGXRange().SetCellRange(500, 500, 600, 600));
  grid.SelectRange(CGXRange().SetCellRange(500, 500, 600, 600), FALSE);
  EXPECT_FALSE(grid.SetRowHeight(5, 3, 10));
  EXPECT_TRUE(grid.SetColWidth(2, kNone, 30));  // stops at the last column
  EXPECT_EQ(30, grid.GetColWidth(6));
  EXPECT_EQ(100, grid.GetColWidth(7));
  EXPECT_EQ(0, rec.Count("FillRect("));
}

}  // namespace

TEST_F(GridPaint, ARedrawRequestLooksAgainAtTheMergedCellsItCovers) {
  grid.SetMergeCellsMode(1, FALSE);
  Repaint();
  CGXRange span;
  for (ROWCOL c = 2; c <= 3; ++c) Data().StoreStyleAt(3, c, &CGXStyle().SetValue("same").SetMergeCell(1), 0, 0);
  Repaint();
  ASSERT_FALSE(grid.GetMergedCellsRowCol(3, 2, span));  // stored behind the grid's back: nothing asks yet
  grid.RedrawRowCol(3, 2, 3, 3, GX_INVALIDATE);
  PumpMessages();
  ASSERT_TRUE(grid.GetMergedCellsRowCol(3, 2, span));
  EXPECT_EQ((std::vector<ROWCOL>{span.m_nLeft, span.m_nRight}), (std::vector<ROWCOL>{2, 3}));
}

// The last row (column) hidden where the table ends inside the window: the strip it leaves shows the
// window's background, as a paint of the whole window does.
TEST_F(GridPaint, HidingTheLastRowOrColumnOfATableThatEndsInTheWindow) {
  Data().SetRowCount(4);
  Data().SetColCount(2);
  // Taller (wider) than what lies beyond it in the window.
  grid.SetRowHeight(4, 4, 100);
  grid.SetColWidth(2, 2, 200);
  for (BOOL rows : {TRUE, FALSE}) {
    Repaint();
    rows ? grid.HideRows(4, 4) : grid.HideCols(2, 2);
    PumpMessages();
    std::vector<COLORREF> shown;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 400; ++x) shown.push_back(Pixel(x, y));
    Repaint();
    std::vector<COLORREF> painted;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 400; ++x) painted.push_back(Pixel(x, y));
    EXPECT_TRUE(shown == painted) << rows;
  }
}

// With the frame inverted by the grid, the current cell's control draws none of its own inside it.
TEST_F(GridPaint, AnInvertedCurrentCellFrameIsTheGridsAlone) {
  grid.GetParam()->m_bInvertCurrentCellFrame = TRUE;
  grid.SetCurrent(2, 2);
  grid.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetCellRange(2, 1, 3, 3)));
  Repaint();
  EXPECT_EQ(0u, control->frames.size());
}

// A paint whose clip holds nothing draws nothing, buffered or not: not even the scroll bars that the
// grid would show for a table wider and taller than the window.
TEST(GridPaintClip, AClipOfNoWidthPaintsNothing) {
  GXStartGridLibrary();
  for (BOOL buffered : {FALSE, TRUE}) {
    CGridHostWnd wnd;
    CGXGridCore grid;
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 200), nullptr, 0);
    grid.m_pGridWnd = &wnd;
    wnd.grid = &grid;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(20);
    grid.GetParam()->GetData()->SetColCount(6);
    PumpMessages();
    grid.SetDoubleBuffering(buffered);
    auto pixels = [&] {
      std::vector<COLORREF> all;
      for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x) all.push_back(GetWindowPixel(wnd.m_hWnd, POINT{x, y}));
      return all;
    };
    const std::vector<COLORREF> before = pixels();
    {
      CClientDC dc(&wnd);
      dc.IntersectClipRect(CRect(50, 0, 50, 100));
      grid.OnGridDraw(&dc);
    }
    const std::vector<COLORREF> after = pixels();
    int changed = 0;
    for (size_t i = 0; i < after.size(); ++i) changed += after[i] != before[i];
    EXPECT_EQ(0, changed) << buffered;
    wnd.DestroyWindow();
  }
}
