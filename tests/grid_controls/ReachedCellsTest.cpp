// The cell types as a user meets them in a grid view of an MDI child: posted clicks, drags and
// keys, the values they leave and the picture against a full repaint after each.
#include "grid/controls/GXComboBox.h"
#include "grid/controls/GXRichEditCtrl.h"
#include "grid/controls/GXBDTGadget.h"
#include "grid/controls/GXBDateTimeCtrl.h"
#include "grid/controls/GXComboBoxWnd.h"
#include "grid/controls/GXDateTimeCtrl.h"
#include "grid/controls/GXBCalendar.h"
#include "grid/controls/GXRecordInfoBeam.h"
#include "grid/controls/GXRecordInfoWnd.h"
#include "grid/controls/GXTabWnd.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/core/Clock.h"
#include "tests/grid_controls/CellScene.h"
#include "tests/support/BarPresses.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

using namespace dravonix::test;
using UiAutomation::kAlt;
using UiAutomation::kControl;

namespace {

// A host that shows the count of clicks in cell (4, 2) at once.
class CClickCountView : public CGXGridView {
  DECLARE_DYNCREATE(CClickCountView)
 public:
  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override {
    ++clicks;
    CGXGridView::OnClickedButtonRowCol(nRow, nCol);
    CGXStyle count;
    count.SetValue(std::to_string(clicks).c_str());
    SetStyleRange(CGXRange().SetCellRange(4, 2, 4, 2), &count);
    CWnd::UpdateWindow();
  }
  int clicks = 0;
};
IMPLEMENT_DYNCREATE(CClickCountView, CGXGridView)

CGXStyle Cell(UINT control, const char* value, const char* choices = nullptr) {
  CGXStyle s;
  s.SetControl(control).SetValue(value);
  if (choices) s.SetChoiceList(choices);
  return s;
}

// A row's action on the scene of its test.
#define ACT(body) [&](CellScene&) { body; }

// Cells clicked, then their column narrowed to a few pixels: buttons and windows stay inside the
// cell (found by the cell walk).
TEST(ReachedCells, CellsInANarrowedColumnStayInTheirCell) {
  for (UINT id : {52514u, 52517u, 52518u, 52519u, 52534u}) {
    CellScene s;
    s.Put(2, 2, Cell(id, "5", "Red\nGreen"));
    s.Click(2, 2, 4);
    s.Key(VK_ESCAPE);
    s.Key(VK_ESCAPE);
    for (int width = 6; width >= 1; --width) {
      s.grid->SetColWidth(2, 2, width);
      EXPECT_EQ(0, s.Off()) << id << " in " << width << " px";
    }
  }
}

// A list clicked, then its column sized: the cell's paint leaves the list's scroll bar drawn (found by
// the cell walk).
TEST(ReachedCells, AClickedListKeepsItsScrollBarWhenItsColumnIsSized) {
  CellScene s;
  s.Put(2, 2, Cell(52522, "Two", "One\nTwo\nThree\nFour\nFive\nSix"));
  s.Click(2, 2);
  s.Key(VK_ESCAPE);
  s.Key(VK_ESCAPE);
  for (int width : {100, 120}) {
    s.grid->SetColWidth(2, 2, width);
    EXPECT_EQ(0, s.Off()) << width << " px";
  }
}

// Typing at the end of a text wider than its column: the window keeps the scroll the typing chose.
TEST(ReachedCells, TextTypedPastTheColumnsEdgeStaysWhereTheTypingScrolledIt) {
  CellScene s;
  s.Put(2, 2, Cell(52512, "a rather long text that is wider").SetWrapText(FALSE));
  ExpectRows(s, {
                    {"End", ACT(s.Click(2, 2); s.Key(VK_END)), 2, 2, nullptr, "2,2"},
                    {"x", ACT(s.Type("x")), 2, 2, nullptr},
                    {"yz", ACT(s.Type("yz")), 2, 2, nullptr},
                    {"stored", ACT(s.Key(VK_RETURN)), 2, 2, "a rather long text that is widerxyz"},
                });
}

TEST(ReachedCells, StaticTextIsShownNeverEdited) {
  CellScene s;
  s.Put(1, 1, Cell(52513, "left"));
  s.Put(2, 1, Cell(52513, "right").SetHorizontalAlignment(DT_RIGHT));
  s.Put(3, 1, Cell(52513, "a long text wrapped over lines").SetWrapText(TRUE));
  ExpectRows(s, {
                    {"click", ACT(s.Click(1, 1)), 1, 1, "left", "1,1"},
                    {"typing", ACT(s.Type("xy")), 1, 1, "left", "1,1"},
                    {"down onto right", ACT(s.Key(VK_DOWN)), 2, 1, "right", "2,1"},
                    {"Delete clears", ACT(s.Key(VK_DELETE)), 2, 1, "", "2,1"},
                    {"down onto wrapped", ACT(s.Key(VK_DOWN)), 3, 1, "a long text wrapped over lines", "3,1"},
                    {"click away", ACT(s.Click(5, 3)), 3, 1, "a long text wrapped over lines", "5,3"},
                });
}

TEST(ReachedCells, ButtonChildrenClickOnPressReleaseOrSpace) {
  CellScene s(RUNTIME_CLASS(CClickCountView));
  auto& view = *static_cast<CClickCountView*>(s.grid);
  s.Put(1, 2, Cell(52514, "Press"));
  s.Put(2, 2, Cell(52519, "5"));
  s.Put(3, 2, Cell(52518, "spot"));
  s.Put(4, 2, Cell(52514, "0").SetChoiceList("Count"));
  auto clicks = [&](int n) { return [&view, n](CellScene&) { EXPECT_EQ(n, view.clicks); }; };
  const CPoint in = s.At(1, 2), out = s.At(4, 4);
  ExpectRows(s, {
                    {"push clicked", ACT(s.Click(1, 2)), 1, 2, "Press", "1,2"},
                    {"one click", clicks(1), 1, 2, nullptr},
                    {"released outside", ACT(s.Stroke({in, out})), 1, 2, nullptr, "1,2"},
                    {"still one", clicks(1), 1, 2, nullptr},
                    {"out and back", ACT(s.Stroke({in, out, in})), 1, 2, nullptr},
                    {"two", clicks(2), 1, 2, nullptr},
                    {"space", ACT(s.Key(VK_SPACE)), 1, 2, "Press"},
                    {"three", clicks(3), 1, 2, nullptr},
                    {"spin up", ACT(s.Click(2, 2, -8, 5)), 2, 2, nullptr, "2,2"},
                    {"stepped once", ACT(s.Key(VK_RETURN)), 2, 2, "6"},
                    {"spin down twice", ACT(s.Click(2, 2, -8, -5); s.Click(2, 2, -8, -5)), 2, 2, nullptr, "2,2"},
                    {"stepped twice", ACT(s.Click(5, 4)), 2, 2, "4", "5,4"},
                    {"pressed then out", ACT(s.Stroke({s.At(2, 2, -8, 5), out})), 2, 2, nullptr},
                    {"first step only", ACT(s.Click(5, 4)), 2, 2, "5", "5,4"},
                    {"hot spot", ACT(view.clicks = 0; s.Click(3, 2); s.Click(3, 2, -8, 7)), 3, 2, "spot", "3,2"},
                    {"hot spot reported", clicks(1), 3, 2, nullptr},
                });
}

TEST(ReachedCells, AHeldSpinArrowStepsUntilReleased) {
  Clock::UseVirtualTime(10000);
  {
    CellScene s;
    s.Put(2, 2, Cell(52519, "0"));
    s.Click(2, 2);
    const CPoint up = s.At(2, 2, -8, 5);
    const ULONGLONG pressed = Clock::Now();
    bool released = false;
    const int hook = Clock::AddHook([&](ULONGLONG, ULONGLONG now) {
      if (now - pressed >= 1200 && !released)
        released = true, PostMouseInput(s.View(), WM_LBUTTONUP, 0, POINT{up.x, up.y});
    });
    PostMouseInput(s.View(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{up.x, up.y});
    UiAutomation::Pump();
    Clock::RemoveHook(hook);
    EXPECT_TRUE(released);
    // At once, after 500 ms, then 150, 145, 140, 135 ms.
    EXPECT_EQ("6", s.Shown());
    EXPECT_EQ(0, s.Off());
  }
  Clock::UseRealTime();
}

TEST(ReachedCells, CheckBoxesToggleByClickAndSpace) {
  CellScene s;
  s.Put(1, 2, Cell(52516, "yes"));
  s.Put(2, 2, Cell(52516, "1").SetTriState(TRUE));
  s.Put(3, 2, Cell(52523, "0").SetReadOnly(TRUE));
  const CPoint box = s.At(1, 2, 9, 9), corner = s.At(1, 2, -5, -5);
  ExpectRows(s, {
                    {"click two-state", ACT(s.Click(1, 2, 9, 9)), 1, 2, "1", "1,2"},
                    {"again", ACT(s.Click(1, 2, 9, 9)), 1, 2, "0"},
                    {"space", ACT(s.Key(VK_SPACE)), 1, 2, "1"},
                    {"released outside", ACT(s.Stroke({box, corner})), 1, 2, "1"},
                    {"out and back", ACT(s.Stroke({box, corner, box})), 1, 2, "0"},
                    {"outside the box", ACT(s.Click(1, 2, -5, -5)), 1, 2, "0"},
                    {"tri-state", ACT(s.Click(2, 2, 9, 9)), 2, 2, "0", "2,2"},
                    {"to indeterminate", ACT(s.Click(2, 2, 9, 9)), 2, 2, ""},
                    {"to checked", ACT(s.Key(VK_SPACE)), 2, 2, "1"},
                    {"read-only clicked", ACT(s.Click(3, 2, 9, 9)), 3, 2, "0", "3,2"},
                    {"read-only space", ACT(s.Key(VK_SPACE)), 3, 2, "0", "3,2"},
                    {"header follows", ACT(s.Key(VK_UP); s.Key(VK_RIGHT)), 2, 3, "", "2,3"},
                });
}

// Clicks, strokes and Space on check boxes against a model of their values, each picture held.
TEST(ReachedCells, RandomPressesOnCheckBoxesFollowTheModel) {
  CellScene s;
  s.Put(1, 2, Cell(52516, "0"));
  s.Put(2, 2, Cell(52523, "1").SetTriState(TRUE));
  s.Put(3, 2, Cell(52516, "0").SetReadOnly(TRUE));
  std::string model[4] = {"", "0", "1", "0"};
  auto toggle = [&](ROWCOL r) {
    std::string& v = model[r];
    if (r == 3) return;
    v = v == "1" ? "0" : (r == 2 && v == "0") ? "" : "1";
  };
  std::mt19937 rnd(86);
  ROWCOL current = 0;
  std::string done;
  for (int step = 0; step < 40; ++step) {
    const int op = (int)(rnd() % 5);
    const ROWCOL r = 1 + rnd() % 3;
    const CPoint box = s.At(r, 2, 9, 9), out = s.At(r, 2, -5, -5);
    done += std::to_string(op) + "@" + std::to_string(r) + " ";
    switch (op) {
      case 0: s.Click(r, 2, 9, 9), toggle(r), current = r; break;
      case 1:
        if (current) s.Key(VK_SPACE), toggle(current);
        break;
      case 2: s.Stroke({box, out}), current = r; break;
      case 3: s.Stroke({box, out, box}), toggle(r), current = r; break;
      default: s.Click(r, 3), current = 0; break;
    }
    for (ROWCOL row = 1; row <= 3; ++row) ASSERT_EQ(model[row], s.Value(row, 2)) << done;
    ASSERT_EQ(0, s.Off()) << done;
  }
}

// The combo at a cell: whether its list is open and what it shows.
auto Combo(ROWCOL r, ROWCOL c, bool open, const char* shown) {
  return [=](CellScene& s) {
    auto* combo = dynamic_cast<CGXComboBox*>(s.grid->GetControl(r, c));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(open, combo->IsDroppedDown() != FALSE) << s.Current();
    EXPECT_EQ(shown, s.Shown()) << s.Current();
  };
}
// A click on the n-th line of the open list.
void ClickLine(CellScene& s, ROWCOL r, ROWCOL c, int n) {
  auto* combo = dynamic_cast<CGXComboBox*>(s.grid->GetControl(r, c));
  ASSERT_TRUE(combo && combo->GetDropDownWnd());
  HWND list = combo->GetDropDownWnd()->GetListBox()->GetSafeHwnd();
  const int h = (int)::SendMessage(list, LB_GETITEMHEIGHT, 0, 0);
  UiAutomation::Click(list, POINT{10, h * n + h / 2});
}

TEST(ReachedCells, ComboListsOpenTakeAndDropChoices) {
  CellScene s;
  const char* colours = "Red\nGreen\nBlue";
  s.Put(1, 1, Cell(52517, "Red", colours));
  s.Put(2, 1, Cell(52531, "2", "One\nTwo\nThree"));
  s.Put(3, 1, Cell(52527, "", "ABC\nabd"));
  s.Put(4, 1, Cell(52517, "Red", colours).SetReadOnly(TRUE));
  s.Put(5, 1, Cell(52517, "Red", colours));
  ExpectRows(s, {
                    {"arrow opens", ACT(s.Click(1, 1, -8)), 1, 1, "Red", "1,1"},
                    {"open", Combo(1, 1, true, "Red"), 1, 1, nullptr},
                    {"arrow closes", ACT(s.Click(1, 1, -8)), 1, 1, "Red", "1,1"},
                    {"closed", Combo(1, 1, false, "Red"), 1, 1, nullptr},
                    {"Alt+Down", ACT(s.Key(VK_DOWN, kAlt); s.Key(VK_DOWN)), 1, 1, "Red", "1,1"},
                    {"copied", Combo(1, 1, true, "Green"), 1, 1, nullptr},
                    {"Esc", ACT(s.Key(VK_ESCAPE)), 1, 1, "Red", "1,1"},
                    {"kept", Combo(1, 1, false, "Green"), 1, 1, nullptr},
                    {"Enter stores", ACT(s.Key(VK_RETURN)), 1, 1, "Green"},
                    {"index cell", ACT(s.Click(2, 1, -8); ClickLine(s, 2, 1, 0)), 2, 1, "2", "2,1"},
                    {"line taken", Combo(2, 1, false, "One"), 1, 1, nullptr},
                    {"stored as index", ACT(s.Click(5, 3)), 2, 1, "1", "5,3"},
                    {"click while open", ACT(s.Click(2, 1, -8); s.Click(5, 3)), 2, 1, "1", "2,1"},
                    {"closed by it", Combo(2, 1, false, "One"), 1, 1, nullptr},
                    {"typed fits", ACT(s.Click(3, 1); s.Type("ab"); s.Key(VK_RETURN)), 3, 1, "ABC"},
                    {"read-only", ACT(s.Click(4, 1, -8); s.Key(VK_DOWN); s.Key(VK_RETURN); s.Click(5, 3)), 4, 1, "Red"},
                    {"Tab moves on",
                     ACT(s.Click(5, 1, -8); s.Key(VK_DOWN); s.Key(VK_DOWN); s.Key(VK_TAB)), 5, 1, "Blue", "5,2"},
                });
}

// A cell partly shown at the bottom, inactive and then active: the click on its arrow scrolls it into
// view; the arrow is drawn raised where the cell went and the list opens under the cell. A Windows
// combo's arrow opens its list though its cell moved from under the mouse.
TEST(ReachedCells, AComboArrowClickedAtTheEdgeActsWhereTheCellWent) {
  CellScene s;
  s.grid->SetRowCount(12);
  s.grid->SetRowHeight(7, 12, 24);
  s.Put(10, 1, Cell(52517, "Red", "Red\nGreen\nBlue"));
  s.Put(11, 2, Cell(52528, "Red", "Red\nGreen\nBlue"));
  auto under = [](CellScene& sc) {
    CRect cell = sc.grid->CalcRectFromRowCol(10, 1), list;
    sc.grid->ClientToScreen(&cell);
    dynamic_cast<CGXComboBox*>(sc.grid->GetControl(10, 1))->GetDropDownWnd()->GetWindowRect(&list);
    EXPECT_EQ(cell.bottom - 1, list.top);
  };
  ExpectRows(s, {
                    {"arrow opens", ACT(s.Click(10, 1, -8, 6)), 10, 1, "Red", "10,1"},
                    {"open", Combo(10, 1, true, "Red"), 10, 1, nullptr},
                    {"Esc", ACT(s.Key(VK_ESCAPE)), 10, 1, "Red", "10,1"},
                    {"typed", ACT(s.Key(VK_END); s.Type("x")), 10, 1, "Red", "10,1"},
                    {"scrolled by the bar", ACT(bars::Press(s.View(), kUpArrow)), 10, 1, "Red", "10,1"},
                    {"active arrow", ACT(s.Click(10, 1, -8, 6)), 10, 1, "Red", "10,1"},
                    {"open under", under, 10, 1, nullptr},
                    {"a Windows combo's arrow", ACT(s.Key(VK_ESCAPE); s.Key(VK_ESCAPE); s.Click(11, 2, -8, 6)), 11, 2,
                     "Red", "11,2"},
                    {"its list open", ACT(EXPECT_TRUE(dynamic_cast<CGXComboBoxWnd*>(s.grid->GetControl(11, 2))->GetDroppedState())),
                     11, 2, nullptr},
                });
  EXPECT_EQ(3u, s.grid->GetTopRow());
}

TEST(ReachedCells, ListBoxesSelectByClickAndKeysAndStoreOnLeaving) {
  CellScene s;
  s.grid->SetRowHeight(1, 4, 60);
  const char* lines = "One\nTwo\nThree\nFour";
  s.Put(2, 1, Cell(52522, "Three", lines));
  s.Put(3, 1, Cell(52522, "Four", lines));
  s.Put(4, 1, Cell(52522, "One", lines).SetReadOnly(TRUE));
  auto shown = [](const char* text) { return [=](CellScene& sc) { EXPECT_EQ(text, sc.Shown()); }; };
  ExpectRows(s, {
                    {"click the top line", ACT(s.Click(2, 1, 0, 6)), 2, 1, "Three", "2,1"},
                    {"selected", shown("One"), 2, 1, nullptr},
                    {"Down", ACT(s.Key(VK_DOWN)), 2, 1, "Three", "2,1"},
                    {"moved", shown("Two"), 2, 1, nullptr},
                    {"Enter stores, moves", ACT(s.Key(VK_RETURN)), 2, 1, "Two", "2,2"},
                    {"click, End", ACT(s.Click(3, 1, 0, 6); s.Key(VK_END)), 3, 1, "Four", "3,1"},
                    {"Ctrl+Up to the grid", ACT(s.Key(VK_UP, kControl)), 3, 1, "Four", "1,1"},
                    {"Right to the grid", ACT(s.Click(2, 1, 0, 6); s.Key(VK_RIGHT)), 2, 1, "One", "2,2"},
                    {"read-only", ACT(s.Click(4, 1, 0, 6); s.Key(VK_DOWN); s.Key(VK_RETURN)), 4, 1, "One", "4,2"},
                });
}

// The line drawn under the mouse is the one taken: in a cell the click scrolls into view, and in
// one that skips lines to show its value.
TEST(ReachedCells, AListCellTakesTheLineDrawnUnderTheMouse) {
  CellScene s;
  const char* lines = "One\nTwo\nThree\nFour\nFive\nSix";
  s.grid->SetRowHeight(3, 3, 40);
  s.grid->SetRowHeight(5, 5, 200);  // partly shown at the bottom
  s.Put(3, 1, Cell(52522, "Four", lines));
  s.Put(5, 1, Cell(52522, "Two", lines));
  auto shown = [](const char* text) { return [=](CellScene& sc) { EXPECT_EQ(text, sc.Shown()); }; };
  ExpectRows(s, {
                    {"top line shown", ACT(s.Click(3, 1, 0, 6)), 3, 1, "Four", "3,1"},
                    {"Three", shown("Three"), 3, 1, nullptr},
                    {"second line shown", ACT(s.Key(VK_ESCAPE); s.Click(1, 1); s.Click(3, 1, 0, 22)), 3, 1, "Four"},
                    {"Four", shown("Four"), 3, 1, nullptr},
                    {"top line of a scrolled cell", ACT(s.Click(5, 1, 0, 6)), 5, 1, "Two", "5,1"},
                    {"One", shown("One"), 5, 1, nullptr},
                    {"Tab stores it", ACT(s.Key(VK_TAB)), 5, 1, "One", "5,2"},
                });
}

TEST(ReachedCells, WindowsCombosChooseKeepAndClear) {
  CellScene s;
  const char* colours = "Red\nGreen\nBlue";
  s.Put(2, 1, Cell(52529, "Gr", colours));
  s.Put(3, 2, Cell(52528, "abc", colours));
  s.Put(4, 1, Cell(52529, "Red", colours).SetReadOnly(TRUE));
  auto state = [](ROWCOL r, ROWCOL c, bool open, const char* shown) {
    return [=](CellScene& sc) {
      auto* combo = dynamic_cast<CGXComboBoxWnd*>(sc.grid->GetControl(r, c));
      ASSERT_NE(combo, nullptr);
      EXPECT_EQ(open, combo->GetDroppedState() != FALSE);
      EXPECT_EQ(shown, sc.Shown());
    };
  };
  ExpectRows(s, {
                    {"arrow opens", ACT(s.Click(2, 1, -8, 6)), 2, 1, "Gr", "2,1"},
                    {"prefix selected", state(2, 1, true, "Green"), 2, 1, nullptr},
                    {"Down, Enter", ACT(s.Key(VK_DOWN); s.Key(VK_RETURN)), 2, 1, "Gr", "2,1"},
                    {"chosen", state(2, 1, false, "Blue"), 2, 1, nullptr},
                    {"Tab stores", ACT(s.Key(VK_TAB)), 2, 1, "Blue", "2,2"},
                    {"Esc, Delete clears", ACT(s.Click(2, 1, -8, 6); s.Key(VK_ESCAPE); s.Key(VK_DELETE)), 2, 1, "",
                     "2,1"},
                    {"caret moves", ACT(s.Click(3, 2, 8, 6); s.Key(VK_END); s.Key(VK_LEFT)), 3, 2, "abc", "3,2"},
                    {"Left at the start", ACT(s.Key(VK_HOME); s.Key(VK_LEFT)), 3, 2, "abc", "3,1"},
                    {"typed", ACT(s.Click(3, 2, 8, 6); s.Key(VK_END); s.Type("de"); s.Key(VK_TAB)), 3, 2, "abcde",
                     "3,3"},
                    {"read-only snaps back", ACT(s.Click(4, 1, -8, 6); s.Key(VK_DOWN); s.Key(VK_RETURN)), 4, 1, "Red"},
                    {"shown back", state(4, 1, false, "Red"), 4, 1, nullptr},
                    {"left", ACT(s.Key(VK_TAB)), 4, 1, "Red", "4,2"},
                });
}

TEST(ReachedCells, MaskedCellsTakeTypedCharactersByTheirPlace) {
  CellScene s;
  s.grid->SetColWidth(1, 1, 160);
  auto mask = [](const char* m, const char* value) { return Cell(52535, value).SetUserAttribute(51023, m); };
  s.Put(1, 1, mask("(###) ###-####", ""));
  s.Put(2, 1, mask("LLL", ""));
  s.Put(3, 1, mask("(###) ###-####", "123"));
  s.Put(4, 1, mask("###-####", "1234567"));
  auto shown = [](const char* text) { return [=](CellScene& sc) { EXPECT_EQ(text, sc.Shown()); }; };
  ExpectRows(s, {
                    {"digits fill the groups", ACT(s.Click(1, 1); s.Type("5551234567")), 1, 1, "", "1,1"},
                    {"shown between literals", shown("(555) 123-4567"), 1, 1, nullptr},
                    {"stored alone", ACT(s.Key(VK_RETURN)), 1, 1, "5551234567"},
                    {"letters lowered", ACT(s.Click(2, 1); s.Type("AbC"); s.Key(VK_RETURN)), 2, 1, "abc"},
                    {"a short value", ACT(s.Click(3, 1); s.Key(VK_END)), 3, 1, "123", "3,1"},
                    {"prompts in the rest", shown("(123) ___-____"), 3, 1, nullptr},
                    {"typed past the literal", ACT(s.Type("4"); s.Key(VK_RETURN)), 3, 1, "1234"},
                    {"Backspace after a literal", ACT(s.Click(4, 1); s.Key(VK_HOME); for (int i = 0; i < 3; ++i) s.Key(VK_RIGHT);
                                                      s.Key(VK_BACK)),
                     4, 1, "1234567", "4,1"},
                    {"shifted back", shown("124-567_"), 4, 1, nullptr},
                    {"overwrite", ACT(s.Key(VK_INSERT); s.Type("9"); s.Key(VK_RETURN)), 4, 1, "129567"},
                });
}

TEST(ReachedCells, TabbedCombosStoreTheKeyAndShowTheText) {
  CellScene s;
  const char* rows = "1\tRed\t#F00\n2\tGreen\t#0F0\n3\tBlue\t#00F";
  auto tabbed = [&](UINT id, const char* value) {
    return Cell(id, value, rows).SetUserAttribute(51028, "0").SetUserAttribute(51029, "1").SetUserAttribute(51031, "0");
  };
  s.Put(1, 1, tabbed(52541, "1"));
  s.Put(2, 1, tabbed(52541, ""));
  s.Put(3, 1, tabbed(52539, "2"));
  s.Put(4, 1, tabbed(52540, "3"));
  auto shown = [](const char* text) { return [=](CellScene& sc) { EXPECT_EQ(text, sc.Shown()); }; };
  ExpectRows(s, {
                    {"arrow opens", ACT(s.Click(1, 1, -8)), 1, 1, "1", "1,1"},
                    {"Down, Enter", ACT(s.Key(VK_DOWN); s.Key(VK_RETURN)), 1, 1, "1", "1,1"},
                    {"text shown", shown("Green"), 1, 1, nullptr},
                    {"key stored", ACT(s.Key(VK_TAB)), 1, 1, "2", "1,2"},
                    {"a letter completes", ACT(s.Click(2, 1); s.Type("B")), 2, 1, "", "2,1"},
                    {"completed", shown("Blue"), 2, 1, nullptr},
                    {"its key stored", ACT(s.Key(VK_TAB)), 2, 1, "3", "2,2"},
                    {"Windows variant", ACT(s.Click(3, 1, -8, 6); s.Key(VK_DOWN); s.Key(VK_RETURN); s.Key(VK_TAB)), 3, 1,
                     "3", "3,2"},
                    {"drop-down list", ACT(s.Click(4, 1, -8, 6); s.Key(VK_UP); s.Key(VK_RETURN); s.Key(VK_TAB)), 4, 1,
                     "2", "4,2"},
                });
}

TEST(ReachedCells, RichCellsTakeTypedTextAndLeaveAtTheirEdges) {
  CellScene s;
  s.Put(1, 2, Cell(52534, "{old}"));
  s.Put(2, 2, Cell(52534, ""));
  s.Put(3, 2, Cell(52534, "").SetAutoSize(TRUE).SetAllowEnter(TRUE));
  auto firstLine = [](int line) {
    return [=](CellScene& sc) {
      EXPECT_EQ(line, dynamic_cast<CRichEditCtrl*>(sc.grid->GetControl(3, 2))->GetFirstVisibleLine());
    };
  };
  // The stored document read back as text.
  auto reads = [](ROWCOL r, ROWCOL c, const char* text) {
    return [=](CellScene& sc) {
      CString shown;
      sc.grid->GetControl(r, c)->GetDisplayText(shown, r, c, nullptr, &sc.grid->LookupStyleRowCol(r, c));
      EXPECT_EQ(text, std::string((const char*)shown));
    };
  };
  ExpectRows(s, {
                    {"typing replaces", ACT(s.Click(2, 2); s.Type("a{b}"); s.Key(VK_RETURN)), 2, 2, nullptr},
                    {"stored", reads(2, 2, "a{b}"), 2, 2, nullptr},
                    {"Ctrl+Left stays", ACT(s.Click(1, 2); s.Key(VK_END); s.Key(VK_LEFT, kControl)), 1, 2, "{old}", "1,2"},
                    {"Left at 0 leaves", ACT(s.Key(VK_HOME); s.Key(VK_LEFT)), 1, 2, "{old}", "1,1"},
                    {"typed at the end", ACT(s.Click(1, 2); s.Key(VK_END); s.Type("er"); s.Key(VK_TAB)), 1, 2, nullptr,
                     "1,3"},
                    {"stored too", reads(1, 2, "older"), 1, 2, nullptr},
                    {"a sizing cell grows by a line", ACT(s.Click(3, 2); s.Type("a"); s.Key(VK_RETURN); s.Type("b")), 3,
                     2, nullptr, "3,2"},
                    {"both lines shown", firstLine(0), 3, 2, nullptr},
                });
}

// An MDI frame with one child that a test fills with the window it drives.
class ChildScene : public MdiScene {
 public:
  ChildScene() : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE) { GXStartGridLibrary(); }
  ~ChildScene() override { Close(); }
  HWND AddChild(int, const CRect& r) override {
    auto* child = new CMDIChildWnd;
    child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main);
    Fill(*child);
    UiAutomation::Pump();
    return child->m_hWnd;
  }
  virtual std::string State() = 0;

 protected:
  virtual void Fill(CMDIChildWnd& child) = 0;
};

struct Reach {
  const char* name;
  std::function<void()> act;
  const char* state;
};
// Each step in turn, then the scene's state and its picture against a full repaint.
void ExpectSteps(ChildScene& s, std::initializer_list<Reach> steps) {
  for (const Reach& r : steps) {
    r.act();
    EXPECT_EQ(r.state, s.State()) << r.name;
    EXPECT_EQ(0, PixelsOffFullRepaint(s.MainWnd())) << r.name;
  }
}

// A date/time window on a form in an MDI child.
class DateScene : public ChildScene {
 public:
  DateScene() { AddChild(0, CRect(0, 0, 360, 200)); }
  ~DateScene() override { Close(); }  // before the windows it holds go
  void Fill(CMDIChildWnd& child) override {
    dt.SetDateTime(COleDateTime(2024, 1, 31, 10, 0, 0));
    dt.Create(0, WS_VISIBLE | WS_CHILD, CRect(10, 10, 250, 34), &child, 40);
    dt.SetFormat("MM/dd/yyyy");
    dt.SetFocus();
  }
  std::string State() override {
    const COleDateTime v = dt.GetDateTime();
    char out[32];
    snprintf(out, sizeof out, "%04d-%02d-%02d @%d", v.GetYear(), v.GetMonth(), v.GetDay(), dt.GetCurrentGadget());
    return out;
  }
  CGXBDateTimeCtrl dt;
};

TEST(ReachedCells, DateTimeFieldsTakeKeysAndClicks) {
  DateScene s;
  auto key = [&](UINT vk) { UiAutomation::PressKey(vk); };
  auto type = [&](const char* t) { UiAutomation::TypeText(t); };
  auto field = [&](int n) { return s.dt.GetGadget(n)->GetRect().CenterPoint(); };
  ExpectSteps(s, {
      {"month typed, Right commits", [&] { type("2"); key(VK_RIGHT); }, "2024-02-29 @2"},
      {"day up wraps", [&] { key(VK_UP); }, "2024-02-01 @2"},
      {"day down wraps", [&] { key(VK_DOWN); }, "2024-02-29 @2"},
      {"year clicked and typed", [&] { UiAutomation::Click(s.dt.m_hWnd, field(4)); type("1999"); key(VK_LEFT); },
       "1999-02-28 @2"},
      {"Home: the first day", [&] { key(VK_HOME); }, "1999-02-01 @2"},
      {"End: the last day", [&] { key(VK_END); }, "1999-02-28 @2"},
      {"month clicked, Down", [&] { UiAutomation::Click(s.dt.m_hWnd, field(0)); key(VK_DOWN); }, "1999-01-28 @0"},
      {"a month name typed", [&] {
         s.dt.SetFormat("MMMM d, yyyy");
         UiAutomation::Click(s.dt.m_hWnd, field(0));
         type("m");
       }, "1999-03-28 @0"},
      {"the name stepped", [&] { key(VK_UP); }, "1999-04-28 @0"},
      {"a name typed ahead", [&] { UiAutomation::TypeText("jul"); }, "1999-07-28 @0"},
  });
}

TEST(ReachedCells, TheCalendarOfADateCellPicksByKeys) {
  CellScene s;
  s.grid->SetColWidth(2, 2, 140);
  s.Put(1, 2, Cell(52543, "3/15/2024"));
  s.Put(2, 2, Cell(52543, "3/15/2024"));
  auto open = [](bool want) {
    return [=](CellScene& sc) {
      auto* cell = dynamic_cast<CGXDateTimeCtrl*>(sc.grid->GetControl(1, 2));
      ASSERT_NE(cell, nullptr);
      EXPECT_EQ(want, cell->GetCalendar() != nullptr);
    };
  };
  auto shown = [](const char* text) { return [=](CellScene& sc) { EXPECT_EQ(text, sc.Shown()); }; };
  ExpectRows(s, {
                    {"Alt+Down opens", ACT(s.Click(1, 2); s.Key(VK_DOWN, kAlt)), 1, 2, nullptr, "1,2"},
                    {"open", open(true), 1, 2, nullptr},
                    {"Right, Enter", ACT(s.Key(VK_RIGHT); s.Key(VK_RETURN)), 1, 2, nullptr, "1,2"},
                    {"closed", open(false), 1, 2, nullptr},
                    {"the next day", shown("03/16/2024"), 1, 2, nullptr},
                    {"Page Down, Esc", ACT(s.Key(VK_DOWN, kAlt); s.Key(VK_NEXT); s.Key(VK_ESCAPE)), 1, 2, nullptr},
                    {"kept", shown("03/16/2024"), 1, 2, nullptr},
                    {"stored", ACT(s.Key(VK_RETURN); s.Click(4, 4)), 1, 2, "03/16/2024", "4,4"},
                    {"opened, Esc, Esc, left",
                     ACT(s.Click(2, 2, -8, 8); s.Key(VK_ESCAPE); s.Key(VK_ESCAPE); s.Click(4, 4)), 2, 2, "3/15/2024",
                     "4,4"},
                });
}

// A sheet-tab window with three grid sheets in an MDI child, as a workbook host shows one.
class TabScene : public ChildScene {
 public:
  TabScene() { AddChild(0, CRect(0, 0, 420, 280)); }
  ~TabScene() override { Close(); }  // before the windows it holds go
  void Fill(CMDIChildWnd& child) override {
    tabs = new CGXTabWnd;
    tabs->CreateTabWndFrame(&child);
    CRect client;
    child.GetClientRect(&client);
    tabs->MoveWindow(client);
    for (const char* name : {"One", "Two", "Three"}) {
      auto& g = sheets.emplace_back(std::make_unique<ZAZAzedAze>());
      g->Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), tabs,
                AFX_IDW_PANE_FIRST + (UINT)sheets.size());
      g->Initialize();
      g->SetRowCount(8);
      g->SetColCount(4);
      tabs->AttachWnd(g.get(), name);
    }
  }
  CGXTabBeam& Beam() { return tabs->GetBeam(); }
  POINT Tab(int n) {
    return CPoint(Beam().GetTabX(n) + Beam().m_nGap + Beam().GetTab(n).nWidth / 2, Beam().m_nHeight / 2);
  }
  // The current tab, the labels, and whether the current tab's sheet is the one shown.
  std::string State() override {
    std::string out = std::to_string(Beam().GetCurrentTab()) + ":";
    for (int i = 0; i < 3; ++i) out += (const char*)Beam().GetTab(i).sLabel + std::string(i < 2 ? "," : "");
    return out + (sheets[(size_t)Beam().GetCurrentTab()].get() == tabs->GetActivePane() ? "" : " (another sheet)");
  }
  CGXTabWnd* tabs = nullptr;
  std::vector<std::unique_ptr<ZAZAzedAze>> sheets;
};

TEST(ReachedCells, SheetTabsSwitchRenameAndSize) {
  TabScene s;
  ExpectSteps(s, {
      {"click a tab", [&] { UiAutomation::Click(s.Beam().m_hWnd, s.Tab(2)); }, "2:One,Two,Three"},
      {"rename", [&] {
         UiAutomation::AdvanceClock(1000);
         UiAutomation::DoubleClick(s.Beam().m_hWnd, s.Tab(0));
         ASSERT_NE(nullptr, s.tabs->GetRenamePopup());
         UiAutomation::TypeText("Orders");
         UiAutomation::PressKey(VK_RETURN);
       }, "0:Orders,Two,Three"},
      {"rename dropped", [&] {
         UiAutomation::AdvanceClock(1000);
         UiAutomation::DoubleClick(s.Beam().m_hWnd, s.Tab(1));
         UiAutomation::TypeText("Lost");
         UiAutomation::PressKey(VK_ESCAPE);
       }, "1:Orders,Two,Three"},
      {"sizing box dragged", [&] {
         const CRect box = s.tabs->GetSizingBoxRect();
         UiAutomation::Drag(s.tabs->m_hWnd, box.CenterPoint(), box.CenterPoint() - CSize(60, 0));
       }, "1:Orders,Two,Three"},
      {"next tab button", [&] {
         UiAutomation::AdvanceClock(1000);
         UiAutomation::Click(s.Beam().m_hWnd, POINT{s.Beam().m_nButtonWidth * 3 / 2, s.Beam().m_nHeight / 2});
       }, "1:Orders,Two,Three"},
      {"just right of the buttons", [&] {
         UiAutomation::AdvanceClock(1000);
         UiAutomation::Click(s.Beam().m_hWnd, POINT{s.Beam().m_nButtonWidth * 2 + 2, s.Beam().m_nHeight / 2});
       }, "0:Orders,Two,Three"},
  });
}

// A record beam under a grid sheet in an MDI child.
class RecordScene : public ChildScene {
 public:
  RecordScene() { AddChild(0, CRect(0, 0, 420, 280)); }
  ~RecordScene() override { Close(); }  // before the windows it holds go
  void Fill(CMDIChildWnd& child) override {
    frame = new CGXRecordInfoWnd;
    frame->CreateRecordInfoFrame(&child);
    sheet.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), frame,
                 AFX_IDW_PANE_FIRST);
    sheet.Initialize();
    sheet.SetRowCount(40);
    sheet.SetColCount(3);
    frame->AttachWnd(&sheet);
    CRect client;
    child.GetClientRect(&client);
    frame->MoveWindow(client);
    sheet.SetCurrentCell(1, 1);
  }
  CGXRecordInfoBeam& Beam() { return *frame->GetBeam(); }
  std::string State() override {
    ROWCOL r = 0, c = 0;
    sheet.GetCurrentCell(r, c);
    return std::to_string(r) + "/" + std::to_string(Beam().GetCurrentRecord()) + " of " +
           std::to_string(Beam().GetRecordCount());
  }
  CGXRecordInfoWnd* frame = nullptr;
  ZAZAzedAze sheet;
};

TEST(ReachedCells, RecordButtonsAndNumberMoveTheSheet) {
  RecordScene s;
  auto button = [&](int n) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(s.Beam().m_hWnd, s.Beam().GetButtonRect(n).CenterPoint());
  };
  ExpectSteps(s, {
      {"a click in the sheet", [&] { UiAutomation::Click(s.sheet.m_hWnd, s.sheet.CalcRectFromRowCol(3, 2).CenterPoint()); },
       "3/3 of 40"},
      {"next", [&] { button(2); }, "4/4 of 40"},
      {"previous", [&] { button(1); }, "3/3 of 40"},
      {"last", [&] { button(3); }, "40/40 of 40"},
      {"first", [&] { button(0); }, "1/1 of 40"},
      {"a typed number", [&] {
         UiAutomation::AdvanceClock(1000);
         UiAutomation::Click(s.Beam().m_hWnd, s.Beam().GetNumberRect().CenterPoint());
         UiAutomation::TypeText("12");
         UiAutomation::PressKey(VK_RETURN);
       }, "12/12 of 40"},
      {"a key in the sheet", [&] { UiAutomation::PressKey(VK_DOWN); }, "13/13 of 40"},
  });
}

// A character that fits no entry leaves the completed part selected, so typing goes on from there.
TEST(ReachedCells, AMisfitCharacterKeepsTheTabbedCompletionSelected) {
  CellScene s;
  CGXStyle st = Cell(52541, "2", "1\tRed\n2\tGreen\n3\tBlue\n4\tBlack");
  s.Put(2, 2, st.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1"));
  s.grid->GetParam()->m_wActivateFlags = 4;
  auto selected = [&](const char* expected) {
    return [&s, expected](CellScene&) {
      CString text;
      s.grid->GetControl(2, 2)->GetSelectedText(text);
      EXPECT_EQ(expected, text.str());
    };
  };
  ExpectRows(s, {
                    {"all selected", ACT(s.Click(2, 2); s.Key(VK_HOME); s.Key(VK_END, UiAutomation::kShift)), 2, 2, "2"},
                    {"bla", ACT(s.Type("bla")), 2, 2, "2"},
                    {"completed", selected("ck"), 2, 2, nullptr},
                    {"z fits none", ACT(s.Type("z")), 2, 2, "2"},
                    {"still selected", selected("ck"), 2, 2, nullptr},
                    {"c goes on", ACT(s.Type("c")), 2, 2, nullptr},
                    {"k", selected("k"), 2, 2, nullptr},
                    {"stored", ACT(s.Key(VK_RETURN)), 2, 2, "4"},
                    {"all again", ACT(s.Key(VK_LEFT); s.Key(VK_HOME); s.Key(VK_END, UiAutomation::kShift)), 2, 2, "4"},
                    {"9 fits none", ACT(s.Type("9")), 2, 2, "4"},
                    {"text kept", selected("Black"), 2, 2, nullptr},
                });
}

// Esc takes back a choice in a tabbed drop-down list opened at once: the cell shows what any later
// paint of it shows.
TEST(ReachedCells, EscInATabbedDropDownListShowsWhatARepaintShows) {
  CellScene s;
  CGXStyle st = Cell(52540, "2", "1\tRed\n2\tGreen\n3\tBlue");
  s.Put(2, 2, st.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1"));
  s.grid->GetParam()->m_wActivateFlags = 4;
  ExpectRows(s, {
                    {"opened", ACT(s.Click(2, 2, 5)), 2, 2, "2", "2,2"},
                    {"b", ACT(s.Type("b"); s.Key(VK_RETURN)), 2, 2, "2"},
                    {"esc", ACT(s.Click(2, 2, 5); s.Key(VK_ESCAPE)), 2, 2, "2", "2,2"},
                });
  EXPECT_EQ("Green", s.Shown());
}

// A tabbed list sorted by its text column, opened again after the current cell went elsewhere: its
// first line is still the first by that column.
TEST(ReachedCells, ATabbedListIsSortedEachTimeItsCellIsTaken) {
  CellScene s;
  CGXStyle st = Cell(52541, "1", "1\tRed\n2\tGreen\n3\tBlue");
  s.Put(2, 1, st.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1").SetUserAttribute(51033, "1"));
  ExpectRows(s, {
                    {"first time", ACT(s.Click(2, 1, -8); s.Key(VK_HOME); s.Key(VK_RETURN); s.Key(VK_TAB)), 2, 1, "3",
                     "2,2"},
                    {"second time", ACT(s.Click(2, 1, -8); s.Key(VK_END); s.Key(VK_RETURN); s.Key(VK_TAB)), 2, 1, "1",
                     "2,2"},
                    {"third time", ACT(s.Click(2, 1, -8); s.Key(VK_HOME); s.Key(VK_RETURN); s.Key(VK_TAB)), 2, 1, "3",
                     "2,2"},
                });
}

// Keys typed into a read-only editable Windows combo whose list was never opened: the edit goes back to
// the cell's own text.
TEST(ReachedCells, AReadOnlyWindowsComboTypedIntoKeepsItsOwnText) {
  CellScene s;
  s.Put(2, 1, Cell(52528, "abc", "Red\nGreen\nBlue").SetReadOnly(TRUE));
  ExpectRows(s, {
                    {"typed into the edit", ACT(s.Click(2, 1, 8, 6); s.Type("x"); s.Key(VK_BACK)), 2, 1, "abc", "2,1"},
                    {"its text", [](CellScene& sc) { EXPECT_EQ("abc", sc.Shown()); }, 2, 1, nullptr},
                });
}

// Cells of a tabbed Windows combo that are not being edited show their key's text as a plain Windows
// combo shows its text, before any was opened and after one was: not a highlighted row taken by the
// key as a row number.
TEST(ReachedCells, TabbedWindowsCombosShowTheirKeysText) {
  CellScene s;
  const char* rows = "1\tRed\n2\tGreen\n3\tBlue";
  const char* names[] = {"Red", "Green", "Blue"};
  for (ROWCOL r = 1; r <= 3; ++r) {
    s.Put(r, 1, Cell(52540, std::to_string(r).c_str(), rows).SetUserAttribute(51028, "0").SetUserAttribute(51029, "1"));
    s.Put(r, 2, Cell(52529, names[r - 1], "Red\nGreen\nBlue"));
  }
  // Each cell of the first column holds, pixel for pixel, what its neighbour in the second does.
  auto same = [](CellScene& sc) {
    for (ROWCOL r = 1; r <= 3; ++r) {
      const CRect a = sc.grid->CalcRectFromRowCol(r, 1), b = sc.grid->CalcRectFromRowCol(r, 2);
      int off = 0;
      for (int y = a.top + 1; y < a.bottom - 1; ++y)
        for (int x = 1; x < a.Width() - 1; ++x)
          off += GetWindowPixel(sc.View(), POINT{a.left + x, y}) != GetWindowPixel(sc.View(), POINT{b.left + x, y});
      EXPECT_EQ(0, off) << "row " << r;
    }
  };
  ExpectRows(s, {
                    {"elsewhere", ACT(s.Click(5, 3)), 1, 1, "1", "5,3"},
                    {"shown", same, 1, 1, nullptr},
                    {"one opened", ACT(s.Click(1, 1, -8, 6); s.Key(VK_ESCAPE); s.Click(5, 3)), 1, 1, "1", "5,3"},
                    {"shown again", same, 1, 1, nullptr},
                });
}

// A date typed into a cell opened at once and stored by Enter: the cell shows what a repaint shows.
TEST(ReachedCells, EnterInADateCellOpenedAtOnceShowsWhatARepaintShows) {
  CellScene s;
  s.Put(2, 2, Cell(52543, "3/15/2024"));
  s.grid->GetParam()->m_wActivateFlags = 4;
  ExpectRows(s, {
                    {"opened", ACT(s.Click(2, 2)), 2, 2, nullptr, "2,2"},
                    {"typed, stored", ACT(s.Type("4"); s.Key(VK_RETURN)), 2, 2, nullptr, "2,2"},
                });
}

}  // namespace
