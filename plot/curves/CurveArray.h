// CCurveArray: the owning list of curves that plots draw from.
#pragma once

#include "platform/core/Array.h"
#include "plot/curves/Curve.h"

class CCurveArray : public CObArray {
  DECLARE_SERIAL(CCurveArray)
 public:
  static const BYTE m_nVerCCurveArray;

  CCurveArray() = default;
  ~CCurveArray() override;
  CCurveArray(const CCurveArray&) = delete;
  // Deep copy: curves present are assigned in place, surplus ones deleted, missing ones created.
  CCurveArray& operator=(const CCurveArray& other);

  int GetSize() const { return (int)m_data.size(); }
  CCurve* GetAt(int i) const;  // null out of range
  CCurve* ElementAt(int i) const;  // invalid-argument exception out of range
  int Add(CCurve* curve) { return (int)CObArray::Add(curve); }
  CCurve* GetCurve(const char* name) const;
  int GetCurveIdx(const char* name) const;
  void DeleteAll();

  void Serialize(CArchive& ar) override;
};
