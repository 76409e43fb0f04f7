#include "grid/controls/GXBDTGadget.h"

#include "grid/controls/GXBDateTimeCtrl.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/MessageBox.h"
#include "platform/core/SystemInfo.h"
#include "platform/ui/MessageQueue.h"

#include <map>

namespace {

// Thread timers of the gadgets by the layer's timer id.
std::map<UINT_PTR, CGXBDTGadget*>& TimerMap() {
  static std::map<UINT_PTR, CGXBDTGadget*> map;
  return map;
}

const UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_EXTERNALLEADING;

CSize Measure(CDC& dc, const CString& text) {
  CRect r(0, 0, 0, 0);
  dc.DrawText(text, &r, DT_CALCRECT | kTextFormat);
  return CSize(r.Width(), r.Height());
}

bool IsDigitKey(UINT vk) { return (vk >= '0' && vk <= '9') || (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9); }

// End, Home, Up or plus, Down or minus: the four keys every field answers.
int KeyAction(UINT vk) {
  switch (vk) {
    case VK_END: return CGXBDateTimeCtrl::Last;
    case VK_HOME: return CGXBDateTimeCtrl::First;
    case VK_UP:
    case VK_ADD: return CGXBDateTimeCtrl::StepUp;
    case VK_DOWN:
    case VK_SUBTRACT: return CGXBDateTimeCtrl::StepDown;
    default: return 0;
  }
}

}  // namespace

// ---- Base ----

BOOL CGXBDTGadget::SetFocus(BOOL bFocus) {
  if (!(m_nStyle & styleFocus)) return FALSE;
  if (!m_bFocus == !bFocus) return TRUE;
  m_bFocus = bFocus;
  Invalidate();
  return TRUE;
}

void CGXBDTGadget::Invalidate() {
  if (!m_pOwner->GetSafeHwnd()) return;
  CRect r = m_rect;
  if (!IsPinned()) r.OffsetRect(-m_pOwner->GetScrollOffset(), 0);
  m_pOwner->InvalidateRect(&r, TRUE);
}

void CGXBDTGadget::KillGadgetTimer() {
  auto& map = TimerMap();
  for (auto it = map.begin(); it != map.end(); ++it) {
    if (it->second == this) {
      ::KillTimer(nullptr, it->first);
      map.erase(it);
      return;
    }
  }
}

BOOL CGXBDTGadget::SetGadgetTimer(UINT nElapse) {
  KillGadgetTimer();
  UINT_PTR id = ::SetTimer(nullptr, 1, nElapse, &CGXBDTGadget::TimerProc);
  if (!id) return FALSE;
  TimerMap()[id] = this;
  return TRUE;
}

void CGXBDTGadget::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = TimerMap().find(id);
  if (it != TimerMap().end()) it->second->OnTimer();
}

size_t CGXBDTGadget::TimerCount() { return TimerMap().size(); }

BOOL CGXBDTGadget::Action(int nAction, int nNumber) { return m_pOwner->OnGadgetAction(nAction, m_nID, nNumber); }

void CGXBDTGadget::DrawCentred(CDC& dc, const CString& text) {
  CRect r = m_rect;
  if (m_bFocus) {
    GXGetSysColorCache().Refresh();
    dc.FillSolidRect(&r, ::GetSysColor(COLOR_HIGHLIGHT));
    COLORREF old = dc.SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
    COLORREF oldBk = dc.SetBkColor(::GetSysColor(COLOR_HIGHLIGHT));
    dc.DrawText(text, &r, DT_CENTER | kTextFormat);
    dc.SetBkColor(oldBk);
    dc.SetTextColor(old);
  } else {
    dc.DrawText(text, &r, DT_CENTER | kTextFormat);
  }
}

// ---- Literal text ----

void CGXBDTStaticGadget::CalcSize(CDC& dc) {
  CSize s = Measure(dc, m_strText);
  m_rect.SetRect(0, 0, s.cx, s.cy);
}

void CGXBDTStaticGadget::Draw(CDC& dc) {
  CRect r = m_rect;
  dc.DrawText(m_strText, &r, kTextFormat);
}

// ---- Numbers ----

void CGXBDTNumericGadget::CalcSize(CDC& dc) {
  CSize s = Measure(dc, CString("00000", m_nDigits));
  m_rect.SetRect(0, 0, s.cx, s.cy);
}

CString CGXBDTNumericGadget::GetText() const {
  CString s;
  int n = m_nTypedCount ? m_nTyped : m_nValue;
  if (m_bLeadingZeros && !m_nTypedCount) s.Format("%0*d", m_nDigits, n);
  else s.Format("%d", n);
  return s;
}

void CGXBDTNumericGadget::Draw(CDC& dc) { DrawCentred(dc, GetText()); }

BOOL CGXBDTNumericGadget::SetFocus(BOOL bFocus) {
  if (m_nTypedCount) CommitTyping();
  return CGXBDTGadget::SetFocus(bFocus);
}

BOOL CGXBDTNumericGadget::CommitTyping() {
  int n = m_nTyped;
  m_nTypedCount = 0;
  BOOL ok = Action(CGXBDateTimeCtrl::Test, n);
  if (ok) {
    m_nValue = n;
    Action(CGXBDateTimeCtrl::SetField, n);
  } else {
    ::MessageBeep((UINT)-1);
    Invalidate();
  }
  Action(CGXBDateTimeCtrl::Typing, 0);
  return ok;
}

void CGXBDTNumericGadget::OnKeyDown(UINT nChar) {
  if (!IsDigitKey(nChar) && m_nTypedCount && !CommitTyping()) return;
  if (int a = KeyAction(nChar)) Action(a, 0);
}

void CGXBDTNumericGadget::OnChar(UINT nChar) {
  if (nChar >= '0' && nChar <= '9') {
    if (!m_nTypedCount) {
      Action(CGXBDateTimeCtrl::Typing, 1);
      m_nTyped = 0;
    }
    // Typed zeros count as digits.
    m_nTyped = m_nTyped * 10 + (int)(nChar - '0');
    ++m_nTypedCount;
    if (m_nTypedCount >= m_nDigits) CommitTyping();
    Invalidate();
    if (m_pOwner->GetSafeHwnd()) m_pOwner->UpdateWindow();
  } else if (m_nTypedCount) {
    ::MessageBeep((UINT)-1);
    m_nTypedCount = 0;
    Invalidate();
    Action(CGXBDateTimeCtrl::Typing, 0);
  }
}

void CGXBDTNumericGadget::OnCancelMode() {
  if (m_nTypedCount) CommitTyping();
}

// ---- Name lists ----

CGXBDTListGadget::CGXBDTListGadget(CGXBDateTimeCtrl* pOwner, int nID, const CStringArray& entries)
    : CGXBDTGadget(pOwner, nID, styleFocus) {
  m_entries.Copy(entries);
}

CString CGXBDTListGadget::GetText() const {
  return m_nValue >= 0 && m_nValue < m_entries.GetSize() ? m_entries.GetAt(m_nValue) : CString();
}

void CGXBDTListGadget::CalcSize(CDC& dc) {
  CSize best(0, 0);
  for (INT_PTR i = 0; i < m_entries.GetSize(); ++i) {
    CSize s = Measure(dc, m_entries.GetAt(i));
    best.cx = std::max(best.cx, s.cx);
    best.cy = std::max(best.cy, s.cy);
  }
  if (best.cy == 0) best.cy = Measure(dc, "0").cy;
  m_rect.SetRect(0, 0, best.cx, best.cy);
}

void CGXBDTListGadget::Draw(CDC& dc) { DrawCentred(dc, GetText()); }

void CGXBDTListGadget::StopTimer() {
  if (m_bTimer) KillGadgetTimer();
  m_bTimer = FALSE;
}

BOOL CGXBDTListGadget::SetFocus(BOOL bFocus) {
  StopTimer();
  m_strTyped.Empty();
  return CGXBDTGadget::SetFocus(bFocus);
}

// A letter's own key-down comes before its character and keeps the typed-ahead text; a key that
// steps the field starts the typing anew.
void CGXBDTListGadget::OnKeyDown(UINT nChar) {
  const int a = KeyAction(nChar);
  if (!a) return;
  StopTimer();
  m_strTyped.Empty();
  Action(a, 0);
}

void CGXBDTListGadget::OnTimer() {
  StopTimer();
  m_strTyped.Empty();
}

int CGXBDTListGadget::FindMatch(const CString& text, int nStart) {
  int n = (int)m_entries.GetSize();
  if (n == 0 || text.IsEmpty()) return -1;
  if (nStart < 0 || nStart >= n) nStart = 0;
  for (int k = 0; k < n; ++k) {
    int i = (nStart + k) % n;
    const CString& e = m_entries.GetAt(i);
    if (e.GetLength() < text.GetLength() || e.Left(text.GetLength()).CompareNoCase(text) != 0) continue;
    if (!Action(CGXBDateTimeCtrl::Test, i)) continue;
    Action(CGXBDateTimeCtrl::SetField, i);
    return i;
  }
  return -1;
}

void CGXBDTListGadget::OnChar(UINT nChar) {
  size_t len = strlen(m_pending);
  if (len < 2) m_pending[len] = (char)nChar;
  if (len == 0 && ::IsDBCSLeadByte((BYTE)nChar)) return;  // wait for the trail byte
  CString c(m_pending);
  memset(m_pending, 0, sizeof m_pending);
  if (m_strTyped.IsEmpty()) {
    if (FindMatch(c, m_nValue + 1) < 0) {
      ::MessageBeep((UINT)-1);
      return;
    }
    Invalidate();
    m_strTyped = c;
    m_bTimer = SetGadgetTimer(2000);
  } else if (m_strTyped.GetLength() == c.GetLength() && m_strTyped.CompareNoCase(c) == 0) {
    FindMatch(m_strTyped, m_nValue + 1);
    Invalidate();
    m_bTimer = SetGadgetTimer(2000);
  } else {
    m_strTyped += c;
    if (FindMatch(m_strTyped, m_nValue) < 0) {
      StopTimer();
      ::MessageBeep((UINT)-1);
      m_strTyped.Empty();
      return;
    }
    Invalidate();
    m_bTimer = SetGadgetTimer(2000);
  }
}

// ---- Frames ----

void GXBDrawButtonFrame(CDC& dc, const CRect& r, BOOL bPressed) {
  CGXSysColorCache& c = GXGetSysColorCache();
  CRect in = r;
  if (bPressed) {
    dc.Draw3dRect(&in, c.m_clrBtnShadow, c.m_clrBtnShadow);
    in.DeflateRect(1, 1);
    dc.Draw3dRect(&in, c.m_clrBtnFace, c.m_clrBtnFace);
  } else {
    dc.Draw3dRect(&in, c.m_clrBtnFace, c.m_clrWindowFrame);
    in.DeflateRect(1, 1);
    dc.Draw3dRect(&in, c.m_clrBtnHilite, c.m_clrBtnShadow);
  }
  in.DeflateRect(1, 1);
  dc.FillSolidRect(&in, c.m_clrBtnFace);
}

// A filled arrow of a = min(inner height / 4 + 1, 4) rows centred in a framed button, one pixel
// right and down when pressed; a single pixel when a is below 2.
static void DrawArrow(CDC& dc, const CRect& r, bool down, bool pressed) {
  int a = std::min((r.Height() - 4) / 4 + 1, 4);
  int cx = r.left + r.Width() / 2 + (pressed ? 1 : 0);
  int cy = r.top + r.Height() / 2 + (pressed ? 1 : 0);
  if (a < 2) {
    dc.SetPixel(cx, cy, RGB(0, 0, 0));
    return;
  }
  for (int i = 0; i < a; ++i) {
    int w = down ? 2 * (a - 1 - i) + 1 : 2 * i + 1;
    dc.FillSolidRect(cx - w / 2, cy - a / 2 + i, w, 1, RGB(0, 0, 0));
  }
}

// ---- Drop-down button ----

CGXBDTButtonGadget::CGXBDTButtonGadget(CGXBDateTimeCtrl* pOwner, int nID, UINT nBitmap)
    : CGXBDTGadget(pOwner, nID, styleMouse), m_nBitmap(nBitmap) {
  m_bitmap.LoadBitmap(nBitmap);
}

void CGXBDTButtonGadget::CalcSize(CDC&) { m_rect.SetRect(0, 0, 16, -1); }

void CGXBDTButtonGadget::Draw(CDC& dc) {
  BOOL pressed = (m_nState & 2) != 0;
  GXBDrawButtonFrame(dc, m_rect, pressed);
  // The library's resource 23240 is its pattern, not a button face: the arrow is drawn here.
  DrawArrow(dc, m_rect, true, pressed);
}

void CGXBDTButtonGadget::OnLButtonDown(UINT, CPoint) {
  m_nState |= 3;
  Invalidate();
  m_pOwner->SetCaptureGadget(this);
  m_pOwner->SetCapture();
}

void CGXBDTButtonGadget::OnMouseMove(UINT, CPoint pt) {
  if (!(m_nState & 1)) return;
  UINT pressed = m_rect.PtInRect(pt) ? 2u : 0u;
  if ((m_nState & 2) != pressed) {
    m_nState = (m_nState & ~2u) | pressed;
    Invalidate();
  }
}

void CGXBDTButtonGadget::OnLButtonUp(UINT, CPoint pt) {
  if (!(m_nState & 1)) return;
  m_nState &= ~1u;
  m_pOwner->SetCaptureGadget(nullptr);
  if (::GetCapture() == m_pOwner->GetSafeHwnd()) ::ReleaseCapture();
  if (m_nState & 2) {
    m_nState &= ~2u;
    Invalidate();
  }
  if (m_rect.PtInRect(pt)) Action(CGXBDateTimeCtrl::Pressed, 0);
}

void CGXBDTButtonGadget::OnCancelMode() {
  if (m_nState & 1) {
    m_pOwner->SetCaptureGadget(nullptr);
    if (::GetCapture() == m_pOwner->GetSafeHwnd()) ::ReleaseCapture();
  }
  if (m_nState & 2) Invalidate();
  m_nState = 0;
}

void CGXBDTButtonGadget::OnSysColorChange() {
  m_bitmap.DeleteObject();
  m_bitmap.LoadBitmap(m_nBitmap);
}

// ---- Spin ----

void CGXBDTSpinGadget::CalcSize(CDC&) { m_rect.SetRect(0, 0, 16, -1); }

void CGXBDTSpinGadget::Draw(CDC& dc) {
  dc.FillSolidRect(&m_rect, GXGetSysColorCache().m_clrBtnFace);
  int half = m_rect.Height() / 2;
  CRect up(m_rect.left, m_rect.top, m_rect.right, m_rect.top + half);
  CRect down(m_rect.left, m_rect.bottom - half, m_rect.right, m_rect.bottom);
  for (int k = 0; k < 2; ++k) {
    const CRect& r = k ? down : up;
    BOOL pressed = (m_nState & (1u << k)) != 0;
    GXBDrawButtonFrame(dc, r, pressed);
    DrawArrow(dc, r, k == 1, pressed);
  }
}

void CGXBDTSpinGadget::OnLButtonDown(UINT, CPoint pt) {
  if (!m_rect.PtInRect(pt)) return;
  bool lower = pt.y >= m_rect.top + m_rect.Height() / 2;
  m_nState = lower ? 0x2 | 0x8 : 0x1 | 0x4;
  Action(lower ? CGXBDateTimeCtrl::StepDownBy : CGXBDateTimeCtrl::StepUpBy, 1);
  Invalidate();
  m_pOwner->SetCaptureGadget(this);
  m_pOwner->SetCapture();
  if (SetGadgetTimer(500)) m_nState |= 0x30;
  m_nRepeat = 0;
}

void CGXBDTSpinGadget::OnTimer() {
  if (m_nState & 0x20) {
    SetGadgetTimer(100);
    m_nState &= ~0x20u;
  }
  ++m_nRepeat;
  int step = m_nRepeat < 21 ? 1 : m_nRepeat < 51 ? 2 : 5;
  Action((m_nState & 0x1) ? CGXBDateTimeCtrl::StepUpBy : CGXBDateTimeCtrl::StepDownBy, step);
}

void CGXBDTSpinGadget::OnMouseMove(UINT, CPoint pt) {
  if (!(m_nState & 0xC)) return;
  bool lower = (m_nState & 0x8) != 0;
  int mid = m_rect.top + m_rect.Height() / 2;
  bool over = m_rect.PtInRect(pt) && (lower ? pt.y >= mid : pt.y < mid);
  UINT bit = lower ? 0x2u : 0x1u;
  if (over == ((m_nState & bit) != 0)) return;
  m_nState = over ? (m_nState | bit) : (m_nState & ~bit);
  Invalidate();
  if (!over) {
    KillGadgetTimer();
    m_nState &= ~0x30u;
  } else if (!(m_nState & 0x10)) {
    if (SetGadgetTimer(100)) m_nState |= 0x10;
    m_nRepeat = 0;
  }
}

void CGXBDTSpinGadget::Release() {
  if (!(m_nState & 0xC)) return;
  m_pOwner->SetCaptureGadget(nullptr);
  if (::GetCapture() == m_pOwner->GetSafeHwnd()) ::ReleaseCapture();
  if (m_nState & 0x3) Invalidate();
  KillGadgetTimer();
  m_nState = 0;
}

void CGXBDTSpinGadget::OnLButtonUp(UINT, CPoint) { Release(); }

void CGXBDTSpinGadget::OnCancelMode() { Release(); }
