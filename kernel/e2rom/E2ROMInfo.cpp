#include "kernel/e2rom/E2ROMInfo.h"

#include "platform/core/Time.h"

#include <cstring>

void tagE2ROMInfo::Reset() { std::memset(m_words, 0, sizeof m_words); }

BYTE tagE2ROMInfo::GetByte(int offset) const {
  WORD w = m_words[offset / 2];
  return (BYTE)(offset & 1 ? w >> 8 : w);
}

void tagE2ROMInfo::SetByte(int offset, BYTE value) {
  WORD& w = m_words[offset / 2];
  w = offset & 1 ? (WORD)((w & 0x00FF) | value << 8) : (WORD)((w & 0xFF00) | value);
}

DWORD tagE2ROMInfo::GetDword(int index) const {
  return (DWORD)m_words[2 * index] | (DWORD)m_words[2 * index + 1] << 16;
}

void tagE2ROMInfo::SetDword(int index, DWORD value) {
  m_words[2 * index] = (WORD)value;
  m_words[2 * index + 1] = (WORD)(value >> 16);
}

namespace {
void AppendChars(CString& out, const WORD* words, int count) {
  for (int i = 0; i < count; ++i) {
    char c = (char)(BYTE)words[i];
    if (c) out += c;
  }
}
}  // namespace

CString tagE2ROMInfo::GetProductID() const {
  CString id;
  AppendChars(id, m_words, 4);
  id += '.';
  AppendChars(id, m_words + 4, 3);
  id += '.';
  AppendChars(id, m_words + 7, 4);
  return id;
}

CString tagE2ROMInfo::GetFirmware() const {
  CString id;
  AppendChars(id, m_words + 11, 5);
  return id;
}

CString tagE2ROMInfo::GetUserInfo() const {
  CString text;
  for (int i = 0; i < kUserInfoSize; ++i) {
    BYTE b = GetByte(kUserInfoOffset + i);
    if (!b) break;
    text += (char)b;
  }
  return text;
}

CString tagE2ROMInfo::GetSerialNo() const {
  char s[7];
  for (int i = 0; i < 6; ++i) s[i] = (char)GetByte(76 + i);
  s[6] = 0;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!alpha(s[0]) || !alpha(s[1])) return CString();
  for (int i = 2; i < 6; ++i)
    if (!digit(s[i])) return CString();
  return CString(s);
}

CString tagE2ROMInfo::GetDate() const {
  const int year = GetByte(70) + 2000;
  const int month = GetByte(71);
  const int day = GetByte(72);
  if (year >= 2100 || month < 1 || month > 12 || day < 1 || day > 31) return CString("Not available");
  COleDateTime date(year, month, day, 0, 0, 0);
  if (date.GetStatus() != COleDateTime::valid || date.GetYear() != year || date.GetMonth() != month ||
      date.GetDay() != day) {
    COleDateTime bad;
    bad.SetStatus(COleDateTime::invalid);
    CString text = bad.Format();
    return text.IsEmpty() ? CString("Invalid DateTime") : text;
  }
  return date.Format(VAR_DATEVALUEONLY);
}

DWORD tagE2ROMInfo::GetProdID32bitSum() const {
  DWORD sum = 0;
  for (int i = 0; i < 16; ++i) sum += GetDword(i);
  return sum;
}

void tagE2ROMInfo::SetProdIDChecksum() {
  WORD sum = 0;
  for (int i = 0; i < 31; ++i) sum = (WORD)(sum + m_words[i]);
  m_words[31] = sum;
}

void tagE2ROMInfo::SetProductID(const char* product, const char* firmware) {
  if (!product || !firmware) return;
  const DWORD before = EditSum();
  int w = 0;
  for (int i = 0; i < 16 && product[i]; ++i) {
    if (product[i] == '.') continue;
    if (w < 16) m_words[w++] = (WORD)(short)(signed char)product[i];
  }
  for (int i = 0; firmware[i] && w < 16; ++i) m_words[w++] = (WORD)(short)(signed char)firmware[i];
  SetProdIDChecksum();
  Compensate(before);
}

void tagE2ROMInfo::SetUserInfo(const char* text) {
  if (!text) return;
  const DWORD before = EditSum();
  size_t n = std::strlen(text);
  for (int i = 0; i < kUserInfoSize; ++i) SetByte(kUserInfoOffset + i, i < (int)n ? (BYTE)text[i] : 0);
  SetProdIDChecksum();
  Compensate(before);
}

bool tagE2ROMInfo::VerifyChecksums() const {
  WORD sum16 = 0;
  for (int i = 0; i < 31; ++i) sum16 = (WORD)(sum16 + m_words[i]);
  DWORD sum32 = 0;
  for (int i = 0; i < 31; ++i) sum32 += GetDword(i);
  return m_words[31] == sum16 && GetDword(31) == sum32;
}
