#include "motion/cam/MC_CAM.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "motion/model/MotionStringIds.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <vector>

IMPLEMENT_DYNAMIC(CMC_CAM, CObject)

namespace {

// Opens a file named relative to the kernel folder; null with the system's error set.
FILE* OpenCamFile(const char* path, const char* mode) {
  CString resolved = ResolveConfigFileName(path);
  if (resolved.IsEmpty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  DWORD attr = GetFileAttributes(resolved);
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  errno = 0;
  FILE* f = strcmp(mode, "rb") == 0 ? OpenPlainFileToRead(ResolvePath(resolved).c_str())
                                    : std::fopen(ResolvePath(resolved).c_str(), mode);
  if (!f) SetLastErrorFromErrno(errno ? errno : ENOENT);
  return f;
}

void ShowSystemError(UINT icon) {
  if (g_bShowErrors) ShowLastError(icon);
}

int RefuseInvalid(const CMC_CAM& cam) {
  ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_INVALID_OBJECT, cam.GetName().GetString());
  return 0;
}

}  // namespace

CMC_CAM::CMC_CAM() { m_points.Add(0); }

CMC_CAM::CMC_CAM(const CMC_CAM& other) : CObject() { *this = other; }

CMC_CAM& CMC_CAM::operator=(const CMC_CAM& other) {
  if (this != &other) {
    m_strName = other.m_strName;
    m_nStep = other.m_nStep;
    m_lMasterStart = other.m_lMasterStart;
    m_points.Copy(other.m_points);
  }
  return *this;
}

void CMC_CAM::SetPoints(const LONG* values, int count) {
  m_points.SetSize(count < 0 ? 0 : count);
  for (int i = 0; i < count; ++i) m_points[i] = values[i];
}

bool CMC_CAM::IsValid() const {
  return m_nStep >= 0 && m_nStep <= kMaxStep && GetPointsCount() >= 1 && GetPointsCount() <= kMaxPoints;
}

int CMC_CAM::GetCAMSizeInWords() const { return IsValid() ? 2 * GetPointsCount() + 6 : 0; }

WORD CMC_CAM::GetChecksum() const {
  const int n = GetPointsCount();
  WORD sum = (WORD)((m_nStep << 13) | ((n - 1) & 0x1FFF));
  sum = (WORD)(sum + (WORD)m_lMasterStart + (WORD)((DWORD)m_lMasterStart >> 16));
  for (int i = 0; i < n; ++i) {
    DWORD v = (DWORD)m_points[i];
    sum = (WORD)(sum + (WORD)v + (WORD)(v >> 16));
  }
  return sum;
}

void CMC_CAM::WriteToBuffer(WORD* buffer) const {
  if (!buffer || !IsValid()) return;
  const int n = GetPointsCount();
  buffer[0] = (WORD)((m_nStep << 13) | (n - 1));
  buffer[1] = (WORD)m_lMasterStart;
  buffer[2] = (WORD)((DWORD)m_lMasterStart >> 16);
  buffer[3] = 0;
  buffer[4] = 0;
  WORD sum = (WORD)(buffer[0] + buffer[1] + buffer[2]);
  for (int i = 0; i < n; ++i) {
    DWORD v = (DWORD)m_points[i];
    buffer[5 + 2 * i] = (WORD)v;
    buffer[6 + 2 * i] = (WORD)(v >> 16);
    sum = (WORD)(sum + buffer[5 + 2 * i] + buffer[6 + 2 * i]);
  }
  buffer[5 + 2 * n] = sum;
}

int CMC_CAM::ReadFromBuffer(const WORD* buffer, int count) {
  if (!buffer || count < 2) return 0;
  const int n = (buffer[0] & 0x1FFF) + 1;
  const int size = 2 * n + 6;
  if (count < size) return 0;
  m_nStep = buffer[0] >> 13;
  m_points.SetSize(n);
  m_lMasterStart = (LONG)((DWORD)buffer[1] | ((DWORD)buffer[2] << 16));
  WORD sum = (WORD)(buffer[0] + buffer[1] + buffer[2] + buffer[3]);
  for (int i = 0; i < n; ++i) {
    m_points[i] = (LONG)((DWORD)buffer[5 + 2 * i] | ((DWORD)buffer[6 + 2 * i] << 16));
    sum = (WORD)(sum + buffer[5 + 2 * i] + buffer[6 + 2 * i]);
  }
  return sum == buffer[5 + 2 * n] ? size : 0;
}

int CMC_CAM::Load(const char* path) {
  FILE* f = OpenCamFile(path, "rb");
  if (!f) {
    ShowSystemError(MB_ICONEXCLAMATION);
    return 0;
  }
  std::vector<BYTE> bytes;
  BYTE block[4096];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
    bytes.insert(bytes.end(), block, block + got);
    if (bytes.size() > 2 * (size_t)(2 * kMaxPoints + 6)) break;  // larger than any image
  }
  std::fclose(f);
  int result = 0;
  if (!bytes.empty() && bytes.size() % 2 == 0) {
    std::vector<WORD> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i) words[i] = (WORD)(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    // Exactly one image and nothing after it.
    CMC_CAM read;
    if (read.ReadFromBuffer(words.data(), (int)words.size()) == (int)words.size()) {
      m_nStep = read.m_nStep;
      m_lMasterStart = read.m_lMasterStart;
      m_points.Copy(read.m_points);
      result = 1;
    }
  }
  if (!result) ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_INVALID_FILE, path ? path : "");
  return result;
}

int CMC_CAM::Save(const char* path) const {
  if (!IsValid()) return RefuseInvalid(*this);
  if (!path || !*path) return 0;
  CConfigFileWriter writer(ShownFileName(path));
  return Save(writer) && writer.Commit();
}

int CMC_CAM::Save(CConfigFileWriter& writer) const {
  if (!IsValid()) return RefuseInvalid(*this);
  std::vector<WORD> words((size_t)GetCAMSizeInWords());
  WriteToBuffer(words.data());
  std::vector<BYTE> bytes(words.size() * 2);
  for (size_t i = 0; i < words.size(); ++i) {
    bytes[2 * i] = (BYTE)words[i];
    bytes[2 * i + 1] = (BYTE)(words[i] >> 8);
  }
  return writer.WriteEntries(1, [&](FILE* f, int) {
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() ? 1 : 0;
  });
}

int CMC_CAM::Export(const char* path) const {
  const int n = GetPointsCount();
  if (n < 1 || n > kMaxPoints || !path || !*path) return 0;
  CString text;
  CString line;
  for (int i = 0; i < n; ++i) {
    // Computed in 64 bits and written as the 32-bit master the drive sees.
    LONG master = (LONG)(DWORD)((int64_t)i * (1 << (m_nStep & 31)) + m_lMasterStart);
    line.Format("%ld\t%ld\r\n", master, m_points[i]);
    text += line;
  }
  int written = 0;
  {
    // The writer's own boxes give way to the system's text of what failed.
    CQuietErrors quiet;
    // A file the user already has is replaced only by a complete new one.
    CConfigFileWriter writer(ShownFileName(path));
    written = writer.WriteEntries(1, [&](FILE* f, int) {
                return std::fwrite(text.GetString(), 1, (size_t)text.GetLength(), f) == (size_t)text.GetLength() ? 1 : 0;
              }) &&
              writer.Commit();
  }
  if (!written) ShowSystemError(MB_ICONSTOP);
  return written;
}

int CMC_CAM::Import(const char* path) {
  FILE* f = OpenCamFile(path, "rb");
  if (!f) {
    ShowSystemError(MB_ICONSTOP);
    return 0;
  }
  CString line;
  int lineNumber = 0;
  int64_t firstMaster = 0, previous = 0, step = 0;
  int k = 0;
  std::vector<LONG> points;
  bool bad = false;
  while (ReadConfigFileLine(f, line, lineNumber)) {
    LONG master = 0, slave = 0;
    if (ScanString(line, "%ld\t%ld", &master, &slave) != 2) {
      bad = true;
      break;
    }
    if (points.empty()) {
      firstMaster = master;
    } else if (points.size() == 1) {
      step = (int64_t)master - firstMaster;
      k = -1;
      for (int e = 0; e <= 7; ++e)
        if (step == (int64_t)1 << e) k = e;
      if (k < 0) {
        bad = true;
        break;
      }
    } else if ((int64_t)master != previous + step) {
      bad = true;
      break;
    }
    previous = master;
    points.push_back(slave);
  }
  if (f) std::fclose(f);
  if (bad || points.empty()) {
    ShowKernelMessage(MB_ICONSTOP, IDS_CAM_INVALID_SYNTAX, path ? path : "", lineNumber);
    return 0;
  }
  m_nStep = points.size() > 1 ? k : 0;
  m_lMasterStart = (LONG)firstMaster;
  SetPoints(points.data(), (int)points.size());
  return 1;
}
