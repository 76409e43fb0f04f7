#include "monitor/loggers/MC_ScopeLogger.h"

#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/values/QuietErrors.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Clock.h"
#include "plot/curves/GraphFilter.h"

#include <algorithm>
#include <cstring>
#include <new>

IMPLEMENT_SERIAL(CMC_ScopeLogger, CMC_Logger, 1 | VERSIONABLE_SCHEMA)

namespace {
const double kNotAvailable = NOT_AVAILABLE_VALUE;
}

CMC_ScopeLogger::CMC_ScopeLogger() : m_trigger("None", CMC_LoggerItem::ITEM_NONE, -1, 1) {}

CMC_ScopeLogger::CMC_ScopeLogger(CMC_Setup* setup, CMC_CoffFormat* coff)
    : m_pSetup(setup), m_pCoff(coff), m_trigger("None", CMC_LoggerItem::ITEM_NONE, -1, 1) {
  SetDefaultValues();
}

CMC_ScopeLogger::~CMC_ScopeLogger() { FreeFrameRing(); }

void CMC_ScopeLogger::Serialize(CArchive& ar) {
  constexpr BYTE kSchema = 1;
  if (ar.IsStoring()) {
    ar << kSchema;
    CMC_Logger::Serialize(ar);
    m_trigger.Serialize(ar);
    ar << (WORD)m_nScopeFlag << (WORD)m_nTriggerMode << (WORD)m_nTriggerSlope << m_nTriggerPosition << m_nFixedWord;
    // The level as the drive holds it: the first four bytes of the raw value.
    ar.Write(m_trigger.m_value.m_bytes, 4);
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema > kSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  CMC_Logger::Serialize(ar);
  m_trigger.Serialize(ar);
  WORD flag, mode, slope;
  ar >> flag >> mode >> slope >> m_nTriggerPosition >> m_nFixedWord;
  m_nScopeFlag = flag;
  m_nTriggerMode = mode;
  m_nTriggerSlope = slope;
  BYTE level[4];
  if (ar.Read(level, 4) != 4) AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
  memcpy(m_trigger.m_value.m_bytes, level, 4);
}

void CMC_ScopeLogger::FreeFrameRing() {
  delete[] m_pFrameRing;
  m_pFrameRing = nullptr;
}

void CMC_ScopeLogger::SetGraphDocSource() {
  m_graphDoc.SetSource(&m_aCurves, m_pSetup ? &m_pSetup->GetUnits() : nullptr);
}

void CMC_ScopeLogger::SetDefaultValues() {
  m_nLogType = LOG_SCOPE;
  m_nPoints = 101;
  m_nSampling = 400;
  m_nScopeFlag = 1;
  m_nTriggerMode = TRIGGER_NONE;
  m_trigger = CMC_LoggerItem("None", CMC_LoggerItem::ITEM_NONE, -1, 1);
  m_nTriggerPosition = 0;
  m_nTriggerSlope = SLOPE_RISING;
  m_nFixedWord = 200;
  RefreshBufferSettings();
  m_bStarted = m_bUploading = 0;
  m_aItems.RemoveAll();
  DeleteCurvesAndPlots();
  m_nCurrentPlot = 0;
  CGraphFilter* plot = new CGraphFilter(nullptr, "", "", "");
  plot->m_bOscMode = 1;
  plot->m_nDivisions = 10;
  plot->m_markers.RemoveAll();
  plot->m_dCursor1 = plot->m_dCursor2 = kNotAvailable;
  plot->m_nCursorCurve = -1;
  m_graphDoc.Add(plot);
  m_graphDoc.m_strTitle = "Oscilloscope";
  CCurve* time = new CCurve;
  time->m_strName = "Acquisition time";
  m_aCurves.Add(time);
  SetTimeCurve();
  SetGraphDocSource();
}

void CMC_ScopeLogger::Reset() {
  CMC_Logger::Reset();
  m_nFirstFrame = 255;
  m_nCurrentPoint = -1;
  m_nNewPoints = 0;
}

void CMC_ScopeLogger::RefreshBufferSettings() { GetLogBuffer(m_pSetup, m_nBufferStart, m_nBufferLength); }

void CMC_ScopeLogger::ResetLoggerState() {
  CMC_Logger::ResetLoggerState();
  FreeFrameRing();
  m_wFrameMask = 0;
  m_nFirstFrame = 255;
  m_nCurrentPoint = -1;
  m_nNewPoints = 0;
}

int CMC_ScopeLogger::IsEnabled() { return m_nBufferStart > 0 && m_nBufferLength >= 257; }

int CMC_ScopeLogger::LocateItem(CMC_LoggerItem* item) {
  if (!item) return 0;
  if (item->m_nType == CMC_LoggerItem::ITEM_NONE) {
    item->m_nVarType = VAR_INVALID;
    item->m_strUnit.Empty();
    item->m_strBaseUnit.Empty();
    return 1;
  }
  if (item->SetFromSetup(m_pSetup) || item->SetFromCoff(m_pCoff)) return 1;
  ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_CANNOT_FIND_VARIABLE, (const char*)item->m_strName);
  return 0;
}

void CMC_ScopeLogger::ChangeMemBufferSettings(WORD start, WORD end) {
  PlaceLoggerBuffer(m_pSetup, start, end, m_nBufferLength);
  m_nBufferStart = start;
}

int CMC_ScopeLogger::LocateItems() {
  if (!m_pSetup || !LocateItem(&m_trigger)) return 0;
  return CMC_Logger::LocateItems();
}

void CMC_ScopeLogger::ChangeSettings(double timeSpan, tagTriggerMode mode, tagTriggerSlope slope, const char* source,
                                     double level, WORD position) {
  m_nScopeFlag = 0;
  CMC_Setup::GUI_GETSCALE scale = m_pSetup ? m_pSetup->GetScaleFactorFct() : nullptr;
  const double ts = scale ? scale(m_pSetup, "s", "Ts_C") : 0.0;
  // Without a sampling period the divider stays.
  if (ts > 0) {
    static const WORD kDividers[] = {1, 2, 4, 10, 20, 40, 100, 200, 400, 1000, 2000, 4000};
    const double d = timeSpan / ts / 100;
    m_nSampling = 4000;
    for (WORD divider : kDividers)
      if (divider >= d) {
        m_nSampling = divider;
        break;
      }
  }
  m_nTriggerMode = mode;
  if (mode == TRIGGER_NONE) {
    m_trigger = CMC_LoggerItem("None", CMC_LoggerItem::ITEM_NONE, -1, 1);
  } else {
    m_trigger = CMC_LoggerItem(source, CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
    LocateItem(&m_trigger);
    m_trigger.SetValue(level);
  }
  m_nTriggerPosition = position;
  m_nTriggerSlope = slope;
  m_nFixedWord = 200;
  for (int i = 0; i < m_aCurves.GetSize(); ++i)
    if (CCurve* curve = m_aCurves.GetAt(i)) curve->RemoveAll();
  ResetLoggerState();
  LocateItems();
  UpdateTriggerMarkers();
}

CMC_LoggerItem* CMC_ScopeLogger::AddVariable(const char* name, int scaled) {
  if (!name || !*name) return nullptr;
  CMC_LoggerItem* item = new CMC_LoggerItem(name, CMC_LoggerItem::ITEM_VARIABLE, -1, scaled);
  LocateItem(item);
  m_aItems.Add(item);
  CCurve* curve = new CCurve;
  curve->m_strName = item->GetCurveName();
  m_aCurves.Add(curve);
  return item;
}

CMC_LoggerItem* CMC_ScopeLogger::GetLoggerItem(const char* name) {
  int i = m_aItems.FindVariable(name);
  return i < 0 ? nullptr : m_aItems.GetAt(i);
}

CCurve* CMC_ScopeLogger::GetLoggerCurve(const char* name) {
  for (int i = 1; name && i < m_aCurves.GetSize(); ++i)
    if (CCurve* curve = m_aCurves.GetAt(i); curve && curve->m_strName.CompareNoCase(name) == 0) return curve;
  return nullptr;
}

int CMC_ScopeLogger::VerifyConsistence() {
  if (!LocateItems()) return 0;
  if (!CanStart()) return 1;
  if (m_nBufferStart % 4) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_START_NOT_MULTIPLE_OF_4);
    return 0;
  }
  UpdateCurveNames();
  if (m_aItems.GetSize() == 0) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_SCOPE_WITHOUT_VARIABLES);
    return 0;
  }
  if (m_aItems.GetSize() > 4) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_SCOPE_TOO_MANY_VARIABLES, 4u);
    return 0;
  }
  // Frame numbers are bytes: a sweep of more than 255 frames could not be numbered.
  const DWORD w = m_aItems.GetVariablesBufferSize();
  if (w * (m_nPoints + 1u) + 53u > m_nBufferLength || (m_nPoints * w * 2u + 6u) / 7u > 255u) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_SCOPE_BUFFER_OVERFLOW);
    return 0;
  }
  return 1;
}

int CMC_ScopeLogger::DeactivateLoggerOnMC() {
  return WriteLogPointer(0);
}

int CMC_ScopeLogger::ActivateLoggerOnMC() {
  if (!m_pSetup || !m_pSetup->GetIntOption("hasOscilloscope")) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_SCOPE_NOT_SUPPORTED);
    return 0;
  }
  if (!DeactivateLoggerOnMC() || !m_pLogPtrVar) return 0;
  CMC_Variable* master = m_pSetup->FindVariable("MASTERID", 1);
  if (!master) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_CANNOT_FIND_VARIABLE, "MASTERID");
    return 0;
  }
  WORD host = 0;
  if (!CMC_Comm::GetHostBoard(host)) return 0;
  const BYTE type = CMC_Comm::GetSerialType();
  CMC_Value id;
  id.SetValue(master->GetType(), (host << 4) + (type < 2 || type > 10 ? 1 : 0));
  if (!id.WriteToChip(master->GetType(), master->GetAddress())) return 0;

  const WORD w = m_aItems.GetVariablesBufferSize();
  const WORD h = (WORD)(w + 53);
  std::vector<WORD> header(h, 0);
  header[0] = m_nTriggerMode == TRIGGER_SINGLE ? m_nPoints : (WORD)(w ? (m_nBufferLength - h) / w : 0);
  header[1] = 1;
  header[2] = m_nSampling;
  // The drive compares raw values: a negative scale turns the slope round.
  header[3] = (WORD)(m_trigger.m_dFactor < 0 ? (m_nTriggerSlope == SLOPE_FALLING ? 1 : 0) : m_nTriggerSlope);
  WORD level[4] = {0, 0, 0, 0};
  const bool twoWords = m_trigger.GetSizeInWords() == 2;
  if (m_trigger.m_nVarType != VAR_INVALID) m_trigger.m_value.WriteToBuffer(m_trigger.m_nVarType, level);
  header[4] = level[0];
  if (twoWords)
    header[5] = level[1];
  else if (m_trigger.m_nType == CMC_LoggerItem::ITEM_VARIABLE && m_trigger.GetSizeInWords() == 1 &&
           m_trigger.m_value.GetValue(m_trigger.m_nVarType) < 0)
    header[5] = 0xFFFF;
  header[6] = m_nTriggerPosition;
  header[7] = m_nFixedWord;
  header[8] = (WORD)m_nTriggerMode;
  header[9] = m_trigger.m_nAddress;
  header[10] = m_trigger.m_nMask;
  header[11] = twoWords ? (WORD)(m_trigger.m_nAddress + 1) : 0;
  header[12] = twoWords ? 0xFFFF : 0;
  header[51] = (WORD)(m_nBufferStart + h);
  std::vector<WORD> list = BuildHeader(m_nBufferStart, nullptr);
  std::copy(list.begin() + 4, list.end(), header.begin() + 52);
  if (!CMC_Comm::SendData(header.data(), m_nBufferStart, 1, h)) return 0;
  return WriteLogPointer((WORD)(m_nBufferStart + LOG_SCOPE));
}

int CMC_ScopeLogger::BeginOrContinueUploadData() {
  if (!m_bStarted) return 0;
  if (m_bUploading) return 1;
  m_bStopRequested = 0;
  m_dwEndTick = 0;
  m_nPointWords = m_aItems.GetVariablesBufferSize();
  m_nFirstFrame = 0;
  m_nFrameCount = (BYTE)std::min((m_nPoints * m_nPointWords * 2 + 6) / 7, 255);
  FreeFrameRing();
  m_pFrameRing = new (std::nothrow) BYTE[kRingBytes]();
  if (!m_pFrameRing) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_OUT_OF_MEMORY);
    EndUploadData();
    return 0;
  }
  m_wFrameMask = 0;
  m_nCurrentPoint = -1;
  m_nNewPoints = 0;
  PrepareCurves();
  if (CCurve* time = m_aCurves.GetAt(0)) {
    double perDivision = time->m_dFactor * 10;
    if (m_pSetup && !time->m_strStoredUnit.IsEmpty())
      m_pSetup->GetUnits().ConvertValue(perDivision, time->m_strStoredUnit, time->m_strDisplayUnit);
    time->m_dOscScale = perDivision;
    time->m_dOscOffset = perDivision * 10 * 0.5;
  }
  m_bUploading = 1;
  return 1;
}

void CMC_ScopeLogger::EndUploadData() {
  const bool sweeping = m_nCurrentPoint > 0;
  if (!m_bStopRequested && m_nTriggerMode != TRIGGER_SINGLE && sweeping && m_bUploading) {
    m_bStopRequested = 1;
    return;
  }
  CMC_Logger::EndUploadData();
  m_bStopRequested = 0;
  m_dwEndTick = GetTickCount();
  {
    CQuietErrors quiet;
    DeactivateLoggerOnMC();
  }
  if (sweeping)
    for (int i = 0; i < m_aCurves.GetSize(); ++i)
      if (CCurve* curve = m_aCurves.GetAt(i)) {
        for (int k = m_nCurrentPoint; k < m_nPoints; ++k) curve->SetAtGrow(k, NOT_AVAILABLE_VALUE);
        curve->SetUpperValid(m_nPoints - 1);
      }
  m_nPointWords = 0;
  FreeFrameRing();
  m_wFrameMask = 0;
  m_nFirstFrame = 255;
  m_nCurrentPoint = -1;
}

int CMC_ScopeLogger::GetUploadPercentageCompleted() {
  return m_nCurrentPoint > 0 && m_nPoints ? m_nCurrentPoint * 100 / m_nPoints : 0;
}

int CMC_ScopeLogger::PlotPoint(bool complete) {
  const int bytes = 2 * m_nPointWords;
  const int point = std::max(m_nCurrentPoint, 0);
  const int offset = point * bytes;
  if (complete)
    for (int f = offset / 7; f <= (offset + bytes - 1) / 7; ++f)
      if (!HasFrame(f)) return 0;
  m_nCurrentPoint = point;
  if (CCurve* time = m_aCurves.GetAt(0)) time->SetAt(point, point * GetTimeStep());
  int at = offset;
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    const int size = item ? 2 * item->GetSizeInWords() : 0;
    bool whole = true;
    for (int f = at / 7; size && f <= (at + size - 1) / 7; ++f) whole = whole && HasFrame(f);
    double value = NOT_AVAILABLE_VALUE;
    if (item && whole) {
      WORD words[4] = {0, 0, 0, 0};
      BYTE* out = reinterpret_cast<BYTE*>(words);
      for (int b = 0; b < size && b < 8; ++b) out[b] = m_pFrameRing[(at + b) % kRingBytes];
      item->GetValueFromBinary(words, value);
    }
    if (CCurve* curve = m_aCurves.GetAt(i + 1)) curve->SetAtGrow(point, value);
    at += size;
  }
  int next = point + 1, base = (offset + bytes) / 7;
  if (next >= m_nPoints) next = base = 0;
  for (int f = m_nFirstFrame; m_nFrameCount && f != base; f = (f + 1) % m_nFrameCount) m_wFrameMask &= ~(1u << (f % 16));
  m_nFirstFrame = (BYTE)base;
  m_nCurrentPoint = next;
  return 1;
}

int CMC_ScopeLogger::OnFrameReceive(int length, const BYTE* frame) {
  m_nNewPoints = 0;
  if (!m_bUploading || !m_pFrameRing) return GetTickCount() - m_dwEndTick < 500 ? 0 : -1;
  if (length != 8 || !frame || frame[0] >= m_nFrameCount) return -1;
  if (StopsHere()) return 0;
  const int number = frame[0];
  int count = 0;
  // A frame beyond the window: the points before it are given up, their lost values not available.
  while (number < m_nFirstFrame || number >= m_nFirstFrame + 16) {
    count += PlotPoint(false);
    if (StopsHere()) return m_nNewPoints = count;
  }
  memcpy(m_pFrameRing + (number % 16) * 7, frame + 1, 7);
  m_wFrameMask |= 1u << (number % 16);
  while (PlotPoint(true)) {
    ++count;
    if (StopsHere()) break;
  }
  return m_nNewPoints = count;
}

void CMC_ScopeLogger::GetPointsToBeDrawn(DWORD& first, DWORD& count) const {
  if (m_nNewPoints <= 0 || !m_nPoints) {
    first = count = 0;
    return;
  }
  count = (DWORD)m_nNewPoints;
  first = (DWORD)((m_nCurrentPoint - m_nNewPoints + m_nPoints) % m_nPoints);
}

int CMC_ScopeLogger::GetRemainingPoints(WORD& left) {
  if (!m_bStarted) return 0;
  left = m_nCurrentPoint <= 0 ? m_nPoints : (WORD)(m_nPoints - m_nCurrentPoint);
  return 1;
}

int CMC_ScopeLogger::DoForcedStop() {
  m_bStopRequested = 1;
  EndUploadData();
  return 1;
}

int CMC_ScopeLogger::DoGracefulStop() {
  if (m_nCurrentPoint != 0 || (!m_bStopRequested && m_nTriggerMode != TRIGGER_SINGLE)) return 0;
  EndUploadData();
  return 1;
}

int CMC_ScopeLogger::UpdateTriggerMarkers() {
  CGraphFilter* plot = m_graphDoc.GetAt(0);
  if (!plot) return 0;
  plot->LoadDefaultUnits(plot->m_bOscMode);
  const double x = plot->m_dCursor1, y = plot->m_dCursor2;
  const int channel = plot->m_nCursorCurve;
  plot->m_dCursor1 = plot->m_dCursor2 = NOT_AVAILABLE_VALUE;
  plot->m_nCursorCurve = -1;
  if (m_nTriggerMode != TRIGGER_NONE) {
    plot->m_dCursor1 = (m_nTriggerPosition / 100.0 - 0.5) * plot->m_nDivisions;
    for (int i = 0; i < m_aItems.GetSize(); ++i) {
      CMC_LoggerItem* item = m_aItems.GetAt(i);
      CCurve* curve = m_aCurves.GetAt(i + 1);
      if (!item || !curve || curve->m_strName.IsEmpty() || !CMC_LoggerItem::SameLoggerItems(*item, m_trigger))
        continue;
      CMC_LoggerItem level(m_trigger);
      level.m_strUnit = item->m_strUnit;
      level.GetValue(plot->m_dCursor2);
      plot->m_nCursorCurve = i;
      break;
    }
  }
  return x != plot->m_dCursor1 || y != plot->m_dCursor2 || channel != plot->m_nCursorCurve;
}

void CMC_ScopeLogger::SetSetup(CMC_Setup* setup) {
  m_pSetup = setup;
  SetGraphDocSource();
  if (m_bUploading) DoForcedStop();
  m_bStarted = 0;
  RefreshBufferSettings();
}

int CMC_ScopeLogger::AfterSuccessfulLoad() {
  bool scope = m_nLogType == LOG_SCOPE;
  for (int i = 0; scope && i < m_aItems.GetSize(); ++i)
    if (CMC_LoggerItem* item = m_aItems.GetAt(i)) scope = item->m_strAxis.IsEmpty();
  if (!scope) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_NOT_SCOPE_FILE);
    SetDefaultValues();
    return 0;
  }
  m_nPoints = 101;
  {
    CQuietErrors quiet;
    LocateItems();
    UpdateTriggerMarkers();
  }
  SetGraphDocSource();
  RefreshBufferSettings();
  return 1;
}

CMC_ScopeLogger* CMC_ScopeLogger::CreateCopy(CMC_Setup* setup, CMC_CoffFormat* coff) {
  CMC_ScopeLogger* copy = new CMC_ScopeLogger(setup, coff);
  copy->Copy(*this);
  copy->m_nBufferStart = m_nBufferStart;
  copy->m_nBufferLength = m_nBufferLength;
  copy->m_nScopeFlag = m_nScopeFlag;
  copy->m_nTriggerMode = m_nTriggerMode;
  copy->m_trigger = m_trigger;
  copy->m_nTriggerPosition = m_nTriggerPosition;
  copy->m_nTriggerSlope = m_nTriggerSlope;
  copy->m_nFixedWord = m_nFixedWord;
  copy->SetGraphDocSource();
  return copy;
}
