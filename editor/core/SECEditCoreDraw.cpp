// The editor engine's font and painting: gutter, expanded lines, syntax colours and the selection.
#include "editor/core/SECEditCore.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/SelectObject.h"

#include <cstring>

void SECEditCoreBase::SetEditFont(LOGFONT* plf) {
  LOGFONT lf = *plf;
  lf.lfPitchAndFamily = (BYTE)((lf.lfPitchAndFamily & ~3) | FIXED_PITCH);
  m_font.DeleteObject();
  m_font.CreateFontIndirect(&lf);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont* old = dc.SelectObject(&m_font);
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  dc.SelectObject(old);
  m_nLineHeight = tm.tmHeight + tm.tmExternalLeading;
  m_nMargin = m_nLineHeight;
  m_nCharWidth = tm.tmAveCharWidth;
}

int SECEditCoreBase::ExpandLine(const tagLINEDESC* pLine, int nTabSize, BOOL bShowTabs, char* pOut) {
  int n = 0, col = 0;
  if (nTabSize < 1) nTabSize = 1;
  for (int i = 0; pLine->pText && i < pLine->nLength && n < SECEDIT_MAX_LINE; ++i) {
    char c = pLine->pText[i];
    if (c == '\t') {
      int stop = (col / nTabSize + 1) * nTabSize;
      for (bool first = true; col < stop && n < SECEDIT_MAX_LINE; first = false, ++col)
        pOut[n++] = bShowTabs && first ? (char)0xBB : ' ';
    } else {
      pOut[n++] = c;
      col = (c == '\r' || c == '\n') ? 0 : col + 1;
    }
  }
  pOut[n] = 0;
  return n;
}

namespace {

enum : unsigned char { kDefault = 2, kKeyword = 4, kQuote = 8, kComment = 16 };

int ClassOf(unsigned char c) {
  if (c & kComment) return kComment;
  if (c & kQuote) return kQuote;
  if (c & kKeyword) return kKeyword;
  return kDefault;
}

}  // namespace

void SECEditCoreBase::DrawLine(SECEdit* pEdit, tagLINEDESC* pLine, const char* text, int nEndCol, int nLeftCol,
                               int nVisibleCols, BOOL bChroma, CDC* pDC, int x, int y) {
  int len = (int)strlen(text);
  if (nEndCol > len) nEndCol = len;
  if (!bChroma) {
    int n = nEndCol - nLeftCol < nVisibleCols ? nEndCol - nLeftCol : nVisibleCols;
    if (n > 0) pDC->TextOut(x, y, text + nLeftCol, n);
    return;
  }
  unsigned char cls[SECEDIT_MAX_LINE + 1];
  memset(cls, kDefault, (size_t)len + 1);
  int cw = m_nCharWidth;

  // Keywords are drawn at once in their colours.
  const char* p = text;
  int s = 0, e = 0;
  while (*p && pEdit->FindKeyword(&p, &s, &e)) {
    int ks = (int)(p - text), ke = ks + (e - s);
    if (ke > nLeftCol && ks < nEndCol) {
      int from = ks > nLeftCol ? ks : nLeftCol;
      int to = ke < nEndCol ? ke : nEndCol;
      int room = nLeftCol + nVisibleCols - from;
      if (to - from > room) to = from + room;
      pDC->SetTextColor(pEdit->m_crKeyword);
      if (to > from) pDC->TextOut(x + (from - nLeftCol) * cw, y, text + from, to - from);
    }
    for (int i = ks; i < ke; ++i) cls[i] |= kKeyword;
    p = text + ke;
  }

  // Comments, carried in from the line above.
  int style = 0;
  bool open;
  if (pLine == m_pCarryLine) {
    open = m_nCarryState != 0;
    style = (m_nCarryState & LINE_CMT_STYLE1) ? 1 : 2;
  } else {
    open = pEdit->IsLineInComment(pLine, &style);
  }
  for (int pos = 0; pos < nEndCol;) {
    int start, from;
    if (open) {
      start = from = 0;
      open = false;
    } else {
      start = pEdit->FindCommentStart(text, len, &style, pos);
      if (start < 0) break;
      from = start + (int)strlen(style == 1 ? pEdit->m_szCommentStart1 : pEdit->m_szCommentStart2);
    }
    int end = from >= len ? len : from + pEdit->FindCommentEnd(text + from, len - from, style);
    for (int i = start; i < end; ++i) cls[i] |= kComment;
    if (end <= pos) break;
    pos = end;
  }

  // Strings: between two like quotes outside comments; a backslash takes the next character in.
  for (int i = 0; i < nEndCol; ++i) {
    char q = text[i];
    if ((cls[i] & kComment) || (q != '"' && q != '\'')) continue;
    int j = i + 1;
    bool closed = false;
    while (j < len) {
      if (!(cls[j] & kComment)) {
        if (text[j] == '\\') {
          j += 2;
          continue;
        }
        if (text[j] == q) {
          closed = true;
          break;
        }
      }
      ++j;
    }
    if (!closed) continue;
    for (int k = i + 1; k < j; ++k) cls[k] |= kQuote;
    i = j;
  }

  // Runs of one class; keyword runs were drawn above, except the last run.
  int xx = x;
  for (int i = nLeftCol; i < nEndCol;) {
    int k = ClassOf(cls[i]);
    int j = i;
    while (j < nEndCol && ClassOf(cls[j]) == k && j - i < SECEDIT_MAX_LINE) ++j;
    bool last = j >= nEndCol;
    if (k != kKeyword || last) {
      COLORREF c = k == kComment ? pEdit->m_crComment
                   : k == kQuote ? pEdit->m_crQuote
                   : k == kKeyword ? pEdit->m_crKeyword
                                   : pEdit->m_crText;
      int room = nLeftCol + nVisibleCols - i;
      int n = j - i < room ? j - i : room;
      pDC->SetTextColor(c);
      if (n > 0) pDC->TextOut(xx, y, text + i, n);
    }
    xx += (j - i) * cw;
    i = j;
  }
  pDC->SetTextColor(pEdit->m_crText);
}

BOOL SECEditCoreBase::IsSelectionVisibleHere() {
  SECEdit* e = GetEdit();
  return m_bSelection && e && e->m_hFocusWnd == m_pWnd->GetSafeHwnd();
}

void SECEditCoreBase::HandlePaint() {
  CPaintDC dc(m_pWnd);
  SECEdit* e = GetEdit();
  if (!e || !m_pTopLine || m_nCharWidth <= 0 || m_nLineHeight <= 0) return;
  CSelectObject selectFont(dc, &m_font);
  COLORREF bg = e->m_crBackground;
  dc.SetBkColor(bg);
  dc.SetTextColor(e->m_crText);
  CRect area = dc.m_ps.rcPaint;
  int cols = m_rcClient.Width() / m_nCharWidth + 1;
  int textX = m_rcClient.left + m_nMargin;
  int right = m_rcClient.right;
  bool showSel = IsSelectionVisibleHere();
  char buf[SECEDIT_MAX_LINE + 1];
  int lel = e->GetLineEndLength();
  tagLINEDESC* p = m_pTopLine;
  // Block-comment states are carried from row to row; only the first painted row looks further up.
  uint32_t state = 0;
  bool known = false;
  for (int y = 0; y < area.bottom; y += m_nLineHeight, p = p ? p->pNext : nullptr) {
    if (y + m_nLineHeight <= area.top) continue;
    if (p && e->m_bChroma) {
      state = known ? state : e->GetCommentState(p);
      known = true;
      m_pCarryLine = p;
      m_nCarryState = state;
    }
    CRect gutter(0, y, m_nMargin, y + m_nLineHeight);
    dc.SetBkColor(bg);
    COLORREF oldText = dc.SetTextColor(GetGutterColor());
    dc.FillRect(&gutter, &m_brushPattern);
    dc.SetTextColor(oldText);
    if (!p) {
      dc.FillSolidRect(textX, y, right - textX, m_nLineHeight, bg);
      continue;
    }
    DrawMarks(&dc, &gutter, p);
    COLORREF rowBg = dc.GetBkColor();  // marks may give the line a background of its own
    int n = ExpandLine(p, e->GetTabSize(), e->m_bShowTabs, buf);
    if (n >= lel && memcmp(buf + n - lel, e->m_szLineEnd, (size_t)lel) == 0) n -= lel;
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n')) --n;
    buf[n] = 0;
    int len = n - m_nLeftCol;
    dc.SetBkColor(rowBg);
    if (len > 0) {
      DrawLine(e, p, buf, m_nLeftCol + len, m_nLeftCol, cols, e->m_bChroma, &dc, textX, y);
      int endX = textX + len * m_nCharWidth;
      if (endX < right) dc.FillSolidRect(endX, y, right - endX, m_nLineHeight, rowBg);
    } else {
      dc.FillSolidRect(textX, y, right - textX, m_nLineHeight, rowBg);
    }
    dc.SetBkColor(bg);
    if (e->m_bChroma) state = e->NextCommentState(p, state);
    int start = 0, count = 0;
    if (showSel && GetLineSelectionRange(p, n, &start, &count)) {
      start -= m_nLeftCol;
      if (start < 0) count += start, start = 0;
      if (count > 0) {
        CRect r(start * m_nCharWidth + m_nMargin, y, (start + count) * m_nCharWidth + m_nMargin, y + m_nLineHeight);
        dc.InvertRect(&r);
      }
    }
  }
  m_pCarryLine = nullptr;
}
