// The motion view's selection by clicks and keys, read back and through what Delete removes.
#include "tests/views/MotionViewFixture.h"

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
  };
  Open(400, 400);
  for (const Case& c : cases) {
    while (motion->GetMain()->GetSize()) motion->GetMain()->DeleteAt(0, 1);
    Main({W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9)});
    view->OnUpdate(nullptr, -100, nullptr);
    UiAutomation::Pump();
    ASSERT_GT(CellRect(9).bottom, 0);
    Play(c.script);
    EXPECT_EQ(SelectedRows(), c.selected) << c.script;
    UiAutomation::PressKey(view->m_hWnd, VK_DELETE);
    EXPECT_EQ(Image(), c.left) << c.script;
    EXPECT_EQ(Rows(), c.left) << c.script;
  }
}
