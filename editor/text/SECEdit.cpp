#include "editor/text/SECEdit.h"

#include "editor/EditorStrings.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/ui/WinApp.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

UINT SECEdit::ms_nLastShownMessage = 0;
int SECEdit::ms_nShownMessages = 0;

namespace {

int CapacityFor(int n) { return (n + 31) & ~15; }

CString LoadEditorString(UINT id) {
  std::string text;
  if (LoadStringResource(id, text)) return CString(text.c_str());
  const char* p = GetEditorString(id);
  return p ? p : "";
}

// Settings come from the application's profile; without an application the defaults hold.
int ProfileInt(const CString& section, UINT entryId, int nDefault) {
  CWinApp* app = AfxGetApp();
  return app ? (int)app->GetProfileInt(section, LoadEditorString(entryId), nDefault) : nDefault;
}

CString ProfileString(const CString& section, UINT entryId, const char* pszDefault) {
  CWinApp* app = AfxGetApp();
  return app ? app->GetProfileString(section, LoadEditorString(entryId), pszDefault) : CString(pszDefault);
}

}  // namespace

SECEdit::SECEdit()
    : m_pLine(nullptr), m_pUndo(nullptr), m_bAutoIndent(FALSE), m_nBookmarks(0), m_nUndoPos(0), m_dwUndoGroup(0),
      m_nUndoCount(0), m_nCleanUndoPos(0), m_pFile(nullptr), m_nLineEndLength(2), m_szLineEnd{'\r', '\n', 0, 0}, m_bInComment(FALSE),
      m_nLineCount(1), m_bModified(FALSE), m_bReadOnly(FALSE), m_bWordWrap(FALSE), m_nTabSize(3), m_bKeepTabs(TRUE),
      m_bShowTabs(FALSE), m_bInsertMode(TRUE), m_bLockFiles(FALSE), m_nLineEndMode(0), m_strFontName("Courier New"),
      m_nFontSize(9), m_nFontWeight(400), m_bFontItalic(FALSE), m_nCharSet(0), m_bChroma(FALSE), m_bCase(FALSE),
      m_crKeyword(RGB(0, 0, 255)), m_crKeywordDefault(RGB(0, 0, 255)), m_crQuote(RGB(255, 0, 0)), m_crSQuote(0), m_crComment(RGB(0, 128, 0)), m_crText(0),
      m_crBackground(RGB(255, 255, 255)), m_anExtraChars{}, m_anTermChars{}, m_anStartChars{}, m_szCommentStart1{},
      m_szCommentEnd1{}, m_szCommentStart2{}, m_szCommentEnd2{}, m_pKeywords(nullptr), m_pKeywordImage(nullptr),
      m_nKeywordImageSize(0), m_pSearchScratch(nullptr), m_hFocusWnd(nullptr), m_nCommentValid(0) {
  m_pLine = NewLine(64);
  if (m_pLine) m_pLine->nLength = 0;
  m_pUndo = static_cast<SECEditUndoRecord*>(calloc(SECEDIT_UNDO_SIZE, sizeof(SECEditUndoRecord)));
  SetModified(FALSE);
  SetReadOnly(FALSE);
  ResetUndo();
  m_nLineCount = 1;
  ClearProfileSection();
  LoadSettings();
  SetLineEndMode(ProfileInt(m_strProfileSection, 21024, 0));
}

SECEdit::~SECEdit() {
  FreeSyntaxBuffers();
  CloseKeptFile();
  FreeAll();
}

void SECEdit::FreeAll() {
  TextChangedAt(0);
  m_numberShifts.clear();
  FreeLineList(m_pLine);
  ++m_nLinesFreed;
  m_pLine = nullptr;
  if (m_pUndo) {
    ClearUndo();
    free(m_pUndo);
    m_pUndo = nullptr;
  }
  m_nUndoPos = m_nUndoCount = 0;
}

void SECEdit::ForgetFileHandle() { m_pFile = nullptr; }

BOOL SECEdit::IsModified() { return m_bModified; }
BOOL SECEdit::SetModified(BOOL b) { return m_bModified = b; }
BOOL SECEdit::SetLockFiles(BOOL b) { return m_bLockFiles = b; }
BOOL SECEdit::GetLockFiles() { return m_bLockFiles; }
BOOL SECEdit::SetReadOnly(BOOL b) { return m_bReadOnly = b; }
BOOL SECEdit::IsReadOnly() { return m_bReadOnly; }
BOOL SECEdit::SetWordWrap(BOOL b) { return m_bWordWrap = b; }
BOOL SECEdit::GetWordWrap() { return m_bWordWrap; }
BOOL SECEdit::SetInsertMode(BOOL b) { return m_bInsertMode = b; }
BOOL SECEdit::GetInsertMode() { return m_bInsertMode; }
// No tab is wider than a line can be.
int SECEdit::SetTabSize(int n) { return m_nTabSize = n < 1 ? 1 : n > SECEDIT_MAX_LINE ? SECEDIT_MAX_LINE : n; }
int SECEdit::GetTabSize() { return m_nTabSize; }

void SECEdit::SetProfileSection(const char* pszSection) { m_strProfileSection = pszSection ? pszSection : ""; }
void SECEdit::ClearProfileSection() { m_strProfileSection = ""; }

void SECEdit::LoadSettings() {
  LoadSyntaxSettings();
  const CString& s = m_strProfileSection;
  SetTabSize(ProfileInt(s, 21016, 3));
  m_bKeepTabs = ProfileInt(s, 21017, 1);
  m_bShowTabs = ProfileInt(s, 21018, 0);
  m_strFontName = ProfileString(s, 21019, "Courier New");
  m_nFontSize = ProfileInt(s, 21020, 9);
  m_nCharSet = ProfileInt(s, 21039, 0);
  m_nFontWeight = ProfileInt(s, 21037, 400);
  m_bFontItalic = ProfileInt(s, 21038, 0);
  m_bWordWrap = ProfileInt(s, 21021, 0);
  m_bInsertMode = ProfileInt(s, 21022, 1);
  m_bLockFiles = ProfileInt(s, 21023, 0);
}

void SECEdit::SetLineEndMode(int nMode) {
  m_nLineEndMode = nMode;
  static const char* const kEnds[4] = {"\r\n", "\n\r", "\n", "\r"};
  if (nMode < 0 || nMode > 3) return;
  memset(m_szLineEnd, 0, sizeof m_szLineEnd);
  strcpy(m_szLineEnd, kEnds[nMode]);
  m_nLineEndLength = (int)strlen(m_szLineEnd);
}

// ---- List operations ----

// Line blocks. Each block is [record][first text buffer]: a block of its own (calloc), or cut from a chunk
// when files are loaded, so that a text of a million lines costs few allocations and page faults. A chunk
// lies on a boundary of kChunkAlign bytes, which finds it from any of its lines; it is released with its last
// line.
struct SECLineChunk {
  std::atomic<int64_t> live;
  size_t size;
};

struct SECLineArena {
  SECLineChunk* chunk = nullptr;
  size_t used = 0;
  size_t populated = 0;  // bytes of the chunk whose pages are in place
  size_t nextSize = 64 * 1024;
};

namespace {
const size_t kChunkHeader = (sizeof(SECLineChunk) + 15) & ~size_t(15);
const size_t kMaxChunk = 8u << 20;
const size_t kChunkAlign = kMaxChunk;

inline char* InlineText(tagLINEDESC* p) { return reinterpret_cast<char*>(p + 1); }

inline SECLineChunk* OwnerOf(const tagLINEDESC* p) {
  if (!(p->dwFlags & LINE_IN_CHUNK)) return nullptr;
  return reinterpret_cast<SECLineChunk*>(reinterpret_cast<uintptr_t>(p) & ~(uintptr_t)(kChunkAlign - 1));
}

void ReleaseChunk(SECLineChunk* c) {
  if (c->live.fetch_sub(1, std::memory_order_acq_rel) == 1) munmap(c, c->size);
}

// size bytes of fresh memory on a kChunkAlign boundary, or null.
void* MapAligned(size_t size) {
  const size_t span = size + kChunkAlign;
  void* mem = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mem == MAP_FAILED) return nullptr;
  const uintptr_t base = reinterpret_cast<uintptr_t>(mem);
  const uintptr_t at = (base + kChunkAlign - 1) & ~(uintptr_t)(kChunkAlign - 1);
  if (at > base) munmap(mem, at - base);
  const uintptr_t end = base + span;
  if (end > at + size) munmap(reinterpret_cast<void*>(at + size), end - (at + size));
  return reinterpret_cast<void*>(at);
}

tagLINEDESC* InitBlock(char* block, bool bInChunk, int cap) {
  tagLINEDESC* p = reinterpret_cast<tagLINEDESC*>(block);
  if (bInChunk) p->dwFlags = LINE_IN_CHUNK;
  if (cap > 0) {
    p->nCapacity = cap;
    p->pText = InlineText(p);
    p->nLineNumber = 1;
  }
  return p;
}
}  // namespace

SECLineArena* SECEdit::NewArena() { return new (std::nothrow) SECLineArena; }

void SECEdit::EndArena(SECLineArena* pArena) {
  if (!pArena) return;
  if (pArena->chunk) ReleaseChunk(pArena->chunk);
  delete pArena;
}

tagLINEDESC* SECEdit::NewLineIn(SECLineArena* pArena, int nSize) {
  if (!pArena) return NewLine(nSize);
  // The text buffer is as long as asked, and takes the bytes the record alignment leaves.
  size_t need = (sizeof(tagLINEDESC) + (size_t)(nSize > 0 ? nSize : 0) + 7) & ~size_t(7);
  int cap = nSize > 0 ? (int)(need - sizeof(tagLINEDESC)) : 0;
  if (!pArena->chunk || pArena->used + need > pArena->chunk->size) {
    size_t size = pArena->nextSize;
    while (size < kChunkHeader + need) size *= 2;
    if (size > kChunkAlign) return NewLine(nSize);
    void* mem = MapAligned(size);
    if (!mem) return nullptr;
    SECLineChunk* c = new (mem) SECLineChunk;
    c->live.store(1, std::memory_order_relaxed);  // the arena's own reference
    c->size = size;
    if (pArena->chunk) ReleaseChunk(pArena->chunk);
    pArena->chunk = c;
    pArena->used = kChunkHeader;
    pArena->populated = 0;
    if (pArena->nextSize < kMaxChunk) pArena->nextSize *= 2;
  }
  if (pArena->used + need > pArena->populated) {
    // Pages are put in place a window ahead in one call instead of one fault each; without the call
    // they fault in as before.
    const size_t window = 1u << 20;
    char* from = reinterpret_cast<char*>(pArena->chunk) + pArena->populated;
    size_t n = std::min(window, pArena->chunk->size - pArena->populated);
    madvise(from, n, MADV_POPULATE_WRITE);
    pArena->populated += n;
  }
  char* block = reinterpret_cast<char*>(pArena->chunk) + pArena->used;
  pArena->used += need;
  pArena->chunk->live.fetch_add(1, std::memory_order_relaxed);
  return InitBlock(block, true, cap);
}

tagLINEDESC* SECEdit::NewLine(int nSize) {
  int cap = nSize > 0 ? CapacityFor(nSize) : 0;
  char* block = static_cast<char*>(calloc(1, sizeof(tagLINEDESC) + (size_t)cap));
  if (!block) return nullptr;
  return InitBlock(block, false, cap);
}

namespace {
// Texts of other threads (the net master's log) free lines too.
std::atomic<uint64_t> g_nLinesFreedEver{0};
}  // namespace

uint64_t SECEdit::LinesFreedEver() { return g_nLinesFreedEver.load(std::memory_order_relaxed); }

tagLINEDESC* SECEdit::LastLineFrom(tagLINEDESC* pHint, uint64_t nSeen) {
  if (pHint && nSeen == LinesFreedEver()) {
    // Lines typed after it are walked; one that left the text unfreed would not be numbered its last.
    tagLINEDESC* last = GetLastLine(pHint);
    if (LineNumber(last) == (uint32_t)m_nLineCount) return last;
  }
  return GetLastLine(m_pLine);
}

int SECEdit::FreeLine(tagLINEDESC* pLine) {
  if (!pLine) return -1;
  g_nLinesFreedEver.fetch_add(1, std::memory_order_relaxed);
  if (pLine->pText && pLine->pText != InlineText(pLine)) free(pLine->pText);
  if (SECLineChunk* owner = OwnerOf(pLine))
    ReleaseChunk(owner);
  else
    free(pLine);
  return 0;
}

int SECEdit::GrowLine(tagLINEDESC* pLine, int n) {
  if (!pLine) return 0;
  if (pLine->pText && pLine->nCapacity > n) return 1;
  int cap = CapacityFor(n);
  char* p = static_cast<char*>(calloc(1, (size_t)cap));
  if (!p) return 0;
  if (pLine->pText) {
    memcpy(p, pLine->pText, (size_t)pLine->nLength);
    if (pLine->pText != InlineText(pLine)) free(pLine->pText);
  }
  pLine->pText = p;
  pLine->nCapacity = cap;
  return 1;
}

int SECEdit::InsertLineBefore(tagLINEDESC* pNew, tagLINEDESC* pLine) {
  if (!pNew || !pLine) return -1;
  pNew->pPrev = pLine->pPrev;
  if (pLine->pPrev) pLine->pPrev->pNext = pNew;
  pNew->pNext = pLine;
  pLine->pPrev = pNew;
  return 0;
}

int SECEdit::InsertLineAfter(tagLINEDESC* pNew, tagLINEDESC* pLine) {
  if (!pNew || !pLine) return -1;
  if (pLine->pNext) pLine->pNext->pPrev = pNew;
  pNew->pNext = pLine->pNext;
  pNew->pPrev = pLine;
  pLine->pNext = pNew;
  return 0;
}

int SECEdit::UnlinkLine(tagLINEDESC* pLine) {
  if (!pLine) return -1;
  if (pLine->pPrev) pLine->pPrev->pNext = pLine->pNext;
  if (pLine->pNext) pLine->pNext->pPrev = pLine->pPrev;
  return 0;
}

int SECEdit::FreeLineList(tagLINEDESC* pLine) {
  if (!pLine) return -1;
  g_nLinesFreedEver.fetch_add(1, std::memory_order_relaxed);
  pLine = GetFirstLine(pLine);
  // Lines of one chunk are counted off together.
  SECLineChunk* owner = nullptr;
  int64_t pending = 0;
  while (pLine) {
    tagLINEDESC* next = pLine->pNext;
    SECLineChunk* o = OwnerOf(pLine);
    if (!o) {
      FreeLine(pLine);
    } else {
      if (pLine->pText && pLine->pText != InlineText(pLine)) free(pLine->pText);
      if (o != owner) {
        if (owner && owner->live.fetch_sub(pending, std::memory_order_acq_rel) == pending) munmap(owner, owner->size);
        owner = o;
        pending = 0;
      }
      ++pending;
    }
    pLine = next;
  }
  if (owner && owner->live.fetch_sub(pending, std::memory_order_acq_rel) == pending) munmap(owner, owner->size);
  return 0;
}

tagLINEDESC* SECEdit::GetFirstLine(tagLINEDESC* pLine, int* pnPosition) {
  int pos = pLine ? 1 : 0;
  while (pLine && pLine->pPrev) {
    pLine = pLine->pPrev;
    ++pos;
  }
  if (pnPosition) *pnPosition = pos;
  return pLine;
}

tagLINEDESC* SECEdit::GetLastLine(tagLINEDESC* pLine) {
  while (pLine && pLine->pNext) pLine = pLine->pNext;
  return pLine;
}

// The lines carry the renumbered mark until their text sees it (SECEdit::SettleRenumbering): a bare list
// has no log of moves, and a text's log must not apply to numbers taken after it.
int SECEdit::RenumberLines(tagLINEDESC* pLine) { return NumberList(pLine, LINE_NUMBER_RENUMBERED); }

int SECEdit::NumberList(tagLINEDESC* pLine, uint32_t dwEpochBits) {
  pLine = GetFirstLine(pLine);
  uint32_t n = 0;
  for (; pLine; pLine = pLine->pNext) {
    pLine->nLineNumber = ++n;
    pLine->dwFlags = (pLine->dwFlags & ~LINE_NUMBER_EPOCH_MASK) | dwEpochBits;
  }
  return (int)n;
}

int SECEdit::RenumberAll() {
  m_numberShifts.clear();
  return NumberList(m_pLine, 0);
}

void SECEdit::SettleRenumbering(const tagLINEDESC* pProbe1, const tagLINEDESC* pProbe2) const {
  const tagLINEDESC* seen = nullptr;
  for (const tagLINEDESC* p : {(const tagLINEDESC*)m_pLine, pProbe1, pProbe2})
    if (p && (p->dwFlags & LINE_NUMBER_EPOCH_MASK) == LINE_NUMBER_RENUMBERED) seen = p;
  if (!seen) return;
  // Every line was numbered afresh after the logged moves (lines linked in since are numbered by their
  // caller next): the moves are spent.
  m_numberShifts.clear();
  for (tagLINEDESC* p = GetFirstLine(const_cast<tagLINEDESC*>(seen)); p; p = p->pNext)
    p->dwFlags &= ~LINE_NUMBER_EPOCH_MASK;
}

void SECEdit::SettleBeforeNumbering(tagLINEDESC* pFirst, tagLINEDESC* pLast) const {
  // Lines about to be numbered tell nothing of the text, even when they come renumbered as a list of
  // their own; their neighbours do.
  for (tagLINEDESC* p = pFirst; p; p = p->pNext) {
    p->dwFlags &= ~LINE_NUMBER_EPOCH_MASK;
    if (p == pLast) break;
  }
  SettleRenumbering(pFirst ? pFirst->pPrev : nullptr, pLast ? pLast->pNext : nullptr);
}

uint32_t SECEdit::LineNumber(tagLINEDESC* pLine) const {
  if (!pLine) return 0;
  SettleRenumbering(pLine);
  const size_t now = m_numberShifts.size();
  const size_t epoch = (pLine->dwFlags & LINE_NUMBER_EPOCH_MASK) >> LINE_NUMBER_EPOCH_SHIFT;
  if (epoch >= now) return pLine->nLineNumber;
  uint32_t n = pLine->nLineNumber;
  for (size_t i = epoch; i < now; ++i)
    if (n > m_numberShifts[i].nAbove) n = (uint32_t)((int64_t)n + m_numberShifts[i].nDelta);
  pLine->nLineNumber = n;
  pLine->dwFlags = (pLine->dwFlags & ~LINE_NUMBER_EPOCH_MASK) | ((uint32_t)now << LINE_NUMBER_EPOCH_SHIFT);
  return n;
}

void SECEdit::NumberNewLines(tagLINEDESC* pFirst, tagLINEDESC* pLast, uint32_t nFirst) const {
  SettleBeforeNumbering(pFirst, pLast);
  const uint32_t epoch = (uint32_t)m_numberShifts.size() << LINE_NUMBER_EPOCH_SHIFT;
  for (tagLINEDESC* p = pFirst; p; p = p->pNext) {
    p->nLineNumber = nFirst++;
    p->dwFlags = (p->dwFlags & ~LINE_NUMBER_EPOCH_MASK) | epoch;
    if (p == pLast) break;
  }
}

void SECEdit::ShiftNumbers(uint32_t nAbove, int32_t nDelta, tagLINEDESC* pFirst, tagLINEDESC* pLast, uint32_t nFirst) {
  if (nDelta != 0) ++m_nLinesRenumbered;
  SettleBeforeNumbering(pFirst, pLast);
  if (m_numberShifts.size() + 1 >= SECEDIT_MAX_SHIFTS) {
    // The log is full: one walk over the text settles every number.
    RenumberAll();
    return;
  }
  if (nDelta != 0) m_numberShifts.push_back(NumberShift{nAbove, nDelta});
  NumberNewLines(pFirst, pLast, nFirst);
}

tagLINEDESC* SECEdit::AppendLines(tagLINEDESC* pFirst, tagLINEDESC* pLast, int nLines, tagLINEDESC* pEnd) {
  if (!pFirst) return nullptr;
  if (!pEnd) pEnd = GetLastLine(m_pLine);
  tagLINEDESC* before = nullptr;
  if (!pEnd) {
    m_pLine = pFirst;
    NumberNewLines(pFirst, pLast, 1);
  } else if (pEnd->nLength > 0) {
    // Only the last line may lack its line end: copied or saved, it would run into the new first line.
    if (!EndsWithLineEnd(pEnd)) ReplaceLineBytes(pEnd, pEnd->nLength, 0, m_szLineEnd, m_nLineEndLength);
    const uint32_t number = LineNumber(pEnd) + 1;
    pEnd->pNext = pFirst;
    pFirst->pPrev = pEnd;
    NumberNewLines(pFirst, pLast, number);
  } else {
    // An empty last line stays last and takes the number after the new lines.
    const uint32_t number = LineNumber(pEnd);
    if (!EndsWithLineEnd(pLast)) ReplaceLineBytes(pLast, pLast->nLength, 0, m_szLineEnd, m_nLineEndLength);
    pFirst->pPrev = pEnd->pPrev;
    if (pEnd->pPrev) pEnd->pPrev->pNext = pFirst;
    else m_pLine = pFirst;
    pLast->pNext = pEnd;
    pEnd->pPrev = pLast;
    NumberNewLines(pFirst, pEnd, number);
    before = pEnd;
  }
  m_nLineCount += nLines;
  TextChangedAt(LineNumber(pFirst) - 1);
  return before;
}

// ---- Lines and measurement ----

tagLINEDESC* SECEdit::GetLine(int nNumber) {
  if (nNumber < 1) return GetLastLine(FindLine(m_nLineCount));
  return FindLine(nNumber);
}

void SECEdit::TextChangedAt(uint32_t nLine) {
  if (nLine < m_nCommentValid) m_nCommentValid = nLine;
  size_t keep = nLine == 0 ? 0 : (nLine - 1) / SECEDIT_INDEX_STEP + 1;
  if (m_lineIndex.size() > keep) m_lineIndex.resize(keep);
}

tagLINEDESC* SECEdit::FindLine(int n, tagLINEDESC* pHint1, tagLINEDESC* pHint2) {
  tagLINEDESC* first = GetFirstLine(m_pLine);
  if (!first) return nullptr;
  if (n < 1) n = 1;
  // A hint close by is walked from without building the index up to the line (after an edit above, that
  // would walk every line in between).
  tagLINEDESC* near = nullptr;
  int nearNo = 0;
  for (tagLINEDESC* h : {pHint1, pHint2}) {
    if (!h) continue;
    const int hn = (int)LineNumber(h);
    const int d = n > hn ? n - hn : hn - n;
    if (d <= SECEDIT_INDEX_STEP && (!near || d < (n > nearNo ? n - nearNo : nearNo - n))) near = h, nearNo = hn;
  }
  if (near) {
    while (nearNo < n && near->pNext) near = near->pNext, ++nearNo;
    while (nearNo > n && near->pPrev) near = near->pPrev, --nearNo;
    return near;
  }
  if (m_lineIndex.empty())
    m_lineIndex.push_back(first);
  else
    m_lineIndex[0] = first;
  size_t want = (size_t)(n - 1) / SECEDIT_INDEX_STEP;
  while (m_lineIndex.size() <= want) {
    tagLINEDESC* p = m_lineIndex.back();
    int k = 0;
    while (k < SECEDIT_INDEX_STEP && p->pNext) p = p->pNext, ++k;
    if (k < SECEDIT_INDEX_STEP) break;  // the text ends before
    m_lineIndex.push_back(p);
  }
  size_t at = want < m_lineIndex.size() ? want : m_lineIndex.size() - 1;
  tagLINEDESC* best = m_lineIndex[at];
  int no = (int)(at * SECEDIT_INDEX_STEP) + 1;
  for (tagLINEDESC* h : {pHint1, pHint2}) {
    if (!h) continue;
    const int hn = (int)LineNumber(h);
    int d = n - hn, bd = n - no;
    if ((d < 0 ? -d : d) < (bd < 0 ? -bd : bd)) best = h, no = hn;
  }
  while (no < n && best->pNext) best = best->pNext, ++no;
  while (no > n && best->pPrev) best = best->pPrev, --no;
  return best;
}

BOOL SECEdit::PosLessEqual(const SECEditPos& a, const SECEditPos& b) const {
  if (a.pLine == b.pLine) return a.nOffset <= b.nOffset;
  for (const tagLINEDESC* p = a.pLine; p; p = p->pNext)
    if (p == b.pLine) return TRUE;
  return FALSE;
}

BOOL SECEdit::EndsWithLineEnd(const tagLINEDESC* pLine) const {
  if (!pLine || !pLine->pText || pLine->nLength < m_nLineEndLength) return FALSE;
  return memcmp(pLine->pText + pLine->nLength - m_nLineEndLength, m_szLineEnd, (size_t)m_nLineEndLength) == 0;
}

int SECEdit::TextLength(const tagLINEDESC* pLine) const {
  if (!pLine || !pLine->pText) return 0;
  return EndsWithLineEnd(pLine) ? pLine->nLength - m_nLineEndLength : pLine->nLength;
}

int SECEdit::GetTextWidth(const char* pText, int n) const {
  int ts = m_nTabSize < 1 ? 1 : m_nTabSize;
  int col = 0;
  for (int i = 0; i < n; ++i) col += pText[i] == '\t' ? ts - col % ts : 1;
  return col;
}

int SECEdit::GetFitLength(const char* pText, int n) const {
  int ts = m_nTabSize < 1 ? 1 : m_nTabSize;
  int limit = SECEDIT_MAX_LINE - m_nLineEndLength;
  int col = 0;
  for (int i = 0; i < n; ++i) {
    col += pText[i] == '\t' ? ts - col % ts : 1;
    if (col > limit) return i;
  }
  return n;
}

int SECEdit::OffsetToColumn(const tagLINEDESC* pLine, int nOffset) const {
  if (nOffset < 0) return 0;
  if (!pLine || !pLine->pText) return nOffset;
  int tl = TextLength(pLine);
  int k = nOffset < tl ? nOffset : tl;
  return GetTextWidth(pLine->pText, k) + (nOffset - k);
}

int SECEdit::ColumnToOffset(const tagLINEDESC* pLine, int nColumn) const {
  if (nColumn < 0) return 0;
  if (!pLine || !pLine->pText) return nColumn;
  int ts = m_nTabSize < 1 ? 1 : m_nTabSize;
  int tl = TextLength(pLine);
  int col = 0;
  for (int i = 0; i < tl; ++i) {
    col += pLine->pText[i] == '\t' ? ts - col % ts : 1;
    if (col > nColumn) return i;
  }
  return tl + (nColumn - col);
}

char* SECEdit::ExpandTabs(const char* pText, int n, int nTabSize, int nLineEndLength, int* pnLength) {
  if (nTabSize < 1) nTabSize = 1;
  if (!pText || n < 0) n = 0;
  int tabs = 0;
  for (int i = 0; i < n; ++i) tabs += pText[i] == '\t';
  char* out = static_cast<char*>(calloc(1, (size_t)((tabs + 3) * nTabSize + n + 1)));
  if (!out) return nullptr;
  int o = 0, col = 0;
  for (int i = 0; i < n;) {
    char c = pText[i];
    if (c == '\t') {
      int w = nTabSize - col % nTabSize;
      memset(out + o, ' ', (size_t)w);
      o += w;
      col += w;
      ++i;
    } else if (c == '\r' || c == '\n') {
      for (int k = 0; k < nLineEndLength && i < n; ++k) out[o++] = pText[i++];
      col = 0;
    } else {
      out[o++] = c;
      ++col;
      ++i;
    }
  }
  if (pnLength) *pnLength = o;
  return out;
}

// ---- Line ends ----

int SECEdit::DetectLineEndMode(const char* pText, int n) {
  for (int i = 0; i < n; ++i) {
    if (pText[i] == '\n') return i + 1 < n && pText[i + 1] == '\r' ? 1 : 2;
    if (pText[i] == '\r') return i + 1 < n && pText[i + 1] == '\n' ? 0 : 3;
  }
  return -1;
}

namespace {
// Length of the line end that starts at p (a CR or LF): two bytes only for the mode's own pair,
// so a lone CR or LF in mixed text never swallows the byte after it. LF CR pairs only in mode 1.
inline int LineEndSpan(const char* p, const char* end, int mode) {
  char first = mode == 1 ? '\n' : '\r';
  char second = mode == 1 ? '\r' : '\n';
  return (*p == first && p + 1 < end && p[1] == second) ? 2 : 1;
}
}  // namespace

int SECEdit::ConvertLineEnds(char*& pText, int n, int nMode) {
  if (!pText || n <= 0 || nMode < 0 || nMode > 3) return n;
  int srcMode = DetectLineEndMode(pText, n);
  if (srcMode < 0) return n;
  static const char* const kEnds[4] = {"\r\n", "\n\r", "\n", "\r"};
  const char* le = kEnds[nMode];
  int leLen = (int)strlen(le);
  int count = 0;
  for (int i = 0; i < n; ++i) count += pText[i] == '\r' || pText[i] == '\n';
  char* out = static_cast<char*>(calloc(1, (size_t)(count * leLen + n + 1)));
  if (!out) return n;
  const char* p = pText;
  const char* e = pText + n;
  int o = 0;
  while (p < e && *p) {
    if (*p == '\r' || *p == '\n') {
      memcpy(out + o, le, (size_t)leLen);
      o += leLen;
      p += LineEndSpan(p, e, srcMode);
    } else {
      out[o++] = *p++;
    }
  }
  char* re = static_cast<char*>(realloc(pText, (size_t)(((o + 15) & ~15) + 32)));
  if (!re) {
    free(out);
    return n;
  }
  memcpy(re, out, (size_t)o);
  re[o] = 0;
  free(out);
  pText = re;
  return o;
}

// Cuts bytes into lines appended to the chain *ppHead..*ppTail. Without bFinal, a last segment that
// may continue in later bytes (no line end yet, or a pair's first byte at the very end) is left
// unconsumed. Returns the bytes consumed, or -1 when a line cannot be allocated.
int SECEdit::MakeLines(const char* pText, int n, bool bFinal, bool* pbWarned, tagLINEDESC** ppHead,
                       tagLINEDESC** ppTail, int* pnLines, SECLineArena* pArena, uint32_t nFirstNumber,
                       uint32_t dwNumberEpoch) {
  const char* p = pText;
  const char* e = pText + n;
  const int ts = m_nTabSize < 1 ? 1 : m_nTabSize;
  const int mode = m_nLineEndMode >= 0 && m_nLineEndMode <= 3 ? m_nLineEndMode : 0;
  const char pairFirst = mode == 1 ? '\n' : '\r';
  const char* nextCR = nullptr;
  const char* nextLF = nullptr;
  while (p < e) {
    // The next CR and LF are cached so each byte is scanned once.
    if (!nextCR || nextCR < p) {
      nextCR = static_cast<const char*>(memchr(p, '\r', (size_t)(e - p)));
      if (!nextCR) nextCR = e;
    }
    if (!nextLF || nextLF < p) {
      nextLF = static_cast<const char*>(memchr(p, '\n', (size_t)(e - p)));
      if (!nextLF) nextLF = e;
    }
    const char* le = nextCR < nextLF ? nextCR : nextLF;
    bool terminated = le < e;
    int span = 0;
    if (terminated) {
      span = LineEndSpan(le, e, mode);
      if (!bFinal && span == 1 && *le == pairFirst && le + 1 == e) terminated = false;  // pair may be split
    }
    int seg = (int)((terminated ? le : e) - p);
    bool cut = false;
    if ((long long)ts * seg > SECEDIT_MAX_LINE && GetTextWidth(p, seg) > SECEDIT_MAX_LINE - m_nLineEndLength) {
      seg = GetFitLength(p, seg);
      if (seg < 1) seg = 1;
      cut = true;
      if (!*pbWarned) {
        *pbWarned = true;
        ShowLongLineWarning();
      }
    }
    if (!terminated && !cut && !bFinal) break;  // the rest of this line comes with more bytes
    // A cut piece ends a line of its own, so every line but the last keeps its line end.
    bool withEnd = terminated || cut;
    tagLINEDESC* line = NewLineIn(pArena, seg + m_nLineEndLength + 1);
    if (!line) return -1;
    memcpy(line->pText, p, (size_t)seg);
    line->nLength = seg;
    if (withEnd) {
      memcpy(line->pText + seg, m_szLineEnd, (size_t)m_nLineEndLength);
      line->nLength += m_nLineEndLength;
    }
    if (*ppTail) {
      (*ppTail)->pNext = line;
      line->pPrev = *ppTail;
      line->nLineNumber = (*ppTail)->nLineNumber + 1;
    } else {
      *ppHead = line;
      line->nLineNumber = nFirstNumber;
    }
    line->dwFlags |= dwNumberEpoch;
    *ppTail = line;
    ++*pnLines;
    p += seg;
    if (!cut) p += span;
  }
  return (int)(p - pText);
}

tagLINEDESC* SECEdit::SplitIntoLines(const char* pText, int n, tagLINEDESC** ppLast, int* pnLines,
                                     uint32_t nFirstNumber, uint32_t dwNumberEpoch) {
  if (!pText) return nullptr;
  if (n < 0) n = (int)strlen(pText);
  tagLINEDESC* head = nullptr;
  tagLINEDESC* tail = nullptr;
  int lines = 0;
  bool warned = false;
  // Large texts are cut into chunks of lines; small ones get a block per line.
  SECLineArena* arena = n >= 64 * 1024 ? NewArena() : nullptr;
  int r = MakeLines(pText, n, true, &warned, &head, &tail, &lines, arena, nFirstNumber, dwNumberEpoch);
  EndArena(arena);
  if (r < 0) {
    FreeLineList(head);
    return nullptr;
  }
  if (ppLast) *ppLast = tail;
  if (pnLines) *pnLines = lines;
  return head;
}

void SECEdit::ShowLongLineWarning() {
  CString text;
  text.Format(LoadEditorString(SECEDIT_LONG_LINES), SECEDIT_MAX_LINE);
  ms_nLastShownMessage = SECEDIT_LONG_LINES;
  ++ms_nShownMessages;
  AfxMessageBox(text, MB_OK);
}

int SECEdit::HasNulls(const char* pBuffer, int n) {
  return pBuffer && n > 0 && memchr(pBuffer, 0, (size_t)n) ? 2 : 0;
}
