// The graph view and viewer document: layout, commands, read-out, scope scales, files and printing.
#include "platform/core/Automation.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "plot/documents/GraphView.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/support/PrintedPage.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace fs = std::filesystem;
using namespace graphtest;

namespace {

class CHintView : public CView {
 public:
  std::vector<LPARAM> hints;
  void OnUpdate(CView*, LPARAM lHint, CObject*) override { hints.push_back(lHint); }
  void OnDraw(CDC*) override {}
};

// A viewer document of `plots` plots (those in `empty` without curves) shown in a view.
struct Viewer {
  CFrameWnd* frame = new CFrameWnd;  // deletes itself
  CGraphViewerDoc* doc = new CGraphViewerDoc;
  CGraphView* view = new CGraphView;
  CHintView* hints = new CHintView;
  explicit Viewer(int plots, std::vector<int> empty = {}, bool osc = false) {
    doc->m_curves.Add(NewCurve("time", Ramp(50, 0.1), "s"));
    doc->m_curves.Add(NewCurve("pos", Sine(50, 1), "m"));
    for (int i = 0; i < plots; ++i) {
      auto* p = new CGraphFilter;
      p->m_bOscMode = osc;
      if (std::find(empty.begin(), empty.end(), i) == empty.end()) {
        auto* c = new CXYCurve;
        c->m_nXCurve = 0, c->m_nYCurve = 1, c->m_crColor = RGB(255, 255, 0);
        p->Add(c);
      }
      doc->m_graph.Add(p);
    }
    doc->m_graph.SetSource(&doc->m_curves, &doc->m_units);
    for (int i = 0; i < plots; ++i) doc->m_graph.GetAt(i)->ComputeLimits();
    Open();
  }
  explicit Viewer(CGraphViewerDoc* loaded) : doc(loaded) { Open(); }
  void Open() {
    doc->m_bAutoDelete = FALSE;  // the test deletes it
    frame->Create(nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 600));
    view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 600), frame, AFX_IDW_PANE_FIRST, nullptr);
    hints->Create(nullptr, "", WS_CHILD, CRect(0, 0, 1, 1), frame, 2, nullptr);
    frame->SetActiveView(view, FALSE);
    doc->AddView(view);
    doc->AddView(hints);
    view->OnInitialUpdate();
    UiAutomation::Pump();
  }
  ~Viewer() {
    doc->RemoveView(view);
    doc->RemoveView(hints);
    frame->DestroyWindow();
    delete doc;
  }
  CRect Rect(int i) {
    CGraphWindow* w = view->GetGraphWindow(i);
    if (!w) return CRect(0, 0, 0, 0);
    CRect r;
    w->GetWindowRect(&r);
    view->ScreenToClient(&r);
    return r;
  }
  BOOL Enabled(UINT id, int* check = nullptr) {
    CTestCmdUI ui;
    ui.m_nID = id;
    ui.DoUpdate(view, TRUE);
    if (check) *check = ui.m_nCheck;
    return ui.m_bEnabled;
  }
  // A menu pick: offered only while enabled, then the frame routes it to the active view.
  void Choose(UINT id) {
    EXPECT_TRUE(Enabled(id)) << id;
    frame->SendMessage(WM_COMMAND, id);
    UiAutomation::Pump();
  }
};

TEST(GraphView, ArrangementsByRankAndGreyedCommands) {
  {
    Viewer v(2);
    EXPECT_EQ(CRect(0, 0, 400, 600), v.Rect(0));
    EXPECT_EQ(CRect(400, 0, 800, 600), v.Rect(1));
  }
  {
    Viewer v(3);
    EXPECT_EQ(CRect(0, 0, 400, 600), v.Rect(0));
    EXPECT_EQ(CRect(400, 0, 800, 300), v.Rect(1));
    EXPECT_EQ(CRect(400, 300, 800, 600), v.Rect(2));
  }
  {
    Viewer v(4);
    EXPECT_EQ(CRect(0, 0, 400, 300), v.Rect(0));
    EXPECT_EQ(CRect(0, 300, 400, 600), v.Rect(1));
    EXPECT_EQ(CRect(400, 0, 800, 300), v.Rect(2));
    EXPECT_EQ(CRect(400, 300, 800, 600), v.Rect(3));
    int check = -1;
    EXPECT_TRUE(v.Enabled(ID_PLOT_ARRANGE_AUTO, &check));
    EXPECT_EQ(1, check);
    v.Choose(ID_PLOT_ARRANGE_VERT);
    EXPECT_EQ(CRect(0, 150, 800, 300), v.Rect(1));
    EXPECT_TRUE(v.doc->IsModified());
  }
  {
    // A plot without curves gets no window, and a lone later plot fills the view.
    Viewer v(2, {0});
    EXPECT_EQ(nullptr, v.view->GetGraphWindow(0));
    EXPECT_EQ(CRect(0, 0, 800, 600), v.Rect(1));
    EXPECT_EQ(14001, v.view->GetGraphWindow(1)->GetDlgCtrlID());
  }
  Viewer one(1);
  EXPECT_FALSE(one.Enabled(ID_PLOT_ARRANGE_AUTO));
  EXPECT_FALSE(one.Enabled(ID_PLOT_ARRANGE_VERT));
  EXPECT_TRUE(one.Enabled(ID_PLOT_OPTIONS));
  EXPECT_TRUE(one.Enabled(ID_PLOT_EXPORT_ASCII));
}

// Samples of a window's picture, every third pixel.
std::vector<COLORREF> Picture(CWnd* w) {
  CRect c;
  w->GetClientRect(&c);
  std::vector<COLORREF> px;
  for (int y = 0; y < c.bottom; y += 3)
    for (int x = 0; x < c.right; x += 3) px.push_back(GetWindowPixel(w->m_hWnd, CPoint(x, y)));
  return px;
}

// After a rearrangement, a maximize or a resize each plot shows what a full repaint would show.
TEST(GraphView, PlotsRepaintWholeWhenTheirSizeChanges) {
  Viewer v(2);
  const struct {
    const char* step;
    std::function<void(Viewer&)> act;
  } steps[] = {
      {"arrange vertically", [](Viewer& t) { t.Choose(ID_PLOT_ARRANGE_VERT); }},
      {"arrange horizontally", [](Viewer& t) { t.Choose(ID_PLOT_ARRANGE_HORZ); }},
      {"maximize", [](Viewer& t) { t.frame->ShowWindow(SW_MAXIMIZE); }},
      {"restore", [](Viewer& t) { t.frame->ShowWindow(SW_RESTORE); }},
      {"frame narrower", [](Viewer& t) { t.frame->SetWindowPos(nullptr, 0, 0, 700, 600, SWP_NOMOVE | SWP_NOZORDER); }},
      {"frame taller", [](Viewer& t) { t.frame->SetWindowPos(nullptr, 0, 0, 700, 700, SWP_NOMOVE | SWP_NOZORDER); }},
      {"view resized", [](Viewer& t) { t.view->SetWindowPos(nullptr, 0, 0, 640, 500, SWP_NOMOVE | SWP_NOZORDER); }},
  };
  for (const auto& s : steps) {
    const CRect before = v.Rect(0);
    s.act(v);
    UiAutomation::Pump();
    ASSERT_NE(before.Size(), v.Rect(0).Size()) << s.step;
    for (int i = 0; i < 2; ++i) {
      CGraphWindow* w = v.view->GetGraphWindow(i);
      const std::vector<COLORREF> shown = Picture(w);
      w->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      const std::vector<COLORREF> full = Picture(w);
      ASSERT_EQ(shown.size(), full.size());
      int differ = 0;
      for (size_t k = 0; k < shown.size(); ++k) differ += shown[k] != full[k];
      EXPECT_EQ(differ, 0) << s.step << ", plot " << i;
    }
  }
  char cls[64] = {};
  ::GetClassName(v.view->GetGraphWindow(0)->m_hWnd, cls, sizeof cls);
  EXPECT_STREQ(cls, "QWGraphWindow");
}

// Equal shares of the integer width or height; only a fourth rectangle takes the remainder.
TEST(GraphView, SideBySideRectanglesShareTheIntegerWidth) {
  const CRect c(0, 0, 301, 301);
  const struct { int mode, k, index; CRect rect; } rows[] = {
      {CGraphDocument::arrangeHorizontal, 3, 2, CRect(200, 0, 300, 301)},
      {CGraphDocument::arrangeHorizontal, 4, 3, CRect(225, 0, 301, 301)},
      {CGraphDocument::arrangeHorizontal, 2, 1, CRect(150, 0, 300, 301)},
      {CGraphDocument::arrangeVertical, 3, 2, CRect(0, 200, 301, 300)},
      {CGraphDocument::arrangeVertical, 4, 3, CRect(0, 225, 301, 301)},
      {CGraphDocument::arrangeAuto, 1, 0, CRect(0, 0, 301, 301)},
  };
  for (const auto& r : rows)
    EXPECT_EQ(r.rect, ArrangePlotRects(c, r.mode, r.k)[(size_t)r.index]) << r.mode << " " << r.k;
}

TEST(GraphView, ReadOutZoomCommandsAndSheets) {
  Viewer v(2);
  CGraphWindow* w = v.view->GetGraphWindow(1);
  CRect r = w->GetDrawingRect();
  CPoint inView(500, 100);
  v.view->ClientToScreen(&inView);
  ::SetCursorPos(inView.x, inView.y);
  v.view->SendMessage(CGraphWindow::m_WMGraphCursorMove, 14001, MAKELPARAM(r.left, r.bottom));
  EXPECT_EQ(1, v.doc->m_nCurrentPlot);
  CTestCmdUI pane;
  pane.m_nID = ID_INDICATOR_POSITION;
  pane.DoUpdate(v.view, TRUE);
  CString expect;
  expect.Format("X=%10.6G  YL=%10.6G  ", (double)(float)w->GetXCoord(r.left), w->GetYCoord(r.bottom, 1));
  EXPECT_TRUE(pane.m_bEnabled);
  EXPECT_STREQ(expect, pane.m_szText);
  v.view->SendMessage(CGraphWindow::m_WMGraphCursorMove, 14001, (LPARAM)-1);
  pane.DoUpdate(v.view, TRUE);
  EXPECT_STREQ("", pane.m_szText);
  ::SetCursorPos(900, 900);
  pane.DoUpdate(v.view, TRUE);
  EXPECT_FALSE(pane.m_bEnabled);

  // Zoom commands go to the current plot's window.
  EXPECT_FALSE(v.Enabled(ID_PLOT_ZOOM_PREV));
  v.Choose(ID_PLOT_ZOOM_IN);
  EXPECT_FALSE(w->IsEmptyZoomStack());
  EXPECT_TRUE(v.view->GetGraphWindow(0)->IsEmptyZoomStack());
  EXPECT_TRUE(v.Enabled(ID_PLOT_ZOOM_PREV));
  v.Choose(ID_PLOT_ZOOM_PREV);
  EXPECT_TRUE(w->IsEmptyZoomStack());

  // OK on the options sheet marks the document and sends the structure hint.
  UiAutomation::AddModalLoopHandler("CExtrasSheet", [](CWnd* s) { static_cast<CPropertySheet*>(s)->PressButton(PSBTN_OK); });
  v.Choose(ID_PLOT_OPTIONS);
  ASSERT_FALSE(v.hints->hints.empty());
  EXPECT_EQ(-59, v.hints->hints.back());
  v.hints->hints.clear();
  UiAutomation::AddModalLoopHandler("COptionsSheet", [](CWnd* s) { static_cast<CPropertySheet*>(s)->PressButton(PSBTN_CANCEL); });
  v.Choose(ID_PLOT_SETUP);
  EXPECT_TRUE(v.hints->hints.empty());
}

TEST(GraphView, ScopeScalesStepThroughOneTwoFive) {
  Viewer v(1, {}, true);
  CCurve* y = v.doc->m_curves.GetAt(1);
  y->m_dOscOffset = 1.0;
  struct {
    double scale;
    int direction;
    double expect;
  } steps[] = {{1, 1, 0.5}, {1, -1, 2}, {5, -1, 10}, {0.2, 1, 0.1}, {2e9, -1, 2e9}};
  for (auto& s : steps) {
    y->m_dOscScale = s.scale;
    v.view->SendMessage(CGraphWindow::m_WMGraphOscScaleChange, 14000, MAKELPARAM(0, (WORD)(short)s.direction));
    EXPECT_NEAR(s.expect, y->m_dOscScale, 1e-12) << s.scale << " " << s.direction;
  }
  EXPECT_EQ(-60, v.hints->hints.back());
  EXPECT_FALSE(v.Enabled(ID_PLOT_OPTIONS));  // no sheets for an oscilloscope document
}

TEST(GraphView, FilesExportsAndPrinting) {
  std::string dir = dravonix::test::ScratchDir("graph-view");
  std::string tpt = dir + "/two.tpt";
  {
    Viewer v(2);
    ASSERT_TRUE(v.doc->OnSaveDocument(tpt.c_str()));
  }
  auto* loaded = new CGraphViewerDoc;
  ASSERT_TRUE(loaded->OnOpenDocument(tpt.c_str()));
  Viewer v(loaded);
  ASSERT_EQ(2, v.doc->m_graph.GetSize());
  ASSERT_NE(nullptr, v.view->GetGraphWindow(1));
  EXPECT_EQ(CRect(400, 0, 800, 600), v.Rect(1));

  DialogAutomation::PushFileDialogResult((dir + "/plot.txt").c_str());
  v.Choose(ID_PLOT_EXPORT_ASCII);
  EXPECT_TRUE(fs::exists(dir + "/plot.txt"));
  DialogAutomation::PushFileDialogResult((dir + "/plot.wmf").c_str());
  v.Choose(ID_PLOT_EXPORT_WMF);
  EXPECT_GT(fs::file_size(dir + "/plot.wmf"), 100u);

  // An unreadable file reports the archive's message.
  std::ofstream(dir + "/bad.tpt") << "not a plot";
  Automation::Instance().ClearMessageBoxes();
  CGraphViewerDoc bad;
  EXPECT_FALSE(bad.OnOpenDocument((dir + "/bad.tpt").c_str()));
  EXPECT_EQ(1u, Automation::Instance().MessageBoxes().size());

  // The framework's print commands, routed by the frame, repeat the arrangement within
  // half-inch margins; preview draws the page into a picture.
  if (!dravonix::test::HavePdfRenderer()) GTEST_SKIP() << "pdftoppm is not installed";
  auto yellow = [](COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) > 150 && GetBValue(c) < 100; };
  for (UINT command : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW}) {
    SCOPED_TRACE(command);
    CImagePixels page;
    int dpi = 0;
    dravonix::test::PrintCommandPage(v.frame, command, dir, page, dpi);
    if (HasFatalFailure()) return;
    if (command == ID_FILE_PRINT) page.Save(dravonix::test::OutputPath("plot/view-printed.png"));
    const int w = page.width, h = page.height, margin = dpi / 2;
    EXPECT_GT(page.Count(margin, margin, w / 2, h - margin, yellow), 0);
    EXPECT_GT(page.Count(w / 2, margin, w - margin, h - margin, yellow), 0);
    EXPECT_EQ(0, page.Count(0, 0, w, margin - 2, yellow));
    EXPECT_EQ(0, page.Count(0, 0, margin - 2, h, yellow));
  }
}

}  // namespace
