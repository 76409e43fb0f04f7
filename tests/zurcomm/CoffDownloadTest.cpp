// COFF download into the simulated drive: placement by address, outputs, progress and refusals.
#include "suite/coff/CoffWriter.h"
#include "suite/modules/compiler/ZurCompiler.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "suite/zurcomm/zurcomm.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using dravonix::test::ScratchDir;

namespace {

class CoffDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DriveSimulator::Reset();
    ASSERT_GE(DAV_OpenComm("COM1", 0, 0, 0), 0);
    m_dir = ScratchDir("coffdl");
  }
  void TearDown() override { DriveSimulator::Reset(); }

  std::string Compile(const std::string& text, uint16_t load, uint16_t run) {
    std::ofstream(m_dir + "/p.zur", std::ios::binary) << text;
    zurc::Options o;
    o.loadAddress = load;
    o.runAddress = run;
    o.length = 0x1000;
    o.dataStart = 944;
    o.dataSize = 80;
    zurc::Compiler c(o);
    EXPECT_TRUE(c.CompileFile(m_dir + "/p.zur")) << c.Error();
    return c.OutputPath();
  }
  static std::vector<uint16_t> Read(uint8_t space, uint16_t address, size_t n) {
    std::vector<uint16_t> w(n);
    EXPECT_TRUE(DriveSimulator::ReadMemory(1, space, address, w.data(), n));
    return w;
  }
  std::string m_dir;
};

std::vector<int> g_codes;
bool Progress(int code, const char*, float, void* user) {
  g_codes.push_back(code);
  return user == nullptr;
}

}  // namespace

TEST_F(CoffDownloadTest, CompiledProgramLandsInE2ROMAndDataMemory) {
  std::string out = Compile("int v = 7; BEGIN; L: v = 3; GOTO L; END;", 0x4100, 0x4100);
  uint16_t o1 = 0, o2 = 0, o3 = 0;
  g_codes.clear();
  ASSERT_TRUE(DAV_COFFDownload(out.c_str(), &o1, &o2, &o3, Progress, nullptr, 0x5000)) << DAV_GetLastError();
  EXPECT_EQ(o1, 0x4100);
  EXPECT_EQ(o2, 0x4100);
  EXPECT_EQ(o3, 0x4100 + 6);  // 7 words
  EXPECT_FALSE(g_codes.empty());
  for (int c : g_codes) EXPECT_EQ(c, 3);
  std::vector<uint16_t> code = Read(DAV_SPACE_E2ROM, 0x4100, 8);
  EXPECT_EQ(code[2], 944);  // v
  EXPECT_EQ(code[3], 3);
  EXPECT_EQ(code[5], 0x4101);  // L
  EXPECT_EQ(code[7], 0);
  EXPECT_EQ(Read(DAV_SPACE_DATA, 944, 1)[0], 7);
  // The value arrives as given.
  auto log = DriveSimulator::CallLog();
  ASSERT_FALSE(log.empty());
  EXPECT_STREQ(log.back().function, "DAV_COFFDownload");
  EXPECT_EQ(log.back().args[0], 0x5000u);
}

TEST_F(CoffDownloadTest, RamProgramAndSectionsAcrossTheWindow) {
  std::string out = Compile("A; B; C;", 0x9000, 0x9000);
  uint16_t o1 = 0;
  ASSERT_TRUE(DAV_COFFDownload(out.c_str(), &o1, nullptr, nullptr, nullptr, nullptr, 0x1000));
  EXPECT_EQ(o1, 0x9000);
  EXPECT_NE(Read(DAV_SPACE_PROGRAM, 0x9000, 3)[2], 0);
  EXPECT_NE(Read(DAV_SPACE_DATA, 0x9000, 3)[2], 0);  // program and data RAM meet above 0x8000

  // A section that starts below the E2ROM window and ends inside it is cut at 0x4000.
  coff::Writer w;
  coff::Section s;
  s.name = ".text";
  s.loadAddress = s.runAddress = 0x3FFE;
  s.words = {1, 2, 3, 4};
  w.AddSection(s);
  ASSERT_TRUE(w.WriteFile(m_dir + "/cross.out"));
  ASSERT_TRUE(DAV_COFFDownload((m_dir + "/cross.out").c_str(), &o1, nullptr, nullptr, nullptr, nullptr, 0x1000));
  EXPECT_EQ(Read(DAV_SPACE_PROGRAM, 0x3FFE, 2), (std::vector<uint16_t>{1, 2}));
  EXPECT_EQ(Read(DAV_SPACE_E2ROM, 0x4000, 2), (std::vector<uint16_t>{3, 4}));
}

TEST_F(CoffDownloadTest, BadFilesAreRefusedAndChangeNothing) {
  const std::string bad = m_dir + "/bad.out";
  auto tryFile = [&](const coff::Writer& w) {
    w.WriteFile(bad);
    uint16_t o1 = 0x1234;
    bool ok = DAV_COFFDownload(bad.c_str(), &o1, nullptr, nullptr, nullptr, nullptr, 0x1000);
    if (ok) return std::string("ok");
    EXPECT_EQ(o1, 0x1234);  // outputs are written only on success
    return std::string(DAV_GetLastError());
  };
  coff::Writer good;
  coff::Section s;
  s.name = ".text";
  s.loadAddress = s.runAddress = 0x4000;
  s.words = {0xAAAA, 0xBBBB};
  good.AddSection(s);
  coff::Writer w = good;
  w.versionId = 0x00C2;
  EXPECT_EQ(tryFile(w), "File " + bad + " format is not COFF version 1");
  w = good;
  w.targetId = 0x0093;
  EXPECT_EQ(tryFile(w), "File " + bad + " is not in TMS320 Fix Point format");
  w = good;
  w.optionalHeader = false;
  EXPECT_EQ(tryFile(w), "File " + bad + " is not linked");
  w = good;
  w.flags = 0x80;
  EXPECT_EQ(tryFile(w), "File " + bad + " contains unresolved external references");
  w = good;
  w.flags = 0x02;
  EXPECT_EQ(tryFile(w), "File " + bad + " is not a TMS320C2xx executable");
  // A section whose data would lie past the end of the file.
  w = coff::Writer();
  coff::Section big = s;
  big.size = 5000;
  w.AddSection(big);
  EXPECT_NE(tryFile(w).find("lies outside the file"), std::string::npos);
  // Only data memory: nothing to run.
  w = coff::Writer();
  coff::Section data = s;
  data.page = 1;
  w.AddSection(data);
  EXPECT_NE(tryFile(w).find("holds no program code"), std::string::npos);
  EXPECT_EQ(Read(DAV_SPACE_E2ROM, 0x4000, 2), (std::vector<uint16_t>{0, 0}));
  // Truncated file and missing file.
  std::ofstream(bad, std::ios::binary) << "\xC1";
  uint16_t o = 0;
  EXPECT_FALSE(DAV_COFFDownload(bad.c_str(), &o, &o, &o, nullptr, nullptr, 0));
  EXPECT_FALSE(DAV_COFFDownload((m_dir + "/none.out").c_str(), &o, &o, &o, nullptr, nullptr, 0));
  EXPECT_EQ(std::string(DAV_GetLastError()), "Cannot open file " + m_dir + "/none.out");

  // Write protection refuses before anything is written, also the RAM part.
  w = good;
  coff::Section ram = s;
  ram.loadAddress = ram.runAddress = 0x9000;
  w.AddSection(ram);
  DriveSimulator::SetE2ROMWriteProtected(1, true);
  EXPECT_EQ(tryFile(w), "E2ROM is write-protected");
  EXPECT_EQ(Read(DAV_SPACE_PROGRAM, 0x9000, 1)[0], 0);
  DriveSimulator::SetE2ROMWriteProtected(1, false);
  EXPECT_EQ(tryFile(w), "ok");
  EXPECT_EQ(Read(DAV_SPACE_E2ROM, 0x4000, 2), (std::vector<uint16_t>{0xAAAA, 0xBBBB}));

  // A cancelled transfer and a silent drive fail.
  int user = 0;
  EXPECT_FALSE(DAV_COFFDownload(bad.c_str(), &o, &o, &o, Progress, &user, 0));
  EXPECT_STREQ(DAV_GetLastError(), "Transfer cancelled");
  DriveSimulator::StopAnsweringAtCall(0);
  EXPECT_FALSE(DAV_COFFDownload(bad.c_str(), &o, &o, &o, nullptr, nullptr, 0));
  DriveSimulator::ResumeAnswering();
  DAV_CloseComm(-1);
  EXPECT_FALSE(DAV_COFFDownload(bad.c_str(), &o, &o, &o, nullptr, nullptr, 0));
  EXPECT_STREQ(DAV_GetLastError(), "Communication channel is not open");
}
