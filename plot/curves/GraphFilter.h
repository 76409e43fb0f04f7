// CGraphFilter: one plot: drawn curves over a curve list, with titles, colours, limits and an
// oscilloscope block.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/String.h"
#include "plot/curves/CurveArray.h"
#include "plot/curves/FloatArray.h"
#include "plot/curves/XYCurve.h"

class CComboBox;
class CMC_Units;

class CGraphFilter : public CObArray {
  DECLARE_SERIAL(CGraphFilter)
 public:
  static const BYTE m_nVerCGraphFilter;

  explicit CGraphFilter(CMC_Units* units = nullptr, const char* title = "", const char* label1 = "",
                        const char* label2 = "");
  ~CGraphFilter() override;
  CGraphFilter(const CGraphFilter&) = delete;

  // Every field, and a deep copy of the drawn curves.
  virtual CGraphFilter& operator=(const CGraphFilter& other);
  // Curve i of the source when the source is a curve list (low 16 bits of i), else null.
  virtual CCurve* GetCurve(DWORD i);
  virtual CString GetCurveInfo(DWORD i);
  virtual int GetAllCurves(CDWordArray& indices, CString& header);

  int GetSize() const { return (int)m_data.size(); }
  CXYCurve* GetAt(int i) const;  // null out of range
  int Add(CXYCurve* curve) { return (int)CObArray::Add(curve); }
  void DeleteAll();
  void SetUnits(CMC_Units* units) { m_pUnits = units; }
  CMC_Units* GetUnits() const { return m_pUnits; }

  // The resolved curves of drawn curve i, re-resolved from its stored indexes; when they changed
  // the plot resolves and limits itself again.
  CCurve* GetXCurve(int i);
  CCurve* GetYCurve(int i);
  void ComputeAxis();
  void ComputeLimits();
  void LoadDefaultUnits(int force);
  void SetDefaultUnits();
  // Asks for a file name with the save dialog (default extension "txt") and writes the plot as a
  // text table.
  int ExportToASCII(const char* defaultName);
  // Writes the text table to `path`; a file error is reported and gives 0.
  int WriteASCII(const char* path);
  // The units that `curve` can be shown in (its own table, else the plot's), `selected` chosen;
  // without a table only `selected` is offered.
  void FillUnitsComboBox(CComboBox& combo, CCurve* curve, const char* selected);

  void Serialize(CArchive& ar) override;

  CObject* m_pSource = nullptr;  // not owned; only a CCurveArray is usable
  CMC_Units* m_pUnits = nullptr;  // not owned
  CString m_strTitle;
  CString m_strLabel1;
  CString m_strLabel2;
  COLORREF m_crBackground;
  COLORREF m_crAxis;
  COLORREF m_crText;
  int m_bGrid = 1;
  int m_bHasAxis1 = 0;
  int m_bHasAxis2 = 0;
  int m_bOscMode = 0;
  BYTE m_nDivisions = 10;
  CFloatArray m_markers;
  COLORREF m_crCursor;
  double m_dCursor1 = 1e100;
  double m_dCursor2 = 1e100;
  int m_nCursorCurve = -1;
  double m_dXMin = -1e99, m_dXMax = 1e99;
  double m_dY1Min = -1e99, m_dY1Max = 1e99;
  double m_dY2Min = -1e99, m_dY2Max = 1e99;
  bool m_bOwnedByList = false;

 private:
  // What drawn curve c's indexes resolve to now, by the rules of ComputeAxis.
  void Resolve(const CXYCurve* c, CCurve*& x, CCurve*& y);
  bool IsResolutionCurrent();
  void ResetOscBlock();
};
