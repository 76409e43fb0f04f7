#include "monitor/gadgets/GadgetSimpleWnds.h"

#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/gadgets/ControlPanelBitItem.h"
#include "monitor/gadgets/ControlPanelTextItem.h"
#include "monitor/gadgets/GadgetEditDialogs.h"
#include "platform/gdi/DC.h"
#include "platform/ui/ControlDefs.h"

IMPLEMENT_DYNCREATE(CGadgetBitWnd, CGadgetWnd)
IMPLEMENT_DYNCREATE(CGadgetTextWnd, CGadgetWnd)
IMPLEMENT_DYNCREATE(CGadgetCodeWnd, CGadgetWnd)

int ScreenPixelsPerInch() {
  CDC screen;
  screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  const int dpi = screen.GetDeviceCaps(LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

CControlPanelBitItem* CGadgetBitWnd::Item() const { return dynamic_cast<CControlPanelBitItem*>(m_pItem); }

void CGadgetBitWnd::SetSizeLimits(const CRect& t) {
  m_nMaxWidth = 2 * t.Width();
  m_nMinWidth = t.Width() / 4;
  m_nMinHeight = m_nMaxHeight = t.Height();
}

void CGadgetBitWnd::Layout() {
  CRect c;
  GetClientRect(&c);
  const int digitWidth = ChildRect(this, IDC_DIGIT).Width();
  const int left = c.Width() - 1 - digitWidth;
  MoveChild(this, IDC_DIGIT, left, 1, digitWidth, c.Height() - 2);
  MoveChild(this, IDC_CAPTION, 1, 1, left - 2, c.Height() - 2);
}

void CGadgetBitWnd::OnInitGadget() {
  SetChildText(this, IDC_DIGIT, "");
  SetChildText(this, IDC_CAPTION, "");
  Layout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetBitWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetBitWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetBitEditDlg, CControlPanelBitItem>(*this, true, false);
}

void CGadgetBitWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  CControlPanelBitItem* item = Item();
  SetChildText(this, IDC_CAPTION, item ? item->m_strTitle.GetString() : "");
}

void CGadgetBitWnd::ShowNothing() {
  SetChildText(this, IDC_DIGIT, "");
  m_nShownState = 255;
}

void CGadgetBitWnd::OnStart() {
  CGadgetWnd::OnStart();
  ShowNothing();
}

void CGadgetBitWnd::OnStop() {
  CGadgetWnd::OnStop();
  ShowNothing();
}

void CGadgetBitWnd::OnUpdateValues() {
  CControlPanelBitItem* item = Item();
  if (!item || item->m_bDisabled) {
    SetChildText(this, IDC_DIGIT, "");
    return;
  }
  if (item->m_nState == m_nShownState) return;
  m_nShownState = item->m_nState;
  CString text;
  text.Format("%hu", (unsigned short)m_nShownState);
  SetChildText(this, IDC_DIGIT, text);
}

HBRUSH CGadgetBitWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CGadgetWnd::OnCtlColor(pDC, pWnd, nCtlColor);
  CControlPanelBitItem* item = Item();
  if (item && pDC && pWnd && pWnd->GetDlgCtrlID() == IDC_DIGIT)
    pDC->SetTextColor(m_nShownState != 0 ? item->m_crColor1 : item->m_crColor0);
  return brush;
}

CControlPanelTextItem* CGadgetTextWnd::Item() const { return dynamic_cast<CControlPanelTextItem*>(m_pItem); }

void CGadgetTextWnd::Layout() {
  CRect c;
  GetClientRect(&c);
  MoveChild(this, IDC_TEXT, 1, 1, c.Width() - 2, c.Height() - 2);
}

void CGadgetTextWnd::OnInitGadget() {
  SetChildText(this, IDC_TEXT, "");
  Layout();
  CGadgetWnd::OnInitGadget();
  if (CWnd* text = GetDlgItem(IDC_TEXT)) text->EnableWindow(TRUE);
}

void CGadgetTextWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetTextWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetTextEditDlg, CControlPanelTextItem>(*this, false, false);
}

void CGadgetTextWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  m_font.DeleteObject();
  m_brBackground.DeleteObject();
  CControlPanelTextItem* item = Item();
  if (!item) {
    SetChildText(this, IDC_TEXT, "");
    return;
  }
  LOGFONT lf;
  item->GetLogFont(lf, ScreenPixelsPerInch());
  m_font.CreateFontIndirect(&lf);
  m_brBackground.CreateSolidBrush(item->m_crBackground);
  SetChildText(this, IDC_TEXT, item->m_strText);
  if (CWnd* text = GetDlgItem(IDC_TEXT)) text->SendMessage(WM_SETFONT, (WPARAM)(HFONT)m_font, TRUE);
}

HBRUSH CGadgetTextWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CGadgetWnd::OnCtlColor(pDC, pWnd, nCtlColor);
  CControlPanelTextItem* item = Item();
  if (!item || !pDC || nCtlColor != CTLCOLOR_STATIC) return brush;
  pDC->SetTextColor(item->m_crText);
  if (!item->m_bFilled) return brush;
  pDC->SetBkColor(item->m_crBackground);
  return m_brBackground;
}

CControlPanelCodeItem* CGadgetCodeWnd::Item() const { return dynamic_cast<CControlPanelCodeItem*>(m_pItem); }

void CGadgetCodeWnd::SetSizeLimits(const CRect&) { m_nMinWidth = m_nMinHeight = 10; }

void CGadgetCodeWnd::Layout() {
  CRect c;
  GetClientRect(&c);
  c.DeflateRect(2, 2);
  MoveChild(this, IDC_BUTTON, c.left, c.top, c.Width(), c.Height());
}

void CGadgetCodeWnd::EnableButton(BOOL enable) {
  if (CWnd* button = GetDlgItem(IDC_BUTTON)) button->EnableWindow(enable);
}

void CGadgetCodeWnd::OnInitGadget() {
  EnableButton(FALSE);
  Layout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetCodeWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetCodeWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetCodeEditDlg, CControlPanelCodeItem>(*this, true, false);
}

void CGadgetCodeWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  CControlPanelCodeItem* item = Item();
  EnableButton(item && !item->m_bDisabled && PanelsRunning(*this));
  // The caption shows the code as written: an ampersand of it must not make a letter its hot key.
  CString caption = item ? item->m_strCode : CString();
  caption.Replace("&", "&&");
  SetChildText(this, IDC_BUTTON, caption.GetString());
}

void CGadgetCodeWnd::SendCode() {
  CControlPanelCodeItem* item = Item();
  CMC_Document* doc = GetDocument();
  if (!item || item->m_bDisabled || !doc || !doc->GetSetup() || !PanelsRunning(*this)) return;
  if (SendGadgetCode(*this, item->m_strCode, 0, TRUE)) return;
  item->m_bDisabled = 1;
  EnableButton(FALSE);
}

BOOL CGadgetCodeWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_BUTTON && HIWORD(wParam) == BN_CLICKED) {
    SendCode();
    return TRUE;
  }
  return CGadgetWnd::OnCommand(wParam, lParam);
}
