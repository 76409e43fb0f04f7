#include "examples/host/MonitorSteps.h"

#include "comm/MC_Comm.h"
#include "kernel/MC_Document.h"
#include "kernel/MC_Setup.h"
#include "monitor/ControlPanelShowVarItem.h"
#include "monitor/MC_ScopeLogger.h"
#include "monitor/MC_SingleAxisLogger.h"
#include "platform/core/Clock.h"
#include "platform/core/Format.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

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

CMC_ScopeLogger* g_scope = nullptr;
int g_sweeps = 0;

// The host hands every frame the drive streams to the scope.
void ForwardFrame(DAV_MSG* msg) {
  BYTE bytes[8] = {};
  memcpy(bytes, msg->data, std::min<size_t>(msg->count, 4) * 2);
  if (g_scope && g_scope->OnFrameReceive(msg->count * 2, bytes) > 0 && g_scope->GetCurrentPoint() == 0) ++g_sweeps;
}

}  // namespace

bool RunTwoChannelScope(std::string& detail) {
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  if (!setup) {
    detail = "configuration 05/05 does not load";
    return false;
  }
  bool ok = false;
  {
    CMC_ScopeLogger scope(setup, nullptr);
    scope.AddVariable("APOS", 1);
    scope.AddVariable("IQ", 1);
    scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NONE, CMC_ScopeLogger::SLOPE_RISING, "", 0, 0);
    g_scope = &scope;
    g_sweeps = 0;
    CMC_Comm::UNSOLICITED_MSG_HANDLER previous = CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(ForwardFrame);
    if (scope.StartLogger() && scope.BeginUploadData()) {
      // A sweep of 101 points every 0.625 ms takes 63 ms; the frames come with the next drive call.
      for (int i = 0; i < 50 && g_sweeps == 0; ++i) {
        Sleep(10);
        CMC_Comm::GetBytesCountInQueue();
      }
      scope.DoForcedStop();
      CCurve* time = scope.GetCurves().GetAt(0);
      CCurve* apos = scope.GetCurves().GetAt(1);
      CString text;
      text.Format("%d sweep(s) of %d frames; %d points of APOS and IQ over %g ms, APOS from %g to %g rad", g_sweeps,
                  (int)((scope.GetPointsNo() * 3 * 2 + 6) / 7), apos->GetSize(), time->GetAt(100) * 1000,
                  apos->GetAt(0), apos->GetAt(100));
      detail = text.GetString();
      ok = g_sweeps > 0;
    } else {
      detail = "the scope does not start";
    }
    CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(previous);
    g_scope = nullptr;
  }
  CMC_Setup::Destroy(setup);
  return ok;
}

bool SaveAndReloadPanel(const std::string& outDir, std::string& detail) {
  CControlPanelItemArray panel("Main");
  const char* names[] = {"APOS", "IQ * 1000"};
  for (int i = 0; i < 2; ++i) {
    auto* item = new CControlPanelShowVarItem;
    item->m_var.m_strName = names[i];
    item->m_var.m_bExpression = i;
    item->m_strTitle = names[i];
    item->m_nPeriod = 100;
    item->m_rect.SetRect(10, 10 + 30 * i, 210, 35 + 30 * i);
    panel.Add(item);
  }
  const std::string dir = outDir + "/panels";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::string path = dir + "/Main.cp";
  CControlPanelItemArray again("Main");
  const bool ok = panel.Save(path.c_str()) && again.Load(path.c_str()) && again.GetSize() == 2;
  CString text;
  text.Format("%d value displays saved to %s and read back", (int)again.GetSize(), path.c_str());
  detail = text.GetString();
  return ok;
}

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
