#include "grid/controls/GXEditControl.h"

#include "grid/controls/GXButton.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXProperties.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }
bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

}  // namespace

CGXEditControl::CGXEditControl(CGXGridCore* pGrid, UINT nEditID) : CGXStatic(pGrid), m_nEditID(nEditID) {}

CGXEditControl::~CGXEditControl() {
  if (m_hWnd) DestroyWindow();
}

BOOL CGXEditControl::CreateEditWnd(DWORD dwStyle, const CRect& rect) {
  if (!m_pGrid || !m_pGrid->m_pGridWnd) return FALSE;
  m_dwEditStyle = dwStyle ? dwStyle : WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
  return Create(m_dwEditStyle, rect, m_pGrid->m_pGridWnd, m_nEditID);
}

DWORD CGXEditControl::GetEditStyle(CRect& rect, int& nLineHeight) {
  GetClientRect(&rect);
  nLineHeight = m_nLineHeight;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
  if (m_bAllowEnter) style |= ES_WANTRETURN;
  const DWORD align = m_nAlignment == 1 ? ES_CENTER : m_nAlignment == 2 ? ES_RIGHT : 0;
  const bool wrapFits = m_bWrapText && rect.Height() - m_nLineHeight / 3 > m_nLineHeight;
  if (wrapFits && m_bScrollbar) style |= WS_VSCROLL;
  if (!wrapFits) {
    style |= ES_AUTOHSCROLL;
    CString text;
    GetWindowText(text);
    CClientDC dc(this);
    CFont* old = m_font.m_hObject ? dc.SelectObject(&m_font) : nullptr;
    const int width = dc.GetTextExtent(text).cx;
    if (old) dc.SelectObject(old);
    if (width <= rect.Width() - m_nMaxCharWidth) style |= align;
  } else {
    style |= align;
  }
  rect.bottom = std::max<LONG>(rect.bottom, rect.top + nLineHeight + 1);
  return style;
}

DWORD CGXVScrollEdit::GetEditStyle(CRect& rect, int& nLineHeight) {
  m_bScrollbar = TRUE;
  return CGXEditControl::GetEditStyle(rect, nLineHeight);
}

void CGXEditControl::UpdateEditStyle() {
  if (!m_hWnd) return;
  CRect rect;
  int lineHeight = 0;
  // Our edit window reads its style word anew at each key, so changing it in place serves as well as
  // creating the window again.
  const DWORD kept = WS_VISIBLE | ES_READONLY;
  const DWORD want = GetEditStyle(rect, lineHeight) & ~kept;
  const DWORD have = GetStyle() & ~kept;
  if (want != have) ModifyStyle(have, want);
  m_dwEditStyle = GetStyle();
}

BOOL CGXEditControl::s_bComposing = FALSE;

void CGXEditControl::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXStatic::Init(nRow, nCol);
  s_bComposing = FALSE;
  if (!m_hWnd) CreateEditWnd(0, CRect(0, 0, 0, 0));
  const CGXStyle& style = GetCurrentStyle();
  if (style.GetIncludeValue()) SetActiveText(style.GetValue());
  m_bAutoSize = style.GetIncludeAutoSize() && style.GetAutoSize();
  m_bAllowEnter = style.GetIncludeAllowEnter() && style.GetAllowEnter();
  m_bWrapText = style.GetIncludeWrapText() && style.GetWrapText();
  if (m_hWnd) {
    CEdit::SetModify(FALSE);
    SetSel(0, -1);
  }
  if (m_pGrid && m_pGrid->GetParam() && (m_pGrid->GetParam()->m_wActivateFlags & 4)) SetActive(TRUE);
}

void CGXEditControl::SetActive(BOOL bActive) {
  if (bActive && !m_hWnd) return;
  if (bActive && !m_bIsActive) FreeStyle();
  m_bIsActive = bActive;
}

void CGXEditControl::SetModify(BOOL bModified) {
  if (m_hWnd) CEdit::SetModify(bModified);
}

BOOL CGXEditControl::GetModify() { return m_hWnd ? CEdit::GetModify() : FALSE; }

void CGXEditControl::GetCurrentText(CString& text) {
  text.Empty();
  if (!m_bInit) return;
  if (IsActive() && m_hWnd) {
    GetWindowText(text);
    return;
  }
  GetDisplayText(text, m_nRow, m_nCol, nullptr, &GetCurrentStyle());
}

CSize CGXEditControl::CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard, BOOL bHeight) {
  if (!IsInitAt(nRow, nCol) || !IsActive() || !m_hWnd) return CGXStatic::CalcSize(pDC, nRow, nCol, style, pStandard, bHeight);
  CGXStyle typed(style);
  CString text;
  GetWindowText(text);
  typed.SetValue(text);
  return CGXStatic::CalcSize(pDC, nRow, nCol, typed, pStandard, bHeight);
}

BOOL CGXEditControl::GetValue(CString& text) {
  GetCurrentText(text);
  return m_bInit;
}

void CGXEditControl::EvalFloat() {
  if (!m_pGrid || !m_bInit) return;
  const CGXRange cell = CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol);
  m_pGrid->DelayFloatCells(cell);
  m_pGrid->EvalFloatCells(cell, TRUE);
}

void CGXEditControl::SetActiveText(const CString& text) {
  if (!m_hWnd) return;
  CString display;
  if (!m_bInit || !GetDisplayText(display, m_nRow, m_nCol, text, &GetCurrentStyle())) display = text;
  SetWindowText(display);
  if (IsActive()) EvalFloat();
}

void CGXEditControl::SetCurrentText(const CString& text) {
  if (!m_bInit || !m_hWnd) return;
  if (!IsActive()) SetActive(TRUE);
  if (!ValidateText(text)) return;
  SetWindowText(text);
  SetModify(TRUE);
  OnModifyCell();
  EvalFloat();
}

BOOL CGXEditControl::ReplaceSelectedText(LPCTSTR pszText) {
  if (!IsActive()) return CGXStatic::ReplaceSelectedText(pszText);
  if (IsReadOnly() || !m_hWnd) return FALSE;
  const CString text = pszText ? pszText : "";
  // Typing checked its text before inserting it; a paste or a replacement must fit the cell alike.
  // Removing text is the window's own editing, as Backspace is.
  if (!m_bInserting && !text.IsEmpty() && !ValidateText(WouldBeText(text))) {
    OnInvalidKeyPressed(text);
    return FALSE;
  }
  SetModify(TRUE);
  ReplaceSel(text);
  return TRUE;
}

BOOL CGXEditControl::GetSelectedText(CString& text) {
  if (!IsActive() || !m_hWnd) {
    GetCurrentText(text);
    return FALSE;
  }
  int start = 0, end = 0;
  GetSel(start, end);
  if (start == end) return FALSE;
  CString all;
  GetWindowText(all);
  text = end < 0 ? all.Mid(start) : all.Mid(start, end - start);
  return TRUE;
}

BOOL CGXEditControl::Store() {
  if (!m_bInit || !GetModify() || !m_pGrid) return TRUE;
  CString text;
  GetValue(text);
  SetActive(FALSE);
  return m_pGrid->SetRangeValueText(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), text, 0, GX_INVALIDATE);
}

void CGXEditControl::Hide() {
  if (!m_hWnd || !IsWindowVisible()) return;
  CGXFocusGuard guard(m_pGrid);
  s_bComposing = FALSE;
  HideCaret();
  MoveWindow(CRect(0, 0, 0, 0), FALSE);
  ShowWindow(SW_HIDE);
}

CString CGXEditControl::WouldBeText(const CString& typed) {
  CString all;
  GetWindowText(all);
  int start = 0, end = 0;
  GetSel(start, end);
  if (end < 0 || end > all.GetLength()) end = all.GetLength();
  start = std::clamp(start, 0, end);
  return all.Left(start) + typed + all.Mid(end);
}

void CGXEditControl::CaretToEnd() {
  const int n = GetWindowTextLength();
  SetSel(n, n);
  SendMessage(EM_SCROLLCARET);
}

int CGXEditControl::CharFromPoint(CPoint pt) {
  if (!m_bInit || !m_pGrid || !m_hWnd) return -1;
  const CGXStyle& style = GetCurrentStyle();
  CRect inner;
  const CRect cell = CalcDrawnCellRect(m_nRow, m_nCol);
  GetCellInnerRect(inner, m_nRow, m_nCol, &cell, &style);
  CString text;
  GetWindowText(text);
  // A hidden text is clicked on its echo characters, which are what the cell shows.
  if ((GetStyle() & ES_PASSWORD) && GetPasswordChar()) text = CString((char)GetPasswordChar(), text.GetLength());
  CClientDC dc(m_pGrid->m_pGridWnd);
  CFont* old = GXSelectCellFont(m_pGrid, &dc, style);
  const UINT format = GetTextFormat(style);
  // The edit window takes over the whole inner rectangle and puts a click above or below the text on
  // its first or last line: the cell does so before it shows the window, so a click in the cell's
  // middle hits whether a grid line lies above the text or not.
  if (inner.PtInRect(pt)) {
    CRect lines = inner;
    const int n = GXWrapTextLines(&dc, text, text.GetLength(), lines, format, nullptr, nullptr, 32);
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    const int lineH = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
    if (n > 0) pt.y = std::clamp<LONG>(pt.y, lines.top, lines.top + n * lineH - 1);
  }
  const int hit = GXHitTestMultiLineText(&dc, text, text.GetLength(), inner, format, pt);
  if (old) dc.SelectObject(old);
  return hit;
}

void CGXEditControl::ActivateAt(BOOL allow, int nChar) {
  if (allow && !IsActive()) {
    if (!ScrollCellIntoView()) return;
    SetActive(TRUE);
  }
  if (!IsActive()) return;
  if (nChar >= 0)
    SetSel(nChar, nChar);
  else
    SetSel(0, -1);
  SendMessage(EM_SCROLLCARET);
}

void CGXEditControl::OnLButtonDown(UINT nFlags, CPoint point) {
  int oldStart = 0, oldEnd = 0;
  GetSel(oldStart, oldEnd);
  CEdit::OnLButtonDown(nFlags, point);
  int start = 0, end = 0;
  GetSel(start, end);
  const int lo = std::min(oldStart, oldEnd), hi = std::max(oldStart, oldEnd);
  if (!m_pGrid || lo == hi || start != end || start < lo || start > hi) return;
  SetSel(oldStart, oldEnd);
  const ROWCOL row = m_nRow, col = m_nCol;
  m_pGrid->StartOleDrag(row, col);
  if (IsInit() && IsActive() && m_hWnd && m_pGrid->IsCurrentCell(row, col)) SetSel(start, start);
}

BOOL CGXEditControl::LButtonUp(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  const int hit = CharFromPoint(pt);
  ActivateAt((hit >= 0 && (flags & 1)) || (flags & 6), hit);
  if (IsActive() && ::GetFocus() != m_hWnd) Refresh();
  CGXStatic::LButtonUp(nFlags, pt);
  return TRUE;
}

BOOL CGXEditControl::LButtonDblClk(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  ActivateAt((flags & 8) != 0, CharFromPoint(pt));
  // The release of a double-click reaches nobody who would show the window.
  if (IsActive() && ::GetFocus() != m_hWnd) Refresh();
  CGXStatic::LButtonDblClk(nFlags, pt);
  return TRUE;
}

BOOL CGXEditControl::OnGridKeyDown(UINT nChar, UINT, UINT) {
  if (!m_hWnd || CtrlHeld() || !m_pGrid) return FALSE;
  switch (nChar) {
    case VK_END:
    case VK_HOME: {
      if (!ScrollCellIntoView()) return FALSE;
      if (!m_bInit) {
        ROWCOL r, c;
        if (!m_pGrid->GetCurrentCell(r, c)) return FALSE;
        Init(r, c);
      }
      SetActive(TRUE);
      CaretToEdge(nChar == VK_END);
      break;
    }
    case VK_DELETE:
      if (!DeleteCellText()) return FALSE;
      break;
    default:
      return FALSE;
  }
  UpdateEditStyle();
  if (!m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW)) Refresh();
  return TRUE;
}

void CGXEditControl::CaretToEdge(BOOL bEnd) {
  if (bEnd)
    CaretToEnd();
  else
    SetSel(0, 0);
}

BOOL CGXEditControl::DeleteCellText() {
  const CGXGridParam* param = m_pGrid->GetParam();
  if ((param && param->m_bDirectCopyPaste) || IsReadOnly() || ShiftHeld() || !m_pGrid->OnDeleteCell(m_nRow, m_nCol) ||
      !ScrollCellIntoView())
    return FALSE;
  SetActive(TRUE);
  // A cell that refuses an empty text keeps its own unmodified: stored, it would go out as typed.
  if (ValidateText("")) SetModify(TRUE);
  SetCurrentText("");
  return TRUE;
}

BOOL CGXEditControl::OnGridChar(UINT nChar, UINT, UINT) {
  if (nChar < 32 || nChar == 127) return FALSE;
  return OnGridChars(CString((char)nChar, 1));
}

BOOL CGXEditControl::OnGridChars(const CString& chars) {
  if (!m_bInit || IsReadOnly() || !m_hWnd) return FALSE;
  if (IsActive()) {
    if (!ValidateText(WouldBeText(chars))) {
      OnInvalidKeyPressed(chars);
      return FALSE;
    }
    m_bInserting = TRUE;
    ReplaceSelectedText(chars);
    m_bInserting = FALSE;
    return TRUE;
  }
  if (!ValidateText(chars)) {
    OnInvalidKeyPressed(chars);
    return FALSE;
  }
  if (!ScrollCellIntoView()) return FALSE;
  SetActive(TRUE);
  SetCurrentText(chars);
  CaretToEnd();
  Refresh();
  return TRUE;
}

BOOL CGXEditControl::FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent,
                              BOOL bSetSel) {
  if (!m_pGrid) return FALSE;
  const bool here = IsInitAt(nRow, nCol) && IsActive() && m_hWnd;
  // An inactive current cell was searched already: a press in the dialog that ended its edit would
  // otherwise find the same match again.
  if (!here && !bCurrent && m_pGrid->IsCurrentCell(nRow, nCol)) return FALSE;
  CString text;
  std::string hay, needle;
  size_t from = 0;
  if (here) {
    GetWindowText(text);
    hay = text.str();
    if (!find.bCase)
      for (char& ch : hay) ch = (char)std::toupper((unsigned char)ch);
    needle = (find.bCase ? find.strFind : find.strFindUpper).str();
    int start = 0, end = 0;
    GetSel(start, end);
    // A replace takes the match at the selection; a further search passes over it.
    from = (size_t)std::max(std::min(start, end), 0) + (bCurrent ? 0 : 1);
  } else {
    SearchTexts(find, nRow, nCol, text, hay, needle);
  }
  const size_t hit = needle.empty() ? std::string::npos : hay.find(needle, from);
  if (hit == std::string::npos) return FALSE;
  if (!bSetSel) return TRUE;
  m_pGrid->ScrollCellInView(nRow, nCol);
  if (!here) {
    if (!m_pGrid->SetCurrentCell(nRow, nCol) || m_pGrid->GetCurrentCellControl() != this || !IsInitAt(nRow, nCol))
      return TRUE;
    SetActive(TRUE);
  }
  SetSel((int)hit, (int)(hit + needle.size()));
  SendMessage(EM_SCROLLCARET);
  if (!here) Refresh();
  return TRUE;
}

BOOL CGXEditControl::ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) {
  if (!m_pGrid || !IsInitAt(nRow, nCol) || !IsActive() || !m_hWnd) return CGXStatic::ReplaceAll(find, nRow, nCol);
  CString text;
  GetWindowText(text);
  int start = 0, end = 0;
  GetSel(start, end);
  return ReplaceAllIn(find, nRow, nCol, text, (size_t)std::max(std::min(start, end), 0));
}

BOOL CGXEditControl::KeepsKey(UINT nChar) {
  if (nChar == VK_TAB || nChar == VK_ESCAPE || nChar == VK_PRIOR || nChar == VK_NEXT ||
      (nChar >= VK_F1 && nChar <= VK_F24))
    return FALSE;
  int start = 0, end = 0;
  GetSel(start, end);
  switch (nChar) {
    case VK_RETURN: return (GetStyle() & ES_WANTRETURN) != 0;
    case VK_LEFT: return end > 0;
    case VK_UP: return LineFromChar(start) > 0;
    case VK_RIGHT: return start < GetWindowTextLength();
    case VK_DOWN: return LineFromChar(end) < GetLineCount() - 1;
    default: return TRUE;
  }
}

void CGXEditControl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid) return CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
  if (!IsActive() || CtrlHeld()) {
    m_pGrid->RouteKeyMessage(this, WM_KEYDOWN, nChar, nRepCnt, nFlags);
    return;
  }
  m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  if (!KeepsKey(nChar)) {
    m_pGrid->RouteKeyMessage(this, WM_KEYDOWN, nChar, nRepCnt, nFlags);
    return;
  }
  if (nChar == VK_INSERT && ShiftHeld()) {
    Paste();
    return;
  }
  if (nChar == VK_DELETE && ShiftHeld()) {
    int start = 0, end = 0;
    GetSel(start, end);
    if (start != end) {
      if (::OpenClipboard(m_hWnd)) {
        EmptyClipboard();
        CloseClipboard();
      }
      Cut();
      return;
    }
  }
  CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

UINT CGXEditControl::OnGetDlgCode() { return CEdit::OnGetDlgCode() | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; }

// Key releases and system keys are the grid's first; what it leaves the edit window handles.
void CGXEditControl::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_pGrid && m_pGrid->RouteKeyMessage(this, WM_KEYUP, nChar, nRepCnt, nFlags)) return;
  CEdit::OnKeyUp(nChar, nRepCnt, nFlags);
  UpdateEditStyle();
}

void CGXEditControl::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_SYSKEYDOWN, nChar, nRepCnt, nFlags))
    CEdit::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGXEditControl::OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_SYSKEYUP, nChar, nRepCnt, nFlags))
    CEdit::OnSysKeyUp(nChar, nRepCnt, nFlags);
}

void CGXEditControl::OnKillFocus(CWnd* pNewWnd) {
  CEdit::OnKillFocus(pNewWnd);
  ForwardKillFocusToGrid(pNewWnd);
}

void CGXEditControl::OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_SYSCHAR, nChar, nRepCnt, nFlags))
    CEdit::OnSysChar(nChar, nRepCnt, nFlags);
}

BOOL CGXEditControl::OnCharFilter(UINT nChar, UINT nRepCnt, UINT) {
  if (!m_bInit || !IsActive() || IsReadOnly() || (GetStyle() & ES_READONLY)) return FALSE;
  if (nChar != 8 && nRepCnt == 0) return FALSE;
  if (m_pGrid) m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  if (!m_bInserting) m_strPending.Empty();
  if (CtrlHeld() && (nChar == 3 || nChar == 22 || nChar == 24)) {
    if (nChar != 22 && ::OpenClipboard(m_hWnd)) {
      EmptyClipboard();
      CloseClipboard();
    }
    nChar == 3 ? Copy() : nChar == 22 ? Paste() : Cut();
    return FALSE;
  }
  if (nChar == 13 || nChar == 10) {
    if ((nChar == 13 && (GetStyle() & ES_WANTRETURN)) || (nChar == 10 && m_bWrapText)) m_strPending = "\r\n";
    return FALSE;
  }
  if (nChar == 8) return TRUE;  // Backspace: the window's own editing
  // With Ctrl the window, then the grid, take the others (Ctrl+Z gives the cell's text back); without,
  // they would repeat what the key handling did with their key (Tab, Escape).
  if (nChar < 32 || nChar == 127) return CtrlHeld();
  m_strPending = CString((char)nChar, 1);
  if (!ValidateText(WouldBeText(m_strPending))) {
    OnInvalidKeyPressed(m_strPending);
    m_strPending.Empty();
  }
  return FALSE;
}

void CGXEditControl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (OnCharFilter(nChar, nRepCnt, nFlags)) {
    CEdit::OnChar(nChar, nRepCnt, nFlags);
    if (m_pGrid) m_pGrid->RouteKeyMessage(this, WM_CHAR, nChar, nRepCnt, nFlags);
    return;
  }
  if (m_strPending.IsEmpty()) return;
  const CString pending = m_strPending;
  m_strPending.Empty();
  int start = 0, end = 0;
  GetSel(start, end);
  m_bInserting = TRUE;
  ReplaceSelectedText(pending);
  m_bInserting = FALSE;
  const int pos = std::min(start, end) + pending.GetLength();
  SetSel(pos, pos);
  SendMessage(EM_SCROLLCARET);
}

LRESULT CGXEditControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_IME_STARTCOMPOSITION || message == WM_IME_ENDCOMPOSITION)
    s_bComposing = message == WM_IME_STARTCOMPOSITION;
  return CEdit::WindowProc(message, wParam, lParam);
}

BOOL CGXEditControl::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != EN_CHANGE || (HWND)lParam != m_hWnd || !IsActive() || !m_pGrid)
    return CGXStatic::OnCommand(wParam, lParam);
  OnModifyCell();
  const CGXRange cell = CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol);
  m_pGrid->DelayFloatCells(cell);
  if (m_pGrid->EvalFloatCells(cell, TRUE)) return TRUE;
  if (m_bAutoSize) {
    CGXRange range = cell;
    m_pGrid->GetCoveredCellsRowCol(m_nRow, m_nCol, range);
    if (m_bWrapText)
      m_pGrid->ResizeRowHeightsToFit(range);
    else
      m_pGrid->ResizeColWidthsToFit(range);
  }
  return TRUE;
}

void CGXEditControl::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                          const CGXStyle* pStandard) {
  if (!IsInitAt(nRow, nCol) || !IsActive() || !m_hWnd || !m_pGrid || m_pGrid->m_bPrinting)
    return CGXStatic::Draw(pDC, rect, nRow, nCol, style, pStandard);
  // A span drawn from a cell scrolled away would lay the window over the headers and frozen cells:
  // the span shows what is typed as text until its cell comes back.
  if ((nRow > m_pGrid->GetFrozenRows() && nRow < m_pGrid->GetTopRow()) ||
      (nCol > m_pGrid->GetFrozenCols() && nCol < m_pGrid->GetLeftCol())) {
    Hide();
    CGXStyle typed(style);
    CString text;
    GetWindowText(text);
    return CGXStatic::Draw(pDC, rect, nRow, nCol, typed.SetValue(text), pStandard);
  }
  if (s_bComposing) return;  // the input method draws over the window meanwhile
  CreateZoomedFont(m_font, style);
  if (pDC) {
    CFont* old = m_font.m_hObject ? pDC->SelectObject(&m_font) : nullptr;
    TEXTMETRIC tm{};
    pDC->GetTextMetrics(&tm);
    m_nLineHeight = tm.tmHeight + tm.tmExternalLeading;
    m_nMaxCharWidth = tm.tmMaxCharWidth;
    if (old) pDC->SelectObject(old);
  }
  CRect text;
  GetCellInnerRect(text, nRow, nCol, &rect, &style);
  m_bWrapText = style.GetIncludeWrapText() && style.GetWrapText();
  const UINT vAlign = style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0;
  if (!m_bWrapText) {
    if (vAlign == DT_VCENTER) text.top += std::max(0, (int)(text.Height() - m_nLineHeight) / 2);
    if (vAlign == DT_BOTTOM) text.top = std::max<LONG>(text.top, text.bottom - m_nLineHeight);
    text.bottom = std::min<LONG>(text.bottom, text.top + m_nLineHeight);
  }
  const UINT hAlign = style.GetIncludeHorizontalAlignment() ? style.GetHorizontalAlignment() : 0;
  m_nAlignment = hAlign == DT_CENTER ? 1 : hAlign == DT_RIGHT ? 2 : 0;
  if (hAlign == DT_RIGHT) text.right += 1;  // the window's right margin: the text ends where the static cell ends it
  // The grid paints around the window, never over it: the window has painted itself by the end. A
  // cell too small for any text leaves no window to paint around.
  if (pDC && !text.IsRectEmpty()) pDC->ExcludeClipRect(&text);
  DrawBackground(pDC, rect, style);
  if (m_font.m_hObject) SetFont(&m_font, FALSE);
  MoveWindow(text, FALSE);
  m_bScrollbar = style.GetIncludeVerticalScrollbar() && style.GetVerticalScrollbar();
  m_bAutoSize = style.GetIncludeAutoSize() && style.GetAutoSize();
  m_bAllowEnter = style.GetIncludeAllowEnter() && style.GetAllowEnter();
  SetActive(TRUE);
  m_nMaxLength = style.GetIncludeMaxLength() ? style.GetMaxLength() : 0;
  SetLimitText(m_nMaxLength);
  ShowWindow(SW_SHOW);
  SetReadOnly(IsReadOnly());
  if (::GetFocus() == m_pGrid->m_pGridWnd->m_hWnd) {
    CGXFocusGuard guard(m_pGrid);
    SetFocus();
  }
  UpdateEditStyle();
  // Scrolled while the window had no size: show the text from its top as far as the caret allows.
  LineScroll(-(int)SendMessage(EM_GETFIRSTVISIBLELINE));
  SendMessage(EM_SCROLLCARET);
  UpdateWindow();
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  AddRectToGridList(text);
}
