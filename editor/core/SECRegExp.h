// SECRegExp: the find's regular expressions, compiled into a small byte program and matched against one line.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class SECRegExp {
 public:
  static constexpr int NSUBEXP = 10;

  // Operation codes of the program; a node is the code, a 16-bit little-endian link and its operand.
  enum : BYTE {
    END = 0,
    BOL = 1,
    EOL = 2,
    ANY = 3,
    ANYOF = 4,
    ANYBUT = 5,
    BRANCH = 6,
    BACK = 7,
    EXACTLY = 8,
    NOTHING = 9,
    STAR = 10,
    PLUS = 11,
    OPEN = 20,   // OPEN + n, n = 1 .. 9
    CLOSE = 30,  // CLOSE + n
  };
  // The farthest a link can reach.
  static constexpr int MAX_LINK = 32767;

  SECRegExp();
  ~SECRegExp();
  SECRegExp(const SECRegExp&) = delete;
  SECRegExp& operator=(const SECRegExp&) = delete;

  // Returns this object, or null when the pattern is null or malformed (nothing is left to run then).
  SECRegExp* Compile(const char* pszPattern);
  // Byte offset of the leftmost match in the NUL-terminated subject, or -1.
  int Execute(const char* pszSubject);
  // The template expanded for the last match, allocated with new[]; null without a template or a match.
  char* Substitute(const char* pszTemplate) const;

  BOOL IsCompiled() const { return m_bCompiled; }
  // Group 0 is the whole match; null where a group took no part.
  const char* GetGroupStart(int n) const { return n >= 0 && n < NSUBEXP ? m_apszStart[n] : nullptr; }
  const char* GetGroupEnd(int n) const { return n >= 0 && n < NSUBEXP ? m_apszEnd[n] : nullptr; }
  const char* GetMatch() const { return m_pszMatch; }
  const BYTE* GetProgram() const { return m_pProgram; }
  int GetProgramSize() const { return m_nProgSize; }
  char GetFirstByte() const { return m_chFirst; }
  BOOL IsAnchored() const { return m_bAnchored; }
  const char* GetMustText() const { return m_pszMust; }
  int GetMustLength() const { return m_nMustLen; }
  // After how many steps of one Execute failed states start to be remembered (by default a multiple of the
  // subject's length), and how many states a table may hold before a map takes its place. Tests lower them
  // to check that remembering changes no result.
  void SetMemoThreshold(size_t nSteps, size_t nMaxCells = size_t(1) << 24) {
    m_nMemoThreshold = nSteps;
    m_nMaxMemoCells = nMaxCells;
  }

 private:
  friend const char* RegexFindLine(SECRegExp& re, const char* pszLine, int nLength, int nStart, int* pnMatchLen,
                                   const char* pszTemplate, CString* pstrExpansion, const char* pszLetters);

  struct RunCache {
    const char* from;
    const char* to;
  };
  struct Frame {
    const char* pos;
    int32_t kind;
    int32_t pc;
    int32_t a;
    int32_t b;
  };

  void Reset();
  // Compilation
  int ParseAlt(bool bParen, int* pFlags);
  int ParseBranch(int* pFlags);
  int ParsePiece(int* pFlags);
  int ParseAtom(int* pFlags);
  int EmitNode(int op);
  void EmitByte(char ch);
  void Insert(int op, int nOperand);
  void Tail(int p, int val);
  void OpTail(int p, int val);
  int Next(int p) const;
  int Fail() { m_bError = true; return -1; }
  bool Analyse();
  void ComputeStartSet();
  // Matching
  // Searches from pBegin; "^" matches at pLineStart (pBegin when null), "$" at pEnd.
  int ExecuteSpan(const char* pBegin, const char* pEnd, const char* pLineStart = nullptr);
  void ResetForSpan(const char* pBegin, const char* pEnd, const char* pLineStart);
  // Where the first match starts, null when none does; each strategy serves one shape of program.
  const char* FindMatchStart(const char* pBegin, const char* pEnd);
  const char* FindFromPrefix(const char* pBegin, const char* pEnd);
  const char* FindAfterLead(const char* pBegin, const char* pEnd);
  const char* FindFromStartLiterals(const char* pBegin, const char* pEnd);
  const char* FindFromStartSet(const char* pBegin, const char* pEnd);
  bool Try(const char* pos);
  bool Run(int pc, const char* s);
  size_t RepeatRun(int pc, const char* s);
  bool InSet(int pc, char ch) const;
  // Whether the operand of the leading repetition takes the byte.
  bool LeadRepeats(char ch) const;
  bool IsFailed(int pc, const char* s) const;
  void MarkFailed(int pc, const char* s, const char* sTo);
  void MarkOne(int32_t row, size_t index);
  int64_t LastOpen(int32_t row, int64_t lo, int64_t hi);
  int64_t FindOpen(int32_t row, int64_t q);
  int32_t GetCell(size_t cell) const;
  void SetCell(size_t cell, int32_t value);
  int64_t PickCount(int pc, const char* s, int64_t hi, int64_t minimum);
  void CountSteps(size_t n);
  void EnableMemo();

  int m_nEmitPass;
  int m_bCompiled;
  char* m_pszMatch;
  const char* m_apszStart[NSUBEXP];
  const char* m_apszEnd[NSUBEXP];
  char m_chFirst;
  char m_bAnchored;
  const char* m_pszMust;
  int m_nMustLen;
  BYTE* m_pProgram;
  const char* m_pszParse;
  int m_nGroups;
  int m_nWrite;
  int m_nProgSize;
  const char* m_pszInput;
  const char* m_pszLineStart;

  // Compilation state beyond the classic members.
  bool m_bError;
  // Per node: literal length (EXACTLY), set index (ANYOF, ANYBUT) or run cache (STAR, PLUS); else -1.
  std::vector<int32_t> m_aAux;
  // Per node: its row in the memo (choices, repetitions and what follows a repetition); else -1.
  std::vector<int32_t> m_aRow;
  std::vector<std::array<uint64_t, 4>> m_aSets;  // 256-bit membership per set node
  int m_nMemoRows;
  // The literal every match begins with (when there is a first byte), and the bytes a match can begin with
  // away from the subject's ends (when the set is known).
  const char* m_pszPrefix;
  int m_nPrefixLen;
  bool m_bStartSet;
  std::array<uint64_t, 4> m_aStartSet;
  // When every match begins with a literal of two bytes or more: the first two bytes of those literals, as
  // bits of a 64K-bit table, so that most start positions are passed over without running the program.
  bool m_bStartPairs;
  std::vector<uint64_t> m_aStartPairs;
  // A few such literals are searched for directly (memmem) instead.
  std::vector<std::string> m_aStartLiterals;
  // The operand of a repetition the program begins with, or -1: a failed try covers the positions inside
  // the run it began, since what follows the run is tried from each of them there.
  int m_nLeadRepeat;
  // The byte of the literal that follows that repetition when the repetition cannot match it, or -1: a
  // run not followed by it is passed over without running the program.
  int m_nAfterLead;
  // Matching state: the subject's end, the backtracking stack, and the record of states known to fail,
  // switched on only when a search starts to cost more than its length warrants.
  const char* m_pszLineEnd;
  std::vector<Frame> m_aStack;
  std::vector<RunCache> m_aRuns;
  size_t m_nSteps;
  size_t m_nStepLimit;
  size_t m_nMemoThreshold;
  size_t m_nMaxMemoCells;
  bool m_bMemo;
  bool m_bMemoHashed;
  std::vector<int32_t> m_aMemo;
  std::unordered_map<size_t, int32_t> m_mapMemo;
  bool m_bOverflow;
  // The copy of the last match lives in this buffer, kept from search to search.
  std::vector<char> m_aMatchBuffer;
};

// The line search of the find: matches the line up to its first carriage return. On a match stores the match
// length and, with a template, its expansion for this match; returns a pointer to the match in the line, else null.
const char* RegexFindLine(SECRegExp& re, const char* pszLine, int* pnMatchLen, const char* pszTemplate,
                          CString* pstrExpansion);
// The same over the nLength bytes of a line without its line end, searching from nStart while "^" still
// means offset 0 and "$" offset nLength. pszLetters (when not null) holds the line's own bytes where pszLine
// is a lower-cased copy: the expansion takes its letters from them.
const char* RegexFindLine(SECRegExp& re, const char* pszLine, int nLength, int nStart, int* pnMatchLen,
                          const char* pszTemplate, CString* pstrExpansion, const char* pszLetters = nullptr);
