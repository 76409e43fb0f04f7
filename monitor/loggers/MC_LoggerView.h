// The views of the document's three loggers: one graph window per plot with data, the logger
// commands (variables, start, upload, stop, import, export, plot sheets), arrangement, zoom and the
// cursor read-out in the status bar.
#pragma once

#include "platform/ui/View.h"
#include "plot/graph/GraphWindow.h"

#include <vector>

class CMC_Logger;
class CGraphDocument;

// Command ids of the logger menus and tool bars.
enum : UINT {
  ID_LOGGER_VARS = 10000,
  ID_LOGGER_START = 10001,
  ID_LOGGER_UPLOAD = 10002,
  ID_LOGGER_PLOT_OPTIONS = 10003,
  ID_LOGGER_SETUP_PLOT = 10004,
  ID_LOGGER_STOP_UPLOAD = 10005,
  ID_LOGGER_EXPORT_ASCII = 10006,
  ID_LOGGER_EXPORT_WMF = 10007,
  ID_LOGGER_IMPORT = 10008,
  ID_LOGGER_EXPORT = 10009,
  ID_LOGGER_ARRANGE_AUTO = 10010,
  ID_LOGGER_ARRANGE_HORZ = 10011,
  ID_LOGGER_ARRANGE_VERT = 10012,
  ID_LOGGER_EXPORT_TPT = 10013,
  ID_LOGGER_ZOOM_IN = 10015,
  ID_LOGGER_ZOOM_OUT = 10016,
  ID_LOGGER_ZOOM_PREV = 10017,
  ID_SCOPE_SETUP = 10058,
  ID_SCOPE_START = 10059,
  ID_SCOPE_STOP = 10060,
  ID_SCOPE_AUTOSCALE = 10061,
  ID_LOGGER_POSITION_PANE = 54,
};

// Update hints of the loggers (-97 and -96 are the document's).
enum : LPARAM {
  HINT_LOGGER_DRAW_POINTS = -92,
  HINT_LOGGER_RESET = -95,
  HINT_LOGGER_REDRAW = -98,
  HINT_LOGGER_CHANGED = -99,
  HINT_LOGGER_ALL = -100,
};

// "<title without extension>.<ext>", the title cut at the first of "#%;/\".
CString ProposeLoggerFileName(const char* title, const char* ext);

class CMC_LoggerView : public CView {
  DECLARE_DYNCREATE(CMC_LoggerView)

 public:
  static constexpr UINT kFirstWindowId = 14000;

  CMC_LoggerView();

  virtual CMC_Logger* GetLogger();
  CGraphDocument* GetGraphDoc();
  CGraphWindow* GetGraphWindow(int i) const;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void OnDraw(CDC* pDC) override;
  BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
  void OnBeginPrinting(CDC*, CPrintInfo*) override {}
  void OnEndPrinting(CDC*, CPrintInfo*) override {}

  void CreateGraphControls();
  void RecalcLayout();
  LRESULT OnGraphCursorMove(WPARAM wParam, LPARAM lParam);
  LRESULT OnGraphNotify(WPARAM, LPARAM) { return 0; }

  double m_dCursorX = 0.0;
  double m_dCursorYLeft = 0.0;
  double m_dCursorYRight = 0.0;
  float m_fPrintScaleX = 1.0f, m_fPrintScaleY = 1.0f;
  CPoint m_ptPrintOffset{0, 0};
  float m_fMarginX = 0.0f, m_fMarginY = 0.0f;

  void OnLoggerVars();
  void OnLoggerStart();
  void OnLoggerUpload();
  void OnLoggerStopUpload();
  void OnLoggerImport();
  void OnLoggerExport();
  void OnExportTpt();
  void OnExportAscii();
  void OnExportWmf();
  void OnLoggerPlotOptions();
  void OnLoggerSetupPlot();
  void OnGraphArrange(UINT id);
  void OnGraphZoom(UINT id);
  void OnHelp();

 protected:
  void OnSize(UINT nType, int cx, int cy) override;
  void OnUpdateLoggerVars(CCmdUI* ui);
  void OnUpdateLoggerStart(CCmdUI* ui);
  virtual void OnUpdateLoggerUpload(CCmdUI* ui);
  void OnUpdatePlotOptions(CCmdUI* ui);
  void OnUpdateSetupPlot(CCmdUI* ui);
  void OnUpdateStopUpload(CCmdUI* ui);
  void OnUpdateExport(CCmdUI* ui);
  void OnUpdateArrange(CCmdUI* ui);
  virtual void OnUpdateZoom(CCmdUI* ui);
  void OnUpdatePosition(CCmdUI* ui);
  virtual UINT HelpContext() const { return 4097; }
  DECLARE_MESSAGE_MAP()

  // The child of the selected plot, else the first there is.
  CGraphWindow* CommandWindow();
  // Ends a running upload of `logger` (with hint -96) and resets its state.
  void StopLogger(CMC_Logger* logger);
  void Hint(LPARAM hint, CMC_Logger* logger);
  void Modified();
};

class CMC_MultiAxisLoggerView : public CMC_LoggerView {
  DECLARE_DYNCREATE(CMC_MultiAxisLoggerView)

 public:
  CMC_Logger* GetLogger() override;
};

class CMC_ScopeLoggerView : public CMC_LoggerView {
  DECLARE_DYNCREATE(CMC_ScopeLoggerView)

 public:
  CMC_Logger* GetLogger() override;
  void OnScopeAutoscale();
  LRESULT OnGraphOscScaledChanged(WPARAM wParam, LPARAM lParam);

 protected:
  void OnUpdateLoggerUpload(CCmdUI* ui) override;
  void OnUpdateZoom(CCmdUI* ui) override;
  void OnUpdateAutoscale(CCmdUI* ui);
  UINT HelpContext() const override { return 4160; }
  DECLARE_MESSAGE_MAP()
};
