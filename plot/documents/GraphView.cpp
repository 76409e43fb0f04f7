#include "plot/documents/GraphView.h"

#include "platform/gdi/DC.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/WinApp.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CGraphView, CView)

BEGIN_MESSAGE_MAP(CGraphView, CView)
ON_COMMAND(ID_FILE_PRINT, &CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, &CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
ON_COMMAND(ID_PLOT_OPTIONS, &CGraphView::OnPlotOptions)
ON_COMMAND(ID_PLOT_SETUP, &CGraphView::OnSetupPlot)
ON_UPDATE_COMMAND_UI_RANGE(ID_PLOT_OPTIONS, ID_PLOT_SETUP, &CGraphView::OnUpdatePlotSheets)
ON_COMMAND(ID_PLOT_EXPORT_ASCII, &CGraphView::OnExportAscii)
ON_COMMAND(ID_PLOT_EXPORT_WMF, &CGraphView::OnExportWmf)
ON_UPDATE_COMMAND_UI_RANGE(ID_PLOT_EXPORT_ASCII, ID_PLOT_EXPORT_WMF, &CGraphView::OnUpdateExport)
ON_COMMAND_RANGE(ID_PLOT_ARRANGE_AUTO, ID_PLOT_ARRANGE_VERT, &CGraphView::OnArrange)
ON_UPDATE_COMMAND_UI_RANGE(ID_PLOT_ARRANGE_AUTO, ID_PLOT_ARRANGE_VERT, &CGraphView::OnUpdateArrange)
ON_COMMAND(ID_PLOT_ZOOM_IN, &CGraphView::OnZoomIn)
ON_COMMAND(ID_PLOT_ZOOM_OUT, &CGraphView::OnZoomOut)
ON_COMMAND(ID_PLOT_ZOOM_PREV, &CGraphView::OnZoomPrev)
ON_UPDATE_COMMAND_UI_RANGE(ID_PLOT_ZOOM_IN, ID_PLOT_ZOOM_PREV, &CGraphView::OnUpdateZoom)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_POSITION, &CGraphView::OnUpdatePosition)
ON_MESSAGE(CGraphWindow::m_WMGraphCursorMove, &CGraphView::OnGraphCursorMove)
ON_MESSAGE(CGraphWindow::m_WMGraphNotify, &CGraphView::OnGraphNotify)
ON_MESSAGE(CGraphWindow::m_WMGraphOscScaleChange, &CGraphView::OnGraphOscScaleChange)
END_MESSAGE_MAP()

namespace {

bool HasCurves(const CGraphFilter* plot) { return plot && plot->GetSize() > 0; }

}  // namespace

CGraphView::CGraphView() = default;

CGraphViewerDoc* CGraphView::GetViewerDoc() const { return dynamic_cast<CGraphViewerDoc*>(GetDocument()); }

CGraphDocument* CGraphView::GetGraphDoc() const {
  CGraphViewerDoc* doc = GetViewerDoc();
  return doc ? &doc->m_graph : nullptr;
}

CGraphWindow* CGraphView::GetGraphWindow(int i) const {
  if (!m_hWnd || i < 0 || i > 3) return nullptr;
  HWND h = ::GetDlgItem(m_hWnd, (int)(kFirstWindowId + i));
  return h ? dynamic_cast<CGraphWindow*>(CWnd::FromHandlePermanent(h)) : nullptr;
}

void CGraphView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  ModifyStyle(0, WS_CLIPCHILDREN);
  OnUpdate(nullptr, CGraphViewerDoc::kHintStructure, nullptr);
}

void CGraphView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (lHint == CGraphViewerDoc::kHintStructure) {
    CreateGraphControls();
    RecalcLayout();
  } else if (lHint == CGraphViewerDoc::kHintValues) {
    for (int i = 0; i < 4; ++i)
      if (CGraphWindow* w = GetGraphWindow(i)) {
        w->Invalidate(FALSE);
        w->UpdateWindow();
      }
  }
}

void CGraphView::CreateGraphControls() {
  CGraphDocument* graph = GetGraphDoc();
  int count = graph ? std::min(graph->GetSize(), 4) : 0;
  for (int i = 0; i < count; ++i) {
    CGraphFilter* plot = graph->GetAt(i);
    CGraphWindow* w = GetGraphWindow(i);
    if (w) {
      if (HasCurves(plot)) {
        w->SetPlot(plot);
        w->RefreshWindow();
      } else {
        w->DestroyWindow();
      }
    } else if (HasCurves(plot)) {
      auto* made = new CGraphWindow(plot->m_bOscMode ? 4 : 2, 1);
      if (!made->Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), this, kFirstWindowId + i, plot)) delete made;
    }
  }
  for (int i = count; i < 4; ++i)
    if (CGraphWindow* w = GetGraphWindow(i)) w->DestroyWindow();
}

std::vector<CRect> ArrangePlotRects(const CRect& c, int mode, int k) {
  if (mode == 3) mode = CGraphDocument::arrangeAuto;
  if (mode != CGraphDocument::arrangeAuto && mode != CGraphDocument::arrangeHorizontal) mode = CGraphDocument::arrangeVertical;
  if (mode == CGraphDocument::arrangeAuto && k == 2) mode = CGraphDocument::arrangeHorizontal;
  // Equal integer shares; only a fourth plot takes the remainder up to the edge.
  std::vector<CRect> rects((size_t)std::max(k, 0), c);
  int midX = c.left + c.Width() / 2, midY = c.top + c.Height() / 2;
  for (int r = 0; r < k; ++r) {
    CRect& rc = rects[(size_t)r];
    if (mode == CGraphDocument::arrangeHorizontal) {
      int w = c.Width() / k;
      rc.left = c.left + r * w;
      rc.right = r == 3 ? c.right : c.left + (r + 1) * w;
    } else if (mode == CGraphDocument::arrangeAuto && k == 3) {
      if (r == 0) rc.right = midX;
      else rc.left = midX, (r == 1 ? rc.bottom : rc.top) = midY;
    } else if (mode == CGraphDocument::arrangeAuto && k == 4) {
      (r < 2 ? rc.right : rc.left) = midX;
      (r % 2 == 0 ? rc.bottom : rc.top) = midY;
    } else {
      int h = c.Height() / k;
      rc.top = c.top + r * h;
      rc.bottom = r == 3 ? c.bottom : c.top + (r + 1) * h;
    }
  }
  return rects;
}

// Windows are placed by their rank among the plots that show curves; their ids stay by plot index.
void CGraphView::RecalcLayout() {
  CGraphDocument* graph = GetGraphDoc();
  if (!graph || !m_hWnd) return;
  std::vector<int> shown;
  for (int i = 0; i < std::min(graph->GetSize(), 4); ++i)
    if (HasCurves(graph->GetAt(i)) && GetGraphWindow(i)) shown.push_back(i);
  int k = (int)shown.size();
  if (k == 0) return;
  CRect c;
  GetClientRect(&c);
  std::vector<CRect> rects = ArrangePlotRects(c, graph->m_nArrange, k);
  for (int r = 0; r < k; ++r) {
    CGraphWindow* w = GetGraphWindow(shown[(size_t)r]);
    w->MoveWindow(&rects[(size_t)r], TRUE);
  }
}

void CGraphView::OnSize(UINT nType, int cx, int cy) {
  CView::OnSize(nType, cx, cy);
  RecalcLayout();
}

CGraphWindow* CGraphView::CommandWindow() const {
  CGraphViewerDoc* doc = GetViewerDoc();
  if (doc)
    if (CGraphWindow* w = GetGraphWindow(doc->m_nCurrentPlot)) return w;
  for (int i = 0; i < 4; ++i)
    if (CGraphWindow* w = GetGraphWindow(i)) return w;
  return nullptr;
}

void CGraphView::OnPlotOptions() {
  if (CGraphViewerDoc* doc = GetViewerDoc()) doc->OnPlotOptions(dynamic_cast<CMDIChildWnd*>(GetParentFrame()));
}

void CGraphView::OnSetupPlot() {
  if (CGraphViewerDoc* doc = GetViewerDoc()) doc->OnSetupPlot(dynamic_cast<CMDIChildWnd*>(GetParentFrame()));
}

void CGraphView::OnUpdatePlotSheets(CCmdUI* ui) {
  CGraphDocument* graph = GetGraphDoc();
  ui->Enable(graph && graph->GetSize() >= 1 && !graph->GetAt(0)->m_bOscMode);
}

void CGraphView::OnExportAscii() {
  if (CGraphWindow* w = CommandWindow()) w->GetPlot()->ExportToASCII(nullptr);
}

void CGraphView::OnExportWmf() {
  if (CGraphWindow* w = CommandWindow()) w->CreateWMF(nullptr);
}

void CGraphView::OnUpdateExport(CCmdUI* ui) { ui->Enable(CommandWindow() != nullptr); }

void CGraphView::OnArrange(UINT id) {
  CGraphDocument* graph = GetGraphDoc();
  if (!graph) return;
  graph->m_nArrange = id == ID_PLOT_ARRANGE_AUTO ? CGraphDocument::arrangeAuto
                      : id == ID_PLOT_ARRANGE_HORZ ? CGraphDocument::arrangeHorizontal
                                                   : CGraphDocument::arrangeVertical;
  RecalcLayout();
  GetDocument()->SetModifiedFlag();
}

void CGraphView::OnUpdateArrange(CCmdUI* ui) {
  CGraphDocument* graph = GetGraphDoc();
  if (!graph || graph->GetSize() < 2) {
    ui->Enable(FALSE);
    return;
  }
  ui->Enable(TRUE);
  int mode = ui->m_nID == ID_PLOT_ARRANGE_AUTO ? CGraphDocument::arrangeAuto
             : ui->m_nID == ID_PLOT_ARRANGE_HORZ ? CGraphDocument::arrangeHorizontal
                                                 : CGraphDocument::arrangeVertical;
  ui->SetCheck(graph->m_nArrange == mode ? 1 : 0);
}

void CGraphView::OnZoomIn() {
  if (CGraphWindow* w = CommandWindow()) w->DoZoomIn();
}

void CGraphView::OnZoomOut() {
  if (CGraphWindow* w = CommandWindow()) w->DoZoomOut();
}

void CGraphView::OnZoomPrev() {
  if (CGraphWindow* w = CommandWindow()) w->DoZoomPrev();
}

void CGraphView::OnUpdateZoom(CCmdUI* ui) {
  CGraphViewerDoc* doc = GetViewerDoc();
  CGraphWindow* w = doc ? GetGraphWindow(doc->m_nCurrentPlot) : nullptr;
  bool on = w && w->GetExStyle() == 2;
  if (on && ui->m_nID != ID_PLOT_ZOOM_IN) on = !w->IsEmptyZoomStack();
  ui->Enable(on);
}

LRESULT CGraphView::OnGraphCursorMove(WPARAM wParam, LPARAM lParam) {
  m_dCursorX = m_dCursorY1 = m_dCursorY2 = 1e100;
  // LPARAM is wider than the window's 32 bits: -1 arrives as 0xFFFFFFFF in the low half.
  if ((DWORD)lParam == 0xFFFFFFFFu) return 0;
  CGraphViewerDoc* doc = GetViewerDoc();
  if (!doc) return 0;
  int index = (int)wParam - (int)kFirstWindowId;
  doc->m_nCurrentPlot = index;
  CGraphWindow* w = GetGraphWindow(index);
  CGraphFilter* plot = w ? w->GetPlot() : nullptr;
  if (!plot || plot->GetSize() == 0) return 0;
  int x = (int)(short)LOWORD(lParam), y = (int)(short)HIWORD(lParam);
  m_dCursorX = (float)w->GetXCoord(x);
  bool side1 = false, side2 = false;
  for (int i = 0; i < plot->GetSize(); ++i) {
    side1 |= plot->GetAt(i)->m_nAxis == 1;
    side2 |= plot->GetAt(i)->m_nAxis == 2;
  }
  if (plot->m_bHasAxis1 && side1) m_dCursorY1 = w->GetYCoord(y, 1);
  if (plot->m_bHasAxis2 && side2) m_dCursorY2 = w->GetYCoord(y, 2);
  return 0;
}

LRESULT CGraphView::OnGraphOscScaleChange(WPARAM, LPARAM lParam) {
  if (CGraphViewerDoc* doc = GetViewerDoc()) doc->ChangeOscChannelScale(LOWORD(lParam), (short)HIWORD(lParam));
  return 0;
}

void CGraphView::OnUpdatePosition(CCmdUI* ui) {
  CPoint pt;
  ::GetCursorPos(&pt);
  CRect r;
  GetWindowRect(&r);
  if (!GetDocument() || !r.PtInRect(pt)) {
    ui->Enable(FALSE);
    return;
  }
  ui->Enable(TRUE);
  CString text, part;
  if (m_dCursorX != 1e100) part.Format("X=%10.6G  ", m_dCursorX), text += part;
  if (m_dCursorY1 != 1e100) part.Format("YL=%10.6G  ", m_dCursorY1), text += part;
  if (m_dCursorY2 != 1e100) part.Format("YR=%10.6G", m_dCursorY2), text += part;
  ui->SetText(text);
}

void ComputePlotPrintScale(CWnd* view, CPrintInfo* pInfo, float& scaleX, float& scaleY, CPoint& offset,
                           float& marginX, float& marginY) {
  CDC dc;
  dc.Attach(pInfo->m_pPD->m_pd.hDC);
  float dpiX = (float)dc.GetDeviceCaps(LOGPIXELSX), dpiY = (float)dc.GetDeviceCaps(LOGPIXELSY);
  float widthIn = dc.GetDeviceCaps(HORZSIZE) / 25.4f, heightIn = dc.GetDeviceCaps(VERTSIZE) / 25.4f;
  offset = CPoint(dc.GetDeviceCaps(PHYSICALOFFSETX), dc.GetDeviceCaps(PHYSICALOFFSETY));
  dc.Detach();
  marginX = dpiX / 2, marginY = dpiY / 2;
  float drawW = widthIn * dpiX + 2 * (offset.x - marginX);
  float drawH = heightIn * dpiY + 2 * (offset.y - marginY);
  CRect client;
  view->GetClientRect(&client);
  // A view with no area prints an empty page.
  scaleX = client.Width() > 0 ? drawW / client.Width() : 0.0f;
  scaleY = client.Height() > 0 ? drawH / client.Height() : 0.0f;
}

void PrintPlotWindows(CWnd* view, CDC* pDC, float scaleX, float scaleY, CPoint offset, float marginX, float marginY) {
  if (!pDC || !pDC->IsPrinting() || scaleX <= 0 || scaleY <= 0 || !view->m_hWnd) return;
  for (int i = 0; i < 4; ++i) {
    HWND h = ::GetDlgItem(view->m_hWnd, (int)(CGraphView::kFirstWindowId + i));
    CGraphWindow* w = h ? dynamic_cast<CGraphWindow*>(CWnd::FromHandlePermanent(h)) : nullptr;
    if (!w || !w->GetPlot()) continue;
    CRect r;
    w->GetWindowRect(&r);
    view->ScreenToClient(&r);
    int dx = QW_Round(marginX - offset.x), dy = QW_Round(marginY - offset.y);
    CRect p(QW_Round(r.left * scaleX) + dx, QW_Round(r.top * scaleY) + dy, QW_Round(r.right * scaleX) + dx,
            QW_Round(r.bottom * scaleY) + dy);
    w->PrintGraph(pDC, p, 0);
  }
}

BOOL CGraphView::OnPreparePrinting(CPrintInfo* pInfo) {
  pInfo->SetMaxPage(1);
  if (!DoPreparePrinting(pInfo)) return FALSE;
  ComputePlotPrintScale(this, pInfo, m_fPrintScaleX, m_fPrintScaleY, m_ptPrintOffset, m_fMarginX, m_fMarginY);
  return TRUE;
}

void CGraphView::OnDraw(CDC* pDC) {
  PrintPlotWindows(this, pDC, m_fPrintScaleX, m_fPrintScaleY, m_ptPrintOffset, m_fMarginX, m_fMarginY);
}
