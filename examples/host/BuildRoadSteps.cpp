#include "examples/host/BuildRoadSteps.h"

#include "comm/MC_CoffFormat.h"
#include "comm/MC_Comm.h"
#include "kernel/e2rom/DriveMemory.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "platform/core/Format.h"

#include <filesystem>

namespace {

CMC_Setup* g_setup = nullptr;
CMC_Motion* g_motion = nullptr;
CMC_Setup* g_readBack = nullptr;
std::string g_motionDir;

CMC_MotionElem* Element(const char* type, const char* parameters) {
  auto* e = new CMC_MotionElem;
  e->m_strType = type;
  e->m_strParameters = parameters;
  e->m_bEnabled = 1;
  return e;
}

bool Compare(CMC_Setup* setup, const char* who, std::string& detail) {
  int same = 0;
  if (!setup || !setup->CompareWithActiveBoard(same)) {
    detail = std::string("the comparison of the ") + who + " could not be made";
    return false;
  }
  detail += std::string(detail.empty() ? "" : ", ") + who + (same ? " equal" : " different");
  return same != 0;
}

}  // namespace

bool BuildSampleMotion(const std::string& outDir, std::string& detail) {
  ReleaseBuildRoad();
  g_setup = CMC_Setup::Create(0x0505);
  g_motion = g_setup ? CMC_Motion::Create(g_setup) : nullptr;
  if (!g_motion) {
    detail = "the setup or the motion program of configuration 05/05 does not load";
    return false;
  }
  g_motion->GetMain()->Add(Element("Comment", "Text={Sample program}"));
  g_motion->GetMain()->Add(Element("Move", "CPOS=1000 CSPD=20"));
  g_motion->GetMain()->Add(Element("Wait", "Time[ms]=100"));
  const int f = g_motion->AddNewFunction("GoHome");
  if (f >= 0) g_motion->GetFunction(f)->Add(Element("Move", "CPOS=0"));
  g_motion->GetCAMTables()->AddNewSelCAM("Profile");
  g_motionDir = outDir + "/motion-build";
  std::error_code ec;
  std::filesystem::create_directories(g_motionDir, ec);
  if (!g_motion->Build(g_motionDir.c_str())) {
    const char* error = g_setup->GetCompilerErrorString();
    detail = error && *error ? error : "a source file could not be written";
    return false;
  }
  CMC_CoffFormat coff;
  coff.m_strFileName = CMC_Motion::GetOutFileName(g_motionDir.c_str());
  const int ok = coff.ReadCoff();
  const CCoffSectionHeader* text = ok ? coff.GetTextSection() : nullptr;
  detail = FormatString("%d words of code at 0x%04X, sources and motion.out in %s", text ? (int)text->m_dwSize : 0,
                        text ? (unsigned)text->m_dwPhysicalAddress : 0u, g_motionDir.c_str());
  return text != nullptr;
}

bool DownloadMotionProgram(std::string& detail) {
  if (!g_motion) return false;
  WORD start = 0, first = 0, last = 0;
  const CString out = CMC_Motion::GetOutFileName(g_motionDir.c_str());
  if (!CMC_Comm::COFFDownload(out, &start, &first, &last, nullptr, nullptr, 0x4000)) {
    detail = CMC_Comm::GetLastErrorText().GetString();
    return false;
  }
  detail = FormatString("program starts at 0x%04hX, code 0x%04hX-0x%04hX", (int)start, (int)first, (int)last);
  return true;
}

bool SaveSetupToDrive(std::string& detail) {
  if (!g_setup || !g_setup->SaveToActiveBoard()) {
    detail = "the drive refused the setup table";
    return false;
  }
  WORD pointer = 0;
  if (CMC_Comm::ReceiveData(&pointer, DriveMemory::kSetupTablePointer, 2, 1))
    detail = FormatString("%hu words of setup table at 0x%04hX", (int)g_setup->GetSetupTableSize(), (int)pointer);
  return true;
}

bool ReadSetupBack(std::string& detail) {
  if (g_readBack) CMC_Setup::Destroy(g_readBack);
  g_readBack = CMC_Setup::CreateFromActiveBoard(nullptr);
  if (!g_readBack) {
    detail = "the drive holds no readable setup";
    return false;
  }
  detail = FormatString("configuration %04hX, product %s, %d parameters", (int)g_readBack->GetConfigID(),
                        g_readBack->GetProductID().GetString(), g_readBack->GetParameters().GetSize());
  return true;
}

bool CompareSetupWithDrive(std::string& detail) {
  return Compare(g_setup, "saved setup", detail) && Compare(g_readBack, "read-back setup", detail);
}

bool ResetAndCompare(std::string& detail) {
  if (!CMC_Comm::ResetActiveBoard()) {
    detail = CMC_Comm::GetLastErrorText().GetString();
    return false;
  }
  if (!ReadSetupBack(detail)) return false;
  detail.clear();
  return Compare(g_setup, "saved setup", detail) && Compare(g_readBack, "setup read after the reset", detail);
}

void ReleaseBuildRoad() {
  if (g_motion) CMC_Motion::Destroy(g_motion);
  g_motion = nullptr;
  if (g_readBack) CMC_Setup::Destroy(g_readBack);
  g_readBack = nullptr;
  if (g_setup) CMC_Setup::Destroy(g_setup);
  g_setup = nullptr;
}
