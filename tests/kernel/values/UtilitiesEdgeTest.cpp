#include "kernel/values/Utilities.h"

#include "kernel/document/KernelGlobals.h"
#include "platform/core/FileSystem.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(UtilitiesEdge, PrintDoubleWithoutPrecision) {
  CString s;
  PrintDoubleValue(1234.5678, VAR_DOUBLE, s, -32768);
  EXPECT_STREQ(s, "1234.5678");
  // Beyond six digits from the point a float switches to six significant digits in exponent form.
  PrintDoubleValue(1.23456789e-8, VAR_FLOAT, s, -32768);
  EXPECT_STREQ(s, "1.23457e-008");
  PrintDoubleValue(0.0, VAR_DOUBLE, s, -32768);
  EXPECT_STREQ(s, "0");
}

TEST(UtilitiesEdge, RoundingTruncationAndModulo) {
  EXPECT_NEAR(RoundDecimalValue(2.345, 2), 2.35, 1e-12);
  EXPECT_DOUBLE_EQ(TruncateDecimalValue(-1.25, 1), -1.3);
  EXPECT_EQ(PositiveModulo(-7, 3), 2);
  EXPECT_EQ(PositiveModulo(-7, -3), 2);
  EXPECT_EQ(PositiveModulo(5, 0), 0);
}

TEST(UtilitiesEdge, RationalApproximationLimits) {
  WORD n = 9, d = 9;
  ASSERT_TRUE(RationalApproximation(0.5, n, d));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(d, 2);
  EXPECT_FALSE(RationalApproximation(70000.0, n, d));
  EXPECT_FALSE(RationalApproximation(-0.5, n, d));
}

TEST(UtilitiesEdge, ThreeWordHexaRoundTrip) {
  double v = 0;
  CString text("123456789ABC");
  ASSERT_TRUE(ScanHexaNumber(v, 3, text));
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  EXPECT_EQ(bits >> 32, 0x1234u);
  EXPECT_EQ(bits & 0xFFFFFFFFu, 0x56789ABCu);
  CString out;
  PrintHexaNumber(v, 3, out);
  EXPECT_STREQ(out, "123456789ABC");
}

TEST(UtilitiesEdge, LocateMemoryAddressForms) {
  WORD address = 0;
  tagVarType type = VAR_INT;
  ASSERT_TRUE(LocateMemoryAddress("long@0x1000", address, type));
  EXPECT_EQ(type, VAR_LONG);
  EXPECT_EQ(address, 0x1000);
  ASSERT_TRUE(LocateMemoryAddress("@100", address, type));
  EXPECT_EQ(type, VAR_INT);
  EXPECT_EQ(address, 100);
  EXPECT_FALSE(LocateMemoryAddress("x1000", address, type));
  EXPECT_EQ(type, VAR_INVALID);
  EXPECT_FALSE(LocateMemoryAddress("word@5", address, type));
}

TEST(UtilitiesEdge, SymbolNameCheckWithItsText) {
  CString s("_axis(2)");
  EXPECT_EQ(CheckSymbolName(s), 0u);
  s = "2axis";
  ASSERT_EQ(CheckSymbolName(s), 20046u);
  EXPECT_STREQ(FormatKernelString(20046),
               "Invalid name: this string should contain only alphanumeric characters and begin with a letter or "
               "underscore.");
}

TEST(UtilitiesEdge, CreateDirMakesThreeMissingLevels) {
  std::string root = dravonix::test::ScratchDir("edge_dirs");
  CString deep = CString(root.c_str()) + "\\one\\two\\three";
  ASSERT_FALSE(ExistDirectory(CString(root.c_str()) + "\\one"));
  ASSERT_TRUE(CreateDir(deep));
  EXPECT_TRUE(ExistDirectory(CString(root.c_str()) + "\\one"));
  EXPECT_TRUE(ExistDirectory(CString(root.c_str()) + "\\one\\two"));
  EXPECT_TRUE(ExistDirectory(deep));
}
