// Blocks of cells dragged out of a grid and dropped into one: the source's drag loop, the drop
// target's callbacks, the dotted drop frame and scrolling while the mouse rests near an edge.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXOleDataSourceProxy.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStyleBlock.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Archive.h"
#include "platform/core/Clock.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/SharedFile.h"
#include "platform/ui/Window.h"
#include "platform/ui/WinThread.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kDropTimer = 23998, kSourceTimer = 23999;
constexpr UINT kDragTimerMs = 25;
constexpr DWORD kMaxBlock = 0x7FFF;
constexpr UINT kSharedAlloc = GMEM_SHARE | GMEM_ZEROINIT | GMEM_MOVEABLE;
constexpr ROWCOL kNoCell = (ROWCOL)-1;

HWND Hwnd(CWnd* wnd) { return wnd ? wnd->GetSafeHwnd() : nullptr; }

// The global block of a format the drag offers, freed when the holder goes.
struct DropMemory {
  HGLOBAL h = nullptr;
  DropMemory(COleDataObject* data, CLIPFORMAT cf) : h(data && data->IsDataAvailable(cf) ? data->GetGlobalData(cf) : nullptr) {}
  ~DropMemory() {
    if (h) GlobalFree(h);
  }
  DropMemory(const DropMemory&) = delete;
  DropMemory& operator=(const DropMemory&) = delete;
};

// The size of a block in the grid's own format: R x C styles (or nulls), 1 <= R, C <= 32767; else 0 x 0.
BOOL ReadInternalBlockSize(HGLOBAL h, CGXStylesMap* map, ROWCOL& nRows, ROWCOL& nCols) {
  nRows = nCols = 0;
  if (!h) return FALSE;
  try {
    CSharedFile file;
    file.SetHandle(h, FALSE);
    CArchive ar(&file, CArchive::load, 4096);
    CGXStylesMap::AttachToArchive(ar, map);
    DWORD rows = 0, cols = 0;
    ar >> rows >> cols;
    if (rows < 1 || cols < 1 || rows > kMaxBlock || cols > kMaxBlock) return FALSE;
    if (!GXReadStyleBlock(ar, rows, cols)) return FALSE;
    nRows = rows, nCols = cols;
    return TRUE;
  } catch (CException* e) {
    e->Delete();  // foreign or truncated data
    return FALSE;
  }
}

// The two nested dotted rectangles of the drop frame; drawing them again erases them.
void XorDropFrame(CDC& dc, CRect rect) {
  dc.DrawFocusRect(&rect);
  rect.DeflateRect(1, 1);
  dc.DrawFocusRect(&rect);
}

// The parts of a range outside a block.
void AddOutside(const CGXRange& r, const CGXRange& b, CGXRangeList& out) {
  CGXRange cut;
  if (!cut.IntersectRange(r, b)) {
    out.AddTail(new CGXRange(r));
    return;
  }
  if (r.m_nTop < cut.m_nTop) out.AddTail(new CGXRange(CGXRange().SetCellRange(r.m_nTop, r.m_nLeft, cut.m_nTop - 1, r.m_nRight)));
  if (cut.m_nBottom < r.m_nBottom)
    out.AddTail(new CGXRange(CGXRange().SetCellRange(cut.m_nBottom + 1, r.m_nLeft, r.m_nBottom, r.m_nRight)));
  if (r.m_nLeft < cut.m_nLeft)
    out.AddTail(new CGXRange(CGXRange().SetCellRange(cut.m_nTop, r.m_nLeft, cut.m_nBottom, cut.m_nLeft - 1)));
  if (cut.m_nRight < r.m_nRight)
    out.AddTail(new CGXRange(CGXRange().SetCellRange(cut.m_nTop, cut.m_nRight + 1, cut.m_nBottom, r.m_nRight)));
}

}  // namespace

BOOL GXIsPointOutsideMainWindow(CPoint screenPoint) {
  CWnd* main = AfxGetMainWnd();
  if (!main || !main->GetSafeHwnd()) return TRUE;
  POINT pt = screenPoint;
  ::ScreenToClient(main->GetSafeHwnd(), &pt);
  return ::ChildWindowFromPoint(main->GetSafeHwnd(), pt) == nullptr;
}

void GXActivateMdiChild(CWnd* pFrame) {
  if (!pFrame || !pFrame->GetSafeHwnd()) return;
  if (CWnd* client = pFrame->GetParent()) client->SendMessage(WM_MDIACTIVATE, (WPARAM)pFrame->GetSafeHwnd(), 0);
}

// ---- the source ------------------------------------------------------------------------------------------------

BOOL CGXGridCore::StartOleDrag(ROWCOL nRow, ROWCOL nCol) {
  if (!m_pOleDataSourceProxy || !m_pParam) return FALSE;
  CGXRangeList list;
  CopyRangeList(list, TRUE);
  POSITION hit = list.FindRange(nRow, nCol);
  if (!hit) return FALSE;
  if (!(m_dwDndFlags & 0x0004)) {
    CGXRange* keep = list.GetAt(hit);
    list.RemoveAt(hit);
    list.DeleteAll();
    list.AddTail(keep);
  }
  const ROWCOL firstRow = m_dwDndFlags & 0x0002 ? 0 : GetHeaderRows() + 1;
  const ROWCOL firstCol = m_dwDndFlags & 0x0001 ? 0 : GetHeaderCols() + 1;
  LONG rowLimit = -2, colLimit = -2;  // whole columns keep the first data row, whole rows the first column
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CGXRange* r = list.GetNext(pos);
    if (r->IsTable() || r->IsCols()) rowLimit = (LONG)firstRow;
    if (r->IsTable() || r->IsRows()) colLimit = (LONG)firstCol;
    r->ExpandRange(firstRow, firstCol, GetRowCount(), GetColCount());
  }
  CGXGridParam* param = m_pParam;
  CGXLibraryData& lib = GXGetLibraryData();
  param->m_bDragging = TRUE;
  param->m_bDragSelectedText = FALSE;
  param->m_pDragControl = nullptr;
  ROWCOL rows = 0, cols = 0;
  FillOleDataSource(m_pOleDataSourceProxy, list, rows, cols);
  lib.m_nDragRows = rows, lib.m_nDragCols = cols;

  param->m_DragRanges.DeleteAll();
  for (POSITION pos = list.GetHeadPosition(); pos;) param->m_DragRanges.AddTail(new CGXRange(*list.GetNext(pos)));
  param->m_nDragLastRow = rowLimit, param->m_nDragLastCol = colLimit;
  ROWCOL anchorRow = std::max(nRow, firstRow), anchorCol = std::max(nCol, firstCol);
  if (rowLimit != -2) anchorRow = std::min(anchorRow, (ROWCOL)rowLimit);
  if (colLimit != -2) anchorCol = std::min(anchorCol, (ROWCOL)colLimit);
  param->m_nDragOffsetRows = param->m_nDragOffsetCols = 0;
  if (list.GetCount() == 1) {
    const CGXRange* r = list.GetHead();
    param->m_nDragOffsetRows = nRow > r->m_nTop ? (LONG)(nRow - r->m_nTop) : 0;
    param->m_nDragOffsetCols = nCol > r->m_nLeft ? (LONG)(nCol - r->m_nLeft) : 0;
    anchorRow = r->m_nTop, anchorCol = r->m_nLeft;
  }
  param->m_nDragRow = anchorRow, param->m_nDragCol = anchorCol;

  CRect start = CalcRectFromRowCol(nRow, nCol);
  const HWND hwnd = Hwnd(m_pGridWnd);
  if (hwnd) {
    ::ClientToScreen(hwnd, reinterpret_cast<POINT*>(&start.left));
    ::ClientToScreen(hwnd, reinterpret_cast<POINT*>(&start.right));
  }
  lib.m_bGridDragging = TRUE;
  if ((m_dwDropTargetFlags & 0x0040) && hwnd) {
    ::SetTimer(hwnd, kSourceTimer, kDragTimerMs, nullptr);
    m_bSourceDragTimer = TRUE;
  }
  // The grid may be gone from under the loop's messages only with its window; the proxy stays ours.
  CGXNoOleDataSourceProxy* proxy = m_pOleDataSourceProxy;
  const DWORD effect = proxy->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, &start);
  if (effect & DROPEFFECT_MOVE) {
    if (param->m_bDragSelectedText) {
      BeginTrans(GXGetLibraryString(52301));
      CGXControl* control = param->m_pDragControl;
      ROWCOL r, c;
      if (control && control == GetCurrentCellControl() && control->IsActive() && !IsReadOnly() && GetCurrentCell(r, c) &&
          !LookupStyleRowCol(r, c).GetReadOnly()) {
        control->ReplaceSelectedText("");
        EndCurrentCellEdit(TRUE);
      }
      CommitTrans();
    } else {
      ClearCells(param->m_DragRanges, FALSE);
    }
  }
  proxy->Empty();
  if (m_bSourceDragTimer && hwnd) ::KillTimer(hwnd, kSourceTimer);
  m_bSourceDragTimer = FALSE;
  lib.m_bGridDragging = FALSE;
  lib.m_nDragRows = lib.m_nDragCols = 0;
  param->m_bDragging = FALSE;
  param->m_DragRanges.DeleteAll();
  param->m_nDragRow = param->m_nDragCol = 0;
  param->m_nDragLastRow = param->m_nDragLastCol = -2;
  param->m_nDragOffsetRows = param->m_nDragOffsetCols = 0;
  param->m_bDragSelectedText = FALSE;
  param->m_pDragControl = nullptr;
  return TRUE;
}

void CGXGridCore::FillOleDataSource(CGXNoOleDataSourceProxy* pProxy, const CGXRangeList& list, ROWCOL& nRows,
                                    ROWCOL& nCols) {
  nRows = nCols = 0;
  if (!pProxy || !m_pParam) return;
  m_nRowsCopied = m_nColsCopied = 0;
  BOOL controlText = FALSE;
  if (m_dwDndFlags & 0x0008) {
    CSharedFile file(kSharedAlloc, 4096);
    CGXControl* control = GetCurrentCellControl();
    ROWCOL r, c;
    CString selected;
    if (list.GetCount() == 1 && GetCurrentCell(r, c) && list.FindRange(r, c) && control &&
        control->IsActive() && control->GetSelectedText(selected) && !selected.IsEmpty()) {
      // Only the edited cell's selected text travels.
      file.Write(selected.GetString(), (UINT)selected.GetLength());
      m_nRowsCopied = m_nColsCopied = 1;
      m_pParam->m_bDragSelectedText = TRUE;
      m_pParam->m_pDragControl = control;
      controlText = TRUE;
    }
    if (controlText || WriteTextFormat(file, list)) {
      file.Write("", 1);  // readers of CF_TEXT stop at a zero byte
      if (HGLOBAL h = file.Detach()) pProxy->CacheGlobalData(CF_TEXT, h);
    }
  }
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  if ((m_dwDndFlags & 0x0010) && !controlText && format) {
    CSharedFile file(kSharedAlloc, 4096);
    BOOL written = FALSE;
    {
      CArchive ar(&file, CArchive::store, 4096);
      written = WriteInternalFormat(ar, list, (m_dwDndFlags & 0x0020) != 0);
      if (written) ar.Close();
      else ar.Abort();
    }
    // A writer that failed offers nothing under its format.
    if (written)
      if (HGLOBAL h = file.Detach()) pProxy->CacheGlobalData((CLIPFORMAT)format, h);
  }
  nRows = m_nRowsCopied, nCols = m_nColsCopied;
}

// ---- the target ------------------------------------------------------------------------------------------------

BOOL CGXGridCore::GetDropBlockSize(COleDataObject* pData, ROWCOL& nRows, ROWCOL& nCols) {
  nRows = nCols = 0;
  if (!pData || !m_pParam) return FALSE;
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  if ((m_dwDropTargetFlags & 0x0010) && format && pData->IsDataAvailable((CLIPFORMAT)format)) {
    DropMemory mem(pData, (CLIPFORMAT)format);
    return ReadInternalBlockSize(mem.h, m_pParam->GetStylesMap(), nRows, nCols);
  }
  if ((m_dwDropTargetFlags & 0x0008) && pData->IsDataAvailable(CF_TEXT)) {
    DropMemory mem(pData, CF_TEXT);
    const char* text = mem.h ? static_cast<const char*>(GlobalLock(mem.h)) : nullptr;
    if (!text) return FALSE;
    const BOOL ok = CalcTextBlockSize(text, GlobalSize(mem.h), nRows, nCols) && nRows && nCols;
    GlobalUnlock(mem.h);
    if (!ok) nRows = nCols = 0;
    return ok;
  }
  return FALSE;
}

BOOL CGXGridCore::QueryDropFormats(COleDataObject* pData) {
  if (!pData) return FALSE;
  BOOL ok = FALSE;
  if (m_dwDropTargetFlags & 0x0008) ok = pData->IsDataAvailable(CF_TEXT);
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  if ((m_dwDropTargetFlags & 0x0010) && format) ok = pData->IsDataAvailable((CLIPFORMAT)format) || ok;
  return ok;
}

DWORD CGXGridCore::OnDragEnter(COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  if (!m_pParam || !QueryDropFormats(pData)) {
    m_dwDropEffectCache = DROPEFFECT_SCROLL;
    return DROPEFFECT_NONE;
  }
  m_dwDropEffectCache = 0;
  CWnd* frame = m_bIsViewContext && m_pGridWnd ? m_pGridWnd->GetParentFrame() : nullptr;
  if (!m_bActive && frame && frame->IsKindOf(RUNTIME_CLASS(CMDIChildWnd))) GXActivateMdiChild(frame);
  else if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) m_pGridWnd->SetFocus();
  const CGXLibraryData& lib = GXGetLibraryData();
  if (lib.m_bGridDragging) m_nDropRows = lib.m_nDragRows, m_nDropCols = lib.m_nDragCols;
  else GetDropBlockSize(pData, m_nDropRows, m_nDropCols);
  if (!m_nDropRows || !m_nDropCols) {
    m_nDropRows = m_nDropCols = 0;
    m_dwDropEffectCache = DROPEFFECT_SCROLL;
    return DROPEFFECT_NONE;
  }
  if (!m_bSourceDragTimer && (m_dwDropTargetFlags & 0x0080))
    if (const HWND hwnd = Hwnd(m_pGridWnd)) ::SetTimer(hwnd, kDropTimer, kDragTimerMs, nullptr);
  m_nDropTargetRow = m_nDropTargetCol = kNoCell;
  m_rectDropFrame.SetRectEmpty();
  return OnDragOver(pData, dwKeyState, point);
}

DWORD CGXGridCore::OnDragOver(COleDataObject*, DWORD dwKeyState, CPoint point) {
  if (m_dwDropEffectCache) return m_dwDropEffectCache;
  DrawDropFrame(point, TRUE, TRUE);
  if (m_nDropTargetRow == kNoCell) return DROPEFFECT_NONE;
  return dwKeyState & MK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

// Stops the drop side's scrolling and takes the frame away.
static void EndDropSide(CGXGridCore& grid) {
  if ((grid.m_dwDropTargetFlags & 0x0080) && !grid.m_bSourceDragTimer)
    if (const HWND hwnd = Hwnd(grid.m_pGridWnd)) ::KillTimer(hwnd, kDropTimer);
  grid.DrawDropFrame(CPoint(0, 0), TRUE, FALSE);
  grid.m_dwDropEffectCache = 0;
}

void CGXGridCore::OnDragLeave() {
  EndDropSide(*this);
  m_nDropRows = m_nDropCols = 0;
}

DWORD CGXGridCore::OnDrop(COleDataObject* pData, DWORD dropEffect, CPoint point) {
  if (!m_pParam || !m_nDropRows || !m_nDropCols || m_nDropTargetRow == kNoCell) {
    OnDragLeave();
    return DROPEFFECT_NONE;
  }
  EndDropSide(*this);
  ROWCOL row = 0, col = 0;
  DWORD result = DROPEFFECT_NONE;
  if (dropEffect && CalcDropTarget(point, row, col)) {
    CGXGridParam* param = m_pParam;
    if (param->m_bDragging) {
      // From this grid (or one sharing its parameter object): a move or copy within it.
      if (row != param->m_nDragRow || col != param->m_nDragCol) {
        const BOOL copy = dropEffect == DROPEFFECT_COPY;
        BeginTrans(GXGetLibraryString(copy ? 52329 : 52330));
        BOOL ok = FALSE;
        if (copy) {
          ok = DropData(pData, row, col);
        } else if (param->m_bDragSelectedText) {
          CGXControl* control = param->m_pDragControl;
          ROWCOL r, c;
          if (control && control == GetCurrentCellControl() && control->IsActive() && !IsReadOnly() &&
              GetCurrentCell(r, c) && !LookupStyleRowCol(r, c).GetReadOnly()) {
            control->ReplaceSelectedText("");
            EndCurrentCellEdit(TRUE);
          }
          ok = DropData(pData, row, col);
        } else {
          const BOOL removeStyles = (m_dwDndFlags & 0x0010) && (m_dwDropTargetFlags & 0x0010);
          if (param->m_bUndoEnabled) {
            ok = ClearCells(param->m_DragRanges, removeStyles) && DropData(pData, row, col);
          } else {
            // Nothing could roll a failed paste back: paste first, then clear what it did not cover.
            const CGXRange block = CGXRange().SetCellRange(row, col, std::min(row + m_nDropRows - 1, GetRowCount()),
                                                           std::min(col + m_nDropCols - 1, GetColCount()));
            if ((ok = DropData(pData, row, col))) {
              CGXRangeList outside;
              for (POSITION pos = param->m_DragRanges.GetHeadPosition(); pos;)
                AddOutside(*param->m_DragRanges.GetNext(pos), block, outside);
              if (!outside.IsEmpty()) ClearCells(outside, removeStyles);
            }
          }
        }
        if (ok) CommitTrans();
        else Rollback();
      }
    } else if (DropData(pData, row, col)) {
      result = dropEffect;
    }
  }
  m_nDropRows = m_nDropCols = 0;
  return result;
}

DWORD CGXGridCore::OnDropEx(COleDataObject*, DWORD, DWORD, CPoint) {
  m_dwDropEffectCache = 0;
  return (DWORD)-1;
}

DWORD CGXGridCore::OnDragScroll(DWORD dwKeyState, CPoint) {
  if (m_dwDropEffectCache) return m_dwDropEffectCache;
  return dwKeyState & MK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

BOOL CGXGridCore::DropData(COleDataObject* pData, ROWCOL nRow, ROWCOL nCol) {
  if (!pData || !m_pParam) return FALSE;
  const CGXRange cell = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  BOOL ok = FALSE;
  if ((m_dwDropTargetFlags & 0x0010) && format && pData->IsDataAvailable((CLIPFORMAT)format)) {
    DropMemory mem(pData, (CLIPFORMAT)format);
    if (mem.h) {
      try {
        CSharedFile file;
        file.SetHandle(mem.h, FALSE);
        CArchive ar(&file, CArchive::load, 4096);
        ok = PasteInternalFormat(ar, cell, TRUE);
      } catch (CException* e) {
        e->Delete();  // foreign or truncated data
        ok = FALSE;
      }
    }
  }
  if (!ok && (m_dwDropTargetFlags & 0x0008) && pData->IsDataAvailable(CF_TEXT)) {
    DropMemory mem(pData, CF_TEXT);
    if (const char* text = mem.h ? static_cast<const char*>(GlobalLock(mem.h)) : nullptr) {
      ok = PasteTextFormat(text, GlobalSize(mem.h), cell);
      GlobalUnlock(mem.h);
    }
  }
  if (!ok) return FALSE;
  SetSelection(nullptr);
  SetCurrentCell(nRow, nCol);
  const ROWCOL rows = m_nDropRows, cols = m_nDropCols;
  if (rows > 1 || cols > 1) {
    const ROWCOL bottom = std::min(nRow + std::max<ROWCOL>(rows, 1) - 1, GetRowCount());
    const ROWCOL right = std::min(nCol + std::max<ROWCOL>(cols, 1) - 1, GetColCount());
    CGXRange range = CGXRange().SetCellRange(nRow, nCol, bottom, right);
    if (m_pParam->m_bDragging) {
      const BOOL wholeCols = m_pParam->m_nDragLastRow != -2, wholeRows = m_pParam->m_nDragLastCol != -2;
      if (wholeCols && wholeRows) range.SetWholeTable();
      else if (wholeCols) range.SetColRange(nCol, right);
      else if (wholeRows) range.SetRowRange(nRow, bottom);
    }
    SelectRange(range, TRUE, TRUE);
  }
  return TRUE;
}

BOOL CGXGridCore::CalcDropTarget(CPoint point, ROWCOL& nRow, ROWCOL& nCol) {
  nRow = nCol = kNoCell;
  ROWCOL row = 0, col = 0;
  if (!m_pParam || !HitTest(point, &row, &col) || row > GetRowCount() || col > GetColCount()) return FALSE;
  long long r = row, c = col;
  const CGXGridParam* param = m_pParam;
  if (param->m_bDragging) {
    r -= param->m_nDragOffsetRows;
    c -= param->m_nDragOffsetCols;
    if (param->m_nDragLastRow != -2) r = std::min<long long>(r, param->m_nDragLastRow);
    if (param->m_nDragLastCol != -2) c = std::min<long long>(c, param->m_nDragLastCol);
  }
  const long long firstRow = m_dwDropTargetFlags & 0x0002 ? 0 : (long long)GetHeaderRows() + 1;
  const long long firstCol = m_dwDropTargetFlags & 0x0001 ? 0 : (long long)GetHeaderCols() + 1;
  r = std::max(r, firstRow), c = std::max(c, firstCol);
  if (m_dwDropTargetFlags & 0x0200) r = std::min<long long>(r, (long long)GetRowCount() + 1 - m_nDropRows);
  if (m_dwDropTargetFlags & 0x0400) c = std::min<long long>(c, (long long)GetColCount() + 1 - m_nDropCols);
  // A block longer than the table still starts on the first data row.
  r = std::max(r, firstRow), c = std::max(c, firstCol);
  nRow = (ROWCOL)r, nCol = (ROWCOL)c;
  return TRUE;
}

void CGXGridCore::DrawDropFrame(CPoint point, BOOL bEraseOld, BOOL bShowNew) {
  if (!m_nDropRows || !m_nDropCols) return;
  const HWND hwnd = Hwnd(m_pGridWnd);
  if (!hwnd) return;
  if (!bEraseOld && !bShowNew) {
    if (!m_rectDropFrame.IsRectEmpty()) {
      ::InvalidateRect(hwnd, &m_rectDropFrame, FALSE);
      ::UpdateWindow(hwnd);
    }
    m_rectDropFrame.SetRectEmpty();
    return;
  }
  ROWCOL row = kNoCell, col = kNoCell;
  if (bShowNew) CalcDropTarget(point, row, col);
  if (bShowNew && row == m_nDropTargetRow && col == m_nDropTargetCol && !m_rectDropFrame.IsRectEmpty()) return;
  CClientDC dc(m_pGridWnd);
  CRect area;
  GetGridRect(&area);
  dc.IntersectClipRect(&area);
  if (bEraseOld && !m_rectDropFrame.IsRectEmpty()) XorDropFrame(dc, m_rectDropFrame);
  m_rectDropFrame.SetRectEmpty();
  m_nDropTargetRow = row, m_nDropTargetCol = col;
  if (row == kNoCell) return;
  CRect rect = CalcRectFromRowColEx(row, col, std::min(row + m_nDropRows - 1, GetRowCount()),
                                    std::min(col + m_nDropCols - 1, GetColCount()));
  if (rect.IsRectEmpty()) return;
  // Off the grid lines, so the frame stays visible on them.
  const CGXProperties* props = m_pParam->GetProperties();
  const BOOL rightBottom = m_pParam->m_bGridLinesRightBottom;
  if (props && props->GetVerticalLines()) (rightBottom ? rect.right : rect.left) += rightBottom ? -1 : 1;
  if (props && props->GetHorizontalLines()) (rightBottom ? rect.bottom : rect.top) += rightBottom ? -1 : 1;
  XorDropFrame(dc, rect);
  m_rectDropFrame = rect;
}

// ---- scrolling while dragging ----------------------------------------------------------------------------------

BOOL CGXGridCore::DoDragScroll(CPoint screenPoint) {
  const HWND hwnd = Hwnd(m_pGridWnd);
  if (!hwnd || !m_pParam) return FALSE;
  POINT pt = screenPoint;
  ::ScreenToClient(hwnd, &pt);
  CRect area, inner;
  GetGridRect(&area);
  inner = area;
  inner.DeflateRect(m_nDragScrollInset, m_nDragScrollInset);
  const BOOL inside = area.PtInRect(pt);
  WORD dir = 0xFFFF;
  if ((inside && !inner.PtInRect(pt)) || (!inside && (m_dwDropTargetFlags & 0x0040))) {
    const BYTE horz = pt.x < inner.left ? 0 : pt.x >= inner.right ? 1 : 0xFF;
    const BYTE vert = pt.y < inner.top ? 0 : pt.y >= inner.bottom ? 1 : 0xFF;
    dir = MAKEWORD(horz, vert);
  }
  ROWCOL hSteps = 1, vSteps = 1;
  if (!inside) {
    // Farther out, faster.
    const int unit = std::max(1, GetDefaultRowHeight() + 1);
    const long dx = pt.x < inner.left ? inner.left - pt.x : pt.x - inner.right;
    const long dy = pt.y < inner.top ? inner.top - pt.y : pt.y - inner.bottom;
    hSteps = (ROWCOL)std::max<long>(1, dx / unit * m_nDragScrollFactorH);
    vSteps = (ROWCOL)std::max<long>(1, dy / unit * m_nDragScrollFactorV);
  }
  const DWORD now = ::GetTickCount();
  if (dir != m_wDragScrollDir || inside != m_bDragScrollInside) {
    m_dwDragScrollTick = now;
    m_dwDragScrollWait = inside ? m_nDragScrollDelay : m_nDragScrollOutsideDelay;
  }
  if (dir != 0xFFFF && now - m_dwDragScrollTick > m_dwDragScrollWait) {
    m_dwDragScrollTick = now;
    m_dwDragScrollWait = m_nDragScrollInterval;
    // The frame goes before the pixels move, so none of it is carried along.
    DrawDropFrame(CPoint(pt), TRUE, FALSE);
    const BYTE horz = LOBYTE(dir), vert = HIBYTE(dir);
    if (horz != 0xFF) {
      ScrollGrid(horz == 1 ? GX_RIGHT : GX_LEFT, hSteps);
      UpdateWindow();
    }
    if (vert != 0xFF) {
      ScrollGrid(vert == 1 ? GX_DOWN : GX_UP, vSteps);
      UpdateWindow();
    }
    DrawDropFrame(CPoint(pt), FALSE, TRUE);
  }
  m_wDragScrollDir = dir;
  m_bDragScrollInside = inside;
  return dir != 0xFFFF;
}

BOOL CGXGridCore::OnDragTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kDropTimer && nIDEvent != kSourceTimer) return FALSE;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  if (nIDEvent == kDropTimer || (m_bActive && !GXIsPointOutsideMainWindow(CPoint(cursor)))) DoDragScroll(CPoint(cursor));
  else m_wDragScrollDir = 0xFFFF;
  return TRUE;
}
