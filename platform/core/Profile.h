// CAppProfile: the application's settings behind the framework application's profile functions,
// kept in INI-format files under the configuration folder.
//
// The configuration folder is $XDG_CONFIG_HOME/dravonix, else ~/.config/dravonix; it is created on
// the first write. Two modes, as the framework application has them:
// - INI mode (no registry key): sections and entries of the profile file, "<app>.ini" unless
//   SetProfileName names another (a relative name lives in the configuration folder).
// - Registry mode (after SetRegistryKey): the keys below HKEY_CURRENT_USER live in the file
//   "registry.ini" of the configuration folder, one section per key named by its path, e.g.
//   "Software\<company>\<app>\Text Editor\VKS Files"; a section `a\b` is subkey b of key a.
// In both modes values are kept as text; integers as signed decimal, binary data as two letters per
// byte ('A' + low nibble, 'A' + high nibble).
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <vector>

class CAppProfile {
 public:
  // Without a name the program's own name is the application name.
  explicit CAppProfile(LPCSTR appName = nullptr);

  void SetAppName(LPCSTR appName);
  const CString& GetAppName() const { return m_appName; }
  // INI mode's file name (default "<app>.ini").
  void SetProfileName(LPCSTR profileName);
  CString GetProfileName() const;
  // Switches to registry mode under HKEY_CURRENT_USER\Software\<company>\<app>; null or empty
  // switches back to INI mode.
  void SetRegistryKey(LPCSTR company);
  const CString& GetRegistryKey() const { return m_registryKey; }
  BOOL IsRegistryMode() const { return !m_registryKey.IsEmpty(); }

  static CString GetConfigFolder();
  // The file the settings are kept in.
  CString GetProfileFile() const;
  // The section of the file that holds a section (registry mode: the key's full path).
  CString GetSectionName(LPCSTR section) const;

  CString GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue = nullptr) const;
  UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) const;
  // On success `*data` is a new[] array of `*bytes` bytes that the caller deletes with delete[].
  BOOL GetProfileBinary(LPCSTR section, LPCSTR entry, BYTE** data, UINT* bytes) const;
  // A null entry deletes the section (registry mode: the key, which must have no subkeys); a null
  // value deletes the entry.
  BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value);
  BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
  BOOL WriteProfileBinary(LPCSTR section, LPCSTR entry, const BYTE* data, UINT bytes);

  // The entry names of a section in file order.
  std::vector<CString> GetSectionEntries(LPCSTR section) const;
  // INI mode: the section is present. Registry mode: the key exists (it or a subkey was written).
  BOOL SectionExists(LPCSTR section) const;
  // Registry mode: the names of the section key's subkeys, sorted without regard to case.
  std::vector<CString> GetSubKeys(LPCSTR section) const;
  // Registry mode: deletes a subkey of the section key with all of its own subkeys. FALSE with
  // ERROR_FILE_NOT_FOUND when it does not exist.
  BOOL DeleteSubKey(LPCSTR section, LPCSTR subKey);

 private:
  bool EnsureFolder() const;

  CString m_appName;
  CString m_profileName;  // empty: "<app>.ini"
  CString m_registryKey;
};
