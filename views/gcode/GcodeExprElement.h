// One item of a parsed G-code expression: a prefix operator or bracket, a binary operator, or a number.
#pragma once

#include "platform/core/Object.h"

class CGcodeExprElement : public CObject {
 public:
  enum { kindPrefix = 0, kindBinary = 1, kindNumber = 2 };

  CGcodeExprElement() = default;
  CGcodeExprElement(int kind, int code, double value) : m_nKind(kind), m_nCode(code), m_dValue(value) {}
  CGcodeExprElement(const CGcodeExprElement&) = default;
  CGcodeExprElement& operator=(const CGcodeExprElement&) = default;

  int m_nKind = kindNumber;
  int m_nCode = 0;       // operator code of kinds 0 and 1
  double m_dValue = 0;   // value of kind 2
};
