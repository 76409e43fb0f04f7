// Syntax colouring of SECEdit: settings, keyword table and the line scanners of the drawing code.
#include "editor/text/SECEdit.h"

#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Ini.h"
#include "platform/core/Module.h"
#include "platform/ui/WinApp.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kNameBuffer = 39321;
const int kMaxKeywords = SECEDIT_KEYWORD_SLOTS - 1;
const int kTableWordLimit = 23;  // shorter words go through the table, longer ones to the file
const int kMaxWord = 259;

CString ProfileText(const CString& section, const char* entry, const char* def) {
  CWinApp* app = AfxGetApp();
  return app && !section.IsEmpty() ? app->GetProfileString(section, entry, def) : CString(def);
}

int ProfileNumber(const CString& section, const char* entry, int def) {
  CWinApp* app = AfxGetApp();
  return app && !section.IsEmpty() ? (int)app->GetProfileInt(section, entry, def) : def;
}

void CopyCut(char* dest, size_t size, const char* src) {
  strncpy(dest, src, size - 1);
  dest[size - 1] = 0;
}

void Upper(char* p) {
  for (; *p; ++p) *p = (char)toupper((unsigned char)*p);
}

// The folder of the running program, with its separator.
std::string ProgramFolder() {
  std::string path = AfxGetModuleFilePath(nullptr);
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool Escaped(const char* p, int i) { return i > 0 && p[i - 1] == '\\'; }

}  // namespace

// ---- Settings ----

void SECEdit::FreeSyntaxBuffers() {
  free(m_pKeywords);
  m_pKeywords = nullptr;
  free(m_pKeywordImage);
  m_pKeywordImage = nullptr;
  m_nKeywordImageSize = 0;
  free(m_pSearchScratch);
  m_pSearchScratch = nullptr;
}

void SECEdit::LoadSyntaxSettings() {
  FreeSyntaxBuffers();
  m_strKeywordSection = "Keywords";
  const CString& s = m_strProfileSection;
  CString name = ProfileText(s, "Keywords", "Default.ini");
  if (GetFileAttributes(name) == INVALID_FILE_ATTRIBUTES) {
    m_strKeywordFile = CString((ProgramFolder() + (const char*)name).c_str());
  } else {
    char full[1024];
    m_strKeywordFile = GetFullPathName(name, sizeof full, full, nullptr) ? CString(full) : name;
  }
  m_bChroma = ProfileNumber(s, "Chroma", 0);
  m_crComment = ParseColor(ProfileText(s, "Comment", "0,128,0"));
  m_crKeyword = ParseColor(ProfileText(s, "Keyword", "0,0,255"));
  m_crQuote = ParseColor(ProfileText(s, "Quote", "255,0,0"));
  m_crText = ParseColor(ProfileText(s, "Default Text", "0,0,0"));
  m_crBackground = ParseColor(ProfileText(s, "Background", "255,255,255"));
  // A fresh device context of the main window draws black text.
  m_crSQuote = ParseColor(ProfileText(s, "SQuote", FormatColor(RGB(0, 0, 0))));
  CopyCut(m_szCommentStart1, sizeof m_szCommentStart1, ProfileText(s, "Comment Start 1", ""));
  CopyCut(m_szCommentStart2, sizeof m_szCommentStart2, ProfileText(s, "Comment Start 2", ""));
  CopyCut(m_szCommentEnd1, sizeof m_szCommentEnd1, ProfileText(s, "Comment End 1", ""));
  CopyCut(m_szCommentEnd2, sizeof m_szCommentEnd2, ProfileText(s, "Comment End 2", ""));
  m_bAutoIndent = ProfileNumber(s, "Autoindent", 1);
  m_bCase = ProfileNumber(s, "Case", 0);
  m_nCommentValid = 0;
  LoadWordChars();
  LoadKeywords();
}

void SECEdit::LoadWordChars() {
  memset(m_anExtraChars, 0, sizeof m_anExtraChars);
  memset(m_anTermChars, 0, sizeof m_anTermChars);
  memset(m_anStartChars, 0, sizeof m_anStartChars);
  if (m_strProfileSection.IsEmpty()) return;
  struct {
    const char* entry;
    int32_t* table;
  } const lists[] = {{"Extra word chars", m_anExtraChars},
                     {"Terminator chars", m_anTermChars},
                     {"Start chars", m_anStartChars}};
  for (const auto& l : lists) {
    CString v = ProfileText(m_strProfileSection, l.entry, "");
    const char* p = v;
    for (int i = 0; p[i] && i < 255; ++i) l.table[(unsigned char)p[i]] = 1;
  }
}

// ---- Keyword table ----

int SECEdit::HashKeyword(const char* pszText) {
  uint32_t h = 0;
  for (int i = 0; pszText[i] && i < kMaxWord; ++i) h = h * 33u + (uint32_t)(int)(signed char)pszText[i];
  return (int)(h & (SECEDIT_KEYWORD_SLOTS - 1));
}

BOOL SECEdit::LoadKeywords() {
  free(m_pKeywords);
  m_pKeywords = nullptr;
  free(m_pKeywordImage);
  m_pKeywordImage = nullptr;
  m_nKeywordImageSize = 0;
  CFile f;
  if (m_strKeywordFile.IsEmpty() || !f.Open(m_strKeywordFile, CFile::modeRead)) {
    m_bChroma = FALSE;
    return FALSE;
  }
  int size = (int)f.GetLength();
  m_pKeywordImage = static_cast<char*>(calloc((size_t)size + 32, 1));
  if (!m_pKeywordImage) {
    m_bChroma = FALSE;
    return FALSE;
  }
  m_nKeywordImageSize = (int)f.Read(m_pKeywordImage, (UINT)size);
  f.Close();

  std::vector<char> names(kNameBuffer);
  m_strKeywordSection = "Keywords";
  if (GetPrivateProfileString(m_strKeywordSection, nullptr, "", names.data(), kNameBuffer, m_strKeywordFile) == 0) {
    std::string base = (const char*)m_strKeywordFile;
    size_t slash = base.find_last_of("\\/");
    if (slash != std::string::npos) base.erase(0, slash + 1);
    size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.erase(dot);
    m_strKeywordSection = base.c_str();
    if (GetPrivateProfileString(m_strKeywordSection, nullptr, "", names.data(), kNameBuffer, m_strKeywordFile) ==
        0) {
      m_bChroma = FALSE;
      return FALSE;
    }
  }
  m_pKeywords = static_cast<SECKeyword*>(calloc(SECEDIT_KEYWORD_SLOTS, sizeof(SECKeyword)));
  if (!m_pKeywords) {
    m_bChroma = FALSE;
    return FALSE;
  }
  m_crKeywordDefault = m_crKeyword;
  AddKeywords(names.data());
  return TRUE;
}

void SECEdit::AddKeywords(const char* pszNames) {
  int count = 0;
  for (const char* p = pszNames; *p && count < kMaxKeywords; p += strlen(p) + 1) {
    char word[128];
    CopyCut(word, sizeof word, p);
    int len = (int)strlen(word);
    if (len >= (int)sizeof m_pKeywords->szText) continue;  // found through the file instead
    if (!m_bCase) Upper(word);
    int slot = HashKeyword(word);
    while (m_pKeywords[slot].nLength) slot = (slot + 1) & (SECEDIT_KEYWORD_SLOTS - 1);
    strcpy(m_pKeywords[slot].szText, word);
    m_pKeywords[slot].nLength = len;
    m_pKeywords[slot].nColor = -1;
    ++count;
  }
}

COLORREF SECEdit::GetKeywordColor(const char* pszWord) {
  char value[128], color[64];
  GetPrivateProfileString(m_strKeywordSection, pszWord, "1", value, sizeof value, m_strKeywordFile);
  GetPrivateProfileString("Colors", value, "godzilla", color, sizeof color, m_strKeywordFile);
  return strcmp(color, "godzilla") == 0 ? m_crKeywordDefault : ParseColor(color);
}

// ---- Words ----

BOOL SECEdit::IsWordChar(int ch) const {
  unsigned char c = (unsigned char)ch;
  return isalnum(c) || m_anExtraChars[c];
}

const char* SECEdit::FindWord(const char* pText, int* pnLength) const {
  int n = pText ? (int)strlen(pText) : 0;
  if (n < 2) return nullptr;
  while (n > 0 && (pText[n - 1] == '\r' || pText[n - 1] == '\n')) --n;
  auto word = [this](char c) { return c == '_' || IsWordChar(c); };
  int i = 0;
  while (i < n && !word(pText[i])) ++i;
  if (i >= n) return nullptr;
  int start = i;
  while (i < n && word(pText[i])) {
    unsigned char c = (unsigned char)pText[i++];
    if (m_anTermChars[c]) break;
    if (i < n && m_anStartChars[(unsigned char)pText[i]]) break;
  }
  *pnLength = i - start;
  return pText + start;
}

BOOL SECEdit::FindKeyword(const char** ppText, int* pnStart, int* pnEnd) {
  if (!m_pKeywords && !LoadKeywords()) return FALSE;
  const char* base = *ppText;
  const char* p = base;
  int len = 0;
  while (const char* w = FindWord(p, &len)) {
    char word[kMaxWord + 1];
    int n = len < kMaxWord ? len : kMaxWord;
    memcpy(word, w, (size_t)n);
    word[n] = 0;
    if (!m_bCase) Upper(word);
    bool hit = false;
    COLORREF color = 0;
    if (n < kTableWordLimit) {
      int slot = HashKeyword(word);
      for (int probes = 0; probes < SECEDIT_KEYWORD_SLOTS && m_pKeywords[slot].nLength; ++probes) {
        SECKeyword& k = m_pKeywords[slot];
        if (k.nLength == n && (m_bCase ? strcmp(k.szText, word) : strcasecmp(k.szText, word)) == 0) {
          if (k.nColor == -1) k.nColor = (int32_t)GetKeywordColor(k.szText);
          color = (COLORREF)k.nColor;
          hit = true;
          break;
        }
        slot = (slot + 1) & (SECEDIT_KEYWORD_SLOTS - 1);
      }
    } else {
      char value[8];
      hit = GetPrivateProfileString(m_strKeywordSection, word, "\x01", value, sizeof value, m_strKeywordFile) &&
            value[0] != '\x01';
      if (hit) color = GetKeywordColor(word);
    }
    if (hit) {
      m_crKeyword = color;
      *pnStart = (int)(w - base);
      *pnEnd = (int)(w - base) + len;
      *ppText = w;
      return TRUE;
    }
    p = w + len;
  }
  return FALSE;
}

// ---- Quotes and comments ----

BOOL SECEdit::IsInQuotes(const char* pText, int nPlace, int nLength) {
  if (!pText) return FALSE;
  if (nLength < 0) nLength = (int)strlen(pText);
  if (nPlace > nLength) nPlace = nLength;
  int count = 0;
  for (int i = 0; i < nPlace; ++i)
    if ((pText[i] == '"' || pText[i] == '\'') && !(count > 0 && Escaped(pText, i))) ++count;
  if (count % 2 == 0) return FALSE;
  for (int i = nPlace; i < nLength; ++i)
    if ((pText[i] == '"' || pText[i] == '\'') && !Escaped(pText, i)) return TRUE;
  return FALSE;
}

int SECEdit::FindSubstring(const char* pszString, const char* pText, int nLength) {
  if (!pszString || !*pszString || !pText || nLength <= 0) return -1;
  int sl = (int)strlen(pszString);
  if (!m_bCase) {
    if (!m_pSearchScratch) m_pSearchScratch = static_cast<char*>(malloc(SECEDIT_SEARCH_SCRATCH));
    if (!m_pSearchScratch) return -1;
    if (nLength > SECEDIT_SEARCH_SCRATCH - 1) nLength = SECEDIT_SEARCH_SCRATCH - 1;
    for (int i = 0; i < nLength; ++i) m_pSearchScratch[i] = (char)toupper((unsigned char)pText[i]);
    char pattern[SECEDIT_SEARCH_SCRATCH];
    int pl = sl < SECEDIT_SEARCH_SCRATCH - 1 ? sl : SECEDIT_SEARCH_SCRATCH - 1;
    for (int i = 0; i < pl; ++i) pattern[i] = (char)toupper((unsigned char)pszString[i]);
    const void* at = memmem(m_pSearchScratch, (size_t)nLength, pattern, (size_t)pl);
    return at ? (int)(static_cast<const char*>(at) - m_pSearchScratch) : -1;
  }
  const void* at = memmem(pText, (size_t)nLength, pszString, (size_t)sl);
  return at ? (int)(static_cast<const char*>(at) - pText) : -1;
}

int SECEdit::FindLastSubstring(const char* pszString, const char* pText, int nLength) {
  if (!pszString || !*pszString || !pText) return -1;
  int sl = (int)strlen(pszString);
  for (int i = nLength - sl; i >= 0; --i)
    if (memcmp(pText + i, pszString, (size_t)sl) == 0) return i;
  return -1;
}

int SECEdit::FindCommentStart(const char* pText, int nLength, int* pnStyle, int nFrom) {
  for (int pos = nFrom < 0 ? 0 : nFrom; pos < nLength;) {
    int a = FindSubstring(m_szCommentStart1, pText + pos, nLength - pos);
    int b = FindSubstring(m_szCommentStart2, pText + pos, nLength - pos);
    if (a < 0 && b < 0) return -1;
    int style = (b >= 0 && (a < 0 || b <= a)) ? 2 : 1;
    int at = pos + (style == 2 ? b : a);
    if (!IsInQuotes(pText, at, nLength)) {
      if (pnStyle) *pnStyle = style;
      return at;
    }
    pos = at + 1;  // a start inside quotes starts nothing; a real one may follow
  }
  return -1;
}

int SECEdit::FindCommentEnd(const char* pText, int nLength, int nStyle) {
  const char* end = nStyle == 1 ? m_szCommentEnd1 : nStyle == 2 ? m_szCommentEnd2 : nullptr;
  if (!end) return 0;
  if (!*end) {
    m_bInComment = FALSE;
    return nLength;
  }
  int el = (int)strlen(end);
  int at = el > nLength ? -1 : FindSubstring(end, pText, nLength);
  if (at >= 0 && nStyle == 2 && IsInQuotes(pText, at, nLength)) at = -1;
  if (at < 0) {
    m_bInComment = TRUE;
    return nLength;
  }
  m_bInComment = FALSE;
  return at + el;
}

namespace {

// The last start delimiter outside quotes, before the first line-comment delimiter outside quotes.
int LastStartOutsideQuotes(const char* t, int n, const char* start, const char* lineCmt) {
  int sl = (int)strlen(start);
  if (n < sl || !memmem(t, (size_t)n, start, (size_t)sl)) return -1;  // most lines hold none
  int limit = n;
  if (lineCmt && *lineCmt) {
    int ll = (int)strlen(lineCmt);
    for (const char* p = t; (p = static_cast<const char*>(memmem(p, (size_t)(t + n - p), lineCmt, (size_t)ll)));
         ++p)
      if (!SECEdit::IsInQuotes(t, (int)(p - t), n)) {
        limit = (int)(p - t);
        break;
      }
  }
  for (int i = limit - sl; i >= 0; --i) {
    i = SECEdit::FindLastSubstring(start, t, i + sl);
    if (i < 0) break;
    if (!SECEdit::IsInQuotes(t, i, n)) return i;
  }
  return -1;
}

bool EndOutsideQuotes(const char* t, int n, const char* end, int from) {
  int el = (int)strlen(end);
  for (const char* p = t + from;
       p < t + n && (p = static_cast<const char*>(memmem(p, (size_t)(t + n - p), end, (size_t)el))); ++p)
    if (!SECEdit::IsInQuotes(t, (int)(p - t), n)) return true;
  return false;
}

}  // namespace

BOOL SECEdit::IsInBlockComment(tagLINEDESC* pLine, const char* pszStart, const char* pszEnd,
                               const char* pszLineComment) {
  if (!pLine || !pszStart || !*pszStart || !pszEnd || !*pszEnd) return FALSE;
  for (tagLINEDESC* p = pLine->pPrev; p; p = p->pPrev) {
    int n = TextLength(p);
    if (n <= 0 || !p->pText) return FALSE;
    int s = LastStartOutsideQuotes(p->pText, n, pszStart, pszLineComment);
    if (s < 0) continue;
    if (EndOutsideQuotes(p->pText, n, pszEnd, s + (int)strlen(pszStart))) return FALSE;
    for (tagLINEDESC* q = p->pNext; q && q != pLine; q = q->pNext) {
      int m = TextLength(q);
      if (m <= 0 || !q->pText) return FALSE;
      if (EndOutsideQuotes(q->pText, m, pszEnd, 0)) return FALSE;
    }
    return TRUE;
  }
  return FALSE;
}

// The state of the line below, carried from this line's state by the rules of IsInBlockComment.
BOOL SECEdit::CarryCommentState(tagLINEDESC* pLine, BOOL bIn, const char* pszStart, const char* pszEnd,
                                const char* pszLineComment) const {
  if (!*pszStart || !*pszEnd) return FALSE;
  int n = TextLength(pLine);
  if (n <= 0 || !pLine->pText) return FALSE;
  int s = LastStartOutsideQuotes(pLine->pText, n, pszStart, pszLineComment);
  if (s >= 0) return !EndOutsideQuotes(pLine->pText, n, pszEnd, s + (int)strlen(pszStart));
  return bIn && !EndOutsideQuotes(pLine->pText, n, pszEnd, 0);
}

uint32_t SECEdit::NextCommentState(tagLINEDESC* pLine, uint32_t nState) const {
  const char* lc1 = m_szCommentEnd2[0] ? nullptr : m_szCommentStart2;
  const char* lc2 = m_szCommentEnd1[0] ? nullptr : m_szCommentStart1;
  uint32_t next = 0;
  if (CarryCommentState(pLine, (nState & LINE_CMT_STYLE1) != 0, m_szCommentStart1, m_szCommentEnd1, lc1))
    next |= LINE_CMT_STYLE1;
  if (CarryCommentState(pLine, (nState & LINE_CMT_STYLE2) != 0, m_szCommentStart2, m_szCommentEnd2, lc2))
    next |= LINE_CMT_STYLE2;
  return next;
}

// A line that opens a block of every style outside quotes decides the state below it by itself.
BOOL SECEdit::SettlesCommentState(tagLINEDESC* pLine) const {
  const char* lc[2] = {m_szCommentEnd2[0] ? nullptr : m_szCommentStart2, m_szCommentEnd1[0] ? nullptr : m_szCommentStart1};
  const char* start[2] = {m_szCommentStart1, m_szCommentStart2};
  const char* end[2] = {m_szCommentEnd1, m_szCommentEnd2};
  int n = TextLength(pLine);
  for (int s = 0; s < 2; ++s)
    if (*start[s] && *end[s] && (!pLine->pText || LastStartOutsideQuotes(pLine->pText, n, start[s], lc[s]) < 0))
      return FALSE;
  return TRUE;
}

uint32_t SECEdit::GetCommentState(tagLINEDESC* pLine) {
  auto known = [this](const tagLINEDESC* p) {
    return (p->dwFlags & LINE_CMT_KNOWN) && LineNumber(const_cast<tagLINEDESC*>(p)) <= m_nCommentValid;
  };
  if (known(pLine)) return pLine->dwFlags & (LINE_CMT_STYLE1 | LINE_CMT_STYLE2);
  // Walk up to a line whose state is settled: a known one, the first line, or one under an empty line.
  tagLINEDESC* anchor = pLine;
  uint32_t state = 0;
  while (anchor->pPrev) {
    tagLINEDESC* prev = anchor->pPrev;
    if (known(prev)) {
      state = NextCommentState(prev, prev->dwFlags);
      break;
    }
    if (TextLength(prev) <= 0) break;
    if (SettlesCommentState(prev)) {
      state = NextCommentState(prev, 0);
      break;
    }
    anchor = prev;
  }
  bool contiguous = !anchor->pPrev || LineNumber(anchor) <= m_nCommentValid + 1;
  for (tagLINEDESC* p = anchor;; p = p->pNext) {
    p->dwFlags = (p->dwFlags & ~(LINE_CMT_STYLE1 | LINE_CMT_STYLE2)) | LINE_CMT_KNOWN | state;
    if (p == pLine) break;
    state = NextCommentState(p, state);
  }
  if (contiguous && LineNumber(pLine) > m_nCommentValid) m_nCommentValid = LineNumber(pLine);
  return state;
}

BOOL SECEdit::IsLineInComment(tagLINEDESC* pLine, int* pnStyle) {
  if (!pLine) return FALSE;
  uint32_t s = GetCommentState(pLine);
  if (!s) return FALSE;
  if (pnStyle) *pnStyle = (s & LINE_CMT_STYLE1) ? 1 : 2;
  return TRUE;
}

// ---- Colours and the keyword file image ----

COLORREF SECEdit::ParseColor(const char* pszText) {
  int v[3] = {0, 0, 0};
  const char* p = pszText ? pszText : "";
  for (int i = 0; i < 3 && *p; ++i) {
    char field[6] = {};
    int n = 0;
    while (*p && *p != ',') {
      if (n < 5) field[n++] = *p;
      ++p;
    }
    v[i] = atoi(field) % 256;
    if (v[i] < 0) v[i] += 256;
    if (*p == ',') ++p;
  }
  return RGB(v[0], v[1], v[2]);
}

CString SECEdit::FormatColor(COLORREF cr) {
  CString s;
  s.Format("%d,%d,%d", GetRValue(cr), GetGValue(cr), GetBValue(cr));
  return s;
}

int SECEdit::GetIniString(const char* pszSection, const char* pszKey, const char* pszDefault, CString& strResult) {
  strResult = pszDefault ? pszDefault : "";
  if (!m_pKeywordImage || !pszSection || !pszKey) return 0;
  std::string image(m_pKeywordImage, (size_t)m_nKeywordImageSize);
  std::string section = std::string("[") + pszSection + "]";
  std::string key = std::string(pszKey) + "=";
  if (!m_bCase) {
    for (std::string* s : {&image, &section, &key})
      for (char& c : *s) c = (char)toupper((unsigned char)c);
  }
  size_t at = image.find(section);
  if (at == std::string::npos) return 0;
  for (size_t pos = image.find(key, at); pos != std::string::npos; pos = image.find(key, pos + 1)) {
    if (pos > 0 && image[pos - 1] != '\n' && image[pos - 1] != '\r') continue;
    size_t from = pos + key.size();
    size_t end = image.find_first_of("\r\n", from);
    size_t n = (end == std::string::npos ? image.size() : end) - from;
    if (n > 511) n = 511;
    strResult = CString(std::string(m_pKeywordImage + from, n).c_str());
    return (int)n;
  }
  return 0;
}
