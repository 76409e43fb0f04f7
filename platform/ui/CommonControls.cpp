// The scroll-bar control and the common controls: slider, spin, progress bar and tooltip.
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/NativeControls.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ui {
namespace {


// ---- Scroll bar ------------------------------------------------------------------------------
class ScrollCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  int m_min = 0, m_max = 100, m_pos = 0, m_track = 0;
  UINT m_page = 0;
  UINT m_arrows = ESB_ENABLE_BOTH;
  bool m_dragging = false;
  int m_dragOffset = 0;

  bool Vert() const { return (Style() & SBS_VERT) != 0; }
  UINT ScrollMsg() const { return Vert() ? WM_VSCROLL : WM_HSCROLL; }
  int MaxPos() const { return std::max(m_min, m_max - (m_page ? (int)m_page - 1 : 0)); }
  void Send(UINT code, int pos = 0) {
    ::SendMessage(Parent(), ScrollMsg(), MAKEWPARAM(code, (WORD)pos), (LPARAM)m_hwnd);
  }
  int Length() const {
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    return Vert() ? c.Height() : c.Width();
  }
  int Breadth() const {
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    return Vert() ? c.Width() : c.Height();
  }
  ScrollBarLook Look() const {
    const bool dis = (Style() & WS_DISABLED) != 0;
    return {m_min, m_max, m_page, m_pos, dis ? (UINT)ESB_DISABLE_BOTH : m_arrows, !dis && m_max > m_min};
  }
  void Thumb(int& start, int& size) const { ScrollThumb(Length(), Breadth(), Look(), start, size); }
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_PAINT: {
        ControlPaint p(m_hwnd, wp);
        CDC& dc = p.dc();
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        DrawScrollBar(dc, c, Vert(), Look());
        return 0;
      }
      case WM_ERASEBKGND: return TRUE;
      case SBM_SETPOS: {
        int old = m_pos;
        m_pos = std::clamp((int)wp, m_min, MaxPos());
        if (lp) Redraw();
        return old;
      }
      case SBM_GETPOS: return m_pos;
      case SBM_SETRANGE:
      case SBM_SETRANGEREDRAW:
        m_min = (int)wp;
        m_max = (int)lp;
        m_pos = std::clamp(m_pos, m_min, MaxPos());
        Redraw();
        return m_pos;
      case SBM_GETRANGE:
        if (wp) *(int*)wp = m_min;
        if (lp) *(int*)lp = m_max;
        return 0;
      case SBM_ENABLE_ARROWS: m_arrows = (UINT)wp; Redraw(); return TRUE;
      case SBM_SETSCROLLINFO: {
        auto* si = (SCROLLINFO*)lp;
        if (!si) return m_pos;
        if (si->fMask & SIF_RANGE) {
          m_min = si->nMin;
          m_max = si->nMax;
        }
        if (si->fMask & SIF_PAGE) m_page = si->nPage;
        if (si->fMask & SIF_POS) m_pos = si->nPos;
        m_pos = std::clamp(m_pos, m_min, MaxPos());
        if (wp) Redraw();
        return m_pos;
      }
      case SBM_GETSCROLLINFO: {
        auto* si = (SCROLLINFO*)lp;
        if (!si) return FALSE;
        if (si->fMask & SIF_RANGE) {
          si->nMin = m_min;
          si->nMax = m_max;
        }
        if (si->fMask & SIF_PAGE) si->nPage = m_page;
        if (si->fMask & SIF_POS) si->nPos = m_pos;
        if (si->fMask & SIF_TRACKPOS) si->nTrackPos = m_dragging ? m_track : m_pos;
        return TRUE;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        int at = Vert() ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp);
        int a = std::min(Breadth(), Length() / 2);
        int s, z;
        Thumb(s, z);
        HWND self = m_hwnd;
        if (at < a) Send(SB_LINEUP);
        else if (at >= Length() - a) Send(SB_LINEDOWN);
        else if (at < s) Send(SB_PAGEUP);
        else if (at >= s + z) Send(SB_PAGEDOWN);
        else {
          m_dragging = true;
          m_dragOffset = at - s;
          m_track = m_pos;
          ::SetCapture(m_hwnd);
          return 0;
        }
        if (::IsWindow(self)) Send(SB_ENDSCROLL);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (m_dragging) {
          int at = Vert() ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp);
          int a = std::min(Breadth(), Length() / 2);
          int s, z;
          Thumb(s, z);
          int track = std::max(1, Length() - 2 * a - z);
          m_track = m_min + (int)((long long)(at - m_dragOffset - a) * (MaxPos() - m_min) / track);
          m_track = std::clamp(m_track, m_min, MaxPos());
          Send(SB_THUMBTRACK, m_track);
        }
        return 0;
      case WM_LBUTTONUP:
        if (m_dragging) {
          m_dragging = false;
          ::ReleaseCapture();
          HWND self = m_hwnd;
          Send(SB_THUMBPOSITION, m_track);
          if (::IsWindow(self)) Send(SB_ENDSCROLL);
        }
        return 0;
      case WM_KEYDOWN: {
        UINT code;
        switch (wp) {
          case VK_UP: case VK_LEFT: code = SB_LINEUP; break;
          case VK_DOWN: case VK_RIGHT: code = SB_LINEDOWN; break;
          case VK_PRIOR: code = SB_PAGEUP; break;
          case VK_NEXT: code = SB_PAGEDOWN; break;
          case VK_HOME: code = SB_TOP; break;
          case VK_END: code = SB_BOTTOM; break;
          default: return Default(msg, wp, lp);
        }
        HWND self = m_hwnd;
        Send(code);
        if (::IsWindow(self)) Send(SB_ENDSCROLL);
        return 0;
      }
      case WM_GETDLGCODE: return DLGC_WANTARROWS;
      default: return Default(msg, wp, lp);
    }
  }
};

// ---- Slider --------------------------------------------------------------------------------------
class SliderCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  int m_min = 0, m_max = 100, m_pos = 0, m_page = 20, m_line = 1, m_freq = 1;
  int m_selStart = 0, m_selEnd = 0;
  std::vector<int> m_tics;
  bool m_dragging = false;
  bool m_focus = false;

  bool Vert() const { return (Style() & TBS_VERT) != 0; }
  void Send(UINT code, int pos = 0) {
    ::SendMessage(Parent(), Vert() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, (WORD)pos), (LPARAM)m_hwnd);
  }
  CRect Channel() const {
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    if (Vert()) return CRect(c.left + c.Width() / 2 - 2, c.top + 8, c.left + c.Width() / 2 + 2, c.bottom - 8);
    return CRect(c.left + 8, c.top + c.Height() / 2 - 2, c.right - 8, c.top + c.Height() / 2 + 2);
  }
  int PosToPixel(int pos) const {
    CRect ch = Channel();
    int len = Vert() ? ch.Height() : ch.Width();
    int span = std::max(1, m_max - m_min);
    return (Vert() ? ch.top : ch.left) + (int)((long long)(pos - m_min) * len / span);
  }
  int PixelToPos(int px) const {
    CRect ch = Channel();
    int len = std::max(1, (int)(Vert() ? ch.Height() : ch.Width()));
    int v = m_min + (int)(((long long)(px - (Vert() ? ch.top : ch.left)) * (m_max - m_min) + len / 2) / len);
    return std::clamp(v, m_min, m_max);
  }
  CRect ThumbRect() const {
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    int p = PosToPixel(m_pos);
    if (Vert()) return CRect(c.left + 2, p - 5, c.right - 2, p + 5);
    return CRect(p - 5, c.top + 2, p + 5, c.bottom - 2);
  }
  void SetPos(int pos, bool notifyCode, UINT code) {
    pos = std::clamp(pos, m_min, m_max);
    if (pos != m_pos) {
      m_pos = pos;
      Redraw();
    }
    if (notifyCode) Send(code, m_pos);
  }
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_PAINT: {
        ControlPaint p(m_hwnd, wp);
        CDC& dc = p.dc();
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        HBRUSH br = CtlColor(dc, WM_CTLCOLORSTATIC);
        ::FillRect(dc.GetSafeHdc(), &c, br);
        CRect ch = Channel();
        Draw3DFrame(dc, ch, true);
        if (!(Style() & TBS_NOTICKS) && (Style() & TBS_AUTOTICKS) && m_freq > 0) {
          for (int v = m_min; v <= m_max; v += m_freq) {
            int px = PosToPixel(v);
            if (Vert()) dc.FillSolidRect(c.right - 4, px, 3, 1, ::GetSysColor(COLOR_BTNTEXT));
            else dc.FillSolidRect(px, c.bottom - 4, 1, 3, ::GetSysColor(COLOR_BTNTEXT));
            if (m_max - m_min > 1000) break;
          }
        }
        if (!(Style() & TBS_NOTHUMB)) {
          CRect t = ThumbRect();
          FillSys(dc, t, COLOR_BTNFACE);
          Draw3DFrame(dc, t, false);
        }
        if (m_focus) dc.DrawFocusRect(&c);
        return 0;
      }
      case WM_ERASEBKGND: return TRUE;
      case WM_SETFOCUS: m_focus = true; Redraw(); return 0;
      case WM_KILLFOCUS: m_focus = false; Redraw(); return 0;
      case WM_GETDLGCODE: return DLGC_WANTARROWS;
      case TBM_GETPOS: return m_pos;
      case TBM_GETRANGEMIN: return m_min;
      case TBM_GETRANGEMAX: return m_max;
      case TBM_SETPOS: m_pos = std::clamp((int)lp, m_min, m_max); if (wp) Redraw(); return 0;
      case TBM_SETRANGE:
        m_min = (short)LOWORD(lp);
        m_max = (short)HIWORD(lp);
        if (m_max < m_min) std::swap(m_min, m_max);
        m_pos = std::clamp(m_pos, m_min, m_max);
        if (wp) Redraw();
        return 0;
      case TBM_SETRANGEMIN: m_min = (int)lp; m_pos = std::max(m_pos, m_min); if (wp) Redraw(); return 0;
      case TBM_SETRANGEMAX: m_max = (int)lp; m_pos = std::min(m_pos, m_max); if (wp) Redraw(); return 0;
      case TBM_SETPAGESIZE: { int o = m_page; m_page = (int)lp; return o; }
      case TBM_GETPAGESIZE: return m_page;
      case TBM_SETLINESIZE: { int o = m_line; m_line = (int)lp; return o; }
      case TBM_GETLINESIZE: return m_line;
      case TBM_SETTICFREQ: m_freq = (int)wp; Redraw(); return 0;
      case TBM_SETTIC:
        if ((int)lp < m_min || (int)lp > m_max) return FALSE;
        m_tics.push_back((int)lp);
        return TRUE;
      case TBM_GETTIC: return wp < m_tics.size() ? m_tics[wp] : -1;
      case TBM_GETNUMTICS: return (LRESULT)m_tics.size() + 2;
      case TBM_CLEARTICS: m_tics.clear(); if (wp) Redraw(); return 0;
      case TBM_SETSEL: m_selStart = (short)LOWORD(lp); m_selEnd = (short)HIWORD(lp); if (wp) Redraw(); return 0;
      case TBM_SETSELSTART: m_selStart = (int)lp; return 0;
      case TBM_SETSELEND: m_selEnd = (int)lp; return 0;
      case TBM_GETSELSTART: return m_selStart;
      case TBM_GETSELEND: return m_selEnd;
      case TBM_CLEARSEL: m_selStart = m_selEnd = 0; return 0;
      case TBM_GETTHUMBRECT: if (lp) *(RECT*)lp = ThumbRect(); return 0;
      case TBM_GETCHANNELRECT: if (lp) *(RECT*)lp = Channel(); return 0;
      case WM_LBUTTONDOWN: {
        if (!PressTakesFocus()) return 0;
        CPoint pt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        if (ThumbRect().PtInRect(pt)) {
          m_dragging = true;
          ::SetCapture(m_hwnd);
          return 0;
        }
        int at = PixelToPos(Vert() ? pt.y : pt.x);
        HWND self = m_hwnd;
        if (at < m_pos) SetPos(m_pos - m_page, true, TB_PAGEUP);
        else if (at > m_pos) SetPos(m_pos + m_page, true, TB_PAGEDOWN);
        if (::IsWindow(self)) Send(TB_ENDTRACK, m_pos);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (m_dragging) {
          // A move that leaves the thumb where it is tells the parent nothing, as a key at the end.
          const int at = PixelToPos(Vert() ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp));
          if (at != m_pos) SetPos(at, true, TB_THUMBTRACK);
        }
        return 0;
      case WM_LBUTTONUP:
        if (m_dragging) {
          m_dragging = false;
          ::ReleaseCapture();
          HWND self = m_hwnd;
          Send(TB_THUMBPOSITION, m_pos);
          if (::IsWindow(self)) Send(TB_ENDTRACK, m_pos);
        }
        return 0;
      case WM_KEYDOWN: {
        int pos = m_pos;
        UINT code;
        switch (wp) {
          case VK_LEFT: case VK_UP: pos -= m_line; code = TB_LINEUP; break;
          case VK_RIGHT: case VK_DOWN: pos += m_line; code = TB_LINEDOWN; break;
          case VK_PRIOR: pos -= m_page; code = TB_PAGEUP; break;
          case VK_NEXT: pos += m_page; code = TB_PAGEDOWN; break;
          case VK_HOME: pos = m_min; code = TB_TOP; break;
          case VK_END: pos = m_max; code = TB_BOTTOM; break;
          default: return Default(msg, wp, lp);
        }
        // A key that cannot move the thumb (at its end) tells the parent nothing.
        if (std::clamp(pos, m_min, m_max) == m_pos) return 0;
        HWND self = m_hwnd;
        SetPos(pos, true, code);
        if (::IsWindow(self)) Send(TB_ENDTRACK, m_pos);
        return 0;
      }
      default: return Default(msg, wp, lp);
    }
  }
};

// ---- Spin ---------------------------------------------------------------------------------------
class SpinCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  int m_lower = 100, m_upper = 0, m_pos = 0, m_base = 10;
  HWND m_buddy = nullptr;
  std::vector<UDACCEL> m_accel{{0, 1}};
  int m_pressed = 0;  // 1 up, -1 down

  bool Horz() const { return (Style() & UDS_HORZ) != 0; }

  void UpdateBuddy() {
    if (!(Style() & UDS_SETBUDDYINT) || !::IsWindow(m_buddy)) return;
    char buf[40];
    if (m_base == 16) snprintf(buf, sizeof buf, "0x%04X", (unsigned)m_pos);
    else snprintf(buf, sizeof buf, "%d", m_pos);
    ::SetWindowText(m_buddy, buf);
  }

  void ReadBuddy() {
    if (!(Style() & UDS_SETBUDDYINT) || !::IsWindow(m_buddy)) return;
    char buf[40] = {0};
    ::GetWindowText(m_buddy, buf, sizeof buf);
    char* end = nullptr;
    long v = strtol(buf, &end, m_base == 16 ? 16 : 10);
    if (end != buf) m_pos = (int)v;
  }

  void AttachBuddy(HWND b) {
    m_buddy = ::IsWindow(b) ? b : nullptr;
    if (!m_buddy) return;
    DWORD s = Style();
    if (s & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) {
      CRect br, me;
      ::GetWindowRect(m_buddy, &br);
      ::GetWindowRect(m_hwnd, &me);
      HWND parent = ::GetParent(m_hwnd);
      ::MapWindowPoints(nullptr, parent, (POINT*)&br, 2);
      int w = me.Width() > 0 ? me.Width() : 16;
      if (s & UDS_ALIGNRIGHT) {
        ::MoveWindow(m_buddy, br.left, br.top, br.Width() - w + 2, br.Height(), TRUE);
        ::MoveWindow(m_hwnd, br.right - w, br.top, w, br.Height(), TRUE);
      } else {
        ::MoveWindow(m_buddy, br.left + w - 2, br.top, br.Width() - w + 2, br.Height(), TRUE);
        ::MoveWindow(m_hwnd, br.left, br.top, w, br.Height(), TRUE);
      }
    }
    UpdateBuddy();
  }

  // One press of an arrow: the parent may refuse the step through UDN_DELTAPOS.
  void Step(bool up) {
    ReadBuddy();
    int dir = m_upper >= m_lower ? 1 : -1;
    int delta = (up ? 1 : -1) * dir * (int)(m_accel.empty() ? 1 : m_accel[0].nInc);
    NMUPDOWN nm{};
    nm.iPos = m_pos;
    nm.iDelta = delta;
    HWND self = m_hwnd;
    if (NotifyHdr(&nm.hdr, UDN_DELTAPOS)) return;
    if (!::IsWindow(self)) return;
    int lo = std::min(m_lower, m_upper), hi = std::max(m_lower, m_upper);
    int next = m_pos + nm.iDelta;
    if (next < lo || next > hi) {
      if (Style() & UDS_WRAP) next = next < lo ? hi : lo;
      else next = std::clamp(next, lo, hi);
    }
    if (next == m_pos) return;
    m_pos = next;
    UpdateBuddy();
    ::SendMessage(Parent(), Horz() ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, (WORD)m_pos), (LPARAM)m_hwnd);
    if (::IsWindow(self))
      ::SendMessage(Parent(), Horz() ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, (WORD)m_pos), (LPARAM)m_hwnd);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_CREATE: {
        LRESULT r = Default(msg, wp, lp);
        if (Style() & UDS_AUTOBUDDY) AttachBuddy(::GetWindow(m_hwnd, GW_HWNDPREV));
        return r;
      }
      case WM_PAINT: {
        ControlPaint p(m_hwnd, wp);
        CDC& dc = p.dc();
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        CRect a = c, b = c;
        if (Horz()) a.right = b.left = (c.left + c.right) / 2;
        else a.bottom = b.top = (c.top + c.bottom) / 2;
        bool dis = (Style() & WS_DISABLED) != 0;
        FillSys(dc, a, COLOR_BTNFACE);
        FillSys(dc, b, COLOR_BTNFACE);
        Draw3DFrame(dc, a, m_pressed == 1);
        Draw3DFrame(dc, b, m_pressed == -1);
        DrawArrow(dc, a, Horz() ? 2 : 0, dis);
        DrawArrow(dc, b, Horz() ? 3 : 1, dis);
        return 0;
      }
      case WM_ERASEBKGND: return TRUE;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        bool first = Horz() ? GET_X_LPARAM(lp) < (c.left + c.right) / 2 : GET_Y_LPARAM(lp) < (c.top + c.bottom) / 2;
        // The first half (top or left) steps up, except that a horizontal control's right half increases.
        bool up = Horz() ? !first : first;
        m_pressed = first ? 1 : -1;
        Redraw();
        HWND self = m_hwnd;
        Step(up);
        if (::IsWindow(self)) {
          m_pressed = 0;
          Redraw();
        }
        return 0;
      }
      case WM_KEYDOWN:
        if ((Style() & UDS_ARROWKEYS) && (wp == VK_UP || wp == VK_DOWN)) {
          Step(wp == VK_UP);
          return 0;
        }
        return Default(msg, wp, lp);
      case UDM_SETRANGE:
        m_upper = (short)LOWORD(lp);
        m_lower = (short)HIWORD(lp);
        return 0;
      case UDM_GETRANGE: return MAKELONG((WORD)m_upper, (WORD)m_lower);
      case UDM_SETRANGE32: m_lower = (int)wp; m_upper = (int)lp; return 0;
      case UDM_GETRANGE32:
        if (wp) *(int*)wp = m_lower;
        if (lp) *(int*)lp = m_upper;
        return 0;
      case UDM_SETPOS:
      case UDM_SETPOS32: {
        int old = m_pos;
        int v = msg == UDM_SETPOS ? (short)LOWORD(lp) : (int)lp;
        m_pos = std::clamp(v, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
        UpdateBuddy();
        return old;
      }
      case UDM_GETPOS: ReadBuddy(); return MAKELONG((WORD)m_pos, 0);
      case UDM_GETPOS32:
        ReadBuddy();
        if (lp) *(BOOL*)lp = FALSE;
        return m_pos;
      case UDM_SETBUDDY: {
        HWND old = m_buddy;
        AttachBuddy((HWND)wp);
        return (LRESULT)old;
      }
      case UDM_GETBUDDY: return (LRESULT)m_buddy;
      case UDM_SETBASE: {
        int old = m_base;
        if (wp != 10 && wp != 16) return 0;
        m_base = (int)wp;
        UpdateBuddy();
        return old;
      }
      case UDM_GETBASE: return m_base;
      case UDM_SETACCEL:
        if (!lp || !wp) return FALSE;
        m_accel.assign((const UDACCEL*)lp, (const UDACCEL*)lp + wp);
        return TRUE;
      case UDM_GETACCEL: {
        if (lp && wp) std::copy_n(m_accel.begin(), std::min<size_t>(wp, m_accel.size()), (UDACCEL*)lp);
        return (LRESULT)m_accel.size();
      }
      default: return Default(msg, wp, lp);
    }
  }
};

// ---- Progress -------------------------------------------------------------------------------------
class ProgressCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  int m_low = 0, m_high = 100, m_pos = 0, m_step = 10;
  COLORREF m_bar = CLR_INVALID, m_bk = CLR_INVALID;

  int SetPos(int p) {
    int old = m_pos;
    m_pos = std::clamp(p, m_low, std::max(m_low, m_high));
    if (m_pos != old) Redraw();
    return old;
  }
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_PAINT: {
        ControlPaint p(m_hwnd, wp);
        CDC& dc = p.dc();
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        dc.FillSolidRect(&c, m_bk == CLR_INVALID ? ::GetSysColor(COLOR_BTNFACE) : m_bk);
        Draw3DFrame(dc, c, true, false);
        CRect in = c;
        in.DeflateRect(1, 1);
        int span = std::max(1, m_high - m_low);
        COLORREF bar = m_bar == CLR_INVALID ? ::GetSysColor(COLOR_HIGHLIGHT) : m_bar;
        if (Style() & PBS_VERTICAL) {
          int h = (int)((long long)in.Height() * (m_pos - m_low) / span);
          dc.FillSolidRect(in.left, in.bottom - h, in.Width(), h, bar);
        } else {
          int w = (int)((long long)in.Width() * (m_pos - m_low) / span);
          dc.FillSolidRect(in.left, in.top, w, in.Height(), bar);
        }
        return 0;
      }
      case WM_ERASEBKGND: return TRUE;
      case PBM_SETRANGE: {
        LRESULT old = MAKELONG((WORD)m_low, (WORD)m_high);
        m_low = (short)LOWORD(lp);
        m_high = (short)HIWORD(lp);
        SetPos(m_pos);
        Redraw();
        return old;
      }
      case PBM_SETRANGE32: {
        LRESULT old = MAKELONG((WORD)m_low, (WORD)m_high);
        m_low = (int)wp;
        m_high = (int)lp;
        SetPos(m_pos);
        Redraw();
        return old;
      }
      case PBM_GETRANGE:
        if (lp) {
          ((PBRANGE*)lp)->iLow = m_low;
          ((PBRANGE*)lp)->iHigh = m_high;
        }
        return wp ? m_low : m_high;
      case PBM_SETPOS: return SetPos((int)wp);
      case PBM_GETPOS: return m_pos;
      case PBM_DELTAPOS: return SetPos(m_pos + (int)wp);
      case PBM_SETSTEP: { int o = m_step; m_step = (int)wp; return o; }
      case PBM_STEPIT: {
        int old = m_pos;
        int next = m_pos + m_step;
        // Past the end the bar starts again from the beginning.
        if (next > m_high) next = m_low + (next - m_high);
        if (next < m_low) next = m_high - (m_low - next);
        SetPos(next);
        return old;
      }
      case PBM_SETBARCOLOR: { COLORREF o = m_bar; m_bar = (COLORREF)lp; Redraw(); return (LRESULT)o; }
      case PBM_SETBKCOLOR: { COLORREF o = m_bk; m_bk = (COLORREF)lp; Redraw(); return (LRESULT)o; }
      default: return Default(msg, wp, lp);
    }
  }
};

}  // namespace

void RegisterCommonControls() {
  RegisterControlClass("ScrollBar", ControlProc<ScrollCtl>, CS_DBLCLKS);
  RegisterControlClass(TRACKBAR_CLASS, ControlProc<SliderCtl>, 0);
  RegisterControlClass(UPDOWN_CLASS, ControlProc<SpinCtl>, CS_DBLCLKS);
  RegisterControlClass(PROGRESS_CLASS, ControlProc<ProgressCtl>, CS_HREDRAW | CS_VREDRAW);
}

}  // namespace ui
