#include "monitor/loggers/MC_Expression.h"

#include "comm/MC_CoffFormat.h"
#include "comm/MC_Comm.h"
#include "comm/MC_MemoryCache.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/values/Utilities.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CExpressionBinaryOperator, CObject)
IMPLEMENT_DYNAMIC(CExpressionConstant, CObject)
IMPLEMENT_DYNAMIC(CExpressionVariable, CObject)
IMPLEMENT_DYNAMIC(CMC_Expression, CObject)

namespace {

bool IsBlank(char c) { return isspace((unsigned char)c) != 0; }
bool IsDigit(char c) { return isdigit((unsigned char)c) != 0; }
int OperatorCode(char c) { return c == '+' ? 0 : c == '-' ? 1 : c == '*' ? 2 : c == '/' ? 3 : 4; }

// "(" on the operator stack; "N" is a group whose value a "-" before it negates.
bool IsOpening(char c) { return c == '(' || c == 'N'; }

}  // namespace

void CMC_Expression::Destroy() {
  for (POSITION pos = m_list.GetHeadPosition(); pos;) delete m_list.GetNext(pos);
  m_list.RemoveAll();
}

int CMC_Expression::GetOperatorPriority(char c) {
  switch (c) {
    case '^': return 1;
    case '*':
    case '/': return 2;
    case '+':
    case '-': return 3;
    case '(':
    case ')': return 100;
    default: return 0;
  }
}

bool CMC_Expression::AddNumber(const char*& p, bool negate) {
  const char* start = p;
  while (IsDigit(*p)) ++p;
  // An exponent only follows a decimal point: "1e3" ends before the "e".
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) ++p;
    if (*p == 'e' || *p == 'E') {
      ++p;
      if (*p == '+' || *p == '-') ++p;
      while (IsDigit(*p)) ++p;
    }
  }
  const std::string text(start, p);
  char* end = nullptr;
  const double v = strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size()) return false;
  m_list.AddTail(new CExpressionConstant(negate ? -v : v));
  return true;
}

bool CMC_Expression::AddVariable(const char*& p, bool negate, CMC_Setup* setup, CMC_CoffFormat* coff) {
  const char* start = p;
  while (isalnum((unsigned char)*p) || *p == '_' || *p == '@') ++p;
  const CString name(std::string(start, p).c_str());
  const char* after = p;
  while (IsBlank(*after)) ++after;
  CString unit;
  if (*after == '[') {
    const char* close = strchr(after, ']');
    if (!close) return false;
    unit = CString(std::string(after + 1, close).c_str());
    unit.Trim();
    if (unit == "IU") unit.Empty();
    p = close + 1;
  }
  auto* node = new CExpressionVariable;
  node->m_bNegate = negate;
  node->m_strUnit = unit;
  if ((node->m_pVariable = setup->FindVariable(name, 1)) == nullptr) {
    // Raw memory: a program symbol or an address expression, never with a unit.
    const bool found = unit.IsEmpty() && ((coff && coff->LocateVariable(name, node->m_nAddress, node->m_nType) &&
                                           node->m_nType != VAR_INVALID) ||
                                          (LocateMemoryAddress(name, node->m_nAddress, node->m_nType) &&
                                           node->m_nType != VAR_INVALID));
    if (!found) {
      delete node;
      return false;
    }
  }
  m_list.AddTail(node);
  return true;
}

int CMC_Expression::Create(const char* text, CMC_Setup* setup, CMC_CoffFormat* coff) {
  Destroy();
  if (!text || !setup) return 0;
  std::vector<char> ops;
  bool operand = true, any = false;
  int sign = 0;
  auto popTo = [&](auto stop) {
    while (!ops.empty() && !IsOpening(ops.back()) && !stop(ops.back())) {
      AddOperator(OperatorCode(ops.back()));
      ops.pop_back();
    }
  };
  for (const char* p = text;;) {
    while (IsBlank(*p)) ++p;
    if (!*p) break;
    const char c = *p;
    bool ok = true;
    if (operand) {
      if (c == '(') {
        ops.push_back(sign < 0 ? 'N' : '(');
        sign = 0;
        ++p;
        continue;
      }
      if (c == '+' || c == '-') {
        ok = sign == 0;
        sign = c == '-' ? -1 : 1;
        ++p;
      } else {
        if (IsDigit(c) || c == '.')
          ok = AddNumber(p, sign < 0);
        else if (isalpha((unsigned char)c) || c == '_')
          ok = AddVariable(p, sign < 0, setup, coff);
        else
          ok = false;
        sign = 0;
        operand = false;
        any = true;
      }
    } else if (c == ')') {
      popTo([](char) { return false; });
      ok = !ops.empty();
      if (ok) {
        if (ops.back() == 'N') {
          m_list.AddTail(new CExpressionConstant(-1));
          AddOperator(CExpressionBinaryOperator::OP_MULTIPLY);
        }
        ops.pop_back();
      }
      ++p;
    } else {
      const int priority = GetOperatorPriority(c);
      ok = priority >= 1 && priority <= 3;
      popTo([&](char top) { return GetOperatorPriority(top) > priority; });
      ops.push_back(c);
      operand = true;
      sign = 0;
      ++p;
    }
    if (!ok) {
      Destroy();
      return 0;
    }
  }
  popTo([](char) { return false; });
  double value;
  if (!ops.empty() || !any || !GetValue(value)) {
    Destroy();
    return 0;
  }
  return 1;
}

int CMC_Expression::GetValue(double& result) const {
  std::vector<double> stack;
  for (POSITION pos = m_list.GetHeadPosition(); pos;) {
    CObject* node = m_list.GetNext(pos);
    if (auto* c = dynamic_cast<CExpressionConstant*>(node)) {
      stack.push_back(c->m_dValue);
    } else if (auto* v = dynamic_cast<CExpressionVariable*>(node)) {
      stack.push_back(v->m_dValue);
    } else if (auto* op = dynamic_cast<CExpressionBinaryOperator*>(node); op && stack.size() >= 2) {
      const double b = stack.back();
      stack.pop_back();
      double& a = stack.back();
      switch (op->m_nOperator) {
        case CExpressionBinaryOperator::OP_ADD: a += b; break;
        case CExpressionBinaryOperator::OP_SUBTRACT: a -= b; break;
        case CExpressionBinaryOperator::OP_MULTIPLY: a *= b; break;
        case CExpressionBinaryOperator::OP_DIVIDE: a /= b; break;
        case CExpressionBinaryOperator::OP_POWER: a = pow(a, b); break;
        default: return 0;
      }
    } else {
      return 0;
    }
  }
  if (stack.size() != 1) return 0;
  result = stack.back();
  return 1;
}

template <class Read>
int CMC_Expression::ReadVariables(Read read) {
  for (POSITION pos = m_list.GetHeadPosition(); pos;) {
    auto* node = dynamic_cast<CExpressionVariable*>(m_list.GetNext(pos));
    if (!node) continue;
    double value;
    if (node->m_pVariable) {
      // A copy: the setup's own variable keeps its unit and value.
      CMC_Variable variable(*node->m_pVariable);
      CMC_Value& raw = variable.GetRawValue();
      if (!read(variable.GetType(), variable.GetAddress(), raw)) return 0;
      if (node->m_strUnit.IsEmpty())
        value = variable.GetValueInInternalUnit();
      else if (variable.ChangeUnit(node->m_strUnit))
        value = variable.GetValue();
      else
        return 0;
    } else {
      CMC_Value raw;
      if (node->m_nType == VAR_INVALID || !read(node->m_nType, node->m_nAddress, raw)) return 0;
      value = raw.GetValue(node->m_nType);
    }
    node->m_dValue = node->m_bNegate ? -value : value;
  }
  return 1;
}

int CMC_Expression::ReadVariablesFromCache(CMC_MemoryCache& cache, BYTE axis) {
  return ReadVariables([&](tagVarType type, WORD address, CMC_Value& value) {
    WORD words[4] = {0, 0, 0, 0};
    value.WriteToBuffer(type, words);
    cache.GetValue(axis, address, words, CMC_Value::GetSizeInWords(type));
    value.ReadFromBuffer(type, words);
    return true;
  });
}

int CMC_Expression::ReadVariablesFromChip(BYTE axis) {
  if (axis && !CMC_Comm::SetActiveBoard(axis)) return 0;
  return ReadVariables(
      [](tagVarType type, WORD address, CMC_Value& value) { return value.ReadFromChip(type, address) != 0; });
}

void CMC_Expression::RegisterAddresses(CMC_MemoryCache& cache, BYTE axis, WORD maxAge) {
  for (POSITION pos = m_list.GetHeadPosition(); pos;) {
    auto* node = dynamic_cast<CExpressionVariable*>(m_list.GetNext(pos));
    if (!node) continue;
    if (node->m_pVariable)
      cache.AddAddress(axis, node->m_pVariable->GetAddress(), node->m_pVariable->GetSizeInWords(), maxAge);
    else if (node->m_nType != VAR_INVALID)
      cache.AddAddress(axis, node->m_nAddress, CMC_Value::GetSizeInWords(node->m_nType), maxAge);
  }
}
