#include "monitor/MC_SingleAxisLogger.h"

#include "kernel/KernelGlobals.h"
#include "kernel/MC_Setup.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/MessageBox.h"

#include <algorithm>

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

void CMC_SingleAxisLogger::RefreshBufferSettings() {
  if (m_pSetup) {
    m_nBufferStart = m_pSetup->GetLogBufferAddress();
    m_nBufferLength = m_pSetup->GetLogBufferLength();
  } else {
    m_nBufferStart = 0x8800;
    m_nBufferLength = 0x3800;
  }
}

void CMC_SingleAxisLogger::ResetLoggerState() {
  CMC_Logger::ResetLoggerState();
  FreePointBuffer();
  m_nDataEnd = 0;
  m_nPointsRead = -1;
}

int CMC_SingleAxisLogger::IsEnabled() { return m_nBufferStart > 0 && m_nBufferLength >= 7; }

void CMC_SingleAxisLogger::EndUploadData() {
  CMC_Logger::EndUploadData();
  FreePointBuffer();
  m_nPointWords = 0;
  m_nDataEnd = 0;
  m_nPointsRead = -1;
}

int CMC_SingleAxisLogger::ReadPoint(double*) {
  // Decoding uploaded points is not available yet: an upload ends at its first step.
  if (!m_bUploading) return 0;
  EndUploadData();
  return 0;
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
