// CCurve: one named sampled signal with its units and oscilloscope scaling.
#pragma once

#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "plot/curves/FloatArray.h"

class CMC_Units;

class CCurve : public CFloatArray {
  DECLARE_SERIAL(CCurve)
 public:
  static const BYTE m_nVerCCurve;

  explicit CCurve(int size = 0, int growBy = -1);
  CCurve(int n, const double* values);
  CCurve(const CCurve& other);
  CCurve& operator=(const CCurve& other);

  void InitCurve(const char* name, const char* displayUnit, const char* storedUnit, double offset, double factor,
                 double oscScale, double oscOffset, int n, const double* values);
  void UpdateCurve(int n, const double* values) { SetSize(n, values); }

  // Oscilloscope labels: the scale text ("... /div") and one value text per sample index.
  void GetOscInfo(CMC_Units* units, CString& scaleText, const CDWordArray& indices, CStringArray& values) const;
  // Mirrors a first-quadrant curve into a closed outline over the chosen quadrants.
  static void Quadrant1To4(CCurve* outX, CCurve* outY, const CCurve* inX, const CCurve* inY, int quadrants);

  void Serialize(CArchive& ar) override;

  CString m_strName;
  CString m_strDisplayUnit;
  CString m_strStoredUnit;
  CMC_Units* m_pUnits = nullptr;  // not owned; overrides the plot's table when set
  double m_dOffset = 0.0;
  double m_dFactor = 1.0;
  double m_dOscScale = 1.0;
  double m_dOscOffset = 0.0;
  // Set while an owning list holds the curve after a load, so a file cannot hand it out twice.
  bool m_bOwnedByList = false;

 private:
  void CopyFields(const CCurve& other);
};
