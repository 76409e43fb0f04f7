// The combo box control: simple, drop-down and drop-down list styles, with its edit child and list.
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/NativeControls.h"

#include <algorithm>
#include <cstring>

namespace ui {
namespace {

const int kEditId = 1001;
const int kListId = 1000;

class ComboCtl : public ControlImpl {
 public:
  explicit ComboCtl(HWND h) : ControlImpl(h) {}

  HWND m_edit = nullptr;
  HWND m_list = nullptr;
  bool m_dropped = false;
  int m_selAtDrop = -1;  // the choice when the list dropped: a cancelled list goes back to it
  bool m_dropAgain = false;  // dropped by its owner while a press still chose in it
  bool m_focus = false;
  int m_fieldHeight = 0;
  int m_droppedHeight = 100;
  int m_droppedWidth = 0;
  bool m_extendedUI = false;
  DWORD m_listScroll = WS_VSCROLL;
  // Text the program puts in the edit is not the user's edit: it raises no edit notifications.
  int m_settingText = 0;

  UINT Kind() const { return Style() & 3; }
  bool HasEdit() const { return Kind() == CBS_SIMPLE || Kind() == CBS_DROPDOWN; }
  int ButtonWidth() const { return Kind() == CBS_SIMPLE ? 0 : ::GetSystemMetrics(SM_CXVSCROLL); }

  // A press anywhere on the box gives it the focus: to its field when it has one.
  HWND PressFocus() const override { return m_edit ? m_edit : m_hwnd; }

  LRESULT List(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return m_list ? ::SendMessage(m_list, msg, wp, lp) : CB_ERR; }

  void SetEditText(const char* text) {
    ++m_settingText;
    ::SendMessage(m_edit, WM_SETTEXT, 0, (LPARAM)text);
    --m_settingText;
  }

  int FieldHeight() {
    if (m_fieldHeight > 0) return m_fieldHeight;
    if (Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
      MEASUREITEMSTRUCT mis{ODT_COMBOBOX, (UINT)Id(), (UINT)-1, 0, 0, 0};
      MeasureDC m(Font());
      mis.itemHeight = (UINT)m.LineHeight();
      ::SendMessage(Parent(), WM_MEASUREITEM, (WPARAM)Id(), (LPARAM)&mis);
      return (int)mis.itemHeight + 6;
    }
    MeasureDC m(Font());
    return m.LineHeight() + 8;
  }

  std::string ItemText(int i) const {
    LRESULT n = List(LB_GETTEXTLEN, (WPARAM)i);
    if (n < 0) return std::string();
    std::string s((size_t)n + 1, '\0');
    List(LB_GETTEXT, (WPARAM)i, (LPARAM)s.data());
    s.resize((size_t)n);
    return s;
  }

  void SyncEdit() {
    int sel = (int)List(LB_GETCURSEL);
    if (m_edit) {
      std::string t = sel >= 0 ? ItemText(sel) : std::string();
      SetEditText(t.c_str());
      ::DefWindowProc(m_hwnd, WM_SETTEXT, 0, (LPARAM)t.c_str());
      if (m_focus) ::SendMessage(m_edit, EM_SETSEL, 0, -1);
    } else {
      std::string t = sel >= 0 && !(Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) ? ItemText(sel) : std::string();
      ::DefWindowProc(m_hwnd, WM_SETTEXT, 0, (LPARAM)t.c_str());
    }
    Redraw();
  }

  void Layout() {
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    int fh = FieldHeight();
    if (m_edit) {
      CRect e(c.left + 3, c.top + 3, c.right - 3 - ButtonWidth(), std::min<LONG>(c.bottom, fh) - 3);
      if (Kind() == CBS_SIMPLE) e = CRect(c.left, c.top, c.right, fh);
      ::MoveWindow(m_edit, e.left, e.top, e.Width(), std::max<LONG>(1, e.Height()), TRUE);
    }
    if (m_list && Kind() == CBS_SIMPLE) ::MoveWindow(m_list, c.left, fh, c.Width(), std::max<LONG>(0, c.bottom - fh), TRUE);
  }

  // The list opens on the first entry that begins with the edit's text (any case), or on none;
  // the edit keeps its text and no selection change is reported.
  void SelectEditText() { List(LB_SETCURSEL, (WPARAM)FirstBeginning(FieldText())); }

  std::string FieldText() const {
    const int length = std::max(0, (int)::SendMessage(m_edit, WM_GETTEXTLENGTH, 0, 0));
    std::string text((size_t)length + 1, '\0');
    ::SendMessage(m_edit, WM_GETTEXT, (WPARAM)text.size(), (LPARAM)text.data());
    text.resize((size_t)length);
    return text;
  }

  // The first entry that begins with `text` (any case); none for no text.
  int FirstBeginning(const std::string& text) const {
    return text.empty() ? LB_ERR : (int)List(LB_FINDSTRING, (WPARAM)-1, (LPARAM)text.c_str());
  }

  // The chosen entry at the top of the list.
  void ShowChosen() {
    if (int sel = (int)List(LB_GETCURSEL); sel >= 0) List(LB_SETTOPINDEX, (WPARAM)sel);
  }

  int DroppedListHeight() {
    return std::max(m_droppedHeight - FieldHeight(), (int)::SendMessage(m_list, LB_GETITEMHEIGHT, 0, 0) + 2);
  }

  // A page is the dropped list's whole items, open or not; a page key keeps one of them in view.
  int PageStep() {
    const int item = std::max(1, (int)List(LB_GETITEMHEIGHT));
    int client = DroppedListHeight() - 2;
    if (m_dropped) {
      CRect c;
      ::GetClientRect(m_list, &c);
      client = c.Height();
    }
    return std::max(1, client / item) - 1;
  }

  void Drop(bool show) {
    if (Kind() == CBS_SIMPLE || show == m_dropped || !m_list) return;
    HWND self = m_hwnd;
    if (show) {
      Notify(CBN_DROPDOWN);
      if (!::IsWindow(self)) return;
      CRect w;
      ::GetWindowRect(m_hwnd, &w);
      int width = std::max<int>(w.Width(), m_droppedWidth);
      int height = DroppedListHeight();
      ::SetWindowPos(m_list, HWND_TOPMOST, w.left, w.bottom, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
      m_dropped = true;
      m_selAtDrop = (int)List(LB_GETCURSEL);
      if (Kind() == CBS_DROPDOWN && m_edit) SelectEditText();
      ShowChosen();
      ::SetCapture(m_list);
    } else {
      m_dropped = false;
      m_dropAgain = false;
      if (::GetCapture() == m_list) ::ReleaseCapture();
      ::ShowWindow(m_list, SW_HIDE);
      Notify(CBN_CLOSEUP);
    }
    if (::IsWindow(self)) Redraw();
  }

  void Choose(bool ok) {
    HWND self = m_hwnd;
    const bool again = m_dropAgain && ok;
    Notify(ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (!::IsWindow(self)) return;
    Drop(false);
    // The owner answered the press's choice by dropping the list again: the release leaves it down.
    if (again && ::IsWindow(self)) Drop(true);
    // A cancelled list shows again the entry it dropped on, so the box never shows an entry its
    // owner was not given; the owner hears the change back as it heard the keys' changes.
    if (!ok && ::IsWindow(self) && Kind() == CBS_DROPDOWNLIST && (int)List(LB_GETCURSEL) != m_selAtDrop &&
        m_selAtDrop < (int)List(LB_GETCOUNT)) {
      List(LB_SETCURSEL, (WPARAM)m_selAtDrop);
      SyncEdit();
      Redraw();
      Notify(CBN_SELCHANGE);
    }
  }

  // Shut by a key that drops it, the list keeps the entry the keys went to.
  void DropOrChoose() {
    if (m_dropped) Choose(true);
    else Drop(true);
  }

  // The entry a key steps on from: the chosen one; for a shut drop-down whose field holds another
  // text (typed or put there), the first entry that text begins, as the list opens on it.
  int StepStart() {
    const int cur = (int)List(LB_GETCURSEL);
    if (m_dropped || !m_edit || Kind() != CBS_DROPDOWN) return cur;
    const std::string text = FieldText();
    if (text.empty() || (cur >= 0 && ItemText(cur) == text)) return cur;
    const int found = FirstBeginning(text);
    return found >= 0 ? found : cur;
  }

  void MoveSelection(int delta, bool absolute) {
    int n = (int)List(LB_GETCOUNT);
    if (n <= 0) return;
    int cur = (int)List(LB_GETCURSEL);
    const int from = StepStart();
    int next = absolute ? delta : (from < 0 ? 0 : from + delta);
    next = std::clamp(next, 0, n - 1);
    if (next == cur) return;
    List(LB_SETCURSEL, (WPARAM)next);
    SyncEdit();
    // A closed list takes a key's selection as final, so its owner hears the selection end too.
    if (!m_dropped) {
      HWND self = m_hwnd;
      Notify(CBN_SELENDOK);
      if (!::IsWindow(self)) return;
    }
    Notify(CBN_SELCHANGE);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_NCCREATE: {
        // The scroll-bar styles are the list's: the box itself has none.
        DWORD st = Style();
        m_listScroll = st & (WS_VSCROLL | WS_HSCROLL);
        ::SetWindowLongPtr(m_hwnd, GWL_STYLE, (LONG_PTR)(st & ~(WS_VSCROLL | WS_HSCROLL)));
        return Default(msg, wp, lp);
      }
      case WM_CREATE: {
        auto* cs = (CREATESTRUCT*)lp;
        Default(msg, wp, lp);
        DWORD style = Style();
        HINSTANCE inst = (HINSTANCE)::GetWindowLongPtr(m_hwnd, GWL_HINSTANCE);
        if (HasEdit()) {
          DWORD es = WS_CHILD | WS_VISIBLE | ES_LEFT | ((style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0);
          if (style & CBS_UPPERCASE) es |= ES_UPPERCASE;
          if (style & CBS_LOWERCASE) es |= ES_LOWERCASE;
          m_edit = ::CreateWindowEx(Kind() == CBS_SIMPLE ? WS_EX_CLIENTEDGE : 0, "Edit", "", es, 0, 0, 10, 10, m_hwnd,
                                    (HMENU)(UINT_PTR)kEditId, inst, nullptr);
          if (m_edit && Kind() != CBS_SIMPLE) ::SendMessage(m_edit, EDX_SETCOMBO, (WPARAM)m_hwnd, 0);
        }
        if (Kind() == CBS_SIMPLE) {
          m_list = ::CreateWindowEx(WS_EX_CLIENTEDGE, "ComboLBox", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | m_listScroll, 0, 0, 10, 10,
                                    m_hwnd, (HMENU)(UINT_PTR)kListId, inst, nullptr);
        } else {
          m_list = ::CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "ComboLBox", "", WS_POPUP | WS_BORDER | WS_VSCROLL | m_listScroll,
                                    0, 0, 10, 10, m_hwnd, nullptr, inst, nullptr);
        }
        if (m_list) ::SendMessage(m_list, LBX_SETCOMBO, (WPARAM)m_hwnd, 0);
        if (m_list && (style & CBS_OWNERDRAWFIXED)) {
          // The items of a fixed owner-drawn list are as high as its owner measures the first one.
          MEASUREITEMSTRUCT mis{ODT_COMBOBOX, (UINT)Id(), 0, 0, (UINT)::SendMessage(m_list, LB_GETITEMHEIGHT, 0, 0), 0};
          ::SendMessage(Parent(), WM_MEASUREITEM, (WPARAM)Id(), (LPARAM)&mis);
          if (mis.itemHeight > 0) ::SendMessage(m_list, LB_SETITEMHEIGHT, 0, (LPARAM)mis.itemHeight);
        }
        if (cs && Kind() != CBS_SIMPLE) {
          m_droppedHeight = cs->cy;
          ::SetWindowPos(m_hwnd, nullptr, 0, 0, cs->cx, FieldHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        Layout();
        return 0;
      }
      case WM_DESTROY:
        if (m_list && !(::GetWindowLongPtr(m_list, GWL_STYLE) & WS_CHILD)) ::DestroyWindow(m_list);
        m_list = nullptr;
        return Default(msg, wp, lp);
      case WM_WINDOWPOSCHANGING: {
        auto* pos = (WINDOWPOS*)lp;
        // The height given to a drop-down combo box is its dropped height; the box keeps its field height.
        if (pos && !(pos->flags & SWP_NOSIZE) && Kind() != CBS_SIMPLE && m_list) {
          if (pos->cy != FieldHeight()) m_droppedHeight = pos->cy;
          pos->cy = FieldHeight();
        }
        return Default(msg, wp, lp);
      }
      case WM_SIZE: Layout(); return Default(msg, wp, lp);
      case WM_SETFONT:
        Default(msg, wp, lp);
        if (m_edit) ::SendMessage(m_edit, WM_SETFONT, wp, lp);
        if (m_list) ::SendMessage(m_list, WM_SETFONT, wp, lp);
        if (Kind() != CBS_SIMPLE) {
          CRect w;
          ::GetWindowRect(m_hwnd, &w);
          int keep = m_droppedHeight;
          ::SetWindowPos(m_hwnd, nullptr, 0, 0, w.Width(), FieldHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
          m_droppedHeight = keep;
        }
        Layout();
        return 0;
      case WM_PAINT: Paint(wp); return 0;
      case WM_ERASEBKGND: return TRUE;
      case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
        auto* m = (MSG*)lp;
        if (m_dropped && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
          code |= DLGC_WANTALLKEYS;
        return code;
      }
      case WM_SETFOCUS:
        if (m_edit) {
          ::SetFocus(m_edit);
          return 0;
        }
        m_focus = true;
        Redraw();
        Notify(CBN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        if (m_edit && (HWND)wp == m_edit) return 0;
        m_focus = false;
        if (m_dropped) Choose(false);
        Redraw();
        Notify(CBN_KILLFOCUS);
        return 0;
      case WM_COMMAND:
        if ((HWND)lp == m_edit && m_edit) {
          switch (HIWORD(wp)) {
            case EN_CHANGE:
              if (m_settingText) break;
              // What the user types leaves the list's choice behind: an open list follows the text, a
              // closed one chooses nothing, so an emptied field reads empty.
              if (m_dropped) {
                SelectEditText();
                ShowChosen();
              } else {
                List(LB_SETCURSEL, (WPARAM)-1);
              }
              Notify(CBN_EDITCHANGE);
              break;
            case EN_UPDATE:
              if (!m_settingText) Notify(CBN_EDITUPDATE);
              break;
            case EN_SETFOCUS:
              m_focus = true;
              ::SendMessage(m_edit, EM_SETSEL, 0, -1);
              Notify(CBN_SETFOCUS);
              break;
            case EN_KILLFOCUS: {
              HWND f = ::GetFocus();
              if (f != m_hwnd && f != m_list) {
                m_focus = false;
                if (m_dropped) Choose(false);
                Notify(CBN_KILLFOCUS);
              }
              break;
            }
            default: break;
          }
          return 0;
        }
        if ((HWND)lp == m_list && m_list) {
          if (HIWORD(wp) == LBN_SELCHANGE) {
            SyncEdit();
            Notify(CBN_SELCHANGE);
          } else if (HIWORD(wp) == LBN_DBLCLK && Kind() == CBS_SIMPLE) {
            Notify(CBN_DBLCLK);
          }
          return 0;
        }
        return Default(msg, wp, lp);
      case CBX_LISTDONE: Choose(wp != 0); return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        if (Kind() == CBS_SIMPLE) return 0;
        if (!PressTakesFocus()) return 0;
        CRect c;
        ::GetClientRect(m_hwnd, &c);
        int x = GET_X_LPARAM(lp);
        if (!m_edit || x >= c.right - ButtonWidth()) {
          if (m_dropped) {
            Choose(false);
          } else {
            Drop(true);
            // The button still down: the choice is made where it is released.
            if (m_dropped && msg == WM_LBUTTONDOWN) ::SendMessage(m_list, LBX_TRACKPRESS, 0, 0);
          }
        }
        return 0;
      }
      case WM_KEYDOWN: {
        bool alt = ::GetKeyState(VK_MENU) < 0;
        switch (wp) {
          case VK_F4: DropOrChoose(); return 0;
          case VK_RETURN:
            if (m_dropped) Choose(true);
            return 0;
          case VK_ESCAPE:
            if (m_dropped) Choose(false);
            return 0;
          case VK_UP:
          case VK_DOWN:
            if (alt) {
              DropOrChoose();
              return 0;
            }
            MoveSelection(wp == VK_UP ? -1 : 1, false);
            return 0;
          case VK_LEFT:
          case VK_RIGHT:
            // Without an edit the sideways arrows step through the list as Up and Down do.
            if (m_edit) return Default(msg, wp, lp);
            MoveSelection(wp == VK_LEFT ? -1 : 1, false);
            return 0;
          case VK_PRIOR:
          case VK_NEXT: {
            const int cur = std::max(0, StepStart());
            MoveSelection(cur + (wp == VK_PRIOR ? -PageStep() : PageStep()), true);
            return 0;
          }
          case VK_HOME:
            if (!m_edit) MoveSelection(0, true);
            return 0;
          case VK_END:
            if (!m_edit) MoveSelection((int)List(LB_GETCOUNT) - 1, true);
            return 0;
          default: return Default(msg, wp, lp);
        }
      }
      case WM_SYSKEYDOWN:
        if (wp == VK_DOWN || wp == VK_UP) {
          DropOrChoose();
          return 0;
        }
        return Default(msg, wp, lp);
      case WM_CHAR:
        if (!m_edit && wp >= 32) {
          char pre[2] = {(char)wp, 0};
          int start = (int)List(LB_GETCURSEL);
          int i = (int)List(LB_FINDSTRING, (WPARAM)start, (LPARAM)pre);
          if (i >= 0) MoveSelection(i, true);
        }
        return 0;
      case WM_SETTEXT: {
        const char* s = lp ? (const char*)lp : "";
        if (m_edit) {
          SetEditText(s);
          // An open list follows the text put in the field, as it does when it drops.
          if (m_dropped) {
            SelectEditText();
            ShowChosen();
          }
          return Default(msg, wp, lp);
        }
        int i = (int)List(LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)s);
        if (i < 0) return CB_ERR;
        List(LB_SETCURSEL, (WPARAM)i);
        SyncEdit();
        return TRUE;
      }
      case WM_GETTEXT:
        if (m_edit) return ::SendMessage(m_edit, WM_GETTEXT, wp, lp);
        return Default(msg, wp, lp);
      case WM_GETTEXTLENGTH:
        if (m_edit) return ::SendMessage(m_edit, WM_GETTEXTLENGTH, 0, 0);
        return Default(msg, wp, lp);
      case WM_ENABLE:
        if (m_edit) ::EnableWindow(m_edit, (BOOL)wp);
        if (m_list) ::EnableWindow(m_list, (BOOL)wp);
        Redraw();
        return 0;
      case WM_DRAWITEM:
      case WM_MEASUREITEM:
      case WM_DELETEITEM:
      case WM_COMPAREITEM:
        return ::SendMessage(Parent(), msg, (WPARAM)Id(), lp);
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
        return ::SendMessage(Parent(), msg, wp, lp);
      case CB_ADDSTRING: {
        LRESULT r = List(LB_ADDSTRING, 0, lp);
        return r;
      }
      case CB_INSERTSTRING: return List(LB_INSERTSTRING, wp, lp);
      case CB_DELETESTRING: {
        int sel = (int)List(LB_GETCURSEL);
        LRESULT r = List(LB_DELETESTRING, wp, lp);
        if (sel == (int)wp) SyncEdit();
        return r;
      }
      case CB_RESETCONTENT:
        List(LB_RESETCONTENT);
        if (m_edit) SetEditText("");
        ::DefWindowProc(m_hwnd, WM_SETTEXT, 0, (LPARAM)"");
        Redraw();
        return CB_OKAY;
      case CB_GETCOUNT: return List(LB_GETCOUNT);
      case CB_GETCURSEL: return List(LB_GETCURSEL);
      case CB_SETCURSEL: {
        LRESULT r = List(LB_SETCURSEL, wp);
        SyncEdit();
        return (long)(int)wp < 0 ? CB_ERR : r;
      }
      case CB_GETLBTEXT: return List(LB_GETTEXT, wp, lp);
      case CB_GETLBTEXTLEN: return List(LB_GETTEXTLEN, wp);
      case CB_GETITEMDATA: return List(LB_GETITEMDATA, wp);
      case CB_SETITEMDATA: return List(LB_SETITEMDATA, wp, lp);
      case CB_FINDSTRING: return List(LB_FINDSTRING, wp, lp);
      case CB_FINDSTRINGEXACT: return List(LB_FINDSTRINGEXACT, wp, lp);
      case CB_SELECTSTRING: {
        int i = (int)List(LB_FINDSTRING, wp, lp);
        if (i < 0) return CB_ERR;
        List(LB_SETCURSEL, (WPARAM)i);
        SyncEdit();
        return i;
      }
      case CB_GETTOPINDEX: return List(LB_GETTOPINDEX);
      case CB_SETTOPINDEX: return List(LB_SETTOPINDEX, wp);
      case CB_INITSTORAGE: return List(LB_INITSTORAGE, wp, lp);
      case CB_SHOWDROPDOWN:
        if (wp && m_dropped && ::GetKeyState(VK_LBUTTON) < 0) m_dropAgain = true;
        Drop(wp != 0);
        return TRUE;
      case CB_GETDROPPEDSTATE: return m_dropped;
      case CB_GETDROPPEDCONTROLRECT: {
        if (!lp) return CB_ERR;
        CRect w;
        ::GetWindowRect(m_hwnd, &w);
        *(RECT*)lp = CRect(w.left, w.top, w.left + std::max<int>(w.Width(), m_droppedWidth), w.top + std::max(m_droppedHeight, w.Height()));
        return CB_OKAY;
      }
      case CB_SETDROPPEDWIDTH: m_droppedWidth = (int)wp; return m_droppedWidth;
      case CB_GETDROPPEDWIDTH: {
        CRect w;
        ::GetWindowRect(m_hwnd, &w);
        return std::max<int>(w.Width(), m_droppedWidth);
      }
      case CB_SETITEMHEIGHT: {
        if ((int)wp == -1) {
          if ((int)lp <= 0 || (int)lp > 255) return CB_ERR;
          m_fieldHeight = (int)lp + 6;
          if (Kind() != CBS_SIMPLE) {
            CRect w;
            ::GetWindowRect(m_hwnd, &w);
            int keep = m_droppedHeight;
            ::SetWindowPos(m_hwnd, nullptr, 0, 0, w.Width(), m_fieldHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            m_droppedHeight = keep;
          }
          Layout();
          return CB_OKAY;
        }
        return List(LB_SETITEMHEIGHT, wp, lp);
      }
      case CB_GETITEMHEIGHT:
        if ((int)wp == -1) return FieldHeight() - 6;
        return List(LB_GETITEMHEIGHT, wp);
      case CB_SETEXTENDEDUI: m_extendedUI = wp != 0; return CB_OKAY;
      case CB_GETEXTENDEDUI: return m_extendedUI;
      case CB_LIMITTEXT:
        if (!m_edit) return CB_ERR;
        ::SendMessage(m_edit, EM_LIMITTEXT, wp, 0);
        return TRUE;
      case CB_GETEDITSEL:
        if (!m_edit) return CB_ERR;
        return ::SendMessage(m_edit, EM_GETSEL, wp, lp);
      case CB_SETEDITSEL:
        if (!m_edit) return CB_ERR;
        ::SendMessage(m_edit, EM_SETSEL, (WPARAM)(short)LOWORD(lp), (LPARAM)(short)HIWORD(lp));
        return TRUE;
      case CB_SETHORIZONTALEXTENT:
      case CB_SETLOCALE: return 0;
      case CB_GETHORIZONTALEXTENT:
      case CB_GETLOCALE: return 0;
      default: return Default(msg, wp, lp);
    }
  }

  void Paint(WPARAM wp) {
    ControlPaint p(m_hwnd, wp);
    CDC& dc = p.dc();
    CRect c;
    ::GetClientRect(m_hwnd, &c);
    if (Kind() == CBS_SIMPLE) {
      FillSys(dc, c, COLOR_BTNFACE);
      return;
    }
    bool disabled = (Style() & WS_DISABLED) != 0;
    HBRUSH br = CtlColor(dc, WM_CTLCOLOREDIT);
    COLORREF text = dc.GetTextColor();
    CRect field = c;
    ::FillRect(dc.GetSafeHdc(), &field, br);
    Draw3DFrame(dc, field, true);
    CRect btn(c.right - 2 - ButtonWidth(), c.top + 2, c.right - 2, c.bottom - 2);
    FillSys(dc, btn, COLOR_BTNFACE);
    Draw3DFrame(dc, btn, m_dropped);
    // The arrow.
    int cx = (btn.left + btn.right) / 2, cy = (btn.top + btn.bottom) / 2;
    CBrush arrow(::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    CPen none(PS_NULL, 0, (COLORREF)0);
    HGDIOBJ ob = dc.SelectObject((HGDIOBJ)arrow.m_hObject);
    HGDIOBJ op = dc.SelectObject((HGDIOBJ)none.m_hObject);
    POINT tri[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
    dc.Polygon(tri, 3);
    dc.SelectObject(ob);
    dc.SelectObject(op);
    if (m_edit) return;
    CRect item(c.left + 3, c.top + 3, btn.left - 1, c.bottom - 3);
    int sel = (int)List(LB_GETCURSEL);
    DWORD style = Style();
    // The owner draws the field's text with the font the DC holds.
    dc.SelectObject((HGDIOBJ)Font());
    if (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
      UINT state = ODS_COMBOBOXEDIT | (m_focus && !m_dropped ? ODS_SELECTED | ODS_FOCUS : 0) | (disabled ? ODS_DISABLED : 0);
      DRAWITEMSTRUCT dis{ODT_COMBOBOX, (UINT)Id(), (UINT)sel, ODA_DRAWENTIRE, state, m_hwnd, dc.GetSafeHdc(), item,
                         sel >= 0 ? (ULONG_PTR)List(LB_GETITEMDATA, (WPARAM)sel) : 0};
      int saved = dc.SaveDC();
      ::SendMessage(Parent(), WM_DRAWITEM, (WPARAM)Id(), (LPARAM)&dis);
      dc.RestoreDC(saved);
      return;
    }
    dc.SetBkMode(TRANSPARENT);
    if (m_focus && !m_dropped) {
      dc.FillSolidRect(&item, ::GetSysColor(COLOR_HIGHLIGHT));
      dc.SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      dc.SetTextColor(text);
    }
    if (sel >= 0) {
      std::string t = ItemText(sel);
      CRect tr = item;
      tr.left += 2;
      dc.DrawText(t.c_str(), (int)t.size(), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (m_focus && !m_dropped) dc.DrawFocusRect(&item);
  }
};

}  // namespace

void RegisterComboBox() { RegisterControlClass("ComboBox", ControlProc<ComboCtl>, CS_DBLCLKS); }

}  // namespace ui
