#include "platform/core/String.h"

#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Resource.h"

#include <algorithm>
#include <cstring>

namespace {

inline unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 32) : c; }

inline bool InSet(const char* set, char c) { return set && c && strchr(set, c) != nullptr; }

const char kWhite[] = " \t\r\n\v\f";

}  // namespace

int _stricmp(const char* a, const char* b) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(a ? a : "");
  const unsigned char* q = reinterpret_cast<const unsigned char*>(b ? b : "");
  for (;; ++p, ++q) {
    int d = FoldAscii(*p) - FoldAscii(*q);
    if (d || !*p) return d;
  }
}

int _strnicmp(const char* a, const char* b, size_t n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(a ? a : "");
  const unsigned char* q = reinterpret_cast<const unsigned char*>(b ? b : "");
  for (; n; --n, ++p, ++q) {
    int d = FoldAscii(*p) - FoldAscii(*q);
    if (d || !*p) return d;
  }
  return 0;
}

char* _strupr(char* s) {
  for (char* p = s; p && *p; ++p)
    if (*p >= 'a' && *p <= 'z') *p = (char)(*p - 32);
  return s;
}

char* _strlwr(char* s) {
  for (char* p = s; p && *p; ++p)
    if (*p >= 'A' && *p <= 'Z') *p = (char)(*p + 32);
  return s;
}

char CString::GetAt(int i) const {
  if (i < 0 || (size_t)i >= m_s.size()) AfxThrowInvalidArgException();
  return m_s[(size_t)i];
}

void CString::SetAt(int i, char ch) {
  if (i < 0 || (size_t)i >= m_s.size()) AfxThrowInvalidArgException();
  m_s[(size_t)i] = ch;
}

int CString::Compare(const char* s) const { return strcmp(m_s.c_str(), s ? s : ""); }
int CString::CompareNoCase(const char* s) const { return _stricmp(m_s.c_str(), s); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  int len = GetLength();
  if (first < 0) first = 0;
  if (count < 0) count = 0;
  if (first > len) first = len;
  if (count > len - first) count = len - first;
  return CString(m_s.substr((size_t)first, (size_t)count));
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
  int len = GetLength();
  if (count < 0) count = 0;
  if (count > len) count = len;
  return CString(m_s.substr((size_t)(len - count)));
}

CString CString::SpanIncluding(const char* set) const {
  size_t n = 0;
  while (n < m_s.size() && InSet(set, m_s[n])) ++n;
  return CString(m_s.substr(0, n));
}

CString CString::SpanExcluding(const char* set) const {
  size_t n = 0;
  while (n < m_s.size() && !InSet(set, m_s[n])) ++n;
  return CString(m_s.substr(0, n));
}

CString CString::Tokenize(const char* delims, int& start) const {
  if (start < 0 || (size_t)start >= m_s.size()) {
    start = -1;
    return CString();
  }
  size_t b = (size_t)start;
  while (b < m_s.size() && InSet(delims, m_s[b])) ++b;
  if (b >= m_s.size()) {
    start = -1;
    return CString();
  }
  size_t e = b;
  while (e < m_s.size() && !InSet(delims, m_s[e])) ++e;
  start = (int)(e < m_s.size() ? e + 1 : e);
  return CString(m_s.substr(b, e - b));
}

CString& CString::MakeUpper() {
  for (char& c : m_s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 32);
  return *this;
}

CString& CString::MakeLower() {
  for (char& c : m_s)
    if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_s.begin(), m_s.end());
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const char* set) { return TrimRight(set).TrimLeft(set); }
CString& CString::TrimLeft() { return TrimLeft(kWhite); }
CString& CString::TrimRight() { return TrimRight(kWhite); }

CString& CString::TrimLeft(char ch) {
  size_t n = 0;
  while (n < m_s.size() && m_s[n] == ch) ++n;
  m_s.erase(0, n);
  return *this;
}

CString& CString::TrimLeft(const char* set) {
  size_t n = 0;
  while (n < m_s.size() && InSet(set, m_s[n])) ++n;
  m_s.erase(0, n);
  return *this;
}

CString& CString::TrimRight(char ch) {
  size_t n = m_s.size();
  while (n > 0 && m_s[n - 1] == ch) --n;
  m_s.resize(n);
  return *this;
}

CString& CString::TrimRight(const char* set) {
  size_t n = m_s.size();
  while (n > 0 && InSet(set, m_s[n - 1])) --n;
  m_s.resize(n);
  return *this;
}

int CString::Replace(char oldCh, char newCh) {
  int n = 0;
  for (char& c : m_s)
    if (c == oldCh) {
      c = newCh;
      ++n;
    }
  return n;
}

int CString::Replace(const char* oldStr, const char* newStr) {
  if (!oldStr || !*oldStr) return 0;
  std::string_view from(oldStr), to(newStr ? newStr : "");
  std::string out;
  int n = 0;
  size_t pos = 0;
  for (size_t hit; (hit = m_s.find(from, pos)) != std::string::npos; pos = hit + from.size(), ++n) {
    out.append(m_s, pos, hit - pos);
    out.append(to);
  }
  if (n) {
    out.append(m_s, pos, std::string::npos);
    m_s.swap(out);
  }
  return n;
}

int CString::Remove(char ch) {
  size_t before = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
  return (int)(before - m_s.size());
}

int CString::Insert(int index, char ch) {
  if (index < 0) index = 0;
  if (index > GetLength()) index = GetLength();
  m_s.insert((size_t)index, 1, ch);
  return GetLength();
}

int CString::Insert(int index, const char* s) {
  if (index < 0) index = 0;
  if (index > GetLength()) index = GetLength();
  if (s) m_s.insert((size_t)index, s);
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (count > 0 && index < GetLength()) m_s.erase((size_t)index, (size_t)count);
  return GetLength();
}

int CString::Find(char ch, int start) const {
  if (start < 0 || (size_t)start >= m_s.size()) return -1;
  size_t p = m_s.find(ch, (size_t)start);
  return p == std::string::npos ? -1 : (int)p;
}

int CString::Find(const char* sub, int start) const {
  if (!sub || start < 0 || (size_t)start > m_s.size()) return -1;
  size_t p = m_s.find(sub, (size_t)start);
  return p == std::string::npos ? -1 : (int)p;
}

int CString::ReverseFind(char ch) const {
  size_t p = m_s.rfind(ch);
  return p == std::string::npos ? -1 : (int)p;
}

int CString::FindOneOf(const char* set) const {
  if (!set || !*set) return -1;
  size_t p = m_s.find_first_of(set);
  return p == std::string::npos ? -1 : (int)p;
}

void CString::FormatC(const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  FormatV(fmt, a);
  va_end(a);
}

void CString::FormatV(const char* fmt, va_list args) {
  std::string s;
  FormatAppendV(s, fmt ? fmt : "", args);
  m_s.swap(s);
}

void CString::AppendFormatC(const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  std::string s;  // an argument may be this string's own text
  FormatAppendV(s, fmt ? fmt : "", a);
  va_end(a);
  m_s += s;
}

void CString::FormatMessageC(const char* fmt, ...) {
  const char* args[9] = {};
  va_list a;
  va_start(a, fmt);
  // Inserts beyond those the format names are not read.
  int highest = 0;
  for (const char* p = fmt; p && *p; ++p)
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') highest = std::max(highest, p[1] - '0');
  for (int i = 0; i < highest; ++i) args[i] = va_arg(a, const char*);
  va_end(a);
  std::string out;
  for (const char* p = fmt; p && *p; ++p) {
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
      const char* s = args[p[1] - '1'];
      if (s) out += s;
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      out += '%';
      ++p;
    } else {
      out += *p;
    }
  }
  m_s.swap(out);
}

BOOL CString::LoadString(UINT id) {
  std::string s;
  if (!LoadStringResource(id, s)) return FALSE;
  m_s.swap(s);
  return TRUE;
}

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_s.resize((size_t)minLength);
  return m_s.data();
}

char* CString::GetBufferSetLength(int length) {
  m_s.resize(length > 0 ? (size_t)length : 0);
  return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = (int)strnlen(m_s.data(), m_s.size());
  if ((size_t)newLength <= m_s.size()) m_s.resize((size_t)newLength);
}
