// The kernel's tree and hexadecimal cells: indents, the node box, hexadecimal display and typing.
#include "grid/controls/GXTreeEdit.h"
#include "grid/controls/HexGridCtrl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/GridHostWnd.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

class CNodeClickGrid : public CGXGridCore {
 public:
  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override { clicks.push_back({nRow, nCol}); }
  std::vector<std::pair<ROWCOL, ROWCOL>> clicks;
};

class KernelCells : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 160), nullptr, 0);
    grid.m_pGridWnd = &wnd;
    wnd.grid = &grid;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(4);
    grid.GetParam()->GetData()->SetColCount(4);
    tree = new CGXTreeStatic(&grid);
    grid.RegisterControl(15002, tree, FALSE, FALSE);
    hex = new CHexGridCtrl(&grid);
    grid.RegisterControl(15005, hex, FALSE, FALSE);
    PumpMessages();
  }
  void TearDown() override { wnd.DestroyWindow(); }
  void Put(ROWCOL r, ROWCOL c, const CGXStyle& s) { grid.GetParam()->GetData()->StoreStyleAt(r, c, &s, 2); }
  CGridRoutingHostWnd wnd;
  CNodeClickGrid grid;
  CGXTreeStatic* tree = nullptr;
  CHexGridCtrl* hex = nullptr;
};

TEST_F(KernelCells, TreeCellsIndentByLevel) {
  const struct {
    const char* level;  // nullptr: no attribute
    int indent;
  } cases[] = {{nullptr, 3}, {"0", 3}, {"x", 3}, {"-2", 3}, {"1", 21}, {"2", 39}, {"2000000000", 1800003}};
  const CRect cellRect(10, 10, 210, 30);
  CGXTreeEdit edit(&grid, 15001);
  for (const auto& c : cases) {
    CGXStyle s;
    s.SetControl(15002).SetValue("text").SetUserAttribute(15004, "1");
    if (c.level) s.SetUserAttribute(15003, c.level);
    Put(1, 1, s);
    CRect plain, inner, editInner;
    static_cast<CGXStatic*>(tree)->CGXStatic::GetCellInnerRect(plain, 1, 1, &cellRect, &s);
    tree->GetCellInnerRect(inner, 1, 1, &cellRect, &s);
    edit.GetCellInnerRect(editInner, 1, 1, &cellRect, &s);
    EXPECT_EQ(inner.left - plain.left, c.indent + 9) << (c.level ? c.level : "none");
    EXPECT_EQ(editInner.left, inner.left);
    tree->LayoutChildren(1, 1, cellRect);
    EXPECT_EQ(tree->GetButton()->GetRect(), c.indent < 200 ? CRect(10 + c.indent, 15, 19 + c.indent, 24) : CRect(0, 0, 0, 0));
    EXPECT_EQ(tree->GrowSizeByBorders(CSize(0, 0), s).cx - static_cast<CGXStatic*>(tree)->CGXStatic::GrowSizeByBorders(CSize(0, 0), s).cx,
              c.indent + 9);
  }
  // A cell lower than the button clips it.
  EXPECT_EQ(CGXTreeCellLook::ButtonRect(CRect(0, 0, 50, 5), 1), CRect(21, 0, 30, 5));
  CGXTreeStatic orphan(nullptr);
  EXPECT_EQ(orphan.GetTreeLevel(1, 1), -1);
}

TEST_F(KernelCells, TreeNodeBoxShowsTheState) {
  CClientDC screen(&wnd);
  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
  CBitmap bmp;
  ASSERT_TRUE(bmp.CreateCompatibleBitmap(&screen, 60, 20));
  CBitmap* old = dc.SelectObject(&bmp);
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT), light = GetSysColor(COLOR_3DLIGHT);
  const struct {
    const char* state;
    bool box, vertical;
  } cases[] = {{"1", true, false}, {"0", true, true}, {"2", false, false}, {"", false, false}};
  for (const auto& c : cases) {
    const CRect cell(0, 0, 60, 20);
    dc.FillSolidRect(&cell, RGB(255, 255, 255));
    CGXStyle s;
    s.SetUserAttribute(15003, "1").SetUserAttribute(15004, c.state);
    const CRect button = CGXTreeCellLook::ButtonRect(cell, 1);  // (21, 5) - (30, 14)
    CGXTreeCellLook::DrawNode(&dc, cell, button, s);
    EXPECT_EQ(dc.GetPixel(0, 10), light) << c.state;
    EXPECT_EQ(dc.GetPixel(17, 10), light);
    EXPECT_EQ(dc.GetPixel(18, 10), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(21, 5) == ink, c.box) << c.state;   // outline
    EXPECT_EQ(dc.GetPixel(23, 9) == ink, c.box) << c.state;   // the minus, cx - hx
    EXPECT_EQ(dc.GetPixel(25, 7) == ink, c.vertical) << c.state;  // the plus's upright, cy - hy
    EXPECT_NE(dc.GetPixel(22, 6), ink);                        // inside stays empty
  }
  dc.SelectObject(old);
}

TEST_F(KernelCells, NodeButtonClickReachesTheGrid) {
  for (ROWCOL row : {1u, 2u}) {
    CGXStyle s;
    s.SetControl(15002).SetValue("group").SetUserAttribute(15003, "1").SetUserAttribute(15004, row == 1 ? "1" : "0");
    Put(row, 1, s);
  }
  for (ROWCOL row : {1u, 2u}) {
    const CPoint node = CGXTreeCellLook::ButtonRect(grid.CalcRectFromRowCol(row, 1), 1).CenterPoint();
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(wnd.m_hWnd, node);
    // A press on the text is no node click.
    UiAutomation::Click(wnd.m_hWnd, node + CPoint(40, 0));
  }
  const std::vector<std::pair<ROWCOL, ROWCOL>> expected{{1, 1}, {2, 1}};
  EXPECT_EQ(grid.clicks, expected);
  // The state stays the view's to change.
  CGXStyle after;
  grid.ComposeStyleRowCol(1, 1, &after);
  EXPECT_EQ(after.GetUserAttribute(15004), CString("1"));
}

using TreeCell = CellGrid;

// Only a "State of node" of "1" or "0" makes a node: its box is drawn and a click on it is reported.
TEST_F(TreeCell, OnlyAnOpenOrClosedNodeHasABoxAndAClick) {
  grid.RegisterControl(15001, new CGXTreeEdit(&grid, 0), FALSE, FALSE);
  grid.RegisterControl(15002, new CGXTreeStatic(&grid), FALSE, FALSE);
  const char* states[] = {nullptr, "-1", "1", "0"};  // nullptr: no attribute
  for (UINT id : {15002u, 15001u}) {
    SCOPED_TRACE(id);
    const ROWCOL col = id == 15002 ? 1 : 2;
    for (ROWCOL r = 1; r <= 4; ++r) {
      style = CGXStyle();
      style.SetControl(id).SetValue("node").SetUserAttribute(15003, "1");
      if (states[r - 1]) style.SetUserAttribute(15004, states[r - 1]);
      Store(r, col);
    }
    Repaint();
    grid.clicks.clear();
    for (ROWCOL r = 1; r <= 4; ++r) {
      const CRect box = CGXTreeCellLook::ButtonRect(grid.CalcRectFromRowCol(r, col), 1);
      int ink = 0;
      for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) ink += Pixel(x, y) != Pixel(box.left - 1, box.top);  // the background between the strip and the box
      EXPECT_EQ(ink > 0, r >= 3) << "row " << r << ": " << ink << " pixels of a box";
      Click(box.CenterPoint());
      Click(box.CenterPoint() + CPoint(60, 0));  // a second click elsewhere, no double click
    }
    EXPECT_EQ(grid.clicks, (std::vector<std::pair<ROWCOL, ROWCOL>>{{3, col}, {4, col}}));
  }
}

TEST_F(KernelCells, HexCellFormatsItsValue) {
  const struct {
    const char* value;
    const char* format;  // nullptr: none
    const char* shown;
  } cases[] = {
      {"1a", "%.4hX", "001A"}, {"xyz", "%.4hX", "xyz"}, {"ffff", "%.4hX", "FFFF"}, {"1a", nullptr, "1a"},
      {"1a", "%s", "1a"},      {"1a", "%X%X", "1a"},    {"1a", "%n", "1a"},       {"1a", "%999X", "1a"},
      {"1a", "0x%04x %%", "0x001a %"},
  };
  for (const auto& c : cases) {
    CGXStyle s;
    s.SetValue(c.value);
    if (c.format) s.SetUserAttribute(15006, c.format);
    CString text;
    EXPECT_TRUE(hex->GetDisplayText(text, 1, 1, nullptr, &s));
    EXPECT_EQ(text, c.shown) << c.value << " " << (c.format ? c.format : "");
  }
  CGXStyle empty;
  CString text = "left";
  EXPECT_FALSE(hex->GetDisplayText(text, 1, 1, nullptr, &empty));
  EXPECT_EQ(text, "");
}

TEST_F(KernelCells, HexCellRefusesWhatIsNotAShortHexNumber) {
  CGXStyle s;
  s.SetControl(15005).SetMaxLength(4).SetValue("");
  Put(1, 1, s);
  CGXStyle unlimited;
  unlimited.SetControl(15005).SetValue("");
  Put(2, 1, unlimited);
  UiAutomation::Click(wnd.m_hWnd, grid.CalcRectFromRowCol(1, 1).CenterPoint());
  ASSERT_EQ(grid.GetCurrentCellControl(), hex);
  UiAutomation::TypeText("1aF9");
  CString text;
  hex->GetCurrentText(text);
  EXPECT_EQ(text, "1aF9");
  for (const char* ch : {"0", "G"}) {
    UiAutomation::TypeText(ch);
    hex->GetCurrentText(text);
    EXPECT_EQ(text, "1aF9") << ch;
  }
  const struct {
    const char* text;
    BOOL ok;
  } validate[] = {{"", FALSE}, {"G", FALSE}, {"12345", FALSE}, {"1 2", FALSE}, {"abcd", TRUE}, {"0", TRUE}};
  for (const auto& v : validate) EXPECT_EQ(hex->ValidateText(v.text), v.ok) << v.text;
  UiAutomation::PressKey(VK_ESCAPE);
  UiAutomation::PressKey(VK_DOWN);
  ASSERT_EQ(CurrentRowOf(grid), 2u);
  EXPECT_FALSE(hex->ValidateText("1"));
  UiAutomation::TypeText("1");
  hex->GetCurrentText(text);
  EXPECT_EQ(text, "");
}

}  // namespace

namespace {

class EndCountingGrid : public CGXGridCore {
 public:
  int ends = 0;
  BOOL OnEndEditing(ROWCOL, ROWCOL) override {
    ++ends;
    return TRUE;
  }
};

// The memory view's road: click a hex cell, type "1A", Enter.
TEST(HexCellRoad, ClickTypeEnterStoresAndMovesRight) {
  GXStartGridLibrary();
  CGridRoutingHostWnd wnd;
  wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 160), nullptr, 0);
  EndCountingGrid grid;
  grid.m_pGridWnd = &wnd;
  wnd.grid = &grid;
  ASSERT_TRUE(grid.Initialize());
  grid.GetParam()->GetData()->SetRowCount(3);
  grid.GetParam()->GetData()->SetColCount(3);
  auto* hex = new CHexGridCtrl(&grid);
  grid.RegisterControl(15005, hex, FALSE, FALSE);
  CGXStyle s;
  s.SetControl(15005).SetMaxLength(4).SetValue("0");
  grid.CGXGridCore::SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 3), &s);
  PumpMessages();

  const CRect cell = grid.CalcRectFromRowCol(1, 1);
  // A click beside the text makes the cell current and leaves it inactive; one on the "0"
  // activates it with the caret before it.
  const CPoint beside(cell.right - 4, cell.top + 6);
  UiAutomation::Click(wnd.m_hWnd, beside);
  ASSERT_EQ(grid.GetCurrentCellControl(), hex);
  EXPECT_FALSE(hex->IsActive());
  UiAutomation::Click(wnd.m_hWnd, CPoint(cell.left + 4, cell.top + 6));
  EXPECT_TRUE(hex->IsActive());
  CString text;
  hex->GetCurrentText(text);
  // Away and back: the cell at rest again.
  UiAutomation::Click(wnd.m_hWnd, grid.CalcRectFromRowCol(2, 1).CenterPoint());
  UiAutomation::Click(wnd.m_hWnd, beside);
  EXPECT_FALSE(hex->IsActive());
  const int ends = grid.ends;
  // Typed into the cell at rest, the text replaces the value.
  UiAutomation::TypeText("1A");
  hex->GetCurrentText(text);
  EXPECT_EQ(text, "1A");
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(grid.GetValueRowCol(1, 1), "1A");
  EXPECT_EQ(grid.ends, ends + 1);
  ROWCOL r = 0, c = 0;
  ASSERT_TRUE(grid.GetCurrentCell(r, c));
  EXPECT_EQ(r, 1u);
  EXPECT_EQ(c, 2u);
  wnd.DestroyWindow();
}

}  // namespace

namespace {

class CPaintingHost : public CWnd {
 public:
  CGXGridCore* grid = nullptr;

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    if (grid) grid->OnGridDraw(&dc);
  }
};

TEST(KernelCellsPicture, TreeAndHexCellsInAGrid) {
  GXStartGridLibrary();
  CPaintingHost wnd;
  wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 120), nullptr, 0);
  CGXGridCore grid;
  grid.m_pGridWnd = &wnd;
  wnd.grid = &grid;
  ASSERT_TRUE(grid.Initialize());
  grid.GetParam()->GetData()->SetRowCount(3);
  grid.GetParam()->GetData()->SetColCount(2);
  grid.RegisterControl(15002, new CGXTreeStatic(&grid), FALSE, FALSE);
  grid.RegisterControl(15005, new CHexGridCtrl(&grid), FALSE, FALSE);
  grid.SetColWidth(1, 1, 120);
  const struct {
    const char *level, *state, *hex;
  } rows[] = {{"0", "1", "1a"}, {"1", "0", "ff"}, {"2", "2", "xyz"}};
  for (ROWCOL r = 1; r <= 3; ++r) {
    CGXStyle tree, hex;
    tree.SetControl(15002).SetValue("node").SetUserAttribute(15003, rows[r - 1].level).SetUserAttribute(15004, rows[r - 1].state);
    hex.SetControl(15005).SetValue(rows[r - 1].hex).SetUserAttribute(15006, "%.4hX");
    grid.GetParam()->GetData()->StoreStyleAt(r, 1, &tree, 2);
    grid.GetParam()->GetData()->StoreStyleAt(r, 2, &hex, 2);
  }
  wnd.Invalidate(FALSE);
  PumpMessages();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_kernel_cells.png").c_str());
  const CRect level2 = grid.CalcRectFromRowCol(3, 1);
  const CRect level0 = grid.CalcRectFromRowCol(1, 1);
  const int midY = (level2.top + level2.bottom) / 2;
  EXPECT_EQ(GetWindowPixel(wnd.m_hWnd, POINT{level2.left + 30, midY}), GetSysColor(COLOR_3DLIGHT));  // strip to 39 - 3
  EXPECT_NE(GetWindowPixel(wnd.m_hWnd, POINT{level0.left + 30, (level0.top + level0.bottom) / 2}),
            GetSysColor(COLOR_3DLIGHT));
  CString shown;
  grid.GetControl(1, 2)->GetDisplayText(shown, 1, 2, nullptr, &grid.LookupStyleRowCol(1, 2));
  EXPECT_EQ(shown, "001A");
  wnd.DestroyWindow();
}

}  // namespace

namespace {

// Pasted text is held to what typing may enter: the memory view's cell never holds what it cannot store.
TEST_F(KernelCells, HexCellTakesOnlyAPasteItWouldTakeTyped) {
  CGXStyle s;
  s.SetControl(15005).SetMaxLength(4).SetValue("1A");
  Put(1, 1, s);
  UiAutomation::Click(wnd.m_hWnd, grid.CalcRectFromRowCol(1, 1).CenterPoint());
  UiAutomation::PressKey(VK_END);
  ASSERT_TRUE(hex->IsActive());
  for (const char* pasted : {"xyz", "F"}) {
    ASSERT_TRUE(::OpenClipboard(wnd.m_hWnd));
    ::EmptyClipboard();
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, std::strlen(pasted) + 1);
    std::memcpy(::GlobalLock(h), pasted, std::strlen(pasted) + 1);
    ::GlobalUnlock(h);
    ::SetClipboardData(CF_TEXT, h);
    ::CloseClipboard();
    UiAutomation::PressKey('V', UiAutomation::kControl);
  }
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(grid.GetValueRowCol(1, 1), "1AF");
}

}  // namespace

namespace {

class CDoubleClickGrid : public CCellTestGrid {
 public:
  BOOL OnLButtonDblClkRowCol(ROWCOL, ROWCOL, UINT, CPoint) override {
    ++doubleClicks;
    return TRUE;
  }
  int doubleClicks = 0;
};
using TreeCellDoubleClicks = CellGridOf<CDoubleClickGrid>;

// The motion view opens an element on a double-click of its row, not on one of its node box while it edits.
TEST_F(TreeCellDoubleClicks, ADoubleClickOnTheNodeBoxOfAnEditedTreeCellIsTheBoxs) {
  grid.RegisterControl(15001, new CGXTreeEdit(&grid, 0), FALSE, FALSE);
  grid.GetParam()->m_wActivateFlags |= 8;
  Put(15001, "group").SetUserAttribute(15003, "1").SetUserAttribute(15004, "1");
  Store(1, 1);
  const CRect cell = grid.CalcRectFromRowCol(1, 1);
  const CPoint text(cell.right - 10, cell.CenterPoint().y);
  UiAutomation::DoubleClick(grid.m_hWnd, text);
  ASSERT_TRUE(grid.GetCurrentCellControl()->IsActive());
  EXPECT_EQ(grid.doubleClicks, 1);
  UiAutomation::AdvanceClock(1000);
  UiAutomation::DoubleClick(grid.m_hWnd, CGXTreeCellLook::ButtonRect(cell, 1).CenterPoint());
  EXPECT_EQ(grid.doubleClicks, 1);
}

}  // namespace
