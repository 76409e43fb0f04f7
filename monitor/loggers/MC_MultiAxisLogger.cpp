#include "monitor/loggers/MC_MultiAxisLogger.h"

#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/MessageBox.h"

#include <algorithm>
#include <climits>
#include <new>

IMPLEMENT_DYNAMIC(CMC_MultiAxisLogger, CMC_Logger)

CMC_MultiAxisLogger::CMC_MultiAxisLogger(CMC_Document* doc) : m_pDoc(doc) { SetDefaultValues(); }

CMC_MultiAxisLogger::~CMC_MultiAxisLogger() { FreePointBuffer(); }

void CMC_MultiAxisLogger::FreePointBuffer() {
  delete[] m_pPointBuffer;
  m_pPointBuffer = nullptr;
}

CMC_Setup* CMC_MultiAxisLogger::GetDefaultSetup() {
  if (!m_pDoc) return nullptr;
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    if (!item || item->m_strAxis.IsEmpty()) continue;
    if (CMC_AxisData* axis = m_pDoc->FindAxisData(item->m_strAxis)) return axis->GetSetup();
  }
  return m_pDoc->GetSetup();
}

void CMC_MultiAxisLogger::SetGraphDocSource() {
  m_graphDoc.SetSource(&m_aCurves, nullptr);
  CMC_Units* first = nullptr;
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    CCurve* curve = m_aCurves.GetAt(i + 1);
    if (!item || !curve) continue;
    CMC_AxisData* axis = m_pDoc ? m_pDoc->FindAxisData(item->m_strAxis) : nullptr;
    CMC_Setup* setup = axis ? axis->GetSetup() : nullptr;
    curve->m_pUnits = setup ? &setup->GetUnits() : nullptr;
    if (!first) first = curve->m_pUnits;
  }
  if (CCurve* time = m_aCurves.GetAt(0)) time->m_pUnits = first;
}

void CMC_MultiAxisLogger::Reset() {
  CMC_Logger::Reset();
  m_aDataEnd.RemoveAll();
  m_aNextRead.RemoveAll();
  m_nPointsRead = -1;
}

void CMC_MultiAxisLogger::RefreshBufferSettings() {
  int count = m_pDoc ? std::max(m_pDoc->GetAxisCount(), 0) : 0;
  m_aBufferStart.SetSize(count);
  m_aBufferLength.SetSize(count);
  m_aPointWords.SetSize(count);
  for (int i = 0; i < count; ++i) {
    CMC_AxisData* axis = m_pDoc->GetAxisData(i);
    CMC_Setup* setup = axis ? axis->GetSetup() : nullptr;
    WORD start, length;
    GetLogBuffer(setup, start, length);
    m_aBufferStart[i] = start;
    m_aBufferLength[i] = length;
    m_aPointWords[i] = 0;
  }
}

void CMC_MultiAxisLogger::ResetLoggerState() {
  CMC_Logger::ResetLoggerState();
  FreePointBuffer();
  m_aDataEnd.RemoveAll();
  m_aNextRead.RemoveAll();
  m_nPointsRead = -1;
}

int CMC_MultiAxisLogger::IsEnabled() {
  for (INT_PTR i = 0; i < m_aBufferStart.GetSize(); ++i)
    if (m_aBufferStart[i] && m_aBufferLength[i] >= 7) return 1;
  return 0;
}

void CMC_MultiAxisLogger::EndUploadData() {
  const bool uploading = m_bUploading;
  CMC_Logger::EndUploadData();
  if (uploading)
    for (int i = 0; i < m_aCurves.GetSize(); ++i)
      if (CCurve* curve = m_aCurves.GetAt(i)) curve->SetSize(curve->GetUpperValid() + 1);
  FreePointBuffer();
  m_aDataEnd.RemoveAll();
  m_aNextRead.RemoveAll();
  m_nPointsRead = -1;
}

int CMC_MultiAxisLogger::ComputeMaxPoints(CMC_LoggerItemsArray& items) {
  if (!m_pDoc) return 0;
  int best = INT_MAX;
  int count = std::min<int>(m_pDoc->GetAxisCount(), (int)m_aBufferLength.GetSize());
  for (int i = 0; i < count; ++i) {
    CMC_AxisData* axis = m_pDoc->GetAxisData(i);
    if (!axis) continue;
    int words = items.GetVariablesBufferSize(axis->GetName());
    if (words <= 0) continue;
    best = std::min(best, std::max((m_aBufferLength[i] - 5) / words - 1, 0));
  }
  return best == INT_MAX ? 0 : best;
}

int CMC_MultiAxisLogger::ComputeMaxPoints() {
  LocateItems();
  return ComputeMaxPoints(m_aItems);
}

int CMC_MultiAxisLogger::LocateItem(CMC_LoggerItem* item) {
  if (!item) return 0;
  CMC_AxisData* axis = m_pDoc ? m_pDoc->FindAxisData(item->m_strAxis) : nullptr;
  if (axis && (item->SetFromSetup(axis->GetSetup()) || item->SetFromCoff(axis->GetCoffFile()))) return 1;
  CString name = item->m_strAxis + "::" + item->m_strName;
  ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_CANNOT_FIND_VARIABLE, (const char*)name);
  return 0;
}

void CMC_MultiAxisLogger::SetDoc(CMC_Document* doc) {
  m_pDoc = doc;
  RemoveVarsOfLostAxes();
  SetGraphDocSource();
  if (m_bUploading) EndUploadData();
  m_bStarted = 0;
  RefreshBufferSettings();
}

void CMC_MultiAxisLogger::RenamedAxisDoc(const char* oldName, const char* newName) {
  if (!oldName || !newName) return;
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    if (!item || item->m_strAxis.CompareNoCase(oldName) != 0) continue;
    item->m_strAxis = newName;
    if (CCurve* curve = m_aCurves.GetAt(i + 1)) curve->m_strName = item->GetCurveName();
  }
}

void CMC_MultiAxisLogger::RemoveVarsOfLostAxes() {
  // Without a document no axis can be told lost: the items stay.
  if (!m_pDoc) return;
  for (int i = m_aItems.GetSize() - 1; i >= 0; --i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    if (item && m_pDoc->FindAxisData(item->m_strAxis)) continue;
    m_aItems.RemoveAt(i);
    if (i + 1 < m_aCurves.GetSize()) {
      delete m_aCurves.GetAt(i + 1);
      m_aCurves.SetAt(i + 1, nullptr);
    }
  }
  RepairCurves();
}

int CMC_MultiAxisLogger::AfterSuccessfulLoad() {
  bool multi = m_nLogType <= LOG_TS_C;
  for (int i = 0; multi && i < m_aItems.GetSize(); ++i)
    if (CMC_LoggerItem* item = m_aItems.GetAt(i)) multi = !item->m_strAxis.IsEmpty();
  if (!multi) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_NOT_MULTI_AXIS_FILE);
    SetDefaultValues();
    return 0;
  }
  RemoveVarsOfLostAxes();
  SetGraphDocSource();
  RefreshBufferSettings();
  return 1;
}

int CMC_MultiAxisLogger::VerifyConsistence() {
  if (!CanStart()) return 1;
  if (!LocateItems()) return 0;
  UpdateCurveNames();
  const int count = std::min(m_pDoc ? m_pDoc->GetAxisCount() : 0, AxisCount());
  for (int i = 0; i < AxisCount(); ++i) m_aPointWords[i] = 0;
  for (int i = 0; i < count; ++i) {
    CMC_AxisData* axis = m_pDoc->GetAxisData(i);
    if (axis && axis->GetSetup()) m_aPointWords[i] = m_aItems.GetVariablesBufferSize(axis->GetName());
  }
  const double step = GetTimeStep();
  for (int i = 0; i < count; ++i) {
    if (!m_aPointWords[i]) continue;
    CMC_AxisData* axis = m_pDoc->GetAxisData(i);
    for (int j = 0; j < i; ++j)
      if (m_aPointWords[j] && m_pDoc->GetAxisData(j)->GetAxisID() == axis->GetAxisID()) {
        ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_SAME_AXIS_IDS);
        return 0;
      }
    if ((m_nLogType == LOG_TS_S || m_nLogType == LOG_TS_C) && ComputeTimeStep(axis->GetSetup()) != step) {
      ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_DIFFERENT_SAMPLING);
      return 0;
    }
    if (m_aBufferStart[i] % 4) {
      ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_START_NOT_MULTIPLE_OF_4);
      return 0;
    }
    if ((m_nPoints + 1u) * m_aPointWords[i] + 5u > m_aBufferLength[i]) {
      ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_BUFFER_OVERFLOW);
      return 0;
    }
  }
  return 1;
}

int CMC_MultiAxisLogger::DeactivateLoggerOnMC() {
  CMC_Setup* setup = GetDefaultSetup();
  return setup && setup->ExecuteString("[B]{ STOPLOG; }", 0, nullptr);
}

bool CMC_MultiAxisLogger::MakeGlobalAxisActive() {
  return m_pDoc && CMC_Comm::SetActiveBoard((WORD)(m_pDoc->GetGlobalSelectedAxis() & 0xFF));
}

int CMC_MultiAxisLogger::ActivateLoggerOnMC() {
  if (!DeactivateLoggerOnMC() || !m_pLogPtrVar || !m_pDoc) return 0;
  const int count = AxisCount();
  m_aDataEnd.RemoveAll();
  m_aNextRead.RemoveAll();
  m_aDataEnd.SetSize(count);
  m_aNextRead.SetSize(count);
  m_nPointsRead = 0;
  for (int i = 0; i < count; ++i) {
    if (!m_aPointWords[i]) continue;
    CMC_AxisData* axis = m_pDoc->GetAxisData(i);
    if (!axis) return 0;
    std::vector<WORD> header = BuildHeader(m_aBufferStart[i], axis->GetName());
    // The variable lies at the same address on every drive; the type follows with STARTLOG.
    if (!CMC_Comm::SetActiveBoard(axis->GetAxisID()) ||
        !CMC_Comm::SendData(header.data(), m_aBufferStart[i], 1, (WORD)header.size()) ||
        !WriteLogPointer(m_aBufferStart[i]))
      return 0;
    m_aDataEnd[i] = m_aNextRead[i] = m_aBufferStart[i] + (DWORD)header.size();
  }
  if (!MakeGlobalAxisActive()) return 0;
  if (m_nLogType == LOG_TS_S || m_nLogType == LOG_TS_C) {
    CString start;
    start.Format("[B]{ STARTLOG %d; }", m_nLogType);
    if (!GetDefaultSetup()->ExecuteString(start, 0, nullptr)) return 0;
  }
  return 1;
}

int CMC_MultiAxisLogger::GetRemainingPoints(int axis, WORD& left) {
  if (!m_bStarted || axis < 0 || axis >= AxisCount()) return 0;
  if (!CMC_Comm::ReceiveData(&left, m_aBufferStart[axis], 1, 1)) return 0;
  return left <= m_nPoints;
}

bool CMC_MultiAxisLogger::ContinueWithoutAxis(int axis, CMC_AxisData* data) {
  const char* name = data ? data->GetName() : "";
  if (ShowKernelMessageAlways(MB_YESNO | MB_ICONEXCLAMATION, IDS_MONITOR_AXIS_UPLOAD_FAILED, name) != IDYES)
    return false;
  m_aPointWords[axis] = 0;
  return true;
}

size_t CMC_MultiAxisLogger::GetInternalPtrDataForNetMaster(int axis, DWORD address) const {
  return m_aBlockStart[axis] + (address - m_aBufferStart[axis] - m_aBlockWords[axis] - 5);
}

int CMC_MultiAxisLogger::BeginOrContinueUploadData() {
  if (!m_bStarted || !m_pDoc) return 0;
  const int count = AxisCount();
  if (m_aNextRead.GetSize() == 0) {
    m_aDataEnd.SetSize(count);
    m_aNextRead.SetSize(count);
    for (int i = 0; i < count; ++i)
      m_aDataEnd[i] = m_aNextRead[i] = m_aBufferStart[i] + 5u + m_aPointWords[i];
  }
  if (m_aNextRead.GetSize() != count) {
    EndUploadData();
    return 0;
  }
  const bool first = !m_bUploading;
  if (first) {
    // Each axis keeps its block of the bulk buffer, also once it was dropped.
    m_bBulk = IsBulkUpload();
    m_aBlockStart.assign(count, 0);
    m_aBlockWords.assign(count, 0);
    size_t words = 0;
    for (int i = 0; i < count; ++i) {
      m_aBlockStart[i] = m_bBulk ? words : 0;
      m_aBlockWords[i] = m_aPointWords[i];
      words = m_bBulk ? words + (size_t)m_nPoints * m_aPointWords[i] : std::max<size_t>(words, m_aPointWords[i]);
    }
    FreePointBuffer();
    if (words) m_pPointBuffer = new (std::nothrow) WORD[words]();
    if (!m_pPointBuffer) {
      ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_OUT_OF_MEMORY);
      EndUploadData();
      return 0;
    }
  }
  const UINT showErr = CMC_Comm::nShowErr;
  CMC_Comm::nShowErr = 0;
  bool finished = false, failed = false, lost = false;
  for (int i = 0; i < count && !failed; ++i) {
    const DWORD w = m_aPointWords[i];
    if (!w) continue;
    const DWORD start = m_aBufferStart[i];
    const long notRead = (long)m_nPoints - (long)((m_aNextRead[i] - start - 5) / w) + 1;
    if (notRead <= 0) continue;
    CMC_AxisData* axis = m_pDoc->GetAxisData(i);
    if (!axis) {
      failed = lost = true;
      break;
    }
    WORD left = 0;
    if (!CMC_Comm::SetActiveBoard(axis->GetAxisID()) || !GetRemainingPoints(i, left)) {
      failed = !ContinueWithoutAxis(i, axis);
      continue;
    }
    if (left == 0) finished = true;
    if (left > notRead) {
      failed = true;
    } else if (left < notRead) {
      m_aDataEnd[i] = start + 5u + (m_nPoints - left + 1u) * w;
      if (m_aNextRead[i] > m_aDataEnd[i]) {
        failed = true;
      } else if (m_bBulk && m_aNextRead[i] < m_aDataEnd[i]) {
        CString text;
        text.Format("Uploading logger data from application %s...", axis->GetName());
        if (!CMC_Comm::ReceiveBigData(m_pPointBuffer + GetInternalPtrDataForNetMaster(i, m_aNextRead[i]),
                                      (WORD)m_aNextRead[i], 1, (WORD)(m_aDataEnd[i] - m_aNextRead[i]),
                                      CMC_Comm::BigMemoryOpCallback, (void*)text.GetString())) {
          failed = !ContinueWithoutAxis(i, axis);
          if (failed) CMC_Comm::OnBigMemoryOpEnd("Logger data upload has failed!");
          continue;
        }
        CMC_Comm::OnBigMemoryOpEnd("");
      }
    }
  }
  CMC_Comm::nShowErr = showErr;
  if (lost) DeactivateLoggerOnMC();
  if (failed || !MakeGlobalAxisActive() || (finished && !DeactivateLoggerOnMC())) {
    EndUploadData();
    return 0;
  }
  if (first) {
    m_nPointsRead = 0;
    PrepareCurves();
    m_bUploading = 1;
  }
  return 1;
}

int CMC_MultiAxisLogger::ReadPoint(double* values) {
  if (!m_bUploading) return 0;
  auto available = [this] {
    for (int i = 0; i < AxisCount() && i < m_aNextRead.GetSize(); ++i)
      if (m_aPointWords[i] && m_aNextRead[i] + m_aPointWords[i] <= m_aDataEnd[i]) return true;
    return false;
  };
  if (!available() && (!BeginOrContinueUploadData() || !available())) {
    if (m_bUploading) EndUploadData();
    return 0;
  }
  if (!m_pPointBuffer || !m_pDoc) {
    EndUploadData();
    return 0;
  }
  const UINT showErr = CMC_Comm::nShowErr;
  CMC_Comm::nShowErr = 0;
  int largest = -1;
  bool failed = false;
  for (int i = 0; i < AxisCount() && i < m_aNextRead.GetSize() && !failed; ++i) {
    const WORD w = m_aPointWords[i];
    if (!w || m_aNextRead[i] + w > m_aDataEnd[i]) continue;
    CMC_AxisData* axis = m_pDoc->GetAxisData(i);
    const WORD* p = m_pPointBuffer;
    if (m_bBulk) {
      p += GetInternalPtrDataForNetMaster(i, m_aNextRead[i]);
    } else if (!axis || !CMC_Comm::SetActiveBoard(axis->GetAxisID()) ||
               !CMC_Comm::ReceiveData(m_pPointBuffer, (WORD)m_aNextRead[i], 1, w)) {
      failed = !ContinueWithoutAxis(i, axis);
      continue;
    }
    const char* name = axis ? axis->GetName() : "";
    for (int j = 0; j < m_aItems.GetSize(); ++j) {
      CMC_LoggerItem* item = m_aItems.GetAt(j);
      CCurve* curve = m_aCurves.GetAt(j + 1);
      if (!item || item->m_strAxis.CompareNoCase(name) != 0) continue;
      double v = 0;
      item->GetValueFromBuffer(p, v);
      if (values) values[j + 1] = v;
      const int at = curve ? curve->GetUpperValid() + 1 : -1;
      if (at < 0 || at >= curve->GetSize()) continue;
      curve->SetAt(at, v);
      largest = std::max(largest, at);
    }
    m_aNextRead[i] += w;
  }
  CMC_Comm::nShowErr = showErr;
  if (failed || !MakeGlobalAxisActive() || largest < 0) {
    EndUploadData();
    return 0;
  }
  CCurve* time = m_aCurves.GetAt(0);
  if (time && largest == time->GetUpperValid() + 1) {
    const double t = largest * GetTimeStep();
    time->SetAt(largest, t);
    if (values) values[0] = t;
    m_nPointsRead = largest;
  }
  return 1;
}

int CMC_MultiAxisLogger::GetUploadPercentageCompleted() {
  // Outside an upload nothing has been read: 0, not the -1 that marks "no upload".
  return m_nPoints && m_nPointsRead > 0 ? m_nPointsRead * 100 / m_nPoints : 0;
}

CMC_MultiAxisLogger* CMC_MultiAxisLogger::CreateCopy(CMC_Document* doc) {
  CMC_MultiAxisLogger* copy = new CMC_MultiAxisLogger(doc);
  copy->Copy(*this);
  copy->m_aBufferStart.Copy(m_aBufferStart);
  copy->m_aBufferLength.Copy(m_aBufferLength);
  copy->m_aPointWords.Copy(m_aPointWords);
  copy->SetGraphDocSource();
  return copy;
}
