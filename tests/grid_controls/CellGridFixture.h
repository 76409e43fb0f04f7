// A grid window in a host, driven by posted mouse and key messages, for the tests of the cell types.
#pragma once

#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Module.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/GridWindow.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// The choices the combo box cells offer: a list, and a table of number, name and colour code.
inline constexpr const char* kColours = "Red\nGreen\nBlue";
inline constexpr const char* kRows = "1\tRed\t#F00\n2\tGreen\t#0F0\n3\tBlue\t#00F";

// The current cell's row and column; 0 where there is none.
inline ROWCOL CurrentRowOf(CGXGridCore& grid) {
  ROWCOL r = 0, c = 0;
  grid.GetCurrentCell(r, c);
  return r;
}
inline ROWCOL CurrentColOf(CGXGridCore& grid) {
  ROWCOL r = 0, c = 0;
  grid.GetCurrentCell(r, c);
  return c;
}

// A grid window of 4 rows and 3 columns 100 pixels wide in its own top-level parent, closed at the end.
struct CellGridWindow {
  explicit CellGridWindow(const CRect& rect) {
    opened = OpenGridWindow(parent, grid, rect);
    grid.SetRowCount(4);
    grid.SetColCount(3);
    grid.SetColWidth(1, 3, 100);
  }
  ~CellGridWindow() {
    grid.DestroyWindow();
    parent.DestroyWindow();
    PumpMessages();
  }
  CWnd parent;
  ZAZAzedAze grid;
  bool opened = false;
};

// Sets the keyboard state to only these keys held.
inline void HoldKeys(std::initializer_list<int> keys) {
  BYTE state[256] = {};
  for (int k : keys) state[k] = 0x80;
  SetKeyboardState(state);
}

struct FactoryCase {
  UINT id;
  const char* name;
};
// The library's factory makes each control id as the named class.
inline void ExpectFactoryMakes(CGXGridCore& grid, std::initializer_list<FactoryCase> cases) {
  for (const auto& c : cases) {
    CGXControl* made = GXGetLibraryData().m_pControlFactory->CreateControl(c.id, &grid);
    ASSERT_NE(made, nullptr) << c.id;
    EXPECT_STREQ(made->GetControlClassName(), c.name);
    delete made;
  }
}

class CCellTestGrid : public ZAZAzedAze {
 public:
  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override { clicks.push_back({nRow, nCol}); }
  std::vector<std::pair<ROWCOL, ROWCOL>> clicks;
};

template <class TGrid>
class CellGridOf : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 640, 400), nullptr, 0);
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                            CRect(0, 0, 640, 400), &parent, 3));
    ASSERT_TRUE(grid.Initialize());
    grid.SetRowCount(6);
    grid.SetColCount(4);
    grid.SetRowHeight(1, 6, 24);
    grid.SetColWidth(1, 4, 120);
    grid.SetFocus();
    ::PumpMessages();
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  // Stores a cell of the given type with value and choice list.
  CGXStyle& Put(UINT control, const char* value, const char* choices = nullptr) {
    style = CGXStyle();
    style.SetControl(control).SetValue(value);
    if (choices) style.SetChoiceList(choices);
    return style;
  }
  // Stored through the cell type, read-only protection lifted meanwhile.
  void Store(ROWCOL r, ROWCOL c) {
    const BOOL protect = grid.GetParam()->m_bProtectReadOnly;
    grid.GetParam()->m_bProtectReadOnly = FALSE;
    grid.SetStyleRange(CGXRange().SetCellRange(r, c, r, c), &style);
    grid.GetParam()->m_bProtectReadOnly = protect;
  }
  std::string Value(ROWCOL r, ROWCOL c) { return grid.GetValueRowCol(r, c).str(); }
  CGXControl* Control(ROWCOL r, ROWCOL c) { return grid.GetControl(r, c); }
  void Post(UINT msg, WPARAM flags, CPoint pt) { PostMouseInput(grid.m_hWnd, msg, flags, pt); }
  void Click(CPoint pt) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, pt);
    Post(WM_LBUTTONUP, 0, pt);
    ::PumpMessages();
  }
  // A key pressed and released in the window that has the focus.
  void Key(UINT vk) {
    PostKeyInput(WM_KEYDOWN, vk, 1);
    PostKeyInput(WM_KEYUP, vk, 0xC0000001);
    ::PumpMessages();
  }
  void Repaint() {
    grid.Invalidate(FALSE);
    ::PumpMessages();
  }
  CPoint Centre(ROWCOL r, ROWCOL c) { return grid.CalcRectFromRowCol(r, c).CenterPoint(); }
  ROWCOL CurrentCol() { return CurrentColOf(grid); }
  ROWCOL CurrentRow() { return CurrentRowOf(grid); }
  COLORREF Pixel(int x, int y) { return GetWindowPixel(grid.m_hWnd, POINT{x, y}); }
  static bool Dark(COLORREF c) { return GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80; }

  CWnd parent;
  TGrid grid;
  CGXStyle style;
};

using CellGrid = CellGridOf<CCellTestGrid>;
