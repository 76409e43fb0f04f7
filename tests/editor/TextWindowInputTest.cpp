// Text windows in a host's MDI frame, used as a user does: keys, typing, clicks, drags and dialog
// buttons posted to the queue and the loop run; after each step the state the step names and the
// frame's picture, held against a full repaint.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "editor/core/OEFindDlg.h"
#include "editor/view/SECEditCtrl.h"
#include "platform/ui/MessageQueue.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>

namespace UA = UiAutomation;

namespace {

// Text, caret, selection, top line, bookmarks, overtype, as one line to compare.
std::string State(EditorScene& s) {
  const CTextFileView* v = s.View();
  std::string out = s.Text() + " @" + s.Caret() + " sel " + s.Selection() + " top " + std::to_string(v->m_nTopLine);
  if (s.Edit().m_nBookmarks) out += " bm " + std::to_string(s.Edit().m_nBookmarks);
  if (!s.Edit().GetInsertMode()) out += " ovr";
  return out;
}

struct Step {
  const char* what;
  std::function<void(EditorScene&)> input;
  const char* state;  // State() after the input
};

// Runs the steps in order on one scene: each leaves its state and a picture a full repaint agrees with.
void RunSteps(EditorScene& s, const std::vector<Step>& steps, const std::function<std::string(EditorScene&)>& state = State) {
  for (const Step& step : steps) {
    step.input(s);
    UA::Pump();
    EXPECT_EQ(step.state, state(s)) << step.what;
    EXPECT_EQ(0, s.PixelsOff()) << step.what;
  }
}

auto Key(UINT vk, UINT mods = 0) {
  return [=](EditorScene&) { UA::PressKey(vk, mods); };
}
auto Type(const char* text) {
  return [=](EditorScene&) { UA::TypeText(text); };
}
auto Click(int row, int col, UINT mods = 0) {
  return [=](EditorScene& s) { UA::Click(s.ViewWnd(), s.At(row, col), mods); };
}
auto Drag(int row, int col, int row2, int col2) {
  return [=](EditorScene& s) { UA::Drag(s.ViewWnd(), s.At(row, col), s.At(row2, col2)); };
}

constexpr UINT Ctrl = UA::kControl, Shift = UA::kShift;

}  // namespace

TEST(TextWindowInput, PlainWindowByKeysAndMouse) {
  EditorScene s(2, "alpha beta\r\ngamma\r\ndelta\r\n");
  RunSteps(s, {
    {"typing", Type("xy"), "xyalpha beta|gamma|delta| @1:2 sel none top 1"},
    {"select all", Key('A', Ctrl), "xyalpha beta|gamma|delta| @3:5 sel 1:0-3:5 top 1"},
    {"copy, end, paste", [](EditorScene&) { UA::PressKey('C', Ctrl); UA::PressKey(VK_END, Ctrl); UA::PressKey('V', Ctrl); }, "xyalpha beta|gamma|deltaxyalpha beta|gamma|delta| @5:5 sel none top 1"},
    {"undo", Key('Z', Ctrl), "xyalpha beta|gamma|delta| @3:5 sel none top 1"},
    {"redo", Key('Z', Ctrl | Shift), "xyalpha beta|gamma|deltaxyalpha beta|gamma|delta| @3:5 sel none top 1"},
    {"undo again", Key(VK_BACK, UA::kAlt), "xyalpha beta|gamma|delta| @3:5 sel none top 1"},
    {"click", Click(2, 3), "xyalpha beta|gamma|delta| @2:3 sel none top 1"},
    {"toggle bookmark", Key(VK_F2, Ctrl), "xyalpha beta|gamma|delta| @2:3 sel none top 1 bm 1"},
    {"drag", Drag(1, 0, 2, 2), "xyalpha beta|gamma|delta| @2:2 sel 1:0-2:2 top 1 bm 1"},
    {"double click", [](EditorScene& w) { UA::DoubleClick(w.ViewWnd(), w.At(1, 9)); }, "xyalpha beta|gamma|delta| @1:12 sel 1:8-1:12 top 1 bm 1"},
    {"click in the gutter", [](EditorScene& w) { UA::Click(w.ViewWnd(), POINT{2, w.At(2, 0).y}); }, "xyalpha beta|gamma|delta| @3:0 sel 2:0-3:0 top 1 bm 1"},
    {"shift click", Click(1, 3, Shift), "xyalpha beta|gamma|delta| @1:3 sel 1:3-2:0 top 1 bm 1"},
    {"wheel down", [](EditorScene& w) { UA::Wheel(w.ViewWnd(), w.At(1, 1), -120); }, "xyalpha beta|gamma|delta| @1:3 sel 1:3-2:0 top 2 bm 1"},
    {"wheel up", [](EditorScene& w) { UA::Wheel(w.ViewWnd(), w.At(1, 1), 120); }, "xyalpha beta|gamma|delta| @1:3 sel 1:3-2:0 top 1 bm 1"},
    {"overtype", [](EditorScene&) { UA::PressKey(VK_HOME, Ctrl); UA::PressKey(VK_INSERT); UA::TypeText("Q"); }, "Qyalpha beta|gamma|delta| @1:1 sel none top 1 bm 1 ovr"},
    {"insert, delete, end, backspace", [](EditorScene&) { for (UINT k : {VK_INSERT, VK_DELETE, VK_END, VK_BACK}) UA::PressKey(k); }, "Qalpha bet|gamma|delta| @1:10 sel none top 1 bm 1"},
    {"tab and enter", [](EditorScene&) { UA::PressKey(VK_TAB); UA::TypeText("\n"); }, "Qalpha bet\t||gamma|delta| @2:0 sel none top 1 bm 1"},
    {"shift down, cut", [](EditorScene&) { UA::PressKey(VK_DOWN, Shift); UA::PressKey('X', Ctrl); }, "Qalpha bet\t|gamma|delta| @2:0 sel none top 1 bm 1"},
    {"alt drag", [](EditorScene& w) { UA::KeyDown(VK_MENU); UA::Drag(w.ViewWnd(), w.At(1, 1), w.At(3, 3)); UA::KeyUp(VK_MENU); }, "Qalpha bet\t|gamma|delta| @3:3 sel 1:1-3:3 block top 1 bm 1"},
    {"column copied, pasted", [](EditorScene& w) { UA::PressKey('C', Ctrl); UA::Click(w.ViewWnd(), w.At(2, 0)); UA::PressKey('V', Ctrl); }, "Qalpha bet\t|algamma|amdelta|el| @2:0 sel none top 1 bm 1"},
    {"selection dragged away", [](EditorScene& w) { UA::Click(w.ViewWnd(), w.At(1, 0)); UA::PressKey(VK_RIGHT, Ctrl | Shift); UA::Drag(w.ViewWnd(), w.At(1, 1), w.At(3, 2), 6); }, "bet\t|algamma|amQalpha delta|el| @3:2 sel none top 1 bm 1"},
  });
}

TEST(TextWindowInput, LongTextScrolledByKeysWheelAHeldButtonAndSideways) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "line " + std::to_string(i) + "\r\n";
  EditorScene s(2, text);
  const auto state = [](EditorScene& w) { return w.Caret() + " sel " + w.Selection() + " top " + std::to_string(w.View()->m_nTopLine); };
  // The button held below the window: a line per 100 ms tick, the first tick skipped.
  const auto holdBelow = [](int ms) {
    return [=](EditorScene& w) {
      RECT c;
      ::GetClientRect(w.ViewWnd(), &c);
      const POINT p = w.At(2, 2);
      ::PostMouseInput(w.ViewWnd(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{p.x, p.y});
      ::PostMouseInput(w.ViewWnd(), WM_MOUSEMOVE, MK_LBUTTON, POINT{p.x, c.bottom + 10});
      UA::Pump();
      UA::AdvanceClock((ULONGLONG)ms, 100);
      ::PostMouseInput(w.ViewWnd(), WM_LBUTTONUP, 0, POINT{p.x, c.bottom + 10});
      UA::AdvanceClock(300, 100);
    };
  };
  RunSteps(s, {
    {"page down", Key(VK_NEXT), "14:0 sel none top 14"},
    {"shift page down", Key(VK_NEXT, Shift), "27:0 sel 14:0-27:0 top 27"},
    {"ctrl end", Key(VK_END, Ctrl), "40:7 sel none top 28"},
    {"ctrl home", Key(VK_HOME, Ctrl), "1:0 sel none top 1"},
    {"wheel", [](EditorScene& w) { UA::Wheel(w.ViewWnd(), w.At(1, 1), -120); UA::Wheel(w.ViewWnd(), w.At(1, 1), -120); }, "1:0 sel none top 3"},
    {"held below", holdBelow(1000), "14:2 sel 4:2-14:2 top 3"},
    {"click", Click(1, 0), "3:0 sel none top 3"},
    {"held longer", holdBelow(3000), "34:2 sel 4:2-34:2 top 22"},
  }, state);

  // A long line: the view follows the caret sideways, and the bar moves the view alone.
  EditorScene wide(2, "short\r\n" + std::string(150, 'w') + "\r\nend\r\n");
  const auto sideways = [](EditorScene& w) { return w.Caret() + " left " + std::to_string(w.View()->m_nLeftCol); };
  RunSteps(wide, {
    {"end of the long line", [](EditorScene&) { UA::PressKey(VK_DOWN); UA::PressKey(VK_END); }, "2:150 left 102"},
    {"typed there", Type("q"), "2:151 left 105"},
    {"up to the short line", Key(VK_UP), "1:5 left 3"},
    {"bar paged right", [](EditorScene& w) { dravonix::test::bars::Press(w.ViewWnd(), dravonix::test::kPageRight); }, "1:5 left 35"},
    {"home", Key(VK_HOME), "1:0 left 0"},
  }, sideways);
}

TEST(TextWindowInput, ConsoleEditsOnlyItsInputAfterThePrompt) {
  // Each case on a console holding one run command and "defg" typed after a new prompt.
  const char* before = "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|";
  const auto drag = [](int row, int col, int row2, int col2) {
    return [=](EditorScene& w) { UA::Drag(w.ViewWnd(), w.At(row, col), w.At(row2, col2)); };
  };
  struct Case {
    const char* what;
    std::function<void(EditorScene&)> select, input;
    const char* text;
  } cases[] = {
    {"typed over lines above", drag(1, 2, 3, 7), Type("q"), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> deqfg|"},
    {"typed with the caret above", drag(3, 7, 1, 2), Type("q"), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defgq|"},
    {"typed over the prompt", drag(3, 7, 3, 2), Type("q"), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> qdefg|"},
    {"typed over the input", drag(3, 5, 3, 7), Type("q"), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> qfg|"},
    {"tab over lines above", drag(1, 2, 3, 7), Key(VK_TAB), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"back tab over lines above", drag(1, 2, 3, 7), Key(VK_TAB, Shift), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"tab over the input", drag(3, 5, 3, 7), Key(VK_TAB), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"tab in the prompt", Key(VK_HOME), Key(VK_TAB), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"tab at the end", Key(VK_END), Key(VK_TAB), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg\t|"},
    {"backspace in the prompt", Key(VK_HOME), Key(VK_BACK), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"delete in the prompt", Key(VK_HOME), Key(VK_DELETE), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"cut over lines above", drag(1, 2, 3, 7), Key('X', Ctrl), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"typed on a line above", Click(1, 6), Type("q"), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defgq|"},
    {"a key typing nothing on a line above, scrolled",
     [](EditorScene& w) { UA::Wheel(w.ViewWnd(), w.At(1, 1), -120); UA::Click(w.ViewWnd(), w.At(1, 1)); },
     Key('X', Ctrl | Shift), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg|"},
    {"recall and back", Key(VK_UP), Key(VK_DOWN), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> |"},
    {"recalled, emptied and run", Key(VK_UP),
     [](EditorScene&) { for (const char* k : {"\b", "\b", "\b", "\n"}) UA::TypeText(k); },
     "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> |VKS> |"},
    {"recall and run", Key(VK_UP), Type("\n"), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> |"},
  };
  for (const Case& c : cases) {
    EditorScene s(4);
    UA::TypeText("abc\ndefg");
    ASSERT_EQ(before, s.Text());
    c.select(s);
    c.input(s);
    EXPECT_EQ(c.text, s.Text()) << c.what;
    EXPECT_EQ(0, s.PixelsOff()) << c.what;
  }
}

namespace {

// A user action on the console's view: op picks it, the rest are its place, key and modifiers.
struct ConsoleAction {
  int op, row, col, row2, col2;
  UINT key, mod;
};

std::string Describe(const std::vector<ConsoleAction>& done) {
  std::string out;
  for (const ConsoleAction& a : done)
    out += "{" + std::to_string(a.op) + "," + std::to_string(a.row) + "," + std::to_string(a.col) + "," +
           std::to_string(a.row2) + "," + std::to_string(a.col2) + "," + std::to_string(a.key) + "," +
           std::to_string(a.mod) + "}, ";
  return out;
}

// Applies an action; an Enter (op 9) also moves what the input line held into the expected history.
void Apply(EditorScene& s, const ConsoleAction& a, std::string& history) {
  switch (a.op) {
    case 0: UA::PressKey(a.key, a.mod); break;
    case 1: UA::TypeText(a.col % 2 ? "x" : "y"); break;
    case 2: UA::Click(s.ViewWnd(), s.At(a.row, a.col), a.mod & Shift); break;
    case 3: UA::Drag(s.ViewWnd(), s.At(a.row, a.col), s.At(a.row2, a.col2)); break;
    case 4: UA::PressKey("XCVZ"[a.col % 4], Ctrl | (a.mod & Shift)); break;
    case 5: UA::DoubleClick(s.ViewWnd(), s.At(a.row, a.col)); break;
    case 6: UA::Wheel(s.ViewWnd(), s.At(1, 1), a.row % 2 ? 120 : -120); break;
    default: {
      const std::string text = s.Text();
      const std::string last = text.substr(0, text.size() - 1).substr(history.size());
      history += last + (last.size() > 5 ? "|FATAL ERROR: THERE IS NO SETUP!|" : "|");
      UA::TypeText("\n");
    }
  }
  UA::Pump();
}

ConsoleAction RandomConsoleAction(std::mt19937& rng) {
  const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_BACK, VK_DELETE, VK_TAB, VK_INSERT};
  const UINT mods[] = {0, Shift, Ctrl, Ctrl | Shift};
  ConsoleAction a{(int)(rng() % 10), 1 + (int)(rng() % 8), (int)(rng() % 12), 1 + (int)(rng() % 8), (int)(rng() % 12),
                  keys[rng() % 10], mods[rng() % 4]};
  if (a.op >= 7 && rng() % 3) a.op = 0;  // Enter one step in ten or so
  return a;
}

// The lines above the input as the runs left them, the input line with its prompt, and the picture.
std::string ConsoleWrong(EditorScene& s, const std::string& history) {
  const std::string text = s.Text();
  if (text.compare(0, history.size(), history) != 0) return "history: " + text;
  if (text.compare(history.size(), 5, "VKS> ") != 0) return "prompt: " + text;
  if (text.find('|', history.size()) != text.size() - 1) return "input lines: " + text;
  if (int off = s.PixelsOff()) return "pixels off " + std::to_string(off);
  return "";
}

}  // namespace

// Whatever a user does, the lines above the input stay as the runs left them, the input line keeps
// its prompt, and the picture is the full repaint's.
TEST(TextWindowInput, RandomInputLeavesTheConsoleHistoryAndPromptAlone) {
  for (unsigned seed = 1; seed <= 2; ++seed) {
    EditorScene s(4);
    std::mt19937 rng(seed);
    std::string history;
    std::vector<ConsoleAction> done;
    for (int i = 0; i < 80; ++i) {
      done.push_back(RandomConsoleAction(rng));
      Apply(s, done.back(), history);
      ASSERT_EQ("", ConsoleWrong(s, history)) << Describe(done);
    }
  }
}

// A command recalled in one console window shows in another window on the console at once.
TEST(TextWindowInput, ACommandRecalledInOneConsoleWindowShowsInTheOther) {
  EditorScene s(4);
  UA::TypeText("abc\ny");
  s.AddChild(0, CRect(120, 60, 460, 300));  // the first window's input line stays in view behind
  RunSteps(s, {
    {"recalled", Key(VK_UP), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> abc| @3:8 sel none top 1"},
    {"back to the prompt", Key(VK_DOWN), "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> | @3:5 sel none top 1"},
  });
}

namespace {

// A click in the middle of a dialog's control; into a combo box's edit field.
auto ClickItem(OEFindDlg* (CTextFileView::*dialog), int id) {
  return [=](EditorScene& w) {
    OEFindDlg* d = w.View()->*dialog;
    ASSERT_NE(nullptr, d);
    HWND h = ::GetDlgItem(d->m_hWnd, id);
    if (HWND edit = ::GetWindow(h, GW_CHILD)) h = edit;
    RECT r;
    ::GetClientRect(h, &r);
    UA::Click(h, POINT{r.right / 2, r.bottom / 2});
  };
}

// Text, caret, selection, the open dialog and the last message shown.
std::string FindState(EditorScene& s) {
  const CTextFileView* v = s.View();
  const auto boxes = Automation::Instance().MessageBoxes();
  return s.Text() + " @" + s.Caret() + " sel " + s.Selection() + (v->m_pFindDlg ? " find" : "") +
         (v->m_pReplaceDlg ? " replace" : "") + (s.Edit().m_nBookmarks ? " bm " + std::to_string(s.Edit().m_nBookmarks) : "") +
         (boxes.empty() ? "" : " \"" + boxes.back().text + "\"");
}

}  // namespace

TEST(TextWindowInput, FindAndReplaceThroughTheirDialogs) {
  EditorScene s(2, "one x two\r\nthree x\r\nfour\r\n");
  for (const char* key : {"Find", "Replace"})
    for (int n = 1; n <= 10; ++n) s.m_app.WriteProfileString("Settings\\Find", (key + std::to_string(n)).c_str(), "");
  const auto find = &CTextFileView::m_pFindDlg, replace = &CTextFileView::m_pReplaceDlg;
  RunSteps(s, {
    {"replace opens", Key('H', Ctrl), "one x two|three x|four| @1:0 sel none replace"},
    {"texts typed", [=](EditorScene& w) { UA::TypeText("x"); ClickItem(replace, IDC_OEFIND_REPLACE)(w); UA::TypeText("YY"); }, "one x two|three x|four| @1:0 sel none replace"},
    {"replace", ClickItem(replace, IDC_OEFIND_REPLACEBTN), "one YY two|three x|four| @2:7 sel 2:6-2:7 replace"},
    {"replace all", ClickItem(replace, IDC_OEFIND_REPLACEALL), "one YY two|three YY|four| @2:8 sel none"},
    {"cancel", [=](EditorScene& w) { UA::PressKey('H', Ctrl); ClickItem(replace, IDCANCEL)(w); }, "one YY two|three YY|four| @2:8 sel none"},
    {"find from the top", [=](EditorScene& w) { UA::PressKey(VK_HOME, Ctrl); UA::PressKey('F', Ctrl); UA::TypeText("e"); ClickItem(find, IDOK)(w); }, "one YY two|three YY|four| @1:3 sel 1:2-1:3"},
    {"find next", Key(VK_F3), "one YY two|three YY|four| @2:4 sel 2:3-2:4"},
    {"mark all", [=](EditorScene& w) { UA::PressKey('F', Ctrl); ClickItem(find, IDC_OEFIND_MARKALL)(w); }, "one YY two|three YY|four| @2:0 sel none bm 2"},
    {"next bookmark", Key(VK_F2), "one YY two|three YY|four| @1:0 sel none bm 2"},
    {"Enter finds", [=](EditorScene&) { UA::PressKey('F', Ctrl); UA::TypeText("w"); UA::PressKey(VK_RETURN); }, "one YY two|three YY|four| @1:9 sel 1:8-1:9 bm 2"},
    {"Enter finds next in replace", [=](EditorScene&) { UA::PressKey('H', Ctrl); UA::TypeText("t"); UA::PressKey(VK_RETURN); }, "one YY two|three YY|four| @2:1 sel 2:0-2:1 replace bm 2"},
    {"Escape closes it", Key(VK_ESCAPE), "one YY two|three YY|four| @2:1 sel 2:0-2:1 bm 2"},
    // Tab leaves the combo box and reaches the direction the dialog shows checked; Space keeps it.
    {"Tab into the direction", [](EditorScene&) {
       UA::PressKey('F', Ctrl);
       UA::TypeText("o");
       UA::PressKey(VK_TAB);
       EXPECT_EQ(IDC_OEFIND_WHOLEWORD, ::GetDlgCtrlID(::GetFocus()));  // out of the combo box's edit
       for (int i = 0; i < 4; ++i) UA::PressKey(VK_TAB);
       EXPECT_EQ(IDC_OEFIND_DOWN, ::GetDlgCtrlID(::GetFocus()));
       UA::PressKey(VK_SPACE);
       UA::PressKey(VK_RETURN);
     }, "one YY two|three YY|four| @3:2 sel 3:1-3:2 bm 2"},
  }, FindState);
}

TEST(TextWindowInput, OutputWindowIsReadAndClearedOnly) {
  EditorScene s(3, "one\r\ntwo\r\n");
  const auto state = [](EditorScene& w) { return w.Text() + " @" + w.Caret() + " sel " + w.Selection(); };
  RunSteps(s, {
    {"opened at the end", [](EditorScene&) {}, "one|two|| @3:0 sel none"},
    {"typing", Type("q\n"), "one|two|| @3:0 sel none"},
    {"paste", [](EditorScene&) { UA::PressKey(VK_HOME, Ctrl); UA::PressKey(VK_END, Shift); UA::PressKey('C', Ctrl); UA::PressKey('V', Ctrl); }, "one|two|| @1:3 sel 1:0-1:3"},
    {"cut", Key('X', Ctrl), "one|two|| @1:3 sel 1:0-1:3"},
    {"delete clears", Key(VK_DELETE), "| @1:0 sel none"},
  }, state);
}

// The host's status bar follows the active text window, shows the cursor a pane asks for, and a
// progress display across it draws as a full repaint does while the frame is used and sized.
TEST(TextWindowInput, StatusBarPanesCursorsAndProgressInTheFrame) {
  EditorScene s(2, "alpha\r\nbeta\r\ngamma\r\n");
  SECCustomStatusBar& bar = s.AddStatusBar();
  tagPaneInfoEx cross;
  cross.iIndex = 2;
  cross.hCursor = ::LoadCursor(nullptr, IDC_CROSS);
  cross.dwMask = 0x100;
  bar.SetPaneInfoEx(&cross, FALSE);
  const auto state = [&bar](EditorScene& w) {
    std::string out;
    // A disabled pane shows nothing: the overtype pane is off in insert mode.
    for (int i = 0; i < 3; ++i)
      out += "[" + std::string((bar.GetPaneStyle(i) & SBPS_DISABLED) ? "off" : (const char*)bar.GetPaneText(i)) + "]";
    // The cursor's resource: 32512 the arrow, 32513 the I-beam, 32515 the cross, 24702 the gutter's.
    out += " cursor " + std::to_string(::GetCursor() ? ::GetCursor()->id : 0u);
    if (SECProgressCtrl* p = bar.GetProgressCtrl()) {
      CRect r, client;
      p->GetWindowRect(&r);
      bar.ScreenToClient(&r);
      bar.GetClientRect(&client);
      out += " progress " + std::to_string(p->GetPos()) + (r.right == client.right ? " to the edge" : " ends at " + std::to_string(r.right) + " of " + std::to_string(client.right));
    }
    return out + " @" + w.Caret();
  };
  const auto over = [](int x, int y) { return [=](EditorScene& w) { UA::MouseMove(w.ViewWnd(), POINT{x, y}); }; };
  const auto overPane = [&bar](int pane) {
    return [&bar, pane](EditorScene&) {
      CRect r;
      bar.GetItemRect(pane, &r);
      UA::MouseMove(bar.m_hWnd, r.CenterPoint());
    };
  };
  const auto frameSize = [](int cx, int cy) {
    return [=](EditorScene& w) { ::SetWindowPos(w.MainWnd(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER); };
  };
  ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
  RunSteps(s, {
    {"opened", [](EditorScene&) {}, "[][Line 1 Col 1][off] cursor 32512 @1:0"},
    {"click", Click(2, 3), "[][Line 2 Col 4][off] cursor 32513 @2:3"},
    {"overtype", Key(VK_INSERT), "[][Line 2 Col 4][OVR] cursor 32513 @2:3"},
    {"insert", Key(VK_INSERT), "[][Line 2 Col 4][off] cursor 32513 @2:3"},
    {"second window", [](EditorScene& w) { w.AddChild(0, CRect(60, 40, 400, 240)); }, "[][Line 2 Col 4][off] cursor 32513 @2:3"},
    {"click in it", Click(3, 1), "[][Line 3 Col 2][off] cursor 32513 @3:1"},
    {"back to the first", Key(VK_F6, Ctrl), "[][Line 2 Col 4][off] cursor 32513 @2:3"},
    {"over the gutter", over(2, 5), "[][Line 2 Col 4][off] cursor 24702 @2:3"},
    {"over the text", [](EditorScene& w) { UA::MouseMove(w.ViewWnd(), w.At(1, 2)); }, "[][Line 2 Col 4][off] cursor 32513 @2:3"},
    {"over a selection", [](EditorScene& w) { UA::PressKey(VK_HOME, Shift); UA::MouseMove(w.ViewWnd(), w.At(2, 1)); }, "[][Line 2 Col 1][off] cursor 32512 @2:0"},
    {"over a pane with a cursor", overPane(2), "[][Line 2 Col 1][off] cursor 32515 @2:0"},
    {"over a plain pane", overPane(1), "[][Line 2 Col 1][off] cursor 32512 @2:0"},
    {"progress shown", [&bar](EditorScene&) { bar.InitializeProgressControl("Saving", 0, 10); }, "[Saving][Line 2 Col 1][off] cursor 32512 progress 0 to the edge @2:0"},
    {"progress moved", [&bar](EditorScene&) { bar.SetProgress(4); }, "[Saving][Line 2 Col 1][off] cursor 32512 progress 4 to the edge @2:0"},
    {"click while in progress", Click(1, 2), "[Saving][Line 1 Col 3][off] cursor 32513 progress 4 to the edge @1:2"},
    {"frame made smaller in progress", frameSize(420, 300), "[Saving][Line 1 Col 3][off] cursor 32513 progress 4 to the edge @1:2"},
    {"frame made larger in progress", frameSize(540, 380), "[Saving][Line 1 Col 3][off] cursor 32513 progress 4 to the edge @1:2"},
    {"progress ended", [&bar](EditorScene&) { bar.UninitializeProgressControl(); }, "[][Line 1 Col 3][off] cursor 32513 @1:2"},
    {"frame sized", frameSize(480, 360), "[][Line 1 Col 3][off] cursor 32513 @1:2"},
  }, state);
}

// The status bar's size grip sizes the frame as its corner does, while the frame is not maximized.
TEST(TextWindowInput, TheStatusBarsGripSizesTheFrame) {
  EditorScene s(2, "alpha\r\n");
  SECCustomStatusBar& bar = s.AddStatusBar();
  const auto grip = [&bar](int dx, int dy) {
    return [&bar, dx, dy](EditorScene&) {
      CRect r;
      bar.GetClientRect(&r);
      UA::Drag(bar.m_hWnd, CPoint(r.right - 3, r.bottom - 3), CPoint(r.right - 3 + dx, r.bottom - 3 + dy));
    };
  };
  const auto size = [](EditorScene& w) {
    CRect r;
    ::GetWindowRect(w.MainWnd(), &r);
    return std::to_string(r.Width()) + "x" + std::to_string(r.Height()) + (::IsZoomed(w.MainWnd()) ? " maximized" : "");
  };
  ::SetWindowPos(s.MainWnd(), nullptr, 0, 0, 500, 360, SWP_NOMOVE | SWP_NOZORDER);
  RunSteps(s, {
    {"grip pulled out", grip(40, 30), "540x390"},
    {"grip pushed in", grip(-100, -50), "440x340"},
    {"maximized: no grip", [&](EditorScene& w) { ::ShowWindow(w.MainWnd(), SW_MAXIMIZE), grip(-100, -50)(w); }, "1288x1032 maximized"},
  }, size);
}

// Comment delimiters typed and taken away recolour the lines they open and close at once.
TEST(TextWindowInput, TypedBlockCommentsColourTheLinesTheyReach) {
  EditorScene s(2, "a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\n");
  const char* section = "Text Editor\\Scene";
  for (auto [key, value] : {std::pair{"Comment Start 1", "/*"}, {"Comment End 1", "*/"}, {"Comment Start 2", "//"},
                            {"Comment End 2", ""}})
    s.m_app.WriteProfileString(section, key, value);
  const std::string keywords = dravonix::test::ScratchDir("text-window-input") + "/kw.ini";
  std::ofstream(keywords, std::ios::binary) << "[Keywords]\r\nbegin=\r\n";
  s.m_app.WriteProfileString(section, "Keywords", keywords.c_str());
  s.m_app.WriteProfileInt(section, "Chroma", 1);
  s.Edit().SetProfileSection(section);
  s.Edit().LoadSettings();
  ::RedrawWindow(s.MainWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Which rows show the comment colour, '#' for each that does.
  const auto state = [](EditorScene& w) {
    std::string rows = w.Text() + " ";
    const CTextFileView* v = w.View();
    for (int row = 0; row < 4; ++row)
      rows += AnyPixel(w.ViewWnd(), CRect(v->m_nMargin, row * v->m_nLineHeight, v->m_nMargin + 10 * v->m_nCharWidth, (row + 1) * v->m_nLineHeight),
                       [](COLORREF c) { return GetGValue(c) > 70 && GetRValue(c) < 60 && GetBValue(c) < 60; })
                  ? '#'
                  : '.';
    return rows;
  };
  RunSteps(s, {
    {"plain", [](EditorScene&) {}, "a = 1|b = 2|c = 3|d = 4| ...."},
    {"opened on the first line", Type("/*"), "/*a = 1|b = 2|c = 3|d = 4| ####"},
    {"closed on the second", [](EditorScene&) { UA::PressKey(VK_DOWN); UA::PressKey(VK_END); UA::TypeText("*/"); }, "/*a = 1|b = 2*/|c = 3|d = 4| ##.."},
    {"the close taken away", [](EditorScene&) { UA::PressKey(VK_BACK); }, "/*a = 1|b = 2*|c = 3|d = 4| ####"},
    {"the open taken away", [](EditorScene&) { UA::PressKey(VK_HOME, Ctrl); UA::PressKey(VK_DELETE); }, "*a = 1|b = 2*|c = 3|d = 4| ...."},
    {"undone", Key('Z', Ctrl), "/*a = 1|b = 2*|c = 3|d = 4| ####"},
    {"a line comment", [](EditorScene&) { UA::PressKey(VK_DOWN); UA::PressKey(VK_DOWN); UA::TypeText("//"); }, "/*a = 1|b = 2*|//c = 3|d = 4| ####"},
  }, state);
}

// Text dragged from another window lands in the console only at its input, and only its first line.
TEST(TextWindowInput, TextDroppedIntoTheConsoleOnlyAtItsInput) {
  struct Case {
    int row, col;
    const char* text;
  } cases[] = {{1, 2, "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg| / one two\r\n"}, {3, 2, "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> defg| / one two\r\n"}, {3, 7, "VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> deone twofg| / one two\r\n"}};
  for (const Case& c : cases) {
    EditorScene s(4);
    UA::TypeText("abc\ndefg");
    CTextFileView* console = s.View();
    SetText(*s.m_other.GetEdit(), "one two\r\nthree\r\n");
    s.AddChild(1, CRect(0, 130, 400, 300));
    HWND plain = s.ViewWnd();
    UA::DoubleClick(plain, s.At(1, 1));
    ASSERT_EQ("1:0-1:3", s.Selection());
    UA::PressKey(VK_DOWN, Shift);
    POINT to = s.At(c.row, c.col, console);
    ::MapWindowPoints(console->m_hWnd, plain, &to, 1);
    UA::Drag(plain, s.At(1, 1), to, 6);
    UA::Pump();
    EXPECT_EQ(c.text, s.Text() + " / " + AllText(*s.m_other.GetEdit()).substr(0, 9)) << c.row << ":" << c.col;
    EXPECT_EQ(0, s.PixelsOff()) << c.row << ":" << c.col;
  }
}

// Text dragged out of the console with the mouse is copied into a text window; the console keeps it.
TEST(TextWindowInput, TextDraggedOutOfTheConsoleIsCopied) {
  EditorScene s(4);
  UA::TypeText("abc\n");
  CTextFileView* console = s.View();
  SetText(*s.m_other.GetEdit(), "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6\r\nl7\r\nl8\r\nl9\r\n");
  s.AddChild(1, CRect(0, 130, 400, 300));
  CTextFileView* plain = s.View();
  UA::DoubleClick(console->m_hWnd, s.At(1, 6, console));
  ASSERT_EQ("1:5-1:8", s.Selection());
  // The first row of the text window the console does not cover.
  int row = 1;
  POINT to{};
  for (;; ++row) {
    ASSERT_LT(row, 10);
    to = s.At(row, 1, plain);
    POINT screen = to;
    ::ClientToScreen(plain->m_hWnd, &screen);
    if (::WindowFromPoint(screen) == plain->m_hWnd) break;
  }
  ::MapWindowPoints(plain->m_hWnd, console->m_hWnd, &to, 1);
  UA::Drag(console->m_hWnd, s.At(1, 6, console), to, 6);
  UA::Pump();
  std::string want = "l" + std::to_string(row);
  want.insert(1, "abc");
  EXPECT_EQ(want + "\r\n", Lines(*s.m_other.GetEdit())[(size_t)row - 1]);
  EXPECT_EQ("VKS> abc|FATAL ERROR: THERE IS NO SETUP!|VKS> |", s.Text());
  EXPECT_EQ(0, s.PixelsOff());
}

// Options the host's options dialog hands over reach the open windows at once.
TEST(TextWindowInput, OptionsFromTheHostShowInTheOpenWindows) {
  EditorScene s(2, "a\tb\r\nkeep\r\n");
  auto* tmpl = new CTextFileDocTemplate(0, RUNTIME_CLASS(CTextFileDoc), nullptr, nullptr);
  s.m_app.AddDocTemplate(tmpl);
  tmpl->AddDocument(&s.m_doc);
  UA::PressKey(VK_F2, Ctrl);
  const auto state = [](EditorScene& w) {
    const CTextFileView* v = w.View();
    return "tab " + std::to_string(w.Edit().GetTabSize()) + " margin " + std::to_string(v->m_nMargin) + " line " +
           std::to_string(v->m_nLineHeight);
  };
  const auto change = [](const std::function<void(tagSrcFileOpt&)>& edit) {
    return [=](EditorScene&) {
      tagSrcFileOpt opt;
      CTextFileDoc::GetOptions(opt);
      edit(opt);
      CTextFileDoc::SetOptions(opt);
    };
  };
  tagSrcFileOpt saved;
  CTextFileDoc::GetOptions(saved);
  RunSteps(s, {
    {"tab size", change([](tagSrcFileOpt& o) { o.aFileType[1].nTabSize = 8; }), "tab 8 margin 21 line 14"},
    {"background", change([](tagSrcFileOpt& o) { o.aFileType[1].crBackground = RGB(255, 255, 200); }), "tab 8 margin 21 line 14"},
    {"text colour", change([](tagSrcFileOpt& o) { o.aFileType[1].crText = RGB(0, 0, 160); }), "tab 8 margin 21 line 14"},
    {"show tabs", change([](tagSrcFileOpt& o) { o.aFileType[1].bShowTabs = 1; }), "tab 8 margin 21 line 14"},
    {"bookmark colour", change([](tagSrcFileOpt& o) { o.crBookmark = RGB(200, 0, 200); }), "tab 8 margin 21 line 14"},
    {"font size", change([](tagSrcFileOpt& o) { o.aFileType[1].lf.lfHeight *= 2; }), "tab 8 margin 40 line 27"},
    {"no margin", change([](tagSrcFileOpt& o) { o.aFileType[1].bSelectionMargin = 0; }), "tab 8 margin 0 line 27"},
    {"as before", change([&saved](tagSrcFileOpt& o) { o = saved; }), "tab 3 margin 21 line 14"},
  }, state);
  tmpl->RemoveDocument(&s.m_doc);
}

// A selection that holds nothing, reached by Shift at the text's ends or all of an empty text,
// copies and cuts nothing.
TEST(TextWindowInput, AnEmptySelectionLeavesTheClipboardAlone) {
  EditorScene s(2, "keep\r\nlast");
  UA::DoubleClick(s.ViewWnd(), s.At(1, 1));
  UA::PressKey('C', Ctrl);
  // Moving past the ends is told; nothing else is.
  const auto state = [](EditorScene& w) {
    std::string told;
    for (const auto& box : Automation::Instance().MessageBoxes())
      if (box.text != "Top of file." && box.text != "End of file.") told += " " + box.text;
    return w.Text() + " clip " + EditorScene::Clipboard() + told;
  };
  const auto copyAndCut = [](UINT home, UINT shifted) {
    return [=](EditorScene&) {
      for (UINT key : {'C', 'X'}) {
        UA::PressKey(home, Ctrl);
        UA::PressKey(shifted, Shift);
        UA::PressKey(key, Ctrl);
      }
    };
  };
  RunSteps(s, {
    {"shift left at the start", copyAndCut(VK_HOME, VK_LEFT), "keep|last| clip keep"},
    {"shift down on the last line", copyAndCut(VK_END, VK_DOWN), "keep|last| clip keep"},
    {"all of an empty text", [](EditorScene&) {
      UA::PressKey('A', Ctrl);
      UA::PressKey(VK_DELETE);
      for (UINT key : {'C', 'X'}) UA::PressKey('A', Ctrl), UA::PressKey(key, Ctrl);
    }, "| clip keep"},
  }, state);
}

// Cut while another program holds the clipboard open: the text that cannot go there stays in the
// window, a stream and a column block alike.
TEST(TextWindowInput, CutKeepsTheTextTheClipboardCannotTake) {
  EditorScene s(2, "alpha beta\r\ngamma\r\n");
  ClipboardSetText(nullptr, "before", 6);
  SetClipboardHeldByOtherProgram(TRUE);
  RunSteps(s, {
    {"stream", [](EditorScene& w) { UA::Drag(w.ViewWnd(), w.At(1, 0), w.At(1, 5)), UA::PressKey('X', Ctrl); }, "alpha beta|gamma|"},
    {"column block", [](EditorScene& w) {
      UA::Click(w.ViewWnd(), w.At(2, 5));
      UA::KeyDown(VK_MENU), UA::Drag(w.ViewWnd(), w.At(1, 1), w.At(2, 3)), UA::KeyUp(VK_MENU), UA::PressKey('X', Ctrl);
    }, "alpha beta|gamma| block"},
  }, [](EditorScene& w) { return w.Text() + (w.View()->m_nSelMode == 2 ? " block" : ""); });
  SetClipboardHeldByOtherProgram(FALSE);
  EXPECT_EQ(EditorScene::Clipboard(), "before");
}

// A Select key at the text's start or end selects nothing, and Select All of an empty text leaves
// nothing selected: typing, Backspace and the next Select key work from the caret.
TEST(TextWindowInput, ASelectionOfNothingLeavesKeysWorkingFromTheCaret) {
  EditorScene s(2, "abc\r\nxyz");
  RunSteps(s, {
    {"shift left at the start", Key(VK_LEFT, Shift), "abc|xyz| @1:0 sel none top 1"},
    {"typed, shift right", [](EditorScene&) { UA::TypeText("k"); UA::PressKey(VK_RIGHT, Shift); }, "kabc|xyz| @1:2 sel 1:1-1:2 top 1"},
    {"delete", Key(VK_DELETE), "kbc|xyz| @1:1 sel none top 1"},
    {"shift down on the last line", [](EditorScene&) { UA::PressKey(VK_END, Ctrl); UA::PressKey(VK_DOWN, Shift); }, "kbc|xyz| @2:3 sel none top 1"},
    {"backspace", Key(VK_BACK), "kbc|xy| @2:2 sel none top 1"},
    // All of an empty text selects nothing there is: typing and Backspace work as without it.
    {"all of an empty text, typed, backspace", [](EditorScene&) {
      for (UINT key : {'A', 'X', 'A'}) UA::PressKey(key, Ctrl);
      UA::TypeText("pq");
      UA::PressKey(VK_BACK);
    }, "p| @1:1 sel none top 1"},
  });
}

// Every face the options offer, proportional ones too, at the sizes offered, keeps the editor's
// columns: each letter fills one column, typing and a click land on them, the picture agrees with a
// full repaint; in a view and in the editor control.
TEST(TextWindowInput, EveryFontFromTheOptionsKeepsTheColumns) {
  std::vector<std::string> faces = {"Arial", "Times New Roman", "MS Sans Serif", "Courier New"};
  ::EnumFontFamilies(nullptr, nullptr, [](const LOGFONT* lf, const TEXTMETRIC*, DWORD, LPARAM p) {
    reinterpret_cast<std::vector<std::string>*>(p)->push_back(lf->lfFaceName);
    return 1;
  }, reinterpret_cast<LPARAM>(&faces));
  const auto cells = [](CWnd* w, CFont& font, int charWidth, const char* text) {
    CClientDC dc(w);
    CFont* old = dc.SelectObject(&font);
    const bool fit = dc.GetTextExtent(text, (int)strlen(text)).cx == (int)strlen(text) * charWidth;
    dc.SelectObject(old);
    return fit;
  };
  EditorScene s(2, "iiiiiiiiii\r\nWWWWWWWWWW\r\n");
  for (const std::string& face : faces)
    for (int points : {8, 9, 12, 20}) {
      const std::string what = face + " " + std::to_string(points);
      s.ChooseFont(2, face.c_str(), points);
      CTextFileView* v = s.View();
      LOGFONT lf{};
      v->m_font.GetLogFont(&lf);
      ASSERT_EQ(what, lf.lfFaceName + (" " + std::to_string(MulDiv(-lf.lfHeight, 72, 96))));
      UA::Click(s.ViewWnd(), s.At(2, 5));
      UA::TypeText("i");
      UA::Pump();
      EXPECT_EQ("iiiiiiiiii|WWWWWiWWWWW| @2:6", s.Text() + " @" + s.Caret()) << what;
      EXPECT_TRUE(cells(v, v->m_font, v->m_nCharWidth, "iWmW.")) << what;
      EXPECT_EQ(0, s.PixelsOff()) << what;
      UA::PressKey('Z', Ctrl);
    }

  // The control reads the same kind's settings.
  s.ChooseFont(2, "Arial", 9);
  SECEditCtrl ctrl;
  ctrl.GetEdit()->SetProfileSection(CTextFileDoc::GetRegistrySubKey(2));
  ctrl.GetEdit()->LoadSettings();
  ASSERT_TRUE(ctrl.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), "ctrl", WS_POPUP | WS_VISIBLE, CRect(40, 40, 340, 240), nullptr, 0));
  UA::Click(ctrl.m_hWnd, CPoint(5, 5));
  UA::TypeText("iiiiiiiiii\nWWWWWWWWWW");
  UA::Click(ctrl.m_hWnd, CPoint(ctrl.m_nMargin + 5 * ctrl.m_nCharWidth + 1, ctrl.m_nLineHeight / 2));
  UA::TypeText("W");
  UA::Pump();
  EXPECT_EQ("iiiiiWiiiii\r\nWWWWWWWWWW\r\n", AllText(*ctrl.GetEdit()));
  EXPECT_TRUE(cells(&ctrl, ctrl.m_font, ctrl.m_nCharWidth, "iWmW."));
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(ctrl.m_hWnd));
}

// Rows scrolled by a line of an odd pixel height move the gutter's checkerboard out of step with the
// rows painted afresh unless the gutter is painted again.
TEST(TextWindowInput, AnOddLineHeightScrollsTheGutterAsARepaintDrawsIt) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\r\n";
  EditorScene s(2, text);
  int points = 8;
  while (points < 40 && s.View()->m_nLineHeight % 2 == 0) s.ChooseFont(2, "Courier New", ++points);
  ASSERT_EQ(1, s.View()->m_nLineHeight % 2) << points;
  RunSteps(s, {
    {"bar's down arrow", [](EditorScene& w) { dravonix::test::bars::Press(w.ViewWnd(), dravonix::test::kDownArrow); }, "@1:0 top 2"},
    {"down past the last row", [](EditorScene&) { for (int i = 0; i < 20; ++i) UA::PressKey(VK_DOWN); }, "@21:0 top 10"},
    {"up past the top row", [](EditorScene&) { for (int i = 0; i < 12; ++i) UA::PressKey(VK_UP); }, "@9:0 top 9"},
    {"wheel", [](EditorScene& w) { UA::Wheel(w.ViewWnd(), w.At(1, 1), -120); }, "@9:0 top 10"},
  }, [](EditorScene& w) { return "@" + w.Caret() + " top " + std::to_string(w.View()->m_nTopLine); });
}

// A window lower than one row, or narrower than a tab stop, still pages and keeps the caret where it
// is drawn inside the window.
TEST(TextWindowInput, AWindowTooSmallForARowOrATabStopKeepsTheCaretInIt) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line number " + std::to_string(i) + " with some text\r\n";
  EditorScene s(2, text);
  const auto clientTo = [](EditorScene& w, int cx, int cy) {
    HWND child = ::GetParent(w.ViewWnd());
    CRect frame, client;
    ::GetWindowRect(child, &frame);
    ::GetClientRect(w.ViewWnd(), &client);
    ::SetWindowPos(child, nullptr, 0, 0, frame.Width() + cx - client.Width(), frame.Height() + cy - client.Height(),
                   SWP_NOMOVE | SWP_NOZORDER);
  };
  const auto margin = [](EditorScene& w) { return w.View()->m_nMargin; };
  const auto cell = [](EditorScene& w) { return w.View()->m_nCharWidth; };
  const auto row = [](EditorScene& w) { return w.View()->m_nLineHeight; };
  RunSteps(s, {
    {"a window lower than a row", [&](EditorScene& w) { clientTo(w, margin(w) + 4 * cell(w), row(w) - 2); }, "@1:0 in"},
    {"page down", Key(VK_NEXT), "@2:0 in"},
    {"end", Key(VK_END), "@2:28 in"},
    {"page up", Key(VK_PRIOR), "@1:28 in"},
    {"narrower than a tab stop", [&](EditorScene& w) { clientTo(w, margin(w) + 2 * cell(w) + 1, 3 * row(w)); }, "@1:28 in"},
    {"home", Key(VK_HOME), "@1:0 in"},
    {"right", Key(VK_RIGHT), "@1:1 in"},
    {"click at the right edge", [&](EditorScene& w) { UA::Click(w.ViewWnd(), CPoint(margin(w) + 2 * cell(w) - 1, 1)); }, "@1:3 in"},
  }, [](EditorScene& w) {
    CTextFileView* v = w.View();
    CRect client;
    v->GetClientRect(&client);
    const CPoint at = CWnd::GetCaretPos();
    // Drawn at its cell, and that cell inside the window.
    const bool atCell = at.x == v->m_nMargin + (v->m_nCurCol - v->m_nLeftCol) * v->m_nCharWidth &&
                         at.y == (v->m_nCurLine - v->m_nTopLine) * v->m_nLineHeight;
    const bool in = atCell && at.x >= v->m_nMargin && at.x < client.right && at.y >= 0 && at.y < client.bottom;
    return "@" + w.Caret() + (in ? " in" : " out at " + std::to_string(at.x) + "," + std::to_string(at.y));
  });
}

namespace {

// "" or what a view of the scene's document holds or shows wrongly: top and caret lines against
// their numbers, the caret inside its line's text.
std::string ViewWrong(EditorScene& s, CTextFileView* v) {
  SECEdit& e = s.Edit();
  std::string bad;
  if (v->m_nTopLine != (int)e.LineNumber(v->m_pTopLine)) bad += "top number ";
  if (v->m_nCurLine != (int)e.LineNumber(v->m_pCurLine)) bad += "caret number ";
  if (v->m_nTopLine > e.m_nLineCount || v->m_nCurLine > e.m_nLineCount) bad += "past the end ";
  return bad;
}

}  // namespace

// Two windows on one text, edited in turn by keys, typing and the mouse: each keeps its lines
// and shows what a full repaint shows.
TEST(TextWindowInput, RandomEditsInTwoWindowsOfOneText) {
  std::string text;
  for (int i = 1; i <= 24; ++i) text += "row " + std::to_string(i) + "\r\n";
  for (unsigned seed = 1; seed <= 2; ++seed) {
    EditorScene s(2, text);
    s.AddChild(0, CRect(120, 60, 460, 300));
    std::vector<CTextFileView*> views;
    for (HWND child : s.Children()) views.push_back((CTextFileView*)CWnd::FromHandle(::GetTopWindow(child)));
    std::mt19937 rng(seed);
    std::string log;
    for (int i = 0; i < 50; ++i) {
      const UINT keys[] = {VK_UP, VK_DOWN, VK_NEXT, VK_PRIOR, VK_BACK, VK_DELETE, VK_RETURN, VK_END};
      const int op = (int)(rng() % 8), row = 1 + (int)(rng() % 10), col = (int)(rng() % 8);
      const UINT key = keys[rng() % 8], mod = rng() % 3 ? 0u : (UINT)Shift;
      log += std::to_string(op) + "/" + std::to_string(row) + "/" + std::to_string(col) + "/" + std::to_string(key) +
             "/" + std::to_string(mod) + " ";
      switch (op) {
        case 0: case 1: UA::PressKey(key, mod); break;
        case 2: UA::TypeText("k"); break;
        case 3: UA::Click(s.ViewWnd(), s.At(row, col), mod); break;
        case 4: UA::PressKey(VK_F6, Ctrl); break;
        case 5: UA::PressKey("XVZ"[col % 3], Ctrl); break;
        case 6: UA::Drag(s.ViewWnd(), s.At(row, col), s.At(1 + (int)(rng() % 10), (int)(rng() % 8))); break;
        case 7: UA::Wheel(s.ViewWnd(), s.At(1, 1), row % 2 ? 120 : -120); break;
      }
      UA::Pump();
      for (CTextFileView* v : views) ASSERT_EQ("", ViewWrong(s, v)) << log;
      ASSERT_EQ(0, s.PixelsOff()) << log;
    }
  }
}

// What the console and the output window show is what Select All and Copy give: every appended line
// keeps its line end, none is glued to the next.
TEST(TextWindowInput, AppendedLinesCopyAsShown) {
  struct Case {
    int kind;
    const char* typed;
    const char* appended[2];
    const char* copied;
  } cases[] = {
    {4, "abc\n", {}, "VKS> abc\r\nFATAL ERROR: THERE IS NO SETUP!\r\nVKS> "},
    {3, "", {"one\r\ntwo", "three\r\n"}, "one\r\ntwo\r\nthree\r\n"},
    {3, "", {"one", "two"}, "one\r\ntwo\r\n"},
  };
  for (const Case& c : cases) {
    EditorScene s(c.kind);
    UA::TypeText(c.typed);
    for (const char* text : c.appended)
      if (text) s.m_doc.InsertTextAtEnd(text);
    UA::PressKey('A', Ctrl);
    UA::PressKey('C', Ctrl);
    UA::Pump();
    std::string copied;
    if (::OpenClipboard(nullptr)) {
      if (HGLOBAL h = ::GetClipboardData(CF_TEXT)) copied = (const char*)::GlobalLock(h), ::GlobalUnlock(h);
      ::CloseClipboard();
    }
    EXPECT_EQ(c.copied, copied) << c.kind << " " << c.typed;
    EXPECT_EQ(0, s.PixelsOff()) << c.kind;
  }
}

// Output appended while the user edits the end of the text (typing, Enter, Backspace joining, undo and
// redo, the last lines deleted, the text cleared): each append lands after the lines the text holds
// then, however the last line came and went. Run in the sanitizer build, freed lines are never read.
TEST(TextWindowInput, AppendsAfterEditsAtTheEndLandAtTheEnd) {
  EditorScene s(2);
  SECEdit& e = s.Edit();
  const std::string end(e.m_szLineEnd, (size_t)e.GetLineEndLength());
  const char* const texts[] = {"p\n", "q\nr\n", "s", "t\nu"};
  std::mt19937 rng(9101);
  std::string trail;
  for (int i = 0; i < 150; ++i) {
    const int op = (int)(rng() % 10);
    const char* text = texts[rng() % 4];
    std::vector<std::string> want = Lines(e);
    trail += std::to_string(op) + " ";
    if (op <= 2) {
      // The lines the text cuts into.
      std::vector<std::string> add;
      for (const char* p = text; *p;) {
        const char* nl = strchr(p, '\n');
        add.push_back(nl ? std::string(p, nl) + end : std::string(p));
        p = nl ? nl + 1 : p + add.back().size();
      }
      AppendToLines(want, add, op == 2, end);
      if (op == 2) s.m_doc.InsertLineAtEnd(text);
      else s.m_doc.InsertTextAtEnd(text);
      UA::Pump();
      ASSERT_EQ(want, Lines(e)) << trail;
      ASSERT_TRUE(NumberedInOrder(e, e.m_nLineCount)) << trail;
      continue;
    }
    UA::PressKey(VK_END, Ctrl);
    switch (op) {
      case 3: UA::TypeText("ab"); break;
      case 4: UA::TypeText("\n"); break;
      case 5: UA::PressKey(VK_HOME), UA::PressKey(VK_BACK); break;
      case 6: UA::PressKey('Z', Ctrl); break;
      case 7: UA::PressKey('Z', Ctrl | Shift); break;
      case 8: UA::PressKey(VK_UP, Shift), UA::PressKey(VK_UP, Shift), UA::PressKey(VK_DELETE); break;
      default: if (rng() % 4 == 0) s.m_doc.ClearEdit(); break;
    }
    UA::Pump();
    ASSERT_TRUE(NumberedInOrder(e, e.m_nLineCount)) << trail;
  }
  EXPECT_EQ(0, s.PixelsOff());
}

namespace {

// Where a line and column of a text stand in its bytes.
size_t Offset(SECEdit& e, size_t line, size_t col) {
  const std::vector<std::string> lines = Lines(e);
  size_t at = 0;
  for (size_t l = 0; l + 1 < line; ++l) at += lines[l].size();
  return at + col;
}

// The bytes a view's selection covers, or its caret when it has none: {from, to}.
std::pair<size_t, size_t> SelectionBytes(CTextFileView* v) {
  SECEdit& e = *v->GetEdit();
  if (SelectedText(*v).empty())
    return {Offset(e, (size_t)v->m_nCurLine, (size_t)v->m_nCurCol), Offset(e, (size_t)v->m_nCurLine, (size_t)v->m_nCurCol)};
  const size_t from = Offset(e, e.LineNumber(v->m_selStart.pLine), (size_t)v->m_selStart.nCol);
  return {from, from + SelectedText(*v).size()};
}

// Whether the cell of a shown row and column lies in a view's selection.
bool InSelection(CTextFileView* v, int row, int col) {
  if (!v->m_bSelection || !v->m_selStart.pLine) return false;
  SECEdit& e = *v->GetEdit();
  const int line = v->m_nTopLine + row - 1, c = v->m_nLeftCol + col;
  const int l1 = (int)e.LineNumber(v->m_selStart.pLine), l2 = (int)e.LineNumber(v->m_selEnd.pLine);
  if (line < l1 || line > l2) return false;
  // Selected columns reach one past the line's text, for its line end.
  const std::string text = Lines(e)[(size_t)line - 1];
  const int shown = (int)std::min(text.size(), text.find_first_of("\r\n"));
  return c <= shown && (line != l1 || c >= v->m_selStart.nCol) && (line != l2 || c < v->m_selEnd.nCol);
}

}  // namespace

// Two text windows side by side, the left one a plain text, the output or the console, the right one
// a plain text, walked by a user's hands: fonts chosen in the options (fixed and proportional faces,
// sizes), clicks, keys and selections reaching the texts' ends, copy, cut and paste, typing, drags
// between the windows. A small model: the clipboard after copy and cut, the texts after cut, paste and
// drops, the console's and the output's lines; each font in fixed cells; the picture a full repaint's.
TEST(TextWindowInput, RandomFontsDragsAndTheClipboardAcrossTextWindows) {
  std::vector<std::string> faces = {"Arial", "Times New Roman", "MS Sans Serif", "Courier New"};
  ::EnumFontFamilies(nullptr, nullptr, [](const LOGFONT* lf, const TEXTMETRIC*, DWORD, LPARAM p) {
    reinterpret_cast<std::vector<std::string>*>(p)->push_back(lf->lfFaceName);
    return 1;
  }, reinterpret_cast<LPARAM>(&faces));
  std::string text;
  for (int i = 1; i <= 14; ++i) text += "w" + std::to_string(i) + " alpha beta\r\n";
  for (int kind : {2, 3, 4}) {
    EditorScene s(kind, kind == 4 ? "" : text, CRect(0, 0, 230, 290));
    if (kind == 4) UA::TypeText("abc\ndef ghi");
    SetText(*s.m_other.GetEdit(), text);
    s.AddChild(1, CRect(232, 0, 462, 290));
    CTextFileView* views[2] = {nullptr, nullptr};
    for (HWND child : s.Children()) {
      auto* v = (CTextFileView*)CWnd::FromHandle(::GetTopWindow(child));
      views[v->GetEdit() == s.m_other.GetEdit() ? 1 : 0] = v;
    }
    const std::vector<std::string> fixedLines = Lines(s.Edit());  // the console's history, the output's lines
    std::mt19937 rng(2900 + (unsigned)kind);
    std::string log;
    for (int step = 0; step < 70; ++step) {
      int w = (int)(rng() % 2);
      const int op = (int)(rng() % 10), row = 2 + (int)(rng() % 6), col = 2 + (int)(rng() % 10);
      // Keys go to the window with the focus.
      const bool byKeys = op >= 2 && op <= 7;
      if (byKeys && (::GetFocus() == views[0]->m_hWnd || ::GetFocus() == views[1]->m_hWnd)) w = ::GetFocus() == views[1]->m_hWnd;
      const UINT mods = (rng() % 2 ? (UINT)Shift : 0u) | (rng() % 3 == 0 ? (UINT)Ctrl : 0u);
      CTextFileView* v = views[w];
      CTextFileView* other = views[1 - w];
      SECEdit& e = *v->GetEdit();
      SECEdit& oe = *other->GetEdit();
      const bool plain = v->GetDocument()->GetType() == CTextFileDoc::FILETYPE_DEFAULT;
      log += std::to_string(w) + "/" + std::to_string(op) + "/" + std::to_string(row) + "/" + std::to_string(col) + "/" + std::to_string(mods) + " ";
      UA::AdvanceClock(1000);  // a pause: no two steps' clicks make a double click
      const std::string clipBefore = EditorScene::Clipboard(), textBefore = AllText(e), otherBefore = AllText(oe);
      std::string selected = SelectedText(*v);
      std::pair<size_t, size_t> bytes = SelectionBytes(v);
      std::string wantText = textBefore, wantOther = otherBefore, wantClip = clipBefore;
      const std::string before = "clip '" + clipBefore + "' selected '" + selected + "' caret " + std::to_string(v->m_nCurLine) + ":" + std::to_string(v->m_nCurCol);
      bool textKnown = true, otherKnown = true;
      const bool focused = byKeys && ::GetFocus() == v->m_hWnd;
      switch (op) {
        case 0: {
          const std::string& face = faces[rng() % faces.size()];
          const int points[] = {8, 9, 12, 16};
          s.ChooseFont(w ? 2 : kind, face.c_str(), points[rng() % 4]);
          break;
        }
        case 1: UA::Click(v->m_hWnd, s.At(row, col, v), mods & Shift); break;
        case 2: {
          // Keys reaching the ends of the text among others.
          const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
          UA::PressKey(keys[rng() % 8], mods);
          textKnown = plain;  // Up and Down in the console recall its commands
          break;
        }
        case 3:
          UA::PressKey('C', Ctrl);
          if (focused && !selected.empty()) wantClip = selected;
          break;
        case 4:
          UA::PressKey('X', Ctrl);
          if (focused && !selected.empty() && plain) {
            wantClip = selected;
            wantText.erase(bytes.first, selected.size());
          }
          // The console cuts only from its input: the clipboard holds the selection or what it held.
          if (!plain) textKnown = false, wantClip = focused && !selected.empty() && EditorScene::Clipboard() == selected ? selected : clipBefore;
          break;
        case 5:
          UA::PressKey('V', Ctrl);
          if (focused && plain && clipBefore != "(none)")
            wantText = textBefore.substr(0, bytes.first) + clipBefore + textBefore.substr(bytes.second);
          else if (!plain) textKnown = false;
          break;
        case 6:
          UA::TypeText("k");
          textKnown = false;
          break;
        case 7: {
          // Selecting to the text's start or end.
          UA::PressKey(rng() % 2 ? VK_HOME : VK_END, Ctrl);
          UA::PressKey(rng() % 2 ? VK_LEFT : VK_DOWN, Shift | (rng() % 2 ? (UINT)Ctrl : 0u));
          textKnown = plain;
          break;
        }
        case 8:
          // A press inside the selection drags it within the window instead.
          textKnown = !InSelection(v, row, col);
          UA::Drag(v->m_hWnd, s.At(row, col, v), s.At(row + (int)(rng() % 3), (int)(rng() % 12), v));
          break;
        default: {
          // The selection dragged into the other window, Ctrl held for a copy; without one a word is
          // chosen by a double click first.
          if (selected.empty()) {
            UA::DoubleClick(v->m_hWnd, s.At(1 + (int)(rng() % 4), (int)(rng() % 8), v));
            UA::AdvanceClock(1000);
            selected = SelectedText(*v);
            bytes = SelectionBytes(v);
          }
          if (selected.empty()) break;
          const int selRow = (int)e.LineNumber(v->m_selStart.pLine) - v->m_nTopLine + 1, selCol = v->m_selStart.nCol - v->m_nLeftCol;
          RECT c;
          ::GetClientRect(v->m_hWnd, &c);
          POINT from = s.At(selRow, selCol, v);
          if (selRow < 1 || selRow * v->m_nLineHeight > c.bottom || selCol < 0 || from.x + v->m_nCharWidth > c.right) break;
          POINT to = s.At(row, col, other);
          RECT oc;
          ::GetClientRect(other->m_hWnd, &oc);
          if ((row + 1) * other->m_nLineHeight > oc.bottom || to.x + 12 + other->m_nCharWidth > oc.right) break;
          // Where the drop lands by the model: the row's line, the column within its text.
          const std::vector<std::string> lines = Lines(oe);
          const size_t line = std::min(lines.size(), (size_t)(other->m_nTopLine + row - 1));
          const std::string& l = lines[line - 1];
          const size_t shown = std::min(l.size(), l.find_first_of("\r\n"));
          const size_t at = Offset(oe, line, std::min(shown, (size_t)(other->m_nLeftCol + col)));
          // The output refuses drops, the console takes copies only: a move needs a plain text at both ends.
          const bool toPlain = other->GetDocument()->GetType() == CTextFileDoc::FILETYPE_DEFAULT;
          const bool copy = (mods & Ctrl) || !plain || !toPlain;
          // A drop into the target's own selection is refused.
          const bool refused = InSelection(other, row, col);
          ::MapWindowPoints(other->m_hWnd, v->m_hWnd, &to, 1);
          if (mods & Ctrl) UA::KeyDown(VK_CONTROL);
          UA::Drag(v->m_hWnd, from, to, 6);
          if (mods & Ctrl) UA::KeyUp(VK_CONTROL);
          if (refused) break;
          if (toPlain) wantOther.insert(at, selected);
          else otherKnown = false;
          if (!copy) wantText.erase(bytes.first, selected.size());
        }
      }
      UA::Pump();
      const auto wrong = [&]() -> std::string {
        if (EditorScene::Clipboard() != wantClip) return "clipboard " + EditorScene::Clipboard() + " not " + wantClip;
        if (textKnown && AllText(e) != wantText) return "text " + AllText(e) + " not " + wantText;
        if (otherKnown && AllText(oe) != wantOther) return "other " + AllText(oe) + " not " + wantOther;
        const std::vector<std::string> lines = Lines(s.Edit());
        if (kind == 3 && lines != fixedLines) return "output changed";
        if (kind == 4 && (!std::equal(fixedLines.begin(), fixedLines.end() - 1, lines.begin()) || lines.back().compare(0, 5, "VKS> ")))
          return "console history or prompt: " + s.Text();
        for (CTextFileView* view : views) {
          CClientDC dc(view);
          CFont* old = dc.SelectObject(&view->m_font);
          const int cx = dc.GetTextExtent("iWmW.", 5).cx;
          dc.SelectObject(old);
          if (cx != 5 * view->m_nCharWidth) return "font not in cells";
        }
        if (const int off = s.PixelsOff()) return "pixels off " + std::to_string(off);
        return "";
      };
      ASSERT_EQ("", wrong()) << kind << ": " << log << "\n" << before;
    }
  }
}
