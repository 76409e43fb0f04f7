// An application frame's MDI children holding a grid, a plot and a text view: whatever a raise, a
// restore or a move uncovers is drawn again, frames and children included.
#include "editor/documents/TextFileDoc.h"
#include "editor/documents/TextFileView.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Menu.h"
#include "plot/documents/GraphView.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/support/BarPresses.h"
#include "tests/support/MdiScene.h"
#include "tests/support/PostedGestures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

using namespace dravonix::test;

namespace {

class CGridDoc : public CDocument {};

// An application's main frame: it clips its children, as the framework makes it.
class ViewScene : public MdiScene {
 public:
  enum Kind { kGrid, kPlot, kText, kKinds };
  ViewScene() : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE) {
    GXStartGridLibrary();
    for (CDocument* d : {(CDocument*)&m_grid, (CDocument*)&m_plot, (CDocument*)&m_text}) d->m_bAutoDelete = FALSE;
    m_plot.m_curves.Add(graphtest::NewCurve("time", graphtest::Ramp(50, 0.1), "s"));
    m_plot.m_curves.Add(graphtest::NewCurve("pos", graphtest::Sine(50, 1), "m"));
    auto* p = new CGraphFilter;
    auto* c = new CXYCurve;
    c->m_nXCurve = 0, c->m_nYCurve = 1, c->m_crColor = RGB(255, 255, 0);
    p->Add(c);
    m_plot.m_graph.Add(p);
    m_plot.m_graph.SetSource(&m_plot.m_curves, &m_plot.m_units);
    p->ComputeLimits();
    m_text.OnNewDocument();
    for (const char* line : {"x = 1", "goto start", "; a comment line", "y = x * 2"}) m_text.InsertLineAtEnd(line);
  }
  ~ViewScene() override { Close(); }
  HWND AddChild(int kind, const CRect& r) override {
    static CRuntimeClass* const classes[kKinds] = {RUNTIME_CLASS(CGXGridView), RUNTIME_CLASS(CGraphView),
                                                   RUNTIME_CLASS(CTextFileView)};
    CDocument* docs[kKinds] = {&m_grid, &m_plot, &m_text};
    CCreateContext ctx;
    ctx.m_pNewViewClass = classes[kind % kKinds];
    ctx.m_pCurrentDoc = docs[kind % kKinds];
    auto* child = new CMDIChildWnd;
    if (!child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main, &ctx)) return nullptr;
    child->InitialUpdateFrame(ctx.m_pCurrentDoc, TRUE);
    if (auto* grid = dynamic_cast<CGXGridView*>(child->GetActiveView())) {
      grid->GetParam()->GetData()->SetRowCount(30);
      grid->GetParam()->GetData()->SetColCount(8);
      CGXStyle value;
      value.SetValue("12.5");
      grid->SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 1), &value);
      grid->Redraw();
    }
    UiAutomation::Pump();
    return child->m_hWnd;
  }

  CGridDoc m_grid;
  CGraphViewerDoc m_plot;
  struct : CTextFileDoc {
  } m_text;
};

using K = ViewScene::Kind;

// Two and three overlapping children of each kind, brought forward, restored, moved.
TEST(MdiPicture, UncoveredChildrenAndFramesDrawAgain) {
  const std::vector<MdiStep> cases[] = {
      {{kFrameMin, 0, 0, 0, 0}, {kFrameRestore, 0, 0, 0, 0}},
      {{kCreate, K::kPlot, 60, 40, 90}, {kActivate, 1, 0, 0, 0}},
      {{kCreate, K::kText, 60, 40, 90}, {kToTop, 1, 0, 0, 0}},
      {{kCreate, K::kGrid, 60, 40, 90}, {kCreate, K::kPlot, 110, 80, 60}, {kBringToTop, 2, 0, 0, 0}},
      {{kCreate, K::kText, 60, 40, 90}, {kCreate, K::kGrid, 110, 80, 60}, {kNext, 0, 0, 0, 0}, {kNext, 0, 0, 0, 0}},
      {{kCreate, K::kPlot, 60, 40, 90}, {kCreate, K::kText, 110, 80, 60}, {kClick, 2, 0, 0, 0}},
      {{kCreate, K::kGrid, 60, 40, 90}, {kMaximize, 1, 0, 0, 0}, {kActivate, 1, 0, 0, 0}},
      // Ctrl+F6 and Ctrl+Shift+F6 through maximized children, Ctrl+F4 and a close on a maximized one, a
      // frame sized while it is an icon.
      {{kCreate, K::kPlot, 60, 40, 90}, {kMaximize, 0, 0, 0, 0}, {kKey, 0, 0, 0, 0}, {kKey, 0, 1, 0, 0}},
      {{kCreate, K::kText, 60, 40, 90}, {kCreate, K::kPlot, 110, 80, 60}, {kMaximize, 0, 0, 0, 0},
       {kKey, 0, 2, 0, 0}, {kDestroy, 0, 0, 0, 0}},
      {{kFrameMin, 0, 0, 0, 0}, {kFrameSize, 0, 40, 30, 0}, {kFrameRestore, 0, 0, 0, 0}},
      // A maximized child as the frame grows and shrinks.
      {{kMaximize, 0, 0, 0, 0}, {kFrameSize, 0, 190, 150, 0}, {kFrameSize, 0, 20, 10, 0}},
      // Sequences the random test below found, shortened.
      {{kCreate, K::kPlot, 102, 16, 97}, {kCreate, K::kGrid, 182, 108, 33}, {kMinimize, 3, 0, 0, 0}},
      {{kCreate, K::kGrid, 101, 130, 58}, {kCreate, K::kPlot, 12, 61, 50}, {kMove, 0, 177, 124, 94},
       {kMaximize, 1, 27, 133, 97}},
      {{kCreate, K::kPlot, 129, 106, 22}, {kCreate, K::kText, 148, 88, 43}, {kCreate, K::kPlot, 70, 5, 99},
       {kCreate, K::kGrid, 3, 33, 82}, {kMove, 3, 42, 102, 82}},
      {{kCreate, K::kPlot, 9, 128, 48}, {kClick, 1, 70, 41, 67}, {kCreate, K::kGrid, 43, 105, 15},
       {kMove, 2, 168, 32, 36}, {kCreate, K::kText, 123, 109, 59}, {kDestroy, 0, 165, 139, 63}},
      // A second text window on the same text takes the focus from the one showing its selection.
      {{kCreate, K::kText, 7, 74, 64}, {kNext, 3, 195, 33, 19}, {kCreate, K::kGrid, 12, 3, 74}, {kDestroy, 1, 0, 0, 0},
       {kFrameMin, 0, 0, 0, 0}, {kFrameSize, 3, 13, 54, 66}, {kDestroy, 0, 0, 0, 0}, {kClick, 3, 120, 46, 97},
       {kFrameMin, 0, 0, 0, 0}, {kCreate, K::kText, 173, 3, 53}, {kFrameRestore, 0, 0, 0, 0}},
      // The only child hidden leaves none active.
      {{kClick, 1, 82, 105, 36}, {kActivate, 2, 153, 87, 68}, {kShowHide, 3, 4, 118, 38}},
      // Scrolls move only what the scrolled view shows: a grid behind a plot and a text by its bar and keys,
      // maximized views in a small frame by the bar and the wheel.
      {{kCreate, K::kPlot, 60, 40, 90}, {kCreate, K::kText, 110, 80, 60}, {kScrollKey, 2, 0, 0, 0},
       {kScrollBar, 2, 0, 0, 0}, {kScrollBar, 2, 2, 0, 0}, {kWheel, 2, 1, 0, 0}},
      {{kMaximize, 0, 0, 0, 0}, {kFrameSize, 0, 64, 19, 0}, {kScrollBar, 0, 0, 0, 0}, {kScrollKey, 0, 1, 0, 0}},
      {{kDestroy, 0, 0, 0, 0}, {kCreate, K::kText, 57, 106, 45}, {kMaximize, 0, 0, 0, 0}, {kFrameSize, 0, 64, 19, 0},
       {kWheel, 0, 1, 0, 0}},
      // A click has a text window smaller than its bars draw them at once: overlapping, as a frame paint does.
      {{kCreate, K::kText, 0, 0, 0}, {kClick, 1, 0, 0, 0}},
      // Grids restored by a cascade from maximized draw their thumbs for the new size.
      {{kCreate, K::kGrid, 0, 0, 0}, {kFrameSize, 2, 145, 137, 0}, {kCreate, K::kPlot, 0, 0, 0},
       {kCreate, K::kGrid, 0, 0, 0}, {kFrameMin, 3, 0, 0, 0}, {kArrange, 0, 0, 0, 0}, {kActivate, 2, 0, 0, 0},
       {kMaximize, 1, 0, 0, 0}, {kMaximize, 3, 0, 0, 0}, {kMaximize, 1, 0, 0, 0}, {kFrameSize, 2, 0, 80, 0},
       {kCreate, K::kText, 0, 0, 0}, {kNext, 3, 0, 0, 0}, {kCreate, K::kText, 0, 0, 0}, {kArrange, 1, 0, 0, 0}},
  };
  for (const auto& steps : cases) {
    ViewScene scene;
    scene.AddChild(K::kGrid, CRect(10, 10, 200, 150));
    ExpectPicturesHold(scene, steps);
  }
}

// A raise, a show or a click makes a child the active one, past hidden ones: its view hears it, the
// frame's title follows and Ctrl+F4 closes it, not the one behind.
TEST(MdiPicture, RaisedShownOrClickedChildBecomesActive) {
  enum { kToTopQuietly = kMdiOps + 1, kFocusView };
  const struct {
    std::vector<std::pair<int, char>> steps;  // kKey: 'F' Ctrl+F6, 'S' Ctrl+Shift+F6, 'X' Ctrl+F4
    char active;                              // '-' none
  } cases[] = {
      {{{kBringToTop, 'a'}}, 'a'},
      {{{kToTop, 'a'}}, 'a'},
      {{{kToTopQuietly, 'a'}}, 'c'},
      {{{kClick, 'a'}}, 'a'},
      {{{kClick, 'b'}}, 'b'},
      {{{kFocusView, 'a'}, {kClick, 'a'}}, 'a'},
      {{{kShowHide, 'a'}, {kShowHide, 'a'}}, 'a'},
      {{{kShowHide, 'a'}, {kRestore, 'a'}}, 'a'},
      {{{kShowHide, 'a'}, {kMaximize, 'a'}}, 'a'},
      {{{kShowHide, 'b'}, {kNext, '-'}}, 'a'},
      {{{kShowHide, 'b'}, {kKey, 'F'}}, 'a'},
      {{{kShowHide, 'a'}, {kKey, 'S'}}, 'b'},
      {{{kShowHide, 'b'}, {kKey, 'X'}}, 'a'},
      {{{kShowHide, 'c'}}, 'b'},
      {{{kShowHide, 'a'}, {kShowHide, 'b'}, {kShowHide, 'c'}}, '-'},
      {{{kMaximize, 'c'}, {kShowHide, 'a'}, {kShowHide, 'b'}, {kShowHide, 'c'}, {kMaximize, 'c'}}, 'c'},
  };
  for (const auto& t : cases) {
    ViewScene scene;
    scene.m_text.SetTitle("notes");
    scene.m_grid.SetTitle("table");
    std::map<char, HWND> kids;
    const struct {
      char name;
      int kind;
    } made[] = {{'a', K::kText}, {'b', K::kGrid}, {'c', K::kText}};
    for (const auto& m : made) {
      const int i = m.name - 'a';
      kids[m.name] = scene.AddChild(m.kind, CRect(40 * i, 30 * i, 40 * i + 200, 30 * i + 150));
    }
    std::string seen;
    for (const auto& [op, on] : t.steps) {
      const std::vector<HWND> z = scene.Children();
      const int at = kids.count(on) ? (int)(std::find(z.begin(), z.end(), kids[on]) - z.begin()) : 0;
      seen += std::to_string(op) + on + " ";
      if (op == kToTopQuietly)
        ::SetWindowPos(kids[on], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      else if (op == kFocusView)
        ::SetFocus(::GetDlgItem(kids[on], AFX_IDW_PANE_FIRST));
      else
        Apply(scene, MdiStep{(MdiOp)op, at, on == 'S' ? 1 : on == 'X' ? 2 : 0, 0, 0});
      UiAutomation::Pump();
      EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd())) << seen;
    }
    CMDIChildWnd* a = scene.m_main->MDIGetActive();
    char active = '-';
    for (const auto& [n, h] : kids) active = a && a->m_hWnd == h ? n : active;
    EXPECT_EQ(t.active, active) << seen;
    EXPECT_TRUE(!a || a->IsWindowVisible()) << seen;
    CString title;
    scene.m_main->GetWindowText(title);
    // A maximized child shows in brackets, with its own title.
    CString own;
    if (a) a->GetWindowText(own);
    const std::string doc = active == 'b' ? "table" : "notes";
    const std::string want = !a ? "main" : ::IsZoomed(a->m_hWnd) ? "main - [" + std::string(own) + "]" : "main - " + doc;
    EXPECT_EQ(want, std::string(title)) << seen;
    // The text's active view is the active child's, none while the grid's child is active or none is.
    EXPECT_EQ(scene.m_text.m_pActiveView, a && active != 'b' ? a->GetActiveView() : nullptr) << seen;
    // Ctrl+F4 closes the active child and only that one.
    std::map<char, bool> open;
    for (const auto& [n, h] : kids) open[n] = ::IsWindow(h);
    UiAutomation::PressKey(VK_F4, UiAutomation::kControl);
    std::string closed;
    for (const auto& [n, h] : kids) closed += open[n] && !::IsWindow(h) ? std::string(1, n) : "";
    EXPECT_EQ(t.active == '-' ? "" : std::string(1, t.active), closed) << seen;
    EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd())) << seen;
  }
}

// Presses on the own bars of a grid and a text view, each in an MDI child half covered by the other.
TEST(MdiPicture, PressesOnAViewsBarsScrollIt) {
  // Rows and columns from 1 for the grid (a page of 9 rows), lines and columns from 0 for the text.
  const std::vector<BarPressRow> grid = {
      {kDownArrow, "de", 2},    {kPageBelow, "De", 11},    {kThumbDown, "tttpe", 19}, {kPageAbove, "Ue", 10},
      {kUpArrow, "ue", 9},      {kHeldDown, "ddddde", 14}, {kDisabledUp, "", 14},     {kRightArrow, "de", 2},
      {kPageRight, "De", 3},    {kThumbRight, "tpe", 4},   {kPageLeft, "Ue", 3},      {kLeftArrow, "ue", 2}};
  const std::vector<BarPressRow> text = {
      {kDownArrow, "de", 1},     {kPageBelow, "De", 11},    {kThumbDown, "tttpe", 28},   {kPageAbove, "Ue", 18},
      {kUpArrow, "ue", 17},      {kHeldDown, "ddddde", 22}, {kDisabledUp, "", 22},       {kRightArrow, "de", 1},
      {kPageRight, "De", 33},    {kThumbRight, "tttpe", 2696}, {kPageLeft, "Ue", 2664}, {kLeftArrow, "ue", 2663}};
  for (int kind : {K::kGrid, K::kText}) {
    ViewScene scene;
    for (int i = 0; i < 60; ++i) scene.m_text.InsertLineAtEnd("a line of the text long enough to scroll sideways too");
    HWND child = scene.AddChild(kind, CRect(10, 10, 260, 200));
    scene.AddChild(K::kPlot, CRect(40, 50, 170, 150));
    const HWND view = ::GetTopWindow(child);
    ExpectBarPresses(view, kind == K::kGrid ? grid : text, kind == K::kGrid ? "grid" : "text");
    // Keys scroll them too, from a place clicked in the part the other child leaves.
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(view, POINT{40, 12});
    std::vector<UINT> keys(12, VK_DOWN);
    keys.insert(keys.end(), {VK_NEXT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_PRIOR, VK_UP});
    ExpectKeyPictures(view, keys, kind == K::kGrid ? "grid" : "text");
  }
}

TEST(MdiPicture, RandomWindowOperationsMatchAFullRepaint) { RunRandomSteps<ViewScene>(122, 5, 30, 3); }

// What reaches the main frame of the messages a default may make.
std::vector<std::pair<UINT, LPARAM>> g_mainSeen;
WNDPROC g_mainProc = nullptr;
LRESULT MainRecorder(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_CONTEXTMENU || m == WM_CLOSE) g_mainSeen.emplace_back(m, l);
  return CallWindowProc(g_mainProc, h, m, w, l);
}

// In each kind of view a right click, the context-menu keys and Alt+F4 reach what they ask for: the
// text view's own menu and its command, else the main frame's context menu at the point or at none
// (-1), and the main frame's close.
TEST(MdiPicture, ContextMenuInputAndAltF4ReachTheViewsAndTheMainFrame) {
  using G = Gesture;
  const struct Row {
    K kind;
    G in;
    UINT msg;  // at the main frame; 0: the text view's menu
    bool atPoint;
  } rows[] = {
      {K::kText, G::kRightClick, 0, true},          {K::kText, G::kApps, 0, false},
      {K::kGrid, G::kApps, WM_CONTEXTMENU, false},  {K::kGrid, G::kShiftF10, WM_CONTEXTMENU, false},
      {K::kPlot, G::kRightClick, WM_CONTEXTMENU, true}, {K::kPlot, G::kAltF4, WM_CLOSE, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << r.kind << ", input " << (int)r.in);
    ViewScene scene;
    auto* child = static_cast<CMDIChildWnd*>(CWnd::FromHandle(scene.AddChild(r.kind, CRect(10, 10, 300, 250))));
    CView* view = child->GetActiveView();
    ASSERT_TRUE(view);
    g_mainProc = (WNDPROC)::SetWindowLongPtr(scene.MainWnd(), GWLP_WNDPROC, (LONG_PTR)MainRecorder);
    // The click goes to the window under the point, as the plot's graph window is.
    POINT at{60, 40};
    view->ClientToScreen(&at);
    const POINT screen = at;
    HWND under = ::WindowFromPoint(at);
    ::ScreenToClient(under, &at);
    ::SetFocus(view->m_hWnd);
    UiAutomation::Pump();
    g_mainSeen.clear();
    MenuAutomation::Reset();
    MenuAutomation::PushMenuChoiceText("Toggle Bookmark");
    dravonix::test::PostGesture(r.in == G::kRightClick ? under : ::GetFocus(), r.in, at);
    UiAutomation::Pump();
    if (!r.msg) {
      const auto shown = MenuAutomation::ShownMenus();
      EXPECT_EQ(1u, shown.size());
      EXPECT_EQ(1, scene.m_text.GetEdit()->m_nBookmarks);
    } else {
      const LPARAM lp = r.msg != WM_CONTEXTMENU ? 0 : r.atPoint ? MAKELPARAM(screen.x, screen.y) : (LPARAM)-1;
      EXPECT_EQ(1, std::count(g_mainSeen.begin(), g_mainSeen.end(), std::make_pair(r.msg, lp)));
    }
    if (r.in == G::kAltF4) EXPECT_FALSE(::IsWindow(scene.MainWnd()));
    else ::SetWindowLongPtr(scene.MainWnd(), GWLP_WNDPROC, (LONG_PTR)g_mainProc);
  }
  MenuAutomation::Reset();
}

}  // namespace
