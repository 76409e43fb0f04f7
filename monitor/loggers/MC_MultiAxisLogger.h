// The logger of every axis of a document, started on all drives together.
#pragma once

#include "monitor/loggers/MC_Logger.h"
#include "platform/core/Array.h"

#include <vector>

class CMC_Document;
class CMC_AxisData;

class CMC_MultiAxisLogger : public CMC_Logger {
  DECLARE_DYNAMIC(CMC_MultiAxisLogger)

 public:
  explicit CMC_MultiAxisLogger(CMC_Document* doc);
  ~CMC_MultiAxisLogger() override;

  CMC_Setup* GetDefaultSetup() override;
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

  int ComputeMaxPoints(CMC_LoggerItemsArray& items);
  CMC_Document* GetDoc() const { return m_pDoc; }
  // The buffer of the document's axis `axis`; 0 for an axis the logger does not know.
  WORD GetBufferStart(int axis) const { return axis >= 0 && axis < AxisCount() ? m_aBufferStart[axis] : 0; }
  WORD GetBufferLength(int axis) const { return axis >= 0 && axis < AxisCount() ? m_aBufferLength[axis] : 0; }
  void SetDoc(CMC_Document* doc);
  void RenamedAxisDoc(const char* oldName, const char* newName);
  int GetRemainingPoints(int axis, WORD& left);
  CMC_MultiAxisLogger* CreateCopy(CMC_Document* doc);

 protected:
  void FreePointBuffer();
  // Items of axes the document no longer has go, with their curves.
  void RemoveVarsOfLostAxes();

 private:
  int AxisCount() const { return (int)m_aBufferStart.GetSize(); }
  // Where a drive address of an axis's buffer lies in the bulk buffer.
  size_t GetInternalPtrDataForNetMaster(int axis, DWORD address) const;
  // Asks whether to go on without the axis; yes drops it.
  bool ContinueWithoutAxis(int axis, CMC_AxisData* data);
  bool MakeGlobalAxisActive();

  CMC_Document* m_pDoc;
  CWordArray m_aBufferStart;
  CWordArray m_aBufferLength;
  CWordArray m_aPointWords;
  // Drive addresses past a buffer's last word can reach 0x10000: kept in 32 bits.
  CDWordArray m_aDataEnd;
  CDWordArray m_aNextRead;
  int m_nPointsRead = -1;
  WORD* m_pPointBuffer = nullptr;
  bool m_bBulk = false;
  // Each axis's block in the bulk buffer and its words per point, fixed when the upload began.
  std::vector<size_t> m_aBlockStart;
  std::vector<WORD> m_aBlockWords;
};
