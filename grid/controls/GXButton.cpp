#include "grid/controls/GXButton.h"

#include "grid/engine/GXControl.h"
#include "grid/engine/GXDIB.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "platform/core/Clock.h"
#include "platform/gdi/PackedDib.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

// ---- push button ------------------------------------------------------------------------------------------------

void CGXButton::Click() {
  if (!m_pOwner) return;
  int& busy = GXGetLibraryData().m_nClickInProgress;
  ++busy;
  m_pOwner->OnClickedButton(this);
  --busy;
}

void CGXButton::SetPressed(BOOL bPressed) {
  if (m_bPressed == bPressed) return;
  m_bPressed = bPressed;
  if (m_bRedrawOnChange) Invalidate();
}

BOOL CGXButton::OnLButtonDown(UINT, int, int) {
  m_bPressed = m_bTracking = TRUE;
  if (m_bRedrawOnChange) Invalidate();
  CGXGridCore* grid = m_pOwner ? m_pOwner->Grid() : nullptr;
  if (m_pOwner && m_pOwner->IsActive() && grid && grid->m_pGridWnd && grid->m_pGridWnd->GetSafeHwnd())
    grid->m_pGridWnd->UpdateWindow();
  return TRUE;
}

BOOL CGXButton::OnMouseMove(UINT, int x, int y) {
  if (m_bTracking) SetPressed(HitTest(x, y));
  return TRUE;
}

// The click may paint other cells of the owner, which lay the button out in them, or scroll the
// owner's cell: the button is drawn released where it was pressed and where its cell now is.
void CGXButton::InvalidateReleased(const CRect& pressedAt) {
  m_rect = pressedAt;
  if (!m_bRedrawOnChange) return;
  Invalidate();
  CGXGridCore* grid = m_pOwner ? m_pOwner->Grid() : nullptr;
  if (!grid || !m_pOwner->IsInit()) return;
  m_pOwner->LayoutChildren(m_pOwner->m_nRow, m_pOwner->m_nCol, grid->CalcRectFromRowCol(m_pOwner->m_nRow, m_pOwner->m_nCol));
  if (m_rect != pressedAt) Invalidate();
}

BOOL CGXButton::OnLButtonUp(UINT, int x, int y) {
  // A release outside the button is no click.
  const CRect pressedAt = m_rect;
  if (m_bPressed && HitTest(x, y)) Click();
  m_bPressed = m_bTracking = FALSE;
  InvalidateReleased(pressedAt);
  return TRUE;
}

BOOL CGXButton::OnKeyDown(UINT nChar, UINT, UINT) {
  if (nChar != VK_SPACE) return FALSE;
  m_bPressed = TRUE;
  if (m_bRedrawOnChange) Invalidate();
  return TRUE;
}

BOOL CGXButton::OnKeyUp(UINT nChar, UINT, UINT) {
  if (nChar != VK_SPACE || !m_bPressed) return FALSE;
  const CRect pressedAt = m_rect;
  Click();
  m_bPressed = FALSE;
  InvalidateReleased(pressedAt);
  return TRUE;
}

BOOL CGXButton::DrawFace(CDC* pDC, BOOL bPushed) {
  GXFillRect(pDC, &m_rect, GXGetSysColorCache().GetColor(COLOR_BTNFACE));
  // An edge's two layers need four pixels each way; in less they would reach out of the cell.
  if (m_rect.Width() < 4 || m_rect.Height() < 4) return bPushed;
  GXDrawButtonEdge(pDC, m_rect, bPushed ? EDGE_SUNKEN : EDGE_RAISED, FALSE);
  return bPushed;
}

void CGXButton::Draw(CDC* pDC, BOOL bActive) {
  if (!pDC) return;
  // Drawn pushed only for the current cell of a focused grid.
  UINT state = 0;
  if (bActive && HasFocus()) state = m_bPressed ? 5 : 1;
  const BOOL pushed = DrawFace(pDC, (state & 4) != 0);
  CRect face(m_rect.left + 1, m_rect.top + 1, m_rect.right - 2, m_rect.bottom - 2);
  if (pushed) face.OffsetRect(1, 1);
  if (face.Width() <= 0 || face.Height() <= 0) return;
  // A label wider than a narrowed button is cut at its face, not centred out over the neighbours.
  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(&face);
  // The label stands on the face, whatever mode the cells drawn before left in the grid's DC.
  pDC->SetBkMode(TRANSPARENT);
  GXDrawButtonFace(pDC, face, m_strText, state & GX_BTNFOCUS);
  pDC->RestoreDC(saved);
}

void CGXHotSpotButton::Draw(CDC* pDC, BOOL bActive) {
  if (!pDC || !bActive) return;
  const BOOL pushed = DrawFace(pDC, HasFocus() && m_bPressed);
  if (m_rect.Height() < 12) return;
  const int d = pushed ? 1 : 0;
  static const int kGlyph[6][4] = {{3, 3, 6, 2}, {6, 4, 3, 3}, {4, 7, 7, 1}, {5, 8, 5, 1}, {6, 9, 3, 1}, {7, 10, 1, 1}};
  for (const auto& g : kGlyph) {
    CRect part(m_rect.left + g[0] + d, m_rect.top + g[1] + d, m_rect.left + g[0] + d + g[2], m_rect.top + g[1] + d + g[3]);
    if (part.IntersectRect(part, m_rect)) GXFillRect(pDC, &part, RGB(0, 0, 0));
  }
}

// ---- spin arrows ------------------------------------------------------------------------------------------------

BOOL CGXArrowButton::OnLButtonDown(UINT nFlags, int x, int y) {
  CGXButton::OnLButtonDown(nFlags, x, y);
  m_nLastStep = GetTickCount();
  m_nDelay = 500;
  Click();  // the first step comes with the press
  return TRUE;
}

BOOL CGXArrowButton::OnMouseMove(UINT nFlags, int x, int y) {
  CGXButton::OnMouseMove(nFlags, x, y);
  const DWORD now = GetTickCount();
  if (m_bPressed && HitTest(x, y) && now - m_nLastStep >= m_nDelay) {
    m_nDelay = m_nDelay > 150 ? 150 : m_nDelay > 50 ? m_nDelay - 5 : m_nDelay;
    m_nLastStep = now;
    Click();
  }
  return TRUE;
}

BOOL CGXArrowButton::OnLButtonUp(UINT, int, int) {
  // The steps were reported while held; the release adds none.
  m_bPressed = m_bTracking = FALSE;
  if (m_bRedrawOnChange) Invalidate();
  return TRUE;
}

void CGXArrowButton::DrawArrow(CDC* pDC, BOOL bActive, BOOL bUp) {
  if (!pDC || !bActive) return;
  const BOOL pushed = DrawFace(pDC, HasFocus() && m_bPressed);
  const int h = m_rect.Height(), w = m_rect.Width();
  if (h < 5) return;
  const int rows = h >= 8 ? 4 : 3;
  const int d = pushed ? 1 : 0;
  const int top = m_rect.top + d +
                  std::max(bUp ? (h - (rows == 3 ? 3 : 5)) / 2 : (h - (rows == 3 ? 2 : 4)) / 2, 0);
  const int left = m_rect.left + d + std::max((w - (rows == 3 ? 5 : 7)) / 2, 0);
  for (int i = 0; i < rows; ++i) {
    const int y = top + i;
    if (y >= m_rect.bottom) break;
    // Down: full width first, each row one pixel in from both sides; up: the reverse.
    const int step = bUp ? rows - 1 - i : i;
    // A button narrower than the glyph keeps it inside.
    const int x0 = std::max<int>(left + step, m_rect.left), x1 = std::min<int>(left + step + 2 * (rows - step) - 1, m_rect.right);
    if (x1 > x0) GXFillRect(pDC, x0, y, x1 - x0, 1, RGB(0, 0, 0));
  }
}

// ---- bitmap button ----------------------------------------------------------------------------------------------

CGXBitmapButtonChild::~CGXBitmapButtonChild() { FreeBitmaps(); }

void CGXBitmapButtonChild::FreeBitmaps() {
  for (HGLOBAL* h : {&m_hNormal, &m_hPressed, &m_hFocused}) {
    if (*h) GlobalFree(*h);
    *h = nullptr;
  }
  m_bStateBitmaps = FALSE;
}

BOOL CGXBitmapButtonChild::LoadBitmaps(UINT nNormalId, UINT nPressedId, UINT nFocusedId) {
  FreeBitmaps();
  m_hNormal = GXLoadDib(MAKEINTRESOURCE(nNormalId));
  if (!m_hNormal) return FALSE;
  if (nPressedId) m_hPressed = GXLoadDib(MAKEINTRESOURCE(nPressedId));
  if (nFocusedId) m_hFocused = GXLoadDib(MAKEINTRESOURCE(nFocusedId));
  m_bStateBitmaps = nPressedId || nFocusedId;
  return (!nPressedId || m_hPressed) && (!nFocusedId || m_hFocused);
}

namespace {

CSize DibSize(HGLOBAL h) {
  CSize size(0, 0);
  if (!h || GlobalSize(h) < sizeof(BITMAPINFOHEADER)) return size;
  if (const auto* bi = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h))) {
    int width, height;
    DibHeaderSize(*bi, width, height);
    size = CSize(width, height);
    GlobalUnlock(h);
  }
  return size;
}

}  // namespace

CSize CGXBitmapButtonChild::GetSize() const {
  CSize size(0, 0);
  for (HGLOBAL h : {m_hNormal, m_hPressed, m_hFocused}) {
    const CSize s = DibSize(h);
    size.cx = std::max(size.cx, s.cx);
    size.cy = std::max(size.cy, s.cy);
  }
  return size;
}

void CGXBitmapButtonChild::Draw(CDC* pDC, BOOL) {
  if (!pDC || m_rect.IsRectEmpty()) return;  // a button without a place is not shown
  HGLOBAL h = m_hNormal;
  if (m_bPressed && m_hPressed) h = m_hPressed;
  else if ((m_bPressed || HasFocus()) && m_hFocused) h = m_hFocused;
  if (!h) return;
  const CSize size = DibSize(h);
  CGXDIB::Draw(pDC, h, CRect(m_rect.left, m_rect.top, m_rect.left + size.cx, m_rect.top + size.cy), 0, 0);
}

// ---- shared by the button cells ------------------------------------------------------------------------------------

CFont* GXSelectCellFont(CGXGridCore* pGrid, CDC* pDC, const CGXStyle& style) {
  if (!pGrid || !pDC || !style.GetIncludeFont()) return nullptr;
  CFont* old = pDC->GetCurrentFont();
  pGrid->SelectCellFont(pDC, style);
  return old;
}

BOOL GXCreateZoomedCellFont(CGXGridCore* pGrid, CFont& font, const CGXStyle& style) {
  font.DeleteObject();
  if (!pGrid || !style.GetIncludeFont()) return FALSE;
  // The font the cell is drawn with, so that a window over the cell shows the same text.
  CDC measure;
  if (!measure.CreateCompatibleDC(nullptr)) return FALSE;
  const HGDIOBJ before = measure.GetCurrentFont()->m_hObject;
  pGrid->SelectCellFont(&measure, style);
  LOGFONT lf{};
  CFont* cellFont = measure.GetCurrentFont();
  if (cellFont->m_hObject == before || !cellFont->GetLogFont(&lf)) return FALSE;
  font.CreateFontIndirect(&lf);
  return TRUE;
}

BOOL GXEraseCellWindow(CWnd& wnd, CGXControl& control, CDC* pDC) {
  if (!pDC) return TRUE;
  CRect client;
  wnd.GetClientRect(&client);
  GXFillRect(pDC, &client, RGB(255, 255, 255));
  if (control.IsInit()) {
    COLORREF text, back;
    GXGetCellColors(control.Grid(), control.GetCurrentStyle(), text, back);
    GXFillRect(pDC, &client, back);
  }
  return TRUE;
}

void GXGetCellColors(CGXGridCore* pGrid, const CGXStyle& style, COLORREF& text, COLORREF& back) {
  const CGXProperties* props = pGrid && pGrid->GetParam() ? pGrid->GetParam()->GetProperties() : nullptr;
  if (props && props->GetBlackWhite()) {
    text = RGB(0, 0, 0);
    back = RGB(255, 255, 255);
    return;
  }
  text = GXResolveColor(style.GetIncludeTextColor() ? style.GetTextColorValue() : RGB(0, 0, 0));
  back = GXResolveColor(style.GetInterior().GetColor());
}
