#include "grid/controls/GXMaskControl.h"

#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/MessageBox.h"
#include "platform/core/SystemInfo.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const UINT kMaskAttr = 51023, kPromptAttr = 51024;

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }
bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

CString TextOf(HANDLE h) {
  const char* p = h ? static_cast<const char*>(GlobalLock(h)) : nullptr;
  if (!p) return CString();
  CString text(p, (int)strnlen(p, GlobalSize(h)));
  GlobalUnlock(h);
  return text;
}

}  // namespace

CGXMaskControl::CGXMaskControl(CGXGridCore* pGrid, UINT nEditID, CRuntimeClass* pMaskClass)
    : CGXEditControl(pGrid, nEditID), m_pMaskClass(pMaskClass) {
  if (m_pMaskClass) EnsureMasks();
}

CGXMaskControl::~CGXMaskControl() {
  delete m_pEditMask;
  delete m_pDisplayMask;
}

void CGXMaskControl::AddUserAttributes(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  CGXStyle mask, prompt;
  mask.SetWrapText(TRUE).SetAutoSize(TRUE);
  prompt.SetMaxLength(1);
  pStylesMap->AddUserAttribute(kMaskAttr, &mask);
  pStylesMap->AddUserAttribute(kPromptAttr, &prompt);
}

UINT CGXMaskControl::GetMaskDataFormat() {
  static const UINT format = ::RegisterClipboardFormat("GX_MASKDATA");
  return format;
}

void CGXMaskControl::EnsureMasks() {
  auto make = [this]() -> CGXMaskData* {
    CObject* obj = m_pMaskClass ? m_pMaskClass->CreateObject() : nullptr;
    if (auto* mask = dynamic_cast<CGXMaskData*>(obj)) return mask;
    delete obj;
    return new CGXMaskData;
  };
  if (!m_pEditMask) m_pEditMask = make();
  if (!m_pDisplayMask) m_pDisplayMask = make();
}

void CGXMaskControl::SetupMaskData(CGXMaskData* pMask, const CGXStyle& style) {
  if (!pMask) return;
  const CString mask = style.HasUserAttribute(kMaskAttr) ? style.GetUserAttribute(kMaskAttr) : CString();
  const CString prompt = style.HasUserAttribute(kPromptAttr) ? style.GetUserAttribute(kPromptAttr) : CString("_");
  pMask->ClearMask();
  // A refused prompt falls back to the default rather than keeping the previous cell's.
  if (!pMask->SetPrompt(prompt, FALSE)) pMask->SetPrompt("_", FALSE);
  pMask->SetMask(mask);
  pMask->SetMaxLength(0x7FFFFFFF);
  if (style.GetIncludeMaxLength() && style.GetMaxLength() != 0) pMask->SetMaxLength(style.GetMaxLength());
}

BOOL CGXMaskControl::CreateEditWnd(DWORD dwStyle, const CRect& rect) {
  EnsureMasks();
  return CGXEditControl::CreateEditWnd(dwStyle, rect);
}

DWORD CGXMaskControl::GetEditStyle(CRect& rect, int& nLineHeight) {
  GetClientRect(&rect);
  CString text;
  GetWindowText(text);
  CClientDC dc(this);
  CFont* old = m_font.m_hObject ? dc.SelectObject(&m_font) : nullptr;
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  const int width = dc.GetTextExtent(text).cx;
  if (old) dc.SelectObject(old);
  m_nLineHeight = tm.tmHeight + 1 + tm.tmExternalLeading;
  m_nMaxCharWidth = tm.tmMaxCharWidth;
  DWORD style = 0x50010184;  // child, visible, tab stop, multi-line, auto-scrolling, selection kept
  if (width <= rect.Width() - m_nMaxCharWidth) style |= m_nAlignment == 1 ? ES_CENTER : m_nAlignment == 2 ? ES_RIGHT : 0;
  nLineHeight = std::max(nLineHeight, m_nLineHeight);
  rect.bottom = std::max<LONG>(rect.bottom, rect.top + nLineHeight + 1);
  return style;
}

// ---- binding and values -----------------------------------------------------------------------------------------

void CGXMaskControl::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXStatic::Init(nRow, nCol);
  if (!m_hWnd) CreateEditWnd(0, CRect(0, 0, 0, 0));
  const CGXStyle& style = GetCurrentStyle();
  m_bAutoSize = style.GetIncludeAutoSize() && style.GetAutoSize();
  m_bWrapText = style.GetIncludeWrapText() && style.GetWrapText();
  SetActiveText(style.GetIncludeValue() ? style.GetValue() : CString());
  if (m_hWnd) SetSel(0, -1);
  if (m_pGrid && m_pGrid->GetParam() && (m_pGrid->GetParam()->m_wActivateFlags & 4) && ScrollCellIntoView())
    SetActive(TRUE);
  SetModify(FALSE);
}

void CGXMaskControl::SetActiveText(const CString& text) {
  if (!m_hWnd) return;
  EnsureMasks();
  SetupMaskData(m_pEditMask, m_bInit ? GetCurrentStyle() : CGXStyle());
  m_pEditMask->SetData(text, -1, FALSE);
  CString display;
  m_pEditMask->GetDisplayString(display);
  SetWindowText(display);
}

BOOL CGXMaskControl::GetValue(CString& text) {
  if (!m_bInit) return FALSE;
  if (!m_hWnd || !m_pEditMask) return CGXControl::GetValue(text);
  m_pEditMask->GetData(text, 0, -1, TRUE);
  return TRUE;
}

void CGXMaskControl::GetCurrentText(CString& text) {
  text.Empty();
  if (!m_bInit) return;
  if (!m_hWnd || !m_pEditMask) {
    GetDisplayText(text, m_nRow, m_nCol, nullptr, &GetCurrentStyle());
    return;
  }
  m_pEditMask->GetDisplayString(text);
}

void CGXMaskControl::SetCurrentText(const CString& text) {
  if (!m_bInit || !m_hWnd || !m_pEditMask) return;
  if (!IsActive()) SetActive(TRUE);
  if (!ValidateText(text)) return;
  m_pEditMask->SetDisplayString(text, -1, FALSE);
  CString display;
  m_pEditMask->GetDisplayString(display);
  SetWindowText(display);
  SetModify(TRUE);
  OnModifyCell();
}

BOOL CGXMaskControl::GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) {
  text.Empty();
  if (IsInitAt(nRow, nCol) && IsActive() && m_hWnd && m_pEditMask && !pszValue) {
    m_pEditMask->GetDisplayString(text);
    return TRUE;
  }
  if (!pStyle && !m_pGrid) return FALSE;
  const CGXStyle& style = pStyle ? *pStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  const CString value = pszValue ? CString(pszValue) : style.GetValue();
  if (value.IsEmpty()) return TRUE;
  EnsureMasks();
  SetupMaskData(m_pDisplayMask, style);
  if (m_pDisplayMask->SetData(value, -1, FALSE) < 0) return FALSE;
  m_pDisplayMask->GetDisplayString(text);
  return TRUE;
}

BOOL CGXMaskControl::OnValidate() {
  if (IsActive() && GetModify() && m_pEditMask && !m_pEditMask->IsDataValid()) return FALSE;
  return CGXControl::OnValidate();
}

BOOL CGXMaskControl::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  const CGXStyle& style = pOldStyle ? *pOldStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  if (m_pGrid->GetParam()->m_bProtectReadOnly && (m_pGrid->IsReadOnly() || style.GetReadOnly())) return FALSE;
  EnsureMasks();
  CGXMaskData& mask = *m_pDisplayMask;
  SetupMaskData(&mask, style);
  if ((mask.SetDisplayString(pszText, -1, FALSE) < 0 || !mask.IsDataValid()) && mask.SetData(pszText, -1, FALSE) < 0)
    return FALSE;
  CString data;
  mask.GetData(data, 0, -1, TRUE);
  CGXStyle value;
  value.SetValue(data);
  return m_pGrid->SetStyleRange(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), &value, 0, 0, nullptr, flags, CmdDo);
}

BOOL CGXMaskControl::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == EN_CHANGE && (HWND)lParam == m_hWnd && m_hWnd && IsActive()) {
    OnModifyCell();
    return TRUE;
  }
  return CGXStatic::OnCommand(wParam, lParam);
}

// ---- caret and editing ------------------------------------------------------------------------------------------

void CGXMaskControl::GetSelPos(int& nStart, int& nEnd) {
  int s = 0, e = 0;
  GetSel(s, e);
  if (e < 0) e = GetWindowTextLength();
  nStart = m_pEditMask->OffsetToPos(std::min(s, e));
  nEnd = m_pEditMask->OffsetToPos(std::max(s, e));
}

// The end of the selection the caret stands at: a selection made towards the start keeps it there.
int CGXMaskControl::CaretOffset() {
  int s = 0, e = 0;
  GetSel(s, e);
  if (e < 0) e = GetWindowTextLength();
  if (s == e || ::GetFocus() != m_hWnd) return e;
  POINT caret{};
  if (!::GetCaretPos(&caret)) return e;
  const int at = LOWORD(SendMessage(EM_CHARFROMPOS, 0, MAKELPARAM(caret.x, caret.y)));
  return at == std::min(s, e) ? at : std::max(s, e);
}

void CGXMaskControl::SetCaretPos(int nPos) {
  const int offset = m_pEditMask->PosToOffset(std::max(nPos, 0));
  SetSel(offset, offset);
}

void CGXMaskControl::Rebuild(int nPos, BOOL bNotify) {
  CString display;
  m_pEditMask->GetDisplayString(display);
  SetWindowText(display);
  SetModify(TRUE);
  if (bNotify)
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_COMMAND, MAKEWPARAM(m_nEditID, EN_CHANGE), (LPARAM)m_hWnd);
  if (m_hWnd) SetCaretPos(nPos);
}

int CGXMaskControl::SnapPos(int nPos) {
  CGXMaskData& mask = *m_pEditMask;
  int p = mask.NextEditPos(nPos - 1);
  if (p < 0) p = mask.PrevEditPos(nPos);
  return std::max(std::min(p, mask.EndOfInput(mask.GetDataCount())), 0);
}

void CGXMaskControl::TypeChar(CString ch) {
  CGXMaskData& mask = *m_pEditMask;
  int start = 0, end = 0;
  GetSelPos(start, end);
  const int pos = mask.NextEditPos(start - 1);
  if (pos < 0 || (start != end && pos >= end)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  if (!mask.IsValidInput(pos, ch)) {
    OnInvalidKeyPressed(ch);
    return;
  }
  int caret = pos + 1;
  if (m_bInsertMode) {
    if (end > pos) mask.DeleteRange(end, pos);
    if (!mask.InsertAt(pos, ch, caret)) return;
  } else if (mask.IsMaskEmpty()) {
    // Free text overwrites the one character at the caret and keeps the rest.
    mask.DeleteRange(std::max(end, pos + 1), pos);
    mask.InsertAt(pos, ch, caret);
  } else {
    if (end > pos + 1) mask.DeleteRange(end, pos + 1);
    mask.SetDisplayString(ch, pos, FALSE);
  }
  Rebuild(caret, TRUE);
}

void CGXMaskControl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_bInit || !IsActive() || IsReadOnly() || (GetStyle() & ES_READONLY) || !m_pEditMask) return;
  if (nChar == 8) return;  // Backspace is the key-down's
  if (m_pGrid) m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  if (CtrlHeld() && (nChar == 3 || nChar == 22 || nChar == 24)) {
    if (nChar != 22 && ::OpenClipboard(m_hWnd)) {
      EmptyClipboard();
      CloseClipboard();
    }
    nChar == 3 ? Copy() : nChar == 22 ? Paste() : Cut();
    return;
  }
  if (nChar == 13 || nChar == 10) return;
  if (!CtrlHeld() && (nChar > 31 && nChar != 127)) {
    CString ch;
    if (!CollectMbcsChar(nChar, ch)) TypeChar(ch);
    return;
  }
  // Control characters are the grid's; the edit window would put them into the text.
  if (m_pGrid) m_pGrid->RouteKeyMessage(this, WM_CHAR, nChar, nRepCnt, nFlags);
}

void CGXMaskControl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_pEditMask) return CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
  auto toGrid = [&]() { m_pGrid->RouteKeyMessage(this, WM_KEYDOWN, nChar, nRepCnt, nFlags); };
  if (!IsActive() || CtrlHeld()) return toGrid();
  m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  CGXMaskData& mask = *m_pEditMask;
  int start = 0, end = 0;
  GetSelPos(start, end);
  const bool readOnly = IsReadOnly() || (GetStyle() & ES_READONLY);
  const bool shift = ShiftHeld();
  switch (nChar) {
    case VK_BACK: {
      if (readOnly) break;
      if (start != end) {
        mask.DeleteRange(end, start);
        int p = mask.NextEditPos(start - 1);
        Rebuild(p >= 0 ? p : mask.PrevEditPos(start), TRUE);
        return;
      }
      const int prev = mask.PrevEditPos(start);
      if (prev < 0) return;
      mask.DeleteRange(start, prev);
      Rebuild(prev, TRUE);
      return;
    }
    case VK_DELETE: {
      if (readOnly) break;
      if (start != end) {
        if (shift) {
          if (::OpenClipboard(m_hWnd)) {
            EmptyClipboard();
            CloseClipboard();
          }
          Cut();
        } else {
          ReplaceSelectedText("");
        }
        return;
      }
      const int at = mask.NextEditPos(start - 1);
      int next = at < 0 ? -1 : mask.NextEditPos(at);
      if (next < 0) next = at + 1;
      if (at < 0 || next > mask.GetDataCount()) return;
      mask.DeleteRange(next, at);
      Rebuild(start, TRUE);
      return;
    }
    case VK_INSERT:
      if (readOnly) break;
      if (shift) {
        Paste();
        return;
      }
      m_bInsertMode = !m_bInsertMode;
      break;
    case VK_LEFT: {
      if (shift) break;
      if (start != end) return SetCaretPos(std::max(mask.PrevEditPos(start + 1), 0));
      const int prev = start > 0 ? mask.PrevEditPos(start) : -1;
      if (prev < 0) return toGrid();  // nothing editable before the caret
      return SetCaretPos(prev);
    }
    case VK_RIGHT: {
      if (shift) break;
      int next;
      if (start != end) {
        next = mask.NextEditPos(end - 1);
      } else {
        if (start >= mask.GetDataCount()) return toGrid();
        next = mask.NextEditPos(start);
      }
      return SetCaretPos(next >= 0 ? next : mask.EndOfInput(mask.GetDataCount()));
    }
    case VK_HOME:
      if (shift) return SetSel(0, CaretOffset());
      return SetCaretPos(mask.NextEditPos(-1));
    case VK_END:
      if (shift) return SetSel(CaretOffset(), GetWindowTextLength());
      return SetCaretPos(mask.EndOfInput(mask.GetDataCount()));
    case VK_UP:
      if (LineFromChar(mask.PosToOffset(start)) > 0) break;
      return toGrid();
    case VK_DOWN:
      if (LineFromChar(mask.PosToOffset(end)) < GetLineCount() - 1) break;
      return toGrid();
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
      return toGrid();
    default:
      if (nChar >= VK_F1 && nChar <= VK_F24) return toGrid();
      break;
  }
  CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGXMaskControl::OnLButtonUp(UINT nFlags, CPoint point) {
  CEdit::OnLButtonUp(nFlags, point);
  if (!m_pEditMask || !IsActive()) return;
  int start = 0, end = 0;
  GetSelPos(start, end);
  if (start != end) return;
  const int p = m_pEditMask->EndOfInput(start);
  int q = m_pEditMask->NextEditPos(p - 1);
  if (q < 0) q = m_pEditMask->PrevEditPos(p);
  if (q >= 0 && q != start) SetCaretPos(q);
}

void CGXMaskControl::OnSetFocus(CWnd* pOldWnd) {
  CEdit::OnSetFocus(pOldWnd);
  UpdateEditStyle();
}

void CGXMaskControl::OnShowWindow(BOOL bShow, UINT nStatus) {
  CEdit::OnShowWindow(bShow, nStatus);
  if (bShow) UpdateEditStyle();
}

void CGXMaskControl::ClickAt(BOOL bAllow, CPoint pt) {
  if (!m_hWnd || !m_pEditMask) return;
  const int hit = CharFromPoint(pt);
  if (bAllow && !IsActive()) {
    if (!ScrollCellIntoView()) return;
    SetActive(TRUE);
  }
  if (!IsActive()) return;
  SetCaretPos(hit >= 0 ? SnapPos(m_pEditMask->OffsetToPos(hit)) : 0);
  if (::GetFocus() != m_hWnd) Refresh();
}

BOOL CGXMaskControl::LButtonUp(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  ClickAt((flags & 1 && CharFromPoint(pt) >= 0) || (flags & 6), pt);
  CGXStatic::LButtonUp(nFlags, pt);
  return TRUE;
}

BOOL CGXMaskControl::LButtonDblClk(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  ClickAt((flags & 8) != 0, pt);
  CGXStatic::LButtonDblClk(nFlags, pt);
  return TRUE;
}

// ---- the grid's keys while the cell is current ----------------------------------------------------------------

void CGXMaskControl::CaretToEdge(BOOL bEnd) {
  SetCaretPos(bEnd ? m_pEditMask->EndOfInput(m_pEditMask->GetDataCount()) : m_pEditMask->NextEditPos(-1));
}

BOOL CGXMaskControl::DeleteCellText() {
  const CGXGridParam* param = m_pGrid->GetParam();
  if ((param && param->m_bDirectCopyPaste) || ShiftHeld() || !m_bInit || IsReadOnly() ||
      !m_pGrid->OnDeleteCell(m_nRow, m_nCol) || !ScrollCellIntoView())
    return FALSE;
  SetActive(TRUE);
  SetActiveText("");
  SetModify(TRUE);
  OnModifyCell();
  return TRUE;
}

BOOL CGXMaskControl::OnGridChars(const CString& chars) {
  if (!m_bInit || IsReadOnly() || !m_hWnd || !m_pEditMask || chars.IsEmpty()) return FALSE;
  CGXMaskData& mask = *m_pEditMask;
  // One character at a time: a lead byte keeps its trail byte.
  std::vector<CString> list;
  for (int i = 0; i < chars.GetLength();) {
    const int len = IsDBCSLeadByte((BYTE)chars[i]) && i + 1 < chars.GetLength() ? 2 : 1;
    list.push_back(chars.Mid(i, len));
    i += len;
  }
  for (CString ch : list) {
    if (IsActive()) {
      int start = 0, end = 0;
      GetSelPos(start, end);
      const int pos = mask.NextEditPos(start - 1);
      int next = 0;
      if (!mask.IsValidInput(pos, ch) || !mask.InsertAt(pos, ch, next)) {
        OnInvalidKeyPressed(ch);
        return TRUE;
      }
      Rebuild(next, FALSE);
      continue;
    }
    if (!ScrollCellIntoView()) return FALSE;
    const int pos = mask.NextEditPos(-1);
    if (!mask.IsValidInput(pos, ch)) {
      OnInvalidKeyPressed(ch);
      return TRUE;
    }
    mask.ResetData();
    int next = 0;
    mask.InsertAt(pos, ch, next);
    SetActive(TRUE);
    Rebuild(next, FALSE);
    OnModifyCell();
    SetCaretPos(next);
    Refresh();
  }
  return TRUE;
}

// ---- clipboard and replacing ----------------------------------------------------------------------------------

BOOL CGXMaskControl::Copy() {
  if (!m_bInit || !m_pGrid || !m_pGrid->IsCurrentCell(m_nRow, m_nCol)) return FALSE;
  int start = 0, end = 0;
  if (IsActive() && m_hWnd && m_pEditMask) GetSelPos(start, end);
  if (start == end) return CGXStatic::Copy();
  CString data;
  m_pEditMask->GetData(data, start, end - 1, TRUE);
  // The text first: it empties the clipboard, the typed characters join it.
  const BOOL ok = CGXStatic::Copy();
  if (ok && !data.IsEmpty() && ::OpenClipboard(m_pGrid->m_pGridWnd ? m_pGrid->m_pGridWnd->GetSafeHwnd() : nullptr)) {
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, (SIZE_T)data.GetLength() + 1)) {
      std::memcpy(GlobalLock(mem), data.GetString(), (size_t)data.GetLength() + 1);
      GlobalUnlock(mem);
      if (!::SetClipboardData(GetMaskDataFormat(), mem)) GlobalFree(mem);
    }
    ::CloseClipboard();
  }
  return ok;
}

BOOL CGXMaskControl::CanPaste() {
  if (GridPastesWholeCells() || !m_bInit || !IsActive() || IsReadOnly()) return FALSE;
  return ::IsClipboardFormatAvailable(GetMaskDataFormat()) || ::IsClipboardFormatAvailable(CF_TEXT);
}

BOOL CGXMaskControl::Paste() {
  // Cells copied in a grid come with their text; only a grid that pastes whole cells keeps them to itself.
  if (GridPastesWholeCells() || !m_bInit || !IsActive() || IsReadOnly()) return FALSE;
  const bool open = ::GetOpenClipboardWindow() == nullptr;
  if (open && !::OpenClipboard(m_pGrid && m_pGrid->m_pGridWnd ? m_pGrid->m_pGridWnd->GetSafeHwnd() : nullptr))
    return FALSE;
  BOOL ok = FALSE;
  HANDLE h = ::GetClipboardData(GetMaskDataFormat());
  m_bPastingMaskData = h != nullptr;
  if (!h) h = ::GetClipboardData(CF_TEXT);
  if (!h) h = ::GetClipboardData(CF_OEMTEXT);
  if (h) {
    ReplaceSelectedText(TextOf(h));
    ok = TRUE;
  }
  m_bPastingMaskData = FALSE;
  if (open) ::CloseClipboard();
  return ok;
}

int CGXMaskControl::ReplaceRange(CGXMaskData& mask, int nStart, int nEnd, LPCTSTR pszText) {
  const int pos = mask.NextEditPos(nStart - 1);
  if (pos < 0 || (nStart != nEnd && pos >= nEnd)) return -1;
  CString before;
  mask.GetDisplayString(before);
  auto restore = [&]() {
    mask.SetDisplayString(before, -1, FALSE);
    if (nEnd > pos) mask.DeleteRange(nEnd, pos);
  };
  if (nEnd > pos) mask.DeleteRange(nEnd, pos);
  if (!m_bPastingMaskData) {
    const int end = mask.SetDisplayString(pszText, pos, TRUE);
    if (end >= 0 && mask.IsDataValid()) return end;
    restore();
  }
  const int end = mask.SetData(pszText, pos, TRUE);
  if (end < 0) mask.SetDisplayString(before, -1, FALSE);
  return end;
}

BOOL CGXMaskControl::ReplaceSelectedText(LPCTSTR pszText) {
  if (!m_bInit || IsReadOnly()) return FALSE;
  if (!IsActive() || !m_hWnd || !m_pEditMask) return CGXStatic::ReplaceSelectedText(pszText);
  int start = 0, end = 0;
  GetSelPos(start, end);
  const int caret = ReplaceRange(*m_pEditMask, start, end, pszText ? pszText : "");
  if (caret < 0) return FALSE;
  Rebuild(caret, TRUE);
  return TRUE;
}

BOOL CGXMaskControl::ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) {
  if (!m_pGrid || find.strFind.IsEmpty()) return FALSE;
  const bool here = IsInitAt(nRow, nCol) && IsActive() && m_hWnd && m_pEditMask;
  CGXMaskData fresh;
  CGXMaskData& mask = here ? *m_pEditMask : fresh;
  if (!here) {
    const CGXStyle& style = m_pGrid->LookupStyleRowCol(nRow, nCol);
    SetupMaskData(&fresh, style);
    fresh.SetData(style.GetValue(), -1, FALSE);
  }
  CString display;
  mask.GetDisplayString(display);
  std::string hay = display.str();
  const std::string& needle = (find.bCase ? find.strFind : find.strFindUpper).str();
  if (!find.bCase)
    for (char& c : hay) c = (char)std::toupper((unsigned char)c);
  std::vector<size_t> hits;
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size()))
    hits.push_back(at);
  if (hits.empty()) return FALSE;
  for (auto it = hits.rbegin(); it != hits.rend(); ++it)
    ReplaceRange(mask, mask.OffsetToPos((int)*it), mask.OffsetToPos((int)(*it + needle.size())), find.strReplace);
  CString data;
  mask.GetData(data, 0, -1, TRUE);
  CGXStyle value;
  value.SetValue(data);
  return m_pGrid->SetStyleRange(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), &value, 0, 0, nullptr, GX_UPDATENOW, CmdDo);
}
