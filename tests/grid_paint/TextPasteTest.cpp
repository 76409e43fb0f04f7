// Text pasted from the clipboard by the keys, where it adds rows or columns: the window must show
// what a paint of the whole window shows, headers of the new rows and columns included.
#include "grid/engine/GXLibrary.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/GridWindow.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace {

TEST(TextPaste, RowsAndColumnsItAddsArePainted) {
  const struct {
    ROWCOL row, col;
    const char* text;
    UINT key, modifiers;
    ROWCOL rows, cols;  // the counts afterwards
  } cases[] = {
      {11, 1, "1\r\n2\r\n3", 'V', UiAutomation::kControl, 13, 6},        // at the last row
      {1, 6, "a\tb\tc", VK_INSERT, UiAutomation::kShift, 12, 8},          // at the last column
      {12, 5, "x\ty\tz\r\nw\r\n", 'V', UiAutomation::kControl, 13, 7},  // both, no empty last row
      {2, 2, "in\tside", VK_INSERT, UiAutomation::kShift, 12, 6},
      {12, 6, "1\t2\t3\t4\t5\t6\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15", 'V', UiAutomation::kControl, 26, 11},
  };
  for (const auto& c : cases) {
    CWnd parent;
    ZAZAzedAze grid;
    ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 720, 420), WS_VISIBLE | WS_VSCROLL | WS_HSCROLL));
    grid.SetRowCount(12);
    grid.SetColCount(6);
    grid.SetRangeValueText(CGXRange().SetCellRange(12, 6, 12, 6), "last");
    ASSERT_TRUE(grid.SetCurrentCell(c.row, c.col));
    ::PumpMessages();
    ResetClipboard();
    ASSERT_TRUE(ClipboardSetText(nullptr, c.text, std::strlen(c.text)));
    UiAutomation::PressKey(c.key, c.modifiers);
    EXPECT_EQ(grid.GetRowCount(), c.rows) << c.text;
    EXPECT_EQ(grid.GetColCount(), c.cols) << c.text;
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0) << c.text;
    // The scroll bars know of the new rows and columns.
    SCROLLINFO bars[2] = {{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0}, {sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0}};
    for (int bar : {SB_HORZ, SB_VERT}) grid.GetScrollInfo(bar, &bars[bar]);
    grid.RefreshScrollBars();
    for (int bar : {SB_HORZ, SB_VERT}) {
      SCROLLINFO now{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
      grid.GetScrollInfo(bar, &now);
      EXPECT_EQ(std::make_pair(bars[bar].nMax, bars[bar].nPage), std::make_pair(now.nMax, now.nPage)) << c.text;
    }
    grid.DestroyWindow();
    parent.DestroyWindow();
    ResetClipboard();
  }
}

}  // namespace
