// Plot views reached as a user reaches them: menu commands posted to the host's frame, the mouse on
// the plot windows, sheets and file dialogs answered; each step's state and picture are checked.
#include "platform/core/Automation.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PropertySheet.h"
#include "plot/ui/ColorCombo.h"
#include "tests/plot/PlotScene.h"
#include "tests/support/FileContents.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>

namespace fs = std::filesystem;
using namespace graphtest;
using namespace dravonix::test;

namespace {

CRect RectInView(CGraphView* view, CGraphWindow* w) {
  CRect r;
  w->GetWindowRect(&r);
  view->ScreenToClient(&r);
  return r;
}

TEST(PlotWindows, MenuCommandsArrangeAndZoomThePlots) {
  PlotScene scene;
  scene.AddChild(PlotScene::kTwoPlots, CRect(10, 10, 420, 280));
  CGraphView* view = scene.View();
  ASSERT_NE(view, nullptr);
  CRect c;
  view->GetClientRect(&c);
  const int midX = c.Width() / 2, midY = c.Height() / 2;
  double before[6], range[6];
  scene.Graph(0)->GetViewRange(before);
  // Buttons: options, set-up, two exports, three arrangements, zoom in, out, back, print.
  EXPECT_EQ(scene.Buttons(), "----c---dd-");
  const struct {
    UINT id;
    CRect second;  // the second plot's place
    bool zoomed;   // the first plot's zoom stack holds a view
    const char* buttons;
  } steps[] = {
      {ID_PLOT_ARRANGE_VERT, CRect(0, midY, c.right, 2 * midY), false, "------c-dd-"},
      {ID_PLOT_ARRANGE_HORZ, CRect(midX, 0, 2 * midX, c.bottom), false, "-----c--dd-"},
      {ID_PLOT_ZOOM_IN, CRect(midX, 0, 2 * midX, c.bottom), true, "-----c-----"},
      {ID_PLOT_ZOOM_IN, CRect(midX, 0, 2 * midX, c.bottom), true, "-----c-----"},
      {ID_PLOT_ZOOM_PREV, CRect(midX, 0, 2 * midX, c.bottom), true, "-----c-----"},
      {ID_PLOT_ZOOM_OUT, CRect(midX, 0, 2 * midX, c.bottom), false, "-----c--dd-"},
      {ID_PLOT_ARRANGE_AUTO, CRect(midX, 0, 2 * midX, c.bottom), false, "----c---dd-"},
  };
  for (const auto& s : steps) {
    scene.Press(s.id);
    EXPECT_EQ(RectInView(view, scene.Graph(1)), s.second) << s.id;
    EXPECT_EQ(!scene.Graph(0)->IsEmptyZoomStack(), s.zoomed) << s.id;
    EXPECT_EQ(scene.Buttons(), s.buttons) << s.id;
    EXPECT_EQ(0, scene.PixelsOff()) << s.id;
  }
  scene.Graph(0)->GetViewRange(range);
  EXPECT_EQ(std::vector<double>(range, range + 6), std::vector<double>(before, before + 6));
  // An oscilloscope plot has no sheets, nothing to arrange and no zoom commands.
  scene.AddChild(PlotScene::kScope, CRect(60, 40, 400, 300));
  EXPECT_EQ(scene.Buttons(), "dd--dddddd-");
  EXPECT_TRUE(scene.m_plots.IsModified());
  scene.m_plots.SetModifiedFlag(FALSE);
}

TEST(PlotWindows, TheMouseReadsOutZoomsAndLeavesThePicture) {
  PlotScene scene;
  scene.AddChild(PlotScene::kTwoPlots, CRect(10, 10, 420, 280));
  CGraphWindow* g = scene.Graph(1);
  ASSERT_NE(g, nullptr);
  const CRect r = g->GetDrawingRect();
  const CPoint at(r.left + 20, r.top + 30);
  UiAutomation::MouseMove(g->m_hWnd, at);
  CString read;
  read.Format("X=%10.6GYL=%10.6GYR=%10.6G", (double)(float)g->GetXCoord(at.x), g->GetYCoord(at.y, 1),
              g->GetYCoord(at.y, 2));
  CString pane = scene.PositionPane();
  pane.Remove(' ');
  read.Remove(' ');
  EXPECT_EQ(pane, read);
  EXPECT_EQ(1, scene.m_plots.m_nCurrentPlot);
  UiAutomation::MouseMove(g->m_hWnd, CPoint(1, 1));
  EXPECT_EQ(scene.PositionPane(), "");
  EXPECT_FALSE(scene.m_status.GetPaneStyle(1) & SBPS_DISABLED);
  // Out of the view the pane goes grey.
  UiAutomation::MouseMove(scene.m_status.m_hWnd, CPoint(5, 5));
  scene.PositionPane();
  EXPECT_TRUE(scene.m_status.GetPaneStyle(1) & SBPS_DISABLED);

  // A band zooms the plot; a right click leaves it as it is.
  double wide[6], zoomed[6];
  g->GetViewRange(wide);
  const double from = g->GetXCoord(r.left + 10), to = g->GetXCoord(r.CenterPoint().x);
  UiAutomation::Drag(g->m_hWnd, CPoint(r.left + 10, r.top + 10), CPoint(r.CenterPoint()));
  g->GetViewRange(zoomed);
  // The band and a twentieth of it on each side.
  EXPECT_NEAR(zoomed[0], from - (to - from) / 20, 1e-9);
  EXPECT_NEAR(zoomed[1], to + (to - from) / 20, 1e-9);
  EXPECT_EQ(0, scene.PixelsOff());
  UiAutomation::RightClick(g->m_hWnd, r.CenterPoint());
  EXPECT_EQ(0, scene.PixelsOff());
  // The plots take no keys: the context-menu keys and the others a user tries change nothing.
  scene.m_plots.SetModifiedFlag(FALSE);
  for (UINT vk : {VK_F10, VK_APPS, VK_RETURN, VK_ESCAPE, VK_LEFT, VK_HOME, VK_DELETE, VK_ADD})
    UiAutomation::PressKey(vk, vk == VK_F10 ? UiAutomation::kShift : UiAutomation::kNone);
  double after[6];
  g->GetViewRange(after);
  EXPECT_EQ(std::vector<double>(after, after + 6), std::vector<double>(zoomed, zoomed + 6));
  EXPECT_FALSE(scene.m_plots.IsModified());
  EXPECT_EQ(0, scene.PixelsOff());
  scene.Press(ID_PLOT_ZOOM_PREV);
  EXPECT_EQ(0, scene.PixelsOff());
}

TEST(PlotWindows, ScopeScaleBoxesStepTheChannel) {
  PlotScene scene;
  scene.AddChild(PlotScene::kScope, CRect(10, 10, 460, 300));
  CGraphWindow* g = scene.Graph(0);
  ASSERT_NE(g, nullptr);
  CCurve* pos = scene.m_scope.m_curves.GetAt(1);
  ASSERT_FALSE(g->GetScaleBox(0, 0).IsRectEmpty());
  const struct {
    bool left;
    double scale;
  } clicks[] = {{true, 0.5}, {true, 0.2}, {false, 0.5}, {false, 1}, {false, 2}};
  for (const auto& k : clicks) {
    const CRect box = g->GetScaleBox(0, k.left ? 0 : 1);
    UiAutomation::Click(g->m_hWnd, box.CenterPoint());
    UiAutomation::AdvanceClock(1000);  // the next click is no double click
    EXPECT_DOUBLE_EQ(pos->m_dOscScale, k.scale) << k.left;
    EXPECT_EQ(0, scene.PixelsOff()) << k.scale;
  }
  scene.m_scope.SetModifiedFlag(FALSE);
}

// A scope printed from the host's menu keeps its scale boxes working on the screen.
TEST(PlotWindows, ScaleBoxesStepTheChannelAfterPrinting) {
  const std::string dir = ScratchDir("plot-windows-scope-print");
  PlotScene scene;
  scene.AddChild(PlotScene::kScope, CRect(10, 10, 460, 300));
  CGraphWindow* g = scene.Graph(0);
  const CRect box = g->GetScaleBox(0, 0);
  SetPrinterOutputFolder(dir.c_str());
  DialogAutomation::CommonAnswer ok;
  ok.ok = true;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, ok);
  scene.Press(ID_FILE_PRINT);
  SetPrinterOutputFolder(nullptr);
  UiAutomation::Click(g->m_hWnd, box.CenterPoint());
  EXPECT_DOUBLE_EQ(scene.m_scope.m_curves.GetAt(1)->m_dOscScale, 0.5);
  scene.m_scope.SetModifiedFlag(FALSE);
}

TEST(PlotWindows, ExportsAndPrintsFromTheMenu) {
  const std::string dir = ScratchDir("plot-windows");
  PlotScene scene;
  scene.AddChild(PlotScene::kTwoPlots, CRect(10, 10, 420, 280));
  UiAutomation::MouseMove(scene.Graph(0)->m_hWnd, CPoint(5, 5));
  DialogAutomation::PushFileDialogResult((dir + "/plot.txt").c_str());
  scene.Press(ID_PLOT_EXPORT_ASCII);
  const std::string text = ReadFileText(dir + "/plot.txt");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "0.0000000e+000\t0.0000000e+000");
  EXPECT_EQ(0, scene.PixelsOff());
  DialogAutomation::PushFileDialogResult((dir + "/plot.wmf").c_str());
  scene.Press(ID_PLOT_EXPORT_WMF);
  EXPECT_GT(fs::file_size(dir + "/plot.wmf"), 100u);
  EXPECT_EQ(0, scene.PixelsOff());
  EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_ARROW));
  DialogAutomation::PushFileDialogResult(nullptr);
  scene.Press(ID_PLOT_EXPORT_WMF);
  EXPECT_EQ(0, scene.PixelsOff());
  // The host's File Print: the print dialog answered with OK.
  SetPrinterOutputFolder(dir.c_str());
  DialogAutomation::CommonAnswer ok;
  ok.ok = true;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, ok);
  const CString before = AfxGetLastPrintFileName();
  scene.Press(ID_FILE_PRINT);
  EXPECT_NE(AfxGetLastPrintFileName(), before);
  EXPECT_TRUE(fs::exists(AfxGetLastPrintFileName().GetString()));
  EXPECT_EQ(0, scene.PixelsOff());
  // File Print Preview from the host's menu draws the page as a picture.
  AfxSetPreviewFolder(dir.c_str());
  ::PostMessage(scene.MainWnd(), WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  UiAutomation::Pump();
  AfxSetPreviewFolder(nullptr);
  EXPECT_EQ(AfxGetLastPreviewImages().size(), 1u);
  EXPECT_EQ(0, scene.PixelsOff());
}

// The set-up sheet from the toolbar: the first plot's only curve removed by its button, OK leaves the
// second plot alone in the view.
TEST(PlotWindows, SetupSheetRemovesAPlotsCurve) {
  PlotScene scene;
  scene.AddChild(PlotScene::kTwoPlots, CRect(10, 10, 420, 280));
  bool ran = false;
  UiAutomation::AddModalLoopHandler("COptionsSheet", [&](CWnd* sheet) {
    ran = true;
    CWnd* page = static_cast<CPropertySheet*>(sheet)->GetActivePage();
    auto* rows = static_cast<CListBox*>(page->GetDlgItem(14003));
    CRect first;
    rows->GetItemRect(0, &first);
    UiAutomation::Click(rows->m_hWnd, first.CenterPoint());
    DialogAutomation::ClickControl(page, 14005);
    DialogAutomation::ClickControl(sheet, IDOK);
  });
  scene.Press(ID_PLOT_SETUP);
  ASSERT_TRUE(ran);
  EXPECT_EQ(scene.m_plots.m_graph.GetAt(0)->GetSize(), 0);
  EXPECT_EQ(scene.Graph(0), nullptr);
  CRect view;
  scene.View()->GetClientRect(&view);
  EXPECT_EQ(RectInView(scene.View(), scene.Graph(1)), view);
  EXPECT_EQ(0, scene.PixelsOff());
  scene.m_plots.SetModifiedFlag(FALSE);
}

// A plot that must repaint while the mouse drags a band paints once the drag ends.
TEST(PlotWindows, PaintsHeldDuringADragComeAfterIt) {
  PlotScene scene;
  scene.AddChild(PlotScene::kTwoPlots, CRect(10, 10, 420, 280));
  CGraphWindow* g = scene.Graph(0);
  const CRect r = g->GetDrawingRect();
  PostMouseInput(g->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{r.left + 5, r.top + 5});
  UiAutomation::MouseMove(g->m_hWnd, CPoint(r.left + 40, r.top + 40));
  scene.m_plots.m_graph.GetAt(0)->GetAt(0)->m_crColor = RGB(255, 0, 0);
  scene.m_plots.UpdateAllViews(nullptr, CGraphViewerDoc::kHintValues);
  PostMouseInput(g->m_hWnd, WM_LBUTTONUP, 0, POINT{r.left + 60, r.top + 60});
  UiAutomation::Pump();
  EXPECT_FALSE(g->IsEmptyZoomStack());
  EXPECT_EQ(0, scene.PixelsOff());
}

// A band zooms a plot with its scale and one in the compact layout of a small window alike, and a
// double click goes back; the second plot's spline runs on beyond the zoomed view. A curve two
// pixels wide in the compact layout reaches onto the frame.
TEST(PlotWindows, ZoomedPlotsOfEverySizeMatchAFullRepaint) {
  for (const CRect& child : {CRect(10, 10, 420, 280), CRect(10, 10, 300, 220), CRect(10, 10, 818, 138)})
    for (int plot : {0, 1}) {
      PlotScene scene;
      const bool wide = child.Width() > 800;
      for (int i = 0; wide && i < 2; ++i)
        for (int j = 0; j < scene.m_plots.m_graph.GetAt(i)->GetSize(); ++j)
          scene.m_plots.m_graph.GetAt(i)->GetAt(j)->m_nWidth = 2;
      scene.AddChild(PlotScene::kTwoPlots, child);
      CGraphWindow* g = scene.Graph(plot);
      const CRect r = g->GetDrawingRect();
      CRect c;
      g->GetClientRect(&c);
      if (wide) {
        EXPECT_EQ(c.Size(), CSize(398, 97));
      }
      const CPoint from(r.left + 44, r.bottom - std::min(46, r.Height() / 3));
      UiAutomation::Drag(g->m_hWnd, from, CPoint(r.right - 6, r.top + 4));
      EXPECT_FALSE(g->IsEmptyZoomStack());
      EXPECT_EQ(0, scene.PixelsOff()) << r.left << " " << plot;
      UiAutomation::AdvanceClock(1000);
      // Near the left edge: the widest child reaches past the frame's right side.
      UiAutomation::DoubleClick(g->m_hWnd, CPoint(r.left + 20, r.CenterPoint().y));
      EXPECT_TRUE(g->IsEmptyZoomStack());
      EXPECT_EQ(0, scene.PixelsOff()) << r.left << " " << plot << " back";
    }
}

// The scope's persist field turns on and off under the mouse, its panel shows it, wherever the button
// comes up; a cursor dragged lands on a tenth of a division.
TEST(PlotWindows, ThePersistFieldAndTheCursorsFollowTheMouse) {
  PlotScene scene;
  scene.AddChild(PlotScene::kScope, CRect(10, 10, 460, 300));
  CGraphWindow* g = scene.Graph(0);
  const CRect box = g->GetPersistBox();
  ASSERT_FALSE(box.IsRectEmpty());
  auto field = [&] {
    std::vector<COLORREF> px;
    for (int y = box.top; y < box.bottom; ++y)
      for (int x = box.left; x < box.right; ++x) px.push_back(GetWindowPixel(g->m_hWnd, CPoint(x, y)));
    return px;
  };
  const std::vector<COLORREF> off = field();
  for (bool on : {true, false}) {
    UiAutomation::Click(g->m_hWnd, box.CenterPoint());
    UiAutomation::AdvanceClock(1000);
    EXPECT_EQ(0, scene.PixelsOff()) << on;
    EXPECT_EQ(field() != off, on);
  }
  // The flag turns on the press: a button that comes up off the field, beside it or in the plot,
  // leaves the field showing the new state.
  for (const CPoint to : {CPoint(box.right + 2, box.bottom + 30), g->GetDrawingRect().CenterPoint()}) {
    UiAutomation::Drag(g->m_hWnd, box.CenterPoint(), to);
    UiAutomation::AdvanceClock(1000);
    EXPECT_EQ(0, scene.PixelsOff()) << to.x;
  }
  const int mid = g->GetDrawingRect().CenterPoint().y;
  UiAutomation::Drag(g->m_hWnd, CPoint(g->MapX(1.0), mid), CPoint(g->MapX(2.96), mid));
  EXPECT_DOUBLE_EQ(scene.m_scope.m_graph.GetAt(0)->m_markers[1], 3.0);
  EXPECT_EQ(0, scene.PixelsOff());
}

// The options sheet from the menu: the colour and pen-style combos are chosen by keys, the sheet's
// picture holds, OK restyles the curve and the plot shows it.
TEST(PlotWindows, OptionsSheetCombosRestyleTheCurve) {
  PlotScene scene;
  scene.AddChild(PlotScene::kTwoPlots, CRect(10, 10, 420, 280));
  CXYCurve* curve = scene.m_plots.m_graph.GetAt(0)->GetAt(0);
  const COLORREF before = curve->m_crColor;
  COLORREF chosen = 0;
  int sheetOff = -1;
  HWND focusAfterTab = nullptr;
  bool ran = false;
  UiAutomation::AddModalLoopHandler("CExtrasSheet", [&](CWnd* sheet) {
    ran = true;
    CWnd* page = static_cast<CPropertySheet*>(sheet)->GetActivePage();
    // Tab from the sheet's buttons reaches the page's controls.
    for (int i = 0; i < 16 && ::GetFocus() != sheet->GetDlgItem(IDOK)->m_hWnd; ++i) UiAutomation::PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), sheet->GetDlgItem(IDOK)->m_hWnd);
    for (int i = 0; i < 4 && !::IsChild(page->m_hWnd, ::GetFocus()); ++i) {
      UiAutomation::PressKey(VK_TAB);
    }
    focusAfterTab = ::IsChild(page->m_hWnd, ::GetFocus()) ? ::GetFocus() : nullptr;
    auto* color = static_cast<CColorCombo*>(page->GetDlgItem(14006));
    const auto tabTo = [](HWND to) {
      for (int i = 0; i < 12 && ::GetFocus() != to; ++i) UiAutomation::PressKey(VK_TAB);
      EXPECT_EQ(::GetFocus(), to);
    };
    tabTo(color->m_hWnd);
    UiAutomation::PressKey(VK_DOWN);
    chosen = color->GetSelectedColor();
    tabTo(page->GetDlgItem(14007)->m_hWnd);
    UiAutomation::PressKey(VK_DOWN);
    sheetOff = PixelsOffFullRepaint(sheet->m_hWnd);
    DialogAutomation::ClickControl(sheet, IDOK);
  });
  scene.Press(ID_PLOT_OPTIONS);
  ASSERT_TRUE(ran);
  EXPECT_NE(focusAfterTab, nullptr);
  EXPECT_EQ(sheetOff, 0);
  EXPECT_NE(chosen, before);
  EXPECT_EQ(curve->m_crColor, chosen);
  EXPECT_EQ(curve->m_nPenStyle, 1);
  EXPECT_EQ(0, scene.PixelsOff());
  const CRect r = scene.Graph(0)->GetDrawingRect();
  int shown = 0;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y) shown += GetWindowPixel(scene.Graph(0)->m_hWnd, CPoint(x, y)) == chosen;
  EXPECT_GT(shown, 20);
  scene.m_plots.SetModifiedFlag(FALSE);
}

// A step of use: ops below kWindowOps are the window operations of MdiScene up to its keys (d = b / 2),
// then a toolbar button, a band dragged, a mouse move, a scale box clicked, the persist field clicked,
// a double click (back to the previous zoom), samples arriving as an upload brings them, and the active
// child sized by its corner to one of the sizes from tiny to large.
constexpr int kWindowOps = kKey + 1, kPlotOps = 11;
struct UseStep {
  int op, a, b, c;
};
// The state a walk starts in: the curves' pen width, and how many samples have arrived (0: all).
struct UseStart {
  int width = 1, samples = 0;
};

std::string Describe(const std::vector<UseStep>& steps) {
  std::string out;
  for (const UseStep& s : steps)
    out += "{" + std::to_string(s.op) + "," + std::to_string(s.a) + "," + std::to_string(s.b) + "," +
           std::to_string(s.c) + "},";
  return out;
}

}  // namespace

class CGraphWindowTestAccess {
 public:
  static bool Persists(const CGraphWindow& g) { return g.m_bPersist != 0; }
};

namespace {

// Turned off by a double click with Alt, Shift and Ctrl, the persist field takes no click where it was.
TEST(PlotWindows, AHiddenPersistFieldTakesNoClick) {
  PlotScene scene;
  scene.AddChild(PlotScene::kScope, CRect(10, 10, 460, 300));
  CGraphWindow* g = scene.Graph(0);
  const CRect box = g->GetPersistBox();
  ASSERT_FALSE(box.IsRectEmpty());
  UiAutomation::DoubleClick(g->m_hWnd, g->GetDrawingRect().CenterPoint(),
                            UiAutomation::kAlt | UiAutomation::kShift | UiAutomation::kControl);
  UiAutomation::AdvanceClock(1000);
  EXPECT_TRUE(g->GetPersistBox().IsRectEmpty());
  UiAutomation::Click(g->m_hWnd, box.CenterPoint());
  UiAutomation::AdvanceClock(1000);
  EXPECT_FALSE(CGraphWindowTestAccess::Persists(*g));
  EXPECT_EQ(0, scene.PixelsOff());
}

// One more sample of every curve, told to the plots as a logger view tells them. A scope that
// persists keeps its old traces, which no repaint draws: the walk sends it no samples.
void ArriveSample(PlotScene& scene) {
  for (CGraphViewerDoc* d : {&scene.m_plots, &scene.m_scope}) {
    bool persists = false;
    for (POSITION pos = d->GetFirstViewPosition(); pos;)
      if (auto* v = dynamic_cast<CGraphView*>(d->GetNextView(pos)))
        for (int i = 0; i < 4; ++i)
          if (CGraphWindow* g = v->GetGraphWindow(i)) persists |= CGraphWindowTestAccess::Persists(*g);
    if (persists) continue;
    bool arrived = false;
    for (int i = 0; i < d->m_curves.GetSize(); ++i) {
      CCurve* c = d->m_curves.GetAt(i);
      const int k = c->GetUpperValid() + 1;
      if (k < c->GetSize()) c->SetAt(k, c->GetAt(k)), arrived = true;
    }
    for (POSITION pos = arrived ? d->GetFirstViewPosition() : nullptr; pos;)
      if (auto* v = dynamic_cast<CGraphView*>(d->GetNextView(pos)))
        for (int i = 0; i < 4; ++i)
          if (CGraphWindow* g = v->GetGraphWindow(i)) g->UpdateLastPoint();
  }
}

void Apply(PlotScene& scene, const UseStep& s) {
  CGraphWindow* g = scene.Graph(s.a % 2) ? scene.Graph(s.a % 2) : scene.Graph(0);
  const CRect r = g ? g->GetDrawingRect() : CRect();
  const int w = std::max(1, r.Width()), h = std::max(1, r.Height());
  const CPoint p(r.left + s.b % w, r.top + s.c % h);
  const int op = s.op - kWindowOps;
  if (op < 0) {
    const bool full = s.op == kCreate && scene.Children().size() >= 3;
    Apply(scene, MdiStep{full ? kArrange : (MdiOp)s.op, s.a, s.b, s.c, s.b / 2});
  } else if (op < 3) {
    scene.Press(PlotScene::kButtons[4 + (size_t)(s.b % 6)]);
  } else if (op < 5 && g) {
    UiAutomation::Drag(g->m_hWnd, p, CPoint(r.left + s.c % w, r.top + s.b % h));
  } else if (op < 6 && g) {
    UiAutomation::MouseMove(g->m_hWnd, p);
  } else if (op < 8 && g) {
    // A box drawn beyond the window's edge cannot be clicked.
    const CRect box = op == 6 ? g->GetScaleBox(0, s.a % 2) : g->GetPersistBox();
    CRect client;
    g->GetClientRect(&client);
    UiAutomation::Click(g->m_hWnd, client.PtInRect(box.CenterPoint()) ? box.CenterPoint() : p);
    UiAutomation::AdvanceClock(1000);
  } else if (op == 8 && g) {
    UiAutomation::DoubleClick(g->m_hWnd, p);
    UiAutomation::AdvanceClock(1000);
  } else if (op == 9) {
    for (int n = 0; n <= s.b % 4; ++n) ArriveSample(scene);
  } else if (op == 10 && scene.m_main->MDIGetActive()) {
    static const CSize kSizes[] = {{40, 40}, {90, 70}, {160, 110}, {300, 140}, {420, 280}, {470, 330}};
    CWnd* child = scene.m_main->MDIGetActive();
    const CSize size = kSizes[(size_t)s.b % std::size(kSizes)];
    CRect at;
    child->GetWindowRect(&at);
    CPoint from(at.right - 2, at.bottom - 2), to(at.left + size.cx - 2, at.top + size.cy - 2);
    child->ScreenToClient(&from);
    child->ScreenToClient(&to);
    UiAutomation::Drag(child->m_hWnd, from, to);
  }
}

// The number of the first step whose picture differs from a full repaint, -1 when none does.
int FirstStale(const std::vector<UseStep>& steps, UseStart start = {}) {
  PlotScene scene;
  for (CGraphViewerDoc* d : {&scene.m_plots, &scene.m_scope}) {
    for (int i = 0; start.samples && i < d->m_curves.GetSize(); ++i) d->m_curves.GetAt(i)->SetUpperValid(start.samples);
    for (int i = 0; i < d->m_graph.GetSize(); ++i) {
      CGraphFilter* plot = d->m_graph.GetAt(i);
      // Arriving samples are drawn as straight segments: a live spline waits for the next repaint.
      for (int j = 0; j < plot->GetSize(); ++j) {
        plot->GetAt(j)->m_nWidth = start.width;
        if (start.samples) plot->GetAt(j)->m_nDrawMode = CXYCurve::drawLines;
      }
      plot->ComputeLimits();
    }
  }
  scene.AddChild(PlotScene::kTwoPlots, CRect(10, 10, 300, 220));
  int stale = -1;
  for (size_t i = 0; i < steps.size() && stale < 0; ++i) {
    Apply(scene, steps[i]);
    if (scene.PixelsOff() != 0) stale = (int)i;
  }
  scene.m_plots.SetModifiedFlag(FALSE);
  scene.m_scope.SetModifiedFlag(FALSE);
  return stale;
}

// Resized, maximized, covered and uncovered, the plots show what a full repaint shows; two uncover
// part of a dashed curve, whose dashes must run as in a whole repaint.
TEST(PlotWindows, ChildrenOverAndUnderOthersDrawAgain) {
  const std::vector<UseStep> cases[] = {
      {{kMove, 0, 20, 20}, {kMaximize, 0, 0, 0}, {kRestore, 0, 0, 0}},
      {{kCreate, 1, 60, 40}, {kActivate, 1, 0, 0}, {kMove, 1, 0, 0}, {kToTop, 1, 0, 0}},
      {{kCreate, 1, 100, 80}, {kMinimize, 0, 0, 0}, {kArrange, 0, 0, 0}},
      {{kFrameSize, 0, 200, 150}, {kCreate, 0, 10, 10}, {kClick, 0, 50, 50}},
      {{kWindowOps, 0, 116, 55}, {3, 0, 176, 110}, {3, 1, 195, 23}, {4, 3, 115, 37}, {3, 2, 11, 45}, {2, 2, 193, 116},
       {3, 2, 58, 100}, {1, 0, 63, 43}},
      {{2, 2, 172, 117}, {3, 3, 142, 72}, {7, 1, 118, 39}, {3, 0, 23, 86}, {3, 2, 77, 20}, {9, 1, 12, 37},
       {6, 2, 85, 76}, {0, 1, 46, 124}, {10, 2, 146, 83}, {2, 0, 103, 95}, {8, 3, 161, 97}},
      // Raised, a tiny plot repaints a column whose samples lie half a pixel beside it.
      {{2, 1, 159, 33}, {3, 2, 26, 88}, {3, 0, 161, 44}, {3, 0, 58, 126}, {11, 2, 194, 122}},
      // Plots stacked in a tiny child: too small to draw, they show the frame's face.
      {{1, 0, 0, 143}, {kWindowOps + 2, 0, 128, 146}},
      // Uncovered, a compact plot repaints the row its curves draw on below the plot area.
      {{2, 1, 178, 121}, {3, 2, 96, 108}, {3, 0, 11, 81}, {1, 3, 2, 68}, {11, 3, 74, 44}, {kWindowOps + 2, 1, 20, 148},
       {11, 3, 102, 115}, {1, 0, 6, 100}, {2, 0, 177, 101}},
  };
  for (const auto& steps : cases) EXPECT_EQ(FirstStale(steps), -1) << Describe(steps);
}

// Samples arriving in a plot shown in two windows (the dashes run on in each), in a plot whose curve
// reaches the drawing rectangle's far edge, and in a scope drawn with a wide pen.
TEST(PlotWindows, ArrivingSamplesDrawAsAFullRepaint) {
  const std::pair<UseStart, std::vector<UseStep>> cases[] = {
      {{1, 20}, {{kCreate, 0, 73, 79}, {kWindowOps + 9, 0, 35, 72}}},
      {{1, 20}, {{kMove, 2, 184, 66}, {kWindowOps + 9, 2, 196, 124}}},
      {{3, 20}, {{kCreate, 3, 80, 64}, {kWindowOps + 9, 3, 12, 43}}},
  };
  for (const auto& [start, steps] : cases) EXPECT_EQ(FirstStale(steps, start), -1) << Describe(steps);
}

// Zoomed twice, a curve of any pen width leaves nothing on the title box above the plot, which a
// zoom does not repaint, although the curve crossed the plot's top edge below it before.
TEST(PlotWindows, WideCurvesStayOffTheTitleBox) {
  const std::vector<UseStep> steps{{kArrange, 1, 30, 85}, {kWindowOps + 3, 2, 116, 146}, {kWindowOps + 3, 0, 118, 33}};
  for (int width = 1; width <= 6; ++width) EXPECT_EQ(FirstStale(steps, {width, 0}), -1) << width;
}

// Window operations mixed with what a user does on the plots, in curves of every pen width, with all
// samples there or arriving, each step's picture against a full repaint; a failing sequence found here
// is kept above as an explicit case.
TEST(PlotWindows, RandomUseMatchesAFullRepaint) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 86u);
  for (int round = 0; round < 8; ++round) {
    const UseStart start{1 + round % 4, round % 2 ? 0 : 20};
    std::vector<UseStep> steps;
    for (int i = 0; i < 25; ++i)
      steps.push_back(
          {(int)(rng() % (kWindowOps + kPlotOps)), (int)(rng() % 4), (int)(rng() % 200), (int)(rng() % 150)});
    const int stale = FirstStale(steps, start);
    if (stale < 0) continue;
    // Shrink to the steps that still leave a stale picture.
    steps.resize((size_t)stale + 1);
    for (size_t i = 0; i + 1 < steps.size();) {
      std::vector<UseStep> fewer = steps;
      fewer.erase(fewer.begin() + (long)i);
      if (FirstStale(fewer, start) >= 0) steps = fewer; else ++i;
    }
    ADD_FAILURE() << "width " << start.width << ", samples " << start.samples << ": " << Describe(steps);
  }
}

}  // namespace
