// Plot files shown as a host shows them: views in MDI children of a main frame with a status bar,
// commands posted to the frame as its menu posts them, mouse input posted to the plot windows.
#pragma once

#include "platform/core/Clock.h"
#include "platform/ui/ControlBar.h"
#include "plot/documents/GraphView.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/support/BarsScene.h"

#include <iterator>
#include <string>

namespace graphtest {

class PlotScene : public dravonix::test::BarsScene {
 public:
  // Two plots (the second with a right axis, dashes and a spline), or one oscilloscope plot with two
  // cursors.
  enum Kind { kTwoPlots, kScope, kKinds };

  PlotScene() : BarsScene(kButtons, (int)std::size(kButtons), ID_INDICATOR_POSITION) {
    for (CGraphViewerDoc* d : {&m_plots, &m_scope}) {
      d->m_bAutoDelete = FALSE;
      d->m_curves.Add(NewCurve("time", Ramp(60, 0.1), "s"));
      d->m_curves.Add(NewCurve("pos", Sine(60, 1, 2.5), "m"));
      d->m_curves.Add(NewCurve("vel", Sine(60, 2, 300), "m/s"));
    }
    auto* first = new CGraphFilter;
    first->m_strTitle = "Position";
    first->m_strLabel1 = "pos";
    Draw(first, 1, 1, RGB(255, 255, 0), 0, CXYCurve::drawLines);
    auto* second = new CGraphFilter;
    second->m_strLabel2 = "vel";
    Draw(second, 1, 1, RGB(0, 255, 255), PS_DASH, CXYCurve::drawLines);
    Draw(second, 2, 2, RGB(255, 0, 255), 0, CXYCurve::drawSpline);
    m_plots.m_graph.Add(first);
    m_plots.m_graph.Add(second);
    auto* scope = new CGraphFilter;
    scope->m_bOscMode = 1;
    scope->m_markers.Add(-2.0);
    scope->m_markers.Add(1.0);
    Draw(scope, 1, 1, RGB(255, 255, 0), 0, CXYCurve::drawLines);
    m_scope.m_graph.Add(scope);
    for (CGraphViewerDoc* d : {&m_plots, &m_scope}) {
      d->m_graph.SetSource(&d->m_curves, &d->m_units);
      for (int i = 0; i < d->m_graph.GetSize(); ++i) d->m_graph.GetAt(i)->ComputeLimits();
    }
  }
  ~PlotScene() override {
    // Before the documents go.
    m_app.m_pMainWnd = nullptr;
    Close();
  }

  HWND AddChild(int kind, const CRect& r) override {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CGraphView);
    // One window on the scope: a cursor dragged in one window of a plot leaves the others as they were.
    const bool scope = kind % kKinds == kScope && !m_scope.GetFirstViewPosition();
    ctx.m_pCurrentDoc = scope ? &m_scope : &m_plots;
    auto* child = new CMDIChildWnd;
    if (!child->Create(nullptr, "plot", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main, &ctx)) return nullptr;
    child->InitialUpdateFrame(ctx.m_pCurrentDoc, TRUE);
    UiAutomation::Pump();
    return child->m_hWnd;
  }

  // The active child's view and its plot windows.
  CGraphView* View() const {
    CMDIChildWnd* child = m_main->MDIGetActive();
    return child ? dynamic_cast<CGraphView*>(child->GetActiveView()) : nullptr;
  }
  CGraphWindow* Graph(int i) const { return View() ? View()->GetGraphWindow(i) : nullptr; }
  int PixelsOff() { return dravonix::test::PixelsOffFullRepaint(MainWnd()); }
  CString PositionPane() { return PaneText(); }

  static constexpr UINT kButtons[] = {ID_PLOT_OPTIONS,      ID_PLOT_SETUP,        ID_PLOT_EXPORT_ASCII,
                                      ID_PLOT_EXPORT_WMF,   ID_PLOT_ARRANGE_AUTO, ID_PLOT_ARRANGE_HORZ,
                                      ID_PLOT_ARRANGE_VERT, ID_PLOT_ZOOM_IN,      ID_PLOT_ZOOM_OUT,
                                      ID_PLOT_ZOOM_PREV,    ID_FILE_PRINT};
  CGraphViewerDoc m_plots, m_scope;

 private:
  static void Draw(CGraphFilter* plot, DWORD y, int axis, COLORREF color, int style, int mode) {
    auto* c = new CXYCurve;
    c->m_nXCurve = 0, c->m_nYCurve = y, c->m_nAxis = axis;
    c->m_crColor = color, c->m_nPenStyle = style, c->m_nDrawMode = mode;
    plot->Add(c);
  }
};

}  // namespace graphtest
