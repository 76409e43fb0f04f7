// Stand-in for the IXXAT hardware registry library: version check and a scripted board selection.
// Built twice: the second copy lacks XAT_GetConfig, as a broken installation would.
#include "suite/can/CanAdapters.h"

#include <cstdio>
#include <cstring>

namespace {
bool g_refuseVersion = false;
bool g_cancel = true;
XAT_BOARD_CONFIG g_config{};
}  // namespace

extern "C" {

__attribute__((visibility("default"))) int CanStandIn_Script(const char* command) {
  unsigned long type = 0, index = 0;
  if (std::strcmp(command, "reset") == 0) {
    g_refuseVersion = false;
    g_cancel = true;
  } else if (std::strcmp(command, "cancel") == 0) {
    g_cancel = true;
  } else if (std::strcmp(command, "refuse-version") == 0) {
    g_refuseVersion = true;
  } else if (std::sscanf(command, "choose %lu %lu", &type, &index) == 2) {
    g_cancel = false;
    g_config = XAT_BOARD_CONFIG{};
    g_config.boardType = (uint32_t)type;
    g_config.boardIndex = (uint16_t)index;
  } else {
    return 0;
  }
  return 1;
}

__attribute__((visibility("default"))) int32_t XAT_GetProductVersion(char* buffer, int32_t size) {
  if (buffer && size > 0) std::snprintf(buffer, (size_t)size, "01,01,0,0");
  return 0;
}

__attribute__((visibility("default"))) int32_t XAT_CheckProductVersion(const char*, const char* version) {
  return g_refuseVersion || !version || std::strcmp(version, "01,01,0,0") != 0 ? 1 : 0;
}

__attribute__((visibility("default"))) int32_t XAT_SelectHardware(void*, XAT_BOARD_CONFIG* config) {
  if (g_cancel || !config) return 0;
  *config = g_config;
  return 1;
}

__attribute__((visibility("default"))) int32_t XAT_InstallHardware(void*) { return 0; }

#ifndef XAT_WITHOUT_GETCONFIG
__attribute__((visibility("default"))) int32_t XAT_GetConfig(uint32_t, XAT_BOARD_CONFIG* config) {
  if (config) *config = g_config;
  return 0;
}
#endif

}  // extern "C"
