#include "EditCoreTestUtil.h"
#include "editor/core/OEFindDlg.h"
#include "editor/core/SECRegExp.h"
#include "platform/core/Automation.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"

#include <gtest/gtest.h>

namespace UA = UiAutomation;

namespace {

struct Found {
  int line;
  int offset;
  int len;
};

// One search over `text` (LF lines) from (line, offset), with an optional end on a line; {0,0,0} when none.
Found Search(const std::string& text, const char* find, uint32_t flags, int line, int offset, int endLine = 0,
             int endOffset = 0, const char* replace = nullptr, CString* pExpansion = nullptr) {
  SECEdit e;
  e.SetLineEndMode(2);
  SetText(e, text);
  std::string f(find);
  std::string r(replace ? replace : "");
  SECFindParams p;
  p.nFlags = flags;
  p.pszFind = f.data();
  p.pszReplace = replace ? r.data() : nullptr;
  SECEditPos pos = Pos(e, line, offset);
  SECEditPos end = endLine ? Pos(e, endLine, endOffset) : SECEditPos{};
  if (!e.FindText(&pos, &end, &p)) return {0, 0, 0};
  if (pExpansion) *pExpansion = p.strExpansion;
  return {(int)e.LineNumber(pos.pLine), pos.nOffset, p.nMatchLen};
}

void ClearFindProfile(CWinApp& app) {
  app.WriteProfileString("Settings\\Find", nullptr, nullptr);  // the dialog's settings a test before left
  for (const char* key : {"Find", "Replace"})
    for (int n = 1; n <= 10; ++n) app.WriteProfileString("Settings\\Find", (key + std::to_string(n)).c_str(), "");
}

struct EditFind : ::testing::Test {
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    UA::Reset();
  }
  void TearDown() override { Clock::UseRealTime(); }
};

constexpr uint32_t C = SECFIND_MATCHCASE, D = SECFIND_DOWN, R = SECFIND_REGEXP;

}  // namespace

TEST(SECEditFind, FindTextCases) {
  struct Case {
    const char* text;
    const char* find;
    uint32_t flags;
    int line, offset, endLine, endOffset;
    Found want;
  } cases[] = {
      // A backward regular-expression search refuses a match that ends at the caret column.
      {"abc abc\n", "abc", R | C, 1, 7, 0, 0, {1, 0, 3}},
      {"abc abc\n", "abc", C, 1, 7, 0, 0, {1, 4, 3}},
      // Forward with the end on the start line: only the match's start must lie before it.
      {"xx hello\n", "hello", C | D, 1, 0, 1, 4, {1, 3, 5}},
      {"xx hello\n", "hello", C | D, 1, 0, 1, 3, {0, 0, 0}},
      // Case off: the text and the expression are lower-cased.
      {"a Begin\n", "BEGIN", D, 1, 0, 0, 0, {1, 2, 5}},
      {"abc\n", "[A-Z]+", D | R, 1, 0, 0, 0, {1, 0, 3}},
      {"abc\n", "[A-Z]+", D | R | C, 1, 0, 0, 0, {0, 0, 0}},
      // "$" before an LF line end, "^" only at the line start even when the search starts later.
      {"ax\nbx\n", "x$", D | R, 1, 0, 0, 0, {1, 1, 2 - 1}},
      {"aa\naa\n", "^a", D | R, 1, 1, 0, 0, {2, 0, 1}},
      {"aa\naa\n", "a$", R, 2, 1, 0, 0, {1, 1, 1}},
      // Later lines, both ways; an empty text and a malformed pattern find nothing.
      {"one\ntwo\nthree\n", "t", C | D, 1, 0, 0, 0, {2, 0, 1}},
      {"one\ntwo\nthree\n", "o", C, 3, 0, 0, 0, {2, 2, 1}},
      {"one\n", "", D, 1, 0, 0, 0, {0, 0, 0}},
      {"one\n", "(o", D | R, 1, 0, 0, 0, {0, 0, 0}},
      {"one\n", "e", D, 1, 99, 0, 0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    Found f = Search(c.text, c.find, c.flags, c.line, c.offset, c.endLine, c.endOffset);
    EXPECT_EQ(f.line, c.want.line) << c.find << " in " << c.text;
    EXPECT_EQ(f.offset, c.want.offset) << c.find << " in " << c.text;
    EXPECT_EQ(f.len, c.want.len) << c.find << " in " << c.text;
  }
  // Expansions take the line's own letters, not the lower-cased copy.
  CString expansion;
  Found f = Search("aBBc\n", "(b+)", D | R, 1, 0, 0, 0, "<\\1>", &expansion);
  EXPECT_EQ(f.offset, 1);
  EXPECT_EQ(expansion, "<BB>");
}

TEST(SECEditFind, RegexFindLineStartsLateAndEndsAtTheGivenLength) {
  SECRegExp re;
  int len = -1;
  const char line[] = "abab\r\n";
  ASSERT_NE(re.Compile("^ab"), nullptr);
  EXPECT_EQ(RegexFindLine(re, line, 4, 0, &len, nullptr, nullptr), line);
  EXPECT_EQ(RegexFindLine(re, line, 4, 1, &len, nullptr, nullptr), nullptr);
  ASSERT_NE(re.Compile("b$"), nullptr);
  EXPECT_EQ(RegexFindLine(re, line, 4, 2, &len, nullptr, nullptr), line + 3);
  EXPECT_EQ(RegexFindLine(re, line, 4, 5, &len, nullptr, nullptr), nullptr);
}

TEST_F(EditFind, ReplaceAllMarkAllAndUndo) {
  struct Case {
    const char* text;
    const char* find;
    const char* replace;
    uint32_t flags;
    int count;
    const char* want;
  } cases[] = {
      {"aab xab\n", "(a+)b", "<\\1>", R | C, 2, "<aa> x<a>\n"},
      {"a\nb\nc\n", "^", "// ", R, 3, "// a\n// b\n// c\n"},
      {"baaa\n", "a*", "-", R, 3, "-b--\n"},
      {"Cat cat\n", "CAT", "dog", 0, 2, "dog dog\n"},
      {"none\n", "zz", "y", 0, 0, "none\n"},
  };
  CWinApp app("EditFindTest");
  for (const Case& c : cases) {
    CTestEditWnd w;
    w.edit.SetLineEndMode(2);
    ASSERT_TRUE(w.Open(c.text));
    w.m_bShowMessages = FALSE;
    std::string f(c.find), r(c.replace);
    SECFindParams p;
    p.nFlags = c.flags;
    p.pszFind = f.data();
    p.pszReplace = r.data();
    EXPECT_EQ(w.ReplaceAll(&p), c.count) << c.find;
    EXPECT_EQ(AllText(w.edit), c.want) << c.find;
    if (c.count > 0) {
      w.OnEditUndo();
      EXPECT_EQ(AllText(w.edit), c.text) << c.find;
    } else {
      EXPECT_EQ(SECEdit::ms_nLastShownMessage, (UINT)SECEDIT_NOT_FOUND);
    }
  }
  // A thousand replacements are one undo group; Mark All marks each matching line once.
  std::string big;
  for (int i = 0; i < 500; ++i) big += "x a a\n";
  CTestEditWnd w;
  w.edit.SetLineEndMode(2);
  ASSERT_TRUE(w.Open(big));
  std::string f("a"), r("bb");
  SECFindParams p;
  p.pszFind = f.data();
  p.pszReplace = r.data();
  EXPECT_EQ(w.ReplaceAll(&p), 1000);
  w.OnEditUndo();
  EXPECT_EQ(AllText(w.edit), big);
  EXPECT_EQ(w.MarkAll(&p), 500);
  EXPECT_EQ(w.MarkAll(&p), 0);
  EXPECT_EQ(w.edit.m_nBookmarks, 500);
  // From the first line on to the next bookmark: line 2 here, line 5 with matches on lines 1 and 5.
  EXPECT_EQ(w.m_nCurLine, 2);
  CTestEditWnd w2;
  w2.edit.SetLineEndMode(2);
  ASSERT_TRUE(w2.Open("a\nx\nx\nx\na\nx\n"));
  w2.GoToLineColumn(3, 1);
  EXPECT_EQ(w2.MarkAll(&p), 2);
  EXPECT_EQ(w2.Caret(), std::make_pair(5, 0));
}

TEST_F(EditFind, ReplaceAllOfMoreMatchesThanTheUndoLogHoldsUndoesWhole) {
  CWinApp app("EditFindTest");
  std::string text, replaced;
  for (int i = 0; i < 30000; ++i) text += "a a a a a a a a a a\n";
  for (int i = 0; i < 30000; ++i) replaced += "bb bb bb bb bb bb bb bb bb bb\n";
  CTestEditWnd w;
  w.edit.SetLineEndMode(2);
  ASSERT_TRUE(w.Open(text));
  w.m_bShowMessages = FALSE;
  std::string f("a"), r("bb");
  SECFindParams p;
  p.pszFind = f.data();
  p.pszReplace = r.data();
  ASSERT_EQ(w.ReplaceAll(&p), 300000);
  ASSERT_EQ(AllText(w.edit), replaced);
  w.OnEditUndo();
  EXPECT_EQ(AllText(w.edit), text);
  EXPECT_FALSE(w.edit.IsModified());
  EXPECT_EQ(w.edit.m_nUndoPos, 0);
  w.OnEditRedo();
  EXPECT_EQ(AllText(w.edit), replaced);
}

TEST_F(EditFind, HistoryFindNextAndMessages) {
  CWinApp app("EditFindTest");
  ClearFindProfile(app);
  CTestEditWnd w;
  w.edit.SetLineEndMode(2);
  ASSERT_TRUE(w.Open("alpha beta\nbeta\n"));
  // With an empty history Find Next is disabled and finds nothing.
  CTestCmdUI ui;
  ui.m_nID = ID_SECEDIT_FINDNEXT;
  ASSERT_TRUE(w.OnCmdMsg(ID_SECEDIT_FINDNEXT, (int)CN_UPDATE_COMMAND_UI, &ui, nullptr));
  EXPECT_FALSE(ui.m_bEnabled);
  EXPECT_EQ(w.FindNextFromHistory(), -1);
  for (const char* s : {"a", "b", "", "a", "c", "d", "e", "f", "g", "h", "i", "j", "k", "k"})
    SECEditCoreBase::AddFindHistory(s);
  const char* want[] = {"k", "j", "i", "h", "g", "f", "e", "d", "c", "a"};
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(SECEditCoreBase::GetFindHistory(n), want[n - 1]) << n;
  app.WriteProfileString("Settings\\Find", "Replace1", "<OE empty string>");
  EXPECT_EQ(SECEditCoreBase::GetReplaceHistory(1), "");
  // Find Next repeats entry 1 from the caret, wraps, and says when nothing is there.
  SECEditCoreBase::AddFindHistory("beta");
  EXPECT_EQ(w.Command(ID_SECEDIT_FINDNEXT), 1);
  EXPECT_EQ(w.Caret(), std::make_pair(1, 10));
  EXPECT_EQ(w.FindNextFromHistory(), 1);
  EXPECT_EQ(w.Caret(), std::make_pair(2, 4));
  EXPECT_EQ(w.FindNextFromHistory(), 1);
  EXPECT_EQ(w.Caret(), std::make_pair(1, 10));
  SECEditCoreBase::AddFindHistory("zz");
  EXPECT_EQ(w.FindNextFromHistory(), 0);
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "The string 'zz' was not found.");
  // The seed is the selection on one line, else the word at the caret.
  CString seed;
  w.GoToLineColumn(1, 1);
  EXPECT_TRUE(w.GetFindSeed(seed));
  EXPECT_EQ(seed, "alpha");
  w.GoToLineColumn(1, 5);
  EXPECT_FALSE(w.GetFindSeed(seed));
  ClearFindProfile(app);
}

namespace {

// Fills the open dialog and presses a button, as a user would.
void Press(CDialog* dlg, const char* find, int button, BOOL wrap = TRUE, const char* replace = nullptr) {
  dlg->SetDlgItemText(IDC_OEFIND_FIND, find);
  if (replace) dlg->SetDlgItemText(IDC_OEFIND_REPLACE, replace);
  dlg->CheckDlgButton(IDC_OEFIND_WRAP, wrap);
  dlg->SendMessage(WM_COMMAND, (WPARAM)button, 0);
  UA::Pump();
}

bool Enabled(CDialog* dlg, int id) { return dlg->GetDlgItem(id) && dlg->GetDlgItem(id)->IsWindowEnabled(); }

}  // namespace

TEST_F(EditFind, DialogsFindReplaceAndClose) {
  CWinApp app("EditFindTest");
  ClearFindProfile(app);
  CTestEditWnd w;
  w.edit.SetLineEndMode(2);
  ASSERT_TRUE(w.Open("one x two\nthree\n"));
  auto boxes = [] { return Automation::Instance().MessageBoxes(); };

  // Find Next with an empty history opens the Find dialog; it closes after a successful find.
  w.OnEditFindNext();
  ASSERT_NE(w.m_pFindDlg, nullptr);
  EXPECT_TRUE(w.m_bFindDlgOpen);
  w.Command(ID_EDIT_REPLACE);  // the other one only takes the focus
  EXPECT_EQ(w.m_pReplaceDlg, nullptr);
  Press(w.m_pFindDlg, "two", IDOK);
  EXPECT_EQ(w.m_pFindDlg, nullptr);
  EXPECT_EQ(w.Caret(), std::make_pair(1, 9));
  EXPECT_EQ(SECEditCoreBase::GetFindHistory(1), "two");

  // Not found: the dialog stays, its find box takes the focus, Replace and Replace All go grey.
  w.Command(ID_EDIT_REPLACE);
  CDialog* rep = w.m_pReplaceDlg;
  ASSERT_NE(rep, nullptr);
  EXPECT_TRUE(Enabled(rep, IDC_OEFIND_REPLACEALL));
  Press(rep, "zz", IDOK);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "The string 'zz' was not found.");
  EXPECT_EQ(w.m_pReplaceDlg, rep);
  CWnd* focus = CWnd::GetFocus();
  ASSERT_NE(focus, nullptr);
  EXPECT_TRUE(focus == rep->GetDlgItem(IDC_OEFIND_FIND) || focus->GetParent() == rep->GetDlgItem(IDC_OEFIND_FIND));
  EXPECT_FALSE(Enabled(rep, IDC_OEFIND_REPLACEBTN));
  EXPECT_FALSE(Enabled(rep, IDC_OEFIND_REPLACEALL));

  // Replace All without a match keeps the caret and the dialog.
  Press(rep, "qq", IDC_OEFIND_REPLACEALL, TRUE, "y");
  EXPECT_EQ(boxes().back().text, "The string 'qq' was not found.");
  EXPECT_EQ(w.Caret(), std::make_pair(1, 9));
  EXPECT_EQ(w.m_pReplaceDlg, rep);

  // Replace with a selection the dialog did not find: find, replace, then find again, which (wrapping off)
  // finishes the search and closes the dialog.
  w.GoToLineColumn(1, 0);
  w.SelectWord(FALSE);
  Press(rep, "x", IDC_OEFIND_REPLACEBTN, FALSE, "Y");
  EXPECT_EQ(AllText(w.edit), "one Y two\nthree\n");
  EXPECT_EQ(w.m_pReplaceDlg, nullptr);
  EXPECT_EQ(boxes().back().text, "Finished searching for 'x'.");
  EXPECT_EQ(SECEditCoreBase::GetReplaceHistory(1), "Y");
  // Find Next in the Replace dialog: it stays after the match, and closes when the search is finished.
  w.GoToLineColumn(1, 0);
  w.Command(ID_EDIT_REPLACE);
  rep = w.m_pReplaceDlg;
  ASSERT_NE(rep, nullptr);
  Press(rep, "two", IDOK, FALSE);
  EXPECT_EQ(w.m_pReplaceDlg, rep);
  EXPECT_EQ(w.Caret(), std::make_pair(1, 9));
  Press(rep, "two", IDOK, FALSE);
  EXPECT_EQ(w.m_pReplaceDlg, nullptr);
  EXPECT_EQ(boxes().back().text, "Finished searching for 'two'.");

  // Replace All through the dialog, then Mark All.
  w.Command(ID_EDIT_REPLACE);
  ASSERT_NE(w.m_pReplaceDlg, nullptr);
  Press(w.m_pReplaceDlg, "e", IDC_OEFIND_REPLACEALL, TRUE, "E");
  EXPECT_EQ(AllText(w.edit), "onE Y two\nthrEE\n");
  EXPECT_EQ(w.m_pReplaceDlg, nullptr);
  w.Command(ID_EDIT_FIND);
  ASSERT_NE(w.m_pFindDlg, nullptr);
  Press(w.m_pFindDlg, "E", IDC_OEFIND_MARKALL);
  EXPECT_EQ(w.m_pFindDlg, nullptr);
  EXPECT_EQ(w.edit.m_nBookmarks, 2);
  for (UINT id : {ID_SECEDIT_NEXTBOOKMARK, ID_SECEDIT_PREVBOOKMARK, ID_SECEDIT_CLEARBOOKMARKS}) {
    CTestCmdUI ui;
    w.OnCmdMsg(id, (int)CN_UPDATE_COMMAND_UI, &ui, nullptr);
    EXPECT_TRUE(ui.m_bEnabled) << id;
  }
  EXPECT_EQ(app.GetProfileInt("Settings\\Find", "Wrap search", 0), 1u);

  // The combo box lists the history up to the first missing entry; "<OE empty string>" is an empty item.
  ClearFindProfile(app);
  for (const char* v : {"b", "<OE empty string>", "a"}) SECEditCoreBase::AddFindHistory(v);
  w.ClearSelection(FALSE);
  w.GoToLineColumn(2, 9);
  w.Command(ID_EDIT_FIND);
  ASSERT_NE(w.m_pFindDlg, nullptr);
  CWnd* combo = w.m_pFindDlg->GetDlgItem(IDC_OEFIND_FIND);
  ASSERT_EQ(combo->SendMessage(CB_GETCOUNT), 3);
  char item[32] = {0};
  combo->SendMessage(CB_GETLBTEXT, 1, (LPARAM)item);
  EXPECT_STREQ(item, "");
  EXPECT_EQ(w.m_pFindDlg->m_strFind, "a");
  w.m_pFindDlg->SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(w.m_pFindDlg, nullptr);
  EXPECT_FALSE(w.m_bFindDlgOpen);
  ClearFindProfile(app);
}

TEST_F(EditFind, TheDialogOpensAtTheFrameTopUnlessItWouldCoverTheCaretRow) {
  CWinApp app("EditFindTest");
  const int cyMax = GetSystemMetrics(SM_CYMAXIMIZED);
  std::string text;
  for (int i = 0; i < 100; ++i) text += "line\n";
  struct Case {
    int frameTop, frameBottom, caretLine;
    const char* want;  // "top", "bottom" (two lines above the frame's bottom) or "max" (ends at the maximised height)
  } cases[] = {{40, 800, 30, "top"}, {40, 800, 1, "bottom"}, {40, cyMax + 300, 1, "max"}};
  for (const Case& c : cases) {
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, AfxRegisterWndClass(0), "frame", WS_POPUP | WS_VISIBLE,
                               CRect(0, c.frameTop, 700, c.frameBottom), nullptr, 0));
    app.m_pMainWnd = &frame;
    CTestEditWnd w;
    w.edit.SetLineEndMode(2);
    ASSERT_TRUE(w.Open(text, 400, 700));
    w.GoToLineColumn(c.caretLine, 0);
    ASSERT_EQ(w.m_nTopLine, 1);
    w.Command(ID_EDIT_FIND);
    ASSERT_NE(w.m_pFindDlg, nullptr);
    CRect rc;
    w.m_pFindDlg->GetWindowRect(&rc);
    const int h = rc.Height();
    const int want = std::string(c.want) == "top"      ? c.frameTop
                     : std::string(c.want) == "bottom" ? c.frameBottom - 2 * w.m_nLineHeight - h
                                                       : cyMax - h;
    EXPECT_EQ(rc.top, want) << c.want;
    if (std::string(c.want) == "top") {
      EXPECT_LT(rc.bottom, (c.caretLine - 1) * w.m_nLineHeight);
    }
    w.m_pFindDlg->SendMessage(WM_COMMAND, IDCANCEL);
    UA::Pump();
    EXPECT_EQ(w.m_pFindDlg, nullptr);
    app.m_pMainWnd = nullptr;
    frame.DestroyWindow();
  }
}

TEST_F(EditFind, AMatchUnderTheReplaceDialogIsScrolledOutFromUnderIt) {
  CWinApp app("EditFindTest");
  ClearFindProfile(app);
  struct Case {
    int firstRow, endRow;  // the dialog hides rows firstRow .. endRow - 1 (counted from the bottom when negative)
    int decoyRow;          // with Replace: the first match, replaced before the one under test; -1 none
    int matchRow;          // the match's row before the find (from the bottom when negative)
    const char* want;      // "up": moved up until the row starts below the dialog; "top": the caret line on top;
                           // "last": on the last whole row; "stay"
  } cases[] = {
      {0, 5, -1, 2, "up"},        // more room below: the text moves down under the dialog
      {-6, -2, -1, -4, "top"},    // more room above: the caret line becomes the top line
      {-6, -2, -1, -8, "stay"},   // a match above the dialog does not scroll
      {-6, -2, -1, -2, "stay"},   // a row only partly covered is not hidden
      {-6, -2, -8, -4, "top"},    // Replace finds the next match under the dialog
      {0, 40, -1, 5, "last"},     // a dialog taller than the window: the match stops at its last row
  };
  const int top = 21;
  for (const Case& c : cases) {
    CTestEditWnd w;
    w.edit.SetLineEndMode(2);
    ASSERT_TRUE(w.Open("x\n"));
    const int h = w.m_nLineHeight, rows = w.VisibleRows();
    auto row = [&](int r) { return r < 0 ? rows + r : r; };
    const int matchLine = top + row(c.matchRow);
    const int decoyLine = c.decoyRow == -1 ? 0 : top + row(c.decoyRow);
    std::string text;
    for (int i = 1; i <= 100; ++i) text += (i == matchLine || i == decoyLine ? "match\n" : "line\n");
    SetText(w.edit, text);
    w.InitView();
    w.Command(ID_EDIT_REPLACE);
    CDialog* rep = w.m_pReplaceDlg;
    ASSERT_NE(rep, nullptr);
    const CRect client(0, row(c.firstRow) * h - 2, 300, row(c.endRow) * h + 1);
    CRect dlg = client;
    w.ClientToScreen(&dlg);
    rep->MoveWindow(&dlg);
    w.GoToLineColumn(top, 0);
    w.m_pTopLine = w.edit.FindLine(top);
    w.m_nTopLine = top;
    Press(rep, "match", IDOK, FALSE);
    if (c.decoyRow != -1) {
      ASSERT_EQ(w.Caret(), std::make_pair(decoyLine, 5));
      EXPECT_EQ(w.m_nTopLine, top);
      Press(rep, "match", IDC_OEFIND_REPLACEBTN, FALSE, "M");
    }
    ASSERT_EQ(w.Caret(), std::make_pair(matchLine, 5)) << c.matchRow;
    const int want = std::string(c.want) == "stay"   ? top
                     : std::string(c.want) == "top"  ? matchLine
                     : std::string(c.want) == "last" ? matchLine - (rows - 1)
                                                     : matchLine - (row(c.endRow) + 1);
    EXPECT_EQ(w.m_nTopLine, want) << c.want << " " << c.matchRow;
    EXPECT_EQ((int)w.edit.LineNumber(w.m_pTopLine), want);
    EXPECT_TRUE(w.m_rcFindDlg.IsRectEmpty());
    if (std::string(c.want) == "up") {
      EXPECT_GE((matchLine - w.m_nTopLine) * h, client.bottom);
    }
    rep->SendMessage(WM_COMMAND, IDCANCEL);
    UA::Pump();
  }
  ClearFindProfile(app);
}
