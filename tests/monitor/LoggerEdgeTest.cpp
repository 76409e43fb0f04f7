// Edge cases of the loggers' buffer placement: a RAM start off a multiple of 4, a range above the
// RAM, and a small RAM that does not begin at 0x8200.
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "tests/kernel/SetupTestSupport.h"

namespace {

class LoggerEdgeTest : public SetupTest {
 protected:
  SetupPtr SetupWithRAM(const char* name, const char* start, const char* size) {
    std::string cfg = Gen3Cfg(std::string("RAMStart\t= ") + start + "\nRAMSize\t= " + size + "\n",
                              {"RAMStart", "RAMSize", "ZURSizeRAM", "CAMSize", "PVTSize"});
    SetupPtr setup(CMC_Setup::CreateFromDirectory(MakeDir(name, cfg).c_str()));
    EXPECT_TRUE(setup) << LastBox();
    return setup;
  }
};

template <typename Logger>
std::pair<int, int> Place(Logger& logger, WORD start, WORD end) {
  logger.ChangeMemBufferSettings(start, end);
  return {logger.GetBufferStart(), logger.GetBufferLength()};
}

}  // namespace

TEST_F(LoggerEdgeTest, RamStartOffAMultipleOfFourIsRoundedUp) {
  SetupPtr setup = SetupWithRAM("ram9001", "9001", "1000");
  ASSERT_TRUE(setup);
  CMC_SingleAxisLogger logger(setup.get(), nullptr);
  EXPECT_EQ(Place(logger, 0x8200, 0xFFFF), std::make_pair(0x9004, 0xA000 - 0x9004 + 1));
  CMC_ScopeLogger scope(setup.get(), nullptr);
  EXPECT_EQ(Place(scope, 0x8200, 0xFFFF), std::make_pair(0x9004, 0xA000 - 0x9004 + 1));
  // A range that lies above the RAM gives no buffer.
  EXPECT_EQ(Place(logger, 0xB000, 0xC000), std::make_pair(0xB000, 0));
  EXPECT_EQ(logger.GetPointsNo(), 0);
  EXPECT_EQ(Place(scope, 0xB000, 0xC000), std::make_pair(0xB000, 0));
  EXPECT_EQ(scope.GetPointsNo(), 101);
}

TEST_F(LoggerEdgeTest, SmallRamAboveItsStartMovesBothEnds) {
  // 0x500 words from 0x8300: 0x600 above 0x8200, so the buffer moves up by 0x8800.
  SetupPtr setup = SetupWithRAM("ram8300", "8300", "0500");
  ASSERT_TRUE(setup);
  CMC_SingleAxisLogger logger(setup.get(), nullptr);
  EXPECT_EQ(Place(logger, 0x8200, 0xFFFF), std::make_pair(0x0B00, 0x0500));
  EXPECT_LE(logger.GetPointsNo(), (0x500 - 5) - 1);
  CMC_ScopeLogger scope(setup.get(), nullptr);
  EXPECT_EQ(Place(scope, 0x8400, 0x84FF), std::make_pair(0x0C00, 0x0100));
  EXPECT_EQ(scope.GetPointsNo(), 101);  // the scope's count is left alone

  // One word more above 0x8200 and nothing moves.
  SetupPtr larger = SetupWithRAM("ram8300b", "8300", "0501");
  ASSERT_TRUE(larger);
  CMC_ScopeLogger still(larger.get(), nullptr);
  EXPECT_EQ(Place(still, 0x8200, 0xFFFF), std::make_pair(0x8300, 0x0501));
}
