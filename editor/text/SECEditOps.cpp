// Edit operations of SECEdit and its undo log.
#include "editor/text/SECEdit.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// Nesting of open undo groups. Kept per thread: the editor runs on the UI thread, but a text
// object may live on another thread and must not see that thread's groups.
thread_local int t_nGroupDepth = 0;
// Group stamps come from a counter, so two groups opened within one clock tick stay apart.
std::atomic<uint32_t> g_nNextGroupStamp{0};

bool HasText(int kind) {
  return kind == SECUNDO_DELETETEXT || kind == SECUNDO_INSERTTEXT || kind == SECUNDO_DELETEBLOCK ||
         kind == SECUNDO_INSERTBLOCK || kind == SECUNDO_INSERTFILE;
}

bool IsCharKind(int kind) {
  return kind == SECUNDO_INSERTCHAR || kind == SECUNDO_DELETECHAR || kind == SECUNDO_OVERWRITECHAR;
}

// Whether `next` (the record beside `done`) is undone or redone in the same step.
bool SameStep(const SECEditUndoRecord& next, const SECEditUndoRecord& done) {
  if (next.dwGroup != 0 && next.dwGroup == done.dwGroup) return true;
  return IsCharKind(next.nKind) && next.nKind == done.nKind && next.nLine == done.nLine;
}

// Frees what a record owns and empties it.
void FreeRecord(SECEditUndoRecord& rec) {
  free(rec.pText);
  if (rec.pSteps) {
    for (SECEditUndoRecord& step : *rec.pSteps) free(step.pText);
    delete rec.pSteps;
  }
  rec = SECEditUndoRecord{};
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

// Line number of a line, renumbering the list when the stored numbers are stale.
// Replaces nRemove bytes at nOffset with nInsert bytes; keeps the text NUL-terminated.
int SECEdit::ReplaceBytes(tagLINEDESC* pLine, int nOffset, int nRemove, const char* pInsert, int nInsert) {
  TextChangedAt(LineNumber(pLine));
  return ReplaceLineBytes(pLine, nOffset, nRemove, pInsert, nInsert);
}

// The same for a line not (yet) in the text: nothing cached about the text changes.
int SECEdit::ReplaceLineBytes(tagLINEDESC* pLine, int nOffset, int nRemove, const char* pInsert, int nInsert) {
  int newLen = pLine->nLength - nRemove + nInsert;
  if (!GrowLine(pLine, newLen + 1)) return SECEDIT_OUT_OF_MEMORY;
  char* t = pLine->pText;
  memmove(t + nOffset + nInsert, t + nOffset + nRemove, (size_t)(pLine->nLength - nOffset - nRemove));
  if (nInsert > 0) memcpy(t + nOffset, pInsert, (size_t)nInsert);
  pLine->nLength = newLen;
  t[newLen] = 0;
  return 0;
}

int SECEdit::AddRecord(int nKind, int nLine, int nOffset, int nEndLine, int nEndOffset, const char* pszText, BYTE ch,
                       BYTE chOld) {
  SECEditUndoRecord r{};
  r.nKind = nKind;
  r.nLine = nLine;
  r.nOffset = nOffset;
  r.nEndLine = nEndLine;
  r.nEndOffset = nEndOffset;
  r.chChar = ch;
  r.chOldChar = chOld;
  return AddUndoRecord(r, pszText);
}

// A last line without a line end gains the text's own when something is typed into it.
int SECEdit::GainLineEnd(tagLINEDESC* pLine) {
  if (EndsWithLineEnd(pLine)) return 0;
  return ReplaceBytes(pLine, pLine->nLength, 0, m_szLineEnd, m_nLineEndLength);
}

int SECEdit::PadLine(SECEditPos& pos, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  tagLINEDESC* line = pos.pLine;
  if (!line) return SECEDIT_NO_TEXT;
  int tl = TextLength(line);
  if (pos.nOffset <= tl) return 0;
  int gap = pos.nOffset - tl;
  std::string fill;
  if (m_bKeepTabs) {
    int ts = m_nTabSize < 1 ? 1 : m_nTabSize;
    int col = line->pText ? GetTextWidth(line->pText, tl) : 0;
    int target = col + gap;
    for (int i = 0; i < gap / ts; ++i) {
      fill += '\t';
      col += ts - col % ts;
    }
    if (target > col) fill.append((size_t)(target - col), ' ');
  } else {
    fill.assign((size_t)gap, ' ');
  }
  if (int r = ReplaceBytes(line, tl, 0, fill.data(), (int)fill.size())) return r;
  if (int r = GainLineEnd(line)) return r;
  if (bUndo) {
    int no = NumberOf(line);
    AddRecord(SECUNDO_INSERTTEXT, no, tl, no, tl + (int)fill.size(), fill.c_str());
  }
  pos.nOffset = tl + (int)fill.size();
  SetModified(TRUE);
  return 0;
}

int SECEdit::InsertChar(SECEditPos& pos, int ch, BOOL bInsert, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (!pos.pLine) return SECEDIT_NO_TEXT;
  char c = (char)ch;
  if (c == 0) return 0;
  if (pos.nOffset < 0) pos.nOffset = 0;
  if (int r = PadLine(pos, bUndo)) return r;
  tagLINEDESC* line = pos.pLine;
  int off = pos.nOffset;
  int tl = TextLength(line);
  bool overwrite = !bInsert && off < tl;
  // Overwriting at the very end of the text inserts; its undo then deletes.
  BYTE old = overwrite ? (BYTE)line->pText[off] : (BYTE)m_szLineEnd[0];
  if (int r = ReplaceBytes(line, off, overwrite ? 1 : 0, &c, 1)) return r;
  if (int r = GainLineEnd(line)) return r;
  if (bUndo) {
    int no = NumberOf(line);
    if (bInsert)
      AddRecord(SECUNDO_INSERTCHAR, no, off, no, off, nullptr, (BYTE)c);
    else
      AddRecord(SECUNDO_OVERWRITECHAR, no, off, no, off, nullptr, (BYTE)c, old);
  }
  SetModified(TRUE);
  return 0;
}

int SECEdit::InsertChars(SECEditPos& pos, const char* pszText, BOOL bInsert, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (!pos.pLine) return SECEDIT_NO_TEXT;
  if (!pszText) return 0;
  int n = (int)strcspn(pszText, "\r\n");
  if (n == 0) return 0;
  if (pos.nOffset < 0) pos.nOffset = 0;
  if (int r = PadLine(pos, bUndo)) return r;
  tagLINEDESC* line = pos.pLine;
  int off = pos.nOffset;
  int tl = TextLength(line);
  int over = bInsert ? 0 : (n < tl - off ? n : tl - off);
  std::string old(line->pText ? line->pText + off : "", (size_t)over);
  if (int r = ReplaceBytes(line, off, over, pszText, n)) return r;
  if (int r = GainLineEnd(line)) return r;
  if (bUndo) {
    int no = NumberOf(line);
    std::string text(pszText, (size_t)n);
    // Overwritten bytes are kept too, so the undo brings them back.
    if (over > 0) BeginUndoGroup(TRUE);
    if (over > 0) AddRecord(SECUNDO_DELETETEXT, no, off, no, off + over, old.c_str());
    AddRecord(SECUNDO_INSERTTEXT, no, off, no, off + n, text.c_str());
    if (over > 0) BeginUndoGroup(FALSE);
  }
  SetModified(TRUE);
  return 0;
}

int SECEdit::DeleteChar(SECEditPos& pos, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  tagLINEDESC* line = pos.pLine;
  if (!line) return SECEDIT_NO_TEXT;
  int off = pos.nOffset;
  if (off < 0 || off >= TextLength(line)) return SECEDIT_JOIN_LINE;
  BYTE c = (BYTE)line->pText[off];
  ReplaceBytes(line, off, 1, nullptr, 0);
  if (bUndo) {
    int no = NumberOf(line);
    AddRecord(SECUNDO_DELETECHAR, no, off, no, off, nullptr, c);
  }
  SetModified(TRUE);
  return 0;
}

int SECEdit::DeleteChars(SECEditPos& pos, int nCount, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (nCount == 1) return DeleteChar(pos, bUndo);
  tagLINEDESC* line = pos.pLine;
  if (!line) return SECEDIT_NO_TEXT;
  if (nCount <= 0) return 0;
  int off = pos.nOffset;
  int tl = TextLength(line);
  if (off < 0 || off >= tl) return SECEDIT_JOIN_LINE;
  int m = nCount < tl - off ? nCount : tl - off;
  std::string old(line->pText + off, (size_t)m);
  ReplaceBytes(line, off, m, nullptr, 0);
  if (bUndo) {
    int no = NumberOf(line);
    AddRecord(SECUNDO_DELETETEXT, no, off, no, off + m, old.c_str());
  }
  SetModified(TRUE);
  return 0;
}

int SECEdit::DeleteText(SECEditPos& start, SECEditPos& end, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (!start.pLine || !end.pLine) return SECEDIT_NO_SELECTION;
  SECEditPos a = start, b = end;
  if (!PosLessEqual(a, b)) {
    if (!PosLessEqual(b, a)) return SECEDIT_NO_SELECTION;  // not one list
    std::swap(a, b);
  }
  // Virtual space holds no bytes: both ends are clamped to the text.
  a.nOffset = Clamp(a.nOffset, 0, TextLength(a.pLine));
  b.nOffset = Clamp(b.nOffset, 0, TextLength(b.pLine));
  if (a.pLine == b.pLine && a.nOffset >= b.nOffset) return SECEDIT_NO_SELECTION;
  int startNo = NumberOf(a.pLine), endNo = NumberOf(b.pLine);
  char* text = bUndo ? GetText(a, b) : nullptr;
  tagLINEDESC* A = a.pLine;
  tagLINEDESC* B = b.pLine;
  if (A == B) {
    ReplaceBytes(A, a.nOffset, b.nOffset - a.nOffset, nullptr, 0);
  } else {
    if (int r = ReplaceBytes(A, a.nOffset, A->nLength - a.nOffset, B->pText + b.nOffset, B->nLength - b.nOffset)) {
      free(text);
      return r;
    }
    tagLINEDESC* after = B->pNext;
    int removed = 0;
    for (tagLINEDESC* p = A->pNext; p != after;) {
      tagLINEDESC* next = p->pNext;
      FreeLine(p);
      ++removed;
      p = next;
    }
    if (removed) ++m_nLinesFreed;
    A->pNext = after;
    if (after) after->pPrev = A;
    m_nLineCount -= removed;
    if (m_nLineCount < 1) m_nLineCount = 1;
    ShiftNumbers((uint32_t)endNo, -removed, nullptr, nullptr, 0);
  }
  if (text) {
    AddRecord(SECUNDO_DELETETEXT, startNo, a.nOffset, endNo, b.nOffset, text);
    free(text);
  }
  SetModified(TRUE);
  return 0;
}

int SECEdit::InsertText(SECEditPos& pos, const char* pText, int nLength, BOOL bUndo, SECEditPos* pEnd) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (!pos.pLine) return SECEDIT_NO_TEXT;
  if (!pText) return 0;
  if (nLength < 0) nLength = (int)strlen(pText);
  if (const void* nul = memchr(pText, 0, (size_t)nLength)) nLength = (int)((const char*)nul - pText);
  if (nLength == 0) return 0;
  if (pos.nOffset < 0) pos.nOffset = 0;
  int srcMode = DetectLineEndMode(pText, nLength);
  if (srcMode < 0) {
    // One line: the bytes go straight into the position's line.
    if (int r = PadLine(pos, bUndo)) return r;
    tagLINEDESC* line = pos.pLine;
    int off = pos.nOffset;
    if (int r = ReplaceBytes(line, off, 0, pText, nLength)) return r;
    if (pEnd) *pEnd = SECEditPos{line, off + nLength};
    if (bUndo) {
      int no = NumberOf(line);
      std::string text(pText, (size_t)nLength);
      AddRecord(SECUNDO_INSERTTEXT, no, off, no, off + nLength, text.c_str());
    }
    SetModified(TRUE);
    return 0;
  }
  char* buf = static_cast<char*>(malloc((size_t)nLength + 1));
  if (!buf) return SECEDIT_OUT_OF_MEMORY;
  memcpy(buf, pText, (size_t)nLength);
  buf[nLength] = 0;
  int n = nLength;
  if (srcMode != m_nLineEndMode) n = ConvertLineEnds(buf, n, m_nLineEndMode);
  bool endsWithEnd = buf[n - 1] == '\r' || buf[n - 1] == '\n';
  if (int r = PadLine(pos, bUndo)) {
    free(buf);
    return r;
  }
  tagLINEDESC* A = pos.pLine;
  int off = pos.nOffset;
  int no = NumberOf(A);
  // The new lines come numbered as they will stand, at the epoch of the move this insertion logs.
  tagLINEDESC* Lk = nullptr;
  int k = 0;
  tagLINEDESC* chain = SplitIntoLines(buf, n, &Lk, &k, (uint32_t)no,
                                      (uint32_t)(m_numberShifts.size() + 1) << LINE_NUMBER_EPOCH_SHIFT);
  if (!chain) {
    free(buf);
    return SECEDIT_OUT_OF_MEMORY;
  }
  tagLINEDESC* L1 = chain;
  std::string suffix(A->pText ? A->pText + off : "", (size_t)(A->nLength - off));
  // Allocate everything first so a failure leaves the text as it was.
  tagLINEDESC* S = nullptr;
  bool ok = GrowLine(A, off + L1->nLength + 1);
  if (ok && endsWithEnd) {
    S = NewLine((int)suffix.size() + 1);
    ok = S != nullptr;
    if (ok) {
      memcpy(S->pText, suffix.data(), suffix.size());
      S->nLength = (int)suffix.size();
    }
  } else if (ok) {
    ok = k > 1 && GrowLine(Lk, Lk->nLength + (int)suffix.size() + 1);
  }
  if (!ok) {
    FreeLineList(chain);
    free(buf);
    return SECEDIT_OUT_OF_MEMORY;
  }
  int endNo, endOff;
  if (endsWithEnd) {
    endNo = no + k;
    endOff = 0;
  } else {
    endNo = no + k - 1;
    endOff = Lk->nLength;
    ReplaceLineBytes(Lk, Lk->nLength, 0, suffix.data(), (int)suffix.size());
  }
  ReplaceBytes(A, off, A->nLength - off, L1->pText, L1->nLength);
  tagLINEDESC* after = A->pNext;
  tagLINEDESC* first = L1->pNext;
  tagLINEDESC* last = Lk == L1 ? nullptr : Lk;
  FreeLine(L1);
  if (S) {
    if (last) {
      last->pNext = S;
      S->pPrev = last;
    } else {
      first = S;
    }
    last = S;
  }
  if (first) {
    A->pNext = first;
    first->pPrev = A;
    last->pNext = after;
    if (after) after->pPrev = last;
  }
  m_nLineCount += endsWithEnd ? k : k - 1;
  ShiftNumbers((uint32_t)no, endsWithEnd ? k : k - 1, S, S, (uint32_t)(no + k));
  if (pEnd) *pEnd = SECEditPos{endsWithEnd ? S : Lk, endOff};
  if (bUndo) {
    // The record keeps the converted copy itself.
    SECEditUndoRecord rec{};
    rec.nKind = SECUNDO_INSERTTEXT;
    rec.nLine = no;
    rec.nOffset = off;
    rec.nEndLine = endNo;
    rec.nEndOffset = endOff;
    AddUndoRecord(rec, buf, TRUE);
  } else {
    free(buf);
  }
  SetModified(TRUE);
  return 0;
}

int SECEdit::SplitLine(SECEditPos& pos, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  tagLINEDESC* A = pos.pLine;
  if (!A) return SECEDIT_NO_TEXT;
  // Splitting in virtual space splits at the end of the text.
  int off = Clamp(pos.nOffset, 0, TextLength(A));
  int tailLen = A->nLength - off;
  const int no = NumberOf(A);
  tagLINEDESC* N = NewLine(tailLen + 1);
  if (!N) return SECEDIT_OUT_OF_MEMORY;
  if (tailLen > 0) memcpy(N->pText, A->pText + off, (size_t)tailLen);
  N->nLength = tailLen;
  if (int r = ReplaceBytes(A, off, tailLen, m_szLineEnd, m_nLineEndLength)) {
    FreeLine(N);
    return r;
  }
  InsertLineAfter(N, A);
  ShiftNumbers((uint32_t)no, 1, N, N, (uint32_t)no + 1);
  ++m_nLineCount;
  if (bUndo) {
    AddRecord(SECUNDO_SPLITLINE, no, off, no + 1, 0, nullptr);
  }
  SetModified(TRUE);
  return 0;
}

int SECEdit::JoinLines(SECEditPos& pos, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  tagLINEDESC* A = pos.pLine;
  if (!A) return SECEDIT_NO_TEXT;
  tagLINEDESC* B = A->pNext;
  if (!B) return SECEDIT_END_OF_FILE;
  int tl = TextLength(A);
  int widthA = OffsetToColumn(A, pos.nOffset > tl ? pos.nOffset : tl);
  int widthB = B->pText ? GetTextWidth(B->pText, TextLength(B)) : 0;
  if (widthA + widthB > SECEDIT_MAX_LINE) return SECEDIT_LINE_TOO_LONG;
  if (bUndo) BeginUndoGroup(TRUE);
  int r = PadLine(pos, bUndo);
  int joinOff = TextLength(A);
  // A line without a line end of its own (text appended after it) gets none back on undo.
  const BYTE noLineEnd = A->nLength == joinOff ? 1 : 0;
  if (!r) r = ReplaceBytes(A, joinOff, A->nLength - joinOff, B->pText, B->nLength);
  if (!r) {
    const int no = NumberOf(A);
    UnlinkLine(B);
    FreeLine(B);
    ++m_nLinesFreed;
    if (--m_nLineCount < 1) m_nLineCount = 1;
    ShiftNumbers((uint32_t)no + 1, -1, nullptr, nullptr, 0);
    if (bUndo) {
      AddRecord(SECUNDO_JOINLINES, no, joinOff, no + 1, 0, nullptr, noLineEnd);
    }
    SetModified(TRUE);
  }
  if (bUndo) BeginUndoGroup(FALSE);
  return r;
}

char* SECEdit::GetText(const SECEditPos& start, const SECEditPos& end, int* pnLength) {
  if (pnLength) *pnLength = 0;
  if (!start.pLine || !end.pLine) return nullptr;
  SECEditPos a = start, b = end;
  if (!PosLessEqual(a, b)) {
    if (!PosLessEqual(b, a)) return nullptr;
    std::swap(a, b);
  }
  a.nOffset = Clamp(a.nOffset, 0, TextLength(a.pLine));
  b.nOffset = Clamp(b.nOffset, 0, TextLength(b.pLine));
  size_t size = 0;
  if (a.pLine == b.pLine) {
    size = b.nOffset > a.nOffset ? (size_t)(b.nOffset - a.nOffset) : 0;
  } else {
    size = (size_t)(a.pLine->nLength - a.nOffset) + (size_t)b.nOffset;
    for (tagLINEDESC* p = a.pLine->pNext; p != b.pLine; p = p->pNext) size += (size_t)p->nLength;
  }
  char* out = static_cast<char*>(calloc(1, size + 16));
  if (!out) return nullptr;
  size_t o = 0;
  if (a.pLine == b.pLine) {
    if (size) memcpy(out, a.pLine->pText + a.nOffset, size);
    o = size;
  } else {
    int n = a.pLine->nLength - a.nOffset;
    if (n > 0) memcpy(out, a.pLine->pText + a.nOffset, (size_t)n);
    o = (size_t)n;
    for (tagLINEDESC* p = a.pLine->pNext; p != b.pLine; p = p->pNext) {
      if (p->nLength) memcpy(out + o, p->pText, (size_t)p->nLength);
      o += (size_t)p->nLength;
    }
    if (b.nOffset) memcpy(out + o, b.pLine->pText, (size_t)b.nOffset);
    o += (size_t)b.nOffset;
  }
  int len = (int)o;
  if (m_nLineEndMode != 0) len = ConvertLineEnds(out, len, 0);
  if (pnLength) *pnLength = len;
  return out;
}

// ---- Column blocks ----

char* SECEdit::GetColumnBlock(const SECEditPos& start, const SECEditPos& end, int* pnLength) {
  if (pnLength) *pnLength = 0;
  if (!start.pLine || !end.pLine) return nullptr;
  SECEditPos a = start, b = end;
  if (!PosLessEqual(a, b)) {
    if (!PosLessEqual(b, a)) return nullptr;
    std::swap(a, b);
  }
  int c1 = OffsetToColumn(a.pLine, a.nOffset), c2 = OffsetToColumn(a.pLine, b.nOffset);
  int left = c1 < c2 ? c1 : c2, right = c1 < c2 ? c2 : c1;
  std::string block;
  for (tagLINEDESC* p = a.pLine;; p = p->pNext) {
    int n = 0;
    char* exp = ExpandTabs(p->pText ? p->pText : "", TextLength(p), m_nTabSize, m_nLineEndLength, &n);
    if (!exp) return nullptr;
    for (int c = left; c < right; ++c) block += c < n ? exp[c] : ' ';
    free(exp);
    if (p == b.pLine) break;
    block.append(m_szLineEnd, (size_t)m_nLineEndLength);
  }
  char* out = static_cast<char*>(calloc(1, block.size() + 16));
  if (!out) return nullptr;
  memcpy(out, block.data(), block.size());
  int len = (int)block.size();
  if (m_nLineEndMode != 0) len = ConvertLineEnds(out, len, 0);
  if (pnLength) *pnLength = len;
  return out;
}

// Column edits are recorded line by line (exact bytes at true offsets) inside one group, so one
// undo restores short lines and tabs exactly.
int SECEdit::DeleteColumnBlock(SECEditPos& start, SECEditPos& end, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (!start.pLine || !end.pLine) return SECEDIT_NO_SELECTION;
  SECEditPos a = start, b = end;
  if (!PosLessEqual(a, b)) {
    if (!PosLessEqual(b, a)) return SECEDIT_NO_SELECTION;
    std::swap(a, b);
  }
  int c1 = OffsetToColumn(a.pLine, a.nOffset), c2 = OffsetToColumn(a.pLine, b.nOffset);
  int left = c1 < c2 ? c1 : c2, right = c1 < c2 ? c2 : c1;
  if (right <= left) return 0;
  if (bUndo) BeginUndoGroup(TRUE);
  int no = NumberOf(a.pLine);
  for (tagLINEDESC* p = a.pLine;; p = p->pNext, ++no) {
    int tl = TextLength(p);
    int o1 = Clamp(ColumnToOffset(p, left), 0, tl), o2 = Clamp(ColumnToOffset(p, right), 0, tl);
    if (o2 > o1) {
      std::string bytes(p->pText + o1, (size_t)(o2 - o1));
      ReplaceBytes(p, o1, o2 - o1, nullptr, 0);
      if (bUndo) AddRecord(SECUNDO_DELETETEXT, no, o1, no, o2, bytes.c_str());
      SetModified(TRUE);
    }
    if (p == b.pLine) break;
  }
  if (bUndo) BeginUndoGroup(FALSE);
  return 0;
}

int SECEdit::InsertColumnBlock(SECEditPos& pos, const char* pText, int nLength, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (!pos.pLine) return SECEDIT_NO_TEXT;
  if (!pText) return 0;
  if (nLength < 0) nLength = (int)strlen(pText);
  if (const void* nul = memchr(pText, 0, (size_t)nLength)) nLength = (int)((const char*)nul - pText);
  if (nLength == 0) return 0;
  char* buf = static_cast<char*>(malloc((size_t)nLength + 1));
  if (!buf) return SECEDIT_OUT_OF_MEMORY;
  memcpy(buf, pText, (size_t)nLength);
  buf[nLength] = 0;
  int n = ConvertLineEnds(buf, nLength, m_nLineEndMode);
  std::string text(buf, (size_t)n);
  free(buf);
  // Rows of the block; after the conversion every line end is the store's own.
  std::vector<std::string> rows;
  const std::string le(m_szLineEnd, (size_t)m_nLineEndLength);
  for (size_t p = 0; p < text.size();) {
    size_t q = text.find(le, p);
    if (q == std::string::npos) q = text.size();
    rows.push_back(text.substr(p, q - p));
    p = q + le.size();
  }
  if (rows.empty() || rows[0].empty()) return 0;
  int width = (int)rows[0].size();
  int col = OffsetToColumn(pos.pLine, pos.nOffset);
  if (bUndo) BeginUndoGroup(TRUE);
  int result = 0;
  tagLINEDESC* line = pos.pLine;
  for (size_t i = 0; i < rows.size() && !result; ++i) {
    if (i > 0) {
      if (!line->pNext) {
        // The block runs past the last line: the text grows by a line.
        SECEditPos e{line, TextLength(line)};
        if ((result = SplitLine(e, bUndo)) != 0) break;
      }
      line = line->pNext;
    }
    SECEditPos p{line, ColumnToOffset(line, col)};
    if ((result = PadLine(p, bUndo)) != 0) break;
    // Short rows are padded to the block's width.
    std::string row = rows[i].substr(0, (size_t)width);
    row.resize((size_t)width, ' ');
    if ((result = ReplaceBytes(line, p.nOffset, 0, row.data(), width)) != 0) break;
    if (bUndo) {
      int no = NumberOf(line);
      AddRecord(SECUNDO_INSERTTEXT, no, p.nOffset, no, p.nOffset + width, row.c_str());
    }
    SetModified(TRUE);
  }
  if (bUndo) BeginUndoGroup(FALSE);
  return result;
}

// ---- Undo log ----

int SECEdit::AddUndoRecord(const SECEditUndoRecord& record, const char* pszText, BOOL bTakeText) {
  char* taken = bTakeText ? const_cast<char*>(pszText) : nullptr;
  if (!m_pUndo) {
    free(taken);
    return 0;
  }
  if (m_nUndoPos >= SECEDIT_UNDO_SIZE) {
    // Dropping the oldest records must not cut into the group being written: it becomes one record.
    int first = m_nUndoPos;
    while (m_dwUndoGroup != 0 && first > 0 && m_pUndo[first - 1].dwGroup == m_dwUndoGroup) --first;
    if (first < m_nUndoPos && first < SECEDIT_UNDO_DROP) FoldOpenGroup();
    else DropOldestUndo();
  }
  SECEditUndoRecord r{};
  r.nKind = record.nKind;
  r.nLine = record.nLine;
  r.nOffset = record.nOffset;
  r.dwGroup = m_dwUndoGroup;
  if (HasText(record.nKind)) {
    r.nEndLine = record.nEndLine;
    r.nEndOffset = record.nEndOffset;
    bool empty = r.nLine == r.nEndLine && r.nOffset == r.nEndOffset;
    if (!empty && pszText) {
      r.pText = taken ? taken : strdup(pszText);
      taken = nullptr;
      if (!r.pText) return 0;
    }
    if (r.nLine > r.nEndLine) {
      std::swap(r.nLine, r.nEndLine);
      std::swap(r.nOffset, r.nEndOffset);
    }
  } else if (record.nKind == SECUNDO_SPLITLINE || record.nKind == SECUNDO_JOINLINES) {
    r.nEndLine = record.nEndLine;
    r.nEndOffset = record.nEndOffset;
    r.chChar = record.chChar;
  } else if (IsCharKind(record.nKind)) {
    r.chChar = record.chChar;
    if (record.nKind == SECUNDO_OVERWRITECHAR) r.chOldChar = record.chOldChar;
  }
  free(taken);
  // A new edit ends what could have been redone, the clean position with it.
  if (m_nCleanUndoPos > m_nUndoPos) m_nCleanUndoPos = -1;
  int top = m_nUndoCount > m_nUndoPos ? m_nUndoCount : m_nUndoPos;
  for (int i = m_nUndoPos; i < top && i < SECEDIT_UNDO_SIZE; ++i) FreeRecord(m_pUndo[i]);
  m_pUndo[m_nUndoPos] = r;
  ++m_nUndoPos;
  m_nUndoCount = m_nUndoPos;
  return 1;
}

void SECEdit::DropOldestUndo() {
  if (!m_pUndo) return;
  // The oldest 512, and the rest of a group they end inside: a step goes whole or not at all.
  int n = SECEDIT_UNDO_DROP;
  while (n < SECEDIT_UNDO_SIZE && m_pUndo[n].dwGroup != 0 && m_pUndo[n].dwGroup == m_pUndo[n - 1].dwGroup) ++n;
  for (int i = 0; i < n; ++i) FreeRecord(m_pUndo[i]);
  memmove(m_pUndo, m_pUndo + n, sizeof(SECEditUndoRecord) * (size_t)(SECEDIT_UNDO_SIZE - n));
  memset(m_pUndo + (SECEDIT_UNDO_SIZE - n), 0, sizeof(SECEditUndoRecord) * (size_t)n);
  m_nUndoPos = m_nUndoPos > n ? m_nUndoPos - n : 0;
  m_nUndoCount = m_nUndoCount > n ? m_nUndoCount - n : 0;
  m_nCleanUndoPos = m_nCleanUndoPos >= n ? m_nCleanUndoPos - n : -1;
}

// The records of the open group at the top of the log move into its first record, which becomes
// (or already is) a compound one.
void SECEdit::FoldOpenGroup() {
  int first = m_nUndoPos;
  while (first > 0 && m_pUndo[first - 1].dwGroup == m_dwUndoGroup) --first;
  SECEditUndoRecord& head = m_pUndo[first];
  if (head.nKind != SECUNDO_GROUP) {
    SECEditUndoRecord compound{};
    compound.nKind = SECUNDO_GROUP;
    compound.nLine = head.nLine;
    compound.nOffset = head.nOffset;
    compound.dwGroup = head.dwGroup;
    compound.pSteps = new std::vector<SECEditUndoRecord>{head};
    head = compound;
  }
  head.pSteps->insert(head.pSteps->end(), m_pUndo + first + 1, m_pUndo + m_nUndoPos);
  memset(m_pUndo + first + 1, 0, sizeof(SECEditUndoRecord) * (size_t)(m_nUndoPos - first - 1));
  // A clean state inside the group can no longer be reached.
  if (m_nCleanUndoPos > first) m_nCleanUndoPos = -1;
  m_nUndoPos = m_nUndoCount = first + 1;
}

const SECEditUndoRecord& SECEdit::StepEdge(const SECEditUndoRecord& rec, bool bLast) {
  if (rec.nKind != SECUNDO_GROUP || !rec.pSteps || rec.pSteps->empty()) return rec;
  return bLast ? rec.pSteps->back() : rec.pSteps->front();
}

void SECEdit::ClearUndo() {
  if (m_pUndo) {
    for (int i = 0; i < SECEDIT_UNDO_SIZE; ++i) FreeRecord(m_pUndo[i]);
  }
  m_nUndoPos = m_nUndoCount = 0;
  m_nCleanUndoPos = 0;
}

void SECEdit::ResetUndo() {
  m_nUndoPos = m_nUndoCount = 0;
  m_nCleanUndoPos = 0;
  m_dwUndoGroup = 0;
}

void SECEdit::BeginUndoGroup(BOOL bOpen) {
  if (bOpen) {
    if (t_nGroupDepth++ == 0) {
      uint32_t stamp = ++g_nNextGroupStamp;
      if (stamp == 0) stamp = ++g_nNextGroupStamp;
      m_dwUndoGroup = stamp;
    }
  } else {
    if (t_nGroupDepth > 0) --t_nGroupDepth;
    if (t_nGroupDepth == 0) m_dwUndoGroup = 0;
  }
}

// The lines of a record's positions. The start line outlives every operation a record calls, so the
// steps of a compound record find their lines from the one before.
void SECEdit::StepLines(const SECEditUndoRecord& rec, SECEditPos& P, SECEditPos& E, tagLINEDESC** ppHint) {
  tagLINEDESC* hint = ppHint ? *ppHint : nullptr;
  P = SECEditPos{rec.nLine < 1 ? GetLine(rec.nLine) : FindLine(rec.nLine, hint), rec.nOffset};
  E = SECEditPos{rec.nEndLine < 1 ? GetLine(rec.nEndLine) : FindLine(rec.nEndLine, P.pLine, hint), rec.nEndOffset};
  if (ppHint) *ppHint = P.pLine;
}

int SECEdit::DoUndo(const SECEditUndoRecord& rec, tagLINEDESC** ppHint) {
  if (rec.nKind == SECUNDO_GROUP) {
    tagLINEDESC* hint = nullptr;
    for (auto it = rec.pSteps->rbegin(); it != rec.pSteps->rend(); ++it) DoUndo(*it, &hint);
    return 0;
  }
  SECEditPos P, E;
  StepLines(rec, P, E, ppHint);
  switch (rec.nKind) {
    case SECUNDO_INSERTCHAR: return DeleteChar(P, FALSE);
    case SECUNDO_DELETECHAR: return InsertChar(P, rec.chChar, TRUE, FALSE);
    case SECUNDO_DELETETEXT: return InsertText(P, rec.pText, -1, FALSE);
    case SECUNDO_INSERTTEXT:
    case SECUNDO_INSERTFILE: return DeleteText(P, E, FALSE);
    case SECUNDO_SPLITLINE: return JoinLines(P, FALSE);
    case SECUNDO_JOINLINES: {
      int r = SplitLine(P, FALSE);
      const int at = TextLength(P.pLine);
      if (!r && rec.chChar) r = ReplaceBytes(P.pLine, at, P.pLine->nLength - at, nullptr, 0);
      return r;
    }
    case SECUNDO_OVERWRITECHAR:
      if (rec.chOldChar == (BYTE)m_szLineEnd[0]) return DeleteChar(P, FALSE);
      return InsertChar(P, rec.chOldChar, FALSE, FALSE);
    case SECUNDO_DELETEBLOCK: return InsertColumnBlock(P, rec.pText, -1, FALSE);
    case SECUNDO_INSERTBLOCK: {
      SECEditPos e2{GetLine(rec.nEndLine - 1 > rec.nLine ? rec.nEndLine - 1 : rec.nLine), rec.nEndOffset};
      return DeleteColumnBlock(P, e2, FALSE);
    }
    default: return 0;
  }
}

int SECEdit::DoRedo(const SECEditUndoRecord& rec, tagLINEDESC** ppHint) {
  if (rec.nKind == SECUNDO_GROUP) {
    tagLINEDESC* hint = nullptr;
    for (const SECEditUndoRecord& step : *rec.pSteps) DoRedo(step, &hint);
    return 0;
  }
  SECEditPos P, E;
  StepLines(rec, P, E, ppHint);
  switch (rec.nKind) {
    case SECUNDO_INSERTCHAR: return InsertChar(P, rec.chChar, TRUE, FALSE);
    case SECUNDO_DELETECHAR: return DeleteChar(P, FALSE);
    case SECUNDO_DELETETEXT: return DeleteText(P, E, FALSE);
    case SECUNDO_INSERTTEXT: return InsertText(P, rec.pText, -1, FALSE);
    case SECUNDO_SPLITLINE: return SplitLine(P, FALSE);
    case SECUNDO_JOINLINES: return JoinLines(P, FALSE);
    case SECUNDO_OVERWRITECHAR: return InsertChar(P, rec.chChar, FALSE, FALSE);
    case SECUNDO_DELETEBLOCK: return DeleteColumnBlock(P, E, FALSE);
    case SECUNDO_INSERTBLOCK: return InsertColumnBlock(P, rec.pText, -1, FALSE);
    case SECUNDO_INSERTFILE: return InsertFromFile(P, rec.pText, FALSE);
    default: return 0;
  }
}

int SECEdit::Undo() {
  if (!m_pUndo || m_nUndoPos <= 0 || m_bReadOnly) return 0;
  SECEditUndoRecord done;
  do {
    done = m_pUndo[--m_nUndoPos];
    DoUndo(done);
  } while (m_nUndoPos > 0 && m_nUndoPos != m_nCleanUndoPos && SameStep(m_pUndo[m_nUndoPos - 1], done));
  SetModified(m_nUndoPos != m_nCleanUndoPos);
  return 1;
}

int SECEdit::Redo() {
  if (!m_pUndo || m_nUndoPos >= m_nUndoCount || m_bReadOnly) return 0;
  SECEditUndoRecord done;
  do {
    done = m_pUndo[m_nUndoPos++];
    DoRedo(done);
  } while (m_nUndoPos < m_nUndoCount && m_nUndoPos != m_nCleanUndoPos && SameStep(m_pUndo[m_nUndoPos], done));
  SetModified(m_nUndoPos != m_nCleanUndoPos);
  return 1;
}
