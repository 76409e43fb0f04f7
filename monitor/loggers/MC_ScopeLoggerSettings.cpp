// The scope's settings as one setup option line, and the scaling of its channels.
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "platform/core/Format.h"
#include "plot/curves/GraphFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

const COLORREF CMC_ScopeLogger::msc_aChannelColors[4] = {0x0000C0FF, 0x00FF00FF, 0x00FFFF00, 0x0080FF00};

namespace {

// The fields of a settings text in order; every read fails once a field is missing or bad.
class SettingsReader {
 public:
  explicit SettingsReader(const CString& text) {
    CString token;
    bool unit = false;
    for (int i = 0; i <= text.GetLength(); ++i) {
      const char c = i < text.GetLength() ? text[i] : '\t';
      if (c == '\t' || c == '[' || c == ']') {
        if (!token.IsEmpty()) m_tokens.push_back({token, unit});
        token.Empty();
        unit = c == '[';
      } else {
        token += c;
      }
    }
  }
  bool Text(CString& value) {
    if (m_next >= m_tokens.size()) return false;
    value = m_tokens[m_next++].text;
    return true;
  }
  // Only a scaled item is written with its unit in brackets.
  bool NextIsUnit() const { return m_next < m_tokens.size() && m_tokens[m_next].unit; }
  bool Long(LONG& value, LONG lo, LONG hi) {
    CString t;
    return Text(t) && ScanString(t, "%ld", &value) == 1 && value >= lo && value <= hi;
  }
  bool Double(double& value) {
    CString t;
    return Text(t) && ScanString(t, "%lf", &value) == 1 && std::isfinite(value);
  }
  bool Color(COLORREF& value) {
    CString t;
    DWORD v;
    if (!Text(t) || ScanString(t, "%lx", &v) != 1) return false;
    value = v;
    return true;
  }

 private:
  struct Token {
    CString text;
    bool unit;
  };
  std::vector<Token> m_tokens;
  size_t m_next = 0;
};

// The plotted curve of the plot that draws curve `curve`, or null.
CXYCurve* PlottedCurveOf(CGraphFilter* plot, int curve) {
  for (int i = 0; plot && i < plot->GetSize(); ++i)
    if (CXYCurve* xy = plot->GetAt(i); xy && (int)xy->m_nYCurve == curve) return xy;
  return nullptr;
}

// "name\tbit\t" and "[unit]\t" when the item has a base unit.
CString ItemFields(const CMC_LoggerItem& item) {
  CString text;
  text.Format("%s\t%hd\t", (const char*)item.m_strName, item.m_nBit);
  if (!item.m_strBaseUnit.IsEmpty()) text.AppendFormat("[%s]\t", (const char*)item.m_strUnit);
  return text;
}

// Reads a located item's "[unit]" when it has a base unit: one the base unit converts to. Without one
// the item was logged unscaled and is located again as such.
bool ReadItemUnit(SettingsReader& reader, CMC_ScopeLogger& scope, CMC_Setup* setup, CMC_LoggerItem& item) {
  if (item.m_strBaseUnit.IsEmpty()) return true;
  if (!reader.NextIsUnit()) {
    item.m_bScaled = 0;
    return scope.LocateItem(&item);
  }
  CString unit;
  if (!reader.Text(unit) || !setup->GetUnits().CompatibleUnits(item.m_strBaseUnit, unit)) return false;
  item.m_strUnit = unit;
  return true;
}

}  // namespace

CString CMC_ScopeLogger::GetSettingsText() {
  CGraphFilter* plot = m_graphDoc.GetAt(0);
  CString text;
  int channel = 0;
  for (; channel < m_aItems.GetSize(); ++channel) {
    const CMC_LoggerItem* item = m_aItems.GetAt(channel);
    const int kind = item ? item->m_nType : CMC_LoggerItem::ITEM_NONE;
    text.AppendFormat("%d\t", kind);
    if (kind != CMC_LoggerItem::ITEM_NONE) {
      const CCurve* curve = m_aCurves.GetAt(channel + 1);
      text += ItemFields(*item);
      text.AppendFormat("%.14e\t%.14e\t", curve ? curve->m_dOscScale : 1.0, curve ? curve->m_dOscOffset : 0.0);
    }
    const CXYCurve* xy = PlottedCurveOf(plot, channel + 1);
    text.AppendFormat("%lx\t", (DWORD)(xy ? xy->m_crColor : msc_aChannelColors[channel % 4]));
  }
  for (; channel < 4; ++channel) text.AppendFormat("%d\t%lx\t", -1, (DWORD)msc_aChannelColors[channel]);
  text.AppendFormat("%d\t%hu\t%d\t%d\t", m_nScopeFlag, m_nSampling, m_nTriggerMode, m_trigger.m_nType);
  if (m_trigger.m_nType != CMC_LoggerItem::ITEM_NONE) {
    double level = 0;
    m_trigger.GetValue(level);
    text += ItemFields(m_trigger);
    text.AppendFormat("%.14e\t", level);
  }
  const int markers = plot ? (int)std::min<INT_PTR>(plot->m_markers.GetSize(), 2) : 0;
  text.AppendFormat("%hu\t%d\t%hu\t%lx\t%d", m_nTriggerPosition, m_nTriggerSlope, m_nFixedWord,
                    (DWORD)(plot ? plot->m_crCursor : 0), markers);
  for (int i = 0; i < markers; ++i) text.AppendFormat("\t%.2e", plot->m_markers[i]);
  return text;
}

void CMC_ScopeLogger::SaveSettingsToSetupOption(const char* option) {
  if (m_pSetup) m_pSetup->SetOption(option, GetSettingsText());
}

int CMC_ScopeLogger::LoadSettingsFromSetupOption(const char* option) {
  if (!m_pSetup) return 0;
  if (ParseSettingsText(m_pSetup->GetOptionNoError(option))) return 1;
  SetDefaultValues();
  return 0;
}

int CMC_ScopeLogger::ParseSettingsText(const CString& text) {
  CGraphFilter* plot = m_graphDoc.GetAt(0);
  if (!plot || text.IsEmpty()) return 0;
  SettingsReader reader(text);
  ResetLoggerState();
  m_aItems.RemoveAll();
  while (m_aCurves.GetSize() > 1) {
    delete m_aCurves.GetAt(m_aCurves.GetSize() - 1);
    m_aCurves.RemoveAt(m_aCurves.GetSize() - 1);
  }
  plot->DeleteAll();
  plot->m_markers.RemoveAll();
  for (int channel = 0; channel < 4; ++channel) {
    LONG kind, bit = -1;
    CString name;
    if (!reader.Long(kind, -1, 5)) return 0;
    if (kind != CMC_LoggerItem::ITEM_NONE && (!reader.Text(name) || !reader.Long(bit, -1, 31))) return 0;
    auto* item = kind == CMC_LoggerItem::ITEM_NONE ? new CMC_LoggerItem("", CMC_LoggerItem::ITEM_NONE, -1, 1)
                                                    : new CMC_LoggerItem(name, (int)kind, (short)bit, 1);
    m_aItems.Add(item);
    auto* curve = new CCurve;
    m_aCurves.Add(curve);
    auto* xy = new CXYCurve;
    xy->m_nXCurve = 0;
    xy->m_nYCurve = (DWORD)(channel + 1);
    xy->m_nWidth = 2;
    plot->Add(xy);
    double scale = 1.0, offset = 0.0;
    if (kind != CMC_LoggerItem::ITEM_NONE) {
      if (!LocateItem(item) || !ReadItemUnit(reader, *this, m_pSetup, *item) || !reader.Double(scale) || !(scale > 0) ||
          !reader.Double(offset))
        return 0;
    }
    curve->m_strName = item->GetCurveName();
    curve->m_dOscScale = scale;
    curve->m_dOscOffset = offset;
    COLORREF color;
    if (!reader.Color(color)) return 0;
    xy->m_crColor = color;
  }
  // Placeholders after the last real channel go again.
  while (m_aItems.GetSize() > 0 && m_aItems.GetAt(m_aItems.GetSize() - 1)->m_nType == CMC_LoggerItem::ITEM_NONE) {
    const int last = m_aItems.GetSize() - 1;
    m_aItems.RemoveAt(last);
    delete m_aCurves.GetAt(last + 1);
    m_aCurves.RemoveAt(last + 1);
    delete plot->GetAt(last);
    plot->RemoveAt(last);
  }
  LONG flag, divider, mode, kind;
  if (!reader.Long(flag, 0, 1) || !reader.Long(divider, 1, 4000) || !reader.Long(mode, 1, 8) ||
      !reader.Long(kind, -1, 5))
    return 0;
  m_nScopeFlag = (int)flag;
  m_nSampling = (WORD)divider;
  m_nTriggerMode = (int)mode;
  if (kind == CMC_LoggerItem::ITEM_NONE) {
    m_trigger = CMC_LoggerItem("None", CMC_LoggerItem::ITEM_NONE, -1, 1);
  } else {
    CString name;
    LONG bit;
    double level;
    if (!reader.Text(name) || !reader.Long(bit, -1, 31)) return 0;
    m_trigger = CMC_LoggerItem(name, (int)kind, (short)bit, 1);
    if (!LocateItem(&m_trigger) || !ReadItemUnit(reader, *this, m_pSetup, m_trigger) || !reader.Double(level)) return 0;
    m_trigger.SetValue(level);
  }
  LONG position, slope, fixed, count;
  COLORREF cursor;
  if (!reader.Long(position, 0, 0xFFFF) || !reader.Long(slope, INT32_MIN, INT32_MAX) || !reader.Long(fixed, 0, 0xFFFF))
    return 0;
  if (!reader.Color(cursor) || !reader.Long(count, 0, 2)) return 0;
  m_nTriggerPosition = (WORD)position;
  m_nTriggerSlope = (int)slope;
  m_nFixedWord = (WORD)fixed;
  plot->m_crCursor = cursor;
  for (LONG i = 0; i < count; ++i) {
    double value;
    if (!reader.Double(value) || value < -5 || value > 5) return 0;
    plot->m_markers.Add(value);
  }
  SetTimeCurve();
  SetGraphDocSource();
  ResetLoggerState();
  if (!LocateItems()) return 0;
  UpdateTriggerMarkers();
  return 1;
}

int CMC_ScopeLogger::Autoscale() {
  CGraphFilter* plot = m_graphDoc.GetAt(0);
  if (!plot || m_aItems.GetSize() == 0) return 0;
  CMC_Units* units = m_pSetup ? &m_pSetup->GetUnits() : nullptr;
  int changed = 0;
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CCurve* curve = m_aCurves.GetAt(i + 1);
    if (!m_aItems.GetAt(i) || !curve || curve->m_strName.IsEmpty() || curve->GetUpperValid() < 0) continue;
    int index = -1;
    for (int k = 0; k < plot->GetSize() && index < 0; ++k)
      if (CXYCurve* xy = plot->GetAt(k); xy && (int)xy->m_nYCurve == i + 1) index = k;
    if (index < 0 || !plot->GetXCurve(index) || !plot->GetYCurve(index)) continue;
    CXYCurve* xy = plot->GetAt(index);
    xy->ComputeLimits();
    double s = std::max(std::fabs(xy->GetYMin(units)), std::fabs(xy->GetYMax(units))) * curve->m_dOscScale / 10 * 2;
    s = std::clamp(s, 1.01e-9, 9.99e8);
    const double p = std::pow(10.0, std::floor(std::log10(s)));
    const double r = s / p;
    const double scale = r < 2 ? 2 * p : r < 5 ? 5 * p : 10 * p;
    if (scale != curve->m_dOscScale) {
      curve->m_dOscScale = scale;
      changed = 1;
    }
  }
  return changed;
}

int CMC_ScopeLogger::ChangeChannelScale(DWORD channel, int direction) {
  if (channel >= (DWORD)m_aItems.GetSize() || direction == 0) return 0;
  CMC_LoggerItem* item = m_aItems.GetAt((int)channel);
  CCurve* curve = m_aCurves.GetAt((int)channel + 1);
  if (!item || !curve) return 0;
  const double old = curve->m_dOscScale;
  // A stored file can hold a scale that no step can start from.
  if (!(old > 0)) return 0;
  const bool bits = item->m_nType >= CMC_LoggerItem::ITEM_STATUS_BIT;
  const double lo = bits ? 0.201 : 1.01e-9, hi = bits ? 4.999 : 9.99e8;
  if ((direction < 0 && old >= hi) || (direction > 0 && old <= lo)) return 0;
  const double p = std::pow(10.0, std::floor(std::log10(old)));
  const double m = std::ceil(old / p);
  double scale;
  if (direction < 0)
    scale = m <= 1.001 ? 2 * p : m <= 2.001 ? 5 * p : 10 * p;
  else
    scale = m <= 1.001 ? 0.5 * p : m <= 2.001 ? p : 2 * p;
  if (scale == old) return 0;
  curve->m_dOscScale = scale;
  curve->m_dOscOffset *= scale / old;
  return 1;
}

void CMC_ScopeLogger::RescaleVariable(const char* name, const char* unit, double scale, double offset) {
  if (!name) return;
  const CString newUnit = unit ? unit : "";
  if (m_trigger.m_strName.CompareNoCase(name) == 0 && LocateItem(&m_trigger) && m_pSetup &&
      m_pSetup->GetUnits().CompatibleUnits(m_trigger.m_strBaseUnit, newUnit))
    m_trigger.m_strUnit = newUnit;
  const int i = m_aItems.FindVariable(name);
  CMC_LoggerItem* item = i < 0 ? nullptr : m_aItems.GetAt(i);
  CCurve* curve = i < 0 ? nullptr : m_aCurves.GetAt(i + 1);
  if (!item || !curve) return;
  item->m_strUnit = newUnit;
  curve->m_strDisplayUnit = newUnit;
  if (CXYCurve* xy = PlottedCurveOf(m_graphDoc.GetAt(0), i + 1)) xy->m_strYUnit = newUnit;
  curve->m_dOscScale = scale;
  curve->m_dOscOffset = offset;
  LocateItem(item);
}
