#include "kernel/values/MC_Value.h"

#include "comm/MC_Comm.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/support/SimulatedDrive.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

CMC_Value Raw(DWORD raw) {
  CMC_Value v;
  v.m_dwULong = raw;
  return v;
}

CMC_Value Of(tagVarType type, double d) {
  CMC_Value v;
  v.SetValue(type, d);
  return v;
}

const tagVarType kAllTypes[] = {VAR_INT, VAR_UINT, VAR_LONG, VAR_ULONG, VAR_FLOAT, VAR_DOUBLE, VAR_FIXED, VAR_UFIXED};

}  // namespace

TEST(Value, TypeNamesAndSizes) {
  EXPECT_EQ(GetType("Ulong"), VAR_ULONG);
  EXPECT_EQ(GetType("UFIXED"), VAR_UFIXED);
  EXPECT_EQ(GetType("int"), VAR_INT);
  EXPECT_EQ(GetType("word"), VAR_INVALID);
  EXPECT_EQ(GetType(""), VAR_INVALID);
  EXPECT_EQ(GetType(nullptr), VAR_INVALID);
  EXPECT_STREQ(GetTypeName(VAR_DOUBLE), "DOUBLE");
  EXPECT_STREQ(GetTypeName(VAR_UINT), "UINT");
  EXPECT_EQ(GetTypeName((tagVarType)0), nullptr);
  EXPECT_EQ(GetTypeName((tagVarType)9), nullptr);
  const WORD sizes[] = {1, 1, 2, 2, 2, 4, 2, 2};
  for (int t = 1; t <= 8; ++t) EXPECT_EQ(CMC_Value::GetSizeInWords((tagVarType)t), sizes[t - 1]) << t;
  EXPECT_EQ(CMC_Value::GetSizeInWords(VAR_INVALID), 0);
  EXPECT_EQ(CMC_Value::GetSizeInWords((tagVarType)9), 0);
  EXPECT_TRUE(IsFloatingPoint(VAR_FLOAT));
  EXPECT_TRUE(IsFloatingPoint(VAR_DOUBLE));
  EXPECT_FALSE(IsFloatingPoint(VAR_FIXED));
  EXPECT_TRUE(IsFixedPoint(VAR_UFIXED));
  EXPECT_FALSE(IsFixedPoint(VAR_LONG));
}

TEST(Value, SetValueClampsAndRoundsHalfUp) {
  EXPECT_EQ(Of(VAR_INT, 40000.0).m_nInt, 32767);
  EXPECT_EQ(Of(VAR_INT, -40000.0).m_nInt, -32768);
  EXPECT_EQ(Of(VAR_INT, -2.5).m_nInt, -2);
  EXPECT_EQ(Of(VAR_INT, 2.5).m_nInt, 3);
  EXPECT_EQ(Of(VAR_UINT, -3.0).m_nUInt, 0);
  EXPECT_EQ(Of(VAR_UINT, 65535.4).m_nUInt, 65535);
  EXPECT_EQ(Of(VAR_LONG, -3e12).m_lLong, INT32_MIN);
  EXPECT_EQ(Of(VAR_ULONG, 5e12).m_dwULong, 4294967295u);
  EXPECT_EQ(Of(VAR_FIXED, 1.5).m_dwULong, 0x00018000u);
  EXPECT_EQ(Of(VAR_FIXED, -1.0).m_dwULong, 0xFFFF0000u);
  EXPECT_EQ(Of(VAR_FIXED, 40000.0).m_dwULong, 0x7FFFFFFFu);
  EXPECT_EQ(Of(VAR_FIXED, -40000.0).m_dwULong, 0x80000000u);
  EXPECT_EQ(Of(VAR_UFIXED, 70000.0).m_dwULong, 0xFFFFFFFFu);
  EXPECT_EQ(Of(VAR_UFIXED, -1.0).m_dwULong, 0u);
  EXPECT_EQ(Of(VAR_FLOAT, 1e300).m_fFloat, FLT_MAX);
  EXPECT_EQ(Of(VAR_FLOAT, -1e300).m_fFloat, -FLT_MAX);
  EXPECT_EQ(Of(VAR_DOUBLE, 0.1).m_dDouble, 0.1);
  // Not a number stores zero in the integer types rather than an undefined conversion.
  EXPECT_EQ(Of(VAR_LONG, NAN).m_lLong, 0);
  EXPECT_EQ(Of(VAR_UFIXED, NAN).m_dwULong, 0u);
  EXPECT_TRUE(std::isnan(Of(VAR_DOUBLE, NAN).m_dDouble));
}

TEST(Value, SetValueWritesOnlyTheTypesBytes) {
  CMC_Value v;
  v.m_dDouble = 123456.789;
  CMC_Value before = v;
  v.SetValue(VAR_INT, 7.0);
  EXPECT_EQ(v.m_nInt, 7);
  EXPECT_EQ(std::memcmp(v.m_bytes + 2, before.m_bytes + 2, 6), 0);

  v = before;
  v.SetValue(VAR_FLOAT, 2.0);
  EXPECT_EQ(std::memcmp(v.m_bytes + 4, before.m_bytes + 4, 4), 0);

  v = before;
  v.SetValue((tagVarType)0, 5.0);
  v.SetValue((tagVarType)9, 5.0);
  v.SetValue(VAR_INVALID, 5.0);
  EXPECT_EQ(std::memcmp(v.m_bytes, before.m_bytes, 8), 0);
}

TEST(Value, NewValueIsZeroAndCopiesAllBytes) {
  CMC_Value v;
  for (BYTE b : v.m_bytes) EXPECT_EQ(b, 0);
  v.m_dDouble = -1.25;
  CMC_Value c(v);
  EXPECT_EQ(c.m_dDouble, -1.25);
  v.zero();
  EXPECT_EQ(v.m_dDouble, 0.0);
}

TEST(Value, GetValueReadsSignedAndUnsigned) {
  CMC_Value v = Raw(0xFFFFFFFFu);
  EXPECT_EQ(v.GetValue(VAR_INT), -1);
  EXPECT_EQ(v.GetValue(VAR_UINT), 65535);
  EXPECT_EQ(v.GetValue(VAR_LONG), -1);
  EXPECT_EQ(v.GetValue(VAR_ULONG), 4294967295.0);
  EXPECT_EQ(v.GetValue(VAR_FIXED), -1.52587890625e-5);
  EXPECT_EQ(v.GetValue(VAR_UFIXED), 4294967295.0 / 65536.0);
  EXPECT_EQ(v.GetValue((tagVarType)12), 0);
}

TEST(Value, MinimaMaximaAndComparison) {
  EXPECT_EQ(CMC_Value::GetMinOfType(VAR_FIXED).GetValue(VAR_FIXED), -32768.0);
  EXPECT_EQ(CMC_Value::GetMaxOfType(VAR_UFIXED).m_dwULong, 0xFFFFFFFFu);
  EXPECT_EQ(CMC_Value::GetMaxOfType((tagVarType)0).m_dDouble, 0.0);
  for (tagVarType t : kAllTypes) {
    EXPECT_TRUE(CMC_Value::GetMinOfType(t).IsMinOfType(t)) << t;
    EXPECT_TRUE(CMC_Value::GetMaxOfType(t).IsMaxOfType(t)) << t;
    EXPECT_FALSE(CMC_Value::GetMaxOfType(t).IsMinOfType(t)) << t;
    EXPECT_LT(CMC_Value::Compare(t, CMC_Value::GetMinOfType(t), CMC_Value::GetMaxOfType(t)), 0) << t;
    EXPECT_GT(CMC_Value::Compare(t, CMC_Value::GetMaxOfType(t), CMC_Value::GetMinOfType(t)), 0) << t;
    EXPECT_EQ(CMC_Value::Compare(t, Of(t, 3), Of(t, 3)), 0) << t;
  }
  // Unsigned types compare unsigned, signed ones signed.
  EXPECT_GT(CMC_Value::Compare(VAR_ULONG, Raw(0x80000000u), Raw(1)), 0);
  EXPECT_LT(CMC_Value::Compare(VAR_LONG, Raw(0x80000000u), Raw(1)), 0);
  EXPECT_LT(CMC_Value::Compare(VAR_FIXED, Raw(0x80000000u), Raw(1)), 0);
  EXPECT_GT(CMC_Value::Compare(VAR_UFIXED, Raw(0x80000000u), Raw(1)), 0);
  EXPECT_EQ(CMC_Value::Compare(VAR_DOUBLE, Of(VAR_DOUBLE, NAN), Of(VAR_DOUBLE, 1)), 0);
  EXPECT_EQ(CMC_Value::Compare(VAR_INVALID, Raw(1), Raw(2)), 0);
}

TEST(Value, StepsStopAtTheEndsOfTheRange) {
  CMC_Value v = Of(VAR_UINT, 65535);
  EXPECT_EQ(v.IncValue(VAR_UINT), 0);
  EXPECT_EQ(v.m_nUInt, 65535);
  EXPECT_EQ(v.DecValue(VAR_UINT), 1);
  EXPECT_EQ(v.m_nUInt, 65534);

  v = CMC_Value::GetMinOfType(VAR_LONG);
  EXPECT_EQ(v.DecValue(VAR_LONG), 0);
  EXPECT_EQ(v.m_lLong, INT32_MIN);

  v = Of(VAR_FIXED, 1.0);
  EXPECT_EQ(v.IncValue(VAR_FIXED), 1);
  EXPECT_EQ(v.m_dwULong, 0x00010001u);

  v.zero();
  EXPECT_EQ(v.IncValue(VAR_FLOAT), 1);
  EXPECT_GT(v.m_fFloat, 0.0f);
  EXPECT_LT(v.m_fFloat, 1e-44f);
  v = CMC_Value::GetMaxOfType(VAR_FLOAT);
  EXPECT_EQ(v.IncValue(VAR_FLOAT), 0);
  EXPECT_EQ(v.m_fFloat, FLT_MAX);
  v = CMC_Value::GetMinOfType(VAR_DOUBLE);
  EXPECT_EQ(v.DecValue(VAR_DOUBLE), 0);
  v = Of(VAR_DOUBLE, 1.0);
  EXPECT_EQ(v.DecValue(VAR_DOUBLE), 1);
  EXPECT_LT(v.m_dDouble, 1.0);
  EXPECT_EQ(v.IncValue((tagVarType)9), 0);
}

TEST(Value, WordOrderLowWordFirst) {
  CMC_Value v = Raw(0x12345678u);
  WORD w[4] = {0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA};
  v.WriteToBuffer(VAR_LONG, w);
  EXPECT_EQ(w[0], 0x5678);
  EXPECT_EQ(w[1], 0x1234);
  EXPECT_EQ(w[2], 0xAAAA);
  v.WriteToBuffer(VAR_INT, w + 2);
  EXPECT_EQ(w[2], 0x5678);
  EXPECT_EQ(w[3], 0xAAAA);

  WORD d[4] = {0x0000, 0x0000, 0x0000, 0x3FF0};  // 1.0
  CMC_Value r;
  r.ReadFromBuffer(VAR_DOUBLE, d);
  EXPECT_EQ(r.m_dDouble, 1.0);
  WORD back[4];
  r.WriteToBuffer(VAR_DOUBLE, back);
  EXPECT_EQ(std::memcmp(back, d, sizeof d), 0);

  CMC_Value untouched = Raw(7);
  untouched.ReadFromBuffer((tagVarType)0, d);
  EXPECT_EQ(untouched.m_dwULong, 7u);
}

TEST(Value, TextForms) {
  EXPECT_EQ(Raw(0x00018000).SaveValue(VAR_FIXED), "1.5(0x00018000)");
  EXPECT_EQ(Raw(0x00010000).PrintValueForZUR(VAR_UFIXED), "1.U");
  EXPECT_EQ(Raw(0x00010000).PrintValueForZUR(VAR_FIXED), "1.");
  EXPECT_EQ(Raw(0x00010000).PrintValue(VAR_FIXED), "1");
  EXPECT_EQ(Raw(0x00010000).SaveValue(VAR_UFIXED), "1(0x00010000)");
  EXPECT_EQ(Raw(0xFFFF8000).PrintValue(VAR_FIXED), "-0.5");
  EXPECT_EQ(Raw(0x00000001).PrintValue(VAR_FIXED), "0.00002");

  EXPECT_EQ(Of(VAR_INT, -2).SaveValue(VAR_INT), "-2(0xFFFE)");
  EXPECT_EQ(Of(VAR_INT, -2).PrintValueForZUR(VAR_INT), "-2");
  EXPECT_EQ(Of(VAR_UINT, 40000).PrintValueForZUR(VAR_UINT), "40000U");
  EXPECT_EQ(Of(VAR_UINT, 40000).SaveValue(VAR_UINT), "40000(0x9C40)");
  EXPECT_EQ(Of(VAR_LONG, -5).PrintValueForZUR(VAR_LONG), "-5L");
  EXPECT_EQ(Of(VAR_LONG, -5).SaveValue(VAR_LONG), "-5(0xFFFFFFFB)");
  EXPECT_EQ(Of(VAR_ULONG, 4e9).PrintValue(VAR_ULONG), "4000000000");
  EXPECT_EQ(Of(VAR_ULONG, 4e9).PrintValueForZUR(VAR_ULONG), "4000000000U");

  EXPECT_EQ(Of(VAR_FLOAT, 1500).SaveValue(VAR_FLOAT), "1.5e+003");
  EXPECT_EQ(Of(VAR_FLOAT, 3).SaveValue(VAR_FLOAT), "3");
  EXPECT_EQ(Of(VAR_DOUBLE, 0.1).SaveValue(VAR_DOUBLE), "1e-001");
  EXPECT_EQ(Of(VAR_DOUBLE, 1234.5678).PrintValue(VAR_DOUBLE), "1234.5678");
  EXPECT_EQ(Of(VAR_DOUBLE, 0).PrintValue(VAR_DOUBLE), "0");
  EXPECT_EQ(Of(VAR_FLOAT, 0.25).PrintValueForZUR(VAR_FLOAT), "0.25");

  EXPECT_EQ(Raw(5).PrintValue((tagVarType)0), "");
  EXPECT_EQ(Raw(5).SaveValue(VAR_INVALID), "");
  EXPECT_EQ(Raw(5).PrintValueForZUR((tagVarType)9), "");
}

TEST(Value, ScanValueParsesClampsAndIgnoresTheRawPart) {
  CMC_Value v;
  ASSERT_TRUE(v.ScanValue("1.5(0x00018000)", VAR_FIXED));
  EXPECT_EQ(v.m_dwULong, 0x00018000u);
  ASSERT_TRUE(v.ScanValue("  -2(0x1234)", VAR_INT));
  EXPECT_EQ(v.m_nInt, -2);
  ASSERT_TRUE(v.ScanValue("99999", VAR_INT));
  EXPECT_EQ(v.m_nInt, 32767);
  ASSERT_TRUE(v.ScanValue("1.5e+003", VAR_FLOAT));
  EXPECT_EQ(v.m_fFloat, 1500.0f);

  v = Raw(0x11223344);
  EXPECT_FALSE(v.ScanValue("abc", VAR_LONG));
  EXPECT_FALSE(v.ScanValue("", VAR_LONG));
  EXPECT_FALSE(v.ScanValue(nullptr, VAR_LONG));
  EXPECT_FALSE(v.ScanValue("5", VAR_INVALID));
  EXPECT_EQ(v.m_dwULong, 0x11223344u);
}

TEST(Value, SavedTextsReadBackToTheSameValue) {
  // The last two need more digits than seven (float) or fifteen (double).
  const double samples[] = {0,      1,  -1, 0.5, 3.14159, -123.456, 1e-7, 65535.9, -32768, 2147483647.0, 1e30,
                            16777215, 1.0000001192092896, 0.1 + 0.2};
  for (tagVarType t : kAllTypes) {
    for (double d : samples) {
      CMC_Value v = Of(t, d);
      CMC_Value back;
      ASSERT_TRUE(back.ScanValue(v.SaveValue(t), t)) << t << " " << d;
      EXPECT_EQ(CMC_Value::Compare(t, back, v), 0) << t << " " << d << " " << v.SaveValue(t).GetString();
    }
  }
}

TEST(Value, SliderRange) {
  CMC_Value scratch;
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_INT, 0, 10), 65535u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_LONG, 0, 100000), 100000u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_LONG, 100000, 0), 100000u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_FIXED, 0, 2), 131072u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_INT, 5, 5), 1u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_FLOAT, 0, 1), 1000u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_DOUBLE, -1e300, 1e300), 1000u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_ULONG, 0, 1e12), 4294967295u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_LONG, -3e9, 3e9), 2147483647u);
  // A span that rounds to zero raw units.
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_INT, 0, 0.2), 1u);
  EXPECT_EQ(scratch.GetRangeForSliderCtrl(VAR_INT, 0, NAN), 1u);
  // A type no value has changes nothing and gives no steps, even for an empty span.
  scratch.m_dDouble = 2.5;
  for (int type : {-1, 0, 9}) {
    EXPECT_EQ(scratch.GetRangeForSliderCtrl((tagVarType)type, 0, 10), 0u) << type;
    EXPECT_EQ(scratch.GetRangeForSliderCtrl((tagVarType)type, 5, 5), 0u) << type;
  }
  EXPECT_EQ(scratch.m_dDouble, 2.5);
}

TEST(Value, MemorySpaceByAddress) {
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x3FFF), 1);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x4000), 2);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x7FFF), 2);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0x8000), 1);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0), 1);
  EXPECT_EQ(CMC_Value::GetMemorySpace(0xFFFF), 1);
}

namespace {

class ValueOnDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    CMC_Comm::Close();
    CMC_Comm::nShowErr = 0;
    Automation::Instance().Reset();
    Clock::UseVirtualTime();
    DriveSimulator::Reset();
    ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
    DriveSimulator::ClearCallLog();
  }
  void TearDown() override {
    dravonix::test::StopOnlineDrive();
    Automation::Instance().Reset();
  }
  // Address, memory space and word count of the transfers logged since the last clear.
  static std::vector<std::array<uint32_t, 3>> Transfers(const char* function) {
    std::vector<std::array<uint32_t, 3>> out;
    for (auto& c : DriveSimulator::CallLog())
      if (std::string(c.function) == function) out.push_back({c.args[0], c.args[1], c.args[2]});
    return out;
  }
};

}  // namespace

TEST_F(ValueOnDrive, MemorySpaceChosenByAddress) {
  const WORD addresses[] = {0x3FFF, 0x4000, 0x7FFF, 0x8000};
  const uint8_t spaces[] = {1, 2, 2, 1};
  for (int i = 0; i < 4; ++i) {
    WORD w = (WORD)(0x1110 * (i + 1));
    ASSERT_TRUE(DriveSimulator::WriteMemory(1, spaces[i], addresses[i], &w, 1));
  }
  for (int i = 0; i < 4; ++i) {
    CMC_Value v;
    ASSERT_TRUE(v.ReadFromChip(VAR_UINT, addresses[i])) << addresses[i];
    EXPECT_EQ(v.m_nUInt, 0x1110 * (i + 1));
  }
  auto reads = Transfers("DAV_ReceiveData");
  ASSERT_EQ(reads.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(reads[i][0], addresses[i]);
    EXPECT_EQ(reads[i][1], spaces[i]) << std::hex << addresses[i];
    EXPECT_EQ(reads[i][2], 1u);
  }
}

TEST_F(ValueOnDrive, WritesLowWordFirstAndReadsBack) {
  CMC_Value v = Raw(0x12345678);
  ASSERT_TRUE(v.WriteToChip(VAR_LONG, 0x8200));
  WORD w[2];
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x8200, w, 2));
  EXPECT_EQ(w[0], 0x5678);
  EXPECT_EQ(w[1], 0x1234);

  CMC_Value d = Of(VAR_DOUBLE, -1234.5e-7);
  ASSERT_TRUE(d.WriteToChip(VAR_DOUBLE, 0x4100));
  CMC_Value back;
  ASSERT_TRUE(back.ReadFromChip(VAR_DOUBLE, 0x4100));
  EXPECT_EQ(back.m_dDouble, d.m_dDouble);
  auto writes = Transfers("DAV_SendData");
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[1][1], 2u);  // E2ROM window
  EXPECT_EQ(writes[1][2], 4u);
}

TEST_F(ValueOnDrive, FailedReadKeepsTheValue) {
  CMC_Value v = Raw(0xCAFE);
  DriveSimulator::FailNextCalls(1, "Time-out", "DAV_ReceiveData");
  EXPECT_FALSE(v.ReadFromChip(VAR_LONG, 0x8200));
  EXPECT_EQ(v.m_dwULong, 0xCAFEu);
  DriveSimulator::FailNextCalls(1, "Time-out", "DAV_SendData");
  EXPECT_FALSE(v.WriteToChip(VAR_LONG, 0x8200));
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());  // nShowErr 0: no box

  // An invalid type hands a word count of 0 to the gate and changes nothing.
  DriveSimulator::ClearCallLog();
  v.ReadFromChip((tagVarType)0, 0x8200);
  EXPECT_EQ(v.m_dwULong, 0xCAFEu);
  auto reads = Transfers("DAV_ReceiveData");
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0][2], 0u);
}
