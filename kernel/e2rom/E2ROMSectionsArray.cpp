#include "kernel/e2rom/E2ROMSectionsArray.h"

#include "comm/MC_Comm.h"
#include "kernel/document/BuildStringIds.h"
#include "kernel/e2rom/DriveMemory.h"
#include "kernel/e2rom/E2ROMInfo.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/setup/SetupStringIds.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/values/Utilities.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MotionStringIds.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

IMPLEMENT_DYNAMIC(CE2ROMSection, CObject)

CE2ROMSection::CE2ROMSection(const CE2ROMSection& other) : CObject(), m_wStart(other.m_wStart) {
  m_arrWords.Copy(other.m_arrWords);
}

CE2ROMSection& CE2ROMSection::operator=(const CE2ROMSection& other) {
  if (this != &other) {
    m_wStart = other.m_wStart;
    m_arrWords.Copy(other.m_arrWords);
  }
  return *this;
}

namespace {

// The communication error box stays off while the image talks to the drive.
class NoCommBox {
 public:
  NoCommBox() : m_saved(CMC_Comm::nShowErr) { CMC_Comm::nShowErr = 0; }
  ~NoCommBox() { CMC_Comm::nShowErr = m_saved; }
  NoCommBox(const NoCommBox&) = delete;
  NoCommBox& operator=(const NoCommBox&) = delete;

 private:
  UINT m_saved;
};

constexpr UINT kCannotWriteBecause = 20022;  // "Cannot write in file %s! %s"

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FILE* OpenFile(const char* path, const char* mode) {
  if (!path || !*path) return nullptr;
  return std::fopen(ResolvePath(path).c_str(), mode);
}

WORD U16(const std::vector<BYTE>& b, size_t at) { return (WORD)(b[at] | b[at + 1] << 8); }
DWORD U32(const std::vector<BYTE>& b, size_t at) { return (DWORD)U16(b, at) | (DWORD)U16(b, at + 2) << 16; }

WORD SumOf(const CWordArray& words) {
  WORD sum = 0;
  for (INT_PTR i = 0; i < words.GetSize(); ++i) sum = (WORD)(sum + words[i]);
  return sum;
}

}  // namespace

CE2ROMSectionsArray::CE2ROMSectionsArray(CMC_Setup& setup) : CObArrayEx<CE2ROMSection>(TRUE), m_rSetup(setup) {}

int CE2ROMSectionsArray::AppendSection(WORD start, WORD count, const WORD* words) {
  if (count == 0) return 1;
  CE2ROMSection* section = nullptr;
  try {
    section = new CE2ROMSection;
    section->m_wStart = start;
    section->m_arrWords.SetSize(count);
    if (words) std::copy(words, words + count, section->m_arrWords.GetData());
    Add(section);
  } catch (CException* e) {
    e->Delete();
    delete section;
    return Fail(FormatKernelString(IDS_SW_OUT_OF_MEMORY));
  } catch (std::bad_alloc&) {
    delete section;
    return Fail(FormatKernelString(IDS_SW_OUT_OF_MEMORY));
  }
  return 1;
}

int CE2ROMSectionsArray::AppendBoardData(CWordArray& starts, CWordArray& ends) {
  NoCommBox quiet;
  const INT_PTR n = std::min(starts.GetSize(), ends.GetSize());
  for (INT_PTR i = 0; i < n; ++i) {
    const WORD start = starts[i], end = ends[i];
    if (start > end) return Fail(FormatKernelString(IDS_SW_START_AFTER_END));
    const DWORD count = (DWORD)end - start + 1;
    if (count > 0xFFFF) return Fail(FormatKernelString(IDS_SW_BEYOND_BOUNDARIES));
    if (!AppendSection(start, (WORD)count, nullptr)) return 0;
    CE2ROMSection* section = GetAt(GetSize() - 1);
    CString text = FormatKernelString(IDS_SW_UPLOADING_SEGMENT);
    if (!CMC_Comm::ReceiveBigData(section->m_arrWords.GetData(), start, 2, (WORD)count, CMC_Comm::BigMemoryOpCallback,
                                  (void*)text.GetString())) {
      CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(IDS_SW_UPLOAD_SEGMENT_FAILED));
      // A section that was not read is not part of the image.
      RemoveAt(GetSize() - 1);
      return Fail(CMC_Comm::GetLastErrorText());
    }
    CMC_Comm::OnBigMemoryOpEnd("");
  }
  return 1;
}

int CE2ROMSectionsArray::AppendSetup() {
  int size = 0;
  std::unique_ptr<WORD[]> table(m_rSetup.BuildSetupTable(size));
  if (!table) {
    const WORD end = (WORD)(DriveMemory::kSetupTableEndBase + m_rSetup.GetE2ROMSize());
    return Fail(FormatKernelString(end < DriveMemory::kE2ROMStart || end > DriveMemory::kE2ROMLast
                                       ? IDS_SETUP_TABLE_END_ADDRESS
                                       : IDS_SETUP_TABLE_TOO_BIG));
  }
  tagE2ROMInfo info;
  info.SetProductID(m_rSetup.GetProductID(), m_rSetup.GetFirmwareID());
  info.SetUserInfo(m_rSetup.GetUserAppID());
  const WORD e = m_rSetup.GetE2ROMSize();
  const WORD start = (WORD)(e - size + DriveMemory::kSetupTableEndBase);
  return AppendSection(start, (WORD)size, table.get()) && AppendSection((WORD)(e + 0x3FFF), 1, &start) &&
         AppendSection((WORD)(e + 0x3FBF), (WORD)tagE2ROMInfo::kEditableWords, info.GetWords());
}

int CE2ROMSectionsArray::AppendCamFiles(CMC_CAMTables& tables) {
  if (tables.GetCAMsCount() == 0) return 1;
  const int total = tables.GetCAMsSizesInWords();
  const WORD length = m_rSetup.GetCAMTablesLength();
  if (total > length) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_SEGMENT_OVERFLOW, (int)length, total);
    return Fail(FormatKernelString(IDS_CAM_SEGMENT_OVERFLOW, (int)length, total));
  }
  CWordArray image;
  try {
    tables.BuildImage(image);
  } catch (CException* e) {
    e->Delete();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (g_bShowErrors) ShowLastError(MB_ICONSTOP);
    return Fail(FormatKernelString(IDS_SW_OUT_OF_MEMORY));
  }
  return AppendSection(m_rSetup.GetLoadCAMTablesAddress(), (WORD)image.GetSize(), image.GetData());
}

int CE2ROMSectionsArray::AppendOutFile(const char* path) {
  const char* name = path ? path : "";
  FilePtr f(OpenFile(path, "rb"));
  if (!f) return Fail(FormatKernelString(IDS_SW_CANNOT_OPEN, name));
  std::vector<BYTE> b;
  BYTE buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) b.insert(b.end(), buffer, buffer + n);
  if (std::ferror(f.get())) return Fail(FormatKernelString(IDS_SW_CANNOT_OPEN, name));
  f.reset();

  if (b.size() < 22 || U16(b, 0) != 0x00C1) return Fail(FormatKernelString(IDS_SW_NOT_COFF1, name));
  if (U16(b, 20) != 0x0092) return Fail(FormatKernelString(IDS_SW_NOT_FIXED_POINT, name));
  if (U16(b, 16) != 28) return Fail(FormatKernelString(IDS_SW_NOT_LINKED, name));
  const WORD flags = U16(b, 18);
  if (!(flags & 0x02)) return Fail(FormatKernelString(IDS_SW_UNRESOLVED, name));
  if (!(flags & 0x80)) return Fail(FormatKernelString(IDS_SW_NOT_EXECUTABLE, name));
  const WORD count = U16(b, 2);
  for (DWORD i = 0; i < count; ++i) {
    const size_t h = 50 + 40 * (size_t)i;
    // A header or data that lie outside the file make it no COFF file.
    if (h + 40 > b.size()) return Fail(FormatKernelString(IDS_SW_NOT_COFF1, name));
    const DWORD start = U32(b, h + 12);
    const DWORD size = U32(b, h + 16);
    const DWORD raw = U32(b, h + 20);
    const DWORD sflags = U32(b, h + 36);  // a 32-bit field whose top byte is the page
    const BYTE page = b[h + 39];
    const bool kind = sflags == 0 || (sflags & (0x04 | 0x08 | 0x20 | 0x40));
    if (!kind || size == 0 || (size & 0xFFFF) == 0 || page != 0 || raw == 0) continue;
    if (size > 0xFFFF || start > 0xFFFF) return Fail(FormatKernelString(IDS_SW_BEYOND_BOUNDARIES));
    if ((unsigned long long)raw + 2ull * size > b.size()) return Fail(FormatKernelString(IDS_SW_NOT_COFF1, name));
    std::vector<WORD> words(size);
    for (DWORD k = 0; k < size; ++k) words[k] = U16(b, raw + 2 * (size_t)k);
    if (!AppendSection((WORD)start, (WORD)size, words.data())) return 0;
  }
  return 1;
}

void CE2ROMSectionsArray::SortByStart() {
  std::vector<CE2ROMSection*> order;
  order.reserve((size_t)GetSize());
  for (int i = 0; i < GetSize(); ++i) order.push_back(GetAt(i));
  std::stable_sort(order.begin(), order.end(),
                   [](const CE2ROMSection* a, const CE2ROMSection* b) { return a->m_wStart < b->m_wStart; });
  for (int i = 0; i < GetSize(); ++i) SetAt(i, order[(size_t)i]);
}

int CE2ROMSectionsArray::Verify() {
  RemoveNulls();
  if (GetSize() == 0) return Fail(FormatKernelString(IDS_SW_NOTHING_TO_SAVE));
  SortByStart();
  const DWORD limit = DriveMemory::kE2ROMStart + (DWORD)m_rSetup.GetE2ROMSize();
  // A section that runs past the limit but is not the last one overlaps the last, and is reported so.
  if (GetAt(0)->m_wStart < DriveMemory::kE2ROMStart || GetAt(GetSize() - 1)->GetEnd() > limit)
    return Fail(FormatKernelString(IDS_SW_BEYOND_BOUNDARIES));
  for (int i = 0; i + 1 < GetSize(); ++i)
    if (GetAt(i)->GetEnd() > GetAt(i + 1)->m_wStart) return Fail(FormatKernelString(IDS_SW_OVERLAPPED));
  return 1;
}

int CE2ROMSectionsArray::WriteSW(const char* path) {
  if (!Verify()) return 0;
  const char* name = path ? path : "";
  // Written beside the old file, which stays as it was unless the new one is complete.
  CSaveBeside save(name);
  FilePtr f(save.OpenStream());
  if (!f) return Fail(FormatKernelString(IDS_SW_CANNOT_OPEN, name));
  std::string text;
  for (int i = 0; i < GetSize(); ++i) {
    const CE2ROMSection* s = GetAt(i);
    text += FormatString("%hX\r\n", (int)s->m_wStart);
    for (INT_PTR k = 0; k < s->m_arrWords.GetSize(); ++k) text += FormatString("%hX\r\n", (int)s->m_arrWords[k]);
    text += "\r\n";
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
  int cause = ok ? 0 : errno;
  if (std::fclose(f.release()) != 0 && ok) {
    ok = false;
    cause = errno;
  }
  if (ok && save.Commit()) return 1;
  if (!ok) SetLastErrorFromErrno(cause);
  CString reason = ::GetLastErrorText();  // the system's, not this image's
  reason.TrimRight("\r\n");
  return Fail(FormatKernelString(kCannotWriteBecause, ShownFileName(name).GetString(), reason.GetString()));
}

int CE2ROMSectionsArray::ReadSW(const char* path) {
  RemoveAll();
  const char* name = path ? path : "";
  FilePtr f(OpenFile(path, "rb"));
  if (!f) return Fail(FormatKernelString(IDS_SW_CANNOT_OPEN, name));
  char line[256];
  CE2ROMSection* current = nullptr;
  while (std::fgets(line, sizeof line, f.get())) {
    const char* p = line;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    WORD value = 0;
    if (ScanString(p, "%hx", &value) != 1) {
      current = nullptr;
      continue;
    }
    try {
      if (!current) {
        current = new CE2ROMSection;
        current->m_wStart = value;
        Add(current);
      } else {
        current->m_arrWords.Add(value);
      }
    } catch (CException* e) {
      e->Delete();
      return Fail(FormatKernelString(IDS_SW_OUT_OF_MEMORY));
    }
  }
  f.reset();
  return Verify();
}

int CE2ROMSectionsArray::DownloadSW() {
  NoCommBox quiet;
  const int count = GetSize();
  for (int i = 0; i < count; ++i) {
    CE2ROMSection* s = GetAt(i);
    if (!s || s->m_arrWords.GetSize() == 0) continue;
    CString text = FormatKernelString(IDS_SW_DOWNLOADING_SECTION, i + 1, count);
    if (!CMC_Comm::SendBigData(s->m_arrWords.GetData(), s->m_wStart, 2, (WORD)s->m_arrWords.GetSize(),
                               CMC_Comm::BigMemoryOpCallback, (void*)text.GetString())) {
      m_strLastError = CMC_Comm::GetLastErrorText();
      CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(IDS_SW_DOWNLOAD_FAILED));
      return 0;
    }
  }
  CMC_Comm::OnBigMemoryOpEnd(FormatKernelString(IDS_SW_DOWNLOAD_OK));
  return 1;
}

int CE2ROMSectionsArray::CheckSW() {
  NoCommBox quiet;
  for (int i = 0; i < GetSize(); ++i) {
    const CE2ROMSection* s = GetAt(i);
    if (!s || s->m_arrWords.GetSize() == 0) continue;
    const WORD n = (WORD)s->m_arrWords.GetSize();
    WORD driveSum = 0;
    if (!CMC_Comm::Checksum(s->m_wStart, (WORD)(s->m_wStart + n - 1), driveSum))
      return Fail(CMC_Comm::GetLastErrorText());
    const WORD own = SumOf(s->m_arrWords);
    if (driveSum != own)
      return Fail(FormatKernelString(IDS_SW_CHECKSUM_FAILED, (int)s->m_wStart, (int)n, (int)driveSum, (int)own));
  }
  return 1;
}
