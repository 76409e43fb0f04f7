#include "monitor/MC_MultiAxisLogger.h"

#include "kernel/KernelGlobals.h"
#include "kernel/MC_AxisData.h"
#include "kernel/MC_Document.h"
#include "kernel/MC_Setup.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/MessageBox.h"

#include <algorithm>
#include <climits>

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
    m_aBufferStart[i] = setup ? setup->GetLogBufferAddress() : (WORD)0x8800;
    m_aBufferLength[i] = setup ? setup->GetLogBufferLength() : (WORD)0x3800;
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
  CMC_Logger::EndUploadData();
  FreePointBuffer();
  m_aDataEnd.RemoveAll();
  m_aNextRead.RemoveAll();
  m_nPointsRead = -1;
}

int CMC_MultiAxisLogger::ReadPoint(double*) {
  // Decoding uploaded points is not available yet: an upload ends at its first step.
  if (!m_bUploading) return 0;
  EndUploadData();
  return 0;
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
