// Output of the G-code translator: the pending segment buffer and the parameter strings of the
// motion elements it writes.
#include <cstring>
#include <utility>

#include "motion/model/MC_Motion.h"
#include "platform/core/Format.h"
#include "views/gcode/GcodeTranslator.h"

namespace {

// A value as the element parameters hold it ("%.14e"), after a comma when the list has items.
void AppendNumber(std::string& list, double v) {
  if (!list.empty()) list += ',';
  FormatAppendFloat(list, v, 'e', 14);
}

CString Number(double v) {
  std::string s;
  AppendNumber(s, v);
  return CString(std::move(s));
}
CString Integer(int v) { return CString(std::to_string(v)); }

// Room for `count` numbers of a list written with AppendNumber.
constexpr size_t kNumberWidth = 22;

bool IsPlaneMask(int mask) { return mask == 3 || mask == 5 || mask == 6; }

// A single axis is run as the pair it belongs to most naturally.
int WidenMask(int mask) {
  switch (mask) {
    case 1: case 2: return 3;
    case 4: return 5;
    case 8: case 16: return 24;
    case 32: return 40;
  }
  return mask;
}

// The first and second axis of a two-axis mask, as indices within its group.
void MaskAxes(int mask, int& first, int& second) {
  const int m = (mask & 7) ? mask : mask >> 3;
  first = (m & 1) ? 0 : 1;
  second = (m & 4) ? 2 : 1;
  if (first == second) second = 2;
}

}  // namespace

void CGcodeTranslator::AddGcodeElement(const char* type, CString parameters) {
  m_arrElements.push_back(tagGcodeElement{CString(type), std::move(parameters)});
}

// ---------------------------------------------------------------------------------------------
// Segments

void CGcodeTranslator::StartSegmentBuffer(int type, int mask) {
  m_nBufferType = type;
  m_nBufferMask = mask;
}

void CGcodeTranslator::AddGcodeLinearSegment(int mask, double speed, double d0, double d1, double d2) {
  const int group = (mask & MASK_LINEAR) ? MASK_LINEAR : MASK_ROTATIONAL;
  mask &= group;
  if (m_nBufferType != 0 && m_nBufferMask != mask) {
    const int bufferGroup = (m_nBufferMask & MASK_LINEAR) ? MASK_LINEAR : MASK_ROTATIONAL;
    if (bufferGroup != group) FlushGcodeSegments();
  }
  switch (m_nBufferType) {
    case 1:
      m_nBufferMask |= mask;
      if (m_nBufferMask == group) m_nBufferType = 2;
      break;
    case 2:
      break;
    case 3:
      if (IsPlaneMask(m_nBufferMask | mask)) {
        m_nBufferMask |= mask;
        break;
      }
      FlushGcodeSegments();
      [[fallthrough]];
    default:
      StartSegmentBuffer(mask == group ? 2 : 1, mask);
  }
  const int shift = group == MASK_LINEAR ? 0 : 3;
  const double d[3] = {d0, d1, d2};
  m_arrSegSpeed.push_back(speed);
  m_arrSegKind.push_back(0);
  for (int k = 0; k < 3; k++) {
    const double v = (mask & (1 << (k + shift))) ? d[k] : 0.0;
    m_arrSegValue[k].push_back(v);
  }
}

void CGcodeTranslator::AddGcodeArcSegment(int planeMask, double speed, double radius, double startAngle,
                                          double increment) {
  if (m_nBufferType != 0 && (m_nBufferMask & MASK_ROTATIONAL)) {
    FlushGcodeSegments();
    StartSegmentBuffer(3, planeMask);
  } else {
    switch (m_nBufferType) {
      case 0:
        StartSegmentBuffer(3, planeMask);
        break;
      case 1:
      case 3:
        if (IsPlaneMask(m_nBufferMask | planeMask)) {
          StartSegmentBuffer(3, m_nBufferMask | planeMask);
          break;
        }
        [[fallthrough]];
      default:
        FlushGcodeSegments();
        StartSegmentBuffer(3, planeMask);
    }
  }
  m_arrSegSpeed.push_back(speed);
  m_arrSegKind.push_back(1);
  m_arrSegValue[0].push_back(radius);
  m_arrSegValue[1].push_back(startAngle);
  m_arrSegValue[2].push_back(increment);
}

void CGcodeTranslator::AppendSpeedList(CString& params, int configure, const char* speedUnit) const {
  std::string speeds;
  const size_t n = m_arrSegSpeed.size();
  speeds.reserve(n * kNumberWidth);
  std::string acc = "0";
  for (size_t i = 1; i < n; i++) acc += ",0";
  CMC_Motion::AddToElemParameters(params, "CACC", nullptr, acc.c_str());
  for (size_t i = 0; i < n; i++) {
    if (i) speeds += ',';
    const double s = m_arrSegSpeed[i];
    // The same number in other units (after G20 or G21) is another speed.
    if (i == 0 ? (configure == 0 && s == m_dPrevSpeed && std::strcmp(speedUnit, m_pszPrevSpeedUnit) == 0)
               : s == m_arrSegSpeed[i - 1])
      speeds += '0';
    else
      FormatAppendFloat(speeds, s, 'e', 14);
  }
  CMC_Motion::AddToElemParameters(params, "CSPD", speedUnit, speeds.c_str());
}

void CGcodeTranslator::WriteLinearInterpolation(int profileType, int mask, int configure, const char* lengthUnit,
                                                const char* speedUnit) {
  const bool rotational = (mask & MASK_ROTATIONAL) != 0;
  const int* slaves = m_settings.m_nAxisSlave + (rotational ? 3 : 0);
  CString p;
  p.str().reserve(m_arrSegSpeed.size() * kNumberWidth * 4 + 256);
  CMC_Motion::AddToElemParameters(p, "ProfileType", nullptr, Integer(profileType));
  CMC_Motion::AddToElemParameters(p, "ConfigureMode", nullptr, Integer(configure));
  CMC_Motion::AddToElemParameters(p, "ClearBuffer", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "InsertEndSegment", nullptr, "1");
  int axes[3] = {0, 1, 2}, count = 3;
  if (profileType == 0) {
    MaskAxes(mask, axes[0], axes[1]);
    count = 2;
  }
  static const char* const slaveNames[] = {"SlaveX", "SlaveY", "SlaveZ"};
  static const char* const posNames[] = {"X_TPOS", "Y_TPOS", "Z_TPOS"};
  for (int a = 0; a < count; a++) CMC_Motion::AddToElemParameters(p, slaveNames[a], nullptr, Integer(slaves[axes[a]]));
  for (int a = 0; a < count; a++) {
    std::string list;
    const std::vector<double>& v = m_arrSegValue[axes[a]];
    list.reserve(v.size() * kNumberWidth);
    for (double value : v) AppendNumber(list, value);
    CMC_Motion::AddToElemParameters(p, posNames[a], lengthUnit, list.c_str());
  }
  AppendSpeedList(p, configure, speedUnit);
  CMC_Motion::AddToElemParameters(p, "Execute", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "WaitForCompletion", nullptr, "1");
  AddGcodeElement("Linear Interpolation", std::move(p));
}

void CGcodeTranslator::WriteVectorMode(int mask, int configure, const char* lengthUnit, const char* speedUnit) {
  int first, second;
  MaskAxes(mask, first, second);
  CString p;
  p.str().reserve(m_arrSegKind.size() * kNumberWidth * 4 + 256);
  CMC_Motion::AddToElemParameters(p, "ConfigureMode", nullptr, Integer(configure));
  CMC_Motion::AddToElemParameters(p, "ClearBuffer", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "InsertEndSegment", nullptr, "1");
  CMC_Motion::AddToElemParameters(p, "SlaveX", nullptr, Integer(m_settings.m_nAxisSlave[first]));
  CMC_Motion::AddToElemParameters(p, "SlaveY", nullptr, Integer(m_settings.m_nAxisSlave[second]));
  CMC_Motion::AddToElemParameters(p, "SlaveTangent", nullptr, "-1");
  const size_t n = m_arrSegKind.size();
  std::string types;
  for (size_t i = 0; i < n; i++) {
    if (i) types += ',';
    types += m_arrSegKind[i] ? '1' : '0';
  }
  CMC_Motion::AddToElemParameters(p, "SegmentType", nullptr, types.c_str());
  AppendSpeedList(p, configure, speedUnit);
  std::string lists[5];
  for (std::string& list : lists) list.reserve(n * kNumberWidth);
  for (size_t i = 0; i < n; i++) {
    if (m_arrSegKind[i] == 0) {
      AppendNumber(lists[0], m_arrSegValue[first][i]);
      AppendNumber(lists[1], m_arrSegValue[second][i]);
    } else {
      for (int k = 0; k < 3; k++)
        AppendNumber(lists[2 + k], m_arrSegValue[k][i]);
    }
  }
  CMC_Motion::AddToElemParameters(p, "X_TPOS", lengthUnit, lists[0].c_str());
  CMC_Motion::AddToElemParameters(p, "Y_TPOS", lengthUnit, lists[1].c_str());
  CMC_Motion::AddToElemParameters(p, "Radius", lengthUnit, lists[2].c_str());
  CMC_Motion::AddToElemParameters(p, "InitAngle", "deg", lists[3].c_str());
  CMC_Motion::AddToElemParameters(p, "AngleIncrement", "deg", lists[4].c_str());
  CMC_Motion::AddToElemParameters(p, "Execute", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "WaitForCompletion", nullptr, "1");
  AddGcodeElement("Vector Mode", std::move(p));
}

void CGcodeTranslator::FlushGcodeSegments() {
  if (m_nBufferType == 0) return;
  int type = m_nBufferType, mask = m_nBufferMask;
  const bool rotational = (mask & MASK_ROTATIONAL) != 0;
  const char* lengthUnit = rotational ? "deg" : (m_nUnits == 0 ? "in" : "mm");
  const char* speedUnit = rotational ? "deg/min" : (m_nUnits == 0 ? "in/min" : "mm/min");
  int configure = 1;
  const bool withinPrevious = (mask & ~m_nPrevMask) == 0;
  if (type == 2) {
    if (m_nPrevType == 2 && m_nPrevMask == mask) configure = 0;
    WriteLinearInterpolation(1, mask, configure, lengthUnit, speedUnit);
  } else if (type == 1) {
    if ((m_nPrevType == 1 || m_nPrevType == 3) && withinPrevious) {
      configure = 0;
      mask = m_nPrevMask;
    } else {
      mask = WidenMask(mask);
    }
    if (rotational) {
      WriteLinearInterpolation(0, mask, configure, lengthUnit, speedUnit);
    } else {
      type = 3;
      WriteVectorMode(mask, configure, lengthUnit, speedUnit);
    }
  } else {
    if (m_nPrevType == 3 && withinPrevious) {
      configure = 0;
      mask = m_nPrevMask;
    } else {
      mask = WidenMask(mask);
    }
    WriteVectorMode(mask, configure, lengthUnit, speedUnit);
  }
  m_nPrevType = type;
  m_nPrevMask = mask;
  m_dPrevSpeed = m_arrSegSpeed.back();
  m_pszPrevSpeedUnit = speedUnit;
  m_nBufferType = m_nBufferMask = 0;
  m_arrSegSpeed.clear();
  m_arrSegKind.clear();
  for (auto& v : m_arrSegValue) v.clear();
}

// ---------------------------------------------------------------------------------------------
// Other elements

void CGcodeTranslator::AddGcodeFreeText(const CString& text) {
  FlushGcodeSegments();
  // The text stands inside a comment of the generated code; its own "*/" must not end it.
  CString safe(text);
  safe.Replace("*/", "* /");
  AddGcodeElement("Free Text", "/* " + safe + " */");
}

void CGcodeTranslator::AddGcodeJump(const char* label, BOOL isStart) {
  FlushGcodeSegments();
  CString p;
  CMC_Motion::AddToElemParameters(p, "Type", nullptr, isStart ? "6" : "0");
  CMC_Motion::AddToElemParameters(p, "Label", nullptr, label);
  AddGcodeElement("Jumps and Function Calls", std::move(p));
}

void CGcodeTranslator::AddGcodeOutputBit(int slave, int port, int level) {
  FlushGcodeSegments();
  CString p;
  CMC_Motion::AddToElemParameters(p, "Type", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "SimpleType", nullptr, "1");
  CMC_Motion::AddToElemParameters(p, "Slave", nullptr, Integer(slave));
  CMC_Motion::AddToElemParameters(p, "Port", nullptr, Integer(port));
  CMC_Motion::AddToElemParameters(p, "SimpleSet", nullptr, Integer(level));
  CMC_Motion::AddToElemParameters(p, "SetLineType", nullptr, "0");
  AddGcodeElement("I/O", std::move(p));
}

void CGcodeTranslator::AddGcodeSpindleProfile(int slave, double speed) {
  FlushGcodeSegments();
  CString p;
  CMC_Motion::AddToElemParameters(p, "Slave", nullptr, Integer(slave));
  CMC_Motion::AddToElemParameters(p, "Profile", nullptr, "1");
  CMC_Motion::AddToElemParameters(p, "StartPoint", nullptr, "1");
  CMC_Motion::AddToElemParameters(p, "CSPD", "rpm", Number(speed));
  CMC_Motion::AddToElemParameters(p, "Execute", nullptr, "0");
  AddGcodeElement("Trapezoidal Profiles", std::move(p));
}

void CGcodeTranslator::AddGcodeMotorStop(DWORD slaveMask) {
  FlushGcodeSegments();
  CString p;
  CMC_Motion::AddToElemParameters(p, "SelectedSlaves", nullptr, CString(FormatString("%X", (unsigned)slaveMask)));
  CMC_Motion::AddToElemParameters(p, "Type", nullptr, "2");
  AddGcodeElement("Motor Commands", std::move(p));
}

void CGcodeTranslator::AddGcodeWaitInput(int slave, int port, int level) {
  FlushGcodeSegments();
  CString p;
  CMC_Motion::AddToElemParameters(p, "Stop", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "Wait", nullptr, "1");
  CMC_Motion::AddToElemParameters(p, "EvType", nullptr, "6");
  CMC_Motion::AddToElemParameters(p, "EvSlaveAxis", nullptr, Integer(slave));
  CMC_Motion::AddToElemParameters(p, "EvInput", nullptr, "4");
  CMC_Motion::AddToElemParameters(p, "EvInputPort", nullptr, Integer(port));
  CMC_Motion::AddToElemParameters(p, "EvInputLevel", nullptr, Integer(level));
  AddGcodeElement("Events", std::move(p));
}

void CGcodeTranslator::AddGcodeWaitTime(double seconds) {
  FlushGcodeSegments();
  CString p;
  CMC_Motion::AddToElemParameters(p, "Stop", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "Wait", nullptr, "1");
  CMC_Motion::AddToElemParameters(p, "EvType", nullptr, "4");
  CMC_Motion::AddToElemParameters(p, "EvSourceType", nullptr, "0");
  CMC_Motion::AddToElemParameters(p, "EventATIME", "s", Number(seconds));
  AddGcodeElement("Events", std::move(p));
}
