#include "grid/controls/GXCheckBox.h"

#include "grid/controls/GXButton.h"
#include "grid/controls/GXStatic.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

namespace {

const UINT kChecked = 51019, kUnchecked = 51020;

CString Attribute(const CGXStyle& style, UINT id, const char* fallback) {
  return style.HasUserAttribute(id) ? style.GetUserAttribute(id) : CString(fallback);
}

BOOL IsTriState(const CGXStyle& style) { return style.GetIncludeTriState() && style.GetTriState(); }

}  // namespace

CGXCheckBox::CGXCheckBox(CGXGridCore* pGrid, BOOL b3D, UINT nScreenBitmapId, UINT nPrinterBitmapId)
    : CGXControl(pGrid), m_b3D(b3D) {
  // The newer 3-D images need the newer system look.
  m_nScreenId = nScreenBitmapId ? nScreenBitmapId : b3D ? (GXGetLibraryData().m_bWin4 ? 23231 : 23232) : 23233;
  m_nPrinterId = nPrinterBitmapId ? nPrinterBitmapId : 23233;
}

CGXCheckBox::~CGXCheckBox() { FreeBitmaps(); }

void CGXCheckBox::AddUserAttributes(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  CGXStyle checked, unchecked;
  checked.SetValue("1");
  unchecked.SetValue("0");
  pStylesMap->AddUserAttribute(kChecked, &checked);
  pStylesMap->AddUserAttribute(kUnchecked, &unchecked);
}

CString CGXCheckBox::CheckedText(const CGXStyle& style) { return Attribute(style, kChecked, "1"); }
CString CGXCheckBox::UncheckedText(const CGXStyle& style) { return Attribute(style, kUnchecked, "0"); }

void CGXCheckBox::FreeBitmaps() {
  for (HGLOBAL* h : {&m_hScreen, &m_hPrinter}) {
    if (*h) GlobalFree(*h);
    *h = nullptr;
  }
}

COLORREF CGXCheckBox::MapImageColor(COLORREF color, BOOL bPrinter) {
  CGXSysColorCache& colors = GXGetSysColorCache();
  switch (color) {
    case RGB(0, 0, 0): return bPrinter ? RGB(0, 0, 0) : colors.GetColor(COLOR_WINDOWTEXT);
    case RGB(255, 0, 0): return bPrinter ? RGB(255, 255, 255) : colors.GetColor(COLOR_WINDOW);
    case RGB(0, 255, 0): return colors.GetColor(COLOR_WINDOWFRAME);
    case RGB(192, 192, 192): return colors.GetColor(COLOR_BTNFACE);
    default: return color;
  }
}

BOOL CGXCheckBox::LoadBitmaps() {
  FreeBitmaps();
  m_hScreen = GXLoadDib(MAKEINTRESOURCE(m_nScreenId));
  if (!m_hScreen) return FALSE;
  m_hPrinter = GXLoadDib(MAKEINTRESOURCE(m_nPrinterId));
  for (HGLOBAL h : {m_hScreen, m_hPrinter}) {
    if (!h || GlobalSize(h) < sizeof(BITMAPINFOHEADER)) continue;
    auto* bi = static_cast<BITMAPINFO*>(GlobalLock(h));
    const int n = GXDibNumColors(&bi->bmiHeader);
    if (GlobalSize(h) >= sizeof(BITMAPINFOHEADER) + (SIZE_T)n * sizeof(RGBQUAD)) {
      for (int i = 0; i < n; ++i) {
        RGBQUAD& q = bi->bmiColors[i];
        const COLORREF c = MapImageColor(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), h == m_hPrinter);
        q.rgbRed = GetRValue(c);
        q.rgbGreen = GetGValue(c);
        q.rgbBlue = GetBValue(c);
      }
    }
    GlobalUnlock(h);
  }
  return TRUE;
}

void CGXCheckBox::OnGridSysColorChange() { LoadBitmaps(); }

UINT CGXCheckBox::GetState(ROWCOL nRow, ROWCOL nCol, const CGXStyle& style) {
  if (style.GetIncludeEnabled() && !style.GetEnabled()) return stateDisabled;
  UINT state = 0;
  if (IsInitAt(nRow, nCol) && m_pGrid && m_pGrid->IsCurrentCell(nRow, nCol))
    state = m_bPressed ? stateFocus | statePressed : stateFocus;
  const CString& value = style.GetValue();
  if (value == CheckedText(style)) state |= stateChecked;
  else if (!IsTriState(style) || value == UncheckedText(style)) state |= stateUnchecked;
  return state;
}

void CGXCheckBox::GetCheckBoxRect(CRect& box, CDC* pDC, const CRect& rect, LPCTSTR pszLabel, UINT nAlign) {
  const int s = m_nBoxSize;
  CSize content(s, s);
  if (pszLabel && *pszLabel && pDC) {
    TEXTMETRIC tm{};
    pDC->GetTextMetrics(&tm);
    content = CSize(s * 3 / 2 + pDC->GetTextExtent(pszLabel).cx, std::max<int>(tm.tmHeight + tm.tmExternalLeading, s));
  }
  const int fw = rect.Width() - content.cx, fh = rect.Height() - content.cy;
  int left = rect.left + std::min(std::max(fw, 0), 3), top = rect.top + std::min(std::max(fh, 0), 3);
  if ((nAlign & 3) == DT_CENTER) left = rect.left + std::max(fw / 2, 0);
  else if ((nAlign & 3) == DT_RIGHT) left = rect.left + std::max(fw, 0);
  if ((nAlign & 0xC) == DT_VCENTER) top = rect.top + std::max(fh / 2, 0);
  else if ((nAlign & 0xC) == DT_BOTTOM) top = rect.top + std::max(fh, 0);
  box = CRect(left, top, std::min<LONG>(left + s, rect.right), std::min<LONG>(top + s, rect.bottom));
}

void CGXCheckBox::DrawCheckBox(CDC* pDC, CRect rect, UINT nState, UINT nAlign, LPCTSTR pszLabel) {
  if (!pDC) return;
  CRect box;
  GetCheckBoxRect(box, pDC, rect, pszLabel, nAlign);
  if (!m_hScreen && !LoadBitmaps()) return;
  const BOOL printing = m_pGrid && m_pGrid->m_bPrinting;
  HGLOBAL h = printing && m_hPrinter ? m_hPrinter : m_hScreen;
  int image = 4;
  if (nState & stateChecked) image = (nState & statePressed) ? 3 : 1;
  else if (nState & stateUnchecked) image = (nState & statePressed) ? 2 : 0;
  if (box.IsRectEmpty()) return;
  const auto* bi = static_cast<const BITMAPINFO*>(GlobalLock(h));
  if (!bi) return;
  const BYTE* bits = reinterpret_cast<const BYTE*>(bi) + bi->bmiHeader.biSize +
                     GXDibNumColors(&bi->bmiHeader) * sizeof(RGBQUAD);
  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(&box);
  pDC->StretchDIBits(box.left, box.top, m_nBoxSize, m_nBoxSize, image * m_nBoxSize, 0, m_nBoxSize, m_nBoxSize, bits, bi,
                     DIB_RGB_COLORS, SRCCOPY);
  pDC->RestoreDC(saved);
  GlobalUnlock(h);
}

void CGXCheckBox::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                       const CGXStyle* pStandard) {
  if (!pDC) return;
  const UINT state = GetState(nRow, nCol, style);
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  DrawBackground(pDC, rect, style);
  pDC->SetBkMode(TRANSPARENT);
  COLORREF text, back;
  GXGetCellColors(m_pGrid, style, text, back);
  pDC->SetBkColor(back);
  pDC->SetTextColor(text);
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  const CString label = style.GetIncludeChoiceList() ? style.GetChoiceList() : CString();
  const UINT align = (style.GetIncludeHorizontalAlignment() ? style.GetHorizontalAlignment() : 0) |
                     (style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0);
  DrawCheckBox(pDC, inner, state, align, label);
  if (!label.IsEmpty()) {
    CRect box;
    GetCheckBoxRect(box, pDC, inner, label, align);
    CRect textRect(box.left + m_nBoxSize * 3 / 2, inner.top, inner.right, inner.bottom);
    const BOOL wrap = style.GetIncludeWrapText() && style.GetWrapText();
    GXDrawMultiLineText(pDC, label, label.GetLength(), textRect,
                        align | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
  }
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = FALSE;  // the background is drawn already
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (old) pDC->SelectObject(old);
}

CSize CGXCheckBox::CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle*, BOOL) {
  const CString label = style.GetIncludeChoiceList() ? style.GetChoiceList() : CString();
  if (label.IsEmpty() || !pDC) return GrowSizeByBorders(CSize(m_nBoxSize + 4, m_nBoxSize + 6), style);
  // The label measures as a static cell's text would, beside the box.
  CGXStatic measure(m_pGrid);
  CGXStyle text(style);
  text.SetValue(label);
  CSize size = measure.CalcSize(pDC, nRow, nCol, text);
  // Beside a box the margins keep at least 3 pixels, as the box keeps from the cell's edge.
  size.cx += m_nBoxSize * 3 / 2 + 2 * (std::max(3, GetSystemMetrics(SM_CXFRAME) / 2) - CGXStatic::GetTextMargin());
  size.cy = std::max<LONG>(size.cy, m_nBoxSize + 6);
  return size;
}

BOOL CGXCheckBox::HitBox(CPoint pt) {
  if (!m_bInit || !m_pGrid || !m_pGrid->m_pGridWnd || !m_pGrid->m_pGridWnd->GetSafeHwnd()) return FALSE;
  const CGXStyle& style = m_pGrid->LookupStyleRowCol(m_nRow, m_nCol);
  const CRect cell = CalcDrawnCellRect(m_nRow, m_nCol);
  if (!cell.PtInRect(pt)) return FALSE;  // the grid's in-cell test
  CClientDC dc(m_pGrid->m_pGridWnd);
  CFont* old = GXSelectCellFont(m_pGrid, &dc, style);
  CRect inner;
  GetCellInnerRect(inner, m_nRow, m_nCol, &cell, &style);
  const UINT align = (style.GetIncludeHorizontalAlignment() ? style.GetHorizontalAlignment() : 0) |
                     (style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0);
  GetCheckBoxRect(m_rectBox, &dc, inner, style.GetIncludeChoiceList() ? style.GetChoiceList().GetString() : "", align);
  if (old) dc.SelectObject(old);
  return m_rectBox.PtInRect(pt);
}

BOOL CGXCheckBox::LButtonDown(UINT flags, CPoint pt) {
  if (HitBox(pt)) {
    m_bPressed = TRUE;
    Refresh();
  }
  return CGXControl::LButtonDown(flags, pt);
}

BOOL CGXCheckBox::MouseMove(UINT flags, CPoint pt) {
  const BOOL inside = HitBox(pt);
  if (inside != m_bPressed) {
    m_bPressed = inside;
    Refresh();
  }
  return CGXControl::MouseMove(flags, pt);
}

BOOL CGXCheckBox::LButtonUp(UINT flags, CPoint pt) {
  // A release that toggles nothing (a read-only cell) stores nothing that would redraw the box.
  if (m_bPressed) {
    m_bPressed = FALSE;
    Refresh();
  }
  if (CGXControl::LButtonUp(flags, pt)) return TRUE;
  if (HitBox(pt)) OnClickedButton(nullptr);
  return TRUE;
}

BOOL CGXCheckBox::LButtonDblClk(UINT flags, CPoint pt) {
  m_bPressed = FALSE;
  if (HitBox(pt)) OnClickedButton(nullptr);
  return CGXControl::LButtonDblClk(flags, pt);
}

BOOL CGXCheckBox::DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (CGXControl::DispatchKeyMessage(message, wParam, lParam)) return TRUE;
  if (message != WM_CHAR || wParam != VK_SPACE) return FALSE;
  OnClickedButton(nullptr);
  return TRUE;
}

BOOL CGXCheckBox::OnClickedButton(CObject* pChild) {
  if (!m_bInit || !m_pGrid) return FALSE;
  const CGXStyle style = m_pGrid->LookupStyleRowCol(m_nRow, m_nCol);
  if (m_pGrid->IsReadOnly() || (style.GetIncludeReadOnly() && style.GetReadOnly())) return FALSE;
  if (!ScrollCellIntoView()) return FALSE;
  const CString checked = CheckedText(style), unchecked = UncheckedText(style), value = style.GetValue();
  CString next;
  if (value == checked) next = unchecked;
  else if (!IsTriState(style) || value != unchecked) next = checked;
  // (tri-state and unchecked: the empty text, indeterminate)
  CGXStyle store;
  store.SetValue(next);
  m_pGrid->SetStyleRange(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), &store, 0, 0, nullptr, GX_UPDATENOW, CmdDo);
  FreeStyle();
  return CGXControl::OnClickedButton(pChild);
}
