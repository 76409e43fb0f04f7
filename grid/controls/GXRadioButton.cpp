#include "grid/controls/GXRadioButton.h"

#include "grid/controls/GXButton.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstdlib>

namespace {

const int kImageW = 14, kImageH = 13;

// The strip of radio images, loaded once and kept.
CBitmap* RadioImages() {
  static CBitmap bitmap;
  static const BOOL loaded = bitmap.LoadBitmap(23211);
  return loaded ? &bitmap : nullptr;
}

int ChosenIndex(const CGXStyle& style) {
  const CString& value = style.GetValue();
  return value.IsEmpty() ? -1 : std::atoi(value);
}

}  // namespace

CGXRadioButton::CGXRadioButton(CGXGridCore* pGrid, BOOL b3D) : CGXControl(pGrid), m_b3D(b3D) {}

std::vector<CString> CGXRadioButton::Entries(const CGXStyle& style) {
  std::vector<CString> out;
  if (!style.GetIncludeChoiceList()) return out;
  const char* p = style.GetChoiceList().GetString();
  while (*p) {
    const char* e = p;
    while (*e && *e != '\r' && *e != '\n') ++e;
    if (e > p) out.emplace_back(p, (int)(e - p));
    while (*e == '\r' || *e == '\n') ++e;
    p = e;
  }
  return out;
}

int CGXRadioButton::LineHeight(CDC* pDC) {
  TEXTMETRIC tm{};
  if (pDC) pDC->GetTextMetrics(&tm);
  return std::max<int>(tm.tmHeight + tm.tmExternalLeading, 12);
}

CSize CGXRadioButton::CalcSize(CDC* pDC, ROWCOL, ROWCOL, const CGXStyle& style, const CGXStyle*, BOOL) {
  if (!pDC) return GrowSizeByBorders(CSize(0, 0), style);
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  const std::vector<CString> entries = Entries(style);
  int widest = 0;
  for (const CString& e : entries) widest = std::max<int>(widest, pDC->GetTextExtent(e).cx);
  const CSize size(widest + 22, (int)entries.size() * LineHeight(pDC) + 4);
  if (old) pDC->SelectObject(old);
  return GrowSizeByBorders(size, style);
}

void CGXRadioButton::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                          const CGXStyle* pStandard) {
  if (!pDC) return;
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  COLORREF text, back;
  GXGetCellColors(m_pGrid, style, text, back);
  DrawBackground(pDC, rect, style);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(text);
  pDC->SetBkColor(back);
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(&rect);
  CDC mem;
  CBitmap* oldImage = nullptr;
  BOOL ready = TRUE;
  if (m_b3D) {
    CBitmap* images = RadioImages();
    ready = images && mem.CreateCompatibleDC(pDC);
    if (ready) oldImage = mem.SelectObject(images);
  }
  int count = 0;
  if (ready) {
    const int lh = LineHeight(pDC), chosen = ChosenIndex(style);
    const std::vector<CString> entries = Entries(style);
    for (const CString& entry : entries) {
      const int rowTop = inner.top + count * lh;
      const int x = inner.left + 3, y = rowTop + (lh - 12) / 2;
      const BOOL checked = count == chosen;
      if (m_b3D) {
        pDC->BitBlt(x, y, kImageW, kImageH, &mem, checked ? kImageW : 0, kImageH, SRCCOPY);
      } else {
        CPen black(PS_SOLID, 1, RGB(0, 0, 0));
        CBrush white(RGB(255, 255, 255)), dot(RGB(0, 0, 0));
        CPen* oldPen = pDC->SelectObject(&black);
        CBrush* oldBrush = pDC->SelectObject(&white);
        pDC->Ellipse(x, y, x + 12, y + 12);
        if (checked) {
          pDC->SelectObject(&dot);
          pDC->Ellipse(x + 2, y + 2, x + 10, y + 10);
        }
        pDC->SelectObject(oldBrush);
        pDC->SelectObject(oldPen);
      }
      CRect textRect(inner.left + 18, rowTop, inner.right, rowTop + lh);
      pDC->DrawText(entry, entry.GetLength(), &textRect, DT_SINGLELINE | DT_NOPREFIX);
      ++count;
    }
    if (m_b3D) mem.SelectObject(oldImage);
  }
  pDC->RestoreDC(saved);
  m_nCount = count;
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = FALSE;  // the background is drawn already
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (old) pDC->SelectObject(old);
}

BOOL CGXRadioButton::IsCellReadOnly(const CGXStyle& style) {
  return (m_pGrid && m_pGrid->IsReadOnly()) || (style.GetIncludeReadOnly() && style.GetReadOnly());
}

void CGXRadioButton::Choose(int nIndex) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", nIndex);
  CGXStyle value;
  value.SetValue(text);
  m_pGrid->SetStyleRange(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), &value, 0, 0, nullptr, GX_UPDATENOW, CmdDo);
  FreeStyle();
}

BOOL CGXRadioButton::LButtonUp(UINT flags, CPoint pt) {
  if (!m_bInit || !m_pGrid) return FALSE;
  const CRect cell = CalcDrawnCellRect(m_nRow, m_nCol);
  if (!cell.PtInRect(pt)) return CGXControl::LButtonUp(flags, pt);
  const CGXStyle style = m_pGrid->LookupStyleRowCol(m_nRow, m_nCol);
  if (IsCellReadOnly(style)) return FALSE;
  CRect inner;
  GetCellInnerRect(inner, m_nRow, m_nCol, &cell, &style);
  int hit = -1;
  if (m_pGrid->m_pGridWnd && m_pGrid->m_pGridWnd->GetSafeHwnd()) {
    CClientDC dc(m_pGrid->m_pGridWnd);
    CFont* old = GXSelectCellFont(m_pGrid, &dc, style);
    const int lh = LineHeight(&dc);
    const std::vector<CString> entries = Entries(style);
    for (int i = 0; i < (int)entries.size() && hit < 0; ++i) {
      const int rowTop = inner.top + i * lh;
      CRect radio(inner.left, rowTop, inner.left + 18, rowTop + lh);
      CRect textRect(inner.left + 18, rowTop, inner.right, rowTop + lh);
      dc.DrawText(entries[(size_t)i], entries[(size_t)i].GetLength(), &textRect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
      if (radio.PtInRect(pt) || textRect.PtInRect(pt)) hit = i;
    }
    if (old) dc.SelectObject(old);
  }
  if (hit >= 0) {
    if (hit != ChosenIndex(style) && ScrollCellIntoView()) Choose(hit);
    OnClickedButton(nullptr);
  }
  return CGXControl::LButtonUp(flags, pt);
}

BOOL CGXRadioButton::DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (CGXControl::DispatchKeyMessage(message, wParam, lParam)) return TRUE;
  if (message != WM_CHAR || wParam != VK_SPACE || !m_bInit || !m_pGrid) return FALSE;
  const CGXStyle style = m_pGrid->LookupStyleRowCol(m_nRow, m_nCol);
  if (IsCellReadOnly(style)) return FALSE;
  // The bound cell's own entries, not the ones of the cell drawn last.
  // A value naming no entry starts again at the first, as an empty one does.
  const long long next = (long long)ChosenIndex(style) + 1;
  const int choice = next > 0 && next < (long long)Entries(style).size() ? (int)next : 0;
  // Stored and reported as a click is: the owner acts on the click alone.
  if (choice != ChosenIndex(style)) Choose(choice);
  OnClickedButton(nullptr);
  return TRUE;
}
