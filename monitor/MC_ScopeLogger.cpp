#include "monitor/MC_ScopeLogger.h"

#include "kernel/KernelGlobals.h"
#include "kernel/MC_Setup.h"
#include "monitor/MC_SingleAxisLogger.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "plot/GraphFilter.h"

IMPLEMENT_SERIAL(CMC_ScopeLogger, CMC_Logger, 1 | VERSIONABLE_SCHEMA)

namespace {
const double kNotAvailable = 1.2345e100;
}

CMC_ScopeLogger::CMC_ScopeLogger() : m_trigger("None", CMC_LoggerItem::ITEM_NONE, -1, 1) {}

CMC_ScopeLogger::CMC_ScopeLogger(CMC_Setup* setup, CMC_CoffFormat* coff)
    : m_pSetup(setup), m_pCoff(coff), m_trigger("None", CMC_LoggerItem::ITEM_NONE, -1, 1) {
  SetDefaultValues();
}

CMC_ScopeLogger::~CMC_ScopeLogger() { FreeFrameRing(); }

void CMC_ScopeLogger::Serialize(CArchive&) {
  // The scope's archive form is not available yet; fail the archive rather than write nothing.
  AfxThrowArchiveException(CArchiveException::genericException);
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

void CMC_ScopeLogger::RefreshBufferSettings() {
  if (m_pSetup) {
    m_nBufferStart = m_pSetup->GetLogBufferAddress();
    m_nBufferLength = m_pSetup->GetLogBufferLength();
  } else {
    m_nBufferStart = 0x8800;
    m_nBufferLength = 0x3800;
  }
}

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
