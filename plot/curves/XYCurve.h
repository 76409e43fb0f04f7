// CXYCurve: one drawn curve of a plot: an X and a Y curve of the plot's source, an axis side and a pen.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/String.h"
#include "plot/curves/Curve.h"
#include "plot/curves/SplineCubic.h"

class CMC_Units;

class CXYCurve : public CObject {
  DECLARE_SERIAL(CXYCurve)
 public:
  static const BYTE m_nVerCXYCurve;
  enum { drawLines = 1, drawSpline = 2 };

  CXYCurve();
  // Takes the next free default colour over the colours already in use.
  explicit CXYCurve(const CDWordArray& usedColors);
  CXYCurve(const CXYCurve& other);
  CXYCurve& operator=(const CXYCurve& other);

  // Bit 1: X limits valid, bit 2: Y limits valid.
  virtual int ComputeLimits();
  void AddPointToLimits(int i);
  void ResetLimits();

  // Display coordinates; `units` is the plot's table, used when a curve has none of its own.
  double GetXPointValue(int i, CMC_Units* units) const;
  double GetYPointValue(int i, CMC_Units* units) const;
  double GetXMin(CMC_Units* units) const;
  double GetXMax(CMC_Units* units) const;
  double GetYMin(CMC_Units* units) const;
  double GetYMax(CMC_Units* units) const;
  double TransformSavedUnitToXCoord(double v, CMC_Units* units) const;
  double TransformSavedUnitToYCoord(double v, CMC_Units* units) const;
  double TransformXCoordToSavedUnit(double v, CMC_Units* units) const;
  double TransformYCoordToSavedUnit(double v, CMC_Units* units) const;
  double GetXOscOffset() const;
  double GetYOscOffset() const;

  // Number of samples both curves hold: min of their upper valid indexes + 1, 0 when unresolved.
  int GetPointCount() const;

  void Serialize(CArchive& ar) override;

  // Shared by every curve: display transform of a stored value of `c` shown in `unit`, and back.
  static double ToDisplay(const CCurve* c, const CString& unit, double s, CMC_Units* units);
  static double FromDisplay(const CCurve* c, const CString& unit, double v, CMC_Units* units);

  int m_nAxis = 1;       // 1 left Y axis, 2 right Y axis
  int m_nPenStyle = 0;   // GDI pen style
  int m_nDrawMode = drawLines;
  COLORREF m_crColor = 0;
  int m_nWidth = 1;      // 1..4
  CString m_strXUnit;
  CString m_strYUnit;
  DWORD m_nXCurve = 0;   // indexes in the plot's source list
  DWORD m_nYCurve = 0;
  CSplineCubic m_spline;
  CCurve* m_pXCurve = nullptr;  // resolved by the plot, not owned
  CCurve* m_pYCurve = nullptr;
  DWORD m_dwDrawState = 0;
  double m_dXMin = -1e99, m_dXMax = 1e99, m_dYMin = -1e99, m_dYMax = 1e99;  // stored units
  bool m_bOwnedByList = false;

 private:
  double LimitThrough(const CCurve* c, const CString& unit, double lo, double hi, bool wantMin,
                      CMC_Units* units) const;
};
