// The static and button controls.
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/NativeControls.h"

#include <cstring>

namespace ui {
namespace {

void DrawBitmapAt(CDC& dc, HBITMAP bm, const RECT& r, bool center) {
  if (!bm) return;
  BITMAP info{};
  if (!::GetObject(bm, sizeof info, &info)) return;
  CDC mem;
  mem.CreateCompatibleDC(&dc);
  HGDIOBJ old = mem.SelectObject((HGDIOBJ)bm);
  int x = r.left, y = r.top;
  if (center) {
    x = (r.left + r.right - info.bmWidth) / 2;
    y = (r.top + r.bottom - info.bmHeight) / 2;
  }
  dc.BitBlt(x, y, info.bmWidth, info.bmHeight, &mem, 0, 0, SRCCOPY);
  mem.SelectObject(old);
}

UINT DrawTextFlags(DWORD style) {
  UINT f = DT_WORDBREAK;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: f |= DT_CENTER; break;
    case SS_RIGHT: f |= DT_RIGHT; break;
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP: f = DT_SINGLELINE; break;
    default: break;
  }
  if (style & SS_NOPREFIX) f |= DT_NOPREFIX;
  if (style & SS_CENTERIMAGE) f = (f & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  return f | DT_EXPANDTABS;
}

class StaticCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  HANDLE m_image = nullptr;

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_PAINT: Paint(wp); return 0;
      case WM_ERASEBKGND: return TRUE;
      case WM_SETTEXT: {
        LRESULT r = Default(msg, wp, lp);
        Redraw();
        return r;
      }
      case WM_ENABLE: Redraw(); return 0;
      case WM_NCHITTEST: return (Style() & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
      case WM_LBUTTONDOWN:
        if (Style() & SS_NOTIFY) Notify(STN_CLICKED);
        return 0;
      case WM_LBUTTONDBLCLK:
        if (Style() & SS_NOTIFY) Notify(STN_DBLCLK);
        return 0;
      case WM_GETDLGCODE: return DLGC_STATIC;
      case STM_SETICON:
      case STM_SETIMAGE: {
        HANDLE old = m_image;
        m_image = msg == STM_SETICON ? (HANDLE)wp : (HANDLE)lp;
        Redraw();
        return (LRESULT)old;
      }
      case STM_GETICON:
      case STM_GETIMAGE: return (LRESULT)m_image;
      default: return Default(msg, wp, lp);
    }
  }

  void Paint(WPARAM wp) {
    ControlPaint p(m_hwnd, wp);
    CDC& dc = p.dc();
    CRect r;
    ::GetClientRect(m_hwnd, &r);
    DWORD style = Style();
    UINT type = style & SS_TYPEMASK;
    switch (type) {
      case SS_BLACKRECT: FillSys(dc, r, COLOR_WINDOWFRAME); return;
      case SS_GRAYRECT: FillSys(dc, r, COLOR_BTNSHADOW); return;
      case SS_WHITERECT: FillSys(dc, r, COLOR_WINDOW); return;
      case SS_BLACKFRAME: dc.Draw3dRect(&r, ::GetSysColor(COLOR_WINDOWFRAME), ::GetSysColor(COLOR_WINDOWFRAME)); return;
      case SS_GRAYFRAME: dc.Draw3dRect(&r, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNSHADOW)); return;
      case SS_WHITEFRAME: dc.Draw3dRect(&r, ::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOW)); return;
      case SS_ETCHEDHORZ: {
        CRect e(r.left, r.top, r.right, r.top + 2);
        dc.DrawEdge(&e, EDGE_ETCHED, BF_TOP);
        return;
      }
      case SS_ETCHEDVERT: {
        CRect e(r.left, r.top, r.left + 2, r.bottom);
        dc.DrawEdge(&e, EDGE_ETCHED, BF_LEFT);
        return;
      }
      case SS_ETCHEDFRAME: dc.DrawEdge(&r, EDGE_ETCHED, BF_RECT); return;
      default: break;
    }
    HBRUSH br = CtlColor(dc, WM_CTLCOLORSTATIC);
    if (type == SS_OWNERDRAW) {
      SelectGivenFont(dc);
      DRAWITEMSTRUCT dis{ODT_STATIC, (UINT)Id(), 0, ODA_DRAWENTIRE, (style & WS_DISABLED) ? (UINT)ODS_DISABLED : 0u,
                         m_hwnd, dc.GetSafeHdc(), r, 0};
      ::SendMessage(Parent(), WM_DRAWITEM, (WPARAM)Id(), (LPARAM)&dis);
      return;
    }
    ::FillRect(dc.GetSafeHdc(), &r, br);
    if (type == SS_BITMAP) {
      DrawBitmapAt(dc, (HBITMAP)m_image, r, (style & SS_CENTERIMAGE) != 0);
      return;
    }
    if (type == SS_ICON) {
      DrawIconImage(dc, (HICON)m_image, r);
      return;
    }
    dc.SelectObject((HGDIOBJ)Font());
    dc.SetBkMode(TRANSPARENT);
    if (style & WS_DISABLED) dc.SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    std::string t = Text();
    dc.DrawText(t.c_str(), (int)t.size(), &r, DrawTextFlags(style));
  }
};

class ButtonCtl : public ControlImpl {
 public:
  using ControlImpl::ControlImpl;
  int m_check = BST_UNCHECKED;
  bool m_pushed = false;
  bool m_focus = false;
  bool m_tracking = false;
  bool m_spaceDown = false;
  HANDLE m_image = nullptr;

  UINT Type() const { return Style() & BS_TYPEMASK; }
  bool IsCheck() const {
    UINT t = Type();
    return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
  }
  bool IsRadio() const { return Type() == BS_RADIOBUTTON || Type() == BS_AUTORADIOBUTTON; }

  void Click() {
    HWND self = m_hwnd;
    switch (Type()) {
      case BS_AUTOCHECKBOX: SetCheck(m_check ? BST_UNCHECKED : BST_CHECKED); break;
      case BS_AUTO3STATE: SetCheck((m_check + 1) % 3); break;
      case BS_AUTORADIOBUTTON: CheckInGroup(); break;
      default: break;
    }
    if (::IsWindow(self)) Notify(BN_CLICKED);
  }

  void SetCheck(int c) {
    if (!IsCheck() && !IsRadio()) return;
    UINT t = Type();
    if (c == BST_INDETERMINATE && t != BS_3STATE && t != BS_AUTO3STATE) c = BST_CHECKED;
    if (c < 0 || c > 2) c = BST_UNCHECKED;
    // A checked radio button is the one its group reaches with the Tab key; also when the state
    // stays, or the group's first button keeps the stop its template gave it.
    if (IsRadio()) {
      DWORD s = Style();
      ::SetWindowLongPtr(m_hwnd, GWL_STYLE, (LONG_PTR)(c ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP)));
    }
    if (c == m_check) return;
    m_check = c;
    Redraw();
  }

  void CheckInGroup() {
    HWND parent = Parent();
    HWND first = m_hwnd;
    // The group runs from the previous WS_GROUP sibling to the next one.
    while (first && !(::GetWindowLongPtr(first, GWL_STYLE) & WS_GROUP)) {
      HWND prev = ::GetWindow(first, GW_HWNDPREV);
      if (!prev) break;
      first = prev;
    }
    for (HWND h = first; h; h = ::GetWindow(h, GW_HWNDNEXT)) {
      if (h != first && (::GetWindowLongPtr(h, GWL_STYLE) & WS_GROUP)) break;
      if (h == m_hwnd) continue;
      if (::SendMessage(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
        DWORD t = (DWORD)::GetWindowLongPtr(h, GWL_STYLE) & BS_TYPEMASK;
        if (t == BS_AUTORADIOBUTTON) ::SendMessage(h, BM_SETCHECK, BST_UNCHECKED, 0);
      }
    }
    (void)parent;
    SetCheck(BST_CHECKED);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_PAINT: Paint(wp); return 0;
      case WM_ERASEBKGND: return TRUE;
      case WM_GETDLGCODE: {
        UINT t = Type();
        if (t == BS_GROUPBOX) return DLGC_STATIC;
        if (t == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (t == BS_PUSHBUTTON || t == BS_USERBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        // An owner-drawn button is never the default one: Enter on it goes to the dialog's default.
        if (IsRadio()) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON;
      }
      case WM_SETTEXT: {
        LRESULT r = Default(msg, wp, lp);
        Redraw();
        return r;
      }
      case WM_ENABLE: Redraw(); return 0;
      // A group box frames its buttons: the mouse passes through it to them.
      case WM_NCHITTEST: return Type() == BS_GROUPBOX ? HTTRANSPARENT : Default(msg, wp, lp);
      case WM_SETFOCUS:
        m_focus = true;
        Redraw();
        if (Style() & BS_NOTIFY) Notify(BN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        m_focus = false;
        if (m_pushed) m_pushed = false;
        m_spaceDown = false;
        if (::GetCapture() == m_hwnd) ::ReleaseCapture();
        Redraw();
        if (Style() & BS_NOTIFY) Notify(BN_KILLFOCUS);
        return 0;
      case WM_LBUTTONDBLCLK:
        // These tell their owner of the second click instead of taking it as another press.
        if ((Style() & BS_NOTIFY) || Type() == BS_RADIOBUTTON || Type() == BS_USERBUTTON || Type() == BS_OWNERDRAW) {
          Notify(BN_DOUBLECLICKED);
          return 0;
        }
        [[fallthrough]];
      case WM_LBUTTONDOWN:
        if (Type() == BS_GROUPBOX) return 0;
        if (!PressTakesFocus()) return 0;
        ::SetCapture(m_hwnd);
        m_tracking = true;
        m_pushed = true;
        Redraw();
        return 0;
      case WM_MOUSEMOVE:
        if (m_tracking) {
          CRect r;
          ::GetClientRect(m_hwnd, &r);
          bool in = r.PtInRect(CPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
          if (in != m_pushed) {
            m_pushed = in;
            Redraw();
          }
        }
        return 0;
      case WM_LBUTTONUP: {
        if (!m_tracking) return 0;
        m_tracking = false;
        bool was = m_pushed;
        m_pushed = false;
        if (::GetCapture() == m_hwnd) ::ReleaseCapture();
        Redraw();
        if (was) Click();
        return 0;
      }
      case WM_CAPTURECHANGED:
        if (m_tracking && (HWND)lp != m_hwnd) {
          m_tracking = false;
          m_pushed = false;
          Redraw();
        }
        return 0;
      case WM_KEYDOWN:
        if (wp == VK_SPACE && Type() != BS_GROUPBOX) {
          m_spaceDown = true;
          m_pushed = true;
          Redraw();
          return 0;
        }
        return Default(msg, wp, lp);
      case WM_KEYUP:
        if (wp == VK_SPACE && m_spaceDown) {
          m_spaceDown = false;
          m_pushed = false;
          Redraw();
          Click();
          return 0;
        }
        return Default(msg, wp, lp);
      case WM_CHAR:
        return 0;
      case BM_GETCHECK: return m_check;
      case BM_SETCHECK: SetCheck((int)wp); return 0;
      case BM_GETSTATE: return m_check | (m_pushed ? BST_PUSHED : 0) | (m_focus ? BST_FOCUS : 0);
      case BM_SETSTATE:
        m_pushed = wp != 0;
        Redraw();
        return 0;
      case BM_SETSTYLE: {
        DWORD s = Style();
        ::SetWindowLongPtr(m_hwnd, GWL_STYLE, (LONG_PTR)((s & 0xFFFF0000u) | (DWORD)(wp & 0xFFFF)));
        if (LOWORD(lp)) Redraw();
        return 0;
      }
      case BM_CLICK: {
        // A press and a release, as the mouse gives them: the press takes the focus, so the
        // control that had it hears that it lost it before the click is reported.
        if ((Style() & WS_DISABLED) || Type() == BS_GROUPBOX) return 0;
        HWND self = m_hwnd;
        ::SendMessage(self, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        if (::IsWindow(self)) ::SendMessage(self, WM_LBUTTONUP, 0, 0);
        return 0;
      }
      case BM_SETIMAGE: {
        HANDLE old = m_image;
        m_image = (HANDLE)lp;
        Redraw();
        return (LRESULT)old;
      }
      case BM_GETIMAGE: return (LRESULT)m_image;
      default: return Default(msg, wp, lp);
    }
  }

  void Paint(WPARAM wp) {
    ControlPaint p(m_hwnd, wp);
    CDC& dc = p.dc();
    CRect r;
    ::GetClientRect(m_hwnd, &r);
    DWORD style = Style();
    bool disabled = (style & WS_DISABLED) != 0;
    UINT t = Type();
    if (t == BS_OWNERDRAW) {
      SelectGivenFont(dc);
      UINT state = (m_pushed ? ODS_SELECTED : 0) | (m_focus ? ODS_FOCUS : 0) | (disabled ? ODS_DISABLED : 0);
      DRAWITEMSTRUCT dis{ODT_BUTTON, (UINT)Id(), 0, ODA_DRAWENTIRE, state, m_hwnd, dc.GetSafeHdc(), r, 0};
      ::SendMessage(Parent(), WM_DRAWITEM, (WPARAM)Id(), (LPARAM)&dis);
      return;
    }
    HBRUSH br = CtlColor(dc, WM_CTLCOLORBTN);
    dc.SelectObject((HGDIOBJ)Font());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    std::string text = Text();
    if (t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || t == BS_USERBUTTON || (style & BS_PUSHLIKE)) {
      FillSys(dc, r, COLOR_BTNFACE);
      CRect f = r;
      if (t == BS_DEFPUSHBUTTON) {
        dc.Draw3dRect(&f, RGB(0, 0, 0), RGB(0, 0, 0));
        f.DeflateRect(1, 1);
      }
      bool down = m_pushed || ((style & BS_PUSHLIKE) && m_check);
      Draw3DFrame(dc, f, down);
      CRect tr = f;
      if (down) tr.OffsetRect(1, 1);
      if (m_image && (style & (BS_BITMAP | BS_ICON))) {
        if (style & BS_ICON) DrawIconImage(dc, (HICON)m_image, tr);
        else DrawBitmapAt(dc, (HBITMAP)m_image, tr, true);
      } else {
        dc.DrawText(text.c_str(), (int)text.size(), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      }
      if (m_focus) {
        CRect fr = f;
        fr.DeflateRect(3, 3);
        dc.DrawFocusRect(&fr);
      }
      return;
    }
    // A group box leaves alone what lies inside it: the controls it frames paint there.
    if (t == BS_GROUPBOX) {
      CSize ext = dc.GetTextExtent(text.c_str(), (int)text.size());
      CRect frame(r.left, r.top + ext.cy / 2, r.right, r.bottom);
      dc.DrawEdge(&frame, EDGE_ETCHED, BF_RECT);
      if (!text.empty()) {
        // The caption's cell, with room for what its glyphs' edges blend below the line.
        CRect tr(r.left + 8, r.top, r.left + 12 + ext.cx, r.top + ext.cy + ext.cy / 4);
        ::FillRect(dc.GetSafeHdc(), &tr, br);
        dc.TextOut(r.left + 10, r.top, text.c_str(), (int)text.size());
      }
      return;
    }
    ::FillRect(dc.GetSafeHdc(), &r, br);
    // Check boxes and radio buttons: a 13-pixel box, then the text.
    int box = 13;
    int y = (r.top + r.bottom - box) / 2;
    bool left = (style & BS_LEFTTEXT) != 0;
    int bx = left ? r.right - box : r.left;
    CRect b(bx, y, bx + box, y + box);
    if (IsRadio()) {
      CBrush white(::GetSysColor(disabled || m_pushed ? COLOR_BTNFACE : COLOR_WINDOW));
      CPen pen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
      HGDIOBJ ob = dc.SelectObject((HGDIOBJ)white.m_hObject);
      HGDIOBJ op = dc.SelectObject((HGDIOBJ)pen.m_hObject);
      dc.Ellipse(&b);
      if (m_check) {
        CBrush dot(::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        dc.SelectObject((HGDIOBJ)dot.m_hObject);
        CRect d = b;
        d.DeflateRect(4, 4);
        dc.Ellipse(&d);
        dc.SelectObject((HGDIOBJ)white.m_hObject);
      }
      dc.SelectObject(ob);
      dc.SelectObject(op);
    } else {
      dc.FillSolidRect(&b, ::GetSysColor(disabled || m_pushed ? COLOR_BTNFACE : COLOR_WINDOW));
      Draw3DFrame(dc, b, true);
      if (m_check) {
        COLORREF c = m_check == BST_INDETERMINATE || disabled ? ::GetSysColor(COLOR_GRAYTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
        POINT pts[3] = {{b.left + 3, b.top + 6}, {b.left + 5, b.top + 8}, {b.left + 9, b.top + 4}};
        CPen pen(PS_SOLID, 2, c);
        HGDIOBJ op = dc.SelectObject((HGDIOBJ)pen.m_hObject);
        dc.Polyline(pts, 3);
        dc.SelectObject(op);
      }
    }
    CRect tr = r;
    if (left) tr.right = b.left - 4;
    else tr.left = b.right + 4;
    UINT fmt = DT_VCENTER | DT_SINGLELINE | (left ? DT_RIGHT : DT_LEFT);
    if (style & BS_MULTILINE) fmt = DT_WORDBREAK | (left ? DT_RIGHT : DT_LEFT);
    dc.DrawText(text.c_str(), (int)text.size(), &tr, fmt);
    if (m_focus && !text.empty()) {
      CRect calc = tr;
      dc.DrawText(text.c_str(), (int)text.size(), &calc, fmt | DT_CALCRECT);
      int h = calc.Height();
      CRect fr(tr.left - 1, (tr.top + tr.bottom - h) / 2 - 1, tr.left + calc.Width() + 1, (tr.top + tr.bottom + h) / 2 + 1);
      dc.DrawFocusRect(&fr);
    }
  }
};

}  // namespace

void RegisterStaticAndButton() {
  RegisterControlClass("Static", ControlProc<StaticCtl>, 0);
  RegisterControlClass("Button", ControlProc<ButtonCtl>, CS_DBLCLKS);
}

}  // namespace ui

void DrawIconImage(CDC& dc, HICON icon, const RECT& r) {
  if (!icon) return;
  HBITMAP bm = nullptr;
  for (LPCSTR type : {RT_GROUP_ICON, RT_ICON, RT_GROUP_CURSOR, RT_CURSOR}) {
    LPCSTR name = icon->id ? MAKEINTRESOURCE(icon->id) : icon->name;
    if (!name || (!icon->id && !*name)) break;
    HRSRC res = ::FindResource(icon->instance, name, type);
    if (!res) continue;
    HGLOBAL data = ::LoadResource(icon->instance, res);
    const void* bytes = ::LockResource(data);
    DWORD size = ::SizeofResource(icon->instance, res);
    if (bytes && size) bm = ::CreateBitmapFromBytes((const BYTE*)bytes, size);
    if (bm) break;
  }
  if (bm) {
    ui::DrawBitmapAt(dc, bm, r, true);
    ::DeleteObject(bm);
    return;
  }
  // A stock icon without pixels: a framed square stands for it.
  int s = std::min<int>(32, std::min(r.right - r.left, r.bottom - r.top));
  CRect b((r.left + r.right - s) / 2, (r.top + r.bottom - s) / 2, 0, 0);
  b.right = b.left + s;
  b.bottom = b.top + s;
  dc.Draw3dRect(&b, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNSHADOW));
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  CDC* dc = CDC::FromHandle(hdc);
  if (!dc || !icon) return FALSE;
  DrawIconImage(*dc, icon, CRect(x, y, x + 32, y + 32));
  return TRUE;
}
