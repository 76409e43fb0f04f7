#include "plot/curves/GraphFilter.h"

#include "platform/ui/CommonDialogs.h"

#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "plot/graph/ColorFactory.h"
#include "plot/curves/PlotUnits.h"

#include <algorithm>
#include <cstring>
#include <string>

IMPLEMENT_SERIAL(CGraphFilter, CObArray, 0)

const BYTE CGraphFilter::m_nVerCGraphFilter = 1;


CGraphFilter::CGraphFilter(CMC_Units* units, const char* title, const char* label1, const char* label2)
    : m_pUnits(units),
      m_strTitle(title),
      m_strLabel1(label1),
      m_strLabel2(label2),
      m_crBackground(CColorFactory::GetDefBckColor()),
      m_crAxis(CColorFactory::GetDefAxisColor()),
      m_crText(CColorFactory::GetDefTextColor()),
      m_crCursor(CColorFactory::GetDefOscCursorColor()) {}

CGraphFilter::~CGraphFilter() { DeleteAll(); }

CXYCurve* CGraphFilter::GetAt(int i) const {
  if (i < 0 || i >= GetSize()) return nullptr;
  return static_cast<CXYCurve*>(m_data[(size_t)i]);
}

void CGraphFilter::DeleteAll() {
  for (int i = GetSize() - 1; i >= 0; --i) {
    delete m_data[(size_t)i];
    m_data[(size_t)i] = nullptr;
  }
  m_data.clear();
}

CGraphFilter& CGraphFilter::operator=(const CGraphFilter& other) {
  if (this == &other) return *this;
  m_pSource = other.m_pSource;
  m_pUnits = other.m_pUnits;
  m_strTitle = other.m_strTitle;
  m_strLabel1 = other.m_strLabel1;
  m_strLabel2 = other.m_strLabel2;
  m_crBackground = other.m_crBackground;
  m_crAxis = other.m_crAxis;
  m_crText = other.m_crText;
  m_bGrid = other.m_bGrid;
  m_bHasAxis1 = other.m_bHasAxis1;
  m_bHasAxis2 = other.m_bHasAxis2;
  m_bOscMode = other.m_bOscMode;
  m_nDivisions = other.m_nDivisions;
  m_markers = other.m_markers;
  m_crCursor = other.m_crCursor;
  m_dCursor1 = other.m_dCursor1;
  m_dCursor2 = other.m_dCursor2;
  m_nCursorCurve = other.m_nCursorCurve;
  m_dXMin = other.m_dXMin;
  m_dXMax = other.m_dXMax;
  m_dY1Min = other.m_dY1Min;
  m_dY1Max = other.m_dY1Max;
  m_dY2Min = other.m_dY2Min;
  m_dY2Max = other.m_dY2Max;
  const int n = other.GetSize();
  while (GetSize() > n) {
    delete m_data.back();
    m_data.pop_back();
  }
  for (int i = 0; i < n; ++i) {
    const CXYCurve* src = other.GetAt(i);
    if (i < GetSize()) {
      CXYCurve* dst = GetAt(i);
      if (src && dst) {
        *dst = *src;
      } else {
        delete dst;
        m_data[(size_t)i] = src ? new CXYCurve(*src) : nullptr;
      }
    } else {
      Add(src ? new CXYCurve(*src) : nullptr);
    }
  }
  return *this;
}

CCurve* CGraphFilter::GetCurve(DWORD i) {
  CCurveArray* list = DYNAMIC_DOWNCAST(CCurveArray, m_pSource);
  return list ? list->GetAt((int)(i & 0xFFFF)) : nullptr;
}

CString CGraphFilter::GetCurveInfo(DWORD i) {
  CCurve* c = GetCurve(i);
  return c ? c->m_strName : CString();
}

int CGraphFilter::GetAllCurves(CDWordArray& indices, CString& header) {
  indices.RemoveAll();
  header = "Curve Name";
  if (CCurveArray* list = DYNAMIC_DOWNCAST(CCurveArray, m_pSource)) {
    for (int i = 0; i < list->GetSize(); ++i) indices.Add((DWORD)(i & 0xFFFF));
  }
  return 1;
}

void CGraphFilter::Resolve(const CXYCurve* c, CCurve*& x, CCurve*& y) {
  x = GetCurve(c->m_nXCurve);
  y = GetCurve(c->m_nYCurve);
  if (!x || !y || (m_bOscMode && (x->m_strName.IsEmpty() || y->m_strName.IsEmpty()))) x = y = nullptr;
}

bool CGraphFilter::IsResolutionCurrent() {
  for (int i = 0; i < GetSize(); ++i) {
    CXYCurve* c = GetAt(i);
    if (!c) continue;
    CCurve *x, *y;
    Resolve(c, x, y);
    if (x != c->m_pXCurve || y != c->m_pYCurve) return false;
  }
  return true;
}

void CGraphFilter::ComputeAxis() {
  m_bHasAxis1 = m_bOscMode;
  m_bHasAxis2 = 0;
  for (int i = 0; i < GetSize(); ++i) {
    CXYCurve* c = GetAt(i);
    if (!c) continue;
    Resolve(c, c->m_pXCurve, c->m_pYCurve);
    if (!c->m_pXCurve || m_bOscMode) continue;
    if (c->m_nAxis == 1) m_bHasAxis1 = 1;
    if (c->m_nAxis == 2) m_bHasAxis2 = 1;
  }
}

CCurve* CGraphFilter::GetXCurve(int i) {
  CXYCurve* c = GetAt(i);
  if (!c) return nullptr;
  CCurve *x, *y;
  Resolve(c, x, y);
  if (x != c->m_pXCurve || y != c->m_pYCurve) {
    ComputeAxis();
    ComputeLimits();
  }
  return c->m_pXCurve;
}

CCurve* CGraphFilter::GetYCurve(int i) {
  CXYCurve* c = GetAt(i);
  if (!c) return nullptr;
  CCurve *x, *y;
  Resolve(c, x, y);
  if (x != c->m_pXCurve || y != c->m_pYCurve) {
    ComputeAxis();
    ComputeLimits();
  }
  return c->m_pYCurve;
}

void CGraphFilter::ComputeLimits() {
  if (m_bOscMode) {
    double h = m_nDivisions / 2.0;
    m_dXMin = m_dY1Min = m_dY2Min = -h;
    m_dXMax = m_dY1Max = m_dY2Max = h;
    return;
  }
  // Never read through a pointer that no longer matches the source.
  if (!IsResolutionCurrent()) ComputeAxis();
  m_dXMin = m_dY1Min = m_dY2Min = 1e99;
  m_dXMax = m_dY1Max = m_dY2Max = -1e99;
  for (int i = 0; i < GetSize(); ++i) {
    CXYCurve* c = GetAt(i);
    if (!c || !c->m_pXCurve || !c->m_pYCurve) continue;
    int r = c->ComputeLimits();
    if (!r) continue;
    if (r & 1) {
      double lo = c->GetXMin(m_pUnits), hi = c->GetXMax(m_pUnits);
      if (lo > -1e99 && lo < m_dXMin) m_dXMin = lo;
      if (hi < 1e99 && hi > m_dXMax) m_dXMax = hi;
    }
    if (r & 2) {
      double lo = c->GetYMin(m_pUnits), hi = c->GetYMax(m_pUnits);
      double* mn = c->m_nAxis == 1 ? &m_dY1Min : c->m_nAxis == 2 ? &m_dY2Min : nullptr;
      double* mx = c->m_nAxis == 1 ? &m_dY1Max : c->m_nAxis == 2 ? &m_dY2Max : nullptr;
      if (mn) {
        if (lo > -1e99 && lo < *mn) *mn = lo;
        if (hi < 1e99 && hi > *mx) *mx = hi;
      }
    }
  }
  if (m_dXMin >= m_dXMax) {
    m_dXMin = 0.0;
    m_dXMax = 1.0;
  }
  if (m_dY1Min >= m_dY1Max) {
    if (m_dY1Min == m_dY1Max && m_bHasAxis2 && m_dY2Max > m_dY1Min) {
      m_dY1Max = m_dY2Max;
    } else {
      m_dY1Min = 0.0;
      m_dY1Max = 1.0;
    }
  }
  if (m_dY2Min >= m_dY2Max) {
    if (m_dY2Min == m_dY2Max && m_bHasAxis1 && m_dY1Max > m_dY2Min) {
      m_dY2Max = m_dY1Max;
    } else {
      m_dY2Min = 0.0;
      m_dY2Max = 1.0;
    }
  }
}

void CGraphFilter::LoadDefaultUnits(int force) {
  ComputeAxis();
  for (int i = 0; i < GetSize(); ++i) {
    CXYCurve* c = GetAt(i);
    if (!c || !c->m_pXCurve || !c->m_pYCurve) continue;
    auto pick = [&](CString& shown, const CCurve* curve) {
      CMC_Units* table = curve->m_pUnits ? curve->m_pUnits : m_pUnits;
      if (!force && table && PlotUnits::CompatibleUnits(table, shown, curve->m_strStoredUnit)) return;
      shown = curve->m_strDisplayUnit;
    };
    pick(c->m_strXUnit, c->m_pXCurve);
    pick(c->m_strYUnit, c->m_pYCurve);
  }
  ComputeLimits();
}

void CGraphFilter::SetDefaultUnits() {
  ComputeAxis();
  for (int i = 0; i < GetSize(); ++i) {
    CXYCurve* c = GetAt(i);
    if (!c || !c->m_pXCurve || !c->m_pYCurve) continue;
    c->m_pXCurve->m_strDisplayUnit = c->m_strXUnit;
    c->m_pYCurve->m_strDisplayUnit = c->m_strYUnit;
  }
  ComputeLimits();
}

int CGraphFilter::ExportToASCII(const char* defaultName) {
  CFileDialog dlg(FALSE, "txt", defaultName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                  "ASCII files(*.txt)|*.txt|All files(*.*)|*.*||");
  if (dlg.DoModal() != IDOK) return 0;
  if (GetSize() == 0) return 0;
  return WriteASCII(dlg.GetPathName());
}

int CGraphFilter::WriteASCII(const char* path) {
  const int nCurves = GetSize();
  if (nCurves == 0) return 0;
  std::vector<int> counts((size_t)nCurves, 0);
  std::vector<CXYCurve*> curves((size_t)nCurves, nullptr);
  int rows = 0;
  if (!IsResolutionCurrent()) {
    ComputeAxis();
    ComputeLimits();
  }
  for (int i = 0; i < nCurves; ++i) {
    CXYCurve* c = curves[(size_t)i] = GetAt(i);
    counts[(size_t)i] = c ? c->GetPointCount() : 0;
    rows = std::max(rows, counts[(size_t)i]);
  }
  // Written beside the old file, which stays as it was unless the new one is complete.
  CSaveBeside save(path);
  CFile file;
  try {
    CFileException error;
    if (!file.OpenBeside(save, path, CFile::modeWrite | CFile::typeBinary, &error))
      AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    std::string buf;
    buf.reserve(4096 + 128);
    char num[2][64];
    auto put = [&](int slot, double v) {
      if (IsMissingSample(v)) {
        memcpy(num[slot], "NAN", 4);
      } else {
        _snprintf(num[slot], sizeof num[slot], "%.7e", v);
        num[slot][sizeof num[slot] - 1] = 0;
      }
    };
    for (int r = 0; r < rows; ++r) {
      for (int i = 0; i < nCurves; ++i) {
        CXYCurve* c = curves[(size_t)i];
        if (r < counts[(size_t)i]) {
          put(0, c->GetXPointValue(r, m_pUnits));
          put(1, c->GetYPointValue(r, m_pUnits));
        } else {
          memcpy(num[0], "NAN", 4);
          memcpy(num[1], "NAN", 4);
        }
        buf += num[0];
        buf += '\t';
        buf += num[1];
        buf += i + 1 < nCurves ? "\t" : "\r\n";
      }
      if (buf.size() >= 4096) {
        file.Write(buf.data(), (UINT)buf.size());
        buf.clear();
      }
    }
    if (!buf.empty()) file.Write(buf.data(), (UINT)buf.size());
    file.CommitBeside(save);
  } catch (CException* e) {
    file.Abort();
    e->ReportError();
    e->Delete();
    return 0;
  }
  return 1;
}

void CGraphFilter::ResetOscBlock() {
  m_nDivisions = 10;
  m_markers.RemoveAll();
  m_crCursor = CColorFactory::GetDefOscCursorColor();
  m_dXMin = m_dY1Min = m_dY2Min = -1e99;
  m_dXMax = m_dY1Max = m_dY2Max = 1e99;
}

void CGraphFilter::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (BYTE)m_nVerCGraphFilter;
    ar << m_strTitle << m_strLabel1 << m_strLabel2;
    ar << (DWORD)m_crBackground << (DWORD)m_crAxis;
    ar << (short)m_bGrid << (short)m_bOscMode;
    if (m_bOscMode) {
      ar << m_nDivisions;
      m_markers.Serialize(ar);
      ar << (DWORD)m_crCursor;
      ar << m_dXMin << m_dY2Min << m_dY1Min << m_dXMax << m_dY2Max << m_dY1Max;
    }
    CObArray::Serialize(ar);
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema > m_nVerCGraphFilter) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  ar >> m_strTitle >> m_strLabel1 >> m_strLabel2;
  DWORD bg, axis;
  ar >> bg >> axis;
  m_crBackground = bg;
  m_crAxis = axis;
  short grid, osc = 0;
  ar >> grid;
  if (schema >= 1) ar >> osc;
  m_bGrid = grid;
  m_bOscMode = osc;
  if (m_bOscMode) {
    DWORD cursor;
    ar >> m_nDivisions;
    m_markers.Serialize(ar);
    ar >> cursor;
    m_crCursor = cursor;
    ar >> m_dXMin >> m_dY2Min >> m_dY1Min >> m_dXMax >> m_dY2Max >> m_dY1Max;
  } else {
    ResetOscBlock();
  }
  m_dCursor1 = m_dCursor2 = 1e100;
  m_nCursorCurve = -1;
  DeleteAll();
  DWORD_PTR count = ar.ReadCount();
  for (DWORD_PTR i = 0; i < count; ++i) {
    CXYCurve* c = static_cast<CXYCurve*>(ar.ReadObject(RUNTIME_CLASS(CXYCurve)));
    if (!c || c->m_bOwnedByList) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    c->m_bOwnedByList = true;
    Add(c);
  }
}
