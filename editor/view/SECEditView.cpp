#include "editor/view/SECEditView.h"

#include "editor/core/SECEditHint.h"
#include "platform/core/File.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/SelectObject.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/Document.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/WinApp.h"

#include <cstdint>
#include <cstring>

IMPLEMENT_DYNCREATE(SECEditView, CView)

BOOL SECEditView::ms_bFirstActivation = TRUE;

int SECEditView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (SECEditCore<CView>::OnCreate(lpCreateStruct) == -1) return -1;
  m_dropTarget.Register(this);
  return 0;
}

void SECEditView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  InitView();
  // A new pane of a split starts where its neighbours stand.
  int row = 0, col = 0;
  CSplitterWnd* split = GetSplitter(&row, &col);
  if (!split || (row == 0 && col == 0) || !dynamic_cast<SECEditView*>(split->GetPane(0, 0))) return;
  if (row > 0)
    if (auto* above = dynamic_cast<SECEditView*>(split->GetPane(0, col))) {
      m_nLeftCol = above->m_nLeftCol;
      CoreSetScrollPos(SB_HORZ, m_nLeftCol, TRUE);
    }
  if (col > 0)
    if (auto* left = dynamic_cast<SECEditView*>(split->GetPane(row, 0)); left && left->m_pTopLine) {
      m_pTopLine = left->m_pTopLine;
      m_nTopLine = left->m_nTopLine;
      m_pCurLine = left->m_pCurLine;
      m_nCurLine = left->m_nCurLine;
      CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
    }
}

CSplitterWnd* SECEditView::GetSplitter(int* pRow, int* pCol) const {
  auto* split = dynamic_cast<CSplitterWnd*>(GetParent());
  if (!split || !(split->GetStyle() & SPLS_DYNAMIC_SPLIT) || !split->IsChildPane(const_cast<SECEditView*>(this), pRow, pCol))
    return nullptr;
  return split;
}

void SECEditView::CoreSetScrollPos(int nBar, int nPos, BOOL bRedraw) {
  SECEditCoreBase::CoreSetScrollPos(nBar, nPos, bRedraw);
  CSplitterWnd* split = GetSplitter(nullptr, nullptr);
  if (split && !m_bInScroll && split->GetActivePane() == this && GetDocument())
    GetDocument()->UpdateAllViews(this, SECEDIT_HINT_MOVED, nullptr);
}

void SECEditView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
  KeepLinesLive();
  int row = 0, col = 0;
  CSplitterWnd* split = lHint == SECEDIT_HINT_MOVED ? GetSplitter(&row, &col) : nullptr;
  if (split) {
    // Panes of one column share the left column; panes of one row share the top line.
    CWnd* from = pSender ? static_cast<CWnd*>(pSender) : split->GetActivePane();
    int r = 0, c = 0;
    auto* other = dynamic_cast<SECEditView*>(from);
    if (!other || other == this || !split->IsChildPane(other, &r, &c)) return;
    // The sender may tell of its move before it has counted the lines its own edit added above it.
    other->KeepLinesLive();
    if (c == col && m_nLeftCol != other->m_nLeftCol) {
      m_nLeftCol = other->m_nLeftCol;
      SECEditCoreBase::CoreSetScrollPos(SB_HORZ, m_nLeftCol, TRUE);
      Invalidate(FALSE);
    }
    if (r == row && m_pTopLine != other->m_pTopLine) {
      m_pTopLine = other->m_pTopLine;
      m_nTopLine = other->m_nTopLine;
      SECEditCoreBase::CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
      Invalidate(FALSE);
      UpdateWindow();
    }
    return;
  }
  SECEditView::OnUpdateText(lHint, pHint);
}

void SECEditView::OnUpdateText(LPARAM lHint, CObject* pHint) {
  if (lHint == SECEDIT_DELETE_LINE && pHint && pHint->IsKindOf(RUNTIME_CLASS(SECEditHint)) && GetEdit() &&
      m_pCurLine) {
    // Lines went in another window: find the caret and top lines again by number.
    ReanchorLines(m_nCurLine);
  }
  if (m_bShowMessages && GetSafeHwnd()) Invalidate(FALSE);
}

void SECEditView::UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint) {
  if (CDocument* d = GetDocument()) d->UpdateAllViews(dynamic_cast<CView*>(pSender), lHint, pHint);
}

void SECEditView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
  if (bActivate && ms_bFirstActivation) {
    ms_bFirstActivation = FALSE;
    EnsureCaretVisible();
  }
  CView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

// ---- Printing ----

BOOL SECEditView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (nCode == (int)CN_COMMAND && (nID == ID_FILE_PRINT || nID == ID_FILE_PRINT_DIRECT)) {
    OnFilePrint();
    return TRUE;
  }
  if (nCode == (int)CN_COMMAND && nID == ID_FILE_PRINT_PREVIEW) {
    OnFilePrintPreview();
    return TRUE;
  }
  return SECEditCore<CView>::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL SECEditView::OnPreparePrinting(CPrintInfo* pInfo) {
  if (m_bAllowPrintSelection && m_bSelection && m_selStart.pLine && m_selEnd.pLine)
    pInfo->m_pPD->m_pd.Flags = (pInfo->m_pPD->m_pd.Flags & ~PD_NOSELECTION) | PD_SELECTION;
  BOOL ok = DoPreparePrinting(pInfo);
  m_bPrintSelection = ok && pInfo->m_pPD->PrintSelection();
  return ok;
}

namespace {

CString DocumentPath(CView* v) { return v->GetDocument() ? v->GetDocument()->GetPathName() : CString(); }

CTime StampFor(int nOption, const CString& path) {
  CFileStatus st;
  if (nOption == 1 || path.Find('.') < 0 || !CFile::GetStatus(path, st)) return CTime::GetCurrentTime();
  return st.m_mtime;
}

// A line as it prints: tabs expanded as on screen, no line end. Returns its length.
int PrintedText(const tagLINEDESC* line, int tabSize, char* out) {
  int n = SECEditCoreBase::ExpandLine(line, tabSize, FALSE, out);
  while (n > 0 && (out[n - 1] == '\r' || out[n - 1] == '\n')) --n;
  return n;
}

}  // namespace

void SECEditView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) {
  SECEdit* e = GetEdit();
  m_pageStarts.clear();
  if (!e || !pDC) return;
  m_dlgPageSetup.LoadSettings();
  CString path = DocumentPath(this);
  m_timeHeader = StampFor(m_dlgPageSetup.m_nHeaderTime, path);
  m_timeFooter = StampFor(m_dlgPageSetup.m_nFooterTime, path);
  LOGFONT lf{};
  m_font.GetLogFont(&lf);
  if (strcasecmp(lf.lfFaceName, "System") == 0) return;  // no print font: the framework's page count
  lf.lfHeight = MulDiv(lf.lfHeight, pDC->GetDeviceCaps(LOGPIXELSY), 96);
  lf.lfWidth = MulDiv(lf.lfWidth, pDC->GetDeviceCaps(LOGPIXELSX), 96);
  m_printFont.DeleteObject();
  m_printFont.CreateFontIndirect(&lf);
  CSelectObject selectFont(pDC, &m_printFont);
  TEXTMETRIC tm{};
  pDC->GetTextMetrics(&tm);
  int lh = tm.tmHeight + tm.tmExternalLeading;
  m_nPrintLineHeight = lh > 0 ? lh : 1;
  int perRow = tm.tmAveCharWidth > 0 ? pDC->GetDeviceCaps(HORZRES) / tm.tmAveCharWidth - 1 : 80;
  if (perRow < 1) perRow = 1;
  int pageHeight = pDC->GetDeviceCaps(VERTRES);
  CString file = path.IsEmpty() && GetDocument() ? GetDocument()->GetTitle() : path;
  for (const CString& s : {m_dlgPageSetup.FormatHeader(m_timeHeader, file, 1),
                           m_dlgPageSetup.FormatFooter(m_timeFooter, file, 1)})
    if (!s.IsEmpty()) pageHeight -= m_nPrintLineHeight + 2 * (m_nPrintLineHeight / 4);
  // At least one line a page, however large the font.
  m_nLinesPerPage = pageHeight / m_nPrintLineHeight > 0 ? pageHeight / m_nPrintLineHeight : 1;

  tagLINEDESC* p = m_bPrintSelection && m_selStart.pLine ? m_selStart.pLine : SECEdit::GetFirstLine(e->m_pLine);
  // A selection that ends at column 0 leaves its last line out: no page is made for it.
  tagLINEDESC* stop = nullptr;
  if (m_bPrintSelection && m_selEnd.pLine)
    stop = m_selEnd.nCol == 0 && m_selEnd.pLine != p ? m_selEnd.pLine : m_selEnd.pLine->pNext;
  m_pageStarts.reserve((size_t)(e->m_nLineCount / m_nLinesPerPage + 8));
  m_pageStarts.emplace_back((int)GetEdit()->LineNumber(p), 0);
  int used = 0;
  // Rows are counted as they print: tabs expanded, so a widened line keeps all its rows.
  std::vector<char> expanded(SECEDIT_MAX_LINE + 1);
  for (; p && p != stop; p = p->pNext) {
    int len = PrintedText(p, e->GetTabSize(), expanded.data());
    int rows = len > perRow ? len / perRow + (len % perRow ? 1 : 0) : 1;
    if (used > 0 && used + rows > m_nLinesPerPage) {
      m_pageStarts.emplace_back((int)GetEdit()->LineNumber(p), 0);
      used = 0;
    }
    // A line longer than a page goes on over the pages that follow.
    int done = 0;
    while (rows - done > m_nLinesPerPage - used) {
      done += m_nLinesPerPage - used;
      m_pageStarts.emplace_back((int)GetEdit()->LineNumber(p), done);
      used = 0;
    }
    used += rows - done;
    if (used >= m_nLinesPerPage && p->pNext && p->pNext != stop) {
      m_pageStarts.emplace_back((int)GetEdit()->LineNumber(p->pNext), 0);
      used = 0;
    }
  }
  pInfo->SetMaxPage((UINT)m_pageStarts.size());
}

void SECEditView::OnPrint(CDC* pDC, CPrintInfo* pInfo) {
  SECEdit* e = GetEdit();
  size_t page = pInfo->m_nCurPage - 1;
  if (!e || page >= m_pageStarts.size() || !m_printFont.m_hObject) return;
  CString path = DocumentPath(this);
  CString file = path.IsEmpty() && GetDocument() ? GetDocument()->GetTitle() : path;
  CString header = m_dlgPageSetup.FormatHeader(m_timeHeader, file, (int)pInfo->m_nCurPage);
  CString footer = m_dlgPageSetup.FormatFooter(m_timeFooter, file, (int)pInfo->m_nCurPage);
  CSelectObject selectFont(pDC, &m_printFont);
  CRect r = pInfo->m_rectDraw;
  int lh = m_nPrintLineHeight, q = lh / 4;
  int y = r.top, bottom = r.bottom;
  if (!header.IsEmpty()) {
    pDC->TextOut(r.left, r.top, header);
    pDC->MoveTo(r.left, r.top + lh + q);
    pDC->LineTo(r.right, r.top + lh + q);
    y = r.top + lh + 2 * q;
  }
  if (!footer.IsEmpty()) bottom -= lh + 2 * q;
  TEXTMETRIC tm{};
  pDC->GetTextMetrics(&tm);
  int perRow = tm.tmAveCharWidth > 0 ? r.right / tm.tmAveCharWidth : 80;
  if (perRow < 1) perRow = 1;
  std::pair<int, int> from = m_pageStarts[page];
  std::pair<int, int> to = page + 1 < m_pageStarts.size() ? m_pageStarts[page + 1] : std::make_pair(INT32_MAX, 0);
  char buf[SECEDIT_MAX_LINE + 1];
  for (tagLINEDESC* p = e->FindLine(from.first); p && y + lh <= bottom + lh - 1; p = p->pNext) {
    int no = (int)GetEdit()->LineNumber(p);
    if (no > to.first || (no == to.first && to.second == 0)) break;
    bool selectionEnd = m_bPrintSelection && p == m_selEnd.pLine;
    if (selectionEnd && m_selEnd.nCol == 0) break;  // a selection ending at column 0 leaves that line out
    int n = PrintedText(p, e->GetTabSize(), buf);
    int firstRow = no == from.first ? from.second : 0;
    int lastRow = no == to.first ? to.second : INT32_MAX;
    if (n == 0) {
      y += lh;
    } else {
      for (int row = firstRow, at = firstRow * perRow; at < n && row < lastRow; ++row, at += perRow) {
        pDC->TextOut(r.left, y, buf + at, n - at < perRow ? n - at : perRow);
        y += lh;
      }
    }
    if (selectionEnd) {
      pInfo->m_bContinuePrinting = FALSE;
      break;
    }
  }
  if (!footer.IsEmpty()) {
    int fy = bottom + lh / 2;
    pDC->MoveTo(r.left, fy - q);
    pDC->LineTo(r.right, fy - q);
    pDC->TextOut(r.left, fy, footer);
  }
}

void SECEditView::OnEndPrinting(CDC*, CPrintInfo*) { m_printFont.DeleteObject(); }
