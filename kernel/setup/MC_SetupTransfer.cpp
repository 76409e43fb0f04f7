// The setup table in the drive's E2ROM: building, reading back, comparing, and the checks around them.
#include "comm/MC_Comm.h"
#include "kernel/dialogs/CANopenFactors.h"
#include "kernel/e2rom/DriveMemory.h"
#include "kernel/e2rom/E2ROMInfo.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/document/BuildStringIds.h"
#include "kernel/setup/SetupStringIds.h"
#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr WORD kTableMagic = 0x649C;
constexpr DWORD kE2ROMEnd = (DWORD)DriveMemory::kE2ROMLast + 1;

struct TableDeleter {
  void operator()(WORD* p) const { delete[] p; }
};
using TablePtr = std::unique_ptr<WORD, TableDeleter>;

WORD Sum(const WORD* words, DWORD count) {
  WORD sum = 0;
  for (DWORD i = 0; i < count; ++i) sum = (WORD)(sum + words[i]);
  return sum;
}

void NoStoredSetup() { ShowKernelMessage(MB_ICONSTOP, IDS_XFER_NO_STORED_SETUP); }

// One big transfer of the identity block with its progress text; the progress ends with an empty text.
int UploadIdentity(tagE2ROMInfo& info) {
  CString text = FormatKernelString(IDS_XFER_UPLOADING_ID);
  int ok = CMC_Comm::ReceiveBigData(info.GetWords(), DriveMemory::kIdentityAddress, 2, tagE2ROMInfo::kWords,
                                    CMC_Comm::BigMemoryOpCallback, (void*)text.GetString());
  CMC_Comm::OnBigMemoryOpEnd("");
  return ok;
}

}  // namespace

WORD* CMC_Setup::BuildSetupTable(int& size) const {
  size = 0;
  const WORD t = GetSetupTableSize();
  if (!t) return nullptr;
  DWORD n1 = 0, n2 = 0, n3 = 0;
  for (int i = 0; i < m_Parameters.GetSize(); ++i) {
    const CMC_Parameter* p = m_Parameters.GetAt(i);
    const WORD words = p ? p->GetSizeInWords() : 0;
    if (!words || p->IsComputedParam()) continue;
    if (p->IsEngParam()) n3 += 1 + words;
    else if (words == 1) n1 += 2;
    else if (words == 2) n2 += 3;
  }
  if (6 + n1 + n2 + n3 != t) {
    NoStoredSetup();
    return nullptr;
  }
  WORD* table = new (std::nothrow) WORD[t];
  if (!table) {
    ShowKernelMessage(MB_ICONSTOP, IDS_XFER_OUT_OF_MEMORY);
    return nullptr;
  }
  table[0] = kTableMagic;
  table[1] = m_wConfigurationID;
  table[2] = (WORD)n1;
  table[3] = (WORD)n2;
  table[4] = (WORD)n3;
  const DWORD end1 = 5 + n1, end2 = end1 + n2, end3 = end2 + n3;
  DWORD p1 = 5, p2 = end1, p3 = end2;
  bool fits = true;
  for (int i = 0; i < m_Parameters.GetSize() && fits; ++i) {
    const CMC_Parameter* p = m_Parameters.GetAt(i);
    const WORD words = p ? p->GetSizeInWords() : 0;
    if (!words || p->IsComputedParam()) continue;
    DWORD* at = p->IsEngParam() ? &p3 : words == 1 ? &p1 : words == 2 ? &p2 : nullptr;
    if (!at) continue;  // four-word values are kept only as engineering parameters
    const DWORD limit = at == &p1 ? end1 : at == &p2 ? end2 : end3;
    if (*at + 1 + words > limit) {
      fits = false;
      break;
    }
    table[*at] = p->GetAddress();
    p->WriteToBuffer(table + *at + 1);
    *at += 1 + words;
  }
  if (!fits || p1 != end1 || p2 != end2 || p3 != end3) {
    delete[] table;
    NoStoredSetup();
    return nullptr;
  }
  table[t - 1] = Sum(table, (DWORD)t - 1);
  size = t;
  return table;
}

WORD* CMC_Setup::ReadSetupTable(DWORD& size) {
  size = 0;
  WORD start = 0;
  if (!CMC_Comm::ReceiveData(&start, DriveMemory::kSetupTablePointer, 2, 1)) return nullptr;
  // The table lies in the E2ROM window, below the pointer's own word.
  if (start < DriveMemory::kE2ROMStart || (DWORD)start + 6 > kE2ROMEnd) {
    NoStoredSetup();
    return nullptr;
  }
  WORD header[5];
  if (!CMC_Comm::ReceiveData(header, start, 2, 5)) return nullptr;
  if (header[0] != kTableMagic || header[1] == 0 || header[2] % 2 != 0 || header[3] % 3 != 0) {
    NoStoredSetup();
    return nullptr;
  }
  const DWORD t = 6 + (DWORD)header[2] + header[3] + header[4];
  if ((DWORD)start + t > kE2ROMEnd) {
    NoStoredSetup();
    return nullptr;
  }
  TablePtr table(new (std::nothrow) WORD[t]);
  if (!table) {
    ShowKernelMessage(MB_ICONSTOP, IDS_XFER_OUT_OF_MEMORY);
    return nullptr;
  }
  std::memcpy(table.get(), header, sizeof header);
  CString text = FormatKernelString(IDS_XFER_READING_TABLE);
  if (!CMC_Comm::ReceiveBigData(table.get() + 5, (WORD)(start + 5), 2, (WORD)(t - 5), CMC_Comm::BigMemoryOpCallback,
                                (void*)text.GetString())) {
    CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(IDS_XFER_READ_TABLE_FAILED));
    return nullptr;
  }
  CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(IDS_XFER_DONE));
  if (Sum(table.get(), t - 1) != table.get()[t - 1]) {
    NoStoredSetup();
    return nullptr;
  }
  size = t;
  return table.release();
}

const WORD* CMC_Setup::ReadParameterFromTable(const WORD* entry, WORD expectedSize, const WORD* end, int apply) {
  if (entry >= end) {
    NoStoredSetup();
    return nullptr;
  }
  CMC_Parameter* p = nullptr;
  {
    // An address that no parameter has ends the reading without a message.
    CQuietErrors quiet;
    p = m_Parameters.FindParameter(*entry);
  }
  if (!p) return nullptr;
  const WORD words = p->GetSizeInWords();
  if ((expectedSize && expectedSize != words) || end - entry < 1 + (ptrdiff_t)words) {
    NoStoredSetup();
    return nullptr;
  }
  if (apply) p->ReadFromBuffer(entry + 1);
  return entry + 1 + words;
}

int CMC_Setup::ReadTableEntries(const WORD* table, DWORD size, int apply) {
  if (size < 6) return 0;
  const DWORD n1 = table[2], n2 = table[3], n3 = table[4];
  if (6 + n1 + n2 + n3 != size) {
    NoStoredSetup();
    return 0;
  }
  const WORD* p = table + 5;
  const WORD* end1 = p + n1;
  for (DWORD i = 0; i < n1 / 2; ++i)
    if (!(p = ReadParameterFromTable(p, 1, end1, apply))) return 0;
  const WORD* end2 = end1 + n2;
  for (DWORD i = 0; i < n2 / 3; ++i)
    if (!(p = ReadParameterFromTable(p, 2, end2, apply))) return 0;
  const WORD* end3 = end2 + n3;
  while (p < end3)
    if (!(p = ReadParameterFromTable(p, 0, end3, apply))) return 0;
  if (p != end3) {
    NoStoredSetup();
    return 0;
  }
  return 1;
}

CMC_Setup* CMC_Setup::CreateFromActiveBoard(CMC_Setup* setup) {
  DWORD size = 0;
  TablePtr table(ReadSetupTable(size));
  if (!table) return nullptr;
  CMC_Setup* target = setup;
  if (!target) {
    target = Create(table.get()[1]);
    if (!target) return nullptr;
  }
  tagE2ROMInfo info;
  const bool haveIdentity = UploadIdentity(info) && info.VerifyChecksums();
  // Every entry is checked before anything changes, so a table that does not fit leaves the setup whole.
  if (!target->ReadTableEntries(table.get(), size, 0)) {
    if (!setup) Destroy(target);
    return nullptr;
  }
  if (haveIdentity) {
    target->SetProductID(info.GetProductID());
    target->SetUserAppID(info.GetUserInfo());
  }
  target->ReadTableEntries(table.get(), size, 1);
  target->InvalidateIUCache();
  target->SetOption("DatabaseName", target->GetOptionNoError("DatabaseName") + "__import");
  target->SetupComputeAllOptions();
  UpdateCANopenFactors(target);
  return target;
}

int CMC_Setup::SaveToActiveBoard() {
  if (!VerifyMotionControllerConfig()) return 0;
  CString firmware;
  tagE2ROMInfo info;
  if (!CMC_Comm::GetFirmwareVer(firmware) || !UploadIdentity(info)) {
    CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(IDS_XFER_TABLE_DOWNLOAD_FAILED));
    return 0;
  }
  int identityWords = 0;
  if (!info.VerifyChecksums()) {
    identityWords = tagE2ROMInfo::kWords;
    info.Reset();
    info.SetProductID(m_strProductID, m_strFirmwareID);
    info.SetUserInfo(m_strUserApplicationID);
  } else {
    const CString driveProduct = info.GetProductID();
    if (driveProduct != m_strProductID) {
      if (m_strCompatibleProductIDs.Find(driveProduct) < 0) {
        ShowKernelMessage(MB_ICONSTOP, IDS_SETUP_INCOMPATIBLE);
        return 0;
      }
      if (GetMCVersion() < 3) {
        identityWords = tagE2ROMInfo::kEditableWords;
        const CString blockFirmware = info.GetFirmware();
        info.SetProductID(m_strProductID, blockFirmware);
      }
    }
    if (info.GetUserInfo() != m_strUserApplicationID) {
      identityWords = tagE2ROMInfo::kEditableWords;
      info.SetUserInfo(m_strUserApplicationID);
    }
  }
  if (!CheckCompatibleFirmware(firmware)) return 0;
  if (identityWords) {
    CString text = FormatKernelString(IDS_XFER_DOWNLOADING_ID);
    if (!CMC_Comm::SendBigData(info.GetWords(), DriveMemory::kIdentityAddress, 2, (WORD)identityWords,
                               CMC_Comm::BigMemoryOpCallback, (void*)text.GetString())) {
      CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(IDS_XFER_ID_DOWNLOAD_FAILED));
      return 0;
    }
  }
  int size = 0;
  TablePtr table(BuildSetupTable(size));
  if (!table) return 0;
  WORD start = (WORD)(DriveMemory::kSetupTableEndBase + m_wE2ROMSize - size);
  CString text = FormatKernelString(IDS_XFER_DOWNLOADING_TABLE);
  // The pointer is written last: a failed transfer leaves it naming the old table.
  const int result = CMC_Comm::SendBigData(table.get(), start, 2, (WORD)size, CMC_Comm::BigMemoryOpCallback,
                                           (void*)text.GetString()) &&
                     CMC_Comm::SendData(&start, DriveMemory::kSetupTablePointer, 2, 1);
  CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(result ? IDS_XFER_TABLE_DOWNLOAD_OK : IDS_XFER_TABLE_DOWNLOAD_FAILED));
  {
    CQuietErrors quiet;
    if (CMC_Parameter* p = m_Parameters.FindParameter("CopenTableAdr")) {
      const double v = p->GetValueInBaseUnit();
      if (v > -2147483649.0 && v < 2147483648.0) {
        WORD address = (WORD)(LONG)v;
        WORD zero = 0;
        CMC_Comm::SendData(&zero, address, 2, 1);
      }
    }
  }
  return result;
}

int CMC_Setup::CompareWithActiveBoard(int& same) {
  same = 0;
  DWORD driveSize = 0;
  TablePtr drive(ReadSetupTable(driveSize));
  if (!drive) return 0;
  int size = 0;
  TablePtr own(BuildSetupTable(size));
  if (!own) return 0;
  same = driveSize == (DWORD)size && std::memcmp(drive.get(), own.get(), (size_t)size * sizeof(WORD)) == 0;
  return 1;
}

bool CMC_Setup::CheckCompatibleFirmware(CString firmware) {
  CStringArray candidates;
  candidates.Add(m_strFirmwareID);
  CString rest = m_strCompatibleFirmwares;
  while (!rest.IsEmpty()) {
    int comma = rest.Find(',');
    CString item = comma < 0 ? rest : rest.Left(comma);
    rest = comma < 0 ? CString() : rest.Mid(comma + 1);
    item.Trim(" \t");
    if (item.IsEmpty()) break;
    candidates.Add(item);
  }
  const int n = firmware.GetLength();
  if (n > 0) {
    for (INT_PTR i = 0; i < candidates.GetSize(); ++i) {
      const CString& c = candidates[i];
      if (c.GetLength() != n || std::memcmp(c.GetString(), firmware.GetString(), (size_t)n - 1) != 0) continue;
      if ((BYTE)firmware[n - 1] >= (BYTE)c[n - 1]) return true;
      ShowKernelMessage(MB_ICONEXCLAMATION, IDS_XFER_FIRMWARE_TOO_OLD, firmware.GetString(), c.GetString());
      return false;
    }
  }
  ShowKernelMessage(MB_ICONEXCLAMATION, IDS_XFER_FIRMWARE_TOO_OLD, firmware.GetString(), m_strFirmwareID.GetString());
  return false;
}

int CMC_Setup::CheckCompatibilityWithActiveBoard(const char* firmware) {
  CString version = firmware ? firmware : "";
  if (version.IsEmpty() && !CMC_Comm::GetFirmwareVer(version)) return 0;
  tagE2ROMInfo info;
  if (!UploadIdentity(info)) return 0;
  if (info.VerifyChecksums()) {
    const CString driveProduct = info.GetProductID();
    if (driveProduct != m_strProductID && m_strCompatibleProductIDs.Find(driveProduct) < 0) {
      ShowKernelMessage(MB_ICONSTOP, IDS_SETUP_INCOMPATIBLE);
      return 0;
    }
  }
  return CheckCompatibleFirmware(version) ? 1 : 0;
}

int CMC_Setup::SetRAMParameters() {
  for (int i = 0; i < m_Parameters.GetSize(); ++i) {
    const CMC_Parameter* p = m_Parameters.GetAt(i);
    const WORD words = p ? p->GetSizeInWords() : 0;
    if (!words || p->IsSpecialParam()) continue;
    WORD buffer[4] = {0, 0, 0, 0};
    p->WriteToBuffer(buffer);
    if (!CMC_Comm::SendData(buffer, p->GetAddress(), 1, words)) return 0;
  }
  return 1;
}

int CMC_Setup::ExportSetupImageToFile(const char* file) {
  int size = 0;
  TablePtr table(BuildSetupTable(size));
  if (!table) return 0;
  std::unique_ptr<BYTE[]> bytes(new BYTE[(size_t)size * 2]);
  for (int i = 0; i < size; ++i) {
    bytes[2 * i] = (BYTE)table.get()[i];
    bytes[2 * i + 1] = (BYTE)(table.get()[i] >> 8);
  }
  // Written beside the old file, which stays as it was unless the new one is complete.
  CSaveBeside save(file);
  CFile f;
  CFileException error;
  if (!f.OpenBeside(save, file, CFile::modeWrite, &error)) {
    error.ReportError(MB_ICONSTOP);
    return 0;
  }
  try {
    f.Write(bytes.get(), (UINT)size * 2);
    f.CommitBeside(save);
  } catch (CFileException* e) {
    f.Abort();
    e->ReportError(MB_ICONSTOP);
    e->Delete();
    return 0;
  }
  return 1;
}
