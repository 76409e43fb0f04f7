// A triggered oscilloscope on one drive, fed by the frames the drive streams.
#pragma once

#include "monitor/loggers/MC_Logger.h"
#include "platform/core/Types.h"

class CMC_Setup;
class CMC_CoffFormat;
class CWnd;

class CMC_ScopeLogger : public CMC_Logger {
  DECLARE_SERIAL(CMC_ScopeLogger)

 public:
  enum tagTriggerMode { TRIGGER_NONE = 1, TRIGGER_NORMAL = 2, TRIGGER_SINGLE = 4, TRIGGER_AUTO = 8 };
  enum tagTriggerSlope { SLOPE_FALLING = 0, SLOPE_RISING = 1 };

  // Empty scope for loading.
  CMC_ScopeLogger();
  CMC_ScopeLogger(CMC_Setup* setup, CMC_CoffFormat* coff);
  ~CMC_ScopeLogger() override;

  void Serialize(CArchive& ar) override;
  CMC_Setup* GetDefaultSetup() override { return m_pSetup; }
  void SetGraphDocSource() override;
  int AfterSuccessfulLoad() override;
  void SetDefaultValues() override;
  int VerifyConsistence() override;
  int ActivateLoggerOnMC() override;
  int DeactivateLoggerOnMC() override;
  void Reset() override;
  void RefreshBufferSettings() override;
  void ResetLoggerState() override;
  int IsEnabled() override;
  int BeginOrContinueUploadData() override;
  // While a sweep runs (and no stop is pending, outside mode 4) this only asks for a stop at its end.
  void EndUploadData() override;
  int GetUploadPercentageCompleted() override;
  int ComputeMaxPoints() override { return 101; }
  int LocateItems() override;
  int LocateItem(CMC_LoggerItem* item) override;

  // The loggers' placement rule; the point count stays.
  void ChangeMemBufferSettings(WORD start, WORD end);
  void ChangeSettings(double timeSpan, tagTriggerMode mode, tagTriggerSlope slope, const char* source, double level,
                      WORD position);
  CMC_LoggerItem* AddVariable(const char* name, int scaled);
  CMC_LoggerItem* GetLoggerItem(const char* name);
  CCurve* GetLoggerCurve(const char* name);

  // One frame the drive streamed: the points it completed, 0 (ignored) or -1 (refused).
  int OnFrameReceive(int length, const BYTE* frame);
  void GetPointsToBeDrawn(DWORD& first, DWORD& count) const;
  void ResetNewPlottedPoints() { m_nNewPoints = 0; }
  int GetRemainingPoints(WORD& left);
  int DoForcedStop();
  int DoGracefulStop();
  // The whole configuration as one tab-separated line kept in a setup option; a text that does
  // not read restores the defaults and gives 0.
  CString GetSettingsText();
  void SaveSettingsToSetupOption(const char* option);
  int LoadSettingsFromSetupOption(const char* option);
  // Per-division scales in 1-2-5 steps; each returns 1 when a scale changed.
  int Autoscale();
  int ChangeChannelScale(DWORD channel, int direction);
  void RescaleVariable(const char* name, const char* unit, double scale, double offset);

  // Colours of channels 1 to 4 when none is stored.
  static const COLORREF msc_aChannelColors[4];

  // Returns 1 when a marker changed.
  int UpdateTriggerMarkers();
  void SetSetup(CMC_Setup* setup);
  void SetCoff(CMC_CoffFormat* coff) { m_pCoff = coff; }
  CMC_CoffFormat* GetCoff() const { return m_pCoff; }
  // Runs the scope set-up dialog; 1 when it ended with OK.
  int Edit(CWnd* parent);
  // Milliseconds since the last upload ended.
  DWORD GetMillisecSinceStop() const;
  CMC_ScopeLogger* CreateCopy(CMC_Setup* setup, CMC_CoffFormat* coff);

  int GetTriggerMode() const { return m_nTriggerMode; }
  const CMC_LoggerItem& GetTrigger() const { return m_trigger; }
  CMC_LoggerItem& GetTrigger() { return m_trigger; }
  int GetCurrentPoint() const { return m_nCurrentPoint; }

  WORD GetBufferStart() const { return m_nBufferStart; }
  WORD GetBufferLength() const { return m_nBufferLength; }

 protected:
  friend class CScopeSetupDlg;

  void FreeFrameRing();
  // Reads a settings text into the scope; 0 at the first missing or bad field.
  int ParseSettingsText(const CString& text);
  // Plots the next point from the frame ring; in complete mode only when all its frames are there.
  int PlotPoint(bool complete);
  bool HasFrame(int frame) const { return m_wFrameMask & (1u << (frame % 16)); }
  // Points after which a pending stop ends the sweep.
  bool StopsHere() const { return m_bStopRequested && m_nCurrentPoint == 0; }

  static constexpr int kRingBytes = 16 * 7;  // 16 frame slots of 7 data bytes

  CMC_Setup* m_pSetup = nullptr;
  CMC_CoffFormat* m_pCoff = nullptr;
  WORD m_nBufferStart = 0;
  WORD m_nBufferLength = 0;
  int m_nScopeFlag = 1;
  int m_nTriggerMode = TRIGGER_NONE;
  CMC_LoggerItem m_trigger;
  WORD m_nTriggerPosition = 0;
  int m_nTriggerSlope = SLOPE_RISING;
  WORD m_nFixedWord = 200;
  int m_bStopRequested = 0;
  DWORD m_dwEndTick = 0;
  WORD m_nPointWords = 0;
  int m_nCurrentPoint = -1;
  int m_nNewPoints = 0;
  BYTE m_nFirstFrame = 255;
  BYTE m_nFrameCount = 0;
  BYTE* m_pFrameRing = nullptr;
  WORD m_wFrameMask = 0;
};
