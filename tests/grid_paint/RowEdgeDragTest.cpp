// A row hidden by dragging its lower edge past its top while other input waits in the queue.
#include "grid/engine/GXGridParam.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/GridWindow.h"
#include "tests/support/LibraryDefaults.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

namespace {

// A table of 20 rows by 6 columns whose rows take the tracking bits.
bool OpenTable(CWnd& parent, ZAZAzedAze& grid, bool kernelDefaults, WORD trackBits) {
  dravonix::test::UseLibraryDefaults(kernelDefaults);
  if (!OpenGridWindow(parent, grid, CRect(0, 0, 400, 240), WS_VISIBLE | WS_VSCROLL | WS_HSCROLL)) return false;
  grid.SetRowCount(20);
  grid.SetColCount(6);
  grid.GetParam()->EnableTrackRowHeight(trackBits);
  ::PumpMessages();
  return true;
}

}  // namespace

// Where a press repaints the tracked row's header, the moves read before that paint draw the line over
// it; a key typed meanwhile starts an edit, whose paint must not leave the line there: typed into B1,
// then row 1 hidden by its edge.
TEST(RowEdgeDrag, HidingTheFirstRowWithTheHeaderRepaintedOnThePress) {
  CWnd parent;
  ZAZAzedAze grid;
  ASSERT_TRUE(OpenTable(parent, grid, true, 0x0E));
  UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(1, 2).CenterPoint());
  UiAutomation::TypeText("A rather long text typed into B one\n");
  const CRect header = grid.CalcRectFromRowCol(1, 0);
  const int x = header.CenterPoint().x;
  PostMouseInput(grid.m_hWnd, WM_MOUSEMOVE, 0, POINT{x, header.bottom - 1});
  ::PumpMessages();
  PostMouseInput(grid.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{x, header.bottom - 1});
  for (int y = header.bottom - 4; y > header.top - 10; y -= 4) PostMouseInput(grid.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, POINT{x, y});
  PostKeyInput(WM_KEYDOWN, 'X', 1);
  PostKeyInput(WM_KEYUP, 'X', (LPARAM)0xC0000001u);
  ::PumpMessages();
  PostMouseInput(grid.m_hWnd, WM_LBUTTONUP, 0, POINT{x, header.top - 10});
  ::PumpMessages();
  EXPECT_EQ(0, grid.GetRowHeight(1));
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
  grid.DestroyWindow();
  parent.DestroyWindow();
}

// With the rows following the edge live and the whole table selected, a row's edge dragged past its
// top asks for a default height of nothing, which is refused: the rows show their old heights again.
TEST(RowEdgeDrag, ARefusedLiveHeightShowsTheOldOneAgain) {
  CWnd parent;
  ZAZAzedAze grid;
  ASSERT_TRUE(OpenTable(parent, grid, false, 0x102));
  UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(0, 0).CenterPoint());
  const int height = grid.GetRowHeight(1);
  const CRect header = grid.CalcRectFromRowCol(1, 0);
  UiAutomation::Drag(grid.m_hWnd, POINT{header.CenterPoint().x, header.bottom - 1},
                     POINT{header.CenterPoint().x, header.top - 5});
  EXPECT_EQ(height, grid.GetRowHeight(1));
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
  grid.DestroyWindow();
  parent.DestroyWindow();
}
