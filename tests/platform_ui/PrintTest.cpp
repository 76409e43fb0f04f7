// The view printing flow: print information, the printer choice, the page loop into the PDF
// printer, cancelling through the abort procedure, preview images and bad input.
#include "platform/core/Automation.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestKernel.h"

#include "platform/ui/DialogAutomation.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Scripts the next print dialog: OK with an optional page range, or Cancel.
void AnswerPrintDialog(bool ok, int from = 0, int to = 0) {
  DialogAutomation::CommonAnswer a;
  a.ok = ok;
  a.fromPage = from;
  a.toPage = to;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, a);
}

void ResetPrintDialogs() {
  DialogAutomation::Reset();
}

std::vector<std::string> g_printed;

class CPageView : public CView {
  DECLARE_DYNCREATE(CPageView)

 public:
  int m_pages = 3;  // 0: leave the page count unknown
  UINT m_growTo = 0;  // each printed page adds one until there are this many
  UINT m_cancelOnPage = 0;
  bool m_sawPreview = false;
  CRect m_lastDraw;
  CString m_pageDesc;
  void OnDraw(CDC* pDC) override {
    if (pDC && pDC->IsPrinting()) pDC->TextOut(100, 100, "page", 4);
  }

 protected:
  BOOL OnPreparePrinting(CPrintInfo* pInfo) override {
    g_printed.push_back("prepare");
    if (m_pages) pInfo->SetMaxPage(m_pages);
    m_sawPreview = pInfo->m_bPreview != FALSE;
    return DoPreparePrinting(pInfo);
  }
  void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override {
    g_printed.push_back(std::string("begin") + (pDC && pDC->IsPrinting() ? " printing" : ""));
    m_pageDesc = pInfo->m_strPageDesc;
  }
  void OnPrint(CDC* pDC, CPrintInfo* pInfo) override {
    g_printed.push_back("page " + std::to_string(pInfo->m_nCurPage));
    m_lastDraw = pInfo->m_rectDraw;
    if (pInfo->m_nCurPage == m_cancelOnPage) AfxCancelPrinting();
    if (pInfo->GetMaxPage() < m_growTo) pInfo->SetMaxPage(pInfo->GetMaxPage() + 1);
    CView::OnPrint(pDC, pInfo);
  }
  void OnEndPrinting(CDC*, CPrintInfo*) override { g_printed.push_back("end"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CPageView, CView)
BEGIN_MESSAGE_MAP(CPageView, CView)
  ON_COMMAND(ID_FILE_PRINT, &CView::OnFilePrint)
  ON_COMMAND(ID_FILE_PRINT_DIRECT, &CView::OnFilePrint)
  ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
END_MESSAGE_MAP()

class CPrintDoc : public CDocument {};

// Page count of a PDF by pdfinfo; -1 when the tool is missing.
int PdfPages(const std::string& path) {
  if (std::system("command -v pdfinfo > /dev/null 2>&1") != 0) return -1;
  std::string cmd = "pdfinfo '" + path + "' 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  char line[512];
  int pages = -2;
  while (fgets(line, sizeof line, p)) {
    std::string s(line);
    if (s.rfind("Pages:", 0) == 0) pages = std::stoi(s.substr(6));
  }
  pclose(p);
  return pages;
}

class PrintTest : public ::testing::Test {
 protected:
  CPrintDoc* m_doc = nullptr;
  CFrameWnd* m_frame = nullptr;
  CPageView* m_view = nullptr;
  std::string m_dir;

  void SetUp() override {
    g_printed.clear();
    ResetPrintDialogs();
    Automation::Instance().ClearMessageBoxes();
    m_dir = dravonix::test::ScratchDir("print");
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    SetPrinterOutputFolder(m_dir.c_str());
    m_doc = new CPrintDoc;
    m_doc->m_bAutoDelete = FALSE;
    m_doc->SetTitle("Three pages");
    m_frame = new CFrameWnd;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CPageView);
    ctx.m_pCurrentDoc = m_doc;
    ASSERT_TRUE(m_frame->Create(nullptr, "print", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr,
                                nullptr, 0, &ctx));
    m_frame->InitialUpdateFrame(m_doc, TRUE);
    m_view = static_cast<CPageView*>(m_frame->GetActiveView());
    ASSERT_NE(nullptr, m_view);
  }
  void TearDown() override {
    if (m_frame && ::IsWindow(m_frame->m_hWnd)) m_frame->DestroyWindow();
    UiAutomation::Pump();
    delete m_doc;
    SetPrinterOutputFolder(nullptr);
    ResetPrintDialogs();
  }
  std::vector<std::string> Pdfs() const {
    std::vector<std::string> out;
    for (auto& e : std::filesystem::directory_iterator(m_dir))
      if (e.path().extension() == ".pdf") out.push_back(e.path().string());
    return out;
  }
};

TEST(PrintInfo, PageRangeIsSixteenBits) {
  CPrintInfo info;
  ASSERT_NE(nullptr, info.m_pPD);
  EXPECT_EQ(1u, info.GetMinPage());
  EXPECT_EQ(0xFFFFu, info.GetMaxPage());
  EXPECT_EQ(1u, info.m_nCurPage);
  EXPECT_TRUE(info.m_bContinuePrinting);
  EXPECT_FALSE(info.m_bPreview);
  EXPECT_TRUE(info.m_pPD->m_pd.Flags & PD_NOSELECTION);
  EXPECT_FALSE(info.m_pPD->m_pd.Flags & PD_SELECTION);
  info.SetMaxPage(70000);
  EXPECT_EQ(70000u & 0xFFFF, info.GetMaxPage());
  info.SetMaxPage(3);
  info.SetMinPage(2);
  EXPECT_EQ(2u, info.GetMinPage());
  EXPECT_EQ(3u, info.GetMaxPage());
  // Selection printing is the dialog's flag.
  info.m_pPD->m_pd.Flags |= PD_SELECTION;
  EXPECT_TRUE(info.m_pPD->PrintSelection());
}

TEST_F(PrintTest, DirectPrintWritesThreePages) {
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
  std::vector<std::string> expected = {"prepare", "begin printing", "page 1", "page 2", "page 3", "end"};
  EXPECT_EQ(expected, g_printed);
  // No dialog asked for direct printing.
  EXPECT_TRUE(DialogAutomation::CommonDialogs().empty());
  EXPECT_EQ("Page %u\nPages %u-%u\n", std::string(m_view->m_pageDesc));
  // The drawing rectangle is the printer's page in its own pixels.
  CDC printer;
  ASSERT_TRUE(printer.CreateDC(GetPrinterDriverName(), GetPrinterDeviceName(), nullptr, nullptr));
  EXPECT_EQ(CRect(0, 0, printer.GetDeviceCaps(HORZRES), printer.GetDeviceCaps(VERTRES)), m_view->m_lastDraw);
  EXPECT_GT(m_view->m_lastDraw.Width(), 4000);  // 600 dpi

  CString file = AfxGetLastPrintFileName();
  ASSERT_FALSE(file.IsEmpty());
  EXPECT_EQ(std::filesystem::path(m_dir) / "Three pages.pdf", std::filesystem::path(file.GetString()));
  ASSERT_TRUE(std::filesystem::exists(file.GetString()));
  int pages = PdfPages(file.GetString());
  if (pages == -1) GTEST_SKIP() << "pdfinfo is not installed; the page count is not checked";
  EXPECT_EQ(3, pages);
}

TEST_F(PrintTest, PrintAsksTheDialogForTheRange) {
  AnswerPrintDialog(true, 2, 3);
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  std::vector<std::string> expected = {"prepare", "begin printing", "page 2", "page 3", "end"};
  EXPECT_EQ(expected, g_printed);
  ASSERT_EQ(1u, DialogAutomation::CommonDialogs().size());
  EXPECT_EQ(DialogAutomation::CommonDialogs()[0].kind, DialogAutomation::CommonKind::Print);
  EXPECT_TRUE(DialogAutomation::CommonDialogs()[0].flags & PD_NOSELECTION);
  int pages = PdfPages(AfxGetLastPrintFileName().GetString());
  if (pages != -1) {
    EXPECT_EQ(2, pages);
  }

  // A range past the end is cut to the document's pages.
  g_printed.clear();
  AnswerPrintDialog(true, 3, 9);
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  expected = {"prepare", "begin printing", "page 3", "end"};
  EXPECT_EQ(expected, g_printed);
}

TEST_F(PrintTest, CancelledDialogPrintsNothing) {
  // Unscripted, the dialog is cancelled.
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  std::vector<std::string> expected = {"prepare"};
  EXPECT_EQ(expected, g_printed);
  EXPECT_TRUE(Pdfs().empty());
}

TEST_F(PrintTest, PagesAddedWhilePrintingArePrinted) {
  m_view->m_pages = 1, m_view->m_growTo = 3;
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
  std::vector<std::string> expected = {"prepare", "begin printing", "page 1", "page 2", "page 3", "end"};
  EXPECT_EQ(expected, g_printed);
  int pages = PdfPages(AfxGetLastPrintFileName().GetString());
  if (pages != -1) {
    EXPECT_EQ(3, pages);
  }
}

TEST_F(PrintTest, UnknownPageCountPrintsOnePage) {
  m_view->m_pages = 0;
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
  std::vector<std::string> expected = {"prepare", "begin printing", "page 1", "end"};
  EXPECT_EQ(expected, g_printed);
  int pages = PdfPages(AfxGetLastPrintFileName().GetString());
  if (pages != -1) {
    EXPECT_EQ(1, pages);
  }
}

TEST_F(PrintTest, AbortProcedureStopsTheJob) {
  m_view->m_cancelOnPage = 2;
  CString before = AfxGetLastPrintFileName();
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
  std::vector<std::string> expected = {"prepare", "begin printing", "page 1", "page 2", "end"};
  EXPECT_EQ(expected, g_printed);
  // The aborted document leaves no file behind, and the next job runs again.
  EXPECT_TRUE(Pdfs().empty());
  EXPECT_FALSE(AfxIsPrintingCancelled());
  m_view->m_cancelOnPage = 0;
  g_printed.clear();
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
  EXPECT_EQ(6u, g_printed.size());
  EXPECT_EQ(1u, Pdfs().size());
}

TEST_F(PrintTest, APrintThatCannotBeWrittenShowsABoxNamingTheFile) {
  const std::string file = m_dir + "/Three pages.pdf";
  for (rlim_t limit : {64, 2000, 6000}) {
    const std::string seen = dravonix::test::WithFileSizeLimit(limit, [&] {
      const CString before = AfxGetLastPrintFileName();
      Automation::Instance().ClearMessageBoxes();
      m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
      std::string out;
      for (const auto& box : Automation::Instance().MessageBoxes()) out += box.text + "|";
      if (AfxGetLastPrintFileName() != before) out += " recorded as the last print";
      return out;
    });
    EXPECT_EQ("Disk full while accessing " + file + ".|", seen) << limit;
    // Nothing is left of the cut document.
    EXPECT_TRUE(std::filesystem::is_empty(m_dir)) << limit;
  }
}

// A job that cannot even start names the file it could not write and why, as a failed save does.
TEST_F(PrintTest, APrintThatCannotStartNamesTheFileAndTheCause) {
  const std::string file = m_dir + "/Three pages.pdf";
  const std::string notAFolder = m_dir + "/plain";
  std::ofstream(notAFolder) << "x";
  auto print = [&]() -> std::string {
    Automation::Instance().ClearMessageBoxes();
    m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    std::string out;
    for (const auto& box : Automation::Instance().MessageBoxes()) out += box.text + "|";
    return out;
  };
  const struct {
    const char* how;
    std::function<std::string()> run;
    std::string box;
  } cases[] = {
      {"read-only folder",
       [&] {
         namespace fs = std::filesystem;
         fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
         std::string out = dravonix::test::AsOrdinaryUser(print);
         fs::permissions(m_dir, fs::perms::owner_all);
         return out;
       },
       "Cannot write in file " + file + "! Check file system permissions.|"},
      {"read-only mount",
       [&] {
         return dravonix::test::InChildProcess([&]() -> std::string {
           if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
               mount(m_dir.c_str(), m_dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
               mount(nullptr, m_dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
             return "no read-only mount";
           return print();
         });
       },
       "Cannot write in file " + file + "! The media is write protected.|"},
      {"folder is a file",
       [&] {
         SetPrinterOutputFolder(notAFolder.c_str());
         std::string out = print();
         SetPrinterOutputFolder(m_dir.c_str());
         return out;
       },
       "Cannot write in file " + notAFolder + "/Three pages.pdf! The system cannot find the path specified.|"},
  };
  for (const auto& c : cases) {
    const std::string seen = c.run();
    if (seen == "no read-only mount") continue;  // no namespaces here: the other cases still count
    EXPECT_EQ(c.box, seen) << c.how;
    // Nothing is left behind: no document, no temporary.
    std::vector<std::string> left;
    for (auto& e : std::filesystem::directory_iterator(m_dir)) left.push_back(e.path().filename().string());
    EXPECT_EQ(std::vector<std::string>{"plain"}, left) << c.how;
  }
}

TEST_F(PrintTest, PreviewRendersPageImages) {
  AfxSetPreviewFolder(m_dir.c_str());
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  EXPECT_TRUE(m_view->m_sawPreview);
  std::vector<std::string> expected = {"prepare", "begin printing", "page 1", "end"};
  EXPECT_EQ(expected, g_printed);
  const auto& images = AfxGetLastPreviewImages();
  ASSERT_EQ(1u, images.size());
  EXPECT_TRUE(std::filesystem::exists(images[0].GetString()));
  EXPECT_TRUE(Pdfs().empty());  // nothing was printed
  AfxSetPreviewFolder(nullptr);
}

TEST_F(PrintTest, BadInputFailsCleanly) {
  EXPECT_FALSE(m_view->DoPreparePrinting(nullptr));
  CPrintInfo info;
  delete info.m_pPD;
  info.m_pPD = nullptr;
  EXPECT_FALSE(m_view->DoPreparePrinting(&info));
  EXPECT_EQ(0u, info.GetFromPage());
  info.SetMaxPage(5);  // no dialog: ignored
  EXPECT_EQ(0xFFFFu, info.GetMaxPage());
  // A view destroyed while its job is prepared does not print.
  AfxCancelPrinting();
  EXPECT_TRUE(AfxIsPrintingCancelled());
  EXPECT_FALSE(AfxAbortProc(nullptr, 0));
  m_frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);  // a new job clears the flag
  EXPECT_FALSE(AfxIsPrintingCancelled());
  EXPECT_EQ(1u, Pdfs().size());
}

}  // namespace
