// Path rules: separators, absolute names and the case-insensitive look-up of missing paths.
#include "platform/core/Path.h"

#include "tests/support/FileContents.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using dravonix::test::KernelDir;
using dravonix::test::ScratchDir;

namespace {

using dravonix::test::WriteText;

std::string ReadThroughLayer(const std::string& path) {
  FILE* f = fopen(ResolvePath(path.c_str()).c_str(), "rb");
  if (!f) return "<not found>";
  char buf[256] = {};
  size_t n = fread(buf, 1, sizeof buf - 1, f);
  fclose(f);
  return std::string(buf, n);
}

}  // namespace

TEST(Path, AbsoluteNamesAndSeparators) {
  EXPECT_TRUE(IsAbsolutePath("\\x"));
  EXPECT_TRUE(IsAbsolutePath("/x"));
  EXPECT_TRUE(IsAbsolutePath("C:x"));
  EXPECT_TRUE(IsAbsolutePath("c:\\x\\y"));
  EXPECT_FALSE(IsAbsolutePath("x\\y"));
  EXPECT_FALSE(IsAbsolutePath("1:x"));
  EXPECT_FALSE(IsAbsolutePath(""));
  EXPECT_FALSE(IsAbsolutePath(nullptr));

  EXPECT_EQ(NativePath("a\\b/c"), "a/b/c");
  EXPECT_EQ(NativePath("\\x"), "/x");
  EXPECT_EQ(NativePath("C:\\data\\x.cfg"), "/data/x.cfg");
  EXPECT_EQ(NativePath("C:data\\x.cfg"), "/data/x.cfg");
  EXPECT_EQ(NativePath("d:"), "/");
  EXPECT_EQ(NativePath(nullptr), "");
}

TEST(Path, SetupFileOpensWhateverTheCaseAndSeparators) {
  const fs::path root = KernelDir();
  WriteText(root / "Firmware/F505H/setup.cfg", "axis=1\n");
  const std::string spelled = root.string() + "\\firmware\\f505h\\SETUP.CFG";
  EXPECT_EQ(ResolvePath(spelled.c_str()), (root / "Firmware/F505H/setup.cfg").string());
  EXPECT_EQ(ReadThroughLayer(spelled), "axis=1\n");
  EXPECT_EQ(ReadThroughLayer(root.string() + "/FIRMWARE/f505h/Setup.Cfg"), "axis=1\n");
}

TEST(Path, MissingNamesKeepTheirSpellingInTheExistingFolder) {
  const fs::path dir = ScratchDir("path-missing");
  fs::create_directories(dir / "Setups/Axis1");
  // A new file lands in the folder that exists.
  EXPECT_EQ(ResolvePath((dir.string() + "\\SETUPS\\axis1\\New.cfg").c_str()), (dir / "Setups/Axis1/New.cfg").string());
  // A missing folder keeps the rest as spelled.
  EXPECT_EQ(ResolvePath((dir.string() + "\\setups\\NoSuch\\x.cfg").c_str()), (dir / "Setups/NoSuch/x.cfg").string());
  // A trailing separator stays.
  EXPECT_EQ(ResolvePath((dir.string() + "\\setups\\AXIS1\\").c_str()), (dir / "Setups/Axis1/").string());
  EXPECT_EQ(ResolvePath(""), "");
  EXPECT_EQ(ResolvePath(nullptr), "");
}

TEST(Path, ChoiceAmongSeveralMatchesIsDeterministic) {
  const fs::path dir = ScratchDir("path-choice");
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "Data");
  WriteText(dir / "CONF", "file");
  WriteText(dir / "conf/x.ini", "in folder");
  // The exact spelling wins; else the first in byte order.
  EXPECT_EQ(ResolvePath((dir / "data").c_str()), (dir / "data").string());
  EXPECT_EQ(ResolvePath((dir / "DATA").c_str()), (dir / "Data").string());
  // Where more components follow, only a folder can match.
  EXPECT_EQ(ResolvePath((dir / "Conf/X.INI").c_str()), (dir / "conf/x.ini").string());
  EXPECT_EQ(ResolvePath((dir / "Conf").c_str()), (dir / "CONF").string());
}

TEST(Path, RelativeNamesResolveAgainstTheCurrentFolder) {
  const fs::path dir = ScratchDir("path-relative");
  WriteText(dir / "Motion/Main.csq", "main");
  const fs::path saved = fs::current_path();
  fs::current_path(dir);
  EXPECT_EQ(ResolvePath("motion\\MAIN.CSQ"), "Motion/Main.csq");
  EXPECT_EQ(ResolvePath(".\\MOTION\\main.csq"), "./Motion/Main.csq");
  EXPECT_EQ(ReadThroughLayer("MOTION/main.CSQ"), "main");
  fs::current_path(saved);
}
