#include "monitor/loggers/MC_LoggerView.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "kernel/values/QuietErrors.h"
#include "monitor/loggers/LoggerFileNames.h"
#include "monitor/loggers/LoggerVariablesDlg.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "monitor/loggers/ScopeSetupDlg.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PrintInfo.h"
#include "plot/documents/GraphDocument.h"
#include "plot/curves/GraphFilter.h"
#include "plot/documents/GraphView.h"
#include "plot/ui/OptionsSheet.h"
#include "platform/ui/WinApp.h"

#include <algorithm>

namespace {

const double kNone = 1e100;

bool HasData(const CGraphFilter* plot) { return plot && (plot->GetSize() > 0 || plot->m_bOscMode); }

bool IsScope(CMC_Logger* logger) { return logger && logger->IsKindOf(RUNTIME_CLASS(CMC_ScopeLogger)); }

}  // namespace

CString ProposeLoggerFileName(const char* title, const char* ext) {
  CString name = title ? title : "";
  const int cut = name.FindOneOf("#%;/\\");
  if (cut >= 0) name = name.Left(cut);
  const int dot = name.ReverseFind('.');
  if (dot >= 0) name = name.Left(dot);
  return name + "." + ext;
}

// ---- The single-axis view and the common part ---------------------------------------------------------

IMPLEMENT_DYNCREATE(CMC_LoggerView, CView)

BEGIN_MESSAGE_MAP(CMC_LoggerView, CView)
ON_COMMAND(ID_FILE_PRINT, &CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, &CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
ON_COMMAND(ID_LOGGER_VARS, &CMC_LoggerView::OnLoggerVars)
ON_COMMAND(ID_SCOPE_SETUP, &CMC_LoggerView::OnLoggerVars)
ON_UPDATE_COMMAND_UI(ID_LOGGER_VARS, &CMC_LoggerView::OnUpdateLoggerVars)
ON_UPDATE_COMMAND_UI(ID_SCOPE_SETUP, &CMC_LoggerView::OnUpdateLoggerVars)
ON_COMMAND(ID_LOGGER_START, &CMC_LoggerView::OnLoggerStart)
ON_COMMAND(ID_SCOPE_START, &CMC_LoggerView::OnLoggerStart)
ON_UPDATE_COMMAND_UI(ID_LOGGER_START, &CMC_LoggerView::OnUpdateLoggerStart)
ON_UPDATE_COMMAND_UI(ID_SCOPE_START, &CMC_LoggerView::OnUpdateLoggerStart)
ON_COMMAND(ID_LOGGER_UPLOAD, &CMC_LoggerView::OnLoggerUpload)
ON_UPDATE_COMMAND_UI(ID_LOGGER_UPLOAD, &CMC_LoggerView::OnUpdateLoggerUpload)
ON_COMMAND(ID_LOGGER_PLOT_OPTIONS, &CMC_LoggerView::OnLoggerPlotOptions)
ON_UPDATE_COMMAND_UI(ID_LOGGER_PLOT_OPTIONS, &CMC_LoggerView::OnUpdatePlotOptions)
ON_COMMAND(ID_LOGGER_SETUP_PLOT, &CMC_LoggerView::OnLoggerSetupPlot)
ON_UPDATE_COMMAND_UI(ID_LOGGER_SETUP_PLOT, &CMC_LoggerView::OnUpdateSetupPlot)
ON_COMMAND(ID_LOGGER_STOP_UPLOAD, &CMC_LoggerView::OnLoggerStopUpload)
ON_COMMAND(ID_SCOPE_STOP, &CMC_LoggerView::OnLoggerStopUpload)
ON_UPDATE_COMMAND_UI(ID_LOGGER_STOP_UPLOAD, &CMC_LoggerView::OnUpdateStopUpload)
ON_UPDATE_COMMAND_UI(ID_SCOPE_STOP, &CMC_LoggerView::OnUpdateStopUpload)
ON_COMMAND(ID_LOGGER_EXPORT_ASCII, &CMC_LoggerView::OnExportAscii)
ON_COMMAND(ID_LOGGER_EXPORT_WMF, &CMC_LoggerView::OnExportWmf)
ON_COMMAND(ID_LOGGER_EXPORT_TPT, &CMC_LoggerView::OnExportTpt)
ON_UPDATE_COMMAND_UI_RANGE(ID_LOGGER_EXPORT_ASCII, ID_LOGGER_EXPORT_WMF, &CMC_LoggerView::OnUpdateExport)
ON_UPDATE_COMMAND_UI(ID_LOGGER_EXPORT_TPT, &CMC_LoggerView::OnUpdateExport)
ON_COMMAND(ID_LOGGER_IMPORT, &CMC_LoggerView::OnLoggerImport)
ON_COMMAND(ID_LOGGER_EXPORT, &CMC_LoggerView::OnLoggerExport)
ON_UPDATE_COMMAND_UI_RANGE(ID_LOGGER_IMPORT, ID_LOGGER_EXPORT, &CMC_LoggerView::OnUpdateLoggerVars)
ON_COMMAND_RANGE(ID_LOGGER_ARRANGE_AUTO, ID_LOGGER_ARRANGE_VERT, &CMC_LoggerView::OnGraphArrange)
ON_UPDATE_COMMAND_UI_RANGE(ID_LOGGER_ARRANGE_AUTO, ID_LOGGER_ARRANGE_VERT, &CMC_LoggerView::OnUpdateArrange)
ON_COMMAND_RANGE(ID_LOGGER_ZOOM_IN, ID_LOGGER_ZOOM_PREV, &CMC_LoggerView::OnGraphZoom)
ON_UPDATE_COMMAND_UI_RANGE(ID_LOGGER_ZOOM_IN, ID_LOGGER_ZOOM_PREV, &CMC_LoggerView::OnUpdateZoom)
ON_UPDATE_COMMAND_UI(ID_LOGGER_POSITION_PANE, &CMC_LoggerView::OnUpdatePosition)
ON_COMMAND(ID_HELP, &CMC_LoggerView::OnHelp)
ON_MESSAGE(CGraphWindow::m_WMGraphCursorMove, &CMC_LoggerView::OnGraphCursorMove)
ON_MESSAGE(CGraphWindow::m_WMGraphNotify, &CMC_LoggerView::OnGraphNotify)
END_MESSAGE_MAP()

CMC_LoggerView::CMC_LoggerView() = default;

CMC_Logger* CMC_LoggerView::GetLogger() {
  CMC_Document* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetLogger() : nullptr;
}

CGraphDocument* CMC_LoggerView::GetGraphDoc() {
  CMC_Logger* logger = GetLogger();
  return logger ? &logger->GetGraphDoc() : nullptr;
}

CGraphWindow* CMC_LoggerView::GetGraphWindow(int i) const {
  if (!m_hWnd || i < 0 || i > 3) return nullptr;
  HWND h = ::GetDlgItem(m_hWnd, (int)(kFirstWindowId + i));
  return h ? dynamic_cast<CGraphWindow*>(CWnd::FromHandlePermanent(h)) : nullptr;
}

void CMC_LoggerView::Hint(LPARAM hint, CMC_Logger* logger) {
  if (CDocument* doc = GetDocument()) doc->UpdateAllViews(nullptr, hint, logger);
}

void CMC_LoggerView::Modified() {
  if (CDocument* doc = GetDocument()) doc->SetModifiedFlag();
}

void CMC_LoggerView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  ModifyStyle(0, WS_CLIPCHILDREN);
  OnUpdate(nullptr, HINT_LOGGER_CHANGED, GetLogger());
}

void CMC_LoggerView::OnUpdate(CView*, LPARAM lHint, CObject* pHint) {
  CMC_Logger* logger = GetLogger();
  const bool mine = logger && pHint == logger;
  switch (lHint) {
    case CMC_Document::HINT_LOGGER_POINT_READ:
      if (!mine) return;
      for (int i = 0; i < 4; ++i)
        if (CGraphWindow* w = GetGraphWindow(i)) w->UpdateLastPoint();
      return;
    case HINT_LOGGER_DRAW_POINTS: {
      CGraphWindow* w = GetGraphWindow(0);
      if (!mine || !w || !IsScope(logger)) return;
      CMC_ScopeLogger* scope = static_cast<CMC_ScopeLogger*>(logger);
      DWORD first = 0, count = 0;
      scope->GetPointsToBeDrawn(first, count);
      const DWORD points = std::max<DWORD>(scope->GetPointsNo(), 1);
      for (DWORD k = 0; k < count; ++k) {
        w->UpdatePoint((int)first);
        first = (first + 1) % points;
        if (first == 0) {
          w->Invalidate(FALSE);
          w->UpdateWindow();
        }
      }
      return;
    }
    case CMC_Document::HINT_LOGGER_UPLOAD_ENDED:
      if (!mine) return;
      for (int i = 0; i < 4; ++i)
        if (CGraphWindow* w = GetGraphWindow(i)) {
          w->Initialize();
          w->Invalidate(FALSE);
        }
      RecalcLayout();
      return;
    case HINT_LOGGER_REDRAW:
      if (!mine) return;
      for (int i = 0; i < 4; ++i)
        if (CGraphWindow* w = GetGraphWindow(i)) {
          w->Invalidate(FALSE);
          w->UpdateWindow();
        }
      return;
    case HINT_LOGGER_CHANGED:
    case HINT_LOGGER_ALL:
      if (lHint == HINT_LOGGER_CHANGED && !mine) return;
      if (logger && logger->UploadInProgress()) logger->EndUploadData();
      CreateGraphControls();
      RecalcLayout();
      return;
    case HINT_LOGGER_RESET:
      if (!logger) return;
      if (logger->UploadInProgress()) OnLoggerStopUpload();
      logger->ResetLoggerState();
      return;
    default: return;
  }
}

void CMC_LoggerView::CreateGraphControls() {
  CGraphDocument* graph = GetGraphDoc();
  const int count = graph ? std::min(graph->GetSize(), 4) : 0;
  for (int i = 0; i < count; ++i) {
    CGraphFilter* plot = graph->GetAt(i);
    CGraphWindow* w = GetGraphWindow(i);
    if (w) {
      if (HasData(plot)) {
        w->SetPlot(plot);
        w->RefreshWindow();
      } else {
        w->DestroyWindow();
      }
    } else if (HasData(plot)) {
      auto* made = new CGraphWindow(plot->m_bOscMode ? 4 : 2, 1);
      if (!made->Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), this, kFirstWindowId + i, plot))
        delete made;
    }
  }
  for (int i = count; i < 4; ++i)
    if (CGraphWindow* w = GetGraphWindow(i)) w->DestroyWindow();
}

void CMC_LoggerView::RecalcLayout() {
  CGraphDocument* graph = GetGraphDoc();
  if (!graph || !m_hWnd) return;
  std::vector<int> shown;
  for (int i = 0; i < std::min(graph->GetSize(), 4); ++i)
    if (HasData(graph->GetAt(i)) && GetGraphWindow(i)) shown.push_back(i);
  if (shown.empty()) return;
  CRect client;
  GetClientRect(&client);
  const std::vector<CRect> rects = ArrangePlotRects(client, graph->m_nArrange, (int)shown.size());
  for (size_t r = 0; r < shown.size(); ++r) GetGraphWindow(shown[r])->MoveWindow(&rects[r], TRUE);
}

void CMC_LoggerView::OnSize(UINT nType, int cx, int cy) {
  CView::OnSize(nType, cx, cy);
  RecalcLayout();
}

void CMC_LoggerView::OnDraw(CDC* pDC) {
  PrintPlotWindows(this, pDC, m_fPrintScaleX, m_fPrintScaleY, m_ptPrintOffset, m_fMarginX, m_fMarginY);
}

BOOL CMC_LoggerView::OnPreparePrinting(CPrintInfo* pInfo) {
  pInfo->SetMaxPage(1);
  if (!DoPreparePrinting(pInfo)) return FALSE;
  ComputePlotPrintScale(this, pInfo, m_fPrintScaleX, m_fPrintScaleY, m_ptPrintOffset, m_fMarginX, m_fMarginY);
  return TRUE;
}

// ---- Commands -----------------------------------------------------------------------------------------

void CMC_LoggerView::OnUpdateLoggerVars(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  ui->Enable(logger && !logger->UploadInProgress());
}

void CMC_LoggerView::OnUpdateLoggerStart(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  ui->Enable(logger && logger->CanStart());
}

void CMC_LoggerView::OnUpdateLoggerUpload(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  ui->Enable(logger && logger->CanUploadData() && !IsScope(logger));
}

void CMC_LoggerView::OnUpdatePlotOptions(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  ui->Enable(logger && logger->CanChangePlotOptions());
}

void CMC_LoggerView::OnUpdateSetupPlot(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  ui->Enable(logger && logger->CanSetupPlot());
}

void CMC_LoggerView::OnUpdateStopUpload(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  ui->Enable(logger && logger->UploadInProgress());
}

void CMC_LoggerView::OnUpdateExport(CCmdUI* ui) { ui->Enable(GetLogger() && CommandWindow()); }

void CMC_LoggerView::OnLoggerVars() {
  CMC_Logger* logger = GetLogger();
  if (!logger || logger->UploadInProgress()) return;
  INT_PTR result = IDCANCEL;
  if (auto* single = dynamic_cast<CMC_SingleAxisLogger*>(logger)) {
    CSingleAxisLoggerVariablesDlg dlg(single);
    result = dlg.DoModal();
  } else if (auto* multi = dynamic_cast<CMC_MultiAxisLogger*>(logger)) {
    CMultiAxisLoggerVariablesDlg dlg(multi);
    result = dlg.DoModal();
  } else if (auto* scope = dynamic_cast<CMC_ScopeLogger*>(logger)) {
    CScopeSetupDlg dlg(scope);
    result = dlg.DoModal();
  }
  if (result != IDOK) return;
  Hint(HINT_LOGGER_CHANGED, logger);
  Modified();
}

void CMC_LoggerView::StopLogger(CMC_Logger* other) {
  if (other->UploadInProgress()) {
    other->EndUploadData();
    Hint(CMC_Document::HINT_LOGGER_UPLOAD_ENDED, other);
  }
  other->ResetLoggerState();
}

void CMC_LoggerView::OnLoggerStart() {
  CMC_Logger* logger = GetLogger();
  if (!logger) return;
  if (CMC_Document* doc = dynamic_cast<CMC_Document*>(GetDocument())) {
    CMC_Logger* multi = doc->GetMultiAxisLogger();
    if (multi && multi != logger) StopLogger(multi);
    const int axes = doc->GetAxisCount();
    if (logger->IsKindOf(RUNTIME_CLASS(CMC_MultiAxisLogger))) {
      for (int i = 0; i < axes; ++i)
        if (CMC_AxisData* axis = doc->GetAxisData(i))
          for (CMC_Logger* other : {(CMC_Logger*)axis->GetLogger(), (CMC_Logger*)axis->GetScopeLogger()})
            if (other) StopLogger(other);
    } else {
      CMC_AxisData* own = nullptr;
      for (int i = 0; i < axes && !own; ++i) {
        CMC_AxisData* axis = doc->GetAxisData(i);
        if (axis && ((CMC_Logger*)axis->GetLogger() == logger || (CMC_Logger*)axis->GetScopeLogger() == logger))
          own = axis;
      }
      if (own && own->GetAxisID() != 0) {
        const BYTE id = own->GetAxisID();
        for (int i = 0; i < axes; ++i) {
          CMC_AxisData* axis = doc->GetAxisData(i);
          if (!axis || axis->GetAxisID() != id) continue;
          for (CMC_Logger* other : {(CMC_Logger*)axis->GetLogger(), (CMC_Logger*)axis->GetScopeLogger()})
            if (other && other != logger) StopLogger(other);
        }
      }
    }
  }
  if (!logger->StartLogger()) return;
  if (IsScope(logger)) {
    logger->BeginUploadData();
    Hint(HINT_LOGGER_REDRAW, logger);
  }
  Modified();
}

void CMC_LoggerView::OnLoggerUpload() {
  CMC_Logger* logger = GetLogger();
  if (!logger || !logger->BeginUploadData()) return;
  Hint(HINT_LOGGER_REDRAW, logger);
  Modified();
}

void CMC_LoggerView::OnLoggerStopUpload() {
  CMC_Logger* logger = GetLogger();
  if (!logger) return;
  logger->EndUploadData();
  if (!logger->UploadInProgress()) Hint(CMC_Document::HINT_LOGGER_UPLOAD_ENDED, logger);
}

void CMC_LoggerView::OnLoggerImport() {
  CMC_Logger* logger = GetLogger();
  if (!logger) return;
  CString path;
  const int chosen = IsScope(logger) ? DoPromptScopeLoggerFileName(1, path, nullptr)
                                     : DoPromptLoggerFileName(1, path, nullptr);
  if (!chosen) return;
  // A refused file puts the logger at its defaults: what the user had is kept and put back.
  CMemFile kept;
  {
    CArchive ar(&kept, CArchive::store);
    logger->Serialize(ar);
    ar.Close();
  }
  const int loaded = logger->Load(path);
  if (!loaded) {
    CQuietErrors quiet;
    try {
      kept.SeekToBegin();
      CArchive ar(&kept, CArchive::load);
      logger->Serialize(ar);
      ar.Close();
      logger->AfterSuccessfulLoad();
    } catch (CException* e) {
      e->Delete();
      logger->SetDefaultValues();
    }
  }
  Hint(HINT_LOGGER_CHANGED, logger);
  if (loaded) Modified();
}

void CMC_LoggerView::OnLoggerExport() {
  CMC_Logger* logger = GetLogger();
  CDocument* doc = GetDocument();
  if (!logger || !doc) return;
  const bool scope = IsScope(logger);
  CString path = ProposeLoggerFileName(doc->GetTitle(), scope ? gc_pszScopeLoggerFileExt : gc_pszLoggerFileExt);
  const int chosen = scope ? DoPromptScopeLoggerFileName(0, path, nullptr) : DoPromptLoggerFileName(0, path, nullptr);
  if (chosen) logger->Save(path);
}

void CMC_LoggerView::OnExportTpt() {
  CMC_Logger* logger = GetLogger();
  CDocument* doc = GetDocument();
  if (!logger || !doc) return;
  CString path = ProposeLoggerFileName(doc->GetTitle(), gc_pszPlotFileExt);
  if (DoPromptPlotFileName(0, path, nullptr)) logger->SaveGraph(path);
}

CGraphWindow* CMC_LoggerView::CommandWindow() {
  CMC_Logger* logger = GetLogger();
  if (!logger) return nullptr;
  if (CGraphWindow* w = GetGraphWindow(logger->m_nCurrentPlot)) return w;
  for (int i = 0; i < 4; ++i)
    if (CGraphWindow* w = GetGraphWindow(i)) return w;
  return nullptr;
}

void CMC_LoggerView::OnExportAscii() {
  CGraphWindow* w = CommandWindow();
  CDocument* doc = GetDocument();
  if (w && w->GetPlot() && doc) w->GetPlot()->ExportToASCII(doc->GetTitle());
}

void CMC_LoggerView::OnExportWmf() {
  CGraphWindow* w = CommandWindow();
  CDocument* doc = GetDocument();
  if (w && doc) w->CreateWMF(doc->GetTitle());
}

void CMC_LoggerView::OnLoggerPlotOptions() {
  CMC_Logger* logger = GetLogger();
  if (!logger || !logger->PlotOptions(dynamic_cast<CMDIChildWnd*>(GetParentFrame()))) return;
  Hint(HINT_LOGGER_CHANGED, logger);
  Modified();
}

void CMC_LoggerView::OnLoggerSetupPlot() {
  CMC_Logger* logger = GetLogger();
  if (!logger || !logger->SetupPlot(dynamic_cast<CMDIChildWnd*>(GetParentFrame()))) return;
  Hint(HINT_LOGGER_CHANGED, logger);
  Modified();
}

void CMC_LoggerView::OnGraphArrange(UINT id) {
  CGraphDocument* graph = GetGraphDoc();
  if (!graph) return;
  graph->m_nArrange = id == ID_LOGGER_ARRANGE_AUTO ? CGraphDocument::arrangeAuto
                      : id == ID_LOGGER_ARRANGE_HORZ ? CGraphDocument::arrangeHorizontal
                                                     : CGraphDocument::arrangeVertical;
  RecalcLayout();
  Modified();
}

void CMC_LoggerView::OnUpdateArrange(CCmdUI* ui) {
  CGraphDocument* graph = GetGraphDoc();
  ui->Enable(graph && graph->GetSize() > 1);
  const int mode = graph ? graph->m_nArrange : -1;
  UINT checked = 0;
  if (mode == CGraphDocument::arrangeAuto) checked = ID_LOGGER_ARRANGE_AUTO;
  else if (mode == CGraphDocument::arrangeVertical) checked = ID_LOGGER_ARRANGE_VERT;
  else if (mode == CGraphDocument::arrangeHorizontal) checked = ID_LOGGER_ARRANGE_HORZ;
  ui->SetCheck(ui->m_nID == checked ? 1 : 0);
}

void CMC_LoggerView::OnGraphZoom(UINT id) {
  CGraphWindow* w = CommandWindow();
  if (!w) return;
  if (id == ID_LOGGER_ZOOM_IN) w->DoZoomIn();
  else if (id == ID_LOGGER_ZOOM_OUT) w->DoZoomOut();
  else w->DoZoomPrev();
}

void CMC_LoggerView::OnUpdateZoom(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  CGraphWindow* w = logger ? GetGraphWindow(logger->m_nCurrentPlot) : nullptr;
  bool on = w && w->GetExStyle() == 2;
  if (on && ui->m_nID != ID_LOGGER_ZOOM_IN) on = !w->IsEmptyZoomStack();
  ui->Enable(on);
}

LRESULT CMC_LoggerView::OnGraphCursorMove(WPARAM wParam, LPARAM lParam) {
  m_dCursorX = m_dCursorYLeft = m_dCursorYRight = kNone;
  // -1 comes through the window's 32 bits.
  if ((DWORD)lParam == 0xFFFFFFFFu) return 0;
  CMC_Logger* logger = GetLogger();
  if (!logger) return 0;
  const int index = (int)wParam - (int)kFirstWindowId;
  logger->m_nCurrentPlot = index;
  CGraphWindow* w = GetGraphWindow(index);
  CGraphFilter* plot = w ? w->GetPlot() : nullptr;
  if (!plot || plot->GetSize() == 0) return 0;
  m_dCursorX = (float)w->GetXCoord(LOWORD(lParam));
  bool left = false, right = false;
  for (int i = 0; i < plot->GetSize(); ++i) {
    left |= plot->GetAt(i)->m_nAxis == 1;
    right |= plot->GetAt(i)->m_nAxis == 2;
  }
  if (plot->m_bHasAxis1 && left) m_dCursorYLeft = w->GetYCoord(HIWORD(lParam), 1);
  if (plot->m_bHasAxis2 && right) m_dCursorYRight = w->GetYCoord(HIWORD(lParam), 2);
  return 0;
}

void CMC_LoggerView::OnUpdatePosition(CCmdUI* ui) {
  CMC_Logger* logger = GetLogger();
  if (!logger) {
    ui->Enable(FALSE);
    return;
  }
  CString text;
  if (logger->UploadInProgress() && !IsScope(logger)) {
    text.Format("Uploading logger data: %3i%% completed", logger->GetUploadPercentageCompleted());
    ui->Enable(TRUE);
    ui->SetText(text);
    return;
  }
  CPoint pt;
  CRect r;
  GetWindowRect(&r);
  if (!::GetCursorPos(&pt) || !r.PtInRect(pt)) {
    ui->Enable(FALSE);
    return;
  }
  const bool both = m_dCursorYLeft != kNone && m_dCursorYRight != kNone;
  CString part;
  if (m_dCursorX != kNone) part.Format("X=%10.6G  ", m_dCursorX), text += part;
  if (m_dCursorYLeft != kNone) part.Format("Y%s=%10.6G  ", both ? "L" : "", m_dCursorYLeft), text += part;
  if (m_dCursorYRight != kNone) part.Format("Y%s=%10.6G", both ? "R" : "", m_dCursorYRight), text += part;
  ui->Enable(TRUE);
  ui->SetText(text);
}

void CMC_LoggerView::OnHelp() { ::HtmlHelp(nullptr, GetKernelHelpFile(), HH_HELP_CONTEXT, HelpContext()); }

// ---- Multi-axis and scope views ------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CMC_MultiAxisLoggerView, CMC_LoggerView)

CMC_Logger* CMC_MultiAxisLoggerView::GetLogger() {
  CMC_Document* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetMultiAxisLogger() : nullptr;
}

IMPLEMENT_DYNCREATE(CMC_ScopeLoggerView, CMC_LoggerView)

BEGIN_MESSAGE_MAP(CMC_ScopeLoggerView, CMC_LoggerView)
ON_COMMAND(ID_SCOPE_AUTOSCALE, &CMC_ScopeLoggerView::OnScopeAutoscale)
ON_UPDATE_COMMAND_UI(ID_SCOPE_AUTOSCALE, &CMC_ScopeLoggerView::OnUpdateAutoscale)
ON_UPDATE_COMMAND_UI(ID_LOGGER_UPLOAD, &CMC_ScopeLoggerView::OnUpdateLoggerUpload)
ON_UPDATE_COMMAND_UI_RANGE(ID_LOGGER_ZOOM_IN, ID_LOGGER_ZOOM_PREV, &CMC_ScopeLoggerView::OnUpdateZoom)
ON_MESSAGE(CGraphWindow::m_WMGraphOscScaleChange, &CMC_ScopeLoggerView::OnGraphOscScaledChanged)
END_MESSAGE_MAP()

CMC_Logger* CMC_ScopeLoggerView::GetLogger() {
  CMC_Document* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetScopeLogger() : nullptr;
}

void CMC_ScopeLoggerView::OnUpdateLoggerUpload(CCmdUI* ui) { ui->Enable(FALSE); }
void CMC_ScopeLoggerView::OnUpdateZoom(CCmdUI* ui) { ui->Enable(TRUE); }
void CMC_ScopeLoggerView::OnUpdateAutoscale(CCmdUI* ui) { ui->Enable(TRUE); }

void CMC_ScopeLoggerView::OnScopeAutoscale() {
  CMC_Document* doc = dynamic_cast<CMC_Document*>(GetDocument());
  CMC_ScopeLogger* scope = doc ? doc->GetScopeLogger() : nullptr;
  if (!scope || !scope->Autoscale()) return;
  Hint(HINT_LOGGER_REDRAW, scope);
  Modified();
}

LRESULT CMC_ScopeLoggerView::OnGraphOscScaledChanged(WPARAM wParam, LPARAM lParam) {
  CMC_Document* doc = dynamic_cast<CMC_Document*>(GetDocument());
  CMC_ScopeLogger* scope = doc ? doc->GetScopeLogger() : nullptr;
  if (!scope || !GetGraphWindow((int)wParam - (int)kFirstWindowId)) return 0;
  if (scope->ChangeChannelScale(LOWORD(lParam), (short)HIWORD(lParam))) {
    Hint(HINT_LOGGER_REDRAW, scope);
    Modified();
  }
  return 0;
}

// ---- The logger's plot sheets ---------------------------------------------------------------------------

int CMC_Logger::PlotOptions(CMDIChildWnd* parent) {
  CExtrasSheet sheet(m_graphDoc, parent, m_nCurrentPlot, 0);
  return sheet.DoModal() == IDOK;
}

int CMC_Logger::SetupPlot(CMDIChildWnd* parent) {
  COptionsSheet sheet(m_graphDoc, parent, m_nCurrentPlot);
  if (sheet.DoModal() != IDOK) return 0;
  CQuietErrors quiet;
  LocateItems();
  return 1;
}
