// The printer device context from DEVNAMES and DEVMODE.
#include "platform/ui/PrinterDC.h"

#include <algorithm>
#include <cstring>

namespace {

// The name at a DEVNAMES offset, cut at the block's end.
CString DevName(const BYTE* block, SIZE_T size, WORD offset) {
  if (offset >= size) return CString();
  const char* p = reinterpret_cast<const char*>(block + offset);
  return CString(std::string(p, strnlen(p, size - offset)).c_str());
}

}  // namespace

HDC AfxCreateDC(HGLOBAL hDevNames, HGLOBAL hDevMode) {
  if (!hDevNames) return nullptr;
  const SIZE_T size = GlobalSize(hDevNames);
  const BYTE* names = static_cast<const BYTE*>(GlobalLock(hDevNames));
  if (!names || size < sizeof(DEVNAMES)) {
    if (names) GlobalUnlock(hDevNames);
    return nullptr;
  }
  DEVNAMES dn;
  std::memcpy(&dn, names, sizeof(dn));
  CString driver = DevName(names, size, dn.wDriverOffset);
  CString device = DevName(names, size, dn.wDeviceOffset);
  CString output = DevName(names, size, dn.wOutputOffset);
  GlobalUnlock(hDevNames);
  // A DEVMODE shorter than the older layout is not handed on.
  const DEVMODE* dm = nullptr;
  DEVMODE copy{};
  const SIZE_T have = hDevMode ? GlobalSize(hDevMode) : 0;
  if (have >= DEVMODE_MIN_SIZE) {
    if (const void* p = GlobalLock(hDevMode)) {
      std::memcpy(&copy, p, std::min<SIZE_T>(have, sizeof(copy)));
      dm = &copy;
      GlobalUnlock(hDevMode);
    }
  }
  return ::CreateDC(driver, device, output, dm);
}
