// A click on the text of each kind of cell, idle or current, under the library's start-up grid lines and
// under the kernel views' (lines at the right and bottom): edit kinds start editing with the caret at the
// character under the mouse, the others become current and keep their value.
#include "grid/controls/GXButton.h"
#include "grid/controls/GXEditControl.h"
#include "grid/controls/GXTreeEdit.h"
#include "grid/controls/HexGridCtrl.h"
#include "grid/engine/GXControl.h"
#include "tests/grid_controls/CellScene.h"
#include "tests/support/LibraryDefaults.h"

#include <gtest/gtest.h>

#include <string>

using namespace dravonix::test;

namespace {

// What a click on a cell's text leaves: an active cell with the caret at the character under the mouse,
// an active cell (its window shown), or a current cell that is not active.
enum Takes { kCaret, kActive, kCurrent };

struct ClickKind {
  UINT id;
  const char* value;
  const char* choices;
  Takes takes;
  const char* shown = nullptr;  // what it shows, when not its value
};

const ClickKind kClickKinds[] = {
    {52512, "abcdef", nullptr, kCaret},  {52521, "abcdef", nullptr, kCaret}, {52518, "abcdef", nullptr, kCaret},
    {52519, "123456", nullptr, kCaret},  {52535, "123456", nullptr, kCaret}, {52517, "Red", "Red\nGreen", kCaret},
    {52541, "1", "1\tGreen\n2\tBlue", kCaret, "Green"},                   {15001, "abcdef", nullptr, kCaret},
    {52537, "abcdef", nullptr, kCaret, "******"}, {15005, "10", nullptr, kCaret},
    {52513, "abcdef", nullptr, kCurrent}, {52514, "Push", nullptr, kCurrent}, {52522, "Two", "One\nTwo", kActive},
    {52536, "30", nullptr, kCurrent},    {52543, "3/15/2024", nullptr, kActive},
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

TEST(ClickRoutes, EachKindTakesAClickOnItsTextUnderBothGridLineSettings) {
  for (bool kernel : {false, true})
    for (const ClickKind& kind : kClickKinds)
      for (bool current : {false, true})
        for (int dx : {2, 4, 10}) {
          UseLibraryDefaults(kernel);
          CellScene s;
          s.grid->RegisterControl(15001, new CGXTreeEdit(s.grid, 15001), FALSE, FALSE);
          s.grid->RegisterControl(15005, new CHexGridCtrl(s.grid), FALSE, FALSE);
          CGXStyle cell;
          cell.SetControl(kind.id).SetValue(kind.value);
          if (kind.choices) cell.SetChoiceList(kind.choices);
          if (kind.id == 52535) cell.SetUserAttribute(51023, "######");
          if (kind.id == 52541) cell.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1");
          s.Put(2, 2, cell);
          const std::string what = std::string(kernel ? "kernel " : "start-up ") + std::to_string(kind.id) +
                                   (current ? " current" : " idle") + " +" + std::to_string(dx);
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
          UiAutomation::Click(s.View(), CPoint(inner.left + dx, s.At(2, 2).y));
          EXPECT_EQ("2,2", s.Current()) << what;
          EXPECT_EQ(kind.value, s.Value(2, 2)) << what;
          EXPECT_EQ(kind.takes != kCurrent, (bool)control->IsActive()) << what;
          if (kind.takes == kCaret && control->IsActive()) {
            int a = -1, b = -1;
            dynamic_cast<CGXEditControl*>(control)->GetSel(a, b);
            const int k = CharAt(s, style, kind.shown ? kind.shown : kind.value, dx);
            EXPECT_EQ(k, a) << what;
            EXPECT_EQ(k, b) << what;
          }
          EXPECT_EQ(0, s.Off()) << what;
          if (::testing::Test::HasFailure()) return;
        }
}

}  // namespace
