#include "EditTestUtil.h"
#include "editor/view/SECEditView.h"
#include "platform/core/Clock.h"
#include "platform/core/File.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Printer.h"
#include "platform/gdi/RecordingDC.h"
#include "platform/ui/ControlBar.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

SECEdit* g_text = nullptr;

class CPrintEditView : public SECEditView {
  DECLARE_DYNCREATE(CPrintEditView)

 public:
  SECEdit* GetEdit() override { return g_text; }
};
IMPLEMENT_DYNCREATE(CPrintEditView, SECEditView)

std::string PdfText(const std::string& pdf) {
  std::string txt = pdf + ".txt";
  std::string cmd = "pdftotext -layout '" + pdf + "' '" + txt + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return "";
  return dravonix::test::ReadFileText(txt);
}

struct EditPrint : ::testing::Test {
  CWinApp app{"EditPrintTest"};
  SECEdit text;
  CDocument* doc = nullptr;
  CFrameWnd* frame = nullptr;
  CPrintEditView* view = nullptr;
  std::string dir;
  void SetUp() override {
    dir = dravonix::test::ScratchDir("print");
    SetPrinterOutputFolder(dir.c_str());
    DialogAutomation::Reset();
    g_text = &text;
    doc = new CDocument;
    doc->m_bAutoDelete = FALSE;
    frame = new CFrameWnd;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CPrintEditView);
    ctx.m_pCurrentDoc = doc;
    ASSERT_TRUE(frame->Create(nullptr, "print", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr,
                              nullptr, 0, &ctx));
    frame->InitialUpdateFrame(doc, TRUE);
    view = static_cast<CPrintEditView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
  }
  void TearDown() override {
    app.m_pMainWnd = nullptr;
    if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
    UiAutomation::Pump();
    delete doc;
    SetPrinterOutputFolder(nullptr);
    DialogAutomation::Reset();
    g_text = nullptr;
  }
  void Print(int from, int to) {
    DialogAutomation::CommonAnswer a;
    a.ok = true;
    a.fromPage = from;
    a.toPage = to;
    DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, a);
    frame->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  }
  // The texts drawn on one page, through a recording context of the printer's size.
  std::vector<CString> PageCalls(int page) {
    CDC dc;
    dc.CreateDC(GetPrinterDriverName(), GetPrinterDeviceName(), nullptr, nullptr);
    CPrintInfo info;
    info.m_rectDraw.SetRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
    view->OnBeginPrinting(&dc, &info);
    CRecordingDC rec(dc);
    info.m_nCurPage = (UINT)page;
    view->OnPrint(&dc, &info);
    view->OnEndPrinting(&dc, &info);
    std::vector<CString> texts;
    for (const CString& c : rec.Calls())
      if (c.Find("TextOut(") == 0) texts.push_back(c);
    return texts;
  }
};

}  // namespace

TEST(EditPageSetup, TokensAndTime) {
  EXPECT_EQ(OEExpandPageTokens("&p &p &f &f", "a%b", 3), "3 &p a%%b &f");
  OEPageSetupDlg dlg;
  dlg.LoadSettings();
  EXPECT_EQ(dlg.m_strHeader, "&f %c");
  EXPECT_EQ(dlg.m_strFooter, "Page: &p");
  CTime t(2001, 2, 3, 4, 5, 6);
  dlg.m_strHeader = "&f %Y";
  EXPECT_EQ(dlg.FormatHeader(t, "C:\\50%\\x.zur", 1), "C:\\50%\\x.zur 2001");
  dlg.m_strHeader = CString('x', 130);
  EXPECT_EQ(dlg.FormatHeader(t, "", 1), "");
}

TEST_F(EditPrint, HeaderFooterPagesAndSelection) {
  std::string text300;
  for (int i = 1; i <= 300; ++i) text300 += "line " + std::to_string(i) + "\r\n";
  std::string path = dir + "/saved.txt";
  std::ofstream(path, std::ios::binary) << text300;
  utimbuf times{981173106, 981173106};  // 2001
  utime(path.c_str(), &times);
  ASSERT_EQ(text.ReadFromFile(path.c_str()), 0);
  view->InitView();
  doc->SetPathName(path.c_str(), FALSE);
  Print(3, 3);
  std::string out = PdfText(AfxGetLastPrintFileName().GetString());
  if (out.empty()) GTEST_SKIP() << "pdftotext is not installed";
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), st));
  EXPECT_NE(out.find(path + " " + std::string(st.m_mtime.Format("%c"))), std::string::npos) << out.substr(0, 200);
  EXPECT_NE(out.find("Page: 3"), std::string::npos);
  EXPECT_EQ(out.find("line 1\n"), std::string::npos);

  // Untitled: the current time, even with File Time.
  doc->SetPathName("", FALSE);
  doc->SetTitle("Untitled");
  app.WriteProfileString("PageSetup", "Header", "%Y");
  std::vector<CString> calls = PageCalls(1);
  ASSERT_FALSE(calls.empty());
  EXPECT_NE(calls[0].Find(CTime::GetCurrentTime().Format("\"%Y\"")), -1) << calls[0].GetString();
  // An empty header starts the text at the top.
  app.WriteProfileString("PageSetup", "Header", "");
  calls = PageCalls(1);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].Find("TextOut(0,0,\"line 1\")"), 0) << calls[0].GetString();
  // A selection that ends at column 0 leaves that line out.
  view->m_pCurLine = text.FindLine(2);
  view->m_nCurLine = 2;
  view->m_nCurCol = 0;
  view->BeginSelection(1, FALSE);
  view->m_pCurLine = text.FindLine(4);
  view->m_nCurLine = 4;
  view->ExtendSelection(FALSE);
  view->m_bPrintSelection = TRUE;
  calls = PageCalls(1);
  ASSERT_EQ(calls.size(), 3u);  // lines 2 and 3 and the footer
  EXPECT_NE(calls[0].Find("\"line 2\""), -1);
  EXPECT_NE(calls[1].Find("\"line 3\""), -1);
  EXPECT_NE(calls[2].Find("\"Page: 1\""), -1);
}

// A line that tabs widen past a printed row prints on two rows; every line still gets printed.
TEST_F(EditPrint, LinesWidenedByTabsAreAllPrinted) {
  std::string all;
  for (int i = 1; i <= 300; ++i) {
    const std::string mark = "line " + std::to_string(i) + ":";
    all += (i % 10 ? mark : std::string(8, '\t') + mark + std::string(91 - mark.size(), 'x')) + "\r\n";
  }
  SetText(text, all);
  view->InitView();
  Print(0, 0);
  const std::string out = PdfText(AfxGetLastPrintFileName().GetString());
  if (out.empty()) GTEST_SKIP() << "pdftotext is not installed";
  std::vector<int> missing;
  for (int i = 1; i <= 300; ++i)
    if (out.find("line " + std::to_string(i) + ":") == std::string::npos) missing.push_back(i);
  EXPECT_TRUE(missing.empty()) << missing.size() << " missing, the first " << missing[0];
}

// Printing from the main window's tool bar disables that window while it runs: the text view keeps the keys
// afterwards, and a click in it takes the focus wherever the focus went.
TEST_F(EditPrint, TheTextKeepsTheKeyboardAfterAPrint) {
  SetText(text, "one\r\ntwo\r\n");
  view->InitView();
  app.m_pMainWnd = frame;
  CToolBar bar;
  ASSERT_TRUE(bar.Create(frame));
  const UINT buttons[] = {ID_FILE_PRINT};
  bar.SetButtons(buttons, 1);
  frame->RecalcLayout();
  UiAutomation::Click(view->m_hWnd, POINT{4, 4});
  DialogAutomation::CommonAnswer ok;
  ok.ok = true;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, ok);
  CRect r;
  bar.GetItemRect(0, &r);
  UiAutomation::Click(bar.m_hWnd, r.CenterPoint());
  EXPECT_EQ(0, AfxGetLastPrintFileName().Find(dir.c_str()));
  UiAutomation::PressKey(VK_DOWN);
  UiAutomation::TypeText("x");
  EXPECT_EQ("one\r\nxtwo\r\n", AllText(text));
  // The focus gone by a host's call: a click in the active view takes it.
  ::SetFocus(nullptr);
  UiAutomation::Click(view->m_hWnd, POINT{200, 4});
  UiAutomation::TypeText("y");
  EXPECT_EQ("oney\r\nxtwo\r\n", AllText(text));
}

namespace {

class CSplitEditFrame : public CFrameWnd {
 public:
  CSplitterWnd m_split;

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* ctx) override {
    return m_split.Create(this, 2, 2, CSize(20, 20), ctx);
  }
};

}  // namespace

// Panes of a split follow each other: a new pane starts at the first pane's top line, and a pane
// scrolled by the caret takes the other pane of its row along.
TEST(EditSplit, PanesOfARowShareTheTopLine) {
  CWinApp app("EditSplitTest");
  Clock::UseVirtualTime();
  SECEdit text;
  std::string s;
  for (int i = 1; i <= 500; ++i) s += "line " + std::to_string(i) + "\r\n";
  SetText(text, s);
  g_text = &text;
  auto* doc = new CDocument;
  doc->m_bAutoDelete = FALSE;
  auto* frame = new CSplitEditFrame;
  CCreateContext ctx;
  ctx.m_pNewViewClass = RUNTIME_CLASS(CPrintEditView);
  ctx.m_pCurrentDoc = doc;
  ASSERT_TRUE(frame->Create(nullptr, "split", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, nullptr,
                            0, &ctx));
  frame->InitialUpdateFrame(doc, TRUE);
  auto* first = static_cast<CPrintEditView*>(frame->m_split.GetPane(0, 0));
  ASSERT_NE(first, nullptr);
  first->GoToLineColumn(200, 0);
  ASSERT_GT(first->m_nTopLine, 1);
  ASSERT_TRUE(frame->m_split.SplitColumn(250));
  auto* second = dynamic_cast<CPrintEditView*>(frame->m_split.GetPane(0, 1));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->m_nTopLine, first->m_nTopLine);
  frame->m_split.SetActivePane(0, 0);
  first->PageDown(TRUE);
  EXPECT_EQ(second->m_nTopLine, first->m_nTopLine);
  EXPECT_EQ(second->m_pTopLine, first->m_pTopLine);
  frame->DestroyWindow();
  UiAutomation::Pump();
  delete doc;
  g_text = nullptr;
  Clock::UseRealTime();
}

// A selection that ends at the start of the line after a full page prints that one page, no blank
// page for the line left out.
TEST_F(EditPrint, ASelectionEndingAtAPagesEndPrintsNoBlankPage) {
  std::string all;
  for (int i = 1; i <= 300; ++i) all += "line " + std::to_string(i) + ":\r\n";
  SetText(text, all);
  view->InitView();
  Print(0, 0);
  std::string out = PdfText(AfxGetLastPrintFileName().GetString());
  if (out.empty()) GTEST_SKIP() << "pdftotext is not installed";
  const std::string first = out.substr(0, out.find('\f'));
  int perPage = 0;
  while (first.find("line " + std::to_string(perPage + 1) + ":") != std::string::npos) ++perPage;
  ASSERT_GT(perPage, 1);
  UiAutomation::Click(view->m_hWnd, POINT{view->m_nMargin + 3, 3});
  UiAutomation::PressKey(VK_HOME, UiAutomation::kControl);
  for (int i = 0; i < perPage; ++i) UiAutomation::PressKey(VK_DOWN, UiAutomation::kShift);
  DialogAutomation::CommonAnswer selection;
  selection.ok = true;
  selection.flags = PD_SELECTION;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, selection);
  frame->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  out = PdfText(AfxGetLastPrintFileName().GetString());
  EXPECT_EQ(1, std::count(out.begin(), out.end(), '\f'));
  EXPECT_NE(out.find("line " + std::to_string(perPage) + ":"), std::string::npos);
  EXPECT_EQ(out.find("line " + std::to_string(perPage + 1) + ":"), std::string::npos);
}

// With a selection the print dialog opens on it; pages chosen there print those pages, not the
// selection.
TEST_F(EditPrint, PagesChosenOverASelectionPrintThePages) {
  std::string all;
  for (int i = 1; i <= 30; ++i) all += "line " + std::to_string(i) + ":\r\n";
  SetText(text, all);
  view->InitView();
  UiAutomation::Click(view->m_hWnd, POINT{view->m_nMargin + 3, 3});
  UiAutomation::PressKey(VK_DOWN, UiAutomation::kShift);
  DialogAutomation::ClearCommonDialogs();
  Print(1, 1);
  ASSERT_EQ(1u, DialogAutomation::CommonDialogs().size());
  EXPECT_EQ(PD_SELECTION, DialogAutomation::CommonDialogs()[0].flags & (PD_SELECTION | PD_NOSELECTION));
  const std::string out = PdfText(AfxGetLastPrintFileName().GetString());
  if (out.empty()) GTEST_SKIP() << "pdftotext is not installed";
  EXPECT_NE(out.find("line 30:"), std::string::npos);
}
