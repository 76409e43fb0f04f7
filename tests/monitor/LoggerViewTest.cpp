// The logger views: export names, layout of the plot windows, command states, starting a logger
// among the others of its drive, the status pane and help.
#include "comm/MC_Comm.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "monitor/loggers/MC_LoggerView.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "platform/core/Clock.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/support/PrintedPage.h"
#include "tests/support/TestKernel.h"
#include "monitor/loggers/LoggerVariablesDlg.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"
#include "tests/monitor/LoggerDialogsSupport.h"
#include "tests/support/SimulatedDrive.h"
#include "tests/support/BarsScene.h"

#include <cstring>
#include <functional>
#include <memory>

namespace {

// A single-axis logger that counts its resets and can pretend to upload.
class CountingLogger : public CMC_SingleAxisLogger {
 public:
  using CMC_SingleAxisLogger::CMC_SingleAxisLogger;
  void ResetLoggerState() override {
    ++resets;
    CMC_SingleAxisLogger::ResetLoggerState();
  }
  int GetUploadPercentageCompleted() override { return 50; }
  void Uploading(int on) { m_bUploading = on; }
  int resets = 0;
};

class CountingMulti : public CMC_MultiAxisLogger {
 public:
  using CMC_MultiAxisLogger::CMC_MultiAxisLogger;
  void ResetLoggerState() override { ++resets; }
  int resets = 0;
};

class Axis : public CMC_AxisData {
 public:
  Axis(const char* name, BYTE id, CMC_SingleAxisLogger* logger) : m_strName(name), m_id(id), m_pLogger(logger) {}
  const char* GetName() override { return m_strName; }
  BYTE GetAxisID() override { return m_id; }
  CMC_SingleAxisLogger* GetLogger() override { return m_pLogger; }
  CString m_strName;
  BYTE m_id;
  CMC_SingleAxisLogger* m_pLogger;
};

class HostDocument : public CMC_Document {
 public:
  HostDocument() { m_bAutoDelete = FALSE; }
  CMC_SingleAxisLogger* GetLogger() override { return m_pLogger; }
  CMC_ScopeLogger* GetScopeLogger() override { return m_pScope; }
  CMC_MultiAxisLogger* GetMultiAxisLogger() override { return m_pMulti; }
  int GetAxisCount() override { return m_axes.GetSize(); }
  CMC_AxisData* GetAxisData(int i) override { return i >= 0 && i < m_axes.GetSize() ? m_axes[i] : nullptr; }
  CMC_SingleAxisLogger* m_pLogger = nullptr;
  CMC_ScopeLogger* m_pScope = nullptr;
  CMC_MultiAxisLogger* m_pMulti = nullptr;
  CMC_AxisDataArray m_axes;
};

class LoggerViewTest : public LoggerDialogTest {
 protected:
  void SetUp() override {
    LoggerDialogTest::SetUp();
    m_logger = std::make_unique<CountingLogger>(m_setup.get(), nullptr);
    m_doc.m_pLogger = m_logger.get();
    m_doc.m_pScope = m_scope.get();
  }
  void TearDown() override {
    Close();
    m_doc.m_axes.RemoveAll();
    m_logger.reset();
    LoggerDialogTest::TearDown();
  }
  // Opens `view` in a 400 x 300 window.
  void Open(CMC_LoggerView* view) {
    m_frame = new CFrameWnd;  // deletes itself
    m_frame->Create(nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300));
    view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), m_frame, AFX_IDW_PANE_FIRST, nullptr);
    m_frame->SetActiveView(view, FALSE);
    m_doc.AddView(view);
    m_view = view;
    view->OnInitialUpdate();
    PumpMessages();
  }
  void Close() {
    if (!m_view) return;
    m_doc.RemoveView(m_view);
    m_frame->DestroyWindow();
    m_view = nullptr;
  }
  // The logger's plots: one per entry, with a curve when true.
  void Plots(std::initializer_list<bool> full) {
    CGraphDocument& graph = m_logger->GetGraphDoc();
    graph.DeleteAll();
    for (bool f : full) {
      auto* plot = new CGraphFilter;
      if (f) {
        auto* xy = new CXYCurve;
        xy->m_nYCurve = 1;
        plot->Add(xy);
      }
      graph.Add(plot);
    }
    graph.SetSource(&m_logger->GetCurves(), &m_setup->GetUnits());
  }
  CRect Rect(int i) {
    CGraphWindow* w = m_view->GetGraphWindow(i);
    if (!w) return CRect(0, 0, 0, 0);
    CRect r;
    w->GetWindowRect(&r);
    m_view->ScreenToClient(&r);
    return r;
  }
  CTestCmdUI State(UINT id) {
    CTestCmdUI ui;
    ui.m_nID = id;
    ui.DoUpdate(m_view, TRUE);
    return ui;
  }
  // A menu pick: offered only while enabled, then the frame routes it to the active view.
  void Choose(UINT id) {
    ASSERT_TRUE(State(id).m_bEnabled) << id;
    m_frame->SendMessage(WM_COMMAND, id);
    PumpMessages();
  }

  HostDocument m_doc;
  std::unique_ptr<CountingLogger> m_logger;
  CFrameWnd* m_frame = nullptr;
  CMC_LoggerView* m_view = nullptr;
};

TEST(LoggerViewNames, ExportNamesDropTheExtensionAndWhatFollowsASeparator) {
  struct Case {
    const char* title;
    const char* ext;
    const char* name;
  } cases[] = {{"proj.abc", "lgs", "proj.lgs"}, {"a/b.c", "lgs", "a.lgs"},  {"proj", "lgs", "proj.lgs"},
               {"proj.abc", "osc", "proj.osc"}, {"x.y.z", "tpt", "x.y.tpt"}, {"p#1.q", "lgs", "p.lgs"}};
  for (const Case& c : cases) EXPECT_EQ(std::string(ProposeLoggerFileName(c.title, c.ext)), c.name) << c.title;
}

TEST_F(LoggerViewTest, PlotsWithDataAreLaidOutByRank) {
  struct Case {
    std::initializer_list<bool> plots;
    std::vector<CRect> rects;
  } cases[] = {
      {{true}, {CRect(0, 0, 400, 300)}},
      {{true, true}, {CRect(0, 0, 200, 300), CRect(200, 0, 400, 300)}},
      {{true, true, true}, {CRect(0, 0, 200, 300), CRect(200, 0, 400, 150), CRect(200, 150, 400, 300)}},
      {{true, true, true, true},
       {CRect(0, 0, 200, 150), CRect(0, 150, 200, 300), CRect(200, 0, 400, 150), CRect(200, 150, 400, 300)}},
      {{false, true}, {CRect(0, 0, 0, 0), CRect(0, 0, 400, 300)}},
  };
  for (const Case& c : cases) {
    Plots(c.plots);
    Open(new CMC_LoggerView);
    for (size_t i = 0; i < c.rects.size(); ++i) EXPECT_EQ(Rect((int)i), c.rects[i]) << c.plots.size() << " " << i;
    const CTestCmdUI arrange = State(ID_LOGGER_ARRANGE_AUTO);
    EXPECT_EQ(arrange.m_bEnabled, c.plots.size() > 1);
    EXPECT_EQ(arrange.m_nCheck, 1);
    EXPECT_EQ(State(ID_LOGGER_ARRANGE_VERT).m_nCheck, 0);
    Close();
  }
}

TEST_F(LoggerViewTest, ScopeViewDisablesUploadAndEnablesZoom) {
  Open(new CMC_ScopeLoggerView);
  EXPECT_FALSE(State(ID_LOGGER_UPLOAD).m_bEnabled);
  for (UINT id : {ID_LOGGER_ZOOM_IN, ID_LOGGER_ZOOM_OUT, ID_LOGGER_ZOOM_PREV}) EXPECT_TRUE(State(id).m_bEnabled);
  Choose(ID_HELP);
  Close();
  Open(new CMC_LoggerView);
  EXPECT_FALSE(State(ID_LOGGER_ZOOM_IN).m_bEnabled);
  Choose(ID_HELP);
  const auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 2u);
  EXPECT_EQ(help[0].data, 4160u);
  EXPECT_EQ(help[1].data, 4097u);
}

TEST_F(LoggerViewTest, StartingASingleAxisLoggerResetsTheLoggersOfItsAxisId) {
  CountingMulti multi(&m_doc);
  m_doc.m_pMulti = &multi;
  CountingLogger sameId(m_setup.get(), nullptr), idZero(m_setup.get(), nullptr);
  m_doc.m_axes.Add(new Axis("X", 1, m_logger.get()));
  m_doc.m_axes.Add(new Axis("Y", 1, &sameId));
  m_doc.m_axes.Add(new Axis("Z", 0, &idZero));
  // Start is offered once the logger has a variable and the drive is online.
  m_logger->AddVariable("APOS", 0);
  ASSERT_TRUE(dravonix::test::StartOnlineDrive());
  Open(new CMC_LoggerView);
  Choose(ID_LOGGER_START);  // the others are reset first
  EXPECT_EQ(multi.resets, 1);
  EXPECT_EQ(sameId.resets, 1);
  EXPECT_EQ(idZero.resets, 0);
  m_doc.m_pMulti = nullptr;
  dravonix::test::StopOnlineDrive();
}

TEST_F(LoggerViewTest, EachPlotWindowPaintsItsBackground) {
  Plots({true, true});
  const COLORREF colors[] = {RGB(0, 0, 128), RGB(0, 96, 0)};
  for (int i = 0; i < 2; ++i) {
    m_logger->GetGraphDoc().GetAt(i)->m_crBackground = colors[i];
    m_logger->GetGraphDoc().GetAt(i)->m_bGrid = 0;
  }
  Open(new CMC_LoggerView);
  const std::string png = dravonix::test::KernelDir() + "/../logger-view.png";
  EXPECT_TRUE(SaveWindowImage(m_view, png.c_str()));
  for (int i = 0; i < 2; ++i) {
    CGraphWindow* w = m_view->GetGraphWindow(i);
    ASSERT_TRUE(w);
    CRect r;
    w->GetClientRect(&r);
    EXPECT_EQ(GetWindowPixel(w->m_hWnd, POINT{r.Width() * 6 / 10, r.Height() * 45 / 100}), colors[i]) << i;
  }
}

TEST_F(LoggerViewTest, PrintCommandsThroughTheFramePrintThePlotsWithinTheMargins) {
  if (!dravonix::test::HavePdfRenderer()) GTEST_SKIP() << "pdftoppm is not installed";
  // Two plots of a ramp against time, one red, one blue.
  CCurveArray& curves = m_logger->GetCurves();
  while (curves.GetSize() < 2) curves.Add(new CCurve);
  const double ramp[] = {0, 1, 2, 3, 4, 5};
  for (int i = 0; i < 2; ++i) curves.GetAt(i)->InitCurve("c", "", "", 0.0, 1.0, 1.0, 0.0, 6, ramp);
  Plots({true, true});
  const COLORREF colors[] = {RGB(255, 0, 0), RGB(0, 0, 255)};
  for (int i = 0; i < 2; ++i) {
    CGraphFilter* plot = m_logger->GetGraphDoc().GetAt(i);
    static_cast<CXYCurve*>(plot->GetAt(0))->m_crColor = colors[i];
    static_cast<CXYCurve*>(plot->GetAt(0))->m_nWidth = 3;
    plot->ComputeLimits();
  }
  Open(new CMC_LoggerView);
  const std::string dir = dravonix::test::ScratchDir("logger-print");
  for (UINT command : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW}) {
    SCOPED_TRACE(command);
    CImagePixels page;
    int dpi = 0;
    dravonix::test::PrintCommandPage(m_frame, command, dir, page, dpi);
    if (HasFatalFailure()) return;
    const int w = page.width, h = page.height, margin = dpi / 2;
    auto is = [](COLORREF want) { return [want](COLORREF c) { return c == want; }; };
    EXPECT_GT(page.Count(margin, margin, w / 2, h - margin, is(colors[0])), 0);
    EXPECT_GT(page.Count(w / 2, margin, w - margin, h - margin, is(colors[1])), 0);
    EXPECT_EQ(0, page.Count(0, 0, w, margin - 2, is(colors[0])) + page.Count(0, 0, margin - 2, h, is(colors[0])));
  }
}

TEST_F(LoggerViewTest, ThePaneReadsTheCursorOverAPlotAndEmptiesOutsideIt) {
  m_logger->AddVariable("APOS", 1);
  Plots({true});
  m_logger->GetCurves().GetAt(0)->SetSize(2);
  m_logger->GetCurves().GetAt(1)->SetSize(2);
  Open(new CMC_LoggerView);
  ::SetCursorPos(100, 100);
  m_view->SendMessage(CGraphWindow::m_WMGraphCursorMove, 14000, MAKELPARAM(50, 50));
  const CTestCmdUI over = State(ID_LOGGER_POSITION_PANE);
  EXPECT_TRUE(over.m_bEnabled);
  const std::string text = over.m_szText;
  ASSERT_GE(text.size(), 14u);
  EXPECT_EQ(text.substr(0, 2), "X=");
  EXPECT_EQ(text.substr(12, 2), "  ");
  m_view->SendMessage(CGraphWindow::m_WMGraphCursorMove, 14000, (LPARAM)-1);
  const CTestCmdUI outside = State(ID_LOGGER_POSITION_PANE);
  EXPECT_TRUE(outside.m_bEnabled);
  EXPECT_STREQ(outside.m_szText, "");
  ::SetCursorPos(900, 900);
  EXPECT_FALSE(State(ID_LOGGER_POSITION_PANE).m_bEnabled);
}

TEST_F(LoggerViewTest, ThePaneShowsTheUploadProgress) {
  Open(new CMC_LoggerView);
  m_logger->Uploading(1);
  const CTestCmdUI pane = State(ID_LOGGER_POSITION_PANE);
  m_logger->Uploading(0);
  EXPECT_TRUE(pane.m_bEnabled);
  EXPECT_STREQ(pane.m_szText, "Uploading logger data:  50% completed");
  m_doc.m_pLogger = nullptr;
  EXPECT_FALSE(State(ID_LOGGER_POSITION_PANE).m_bEnabled);
  m_doc.m_pLogger = m_logger.get();
}

TEST_F(LoggerViewTest, VariablesStartAndUploadOnTheSimulatedDrive) {
  ASSERT_TRUE(dravonix::test::StartOnlineDrive());
  m_logger->ChangeSettings(100, CMC_Logger::LOG_TS_C, 1);
  m_logger->ChangeMemBufferSettings(0x9000, 0x93FF);
  Open(new CMC_LoggerView);
  DialogAutomation::AddDialogHandler(CSingleAxisLoggerVariablesDlg::IDD, [](CWnd* w) {
    for (const char* name : {"APOS", "IQ"}) {
      DialogAutomation::TypeInto(w, 14001, name);
      DialogAutomation::ClickControl(w, 14011);
    }
    DialogAutomation::ClickControl(w, IDOK);
  });
  Choose(ID_LOGGER_VARS);
  EXPECT_TRUE(m_doc.IsModified());
  ASSERT_EQ(m_logger->GetItems().GetSize(), 2);
  // What the plot set-up sheet does: APOS against time in the first plot.
  auto* xy = new CXYCurve;
  xy->m_nYCurve = 1;
  m_logger->GetGraphDoc().GetAt(0)->Add(xy);
  m_doc.UpdateAllViews(nullptr, HINT_LOGGER_CHANGED, m_logger.get());
  Choose(ID_LOGGER_START);
  ASSERT_TRUE(m_logger->IsStarted()) << (Boxes().empty() ? "" : Boxes().back());
  DriveSimulator::StepLogger(1, 100);
  Choose(ID_LOGGER_UPLOAD);
  ASSERT_TRUE(m_logger->UploadInProgress());
  LONG count = 0;
  int idle = 0;
  while (m_doc.OnIdle(count) && idle < 1000) ++idle;
  EXPECT_EQ(idle, 100);
  EXPECT_FALSE(m_logger->UploadInProgress());
  CGraphWindow* w = m_view->GetGraphWindow(0);
  ASSERT_TRUE(w);
  ASSERT_TRUE(w->GetPlot());
  EXPECT_EQ(w->GetPlot()->GetAt(0)->GetPointCount(), 100);
  EXPECT_EQ(m_view->GetGraphWindow(1), nullptr);
  dravonix::test::StopOnlineDrive();
}

CMC_ScopeLogger* g_scope = nullptr;
void Forward(DAV_MSG* m) {
  BYTE bytes[8] = {};
  memcpy(bytes, m->data, m->count * 2u);
  if (g_scope) g_scope->OnFrameReceive(m->count * 2, bytes);
}

// Pixels of `color` in the plot area (the left 70 %) of a window, every other pixel.
int CountPixels(CWnd* w, COLORREF color) {
  CRect r;
  w->GetClientRect(&r);
  int n = 0;
  for (int y = 0; y < r.Height(); y += 2)
    for (int x = 0; x < r.Width() * 7 / 10; x += 2) n += GetWindowPixel(w->m_hWnd, POINT{x, y}) == color;
  return n;
}

TEST_F(LoggerViewTest, AScopeSweepDrawsTheFirstChannelInItsColour) {
  CMC_Comm::m_bNetMaster = 0;
  ASSERT_TRUE(dravonix::test::StartOnlineDrive());
  m_scope->ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NONE, CMC_ScopeLogger::SLOPE_RISING, "", 0, 0);
  m_scope->AddVariable("APOS", 0);
  DriveSimulator::SetWaveform(1, 0x0228, [](uint32_t k) { return (uint16_t)(k % 8); });
  auto* xy = new CXYCurve;
  xy->m_nYCurve = 1;
  xy->m_crColor = CMC_ScopeLogger::msc_aChannelColors[0];
  xy->m_nWidth = 2;
  m_scope->GetGraphDoc().GetAt(0)->Add(xy);
  g_scope = m_scope.get();
  CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(Forward);
  Open(new CMC_ScopeLoggerView);
  Choose(ID_SCOPE_START);  // starts the scope and its upload
  ASSERT_TRUE(m_scope->UploadInProgress()) << (Boxes().empty() ? "" : Boxes().back());
  CGraphWindow* w = m_view->GetGraphWindow(0);
  ASSERT_TRUE(w);
  const COLORREF orange = RGB(255, 192, 0);
  EXPECT_EQ(CountPixels(w, orange), 0);
  DriveSimulator::StepScope(1, 101 + 7);
  DriveSimulator::DeliverUnsolicited();
  ASSERT_EQ(m_scope->GetCurrentPoint(), 0);  // one whole sweep
  m_doc.UpdateAllViews(nullptr, HINT_LOGGER_DRAW_POINTS, m_scope.get());
  m_doc.UpdateAllViews(nullptr, HINT_LOGGER_REDRAW, m_scope.get());
  PumpMessages();
  EXPECT_GT(CountPixels(w, orange), 20);
  CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(nullptr);
  g_scope = nullptr;
  Close();
  m_scope->DoForcedStop();
  dravonix::test::StopOnlineDrive();
}

// The logger view as a host shows it: in an MDI child of a main frame with the logger's tool-bar
// buttons and the position pane; commands pressed on the bar, the mouse moved over the plots.
class LoggerScene : public dravonix::test::BarsScene {
 public:
  explicit LoggerScene(CDocument* doc)
      : BarsScene(kButtons, (int)std::size(kButtons), ID_LOGGER_POSITION_PANE), m_doc(doc) {}
  HWND AddChild(int, const CRect& r) override {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CMC_LoggerView);
    ctx.m_pCurrentDoc = m_doc;
    auto* child = new CMDIChildWnd;
    if (!child->Create(nullptr, "logger", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main, &ctx)) return nullptr;
    child->InitialUpdateFrame(m_doc, TRUE);
    UiAutomation::Pump();
    return child->m_hWnd;
  }
  CMC_LoggerView* View() const {
    CMDIChildWnd* child = m_main->MDIGetActive();
    return child ? dynamic_cast<CMC_LoggerView*>(child->GetActiveView()) : nullptr;
  }
  static constexpr UINT kButtons[] = {ID_LOGGER_VARS, ID_LOGGER_ARRANGE_AUTO, ID_LOGGER_ARRANGE_HORZ,
                                      ID_LOGGER_ARRANGE_VERT, ID_LOGGER_ZOOM_IN, ID_LOGGER_ZOOM_OUT};
  CDocument* m_doc;
};

TEST_F(LoggerViewTest, PlotsFollowTheBarsCommandsTheChildsSizeAndTheMouse) {
  m_logger->ChangeMemBufferSettings(0x9000, 0x93FF);
  m_logger->AddVariable("APOS", 1);
  m_logger->AddVariable("IQ", 1);
  const double ramp[] = {0, 1, 2, 3, 4, 5};
  for (int i = 0; i < 3; ++i) m_logger->GetCurves().GetAt(i)->InitCurve("c", "", "", 0.0, 1.0, 1.0, 0.0, 6, ramp);
  Plots({true, true});
  for (int i = 0; i < 2; ++i) m_logger->GetGraphDoc().GetAt(i)->ComputeLimits();
  LoggerScene scene(&m_doc);
  scene.AddChild(0, CRect(10, 10, 330, 230));
  CMC_LoggerView* view = scene.View();
  ASSERT_TRUE(view);
  auto rect = [&](int i) {
    CGraphWindow* w = view->GetGraphWindow(i);
    CRect r(0, 0, 0, 0);
    if (w) {
      w->GetWindowRect(&r);
      view->ScreenToClient(&r);
    }
    return r;
  };
  auto mouse = [&](int i, CPoint at) { UiAutomation::MouseMove(view->GetGraphWindow(i)->m_hWnd, at); };
  struct Step {
    std::function<void()> act;
    const char* buttons;
    bool vertical;        // one plot above the other, else side by side
    const char* pane;     // null: not checked; "X": begins with it
  };
  const std::vector<Step> steps = {
      {[] {}, "-c---d", false, nullptr},
      {[&] { scene.Press(ID_LOGGER_ARRANGE_VERT); }, "---c-d", true, nullptr},
      {[&] { scene.Press(ID_LOGGER_ARRANGE_HORZ); }, "--c--d", false, nullptr},
      {[&] { ::MoveWindow(scene.Children()[0], 0, 0, 260, 300, TRUE); }, "--c--d", false, nullptr},
      {[&] { scene.Press(ID_LOGGER_ARRANGE_AUTO); }, "-c---d", false, nullptr},
      {[&] { mouse(1, CPoint(60, 60)); }, "-c---d", false, "X"},
      {[&] { mouse(1, CPoint(1, 1)); }, "-c---d", false, ""},
      {[&] { scene.Press(ID_LOGGER_ZOOM_IN); }, "-c----", false, nullptr},
      {[&] { scene.Press(ID_LOGGER_ZOOM_OUT); }, "-c---d", false, nullptr},
      {[&] {
         DialogAutomation::AddDialogHandler(CSingleAxisLoggerVariablesDlg::IDD, [](CWnd* w) {
           DialogAutomation::SelectItem(w, 14000, "IQ");
           DialogAutomation::ClickControl(w, 14005);
           DialogAutomation::ClickControl(w, IDOK);
         });
         scene.Press(ID_LOGGER_VARS);
       },
       "-c---d", false, nullptr},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    steps[i].act();
    EXPECT_EQ(scene.Buttons(), steps[i].buttons) << i;
    CRect c;
    view->GetClientRect(&c);
    const CRect first = rect(0), second = rect(1);
    EXPECT_EQ(first, steps[i].vertical ? CRect(0, 0, c.right, c.bottom / 2) : CRect(0, 0, c.right / 2, c.bottom)) << i;
    // Each takes its share, rounded down: the rest is the view's.
    EXPECT_EQ(second.BottomRight(), steps[i].vertical ? CPoint(c.right, c.bottom / 2 * 2) : CPoint(c.right / 2 * 2, c.bottom)) << i;
    if (steps[i].pane) {
      EXPECT_EQ(std::string(scene.PaneText()).substr(0, strlen(steps[i].pane)), steps[i].pane) << i;
    }
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(scene.MainWnd())) << i;
  }
  EXPECT_TRUE(m_doc.IsModified());
  EXPECT_EQ(m_logger->GetItems().GetSize(), 1);

  // No route without a rule here changes the plots or the document: a right click, the context-menu
  // keys and the other keys a user tries on a plot.
  m_doc.SetModifiedFlag(FALSE);
  const std::string buttons = scene.Buttons();
  UiAutomation::RightClick(view->GetGraphWindow(0)->m_hWnd, CPoint(60, 60));
  for (UINT vk : {VK_F10, VK_APPS, VK_RETURN, VK_ESCAPE, VK_LEFT, VK_HOME, VK_DELETE, VK_ADD})
    UiAutomation::PressKey(vk, vk == VK_F10 ? UiAutomation::kShift : UiAutomation::kNone);
  EXPECT_FALSE(m_doc.IsModified());
  EXPECT_EQ(scene.Buttons(), buttons);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(scene.MainWnd()));
}


// The plot sheets opened by their commands from the logger view, each ended by every route a user has:
// OK by click or Enter marks the document and repaints the plots, Cancel by click, Escape or Alt+F4
// leaves both.
TEST_F(LoggerViewTest, PlotSheetsEndedByAnyRouteMarkTheDocumentAsOkDoes) {
  m_logger->ChangeMemBufferSettings(0x9000, 0x93FF);
  m_logger->AddVariable("APOS", 1);
  const double ramp[] = {0, 1, 2, 3, 4, 5};
  for (int i = 0; i < 2; ++i) m_logger->GetCurves().GetAt(i)->InitCurve("c", "", "", 0.0, 1.0, 1.0, 0.0, 6, ramp);
  Plots({true});
  m_logger->GetGraphDoc().GetAt(0)->ComputeLimits();
  LoggerScene scene(&m_doc);
  scene.AddChild(0, CRect(10, 10, 330, 230));
  ASSERT_TRUE(scene.View());
  const struct { const char* route; std::function<void(CWnd*)> end; bool ok; } routes[] = {
      {"OK clicked", [](CWnd* w) { DialogAutomation::ClickControl(w, IDOK); }, true},
      {"Enter", [](CWnd*) { UiAutomation::PressKey(VK_RETURN); }, true},
      {"Cancel clicked", [](CWnd* w) { DialogAutomation::ClickControl(w, IDCANCEL); }, false},
      {"Escape", [](CWnd*) { UiAutomation::PressKey(VK_ESCAPE); }, false},
      {"Alt+F4", [](CWnd*) { UiAutomation::PressKey(VK_F4, UiAutomation::kAlt); }, false},
  };
  const struct { UINT command; const char* sheet; } sheets[] = {{10003, "CExtrasSheet"}, {10004, "COptionsSheet"}};
  for (const auto& sheet : sheets)
    for (const auto& r : routes) {
      const std::string trail = std::string(sheet.sheet) + ", " + r.route;
      m_doc.SetModifiedFlag(FALSE);
      bool open = true;
      UiAutomation::AddModalLoopHandler(sheet.sheet, [&](CWnd* w) {
        r.end(w);
        open = ::IsWindow(w->m_hWnd) && ::IsWindowVisible(w->m_hWnd);
        if (open) static_cast<CPropertySheet*>(w)->PressButton(PSBTN_CANCEL);
      });
      ::PostMessage(scene.MainWnd(), WM_COMMAND, sheet.command, 0);
      UiAutomation::Pump();
      EXPECT_FALSE(open) << trail;
      EXPECT_EQ(!!m_doc.IsModified(), r.ok) << trail;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(scene.MainWnd())) << trail;
    }
  UiAutomation::ClearModalLoopHandlers();
}

}  // namespace

TEST_F(LoggerViewTest, ARefusedImportKeepsTheLoggerAsItWas) {
  const std::string path = dravonix::test::ScratchDir("logger-import") + "/scope.lgs";
  CMC_SingleAxisLogger other(m_setup.get(), nullptr);
  other.ChangeSettings(50, CMC_Logger::LOG_SCOPE, 1);
  other.AddVariable("IQ", 1);
  ASSERT_TRUE(other.Save(path.c_str()));
  m_logger->ChangeSettings(100, CMC_Logger::LOG_TS_C, 3);
  m_logger->AddVariable("APOS", 1);
  m_logger->AddVariable("IQ", 1);
  Plots({true, false});
  Open(new CMC_LoggerView);
  ClearBoxes();
  DialogAutomation::PushFileDialogResult(path.c_str());
  Choose(ID_LOGGER_IMPORT);
  EXPECT_EQ(LastBox(), "Failed to load single-axis logger.\nThe file was saved in multi-axis or scope format.");
  ASSERT_EQ(m_logger->GetItems().GetSize(), 2);
  EXPECT_EQ(m_logger->GetItems()[0]->m_strName, "APOS");
  EXPECT_EQ(m_logger->GetPointsNo(), 100);
  EXPECT_EQ(m_logger->GetGraphDoc().GetSize(), 2);
  EXPECT_NE(m_view->GetGraphWindow(0), nullptr);
}
