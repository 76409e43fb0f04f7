// The grid core: construction, Initialize, the parameter block, read-only mode and the current cell.
#include "grid/engine/GXGridCore.h"

#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXDragLineWnd.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXOleDataSourceProxy.h"
#include "grid/engine/GXOperationProgress.h"
#include "grid/engine/GXPrintDevice.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CGXGridHint, CObject)

CGXGridCore::CGXGridCore(CWnd* pGridWnd, CDocument* pDocument, void*)
    : m_pDocument(pDocument), m_pGridWnd(pGridWnd) {
  // Dragging scrolls as the layer's drop targets do.
  m_nDragScrollInset = COleDropTarget::nScrollInset;
  m_nDragScrollDelay = m_nDragScrollOutsideDelay = COleDropTarget::nScrollDelay;
  m_nDragScrollInterval = COleDropTarget::nScrollInterval;
}

CGXGridCore::~CGXGridCore() {
  GXForgetFindReplaceOwner(this);
  if (GXGetLibraryData().m_pLastActiveGrid == this) GXGetLibraryData().m_pLastActiveGrid = nullptr;
  delete m_pOleDataSourceProxy;
  DestroyDragLine();
  for (auto& entry : m_ControlMap) delete entry.second;
  m_ControlMap.clear();
  // Cells drawn outside a paint leave their windows' rectangles behind.
  while (!m_ControlRectList.IsEmpty()) delete static_cast<RECT*>(m_ControlRectList.RemoveHead());
  m_pDefaultControl = m_pLastControl = m_pCurrentCellControl = nullptr;
  m_nLockUpdate = 0;
  FreeObjectCache();
  if (m_bOwnParam) delete m_pParam;
  m_pParam = nullptr;
  delete m_pScratchStyle;
  delete m_pValueStyle;
  delete m_pCurrentCellStyle;
  for (CGXStyle* s : m_apStyleCache) delete s;
  while (!m_StyleRecycleList.IsEmpty()) delete static_cast<CGXStyle*>(m_StyleRecycleList.RemoveHead());
  while (!m_StyleTempList.IsEmpty()) delete static_cast<CGXStyle*>(m_StyleTempList.RemoveHead());
  ReleaseClientDC();
}

void CGXGridCore::SetOperationPercent(int nPercent) {
  GXProgressSettings& progress = GXGetProgressSettings();
  if (progress.nLevel > 0) progress.nPercent = (DWORD)std::clamp(nPercent, 0, 100);
}

namespace {

// A styles map as the grid makes one: the built-in styles and the cell types' user attributes (so
// that styles holding them are written and read whole), then what the profile keeps.
CGXStylesMap* NewStylesMap(CRuntimeClass* pStyleClass) {
  auto* map = new CGXStylesMap(pStyleClass);
  map->CreateStandardStyles();
  if (CGXAbstractControlFactory* factory = GXGetLibraryData().m_pControlFactory)
    factory->RegisterAllUserAttributes(map);
  map->ReadProfile();
  return map;
}

// Gives a parameter object the parts it lacks: properties, a styles map and data.
void CompleteParam(CGXGridParam& param, CRuntimeClass* pStyleClass, BOOL bData) {
  if (!param.m_pProperties) {
    auto* props = new CGXProperties;
    props->AddDefaultUserProperties();
    props->ReadProfile();
    param.SetProperties(props, TRUE);
  }
  if (!param.m_pStylesMap) param.SetStylesMap(NewStylesMap(pStyleClass), TRUE);
  if (bData && !param.m_pData) param.SetData(new CGXData, TRUE);
}

void LookupBaseStyles(CGXGridCore& grid) {
  grid.m_pStyleColHeader = grid.m_pStyleRowHeader = grid.m_pStyleStandard = nullptr;
  CGXStylesMap* map = grid.GetParam() ? grid.GetParam()->m_pStylesMap : nullptr;
  if (!map) return;
  map->LookupStyle(map->GetColHeaderStyleId(), grid.m_pStyleColHeader);
  map->LookupStyle(map->GetRowHeaderStyleId(), grid.m_pStyleRowHeader);
  map->LookupStyle(map->GetStandardStyleId(), grid.m_pStyleStandard);
}

}  // namespace

void CGXGridCore::SetParam(CGXGridParam* pParam, BOOL bMustDelete) {
  if (!pParam) {
    pParam = new CGXGridParam;
    bMustDelete = TRUE;
  }
  const BOOL bOther = m_pParam != pParam;
  if (bOther) {
    // The composed styles, the base styles and the selection range point into the old object.
    const int lock = m_nLockUpdate;
    m_nLockUpdate = 0;
    FreeObjectCache();
    m_nLockUpdate = lock;
    m_pStyleColHeader = m_pStyleRowHeader = m_pStyleStandard = nullptr;
    m_posSelRange = nullptr;
    if (m_bOwnParam) delete m_pParam;
  }
  m_pParam = pParam;
  m_bOwnParam = bMustDelete;
  if (!bOther || !m_bInitialized) return;
  CompleteParam(*m_pParam, m_pStyleClass, TRUE);
  LookupBaseStyles(*this);
  if (!m_pParam->m_SelRects.IsEmpty()) m_posSelRange = m_pParam->m_SelRects.GetTailPosition();
  m_nZoom = m_pParam->m_pProperties->GetZoom();
  TakeCharSize();
  m_nTopRow = std::max<ROWCOL>(m_nTopRow, GetFrozenRows() + 1);
  m_nLeftCol = std::max<ROWCOL>(m_nLeftCol, GetFrozenCols() + 1);
}

// ---- life and document ---------------------------------------------------------------------------------

void CGXGridCore::SetPrinting(BOOL bPrint, BOOL bClientToPrint) {
  if (bPrint && m_pCurrentCellControl && m_pCurrentCellControl->IsActive()) {
    CGXControl* control = m_pCurrentCellControl;  // ending the edit lets go of it
    EndCurrentCellEdit();
    control->SetActive(FALSE);
  }
  m_bPrinting = bPrint;
  if (bClientToPrint) {
    if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) m_pGridWnd->GetClientRect(&m_rectPrint);
    m_nPrintTopRow = GetFrozenRows() + 1;
    m_nPrintLeftCol = GetFrozenCols() + 1;
    // Drawn for the window, not a page: the sizes of the window's own font.
    RecalcCharSize(&m_nPrintCharWidth, &m_nPrintCharHeight);
  }
  if (m_pParam && m_pParam->m_pProperties) m_pParam->m_pProperties->SetPrinting(bPrint);
}

void CGXGridCore::SetModifiedFlag(BOOL bModified) {
  if (m_bUpdateHints && m_pDocument) m_pDocument->SetModifiedFlag(bModified);
}

void CGXGridCore::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  if (m_bUpdateHints && m_pDocument) m_pDocument->UpdateAllViews(pSender, lHint, pHint);
}

BOOL CGXGridCore::Initialize() {
  WNDCLASS wc{};
  if (!::GetClassInfo(AfxGetInstanceHandle(), "GXWND", &wc)) AfxThrowNotSupportedException();
  if (!m_pScratchStyle) m_pScratchStyle = CreateStyle();
  if (!m_pValueStyle) m_pValueStyle = CreateStyle();
  m_pStyleClass = m_pScratchStyle->GetRuntimeClass();
  if (!m_pCurrentCellStyle) m_pCurrentCellStyle = CreateStyle();
  if (!m_pParam) SetParam(new CGXGridParam, TRUE);
  FreeObjectCache();
  CompleteParam(*m_pParam, m_pStyleClass, FALSE);
  LookupBaseStyles(*this);
  if (CGXAbstractControlFactory* factory = GXGetLibraryData().m_pControlFactory) {
    UINT id = m_pStyleStandard ? m_pStyleStandard->GetControl() : 0;
    CGXControl* control = factory->CreateControl(id, this);
    // Cells that name no cell type show as static text, not as whichever cell was made first.
    if (!control) control = factory->CreateControl(id = 52513, this);
    if (control) RegisterControl(id, control, TRUE, TRUE);
  }
  if (!m_pParam->m_pData) m_pParam->SetData(new CGXData, TRUE);
  m_pParam->m_bExtraFlag2 = TRUE;
  m_nZoom = m_pParam->m_pProperties->GetZoom();
  TakeCharSize();
  // Every grid window's bars show its position, a pane's or a sheet's the bars it shares; the
  // program may choose otherwise once the grid is set up.
  SetScrollBarBehaviour(SB_BOTH, m_pSplitterWnd || GetParentTabWnd() ? 12 : 10, FALSE);
  m_bInitialized = TRUE;
  m_nTopRow = std::max<ROWCOL>(m_nTopRow, GetFrozenRows() + 1);
  m_nLeftCol = std::max<ROWCOL>(m_nLeftCol, GetFrozenCols() + 1);
  // A named sheet names its tab; an unnamed one takes the tab's name.
  if (CGXAbstractTabWndInterface* tabs = GXGetLibraryData().m_pTabWndInterface)
    tabs->AccessSheetName(m_pGridWnd, &m_pParam->m_strSheetName, !m_pParam->m_strSheetName.IsEmpty());
  if (m_pParam->m_bInitOption && GetRowCount() >= m_pParam->m_nCurRow && GetColCount() >= m_pParam->m_nCurCol) {
    SetCurrentCell(m_pParam->m_nCurRow, m_pParam->m_nCurCol);
    PushRecordInfo();
  }
  // A shared parameter block may come with a selection: its last range is the one a drag extends.
  m_nAnchorRow = m_nAnchorCol = 0;
  m_posSelRange = m_pParam->m_SelRects.IsEmpty() ? nullptr : m_pParam->m_SelRects.GetTailPosition();
  TakeCharSize();
  RefreshScrollBars(TRUE, FALSE);
  return TRUE;
}

void CGXGridCore::TakeCharSize() { RecalcCharSize(&m_nCharWidth, &m_nCharHeight); }

ROWCOL CGXGridCore::GetRowCount() const { return m_pParam && m_pParam->m_pData ? m_pParam->m_pData->GetRowCount() : 0; }
ROWCOL CGXGridCore::GetColCount() const { return m_pParam && m_pParam->m_pData ? m_pParam->m_pData->GetColCount() : 0; }

// ---- read-only, records and sheets ------------------------------------------------------------------------------

BOOL CGXGridCore::SetReadOnly(BOOL bReadOnly) {
  const BOOL bOld = IsReadOnly();
  if (!StoreReadOnly(bReadOnly)) return FALSE;
  UpdateReadOnly(bOld, TRUE);
  return TRUE;
}

BOOL CGXGridCore::IsReadOnly() { return m_pParam ? m_pParam->m_bReadOnly : FALSE; }

BOOL CGXGridCore::StoreReadOnly(BOOL bReadOnly) {
  if (!m_pParam) return FALSE;
  m_pParam->m_bReadOnly = bReadOnly;
  return TRUE;
}

void CGXGridCore::UpdateReadOnly(BOOL, BOOL bCreateHint) {
  if (m_pCurrentCellControl && m_pCurrentCellControl->IsActive()) {
    m_pCurrentCellControl->Deactivate();
    m_pCurrentCellControl->Init(m_nCurrentRow, m_nCurrentCol);
  }
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateReadOnly, m_nViewID);
    SendHint(hint);
  }
}

void CGXGridCore::OnRecordNavigate(int nCommand, LONG nRecord) {
  static const int kDirections[4] = {GX_TOP, GX_UP, GX_DOWN, GX_BOTTOM};
  if (nCommand >= 0 && nCommand <= 3) {
    MoveCurrentCell(kDirections[nCommand], 1, TRUE);
    return;
  }
  // A record number below 1 goes to the first record.
  if (nCommand != 4) return;
  const ROWCOL record = nRecord < 1 ? 1 : (ROWCOL)nRecord;
  const ROWCOL row = std::min<ROWCOL>(GetHeaderRows() + record, GetRowCount());
  const ROWCOL col = std::min<ROWCOL>(GetHeaderCols() + 1, GetColCount());
  SetCurrentCell(row, col, GX_UPDATENOW | GX_SCROLLINVIEW);
  UpdateWindow();
}

BOOL CGXGridCore::IsSheetNameEditable() { return m_pParam ? m_pParam->m_bSheetNameEditable : FALSE; }

BOOL CGXGridCore::CanSwitchSheet(BOOL bForce) {
  if (bForce) return TRUE;
  struct Running {
    BOOL& flag;
    BOOL old;
    explicit Running(BOOL& f) : flag(f), old(f) { flag = TRUE; }
    ~Running() { flag = old; }
  } running(m_bInCanSwitchSheet);
  CGXControl* control = GetCurrentCellControl();
  m_strWarningText.Empty();
  if (!control || !control->IsActive()) return TRUE;
  // Keys typed into the edit ahead of the switch go with it, not to the sheet the switch brings.
  const HWND grid = m_pGridWnd ? m_pGridWnd->GetSafeHwnd() : nullptr, focus = ::GetFocus();
  MSG msg;
  if (grid && focus && ::IsChild(grid, focus))
    while (::PeekMessage(&msg, focus, WM_KEYDOWN, WM_KEYLAST, PM_REMOVE)) {
    }
  if (control->OnValidate()) return TRUE;
  // The sheet stays: the cell comes into view with its warning, and the edit takes the focus back
  // when the grid gets it.
  ShowPendingWarning();
  m_bRefreshOnFocus = TRUE;
  return FALSE;
}

void CGXGridCore::OnTabRenamed(int nTab) {
  CGXAbstractTabWndInterface* tabs = GXGetLibraryData().m_pTabWndInterface;
  CString label;
  if (!tabs || !tabs->GetTabLabel(m_pGridWnd, nTab, &label) || !m_pParam) return;
  m_pParam->m_strSheetName = label;
  if (m_bUpdateHints) {
    CGXGridHint hint(gxHintUpdateSheetName, m_nViewID);
    SendHint(hint);
  }
}

void CGXGridCore::PushRecordInfo() {
  CGXAbstractRecordInfoWndInterface* frame = GXGetLibraryData().m_pRecordInfoWndInterface;
  if (!frame || !frame->HasRecordBeam(m_pGridWnd)) return;
  const ROWCOL headers = GetHeaderRows();
  frame->ShowRecord(m_pGridWnd, (LONG)(m_nCurrentRow - headers), (LONG)(GetRowCount() - headers));
}

CScrollBar* CGXGridCore::GetScrollBarCtrl(int nBar) const {
  if (!m_pGridWnd || !m_pGridWnd->GetSafeHwnd() || (m_pGridWnd->GetStyle() & (nBar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)))
    return nullptr;
  CWnd* host = GetParentTabWnd();
  return host ? reinterpret_cast<CScrollBar*>(host->GetDlgItem(nBar == SB_VERT ? GX_IDW_TAB_VSCROLL : GX_IDW_TAB_HSCROLL)) : nullptr;
}

CWnd* CGXGridCore::GetParentTabWnd(BOOL bIgnoreIconic) const {
  if (!m_pGridWnd) return nullptr;
  const CPtrList& classes = GXGetLibraryData().m_HostWndClasses;
  for (const CWnd* w = m_pGridWnd; w; w = w->GetParent()) {
    for (POSITION pos = classes.GetHeadPosition(); pos;) {
      auto* cls = static_cast<CRuntimeClass*>(classes.GetNext(pos));
      if (CWnd* parent = GXGetParentOfKind(w, cls, bIgnoreIconic)) return parent;
    }
  }
  return nullptr;
}

// ---- current cell ---------------------------------------------------------------------------------------

BOOL CGXGridCore::GetCurrentCell(ROWCOL& nRow, ROWCOL& nCol, BOOL bIgnorePrinting) {
  nRow = m_nCurrentRow;
  nCol = m_nCurrentCol;
  if (m_bCurrentCellValid && m_pParam && m_pParam->m_pData &&
      (m_nCurrentRow > GetRowCount() || m_nCurrentCol > GetColCount()))
    m_bCurrentCellValid = FALSE;
  return m_bCurrentCellValid && (bIgnorePrinting || !m_bPrinting);
}

BOOL CGXGridCore::IsCurrentCell(ROWCOL nRow, ROWCOL nCol, BOOL bIgnorePrinting) {
  ROWCOL r, c;
  if (!GetCurrentCell(r, c, bIgnorePrinting)) return FALSE;
  return (nRow == (ROWCOL)-1 || nRow == r) && (nCol == (ROWCOL)-1 || nCol == c);
}

void CGXGridCore::UpdateWindow() {
  if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) m_pGridWnd->UpdateWindow();
}

BOOL CGXGridCore::UndoCurrentCellEdit(BOOL& bHandled) {
  bHandled = FALSE;
  CGXControl* control = GetCurrentCellControl();
  if (!control || !control->IsActive()) return FALSE;
  if (!control->OnStartEditing()) {
    bHandled = TRUE;
    return FALSE;
  }
  const BOOL bModified = control->GetModify();
  control->Init(m_nCurrentRow, m_nCurrentCol);
  control->Refresh();
  control->OnCancelEditing();
  bHandled = bModified;
  return bModified;
}

BOOL CGXGridCore::IsCurrentCellModified() {
  CGXControl* control = GetCurrentCellControl();
  return control && control->IsActive() && control->GetModify();
}

// ---- undoable operations: the grid's layers give the real ones --------------------------------------------


// ---- drawing area, printing metrics, sizes and selection ------------------------------------------------------

CSize CGXGridCore::ScreenPixelsPerInch() {
  CDC screen;
  if (!screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr)) return CSize(96, 96);
  return CSize(screen.GetDeviceCaps(LOGPIXELSX), screen.GetDeviceCaps(LOGPIXELSY));
}

void CGXGridCore::PrepareDC(CDC* pDC, CPrintInfo* pInfo) {
  if (!pDC) return;
  const CSize dpi = ScreenPixelsPerInch();
  const int screenX = dpi.cx, screenY = dpi.cy;
  // Printing: screen pixels per inch map onto the printer's.
  CDC* printer = pInfo ? pDC : nullptr;
  if (!printer && m_pParam && m_pParam->m_bPrinterMetrics && m_pParam->m_pPD) {
    if (HDC hdc = m_pParam->m_pPD->GetPrintDC()) {
      pDC->SetAttribDC(hdc);
      printer = CDC::FromHandle(hdc);
    }
  }
  if (!printer) return;
  // A preview draws printer units scaled onto its page image: that scale stays under ours.
  CSize win(1, 1), view(1, 1);
  if (pInfo && pDC->m_hAttribDC && pDC->m_hAttribDC != pDC->m_hDC && pDC->GetMapMode() == MM_ANISOTROPIC) {
    win = pDC->GetWindowExt(), view = pDC->GetViewportExt();
    if (win.cx <= 0 || win.cy <= 0 || view.cx <= 0 || view.cy <= 0) win = view = CSize(1, 1);
  }
  pDC->SetMapMode(MM_ANISOTROPIC);
  pDC->SetWindowExt(screenX * win.cx, screenY * win.cy);
  pDC->SetViewportExt(printer->GetDeviceCaps(LOGPIXELSX) * view.cx, printer->GetDeviceCaps(LOGPIXELSY) * view.cy);
}

void CGXGridCore::GetGridRect(RECT* pRect) {
  if (!pRect) return;
  CRect r;
  if (m_bPrinting) r = m_rectPrint;
  else if (m_bGridRectSet) r = m_rectGrid;
  else if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) m_pGridWnd->GetClientRect(&r);
  if (r.right < r.left || r.bottom < r.top) r.SetRectEmpty();
  *pRect = r;
}

void CGXGridCore::SetGridRect(BOOL bSet, LPCRECT pRect) {
  m_bGridRectSet = bSet && pRect;
  if (m_bGridRectSet) m_rectGrid = *pRect;
}

BOOL CGXGridCore::CopyRangeList(CGXRangeList& list, BOOL bAddCurrentCell) {
  if (m_pParam) {
    POSITION pos = m_pParam->m_SelRects.GetHeadPosition();
    while (pos) list.AddTail(new CGXRange(*m_pParam->m_SelRects.GetNext(pos)));
  }
  ROWCOL r, c;
  if (list.IsEmpty() && bAddCurrentCell && GetCurrentCell(r, c))
    list.AddTail(new CGXRange(CGXRange().SetCellRange(r, c, r, c)));
  return !list.IsEmpty();
}

BOOL CGXGridCore::SetTopRow(ROWCOL nRow, UINT flags, BOOL bRedraw) {
  m_nTopRow = std::max<ROWCOL>(nRow, GetFrozenRows() + 1);
  if (bRedraw) Redraw(flags, FALSE);
  return TRUE;
}

BOOL CGXGridCore::SetLeftCol(ROWCOL nCol, UINT flags, BOOL bRedraw) {
  m_nLeftCol = std::max<ROWCOL>(nCol, GetFrozenCols() + 1);
  if (bRedraw) Redraw(flags, FALSE);
  return TRUE;
}

// ---- room that borders, grid lines and the 3-D frame take -----------------------------------------------------

namespace {

// A side's border width: -1 for a side without a border, 0 for the null pen.
int BorderWidth(const CGXStyle& style, int side) {
  if (!style.GetIncludeBorder(side)) return -1;
  const CGXPenValue pen = style.GetBorders(side);
  if (pen.GetStyle() == PS_NULL) return 0;
  return std::max<int>(1, pen.GetWidth());
}

}  // namespace

void CGXGridCore::ShrinkRectByBorders(RECT* pOut, const RECT& rect, const CGXStyle& style, BOOL bFrameAndLines) {
  if (!pOut) return;
  const CGXProperties* props = m_pParam ? m_pParam->m_pProperties : nullptr;
  const BOOL h = props ? props->GetHorizontalLines() : TRUE, v = props ? props->GetVerticalLines() : TRUE;
  const BOOL r = m_pParam ? m_pParam->m_bGridLinesRightBottom : TRUE;
  RECT out = rect;
  if (bFrameAndLines && style.GetIncludeDraw3dFrame() && style.GetDraw3dFrame()) {
    ++out.left, ++out.top, --out.right, --out.bottom;
  }
  auto side = [&](int which, LONG& edge, int dir, BOOL lines) {
    const int w = BorderWidth(style, which);
    if (w > 0) edge += dir * w;
    else if (w < 0 && bFrameAndLines && lines) edge += dir;
  };
  side(CGXStyle::sideTop, out.top, 1, h && !r);
  side(CGXStyle::sideBottom, out.bottom, -1, h && r);
  side(CGXStyle::sideLeft, out.left, 1, v && !r);
  side(CGXStyle::sideRight, out.right, -1, v && r);
  *pOut = out;
}

void CGXGridCore::GrowSizeByBorders(SIZE* pOut, int cx, int cy, const CGXStyle& style) {
  if (!pOut) return;
  const CGXProperties* props = m_pParam ? m_pParam->m_pProperties : nullptr;
  const BOOL h = props ? props->GetHorizontalLines() : TRUE, v = props ? props->GetVerticalLines() : TRUE;
  const BOOL r = m_pParam ? m_pParam->m_bGridLinesRightBottom : TRUE;
  if (style.GetIncludeDraw3dFrame() && style.GetDraw3dFrame()) cx += 2, cy += 2;
  auto side = [&](int which, int& total, BOOL lines) {
    const int w = BorderWidth(style, which);
    if (w > 0) total += w;
    else if (lines) total += 1;
  };
  side(CGXStyle::sideTop, cy, h && !r);
  side(CGXStyle::sideBottom, cy, h && r);
  side(CGXStyle::sideLeft, cx, v && !r);
  side(CGXStyle::sideRight, cx, v && r);
  pOut->cx = cx;
  pOut->cy = cy;
}
