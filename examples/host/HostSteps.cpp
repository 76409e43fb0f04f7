#include "examples/host/HostSteps.h"

#include "examples/host/BuildRoadSteps.h"
#include "examples/host/MonitorSteps.h"
#include "examples/host/SetupTestStep.h"
#include "examples/host/MotionEventSteps.h"
#include "examples/host/MotionViewStep.h"
#include "examples/host/HostFrame.h"
#include "examples/host/ConsoleStep.h"
#include "examples/host/MemoryViewSteps.h"
#include "examples/host/PlotSteps.h"

#include "comm/MC_Comm.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/setup/SetupArchive.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "platform/core/File.h"
#include "platform/core/Format.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/DialogAutomation.h"
#include "kernel/setup/MC_AxisData.h"
#include "views/gcode/ImportGcodeDlg.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct Step {
  const char* name;
  std::function<bool(std::string& detail)> run;
};

bool ReadSettings(std::string& detail) {
  int offline;
  BYTE flag, type;
  CString channel;
  DWORD baud;
  WORD host, active, prot;
  LoadCommunicationSettings(offline, flag, type, channel, baud, host, active, prot);
  CString server;
  int port;
  GetNetServerAddress(server, port);
  CString text;
  text.Format("channel %s, type %d, %lu baud, host %u, active axis %u, net master %s (%s:%d)",
              channel.GetString(), type, (DWORD)baud, host, active, IsNetmasterEnabled() ? "on" : "off",
              server.GetString(), port);
  detail = text.GetString();
  return !GetKernelDirectory().IsEmpty();
}

bool OpenCommunication(std::string& detail) {
  int offline;
  BYTE flag, type;
  CString channel;
  DWORD baud;
  WORD host, active, prot;
  LoadCommunicationSettings(offline, flag, type, channel, baud, host, active, prot);
  if (!CMC_Comm::Open(channel, baud, flag, type, host)) {
    detail = CMC_Comm::GetLastErrorText().GetString();
    return false;
  }
  CString version;
  if (!CMC_Comm::SetActiveBoard(active ? active : 1) || !CMC_Comm::GetFirmwareVer(version)) {
    detail = CMC_Comm::GetLastErrorText().GetString();
    return false;
  }
  detail = "drive firmware " + std::string(version.GetString());
  return true;
}

bool ScanDrives(std::string& detail) {
  CWordArray axes;
  CStringArray firmware;
  if (!CMC_Comm::ScanNetwork(axes, firmware)) return false;
  for (int i = 0; i < axes.GetSize(); ++i) {
    CString item;
    item.Format("%saxis %u (%s)", i ? ", " : "", axes[i], firmware[i].GetString());
    detail += item.GetString();
  }
  return axes.GetSize() > 0;
}

bool CreateAndSaveSetup(const std::string& outDir, std::string& detail) {
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  if (!setup) {
    detail = "configuration 05/05 does not load";
    return false;
  }
  std::string dir = outDir + "/setup-0505";
  bool ok = setup->SaveToDirectory(dir.c_str());
  CString text;
  text.Format("firmware %s, %d parameters, log buffer 0x%04hX (%hu words), saved to %s", setup->GetFirmwareID().GetString(),
              setup->GetParameters().GetSize(), setup->GetLogBufferAddress(), setup->GetLogBufferLength(), dir.c_str());
  detail = text.GetString();
  CMC_Setup::Destroy(setup);
  return ok;
}

// The saved setup exported for the drive-language library as a ".t.zip" file, the save dialog
// answered by script, and the archive checked by python's zipfile.
bool ExportSetupArchive(const std::string& out, std::string& detail) {
  CMC_Setup* setup = CMC_Setup::CreateFromDirectory((out + "/setup-0505").c_str());
  if (!setup) {
    detail = "cannot read the saved setup";
    return false;
  }
  const std::string zip = out + "/setup-0505.t.zip";
  std::remove(zip.c_str());
  DialogAutomation::PushFileDialogResult(zip.c_str());
  CString path = ExportSetupForVKS_Lib("setup-0505", setup, nullptr);
  CMC_Setup::Destroy(setup);
  if (path.IsEmpty()) {
    detail = "the export wrote nothing";
    return false;
  }
  std::string cmd = "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None; "
                    "print(','.join(sorted(z.namelist())))\" '" + zip + "' 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  char line[256] = "";
  if (p && !fgets(line, sizeof line, p)) line[0] = 0;
  bool ok = p && pclose(p) == 0 && std::string(line) == "setup.cfg,variables.cfg\n";
  detail = zip + ": " + std::string(line, strcspn(line, "\n"));
  return ok;
}

// A motion program for the saved setup, built from the test motion modules and saved as a
// motion directory under the output folder.
bool CreateMotionProgram(const std::string& out, std::string& detail) {
  CMC_Setup* setup = CMC_Setup::CreateFromDirectory((out + "/setup-0505").c_str());
  if (!setup) {
    detail = "cannot read the saved setup";
    return false;
  }
  CMC_Motion* motion = CMC_Motion::Create(setup);
  bool ok = motion != nullptr;
  if (ok) {
    CMC_MotionGroup* main = motion->GetMain();
    for (const char* module : {"Comment", "Move", "Wait"}) {
      if (CMC_MotionElem* e = motion->CreateElement(module)) main->Add(e);
    }
    const int f = motion->AddNewFunction("approach");
    if (f >= 0) motion->GetFunction(f)->Add(motion->CreateElement("Move"));
    ok = motion->TranslateAll(1) && main->GetSize() == 3 && f >= 0 && !motion->HasTranslateErrors();
    const std::string dir = out + "/motion";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    ok = ok && motion->SaveToDirectory(dir.c_str());
    // The saved program reads back for the same setup.
    CMC_Setup* same = setup;
    CMC_Motion* again = ok ? CMC_Motion::CreateFromDirectory(same, dir.c_str()) : nullptr;
    ok = again && again->GetMain()->GetSize() == 3 && again->GetFunctionsCount() == 1;
    CMC_Motion::Destroy(again);
    CString text;
    text.Format("%d modules, %d elements in Main, %d function(s), %d homing and %d interrupt slots; saved to %s",
                motion->GetModulesCount(), (int)main->GetSize(), motion->GetFunctionsCount(),
                motion->GetHomingProceduresCount(), motion->GetInterruptsCount(), dir.c_str());
    detail = text.GetString();
  } else {
    detail = "cannot create the motion program";
  }
  CMC_Motion::Destroy(motion);
  CMC_Setup::Destroy(setup);
  return ok;
}

// An axis of the host's document: its own setup.
class CHostAxis : public CMC_AxisData {
 public:
  explicit CHostAxis(CMC_Setup* setup) : m_pSetup(setup) {}
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_Setup* m_pSetup;
};

// The kernel folder's sample G-code program, imported through the G-code dialog (scripted as a user
// would fill it) into a new function of a controller program of configuration 07/01 whose slaves A,
// B, C are linear axes (02/10) and D a spindle (05/05); the program then builds and goes to the drive.
bool TranslateGcodeSample(const std::string& out, std::string& detail) {
  const CString path = GetKernelDirectory() + "Samples\\milling.nc";
  CMC_Setup* controller = CMC_Setup::Create(0x0701);
  CMC_Motion* motion = controller ? CMC_Motion::Create(controller) : nullptr;
  CMC_Setup* slaves[4] = {};
  std::unique_ptr<CHostAxis> axes[4];
  for (int i = 0; i < 4 && motion; ++i) {
    slaves[i] = CMC_Setup::Create(i < 3 ? 0x0210 : 0x0505);
    if (!slaves[i]) continue;
    axes[i] = std::make_unique<CHostAxis>(slaves[i]);
    motion->SetMotionControllerSlaveAxis(i, axes[i].get());
  }
  if (slaves[3]) slaves[3]->SetOption("IsClosedSpeed", "1");
  bool ok = false;
  int dialogResult = 0;
  if (motion) {
    CImportGcodeDlg dlg(controller, motion);
    DialogAutomation::AddDialogHandler(CImportGcodeDlg::IDD, [&path](CWnd* d) {
      DialogAutomation::PushFileDialogResult(path);
      DialogAutomation::ClickControl(d, 14001);  // Browse...
      const char* choices[][2] = {{"14002", "A"}, {"14003", "B"}, {"14004", "C"}, {"14005", "D"}};
      for (auto& c : choices) DialogAutomation::SelectItem(d, atoi(c[0]), c[1]);
      ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0);
      if (d->m_nFlags & WF_CONTINUEMODAL) ::SendMessage(d->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    dialogResult = (int)dlg.DoModal();
    const int f = dialogResult == IDOK ? motion->AddNewFunction("milling") : -1;
    if (f >= 0) {
      // The function takes the elements; the dialog's group lets them go without deleting them.
      CMC_MotionGroup* group = motion->GetFunction(f);
      CMC_MotionGroup& imported = dlg.GetGroup();
      const int count = (int)imported.GetSize();
      for (int k = 0; k < count; ++k) group->Add(imported.GetAt(k));
      imported.SetSize(0);
      motion->TranslateAll(1);
      const std::string dir = out + "/motion-gcode";
      std::error_code ec;
      std::filesystem::create_directories(dir, ec);
      ok = !motion->HasTranslateErrors() && motion->Build(dir.c_str()) &&
           std::filesystem::exists(dir + "/motion.out");
      WORD start = 0, first = 0, last = 0;
      const bool sent =
          ok && CMC_Comm::COFFDownload(CMC_Motion::GetOutFileName(dir.c_str()), &start, &first, &last, nullptr,
                                       nullptr, 0x4000);
      detail = FormatString("%d elements from Samples\\milling.nc through the import dialog in the function milling "
                            "of a 07/01 program, built in %s",
                            count, dir.c_str());
      if (sent) detail += FormatString(", downloaded: code 0x%04hX-0x%04hX", (int)first, (int)last);
      else if (ok) detail += ": " + std::string(CMC_Comm::GetLastErrorText().GetString());
      if (!ok) {
        CString error;
        if (motion->HasTranslateErrors()) detail += ": translate errors";
        else if (controller->GetCompilerErrorString() && *controller->GetCompilerErrorString())
          detail += std::string(": ") + controller->GetCompilerErrorString();
      }
      ok = ok && sent;
    } else {
      detail = FormatString("the import dialog ended with %d", dialogResult);
    }
  } else {
    detail = "the controller program of configuration 07/01 does not load";
  }
  if (motion) CMC_Motion::Destroy(motion);
  for (CMC_Setup* s : slaves)
    if (s) CMC_Setup::Destroy(s);
  if (controller) CMC_Setup::Destroy(controller);
  return ok;
}

// The progress of the setup's transfer showed in the status bar, and the panes came back after it.
bool CheckTransferProgress(CHostFrame* frame, std::string& detail) {
  SECCustomStatusBar& bar = frame->m_wndStatusBar;
  detail = FormatString("%d progress messages up to %d %%, picture at %d %% in status-progress.png; pane 0 reads \"%s\"",
                        frame->m_nProgress, frame->m_nLastPercent, frame->m_nPicturePercent, bar.GetPaneText(0).GetString());
  return frame->m_nProgress > 0 && frame->m_bPictureTaken && !bar.IsProgressControlActive() &&
         bar.GetPaneText(1) == "Axis 1";
}

}  // namespace

bool RunHostRoad(const std::string& outDir) {
  // The host reports failures itself; the kernel's boxes would only repeat them.
  g_bShowErrors = FALSE;
  CWinApp app("dravonix-host");
  auto* frame = new CHostFrame(outDir);
  const std::vector<Step> steps = {
      {"read kernel settings", ReadSettings},
      {"open the main frame with its custom status bar",
       [&](std::string& detail) {
         if (!frame->CreateMain()) return false;
         app.m_pMainWnd = frame;
         detail = FormatString("%d panes", frame->m_wndStatusBar.GetCount());
         return true;
       }},
      {"open communication", OpenCommunication},
      {"scan the drive network", ScanDrives},
      {"create and save the setup of configuration 05/05",
       [&outDir](std::string& detail) { return CreateAndSaveSetup(outDir, detail); }},
      {"export the setup for VKS_lib", [&outDir](std::string& d) { return ExportSetupArchive(outDir, d); }},
      {"create and save a motion program", [&](std::string& d) { return CreateMotionProgram(outDir, d); }},
      {"build the sample motion program", [&outDir](std::string& detail) { return BuildSampleMotion(outDir, detail); }},
      {"download motion.out to the drive", DownloadMotionProgram},
      {"save the setup to the drive", SaveSetupToDrive},
      {"show the transfer progress in the status bar", [&](std::string& d) { return CheckTransferProgress(frame, d); }},
      {"read the setup back from the drive", ReadSetupBack},
      {"compare the setups with the drive", CompareSetupWithDrive},
      {"reset the drive and compare again", ResetAndCompare},
      {"write a RAM word in the memory view and read it back",
       [&outDir](std::string& detail) { return WriteWordInMemoryView(outDir, detail); }},
      {"choose handlers in the homing and interrupts folder views",
       [&outDir](std::string& detail) { return ShowHandlerFolderViews(outDir, detail); }},
      {"run the setup test page without a window", RunSetupTestPage},
      {"import the sample G-code through the dialog into a controller program, build and download",
       [&outDir](std::string& detail) { return TranslateGcodeSample(outDir, detail); }},
      {"edit a program in the motion view, export and import a group, build and download",
       [&outDir](std::string& detail) { return EditProgramInMotionView(outDir, detail); }},
      {"log APOS and IQ on the drive, upload them and keep the logger and its plots",
       [&outDir](std::string& detail) { return LogAndUploadAposAndIq(outDir, detail); }},
      {"run a two-channel scope, forward its frames and picture its view",
       [&outDir](std::string& detail) { return RunTwoChannelScope(outDir, detail); }},
      {"save and reload a panel of two value displays",
       [&outDir](std::string& detail) { return SaveAndReloadPanel(outDir, detail); }},
      {"add an element with a motion event", AddMotionEventElement},
      {"repair a rotary program bound to a linear drive", RepairUnitTransition},
      {"save the frame picture as JPEG", [&](std::string& d) { return SaveFrameAsJpeg(frame, outDir + "/frame.jpg", d); }},
      {"run a line in the interpreter console", [&outDir](std::string& detail) { return RunConsoleLine(outDir, detail); }},
      {"save a plot file, show it in the viewer, picture and print it",
       [&outDir](std::string& detail) { return ShowPlotFile(outDir, detail); }},
      {"poll a panel of a value display, a gauge and a scope in its frame",
       [&outDir](std::string& detail) { return PollPanelInFrame(outDir, detail); }},
      {"drop a value display from the gadgets bar on a panel and save it",
       [&outDir](std::string& detail) { return BuildPanelFromGadgetsBar(outDir, detail); }},
  };
  auto finish = [&]() {
    ReleaseBuildRoad();
    CMC_Comm::Close();
    app.m_pMainWnd = nullptr;
    if (frame->m_hWnd) frame->DestroyWindow();
    else delete frame;
  };
  for (const Step& s : steps) {
    std::string detail;
    bool ok = s.run(detail);
    printf("[%s] %s%s%s\n", ok ? " ok " : "FAIL", s.name, detail.empty() ? "" : ": ", detail.c_str());
    if (!ok) {
      finish();
      return false;
    }
  }
  finish();
  printf("all steps passed\n");
  return true;
}
