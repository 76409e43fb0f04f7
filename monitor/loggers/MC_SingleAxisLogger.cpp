#include "monitor/loggers/MC_SingleAxisLogger.h"

#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/MessageBox.h"

#include <algorithm>
#include <new>

IMPLEMENT_DYNAMIC(CMC_SingleAxisLogger, CMC_Logger)

void PlaceLoggerBuffer(CMC_Setup* setup, WORD& start, WORD& end, WORD& length) {
  start = std::max<WORD>(start, 0x8200);
  if (setup) {
    const int ramStart = setup->GetRAMStart();
    const int ramSize = setup->GetRAMSize();
    start = (WORD)std::max<int>(start, ramStart);
    end = (WORD)std::min<int>(end, ramStart + ramSize - 1);
    // A drive with little RAM above 0x8200 keeps its buffers in the upper half of the address space.
    if (ramStart + ramSize - 0x8200 <= 0x600) {
      start = (WORD)(start + 0x8800);
      end = (WORD)(end + 0x8800);
    }
  }
  const unsigned rounded = (start + 3u) & ~3u;
  start = (WORD)rounded;
  // A start rounded past the top of the address space leaves no room at all.
  length = rounded > 0xFFFF || end < start ? 0 : (WORD)(end - start + 1);
}

CMC_SingleAxisLogger::CMC_SingleAxisLogger(CMC_Setup* setup, CMC_CoffFormat* coff) : m_pSetup(setup), m_pCoff(coff) {
  SetDefaultValues();
}

CMC_SingleAxisLogger::~CMC_SingleAxisLogger() { FreePointBuffer(); }

void CMC_SingleAxisLogger::FreePointBuffer() {
  delete[] m_pPointBuffer;
  m_pPointBuffer = nullptr;
}

void CMC_SingleAxisLogger::SetGraphDocSource() {
  m_graphDoc.SetSource(&m_aCurves, m_pSetup ? &m_pSetup->GetUnits() : nullptr);
}

void CMC_SingleAxisLogger::Reset() {
  CMC_Logger::Reset();
  m_nDataEnd = 0;
  m_nPointsRead = -1;
}

void CMC_SingleAxisLogger::RefreshBufferSettings() { GetLogBuffer(m_pSetup, m_nBufferStart, m_nBufferLength); }

void CMC_SingleAxisLogger::ResetLoggerState() {
  CMC_Logger::ResetLoggerState();
  FreePointBuffer();
  m_nDataEnd = 0;
  m_nPointsRead = -1;
}

int CMC_SingleAxisLogger::IsEnabled() { return m_nBufferStart > 0 && m_nBufferLength >= 7; }

void CMC_SingleAxisLogger::EndUploadData() {
  CMC_Logger::EndUploadData();
  // The curves keep what was read; outside an upload they are left alone.
  if (m_nPointsRead >= 0)
    for (int i = 0; i < m_aCurves.GetSize(); ++i)
      if (CCurve* curve = m_aCurves.GetAt(i)) curve->SetSize(m_nPointsRead);
  FreePointBuffer();
  m_nPointWords = 0;
  m_nDataEnd = 0;
  m_nPointsRead = -1;
}

int CMC_SingleAxisLogger::AfterSuccessfulLoad() {
  bool single = m_nLogType <= LOG_TS_C;
  for (int i = 0; single && i < m_aItems.GetSize(); ++i)
    if (CMC_LoggerItem* item = m_aItems.GetAt(i)) single = item->m_strAxis.IsEmpty();
  if (!single) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_NOT_SINGLE_AXIS_FILE);
    SetDefaultValues();
    return 0;
  }
  SetGraphDocSource();
  RefreshBufferSettings();
  return 1;
}

int CMC_SingleAxisLogger::VerifyConsistence() {
  if (!CanStart()) return 1;
  if (m_nBufferStart % 4) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_START_NOT_MULTIPLE_OF_4);
    return 0;
  }
  if (!LocateItems()) return 0;
  UpdateCurveNames();
  const DWORD need = (DWORD)m_aItems.GetVariablesBufferSize() * (m_nPoints + 1u) + 5u;
  if (need > m_nBufferLength) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_BUFFER_OVERFLOW);
    return 0;
  }
  return 1;
}

int CMC_SingleAxisLogger::DeactivateLoggerOnMC() {
  return WriteLogPointer(0);
}

int CMC_SingleAxisLogger::ActivateLoggerOnMC() {
  if (!DeactivateLoggerOnMC() || !m_pLogPtrVar) return 0;
  std::vector<WORD> header = BuildHeader(m_nBufferStart, nullptr);
  if (!CMC_Comm::SendData(header.data(), m_nBufferStart, 1, (WORD)header.size())) return 0;
  // The start is a multiple of 4: its two low bits carry the log type.
  if (!WriteLogPointer((WORD)(m_nBufferStart + m_nLogType))) return 0;
  m_nDataEnd = m_nNextRead = m_nBufferStart + header.size();
  return 1;
}

int CMC_SingleAxisLogger::GetRemainingPoints(WORD& left) {
  if (!m_bStarted || !CMC_Comm::ReceiveData(&left, m_nBufferStart, 1, 1)) return 0;
  return left <= m_nPoints;
}

int CMC_SingleAxisLogger::BeginOrContinueUploadData() {
  if (!m_bStarted) return 0;
  WORD left = 0;
  const WORD w = m_aItems.GetVariablesBufferSize();
  if (!GetRemainingPoints(left) || (left == 0 && !DeactivateLoggerOnMC()) || w == 0) {
    EndUploadData();
    return 0;
  }
  const bool first = !m_bUploading;
  if (first) {
    m_nPointWords = w;
    m_bBulk = IsBulkUpload();
    m_nNextRead = m_nBufferStart + 5u + w;
    FreePointBuffer();
    m_pPointBuffer = new (std::nothrow) WORD[m_bBulk ? (size_t)m_nPoints * w : w]();
    if (!m_pPointBuffer) {
      EndUploadData();
      return 0;
    }
  }
  m_nDataEnd = m_nBufferStart + 5u + (m_nPoints - left + 1u) * m_nPointWords;
  if (m_nNextRead > m_nDataEnd) {
    EndUploadData();
    return 0;
  }
  if (m_bBulk && m_nNextRead < m_nDataEnd) {
    static const char kText[] = "Uploading logger data...";
    WORD* at = m_pPointBuffer + (m_nNextRead - m_nBufferStart - m_nPointWords - 5);
    if (!CMC_Comm::ReceiveBigData(at, (WORD)m_nNextRead, 1, (WORD)(m_nDataEnd - m_nNextRead),
                                  CMC_Comm::BigMemoryOpCallback, (void*)kText)) {
      CMC_Comm::OnBigMemoryOpEnd("Logger data upload has failed!");
      EndUploadData();
      return 0;
    }
    CMC_Comm::OnBigMemoryOpEnd("Logger data upload has finished");
  }
  if (first) {
    m_nPointsRead = 0;
    PrepareCurves();
    m_bUploading = 1;
  }
  return 1;
}

int CMC_SingleAxisLogger::ReadPoint(double* values) {
  if (!m_bUploading) return 0;
  const WORD w = m_nPointWords;
  if (m_nDataEnd < m_nNextRead + w &&
      (!BeginOrContinueUploadData() || m_nDataEnd < m_nNextRead + w)) {
    // Caught up with the drive, or the drive is gone.
    if (m_bUploading) EndUploadData();
    return 0;
  }
  if (!m_pPointBuffer || m_nPointsRead < 0 || m_nPointsRead >= m_nPoints) {
    EndUploadData();
    return 0;
  }
  const WORD* p = m_pPointBuffer;
  if (m_bBulk)
    p += (size_t)m_nPointsRead * w;
  else if (!CMC_Comm::ReceiveData(m_pPointBuffer, (WORD)m_nNextRead, 1, w)) {
    EndUploadData();
    return 0;
  }
  const double t = m_nPointsRead * GetTimeStep();
  if (CCurve* time = m_aCurves.GetAt(0)) time->SetAt(m_nPointsRead, t);
  if (values) values[0] = t;
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    double v = 0;
    if (CMC_LoggerItem* item = m_aItems.GetAt(i)) item->GetValueFromBuffer(p, v);
    if (CCurve* curve = m_aCurves.GetAt(i + 1)) curve->SetAt(m_nPointsRead, v);
    if (values) values[i + 1] = v;
  }
  m_nNextRead += w;
  ++m_nPointsRead;
  return 1;
}

int CMC_SingleAxisLogger::GetUploadPercentageCompleted() {
  // Outside an upload nothing has been read: 0, not the -1 that marks "no upload".
  return m_nPoints && m_nPointsRead > 0 ? m_nPointsRead * 100 / m_nPoints : 0;
}

void CMC_SingleAxisLogger::ChangeSettings(WORD points, CMC_Logger::tagLogType type, WORD sampling) {
  Reset();
  SetDefaultValues();
  m_nLogType = type;
  m_nSampling = sampling;
  m_nPoints = points;
  SetTimeCurve();
}

void CMC_SingleAxisLogger::AddVariable(const char* name, int scaled) {
  CMC_LoggerItem* item = new CMC_LoggerItem(name, CMC_LoggerItem::ITEM_VARIABLE, -1, scaled);
  LocateItem(item);
  m_aItems.Add(item);
  CCurve* curve = new CCurve;
  curve->m_strName = item->GetCurveName();
  m_aCurves.Add(curve);
}

void CMC_SingleAxisLogger::AddCustomCurve(const char* name, const double* values, int count) {
  count = values ? std::max(count, 0) : 0;
  CCurve* curve = new CCurve(count, values);
  curve->m_strName = name ? name : "";
  m_aCurves.Add(curve);
  if (count < m_nPoints) m_nPoints = (WORD)count;
}

CMC_SingleAxisLogger* CMC_SingleAxisLogger::CreateCopy(CMC_Setup* setup, CMC_CoffFormat* coff) {
  CMC_SingleAxisLogger* copy = new CMC_SingleAxisLogger(setup, coff);
  copy->Copy(*this);
  copy->m_nBufferStart = m_nBufferStart;
  copy->m_nBufferLength = m_nBufferLength;
  copy->SetGraphDocSource();
  return copy;
}

int CMC_SingleAxisLogger::ComputeMaxPoints(int words) const {
  // A point takes at least one word, also while no item has been located.
  words = std::max(words, 1);
  return std::max((m_nBufferLength - 5) / words - 1, 0);
}

int CMC_SingleAxisLogger::ComputeMaxPoints() {
  LocateItems();
  return ComputeMaxPoints(m_aItems.GetVariablesBufferSize());
}

int CMC_SingleAxisLogger::LocateItem(CMC_LoggerItem* item) {
  if (!item) return 0;
  if (item->SetFromSetup(m_pSetup) || item->SetFromCoff(m_pCoff)) return 1;
  ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_CANNOT_FIND_VARIABLE, (const char*)item->m_strName);
  return 0;
}

void CMC_SingleAxisLogger::ChangeMemBufferSettings(WORD start, WORD end) {
  PlaceLoggerBuffer(m_pSetup, start, end, m_nBufferLength);
  m_nBufferStart = start;
  CorrectPointsNo();
}
