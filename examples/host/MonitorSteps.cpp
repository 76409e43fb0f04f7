#include "examples/host/MonitorSteps.h"

#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/gadgets/ControlPanelGaugeItem.h"
#include "monitor/gadgets/ControlPanelScopeItems.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/gadgets/GadgetGaugeWnd.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "monitor/panels/GadgetsBar.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "monitor/loggers/MC_LoggerView.h"
#include "platform/ui/ControlBar.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/core/Clock.h"
#include "platform/core/Archive.h"
#include "platform/core/File.h"
#include "platform/core/Format.h"
#include "platform/core/Resource.h"
#include "platform/gdi/ImagePixels.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

namespace {

// The host's document as far as the kernel's idle work needs it.
class LoggerDocument : public CMC_Document {
 public:
  LoggerDocument() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_SingleAxisLogger* GetLogger() override { return m_pLogger; }
  BYTE GetGlobalSelectedAxis() override { return 1; }
  CMC_ScopeLogger* GetScopeLogger() override { return m_pScope; }
  CMC_Setup* m_pSetup = nullptr;
  CMC_SingleAxisLogger* m_pLogger = nullptr;
  CMC_ScopeLogger* m_pScope = nullptr;
};

// Shows `view` on `doc` in an 800 x 600 window and saves its picture to `path`.
bool SaveViewPicture(CDocument& doc, CMC_LoggerView* view, const std::string& path) {
  CWnd parent;
  parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, 0);
  view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 600), &parent, AFX_IDW_PANE_FIRST, nullptr);
  doc.AddView(view);
  view->OnInitialUpdate();
  PumpMessages();
  const bool ok = SaveWindowImage(view, path.c_str()) != FALSE;
  doc.RemoveView(view);
  parent.DestroyWindow();
  return ok;
}

// The folder under the output folder that the panel steps write into.
std::string PanelsDir(const std::string& outDir) {
  const std::string dir = outDir + "/panels";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir;
}

// The host's document with its control panels.
class PanelDocument : public CMC_Document {
 public:
  PanelDocument() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_ControlPanel* GetControlPanel() override { return &m_panels; }
  BYTE GetGlobalSelectedAxis() override { return 1; }
  CMC_Setup* m_pSetup = nullptr;
  CMC_ControlPanel m_panels;
};

// The title string of the host's panel frames.
enum : UINT { IDR_PANEL = 30100, IDD_GADGETS_BAR = 30101 };
const RESOURCE_STRING kHostStrings[] = {{IDR_PANEL, "Control Panel"}};
// The host's empty dialog bar that the gadgets bar fills with its buttons.
const DIALOG_RESOURCE kGadgetsBar = {WS_CHILD | DS_SETFONT | DS_CONTROL, 0, 0, 0, 500, 20, "", "MS Sans Serif", 8,
                                     nullptr, 0, nullptr};
const RESOURCE_ENTRY kHostEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(IDD_GADGETS_BAR), &kGadgetsBar, sizeof kGadgetsBar}};
const RESOURCE_TABLE kHostTable = {kHostStrings, 1, kHostEntries, 1};
CResourceTableRegistration g_hostTable(kHostTable);

// Saves the logger to `path`, loads it into a fresh logger and saves that again: both files alike.
bool SaveAndReloadLogger(CMC_SingleAxisLogger& logger, CMC_Setup* setup, const std::string& path) {
  CMC_SingleAxisLogger again(setup, nullptr);
  const std::string copy = path + ".again";
  std::error_code ec;
  const bool ok = logger.Save(path.c_str()) && again.Load(path.c_str()) && again.Save(copy.c_str()) &&
                  std::filesystem::file_size(path, ec) == std::filesystem::file_size(copy, ec) && !ec;
  std::filesystem::remove(copy, ec);
  return ok;
}

// The curves and plots of a plot file, as the plot viewer reads them.
int ReadPlotFile(const std::string& path) {
  try {
    CFile file(path.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    CCurveArray curves;
    CGraphDocument plots;
    curves.Serialize(ar);
    plots.Serialize(ar);
    return curves.GetSize();
  } catch (CException* e) {
    e->Delete();
    return -1;
  }
}

// The sample configuration's setup; null, with the reason in `detail`, when it does not load.
CMC_Setup* SampleSetup(std::string& detail) {
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  if (!setup) detail = "configuration 05/05 does not load";
  return setup;
}

CMC_ScopeLogger* g_scope = nullptr;
int g_sweeps = 0;

// The host hands every frame the drive streams to the scope.
void ForwardFrame(DAV_MSG* msg) {
  BYTE bytes[8] = {};
  memcpy(bytes, msg->data, std::min<size_t>(msg->count, 4) * 2);
  if (g_scope && g_scope->OnFrameReceive(msg->count * 2, bytes) > 0 && g_scope->GetCurrentPoint() == 0) ++g_sweeps;
}

// Sends the drive to `rotations` at 3000 rpm and 1000 rot/s^2, in the drive's internal units
// through the setup's scales.
bool CommandMove(CMC_Setup* setup, double rotations) {
  CMC_Setup::GUI_GETSCALE scale = setup ? setup->GetScaleFactorFct() : nullptr;
  if (!scale) return false;
  const double rad = 2 * M_PI, pos = scale(setup, "rad", "CPOS"), spd = scale(setup, "rad/s", "CSPD"),
               acc = scale(setup, "rad/s^2", "CACC");
  if (!(pos > 0 && spd > 0 && acc > 0)) return false;
  const CString command = FormatString("CPOS=%ld;CSPD=%.6f;CACC=%.6f;UPD", (long)std::lround(rotations * rad / pos),
                                       50 * rad / spd, 1000 * rad / acc).c_str();
  return setup->ExecuteString(command, 0, nullptr) != 0;
}

// The rows of a picture's area [x0, x1) x [y0, y1) that hold pixels of `color`: the first and the
// last, and how many; (-1, -1, 0) for none or a picture that does not load.
struct RowSpan {
  int first = -1, last = -1, rows = 0;
  int Height() const { return rows ? last - first + 1 : 0; }
};
RowSpan ColorRows(const std::string& png, COLORREF color, int x0, int y0, int x1, int y1) {
  CImagePixels picture;
  RowSpan span;
  if (!picture.Load(png)) return span;
  for (int y = y0; y < std::min(y1, picture.height); ++y)
    if (picture.Count(x0, y, x1, y + 1, [color](COLORREF c) { return c == color; }) > 0) {
      if (span.first < 0) span.first = y;
      span.last = y;
      ++span.rows;
    }
  return span;
}

}  // namespace

bool RunTwoChannelScope(const std::string& outDir, std::string& detail) {
  CMC_Setup* setup = SampleSetup(detail);
  if (!setup) return false;
  bool ok = false;
  {
    CMC_ScopeLogger scope(setup, nullptr);
    scope.AddVariable("APOS", 1);
    scope.AddVariable("IQ", 1);
    scope.ChangeSettings(0.1, CMC_ScopeLogger::TRIGGER_NONE, CMC_ScopeLogger::SLOPE_RISING, "", 0, 0);
    // The channels drawn in the scope's plot, as its set-up dialog adds them.
    CGraphFilter* plot = scope.GetGraphDoc().GetAt(0);
    const bool empty = plot && plot->GetSize() == 0;
    for (int k = 0; empty && k < 2; ++k) {
      auto* xy = new CXYCurve;
      xy->m_nYCurve = (DWORD)(k + 1);
      xy->m_crColor = CMC_ScopeLogger::msc_aChannelColors[k];
      xy->m_nWidth = 2;
      plot->Add(xy);
    }
    g_scope = &scope;
    g_sweeps = 0;
    CMC_Comm::UNSOLICITED_MSG_HANDLER previous = CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(ForwardFrame);
    // The sweep starts with a move back from 3 rotations to 0: 110 ms of a 126 ms sweep.
    if (scope.StartLogger() && scope.BeginUploadData() && CommandMove(setup, 0)) {
      // A sweep of 101 points every 1.25 ms; the frames come with the next drive call.
      for (int i = 0; i < 100 && g_sweeps == 0; ++i) {
        Sleep(10);
        CMC_Comm::GetBytesCountInQueue();
      }
      scope.DoForcedStop();
      scope.Autoscale();
      CCurve* time = scope.GetCurves().GetAt(0);
      CCurve* apos = scope.GetCurves().GetAt(1);
      CString text;
      text.Format("%d sweep(s) of %d frames; %d points of APOS and IQ over %g ms, APOS from %g to %g rad during a "
                  "move to 0",
                  g_sweeps, (int)((scope.GetPointsNo() * 3 * 2 + 6) / 7), apos->GetSize(), time->GetAt(100) * 1000,
                  apos->GetAt(0), apos->GetAt(100));
      LoggerDocument doc;
      doc.m_pScope = &scope;
      const std::string dir = outDir + "/logger";
      std::error_code ec;
      std::filesystem::create_directories(dir, ec);
      const std::string png = dir + "/scope-view.png";
      const bool pictured = SaveViewPicture(doc, new CMC_ScopeLoggerView, png);
      // Each channel's trace climbs or steps across rows of the grid (the left 600 pixels), not a flat line.
      int tall = 0;
      for (int k = 0; k < 2; ++k) {
        const RowSpan rows = ColorRows(png, CMC_ScopeLogger::msc_aChannelColors[k], 8, 8, 592, 592);
        text.AppendFormat("; channel %d spans %d rows", k + 1, rows.Height());
        tall += rows.Height() > 60;
      }
      if (pictured) text += ", scope-view.png written";
      detail = text.GetString();
      ok = g_sweeps > 0 && pictured && tall == 2;
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
  const std::string dir = PanelsDir(outDir);
  const std::string path = dir + "/Main.cp";
  CControlPanelItemArray again("Main");
  const bool ok = panel.Save(path.c_str()) && again.Load(path.c_str()) && again.GetSize() == 2;
  CString text;
  text.Format("%d value displays saved to %s and read back", (int)again.GetSize(), path.c_str());
  detail = text.GetString();
  return ok;
}

bool LogAndUploadAposAndIq(const std::string& outDir, std::string& detail) {
  CMC_Setup* setup = SampleSetup(detail);
  if (!setup) return false;
  bool ok = false;
  {
    CMC_SingleAxisLogger logger(setup, nullptr);
    logger.ChangeSettings(100, CMC_Logger::LOG_TS_C, 30);
    logger.AddVariable("APOS", 1);
    logger.AddVariable("IQ", 1);
    LoggerDocument doc;
    doc.m_pSetup = setup;
    doc.m_pLogger = &logger;
    if (!logger.StartLogger()) {
      detail = "the logger does not start";
    } else if (!CommandMove(setup, 3)) {
      detail = "the drive does not take the move";
    } else {
      // 100 points of 1.875 ms: the drive is done after 188 ms, the 3 rotations after 110 ms.
      Sleep(250);
      LONG count = 0;
      int passes = 0;
      if (logger.BeginUploadData())
        while (doc.OnIdle(count)) ++passes;
      const int points = logger.GetCurves().GetAt(1)->GetSize();
      const std::string dir = outDir + "/logger";
      std::error_code ec;
      std::filesystem::create_directories(dir, ec);
      const bool saved = SaveAndReloadLogger(logger, setup, dir + "/apos-iq.lgs") &&
                         logger.SaveGraph((dir + "/apos-iq.tpt").c_str());
      const int curves = ReadPlotFile(dir + "/apos-iq.tpt");
      // APOS and IQ against time, each in a plot of its own.
      for (int i = 0; i < 2; ++i) {
        auto* xy = new CXYCurve;
        xy->m_nYCurve = (DWORD)(i + 1);
        xy->m_crColor = i ? RGB(255, 192, 0) : RGB(0, 255, 255);
        logger.GetGraphDoc().GetAt(i)->Add(xy);
      }
      const std::string png = dir + "/logger-view.png";
      const bool pictured = SaveViewPicture(doc, new CMC_LoggerView, png);
      // APOS climbs over most of its plot's height (the left half); IQ steps up and down in its own.
      const RowSpan apos = ColorRows(png, RGB(0, 255, 255), 0, 0, 400, 600);
      const RowSpan iq = ColorRows(png, RGB(255, 192, 0), 400, 0, 800, 600);
      const CCurve* position = logger.GetCurves().GetAt(1);
      const double last = points ? position->GetAt(points - 1) / (2 * M_PI) : 0;
      CString text;
      text.Format("APOS and IQ logged every %g ms on 0x%04hX during a move to %g rot, %d points uploaded in %d idle "
                  "passes; the APOS curve spans %d rows, IQ %d; %s/apos-iq.lgs saved and loaded back, apos-iq.tpt "
                  "holds %d curves%s",
                  logger.GetCurves().GetAt(0)->m_dFactor * 1000, logger.GetBufferStart(), last, points, passes,
                  apos.Height(), iq.Height(), dir.c_str(), curves, pictured ? ", logger-view.png written" : "");
      detail = text.GetString();
      ok = points == 100 && saved && curves == 3 && pictured && std::fabs(last - 3) < 1e-6 && apos.Height() > 300 &&
           iq.Height() > 200;
    }
  }
  CMC_Setup::Destroy(setup);
  return ok;
}

namespace {

// Runs a panel step in a host of its own: an MDI main window with the panel template and a
// document holding the sample setup; the panels are reset and the window destroyed afterwards.
bool RunInPanelHost(std::string& detail, const std::function<bool(CMDIFrameWnd*, PanelDocument&)>& step) {
  CMC_Setup* setup = SampleSetup(detail);
  if (!setup) return false;
  bool ok = false;
  {
    CWinApp app("dravonix-host");
    auto* main = new CMDIFrameWnd;
    if (main->Create(nullptr, "dravonix host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 600))) {
      app.m_pMainWnd = main;
      app.AddDocTemplate(new CMC_ControlPanelDocTemplate(IDR_PANEL, RUNTIME_CLASS(CMC_Document),
                                                          RUNTIME_CLASS(CMC_ControlPanelFrame),
                                                          RUNTIME_CLASS(CMC_ControlPanelView)));
      main->ShowWindow(SW_SHOW);
      PanelDocument doc;
      doc.m_pSetup = setup;
      ok = step(main, doc);
      doc.m_panels.Reset();
      main->DestroyWindow();
      MSG quit;
      while (PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
      }
    } else {
      detail = "the main window cannot be created";
      delete main;
    }
  }
  CMC_Setup::Destroy(setup);
  return ok;
}

}  // namespace

bool PollPanelInFrame(const std::string& outDir, std::string& detail) {
  return RunInPanelHost(detail, [&](CMDIFrameWnd*, PanelDocument& doc) {
    bool ok = false;
    auto* panel = new CControlPanelItemArray("Position");
    auto* show = new CControlPanelShowVarItem;
    show->m_var.m_strName = "APOS";
    show->m_var.m_strUnit = "rot";
    show->m_strTitle = "APOS";
    show->m_nPeriod = 100;
    show->m_rect.SetRect(10, 10, 210, 35);
    panel->Add(show);
    auto* gauge = new CControlPanelGaugeItem;
    gauge->m_var.m_strName = "APOS_LD";
    gauge->m_var.m_strUnit = "rot";
    gauge->m_strTitle = "APOS_LD";
    gauge->m_var.m_dMax = 4;
    gauge->m_nPeriod = 50;
    gauge->m_rect.SetRect(10, 45, 0, 0);
    panel->Add(gauge);
    auto* scope = new CControlPanelScopeItem;
    scope->m_var.m_strName = "APOS";
    scope->m_var.m_strUnit = "rot";
    scope->m_strTitle = "APOS";
    scope->m_var.m_dMax = 4;
    scope->m_nPeriod = 1;
    scope->m_rect.SetRect(220, 10, 0, 0);
    panel->Add(scope);
    doc.m_panels.m_aPanels.Add(panel);
    if (doc.m_panels.OpenFrame(0, &doc)) {
      CMC_ControlPanel::ms_bStarted = 1;
      doc.m_panels.BuildMemoryArray(&doc);
      doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STARTED, nullptr);
      const std::string dir = PanelsDir(outDir);
      const std::string before = dir + "/position-panel-before.png", png = dir + "/position-panel.png";
      // A move of 3 rotations (110 ms) while the panel polls.
      int passes = 0;
      LONG count = 0;
      bool moved = false, saved = true;
      while (passes < 20 && doc.OnIdle(count)) {
        if (++passes == 3) {
          saved = SaveWindowImage(panel->m_pFrame, before.c_str()) != FALSE;
          moved = CommandMove(doc.m_pSetup, 3);
        }
        Sleep(30);
      }
      saved = saved && SaveWindowImage(panel->m_pFrame, png.c_str());
      // The value display's box reads otherwise than before the move; the gauge's bar, empty before,
      // fills to the load's 3 of 4 rotations; the scope's red trace climbs.
      auto* view = DYNAMIC_DOWNCAST(CMC_ControlPanelView, panel->m_pFrame->GetActiveView());
      // A gadget's control in the picture, which holds the frame's whole area.
      auto placed = [&](int gadget, int id) {
        CWnd* control = view && view->m_aGadgets.GetSize() > gadget ? view->m_aGadgets[gadget]->GetDlgItem(id) : nullptr;
        CRect box, frame;
        if (control) {
          control->GetWindowRect(&box);
          panel->m_pFrame->GetWindowRect(&frame);
          box.OffsetRect(-frame.left, -frame.top);
        }
        return box;
      };
      const CRect box = placed(0, 14000), bar = placed(1, CGadgetGaugeWnd::IDC_BAR);
      CImagePixels first, last;
      int changed = 0;
      double filled[2] = {};
      if (first.Load(before) && last.Load(png)) {
        for (int y = box.top; y < box.bottom; ++y)
          for (int x = box.left; x < box.right; ++x) changed += first.At(x, y) != last.At(x, y);
        const CImagePixels* pictures[2] = {&first, &last};
        for (int i = 0; i < 2 && !bar.IsRectEmpty(); ++i)
          filled[i] = pictures[i]->Count(bar.left, bar.top, bar.right, bar.bottom,
                                         [&](COLORREF c) { return c == gauge->m_crColor; }) /
                      (double)(bar.Width() * bar.Height());
      }
      const RowSpan trace = ColorRows(png, RGB(255, 0, 0), 0, 0, 600, 600);
      CString text;
      text.Format("panel \"Position\" (value display, gauge, scope) polled in its frame for %d idle passes during "
                  "a move, %d cached words, APOS = %.6g rot, APOS_LD = %.6g rot; %d pixels of the value box changed, "
                  "the gauge's bar is %.0f%% filled (%.0f%% before), the scope's trace spans %d rows; pictures %s "
                  "and %s",
                  passes, doc.m_panels.m_cache.GetCount(), show->m_var.m_dValue, gauge->m_var.m_dValue, changed,
                  filled[1] * 100, filled[0] * 100, trace.Height(), before.c_str(), png.c_str());
      detail = text.GetString();
      ok = passes == 20 && CMC_ControlPanel::ms_bStarted && saved && moved &&
           std::fabs(show->m_var.m_dValue - 3) < 1e-6 && std::fabs(gauge->m_var.m_dValue - 3) < 1e-6 && changed > 0 &&
           filled[0] < 0.1 && filled[1] > 0.5 && trace.Height() > 20;
      CMC_ControlPanel::ms_bStarted = 0;
    } else {
      detail = "the panel's frame does not open";
    }
    return ok;
  });
}

bool BuildPanelFromGadgetsBar(const std::string& outDir, std::string& detail) {
  return RunInPanelHost(detail, [&](CMDIFrameWnd* main, PanelDocument& doc) {
    bool ok = false;
    auto* panel = new CControlPanelItemArray("Dropped");
    panel->m_nFrameX = 0;
    panel->m_nFrameY = 60;
    panel->m_nFrameWidth = 360;
    panel->m_nFrameHeight = 160;
    doc.m_panels.m_aPanels.Add(panel);
    CMC_ControlPanel::ms_bInCustomize = 1;
    CGadgetsBar bar;
    CMC_ControlPanelView* view = nullptr;
    if (bar.Create(main, IDD_GADGETS_BAR, CBRS_TOP, 0xE810) && doc.m_panels.OpenFrame(0, &doc)) {
      main->RecalcLayout();  // the bar laid out clear of the workspace, where the user sees it
      view = DYNAMIC_DOWNCAST(CMC_ControlPanelView, panel->m_pFrame->GetActiveView());
    }
    if (view) {
      // The user's drag: a press on the value-display button, the release on the panel.
      DialogAutomation::AddDialogHandler(14007u, [](CWnd* dlg) {
        DialogAutomation::SelectItem(dlg, 14052, "APOS");
        DialogAutomation::ClickControl(dlg, IDOK);
      });
      PostMouseInput(bar.m_aButtons[0]->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{2, 2});
      UiAutomation::Pump();
      CPoint drop(40, 30);
      view->ClientToScreen(&drop);
      bar.ScreenToClient(&drop);
      PostMouseInput(bar.m_hWnd, WM_LBUTTONUP, 0, POINT{drop.x, drop.y});
      UiAutomation::Pump();
      DialogAutomation::Reset();
    }
    if (view && panel->GetSize() == 1) {
      CMC_ControlPanel::ms_bStarted = 1;
      doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_REBUILD_GADGETS, nullptr);
      LONG count = 0;
      for (int i = 0; i < 3 && doc.OnIdle(count); ++i) Sleep(30);
      const std::string dir = PanelsDir(outDir);
      const std::string cp = dir + "/dropped.cp", png = dir + "/dropped-panel.png";
      DialogAutomation::PushFileDialogResult(cp.c_str());
      view->SendMessage(WM_COMMAND, 10029, 0);
      const bool pictured = SaveWindowImage(panel->m_pFrame, png.c_str()) != FALSE;
      CControlPanelItemArray loaded;
      const bool loads = loaded.Load(cp.c_str()) && loaded.GetSize() == 1;
      const CRect at = loads ? CRect(loaded[0]->m_rect) : CRect();
      auto* show = dynamic_cast<CControlPanelShowVarItem*>(panel->GetAt(0));
      CString text;
      text.Format("value display dropped at (%d, %d) showing %s = %.6g; %s and %s", (int)at.left, (int)at.top,
                  show ? show->m_var.m_strName.GetString() : "?", show ? show->m_var.m_dValue : 0.0, cp.c_str(),
                  png.c_str());
      detail = text.GetString();
      ok = loads && at.TopLeft() == CPoint(40, 30) && pictured && show && show->m_var.m_strName == "APOS";
      CMC_ControlPanel::ms_bStarted = 0;
    } else {
      detail = "no gadget was dropped on the panel";
    }
    CMC_ControlPanel::ms_bInCustomize = 0;
    doc.m_panels.Reset();
    bar.DestroyWindow();
    return ok;
  });
}
