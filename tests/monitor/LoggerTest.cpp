// Loggers: buffer placement in a setup's RAM, point-count correction, defaults, time curves,
// run-time classes, items and the start and upload checks.
#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "monitor/loggers/MC_LoggerItem.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "plot/curves/GraphFilter.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ArchiveBytes.h"

namespace {

class LoggerTest : public SetupTest {
 protected:
  // A setup of the sample configuration with its RAM moved and resized.
  SetupPtr SetupWithRAM(const char* name, const char* start, const char* size) {
    std::string cfg = Gen3Cfg(std::string("RAMStart\t= ") + start + "\nRAMSize\t= " + size + "\n",
                              {"RAMStart", "RAMSize", "ZURSizeRAM", "CAMSize", "PVTSize"});
    SetupPtr setup(CMC_Setup::CreateFromDirectory(MakeDir(name, cfg).c_str()));
    EXPECT_TRUE(setup);
    return setup;
  }
};

struct Range {
  WORD start, length;
  bool operator==(const Range&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Range& r) {
  return os << std::hex << "{0x" << r.start << ", 0x" << r.length << "}";
}

Range Place(CMC_SingleAxisLogger& logger, WORD start, WORD end) {
  logger.ChangeMemBufferSettings(start, end);
  return {logger.GetBufferStart(), logger.GetBufferLength()};
}
Range Place(CMC_ScopeLogger& scope, WORD start, WORD end) {
  scope.ChangeMemBufferSettings(start, end);
  return {scope.GetBufferStart(), scope.GetBufferLength()};
}

TEST_F(LoggerTest, BufferPlacementWithoutSetup) {
  CMC_SingleAxisLogger logger(nullptr, nullptr);
  EXPECT_EQ(Place(logger, 0x8000, 0x8FFF), (Range{0x8200, 0x0E00}));  // raised to 0x8200
  EXPECT_EQ(Place(logger, 0x8202, 0x9000), (Range{0x8204, 0x0DFD}));  // rounded up to a multiple of 4
  EXPECT_EQ(Place(logger, 0x8FFD, 0x9000), (Range{0x9000, 0x0001}));
  EXPECT_EQ(Place(logger, 0x9000, 0x8FFF), (Range{0x9000, 0x0000}));  // end below start
  EXPECT_EQ(Place(logger, 0x9001, 0x9002), (Range{0x9004, 0x0000}));
  // A start rounded past the top leaves no room rather than a buffer at address 0.
  EXPECT_EQ(Place(logger, 0xFFFE, 0xFFFF), (Range{0x0000, 0x0000}));
  EXPECT_FALSE(logger.IsEnabled());

  CMC_ScopeLogger scope(nullptr, nullptr);
  EXPECT_EQ(Place(scope, 0x8000, 0x8FFF), (Range{0x8200, 0x0E00}));
  EXPECT_EQ(Place(scope, 0x8202, 0x9000), (Range{0x8204, 0x0DFD}));
  EXPECT_EQ(scope.GetPointsNo(), 101);  // the scope keeps its point count
  EXPECT_EQ(Place(scope, 0x8200, 0x8203), (Range{0x8200, 4}));
  EXPECT_EQ(scope.GetPointsNo(), 101);
}

TEST_F(LoggerTest, BufferPlacementInTheSetupsRAM) {
  SetupPtr full(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
  ASSERT_TRUE(full);
  CMC_SingleAxisLogger logger(full.get(), nullptr);
  EXPECT_EQ(Place(logger, 0x8000, 0xFFFF), (Range{0x8200, 0x7E00}));

  SetupPtr high = SetupWithRAM("ram9000", "9000", "1000");
  ASSERT_TRUE(high);
  CMC_SingleAxisLogger highLogger(high.get(), nullptr);
  EXPECT_EQ(Place(highLogger, 0x8200, 0xFFFF), (Range{0x9000, 0x1000}));  // RAM start .. last RAM word
  CMC_ScopeLogger highScope(high.get(), nullptr);
  EXPECT_EQ(Place(highScope, 0x8200, 0xFFFF), (Range{0x9000, 0x1000}));

  // 0x600 words above 0x8200: both ends move up by 0x8800, wrapping at 0x10000.
  SetupPtr small = SetupWithRAM("ram600", "8200", "0600");
  ASSERT_TRUE(small);
  ASSERT_EQ(small->GetRAMSize(), 0x600);
  CMC_SingleAxisLogger smallLogger(small.get(), nullptr);
  EXPECT_EQ(Place(smallLogger, 0x8200, 0x8300), (Range{0x0A00, 0x0101}));
  EXPECT_EQ(Place(smallLogger, 0x8201, 0x8300), (Range{0x0A04, 0x00FD}));  // moved, then rounded
  EXPECT_EQ(Place(smallLogger, 0x8200, 0xFFFF), (Range{0x0A00, 0x0600}));  // end 0x87FF + 0x8800
  CMC_ScopeLogger smallScope(small.get(), nullptr);
  EXPECT_EQ(Place(smallScope, 0x8200, 0x8300), (Range{0x0A00, 0x0101}));

  // One word more and the buffer stays where it was asked for.
  SetupPtr enough = SetupWithRAM("ram601", "8200", "0601");
  ASSERT_TRUE(enough);
  CMC_SingleAxisLogger enoughLogger(enough.get(), nullptr);
  EXPECT_EQ(Place(enoughLogger, 0x8200, 0xFFFF), (Range{0x8200, 0x0601}));
}

TEST_F(LoggerTest, PointCountFollowsTheBufferDownOnly) {
  CMC_SingleAxisLogger logger(nullptr, nullptr);
  EXPECT_EQ(logger.GetPointsNo(), 800);
  Place(logger, 0x8200, 0x8200 + 799);
  EXPECT_EQ(logger.GetBufferLength(), 800);
  EXPECT_EQ(logger.ComputeMaxPoints(3), 264);
  EXPECT_EQ(logger.ComputeMaxPoints(1), 794);
  EXPECT_EQ(logger.GetPointsNo(), 794);  // no item located yet: a point counts one word
  Place(logger, 0x8200, 0x8200 + 99);
  EXPECT_EQ(logger.GetPointsNo(), 94);
  Place(logger, 0x8200, 0xFFFF);
  EXPECT_EQ(logger.GetPointsNo(), 94);  // never raised
  Place(logger, 0x8200, 0x8203);
  EXPECT_EQ(logger.ComputeMaxPoints(1), 0);
  EXPECT_EQ(logger.GetPointsNo(), 0);
  EXPECT_FALSE(logger.IsEnabled());  // fewer than 7 words
  Place(logger, 0x8200, 0x8206);
  EXPECT_TRUE(logger.IsEnabled());
}

TEST_F(LoggerTest, DefaultsAndTimeCurves) {
  CMC_SingleAxisLogger bare(nullptr, nullptr);
  EXPECT_EQ(bare.GetLogType(), CMC_Logger::LOG_TS_S);
  EXPECT_EQ(bare.GetSampling(), 1);
  EXPECT_EQ(bare.GetBufferStart(), 0x8800);
  EXPECT_EQ(bare.GetBufferLength(), 0x3800);
  EXPECT_EQ(bare.GetGraphDoc().GetSize(), 4);
  EXPECT_STREQ(bare.GetGraphDoc().m_strTitle, "Logger");
  ASSERT_EQ(bare.GetCurves().GetSize(), 1);
  CCurve* time = bare.GetCurves().GetAt(0);
  EXPECT_STREQ(time->m_strName, "Acquisition time");
  EXPECT_STREQ(time->m_strDisplayUnit, "");  // no setup: the time curve counts points
  EXPECT_EQ(time->m_dFactor, 1.0);
  EXPECT_FALSE(bare.CanChangePlotOptions());

  SetupPtr setup(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
  ASSERT_TRUE(setup);
  CMC_SingleAxisLogger logger(setup.get(), nullptr);
  EXPECT_EQ(logger.GetBufferStart(), setup->GetLogBufferAddress());
  EXPECT_EQ(logger.GetBufferLength(), setup->GetLogBufferLength());
  time = logger.GetCurves().GetAt(0);
  EXPECT_STREQ(time->m_strDisplayUnit, "ms");
  EXPECT_STREQ(time->m_strStoredUnit, "s");
  EXPECT_DOUBLE_EQ(time->m_dFactor, 1e-4);
  EXPECT_TRUE(logger.LocateItems());  // "log_ptr" found, no items

  CMC_ScopeLogger scope(setup.get(), nullptr);
  EXPECT_EQ(scope.GetLogType(), CMC_Logger::LOG_SCOPE);
  EXPECT_EQ(scope.GetPointsNo(), 101);
  EXPECT_EQ(scope.GetSampling(), 400);
  EXPECT_EQ(scope.ComputeMaxPoints(), 101);
  ASSERT_EQ(scope.GetGraphDoc().GetSize(), 1);
  EXPECT_STREQ(scope.GetGraphDoc().m_strTitle, "Oscilloscope");
  CGraphFilter* plot = scope.GetGraphDoc().GetAt(0);
  EXPECT_EQ(plot->m_bOscMode, 1);
  EXPECT_EQ(plot->m_nDivisions, 10);
  EXPECT_EQ(plot->m_dCursor1, 1.2345e100);
  EXPECT_EQ(plot->m_nCursorCurve, -1);
  time = scope.GetCurves().GetAt(0);
  EXPECT_DOUBLE_EQ(time->m_dFactor, 62.5e-6 * 400);
  EXPECT_DOUBLE_EQ(time->m_dOscScale, 250.0);  // ten steps, in ms
  EXPECT_DOUBLE_EQ(time->m_dOscOffset, 1250.0);
}

TEST_F(LoggerTest, RunTimeClasses) {
  EXPECT_STREQ(RUNTIME_CLASS(CMC_Logger)->m_lpszClassName, "CMC_Logger");
  EXPECT_EQ(RUNTIME_CLASS(CMC_Logger)->m_wSchema, 1u | VERSIONABLE_SCHEMA);
  EXPECT_EQ(RUNTIME_CLASS(CMC_ScopeLogger)->m_wSchema, 1u | VERSIONABLE_SCHEMA);
  EXPECT_EQ(RUNTIME_CLASS(CMC_LoggerItem)->m_wSchema, 1u | VERSIONABLE_SCHEMA);
  EXPECT_EQ(RUNTIME_CLASS(CMC_SingleAxisLogger)->m_pfnCreateObject, nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CMC_MultiAxisLogger)->m_pfnCreateObject, nullptr);

  CObject* o = CRuntimeClass::CreateObject("CMC_ScopeLogger");
  ASSERT_NE(o, nullptr);
  EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CMC_Logger)));
  delete o;

  CMC_SingleAxisLogger single(nullptr, nullptr);
  CMC_Logger* asLogger = &single;
  EXPECT_TRUE(asLogger->IsKindOf(RUNTIME_CLASS(CMC_SingleAxisLogger)));
  EXPECT_FALSE(asLogger->IsKindOf(RUNTIME_CLASS(CMC_ScopeLogger)));
  EXPECT_TRUE(asLogger->IsKindOf(RUNTIME_CLASS(CMC_Logger)));
}

TEST_F(LoggerTest, ArchivesWriteTheirSchemaFirst) {
  CMC_ScopeLogger scope(nullptr, nullptr);
  const dravonix::test::Bytes bytes = dravonix::test::StoreBytes([&](CArchive& ar) { scope.Serialize(ar); });
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[1], 2);
}

TEST_F(LoggerTest, StartAndUploadChecks) {
  CMC_Comm::nShowErr = 0;
  CMC_SingleAxisLogger logger(nullptr, nullptr);
  ClearBoxes();
  EXPECT_FALSE(logger.CanStart());  // no items
  EXPECT_FALSE(logger.StartLogger());
  EXPECT_FALSE(logger.IsStarted());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(logger.CanUploadData());
  EXPECT_FALSE(logger.BeginUploadData());
  EXPECT_FALSE(logger.UploadInProgress());
  EXPECT_FALSE(logger.ReadPoint(nullptr));
  EXPECT_EQ(logger.GetUploadPercentageCompleted(), 0);

  // Items that cannot be located yet are reported and counted as missing.
  SetupPtr setup(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
  ASSERT_TRUE(setup);
  CMC_SingleAxisLogger located(setup.get(), nullptr);
  located.GetItems().Add(new CMC_LoggerItem("NOVAR"));
  located.GetCurves().Add(new CCurve);
  ClearBoxes();
  EXPECT_FALSE(located.LocateItems());
  EXPECT_EQ(LastBox(), "Cannot find variable NOVAR!");
  EXPECT_TRUE(located.CanChangePlotOptions());
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_FALSE(located.LocateItems());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LoggerTest, MultiAxisBuffersPerAxis) {
  CMC_MultiAxisLogger none(nullptr);
  EXPECT_FALSE(none.IsEnabled());
  EXPECT_EQ(none.ComputeMaxPoints(), 0);
  EXPECT_EQ(none.GetDefaultSetup(), nullptr);
  EXPECT_EQ(none.GetUploadPercentageCompleted(), 0);
}

TEST_F(LoggerTest, ItemSizesAndCurveNames) {
  CMC_LoggerItem status("State", CMC_LoggerItem::ITEM_STATUS_BIT, 17, 1);
  EXPECT_EQ(status.GetCurveName(), "SRH.1 State");
  CMC_LoggerItem low("Ready", CMC_LoggerItem::ITEM_STATUS_BIT, 3, 1);
  EXPECT_EQ(low.GetCurveName(), "SRL.3 Ready");
  CMC_LoggerItem error("Overcurrent", CMC_LoggerItem::ITEM_ERROR_BIT, 20, 1);
  EXPECT_EQ(error.GetCurveName(), "MER.20 Overcurrent");
  CMC_LoggerItem in("in2 Home", CMC_LoggerItem::ITEM_INPUT, 2, 1);
  EXPECT_EQ(in.GetCurveName(), "in2 Home");
  CMC_LoggerItem home("Home", CMC_LoggerItem::ITEM_INPUT, 2, 1);
  EXPECT_EQ(home.GetCurveName(), "INHome");
  CMC_LoggerItem out("Brake", CMC_LoggerItem::ITEM_OUTPUT, 5, 1);
  EXPECT_EQ(out.GetCurveName(), "OUTBrake");
  CMC_LoggerItem bit("POS", CMC_LoggerItem::ITEM_VARIABLE_BIT, 20, 1);
  EXPECT_EQ(bit.GetCurveName(), "POS.20");
  EXPECT_EQ(bit.GetSizeInWords(), 1);
  CMC_LoggerItem axis("X", "APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  EXPECT_EQ(axis.GetCurveName(), "X::APOS");
  EXPECT_EQ(axis.GetSizeInWords(), 0);  // not located
  axis.m_nVarType = VAR_DOUBLE;
  EXPECT_EQ(axis.GetSizeInWords(), 4);
  CMC_LoggerItem none("None", CMC_LoggerItem::ITEM_NONE, -1, 1);
  EXPECT_EQ(none.GetCurveName(), "");
  EXPECT_EQ(none.GetSizeInWords(), 0);

  CMC_LoggerItemsArray items;
  items.Add(new CMC_LoggerItem(axis));
  items.Add(new CMC_LoggerItem(bit));
  items.Add(new CMC_LoggerItem("Y", "APOS", 0, -1, 1));
  EXPECT_EQ(items.GetVariablesBufferSize(), 5);
  EXPECT_EQ(items.GetVariablesBufferSize("x"), 4);
  EXPECT_EQ(items.GetVariablesBufferSize(""), 1);
  EXPECT_EQ(items.FindVariable("pos"), 1);
  EXPECT_EQ(items.FindVariable("APOS"), -1);  // only items without axis
  EXPECT_EQ(items.FindVariable("y", "apos"), 2);
  EXPECT_EQ(items.FindVariable("", "apos"), -1);
  CMC_LoggerItemsArray copy;
  copy = items;
  ASSERT_EQ(copy.GetSize(), 3);
  EXPECT_NE(copy[0], items[0]);
  EXPECT_EQ(copy[0]->m_nVarType, VAR_DOUBLE);
}

}  // namespace
