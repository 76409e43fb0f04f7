// The edit control: word wrap, caret keys, selection with Shift and the mouse, the clipboard keys,
// undo, limits, read-only and password display, and its notifications.
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Controls.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class CEditHost : public CWnd {
 public:
  std::vector<std::pair<int, int>> m_notes;  // (id, code)

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (lParam) m_notes.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return CWnd::OnCommand(wParam, lParam);
  }
};

class ControlEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    ResetClipboard();
    m_host.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "host",
                    WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
  }
  void TearDown() override {
    m_host.DestroyWindow();
    ResetClipboard();
    Clock::UseRealTime();
  }
  HWND MakeEdit(DWORD style, CRect r, int id = 10) {
    m_edit.Create(style | WS_CHILD | WS_VISIBLE, r, &m_host, id);
    UiAutomation::Pump();
    return m_edit.m_hWnd;
  }
  std::string Text() {
    CString s;
    m_edit.GetWindowText(s);
    return s.GetString();
  }
  std::pair<int, int> Sel() {
    int a, b;
    m_edit.GetSel(a, b);
    return {a, b};
  }
  CEditHost m_host;
  CEdit m_edit;
};

TEST_F(ControlEditTest, MultiLineTextWrapsAtWordsAndKeepsHardBreaks) {
  MakeEdit(ES_MULTILINE, CRect(10, 10, 130, 200));
  m_edit.SetWindowText("alpha beta gamma delta epsilon zeta eta theta\r\nsecond");
  int lines = m_edit.GetLineCount();
  EXPECT_GE(lines, 3);
  // Every soft line begins at a word; the hard break starts a line of its own.
  std::string text = Text();
  for (int i = 1; i < lines; ++i) {
    int start = m_edit.LineIndex(i);
    ASSERT_GT(start, 0);
    EXPECT_TRUE(text[(size_t)start - 1] == ' ' || text[(size_t)start - 1] == '\n') << "line " << i;
  }
  EXPECT_EQ((int)text.find("second"), m_edit.LineIndex(lines - 1));
  EXPECT_EQ(6, m_edit.LineLength(m_edit.LineIndex(lines - 1)));
  EXPECT_EQ(lines - 1, m_edit.LineFromChar((int)text.size()));
  // Without wrapping (auto horizontal scroll) there are two lines.
  m_edit.DestroyWindow();
  MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL, CRect(10, 10, 130, 200));
  m_edit.SetWindowText("alpha beta gamma delta epsilon zeta eta theta\r\nsecond");
  EXPECT_EQ(2, m_edit.GetLineCount());
  // The style changed in place lays the lines out anew, both ways; End goes to the line's end.
  const struct {
    DWORD remove, add;
    int lines;
  } changes[] = {{ES_AUTOHSCROLL, 0, lines}, {0, ES_AUTOHSCROLL, 2}};
  for (const auto& c : changes) {
    m_edit.ModifyStyle(c.remove, c.add);
    EXPECT_EQ(c.lines, m_edit.GetLineCount()) << c.add;
  }
  UiAutomation::Click(m_edit.m_hWnd, POINT{2, 5});
  m_edit.SetSel(3, 3);
  UiAutomation::PressKey(VK_END);
  EXPECT_EQ(Sel(), std::make_pair((int)Text().find('\r'), (int)Text().find('\r')));
}

TEST_F(ControlEditTest, CaretKeysAndShiftSelect) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL, CRect(10, 10, 200, 200));
  m_edit.SetWindowText("first line\r\nsecond\r\nthird line");
  UiAutomation::Click(e, POINT{2, 5});
  m_edit.SetSel(0, 0);
  UiAutomation::PressKey(VK_END);
  EXPECT_EQ(std::make_pair(10, 10), Sel());
  UiAutomation::PressKey(VK_RIGHT);  // over the line break as one
  EXPECT_EQ(std::make_pair(12, 12), Sel());
  UiAutomation::PressKey(VK_DOWN);
  EXPECT_EQ(2, m_edit.LineFromChar(Sel().first));
  UiAutomation::PressKey(VK_HOME);
  EXPECT_EQ(std::make_pair(20, 20), Sel());
  UiAutomation::PressKey(VK_RIGHT, UiAutomation::kShift);
  UiAutomation::PressKey(VK_RIGHT, UiAutomation::kShift);
  EXPECT_EQ(std::make_pair(20, 22), Sel());
  UiAutomation::PressKey(VK_RIGHT, UiAutomation::kShift | UiAutomation::kControl);
  EXPECT_EQ(std::make_pair(20, 26), Sel());
  UiAutomation::PressKey(VK_UP, UiAutomation::kShift);
  EXPECT_EQ(1, m_edit.LineFromChar(Sel().first));
  EXPECT_EQ(20, Sel().second);
  UiAutomation::PressKey(VK_HOME, UiAutomation::kControl);
  EXPECT_EQ(std::make_pair(0, 0), Sel());
  // Typing replaces the selection; Backspace and Delete remove characters.
  m_edit.SetSel(0, 5);
  UiAutomation::TypeText("1st");
  EXPECT_EQ("1st line\r\nsecond\r\nthird line", Text());
  UiAutomation::PressKey(VK_BACK);
  UiAutomation::PressKey(VK_DELETE);
  EXPECT_EQ("1sline\r\nsecond\r\nthird line", Text());
  EXPECT_TRUE(m_edit.GetModify());
}

TEST_F(ControlEditTest, TheMouseSelectsAndDoubleClickSelectsAWord) {
  HWND e = MakeEdit(ES_AUTOHSCROLL, CRect(10, 10, 300, 34));
  m_edit.SetWindowText("hello wide world");
  CPoint p0 = m_edit.PosFromChar(0);
  CPoint p6 = m_edit.PosFromChar(6);
  CPoint p10 = m_edit.PosFromChar(10);
  EXPECT_LT(p0.x, p6.x);
  UiAutomation::Drag(e, POINT{p0.x + 1, p0.y + 4}, POINT{p10.x + 1, p10.y + 4});
  EXPECT_EQ(e, ::GetFocus());
  EXPECT_EQ(std::make_pair(0, 10), Sel());
  // Shift+click extends from the anchor.
  CPoint p3 = m_edit.PosFromChar(3);
  UiAutomation::Click(e, POINT{p3.x, p3.y + 4});
  CPoint p14 = m_edit.PosFromChar(14);
  UiAutomation::Click(e, POINT{p14.x, p14.y + 4}, UiAutomation::kShift);
  EXPECT_EQ(std::make_pair(3, 14), Sel());
  EXPECT_EQ(14 & 0xFFFF, LOWORD(m_edit.CharFromPos(CPoint(p14.x, p14.y + 4))));
}

TEST_F(ControlEditTest, ClipboardKeysCopyCutPasteAndUndo) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL, CRect(10, 10, 300, 200));
  m_edit.SetWindowText("one two");
  UiAutomation::Click(e, POINT{2, 5});
  m_edit.SetSel(0, 3);
  UiAutomation::PressKey('C', UiAutomation::kControl);
  std::string clip;
  ASSERT_TRUE(ClipboardGetText(nullptr, clip));
  EXPECT_EQ("one", clip);
  // Text another program put on the clipboard, with a line break, pastes at the caret.
  ASSERT_TRUE(ClipboardSetText(nullptr, "A\r\nB", 4));
  m_edit.SetSel(7, 7);
  UiAutomation::PressKey('V', UiAutomation::kControl);
  EXPECT_EQ("one twoA\r\nB", Text());
  EXPECT_EQ(2, m_edit.GetLineCount());
  EXPECT_EQ(std::make_pair(11, 11), Sel());
  UiAutomation::PressKey('Z', UiAutomation::kControl);
  EXPECT_EQ("one two", Text());
  m_edit.SetSel(4, 7);
  UiAutomation::PressKey('X', UiAutomation::kControl);
  EXPECT_EQ("one ", Text());
  ASSERT_TRUE(ClipboardGetText(nullptr, clip));
  EXPECT_EQ("two", clip);
  // While another program holds the clipboard nothing is pasted and nothing breaks.
  SetClipboardHeldByOtherProgram(TRUE);
  UiAutomation::PressKey('V', UiAutomation::kControl);
  EXPECT_EQ("one ", Text());
  SetClipboardHeldByOtherProgram(FALSE);
  // A single-line edit takes the first line of pasted text.
  m_edit.DestroyWindow();
  e = MakeEdit(ES_AUTOHSCROLL, CRect(10, 10, 300, 34));
  UiAutomation::Click(e, POINT{2, 5});
  ClipboardSetText(nullptr, "first\r\nsecond", 13);
  UiAutomation::PressKey('V', UiAutomation::kControl);
  EXPECT_EQ("first", Text());
}

TEST_F(ControlEditTest, LimitReadOnlyPasswordAndNotifications) {
  HWND e = MakeEdit(ES_AUTOHSCROLL, CRect(10, 10, 300, 34), 77);
  m_edit.LimitText(4);
  m_host.m_notes.clear();
  UiAutomation::Click(e, POINT{5, 5});
  UiAutomation::TypeText("abcdef");
  EXPECT_EQ("abcd", Text());
  int changes = 0, maxText = 0, setFocus = 0;
  for (auto& n : m_host.m_notes) {
    EXPECT_EQ(77, n.first);
    changes += n.second == EN_CHANGE;
    maxText += n.second == EN_MAXTEXT;
    setFocus += n.second == EN_SETFOCUS;
  }
  EXPECT_EQ(4, changes);
  EXPECT_EQ(2, maxText);
  EXPECT_EQ(1, setFocus);
  // Losing the focus tells the parent.
  m_host.m_notes.clear();
  ::SetFocus(m_host.m_hWnd);
  ASSERT_FALSE(m_host.m_notes.empty());
  EXPECT_EQ(EN_KILLFOCUS, m_host.m_notes.back().second);
  m_edit.SetReadOnly(TRUE);
  UiAutomation::Click(e, POINT{5, 5});
  UiAutomation::TypeText("x");
  UiAutomation::PressKey(VK_BACK);
  EXPECT_EQ("abcd", Text());
  m_edit.SetReadOnly(FALSE);
  m_edit.SetPasswordChar('*');
  EXPECT_EQ('*', m_edit.GetPasswordChar());
  // A password is never copied out.
  UiAutomation::Click(e, POINT{2, 5});
  m_edit.SetSel(0, -1);
  ResetClipboard();
  UiAutomation::PressKey('C', UiAutomation::kControl);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  // Bad arguments fail cleanly.
  EXPECT_EQ(0, ::SendMessage(e, EM_GETLINE, 5, 0));
  EXPECT_EQ(-1, ::SendMessage(e, EM_LINEINDEX, 99, 0));
  EXPECT_EQ(-1, ::SendMessage(e, EM_POSFROMCHAR, 1000, 0));
  m_edit.SetSel(-5, 1000);
  EXPECT_EQ(std::make_pair(4, 4), Sel());
  EXPECT_EQ(0, ::SendMessage(nullptr, EM_GETSEL, 0, 0));
}

// An edit given its text before its size (as a grid's cell editor is) shows the text from its first
// character once sized, and keeps it there through End and typing while the text fits.
TEST_F(ControlEditTest, TextSetBeforeTheWindowHasAWidthShowsFromItsFirstCharacter) {
  for (DWORD style : {DWORD(ES_AUTOHSCROLL), DWORD(ES_MULTILINE | ES_AUTOHSCROLL)}) {
    SCOPED_TRACE(style);
    HWND e = MakeEdit(style, CRect(0, 0, 0, 0));
    m_edit.SetWindowText("abc");
    m_edit.SetSel(0, -1);
    m_edit.MoveWindow(CRect(10, 10, 210, 34));
    ::SetFocus(e);
    UiAutomation::Pump();
    EXPECT_EQ(1, m_edit.PosFromChar(0).x);
    // The text's ink starts at the left margin.
    int ink = -1;
    for (int x = 0; x < 200 && ink < 0; ++x)
      for (int y = 0; y < 24 && ink < 0; ++y)
        if (GetGValue(GetWindowPixel(e, POINT{x, y})) < 100) ink = x;
    EXPECT_GE(ink, 1);
    EXPECT_LE(ink, 3);
    UiAutomation::PressKey(VK_END);
    UiAutomation::TypeText("x");
    EXPECT_EQ("abcx", Text());
    EXPECT_EQ(1, m_edit.PosFromChar(0).x);
    m_edit.DestroyWindow();
  }
}

// Resizing keeps the caret in sight and never leaves text that fits scrolled out on the left.
TEST_F(ControlEditTest, ASizeChangeKeepsTheCaretInSightAndHidesNoTextThatFits) {
  for (DWORD style : {DWORD(ES_AUTOHSCROLL), DWORD(ES_MULTILINE | ES_AUTOHSCROLL)}) {
    SCOPED_TRACE(style);
    const char* text = "0123456789 0123456789 0123456789 0123456789";
    const int n = (int)strlen(text);
    MakeEdit(style, CRect(0, 0, 600, 24));
    m_edit.SetWindowText(text);
    const int width = m_edit.PosFromChar(n).x - m_edit.PosFromChar(0).x;
    ASSERT_GT(width, 100);
    m_edit.SetSel(n, n);
    // Narrower than the text: the caret at its end stays visible.
    m_edit.MoveWindow(CRect(0, 0, width / 2, 24));
    EXPECT_LT(m_edit.PosFromChar(0).x, 0);
    EXPECT_GE(m_edit.PosFromChar(n).x, 1);
    EXPECT_LE(m_edit.PosFromChar(n).x, width / 2 - 1);
    // A little wider, still too narrow: the end of the text moves to the right edge.
    m_edit.MoveWindow(CRect(0, 0, width - 10, 24));
    EXPECT_EQ(width - 11, m_edit.PosFromChar(n).x);
    // Zero wide and back: no scroll survives.
    m_edit.MoveWindow(CRect(0, 0, 0, 0));
    m_edit.MoveWindow(CRect(0, 0, width + 10, 24));
    EXPECT_EQ(1, m_edit.PosFromChar(0).x);
    // From scrolled to wide enough: nothing is scrolled away.
    m_edit.MoveWindow(CRect(0, 0, width / 2, 24));
    ASSERT_LT(m_edit.PosFromChar(0).x, 0);
    m_edit.MoveWindow(CRect(0, 0, width + 10, 24));
    EXPECT_EQ(1, m_edit.PosFromChar(0).x);
    // A text set shows from its first character.
    m_edit.MoveWindow(CRect(0, 0, width / 2, 24));
    m_edit.SetWindowText("short");
    EXPECT_EQ(1, m_edit.PosFromChar(0).x);
    m_edit.DestroyWindow();
  }
}

TEST_F(ControlEditTest, SetTextNotifiesOnlyForASingleLineEdit) {
  for (auto [style, changes] : {std::pair<DWORD, int>{ES_AUTOHSCROLL, 1}, {ES_MULTILINE, 0}}) {
    MakeEdit(style, CRect(10, 10, 300, 80), 5);
    m_host.m_notes.clear();
    m_edit.SetWindowText("log line\r\nnext");
    int update = 0, change = 0;
    for (auto& n : m_host.m_notes) {
      update += n.second == EN_UPDATE;
      change += n.second == EN_CHANGE;
    }
    EXPECT_EQ(changes, update) << style;
    EXPECT_EQ(changes, change) << style;
    m_edit.DestroyWindow();
  }
}

}  // namespace
