// The parameter list: parameters.cfg read and written whole, look-ups, copies and backups.
#include "kernel/params/MC_Parameters.h"
#include "platform/core/Exception.h"
#include "tests/kernel/QuantityTestSupport.h"

namespace {

class ParametersFileTest : public QuantityTest {};

// Every type, no unit, an internal unit and user units, and plain, E2ROM, engineering and computed
// addresses, as the writer puts them.
const char kEveryKind[] =
    "INT\tKp\t@0x0100\t=-12(0xFFF4)\t>-100(0xFF9C)\t<100(0x0064)\r\n"
    "UINT\tMode\t@0x4000\t=3(0x0003)\t%2\r\n"
    "LONG\tPosLimit\t[mm]\t@0x0102\t=1.5e+003\t>-2e+003\t<2e+003\r\n"
    "ULONG\tCount\t[\\m]\t@0x0104\t=70000(0x00011170)\r\n"
    "FLOAT\tGain\t@0x0106\t=2.5e-001\t<1e+001\t%4\r\n"
    "DOUBLE\tRatio\t[rad]\t@0x0108\t=6.25e-001\r\n"
    "FIXED\tSpeed\t[mm/s]\t@0x8010\t=2.5e+003\t>0\r\n"
    "UFIXED\tAccel\t@0xC012\t=1.5(0x00018000)\r\n";

TEST_F(ParametersFileTest, EveryKindOfLineRoundTripsByteForByte) {
  m_setup.SetScale("m", "*", 0.001);
  m_setup.SetScale("rad", "*", 0.5);
  WriteKernelFile("every.cfg", kEveryKind);
  CMC_Parameters list;
  ASSERT_TRUE(list.ReadFile("every.cfg", m_setup.Setup()));
  EXPECT_TRUE(Boxes().empty());
  ASSERT_EQ(list.GetSize(), 8);
  EXPECT_EQ(list.FindParameter("poslimit")->GetValueInInternalUnit(), 1500);
  EXPECT_EQ(list.FindParameter("RATIO")->GetValueInInternalUnit(), 1.25);
  EXPECT_EQ(list.FindParameter("Speed")->GetValueInInternalUnit(), 2.5);  // engineering: m/s
  EXPECT_EQ(list.FindParameter((WORD)0xC012)->GetName(), "Accel");
  ASSERT_TRUE(list.WriteFile("every-out.cfg"));
  EXPECT_EQ(ReadBytes(KernelPath("every-out.cfg")), kEveryKind);
}

TEST_F(ParametersFileTest, NamesDifferingOnlyInCaseFailTheRead) {
  WriteKernelFile("dup.cfg", "# gains\nINT Kp @0x10 =1\nINT KP @0x11 =2\n");
  WriteKernelFile("one.cfg", "INT Kd @0x10 =1\n");
  CMC_Parameters list;
  ASSERT_TRUE(list.ReadFile("one.cfg", m_setup.Setup()));
  EXPECT_FALSE(list.ReadFile("dup.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error in file dup.cfg line 3:\n The parameter KP is already defined."});
  ClearBoxes();
  EXPECT_EQ(list.FindParameter("kp"), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find parameter kp!"});
}

TEST_F(ParametersFileTest, AddressesAreUnique) {
  WriteKernelFile("addr.cfg", "INT A @0x40 =1\nINT B @0100 =2\n");
  CMC_Parameters list;
  EXPECT_FALSE(list.ReadFile("addr.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"Error in file addr.cfg line 2:\n Address 0x0040 is used by another parameter."});
}

TEST_F(ParametersFileTest, LookUpsByNameAndAddress) {
  WriteKernelFile("look.cfg", "INT Kp @0x10 =1\r\nINT Ki @0x11 =2\r\n");
  CMC_Parameters list;
  ASSERT_TRUE(list.ReadFile("look.cfg", m_setup.Setup()));
  EXPECT_EQ(list.FindParameter("kp"), list[0]);
  EXPECT_EQ(list.FindParameter("KP"), list[0]);
  EXPECT_EQ(list.FindParameter((WORD)0x11), list[1]);
  bool thrown = false;
  try {
    list[2];
  } catch (CInvalidArgException* e) {
    thrown = true;
    e->Delete();
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(list.FindParameter((WORD)0x12), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find parameter with address 0x0012!"});
  g_bShowErrors = FALSE;
  EXPECT_EQ(list.FindParameter("none"), nullptr);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(ParametersFileTest, OneBadLineLoadsNothing) {
  WriteKernelFile("bad.cfg", "INT A @0x10 =1\n\n# comment\nINT B @0x11 =2 ?\nINT C @0x12 =3\n");
  CMC_Parameters list;
  EXPECT_FALSE(list.ReadFile("bad.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Invalid syntax in file bad.cfg, line 4"});

  WriteKernelFile("range.cfg", "INT A @0x10 =1\nINT B @0x11 =20 <10\n");
  ClearBoxes();
  EXPECT_FALSE(list.ReadFile("range.cfg", m_setup.Setup()));
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Error in file range.cfg line 2:\n This relation \"min <= val <= max\" is not satisfied!"});

  // Without the flag the failure is only returned.
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_FALSE(list.ReadFile("bad.cfg", m_setup.Setup()));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ParametersFileTest, CommentsOnlyGiveAnEmptyList) {
  WriteKernelFile("empty.cfg", "# nothing here\n\n   # at all\n");
  CMC_Parameters list;
  EXPECT_TRUE(list.ReadFile("empty.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_FALSE(list.ReadFile("no-such-file.cfg", m_setup.Setup()));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].rfind("Cannot open file ", 0), 0u);
}

TEST_F(ParametersFileTest, GuiModuleMayRefuseAParameterSilently) {
  m_setup.refusedParams.insert("KI");
  WriteKernelFile("init.cfg", "INT Kp @0x10 =1\nINT Ki @0x11 =2\n");
  CMC_Parameters list;
  EXPECT_FALSE(list.ReadFile("init.cfg", m_setup.Setup()));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ParametersFileTest, WriteFailuresAreReported) {
  WriteKernelFile("w.cfg", "INT Kp @0x10 =1\n");
  CMC_Parameters list;
  ASSERT_TRUE(list.ReadFile("w.cfg", m_setup.Setup()));
  EXPECT_FALSE(list.WriteFile("/dev/full"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot write in file /dev/full! There is not enough space on the disk."});
}

TEST_F(ParametersFileTest, CopyBelongsToTheOtherSetupAndChecksItsUnits) {
  m_setup.SetScale("m", "*", 0.001);
  WriteKernelFile("copy.cfg", "INT Kp [mm] @0x10 =1\nINT Ki @0x11 =2\n");
  CMC_Parameters list, copy;
  ASSERT_TRUE(list.ReadFile("copy.cfg", m_setup.Setup()));
  FakeSetup other;
  other.units.Cleanup();
  EXPECT_FALSE(copy.Copy(list, other.Setup()));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Parameter Kp has unknown unit (mm)."});
  ASSERT_EQ(copy.GetSize(), 2);
  EXPECT_EQ(&copy[0]->GetSetup(), &other.Setup());
  EXPECT_EQ(copy.FindParameter("ki")->GetAddress(), 0x11);
  EXPECT_NE(copy[0], list[0]);

  FakeSetup good;
  ClearBoxes();
  EXPECT_TRUE(copy.Copy(list, good.Setup()));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ParametersFileTest, BackupAndRestore) {
  WriteKernelFile("bk.cfg", "INT Kp @0x10 =1\nINT Ki @0x11 =2\n");
  CMC_Parameters list;
  ASSERT_TRUE(list.ReadFile("bk.cfg", m_setup.Setup()));
  CObArrayEx<CMC_Parameter> backup;
  list.BackupParameters(backup);
  ASSERT_EQ(backup.GetSize(), 2);
  list[0]->SetValueInInternalUnit(50);
  list[1]->SetMaxInInternalUnit(0);
  list[1]->ChangePrecision(4);
  list.RestoreParameters(backup);
  EXPECT_EQ(list[0]->GetValueInInternalUnit(), 1);
  EXPECT_EQ(list[1]->GetValueInInternalUnit(), 2);
  EXPECT_EQ(list[1]->GetMaxInInternalUnit(), 32767);
  EXPECT_EQ(list[1]->GetPrecision(), 0);

  list.BackupParameters(backup);  // appends: now longer than the list
  list[0]->SetValueInInternalUnit(9);
  bool thrown = false;
  try {
    list.RestoreParameters(backup);
  } catch (CInvalidArgException* e) {
    thrown = true;
    e->Delete();
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(list[0]->GetValueInInternalUnit(), 9);
  CMC_Parameters::CleanupArray(backup);
  EXPECT_EQ(backup.GetSize(), 0);
}

TEST_F(ParametersFileTest, InvalidateDropsEveryCache) {
  m_setup.SetScale("m", "*", 0.001);
  WriteKernelFile("inv.cfg", "INT A [mm] @0x10 =1\nINT B [mm] @0x11 =2\n");
  CMC_Parameters list;
  ASSERT_TRUE(list.ReadFile("inv.cfg", m_setup.Setup()));
  m_setup.factorCalls.clear();
  list[0]->GetValue();
  list[1]->GetValue();
  EXPECT_TRUE(m_setup.factorCalls.empty());
  list.InvalidateIUCache();
  list[0]->GetValue();
  list[1]->GetValue();
  EXPECT_EQ(m_setup.factorCalls, (std::vector<std::string>{"m/A", "m/B"}));
}

}  // namespace
