#include "grid/controls/GXDateTimeCtrl.h"

#include "grid/controls/GXBDTGadget.h"
#include "grid/controls/GXButton.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Resource.h"
#include "platform/core/SystemInfo.h"
#include "platform/ui/Clipboard.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace {

const double kMinDate = -657434.0, kMaxDate = 2958465.0;

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

int AttrNumber(const CGXStyle& style, UINT id) {
  return style.HasUserAttribute(id) ? std::atoi(style.GetUserAttribute(id)) : 0;
}

CString LoadText(UINT id) {
  std::string s;
  return LoadStringResource(id, s) ? CString(s) : CString();
}

bool Focusable(CGXBDTGadget* g) { return (g->GetStyle() & CGXBDTGadget::styleFocus) != 0; }

// A field's text: numbers in decimal without leading zeros, names as shown; none for the others.
bool FieldText(CGXBDTGadget* g, CString& text) {
  if (auto* n = dynamic_cast<CGXBDTNumericGadget*>(g)) {
    text.Format("%d", n->GetValue());
    return true;
  }
  if (auto* l = dynamic_cast<CGXBDTListGadget*>(g)) {
    text = l->GetText();
    return true;
  }
  return false;
}

}  // namespace

CGXDateTimeCtrl::CGXDateTimeCtrl(CGXGridCore* pGrid, UINT nID) : CGXStatic(pGrid), m_nWndID(nID) {}

CGXDateTimeCtrl::~CGXDateTimeCtrl() {
  m_font.DeleteObject();
  if (m_text.GetSafeHwnd()) m_text.DestroyWindow();
  if (m_paint.GetSafeHwnd()) m_paint.DestroyWindow();
  if (m_hWnd) DestroyWindow();
}

BOOL CGXDateTimeCtrl::CreateControl(DWORD dwStyle, const CRect& rect) {
  CWnd* parent = m_pGrid ? m_pGrid->m_pGridWnd : nullptr;
  if (!parent || !parent->GetSafeHwnd()) return FALSE;
  const DWORD style = dwStyle | 0x40010002;
  const CRect away(30000, 30000, 30500, 30100);
  if (!m_text.GetSafeHwnd() && !m_text.Create(0, style, away, parent, m_nWndID + 1)) return FALSE;
  if (!m_paint.GetSafeHwnd() && !m_paint.Create(0, style, away, parent, m_nWndID + 2)) return FALSE;
  return m_hWnd || Create(0, style, rect, parent, m_nWndID);
}

void CGXDateTimeCtrl::AddUserAttributes(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  CGXStyle noEdit, mode, type;
  noEdit.SetControl(52542).SetChoiceList(LoadText(51040));
  mode.SetControl(52541).SetChoiceList(LoadText(51041));
  type.SetControl(52541).SetChoiceList(LoadText(51042));
  for (CGXStyle* s : {&mode, &type}) s->SetUserAttribute(51028, "1").SetUserAttribute(51029, "0").SetUserAttribute(51030, "0");
  pStylesMap->AddUserAttribute(attrNoEdit, &noEdit);
  pStylesMap->AddUserAttribute(attrMin);
  pStylesMap->AddUserAttribute(attrMax);
  pStylesMap->AddUserAttribute(attrMode, &mode);
  pStylesMap->AddUserAttribute(attrFormatType, &type);
  pStylesMap->AddUserAttribute(attrFormat);
}

BOOL CGXDateTimeCtrl::ParseValue(const CString& text, COleDateTime& dt) {
  return !text.IsEmpty() && dt.ParseDateTime(text.GetString(), 0, LANG_USER_DEFAULT) &&
         dt.GetStatus() == COleDateTime::valid;
}

COleDateTime CGXDateTimeCtrl::FallbackValue(int nFormatType) {
  if (nFormatType == 0 || nFormatType == 3) return COleDateTime(0.0);
  const COleDateTime now = COleDateTime::GetCurrentTime();
  return COleDateTime(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0);
}

// ---- set-up ------------------------------------------------------------------------------------------------

void CGXDateTimeCtrl::SetupFromStyle(CGXBDateTimeCtrl& wnd, const CGXStyle& style) {
  const BOOL hasType = style.HasUserAttribute(attrFormatType);
  int type = hasType ? AttrNumber(style, attrFormatType) : 1;
  const CString custom = style.HasUserAttribute(attrFormat) ? style.GetUserAttribute(attrFormat) : CString();
  if (!hasType && !custom.IsEmpty()) type = 3;
  CString key;
  key.Format("%d|", type);
  if (type == 3) {
    key += custom;
  } else {
    const LCTYPE t = type == 1 ? LOCALE_SSHORTDATE : type == 2 ? LOCALE_SLONGDATE : LOCALE_STIMEFORMAT;
    char buf[256] = "";
    ::GetLocaleInfo(::GetUserDefaultLCID(), t, buf, sizeof buf);
    key += buf;
  }
  // Building the fields is the costly part: a window keeps those of the same format.
  CString& built = m_built[&wnd];
  if (built == key && wnd.GetSafeHwnd()) return;
  built = key;
  if (type == 3) wnd.SetFormat(custom);
  else wnd.SetFormatType(type);
}

void CGXDateTimeCtrl::SetTemplateValue(CGXBDateTimeCtrl& wnd, const CString& text) {
  COleDateTime dt;
  if (!ParseValue(text, dt)) dt = FallbackValue(wnd.GetFormatType());
  wnd.SetDateTime(dt);
}

void CGXDateTimeCtrl::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXStatic::Init(nRow, nCol);
  if (!m_hWnd) CreateControl(0, CRect(0, 0, 1, 1));
  const CGXStyle& style = GetCurrentStyle();
  SetNoEdit((UINT)AttrNumber(style, attrNoEdit));
  SetupFromStyle(*this, style);
  SetActiveText(style.GetIncludeValue() ? style.GetValue() : CString());
  COleDateTime lo, hi;
  if (!style.HasUserAttribute(attrMin) || !ParseValue(style.GetUserAttribute(attrMin), lo)) lo = COleDateTime(kMinDate);
  if (!style.HasUserAttribute(attrMax) || !ParseValue(style.GetUserAttribute(attrMax), hi)) hi = COleDateTime(kMaxDate);
  SetRange(lo, hi, AttrNumber(style, attrMode));
  const CGXGridParam* param = m_pGrid ? m_pGrid->GetParam() : nullptr;
  if (param && (param->m_wActivateFlags & 4) && ScrollCellIntoView()) SetActive(TRUE);
  SetModify(FALSE);
}

// ---- value ---------------------------------------------------------------------------------------------------

void CGXDateTimeCtrl::SetActiveText(const CString& text) {
  if (!m_hWnd) return;
  SetTemplateValue(*this, text);
  OnModifyCell();
}

void CGXDateTimeCtrl::CommitTypedDigits() {
  if (!m_hWnd) return;
  for (int i = 0; i < GetGadgetCount(); ++i)
    if (auto* field = dynamic_cast<CGXBDTNumericGadget*>(GetGadget(i))) field->OnCancelMode();
}

BOOL CGXDateTimeCtrl::GetValue(CString& text) {
  if (!m_bInit) return FALSE;
  // Enter, Tab or F2 store the cell before the window hears the key that would take a lone digit.
  CommitTypedDigits();
  if (GetModify()) text = GetDateTime().Format(0, LANG_USER_DEFAULT);
  else if (!CGXStatic::GetValue(text)) text.Empty();
  return TRUE;
}

void CGXDateTimeCtrl::GetCurrentText(CString& text) {
  if (m_bInit && GetModify()) text = GetDateTime().Format(0, LANG_USER_DEFAULT);
  else CGXStatic::GetCurrentText(text);
}

void CGXDateTimeCtrl::SetCurrentText(const CString& text) {
  if (!m_bInit || !m_hWnd) return;
  if (!IsActive()) SetActive(TRUE);
  COleDateTime dt;
  if (!ValidateText(text) || !ParseValue(text, dt)) return;
  SetDateTime(dt);
  // A text set from outside must reach the cell when it is stored.
  SetModify(TRUE);
  OnModifyCell();
}

BOOL CGXDateTimeCtrl::Store() {
  if (m_bInit) CommitTypedDigits();
  if (!m_bInit || !GetModify() || !m_pGrid) return TRUE;
  CString text;
  GetValue(text);
  SetActive(FALSE);
  SetModify(FALSE);
  return m_pGrid->SetRangeValueText(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), text, 0, GX_INVALIDATE);
}

BOOL CGXDateTimeCtrl::GetDisplayText(CString& text, ROWCOL, ROWCOL, LPCTSTR pszValue, const CGXStyle* pStyle) {
  text.Empty();
  const CString value = pszValue ? CString(pszValue) : pStyle && pStyle->GetIncludeValue() ? pStyle->GetValue() : CString();
  if (value.IsEmpty()) return FALSE;
  if (pStyle) SetupFromStyle(m_text, *pStyle);
  COleDateTime dt;
  if (!ParseValue(value, dt) || !m_text.SetDateTime(dt)) return FALSE;
  for (int i = 0; i < m_text.GetGadgetCount(); ++i) {
    CGXBDTGadget* g = m_text.GetGadget(i);
    CString part;
    if (auto* s = dynamic_cast<CGXBDTStaticGadget*>(g)) text += s->GetText();
    else if (FieldText(g, part)) text += part;
  }
  return TRUE;
}

void CGXDateTimeCtrl::GetSortKey(ROWCOL, ROWCOL, const CGXSortInfo&, const CGXStyle& style, CString& key) {
  key = style.GetIncludeValue() ? style.GetValue() : CString();
  COleDateTime dt;
  if (!ParseValue(key, dt)) return;
  const COleDateTime day(dt.GetYear(), dt.GetMonth(), dt.GetDay(), 0, 0, 0);
  const int64_t seconds = (int64_t)(double)day * 86400 + dt.GetHour() * 3600 + dt.GetMinute() * 60 + dt.GetSecond();
  key.Format("%lld", (long long)seconds);
}

// ---- size and drawing ----------------------------------------------------------------------------------------

void CGXDateTimeCtrl::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect,
                                       const CGXStyle* pStyle) {
  CGXControl::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);
}

CSize CGXDateTimeCtrl::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  size.cx += 5;
  return CGXControl::GrowSizeByBorders(size, style);
}

CSize CGXDateTimeCtrl::CalcSize(CDC* pDC, ROWCOL, ROWCOL, const CGXStyle& style, const CGXStyle*, BOOL) {
  if (!pDC || !style.GetIncludeValue() || style.GetValue().IsEmpty()) return CSize(0, 0);
  SetupFromStyle(m_text, style);
  COleDateTime dt;
  if (!ParseValue(style.GetValue(), dt) || !m_text.SetDateTime(dt)) return CSize(0, 0);
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  CSize size(0, 0);
  for (int i = 0; i < m_text.GetGadgetCount(); ++i) {
    CGXBDTGadget* g = m_text.GetGadget(i);
    g->CalcSize(*pDC);
    size.cx += g->GetRect().Width();
    size.cy = std::max<LONG>(size.cy, g->GetRect().Height());
  }
  if (old) pDC->SelectObject(old);
  return GrowSizeByBorders(size, style);
}

void CGXDateTimeCtrl::LayoutGadgetsInRect(CGXBDateTimeCtrl& wnd, CDC& dc, const CRect& rect) {
  int x = rect.left + 1, right = rect.right;
  for (int i = 0; i < wnd.GetGadgetCount(); ++i) {
    CGXBDTGadget* g = wnd.GetGadget(i);
    g->CalcSize(dc);
    CRect r = g->GetRect();
    const int w = r.Width();
    if (r.bottom == -1) r.SetRect(0, rect.top, w, rect.bottom);
    else r.SetRect(0, rect.top + 1, w, rect.top + 1 + r.Height());
    if (g->IsPinned()) {
      right -= w;
      r.OffsetRect(right, 0);
    } else {
      r.OffsetRect(x, 0);
      x += w;
    }
    g->SetRect(r);
  }
}

namespace {

void DrawFieldText(CDC& dc, const CGXBDTGadget* g, const CString& text) {
  CRect r = g->GetRect();
  const UINT format = DT_SINGLELINE | DT_CENTER | DT_NOPREFIX;
  if (!g->HasFocus()) {
    dc.DrawText(text, &r, format);
    return;
  }
  const COLORREF oldText = dc.SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
  const COLORREF oldBk = dc.SetBkColor(::GetSysColor(COLOR_HIGHLIGHT));
  const int oldMode = dc.SetBkMode(OPAQUE);
  dc.FillSolidRect(&r, ::GetSysColor(COLOR_HIGHLIGHT));
  dc.DrawText(text, &r, format);
  dc.SetBkMode(oldMode);
  dc.SetBkColor(oldBk);
  dc.SetTextColor(oldText);
}

}  // namespace

void CGXDateTimeCtrl::DrawNumericGadget(CDC& dc, CGXBDTNumericGadget* g) { DrawFieldText(dc, g, g->GetText()); }
void CGXDateTimeCtrl::DrawListGadget(CDC& dc, CGXBDTListGadget* g) { DrawFieldText(dc, g, g->GetText()); }
void CGXDateTimeCtrl::DrawStaticGadget(CDC& dc, CGXBDTStaticGadget* g) { DrawFieldText(dc, g, g->GetText()); }

void CGXDateTimeCtrl::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                           const CGXStyle* pStandard) {
  if (!pDC || !m_pGrid) return;
  COLORREF text, back;
  GetTextColors(style, text, back);
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  if (IsInitAt(nRow, nCol) && IsActive() && m_hWnd && !m_pGrid->m_bPrinting) {
    CreateZoomedFont(m_font, style);
    if (m_font.m_hObject) SendMessage(WM_SETFONT, (WPARAM)m_font.m_hObject);
    m_clrText = text;
    m_clrBack = back;
    DrawBackground(pDC, rect, style);
    MoveWindow(inner, FALSE);
    ShowWindow(SW_SHOW);
    Invalidate(FALSE);
    if (::GetFocus() == m_pGrid->m_pGridWnd->GetSafeHwnd()) {
      CGXFocusGuard guard(m_pGrid);
      SetFocus();
    }
    CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
    return;
  }
  DrawBackground(pDC, rect, style);
  if (inner.Width() < 2 || inner.Height() < 2 || !m_paint.GetSafeHwnd()) return;
  SetupFromStyle(m_paint, style);
  SetTemplateValue(m_paint, style.GetIncludeValue() ? style.GetValue() : CString());
  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(&inner);
  GXSelectCellFont(m_pGrid, pDC, style);
  LayoutGadgetsInRect(m_paint, *pDC, inner);
  pDC->SetTextColor(text);
  pDC->SetBkColor(back);
  pDC->SetBkMode(TRANSPARENT);
  for (int i = m_paint.GetGadgetCount() - 1; i >= 0; --i) {
    CGXBDTGadget* g = m_paint.GetGadget(i);
    if (g->GetRect().left >= inner.right || g->GetRect().right <= inner.left) continue;
    if (auto* n = dynamic_cast<CGXBDTNumericGadget*>(g)) DrawNumericGadget(*pDC, n);
    else if (auto* l = dynamic_cast<CGXBDTListGadget*>(g)) DrawListGadget(*pDC, l);
    else if (auto* s = dynamic_cast<CGXBDTStaticGadget*>(g)) DrawStaticGadget(*pDC, s);
    else if (g->GetID() == Spin) DrawSpinGadget(*pDC, g);
    else DrawButtonGadget(*pDC, g);
  }
  pDC->RestoreDC(saved);
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = FALSE;  // the fields stand on it already
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
}

void CGXDateTimeCtrl::Hide() {
  if (!m_hWnd || !IsWindowVisible()) return;
  CGXFocusGuard guard(m_pGrid);
  HideCaret();
  CRect r;
  GetWindowRect(&r);
  if (CWnd* parent = GetParent()) parent->ScreenToClient(&r);
  MoveWindow(CRect(10000, 10000, 10000 + r.Width(), 10000 + r.Height()), FALSE);
  ShowWindow(SW_HIDE);
}

// ---- fields and activation -----------------------------------------------------------------------------------

void CGXDateTimeCtrl::MarkCurrentField() {
  if (m_nCurrent < 0 || m_nCurrent >= GetGadgetCount() || !Focusable(GetGadget(m_nCurrent))) {
    for (int i = 0; i < GetGadgetCount(); ++i)
      if (Focusable(GetGadget(i))) {
        m_nCurrent = i;
        break;
      }
  }
  for (int i = 0; i < GetGadgetCount(); ++i) GetGadget(i)->SetFocus(i == m_nCurrent);
}

void CGXDateTimeCtrl::MarkEdgeField(BOOL bLast) {
  const int n = GetGadgetCount();
  for (int k = 0; k < n; ++k) {
    const int i = bLast ? n - 1 - k : k;
    if (Focusable(GetGadget(i))) {
      m_nCurrent = i;
      break;
    }
  }
  MarkCurrentField();
}

BOOL CGXDateTimeCtrl::ScrollCellIntoView() {
  if (!CGXStatic::ScrollCellIntoView()) return FALSE;
  if (m_hWnd) MarkCurrentField();
  return TRUE;
}

BOOL CGXDateTimeCtrl::ActivateAndRefresh() {
  if (!ScrollCellIntoView()) return FALSE;
  SetActive(TRUE);
  Refresh();
  return TRUE;
}

BOOL CGXDateTimeCtrl::RouteKey(UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags) {
  return m_pGrid && m_pGrid->RouteKeyMessage(this, nMessage, nChar, nRepCnt, nFlags);
}

void CGXDateTimeCtrl::ActivateFromClick(UINT nFlags, CPoint pt) {
  if (!m_bInit || !m_pGrid || !m_hWnd) return;
  const CGXStyle& style = GetCurrentStyle();
  if (!style.GetIncludeValue() || style.GetValue().IsEmpty()) return;
  CRect inner;
  GetCellInnerRect(inner, m_nRow, m_nCol, nullptr, &style);
  MoveWindow(inner, FALSE);
  pt.Offset(-inner.left, -inner.top);
  const int hit = HitTestGadget(pt);
  if (hit >= 0 && Focusable(GetGadget(hit))) m_nCurrent = hit;
  MarkCurrentField();
  if (!ScrollCellIntoView()) return;
  SetActive(TRUE);
  Refresh();
  if (hit >= 0) m_pGrid->UpdateWindow();
  SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(pt.x, pt.y));
  SendMessage(WM_LBUTTONUP, nFlags, MAKELPARAM(pt.x, pt.y));
}

BOOL CGXDateTimeCtrl::LButtonUp(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  if (m_hWnd && GetGadgetCount() && (flags & 7)) ActivateFromClick(nFlags, pt);
  CGXStatic::LButtonUp(nFlags, pt);
  return TRUE;
}

BOOL CGXDateTimeCtrl::LButtonDblClk(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  if (IsActive() || !(flags & 8)) return CGXStatic::LButtonDblClk(nFlags, pt);
  ActivateFromClick(nFlags, pt);
  CGXStatic::LButtonDblClk(nFlags, pt);
  return TRUE;
}

// ---- keys while the cell is current but not active -----------------------------------------------------------

BOOL CGXDateTimeCtrl::OnGridKeyDown(UINT nChar, UINT, UINT) {
  if (!m_hWnd || CtrlHeld() || !m_pGrid || (nChar != VK_END && nChar != VK_HOME)) return FALSE;
  ROWCOL r, c;
  if (!m_pGrid->GetCurrentCell(r, c)) return FALSE;
  m_pGrid->ScrollCellInView(r, c, GX_UPDATENOW);
  if (!m_bInit) Init(r, c);
  if (!ScrollCellIntoView()) return FALSE;
  SetActive(TRUE);
  Refresh();
  MarkEdgeField(nChar == VK_END);
  return TRUE;
}

BOOL CGXDateTimeCtrl::OnGridChar(UINT nChar, UINT, UINT) {
  if (nChar < 32 || nChar == 127) return FALSE;
  return OnGridChars(CString((char)nChar, 1));
}

BOOL CGXDateTimeCtrl::OnGridChars(const CString&) {
  if (IsActive()) return TRUE;
  if (!m_bInit || !m_hWnd || IsReadOnly()) return FALSE;
  return ActivateAndRefresh();
}

BOOL CGXDateTimeCtrl::OnGridSysKeyDown(UINT nChar, UINT, UINT) {
  if (nChar != VK_DOWN || !m_hWnd || !GetGadgetCount() || !m_bInit || !ScrollCellIntoView()) return FALSE;
  SetActive(TRUE);
  if (!m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW)) Refresh();
  // The cell drawn just now gave its own window the focus; taking it back would leave its field unmarked.
  if (::GetFocus() != m_hWnd) m_pGrid->m_pGridWnd->SetFocus();
  if (GetStyle() & styleDropDown) DropDownCalendar();
  return TRUE;
}

// ---- the window's messages -----------------------------------------------------------------------------------

BOOL CGXDateTimeCtrl::OnChanging(const COleDateTime&) {
  if (IsReadOnly()) return FALSE;
  SetModify(TRUE);
  return TRUE;
}

void CGXDateTimeCtrl::OnChanged() {
  // The shown window repaints its fields itself: hiding it would end a held spin's capture.
  if (IsWindowVisible()) Invalidate(FALSE);
  else Refresh();
  if (GetModify()) OnModifyCell();
}

void CGXDateTimeCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_pGrid && m_bInit) m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  if (CtrlHeld()) {
    RouteKey(WM_KEYDOWN, nChar, nRepCnt, nFlags);
    return;
  }
  switch (nChar) {
    case VK_TAB:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT: RouteKey(WM_KEYDOWN, nChar, nRepCnt, nFlags); return;
    case VK_RETURN:
      if (GetModify()) {
        Store();
      } else {
        SetActive(FALSE);
        Refresh();
      }
      break;
    case VK_DELETE:
      SetActive(FALSE);
      SetModify(FALSE);
      // A refused store draws nothing: the cell, inactive now, is drawn without its window.
      if (!m_pGrid || !m_bInit || !m_pGrid->StoreTextRowCol(m_nRow, m_nCol, "", GX_UPDATENOW, nullptr)) Refresh();
      return;
    default:
      if (nChar >= VK_F1 && nChar <= VK_F24) {
        RouteKey(WM_KEYDOWN, nChar, nRepCnt, nFlags);
        return;
      }
      break;
  }
  CGXBDateTimeCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGXDateTimeCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_bInit || !IsActive() || IsReadOnly() || nChar == 8) return;
  if (nChar == 3 || nChar == 24) {
    if (::OpenClipboard(m_hWnd)) {
      ::EmptyClipboard();
      ::CloseClipboard();
    }
    nChar == 3 ? Copy() : Cut();
    return;
  }
  if (nChar == 22) {
    Paste();
    return;
  }
  // The characters of Enter, Escape and Tab, whose keys have acted already, change nothing.
  if (nChar < 32 || nChar == 127) return;
  SetModify(TRUE);
  CGXBDateTimeCtrl::OnChar(nChar, nRepCnt, nFlags);
  OnModifyCell();
  RouteKey(WM_CHAR, nChar, nRepCnt, nFlags);
}

void CGXDateTimeCtrl::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (RouteKey(WM_KEYUP, nChar, nRepCnt, nFlags)) return;
  CGXBDateTimeCtrl::OnKeyUp(nChar, nRepCnt, nFlags);
  if (GetModify()) OnModifyCell();
}

void CGXDateTimeCtrl::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_DOWN && (GetStyle() & styleDropDown)) {
    DropDownCalendar();
    return;
  }
  if (!RouteKey(WM_SYSKEYDOWN, nChar, nRepCnt, nFlags)) CGXBDateTimeCtrl::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGXDateTimeCtrl::OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_SYSCHAR, nChar, nRepCnt, nFlags)) CGXBDateTimeCtrl::OnSysChar(nChar, nRepCnt, nFlags);
}

void CGXDateTimeCtrl::OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_SYSKEYUP, nChar, nRepCnt, nFlags)) CGXBDateTimeCtrl::OnSysKeyUp(nChar, nRepCnt, nFlags);
}

void CGXDateTimeCtrl::OnSetFocus(CWnd* pOldWnd) {
  m_nScrollOffset = 0;
  CGXBDateTimeCtrl::OnSetFocus(pOldWnd);
}

void CGXDateTimeCtrl::OnKillFocus(CWnd* pNewWnd) {
  CGXBDateTimeCtrl::OnKillFocus(pNewWnd);
  ForwardKillFocusToGrid(pNewWnd);
}

void CGXDateTimeCtrl::OnLButtonUp(UINT nFlags, CPoint point) {
  CGXBDateTimeCtrl::OnLButtonUp(nFlags, point);
  if (GetModify()) OnModifyCell();
}

// ---- clipboard, find and replace ----------------------------------------------------------------------------

BOOL CGXDateTimeCtrl::Copy() {
  if (!m_bInit || !m_pGrid || !m_pGrid->IsCurrentCell(m_nRow, m_nCol)) return FALSE;
  return CGXStatic::Copy();
}

BOOL CGXDateTimeCtrl::CanPaste() {
  const CGXGridParam* param = m_pGrid ? m_pGrid->GetParam() : nullptr;
  if ((param && param->m_bDirectCopyPaste) || !m_bInit || !IsActive() || IsReadOnly()) return FALSE;
  return ::IsClipboardFormatAvailable(CF_TEXT);
}

BOOL CGXDateTimeCtrl::Paste() {
  const CGXGridParam* param = m_pGrid ? m_pGrid->GetParam() : nullptr;
  if ((param && param->m_bDirectCopyPaste) || !m_bInit || !IsActive() || IsReadOnly()) return FALSE;
  if (!::OpenClipboard(m_hWnd)) return FALSE;
  HANDLE h = ::GetClipboardData(CF_TEXT);
  if (!h) h = ::GetClipboardData(CF_OEMTEXT);
  CString text;
  if (h) {
    if (const char* p = static_cast<const char*>(::GlobalLock(h))) text = CString(p, (int)strnlen(p, ::GlobalSize(h)));
    ::GlobalUnlock(h);
  }
  ::CloseClipboard();
  if (!h) return FALSE;
  ReplaceSelectedText(text);
  return TRUE;
}

BOOL CGXDateTimeCtrl::GetSelectedText(CString& text) {
  text.Empty();
  if (!IsActive() || !m_hWnd || m_nCurrent < 0 || m_nCurrent >= GetGadgetCount()) return FALSE;
  CGXBDTGadget* g = GetGadget(m_nCurrent);
  return g->HasFocus() && FieldText(g, text) && !text.IsEmpty();
}

BOOL CGXDateTimeCtrl::ReplaceSelectedText(LPCTSTR pszText) {
  if (!IsActive()) return CGXStatic::ReplaceSelectedText(pszText);
  if (IsReadOnly() || !m_hWnd || m_nCurrent < 0 || m_nCurrent >= GetGadgetCount()) return FALSE;
  CGXBDTGadget* g = GetGadget(m_nCurrent);
  const CString text = pszText ? pszText : "";
  BOOL ok = FALSE;
  if (auto* n = dynamic_cast<CGXBDTNumericGadget*>(g); n && g->HasFocus()) {
    n->SetTyped(std::atoi(text));
    ok = n->CommitTyping();
  } else if (auto* l = dynamic_cast<CGXBDTListGadget*>(g)) {
    ok = l->FindMatch(text, l->GetValue() + 1) >= 0;
  }
  if (ok) SetModify(TRUE);
  Refresh();
  OnModifyCell();
  return ok;
}

BOOL CGXDateTimeCtrl::FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent,
                                BOOL bSetSel) {
  if (!m_pGrid || !m_hWnd) return FALSE;
  const bool here = IsInitAt(nRow, nCol) && IsActive();
  if (!here && !bCurrent && m_pGrid->IsCurrentCell(nRow, nCol)) return FALSE;  // as the edit cell
  CGXBDateTimeCtrl* wnd = this;
  if (!here) {
    const CGXStyle& style = find.pStyle ? *find.pStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
    COleDateTime dt;
    if (!style.GetIncludeValue() || !ParseValue(style.GetValue(), dt)) return FALSE;
    SetupFromStyle(m_text, style);
    m_text.SetDateTime(dt);
    wnd = &m_text;
  }
  const CString& needle = find.bCase ? find.strFind : find.strFindUpper;
  if (needle.IsEmpty()) return FALSE;
  const bool digits = std::all_of(needle.GetString(), needle.GetString() + needle.GetLength(),
                                  [](char ch) { return std::isdigit((unsigned char)ch) != 0; });
  const int first = here ? m_nCurrent + 1 : 0;
  for (int i = first; i < wnd->GetGadgetCount(); ++i) {
    CGXBDTGadget* g = wnd->GetGadget(i);
    bool hit = false;
    if (dynamic_cast<CGXBDTNumericGadget*>(g)) {
      hit = digits && std::atoi(needle) == g->GetValue();
    } else if (auto* l = dynamic_cast<CGXBDTListGadget*>(g)) {
      CString name = l->GetText();
      if (!find.bCase) name.MakeUpper();
      hit = name.Left(needle.GetLength()) == needle;
    }
    if (!hit) continue;
    if (bSetSel) {
      m_pGrid->ScrollCellInView(nRow, nCol);
      if (!here && (!m_pGrid->SetCurrentCell(nRow, nCol) || m_pGrid->GetCurrentCellControl() != this ||
                    !IsInitAt(nRow, nCol)))
        return TRUE;
      SetActive(TRUE);
      Refresh();
      m_nCurrent = i;
      MarkCurrentField();
    }
    return TRUE;
  }
  return FALSE;
}

BOOL CGXDateTimeCtrl::ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) {
  BOOL any = FALSE;
  if (!IsInitAt(nRow, nCol) || !IsActive()) {
    if (!FindText(find, nRow, nCol, TRUE, TRUE)) return FALSE;
  }
  m_nCurrent = std::max(m_nCurrent, 0) - 1;
  // The search runs on from the field after the current one: start before the first.
  for (int guard = 0; guard < 64 && IsActive() && FindText(find, nRow, nCol, TRUE, TRUE); ++guard)
    any = ReplaceSelectedText(find.strReplace) || any;
  return any;
}

// ---- pasted text ---------------------------------------------------------------------------------------------

BOOL CGXDateTimeCtrl::SplitPastedText(const CString& text, CStringArray& pieces) {
  const char* p = text.GetString();
  const int n = text.GetLength();
  CString piece;
  auto flush = [&]() {
    if (!piece.IsEmpty()) pieces.Add(piece);
    piece.Empty();
  };
  for (int i = 0; i < n; ++i) {
    const char ch = p[i];
    if (::IsDBCSLeadByte((BYTE)ch) && i + 1 < n) {
      piece += CString(p + i, 2);
      ++i;
    } else if (ch == '\r' || ch == '\n' || ch == ' ' || m_strFieldSeparators.Find(ch) >= 0) {
      flush();
    } else {
      piece += ch;
    }
  }
  flush();
  return pieces.GetSize() > 0;
}

BOOL CGXDateTimeCtrl::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  const CGXStyle& style = pOldStyle ? *pOldStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  if (m_pGrid->IsReadOnly() || style.GetReadOnly()) return FALSE;
  const CString text = pszText ? pszText : "";
  COleDateTime dt;
  // Emptying the cell stays possible (Delete stores an empty text).
  if (text.IsEmpty() || (ParseValue(text, dt) && (double)dt != 0.0))
    return m_pGrid->SetRangeValueText(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), text, 0, flags);
  CStringArray pieces;
  if (!SplitPastedText(text, pieces) || !m_text.GetSafeHwnd()) return FALSE;
  SetupFromStyle(m_text, style);
  SetTemplateValue(m_text, style.GetIncludeValue() ? style.GetValue() : CString());
  INT_PTR next = 0;
  for (int i = 0; i < m_text.GetGadgetCount() && next < pieces.GetSize(); ++i) {
    CGXBDTGadget* g = m_text.GetGadget(i);
    if (dynamic_cast<CGXBDTNumericGadget*>(g))
      m_text.OnGadgetAction(SetField, g->GetID(), std::atoi(pieces[next++]));
    else if (auto* l = dynamic_cast<CGXBDTListGadget*>(g))
      l->FindMatch(pieces[next++], l->GetValue() + 1);
  }
  return m_pGrid->SetRangeValueText(CGXRange().SetCellRange(nRow, nCol, nRow, nCol),
                                    m_text.GetDateTime().Format(0, LANG_USER_DEFAULT), 0, flags);
}

BOOL CGXDateTimeCtrl::StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType,
                                     const CGXStyle* pOldStyle) {
  const BOOL ok = CGXStatic::StoreCellStyle(nRow, nCol, pStyle, mode, nType, pOldStyle);
  if (!ok || !pStyle || !m_pGrid || !m_pGrid->IsCurrentCell(nRow, nCol) || (mode != 0 && mode != 1)) return ok;
  if (pStyle->GetIncludeValue() || pStyle->GetIncludeControl()) {
    Deactivate();
  } else if (IsInitAt(nRow, nCol) && m_hWnd &&
             (pStyle->HasUserAttribute(attrNoEdit) || pStyle->HasUserAttribute(attrFormatType) ||
              pStyle->HasUserAttribute(attrFormat))) {
    const CGXStyle& style = GetCurrentStyle();
    SetNoEdit((UINT)AttrNumber(style, attrNoEdit));
    m_built.erase(this);
    SetupFromStyle(*this, style);
    MarkCurrentField();
  }
  return ok;
}

void CGXDateTimeCtrl::DropDownCalendar() {
  const BOOL ignoring = m_pGrid ? m_pGrid->m_bIgnoreFocus : FALSE;
  if (m_pGrid) m_pGrid->m_bIgnoreFocus = TRUE;
  CGXBDateTimeCtrl::DropDownCalendar();
  if (m_pGrid) m_pGrid->m_bIgnoreFocus = ignoring;
}
