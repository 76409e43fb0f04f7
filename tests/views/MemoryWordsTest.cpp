// The memory view's window, clamping, block reads and word writes on the simulated drive.
#include "views/MemoryWords.h"

#include "tests/comm/CommTestSupport.h"

#include <array>
#include <tuple>

namespace {

using Words = std::optional<uint16_t>;
// Configuration 02/10: E2ROM 0x2000, RAM 0x8200 of 0xE00, PVT 0x100.
const CMemoryWords k0210(0x2000, 0x8200, 0xE00, 0x100);
// Configuration 05/05: E2ROM 0x4000, RAM 0x8200 of 0x7E00, PVT 0x100.
const CMemoryWords k0505(0x4000, 0x8200, 0x7E00, 0x100);

std::vector<std::array<uint32_t, 3>> Receives() {
  std::vector<std::array<uint32_t, 3>> calls;
  for (auto& r : DriveSimulator::CallLog())
    if (std::string(r.function) == "DAV_ReceiveData") calls.push_back({r.args[0], r.args[1], r.args[2]});
  return calls;
}

class MemoryWordsTest : public CommTest {};

TEST(MemoryWords, WindowFromTheMemoryMap) {
  struct Case { uint16_t e2rom, ramStart, ramSize, pvt; uint32_t begin, end; };
  const Case cases[] = {
      {0, 0x8200, 0x100, 0x100, 0, 0},                 // RAM not above PVT, no E2ROM
      {0, 0, 0x7E00, 0x100, 0, 0},                     // no RAM start
      {0x2000, 0x8200, 0xE00, 0x100, 0x4000, 0x9000},  // E2ROM, gap and RAM
      {0x4000, 0x8200, 0x7E00, 0x100, 0x4000, 0x10000},
      {0x2000, 0x8200, 0x100, 0x100, 0x4000, 0x6000},  // E2ROM only
      {0, 0x8200, 0x7E00, 0x100, 0x8300, 0x10000},     // RAM only, after the PVT area
      {0, 0xFF00, 0x400, 0x200, 0x10000, 0x10000},     // beyond the address space: empty
  };
  for (const Case& c : cases) {
    CMemoryWords m(c.e2rom, c.ramStart, c.ramSize, c.pvt);
    EXPECT_EQ(m.WindowBegin(), c.begin) << c.e2rom << " " << c.ramSize;
    EXPECT_EQ(m.WindowEnd(), c.end) << c.e2rom << " " << c.ramSize;
  }
}

TEST(MemoryWords, StartClampedAndAligned) {
  const CMemoryWords empty(0, 0x8200, 0x100, 0x100), tiny(0x10, 0, 0, 0);
  const std::tuple<const CMemoryWords*, uint32_t, uint32_t, uint16_t> cases[] = {
      {&k0210, 0x8300, 20, 0x8300}, {&k0210, 0x4013, 20, 0x4010}, {&k0210, 0xFFF0, 20, 0x8F60},
      {&k0210, 0xFFF0, 1, 0x8FF8},  {&k0210, 0x0100, 20, 0x4000}, {&k0505, 0xFFFF, 2, 0xFFF0},
      {&k0505, 0x8303, 0, 0x8300},  {&empty, 0x8300, 20, 0},      {&tiny, 0x4000, 4, 0x3FF0},
  };
  for (auto [m, start, rows, want] : cases) EXPECT_EQ(m->ClampStart(start, rows), want) << std::hex << start;
}

TEST(MemoryWords, TextsAndSpaces) {
  EXPECT_EQ(CMemoryWords::Text(0xBE), "00BE");
  EXPECT_EQ(CMemoryWords::Text(0xABCD), "ABCD");
  EXPECT_EQ(CMemoryWords::Text(std::nullopt), "????");
  EXPECT_EQ(CMemoryWords::ParseHex("4013"), Words(0x4013));
  EXPECT_EQ(CMemoryWords::ParseHex("ffF0"), Words(0xFFF0));
  EXPECT_EQ(CMemoryWords::ParseHex("zz"), std::nullopt);
  EXPECT_EQ(CMemoryWords::ParseHex(""), std::nullopt);
  EXPECT_EQ(CMemoryWords::ParseHex(nullptr), std::nullopt);
  const std::pair<uint32_t, int> spaces[] = {{0x3FFF, -1}, {0x4000, 2}, {0x7FFF, 2}, {0x8000, -1},
                                             {0x81FF, -1}, {0x8200, 0}, {0xFFFF, 0},  {0x10000, -1}};
  for (auto [a, space] : spaces) EXPECT_EQ(CMemoryWords::WriteSpace(a), space) << std::hex << a;
}

TEST_F(MemoryWordsTest, OneReadPerRegionAndTheGapUnread) {
  OpenSerial();
  const uint16_t e2[2] = {0x1111, 0x2222}, ram[2] = {0x3333, 0x4444};
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x5FFE, e2, 2));
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x8300, ram, 2));
  DriveSimulator::ClearCallLog();
  // From 0x5FF8 to 0x8307: E2ROM tail, the gap 0x6000-0x82FF, then RAM after the PVT area.
  const CMemoryWords::Block w = k0210.Read(0x5FF8, 0x8308 - 0x5FF8);
  EXPECT_EQ(w[6], Words(0x1111));
  EXPECT_EQ(w[7], Words(0x2222));
  EXPECT_EQ(w[0x6000 - 0x5FF8], std::nullopt);
  EXPECT_EQ(w[0x82FF - 0x5FF8], std::nullopt);
  EXPECT_EQ(w[0x8300 - 0x5FF8], Words(0x3333));
  EXPECT_EQ(w[0x8301 - 0x5FF8], Words(0x4444));
  EXPECT_EQ(w.back(), Words(0));
  const std::vector<std::array<uint32_t, 3>> want = {{0x5FF8, 2, 8}, {0x8300, 0, 8}};
  EXPECT_EQ(Receives(), want);
  EXPECT_EQ(CMC_Comm::nShowErr, UINT(MB_RETRYCANCEL));
}

TEST_F(MemoryWordsTest, RamUpToTheLastAddress) {
  OpenSerial();
  const uint16_t last = 0xCAFE;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0xFFFF, &last, 1));
  DriveSimulator::ClearCallLog();
  const CMemoryWords::Block w = k0505.Read(0xFFF0, 16);
  EXPECT_EQ(w[15], Words(0xCAFE));
  const std::vector<std::array<uint32_t, 3>> want = {{0xFFF0, 0, 16}};
  EXPECT_EQ(Receives(), want);
}

TEST_F(MemoryWordsTest, FailedReadOrClosedChannelLeavesEverythingUnknown) {
  OpenSerial();
  DriveSimulator::FailNextCalls(1, "Timeout", "DAV_ReceiveData");
  CMemoryWords::Block w = k0210.Read(0x5FF8, 0x8308 - 0x5FF8);
  for (size_t i = 0; i < w.size(); ++i) ASSERT_EQ(w[i], std::nullopt);
  EXPECT_EQ(Receives().size(), 1u);  // no read after the failure
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(CMC_Comm::nShowErr, UINT(MB_RETRYCANCEL));

  CMC_Comm::Close();
  DriveSimulator::ClearCallLog();
  w = k0210.Read(0x4000, 64);
  for (size_t i = 0; i < w.size(); ++i) ASSERT_EQ(w[i], std::nullopt);
  EXPECT_TRUE(DriveSimulator::CallLog().empty());
  EXPECT_EQ(CMemoryWords::Write(0x4008, "1234"), std::nullopt);
  EXPECT_TRUE(DriveSimulator::CallLog().empty());
}

TEST_F(MemoryWordsTest, WritesGoToTheirSpaceAndReadBack) {
  OpenSerial();
  struct Case { uint16_t address; const char* text; std::optional<std::string> cell; int space; };
  const Case cases[] = {
      {0x4008, "1234", "1234", 2}, {0x8300, "beef", "BEEF", 1},  // RAM reads back in the data space too
      {0x3FF8, "1", std::nullopt, -1}, {0x8100, "1", std::nullopt, -1}, {0x4008, "zz", std::nullopt, -1},
  };
  for (const Case& c : cases) {
    DriveSimulator::ClearCallLog();
    EXPECT_EQ(CMemoryWords::Write(c.address, c.text), c.cell) << std::hex << c.address;
    if (c.space < 0) {
      EXPECT_TRUE(DriveSimulator::CallLog().empty());
      continue;
    }
    uint16_t w = 0;
    ASSERT_TRUE(DriveSimulator::ReadMemory(1, uint8_t(c.space), c.address, &w, 1));
    EXPECT_EQ(CMemoryWords::Text(w), *c.cell);
    EXPECT_EQ(Calls("DAV_SendData"), 1u);
    EXPECT_EQ(Calls("DAV_ReceiveData"), 1u);
  }
  CMC_Comm::nShowErr = 0;  // the failures below would ask otherwise
  for (const char* fn : {"DAV_SendData", "DAV_ReceiveData"}) {
    DriveSimulator::FailNextCalls(1, "Timeout", fn);
    EXPECT_EQ(CMemoryWords::Write(0x4010, "5"), std::optional<std::string>("????")) << fn;
  }
}

}  // namespace
