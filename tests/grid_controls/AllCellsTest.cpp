// One grid holding a cell of each picking, stepping and masked type, driven by posted messages only.
#include "grid/controls/GXComboBox.h"
#include "grid/controls/GXComboBoxWnd.h"
#include "grid/engine/GXGridCore.h"

#include "platform/ui/UiAutomation.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using AllCells = CellGrid;

void Type(const char* text) { UiAutomation::TypeText(text); }

TEST_F(AllCells, EachTypeTakesItsValueFromPostedMessages) {
  grid.SetRowCount(11);
  grid.SetRowHeight(1, 11, 22);
  grid.SetRowHeight(5, 5, 48);
  const char* const colours = "Red\nGreen\nBlue";
  const struct {
    UINT control;
    const char *value, *choices;
  } cells[] = {
      {52519, "5", nullptr},        {52537, "", nullptr},           {52535, "", nullptr},
      {52518, "spot", nullptr},     {52522, "Green", colours},      {52517, "Red", colours},
      {52529, "Blue", colours},     {52542, "1", "Colours\nRed\nGreen\nBlue"},
      {52541, "1", "1\tRed\t#F00\n2\tGreen\t#0F0"}, {52536, "30", nullptr},
  };
  ROWCOL row = 1;
  for (const auto& c : cells) {
    CGXStyle& s = Put(c.control, c.value, c.choices);
    if (c.control == 52535) s.SetUserAttribute(51023, "###-####");
    if (c.control == 52536) s.SetUserAttribute(51025, "0").SetUserAttribute(51026, "100").SetUserAttribute(51027, "%d%%");
    if (c.control == 52541) s.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1");
    Store(row++, 1);
  }
  auto rect = [&](ROWCOL r) { return grid.CalcRectFromRowCol(r, 1); };
  // Spin: one step up.
  Click(CPoint(rect(1).right - 8, rect(1).top + 4));
  // Password and mask: typed.
  Click(CPoint(rect(2).left + 6, rect(2).CenterPoint().y));
  Type("pw1");
  Click(CPoint(rect(3).left + 6, rect(3).CenterPoint().y));
  Type("5551234");
  // Hot spot: its button reports the click.
  Click(CPoint(rect(4).right - 8, rect(4).top + 7));
  // List box: the third line clicked.
  Click(CPoint(rect(5).left + 8, rect(5).CenterPoint().y));
  Key(VK_DOWN);
  Key(VK_DOWN);
  // Combo: Alt+Down opens its list, which is saved open; Down and Enter take Green.
  Click(CPoint(rect(6).left + 6, rect(6).CenterPoint().y));
  PostKeyInput(WM_SYSKEYDOWN, VK_DOWN, 1 | (1 << 29));
  ::PumpMessages();
  auto* combo = dynamic_cast<CGXComboBox*>(grid.GetRegisteredControl(52517));
  ASSERT_NE(combo, nullptr);
  ASSERT_NE(combo->GetDropDownWnd(), nullptr);
  Repaint();
  SaveWindowImage(&grid, dravonix::test::OutputPath("grid_all_cells.png").c_str());
  SaveWindowImage(combo->GetDropDownWnd(), dravonix::test::OutputPath("grid_all_cells_list.png").c_str());
  Key(VK_DOWN);
  Key(VK_RETURN);
  // Native combo: its arrow opens the list; Up and Enter take Green.
  Click(CPoint(rect(7).right - 8, rect(7).top + 5));
  EXPECT_TRUE(dynamic_cast<CGXComboBoxWnd*>(grid.GetRegisteredControl(52529))->GetDroppedState());
  Key(VK_UP);
  Key(VK_RETURN);
  Click(CPoint(rect(11).left + 6, rect(11).CenterPoint().y));

  const struct {
    ROWCOL row;
    const char* value;
  } expected[] = {{1, "6"}, {2, "pw1"}, {3, "5551234"}, {4, "spot"}, {5, "Blue"},
                  {6, "Green"}, {7, "Green"}, {8, "1"}, {9, "1"}, {10, "30"}};
  for (const auto& e : expected) EXPECT_EQ(Value(e.row, 1), e.value) << e.row;
  // Spin, hot-spot and native combo buttons all tell the grid.
  using Cell = std::pair<ROWCOL, ROWCOL>;
  EXPECT_EQ(grid.clicks, (std::vector<Cell>{{1, 1}, {4, 1}, {7, 1}}));
}

// Focus moving from a cell's window to a sibling of the grid ends the edit: the typed text is stored
// and the cell is no longer active.
TEST_F(AllCells, TypedTextIsStoredWhenTheFocusGoesToASibling) {
  CEdit sibling;
  ASSERT_TRUE(sibling.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(500, 360, 600, 390), &parent, 9));
  const struct {
    UINT control;
    const char *typed, *stored;
  } cases[] = {
      {52512, "xy", "xy"}, {52535, "12", "12"}, {52537, "xy", "xy"}, {52519, "12", "12"},
      {52518, "xy", "xy"}, {52517, "xy", "xy"}, {52528, "xy", "xy"}, {52534, "xy", " oldxy}"},
  };
  for (const auto& c : cases) {
    CGXStyle& s = Put(c.control, "old", "Red\nGreen");
    if (c.control == 52535) s.SetUserAttribute(51023, "##");
    Store(1, 1);
    grid.SetFocus();
    Click(Centre(1, 1));
    Type(c.typed);
    ASSERT_TRUE(Control(1, 1)->IsActive()) << c.control;
    ASSERT_NE(::GetFocus(), grid.m_hWnd) << c.control;
    sibling.SetFocus();
    ::PumpMessages();
    if (c.control == 52534)  // the click put the caret behind the old text; the value is rich text
      EXPECT_NE(Value(1, 1).find(c.stored), std::string::npos) << Value(1, 1);
    else
      EXPECT_EQ(Value(1, 1), c.stored) << c.control;
    EXPECT_FALSE(Control(1, 1)->IsActive()) << c.control;
    EXPECT_FALSE(Control(1, 1)->GetModify()) << c.control;
  }
}

}  // namespace
