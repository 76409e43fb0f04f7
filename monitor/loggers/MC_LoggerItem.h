// One logged signal of a logger: a variable, a bit of one, a register bit or a digital port.
#pragma once

#include "kernel/values/MC_Value.h"
#include "kernel/values/ObArrayEx.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

class CMC_Setup;
class CMC_CoffFormat;

class CMC_LoggerItem : public CObject {
  DECLARE_SERIAL(CMC_LoggerItem)

 public:
  enum tagLoggerItemType {
    ITEM_NONE = -1,
    ITEM_VARIABLE = 0,
    ITEM_STATUS_BIT = 1,
    ITEM_ERROR_BIT = 2,
    ITEM_INPUT = 3,
    ITEM_OUTPUT = 4,
    ITEM_VARIABLE_BIT = 5,
  };

  CMC_LoggerItem(const char* axis, const char* name, int type, short bit, int scaled);
  explicit CMC_LoggerItem(const char* name = nullptr, int type = ITEM_VARIABLE, short bit = -1, int scaled = 1);
  CMC_LoggerItem(const CMC_LoggerItem& other);
  CMC_LoggerItem& operator=(const CMC_LoggerItem& other);

  // Drive words the item takes in one logged point.
  short GetSizeInWords() const;
  CString GetCurveName() const;

  // Finds the item's address, mask and value type; 0 (the item unchanged) when it cannot be found.
  int SetFromSetup(CMC_Setup* setup);
  int SetFromCoff(CMC_CoffFormat* coff);

  // Raw words <-> engineering value, through the factor and offset; the buffer forms advance `p`.
  void GetValue(double& value) const;
  void GetValueFromBinary(const WORD* words, double& value);
  void GetValueFromBuffer(const WORD*& p, double& value);
  void SetValue(double value);
  void SetValueToBinary(WORD* words, double value);
  void SetValueToBuffer(WORD*& p, double value);
  CString PrintValue(CMC_Setup* setup) const;
  int ScanValue(CMC_Setup* setup, const char* text);

  static int SameLoggerItems(const CMC_LoggerItem& a, const CMC_LoggerItem& b);

  void Serialize(CArchive& ar) override;

 private:
  // A bit, register bit or port: one unsigned word read through the mask.
  bool IsBitItem() const { return m_nBit >= 0; }
  tagVarType RawType() const { return IsBitItem() ? VAR_UINT : m_nVarType; }

 public:
  int m_bScaled = 1;
  int m_nType = ITEM_VARIABLE;
  CString m_strAxis;
  WORD m_nAddress = 0;
  WORD m_nMask = 0;
  tagVarType m_nVarType = VAR_INVALID;
  CString m_strName;
  CString m_strUnit;
  short m_nBit = -1;
  CMC_Value m_value;
  CString m_strBaseUnit;
  double m_dFactor = 1.0;
  double m_dOffset = 0.0;
};

class CMC_LoggerItemsArray : public CObArrayEx<CMC_LoggerItem> {
 public:
  CMC_LoggerItemsArray() : CObArrayEx<CMC_LoggerItem>(TRUE) {}
  CMC_LoggerItemsArray& operator=(const CMC_LoggerItemsArray& other);

  int FindVariable(const char* name) const;
  int FindVariable(const char* axis, const char* name) const;
  // W: the drive words of one logged point (of one axis).
  WORD GetVariablesBufferSize() const;
  WORD GetVariablesBufferSize(const char* axis) const;
};
