// The tooltip and status-bar controls.
#include "platform/core/Resource.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/NativeControls.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ui {
namespace {

// ---- Tooltip ------------------------------------------------------------------------------------
class TipCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  struct Tool {
    UINT flags;
    HWND hwnd;
    UINT_PTR id;
    RECT rect;
    HINSTANCE hinst;
    std::string text;
    bool callback;
    LPARAM lParam;
  };
  std::vector<Tool> m_tools;
  bool m_active = true;
  int m_current = -1;
  int m_hover = -1;
  UINT m_initial = 500;
  std::string m_shown;

  int Find(const TOOLINFO* ti) const {
    if (!ti) return -1;
    for (size_t i = 0; i < m_tools.size(); ++i)
      if (m_tools[i].hwnd == ti->hwnd && m_tools[i].id == ti->uId) return (int)i;
    return -1;
  }

  void SetText(Tool& t, const TOOLINFO* ti) {
    t.callback = ti->lpszText == LPSTR_TEXTCALLBACK;
    t.text.clear();
    if (t.callback || !ti->lpszText) return;
    if (IS_INTRESOURCE(ti->lpszText)) {
      std::string s;
      if (LoadStringResource(ti->hinst, (UINT)(ULONG_PTR)ti->lpszText, s) ||
          LoadStringResource((UINT)(ULONG_PTR)ti->lpszText, s))
        t.text = s;
    } else {
      t.text = ti->lpszText;
    }
  }

  // The text of a tool: its own, or what its window answers to TTN_NEEDTEXT.
  std::string TextOf(const Tool& t) {
    if (!t.callback) return t.text;
    TOOLTIPTEXT ttt{};
    ttt.hdr.hwndFrom = m_hwnd;
    ttt.hdr.idFrom = t.id;
    ttt.hdr.code = TTN_NEEDTEXT;
    ttt.uFlags = t.flags;
    ttt.lParam = t.lParam;
    HWND target = t.hwnd ? t.hwnd : Parent();
    ::SendMessage(target, WM_NOTIFY, (WPARAM)t.id, (LPARAM)&ttt);
    if (ttt.lpszText == nullptr) return ttt.szText;
    if (IS_INTRESOURCE(ttt.lpszText)) {
      std::string s;
      if (LoadStringResource((UINT)(ULONG_PTR)ttt.lpszText, s)) return s;
      return std::string();
    }
    if (ttt.lpszText == LPSTR_TEXTCALLBACK) return std::string();
    return ttt.lpszText;
  }

  int ToolAt(HWND w, POINT pt) const {
    for (size_t i = 0; i < m_tools.size(); ++i) {
      const Tool& t = m_tools[i];
      if (t.flags & TTF_IDISHWND) {
        // A tool left by a window since destroyed may name a new window that took its address: the
        // tool is this window's only while its owner holds it.
        if ((HWND)t.id == w && (!t.hwnd || t.hwnd == w || ::IsChild(t.hwnd, w))) return (int)i;
      } else if (t.hwnd == w && CRect(t.rect).PtInRect(pt)) {
        return (int)i;
      }
    }
    return -1;
  }

  void Show(int i, POINT screen) {
    if (i < 0 || i >= (int)m_tools.size()) return;
    std::string s = TextOf(m_tools[(size_t)i]);
    if (!::IsWindow(m_hwnd) || s.empty()) return;
    m_current = i;
    m_shown = s;
    ::DefWindowProc(m_hwnd, WM_SETTEXT, 0, (LPARAM)s.c_str());
    MeasureDC m(Font());
    CSize ext = m.dc.GetTextExtent(s.c_str(), (int)s.size());
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, screen.x, screen.y + 20, ext.cx + 8, ext.cy + 4, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Redraw();
  }

  void Pop() {
    if (m_current < 0 && !::IsWindowVisible(m_hwnd)) return;
    m_current = -1;
    ::ShowWindow(m_hwnd, SW_HIDE);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_PAINT: {
        ControlPaint p(m_hwnd, wp);
        CDC& dc = p.dc();
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        dc.FillSolidRect(&c, ::GetSysColor(COLOR_INFOBK));
        dc.Draw3dRect(&c, RGB(0, 0, 0), RGB(0, 0, 0));
        dc.SelectObject((HGDIOBJ)Font());
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(::GetSysColor(COLOR_INFOTEXT));
        dc.TextOut(4, 2, m_shown.c_str(), (int)m_shown.size());
        return 0;
      }
      case WM_ERASEBKGND: return TRUE;
      case WM_NCHITTEST: return HTTRANSPARENT;
      case WM_TIMER:
        if (wp == 1) {
          ::KillTimer(m_hwnd, 1);
          POINT pt;
          ::GetCursorPos(&pt);
          if (m_active && m_hover >= 0) Show(m_hover, pt);
          return 0;
        }
        return Default(msg, wp, lp);
      case TTM_ACTIVATE:
        m_active = wp != 0;
        if (!m_active) Pop();
        return 0;
      case TTM_SETDELAYTIME:
        if (wp == TTDT_INITIAL || wp == TTDT_AUTOMATIC) m_initial = (UINT)std::max<LPARAM>(0, (short)LOWORD(lp));
        return 0;
      case TTM_ADDTOOL: {
        auto* ti = (const TOOLINFO*)lp;
        if (!ti) return FALSE;
        int i = Find(ti);
        Tool t{ti->uFlags, ti->hwnd, ti->uId, ti->rect, ti->hinst, std::string(), false, ti->lParam};
        SetText(t, ti);
        if (i >= 0) m_tools[(size_t)i] = t;
        else m_tools.push_back(t);
        return TRUE;
      }
      case TTM_DELTOOL: {
        int i = Find((const TOOLINFO*)lp);
        if (i >= 0) {
          if (i == m_current) Pop();
          m_tools.erase(m_tools.begin() + i);
          m_hover = -1;
        }
        return 0;
      }
      case TTM_NEWTOOLRECT: {
        auto* ti = (const TOOLINFO*)lp;
        int i = Find(ti);
        if (i >= 0) m_tools[(size_t)i].rect = ti->rect;
        return 0;
      }
      case TTM_SETTOOLINFO:
      case 0x400 + 12: {  // TTM_UPDATETIPTEXT
        auto* ti = (const TOOLINFO*)lp;
        int i = Find(ti);
        if (i >= 0) SetText(m_tools[(size_t)i], ti);
        return 0;
      }
      case TTM_GETTOOLINFO: {
        auto* ti = (TOOLINFO*)lp;
        int i = Find(ti);
        if (i < 0) return FALSE;
        ti->uFlags = m_tools[(size_t)i].flags;
        ti->rect = m_tools[(size_t)i].rect;
        ti->lParam = m_tools[(size_t)i].lParam;
        return TRUE;
      }
      case TTM_GETTEXT: {
        auto* ti = (TOOLINFO*)lp;
        int i = Find(ti);
        if (i < 0 || !ti->lpszText || ti->lpszText == LPSTR_TEXTCALLBACK) return 0;
        std::string s = TextOf(m_tools[(size_t)i]);
        size_t n = std::min<size_t>(s.size(), wp ? wp - 1 : 79);
        memcpy(ti->lpszText, s.data(), n);
        ti->lpszText[n] = 0;
        return (LRESULT)n;
      }
      case TTM_GETTOOLCOUNT: return (LRESULT)m_tools.size();
      case TTM_POP: Pop(); return 0;
      case TTM_UPDATE:
        if (m_current >= 0) {
          POINT pt;
          ::GetCursorPos(&pt);
          Show(m_current, pt);
        }
        return 0;
      case TTM_SETMAXTIPWIDTH: return -1;
      case TTM_RELAYEVENT: {
        auto* m = (const MSG*)lp;
        if (!m || !m_active) return 0;
        if (m->message == WM_MOUSEMOVE) {
          POINT pt{GET_X_LPARAM(m->lParam), GET_Y_LPARAM(m->lParam)};
          int i = ToolAt(m->hwnd, pt);
          if (i != m_hover) {
            m_hover = i;
            Pop();
            ::KillTimer(m_hwnd, 1);
            if (i >= 0) ::SetTimer(m_hwnd, 1, std::max<UINT>(1, m_initial), nullptr);
          }
        } else if (m->message >= WM_LBUTTONDOWN && m->message <= WM_MBUTTONDBLCLK) {
          ::KillTimer(m_hwnd, 1);
          Pop();
        }
        return 0;
      }
      default: return Default(msg, wp, lp);
    }
  }
};

// ---- Status bar --------------------------------------------------------------------------------
class StatusCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  struct Part {
    int right = -1;
    std::string text;
    UINT type = 0;
    LPARAM data = 0;
  };
  std::vector<Part> m_parts{Part{}};
  bool m_simple = false;
  std::string m_simpleText;
  int m_minHeight = 0;

  int Height() {
    MeasureDC m(Font());
    return std::max(m_minHeight, m.LineHeight() + 6);
  }

  void Align() {
    DWORD s = Style();
    if (s & (CCS_NORESIZE | CCS_NOPARENTALIGN)) return;
    HWND p = Parent();
    if (!p) return;
    CRect pc;
    ::GetClientRect(p, &pc);
    int h = Height();
    if ((s & 3) == CCS_TOP) ::MoveWindow(m_hwnd, 0, 0, pc.Width(), h, TRUE);
    else ::MoveWindow(m_hwnd, 0, pc.bottom - h, pc.Width(), h, TRUE);
  }

  RECT PartRect(size_t i) {
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    int left = i == 0 ? 0 : m_parts[i - 1].right + 2;
    int right = m_parts[i].right < 0 ? c.right : m_parts[i].right;
    if (i + 1 == m_parts.size() && (Style() & SBARS_SIZEGRIP)) right = std::min<int>(right, c.right - 14);
    return CRect(left, 2, std::max(left, right), c.bottom);
  }

  // The grip beside the last pane, when the bar has one and its frame is not maximized; screen point.
  bool OnGrip(POINT screen) {
    if (!(Style() & SBARS_SIZEGRIP) || ::IsZoomed(Parent())) return false;
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    ::ScreenToClient(m_hwnd, &screen);
    return CRect(c.right - 14, c.top + 2, c.right, c.bottom).PtInRect(screen);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_CREATE: {
        LRESULT r = Default(msg, wp, lp);
        Align();
        return r;
      }
      case WM_NCHITTEST:
        return OnGrip(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}) ? HTBOTTOMRIGHT : Default(msg, wp, lp);
      case WM_NCLBUTTONDOWN:
        // A press on the grip is a press on the frame's corner.
        if (wp == HTBOTTOMRIGHT) return ::SendMessage(Parent(), msg, wp, lp);
        return Default(msg, wp, lp);
      case WM_SIZE: Align(); Redraw(); return 0;
      case WM_PAINT: {
        ControlPaint p(m_hwnd, wp);
        CDC& dc = p.dc();
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        FillSys(dc, c, COLOR_BTNFACE);
        dc.SelectObject((HGDIOBJ)Font());
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
        if (m_simple) {
          CRect r = c;
          r.left += 4;
          dc.DrawText(m_simpleText.c_str(), (int)m_simpleText.size(), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
          return 0;
        }
        for (size_t i = 0; i < m_parts.size(); ++i) {
          CRect r = PartRect(i);
          const Part& part = m_parts[i];
          if (!(part.type & SBT_NOBORDERS)) Draw3DFrame(dc, r, !(part.type & SBT_POPOUT), false);
          if (part.type & SBT_OWNERDRAW) {
            // The owner draws inside the pane's border.
            CRect item = r;
            if (!(part.type & SBT_NOBORDERS)) item.DeflateRect(1, 1);
            DRAWITEMSTRUCT dis{0, (UINT)Id(), (UINT)i, ODA_DRAWENTIRE, 0, m_hwnd, dc.GetSafeHdc(), item, (ULONG_PTR)part.data};
            int saved = dc.SaveDC();
            ::SendMessage(Parent(), WM_DRAWITEM, (WPARAM)Id(), (LPARAM)&dis);
            dc.RestoreDC(saved);
            continue;
          }
          CRect tr = r;
          tr.DeflateRect(3, 1);
          // Tabs split a pane's text into left, centred and right parts.
          std::string t = part.text;
          std::string seg[3];
          int k = 0;
          for (char ch : t) {
            if (ch == '\t' && k < 2) ++k;
            else seg[k] += ch;
          }
          UINT al[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
          for (int j = 0; j < 3; ++j)
            if (!seg[j].empty())
              dc.DrawText(seg[j].c_str(), (int)seg[j].size(), &tr, al[j] | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        return 0;
      }
      case WM_ERASEBKGND: return TRUE;
      case SB_SETTEXT: {
        size_t i = wp & 0xFF;
        if (i == 0xFF || m_simple) {
          m_simpleText = lp && !(wp & SBT_OWNERDRAW) ? (const char*)lp : "";
          Redraw();
          return TRUE;
        }
        if (i >= m_parts.size()) return FALSE;
        Part& p = m_parts[i];
        p.type = (UINT)(wp & 0xFF00);
        if (wp & SBT_OWNERDRAW) {
          p.data = lp;
          p.text.clear();
        } else {
          p.text = lp ? (const char*)lp : "";
        }
        CRect r = PartRect(i);
        ::InvalidateRect(m_hwnd, &r, TRUE);
        return TRUE;
      }
      case SB_GETTEXT:
      case SB_GETTEXTLENGTH: {
        size_t i = wp & 0xFF;
        if (i >= m_parts.size()) return 0;
        const Part& p = m_parts[i];
        // An owner-drawn part answers its data to SB_GETTEXT; its length request still reports the type.
        if (p.type & SBT_OWNERDRAW) return msg == SB_GETTEXT ? (LRESULT)p.data : MAKELONG(0, (WORD)p.type);
        if (msg == SB_GETTEXT && lp) memcpy((char*)lp, p.text.c_str(), p.text.size() + 1);
        return MAKELONG((WORD)p.text.size(), (WORD)p.type);
      }
      case SB_SETPARTS: {
        if (wp == 0 || wp > 256 || !lp) return FALSE;
        const int* edges = (const int*)lp;
        std::vector<Part> parts(wp);
        for (size_t i = 0; i < wp; ++i) {
          parts[i].right = edges[i];
          if (i < m_parts.size()) {
            parts[i].text = m_parts[i].text;
            parts[i].type = m_parts[i].type;
            parts[i].data = m_parts[i].data;
          }
        }
        m_parts = parts;
        Redraw();
        return TRUE;
      }
      case SB_GETPARTS: {
        int* out = (int*)lp;
        if (out)
          for (size_t i = 0; i < std::min<size_t>(wp, m_parts.size()); ++i) out[i] = m_parts[i].right;
        return (LRESULT)m_parts.size();
      }
      case SB_GETBORDERS: {
        int* out = (int*)lp;
        if (!out) return FALSE;
        out[0] = 0;
        out[1] = 2;
        out[2] = 2;
        return TRUE;
      }
      case SB_SETMINHEIGHT: m_minHeight = (int)wp; Align(); return TRUE;
      // The font it draws with, also while none was set, so that callers measure as it draws.
      case WM_GETFONT: {
        LRESULT set = Default(msg, wp, lp);
        return set ? set : (LRESULT)DefaultControlFont();
      }
      case SB_SIMPLE: m_simple = wp != 0; Redraw(); return 0;
      case SB_GETRECT: {
        if (!lp || wp >= m_parts.size()) return FALSE;
        *(RECT*)lp = PartRect(wp);
        return TRUE;
      }
      default: return Default(msg, wp, lp);
    }
  }
};

}  // namespace

void RegisterBars() {
  RegisterControlClass(TOOLTIPS_CLASS, ControlProc<TipCtl>, CS_SAVEBITS);
  RegisterControlClass(STATUSCLASSNAME, ControlProc<StatusCtl>, 0);
}

}  // namespace ui
