#include "kernel/values/Utilities.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/Map.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// The runtime's conversion toward zero, cut to the width the format prints; values too large to
// convert give 0 instead of undefined behaviour.
int64_t TruncateToInt64(double v) {
  if (!(std::fabs(v) < 9.2e18)) return 0;
  return (int64_t)std::trunc(v);
}

ULONGLONG BitsOf(double v) {
  ULONGLONG bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

double DoubleOfBits(ULONGLONG bits) {
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

int LastSeparator(const CString& path) {
  for (int i = path.GetLength() - 1; i >= 0; --i)
    if (IsSeparator(path[i])) return i;
  return -1;
}

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// ---- Numbers -----------------------------------------------------------------------------------

void PrintDoubleValue(double v, tagVarType type, CString& out, int decimals) {
  if (decimals >= 0) {
    out.Format("%.*f", decimals, v);
  } else if (v == 0) {
    out.Empty();
    out += '0';
  } else if (!std::isfinite(v)) {
    out.Format("%f", v);
  } else {
    // Digits before the point.
    int e = (int)std::ceil(std::log10(std::fabs(v)) - 0.001);
    int64_t significant = (int64_t)decimals + e;
    if (significant >= 1) {
      out.Format("%.*e", (int)(significant - 1), v);
    } else {
      int d;
      switch (type) {
        case VAR_INT:
        case VAR_UINT: d = 4; break;
        case VAR_LONG:
        case VAR_ULONG:
        case VAR_FLOAT:
        case VAR_FIXED:
        case VAR_UFIXED: d = 6; break;
        case VAR_DOUBLE: d = 8; break;
        default: d = 3; break;
      }
      if (std::abs(e) > d) out.Format("%.*e", d - 1, v);
      else out.Format("%.*f", d - e, v);
    }
  }
  MinimizeFloatFormat(out, 0);
}

void PrintDecimalValue(double& v, tagVarType type, CString& out, WORD decimals) {
  switch (type) {
    case VAR_INT: out.Format("%hd", (SHORT)TruncateToInt64(v)); break;
    case VAR_UINT: out.Format("%hu", (WORD)TruncateToInt64(v)); break;
    case VAR_LONG: out.Format("%ld", (LONG)TruncateToInt64(v)); break;
    case VAR_ULONG: out.Format("%lu", (DWORD)TruncateToInt64(v)); break;
    case VAR_FLOAT:
    case VAR_DOUBLE:
    case VAR_FIXED:
    case VAR_UFIXED:
      out.Format("%.*f", (int)decimals, v);
      MinimizeFloatFormat(out, 0);
      break;
    default: break;
  }
}

int ScanDecimalValue(double& v, tagVarType type, CString& text) {
  CMC_Value value;
  if (!value.ScanValue(text, type)) return 0;
  v = value.GetValue(type);
  return 1;
}

void PrintHexaNumber(double& v, WORD words, CString& out) {
  ULONGLONG bits = BitsOf(v);
  switch (words) {
    case 2: out.Format("%08lX", (DWORD)TruncateToInt64(v)); break;
    case 3: out.Format("%04hX%08lX", (WORD)(bits >> 32), (DWORD)bits); break;
    case 4: out.Format("%08lX%08lX", (DWORD)(bits >> 32), (DWORD)bits); break;
    default: out.Format("%04hX", (WORD)TruncateToInt64(v)); break;
  }
}

int ScanHexaNumber(double& v, WORD words, CString& text) {
  DWORD high = 0, low = 0;
  int len = text.GetLength();
  if (len >= 9) {
    if (ScanString(text.Left(len - 8), "%x", &high) != 1) return 0;
    if (ScanString(text.Right(8), "%x", &low) != 1) return 0;
  } else if (ScanString(text, "%x", &low) != 1) {
    return 0;
  }
  switch (words) {
    case 2: v = (double)low; break;
    case 3: v = DoubleOfBits(((ULONGLONG)(high & 0xFFFF) << 32) | low); break;
    case 4: v = DoubleOfBits(((ULONGLONG)high << 32) | low); break;
    default: v = (double)(low & 0xFFFF); break;
  }
  return 1;
}

void MinimizeFloatFormat(CString& text, int keepPoint) {
  int point = text.Find('.');
  if (point >= 0) {
    int end = point + 1;
    while (end < text.GetLength() && IsAsciiDigit(text[end])) ++end;
    int cut = end;
    while (cut > point + 1 && text[cut - 1] == '0') --cut;
    if (cut == point + 1 && !keepPoint) cut = point;
    if (cut < end) text.Delete(cut, end - cut);
  }
  int e = -1;
  for (int i = 1; i < text.GetLength(); ++i) {
    if (text[i] == 'e' || text[i] == 'E') {
      e = i;
      break;
    }
  }
  if (e > 0 && e + 1 < text.GetLength() && (text[e + 1] == '+' || text[e + 1] == '-')) {
    for (int i = e + 2; i < text.GetLength(); ++i)
      if (text[i] != '0') return;
    text.Truncate(e);
  }
}

int LocateMemoryAddress(const CString& text, WORD& address, tagVarType& type) {
  int at = text.Find('@');
  if (at < 0) {
    type = VAR_INVALID;
    return 0;
  }
  CString name = text.Left(at);
  type = name.IsEmpty() ? VAR_INT : GetType(name);
  if (type == VAR_INVALID) return 0;
  WORD a = 0;
  if (ScanString(text.Mid(at + 1), "%hi", &a) != 1) return 0;
  address = a;
  return 1;
}

double PowerOf10(short n) {
  double p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  for (int i = 0; i > n; --i) p /= 10;
  return p;
}

double RoundDecimalValue(double v, short n) {
  double p = PowerOf10(n);
  return std::floor(v * p + 0.5) / p;
}

double TruncateDecimalValue(double v, short n) {
  double p = PowerOf10(n);
  return std::floor(v * p) / p;
}

LONG GreatestCommonDivisor(LONG a, LONG b) {
  if (a == INT32_MIN && b == -1) return 0;
  while (b != 0) {
    // Any number divides by -1 without remainder; the division itself could overflow.
    LONG r = b == -1 ? 0 : a % b;
    a = b;
    b = r;
  }
  return a;
}

LONG PositiveModulo(LONG a, LONG m) {
  if (m == 0 || m == -1) return 0;
  int64_t r = a % m;
  if (r < 0) r += std::llabs((int64_t)m);
  return (LONG)r;
}

int RationalApproximation(double x, WORD& numerator, WORD& denominator) {
  static std::mutex mutex;
  static std::unordered_map<double, DWORD> cache;
  if (std::isnan(x)) return 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(x);
    if (it != cache.end()) {
      numerator = (WORD)(it->second >> 16);
      denominator = (WORD)it->second;
      return 1;
    }
  }
  if (x < 0 || x >= 65535.1) return 0;
  DWORD num = 0, den = 0;
  if (x == 0) {
    num = 0;
    den = 1;
  } else {
    double best = 1;
    double last = std::min(std::ceil(65535.0 / x), 65535.0);
    double first = std::max(std::floor(1.0 / x), 1.0);
    for (double d = first; d <= last; ++d) {
      double n = std::floor(d * x + 0.5);
      if (n > 65535) break;
      double err = std::fabs(d * x - n);
      if (err < best) {
        best = err;
        num = (DWORD)n;
        den = (DWORD)d;
      }
      if (err == 0) break;
    }
  }
  if (den == 0) return 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    cache[x] = (num << 16) | den;
  }
  numerator = (WORD)num;
  denominator = (WORD)den;
  return 1;
}

// ---- Validation checks ---------------------------------------------------------------------------

UINT CheckSymbolName(CString& text) {
  text.Trim();
  if (text.IsEmpty()) return 20036;
  if (!IsAsciiAlpha(text[0]) && text[0] != '_') return 20046;
  for (int i = 1; i < text.GetLength(); ++i) {
    char c = text[i];
    if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '_' && c != '(' && c != ')') return 20046;
  }
  return 0;
}

UINT CheckSymbolOrNumber(CString& text) {
  text.Trim();
  if (text.IsEmpty()) return 20036;
  char c0 = text[0];
  if (!IsAsciiAlpha(c0) && !IsAsciiDigit(c0) && !std::strchr("_-+.", c0)) return 20046;
  for (int i = 1; i < text.GetLength(); ++i) {
    char c = text[i];
    if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && !std::strchr("_().", c)) return 20050;
  }
  return 0;
}

UINT CheckSymbolsList(CString& text) {
  text.Trim();
  int start = 0;
  for (;;) {
    int comma = text.Find(',', start);
    CString piece = comma < 0 ? text.Mid(start) : text.Mid(start, comma - start);
    if (UINT id = CheckSymbolName(piece)) return id;
    if (comma < 0) return 0;
    start = comma + 1;
  }
}

// ---- Files and folders -------------------------------------------------------------------------

int IsValidFilename(const char* name) {
  if (!name || !*name) return 0;
  return std::strpbrk(name, "\\/*?<>\"'") == nullptr;
}

int ExistFile(const char* path) {
  if (!path || !*path) return 0;
  CString p(path);
  CString name = p.Mid(LastSeparator(p) + 1);
  if (name == "." || name == "..") return 0;
  DWORD attr = GetFileAttributes(path);
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

int ExistDirectory(const char* path) {
  if (!path || !*path) return 0;
  DWORD attr = GetFileAttributes(path);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

int CreateDir(const CString& path) {
  int last = LastSeparator(path);
  if (last > 3 && !CreateDir(path.Left(last))) return 0;
  if (ExistDirectory(path)) return 1;
  return CreateDirectory(path) ? 1 : 0;
}

namespace {

bool RemoveDirRecursive(const CString& dir) {
  CStringArray files, folders;
  {
    CFileFind find;
    BOOL more = find.FindFile(dir + "\\*.*");
    while (more) {
      more = find.FindNextFile();
      if (find.IsDots()) continue;
      // A link goes itself; what it leads to is not the folder's to delete.
      (find.IsDirectory() && !find.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) ? folders : files).Add(find.GetFilePath());
    }
  }
  for (INT_PTR i = 0; i < files.GetSize(); ++i) {
    if (DeleteFile(files[i])) continue;
    SetFileAttributes(files[i], FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFile(files[i])) return false;
  }
  for (INT_PTR i = 0; i < folders.GetSize(); ++i)
    if (!RemoveDirRecursive(folders[i])) return false;
  return RemoveDirectory(dir) != 0;
}

}  // namespace

int RemoveDir(const CString& path, int showErrors) {
  // A folder that is a link goes as a link.
  CFileFind self;
  const bool link = self.FindFile(path) && (self.FindNextFile(), self.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT));
  self.Close();
  if (link ? DeleteFile(path) != 0 : RemoveDirRecursive(path)) return 1;
  if (showErrors) ShowLastError(MB_ICONEXCLAMATION);
  return 0;
}

namespace {

// `ancestors`: the folders on the way down, as the file system knows them. A link that leads back to
// one of them (to its own folder or above) is not walked again, else the walk would not end.
void FilesOfDir(const CString& dir, CStringArray& files, std::vector<std::string>& ancestors) {
  CStringArray folders;
  {
    CFileFind find;
    BOOL more = find.FindFile(dir + "\\*.*");
    while (more) {
      more = find.FindNextFile();
      if (!find.IsDirectory()) files.Add(find.GetFilePath());
      else if (find.GetFileName().Left(1) != ".") folders.Add(find.GetFilePath());
    }
  }
  ancestors.push_back(ResolvePath(dir));
  for (INT_PTR i = 0; i < folders.GetSize(); ++i) {
    const std::string folder = ResolvePath(folders[i]);
    if (std::none_of(ancestors.begin(), ancestors.end(), [&](const std::string& a) { return IsSameFolder(folder, a); }))
      FilesOfDir(folders[i], files, ancestors);
  }
  ancestors.pop_back();
}

}  // namespace

void GetFilesOfDir(const CString& dir, CStringArray& files) {
  std::vector<std::string> ancestors;
  FilesOfDir(dir, files, ancestors);
}

int CopyFiles(const CStringArray& from, const CStringArray& to, int showErrors) {
  INT_PTR n = std::min(from.GetSize(), to.GetSize());
  CMapStringToPtr created;
  bool ok = true;
  for (INT_PTR i = 0; ok && i < n; ++i) {
    int last = LastSeparator(to[i]);
    if (last < 0) continue;
    CString folder = to[i].Left(last);
    CString key = folder;
    key.MakeLower();
    void* seen;
    if (created.Lookup(key, seen)) continue;
    created[key] = nullptr;
    ok = CreateDir(folder) != 0;
  }
  for (INT_PTR i = 0; ok && i < n; ++i) ok = CopyFile(from[i], to[i], FALSE) != 0;
  if (!ok && showErrors) ShowLastError(MB_ICONEXCLAMATION);
  return ok ? 1 : 0;
}

CString GetLastErrorText() {
  const DWORD code = GetLastError();
  return code == 0 ? CString("Unknown error") : ErrorTextOf(code);
}

void ShowLastError(UINT style) { AfxMessageBox(GetLastErrorText(), style); }

int ReplaceUpdateProgram() {
  CString dir = GetKernelDirectory();
  if (dir.IsEmpty()) return 1;
  CString fresh = dir + "update_new.exe";
  if (!ExistFile(fresh)) return 1;
  if (CopyFile(fresh, dir + "update.exe", FALSE) && DeleteFile(fresh)) return 1;
  ShowKernelMessage(MB_ICONEXCLAMATION, 20076);
  return 0;
}
