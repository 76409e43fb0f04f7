// CFloatArray: an array of double samples that tracks its last valid index and its monotony.
#pragma once

#include "platform/core/Array.h"

class CFloatArray : public CArray<double, double> {
  DECLARE_SERIAL(CFloatArray)
 public:
  enum tagMonotone { monoNone = 0, monoAscending = 1, monoDescending = 2, monoUnknown = 3 };
  static const BYTE m_nVerCFloatArray;

  explicit CFloatArray(int size = 0, int growBy = -1);
  CFloatArray(int n, const double* values);
  CFloatArray(const CFloatArray& other);
  CFloatArray& operator=(const CFloatArray& other);

  // Index outside the array: the framework's invalid-argument exception.
  double operator[](int i) const { return m_data[Check(i)]; }
  double GetAt(int i) const { return m_data[Check(i)]; }
  int GetSize() const { return (int)m_data.size(); }
  const double* GetData() const { return m_data.data(); }
  int GetUpperValid() const { return m_nUpperValid; }
  tagMonotone GetMonotone() const { return m_nMonotone; }
  // Changes with every change of the samples; unique among all arrays, so drawing caches can key on it.
  uint64_t GetVersion() const { return m_nVersion; }

  int Add(double value);
  void SetAt(int index, double value);
  void SetAtGrow(int index, double value);
  void InsertAt(int index, double value, int count = 1);
  void InsertAt(int index, const CFloatArray* other);
  void RemoveAt(int index, int count = 1);
  void RemoveAll() { SetSize(0); }
  void SetSize(int size, int growBy = -1);
  void SetSize(int n, const double* values);
  void SetUpperValid(int upper);
  void CheckMonotonousCondition(int from, int to);

  void Serialize(CArchive& ar) override;

 protected:
  int m_nUpperValid = -1;
  tagMonotone m_nMonotone = monoUnknown;

 private:
  void Touch();
  uint64_t m_nVersion = 0;
};
