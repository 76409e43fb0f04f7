// Arrow buttons, fonts, auto-repeat and child placement shared by the sheet-tab and record beams.
#include "grid/controls/GXBeamDrawing.h"

#include "platform/core/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <chrono>

void GXDrawBeamButton(CDC* pDC, const CRect& rect, int nIndex, BOOL bPressed, BOOL bEnabled) {
  if (!pDC || rect.IsRectEmpty()) return;
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE), shadow = ::GetSysColor(COLOR_BTNSHADOW),
                 hilite = ::GetSysColor(COLOR_BTNHIGHLIGHT), frame = ::GetSysColor(COLOR_WINDOWFRAME);
  const int l = rect.left, t = rect.top, w = rect.Width(), h = rect.Height();
  pDC->FillSolidRect(rect, face);
  if (bPressed) {
    // Pressed: a shadow ring inside the outer frame line.
    pDC->FillSolidRect(l, t, w, 1, frame);
    pDC->FillSolidRect(l, t, 1, h, frame);
    pDC->FillSolidRect(l + 1, t + 1, w - 1, 1, shadow);
    pDC->FillSolidRect(l + 1, t + 1, 1, h - 1, shadow);
  } else {
    // Raised: light top and left, dark bottom and right with a shadow inside.
    pDC->FillSolidRect(l, t, w, 1, hilite);
    pDC->FillSolidRect(l, t, 1, h, hilite);
    pDC->FillSolidRect(l, t + h - 1, w, 1, frame);
    pDC->FillSolidRect(l + w - 1, t, 1, h, frame);
    pDC->FillSolidRect(l + 1, t + h - 2, w - 2, 1, shadow);
    pDC->FillSolidRect(l + w - 2, t + 1, 1, h - 2, shadow);
  }
  const int tall = h >= 20 ? 9 : 7;
  const int columns = (tall + 1) / 2;  // 1, 3, 5, 7 (, 9) pixels high
  const bool bar = nIndex == 0 || nIndex == 3, left = nIndex <= 1;
  const int width = columns + (bar ? 3 : 0);
  const int shift = bPressed ? 1 : 0;
  const int x0 = l + (w - width) / 2 + shift, yMid = t + h / 2 + shift;
  const COLORREF ink = bEnabled ? RGB(0, 0, 0) : GX_BEAM_GREY_ARROW;
  // Column k (0 at the tip) is 2k + 1 pixels high.
  const int tipX = left ? x0 + (bar ? 3 : 0) : x0 + width - 1 - (bar ? 3 : 0);
  for (int k = 0; k < columns; ++k) {
    const int x = left ? tipX + k : tipX - k;
    pDC->FillSolidRect(x, yMid - k, 1, 2 * k + 1, ink);
  }
  if (bar) {
    const int barX = left ? x0 : x0 + width - 2;
    pDC->FillSolidRect(barX, yMid - tall / 2, 2, tall, ink);
  }
}

BOOL GXCreateBeamFont(CFont& font, int nBeamHeight, int nWeight) {
  font.DeleteObject();
  return font.CreateFont(nBeamHeight - 2, 0, 0, 0, nWeight, 0, 0, 0, ANSI_CHARSET, 0, 18, 0, FF_SWISS, "Arial");
}

void GXTrackRepeat(CWnd* pWnd, UINT nEndMessage, DWORD nFirstDelay, const std::function<DWORD(DWORD)>& onRepeat) {
  const HWND hwnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
  if (!hwnd) return;
  ::SetCapture(hwnd);
  DWORD last = ::GetTickCount(), delay = nFirstDelay;
  // Under a test's clock only the test can let go of the button: a loop left waiting ends.
  auto heard = std::chrono::steady_clock::now();
  for (;;) {
    MSG msg;
    if (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      heard = std::chrono::steady_clock::now();
      if (msg.message == nEndMessage) break;
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage((int)msg.wParam);
        break;
      }
      if (msg.message == WM_MOUSEMOVE) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessage(&msg);
      continue;
    }
    if (!::IsWindow(hwnd) || ::GetCapture() != hwnd) break;
    if (Clock::IsVirtual() &&
        std::chrono::steady_clock::now() - heard > std::chrono::milliseconds(UiAutomation::GetModalStallTimeout())) {
      UiAutomation::ModalLoopStalled(pWnd);
      break;
    }
    const DWORD passed = ::GetTickCount() - last;
    if (passed >= delay) {
      last = ::GetTickCount();
      delay = onRepeat(delay);
      continue;
    }
    // Wakes at the due time at the latest; input is looked at every 10 ms.
    ::Sleep(std::min<DWORD>(delay - passed, 10));
  }
  if (::IsWindow(hwnd) && ::GetCapture() == hwnd) ::ReleaseCapture();
}

HDWP GXDeferWindowPlacement(HDWP hdwp, CWnd* pWnd, const CRect& rect, BOOL bScrollBar) {
  if (!pWnd || !pWnd->GetSafeHwnd()) return hdwp;
  const CRect target(rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1);
  if (bScrollBar) {
    const bool thin = rect.Width() < 2 || rect.Height() < 2;
    pWnd->ModifyStyle(thin ? 0 : WS_BORDER, thin ? WS_BORDER : 0);
  }
  CRect now;
  pWnd->GetWindowRect(&now);
  if (CWnd* parent = pWnd->GetParent()) parent->ScreenToClient(&now);
  if (now == target) return hdwp;
  return ::DeferWindowPos(hdwp, pWnd->m_hWnd, nullptr, target.left, target.top, target.Width(), target.Height(),
                          SWP_NOZORDER | SWP_NOACTIVATE);
}
