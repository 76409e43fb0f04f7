#include "grid/controls/GXTabbedComboBox.h"

#include "grid/engine/GXDIB.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/PackedDib.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

int Number(const CGXStyle& style, UINT id, int fallback) {
  return style.HasUserAttribute(id) ? std::atoi(style.GetUserAttribute(id)) : fallback;
}

int FieldCount(LPCTSTR pszLine) {
  int n = 1;
  for (const char* p = pszLine; p && *p; ++p) n += *p == '\t';
  return n;
}

// Selects the cell's font into the DC for the life of the scope.
struct CellFont {
  CellFont(CGXGridCore* grid, CDC* pDC, const CGXStyle& style) : dc(pDC) {
    old = GXSelectCellFont(grid, dc, style);
  }
  ~CellFont() {
    if (old) dc->SelectObject(old);
  }
  CDC* dc;
  CFont* old;
};

}  // namespace

// ---- shared layout --------------------------------------------------------------------------------------------

CString GXTabbedField(LPCTSTR pszLine, int nField) {
  char buffer[GXTabbedLayout::kMaxField + 1];
  GXGetTabbedField(pszLine, std::max(nField, 0), buffer, GXTabbedLayout::kMaxField);
  return CString(buffer);
}

HGLOBAL GXTabbedBitmap(LPCTSTR pszField) {
  if (!pszField || std::strncmp(pszField, "#BMP(", 5) != 0) return nullptr;
  return CGXDIBPool::GetPool()->GetDIB(pszField);
}

CSize GXTabbedBitmapSize(HGLOBAL hDIB) {
  const auto* header = hDIB ? static_cast<const BITMAPINFOHEADER*>(::GlobalLock(hDIB)) : nullptr;
  if (!header) return CSize(0, 0);
  int width, height;
  DibHeaderSize(*header, width, height);
  ::GlobalUnlock(hDIB);
  return CSize(width, height);
}

void GXTabbedLayout::ReadAttributes(const CGXStyle& style, BOOL bAll) {
  m_nKeyCol = std::max(0, Number(style, 51028, 0));
  m_nTextCol = std::max(0, Number(style, 51029, 0));
  m_bDisplayTitleRow = Number(style, 51031, 0) != 0;
  if (!bAll) return;
  m_bShowAllCols = Number(style, 51030, 1) != 0;
  m_strColWidths = style.HasUserAttribute(51032) ? style.GetUserAttribute(51032) : CString();
  m_nSortCol = Number(style, 51033, -1);
}

int GXTabbedLayout::Find(const CGXStyle& style, LPCTSTR pszText, int nField, BOOL bExact, CString& line) const {
  line.Empty();
  if (!style.GetIncludeChoiceList()) return -1;
  return GXFindChoiceListEntry(pszText, nField, style.GetChoiceList(), m_bDisplayTitleRow, line, bExact);
}

CString GXTabbedLayout::RowText(const CString& line) const {
  return m_nTextCol > 0 ? GXTabbedField(line, m_nTextCol) + "\t" + line : line;
}

void GXTabbedLayout::SetWidths(const int maxima[kMaxCols]) {
  int widths[kMaxCols] = {};
  int measured = 0;
  const char* scan = m_strColWidths;
  m_nTotalWidth = 0;
  for (int i = 0; i < kMaxCols && maxima[i] != -1; ++i, ++measured) {
    if (std::isdigit((unsigned char)*scan)) {
      widths[i] = (int)std::min(std::strtol(scan, nullptr, 10), 32767L);
      while (std::isdigit((unsigned char)*scan)) ++scan;
      while (*scan && !std::isdigit((unsigned char)*scan)) ++scan;
    } else {
      widths[i] = m_bShowAllCols || i == m_nTextCol ? maxima[i] + 4 : 0;
    }
    m_nTotalWidth += widths[i];
  }
  m_nSepCount = std::max(0, measured - 1);
  m_anColPos.assign(kMaxCols, 0);
  for (int i = 0; i < kMaxCols; ++i) m_anColPos[(size_t)i] = (i ? m_anColPos[(size_t)i - 1] : 0) + widths[i];
  m_nTotalWidth += ::GetSystemMetrics(SM_CXVSCROLL);
}

void GXMeasureTabbedColumns(CDC* pDC, LPCTSTR pszLine, int maxima[GXTabbedLayout::kMaxCols]) {
  const int count = std::min(FieldCount(pszLine), (int)GXTabbedLayout::kMaxCols);
  for (int i = 0; i < count; ++i) {
    const CString field = GXTabbedField(pszLine, i);
    const HGLOBAL bitmap = GXTabbedBitmap(field);
    const int width = bitmap ? GXTabbedBitmapSize(bitmap).cx : pDC ? (int)pDC->GetTextExtent(field).cx : 0;
    maxima[i] = std::max(maxima[i], width);
  }
}

void GXDrawTabbedRow(CDC* pDC, const DRAWITEMSTRUCT* pDIS, LPCTSTR pszRow, const GXTabbedLayout& layout,
                     BOOL bSingleColumn) {
  if (!pDC || !pDIS || pDIS->itemID == (UINT)-1) return;
  const CRect row(pDIS->rcItem);
  if (pDIS->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    const BOOL selected = (pDIS->itemState & ODS_SELECTED) != 0;
    const CGXSysColorCache& colors = GXGetSysColorCache();
    const COLORREF back = selected ? colors.GetColor(COLOR_HIGHLIGHT) : layout.m_rgbBack;
    const COLORREF text = selected ? colors.GetColor(COLOR_HIGHLIGHTTEXT) : layout.m_rgbText;
    GXFillRect(pDC, &row, back);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(text);
    auto drawField = [&](const CString& field, const CRect& rect) {
      if (rect.Width() <= 0) return;
      if (HGLOBAL bitmap = GXTabbedBitmap(field)) {
        CGXDIB::Draw(pDC, bitmap, rect, 0, 0);
        return;
      }
      CRect r = rect;
      pDC->DrawText(field, field.GetLength(), &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    };
    if (!layout.m_bShowAllCols || bSingleColumn) {
      drawField(GXTabbedField(pszRow, 0), row);
    } else {
      const int skip = layout.m_nTextCol > 0 ? 1 : 0;
      const std::vector<int>& pos = layout.m_anColPos;
      for (int i = 0; i < layout.m_nSepCount && i < (int)pos.size(); ++i) {
        const CRect line(row.left - 2 + pos[(size_t)i], row.top, row.left - 1 + pos[(size_t)i], row.bottom);
        GXFillRect(pDC, &line, layout.m_rgbGridLine);
      }
      for (int i = 0; i <= layout.m_nSepCount; ++i) {
        const int left = i == 0 ? row.left : row.left + pos[(size_t)i - 1];
        const int right = i < layout.m_nSepCount ? row.left + pos[(size_t)i] : row.right;
        drawField(GXTabbedField(pszRow, i + skip), CRect(left, row.top, right, row.bottom));
      }
    }
  }
  if (pDIS->itemAction & ODA_FOCUS) pDC->DrawFocusRect(&row);
}

int GXMeasureTabbedRowHeight(LPCTSTR pszRow, const GXTabbedLayout& layout, int nProposed) {
  const int first = layout.m_bShowAllCols && layout.m_nTextCol > 0 ? 1 : 0;
  const int last = layout.m_bShowAllCols ? std::min(FieldCount(pszRow), first + GXTabbedLayout::kMaxCols) : 1;
  int height = nProposed;
  for (int i = layout.m_bShowAllCols ? first : 0; i < last; ++i)
    if (HGLOBAL bitmap = GXTabbedBitmap(GXTabbedField(pszRow, i)))
      height = std::max(height, (int)GXTabbedBitmapSize(bitmap).cy);
  return height;
}

BOOL GXTabbedDisplayText(const CGXStyle& style, LPCTSTR pszValue, CString& text) {
  if (!pszValue && !style.GetIncludeValue()) return FALSE;
  GXTabbedLayout layout;
  layout.ReadAttributes(style, FALSE);
  CString line;
  if (layout.Find(style, pszValue ? CString(pszValue) : style.GetValue(), layout.m_nKeyCol, TRUE, line) < 0) return FALSE;
  text = GXTabbedField(line, layout.m_nTextCol);
  return TRUE;
}

// The column comes from the copy itself: a copy fetched again for a later binding is sorted again.
void GXSortTabbedStyle(CGXStyle& style, const GXTabbedLayout& layout) {
  const int column = Number(style, 51033, -1);
  if (column < 0 || !style.GetIncludeChoiceList()) return;
  CString list = style.GetChoiceList();
  GXSortChoiceList(list, column, layout.m_bDisplayTitleRow);
  style.SetChoiceList(list);
  style.SetUserAttribute(51033, "-1");
}

void GXFillTabbedList(CGXGridCore* pGrid, const CGXStyle& style, GXTabbedLayout& layout, CString& title,
                      const std::function<void(const CString&)>& add) {
  int maxima[GXTabbedLayout::kMaxCols];
  std::fill(std::begin(maxima), std::end(maxima), -1);
  title.Empty();
  layout.m_nTotalWidth = 0;
  CString list = style.GetIncludeChoiceList() ? style.GetChoiceList() : CString(), line;
  if (pGrid && pGrid->m_pGridWnd) {
    CClientDC dc(pGrid->m_pGridWnd);
    CellFont font(pGrid, &dc, style);
    for (CString rest = list; !rest.IsEmpty();) {
      GXSplitFirstLine(rest, line);
      GXMeasureTabbedColumns(&dc, line, maxima);
    }
  }
  for (bool first = true; !list.IsEmpty(); first = false) {
    GXSplitFirstLine(list, line);
    if (first && layout.m_bDisplayTitleRow)
      title = layout.RowText(line);
    else
      add(layout.RowText(line));
  }
  layout.SetWidths(maxima);
}

CSize GXTabbedContentSize(CGXGridCore* pGrid, CDC* pDC, const CGXStyle& style, BOOL bFill) {
  if (!pDC) return CSize(0, 0);
  CellFont font(pGrid, pDC, style);
  TEXTMETRIC tm{};
  pDC->GetTextMetrics(&tm);
  CSize size(0, tm.tmHeight + 1 + tm.tmExternalLeading);
  if (!bFill || !style.GetIncludeChoiceList()) return size;
  GXTabbedLayout layout;
  layout.ReadAttributes(style, FALSE);
  CString list = style.GetChoiceList(), line;
  if (layout.m_bDisplayTitleRow) GXSplitFirstLine(list, line);
  while (!list.IsEmpty()) {
    GXSplitFirstLine(list, line);
    const CString field = GXTabbedField(line, layout.m_nTextCol);
    const HGLOBAL bitmap = GXTabbedBitmap(field);
    const CSize extent = bitmap ? GXTabbedBitmapSize(bitmap) : pDC->GetTextExtent(field);
    size.cx = std::max(size.cx, extent.cx);
    size.cy = std::max(size.cy, extent.cy);
  }
  return size;
}

BOOL GXDrawTabbedBitmapCell(CGXControl* pControl, CDC* pDC, const CRect& rect, ROWCOL nRow, ROWCOL nCol,
                            const CGXStyle& style, const CGXStyle* pStandard) {
  CString text;
  const HGLOBAL bitmap =
      pControl->GetDisplayText(text, nRow, nCol, nullptr, &style) ? GXTabbedBitmap(text) : nullptr;
  if (!bitmap || !pDC) return FALSE;
  pControl->DrawBackground(pDC, rect, style);
  CRect inner;
  pControl->GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  const UINT h = style.GetIncludeHorizontalAlignment() ? style.GetHorizontalAlignment() : 0;
  const UINT v = style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0;
  const UINT flags = (h == DT_CENTER ? 1 : h == DT_RIGHT ? 2 : 0) | (v == DT_VCENTER ? 4 : v == DT_BOTTOM ? 8 : 0);
  CGXDIB::Draw(pDC, bitmap, inner, 0, flags);
  pControl->CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  return TRUE;
}

// ---- title strip ---------------------------------------------------------------------------------------------

BOOL CGXTabbedLBoxHeader::CreateHeader() {
  if (m_hWnd) return TRUE;
  // A top-level tool window: the layer makes no child windows of the desktop.
  return CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 0, 0), nullptr, 0);
}

int CGXTabbedLBoxHeader::Prepare(const GXTabbedLayout& layout, CFont* pFont) {
  m_bShowAllCols = layout.m_bShowAllCols;
  m_nTextCol = layout.m_nTextCol;
  m_nSepCount = layout.m_nSepCount;
  m_pColPos = &layout.m_anColPos;
  m_pFont = pFont;
  m_nRowHeight = layout.m_nListRowHeight;
  return GetHeaderHeight();
}

int CGXTabbedLBoxHeader::GetHeaderHeight() const {
  int height = m_nRowHeight;
  const int count = FieldCount(m_strTitle);
  for (int i = 0; i < count && i < GXTabbedLayout::kMaxCols; ++i)
    if (HGLOBAL bitmap = GXTabbedBitmap(GXTabbedField(m_strTitle, i)))
      height = std::max(height, (int)GXTabbedBitmapSize(bitmap).cy);
  return height + 4;
}

void CGXTabbedLBoxHeader::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  const CGXSysColorCache& colors = GXGetSysColorCache();
  GXFillRect(&dc, &client, colors.GetColor(COLOR_BTNFACE));
  CFont* old = m_pFont && m_pFont->m_hObject ? dc.SelectObject(m_pFont) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(colors.GetColor(COLOR_BTNTEXT));
  CString titles = m_strTitle;
  if (m_bShowAllCols && m_nTextCol > 0) {
    const int tab = titles.Find('\t');
    titles = tab < 0 ? CString() : titles.Mid(tab + 1);
  }
  const int cells = m_bShowAllCols ? m_nSepCount + 1 : 1;
  int left = client.left;
  for (int i = 0; i < cells; ++i) {
    const bool positioned = m_bShowAllCols && i < m_nSepCount && m_pColPos && i < (int)m_pColPos->size();
    const int right = positioned ? (*m_pColPos)[(size_t)i] - 1 : client.right;
    CRect cell(left, client.top, right, client.bottom);
    left = right + 1;
    if (cell.Width() <= 0) continue;
    dc.DrawEdge(&cell, BDR_RAISEDINNER, BF_RECT);
    const CString title = GXTabbedField(titles, i);
    if (HGLOBAL bitmap = GXTabbedBitmap(title)) {
      CRect inner = cell;
      inner.DeflateRect(1, 1);
      CGXDIB::Draw(&dc, bitmap, inner, 0, 0);
    } else {
      dc.DrawText(title, title.GetLength(), &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
  if (old) dc.SelectObject(old);
}

// ---- list ---------------------------------------------------------------------------------------------------

CGXTabbedComboLBox::CGXTabbedComboLBox(CGXTabbedComboBox* pOwner) : CGXComboListBox(pOwner), m_pTabbed(pOwner) {}

void CGXTabbedComboLBox::ResetTracking() {
  m_bKeyDown = m_bMouseDown = FALSE;
  m_nRepeat = 0;
}

void CGXTabbedComboLBox::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  if (!lpDIS || lpDIS->itemID == (UINT)-1 || !m_pTabbed) return;
  CString row;
  GetText((int)lpDIS->itemID, row);
  GXDrawTabbedRow(CDC::FromHandle(lpDIS->hDC), lpDIS, row, m_pTabbed->m_layout, FALSE);
}

void CGXTabbedComboLBox::MeasureItem(LPMEASUREITEMSTRUCT lpMIS) {
  if (!lpMIS || !m_pTabbed || !m_hWnd || (int)lpMIS->itemID >= GetCount()) return;
  CString row;
  GetText((int)lpMIS->itemID, row);
  lpMIS->itemHeight = (UINT)GXMeasureTabbedRowHeight(row, m_pTabbed->m_layout, (int)lpMIS->itemHeight);
}

// ---- the cell ---------------------------------------------------------------------------------------------------

CGXTabbedComboBox::CGXTabbedComboBox(CGXGridCore* pGrid, UINT nEditID, UINT nListBoxID)
    : CGXComboBox(pGrid, nEditID, nListBoxID, 2), m_pHeader(new CGXTabbedLBoxHeader) {}

CGXTabbedComboBox::~CGXTabbedComboBox() {
  if (m_pDropDownWnd == m_pFrame) m_pDropDownWnd = nullptr;
  if (m_pFrame) {
    GXDropDownLockScope lock;
    m_pFrame->DestroyWindow();
    delete m_pFrame;  // and the list it hosts
  }
  if (m_pHeader->GetSafeHwnd()) m_pHeader->DestroyWindow();
  delete m_pHeader;
}

void CGXTabbedComboBox::AddUserAttributes(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  CGXStyle check;
  check.SetControl(52523);
  pStylesMap->AddUserAttribute(51028);
  pStylesMap->AddUserAttribute(51029);
  pStylesMap->AddUserAttribute(51030, &check);
  pStylesMap->AddUserAttribute(51031, &check);
  pStylesMap->AddUserAttribute(51033);
}


CGXStyle& CGXTabbedComboBox::BoundStyle() {
  CGXStyle& style = GetCurrentStyle();
  GXSortTabbedStyle(style, m_layout);
  return style;
}

void CGXTabbedComboBox::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXComboBox::Init(nRow, nCol);
  m_bListFilled = FALSE;
  m_layout.ReadAttributes(GetCurrentStyle(), TRUE);
  const CGXStyle& style = BoundStyle();
  SetActiveText(style.GetIncludeValue() ? style.GetValue() : CString());
  SetModify(FALSE);
  if (m_hWnd) SetReadOnly(IsReadOnly());
}

BOOL CGXTabbedComboBox::GetDisplayText(CString& text, ROWCOL, ROWCOL, LPCTSTR pszValue, const CGXStyle* pStyle) {
  return pStyle && GXTabbedDisplayText(*pStyle, pszValue, text);
}

void CGXTabbedComboBox::SetActiveText(const CString& text) {
  if (!m_hWnd) return;
  if (!m_bInit) {
    SetWindowText(text);
    return;
  }
  CString line;
  const int index = m_layout.Find(BoundStyle(), text, m_layout.m_nKeyCol, TRUE, line);
  if (index < 0) {
    SetWindowText("");
    return;
  }
  SetWindowText(GXTabbedField(line, m_layout.m_nTextCol));
  SetSel(0, -1);
  SendMessage(EM_SCROLLCARET);
  if (m_bListFilled && m_pListBox && m_pListBox->m_hWnd) m_pListBox->SetCurSel(index);
}

BOOL CGXTabbedComboBox::GetValue(CString& text) {
  if (!m_bInit) return FALSE;
  CString shown;
  CGXEditControl::GetCurrentText(shown);
  text.Empty();
  if (shown.IsEmpty()) return TRUE;
  CString line;
  if (m_layout.Find(BoundStyle(), shown, m_layout.m_nTextCol, TRUE, line) < 0) return FALSE;
  text = GXTabbedField(line, m_layout.m_nKeyCol);
  return TRUE;
}

BOOL CGXTabbedComboBox::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  CGXStyle* owned = GXComposeIfNone(m_pGrid, nRow, nCol, pOldStyle);
  GXTabbedLayout layout;
  layout.ReadAttributes(*pOldStyle, FALSE);
  CString line;
  BOOL ok = layout.Find(*pOldStyle, pszText ? pszText : "", layout.m_nTextCol, TRUE, line) >= 0;
  if (ok) ok = CGXControl::StoreCellText(nRow, nCol, GXTabbedField(line, layout.m_nKeyCol), flags, pOldStyle);
  if (owned) m_pGrid->RecycleStyle(owned);
  return ok;
}

BOOL CGXTabbedComboBox::ValidateText(const CString& text) {
  if (text.IsEmpty() || !m_bFillWithChoiceList) return TRUE;
  CString line;
  return m_layout.Find(BoundStyle(), text, m_layout.m_nTextCol, FALSE, line) >= 0;
}

BOOL CGXTabbedComboBox::OnValidate() {
  CString value;
  if (IsActive() && GetModify() && !GetValue(value)) return FALSE;
  return CGXComboBox::OnValidate();
}

CSize CGXTabbedComboBox::CalcSize(CDC* pDC, ROWCOL, ROWCOL, const CGXStyle& style, const CGXStyle*, BOOL) {
  return GrowSizeByBorders(GXTabbedContentSize(m_pGrid, pDC, style, m_bFillWithChoiceList), style);
}

void CGXTabbedComboBox::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                             const CGXStyle* pStandard) {
  const bool onScreen = m_pGrid && !m_pGrid->m_bPrinting;
  if (onScreen && IsInitAt(nRow, nCol) && m_pGrid->IsCurrentCell(nRow, nCol))
    GXGetCellColors(m_pGrid, style, m_layout.m_rgbText, m_layout.m_rgbBack);
  if (onScreen && IsInitAt(nRow, nCol) && IsActive()) {
    if (pDC) {
      CellFont font(m_pGrid, pDC, style);
      TEXTMETRIC tm{};
      pDC->GetTextMetrics(&tm);
      m_layout.m_nListRowHeight = tm.tmHeight;
    }
    return CGXComboBox::Draw(pDC, rect, nRow, nCol, style, pStandard);
  }
  if (!GXDrawTabbedBitmapCell(this, pDC, rect, nRow, nCol, style, pStandard))
    CGXComboBox::Draw(pDC, rect, nRow, nCol, style, pStandard);
}

// ---- the list -----------------------------------------------------------------------------------------------

CGXGridCombo* CGXTabbedComboBox::CreateDropDownWnd(CWnd* pParent, const CRect& rect) {
  if (!m_pFrame) m_pFrame = new CGXGridCombo(pParent, this, rect);
  return m_pFrame;
}

CListBox* CGXTabbedComboBox::CreateListBox(CWnd* pPopup, UINT nID) {
  if (m_pListBox || !pPopup) return m_pListBox;
  m_pListBox = new CGXTabbedComboLBox(this);
  m_pListBox->CreateEx(0, "COMBOLBOX", "",
                       ListStyle() | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | WS_CHILD | WS_VISIBLE | WS_BORDER,
                       ListRect(pPopup), pPopup, nID);
  return m_pListBox;
}

void CGXTabbedComboBox::FillListBox(CListBox* pListBox) {
  if (!pListBox || m_bListFilled || !m_pGrid || !m_bInit || !m_pGrid->m_pGridWnd) return;
  const CGXStyle& style = BoundStyle();
  // The rows of the cell bound before go, even when this one lists nothing.
  pListBox->ResetContent();
  if (!m_bFillWithChoiceList || !style.GetIncludeChoiceList() || style.GetChoiceList().IsEmpty()) return;
  GXFillTabbedList(m_pGrid, style, m_layout, m_pHeader->m_strTitle,
                   [pListBox](const CString& row) { pListBox->AddString(row); });
  CString current, found;
  GetWindowText(current);
  pListBox->SetCurSel(current.IsEmpty() ? -1 : m_layout.Find(style, current, m_layout.m_nTextCol, TRUE, found));
  m_bListFilled = TRUE;
}

void CGXTabbedComboBox::GetDropDownRect(CRect& rect, const CRect& rectCell) {
  const int height = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_nDropDownHeight : 100;
  rect.SetRect(rectCell.left, rectCell.bottom, std::max<LONG>(rectCell.right, rectCell.left + m_layout.m_nTotalWidth),
               rectCell.bottom + height);
}

void CGXTabbedComboBox::ShowDropDown(BOOL bShow) {
  if (!bShow) {
    if (m_pDropDownWnd && m_hWnd) SendMessage(GX_WM_LISTBOX_CANCEL, 0, IsActive());
    return;
  }
  if (m_pDropDownWnd || !m_pGrid || !m_bInit || !m_pGrid->m_pGridWnd) return;
  m_pGrid->m_bDropDownOpen = TRUE;
  GXIgnoreFocusScope ignore(m_pGrid);
  CGXGridCombo* frame = CreateDropDownWnd(m_pGrid->m_pGridWnd, CRect(0, 0, 1, 1));
  CListBox* list = CreateListBox(frame, m_nListBoxID);
  frame->SetListBox(list);
  const CGXStyle& style = BoundStyle();
  SetListFont(style, list);
  COLORREF text = 0, back = 0;
  GXGetCellColors(m_pGrid, style, text, back);
  frame->SetColors(text, back);
  FillListBox(list);

  const CRect cellRect = m_pGrid->CalcRectFromRowCol(m_nRow, m_nCol);
  CRect cell;
  CGXStatic::GetCellInnerRect(cell, m_nRow, m_nCol, &cellRect, &style);
  CRect rect;
  GetDropDownRect(rect, cell);
  m_pGrid->m_pGridWnd->ClientToScreen(&rect);
  m_pGrid->m_pGridWnd->ClientToScreen(&cell);
  CRect desktop;
  ::GetClientRect(::GetDesktopWindow(), &desktop);
  const int needed = m_layout.m_nListRowHeight * list->GetCount() + list->GetItemHeight(0) / 2;
  if (needed < rect.Height()) rect.bottom = rect.top + needed;
  if (rect.right > desktop.right) rect.OffsetRect(-(rect.Width() - cell.Width()), 0);
  if (rect.bottom > desktop.bottom) rect.OffsetRect(0, -(rect.Height() + cell.Height()));

  GXDropDownLockScope lock;
  if (m_layout.m_bDisplayTitleRow && m_pHeader->CreateHeader()) {
    const int height = m_pHeader->Prepare(m_layout, m_font.m_hObject ? &m_font : nullptr);
    const bool below = rect.top >= cell.bottom;
    if (below && rect.bottom + height > desktop.bottom) rect.OffsetRect(0, -(rect.Height() + cell.Height()));
    CRect header(rect.left, rect.top - height, rect.right, rect.top);
    if (rect.top >= cell.bottom) {
      header.SetRect(rect.left, rect.top, rect.right, rect.top + height);
      rect.OffsetRect(0, height);
    }
    m_pHeader->SetWindowPos(&CWnd::wndTopMost, header.left, header.top, header.Width(), header.Height(),
                            SWP_SHOWWINDOW | SWP_NOACTIVATE);
    m_pHeader->Invalidate();
  }
  frame->SetWindowPos(&CWnd::wndTopMost, rect.left, rect.top, rect.Width(), rect.Height(), SWP_SHOWWINDOW);
  list->SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_SHOWWINDOW | SWP_NOZORDER);
  list->SetFocus();
  if (list->GetCurSel() < 0) list->SetCurSel(0);
  m_pDropDownWnd = frame;
}

void CGXTabbedComboBox::DestroyDropDownWnd(CGXGridCombo* pPopup) {
  if (!pPopup) return;
  // The hidden list must not keep the focus.
  if (m_pListBox && ::GetFocus() == m_pListBox->GetSafeHwnd() && m_pGrid && m_pGrid->m_pGridWnd) {
    GXIgnoreFocusScope ignore(m_pGrid);
    m_pGrid->m_pGridWnd->SetFocus();
  }
  pPopup->ShowWindow(SW_HIDE);
  if (m_pHeader->GetSafeHwnd() && m_pHeader->IsWindowVisible()) m_pHeader->ShowWindow(SW_HIDE);
  if (m_pListBox) m_pListBox->ResetTracking();
}

void CGXTabbedComboBox::ApplyListSelection(CListBox* pListBox) {
  const int sel = pListBox ? pListBox->GetCurSel() : -1;
  if (sel < 0 || !m_hWnd) return;
  CString row;
  pListBox->GetText(sel, row);
  SetActive(TRUE);
  SetWindowText(GXTabbedField(row, 0));
  SetModify(TRUE);
  OnModifyCell();
  if (m_bStaticLook)
    Refresh();
  else
    Invalidate();
}

// ---- typing -------------------------------------------------------------------------------------------------

void CGXTabbedComboBox::AutoComplete() {
  if (!m_bAutoComplete || !m_bFillWithChoiceList || !IsActive() || IsReadOnly() || !m_hWnd || !m_bInit) return;
  CString typed;
  GetWindowText(typed);
  if (typed.IsEmpty()) return;
  const CGXStyle& style = BoundStyle();
  CString line;
  if (m_layout.Find(style, typed, m_layout.m_nTextCol, TRUE, line) < 0 &&
      m_layout.Find(style, typed, m_layout.m_nTextCol, FALSE, line) < 0)
    return;
  SetWindowText(GXTabbedField(line, m_layout.m_nTextCol));
  SetModify(TRUE);
  SetSel(typed.GetLength(), -1);
  SendMessage(EM_SCROLLCARET);
}

void CGXTabbedComboBox::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar < 32 || IsReadOnly()) return CGXComboBox::OnChar(nChar, nRepCnt, nFlags);
  if (!IsActive() || !m_hWnd) {
    CGXComboBox::OnChar(nChar, nRepCnt, nFlags);
    return AutoComplete();
  }
  // The completed part goes first: a character that fits no entry then leaves what was typed,
  // which completes again to the same entry with the same part selected.
  CString before, cut, now;
  int from = 0, to = 0;
  GetWindowText(before);
  GetSel(from, to);
  const BOOL modified = GetModify();
  ReplaceSel("");
  GetWindowText(cut);
  CGXComboBox::OnChar(nChar, nRepCnt, nFlags);
  AutoComplete();
  GetWindowText(now);
  if (now != cut || !m_hWnd) return;
  // Refused and nothing completes: the character changes nothing.
  SetWindowText(before);
  SetSel(from, to);
  SetModify(modified);
}

BOOL CGXTabbedComboBox::DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const BOOL handled = CGXComboBox::DispatchKeyMessage(message, wParam, lParam);
  if (message == WM_CHAR && wParam >= 32) AutoComplete();
  return handled;
}
