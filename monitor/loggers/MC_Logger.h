// The common base of the loggers: logged items, sampled curves, their plots, and the state of the
// acquisition on the drive and of the upload to the host.
#pragma once

#include "monitor/loggers/MC_LoggerItem.h"
#include "platform/core/Object.h"
#include "plot/curves/CurveArray.h"
#include "plot/documents/GraphDocument.h"

#include <vector>

class CMC_Setup;
class CMDIChildWnd;
class CMC_Variable;

class CMC_Logger : public CObject {
  DECLARE_SERIAL(CMC_Logger)

 public:
  enum tagLogType { LOG_NONE = 0, LOG_TS_S = 1, LOG_TS_C = 2, LOG_SCOPE = 3 };

  CMC_Logger();
  ~CMC_Logger() override;
  CMC_Logger(const CMC_Logger&) = delete;
  CMC_Logger& operator=(const CMC_Logger&) = delete;

  void Serialize(CArchive& ar) override;
  // Curves and plots only, for the plot viewer; store only.
  void SerializeGraph(CArchive& ar);
  // Logger files: errors are reported and give 0. A failed read leaves the defaults.
  int Save(const char* path);
  int Load(const char* path);
  // A bare name asks for the plot file first.
  int SaveGraph(const char* path);

  virtual CMC_Setup* GetDefaultSetup() { return nullptr; }
  virtual void SetGraphDocSource() {}
  virtual int AfterSuccessfulLoad() { return 1; }
  virtual void SetDefaultValues();
  virtual int VerifyConsistence() { return 0; }
  virtual int ActivateLoggerOnMC() { return 0; }
  virtual int DeactivateLoggerOnMC() { return 0; }
  virtual void Reset();
  virtual void RefreshBufferSettings() {}
  // The setup's logger buffer, or the default one without a setup.
  static void GetLogBuffer(CMC_Setup* setup, WORD& start, WORD& length);
  virtual void ResetLoggerState();
  virtual int IsEnabled() { return 0; }
  virtual int CanChangePlotOptions();
  virtual int CanSetupPlot();
  virtual int BeginOrContinueUploadData() { return 0; }
  virtual void EndUploadData();
  virtual int GetUploadPercentageCompleted() { return -1; }
  // Reads the next point of the running upload; non-zero while the upload goes on.
  virtual int ReadPoint(double* values);
  virtual int ComputeMaxPoints() { return 0; }
  virtual int LocateItems();
  virtual int LocateItem(CMC_LoggerItem* item);

  int StartLogger();
  int CanStart();
  int CanUploadData();
  int BeginUploadData();
  int UploadInProgress() const { return m_bUploading; }
  void CorrectPointsNo();

  int GetLogType() const { return m_nLogType; }
  WORD GetPointsNo() const { return m_nPoints; }
  WORD GetSampling() const { return m_nSampling; }
  int IsStarted() const { return m_bStarted; }
  CMC_LoggerItemsArray& GetItems() { return m_aItems; }
  CCurveArray& GetCurves() { return m_aCurves; }
  CGraphDocument& GetGraphDoc() { return m_graphDoc; }
  // The plot sheets on the current plot; nonzero when they ended with OK.
  int PlotOptions(CMDIChildWnd* parent);
  int SetupPlot(CMDIChildWnd* parent);

 protected:
  // The settings dialogs edit the items, curves and settings in place.
  friend class CLoggerVariablesDlgBase;
  friend class CScopeSetupDlg;
  friend class CMC_LoggerView;

  void Copy(CMC_Logger& other);
  void SetTimeCurve();
  void UpdateCurveNames();
  // After items were removed or added: curves and plotted curves follow the items' new places.
  void RepairCurves();
  void DeleteCurvesAndPlots();
  // The drive-side header of the items of `axis` (all items for null): points, 1, divider, first
  // point, the logged addresses, 0.
  std::vector<WORD> BuildHeader(WORD start, const char* axis) const;
  // Every curve emptied and sized for the points to come.
  void PrepareCurves();
  // Big transfers carry the upload: the net master and the network channel types.
  static bool IsBulkUpload();
  double GetTimeStep() const;
  // Writes the drive's "log_ptr" of the default setup on the active drive; 0 when it fails.
  int WriteLogPointer(WORD value);
  // The time between two points on a drive of this setup: its period times the divider, or 1
  // (points counted) without a period.
  double ComputeTimeStep(CMC_Setup* setup) const;

  CGraphDocument m_graphDoc;
  int m_nCurrentPlot = 0;
  int m_nLogType = LOG_TS_S;
  CMC_LoggerItemsArray m_aItems;
  CCurveArray m_aCurves;
  CMC_Variable* m_pLogPtrVar = nullptr;
  WORD m_nPoints = 800;
  WORD m_nSampling = 1;
  int m_bStarted = 0;
  int m_bUploading = 0;
};
