#include "examples/host/HostSteps.h"

#include "comm/MC_Comm.h"
#include "kernel/ConfigFile.h"
#include "kernel/KernelGlobals.h"
#include "kernel/MC_Setup.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Step {
  const char* name;
  std::function<bool(std::string& detail)> run;
};

bool ReadSettings(std::string& detail) {
  int offline;
  BYTE flag, type;
  CString channel;
  DWORD baud;
  WORD host, active, prot;
  LoadCommunicationSettings(offline, flag, type, channel, baud, host, active, prot);
  CString server;
  int port;
  GetNetServerAddress(server, port);
  CString text;
  text.Format("channel %s, type %d, %lu baud, host %u, active axis %u, net master %s (%s:%d)",
              channel.GetString(), type, (DWORD)baud, host, active, IsNetmasterEnabled() ? "on" : "off",
              server.GetString(), port);
  detail = text.GetString();
  return !GetKernelDirectory().IsEmpty();
}

bool OpenCommunication(std::string& detail) {
  int offline;
  BYTE flag, type;
  CString channel;
  DWORD baud;
  WORD host, active, prot;
  LoadCommunicationSettings(offline, flag, type, channel, baud, host, active, prot);
  if (!CMC_Comm::Open(channel, baud, flag, type, host)) {
    detail = CMC_Comm::GetLastErrorText().GetString();
    return false;
  }
  CString version;
  if (!CMC_Comm::SetActiveBoard(active ? active : 1) || !CMC_Comm::GetFirmwareVer(version)) {
    detail = CMC_Comm::GetLastErrorText().GetString();
    return false;
  }
  detail = "drive firmware " + std::string(version.GetString());
  return true;
}

bool ScanDrives(std::string& detail) {
  CWordArray axes;
  CStringArray firmware;
  if (!CMC_Comm::ScanNetwork(axes, firmware)) return false;
  for (int i = 0; i < axes.GetSize(); ++i) {
    CString item;
    item.Format("%saxis %u (%s)", i ? ", " : "", axes[i], firmware[i].GetString());
    detail += item.GetString();
  }
  return axes.GetSize() > 0;
}

bool CreateAndSaveSetup(const std::string& outDir, std::string& detail) {
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  if (!setup) {
    detail = "configuration 05/05 does not load";
    return false;
  }
  std::string dir = outDir + "/setup-0505";
  bool ok = setup->SaveToDirectory(dir.c_str());
  CString text;
  text.Format("firmware %s, %d parameters, log buffer 0x%04hX (%hu words), saved to %s", setup->GetFirmwareID().GetString(),
              setup->GetParameters().GetSize(), setup->GetLogBufferAddress(), setup->GetLogBufferLength(), dir.c_str());
  detail = text.GetString();
  CMC_Setup::Destroy(setup);
  return ok;
}

}  // namespace

bool RunHostRoad(const std::string& outDir) {
  // The host reports failures itself; the kernel's boxes would only repeat them.
  g_bShowErrors = FALSE;
  const std::vector<Step> steps = {
      {"read kernel settings", ReadSettings},
      {"open communication", OpenCommunication},
      {"scan the drive network", ScanDrives},
      {"create and save the setup of configuration 05/05",
       [&outDir](std::string& detail) { return CreateAndSaveSetup(outDir, detail); }},
  };
  for (const Step& s : steps) {
    std::string detail;
    bool ok = s.run(detail);
    printf("[%s] %s%s%s\n", ok ? " ok " : "FAIL", s.name, detail.empty() ? "" : ": ", detail.c_str());
    if (!ok) {
      CMC_Comm::Close();
      return false;
    }
  }
  CMC_Comm::Close();
  printf("all steps passed\n");
  return true;
}
