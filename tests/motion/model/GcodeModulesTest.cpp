// The motion modules that run imported G-code: their place in the module list, the parameter strings
// the import writes, and programs made of them that build.
#include "kernel/values/ConfigFile.h"
#include "tests/motion/MotionPtr.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "motion/modules/MotionModule.h"
#include "platform/core/Format.h"
#include "tests/kernel/SetupTestSupport.h"
#include "views/gcode/GcodeTranslator.h"
#include "tests/support/FileContents.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>

namespace {


const char* const kGcodeModules[] = {"Linear Interpolation", "Vector Mode", "Jumps and Function Calls", "I/O",
                                     "Trapezoidal Profiles", "Motor Commands", "Events", "Free Text"};

std::string E(double v) { return FormatString("%.14e", v); }

std::string Translate(CMotionModulesArray& modules, const char* module, const std::string& params, int& result) {
  CString p = params.c_str(), code;
  result = modules.TranslateMotionSequence(module, nullptr, nullptr, &p, &code);
  return code.str();
}

std::string ReadGcode(const std::string& name) {
  return dravonix::test::ReadFileText(dravonix::test::FixturePath("gcode/" + name));
}

tagGcodeSettings Settings() {
  tagGcodeSettings s;
  const int slaves[6] = {0, 1, 3, 4, 5, 6};
  for (int k = 0; k < 6; k++) s.m_nAxisSlave[k] = slaves[k];
  s.m_nSpindleSlave = 2;
  s.m_bCoolantValve = TRUE;
  s.m_nCoolantSlave = 1;
  s.m_nCoolantOutput = 3;
  s.m_bCycleStart = TRUE;
  s.m_nCycleStartSlave = 0;
  s.m_nCycleStartInput = 2;
  return s;
}

class GcodeModules : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    g_bShowErrors = FALSE;
    ASSERT_EQ(m_modules.LoadModules(nullptr), 1);
  }
  CMotionModulesArray m_modules;
};

}  // namespace

TEST_F(GcodeModules, ListHoldsTheModulesInClassAndOrder) {
  // Every Motion module sorts before every Program module, so the classes keep their order whatever
  // order the folder lists the libraries in.
  const char* const expected[] = {"Wait",    "Move",   "Linear Interpolation", "Vector Mode",
                                  "Motor Commands", "Trapezoidal Profiles", "Comment", "Jumps and Function Calls",
                                  "Events",  "I/O",    "Free Text"};
  ASSERT_EQ(m_modules.GetSize(), (int)std::size(expected));
  for (int i = 0; i < m_modules.GetSize(); ++i) EXPECT_STREQ(m_modules.GetModuleName(i), expected[i]) << i;
  ASSERT_EQ(m_modules.GetClasses().GetSize(), 2);
  CStringArray names;
  m_modules.GetModulesOfClass(0, names);
  EXPECT_EQ(names.GetSize(), 6);
  m_modules.GetModulesOfClass(1, names);
  ASSERT_EQ(names.GetSize(), 5);
  EXPECT_STREQ(names[4], "Free Text");
  EXPECT_STREQ(m_modules.GetModuleDescription(2), "Motion - Linear Interpolation");
  EXPECT_STREQ(m_modules.GetModuleDescription(9), "Program - I/O");
  // Element types are matched without regard to case.
  EXPECT_NE(m_modules.FindModule("VECTOR MODE"), nullptr);
}

TEST_F(GcodeModules, DefaultsTranslateToACommentAndACall) {
  const std::map<std::string, std::string> calls = {
      {"Linear Interpolation", "LINEAR_INTERPOLATION();"}, {"Vector Mode", "VECTOR_MODE();"},
      {"Jumps and Function Calls", "JUMPS_AND_FUNCTION_CALLS();"}, {"I/O", "INPUT_OUTPUT();"},
      {"Trapezoidal Profiles", "TRAPEZOIDAL_PROFILES();"}, {"Motor Commands", "MOTOR_COMMANDS();"},
      {"Events", "EVENTS();"}};
  for (const char* module : kGcodeModules) {
    CString params;
    m_modules.GetDefaultParameters(module, nullptr, nullptr, &params);
    ASSERT_FALSE(params.IsEmpty()) << module;
    EXPECT_EQ(m_modules.EditMotionSequence(module, nullptr, nullptr, &params), 0) << module;
    int result = 0;
    std::string code = Translate(m_modules, module, params.str(), result);
    EXPECT_GT(result, 0) << module << ": " << code;
    if (std::string(module) == "Free Text")
      EXPECT_EQ(code, params.str());
    else
      EXPECT_EQ(code, "// " + std::string(module) + "(" + params.str() + ");\r\n" + calls.at(module) + "\r\n");
  }
}

TEST_F(GcodeModules, AcceptTheImportStringsAndRefuseFaultyOnes) {
  const std::string u = "[mm]=";
  const struct {
    const char* module;
    std::string params;
  } good[] = {
      {"Linear Interpolation", "ProfileType=1 ConfigureMode=1 ClearBuffer=0 InsertEndSegment=1 SlaveX=0 SlaveY=1 "
                               "SlaveZ=3 X_TPOS" + u + E(1) + "," + E(0) + " Y_TPOS" + u + E(0) + "," + E(-1.5) +
                               " Z_TPOS" + u + E(0) + "," + E(0) + " CACC=0,0 CSPD[mm/min]=" + E(200) +
                               ",0 Execute=0 WaitForCompletion=1"},
      {"Linear Interpolation", "ProfileType=0 ConfigureMode=0 ClearBuffer=0 InsertEndSegment=1 SlaveX=4 SlaveY=5 "
                               "X_TPOS[deg]=" + E(10) + " Y_TPOS[deg]=" + E(0) + " CACC=0 CSPD[deg/min]=0 "
                               "Execute=0 WaitForCompletion=1"},
      {"Vector Mode", "ConfigureMode=1 ClearBuffer=0 InsertEndSegment=1 SlaveX=0 SlaveY=1 SlaveTangent=-1 "
                      "SegmentType=0 CACC=0 CSPD[in/min]=" + E(10) + " X_TPOS[in]=" + E(1) + " Y_TPOS[in]=" + E(0) +
                      " Radius[in]= InitAngle[deg]= AngleIncrement[deg]= Execute=0 WaitForCompletion=1"},
      {"Vector Mode", "ConfigureMode=0 ClearBuffer=0 InsertEndSegment=1 SlaveX=0 SlaveY=1 SlaveTangent=-1 "
                      "SegmentType=1,0 CACC=0,0 CSPD[mm/min]=0,0 X_TPOS[mm]=" + E(2) + " Y_TPOS[mm]=" + E(0) +
                      " Radius[mm]=" + E(5) + " InitAngle[deg]=" + E(90) + " AngleIncrement[deg]=" + E(-90) +
                      " Execute=0 WaitForCompletion=1"},
      {"Jumps and Function Calls", "Type=6 Label=gcode_start"},
      {"Jumps and Function Calls", "Type=0 Label=gcode_start"},
      {"I/O", "Type=0 SimpleType=1 Slave=1 Port=3 SimpleSet=1 SetLineType=0"},
      {"Trapezoidal Profiles", "Slave=2 Profile=1 StartPoint=1 CSPD[rpm]=" + E(-1500) + " Execute=0"},
      {"Motor Commands", "SelectedSlaves=4 Type=2"},
      {"Motor Commands", "SelectedSlaves=7B Type=2"},
      {"Events", "Stop=0 Wait=1 EvType=6 EvSlaveAxis=0 EvInput=4 EvInputPort=2 EvInputLevel=1"},
      {"Events", "Stop=0 Wait=1 EvType=4 EvSourceType=0 EventATIME[s]=" + E(2.5)},
      {"Free Text", "/* no spindle slave */"},
  };
  for (const auto& g : good) {
    int result = 0;
    std::string code = Translate(m_modules, g.module, g.params, result);
    EXPECT_GT(result, 0) << g.module << ": " << code;
  }

  const struct {
    const char* module;
    const char* params;
    const char* error;
  } bad[] = {
      {"Vector Mode", "SlaveX=0 ERR=1", "Vector Mode: error in the parameters \"SlaveX=0 ERR=1\""},
      {"Free Text", "/* ERR */", "Free Text: error in the parameters \"/* ERR */\""},
      {"Events", "Stop=0 EvType", "Events: cannot read the parameter \"EvType\""},
      {"Events", "Stop=0 =4", "Events: cannot read the parameter \"=4\""},
      {"I/O", "Type=0 Slave=1 Port=3 Colour=2", "I/O: unknown parameter Colour"},
      {"I/O", "Type=0 Slave=1 Slave=2 Port=3", "I/O: the parameter Slave is given twice"},
      {"I/O", "Type=0 Slave=1", "I/O: the parameter Port is missing"},
      {"Motor Commands", "SelectedSlaves=4G Type=2", "Motor Commands: bad value \"4G\" of the parameter SelectedSlaves"},
      {"Motor Commands", "SelectedSlaves=4,5 Type=2", "Motor Commands: the parameter SelectedSlaves takes one value"},
      {"Linear Interpolation", "ProfileType=1 SlaveX=0 SlaveY=1 X_TPOS[mm]=1,,2 Y_TPOS[mm]=0 CSPD=1",
       "Linear Interpolation: bad value \"\" of the parameter X_TPOS"},
      {"Trapezoidal Profiles", "Slave=2 Profile=1 CSPD[rpm]=1e", "Trapezoidal Profiles: bad value \"1e\" of the parameter CSPD"},
      {"Jumps and Function Calls", "Type=0 Label=2nd", "Jumps and Function Calls: bad value \"2nd\" of the parameter Label"},
      {"Jumps and Function Calls", "Type=0 Label=a\r\nEND;",
       "Jumps and Function Calls: the parameters must stay on one line"},
      {"Jumps and Function Calls", "Type=0 Label[x=a", "Jumps and Function Calls: cannot read the parameter \"Label[x=a\""},
  };
  for (const auto& b : bad) {
    int result = 1;
    std::string code = Translate(m_modules, b.module, b.params, result);
    EXPECT_EQ(result, 0) << b.params;
    EXPECT_EQ(code, b.error);
  }
}

// Every corpus program becomes a function of one motion program of the sample setup, which builds.
TEST_F(GcodeModules, CorpusProgramsBuildAsFunctions) {
  SetupPtr setup(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(setup);
  MotionPtr motion(CMC_Motion::Create(setup.get()));
  ASSERT_TRUE(motion);
  std::set<std::string> types;
  int elements = 0;
  // The corpus runs no devices: a program of its own adds the spindle, coolant, dwell and cycle start.
  const std::string devices = "G21 M3 S1200\nM8\nG1 X5 F100\nG4 P1.5\nM5\nM9\nM0\nM2\n";
  for (const char* name : {"milling.gnc", "lathe.gnc", "macro.gnc", "drilling.gnc", "devices"}) {
    std::string program = std::string(name) == "devices" ? devices : ReadGcode(name);
    ASSERT_FALSE(program.empty()) << name;
    CGcodeTranslator t(Settings());
    CString error;
    ASSERT_TRUE(t.Translate(program.c_str(), error)) << name << ": " << error.str();
    const int f = motion->AddNewFunction(std::filesystem::path(name).stem().string().c_str());
    ASSERT_GE(f, 0) << name;
    CMC_MotionGroup* group = motion->GetFunction(f);
    for (const tagGcodeElement& g : t.GetElements()) {
      CMC_MotionElem* e = motion->CreateElement(g.m_strType);
      ASSERT_NE(e, nullptr) << g.m_strType.str();
      e->m_strParameters = g.m_strParameters;
      group->Add(e);
      EXPECT_TRUE(motion->Translate(e, 1)) << name << ": " << g.m_strType.str() << " " << g.m_strParameters.str();
      EXPECT_EQ(e->m_bTranslateError, 0) << e->m_strCode.str();
      types.insert(g.m_strType.str());
      ++elements;
    }
  }
  EXPECT_GT(elements, 20);
  for (const char* module : kGcodeModules) EXPECT_EQ(types.count(module), 1u) << module;
  EXPECT_FALSE(motion->HasTranslateErrors());

  const std::string dir = dravonix::test::ScratchDir("GcodeCorpusBuild");
  ASSERT_EQ(motion->Build(dir.c_str()), 1) << setup->GetCompilerErrorString();
  EXPECT_TRUE(std::filesystem::exists(dir + "/motion.out"));
  const std::string functions = ReadBytes(dir + "/functions.zur");
  EXPECT_NE(functions.find("// Jumps and Function Calls(Type=6 Label=gcode_start);\r\nJUMPS_AND_FUNCTION_CALLS();"),
            std::string::npos);

  // An element the compiler would refuse is reported by its module, not by the build.
  CMC_MotionElem* bad = motion->CreateElement("Events");
  bad->m_strParameters = "EvType=ERR";
  motion->GetMain()->Add(bad);
  EXPECT_FALSE(motion->Translate(bad, 1));
  EXPECT_EQ(bad->m_strCode, "Events: error in the parameters \"EvType=ERR\"");
  EXPECT_TRUE(motion->HasTranslateErrors());
}

// The firmware's default homing procedures and interrupt handlers are written as free text.
TEST_F(GcodeModules, FirmwareDefaultBodiesTranslate) {
  SetupPtr setup(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(setup);
  MotionPtr motion(CMC_Motion::Create(setup.get()));
  ASSERT_TRUE(motion);
  int bodies = 0;
  auto check = [&](CMC_MotionGroup* g, const std::string& what) {
    ASSERT_NE(g, nullptr) << what;
    for (int k = 0; k < g->GetSize(); ++k) {
      auto* e = dynamic_cast<CMC_MotionElem*>(g->GetAt(k));
      if (!e) continue;
      EXPECT_EQ(e->m_bTranslateError, 0) << what << ": " << e->m_strCode.str();
      if (e->m_strType == "Free Text") {
        EXPECT_EQ(e->m_strCode, e->m_strParameters) << what;
        ++bodies;
      }
    }
  };
  for (int i = 0; i < motion->GetHomingProceduresCount(); ++i) {
    motion->ResetHomingProcedureToDefaultHandler(i);
    check(motion->GetHomingProcedure(i), "homing " + motion->GetHomingProcedureName(i).str());
  }
  for (int i = 0; i < motion->GetInterruptsCount(); ++i) {
    motion->ResetUserInterruptToDefaultHandler(i);
    check(motion->GetInterrupt(i), "interrupt " + motion->GetInterruptName(i).str());
  }
  EXPECT_GT(bodies, 3);
  EXPECT_FALSE(motion->HasTranslateErrors());
}
