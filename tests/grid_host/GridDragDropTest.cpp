// Blocks of cells dragged within a grid and between two grids through real mouse input: move and
// copy, refused drops, the drop frame, scrolling at the edge and undo.
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Clock.h"
#include "platform/core/Module.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/OleDragDrop.h"
#include "platform/ui/SharedFile.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"
#include "tests/support/CellRange.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

namespace UA = UiAutomation;

using dravonix::test::Cells;

HGLOBAL Bytes(const void* p, size_t n) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
  std::memcpy(GlobalLock(h), p, n);
  GlobalUnlock(h);
  return h;
}

class GridDragDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), "",
                    WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 480), nullptr, 0);
    for (int i = 0; i < 2; ++i) {
      ZAZAzedAze& g = grids[i];
      ASSERT_TRUE(g.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                           CRect(i * 500, 0, i * 500 + 480, 400), &parent, 3 + i));
      ASSERT_TRUE(g.Initialize());
      g.GetParam()->EnableUndo(TRUE);
      g.SetRowCount(30);
      g.SetColCount(12);
      g.SetDefaultColWidth(36);
      g.GetParam()->EmptyUndoList();
      ASSERT_TRUE(g.CreateOleDataSourceProxy(0x18));
      g.m_dwDropTargetFlags = 0x18;
      g.m_bHitSelectionEdges = TRUE;
    }
    ::PumpMessages();
  }
  void TearDown() override {
    DragDropAutomation::SetDragHandler(nullptr);
    for (ZAZAzedAze& g : grids) g.DestroyWindow();
    parent.DestroyWindow();
    Clock::UseRealTime();
  }
  // Values "r,c" in a block of grid A.
  void Fill(ZAZAzedAze& g, const CGXRange& r) {
    for (ROWCOL row = r.m_nTop; row <= r.m_nBottom; ++row)
      for (ROWCOL col = r.m_nLeft; col <= r.m_nRight; ++col)
        g.SetRangeValueText(Cells(row, col, row, col), (std::to_string(row) + "," + std::to_string(col)).c_str());
  }
  std::vector<std::string> Values(ZAZAzedAze& g, const CGXRange& r) {
    std::vector<std::string> out;
    for (ROWCOL row = r.m_nTop; row <= r.m_nBottom; ++row)
      for (ROWCOL col = r.m_nLeft; col <= r.m_nRight; ++col) out.emplace_back(g.GetValueRowCol(row, col).GetString());
    return out;
  }
  std::vector<std::string> Expected(const CGXRange& source) {
    ZAZAzedAze& g = grids[0];
    (void)g;
    std::vector<std::string> out;
    for (ROWCOL row = source.m_nTop; row <= source.m_nBottom; ++row)
      for (ROWCOL col = source.m_nLeft; col <= source.m_nRight; ++col)
        out.push_back(std::to_string(row) + "," + std::to_string(col));
    return out;
  }
  CPoint Centre(ZAZAzedAze& g, ROWCOL r, ROWCOL c) { return g.CalcRectFromRowCol(r, c).CenterPoint(); }
  CPoint Screen(ZAZAzedAze& g, CPoint pt) {
    g.ClientToScreen(&pt);
    return pt;
  }
  // The drag moves out of the start cell, over the target cell and releases there.
  void DropOn(ZAZAzedAze& target, ROWCOL r, ROWCOL c, UINT modifiers = UA::kNone) {
    DragDropAutomation::SetDragHandler([this, &target, r, c, modifiers] {
      const CPoint at = Centre(target, r, c);
      UA::MouseMove(target.m_hWnd, CPoint(at.x, at.y + 40), modifiers);
      UA::MouseMove(target.m_hWnd, at, modifiers);
      const CPoint s = Screen(target, at);
      PostMouseInput(WM_LBUTTONUP, modifiers & UA::kControl ? MK_CONTROL : 0, POINT{s.x, s.y});
    });
  }
  // A press on the top edge of a selected cell starts the drag.
  void PressEdge(ZAZAzedAze& g, ROWCOL r, ROWCOL c) {
    const CRect rect = g.CalcRectFromRowCol(r, c);
    PostMouseInput(g.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{rect.CenterPoint().x, rect.top + 2});
    ::PumpMessages();
  }
  CString UndoName(ZAZAzedAze& g) {
    CObList& undo = g.GetParam()->GetUndoList();
    return undo.IsEmpty() ? CString() : static_cast<CGXCommand*>(undo.GetHead())->GetName();
  }
  CWnd parent;
  ZAZAzedAze grids[2];
};

}  // namespace

TEST_F(GridDragDrop, ABlockGrabbedByItsMiddleMovesOrCopiesWithinTheGrid) {
  ZAZAzedAze& g = grids[0];
  const CGXRange source = Cells(2, 2, 3, 4);
  struct Case {
    UINT modifiers;
    const char* undoName;
    bool sourceKept;
  } cases[] = {{UA::kNone, "Move", false}, {UA::kControl, "Copy", true}};
  for (const Case& c : cases) {
    Fill(g, source);
    g.SetSelection(nullptr);
    g.SelectRange(source, TRUE, TRUE);
    g.GetParam()->EmptyUndoList();
    DropOn(g, 10, 10, c.modifiers);
    PressEdge(g, 2, 3);  // the middle column of the top row
    EXPECT_EQ(Values(g, Cells(10, 9, 11, 11)), Expected(source)) << c.undoName;
    EXPECT_EQ(Values(g, source) == Expected(source), c.sourceKept) << c.undoName;
    EXPECT_EQ(UndoName(g), c.undoName);
    EXPECT_TRUE(g.IsCurrentCell(10, 9));
    const CGXRangeList& sel = g.GetParam()->m_SelRects;
    ASSERT_EQ(sel.GetCount(), 1);
    EXPECT_TRUE(*const_cast<CGXRangeList&>(sel).GetHead() == Cells(10, 9, 11, 11));
    EXPECT_FALSE(g.GetParam()->m_bDragging);
    EXPECT_FALSE(GXGetLibraryData().m_bGridDragging);
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(g.m_hWnd), 0) << c.undoName;  // no frame or cell left stale
    // One undo step puts everything back.
    ASSERT_TRUE(g.Undo());
    EXPECT_EQ(Values(g, source), Expected(source));
    EXPECT_EQ(Values(g, Cells(10, 9, 11, 11)), std::vector<std::string>(6, ""));
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(g.m_hWnd), 0) << c.undoName;
    g.SetStyleRange(Cells(1, 1, 30, 12), nullptr, 4);
  }
  // With both flag words carrying the grid's format the source ends without styles.
  Fill(g, source);
  CGXStyle bold;
  bold.SetInterior(RGB(255, 0, 0));
  g.SetStyleRange(source, &bold);
  g.SetSelection(nullptr);
  g.SelectRange(source, TRUE, TRUE);
  DropOn(g, 10, 10);
  PressEdge(g, 2, 3);
  CGXStyle left;
  g.GetStyleRowCol(2, 2, left, 0);
  EXPECT_FALSE(left.GetIncludeValue());
  EXPECT_FALSE(left.GetIncludeInterior());
  CGXStyle landed;
  g.GetStyleRowCol(10, 9, landed, 0);
  EXPECT_TRUE(landed.GetIncludeInterior());
}

TEST_F(GridDragDrop, DroppedOnItselfNothingHappens) {
  ZAZAzedAze& g = grids[0];
  const CGXRange source = Cells(2, 2, 3, 4);
  Fill(g, source);
  g.SelectRange(source, TRUE, TRUE);
  g.GetParam()->EmptyUndoList();
  DropOn(g, 2, 3);  // the grabbed cell goes back where it was
  PressEdge(g, 2, 3);
  EXPECT_EQ(Values(g, source), Expected(source));
  EXPECT_TRUE(g.GetParam()->GetUndoList().IsEmpty());
}

TEST_F(GridDragDrop, WholeColumnsLandOnTheFirstDataRowAndBlocksKeepInsideUnder0x200) {
  ZAZAzedAze &a = grids[0], &b = grids[1];
  // Whole columns grabbed in row 5 and dropped over row 8 start on row 1.
  Fill(a, Cells(1, 3, 30, 4));
  a.SelectRange(CGXRange().SetColRange(3, 4), TRUE, TRUE);
  DropOn(a, 8, 7);
  ASSERT_TRUE(a.StartOleDrag(5, 3));
  EXPECT_EQ(Values(a, Cells(1, 7, 30, 8)), Expected(Cells(1, 3, 30, 4)));
  const CGXRangeList& sel = a.GetParam()->m_SelRects;
  ASSERT_EQ(sel.GetCount(), 1);
  EXPECT_TRUE(*const_cast<CGXRangeList&>(sel).GetHead() == CGXRange().SetColRange(7, 8));
  // Five rows dropped on the second-to-last row of another grid end on its last row.
  b.m_dwDropTargetFlags = 0x218;
  b.SetTopRow(15);
  a.SetSelection(nullptr);
  Fill(a, Cells(11, 1, 15, 1));
  a.SelectRange(Cells(11, 1, 15, 1), TRUE, TRUE);
  DropOn(b, 29, 1);
  ASSERT_TRUE(a.StartOleDrag(11, 1));
  EXPECT_EQ(b.GetRowCount(), 30u);
  EXPECT_EQ(Values(b, Cells(26, 1, 30, 1)), Expected(Cells(11, 1, 15, 1)));
}

TEST_F(GridDragDrop, BetweenTwoGridsTheSourceClearsOnAMoveOnly) {
  ZAZAzedAze &a = grids[0], &b = grids[1];
  const CGXRange source = Cells(4, 2, 5, 3);
  for (UINT modifiers : {UA::kControl, UA::kNone}) {
    Fill(a, source);
    a.SetSelection(nullptr);
    a.SelectRange(source, TRUE, TRUE);
    DropOn(b, 6, 6, modifiers);
    ASSERT_TRUE(a.StartOleDrag(4, 2));
    EXPECT_EQ(Values(b, Cells(6, 6, 7, 7)), Expected(source));
    EXPECT_EQ(Values(a, source) == Expected(source), modifiers == UA::kControl);
    // Each grid undoes its own part.
    ASSERT_TRUE(b.Undo());
    EXPECT_EQ(Values(b, Cells(6, 6, 7, 7)), std::vector<std::string>(4, ""));
  }
  ASSERT_TRUE(a.Undo());
  EXPECT_EQ(Values(a, source), Expected(source));
}

TEST_F(GridDragDrop, RefusedDropsAndBadData) {
  ZAZAzedAze& b = grids[1];
  const UINT own = GXGetLibraryData().m_nClipboardFormat;
  CSharedFile big;
  {
    CArchive ar(&big, CArchive::store);
    ar << (DWORD)40000 << (DWORD)1;
  }
  HGLOBAL bigBlock = big.Detach();
  const DWORD truncated[] = {2};
  struct Case {
    const char* what;
    DWORD flags;
    UINT format;
    HGLOBAL data;
    DWORD effect;
  } cases[] = {
      {"drops off", 0, CF_TEXT, Bytes("a\tb", 4), DROPEFFECT_NONE},
      {"text", 0x18, CF_TEXT, Bytes("a\tb", 4), DROPEFFECT_MOVE},
      {"empty text", 0x18, CF_TEXT, Bytes("", 1), DROPEFFECT_NONE},
      {"foreign format", 0x18, CF_UNICODETEXT, Bytes("a\0", 2), DROPEFFECT_NONE},
      {"text not accepted", 0x10, CF_TEXT, Bytes("a", 2), DROPEFFECT_NONE},
      {"truncated block", 0x10, own, Bytes(truncated, sizeof truncated), DROPEFFECT_NONE},
      {"block too big", 0x10, own, bigBlock, DROPEFFECT_NONE},
  };
  const CPoint cell = Centre(b, 5, 5);
  for (const Case& c : cases) {
    b.m_dwDropTargetFlags = c.flags;
    COleDataSource source;
    source.CacheGlobalData((CLIPFORMAT)c.format, c.data);
    COleDataObject data;
    data.Attach(&source);
    EXPECT_EQ(b.OnDragEnter(&data, 0, cell), c.effect) << c.what;
    // A refused drag stays refused while it is over the grid, and its drop does nothing.
    EXPECT_EQ(b.OnDragScroll(0, cell), c.effect ? DROPEFFECT_MOVE : DROPEFFECT_SCROLL) << c.what;
    if (!c.effect) {
      EXPECT_EQ(b.OnDrop(&data, DROPEFFECT_MOVE, cell), DROPEFFECT_NONE) << c.what;
    }
    b.OnDragLeave();
  }
  EXPECT_EQ(Values(b, Cells(5, 5, 5, 6)), (std::vector<std::string>{"", ""}));
  // Outside the table there is no target; with Ctrl a drop copies.
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Bytes("x\ty", 4));
  COleDataObject data;
  data.Attach(&source);
  b.m_dwDropTargetFlags = 0x18;
  b.SetRowCount(3);
  b.SetColCount(3);
  const CRect last = b.CalcRectFromRowCol(3, 3);
  EXPECT_EQ(b.OnDragEnter(&data, MK_CONTROL, CPoint(last.right + 20, last.bottom + 20)), DROPEFFECT_NONE);
  EXPECT_EQ(b.OnDragOver(&data, MK_CONTROL, last.CenterPoint()), DROPEFFECT_COPY);
  EXPECT_EQ(b.OnDrop(&data, DROPEFFECT_COPY, last.CenterPoint()), DROPEFFECT_COPY);
  EXPECT_EQ(Values(b, Cells(3, 3, 3, 4)), (std::vector<std::string>{"x", "y"}));
}

TEST_F(GridDragDrop, TheDropFrameIsTwoDottedXorRectanglesThatEraseCleanly) {
  ZAZAzedAze& b = grids[1];
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Bytes("a\tb\r\nc\td\r\n", 11));
  COleDataObject data;
  data.Attach(&source);
  b.CWnd::UpdateWindow();
  const CRect block = b.CalcRectFromRowColEx(4, 2, 5, 3);
  auto snapshot = [&] {
    std::vector<COLORREF> px;
    for (int y = block.top - 2; y <= block.bottom + 2; ++y)
      for (int x = block.left - 2; x <= block.right + 2; ++x) px.push_back(GetWindowPixel(b.m_hWnd, POINT{x, y}));
    return px;
  };
  const std::vector<COLORREF> before = snapshot();
  ASSERT_EQ(b.OnDragEnter(&data, 0, Centre(b, 4, 2)), DROPEFFECT_MOVE);
  EXPECT_EQ(b.m_nDropRows, 2u);
  EXPECT_EQ(b.m_nDropCols, 2u);
  const CRect frame = b.m_rectDropFrame;
  // Off the grid lines on the left and top; the inner rectangle one pixel in.
  EXPECT_EQ(frame, CRect(block.left + 1, block.top + 1, block.right, block.bottom));
  ::SaveWindowImage(&parent, dravonix::test::OutputPath("grid-drop-frame.png").c_str());
  const std::vector<COLORREF> shown = snapshot();
  int changedOuter = 0, changedInner = 0, changedInside = 0;
  const int w = block.Width() + 5;
  for (int y = block.top - 2; y <= block.bottom + 2; ++y)
    for (int x = block.left - 2; x <= block.right + 2; ++x) {
      const size_t i = (size_t)(y - block.top + 2) * w + (x - block.left + 2);
      if (before[i] == shown[i]) continue;
      const CRect outer = frame, inner(frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1);
      const bool onOuter = (x == outer.left || x == outer.right - 1 || y == outer.top || y == outer.bottom - 1);
      const bool onInner = (x == inner.left || x == inner.right - 1 || y == inner.top || y == inner.bottom - 1);
      (onOuter ? changedOuter : onInner ? changedInner : changedInside)++;
    }
  EXPECT_GT(changedOuter, frame.Width());  // dotted: about every other pixel
  EXPECT_GT(changedInner, frame.Width());
  EXPECT_EQ(changedInside, 0);
  b.OnDragLeave();
  EXPECT_TRUE(b.m_rectDropFrame.IsRectEmpty());
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GridDragDrop, TheEdgeZoneScrollsAfterTheDelayThenEachInterval) {
  ZAZAzedAze& b = grids[1];
  // The settings start as the layer's drop targets scroll, factors 1.
  EXPECT_EQ((std::vector<long>{b.m_nDragScrollInset, (long)b.m_nDragScrollDelay, (long)b.m_nDragScrollInterval,
                               b.m_nDragScrollFactorH, b.m_nDragScrollFactorV}),
            (std::vector<long>{COleDropTarget::nScrollInset, (long)COleDropTarget::nScrollDelay,
                               (long)COleDropTarget::nScrollInterval, 1, 1}));
  b.m_dwDropTargetFlags = 0x98;
  CRect area;
  b.GetClientRect(&area);
  const CPoint edge = Screen(b, CPoint(area.CenterPoint().x, area.bottom - 3));
  const CPoint middle = Screen(b, area.CenterPoint());
  struct Step {
    ULONGLONG advance;
    CPoint at;
    ROWCOL top;
  } steps[] = {
      {0, edge, 1},                               // enters the zone
      {b.m_nDragScrollDelay, edge, 1},            // not more than the delay yet
      {1, edge, 2},                               // scrolls
      {b.m_nDragScrollInterval - 1, edge, 2},     // the interval has not passed
      {2, edge, 3},
      {1000, middle, 3},                          // the middle stops it
      {1000, middle, 3},
  };
  for (const Step& s : steps) {
    Clock::Advance(s.advance);
    b.DoDragScroll(s.at);
    EXPECT_EQ(b.GetTopRow(), s.top) << s.advance;
  }
  // Through the window's timer while a drag is over the grid, until it leaves.
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Bytes("a", 2));
  COleDataObject data;
  data.Attach(&source);
  ASSERT_EQ(b.OnDragEnter(&data, 0, area.CenterPoint()), DROPEFFECT_MOVE);
  ::SetCursorPos(edge.x, edge.y);
  UA::AdvanceClock(400, 25);
  const ROWCOL scrolled = b.GetTopRow();
  EXPECT_GT(scrolled, 3u);
  b.OnDragLeave();
  UA::AdvanceClock(400, 25);
  EXPECT_EQ(b.GetTopRow(), scrolled);
}

TEST_F(GridDragDrop, ThePressedSelectionOfAnEditCellMovesAsItsText) {
  ZAZAzedAze& g = grids[0];
  auto* edit = dynamic_cast<CGXEditControl*>(g.GetRegisteredControl(52512));
  ASSERT_NE(edit, nullptr);
  UA::Click(g.m_hWnd, Centre(g, 2, 2));
  UA::TypeText("hello world");
  for (int i = 0; i < 5; ++i) UA::PressKey(VK_LEFT, UA::kShift);
  ASSERT_TRUE(edit->IsActive());
  g.GetParam()->EmptyUndoList();
  DropOn(g, 5, 5);
  const CPoint inSelection = edit->PosFromChar(8);
  PostMouseInput(edit->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{inSelection.x + 1, inSelection.y + 2});
  ::PumpMessages();
  EXPECT_EQ(g.GetValueRowCol(5, 5), "world");
  EXPECT_EQ(g.GetValueRowCol(2, 2), "hello ");
  EXPECT_EQ(UndoName(g), "Move");
  EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(g.m_hWnd), 0);
  ASSERT_TRUE(g.Undo());
  EXPECT_EQ(g.GetValueRowCol(5, 5), "");
  EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(g.m_hWnd), 0);
}

TEST_F(GridDragDrop, TheSourceScrollsWhileTheDragIsOutsideItButOverTheMainWindow) {
  ZAZAzedAze& a = grids[0];
  CWinApp app("griddrag");
  a.m_dwDropTargetFlags = 0x58;
  a.SelectRange(Cells(2, 2, 2, 2), TRUE, TRUE);
  struct Case {
    CWnd* main;
    bool scrolls;
  } cases[] = {{&parent, true}, {nullptr, false}};  // with no main window under the pointer it stays
  for (const Case& c : cases) {
    app.m_pMainWnd = c.main;
    a.SetTopRow(1);
    DragDropAutomation::SetDragHandler([&] {
      const CPoint below(100, 440);  // in the parent, under the grids
      UA::MouseMove(parent.m_hWnd, below);
      UA::AdvanceClock(400, 25);
      CPoint s = below;
      parent.ClientToScreen(&s);
      PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{s.x, s.y});
    });
    a.m_bActive = TRUE;
    ASSERT_TRUE(a.StartOleDrag(2, 2));
    EXPECT_EQ(a.GetTopRow() > 1, c.scrolls);
    EXPECT_FALSE(a.m_bSourceDragTimer);
  }
  app.m_pMainWnd = nullptr;
}
