// The list box control (also the list of combo boxes): sorted and owner-drawn items, item data,
// single, multiple and extended selection, check boxes for check lists, keys and scrolling.
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/NativeControls.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ui {

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = tolower((unsigned char)a[i]), y = tolower((unsigned char)b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool StartsNoCase(const std::string& s, const char* prefix) {
  size_t n = strlen(prefix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (tolower((unsigned char)s[i]) != tolower((unsigned char)prefix[i])) return false;
  return true;
}

}  // namespace

class ListCtl : public ControlImpl {
 public:
  explicit ListCtl(HWND h) : ControlImpl(h) {}

  struct Item {
    std::string text;
    ULONG_PTR data = 0;
    bool sel = false;
    int height = 0;
    int check = 0;
  };
  std::vector<Item> m_items;
  int m_cur = -1;     // the caret item (the selection of single-selection lists)
  int m_anchor = -1;
  int m_top = 0;
  int m_itemHeight = 0;
  HFONT m_measuredFont = nullptr;
  int m_measuredHeight = 0;
  bool m_focus = false;
  bool m_tracking = false;
  bool m_pressOnBox = false;  // the press that dropped the list was made on the combo box
  bool m_checks = false;
  bool m_redraw = true;
  HWND m_combo = nullptr;  // the combo box this list belongs to
  // The bars asked for at creation: the live style loses a bar while it has nothing to scroll.
  DWORD m_bars = 0;
  int m_extent = 0;  // LB_SETHORIZONTALEXTENT
  int m_left = 0;    // pixels scrolled to the left
  int m_width = -1;  // the client width items were last laid out to

  DWORD LStyle() const {
    DWORD s = Style();
    if (m_combo) {
      // A combo box's list takes its owner-draw and sort styles from the combo box.
      DWORD cs = (DWORD)::GetWindowLongPtr(m_combo, GWL_STYLE);
      s &= ~(LBS_SORT | LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
      if (cs & CBS_SORT) s |= LBS_SORT;
      if (cs & CBS_OWNERDRAWFIXED) s |= LBS_OWNERDRAWFIXED;
      if (cs & CBS_OWNERDRAWVARIABLE) s |= LBS_OWNERDRAWVARIABLE;
      if (cs & CBS_HASSTRINGS) s |= LBS_HASSTRINGS;
      s |= LBS_NOTIFY;
    }
    return s;
  }
  bool OwnerDraw() const { return (LStyle() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
  bool Variable() const { return (LStyle() & LBS_OWNERDRAWVARIABLE) != 0; }
  bool HasStrings() const { return !OwnerDraw() || (LStyle() & LBS_HASSTRINGS); }
  bool MultiSel() const { return (LStyle() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
  HWND NotifyParent() const override { return m_combo ? m_combo : Parent(); }
  HWND OwnerWnd() const { return m_combo ? ::GetParent(m_combo) : Parent(); }
  UINT OwnerId() const { return (UINT)(m_combo ? ::GetDlgCtrlID(m_combo) : Id()); }
  UINT CtlType() const { return m_combo ? ODT_COMBOBOX : ODT_LISTBOX; }
  HWND ItemWnd() const { return m_combo ? m_combo : m_hwnd; }

  // A press gives the focus to the list, or to its combo box (and so to the combo's field).
  HWND PressFocus() const override { return m_combo ? m_combo : m_hwnd; }

  int Count() const { return (int)m_items.size(); }
  bool Valid(long i) const { return i >= 0 && i < (long)m_items.size(); }

  int DefaultHeight() {
    if (m_itemHeight > 0) return m_itemHeight;
    // Measured once per font: the layout asks for it once per shown item at every change.
    HFONT font = Font();
    if (font != m_measuredFont || m_measuredHeight <= 0) {
      MeasureDC m(font);
      m_measuredHeight = m.LineHeight();
      m_measuredFont = font;
    }
    return m_measuredHeight;
  }

  int HeightOf(int i) { return Variable() && Valid(i) && m_items[(size_t)i].height > 0 ? m_items[(size_t)i].height : DefaultHeight(); }

  void ListNotify(WORD code) {
    if (!(LStyle() & LBS_NOTIFY)) return;
    Notify(code);
  }

  void Measure(int index, Item& it) {
    MEASUREITEMSTRUCT mis{CtlType(), OwnerId(), (UINT)index, 0, (UINT)DefaultHeight(), it.data};
    ::SendMessage(OwnerWnd(), WM_MEASUREITEM, mis.CtlID, (LPARAM)&mis);
    it.height = (int)mis.itemHeight;
  }

  int Compare(const Item& a, int index) {
    const Item& b = m_items[(size_t)index];
    if (HasStrings()) return CompareNoCase(a.text, b.text);
    COMPAREITEMSTRUCT cis{CtlType(), OwnerId(), ItemWnd(), (UINT)-1, a.data, (UINT)index, b.data, 0};
    return (int)::SendMessage(OwnerWnd(), WM_COMPAREITEM, cis.CtlID, (LPARAM)&cis);
  }

  int Insert(long index, LPARAM lp, bool add) {
    Item it;
    if (HasStrings()) it.text = lp ? (const char*)lp : "";
    else it.data = (ULONG_PTR)lp;
    long at = index;
    if (add) {
      at = Count();
      if (LStyle() & LBS_SORT) {
        long lo = 0, hi = Count();
        while (lo < hi) {
          long mid = (lo + hi) / 2;
          if (Compare(it, (int)mid) >= 0) lo = mid + 1;
          else hi = mid;
        }
        at = lo;
      }
    } else if (at < 0 || at > Count()) {
      if (at != -1) return LB_ERR;
      at = Count();
    }
    if (Variable()) Measure((int)at, it);
    m_items.insert(m_items.begin() + at, it);
    if (m_cur >= at) ++m_cur;
    if (m_anchor >= at) ++m_anchor;
    Changed();
    return (int)at;
  }

  void SendDelete(int i) {
    const Item& it = m_items[(size_t)i];
    if (!OwnerDraw() && it.data == 0) return;
    DELETEITEMSTRUCT dis{CtlType(), OwnerId(), (UINT)i, ItemWnd(), it.data};
    ::SendMessage(OwnerWnd(), WM_DELETEITEM, dis.CtlID, (LPARAM)&dis);
  }

  int Delete(long i) {
    if (!Valid(i)) return LB_ERR;
    SendDelete((int)i);
    if (!Valid(i)) return LB_ERR;
    m_items.erase(m_items.begin() + i);
    if (m_cur == i) m_cur = -1;
    else if (m_cur > i) --m_cur;
    if (m_anchor >= i) m_anchor = std::max(-1, m_anchor - 1);
    Changed();
    return Count();
  }

  void Reset() {
    for (int i = Count() - 1; i >= 0; --i)
      if (i < Count()) SendDelete(i);
    m_items.clear();
    m_cur = m_anchor = -1;
    m_top = 0;
    Changed();
  }

  void Changed() {
    UpdateScrollBar();
    if (m_redraw) Redraw();
  }

  int ClientHeight() {
    CRect r;
    ::GetClientRect(m_hwnd, &r);
    return r.Height();
  }

  // How many items from `top` fit in `height` pixels (at least one).
  int FitFrom(int top, int height) {
    int n = 0, y = 0;
    for (int i = top; i < Count() && y + HeightOf(i) <= height; ++i, ++n) y += HeightOf(i);
    return std::max(1, n);
  }
  int VisibleFrom(int top) { return FitFrom(top, ClientHeight()); }

  // The top of the last page: as many items from the end as fit.
  int MaxTop(int height) {
    int y = 0, i = Count() - 1;
    for (; i >= 0 && y + HeightOf(i) <= height; --i) y += HeightOf(i);
    return std::clamp(i + 1, 0, std::max(0, Count() - 1));
  }

  // The bars the items and the extent need and the client they leave. Each bar takes room from the
  // other's direction, so one bar coming can bring the other.
  struct Layout {
    bool v, h;
    int width, height;
  };
  Layout Bars() {
    CRect r;
    ::GetClientRect(m_hwnd, &r);
    const int cx = ::GetSystemMetrics(SM_CXVSCROLL), cy = ::GetSystemMetrics(SM_CYHSCROLL);
    const int w = r.Width() + ((Style() & WS_VSCROLL) ? cx : 0), h = r.Height() + ((Style() & WS_HSCROLL) ? cy : 0);
    auto needV = [&](int height) {
      return (m_bars & WS_VSCROLL) && ((LStyle() & LBS_DISABLENOSCROLL) || FitFrom(0, height) < Count());
    };
    bool v = needV(h), hz = (m_bars & WS_HSCROLL) && m_extent > w - (v ? cx : 0);
    if (hz && !v) v = needV(h - cy);
    return {v, hz, w - (v ? cx : 0), h - (hz ? cy : 0)};
  }

  int ClientWidth() {
    CRect r;
    ::GetClientRect(m_hwnd, &r);
    return r.Width();
  }

  // Both bars are set from the client they leave together, so setting one cannot undo the other.
  void UpdateScrollBar() {
    const Layout l = Bars();
    m_top = std::clamp(m_top, 0, MaxTop(l.height));
    m_left = std::clamp(m_left, 0, std::max(0, m_extent - l.width));
    if (m_bars & WS_VSCROLL) {
      SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, Count() - 1), (UINT)FitFrom(m_top, l.height), m_top, 0};
      if (LStyle() & LBS_DISABLENOSCROLL) si.fMask |= SIF_DISABLENOSCROLL;
      ::SetScrollInfo(m_hwnd, SB_VERT, &si, TRUE);
    }
    if (m_bars & WS_HSCROLL) {
      SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, m_extent - 1), (UINT)l.width, m_left, 0};
      ::SetScrollInfo(m_hwnd, SB_HORZ, &si, TRUE);
    }
  }

  void SetLeft(int left) {
    left = std::clamp(left, 0, std::max(0, m_extent - ClientWidth()));
    if (left == m_left) return;
    m_left = left;
    UpdateScrollBar();
    Redraw();
  }

  void SetTop(int top) {
    top = std::clamp(top, 0, MaxTop(Bars().height));
    if (top != m_top) {
      m_top = top;
      UpdateScrollBar();
      Redraw();
    }
  }

  void EnsureVisible(int i) {
    if (!Valid(i)) return;
    if (i < m_top) SetTop(i);
    else {
      while (i >= m_top + VisibleFrom(m_top) && m_top < i) SetTop(m_top + 1);
    }
  }

  bool ItemRect(int i, RECT* r) {
    if (!Valid(i) && !(i == 0 && Count() == 0)) return false;
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    int y = 0;
    if (i >= m_top)
      for (int k = m_top; k < i; ++k) y += HeightOf(k);
    else
      for (int k = i; k < m_top; ++k) y -= HeightOf(k);
    *r = CRect(c.left, y, c.right, y + HeightOf(i));
    return true;
  }

  int ItemAt(POINT pt, bool* outside = nullptr) {
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    if (outside) *outside = !c.PtInRect(pt);
    if (Count() == 0) return -1;
    if (pt.y < 0) return m_top;
    int y = 0;
    for (int i = m_top; i < Count(); ++i) {
      y += HeightOf(i);
      if (pt.y < y) return i;
    }
    if (outside) *outside = true;
    return Count() - 1;
  }

  int CurSel() const {
    if (MultiSel()) return m_cur;
    return Valid(m_cur) && m_items[(size_t)m_cur].sel ? m_cur : -1;
  }

  void SelectOnly(int i) {
    for (auto& it : m_items) it.sel = false;
    if (Valid(i)) m_items[(size_t)i].sel = true;
    m_cur = Valid(i) ? i : -1;
  }

  void SelectRange(int a, int b, bool on) {
    if (a > b) std::swap(a, b);
    for (int i = std::max(0, a); i <= b && i < Count(); ++i) m_items[(size_t)i].sel = on;
  }

  // A user action moved the caret to `i`.
  void UserSelect(int i, bool shift, bool ctrl, bool toggle) {
    if (!Valid(i)) return;
    int before = CurSel();
    std::vector<bool> was;
    for (auto& it : m_items) was.push_back(it.sel);
    DWORD s = LStyle();
    if (s & LBS_NOSEL) {
      m_cur = i;
    } else if (s & LBS_MULTIPLESEL) {
      m_cur = i;
      if (toggle) m_items[(size_t)i].sel = !m_items[(size_t)i].sel;
    } else if (s & LBS_EXTENDEDSEL) {
      if (shift && Valid(m_anchor)) {
        if (!ctrl)
          for (auto& it : m_items) it.sel = false;
        SelectRange(m_anchor, i, true);
      } else if (ctrl) {
        m_items[(size_t)i].sel = !m_items[(size_t)i].sel;
        m_anchor = i;
      } else {
        SelectOnly(i);
        m_anchor = i;
      }
      m_cur = i;
    } else {
      SelectOnly(i);
    }
    EnsureVisible(i);
    Redraw();
    bool changed = CurSel() != before;
    for (size_t k = 0; k < m_items.size() && !changed; ++k) changed = was[k] != m_items[k].sel;
    if (changed) ListNotify(LBN_SELCHANGE);
  }

  void ToggleCheck(int i) {
    if (!m_checks || !Valid(i)) return;
    Item& it = m_items[(size_t)i];
    it.check = it.check ? 0 : 1;
    Redraw();
    // CLBN_CHKCHANGE
    Notify(40);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      // A combo box's dropped list is picked from without taking the activation, so the focus
      // stays in the combo box.
      case WM_MOUSEACTIVATE:
        if (Style() & WS_POPUP) return MA_NOACTIVATE;
        return Default(msg, wp, lp);
      case WM_DESTROY:
        // The owner frees the data of the items that are left, as when they are deleted.
        for (int i = Count() - 1; i >= 0; --i)
          if (i < Count()) SendDelete(i);
        m_items.clear();
        return Default(msg, wp, lp);
      case WM_CREATE: {
        LRESULT r = Default(msg, wp, lp);
        m_bars = (lp ? ((CREATESTRUCT*)lp)->style : Style()) & (WS_VSCROLL | WS_HSCROLL);
        if ((LStyle() & LBS_OWNERDRAWFIXED) && !m_combo) {
          Item probe;
          Measure(0, probe);
          if (probe.height > 0) m_itemHeight = probe.height;
        }
        UpdateScrollBar();
        return r;
      }
      case WM_PAINT: Paint(wp); return 0;
      case WM_ERASEBKGND: return TRUE;
      case WM_SIZE: {
        // Items, their selection and focus frames span the client's width: a new width draws them anew.
        const int top = m_top, left = m_left, width = m_width;
        m_width = LOWORD(lp);
        UpdateScrollBar();
        if (top != m_top || left != m_left || width != m_width) Redraw();
        return Default(msg, wp, lp);
      }
      case WM_SETREDRAW:
        m_redraw = wp != 0;
        if (m_redraw) Changed();
        return Default(msg, wp, lp);
      case WM_SETFONT:
        Default(msg, wp, lp);
        m_measuredHeight = 0;
        if (LOWORD(lp)) Redraw();
        return 0;
      case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case WM_SETFOCUS:
        m_focus = true;
        if (m_cur < 0 && Count() && MultiSel()) m_cur = 0;
        Redraw();
        ListNotify(LBN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        m_focus = false;
        Redraw();
        ListNotify(LBN_KILLFOCUS);
        return 0;
      case WM_LBUTTONDOWN: {
        const unsigned mark = ModeMark();
        if (!PressTakesFocus()) return 0;
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        bool outside = false;
        int i = ItemAt(pt, &outside);
        if (outside && m_combo) {
          ::SendMessage(m_combo, CBX_LISTDONE, FALSE, 0);
          return 0;
        }
        if (i < 0) return 0;
        CRect ir;
        ItemRect(i, &ir);
        if (m_checks && pt.x < ir.left + 16) {
          ToggleCheck(i);
          return 0;
        }
        const HWND self = m_hwnd;
        UserSelect(i, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0, true);
        // The owner may answer the choice with a box (a value elsewhere refused): the mouse is the box's.
        if (!::IsWindow(self) || ModeMark() != mark) return 0;
        m_tracking = true;
        ::SetCapture(m_hwnd);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (m_tracking && !(LStyle() & LBS_MULTIPLESEL)) {
          POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
          bool outside = false;
          int i = ItemAt(pt, &outside);
          if (i >= 0 && i != m_cur && !(m_pressOnBox && outside))
            UserSelect(i, (LStyle() & LBS_EXTENDEDSEL) != 0, false, false);
        }
        return 0;
      case WM_LBUTTONUP:
        if (m_tracking) {
          m_tracking = false;
          // A press on the box released off the list leaves it down, waiting for a click.
          bool outside = false;
          if (m_pressOnBox) ItemAt(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, &outside);
          m_pressOnBox = false;
          if (outside) return 0;
          if (::GetCapture() == m_hwnd) ::ReleaseCapture();
          if (m_combo) ::SendMessage(m_combo, CBX_LISTDONE, TRUE, 0);
        }
        return 0;
      case WM_CAPTURECHANGED:
        if ((HWND)lp != m_hwnd) m_tracking = m_pressOnBox = false;
        return 0;
      case WM_LBUTTONDBLCLK: {
        if (!PressTakesFocus()) return 0;
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        int i = ItemAt(pt);
        if (i >= 0) {
          UserSelect(i, false, false, false);
          ListNotify(LBN_DBLCLK);
        }
        return 0;
      }
      case WM_MOUSEWHEEL: SetTop(m_top - (short)HIWORD(wp) / WHEEL_DELTA * 3); return 0;
      case WM_VSCROLL: {
        int top = m_top;
        switch (LOWORD(wp)) {
          case SB_LINEUP: --top; break;
          case SB_LINEDOWN: ++top; break;
          case SB_PAGEUP: top -= VisibleFrom(m_top); break;
          case SB_PAGEDOWN: top += VisibleFrom(m_top); break;
          case SB_THUMBPOSITION:
          case SB_THUMBTRACK: top = ThumbCodePos(m_hwnd, SB_VERT, wp); break;
          case SB_TOP: top = 0; break;
          case SB_BOTTOM: top = Count(); break;
          default: return 0;
        }
        SetTop(top);
        return 0;
      }
      case WM_HSCROLL: {
        int left = m_left, step = std::max(1, DefaultHeight());
        switch (LOWORD(wp)) {
          case SB_LINELEFT: left -= step; break;
          case SB_LINERIGHT: left += step; break;
          case SB_PAGELEFT: left -= ClientWidth(); break;
          case SB_PAGERIGHT: left += ClientWidth(); break;
          case SB_THUMBPOSITION:
          case SB_THUMBTRACK: left = ThumbCodePos(m_hwnd, SB_HORZ, wp); break;
          case SB_LEFT: left = 0; break;
          case SB_RIGHT: left = m_extent; break;
          default: return 0;
        }
        SetLeft(left);
        return 0;
      }
      case WM_KEYDOWN: {
        bool shift = ::GetKeyState(VK_SHIFT) < 0, ctrl = ::GetKeyState(VK_CONTROL) < 0;
        int i = m_cur < 0 ? 0 : m_cur;
        int page = VisibleFrom(m_top);
        switch (wp) {
          // One column: the sideways arrows step as Up and Down do.
          case VK_LEFT:
          case VK_UP: i = m_cur < 0 ? 0 : i - 1; break;
          case VK_RIGHT:
          case VK_DOWN: i = m_cur < 0 ? 0 : i + 1; break;
          case VK_PRIOR: i -= page - 1; break;
          case VK_NEXT: i += page - 1; break;
          case VK_HOME: i = 0; break;
          case VK_END: i = Count() - 1; break;
          case VK_SPACE:
            if (m_checks) ToggleCheck(m_cur);
            else if (LStyle() & LBS_MULTIPLESEL) UserSelect(m_cur, false, false, true);
            return 0;
          default: return Default(msg, wp, lp);
        }
        if (Count() == 0) return 0;
        i = std::clamp(i, 0, Count() - 1);
        bool extended = (LStyle() & LBS_EXTENDEDSEL) != 0;
        if (LStyle() & LBS_MULTIPLESEL) {
          m_cur = i;
          EnsureVisible(i);
          Redraw();
        } else {
          UserSelect(i, extended && shift, extended && ctrl, false);
        }
        return 0;
      }
      case WM_CHAR: {
        if (wp < 32 || !HasStrings()) return 0;
        char pre[2] = {(char)wp, 0};
        for (int k = 1; k <= Count(); ++k) {
          int i = ((m_cur < 0 ? -1 : m_cur) + k) % Count();
          if (StartsNoCase(m_items[(size_t)i].text, pre)) {
            UserSelect(i, false, false, false);
            break;
          }
        }
        return 0;
      }
      case LB_ADDSTRING: return Insert(-1, lp, true);
      case LB_INSERTSTRING: return Insert((long)(int)wp, lp, false);
      case LB_DELETESTRING: return Delete((long)(int)wp);
      case LB_RESETCONTENT: Reset(); return 0;
      case LB_GETCOUNT: return Count();
      case LB_SETCURSEL: {
        long i = (long)(int)wp;
        if (MultiSel()) return LB_ERR;
        if (!Valid(i)) {
          SelectOnly(-1);
          Redraw();
          return i == -1 ? LB_ERR : LB_ERR;
        }
        SelectOnly((int)i);
        EnsureVisible((int)i);
        Redraw();
        return i;
      }
      case LB_GETCURSEL: return CurSel();
      case LB_SETSEL: {
        if (!MultiSel()) return LB_ERR;
        long i = (long)(int)lp;
        if (i == -1) SelectRange(0, Count() - 1, wp != 0);
        else if (Valid(i)) {
          m_items[(size_t)i].sel = wp != 0;
          m_cur = (int)i;
        } else return LB_ERR;
        Redraw();
        return 0;
      }
      case LB_GETSEL: return Valid((long)(int)wp) ? (LRESULT)m_items[wp].sel : LB_ERR;
      case LB_GETSELCOUNT: {
        if (!MultiSel()) return LB_ERR;
        return std::count_if(m_items.begin(), m_items.end(), [](const Item& it) { return it.sel; });
      }
      case LB_GETSELITEMS: {
        if (!MultiSel() || !lp) return LB_ERR;
        int* out = (int*)lp;
        int n = 0;
        for (int i = 0; i < Count() && n < (int)wp; ++i)
          if (m_items[(size_t)i].sel) out[n++] = i;
        return n;
      }
      case LB_SELITEMRANGE:
      case LB_SELITEMRANGEEX: {
        if (!MultiSel()) return LB_ERR;
        if (msg == LB_SELITEMRANGE) SelectRange(LOWORD(lp), HIWORD(lp), wp != 0);
        else if ((int)wp <= (int)lp) SelectRange((int)wp, (int)lp, true);
        else SelectRange((int)lp, (int)wp, false);
        Redraw();
        return 0;
      }
      case LB_SETANCHORINDEX: m_anchor = (int)wp; return 0;
      case LB_GETANCHORINDEX: return m_anchor;
      case LB_SETCARETINDEX:
        if (!Valid((long)(int)wp)) return LB_ERR;
        m_cur = (int)wp;
        EnsureVisible(m_cur);
        Redraw();
        return 0;
      case LB_GETCARETINDEX: return m_cur;
      case LB_GETTEXT: {
        long i = (long)(int)wp;
        if (!Valid(i) || !lp) return LB_ERR;
        const Item& it = m_items[(size_t)i];
        if (!HasStrings()) {
          memcpy((void*)lp, &it.data, sizeof it.data);
          return (LRESULT)sizeof it.data;
        }
        memcpy((char*)lp, it.text.c_str(), it.text.size() + 1);
        return (LRESULT)it.text.size();
      }
      case LB_GETTEXTLEN: {
        long i = (long)(int)wp;
        if (!Valid(i)) return LB_ERR;
        return HasStrings() ? (LRESULT)m_items[(size_t)i].text.size() : (LRESULT)sizeof(ULONG_PTR);
      }
      case LB_GETITEMDATA: return Valid((long)(int)wp) ? (LRESULT)m_items[wp].data : LB_ERR;
      case LB_SETITEMDATA:
        if (!Valid((long)(int)wp)) return LB_ERR;
        m_items[wp].data = (ULONG_PTR)lp;
        return 0;
      case LB_FINDSTRING:
      case LB_FINDSTRINGEXACT:
      case LB_SELECTSTRING: {
        int i = Find((long)(int)wp, lp, msg == LB_FINDSTRINGEXACT);
        if (msg == LB_SELECTSTRING && i >= 0) {
          if (MultiSel()) return LB_ERR;
          SelectOnly(i);
          EnsureVisible(i);
          Redraw();
        }
        return i;
      }
      case LB_GETTOPINDEX: return m_top;
      case LB_SETTOPINDEX:
        if (!Valid((long)(int)wp) && !(wp == 0 && Count() == 0)) return LB_ERR;
        SetTop((int)wp);
        return 0;
      case LB_GETITEMRECT: return lp && ItemRect((int)wp, (RECT*)lp) ? 1 : LB_ERR;
      case LB_GETITEMHEIGHT: return Variable() && Valid((long)(int)wp) ? HeightOf((int)wp) : DefaultHeight();
      case LB_SETITEMHEIGHT: {
        int h = LOWORD(lp);
        if (h <= 0 || h > 255) return LB_ERR;
        if (Variable() && Valid((long)(int)wp)) m_items[wp].height = h;
        else m_itemHeight = h;
        Changed();
        return 0;
      }
      case LB_ITEMFROMPOINT: {
        bool outside = false;
        int i = ItemAt(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, &outside);
        return MAKELONG((WORD)std::max(0, i), outside ? 1 : 0);
      }
      case LB_INITSTORAGE: m_items.reserve(m_items.size() + wp); return Count();
      case LB_SETTABSTOPS:
      case LB_SETHORIZONTALEXTENT:
        m_extent = std::max(0, (int)wp);
        UpdateScrollBar();
        Redraw();
        return 0;
      case LB_SETCOLUMNWIDTH: return TRUE;
      case LB_GETHORIZONTALEXTENT: return m_extent;
      case LBX_SETCHECK:
        if (!Valid((long)(int)wp)) return LB_ERR;
        m_items[wp].check = (int)lp;
        Redraw();
        return 0;
      case LBX_GETCHECK: return Valid((long)(int)wp) ? m_items[wp].check : LB_ERR;
      case LBX_ENABLECHECKS: m_checks = wp != 0; Redraw(); return 0;
      case LBX_SETCOMBO: m_combo = (HWND)wp; return 0;
      case LBX_TRACKPRESS: m_tracking = m_pressOnBox = true; return 0;
      case LBX_USERSELECT: UserSelect((int)wp, false, false, false); return 0;
      default: return Default(msg, wp, lp);
    }
  }

  int Find(long start, LPARAM lp, bool exact) {
    int n = Count();
    if (n == 0) return LB_ERR;
    long from = (start < 0 || start >= n) ? -1 : start;
    for (int k = 1; k <= n; ++k) {
      int i = (int)((from + k) % n);
      const Item& it = m_items[(size_t)i];
      if (!HasStrings()) {
        if (it.data == (ULONG_PTR)lp) return i;
        continue;
      }
      const char* s = lp ? (const char*)lp : "";
      if (exact ? CompareNoCase(it.text, s) == 0 : StartsNoCase(it.text, s)) return i;
    }
    return LB_ERR;
  }

  void Paint(WPARAM wp) {
    ControlPaint p(m_hwnd, wp);
    CDC& dc = p.dc();
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    HBRUSH br = CtlColor(dc, WM_CTLCOLORLISTBOX);
    COLORREF text = dc.GetTextColor();
    ::FillRect(dc.GetSafeHdc(), &c, br);
    dc.SelectObject((HGDIOBJ)Font());
    dc.SetBkMode(TRANSPARENT);
    bool disabled = (Style() & WS_DISABLED) != 0;
    int y = 0;
    for (int i = m_top; i < Count() && y < c.bottom; ++i) {
      int h = HeightOf(i);
      CRect r(c.left - m_left, y, std::max(c.right, m_extent) - m_left, y + h);
      y += h;
      const Item& it = m_items[(size_t)i];
      bool sel = it.sel && !(LStyle() & LBS_NOSEL);
      bool focus = m_focus && i == m_cur;
      if (OwnerDraw()) {
        UINT state = (sel ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0) | (disabled ? ODS_DISABLED : 0);
        DRAWITEMSTRUCT dis{CtlType(), OwnerId(), (UINT)i, ODA_DRAWENTIRE, state, ItemWnd(), dc.GetSafeHdc(), r, it.data};
        if (m_checks) {
          DrawCheck(dc, r, it.check, disabled);
          dis.rcItem.left += 16;
        }
        int saved = dc.SaveDC();
        ::SendMessage(OwnerWnd(), WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
        dc.RestoreDC(saved);
        // A check list draws its own items when the owner does not.
        if (m_checks && HasStrings()) DrawTextItem(dc, CRect(dis.rcItem), it, sel, focus, text);
        continue;
      }
      if (m_checks) {
        DrawCheck(dc, r, it.check, disabled);
        r.left += 16;
      }
      DrawTextItem(dc, r, it, sel, focus, text);
    }
    if (Count() == 0 && m_focus) {
      CRect r(c.left, 0, c.right, DefaultHeight());
      dc.DrawFocusRect(&r);
    }
  }

  void DrawTextItem(CDC& dc, CRect r, const Item& it, bool sel, bool focus, COLORREF text) {
    if (sel) dc.FillSolidRect(&r, ::GetSysColor(COLOR_HIGHLIGHT));
    dc.SetTextColor(sel ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
    CRect tr = r;
    tr.left += 2;
    UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | ((LStyle() & LBS_USETABSTOPS) ? DT_EXPANDTABS : 0);
    dc.DrawText(it.text.c_str(), (int)it.text.size(), &tr, fmt);
    if (focus) dc.DrawFocusRect(&r);
  }

  void DrawCheck(CDC& dc, const CRect& r, int check, bool disabled) {
    int s = std::min(13, r.Height() - 2);
    CRect b(r.left + 2, r.top + (r.Height() - s) / 2, r.left + 2 + s, r.top + (r.Height() - s) / 2 + s);
    dc.FillSolidRect(&b, ::GetSysColor(disabled ? COLOR_BTNFACE : COLOR_WINDOW));
    dc.Draw3dRect(&b, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNSHADOW));
    if (check) {
      CPen pen(PS_SOLID, 2, ::GetSysColor(check == 2 ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
      HGDIOBJ old = dc.SelectObject((HGDIOBJ)pen.m_hObject);
      POINT pts[3] = {{b.left + 3, b.top + s / 2}, {b.left + 5, b.top + s / 2 + 2}, {b.right - 3, b.top + 3}};
      dc.Polyline(pts, 3);
      dc.SelectObject(old);
    }
  }
};

void RegisterListBox() {
  RegisterControlClass("ListBox", ControlProc<ListCtl>, CS_DBLCLKS);
  RegisterControlClass("ComboLBox", ControlProc<ListCtl>, CS_DBLCLKS | CS_SAVEBITS);
}

}  // namespace ui
