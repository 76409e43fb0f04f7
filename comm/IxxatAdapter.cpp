// The IXXAT CAN adapter selection: through the VCI library's own dialog when it is there, else
// through the hardware registry library, whose loading is counted across callers.
#include "comm/MC_Comm.h"
#include "kernel/values/ConfigFile.h"
#include "platform/core/Ini.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "suite/can/CanAdapters.h"

namespace {

constexpr const char* kRegistry = "Xat11reg.dll";
constexpr const char* kVci = "vcinpl.dll";

// The registry library: a use count and what was resolved from it.
struct XatLibrary {
  int count = 0;
  HMODULE module = nullptr;
  XAT_GET_PRODUCT_VERSION getVersion = nullptr;
  XAT_CHECK_PRODUCT_VERSION checkVersion = nullptr;
  XAT_SELECT_HARDWARE select = nullptr;
  XAT_INSTALL_HARDWARE install = nullptr;
  XAT_GET_CONFIG getConfig = nullptr;

  void ClearFunctions() {
    getVersion = nullptr;
    checkVersion = nullptr;
    select = nullptr;
    install = nullptr;
    getConfig = nullptr;
  }
  // True only when this call loaded the library and it accepted the version. A failed load keeps
  // the count at 1, so later selections fail alike until the program restarts.
  bool Load() {
    if (count) {
      ++count;
      return false;
    }
    count = 1;
    module = LoadLibrary(kRegistry);
    if (!module) return false;
    getVersion = reinterpret_cast<XAT_GET_PRODUCT_VERSION>(GetProcAddress(module, "XAT_GetProductVersion"));
    checkVersion = reinterpret_cast<XAT_CHECK_PRODUCT_VERSION>(GetProcAddress(module, "XAT_CheckProductVersion"));
    if (getVersion && checkVersion && checkVersion(kRegistry, "01,01,0,0") == 0) return true;
    ClearFunctions();
    FreeLibrary(module);
    module = nullptr;
    return false;
  }
  void Release() {
    if (count == 0) return;
    if (count > 1) {
      --count;
      return;
    }
    ClearFunctions();
    if (module) FreeLibrary(module);
    module = nullptr;
    count = 0;
  }
};

XatLibrary& Registry() {
  static XatLibrary library;
  return library;
}

void WriteKey(const char* key, const char* format, unsigned long value) {
  CString text;
  text.Format(format, value);
  WritePrivateProfileString("ZURCOMM", key, text, GetKernelConfigFilePath());
}

}  // namespace

int CMC_Comm::SelectIxxatDevice() {
  if (m_bNetMaster) return 0;
  if (HMODULE vci = LoadLibrary(kVci)) {
    auto init = reinterpret_cast<VCI_INITIALIZE>(GetProcAddress(vci, "vciInitialize"));
    auto select = reinterpret_cast<VCI_SELECT_DEVICE_DLG>(GetProcAddress(vci, "vciSelectDeviceDlg"));
    if (init && select && init() == 0) {
      uint64_t id = 0;
      int32_t result = select(nullptr, &id);
      // Written whatever the dialog answered: a cancelled choice leaves 0 and 0.
      WriteKey("IXXAT_VCIID_HIGH", "%lu", (unsigned long)(id >> 32));
      WriteKey("IXXAT_VCIID_LOW", "%hu", (unsigned long)(uint16_t)id);
      FreeLibrary(vci);
      return result <= 0 ? 1 : 0;
    }
    FreeLibrary(vci);
  }
  XatLibrary& xat = Registry();
  if (!xat.Load()) {
    CString text;
    text.Format("Cannot load %s or %s", kRegistry, kVci);
    AfxMessageBox(text, MB_ICONSTOP);
    return 0;
  }
  xat.select = reinterpret_cast<XAT_SELECT_HARDWARE>(GetProcAddress(xat.module, "XAT_SelectHardware"));
  xat.install = reinterpret_cast<XAT_INSTALL_HARDWARE>(GetProcAddress(xat.module, "XAT_InstallHardware"));
  xat.getConfig = reinterpret_cast<XAT_GET_CONFIG>(GetProcAddress(xat.module, "XAT_GetConfig"));
  if (!xat.select || !xat.install || !xat.getConfig) {
    xat.Release();
    CString text;
    text.Format("Cannot map functions in %s", kRegistry);
    AfxMessageBox(text, MB_ICONSTOP);
    return 0;
  }
  XAT_BOARD_CONFIG config{};
  int chosen = xat.select(nullptr, &config) != 0;
  if (chosen) {
    WriteKey("IXXAT_BOARD_TYPE", "%lu", config.boardType);
    WriteKey("IXXAT_BOARD_INDEX", "%hu", config.boardIndex);
    Close();
  }
  xat.Release();
  return chosen;
}
