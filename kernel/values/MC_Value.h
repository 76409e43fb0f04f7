// The kernel's numeric drive value: eight bytes interpreted through a type that the holder keeps.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <bit>

static_assert(std::endian::native == std::endian::little, "drive words are laid out little-endian");

enum tagVarType : int32_t {
  VAR_INVALID = -1,
  VAR_INT = 1,     // signed 16-bit
  VAR_UINT = 2,    // unsigned 16-bit
  VAR_LONG = 3,    // signed 32-bit
  VAR_ULONG = 4,   // unsigned 32-bit
  VAR_FLOAT = 5,   // IEEE single
  VAR_DOUBLE = 6,  // IEEE double
  VAR_FIXED = 7,   // signed 16.16
  VAR_UFIXED = 8,  // unsigned 16.16
};

// Any case of "int", "uint", ... "ufixed"; VAR_INVALID for anything else or null.
tagVarType GetType(const char* name);
// "INT" .. "UFIXED"; null outside 1..8.
const char* GetTypeName(tagVarType type);
bool IsFloatingPoint(tagVarType type);
bool IsFixedPoint(tagVarType type);

// "Not available" for doubles derived from values.
constexpr double NOT_AVAILABLE_VALUE = 1.2345e100;

// Every member takes the type; outside 1..8 they change nothing and return 0, false or an empty text.
class CMC_Value {
 public:
  union {
    SHORT m_nInt;
    WORD m_nUInt;
    LONG m_lLong;
    DWORD m_dwULong;
    float m_fFloat;
    double m_dDouble;
    BYTE m_bytes[8];
  };

  CMC_Value() { zero(); }
  CMC_Value(const CMC_Value& other) : m_dDouble(0) { *this = other; }
  CMC_Value& operator=(const CMC_Value& other);

  void zero();

  static WORD GetSizeInWords(tagVarType type);
  static CMC_Value GetMinOfType(tagVarType type);
  static CMC_Value GetMaxOfType(tagVarType type);
  int IsMinOfType(tagVarType type) const;
  int IsMaxOfType(tagVarType type) const;

  double GetValue(tagVarType type) const;
  // Clamps to the type, rounds half up for integer and fixed types; writes only the type's bytes.
  void SetValue(tagVarType type, double value);
  static int Compare(tagVarType type, const CMC_Value& a, const CMC_Value& b);
  // One raw unit up or down; 0 and no change at the end of the type's range.
  int IncValue(tagVarType type);
  int DecValue(tagVarType type);

  // Lowest word first.
  void ReadFromBuffer(tagVarType type, const WORD* words);
  void WriteToBuffer(tagVarType type, WORD* words) const;
  // Through the communication gate; 0x4000..0x7FFF in memory space 2, elsewhere space 1.
  int ReadFromChip(tagVarType type, WORD address);
  int WriteToChip(tagVarType type, WORD address) const;
  static BYTE GetMemorySpace(WORD address);

  CString PrintValue(tagVarType type) const;
  CString PrintValueForZUR(tagVarType type) const;
  CString SaveValue(tagVarType type) const;
  int ScanValue(const char* text, tagVarType type);

  // Slider steps for a span; overwrites this value.
  DWORD GetRangeForSliderCtrl(tagVarType type, double min, double max);
};

static_assert(sizeof(CMC_Value) == 8);
