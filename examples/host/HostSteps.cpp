#include "examples/host/HostSteps.h"

#include "kernel/ConfigFile.h"
#include "kernel/KernelGlobals.h"

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

}  // namespace

bool RunHostRoad(const std::string&) {
  // The host reports failures itself; the kernel's boxes would only repeat them.
  g_bShowErrors = FALSE;
  const std::vector<Step> steps = {
      {"read kernel settings", ReadSettings},
  };
  for (const Step& s : steps) {
    std::string detail;
    bool ok = s.run(detail);
    printf("[%s] %s%s%s\n", ok ? " ok " : "FAIL", s.name, detail.empty() ? "" : ": ", detail.c_str());
    if (!ok) return false;
  }
  printf("all steps passed\n");
  return true;
}
