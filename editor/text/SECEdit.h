// The editor's text object: a text as a linked list of lines, its file I/O, its settings and its undo log.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <vector>

class CFile;
class CWnd;
struct HWND__;
struct SECLineArena;

// Marks kept in a line's flags word.
#define LINE_BOOKMARK 0x04u
#define LINE_BREAKPOINT 0x08u
#define LINE_BREAKPOINT_ENABLED 0x10u
#define LINE_CURRENT_STMT 0x20u
#define LINE_CURRENT_ERROR 0x40u
#define LINE_SELSTART 0x800u
#define LINE_SELEND 0x1000u

// Result codes of the store and of the edit operations; the same ids are string-table texts.
#define SECEDIT_READONLY 21000
#define SECEDIT_CLIPBOARD_EMPTY 21001
#define SECEDIT_CANT_READ 21002
#define SECEDIT_LINE_TOO_LONG 21003
#define SECEDIT_OUT_OF_MEMORY 21004
#define SECEDIT_END_OF_FILE 21005
#define SECEDIT_NO_SELECTION 21006
#define SECEDIT_UNTITLED 21007
#define SECEDIT_TOP_OF_FILE 21008
#define SECEDIT_NO_TEXT 21009
#define SECEDIT_STREAM_ONLY 21010
#define SECEDIT_NOT_FOUND 21011
#define SECEDIT_WRAPPED 21012
#define SECEDIT_FINISHED_SEARCH 21013
#define SECEDIT_JOIN_LINE 21014
#define SECEDIT_DELETE_LINE 21015
#define SECEDIT_NULLS_IN_FILE 21035
#define SECEDIT_LONG_LINES 21036

// Cached block-comment state of a line (style 1 and 2 open at its start), valid below the watermark.
#define LINE_CMT_KNOWN 0x10000u
#define LINE_CMT_STYLE1 0x20000u
#define LINE_CMT_STYLE2 0x40000u

// The line lives in a shared chunk of a loaded text (its block is not freed on its own).
#define LINE_IN_CHUNK 0x00400000u
// The edit count a line's number was last brought up to date at (see SECEdit::LineNumber).
#define LINE_NUMBER_EPOCH_SHIFT 23
#define LINE_NUMBER_EPOCH_MASK 0xFF800000u
#define SECEDIT_MAX_SHIFTS 500
// The epoch of lines numbered by SECEdit::RenumberLines, beyond every epoch of a log of moves.
#define LINE_NUMBER_RENUMBERED LINE_NUMBER_EPOCH_MASK

// Widest line in display columns, line end included.
#define SECEDIT_MAX_LINE 16384
#define SECEDIT_UNDO_SIZE 2048
#define SECEDIT_UNDO_DROP 512

// One line of a text, allocated zero-filled by SECEdit::NewLine (record and first text buffer in
// one block) and released only with SECEdit::FreeLine or SECEdit::FreeLineList.
struct tagLINEDESC {
  tagLINEDESC* pNext;
  tagLINEDESC* pPrev;
  char* pText;        // the bytes, line end included, NUL-terminated; null only for a record made with size 0
  int32_t nLength;    // bytes of text, line end included
  int32_t nCapacity;  // bytes allocated for pText
  uint32_t nLineNumber;  // 1-based; read it through SECEdit::LineNumber, which brings it up to date
  int16_t nSelStartCol;  // view state of the editor core; the store never changes it
  int16_t nSelEndCol;
  uint32_t dwFlags;
};
typedef tagLINEDESC LINEDESC;

// A text position: a line and a byte offset into it (may lie beyond the text: virtual space).
struct SECEditPos {
  tagLINEDESC* pLine = nullptr;
  int32_t nOffset = 0;
};

// A search request of the find: filled by the caller, nMatchLen and strExpansion set by SECEdit::FindText.
#define SECFIND_MATCHCASE 4u
#define SECFIND_DOWN 8u
#define SECFIND_REGEXP 64u
#define SECFIND_MAX_TEXT 16384
struct SECFindParams {
  uint32_t nFlags = 0;
  int32_t nMatchLen = 0;
  char* pszFind = nullptr;
  char* pszReplace = nullptr;  // the replacement template, or null
  CString strExpansion;        // a regular expression's template expanded for the match found
};

// Undo record kinds.
enum {
  SECUNDO_INSERTCHAR = 1,
  SECUNDO_DELETECHAR = 2,
  SECUNDO_DELETETEXT = 3,
  SECUNDO_INSERTTEXT = 4,
  SECUNDO_NONE = 5,
  SECUNDO_SPLITLINE = 6,
  SECUNDO_JOINLINES = 7,
  SECUNDO_OVERWRITECHAR = 8,
  SECUNDO_DELETEBLOCK = 9,
  SECUNDO_INSERTBLOCK = 10,
  SECUNDO_INSERTFILE = 11,
  // A group too large for the log, kept as one record so that it is undone whole.
  SECUNDO_GROUP = 12,
};

// One slot of the keyword hash table.
struct SECKeyword {
  char szText[24];
  int32_t nLength;
  int32_t nColor;  // -1 until first looked up
};
#define SECEDIT_KEYWORD_SLOTS 2048
#define SECEDIT_INDEX_STEP 1024
#define SECEDIT_SEARCH_SCRATCH 16416

// One entry of the undo log; positions are line numbers and true byte offsets.
struct SECEditUndoRecord {
  int32_t nKind;
  int32_t nLine;
  int32_t nOffset;
  int32_t nEndLine;
  int32_t nEndOffset;
  BYTE chChar;
  BYTE chOldChar;
  uint32_t dwGroup;
  char* pText;  // owned, NUL-terminated (kinds 3, 4, 9, 10, 11)
  std::vector<SECEditUndoRecord>* pSteps;  // owned, kind 12: the group's records, oldest first
};

class SECEdit {
 public:
  SECEdit();
  virtual ~SECEdit();
  SECEdit(const SECEdit&) = delete;
  SECEdit& operator=(const SECEdit&) = delete;

  // Settings and flags. Edits mark the text through SetModified so a derived object can watch.
  virtual BOOL IsModified();
  virtual BOOL SetModified(BOOL bModified);
  virtual BOOL SetLockFiles(BOOL bLock);
  virtual BOOL GetLockFiles();
  virtual BOOL SetReadOnly(BOOL bReadOnly);
  virtual BOOL IsReadOnly();
  virtual BOOL SetWordWrap(BOOL bWrap);
  virtual BOOL GetWordWrap();
  virtual BOOL SetInsertMode(BOOL bInsert);
  virtual BOOL GetInsertMode();
  virtual int SetTabSize(int nTabSize);
  virtual int GetTabSize();
  // Syntax settings are read here first by LoadSettings; the syntax-colouring layer overrides it.
  virtual void LoadSyntaxSettings();

  void SetProfileSection(const char* pszSection);
  void ClearProfileSection();
  void LoadSettings();
  void SetLineEndMode(int nMode);
  int GetLineEndLength() const { return m_nLineEndLength; }
  void FreeAll();
  void ForgetFileHandle();

  // List operations.
  static tagLINEDESC* NewLine(int nSize);
  static int FreeLine(tagLINEDESC* pLine);
  static int GrowLine(tagLINEDESC* pLine, int n);
  static int InsertLineBefore(tagLINEDESC* pNew, tagLINEDESC* pLine);
  static int InsertLineAfter(tagLINEDESC* pNew, tagLINEDESC* pLine);
  static int UnlinkLine(tagLINEDESC* pLine);
  static int FreeLineList(tagLINEDESC* pLine);
  // Moves whenever any line anywhere is freed: a line pointer kept since it last moved is still alive.
  static uint64_t LinesFreedEver();
  // The text's last line, walked to from pHint when no line anywhere was freed since LinesFreedEver()
  // read nSeen (pHint may then still be in the text), else from the first line.
  tagLINEDESC* LastLineFrom(tagLINEDESC* pHint, uint64_t nSeen);
  static tagLINEDESC* GetFirstLine(tagLINEDESC* pLine, int* pnPosition = nullptr);
  static tagLINEDESC* GetLastLine(tagLINEDESC* pLine);
  static int RenumberLines(tagLINEDESC* pLine);
  // The number a line holds, as last brought up to date (a bare list's own numbering).
  static uint32_t GetLineNumber(const tagLINEDESC* pLine) { return pLine ? pLine->nLineNumber : 0; }
  // Numbers the whole text afresh and forgets the pending moves; returns the line count.
  int RenumberAll();
  // A line's number. Edits that add or remove lines do not renumber the lines below: they log how numbers
  // above a point move, and a line catches up with the moves logged since it was last numbered.
  uint32_t LineNumber(tagLINEDESC* pLine) const;
  // Numbers new lines pFirst.. (to pLast, or to the end when null) from nFirst as current.
  void NumberNewLines(tagLINEDESC* pFirst, tagLINEDESC* pLast, uint32_t nFirst) const;
  // After lines were added or removed: numbers above nAbove move by nDelta; the new lines pFirst..pLast
  // are numbered from nFirst.
  void ShiftNumbers(uint32_t nAbove, int32_t nDelta, tagLINEDESC* pFirst, tagLINEDESC* pLast, uint32_t nFirst);
  // Links a new chain of nLines lines in at the end, numbered and counted: after a non-empty last line, or
  // before an empty one, which stays last. pEnd is the last line when the caller knows it. Returns the
  // empty line that moved down, or null.
  tagLINEDESC* AppendLines(tagLINEDESC* pFirst, tagLINEDESC* pLast, int nLines, tagLINEDESC* pEnd = nullptr);

  // Lines and measurement against this object's tab size and line end.
  tagLINEDESC* GetLine(int nNumber);
  BOOL PosLessEqual(const SECEditPos& a, const SECEditPos& b) const;
  int TextLength(const tagLINEDESC* pLine) const;  // bytes before the line end
  int OffsetToColumn(const tagLINEDESC* pLine, int nOffset) const;
  int ColumnToOffset(const tagLINEDESC* pLine, int nColumn) const;
  int GetTextWidth(const char* pText, int n) const;
  int GetFitLength(const char* pText, int n) const;
  // Returns a calloc'd copy with tabs expanded; *pnLength receives its length. Free with free().
  static char* ExpandTabs(const char* pText, int n, int nTabSize, int nLineEndLength, int* pnLength);
  static int DetectLineEndMode(const char* pText, int n);
  // Rewrites pText (a malloc'd block) with every line end in the given mode; returns the new length.
  static int ConvertLineEnds(char*& pText, int n, int nMode);
  // Cuts a text into a new chain of lines ending in this object's line end; null for an empty text.
  // The chain's lines are numbered from nFirstNumber with the given number epoch (see LineNumber).
  tagLINEDESC* SplitIntoLines(const char* pText, int n = -1, tagLINEDESC** ppLast = nullptr, int* pnLines = nullptr,
                              uint32_t nFirstNumber = 1, uint32_t dwNumberEpoch = 0);

  // Files. Results: 0, an editor code, or the platform's error code (below 21000).
  int ReadFromFile(const char* pszPath);
  // pBuffer (may be null) must hold nChunk + SECEDIT_MAX_LINE + 64 bytes. With ppFirst the lines go
  // there instead of replacing the text; *pnLines receives their count.
  int ReadLinesFromHandle(CFile* pFile, char* pBuffer, int nChunk, tagLINEDESC** ppFirst = nullptr,
                          int* pnLines = nullptr);
  int WriteToFile(const char* pszPath);
  int RenameFile(const char* pszOldPath, const char* pszNewPath);
  int InsertFromFile(SECEditPos& pos, const char* pszPath, BOOL bUndo);

  // Finds the search text from pos (to end when end.pLine is set): 1 with pos on the match, else 0.
  int FindText(SECEditPos* pPos, SECEditPos* pEnd, SECFindParams* pParams);
  static int HasNulls(const char* pBuffer, int n);

  // Edit operations: 0 or a result code; the last argument asks for undo records. They keep line
  // numbers and m_nLineCount current, and treat virtual space as padding only where they insert.
  int PadLine(SECEditPos& pos, BOOL bUndo);
  int InsertChar(SECEditPos& pos, int ch, BOOL bInsert, BOOL bUndo);
  int InsertChars(SECEditPos& pos, const char* pszText, BOOL bInsert, BOOL bUndo);
  int DeleteChar(SECEditPos& pos, BOOL bUndo);
  int DeleteChars(SECEditPos& pos, int nCount, BOOL bUndo);
  int DeleteText(SECEditPos& start, SECEditPos& end, BOOL bUndo);
  // pEnd (when not null) receives the position after the inserted text.
  int InsertText(SECEditPos& pos, const char* pText, int nLength, BOOL bUndo, SECEditPos* pEnd = nullptr);
  int SplitLine(SECEditPos& pos, BOOL bUndo);
  int JoinLines(SECEditPos& pos, BOOL bUndo);
  int DeleteColumnBlock(SECEditPos& start, SECEditPos& end, BOOL bUndo);
  int InsertColumnBlock(SECEditPos& pos, const char* pText, int nLength, BOOL bUndo);
  // New malloc'd copies with CR LF line ends (free with free()); null when a position is missing.
  char* GetText(const SECEditPos& start, const SECEditPos& end, int* pnLength = nullptr);
  char* GetColumnBlock(const SECEditPos& start, const SECEditPos& end, int* pnLength = nullptr);

  // Undo log.
  // With bTakeText the record takes over pszText (malloc'd), which is freed when it is not kept.
  int AddUndoRecord(const SECEditUndoRecord& record, const char* pszText, BOOL bTakeText = FALSE);
  int Undo();
  int Redo();
  void BeginUndoGroup(BOOL bOpen);
  uint32_t GetUndoGroup() const { return m_dwUndoGroup; }
  void ClearUndo();
  void ResetUndo();
  void DropOldestUndo();
  // The record of a step that places the caret: a compound's first or last own record.
  static const SECEditUndoRecord& StepEdge(const SECEditUndoRecord& rec, bool bLast);
  // The current undo position becomes the one at which the text is unmodified (after a save).
  void MarkClean() { m_nCleanUndoPos = m_nUndoPos; }

  // Syntax colouring: settings, keyword table and the scanners the drawing code calls.
  virtual BOOL LoadKeywords();
  void LoadWordChars();
  void FreeSyntaxBuffers();
  static int HashKeyword(const char* pszText);
  const char* FindWord(const char* pText, int* pnLength) const;
  virtual BOOL FindKeyword(const char** ppText, int* pnStart, int* pnEnd);
  COLORREF GetKeywordColor(const char* pszWord);
  // From offset nFrom on; a start inside quotes (counted from pText) is passed over.
  virtual int FindCommentStart(const char* pText, int nLength, int* pnStyle, int nFrom = 0);
  virtual int FindCommentEnd(const char* pText, int nLength, int nStyle);
  virtual BOOL IsInBlockComment(tagLINEDESC* pLine, const char* pszStart, const char* pszEnd,
                                const char* pszLineComment);
  virtual BOOL IsLineInComment(tagLINEDESC* pLine, int* pnStyle);
  static BOOL IsInQuotes(const char* pText, int nPlace, int nLength = -1);
  BOOL IsWordChar(int ch) const;
  int FindSubstring(const char* pszString, const char* pText, int nLength);
  static int FindLastSubstring(const char* pszString, const char* pText, int nLength);
  static COLORREF ParseColor(const char* pszText);
  static CString FormatColor(COLORREF cr);
  int GetIniString(const char* pszSection, const char* pszKey, const char* pszDefault, CString& strResult);
  // Block-comment state at a line's start (LINE_CMT_STYLE1/2), carried down from the nearest settled line.
  uint32_t GetCommentState(tagLINEDESC* pLine);
  // The state at the start of the line below pLine, given pLine's.
  uint32_t NextCommentState(tagLINEDESC* pLine, uint32_t nState) const;
  // Called by every change of a line's bytes and of the lines that follow it: cached comment states
  // and indexed lines below that line are stale.
  void TextChangedAt(uint32_t nLine);
  // The line of a number (the last one for a number beyond it), walked from the nearest of the
  // indexed lines and the hints (lines whose numbers are current).
  tagLINEDESC* FindLine(int nNumber, tagLINEDESC* pHint1 = nullptr, tagLINEDESC* pHint2 = nullptr);

  // The last message the store showed (not returned) and how many it showed, for callers and tests.
  static UINT ms_nLastShownMessage;
  static int ms_nShownMessages;

  tagLINEDESC* m_pLine;  // head of the line list
  SECEditUndoRecord* m_pUndo;
  BOOL m_bAutoIndent;
  int m_nBookmarks;
  int m_nUndoPos;
  uint32_t m_dwUndoGroup;
  int m_nUndoCount;
  int m_nCleanUndoPos;  // the undo position at which the text is unmodified; -1 when it is lost
  CFile* m_pFile;  // kept open while "Lock files" is on
  int m_nLineEndLength;
  char m_szLineEnd[4];
  BOOL m_bInComment;
  int m_nLineCount;  // kept current by the edit and file operations
  // Moves whenever lines of the text are freed: windows holding line pointers look them up again.
  uint32_t m_nLinesFreed = 0;
  // Moves whenever lines come or go, so that line numbers held by windows are counted again.
  uint32_t m_nLinesRenumbered = 0;
  BOOL m_bModified;
  BOOL m_bReadOnly;
  BOOL m_bWordWrap;
  int m_nTabSize;
  BOOL m_bKeepTabs;
  BOOL m_bShowTabs;
  BOOL m_bInsertMode;
  BOOL m_bLockFiles;
  int m_nLineEndMode;
  CString m_strFontName;
  int m_nFontSize;
  int m_nFontWeight;
  BOOL m_bFontItalic;
  int m_nCharSet;
  CString m_strProfileSection;

  BOOL m_bChroma;
  BOOL m_bCase;
  COLORREF m_crKeyword;
  COLORREF m_crKeywordDefault;  // the keyword colour when the table was built
  COLORREF m_crQuote;
  COLORREF m_crSQuote;
  COLORREF m_crComment;
  COLORREF m_crText;
  COLORREF m_crBackground;
  CString m_strKeywordFile;
  CString m_strKeywordSection;
  int32_t m_anExtraChars[256];
  int32_t m_anTermChars[256];
  int32_t m_anStartChars[256];
  char m_szCommentStart1[16];
  char m_szCommentEnd1[16];
  char m_szCommentStart2[16];
  char m_szCommentEnd2[16];
  SECKeyword* m_pKeywords;
  char* m_pKeywordImage;
  int m_nKeywordImageSize;
  char* m_pSearchScratch;
  HWND__* m_hFocusWnd;  // the editor window that last took the focus: only it shows the selection
  uint32_t m_nCommentValid;  // cached comment states of lines numbered up to this are current
  std::vector<tagLINEDESC*> m_lineIndex;  // [i] is line i * SECEDIT_INDEX_STEP + 1, found on demand
  // Pending moves of line numbers: entry i moves numbers above nAbove by nDelta, for lines numbered
  // before it (their epoch is at most i).
  struct NumberShift {
    uint32_t nAbove;
    int32_t nDelta;
  };
  mutable std::vector<NumberShift> m_numberShifts;

 protected:
  void AddKeywords(const char* pszNames);
  BOOL SettlesCommentState(tagLINEDESC* pLine) const;
  BOOL CarryCommentState(tagLINEDESC* pLine, BOOL bIn, const char* pszStart, const char* pszEnd,
                         const char* pszLineComment) const;
  BOOL EndsWithLineEnd(const tagLINEDESC* pLine) const;
  int MakeLines(const char* pText, int n, bool bFinal, bool* pbWarned, tagLINEDESC** ppHead, tagLINEDESC** ppTail,
                int* pnLines, SECLineArena* pArena = nullptr, uint32_t nFirstNumber = 1, uint32_t dwNumberEpoch = 0);
  static tagLINEDESC* NewLineIn(SECLineArena* pArena, int nSize);
  static SECLineArena* NewArena();
  static void EndArena(SECLineArena* pArena);
  void ShowLongLineWarning();
  static int NumberList(tagLINEDESC* pLine, uint32_t dwEpochBits);
  // Drops the log of moves once the text's lines were renumbered as a bare list (seen on the head or a probe).
  void SettleRenumbering(const tagLINEDESC* pProbe1, const tagLINEDESC* pProbe2 = nullptr) const;
  void SettleBeforeNumbering(tagLINEDESC* pFirst, tagLINEDESC* pLast) const;
  int NumberOf(tagLINEDESC* pLine) const { return (int)LineNumber(pLine); }
  int GainLineEnd(tagLINEDESC* pLine);
  int ReplaceBytes(tagLINEDESC* pLine, int nOffset, int nRemove, const char* pInsert, int nInsert);
  int ReplaceLineBytes(tagLINEDESC* pLine, int nOffset, int nRemove, const char* pInsert, int nInsert);
  void FoldOpenGroup();
  void StepLines(const SECEditUndoRecord& rec, SECEditPos& P, SECEditPos& E, tagLINEDESC** ppHint);
  int DoUndo(const SECEditUndoRecord& rec, tagLINEDESC** ppHint = nullptr);
  int DoRedo(const SECEditUndoRecord& rec, tagLINEDESC** ppHint = nullptr);
  int AddRecord(int nKind, int nLine, int nOffset, int nEndLine, int nEndOffset, const char* pszText,
                BYTE ch = 0, BYTE chOld = 0);
  void CloseKeptFile();
  int KeepFileOpen(const char* pszPath);
};
