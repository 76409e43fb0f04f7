#include "editor/core/SECRegExp.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

// Flags a parsed item passes up.
enum { HASWIDTH = 1, SIMPLE = 2, SPSTART = 4 };

const char kMeta[] = "^$.[()|?+*\\";

// Bounds that keep a hostile pattern or line from exhausting memory.
const int kMaxProgram = 1 << 24;
const size_t kMaxFrames = size_t(1) << 23;
const size_t kMaxStartLiterals = 4;

enum { kRestoreStart, kRestoreEnd, kAlt, kRepeat };

inline bool IsMult(char c) { return c == '*' || c == '+' || c == '?'; }

inline int NodeNext(const BYTE* prog, int p) {
  const int off = prog[p + 1] | (prog[p + 2] << 8);
  if (off == 0) return -1;
  return prog[p] == SECRegExp::BACK ? p - off : p + off;
}

inline bool SetHas(const std::array<uint64_t, 4>& bits, char ch) {
  const BYTE b = (BYTE)ch;
  return (bits[b >> 6] >> (b & 63)) & 1;
}

}  // namespace

SECRegExp::SECRegExp()
    : m_nEmitPass(0),
      m_bCompiled(0),
      m_pszMatch(nullptr),
      m_apszStart{},
      m_apszEnd{},
      m_chFirst(0),
      m_bAnchored(0),
      m_pszMust(nullptr),
      m_nMustLen(0),
      m_pProgram(nullptr),
      m_pszParse(nullptr),
      m_nGroups(1),
      m_nWrite(0),
      m_nProgSize(0),
      m_pszInput(nullptr),
      m_pszLineStart(nullptr),
      m_bError(false),
      m_nMemoRows(0),
      m_pszPrefix(nullptr),
      m_nPrefixLen(0),
      m_bStartSet(false),
      m_aStartSet{},
      m_bStartPairs(false),
      m_nLeadRepeat(-1),
      m_nAfterLead(-1),
      m_pszLineEnd(nullptr),
      m_nSteps(0),
      m_nStepLimit(0),
      m_nMemoThreshold(SIZE_MAX),
      m_nMaxMemoCells(size_t(1) << 24),
      m_bMemo(false),
      m_bMemoHashed(false),
      m_bOverflow(false) {}

SECRegExp::~SECRegExp() { delete[] m_pProgram; }

void SECRegExp::Reset() {
  delete[] m_pProgram;
  m_pProgram = nullptr;
  m_pszMatch = nullptr;
  m_bCompiled = 0;
  for (int i = 0; i < NSUBEXP; ++i) m_apszStart[i] = m_apszEnd[i] = nullptr;
  m_chFirst = 0;
  m_bAnchored = 0;
  m_pszMust = nullptr;
  m_nMustLen = 0;
  m_nProgSize = 0;
  m_nWrite = 0;
  m_aAux.clear();
  m_aRow.clear();
  m_aRuns.clear();
  m_aSets.clear();
  m_nMemoRows = 0;
  m_pszPrefix = nullptr;
  m_nPrefixLen = 0;
  m_bStartSet = false;
  m_bStartPairs = false;
}

// ---------------------------------------------------------------------------------------------------------
// Compilation

SECRegExp* SECRegExp::Compile(const char* pszPattern) {
  Reset();
  if (pszPattern == nullptr) return nullptr;

  int flags = 0;
  m_bError = false;
  m_nEmitPass = 0;
  m_pszParse = pszPattern;
  m_nGroups = 1;
  if (ParseAlt(false, &flags) < 0 || m_bError) {
    Reset();
    return nullptr;
  }

  m_pProgram = new (std::nothrow) BYTE[(size_t)m_nProgSize]();
  if (m_pProgram == nullptr) {
    m_nProgSize = 0;
    return nullptr;
  }
  m_nEmitPass = 1;
  m_pszParse = pszPattern;
  m_nGroups = 1;
  m_nWrite = 0;
  if (ParseAlt(false, &flags) < 0 || m_bError || m_nWrite != m_nProgSize) {
    Reset();
    return nullptr;
  }

  // Hints that let a search skip positions: a first byte, an anchor, a literal every match holds.
  int scan = 0;
  int next = Next(scan);
  if (next >= 0 && m_pProgram[next] == END) {
    scan += 3;
    if (m_pProgram[scan] == EXACTLY) {
      m_chFirst = (char)m_pProgram[scan + 3];
      m_pszPrefix = reinterpret_cast<const char*>(m_pProgram + scan + 3);
      m_nPrefixLen = (int)strlen(m_pszPrefix);
    } else if (m_pProgram[scan] == BOL) {
      m_bAnchored = 1;
    }
    if (flags & SPSTART) {
      const char* longest = nullptr;
      size_t len = 0;
      for (; scan >= 0; scan = Next(scan)) {
        if (m_pProgram[scan] != EXACTLY) continue;
        const char* lit = reinterpret_cast<const char*>(m_pProgram + scan + 3);
        size_t n = strlen(lit);
        if (n >= len) {
          longest = lit;
          len = n;
        }
      }
      m_pszMust = longest;
      m_nMustLen = (int)len;
    }
  }
  if (!Analyse()) {
    Reset();
    return nullptr;
  }
  ComputeStartSet();
  m_bCompiled = 1;
  return this;
}

// Per-node tables for matching: literal lengths, set bitmaps, and memo rows for the choice points.
bool SECRegExp::Analyse() {
  m_aAux.assign((size_t)m_nProgSize, -1);
  m_aRow.assign((size_t)m_nProgSize, -1);
  m_aSets.clear();
  m_nMemoRows = 0;
  std::vector<int> repeats;
  int pc = 0;
  while (pc < m_nProgSize) {
    if (pc + 3 > m_nProgSize) return false;
    const int op = m_pProgram[pc];
    const int opnd = pc + 3;
    int after = opnd;
    if (op == EXACTLY || op == ANYOF || op == ANYBUT) {
      const char* s = reinterpret_cast<const char*>(m_pProgram + opnd);
      size_t n = strnlen(s, (size_t)(m_nProgSize - opnd));
      if (opnd + (int)n >= m_nProgSize) return false;
      after = opnd + (int)n + 1;
      if (op == EXACTLY) {
        m_aAux[(size_t)pc] = (int32_t)n;
      } else {
        std::array<uint64_t, 4> bits{};
        for (size_t i = 0; i < n; ++i) {
          BYTE b = (BYTE)s[i];
          bits[b >> 6] |= uint64_t(1) << (b & 63);
        }
        m_aAux[(size_t)pc] = (int32_t)m_aSets.size();
        m_aSets.push_back(bits);
      }
    } else if (op == STAR || op == PLUS) {
      m_aRow[(size_t)pc] = m_nMemoRows++;
      m_aAux[(size_t)pc] = (int32_t)repeats.size();
      repeats.push_back(pc);
    } else if (op == BRANCH) {
      int next = Next(pc);
      if (next >= 0 && m_pProgram[next] == BRANCH) m_aRow[(size_t)pc] = m_nMemoRows++;
    }
    pc = after;
  }
  if (pc != m_nProgSize) return false;
  m_aRuns.assign(repeats.size(), RunCache{nullptr, nullptr});
  for (int r : repeats) {
    int next = Next(r);
    if (next >= 0 && m_aRow[(size_t)next] < 0) m_aRow[(size_t)next] = m_nMemoRows++;
  }
  return true;
}

// The bytes with which a match can begin anywhere but at the subject's start and end, found by walking the
// program to the first byte each path consumes. Paths through "^" or "$" need one of the ends, which are
// always tried; a path that reaches the end of the program without consuming leaves the set unknown.
void SECRegExp::ComputeStartSet() {
  m_bStartSet = false;
  m_bStartPairs = false;
  m_aStartLiterals.clear();
  m_nLeadRepeat = -1;
  if (m_nProgSize > 6 && m_pProgram[0] == BRANCH && (Next(0) < 0 || m_pProgram[Next(0)] != BRANCH) &&
      (m_pProgram[3] == STAR || m_pProgram[3] == PLUS))
    m_nLeadRepeat = 6;
  m_nAfterLead = -1;
  if (m_nLeadRepeat >= 0) {
    const int after = Next(3);
    if (after >= 0 && m_pProgram[after] == EXACTLY) {
      const BYTE c = m_pProgram[after + 3];
      bool repeats = true;
      switch (m_pProgram[6]) {
        case EXACTLY: repeats = m_pProgram[9] == c; break;
        case ANYOF: repeats = InSet(6, (char)c); break;
        case ANYBUT: repeats = !InSet(6, (char)c); break;
        default: break;
      }
      if (!repeats) m_nAfterLead = c;
    }
  }
  std::vector<std::string> literals;
  std::array<uint64_t, 4> set{};
  std::vector<uint64_t> pairs(65536 / 64, 0);
  bool pairsKnown = true;
  bool anchors = false;  // a path that begins at an end of the subject
  auto addByte = [&](BYTE b) { set[b >> 6] |= uint64_t(1) << (b & 63); };
  auto addSimple = [&](int pc) {
    if (m_pProgram[pc] == EXACTLY && m_aAux[(size_t)pc] >= 2) {
      const unsigned pair = m_pProgram[pc + 3] | (unsigned)m_pProgram[pc + 4] << 8;
      pairs[pair >> 6] |= uint64_t(1) << (pair & 63);
      literals.emplace_back(reinterpret_cast<const char*>(m_pProgram + pc + 3), (size_t)m_aAux[(size_t)pc]);
    } else {
      pairsKnown = false;
    }
    switch (m_pProgram[pc]) {
      case ANY:
        for (int b = 1; b < 256; ++b) addByte((BYTE)b);
        break;
      case EXACTLY:
        addByte(m_pProgram[pc + 3]);
        break;
      case ANYOF:
      case ANYBUT:
        for (int b = 1; b < 256; ++b)
          if (InSet(pc, (char)b) == (m_pProgram[pc] == ANYOF)) addByte((BYTE)b);
        break;
      default:
        break;
    }
  };
  std::vector<char> seen((size_t)m_nProgSize, 0);
  std::vector<int> work{0};
  while (!work.empty()) {
    const int pc = work.back();
    work.pop_back();
    if (pc < 0 || seen[(size_t)pc]) continue;
    seen[(size_t)pc] = 1;
    const int op = m_pProgram[pc];
    const int next = Next(pc);
    switch (op) {
      case END:
        return;
      case BOL:
      case EOL:
        anchors = true;
        break;
      case ANY:
      case ANYOF:
      case ANYBUT:
      case EXACTLY:
        addSimple(pc);
        break;
      case NOTHING:
      case BACK:
        work.push_back(next);
        break;
      case BRANCH:
        if (next < 0 || m_pProgram[next] != BRANCH)
          work.push_back(pc + 3);
        else
          for (int sc = pc; sc >= 0 && m_pProgram[sc] == BRANCH; sc = Next(sc)) work.push_back(sc + 3);
        break;
      case STAR:
        addSimple(pc + 3);
        work.push_back(next);
        break;
      case PLUS:
        addSimple(pc + 3);
        break;
      default:
        if ((op > OPEN && op < OPEN + NSUBEXP) || (op > CLOSE && op < CLOSE + NSUBEXP)) work.push_back(next);
        break;
    }
  }
  m_aStartSet = set;
  m_bStartSet = true;
  if (pairsKnown) {
    m_aStartPairs.swap(pairs);
    m_bStartPairs = true;
    if (literals.size() <= kMaxStartLiterals && !anchors) m_aStartLiterals.swap(literals);
  }
}

int SECRegExp::Next(int p) const {
  if (m_nEmitPass == 0 || p < 0 || m_pProgram == nullptr) return -1;
  const int off = m_pProgram[p + 1] | (m_pProgram[p + 2] << 8);
  if (off == 0) return -1;
  return m_pProgram[p] == BACK ? p - off : p + off;
}

int SECRegExp::EmitNode(int op) {
  if (m_nEmitPass == 0) {
    int ret = m_nProgSize;
    m_nProgSize += 3;
    if (m_nProgSize > kMaxProgram) m_bError = true;
    return m_bError ? 0 : ret;
  }
  int ret = m_nWrite;
  if (m_nWrite + 3 > m_nProgSize) {
    m_bError = true;
    return 0;
  }
  m_pProgram[m_nWrite] = (BYTE)op;
  m_pProgram[m_nWrite + 1] = 0;
  m_pProgram[m_nWrite + 2] = 0;
  m_nWrite += 3;
  return ret;
}

void SECRegExp::EmitByte(char ch) {
  if (m_nEmitPass == 0) {
    if (++m_nProgSize > kMaxProgram) m_bError = true;
    return;
  }
  if (m_nWrite >= m_nProgSize) {
    m_bError = true;
    return;
  }
  m_pProgram[m_nWrite++] = (BYTE)ch;
}

// Moves the operand three bytes on and puts the node in front of it.
void SECRegExp::Insert(int op, int nOperand) {
  if (m_nEmitPass == 0) {
    m_nProgSize += 3;
    if (m_nProgSize > kMaxProgram) m_bError = true;
    return;
  }
  if (m_nWrite + 3 > m_nProgSize || nOperand < 0 || nOperand > m_nWrite) {
    m_bError = true;
    return;
  }
  memmove(m_pProgram + nOperand + 3, m_pProgram + nOperand, (size_t)(m_nWrite - nOperand));
  m_nWrite += 3;
  m_pProgram[nOperand] = (BYTE)op;
  m_pProgram[nOperand + 1] = 0;
  m_pProgram[nOperand + 2] = 0;
}

// Links the last node of the chain that starts at p to val.
void SECRegExp::Tail(int p, int val) {
  if (m_nEmitPass == 0 || m_bError) return;
  int scan = p;
  for (;;) {
    int t = Next(scan);
    if (t < 0) break;
    scan = t;
  }
  int off = m_pProgram[scan] == BACK ? scan - val : val - scan;
  if (off <= 0 || off > MAX_LINK) {
    // Too far for a link: the pattern is refused rather than run with a broken program.
    m_bError = true;
    return;
  }
  m_pProgram[scan + 1] = (BYTE)(off & 0xFF);
  m_pProgram[scan + 2] = (BYTE)((off >> 8) & 0xFF);
}

void SECRegExp::OpTail(int p, int val) {
  if (m_nEmitPass == 0 || m_bError || p < 0 || m_pProgram[p] != BRANCH) return;
  Tail(p + 3, val);
}

int SECRegExp::ParseAlt(bool bParen, int* pFlags) {
  *pFlags = HASWIDTH;
  int ret = -1;
  int nGroup = 0;
  if (bParen) {
    if (m_nGroups >= NSUBEXP) return Fail();
    nGroup = m_nGroups++;
    ret = EmitNode(OPEN + nGroup);
  }

  int flags = 0;
  int br = ParseBranch(&flags);
  if (br < 0) return -1;
  if (ret >= 0)
    Tail(ret, br);
  else
    ret = br;
  if (!(flags & HASWIDTH)) *pFlags &= ~HASWIDTH;
  *pFlags |= flags & SPSTART;
  while (*m_pszParse == '|') {
    ++m_pszParse;
    br = ParseBranch(&flags);
    if (br < 0) return -1;
    Tail(ret, br);
    if (!(flags & HASWIDTH)) *pFlags &= ~HASWIDTH;
    *pFlags |= flags & SPSTART;
  }

  int ender = EmitNode(bParen ? CLOSE + nGroup : END);
  Tail(ret, ender);
  for (int b = ret; b >= 0 && !m_bError; b = Next(b)) OpTail(b, ender);

  if (bParen) {
    if (*m_pszParse != ')') return Fail();
    ++m_pszParse;
  } else if (*m_pszParse != '\0') {
    return Fail();
  }
  return m_bError ? -1 : ret;
}

int SECRegExp::ParseBranch(int* pFlags) {
  *pFlags = 0;
  int ret = EmitNode(BRANCH);
  int chain = -1;
  while (*m_pszParse != '\0' && *m_pszParse != '|' && *m_pszParse != ')') {
    int flags = 0;
    int latest = ParsePiece(&flags);
    if (latest < 0) return -1;
    *pFlags |= flags & HASWIDTH;
    if (chain < 0)
      *pFlags |= flags & SPSTART;
    else
      Tail(chain, latest);
    chain = latest;
  }
  if (chain < 0) EmitNode(NOTHING);
  return m_bError ? -1 : ret;
}

int SECRegExp::ParsePiece(int* pFlags) {
  int flags = 0;
  int ret = ParseAtom(&flags);
  if (ret < 0) return -1;
  const char op = *m_pszParse;
  if (!IsMult(op)) {
    *pFlags = flags;
    return ret;
  }
  if (!(flags & HASWIDTH) && op != '?') return Fail();
  *pFlags = op == '*' ? SPSTART : op == '+' ? (HASWIDTH | SPSTART) : 0;

  if (op == '*' && (flags & SIMPLE)) {
    Insert(STAR, ret);
  } else if (op == '*') {
    // A loop: BRANCH (atom, BACK to the BRANCH) or BRANCH NOTHING.
    Insert(BRANCH, ret);
    OpTail(ret, EmitNode(BACK));
    OpTail(ret, ret);
    Tail(ret, EmitNode(BRANCH));
    Tail(ret, EmitNode(NOTHING));
  } else if (op == '+' && (flags & SIMPLE)) {
    Insert(PLUS, ret);
  } else if (op == '+') {
    // The atom, then BRANCH (BACK to the atom) or BRANCH NOTHING.
    int next = EmitNode(BRANCH);
    Tail(ret, next);
    Tail(EmitNode(BACK), ret);
    Tail(next, EmitNode(BRANCH));
    Tail(ret, EmitNode(NOTHING));
  } else {
    Insert(BRANCH, ret);
    Tail(ret, EmitNode(BRANCH));
    int next = EmitNode(NOTHING);
    Tail(ret, next);
    OpTail(ret, next);
  }
  ++m_pszParse;
  if (IsMult(*m_pszParse)) return Fail();
  return m_bError ? -1 : ret;
}

int SECRegExp::ParseAtom(int* pFlags) {
  *pFlags = 0;
  int ret = -1;
  const char c = *m_pszParse;
  switch (c) {
    case '^':
      ++m_pszParse;
      ret = EmitNode(BOL);
      break;
    case '$':
      ++m_pszParse;
      ret = EmitNode(EOL);
      break;
    case '.':
      ++m_pszParse;
      ret = EmitNode(ANY);
      *pFlags |= HASWIDTH | SIMPLE;
      break;
    case '[': {
      ++m_pszParse;
      if (*m_pszParse == '^') {
        ret = EmitNode(ANYBUT);
        ++m_pszParse;
      } else {
        ret = EmitNode(ANYOF);
      }
      if (*m_pszParse == ']' || *m_pszParse == '-') EmitByte(*m_pszParse++);
      while (*m_pszParse != '\0' && *m_pszParse != ']') {
        if (*m_pszParse != '-') {
          EmitByte(*m_pszParse++);
          continue;
        }
        ++m_pszParse;
        if (*m_pszParse == ']' || *m_pszParse == '\0') {
          EmitByte('-');
          continue;
        }
        const int from = (signed char)m_pszParse[-2];
        const int to = (signed char)m_pszParse[0];
        if (to < from) return Fail();
        // The NUL would cut the set short; no subject byte is NUL anyway.
        for (int ch = from + 1; ch <= to; ++ch)
          if (ch != 0) EmitByte((char)ch);
        ++m_pszParse;
      }
      EmitByte('\0');
      if (*m_pszParse != ']') return Fail();
      ++m_pszParse;
      *pFlags |= HASWIDTH | SIMPLE;
      break;
    }
    case '(': {
      ++m_pszParse;
      int flags = 0;
      ret = ParseAlt(true, &flags);
      if (ret < 0) return -1;
      *pFlags |= flags & (HASWIDTH | SPSTART);
      break;
    }
    case '\0':
    case '|':
    case ')':
    case '?':
    case '+':
    case '*':
      return Fail();
    case '\\':
      ++m_pszParse;
      if (*m_pszParse == '\0') return Fail();
      ret = EmitNode(EXACTLY);
      EmitByte(*m_pszParse++);
      EmitByte('\0');
      *pFlags |= HASWIDTH | SIMPLE;
      break;
    default: {
      size_t len = strcspn(m_pszParse, kMeta);
      if (len > 1 && IsMult(m_pszParse[len])) --len;
      *pFlags |= HASWIDTH;
      if (len == 1) *pFlags |= SIMPLE;
      ret = EmitNode(EXACTLY);
      for (size_t i = 0; i < len; ++i) EmitByte(*m_pszParse++);
      EmitByte('\0');
      break;
    }
  }
  return m_bError ? -1 : ret;
}

// ---------------------------------------------------------------------------------------------------------
// Matching

int SECRegExp::Execute(const char* pszSubject) {
  if (pszSubject == nullptr) return ExecuteSpan(nullptr, nullptr);
  return ExecuteSpan(pszSubject, pszSubject + strlen(pszSubject));
}

void SECRegExp::ResetForSpan(const char* pBegin, const char* pEnd, const char* pLineStart) {
  const size_t len = (size_t)(pEnd - pBegin);
  m_pszLineStart = pLineStart != nullptr ? pLineStart : pBegin;
  m_pszLineEnd = pEnd;
  m_nSteps = 0;
  m_nStepLimit = m_nMemoThreshold != SIZE_MAX ? m_nMemoThreshold : 16 * (len + 1) + 4096;
  m_bMemo = false;
  m_bMemoHashed = false;
  if (!m_mapMemo.empty()) m_mapMemo.clear();
  if (m_nStepLimit == 0) EnableMemo();
  m_bOverflow = false;
  for (RunCache& r : m_aRuns) r = RunCache{nullptr, nullptr};
}

const char* SECRegExp::FindFromPrefix(const char* pBegin, const char* pEnd) {
  // Every match begins with the leading literal.
  const size_t n = (size_t)m_nPrefixLen;
  for (const char* s = pBegin; s != nullptr && (size_t)(pEnd - s) >= n;) {
    s = static_cast<const char*>(memchr(s, m_chFirst, (size_t)(pEnd - s)));
    if (s == nullptr || (size_t)(pEnd - s) < n) break;
    if ((n < 2 || s[1] == m_pszPrefix[1]) && memcmp(s, m_pszPrefix, n) == 0 && Try(s)) return s;
    if (m_bOverflow) break;
    ++s;
  }
  return nullptr;
}

const char* SECRegExp::FindAfterLead(const char* pBegin, const char* pEnd) {
  // A match is a run of the repeated bytes and then the literal: found from each place of the literal's
  // first byte, starting where the run before it starts. Those places come in order, and so do the
  // starts, as no run reaches back over the byte.
  const char* found = nullptr;
  const char* from = pBegin;
  while (found == nullptr && !m_bOverflow && from < pEnd) {
    const char* at = static_cast<const char*>(memchr(from, m_nAfterLead, (size_t)(pEnd - from)));
    if (at == nullptr) break;
    const char* start = at;
    while (start > from && LeadRepeats(start[-1])) --start;
    if ((start < at || m_pProgram[3] == STAR) && Try(start)) found = start;
    from = at + 1;
  }
  return found;
}

const char* SECRegExp::FindFromStartLiterals(const char* pBegin, const char* pEnd) {
  // Every match begins with one of the literals, at the subject's start too.
  const size_t count = m_aStartLiterals.size();
  auto find = [&](size_t i, const char* from) {
    const std::string& literal = m_aStartLiterals[i];
    const size_t n = literal.size();
    for (const char* p = from; (size_t)(pEnd - p) >= n; ++p) {
      p = static_cast<const char*>(memchr(p, literal[0], (size_t)(pEnd - p) - n + 1));
      if (p == nullptr) break;
      if (p[1] == literal[1] && memcmp(p + 2, literal.data() + 2, n - 2) == 0) return p;
    }
    return pEnd;
  };
  const char* found = nullptr;
  std::array<const char*, kMaxStartLiterals> next;
  for (size_t i = 0; i < count; ++i) next[i] = find(i, pBegin);
  while (found == nullptr && !m_bOverflow) {
    const char* s = *std::min_element(next.begin(), next.begin() + (ptrdiff_t)count);
    if (s >= pEnd) break;
    if (Try(s)) found = s;
    for (size_t i = 0; i < count; ++i)
      if (next[i] == s) next[i] = find(i, s + 1);
  }
  return found;
}

const char* SECRegExp::FindFromStartSet(const char* pBegin, const char* pEnd) {
  const char* found = nullptr;
  // Positions below this one are known to fail.
  const char* covered = pBegin;
  auto attempt = [&](const char* s) {
    if (Try(s)) return true;
    if (m_nLeadRepeat >= 0) covered = s + RepeatRun(m_nLeadRepeat, s);
    return false;
  };
  if (attempt(pBegin)) found = pBegin;
  // With start pairs, no match begins on the last byte: its literal needs two.
  const char* last = m_bStartPairs ? pEnd - 1 : pEnd;
  for (const char* s = pBegin + 1; found == nullptr && !m_bOverflow && s < last; ++s) {
    const BYTE b = (BYTE)*s;
    if (s < covered || !((m_aStartSet[b >> 6] >> (b & 63)) & 1)) continue;
    if (m_bStartPairs) {
      const unsigned pair = b | (unsigned)(BYTE)s[1] << 8;
      if (!((m_aStartPairs[pair >> 6] >> (pair & 63)) & 1)) continue;
    }
    if (attempt(s)) found = s;
  }
  return found;
}

const char* SECRegExp::FindMatchStart(const char* pBegin, const char* pEnd) {
  const char* found = nullptr;
  if (m_bAnchored) {
    if (Try(pBegin)) found = pBegin;
  } else if (m_chFirst != 0) {
    found = FindFromPrefix(pBegin, pEnd);
  } else if (m_bStartSet) {
    if (m_nAfterLead >= 0) found = FindAfterLead(pBegin, pEnd);
    else if (!m_aStartLiterals.empty()) found = FindFromStartLiterals(pBegin, pEnd);
    else found = FindFromStartSet(pBegin, pEnd);
    if (found == nullptr && !m_bOverflow && pEnd > pBegin && Try(pEnd)) found = pEnd;
  } else {
    for (const char* s = pBegin;; ++s) {
      if (Try(s)) {
        found = s;
        break;
      }
      if (m_bOverflow || s == pEnd) break;
    }
  }
  return found;
}

int SECRegExp::ExecuteSpan(const char* pBegin, const char* pEnd, const char* pLineStart) {
  m_pszMatch = nullptr;
  // Fixed-size clears compile to a few vector stores.
  memset(m_apszStart, 0, sizeof m_apszStart);
  memset(m_apszEnd, 0, sizeof m_apszEnd);
  if (pBegin == nullptr || !m_bCompiled) return -1;
  const size_t len = (size_t)(pEnd - pBegin);
  if (len >= (size_t)INT_MAX - 2) return -1;
  if (m_pszMust != nullptr &&
      (len < (size_t)m_nMustLen || memmem(pBegin, len, m_pszMust, (size_t)m_nMustLen) == nullptr))
    return -1;

  ResetForSpan(pBegin, pEnd, pLineStart);
  const char* found = FindMatchStart(pBegin, pEnd);
  // What a very long line needed is not kept for the next one.
  if (m_aStack.size() > (size_t(1) << 16)) std::vector<Frame>().swap(m_aStack);
  if (m_aMatchBuffer.size() > (size_t(1) << 16)) std::vector<char>().swap(m_aMatchBuffer);
  if (m_aMemo.size() > (size_t(1) << 20)) std::vector<int32_t>().swap(m_aMemo);
  if (found == nullptr) {
    memset(m_apszStart, 0, sizeof m_apszStart);
    memset(m_apszEnd, 0, sizeof m_apszEnd);
    return -1;
  }
  m_apszStart[0] = found;
  m_apszEnd[0] = m_pszInput;
  const size_t n = (size_t)(m_pszInput - found);
  if (m_aMatchBuffer.size() < n + 1) m_aMatchBuffer.resize(n + 1);
  m_pszMatch = m_aMatchBuffer.data();
  memcpy(m_pszMatch, found, n);
  m_pszMatch[n] = '\0';
  return (int)(found - pBegin);
}

bool SECRegExp::Try(const char* pos) { return Run(0, pos); }

bool SECRegExp::LeadRepeats(char ch) const {
  switch (m_pProgram[m_nLeadRepeat]) {
    case ANY: return true;
    case EXACTLY: return (char)m_pProgram[m_nLeadRepeat + 3] == ch;
    case ANYOF: return InSet(m_nLeadRepeat, ch);
    case ANYBUT: return !InSet(m_nLeadRepeat, ch);
    default: return false;
  }
}

bool SECRegExp::InSet(int pc, char ch) const { return SetHas(m_aSets[(size_t)m_aAux[(size_t)pc]], ch); }

// How many times the one-byte operand at pc matches in a row from s.
size_t SECRegExp::RepeatRun(int pc, const char* s) {
  const char* const end = m_pszLineEnd;
  if (m_pProgram[pc] == ANY) return (size_t)(end - s);
  // A run found before covers every position inside it, as the operand tests one byte at a time; a scan
  // that reaches a known run stops there.
  RunCache& cache = m_aRuns[(size_t)m_aAux[(size_t)pc - 3]];
  if (cache.from != nullptr && s >= cache.from && s <= cache.to) return (size_t)(cache.to - s);
  const char* stop = cache.from != nullptr && s < cache.from ? cache.from : end;
  const char* p = s;
  switch (m_pProgram[pc]) {
    case EXACTLY: {
      const char ch = (char)m_pProgram[pc + 3];
      while (p < stop && *p == ch) ++p;
      break;
    }
    case ANYOF:
      while (p < stop && InSet(pc, *p)) ++p;
      break;
    case ANYBUT:
      while (p < stop && !InSet(pc, *p)) ++p;
      break;
    default:
      break;
  }
  if (p == stop && stop != end) {
    p = cache.to;
  }
  cache.from = s;
  cache.to = p;
  return (size_t)(p - s);
}

void SECRegExp::CountSteps(size_t n) {
  m_nSteps += n;
  if (!m_bMemo && m_nSteps > m_nStepLimit) EnableMemo();
}

// A failed state (node, position) fails again however it is reached: there are no back references, and
// groups are recorded only along the winning path. Remembering failures bounds the work of a search.
// Each row links a failed position to the nearest position below it not yet known to fail (0: open;
// else that position + 2), so runs of failures are skipped in one step. Rows live in one table, or in
// a map when a long subject and a large program would make the table too big.
void SECRegExp::EnableMemo() {
  m_bMemo = true;
  const size_t width = (size_t)(m_pszLineEnd - m_pszLineStart) + 1;
  const size_t rows = (size_t)m_nMemoRows;
  m_mapMemo.clear();
  if (rows != 0 && width > m_nMaxMemoCells / rows) {
    m_bMemoHashed = true;
  } else {
    m_bMemoHashed = false;
    m_aMemo.assign(rows * width, 0);
  }
}

int32_t SECRegExp::GetCell(size_t cell) const {
  if (!m_bMemoHashed) return m_aMemo[cell];
  auto it = m_mapMemo.find(cell);
  return it == m_mapMemo.end() ? 0 : it->second;
}

void SECRegExp::SetCell(size_t cell, int32_t value) {
  if (m_bMemoHashed)
    m_mapMemo[cell] = value;
  else
    m_aMemo[cell] = value;
}

bool SECRegExp::IsFailed(int pc, const char* s) const {
  const int32_t row = m_aRow[(size_t)pc];
  if (row < 0) return false;
  const size_t width = (size_t)(m_pszLineEnd - m_pszLineStart) + 1;
  return GetCell((size_t)row * width + (size_t)(s - m_pszLineStart)) != 0;
}

// The last position at or below q of the row not known to fail, or -1.
int64_t SECRegExp::FindOpen(int32_t row, int64_t q) {
  const size_t base = (size_t)row * ((size_t)(m_pszLineEnd - m_pszLineStart) + 1);
  int64_t r = q;
  for (int32_t v; r >= 0 && (v = GetCell(base + (size_t)r)) != 0;) r = (int64_t)v - 2;
  for (int32_t v; q > r && (v = GetCell(base + (size_t)q)) != 0;) {
    if (v != (int32_t)(r + 2)) SetCell(base + (size_t)q, (int32_t)(r + 2));
    q = (int64_t)v - 2;
  }
  return r;
}

void SECRegExp::MarkOne(int32_t row, size_t index) {
  const size_t cell = (size_t)row * ((size_t)(m_pszLineEnd - m_pszLineStart) + 1) + index;
  if (GetCell(cell) == 0) SetCell(cell, (int32_t)index + 1);
}

void SECRegExp::MarkFailed(int pc, const char* s, const char* sTo) {
  if (!m_bMemo) return;
  const int32_t row = m_aRow[(size_t)pc];
  if (row < 0) return;
  const int64_t first = s - m_pszLineStart;
  for (int64_t q = FindOpen(row, sTo - m_pszLineStart); q >= first; q = FindOpen(row, q - 1))
    MarkOne(row, (size_t)q);
}

// The last position in [lo, hi] of the row not known to fail, or -1.
int64_t SECRegExp::LastOpen(int32_t row, int64_t lo, int64_t hi) {
  const int64_t q = FindOpen(row, hi);
  return q >= lo ? q : -1;
}

// The largest count up to hi with which a repetition at s may go on, or -1.
int64_t SECRegExp::PickCount(int pc, const char* s, int64_t hi, int64_t minimum) {
  const int next = Next(pc);
  const int nextch = next >= 0 && m_pProgram[next] == EXACTLY ? m_pProgram[next + 3] : -1;
  const char* const end = m_pszLineEnd;
  const int32_t row = m_bMemo && next >= 0 ? m_aRow[(size_t)next] : -1;
  int64_t k = hi;
  if (row < 0) {
    if (nextch >= 0)
      while (k >= minimum && !(s + k < end && (BYTE)s[k] == nextch)) --k;
    CountSteps((size_t)(hi - (k < 0 ? 0 : k)) + 1);
    return k >= minimum ? k : -1;
  }
  const int64_t at = s - m_pszLineStart;
  for (;;) {
    if (k < minimum) return -1;
    const int64_t q = LastOpen(row, at + minimum, at + k);
    if (q < 0) return -1;
    k = q - at;
    if (nextch < 0 || (s + k < end && (BYTE)s[k] == nextch)) return k;
    MarkOne(row, (size_t)q);
    --k;
  }
}

// Runs the program from pc at s by backtracking over an explicit stack, so a long line cannot exhaust the
// call stack. Choices are tried in the order of the classic recursive matcher, so results are the same.
bool SECRegExp::Run(int pc, const char* s) {
  const BYTE* prog = m_pProgram;
  const char* const end = m_pszLineEnd;
  if (m_aStack.empty()) m_aStack.resize(256);
  Frame* stack = m_aStack.data();
  size_t top = 0;
  auto push = [&](const Frame& f) {
    if (top == m_aStack.size()) {
      if (top >= kMaxFrames) {
        m_bOverflow = true;
        return false;
      }
      m_aStack.resize(top * 2);
      stack = m_aStack.data();
    }
    stack[top++] = f;
    return true;
  };
  auto count = [this]() {
    if (++m_nSteps > m_nStepLimit && !m_bMemo) EnableMemo();
  };
  for (;;) {
    bool ok = true;
    while (ok) {
      if (pc < 0) {
        ok = false;
        break;
      }
      if (m_bMemo && m_aRow[(size_t)pc] >= 0 && IsFailed(pc, s)) {
        ok = false;
        break;
      }
      const int op = prog[pc];
      int next = NodeNext(prog, pc);
      switch (op) {
        case END:
          m_pszInput = s;
          return true;
        case BOL:
          ok = s == m_pszLineStart;
          break;
        case EOL:
          ok = s == end;
          break;
        case ANY:
          if (s < end)
            ++s;
          else
            ok = false;
          break;
        case ANYOF:
        case ANYBUT:
          if (s < end && SetHas(m_aSets[(size_t)m_aAux[(size_t)pc]], *s) == (op == ANYOF))
            ++s;
          else
            ok = false;
          break;
        case EXACTLY: {
          const char* lit = reinterpret_cast<const char*>(prog + pc + 3);
          const size_t n = (size_t)m_aAux[(size_t)pc];
          if ((size_t)(end - s) >= n && *s == *lit && memcmp(s, lit, n) == 0)
            s += n;
          else
            ok = false;
          break;
        }
        case NOTHING:
        case BACK:
          break;
        case BRANCH:
          if (next < 0 || prog[next] != BRANCH) {
            next = pc + 3;
            break;
          }
          if (!push(Frame{s, kAlt, pc, next, 0})) return false;
          count();
          next = pc + 3;
          break;
        case STAR:
        case PLUS: {
          const size_t n = RepeatRun(pc + 3, s);
          const int64_t k = PickCount(pc, s, (int64_t)n, op == STAR ? 0 : 1);
          if (k < 0) {
            MarkFailed(pc, s, s + n);
            ok = false;
            break;
          }
          if (!push(Frame{s, kRepeat, pc, (int32_t)k, (int32_t)n})) return false;
          s += k;
          break;
        }
        default:
          if (op > OPEN && op < OPEN + NSUBEXP) {
            const int g = op - OPEN;
            if (!push(Frame{m_apszStart[g], kRestoreStart, g, 0, 0})) return false;
            m_apszStart[g] = s;
          } else if (op > CLOSE && op < CLOSE + NSUBEXP) {
            const int g = op - CLOSE;
            if (!push(Frame{m_apszEnd[g], kRestoreEnd, g, 0, 0})) return false;
            m_apszEnd[g] = s;
          } else {
            ok = false;
          }
          break;
      }
      if (ok) pc = next;
    }

    // Back to the latest choice that has an untried way left.
    bool resumed = false;
    while (!resumed) {
      if (top == 0) return false;
      Frame f = stack[--top];
      switch (f.kind) {
        case kRestoreStart:
          m_apszStart[f.pc] = f.pos;
          break;
        case kRestoreEnd:
          m_apszEnd[f.pc] = f.pos;
          break;
        case kAlt: {
          count();
          const int alt = f.a;
          if (alt >= 0 && prog[alt] == BRANCH) {
            f.a = NodeNext(prog, alt);
            stack[top++] = f;
            pc = alt + 3;
            s = f.pos;
            resumed = true;
          } else if (m_bMemo) {
            MarkFailed(f.pc, f.pos, f.pos);
          }
          break;
        }
        case kRepeat: {
          const int next = NodeNext(prog, f.pc);
          // The way on from this count is exhausted.
          if (m_bMemo && next >= 0 && m_aRow[(size_t)next] >= 0)
            MarkOne(m_aRow[(size_t)next], (size_t)(f.pos + f.a - m_pszLineStart));
          const int64_t k = PickCount(f.pc, f.pos, (int64_t)f.a - 1, prog[f.pc] == STAR ? 0 : 1);
          if (k < 0) {
            MarkFailed(f.pc, f.pos, f.pos + f.b);
          } else {
            f.a = (int32_t)k;
            stack[top++] = f;
            s = f.pos + k;
            pc = next;
            resumed = true;
          }
          break;
        }
        default:
          break;
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------------------
// Replacement

char* SECRegExp::Substitute(const char* pszTemplate) const {
  if (pszTemplate == nullptr || m_pszMatch == nullptr || m_apszStart[0] == nullptr) return nullptr;
  const char* const base = m_apszStart[0];
  const size_t matchLen = strlen(m_pszMatch);
  // Groups are read from the match copy, which stays valid when the subject is gone.
  auto group = [&](int no, size_t* pOff) -> size_t {
    const char* gs = m_apszStart[no];
    const char* ge = m_apszEnd[no];
    if (gs == nullptr || ge == nullptr || ge <= gs || gs < base) return 0;
    const size_t off = (size_t)(gs - base);
    const size_t n = (size_t)(ge - gs);
    if (off > matchLen || n > matchLen - off) return 0;
    *pOff = off;
    return n;
  };
  auto expand = [&](char* dst) -> size_t {
    size_t out = 0;
    const char* src = pszTemplate;
    char c;
    while ((c = *src++) != '\0') {
      int no;
      if (c == '&')
        no = 0;
      else if (c == '\\' && *src >= '0' && *src <= '9')
        no = *src++ - '0';
      else
        no = -1;
      if (no < 0) {
        if (c == '\\' && (*src == '\\' || *src == '&')) c = *src++;
        if (dst) dst[out] = c;
        ++out;
      } else {
        size_t off = 0;
        const size_t n = group(no, &off);
        if (dst && n) memcpy(dst + out, m_pszMatch + off, n);
        out += n;
      }
    }
    return out;
  };
  const size_t n = expand(nullptr);
  char* result = new char[n + 1];
  expand(result);
  result[n] = '\0';
  return result;
}

const char* RegexFindLine(SECRegExp& re, const char* pszLine, int* pnMatchLen, const char* pszTemplate,
                          CString* pstrExpansion) {
  // The matcher sees the line only up to its first carriage return.
  const int n = pszLine != nullptr ? (int)strcspn(pszLine, "\r") : 0;
  return RegexFindLine(re, pszLine, n, 0, pnMatchLen, pszTemplate, pstrExpansion, nullptr);
}

const char* RegexFindLine(SECRegExp& re, const char* pszLine, int nLength, int nStart, int* pnMatchLen,
                          const char* pszTemplate, CString* pstrExpansion, const char* pszLetters) {
  if (pstrExpansion != nullptr) pstrExpansion->Empty();
  if (pszLine == nullptr || nLength < 0 || nStart < 0 || nStart > nLength) {
    re.ExecuteSpan(nullptr, nullptr);
    return nullptr;
  }
  const int off = re.ExecuteSpan(pszLine + nStart, pszLine + nLength, pszLine);
  if (off < 0) return nullptr;
  const char* match = pszLine + nStart + off;
  const int len = (int)(re.m_apszEnd[0] - re.m_apszStart[0]);
  if (pnMatchLen != nullptr) *pnMatchLen = len;
  if (pszTemplate != nullptr && pstrExpansion != nullptr) {
    // Groups are read from the match copy: give it the line's own letters.
    if (pszLetters != nullptr && re.m_pszMatch != nullptr) memcpy(re.m_pszMatch, pszLetters + (match - pszLine), (size_t)len);
    char* expansion = re.Substitute(pszTemplate);
    if (expansion != nullptr) {
      *pstrExpansion = expansion;
      delete[] expansion;
    }
  }
  return match;
}
