// CGXPrintDevice: the printer a grid prints to (DEVNAMES and DEVMODE blocks) and its device context.
#pragma once

#include "platform/core/Object.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"

class CGXPrintDevice : public CObject {
  DECLARE_SERIAL(CGXPrintDevice)

 public:
  CGXPrintDevice();
  ~CGXPrintDevice() override;

  // Made on first use, after loading the default printer when no device is held.
  virtual HDC GetPrintDC();
  virtual void ResetPrintDC();

  // Byte copies of the blocks; a zero size holds none. A failed allocation raises the memory
  // exception after both were tried.
  void SetDevice(const void* pDevNames, DWORD nDevNamesSize, const void* pDevMode, DWORD nDevModeSize);
  // The handles stay the caller's.
  void SetDeviceHandles(HGLOBAL hDevNames, HGLOBAL hDevMode);
  // New copies for the caller; both null when no DEVNAMES block is held.
  void GetDeviceCopies(HGLOBAL& hDevNames, HGLOBAL& hDevMode) const;
  BOOL IsSameDevice(HGLOBAL hDevNames, HGLOBAL hDevMode) const;
  void EnsureDevice();
  void LoadDefaultPrinter();

  HGLOBAL GetDevNames() const { return m_hDevNames; }
  HGLOBAL GetDevMode() const { return m_hDevMode; }

  void Serialize(CArchive& ar) override;

 protected:
  HGLOBAL m_hDevMode = nullptr;
  HGLOBAL m_hDevNames = nullptr;
  HDC m_hPrintDC = nullptr;
};
