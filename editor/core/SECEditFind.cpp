// SECEdit::FindText: the line-by-line search of the find and replace, plain or regular.
#include "editor/text/SECEdit.h"
#include "editor/core/SECRegExp.h"

#include <array>
#include <cctype>
#include <cstring>
#include <memory>

namespace {

// The runtime's byte-wise lower-case mapping, taken once into a table.
const unsigned char* LowerTable() {
  static const auto table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[(size_t)c] = (unsigned char)tolower(c);
    return t;
  }();
  return table.data();
}

void LowerInto(char* dst, const char* src, int n) {
  const unsigned char* lower = LowerTable();
  for (int i = 0; i < n; ++i) dst[i] = (char)lower[(unsigned char)src[i]];
  dst[n] = '\0';
}

// First position p < nLimit at which the text follows within the n bytes of s.
int PlainForward(const char* s, int n, int nLimit, const char* pszFind, int nFind) {
  for (int p = 0; p < nLimit && p + nFind <= n;) {
    const void* at = memchr(s + p, pszFind[0], (size_t)(n - nFind + 1 - p));
    if (at == nullptr) return -1;
    p = (int)(static_cast<const char*>(at) - s);
    if (p >= nLimit) return -1;
    if (memcmp(s + p, pszFind, (size_t)nFind) == 0) return p;
    ++p;
  }
  return -1;
}

int PlainBackward(const char* s, int n, const char* pszFind, int nFind) {
  for (int p = n - nFind; p >= 0; --p)
    if (s[p] == pszFind[0] && memcmp(s + p, pszFind, (size_t)nFind) == 0) return p;
  return -1;
}

}  // namespace

int SECEdit::FindText(SECEditPos* pPos, SECEditPos* pEnd, SECFindParams* pParams) {
  if (pPos == nullptr || pPos->pLine == nullptr || pParams == nullptr || pParams->pszFind == nullptr) return 0;
  pParams->strExpansion.Empty();
  const bool bCase = (pParams->nFlags & SECFIND_MATCHCASE) != 0;
  const bool bDown = (pParams->nFlags & SECFIND_DOWN) != 0;
  const bool bRegex = (pParams->nFlags & SECFIND_REGEXP) != 0;
  char szFind[SECFIND_MAX_TEXT + 1];
  const int nFind = (int)strnlen(pParams->pszFind, SECFIND_MAX_TEXT);
  if (nFind == 0) return 0;  // an empty search text finds nothing
  if (bCase) {
    memcpy(szFind, pParams->pszFind, (size_t)nFind);
    szFind[nFind] = '\0';
  } else {
    LowerInto(szFind, pParams->pszFind, nFind);
  }
  SECRegExp re;
  if (bRegex && re.Compile(szFind) == nullptr) return 0;
  // Without match case each line is matched as a lower-cased copy; otherwise in place.
  std::unique_ptr<char[]> copy(bCase ? nullptr : new char[SECEDIT_MAX_LINE + 1]);

  tagLINEDESC* const pStart = pPos->pLine;
  const int nStartOff = pPos->nOffset < 0 ? 0 : pPos->nOffset;
  tagLINEDESC* const pEndLine = pEnd != nullptr ? pEnd->pLine : nullptr;
  const int nEndOff = pEnd != nullptr ? pEnd->nOffset : 0;
  const char* pszTemplate = bRegex ? pParams->pszReplace : nullptr;
  CString* pExpansion = pszTemplate != nullptr ? &pParams->strExpansion : nullptr;

  for (tagLINEDESC* pLine = pStart; pLine != nullptr; pLine = bDown ? pLine->pNext : pLine->pPrev) {
    const int nLength = pLine->pText != nullptr ? (pLine->nLength < SECEDIT_MAX_LINE ? pLine->nLength : SECEDIT_MAX_LINE) : 0;
    const int nText = TextLength(pLine) < nLength ? TextLength(pLine) : nLength;
    const char* text = pLine->pText != nullptr ? pLine->pText : "";
    if (!bCase) {
      LowerInto(copy.get(), text, nLength);
      text = copy.get();
    }
    const bool bFirst = pLine == pStart;
    const bool bEndHere = pLine == pEndLine;
    const int nOff = nStartOff < pLine->nLength ? nStartOff : pLine->nLength;
    int found = -1;
    int nMatch = 0;
    if (bDown) {
      const int from = bFirst ? nOff : 0;
      // Only a match's start must lie before the end; it may run past it.
      const int limit = bEndHere ? nEndOff : INT32_MAX;
      if (!bRegex) {
        if (from < nLength) {
          const int at = PlainForward(text + from, nLength - from, limit == INT32_MAX ? limit : limit - from, szFind, nFind);
          if (at >= 0) found = from + at, nMatch = nFind;
        }
      } else if (from <= nText) {
        const char* m = RegexFindLine(re, text, nText, from, &nMatch, pszTemplate, pExpansion,
                                      bCase ? nullptr : pLine->pText);
        if (m != nullptr && (int)(m - text) < limit) found = (int)(m - text);
      }
    } else {
      // The start line is searched before the start (or before the end when that lies on it).
      int limit = nLength;
      if (bFirst) limit = bEndHere ? (nEndOff < nLength ? nEndOff : nLength) : nOff;
      if (!bRegex) {
        const int at = PlainBackward(text, limit, szFind, nFind);
        if (at >= 0) found = at, nMatch = nFind;
      } else {
        // A match counts when it ends before the limit; at the line's true end the whole line counts.
        const int nBound = !bFirst || limit >= nLength ? nText + 1 : limit;
        int best = -1;
        for (int from = 0; from <= nText;) {
          int len = 0;
          const char* m = RegexFindLine(re, text, nText, from, &len, nullptr, nullptr);
          if (m == nullptr) break;
          const int at = (int)(m - text);
          if (at + len >= nBound) break;
          best = at;
          from = at + 1;
        }
        if (best >= 0) {
          RegexFindLine(re, text, nText, best, &nMatch, pszTemplate, pExpansion, bCase ? nullptr : pLine->pText);
          found = best;
        }
      }
    }
    if (found >= 0) {
      pPos->pLine = pLine;
      pPos->nOffset = found;
      pParams->nMatchLen = nMatch;
      return 1;
    }
    if (bDown && bEndHere) break;
  }
  return 0;
}
