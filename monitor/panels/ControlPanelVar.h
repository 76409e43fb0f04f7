// One drive quantity a gadget shows or sets: a variable, a memory reference or an expression.
#pragma once

#include "kernel/values/MC_Value.h"
#include "monitor/loggers/MC_Expression.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

class CMC_Setup;
class CMC_CoffFormat;
class CMC_MemoryCache;
class CMC_Variable;
class CDataExchange;

class CControlPanelVar : public CObject {
  DECLARE_DYNAMIC(CControlPanelVar)

 public:
  explicit CControlPanelVar(int allowExpression = TRUE) : m_bAllowExpression(allowExpression) {}
  CControlPanelVar(const CControlPanelVar& other);
  // Copies the settings; the copy must be located again.
  CControlPanelVar& operator=(const CControlPanelVar& other);

  int Locate(CMC_Setup* setup, CMC_CoffFormat* coff);
  // As Locate; a setup variable also gives its own unit.
  int LocateAndResetUnit(CMC_Setup* setup, CMC_CoffFormat* coff);
  void RegisterAddresses(CMC_MemoryCache& cache, unsigned short maxAge);
  void UpdateValues(CMC_MemoryCache& cache);
  int GetUpdateChipCommand(CString& command);
  void ValueToText(double& value, CString& text);
  int TextToValue(CString& text, double& value);
  void DDX_Value(CDataExchange* pDX, UINT id, double& value);

  CMC_Variable* GetMCVariable() const { return m_bExpression ? nullptr : m_pVariable; }
  WORD GetVarAddress() const;
  tagVarType GetVarType() const;
  int IsValid() const;

  CString SaveConfigLine() const;
  int LoadConfigLine(CString& line);

  int m_bAllowExpression;
  BYTE m_nAxis = 0;
  CString m_strName;
  CString m_strUnit;
  short m_nPrecision = 3;
  double m_dValue = 0;
  double m_dMin = 0;
  double m_dMax = 1000;
  int m_bExpression = 0;
  int m_bHexa = 0;

  // Where the quantity was found; never stored.
  WORD m_nAddress = 0;
  tagVarType m_nType = VAR_INVALID;
  CMC_Variable* m_pVariable = nullptr;  // the setup's, not owned
  CMC_Expression m_expression;

 private:
  int Locate(CMC_Setup* setup, CMC_CoffFormat* coff, bool resetUnit);
  void ClearLocation();
  bool IsExpression() const { return m_bAllowExpression && m_bExpression; }
  // Values shown as plain doubles: expressions and variables in a selected unit.
  bool ShownAsDouble() const;
};
