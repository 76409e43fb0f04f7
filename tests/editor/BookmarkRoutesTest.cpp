// The bookmark keys and the editor menu's Toggle Bookmark, walked in a program's text shown in two
// windows: on a marked and an unmarked line, editable and read-only. The marks, their count, the caret
// and both windows' pictures as the rules have them.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "platform/ui/Menu.h"
#include "tests/support/PostedGestures.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

namespace UA = UiAutomation;

namespace {

struct Marks {
  std::set<int> lines;
  int caret;
  void Toggle() { lines.count(caret) ? (void)lines.erase(caret) : (void)lines.insert(caret); }
  void Next() {
    if (lines.empty()) return;
    auto at = lines.upper_bound(caret);
    caret = at != lines.end() ? *at : *lines.begin();
  }
  std::string State() const {
    std::string out = "marks";
    for (int l : lines) out += " " + std::to_string(l);
    return out + " count " + std::to_string(lines.size()) + " @" + std::to_string(caret) + ":0";
  }
};

std::string WindowState(EditorScene& s) {
  std::string out = "marks";
  int l = 1;
  for (tagLINEDESC* p = SECEdit::GetFirstLine(s.Edit().m_pLine); p; p = p->pNext, ++l)
    if (p->dwFlags & LINE_BOOKMARK) out += " " + std::to_string(l);
  return out + " count " + std::to_string(s.Edit().m_nBookmarks) + " @" + s.Caret();
}

auto Menu(dravonix::test::Gesture g) {
  return [=](EditorScene& s) {
    MenuAutomation::Reset();
    MenuAutomation::PushMenuChoiceText("Toggle Bookmark");
    dravonix::test::PostGesture(s.ViewWnd(), g, s.At(1, 20));
    UA::Pump();
  };
}

}  // namespace

TEST(BookmarkRoutes, KeysAndMenuOnMarkedAndUnmarkedLinesInTwoWindows) {
  using G = dravonix::test::Gesture;
  struct Route {
    const char* what;
    std::function<void(EditorScene&)> input;
    std::function<void(Marks&)> rule;
  };
  const std::vector<Route> routes = {
    {"ctrl f2", [](EditorScene&) { UA::PressKey(VK_F2, UA::kControl); }, [](Marks& m) { m.Toggle(); }},
    {"menu by right click", Menu(G::kRightClick), [](Marks& m) { m.Toggle(); }},
    {"menu by Shift+F10", Menu(G::kShiftF10), [](Marks& m) { m.Toggle(); }},
    {"menu by Apps", Menu(G::kApps), [](Marks& m) { m.Toggle(); }},
    {"f2", [](EditorScene&) { UA::PressKey(VK_F2); }, [](Marks& m) { m.Next(); }},
    {"f2 twice", [](EditorScene&) { UA::PressKey(VK_F2), UA::PressKey(VK_F2); }, [](Marks& m) { m.Next(), m.Next(); }},
    {"ctrl f2 then f2", [](EditorScene&) { UA::PressKey(VK_F2, UA::kControl), UA::PressKey(VK_F2); }, [](Marks& m) { m.Toggle(), m.Next(); }},
  };
  int walked = 0;
  for (bool ro : {false, true})
    for (int caret : {1, 3, 5})
      for (const Route& route : routes) {
        const std::string mode = std::string(route.what) + (ro ? ", read-only" : "") + ", caret on line " + std::to_string(caret);
        EditorScene s(1, "a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\ne = 5\r\n");
        s.AddChild(0, CRect(200, 100, 460, 300));  // a second window on the text, over the first
        UA::Click(s.ViewWnd(), s.At(3, 1));
        UA::PressKey(VK_F2, UA::kControl);  // line 3 marked
        UA::Click(s.ViewWnd(), s.At(caret, 0));
        if (ro) s.m_doc.SetReadOnly(TRUE);
        UA::Pump();
        Marks m{{3}, caret};
        ASSERT_NO_FATAL_FAILURE(TakeRoute(s, m, route, WindowState, mode));
        ++walked;
      }
  MenuAutomation::Reset();
  EXPECT_EQ(2 * 3 * 7, walked);
}
