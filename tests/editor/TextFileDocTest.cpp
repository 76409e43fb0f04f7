#include "EditTestUtil.h"
#include "editor/documents/TextFileDoc.h"
#include "kernel/document/MC_Document.h"
#include "platform/core/Automation.h"
#include "platform/core/Ini.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"
#include "tests/support/TestKernel.h"
#include "tests/support/TextFileWindows.h"
#include "tests/support/ViewFrame.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <climits>
#include <cstdio>
#include <fstream>

namespace {

// A view that records the hints it hears.
class CHintView : public CView {
 public:
  std::vector<LPARAM> hints;
  void OnDraw(CDC*) override {}
  void OnUpdate(CView*, LPARAM lHint, CObject*) override { hints.push_back(lHint); }
};

struct Doc : CTextFileDoc {
  Doc() { m_bAutoDelete = FALSE; }
  using CTextFileDoc::InitializeDoc;
  using CTextFileDoc::m_nLastModified;
};

std::string Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void SetFileTime(const std::string& path, time_t t) {
  utimbuf times{t, t};
  utime(path.c_str(), &times);
}

std::string LineText(tagLINEDESC* p) { return std::string(p->pText, (size_t)p->nLength); }

auto& Boxes() { return Automation::Instance(); }

}  // namespace

TEST(TextFileDoc, KindsFromExtensions) {
  const struct {
    const char* path;
    int kind;
  } cases[] = {{"/x/a.MAIN", 1}, {"b.intr2", 1},   {"c.setup_axis", 1}, {"d.zur", 1}, {"e.C", 1},
               {"f.txt", 2},     {"g.mai", 2},     {"/dir.d/noext", 2}, {"h", 2},     {"i.move", 1}};
  for (const auto& c : cases) EXPECT_EQ(CTextFileDoc::DetectFileType(c.path), c.kind) << c.path;
  EXPECT_EQ(CTextFileDoc::GetRegistrySubKey(7), "Text Editor\\Default Files");
  EXPECT_EQ(CTextFileDoc::GetRegistrySubKey(4), "Text Editor\\Interpreter");
}

TEST(TextFileDoc, ErrorLinesAndNavigation) {
  const struct {
    const char* text;
    bool error;
    const char* file;
    int line;
  } cases[] = {{"\"C:\\a.zur\", line 12: x", true, "C:\\a.zur", 12},
               {"\"\", line 12: x", false, "", 0},
               {"\"C:\\a.zur\", line 0: x", false, "", 0},
               {"C:\\a.zur, line 3", false, "", 0}};
  for (const auto& c : cases) {
    SECEdit e;
    SetText(e, c.text);
    CString file;
    int line = -1;
    EXPECT_EQ(CTextFileDoc::OutputIsErrorLine(e.m_pLine, file, line), c.error) << c.text;
    if (c.error) {
      EXPECT_EQ(file, c.file);
      EXPECT_EQ(line, c.line);
    }
  }
  CString none;
  int noLine = 0;
  EXPECT_FALSE(CTextFileDoc::OutputIsErrorLine(nullptr, none, noLine));

  Doc doc;
  doc.InitializeOutputDoc();
  EXPECT_EQ(doc.GetTitle(), "Output");
  EXPECT_TRUE(doc.GetReadOnly());
  doc.InsertTextAtEnd("compiling\r\n\"a.zur\", line 3: bad\r\nnote\r\n\"b.zur\", line 7: worse\r\n");
  CHintView view;
  doc.AddView(&view);
  CString file;
  int line = 0;
  ASSERT_TRUE(doc.OutputGetNextErrorLine(file, line));
  EXPECT_EQ(file, "a.zur");
  EXPECT_EQ(view.hints, (std::vector<LPARAM>{-85, -82}));
  ASSERT_TRUE(doc.OutputGetNextErrorLine(file, line));
  EXPECT_EQ(line, 7);
  EXPECT_FALSE(doc.OutputGetNextErrorLine(file, line));
  for (tagLINEDESC* p = doc.GetEdit()->m_pLine; p; p = p->pNext) EXPECT_FALSE(p->dwFlags & LINE_CURRENT_ERROR);
  ASSERT_TRUE(doc.OutputGetPrevErrorLine(file, line));
  EXPECT_EQ(line, 7);
  EXPECT_TRUE(doc.SetCurrentErrorLine(2));
  EXPECT_FALSE(doc.SetCurrentStmt(99));
  EXPECT_TRUE(doc.SetCurrentStmt(3));
  EXPECT_EQ(LineText(doc.ResetCurrentStmt()), "note\r\n");
  doc.RemoveView(&view);
}

TEST(TextFileDoc, TextAtTheEnd) {
  Doc doc;
  doc.InitializeInterpreterDoc();
  EXPECT_FALSE(doc.GetReadOnly());
  EXPECT_EQ(AllText(*doc.GetEdit()), "VKS> ");
  doc.InsertTextAtEnd("out\r\n");
  EXPECT_EQ(Lines(*doc.GetEdit()), (std::vector<std::string>{"VKS> \r\n", "out\r\n"}));
  doc.ClearEdit();
  EXPECT_EQ(AllText(*doc.GetEdit()), "");
  SetText(*doc.GetEdit(), "a\r\n");
  SECEdit::GetLastLine(doc.GetEdit()->m_pLine)->pNext = nullptr;
  // The last line is empty only after a line end that closes the text: "a\r\n" then an empty line.
  tagLINEDESC* empty = SECEdit::NewLine(8);
  CTextFileDoc::BindLines(doc.GetEdit()->m_pLine, empty);
  empty->nLineNumber = 2;
  doc.GetEdit()->m_nLineCount = 2;
  doc.InsertTextAtEnd("b\r\nc\r\n");
  EXPECT_EQ(Lines(*doc.GetEdit()), (std::vector<std::string>{"a\r\n", "b\r\n", "c\r\n", ""}));
  EXPECT_EQ(doc.GetEdit()->m_nLineCount, 4);
  EXPECT_EQ(SECEdit::RenumberLines(doc.GetEdit()->m_pLine), 4);
  EXPECT_EQ(CTextFileDoc::GetLineOfNumber(empty, 2)->pText[0], 'b');
  // The empty line's mark goes with it.
  ASSERT_TRUE(doc.SetCurrentStmt(4));
  doc.InsertLineAtEnd("d\r\ne\r\n");
  EXPECT_EQ(Lines(*doc.GetEdit()), (std::vector<std::string>{"a\r\n", "b\r\n", "c\r\n", "d\r\n"}));
  EXPECT_EQ(doc.ResetCurrentStmt(), nullptr);
  EXPECT_EQ(doc.GetEdit()->m_nLineCount, 4);
  doc.ClearInterpreterEdit();
  EXPECT_EQ(AllText(*doc.GetEdit()), "VKS> ");
}

TEST(TextFileDoc, WatchesTheFileOnDisk) {
  CWinApp app("TextDocWatch");
  Boxes().Reset();
  auto* tmpl = new CTextFileDocTemplate(0, RUNTIME_CLASS(CTextFileDoc), nullptr, nullptr);
  app.AddDocTemplate(tmpl);
  std::string dir = dravonix::test::ScratchDir("watch");
  std::string path = Write(dir + "/prog.txt", "one\r\n");
  SetFileTime(path, 2000000);
  Doc* doc = new Doc;
  ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
  doc->SetPathName(path.c_str(), FALSE);
  tmpl->AddDocument(doc);
  EXPECT_EQ(tmpl->FindDocument((dir + "/PROG.TXT").c_str()), doc);
  EXPECT_EQ(doc->m_nLastModified, 2000000);
  tmpl->OnIdle(0);
  EXPECT_TRUE(Boxes().MessageBoxes().empty());

  // Rewritten by another program: asked once, No keeps the text, asked again after the next change.
  Write(path, "two\r\n");
  SetFileTime(path, 2000003);
  EXPECT_FALSE(tmpl->OnIdle(1));
  EXPECT_TRUE(Boxes().MessageBoxes().empty());
  Boxes().PushMessageBoxAnswer(IDNO);
  tmpl->OnIdle(0);
  ASSERT_EQ(Boxes().MessageBoxes().size(), 1u);
  EXPECT_EQ(Boxes().MessageBoxes()[0].text,
            path + "\n\nThis file has been changed outside of the source editor. \nDo you want to reload it?");
  EXPECT_EQ(Boxes().MessageBoxes()[0].type, (UINT)(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(AllText(*doc->GetEdit()), "one\r\n");
  tmpl->OnIdle(0);
  EXPECT_EQ(Boxes().MessageBoxes().size(), 1u);

  // Edited here: the warning with No as default; Yes reloads.
  SECEditPos p{doc->GetEdit()->m_pLine, 0};
  doc->GetEdit()->InsertChar(p, 'x', TRUE, TRUE);
  SetFileTime(path, 2000006);
  Boxes().PushMessageBoxAnswer(IDYES);
  tmpl->OnIdle(0);
  ASSERT_EQ(Boxes().MessageBoxes().size(), 2u);
  EXPECT_NE(Boxes().MessageBoxes()[1].text.find("lose the changes made in the source editor?"), std::string::npos);
  EXPECT_EQ(Boxes().MessageBoxes()[1].type, (UINT)(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
  EXPECT_EQ(AllText(*doc->GetEdit()), "two\r\n");
  EXPECT_FALSE(doc->GetEdit()->IsModified());

  // A deleted file stops the watch silently.
  remove(path.c_str());
  tmpl->OnIdle(0);
  EXPECT_EQ(doc->m_nLastModified, 0);
  EXPECT_EQ(Boxes().MessageBoxes().size(), 2u);
  tmpl->RemoveDocument(doc);
  delete doc;
}

TEST(TextFileDoc, FailedSaveShowsItsMessageAndKeepsThePath) {
  Boxes().Reset();
  Doc doc;
  doc.InitializeDoc(nullptr, TRUE);
  EXPECT_FALSE(doc.DoSave("/nonexistent-folder/x.txt"));
  ASSERT_EQ(Boxes().MessageBoxes().size(), 1u);
  EXPECT_EQ(Boxes().MessageBoxes()[0].text, "Cannot save file /nonexistent-folder/x.txt");
  EXPECT_EQ(Boxes().MessageBoxes()[0].type, (UINT)(MB_OK | MB_ICONSTOP));
  EXPECT_EQ(doc.GetPathName(), "");
  std::string path = dravonix::test::ScratchDir("save") + "/saved.zur";
  EXPECT_TRUE(doc.DoSave(path.c_str()));
  EXPECT_EQ(doc.GetPathName(), path.c_str());
  EXPECT_NE(doc.m_nLastModified, 0);
}

TEST(TextFileDocSettings, OptionsWriteOnlyChangesAndTellTheRightDocuments) {
  CWinApp app("TextDocSettings");
  std::string mol = CTextFileDoc::GetKeywordFile(1).GetString();
  Write(mol, "[Categories]\r\nCategNo=1\r\nCateg1=ctrl\r\nCateg_Name1=Control\r\n[Colors]\r\nctrl=1,2,3\r\n"
             "[Keywords]\r\nbegin=ctrl\r\n");
  auto* tmpl = new CTextFileDocTemplate(0, RUNTIME_CLASS(CTextFileDoc), nullptr, nullptr);
  app.AddDocTemplate(tmpl);
  Doc* docs[2] = {new Doc, new Doc};
  docs[0]->InitializeDoc("a.zur", TRUE);
  docs[1]->InitializeOutputDoc();
  CHintView views[2];
  for (int i = 0; i < 2; ++i) {
    tmpl->AddDocument(docs[i]);
    docs[i]->AddView(&views[i]);
  }
  EXPECT_TRUE(docs[0]->GetEdit()->m_bChroma);
  tagSrcFileOpt opt;
  CTextFileDoc::GetOptions(opt);
  EXPECT_EQ(opt.crBookmark, RGB(0, 128, 255));
  ASSERT_EQ(opt.aFileType[0].astrCategNames.size(), 1u);
  EXPECT_EQ(opt.aFileType[0].astrCategNames[0], "Control");
  EXPECT_EQ(opt.aFileType[0].acrCategColors[0], RGB(1, 2, 3));
  EXPECT_EQ(opt.aFileType[1].crComment, 0u);
  EXPECT_EQ(opt.aFileType[2].bAutoIndent, 0);
  EXPECT_EQ(opt.aFileType[0].lf.lfHeight, -12);  // 9 points at 96 pixels per inch

  CTextFileDoc::SetOptions(opt);  // unchanged: nothing written, nobody told
  EXPECT_TRUE(views[0].hints.empty() && views[1].hints.empty());
  EXPECT_EQ(app.GetProfileString("Text Editor\\Output", "Tab size", "none"), "none");

  opt.crBookmark = RGB(1, 1, 1);
  CTextFileDoc::SetOptions(opt);
  EXPECT_EQ(views[0].hints, std::vector<LPARAM>{-89});
  EXPECT_EQ(views[1].hints, std::vector<LPARAM>{-89});

  opt.aFileType[2].nTabSize = 8;
  opt.aFileType[0].acrCategColors[0] = RGB(9, 9, 9);
  CTextFileDoc::SetOptions(opt);
  EXPECT_EQ(views[0].hints, (std::vector<LPARAM>{-89, -88}));
  EXPECT_EQ(views[1].hints, (std::vector<LPARAM>{-89, -88}));
  EXPECT_EQ(docs[1]->GetEdit()->GetTabSize(), 8);
  char color[32];
  GetPrivateProfileString("Colors", "ctrl", "", color, sizeof color, mol.c_str());
  EXPECT_STREQ(color, "9,9,9");
  EXPECT_EQ(docs[0]->GetEdit()->m_crKeywordDefault, RGB(9, 9, 9));

  // "Font Weight" written by the document is the text object's "Font weight".
  app.WriteProfileInt("Text Editor\\VKS Files", "Font Weight", 700);
  docs[0]->GetEdit()->LoadSettings();
  EXPECT_EQ(docs[0]->GetEdit()->m_nFontWeight, 700);
  for (int i = 0; i < 2; ++i) {
    docs[i]->RemoveView(&views[i]);
    tmpl->RemoveDocument(docs[i]);
    delete docs[i];
  }
  remove(mol.c_str());
}

// Down on the console's last line with nothing recalled is the editor's own Down: "End of file.".
TEST(TextFileDoc, ConsoleDownWithoutRecallIsTheEditorsDown) {
  CWinApp app("TextDocConsole");
  Boxes().Reset();
  testtext::Doc console;
  console.InitializeInterpreterDoc();
  auto* v = new testtext::View;  // deletes itself with its window
  ASSERT_TRUE(v->Open(&console));
  UiAutomation::Click(v->m_hWnd, POINT{200, 150});
  UiAutomation::PressKey(VK_DOWN);
  ASSERT_EQ(Boxes().MessageBoxes().size(), 1u);
  EXPECT_EQ(Boxes().MessageBoxes()[0].text, "End of file.");
  EXPECT_EQ(AllText(*console.GetEdit()), "VKS> ");
  v->Close();
}

// The active view closing, taken off the document first or with its window, leaves no view active, and the
// next view starts at the top.
TEST(TextFileDoc, AClosedActiveViewIsActiveNoLonger) {
  CWinApp app("TextDocViews");
  testtext::Doc doc;
  doc.OnNewDocument();
  SetText(*doc.GetEdit(), "a\r\nb\r\nc\r\n");
  // The view is made active as a frame shown by its template makes it.
  for (const bool removedFirst : {true, false}) {
    auto* frame = new CFrameWnd;  // deletes itself with its window
    ASSERT_TRUE(OpenViewFrame(*frame, RUNTIME_CLASS(CTextFileView), &doc, CRect(0, 0, 400, 300)));
    auto* v = static_cast<CTextFileView*>(frame->GetActiveView());
    ASSERT_TRUE(v);
    v->GoToLineColumn(3, 1);
    ASSERT_EQ(doc.m_pActiveView, v);
    if (removedFirst) doc.RemoveView(v);
    v->DestroyWindow();
    EXPECT_EQ(doc.m_pActiveView, nullptr) << removedFirst;
    frame->DestroyWindow();
  }
  auto* next = new testtext::View;
  ASSERT_TRUE(next->Open(&doc));
  EXPECT_EQ(next->m_nCurLine, 1);
  next->Close();
  // A console shown in a view of the host's main document.
  struct Host : CMC_Document {
    CTextFileDoc* console = nullptr;
    CTextFileDoc* GetInterpreterDoc() override { return console; }
  } host;
  host.m_bAutoDelete = FALSE;
  host.console = &doc;
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(OpenViewFrame(*frame, RUNTIME_CLASS(CTextFileView), &host, CRect(0, 0, 400, 300)));
  CView* shown = frame->GetActiveView();
  ASSERT_TRUE(shown);
  ASSERT_EQ(doc.m_pActiveView, shown);
  shown->DestroyWindow();
  EXPECT_EQ(doc.m_pActiveView, nullptr);
  frame->DestroyWindow();
}

// Font sizes of any int in the profile give a height (-1 where it cannot be had) and a window that opens.
TEST(TextFileDocSettings, AnyFontSizeGivesAHeightWithoutOverflow) {
  CWinApp app("TextDocFonts");
  const struct {
    int points;
    LONG height;  // at 96 pixels per inch
  } cases[] = {{9, -12}, {0, 0}, {-5, 7}, {INT_MAX, -1}, {INT_MIN, -1}, {-1610612736, -1}};
  for (const auto& c : cases) {
    app.WriteProfileInt("Text Editor\\Default Files", "Font size", c.points);
    LOGFONT lf;
    CTextFileDoc::GetFontFromRegistry(CTextFileDoc::FILETYPE_DEFAULT, &lf, nullptr);
    EXPECT_EQ(lf.lfHeight, c.height) << c.points;
    testtext::Doc doc;
    doc.OnNewDocument();
    auto* v = new testtext::View;  // deletes itself with its window
    EXPECT_TRUE(v->Open(&doc)) << c.points;
    v->Close();
  }
}

// A console view that did not hear the text cleared (its notices went to another document) reads no freed line.
TEST(TextFileDoc, RecallAfterAnUnheardClearReadsNoFreedLine) {
  CWinApp app("TextDocRecall");
  testtext::Doc console, other;
  console.InitializeInterpreterDoc();
  auto* v = new testtext::View;  // deletes itself with its window
  ASSERT_TRUE(v->Open(&console));
  UiAutomation::Click(v->m_hWnd, POINT{200, 150});
  UiAutomation::TypeText("A=1;\r");
  auto up = [&] { UiAutomation::PressKey(VK_UP); };
  up();
  EXPECT_EQ(Lines(*console.GetEdit()).back(), "VKS> A=1;\r\n");
  console.m_pUpdateTarget = &other;
  console.ClearInterpreterEdit();
  // The frame asks for the commands' state before any key.
  struct : CCmdUI {
    BOOL on = -1;
    void Enable(BOOL b = TRUE) override { on = b; }
  } clear;
  clear.m_nID = ID_EDIT_CLEAR;
  v->OnCmdMsg(ID_EDIT_CLEAR, (int)CN_UPDATE_COMMAND_UI, &clear, nullptr);
  EXPECT_EQ(clear.on, TRUE);
  up();
  EXPECT_EQ(AllText(*console.GetEdit()), "VKS> ");
  console.m_pUpdateTarget = nullptr;
  v->Close();
}

// A file the editor refuses is not left unopened without a word.
TEST(TextFileDoc, AFileWithALineTooLongToHoldIsRefusedWithItsMessage) {
  const std::string path = dravonix::test::ScratchDir("refused") + "/long.zur";
  std::ofstream(path, std::ios::binary) << std::string(20000, 'x');
  Boxes().Reset();
  Doc doc;
  EXPECT_FALSE(doc.OnOpenDocument(path.c_str()));
  ASSERT_EQ(Boxes().MessageBoxes().size(), 1u);
  EXPECT_EQ(Boxes().MessageBoxes()[0].text, "Cannot complete operation.  Maximum line length would be exceeded.");
  EXPECT_EQ(Boxes().MessageBoxes()[0].type, (UINT)(MB_OK | MB_ICONEXCLAMATION));
}
