#include "monitor/MC_Logger.h"

#include "comm/MC_Comm.h"
#include "kernel/KernelGlobals.h"
#include "kernel/MC_Setup.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/Map.h"
#include "platform/core/MessageBox.h"
#include "plot/GraphFilter.h"

#include <algorithm>

IMPLEMENT_SERIAL(CMC_Logger, CObject, 1 | VERSIONABLE_SCHEMA)

CMC_Logger::CMC_Logger() : m_graphDoc("Logger") {}

CMC_Logger::~CMC_Logger() {
  CMC_Logger::Reset();
  m_aCurves.DeleteAll();
  m_aItems.RemoveAll();
  m_graphDoc.DeleteAll();
}

void CMC_Logger::Serialize(CArchive&) {
  // The logger's archive form is not available yet; fail the archive rather than write nothing.
  AfxThrowArchiveException(CArchiveException::genericException);
}

void CMC_Logger::DeleteCurvesAndPlots() {
  m_aCurves.DeleteAll();
  m_graphDoc.DeleteAll();
}

void CMC_Logger::SetDefaultValues() {
  m_nLogType = LOG_TS_S;
  m_nPoints = 800;
  m_nSampling = 1;
  RefreshBufferSettings();
  m_bStarted = m_bUploading = 0;
  m_aItems.RemoveAll();
  DeleteCurvesAndPlots();
  m_nCurrentPlot = 0;
  for (int i = 0; i < 4; ++i) m_graphDoc.Add(new CGraphFilter(nullptr, "", "", ""));
  m_graphDoc.m_strTitle = "Logger";
  CCurve* time = new CCurve;
  time->m_strName = "Acquisition time";
  m_aCurves.Add(time);
  SetTimeCurve();
  SetGraphDocSource();
}

void CMC_Logger::Reset() {
  CMC_Logger::ResetLoggerState();
  m_nCurrentPlot = 0;
  m_aItems.RemoveAll();
  DeleteCurvesAndPlots();
}

void CMC_Logger::ResetLoggerState() {
  m_bStarted = 0;
  m_bUploading = 0;
}

int CMC_Logger::CanChangePlotOptions() { return m_graphDoc.GetSize() > 0 && m_aItems.GetSize() > 0; }
int CMC_Logger::CanSetupPlot() { return m_graphDoc.GetSize() > 0 && m_aItems.GetSize() > 0; }

void CMC_Logger::EndUploadData() { m_bUploading = 0; }

int CMC_Logger::ReadPoint(double*) { return 0; }

int CMC_Logger::LocateItem(CMC_LoggerItem*) { return 0; }

int CMC_Logger::StartLogger() {
  ResetLoggerState();
  if (!CanStart() || !VerifyConsistence() || !ActivateLoggerOnMC()) return 0;
  m_bStarted = 1;
  for (int i = 0; i < m_graphDoc.GetSize(); ++i)
    if (CGraphFilter* plot = m_graphDoc.GetAt(i)) plot->LoadDefaultUnits(plot->m_bOscMode);
  return 1;
}

int CMC_Logger::CanStart() {
  return IsEnabled() && m_aItems.GetSize() > 0 && m_nPoints > 0 && CMC_Comm::IsCommOpen();
}

int CMC_Logger::CanUploadData() { return m_bStarted && CMC_Comm::IsCommOpen(); }

int CMC_Logger::BeginUploadData() {
  m_bUploading = 0;
  return BeginOrContinueUploadData();
}

void CMC_Logger::CorrectPointsNo() {
  int limit = ComputeMaxPoints();
  if (limit < m_nPoints) m_nPoints = (WORD)std::max(limit, 0);
}

void CMC_Logger::SetTimeCurve() {
  CCurve* time = m_aCurves.GetAt(0);
  if (!time) return;
  CMC_Setup* setup = GetDefaultSetup();
  if (!setup || m_nLogType < LOG_TS_S || m_nLogType > LOG_SCOPE) {
    time->m_strDisplayUnit.Empty();
    time->m_strStoredUnit.Empty();
    time->m_dFactor = 1.0;
    time->m_dOffset = 0.0;
    return;
  }
  time->m_strDisplayUnit = "ms";
  time->m_strStoredUnit = "s";
  CMC_Setup::GUI_GETSCALE scale = setup->GetScaleFactorFct();
  double ts = scale ? scale(setup, "s", m_nLogType == LOG_TS_S ? "Ts_S" : "Ts_C") : 1.0;
  time->m_dFactor = ts * m_nSampling;
  time->m_dOffset = 0.0;
  if (m_nLogType == LOG_SCOPE && time->GetUpperValid() < 0) {
    double perDivision = time->m_dFactor * 10.0;
    setup->GetUnits().ConvertValue(perDivision, "s", "ms");
    time->m_dOscScale = perDivision;
    time->m_dOscOffset = perDivision * 10.0 * 0.5;
  }
}

void CMC_Logger::UpdateCurveNames() {
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    CCurve* curve = m_aCurves.GetAt(i + 1);
    if (item && curve) curve->m_strName = item->GetCurveName();
  }
}

int CMC_Logger::LocateItems() {
  CMC_Setup* setup = GetDefaultSetup();
  if (!setup) return 0;
  m_pLogPtrVar = setup->FindVariable("log_ptr", 1);
  if (!m_pLogPtrVar) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_MONITOR_CANNOT_FIND_VARIABLE, "log_ptr");
    return 0;
  }
  SetTimeCurve();
  const bool shareUnits = m_nLogType != LOG_SCOPE;
  CMapStringToString displayUnits;
  int all = 1;
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    CCurve* curve = m_aCurves.GetAt(i + 1);
    if (!item) continue;
    if (!LocateItem(item)) {
      if (curve) {
        curve->m_strDisplayUnit.Empty();
        curve->m_strStoredUnit.Empty();
        curve->m_dFactor = 1.0;
        curve->m_dOffset = 0.0;
      }
      all = 0;
      continue;
    }
    if (shareUnits && !item->m_strBaseUnit.IsEmpty()) {
      CString shared;
      if (displayUnits.Lookup(item->m_strBaseUnit, shared))
        item->m_strUnit = shared;
      else
        displayUnits.SetAt(item->m_strBaseUnit, item->m_strUnit);
    }
    if (curve) {
      curve->m_strDisplayUnit = item->m_strUnit;
      curve->m_strStoredUnit = item->m_strBaseUnit;
      curve->m_dFactor = item->m_dFactor;
      curve->m_dOffset = item->m_dOffset;
    }
  }
  return all;
}
