#include "comm/MC_Comm.h"
#include "editor/documents/TextFileDoc.h"
#include "kernel/document/MC_Document.h"
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "editor/documents/TextFileView.h"
#include "tests/support/SimulatedDrive.h"
#include "tests/support/TextFileWindows.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

namespace UA = UiAutomation;

namespace {

// The host's main document with its setup and interpreter document.
class CHostDoc : public CMC_Document {
 public:
  CHostDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* setup = nullptr;
  CTextFileDoc* interpreter = nullptr;
  CMC_Setup* GetSetup() override { return setup; }
  CTextFileDoc* GetInterpreterDoc() override { return interpreter; }
};

using testtext::Doc;

struct View : testtext::View {
  struct UI : CCmdUI {
    BOOL on = -1;
    CString text = "unset";
    void Enable(BOOL b = TRUE) override { on = b; }
    void SetText(LPCSTR t) override { text = t; }
  };
  UI Update(UINT id) {
    UI ui;
    ui.m_nID = id;
    OnCmdMsg(id, (int)CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return ui;
  }
  void Type(const char* s) {
    for (; *s; ++s) SendMessage(WM_CHAR, (BYTE)*s, 1);
  }
  void Key(UINT vk) {
    MSG m{m_hWnd, WM_KEYDOWN, vk, 1, 0, {0, 0}};
    if (!PreTranslateMessage(&m)) SendMessage(WM_KEYDOWN, vk, 1);
  }
};

// The lines, joined by "|".
std::string Text(CTextFileDoc& d) {
  std::string s;
  for (tagLINEDESC* p = d.GetEdit()->m_pLine; p; p = p->pNext)
    s += (s.empty() ? "" : "|") + std::string(p->pText, (size_t)d.GetEdit()->TextLength(p));
  return s;
}

}  // namespace

class TextFileViewTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    Clock::UseVirtualTime();
  }
  void TearDown() override {
    Clock::UseRealTime();
    ResetClipboard();
    SetupTest::TearDown();
  }
  CWinApp app{"TextViewTest"};
};

TEST_F(TextFileViewTest, PositionPaneMarksAndReplace) {
  Doc doc;
  doc.OnNewDocument();
  std::string text;
  for (int i = 1; i <= 10001; ++i) text += "line\r\n";
  SECEdit* e = doc.GetEdit();
  SECEdit::FreeLineList(e->m_pLine);
  e->TextChangedAt(0);
  e->m_pLine = e->SplitIntoLines(text.c_str(), (int)text.size());
  e->m_nLineCount = e->RenumberAll();
  View& v = *new View;
  ASSERT_TRUE(v.Open(&doc));
  v.GoToLineColumn(9999, 0);
  EXPECT_EQ(v.Update(ID_INDICATOR_POSITION).text, "Line 9999 Col 1");
  EXPECT_EQ(v.Update(ID_INDICATOR_POSITION).text, "unset");  // unchanged: left as it is
  v.GoToLineColumn(10000, 0);
  EXPECT_EQ(v.Update(ID_INDICATOR_POSITION).text, "Ln 10000 Col 1");
  EXPECT_TRUE(v.Update(ID_EDIT_REPLACE).on);

  // The four marks in the gutter, each filled with its colour.
  v.GoToTop(FALSE);
  const DWORD marks[4] = {LINE_BOOKMARK, LINE_BREAKPOINT | LINE_BREAKPOINT_ENABLED, LINE_CURRENT_STMT,
                          LINE_CURRENT_ERROR};
  const COLORREF colors[4] = {RGB(0, 128, 255), RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 255, 255)};
  tagLINEDESC* p = e->m_pLine;
  for (DWORD m : marks) p->dwFlags |= m, p = p->pNext;
  v.Invalidate();
  UA::Pump();
  SaveWindowImage(&v, dravonix::test::OutputPath("text-view-marks.png").c_str());
  ASSERT_EQ(v.m_nMargin, v.m_nLineHeight * 3 / 2);
  for (int i = 0; i < 4; ++i) {
    int cx = v.m_nMargin / 2, cy = i * v.m_nLineHeight + v.m_nLineHeight / 2;
    POINT at{i == 2 || i == 3 ? cx + v.m_nMargin / 8 : cx, cy};  // the arrows are filled right of the middle
    EXPECT_EQ(GetWindowPixel(v.m_hWnd, at), colors[i]) << i;
  }
  // Without the margin the current error beats a bookmark as line background.
  e->m_pLine->dwFlags |= LINE_CURRENT_ERROR;
  v.m_bSelectionMargin = FALSE;
  v.m_nMargin = 0;
  v.Invalidate();
  UA::Pump();
  EXPECT_EQ(GetWindowPixel(v.m_hWnd, POINT{300, 2}), RGB(0, 255, 255));
  // A second view starts where the active one stands.
  v.OnActivateView(TRUE, &v, nullptr);
  v.GoToLineColumn(500, 2);
  View& second = *new View;
  ASSERT_TRUE(second.Open(&doc, 500));
  EXPECT_EQ(second.m_nCurLine, 500);
  EXPECT_EQ(second.m_nCurCol, 2);
  second.Close();
  v.Close();

  for (auto init : {&CTextFileDoc::InitializeOutputDoc, &CTextFileDoc::InitializeInterpreterDoc}) {
    Doc window;
    (window.*init)();
    View& w = *new View;
    ASSERT_TRUE(w.Open(&window));
    EXPECT_FALSE(w.Update(ID_EDIT_REPLACE).on);
    EXPECT_EQ(w.m_nMargin, 0);
    w.Close();
  }
}

TEST_F(TextFileViewTest, InterpreterConsole) {
  DriveSimulator::Reset();
  CMC_Comm::nShowErr = 0;
  SetupPtr setup(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(setup);
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  Doc console;
  CHostDoc host;
  host.interpreter = &console;
  console.InitializeInterpreterDoc();
  console.m_pUpdateTarget = &host;
  View& v = *new View;
  ASSERT_TRUE(v.Open(&host));
  SECEdit* e = console.GetEdit();

  // Without a setup.
  v.Type("CPOS=100;\r");
  EXPECT_EQ(Text(console), "VKS> CPOS=100;|FATAL ERROR: THERE IS NO SETUP!|VKS> ");
  host.setup = setup.get();
  console.ClearInterpreterEdit();
  v.Type("\r");  // a bare prompt adds a prompt
  EXPECT_EQ(Text(console), "VKS> |VKS> ");
  EXPECT_EQ(e->m_nLineCount, 2);
  v.m_nCurCol = 2;  // inside the prompt: typing goes to column 5
  v.Type("CPOS=100;");
  EXPECT_EQ(v.m_nCurCol, 14);
  v.Type("\r");
  WORD pos = 0;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x029E, &pos, 1));
  EXPECT_EQ(pos, 100);
  EXPECT_EQ(Text(console), "VKS> |VKS> CPOS=100;|ok|VKS> ");
  v.Type("NOSUCH=1;\r");
  EXPECT_EQ(Text(console), "VKS> |VKS> CPOS=100;|ok|VKS> NOSUCH=1;|Unknown variable \"NOSUCH\".|VKS> ");

  // Recall: Up, Up, Down, Down comes back to an empty prompt.
  v.Key(VK_UP);
  EXPECT_EQ(std::string(e->GetLine(0)->pText), "VKS> NOSUCH=1;\r\n");
  v.Key(VK_UP);
  EXPECT_EQ(std::string(e->GetLine(0)->pText), "VKS> CPOS=100;\r\n");
  v.Key(VK_DOWN);
  v.Key(VK_DOWN);
  EXPECT_EQ(std::string(e->GetLine(0)->pText, 5), "VKS> ");
  EXPECT_EQ(e->GetLine(0)->nLength, 5);

  // Backspace is disabled at column 5, Delete is not.
  v.GoToTextEnd(FALSE);
  EXPECT_EQ(v.m_nCurCol, 5);
  EXPECT_FALSE(v.Update(ID_SECEDIT_BACKSPACE).on);
  EXPECT_TRUE(v.Update(ID_EDIT_CLEAR).on);

  // Paste: only the first of two lines; a column block nothing.
  ClipboardSetText(nullptr, "A=1;\r\nB=2;", 10);
  v.SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
  EXPECT_EQ(std::string(e->GetLine(0)->pText), "VKS> A=1;\r\n");
  ClipboardSetText(nullptr, "*SECEdit Column Block*\r\nX\r\n", 27);
  v.SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
  EXPECT_EQ(std::string(e->GetLine(0)->pText), "VKS> A=1;\r\n");
  // A drop skips the marker and the one line end that is there; a bare marker adds nothing.
  const struct {
    std::string dropped;
    const char* line;
  } drops[] = {{"*SECEdit Column Block*\nBC\n", "VKS> A=1;BC\r\n"},
               {"*SECEdit Column Block*", "VKS> A=1;BC\r\n"},
               {"D\r\nE", "VKS> A=1;BCD\r\n"}};
  for (const auto& d : drops) {
    v.GoToTextEnd(FALSE);
    v.DoDropPaste(d.dropped.c_str(), (int)d.dropped.size());
    EXPECT_EQ(std::string(e->GetLine(0)->pText), d.line) << d.dropped;
  }
  EXPECT_EQ(v.GetHelpKey(), "a=1;bcd");
  v.SendMessage(WM_COMMAND, ID_HELP, 0);
  ASSERT_EQ(Automation::Instance().HelpCalls().size(), 1u);
  EXPECT_EQ(Automation::Instance().HelpCalls()[0].data, 4099u);
  EXPECT_EQ(Automation::Instance().HelpCalls()[0].command, 15u);
  v.Close();
  dravonix::test::StopSimulatedDrive();
}

namespace {

// A top-level frame with one text view on the document, as the host's templates make them.
CFrameWnd* OpenFrame(CDocument* doc, int x) {
  CCreateContext ctx;
  ctx.m_pNewViewClass = RUNTIME_CLASS(CTextFileView);
  ctx.m_pCurrentDoc = doc;
  auto* frame = new CFrameWnd;
  if (!frame->Create(nullptr, "text", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(x, 0, x + 400, 300), nullptr, nullptr, 0,
                     &ctx))
    return nullptr;
  frame->InitialUpdateFrame(doc, TRUE);
  return frame;
}

void Fill(CTextFileDoc& doc, int lines) {
  std::string text;
  for (int i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + "\n";
  SECEdit* e = doc.GetEdit();
  SECEdit::FreeLineList(e->m_pLine);
  e->TextChangedAt(0);
  e->m_pLine = e->SplitIntoLines(text.c_str(), (int)text.size());
  e->m_nLineCount = e->RenumberAll();
}

}  // namespace

TEST_F(TextFileViewTest, ANewViewStartsWhereTheViewOfTheFrameActivatedLastStands) {
  Doc doc;
  doc.OnNewDocument();
  Fill(doc, 200);
  CFrameWnd* one = OpenFrame(&doc, 0);
  CFrameWnd* two = OpenFrame(&doc, 420);
  ASSERT_TRUE(one && two);
  auto* v1 = static_cast<CTextFileView*>(one->GetActiveView());
  auto* v2 = static_cast<CTextFileView*>(two->GetActiveView());
  v1->GoToLineColumn(50, 3);
  v2->GoToLineColumn(120, 1);
  one->SetActiveWindow();  // back to the first frame
  UA::Pump();
  View& third = *new View;
  ASSERT_TRUE(third.Open(&doc, 840));
  EXPECT_EQ(third.m_nCurLine, 50);
  EXPECT_EQ(third.m_nCurCol, 3);
  third.Close();
  one->DestroyWindow();
  two->DestroyWindow();
}

TEST_F(TextFileViewTest, OutputWindowFollowsAppendedTextOnlyFromTheLastLine) {
  Doc out;
  out.InitializeOutputDoc();
  View& v = *new View;
  ASSERT_TRUE(v.Open(&out));
  const int rows = v.m_rcClient.Height() / v.m_nLineHeight;
  for (int i = 0; i < 3 * rows; ++i) out.InsertTextAtEnd("compiled\n");
  SECEdit* e = out.GetEdit();
  // From the last line the caret stays on it and the new text scrolls into view.
  EXPECT_EQ(v.m_pCurLine->pNext, nullptr);
  EXPECT_EQ(v.m_nCurLine, e->m_nLineCount);
  EXPECT_GT(v.m_nTopLine, 1);
  // Elsewhere neither the caret nor the view moves.
  v.GoToLineColumn(5, 2);
  const int top = v.m_nTopLine;
  out.InsertTextAtEnd("warning\nerror\n");
  EXPECT_EQ(v.m_nCurLine, 5);
  EXPECT_EQ(v.m_nCurCol, 2);
  EXPECT_EQ(v.m_nTopLine, top);
  EXPECT_EQ((int)e->LineNumber(v.m_pTopLine), top);
  v.Close();
}

TEST_F(TextFileViewTest, ALineAppendedAfterAClearLeavesEveryViewOnLiveLines) {
  struct Case {
    const char* name;
    void (*prepare)(Doc&);
    const char* line;  // appended with InsertLineAtEnd while two views are open
    const char* want;  // the lines afterwards
  } cases[] = {
      {"new document", [](Doc& d) { d.OnNewDocument(); }, "first", "first"},
      {"output after a clear",
       [](Doc& d) {
         d.InitializeOutputDoc();
         d.InsertTextAtEnd("compiled\n");
         d.ClearEdit();
       },
       "done\nignored", "done"},
      {"output ending in an empty line",
       [](Doc& d) {
         d.InitializeOutputDoc();
         d.InsertTextAtEnd("compiled\n");
       },
       "done", "compiled|done"},
  };
  for (const Case& c : cases) {
    Doc doc;
    c.prepare(doc);
    View& v = *new View;
    View& w = *new View;
    ASSERT_TRUE(v.Open(&doc));
    ASSERT_TRUE(w.Open(&doc, 500));
    w.GoToTextEnd(TRUE);
    UA::Pump();
    doc.InsertLineAtEnd(c.line);
    UA::Pump();  // paints every row from the top line
    EXPECT_EQ(Text(doc), c.want) << c.name;
    SECEdit* e = doc.GetEdit();
    for (View* x : {&v, &w}) {
      // The views hold lines of the text at the numbers they show.
      EXPECT_EQ(x->m_pTopLine, e->FindLine(x->m_nTopLine)) << c.name;
      EXPECT_EQ(x->m_pCurLine, e->FindLine(x->m_nCurLine)) << c.name;
      EXPECT_EQ(x->m_nTopLine, 1) << c.name;
    }
    EXPECT_EQ(w.m_nCurLine, e->m_nLineCount) << c.name;
    doc.InsertLineAtEnd("next");
    UA::Pump();
    EXPECT_EQ(Text(doc), std::string(c.want) + "|next") << c.name;
    EXPECT_EQ(w.m_pCurLine, e->FindLine(w.m_nCurLine)) << c.name;
    w.Close();
    v.Close();
  }
}

TEST_F(TextFileViewTest, ASavedFontChangeRebuildsTheCaretAtTheNewLineHeight) {
  Doc doc;
  doc.OnNewDocument();
  Fill(doc, 20);
  View& v = *new View;
  ASSERT_TRUE(v.Open(&doc));
  v.SetActiveWindow();
  ::SetFocus(nullptr);  // the caret is made when the view takes the focus, after its first update
  v.SetFocus();
  UA::Pump();
  const int before = v.m_nLineHeight;
  ASSERT_EQ(GetUiCaretInfo().owner, v.m_hWnd);
  ASSERT_EQ(GetUiCaretInfo().height, before);
  // Nothing saved has changed: the view keeps its font.
  doc.UpdateAllViews(nullptr, -88, nullptr);
  EXPECT_EQ(v.m_nLineHeight, before);
  app.WriteProfileInt(doc.GetRegistrySubKey(), "Font size", 20);
  doc.UpdateAllViews(nullptr, -88, nullptr);
  EXPECT_GT(v.m_nLineHeight, before);
  EXPECT_EQ(GetUiCaretInfo().height, v.m_nLineHeight);
  EXPECT_EQ(v.m_nMargin, v.m_nLineHeight * 3 / 2);
  app.WriteProfileInt(doc.GetRegistrySubKey(), "Font size", 9);
  v.Close();
}

// The view's bars stay once the text has been longer than the view, their arrows grey while it fits.
TEST_F(TextFileViewTest, TheBarsArrowsGreyWhileTheTextFits) {
  Doc doc;
  doc.InitializeOutputDoc();
  View& v = *new View;
  ASSERT_TRUE(v.Open(&doc));
  for (int i = 0; i < 100; ++i) doc.InsertTextAtEnd("compiled\n");
  EXPECT_EQ(dravonix::test::ArrowGlyphs(v.m_hWnd), "kkkk");
  doc.ClearEdit();
  EXPECT_EQ(dravonix::test::ArrowGlyphs(v.m_hWnd), "ggkk");
  v.Close();
}
