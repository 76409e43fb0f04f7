// Cell children and the button cells: push buttons and spin arrows, radio buttons, check boxes and
// headers, and the factory ids that make them.
#include "grid/controls/GXButton.h"
#include "grid/controls/GXCheckBox.h"
#include "grid/controls/GXStatic.h"
#include "grid/controls/GXHeader.h"
#include "grid/controls/GXPushbutton.h"
#include "grid/controls/GXRadioButton.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Clock.h"
#include "platform/core/Module.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/GridHostWnd.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Counts the clicks its children report.
class CCountingOwner : public CGXControl {
 public:
  CCountingOwner() : CGXControl(nullptr) {}
  BOOL OnClickedButton(CObject*) override {
    ++clicks;
    return TRUE;
  }
  int clicks = 0;
};

// The child gadget alone, without a window to click: its own press and release rules.
TEST(ButtonChild, ClicksOnlyOnReleaseInsideAndOnSpace) {
  CCountingOwner owner;
  auto* button = new CGXButton(&owner);
  owner.AddChild(button);
  owner.SetFocusChild(button);
  button->SetRect(CRect(0, 0, 20, 20));
  // Down inside, up outside: nothing.
  button->OnLButtonDown(0, 5, 5);
  button->OnLButtonUp(0, 30, 30);
  EXPECT_EQ(owner.clicks, 0);
  // Out and back in before the release: one click.
  button->OnLButtonDown(0, 5, 5);
  button->OnMouseMove(0, 30, 5);
  EXPECT_FALSE(button->IsPressed());
  button->OnMouseMove(0, 6, 6);
  EXPECT_TRUE(button->IsPressed());
  button->OnLButtonUp(0, 6, 6);
  EXPECT_EQ(owner.clicks, 1);
  // Space down and up through the owner's key dispatch clicks once.
  EXPECT_TRUE(owner.DispatchKeyMessage(WM_KEYDOWN, VK_SPACE, 1));
  EXPECT_TRUE(owner.DispatchKeyMessage(WM_KEYUP, VK_SPACE, 1));
  EXPECT_FALSE(owner.DispatchKeyMessage(WM_KEYUP, VK_SPACE, 1));
  EXPECT_EQ(owner.clicks, 2);
}

// The arrow gadget alone: its repeat timing, read at exact virtual times no device gives.
TEST(ButtonChild, SpinArrowRepeatsFasterDownTo50ms) {
  Clock::UseVirtualTime(1000);
  CCountingOwner owner;
  auto* arrow = new CGXUpArrowButton(&owner);
  owner.AddChild(arrow);
  arrow->SetRect(CRect(0, 0, 16, 10));
  arrow->OnLButtonDown(0, 5, 5);
  EXPECT_EQ(owner.clicks, 1);  // the first step comes with the press
  // Waits before each further step: 500, 150, 145, ... 55, 50, 50.
  std::vector<DWORD> waits = {500};
  for (DWORD d = 150; d >= 50; d -= 5) waits.push_back(d);
  waits.push_back(50);
  waits.push_back(50);
  int expected = 1;
  for (DWORD wait : waits) {
    Clock::Advance(wait - 1);
    arrow->OnMouseMove(0, 5, 5);
    EXPECT_EQ(owner.clicks, expected) << "early at " << wait;
    Clock::Advance(1);
    arrow->OnMouseMove(0, 5, 5);
    EXPECT_EQ(owner.clicks, ++expected) << "due at " << wait;
  }
  EXPECT_EQ(arrow->GetRepeatDelay(), 50u);
  Clock::Advance(1000);
  arrow->OnLButtonUp(0, 5, 5);
  EXPECT_EQ(owner.clicks, expected);  // no step on release
  Clock::UseRealTime();
}

// ---- cells in a grid --------------------------------------------------------------------------------------------

class CClickGrid : public CGXGridCore {
 public:
  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override { clicks.push_back({nRow, nCol}); }
  BOOL OnLButtonClickedRowCol(ROWCOL nRow, ROWCOL nCol, UINT flags, CPoint pt) override {
    cellClicks.push_back({nRow, nCol});
    return CGXGridCore::OnLButtonClickedRowCol(nRow, nCol, flags, pt);
  }
  std::vector<std::pair<ROWCOL, ROWCOL>> clicks, cellClicks;
};

// Runs the test's steps on its timer, so that they come while the grid holds the mouse in its loop.
class CHostWnd : public CGridRoutingHostWnd {
 public:
  std::vector<std::function<void()>> steps;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    if (message != WM_TIMER || wParam != 77) return CGridRoutingHostWnd::OnWndMsg(message, wParam, lParam, pResult);
    KillTimer(77);
    if (!steps.empty()) {
      auto step = steps.front();
      steps.erase(steps.begin());
      step();
    }
    return TRUE;
  }
};

class ButtonCells : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0);
    grid.m_pGridWnd = &wnd;
    wnd.grid = &grid;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(4);
    grid.GetParam()->GetData()->SetColCount(3);
    grid.SetRowHeight(1, 3, 60);
    grid.SetColWidth(1, 3, 90);
    grid.m_bActive = TRUE;
    PumpMessages();
    UiAutomation::Click(wnd.m_hWnd, CPoint(390, 290));  // the focus, by a click beside the cells
  }
  void TearDown() override { wnd.DestroyWindow(); }
  // A press and its release, taken together as the grid's mouse loop takes them.
  void PressAndRelease(CPoint down, CPoint up) {
    PostMouseInput(wnd.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, down);
    PostMouseInput(wnd.m_hWnd, WM_LBUTTONUP, 0, up);
    PumpMessages();
  }
  // A press held while the pointer goes to each point in turn, `look` running once the grid has
  // seen it there (the loop reports a pointer back at the press point after 750 ms), then released.
  void HeldPress(CPoint down, std::vector<CPoint> points, const std::function<void()>& look) {
    PostMouseInput(wnd.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, down);
    for (size_t i = 0; i <= points.size(); ++i)
      wnd.steps.push_back([this, i, points, look] {
        look();
        if (i == points.size()) {
          PostMouseInput(wnd.m_hWnd, WM_LBUTTONUP, 0, points.empty() ? CPoint() : points.back());
          return;
        }
        PostMouseInput(wnd.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, points[i]);
        wnd.SetTimer(77, 800, nullptr);
      });
    wnd.SetTimer(77, 20, nullptr);
    PumpMessages();
    ASSERT_TRUE(wnd.steps.empty());
  }
  CGXStyle& Put(UINT control, const char* value, const char* choices = nullptr) {
    style = CGXStyle();
    style.SetControl(control).SetValue(value);
    if (choices) style.SetChoiceList(choices);
    return style;
  }
  void Store(ROWCOL r, ROWCOL c) {
    grid.GetParam()->GetData()->StoreStyleAt(r, c, &style, 2);
    grid.FreeObjectCache();
  }
  CString Value(ROWCOL r, ROWCOL c) { return grid.LookupStyleRowCol(r, c).GetValue(); }
  CGXControl* Current(ROWCOL r, ROWCOL c) {
    EXPECT_TRUE(grid.SetCurrentCell(r, c));
    return grid.GetControl(r, c);
  }
  void Repaint() {
    wnd.Invalidate(FALSE);
    PumpMessages();
  }
  COLORREF Pixel(int x, int y) { return GetWindowPixel(wnd.m_hWnd, POINT{x, y}); }
  static bool Dark(COLORREF c) { return GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80; }

  CHostWnd wnd;
  CClickGrid grid;
  CGXStyle style;
};

TEST_F(ButtonCells, PushButtonClicksOnceAndDraws) {
  Put(52514, "", "Go");
  Store(1, 1);
  CGXControl* cell = Current(1, 1);
  ASSERT_STREQ(cell->GetControlClassName(), "CGXPushbutton");
  const CRect rect = grid.CalcRectFromRowCol(1, 1);
  PressAndRelease(rect.CenterPoint(), CPoint(rect.right + 50, rect.top + 2));  // released outside
  EXPECT_TRUE(grid.clicks.empty());
  PressAndRelease(rect.CenterPoint(), rect.CenterPoint());
  ASSERT_EQ(grid.clicks.size(), 1u);
  EXPECT_EQ(grid.clicks[0], std::make_pair(ROWCOL(1), ROWCOL(1)));
  // Space pressed and released clicks once.
  UiAutomation::PressKey(VK_SPACE);
  EXPECT_EQ(grid.clicks.size(), 2u);
  Repaint();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_pushbutton.png").c_str());
  EXPECT_EQ(Pixel(rect.left + 3, rect.top + 3), GXGetSysColorCache().GetColor(COLOR_BTNFACE));
}

// The grid hears of a click on a cell's button as of a click on the cell, as the views that select rows expect.
TEST_F(ButtonCells, AButtonsClickIsAlsoTheCellsClick) {
  Put(52514, "", "Go");
  Store(1, 1);
  Current(1, 1);
  UiAutomation::Click(wnd.m_hWnd, grid.CalcRectFromRowCol(1, 1).CenterPoint());
  EXPECT_EQ(grid.clicks.size(), 1u);
  EXPECT_EQ(grid.cellClicks.size(), 1u);
}

TEST_F(ButtonCells, ArrowsLowerThanFivePixelsShowOnlyTheirFace) {
  CCountingOwner owner;
  CClientDC dc(&wnd);
  const struct {
    int height;
    bool arrow;
  } cases[] = {{4, false}, {5, true}, {10, true}};
  int x = 10;
  for (const auto& c : cases) {
    for (BOOL up : {TRUE, FALSE}) {
      CGXArrowButton* button = up ? static_cast<CGXArrowButton*>(new CGXUpArrowButton(&owner))
                                  : static_cast<CGXArrowButton*>(new CGXDownArrowButton(&owner));
      const CRect r(x, 250, x + 16, 250 + c.height);
      button->SetRect(r);
      button->Draw(&dc, TRUE);
      int dark = 0;
      for (int yy = r.top + 2; yy < r.bottom - 2; ++yy)
        for (int xx = r.left + 2; xx < r.right - 2; ++xx) dark += Dark(Pixel(xx, yy));
      EXPECT_EQ(dark > 0, c.arrow) << c.height << (up ? " up" : " down");
      delete button;
      x += 20;
    }
  }
  // The hot-spot glyph needs 12 pixels; an inactive cell shows no hot-spot button at all.
  const struct {
    int height;
    BOOL active;
    bool glyph, face;
  } hot[] = {{11, TRUE, false, true}, {14, TRUE, true, true}, {14, FALSE, false, false}};
  for (const auto& c : hot) {
    const CRect r(x, 200, x + 16, 200 + c.height);
    GXFillRect(&dc, &r, RGB(255, 255, 255));
    CGXHotSpotButton button(&owner);
    button.SetRect(r);
    button.Draw(&dc, c.active);
    int dark = 0;
    for (int yy = r.top + 2; yy < r.bottom - 2; ++yy)
      for (int xx = r.left + 2; xx < r.right - 2; ++xx) dark += Dark(Pixel(xx, yy));
    EXPECT_EQ(dark > 0, c.glyph) << c.height;
    EXPECT_EQ(Pixel(r.left + 2, r.top + 2) == GXGetSysColorCache().GetColor(COLOR_BTNFACE), c.face) << c.height;
    x += 20;
  }
}

TEST_F(ButtonCells, RadioCountsEntriesAndSpaceWraps) {
  EXPECT_EQ(CGXRadioButton::Entries(CGXStyle().SetChoiceList("a\n\nb\r\n\r\nc\n")).size(), 3u);
  Put(52515, "", "one\n\ntwo\r\n\r\nthree");
  Store(1, 1);
  CGXControl* cell = Current(1, 1);
  ASSERT_STREQ(cell->GetControlClassName(), "CGXRadioButton");
  const char* expected[] = {"0", "1", "2", "0"};
  for (const char* value : expected) {
    UiAutomation::PressKey(VK_SPACE);
    EXPECT_STREQ(Value(1, 1), value);
  }
  EXPECT_EQ(grid.clicks.size(), 4u);  // each press told as a click is
  // A read-only cell ignores the space bar.
  Put(52515, "1", "one\ntwo").SetReadOnly(TRUE);
  Store(2, 1);
  cell = Current(2, 1);
  UiAutomation::PressKey(VK_SPACE);
  EXPECT_STREQ(Value(2, 1), "1");
}

using RadioCell = CellGrid;

TEST_F(RadioCell, SpaceStoresTheNextEntryAndReportsAsAClickDoes) {
  Put(52515, "", "one\ntwo\nthree");
  Store(2, 2);
  Click(Centre(2, 3));
  Key(VK_LEFT);
  ASSERT_EQ(CurrentCol(), 2u);
  UiAutomation::TypeText("  ");
  EXPECT_EQ(Value(2, 2), "1");
  EXPECT_EQ(grid.clicks, (std::vector<std::pair<ROWCOL, ROWCOL>>{{2, 2}, {2, 2}}));
  // The first entry's text clicked.
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  CRect inner;
  Control(2, 2)->GetCellInnerRect(inner, 2, 2, &cell, &grid.LookupStyleRowCol(2, 2));
  CClientDC dc(&grid);
  CFont* old = GXSelectCellFont(&grid, &dc, grid.LookupStyleRowCol(2, 2));
  const int lh = CGXRadioButton::LineHeight(&dc);
  if (old) dc.SelectObject(old);
  Click(CPoint(inner.left + 22, inner.top + lh / 2));
  EXPECT_EQ(Value(2, 2), "0");
  EXPECT_EQ(grid.clicks, (std::vector<std::pair<ROWCOL, ROWCOL>>{{2, 2}, {2, 2}, {2, 2}}));
}

// A value a host stored that names no entry: the space bar chooses the first one, as with no value.
TEST_F(RadioCell, SpaceOnAValueNamingNoEntryChoosesTheFirst) {
  for (const char* value : {"-3", "2147483647"}) {
    Put(52515, value, "one\ntwo\nthree");
    Store(2, 2);
    Click(Centre(2, 3));
    Key(VK_LEFT);
    ASSERT_EQ(CurrentCol(), 2u);
    Key(VK_SPACE);
    EXPECT_EQ(Value(2, 2), "0") << value;
  }
}

TEST_F(ButtonCells, FlatRadioCircleAndClicks) {
  Put(52515, "1", "one\ntwo");
  Store(1, 1);
  Repaint();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_radio.png").c_str());
  CGXControl* cell = grid.GetControl(1, 1);
  const CRect rect = grid.CalcRectFromRowCol(1, 1);
  CRect inner;
  cell->GetCellInnerRect(inner, 1, 1, &rect, &grid.LookupStyleRowCol(1, 1));
  CClientDC dc(&wnd);
  CFont* oldFont = GXSelectCellFont(&grid, &dc, grid.LookupStyleRowCol(1, 1));
  const int lh = CGXRadioButton::LineHeight(&dc);
  if (oldFont) dc.SelectObject(oldFont);
  for (int i = 0; i < 2; ++i) {
    const int L = inner.left, y = inner.top + i * lh + (lh - 12) / 2;
    EXPECT_TRUE(Dark(Pixel(L + 3, y + 6))) << i;           // the outline's left edge
    EXPECT_FALSE(Dark(Pixel(L + 2, y + 6))) << i;          // nothing left of it
    EXPECT_TRUE(Dark(Pixel(L + 9, y + 11))) << i;          // its bottom edge
    EXPECT_EQ(Dark(Pixel(L + 9, y + 6)), i == 1) << i;     // the dot of the chosen entry
  }
  // The 3-D images: the chosen entry's centre is dark, the other's light.
  Put(52524, "0", "one\ntwo");
  Store(1, 3);
  Repaint();
  CRect inner3;
  const CRect rect3 = grid.CalcRectFromRowCol(1, 3);
  cell->GetCellInnerRect(inner3, 1, 3, &rect3, &grid.LookupStyleRowCol(1, 3));
  for (int i = 0; i < 2; ++i) EXPECT_EQ(Dark(Pixel(inner3.left + 9, inner3.top + i * lh + (lh - 12) / 2 + 6)), i == 0) << i;
  // Clicking the first entry's text chooses it; clicking it again stores nothing but reports.
  cell = Current(1, 1);
  const CPoint first(inner.left + 20, inner.top + lh / 2);
  PressAndRelease(first, first);
  EXPECT_STREQ(Value(1, 1), "0");
  EXPECT_EQ(grid.clicks.size(), 1u);
  grid.GetParam()->GetData()->StoreStyleAt(1, 1, &CGXStyle().SetValue("x"), 0);  // would show a store
  grid.FreeObjectCache();
  const CPoint second(inner.left + 5, inner.top + lh + lh / 2);
  PressAndRelease(second, second);
  EXPECT_EQ(grid.clicks.size(), 2u);
  // Right of a short text or below the entries: nothing.
  for (const CPoint nothing : {CPoint(inner.right - 2, inner.top + lh / 2), CPoint(inner.left + 5, inner.top + 3 * lh)})
    PressAndRelease(nothing, nothing);
  EXPECT_EQ(grid.clicks.size(), 2u);
}

TEST_F(ButtonCells, CheckBoxToggles) {
  const struct {
    const char* start;
    BOOL tri;
    const char* after[3];
  } cases[] = {
      {"yes", FALSE, {"1", "0", "1"}},
      {"1", TRUE, {"0", "", "1"}},
  };
  for (const auto& c : cases) {
    Put(52516, c.start).SetTriState(c.tri);
    Store(1, 2);
    CGXCheckBox* box = dynamic_cast<CGXCheckBox*>(Current(1, 2));
    ASSERT_NE(box, nullptr);
    if (!c.tri) {
      EXPECT_EQ(box->GetState(1, 2, grid.LookupStyleRowCol(1, 2)) & 12u, 8u);  // "yes" shows unchecked
    }
    for (const char* value : c.after) {
      UiAutomation::PressKey(VK_SPACE);
      EXPECT_STREQ(Value(1, 2), value);
    }
  }
  // A click inside the box toggles; a release outside does not; read-only never toggles.
  Put(52516, "0");
  Store(2, 2);
  CGXControl* box = Current(2, 2);
  const CRect rect = grid.CalcRectFromRowCol(2, 2);
  CRect inner;
  box->GetCellInnerRect(inner, 2, 2, &rect, &grid.LookupStyleRowCol(2, 2));
  const CPoint in(inner.left + 5, inner.top + 5);
  PressAndRelease(in, CPoint(rect.right - 3, rect.bottom - 3));
  EXPECT_STREQ(Value(2, 2), "0");
  // Pressed shows while the mouse is inside the box, again after moving out and back.
  auto pressed = [&] { return dynamic_cast<CGXCheckBox*>(box)->GetState(2, 2, grid.LookupStyleRowCol(2, 2)) & 2u; };
  std::vector<UINT> seen;
  HeldPress(in, {CPoint(rect.right - 3, rect.bottom - 3), in}, [&] { seen.push_back(pressed()); });
  EXPECT_EQ(seen, (std::vector<UINT>{2u, 0u, 2u}));
  EXPECT_STREQ(Value(2, 2), "1");
  Put(52516, "0").SetReadOnly(TRUE);
  Store(3, 2);
  box = Current(3, 2);
  UiAutomation::PressKey(VK_SPACE);
  EXPECT_STREQ(Value(3, 2), "0");
  EXPECT_EQ(dynamic_cast<CGXCheckBox*>(box)->GetState(3, 2, CGXStyle().SetEnabled(FALSE)), 10u);
  Repaint();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_checkbox.png").c_str());
}

// Fitted to its column, a labelled box keeps margins of 3 pixels beside the label where a text keeps 2.
using BoxInGrid = CellGrid;
TEST_F(BoxInGrid, LabelledBoxFitsWithWiderMargins) {
  Put(52516, "1", "Label text");
  Store(1, 1);
  Put(52513, "Label text");
  Store(1, 2);
  for (ROWCOL c : {1u, 2u}) {
    const CRect header = grid.CalcRectFromRowCol(0, c);
    UiAutomation::DoubleClick(grid.m_hWnd, CPoint(header.right - 1, header.CenterPoint().y));
  }
  ASSERT_EQ(CGXStatic::GetTextMargin(), 2);
  EXPECT_EQ(grid.GetColWidth(1) - grid.GetColWidth(2), 13 * 3 / 2 + 2 * (3 - 2));
}

TEST_F(ButtonCells, CheckBoxImagesMapToSystemColours) {
  CGXCheckBox flat(&grid), threeD(&grid, TRUE);
  EXPECT_EQ(flat.GetScreenBitmapId(), 23233u);
  EXPECT_EQ(threeD.GetScreenBitmapId(), GXGetLibraryData().m_bWin4 ? 23231u : 23232u);
  EXPECT_TRUE(flat.LoadBitmaps());
  EXPECT_TRUE(threeD.LoadBitmaps());
  EXPECT_FALSE(CGXCheckBox(&grid, FALSE, 1, 0).LoadBitmaps());
  CGXSysColorCache& sys = GXGetSysColorCache();
  const struct {
    COLORREF image, screen, printer;
  } cases[] = {
      {RGB(0, 0, 0), sys.GetColor(COLOR_WINDOWTEXT), RGB(0, 0, 0)},
      {RGB(255, 0, 0), sys.GetColor(COLOR_WINDOW), RGB(255, 255, 255)},
      {RGB(0, 255, 0), sys.GetColor(COLOR_WINDOWFRAME), sys.GetColor(COLOR_WINDOWFRAME)},
      {RGB(192, 192, 192), sys.GetColor(COLOR_BTNFACE), sys.GetColor(COLOR_BTNFACE)},
      {RGB(1, 2, 3), RGB(1, 2, 3), RGB(1, 2, 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(flat.MapImageColor(c.image, FALSE), c.screen);
    EXPECT_EQ(flat.MapImageColor(c.image, TRUE), c.printer);
  }
  // The drawn box shows the window colour inside a checked box's corner, the text colour in its mark.
  CClientDC dc(&wnd);
  const CRect cell(10, 200, 40, 230);
  flat.DrawCheckBox(&dc, cell, CGXCheckBox::stateChecked, 0, "");
  EXPECT_EQ(Pixel(cell.left + 3 + 2, cell.top + 3 + 2), sys.GetColor(COLOR_WINDOW));
  EXPECT_EQ(Pixel(cell.left + 3 + 4, cell.top + 3 + 7), sys.GetColor(COLOR_WINDOWTEXT));
}

TEST_F(ButtonCells, CurrentRowHeaderDrawnPressed) {
  grid.GetParam()->GetProperties()->SetMarkRowHeader(TRUE);
  grid.GetParam()->GetProperties()->Set3dHeader(TRUE);
  for (ROWCOL r : {2u, 3u}) {
    Put(52520, "W");
    Store(r, 0);
  }
  ASSERT_TRUE(grid.SetCurrentCell(2, 1));
  Repaint();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_header.png").c_str());
  EXPECT_STREQ(grid.GetControl(2, 0)->GetControlClassName(), "CGXHeader");
  // Edges and the text's top-left pixel relative to the cell.
  auto look = [&](ROWCOL r, bool& right, bool& bottom, CPoint& text) {
    CRect rect = grid.CalcRectFromRowCol(r, 0);
    RECT shrunk;
    grid.ShrinkRectByBorders(&shrunk, rect, grid.LookupStyleRowCol(r, 0), FALSE);
    const CRect s = shrunk;
    right = Dark(Pixel(s.right - 1, s.top + 5));
    bottom = Dark(Pixel(s.left + 5, s.bottom - 1));
    text = CPoint(-1, -1);
    for (int x = s.left; x < s.right - 2 && text.x < 0; ++x)
      for (int y = s.top; y < s.bottom - 2; ++y)
        if (Dark(Pixel(x, y))) {
          text.x = x - s.left;
          break;
        }
    for (int y = s.top; y < s.bottom - 2 && text.y < 0; ++y)
      for (int x = s.left; x < s.right - 2; ++x)
        if (Dark(Pixel(x, y))) {
          text.y = y - s.top;
          break;
        }
  };
  bool right2, bottom2, right3, bottom3;
  CPoint text2, text3;
  look(2, right2, bottom2, text2);
  look(3, right3, bottom3, text3);
  EXPECT_TRUE(right2 && bottom2);
  EXPECT_FALSE(right3 || bottom3);
  EXPECT_EQ(text2.x, text3.x + 1);
  EXPECT_EQ(text2.y, text3.y + 1);
}

TEST(ButtonFactory, MakesTheButtonCellsAndTheirAttributes) {
  GXStartGridLibrary();
  CGXGridCore grid;
  ExpectFactoryMakes(grid, {{52514, "CGXPushbutton"}, {52515, "CGXRadioButton"}, {52524, "CGXRadioButton"},
                            {52516, "CGXCheckBox"}, {52523, "CGXCheckBox"}, {52520, "CGXHeader"}});
  CGXStylesMap map;
  GXGetLibraryData().m_pControlFactory->RegisterAllUserAttributes(&map);
  for (UINT id : {51019u, 51020u}) EXPECT_NE(map.GetUserAttributeEntry(id), nullptr) << id;
  CString text;
  for (UINT id : {51019u, 51020u, 52514u, 52520u}) EXPECT_TRUE(text.LoadString(id)) << id;
  // The images drawn for the cells, in their sizes.
  const struct {
    UINT id;
    int w, h;
  } images[] = {{23211, 28, 26}, {23231, 65, 13}, {23232, 65, 13}, {23233, 65, 13}, {14004, 9, 9}};
  for (const auto& i : images) {
    HGLOBAL h = GXLoadDib(MAKEINTRESOURCE(i.id));
    ASSERT_NE(h, nullptr) << i.id;
    const auto* bi = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h));
    EXPECT_EQ(bi->biWidth, i.w);
    EXPECT_EQ(bi->biHeight, i.h);
    EXPECT_GE(GXDibNumColors(bi), 4) << i.id;
    GlobalUnlock(h);
    GlobalFree(h);
  }
  CGXBitmapButtonChild node(nullptr);
  EXPECT_TRUE(node.LoadBitmaps(14004));
  EXPECT_EQ(node.GetSize(), CSize(9, 9));
  EXPECT_FALSE(node.LoadBitmaps(14004, 1));
}

}  // namespace
