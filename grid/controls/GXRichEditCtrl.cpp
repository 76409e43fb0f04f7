#include "grid/controls/GXRichEditCtrl.h"

#include "grid/controls/GXStatic.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXScreenFontTable.h"
#include "platform/core/SystemInfo.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

BOOL CGXRichEditCtrl::s_bNoResize = FALSE;

namespace {

enum { kMeasure = 0, kRender = 1, kText = 2, kFormat = 3 };

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }
bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

struct ReadCookie {
  const char* text;
  size_t pos, size;
};

DWORD ReadCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
  auto* c = reinterpret_cast<ReadCookie*>(cookie);
  const size_t n = std::min<size_t>((size_t)std::max<LONG>(cb, 0), c->size - c->pos);
  std::memcpy(buf, c->text + c->pos, n);
  c->pos += n;
  *pcb = (LONG)n;
  return 0;
}

DWORD WriteCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
  if (cb <= 0) return 1;
  *reinterpret_cast<CString*>(cookie) += CString((const char*)buf, (int)cb);
  *pcb = cb;
  return 0;
}

int ScreenDpi(int index) {
  static int x = 0, y = 0;
  if (!x) {
    CDC screen;
    screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    x = screen.GetDeviceCaps(LOGPIXELSX);
    y = screen.GetDeviceCaps(LOGPIXELSY);
  }
  return index == LOGPIXELSX ? x : y;
}

// A font's height in twips. The height of a whole point size is that size exactly (10 pt is 200
// twips though it is 13 pixels at 96 dpi); any other height converts from its pixels.
LONG FontTwips(const CGXFont& f) {
  const LONG points = f.GetSize();
  if (CGXFont().SetSize(points).GetHeight() == f.GetHeight()) return points * 20;
  return MulDiv(std::abs((int)f.GetHeight()), 1440, CGXScreenFontTable::Get().GetVerticalResolution());
}

// The colour a cell fills with: a pattern's background, else the brush colour.
COLORREF InteriorColor(const CGXStyle& style) {
  const CGXBrushValue& b = style.GetInterior();
  return b.GetStyle() == BS_PATTERN ? b.GetBkColor() : b.GetColor();
}

}  // namespace

CGXRichEditCtrl::CGXRichEditCtrl(CGXGridCore* pGrid) : CGXControl(pGrid) {}

CGXRichEditCtrl::~CGXRichEditCtrl() {
  for (CRichEditCtrl& w : m_hidden)
    if (w.GetSafeHwnd()) w.DestroyWindow();
  if (m_hWnd) DestroyWindow();
}

UINT CGXRichEditCtrl::GetRtfClipboardFormat() {
  static const UINT format = ::RegisterClipboardFormat(CF_RTF);
  return format;
}

BOOL CGXRichEditCtrl::CreateControl(DWORD dwStyle, UINT nID) {
  CWnd* parent = m_pGrid ? m_pGrid->m_pGridWnd : nullptr;
  if (!parent || !parent->GetSafeHwnd()) return FALSE;
  const DWORD style = (dwStyle & ~(WS_VISIBLE | WS_BORDER)) | WS_CHILD;
  if (!m_hWnd && !Create(style, CRect(0, 0, 10, 10), parent, nID)) return FALSE;
  const CRect away(30000, 30000, 30100, 30100);
  for (int i = 0; i < 4; ++i) {
    if (m_hidden[i].GetSafeHwnd()) continue;
    const DWORD s = i == kMeasure ? style : style | ES_MULTILINE | WS_BORDER;
    if (!m_hidden[i].Create(s, away, this, i == kMeasure ? 0 : nID)) return FALSE;
  }
  return TRUE;
}

void CGXRichEditCtrl::SetRTF(CRichEditCtrl& wnd, const CString& text) {
  ReadCookie cookie{text.GetString(), 0, (size_t)text.GetLength()};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&cookie), 0, &ReadCallback};
  wnd.StreamIn(SF_RTF, es);
}

CString CGXRichEditCtrl::GetRTF(CRichEditCtrl& wnd) {
  CString out;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, &WriteCallback};
  wnd.StreamOut(SF_RTF, es);
  return out;
}

CString CGXRichEditCtrl::TextToRtf(const CString& text) {
  std::string out = "{";
  for (const char ch : text.str()) {
    const unsigned char b = (unsigned char)ch;
    if (ch == '\\' || ch == '{' || ch == '}') {
      out += '\\';
      out += ch;
    } else if (b >= 0x80) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\'%02x", b);
      out += hex;
    } else {
      out += ch;
    }
  }
  out += '}';
  return CString(std::move(out));
}

void CGXRichEditCtrl::Cache(int nWnd, const CString& text) {
  if (m_bCached[nWnd] && m_cache[nWnd] == text) return;
  SetRTF(m_hidden[nWnd], text);
  m_cache[nWnd] = text;
  m_bCached[nWnd] = TRUE;
}

// ---- formats -----------------------------------------------------------------------------------------------

void CGXRichEditCtrl::StyleToFormat(PARAFORMAT2& pf, CHARFORMAT& cf, const CGXStyle& style) {
  std::memset(&pf, 0, sizeof pf);
  std::memset(&cf, 0, sizeof cf);
  pf.cbSize = sizeof pf;
  cf.cbSize = sizeof cf;
  if (style.GetIncludeHorizontalAlignment()) {
    pf.dwMask |= PFM_ALIGNMENT;
    const DWORD a = style.GetHorizontalAlignment();
    pf.wAlignment = a == DT_RIGHT ? PFA_RIGHT : a == DT_CENTER ? PFA_CENTER : PFA_LEFT;
  }
  if (style.GetIncludeFont()) {
    const CGXFont& f = style.GetFont();
    if (f.GetIncludeWeight()) {
      cf.dwMask |= CFM_BOLD;
      if (f.GetWeight() >= 700) cf.dwEffects |= CFE_BOLD;
    }
    if (f.GetIncludeItalic()) {
      cf.dwMask |= CFM_ITALIC;
      if (f.GetItalic()) cf.dwEffects |= CFE_ITALIC;
    }
    if (f.GetIncludeStrikeOut()) {
      cf.dwMask |= CFM_STRIKEOUT;
      if (f.GetStrikeOut()) cf.dwEffects |= CFE_STRIKEOUT;
    }
    if (f.GetIncludeUnderline()) {
      cf.dwMask |= CFM_UNDERLINE;
      if (f.GetUnderline()) cf.dwEffects |= CFE_UNDERLINE;
    }
    if (f.GetIncludeFaceName()) {
      cf.dwMask |= CFM_FACE;
      std::memcpy(cf.szFaceName, f.GetFaceName(), strnlen(f.GetFaceName(), sizeof cf.szFaceName - 1));
    }
    if (f.GetIncludeSize()) {
      cf.dwMask |= CFM_SIZE;
      cf.yHeight = FontTwips(f);
    }
    cf.bCharSet = f.GetLogFont().lfCharSet;
    cf.bPitchAndFamily = f.GetLogFont().lfPitchAndFamily;
  }
  if (style.GetIncludeTextColor()) {
    cf.dwMask |= CFM_COLOR;
    cf.crTextColor = GXResolveColor(style.GetTextColorValue());
  }
}

void CGXRichEditCtrl::FormatToStyle(CGXStyle& style, const CHARFORMAT& cf, const PARAFORMAT2& pf) {
  if (pf.dwMask & PFM_ALIGNMENT)
    style.SetHorizontalAlignment(pf.wAlignment == PFA_RIGHT ? DT_RIGHT : pf.wAlignment == PFA_CENTER ? DT_CENTER : DT_LEFT);
  CGXFont font;
  if (cf.dwMask & CFM_BOLD) font.SetWeight((cf.dwEffects & CFE_BOLD) ? 700 : 400);
  if (cf.dwMask & CFM_ITALIC) font.SetItalic((cf.dwEffects & CFE_ITALIC) != 0);
  if (cf.dwMask & CFM_STRIKEOUT) font.SetStrikeOut((cf.dwEffects & CFE_STRIKEOUT) != 0);
  if (cf.dwMask & CFM_UNDERLINE) font.SetUnderline((cf.dwEffects & CFE_UNDERLINE) != 0);
  if (cf.dwMask & CFM_FACE) font.SetFaceName(cf.szFaceName);
  if (cf.dwMask & CFM_SIZE) {
    if (cf.yHeight % 20 == 0) font.SetSize(cf.yHeight / 20);
    else font.SetHeight(-MulDiv(cf.yHeight, CGXScreenFontTable::Get().GetVerticalResolution(), 1440));
  }
  if (font.GetIncludeBits()) style.SetFont(font);
  if ((cf.dwMask & CFM_COLOR) && !(cf.dwEffects & CFE_AUTOCOLOR)) style.SetTextColor(cf.crTextColor);
}

// ---- binding and value -------------------------------------------------------------------------------------

void CGXRichEditCtrl::SetActive(BOOL bActive) {
  if (bActive && m_hWnd && !m_bActive) {
    FreeStyle();
    GetCurrentStyle();
  }
  m_bActive = bActive && m_hWnd;
}

void CGXRichEditCtrl::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXControl::Init(nRow, nCol);
  if (!m_hWnd) CreateControl(ES_MULTILINE, 0);
  const CGXStyle& style = GetCurrentStyle();
  const CGXGridParam* param = m_pGrid ? m_pGrid->GetParam() : nullptr;
  SetActive(param && (param->m_wActivateFlags & 4) && ScrollCellIntoView());
  if (!m_hWnd) return;
  PARAFORMAT2 pf;
  CHARFORMAT cf;
  StyleToFormat(pf, cf, style);
  SetParaFormat(pf);
  SetDefaultCharFormat(cf);
  SetRTF(*this, style.GetIncludeValue() ? style.GetValue() : CString());
  SetSel(0, -1);
  SetModify(FALSE);
}

BOOL CGXRichEditCtrl::GetValue(CString& text) {
  if (!m_bInit) return FALSE;
  if (IsActive()) text = GetRTF(*this);
  else text = GetCurrentStyle().GetIncludeValue() ? GetCurrentStyle().GetValue() : CString();
  return TRUE;
}

void CGXRichEditCtrl::GetCurrentText(CString& text) {
  text.Empty();
  if (!m_bInit) return;
  if (IsActive()) CRichEditCtrl::GetWindowText(text);
  else GetDisplayText(text, m_nRow, m_nCol, nullptr, &GetCurrentStyle());
}

void CGXRichEditCtrl::SetActiveText(const CString& text) {
  if (m_hWnd) SetRTF(*this, text);
}

void CGXRichEditCtrl::SetCurrentText(const CString& text) {
  if (!m_bInit || !m_hWnd) return;
  if (!IsActive()) SetActive(TRUE);
  if (!ValidateText(text)) return;
  SetRTF(*this, "{" + text + "}");
  SetModify(TRUE);
  OnModifyCell();
}

BOOL CGXRichEditCtrl::Store() {
  CString text;
  if (!m_bInit || !m_pGrid || !GetModify() || !GetValue(text)) return TRUE;
  SetActive(FALSE);
  const BOOL ok = m_pGrid->SetRangeValueText(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), text, 0, GX_INVALIDATE);
  SetModify(FALSE);
  return ok;
}

BOOL CGXRichEditCtrl::GetDisplayText(CString& text, ROWCOL, ROWCOL, LPCTSTR pszValue, const CGXStyle* pStyle) {
  text.Empty();
  const CString value = pszValue ? CString(pszValue) : pStyle && pStyle->GetIncludeValue() ? pStyle->GetValue() : CString();
  if (!m_hidden[kText].GetSafeHwnd()) return FALSE;
  Cache(kText, value);
  m_hidden[kText].GetWindowText(text);
  return !text.IsEmpty();
}

BOOL CGXRichEditCtrl::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid) return FALSE;
  const CGXStyle& style = pOldStyle ? *pOldStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  if (m_pGrid->IsReadOnly() || style.GetReadOnly()) return FALSE;
  CString text = pszText ? pszText : "";
  if (style.GetIncludeMaxLength() && style.GetMaxLength() && text.GetLength() > style.GetMaxLength())
    text = text.Left(style.GetMaxLength());
  return m_pGrid->SetRangeValueText(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), TextToRtf(text), 0, flags);
}

BOOL CGXRichEditCtrl::StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType,
                                     const CGXStyle* pOldStyle) {
  if (!pStyle || !m_pGrid || mode == 2 || mode == 4 ||
      !(pStyle->GetIncludeFont() || pStyle->GetIncludeTextColor() || pStyle->GetIncludeHorizontalAlignment()))
    return CGXControl::StoreCellStyle(nRow, nCol, pStyle, mode, nType, pOldStyle);
  // The format parts go into the text; the rest of the style is stored as for any cell.
  CGXStyle rest(*pStyle);
  rest.SetIncludeBit(CGXStyle::inclHorzAlign, FALSE).SetIncludeBit(CGXStyle::inclTextColor, FALSE);
  rest.SetIncludeFont(FALSE);
  PARAFORMAT2 pf;
  CHARFORMAT cf;
  StyleToFormat(pf, cf, *pStyle);
  const bool active = IsInitAt(nRow, nCol) && IsActive() && m_pGrid->IsCurrentCell(nRow, nCol);
  if (!active || pStyle->GetIncludeValue()) {
    const CString value = pStyle->GetIncludeValue() ? pStyle->GetValue() : m_pGrid->LookupStyleRowCol(nRow, nCol).GetValue();
    CRichEditCtrl& w = m_hidden[kText];
    if (w.GetSafeHwnd()) {
      Cache(kText, value);
      w.SetSel(0, -1);
      w.SetParaFormat(pf);
      if (cf.dwMask) w.SetSelectionCharFormat(cf);
      rest.SetValue(GetRTF(w));
      m_bCached[kText] = FALSE;
    }
  } else {
    SetParaFormat(pf);
    if (cf.dwMask) SetSelectionCharFormat(cf);
    SetModify(TRUE);
    OnModifyCell();
  }
  return CGXControl::StoreCellStyle(nRow, nCol, &rest, mode, nType, pOldStyle);
}

// ---- size ----------------------------------------------------------------------------------------------------

void CGXRichEditCtrl::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect,
                                       const CGXStyle* pStyle) {
  CGXControl::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);
  const int m = GetSystemMetrics(SM_CXFRAME) / 2;
  rect.left += m < 3 ? 2 : m;
  rect.right -= m < 3 ? 1 : m / 2;
  // A column narrower than the margins leaves the window no room, not a rectangle turned inside out.
  if (rect.right < rect.left) rect.right = rect.left;
}

CSize CGXRichEditCtrl::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  const int m = std::max(2, GetSystemMetrics(SM_CXFRAME) / 2);
  size.cx += m + m / 2;
  return CGXControl::GrowSizeByBorders(size, style);
}

CSize CGXRichEditCtrl::CalcSize(CDC*, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle*, BOOL) {
  if (!m_pGrid || !m_hidden[kMeasure].GetSafeHwnd()) return GrowSizeByBorders(CSize(0, 0), style);
  s_bNoResize = FALSE;
  CRect inner;
  const CRect extent = CalcCellExtent(nRow, nCol);
  GetCellInnerRect(inner, nRow, nCol, &extent, &style);
  CRichEditCtrl& w = m_hidden[kMeasure];
  w.MoveWindow(CRect(30000, 30000, 30000 + std::max<LONG>(inner.Width(), 1), 30000 + std::max<LONG>(inner.Height(), 1)));
  w.SetTargetDevice(nullptr, inner.Width() > 0 ? Twips(inner.Width(), ScreenDpi(LOGPIXELSX)) : 0);
  w.SetEventMask(w.GetEventMask() | ENM_REQUESTRESIZE);
  Cache(kMeasure, style.GetIncludeValue() ? style.GetValue() : CString());
  m_bMeasuring = TRUE;
  m_rectRequested.SetRectEmpty();
  w.ShowWindow(SW_SHOWNA);
  w.RequestResize();
  w.ShowWindow(SW_HIDE);
  m_bMeasuring = FALSE;
  return GrowSizeByBorders(CSize(inner.Width(), m_rectRequested.Height() + 1), style);
}

BOOL CGXRichEditCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr && hdr->code == EN_REQUESTRESIZE && hdr->hwndFrom != m_hWnd) {
    if (!s_bNoResize && m_bMeasuring) m_rectRequested = reinterpret_cast<REQRESIZE*>(lParam)->rc;
    return TRUE;
  }
  return CRichEditCtrl::OnNotify(wParam, lParam, pResult);
}

BOOL CGXRichEditCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_NOTIFY && lParam && reinterpret_cast<NMHDR*>(lParam)->code == EN_REQUESTRESIZE) {
    OnRequestResize(reinterpret_cast<REQRESIZE*>(lParam)->rc);
    return TRUE;
  }
  if (message == WM_COMMAND && OnCommand(wParam, lParam)) return TRUE;
  return CRichEditCtrl::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CGXRichEditCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != EN_CHANGE || (HWND)lParam != m_hWnd || !IsActive()) return FALSE;
  OnModifyCell();
  return TRUE;
}

void CGXRichEditCtrl::OnRequestResize(const RECT& rc) {
  if (s_bNoResize || !m_bAutoSize || !m_bInit || !IsActive() || !m_pGrid || !m_pGrid->IsCurrentCell(m_nRow, m_nCol))
    return;
  s_bNoResize = TRUE;
  // The window fills the inner rectangle: the row needs what the borders and the current cell's
  // frame line take from it besides the text.
  const int now = m_pGrid->GetRowHeight(m_nRow);
  CRect cell = m_pGrid->CalcRectFromRowCol(m_nRow, m_nCol), inner;
  cell.bottom = cell.top + now;
  GetCellInnerRect(inner, m_nRow, m_nCol, &cell, &GetCurrentStyle());
  const int need = (int)(rc.bottom - rc.top) + now - inner.Height();
  if (need <= now) {
    const int lower = std::max(need, m_nMinRowHeight);
    if (m_bShrinkAllowed && lower < now) m_pGrid->SetRowHeight(m_nRow, m_nRow, lower);
  } else {
    CRect grid;
    m_pGrid->GetGridRect(&grid);
    const int room = std::max<int>(1, grid.bottom - cell.top);
    m_pGrid->SetRowHeight(m_nRow, m_nRow, std::min(need, room), nullptr, GX_UPDATENOW);
    m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  }
  s_bNoResize = FALSE;
}

// ---- drawing -------------------------------------------------------------------------------------------------

void CGXRichEditCtrl::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle*) {
  if (!pDC || !m_pGrid) return;
  const CGXProperties* props = m_pGrid->GetParam() ? m_pGrid->GetParam()->GetProperties() : nullptr;
  const BOOL blackWhite = props && props->GetBlackWhite();
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  DrawBackground(pDC, rect, style);
  if (IsInitAt(nRow, nCol) && IsActive() && m_hWnd && !m_pGrid->m_bPrinting) {
    s_bNoResize = TRUE;
    MoveWindow(inner, FALSE);
    SetBackgroundColor(FALSE, blackWhite ? RGB(255, 255, 255) : InteriorColor(style));
    SetTargetDevice(nullptr, inner.Width() > 0 ? Twips(inner.Width(), ScreenDpi(LOGPIXELSX)) : 0);
    m_bAutoSize = style.GetIncludeAutoSize() && style.GetAutoSize();
    SetEventMask(m_dwEventMask);
    const BOOL enter = style.GetIncludeAllowEnter() && style.GetAllowEnter();
    SetOptions(ECOOP_SET, m_dwOptions | (enter ? ECO_WANTRETURN : 0));
    SetReadOnly(IsReadOnly());
    m_bActive = TRUE;
    if (::GetFocus() == m_pGrid->m_pGridWnd->GetSafeHwnd()) {
      CGXFocusGuard guard(m_pGrid);
      SetFocus();
    }
    SendMessage(EM_SCROLL, SB_PAGEUP);
    SendMessage(EM_SCROLLCARET);
    LimitText(style.GetIncludeMaxLength() ? style.GetMaxLength() : 0);
    ShowWindow(SW_SHOW);
    m_pGrid->m_ControlRectList.AddTail(new RECT(inner));
    return;
  }
  if (inner.Width() <= 1 || inner.Height() <= 1 || !m_hidden[kRender].GetSafeHwnd()) return;
  const CString value = style.GetIncludeValue() ? style.GetValue() : CString();
  if (value.IsEmpty()) return;
  pDC->SetTextColor(blackWhite ? RGB(0, 0, 0) : GXResolveColor(style.GetIncludeTextColor() ? style.GetTextColorValue() : 0));
  pDC->SetBkColor(blackWhite ? RGB(255, 255, 255) : InteriorColor(style));
  Cache(kRender, value);
  // A printed page maps screen pixels onto the printer's: its extents tell the inch.
  const int dpiX = m_pGrid->m_bPrinting ? GetUnitsPerInch(pDC->GetSafeHdc(), LOGPIXELSX) : ScreenDpi(LOGPIXELSX);
  const int dpiY = m_pGrid->m_bPrinting ? GetUnitsPerInch(pDC->GetSafeHdc(), LOGPIXELSY) : ScreenDpi(LOGPIXELSY);
  FORMATRANGE fr{};
  fr.hdc = fr.hdcTarget = pDC->GetSafeHdc();
  fr.rc = RECT{Twips(inner.left, dpiX), Twips(inner.top, dpiY), Twips(inner.right, dpiX), Twips(inner.bottom, dpiY)};
  fr.rcPage = fr.rc;
  fr.chrg = CHARRANGE{0, -1};
  CRichEditCtrl& w = m_hidden[kRender];
  w.SendMessage(EM_FORMATRANGE, FALSE, 0);
  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(&inner);
  w.FormatRange(&fr, TRUE);
  pDC->RestoreDC(saved);
  w.SendMessage(EM_FORMATRANGE, FALSE, 0);
}

void CGXRichEditCtrl::Hide() {
  if (!m_hWnd || !IsWindowVisible()) return;
  CGXFocusGuard guard(m_pGrid);
  ShowWindow(SW_HIDE);
}

// ---- mouse and typing on the grid ---------------------------------------------------------------------------

BOOL CGXRichEditCtrl::LButtonUp(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  if ((flags & 7) && !IsActive() && m_hWnd && ScrollCellIntoView()) {
    SetActive(TRUE);
    Refresh();
    m_pGrid->UpdateWindow();
    CRect r;
    GetWindowRect(&r);
    m_pGrid->m_pGridWnd->ScreenToClient(&r);
    SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x - r.left, pt.y - r.top));
    SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x - r.left, pt.y - r.top));
  }
  CGXControl::LButtonUp(nFlags, pt);
  return TRUE;
}

BOOL CGXRichEditCtrl::LButtonDblClk(UINT nFlags, CPoint pt) {
  const WORD flags = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_wActivateFlags : 0;
  if ((flags & 8) && !IsActive() && m_hWnd && ScrollCellIntoView()) {
    SetActive(TRUE);
    Refresh();
  }
  CGXControl::LButtonDblClk(nFlags, pt);
  return TRUE;
}

BOOL CGXRichEditCtrl::OnGridChar(UINT nChar, UINT, UINT) {
  if (nChar < 32 || nChar == 127) return FALSE;
  return OnGridChars(CString((char)nChar, 1));
}

BOOL CGXRichEditCtrl::OnGridChars(const CString& chars) {
  if (!m_bInit || IsReadOnly() || !m_hWnd) return FALSE;
  if (IsActive()) return ReplaceSelectedText(chars);
  if (!ValidateText(chars)) {
    OnInvalidKeyPressed(chars);
    return FALSE;
  }
  if (!ScrollCellIntoView()) return FALSE;
  const CString rtf = TextToRtf(chars);
  SetCurrentText(rtf.Mid(1, rtf.GetLength() - 2));
  const LONG n = GetTextLength();
  SetSel(n, n);
  Refresh();
  return TRUE;
}

BOOL CGXRichEditCtrl::ReplaceSelectedText(LPCTSTR pszText) {
  if (!IsActive()) return CGXControl::ReplaceSelectedText(pszText);
  if (IsReadOnly() || !m_hWnd) return FALSE;
  ReplaceSel(pszText ? pszText : "");
  SetModify(TRUE);
  OnModifyCell();
  return TRUE;
}

BOOL CGXRichEditCtrl::GetSelectedText(CString& text) {
  if (!IsActive() || !m_hWnd) {
    GetCurrentText(text);
    return FALSE;
  }
  text = GetSelText();
  return !text.IsEmpty();
}

// ---- keys in the window --------------------------------------------------------------------------------------

BOOL CGXRichEditCtrl::RouteKey(UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags) {
  return m_pGrid && m_pGrid->RouteKeyMessage(this, nMessage, nChar, nRepCnt, nFlags);
}

BOOL CGXRichEditCtrl::KeepsKey(UINT nChar) {
  const bool ctrl = CtrlHeld();
  LONG start = 0, end = 0;
  GetSel(start, end);
  switch (nChar) {
    case VK_TAB:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT: return FALSE;
    case VK_RETURN: return ctrl || (GetStyle() & ES_WANTRETURN);
    case VK_LEFT: return ctrl || start > 0;
    case VK_UP: return ctrl || LineFromChar(start) > 0;
    case VK_RIGHT: return ctrl || end < GetTextLength();
    case VK_DOWN: return ctrl || LineFromChar(end) < GetLineCount() - 1;
    case 'C':
    case 'V':
    case 'X': return !ctrl;
    default: return !(nChar >= VK_F1 && nChar <= VK_F24);
  }
}

void CGXRichEditCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  s_bNoResize = FALSE;
  if (nChar < 9 || nChar > 135) return CRichEditCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
  LONG start = 0, end = 0;
  GetSel(start, end);
  if (nChar == VK_INSERT && ShiftHeld()) {
    Paste();
    return;
  }
  if (nChar == VK_INSERT && CtrlHeld() && start != end) {
    Copy();
    return;
  }
  if (nChar == VK_DELETE && ShiftHeld() && start != end) {
    Cut();
    return;
  }
  if (!KeepsKey(nChar)) {
    RouteKey(WM_KEYDOWN, nChar, nRepCnt, nFlags);
    return;
  }
  CRichEditCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGXRichEditCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!IsActive() || (GetStyle() & ES_READONLY)) return;
  if (nChar == 8 && nRepCnt == 0 && nFlags == 0) return;
  if (m_pGrid && m_bInit) m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  if (CtrlHeld() && (nChar == 3 || nChar == 22 || nChar == 24)) {
    nChar == 3 ? Copy() : nChar == 22 ? Paste() : Cut();
    return;
  }
  CString typed;
  if (m_cLead) {
    typed = CString((char)m_cLead, 1) + CString((char)nChar, 1);
    m_cLead = 0;
  } else if (::IsDBCSLeadByte((BYTE)nChar)) {
    m_cLead = (BYTE)nChar;
    return;
  } else {
    typed = CString((char)nChar, 1);
  }
  if (nChar >= 32 && nChar != 127) {
    CString all;
    CRichEditCtrl::GetWindowText(all);
    LONG a = 0, b = 0;
    GetSel(a, b);
    a = std::clamp<LONG>(a, 0, all.GetLength());
    b = std::clamp<LONG>(b, a, all.GetLength());
    if (!ValidateText(all.Left(a) + typed + all.Mid(b))) {
      OnInvalidKeyPressed(typed);
      return;
    }
  }
  for (int i = 0; i < typed.GetLength(); ++i) CRichEditCtrl::OnChar((BYTE)typed[i], nRepCnt, nFlags);
  RouteKey(WM_CHAR, nChar, nRepCnt, nFlags);
}

UINT CGXRichEditCtrl::OnGetDlgCode() { return CRichEditCtrl::OnGetDlgCode() | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; }

void CGXRichEditCtrl::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_KEYUP, nChar, nRepCnt, nFlags)) CRichEditCtrl::OnKeyUp(nChar, nRepCnt, nFlags);
}

void CGXRichEditCtrl::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_SYSKEYDOWN, nChar, nRepCnt, nFlags)) CRichEditCtrl::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGXRichEditCtrl::OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_SYSKEYUP, nChar, nRepCnt, nFlags)) CRichEditCtrl::OnSysKeyUp(nChar, nRepCnt, nFlags);
}

void CGXRichEditCtrl::OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_SYSCHAR, nChar, nRepCnt, nFlags)) CRichEditCtrl::OnSysChar(nChar, nRepCnt, nFlags);
}

void CGXRichEditCtrl::OnDeadChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_DEADCHAR, nChar, nRepCnt, nFlags)) CRichEditCtrl::OnDeadChar(nChar, nRepCnt, nFlags);
}

void CGXRichEditCtrl::OnSysDeadChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!RouteKey(WM_SYSDEADCHAR, nChar, nRepCnt, nFlags)) CRichEditCtrl::OnSysDeadChar(nChar, nRepCnt, nFlags);
}

void CGXRichEditCtrl::OnKillFocus(CWnd* pNewWnd) {
  CRichEditCtrl::OnKillFocus(pNewWnd);
  ForwardKillFocusToGrid(pNewWnd);
}

void CGXRichEditCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  s_bNoResize = TRUE;
  CRichEditCtrl::OnLButtonDown(nFlags, point);
}

// ---- clipboard -----------------------------------------------------------------------------------------------

// The window puts the selection as "Rich Text Format" and as plain text: the base copy would empty
// the clipboard again, so it is not called after it.
BOOL CGXRichEditCtrl::Copy() {
  if (!m_bInit || !IsActive() || !m_hWnd) return FALSE;
  SendMessage(WM_COPY);
  return TRUE;
}

BOOL CGXRichEditCtrl::Cut() { return CGXControl::Cut(); }

BOOL CGXRichEditCtrl::Paste() {
  if (!m_bInit || !m_hWnd || IsReadOnly()) return FALSE;
  const HWND open = ::GetOpenClipboardWindow();
  if (open && open != m_hWnd) return FALSE;
  if (!::IsClipboardFormatAvailable(GetRtfClipboardFormat())) return IsActive() && CGXControl::Paste();
  if (!IsActive()) {
    if (!ScrollCellIntoView()) return FALSE;
    SetActive(TRUE);
    SetSel(0, -1);
  }
  s_bNoResize = TRUE;
  SendMessage(WM_PASTE);
  s_bNoResize = FALSE;
  SetModify(TRUE);
  OnModifyCell();
  Refresh();
  m_pGrid->UpdateWindow();
  RequestResize();
  return TRUE;
}

BOOL CGXRichEditCtrl::CanPaste() {
  if (IsReadOnly()) return FALSE;
  if (IsActive() && ::IsClipboardFormatAvailable(GetRtfClipboardFormat())) return TRUE;
  return CGXControl::CanPaste();
}

// ---- find and replace ----------------------------------------------------------------------------------------

BOOL CGXRichEditCtrl::FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL, BOOL bSetSel) {
  if (!m_pGrid || !m_hWnd || find.strFind.IsEmpty()) return FALSE;
  const DWORD how = FR_DOWN | (find.bCase ? FR_MATCHCASE : 0);
  FINDTEXTEX ft{};
  ft.lpstrText = find.strFind.GetString();
  if (IsInitAt(nRow, nCol) && IsActive()) {
    LONG start = 0, end = 0;
    GetSel(start, end);
    ft.chrg = CHARRANGE{start == end ? start : start + 1, -1};
    if (CRichEditCtrl::FindText(how, &ft) < 0) return FALSE;
    if (bSetSel) {
      m_pGrid->ScrollCellInView(nRow, nCol);
      SetSel(ft.chrgText);
    }
    return TRUE;
  }
  const CGXStyle& style = find.pStyle ? *find.pStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  Cache(kText, style.GetIncludeValue() ? style.GetValue() : CString());
  ft.chrg = CHARRANGE{0, -1};
  if (m_hidden[kText].FindText(how, &ft) < 0) return FALSE;
  if (!bSetSel) return TRUE;
  m_pGrid->ScrollCellInView(nRow, nCol);
  if (!m_pGrid->SetCurrentCell(nRow, nCol, GX_SMART | GX_NOSETFOCUS) || m_pGrid->GetCurrentCellControl() != this ||
      !IsInitAt(nRow, nCol))
    return TRUE;
  SetActive(TRUE);
  SetSel(ft.chrgText);
  Refresh();
  return TRUE;
}

BOOL CGXRichEditCtrl::ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) {
  if (!m_pGrid || !m_hWnd || find.strFind.IsEmpty()) return FALSE;
  const DWORD how = FR_DOWN | (find.bCase ? FR_MATCHCASE : 0);
  const bool here = IsInitAt(nRow, nCol) && IsActive();
  CRichEditCtrl& w = here ? *static_cast<CRichEditCtrl*>(this) : m_hidden[kText];
  if (!here) {
    const CGXStyle& style = find.pStyle ? *find.pStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
    Cache(kText, style.GetIncludeValue() ? style.GetValue() : CString());
  }
  BOOL any = FALSE;
  FINDTEXTEX ft{};
  ft.lpstrText = find.strFind.GetString();
  ft.chrg = CHARRANGE{0, -1};
  while (w.FindText(how, &ft) >= 0) {
    w.SetSel(ft.chrgText);
    if (here) ReplaceSelectedText(find.strReplace);
    else w.ReplaceSel(find.strReplace);
    any = TRUE;
    ft.chrg = CHARRANGE{ft.chrgText.cpMin + find.strReplace.GetLength(), -1};
  }
  if (!any || here) return any;
  m_bCached[kText] = FALSE;
  return m_pGrid->SetRangeValueText(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), GetRTF(w), 0, GX_UPDATENOW);
}
