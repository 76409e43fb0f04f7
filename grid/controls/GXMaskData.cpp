#include "grid/controls/GXMaskData.h"

#include "platform/core/Exception.h"
#include "platform/core/SystemInfo.h"
#include "platform/gdi/GdiObject.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNCREATE(CGXMaskData, CObject)

namespace {

int g_dbcsEnabled = -1;  // -1 until read

bool DbcsEnabled() {
  if (g_dbcsEnabled < 0) CGXMaskData::ReadSystemSettings();
  return g_dbcsEnabled == 1;
}

// The characters of a text: one byte each, two for a lead byte with its trail byte.
std::vector<std::string> SplitChars(LPCTSTR psz) {
  std::vector<std::string> out;
  if (!psz) return out;
  const size_t n = std::strlen(psz);
  for (size_t i = 0; i < n;) {
    const size_t len = IsDBCSLeadByte((BYTE)psz[i]) && i + 1 < n ? 2 : 1;
    out.emplace_back(psz + i, len);
    i += len;
  }
  return out;
}

unsigned Word(const std::string& c) { return ((unsigned)(BYTE)c[0] << 8) | (BYTE)c[1]; }

// Case pairs of code page 1252 beyond ASCII: the upper-case byte and its lower-case partner.
int Lower1252(BYTE b) {
  if ((b >= 0xC0 && b <= 0xDE && b != 0xD7)) return b + 0x20;
  switch (b) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return -1;
  }
}

int Upper1252(BYTE b) {
  for (int u = 0x80; u < 0x100; ++u)
    if (Lower1252((BYTE)u) == b) return u;
  return -1;
}

bool IsDigitChar(const std::string& c) {
  if (c.size() == 1) return c[0] >= '0' && c[0] <= '9';
  return Word(c) >= 0x824F && Word(c) <= 0x8258;  // the full-width digits
}

bool IsLetterChar(const std::string& c) {
  if (c.size() == 2) return (BYTE)c[0] != 0x81 && !IsDigitChar(c);  // 0x81xx are the symbols
  const BYTE b = (BYTE)c[0];
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
  if (b < 0x80) return false;
  if (GetACP() == 932) return b >= 0xA6 && b <= 0xDD;  // half-width kana
  return b == 0xDF || Lower1252(b) >= 0 || Upper1252(b) >= 0;
}

void ConvertCase(std::string& c, bool upper) {
  if (c.size() == 2) {
    const unsigned w = Word(c);
    if (upper && w >= 0x8281 && w <= 0x829A) c[1] = (char)((BYTE)c[1] - 0x21);
    if (!upper && w >= 0x8260 && w <= 0x8279) c[1] = (char)((BYTE)c[1] + 0x21);
    return;
  }
  const BYTE b = (BYTE)c[0];
  if (b < 0x80) {
    if (upper && b >= 'a' && b <= 'z') c[0] = (char)(b - 32);
    if (!upper && b >= 'A' && b <= 'Z') c[0] = (char)(b + 32);
    return;
  }
  if (GetACP() == 932) return;
  const int to = upper ? Upper1252(b) : Lower1252(b);
  if (to >= 0) c[0] = (char)to;
}

}  // namespace

void CGXMaskData::ReadSystemSettings() { g_dbcsEnabled = GetSystemMetrics(SM_DBCSENABLED) ? 1 : 0; }

void CGXMaskData::ClearMask() {
  m_mask.clear();
  m_literal.clear();
}

void CGXMaskData::SetMask(LPCTSTR pszMask) {
  ClearMask();
  if (!pszMask || !*pszMask) {
    m_nMaxLength = 0x7FFFFFFF;
    return;
  }
  const std::vector<std::string> chars = SplitChars(pszMask);
  for (size_t i = 0; i < chars.size(); ++i) {
    const std::string& c = chars[i];
    if (c == "\\") {
      if (++i == chars.size()) break;  // a closing backslash escapes nothing
      m_mask.push_back(chars[i]);
      m_literal.push_back(1);
      continue;
    }
    m_mask.push_back(c);
    m_literal.push_back(c.size() == 1 && IsMaskChar(c[0]) ? 0 : 1);
  }
}

BOOL CGXMaskData::IsMaskChar(char ch) const { return ch && std::strchr("#&?ALU", ch) != nullptr; }

BOOL CGXMaskData::IsLiteral(int nPos) const {
  if (m_mask.empty()) return FALSE;
  if (nPos < 0 || (size_t)nPos >= m_literal.size()) AfxThrowInvalidArgException();
  return m_literal[(size_t)nPos] != 0;
}

BOOL CGXMaskData::SetPrompt(LPCTSTR pszPrompt, BOOL bReplaceExisting) {
  const size_t len = pszPrompt ? std::strlen(pszPrompt) : 0;
  if (len > 2 || (len == 2 && !IsDBCSLeadByte((BYTE)pszPrompt[0])) || (len == 1 && IsDBCSLeadByte((BYTE)pszPrompt[0])))
    return FALSE;
  const CString prompt = len ? CString(pszPrompt) : CString("_");
  if (bReplaceExisting)
    for (size_t i = 0; i < m_data.size() && i < m_mask.size(); ++i)
      if (!m_literal[i] && m_data[i] == m_strPrompt.str()) m_data[i] = prompt.str();
  m_strPrompt = prompt;
  return TRUE;
}

void CGXMaskData::ResetData() {
  m_data.clear();
  FitToMask();
}

void CGXMaskData::FitToMask() {
  if (m_mask.empty()) return;
  m_data.resize(m_mask.size());
  for (size_t i = 0; i < m_mask.size(); ++i)
    if (m_data[i].empty()) m_data[i] = m_literal[i] ? m_mask[i] : m_strPrompt.str();
}

int CGXMaskData::NextEditPos(int nPos) const {
  if (m_mask.empty()) return nPos + 1 < m_nMaxLength ? std::max(nPos + 1, 0) : -1;
  for (int p = std::max(nPos + 1, 0); p < (int)m_mask.size(); ++p)
    if (!m_literal[(size_t)p]) return p;
  return -1;
}

int CGXMaskData::PrevEditPos(int nPos) const {
  if (m_mask.empty()) return nPos - 1;
  for (int p = std::min(nPos - 1, (int)m_mask.size() - 1); p >= 0; --p)
    if (!m_literal[(size_t)p]) return p;
  return -1;
}

int CGXMaskData::EndOfInput(int nPos) const {
  if (m_mask.empty()) return std::min(nPos, GetDataCount());
  nPos = std::max(nPos, 0);
  const int count = (int)m_mask.size();
  const int p = std::min(nPos, count - 1);
  const int at = m_literal[(size_t)p] ? NextEditPos(p) : p;
  if (at >= 0 && at < GetDataCount() && Filled(at)) return nPos;
  for (int r = PrevEditPos(p); r >= 0; r = PrevEditPos(r))
    if (r < GetDataCount() && Filled(r)) return r + 1;
  const int first = NextEditPos(-1);
  return first < 0 ? 0 : first;
}

BOOL CGXMaskData::IsValidInput(int nPos, CString& ch) const {
  if (m_mask.empty()) return TRUE;
  if (nPos < 0 || nPos >= (int)m_mask.size() || m_literal[(size_t)nPos]) return FALSE;
  std::string& c = ch.str();
  if (c == " ") {
    c = m_strPrompt.str();
    return TRUE;
  }
  if (c == m_strPrompt.str()) return TRUE;
  if (c.empty() || c.size() > 2 || (c.size() == 2 && !IsDBCSLeadByte((BYTE)c[0]))) return FALSE;
  switch (m_mask[(size_t)nPos][0]) {
    case '#': return IsDigitChar(c);
    case '&': return TRUE;
    case '?': return IsLetterChar(c);
    case 'A': return IsLetterChar(c) || IsDigitChar(c);
    case 'L':
    case 'U':
      if (!IsLetterChar(c)) return FALSE;
      ConvertCase(c, m_mask[(size_t)nPos][0] == 'U');
      return TRUE;
    default: return FALSE;
  }
}

BOOL CGXMaskData::InsertAt(int nPos, const CString& ch, int& nNext) {
  if (m_mask.empty()) {
    if (GetDataCount() >= m_nMaxLength) return FALSE;
    nPos = std::clamp(nPos, 0, GetDataCount());
    m_data.insert(m_data.begin() + nPos, ch.str());
    nNext = nPos + 1;
    return TRUE;
  }
  if (nPos < 0 || nPos >= (int)m_mask.size()) return FALSE;
  FitToMask();
  nPos = NextEditPos(nPos - 1);
  const int last = PrevEditPos((int)m_mask.size());
  if (nPos < 0 || last < 0 || Filled(last)) return FALSE;
  // Each editable entry from the end down to nPos takes the one before it.
  for (int p = last, q = PrevEditPos(p); p > nPos; p = q, q = PrevEditPos(q)) m_data[(size_t)p] = m_data[(size_t)q];
  m_data[(size_t)nPos] = ch.str();
  const int next = NextEditPos(nPos);
  nNext = next < 0 ? nPos + 1 : next;
  return TRUE;
}

void CGXMaskData::DeleteRange(int nEnd, int nStart) {
  if (m_mask.empty()) {
    nStart = std::clamp(nStart, 0, GetDataCount());
    nEnd = std::clamp(nEnd, nStart, GetDataCount());
    m_data.erase(m_data.begin() + nStart, m_data.begin() + nEnd);
    return;
  }
  const int count = (int)m_mask.size();
  if (nStart < 0 || nEnd > count) return;
  FitToMask();
  auto toEditable = [&](int p) {
    if (p >= count || !m_literal[(size_t)p]) return p;
    const int next = NextEditPos(p);
    return next < 0 ? count : next;
  };
  nStart = toEditable(nStart);
  nEnd = toEditable(nEnd);
  if (nStart >= nEnd) return;
  std::vector<int> edits;
  int removed = 0;
  for (int p = nStart; p < count; ++p)
    if (!m_literal[(size_t)p]) {
      edits.push_back(p);
      if (p < nEnd) ++removed;
    }
  for (size_t i = 0; i < edits.size(); ++i)
    m_data[(size_t)edits[i]] =
        i + (size_t)removed < edits.size() ? m_data[(size_t)edits[i + (size_t)removed]] : m_strPrompt.str();
}

int CGXMaskData::SetDisplayString(LPCTSTR pszText, int nStart, BOOL bInsert) {
  if (nStart == -1) {
    ResetData();
    nStart = 0;
  }
  if (nStart < 0) return -1;
  const std::vector<std::string> chars = SplitChars(pszText);
  if (m_mask.empty()) {
    nStart = std::min(nStart, GetDataCount());
    int pos = nStart;
    if (!bInsert) m_data.resize((size_t)nStart + chars.size());
    for (const std::string& c : chars) {
      if (bInsert) {
        int next = pos;
        if (!InsertAt(pos, CString(c), next)) break;
        pos = next;
      } else {
        m_data[(size_t)pos++] = c;
      }
    }
    if (GetDataCount() > m_nMaxLength) m_data.resize((size_t)std::max(m_nMaxLength, 0));
    return std::min(pos, GetDataCount());
  }
  FitToMask();
  int pos = nStart;
  for (const std::string& c : chars) {
    if (pos >= (int)m_mask.size()) break;
    if (m_literal[(size_t)pos]) {
      if (c != m_mask[(size_t)pos]) return -1;
      m_data[(size_t)pos++] = c;
      continue;
    }
    CString ch(c);
    if (!IsValidInput(pos, ch)) return -1;
    if (bInsert) {
      int next = pos;
      if (!InsertAt(pos, ch, next)) return -1;
    } else {
      m_data[(size_t)pos] = ch.str();
    }
    ++pos;
  }
  FitToMask();
  return pos;
}

int CGXMaskData::SetData(LPCTSTR pszText, int nStart, BOOL bInsert) {
  if (m_mask.empty()) return SetDisplayString(pszText, nStart, bInsert);
  if (nStart == -1) {
    ResetData();
    nStart = 0;
  }
  if (nStart < 0 || nStart >= (int)m_mask.size()) return -1;
  FitToMask();
  int pos = NextEditPos(nStart - 1);
  if (pos < 0) return -1;
  int end = pos;
  for (const std::string& c : SplitChars(pszText)) {
    if (pos < 0) break;
    CString ch(c);
    if (!IsValidInput(pos, ch)) break;
    if (bInsert) {
      int next = pos;
      if (!InsertAt(pos, ch, next)) break;
    } else {
      m_data[(size_t)pos] = ch.str();
    }
    end = pos + 1;
    pos = NextEditPos(pos);
  }
  return end;
}

void CGXMaskData::GetData(CString& out, int nFirst, int nLast, BOOL bTrim) const {
  std::string s;
  const int count = GetDataCount();
  const int last = nLast < 0 ? count - 1 : std::min(nLast, count - 1);
  for (int p = std::max(nFirst, 0); p <= last; ++p) {
    if (m_mask.empty()) {
      s += m_data[(size_t)p];
      continue;
    }
    if (p >= (int)m_mask.size() || m_literal[(size_t)p]) continue;
    s += Filled(p) ? m_data[(size_t)p] : std::string(" ");
  }
  if (bTrim && !m_mask.empty()) s.erase(s.find_last_not_of(' ') + 1);
  out = CString(std::move(s));
}

void CGXMaskData::GetDisplayString(CString& out, int nFirst, int nLast) const {
  std::string s;
  const int count = GetDataCount();
  const int last = nLast < 0 ? count - 1 : std::min(nLast, count - 1);
  for (int p = std::max(nFirst, 0); p <= last; ++p) s += m_data[(size_t)p];
  out = CString(std::move(s));
}

BOOL CGXMaskData::IsDataValid() const {
  if (m_mask.empty()) return GetDataCount() <= m_nMaxLength;
  if (m_data.size() != m_mask.size()) return FALSE;
  for (size_t i = 0; i < m_mask.size(); ++i) {
    if (m_literal[i]) {
      if (m_data[i] != m_mask[i]) return FALSE;
      continue;
    }
    CString ch(m_data[i]);
    if (!IsValidInput((int)i, ch)) return FALSE;
  }
  return TRUE;
}

int CGXMaskData::PosToOffset(int nPos) const {
  if (!DbcsEnabled() || nPos < 0) return nPos;
  int offset = 0;
  for (int p = 0; p < nPos; ++p) offset += p < GetDataCount() ? (int)m_data[(size_t)p].size() : 1;
  return offset;
}

int CGXMaskData::OffsetToPos(int nOffset) const {
  if (!DbcsEnabled() || nOffset < 0) return nOffset;
  int offset = 0, p = 0;
  for (; p < GetDataCount() && offset < nOffset; ++p) offset += (int)m_data[(size_t)p].size();
  return p + std::max(nOffset - offset, 0);
}
