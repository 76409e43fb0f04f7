// The memory view on the simulated drive: its window, blocks, edits, red marks, keys and panes.
#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "platform/core/Clock.h"
#include "platform/ui/ControlBar.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "views/memory/MemoryView.h"
#include "views/memory/MemoryWords.h"
#include "grid/engine/GXControl.h"
#include "tests/support/MdiViewHost.h"
#include "tests/support/PostedGestures.h"
#include "tests/support/SimulatedDrive.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace UA = UiAutomation;

namespace {

class CHostDoc : public CMC_Document {
 public:
  CHostDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Setup* setup = nullptr;
};

// Lets a test put the start anywhere, as no fill would.
class CProbeView : public CMemoryView {
  DECLARE_DYNCREATE(CProbeView)

 public:
  void PutStart(WORD a) { m_wStartAddress = a; }
};
IMPLEMENT_DYNCREATE(CProbeView, CMemoryView)

// Records the status texts the view posts to the main window.
class CMainWnd : public CWnd {
 public:
  std::vector<WPARAM> strings;

 protected:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    if (message == WM_SETMESSAGESTRING) strings.push_back(wParam);
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
  }
};

using Reads = std::vector<std::array<uint32_t, 3>>;

Reads Receives() {
  Reads calls;
  for (auto& r : DriveSimulator::CallLog())
    if (std::string(r.function) == "DAV_ReceiveData") calls.push_back({r.args[0], r.args[1], r.args[2]});
  return calls;
}

class MemoryViewTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    Clock::UseVirtualTime();
    dravonix::test::StartSimulatedDrive(MB_RETRYCANCEL);
    ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
    ASSERT_TRUE(m_main.CreateEx(0, AfxRegisterWndClass(0), "main", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    m_app.m_pMainWnd = &m_main;
  }
  void TearDown() override {
    if (m_frame && ::IsWindow(m_frame->m_hWnd)) m_frame->DestroyWindow();
    UA::Pump();
    m_app.m_pMainWnd = nullptr;
    m_main.DestroyWindow();
    dravonix::test::StopOnlineDrive();
    SetupTest::TearDown();
  }
  void Open(WORD config, int height = 300) {
    m_setup.reset(CMC_Setup::Create(config));
    ASSERT_TRUE(m_setup);
    m_doc.setup = m_setup.get();
    Show(height);
  }
  void Show(int height) {
    DriveSimulator::ClearCallLog();
    m_frame = new CFrameWnd;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CProbeView);
    ctx.m_pCurrentDoc = &m_doc;
    ASSERT_TRUE(
        m_frame->Create(nullptr, "memory", WS_POPUP | WS_VISIBLE, CRect(0, 0, 420, height), nullptr, nullptr, 0, &ctx));
    m_frame->InitialUpdateFrame(&m_doc, TRUE);
    UA::Pump();
    m_view = static_cast<CProbeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(m_view && m_view->GetDataRowCount() > 0);
  }
  // The view in an MDI child of the host's frame over a second one that shows below it.
  void OpenInHost(MdiViewHost& host, CMDIChildWnd*& other, CMDIChildWnd*& child) {
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_doc.setup = m_setup.get();
    other = host.Open(RUNTIME_CLASS(CProbeView), &m_doc, CRect(200, 150, 480, 330));
    child = host.Open(RUNTIME_CLASS(CProbeView), &m_doc, CRect(0, 0, 460, 220));
    ASSERT_TRUE(other && child);
    m_view = static_cast<CProbeView*>(child->GetActiveView());
  }
  std::string Cell(ROWCOL r, ROWCOL c) { return m_view->GetValueRowCol(r, c).GetString(); }
  CPoint Centre(ROWCOL r, ROWCOL c) { return m_view->CalcRectFromRowCol(r, c).CenterPoint(); }
  // The cell made current, then the text typed over it and Enter through the message queue.
  void Type(ROWCOL r, ROWCOL c, const char* text) {
    ASSERT_TRUE(m_view->SetCurrentCell(r, c));
    UA::TypeText(text);
    UA::PressKey(VK_RETURN);
    UA::Pump();
  }
  void Command(UINT id) {
    m_view->PostMessage(WM_COMMAND, id, 0);
    UA::Pump();
  }
  std::string Pane() {
    struct UI : CCmdUI {
      CString text = "unset";
      void SetText(LPCSTR t) override { text = t; }
    } ui;
    ui.m_nID = CMemoryView::ID_PANE_POSITION;
    m_view->OnCmdMsg(ui.m_nID, (int)CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return ui.text.GetString();
  }
  void Save(const char* name) {
    m_view->Invalidate();
    UA::Pump();
    ASSERT_TRUE(SaveWindowImage(m_view, dravonix::test::OutputPath(name).c_str()));
  }
  // Text in (255, 0, 0), smoothed at its edges.
  static bool Reddish(COLORREF c) { return GetRValue(c) >= 0xC0 && GetGValue(c) <= 0x40 && GetBValue(c) <= 0x40; }
  bool Red(ROWCOL r, ROWCOL c) {
    const CRect rect = m_view->CalcRectFromRowCol(r, c);
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x)
        if (Reddish(GetWindowPixel(m_view->m_hWnd, POINT{x, y}))) return true;
    return false;
  }
  BOOL ReadOnly(ROWCOL r, ROWCOL c) { return m_view->LookupStyleRowCol(r, c).GetReadOnly(); }
  DWORD Rows() { return m_view->GetDataRowCount(); }

  CWinApp m_app{"MemoryViewTest"};
  CMainWnd m_main;
  SetupPtr m_setup;
  CHostDoc m_doc;
  CFrameWnd* m_frame = nullptr;
  CProbeView* m_view = nullptr;
};

TEST_F(MemoryViewTest, WindowStartAndBlocks) {
  Open(0x0210);
  ASSERT_EQ(m_setup->GetE2ROMSize(), 0x2000);
  ASSERT_EQ(m_setup->GetRAMStart(), 0x8200);
  ASSERT_EQ(m_setup->GetRAMSize(), 0xE00);
  ASSERT_EQ(m_setup->GetPVTSize(), 0x100);
  const DWORD n = Rows();
  EXPECT_EQ(m_view->GetStartAddress(), 0x8300);
  EXPECT_EQ(Cell(1, 0), "8300");
  EXPECT_EQ(Receives(), (Reads{{0x8300, 0, 8 * n}}));
  EXPECT_EQ(Cell(0, 0), "Address");
  EXPECT_EQ(Cell(0, 5), "Data");
  Save("memory-view-0210.png");

  // Start typed: aligned down, clamped to the window end, blocks cut at the region ends.
  const struct {
    const char* typed;
    WORD start;
    Reads reads;
  } cases[] = {
      {"4013", 0x4010, {{0x4010, 2, 8 * n}}},
      {"FFF0", WORD(0x9000 - 8 * n), {{0x9000 - 8 * n, 0, 8 * n}}},
      {"6000", 0x6000, {}},
      {"5FF0", 0x5FF0, {{0x5FF0, 2, 16}}},
      {"82F0", 0x82F0, {{0x8300, 0, 8 * n - 16}}},
  };
  for (const auto& c : cases) {
    DriveSimulator::ClearCallLog();
    Type(1, 0, c.typed);
    EXPECT_EQ(m_view->GetStartAddress(), c.start) << c.typed;
    EXPECT_EQ(Receives(), c.reads) << c.typed;
    EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), c.start);
  }
  EXPECT_EQ(Cell(2, 8), "????");  // 0x82FF: the PVT area
  EXPECT_TRUE(ReadOnly(2, 8));
  EXPECT_EQ(Cell(3, 1), "0000");
  Type(1, 0, "FFF0");
  EXPECT_EQ(Cell(n, 0), "8FF8");
  Type(1, 0, "xyz");  // refused: the start stays
  EXPECT_EQ(m_view->GetStartAddress(), WORD(0x9000 - 8 * n));
}

TEST_F(MemoryViewTest, EmptyWindowAndRamToTheLastWord) {
  m_setup.reset(CMC_Setup::Create(0x0210));
  ASSERT_TRUE(m_setup);
  m_setup->SetE2ROMSize(0);
  m_setup->SetRAMSize(m_setup->GetPVTSize());
  m_doc.setup = m_setup.get();
  Show(300);
  EXPECT_EQ(m_view->GetStartAddress(), 0);
  EXPECT_TRUE(Receives().empty());
  for (ROWCOL r = 1; r <= Rows(); ++r)
    for (ROWCOL c = 1; c <= 8; ++c) {
      ASSERT_EQ(Cell(r, c), "????");
      ASSERT_TRUE(ReadOnly(r, c));
    }
  m_frame->DestroyWindow();

  Open(0x0505);
  const uint16_t last = 0xCAFE;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0xFFFF, &last, 1));
  DriveSimulator::ClearCallLog();
  Type(1, 0, "FFFF");
  const DWORD n = Rows();
  EXPECT_EQ(Receives(), (Reads{{0x10000 - 8 * n, 0, 8 * n}}));
  EXPECT_EQ(Cell(n, 8), "CAFE");
  Save("memory-view-0505-end.png");
}

TEST_F(MemoryViewTest, FailedReadAndClosedChannel) {
  Open(0x0505);
  Type(1, 0, "4000");
  DriveSimulator::FailNextCalls(1, "Timeout", "DAV_ReceiveData");
  DriveSimulator::ClearCallLog();
  Command(CMemoryView::ID_VIEW_REFRESH);
  EXPECT_EQ(Receives().size(), 1u);
  EXPECT_EQ(Cell(1, 1), "????");
  EXPECT_EQ(Cell(Rows(), 8), "????");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(CMC_Comm::nShowErr, UINT(MB_RETRYCANCEL));

  CMC_Comm::Close();
  DriveSimulator::ClearCallLog();
  Command(CMemoryView::ID_VIEW_REFRESH);
  for (ROWCOL c = 1; c <= 8; ++c) EXPECT_TRUE(Cell(1, c) == "????" && ReadOnly(1, c));
  EXPECT_TRUE(DriveSimulator::CallLog().empty());
  Save("memory-view-closed.png");
}

TEST_F(MemoryViewTest, EditsWriteTheirSpaceAndReadBack) {
  Open(0x0210);
  Type(1, 0, "4008");
  Type(1, 1, "1234");  // 0x4008
  uint16_t w = 0;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x4008, &w, 1));
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(Cell(1, 1), "1234");
  EXPECT_EQ(Pane(), "E2ROM Address 0x4009");  // Enter moved on

  Type(1, 0, "8300");
  DriveSimulator::ClearCallLog();
  Type(1, 1, "beef");  // 0x8300
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x8300, &w, 1));
  EXPECT_EQ(w, 0xBEEF);
  EXPECT_EQ(Cell(1, 1), "BEEF");
  EXPECT_EQ(DriveSimulator::CallCount("DAV_SendData"), 1u);
  Save("memory-view-edited.png");

  // Outside both writable regions nothing is written.
  for (WORD start : {0x3FF8, 0x8100}) {
    m_view->PutStart(start);
    m_view->SetRangeValueText(CGXRange().SetCellRange(1, 1, 1, 1), "5555");
    DriveSimulator::ClearCallLog();
    EXPECT_TRUE(m_view->OnEndEditing(1, 1));
    EXPECT_TRUE(DriveSimulator::CallLog().empty()) << std::hex << start;
  }
  // A failed write or read-back shows "????".
  m_view->PutStart(0x4000);
  CMC_Comm::nShowErr = 0;
  for (const char* fn : {"DAV_SendData", "DAV_ReceiveData"}) {
    m_view->SetRangeValueText(CGXRange().SetCellRange(1, 2, 1, 2), "7777");
    DriveSimulator::FailNextCalls(1, "Timeout", fn);
    EXPECT_TRUE(m_view->OnEndEditing(1, 2));
    EXPECT_EQ(Cell(1, 2), "????") << fn;
  }
}

// Cancel in the box of a refused write closes the channel: from then on no cell shows a word or takes one.
TEST_F(MemoryViewTest, AWordTypedAfterTheChannelClosedIsNotShownAsWritten) {
  Open(0x0210);
  Type(1, 0, "4008");
  DriveSimulator::FailNextCalls(1, "Timeout", "DAV_SendData");
  Automation::Instance().PushMessageBoxAnswer(IDCANCEL);
  Type(1, 1, "1234");
  ASSERT_FALSE(CMC_Comm::IsCommOpen());
  DriveSimulator::ClearCallLog();
  Type(1, 3, "abd");
  EXPECT_TRUE(DriveSimulator::CallLog().empty());
  for (ROWCOL r = 1; r <= Rows(); ++r)
    for (ROWCOL c = 1; c <= 8; ++c) ASSERT_TRUE(Cell(r, c) == "????" && ReadOnly(r, c)) << r << "," << c;
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_view->m_hWnd));
}

// A word the user did not type is never written back over a newer one on the drive: neither one
// opened by a double click and left, nor one being typed when a refresh put the drive's word there.
TEST_F(MemoryViewTest, AWordNobodyTypedIsNotWrittenBack) {
  Open(0x0210);
  Type(1, 0, "4008");
  // The drive's word changes, then the user clicks another cell: what is sent, and is the word kept.
  auto leave = [&](uint16_t newer) {
    EXPECT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x4008, &newer, 1));
    DriveSimulator::ClearCallLog();
    UA::AdvanceClock(1000), UA::Click(m_view->m_hWnd, Centre(2, 2));
    uint16_t w = 0;
    DriveSimulator::ReadMemory(1, 2, 0x4008, &w, 1);
    return std::to_string(DriveSimulator::CallCount("DAV_SendData")) + " " + std::to_string(w == newer);
  };
  UA::AdvanceClock(1000), UA::DoubleClick(m_view->m_hWnd, Centre(1, 1));
  EXPECT_EQ(leave(0x5555), "0 1");
  UA::AdvanceClock(1000), UA::Click(m_view->m_hWnd, m_view->CalcRectFromRowCol(1, 1).TopLeft() + CSize(2, 2));
  UA::TypeText("12");
  ::PostMessage(m_frame->m_hWnd, WM_COMMAND, CMemoryView::ID_VIEW_REFRESH, 0);
  UA::Pump();
  EXPECT_EQ(leave(0x6666), "0 1");
}

TEST_F(MemoryViewTest, GrowingAndRefreshMarkChangedWordsRed) {
  Open(0x0505, 200);
  Type(1, 0, "8400");
  const DWORD n = Rows();
  const uint16_t changed = 0x4242;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 0, 0x8401, &changed, 1));
  // Moving the start never marks.
  Type(1, 0, "8408");
  Type(1, 0, "8400");
  Save("memory-view-moved.png");
  EXPECT_FALSE(Red(1, 2));

  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 0, 0x8402, &changed, 1));
  DriveSimulator::ClearCallLog();
  m_frame->MoveWindow(0, 0, 420, 400);
  UA::Pump();
  ASSERT_GT(Rows(), n);
  EXPECT_EQ(Receives(), (Reads{{0x8400, 0, 8 * Rows()}}));
  Save("memory-view-grown.png");
  EXPECT_TRUE(Red(1, 3));
  EXPECT_FALSE(Red(1, 4));

  // A reset keeps E2ROM and clears RAM; the refresh marks the words it cleared.
  const uint16_t kept = 0x1111;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x4000, &kept, 1));
  ASSERT_TRUE(CMC_Comm::ResetActiveBoard());
  Command(CMemoryView::ID_VIEW_REFRESH);
  EXPECT_EQ(Cell(1, 3), "0000");
  Save("memory-view-reset.png");
  EXPECT_TRUE(Red(1, 3));
  Type(1, 0, "4000");
  EXPECT_EQ(Cell(1, 1), "1111");
}

TEST_F(MemoryViewTest, KeysPanesActivationAndHelp) {
  Open(0x0505);
  Type(1, 0, "4008");
  const HWND hwnd = m_view->m_hWnd;
  const struct {
    ROWCOL row, col;
    UINT key;
    ROWCOL toRow, toCol;
  } moves[] = {{1, 8, VK_RIGHT, 2, 1}, {2, 1, VK_LEFT, 1, 8}, {1, 3, VK_RIGHT, 1, 4}, {1, 1, VK_UP, 1, 1}};
  for (const auto& m : moves) {
    ASSERT_TRUE(m_view->SetCurrentCell(m.row, m.col));
    UA::PressKey(m.key);
    UA::Pump();
    ROWCOL r = 0, c = 0;
    ASSERT_TRUE(m_view->GetCurrentCell(r, c));
    EXPECT_EQ(std::make_pair(r, c), std::make_pair(m.toRow, m.toCol)) << m.row << "," << m.col << " " << m.key;
  }
  UA::Click(hwnd, Centre(0, 3));
  UA::Pump();
  ROWCOL r = 0, c = 0;
  ASSERT_TRUE(m_view->GetCurrentCell(r, c));
  EXPECT_EQ(r, 1u);

  ASSERT_TRUE(m_view->SetCurrentCell(1, 1));
  EXPECT_EQ(Pane(), "E2ROM Address 0x4008");
  Type(1, 0, "8200");
  ASSERT_TRUE(m_view->SetCurrentCell(1, 1));
  EXPECT_EQ(Pane(), "PM Address 0x8200");
  ASSERT_TRUE(m_view->SetCurrentCell(2, 0));
  EXPECT_EQ(Pane(), "");

  m_main.strings.clear();
  m_view->OnActivateView(TRUE, m_view, nullptr);
  m_view->OnActivateView(FALSE, nullptr, m_view);
  UA::Pump();
  EXPECT_EQ(m_main.strings, (std::vector<WPARAM>{15007, 57345}));
  CString hint;
  ASSERT_TRUE(hint.LoadString(15007));
  EXPECT_EQ(hint, "Hint: press F12 to refresh the data in memory view");

  Automation::Instance().ClearHelpCalls();
  m_view->PostMessage(WM_COMMAND, 57670, 0);
  UA::Pump();
  const auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].data, 4144u);
  EXPECT_EQ(help[0].command, 15u);
  EXPECT_NE(help[0].file.find("kernel.chm"), std::string::npos) << help[0].file;
}

}  // namespace

namespace {

// The view in an MDI child of the host's frame, beside a second one, driven by posted input only.
TEST_F(MemoryViewTest, InTheHostsFrameWhatAUserDoesShowsAtOnce) {
  MdiViewHost host;
  CMDIChildWnd *other = nullptr, *child = nullptr;
  ASSERT_NO_FATAL_FAILURE(OpenInHost(host, other, child));
  const HWND hwnd = m_view->m_hWnd;
  const uint16_t word = 0x4242;
  DWORD rows = 0;
  // The host's status bar: its position pane follows the current cell.
  CStatusBar status;
  const UINT panes[] = {ID_SEPARATOR, CMemoryView::ID_PANE_POSITION};
  ASSERT_TRUE(status.Create(host.m_main));
  status.SetIndicators(panes, 2);  // pane 54 has no text of its own: FALSE, as the framework answers
  host.m_main->RecalcLayout();
  m_app.m_pMainWnd = host.m_main;
  UA::Pump();
  auto at = [&] {
    ROWCOL row = 0, col = 0;
    m_view->GetCurrentCell(row, col);
    return std::to_string(row) + "," + std::to_string(col);
  };
  auto helpAsked = [&] {
    const auto help = Automation::Instance().HelpCalls();
    const bool kernelFile = help.size() == 1 && help[0].file.find("kernel.chm") != std::string::npos;
    return !kernelFile ? "calls " + std::to_string(help.size())
                       : std::to_string(help[0].data) + " " + std::to_string(help[0].command) + " " + std::to_string(m_view->IsCurrentCellActive());
  };
  const struct {
    std::function<void()> act;
    std::function<std::string()> state;
    std::string expected;
  } steps[] = {
      // The start address typed over its cell's text, aligned down.
      {[&] {
         UA::DoubleClick(hwnd, Centre(1, 0)), UA::PressKey(VK_END);
         UA::TypeText("\b\b\b\b840b"), UA::PressKey(VK_RETURN);
       },
       [&] { return Cell(1, 0) + " " + Cell(2, 0); }, "8408 8410"},
      // A word typed over is written and read back: a click beside its digits takes them all.
      {[&] {
         UA::AdvanceClock(1000), UA::Click(hwnd, m_view->CalcRectFromRowCol(1, 2).TopLeft() + CSize(2, 2));
         UA::TypeText("beef"), UA::PressKey(VK_RETURN);
       },
       [&] {
         uint16_t w = 0;
         DriveSimulator::ReadMemory(1, 0, 0x8409, &w, 1);
         return Cell(1, 2) + " " + std::to_string(w == 0xBEEF);
       },
       "BEEF 1"},
      {[&] { UA::AdvanceClock(1000), UA::Click(hwnd, Centre(1, 8)), UA::PressKey(VK_END), UA::PressKey(VK_RIGHT); },
       [&] { return at() + " " + std::string(status.GetPaneText(1)); }, "2,1 PM Address 0x8410"},
      {[&] { UA::PressKey(VK_LEFT); }, [&] { return at(); }, "1,8"},
      {[&] { UA::AdvanceClock(1000), UA::Click(hwnd, Centre(0, 3)); }, [&] { return at(); }, "1,8"},
      // Refresh from the host's menu marks the word changed on the drive.
      {[&] {
         DriveSimulator::WriteMemory(1, 0, 0x840A, &word, 1);
         ::PostMessage(host.MainWnd(), WM_COMMAND, CMemoryView::ID_VIEW_REFRESH, 0);
         UA::Pump();
       },
       [&] { return Cell(1, 3) + " " + std::to_string(Red(1, 3)) + std::to_string(Red(1, 2)); }, "4242 10"},
      // The child's frame pulled down by its corner: more rows, filled.
      {[&] {
         rows = Rows();
         CRect w;
         child->GetWindowRect(&w);
         CPoint from(w.right - 2, w.bottom - 2), to = from + CSize(0, 60);
         child->ScreenToClient(&from), child->ScreenToClient(&to);
         UA::Drag(child->m_hWnd, from, to);
       },
       [&] {
         CString last;
         last.Format("%.4X", 0x8408 + 8 * (Rows() - 1));
         return std::to_string(Rows() - rows) + " " + std::to_string(Cell(Rows(), 0) == last.GetString());
       },
       "4 1"},
      // A click on the other child and back: the view shows its hint in the status bar as it activates.
      {[&] {
         status.SetPaneText(0, "");
         // The other child shows below this one's pulled-down edge only.
         CRect shown;
         other->GetActiveView()->GetClientRect(&shown);
         UA::Click(other->GetActiveView()->m_hWnd, CPoint(40, shown.bottom - 8));
         UA::Click(hwnd, Centre(2, 2));
       },
       [&] { return std::string(status.GetPaneText(0)); }, "Hint: press F12 to refresh the data in memory view"},
      // F1 in a cell being typed into: the kernel's help at the view's topic, the typing kept.
      {[&] {
         Automation::Instance().ClearHelpCalls(), UA::TypeText("1");
         dravonix::test::PostGesture(::GetFocus(), dravonix::test::Gesture::kF1), UA::Pump();
       },
       [&] { return helpAsked(); }, "4144 15 1"},
  };
  int n = 0;
  for (const auto& s : steps) {
    s.act();
    EXPECT_EQ(s.state(), s.expected) << "step " << n;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(hwnd)) << "step " << n;
    ++n;
  }
  m_view = nullptr;
  m_app.m_pMainWnd = &m_main;
}

// A word half typed when the user turns to another view stays in the cell's editor, unwritten; back
// in the cell the typing goes on and Enter writes the whole word.
TEST_F(MemoryViewTest, AWordTypedBeforeTurningAwayWaitsForEnter) {
  MdiViewHost host;
  CMDIChildWnd *other = nullptr, *child = nullptr;
  ASSERT_NO_FATAL_FAILURE(OpenInHost(host, other, child));
  const HWND hwnd = m_view->m_hWnd;
  m_app.m_pMainWnd = host.m_main;
  UA::DoubleClick(hwnd, Centre(1, 0)), UA::PressKey(VK_END);
  UA::TypeText("\b\b\b\b8408"), UA::PressKey(VK_RETURN);
  const CPoint cell = m_view->CalcRectFromRowCol(1, 2).TopLeft() + CSize(2, 2);
  UA::AdvanceClock(1000), UA::Click(hwnd, cell), UA::TypeText("be");
  auto state = [&] {
    uint16_t w = 0;
    DriveSimulator::ReadMemory(1, 0, 0x8409, &w, 1);
    CString typed;
    m_view->GetCurrentCellControl()->GetCurrentText(typed);
    return std::to_string(w) + " " + Cell(1, 2) + " " + typed.GetString();
  };
  CRect shown;
  other->GetActiveView()->GetClientRect(&shown);
  UA::Click(other->GetActiveView()->m_hWnd, CPoint(40, shown.bottom - 8));
  EXPECT_EQ(state(), "0 0000 be");
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(hwnd));
  UA::AdvanceClock(1000), UA::Click(hwnd, cell), UA::PressKey(VK_HOME), UA::PressKey(VK_RIGHT), UA::PressKey(VK_RIGHT);
  UA::TypeText("ef"), UA::PressKey(VK_RETURN);
  EXPECT_EQ(state().substr(0, 10), "48879 BEEF");
  m_view = nullptr;
  m_app.m_pMainWnd = &m_main;
}

}  // namespace

namespace {

// Every way a word is left, typed and not yet confirmed or untouched, against what the drive holds:
// the drive's word changes after the fill, so a stale word written back would show.
TEST_F(MemoryViewTest, RoutesOutOfAWordCell) {
  Open(0x0210);
  Type(1, 0, "4008");
  const HWND hwnd = m_view->m_hWnd;
  const std::string last = std::to_string(Rows());
  const struct {
    const char* name;
    bool typed;
    std::function<void()> act;
    std::string expected;  // drive word, cell, current cell, active
  } routes[] = {
      {"Enter", true, [] { UA::PressKey(VK_RETURN); }, "0012 0012 1,3 0"},
      {"Tab", true, [] { UA::PressKey(VK_TAB); }, "0012 0012 1,3 0"},
      {"Shift+Tab", true, [] { UA::PressKey(VK_TAB, UA::kShift); }, "0012 0012 1,1 0"},
      {"Down", true, [] { UA::PressKey(VK_DOWN); }, "0012 0012 2,2 0"},
      {"Page Down", true, [] { UA::PressKey(VK_NEXT); }, "0012 0012 " + last + ",2 0"},
      {"Ctrl+Home", true, [] { UA::PressKey(VK_HOME, UA::kControl); }, "0012 0012 1,1 0"},
      {"Escape", true, [] { UA::PressKey(VK_ESCAPE); }, "0055 0077 1,2 0"},
      {"F2", true, [] { UA::PressKey(VK_F2); }, "0012 0012 1,2 0"},
      {"F4", true, [] { UA::PressKey(VK_F4); }, "0055 0077 1,2 1"},
      {"Alt+Down", true, [] { UA::PressKey(VK_DOWN, UA::kAlt); }, "0055 0077 1,2 1"},
      {"Home, Shift+End, typed", true,
       [] { UA::PressKey(VK_HOME), UA::PressKey(VK_END, UA::kShift), UA::TypeText("3"), UA::PressKey(VK_RETURN); },
       "0003 0003 1,3 0"},
      {"idle F4", false, [] { UA::PressKey(VK_F4); }, "0055 0077 1,2 0"},
      {"idle Alt+Down", false, [] { UA::PressKey(VK_DOWN, UA::kAlt); }, "0055 0077 1,2 0"},
      {"idle typed five digits", false, [] { UA::TypeText("12345"), UA::PressKey(VK_RETURN); }, "1234 1234 1,3 0"},
      {"idle typed G", false, [] { UA::TypeText("G"), UA::PressKey(VK_RETURN); }, "0055 0077 1,3 0"},
      {"click", true, [&] { UA::AdvanceClock(1000), UA::Click(hwnd, Centre(3, 3)); }, "0012 0012 3,3 1"},
      {"right click", true, [&] { UA::AdvanceClock(1000), UA::RightClick(hwnd, Centre(3, 3)); }, "0012 0012 3,3 0"},
      {"F2, typed, Enter", false, [] { UA::PressKey(VK_F2), UA::TypeText("12"), UA::PressKey(VK_RETURN); },
       "0012 0012 1,3 0"},
      {"End, typed over", false, [] { UA::PressKey(VK_END), UA::TypeText("\b\b12"), UA::PressKey(VK_RETURN); },
       "0012 0012 1,3 0"},
      {"Backspace, Enter", false, [] { UA::PressKey(VK_BACK), UA::PressKey(VK_RETURN); }, "0055 0077 1,3 0"},
      // A word cannot be emptied: Delete leaves it as it was, not typed.
      {"Delete, Enter", false, [] { UA::PressKey(VK_DELETE), UA::PressKey(VK_RETURN); }, "0055 0077 1,3 0"},
      {"Delete, click", false, [&] { UA::PressKey(VK_DELETE), UA::AdvanceClock(1000), UA::Click(hwnd, Centre(3, 3)); },
       "0055 0077 3,3 1"},
  };
  for (const auto& r : routes) {
    const uint16_t shown = 0x0077, newer = 0x0055;
    DriveSimulator::WriteMemory(1, 2, 0x4009, &shown, 1);
    Command(CMemoryView::ID_VIEW_REFRESH);
    ASSERT_TRUE(m_view->SetCurrentCell(1, 2));
    DriveSimulator::WriteMemory(1, 2, 0x4009, &newer, 1);
    if (r.typed) UA::TypeText("12");
    r.act();
    UA::Pump();
    uint16_t w = 0;
    DriveSimulator::ReadMemory(1, 2, 0x4009, &w, 1);
    ROWCOL row = 0, col = 0;
    m_view->GetCurrentCell(row, col);
    const std::string state = CMemoryWords::Text(w) + " " + Cell(1, 2) + " " + std::to_string(row) + "," +
                              std::to_string(col) + " " + std::to_string(m_view->IsCurrentCellActive());
    EXPECT_EQ(state, r.expected) << r.name;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(hwnd)) << r.name;
    if (m_view->IsCurrentCellActive()) UA::PressKey(VK_ESCAPE), UA::Pump();
  }
}

}  // namespace
