#include "views/gcode/GcodeTranslator.h"

#include <cmath>
#include <algorithm>
#include <cstring>

#include "platform/core/Format.h"

namespace {

const double kPi = 3.141592653589793;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Exact powers of ten: a decimal of at most 15 significant digits divided by one of them is
// rounded once, so the result is the same double the scan of "%lf" gives.
const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

CGcodeTranslator::CGcodeTranslator() : CGcodeTranslator(tagGcodeSettings()) {}

CGcodeTranslator::CGcodeTranslator(const tagGcodeSettings& settings) : m_settings(settings) {
  std::memset(m_dParameters, 0, sizeof(m_dParameters));
  m_dParameters[5220] = 1;
  for (int i = 0; i < 6; i++) m_dPosition[i] = m_dProgram[i] = m_dOffset[i] = 0;
  for (int i = 0; i < WORD_COUNT; i++) m_dWord[i] = 0, m_bWord[i] = false;
  for (int i = 0; i < 3; i++) m_dCycleDepth[i] = 0, m_bCycleDepth[i] = false;
  m_dCycleR = 0;
  m_bCycleR = false;
  m_dFeed = m_settings.m_dFeedRate;
  m_dSpeed = m_settings.m_dSpindleSpeed;
  m_bMachineCoords = false;
  m_bImplicitMotion = false;
  m_nBufferType = m_nBufferMask = 0;
  m_nPrevType = m_nPrevMask = 0;
  m_dPrevSpeed = 0;
  m_pszPrevSpeedUnit = "";
  ResetGcodeState();
}

// ---------------------------------------------------------------------------------------------
// The run

void CGcodeTranslator::BeginRun() {
  m_arrElements.clear();
  std::memset(m_dParameters, 0, sizeof(m_dParameters));
  for (int i = 0; i < 6; i++) m_dOffset[i] = 0;
  ResetGcodeState();
  m_dParameters[5220] = 1;
  m_nBufferType = m_nBufferMask = 0;
  m_arrSegSpeed.clear();
  m_arrSegKind.clear();
  for (auto& v : m_arrSegValue) v.clear();
  m_nPrevType = m_nPrevMask = 0;
  m_dPrevSpeed = 0;
  m_pszPrevSpeedUnit = "";
  for (int i = 0; i < 3; i++) m_bCycleDepth[i] = false;
  m_bCycleR = false;
  for (int i = 0; i < WORD_COUNT; i++) m_bWord[i] = false;
  m_dFeed = m_settings.m_dFeedRate;
  m_dSpeed = m_settings.m_dSpindleSpeed;
  AddGcodeJump("gcode_start", TRUE);
}

BOOL CGcodeTranslator::TranslateLine(int lineNumber, const CString& line, CString& error) {
  error.Empty();
  if (!TokenizeGcodeLine(line, m_arrTexts, m_arrKinds)) {
    error.Format("Error at line %d: unknown token!\n\nG-code block: %s", lineNumber, (const char*)line);
    return FALSE;
  }
  CString message;
  if (!ParseGcodeBlock(m_arrTexts, m_arrKinds, m_arrLetters, m_arrValues, m_arrParamNumbers, m_arrParamValues,
                       m_strComment, message)) {
    error.Format("Error at line %d: %s!\n\nG-code block: %s", lineNumber, (const char*)message, (const char*)line);
    return FALSE;
  }
  if (m_strComment.GetLength() >= 2) AddGcodeFreeText(m_strComment.Mid(1, m_strComment.GetLength() - 2));
  ExecuteGcodeBlock();
  return TRUE;
}

BOOL CGcodeTranslator::Translate(const char* text, CString& error) {
  error.Empty();
  BeginRun();
  BOOL ok = TRUE;
  if (text) {
    CString line;
    int number = 0;
    const char* p = text;
    while (*p) {
      const char* end = std::strchr(p, '\n');
      const char* stop = end ? end : p + std::strlen(p);
      std::string& lineText = line.str();
      lineText.assign(p, stop);
      if (std::memchr(p, '\r', (size_t)(stop - p)))
        lineText.erase(std::remove(lineText.begin(), lineText.end(), '\r'), lineText.end());
      number++;
      if (!TranslateLine(number, line, error)) {
        ok = FALSE;
        break;
      }
      if (!end) break;
      p = end + 1;
    }
  }
  EndRun();
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Tokens

BOOL CGcodeTranslator::TokenizeGcodeLine(const CString& line, std::vector<CString>& texts, std::vector<BYTE>& kinds) {
  // The token strings of the last line are written over rather than freed and made again.
  size_t count = 0;
  auto push = [&](const char* text, size_t n, BYTE k) {
    if (count < texts.size()) texts[count].str().assign(text, n);
    else texts.emplace_back(text, (int)n);
    if (count < kinds.size()) kinds[count] = k;
    else kinds.push_back(k);
    ++count;
  };
  std::string token;
  BYTE kind = 0;
  auto end = [&]() {
    if (kind) {
      push(token.data(), token.size(), kind);
      token.clear();
      kind = 0;
    }
  };
  struct Trim {
    std::vector<CString>& texts;
    std::vector<BYTE>& kinds;
    const size_t& count;
    ~Trim() {
      texts.resize(count);
      kinds.resize(count);
    }
  } trim{texts, kinds, count};
  const std::string& s = line.str();
  for (size_t i = 0; i < s.size(); i++) {
    char c = s[i];
    if (kind == TOKEN_COMMENT) {
      token += c;
      if (c == ')') end();
      continue;
    }
    switch (c) {
      case ' ':
      case '\t':
        break;
      case '#':
      case '+':
      case '-':
      case '/':
      case '=':
      case '[':
      case ']':
        end();
        push(&c, 1, TOKEN_OPERATOR);
        break;
      case '(':
        end();
        token = "(";
        kind = TOKEN_COMMENT;
        break;
      case '*':
        if (kind == TOKEN_OPERATOR && token == "*") {
          token = "**";
          end();
        } else {
          end();
          token = "*";
          kind = TOKEN_OPERATOR;
        }
        break;
      case '.':
        if (kind == TOKEN_INTEGER) {
          token += c;
          kind = TOKEN_DECIMAL;
        } else if (kind == TOKEN_DECIMAL) {
          return FALSE;
        } else {
          end();
          token = ".";
          kind = TOKEN_DECIMAL;
        }
        break;
      default:
        if (IsDigit(c)) {
          if (kind == TOKEN_INTEGER || kind == TOKEN_DECIMAL) {
            token += c;
          } else {
            end();
            token = c;
            kind = TOKEN_INTEGER;
          }
        } else if (IsLetter(c)) {
          if (c >= 'a') c = (char)(c - 'a' + 'A');
          if (kind == TOKEN_WORD) {
            token += c;
          } else {
            end();
            token = c;
            kind = TOKEN_WORD;
          }
        } else {
          return FALSE;
        }
    }
  }
  if (kind == TOKEN_COMMENT) return FALSE;
  end();
  return TRUE;
}

BOOL CGcodeTranslator::ScanGcodeNumber(BYTE kind, const CString& text, double& value) {
  if (kind != TOKEN_INTEGER && kind != TOKEN_DECIMAL) return FALSE;
  // Fast path for the common short numbers; anything longer goes through the scanner.
  const std::string& s = text.str();
  unsigned long long mantissa = 0;
  int digits = 0, fraction = -1;
  bool fast = true;
  for (char c : s) {
    if (c == '.') {
      fraction = 0;
      continue;
    }
    if (!IsDigit(c)) {
      fast = false;
      break;
    }
    if (mantissa == 0 && c == '0') {
      if (fraction >= 0) fraction++;
      continue;
    }
    mantissa = mantissa * 10 + (unsigned long long)(c - '0');
    if (fraction >= 0) fraction++;
    if (++digits > 15) {
      fast = false;
      break;
    }
  }
  if (fast && (digits > 0 || s.find_first_of("0123456789") != std::string::npos)) {
    int scale = fraction > 0 ? fraction : 0;
    if (scale <= 22) {
      value = (double)mantissa / kPow10[scale];
      return TRUE;
    }
  }
  double v = 0;
  if (ScanString(text, "%lf", &v) != 1) return FALSE;
  value = v;
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Expressions

int CGcodeTranslator::FindPrefixOperator(BYTE kind, const CString& text) const {
  const std::string& s = text.str();
  if (kind == TOKEN_OPERATOR) {
    if (s.size() != 1) return -1;
    switch (s[0]) {
      case '#': return OP_PARAM;
      case '+': return OP_PLUS;
      case '-': return OP_MINUS;
      case '[': return OP_OPEN;
      case ']': return OP_CLOSE;
    }
    return -1;
  }
  if (kind != TOKEN_WORD) return -1;
  static const char* const names[] = {"ABS", "ACOS", "ASIN", "ATAN", "COS", "EXP",  "FIX",
                                      "FUP", "LN",   "ROUND", "SIN", "SQRT", "TAN"};
  for (int i = 0; i < 13; i++)
    if (s == names[i]) return i;
  if (s == "NOT") return OP_NOT;
  return -1;
}

int CGcodeTranslator::FindBinaryOperator(BYTE kind, const CString& text) const {
  const std::string& s = text.str();
  if (kind == TOKEN_OPERATOR) {
    if (s == "**") return OP_POW;
    if (s.size() != 1) return -1;
    switch (s[0]) {
      case '+': return OP_ADD;
      case '-': return OP_SUB;
      case '*': return OP_MUL;
      case '/': return OP_DIV;
    }
    return -1;
  }
  if (kind != TOKEN_WORD) return -1;
  if (s == "OR") return OP_OR;
  if (s == "XOR") return OP_XOR;
  if (s == "AND") return OP_AND;
  if (s == "MOD") return OP_MOD;
  return -1;
}

// A smaller number binds tighter.
static int Precedence(int code) {
  switch (code) {
    case CGcodeTranslator::OP_OPEN:
    case CGcodeTranslator::OP_CLOSE: return 100;
    case CGcodeTranslator::OP_ADD:
    case CGcodeTranslator::OP_SUB:
    case CGcodeTranslator::OP_OR:
    case CGcodeTranslator::OP_XOR:
    case CGcodeTranslator::OP_AND: return 4;
    case CGcodeTranslator::OP_MUL:
    case CGcodeTranslator::OP_DIV:
    case CGcodeTranslator::OP_MOD: return 3;
    case CGcodeTranslator::OP_POW: return 2;
  }
  return 1;
}

double CGcodeTranslator::ParseGcodeExpression(const std::vector<CString>& texts, const std::vector<BYTE>& kinds,
                                              int& position, CString& error, int last) {
  error.Empty();
  const int count = (int)texts.size();
  if (last < 0 || last > count) last = count;
  m_arrOpStack.clear();
  m_arrOutput.clear();
  bool operand = true;
  int i = position < 0 ? 0 : position;
  for (; i < last; i++) {
    const BYTE kind = kinds[i];
    const CString& text = texts[i];
    if (operand) {
      int code = FindPrefixOperator(kind, text);
      if (code >= 0 && code != OP_CLOSE) {
        m_arrOpStack.emplace_back(CGcodeExprElement::kindPrefix, code, 0.0);
        continue;
      }
      double v = 0;
      if ((kind == TOKEN_INTEGER || kind == TOKEN_DECIMAL) && ScanGcodeNumber(kind, text, v)) {
        m_arrOutput.emplace_back(CGcodeExprElement::kindNumber, 0, v);
        operand = false;
        continue;
      }
      error.Format("unexpected token '%s'", (const char*)text);
      position = i;
      return 0;
    }
    if (kind == TOKEN_OPERATOR && text.GetLength() == 1 && text[0] == ']') {
      for (;;) {
        if (m_arrOpStack.empty()) {
          error = "missing open bracket before ']'";
          position = i;
          return 0;
        }
        CGcodeExprElement top = m_arrOpStack.back();
        m_arrOpStack.pop_back();
        if (top.m_nKind == CGcodeExprElement::kindPrefix && top.m_nCode == OP_OPEN) break;
        m_arrOutput.push_back(top);
      }
      continue;
    }
    int code = FindBinaryOperator(kind, text);
    if (code < 0) break;
    const int prec = Precedence(code);
    while (!m_arrOpStack.empty() && Precedence(m_arrOpStack.back().m_nCode) <= prec) {
      m_arrOutput.push_back(m_arrOpStack.back());
      m_arrOpStack.pop_back();
    }
    m_arrOpStack.emplace_back(CGcodeExprElement::kindBinary, code, 0.0);
    operand = true;
  }
  position = i;
  while (!m_arrOpStack.empty()) {
    CGcodeExprElement top = m_arrOpStack.back();
    m_arrOpStack.pop_back();
    if (top.m_nKind == CGcodeExprElement::kindPrefix && top.m_nCode == OP_OPEN) {
      error = "missing close bracket after '['";
      return 0;
    }
    m_arrOutput.push_back(top);
  }
  m_arrEvalStack.clear();
  for (const CGcodeExprElement& e : m_arrOutput) {
    if (e.m_nKind == CGcodeExprElement::kindNumber) {
      m_arrEvalStack.push_back(e.m_dValue);
    } else if (e.m_nKind == CGcodeExprElement::kindPrefix) {
      if (m_arrEvalStack.empty()) {
        error = "invalid expression format";
        return 0;
      }
      double r = EvaluateGcodeUnaryOperation(e.m_nCode, m_arrEvalStack.back(), error);
      if (!error.IsEmpty()) return 0;
      m_arrEvalStack.back() = r;
    } else {
      if (m_arrEvalStack.size() < 2) {
        error = "invalid expression format";
        return 0;
      }
      double b = m_arrEvalStack.back();
      m_arrEvalStack.pop_back();
      double r = EvaluateGcodeBinaryOperation(e.m_nCode, m_arrEvalStack.back(), b, error);
      if (!error.IsEmpty()) return 0;
      m_arrEvalStack.back() = r;
    }
  }
  if (m_arrEvalStack.size() != 1) {
    error = "invalid expression format";
    return 0;
  }
  // An infinite or undefined value would travel into positions and parameter strings.
  if (!std::isfinite(m_arrEvalStack[0])) {
    error = "number out of range";
    return 0;
  }
  return m_arrEvalStack[0];
}

double CGcodeTranslator::EvaluateGcodeUnaryOperation(int code, double x, CString& error) const {
  switch (code) {
    case OP_ABS: return std::fabs(x);
    case OP_ACOS:
      if (x < -1 || x > 1) {
        error = "invalid ACOS argument";
        return 0;
      }
      return std::acos(x) * 180.0 / kPi;
    case OP_ASIN:
      if (x < -1 || x > 1) {
        error = "invalid ASIN argument";
        return 0;
      }
      return std::asin(x) * 180.0 / kPi;
    case OP_ATAN: return std::atan(x) * 180.0 / kPi;
    case OP_COS: return std::cos(x * kPi / 180.0);
    case OP_EXP: return std::exp(x);
    case OP_FIX: return std::floor(x);
    case OP_FUP: return std::ceil(x);
    case OP_LN:
      if (x <= 0) {
        error = "invalid LN argument";
        return 0;
      }
      return std::log(x);
    case OP_ROUND: return std::floor(x + 0.5);
    case OP_SIN: return std::sin(x * kPi / 180.0);
    case OP_SQRT:
      if (x < 0) {
        error = "invalid SQRT argument";
        return 0;
      }
      return std::sqrt(x);
    case OP_TAN: return std::tan(x * kPi / 180.0);
    case OP_PARAM: {
      if (!(x == std::floor(x + 0.5))) {
        error = "integer number expected as parameter name";
        return 0;
      }
      if (x < 1 || x > MAX_PARAMETER) {
        // the number as a 32-bit integer, saturated where it does not fit
        int n = x < -2147483648.0 ? INT32_MIN : x > 2147483647.0 ? INT32_MAX : (int)x;
        error.Format("parameter #%d does not exist", n);
        return 0;
      }
      return m_dParameters[(int)x];
    }
    case OP_PLUS: return x;
    case OP_MINUS: return -x;
    case OP_NOT: return x == 0 ? 1.0 : 0.0;
  }
  return 0;
}

double CGcodeTranslator::EvaluateGcodeBinaryOperation(int code, double a, double b, CString& error) {
  switch (code) {
    case OP_ADD: return a + b;
    case OP_SUB: return a - b;
    case OP_MUL: return a * b;
    case OP_DIV:
      if (b == 0) {
        error = "number divided by 0";
        return 0;
      }
      return a / b;
    case OP_OR: return (a != 0 || b != 0) ? 1.0 : 0.0;
    case OP_XOR: return ((a != 0) != (b != 0)) ? 1.0 : 0.0;
    case OP_AND: return (a != 0 && b != 0) ? 1.0 : 0.0;
    case OP_MOD: {
      auto isInt32 = [](double v) { return v >= -2147483648.0 && v <= 2147483647.0 && v == std::trunc(v); };
      if (!isInt32(a) || !isInt32(b)) {
        error = "MOD operands must be integers";
        return 0;
      }
      int32_t ia = (int32_t)a, ib = (int32_t)b;
      if (ib == 0) {
        error = "number divided by 0";
        return 0;
      }
      if (ib == -1) return 0;  // INT32_MIN % -1 would trap
      return (double)(ia % ib);
    }
    case OP_POW: return std::pow(a, b);
  }
  return 0;
}
