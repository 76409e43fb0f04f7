// The grid's view host: printer settings, start-up in a document frame and split panes, and the
// window messages handed on to the grid core.
#include "grid/engine/GXGridView.h"

#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXOleDataSourceProxy.h"
#include "grid/engine/GXPrintDevice.h"
#include "platform/core/Module.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/WinApp.h"

// ---- CGXView ---------------------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CGXView, CView)

BEGIN_MESSAGE_MAP(CGXView, CView)
ON_COMMAND(ID_FILE_PRINT_SETUP, &CGXView::OnFilePrintSetup)
ON_COMMAND(ID_FILE_PRINT, &CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
ON_MESSAGE(GX_WM_SHEETNAME_EDITABLE, &CGXView::OnSheetNameEditable)
ON_MESSAGE(GX_WM_SHEETNAME_CHANGED, &CGXView::OnSheetNameChanged)
END_MESSAGE_MAP()

CGXView::~CGXView() { AttachPrinterDevice(nullptr, FALSE); }

void CGXView::AttachPrinterDevice(CGXPrintDevice* pDevice, BOOL bMustDelete) {
  if (m_pPrintDevice && m_bOwnsPrintDevice && m_pPrintDevice != pDevice) delete m_pPrintDevice;
  m_pPrintDevice = pDevice;
  m_bOwnsPrintDevice = bMustDelete;
}

void CGXView::OnInitialUpdate() {
  AttachPrinterDevice(nullptr, FALSE);
  CView::OnInitialUpdate();
}

BOOL CGXView::AroundPrinterDialog(const std::function<BOOL()>& step, HGLOBAL* phDevNames, HGLOBAL* phDevMode) {
  CWaitCursor wait;
  m_pPrintDevice->EnsureDevice();
  HGLOBAL names = nullptr, mode = nullptr;
  m_pPrintDevice->GetDeviceCopies(names, mode);
  if (CWinApp* app = AfxGetApp()) {
    app->SelectPrinter(names, mode);
  } else {
    if (names) GlobalFree(names);
    if (mode) GlobalFree(mode);
  }
  if (!step()) return FALSE;
  if (*phDevNames && !m_pPrintDevice->IsSameDevice(*phDevNames, *phDevMode)) {
    m_pPrintDevice->SetDeviceHandles(*phDevNames, *phDevMode);
    OnPrinterSettingsChanged();
  }
  return TRUE;
}

BOOL CGXView::DoPreparePrinting(CPrintInfo* pInfo) {
  if (!m_pPrintDevice || !pInfo || !pInfo->m_pPD) return CView::DoPreparePrinting(pInfo);
  return AroundPrinterDialog([&] { return CView::DoPreparePrinting(pInfo); }, &pInfo->m_pPD->m_pd.hDevNames,
                             &pInfo->m_pPD->m_pd.hDevMode);
}

INT_PTR CGXView::DoPrintDialog(CPrintDialog* pPD) {
  if (!pPD) return IDCANCEL;
  auto run = [pPD] {
    CWinApp* app = AfxGetApp();
    return (app ? app->DoPrintDialog(pPD) : pPD->DoModal()) == IDOK;
  };
  if (!m_pPrintDevice) return run() ? IDOK : IDCANCEL;
  return AroundPrinterDialog(run, &pPD->m_pd.hDevNames, &pPD->m_pd.hDevMode) ? IDOK : IDCANCEL;
}

void CGXView::OnFilePrintSetup() {
  CWaitCursor wait;
  CPrintDialog dlg(TRUE, 0x14000C);
  DoPrintDialog(&dlg);
}

BOOL CGXView::OnPreparePrinting(CPrintInfo* pInfo) {
  CWaitCursor wait;
  if (!pInfo) return FALSE;
  pInfo->SetMaxPage(0xFFFF);
  return DoPreparePrinting(pInfo);
}

CScrollBar* CGXView::GetScrollBarCtrl(int nBar) const {
  if (GetStyle() & (nBar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) return nullptr;
  // A sheet-tab window lends its grids its scroll bars.
  if (CWnd* parent = GetParent()) {
    const CPtrList& classes = GXGetLibraryData().m_HostWndClasses;
    for (POSITION pos = classes.GetHeadPosition(); pos;) {
      if (parent->IsKindOf(static_cast<CRuntimeClass*>(classes.GetNext(pos))))
        return reinterpret_cast<CScrollBar*>(parent->GetDlgItem(nBar == SB_VERT ? GX_IDW_TAB_VSCROLL : GX_IDW_TAB_HSCROLL));
    }
  }
  return CView::GetScrollBarCtrl(nBar);
}

// ---- CGXGridView -----------------------------------------------------------------------------------------------

namespace {

const UINT g_nFindReplaceMsg = ::RegisterWindowMessage("commdlg_FindReplace");

}  // namespace

IMPLEMENT_DYNCREATE(CGXGridView, CGXView)

BEGIN_MESSAGE_MAP(CGXGridView, CGXView)
ON_COMMAND(ID_EDIT_COPY, &CGXGridView::OnEditCopy)
ON_COMMAND(ID_EDIT_CUT, &CGXGridView::OnEditCut)
ON_COMMAND(ID_EDIT_PASTE, &CGXGridView::OnEditPaste)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CGXGridView::OnUpdateEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CGXGridView::OnUpdateEditCut)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CGXGridView::OnUpdateEditPaste)
ON_COMMAND(ID_EDIT_FIND, &CGXGridView::OnEditFind)
ON_COMMAND(ID_EDIT_REPLACE, &CGXGridView::OnEditReplace)
ON_COMMAND(ID_EDIT_REPEAT, &CGXGridView::OnEditRepeat)
ON_COMMAND(ID_EDIT_UNDO, &CGXGridView::OnEditUndo)
ON_COMMAND(ID_EDIT_REDO, &CGXGridView::OnEditRedo)
ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CGXGridView::OnUpdateEditUndo)
ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, &CGXGridView::OnUpdateEditRedo)
ON_REGISTERED_MESSAGE(g_nFindReplaceMsg, &CGXGridView::OnFindReplaceMessage)
ON_MESSAGE(GX_WM_SHEETNAME_EDITABLE, &CGXGridView::OnSheetNameEditable)
ON_MESSAGE(GX_WM_SHEETNAME_CHANGED, &CGXGridView::OnSheetNameChanged)
ON_MESSAGE(GX_WM_SHEET_SWITCH, &CGXGridView::OnSheetSwitch)
ON_MESSAGE(GX_WM_RECORD_NAVIGATE, &CGXGridView::OnRecordNavigateMessage)
ON_MESSAGE(GX_WM_LAYOUT_LOCK, &CGXGridView::OnLayoutLock)
END_MESSAGE_MAP()

CGXGridView::CGXGridView() : CGXGridCore(nullptr, nullptr, nullptr) {
  m_pGridWnd = this;
  CGXGridCore::m_pDocument = nullptr;
  m_bIsViewContext = FALSE;
}

CGXGridView::~CGXGridView() = default;

void CGXGridView::OnInitialUpdate() {
  m_pGridWnd = this;
  m_bIsViewContext = TRUE;
  CGXGridCore::m_pDocument = GetDocument();
  CWnd* found = GXGetParentOfKind(this, RUNTIME_CLASS(CSplitterWnd), TRUE);
  auto* split = found && (found->GetStyle() & SPLS_DYNAMIC_SPLIT) ? static_cast<CSplitterWnd*>(found) : nullptr;
  m_pSplitterWnd = split;
  // A new pane shows the grid of the first one.
  CGXGridCore* first = nullptr;
  if (split && split->IsChildPane(this, &m_nSplitRow, &m_nSplitCol)) {
    first = dynamic_cast<CGXGridCore*>(split->GetPane(0, 0));
    if (first && first != this && first->GetParam() && !GetParam()) SetParam(first->GetParam(), FALSE);
  }
  Initialize();
  PushRecordInfo();
  CGXView::OnInitialUpdate();
  if (!m_pPrintDevice && GetParam()) {
    CGXGridParam* param = GetParam();
    if (!param->GetPrintDevice()) param->SetPrintDevice(new CGXPrintDevice, TRUE);
    AttachPrinterDevice(param->GetPrintDevice(), FALSE);
  }
  if (split && (m_nSplitRow > 0 || m_nSplitCol > 0)) {
    if (m_nSplitRow > 0) {
      if (auto* above = dynamic_cast<CGXGridCore*>(split->GetPane(0, m_nSplitCol))) {
        m_nTopRow = above->m_nTopRow, m_nLeftCol = above->m_nLeftCol;
        above->m_dxCachedExtent = above->m_dyCachedExtent = 0;
      }
      m_bPaneShowsHeaderRows = FALSE;
    }
    if (m_nSplitCol > 0) {
      if (auto* left = dynamic_cast<CGXGridCore*>(split->GetPane(m_nSplitRow, 0))) {
        m_nTopRow = left->m_nTopRow;
        if (m_nSplitRow == 0) m_nLeftCol = left->m_nLeftCol;
        left->m_dxCachedExtent = left->m_dyCachedExtent = 0;
      }
      m_bPaneShowsHeaderCols = FALSE;
    }
  }
  RefreshScrollBars(TRUE, FALSE);
}

void CGXGridView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
  if (bActivate != m_bActive) OnActivateGrid(bActivate);
  CGXView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void CGXGridView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) { PrepareDC(pDC, pInfo); }
void CGXGridView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) { OnGridUpdate(pSender, lHint, pHint); }
void CGXGridView::OnDraw(CDC* pDC) { OnGridDraw(pDC); }
void CGXGridView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) { CGXGridCore::OnBeginPrinting(pDC, pInfo); }
void CGXGridView::OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) { CGXGridCore::OnEndPrinting(pDC, pInfo); }
void CGXGridView::OnPrint(CDC* pDC, CPrintInfo* pInfo) { CGXGridCore::OnPrint(pDC, pInfo); }

BOOL CGXGridView::OnPreparePrinting(CPrintInfo* pInfo) {
  if (!pInfo || !pInfo->m_pPD) return FALSE;
  pInfo->SetMaxPage(0xFFFF);
  // The selection may be printed.
  pInfo->m_pPD->m_pd.Flags &= ~PD_NOSELECTION;
  pInfo->m_pPD->m_pd.hInstance = AfxGetInstanceHandle();
  return CGXView::DoPreparePrinting(pInfo);
}

BOOL CGXGridView::OnCommand(WPARAM wParam, LPARAM lParam) {
  return CGXGridCore::OnCommand(wParam, lParam) ? TRUE : CWnd::OnCommand(wParam, lParam);
}

BOOL CGXGridView::PreTranslateMessage(MSG* pMsg) {
  return CGXGridCore::PreTranslateMessage(pMsg) ? TRUE : CWnd::PreTranslateMessage(pMsg);
}

CScrollBar* CGXGridView::GetScrollBarCtrl(int nBar) const {
  if (CScrollBar* bar = CGXGridCore::GetScrollBarCtrl(nBar)) return bar;
  return CGXView::GetScrollBarCtrl(nBar);
}

void CGXGridView::OnPaint() {
  PaintParentBeneath();
  CPaintDC dc(this);
  if (FillBeforeInitialize(&dc)) return;
  OnPrepareDC(&dc, nullptr);
  OnDraw(&dc);
}

BOOL CGXGridView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_DESTROY || message == WM_NCDESTROY) m_gridDropTarget.Forget();
  else m_gridDropTarget.EnsureRegistered(this);
  return RouteWindowMessage(message, wParam, lParam, pResult,
                            [&] { return CGXView::OnWndMsg(message, wParam, lParam, pResult); });
}

void CGXGridView::OnUpdateEditCopy(CCmdUI* pCmdUI) { pCmdUI->Enable(CanCopy()); }
void CGXGridView::OnUpdateEditCut(CCmdUI* pCmdUI) { pCmdUI->Enable(CanCut()); }
void CGXGridView::OnUpdateEditPaste(CCmdUI* pCmdUI) { pCmdUI->Enable(CanPaste()); }
void CGXGridView::OnUpdateEditUndo(CCmdUI* pCmdUI) { pCmdUI->Enable(CanUndo(pCmdUI)); }
void CGXGridView::OnUpdateEditRedo(CCmdUI* pCmdUI) { pCmdUI->Enable(CanRedo(pCmdUI)); }

void CGXGridView::OnEditRepeat() {
  // An interactive search tells of its own miss; without a current cell it searched nothing.
  ROWCOL row, col;
  const BOOL searched = GetCurrentCell(row, col);
  if (!FindNext(TRUE) && !searched) OnTextNotFound(GXGetFindReplaceState().strFind);
}

LRESULT CGXGridView::OnFindReplaceMessage(WPARAM, LPARAM lParam) {
  OnFindReplace(CFindReplaceDialog::GetNotifier(lParam));
  return 0;
}

LRESULT CGXGridView::OnSheetSwitch(WPARAM wParam, LPARAM) { return CanSwitchSheet((BOOL)wParam) > 0 ? 0 : 1; }

LRESULT CGXGridView::OnRecordNavigateMessage(WPARAM wParam, LPARAM lParam) {
  OnRecordNavigate((int)wParam, (LONG)lParam);
  return 0;
}

LRESULT CGXGridView::OnLayoutLock(WPARAM wParam, LPARAM) {
  SetLockInvalidate((BOOL)wParam);
  return 0;
}

// ---- the OLE proxy -------------------------------------------------------------------------------------------

BOOL CGXGridCore::CreateOleDataSourceProxy(DWORD dwFlags) {
  delete m_pOleDataSourceProxy;
  m_pOleDataSourceProxy = nullptr;
  m_dwDndFlags = dwFlags;
  m_nClipboardFlags = dwFlags;
  m_bDndFlagsSet = TRUE;
  if (!dwFlags) return TRUE;
  auto* source = new (std::nothrow) COleDataSource;
  if (!source) return FALSE;
  m_pOleDataSourceProxy = new (std::nothrow) CGXOleDataSourceProxy(source, TRUE);
  if (!m_pOleDataSourceProxy) delete source;
  return m_pOleDataSourceProxy != nullptr;
}
