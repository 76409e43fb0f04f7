// The cell-control base.
#include "grid/engine/GXControl.h"

#include "grid/engine/GXChild.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "platform/core/SystemInfo.h"
#include "platform/core/Exception.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/SharedFile.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

namespace {

// A control's cell is evaluated again and the whole grid repainted: the control's window, moved or
// hidden meanwhile, is then drawn again wherever it stands, and nothing of it stays behind.
void RepaintControlCell(CGXGridCore& grid, ROWCOL nRow, ROWCOL nCol) {
  const CGXRange cell = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
  grid.DelayFloatCells(cell);
  grid.DelayMergeCells(cell);
  CWnd* wnd = grid.m_pGridWnd;
  if (grid.GetParam() && !grid.GetParam()->m_bLockUpdate && wnd && wnd->GetSafeHwnd() && wnd->IsWindowVisible())
    grid.Redraw(GX_UPDATENOW, FALSE);
}

std::vector<std::string> Lines(LPCTSTR list) {
  std::vector<std::string> out;
  const char* p = list;
  while (p && *p) {
    const char* e = p;
    while (*e && *e != '\r' && *e != '\n') ++e;
    out.emplace_back(p, e);
    if (*e == '\r' && e[1] == '\n') e += 2;
    else if (*e) ++e;
    p = e;
  }
  return out;
}

// The rows or columns the mouse is selecting now, or null.
const CGXRange* MarkedByMouse(CGXGridCore& grid) {
  if (!(grid.m_wMouseAction & 0x02) || !grid.m_posSelRange) return nullptr;
  // The position may be stale when the list was emptied meanwhile.
  const CGXRangeList& list = grid.GetParam()->m_SelRects;
  for (POSITION pos = list.GetHeadPosition(); pos; list.GetNext(pos))
    if (pos == grid.m_posSelRange) return list.GetAt(pos);
  return nullptr;
}

}  // namespace

CGXControl::CGXControl(CGXGridCore* pGrid) : m_pGrid(pGrid) {}

CGXControl::~CGXControl() {
  delete m_pStyle;
  if (m_pChildren) {
    while (!m_pChildren->IsEmpty()) delete static_cast<CObject*>(m_pChildren->RemoveHead());
    delete m_pChildren;
  }
}

CGXStyle& CGXControl::GetCurrentStyle() {
  if (!m_pStyle) {
    m_pStyle = m_pGrid ? m_pGrid->CreateStyle() : new CGXStyle;
    if (m_pGrid && m_bInit) m_pGrid->ComposeStyleRowCol(m_nRow, m_nCol, m_pStyle, TRUE);
  }
  return *m_pStyle;
}

void CGXControl::FreeStyle() {
  delete m_pStyle;
  m_pStyle = nullptr;
}

void CGXControl::AddRectToGridList(const CRect& rect) {
  if (m_pGrid && !rect.IsRectEmpty()) m_pGrid->m_ControlRectList.AddTail(new RECT(rect));
}

void CGXControl::ForwardKillFocusToGrid(CWnd* pNewWnd) {
  CWnd* gridWnd = m_pGrid ? m_pGrid->m_pGridWnd : nullptr;
  if (!gridWnd || !gridWnd->GetSafeHwnd() || m_pGrid->m_bIgnoreFocus) return;
  const HWND to = pNewWnd ? pNewWnd->GetSafeHwnd() : nullptr;
  if (to != gridWnd->GetSafeHwnd()) gridWnd->SendMessage(WM_KILLFOCUS, (WPARAM)to, 0);
}

void CGXControl::Init(ROWCOL nRow, ROWCOL nCol) {
  m_pCaptureChild = nullptr;
  m_nRow = nRow;
  m_nCol = nCol;
  m_bInit = TRUE;
  SetActive(FALSE);
  SetModify(FALSE);
  FreeStyle();
  m_pActiveChild = nullptr;
  LayoutChildren(nRow, nCol, CRect());
}

void CGXControl::Deactivate() {
  // A modified or active control leaves its cell to be drawn afresh.
  if ((GetModify() || IsActive()) && m_pGrid && m_bInit) RepaintControlCell(*m_pGrid, m_nRow, m_nCol);
  Hide();
  SetModify(FALSE);
  SetActive(FALSE);
  FreeStyle();
  m_bInit = FALSE;
}

// Whether the bound cell may be shown (the grid answers whether it had to scroll, which is no refusal).
BOOL CGXControl::ScrollCellIntoView() {
  if (!m_bInit || !m_pGrid || !m_pGrid->CanScrollCellIntoView(m_nRow, m_nCol)) return FALSE;
  m_pGrid->ScrollCellInView(m_nRow, m_nCol);
  return TRUE;
}

BOOL CGXControl::OnStartEditing() { return m_bInit && m_pGrid && m_pGrid->OnStartEditing(m_nRow, m_nCol); }

void CGXControl::OnCancelEditing() {
  if (m_bInit && m_pGrid) m_pGrid->OnCanceledEditing(m_nRow, m_nCol);
  Refresh();
}

BOOL CGXControl::OnValidate() {
  if (!IsActive() || !GetModify()) return TRUE;
  CString text;
  GetCurrentText(text);
  const CGXStyle& style = GetCurrentStyle();
  const long value = std::atol(text);
  const bool tooSmall = style.HasUserAttribute(51011) && value < std::atol(style.GetUserAttribute(51011));
  const bool tooLarge = style.HasUserAttribute(51012) && value > std::atol(style.GetUserAttribute(51012));
  if (tooSmall || tooLarge) {
    if (m_pGrid) m_pGrid->SetWarningText(style.GetUserAttribute(51013));
    return FALSE;
  }
  // The grid has the last word: a program's rule for the cell.
  return ValidateText(text) && (!m_pGrid || m_pGrid->OnValidateCell(m_nRow, m_nCol));
}

void CGXControl::GetCurrentText(CString& text) {
  text.Empty();
  if (!m_bInit) return;
  text = GetCurrentStyle().GetValue();
}

void CGXControl::SetCurrentText(const CString& text) {
  if (m_bInit) StoreCellText(m_nRow, m_nCol, text, 2, m_pStyle);
}

BOOL CGXControl::GetValue(CString& text) {
  if (!m_bInit || !GetCurrentStyle().GetIncludeValue()) return FALSE;
  text = GetCurrentStyle().GetValue();
  return TRUE;
}

void CGXControl::SetActiveText(const CString& text) {
  if (m_bInit) GetCurrentStyle().SetValue(text);
}

BOOL CGXControl::GetDisplayText(CString& text, ROWCOL, ROWCOL, LPCTSTR pszValue, const CGXStyle* pStyle) {
  if (pszValue) {
    text = pszValue;
    return TRUE;
  }
  if (pStyle && pStyle->GetIncludeValue()) {
    text = pStyle->GetValue();
    return TRUE;
  }
  return FALSE;
}

BOOL CGXControl::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  CGXGridParam* param = m_pGrid->GetParam();
  const CGXStyle& style = pOldStyle ? *pOldStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  if (param->m_bProtectReadOnly && (m_pGrid->IsReadOnly() || style.GetReadOnly())) return FALSE;
  CString text = pszText ? pszText : "";
  if (style.GetIncludeMaxLength() && style.GetMaxLength() && text.GetLength() > style.GetMaxLength())
    text = CString(text.GetString(), style.GetMaxLength());
  CGXStyle value;
  value.SetValue(text);
  return m_pGrid->SetStyleRange(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), &value, 0, 0, nullptr, flags, CmdDo);
}

BOOL CGXControl::StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType,
                                const CGXStyle*) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  if (m_pGrid->GetParam()->m_bProtectReadOnly &&
      (m_pGrid->IsReadOnly() || (pStyle && pStyle->GetIncludeReadOnly() && pStyle->GetReadOnly())))
    return FALSE;
  const BOOL ok = m_pGrid->StoreStyleRowCol(nRow, nCol, pStyle, mode, nType);
  if (ok && m_pGrid->IsCurrentCell(nRow, nCol)) {
    if (!IsInitAt(nRow, nCol) || mode == 4) {
      Init(nRow, nCol);
    } else {
      const BOOL bModified = GetModify();
      FreeStyle();
      if (pStyle && pStyle->GetIncludeValue()) SetActiveText(pStyle->GetValue());
      Refresh();
      SetModify(mode == 2 ? FALSE : bModified);
    }
  }
  return ok;
}

BOOL CGXControl::GetChoiceListItem(CString& text, LPCTSTR pszChoiceList, int nIndex) {
  text.Empty();
  if (!pszChoiceList || nIndex < 0) return FALSE;
  const std::vector<std::string> lines = Lines(pszChoiceList);
  if ((size_t)nIndex >= lines.size()) return FALSE;
  text = CString(lines[(size_t)nIndex]);
  return TRUE;
}

int CGXControl::FindStringInChoiceList(CString& text, LPCTSTR pszValue, LPCTSTR pszChoiceList, BOOL bExact) {
  text.Empty();
  if (!pszValue || !*pszValue) return -1;
  const std::vector<std::string> lines = Lines(pszChoiceList);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (strcasecmp(lines[i].c_str(), pszValue) == 0) {
      text = CString(lines[i]);
      return (int)i;
    }
  }
  if (bExact) return -1;
  const size_t n = std::strlen(pszValue);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (strncasecmp(lines[i].c_str(), pszValue, n) == 0) {
      text = CString(lines[i]);
      return (int)i;
    }
  }
  return -1;
}

BOOL CGXControl::OnGridWindowMessage(UINT message, WPARAM, LPARAM) {
  if ((message != WM_HSCROLL && message != WM_VSCROLL) || !m_bInit || !m_pGrid || !IsActive()) return FALSE;
  // A covered cell reaching across the frozen rows or columns would be torn apart by the scroll under
  // its editing window: the edit ends first, unless the text may not be stored.
  CGXRange covered;
  if (!m_pGrid->GetCoveredCellsRowCol(m_nRow, m_nCol, covered)) return FALSE;
  const ROWCOL rows = m_pGrid->GetFrozenRows(), cols = m_pGrid->GetFrozenCols();
  if (!(covered.m_nLeft <= cols && covered.m_nRight > cols) && !(covered.m_nTop <= rows && covered.m_nBottom > rows))
    return FALSE;
  if (GetModify()) {
    if (!OnValidate()) {
      m_pGrid->SetWarningText(nullptr);
      return FALSE;
    }
    Store();
  }
  SetActive(FALSE);
  Refresh();
  return FALSE;
}

void CGXControl::Refresh() {
  if (!m_bInit) return;
  Hide();
  if (m_pGrid) RepaintControlCell(*m_pGrid, m_nRow, m_nCol);
}

BOOL CGXControl::GetSelectedText(CString& text) {
  GetCurrentText(text);
  return FALSE;
}

BOOL CGXControl::Copy() {
  if (!m_bInit) return FALSE;
  if (!IsActive()) return FALSE;  // the grid copies an inactive cell itself
  CString text;
  GetSelectedText(text);
  CWnd* owner = m_pGrid ? m_pGrid->m_pGridWnd : nullptr;
  if (!::OpenClipboard(owner ? owner->GetSafeHwnd() : nullptr)) return FALSE;
  // Emptied first, so no stale grid format outlives this text.
  ::EmptyClipboard();
  CSharedFile file;
  file.Write(text.GetString(), (UINT)text.GetLength() + 1);
  HGLOBAL mem = file.Detach();
  const BOOL ok = mem && ::SetClipboardData(CF_TEXT, mem) != nullptr;
  if (!ok && mem) GlobalFree(mem);
  ::CloseClipboard();
  return ok;
}

BOOL CGXControl::Cut() {
  if (!m_bInit || !IsActive() || !CanCut()) return FALSE;
  // Nothing is cleared when the text could not be copied.
  if (!Copy()) return FALSE;
  return ReplaceSelectedText("");
}

BOOL CGXControl::GridPastesWholeCells() {
  const UINT gridFormat = GXGetLibraryData().m_nClipboardFormat;
  const CGXGridParam* param = m_pGrid ? m_pGrid->GetParam() : nullptr;
  return param && param->m_bDirectCopyPaste && gridFormat && ::IsClipboardFormatAvailable(gridFormat);
}

BOOL CGXControl::Paste() {
  // Cells copied in a grid come with their text; only a grid that pastes whole cells leaves that to itself.
  if (!m_bInit || !IsActive() || IsReadOnly() || GridPastesWholeCells()) return FALSE;
  CWnd* owner = m_pGrid ? m_pGrid->m_pGridWnd : nullptr;
  if (!::OpenClipboard(owner ? owner->GetSafeHwnd() : nullptr)) return FALSE;
  BOOL ok = FALSE;
  HANDLE h = ::GetClipboardData(CF_TEXT);
  if (!h) h = ::GetClipboardData(CF_OEMTEXT);
  if (h) {
    const SIZE_T size = GlobalSize(h);
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      ok = ReplaceSelectedText(CString(p, (int)strnlen(p, size)));
      GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
  return ok;
}

BOOL CGXControl::CanCut() { return m_bInit && !GetCurrentStyle().GetReadOnly(); }

BOOL CGXControl::CanPaste() {
  if (!m_bInit || IsReadOnly()) return FALSE;
  return ::IsClipboardFormatAvailable(CF_TEXT) || ::IsClipboardFormatAvailable(CF_OEMTEXT);
}

BOOL CGXControl::ReplaceSelectedText(LPCTSTR pszText) {
  if (!m_bInit || !m_pGrid || !m_pGrid->IsCurrentCell(m_nRow, m_nCol)) return FALSE;
  return StoreCellText(m_nRow, m_nCol, pszText, 2, nullptr);
}

BOOL CGXControl::IsReadOnly() {
  if (!m_pGrid || !m_pGrid->GetParam() || !m_pGrid->GetParam()->m_bProtectReadOnly) return FALSE;
  return m_pGrid->IsReadOnly() || (m_bInit && GetCurrentStyle().GetReadOnly());
}

void CGXControl::AddChild(CObject* pChild) {
  if (!pChild) return;
  if (!m_pChildren) m_pChildren = new CPtrList(10);
  m_pChildren->AddTail(pChild);
}

CObject* CGXControl::GetChild(int nIndex) {
  if (nIndex < 0 || nIndex >= GetCount()) AfxThrowInvalidArgException();
  POSITION pos = m_pChildren->FindIndex(nIndex);
  return static_cast<CObject*>(m_pChildren->GetAt(pos));
}

// ---- notifications, mouse and keys ----------------------------------------------------------------------------

BOOL CGXControl::OnModifyCell() {
  if (!GetModify() || !m_bInit || !m_pGrid) return FALSE;
  m_pGrid->OnCellModified(m_nRow, m_nCol);
  return TRUE;
}

BOOL CGXControl::OnEndEditing() { return m_bInit && m_pGrid ? m_pGrid->OnEndEditing(m_nRow, m_nCol) : TRUE; }

BOOL CGXControl::OnLeftCell(ROWCOL nNewRow, ROWCOL nNewCol) {
  return m_bInit && m_pGrid ? m_pGrid->OnLeftCell(m_nRow, m_nCol, nNewRow, nNewCol) : TRUE;
}

BOOL CGXControl::OnDeleteCell() { return m_bInit && m_pGrid ? m_pGrid->OnDeleteCell(m_nRow, m_nCol) : TRUE; }

namespace {

CGXChild* AsChild(CObject* p) { return dynamic_cast<CGXChild*>(p); }


// The child operation of a button: 0 left, 1 middle, 2 right.
BOOL ChildDown(CGXChild& child, int nButton, UINT flags, CPoint pt) {
  return nButton == 0 ? child.OnLButtonDown(flags, pt.x, pt.y)
         : nButton == 1 ? child.OnMButtonDown(flags, pt.x, pt.y)
                        : child.OnRButtonDown(flags, pt.x, pt.y);
}

BOOL ChildUp(CGXChild& child, int nButton, UINT flags, CPoint pt) {
  return nButton == 0 ? child.OnLButtonUp(flags, pt.x, pt.y)
         : nButton == 1 ? child.OnMButtonUp(flags, pt.x, pt.y)
                        : child.OnRButtonUp(flags, pt.x, pt.y);
}

}  // namespace

CRect CGXControl::CalcDrawnCellRect(ROWCOL nRow, ROWCOL nCol) {
  if (!m_pGrid) return CRect();
  CGXRange span;
  if (!m_pGrid->GetCoveredCellsRowCol(nRow, nCol, span)) return m_pGrid->CalcRectFromRowCol(nRow, nCol);
  CGXGridCore& g = *m_pGrid;
  CRect rect;
  {
    const CGXGridCore::StoredSizes stored(g, TRUE, TRUE);
    rect = g.CalcRectFromRowColEx(span.m_nTop, span.m_nLeft, span.m_nBottom, span.m_nRight);
  }
  if (rect.IsRectEmpty()) return rect;
  // Rows and columns scrolled out above and left of the window still belong to the drawn range.
  const ROWCOL top = g.GetTopRow(), left = g.GetLeftCol();
  if (span.m_nTop > g.GetFrozenRows() && span.m_nTop < top)
    rect.top -= g.SumRowHeights(span.m_nTop, std::max(top, g.GetFrozenRows() + 1) - 1);
  if (span.m_nLeft > g.GetFrozenCols() && span.m_nLeft < left)
    rect.left -= g.SumColWidths(span.m_nLeft, std::max(left, g.GetFrozenCols() + 1) - 1);
  return rect;
}

BOOL CGXControl::ButtonDown(int nButton, UINT flags, CPoint pt) {
  m_pCaptureChild = nullptr;
  if (!m_bInit || !GetCount()) return FALSE;
  LayoutChildren(m_nRow, m_nCol, CalcDrawnCellRect(m_nRow, m_nCol));
  for (POSITION pos = m_pChildren->GetHeadPosition(); pos;) {
    CGXChild* child = AsChild(static_cast<CObject*>(m_pChildren->GetNext(pos)));
    if (child && child->HitTest(pt.x, pt.y)) {
      SetFocusChild(child);
      if (ChildDown(*child, nButton, flags, pt)) {
        m_pCaptureChild = child;
        return TRUE;
      }
    }
  }
  return FALSE;
}

BOOL CGXControl::ButtonUp(int nButton, UINT flags, CPoint pt) {
  BOOL handled = FALSE;
  if (CGXChild* child = AsChild(m_pCaptureChild)) {
    m_pCaptureChild = nullptr;
    LayoutChildren(m_nRow, m_nCol, CalcDrawnCellRect(m_nRow, m_nCol));
    handled = ChildUp(*child, nButton, flags, pt);
  }
  if (!m_bInit || !m_pGrid) return handled;
  // A click on a button is a click on its cell too.
  const BOOL clicked = nButton == 0 ? m_pGrid->OnLButtonClickedRowCol(m_nRow, m_nCol, flags, pt)
                       : nButton == 1 ? m_pGrid->OnMButtonClickedRowCol(m_nRow, m_nCol, flags, pt)
                                      : m_pGrid->OnRButtonClickedRowCol(m_nRow, m_nCol, flags, pt);
  return clicked || handled;
}

BOOL CGXControl::LButtonDown(UINT flags, CPoint pt) { return ButtonDown(0, flags, pt); }
BOOL CGXControl::MButtonDown(UINT flags, CPoint pt) { return ButtonDown(1, flags, pt); }
BOOL CGXControl::RButtonDown(UINT flags, CPoint pt) { return ButtonDown(2, flags, pt); }
BOOL CGXControl::LButtonUp(UINT flags, CPoint pt) { return ButtonUp(0, flags, pt); }
BOOL CGXControl::MButtonUp(UINT flags, CPoint pt) { return ButtonUp(1, flags, pt); }
BOOL CGXControl::RButtonUp(UINT flags, CPoint pt) { return ButtonUp(2, flags, pt); }

BOOL CGXControl::MouseMoveOver(ROWCOL nRow, ROWCOL nCol, UINT flags, CPoint pt) {
  BOOL handled = FALSE;
  if (GetCount()) {
    LayoutChildren(nRow, nCol, CalcDrawnCellRect(nRow, nCol));
    for (POSITION pos = m_pChildren->GetHeadPosition(); pos && !handled;) {
      CGXChild* child = AsChild(static_cast<CObject*>(m_pChildren->GetNext(pos)));
      handled = child && child->HitTest(pt.x, pt.y) && child->OnMouseMove(flags, pt.x, pt.y);
    }
  }
  return (m_pGrid && m_pGrid->OnMouseMoveOver(nRow, nCol, flags, pt)) || handled;
}

BOOL CGXControl::MouseMove(UINT flags, CPoint pt) {
  CGXChild* child = AsChild(m_pCaptureChild);
  if (!child) return FALSE;
  // Another cell's paint may have laid the children out elsewhere meanwhile.
  LayoutChildren(m_nRow, m_nCol, CalcDrawnCellRect(m_nRow, m_nCol));
  return child->OnMouseMove(flags, pt.x, pt.y);
}

BOOL CGXControl::ButtonDblClk(int nButton, UINT flags, CPoint pt) {
  if (!m_bInit || !m_pGrid) return FALSE;
  // A double-click on a button is the button's, not one on the cell.
  if (GetCount()) {
    LayoutChildren(m_nRow, m_nCol, CalcDrawnCellRect(m_nRow, m_nCol));
    for (POSITION pos = m_pChildren->GetHeadPosition(); pos;) {
      CGXChild* child = AsChild(static_cast<CObject*>(m_pChildren->GetNext(pos)));
      if (child && child->HitTest(pt.x, pt.y))
        return nButton == 0 ? child->OnLButtonDblClk(flags, pt.x, pt.y)
               : nButton == 1 ? child->OnMButtonDblClk(flags, pt.x, pt.y)
                              : child->OnRButtonDblClk(flags, pt.x, pt.y);
    }
  }
  return nButton == 0 ? m_pGrid->OnLButtonDblClkRowCol(m_nRow, m_nCol, flags, pt)
         : nButton == 1 ? m_pGrid->OnMButtonDblClkRowCol(m_nRow, m_nCol, flags, pt)
                        : m_pGrid->OnRButtonDblClkRowCol(m_nRow, m_nCol, flags, pt);
}

BOOL CGXControl::LButtonDblClk(UINT flags, CPoint pt) { return ButtonDblClk(0, flags, pt); }
BOOL CGXControl::MButtonDblClk(UINT flags, CPoint pt) { return ButtonDblClk(1, flags, pt); }
BOOL CGXControl::RButtonDblClk(UINT flags, CPoint pt) { return ButtonDblClk(2, flags, pt); }

BOOL CGXControl::OnClickedButton(CObject*) {
  if (!m_bInit || !m_pGrid) return FALSE;
  m_pGrid->OnClickedButtonRowCol(m_nRow, m_nCol);
  return TRUE;
}

BOOL CGXControl::CollectMbcsChar(UINT nChar, CString& text) {
  text.Empty();
  if (m_cLeadByte) {
    text.AppendChar((char)m_cLeadByte);
    text.AppendChar((char)nChar);
    m_cLeadByte = 0;
    return FALSE;
  }
  if (IsDBCSLeadByte((BYTE)nChar)) {
    m_cLeadByte = (BYTE)nChar;
    return TRUE;
  }
  text.AppendChar((char)nChar);
  return FALSE;
}

BOOL CGXControl::DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (CGXChild* child = AsChild(m_pActiveChild))
    if (child->DispatchKey(message, wParam, lParam)) return TRUE;
  const UINT nChar = (UINT)wParam, nRep = LOWORD(lParam), nFlags = HIWORD(lParam);
  switch (message) {
    case WM_KEYDOWN: return OnGridKeyDown(nChar, nRep, nFlags);
    case WM_KEYUP: return OnGridKeyUp(nChar, nRep, nFlags);
    case WM_DEADCHAR: return OnGridDeadChar(nChar, nRep, nFlags);
    case WM_SYSKEYDOWN: return OnGridSysKeyDown(nChar, nRep, nFlags);
    case WM_SYSKEYUP: return OnGridSysKeyUp(nChar, nRep, nFlags);
    case WM_SYSCHAR: return OnGridSysChar(nChar, nRep, nFlags);
    case WM_SYSDEADCHAR: return OnGridSysDeadChar(nChar, nRep, nFlags);
    case WM_CHAR: {
      CString text;
      if (CollectMbcsChar(nChar, text)) return TRUE;
      return text.GetLength() > 1 ? OnGridChars(text) : OnGridChar(nChar, nRep, nFlags);
    }
    default: return FALSE;
  }
}

// ---- find and replace ------------------------------------------------------------------------------------------

void GXFoldUpper(std::string& text) {
  // A table of the C library's upper case, made once: a replace over many cells folds every text.
  static const auto table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c) t[(size_t)c] = (char)std::toupper(c);
    return t;
  }();
  for (char& ch : text) ch = table[(unsigned char)ch];
}

void CGXControl::SearchTexts(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, CString& text, std::string& hay,
                             std::string& needle) {
  const CGXStyle& style = find.pStyle ? *find.pStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  GetDisplayText(text, nRow, nCol, nullptr, &style);
  // Compared upper-cased unless case matters.
  hay = text.str();
  if (!find.bCase) GXFoldUpper(hay);
  needle = (find.bCase ? find.strFind : find.strFindUpper).str();
}

BOOL CGXControl::FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent, BOOL bSelect) {
  if (!m_pGrid || (!bCurrent && m_pGrid->IsCurrentCell(nRow, nCol))) return FALSE;
  CString text;
  std::string hay, needle;
  SearchTexts(find, nRow, nCol, text, hay, needle);
  if (needle.empty() || hay.find(needle) == std::string::npos) return FALSE;
  if (bSelect) m_pGrid->SetCurrentCell(nRow, nCol, GX_UPDATENOW | GX_SCROLLINVIEW);
  return TRUE;
}

bool CGXControl::ReplaceMatches(const GXFindReplaceState& find, const CString& text, size_t from, bool every,
                                CString& out) {
  const std::string& needle = (find.bCase ? find.strFind : find.strFindUpper).str();
  if (needle.empty()) return false;
  std::string folded;
  if (!find.bCase) GXFoldUpper(folded = text.str());
  const std::string& hay = find.bCase ? text.str() : folded;
  std::string result(text.str(), 0, std::min(from, hay.size()));
  size_t hit;
  bool replaced = false;
  while ((hit = hay.find(needle, from)) != std::string::npos && (every || !replaced)) {
    result.append(text.str(), from, hit - from);
    result += find.strReplace.str();
    from = hit + needle.size();
    replaced = true;
  }
  if (!replaced) return false;
  result.append(text.str(), std::min(from, hay.size()), std::string::npos);
  out = CString(std::move(result));
  return true;
}

BOOL CGXControl::ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) {
  if (!m_pGrid) return FALSE;
  CString text;
  GetDisplayText(text, nRow, nCol, nullptr, find.pStyle ? find.pStyle : &m_pGrid->LookupStyleRowCol(nRow, nCol));
  return ReplaceAllIn(find, nRow, nCol, text, 0);
}

BOOL CGXControl::ReplaceAllIn(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, const CString& text, size_t from) {
  CString out;
  if (!ReplaceMatches(find, text, from, true, out)) return FALSE;
  CGXStyle value;
  value.SetValue(out);
  // In the grid's Replace All loop (the cell's composed style at hand) the cell is only stored: the
  // loop files the undo, repaints and tells the other views once for all the cells it replaced.
  if (find.pStyle) return StoreCellStyle(nRow, nCol, &value, 0, 0, find.pStyle);
  return m_pGrid->SetStyleRange(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), &value, 0, 0, nullptr, GX_UPDATENOW, CmdDo);
}

// ---- background and frame ---------------------------------------------------------------------------------------

void CGXControl::DrawBackground(CDC* pDC, const CRect& rect, const CGXStyle& style, BOOL bErase) {
  if (!pDC) return;
  const CGXProperties* props = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->GetProperties() : nullptr;
  const BOOL blackWhite = props && props->GetBlackWhite();
  if (bErase || !blackWhite) {
    const CGXBrushValue& interior = style.GetInterior();
    if (interior.GetStyle() == 0 || !m_pGrid) {
      GXFillRect(pDC, &rect, blackWhite ? RGB(255, 255, 255) : interior.GetColorValue());
    } else {
      CGXBrushValue br = interior;
      if (blackWhite) br.SetColor(RGB(0, 0, 0)).SetBkColor(RGB(255, 255, 255));
      // The grid's brush drawing fills the gaps of a hatch with the background colour, whatever the
      // mode text drawing left in the DC.
      m_pGrid->FillBackground(pDC, &rect, br);
    }
  }
  Draw3dFrame(pDC, rect, style);
}

void CGXControl::Draw3dFrame(CDC* pDC, const CRect& rect, const CGXStyle& style) {
  if (!pDC || !style.GetIncludeDraw3dFrame()) return;
  const CGXProperties* props = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->GetProperties() : nullptr;
  if (props && props->GetBlackWhite()) return;
  const UINT kind = style.GetDraw3dFrame();
  if (kind != 1 && kind != 2) return;
  const COLORREF light = GXGetSysColorCache().GetColor(20), dark = GXGetSysColorCache().GetColor(16);
  GXDraw3dFrame(pDC, rect.left, rect.top, rect.right, rect.bottom, 1, kind == 1 ? light : dark, kind == 1 ? dark : light);
}

GXFindReplaceState& GXGetFindReplaceState() {
  static GXFindReplaceState state;
  return state;
}

// ---- geometry and the current-cell frame ---------------------------------------------------------------------

CRect CGXControl::CalcCellExtent(ROWCOL nRow, ROWCOL nCol) {
  if (!m_pGrid) return CRect();
  CGXRange cell;
  if (!m_pGrid->GetCoveredCellsRowCol(nRow, nCol, cell)) cell.SetCellRange(nRow, nCol, nRow, nCol);
  return CRect(0, 0, m_pGrid->SumColWidths(cell.m_nLeft, cell.m_nRight), m_pGrid->SumRowHeights(cell.m_nTop, cell.m_nBottom));
}

void CGXControl::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect, const CGXStyle* pStyle) {
  if (!m_pGrid) {
    rect = pCellRect ? *pCellRect : CRect();
    return;
  }
  const CGXStyle& style = pStyle ? *pStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  const CRect cell = pCellRect ? *pCellRect : m_pGrid->CalcRectFromRowCol(nRow, nCol);
  RECT inner;
  m_pGrid->ShrinkRectByBorders(&inner, cell, style, TRUE);
  rect = inner;
  // The current row and column lose the pixel their frame line takes, unless a border gives it.
  ROWCOL r, c;
  const CGXProperties* props = m_pGrid->GetParam() ? m_pGrid->GetParam()->GetProperties() : nullptr;
  if (m_pGrid->GetCurrentCell(r, c) && props) {
    if (props->GetHorizontalLines() && nRow > m_pGrid->GetHeaderRows() && nRow == r &&
        !style.GetIncludeBorder(CGXStyle::sideBottom))
      --rect.bottom;
    if (props->GetVerticalLines() && nCol > m_pGrid->GetHeaderCols() && nCol == c &&
        !style.GetIncludeBorder(CGXStyle::sideRight))
      --rect.right;
  }
}

CSize CGXControl::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  if (!m_pGrid) return size;
  SIZE out;
  m_pGrid->GrowSizeByBorders(&out, size.cx, size.cy, style);
  return CSize(out.cx, out.cy);
}

void CGXControl::DrawCurrentCellFrame(CDC* pDC, const CRect& rect) {
  CGXGridParam* param = m_pGrid ? m_pGrid->GetParam() : nullptr;
  if (!pDC || !param || param->m_bInvertCurrentCellFrame) return;
  const WORD mode = param->m_wShowCurrentCell;
  if (!(mode == 0 || (mode == 2 && m_pGrid->m_bActive))) return;
  const CGXProperties* props = param->GetProperties();
  const CGXStyle* kind = props ? props->GetUserProperty(51005) : nullptr;
  const CString value = kind ? kind->GetValue() : CString();
  if (props && value == props->m_sNoBorder) return;
  const bool solid = props && (value == props->m_sThinBorder || value == props->m_sThickBorder);
  const int w = props && (value == props->m_sThickBorder || value == props->m_sInvertThick) ? 2 : 1;
  const CRect strips[4] = {CRect(rect.left, rect.top, rect.right, rect.top + w),
                           CRect(rect.left, rect.bottom - w, rect.right, rect.bottom),
                           CRect(rect.left, rect.top + w, rect.left + w, rect.bottom - w),
                           CRect(rect.right - w, rect.top + w, rect.right, rect.bottom - w)};
  for (const CRect& s : strips) {
    if (solid) GXFillRect(pDC, &s, RGB(0, 0, 0));
    else pDC->InvertRect(&s);
  }
}

BOOL CGXControl::IsHighlighted(ROWCOL nRow, ROWCOL nCol) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  const ROWCOL hr = m_pGrid->GetHeaderRows(), hc = m_pGrid->GetHeaderCols();
  const bool rowHeader = nCol <= hc, colHeader = nRow <= hr;
  if (!rowHeader && !colHeader) return FALSE;
  CGXRange covered = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
  m_pGrid->GetCoveredCellsRowCol(nRow, nCol, covered);
  if (const CGXRange* marked = MarkedByMouse(*m_pGrid)) {
    if (rowHeader && marked->IsRows() && marked->m_nTop <= covered.m_nBottom && marked->m_nBottom >= covered.m_nTop)
      return TRUE;
    if (colHeader && marked->IsCols() && marked->m_nLeft <= covered.m_nRight && marked->m_nRight >= covered.m_nLeft)
      return TRUE;
  }
  ROWCOL r, c;
  if (!m_pGrid->GetCurrentCell(r, c)) return FALSE;
  const CGXProperties* props = m_pGrid->GetParam()->GetProperties();
  if (!props || r <= hr || c <= hc) return FALSE;
  if (rowHeader && props->GetMarkRowHeader() && r >= covered.m_nTop && r <= covered.m_nBottom) return TRUE;
  return colHeader && props->GetMarkColHeader() && c >= covered.m_nLeft && c <= covered.m_nRight;
}

BOOL CGXControl::IsWindowKindOf(CRuntimeClass* pClass) {
  CWnd* wnd = GetWnd();
  return wnd && pClass && wnd->IsKindOf(pClass);
}

BOOL CGXControl::IsKindOfControl(LPCTSTR pszClassName) const {
  for (const CGXControlClass* c = GetControlClass(); c && pszClassName; c = c->m_pBaseClass)
    if (std::strcmp(c->m_lpszClassName, pszClassName) == 0) return TRUE;
  return FALSE;
}

BOOL CGXControl::PutValueIntoStyle(ROWCOL nRow, ROWCOL nCol, CGXStyle& style) {
  CString value;
  if (IsInitAt(nRow, nCol) && GetValue(value)) style.SetValue(value);
  return FALSE;
}

void CGXControl::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle*) {
  // A window laid over the cell is drawn already, and the grid's paint does not clip children.
  const int saved = pDC && m_pGrid && !m_pGrid->m_ControlRectList.IsEmpty() ? pDC->SaveDC() : 0;
  if (saved)
    for (POSITION pos = m_pGrid->m_ControlRectList.GetHeadPosition(); pos;)
      pDC->ExcludeClipRect(static_cast<const RECT*>(m_pGrid->m_ControlRectList.GetNext(pos)));
  if (m_pGrid && m_pGrid->m_bEraseCellBackground) DrawBackground(pDC, rect, style, TRUE);
  if (pDC && GetCount()) {
    // Children count as active only in the current cell of a focused grid.
    LayoutChildren(nRow, nCol, rect);
    const BOOL bActive = m_pGrid && m_pGrid->m_bActive && m_pGrid->IsCurrentCell(nRow, nCol);
    for (POSITION pos = m_pChildren->GetHeadPosition(); pos;)
      if (CGXChild* child = AsChild(static_cast<CObject*>(m_pChildren->GetNext(pos)))) child->Draw(pDC, bActive);
  }
  if (saved) pDC->RestoreDC(saved);
}
