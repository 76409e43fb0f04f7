#include "grid/controls/GXProgressCtrl.h"

#include "grid/controls/GXButton.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "grid/engine/GXTextForms.h"
#include "platform/gdi/DC.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const DWORD kLower = 51025, kUpper = 51026, kCaption = 51027;

CString Attribute(const CGXStyle& style, DWORD id) {
  return style.HasUserAttribute(id) ? style.GetUserAttribute(id) : CString();
}

// The format with its one integer conversion made to take an int; empty when the format has not
// exactly one conversion or it is not an integer one.
std::string IntFormat(const CString& format) {
  std::string out;
  int conversions = 0;
  const char* p = format.GetString();
  while (*p) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    if (p[1] == '%') {
      out += "%%";
      p += 2;
      continue;
    }
    std::string conversion = "%";
    ++p;
    while (*p && std::strchr("-+ #0", *p)) conversion += *p++;
    while (*p >= '0' && *p <= '9') conversion += *p++;
    if (*p == '.') {
      conversion += *p++;
      while (*p >= '0' && *p <= '9') conversion += *p++;
    }
    while (*p == 'h' || *p == 'l') ++p;  // the value goes as an int whatever the size asked
    if (!*p || !std::strchr("diouxX", *p)) return std::string();
    conversion += *p++;
    out += conversion;
    ++conversions;
  }
  return conversions == 1 ? out : std::string();
}

}  // namespace

void CGXProgressCtrl::AddUserAttributes(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  for (DWORD id : {kUpper, kLower, kCaption}) pStylesMap->AddUserAttribute(id);
}

void CGXProgressCtrl::GetCaption(CString& text, ROWCOL, ROWCOL, const CGXStyle& style) {
  const CString format = Attribute(style, kCaption);
  const std::string conversion = IntFormat(format);
  if (conversion.empty()) {
    text = format;
    return;
  }
  char buf[512];
  std::snprintf(buf, sizeof buf, conversion.c_str(), (int)GXAtol(style.GetValue()));
  text = buf;
}

COLORREF CGXProgressCtrl::GetBarColor(BOOL bInverse, const CGXStyle& style) {
  COLORREF text, back;
  GXGetCellColors(nullptr, style, text, back);
  return bInverse ? text : back;
}

COLORREF CGXProgressCtrl::GetBackColor(BOOL bInverse, const CGXStyle& style) {
  COLORREF text, back;
  GXGetCellColors(nullptr, style, text, back);
  return bInverse ? back : text;
}

void CGXProgressCtrl::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                           const CGXStyle* pStandard) {
  const int64_t upper = GXAtol(Attribute(style, kUpper)), lower = GXAtol(Attribute(style, kLower));
  const int width = rect.Width();
  m_dScale = width > 0 ? double(upper - lower) / width : 1.0;
  if (!pDC) return;
  const CGXProperties* props = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->GetProperties() : nullptr;
  const bool blackWhite = props && props->GetBlackWhite();
  const COLORREF bar = blackWhite ? RGB(0, 0, 0) : GetBarColor(TRUE, style);
  const COLORREF rest = blackWhite ? RGB(255, 255, 255) : GetBackColor(TRUE, style);
  CString caption;
  GetCaption(caption, nRow, nCol, style);

  // Equal bounds or bounds the wrong way round show an empty bar; the bar never passes the cell.
  const int64_t value = std::max<int64_t>(lower, GXAtol(style.GetValue()));
  long pixels = 0;
  if (upper > lower && width > 0) pixels = std::lround(double(value - lower) / m_dScale);
  pixels = std::clamp<long>(pixels, 0, std::max(width, 0));
  const CRect barRect(rect.left, rect.top, rect.left + (int)pixels, rect.bottom);
  CRect restRect;
  if (!restRect.SubtractRect(rect, barRect)) restRect.SetRectEmpty();
  if (pixels == 0) restRect = rect;
  if (pixels > 0) GXFillRect(pDC, &barRect, bar);
  if (!restRect.IsRectEmpty()) GXFillRect(pDC, &restRect, rest);

  const UINT frame = style.GetIncludeDraw3dFrame() ? style.GetDraw3dFrame() : 0;
  if (width > 1 && (frame == 1 || frame == 2)) GXDrawButtonEdge(pDC, rect, frame == 1 ? EDGE_RAISED : EDGE_SUNKEN, FALSE);

  CFont* oldFont = GXSelectCellFont(m_pGrid, pDC, style);
  const CSize extent = caption.IsEmpty() ? CSize(0, 0) : pDC->GetTextExtent(caption);
  if (!caption.IsEmpty() && extent.cx < width) {
    const int x = rect.left + (width - extent.cx) / 2, y = rect.top + (rect.Height() - extent.cy) / 2;
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldText = pDC->GetTextColor();
    const struct {
      CRect clip;
      COLORREF colour;
    } parts[] = {{barRect, rest}, {restRect, bar}};
    for (const auto& part : parts) {
      if (part.clip.IsRectEmpty()) continue;
      const int saved = pDC->SaveDC();
      pDC->IntersectClipRect(&part.clip);
      pDC->SetTextColor(part.colour);
      pDC->TextOut(x, y, caption);
      pDC->RestoreDC(saved);
    }
    pDC->SetTextColor(oldText);
    pDC->SetBkMode(oldMode);
  }
  if (oldFont) pDC->SelectObject(oldFont);
  // The bar is the background: the base must not paint over it.
  const BOOL erase = m_pGrid ? m_pGrid->m_bEraseCellBackground : FALSE;
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = FALSE;
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = erase;
}

BOOL CGXProgressCtrl::StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType,
                                     const CGXStyle* pOldStyle) {
  if (mode == 4 || !pStyle || !pStyle->GetIncludeValue())
    return CGXControl::StoreCellStyle(nRow, nCol, pStyle, mode, nType, pOldStyle);
  // Bounds from the style being stored, else from the cell's; a bound found in neither does not clamp.
  auto bound = [&](DWORD id, int32_t& out) {
    const CGXStyle* from = pStyle->HasUserAttribute(id) ? pStyle : pOldStyle && pOldStyle->HasUserAttribute(id) ? pOldStyle : nullptr;
    if (from) out = GXAtol(from->GetUserAttribute(id));
    return from != nullptr;
  };
  int32_t upper = 0, lower = 0;
  const bool hasUpper = bound(kUpper, upper), hasLower = bound(kLower, lower);
  int32_t value = GXAtol(pStyle->GetValue()), clamped = value;
  if (hasUpper && clamped > upper) clamped = upper;
  if (hasLower && clamped < lower) clamped = lower;
  if (clamped == value) return CGXControl::StoreCellStyle(nRow, nCol, pStyle, mode, nType, pOldStyle);
  CGXStyle copy(*pStyle);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%ld", (long)clamped);
  copy.SetValue(buf);
  return CGXControl::StoreCellStyle(nRow, nCol, &copy, mode, nType, pOldStyle);
}
