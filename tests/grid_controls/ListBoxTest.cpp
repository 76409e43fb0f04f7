// The list box cell: drawn inactive with its value's line inverted, a list window when active.
#include "grid/controls/GXListBox.h"
#include "grid/engine/GXGridCore.h"
#include "platform/ui/UiAutomation.h"

#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

namespace {

class ListBoxCell : public CellGrid {
 protected:
  void SetUp() override {
    CellGrid::SetUp();
    grid.SetRowHeight(1, 3, 60);
  }
  CGXListBox* List() { return dynamic_cast<CGXListBox*>(grid.GetRegisteredControl(52522)); }
  // Which of the rows the inactive cell draws are inverted (the row's right end turned dark).
  std::string InvertedRows(ROWCOL r, ROWCOL c, int rows) {
    CGXListBox* list = List();
    CRect inner;
    const CRect cell = grid.CalcRectFromRowCol(r, c);
    list->GetCellInnerRect(inner, r, c, &cell, &grid.LookupStyleRowCol(r, c));
    CClientDC dc(&grid);
    const CGXStyle& st = grid.LookupStyleRowCol(r, c);
    CFont* old = st.GetIncludeFont() ? dc.SelectObject(grid.LookupFont(st.GetFont())) : nullptr;
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    if (old) dc.SelectObject(old);
    std::string out;
    for (int i = 0; i < rows; ++i) out += Dark(Pixel(inner.right - 2, inner.top + i * (tm.tmHeight + 2) + 1)) ? 'X' : '.';
    return out;
  }
  void Hold(UINT vk, bool down) {
    PostKeyInput(down ? WM_KEYDOWN : WM_KEYUP, vk, down ? 1 : 0xC0000001);
    ::PumpMessages();
  }
};

const char* const kLines = "L1\nL2\nL3\nL4\nL5\nL6";

TEST_F(ListBoxCell, InactiveCellsSkipLinesToShowTheValueAndInvertOnlyAnExactMatch) {
  const struct {
    const char* value;
    const char* inverted;
  } cases[] = {{"L5", "...X"}, {"L2", ".X.."}, {"l2", "...."}, {"L", "...."}};
  for (const auto& c : cases) {
    Put(52522, c.value, kLines);
    Store(2, 2);
    ASSERT_TRUE(grid.SetCurrentCell(4, 4));
    Repaint();
    EXPECT_EQ(InvertedRows(2, 2, 4), c.inverted) << c.value;
    if (std::string(c.value) == "L5") SaveWindowImage(&grid, dravonix::test::OutputPath("grid_listbox.png").c_str());
  }
  // A prefix value selects its line once the window opens.
  ASSERT_TRUE(grid.SetCurrentCell(2, 2));
  Key(VK_SHIFT);  // any key activates; Shift leaves the list as it opened
  CGXListBox* list = List();
  ASSERT_TRUE(list->IsActive());
  EXPECT_TRUE(list->IsWindowVisible());
  EXPECT_EQ(list->GetCurSel(), 0);
  EXPECT_EQ(::GetFocus(), list->m_hWnd);
}

TEST_F(ListBoxCell, KeysMoveTheSelectionEnterStoresAndMovesCtrlGoesToTheGrid) {
  Put(52522, "L2", kLines);
  Store(2, 2);
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  Click(CPoint(cell.left + 5, cell.top + 3));  // on the first line
  CGXListBox* list = List();
  ASSERT_TRUE(list->IsActive());
  EXPECT_EQ(list->GetCurSel(), 0);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(list->GetCurSel(), 2);
  EXPECT_EQ(CurrentRow(), 2u);
  Hold(VK_CONTROL, true);
  Key(VK_UP);
  Hold(VK_CONTROL, false);
  EXPECT_NE(CurrentRow(), 2u);  // Ctrl+Up left the cell
  EXPECT_EQ(Value(2, 2), "L3");

  Click(CPoint(cell.left + 5, cell.top + 3));
  ASSERT_TRUE(list->IsActive());
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(CurrentCol(), 3u);  // Enter moves as the grid's Enter does
  EXPECT_EQ(Value(2, 2), "L2");
}

// A host that activates cells by a double-click: the list opens on the line double-clicked.
TEST_F(ListBoxCell, ADoubleClickOpensTheListOnItsLineAndTheEditAtItsCharacter) {
  grid.GetParam()->m_wActivateFlags = 8;
  Put(52522, "L2", kLines);
  Store(2, 2);
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  UiAutomation::DoubleClick(grid.m_hWnd, CPoint(cell.left + 5, cell.top + 3));  // on the first line
  ASSERT_TRUE(List()->IsActive());
  EXPECT_EQ(List()->GetCurSel(), 0);
  Key(VK_RETURN);
  EXPECT_EQ(Value(2, 2), "L1");
  // An edit cell opens its window there, the caret at the character double-clicked.
  Put(52512, "abcdef");
  Store(3, 2);
  UiAutomation::AdvanceClock(1000);
  const CRect edit = grid.CalcRectFromRowCol(3, 2);
  UiAutomation::DoubleClick(grid.m_hWnd, CPoint(edit.left + 12, edit.top + 5));
  auto* window = dynamic_cast<CEdit*>(Control(3, 2)->GetWnd());
  ASSERT_TRUE(window && window->IsWindowVisible());
  int from = -1, to = -1;
  window->GetSel(from, to);
  EXPECT_TRUE(from == to && from > 0);
  EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0);
}

// Lines scrolled with the list's own bar stay where the user put them when the grid repaints.
TEST_F(ListBoxCell, ARepaintKeepsTheLinesScrolledByTheBar) {
  Put(52522, "L1", kLines);
  Store(2, 2);
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  Click(CPoint(cell.left + 5, cell.top + 3));
  CGXListBox* list = List();
  ASSERT_TRUE(list->IsActive());
  CRect bar;
  list->GetWindowRect(&bar);
  list->ScreenToClient(&bar);
  for (int i = 0; i < 3; ++i) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(list->m_hWnd, CPoint(bar.right - 3, bar.bottom - 3));  // the bar's down arrow
  }
  const int top = list->GetTopIndex();
  ASSERT_GT(top, 0);
  EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0);
  EXPECT_EQ(list->GetTopIndex(), top);
}

TEST_F(ListBoxCell, AValueMatchingNoLineSurvivesEnteringAndLeaving) {
  const COLORREF kInterior = RGB(255, 255, 200);
  Put(52522, "none of these", kLines).SetInterior(kInterior);
  Store(1, 1);
  ASSERT_TRUE(grid.SetCurrentCell(1, 1));
  Key(VK_SHIFT);
  ASSERT_TRUE(List()->IsActive());
  EXPECT_EQ(List()->GetCurSel(), -1);
  // The window shows the cell's interior.
  CRect window;
  List()->GetWindowRect(&window);
  grid.ScreenToClient(&window);
  EXPECT_EQ(Pixel(window.left + 60, window.top + 20), kInterior);
  Key(VK_TAB);
  EXPECT_EQ(CurrentCol(), 2u);
  EXPECT_EQ(Value(1, 1), "none of these");
}

}  // namespace

namespace {

TEST_F(ListBoxCell, TheActiveListScrollsVerticallyOnlyWhenItsLinesOverflow) {
  const struct {
    const char* lines;
    bool vertical;
  } cases[] = {{kLines, true}, {"A\nB", false}};
  for (const auto& c : cases) {
    Put(52522, "A", c.lines);
    Store(2, 2);
    ASSERT_TRUE(grid.SetCurrentCell(2, 2));
    Key(VK_SHIFT);
    ASSERT_TRUE(List()->IsActive());
    const DWORD bars = List()->GetStyle() & (WS_VSCROLL | WS_HSCROLL);
    EXPECT_EQ(bars, c.vertical ? WS_VSCROLL : 0u) << c.lines;
    ASSERT_TRUE(grid.SetCurrentCell(4, 4));
  }
}

}  // namespace
