// The logger of every axis of a document, started on all drives together.
#pragma once

#include "monitor/MC_Logger.h"
#include "platform/core/Array.h"

class CMC_Document;

class CMC_MultiAxisLogger : public CMC_Logger {
  DECLARE_DYNAMIC(CMC_MultiAxisLogger)

 public:
  explicit CMC_MultiAxisLogger(CMC_Document* doc);
  ~CMC_MultiAxisLogger() override;

  CMC_Setup* GetDefaultSetup() override;
  void SetGraphDocSource() override;
  void Reset() override;
  void RefreshBufferSettings() override;
  void ResetLoggerState() override;
  int IsEnabled() override;
  void EndUploadData() override;
  int ReadPoint(double* values) override;
  int ComputeMaxPoints() override;
  int LocateItem(CMC_LoggerItem* item) override;

  int ComputeMaxPoints(CMC_LoggerItemsArray& items);
  CMC_Document* GetDoc() const { return m_pDoc; }

 protected:
  void FreePointBuffer();

  CMC_Document* m_pDoc;
  CWordArray m_aBufferStart;
  CWordArray m_aBufferLength;
  CWordArray m_aPointWords;
  CWordArray m_aDataEnd;
  CWordArray m_aNextRead;
  int m_nPointsRead = -1;
  WORD* m_pPointBuffer = nullptr;
};
