#include "plot/curves/Curve.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "plot/curves/PlotUnits.h"

#include <cmath>
#include <vector>

IMPLEMENT_SERIAL(CCurve, CFloatArray, 0)

const BYTE CCurve::m_nVerCCurve = 2;

CCurve::CCurve(int size, int growBy) : CFloatArray(size, growBy) {}

CCurve::CCurve(int n, const double* values) : CFloatArray(n, values) {}

CCurve::CCurve(const CCurve& other) : CFloatArray(other) { CopyFields(other); }

CCurve& CCurve::operator=(const CCurve& other) {
  if (this == &other) return *this;
  CFloatArray::operator=(other);
  CopyFields(other);
  return *this;
}

void CCurve::CopyFields(const CCurve& other) {
  m_strName = other.m_strName;
  m_strDisplayUnit = other.m_strDisplayUnit;
  m_strStoredUnit = other.m_strStoredUnit;
  m_pUnits = other.m_pUnits;
  m_dOffset = other.m_dOffset;
  m_dFactor = other.m_dFactor;
  m_dOscScale = other.m_dOscScale;
  m_dOscOffset = other.m_dOscOffset;
}

void CCurve::InitCurve(const char* name, const char* displayUnit, const char* storedUnit, double offset,
                       double factor, double oscScale, double oscOffset, int n, const double* values) {
  m_strName = name;
  m_strDisplayUnit = displayUnit;
  m_strStoredUnit = storedUnit;
  m_dOffset = offset;
  m_dFactor = factor;
  m_dOscScale = oscScale;
  m_dOscOffset = oscOffset;
  SetSize(n, values);
}

namespace {

CString FormatValue(double v, const CString& unit) {
  CString t(FormatString("%lg", v));
  MinimizeFloatFormat(t, 0);
  return t + " " + unit;
}

}  // namespace

void CCurve::GetOscInfo(CMC_Units* units, CString& scaleText, const CDWordArray& indices,
                        CStringArray& values) const {
  CMC_Units* table = m_pUnits ? m_pUnits : units;
  const bool internal = !table || PlotUnits::IsInternalUnit(m_strDisplayUnit);
  const double scale = m_dOscScale;
  int e = 0;
  if (scale > 0.0 && std::isfinite(scale)) {
    e = (int)std::floor(std::log10(scale));
    e = (int)std::floor(e / 3.0) * 3;
  }
  double p = std::pow(1000.0, e / 3);
  CString unitText;
  if (internal) {
    const char* prefix = "";
    if (e >= 9) {
      prefix = "G";
      p = 1e9;
    } else if (e <= -9) {
      prefix = "n";
      p = 1e-9;
    } else {
      switch (e) {
        case -6: prefix = "\xB5"; break;
        case -3: prefix = "m"; break;
        case 3: prefix = "K"; break;
        case 6: prefix = "M"; break;
        default: break;
      }
    }
    double shown = std::floor(scale / p + 0.5);
    DWORD count = 0;
    if (shown >= 4294967295.0)
      count = 0xFFFFFFFFu;
    else if (shown > 0.0)
      count = (DWORD)shown;
    unitText = CString(prefix) + "IU";
    scaleText = CString(FormatString("%lu ", count)) + unitText;
  } else {
    // Powers of a thousand are computed afresh each step, so exact factors still match.
    CString found;
    int k = e / 3;
    bool ok = PlotUnits::FindUnitWithRelativeFactor(table, p, m_strDisplayUnit, found);
    while (!ok) {
      if (e < 0 && k < -1)
        ++k;
      else if (e >= 0 && k > 1)
        --k;
      else
        break;
      p = std::pow(1000.0, k);
      ok = PlotUnits::FindUnitWithRelativeFactor(table, p, m_strDisplayUnit, found);
    }
    if (ok) {
      scaleText = FormatString("%lg ", scale / p);
      unitText = found;
    } else {
      scaleText = FormatString("%lg ", scale);
      unitText = m_strDisplayUnit;
    }
    scaleText += unitText;
  }
  scaleText += "/div";

  auto display = [&](double v) {
    if (internal) return (v / m_dFactor - m_dOffset) / p;
    PlotUnits::ConvertValue(table, v, m_strStoredUnit, unitText);
    return v;
  };
  const int n = (int)indices.GetSize();
  values.RemoveAll();
  double v[3] = {PLOT_MISSING, PLOT_MISSING, PLOT_MISSING};
  for (int k = 0; k < n && k < 3; ++k) {
    DWORD idx = indices.GetData()[k];
    if (idx < (DWORD)GetSize()) v[k] = m_data[idx];
  }
  for (int k = 0; k < n; ++k) {
    CString text;
    if (k == 0) {
      text = IsMissingSample(v[0]) ? CString("unknown") : FormatValue(display(v[0]), unitText);
    } else if (k < 3) {
      if (IsMissingSample(v[k - 1]) || IsMissingSample(v[k]))
        text = "unknown";
      else
        text = FormatValue(display(v[k]) - display(v[k - 1]), unitText);
    }
    values.Add(text);
  }
}

void CCurve::Quadrant1To4(CCurve* outX, CCurve* outY, const CCurve* inX, const CCurve* inY, int quadrants) {
  if (!outX || !outY || !inX || !inY) return;
  if (quadrants == 0) quadrants = 1;
  if (quadrants == 5 || quadrants == 7 || quadrants == 10 || quadrants == 13) quadrants = 15;
  int n = std::min(inX->GetUpperValid(), inY->GetUpperValid()) + 1;
  n = std::min(n, std::min(inX->GetSize(), inY->GetSize()));
  if (n <= 0) return;
  const double* x = inX->GetData();
  const double* y = inY->GetData();
  auto neg = [](double v) { return IsMissingSample(v) ? PLOT_MISSING : -v; };
  std::vector<double> ox, oy;
  auto put = [&](double a, double b) {
    ox.push_back(a);
    oy.push_back(b);
  };
  const size_t limit = 16000;
  auto fits = [&]() { return ox.size() + (size_t)n + 2 < limit; };
  const double x0 = 0.0, y0 = y[0], xl = x[n - 1];
  if ((quadrants & 1) && fits()) {
    put(x0, y0);
    for (int i = 0; i < n; ++i) put(x[i], y[i]);
    put(xl, 0.0);
  }
  if ((quadrants & 8) && fits()) {
    put(xl, 0.0);
    for (int i = n - 1; i >= 0; --i) put(x[i], neg(y[i]));
    put(x0, neg(y0));
  }
  if ((quadrants & 4) && fits()) {
    put(x0, neg(y0));
    for (int i = 0; i < n; ++i) put(neg(x[i]), neg(y[i]));
    put(neg(xl), 0.0);
  }
  if ((quadrants & 2) && fits()) {
    put(neg(xl), 0.0);
    for (int i = n - 1; i >= 0; --i) put(neg(x[i]), y[i]);
    put(x0, y0);
  }
  outX->SetSize((int)ox.size(), ox.data());
  outY->SetSize((int)oy.size(), oy.data());
}

void CCurve::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (BYTE)m_nVerCCurve;
    CFloatArray::Serialize(ar);
    ar << m_strName << m_strDisplayUnit << m_strStoredUnit;
    ar << m_dOffset << m_dFactor << m_dOscScale << m_dOscOffset;
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema > m_nVerCCurve) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  CFloatArray::Serialize(ar);
  if (schema == 0) {
    if (g_bShowErrors) AfxMessageBox("Unsupported graph document format.", MB_OK | MB_ICONEXCLAMATION);
    AfxThrowUserException();
  }
  ar >> m_strName >> m_strDisplayUnit >> m_strStoredUnit;
  ar >> m_dOffset >> m_dFactor;
  if (schema >= 2) {
    ar >> m_dOscScale >> m_dOscOffset;
  } else {
    m_dOscScale = 1.0;
    m_dOscOffset = 0.0;
  }
}
