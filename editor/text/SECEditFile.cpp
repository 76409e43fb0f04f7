// Reading, writing and renaming the files of SECEdit.
#include "editor/text/SECEdit.h"

#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kChunk = 32767;
// A work area holds one chunk plus the unfinished line carried over from the chunk before.
const int kWorkSize = kChunk + SECEDIT_MAX_LINE + 64;

// File exceptions carry the system's errno; results report the Win32 number, as GetLastError does.
int ErrorOf(const CFileException& e, int fallback) {
  if (e.m_lOsError <= 0) return fallback;
  DWORD err = Win32ErrorFromErrno((int)e.m_lOsError);
  return err > 0 && err < 21000 ? (int)err : fallback;
}

int LastErrorOr(int fallback) {
  DWORD err = GetLastError();
  return err > 0 && err < 21000 ? (int)err : fallback;
}

bool IsReadOnlyFile(const char* pszPath) {
  DWORD attr = GetFileAttributes(pszPath);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY) && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads up to n bytes; -1 on a failed read.
int ReadChunk(CFile* pFile, char* p, int n) {
  try {
    return (int)pFile->Read(p, (UINT)n);
  } catch (CFileException* e) {
    e->Delete();
    return -1;
  }
}

}  // namespace

void SECEdit::CloseKeptFile() {
  if (!m_pFile) return;
  m_pFile->Abort();
  delete m_pFile;
  m_pFile = nullptr;
}

int SECEdit::KeepFileOpen(const char* pszPath) {
  CFile* f = new CFile;
  CFileException ex;
  if (!f->Open(pszPath, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &ex)) {
    delete f;
    return ErrorOf(ex, SECEDIT_CANT_READ);
  }
  m_pFile = f;
  return 0;
}

int SECEdit::ReadLinesFromHandle(CFile* pFile, char* pBuffer, int nChunk, tagLINEDESC** ppFirst, int* pnLines) {
  if (pnLines) *pnLines = 0;
  if (!pFile) return SECEDIT_CANT_READ;
  if (nChunk <= 0 || nChunk > kChunk) nChunk = kChunk;
  std::vector<char> own;
  char* work = pBuffer;
  if (!work) {
    own.resize((size_t)nChunk + SECEDIT_MAX_LINE + 64);
    work = own.data();
  }
  int n = ReadChunk(pFile, work, nChunk);
  if (n < 0) return SECEDIT_CANT_READ;
  if (n == 0) {
    if (ppFirst) *ppFirst = nullptr;
    return 0;
  }
  work[n] = 0;
  int mode = DetectLineEndMode(work, n);
  if (mode < 0) {
    if (n >= SECEDIT_MAX_LINE) return SECEDIT_LINE_TOO_LONG;
    mode = 0;
  }
  SetLineEndMode(mode);
  if (HasNulls(work, n)) return SECEDIT_NULLS_IN_FILE;

  tagLINEDESC* head = nullptr;
  tagLINEDESC* tail = nullptr;
  int lines = 0;
  bool warned = false;
  int have = n;
  bool full = n == nChunk;
  // Lines of a file are cut into shared chunks of memory (see NewLineIn).
  struct ArenaScope {
    SECLineArena* arena = NewArena();
    ~ArenaScope() { EndArena(arena); }
  } scope;
  for (;;) {
    // Lines are cut while more may follow; the unfinished last one waits for the next chunk.
    int used = full ? MakeLines(work, have, false, &warned, &head, &tail, &lines, scope.arena) : 0;
    if (used < 0) {
      FreeLineList(head);
      return SECEDIT_OUT_OF_MEMORY;
    }
    int carry = have - used;
    if (carry > 0 && used > 0) memmove(work, work + used, (size_t)carry);
    int got = full ? ReadChunk(pFile, work + carry, nChunk) : 0;
    if (got < 0 || (got > 0 && HasNulls(work + carry, got))) {
      FreeLineList(head);
      return SECEDIT_CANT_READ;
    }
    have = carry + got;
    if (got == nChunk) continue;
    // The end of the file: a final Ctrl-Z is no part of the text.
    if (have > 0 && work[have - 1] == 26) --have;
    if (MakeLines(work, have, true, &warned, &head, &tail, &lines, scope.arena) < 0) {
      FreeLineList(head);
      return SECEDIT_OUT_OF_MEMORY;
    }
    break;
  }
  if (pnLines) *pnLines = lines;
  if (ppFirst) {
    *ppFirst = head;
  } else if (head) {
    FreeLineList(m_pLine);
    ++m_nLinesFreed;
    m_pLine = head;
    m_nLineCount = lines;
    TextChangedAt(0);
  }
  return 0;
}

int SECEdit::ReadFromFile(const char* pszPath) {
  if (!pszPath || !*pszPath) return ERROR_FILE_NOT_FOUND;
  char* buffer = static_cast<char*>(calloc(1, kWorkSize));
  if (!buffer) return SECEDIT_OUT_OF_MEMORY;
  CloseKeptFile();
  CFile* f = new CFile;
  CFileException ex;
  if (!f->Open(pszPath, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &ex)) {
    delete f;
    free(buffer);
    return ErrorOf(ex, SECEDIT_CANT_READ);
  }
  // The file is read into a new list; the current text is replaced only when all went well.
  int oldMode = m_nLineEndMode;
  tagLINEDESC* first = nullptr;
  int count = 0;
  int r = ReadLinesFromHandle(f, buffer, kChunk, &first, &count);
  free(buffer);
  if (r) {
    f->Abort();
    delete f;
    SetLineEndMode(oldMode);
    return r;
  }
  if (!first) {
    first = NewLine(32);
    if (!first) {
      f->Abort();
      delete f;
      SetLineEndMode(oldMode);
      return SECEDIT_OUT_OF_MEMORY;
    }
    first->nLength = 0;
    count = 1;
  }
  FreeLineList(m_pLine);
  ++m_nLinesFreed;
  m_pLine = first;
  m_nLineCount = count;  // the lines come numbered
  m_numberShifts.clear();
  TextChangedAt(0);
  // Records of the old text would edit the new one.
  ClearUndo();
  if (IsReadOnlyFile(pszPath)) SetReadOnly(TRUE);
  if (m_bLockFiles) {
    m_pFile = f;
  } else {
    f->Abort();
    delete f;
  }
  return 0;
}

int SECEdit::WriteToFile(const char* pszPath) {
  if (!pszPath || !*pszPath) return ERROR_INVALID_NAME;
  // The name is looked up once for the checks and the save, so that a crowded folder is searched
  // for another case only once.
  const std::string native = ResolvePath(pszPath);
  struct stat st;
  const bool exists = stat(native.c_str(), &st) == 0;
  if (exists && IsReadOnlyFile(native.c_str())) return SECEDIT_READONLY;
  CloseKeptFile();
  if (exists) {
    // A file that others keep from writing (or a folder) is not replaced either.
    CFile probe;
    CFileException ex;
    if (!probe.Open(native.c_str(),
                    CFile::modeReadWrite | CFile::modeNoTruncate | CFile::shareDenyNone | CFile::typeBinary, &ex))
      return ErrorOf(ex, ERROR_ACCESS_DENIED);
    probe.Abort();
  }
  // The new text goes to a file beside the old one, which it replaces only once complete and on the
  // disk; the temporary file is written only through the descriptor that made it.
  CSaveBeside save(pszPath, native);
  int code = 0;
  {
    CFile f;
    CFileException ex;
    if (!f.OpenBeside(save, pszPath, CFile::modeReadWrite | CFile::shareDenyWrite | CFile::typeBinary, &ex))
      return ErrorOf(ex, ERROR_CANNOT_MAKE);
    try {
      std::vector<char> out;
      out.reserve(1 << 16);
      for (tagLINEDESC* p = GetFirstLine(m_pLine); p; p = p->pNext) {
        if (p->pText && p->nLength > 0) out.insert(out.end(), p->pText, p->pText + p->nLength);
        if (out.size() >= (1 << 16) - 64 || !p->pNext) {
          if (!out.empty()) f.Write(out.data(), (UINT)out.size());
          out.clear();
        }
      }
      f.Close();
    } catch (CFileException* e) {
      code = ErrorOf(*e, ERROR_WRITE_FAULT);
      e->Delete();
      f.Abort();
    }
  }
  if (!code && !save.Commit()) code = LastErrorOr(ERROR_WRITE_FAULT);
  if (code) return code;
  if (m_bLockFiles) code = KeepFileOpen(pszPath);
  SetModified(FALSE);
  MarkClean();
  return code;
}

int SECEdit::RenameFile(const char* pszOldPath, const char* pszNewPath) {
  if (!pszOldPath || !pszNewPath) return SECEDIT_CANT_READ;
  if (CString(pszOldPath).CompareNoCase(pszNewPath) == 0) return 0;
  bool kept = m_pFile != nullptr;
  CloseKeptFile();
  int code = 0;
  DWORD srcAttr = GetFileAttributes(pszOldPath);
  if (srcAttr == INVALID_FILE_ATTRIBUTES)
    code = SECEDIT_CANT_READ;
  else if (IsReadOnlyFile(pszNewPath))
    code = SECEDIT_READONLY;  // the target may not be replaced
  else if (!MoveFileEx(pszOldPath, pszNewPath, MOVEFILE_REPLACE_EXISTING))
    code = LastErrorOr(SECEDIT_CANT_READ);
  if (kept) {
    // The lock follows the file to wherever it now is.
    int r = KeepFileOpen(code ? pszOldPath : pszNewPath);
    if (!code) code = r;
  }
  return code;
}

int SECEdit::InsertFromFile(SECEditPos& pos, const char* pszPath, BOOL bUndo) {
  if (m_bReadOnly) return SECEDIT_READONLY;
  if (!pos.pLine) return SECEDIT_NO_TEXT;
  SECEdit scratch;
  scratch.m_nTabSize = m_nTabSize;
  scratch.m_bLockFiles = FALSE;
  if (int r = scratch.ReadFromFile(pszPath)) return r;
  tagLINEDESC* first = GetFirstLine(scratch.m_pLine);
  if (!first->pNext && first->nLength == 0) return 0;  // an empty file adds nothing
  // The file's lines take this text's line end, the last one included, as they go before a line.
  int k = 0;
  tagLINEDESC* last = first;
  for (tagLINEDESC* p = first; p; p = p->pNext) {
    int body = scratch.TextLength(p);
    if (p->nLength != body + m_nLineEndLength || !EndsWithLineEnd(p)) {
      if (ReplaceLineBytes(p, body, p->nLength - body, m_szLineEnd, m_nLineEndLength)) return SECEDIT_OUT_OF_MEMORY;
    }
    ++k;
    last = p;
  }
  scratch.m_pLine = NewLine(64);
  if (scratch.m_pLine) scratch.m_pLine->nLength = 0;
  tagLINEDESC* at = pos.pLine;
  int no = NumberOf(at);
  TextChangedAt((uint32_t)(no - 1));
  first->pPrev = at->pPrev;
  if (at->pPrev) at->pPrev->pNext = first;
  last->pNext = at;
  at->pPrev = last;
  if (m_pLine == at) m_pLine = first;
  pos.pLine = first;
  pos.nOffset = 0;
  ShiftNumbers((uint32_t)(no - 1), k, first, last, (uint32_t)no);
  m_nLineCount += k;
  SetModified(TRUE);
  if (bUndo) AddRecord(SECUNDO_INSERTFILE, no, 0, no + k, 0, pszPath);
  return 0;
}
