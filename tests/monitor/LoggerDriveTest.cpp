// Loggers against the simulated drive: item locating and conversions, buffer headers, the drive's
// logging on the layer's clock, point-by-point and bulk uploads, multi-axis starts and failures.
#include "comm/MC_Comm.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/core/Clock.h"
#include "platform/ui/View.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <cmath>
#include <vector>

namespace {

constexpr WORD kLogPtr = 0x0272;

class Axis : public CMC_AxisData {
 public:
  Axis(const char* name, BYTE id, CMC_Setup* setup) : m_strName(name), m_byId(id), m_pSetup(setup) {}
  const char* GetName() override { return m_strName; }
  BYTE GetAxisID() override { return m_byId; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CString m_strName;
  BYTE m_byId;
  CMC_Setup* m_pSetup;
};

class HostDocument : public CMC_Document {
 public:
  HostDocument() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_SingleAxisLogger* GetLogger() override { return m_pLogger; }
  CMC_MultiAxisLogger* GetMultiAxisLogger() override { return m_pMulti; }
  BYTE GetGlobalSelectedAxis() override { return 1; }
  int GetAxisCount() override { return m_axes.GetSize(); }
  CMC_AxisData* GetAxisData(int i) override { return i >= 0 && i < m_axes.GetSize() ? m_axes[i] : nullptr; }
  CMC_Setup* m_pSetup = nullptr;
  CMC_SingleAxisLogger* m_pLogger = nullptr;
  CMC_MultiAxisLogger* m_pMulti = nullptr;
  CMC_AxisDataArray m_axes;
};

class HintView : public CView {
 public:
  void OnDraw(CDC*) override {}
  void OnUpdate(CView*, LPARAM hint, CObject*) override { m_hints.push_back((int)hint); }
  std::vector<int> m_hints;
};

// Opens the settings the dialogs set.
class MultiLogger : public CMC_MultiAxisLogger {
 public:
  using CMC_MultiAxisLogger::CMC_MultiAxisLogger;
  void Set(int type, WORD points) {
    m_nLogType = type;
    m_nPoints = points;
  }
  void Log(const char* axis, const char* name) {
    m_aItems.Add(new CMC_LoggerItem(axis, name, CMC_LoggerItem::ITEM_VARIABLE, -1, 0));
    CCurve* curve = new CCurve;
    curve->m_strName = m_aItems[m_aItems.GetSize() - 1]->GetCurveName();
    m_aCurves.Add(curve);
  }
};

class LoggerDriveTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(StartMonitorDrive(Kernel("Configurations/05/05")));
    ASSERT_TRUE(m_setup);
    A = m_setup->GetLogBufferAddress();
    m_doc.m_pSetup = m_setup.get();
    m_doc.AddView(&m_view);
  }
  void TearDown() override {
    m_doc.RemoveView(&m_view);
    dravonix::test::StopOnlineDrive();
    SetupTest::TearDown();
  }
  void Open(BYTE type = 0) {
    ASSERT_TRUE(CMC_Comm::Open(type == 16 ? "UDP1" : "COM1", 115200, 0, type, 0));
    ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  }
  static std::vector<WORD> Ram(WORD axis, WORD at, size_t n) {
    std::vector<WORD> w(n);
    EXPECT_TRUE(DriveSimulator::ReadMemory(axis, 1, at, w.data(), n));
    return w;
  }
  // A started single-axis logger of APOS and IQ, raw, log type 2, 100 points, divider 3, whose
  // words follow k: APOS = 10 k, IQ = k.
  void StartApos(CMC_SingleAxisLogger& logger) {
    logger.ChangeSettings(100, CMC_Logger::LOG_TS_C, 3);
    logger.AddVariable("APOS", 0);
    logger.AddVariable("IQ", 0);
    DriveSimulator::SetWaveform(1, 0x0228, [](uint32_t k) { return (uint16_t)(10 * k); });
    DriveSimulator::SetWaveform(1, 0x0230, [](uint32_t k) { return (uint16_t)k; });
    ASSERT_TRUE(logger.StartLogger()) << LastBox();
  }
  int Upload(CMC_Logger& logger) {
    int points = 0;
    while (logger.ReadPoint(nullptr)) ++points;
    return points;
  }

  SetupPtr m_setup;
  WORD A = 0;
  HostDocument m_doc;
  HintView m_view;
};

TEST_F(LoggerDriveTest, ItemsLocateOnTheSampleConfiguration) {
  struct Row {
    const char* name;
    int type;
    short bit;
    int ok;
    WORD address, mask;
    const char* curve;
  } rows[] = {
      {"APOS", 5, 20, 1, 0x0229, 0x0010, "APOS.20"},
      {"APOS", 5, 32, 0, 0, 0, "APOS.32"},
      {"", 1, 26, 1, 0x090F, 0x0400, "SRH.10 Motion controller ready"},
      {"", 1, 17, 0, 0, 0, "SRH.1 "},
      {"", 2, 3, 1, 0x08FC, 0x0008, "MER.3 Control error"},
      {"", 3, 2, 1, 0x0908, 0x0004, "INHome"},
      {"", 3, 40, 0, 0, 0, "IN"},
      {"NOVAR", 0, -1, 0, 0, 0, "NOVAR"},
      {"uint@0x8300", 0, -1, 1, 0x8300, 0xFFFF, "uint@0x8300"},
  };
  for (const Row& r : rows) {
    CMC_LoggerItem item(r.name, r.type, r.bit, 1);
    EXPECT_EQ(item.SetFromSetup(m_setup.get()), r.ok) << r.name << " " << r.bit;
    EXPECT_EQ(item.m_nAddress, r.address) << r.name << " " << r.bit;
    EXPECT_EQ(item.m_nMask, r.mask) << r.name << " " << r.bit;
    EXPECT_EQ(item.GetCurveName(), r.curve);
    EXPECT_EQ(item.GetSizeInWords(), r.ok ? 1 : r.type == 0 ? 0 : 1);
  }
  CMC_LoggerItem port("", 3, 2, 1);
  EXPECT_EQ(port.SetFromCoff(nullptr), 0);

  CMC_LoggerItem raw("APOS", 0, -1, 0), scaled("APOS", 0, -1, 1);
  ASSERT_TRUE(raw.SetFromSetup(m_setup.get()) && scaled.SetFromSetup(m_setup.get()));
  EXPECT_EQ(raw.GetSizeInWords(), 2);
  EXPECT_EQ(raw.m_strUnit, "");
  EXPECT_EQ(raw.m_strBaseUnit, "");
  EXPECT_EQ(raw.m_dFactor, 1.0);
  EXPECT_EQ(scaled.m_strBaseUnit, "rad");
  EXPECT_EQ(scaled.m_strUnit, "rad");  // no display unit yet: the base unit
  EXPECT_DOUBLE_EQ(scaled.m_dFactor, 0.0031415926535897933);

  EXPECT_FALSE(CMC_LoggerItem::SameLoggerItems(CMC_LoggerItem("APOS"), CMC_LoggerItem("apos")));
  EXPECT_TRUE(CMC_LoggerItem::SameLoggerItems(CMC_LoggerItem("APOS"), CMC_LoggerItem("APOS")));
  EXPECT_TRUE(CMC_LoggerItem::SameLoggerItems(CMC_LoggerItem("a", 1, 3, 1), CMC_LoggerItem("b", 1, 3, 0)));
  EXPECT_FALSE(CMC_LoggerItem::SameLoggerItems(CMC_LoggerItem("a", 5, 3, 1), CMC_LoggerItem("a", 5, 4, 1)));
  EXPECT_TRUE(CMC_LoggerItem::SameLoggerItems(CMC_LoggerItem("a", -1, 0, 1), CMC_LoggerItem("b", -1, 1, 1)));
  EXPECT_FALSE(CMC_LoggerItem::SameLoggerItems(CMC_LoggerItem("a", 7, 0, 1), CMC_LoggerItem("a", 7, 0, 1)));
}

TEST_F(LoggerDriveTest, ItemValuesConvertBothWays) {
  CMC_LoggerItem bit("APOS", 5, 20, 1);
  ASSERT_TRUE(bit.SetFromSetup(m_setup.get()));
  WORD word = 0x0011;
  double v = -1;
  const WORD* p = &word;
  bit.GetValueFromBuffer(p, v);
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(p, &word + 1);
  EXPECT_EQ(bit.PrintValue(m_setup.get()), "1");
  bit.SetValueToBinary(&word, 0);
  EXPECT_EQ(word, 0);
  EXPECT_TRUE(bit.ScanValue(m_setup.get(), "5"));
  EXPECT_EQ(bit.m_value.m_nUInt, 0x0010);

  CMC_LoggerItem iq("IQ", 0, -1, 0);
  ASSERT_TRUE(iq.SetFromSetup(m_setup.get()));
  iq.m_dFactor = 2;
  iq.m_dOffset = 1;
  word = 3;
  iq.GetValueFromBinary(&word, v);
  EXPECT_EQ(v, 8.0);
  WORD out[2] = {0, 0xBEEF};
  WORD* q = out;
  iq.SetValueToBuffer(q, 12);  // 12 / 2 - 1
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(out[1], 0xBEEF);
  EXPECT_EQ(q, out + 1);
  iq.m_dFactor = 0;  // a zero factor changes nothing
  iq.SetValue(100);
  iq.SetValueToBinary(out, 100);
  EXPECT_EQ(iq.m_value.m_nInt, 5);
  EXPECT_EQ(out[0], 5);
  iq.GetValueFromBinary(nullptr, v);  // nothing happens
  EXPECT_EQ(iq.PrintValue(m_setup.get()), "5");
  EXPECT_TRUE(iq.ScanValue(m_setup.get(), "-7"));
  EXPECT_FALSE(iq.ScanValue(m_setup.get(), "seven"));
  EXPECT_EQ(iq.m_value.m_nInt, -7);

  CMC_LoggerItem scaled("APOS", 0, -1, 1);
  ASSERT_TRUE(scaled.SetFromSetup(m_setup.get()));
  scaled.m_value.m_lLong = 1000;
  EXPECT_EQ(scaled.PrintValue(nullptr), "0");  // the variable cannot be had
  EXPECT_EQ(scaled.PrintValue(m_setup.get()), "3.14");  // in the display unit "rad"
  EXPECT_TRUE(scaled.ScanValue(m_setup.get(), "6.2832"));
  EXPECT_EQ(scaled.m_value.m_lLong, 2000);
}

TEST_F(LoggerDriveTest, StartWritesTheHeaderAndTheDriveLogsOnTheClock) {
  Open();
  CMC_SingleAxisLogger logger(m_setup.get(), nullptr);
  StartApos(logger);
  EXPECT_EQ(Ram(1, A, 8), (std::vector<WORD>{100, 1, 3, (WORD)(A + 8), 0x0228, 0x0229, 0x0230, 0}));
  EXPECT_EQ(Ram(1, kLogPtr, 1)[0], A + 2);
  CCurve* time = logger.GetCurves().GetAt(0);
  EXPECT_DOUBLE_EQ(time->m_dFactor, 1.875e-4);
  EXPECT_EQ(time->m_strDisplayUnit, "ms");

  // 2 ms of the clock are ten samples of 0.1875 ms; the drive counts [A] down.
  Clock::Advance(2);
  EXPECT_EQ(Ram(1, A, 1)[0], 90);
  EXPECT_EQ(Ram(1, A + 8 + 9 * 3, 3), (std::vector<WORD>{90, 0, 9}));
  ASSERT_TRUE(logger.BeginUploadData());
  EXPECT_EQ(logger.GetUploadPercentageCompleted(), 0);
  double values[3];
  for (int k = 0; k < 10; ++k) {
    ASSERT_TRUE(logger.ReadPoint(values)) << k;
    EXPECT_DOUBLE_EQ(values[0], k * 1.875e-4);
    EXPECT_EQ(values[1], 10 * k);
    EXPECT_EQ(values[2], k);
  }
  EXPECT_FALSE(logger.ReadPoint(values));  // caught up with the drive
  EXPECT_FALSE(logger.UploadInProgress());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(logger.GetCurves().GetAt(i)->GetSize(), 10);
  EXPECT_EQ(logger.GetCurves().GetAt(1)->GetAt(9), 90);

  Clock::Advance(100);
  EXPECT_FALSE(DriveSimulator::IsLogging(1));
  ASSERT_TRUE(logger.BeginUploadData());
  EXPECT_EQ(Ram(1, kLogPtr, 1)[0], 0);  // the finished drive is stopped
  EXPECT_EQ(Upload(logger), 100);
  EXPECT_EQ(logger.GetCurves().GetAt(2)->GetSize(), 100);
  EXPECT_EQ(logger.GetCurves().GetAt(2)->GetAt(99), 99);
  EXPECT_DOUBLE_EQ(logger.GetCurves().GetAt(0)->GetAt(99), 99 * 1.875e-4);
}

TEST_F(LoggerDriveTest, IdleUploadsInBulkOnNetworkChannels) {
  for (BYTE type : {0, 16}) {
    SCOPED_TRACE(type);
    CMC_Comm::Close();
    DriveSimulator::Reset();
    Open(type);
    CMC_SingleAxisLogger logger(m_setup.get(), nullptr);
    m_doc.m_pLogger = &logger;
    StartApos(logger);
    DriveSimulator::StepLogger(1, 10);
    DriveSimulator::ClearCallLog();
    m_view.m_hints.clear();
    ASSERT_TRUE(logger.BeginUploadData());
    LONG count = 0;
    while (m_doc.OnIdle(count)) {
    }
    std::vector<int> hints(10, -97);
    hints.push_back(-96);
    EXPECT_EQ(m_view.m_hints, hints);
    EXPECT_EQ(DriveSimulator::CallCount("DAV_ReceiveBigData"), type == 16 ? 1u : 0u);
    EXPECT_EQ(DriveSimulator::CallCount("DAV_ReceiveData"), type == 16 ? 2u : 12u);
    ASSERT_EQ(logger.GetCurves().GetAt(1)->GetSize(), 10);
    EXPECT_EQ(logger.GetCurves().GetAt(1)->GetAt(9), 90);
    m_doc.m_pLogger = nullptr;
  }
}

TEST_F(LoggerDriveTest, AFailingDriveEndsTheUploadKeepingWhatWasRead) {
  Open();
  CMC_SingleAxisLogger logger(m_setup.get(), nullptr);
  StartApos(logger);
  DriveSimulator::StepLogger(1, 100);
  ASSERT_TRUE(logger.BeginUploadData());
  for (int k = 0; k < 3; ++k) ASSERT_TRUE(logger.ReadPoint(nullptr));
  DriveSimulator::StopAnsweringAtCall(0);
  EXPECT_FALSE(logger.ReadPoint(nullptr));
  EXPECT_FALSE(logger.UploadInProgress());
  EXPECT_EQ(logger.GetCurves().GetAt(1)->GetSize(), 3);
  EXPECT_EQ(logger.GetUploadPercentageCompleted(), 0);
  DriveSimulator::ResumeAnswering();

  // A drive that claims more points than were asked for is not believed.
  WORD many = 101;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, A, &many, 1));
  EXPECT_FALSE(logger.BeginUploadData());
  EXPECT_EQ(logger.GetCurves().GetAt(1)->GetSize(), 3);
}

TEST_F(LoggerDriveTest, StartRefusals) {
  Open();
  CMC_SingleAxisLogger logger(m_setup.get(), nullptr);
  logger.ChangeSettings(65535, CMC_Logger::LOG_TS_S, 1);
  logger.AddVariable("APOS", 0);
  logger.AddVariable("APOS_LD", 0);
  ClearBoxes();
  EXPECT_FALSE(logger.StartLogger());  // 4 x 65536 + 5 words, never wrapped
  EXPECT_EQ(LastBox(), "Data acquisition buffer overflow. Please delete some variables or reduce aquisitions number.");
  logger.ChangeSettings(10, CMC_Logger::LOG_TS_S, 1);
  logger.AddVariable("NOVAR", 0);
  EXPECT_FALSE(logger.StartLogger());
  EXPECT_EQ(LastBox(), "Cannot find variable NOVAR!");
  EXPECT_EQ(Ram(1, kLogPtr, 1)[0], 0);
  EXPECT_EQ(logger.GetItems().GetSize(), 1);

  // A drive without a sampling period: the time curve counts points.
  ASSERT_TRUE(Script("drvgui.dll", "GuiStandIn_Script", "scale s Ts_C 0"));
  logger.ChangeSettings(10, CMC_Logger::LOG_TS_C, 3);
  EXPECT_EQ(logger.GetCurves().GetAt(0)->m_dFactor, 1.0);
  EXPECT_EQ(logger.GetCurves().GetAt(0)->m_strDisplayUnit, "");
}

class MultiAxisDriveTest : public LoggerDriveTest {
 protected:
  void SetUp() override {
    LoggerDriveTest::SetUp();
    DriveSimulator::AddDrive(2);
    DriveSimulator::AddDrive(3);
    const char* names[] = {"X", "Y", "Z"};
    for (BYTE i = 0; i < 3; ++i) m_doc.m_axes.Add(new Axis(names[i], (BYTE)(i + 1), m_setup.get()));
    Open();
    Script("interpreter.dll", "InterpStandIn_Script", "reset");
  }
};

TEST_F(MultiAxisDriveTest, StartsEveryAxisWithOneBroadcast) {
  for (int type : {1, 0}) {
    SCOPED_TRACE(type);
    MultiLogger logger(&m_doc);
    logger.Set(type, 50);
    logger.Log("X", "APOS");
    logger.Log("Y", "IQ");
    Script("interpreter.dll", "InterpStandIn_Script", "reset");
    ASSERT_TRUE(logger.StartLogger()) << LastBox();
    for (WORD axis : {1, 2}) {
      std::vector<WORD> header = Ram(axis, A, 4);
      EXPECT_EQ(header, (std::vector<WORD>{50, 1, 1, (WORD)(A + (axis == 1 ? 7 : 6))}));
      EXPECT_EQ(Ram(axis, kLogPtr, 1)[0], A);
      EXPECT_EQ(DriveSimulator::IsLogging(axis), type == 1);
    }
    EXPECT_EQ(Ram(3, A, 1)[0], 0);  // no item on Z
    EXPECT_EQ(InterpreterLog(), std::string("0x0010\t[B]{ STOPLOG; }\n") +
                                    (type == 1 ? "0x0010\t[B]{ STARTLOG 1; }\n" : ""));
  }
  MultiLogger twins(&m_doc);
  twins.Set(1, 50);
  twins.Log("X", "APOS");
  twins.Log("Y", "IQ");
  static_cast<Axis*>(m_doc.m_axes[1])->m_byId = 1;
  ClearBoxes();
  EXPECT_FALSE(twins.StartLogger());
  EXPECT_EQ(LastBox(), "Selected applications must have distinct axis IDs.");
  static_cast<Axis*>(m_doc.m_axes[1])->m_byId = 2;
  twins.Set(1, 20000);
  EXPECT_FALSE(twins.StartLogger());
  EXPECT_EQ(LastBox(), "Data acquisition buffer overflow. Please delete some variables or reduce aquisitions number.");
}

TEST_F(MultiAxisDriveTest, ALostAxisIsDroppedOrEndsTheUpload) {
  for (int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer);
    MultiLogger logger(&m_doc);
    logger.Set(1, 20);
    logger.Log("X", "APOS");
    logger.Log("Y", "IQ");
    logger.Log("Z", "IQ");
    if (!DriveSimulator::HasDrive(2)) DriveSimulator::AddDrive(2);
    ASSERT_TRUE(logger.StartLogger()) << LastBox();
    Clock::Advance(100);  // every drive has logged its 20 points
    ASSERT_TRUE(logger.BeginUploadData());
    for (int k = 0; k < 5; ++k) ASSERT_TRUE(logger.ReadPoint(nullptr));
    DriveSimulator::RemoveDrive(2);
    ClearBoxes();
    Automation::Instance().PushMessageBoxAnswer(answer);
    const int more = Upload(logger);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0],
              "Failed to upload logger points from application 'Y'.\nDo you want to continue uploading points from "
              "other axes?");
    EXPECT_EQ(more, answer == IDYES ? 15 : 0);
    // X's point of the failed pass was read before Y failed.
    EXPECT_EQ(logger.GetCurves().GetAt(1)->GetSize(), answer == IDYES ? 20 : 6);
    EXPECT_EQ(logger.GetCurves().GetAt(2)->GetSize(), 5);
    EXPECT_EQ(logger.GetCurves().GetAt(3)->GetSize(), answer == IDYES ? 20 : 5);
  }
}

TEST_F(MultiAxisDriveTest, ItemsOfLostAxesGoWithTheirCurvesAndPlots) {
  MultiLogger logger(&m_doc);
  logger.Log("X", "APOS");
  logger.Log("Y", "IQ");
  logger.Log("Z", "IQ");
  CGraphFilter* plot = logger.GetGraphDoc().GetAt(0);
  for (DWORD y = 1; y <= 3; ++y) {
    CXYCurve* xy = new CXYCurve;
    xy->m_nXCurve = 0;
    xy->m_nYCurve = y;
    plot->Add(xy);
  }
  m_doc.m_axes.RemoveAt(1);
  logger.SetDoc(&m_doc);
  ASSERT_EQ(logger.GetItems().GetSize(), 2);
  ASSERT_EQ(logger.GetCurves().GetSize(), 3);
  EXPECT_EQ(logger.GetCurves().GetAt(2)->m_strName, "Z::IQ");
  ASSERT_EQ(plot->GetSize(), 2);
  EXPECT_EQ(plot->GetAt(0)->m_nYCurve, 1u);
  EXPECT_EQ(plot->GetAt(1)->m_nYCurve, 2u);

  logger.RenamedAxisDoc("z", "W");
  EXPECT_EQ(logger.GetCurves().GetAt(2)->m_strName, "W::IQ");
  EXPECT_EQ(logger.GetItems()[1]->m_strAxis, "W");
}

// 3 rotations of 2000 counts at 10 counts and 0.02 counts per 100 us sample squared: 50 ms of
// acceleration, 10 ms at speed, 50 ms of braking, logged every 1.25 ms.
TEST_F(LoggerDriveTest, AThreeRotationMoveLogsAPositionRisingToThreeAndCurrentWhileAccelerating) {
  Open();
  CMC_SingleAxisLogger logger(m_setup.get(), nullptr);
  logger.ChangeSettings(100, CMC_Logger::LOG_TS_C, 20);
  logger.AddVariable("APOS", 1);
  logger.AddVariable("IQ", 1);
  ASSERT_TRUE(logger.StartLogger()) << LastBox();
  ASSERT_TRUE(m_setup->ExecuteString("CPOS=6000;CSPD=10;CACC=0.02;UPD", 0, nullptr));
  Clock::Advance(200);
  ASSERT_TRUE(logger.BeginUploadData());
  ASSERT_EQ(Upload(logger), 100);
  const CCurve* apos = logger.GetCurves().GetAt(1);
  const CCurve* iq = logger.GetCurves().GetAt(2);
  const double rot = 2 * M_PI;  // the curves hold base units
  EXPECT_NEAR(apos->GetAt(0) / rot, 0, 1e-3);
  for (int k = 1; k < 100; ++k) EXPECT_GE(apos->GetAt(k), apos->GetAt(k - 1)) << k;
  EXPECT_GT(apos->GetAt(44), apos->GetAt(43));
  for (int k = 88; k < 100; ++k) {
    EXPECT_NEAR(apos->GetAt(k) / rot, 3, 1e-9) << k;
    EXPECT_EQ(iq->GetAt(k), 0) << k;
  }
  // Sample k is taken (k + 1) x 1.25 ms after the start.
  for (int k = 0; k < 39; ++k) EXPECT_NEAR(iq->GetAt(k), 2.0, 1e-9) << k;
  for (int k = 48; k < 87; ++k) EXPECT_NEAR(iq->GetAt(k), -2.0, 1e-9) << k;
}

}  // namespace
