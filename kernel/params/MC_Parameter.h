// A named drive quantity of a setup: a typed value at a drive address with a range, a unit and
// conversions between internal, base and user units.
#pragma once

#include "kernel/params/MC_QuantityUnits.h"
#include "kernel/values/MC_Value.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

class CMC_Setup;
class CMC_Units;
class CMC_Unit;

// A scaling entry point of a setup GUI module: (setup, base unit name, parameter or variable name).
typedef double (*MC_SCALE_FCT)(CMC_Setup* setup, const char* baseUnit, const char* name);

// The IU scale of one quantity, cached between conversions; NOT_AVAILABLE_VALUE as factor means
// nothing is cached.
struct CMC_IUScaleCache {
  double m_dFactor = NOT_AVAILABLE_VALUE;
  double m_dOffset = NOT_AVAILABLE_VALUE;
  bool m_bRefused = false;  // the module's last answer was a factor of 0, and the user was told

  bool IsCached() const { return m_dFactor != NOT_AVAILABLE_VALUE; }
  void Invalidate() { m_dFactor = NOT_AVAILABLE_VALUE; }
  // Asks the setup's GUI module unless the setup allows the cache and a scale is cached; a factor of
  // 0 is refused with a warning. True when a scale is cached afterwards.
  bool Fill(CMC_Setup& setup, const char* baseUnit, const char* name);
  // base = factor * (iu + offset); NOT_AVAILABLE_VALUE without a scale.
  double ToBase(double iu) const;
  double FromBase(double base) const;
};

namespace mc_quantity {
// The unit and the base unit of a user unit; false (after the units' messages) when either is missing.
bool FindUnitAndBase(CMC_Setup& setup, const CString& unit, CMC_Unit*& u, CMC_Unit*& base);
// The base unit of a unit text (leading backslash ignored), with the units' messages.
CMC_Unit* FindBaseUnit(CMC_Setup& setup, const CString& unit);
// The unit, looked up without any message.
CMC_Unit* LookupUnitSilently(CMC_Units& units, const CString& unit);
// Cuts the front field of a line, up to the first blank or tab, and the blanks and tabs after it;
// false when no blank or tab follows the field.
bool TakeField(std::string& line, CString& field);
// Cuts the unit in square brackets out of a line and trims it; false for a "[" without a "]" at
// least two characters after it.
bool CutUnit(std::string& line, CString& unit);
// Cuts the text from `at` up to and including the separator that ends it, or to the end of the line,
// then trims the line. The separator is the next blank or tab, or with `blankFirst` the next blank
// and only when there is none the next tab.
void CutToken(std::string& line, size_t at, bool blankFirst);
size_t FindSeparator(const std::string& s, size_t from);
// The number after a marker, read with "%hi" (0x hexadecimal, leading 0 octal, else decimal).
bool ScanAddress(const char* text, WORD& address);

// Open-addressing hash tables from a key to an object, kept in few blocks: names without regard to
// case, or 16-bit addresses. They hold their own copy of the key, as a map would.
struct NameKey {
  typedef const char* Key;
  // Where the key starts in the table's block of key texts, each ending in a NUL.
  typedef UINT Stored;
  static UINT Hash(Key k) {
    UINT h = 2166136261u;
    for (const unsigned char* c = (const unsigned char*)(k ? k : ""); *c; ++c)
      h = (h ^ (UINT)(*c >= 'a' && *c <= 'z' ? *c - 32 : *c)) * 16777619u;
    return h;
  }
  static Stored Store(std::string& texts, Key k) {
    Stored at = (Stored)texts.size();
    texts.append(k ? k : "");
    texts.push_back('\0');
    return at;
  }
  static bool Equal(const std::string& texts, Stored a, Key b) { return _stricmp(texts.data() + a, b ? b : "") == 0; }
};
struct AddressKey {
  typedef WORD Key;
  typedef WORD Stored;
  static UINT Hash(Key k) { return (UINT)k * 2654435761u; }
  static Stored Store(std::string&, Key k) { return k; }
  static bool Equal(const std::string&, Stored a, Key b) { return a == b; }
};

// The probed table holds only hashes and entry numbers, so a load that mostly misses touches a small
// block; keys and objects lie in insertion order beside it.
template <class T, class Traits>
class FlatIndex {
 public:
  typedef typename Traits::Key Key;

  int GetCount() const { return (int)m_objects.size(); }
  // The entry number of `k` in insertion order, or -1.
  int FindEntry(Key k) const {
    if (m_slots.empty()) return -1;
    const UINT h = Traits::Hash(k);
    for (size_t i = h & m_mask;; i = (i + 1) & m_mask) {
      const Slot& s = m_slots[i];
      if (!s.entry) return -1;
      if (s.hash == h && Traits::Equal(m_texts, m_keys[s.entry - 1], k)) return (int)s.entry - 1;
    }
  }
  T* Find(Key k) const {
    int e = FindEntry(k);
    return e < 0 ? nullptr : m_objects[(size_t)e];
  }
  // Indexes `p` (not null) under `k`; returns the object it displaces, or null.
  T* Set(Key k, T* p) {
    T** e = Place(k, p);
    if (!e) return nullptr;
    T* old = *e;
    *e = p;
    return old;
  }
  // Indexes `p` under `k` unless the key is taken; returns the object holding it then, else null.
  T* Insert(Key k, T* p) {
    T** e = Place(k, p);
    return e ? *e : nullptr;
  }
  // Sizes the table for `count` keys at once.
  void Reserve(size_t count) {
    if (count * 3 / 2 > m_slots.size()) Rehash(count * 3 / 2);
    m_keys.reserve(count);
    m_objects.reserve(count);
    // Room for short names, so the text block is not copied over and over while it fills.
    if (std::is_same_v<Traits, NameKey>) m_texts.reserve(count * 8);
  }
  void RemoveAll() {
    m_slots.clear();
    m_keys.clear();
    m_objects.clear();
    m_texts.clear();
    m_mask = 0;
  }
  template <class F>
  void ForEach(F f) const {
    for (T* p : m_objects)
      if (p) f(p);
  }

 private:
  struct Slot {
    UINT hash = 0;
    UINT entry = 0;  // 1-based; 0 = free
  };
  // The object slot already under `k`, or null once `p` has been added under it. Filled to two
  // thirds at most: the table stays small, and linear probes stay short.
  T** Place(Key k, T* p) {
    if ((m_objects.size() + 1) * 3 > m_slots.size() * 2) Rehash(m_slots.size() * 2);
    const UINT h = Traits::Hash(k);
    for (size_t i = h & m_mask;; i = (i + 1) & m_mask) {
      Slot& s = m_slots[i];
      if (!s.entry) {
        m_keys.push_back(Traits::Store(m_texts, k));
        m_objects.push_back(p);
        s.hash = h;
        s.entry = (UINT)m_objects.size();
        return nullptr;
      }
      if (s.hash == h && Traits::Equal(m_texts, m_keys[s.entry - 1], k)) return &m_objects[s.entry - 1];
    }
  }
  void Rehash(size_t atLeast) {
    size_t size = 64;
    while (size < atLeast) size *= 2;
    std::vector<Slot> old(size);
    old.swap(m_slots);
    m_mask = size - 1;
    for (const Slot& s : old) {
      if (!s.entry) continue;
      size_t i = s.hash & m_mask;
      while (m_slots[i].entry) i = (i + 1) & m_mask;
      m_slots[i] = s;
    }
  }

  std::vector<Slot> m_slots;
  std::vector<typename Traits::Stored> m_keys;
  std::vector<T*> m_objects;
  std::string m_texts;  // the key texts of names
  size_t m_mask = 0;
};

}  // namespace mc_quantity

class CMC_Parameter : public CObject, public CMC_QuantityUnits<CMC_Parameter> {
  DECLARE_DYNAMIC(CMC_Parameter)
  friend class CMC_QuantityNames<CMC_Parameter>;
  friend class CMC_QuantityUnits<CMC_Parameter>;

 public:
  explicit CMC_Parameter(CMC_Setup& setup);
  CMC_Parameter(CMC_Setup& setup, CMC_Parameter& other);
  CMC_Parameter(const CMC_Parameter& other);
  CMC_Parameter& operator=(const CMC_Parameter& other);

  WORD GetPrecision() const { return m_wPrecision; }

  int IsSpecialParam() const { return IsEngParam() || IsComputedParam(); }

  void ChangePrecision(WORD precision) { m_wPrecision = precision; }

  double GetValueInInternalUnit() const { return m_Value.GetValue(m_eType); }
  double GetMinInInternalUnit() const { return m_Min.GetValue(m_eType); }
  double GetMaxInInternalUnit() const { return m_Max.GetValue(m_eType); }
  double GetValue();
  double GetValueInBaseUnit();
  void SetValue(double v);
  void SetValueInBaseUnit(double v);
  void SetValueInInternalUnit(double v);
  void SetMinInInternalUnit(double v);
  void SetMaxInInternalUnit(double v);
  int ScanValue(const char* text);
  int IsDifferenceInsignificant(double base);

  CString PrintValue();
  CString PrintValueForZUR() const { return m_Value.PrintValueForZUR(m_eType); }
  CString PrintValueInInternalUnits() const { return m_Value.PrintValue(m_eType); }
  int ScanValueInInternalUnits(const char* text) { return m_Value.ScanValue(text, m_eType); }
  void ReadFromBuffer(const WORD* words) { m_Value.ReadFromBuffer(m_eType, words); }
  void WriteToBuffer(WORD* words) const { m_Value.WriteToBuffer(m_eType, words); }
  int ReadFromChip() { return m_Value.ReadFromChip(m_eType, m_wAddress); }
  int WriteToChip() const { return m_Value.WriteToChip(m_eType, m_wAddress); }

  int InitializeMotionParam(tagVarType type, const char* name, const char* unit, const CString& value, double factor,
                            double offset);

  // One line of parameters.cfg. A failed read leaves its message in the line, or empties it when the
  // GUI module's refused scale was the fault (its warning has been shown).
  int WriteToConfig(FILE* file);
  int ReadFromConfig(CString& line, const char* file, int lineNumber);

 private:
  int ScanValue(const char* text, CMC_Value& raw);
  // `units` keeps the unit and its base once found.
  int ScanValue(const char* text, CMC_Value& raw, CMC_Unit* (&units)[2]);

  // Widest first: a setup holds thousands of these.
  CMC_Setup& m_rSetup;
  CString m_strName;
  CString m_strUnit;
  CMC_Value m_Value;
  CMC_Value m_Min;
  CMC_Value m_Max;
  CMC_IUScaleCache m_Scale;
  tagVarType m_eType = VAR_INVALID;
  WORD m_wAddress = 0;
  WORD m_wPrecision = 0;
};

// A list of values under one name (a motion element's list parameter).
class CMC_ArrayParameter : public CObject, public CMC_QuantityUnits<CMC_ArrayParameter> {
  DECLARE_DYNAMIC(CMC_ArrayParameter)
  friend class CMC_QuantityNames<CMC_ArrayParameter>;
  friend class CMC_QuantityUnits<CMC_ArrayParameter>;

 public:
  explicit CMC_ArrayParameter(CMC_Setup& setup);
  CMC_ArrayParameter(CMC_Setup& setup, CMC_ArrayParameter& other);
  CMC_ArrayParameter(const CMC_ArrayParameter& other);
  CMC_ArrayParameter& operator=(const CMC_ArrayParameter& other);

  int IsSpecialParam() const { return m_wAddress >= 0x4000; }

  int GetValuesCount() const { return (int)m_arrValues.size(); }
  void SetValuesCount(int count) { m_arrValues.resize(count > 0 ? (size_t)count : 0); }
  double GetValueInInternalUnit(int i) const { return At(i).GetValue(m_eType); }
  double GetMinInInternalUnit() const { return m_Min.GetValue(m_eType); }
  double GetMaxInInternalUnit() const { return m_Max.GetValue(m_eType); }
  double GetValue(int i);
  double GetValueInBaseUnit(int i);
  void SetValue(int i, double v);
  void SetValueInBaseUnit(int i, double v);
  void SetValueInInternalUnit(int i, double v);
  void SetMinInInternalUnit(double v);
  void SetMaxInInternalUnit(double v);
  int ScanValue(int i, const char* text);
  int IsDifferenceInsignificant(int i, double base);
  void InsertValueAt(int i, double v);
  void RemoveValueAt(int i, int count = 1);

  CString PrintValue(int i);
  CString PrintValueForZUR(int i) const { return At(i).PrintValueForZUR(m_eType); }
  CString PrintValueInInternalUnits(int i) const { return At(i).PrintValue(m_eType); }
  int ScanValueInInternalUnits(int i, const char* text) { return At(i).ScanValue(text, m_eType); }

  // The values as text separated by ","; an empty text is an empty list.
  int LoadData(const char* text);
  void SaveData(CString& text);
  int InitializeMotionParam(tagVarType type, const char* name, const char* unit, const CString& value, double factor,
                            double offset);

 private:
  CMC_Value& At(int i);
  const CMC_Value& At(int i) const;

  CMC_Setup& m_rSetup;
  tagVarType m_eType = VAR_INVALID;
  CString m_strName;
  WORD m_wAddress = 0;
  std::vector<CMC_Value> m_arrValues;
  CMC_Value m_Min;
  CMC_Value m_Max;
  CString m_strUnit;
  CMC_IUScaleCache m_Scale;
};
