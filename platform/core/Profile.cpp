#include "platform/core/Profile.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Ini.h"
#include "platform/core/Path.h"

#include <errno.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

std::string Fold(const std::string& s) {
  std::string f(s);
  for (char& c : f)
    if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
  return f;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Registry values come back exactly as written: where reading would trim blanks or strip a pair of
// quotes, the value is written inside one more pair of quotes.
std::string ProtectValue(const std::string& v) {
  if (v.empty()) return v;
  const bool blanks = IsBlank(v.front()) || IsBlank(v.back());
  const bool quoted = v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0];
  return (blanks || quoted) ? "\"" + v + "\"" : v;
}

UINT ParseInt(const std::string& v, int defaultValue) {
  if (v.empty()) return (UINT)defaultValue;
  size_t i = 0;
  bool negative = false;
  if (v[i] == '-' || v[i] == '+') negative = v[i++] == '-';
  uint32_t n = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) n = n * 10u + (uint32_t)(v[i] - '0');
  return negative ? 0u - n : n;
}

}  // namespace

CAppProfile::CAppProfile(LPCSTR appName) { SetAppName(appName); }

void CAppProfile::SetAppName(LPCSTR appName) {
  m_appName = (appName && *appName) ? appName : program_invocation_short_name;
}

void CAppProfile::SetProfileName(LPCSTR profileName) { m_profileName = profileName ? profileName : ""; }

CString CAppProfile::GetProfileName() const {
  return m_profileName.IsEmpty() ? m_appName + ".ini" : m_profileName;
}

void CAppProfile::SetRegistryKey(LPCSTR company) { m_registryKey = company ? company : ""; }

CString CAppProfile::GetConfigFolder() {
  std::string base;
  const char* xdg = getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = getenv("HOME");
    base = std::string(home && *home ? home : "/tmp") + "/.config";
  }
  return CString(base + "/dravonix");
}

CString CAppProfile::GetProfileFile() const {
  if (IsRegistryMode()) return GetConfigFolder() + "/registry.ini";
  CString name = GetProfileName();
  if (IsAbsolutePath(name)) return name;
  return GetConfigFolder() + "/" + name;
}

CString CAppProfile::GetSectionName(LPCSTR section) const {
  if (!IsRegistryMode()) return CString(section);
  CString key = "Software\\" + m_registryKey + "\\" + m_appName;
  if (section && *section) key += CString("\\") + section;
  return key;
}

bool CAppProfile::EnsureFolder() const {
  const std::string folder = GetConfigFolder().str();
  const std::string file = ResolvePath(GetProfileFile());
  if (file.compare(0, folder.size() + 1, folder + "/") != 0) return true;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
  return !ec;
}

CString CAppProfile::GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue) const {
  std::string value;
  if (section && entry && dravonix::ini::GetValue(GetProfileFile(), GetSectionName(section).str(), entry, value))
    return CString(value);
  return CString(defaultValue);
}

UINT CAppProfile::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) const {
  std::string value;
  if (!section || !entry || !dravonix::ini::GetValue(GetProfileFile(), GetSectionName(section).str(), entry, value))
    return (UINT)defaultValue;
  return ParseInt(value, defaultValue);
}

BOOL CAppProfile::GetProfileBinary(LPCSTR section, LPCSTR entry, BYTE** data, UINT* bytes) const {
  if (data) *data = nullptr;
  if (bytes) *bytes = 0;
  if (!data || !bytes) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  CString text = GetProfileString(section, entry, nullptr);
  const std::string& s = text.str();
  if (s.empty() || s.size() % 2 != 0) return FALSE;
  for (char c : s)
    if (c < 'A' || c > 'P') return FALSE;
  UINT n = (UINT)(s.size() / 2);
  BYTE* out = new BYTE[n];
  for (UINT i = 0; i < n; ++i) out[i] = (BYTE)((s[2 * i] - 'A') | ((s[2 * i + 1] - 'A') << 4));
  *data = out;
  *bytes = n;
  return TRUE;
}

BOOL CAppProfile::WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value) {
  if (!section) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  dravonix::ini::OwnLookups own;
  if (!EnsureFolder()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const CString file = GetProfileFile();
  const CString name = GetSectionName(section);
  if (!entry) {
    if (IsRegistryMode() && !GetSubKeys(section).empty()) {
      // A key with subkeys is not deleted as a whole.
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    return WritePrivateProfileString(name, nullptr, nullptr, file);
  }
  if (!value) return WritePrivateProfileString(name, entry, nullptr, file);
  if (IsRegistryMode()) return WritePrivateProfileString(name, entry, ProtectValue(value).c_str(), file);
  return WritePrivateProfileString(name, entry, value, file);
}

BOOL CAppProfile::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
  return WriteProfileString(section, entry, std::to_string(value).c_str());
}

BOOL CAppProfile::WriteProfileBinary(LPCSTR section, LPCSTR entry, const BYTE* data, UINT bytes) {
  if (!data && bytes) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string text;
  text.reserve((size_t)bytes * 2);
  for (UINT i = 0; i < bytes; ++i) {
    text += (char)('A' + (data[i] & 0x0F));
    text += (char)('A' + (data[i] >> 4));
  }
  return WriteProfileString(section, entry, text.c_str());
}

std::vector<CString> CAppProfile::GetSectionEntries(LPCSTR section) const {
  std::vector<CString> out;
  if (!section) return out;
  for (std::string& k : dravonix::ini::KeyNames(GetProfileFile(), GetSectionName(section).str()))
    out.emplace_back(std::move(k));
  return out;
}

BOOL CAppProfile::SectionExists(LPCSTR section) const {
  if (!section) return FALSE;
  const std::string name = GetSectionName(section).str();
  if (!IsRegistryMode()) return dravonix::ini::SectionExists(GetProfileFile(), name);
  const std::string folded = Fold(name), prefix = folded + "\\";
  for (const std::string& s : dravonix::ini::SectionNames(GetProfileFile())) {
    std::string f = Fold(s);
    if (f == folded || f.compare(0, prefix.size(), prefix) == 0) return TRUE;
  }
  return FALSE;
}

std::vector<CString> CAppProfile::GetSubKeys(LPCSTR section) const {
  std::vector<CString> out;
  if (!section) return out;
  const std::string name = GetSectionName(section).str();
  const std::string prefix = name.empty() ? std::string() : Fold(name) + "\\";
  std::vector<std::string> seen;
  for (const std::string& s : dravonix::ini::SectionNames(GetProfileFile())) {
    if (s.size() <= prefix.size() || Fold(s.substr(0, prefix.size())) != prefix) continue;
    std::string sub = s.substr(prefix.size());
    sub = sub.substr(0, sub.find('\\'));
    if (sub.empty() || std::find(seen.begin(), seen.end(), Fold(sub)) != seen.end()) continue;
    seen.push_back(Fold(sub));
    out.emplace_back(sub);
  }
  std::sort(out.begin(), out.end(), [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
  return out;
}

BOOL CAppProfile::DeleteSubKey(LPCSTR section, LPCSTR subKey) {
  if (!section || !subKey || !*subKey) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string folded = Fold(subKey);
  bool found = false;
  for (const CString& s : GetSubKeys(section)) found = found || Fold(s.str()) == folded;
  if (!found) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::string name = GetSectionName(section).str();
  if (!name.empty()) name += "\\";
  return dravonix::ini::DeleteSectionTree(GetProfileFile(), name + subKey) ? TRUE : FALSE;
}
