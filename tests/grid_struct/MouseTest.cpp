// Real mouse messages posted to a grid window: presses, clicks, selection, boundary double clicks
// and the scroll bars.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXDragLineWnd.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Module.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/BarPresses.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class RecordingGrid : public ZAZAzedAze {
 public:
  BOOL OnLButtonHitRowCol(ROWCOL r, ROWCOL c, ROWCOL dr, ROWCOL dc, CPoint pt, UINT flags, WORD state) override {
    states.push_back(state);
    return ZAZAzedAze::OnLButtonHitRowCol(r, c, dr, dc, pt, flags, state);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CANCELMODE) ++cancels;
    return ZAZAzedAze::WindowProc(message, wParam, lParam);
  }
  BOOL ResizeColWidthsToFit(CGXRange range, BOOL bCovered, UINT flags) override {
    fitted.push_back(range.m_nLeft);
    return ZAZAzedAze::ResizeColWidthsToFit(range, bCovered, flags);
  }
  // The auto-scroll loop hears the release only after this many scrolls.
  BOOL ScrollGrid(int direction, ROWCOL n) override {
    const BOOL scrolled = ZAZAzedAze::ScrollGrid(direction, n);
    if (scrolled && ++scrolls == releaseAfter) {
      POINT at{};
      ::GetCursorPos(&at);
      ScreenToClient(&at);
      PostMouseInput(m_hWnd, WM_LBUTTONUP, 0, POINT{at.x, at.y});
    }
    return scrolled;
  }
  BOOL OnMButtonHitRowCol(ROWCOL r, ROWCOL c, ROWCOL dr, ROWCOL dc, CPoint pt, UINT flags, WORD state) override {
    middle.push_back(state);
    return ZAZAzedAze::OnMButtonHitRowCol(r, c, dr, dc, pt, flags, state);
  }
  BOOL OnMButtonDblClkRowCol(ROWCOL r, ROWCOL c, UINT, CPoint) override {
    middleDouble.push_back(r * 100 + c);
    return TRUE;
  }
  BOOL OnSelDragColsMove(ROWCOL, ROWCOL, ROWCOL nDest) override { return nDest != refusedCol; }
  BOOL OnStartSelection(ROWCOL r, ROWCOL c, UINT flags, CPoint pt) override {
    return !refuseStart && ZAZAzedAze::OnStartSelection(r, c, flags, pt);
  }
  BOOL OnChangingSelection(const CGXRange* range, BOOL b1, BOOL b2) override {
    return !refuseChange && ZAZAzedAze::OnChangingSelection(range, b1, b2);
  }
  bool refuseStart = false, refuseChange = false;
  ROWCOL refusedCol = 0;
  std::vector<WORD> middle;
  std::vector<ROWCOL> middleDouble;
  int scrolls = 0, releaseAfter = 0;
  std::vector<WORD> states;
  std::vector<ROWCOL> fitted;
  int cancels = 0;
};

class GridMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), "", WS_POPUP | WS_VISIBLE,
                    CRect(0, 0, 640, 480), nullptr, 0);
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                            CRect(0, 0, 600, 400), &parent, 3));
    ASSERT_TRUE(grid.Initialize());
    grid.SetScrollBarBehaviour(SB_BOTH, 10, TRUE);
    grid.SetRowCount(50);
    grid.SetColCount(20);
    h = grid.m_hWnd;
    ::PumpMessages();
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  void Post(UINT msg, WPARAM flags, CPoint pt) { PostMouseInput(h, msg, flags, pt); }
  void Click(CPoint pt, WPARAM keys = 0) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON | keys, pt);
    Post(WM_LBUTTONUP, keys, pt);
    ::PumpMessages();
  }
  CPoint Centre(ROWCOL r, ROWCOL c) { return grid.CalcRectFromRowCol(r, c).CenterPoint(); }
  // The selection as text: "r2-4" whole rows, "c2-4" whole columns, "t" the table, "2,3-4,5" cells.
  std::string Selection() {
    std::string out;
    const CGXRangeList& sel = grid.GetParam()->m_SelRects;
    for (POSITION pos = sel.GetHeadPosition(); pos;) {
      const CGXRange* r = sel.GetNext(pos);
      char text[64];
      if (r->IsTable()) snprintf(text, sizeof text, "t");
      else if (r->IsRows()) snprintf(text, sizeof text, "r%u-%u", (unsigned)r->m_nTop, (unsigned)r->m_nBottom);
      else if (r->IsCols()) snprintf(text, sizeof text, "c%u-%u", (unsigned)r->m_nLeft, (unsigned)r->m_nRight);
      else
        snprintf(text, sizeof text, "%u,%u-%u,%u", (unsigned)r->m_nTop, (unsigned)r->m_nLeft, (unsigned)r->m_nBottom,
                 (unsigned)r->m_nRight);
      out += (out.empty() ? "" : " ") + std::string(text);
    }
    return out;
  }
  CWnd parent;
  RecordingGrid grid;
  HWND h = nullptr;
};

}  // namespace

TEST_F(GridMouse, RightPressWithLeftHeldCancels) {
  grid.m_bAutoScroll = FALSE;  // the press only captures, so the test can look between the messages
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Centre(3, 3));
  ::PumpMessages();
  EXPECT_EQ(::GetCapture(), h);
  Post(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, Centre(3, 3));
  ::PumpMessages();
  EXPECT_EQ(grid.cancels, 1);
  EXPECT_NE(::GetCapture(), h);
  EXPECT_EQ(grid.m_wMouseAction, 0);
  Post(WM_LBUTTONUP, 0, Centre(3, 3));  // a release without the capture does nothing
  ::PumpMessages();
  EXPECT_EQ(grid.states.size(), 1u);
  EXPECT_EQ(::SendMessage(h, WM_GETDLGCODE, 0, 0) & 0x83, 0x83);
  // The system's own question when the mouse moves: no input of its own.
  EXPECT_TRUE(::SendMessage(h, WM_SETCURSOR, (WPARAM)h, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
}

TEST_F(GridMouse, ClickSelectsNothingAndShiftClickSelectsFromTheCurrentCell) {
  Click(Centre(3, 4));
  EXPECT_EQ(grid.states, (std::vector<WORD>{0x47, 0x51}));
  EXPECT_TRUE(grid.GetParam()->m_SelRects.IsEmpty());
  EXPECT_TRUE(grid.IsCurrentCell(3, 4));
  EXPECT_NE(::GetCapture(), h);
  Click(Centre(5, 6), MK_SHIFT);
  const CGXRangeList& sel = grid.GetParam()->m_SelRects;
  ASSERT_EQ(sel.GetCount(), 1);
  const CGXRange* r = const_cast<CGXRangeList&>(sel).GetHead();
  EXPECT_EQ((std::vector<ROWCOL>{r->m_nTop, r->m_nLeft, r->m_nBottom, r->m_nRight}),
            (std::vector<ROWCOL>{3, 4, 5, 6}));
  // A drag selects from the press to the release.
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Centre(2, 2));
  Post(WM_MOUSEMOVE, MK_LBUTTON, Centre(4, 3));
  Post(WM_LBUTTONUP, 0, Centre(4, 3));
  ::PumpMessages();
  ASSERT_EQ(sel.GetCount(), 1);
  r = const_cast<CGXRangeList&>(sel).GetHead();
  EXPECT_EQ((std::vector<ROWCOL>{r->m_nTop, r->m_nLeft, r->m_nBottom, r->m_nRight}),
            (std::vector<ROWCOL>{2, 2, 4, 3}));
}

TEST_F(GridMouse, ShiftClickOnAHeaderExtendsToThePressedRowsOrColumnsOnly) {
  struct Case {
    CPoint first, shifted;  // (row, column) of the plain click and of the Shift+click
    const char* selected;
  } cases[] = {
      {{2, 0}, {4, 0}, "r2-4"},
      {{4, 0}, {2, 0}, "r2-4"},
      {{0, 2}, {0, 4}, "c2-4"},
      {{0, 5}, {0, 3}, "c3-5"},
      {{2, 3}, {4, 0}, "r2-4"},  // anchored at the current cell
      {{2, 3}, {0, 5}, "c3-5"},
  };
  for (const Case& c : cases) {
    grid.SetSelection(nullptr);
    Click(Centre(c.first.x, c.first.y));
    Click(Centre(c.shifted.x, c.shifted.y), MK_SHIFT);
    EXPECT_EQ(Selection(), c.selected) << c.first.x << "," << c.first.y << " to " << c.shifted.x << "," << c.shifted.y;
  }
  // Where no selection may start or change, a Shift+click leaves the selection as it was.
  struct Refusal {
    CPoint first;
    bool start, change;
    WORD allow;
    const char* selected;
  } refusals[] = {
      {{2, 0}, true, false, 0x00FF, "r2-2"},
      {{2, 0}, false, true, 0x00FF, "r2-2"},
      {{2, 3}, false, true, 0x00FF, ""},       // nothing selected yet: nothing added either
      {{2, 0}, false, false, 0x00FE, "r2-2"},  // row headers select nothing
      {{2, 0}, false, false, 0x00DF, "r4-4"},  // Shift does not count: a plain click
  };
  for (const Refusal& r : refusals) {
    grid.SetSelection(nullptr);
    grid.GetParam()->m_wAllowSelection = 0x00FF;
    Click(Centre(r.first.x, r.first.y));
    grid.refuseStart = r.start, grid.refuseChange = r.change;
    grid.GetParam()->m_wAllowSelection = r.allow;
    Click(Centre(4, 0), MK_SHIFT);
    EXPECT_EQ(Selection(), r.selected) << r.start << r.change << r.allow;
    grid.refuseStart = grid.refuseChange = false;
  }
}

TEST_F(GridMouse, ColumnEdgeDragAndDoubleClick) {
  const CRect c3 = grid.CalcRectFromRowCol(0, 3);
  const CPoint edge(c3.right, c3.top + 2);
  const int width = grid.GetColWidth(3);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, edge);
  Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(edge.x + 30, edge.y));
  Post(WM_LBUTTONUP, 0, CPoint(edge.x + 30, edge.y));
  ::PumpMessages();
  EXPECT_EQ(grid.GetColWidth(3), width + 30);
  EXPECT_NE(::GetCapture(), h);

  // A double click on the edge fits the column.
  const CRect wide = grid.CalcRectFromRowCol(0, 3);
  Post(WM_LBUTTONDBLCLK, MK_LBUTTON, CPoint(wide.right, wide.top + 2));
  ::PumpMessages();
  EXPECT_EQ(grid.fitted, (std::vector<ROWCOL>{3}));

  grid.HideCols(4, 5);
  grid.GetParam()->EnableTrackColWidth(0x00B3);
  const CRect c3b = grid.CalcRectFromRowCol(0, 3);
  UiAutomation::DoubleClick(h, CPoint(c3b.right, c3b.top + 2));
  EXPECT_FALSE(grid.IsColHidden(4));
  EXPECT_FALSE(grid.IsColHidden(5));
  EXPECT_EQ(grid.fitted.size(), 1u);
}

TEST_F(GridMouse, ScrollBars) {
  grid.SetRowCount(200);
  ::PumpMessages();
  CRect g;
  grid.GetGridRect(&g);
  const ROWCOL fullyVisible = grid.CalcLastVisibleRow(g) - grid.GetTopRow();
  dravonix::test::bars::Press(h, dravonix::test::kPageBelow);
  EXPECT_EQ(grid.GetTopRow(), 1 + fullyVisible);
  // The thumb dragged to the bar's right end.
  UiAutomation::Drag(h, dravonix::test::bars::PartPoint(h, dravonix::test::kThumbRight),
                     dravonix::test::bars::PartPoint(h, dravonix::test::kThumbRight, 2000), 3);
  EXPECT_EQ(grid.CalcLastVisibleCol(g), 20u);
  EXPECT_LE(grid.CalcRectFromRowCol(grid.GetTopRow(), 20).right, g.right);
  grid.SetRowCount(100000);
  ::PumpMessages();
  dravonix::test::bars::Press(h, dravonix::test::kThumbDown);
  const int thumb = ::GetScrollPos(h, SB_VERT);
  ASSERT_GT(thumb, 0);
  EXPECT_EQ(grid.GetTopRow(), 4u * thumb);  // the bar counts four rows a step beyond 32,767
}

TEST_F(GridMouse, DraggingSelectedColumnsByTheirHeader) {
  grid.SelectRange(CGXRange().SetColRange(2, 3), TRUE, TRUE);
  grid.SetStyleRange(CGXRange().SetCellRange(1, 2, 1, 2), &CGXStyle().SetValue("two"));
  // Columns 2..3 dropped on column 5 land at 3..4.
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Centre(0, 2));
  Post(WM_MOUSEMOVE, MK_LBUTTON, Centre(0, 5));
  Post(WM_LBUTTONUP, 0, Centre(0, 5));
  ::PumpMessages();
  EXPECT_EQ(grid.GetValueRowCol(1, 3), CString("two"));
  EXPECT_NE(::GetCapture(), h);
  EXPECT_TRUE(grid.states.empty());
}

TEST_F(GridMouse, ASelectionDraggedBelowTheGridScrollsByDistanceAndGrows) {
  grid.releaseAfter = 2;
  CRect area;
  grid.GetGridRect(&area);
  const CPoint below(Centre(3, 3).x, area.bottom + 30);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Centre(3, 3));
  Post(WM_MOUSEMOVE, MK_LBUTTON, below);
  ::PumpMessages();
  const ROWCOL step = 30 / grid.GetDefaultRowHeight() + 1;
  EXPECT_EQ(grid.scrolls, 2);
  EXPECT_EQ(grid.GetTopRow(), 1 + 2 * step);
  ROWCOL lastRow = 0, col = 0;
  grid.HitTest(CPoint(below.x, area.bottom - 1), &lastRow, &col);
  const CGXRangeList& sel = grid.GetParam()->m_SelRects;
  ASSERT_EQ(sel.GetCount(), 1);
  const CGXRange* r = const_cast<CGXRangeList&>(sel).GetHead();
  EXPECT_EQ((std::vector<ROWCOL>{r->m_nTop, r->m_nLeft, r->m_nBottom, r->m_nRight}),
            (std::vector<ROWCOL>{3, 3, lastRow, 3}));
  EXPECT_NE(::GetCapture(), h);
  EXPECT_EQ(grid.m_wMouseAction, 0);
}

TEST_F(GridMouse, TheMiddleButtonPressesReleasesAndDoubleClicksOnCells) {
  Post(WM_MBUTTONDOWN, MK_MBUTTON, Centre(4, 2));
  Post(WM_MBUTTONUP, 0, Centre(4, 2));
  Post(WM_MBUTTONDOWN, MK_MBUTTON, CPoint(2000, 2000));  // outside the grid: nothing
  ::PumpMessages();
  EXPECT_EQ(grid.middle, (std::vector<WORD>{0x45, 0x51}));
  EXPECT_TRUE(grid.IsCurrentCell(4, 2));
  EXPECT_NE(::GetCapture(), h);
  Post(WM_MBUTTONDBLCLK, MK_MBUTTON, Centre(6, 3));
  ::PumpMessages();
  EXPECT_EQ(grid.middleDouble, (std::vector<ROWCOL>{603}));
  EXPECT_TRUE(grid.IsCurrentCell(6, 3));
  // The left button held: a middle press cancels.
  grid.m_bAutoScroll = FALSE;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Centre(3, 3));
  Post(WM_MBUTTONDOWN, MK_LBUTTON | MK_MBUTTON, Centre(3, 3));
  ::PumpMessages();
  EXPECT_EQ(grid.cancels, 1);
  EXPECT_NE(::GetCapture(), h);
}

TEST_F(GridMouse, FocusActivatesAndTheLayoutLockHoldsRepaints) {
  // Focus in: the grid is the library's active one; focus out stores a modified cell and deactivates.
  CGXStyle value;
  value.SetValue("old");
  grid.SetStyleRange(CGXRange().SetCellRange(2, 2, 2, 2), &value);
  ASSERT_TRUE(grid.SetCurrentCell(2, 2));
  parent.SetFocus();
  grid.SetFocus();
  EXPECT_TRUE(grid.m_bActive);
  EXPECT_EQ(GXGetLibraryData().m_pLastActiveGrid, &grid);
  CGXControl* control = grid.GetCurrentCellControl();
  ASSERT_NE(control, nullptr);
  UiAutomation::TypeText("typed");
  ASSERT_TRUE(control->IsActive());
  parent.SetFocus();
  EXPECT_FALSE(grid.m_bActive);
  EXPECT_FALSE(control->IsActive());
  EXPECT_EQ(grid.GetValueRowCol(2, 2), "typed");
  // While the windows around lay out, a size change repaints nothing; the end of the lock repaints all.
  ::UpdateWindow(h);
  CRect update;
  struct Step {
    WPARAM lock;
    CRect size;
    bool repaints;
  } steps[] = {{1, CRect(0, 0, 620, 420), false}, {0, CRect(0, 0, 620, 420), true}};
  for (const Step& s : steps) {
    ::SendMessage(h, 0x7CB, s.lock, 0);
    grid.MoveWindow(&s.size);
    EXPECT_EQ(::GetUpdateRect(h, &update, FALSE) != FALSE, s.repaints) << s.lock;
    ::UpdateWindow(h);
  }
  // A hidden grid forgets the rows it last showed.
  ::ShowWindow(h, SW_HIDE);
  EXPECT_EQ(grid.m_nLastVisibleClientRow, (ROWCOL)-1);
}

TEST_F(GridMouse, ResizingDrawsItsLineAndLeavesNoTrace) {
  const CRect c3 = grid.CalcRectFromRowCol(0, 3);
  const int width = grid.GetColWidth(3);
  struct Case {
    WORD bits;
    bool lineWindow;
    int dy;  // presses apart, so the second is no double click
  } cases[] = {{0x00B2, false, 2}, {0x0092, true, 14}};  // the default inverts a line; without 0x20 a line window shows
  for (const Case& c : cases) {
    const CPoint edge(c3.right, c3.top + c.dy);
    const CPoint body(edge.x + 30, grid.CalcRectFromRowCol(5, 3).CenterPoint().y);
    grid.GetParam()->m_wAllowTrackColWidth = c.bits;
    ::UpdateWindow(h);
    const COLORREF before = GetWindowPixel(h, body);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, edge);
    ::PumpMessages();
    ASSERT_TRUE(grid.m_bTracking) << c.bits;
    EXPECT_EQ(grid.m_pDragLineWnd != nullptr, c.lineWindow) << c.bits;
    if (grid.m_pDragLineWnd) {
      CRect line;
      grid.m_pDragLineWnd->GetWindowRect(&line);
      grid.ScreenToClient(&line);
      EXPECT_EQ(line, grid.m_rectTrackStart);
      EXPECT_TRUE(grid.m_pDragLineWnd->IsWindowVisible());
    }
    Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(edge.x + 30, edge.y));
    ::PumpMessages();
    EXPECT_EQ(GetWindowPixel(h, body), before ^ 0x00FFFFFF) << c.bits;  // inverted where the line is
    EXPECT_EQ(grid.GetColWidth(3), width);  // the header showed the new width for a moment only
    // Escape cancels: nothing changed, nothing left on the screen.
    PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
    ::PumpMessages();
    EXPECT_FALSE(grid.m_bTracking);
    EXPECT_EQ(grid.m_pDragLineWnd, nullptr);
    ::UpdateWindow(h);
    EXPECT_EQ(GetWindowPixel(h, body), before) << c.bits;
    EXPECT_EQ(grid.GetColWidth(3), width);
  }
}

TEST_F(GridMouse, DraggedColumnsShowTheMarkerAndTheCursorTellsWhereTheyMayGo) {
  grid.m_bAutoScroll = FALSE;  // the press only captures, so the test can look between the messages
  grid.refusedCol = 5;
  grid.SelectRange(CGXRange().SetColRange(2, 3), TRUE, TRUE);
  grid.SetStyleRange(CGXRange().SetCellRange(1, 2, 1, 2), &CGXStyle().SetValue("two"));
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Centre(0, 2));
  ::PumpMessages();
  EXPECT_EQ(grid.m_nForcedCursorId, 23203u);
  struct Step {
    ROWCOL col;
    UINT cursor;
    bool marker;
  } steps[] = {{4, 23203, true}, {5, 23206, false}, {6, 23203, true}};
  for (const Step& s : steps) {
    Post(WM_MOUSEMOVE, MK_LBUTTON, Centre(0, s.col));
    ::PumpMessages();
    EXPECT_EQ(grid.m_nForcedCursorId, s.cursor) << s.col;
    ASSERT_NE(grid.m_pDragLineWnd, nullptr);
    EXPECT_EQ(grid.m_pDragLineWnd->IsWindowVisible() != FALSE, s.marker) << s.col;
    if (!s.marker) continue;
    // A one-pixel line at the left of the target column, in the dragging colour.
    CRect line;
    grid.m_pDragLineWnd->GetWindowRect(&line);
    grid.ScreenToClient(&line);
    EXPECT_EQ(line.Width(), 1);
    EXPECT_LE(std::abs(line.left - grid.CalcRectFromRowCol(0, s.col).left), 1);
    EXPECT_EQ(GetWindowPixel(h, CPoint(line.left, 30)), GXResolveColor(grid.GetParam()->GetProperties()->GetColor(3)));
  }
  Post(WM_LBUTTONUP, 0, Centre(0, 6));
  ::PumpMessages();
  EXPECT_EQ(grid.GetValueRowCol(1, 4), CString("two"));  // columns 2..3 dropped on 6 land at 4..5
  EXPECT_EQ(grid.m_pDragLineWnd, nullptr);
  EXPECT_EQ(grid.m_nForcedCursorId, 0u);
}
