#include "examples/host/SetupTestStep.h"

#include "kernel/setup/MC_Setup.h"
#include "platform/core/Module.h"

#include <cstdio>
#include <sstream>

bool RunSetupTestPage(std::string& detail) {
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  if (!setup) {
    detail = "configuration 05/05 does not load";
    return false;
  }
  HMODULE gui = setup->GetGuiModule();
  auto run = gui ? reinterpret_cast<int (*)(CMC_Setup*, int, void*)>(GetProcAddress(gui, "GuiStandIn_RunTestPage"))
                 : nullptr;
  auto log = gui ? reinterpret_cast<const char* (*)()>(GetProcAddress(gui, "GuiStandIn_PageLog")) : nullptr;
  bool ok = false;
  if (run && log) {
    log();
    const int result = run(setup, 0, nullptr);
    // The page's steps, one "Step i of n" line followed by what it does, then the status.
    std::istringstream lines(log());
    std::string line;
    while (std::getline(lines, line)) printf("       %s\n", line.c_str());
    ok = result == 1;
    detail = "program " + std::string(setup->GetOptionNoError("TestProgram").GetString()) + ", result " +
             std::to_string(result);
  } else {
    detail = "the setup's GUI module has no test page";
  }
  CMC_Setup::Destroy(setup);
  return ok;
}
