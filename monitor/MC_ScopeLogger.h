// A triggered oscilloscope on one drive, fed by the frames the drive streams.
#pragma once

#include "monitor/MC_Logger.h"
#include "platform/core/Types.h"

class CMC_Setup;
class CMC_CoffFormat;

class CMC_ScopeLogger : public CMC_Logger {
  DECLARE_SERIAL(CMC_ScopeLogger)

 public:
  enum tagTriggerMode { TRIGGER_NONE = 1, TRIGGER_SINGLE = 4 };
  enum tagTriggerSlope { SLOPE_FALLING = 0, SLOPE_RISING = 1 };

  // Empty scope for loading.
  CMC_ScopeLogger();
  CMC_ScopeLogger(CMC_Setup* setup, CMC_CoffFormat* coff);
  ~CMC_ScopeLogger() override;

  void Serialize(CArchive& ar) override;
  CMC_Setup* GetDefaultSetup() override { return m_pSetup; }
  void SetGraphDocSource() override;
  void SetDefaultValues() override;
  void Reset() override;
  void RefreshBufferSettings() override;
  void ResetLoggerState() override;
  int IsEnabled() override;
  int ComputeMaxPoints() override { return 101; }
  int LocateItem(CMC_LoggerItem* item) override;

  // The loggers' placement rule; the point count stays.
  void ChangeMemBufferSettings(WORD start, WORD end);

  WORD GetBufferStart() const { return m_nBufferStart; }
  WORD GetBufferLength() const { return m_nBufferLength; }

 protected:
  void FreeFrameRing();

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
