// Parameters: unit levels, the IU scale, limits, display texts and parameters.cfg lines.
#include "kernel/params/MC_Parameter.h"
#include "platform/core/Exception.h"
#include "tests/kernel/QuantityTestSupport.h"

#include <cstdio>

namespace {

class ParameterTest : public QuantityTest {
 protected:
  // The line a parameter writes.
  static std::string Written(CMC_Parameter& p) {
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buf, &size);
    int ok = p.WriteToConfig(f);
    fclose(f);
    std::string s(buf, size);
    free(buf);
    return ok ? s : "<failed>";
  }
  int Read(CMC_Parameter& p, const char* text, int lineNumber = 1) {
    m_line = text;
    return p.ReadFromConfig(m_line, "f.cfg", lineNumber);
  }
  CString m_line;
};

TEST_F(ParameterTest, NegativeScaleSwapsLimitsOnWritingAndRestoresThemOnReading) {
  m_setup.SetScale("m", "Kp", -2);
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(p.InitializeMotionParam(VAR_LONG, "Kp", "mm", "0", 0, 0));
  p.SetMinInInternalUnit(-100);
  p.SetMaxInInternalUnit(50);
  // raw 50 is -100 m, raw -100 is 200 m: the user sees min <= max.
  EXPECT_DOUBLE_EQ(p.GetMin(), -100000);
  EXPECT_DOUBLE_EQ(p.GetMax(), 200000);
  EXPECT_DOUBLE_EQ(p.GetMinInBaseUnit(), -100);
  EXPECT_DOUBLE_EQ(p.GetMaxInBaseUnit(), 200);
  EXPECT_EQ(Written(p), "LONG\tKp\t[mm]\t@0x0000\t=0\t>-1e+005\t<2e+005\r\n");

  CMC_Parameter q(m_setup.Setup());
  ASSERT_TRUE(Read(q, "LONG\tKp\t[mm]\t@0x0000\t=0\t>-1e+005\t<2e+005"));
  EXPECT_EQ(q.GetMinInInternalUnit(), -100);
  EXPECT_EQ(q.GetMaxInInternalUnit(), 50);
  EXPECT_EQ(Written(q), Written(p));

  // SetMin in the user unit sets the raw maximum.
  q.SetMin(-50000);  // -50 m = raw 25
  EXPECT_EQ(q.GetMaxInInternalUnit(), 25);
  EXPECT_EQ(q.GetMinInInternalUnit(), -100);
}

TEST_F(ParameterTest, AddressesReadWithCIntegerSyntax) {
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "INT A @0100 =1"));
  EXPECT_EQ(p.GetAddress(), 0x0040);
  ASSERT_TRUE(Read(p, "INT A @0x8000 =1"));
  EXPECT_EQ(p.GetAddress(), 0x8000);
  EXPECT_TRUE(p.IsEngParam());
  ASSERT_TRUE(Read(p, "INT A @49152 =1"));
  EXPECT_EQ(p.GetAddress(), 0xC000);
  EXPECT_TRUE(p.IsComputedParam());
  EXPECT_TRUE(p.IsSpecialParam());
  ASSERT_TRUE(Read(p, "uint\tA\t@0x4000"));
  EXPECT_FALSE(p.IsSpecialParam());
  EXPECT_EQ(p.GetType(), VAR_UINT);
}

TEST_F(ParameterTest, EngineeringParametersConvertWithoutTheGuiModule) {
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "INT\tPos\t[mm]\t@0x8123\t=2000\t<5000"));
  EXPECT_EQ(p.GetValueInInternalUnit(), 2);  // the raw value is in the base unit, m
  EXPECT_DOUBLE_EQ(p.GetValue(), 2000);
  EXPECT_DOUBLE_EQ(p.GetValueInBaseUnit(), 2);
  p.SetValue(4000);
  EXPECT_EQ(p.GetValueInInternalUnit(), 4);
  p.SetValue(9000);  // clamped to the maximum of 5 m
  EXPECT_EQ(p.GetValueInInternalUnit(), 5);
  EXPECT_EQ(Written(p), "INT\tPos\t[mm]\t@0x8123\t=5e+003\t<5e+003\r\n");
  EXPECT_TRUE(m_setup.factorCalls.empty());
}

TEST_F(ParameterTest, ValueOutsideItsLimitsIsRefused) {
  CMC_Parameter p(m_setup.Setup());
  EXPECT_FALSE(Read(p, "INT\tX\t@0x10\t=5\t>10", 3));
  EXPECT_EQ(std::string(m_line), "Error in file f.cfg line 3:\n This relation \"min <= val <= max\" is not satisfied!");
  EXPECT_FALSE(Read(p, "UINT X @0x10 <4 =5", 4));
  EXPECT_EQ(std::string(m_line), "Error in file f.cfg line 4:\n This relation \"min <= val <= max\" is not satisfied!");
  // The tokens after the address come in any order.
  EXPECT_TRUE(Read(p, "INT X @0x10 <40 %3 =5 >-2"));
  EXPECT_EQ(p.GetMinInInternalUnit(), -2);
  EXPECT_EQ(p.GetMaxInInternalUnit(), 40);
  EXPECT_EQ(p.GetPrecision(), 3);
}

TEST_F(ParameterTest, SyntaxErrorsNameFileAndLine) {
  const char* bad[] = {
      "WORD X @0x10 =1",        // unknown type
      "INT",                    // nothing after the type
      "INT X",                  // nothing after the name
      "INT X [mm @0x10 =1",     // "[" without "]"
      "INT X [] @0x10 =1",      // empty brackets
      "INT X =1",               // no address
      "INT X @ =1",             // no number after "@"
      "INT X @0x10 =abc",       // value does not read
      "INT X @0x10 =1 junk",    // unknown token
      "INT X @0x10 %",          // precision without number
      "INT X [furlong] @0x10 =1",  // unit not in the table
  };
  for (const char* text : bad) {
    CMC_Parameter p(m_setup.Setup());
    EXPECT_FALSE(Read(p, text, 7)) << text;
    EXPECT_EQ(std::string(m_line), "Invalid syntax in file f.cfg, line 7") << text;
  }
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find unit furlong!"});
}

TEST_F(ParameterTest, BackslashUnitKeepsTheValueRaw) {
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "LONG\tP\t[\\m]\t@0x0010\t=-5(0xFFFFFFFB)"));
  EXPECT_EQ(p.GetValueInInternalUnit(), -5);
  EXPECT_DOUBLE_EQ(p.GetValue(), -5);
  EXPECT_DOUBLE_EQ(p.GetValueInBaseUnit(), -5);
  EXPECT_FALSE(p.HasSelectedUnit());
  EXPECT_EQ(std::string(p.GetSelectedUnit()), "IU");
  EXPECT_EQ(Written(p), "LONG\tP\t[\\m]\t@0x0010\t=-5(0xFFFFFFFB)\r\n");
  EXPECT_TRUE(m_setup.factorCalls.empty());
}

TEST_F(ParameterTest, TypeLimitsAreNotWrittenAndReadBack) {
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "ULONG\tU\t@0x0020\t=7(0x00000007)"));
  EXPECT_TRUE(CMC_Value::GetMinOfType(VAR_ULONG).GetValue(VAR_ULONG) == p.GetMinInInternalUnit());
  EXPECT_EQ(p.GetMaxInInternalUnit(), 4294967295.0);
  EXPECT_EQ(Written(p), "ULONG\tU\t@0x0020\t=7(0x00000007)\r\n");
  p.SetMinInInternalUnit(1);
  EXPECT_EQ(Written(p), "ULONG\tU\t@0x0020\t=7(0x00000007)\t>1(0x00000001)\r\n");
}

TEST_F(ParameterTest, LimitsPushValueAndOtherLimit) {
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "INT X @0x10 =20 >10 <30"));
  p.SetMaxInInternalUnit(15);
  EXPECT_EQ(p.GetValueInInternalUnit(), 15);
  EXPECT_EQ(p.GetMinInInternalUnit(), 10);
  p.SetMaxInInternalUnit(5);
  EXPECT_EQ(p.GetValueInInternalUnit(), 5);
  EXPECT_EQ(p.GetMinInInternalUnit(), 5);
  p.SetMinInInternalUnit(8);
  EXPECT_EQ(p.GetValueInInternalUnit(), 8);
  EXPECT_EQ(p.GetMaxInInternalUnit(), 8);
  p.SetValueInInternalUnit(100);
  EXPECT_EQ(p.GetValueInInternalUnit(), 8);
  p.SetMinInInternalUnit(-40000);  // clamped to the type
  EXPECT_EQ(p.GetMinInInternalUnit(), -32768);
}

TEST_F(ParameterTest, ZeroScaleFactorIsRefusedAndAskedAgain) {
  m_setup.SetScale("m", "Kv", 0);
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(p.InitializeMotionParam(VAR_INT, "Kv", "mm", "", 0, 0) == 0);
  ClearBoxes();
  m_setup.factorCalls.clear();
  EXPECT_EQ(p.GetValue(), NOT_AVAILABLE_VALUE);
  EXPECT_EQ(std::string(p.PrintValue()), "#ERROR");
  EXPECT_EQ(m_setup.factorCalls.size(), 2u);
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes()[0],
            "Warning: fakegui.dll GUI module returned 0 as IU scale factor for unit m and variable/parameter Kv.");
  // A value that cannot be converted is not stored.
  p.SetValueInInternalUnit(3);
  p.SetValue(1000);
  EXPECT_EQ(p.GetValueInInternalUnit(), 3);
  m_setup.SetScale("m", "Kv", 0.001);
  EXPECT_DOUBLE_EQ(p.GetValue(), 3);
  // A line the refused factor cannot convert leaves no message of its own: the warning said it.
  m_setup.SetScale("m", "Kv", 0);
  p.InvalidateIUCache();
  ClearBoxes();
  EXPECT_FALSE(Read(p, "INT Kv [mm] @0x10 =1", 40));
  EXPECT_EQ(std::string(m_line), "");
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(ParameterTest, CacheIsAskedOnlyOnceWhileTheSetupAllowsIt) {
  m_setup.SetScale("m", "*", 0.001);
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "INT X [mm] @0x10 =12"));
  EXPECT_EQ(p.GetValueInInternalUnit(), 12);
  p.GetValue();
  p.GetMin();
  EXPECT_EQ(m_setup.factorCalls, std::vector<std::string>{"m/X"});
  m_setup.SetCacheEnabled(false);
  p.GetValue();
  EXPECT_EQ(m_setup.factorCalls.size(), 2u);
  m_setup.SetCacheEnabled(true);
  p.InvalidateIUCache();
  p.GetValue();
  p.GetValue();
  EXPECT_EQ(m_setup.factorCalls.size(), 3u);
}

TEST_F(ParameterTest, DisplayTextsFollowPrecisionAndRawStep) {
  m_setup.SetScale("m", "*", 1e-6);  // one raw unit is one micrometre
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "INT X [mm] @0x10 =1.234"));
  EXPECT_EQ(p.GetValueInInternalUnit(), 1234);
  EXPECT_EQ(std::string(p.PrintValue()), "1.234");
  p.ChangePrecision(2);
  EXPECT_EQ(std::string(p.PrintValue()), "1.2");
  p.SetValueInInternalUnit(0);
  EXPECT_EQ(std::string(p.PrintValue()), "0");

  CMC_Parameter raw(m_setup.Setup());
  ASSERT_TRUE(Read(raw, "FIXED F @0x12 =1.5"));
  EXPECT_EQ(std::string(raw.PrintValue()), "1.5");
  EXPECT_EQ(std::string(raw.PrintValueForZUR()), "1.5");
  raw.ChangePrecision(3);
  raw.SetValueInInternalUnit(3.14159);
  EXPECT_EQ(std::string(raw.PrintValue()), "3.14");
  EXPECT_TRUE(raw.ScanValue("2.5"));
  EXPECT_EQ(raw.GetValueInInternalUnit(), 2.5);
  EXPECT_FALSE(raw.ScanValue("abc"));

  CMC_Parameter missing(m_setup.Setup());
  ASSERT_TRUE(missing.InitializeMotionParam(VAR_INT, "M", "furlong", "", 0, 0) == 0);
  ClearBoxes();
  EXPECT_EQ(std::string(missing.PrintValue()), "#ERROR");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find unit furlong!"});
}

TEST_F(ParameterTest, IsDifferenceInsignificantRestoresTheValue) {
  m_setup.SetScale("m", "*", 1e-6);
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "INT X [mm] @0x10 =1.234"));
  EXPECT_TRUE(p.IsDifferenceInsignificant(0.0012341));
  EXPECT_FALSE(p.IsDifferenceInsignificant(0.0012361));
  EXPECT_EQ(p.GetValueInInternalUnit(), 1234);
}

TEST_F(ParameterTest, UnitChanges) {
  CMC_Parameter p(m_setup.Setup());
  EXPECT_FALSE(p.ChangeUnit("mm"));  // no unit yet
  EXPECT_EQ(p.GetUnitType(), -1);
  EXPECT_TRUE(p.ChangeUnitType("mm"));
  EXPECT_EQ(std::string(p.GetUnitName()), "mm");
  EXPECT_EQ(p.GetUnitType(), 1);
  EXPECT_TRUE(p.ChangeUnit("m"));
  EXPECT_FALSE(p.ChangeUnit("rad"));
  EXPECT_EQ(std::string(p.GetUnitName()), "m");
  EXPECT_TRUE(p.ChangeUnitType("km"));  // compatible: nothing changes
  EXPECT_EQ(std::string(p.GetUnitName()), "m");
  EXPECT_TRUE(p.ChangeUnitType("\\rad"));
  EXPECT_EQ(std::string(p.GetUnitName()), "\\rad");
  EXPECT_FALSE(p.ChangeUnitType("furlong"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find unit furlong!"});
  EXPECT_TRUE(p.ChangeUnitType(nullptr));
  EXPECT_FALSE(p.HasUnit());
}

TEST_F(ParameterTest, CopiesKeepTheCacheAndTheirOwnSetup) {
  FakeSetup other;
  m_setup.SetScale("m", "*", 0.5);
  CMC_Parameter p(m_setup.Setup());
  ASSERT_TRUE(Read(p, "INT X [m] @0x10 =1"));  // asks for the scale
  CMC_Parameter q(other.Setup(), p);
  EXPECT_EQ(&q.GetSetup(), &other.Setup());
  EXPECT_DOUBLE_EQ(q.GetValue(), 1);
  EXPECT_TRUE(other.factorCalls.empty());
  CMC_Parameter r(p);
  EXPECT_EQ(&r.GetSetup(), &m_setup.Setup());
  r = q;
  EXPECT_EQ(&r.GetSetup(), &m_setup.Setup());
}

TEST_F(ParameterTest, WithoutGuiModuleNothingConverts) {
  m_setup.SetHasModule(false);
  CMC_Parameter p(m_setup.Setup());
  EXPECT_FALSE(Read(p, "INT X [mm] @0x10 =1", 2));
  p.InitializeMotionParam(VAR_INT, "X", "mm", "", 0, 0);
  EXPECT_EQ(p.GetValue(), NOT_AVAILABLE_VALUE);
  EXPECT_EQ(Written(p), "<failed>");
}

// A scale that is no power of ten leaves more digits than the type's file format keeps: the line
// still reads back the raw value it was written from.
TEST_F(ParameterTest, UnitValuesReadBackTheRawValueTheyWereWrittenFrom) {
  m_setup.SetScale("m", "*", 1e-6);
  m_setup.SetScale("rad", "*", 1.0 / 3);
  const struct {
    tagVarType type;
    const char* unit;
    double raw;
  } cases[] = {{VAR_INT, "rad", 30001},
               {VAR_UINT, "rad", 65534},
               {VAR_LONG, "mm", 1234567891},
               {VAR_ULONG, "mm", 4294967294.0},
               {VAR_FIXED, "mm", 32767 + 1 / 65536.0},
               {VAR_UFIXED, "mm", 65535 + 1 / 65536.0},
               {VAR_FLOAT, "mm", 16777215}};
  for (const auto& c : cases) {
    CMC_Parameter p(m_setup.Setup());
    ASSERT_TRUE(p.InitializeMotionParam(c.type, "X", c.unit, "0", 0, 0));
    p.SetValueInInternalUnit(c.raw);
    std::string line = Written(p);
    CMC_Parameter q(m_setup.Setup());
    ASSERT_TRUE(Read(q, line.substr(0, line.size() - 2).c_str())) << line;
    EXPECT_EQ(q.GetValueInInternalUnit(), c.raw) << line;
  }
}

TEST_F(ParameterTest, ArrayParameterValues) {
  m_setup.SetScale("m", "*", 0.001);
  CMC_ArrayParameter a(m_setup.Setup());
  ASSERT_TRUE(a.InitializeMotionParam(VAR_INT, "Pts", "m", "1,2.5,-3", 0.001, 0));
  ASSERT_EQ(a.GetValuesCount(), 3);
  EXPECT_EQ(a.GetValueInInternalUnit(0), 1000);
  EXPECT_EQ(a.GetValueInInternalUnit(1), 2500);
  EXPECT_DOUBLE_EQ(a.GetValue(2), -3);
  CString data;
  a.SaveData(data);
  EXPECT_EQ(std::string(data), "1,2.5,-3");
  EXPECT_EQ(std::string(a.PrintValue(1)), "2.5");
  a.InsertValueAt(1, 7);
  a.RemoveValueAt(3);
  a.SaveData(data);
  EXPECT_EQ(std::string(data), "1,7,2.5");
  a.SetMaxInInternalUnit(2000);
  a.SaveData(data);
  EXPECT_EQ(std::string(data), "1,2,2");
  EXPECT_FALSE(a.LoadData("1,x,3"));
  EXPECT_EQ(a.GetValuesCount(), 3);
  EXPECT_TRUE(a.LoadData(""));
  EXPECT_EQ(a.GetValuesCount(), 0);
  bool thrown = false;
  try {
    a.GetValue(0);
  } catch (CInvalidArgException* e) {
    thrown = true;
    e->Delete();
  }
  EXPECT_TRUE(thrown);

  CMC_ArrayParameter plain(m_setup.Setup());
  ASSERT_TRUE(plain.InitializeMotionParam(VAR_UINT, "N", "", "4,5", 0, 0));
  plain.SaveData(data);
  EXPECT_EQ(std::string(data), "4(0x0004),5(0x0005)");
  CMC_ArrayParameter copy(plain);
  ASSERT_TRUE(copy.LoadData(data));
  EXPECT_EQ(copy.GetValueInInternalUnit(1), 5);
  EXPECT_EQ(plain.GetValuesCount(), 2);
}

}  // namespace
