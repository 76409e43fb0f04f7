#include "examples/host/PlotSteps.h"

#include "platform/gdi/Printer.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/WindowPaint.h"
#include "plot/documents/GraphView.h"

#include <cmath>
#include <filesystem>
#include <vector>

namespace {

CCurve* MakeCurve(const char* name, const char* unit, const std::vector<double>& v) {
  auto* c = new CCurve;
  c->InitCurve(name, unit, unit, 0.0, 1.0, 1.0, 0.0, (int)v.size(), v.data());
  return c;
}

}  // namespace

bool ShowPlotFile(const std::string& outDir, std::string& detail) {
  namespace fs = std::filesystem;
  std::string tpt = outDir + "/plot." + gc_pszPlotFileExt;
  {
    CGraphViewerDoc doc;
    std::vector<double> t(400), pos(400), speed(400);
    for (int i = 0; i < 400; ++i) {
      t[(size_t)i] = i * 0.005;
      pos[(size_t)i] = std::sin(2 * M_PI * i / 200.0);
      speed[(size_t)i] = 2 * M_PI / (200 * 0.005) * std::cos(2 * M_PI * i / 200.0);
    }
    doc.m_curves.Add(MakeCurve("time", "s", t));
    doc.m_curves.Add(MakeCurve("position", "m", pos));
    doc.m_curves.Add(MakeCurve("speed", "m/s", speed));
    auto* plot = new CGraphFilter(nullptr, "Position and speed", "Position", "Speed");
    for (int y : {1, 2}) {
      auto* c = new CXYCurve;
      c->m_nXCurve = 0, c->m_nYCurve = (DWORD)y, c->m_nAxis = y;
      c->m_crColor = y == 1 ? RGB(255, 255, 0) : RGB(0, 255, 0);
      plot->Add(c);
    }
    doc.m_graph.Add(plot);
    doc.m_graph.SetSource(&doc.m_curves, &doc.m_units);
    if (!doc.OnSaveDocument(tpt.c_str())) {
      detail = "the plot file cannot be written";
      return false;
    }
  }
  auto* doc = new CGraphViewerDoc;
  doc->m_bAutoDelete = FALSE;
  if (!doc->OnOpenDocument(tpt.c_str()) || doc->m_graph.GetSize() != 1) {
    delete doc;
    detail = "the plot file does not open";
    return false;
  }
  CWnd frame;
  frame.CreateEx(0, AfxRegisterWndClass(0), "Plot", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, 0);
  auto* view = new CGraphView;
  view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 600), &frame, AFX_IDW_PANE_FIRST, nullptr);
  doc->AddView(view);
  view->OnInitialUpdate();
  PumpMessages();
  bool ok = view->GetGraphWindow(0) && SaveWindowImage(view, (outDir + "/plot.png").c_str());
  // The print dialog is answered as a user would: OK on the default printer.
  SetPrinterOutputFolder(outDir.c_str());
  DialogAutomation::CommonAnswer print;
  print.ok = true;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, print);
  view->OnFilePrint();
  CString pdf = AfxGetLastPrintFileName();
  std::error_code ec;
  if (!pdf.IsEmpty()) fs::rename(pdf.str(), outDir + "/plot.pdf", ec);
  ok = ok && !pdf.IsEmpty() && !ec;
  doc->RemoveView(view);
  frame.DestroyWindow();
  delete doc;
  detail = ok ? "plot.tpt, plot.png and plot.pdf written" : "the plot was not pictured or printed";
  return ok;
}
