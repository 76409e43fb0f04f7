#include "views/memory/MemoryView.h"

#include "comm/MC_Comm.h"
#include "grid/controls/HexGridCtrl.h"
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXStylesMap.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/e2rom/DriveMemory.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/WinApp.h"
#include "views/KernelGridViews.h"
#include "views/memory/MemoryWords.h"

#include <cstdio>

IMPLEMENT_DYNCREATE(CMemoryView, CGXGridView)

BEGIN_MESSAGE_MAP(CMemoryView, CGXGridView)
ON_COMMAND(57669, &CMemoryView::OnContextHelp)
ON_COMMAND(57670, &CMemoryView::OnContextHelp)
ON_COMMAND(ID_VIEW_REFRESH, &CMemoryView::OnViewRefresh)
ON_COMMAND(ID_FILE_PRINT_DIRECT, &CView::OnFilePrint)
ON_UPDATE_COMMAND_UI(ID_PANE_POSITION, &CMemoryView::OnUpdatePosition)
END_MESSAGE_MAP()

namespace {

const char kWordFormat[] = "%.4hX";
const char kUnknown[] = "????";

// The words of one fill with the cells' previous texts, for the red marks.
CGXStyle WordStyle(const std::string &text, const CString &previous, BOOL bMark) {
  CGXStyle style;
  const BOOL changed = bMark && !previous.IsEmpty() && previous.CompareNoCase(text.c_str()) != 0;
  style.SetValue(text.c_str()).SetTextColor(changed ? RGB(255, 0, 0) : RGB(0, 0, 0)).SetReadOnly(text == kUnknown);
  return style;
}

}  // namespace

CMemoryView::CMemoryView() = default;
CMemoryView::~CMemoryView() = default;

CMC_Setup *CMemoryView::GetSetup() {
  auto *doc = dynamic_cast<CMC_Document *>(GetDocument());
  return doc ? doc->GetSetup() : nullptr;
}

WORD CMemoryView::GetAddressRowCol(ROWCOL nRow, ROWCOL nCol) const {
  if (nRow < 1 || nRow > m_nRows || nCol < 1 || nCol > 8) return 0;
  return WORD(m_wStartAddress + (nRow - 1) * 8 + (nCol - 1));
}

DWORD CMemoryView::RowsFor(int cy) {
  const int header = GetRowHeight(0), row = GetRowHeight(1);
  if (cy <= header || row <= 0) return 1;
  return std::max<DWORD>(DWORD((cy - header) / row), 1);
}

void CMemoryView::OnInitialUpdate() {
  StartKernelGridLibrary();
  CGXGridView::OnInitialUpdate();
  RegisterControl(kHexControl, new CHexGridCtrl(this), FALSE, TRUE);

  SetScrollBarBehaviour(SB_BOTH, 0, TRUE);
  CreateOleDataSourceProxy(0);
  CGXGridParam *param = GetParam();
  param->EnableSelection(0);
  param->EnableTrackColWidth(0);
  param->EnableTrackRowHeight(0);
  // A word goes to the drive at once: an undo could only restore the cell's text.
  param->EnableUndo(FALSE);
  param->GetStylesMap()->AddUserAttribute(kHexAttribute);

  SetRowCount(1);
  SetColCount(8);
  CGXStyle centred;
  centred.SetHorizontalAlignment(DT_CENTER);
  SetStyleRange(CGXRange().SetWholeTable(), &centred);
  CGXStyle normal;
  normal.SetFont(CGXFont().SetWeight(400));
  ChangeRowHeaderStyle(normal);
  ChangeColHeaderStyle(normal);

  const int w = 16 * GetFontCharWidth() / 3;
  SetColWidth(0, 0, 3 * w / 2);
  SetColWidth(1, 8, w);
  SetMergeCellsMode(6);

  SetRangeValueText(CGXRange().SetCellRange(0, 0, 0, 0), "Address");
  CGXStyle data;
  data.SetValue("Data").SetMergeCell(3);
  SetStyleRange(CGXRange().SetCellRange(0, 1, 0, 8), &data);

  CGXStyle words;
  for (int side = 0; side < 4; ++side) words.SetBorders(side, CGXPenValue(5, 1, RGB(0, 0, 0)));
  words.SetControl(kHexControl).SetMaxLength(4).SetUserAttribute(kHexAttribute, kWordFormat);
  SetStyleRange(CGXRange().SetColRange(1, 8), &words);

  SetCurrentCell(1, 1);
  if (auto *doc = dynamic_cast<CMC_Document *>(GetDocument())) m_wStartAddress = doc->GetMemoryViewStartAddress();

  CGXStyle start;
  start.SetControl(kHexControl).SetReadOnly(FALSE).SetMaxLength(4).SetUserAttribute(kHexAttribute, kWordFormat);
  start.SetValue("0000");
  SetStyleRange(CGXRange().SetCellRange(1, 0, 1, 0), &start);

  CRect client;
  GetClientRect(&client);
  m_nRows = RowsFor(client.Height());
  SetRowCount(m_nRows);
  FillGrid(FALSE);

  if (CFrameWnd *frame = GetParentFrame()) {
    CRect r;
    frame->GetWindowRect(&r);
    if (CWnd *parent = frame->GetParent()) parent->ScreenToClient(&r);
    frame->MoveWindow(&r);
  }
}

void CMemoryView::FillGrid(int bMark) {
  CMC_Setup *setup = GetSetup();
  if (m_nRows == 0 || !setup) return;
  CWaitCursor wait;
  CGXGridParam *param = GetParam();
  const BOOL oldLock = param->m_bLockUpdate, oldProtect = param->m_bProtectReadOnly;
  param->m_bLockUpdate = TRUE;
  param->m_bProtectReadOnly = FALSE;

  const CMemoryWords memory(setup->GetE2ROMSize(), setup->GetRAMStart(), setup->GetRAMSize(), setup->GetPVTSize());
  const WORD start = memory.ClampStart(m_wStartAddress, m_nRows);
  if (start != m_wStartAddress) {
    m_wStartAddress = start;
    if (auto *doc = dynamic_cast<CMC_Document *>(GetDocument())) doc->SetMemoryViewStartAddress(start);
    bMark = FALSE;
  }
  char text[8];
  for (ROWCOL r = 1; r <= m_nRows; ++r) {
    std::snprintf(text, sizeof text, kWordFormat, static_cast<unsigned short>(start + (r - 1) * 8));
    SetRangeValueText(CGXRange().SetCellRange(r, 0, r, 0), text, 0, 0);
  }
  // The error box stays silent while the words are read.
  const CMemoryWords::Block read = memory.Read(start, 8 * m_nRows);
  for (ROWCOL r = 1; r <= m_nRows; ++r)
    for (ROWCOL c = 1; c <= 8; ++c) {
      const CGXStyle style = WordStyle(CMemoryWords::Text(read[(r - 1) * 8 + (c - 1)]), GetValueRowCol(r, c), bMark);
      // Copied whole, so a word being typed in the current cell gives way to the drive's unmodified.
      SetStyleRange(CGXRange().SetCellRange(r, c, r, c), &style, 2, 0, nullptr, 0);
    }

  param->m_bProtectReadOnly = oldProtect;
  param->m_bLockUpdate = oldLock;
  Redraw();
}

BOOL CMemoryView::OnEndEditing(ROWCOL nRow, ROWCOL nCol) {
  auto *doc = dynamic_cast<CMC_Document *>(GetDocument());
  if (!doc || !doc->GetSetup()) return FALSE;
  if (nRow == 0) return TRUE;
  if (nCol == 0) {
    if (nRow != 1) return TRUE;
    const std::optional<uint16_t> start = CMemoryWords::ParseHex(GetValueRowCol(1, 0));
    if (!start) return FALSE;
    if (*start != m_wStartAddress) {
      m_wStartAddress = *start;
      doc->SetMemoryViewStartAddress(*start);
      FillGrid(FALSE);
    }
    return TRUE;
  }
  CWaitCursor wait;
  const WORD address = GetAddressRowCol(nRow, nCol);
  const std::optional<std::string> shown = CMemoryWords::Write(address, GetValueRowCol(nRow, nCol));
  // A channel closed before the write or by its error box leaves no word shown nor typed in any cell.
  if (!CMC_Comm::IsCommOpen())
    FillGrid(FALSE);
  else if (shown)
    SetRangeValueText(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), shown->c_str());
  return TRUE;
}

// A word being typed stays in its cell's editor while the user turns to another window: the grid
// would put it in the cell without writing it to the drive, where a half-typed word must not go
// unasked either. Enter or a click on another cell writes it when the user comes back.
BOOL CMemoryView::OnActivateGrid(BOOL bActivate) {
  CGXControl* control = bActivate ? nullptr : GetCurrentCellControl();
  if (!control || !control->IsActive() || !control->GetModify()) return CGXGridView::OnActivateGrid(bActivate);
  m_bActive = FALSE;
  return TRUE;
}

BOOL CMemoryView::MoveCurrentCell(int direction, UINT nCell, BOOL bCanSelectRange) {
  ROWCOL row = 0, col = 0;
  if (nCell == 1 && GetCurrentCell(row, col)) {
    if (direction == GX_RIGHT && col == 8 && row < GetRowCount()) return SetCurrentCell(row + 1, 1);
    if (direction == GX_LEFT && col == 1 && row > 1) return SetCurrentCell(row - 1, 8);
  }
  return CGXGridView::MoveCurrentCell(direction, nCell, bCanSelectRange);
}

BOOL CMemoryView::CanSelectCurrentCell(BOOL bSelect, ROWCOL nNewRow, ROWCOL nNewCol, ROWCOL nOldRow, ROWCOL nOldCol) {
  if (bSelect && nNewRow == 0) return FALSE;
  return CGXGridView::CanSelectCurrentCell(bSelect, nNewRow, nNewCol, nOldRow, nOldCol);
}

void CMemoryView::ShowContextCursor(UINT nID, LPCSTR pszSystemCursor) {
  CGXGridView::ShowContextCursor(KernelContextCursor(nID), pszSystemCursor);
}

void CMemoryView::OnUpdate(CView *, LPARAM lHint, CObject *) {
  if (lHint == HINT_REFRESH || lHint == HINT_REFILL)
    FillGrid(FALSE);
  else if (lHint == HINT_REFILL_MARKED)
    FillGrid(TRUE);
}

void CMemoryView::OnActivateView(BOOL bActivate, CView *pActivateView, CView *pDeactiveView) {
  if (CWnd *main = AfxGetMainWnd()) main->PostMessage(WM_SETMESSAGESTRING, bActivate ? WPARAM(IDS_HINT) : WPARAM(57345), 0);
  CGXGridView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

BOOL CMemoryView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) {
  if (message == WM_SIZE) OnSizeView((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam));
  return CGXGridView::OnWndMsg(message, wParam, lParam, pResult);
}

void CMemoryView::OnSizeView(UINT, int, int cy) {
  if (m_nRows == 0) return;
  const DWORD rows = RowsFor(cy);
  if (rows == m_nRows) return;
  SetRowCount(rows, GX_UPDATENOW);
  const BOOL grew = rows > m_nRows;
  m_nRows = rows;
  if (grew) FillGrid(TRUE);
}

void CMemoryView::OnUpdatePosition(CCmdUI *pCmdUI) {
  CString text;
  ROWCOL row = 0, col = 0;
  if (GetCurrentCell(row, col)) {
    const WORD a = GetAddressRowCol(row, col);
    if (a >= DriveMemory::kE2ROMStart && a <= DriveMemory::kE2ROMLast)
      text.Format("E2ROM Address 0x%.4hX", a);
    else if (a >= 0x8200)
      text.Format("PM Address 0x%.4hX", a);
  }
  pCmdUI->SetText(text);
}

BOOL CMemoryView::OnHelpInfo(HELPINFO *) {
  OnContextHelp();
  return TRUE;
}

void CMemoryView::OnContextHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, kHelpTopic); }
