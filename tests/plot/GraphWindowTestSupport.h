// Plots and windows for the graph window tests: a curve list, a plot over it, and a parent that
// records what the graph window posts.
#pragma once

#include "kernel/params/MC_Units.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "plot/documents/GraphDocument.h"
#include "plot/graph/GraphWindow.h"

#include <cmath>
#include <memory>
#include <vector>

namespace graphtest {

inline CCurve* NewCurve(const char* name, const std::vector<double>& v, const char* unit = "") {
  CCurve* c = new CCurve;
  c->InitCurve(name, unit, unit, 0.0, 1.0, 1.0, 0.0, (int)v.size(), v.data());
  return c;
}

inline std::vector<double> Ramp(int n, double step = 1.0) {
  std::vector<double> v((size_t)n);
  for (int i = 0; i < n; ++i) v[(size_t)i] = i * step;
  return v;
}

inline std::vector<double> Sine(int n, double periods, double amplitude = 1.0) {
  std::vector<double> v((size_t)n);
  for (int i = 0; i < n; ++i) v[(size_t)i] = amplitude * std::sin(2 * M_PI * periods * i / (n - 1));
  return v;
}

// A white memory device context of the given size.
struct Canvas {
  CDC dc;
  CBitmap bm;
  Canvas(int w, int h) {
    CDC screen;
    screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    dc.CreateCompatibleDC(&screen);
    bm.CreateCompatibleBitmap(&screen, w, h);
    dc.SelectObject(&bm);
    dc.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
  }
  int Lit(int x0, int y0, int x1, int y1, COLORREF c) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) n += dc.GetPixel(x, y) == c;
    return n;
  }
};

// A logger's document for the options sheets: time, position and speed over one plot.
struct SheetDoc {
  CCurveArray list;
  CMC_Units units;
  CGraphDocument doc{"Logger"};
  CGraphFilter* plot = new CGraphFilter;
  SheetDoc() {
    units.Initialize(nullptr);
    list.Add(NewCurve("time", Ramp(5), "s"));
    list.Add(NewCurve("pos", Ramp(5), "m"));
    list.Add(NewCurve("speed", Ramp(5), "m/s"));
    doc.Add(plot);
    doc.SetSource(&list, &units);
  }
  CXYCurve* Draw(int x, int y, int side, const char* yUnit = "mm") {
    auto* c = new CXYCurve;
    c->m_nXCurve = (DWORD)x, c->m_nYCurve = (DWORD)y, c->m_nAxis = side, c->m_strYUnit = yUnit, c->m_strXUnit = "s";
    plot->Add(c);
    return c;
  }
};

// A plot over its own curve list.
struct Plot {
  CCurveArray list;
  CGraphFilter plot;
  Plot() { plot.m_pSource = &list; }
  int AddCurve(const char* name, const std::vector<double>& v, const char* unit = "") {
    return list.Add(NewCurve(name, v, unit));
  }
  CXYCurve* Draw(int x, int y, int axis = 1, COLORREF color = RGB(255, 255, 0), int style = 0, int width = 1) {
    CXYCurve* c = new CXYCurve;
    c->m_nXCurve = (DWORD)x, c->m_nYCurve = (DWORD)y, c->m_nAxis = axis;
    c->m_crColor = color, c->m_nPenStyle = style, c->m_nWidth = width;
    plot.Add(c);
    plot.ComputeAxis();
    plot.ComputeLimits();
    return c;
  }
};

// A top-level parent that keeps the graph window's notifications.
class CRecordingParent : public CWnd {
 public:
  struct Note {
    UINT msg;
    WPARAM id;
    LPARAM l;
  };
  std::vector<Note> notes;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg >= CGraphWindow::m_WMGraphCursorMove && msg <= CGraphWindow::m_WMGraphOscScaleChange)
      notes.push_back({msg, w, l});
    return CWnd::WindowProc(msg, w, l);
  }
};

// A graph window of the given client size on a recording parent.
struct Host {
  CRecordingParent parent;
  CGraphWindow graph;
  Host(CGraphFilter* plot, int w, int h, int style = 2) : graph(style, 0) {
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, w, h), nullptr, 0);
    graph.Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, w, h), &parent, 14000, plot);
    UiAutomation::Pump();
  }
  ~Host() {
    graph.DestroyWindow();
    parent.DestroyWindow();
  }
  COLORREF Pixel(int x, int y) { return GetWindowPixel(graph.m_hWnd, POINT{x, y}); }
};

}  // namespace graphtest
