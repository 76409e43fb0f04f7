#include "plot/ui/ColorCombo.h"

#include "platform/gdi/DC.h"
#include "plot/graph/ColorFactory.h"
#include "plot/graph/DotDC.h"

IMPLEMENT_DYNAMIC(CColorCombo, CComboBox)
IMPLEMENT_DYNAMIC(CPenStyleCombo, CComboBox)

void CColorCombo::LoadDefColors() {
  for (int i = 0; i < CColorFactory::crCount; ++i) AddString(reinterpret_cast<LPCSTR>((DWORD_PTR)CColorFactory::colorTable[i]));
}

void CColorCombo::LoadScopeChannelColors() {
  for (int i = 0; i < CColorFactory::crCount; ++i)
    if (i != CColorFactory::crGrey && i != CColorFactory::crBlack)
      AddString(reinterpret_cast<LPCSTR>((DWORD_PTR)CColorFactory::colorTable[i]));
}

void CColorCombo::SelectColor(DWORD color) {
  for (int i = 0; i < GetCount(); ++i)
    if ((DWORD)GetItemData(i) == color) {
      SetCurSel(i);
      return;
    }
  SetCurSel(-1);
}

DWORD CColorCombo::GetSelectedColor() const {
  int sel = GetCurSel();
  return sel < 0 ? 0xFFFFFFFFu : (DWORD)GetItemData(sel);
}

CRect DrawComboItemFrame(CDC* dc, const DRAWITEMSTRUCT& dis) {
  CRect r(dis.rcItem);
  COLORREF hi = GetSysColor(COLOR_HIGHLIGHT);
  dc->FillSolidRect(&r, (dis.itemState & ODS_SELECTED) ? hi : GetSysColor(COLOR_WINDOW));
  CBrush frame(hi);
  dc->FrameRect(&r, &frame);
  r.DeflateRect(1, 1);
  if (dis.itemState & ODS_FOCUS) dc->DrawFocusRect(&r);
  r.DeflateRect(1, 1);
  return r;
}

void CColorCombo::DrawItem(LPDRAWITEMSTRUCT dis) {
  if ((int)dis->itemID < 0) return;
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect r = DrawComboItemFrame(dc, *dis);
  dc->FillSolidRect(&r, (COLORREF)dis->itemData);
  CBrush frame(GetSysColor(COLOR_HIGHLIGHT));
  dc->FrameRect(&r, &frame);
}

void CColorCombo::MeasureItem(LPMEASUREITEMSTRUCT mis) { mis->itemHeight = 16; }

void CColorCombo::PreSubclassWindow() {
  CComboBox::PreSubclassWindow();
  if (GetStyle() & CBS_OWNERDRAWFIXED) SendMessage(CB_SETITEMHEIGHT, 0, 16);
}

int CColorCombo::CompareItem(LPCOMPAREITEMSTRUCT cis) {
  COLORREF a = (COLORREF)cis->itemData1, b = (COLORREF)cis->itemData2;
  if (a == b) return 0;
  int sa = GetRValue(a) + GetGValue(a) + GetBValue(a), sb = GetRValue(b) + GetGValue(b) + GetBValue(b);
  if (sa != sb) return sa < sb ? -1 : 1;
  if (GetBValue(a) <= GetBValue(b) && GetGValue(a) <= GetGValue(b)) return GetRValue(a) > GetRValue(b) ? -1 : 1;
  return -1;
}

void CPenStyleCombo::LoadDefStyle() {
  m_crSample = 0;
  m_nSampleWidth = 1;
  for (int i = 0; i < 5; ++i) AddString(reinterpret_cast<LPCSTR>((DWORD_PTR)i));
}

void CPenStyleCombo::SelectStyle(int style) { SetCurSel(style >= 0 && style <= 4 ? style : -1); }

int CPenStyleCombo::GetSelectedStyle() const {
  int sel = GetCurSel();
  return sel >= 0 && sel <= 4 ? sel : -1;
}

void CPenStyleCombo::DrawItem(LPDRAWITEMSTRUCT dis) {
  if ((int)dis->itemID < 0) return;
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect r = DrawComboItemFrame(dc, *dis);
  CBrush frame(GetSysColor(COLOR_HIGHLIGHT));
  dc->FrameRect(&r, &frame);
  r.DeflateRect(2, 2);
  COLORREF c = m_crSample == GetSysColor(COLOR_WINDOW) ? RGB(0, 0, 0) : m_crSample;
  int y = r.bottom - r.Height() / 2 - m_nSampleWidth / 2;
  CDotDC dot(dis->hDC, CDotDC::GetPattern((int)dis->itemID), m_nSampleWidth, c);
  dot.MoveTo(r.left, y);
  dot.LineTo(r.right, y);
}
