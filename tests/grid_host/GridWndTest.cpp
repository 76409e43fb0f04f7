// The grid in a child window: a grid made by its window class, a grid a program makes, focus on a
// click, the frame in the parent, and a block copied from a child-window grid.
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/core/Module.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"

#include "tests/support/BarPresses.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

namespace {

class GridWnd : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    ResetClipboard();
    parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), "", WS_POPUP | WS_VISIBLE,
                    CRect(0, 0, 300, 200), nullptr, 0);
  }
  void TearDown() override {
    parent.DestroyWindow();
    ResetClipboard();
  }
  // A program's grid of 5 rows and 3 columns filling the parent.
  bool Open(ZAZAzedAze& grid) {
    if (!grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200),
                     &parent, 3) ||
        !grid.Initialize())
      return false;
    grid.SetRowCount(5);
    grid.SetColCount(3);
    ::PumpMessages();
    return true;
  }
  HWND MakeChild(DWORD style, const char* cls = "ZAZAzedAze") {
    return ::CreateWindowEx(0, cls, "", WS_CHILD | WS_VISIBLE | style, 20, 20, 200, 120, parent.m_hWnd, (HMENU)7,
                            AfxGetInstanceHandle(), nullptr);
  }
  CWnd parent;
};

// A program's edit cell that repaints only its own cell when it is refreshed.
class CCellOnlyEdit : public CGXEditControl {
 public:
  using CGXEditControl::CGXEditControl;
  void Refresh() override {
    if (!IsInitAt(m_nRow, m_nCol)) return;
    Hide();
    const CRect cell = m_pGrid->CalcRectFromRowCol(m_nRow, m_nCol);
    m_pGrid->m_pGridWnd->InvalidateRect(&cell);
  }
};

}  // namespace

TEST_F(GridWnd, TemplateGridWorksAndDeletesItselfOnce) {
  WNDCLASS wc{};
  ASSERT_TRUE(::GetClassInfo(AfxGetInstanceHandle(), "ZAZAzedAze", &wc));
  EXPECT_EQ(wc.style, 0x4008u);
  HWND h = MakeChild(0);
  ASSERT_TRUE(h);
  auto* grid = dynamic_cast<ZAZAzedAze*>(CWnd::FromHandlePermanent(h));
  ASSERT_TRUE(grid);
  EXPECT_TRUE(grid->IsInitialized());
  grid->GetParam()->GetData()->SetRowCount(5);
  grid->GetParam()->GetData()->SetColCount(3);
  ::PumpMessages();
  EXPECT_NE(GetWindowPixel(h, POINT{2, 2}), RGB(255, 255, 255));  // the header's face
  // Typed text reaches the grid through the framework's procedure.
  EXPECT_EQ((WNDPROC)::GetWindowLongPtr(h, GWLP_WNDPROC), AfxGetAfxWndProc());
  ::DestroyWindow(h);  // ASan reports a second delete or a leak
  EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST_F(GridWnd, ProgramGridSurvivesItsWindow) {
  {
    ZAZAzedAze grid;
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                            CRect(0, 0, 100, 80), &parent, 3));
    EXPECT_FALSE(grid.IsInitialized());  // the program calls Initialize
    ::UpdateWindow(grid.m_hWnd);        // a paint before that throws nothing
    ASSERT_TRUE(grid.Initialize());
    grid.DestroyWindow();
    EXPECT_TRUE(grid.IsInitialized());
  }
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
}

TEST_F(GridWnd, ClickTakesTheFocusFromAnotherControl) {
  HWND edit = ::CreateWindowEx(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 150, 80, 20, parent.m_hWnd, (HMENU)8,
                               AfxGetInstanceHandle(), nullptr);
  HWND h = MakeChild(0);
  UiAutomation::Click(edit, CPoint(10, 10));
  ASSERT_EQ(::GetFocus(), edit);
  UiAutomation::Click(h, CPoint(100, 60));
  EXPECT_EQ(::GetFocus(), h);
  ::DestroyWindow(h);
}

TEST_F(GridWnd, FrameInTheParentAfterNonClientPaints) {
  HWND plain = MakeChild(0);
  ::SendMessage(plain, WM_NCPAINT, 1, 0);
  const COLORREF background = GetWindowPixel(parent.m_hWnd, POINT{18, 60});
  ::DestroyWindow(plain);
  HWND framed = MakeChild(0x200);
  for (int i = 0; i < 2; ++i) {
    ::SendMessage(framed, WM_NCPAINT, 1, 0);
    EXPECT_NE(GetWindowPixel(parent.m_hWnd, POINT{18, 60}), background);   // 2 left
    EXPECT_NE(GetWindowPixel(parent.m_hWnd, POINT{222, 60}), background);  // 3 right
    EXPECT_EQ(GetWindowPixel(parent.m_hWnd, POINT{17, 60}), background);
    EXPECT_EQ(GetWindowPixel(parent.m_hWnd, POINT{223, 60}), background);
  }
  ::DestroyWindow(framed);
}

TEST_F(GridWnd, BlockFromADialogGridPastesIntoAnother) {
  auto* source = dynamic_cast<ZAZAzedAze*>(CWnd::FromHandlePermanent(MakeChild(0)));
  auto* target = dynamic_cast<ZAZAzedAze*>(CWnd::FromHandlePermanent(MakeChild(0)));
  ASSERT_TRUE(source && target);
  for (ZAZAzedAze* g : {source, target}) {
    g->GetParam()->GetData()->SetRowCount(4);
    g->GetParam()->GetData()->SetColCount(4);
  }
  const char* values[] = {"a", "b", "c", "d"};
  for (int i = 0; i < 4; ++i) {
    CGXStyle s;
    s.SetValue(values[i]).SetTextColor(RGB(0, 128, 0));
    source->GetParam()->GetData()->StoreStyleAt(1 + i / 2, 1 + i % 2, &s, 0, 0);
  }
  source->SetCurrentCell(1, 1);
  source->SelectRange(CGXRange().SetCellRange(1, 1, 2, 2), TRUE, FALSE);
  ASSERT_TRUE(source->Copy());
  target->SetCurrentCell(3, 3);
  ASSERT_TRUE(target->Paste());
  for (int i = 0; i < 4; ++i) {
    CGXStyle got;
    ASSERT_TRUE(target->GetStyleRowCol(3 + i / 2, 3 + i % 2, got, 2));
    EXPECT_EQ(got.GetValue(), values[i]);
    EXPECT_EQ(got.GetTextColor(), RGB(0, 128, 0));
  }
  ::DestroyWindow(source->m_hWnd);
  ::DestroyWindow(target->m_hWnd);
}

// A framed grid narrowed twice by its corner, then made smaller and moved by its program: the parent
// keeps no line of the old frame.
TEST_F(GridWnd, AFramedGridMadeSmallerLeavesNoOldFrameInItsParent) {
  HWND framed = MakeChild(WS_THICKFRAME | 0x200);
  ::PumpMessages();
  for (int i = 0; i < 2; ++i) {
    CRect w;
    ::GetWindowRect(framed, &w);
    ::MapWindowPoints(nullptr, parent.m_hWnd, (POINT*)&w, 2);
    UiAutomation::Drag(parent.m_hWnd, CPoint(w.right - 2, w.bottom - 2), CPoint(w.right - 39, w.bottom - 25));
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(framed)) << "corner " << i;
  }
  for (const CRect& to : {CRect(20, 20, 170, 110), CRect(40, 30, 250, 190)}) {
    ::MoveWindow(framed, to.left, to.top, to.Width(), to.Height(), TRUE);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(framed));
  }
  ::DestroyWindow(framed);
}

// A framed grid scrolled by keys and by its bars: the parent's frame stays over the bars' outer
// pixels, as a full repaint draws it.
TEST_F(GridWnd, AFramedGridScrolledKeepsItsFrameOverItsBars) {
  using namespace dravonix::test;
  HWND h = MakeChild(0x200);
  auto* grid = dynamic_cast<ZAZAzedAze*>(CWnd::FromHandlePermanent(h));
  ASSERT_TRUE(grid);
  grid->SetRowCount(60);
  grid->SetColCount(20);
  UiAutomation::Click(h, grid->CalcRectFromRowCol(1, 1).CenterPoint());
  std::vector<UINT> keys(6, VK_DOWN);
  keys.insert(keys.end(), {VK_NEXT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_PRIOR});
  ExpectKeyPictures(h, keys, "keys");
  EXPECT_GT(grid->GetLeftCol(), 1u);
  ExpectBarPresses(h,
                   {{kDownArrow, "de", 3}, {kPageBelow, "De", 9}, {kThumbDown, "tttpe", 34}, {kPageAbove, "Ue", 28},
                    {kUpArrow, "ue", 27}, {kHeldDown, "ddddde", 32}, {kRightArrow, "de", 6}, {kPageRight, "De", 7},
                    {kThumbRight, "tttpe", 11}, {kPageLeft, "Ue", 10}, {kLeftArrow, "ue", 9}},
                   "bars");
  ::DestroyWindow(h);
}

// The program registers a new control for the one the edited cell uses; the user goes on.
TEST_F(GridWnd, AControlRegisteredOverTheEditedOnesLetsTheUserGoOn) {
  ZAZAzedAze grid;
  ASSERT_TRUE(Open(grid));
  UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(2, 2).CenterPoint());
  UiAutomation::TypeText("7");
  const UINT id = grid.GetStandardStyle().GetControl();
  grid.RegisterControl(id, new CGXEditControl(&grid, id));
  UiAutomation::PressKey(VK_DOWN);
  UiAutomation::TypeText("8\n");
  EXPECT_EQ("8", grid.GetValueRowCol(3, 2).str());
  EXPECT_EQ("", grid.GetValueRowCol(2, 2).str());  // the edit the program cut short is not stored
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
  grid.DestroyWindow();
}

// The headers of the rows and columns the current cell leaves and enters show its mark, whatever its
// control repaints.
TEST_F(GridWnd, TheHeadersMarkTheCurrentCellAsTheArrowsMoveIt) {
  ZAZAzedAze grid;
  ASSERT_TRUE(Open(grid));
  const UINT id = grid.GetStandardStyle().GetControl();
  grid.RegisterControl(id, new CCellOnlyEdit(&grid, id));
  UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(2, 2).CenterPoint());
  for (UINT key : {VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT}) {
    UiAutomation::PressKey(key);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd)) << key;
  }
  grid.DestroyWindow();
}

// A framed grid laid out anew by its program, as a dialog does when the user sizes it: the frame's
// inner line, which reaches into the window, shows what a paint of the whole shows.
TEST_F(GridWnd, AFramedGridSizedByItsProgramShowsItsFrameAsAPaintDoes) {
  ZAZAzedAze grid;
  grid.m_bDrawFrame = TRUE;
  ASSERT_TRUE(Open(grid));
  ::MoveWindow(grid.m_hWnd, 10, 10, 260, 150, TRUE);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
  grid.DestroyWindow();
}

// The host makes the grid's background transparent before showing it; a cell typed into twice shows
// what lies beneath it, not the edit window it was typed in.
TEST_F(GridWnd, ATransparentGridShowsTheParentWhereItsEditWindowWas) {
  ZAZAzedAze grid;
  ASSERT_TRUE(Open(grid));
  grid.ShowWindow(SW_HIDE);
  grid.GetParam()->m_bTransparentBackground = TRUE;
  grid.ShowWindow(SW_SHOW);
  for (const char* typed : {"WWWWWWW\n", "i\n"}) {
    UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(2, 2).CenterPoint());
    UiAutomation::TypeText(typed);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd)) << typed;
  }
  grid.DestroyWindow();
}
