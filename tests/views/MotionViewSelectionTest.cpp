// The motion view's selection by clicks and keys, read back and through what Delete removes.
#include "platform/core/Clock.h"
#include "tests/views/MotionViewFixture.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

class MotionViewSelectionTest : public MotionViewTimedTest {
 protected:
  // Steps: "4" clicks row 4's text, "h4" its header, "t" the title, "k" the corner; the prefixes
  // s (Shift), c (Ctrl), cs (both); the keys D U PD PU, with s for Shift; E for Escape, X for Delete;
  // the commands mu, md (move up, down), gr (group) and ug (ungroup).
  void Play(const std::string& script) {
    std::istringstream in(script);
    for (std::string t; in >> t;) Step(t);
  }
  void Step(const std::string& t) {
    UINT mods = UiAutomation::kNone;
    size_t i = 0;
    if (t.size() > 1 && t[0] == 'c' && (t[1] == 's' || t[1] == 'h' || isdigit((unsigned char)t[1])))
      mods |= UiAutomation::kControl, ++i;
    if (t.size() > i + 1 && t[i] == 's') mods |= UiAutomation::kShift, ++i;
    const std::string rest = t.substr(i);
    static const std::pair<const char*, UINT> keys[] = {{"D", VK_DOWN}, {"U", VK_UP},      {"PD", VK_NEXT},
                                                        {"PU", VK_PRIOR}, {"E", VK_ESCAPE}, {"X", VK_DELETE}};
    for (auto [name, vk] : keys)
      if (rest == name) return UiAutomation::PressKey(vk, mods);
    static const std::pair<const char*, UINT> commands[] = {{"mu", CMC_MotionView::ID_MOTION_MOVE_UP},
                                                            {"md", CMC_MotionView::ID_MOTION_MOVE_DOWN},
                                                            {"gr", CMC_MotionView::ID_MOTION_GROUP},
                                                            {"ug", CMC_MotionView::ID_MOTION_UNGROUP}};
    for (auto [name, id] : commands)
      if (rest == name) return Command(id);
    CPoint at;
    if (rest == "t") at = CellRect(0, 1).CenterPoint();
    else if (rest == "k") at = CellRect(0, 0).CenterPoint();
    else if (rest[0] == 'h') at = CellRect((DWORD)atoi(rest.c_str() + 1), 0).CenterPoint();
    else at = CellRect((DWORD)atoi(rest.c_str())).CenterPoint();
    UiAutomation::AdvanceClock(1000);  // never a double click
    UiAutomation::Click(view->m_hWnd, at, mods);
  }
  static bool IsCommand(const std::string& t) { return t == "mu" || t == "md" || t == "gr" || t == "ug"; }
  void Reset(int n) {
    motion->GetMain()->DeleteAll();
    for (int w = 1; w <= n; ++w) Main({W(w)});
    view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
    UiAutomation::Pump();
  }
  static std::string Join(const std::vector<DWORD>& rows) {
    std::string out;
    for (DWORD r : rows) out += (out.empty() ? "" : " ") + std::to_string(r);
    return out;
  }
  std::string SelectedRows() {
    CDWordArray rows;
    view->GetSelectedRows(rows, TRUE, FALSE);
    std::vector<DWORD> v(rows.GetData(), rows.GetData() + rows.GetSize());
    return Join(v);
  }
  // The rows whose cell is drawn selected.
  std::vector<DWORD> Highlighted() {
    std::vector<DWORD> rows;
    for (DWORD r = 1; r <= view->GetRowCount(); ++r)
      if (view->GetParam()->m_SelRects.IsCellInList(r, 1)) rows.push_back(r);
    return rows;
  }
};

// Every anchor kind (a row's text, a row header, the title, the corner), mouse then keys and keys
// then mouse, and what follows a Delete: no click or key but Delete changes an object, the rows drawn
// selected are the rows Delete removes, and no others.
TEST_F(MotionViewSelectionTest, DeleteRemovesTheRowsDrawnSelected) {
  struct Case {
    const char* script;
    const char* selected;
    const char* left;
  } cases[] = {
      // A Shift+click on a header inside the selected rows, without a move, copies nothing.
      {"3 sh5 sh4", "3 4 5", "W1 W2 W6 W7 W8 W9"},
      {"1 sh9 sh5", "1 2 3 4 5 6 7 8 9", ""},
      {"h4 h4", "4", "W1 W2 W3 W5 W6 W7 W8 W9"},
      // Cells selected by keys are rows as much as rows selected by headers.
      {"3 E sD sD", "3 4 5", "W1 W2 W6 W7 W8 W9"},
      {"4 E sD", "4 5", "W1 W2 W3 W6 W7 W8 W9"},
      {"2 t sD", "1", "W2 W3 W4 W5 W6 W7 W8 W9"},
      // After a Delete the row below the first removed one is where Shift extends from.
      {"3 X sD", "3 4", "W1 W2 W6 W7 W8 W9"},
      {"3 X sh5", "3 4 5", "W1 W2 W7 W8 W9"},
      {"h8 sh9 X sU", "6 7", "W1 W2 W3 W4 W5"},
      // The rows a command leaves selected are where Shift extends from.
      {"3 mu sD", "2 3", "W1 W4 W5 W6 W7 W8 W9"},
      {"3 md sD", "4 5", "W1 W2 W4 W6 W7 W8 W9"},
      {"3 sh4 gr sD", "3 4", "W1 W2 W6 W7 W8 W9"},
      {"3 sh4 gr ug sD", "3 4", "W1 W2 W5 W6 W7 W8 W9"},
      // Found by the random input.
      {"cs5 k X sU", "4 5", "W1 W2 W3 W7 W8 W9"},
      {"cst E cs5 k X sPU", "1 2 3 4 5", "W7 W8 W9"},
      {"2 sh4 sD", "2 3 4 5", "W1 W6 W7 W8 W9"},
      {"2 ch5 sh7", "5 6 7", "W1 W2 W3 W4 W8 W9"},
      {"3 sD sD sh7", "3 4 5 6 7", "W1 W2 W8 W9"},
      {"5 h3 sD", "3 4", "W1 W2 W5 W6 W7 W8 W9"},
      {"h6 sU sU", "4 5 6", "W1 W2 W3 W7 W8 W9"},
      {"4 E sD sh7", "4 5 6 7", "W1 W2 W3 W8 W9"},
      {"2 k sD", "2 3", "W1 W4 W5 W6 W7 W8 W9"},
      {"2 t sh5", "1 2 3 4 5", "W6 W7 W8 W9"},
      {"2 sh4 ch3", "3", "W1 W2 W4 W5 W6 W7 W8 W9"},
      {"2 sh4 h3 sD", "2 3 4 5", "W1 W6 W7 W8 W9"},
      {"7 sh9 sU sPU", "1 2 3 4 5 6 7", "W8 W9"},
      {"cs2 sE", "", "W1 W2 W3 W4 W5 W6 W7 W8 W9"},
      {"2 sh4 t", "", "W1 W2 W3 W4 W5 W6 W7 W8 W9"},
  };
  Open(400, 400);
  for (const Case& c : cases) {
    Reset(9);
    ASSERT_GT(CellRect(9).bottom, 0);
    std::istringstream in(c.script);
    for (std::string t; in >> t;) {
      const std::string before = Image();
      Step(t);
      EXPECT_EQ(Rows(), Image()) << c.script << " at " << t;
      if (t != "X" && !IsCommand(t)) {
        EXPECT_EQ(Image(), before) << c.script << " at " << t;
      }
    }
    EXPECT_EQ(Join(Highlighted()), c.selected) << c.script;
    EXPECT_EQ(view->m_nSelectedRows, (DWORD)Highlighted().size()) << c.script;
    UiAutomation::PressKey(VK_DELETE);
    EXPECT_EQ(Image(), c.left) << c.script;
    EXPECT_EQ(Rows(), c.left) << c.script;
  }
}

// Random clicks (plain, Shift, Ctrl, on texts, headers, the title and the corner), Shift+arrows,
// Escape and Delete: after every step the objects are those of a list from which only Delete took
// exactly the rows drawn selected, and after a Delete that took rows a current cell remains while rows do.
TEST_F(MotionViewSelectionTest, RandomInputChangesObjectsOnlyByDeletingTheRowsDrawnSelected) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 76u);
  const char* const keys[] = {"D", "U", "PD", "PU", "E"};
  const char* const mods[] = {"", "s", "c", "cs"};
  const char* const commands[] = {"mu", "md", "gr", "ug"};
  const int sequences = getenv("WALK_RUNS") ? atoi(getenv("WALK_RUNS")) : 40;
  Open(400, 400);
  for (int sequence = 0; sequence < sequences; ++sequence) {
    Reset(9);
    std::string script;
    for (int i = 0; i < 12 && view->GetRowCount(); ++i) {
      // The groups made here stay closed: every object of the sequence has a row of its own.
      std::vector<std::string> model;
      std::istringstream image(Image());
      for (std::string t; image >> t;) model.push_back(t);
      const unsigned what = rng() % 13, n = (unsigned)model.size();
      std::string token = what < 6 ? std::string(mods[rng() % 4]) : std::string(rng() % 2 ? "s" : "");
      if (what < 3) token += std::to_string(1 + rng() % n);
      else if (what < 5) token += "h" + std::to_string(1 + rng() % n);
      else if (what < 6) token += rng() % 3 ? "t" : "k";
      else if (what < 10) token += keys[rng() % 5];
      else if (what < 12) token = "X";
      else token = commands[rng() % 4];
      script += (script.empty() ? "" : " ") + token;
      const std::vector<DWORD> shown = Highlighted();
      ASSERT_EQ(view->m_nSelectedRows, (DWORD)shown.size()) << script;
      Step(token);
      ASSERT_EQ(Rows(), Image()) << script;
      if (IsCommand(token)) continue;
      if (token == "X") {
        for (auto r = shown.rbegin(); r != shown.rend(); ++r) model.erase(model.begin() + (*r - 1));
        ROWCOL row = 0, col = 0;
        if (!model.empty() && !shown.empty()) {
          ASSERT_TRUE(view->GetCurrentCell(row, col) && row >= 1 && row <= model.size()) << script;
        }
      }
      std::string expected;
      for (const std::string& m : model) expected += (expected.empty() ? "" : " ") + m;
      ASSERT_EQ(Image(), expected) << script;
    }
  }
}
