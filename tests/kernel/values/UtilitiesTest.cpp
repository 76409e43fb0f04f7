#include "kernel/values/Utilities.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/Automation.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace {

CString Minimized(const char* text, int keepPoint = 0) {
  CString s(text);
  MinimizeFloatFormat(s, keepPoint);
  return s;
}

CString PrintDouble(double v, tagVarType type, int decimals = -32768) {
  CString s;
  PrintDoubleValue(v, type, s, decimals);
  return s;
}

void Touch(const std::string& path, const std::string& bytes = "x") { std::ofstream(path, std::ios::binary) << bytes; }

using dravonix::test::ReadFileText;

}  // namespace

TEST(Utilities, MinimizeFloatFormat) {
  EXPECT_EQ(Minimized("1.500000e+003"), "1.5e+003");
  EXPECT_EQ(Minimized("2.000000"), "2");
  EXPECT_EQ(Minimized("2.000000", 1), "2.");
  EXPECT_EQ(Minimized("3.000000e+000"), "3");
  EXPECT_EQ(Minimized("1.250000e-000"), "1.25");
  EXPECT_EQ(Minimized("1.50000(0x00018000)"), "1.5(0x00018000)");
  EXPECT_EQ(Minimized("100"), "100");
  EXPECT_EQ(Minimized("1.000000e-010"), "1e-010");
  // A hexadecimal E is no exponent.
  EXPECT_EQ(Minimized("2.00000(0x0002E000)"), "2(0x0002E000)");
  EXPECT_EQ(Minimized(""), "");
  EXPECT_EQ(Minimized("."), "");
}

TEST(Utilities, PrintDoubleValue) {
  EXPECT_EQ(PrintDouble(1234.5678, VAR_DOUBLE), "1234.5678");
  // The algorithm gives fixed notation here: 6 - (-4) = 10 decimals, minimized.
  EXPECT_EQ(PrintDouble(0.000012345, VAR_FLOAT), "0.000012345");
  EXPECT_EQ(PrintDouble(0.000000012345, VAR_FLOAT), "1.2345e-008");
  EXPECT_EQ(PrintDouble(0, VAR_DOUBLE), "0");
  EXPECT_EQ(PrintDouble(30000, VAR_INT), "3e+004");
  EXPECT_EQ(PrintDouble(12.5, VAR_INT), "12.5");
  EXPECT_EQ(PrintDouble(-2.25, VAR_DOUBLE, 1), "-2.3");
  EXPECT_EQ(PrintDouble(1.0, VAR_DOUBLE, 3), "1");
  // Negative decimals ask for significant digits.
  EXPECT_EQ(PrintDouble(1234.5678, VAR_DOUBLE, -1), "1.23e+003");
  EXPECT_EQ(PrintDouble(123456789.0, VAR_DOUBLE), "1.2345679e+008");
  EXPECT_FALSE(PrintDouble(INFINITY, VAR_DOUBLE).IsEmpty());
  EXPECT_EQ(PrintDouble(1e300, VAR_DOUBLE, INT32_MIN), "1e+300");
}

TEST(Utilities, PrintAndScanDecimalValues) {
  CString s;
  double v = -3.9;
  PrintDecimalValue(v, VAR_INT, s, 2);
  EXPECT_EQ(s, "-3");
  v = 70000.7;
  PrintDecimalValue(v, VAR_UINT, s, 0);
  EXPECT_EQ(s, "4464");  // cut to 16 bits
  v = 4294967295.0;
  PrintDecimalValue(v, VAR_ULONG, s, 0);
  EXPECT_EQ(s, "4294967295");
  v = -7.9;
  PrintDecimalValue(v, VAR_LONG, s, 0);
  EXPECT_EQ(s, "-7");
  v = 1.23456;
  PrintDecimalValue(v, VAR_FIXED, s, 3);
  EXPECT_EQ(s, "1.235");
  v = 2.0;
  PrintDecimalValue(v, VAR_DOUBLE, s, 4);
  EXPECT_EQ(s, "2");
  s = "unchanged";
  PrintDecimalValue(v, (tagVarType)0, s, 4);
  EXPECT_EQ(s, "unchanged");
  v = 1e30;
  PrintDecimalValue(v, VAR_LONG, s, 0);  // out of range: no undefined conversion
  EXPECT_EQ(s, "0");

  CString text("40000");
  ASSERT_TRUE(ScanDecimalValue(v, VAR_INT, text));
  EXPECT_EQ(v, 32767);
  text = "1.6";
  ASSERT_TRUE(ScanDecimalValue(v, VAR_FIXED, text));
  EXPECT_EQ(v, std::floor(1.6 * 65536 + 0.5) / 65536);
  text = "x";
  v = 5;
  EXPECT_FALSE(ScanDecimalValue(v, VAR_DOUBLE, text));
  EXPECT_EQ(v, 5);
}

TEST(Utilities, HexaNumbers) {
  double v = 0;
  CString text("123456789ABC");
  ASSERT_TRUE(ScanHexaNumber(v, 3, text));
  ULONGLONG bits;
  std::memcpy(&bits, &v, sizeof bits);
  EXPECT_EQ(bits >> 32, 0x1234u);
  EXPECT_EQ(bits & 0xFFFFFFFFu, 0x56789ABCu);
  CString out;
  PrintHexaNumber(v, 3, out);
  EXPECT_EQ(out, "123456789ABC");

  text = "0123456789ABCDEF";
  ASSERT_TRUE(ScanHexaNumber(v, 4, text));
  PrintHexaNumber(v, 4, out);
  EXPECT_EQ(out, "0123456789ABCDEF");

  text = "FFFFFFFF";
  ASSERT_TRUE(ScanHexaNumber(v, 2, text));
  EXPECT_EQ(v, 4294967295.0);
  PrintHexaNumber(v, 2, out);
  EXPECT_EQ(out, "FFFFFFFF");

  text = "12345";
  ASSERT_TRUE(ScanHexaNumber(v, 1, text));
  EXPECT_EQ(v, 0x2345);
  PrintHexaNumber(v, 1, out);
  EXPECT_EQ(out, "2345");

  text = "zz";
  v = 9;
  EXPECT_FALSE(ScanHexaNumber(v, 2, text));
  text = "zz12345678";
  EXPECT_FALSE(ScanHexaNumber(v, 3, text));
  EXPECT_EQ(v, 9);
}

TEST(Utilities, LocateMemoryAddress) {
  WORD a = 0;
  tagVarType t = VAR_DOUBLE;
  ASSERT_TRUE(LocateMemoryAddress("long@0x1000", a, t));
  EXPECT_EQ(t, VAR_LONG);
  EXPECT_EQ(a, 0x1000);
  ASSERT_TRUE(LocateMemoryAddress("@100", a, t));
  EXPECT_EQ(t, VAR_INT);
  EXPECT_EQ(a, 100);
  ASSERT_TRUE(LocateMemoryAddress("UFixed@010", a, t));
  EXPECT_EQ(t, VAR_UFIXED);
  EXPECT_EQ(a, 8);  // octal
  EXPECT_FALSE(LocateMemoryAddress("x1000", a, t));
  EXPECT_EQ(t, VAR_INVALID);
  EXPECT_FALSE(LocateMemoryAddress("word@1", a, t));
  EXPECT_FALSE(LocateMemoryAddress("int@", a, t));
  EXPECT_FALSE(LocateMemoryAddress("int@zz", a, t));
}

TEST(Utilities, RoundingAndPowers) {
  EXPECT_NEAR(RoundDecimalValue(2.345, 2), 2.35, 1e-12);
  EXPECT_DOUBLE_EQ(RoundDecimalValue(-2.5, 0), -2);
  EXPECT_NEAR(TruncateDecimalValue(-1.25, 1), -1.3, 1e-12);
  EXPECT_NEAR(TruncateDecimalValue(1.29, 1), 1.2, 1e-12);
  EXPECT_EQ(PowerOf10(0), 1);
  EXPECT_EQ(PowerOf10(3), 1000);
  EXPECT_NEAR(PowerOf10(-2), 0.01, 1e-18);
  EXPECT_NEAR(RoundDecimalValue(1234.0, -2), 1200, 1e-9);
}

TEST(Utilities, DivisorsAndModulo) {
  EXPECT_EQ(GreatestCommonDivisor(12, 18), 6);
  EXPECT_EQ(GreatestCommonDivisor(7, 0), 7);
  EXPECT_EQ(GreatestCommonDivisor(0, 5), 5);
  EXPECT_EQ(GreatestCommonDivisor(-12, 18), 6);
  EXPECT_EQ(GreatestCommonDivisor(12, -18), -6);
  EXPECT_EQ(GreatestCommonDivisor(INT32_MIN, -1), 0);
  EXPECT_EQ(GreatestCommonDivisor(-1, INT32_MIN), -1);
  EXPECT_EQ(GreatestCommonDivisor(INT32_MIN, INT32_MIN), INT32_MIN);

  EXPECT_EQ(PositiveModulo(-7, 3), 2);
  EXPECT_EQ(PositiveModulo(-7, -3), 2);
  EXPECT_EQ(PositiveModulo(7, 3), 1);
  EXPECT_EQ(PositiveModulo(5, 0), 0);
  EXPECT_EQ(PositiveModulo(INT32_MIN, -1), 0);
  EXPECT_EQ(PositiveModulo(-1, INT32_MIN), INT32_MAX);
  EXPECT_EQ(PositiveModulo(INT32_MIN, 7), 5);
}

TEST(Utilities, RationalApproximation) {
  WORD n = 0, d = 0;
  ASSERT_TRUE(RationalApproximation(0.5, n, d));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(d, 2);
  ASSERT_TRUE(RationalApproximation(0.0, n, d));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(d, 1);
  ASSERT_TRUE(RationalApproximation(2.75, n, d));
  EXPECT_EQ(n, 11);
  EXPECT_EQ(d, 4);
  ASSERT_TRUE(RationalApproximation(M_PI, n, d));
  EXPECT_LT(std::fabs((double)n / d - M_PI), 1e-6);
  // Answered again from the cache.
  WORD n2 = 0, d2 = 0;
  ASSERT_TRUE(RationalApproximation(M_PI, n2, d2));
  EXPECT_EQ(n2, n);
  EXPECT_EQ(d2, d);
  n = d = 77;
  EXPECT_FALSE(RationalApproximation(70000.0, n, d));
  EXPECT_FALSE(RationalApproximation(-0.5, n, d));
  EXPECT_FALSE(RationalApproximation(NAN, n, d));
  EXPECT_FALSE(RationalApproximation(1e-9, n, d));
  EXPECT_EQ(n, 77);
  ASSERT_TRUE(RationalApproximation(65535.0, n, d));
  EXPECT_EQ(n, 65535);
  EXPECT_EQ(d, 1);
}

TEST(Utilities, SymbolChecks) {
  CString s("  _axis(2) ");
  EXPECT_EQ(CheckSymbolName(s), 0u);
  EXPECT_EQ(s, "_axis(2)");
  s = "2axis";
  EXPECT_EQ(CheckSymbolName(s), 20046u);
  s = "a-b";
  EXPECT_EQ(CheckSymbolName(s), 20046u);
  s = "   ";
  EXPECT_EQ(CheckSymbolName(s), 20036u);

  s = "-1.5";
  EXPECT_EQ(CheckSymbolOrNumber(s), 0u);
  s = "x(1).y";
  EXPECT_EQ(CheckSymbolOrNumber(s), 0u);
  s = "*x";
  EXPECT_EQ(CheckSymbolOrNumber(s), 20046u);
  s = "1e-5";
  EXPECT_EQ(CheckSymbolOrNumber(s), 20050u);
  s = "";
  EXPECT_EQ(CheckSymbolOrNumber(s), 20036u);

  s = " a, b_1 ,c(2)";
  EXPECT_EQ(CheckSymbolsList(s), 0u);
  s = "a,,b";
  EXPECT_EQ(CheckSymbolsList(s), 20036u);
  s = "a, 9b";
  EXPECT_EQ(CheckSymbolsList(s), 20046u);
}

TEST(Utilities, FileNamesAndExistence) {
  EXPECT_TRUE(IsValidFilename("setup 1.cfg"));
  for (const char* bad : {"", "a\\b", "a/b", "a*", "a?", "a<", "a>", "a\"", "it's"}) EXPECT_FALSE(IsValidFilename(bad)) << bad;
  EXPECT_FALSE(IsValidFilename(nullptr));

  std::string dir = dravonix::test::ScratchDir("exist");
  Touch(dir + "/f.txt");
  EXPECT_TRUE(ExistFile((dir + "/f.txt").c_str()));
  EXPECT_FALSE(ExistFile(dir.c_str()));
  EXPECT_FALSE(ExistFile((dir + "/none").c_str()));
  EXPECT_FALSE(ExistFile((dir + "/.").c_str()));
  EXPECT_FALSE(ExistFile(nullptr));
  EXPECT_TRUE(ExistDirectory(dir.c_str()));
  EXPECT_FALSE(ExistDirectory((dir + "/f.txt").c_str()));
  EXPECT_FALSE(ExistDirectory(nullptr));
}

TEST(Utilities, CreateListCopyAndRemoveFolders) {
  std::string root = dravonix::test::ScratchDir("dirs");
  CString deep = CString(root.c_str()) + "\\a\\b\\c";
  ASSERT_TRUE(CreateDir(deep));
  EXPECT_TRUE(ExistDirectory(deep));
  EXPECT_TRUE(CreateDir(deep));  // already there

  Touch(root + "/a/one.txt", "1");
  Touch(root + "/a/b/c/two.txt", "22");
  ::mkdir((root + "/a/.hidden").c_str(), 0755);
  Touch(root + "/a/.hidden/skip.txt");
  CStringArray files;
  GetFilesOfDir(CString(root.c_str()) + "\\a", files);
  ASSERT_EQ(files.GetSize(), 2);
  EXPECT_EQ(files[0], CString(root.c_str()) + "\\a\\one.txt");
  EXPECT_EQ(files[1], CString(root.c_str()) + "\\a\\b\\c\\two.txt");

  CStringArray from, to;
  from.Add(files[0]);
  from.Add(files[1]);
  from.Add(files[1]);  // no destination: ignored
  to.Add(CString(root.c_str()) + "\\copy\\x\\one.txt");
  to.Add(CString(root.c_str()) + "\\COPY\\x\\two.txt");
  ASSERT_TRUE(CopyFiles(from, to, TRUE));
  EXPECT_EQ(ReadFileText(root + "/copy/x/one.txt"), "1");
  EXPECT_EQ(ReadFileText(root + "/copy/x/two.txt"), "22");

  // A read-only file is made writable and removed too.
  ::chmod((root + "/a/one.txt").c_str(), 0444);
  ASSERT_TRUE(RemoveDir(CString(root.c_str()) + "\\a", TRUE));
  EXPECT_FALSE(ExistDirectory((root + "/a").c_str()));
}

TEST(Utilities, FileFailuresShowTheLastError) {
  auto& automation = Automation::Instance();
  automation.ClearMessageBoxes();
  std::string root = dravonix::test::ScratchDir("fail");
  EXPECT_FALSE(RemoveDir(CString(root.c_str()) + "\\missing", TRUE));
  ASSERT_EQ(automation.MessageBoxes().size(), 1u);
  EXPECT_EQ(automation.MessageBoxes()[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
  EXPECT_NE(automation.MessageBoxes()[0].text, "Unknown error");
  EXPECT_FALSE(RemoveDir(CString(root.c_str()) + "\\missing", FALSE));
  EXPECT_EQ(automation.MessageBoxes().size(), 1u);

  CStringArray from, to;
  from.Add(CString(root.c_str()) + "\\nothing.txt");
  to.Add(CString(root.c_str()) + "\\out\\nothing.txt");
  EXPECT_FALSE(CopyFiles(from, to, TRUE));
  EXPECT_EQ(automation.MessageBoxes().size(), 2u);
}

TEST(Utilities, LastErrorText) {
  SetLastError(0);
  EXPECT_EQ(GetLastErrorText(), "Unknown error");
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLastErrorText().Left(14), "The system can");
  SetLastError(0xDEAD0);
  EXPECT_EQ(GetLastErrorText(), "Error code 0xDEAD0");
}

TEST(Utilities, ReplaceUpdateProgram) {
  std::string native = dravonix::test::KernelDir() + "/";
  ::remove((native + "update_new.exe").c_str());
  EXPECT_TRUE(ReplaceUpdateProgram());
  Touch(native + "update_new.exe", "new");
  Touch(native + "update.exe", "old");
  EXPECT_TRUE(ReplaceUpdateProgram());
  EXPECT_EQ(ReadFileText(native + "update.exe"), "new");
  EXPECT_FALSE(ExistFile((native + "update_new.exe").c_str()));

  // A read-only update.exe cannot be replaced.
  Touch(native + "update_new.exe", "newer");
  ::chmod((native + "update.exe").c_str(), 0444);
  auto& automation = Automation::Instance();
  automation.ClearMessageBoxes();
  EXPECT_FALSE(ReplaceUpdateProgram());
  ASSERT_EQ(automation.MessageBoxes().size(), 1u);
  EXPECT_EQ(automation.MessageBoxes()[0].text,
            "The update.exe program needs to be replaced with a newer version, but you don't have the necessary "
            "rights to do it!\n\nPlease run this program as administrator, exit, then run again as normal user.");
  ::chmod((native + "update.exe").c_str(), 0644);
  ::remove((native + "update_new.exe").c_str());
  ::remove((native + "update.exe").c_str());
}
