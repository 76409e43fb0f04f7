#include "views/folders/MC_HandlerFolderView.h"

#include "grid/controls/GXPushbutton.h"
#include "grid/controls/GXRadioButton.h"
#include "grid/controls/GXStatic.h"
#include "grid/engine/GXGridParam.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/MC_Document.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "views/KernelGridViews.h"

#include <algorithm>
#include <utility>

IMPLEMENT_DYNAMIC(CMC_HandlerFolderView, CGXGridView)

BEGIN_MESSAGE_MAP(CMC_HandlerFolderView, CGXGridView)
ON_COMMAND(57670, &CMC_HandlerFolderView::OnHelp)
END_MESSAGE_MAP()

CMC_HandlerFolderView::CMC_HandlerFolderView(UINT nHelpTopic) : m_nHelpTopic(nHelpTopic) {}
CMC_HandlerFolderView::~CMC_HandlerFolderView() = default;

CMC_Motion* CMC_HandlerFolderView::GetMotion() {
  auto* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetMotion() : nullptr;
}

CMC_Setup* CMC_HandlerFolderView::GetSetup() {
  auto* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetSetup() : nullptr;
}

void CMC_HandlerFolderView::InitFolderGrid(ROWCOL cols) {
  StartKernelGridLibrary();
  CGXGridView::OnInitialUpdate();
  RegisterControl(52513, new CGXStatic(this));
  RegisterControl(52524, new CGXRadioButton(this, TRUE));
  RegisterControl(52514, new CGXPushbutton(this));
  SetScrollBarBehaviour(SB_VERT, 10, TRUE);
  CreateOleDataSourceProxy(0);
  CGXGridParam* param = GetParam();
  param->EnableUndo(FALSE);
  param->EmptyUndoList();
  param->EnableTrackRowHeight(0);
  param->EnableTrackColWidth(0);
  param->EnableSelection(0);
  CDC screen;
  const int dpi = screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr) ? screen.GetDeviceCaps(LOGPIXELSY) : 96;
  CGXStyle header;
  header.SetFont(CGXFont().SetHeight(-MulDiv(12, dpi, 72)).SetWeight(700));
  ChangeColHeaderStyle(header);
  SetColCount(cols);
  SetRowCount(0);
  // The bold title needs more than the default row height.
  ResizeRowHeightsToFit(CGXRange().SetRowRange(0, 0));
  SetMergeCellsMode(2);
}

void CMC_HandlerFolderView::SetFolderColumnWidths(int num, int den) {
  CRect r;
  GetWindowRect(&r);
  const int w = r.Width() - ::GetSystemMetrics(SM_CXVSCROLL) - 2;
  SetColWidth(0, 0, 0);
  SetColWidth(1, 1, std::max(num * w / den, 100));
  SetColWidth(2, GetColCount(), std::max(w / 5, 50));
}

void CMC_HandlerFolderView::FitRows(ROWCOL first, ROWCOL last) {
  // A "Reload default" button needs more room than the text beside it.
  if (first >= 1 && last >= first) ResizeRowHeightsToFit(CGXRange().SetCellRange(first, 1, last, LastSingleRowCol()));
}

CGXStyle CMC_HandlerFolderView::ReloadButtonStyle(BOOL enabled) {
  CGXStyle style;
  style.SetEnabled(enabled).SetTextColor(::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  return style;
}

CString CMC_HandlerFolderView::HandlerText(const CString& name, const CString& description) {
  CString text;
  text.Format("%s - %s", name.GetString(), description.GetString());
  return text;
}

void CMC_HandlerFolderView::SetTitle(LPCTSTR title) {
  CGXStyle style;
  style.SetValue(title).SetMergeCell(1);
  SetStyleRange(CGXRange().SetCellRange(0, 1, 0, GetColCount()), &style);
}

void CMC_HandlerFolderView::ShowContextCursor(UINT nID, LPCSTR pszSystemCursor) {
  CGXGridView::ShowContextCursor(KernelContextCursor(nID), pszSystemCursor);
}

BOOL CMC_HandlerFolderView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const BOOL handled = CGXGridView::OnWndMsg(message, wParam, lParam, pResult);
  if (message == WM_SIZE && m_bInitialized) {
    // A scroll bar shown or hidden sizes the client, not the columns: the rows stay as they are.
    auto widths = [this] { return std::pair(GetColWidth(1), GetColCount() > 1 ? GetColWidth(2) : 0); };
    const auto fitted = widths();
    SetColumnsWidth();
    if (widths() != fitted) FitRows(1, GetRowCount());
  }
  return handled;
}

BOOL CMC_HandlerFolderView::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) {
  if (!CGXGridView::OnMouseWheel(nFlags, zDelta, pt)) ScrollGridByWheel(this, zDelta);
  return TRUE;
}

void CMC_HandlerFolderView::OnHelp() {
  CString file;
  if (GetHelpFileOfModule(AfxGetInstanceHandle(), file)) ::HtmlHelp(m_hWnd, file, 15, m_nHelpTopic);
}
