// The setup model: identity, options, look-ups, memory layout, ports and slaves on the sample setups.
#include "tests/kernel/SetupTestSupport.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Automation.h"
#include "platform/core/Format.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/WindowPicture.h"
#include "views/memory/MemorySettingsDlg.h"

#include <algorithm>

#include <cmath>
#include <functional>

TEST_F(SetupTest, GenerationFollowsTheFirmwareId) {
  EXPECT_EQ(CMC_Setup::GetMCVersion("F505H"), 3);
  EXPECT_EQ(CMC_Setup::GetMCVersion("F6000"), 3);
  EXPECT_EQ(CMC_Setup::GetMCVersion("F700D"), 3);
  EXPECT_EQ(CMC_Setup::GetMCVersion("F400A"), 2);
  EXPECT_EQ(CMC_Setup::GetMCVersion("F800A"), 2);
  EXPECT_EQ(CMC_Setup::GetMCVersion("F240A"), 2);
  EXPECT_EQ(CMC_Setup::GetMCVersion("S1234"), 1);
  EXPECT_EQ(CMC_Setup::GetMCVersion("F505"), 0);
  EXPECT_EQ(CMC_Setup::GetMCVersion("F505HX"), 0);
  EXPECT_EQ(CMC_Setup::GetMCVersion("X5050"), 0);
  EXPECT_EQ(CMC_Setup::GetMCVersion(nullptr), 0);
}

TEST_F(SetupTest, SampleConfigurationsLoad) {
  SetupPtr g3(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(g3) << LastBox();
  EXPECT_EQ(g3->GetFirmwareID(), "F505H");
  EXPECT_EQ(g3->GetConfigID(), 0x0505);
  EXPECT_EQ(g3->GetMCVersion(), 3);
  EXPECT_EQ(g3->GetProductID(), "1000.505.0001");
  EXPECT_FALSE(g3->IsMotionController());
  EXPECT_TRUE(g3->HasRotaryLoad());
  EXPECT_FALSE(g3->HasLinearLoad());
  EXPECT_TRUE(g3->SupportCAMTables());
  EXPECT_TRUE(g3->HasFunctionTable());
  EXPECT_TRUE(g3->HasHomingTable());
  EXPECT_EQ(g3->GetMaxIOPort(0), 15);
  EXPECT_EQ(g3->GetMaxIOPort(1), 39);
  EXPECT_EQ(g3->GetInterruptsCount(), 12);
  EXPECT_EQ(g3->GetStatusRegMask(), 0x8400FFFFu);
  EXPECT_EQ(g3->GetErrorRegMask(), 0xFFFFu);
  EXPECT_EQ(g3->GetSwProtectionsMask(), 0x7Fu);
  EXPECT_EQ(g3->GetStatusRegDesc(26), "Motion controller ready");
  EXPECT_EQ(g3->GetStatusRegDesc(32), "");
  EXPECT_EQ(g3->GetHomingProceduresCount(), 3);
  EXPECT_EQ(g3->GetHomingProcedureFile(2), "home3.cfg");
  EXPECT_EQ(g3->GetHomingInputPort(), 2);
  EXPECT_EQ(g3->GetNumberOfBrakeOutputs(), 1);
  EXPECT_TRUE(g3->IsBrakePortEnable(5));
  EXPECT_EQ(g3->GetPortName(3, 1), "Ready");
  EXPECT_EQ(g3->GetPortName(3, 0), "Ready");
  EXPECT_EQ(g3->GetPortName(4, 0), "Error");
  EXPECT_EQ(g3->GetPortName(40, 0), "");
  EXPECT_TRUE(g3->IsLoggerEnabled());
  EXPECT_TRUE(g3->FindVariable("apos_mt(h)", 0));
  EXPECT_TRUE(g3->FindVariable("MSR", 1));
  EXPECT_FALSE(g3->FindVariable("MSR", 0));
  EXPECT_TRUE(Boxes().empty());

  SetupPtr g2(CMC_Setup::Create(0x0210));
  ASSERT_TRUE(g2) << LastBox();
  EXPECT_EQ(g2->GetMCVersion(), 2);
  EXPECT_TRUE(g2->HasLinearLoad());
  EXPECT_FALSE(g2->SupportCAMTables());
  EXPECT_EQ(g2->GetMaxIOPort(0), 39);
  EXPECT_TRUE(g2->IsIOPortInverted(5));
  EXPECT_TRUE(g2->IsInputPortEnable(25));
  EXPECT_TRUE(g2->IsOutputPortEnable(25));
  EXPECT_EQ(g2->GetHomingProcedureFile(1), "home_lsn.cfg");
  EXPECT_EQ(g2->GetHomingInputPort(), 5);
  EXPECT_EQ(g2->GetInterruptsCount(), 8);

  SetupPtr mc(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(mc) << LastBox();
  EXPECT_TRUE(mc->IsMotionController());
  EXPECT_EQ(mc->GetMotionControllerSlaveCount(), 4);
  EXPECT_EQ(mc->GetHomingProcedureFile(0), "home1.cfg");
  EXPECT_TRUE(mc->VerifyMotionControllerConfig());

  // the small first-generation drive keeps its logger in the low data memory
  SetupPtr g1(CMC_Setup::Create(0x0100));
  ASSERT_TRUE(g1) << LastBox();
  EXPECT_EQ(g1->GetMCVersion(), 1);
  EXPECT_TRUE(g1->IsIOPortInverted(1));
  EXPECT_EQ(g1->GetPortName(1, 1), "Fault");
  EXPECT_EQ(g1->GetLogBufferAddress(), (WORD)(0x8200 + 0x8800));
  EXPECT_EQ(g1->GetLogBufferLength(), 0x600);
  EXPECT_TRUE(g1->IsLoggerEnabled());
  EXPECT_FALSE(g1->SupportCAMTables());
}

TEST_F(SetupTest, OptionsKeepTheirFirstSpelling) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  int names = (int)s->GetOptionNames().GetSize();
  s->SetOption("Foo", "1");
  s->SetOption("FOO", "2");
  EXPECT_EQ((int)s->GetOptionNames().GetSize(), names + 1);
  EXPECT_EQ(s->GetOptionNames()[names], "Foo");
  EXPECT_EQ(s->GetOptionNoError("foo"), "2");
  EXPECT_EQ(s->GetIntOption("fOO"), 2);
  s->SetOption(nullptr, "3");
  s->SetOption("Foo", nullptr);
  EXPECT_EQ(s->GetOption("Foo"), "2");
  EXPECT_TRUE(Boxes().empty());

  s->SetOption("Empty", "");
  EXPECT_EQ(s->GetOption("Empty"), "");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(LastBox(),
            "Cannot find option 'Empty'. You must insert this option in setup.cfg with the syntax:\n Name = Value.");
  g_bShowErrors = FALSE;
  EXPECT_EQ(s->GetOption("Missing"), "");
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(s->GetIntOption("Missing"), 0);

  s->ClearOption("FOO");
  EXPECT_EQ(s->GetOptionNoError("Foo"), "");
  EXPECT_EQ((int)s->GetOptionNames().GetSize(), names + 1);  // "Empty" is left
  s->ClearOption("Foo");  // no key: the names stay
  EXPECT_EQ((int)s->GetOptionNames().GetSize(), names + 1);
}

TEST_F(SetupTest, ParameterLookupsNeverShowMessages) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->FindParameter("nothing"), nullptr);
  EXPECT_EQ(s->GetParameterValue("nothing"), NOT_AVAILABLE_VALUE);
  EXPECT_EQ(s->GetParameterValueInBaseUnit("nothing"), NOT_AVAILABLE_VALUE);
  EXPECT_EQ(s->GetParameterValueInInternalUnit("nothing"), NOT_AVAILABLE_VALUE);
  EXPECT_EQ(s->GetParameterUnit("nothing"), "");
  EXPECT_EQ(s->PrintParameterValue("nothing"), "");
  EXPECT_EQ(s->ScanParameterValue("nothing", "1"), 0);
  EXPECT_EQ(s->ChangeParameterUnit("nothing", "A"), 0);
  EXPECT_EQ(s->AlterUnitTypeOfParameter("nothing", "A"), 0);
  s->SetParameterValue("nothing", 1);
  EXPECT_TRUE(Boxes().empty());

  // 10 A in internal units of 1 mA
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("ipeak"), 10000);
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 10);
  EXPECT_EQ(s->GetParameterUnit("IPEAK"), "A");
  EXPECT_TRUE(s->ChangeParameterUnit("Ipeak", "mA"));
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 10000);
  s->SetParameterValueInBaseUnit("Ipeak", 12.5);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("Ipeak"), 12500);
  // 85 degC with 0.1 K steps
  EXPECT_NEAR(s->GetParameterValueInInternalUnit("TempMax"), 3581.5, 0.51);
}

TEST_F(SetupTest, InterruptsAreFoundByNameThenPrefixThenPart) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->FindInterrupt("int3 - control error"), 3);
  EXPECT_EQ(s->FindInterrupt("INT1"), 1);  // prefix ignoring case: "Int1 - ..." comes before "Int10 - ..."
  EXPECT_EQ(s->FindInterrupt("Time-out"), 10);
  EXPECT_EQ(s->FindInterrupt("time-out"), -1);  // the part search keeps case
  EXPECT_EQ(s->FindInterrupt(""), -1);
  EXPECT_EQ(s->GetInterruptDescription(99), "");
  EXPECT_EQ(s->GetInterruptDescription(-1), "");
}

TEST_F(SetupTest, MemoryLayoutOfTheFullE2ROM) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->ClearOption("IsClosedPosition");  // no CAM tables
  WORD t = s->GetSetupTableSize();
  ASSERT_GT(t, 6);
  EXPECT_EQ(s->SetMemorySettings(1, 1, 0x4000, 0x1000, 0x800), 1);
  EXPECT_EQ(s->GetE2ROMSize(), 0x4000);
  EXPECT_EQ(s->GetLoadZURCodeAddress(), 0x4000);
  EXPECT_EQ(s->GetRunZURCodeAddress(), 0x4000);
  EXPECT_EQ(s->GetZURCodeLength(), 0x3FB0 - t);  // up to the setup table
  EXPECT_EQ(s->GetCAMTablesLength(), 0);
  EXPECT_EQ(s->GetLoadCAMTablesAddress(), 0x7FB0 - t);
  EXPECT_EQ(s->GetLogBufferAddress(), 0x8200 + 0x200);
  EXPECT_EQ(s->GetLogBufferLength(), 0x7E00 - 0x200);
  int load, run;
  WORD zs, zr, cam;
  s->GetMemorySettings(load, run, zs, zr, cam);
  EXPECT_EQ(cam, 0);  // limited away without CAM support

  // CAM tables below the setup table, and at the top of RAM
  s->SetOption("IsClosedPosition", "1");
  EXPECT_EQ(s->SetMemorySettings(1, 0, 0x4000, 0x1000, 0x800), 1);
  EXPECT_EQ(s->GetCAMTablesLength(), 0x800);
  EXPECT_EQ(s->GetLoadCAMTablesAddress(), 0x7FB0 - t - 0x800);
  EXPECT_EQ(s->GetRunCAMTablesAddress(), (WORD)(0x10000 - 0x800));
  EXPECT_EQ(s->GetRunZURCodeAddress(), 0x8200 + 0x200);
  EXPECT_EQ(s->GetZURCodeLength(), 0x1000);
  EXPECT_EQ(s->GetLogBufferAddress(), 0x8200 + 0x200 + 0x1000);
  EXPECT_EQ(s->GetLogBufferLength(), 0x7E00 - 0x1000 - 0x800 - 0x200);

  // Nonzero flags become 1; a ZUR start outside the E2ROM goes back to its start.
  EXPECT_EQ(s->SetMemorySettings(5, 7, 0x3000, 0x9000, 0), 1);
  s->GetMemorySettings(load, run, zs, zr, cam);
  EXPECT_EQ(load, 1);
  EXPECT_EQ(run, 1);
  EXPECT_EQ(zs, 0x4000);
  EXPECT_EQ(zr, 0x7E00);
}

TEST_F(SetupTest, SmallRamMovesLoggerAndCamTables) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->SetPVTSize(0));
  s->SetMemorySettings(1, 0, 0x4000, 0x100, 0x100);
  s->SetRAMSize(0x601);
  WORD log601 = s->GetLogBufferAddress(), cam601 = s->GetRunCAMTablesAddress();
  EXPECT_EQ(log601, 0x8200 + 0x100);
  EXPECT_EQ(cam601, 0x8200 + 0x601 - 0x100);
  s->SetRAMSize(0x600);
  EXPECT_EQ(s->GetLogBufferAddress(), (WORD)(0x8200 + 0x100 + 0x8800));
  EXPECT_EQ(s->GetRunCAMTablesAddress(), (WORD)(0x8200 + 0x600 - 0x100 - 0x7800));
  EXPECT_EQ(s->GetLogBufferLength(), 0x600 - 0x100 - 0x100);
}

TEST_F(SetupTest, TableTooBigForItsSpaceClearsTheLayout) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->IsLoggerEnabled());
  EXPECT_EQ(s->SetE2ROMSize(0x60), 0);  // the table may end at 0x4010 only
  EXPECT_EQ(LastBox(), "The resulting setup table is too big (exceeds disponible E2ROM size).");
  EXPECT_EQ(s->GetLoadZURCodeAddress(), 0);
  EXPECT_EQ(s->GetRunZURCodeAddress(), 0);
  EXPECT_EQ(s->GetZURCodeLength(), 0);
  EXPECT_EQ(s->GetLogBufferAddress(), 0);
  EXPECT_EQ(s->GetLogBufferLength(), 0);
  EXPECT_EQ(s->GetLoadCAMTablesAddress(), 0);
  EXPECT_EQ(s->GetRunCAMTablesAddress(), 0);
  EXPECT_EQ(s->GetCAMTablesLength(), 0);
  EXPECT_FALSE(s->IsLoggerEnabled());

  ClearBoxes();
  EXPECT_EQ(s->SetE2ROMSize(0x5000), 0);  // the end would lie above 0x7FFF
  EXPECT_EQ(Boxes().front(), "Invalid end address. It must be in (0x4000, 0x7FFF) interval.");
  EXPECT_EQ(s->GetE2ROMSize(), 0x4000);
}

TEST_F(SetupTest, DataSectionAndMemoryDialog) {
  SetupPtr s(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(s);
  WORD start, size;
  s->GetDefaultDataSection(start, size);
  EXPECT_EQ(start, 944);
  EXPECT_EQ(size, 80);
  s->SetOption("DisableDivision", "1");
  s->GetDefaultDataSection(start, size);
  EXPECT_EQ(start, 944);
  s->SetOption("DisableDataTransfer", "1");
  s->GetDefaultDataSection(start, size);
  EXPECT_EQ(start, 992);
  EXPECT_EQ(size, 32);

  // Nobody drives the dialog: it is cancelled and logged.
  DialogAutomation::Reset();
  EXPECT_EQ(s->ChangeMemorySettings(7), 0);
  ASSERT_EQ(DialogAutomation::UnscriptedDialogs().size(), 1u);
  EXPECT_EQ(DialogAutomation::UnscriptedDialogs()[0].templateId, 14032u);
  EXPECT_EQ(DialogAutomation::UnscriptedDialogs()[0].caption, "Memory Settings");
  DialogAutomation::Reset();

  int load0, run0;
  WORD zs0, zr0, cam0;
  s->GetMemorySettings(load0, run0, zs0, zr0, cam0);
  // Cancel after typing changes nothing.
  DialogAutomation::AddDialogHandler(14032, [](CWnd* d) {
    DialogAutomation::TypeInto(d, 14002, "10");
    DialogAutomation::ClickControl(d, IDCANCEL);
  });
  EXPECT_EQ(s->ChangeMemorySettings(7), 0);
  int load, run;
  WORD zs, zr, cam;
  s->GetMemorySettings(load, run, zs, zr, cam);
  EXPECT_EQ(load, load0);
  EXPECT_EQ(run, run0);
  EXPECT_EQ(zs, zs0);
  EXPECT_EQ(zr, zr0);
  EXPECT_EQ(cam, cam0);

  // OK: the program goes into E2ROM and runs in place, with less CAM space.
  const LONG most = std::min<LONG>(s->GetE2ROMSize() - s->GetSetupTableSize() - 80, s->GetRAMSize() - s->GetPVTSize());
  CString shown, usage, tooBig;
  DialogAutomation::AddDialogHandler(14032, [&](CWnd* d) {
    d->GetDlgItemText(14002, shown);
    d->GetDlgItemText(14010, usage);
    DialogAutomation::ClickControl(d, 14000);
    EXPECT_EQ(d->IsDlgButtonChecked(14000), (UINT)BST_CHECKED);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, 14003)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, 14004)));
    DialogAutomation::ClickControl(d, 14006);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, 14005)));
    // Too much CAM space: refused on OK, the dialog stays and the edit has the focus.
    DialogAutomation::TypeInto(d, 14002, "FFFF");
    DialogAutomation::ClickControl(d, IDOK);
    auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    tooBig = boxes[0].text.c_str();
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, 14002));
    DialogAutomation::TypeInto(d, 14002, "400");
    DialogAutomation::TypeInto(d, 14003, "4000");
    DialogAutomation::ClickControl(d, IDOK);
  });
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(s->ChangeMemorySettings(7), 1);
  EXPECT_STREQ(shown, FormatString("%04hX", cam0).c_str());
  EXPECT_STREQ(usage, "Space needed for CAM Tables 0007 H");
  EXPECT_STREQ(tooBig, FormatString("Maximum CAM tables size is 0x%04hX!", (WORD)most).c_str());
  s->GetMemorySettings(load, run, zs, zr, cam);
  EXPECT_EQ(load, 1);
  EXPECT_EQ(run, 1);
  EXPECT_EQ(zs, 0x4000);
  EXPECT_EQ(cam, 0x400);
  EXPECT_EQ(s->GetCAMTablesLength(), 0x400);
  DialogAutomation::Reset();
}

TEST_F(SetupTest, SlaveAxesOfAMotionController) {
  SetupPtr s(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(s);
  BYTE id = 0xEE;
  ASSERT_TRUE(s->MotionController_GetAxisIDOfSlave(0, id));
  EXPECT_EQ(id, 1);
  ASSERT_TRUE(s->MotionController_GetAxisIDOfSlave(1, id));  // high byte of SLAVE_AB
  EXPECT_EQ(id, 2);
  ASSERT_TRUE(s->MotionController_GetAxisIDOfSlave(2, id));
  EXPECT_EQ(id, 3);
  EXPECT_FALSE(s->MotionController_GetAxisIDOfSlave(4, id));
  EXPECT_EQ(LastBox(), "This application doesn't have a slave axis E!");

  int changed = -1;
  EXPECT_TRUE(s->MotionController_SetAxisIDOfSlave(1, 7, &changed));
  EXPECT_EQ(changed, 1);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("SLAVE_AB"), 0x0701);
  EXPECT_TRUE(s->MotionController_SetAxisIDOfSlave(1, 7, &changed));
  EXPECT_EQ(changed, 0);
  EXPECT_TRUE(s->MotionController_SetAxisIDOfSlave(2, 9, nullptr));
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("SLAVE_CD"), 0x0409);

  // B and C take A's id, D keeps its own: A first, then every later holder.
  ClearBoxes();
  s->MotionController_SetAxisIDOfSlave(1, 1, nullptr);
  s->MotionController_SetAxisIDOfSlave(2, 1, nullptr);
  EXPECT_FALSE(s->VerifyMotionControllerConfig());
  EXPECT_EQ(LastBox(), "The following slaves have conflicting axis IDs: A[1], B[1], C[1].\nPlease select unique axis IDs!");
  // Unassigned slaves (id 0) never conflict.
  s->MotionController_SetAxisIDOfSlave(0, 0, nullptr);
  s->MotionController_SetAxisIDOfSlave(1, 0, nullptr);
  s->MotionController_SetAxisIDOfSlave(2, 0, nullptr);
  EXPECT_TRUE(s->VerifyMotionControllerConfig());

  SetupPtr single(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(single);
  EXPECT_TRUE(single->VerifyMotionControllerConfig());
  EXPECT_FALSE(single->MotionController_SetAxisIDOfSlave(0, 1, nullptr));
}

TEST_F(SetupTest, CopyIsDeepAndIndependent) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->SetOption("Extra", "x");
  SetupPtr c(s->CreateCopy());
  ASSERT_TRUE(c);
  EXPECT_EQ(c->GetFirmwareID(), s->GetFirmwareID());
  EXPECT_EQ(c->GetLogBufferAddress(), s->GetLogBufferAddress());
  EXPECT_EQ(c->GetOptionNoError("EXTRA"), "x");
  EXPECT_EQ(c->GetOptionNames().GetSize(), s->GetOptionNames().GetSize());
  EXPECT_EQ(c->GetParameters().GetSize(), s->GetParameters().GetSize());
  EXPECT_NE(c->GetGuiModule(), nullptr);
  EXPECT_EQ(c->GetInterruptsCount(), s->GetInterruptsCount());
  EXPECT_EQ(c->GetPortName(3, 0), "Ready");
  ASSERT_NE(c->FindParameter("Ipeak"), s->FindParameter("Ipeak"));
  EXPECT_EQ(&c->FindParameter("Ipeak")->GetSetup(), c.get());
  EXPECT_EQ(&c->FindVariable("MSR", 1)->GetSetup(), c.get());

  c->SetParameterValue("Ipeak", 5);
  c->SetOption("Extra", "y");
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 10);
  EXPECT_DOUBLE_EQ(c->GetParameterValue("Ipeak"), 5);
  EXPECT_EQ(s->GetOptionNoError("Extra"), "x");
  s.reset();  // the copy outlives its source
  EXPECT_DOUBLE_EQ(c->GetParameterValue("Ipeak"), 5);
  EXPECT_TRUE(c->FindVariable("CAMSTART", 1));
}

TEST_F(SetupTest, UnitsOfTheSetup) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->MergeDerivedUnit("kA", "A", 0.001, 0));
  ASSERT_TRUE(s->FindUnit("kA"));
  EXPECT_TRUE(s->ChangeParameterUnit("Ipeak", "kA"));
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 0.01);
  s->RemoveUnit("kA");
  EXPECT_EQ(s->FindUnit("kA"), nullptr);
  EXPECT_EQ(s->GetParameterUnit("Ipeak"), "A");  // switched to the base unit
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 10);
}

namespace {

CString ItemText(CWnd* d, int id) {
  CString text;
  d->GetDlgItemText(id, text);
  return text;
}

}  // namespace

TEST_F(SetupTest, MemorySettingsDialogDrawsTheMapsAndChecksTheLayout) {
  // E2ROM 0x1000 words, RAM 0x800 words from 0x8000, setup table 0x100, 0x80 of CAM data, PVT 0x100.
  CMemorySettingsDlg dlg(0x1000, 0x8000, 0x800, 0x100, 0x80, 0x100);
  dlg.m_bLoadToE2ROM = 1;
  dlg.m_bRunFromE2ROM = 1;
  dlg.m_wCAMSize = 0x40;
  dlg.m_wZURStartE2ROM = 0x4000;
  dlg.m_wZURSizeRAM = 0x200;
  std::vector<std::string> seen;
  DialogAutomation::AddDialogHandler(14032, [&](CWnd* d) {
    EXPECT_STREQ(ItemText(d, 14010), "Space needed for CAM Tables 0080 H\tOverflow! Insufficient space for Cam Tables");
    EXPECT_STREQ(ItemText(d, 14008),
                 "4000..4E6F - VKS Program\r\n4E70..4EAF - CAM Tables\r\n4EB0..4FFF - Setup Table\r\n");
    EXPECT_STREQ(ItemText(d, 14009),
                 "8000..80FF - PVT Buffer\r\n8100..87BF - Data Acquisitions\r\n87C0..87FF - CAM Tables\r\n");
    EXPECT_STREQ(ItemText(d, 14003), "4000");
    EXPECT_STREQ(ItemText(d, 14005), "");  // disabled while the program runs in place
    EXPECT_STREQ(ItemText(d, 14004), "");

    DialogAutomation::ClickControl(d, 14007);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
    EXPECT_STREQ(ItemText(d, 14005), "0200");
    EXPECT_STREQ(ItemText(d, 14008), "4000..41FF - VKS Program\r\n4200..4E6F - free\r\n4E70..4EAF - CAM Tables\r\n"
                                     "4EB0..4FFF - Setup Table\r\n");
    EXPECT_STREQ(ItemText(d, 14009), "8000..80FF - PVT Buffer\r\n8100..82FF - VKS Program\r\n"
                                     "8300..87BF - Data Acquisitions\r\n87C0..87FF - CAM Tables\r\n");
    // Typing a size that does not fit empties the maps, silently and without moving the focus.
    DialogAutomation::TypeInto(d, 14005, "7000");
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
    EXPECT_STREQ(ItemText(d, 14008), "");
    EXPECT_STREQ(ItemText(d, 14009), "");
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, 14005));
    DialogAutomation::TypeInto(d, 14005, "80");
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
    EXPECT_STREQ(ItemText(d, 14009), "8000..80FF - PVT Buffer\r\n8100..817F - VKS Program\r\n"
                                     "8180..87BF - Data Acquisitions\r\n87C0..87FF - CAM Tables\r\n");
    EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());

    // OK names the first failed check and keeps the dialog open.
    DialogAutomation::TypeInto(d, 14003, "3000");
    DialogAutomation::ClickControl(d, IDOK);
    for (auto& b : Automation::Instance().MessageBoxes()) seen.push_back(b.text);
    Automation::Instance().ClearMessageBoxes();
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, 14003));
    // The last word before the CAM tables is accepted, and then leaves no room for a program in RAM.
    DialogAutomation::TypeInto(d, 14003, "4E70");
    DialogAutomation::ClickControl(d, IDOK);
    for (auto& b : Automation::Instance().MessageBoxes()) seen.push_back(b.text);
    Automation::Instance().ClearMessageBoxes();
    DialogAutomation::TypeInto(d, 14005, "0");
    DialogAutomation::ClickControl(d, IDOK);
  });
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(seen, (std::vector<std::string>{"Please set a value between 0x4000 and 0x4E70!",
                                            "Please set a value between 0x0000 and 0x0000!"}));
  EXPECT_EQ(dlg.m_bLoadToE2ROM, 1);
  EXPECT_EQ(dlg.m_bRunFromE2ROM, 0);
  EXPECT_EQ(dlg.m_wZURStartE2ROM, 0x4E70);
  EXPECT_EQ(dlg.m_wZURSizeRAM, 0);
  EXPECT_EQ(dlg.m_wCAMSize, 0x40);

  // An E2ROM too small for the setup table: told as soon as the dialog opens; CAM tables unsupported.
  CMemorySettingsDlg small(0x100, 0x8000, 0x800, 0x100, 0, 0);
  small.m_bLoadToE2ROM = 1;
  small.m_bSupportCAMTables = 0;
  CString usage;
  bool camEnabled = true;
  DialogAutomation::AddDialogHandler(14032, [&](CWnd* d) {
    usage = ItemText(d, 14010);
    camEnabled = ::IsWindowEnabled(::GetDlgItem(d->m_hWnd, 14002));
    DialogAutomation::ClickControl(d, 57671);
    DialogAutomation::ClickControl(d, IDCANCEL);
  });
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(small.DoModal(), IDCANCEL);
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "You cannot load VKS program in current configuration.\r\nInsufficient E2ROM memory.");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
  EXPECT_STREQ(usage, "CAM Tables not available in current configuration");
  EXPECT_FALSE(camEnabled);
  auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].file, std::string(GetKernelHelpFile()));
  EXPECT_EQ(help[0].command, 15u);
  EXPECT_EQ(help[0].data, 4133u);

  // Loading into RAM: a size beyond the RAM left is refused on OK.
  CMemorySettingsDlg ram(0x1000, 0x8000, 0x800, 0x100, 0, 0x100);
  seen.clear();
  DialogAutomation::AddDialogHandler(14032, [&](CWnd* d) {
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, 14003)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, 14006)));
    DialogAutomation::TypeInto(d, 14004, "701");
    DialogAutomation::ClickControl(d, IDOK);
    for (auto& b : Automation::Instance().MessageBoxes()) seen.push_back(b.text);
    Automation::Instance().ClearMessageBoxes();
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, 14004));
    DialogAutomation::TypeInto(d, 14004, "700");
    DialogAutomation::ClickControl(d, IDOK);
  });
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(ram.DoModal(), IDOK);
  EXPECT_EQ(seen, std::vector<std::string>{"Please set a value between 0x0000 and 0x0700!"});
  EXPECT_EQ(ram.m_wZURSizeRAM, 0x700);
  EXPECT_EQ(ram.m_bLoadToE2ROM, 0);
  DialogAutomation::Reset();
}

// An arrow onto a radio button of the owner's own (not automatic) kind tells the owner as a click
// does: "RAM section of size" reached by Down is chosen with its map, "the same location" by Up.
TEST_F(SetupTest, MemorySettingsRadiosTakenByTheArrowsAsByAClick) {
  CMemorySettingsDlg dlg(0x1000, 0x8000, 0x800, 0x100, 0x80, 0x100);
  dlg.m_bLoadToE2ROM = 1;
  dlg.m_bRunFromE2ROM = 1;
  dlg.m_wZURStartE2ROM = 0x4000;
  dlg.m_wZURSizeRAM = 0x200;
  std::vector<std::string> seen;
  DialogAutomation::AddDialogHandler(14032, [&](CWnd* d) {
    DialogAutomation::ClickControl(d, 14006);
    // The arrows stay among the radios of a group, never onto the edit beside one; the places to
    // download to are one group.
    for (UINT key : {UINT(VK_DOWN), UINT(VK_UP), UINT(VK_DOWN), UINT(VK_DOWN), UINT(VK_UP), 0u, UINT(VK_DOWN), UINT(VK_UP)}) {
      if (key == 0) {
        DialogAutomation::ClickControl(d, 14000);
        continue;
      }
      UiAutomation::PressKey(key);
      seen.push_back(std::to_string(::GetDlgCtrlID(::GetFocus())) + " " + std::to_string(d->IsDlgButtonChecked(14006)) +
                     std::to_string(d->IsDlgButtonChecked(14007)) + " " + ItemText(d, 14005).GetString());
    }
    DialogAutomation::ClickControl(d, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(seen, (std::vector<std::string>{"14007 01 0200", "14006 10 ", "14007 01 0200", "14006 10 ",
                                            "14007 01 0200", "14001 00 ", "14000 01 0200"}));
  EXPECT_EQ(dlg.m_bRunFromE2ROM, 0);
}

// Each route from the same start, in E2ROM and running in place: Tab order over the enabled controls,
// Enter and Escape from an edit with a value typed, a refused value, and a radio by Space.
TEST_F(SetupTest, MemorySettingsRoutesByKeys) {
  namespace UA = UiAutomation;
  struct Case {
    const char* what;
    std::function<void(CWnd*)> drive;
    const char* result;  // dialog result, load, run, CAM, start, size, boxes
  };
  const Case cases[] = {
      {"CAM size typed, Enter", [](CWnd* d) { DialogAutomation::TypeInto(d, 14002, "20"), UA::PressKey(VK_RETURN); },
       "1 1 1 0020 4000 0200 0"},
      {"CAM size typed, Escape", [](CWnd* d) { DialogAutomation::TypeInto(d, 14002, "20"), UA::PressKey(VK_ESCAPE); },
       "2"},
      {"start emptied, Enter refused, Escape", [](CWnd* d) {
         DialogAutomation::TypeInto(d, 14003, "\b"), UA::PressKey(VK_RETURN);
         EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, 14003));
         UA::PressKey(VK_ESCAPE);
       }, "2"},
      {"start at the last word, Tab, Space on OK", [](CWnd* d) {
         DialogAutomation::TypeInto(d, 14003, "4e70");
         for (UINT id : {14006u, (UINT)IDOK}) {
           UA::PressKey(VK_TAB);
           EXPECT_EQ((UINT)::GetDlgCtrlID(::GetFocus()), id);
         }
         UA::PressKey(VK_SPACE);
       }, "1 1 1 0040 4E70 0200 0"},
      {"start past the last word, Enter refused, Escape", [](CWnd* d) {
         DialogAutomation::TypeInto(d, 14003, "4e71"), UA::PressKey(VK_RETURN), UA::PressKey(VK_ESCAPE);
       }, "2"},
      {"RAM by Tab and Down, Tab order, Enter", [](CWnd*) {
         UA::PressKey(VK_TAB), UA::PressKey(VK_DOWN);
         std::vector<int> order;
         for (int i = 0; i < 2; ++i) UA::PressKey(VK_TAB), order.push_back(::GetDlgCtrlID(::GetFocus()));
         EXPECT_EQ((std::vector<int>{14004, IDOK}), order);
         UA::PressKey(VK_RETURN);
       }, "1 0 1 0040 4000 0200 0"},
      {"RAM by Tab and Down, back by Up, Space on the radio, Enter", [](CWnd*) {
         UA::PressKey(VK_TAB), UA::PressKey(VK_DOWN), UA::PressKey(VK_UP), UA::PressKey(VK_SPACE), UA::PressKey(VK_RETURN);
       }, "1 1 1 0040 4000 0200 0"},
  };
  for (const Case& c : cases) {
    CMemorySettingsDlg dlg(0x1000, 0x8000, 0x800, 0x100, 0x80, 0x100);
    dlg.m_bLoadToE2ROM = 1;
    dlg.m_bRunFromE2ROM = 1;
    dlg.m_wCAMSize = 0x40;
    dlg.m_wZURStartE2ROM = 0x4000;
    dlg.m_wZURSizeRAM = 0x200;
    std::vector<int> order;
    DialogAutomation::AddDialogHandler(14032, [&](CWnd* d) {
      order.push_back(::GetDlgCtrlID(::GetFocus()));
      for (int i = 0; i < 9; ++i) UA::PressKey(VK_TAB), order.push_back(::GetDlgCtrlID(::GetFocus()));
      ::SetFocus(::GetDlgItem(d->m_hWnd, 14002));
      c.drive(d);
      if (::IsWindow(d->m_hWnd) && ::IsWindowVisible(d->m_hWnd)) DialogAutomation::ClickControl(d, IDCANCEL);
    });
    Automation::Instance().ClearMessageBoxes();
    const INT_PTR rc = dlg.DoModal();
    std::string result = std::to_string(rc);
    if (rc == IDOK)
      result += FormatString(" %d %d %04X %04X %04X %d", dlg.m_bLoadToE2ROM, dlg.m_bRunFromE2ROM, dlg.m_wCAMSize,
                             dlg.m_wZURStartE2ROM, dlg.m_wZURSizeRAM, (int)Automation::Instance().MessageBoxes().size());
    EXPECT_EQ(result, c.result) << c.what;
    // Of each group of radios only the chosen one is a tab stop.
    EXPECT_EQ((std::vector<int>{14002, 14000, 14003, 14006, IDOK, IDCANCEL, 57671, 14002, 14000, 14003}), order) << c.what;
  }
  DialogAutomation::Reset();
}
