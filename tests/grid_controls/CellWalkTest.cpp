// One random walk over the cell kinds in the states users put them in (scrolled partly out of view,
// a column narrowed to a few pixels, a tall row, hidden rows, sorted rows), driven by clicks and keys
// only, against a model of the values, the current cell and the picture of a full repaint.
#include "grid/controls/GXTreeEdit.h"
#include "grid/controls/HexGridCtrl.h"
#include "grid/engine/GXControl.h"
#include "grid/engine/GXSortInfo.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "tests/grid_controls/CellScene.h"
#include "tests/support/BarPresses.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace dravonix::test;

namespace {

const char* const kNumbers = "One\nTwo\nThree\nFour\nFive\nSix";

// How a kind takes a value from the keyboard once it is the current cell: typed text and Enter, or
// keys the test names; kinds without one are only reached and left.
enum Takes { kNothing, kTyped, kNextChoice, kLine, kToggle };

struct Kind {
  UINT id;
  const char* value;
  const char* choices;
  Takes takes;
  bool clickable;  // a click anywhere on it does not change its value
};

const Kind kKinds[] = {
    {52512, "e1", nullptr, kTyped, true},      {52513, "st", nullptr, kNothing, true},
    {52517, "Red", kColours, kNextChoice, true}, {52522, "Two", kNumbers, kLine, true},
    {52516, "0", nullptr, kToggle, false},     {52515, "0", "A\nB", kNothing, false},
    {52519, "5", nullptr, kTyped, true},       {52514, "Push", nullptr, kNothing, true},
    {52543, "3/15/2024", nullptr, kNothing, true}, {52534, "", nullptr, kNothing, true},
    {52535, "12", nullptr, kTyped, true},      {15001, "node", nullptr, kTyped, true},
    {15005, "10", nullptr, kNothing, true},
};
constexpr ROWCOL kKindRows = sizeof kKinds / sizeof kKinds[0];

std::string Label(size_t kind) { return "r" + std::string(kind < 9 ? "0" : "") + std::to_string(kind + 1); }

class CellWalk {
 public:
  CellWalk() {
    CGXGridCore* g = s.grid;
    g->RegisterControl(15001, new CGXTreeEdit(g, 15001), FALSE, FALSE);
    g->RegisterControl(15005, new CHexGridCtrl(g), FALSE, FALSE);
    g->GetParam()->GetData()->SetRowCount(kKindRows);
    g->SetRowHeight(1, kKindRows, 24);
    for (size_t k = 0; k < kKindRows; ++k) {
      const ROWCOL r = (ROWCOL)k + 1;
      CGXStyle label, cell;
      label.SetValue(Label(k).c_str());
      s.Put(r, 1, label);
      cell.SetControl(kKinds[k].id).SetValue(kKinds[k].value);
      if (kKinds[k].choices) cell.SetChoiceList(kKinds[k].choices);
      if (kKinds[k].id == 52535) cell.SetUserAttribute(51023, "##");
      if (kKinds[k].id == 15001) cell.SetUserAttribute(15003, "1");
      s.Put(r, 2, cell);
      order.push_back(k);
      values.push_back(kKinds[k].value);
    }
  }

  // A point of the cell inside the view's client area, or none when no pixel of it shows there.
  bool Shown(ROWCOL r, ROWCOL c, CPoint& at) {
    CRect client, cell = s.grid->CalcRectFromRowCol(r, c);
    s.grid->GetClientRect(&client);
    CRect part;
    if (cell.Height() < 4 || cell.Width() < 1 || !part.IntersectRect(cell, client) || part.Height() < 2) return false;
    at = CPoint(part.left + (int)(rnd() % (UINT)part.Width()), part.top + 1 + (int)(rnd() % (UINT)(part.Height() - 1)));
    return true;
  }

  // Makes the kind's cell current as a user would: a click on it, or on its right neighbour and Left.
  bool Reach(ROWCOL r, bool click) {
    CPoint at;
    if (click && s.grid->GetColWidth(2) >= 40 && Shown(r, 2, at)) {
      log += "click(" + std::to_string(r) + ",2) ";
      UiAutomation::Click(s.View(), at);
    } else {
      if (!Shown(r, 3, at)) return false;
      log += "click(" + std::to_string(r) + ",3) Esc Esc Left ";
      UiAutomation::Click(s.View(), at);
      s.Key(VK_ESCAPE);
      s.Key(VK_ESCAPE);
      s.Key(VK_LEFT);
    }
    current = std::to_string(r) + ",2";
    return true;
  }

  void Check(int step) {
    for (ROWCOL r = 1; r <= kKindRows; ++r) {
      const size_t k = order[r - 1];
      ASSERT_EQ(Label(k), s.Value(r, 1)) << log;
      if (kKinds[k].id != 52534) {
        ASSERT_EQ(values[k], s.Value(r, 2)) << Label(k) << " step " << step << ": " << log;
      }
    }
    if (!current.empty()) {
      ASSERT_EQ(current, s.Current()) << "step " << step << ": " << log;
    }
    ASSERT_EQ(0, s.Off()) << "step " << step << ": " << log;
  }

  void StateStep() {
    switch (rnd() % 5) {
      case 0: {
        const BarPress press = (BarPress)(rnd() % 4);
        log += std::string("bar ") + kBarPressNames[press] + " ";
        bars::Press(s.View(), press);
        break;
      }
      case 1: {
        const int width = rnd() % 3 ? 100 : 1 + (int)(rnd() % 6);
        log += "col2=" + std::to_string(width) + " ";
        s.grid->SetColWidth(2, 2, width);
        break;
      }
      case 2: {
        const ROWCOL r = 1 + rnd() % kKindRows;
        const int height = rnd() % 2 ? 24 : 70;
        log += "row" + std::to_string(r) + "=" + std::to_string(height) + " ";
        s.grid->SetRowHeight(r, r, height);
        break;
      }
      case 3: {
        const ROWCOL r = 1 + rnd() % kKindRows;
        const BOOL hide = rnd() % 3 == 0;
        log += std::string(hide ? "hide" : "show") + std::to_string(r) + " ";
        s.grid->HideRows(r, r, hide);
        break;
      }
      default: {
        const bool descending = rnd() % 2;
        log += descending ? "sort desc " : "sort asc ";
        CGXSortInfoArray keys;
        keys.SetSize(1);
        keys[0].nRC = 1;
        keys[0].sortType = CGXSortInfo::alphanumeric;
        keys[0].bDescending = descending ? CGXSortInfo::descending : CGXSortInfo::ascending;
        s.grid->SortRows(CGXRange().SetRowRange(1, kKindRows), keys);
        std::sort(order.begin(), order.end());
        if (descending) std::reverse(order.begin(), order.end());
        break;
      }
    }
    UiAutomation::Pump();
    current.clear();
  }

  void InputStep() {
    const ROWCOL r = 1 + rnd() % kKindRows;
    const size_t k = order[r - 1];
    const Kind& kind = kKinds[k];
    const int how = (int)(rnd() % 2);
    if (how == 0 || kind.takes == kNothing) {
      // Reached and left: nothing stored.
      if (!Reach(r, kind.clickable)) return;
      log += "Esc Esc ";
      s.Key(VK_ESCAPE);
      s.Key(VK_ESCAPE);
      return;
    }
    if (!Reach(r, false)) return;
    std::string& v = values[k];
    switch (kind.takes) {
      case kTyped: {
        const std::string text = kind.id == 52512 || kind.id == 15001 ? "t" + std::to_string(rnd() % 100)
                                                                       : std::to_string(10 + rnd() % 90);
        log += "type " + text + " Enter ";
        s.Type(text.c_str());
        s.Key(VK_RETURN);
        v = text;
        break;
      }
      case kNextChoice: {
        log += "Alt+Down Down Enter Tab ";
        s.Key(VK_DOWN, UiAutomation::kAlt);
        s.Key(VK_DOWN);
        s.Key(VK_RETURN);
        s.Key(VK_TAB);
        v = v == "Red" ? "Green" : "Blue";
        break;
      }
      case kLine: {
        const int n = (int)(rnd() % 6);
        log += "Shift Home Down*" + std::to_string(n) + " Tab ";
        s.Key(VK_SHIFT);
        s.Key(VK_HOME);
        for (int i = 0; i < n; ++i) s.Key(VK_DOWN);
        s.Key(VK_TAB);
        static const char* const lines[] = {"One", "Two", "Three", "Four", "Five", "Six"};
        v = lines[n];
        break;
      }
      case kToggle:
        log += "Space ";
        s.Key(VK_SPACE);
        v = v == "1" ? "0" : "1";
        break;
      case kNothing: break;
    }
    current.clear();
  }

  CellScene s;
  std::mt19937 rnd{95};
  std::vector<size_t> order;        // the kind shown in each row
  std::vector<std::string> values;  // by kind
  std::string current, log;
};

TEST(CellWalk, KindsInTheStatesUsersReachFollowTheModel) {
  CellWalk w;
  if (getenv("WALK_SEED")) w.rnd.seed(atoi(getenv("WALK_SEED")));
  for (int step = 0; step < 200; ++step) {
    if (w.rnd() % 10 < 3) w.StateStep();
    else w.InputStep();
    w.Check(step);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace
