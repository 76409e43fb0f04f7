// Dragging rows of the motion view by their headers: where a block lands, what is refused, copies
// with Shift, and the cursors.
#include "platform/ui/MessageQueue.h"
#include "tests/views/MotionViewFixture.h"

#include <algorithm>
#include <random>

class MotionViewDragDropTest : public MotionViewTest {
 protected:
  void Reset() {
    motion->GetMain()->DeleteAll();
    Main({W(1), W(2), G("g", {W(3)}, 1), W(4), W(5)});
    view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
  }
  // Presses the header of the first selected row, moves onto row `drop` and lets go.
  // Presses the header of the first selected row, holds the keys, moves onto row `drop`
  // and lets go (Ctrl held at the press would toggle the row instead of dragging it).
  void Drag(DWORD drop, UINT keys = 0) {
    const CRect from = CellRect(view->m_nFirstSelectedRow, 0), to = CellRect(drop, 0);
    const CPoint a = from.CenterPoint(), b(to.left + 5, to.CenterPoint().y);
    // The press would run the auto-scroll loop, which waits for the input this test posts after it.
    view->m_bAutoScroll = FALSE;
    ::PostMessage(view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.x, a.y));
    UiAutomation::Pump();
    const std::pair<UINT, UINT> held[] = {
        {UiAutomation::kShift, VK_SHIFT}, {UiAutomation::kControl, VK_CONTROL}, {UiAutomation::kAlt, VK_MENU}};
    for (auto [bit, vk] : held)
      if (keys & bit) UiAutomation::KeyDown(vk);
    UiAutomation::MouseMove(view->m_hWnd, b);
    cursor = ::GetCursor();
    ::PostMessage(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(b.x, b.y));
    UiAutomation::Pump();
    for (auto [bit, vk] : held)
      if (keys & bit) UiAutomation::KeyUp(vk);
  }
  HCURSOR cursor = nullptr;
};

TEST_F(MotionViewDragDropTest, BlocksLandWhereDropped) {
  Main({});
  Open(400, 400);
  ASSERT_TRUE(view->m_hDragMoveCursor && view->m_hDragCopyCursor);
  struct Case {
    DWORD first, last, drop;
    UINT keys;
    const char* rows;
  };
  const Case cases[] = {
      {5, 5, 1, 0, "W4 W1 W2 -g .W3 W5"},                         // at the start, level 0
      {6, 6, 4, 0, "W1 W2 -g .W5 .W3 W4"},                        // below the open group: its start
      {1, 2, 2, 0, "W1 W2 -g .W3 W4 W5"},                         // inside the block
      {1, 2, 2, UiAutomation::kShift, "W1 W2 -g .W3 W4 W5"},      // nor copied there
      {2, 3, 6, 0, "W1 W2 -g .W3 W4 W5"},                         // ends in an open group: refused
      {1, 2, 6, 0, "-g .W3 W4 W1 W2 W5"},                         // down within the sequence
      {1, 1, 5, UiAutomation::kShift, "W1 W2 -g .W3 .W1 W4 W5"},  // Shift copies
      {1, 1, 5, UiAutomation::kShift | UiAutomation::kControl, "W2 -g .W3 .W1 W4 W5"},
      {1, 1, 5, UiAutomation::kShift | UiAutomation::kAlt, "W2 -g .W3 .W1 W4 W5"},
  };
  for (const Case& c : cases) {
    Reset();
    Select(c.first, c.last);
    Drag(c.drop, c.keys);
    EXPECT_EQ(Rows(), c.rows) << c.first << ".." << c.last << " to " << c.drop << " keys " << c.keys;
    EXPECT_EQ(Rows(), Image()) << c.first << " to " << c.drop;
    EXPECT_EQ(cursor, c.keys == UiAutomation::kShift ? view->m_hDragCopyCursor : view->m_hDragMoveCursor) << c.keys;
  }
  // The copy is selected where it was dropped.
  Reset();
  Select(1, 2);
  Drag(4, UiAutomation::kShift);
  EXPECT_EQ(Rows(), "W1 W2 -g .W1 .W2 .W3 W4 W5");
  EXPECT_EQ(view->m_nFirstSelectedRow, 4u);
  EXPECT_EQ(view->m_nSelectedRows, 2u);
  Picture("motion-view-dropped.png");
}

TEST_F(MotionViewDragDropTest, CopyAnswersFalseAndGapsAreRefused) {
  Main({});
  Open();
  Reset();
  Select(1, 1);
  UiAutomation::KeyDown(VK_SHIFT);
  EXPECT_FALSE(view->OnSelDragDrop(1, 0, 5, 0));  // the grid moves nothing
  UiAutomation::KeyUp(VK_SHIFT);
  EXPECT_EQ(Rows(), "W1 W2 -g .W3 .W1 W4 W5");
  EXPECT_EQ(doc.changes, 1);
  // Rows 1 and 3 selected, 2 not: the grid would move one range, so the drop is refused.
  motion->GetMain()->DeleteAll();
  Main({W(1), W(2), W(3), W(4)});
  view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
  view->SetSelection(nullptr);
  view->SelectRange(CGXRange().SetRowRange(1, 1));
  view->SelectRange(CGXRange().SetRowRange(3, 3));
  EXPECT_FALSE(view->OnSelDragDrop(1, 0, 5, 0));
  EXPECT_EQ(Rows(), "W1 W2 W3 W4");
  // A block ending in an open empty group, dropped right below it, is not moved into itself.
  motion->GetMain()->DeleteAll();
  Main({W(1), G("e", {}, 1), W(2)});
  view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
  Select(1, 2);
  EXPECT_FALSE(view->OnSelDragDrop(1, 0, 3, 0));
  EXPECT_EQ(Rows(), "W1 -e W2");
  EXPECT_EQ(Rows(), Image());
  // A collapsed group is copied and moved with all its content.
  motion->GetMain()->DeleteAll();
  Main({W(1), G("c", {W(2), W(3)}), W(4)});
  view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
  Select(2, 2);
  Drag(4, UiAutomation::kShift);
  Select(2, 2);
  Drag(1);
  EXPECT_EQ(Rows(), "+c W1 W4 +c");
  EXPECT_EQ(Rows(), Image());
  for (INT_PTR i : {0, 3}) EXPECT_EQ(static_cast<CMC_MotionGroup*>(motion->GetMain()->GetAt(i))->GetSize(), 2) << i;
  // Rows 2-3 and row 4 selected as two ranges, dragged by the first: the whole block moves, rows
  // and objects alike.
  motion->GetMain()->DeleteAll();
  Main({W(1), W(2), W(3), W(4), W(5), W(6)});
  view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
  Select(2, 3);
  view->SelectRange(CGXRange().SetRowRange(4, 4));
  Drag(6);
  EXPECT_EQ(Rows(), "W1 W5 W2 W3 W4 W6");
  EXPECT_EQ(Rows(), Image());
}

// Random blocks (one range or two, groups open and closed) dragged anywhere, moved or copied:
// the rows stay the image of the objects after every drop.
TEST_F(MotionViewDragDropTest, RandomDropsKeepRowsAndObjectsInStep) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 103u);
  Main({});
  Open(400, 500);
  const UINT keys[] = {0, UiAutomation::kShift, UiAutomation::kShift | UiAutomation::kControl};
  for (int i = 0; i < 300; ++i) {
    if (i % 10 == 0) {
      motion->GetMain()->DeleteAll();
      Main({W(1), G("a", {W(2), G("b", {W(3)}, 1)}, 1), W(4), G("c", {W(5)}), W(6), W(7)});
      view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
    }
    const DWORD count = view->GetRowCount();
    if (count < 2 || count > 16) continue;
    const DWORD a = 1 + rng() % count, b = std::min<DWORD>(count, a + rng() % 3), drop = 1 + rng() % (count + 1);
    Select(a, b);
    // a second range: whole rows or the cells of a Shift+arrow, next to the first or after a gap
    if (const DWORD c = b + 1 + rng() % 2; rng() % 3 == 0 && c <= count)
      view->SelectRange(rng() % 2 ? CGXRange().SetRowRange(c, c) : CGXRange().SetCellRange(c, 1, c, 1));
    const std::string before = Rows();
    Drag(drop, keys[rng() % 3]);
    ASSERT_EQ(Rows(), Image()) << i << ": " << before << " rows " << a << ".." << b << " to " << drop;
  }
}
