// Hot-spot and spin cells in a grid window, driven by posted clicks.
#include "grid/controls/GXSpinEdit.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Clock.h"
#include "platform/ui/UiAutomation.h"

#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using HotSpotCell = CellGrid;
using SpinCell = CellGrid;

TEST_F(HotSpotCell, GlyphOnlyInTheFocusedCurrentCellFromTwelvePixelsAndClicksReachTheGrid) {
  grid.SetRowHeight(3, 3, 11);
  for (ROWCOL r : {1u, 2u, 3u}) {
    Put(52518, "x").SetReadOnly(TRUE);
    Store(r, 1);
  }
  const struct {
    ROWCOL current, probe;
    bool glyph;
  } cases[] = {{1, 1, true}, {1, 2, false}, {3, 3, false}};
  for (const auto& c : cases) {
    const CRect current = grid.CalcRectFromRowCol(c.current, 1);
    Click(CPoint(current.left + 4, current.CenterPoint().y));
    ASSERT_TRUE(grid.IsCurrentCell(c.current, 1));
    Repaint();
    const CRect cell = grid.CalcRectFromRowCol(c.probe, 1);
    const int top = cell.top + (13 < cell.Height() - 1 ? 1 : 0);
    int dark = 0;
    for (int y = 3; y <= 4; ++y)
      for (int x = 3; x <= 8; ++x) dark += Dark(Pixel(cell.right - 14 + x, top + y));
    EXPECT_EQ(dark, c.glyph ? 12 : 0) << "current " << c.current << " probe " << c.probe;
    if (c.glyph) SaveWindowImage(&grid, dravonix::test::OutputPath("grid_hotspot.png").c_str());
  }
  // A click on the button of a read-only cell is reported all the same.
  const CRect cell = grid.CalcRectFromRowCol(2, 1);
  Click(CPoint(cell.right - 8, cell.top + 7));
  ASSERT_EQ(grid.clicks.size(), 1u);
  EXPECT_EQ(grid.clicks[0], std::make_pair(ROWCOL(2), ROWCOL(1)));
  EXPECT_EQ(Value(2, 1), "x");
}

TEST_F(SpinCell, StepsWithinBoundsWrapAndStartValue) {
  const struct {
    const char *value, *min, *max, *wrap, *start;
    bool up;
    const char* result;
  } cases[] = {
      {"abc", "", "", "", "", true, "1"},
      {"10", "0", "10", "1", "", true, "0"},
      {"0", "0", "10", "1", "", false, "10"},
      {"10", "0", "10", "", "", true, "10"},
      {"0", "0", "10", "0", "", false, "0"},
      {"15", "", "10", "", "", true, "10"},
      {"10", "", "10", "1", "", true, "10"},  // wrap needs the other bound
      {"", "", "", "", "5", true, "5"},
      {"", "", "", "", "5", false, "5"},
      {"2147483647", "", "", "", "", true, "2147483647"},
      {"-2147483648", "", "", "", "", false, "-2147483648"},
      {"99999999999", "", "", "", "", false, "2147483646"},
  };
  for (const auto& c : cases) {
    CGXStyle& s = Put(52519, c.value);
    const std::pair<DWORD, const char*> attrs[] = {{51014, c.min}, {51015, c.max}, {51016, c.wrap}, {51021, c.start}};
    for (const auto& [id, text] : attrs)
      if (*text) s.SetUserAttribute(id, text);
    grid.SetStyleRange(CGXRange().SetCellRange(2, 2, 2, 2), &s, 2);  // replaces the last case's attributes
    ASSERT_TRUE(grid.SetCurrentCell(5, 4));
    const CRect cell = grid.CalcRectFromRowCol(2, 2);
    Click(CPoint(cell.right - 8, c.up ? cell.top + 5 : cell.bottom - 5));
    ASSERT_TRUE(grid.SetCurrentCell(5, 4));
    EXPECT_EQ(Value(2, 2), c.result) << c.value << (c.up ? " up" : " down");
  }
  // A read-only cell does not step.
  Put(52519, "4").SetReadOnly(TRUE);
  Store(3, 2);
  const CRect cell = grid.CalcRectFromRowCol(3, 2);
  Click(CPoint(cell.right - 8, cell.top + 5));
  EXPECT_EQ(Value(3, 2), "4");
  // The current cell of the focused grid shows both arrows.
  Repaint();
  SaveWindowImage(&grid, dravonix::test::OutputPath("grid_spin.png").c_str());
  for (const int y : {cell.top + 6, cell.bottom - 7}) {
    int dark = 0;
    for (int x = cell.right - 15; x < cell.right - 1; ++x) dark += Dark(Pixel(x, y));
    EXPECT_GT(dark, 0) << y;
  }
}

TEST_F(SpinCell, ArrowHeldStillRepeatsFasterAndFaster) {
  // Held 1.2 s without a move: a step at once, after 500 ms, then 150, 145, 140, 135 ms.
  Put(52519, "0");
  Store(2, 2);
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  const CPoint up(cell.right - 8, cell.top + 5);
  Clock::UseVirtualTime(10000);
  const ULONGLONG pressed = Clock::Now();
  std::vector<ULONGLONG> steps;
  std::string last = "0";
  auto shown = [&] {
    CString text;
    if (CGXControl* c = Control(2, 2)) c->GetCurrentText(text);
    return std::string(text.GetString());
  };
  bool released = false;
  const int hook = Clock::AddHook([&](ULONGLONG, ULONGLONG now) {
    if (shown() != last) last = shown(), steps.push_back(now - pressed);
    if (now - pressed >= 1200 && !released) released = true, Post(WM_LBUTTONUP, 0, up);
  });
  Post(WM_LBUTTONDOWN, MK_LBUTTON, up);
  ::PumpMessages();
  Clock::RemoveHook(hook);
  Clock::UseRealTime();
  EXPECT_TRUE(released);
  EXPECT_EQ(shown(), "6");
  // Each step is seen at the first tick after it.
  const std::vector<ULONGLONG> due = {1, 501, 651, 796, 936, 1071};
  EXPECT_EQ(steps, due);
}

TEST_F(SpinCell, ButtonsTakeTheirRoom) {
  Put(52519, "1");
  Store(1, 1);
  CGXControl* spin = Control(1, 1);
  Put(52518, "1");
  Store(1, 2);
  CGXControl* hot = Control(1, 2);
  CGXControl* edit = grid.GetRegisteredControl(52512);
  const CGXStyle& st = grid.LookupStyleRowCol(1, 1);
  const CRect cell = grid.CalcRectFromRowCol(1, 1);
  CRect base, spinInner, hotInner;
  edit->GetCellInnerRect(base, 1, 1, &cell, &st);
  spin->GetCellInnerRect(spinInner, 1, 1, &cell, &st);
  hot->GetCellInnerRect(hotInner, 1, 1, &cell, &st);
  EXPECT_EQ(base.right - spinInner.right, 14);
  EXPECT_EQ(base.right - hotInner.right, 13);
  EXPECT_EQ(spin->GrowSizeByBorders(CSize(0, 0), st).cx - edit->GrowSizeByBorders(CSize(0, 0), st).cx, 14);
  EXPECT_EQ(hot->GrowSizeByBorders(CSize(0, 0), st).cx - edit->GrowSizeByBorders(CSize(0, 0), st).cx, 13);
  auto* s = dynamic_cast<CGXSpinEdit*>(spin);
  ASSERT_NE(s, nullptr);
  s->LayoutChildren(1, 1, CRect(0, 0, 100, 21));
  EXPECT_TRUE(s->GetUpButton()->GetRect() == CRect(85, 1, 99, 10));
  EXPECT_TRUE(s->GetDownButton()->GetRect() == CRect(85, 10, 99, 20));
}

// A cell covering others is drawn over the whole range: its arrows and its box answer clicks there.
TEST_F(SpinCell, ArrowsAndBoxOfACoveringCellAnswerWhereDrawn) {
  Put(52519, "3");
  Store(2, 1);
  grid.SetCoveredCellsRowCol(2, 1, 3, 2);
  Put(52516, "0").SetHorizontalAlignment(DT_CENTER).SetVerticalAlignment(DT_VCENTER);
  Store(4, 3);
  grid.SetCoveredCellsRowCol(4, 3, 5, 4);
  const CRect spin = grid.CalcRectFromRowColEx(2, 1, 3, 2), box = grid.CalcRectFromRowColEx(4, 3, 5, 4);
  UiAutomation::Click(grid.m_hWnd, CPoint(spin.right - 8, spin.top + 5));
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(Value(2, 1), "4");
  UiAutomation::Click(grid.m_hWnd, box.CenterPoint());
  EXPECT_EQ(Value(4, 3), "1");
}

// The factory makes each cell type and registers the attributes with the editors they are shown in.
TEST(CellFactory, MakesTheCellTypesAndRegistersTheirAttributes) {
  GXStartGridLibrary();
  CGXGridCore grid;
  ExpectFactoryMakes(grid, {{52518, "CGXHotSpotEdit"},
                            {52519, "CGXSpinEdit"},
                            {52522, "CGXListBox"},
                            {52536, "CGXProgressCtrl"},
                            {52537, "CGXPasswordControl"}});
  CGXStylesMap map;
  GXGetLibraryData().m_pControlFactory->RegisterAllUserAttributes(&map);
  const struct {
    UINT id;
    const char* name;
    UINT editor;  // 0: the standard one
  } attrs[] = {{51014, "SpinBound: Min. Value", 52519}, {51015, "SpinBound: Max. Value", 52519},
               {51016, "SpinBound: Wrap Value", 52523}, {51021, "SpinEdit: start value", 52519},
               {51025, "Progress: Lower Bound", 0},     {51026, "Progress: Upper Bound", 0},
               {51027, "Progress: Caption", 0}};
  for (const auto& a : attrs) {
    const CGXStylesMap::UserAttributeEntry* e = map.GetUserAttributeEntry(a.id);
    ASSERT_NE(e, nullptr) << a.id;
    EXPECT_EQ(e->strName.str(), a.name);
    EXPECT_EQ(e->pStyle && e->pStyle->GetIncludeControl() ? e->pStyle->GetControl() : 0u, a.editor) << a.id;
  }
}

}  // namespace
