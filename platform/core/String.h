// CString: the framework's 8-bit string, holding bytes as files hold them (Windows-1252).
#pragma once

#include "platform/core/Format.h"
#include "platform/core/Types.h"

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
 public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(const char* s) : m_s(s ? s : "") {}
  CString(const char* s, int len) : m_s(s ? std::string(s, len < 0 ? 0 : (size_t)len) : std::string()) {}
  CString(const unsigned char* s) : CString(reinterpret_cast<const char*>(s)) {}
  CString(char ch, int repeat = 1) : m_s(repeat > 0 ? (size_t)repeat : 0, ch) {}
  CString(const std::string& s) : m_s(s) {}
  CString(std::string&& s) : m_s(std::move(s)) {}
  CString(std::string_view s) : m_s(s) {}

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
  CString& operator=(char ch) { m_s.assign(1, ch); return *this; }
  CString& operator=(const std::string& s) { m_s = s; return *this; }

  // Access
  int GetLength() const { return (int)m_s.size(); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  // An index outside the string throws CInvalidArgException, as the framework does.
  char GetAt(int i) const;
  void SetAt(int i, char ch);
  char operator[](int i) const { return GetAt(i); }
  operator const char*() const { return m_s.c_str(); }
  const char* GetString() const { return m_s.c_str(); }
  const std::string& str() const { return m_s; }
  std::string& str() { return m_s; }

  // Concatenation
  CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
  CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
  CString& operator+=(char ch) { m_s += ch; return *this; }
  CString& Append(const char* s, int len) { if (s && len > 0) m_s.append(s, (size_t)len); return *this; }
  void AppendChar(char ch) { m_s += ch; }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
  friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
  friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
  friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
  friend CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }

  // Comparison: byte-wise; NoCase folds ASCII letters only, as the original runtime's C locale does.
  int Compare(const char* s) const;
  int CompareNoCase(const char* s) const;
  int Collate(const char* s) const { return Compare(s); }
  int CollateNoCase(const char* s) const { return CompareNoCase(s); }
  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
  friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
  friend bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
  friend bool operator!=(const char* a, const CString& b) { return b.Compare(a) != 0; }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }
  friend bool operator>(const CString& a, const CString& b) { return a.m_s > b.m_s; }
  friend bool operator<=(const CString& a, const CString& b) { return a.m_s <= b.m_s; }
  friend bool operator>=(const CString& a, const CString& b) { return a.m_s >= b.m_s; }
  friend bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
  friend bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
  friend bool operator<=(const CString& a, const char* b) { return a.Compare(b) <= 0; }
  friend bool operator>=(const CString& a, const char* b) { return a.Compare(b) >= 0; }
  friend bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
  friend bool operator>(const char* a, const CString& b) { return b.Compare(a) < 0; }
  friend bool operator<=(const char* a, const CString& b) { return b.Compare(a) >= 0; }
  friend bool operator>=(const char* a, const CString& b) { return b.Compare(a) <= 0; }

  // Extraction (counts are clamped as the framework clamps them)
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString SpanIncluding(const char* set) const;
  CString SpanExcluding(const char* set) const;
  CString Tokenize(const char* delims, int& start) const;

  // Case, trimming, editing
  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();
  CString& Trim();
  CString& Trim(char ch);
  CString& Trim(const char* set);
  CString& TrimLeft();
  CString& TrimLeft(char ch);
  CString& TrimLeft(const char* set);
  CString& TrimRight();
  CString& TrimRight(char ch);
  CString& TrimRight(const char* set);
  int Replace(char oldCh, char newCh);
  int Replace(const char* oldStr, const char* newStr);
  int Remove(char ch);
  int Insert(int index, char ch);
  int Insert(int index, const char* s);
  int Delete(int index, int count = 1);
  void Truncate(int len) { if (len >= 0 && (size_t)len < m_s.size()) m_s.resize((size_t)len); }

  // Searching; -1 when not found
  int Find(char ch, int start = 0) const;
  int Find(const char* sub, int start = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(const char* set) const;

  // Formatting with the platform's runtime rules (platform/core/Format.h). CString
  // arguments may be passed for %s as they are.
  template <class... Args>
  void Format(const char* fmt, const Args&... args) {
    FormatC(fmt, format_detail::Pass(args)...);
  }
  template <class... Args>
  void AppendFormat(const char* fmt, const Args&... args) {
    AppendFormatC(fmt, format_detail::Pass(args)...);
  }
  // %1 .. %9 inserts, each a string; %% is a percent sign.
  template <class... Args>
  void FormatMessage(const char* fmt, const Args&... args) {
    FormatMessageC(fmt, format_detail::Pass(args)...);
  }
  void FormatV(const char* fmt, va_list args);
  void FormatC(const char* fmt, ...);
  void AppendFormatC(const char* fmt, ...);
  void FormatMessageC(const char* fmt, ...);
  BOOL LoadString(UINT id);

  // Buffer access
  char* GetBuffer(int minLength = 0);
  char* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);
  void ReleaseBufferSetLength(int newLength) { ReleaseBuffer(newLength); }
  char* LockBuffer() { return GetBuffer(0); }
  void UnlockBuffer() {}
  void FreeExtra() { m_s.shrink_to_fit(); }
  void Preallocate(int len) { if (len > 0) m_s.reserve((size_t)len); }

 private:
  std::string m_s;
};

// The C runtime's case-insensitive comparisons of the original platform (ASCII folding).
int _stricmp(const char* a, const char* b);
int _strnicmp(const char* a, const char* b, size_t n);
char* _strupr(char* s);
char* _strlwr(char* s);

// Hash for maps keyed by CString.
template <>
struct std::hash<CString> {
  size_t operator()(const CString& s) const noexcept { return std::hash<std::string>()(s.str()); }
};
