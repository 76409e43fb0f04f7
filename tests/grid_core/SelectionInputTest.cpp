// Selection by clicks and keys on a grid window: one anchor for mouse and keys, Ctrl+clicks on
// headers, refused changes; scripted cases and random sequences checked against a small model.
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStyle.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/core/Clock.h"
#include "platform/core/Module.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr ROWCOL kRows = 12, kCols = 8;

class RefusingGrid : public ZAZAzedAze {
 public:
  BOOL OnChangingSelection(const CGXRange* range, BOOL b1, BOOL b2) override {
    return !refuse && ZAZAzedAze::OnChangingSelection(range, b1, b2);
  }
  bool refuse = false;
};

// One step of input: a click "r,c" with the prefixes s (Shift), c (Ctrl), cs (both); the keys
// U D L R PU PD, with the prefix s for Shift; A for Ctrl+A; ! toggles refusing every selection change.
struct Step {
  enum Kind { kClick, kKey, kSelectAll, kRefuse } kind = kClick;
  ROWCOL row = 0, col = 0;
  UINT vk = 0;
  bool shift = false, ctrl = false;
};

std::vector<Step> Parse(const std::string& script) {
  std::vector<Step> steps;
  std::istringstream in(script);
  for (std::string t; in >> t;) {
    Step s;
    if (t == "!") {
      s.kind = Step::kRefuse;
    } else if (t == "A") {
      s.kind = Step::kSelectAll;
    } else {
      size_t i = 0;
      if (t[i] == 'c' && i + 1 < t.size() && (t[i + 1] == 's' || isdigit((unsigned char)t[i + 1]))) s.ctrl = true, ++i;
      if (t[i] == 's') s.shift = true, ++i;
      const std::string rest = t.substr(i);
      if (isdigit((unsigned char)rest[0])) {
        unsigned r = 0, c = 0;
        sscanf(rest.c_str(), "%u,%u", &r, &c);
        s.row = r, s.col = c;
      } else {
        s.kind = Step::kKey;
        s.vk = rest == "U" ? VK_UP : rest == "D" ? VK_DOWN : rest == "L" ? VK_LEFT : rest == "R" ? VK_RIGHT
             : rest == "PU" ? VK_PRIOR : VK_NEXT;
      }
    }
    steps.push_back(s);
  }
  return steps;
}

std::string RangeText(int kind, ROWCOL t, ROWCOL l, ROWCOL b, ROWCOL r) {
  char text[64];
  if (kind == 3) snprintf(text, sizeof text, "t");
  else if (kind == 1) snprintf(text, sizeof text, "r%u-%u", (unsigned)t, (unsigned)b);
  else if (kind == 2) snprintf(text, sizeof text, "c%u-%u", (unsigned)l, (unsigned)r);
  else snprintf(text, sizeof text, "%u,%u-%u,%u", (unsigned)t, (unsigned)l, (unsigned)b, (unsigned)r);
  return text;
}

// The rules of mouse and key selection on a grid without frozen, hidden or covered cells, every
// cell enabled and all rows in view, written from what the user does rather than from the code.
struct Model {
  struct Range {
    int kind;  // 0 cells, 1 rows, 2 columns, 3 table
    ROWCOL t, l, b, r;
    bool Has(ROWCOL row, ROWCOL col) const {
      switch (kind) {
        case 3: return true;
        case 1: return t <= row && row <= b;
        case 2: return l <= col && col <= r;
        default: return t <= row && row <= b && l <= col && col <= r;
      }
    }
  };
  std::vector<Range> sel;
  int anchor = -1;  // index into sel
  ROWCOL ar = 0, ac = 0, cr = 1, cc = 1;
  bool refuse = false;

  // A rectangle between two cells: a 0 row gives whole columns, a 0 column whole rows.
  static Range Rect(ROWCOL t, ROWCOL l, ROWCOL b, ROWCOL r) {
    if (t > b) std::swap(t, b);
    if (l > r) std::swap(l, r);
    return {t && l ? 0 : t ? 1 : l ? 2 : 3, t, l, b, r};
  }
  // What Shift selects from the anchor to a cell, as a click there: whole rows to a row header,
  // whole columns to a column header, from the first row or column when the anchor has none.
  static Range Extend(ROWCOL a, ROWCOL b, ROWCOL row, ROWCOL col) {
    if (row == 0 && col == 0) return {3, 0, 0, 0, 0};
    if (col == 0) return Rect(std::max<ROWCOL>(a, 1), 0, row, 0);
    if (row == 0) return Rect(0, std::max<ROWCOL>(b, 1), 0, col);
    return Rect(a, b, row, col);
  }
  bool AnyTable() const {
    for (const Range& r : sel)
      if (r.kind == 3) return true;
    return false;
  }
  // Unselects one whole row (or column): ranges through it split around it.
  void Unselect(bool row, ROWCOL n) {
    std::vector<Range> out;
    for (const Range& s : sel) {
      const ROWCOL t = s.kind == 2 || s.kind == 3 ? 1 : s.t, b = s.kind == 2 || s.kind == 3 ? kRows : s.b;
      const ROWCOL l = s.kind == 1 || s.kind == 3 ? 1 : s.l, r = s.kind == 1 || s.kind == 3 ? kCols : s.r;
      const bool hit = row ? t <= n && n <= b && l <= kCols && r >= 1 : l <= n && n <= r && t <= kRows && b >= 1;
      if (!hit) {
        out.push_back(s);
        continue;
      }
      const bool whole = s.kind == (row ? 1 : 2) || s.kind == 3;
      const int kind = whole ? (row ? 1 : 2) : 0;
      if (row) {
        if (t < n) out.push_back({kind, t, l, n - 1, r});
        if (n < b) out.push_back({kind, n + 1, l, b, r});
      } else {
        if (l < n) out.push_back({kind, t, l, b, n - 1});
        if (n < r) out.push_back({kind, t, n + 1, b, r});
      }
    }
    sel = out;
    anchor = -1;
  }
  void Click(ROWCOL row, ROWCOL col, bool shift, bool ctrl) {
    const bool rowHeader = col == 0 && row > 0, colHeader = row == 0 && col > 0;
    // A press on the header of a wholly selected row (without Ctrl) or column drags it; dropped
    // where it was, it only becomes the anchor.
    if ((rowHeader && !ctrl) || colHeader) {
      if (!AnyTable())
        for (size_t i = 0; i < sel.size(); ++i)
          if (sel[i].kind == (rowHeader ? 1 : 2) && sel[i].Has(row, col)) {
            anchor = (int)i, ar = rowHeader ? sel[i].t : 0, ac = rowHeader ? 0 : sel[i].l;
            return;
          }
    }
    if (!rowHeader && !colHeader && row == 0) {  // the corner: the whole table, or none
      if (!refuse) {
        const bool had = AnyTable();
        sel.clear(), anchor = -1;
        if (!had) sel.push_back({3, 0, 0, 0, 0}), anchor = 0, ar = ac = 0;
      }
      cr = cc = 0;
      return;
    }
    bool selecting = false;
    if (!shift && !ctrl) {
      if (!refuse) sel.clear(), anchor = -1;
    } else if (ctrl && !shift && sel.empty() && !(cr == row && cc == col) && cr && cc) {
      if (!refuse) sel.push_back({0, cr, cc, cr, cc});
    }
    if (shift) {
      int pos = anchor;
      ROWCOL a = ar, b = ac;
      if (pos < 0 && !sel.empty()) {
        pos = (int)sel.size() - 1;
        a = sel[pos].kind == 2 || sel[pos].kind == 3 ? 0 : sel[pos].t;
        b = sel[pos].kind == 1 || sel[pos].kind == 3 ? 0 : sel[pos].l;
      } else if (pos < 0) {
        a = cr, b = cc;
      }
      const Range r = Extend(a, b, row, col);
      if (!refuse) {
        if (pos < 0) sel.push_back(r), pos = (int)sel.size() - 1;
        sel[pos] = r, anchor = pos, ar = a, ac = b, selecting = true;
      }
    } else if (!refuse) {
      sel.push_back(rowHeader ? Range{1, row, 0, row, 0} : colHeader ? Range{2, 0, col, 0, col} : Range{0, row, col, row, col});
      anchor = (int)sel.size() - 1, ar = row, ac = col, selecting = true;
    }
    cr = row, cc = col;
    // The release of a click that did not move: on the anchor cell it keeps that cell (Ctrl) or
    // clears everything.
    if (selecting && ar && ac && ar == row && ac == col && !refuse) {
      if (!ctrl) sel.clear(), anchor = -1;
      else sel[anchor] = {0, row, col, row, col};
    }
    // Ctrl+click on a header that another range selects unselects that row (column).
    if (ctrl && (rowHeader || colHeader) && !refuse) {
      for (size_t i = 0; i < sel.size(); ++i)
        if ((int)i != anchor && sel[i].Has(row, col)) {
          Unselect(rowHeader, rowHeader ? row : col);
          break;
        }
    }
  }
  void Key(UINT vk, bool shift) {
    if (shift) {
      bool added = false;
      if (anchor < 0) sel.push_back({0, cr, cc, cr, cc}), anchor = (int)sel.size() - 1, ar = cr, ac = cc, added = true;
      if (refuse) {
        if (added) sel.pop_back(), anchor = -1;
        return;
      }
    }
    switch (vk) {
      case VK_UP: if (cr > 1) --cr; break;
      case VK_DOWN: if (cr < kRows) ++cr; break;
      case VK_LEFT: if (cc > 1) --cc; break;
      case VK_RIGHT: if (cc < kCols) ++cc; break;
      case VK_NEXT: if (cr > 0) cr = kRows; break;  // the page holds every row
      case VK_PRIOR: cr = 1; break;
    }
    // From a column header's anchor to a cell the keys take the rectangle of cells below the header.
    if (shift) sel[anchor] = ar == 0 && ac > 0 && cr > 0 && cc > 0 ? Rect(1, ac, cr, cc) : Extend(ar, ac, cr, cc);
    else anchor = -1;
  }
  std::string Text() const {
    std::string out;
    for (const Range& r : sel) out += (out.empty() ? "" : " ") + RangeText(r.kind, r.t, r.l, r.b, r.r);
    return out;
  }
};

class SelectionInput : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), "", WS_POPUP | WS_VISIBLE,
                    CRect(0, 0, 760, 500), nullptr, 0);
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                            CRect(0, 0, 740, 480), &parent, 3));
    ASSERT_TRUE(grid.Initialize());
    grid.SetRowCount(kRows);
    grid.SetColCount(kCols);
    // Static cells: no editor takes the arrow keys.
    grid.SetStyleRange(CGXRange().SetCellRange(1, 1, kRows, kCols), &CGXStyle().SetControl(52513));
    grid.SetColWidth(1, kCols, 60);
    grid.SetCurrentCell(1, 1);
    ::PumpMessages();
    // Every cell shows whole: a cell made current never scrolls the grid.
    CRect client, last = grid.CalcRectFromRowCol(kRows, kCols);
    grid.GetClientRect(&client);
    ASSERT_TRUE(last.right < client.right && last.bottom < client.bottom);
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
    Clock::UseRealTime();
  }
  void Play(const Step& s) {
    const UINT mods = (s.shift ? (UINT)UiAutomation::kShift : 0u) | (s.ctrl ? (UINT)UiAutomation::kControl : 0u);
    switch (s.kind) {
      case Step::kRefuse: grid.refuse = !grid.refuse; break;
      case Step::kSelectAll: UiAutomation::PressKey('A', UiAutomation::kControl); break;
      case Step::kKey: UiAutomation::PressKey(s.vk, mods); break;
      case Step::kClick:
        UiAutomation::AdvanceClock(1000);  // never a double click
        UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(s.row, s.col).CenterPoint(), mods);
        break;
    }
  }
  std::string Selection() {
    std::string out;
    const CGXRangeList& sel = grid.GetParam()->m_SelRects;
    for (POSITION pos = sel.GetHeadPosition(); pos;) {
      const CGXRange* r = sel.GetNext(pos);
      const int kind = r->IsTable() ? 3 : r->IsRows() ? 1 : r->IsCols() ? 2 : 0;
      out += (out.empty() ? "" : " ") + RangeText(kind, r->m_nTop, r->m_nLeft, r->m_nBottom, r->m_nRight);
    }
    return out;
  }
  std::string Current() {
    ROWCOL r = 0, c = 0;
    grid.GetCurrentCell(r, c);
    return std::to_string(r) + "," + std::to_string(c);
  }
  CWnd parent;
  RefusingGrid grid;
};

}  // namespace

TEST_F(SelectionInput, MouseAndKeysExtendFromOneAnchor) {
  struct Case {
    const char* script;
    const char* selected;
    const char* current;
  } cases[] = {
      // A whole-row anchor: keys after a header click.
      {"3,0 sD", "r3-4", "4,0"},
      {"10,2 sD sD 3,0 sD", "r3-4", "4,0"},
      {"3,0 D", "r3-3", "4,0"},
      {"3,0 sU sU", "r1-3", "1,0"},
      {"3,0 sR", "r3-3", "3,1"},
      // A whole-column anchor.
      {"0,3 sR", "c3-4", "0,4"},
      {"0,3 sD", "1,3-1,3", "1,3"},
      {"0,3 sD sL sD", "1,2-2,3", "2,2"},
      {"c0,1 cs7,5 sR", "1,1-1,1 1,1-7,6", "7,6"},
      // The corner: the table, then what Shift extends from it.
      {"0,0 sD", "r1-1", "1,0"},
      {"0,0 sR", "c1-1", "0,1"},
      {"0,0 s0,5", "c1-5", "0,5"},
      {"0,0 s5,0", "r1-5", "5,0"},
      {"0,0 0,0", "", "0,0"},
      // A cell anchor: mouse then keys, keys then mouse.
      {"2,2 s4,4 sD", "2,2-5,4", "5,4"},
      {"2,2 sD sR s5,4", "2,2-5,4", "5,4"},
      {"2,2 sD sR s6,0", "r2-6", "6,0"},
      // Rows or columns from an anchor of the other kind: from the first row or column on.
      {"3,0 s0,5", "c1-5", "0,5"},
      {"0,4 s7,0", "r1-7", "7,0"},
      {"3,0 sD s0,2", "c1-2", "0,2"},
      {"3,0 s0,2 sU", "c1-2", "0,2"},
      {"5,0 s0,3 sU sL", "c1-2", "0,2"},
      // Plain arrows drop the anchor; Shift then starts at the current cell.
      {"3,0 sD R sD", "r3-4 4,1-5,1", "5,1"},
      {"3,2 s5,3 sPD", "3,2-12,3", "12,3"},
      {"6,2 sPU", "1,2-6,2", "1,2"},
      {"6,2 s7,3 A", "6,2-7,3", "7,3"},
      // Found by the random sequences: a page key after a Shift+click on a header.
      {"8,6 s0,3 sPU", "1,3-8,6", "1,3"},
  };
  for (const Case& c : cases) {
    grid.SetSelection(nullptr);
    grid.SetCurrentCell(1, 1);
    for (const Step& s : Parse(c.script)) Play(s);
    EXPECT_EQ(Selection(), c.selected) << c.script;
    EXPECT_EQ(Current(), c.current) << c.script;
  }
}

TEST_F(SelectionInput, CtrlClicksOnHeadersToggleOnlyWhatWasSelectedBefore) {
  struct Case {
    const char* script;
    const char* selected;
  } cases[] = {
      {"2,0 s4,0 c7,0 cs9,0", "r2-4 r7-9"},
      {"2,0 s4,0 c7,0 cs9,0 c8,0", "r2-4 r7-7 r9-9"},
      {"7,0 s9,0 c11,0", "r7-9 r11-11"},
      {"7,0 s9,0 cs11,0", "r7-11"},
      {"7,0 s9,0 c11,0 c11,0", "r7-9"},
      {"8,0 c8,0", ""},
      {"0,2 c0,5", "c2-2 c5-5"},
      {"0,2 c0,5 cs0,7", "c2-2 c5-7"},
      {"3,3 c5,5", "3,3-3,3 5,5-5,5"},
      // Refused changes change nothing; the current cell still follows the click.
      {"2,0 s4,0 ! c8,0 s9,0 3,3 0,0 sD", "r2-4"},
      {"2,0 s4,0 c7,0 ! c8,0", "r2-4 r7-7"},
  };
  for (const Case& c : cases) {
    grid.SetSelection(nullptr);
    grid.SetCurrentCell(1, 1);
    grid.refuse = false;
    for (const Step& s : Parse(c.script)) Play(s);
    EXPECT_EQ(Selection(), c.selected) << c.script;
  }
  grid.refuse = false;
}

// Random clicks (plain, Shift, Ctrl, both; cells, row and column headers, the corner), arrows and
// pages with and without Shift, Ctrl+A and refusals, checked against the model after every step.
TEST_F(SelectionInput, RandomSequencesFollowTheModel) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 72u);
  const char* const keys[] = {"U", "D", "L", "R", "PU", "PD"};
  int played = 0;
  const int sequences = getenv("WALK_RUNS") ? atoi(getenv("WALK_RUNS")) : 100;
  for (int sequence = 0; sequence < sequences; ++sequence) {
    grid.SetSelection(nullptr);
    grid.refuse = false;
    grid.SetCurrentCell(1, 1);
    Model model;
    std::string script;
    for (int i = 0, n = 2 + (int)(rng() % 11); i < n; ++i) {
      std::string token;
      const unsigned what = rng() % 100;
      const char* mods[] = {"", "s", "c", "cs"};
      if (what < 45) {
        ROWCOL r = rng() % (kRows + 1), c = rng() % (kCols + 1);
        if (rng() % 4 == 0) r = 0;
        else if (rng() % 4 == 0) c = 0;
        token = std::string(mods[rng() % 4]) + std::to_string(r) + "," + std::to_string(c);
      } else if (what < 90) {
        token = std::string(rng() % 3 ? "s" : "") + keys[rng() % 6];
      } else if (what < 94) {
        token = "A";
      } else {
        token = "!";
      }
      script += (script.empty() ? "" : " ") + token;
      const Step s = Parse(token)[0];
      Play(s);
      switch (s.kind) {
        case Step::kClick: model.Click(s.row, s.col, s.shift, s.ctrl); break;
        case Step::kKey: model.Key(s.vk, s.shift); break;
        case Step::kRefuse: model.refuse = !model.refuse; break;
        case Step::kSelectAll: break;  // not a grid key: nothing changes
      }
      ++played;
      ASSERT_EQ(Selection(), model.Text()) << script;
      ASSERT_EQ(Current(), std::to_string(model.cr) + "," + std::to_string(model.cc)) << script;
      ASSERT_EQ(grid.GetTopRow() * 100 + grid.GetLeftCol(), 101u) << script;
    }
  }
  EXPECT_GT(played, sequences * 5);
  grid.refuse = false;
}

// Page Down does nothing once the top row is the last row; before that it moves by the page.
TEST_F(SelectionInput, PageDownStopsWhenTheLastRowIsAtTheTop) {
  struct Case {
    ROWCOL top, current;
    const char* after;
  } cases[] = {{kRows, 3, "3,1"}, {kRows - 1, kRows - 1, "12,1"}};
  // Without bars: with them the grid scrolls back until its last row touches the bottom.
  grid.SetScrollBarBehaviour(SB_BOTH, 0, TRUE);
  for (const Case& c : cases) {
    grid.SetCurrentCell(c.current, 1);
    grid.SetTopRow(c.top);
    ASSERT_EQ(grid.GetTopRow(), c.top);
    UiAutomation::PressKey(VK_NEXT);
    EXPECT_EQ(Current(), c.after) << c.top;
  }
}
