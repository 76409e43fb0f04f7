#include "monitor/loggers/MC_Logger.h"

#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "monitor/loggers/LoggerFileNames.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Map.h"
#include "platform/core/MessageBox.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"
#include "platform/ui/CmdTarget.h"

#include <algorithm>
#include <functional>

IMPLEMENT_SERIAL(CMC_Logger, CObject, 1 | VERSIONABLE_SCHEMA)

CMC_Logger::CMC_Logger() : m_graphDoc("Logger") {}

CMC_Logger::~CMC_Logger() {
  CMC_Logger::Reset();
  m_aCurves.DeleteAll();
  m_aItems.RemoveAll();
  m_graphDoc.DeleteAll();
}

void CMC_Logger::Serialize(CArchive& ar) {
  constexpr BYTE kSchema = 2;
  if (ar.IsStoring()) {
    ar << kSchema << (WORD)m_nLogType << m_nPoints << m_nSampling;
    m_aItems.CObArray::Serialize(ar);
    m_aCurves.Serialize(ar);
    m_graphDoc.Serialize(ar);
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema > kSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  WORD logType;
  ar >> logType;
  if (schema < 2) {
    WORD old[2];
    ar >> old[0] >> old[1];
  }
  ar >> m_nPoints >> m_nSampling;
  m_nLogType = logType;
  m_aItems.RemoveAll();
  DeleteCurvesAndPlots();
  const DWORD_PTR count = ar.ReadCount();
  for (DWORD_PTR i = 0; i < count; ++i) {
    auto* item = static_cast<CMC_LoggerItem*>(ar.ReadObject(RUNTIME_CLASS(CMC_LoggerItem)));
    // A stored list never holds a null entry nor one item twice (the array owns its items).
    if (!item || m_aItems.Find(item) >= 0) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    m_aItems.Add(item);
  }
  m_aCurves.Serialize(ar);
  m_graphDoc.Serialize(ar);
  // Curve 0 is the time, then one per item: the rest of the logger indexes them so.
  if (m_aCurves.GetSize() != m_aItems.GetSize() + 1)
    AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  for (int i = 0; i < m_aCurves.GetSize(); ++i)
    if (!m_aCurves.GetAt(i)) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
}

void CMC_Logger::SerializeGraph(CArchive& ar) {
  if (ar.IsLoading()) AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
  m_aCurves.Serialize(ar);
  m_graphDoc.Serialize(ar);
}

namespace {

// Stores through `write` into a temporary file beside `path`, which then replaces the target: a
// failed save keeps the old file. Errors are reported; 0 on failure.
int StoreArchiveFile(const char* path, const std::function<void(CArchive&)>& write) {
  if (!path || !*path) return 0;
  CSaveBeside save(path);
  CFile file;
  CFileException error;
  if (!file.OpenBeside(save, path, CFile::modeReadWrite | CFile::shareExclusive, &error)) {
    error.ReportError(MB_ICONSTOP);
    return 0;
  }
  try {
    CArchive ar(&file, CArchive::store, 4096);
    ar.m_strFileName = path;
    CWaitCursor wait;
    write(ar);
    ar.Close();
    file.Close();
    if (save.Commit()) return 1;
    AfxThrowFileException(CFileException::accessDenied, -1, path);
  } catch (CException* e) {
    // The user knows the file by its own name, not the temporary one.
    if (auto* fe = dynamic_cast<CFileException*>(e)) fe->m_strFileName = path;
    e->ReportError(MB_ICONSTOP);
    e->Delete();
  }
  file.Abort();
  return 0;
}

}  // namespace

int CMC_Logger::Save(const char* path) {
  return StoreArchiveFile(path, [this](CArchive& ar) { Serialize(ar); });
}

int CMC_Logger::SaveGraph(const char* path) {
  CString name = path ? path : "";
  // A bare name is only a proposal: the user picks the folder.
  if (name.FindOneOf("\\/") < 0 && !DoPromptPlotFileName(FALSE, name, nullptr)) return 0;
  return StoreArchiveFile(name, [this](CArchive& ar) { SerializeGraph(ar); });
}

int CMC_Logger::Load(const char* path) {
  CFile file;
  CFileException error;
  if (!path || !file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &error)) {
    error.m_strFileName = path ? path : "";
    error.ReportError(MB_ICONSTOP);
    return 0;
  }
  try {
    CArchive ar(&file, CArchive::load, 4096);
    ar.m_strFileName = path;
    CWaitCursor wait;
    Serialize(ar);
    ar.Close();
    file.Close();
  } catch (CException* e) {
    e->ReportError(MB_ICONSTOP);
    e->Delete();
    file.Abort();
    // Never left with curves that do not match the items.
    SetDefaultValues();
    return 0;
  }
  return AfterSuccessfulLoad();
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

// The drive's sampling period of the log type in seconds; 0 when unknown.
static double SamplingPeriod(CMC_Setup* setup, int logType) {
  CMC_Setup::GUI_GETSCALE scale = setup ? setup->GetScaleFactorFct() : nullptr;
  if (!scale || logType < CMC_Logger::LOG_TS_S || logType > CMC_Logger::LOG_SCOPE) return 0;
  const double ts = scale(setup, "s", logType == CMC_Logger::LOG_TS_S ? "Ts_S" : "Ts_C");
  return ts > 0 ? ts : 0;
}

double CMC_Logger::ComputeTimeStep(CMC_Setup* setup) const {
  const double ts = SamplingPeriod(setup, m_nLogType);
  return ts > 0 ? ts * m_nSampling : 1.0;
}

void CMC_Logger::SetTimeCurve() {
  CCurve* time = m_aCurves.GetAt(0);
  if (!time) return;
  CMC_Setup* setup = GetDefaultSetup();
  const double ts = SamplingPeriod(setup, m_nLogType);
  // Without a sampling period the time curve counts points.
  if (!(ts > 0)) {
    time->m_strDisplayUnit.Empty();
    time->m_strStoredUnit.Empty();
    time->m_dFactor = 1.0;
    time->m_dOffset = 0.0;
    return;
  }
  time->m_strDisplayUnit = "ms";
  time->m_strStoredUnit = "s";
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

double CMC_Logger::GetTimeStep() const {
  CCurve* time = m_aCurves.GetAt(0);
  return time ? time->m_dFactor : 1.0;
}

void CMC_Logger::Copy(CMC_Logger& other) {
  if (this == &other) return;
  m_graphDoc = other.m_graphDoc;
  m_nCurrentPlot = other.m_nCurrentPlot;
  m_nLogType = other.m_nLogType;
  m_aItems = other.m_aItems;
  m_aCurves = other.m_aCurves;
  m_nPoints = other.m_nPoints;
  m_nSampling = other.m_nSampling;
  m_bStarted = other.m_bStarted;
  m_bUploading = other.m_bUploading;
}

void CMC_Logger::RepairCurves() {
  const int oldCount = m_aCurves.GetSize();
  std::vector<int> map(oldCount, -1);
  for (int i = 0, next = 0; i < oldCount; ++i)
    if (m_aCurves.GetAt(i)) map[i] = next++;
  for (int p = 0; p < m_graphDoc.GetSize(); ++p) {
    CGraphFilter* plot = m_graphDoc.GetAt(p);
    if (!plot) continue;
    for (int c = plot->GetSize() - 1; c >= 0; --c) {
      CXYCurve* xy = plot->GetAt(c);
      if (!xy) continue;
      const int x = xy->m_nXCurve < (DWORD)oldCount ? map[xy->m_nXCurve] : -1;
      const int y = xy->m_nYCurve < (DWORD)oldCount ? map[xy->m_nYCurve] : -1;
      xy->m_nXCurve = (DWORD)x;
      xy->m_nYCurve = (DWORD)y;
      if (x < 1 && y < 1) {
        plot->RemoveAt(c);
        delete xy;
      }
    }
  }
  for (int i = m_aCurves.GetSize() - 1; i >= 1; --i)
    if (!m_aCurves.GetAt(i)) m_aCurves.RemoveAt(i);
  for (int i = 1; i < m_aCurves.GetSize(); ++i) {
    CCurve* curve = m_aCurves.GetAt(i);
    CMC_LoggerItem* item = i - 1 < m_aItems.GetSize() ? m_aItems.GetAt(i - 1) : nullptr;
    CString name = item ? item->GetCurveName() : CString();
    if (curve->m_strName != name) {
      curve->m_strName = name;
      curve->RemoveAll();
    }
  }
  while (m_aCurves.GetSize() < m_aItems.GetSize() + 1) {
    CCurve* curve = new CCurve;
    CMC_LoggerItem* item = m_aItems.GetAt(m_aCurves.GetSize() - 1);
    if (item) curve->m_strName = item->GetCurveName();
    m_aCurves.Add(curve);
  }
  SetGraphDocSource();
  for (int i = 0; i < m_graphDoc.GetSize(); ++i)
    if (CGraphFilter* plot = m_graphDoc.GetAt(i)) plot->LoadDefaultUnits(plot->m_bOscMode);
}

std::vector<WORD> CMC_Logger::BuildHeader(WORD start, const char* axis) const {
  const WORD w = axis ? m_aItems.GetVariablesBufferSize(axis) : m_aItems.GetVariablesBufferSize();
  std::vector<WORD> header = {m_nPoints, 1, m_nSampling, (WORD)(start + w + 5)};
  for (int i = 0; i < m_aItems.GetSize(); ++i) {
    CMC_LoggerItem* item = m_aItems.GetAt(i);
    if (!item || (axis && item->m_strAxis.CompareNoCase(axis) != 0)) continue;
    for (short k = 0; k < item->GetSizeInWords(); ++k) header.push_back((WORD)(item->m_nAddress + k));
  }
  header.push_back(0);
  return header;
}

void CMC_Logger::PrepareCurves() {
  for (int i = 0; i < m_aCurves.GetSize(); ++i)
    if (CCurve* curve = m_aCurves.GetAt(i)) {
      curve->RemoveAll();
      curve->SetSize(m_nPoints);
    }
}

bool CMC_Logger::IsBulkUpload() {
  const BYTE type = CMC_Comm::GetSerialType();
  return CMC_Comm::IsNetMaster() || type == 16 || type == 17;
}

int CMC_Logger::WriteLogPointer(WORD value) {
  CMC_Setup* setup = GetDefaultSetup();
  CMC_Variable* logPtr = m_pLogPtrVar ? m_pLogPtrVar : setup ? setup->FindVariable("log_ptr", 1) : nullptr;
  if (!logPtr) return 0;
  CMC_Value pointer;
  pointer.SetValue(logPtr->GetType(), value);
  return pointer.WriteToChip(logPtr->GetType(), logPtr->GetAddress());
}

void CMC_Logger::GetLogBuffer(CMC_Setup* setup, WORD& start, WORD& length) {
  start = setup ? setup->GetLogBufferAddress() : (WORD)0x8800;
  length = setup ? setup->GetLogBufferLength() : (WORD)0x3800;
}
