#include "grid/controls/GXListBox.h"

#include "grid/controls/GXButton.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<CString> ChoiceLines(const CGXStyle& style) {
  std::vector<CString> lines;
  const CString list = style.GetIncludeChoiceList() ? style.GetChoiceList() : CString();
  const char* p = list.GetString();
  while (*p) {
    const char* e = p;
    while (*e && *e != '\r' && *e != '\n') ++e;
    lines.emplace_back(p, (int)(e - p));
    if (*e == '\r' && e[1] == '\n') ++e;
    p = *e ? e + 1 : e;
  }
  return lines;
}

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

// Keys the list leaves to the grid, open or idle: Tab moves on, Ctrl+Z undoes, as from any other cell.
bool GridTakesKey(UINT key) {
  return CtrlHeld() || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_LEFT || key == VK_RIGHT ||
         key == VK_DELETE || (key >= VK_F1 && key <= VK_F24);
}

// The grid ignores the focus moving while the guard lives.
struct FocusGuard {
  explicit FocusGuard(CGXGridCore* g) : grid(g), old(g ? g->m_bIgnoreFocus : FALSE) {
    if (grid) grid->m_bIgnoreFocus = TRUE;
  }
  ~FocusGuard() {
    if (grid) grid->m_bIgnoreFocus = old;
  }
  CGXGridCore* grid;
  BOOL old;
};

// The lines an inactive cell draws: one per row from the top, leading ones skipped to show the value's.
struct DrawnLines {
  DrawnLines(CDC* dc, const CGXStyle& style, const CRect& inner) : lines(ChoiceLines(style)) {
    TEXTMETRIC tm{};
    dc->GetTextMetrics(&tm);
    rowHeight = std::max(1, (int)tm.tmHeight + 2);
    const CString value = style.GetIncludeValue() ? style.GetValue() : CString();
    for (size_t i = 0; i < lines.size() && selected < 0; ++i)
      if (!value.IsEmpty() && lines[i] == value) selected = (int)i;
    const int fit = std::max(1, (int)(inner.Height() / rowHeight));
    first = selected >= fit ? selected - fit + 1 : 0;
    shown = inner.Height() / rowHeight;
  }
  std::vector<CString> lines;
  int rowHeight = 1, selected = -1, first = 0, shown = 0;
};

WORD ActivateFlags(CGXGridCore* grid) { return grid && grid->GetParam() ? grid->GetParam()->m_wActivateFlags : 0; }

}  // namespace

CGXListBox::CGXListBox(CGXGridCore* pGrid, UINT nID) : CGXControl(pGrid), m_nID(nID) {}

CGXListBox::~CGXListBox() {
  if (m_hWnd) DestroyWindow();
}

BOOL CGXListBox::CreateListBoxWnd() {
  if (!m_pGrid || !m_pGrid->m_pGridWnd) return FALSE;
  return CWnd::Create("GXLISTBOX", "", WS_CHILD | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY, CRect(0, 0, 0, 0),
                      m_pGrid->m_pGridWnd, m_nID);
}

void CGXListBox::FillListBox() {
  if (!m_hWnd || !m_bInit) return;
  const CGXStyle& style = GetCurrentStyle();
  ResetContent();
  for (const CString& line : ChoiceLines(style)) AddString(line);
  CString text;
  GetDisplayText(text, m_nRow, m_nCol, nullptr, &style);
  if (!text.IsEmpty()) SelectString(-1, text);
}

void CGXListBox::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXControl::Init(nRow, nCol);
  if (!m_hWnd) CreateListBoxWnd();
  GetCurrentStyle();
  SetActive(FALSE);
  SetModify(FALSE);
}

void CGXListBox::SetActive(BOOL bActive) {
  if (bActive && !m_hWnd) return;
  if (bActive != m_bIsActive) m_bFilledActive = FALSE;
  m_bIsActive = bActive;
  if (bActive) GetCurrentStyle();
}

void CGXListBox::GetCurrentText(CString& text) {
  if (!IsActive() || !m_hWnd) return CGXControl::GetCurrentText(text);
  text.Empty();
  const int sel = GetCurSel();
  if (sel >= 0) GetText(sel, text);
}

void CGXListBox::SetCurrentText(const CString& text) {
  if (!m_bInit || !m_hWnd) return;
  if (!IsActive()) SetActive(TRUE);
  if (!ValidateText(text)) return;
  // A list's text is its selected line.
  SelectString(-1, text);
  SetModify(TRUE);
  OnModifyCell();
}

BOOL CGXListBox::Store() {
  if (!m_bInit || !m_pGrid) return TRUE;
  if (IsReadOnly()) {
    Init(m_nRow, m_nCol);
    SetModify(FALSE);
    Refresh();
    return TRUE;
  }
  const int sel = m_hWnd ? GetCurSel() : -1;
  CString text;
  if (sel >= 0) GetText(sel, text);
  SetActive(FALSE);
  if (!GetModify() || sel < 0) return TRUE;
  SetModify(FALSE);
  return m_pGrid->SetRangeValueText(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), text, 0, GX_INVALIDATE);
}

BOOL CGXListBox::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == LBN_SELCHANGE && m_hWnd && (HWND)lParam == m_hWnd && !IsReadOnly()) {
    SetModify(TRUE);
    OnModifyCell();
  }
  return FALSE;
}

void CGXListBox::Hide() {
  if (!m_hWnd) return;
  FocusGuard guard(m_pGrid);
  HideCaret();
  MoveWindow(CRect(0, 0, 0, 0), FALSE);
  ShowWindow(SW_HIDE);
}

CSize CGXListBox::CalcSize(CDC* pDC, ROWCOL, ROWCOL, const CGXStyle& style, const CGXStyle*, BOOL) {
  CSize size(0, 0);
  if (pDC) {
    CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
    for (const CString& line : ChoiceLines(style)) {
      const CSize extent = pDC->GetTextExtent(line.IsEmpty() ? CString(" ") : line);
      size.cx = std::max(size.cx, line.IsEmpty() ? 0 : extent.cx);
      size.cy += extent.cy;
    }
    if (old) pDC->SelectObject(old);
  }
  return GrowSizeByBorders(CSize(size.cx + 4, size.cy + 4), style);
}

// ---- mouse and keys ------------------------------------------------------------------------------------------------

int CGXListBox::DrawnLineAt(CPoint pt) {
  CRect inner;
  GetCellInnerRect(inner, m_nRow, m_nCol);
  if (!m_pGrid || !m_pGrid->m_pGridWnd || !inner.PtInRect(pt)) return -1;
  const CGXStyle& style = GetCurrentStyle();
  CClientDC dc(m_pGrid->m_pGridWnd);
  CFont* old = GXSelectCellFont(m_pGrid, &dc, style);
  const DrawnLines drawn(&dc, style, inner);
  if (old) dc.SelectObject(old);
  const int row = (pt.y - inner.top) / drawn.rowHeight, line = drawn.first + row;
  return row < drawn.shown && line < (int)drawn.lines.size() ? line : -1;
}

void CGXListBox::ActivateAndClick(UINT nFlags, CPoint pt) {
  // The line clicked is the one drawn under the mouse, wherever the scroll below moves the cell and
  // however the window lays its lines out.
  CRect inner;
  GetCellInnerRect(inner, m_nRow, m_nCol);
  const int line = IsActive() ? -1 : DrawnLineAt(pt);
  if (!ScrollCellIntoView()) return;
  SetActive(TRUE);
  Refresh();
  // The window takes its place at the paint, which must come before the repeated click.
  m_pGrid->UpdateWindow();
  if (!m_hWnd) return;
  LPARAM at = MAKELPARAM(pt.x - inner.left, pt.y - inner.top);
  CRect item;
  if (line >= 0 && line < CListBox::GetCount()) {
    CRect client;
    GetClientRect(&client);
    GetItemRect(line, &item);
    if (item.top < client.top || item.bottom > client.bottom) {
      SetTopIndex(line);
      GetItemRect(line, &item);
    }
    at = MAKELPARAM(pt.x - inner.left, item.CenterPoint().y);
  }
  PostMessage(WM_LBUTTONDOWN, nFlags | MK_LBUTTON, at);
  PostMessage(WM_LBUTTONUP, nFlags & ~(UINT)MK_LBUTTON, at);
}

BOOL CGXListBox::LButtonUp(UINT nFlags, CPoint pt) {
  if ((nFlags & MK_RBUTTON) || !(ActivateFlags(m_pGrid) & 7) || !m_bInit || !m_pGrid) return TRUE;
  ActivateAndClick(nFlags, pt);
  CGXControl::LButtonUp(nFlags, pt);
  return TRUE;
}

BOOL CGXListBox::LButtonDblClk(UINT nFlags, CPoint pt) {
  if (IsActive() || !(ActivateFlags(m_pGrid) & 8) || !m_bInit || !m_pGrid)
    return CGXControl::LButtonDblClk(nFlags, pt);
  ActivateAndClick(nFlags, pt);
  CGXControl::LButtonUp(nFlags, pt);
  return TRUE;
}

BOOL CGXListBox::DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_bInit || !m_pGrid) return FALSE;
  GetCurrentStyle();
  if (message != WM_KEYDOWN) return FALSE;
  if ((UINT)wParam == VK_CONTROL || GridTakesKey((UINT)wParam)) return FALSE;
  if (!ScrollCellIntoView()) return FALSE;
  SetActive(TRUE);
  CGXControl::DispatchKeyMessage(message, wParam, lParam);
  if (!m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW)) Refresh();
  return TRUE;
}

UINT CGXListBox::OnGetDlgCode() { return CListBox::OnGetDlgCode() | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; }

void CGXListBox::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_bInit) return CListBox::OnKeyDown(nChar, nRepCnt, nFlags);
  m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  if (GridTakesKey(nChar))
    m_pGrid->RouteKeyMessage(this, WM_KEYDOWN, nChar, nRepCnt, nFlags);
  else
    CListBox::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGXListBox::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_KEYUP, nChar, nRepCnt, nFlags)) CListBox::OnKeyUp(nChar, nRepCnt, nFlags);
}

void CGXListBox::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_CHAR, nChar, nRepCnt, nFlags)) CListBox::OnChar(nChar, nRepCnt, nFlags);
}

void CGXListBox::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_SYSKEYDOWN, nChar, nRepCnt, nFlags))
    CListBox::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGXListBox::OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_SYSKEYUP, nChar, nRepCnt, nFlags))
    CListBox::OnSysKeyUp(nChar, nRepCnt, nFlags);
}

void CGXListBox::OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pGrid->RouteKeyMessage(this, WM_SYSCHAR, nChar, nRepCnt, nFlags))
    CListBox::OnSysChar(nChar, nRepCnt, nFlags);
}

HBRUSH CGXListBox::OnGridCtlColor(CDC* pDC, CWnd* pWnd, UINT) {
  if (!pDC || !pWnd || !m_hWnd || pWnd->GetSafeHwnd() != m_hWnd || !IsActive() || !m_brBack.m_hObject) return nullptr;
  pDC->SetTextColor(m_clrText);
  pDC->SetBkColor(m_clrBack);
  return (HBRUSH)m_brBack.m_hObject;
}

BOOL CGXListBox::OnEraseBkgnd(CDC* pDC) { return GXEraseCellWindow(*this, *this, pDC); }

// ---- drawing -------------------------------------------------------------------------------------------------------

void CGXListBox::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) {
  if (IsInitAt(nRow, nCol) && IsActive() && m_hWnd && m_pGrid && !m_pGrid->m_bPrinting) {
    Hide();
    SetModify(TRUE);
    if (GXCreateZoomedCellFont(m_pGrid, m_font, style)) SetFont(&m_font, FALSE);
    GXGetCellColors(m_pGrid, style, m_clrText, m_clrBack);
    m_brBack.DeleteObject();
    m_brBack.CreateSolidBrush(m_clrBack);
    const BOOL keep = m_bFilledActive;
    const int chosen = keep ? GetCurSel() : -1, top = keep ? GetTopIndex() : 0;
    CString text;
    if (chosen >= 0) GetText(chosen, text);
    FillListBox();
    if (keep) {
      CString now;
      if (chosen >= 0 && chosen < CListBox::GetCount()) GetText(chosen, now);
      SetCurSel(chosen < 0 ? -1 : now == text ? chosen : FindStringExact(-1, text));
    }
    m_bFilledActive = TRUE;
    CRect inner;
    GetCellInnerRect(inner, nRow, nCol, &rect, &style);
    DrawBackground(pDC, rect, style);
    MoveWindow(inner, FALSE);
    ShowWindow(SW_SHOW);
    // The selected line shows at the bottom, or the lines stay where the user's scrolling left them
    // (with the bar, that may hide the selected line).
    const int sel = GetCurSel(), fit = std::max(1, (int)(inner.Height() / std::max(1, GetItemHeight(0))));
    if (keep && (sel == chosen || (sel >= top && sel < top + fit))) SetTopIndex(top);
    else if (sel >= 0) SetTopIndex(std::max(0, sel - fit + 1));
    UpdateWindow();
    if (m_pGrid->m_pGridWnd && ::GetFocus() == m_pGrid->m_pGridWnd->m_hWnd) {
      FocusGuard guard(m_pGrid);
      SetFocus();
    }
    AddRectToGridList(inner);
    CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
    return;
  }
  if (!pDC || rect.Width() < 2 || rect.Height() < 2) return CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  DrawBackground(pDC, rect, style);
  CFont* oldFont = GXSelectCellFont(m_pGrid, pDC, style);
  COLORREF clrText, clrBack;
  GXGetCellColors(m_pGrid, style, clrText, clrBack);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(clrText);
  pDC->SetBkColor(clrBack);
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  const DrawnLines drawn(pDC, style, inner);
  for (int i = drawn.first, y = inner.top; i < (int)drawn.lines.size(); ++i, y += drawn.rowHeight) {
    if (y + drawn.rowHeight > inner.bottom) break;
    const CRect row(inner.left, y, inner.right, y + drawn.rowHeight);
    GXDrawMultiLineText(pDC, drawn.lines[(size_t)i], drawn.lines[(size_t)i].GetLength(), row,
                        DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    if (i == drawn.selected) pDC->InvertRect(&row);
  }
  if (oldFont) pDC->SelectObject(oldFont);
  const BOOL erase = m_pGrid ? m_pGrid->m_bEraseCellBackground : FALSE;
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = FALSE;
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = erase;
}
