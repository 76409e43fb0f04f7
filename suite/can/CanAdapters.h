// The C interface of the two CAN adapter libraries the kernel loads at run time ("vcinpl.dll" and
// "Xat11reg.dll"), and the scripting entry of their stand-ins.
#pragma once

#include <cstdint>

extern "C" {

// ---- vcinpl ----
typedef int32_t (*VCI_INITIALIZE)();
// A result above 0 means that nothing was chosen; `id` is the 8-byte device id.
typedef int32_t (*VCI_SELECT_DEVICE_DLG)(void* owner, uint64_t* id);

// ---- Xat11reg ----
struct XAT_BOARD_CONFIG {
  uint32_t boardType;
  uint16_t boardIndex;
  uint16_t reserved;
  uint8_t more[64];
};
typedef int32_t (*XAT_GET_PRODUCT_VERSION)(char* buffer, int32_t size);
// 0 when the library's version is acceptable for the version text ("01,01,0,0").
typedef int32_t (*XAT_CHECK_PRODUCT_VERSION)(const char* fileName, const char* version);
// Nonzero when hardware was chosen.
typedef int32_t (*XAT_SELECT_HARDWARE)(void* owner, XAT_BOARD_CONFIG* config);
typedef int32_t (*XAT_INSTALL_HARDWARE)(void* owner);
typedef int32_t (*XAT_GET_CONFIG)(uint32_t index, XAT_BOARD_CONFIG* config);

// The stand-ins' script: "choose <a> <b>" (vcinpl: id high and low part; Xat11reg: board type and
// index), "cancel", "init-fail" (vcinpl), "refuse-version" (Xat11reg), "reset". Returns 1 when understood.
typedef int (*CAN_STANDIN_SCRIPT)(const char* command);

}  // extern "C"
