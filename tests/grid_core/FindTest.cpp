// Find and replace in the current cell's column: direction, case, the process's one dialog, and
// "replace all" as one undo step.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/Wnd.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FindGrid : public CGXGridCore {
 public:
  using CGXGridCore::CGXGridCore;
};

class GridFind : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    ASSERT_TRUE(grid.Initialize());
    grid.RegisterControl(52512, new CGXControl(&grid), TRUE, FALSE);  // the standard style's cell type
    Data().SetRowCount(6);
    Data().SetColCount(3);
    const char* col2[] = {"", "x", "ABC", "zz", "aBc", "q"};
    for (ROWCOL r = 1; r <= 6; ++r) Put(r, 2, col2[r - 1]);
    Put(2, 3, "abc");
    GXGetFindReplaceState().bNext = TRUE;
  }
  void TearDown() override { Automation::Instance().Reset(); }
  CGXData& Data() { return *grid.GetParam()->GetData(); }
  void Put(ROWCOL r, ROWCOL c, const char* v) {
    CGXStyle s;
    s.SetValue(v);
    Data().StoreStyleAt(r, c, &s, 0, 0);
  }
  ROWCOL CurrentRow() {
    ROWCOL r = 0, c = 0;
    grid.GetCurrentCell(r, c);
    return r;
  }
  FindGrid grid;
};

}  // namespace

TEST_F(GridFind, SearchesTheColumnInOneDirection) {
  struct Case {
    ROWCOL start, col;
    const char* text;
    BOOL down, matchCase;
    ROWCOL found;  // 0: not found, a beep
  } cases[] = {
      {1, 2, "abc", TRUE, FALSE, 3}, {3, 2, "abc", TRUE, FALSE, 5}, {5, 2, "abc", TRUE, FALSE, 0},
      {1, 2, "aBc", TRUE, TRUE, 5},  {6, 2, "ABC", FALSE, TRUE, 3}, {1, 2, "abc", FALSE, FALSE, 0},
      {1, 1, "abc", TRUE, FALSE, 0},  // the match in column 3 of row 2 is not found
      {6, 2, "q", TRUE, FALSE, 0},    // starting on the last row
  };
  for (const Case& c : cases) {
    Automation::Instance().ClearBeeps();
    ASSERT_TRUE(grid.SetCurrentCell(c.start, c.col));
    EXPECT_EQ(grid.FindText(c.text, c.down, c.matchCase), c.found != 0) << c.text << " from " << c.start;
    EXPECT_EQ(CurrentRow(), c.found ? c.found : c.start);
    EXPECT_EQ(Automation::Instance().Beeps().size(), c.found ? 0u : 1u);
  }
}

TEST_F(GridFind, ReplaceAllIsOneUndoStep) {
  ASSERT_TRUE(grid.SetCurrentCell(1, 2));
  grid.ReplaceAll("b", "-", FALSE);
  EXPECT_EQ(grid.GetValueRowCol(3, 2), "A-C");
  EXPECT_EQ(grid.GetValueRowCol(5, 2), "a-c");
  EXPECT_EQ(grid.GetValueRowCol(2, 3), "abc");  // another column
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.GetValueRowCol(3, 2), "ABC");
  EXPECT_EQ(grid.GetValueRowCol(5, 2), "aBc");
  EXPECT_FALSE(grid.CanUndo());

  Automation::Instance().ClearBeeps();
  grid.ReplaceAll("nothing", "-", FALSE);
  EXPECT_EQ(Automation::Instance().Beeps().size(), 1u);
  grid.ReplaceAll("", "-", FALSE);  // an empty find text replaces nothing
  EXPECT_EQ(grid.GetValueRowCol(3, 2), "ABC");
}

// Undo and redo of Replace All give each cell back its own style: a value alone, a value with other
// attributes, or no style of its own (the value shown comes from the column's).
TEST_F(GridFind, UndoOfReplaceAllRestoresEachCellsOwnStyle) {
  grid.SetStyleRange(CGXRange().SetColRange(3, 3), &CGXStyle().SetValue("ab"));
  Put(1, 3, "ab");
  Data().StoreStyleAt(3, 3, &CGXStyle().SetValue("ab").SetTextColor(RGB(255, 0, 0)), 0, 0);
  Data().StoreStyleAt(5, 3, &CGXStyle().SetValue("cab").SetUserAttribute(1, "u"), 0, 0);
  grid.GetParam()->EmptyUndoList();
  auto cells = [&] {
    std::string out;
    for (ROWCOL r = 1; r <= 6; ++r) {
      CGXStyle s;
      if (!Data().GetStyleAt(r, 3, s, 2, 0)) {
        out += "- ";
        continue;
      }
      out += std::to_string(s.GetIncludeMask()) + ":" + s.GetValue().str();
      if (s.GetIncludeTextColor()) out += ":" + std::to_string(s.GetTextColor());
      if (s.GetIncludeUserAttributes()) out += ":" + s.GetUserAttribute(1).str();
      out += " ";
    }
    return out;
  };
  const std::string before = cells();
  EXPECT_EQ(before, "1024:ab 1024:abc 1056:ab:255 - 263168:cab:u - ");
  ASSERT_TRUE(grid.SetCurrentCell(1, 3));
  grid.ReplaceAll("b", "-", FALSE);
  const std::string after = cells();
  EXPECT_EQ(after, "1024:a- 1024:a-c 1056:a-:255 1024:a- 263168:ca-:u 1024:a- ");
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(cells(), before) << round;
    ASSERT_TRUE(grid.Redo());
    EXPECT_EQ(cells(), after) << round;
  }
}

TEST_F(GridFind, OneDialogPerProcessFollowsItsOwner) {
  CWnd host;
  ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
  grid.m_pGridWnd = &host;
  GXFindReplaceState& state = GXGetFindReplaceState();
  grid.OnShowFindReplaceDialog(FALSE);
  ASSERT_TRUE(state.pDialog);
  EXPECT_FALSE(state.bFindOnly);
  grid.OnShowFindReplaceDialog(TRUE);  // the replace dialog gives way to a find dialog
  ASSERT_TRUE(state.pDialog);
  EXPECT_TRUE(state.bFindOnly);
  EXPECT_EQ(state.pGrid, &grid);
  {
    FindGrid other;
    ASSERT_TRUE(other.Initialize());
    other.GetParam()->GetData()->SetRowCount(2);
    other.GetParam()->GetData()->SetColCount(2);
    other.m_pGridWnd = &host;
    other.OnShowFindReplaceDialog(TRUE);
    EXPECT_EQ(state.pGrid, &other);
  }
  EXPECT_EQ(state.pGrid, nullptr);  // the owner's end closed the dialog
  EXPECT_EQ(state.pDialog, nullptr);
  grid.OnShowFindReplaceDialog(TRUE);
  EXPECT_TRUE(state.pDialog);
  GXForgetFindReplaceOwner(&grid);
  grid.m_pGridWnd = nullptr;
  host.DestroyWindow();
}

// A cell whose control does not edit in place keeps its text round the replaced match.
TEST_F(GridFind, ReplaceInACellNotEditedInPlaceTakesOnlyTheMatch) {
  const struct {
    ROWCOL row;       // current before the press
    const char* was;  // that cell's value afterwards
    ROWCOL next;      // current afterwards
    size_t beeps;
  } presses[] = {{3, "A-C", 5, 0}, {5, "a-c", 5, 1}, {5, "a-c", 5, 2}};
  ASSERT_TRUE(grid.SetCurrentCell(3, 2));
  Automation::Instance().ClearBeeps();
  for (const auto& p : presses) {
    EXPECT_EQ(CurrentRow(), p.row);
    grid.ReplaceText("b", TRUE, FALSE, "-");
    EXPECT_EQ(grid.GetValueRowCol(p.row, 2), p.was);
    EXPECT_EQ(CurrentRow(), p.next);
    EXPECT_EQ(Automation::Instance().Beeps().size(), p.beeps);
  }
  EXPECT_EQ(grid.GetValueRowCol(2, 3), "abc");
}
