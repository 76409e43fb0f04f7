// CGraphView: lays out one graph window per plot of a viewer document (up to four) and carries the
// plot commands: options, set-up, exports, arrangement, zoom, printing and the cursor read-out.
#pragma once

#include "kernel/document/StatusPaneIds.h"
#include "platform/ui/View.h"
#include "plot/documents/GraphViewerDoc.h"
#include "plot/graph/GraphWindow.h"

#include <vector>

// Command ids of the plot menu.
enum : UINT {
  ID_PLOT_OPTIONS = 10003,
  ID_PLOT_SETUP = 10004,
  ID_PLOT_EXPORT_ASCII = 10006,
  ID_PLOT_EXPORT_WMF = 10007,
  ID_PLOT_ARRANGE_AUTO = 10010,
  ID_PLOT_ARRANGE_HORZ = 10011,
  ID_PLOT_ARRANGE_VERT = 10012,
  ID_PLOT_ZOOM_IN = 10015,
  ID_PLOT_ZOOM_OUT = 10016,
  ID_PLOT_ZOOM_PREV = 10017,
};

// The rectangles of `count` plot windows in `client` for an arrangement mode, by rank.
std::vector<CRect> ArrangePlotRects(const CRect& client, int mode, int count);

// Printing of the plot windows of a view (children 14000..14003) on one page: the scale from the
// view's client area to the printable area less half-inch margins, then each window at its place.
void ComputePlotPrintScale(CWnd* view, CPrintInfo* pInfo, float& scaleX, float& scaleY, CPoint& offset,
                           float& marginX, float& marginY);
void PrintPlotWindows(CWnd* view, CDC* pDC, float scaleX, float scaleY, CPoint offset, float marginX, float marginY);

class CGraphView : public CView {
  DECLARE_DYNCREATE(CGraphView)
 public:
  static constexpr UINT kFirstWindowId = 14000;

  CGraphView();
  CGraphViewerDoc* GetViewerDoc() const;
  CGraphDocument* GetGraphDoc() const;
  // The window of plot i, null when it has none.
  CGraphWindow* GetGraphWindow(int i) const;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void OnDraw(CDC* pDC) override;
  BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
  void CreateGraphControls();
  void RecalcLayout();
  LRESULT OnGraphCursorMove(WPARAM wParam, LPARAM lParam);
  LRESULT OnGraphNotify(WPARAM, LPARAM) { return 0; }
  LRESULT OnGraphOscScaleChange(WPARAM wParam, LPARAM lParam);

  double m_dCursorX = 1e100, m_dCursorY1 = 1e100, m_dCursorY2 = 1e100;
  float m_fPrintScaleX = 1.0f, m_fPrintScaleY = 1.0f;
  float m_fMarginX = 0.0f, m_fMarginY = 0.0f;
  CPoint m_ptPrintOffset{0, 0};

 protected:
  void OnSize(UINT nType, int cx, int cy) override;
  void OnPlotOptions();
  void OnSetupPlot();
  void OnUpdatePlotSheets(CCmdUI* ui);
  void OnExportAscii();
  void OnExportWmf();
  void OnUpdateExport(CCmdUI* ui);
  void OnArrange(UINT id);
  void OnUpdateArrange(CCmdUI* ui);
  void OnZoomIn();
  void OnZoomOut();
  void OnZoomPrev();
  void OnUpdateZoom(CCmdUI* ui);
  void OnUpdatePosition(CCmdUI* ui);

  DECLARE_MESSAGE_MAP()

 private:
  // The current plot's window, else the first one there is.
  CGraphWindow* CommandWindow() const;
};
