// The setup test page on the simulated drive: start, download, run, stop, clean-up and the result display.
#include "comm/MC_CoffFormat.h"
#include "platform/core/Clock.h"
#include "comm/MC_Comm.h"
#include "kernel/dialogs/MC_TestDlg.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/setupdlg/SetupDlgSupport.h"
#include "tests/support/TabTo.h"

namespace {

WORD Word(uint8_t space, WORD address) {
  uint16_t w = 0;
  EXPECT_TRUE(DriveSimulator::ReadMemory(1, space, address, &w, 1));
  return w;
}
void SetWord(uint8_t space, WORD address, WORD value) {
  uint16_t w = value;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, space, address, &w, 1));
}

class TestDlgTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    CMC_Comm::Close();
    DriveSimulator::Reset();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
    SetWord(2, 0x7FFF, 0x7F80);
    SetWord(2, 0x7000, 0x1234);
    ClearBoxes();
  }
  void TearDown() override {
    DialogAutomation::ClearDialogHandlers();
    m_setup.reset();
    CMC_Comm::Close();
    DriveSimulator::Reset();
    SetupTest::TearDown();
  }
  // Starts a windowless test and runs one program; the page's result afterwards.
  int RunProgram(CMC_TestDlg& page, const char* program, bool succeed, const char* cleanupFailure = nullptr) {
    page.OnBtnStartStop();
    EXPECT_TRUE(page.IsRunning());
    int ok = page.ExecuteCodeTest(CMC_TestDlg::GetOutPath(program), nullptr, nullptr, nullptr, nullptr);
    if (cleanupFailure) Script("interpreter.dll", "InterpStandIn_Script", (std::string("failon ") + cleanupFailure).c_str());
    if (succeed) page.TestSucceeded(1);
    else page.TestFailed(1);
    return ok;
  }
  SetupPtr m_setup;
};

TEST_F(TestDlgTest, CleanUpRestoresTheSetupTableWordAndTheStartWord) {
  struct Case {
    const char* program;
    bool succeed;
    const char* cleanupFailure;
    WORD word4000, word7FFF, started;
  } cases[] = {
      {"at4000.out", true, nullptr, 0xBE42, 0x7F80, 0},  // started at 0x4000: left as downloaded
      {"at4100.out", true, nullptr, 1, 0x7F80, 0},
      {"at4100.out", false, nullptr, 1, 0x7F80, 0},
      {"nostarted.out", true, nullptr, 1, 0x7F80, 0x1234},  // nothing written for a missing STARTED
      {"at4100.out", true, "ENEEPROM;LOCKEEPROM 0", 1, 0, 0},
      {"at4100.out", false, "ENEEPROM;LOCKEEPROM 0", 1, 0, 0},
  };
  for (const Case& c : cases) {
    Script("interpreter.dll", "InterpStandIn_Script", "reset");
    SetWord(2, 0x7FFF, 0x7F80);
    SetWord(2, 0x7000, 0x1234);
    CMC_TestDlg page(*m_setup, 0);
    EXPECT_EQ(RunProgram(page, c.program, c.succeed, c.cleanupFailure), 1) << c.program;
    EXPECT_EQ(page.GetResult(), c.succeed ? 1 : 0);
    EXPECT_EQ(page.GetStatusText(), c.succeed ? "Test succeeded" : "Test failed");
    EXPECT_EQ(Word(2, 0x4000), c.word4000) << c.program;
    EXPECT_EQ(Word(2, 0x7FFF), c.word7FFF) << c.program;
    EXPECT_EQ(Word(2, 0x7000), c.started) << c.program;
    EXPECT_NE(InterpreterLog().find(c.program == std::string("at4000.out") ? "goto 0x4000" : "goto 0x4100"),
              std::string::npos);
  }
  EXPECT_TRUE(m_setup->WasTestPerformedDuringEdit());
}

TEST_F(TestDlgTest, FailedStartsGoStraightToFailedAndPutTheWordBack) {
  struct Case {
    const char* fail;  // the interpreter text that fails
    WORD word7FFF;
  } cases[] = {{"END;AXISOFF;STOP0", 0x7F80}, {"ENEEPROM;LOCKEEPROM 0", 0x7F80}};
  for (const Case& c : cases) {
    Script("interpreter.dll", "InterpStandIn_Script", "reset");
    Script("interpreter.dll", "InterpStandIn_Script", (std::string("failon ") + c.fail).c_str());
    CMC_TestDlg page(*m_setup, 0);
    page.OnBtnStartStop();
    EXPECT_FALSE(page.IsRunning());
    EXPECT_EQ(page.GetResult(), 0);
    EXPECT_EQ(page.m_strFailDetails.Left(50), "An internal error has occurred in the application.");
    EXPECT_EQ(Word(2, 0x7FFF), c.word7FFF);
  }
}

TEST_F(TestDlgTest, ARefusedStartWordPutsTheSetupTableWordBack) {
  // A first start shows which call writes the start word; the second start loses the drive there.
  auto isWrite = [](const DriveSimulator::CallRecord& r, WORD address) {
    return std::string(r.function) == "DAV_SendData" && r.args[0] == address && r.args[1] == 2;
  };
  DriveSimulator::SetCallLogEnabled(true);
  DriveSimulator::ClearCallLog();
  CMC_TestDlg first(*m_setup, 0);
  first.OnBtnStartStop();
  auto log = DriveSimulator::CallLog();
  size_t at = 0;
  while (at < log.size() && !isWrite(log[at], 0x4000)) ++at;
  ASSERT_LT(at, log.size());
  first.TestSucceeded(1);

  CMC_Comm::nShowErr = 0;
  DriveSimulator::ClearCallLog();
  DriveSimulator::StopAnsweringAtCall(at);
  CMC_TestDlg page(*m_setup, 0);
  page.OnBtnStartStop();
  DriveSimulator::ResumeAnswering();
  CMC_Comm::nShowErr = MB_RETRYCANCEL;
  EXPECT_FALSE(page.IsRunning());
  EXPECT_EQ(page.GetResult(), 0);
  log = DriveSimulator::CallLog();
  ASSERT_GT(log.size(), at + 1);
  EXPECT_TRUE(isWrite(log[at], 0x4000));
  EXPECT_FALSE(log[at].ok);
  EXPECT_TRUE(isWrite(log[at + 1], 0x7FFF));
}

TEST_F(TestDlgTest, ADownloadThatFailsHalfWayEndsFailedAndRestored) {
  CMC_TestDlg page(*m_setup, 0);
  page.OnBtnStartStop();
  DriveSimulator::FailNextCalls(1, "Time-out", "DAV_COFFDownload");
  const UINT box = CMC_Comm::nShowErr;
  CMC_Comm::nShowErr = 0;  // a cancelled error box would close the channel
  EXPECT_EQ(page.ExecuteCode("TestProgram", nullptr, nullptr, nullptr, nullptr), 0);
  CMC_Comm::nShowErr = box;
  page.TestFailed(1);
  EXPECT_EQ(page.GetResult(), 0);
  EXPECT_EQ(Word(2, 0x7FFF), 0x7F80);
  EXPECT_EQ(CMC_Comm::nShowErr, box);  // switched off for the clean-up only
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(TestDlgTest, StepsStopsAndVariables) {
  CMC_TestDlg page(*m_setup, 0);
  page.SetInfoText("Checking");
  EXPECT_EQ(page.GetInfoText(), "Step 0 of 0\nChecking...");
  page.m_wTotalSteps = 3;
  page.SetInfoText("Moving");
  EXPECT_EQ(page.GetInfoText(), "Step 1 of 3\nMoving...");

  page.OnBtnStartStop();
  page.m_bBusy = 1;
  page.OnBtnStartStop();
  EXPECT_TRUE(page.IsRunning());
  EXPECT_EQ(page.m_bStopRequest, 1);
  page.m_bBusy = 0;
  page.OnBtnStartStop();
  EXPECT_FALSE(page.IsRunning());
  EXPECT_EQ(page.GetResult(), 0);
  EXPECT_EQ(page.GetInfoText(), "Test interrupted by user");
  EXPECT_EQ(Word(2, 0x7FFF), 0x7F80);

  CMC_CoffFormat coff;
  coff.m_strFileName = CMC_TestDlg::GetOutPath("at4100.out");
  ASSERT_TRUE(coff.ReadCoff());
  CString error;
  double v = 0;
  EXPECT_TRUE(page.SetUserVariableValue(coff, "RESULT", 42, error));
  EXPECT_TRUE(page.GetUserVariableValue(coff, "RESULT", v, error));
  EXPECT_EQ(v, 42);
  EXPECT_FALSE(page.GetUserVariableValue(coff, "MISSING", v, error));
  EXPECT_EQ(error, "Cannot find a variable with name 'MISSING'");
  int on = -1;
  SetWord(1, 0x08FE, 0x2001);
  EXPECT_TRUE(page.GetAxisOn(on));
  EXPECT_EQ(on, 1);
  EXPECT_TRUE(page.GetEndInit(on));
  EXPECT_EQ(on, 1);
  // A status word that cannot be read fails the running test, with the drive put back.
  page.OnBtnStartStop();
  ASSERT_TRUE(page.IsRunning());
  const UINT box = CMC_Comm::nShowErr;
  CMC_Comm::nShowErr = 0;
  DriveSimulator::FailNextCalls(1, "Time-out", "DAV_ReceiveData");
  EXPECT_FALSE(page.GetAxisOn(on));
  CMC_Comm::nShowErr = box;
  EXPECT_FALSE(page.IsRunning());
  EXPECT_EQ(page.GetStatusText(), "Test failed");
  EXPECT_EQ(Word(2, 0x7FFF), 0x7F80);
  EXPECT_EQ(page.GetOutPathName("TestProgram"), CMC_TestDlg::GetOutPath("at4100.out"));
  m_setup->ClearOption("TestProgram");
  EXPECT_EQ(page.GetOutPathName("TestProgram"), "");
  EXPECT_FALSE(page.ExecuteCode("TestProgram", nullptr, nullptr, nullptr, nullptr));
}

TEST_F(TestDlgTest, ALoggerThatCannotStartStopsBeforeTheGoto) {
  CMC_SingleAxisLogger logger(m_setup.get(), nullptr);  // no items: it cannot start
  CMC_TestDlg page(*m_setup, 0);
  page.OnBtnStartStop();
  EXPECT_EQ(page.ExecuteCodeTest(CMC_TestDlg::GetOutPath("at4100.out"), nullptr, &logger, nullptr, nullptr), 0);
  EXPECT_EQ(InterpreterLog().find("goto"), std::string::npos);
  page.TestFailed(1);
}

// Each run answers for its own program: one downloaded at 0x4000 but never started must not stay
// there for the drive to start at its next reset because an earlier run started one there.
TEST_F(TestDlgTest, AnEarlierRunsStartAddressDoesNotKeepANewProgramThatNeverRan) {
  CMC_SingleAxisLogger idle(m_setup.get(), nullptr);  // no items: it cannot start
  CMC_TestDlg page(*m_setup, 0);
  RunProgram(page, "at4000.out", true);
  ASSERT_EQ(Word(2, 0x4000), 0xBE42);
  page.OnBtnStartStop();
  EXPECT_EQ(page.ExecuteCodeTest(CMC_TestDlg::GetOutPath("at4000.out"), nullptr, &idle, nullptr, nullptr), 0);
  page.TestFailed(1);
  EXPECT_EQ(Word(2, 0x4000), 1);
}

TEST_F(TestDlgTest, TheLoggerBufferFollowsTheProgramAndOnlyTheScopeBeginsItsUpload) {
  CMC_TestDlg page(*m_setup, 0);
  page.OnBtnStartStop();
  CMC_SingleAxisLogger single(m_setup.get(), nullptr);
  single.AddVariable("APOS", 0);
  CMC_ScopeLogger scope(m_setup.get(), nullptr);
  scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NONE, CMC_ScopeLogger::SLOPE_RISING, "", 0, 0);
  scope.AddVariable("APOS", 0);
  struct Case {
    CMC_Logger* logger;
    WORD end, bufferStart;
    int uploading;
  } cases[] = {{&single, 0x9001, 0x9004, 0}, {&scope, 0x9101, 0x9104, 1}, {&single, 0x8000, 0x8200, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(page.RunCodeTest(c.logger, 0x4100, c.end), 1) << c.end;
    const WORD start = c.logger == &scope ? scope.GetBufferStart() : single.GetBufferStart();
    EXPECT_EQ(start, c.bufferStart) << c.end;
    EXPECT_EQ(c.logger->UploadInProgress() != 0, c.uploading != 0) << c.end;
    EXPECT_EQ(page.GetStartAddress(), 0x4100);
  }
  page.TestSucceeded(1);
}

// Start pressed again on the same page counts its steps from the first again.
TEST_F(TestDlgTest, ModulePageCountsItsStepsAfreshOnEachStart) {
  auto run = reinterpret_cast<int (*)(CMC_Setup*, int, CMC_Logger*)>(GetProcAddress(m_gui, "GuiStandIn_RunTestPage"));
  auto log = reinterpret_cast<const char* (*)()>(GetProcAddress(m_gui, "GuiStandIn_PageLog"));
  ASSERT_TRUE(run && log);
  log();
  // Two clicks apart in time: at once they would be a double click.
  Clock::UseVirtualTime();
  DialogAutomation::AddDialogHandler(110, [&](CWnd* d) {
    DialogAutomation::ClickControl(d, 10000);
    UiAutomation::AdvanceClock(1000);
    DialogAutomation::ClickControl(d, 10000);
    DialogAutomation::ClickControl(d, IDOK);
  });
  EXPECT_EQ(run(m_setup.get(), 1, nullptr), 1);
  Clock::UseRealTime();
  const std::string once = "Step 0 of 2\nDownloading the test program...\nStep 1 of 2\nWaiting for the drive...\nTest succeeded\n";
  EXPECT_EQ(std::string(log()), once + once);
}

TEST_F(TestDlgTest, ModulePageRunsWithAndWithoutAWindow) {
  auto run = reinterpret_cast<int (*)(CMC_Setup*, int, CMC_Logger*)>(GetProcAddress(m_gui, "GuiStandIn_RunTestPage"));
  auto log = reinterpret_cast<const char* (*)()>(GetProcAddress(m_gui, "GuiStandIn_PageLog"));
  ASSERT_TRUE(run && log);
  log();
  EXPECT_EQ(run(m_setup.get(), 0, nullptr), 1);
  EXPECT_EQ(std::string(log()),
            "Step 0 of 2\nDownloading the test program...\nStep 1 of 2\nWaiting for the drive...\nTest succeeded\n");

  // With a window: a run that succeeds, then one whose program option is gone.
  struct Case {
    bool program;
    int result;
    const char* status;
    bool details, okEnabled;
    COLORREF icon;
  } cases[] = {{true, 1, "Test succeeded", false, true, RGB(0, 160, 0)}, {false, 0, "Test failed", true, false, RGB(200, 0, 0)}};
  for (const Case& c : cases) {
    if (!c.program) m_setup->ClearOption("TestProgram");
    COLORREF icon = 0, button = 0;
    bool okEnabled = !c.okEnabled, detailsAtStart = true, detailsAfter = !c.details;
    std::string status;
    DialogAutomation::AddDialogHandler(110, [&](CWnd* d) {
      detailsAtStart = ::IsWindowVisible(::GetDlgItem(d->m_hWnd, 10003));
      DialogAutomation::ClickControl(d, 10000);
      detailsAfter = ::IsWindowVisible(::GetDlgItem(d->m_hWnd, 10003));
      char buf[64] = "";
      ::GetDlgItemText(d->m_hWnd, 10002, buf, sizeof buf);
      status = buf;
      okEnabled = ::IsWindowEnabled(::GetDlgItem(d->m_hWnd, IDOK));
      ::UpdateWindow(d->m_hWnd);
      SaveWindowImage(d, dravonix::test::OutputPath("setup-test-page-" + std::to_string(c.result) + ".png").c_str());
      // A pixel of a control, from its top-left corner.
      auto pixel = [&](int id, int x, int y) {
        RECT r;
        ::GetWindowRect(::GetDlgItem(d->m_hWnd, id), &r);
        POINT p{r.left + x, r.top + y};
        ::ScreenToClient(d->m_hWnd, &p);
        return GetWindowPixel(d->m_hWnd, p);
      };
      icon = pixel(10004, 16, 8);
      button = pixel(10000, 30, 12);
      d->SendMessage(WM_COMMAND, c.result ? IDOK : IDCANCEL);
    });
    EXPECT_EQ(run(m_setup.get(), 1, nullptr), c.result);
    EXPECT_EQ(status, c.status);
    EXPECT_FALSE(detailsAtStart);  // no failure yet, no details
    EXPECT_EQ(detailsAfter, c.details) << c.status;
    EXPECT_EQ(okEnabled, c.okEnabled) << c.status;
    EXPECT_EQ(icon, c.icon) << c.status;  // "SUCCESS" or "FAILED"
    EXPECT_EQ(button, RGB(0, 150, 0));  // the start bitmap's triangle
  }
}

}  // namespace

namespace {

// Enter with the focus on the owner-drawn Start button goes to the dialog's default, OK: nothing
// while OK is disabled, OK itself after a success.
TEST_F(TestDlgTest, EnterOnTheOwnerDrawnStartGoesToTheDefaultButton) {
  auto run = reinterpret_cast<int (*)(CMC_Setup*, int, CMC_Logger*)>(GetProcAddress(m_gui, "GuiStandIn_RunTestPage"));
  auto log = reinterpret_cast<const char* (*)()>(GetProcAddress(m_gui, "GuiStandIn_PageLog"));
  ASSERT_TRUE(run && log);
  log();
  std::string afterFirst;
  bool ownerDrawn = false, open = false;
  DialogAutomation::AddDialogHandler(110, [&](CWnd* d) {
    const HWND start = ::GetDlgItem(d->m_hWnd, 10000);
    ownerDrawn = (::GetWindowLongPtr(start, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
    for (int k = 0; k < 10 && ::GetFocus() != start; ++k) UiAutomation::PressKey(VK_TAB);
    UiAutomation::PressKey(VK_RETURN);
    afterFirst = log();
    DialogAutomation::ClickControl(d, 10000);
    UiAutomation::PressKey(VK_RETURN);
    open = ::IsWindowVisible(d->m_hWnd);
    if (open) d->SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(run(m_setup.get(), 1, nullptr), 1);
  EXPECT_TRUE(ownerDrawn);
  EXPECT_EQ(afterFirst, "");
  EXPECT_FALSE(open);
  EXPECT_EQ(std::string(log()),
            "Step 0 of 2\nDownloading the test program...\nStep 1 of 2\nWaiting for the drive...\nTest succeeded\n");
}

// The module's test page by each way a user starts a test and leaves the page, online and offline:
// how many tests ran, what the page shows and whether it is still open.
TEST_F(TestDlgTest, RoutesThroughTheTestPage) {
  auto run = reinterpret_cast<int (*)(CMC_Setup*, int, CMC_Logger*)>(GetProcAddress(m_gui, "GuiStandIn_RunTestPage"));
  auto log = reinterpret_cast<const char* (*)()>(GetProcAddress(m_gui, "GuiStandIn_PageLog"));
  ASSERT_TRUE(run && log);
  using dravonix::test::TabTo;
  auto item = [](CWnd* d, int id) { return ::GetDlgItem(d->m_hWnd, id); };
  const struct {
    const char* name;
    bool online;
    std::function<void(CWnd*)> act;
    std::string expected;  // tests run | status, OK enabled, focus, page open
  } routes[] = {
      {"Space on Start", true, [&](CWnd* d) { TabTo(item(d, 10000)), UiAutomation::PressKey(VK_SPACE); },
       "1 | Test succeeded 1 10000 1"},
      {"Space on Start, Escape", true,
       [&](CWnd* d) { TabTo(item(d, 10000)), UiAutomation::PressKey(VK_SPACE), UiAutomation::PressKey(VK_ESCAPE); },
       "1 | Test succeeded 1 10000 0"},
      {"click Start, Enter on OK", true,
       [&](CWnd* d) { DialogAutomation::ClickControl(d, 10000), TabTo(item(d, IDOK)), UiAutomation::PressKey(VK_RETURN); },
       "1 | Test succeeded 1 1 0"},
      {"click Start, Space on OK", true,
       [&](CWnd* d) { DialogAutomation::ClickControl(d, 10000), TabTo(item(d, IDOK)), UiAutomation::PressKey(VK_SPACE); },
       "1 | Test succeeded 1 1 0"},
      // The owner-drawn Start hears a double click as one press and a double-click notice.
      {"double click on Start", true,
       [&](CWnd* d) {
         CRect r;
         ::GetClientRect(item(d, 10000), &r);
         UiAutomation::DoubleClick(item(d, 10000), r.CenterPoint());
       },
       "1 | Test succeeded 1 10000 1"},
      {"click Start offline", false, [&](CWnd* d) { DialogAutomation::ClickControl(d, 10000); }, "0 |  0 2 1"},
  };
  Clock::UseVirtualTime();
  for (const auto& r : routes) {
    UiAutomation::AdvanceClock(1000);
    log();
    if (!r.online) CMC_Comm::Close();
    std::string after;
    DialogAutomation::AddDialogHandler(110, [&](CWnd* d) {
      r.act(d);
      UiAutomation::Pump();
      char status[64] = "";
      ::GetDlgItemText(d->m_hWnd, 10002, status, sizeof status);
      after = std::string(status) + " " + std::to_string(::IsWindowEnabled(item(d, IDOK))) + " " +
              std::to_string(::GetDlgCtrlID(::GetFocus())) + " " + std::to_string(::IsWindowVisible(d->m_hWnd));
      d->SendMessage(WM_COMMAND, IDCANCEL);
    });
    run(m_setup.get(), 1, nullptr);
    const std::string runs = log();
    size_t n = 0;
    for (size_t at = 0; (at = runs.find("Test succeeded", at)) != std::string::npos; ++at) ++n;
    EXPECT_EQ(std::to_string(n) + " | " + after, r.expected) << r.name;
    if (!r.online) CMC_Comm::Open("COM1", 115200, 0, 0, 0);
  }
  Clock::UseRealTime();
}

}  // namespace
