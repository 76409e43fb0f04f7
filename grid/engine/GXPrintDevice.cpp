// Printer settings of a grid.
#include "grid/engine/GXPrintDevice.h"

#include "platform/core/Archive.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/PrinterDC.h"

#include <cstring>
#include <vector>

IMPLEMENT_SERIAL(CGXPrintDevice, CObject, 1)

namespace {

const UINT kBlockFlags = GMEM_MOVEABLE | GMEM_DISCARDABLE;
// No driver block comes near this; a larger stored size is a corrupted archive.
const DWORD kMaxBlock = 131070;

HGLOBAL CopyBlock(const void* bytes, SIZE_T size, bool& failed) {
  if (!bytes || !size) return nullptr;
  HGLOBAL h = GlobalAlloc(kBlockFlags, size);
  void* p = h ? GlobalLock(h) : nullptr;
  if (!p) {
    if (h) GlobalFree(h);
    failed = true;
    return nullptr;
  }
  std::memcpy(p, bytes, size);
  GlobalUnlock(h);
  return h;
}

HGLOBAL CopyHandle(HGLOBAL src, bool& failed) {
  if (!src) return nullptr;
  const void* p = GlobalLock(src);
  HGLOBAL h = CopyBlock(p, p ? GlobalSize(src) : 0, failed);
  if (p) GlobalUnlock(src);
  return h;
}

std::vector<BYTE> BlockBytes(HGLOBAL h) {
  std::vector<BYTE> v;
  if (!h) return v;
  if (const BYTE* p = static_cast<const BYTE*>(GlobalLock(h))) {
    v.assign(p, p + GlobalSize(h));
    GlobalUnlock(h);
  }
  return v;
}

}  // namespace

CGXPrintDevice::CGXPrintDevice() = default;

CGXPrintDevice::~CGXPrintDevice() {
  ResetPrintDC();
  if (m_hDevNames) GlobalFree(m_hDevNames);
  if (m_hDevMode) GlobalFree(m_hDevMode);
}

HDC CGXPrintDevice::GetPrintDC() {
  if (!m_hPrintDC) {
    EnsureDevice();
    m_hPrintDC = AfxCreateDC(m_hDevNames, m_hDevMode);
  }
  return m_hPrintDC;
}

void CGXPrintDevice::ResetPrintDC() {
  if (m_hPrintDC) ::DeleteDC(m_hPrintDC);
  m_hPrintDC = nullptr;
}

void CGXPrintDevice::SetDevice(const void* pDevNames, DWORD nDevNamesSize, const void* pDevMode, DWORD nDevModeSize) {
  ResetPrintDC();
  if (m_hDevNames) GlobalFree(m_hDevNames);
  if (m_hDevMode) GlobalFree(m_hDevMode);
  bool failed = false;
  m_hDevNames = CopyBlock(pDevNames, nDevNamesSize, failed);
  m_hDevMode = CopyBlock(pDevMode, nDevModeSize, failed);
  if (failed) AfxThrowMemoryException();
}

void CGXPrintDevice::SetDeviceHandles(HGLOBAL hDevNames, HGLOBAL hDevMode) {
  const std::vector<BYTE> names = BlockBytes(hDevNames), mode = BlockBytes(hDevMode);
  SetDevice(names.data(), (DWORD)names.size(), mode.data(), (DWORD)mode.size());
}

void CGXPrintDevice::GetDeviceCopies(HGLOBAL& hDevNames, HGLOBAL& hDevMode) const {
  hDevNames = hDevMode = nullptr;
  if (!m_hDevNames) return;
  bool failed = false;
  hDevNames = CopyHandle(m_hDevNames, failed);
  hDevMode = CopyHandle(m_hDevMode, failed);
  if (failed) AfxThrowMemoryException();
}

BOOL CGXPrintDevice::IsSameDevice(HGLOBAL hDevNames, HGLOBAL hDevMode) const {
  return BlockBytes(hDevNames) == BlockBytes(m_hDevNames) && BlockBytes(hDevMode) == BlockBytes(m_hDevMode);
}

void CGXPrintDevice::EnsureDevice() {
  if (!m_hDevNames) LoadDefaultPrinter();
}

void CGXPrintDevice::LoadDefaultPrinter() {
  CPrintDialog dlg(TRUE, PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE);
  if (!dlg.GetDefaults()) return;
  if (dlg.m_pd.hDevMode && GlobalSize(dlg.m_pd.hDevMode) >= DEVMODE_MIN_SIZE) {
    if (auto* dm = static_cast<DEVMODE*>(GlobalLock(dlg.m_pd.hDevMode))) {
      dm->dmTTOption = 1;  // DMTT_BITMAP
      GlobalUnlock(dlg.m_pd.hDevMode);
    }
  }
  SetDeviceHandles(dlg.m_pd.hDevNames, dlg.m_pd.hDevMode);
}

void CGXPrintDevice::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    const std::vector<BYTE> names = BlockBytes(m_hDevNames), mode = BlockBytes(m_hDevMode);
    ar << (WORD)1 << (DWORD)names.size();
    if (!names.empty()) ar.Write(names.data(), (UINT)names.size());
    ar << (DWORD)mode.size();
    if (!mode.empty()) ar.Write(mode.data(), (UINT)mode.size());
    return;
  }
  WORD schema = 0;
  ar >> schema;
  if (schema != 1) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  auto readBlock = [&ar]() {
    DWORD size = 0;
    ar >> size;
    if (size > kMaxBlock) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    std::vector<BYTE> v(size);
    if (size && ar.Read(v.data(), size) != size) AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
    return v;
  };
  const std::vector<BYTE> names = readBlock();
  const std::vector<BYTE> mode = readBlock();
  // Printing reads the offsets and fields of these headers: blocks too short for them are corrupt.
  if ((!names.empty() && names.size() < sizeof(DEVNAMES)) || (!mode.empty() && mode.size() < DEVMODE_MIN_SIZE))
    AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  SetDevice(names.data(), (DWORD)names.size(), mode.data(), (DWORD)mode.size());
}
