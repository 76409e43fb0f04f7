// The unit table of a setup, read from a unit file: units grouped by type, converted through base units.
#pragma once

#include "kernel/params/MC_Unit.h"
#include "kernel/values/ObArrayEx.h"
#include "platform/core/Collections.h"
#include "platform/core/String.h"

class CComboBox;
class CMC_Setup;

// Map from an unsigned key to an int whose assignment copies every pair.
class CMapUnsignedToInt : public CMap<UINT, UINT, int, int> {
 public:
  explicit CMapUnsignedToInt(INT_PTR blockSize = 10) : CMap(blockSize) {}
  CMapUnsignedToInt& operator=(const CMapUnsignedToInt& other);
};

class CMC_Units {
 public:
  CMC_Units();
  CMC_Units(const CMC_Units& other);
  CMC_Units& operator=(const CMC_Units& other);
  virtual ~CMC_Units();

  // A backslash before a unit name stands for the drive's internal unit of that unit.
  static CString GetIUOfUnit(const char* name);
  static CString DumpIUOfUnit(const char* name);
  static BOOL IsInternalUnit(const char* name);
  // Item 0 of a combo filled with the internal unit.
  static BOOL IsInternalUnit(CComboBox* combo, int index);
  static BOOL IsValidUnit(const char* name);
  static BOOL IsCANopenInternalUnit(SHORT a, SHORT b) { return a == 0 && b == 0; }

  // Reads "Units\<file>" ("units.cfg" when none) of the kernel folder; on failure the table is empty.
  int Initialize(const char* file);
  void Cleanup();

  const CObArrayEx<CMC_Unit>& GetUnits() const { return m_arrUnits; }
  CMC_Unit* FindUnit(const char* name) const;
  CMC_Unit* FindBaseUnit(DWORD unitType) const;
  CMC_Unit* FindBaseUnit(const char* name) const;
  int CompatibleUnits(const char* a, const char* b) const;
  int ConvertValue(double& value, const char* from, const char* to) const;
  int IsLinearUnit(const char* name) const;
  int IsRotaryUnit(const char* name) const;
  CMC_Unit* FindUnitWithRelativeFactor(double ratio, const char* name) const;
  CMC_Unit* FindCANopenUnit(const char* name, SHORT a, SHORT b) const;
  void FillCombo(CComboBox* combo, const char* name, int withInternal) const;
  void FillCANopenCombo(CComboBox* combo, const char* name, SHORT a, SHORT b) const;

 private:
  friend class CMC_Setup;
  friend struct CMC_UnitsTestAccess;

  // Adds or updates a unit: value in the new unit = f * value in `fromName` + o. 1 added, 0 updated,
  // -1 refused.
  int MergeDerivedUnit(const char* newName, const char* fromName, double f, double o);
  int RemoveUnit(const char* name);

  CMC_Unit* LookupUnit(const char* name) const;
  // Stable by unit type; rebuilds the index maps.
  void Sort();
  void RebuildNames();
  int ParseLine(CString line, const char* file, int lineNumber, CMC_Unit*& unit);

  CObArrayEx<CMC_Unit> m_arrUnits;
  CMapStringToPtr m_mapNames;
  CMapUnsignedToInt m_mapFirstIdx;
  CMapUnsignedToInt m_mapLastIdx;
};
