#include "plot/documents/GraphViewerDoc.h"

#include "platform/core/Archive.h"
#include "platform/ui/FrameWnd.h"
#include "plot/ui/OptionsSheet.h"

#include <cmath>

IMPLEMENT_DYNCREATE(CGraphViewerDoc, CDocument)

const char* const gc_pszPlotFileExt = "tpt";

CGraphViewerDoc::CGraphViewerDoc() { m_units.Initialize(nullptr); }

CGraphViewerDoc::~CGraphViewerDoc() {
  m_graph.DeleteAll();
  m_curves.DeleteAll();
}

void CGraphViewerDoc::Serialize(CArchive& ar) {
  m_curves.Serialize(ar);
  m_graph.Serialize(ar);
  if (ar.IsLoading()) m_graph.SetSource(&m_curves, &m_units);
}

void CGraphViewerDoc::DeleteContents() {
  m_nCurrentPlot = 0;
  m_graph.DeleteAll();
  m_curves.DeleteAll();
  CDocument::DeleteContents();
}

BOOL CGraphViewerDoc::OnNewDocument() { return CDocument::OnNewDocument() ? 1 : 0; }

bool CGraphViewerDoc::SheetsAllowed() {
  if (m_graph.GetSize() < 1 || m_graph.GetAt(0)->m_bOscMode) return false;
  if (m_nCurrentPlot < 0 || m_nCurrentPlot >= m_graph.GetSize()) m_nCurrentPlot = 0;
  return true;
}

void CGraphViewerDoc::OnPlotOptions(CMDIChildWnd* frame) {
  if (!SheetsAllowed()) return;
  CExtrasSheet sheet(m_graph, frame, m_nCurrentPlot, 0);
  if (sheet.DoModal() != IDOK) return;
  SetModifiedFlag();
  UpdateAllViews(nullptr, kHintStructure);
}

void CGraphViewerDoc::OnSetupPlot(CMDIChildWnd* frame) {
  if (!SheetsAllowed()) return;
  COptionsSheet sheet(m_graph, frame, m_nCurrentPlot);
  if (sheet.DoModal() != IDOK) return;
  SetModifiedFlag();
  UpdateAllViews(nullptr, kHintStructure);
}

void CGraphViewerDoc::ChangeOscChannelScale(UINT channel, int direction) {
  if (m_graph.GetSize() != 1 || direction == 0) return;
  CGraphFilter* plot = m_graph.GetAt(0);
  if (!plot->m_bOscMode || (int)channel >= plot->GetSize()) return;
  CCurve* y = plot->GetYCurve((int)channel);
  if (!y) return;
  double s = y->m_dOscScale;
  if (!(s > 0) || (direction < 0 && s >= 9.99e8) || (direction > 0 && s <= 1.01e-9)) return;
  double d = std::pow(10.0, std::floor(std::log10(s)));
  double q = std::ceil(s / d);
  double mantissa = direction < 0 ? (q <= 1.001 ? 2 : q <= 2.001 ? 5 : 10) : (q <= 1.001 ? 0.5 : q <= 2.001 ? 1 : 2);
  double scale = mantissa * d;
  y->m_dOscOffset *= scale / s;
  y->m_dOscScale = scale;
  SetModifiedFlag();
  UpdateAllViews(nullptr, kHintValues);
}
