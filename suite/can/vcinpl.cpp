// Stand-in for the IXXAT VCI library: a scripted device selection.
#include "suite/can/CanAdapters.h"

#include <cstdio>
#include <cstring>

namespace {
bool g_initFails = false;
bool g_cancel = true;
uint64_t g_id = 0;
}  // namespace

extern "C" {

__attribute__((visibility("default"))) int CanStandIn_Script(const char* command) {
  unsigned long high = 0, low = 0;
  if (std::strcmp(command, "reset") == 0) {
    g_initFails = false;
    g_cancel = true;
    g_id = 0;
  } else if (std::strcmp(command, "cancel") == 0) {
    g_cancel = true;
  } else if (std::strcmp(command, "init-fail") == 0) {
    g_initFails = true;
  } else if (std::sscanf(command, "choose %lu %lu", &high, &low) == 2) {
    g_cancel = false;
    g_id = (uint64_t)high << 32 | (uint32_t)low;
  } else {
    return 0;
  }
  return 1;
}

__attribute__((visibility("default"))) int32_t vciInitialize() { return g_initFails ? -1 : 0; }

__attribute__((visibility("default"))) int32_t vciSelectDeviceDlg(void*, uint64_t* id) {
  if (g_cancel) return 1;
  *id = g_id;
  return 0;
}

}  // extern "C"
