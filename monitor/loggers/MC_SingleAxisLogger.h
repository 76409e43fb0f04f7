// The logger of one drive: a buffer in the drive's RAM, uploaded point by point in idle time.
#pragma once

#include "monitor/loggers/MC_Logger.h"

class CMC_Setup;
class CMC_CoffFormat;

class CMC_SingleAxisLogger : public CMC_Logger {
  DECLARE_DYNAMIC(CMC_SingleAxisLogger)

 public:
  CMC_SingleAxisLogger(CMC_Setup* setup, CMC_CoffFormat* coff);
  ~CMC_SingleAxisLogger() override;

  CMC_Setup* GetDefaultSetup() override { return m_pSetup; }
  void SetGraphDocSource() override;
  int AfterSuccessfulLoad() override;
  int VerifyConsistence() override;
  int ActivateLoggerOnMC() override;
  int DeactivateLoggerOnMC() override;
  void Reset() override;
  void RefreshBufferSettings() override;
  void ResetLoggerState() override;
  int IsEnabled() override;
  int BeginOrContinueUploadData() override;
  void EndUploadData() override;
  int GetUploadPercentageCompleted() override;
  int ReadPoint(double* values) override;
  int ComputeMaxPoints() override;
  int LocateItem(CMC_LoggerItem* item) override;

  // Places the buffer in the setup's RAM, then lowers the point count to what it holds.
  void ChangeMemBufferSettings(WORD start, WORD end);
  int ComputeMaxPoints(int words) const;

  // Drops the items and starts again from the defaults with these settings.
  void ChangeSettings(WORD points, CMC_Logger::tagLogType type, WORD sampling);
  void AddVariable(const char* name, int scaled);
  void AddCustomCurve(const char* name, const double* values, int count);
  // The points the drive has still to log; 0 when not started or the drive does not answer.
  int GetRemainingPoints(WORD& left);
  CMC_SingleAxisLogger* CreateCopy(CMC_Setup* setup, CMC_CoffFormat* coff);
  void SetCoff(CMC_CoffFormat* coff) { m_pCoff = coff; }
  CMC_CoffFormat* GetCoff() const { return m_pCoff; }

  WORD GetBufferStart() const { return m_nBufferStart; }
  WORD GetBufferLength() const { return m_nBufferLength; }

 protected:
  void FreePointBuffer();

  CMC_Setup* m_pSetup;
  CMC_CoffFormat* m_pCoff;
  WORD m_nBufferStart = 0;
  WORD m_nBufferLength = 0;
  // Drive addresses past the buffer's last word can reach 0x10000: kept in 32 bits.
  DWORD m_nDataEnd = 0;
  DWORD m_nNextRead = 0;
  int m_nPointsRead = -1;
  WORD* m_pPointBuffer = nullptr;
  WORD m_nPointWords = 0;
  bool m_bBulk = false;
};

// The placement rule of the loggers' buffers in a setup's RAM (setup may be null); `length` is 0
// when the range is empty.
void PlaceLoggerBuffer(CMC_Setup* setup, WORD& start, WORD& end, WORD& length);
