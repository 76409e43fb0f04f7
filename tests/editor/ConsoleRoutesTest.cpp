// The console's keys, clicks and menu walked in every mode (insert and overtype; the caret after the
// input, at its start, in the prompt, on a line above; the input selected, a selection reaching into
// the prompt, one from a line above) against a small model of the console: each step through the
// device to the focus, the clipboard it leaves and the picture held against a full repaint.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "platform/ui/Menu.h"
#include "tests/support/PostedGestures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace UA = UiAutomation;

namespace {

constexpr UINT Ctrl = UA::kControl, Shift = UA::kShift;
constexpr int kPrompt = 5;

// The console as its rules have it: commands run without a setup, recall, and the input's guards.
struct Console {
  std::vector<std::string> lines{"VKS> abc", "FATAL ERROR: THERE IS NO SETUP!", "VKS> defg"};
  At caret{3, 9}, anchor{3, 9};
  bool sel = false, ovr = false;
  std::string clip = "PQ\r\nZZ";

  int Last() const { return (int)lines.size(); }
  bool OnLast() const { return caret.l == Last(); }
  At Lo() const { return std::min(anchor, caret); }
  At Hi() const { return std::max(anchor, caret); }
  std::string& Input() { return lines.back(); }
  bool CanClear() const { return !sel || (OnLast() && Lo().l == Last() && Hi().l == Last() && Lo().c >= kPrompt && Hi().c >= kPrompt); }
  std::string Selected() const {
    std::string out;
    for (int l = Lo().l; l <= Hi().l; ++l) {
      const std::string& s = lines[(size_t)l - 1];
      const size_t a = l == Lo().l ? (size_t)Lo().c : 0, b = l == Hi().l ? (size_t)Hi().c : s.size();
      out += s.substr(a, b - a) + (l < Hi().l ? "\r\n" : "");
    }
    return out;
  }
  void Take() {
    Input().erase((size_t)Lo().c, (size_t)(Hi().c - Lo().c));
    caret = Lo(), sel = false;
  }
  // Into the input: from a line above to its end, from the prompt to its first column.
  void ToInput() {
    if (!OnLast()) caret = {Last(), (int)Input().size()}, sel = false;
    else caret.c = std::max(caret.c, kPrompt);
  }
  void Put(const std::string& t) {
    if (sel) Take();
    else if (ovr) Input().erase((size_t)caret.c, std::min(t.size(), Input().size() - (size_t)caret.c));
    Input().insert((size_t)caret.c, t);
    caret.c += (int)t.size();
  }
  void Type(const std::string& t) {
    if (sel && !CanClear()) sel = false;
    ToInput();
    Put(t);
  }
  void Enter() {
    if ((int)Input().size() > kPrompt) lines.push_back("FATAL ERROR: THERE IS NO SETUP!");
    lines.push_back("VKS> ");
    caret = {Last(), kPrompt}, sel = false;
  }
  void Recall() {
    if (!OnLast()) return void(sel = false);
    Input() = lines[0];
    caret = {Last(), (int)Input().size()}, sel = false;
  }
  void Backspace() {
    if (!OnLast() || caret.c <= kPrompt || !CanClear()) return;
    if (sel) Take();
    else Input().erase((size_t)--caret.c, 1);
  }
  void Delete() {
    if (!OnLast() || caret.c < kPrompt || !CanClear()) return;
    if (sel) Take();
    else if (caret.c < (int)Input().size()) Input().erase((size_t)caret.c, 1);
  }
  void Cut() {
    if (!sel || !CanClear()) return;
    clip = Selected();
    Take();
  }
  void Copy() {
    if (sel) clip = Selected();
  }
  void Paste() {
    if (!CanClear()) return;
    ToInput();
    Put(clip.substr(0, clip.find_first_of("\r\n")));
  }
  std::string State() const {
    std::string text;
    for (const std::string& l : lines) text += l + "|";
    return text + " @" + caret.Str() + " sel " + (sel ? Lo().Str() + "-" + Hi().Str() : "none") + (ovr ? " ovr" : "") +
           " clip " + clip;
  }
};

std::string WindowState(EditorScene& s) {
  return s.Text() + " @" + s.Caret() + " sel " + s.Selection() + (s.Edit().GetInsertMode() ? "" : " ovr") + " clip " +
         EditorScene::Clipboard() + (s.View()->m_pReplaceDlg ? " replace" : "");
}

struct Route {
  const char* what;
  std::function<void(EditorScene&)> input;
  std::function<void(Console&)> rule;
};

auto Keys(std::initializer_list<std::pair<UINT, UINT>> list) {
  return [pressed = std::vector<std::pair<UINT, UINT>>(list)](EditorScene&) {
    for (auto [vk, mods] : pressed) UA::PressKey(vk, mods);
  };
}

// The editor's menu opened by a gesture, one of its items chosen.
auto Menu(dravonix::test::Gesture g, const char* item) {
  return [=](EditorScene& s) {
    MenuAutomation::Reset();
    MenuAutomation::PushMenuChoiceText(item);
    dravonix::test::PostGesture(s.ViewWnd(), g);
    UA::Pump();
  };
}

}  // namespace

TEST(ConsoleRoutes, EveryRouteInEveryModeAsTheConsoleRulesHaveIt) {
  using G = dravonix::test::Gesture;
  const std::vector<Route> routes = {
    {"type", [](EditorScene&) { UA::TypeText("q"); }, [](Console& m) { m.Type("q"); }},
    {"enter", [](EditorScene&) { UA::TypeText("\n"); }, [](Console& m) { m.Enter(); }},
    {"up", Keys({{VK_UP, 0}}), [](Console& m) { m.Recall(); }},
    {"up, down", Keys({{VK_UP, 0}, {VK_DOWN, 0}}), [](Console& m) {
       if (m.OnLast()) m.Input() = "VKS> ", m.caret = {m.Last(), kPrompt}, m.sel = false;
       else m.sel = false, m.caret = {m.caret.l + 1, m.caret.c};
     }},
    {"backspace", Keys({{VK_BACK, 0}}), [](Console& m) { m.Backspace(); }},
    {"delete", Keys({{VK_DELETE, 0}}), [](Console& m) { m.Delete(); }},
    {"ctrl x", Keys({{'X', Ctrl}}), [](Console& m) { m.Cut(); }},
    {"shift delete", Keys({{VK_DELETE, Shift}}), [](Console& m) { m.Cut(); }},
    {"ctrl c", Keys({{'C', Ctrl}}), [](Console& m) { m.Copy(); }},
    {"ctrl insert", Keys({{VK_INSERT, Ctrl}}), [](Console& m) { m.Copy(); }},
    {"ctrl v", Keys({{'V', Ctrl}}), [](Console& m) { m.Paste(); }},
    {"shift insert", Keys({{VK_INSERT, Shift}}), [](Console& m) { m.Paste(); }},
    {"menu cut by Apps", Menu(G::kApps, "Cut"), [](Console& m) { m.Cut(); }},
    {"menu copy by Shift+F10", Menu(G::kShiftF10, "Copy"), [](Console& m) { m.Copy(); }},
    {"menu paste by Apps", Menu(G::kApps, "Paste"), [](Console& m) { m.Paste(); }},
    {"ctrl h", Keys({{'H', Ctrl}}), [](Console&) {}},
  };
  // How the caret and selection are set up, by the device and in the model.
  const std::vector<std::pair<const char*, std::function<void(EditorScene&, Console&)>>> setups = {
    {"after the input", [](EditorScene&, Console&) {}},
    {"at the input's start", [](EditorScene& s, Console& m) { UA::Click(s.ViewWnd(), s.At(3, 5)), m.caret = {3, 5}; }},
    {"in the prompt", [](EditorScene&, Console& m) { UA::PressKey(VK_HOME), m.caret = {3, 0}; }},
    {"on a line above", [](EditorScene& s, Console& m) { UA::Click(s.ViewWnd(), s.At(1, 6)), m.caret = {1, 6}; }},
    {"input selected", [](EditorScene&, Console& m) {
       UA::PressKey(VK_LEFT, Shift), UA::PressKey(VK_LEFT, Shift);
       m.caret = {3, 7}, m.sel = true;
     }},
    {"selected into the prompt", [](EditorScene&, Console& m) { UA::PressKey(VK_HOME, Shift), m.caret = {3, 0}, m.sel = true; }},
    {"selected from a line above", [](EditorScene& s, Console& m) {
       UA::Drag(s.ViewWnd(), s.At(1, 2), s.At(3, 7));
       m.anchor = {1, 2}, m.caret = {3, 7}, m.sel = true;
     }},
  };
  int walked = 0;
  for (bool ovr : {false, true})
    for (const auto& [setup, place] : setups)
      for (const Route& route : routes) {
        const std::string mode = std::string(route.what) + (ovr ? ", overtype, " : ", insert, ") + setup;
        EditorScene s(4);
        UA::TypeText("abc\ndefg");
        ClipboardSetText(nullptr, "PQ\r\nZZ", 6);
        Console m;
        place(s, m);
        if (ovr) UA::PressKey(VK_INSERT), m.ovr = true;
        UA::Pump();
        ASSERT_NO_FATAL_FAILURE(TakeRoute(s, m, route, WindowState, mode));
        ++walked;
      }
  MenuAutomation::Reset();
  EXPECT_EQ(2 * 7 * 16, walked);
}
