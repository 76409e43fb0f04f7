// Variables: the halves of 32-bit variables, variables.cfg lines and files, conversions and commands.
#include "kernel/params/MC_Parameter.h"
#include "kernel/params/MC_Variables.h"
#include "tests/kernel/QuantityTestSupport.h"

#include <cstdio>

namespace {

class VariableTest : public QuantityTest {
 protected:
  int Read(CMC_Variable& v, const char* text, int lineNumber = 1) {
    m_line = text;
    return v.ReadFromConfig(m_line, "v.cfg", lineNumber);
  }
  CString m_line;
};

const char kEveryVariableKind[] =
    "INT\tA\t@0x0100\r\n"
    "UINT\tB\t[\\m]\t@0x4000\t%3\r\n"
    "LONG\tPOS\t[mm]\t@0x8200\r\n"
    "ULONG\tCnt\t@0xFFFE\r\n"
    "FLOAT\tF\t[rad/s]\t@0x0104\t%5\r\n"
    "DOUBLE\tD\t@0x0106\r\n"
    "FIXED\tSpd\t[rpm]\t@0x010A\r\n"
    "UFIXED\tU\t@0x010C\r\n";

TEST_F(VariableTest, LongVariableHasHalvesFoundInAnyCase) {
  WriteKernelFile("vars.cfg", "LONG POS [mm] @0x0100\n");
  CMC_Variables list;
  ASSERT_TRUE(list.ReadFile("vars.cfg", m_setup.Setup()));
  ASSERT_EQ(list.GetSize(), 1);
  CMC_Variable* high = list.FindVariable("pos(h)");
  ASSERT_NE(high, nullptr);
  EXPECT_EQ(high->GetType(), VAR_INT);
  EXPECT_EQ(high->GetAddress(), 0x0101);
  EXPECT_FALSE(high->HasUnit());
  CMC_Variable* low = list.FindVariable("POS(L)");
  ASSERT_NE(low, nullptr);
  EXPECT_EQ(low->GetType(), VAR_INT);
  EXPECT_EQ(low->GetAddress(), 0x0100);
  EXPECT_EQ(std::string(low->GetUnitName()), "mm");
  EXPECT_EQ(list.FindVariable("pos"), list.GetAt(0));
  EXPECT_EQ(list.FindVariable("nothing"), nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(VariableTest, FixedVariableKeepsItsUnitOnTheHighHalf) {
  WriteKernelFile("fixed.cfg", "FIXED Spd [rpm] @0x0200\nULONG N [mm] @0x0300\nFLOAT G [mm] @0x0400\n");
  CMC_Variables list;
  ASSERT_TRUE(list.ReadFile("fixed.cfg", m_setup.Setup()));
  CMC_Variable* low = list.FindVariable("Spd(L)");
  CMC_Variable* high = list.FindVariable("Spd(H)");
  ASSERT_TRUE(low && high);
  EXPECT_EQ(low->GetType(), VAR_UINT);
  EXPECT_FALSE(low->HasUnit());
  EXPECT_EQ(high->GetType(), VAR_INT);
  EXPECT_EQ(high->GetAddress(), 0x0201);
  EXPECT_EQ(std::string(high->GetUnitName()), "rpm");
  EXPECT_EQ(list.FindVariable("N(L)")->GetType(), VAR_UINT);
  EXPECT_EQ(std::string(list.FindVariable("N(L)")->GetUnitName()), "mm");
  EXPECT_FALSE(list.FindVariable("N(H)")->HasUnit());
  EXPECT_EQ(list.FindVariable("G(L)"), nullptr);
}

TEST_F(VariableTest, EveryKindRoundTripsWithoutTheHalves) {
  WriteKernelFile("every-vars.cfg", kEveryVariableKind);
  CMC_Variables list;
  ASSERT_TRUE(list.ReadFile("every-vars.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 8);
  EXPECT_NE(list.FindVariable("u(h)"), nullptr);
  ASSERT_TRUE(list.WriteFile("every-vars-out.cfg"));
  EXPECT_EQ(ReadBytes(KernelPath("every-vars-out.cfg")), kEveryVariableKind);

  char* buf = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&buf, &size);
  EXPECT_TRUE(list.AppendInSimplifiedFormToFile(f));
  fclose(f);
  std::string simple(buf, size);
  free(buf);
  const std::string start = "INT\tA\t@0x0100\r\nUINT\tB\t@0x4000\t%3\r\nLONG\tPOS\t@0x8200\r\n";
  EXPECT_EQ(simple.substr(0, start.size()), start);
}

TEST_F(VariableTest, LineSyntax) {
  CMC_Variable v(m_setup.Setup());
  ASSERT_TRUE(Read(v, "LONG X [mm] @0x0100 %2"));
  EXPECT_EQ(v.GetPrecision(), 2);
  EXPECT_EQ(v.GetAddress(), 0x0100);
  ASSERT_TRUE(Read(v, "int Y @0100"));
  EXPECT_EQ(v.GetAddress(), 0x0040);
  EXPECT_EQ(v.GetPrecision(), 0);
  const char* bad[] = {"LONG X [mm] @0x0100 %2 more", "LONG X @0x0100 junk", "WORD X @0x10",  "LONG X",
                       "LONG X [mm @0x10",            "LONG X 0x10",         "LONG X @0x10 %", "LONG X @zz"};
  for (const char* text : bad) {
    EXPECT_FALSE(Read(v, text, 5)) << text;
    EXPECT_EQ(std::string(m_line), "Invalid syntax in file v.cfg, line 5") << text;
  }
}

TEST_F(VariableTest, DuplicatesIncludeTheHalves) {
  WriteKernelFile("dupv.cfg", "LONG X @0x10\nINT x(l) @0x20\n");
  CMC_Variables list;
  EXPECT_FALSE(list.ReadFile("dupv.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(list.FindVariable("X"), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error in file dupv.cfg line 2:\n The variable x(l) is already defined."});
  // Addresses may repeat; a variable the file names like a later half keeps its name.
  WriteKernelFile("rep.cfg", "INT X(H) @0x10\nLONG X @0x10\n");
  ClearBoxes();
  ASSERT_TRUE(list.ReadFile("rep.cfg", m_setup.Setup()));
  EXPECT_EQ(list.FindVariable("X(H)"), list.GetAt(0));
  EXPECT_EQ(list.FindVariable("X(L)")->GetAddress(), 0x10);
}

TEST_F(VariableTest, UpdateCommandPrintsTheRawValue) {
  CMC_Variable v(m_setup.Setup());
  ASSERT_TRUE(Read(v, "FIXED X [mm] @0x10"));
  WORD words[2] = {0x8000, 0x0001};
  v.GetRawValue().ReadFromBuffer(VAR_FIXED, words);
  EXPECT_EQ(std::string(v.GetUpdateCommand()), "X=1.5;");
  ASSERT_TRUE(Read(v, "INT Y @0x10"));
  v.SetValueInInternalUnit(12);
  EXPECT_EQ(std::string(v.GetUpdateCommand()), "Y=12;");
}

TEST_F(VariableTest, InternalUnitConvertsToBaseForVariablesOnly) {
  m_setup.SetScale("m", "*", 0.001);
  CMC_Variable v(m_setup.Setup());
  ASSERT_TRUE(Read(v, "LONG X [\\m] @0x10"));
  v.SetValueInInternalUnit(2000);
  EXPECT_DOUBLE_EQ(v.GetValueInBaseUnit(), 2);
  EXPECT_DOUBLE_EQ(v.GetValue(), 2000);  // no user unit: raw
  EXPECT_EQ(m_setup.factorCalls, std::vector<std::string>{"m/X"});
  v.SetValueInBaseUnit(3);
  EXPECT_EQ(v.GetValueInInternalUnit(), 3000);

  CMC_Parameter p(m_setup.Setup());
  CString line = "LONG X [\\m] @0x10 =2000";
  ASSERT_TRUE(p.ReadFromConfig(line, "p.cfg", 1));
  EXPECT_DOUBLE_EQ(p.GetValueInBaseUnit(), 2000);
}

TEST_F(VariableTest, UserUnitConversionsAndTexts) {
  m_setup.SetScale("m", "*", 1e-6);
  CMC_Variable v(m_setup.Setup());
  ASSERT_TRUE(Read(v, "LONG X [mm] @0x10"));
  EXPECT_TRUE(v.ScanValue("1.25"));
  EXPECT_EQ(v.GetValueInInternalUnit(), 1250);
  EXPECT_DOUBLE_EQ(v.GetValue(), 1.25);
  EXPECT_EQ(std::string(v.PrintValue()), "1.25");
  EXPECT_FALSE(v.ScanValue("mm"));
  CString base;
  double factor, offset;
  v.GetScale(base, factor, offset);
  EXPECT_EQ(std::string(base), "m");
  EXPECT_EQ(factor, 1e-6);
  EXPECT_EQ(offset, 0);
  // Slider steps: ends in the user unit, converted to raw first.
  EXPECT_EQ(v.GetRangeForSliderCtrl(0, 100), 100000u);
  EXPECT_EQ(v.GetRangeForSliderCtrl(0, 1), 65535u);
  EXPECT_EQ(v.GetRangeForSliderCtrl(5, 5), 1u);

  CMC_Variable none(m_setup.Setup());
  ASSERT_TRUE(Read(none, "INT N @0x10"));
  none.GetScale(base, factor, offset);
  EXPECT_TRUE(base.IsEmpty());
  EXPECT_EQ(factor, 1);
  EXPECT_EQ(offset, 0);
  EXPECT_TRUE(none.ChangeUnit(""));  // same text succeeds at once
  EXPECT_FALSE(none.ChangeUnit("mm"));

  CMC_Variable f(m_setup.Setup());
  ASSERT_TRUE(Read(f, "FLOAT F [mm] @0x10"));
  EXPECT_EQ(f.GetRangeForSliderCtrl(0, 1), 1000u);
}

TEST_F(VariableTest, CopyForAnotherSetupAsksThatSetupsModule) {
  m_setup.SetScale("m", "*", 0.001);
  WriteKernelFile("cp.cfg", "LONG X [mm] @0x10\n");
  CMC_Variables list, copy;
  ASSERT_TRUE(list.ReadFile("cp.cfg", m_setup.Setup()));
  list.GetAt(0)->SetValueInInternalUnit(5);
  EXPECT_DOUBLE_EQ(list.GetAt(0)->GetValue(), 5);  // cached now

  FakeSetup other;
  other.SetScale("m", "*", 0.002);
  ASSERT_TRUE(copy.Copy(list, other.Setup()));
  EXPECT_DOUBLE_EQ(copy.GetAt(0)->GetValue(), 10);
  EXPECT_EQ(other.factorCalls, std::vector<std::string>{"m/X"});
  EXPECT_NE(copy.FindVariable("X(L)"), nullptr);
  // The same-setup copy keeps the cache.
  CMC_Variable same(*list.GetAt(0));
  m_setup.factorCalls.clear();
  same.GetValue();
  EXPECT_TRUE(m_setup.factorCalls.empty());

  FakeSetup bare;
  bare.units.Cleanup();
  EXPECT_FALSE(copy.Copy(list, bare.Setup()));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Variable X has unknown unit (mm)."});
}

TEST_F(VariableTest, InvalidateReachesTheHalves) {
  m_setup.SetScale("m", "*", 0.001);
  WriteKernelFile("inv-v.cfg", "LONG X [mm] @0x10\n");
  CMC_Variables list;
  ASSERT_TRUE(list.ReadFile("inv-v.cfg", m_setup.Setup()));
  list.FindVariable("X")->GetValue();
  list.FindVariable("X(L)")->GetValue();
  EXPECT_EQ(m_setup.factorCalls.size(), 2u);
  list.InvalidateIUCache();
  list.FindVariable("X")->GetValue();
  list.FindVariable("X(L)")->GetValue();
  EXPECT_EQ(m_setup.factorCalls, (std::vector<std::string>{"m/X", "m/X(L)", "m/X", "m/X(L)"}));
}

TEST_F(VariableTest, BadFileLoadsNothing) {
  WriteKernelFile("badv.cfg", "INT A @0x10\n# two\nINT B @0x11 =5\n");
  CMC_Variables list;
  EXPECT_FALSE(list.ReadFile("badv.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(list.FindVariable("A"), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Invalid syntax in file badv.cfg, line 3"});
  ClearBoxes();
  WriteKernelFile("okv.cfg", "INT A @0x10\n");
  ASSERT_TRUE(list.ReadFile("okv.cfg", m_setup.Setup()));
  EXPECT_FALSE(list.WriteFile("/dev/full"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot write in file /dev/full! There is not enough space on the disk."});
  ClearBoxes();
  FILE* full = fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  EXPECT_FALSE(list.AppendInSimplifiedFormToFile(full));
  fclose(full);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"No space left on device"});
}

}  // namespace
