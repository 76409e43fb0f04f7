#include "kernel/values/ConfigFile.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/QuietErrors.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/Ini.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/Path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

CString ToKernelPath(std::string dir) {
  for (char& c : dir)
    if (c == '/') c = '\\';
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return CString(dir);
}

// The folder is fixed at first success: the kernel caches it, and tests set it before start-up.
CString FindKernelDirectory() {
  if (const char* env = getenv("DRAVONIX_KERNEL_DIR"); env && *env) return ToKernelPath(env);
  char path[512];
  HMODULE self = AfxModuleOfAddress((const void*)&FindKernelDirectory);
  DWORD n = self ? GetModuleFileName(self, path, sizeof path) : 0;
  if (n == 0 || n >= sizeof path) return CString();
  std::string p(path, n);
  size_t cut = p.find_last_of("/\\");
  if (cut == std::string::npos) return CString();
  return ToKernelPath(p.substr(0, cut));
}

CString Sub(const char* folder) { return GetKernelDirectory() + folder; }

}  // namespace

CString GetKernelDirectory() {
  static std::mutex m;
  static CString dir;
  std::lock_guard<std::mutex> lock(m);
  if (dir.IsEmpty()) dir = FindKernelDirectory();
  return dir;
}

CString GetKernelConfigFilePath() { return Sub("kernel.cfg"); }
CString GetArchivesDirectory() { return Sub("Archives\\"); }
CString GetConfigurationsDirectory() { return Sub("Configurations\\"); }
CString GetFirmwareDirectory() { return Sub("Firmware\\"); }
CString GetGUIDirectory() { return Sub("GUIs\\"); }
CString GetImagesDirectory() { return Sub("Images\\"); }
CString GetMotionModulesDirectory() { return Sub("MotionModules\\"); }
CString GetMotionProceduresDirectory() { return Sub("MotionProcedures\\"); }
CString GetKernelHelpFile() { return Sub("kernel.chm"); }
CString GetZURHelpFile() { return Sub("VKS.chm"); }

CString ReplaceExtensionWithChm(const CString& path) {
  int dot = path.ReverseFind('.');
  int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
  if (dot <= slash) return path + ".chm";
  return path.Left(dot + 1) + "chm";
}

HMODULE GetKernelModuleHandle() { return GetModuleHandle("dravonix.dll"); }

int GetHelpFileOfModule(HINSTANCE module, CString& helpFile) {
  char path[781];
  // A null module is the host's executable.
  DWORD n = GetModuleFileName((HMODULE)module, path, sizeof path);
  if (n == 0 || n >= sizeof path) {
    helpFile.Empty();
    return 0;
  }
  helpFile = ReplaceExtensionWithChm(CString(path, (int)n));
  return 1;
}

CString GetHelpFileOfGUI(CMC_Setup* setup) {
  if (!setup) return CString();
  CString file = setup->GetOption("HelpFile");
  return file.IsEmpty() ? file : ReplaceExtensionWithChm(file);
}

CString ResolveConfigFileName(const char* name) {
  if (name && IsAbsolutePath(name)) return CString(name);
  CString dir = GetKernelDirectory();
  if (dir.IsEmpty()) return CString();
  return dir + (name ? name : "");
}

CString FolderFilePrefix(const char* dir) { return dir && *dir ? CString(dir) + "\\" : CString(); }

CString ShownFileName(const char* name) {
  CString resolved = ResolveConfigFileName(name);
  std::string p = NativePath(resolved.IsEmpty() ? name : resolved.GetString());
  p.erase(std::unique(p.begin(), p.end(), [](char a, char b) { return a == '/' && b == '/'; }), p.end());
  return CString(p.c_str());
}

FILE* OpenConfigFile(const char* name, int write) {
  CString path = ResolveConfigFileName(name);
  if (path.IsEmpty()) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20000);
    return nullptr;
  }
  // A folder is not a file, though the C library would open it for reading.
  DWORD attr = GetFileAttributes(path);
  const bool folder = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
  FILE* f = nullptr;
  if (!folder && write) {
    f = fopen(ResolvePath(path).c_str(), "wb");
  } else if (!folder) {
    f = OpenPlainFileToRead(ResolvePath(path).c_str());
  }
  if (!f) ShowKernelMessage(MB_ICONEXCLAMATION, 20001, ShownFileName(path).GetString());
  return f;
}

FILE* OpenPlainFileToRead(const char* nativePath) {
  const int fd = nativePath ? open(nativePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (fd < 0) return nullptr;
  struct stat st;
  FILE* f = nullptr;
  if (fstat(fd, &st) == 0) {
    if (!S_ISREG(st.st_mode)) errno = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
    else if (fcntl(fd, F_SETFL, 0) == 0) f = fdopen(fd, "rb");
  }
  if (!f) {
    const int err = errno;
    close(fd);
    errno = err;
  }
  return f;
}

void ShowWriteFailure(const char* name) {
  const DWORD cause = GetLastError();
  if (cause == ERROR_SUCCESS || cause == ERROR_ACCESS_DENIED) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20015, name ? name : "");
    return;
  }
  CString text = GetLastErrorText();
  text.TrimRight("\r\n");
  ShowKernelMessage(MB_ICONEXCLAMATION, 20022, name ? name : "", text.GetString());
}

CConfigFileWriter::CConfigFileWriter(const char* name, const char* path)
    : m_name(name ? name : ""), m_save(path ? CString(path) : ResolveConfigFileName(name), CSaveBeside::kNamed) {}

CConfigFileWriter::CConfigFileWriter(const char* name, SetMember)
    : m_name(name ? name : ""),
      m_refused(!CheckConfigSetFile(nullptr, name)),
      m_save(m_refused ? CString() : ResolveConfigFileName(name), CSaveBeside::kNamed) {}

CConfigFileWriter::~CConfigFileWriter() {
  if (m_file) fclose(m_file);
}

FILE* CConfigFileWriter::Open() {
  if (m_refused) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (m_save.GetTarget().IsEmpty()) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20000);
    return nullptr;
  }
  // A folder in the way is not replaced.
  int cause = 0;
  if (!m_save.IsFolder()) {
    // Through the descriptor that created the temporary file, never by its name again.
    m_file = m_save.OpenStream();
    cause = m_file ? 0 : errno;
  }
  if (cause == EACCES || cause == EPERM) {
    // The new file goes beside the old one, so it is the folder that refuses it.
    const int cut = std::max(m_name.ReverseFind('\\'), m_name.ReverseFind('/'));
    ShowKernelMessage(MB_ICONEXCLAMATION, 20023, cut > 0 ? m_name.Left(cut).GetString() : m_name.GetString());
  } else if (!m_file && cause != 0 && cause != ENOENT && cause != ENOTDIR) {
    // Out of space or of inodes, too many open files, write-protected media: the box says so.
    SetLastErrorFromErrno(cause);
    ShowFailure();
  } else if (!m_file) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20001, m_name.GetString());
  }
  // A new file that cannot be made for want of a name is one whose folder is missing.
  if (!m_file && (cause == ENOENT || cause == ENOTDIR)) SetLastError(ERROR_PATH_NOT_FOUND);
  else if (!m_file) SetLastErrorFromErrno(cause);
  errno = 0;
  return m_file;
}

int CConfigFileWriter::Close(int written) {
  int cause = written ? 0 : errno;
  if (m_file && fclose(m_file) != 0 && written) {
    written = 0;
    cause = errno;
  }
  m_file = nullptr;
  if (written) return 1;
  // The system text needs an error to name even where the close told none.
  SetLastErrorFromErrno(cause == 0 && m_bSystemText ? EIO : cause);
  ShowFailure();
  m_save.Discard();
  return 0;
}

void CConfigFileWriter::ShowFailure() const {
  if (!m_bSystemText) ShowWriteFailure(m_name);
  else if (g_bShowErrors) ShowLastError(MB_ICONSTOP);
}

int CConfigFileWriter::WriteEntries(int count, const std::function<int(FILE*, int)>& write) {
  FILE* f = Open();
  if (!f) return 0;
  for (int i = 0; i < count; ++i) {
    const int r = write(f, i);
    if (r > 0) continue;
    if (r == 0) return Close(FALSE);
    Close(TRUE);
    ShowKernelMessage(MB_ICONEXCLAMATION, 20004);
    return 0;
  }
  return Close(TRUE);
}

int CConfigFileWriter::Commit() {
  if (m_save.Commit()) return 1;
  ShowFailure();
  m_save.Discard();
  return 0;
}

int ExistConfigFile(const char* name) {
  if (!name) return 0;
  CString path = ResolveConfigFileName(name);
  return !path.IsEmpty() && ExistFile(path);
}

namespace {

// Blanks and tabs are trimmed from configuration lines; CRs are dropped wherever they stand.
bool IsTrimmedOrCR(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The next physical line in the thread's buffer, without its LF (`lf` tells whether it had one);
// false at the end of the file.
bool ReadRawLine(FILE* file, const char*& text, size_t& length, bool* lf = nullptr) {
  // One buffer per thread, grown by getline and kept from line to line.
  thread_local struct Buffer {
    char* p = nullptr;
    size_t size = 0;
    ~Buffer() { free(p); }
  } buffer;
  ssize_t n = getline(&buffer.p, &buffer.size, file);
  if (n <= 0) return false;
  length = (size_t)n;
  const bool ended = buffer.p[length - 1] == '\n';
  if (ended) --length;
  if (lf) *lf = ended;
  text = buffer.p;
  return true;
}

// `s` = the text with every CR dropped.
void AssignWithoutCR(const char* text, size_t length, std::string& s) {
  const char* end = text + length;
  const char* cr = length ? (const char*)memchr(text, '\r', length) : nullptr;
  s.assign(text, cr ? (size_t)(cr - text) : length);
  while (cr) {
    const char* from = cr + 1;
    cr = (const char*)memchr(from, '\r', (size_t)(end - from));
    s.append(from, (size_t)((cr ? cr : end) - from));
  }
}

// The configuration text of a physical line: CRs dropped, the comment cut, blanks and tabs trimmed.
// CRs at either end go with the blanks, as they would be dropped before the trimming; inside, the
// text keeps its first and last character, so dropping its CRs leaves nothing to trim.
void CleanConfigLine(const char* text, size_t length, CString& line) {
  if (const void* hash = length ? memchr(text, '#', length) : nullptr) length = (size_t)((const char*)hash - text);
  size_t b = 0;
  while (b < length && IsTrimmedOrCR(text[b])) ++b;
  while (length > b && IsTrimmedOrCR(text[length - 1])) --length;
  AssignWithoutCR(text + b, length - b, line.str());
}

}  // namespace

int ReadLine(FILE*& file, CString& line, int& lineNumber) {
  line.Empty();
  const char* text;
  size_t length;
  bool lf = false;
  if (!file || !ReadRawLine(file, text, length, &lf)) return 0;
  // CRs are dropped wherever they stand, so a last line of nothing but CRs holds no text: the end.
  AssignWithoutCR(text, length, line.str());
  if (!lf && line.IsEmpty()) return 0;
  ++lineNumber;
  return 1;
}

int ReadConfigFileLine(FILE*& file, CString& line, int& lineNumber) {
  const char* text;
  size_t length;
  while (file && ReadRawLine(file, text, length)) {
    ++lineNumber;
    CleanConfigLine(text, length, line);
    if (!line.IsEmpty()) return 1;
  }
  if (file) {
    fclose(file);
    file = nullptr;
  }
  line.Empty();
  return 0;
}

int LineFeedsRead(FILE* file, int lineNumber) { return file && feof(file) ? lineNumber - 1 : lineNumber; }
size_t CConfigLineReader::CountLines() {
  long start = ftell(m_file);
  if (start < 0) return 0;
  m_buffer.resize(kBlock);
  size_t lines = 0;
  char last = '\n';
  for (size_t n; (n = fread(m_buffer.data(), 1, m_buffer.size(), m_file)) > 0;) {
    for (const char *p = m_buffer.data(), *end = p + n; (p = (const char*)memchr(p, '\n', (size_t)(end - p))); ++p)
      ++lines;
    last = m_buffer[n - 1];
  }
  clearerr(m_file);
  if (fseek(m_file, start, SEEK_SET) != 0) return 0;
  return lines + (last != '\n');
}

int CConfigLineReader::Next(CString& line, int& lineNumber) {
  for (;;) {
    const char* text = m_buffer.data() + m_begin;
    size_t length = m_end - m_begin;
    const char* lf = length ? (const char*)memchr(text, '\n', length) : nullptr;
    if (!lf && !m_atEnd) {
      Fill();
      continue;
    }
    if (!lf && length == 0) {
      line.Empty();
      return 0;
    }
    if (lf) length = (size_t)(lf - text);
    m_begin += lf ? length + 1 : length;
    ++lineNumber;
    CleanConfigLine(text, length, line);
    if (!line.IsEmpty()) return 1;
  }
}

void CConfigLineReader::Fill() {
  // The unread rest moves to the front; a line longer than the buffer doubles it.
  size_t rest = m_end - m_begin;
  if (m_buffer.empty()) m_buffer.resize(kBlock);
  else if (rest == m_buffer.size()) m_buffer.resize(m_buffer.size() * 2);
  else if (m_begin) memmove(m_buffer.data(), m_buffer.data() + m_begin, rest);
  m_begin = 0;
  m_end = rest;
  size_t n = fread(m_buffer.data() + m_end, 1, m_buffer.size() - m_end, m_file);
  m_end += n;
  if (n == 0) m_atEnd = true;
}

CString EscapeString(CString text) {
  std::string out;
  out.reserve((size_t)text.GetLength() + 2);
  out += '"';
  for (char c : text.str()) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '#': out += "\\d"; break;
      case '"': out += "\\\""; break;
      default: out += c;
    }
  }
  out += '"';
  return CString(std::move(out));
}

int ReadEscapedStringFromConfigLine(CString& line, CString& out) {
  const std::string& s = line.str();
  if (s.empty() || s[0] != '"') return 0;
  std::string text;
  size_t i = 1;
  for (; i < s.size() && s[i] != '"'; ++i) {
    // A NUL would end the text when it is written back, and the closing quote with it.
    if (s[i] == '\0') return 0;
    if (s[i] != '\\') {
      text += s[i];
      continue;
    }
    if (++i >= s.size() || s[i] == '\0') return 0;
    switch (s[i]) {
      case 'r': text += '\r'; break;
      case 'n': text += '\n'; break;
      case 'd': text += '#'; break;
      default: text += s[i];
    }
  }
  if (i >= s.size()) return 0;
  out = CString(std::move(text));
  line = line.Mid((int)i + 1);
  line.TrimLeft(" \t");
  return 1;
}

int ReadLongFromConfigLine(CString& line, LONG& out) {
  const std::string& s = line.str();
  size_t n = 0;
  if (n < s.size() && (s[n] == '+' || s[n] == '-')) ++n;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
  std::string run = s.substr(0, n);
  line = line.Mid((int)n);
  line.TrimLeft(" \t");
  // A number that does not fit in 32 bits is refused rather than wrapped.
  bool digits = run.find_first_of("0123456789") != std::string::npos;
  if (!digits) return 0;
  errno = 0;
  long long v = strtoll(run.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return 0;
  out = (LONG)v;
  return 1;
}

int ReadDoubleFromConfigLine(CString& line, double& out) {
  const std::string& s = line.str();
  size_t n = 0;
  while (n < s.size() && strchr("0123456789.eE+-", s[n]) && s[n]) ++n;
  std::string run = s.substr(0, n);
  line = line.Mid((int)n);
  line.TrimLeft(" \t");
  double v;
  // A number beyond the double range is refused as the integer reader refuses overflow: infinity
  // would be written back in a form no reader takes.
  if (run.empty() || ScanString(run.c_str(), "%lf", &v) != 1 || !std::isfinite(v)) return 0;
  out = v;
  return 1;
}

void LoadCommunicationSettings(int& workOffline, BYTE& flag, BYTE& type, CString& channel, DWORD& baudRate,
                               WORD& hostAddress, WORD& activeAddress, WORD& eepromWriteProtection) {
  CString ini = GetKernelConfigFilePath();
  workOffline = (int)GetPrivateProfileInt("Communication", "WorkOffline", 0, ini);
  BYTE t = (BYTE)GetPrivateProfileInt("Communication", "Type", 0, ini);
  flag = t & 0x80;
  type = t & 0x7F;
  char buf[128];
  GetPrivateProfileString("Communication", "Channel", "COM1", buf, sizeof buf, ini);
  channel = buf;
  baudRate = (DWORD)GetPrivateProfileInt("Communication", "BaudRate", 115200, ini);
  UINT host = GetPrivateProfileInt("Communication", "HostAddress", 255, ini);
  hostAddress = (WORD)(host > 255 ? 255 : host);
  UINT active = GetPrivateProfileInt("Communication", "ActiveAddress", 0, ini);
  activeAddress = (WORD)(active > 255 ? 0 : active);
  UINT prot = GetPrivateProfileInt("Communication", "EEPROMWriteProtection", 0, ini);
  eepromWriteProtection = (WORD)(prot > 3 ? 3 : prot);
}

void SaveCommunicationSettings(int workOffline, BYTE flag, BYTE type, const CString& channel, DWORD baudRate,
                               WORD hostAddress, WORD activeAddress, WORD eepromWriteProtection) {
  CString ini = GetKernelConfigFilePath();
  CString v;
  v.Format("%d", workOffline ? 1 : 0);
  WritePrivateProfileString("Communication", "WorkOffline", v, ini);
  v.Format("%d", flag | type);
  WritePrivateProfileString("Communication", "Type", v, ini);
  WritePrivateProfileString("Communication", "Channel", channel, ini);
  v.Format("%ld", (LONG)baudRate);
  WritePrivateProfileString("Communication", "BaudRate", v, ini);
  if (hostAddress < 256) {
    v.Format("%d", hostAddress);
    WritePrivateProfileString("Communication", "HostAddress", v, ini);
  }
  if (activeAddress < 256) {
    v.Format("%d", activeAddress);
    WritePrivateProfileString("Communication", "ActiveAddress", v, ini);
  }
  if (eepromWriteProtection < 4) {
    v.Format("%d", eepromWriteProtection);
    WritePrivateProfileString("Communication", "EEPROMWriteProtection", v, ini);
  }
}

int IsNetmasterEnabled() {
  return GetPrivateProfileInt("Network", "EnableNetMaster", 0, GetKernelConfigFilePath()) != 0;
}

void GetNetServerAddress(CString& host, int& port) {
  CString ini = GetKernelConfigFilePath();
  char buf[512];
  GetPrivateProfileString("Network", "ServerHost", "localhost", buf, sizeof buf, ini);
  host = buf;
  port = (int)GetPrivateProfileInt("Network", "ServerPort", 1700, ini);
}

void GetNetServerAuth(CString& user, CString& password) {
  char buf[512];
  GetPrivateProfileString("Network", "ServerUserName", "", buf, sizeof buf, GetKernelConfigFilePath());
  user = buf;
  if (user.IsEmpty()) {
    DWORD n = sizeof buf;
    if (GetUserName(buf, &n)) user = buf;
  }
  password.Empty();
}

void SaveNetServerAuth(const CString& user, const CString&) {
  CString ini = GetKernelConfigFilePath();
  WritePrivateProfileString("Network", "ServerUserName", user, ini);
  WritePrivateProfileString("Network", "ServerPassword", nullptr, ini);
}

DWORD GetBuildVersion() {
  FILE* f = OpenConfigFile("update.cfg", 0);
  DWORD best = 0;
  CString line, name;
  int lineNumber = 0;
  while (ReadConfigFileLine(f, line, lineNumber)) {
    DWORD v;
    if (ReadEscapedStringFromConfigLine(line, name) && ScanString(line, "%lu", &v) == 1 && v > best) best = v;
  }
  return best;
}
