// A click on the text of each kind of cell, idle or current, under the library's start-up grid lines and
// under the kernel views' (lines at the right and bottom): edit kinds start editing with the caret at the
// character under the mouse, the others become current and keep their value. A check or radio cell
// changes and reports only on a left release where the press went down.
#include "grid/controls/GXButton.h"
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXControl.h"
#include "tests/grid_controls/CellScene.h"
#include "tests/support/LibraryDefaults.h"

#include <gtest/gtest.h>

#include <string>

using namespace dravonix::test;

namespace {

// What a click on a cell's text leaves: an active cell with the caret at the character under the mouse,
// an active cell (its window shown), or a current cell that is not active.
enum Reaction { kCaret, kActive, kCurrent };

struct ClickKind {
  UINT id;
  const char* value;
  const char* choices;
  Reaction takes;
  const char* shown = nullptr;  // what it shows, when not its value
  // The check kinds, clicked on their box or first entry: the value a click leaves, and a double-click.
  const char* clicked = nullptr;
  const char* doubled = nullptr;
};

const ClickKind kClickKinds[] = {
    {52512, "abcdef", nullptr, kCaret},  {52521, "abcdef", nullptr, kCaret}, {52518, "abcdef", nullptr, kCaret},
    {52519, "123456", nullptr, kCaret},  {52535, "123456", nullptr, kCaret}, {52517, "Red", "Red\nGreen", kCaret},
    {52541, "1", "1\tGreen\n2\tBlue", kCaret, "Green"},                   {15001, "abcdef", nullptr, kCaret},
    {52537, "abcdef", nullptr, kCaret, "******"}, {15005, "10", nullptr, kCaret},
    {52513, "abcdef", nullptr, kCurrent}, {52514, "Push", nullptr, kCurrent}, {52522, "Two", "One\nTwo", kActive},
    {52536, "30", nullptr, kCurrent},    {52543, "3/15/2024", nullptr, kActive},
    {52527, "Red", "Red\nGreen", kCaret}, {52528, "Red", "Red\nGreen", kActive}, {52529, "Red", "Red\nGreen", kActive},
    {52539, "1", "1\tGreen\n2\tBlue", kActive, "Green"}, {52540, "1", "1\tGreen\n2\tBlue", kActive, "Green"},
    {52534, "abcdef", nullptr, kActive}, {52542, "1", "Caption\nOne\nTwo", kCurrent},
    {52544, "3/15/2024", nullptr, kActive}, {52520, "abcdef", nullptr, kCurrent},
    {52516, "0", nullptr, kCurrent, nullptr, "1", "0"}, {52523, "1", nullptr, kCurrent, nullptr, "0", "1"},
    {52515, "1", "One\nTwo", kCurrent, nullptr, "0", "0"}, {52524, "1", "One\nTwo", kCurrent, nullptr, "0", "0"},
};

// The character a point dx pixels right of the text's start lies on, by the widths of the cell's font.
int CharAt(CellScene& s, const CGXStyle& style, const char* text, int dx) {
  CClientDC dc(s.grid);
  CFont* old = GXSelectCellFont(s.grid, &dc, style);
  int k = 0;
  while (text[k + 1] && dc.GetTextExtent(text, k + 1).cx <= dx) ++k;
  if (old) dc.SelectObject(old);
  return k;
}

// One case per setting, so they run side by side.
class ClickRoutesBySetting : public ::testing::TestWithParam<int> {};

TEST_P(ClickRoutesBySetting, EachKindTakesAClickOnItsTextUnderBothGridLineSettings) {
  const int setting = GetParam();  // start-up lines, the kernel's, the kernel's read-only
  {
    for (const ClickKind& kind : kClickKinds)
      // A click on the idle cell, on the current cell, a double-click; on the check kinds' current cell a
      // right click, a press moved across the cell and let go where it went down, and one let go outside.
      for (int route = 0; route < 6; ++route)
        for (int dx : {2, 4, 10}) {
          if (route > 2 && !kind.clicked) continue;
          // The character hit matters only for a caret; a check box is hit inside its box.
          if (kind.takes != kCaret && dx != (kind.clicked ? 10 : 2)) continue;
          const bool kernel = setting > 0, readOnly = setting == 2;
          if (readOnly && !kind.clicked) continue;
          const bool current = route == 1 || route > 2;
          UseLibraryDefaults(kernel);
          CellScene s;
          s.Put(2, 2, s.KindCell(kind.id, kind.value, kind.choices).SetReadOnly(readOnly));
          const std::string what = std::string(readOnly ? "read-only " : kernel ? "kernel " : "start-up ") + std::to_string(kind.id) +
                                   (route == 0 ? " idle" : route == 1 ? " current" : route == 2 ? " double-click" :
                                    route == 3 ? " right click" : route == 4 ? " stroke" : " stroke out") + " +" +
                                   std::to_string(dx);
          s.Click(4, 4);
          if (current) {
            s.Click(2, 3);
            s.Key(VK_LEFT);
            ASSERT_EQ("2,2", s.Current()) << what;
          }
          CGXControl* control = s.grid->GetRegisteredControl(kind.id);
          const CGXStyle& style = s.grid->LookupStyleRowCol(2, 2);
          CRect inner;
          control->GetCellInnerRect(inner, 2, 2, nullptr, &style);
          UiAutomation::AdvanceClock(1000);
          const CPoint at(inner.left + dx, kind.clicked ? inner.top + 6 : s.At(2, 2).y);  // on the first entry
          const CPoint across = s.At(2, 2, -3, -3);
          if (route == 2) UiAutomation::DoubleClick(s.View(), at);
          else if (route == 3) UiAutomation::RightClick(s.View(), at);
          else if (route == 4) s.Stroke({at, across, at});
          else if (route == 5) s.Stroke({at, across, s.At(3, 3)});
          else UiAutomation::Click(s.View(), at);
          // Only a release where the press went down toggles or chooses, and is reported.
          const int clicks = readOnly || route == 3 || route == 5 ? 0 : route == 2 ? 2 : 1;
          EXPECT_EQ("2,2", s.Current()) << what;
          EXPECT_EQ(kind.clicked && clicks ? (route == 2 ? kind.doubled : kind.clicked) : kind.value, s.Value(2, 2))
              << what;
          if (kind.clicked) {
            EXPECT_EQ(clicks, s.Reported()) << what;
          }
          EXPECT_EQ(kind.takes != kCurrent, (bool)control->IsActive()) << what;
          if (kind.takes == kCaret && control->IsActive()) {
            int a = -1, b = -1;
            dynamic_cast<CGXEditControl*>(control)->GetSel(a, b);
            // The second click of a double-click lands on the edit window the first one showed, which
            // puts the caret at the nearer edge of that character.
            const int k = CharAt(s, style, kind.shown ? kind.shown : kind.value, dx);
            EXPECT_EQ(a, b) << what;
            EXPECT_TRUE(a == k || (route == 2 && a == k + 1)) << what << ": " << a;
          }
          EXPECT_EQ(0, s.Off()) << what;
          if (::testing::Test::HasFailure()) return;
        }
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, ClickRoutesBySetting, ::testing::Range(0, 3));

}  // namespace

// Home and End with and without Shift, every order of three after Home and Right twice,
// in a masked cell and a plain edit cell, against a model of the selection's anchor and caret: Shift+Home
// selects from the start to the caret and Shift+End from the caret to the end, in both.
TEST(ClickRoutes, HomeAndEndSelectFromTheCaretInEveryOrder) {
  enum Step { kHome, kEnd, kShiftHome, kShiftEnd };
  const char* const names[] = {"Home", "End", "Shift+Home", "Shift+End"};
  for (bool masked : {true, false})
    for (int seq = 0; seq < 64; ++seq) {
      CellScene s;
      CGXStyle cell;
      cell.SetControl(masked ? 52535 : 52512).SetValue(masked ? "1234567890" : "abcdef");
      if (masked) cell.SetUserAttribute(51023, "(###) ###-####");
      s.Put(2, 2, cell);
      s.Click(2, 2);
      s.Key(VK_HOME);
      s.Key(VK_RIGHT);
      s.Key(VK_RIGHT);
      // The mask's Home stops at its first editable place, its End after the last character typed.
      const int length = masked ? 14 : 6, first = masked ? 1 : 0, last = length;
      int anchor = first + 2, caret = first + 2;
      std::string what = masked ? "mask" : "edit";
      for (int i = 0, code = seq; i < 3; ++i, code /= 4) {
        const Step step = (Step)(code % 4);
        what += std::string(" ") + names[step];
        s.Key(step == kHome || step == kShiftHome ? VK_HOME : VK_END,
              step >= kShiftHome ? UiAutomation::kShift : UiAutomation::kNone);
        if (step == kHome) anchor = caret = first;
        if (step == kEnd) anchor = caret = last;
        // The plain window moves its caret and keeps the anchor; the mask selects from the caret.
        if (step == kShiftHome) masked ? (anchor = 0) : (caret = 0);
        if (step == kShiftEnd) masked ? (anchor = caret, caret = length) : (caret = length);
      }
      auto* edit = dynamic_cast<CGXEditControl*>(s.grid->GetControl(2, 2));
      ASSERT_TRUE(edit && edit->IsActive()) << what;
      int a = -1, b = -1;
      edit->GetSel(a, b);
      EXPECT_EQ(std::min(anchor, caret), a) << what;
      EXPECT_EQ(std::max(anchor, caret), b) << what;
      if (::testing::Test::HasFailure()) return;
    }
}
