// A short arithmetic text over drive variables, kept as a postfix list and evaluated as the
// variables change.
#pragma once

#include "kernel/values/MC_Value.h"
#include "platform/core/List.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

class CMC_Setup;
class CMC_CoffFormat;
class CMC_MemoryCache;
class CMC_Variable;

class CExpressionBinaryOperator : public CObject {
  DECLARE_DYNAMIC(CExpressionBinaryOperator)
 public:
  enum { OP_ADD = 0, OP_SUBTRACT = 1, OP_MULTIPLY = 2, OP_DIVIDE = 3, OP_POWER = 4 };
  explicit CExpressionBinaryOperator(int op = OP_ADD) : m_nOperator(op) {}
  int m_nOperator;
};

class CExpressionConstant : public CObject {
  DECLARE_DYNAMIC(CExpressionConstant)
 public:
  explicit CExpressionConstant(double value = 0) : m_dValue(value) {}
  double m_dValue;
};

// A setup variable (read in `m_strUnit` when one is given) or a raw memory location.
class CExpressionVariable : public CObject {
  DECLARE_DYNAMIC(CExpressionVariable)
 public:
  CMC_Variable* m_pVariable = nullptr;  // not owned
  WORD m_nAddress = 0;
  tagVarType m_nType = VAR_INVALID;
  CString m_strUnit;
  int m_bNegate = 0;
  double m_dValue = 1.0;
};

class CMC_Expression : public CObject {
  DECLARE_DYNAMIC(CMC_Expression)
 public:
  CMC_Expression() = default;
  ~CMC_Expression() override { Destroy(); }
  CMC_Expression(const CMC_Expression&) = delete;
  CMC_Expression& operator=(const CMC_Expression&) = delete;

  // 1 when the text parses and evaluates; otherwise 0 and an empty list.
  int Create(const char* text, CMC_Setup* setup, CMC_CoffFormat* coff);
  void Destroy();
  int GetValue(double& result) const;
  int ReadVariablesFromCache(CMC_MemoryCache& cache, BYTE axis);
  int ReadVariablesFromChip(BYTE axis);
  void RegisterAddresses(CMC_MemoryCache& cache, BYTE axis, WORD maxAge);
  bool IsEmpty() const { return m_list.IsEmpty(); }

 private:
  // Reads a number at `p`; false when none is there.
  bool AddNumber(const char*& p, bool negate);
  bool AddVariable(const char*& p, bool negate, CMC_Setup* setup, CMC_CoffFormat* coff);
  void AddOperator(int op) { m_list.AddTail(new CExpressionBinaryOperator(op)); }
  static int GetOperatorPriority(char c);
  // Refreshes every variable node through `read` (the node's raw value into `value`).
  template <class Read>
  int ReadVariables(Read read);

  CObList m_list{10};
};
