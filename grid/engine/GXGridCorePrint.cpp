// The grid core's printing: the table or the selection cut into pages by column and row breaks,
// each page drawn by the cell painter inside the margins, centred, framed, with header and footer.
#include "grid/engine/GXDelayedRange.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXSpanCellPool.h"
#include "platform/core/Exception.h"
#include "platform/gdi/DC.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/View.h"

#include <algorithm>

// The page in the grid's units: the printer's pixels at the screen's resolution, as PrepareDC maps them
// (a preview's own scale onto its page image stays out of this).
static CRect PrintPageRect(CDC* pDC) {
  const CSize dpi = CGXGridCore::ScreenPixelsPerInch();
  return CRect(0, 0, ::MulDiv(pDC->GetDeviceCaps(HORZRES), dpi.cx, std::max(1, pDC->GetDeviceCaps(LOGPIXELSX))),
               ::MulDiv(pDC->GetDeviceCaps(VERTRES), dpi.cy, std::max(1, pDC->GetDeviceCaps(LOGPIXELSY))));
}

void CGXGridCore::OnAdjustPrintRectangle(CDC*, CPrintInfo* pInfo) {
  if (!pInfo || !m_pParam || !m_pParam->m_pProperties) return;
  int top, left, bottom, right;
  m_pParam->m_pProperties->GetMargins(top, left, bottom, right);
  pInfo->m_rectDraw.top += top, pInfo->m_rectDraw.left += left;
  pInfo->m_rectDraw.bottom -= bottom, pInfo->m_rectDraw.right -= right;
}

void CGXGridCore::OnPrintHeaderAndFooter(CDC* pDC, CPrintInfo* pInfo) {
  if (!m_pParam || !m_pParam->m_pProperties) return;
  auto* view = dynamic_cast<CView*>(m_pGridWnd);
  m_pParam->m_pProperties->BuildHeaderFooterText(pDC, pInfo, view ? view->GetDocument() : nullptr, m_pParam);
}

CFont* CGXGridCore::SelectPrintFont(CDC* pDC) {
  FreeObjectCache();
  CFont* old = m_pParam && m_pParam->m_pStylesMap ? SelectStandardFont(pDC) : nullptr;
  CalcCharSize(pDC, &m_nPrintCharWidth, &m_nPrintCharHeight);
  return old;
}

void CGXGridCore::LayoutBreaks(BOOL bRows, ROWCOL nFirst, ROWCOL nLast, ROWCOL nRemembered, CDWordArray& breaks,
                               int& nScreenPage) {
  CRect g;
  GetGridRect(&g);
  ROWCOL& start = bRows ? m_nPrintTopRow : m_nPrintLeftCol;
  start = nFirst;
  breaks.Add(start);
  // The last page ends one past nLast, whether the table ended on it or the page passed nLast.
  for (int n = 1;; ++n) {
    BOOL beyond = FALSE;
    const ROWCOL edge = bRows ? CalcLastVisibleRowEx(g, &beyond) : CalcLastVisibleColEx(g, &beyond);
    if (beyond || edge > nLast) {
      if (nRemembered >= start && nRemembered <= nLast) nScreenPage = n - 1;
      breaks.Add(nLast + 1);
      break;
    }
    const ROWCOL next = std::max(edge, start + 1);
    if (nRemembered >= start && nRemembered < next) nScreenPage = n - 1;
    breaks.Add(next);
    if (next > nLast) {
      breaks[breaks.GetSize() - 1] = nLast + 1;
      break;
    }
    start = next;
  }
}

void CGXGridCore::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) {
  if (!pDC || !pInfo || !m_pParam) return;
  if (m_nPreloadMode == 1 || (m_nPreloadMode == 2 && !pInfo->m_bPreview)) PreloadCells(0xFFFFFFFE, 0xFFFFFFFE);
  CWaitCursor wait;  // laying out a large table takes a while
  PrepareDC(pDC, pInfo);
  m_awColBreaks.RemoveAll(), m_awRowBreaks.RemoveAll();
  const ROWCOL screenTop = GetTopRow(), screenLeft = GetLeftCol();
  SetPrinting(TRUE, FALSE);
  // The printer's sizes give floats of their own: the screen's stay as they are.
  if (!m_pParam->m_pPrintFloatCellsPool && !m_pParam->m_pPrintDelayedFloatCellsPool) {
    m_pParam->m_pPrintFloatCellsPool = new CGXSpanCellPool;
    m_pParam->m_pPrintDelayedFloatCellsPool = new CGXDelayedRangePool;
    DelayFloatCells(CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount()));
  }
  CFont* old = SelectPrintFont(pDC);
  pInfo->m_rectDraw = PrintPageRect(pDC);
  OnAdjustPrintRectangle(pDC, pInfo);
  m_rectPrint = pInfo->m_rectDraw;
  const BOOL selection = pInfo->m_pPD && pInfo->m_pPD->PrintSelection();
  m_nScreenColPage = m_nScreenRowPage = 0;
  m_bPrintSelection = selection;
  if (selection && m_pParam->m_SelRects.IsEmpty()) {
    // What the window shows; one past its end when the table ends on screen, so the last band prints.
    m_nPrintTopRow = screenTop, m_nPrintLeftCol = screenLeft;
    CRect g;
    GetGridRect(&g);
    BOOL right = FALSE, below = FALSE;
    const ROWCOL e = CalcLastVisibleColEx(g, &right), f = CalcLastVisibleRowEx(g, &below);
    m_awColBreaks.Add(screenLeft), m_awColBreaks.Add(right ? GetColCount() + 1 : e);
    m_awRowBreaks.Add(screenTop), m_awRowBreaks.Add(below ? GetRowCount() + 1 : f);
    pInfo->SetMaxPage(1);
  } else {
    CGXRange range;
    if (selection && !m_pParam->m_SelRects.IsEmpty()) range = *m_pParam->m_SelRects.GetTail();
    else range.SetWholeTable();
    range.ExpandRange(GetFrozenRows() + 1, GetFrozenCols() + 1, GetRowCount(), GetColCount());
    LayoutBreaks(FALSE, std::max(range.m_nLeft, GetFrozenCols() + 1), range.m_nRight, screenLeft, m_awColBreaks,
                 m_nScreenColPage);
    LayoutBreaks(TRUE, std::max(range.m_nTop, GetFrozenRows() + 1), range.m_nBottom, screenTop, m_awRowBreaks,
                 m_nScreenRowPage);
    const uint64_t pages = (uint64_t)(m_awColBreaks.GetSize() - 1) * (uint64_t)(m_awRowBreaks.GetSize() - 1);
    pInfo->SetMaxPage((UINT)std::min<uint64_t>(pages, 0xFFFF));
    CString desc;
    desc.Format(" / %u", pInfo->GetMaxPage());
    pInfo->m_strPageDesc += desc;
    if (pInfo->m_bPreview) {
      const BOOL across = !m_pParam->m_pProperties || m_pParam->m_pProperties->m_nPageOrder == 0;
      const UINT page = across ? m_nScreenColPage + 1 + (UINT)(m_awColBreaks.GetSize() - 1) * m_nScreenRowPage
                               : m_nScreenRowPage + 1 + (UINT)(m_awRowBreaks.GetSize() - 1) * m_nScreenColPage;
      pInfo->m_nCurPage = std::min(page, pInfo->GetMaxPage());
    }
  }
  if (old) pDC->SelectObject(old);
  SetPrinting(FALSE, FALSE);
}

void CGXGridCore::OnEndPrinting(CDC*, CPrintInfo*) {
  m_awColBreaks.RemoveAll(), m_awRowBreaks.RemoveAll();
  if (IsGridWndVisible()) m_pGridWnd->Invalidate(TRUE);
  if (!m_pParam) return;
  delete m_pParam->m_pPrintFloatCellsPool;
  delete m_pParam->m_pPrintDelayedFloatCellsPool;
  m_pParam->m_pPrintFloatCellsPool = m_pParam->m_pPrintDelayedFloatCellsPool = nullptr;
}

void CGXGridCore::OnPrint(CDC* pDC, CPrintInfo* pInfo) {
  if (!pDC || !pInfo || !m_pParam) return;
  const INT_PTR C = m_awColBreaks.GetSize() - 1, R = m_awRowBreaks.GetSize() - 1;
  if (C < 1 || R < 1 || pInfo->m_nCurPage < 1) AfxThrowInvalidArgException();
  SetPrinting(TRUE, FALSE);
  CFont* old = SelectPrintFont(pDC);
  pInfo->m_rectDraw = PrintPageRect(pDC);
  OnAdjustPrintRectangle(pDC, pInfo);
  m_rectPrint = pInfo->m_rectDraw;
  CGXProperties* props = m_pParam->m_pProperties;
  const BOOL across = !props || props->m_nPageOrder == 0;

  // Rows (columns) added since the breaks were made get pages laid out as at the beginning; a
  // selection ends where it ends, before the table's end.
  if (!m_bPrintSelection) {
    for (BOOL rows : {TRUE, FALSE}) {
      CDWordArray& breaks = rows ? m_awRowBreaks : m_awColBreaks;
      const ROWCOL count = rows ? GetRowCount() : GetColCount();
      if (breaks[breaks.GetSize() - 1] > count) continue;
      CDWordArray tail;
      int unused = 0;
      LayoutBreaks(rows, breaks[breaks.GetSize() - 2], count, 0, tail, unused);
      breaks.SetSize(breaks.GetSize() - 1);
      for (INT_PTR i = 1; i < tail.GetSize(); ++i) breaks.Add(tail[i]);
    }
  }
  const INT_PTR cols = m_awColBreaks.GetSize() - 1, rowsN = m_awRowBreaks.GetSize() - 1;
  const uint64_t pages = (uint64_t)cols * (uint64_t)rowsN;
  if (!m_bPrintSelection) pInfo->SetMaxPage((UINT)std::min<uint64_t>(pages, 0xFFFF));
  const INT_PTR p = (INT_PTR)pInfo->m_nCurPage - 1;
  const INT_PTR pageRow = across ? p / cols : p % rowsN, pageCol = across ? p % cols : p / rowsN;
  if (pageRow >= rowsN || pageCol >= cols) {
    if (old) pDC->SelectObject(old);
    SetPrinting(FALSE, FALSE);
    AfxThrowInvalidArgException();
  }
  m_nPrintTopRow = m_awRowBreaks[pageRow], m_nPrintLeftCol = m_awColBreaks[pageCol];
  // A data source is asked for the page's cells, with room to spare.
  if (!m_bPrintSelection) {
    const int dh = std::max(1, GetDefaultRowHeight()), dw = std::max(1, GetDefaultColWidth());
    PreloadCells(m_nPrintTopRow + (ROWCOL)(2 * std::max(0, (int)m_rectPrint.Height()) / dh),
                 m_nPrintLeftCol + (ROWCOL)(4 * std::max(0, (int)m_rectPrint.Width()) / dw));
  }
  auto lastClient = [&](BOOL rows, INT_PTR index) {
    const CDWordArray& breaks = rows ? m_awRowBreaks : m_awColBreaks;
    const ROWCOL count = rows ? GetRowCount() : GetColCount();
    const ROWCOL lastBand = std::min<ROWCOL>(breaks[index + 1], count + 1) - 1;
    return rows ? GetClientRow(lastBand) : GetClientCol(lastBand);
  };
  const ROWCOL lastRow = lastClient(TRUE, pageRow), lastCol = lastClient(FALSE, pageCol);
  int W = (int)SumClientColWidths(0, lastCol), H = (int)SumClientRowHeights(0, lastRow);
  if (!props || props->m_bCenterHorizontal) m_rectPrint.left += (m_rectPrint.right - W - m_rectPrint.left) / 2;
  if (props && props->m_bCenterVertical) m_rectPrint.top += (m_rectPrint.bottom - m_rectPrint.top - H) / 2;
  m_rectPrint.right = m_rectPrint.left + W, m_rectPrint.bottom = m_rectPrint.top + H;

  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(&m_rectPrint);
  DrawCells(0, 0, lastRow, lastCol, pDC);
  pDC->RestoreDC(saved);
  if (!props || props->m_bPrintFrame) {
    if (m_pParam->m_bGridLinesRightBottom) --W, --H;
    const int l = m_rectPrint.left, t = m_rectPrint.top;
    DrawGridLine(pDC, l - 1, t - 1, W + 3, 2, 2, 0, 0);
    DrawGridLine(pDC, l - 1, t + H, W + 3, 2, 2, lastRow + 1, 0);
    DrawGridLine(pDC, l - 1, t - 1, 2, H + 3, 1, 0, 0);
    DrawGridLine(pDC, l + W, t - 1, 2, H + 3, 1, lastCol + 1, 0);
  }
  pInfo->m_bContinuePrinting =
      !(GetRowFromClientRow(lastRow) >= GetRowCount() && GetColFromClientCol(lastCol) >= GetColCount());
  OnPrintHeaderAndFooter(pDC, pInfo);
  if (old) pDC->SelectObject(old);
  SetPrinting(FALSE, FALSE);
}
