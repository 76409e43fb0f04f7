#include "examples/host/MonitorSteps.h"

#include "kernel/MC_Document.h"
#include "kernel/MC_Setup.h"
#include "monitor/MC_SingleAxisLogger.h"
#include "platform/core/Clock.h"
#include "platform/core/Format.h"

namespace {

// The host's document as far as the kernel's idle work needs it.
class LoggerDocument : public CMC_Document {
 public:
  LoggerDocument() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_SingleAxisLogger* GetLogger() override { return m_pLogger; }
  BYTE GetGlobalSelectedAxis() override { return 1; }
  CMC_Setup* m_pSetup = nullptr;
  CMC_SingleAxisLogger* m_pLogger = nullptr;
};

}  // namespace

bool LogAndUploadAposAndIq(std::string& detail) {
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  if (!setup) {
    detail = "configuration 05/05 does not load";
    return false;
  }
  bool ok = false;
  {
    CMC_SingleAxisLogger logger(setup, nullptr);
    logger.ChangeSettings(100, CMC_Logger::LOG_TS_C, 3);
    logger.AddVariable("APOS", 1);
    logger.AddVariable("IQ", 1);
    LoggerDocument doc;
    doc.m_pSetup = setup;
    doc.m_pLogger = &logger;
    if (!logger.StartLogger()) {
      detail = "the logger does not start";
    } else {
      // 100 points of 0.1875 ms: the drive is done after 19 ms.
      Sleep(40);
      LONG count = 0;
      int passes = 0;
      if (logger.BeginUploadData())
        while (doc.OnIdle(count)) ++passes;
      const int points = logger.GetCurves().GetAt(1)->GetSize();
      CString text;
      text.Format("APOS and IQ logged every %g ms on 0x%04hX, %d points uploaded in %d idle passes",
                  logger.GetCurves().GetAt(0)->m_dFactor * 1000, logger.GetBufferStart(), points, passes);
      detail = text.GetString();
      ok = points == 100;
    }
  }
  CMC_Setup::Destroy(setup);
  return ok;
}
