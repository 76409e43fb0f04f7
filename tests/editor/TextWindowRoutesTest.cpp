// The text window's keys and clicks walked in every mode (insert and overtype; no selection, one
// made forwards, one made backwards, the caret at a line's start and end and at the text's; editable
// and read-only) against a small model of the text: each step through the device to the focus, its
// undo and redo, and the picture held against a full repaint.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "editor/core/OEFindDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace UA = UiAutomation;

namespace {

constexpr UINT Ctrl = UA::kControl, Shift = UA::kShift;
constexpr int kRows = 13;  // whole rows of the scene's window

// The text, caret and selection as the rules have them; selections that are edited lie on one line.
struct Model {
  std::vector<std::string> lines;
  At caret{2, 3}, anchor{2, 3};
  bool sel = false, ovr = false, ro = false;
  int top = 1;
  std::string told;

  At Lo() const { return std::min(anchor, caret); }
  At Hi() const { return std::max(anchor, caret); }
  std::string& Line() { return lines[(size_t)caret.l - 1]; }
  bool TakeSelection() {
    if (!sel) return false;
    const At a = Lo(), b = Hi();
    lines[(size_t)a.l - 1].erase((size_t)a.c, (size_t)(b.c - a.c));
    caret = a;
    sel = false;
    return true;
  }
  void Put(const std::string& t) {
    if (ro) return;
    const bool replaced = TakeSelection();
    std::string& s = Line();
    if (ovr && !replaced) s.replace((size_t)caret.c, std::min(t.size(), s.size() - (size_t)caret.c), t);
    else s.insert((size_t)caret.c, t);
    caret.c += (int)t.size();
  }
  void JoinWithNext() {
    Line() += lines[(size_t)caret.l];
    lines.erase(lines.begin() + caret.l);
  }
  void Delete() {
    if (ro || TakeSelection()) return;
    if (caret.c < (int)Line().size()) Line().erase((size_t)caret.c, 1);
    else if (caret.l < (int)lines.size()) JoinWithNext();
  }
  void Backspace() {
    if (caret == At{1, 0} && !sel) return;
    if (ro) told += " \"The file is read only.\"";
    else if (TakeSelection()) return;
    else if (caret.c > 0) Line().erase((size_t)--caret.c, 1);
    else caret = {caret.l - 1, (int)lines[(size_t)caret.l - 2].size()}, JoinWithNext();
  }
  void Enter() {
    if (ro) return;
    TakeSelection();
    std::string rest = Line().substr((size_t)caret.c);
    Line().erase((size_t)caret.c);
    lines.insert(lines.begin() + caret.l, rest);
    if (caret.l == top + kRows - 1) ++top;  // from the bottom row the window scrolls a row
    caret = {caret.l + 1, 0};
  }
  void MoveTo(At to, bool shift) {
    if (shift && !sel) sel = true, anchor = caret;
    if (!shift) sel = false;
    caret = to;
    if (sel && anchor == caret) sel = false;
  }
  void Home(bool shift) { MoveTo({caret.l, 0}, shift); }
  void End(bool shift) { MoveTo({caret.l, (int)Line().size()}, shift); }
  void PageDown(bool shift) {
    if (caret.l == (int)lines.size()) return void(told += " \"End of file.\"");
    const int n = std::min(kRows, (int)lines.size() - caret.l);
    top += n;
    MoveTo({caret.l + n, caret.c}, shift);
  }
  void PageUp(bool shift) {
    if (caret.l == 1) return void(told += " \"Top of file.\"");
    At to = caret;
    for (int i = 0; i < kRows; ++i)
      if (top > 1) --top, --to.l;
      else if (to.l > 1) --to.l;
    MoveTo(to, shift);
  }
  // The first three lines and the last two, as the window's state shows them.
  std::string State() const {
    const size_t n = lines.size();
    return lines[0] + "|" + lines[1] + "|" + lines[2] + "|..|" + lines[n - 2] + "|" + lines[n - 1] + " of " +
           std::to_string(n) + " @" + caret.Str() + " sel " +
           (sel ? Lo().Str() + "-" + Hi().Str() : "none") + " top " + std::to_string(top) + (ovr ? " ovr" : "") + told;
  }
};

std::string WindowState(EditorScene& s) {
  const CTextFileView* v = s.View();
  std::vector<std::string> lines;
  const std::string text = s.Text();
  for (size_t at = 0, bar; (bar = text.find('|', at)) != std::string::npos; at = bar + 1) lines.push_back(text.substr(at, bar - at));
  const size_t n = lines.size();
  const std::string ends = lines[0] + "|" + lines[1] + "|" + lines[2] + "|..|" + lines[n - 2] + "|" + lines[n - 1] + " of " + std::to_string(n);
  std::string told;
  for (const auto& box : Automation::Instance().MessageBoxes()) told += " \"" + box.text + "\"";
  return ends + " @" + s.Caret() + " sel " + s.Selection() + " top " + std::to_string(v->m_nTopLine) +
         (s.Edit().GetInsertMode() ? "" : " ovr") + told;
}

struct Route {
  const char* what;
  std::function<void(EditorScene&)> input;
  std::function<void(Model&)> rule;
  bool edits;  // undone by Ctrl+Z in one step
};

}  // namespace

TEST(TextWindowRoutes, EveryRouteInEveryModeAsTheModelHasIt) {
  std::string text = "foo bar\r\n";
  for (int i = 2; i <= 30; ++i) text += std::string("line ") + (i < 10 ? "0" : "") + std::to_string(i) + "\r\n";
  const auto keys = [](std::initializer_list<std::pair<UINT, UINT>> list) {
    return [pressed = std::vector<std::pair<UINT, UINT>>(list)](EditorScene&) {
      for (auto [vk, mods] : pressed) UA::PressKey(vk, mods);
    };
  };
  const std::vector<Route> routes = {
    {"type", [](EditorScene&) { UA::TypeText("X"); }, [](Model& m) { m.Put("X"); }, true},
    {"paste", keys({{'V', Ctrl}}), [](Model& m) { m.Put("PQ"); }, true},
    {"delete", keys({{VK_DELETE, 0}}), [](Model& m) { m.Delete(); }, true},
    {"backspace", keys({{VK_BACK, 0}}), [](Model& m) { m.Backspace(); }, true},
    {"enter", [](EditorScene&) { UA::TypeText("\n"); }, [](Model& m) { m.Enter(); }, true},
    {"home", keys({{VK_HOME, 0}}), [](Model& m) { m.Home(false); }, false},
    {"end", keys({{VK_END, 0}}), [](Model& m) { m.End(false); }, false},
    {"shift home", keys({{VK_HOME, Shift}}), [](Model& m) { m.Home(true); }, false},
    {"shift end", keys({{VK_END, Shift}}), [](Model& m) { m.End(true); }, false},
    {"shift home, shift end", keys({{VK_HOME, Shift}, {VK_END, Shift}}), [](Model& m) { m.Home(true), m.End(true); }, false},
    {"shift end, shift home", keys({{VK_END, Shift}, {VK_HOME, Shift}}), [](Model& m) { m.End(true), m.Home(true); }, false},
    {"home, shift end", keys({{VK_HOME, 0}, {VK_END, Shift}}), [](Model& m) { m.Home(false), m.End(true); }, false},
    {"end, shift home", keys({{VK_END, 0}, {VK_HOME, Shift}}), [](Model& m) { m.End(false), m.Home(true); }, false},
    {"page down", keys({{VK_NEXT, 0}}), [](Model& m) { m.PageDown(false); }, false},
    {"shift page down", keys({{VK_NEXT, Shift}}), [](Model& m) { m.PageDown(true); }, false},
    {"page up", keys({{VK_PRIOR, 0}}), [](Model& m) { m.PageUp(false); }, false},
    {"shift page up", keys({{VK_PRIOR, Shift}}), [](Model& m) { m.PageUp(true); }, false},
    {"escape", keys({{VK_ESCAPE, 0}}), [](Model& m) { m.sel = m.sel && m.ro; }, false},
    {"click", [](EditorScene& w) { UA::Click(w.ViewWnd(), w.At(1, 2)); }, [](Model& m) { m.MoveTo({m.top, 2}, false); }, false},
    {"shift click", [](EditorScene& w) { UA::Click(w.ViewWnd(), w.At(1, 5), Shift); }, [](Model& m) { m.MoveTo({m.top, 5}, true); }, false},
    {"double click", [](EditorScene& w) { UA::DoubleClick(w.ViewWnd(), w.At(3, 1)); }, [](Model& m) {
       m.MoveTo({m.top + 2, 0}, false);
       m.MoveTo({m.top + 2, 4}, true);
     }, false},
  };
  // How the caret and selection are set up, by keys and in the model.
  const std::vector<std::pair<const char*, std::function<void(Model&)>>> selections = {
    {"no selection", [](Model& m) { m.caret = {2, 3}; }},
    {"selected forwards", [](Model& m) { m.caret = {2, 3}, m.sel = true, m.anchor = {2, 0}; }},
    {"selected backwards", [](Model& m) { m.caret = {2, 3}, m.sel = true, m.anchor = {2, 7}; }},
    {"at the line start", [](Model& m) { m.caret = {2, 0}; }},
    {"at the line end", [](Model& m) { m.caret = {2, 7}; }},
    {"at the text start", [](Model& m) { m.caret = {1, 0}; }},
    {"at the text end", [](Model& m) { m.caret = {30, 7}, m.top = 30 - kRows + 1; }},
  };
  int walked = 0;
  for (bool ovr : {false, true})
    for (bool ro : {false, true})
      for (size_t k = 0; k < selections.size(); ++k)
        for (const Route& route : routes) {
          const std::string mode = std::string(route.what) + ", " + (ovr ? "overtype" : "insert") + (ro ? ", read-only, " : ", ") + selections[k].first;
          EditorScene s(2, text);
          ClipboardSetText(nullptr, "PQ", 2);
          UA::PressKey(VK_DOWN);
          if (k == 0) UA::PressKey(VK_RIGHT), UA::PressKey(VK_RIGHT), UA::PressKey(VK_RIGHT);
          if (k == 1) UA::PressKey(VK_RIGHT, Shift), UA::PressKey(VK_RIGHT, Shift), UA::PressKey(VK_RIGHT, Shift);
          if (k == 2) {
            UA::PressKey(VK_END);
            for (int i = 0; i < 4; ++i) UA::PressKey(VK_LEFT, Shift);
          }
          if (k == 4) UA::PressKey(VK_END);
          if (k == 5) UA::PressKey(VK_HOME, Ctrl);
          if (k == 6) UA::PressKey(VK_END, Ctrl);
          if (ovr) UA::PressKey(VK_INSERT);
          if (ro) s.m_doc.SetReadOnly(TRUE);
          UA::Pump();
          Model m;
          for (int i = 1; i <= 30; ++i) m.lines.push_back(i == 1 ? "foo bar" : std::string("line ") + (i < 10 ? "0" : "") + std::to_string(i));
          m.ovr = ovr, m.ro = ro;
          selections[k].second(m);
          const std::string before = s.Text();
          ASSERT_NO_FATAL_FAILURE(TakeRoute(s, m, route, WindowState, mode));
          const std::string after = s.Text();
          if (route.edits && !ro) {
            UA::PressKey('Z', Ctrl);
            UA::Pump();
            EXPECT_EQ(before, s.Text()) << "undone: " << mode;
            UA::PressKey('Z', Ctrl | Shift);
            UA::Pump();
            EXPECT_EQ(after, s.Text()) << "redone: " << mode;
          }
          ++walked;
        }
  EXPECT_EQ(2 * 2 * 7 * 21, walked);
}

// What replaces a selection, from the Replace dialog too, takes only its place in overtype mode;
// Enter under a wider indentation keeps what it can of it.
TEST(TextWindowRoutes, ReplaceAllInOvertypeAndAutoIndentThroughKeys) {
  EditorScene s(2, "foo bar foo\r\n");
  for (const char* key : {"Find", "Replace"})
    for (int n = 1; n <= 10; ++n) s.m_app.WriteProfileString("Settings\\Find", (key + std::to_string(n)).c_str(), "");
  UA::PressKey(VK_INSERT);
  UA::PressKey('H', Ctrl);
  UA::TypeText("foo");
  OEFindDlg* d = s.View()->m_pReplaceDlg;
  ASSERT_NE(nullptr, d);
  const auto click = [&](int id) {
    HWND h = ::GetDlgItem(d->m_hWnd, id);
    if (HWND edit = ::GetWindow(h, GW_CHILD)) h = edit;
    RECT r;
    ::GetClientRect(h, &r);
    UA::Click(h, POINT{r.right / 2, r.bottom / 2});
  };
  click(IDC_OEFIND_REPLACE);
  UA::TypeText("xy");
  click(IDC_OEFIND_REPLACEALL);
  UA::Pump();
  EXPECT_EQ("xy bar xy|", s.Text());
  // A column block of one row, pasted over a word.
  UA::KeyDown(VK_MENU), UA::Drag(s.ViewWnd(), s.At(1, 0), s.At(1, 2)), UA::KeyUp(VK_MENU);
  UA::PressKey('C', Ctrl);
  UA::DoubleClick(s.ViewWnd(), s.At(1, 4));
  UA::PressKey('V', Ctrl);
  UA::Pump();
  EXPECT_EQ("xy xy xy|", s.Text());

  struct Case {
    BOOL keepTabs;
    const char* text;
    const char* after;
  };
  for (const Case& c : {Case{TRUE, "\tx\r\n        y\r\n", "\tx||    y|"}, Case{FALSE, "    x\r\n\t\ty\r\n", "    x||\ty|"}}) {
    EditorScene w(2, c.text);
    w.Edit().SetTabSize(4);
    w.Edit().m_bKeepTabs = c.keepTabs;
    w.Edit().m_bAutoIndent = TRUE;
    UA::Click(w.ViewWnd(), w.At(2, 0));
    UA::TypeText("\n");
    UA::Pump();
    EXPECT_EQ(c.after, w.Text()) << c.text;
    EXPECT_EQ("3:4", w.Caret()) << c.text;
  }
}

// Tab and Shift+Tab over selected lines, with and without Keep tabs, twice in a row; each press
// undone by Ctrl+Z or by Alt+Backspace, and redone, one step each.
TEST(TextWindowRoutes, TabAndShiftTabOverSelectedLinesAndTheirUndoChain) {
  const char* text = "a1\r\n      b2\r\n\tc3\r\n      d4\r\ne5\r\n";
  struct Case {
    const char* selection;
    std::function<void(EditorScene&)> select;
    bool keepTabs, outdent;
    const char *once, *twice, *sel;
  };
  const auto select = [](int l1, int c1, int l2, int c2) {
    return [=](EditorScene& s) { UA::Click(s.ViewWnd(), s.At(l1, c1)), UA::Click(s.ViewWnd(), s.At(l2, c2), Shift); };
  };
  const Case cases[] = {
    {"forwards into a line", select(2, 1, 4, 3), true, false, "a1|\t      b2|\t\tc3|\t      d4|e5|", "a1|\t\t      b2|\t\t\tc3|\t\t      d4|e5|", "2:0-5:0"},
    {"forwards into a line", select(2, 1, 4, 3), false, false, "a1|          b2|    \tc3|          d4|e5|", "a1|              b2|        \tc3|              d4|e5|", "2:0-5:0"},
    {"forwards into a line", select(2, 1, 4, 3), true, true, "a1|  b2|c3|  d4|e5|", "a1|b2|c3|d4|e5|", "2:0-5:0"},
    {"backwards from a line start", select(4, 0, 2, 2), true, false, "a1|\t      b2|\t\tc3|      d4|e5|", "a1|\t\t      b2|\t\t\tc3|      d4|e5|", "2:0-4:0"},
    {"backwards from a line start", select(4, 0, 2, 2), false, true, "a1|  b2|c3|      d4|e5|", "a1|b2|c3|      d4|e5|", "2:0-4:0"},
  };
  for (const Case& c : cases) {
    for (UINT undo : {(UINT)'Z', (UINT)VK_BACK}) {
      const std::string mode = std::string(c.selection) + (c.keepTabs ? ", keep tabs" : ", spaces") + (c.outdent ? ", outdent" : ", indent") +
                               (undo == 'Z' ? ", ctrl z" : ", alt backspace");
      EditorScene s(2, text);
      s.Edit().SetTabSize(4);
      s.Edit().m_bKeepTabs = c.keepTabs;
      c.select(s);
      const UINT mods = c.outdent ? Shift : 0, undoMods = undo == 'Z' ? Ctrl : UA::kAlt;
      UA::PressKey(VK_TAB, mods);
      UA::Pump();
      const std::string at = std::string(c.sel).substr(0, 3);
      EXPECT_EQ(std::string(c.once) + " @" + at + " sel " + c.sel, s.Text() + " @" + s.Caret() + " sel " + s.Selection()) << mode;
      EXPECT_EQ(0, s.PixelsOff()) << mode;
      UA::PressKey(VK_TAB, mods);
      UA::Pump();
      EXPECT_EQ(std::string(c.twice) + " @" + at + " sel " + c.sel, s.Text() + " @" + s.Caret() + " sel " + s.Selection()) << mode;
      for (const char* back : {c.once, "a1|      b2|\tc3|      d4|e5|"}) {
        UA::PressKey(undo, undoMods);
        UA::Pump();
        EXPECT_EQ(back, s.Text()) << "undone: " << mode;
      }
      EXPECT_EQ(0, s.PixelsOff()) << mode;
      for (const char* again : {c.once, c.twice}) {
        UA::PressKey('Z', Ctrl | Shift);
        UA::Pump();
        EXPECT_EQ(again, s.Text()) << "redone: " << mode;
      }
      EXPECT_EQ(0, s.PixelsOff()) << mode;
    }
  }
  // On a read-only text both keys are refused, once each, and leave the selection as it was.
  for (UINT mods : {0u, Shift}) {
    EditorScene s(2, text);
    select(2, 1, 4, 3)(s);
    s.m_doc.SetReadOnly(TRUE);
    UA::PressKey(VK_TAB, mods);
    UA::Pump();
    std::string told;
    for (const auto& box : Automation::Instance().MessageBoxes()) told += " \"" + box.text + "\"";
    EXPECT_EQ("a1|      b2|\tc3|      d4|e5| @4:3 sel 2:1-4:3 \"The file is read only.\"", s.Text() + " @" + s.Caret() + " sel " + s.Selection() + told) << mods;
    EXPECT_EQ(0, s.PixelsOff()) << mods;
  }
}
