// The record beam: button geometry and drawing, the label and number field with its edit, and the
// navigation requests, repeated while a button is held.
#include "grid/controls/GXRecordInfoBeam.h"

#include "grid/controls/GXBeamDrawing.h"
#include "grid/controls/GXBeamFrameWnd.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLocale.h"
#include "platform/core/Exception.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

// ---- the edit ------------------------------------------------------------------------------------------------

LRESULT CGXRecordInfoEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        if (m_pBeam) m_pBeam->Navigate(4);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == VK_RETURN) return 0;  // no new line in the number
      break;
    case WM_SETFOCUS: {
      const LRESULT r = CEdit::WindowProc(message, wParam, lParam);
      SetSel(0, -1);
      SendMessage(EM_SCROLLCARET);
      return r;
    }
    case WM_KILLFOCUS: {
      const LRESULT r = CEdit::WindowProc(message, wParam, lParam);
      // The beam shows the number again.
      if (m_pBeam) m_pBeam->Invalidate(FALSE);
      return r;
    }
    case WM_GETDLGCODE: return CEdit::WindowProc(message, wParam, lParam) | DLGC_WANTALLKEYS;
    default: break;
  }
  return CEdit::WindowProc(message, wParam, lParam);
}

// ---- the beam ------------------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CGXRecordInfoBeam, CWnd)

CGXRecordInfoBeam::CGXRecordInfoBeam() {
  m_nHeight = m_nButtonWidth = ::GetSystemMetrics(SM_CYHSCROLL);
  m_hCursor = ::LoadCursor(nullptr, IDC_ARROW);
}

CGXRecordInfoBeam::~CGXRecordInfoBeam() {
  if (m_pEdit && m_pEdit->GetSafeHwnd()) m_pEdit->DestroyWindow();
  delete m_pEdit;
}

BOOL CGXRecordInfoBeam::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!CWnd::Create("GXNDBLCLKSWND", nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID)) return FALSE;
  CreateFontAndField();
  SetWindowPos(nullptr, 0, 0, 1, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ReadColors();
  return TRUE;
}

void CGXRecordInfoBeam::CreateFontAndField() {
  GXCreateBeamFont(m_font, m_nHeight, 400);
  m_rectField = CRect(2 * m_nButtonWidth + 1, 0, m_nFieldWidth * m_nHeight + 1, m_nHeight);
  if (m_pEdit && m_pEdit->GetSafeHwnd()) m_pEdit->SetFont(&m_font);
}

void CGXRecordInfoBeam::ReadColors() {
  m_clrText = ::GetSysColor(COLOR_WINDOWTEXT);
  m_clrField = ::GetSysColor(COLOR_WINDOW);
  m_clrFace = ::GetSysColor(COLOR_BTNFACE);
  m_brField.DeleteObject();
  m_brField.CreateSolidBrush(m_clrField);
}

int CGXRecordInfoBeam::GetContentWidth() const { return m_nFieldWidth * m_nHeight + 2 * m_nButtonWidth; }

CString CGXRecordInfoBeam::GetRecordText() const {
  CString text;
  text.Format("%ld", m_nCurrentRecord);
  return text;
}

CRect CGXRecordInfoBeam::GetButtonRect(int nButton) const {
  int x = nButton * m_nButtonWidth;
  if (nButton >= 2) x += 1 + m_rectField.Width();
  return CRect(x, 0, x + m_nButtonWidth, m_nHeight);
}

int CGXRecordInfoBeam::ButtonFromPoint(int x, int y, int nRequired) const {
  if (y < 0 || y > m_nHeight || m_rectField.PtInRect(CPoint(x, y)) || x < 0 || x >= 2 * m_nButtonWidth + m_rectField.right)
    return -1;
  int button = x / m_nButtonWidth;
  if (button >= 2) button = (x - m_rectField.right - 1) / m_nButtonWidth + 2;
  if (button > 3 || (button <= 1 ? IsFirstRecord() : IsLastRecord())) return -1;
  return nRequired == -1 || nRequired == button ? button : -1;
}

void CGXRecordInfoBeam::Navigate(int nAction) {
  LONG number = 0;
  if (nAction == 4 && m_pEdit && m_pEdit->GetSafeHwnd()) {
    CString text;
    m_pEdit->GetWindowText(text);
    // A number past the record word's range means its end, not what is left of its low bits.
    const long long typed = std::strtoll(text, nullptr, 10);
    number = (LONG)std::clamp<long long>(typed, INT32_MIN, INT32_MAX);
  }
  CWnd* target = m_pNotifyWnd ? m_pNotifyWnd : GetParent();
  if (target) target->SendMessage(GX_WM_RECORD_NAVIGATE, (WPARAM)nAction, (LPARAM)number);
}

// ---- drawing -------------------------------------------------------------------------------------------------

void CGXRecordInfoBeam::DrawButton(CDC* pDC, int nButton, BOOL bPressed) {
  const CRect r = GetButtonRect(nButton);
  const BOOL enabled = nButton <= 1 ? !IsFirstRecord() : !IsLastRecord();
  GXDrawBeamButton(pDC, CRect(r.left, r.top, r.right, r.bottom - 1), nButton, bPressed, enabled);
  pDC->FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, RGB(0, 0, 0));
}

void CGXRecordInfoBeam::DrawButtons(CDC* pDC) {
  for (int i = 0; i < 4; ++i) DrawButton(pDC, i, i == m_nPressed && m_bPressedShown);
}

void CGXRecordInfoBeam::OnPaint() {
  CPaintDC dc(this);
  if (auto* frame = DYNAMIC_DOWNCAST(CGXBeamFrameWnd, GetParent())) frame->RepaintSharedRow(this);
  if (!m_font.m_hObject) CreateFontAndField();
  if (!m_brField.m_hObject) ReadColors();
  DrawButtons(&dc);
  const int saved = dc.SaveDC();
  dc.IntersectClipRect(&m_rectField);
  const CRect& f = m_rectField;
  dc.FillSolidRect(f.left, 0, f.Width(), 1, RGB(0, 0, 0));
  dc.FillSolidRect(f.left, 1, f.Width(), m_nHeight - 1, m_clrField);
  if (m_strLabel.IsEmpty()) m_strLabel.LoadString(52242);
  CFont* old = dc.SelectObject(&m_font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(m_clrText);
  const CSize t = dc.GetTextExtent("t", 1);
  CRect label(f.left + 4, 0, f.right, m_nHeight);
  const int down = (m_nHeight - t.cy + 1) / 2;
  if (down > 0) label.top += down;
  dc.DrawText(m_strLabel, &label, DT_SINGLELINE);
  CRect measured = label;
  dc.DrawText(m_strLabel, &measured, DT_SINGLELINE | DT_CALCRECT);
  const int labelEnd = measured.right;
  dc.FillSolidRect(labelEnd + 4, 1, 1, m_nHeight - 1, RGB(0, 0, 0));
  m_rectNumber = CRect(labelEnd + 8, measured.top, f.right, measured.bottom);
  if (!m_pEdit) {
    m_pEdit = new CGXRecordInfoEdit;
    m_pEdit->m_pBeam = this;
    if (m_pEdit->CWnd::Create("GXEDIT", nullptr, WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL, m_rectNumber, this,
                        GX_IDW_RECORD_EDIT))
      m_pEdit->SetFont(&m_font);
  }
  if (m_pEdit->GetSafeHwnd() && ::GetFocus() == m_pEdit->m_hWnd) {
    m_pEdit->MoveWindow(&m_rectNumber);
    m_pEdit->ShowWindow(SW_SHOW);
    dc.ExcludeClipRect(&m_rectNumber);
  } else {
    if (m_pEdit->GetSafeHwnd()) m_pEdit->MoveWindow(0, 0, 0, 0);
    CRect number = m_rectNumber;
    number.left += 3;
    dc.DrawText(GetRecordText(), &number, DT_SINGLELINE);
  }
  dc.SelectObject(old);
  dc.RestoreDC(saved);
}

HBRUSH CGXRecordInfoBeam::OnCtlColor(CDC* pDC, CWnd*, UINT) {
  pDC->SetBkColor(m_clrField);
  pDC->SetTextColor(m_clrText);
  return (HBRUSH)m_brField.m_hObject;
}

// ---- mouse ---------------------------------------------------------------------------------------------------

void CGXRecordInfoBeam::TrackButton(UINT nEndMessage) {
  m_bTracking = TRUE;
  GXTrackRepeat(this, nEndMessage, 400, [this](DWORD delay) {
    POINT pt{};
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    if (!m_rectNumber.PtInRect(pt)) ::SetCursor(m_hCursor);
    const BOOL over = ButtonFromPoint(pt.x, pt.y, m_nPressed) == m_nPressed;
    if (over != m_bPressedShown) {
      m_bPressedShown = over;
      CClientDC dc(this);
      DrawButtons(&dc);
    }
    if (over) Navigate(m_nPressed);
    return delay > 300 ? delay - 100 : delay > 100 ? delay - 20 : delay;
  });
  m_bTracking = FALSE;
}

void CGXRecordInfoBeam::OnLButtonDown(UINT, CPoint point) {
  const int button = ButtonFromPoint(point.x, point.y);
  if (button >= 0) {
    m_nPressed = button;
    m_bPressedShown = TRUE;
    {
      CClientDC dc(this);
      DrawButtons(&dc);
    }
    TrackButton(WM_LBUTTONUP);
    m_nPressed = -1;
    m_bPressedShown = FALSE;
    Navigate(button);
    Invalidate(FALSE);
    UpdateWindow();
    return;
  }
  if (m_pEdit && m_pEdit->GetSafeHwnd() && m_rectNumber.PtInRect(point)) {
    // The edit's focus selects the whole number; passing the press on would drop that selection.
    m_pEdit->SetWindowText(GetRecordText());
    m_pEdit->SetFocus();
    Invalidate(FALSE);
    UpdateWindow();
  }
}

void CGXRecordInfoBeam::OnMouseMove(UINT, CPoint point) {
  if (!m_rectNumber.PtInRect(point)) ::SetCursor(m_hCursor);
}

// ---- system changes ------------------------------------------------------------------------------------------

void CGXRecordInfoBeam::OnSysColorChange() {
  ReadColors();
  Invalidate(FALSE);
}

void CGXRecordInfoBeam::OnSettingChange(UINT, LPCSTR) {
  GXUpdateLocaleDateTimeSettings();
  const int height = ::GetSystemMetrics(SM_CYHSCROLL);
  if (height != m_nHeight) {
    m_nHeight = m_nButtonWidth = height;
    CreateFontAndField();
  }
  Invalidate(FALSE);
}
