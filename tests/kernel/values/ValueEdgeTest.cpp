#include "kernel/values/MC_Value.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>

namespace {

CMC_Value RawOf(DWORD raw) {
  CMC_Value v;
  v.m_dwULong = raw;
  return v;
}

}  // namespace

TEST(ValueEdge, SetValueClampsRoundsAndStoresFixedRaw) {
  CMC_Value v;
  v.SetValue(VAR_INT, 40000.0);
  EXPECT_EQ(v.m_nInt, 32767);
  v.SetValue(VAR_INT, -2.5);
  EXPECT_EQ(v.m_nInt, -2);
  v.SetValue(VAR_FIXED, 1.5);
  EXPECT_EQ(v.m_dwULong, 0x00018000u);
  v.SetValue(VAR_UINT, -3.0);
  EXPECT_EQ(v.m_nUInt, 0);
  v.SetValue(VAR_ULONG, 5e12);
  EXPECT_EQ(v.m_dwULong, 4294967295u);
}

TEST(ValueEdge, SixteenBitStoreOverDoubleKeepsTheOtherSixBytes) {
  CMC_Value v;
  v.SetValue(VAR_DOUBLE, 123456.789);
  BYTE before[8];
  std::memcpy(before, v.m_bytes, 8);
  v.SetValue(VAR_INT, 7.0);
  EXPECT_EQ(v.m_nInt, 7);
  EXPECT_EQ(std::memcmp(before + 2, v.m_bytes + 2, 6), 0);
}

TEST(ValueEdge, TextFormsOfFixedValues) {
  EXPECT_STREQ(RawOf(0x00018000).SaveValue(VAR_FIXED), "1.5(0x00018000)");
  EXPECT_STREQ(RawOf(0x00010000).PrintValueForZUR(VAR_UFIXED), "1.U");
  EXPECT_STREQ(RawOf(0x00010000).PrintValue(VAR_FIXED), "1");
}

TEST(ValueEdge, MemorySpaceBoundaries) {
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x3FFF), 1);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x4000), 2);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x7FFF), 2);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x8000), 1);
}

TEST(ValueEdge, StepsRefuseAtTheEnds) {
  CMC_Value v;
  v.m_nUInt = 65535;
  EXPECT_EQ(v.IncValue(VAR_UINT), 0);
  EXPECT_EQ(v.m_nUInt, 65535);
  v.m_lLong = INT32_MIN;
  EXPECT_EQ(v.DecValue(VAR_LONG), 0);
  EXPECT_EQ(v.m_lLong, INT32_MIN);
}

TEST(ValueEdge, SliderRanges) {
  CMC_Value s;
  EXPECT_EQ(s.GetRangeForSliderCtrl(VAR_INT, 0, 10), 65535u);
  EXPECT_EQ(s.GetRangeForSliderCtrl(VAR_LONG, 0, 100000), 100000u);
  EXPECT_EQ(s.GetRangeForSliderCtrl(VAR_LONG, 100000, 0), 100000u);
  EXPECT_EQ(s.GetRangeForSliderCtrl(VAR_FIXED, 0, 2), 131072u);
  EXPECT_EQ(s.GetRangeForSliderCtrl(VAR_INT, 5, 5), 1u);
  EXPECT_EQ(s.GetRangeForSliderCtrl(VAR_FLOAT, 0, 1), 1000u);
}

TEST(ValueEdge, TypeNamesAnyCase) {
  EXPECT_EQ(GetType("Ulong"), VAR_ULONG);
  EXPECT_EQ(GetType("word"), VAR_INVALID);
  EXPECT_EQ(GetType(nullptr), VAR_INVALID);
  EXPECT_EQ(GetTypeName((tagVarType)9), nullptr);
  EXPECT_EQ(CMC_Value::GetSizeInWords((tagVarType)0), 0);
}

TEST(ValueEdge, ScanFailsWithoutANumberAndKeepsTheValue) {
  CMC_Value v;
  v.m_lLong = 42;
  EXPECT_EQ(v.ScanValue("abc", VAR_LONG), 0);
  EXPECT_EQ(v.m_lLong, 42);
  EXPECT_EQ(v.ScanValue("5", VAR_INVALID), 0);
  EXPECT_EQ(v.m_lLong, 42);
  EXPECT_EQ(v.ScanValue("  1.5(0x00018000)", VAR_FIXED), 1);
  EXPECT_EQ(v.m_dwULong, 0x00018000u);
}
