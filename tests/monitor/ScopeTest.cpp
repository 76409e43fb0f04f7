// The scope against the simulated drive: settings, the start checks and header, frames streamed by
// the drive's sweeps and the frame window's answers to lost, late and malformed frames.
#include "comm/MC_Comm.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "plot/curves/GraphFilter.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <cstring>
#include <vector>

namespace {

CMC_ScopeLogger* g_scope = nullptr;
std::vector<int> g_answers;

// The host's forwarding of the drive's frames.
void Forward(DAV_MSG* m) {
  BYTE bytes[8] = {};
  memcpy(bytes, m->data, m->count * 2u);
  g_answers.push_back(g_scope ? g_scope->OnFrameReceive(m->count * 2, bytes) : 0);
}

class ScopeTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(StartMonitorDrive(Kernel("Configurations/05/05")));
    ASSERT_TRUE(m_setup);
    A = m_setup->GetLogBufferAddress();
    g_answers.clear();
  }
  void TearDown() override {
    CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(nullptr);
    g_scope = nullptr;
    dravonix::test::StopOnlineDrive();
    SetupTest::TearDown();
  }
  void Open(const char* channel = "COM1", BYTE type = 0, WORD host = 0) {
    ASSERT_TRUE(CMC_Comm::Open(channel, 115200, 0, type, host));
    ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  }
  static std::vector<WORD> Ram(WORD at, size_t n) {
    std::vector<WORD> w(n);
    EXPECT_TRUE(DriveSimulator::ReadMemory(1, 1, at, w.data(), n));
    return w;
  }
  // APOS and IQ raw (3 words a point: 87 frames a sweep), APOS = k, IQ = 2k at sample k.
  void StartScope(CMC_ScopeLogger& scope, CMC_ScopeLogger::tagTriggerMode mode = CMC_ScopeLogger::TRIGGER_NONE) {
    scope.ChangeSettings(0.05, mode, CMC_ScopeLogger::SLOPE_RISING, "IQ", 0.1, 0);
    scope.AddVariable("APOS", 0);
    scope.AddVariable("IQ", 0);
    DriveSimulator::SetWaveform(1, 0x0228, [](uint32_t k) { return (uint16_t)k; });
    DriveSimulator::SetWaveform(1, 0x0230, [](uint32_t k) { return (uint16_t)(2 * k); });
    g_scope = &scope;
    CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(Forward);
    ASSERT_TRUE(scope.StartLogger()) << LastBox();
    ASSERT_TRUE(scope.BeginUploadData());
  }
  // A frame of the byte stream of points whose words all hold `word`.
  static std::vector<BYTE> Frame(int number, BYTE fill = 0) {
    std::vector<BYTE> f(8, fill);
    f[0] = (BYTE)number;
    return f;
  }

  SetupPtr m_setup;
  WORD A = 0;
};

TEST_F(ScopeTest, SettingsAndStartChecks) {
  Open();
  CMC_ScopeLogger scope(m_setup.get(), nullptr);
  struct {
    double span;
    WORD divider;
  } spans[] = {{0.05, 10}, {6.25e-6, 1}, {0.5, 100}, {30, 4000}, {1000, 4000}};
  for (auto& s : spans) {
    scope.ChangeSettings(s.span, CMC_ScopeLogger::TRIGGER_NONE, CMC_ScopeLogger::SLOPE_RISING, "", 0, 0);
    EXPECT_EQ(scope.GetSampling(), s.divider) << s.span;
  }
  ASSERT_TRUE(Script("drvgui.dll", "GuiStandIn_Script", "scale s Ts_C 0"));
  scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NONE, CMC_ScopeLogger::SLOPE_RISING, "", 0, 0);
  EXPECT_EQ(scope.GetSampling(), 4000);  // no sampling period: the divider stays
  ASSERT_TRUE(Script("drvgui.dll", "GuiStandIn_Script", "reset"));

  ClearBoxes();
  EXPECT_TRUE(scope.VerifyConsistence());  // nothing to start yet
  for (const char* name : {"IQ", "MER", "SRL", "SRH"}) scope.AddVariable(name, 0);
  scope.ChangeMemBufferSettings(A, (WORD)(A + 460));
  EXPECT_TRUE(scope.VerifyConsistence()) << LastBox();  // 1 x 102 + 53 = 461 words
  scope.ChangeMemBufferSettings(A, (WORD)(A + 459));
  EXPECT_FALSE(scope.VerifyConsistence());
  EXPECT_EQ(LastBox(), "Data acquisition buffer overflow. Please delete some variables.");
  scope.AddVariable("MSR", 0);
  EXPECT_FALSE(scope.VerifyConsistence());
  EXPECT_EQ(LastBox(), "Cannot start scope. At most 4 variables can be displayed in a scope.");

  // Eight words a point take 231 frames; twelve would need 347, more than a byte can number.
  CMC_ScopeLogger wide(m_setup.get(), nullptr);
  for (int i = 0; i < 2; ++i) wide.AddVariable("double@0x8300", 0);
  EXPECT_TRUE(wide.VerifyConsistence());
  wide.AddVariable("double@0x8300", 0);
  EXPECT_FALSE(wide.VerifyConsistence());
  EXPECT_EQ(LastBox(), "Data acquisition buffer overflow. Please delete some variables.");
}

TEST_F(ScopeTest, HeaderAndHostId) {
  struct {
    const char* channel;
    BYTE type;
    WORD master;
  } hosts[] = {{"COM1", 0, 0x31}, {"CAN1", 2, 0x30}, {"UDP1", 16, 0x31}};
  for (auto& h : hosts) {
    CMC_Comm::Close();
    Open(h.channel, h.type, 3);
    CMC_ScopeLogger scope(m_setup.get(), nullptr);
    scope.AddVariable("APOS", 0);
    scope.AddVariable("IQ", 1);
    scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NORMAL, CMC_ScopeLogger::SLOPE_RISING, "IQ", -0.5, 30);
    ASSERT_TRUE(scope.StartLogger()) << LastBox();
    EXPECT_EQ(Ram(0x0927, 1)[0], h.master) << h.channel;
    EXPECT_EQ(Ram(0x0272, 1)[0], A + 3);
    const WORD length = scope.GetBufferLength();
    std::vector<WORD> header = Ram(A, 13);
    EXPECT_EQ(header, (std::vector<WORD>{(WORD)((length - 56) / 3), 1, 10, 1, (WORD)-500, 0xFFFF, 30, 200, 2,
                                          0x0230, 0xFFFF, 0, 0}));
    EXPECT_EQ(Ram(A + 51, 6), (std::vector<WORD>{(WORD)(A + 56), 0x0228, 0x0229, 0x0230, 0, 0}));
    // Position 30: the X marker two divisions left of the centre; the level on IQ's channel.
    CGraphFilter* plot = scope.GetGraphDoc().GetAt(0);
    EXPECT_DOUBLE_EQ(plot->m_dCursor1, -2);
    EXPECT_DOUBLE_EQ(plot->m_dCursor2, -0.5);
    EXPECT_EQ(plot->m_nCursorCurve, 1);
    scope.DoForcedStop();
  }
  // A negative scale turns the slope round; two-word triggers send both halves.
  ASSERT_TRUE(Script("drvgui.dll", "GuiStandIn_Script", "scale A IQ -0.001"));
  m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
  CMC_ScopeLogger scope(m_setup.get(), nullptr);
  scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_SINGLE, CMC_ScopeLogger::SLOPE_RISING, "IQ", 0.5, 0);
  scope.AddVariable("IQ", 0);
  ASSERT_TRUE(scope.StartLogger()) << LastBox();
  EXPECT_EQ(Ram(A, 6), (std::vector<WORD>{101, 1, 10, 0, (WORD)-500, 0xFFFF}));
  scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_AUTO, CMC_ScopeLogger::SLOPE_FALLING, "APOS", 70000 * 0.0031415926535897933, 0);
  ASSERT_TRUE(scope.StartLogger()) << LastBox();
  EXPECT_EQ(Ram(A + 3, 10), (std::vector<WORD>{0, 70000 & 0xFFFF, 1, 0, 200, 8, 0x0228, 0xFFFF, 0x0229, 0xFFFF}));
  // Free running: no markers.
  scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NONE, CMC_ScopeLogger::SLOPE_RISING, "", 0, 30);
  EXPECT_EQ(scope.GetGraphDoc().GetAt(0)->m_dCursor1, 1.2345e100);
  EXPECT_EQ(scope.GetGraphDoc().GetAt(0)->m_dCursor2, 1.2345e100);
}

TEST_F(ScopeTest, ADriveWithoutScopeRefuses) {
  Open();
  SetupPtr setup(CMC_Setup::CreateFromDirectory(MakeDir("noscope", Gen3Cfg("", {"hasOscilloscope"})).c_str()));
  ASSERT_TRUE(setup);
  CMC_ScopeLogger scope(setup.get(), nullptr);
  scope.AddVariable("IQ", 0);
  ClearBoxes();
  EXPECT_FALSE(scope.StartLogger());
  EXPECT_EQ(LastBox(), "Scope is not supported by this drive.");
  EXPECT_EQ(Ram(0x0272, 1)[0], 0);
}

TEST_F(ScopeTest, SweepsArriveAsTheDriveSampledThem) {
  Open();
  CMC_ScopeLogger scope(m_setup.get(), nullptr);
  StartScope(scope);
  DriveSimulator::StepScope(1, 101 + 7);
  ASSERT_EQ(g_answers.size(), 87u);
  EXPECT_EQ(scope.GetCurrentPoint(), 0);  // one whole sweep: back at its start
  for (int k = 0; k < 101; ++k) {
    ASSERT_EQ(scope.GetCurves().GetAt(1)->GetAt(k), k) << k;
    ASSERT_EQ(scope.GetCurves().GetAt(2)->GetAt(k), 2 * k) << k;
  }
  EXPECT_DOUBLE_EQ(scope.GetCurves().GetAt(0)->GetAt(100), 100 * 10 * 62.5e-6);
  int points = 0;
  for (int a : g_answers) points += a;
  EXPECT_EQ(points, 101);

  // A dropped frame spoils the points it covers only: frame 10 holds bytes 70..76, points 11 and 12.
  DriveSimulator::SetFrameHook([](std::vector<DAV_MSG>& frames) { frames.erase(frames.begin() + 10); });
  DriveSimulator::StepScope(1, 101);
  for (int k = 0; k < 101; ++k) {
    const bool lost = k == 11 || k == 12;
    ASSERT_EQ(scope.GetCurves().GetAt(2)->GetAt(k), lost ? 1.2345e100 : 2 * (101 + k)) << k;
  }
  // Cut and repeated frames: refused, or stored again harmlessly.
  DriveSimulator::SetFrameHook([](std::vector<DAV_MSG>& frames) {
    frames[3].count = 3;
    frames.insert(frames.begin() + 5, frames[4]);
  });
  g_answers.clear();
  DriveSimulator::StepScope(1, 101);
  EXPECT_EQ(g_answers[3], -1);
  EXPECT_EQ(scope.GetCurves().GetAt(1)->GetAt(50), 202 + 50);
  EXPECT_EQ(scope.GetCurves().GetAt(1)->GetAt(3), 1.2345e100);  // frame 3 carried points 3 and 4
  EXPECT_EQ(scope.GetCurves().GetAt(1)->GetAt(4), 1.2345e100);
  EXPECT_EQ(scope.GetCurves().GetAt(2)->GetAt(5), 2 * (202 + 5));
}

TEST_F(ScopeTest, TriggeredSweepsStartWhereThePositionSays) {
  Open();
  struct {
    CMC_ScopeLogger::tagTriggerMode mode;
    CMC_ScopeLogger::tagTriggerSlope slope;
    WORD position;
    double first;  // APOS of the sweep's first point
    bool running;  // after one sweep
  } rows[] = {
      // IQ = 2k crosses 100 (0.1 A) rising at k = 50.
      {CMC_ScopeLogger::TRIGGER_NORMAL, CMC_ScopeLogger::SLOPE_RISING, 0, 50, true},
      {CMC_ScopeLogger::TRIGGER_NORMAL, CMC_ScopeLogger::SLOPE_RISING, 30, 20, true},
      {CMC_ScopeLogger::TRIGGER_SINGLE, CMC_ScopeLogger::SLOPE_RISING, 0, 50, false},
      // Never falling: the auto mode sweeps after its wait of 200 samples.
      {CMC_ScopeLogger::TRIGGER_AUTO, CMC_ScopeLogger::SLOPE_FALLING, 0, 200, true},
  };
  for (auto& r : rows) {
    DriveSimulator::Reset();
    CMC_Comm::Close();
    Open();
    CMC_ScopeLogger scope(m_setup.get(), nullptr);
    scope.AddVariable("APOS", 0);
    scope.AddVariable("IQ", 0);
    scope.ChangeSettings(0.05, r.mode, r.slope, "IQ", 0.1, r.position);
    DriveSimulator::SetWaveform(1, 0x0228, [](uint32_t k) { return (uint16_t)k; });
    DriveSimulator::SetWaveform(1, 0x0230, [](uint32_t k) { return (uint16_t)(2 * k); });
    g_scope = &scope;
    CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(Forward);
    ASSERT_TRUE(scope.StartLogger() && scope.BeginUploadData()) << LastBox();
    DriveSimulator::StepScope(1, 302);
    EXPECT_EQ(scope.GetCurves().GetAt(1)->GetAt(0), r.first) << r.mode << " " << r.position;
    EXPECT_EQ(scope.GetCurves().GetAt(1)->GetAt(100), r.first + 100) << r.mode;
    EXPECT_EQ(DriveSimulator::IsScopeRunning(1), r.running) << r.mode;
    scope.DoForcedStop();
  }
}

TEST_F(ScopeTest, FrameWindowAnswers) {
  Open();
  CMC_ScopeLogger scope(m_setup.get(), nullptr);
  StartScope(scope);
  EXPECT_EQ(scope.OnFrameReceive(7, Frame(0).data()), -1);
  EXPECT_EQ(scope.OnFrameReceive(8, Frame(87).data()), -1);
  // Frame 20 while the window starts at 0: points go out incomplete until the window reaches 5.
  EXPECT_EQ(scope.OnFrameReceive(8, Frame(20, 0x11).data()), 6);
  EXPECT_EQ(scope.GetCurves().GetAt(1)->GetAt(5), 1.2345e100);
  DWORD first, count;
  scope.GetPointsToBeDrawn(first, count);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(count, 6u);
  scope.ResetNewPlottedPoints();
  scope.GetPointsToBeDrawn(first, count);
  EXPECT_EQ(count, 0u);

  // A forced stop fills the rest of the sweep as not available; late frames are then ignored.
  EXPECT_EQ(scope.DoForcedStop(), 1);
  CCurve* apos = scope.GetCurves().GetAt(1);
  EXPECT_EQ(apos->GetUpperValid(), 100);
  EXPECT_EQ(apos->GetAt(100), 1.2345e100);
  EXPECT_EQ(Ram(0x0272, 1)[0], 0);
  EXPECT_EQ(scope.OnFrameReceive(8, Frame(0).data()), 0);
  Clock::Advance(499);
  EXPECT_EQ(scope.OnFrameReceive(8, Frame(0).data()), 0);
  Clock::Advance(1);
  EXPECT_EQ(scope.OnFrameReceive(8, Frame(0).data()), -1);

  // A graceful stop waits for the sweep's end: its later frames are held back, then handed over.
  static std::vector<DAV_MSG> held;
  DriveSimulator::SetFrameHook([](std::vector<DAV_MSG>& frames) {
    held.assign(frames.begin() + 40, frames.end());
    frames.resize(40);
  });
  CMC_ScopeLogger graceful(m_setup.get(), nullptr);
  StartScope(graceful);
  DriveSimulator::StepScope(1, 101);
  EXPECT_GT(graceful.GetCurrentPoint(), 0);
  EXPECT_FALSE(graceful.DoGracefulStop());
  graceful.EndUploadData();  // only asks for the stop
  EXPECT_TRUE(graceful.UploadInProgress());
  for (DAV_MSG& m : held) Forward(&m);
  EXPECT_EQ(graceful.GetCurrentPoint(), 0);
  EXPECT_EQ(graceful.GetCurves().GetAt(1)->GetAt(100), 100);
  EXPECT_TRUE(graceful.DoGracefulStop());
  EXPECT_FALSE(graceful.UploadInProgress());
}

}  // namespace
