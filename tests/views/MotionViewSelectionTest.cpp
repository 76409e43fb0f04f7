// The motion view's selection by clicks and keys, read back and through what Delete removes.
#include "tests/views/MotionViewFixture.h"

#include <algorithm>
#include <random>
#include <sstream>

class MotionViewSelectionTest : public MotionViewTest {
 protected:
  // Steps: "4" clicks row 4's text, "h4" its header, "t" the title, "k" the corner; the prefixes
  // s (Shift), c (Ctrl), cs (both); the keys D U PD PU, with s for Shift; E for Escape.
  void Play(const std::string& script) {
    std::istringstream in(script);
    for (std::string t; in >> t;) {
      UINT mods = UiAutomation::kNone;
      size_t i = 0;
      if (t.size() > 1 && t[0] == 'c' && (t[1] == 's' || t[1] == 'h' || isdigit((unsigned char)t[1])))
        mods |= UiAutomation::kControl, ++i;
      if (t.size() > i + 1 && t[i] == 's') mods |= UiAutomation::kShift, ++i;
      const std::string rest = t.substr(i);
      CPoint at;
      if (rest == "D" || rest == "U" || rest == "PD" || rest == "PU" || rest == "E") {
        const UINT vk = rest == "D" ? VK_DOWN : rest == "U" ? VK_UP : rest == "PD" ? VK_NEXT : rest == "PU" ? VK_PRIOR : VK_ESCAPE;
        UiAutomation::PressKey(view->m_hWnd, vk, mods);
        continue;
      }
      if (rest == "t") at = CellRect(0, 1).CenterPoint();
      else if (rest == "k") at = CellRect(0, 0).CenterPoint();
      else if (rest[0] == 'h') at = CellRect((DWORD)atoi(rest.c_str() + 1), 0).CenterPoint();
      else at = CellRect((DWORD)atoi(rest.c_str())).CenterPoint();
      UiAutomation::AdvanceClock(1000);  // never a double click
      UiAutomation::Click(view->m_hWnd, at, mods);
    }
  }
  std::string SelectedRows() {
    CDWordArray rows;
    view->GetSelectedRows(rows, TRUE, FALSE);
    std::string out;
    for (INT_PTR i = 0; i < rows.GetSize(); ++i) out += (out.empty() ? "" : " ") + std::to_string(rows[i]);
    return out;
  }
};

// Every anchor kind (a row's text, a row header, the title, the corner), mouse then keys and keys
// then mouse: the rows shown selected are the rows Delete removes, and no others.
TEST_F(MotionViewSelectionTest, DeleteRemovesTheRowsThatClicksAndKeysSelected) {
  struct Case {
    const char* script;
    const char* selected;
    const char* left;
  } cases[] = {
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
      // Only whole rows are deleted: the title's column or cells alone remove nothing.
      {"2 t sD", "", "W1 W2 W3 W4 W5 W6 W7 W8 W9"},
      {"4 E sD", "", "W1 W2 W3 W4 W5 W6 W7 W8 W9"},
      // Found by the random input: a selection removed by a key or a click leaves no count behind.
      {"cs2 sE", "", "W1 W2 W3 W4 W5 W6 W7 W8 W9"},
      {"2 sh4 t", "", "W1 W2 W3 W4 W5 W6 W7 W8 W9"},
  };
  Open(400, 400);
  for (const Case& c : cases) {
    while (motion->GetMain()->GetSize()) motion->GetMain()->DeleteAt(0, 1);
    Main({W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9)});
    view->OnUpdate(nullptr, -100, nullptr);
    UiAutomation::Pump();
    ASSERT_GT(CellRect(9).bottom, 0);
    Play(c.script);
    const std::string selected = SelectedRows();
    EXPECT_EQ(selected, c.selected) << c.script;
    EXPECT_EQ(view->m_nSelectedRows, (DWORD)std::count(selected.begin(), selected.end(), ' ') + !selected.empty())
        << c.script;
    UiAutomation::PressKey(view->m_hWnd, VK_DELETE);
    EXPECT_EQ(Image(), c.left) << c.script;
    EXPECT_EQ(Rows(), c.left) << c.script;
  }
}

// Random clicks and keys, then Delete: exactly the rows shown selected go, with their objects.
TEST_F(MotionViewSelectionTest, RandomInputThenDeleteRemovesExactlyTheSelectedRows) {
  std::mt19937 rng(72);
  const char* const keys[] = {"D", "U", "PD", "PU", "E"};
  const char* const mods[] = {"", "s", "c", "cs"};
  Open(400, 400);
  for (int sequence = 0; sequence < 100; ++sequence) {
    while (motion->GetMain()->GetSize()) motion->GetMain()->DeleteAt(0, 1);
    Main({W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9)});
    view->OnUpdate(nullptr, -100, nullptr);
    UiAutomation::Pump();
    std::string script;
    for (int i = 0, n = 1 + (int)(rng() % 6); i < n; ++i) {
      const unsigned what = rng() % 10;
      std::string token = what < 6 ? std::string(mods[rng() % 4]) : std::string(rng() % 2 ? "s" : "");
      if (what < 3) token += std::to_string(1 + rng() % 9);
      else if (what < 5) token += "h" + std::to_string(1 + rng() % 9);
      else if (what < 6) token += rng() % 2 ? "t" : "k";
      else token += keys[rng() % 5];
      script += (script.empty() ? "" : " ") + token;
    }
    Play(script);
    const std::string selected = SelectedRows();
    EXPECT_EQ(view->m_nSelectedRows, (DWORD)std::count(selected.begin(), selected.end(), ' ') + !selected.empty()) << script;
    std::string left;
    for (int w = 1; w <= 9; ++w)
      if ((" " + selected + " ").find(" " + std::to_string(w) + " ") == std::string::npos)
        left += (left.empty() ? "W" : " W") + std::to_string(w);
    UiAutomation::PressKey(view->m_hWnd, VK_DELETE);
    ASSERT_EQ(Image(), left) << script;
    ASSERT_EQ(Rows(), left) << script;
  }
}
