#include "platform/ui/Dialog.h"

#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Resource.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/NativeControls.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinThread.h"
#include "platform/ui/WindowPaint.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

const int kStateOffset = 8;  // the first slot is DWLP_MSGRESULT

struct DlgState {
  DLGPROC proc = nullptr;
  UINT defId = 0;
  HWND lastFocus = nullptr;
  HFONT font = nullptr;
  SIZE base{6, 13};
  bool ended = false;
  INT_PTR result = 0;
};

DlgState* State(HWND h) {
  if (!IsWindow(h)) return nullptr;
  char cls[16] = {0};
  ::GetClassName(h, cls, sizeof cls);
  if (strcmp(cls, WC_DIALOG) != 0) return nullptr;
  return reinterpret_cast<DlgState*>(::GetWindowLongPtr(h, kStateOffset));
}

LRESULT DialogClassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE && !::GetWindowLongPtr(h, kStateOffset)) ::SetWindowLongPtr(h, kStateOffset, (LONG_PTR) new DlgState);
  auto* st = reinterpret_cast<DlgState*>(::GetWindowLongPtr(h, kStateOffset));
  if (st && st->proc) {
    ::SetWindowLongPtr(h, DWLP_MSGRESULT, 0);
    INT_PTR handled = st->proc(h, msg, wp, lp);
    if (!IsWindow(h)) return 0;
    if (handled) {
      switch (msg) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON: return handled;
        default: return ::GetWindowLongPtr(h, DWLP_MSGRESULT);
      }
    }
  }
  LRESULT r = DefDlgProc(h, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtr(h, kStateOffset, 0);
    delete st;
  }
  return r;
}

void RegisterDialogClass() {
  static const bool done = [] {
    ui::EnsureNativeControls();
    WNDCLASS wc{};
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = DialogClassProc;
    wc.cbWndExtra = 16;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_DIALOG;
    ::RegisterClass(&wc);
    // Without a thread object nothing would offer keys to dialogs; the framework's hooks replace
    // this one when a thread object exists.
    if (!GetUiPumpHooks().preTranslate) {
      UiPumpHooks hooks = GetUiPumpHooks();
      hooks.preTranslate = [](MSG* m) -> BOOL { return CWnd::WalkPreTranslateTree(nullptr, m); };
      SetUiPumpHooks(hooks);
    }
    return true;
  }();
  (void)done;
}

struct AutoRegisterDialog {
  AutoRegisterDialog() { RegisterDialogClass(); }
} g_autoRegisterDialog;

UINT DlgCode(HWND h, const MSG* m = nullptr) { return (UINT)::SendMessage(h, WM_GETDLGCODE, m ? m->wParam : 0, (LPARAM)m); }

// Controls of a dialog in tab order; children that are control parents stand for their controls.
void CollectControls(HWND parent, std::vector<HWND>& out) {
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    DWORD ex = (DWORD)::GetWindowLongPtr(c, GWL_EXSTYLE);
    if ((ex & WS_EX_CONTROLPARENT) && ::IsWindowVisible(c) && ::IsWindowEnabled(c)) CollectControls(c, out);
    else out.push_back(c);
  }
}


// The dialog that handles the keys of a control: the topmost dialog-like ancestor below `dlg`.
void SetDlgFocus(HWND dlg, HWND ctl) {
  if (!ctl || !IsWindow(ctl)) return;
  if (DlgState* st = State(dlg)) st->lastFocus = ctl;
  ::SetFocus(ctl);
  if (::GetFocus() == ctl && (DlgCode(ctl) & DLGC_HASSETSEL)) ::SendMessage(ctl, EM_SETSEL, 0, -1);
}

HWND FirstTabItem(HWND dlg) { return GetNextDlgTabItem(dlg, nullptr, FALSE); }

std::map<std::pair<std::string, WORD>, HFONT>& FontCache() {
  static auto* m = new std::map<std::pair<std::string, WORD>, HFONT>;
  return *m;
}
std::mutex& FontMutex() {
  static std::mutex m;
  return m;
}

HWND CreateDialogWindow(const DIALOG_RESOURCE* t, HINSTANCE module, HWND parent, DLGPROC proc, LPARAM init,
                        CWnd* wnd, LPVOID createParam = nullptr, UINT childId = 0) {
  RegisterDialogClass();
  if (!t) return nullptr;
  HFONT font = GetDialogFont(t->fontFace, t->pointSize);
  SIZE base = GetDialogFontBaseUnits(t->fontFace, t->pointSize);
  DWORD style = t->style & ~WS_VISIBLE;
  DWORD exStyle = t->exStyle | ((t->style & DS_CONTROL) ? WS_EX_CONTROLPARENT : 0);
  if ((t->style & DS_MODALFRAME)) exStyle |= WS_EX_DLGMODALFRAME;
  CRect r(0, 0, MulDiv(t->cx, base.cx, 4), MulDiv(t->cy, base.cy, 8));
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  int x = MulDiv(t->x, base.cx, 4), y = MulDiv(t->y, base.cy, 8);
  if (!(style & WS_CHILD)) {
    if ((t->style & DS_CENTER) || (t->x == 0 && t->y == 0)) {
      CRect area(0, 0, DRAVONIX_DESKTOP_WIDTH, DRAVONIX_DESKTOP_HEIGHT);
      if (parent && IsWindow(parent)) ::GetWindowRect(parent, &area);
      x = area.left + (area.Width() - r.Width()) / 2;
      y = area.top + (area.Height() - r.Height()) / 2;
      x = std::clamp<int>(x, 0, std::max<int>(0, DRAVONIX_DESKTOP_WIDTH - r.Width()));
      y = std::clamp<int>(y, 0, std::max<int>(0, DRAVONIX_DESKTOP_HEIGHT - r.Height()));
    } else if (parent && IsWindow(parent) && !(t->style & DS_ABSALIGN)) {
      POINT o{0, 0};
      ::ClientToScreen(parent, &o);
      x += o.x;
      y += o.y;
    }
  }
  LPCSTR cls = t->className && *t->className ? t->className : WC_DIALOG;
  HWND h = nullptr;
  if (wnd) {
    if (!wnd->CreateEx(exStyle, cls, t->caption ? t->caption : "", style, x, y, r.Width(), r.Height(), parent,
                       (HMENU)(UINT_PTR)childId, createParam))
      return nullptr;
    h = wnd->m_hWnd;
  } else {
    h = ::CreateWindowEx(exStyle, cls, t->caption ? t->caption : "", style, x, y, r.Width(), r.Height(), parent, nullptr,
                         module, nullptr);
  }
  if (!h) return nullptr;
  if (DlgState* st = State(h)) {
    st->proc = proc;
    st->font = font;
    st->base = base;
  }
  ::SendMessage(h, WM_SETFONT, (WPARAM)font, FALSE);
  for (UINT i = 0; i < t->itemCount && t->items; ++i) {
    const DLGITEM_ENTRY& it = t->items[i];
    if (!IsWindow(h)) return nullptr;
    LPCSTR ccls = it.className && (IS_INTRESOURCE(it.className) || *it.className) ? it.className : "Static";
    bool image = false;
    if (!IS_INTRESOURCE(ccls) && strcasecmp(ccls, "Static") == 0) {
      UINT type = it.style & SS_TYPEMASK;
      image = type == SS_ICON || type == SS_BITMAP;
    }
    LPCSTR text = image || !it.text || IS_INTRESOURCE(it.text) ? "" : it.text;
    HWND c = ::CreateWindowEx(it.exStyle | WS_EX_NOPARENTNOTIFY, ccls, text, it.style | WS_CHILD,
                              MulDiv(it.x, base.cx, 4), MulDiv(it.y, base.cy, 8), MulDiv(it.cx, base.cx, 4),
                              MulDiv(it.cy, base.cy, 8), h, (HMENU)(UINT_PTR)it.id, module, nullptr);
    if (!c) {
      if (t->style & DS_NOFAILCREATE) continue;
      ::DestroyWindow(h);
      return nullptr;
    }
    ::SendMessage(c, WM_SETFONT, (WPARAM)font, FALSE);
    if (image && it.text) {
      if ((it.style & SS_TYPEMASK) == SS_ICON) {
        HICON icon = ::LoadIcon(module, it.text);
        if (!icon) icon = ::LoadIcon(AfxFindResourceHandle(it.text, RT_GROUP_ICON), it.text);
        if (icon) ::SendMessage(c, STM_SETICON, (WPARAM)icon, 0);
      } else {
        CBitmap bm;
        BOOL ok = IS_INTRESOURCE(it.text) ? bm.LoadBitmap((UINT)(ULONG_PTR)it.text) : bm.LoadBitmap(it.text);
        if (ok) ::SendMessage(c, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bm.Detach());
      }
    }
  }
  if (!IsWindow(h)) return nullptr;
  // The default button is the template's: the look that follows the focus never changes it.
  if (DlgState* st = State(h); st && !st->defId) {
    std::vector<HWND> all;
    CollectControls(h, all);
    for (HWND c : all)
      if (DlgCode(c) & DLGC_DEFPUSHBUTTON) {
        st->defId = (UINT)::GetDlgCtrlID(c);
        break;
      }
  }
  HWND first = FirstTabItem(h);
  if (::SendMessage(h, WM_INITDIALOG, (WPARAM)first, init) && IsWindow(h)) {
    first = FirstTabItem(h);
    if (first && !(t->style & DS_CONTROL) && !(style & WS_CHILD)) SetDlgFocus(h, first);
  }
  if (!IsWindow(h)) return nullptr;
  if (t->style & WS_VISIBLE) {
    ::ShowWindow(h, SW_SHOWNORMAL);
    ::UpdateWindow(h);
  }
  return h;
}

}  // namespace

HWND AfxCreateDialogWindow(const DIALOG_RESOURCE* tmpl, HINSTANCE module, HWND parent, CWnd* wnd, LPVOID createParam,
                           UINT childId) {
  return CreateDialogWindow(tmpl, module, parent, nullptr, 0, wnd, createParam, childId);
}

// ---- Templates --------------------------------------------------------------------------------------

const DIALOG_RESOURCE* FindDialogTemplate(HINSTANCE module, LPCSTR name) {
  if (!name) return nullptr;
  HRSRC res = ::FindResource(module, name, RT_DIALOG);
  if (!res) return nullptr;
  if (::SizeofResource(module, res) < sizeof(DIALOG_RESOURCE)) return nullptr;
  return static_cast<const DIALOG_RESOURCE*>(::LockResource(::LoadResource(module, res)));
}

const DIALOG_RESOURCE* AfxFindDialogTemplate(LPCSTR name, HINSTANCE* foundIn) {
  if (foundIn) *foundIn = nullptr;
  if (!name) return nullptr;
  HINSTANCE module = AfxFindResourceHandle(name, RT_DIALOG);
  if (!module) return nullptr;
  const DIALOG_RESOURCE* t = FindDialogTemplate(module, name);
  if (t && foundIn) *foundIn = module;
  return t;
}

const DLGINIT_RESOURCE* AfxFindDialogInitData(LPCSTR name) {
  if (!name) return nullptr;
  HINSTANCE module = AfxFindResourceHandle(name, RT_DLGINIT);
  HRSRC res = module ? ::FindResource(module, name, RT_DLGINIT) : nullptr;
  if (!res || ::SizeofResource(module, res) < sizeof(DLGINIT_RESOURCE)) return nullptr;
  return static_cast<const DLGINIT_RESOURCE*>(::LockResource(::LoadResource(module, res)));
}

HFONT GetDialogFont(LPCSTR face, WORD pointSize) {
  std::string f = face && *face ? face : "MS Sans Serif";
  WORD pt = pointSize ? pointSize : 8;
  std::lock_guard<std::mutex> lk(FontMutex());
  auto key = std::make_pair(f, pt);
  auto it = FontCache().find(key);
  if (it != FontCache().end()) return it->second;
  LOGFONT lf{};
  lf.lfHeight = -MulDiv(pt, 96, 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  strncpy(lf.lfFaceName, f.c_str(), LF_FACESIZE - 1);
  HFONT h = ::CreateFontIndirect(&lf);
  FontCache()[key] = h;
  return h;
}

SIZE GetDialogFontBaseUnits(LPCSTR face, WORD pointSize) {
  ui::MeasureDC m(GetDialogFont(face, pointSize));
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  CSize ext = m.dc.GetTextExtent(kAlphabet, 52);
  TEXTMETRIC tm{};
  m.dc.GetTextMetrics(&tm);
  return SIZE{std::max<LONG>(1, (ext.cx / 26 + 1) / 2), std::max<LONG>(1, tm.tmHeight)};
}

LONG GetDialogBaseUnits() {
  SIZE s = GetDialogFontBaseUnits(nullptr, 0);
  return MAKELONG((WORD)s.cx, (WORD)s.cy);
}

BOOL MapDialogRect(HWND dlg, LPRECT rect) {
  if (!rect) return FALSE;
  SIZE base = GetDialogFontBaseUnits(nullptr, 0);
  if (DlgState* st = State(dlg)) base = st->base;
  rect->left = MulDiv(rect->left, base.cx, 4);
  rect->right = MulDiv(rect->right, base.cx, 4);
  rect->top = MulDiv(rect->top, base.cy, 8);
  rect->bottom = MulDiv(rect->bottom, base.cy, 8);
  return TRUE;
}

// ---- The dialog manager --------------------------------------------------------------------------------

HWND CreateDialogIndirectParam(HINSTANCE instance, const DIALOG_RESOURCE* tmpl, HWND parent, DLGPROC proc, LPARAM init) {
  return CreateDialogWindow(tmpl, instance, parent, proc, init, nullptr);
}

HWND CreateDialogParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM init) {
  const DIALOG_RESOURCE* t = instance ? FindDialogTemplate(instance, name) : AfxFindDialogTemplate(name, &instance);
  return CreateDialogWindow(t, instance, parent, proc, init, nullptr);
}

INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DIALOG_RESOURCE* tmpl, HWND parent, DLGPROC proc, LPARAM init) {
  if (!tmpl) return -1;
  bool enable = parent && IsWindow(parent) && IsWindowEnabled(parent);
  if (enable) ::EnableWindow(parent, FALSE);
  HWND h = CreateDialogWindow(tmpl, instance, parent, proc, init, nullptr);
  INT_PTR result = -1;
  if (h && IsWindow(h)) {
    DlgState* st = State(h);
    if (st && !st->ended) {
      ::ShowWindow(h, SW_SHOWNORMAL);
      ::UpdateWindow(h);
      CWnd* w = CWnd::FromHandle(h);
      if (!DialogAutomation::RunDialogHandler(w, nullptr)) {
        DialogAutomation::RecordUnscripted(w, nullptr);
        ::EndDialog(h, IDCANCEL);
      }
      MSG msg;
      while (IsWindow(h) && (st = State(h)) != nullptr && !st->ended) {
        int got = UiGetMessageTimeout(&msg, Clock::IsVirtual() ? 10000 : 0x7FFFFFFF);
        if (got == 0) {
          PostQuitMessage((int)msg.wParam);
          break;
        }
        if (got < 0) {
          ::EndDialog(h, IDCANCEL);
          break;
        }
        if (!IsDialogMessage(h, &msg)) {
          ::TranslateMessage(&msg);
          ::DispatchMessage(&msg);
        }
      }
    }
    st = State(h);
    result = st ? st->result : -1;
    if (IsWindow(h)) ::DestroyWindow(h);
  }
  if (enable && IsWindow(parent)) ::EnableWindow(parent, TRUE);
  return result;
}

INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM init) {
  const DIALOG_RESOURCE* t = instance ? FindDialogTemplate(instance, name) : AfxFindDialogTemplate(name, &instance);
  if (!t) return -1;
  return DialogBoxIndirectParam(instance, t, parent, proc, init);
}

namespace {
// An ended modal dialog hides at once; the end of its loop gives the activation back to its owner.
void HideEndedModal(HWND dlg) {
  ::SetWindowPos(dlg, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
}
}  // namespace

BOOL EndDialog(HWND dlg, INT_PTR result) {
  DlgState* st = State(dlg);
  if (!st) return FALSE;
  st->ended = true;
  st->result = result;
  CWnd* w = CWnd::FromHandlePermanent(dlg);
  if (w && (w->m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))) {
    w->EndModalLoop((int)result);
    HideEndedModal(dlg);
  } else {
    ::ShowWindow(dlg, SW_HIDE);
  }
  return TRUE;
}

static HWND DefaultButton(HWND dlg) {
  LRESULT def = ::SendMessage(dlg, DM_GETDEFID, 0, 0);
  if (HIWORD(def) != DC_HASDEFID) return nullptr;
  return ::GetDlgItem(dlg, LOWORD(def));
}

namespace {
// The default-button look follows the focus: a push button with the focus looks like the default
// one, any other control gives the look back to the dialog's default button.
void MoveDefaultLook(HWND dlg, HWND to) {
  auto pushButton = [](HWND c) {
    const UINT type = (UINT)::GetWindowLongPtr(c, GWL_STYLE) & BS_TYPEMASK;
    return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && (DlgCode(c) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
  };
  HWND look = to && pushButton(to) ? to : DefaultButton(dlg);
  std::vector<HWND> all;
  CollectControls(dlg, all);
  for (HWND c : all) {
    if (!pushButton(c)) continue;
    const DWORD style = (DWORD)::GetWindowLongPtr(c, GWL_STYLE);
    const DWORD type = c == look ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((style & BS_TYPEMASK) != type) ::SendMessage(c, BM_SETSTYLE, (style & 0xFFFF & ~BS_TYPEMASK) | type, TRUE);
  }
}
}  // namespace

namespace {
// The letter a label's or button's text marks with '&' ("&&" is a plain '&'); 0 when none. Other
// controls hold what the user typed, which marks nothing.
char MnemonicOf(HWND c) {
  const UINT code = DlgCode(c);
  if (!(code & (DLGC_STATIC | DLGC_BUTTON))) return 0;
  char cls[16] = {0};
  ::GetClassName(c, cls, sizeof cls);
  if (!strcasecmp(cls, "Static") && ((DWORD)::GetWindowLongPtr(c, GWL_STYLE) & SS_NOPREFIX)) return 0;
  char text[256] = {0};
  ::GetWindowText(c, text, sizeof text);
  for (const char* p = text; *p; ++p) {
    if (*p != '&') continue;
    if (p[1] != '&') return (char)std::tolower((unsigned char)p[1]);
    ++p;
  }
  return 0;
}

// Alt+letter, or a letter while a button has the focus, acts on the control it marks: a label
// hands the focus to the control after it, a button is pressed, any other control takes the focus.
// A letter that more than one control marks only moves the focus to the next of them, so the user
// can see which one is meant before pressing it.
bool GoToMnemonic(HWND dlg, char ch) {
  ch = (char)std::tolower((unsigned char)ch);
  if (!ch) return false;
  std::vector<HWND> all;
  CollectControls(dlg, all);
  const auto usable = [](HWND c) { return ::IsWindowVisible(c) && ::IsWindowEnabled(c); };
  const size_t n = all.size(), focus = (size_t)(std::find(all.begin(), all.end(), ::GetFocus()) - all.begin());
  const bool shared = std::count_if(all.begin(), all.end(), [&](HWND c) { return usable(c) && MnemonicOf(c) == ch; }) > 1;
  for (size_t k = 1; k <= n; ++k) {
    size_t i = (focus + k) % n;
    HWND c = all[i];
    if (!usable(c) || MnemonicOf(c) != ch) continue;
    if (DlgCode(c) & DLGC_STATIC) {
      // A label or group box: the next control that is not one.
      size_t j = i;
      do j = (j + 1) % n;
      while (j != i && (!usable(all[j]) || (DlgCode(all[j]) & DLGC_STATIC)));
      if (j == i) return true;
      c = all[j];
    }
    const UINT code = DlgCode(c);
    if (!shared && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
      ::SendMessage(c, BM_CLICK, 0, 0);
    } else {
      SetDlgFocus(dlg, c);
      MoveDefaultLook(dlg, c);
      if (!shared && (code & DLGC_BUTTON)) ::SendMessage(c, BM_CLICK, 0, 0);
    }
    return true;
  }
  return false;
}
}  // namespace

BOOL IsDialogMessage(HWND dlg, LPMSG msg) {
  if (!msg || !IsWindow(dlg)) return FALSE;
  if (msg->hwnd != dlg && !::IsChild(dlg, msg->hwnd)) return FALSE;
  HWND target = msg->hwnd;
  if ((msg->message == WM_SYSCHAR || (msg->message == WM_CHAR && (DlgCode(target, msg) & DLGC_BUTTON))) &&
      GoToMnemonic(dlg, (char)msg->wParam))
    return TRUE;
  if (msg->message == WM_KEYDOWN) {
    UINT code = DlgCode(target, msg);
    if (!(code & DLGC_WANTALLKEYS)) {
      bool shift = ::GetKeyState(VK_SHIFT) < 0;
      switch (msg->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          if (HWND next = GetNextDlgTabItem(dlg, ::GetFocus(), shift)) ::SendMessage(dlg, WM_NEXTDLGCTL, (WPARAM)next, TRUE);
          return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
          if (code & DLGC_WANTARROWS) break;
          bool prev = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
          HWND next = GetNextDlgGroupItem(dlg, ::GetFocus(), prev);
          // A label or group box the arrows come to takes no focus: the key does nothing.
          if (next && next != ::GetFocus() && !(DlgCode(next) & DLGC_STATIC)) {
            SetDlgFocus(dlg, next);
            MoveDefaultLook(dlg, next);
            // A radio button the arrows reach is clicked: an automatic one checks itself, and the
            // owner of any other kind hears of the choice as from a click, unless it is made.
            UINT nc = DlgCode(next);
            const bool automatic = ((DWORD)::GetWindowLongPtr(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
            if ((nc & DLGC_RADIOBUTTON) && (automatic || ::SendMessage(next, BM_GETCHECK, 0, 0) != BST_CHECKED))
              ::SendMessage(next, BM_CLICK, 0, 0);
          }
          return TRUE;
        }
        case VK_RETURN: {
          HWND focus = ::GetFocus();
          HWND button = nullptr;
          if (focus && (DlgCode(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) button = focus;
          else button = DefaultButton(dlg);
          int id = button ? ::GetDlgCtrlID(button) : IDOK;
          if (button && !IsWindowEnabled(button)) {
            ::MessageBeep(0);
            return TRUE;
          }
          ::SendMessage(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
          return TRUE;
        }
        case VK_ESCAPE: {
          HWND cancel = ::GetDlgItem(dlg, IDCANCEL);
          if (cancel && !IsWindowEnabled(cancel)) return TRUE;
          ::SendMessage(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
          return TRUE;
        }
        default: break;
      }
    }
  }
  ::TranslateMessage(msg);
  ::DispatchMessage(msg);
  return TRUE;
}

LRESULT DefDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  DlgState* st = reinterpret_cast<DlgState*>(::GetWindowLongPtr(dlg, kStateOffset));
  switch (msg) {
    case WM_ERASEBKGND: {
      HDC hdc = (HDC)wp;
      if (!hdc) return 0;
      HBRUSH b = (HBRUSH)::SendMessage(dlg, WM_CTLCOLORDLG, wp, (LPARAM)dlg);
      if (!b) b = ::GetSysColorBrush(COLOR_BTNFACE);
      CRect r;
      ::GetClientRect(dlg, &r);
      ::FillRect(hdc, &r, b);
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORMSGBOX:
      if (wp) {
        ::SetBkColor((HDC)wp, ::GetSysColor(COLOR_BTNFACE));
        ::SetTextColor((HDC)wp, ::GetSysColor(COLOR_WINDOWTEXT));
      }
      return (LRESULT)::GetSysColorBrush(COLOR_BTNFACE);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: return 0;
    case WM_CLOSE: {
      HWND cancel = ::GetDlgItem(dlg, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel)) return 0;
      ::PostMessage(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
      return 0;
    }
    case WM_SETFOCUS: {
      HWND to = st && st->lastFocus && IsWindow(st->lastFocus) && ::IsChild(dlg, st->lastFocus) ? st->lastFocus : FirstTabItem(dlg);
      if (to) SetDlgFocus(dlg, to);
      return 0;
    }
    case WM_CANCELMODE: {
      // Disabled for a modal loop, the dialog loses the focus before it hears that it is no longer
      // active: the control clicked to open the loop is the one its activation gives the focus back to.
      HWND f = ::GetFocus();
      if (st && f && ::IsChild(dlg, f)) st->lastFocus = f;
      return ::DefWindowProc(dlg, msg, wp, lp);
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = ::GetFocus();
        if (st && f && ::IsChild(dlg, f)) st->lastFocus = f;
        return 0;
      }
      if (!HIWORD(wp)) {
        HWND f = ::GetFocus();
        if (!f || (f != dlg && !::IsChild(dlg, f))) ::SendMessage(dlg, WM_SETFOCUS, 0, 0);
      }
      return 0;
    case WM_NEXTDLGCTL: {
      HWND to = lp ? (HWND)wp : GetNextDlgTabItem(dlg, ::GetFocus(), wp != 0);
      if (to && IsWindow(to)) {
        SetDlgFocus(dlg, to);
        // The look follows where the focus ended: a value refused as it left may have kept it.
        const HWND now = ::GetFocus();
        MoveDefaultLook(dlg, now && ::IsChild(dlg, now) ? now : to);
      }
      return 0;
    }
    case DM_GETDEFID: {
      // The dialog's own default, not whichever push button the focus last lent the look to.
      if (st) return st->defId ? MAKELONG(st->defId, DC_HASDEFID) : 0;
      std::vector<HWND> all;
      CollectControls(dlg, all);
      for (HWND c : all)
        if (DlgCode(c) & DLGC_DEFPUSHBUTTON) return MAKELONG(::GetDlgCtrlID(c), DC_HASDEFID);
      return 0;
    }
    case DM_SETDEFID: {
      HWND old = DefaultButton(dlg);
      if (st) st->defId = (UINT)wp;
      HWND now = ::GetDlgItem(dlg, (int)wp);
      if (old && old != now && (DlgCode(old) & DLGC_DEFPUSHBUTTON)) ::SendMessage(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
      if (now && (DlgCode(now) & DLGC_UNDEFPUSHBUTTON)) ::SendMessage(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      return TRUE;
    }
    case WM_PAINT: {
      // Painting through a device context, so the erase message gets one.
      PAINTSTRUCT ps{};
      ::BeginPaint(dlg, &ps);
      ::EndPaint(dlg, &ps);
      return 0;
    }
    case DM_REPOSITION: return 0;
    case WM_GETDLGCODE: return 0;
    case WM_INITDIALOG: return TRUE;
    case WM_SETFONT:
      if (st) st->font = (HFONT)wp;
      return ::DefWindowProc(dlg, msg, wp, lp);
    default: return ::DefWindowProc(dlg, msg, wp, lp);
  }
}

BOOL CheckDlgButton(HWND dlg, int id, UINT check) {
  HWND b = ::GetDlgItem(dlg, id);
  if (!b) return FALSE;
  ::SendMessage(b, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dlg, int id) {
  HWND b = ::GetDlgItem(dlg, id);
  return b ? (UINT)::SendMessage(b, BM_GETCHECK, 0, 0) : 0;
}

BOOL CheckRadioButton(HWND dlg, int first, int last, int check) {
  if (!IsWindow(dlg) || first > last) return FALSE;
  for (int id = first; id <= last; ++id)
    if (HWND b = ::GetDlgItem(dlg, id)) ::SendMessage(b, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

// ---- CWnd's dialog members -------------------------------------------------------------------------------

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  if (!m_hWnd || !::IsWindow(m_hWnd)) return FALSE;
  CDataExchange dx(this, bSaveAndValidate);
  // The controls' notifications while their values are set, read or refused (the focus moving to a
  // message box and back) would start another exchange and show its message again.
  struct Lockout {
    HWND& window = AfxLockoutNotifyWindow();
    const HWND before = window;
    ~Lockout() { window = before; }
  } lockout;
  lockout.window = m_hWnd;
  try {
    DoDataExchange(&dx);
  } catch (CUserException* e) {
    e->Delete();
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::CreateDlg(LPCSTR lpszTemplateName, CWnd* pParentWnd) {
  HINSTANCE module = nullptr;
  const DIALOG_RESOURCE* t = AfxFindDialogTemplate(lpszTemplateName, &module);
  if (!t) return FALSE;
  if (!CreateDialogWindow(t, module, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr, 0, this)) return FALSE;
  return ExecuteDlgInit(lpszTemplateName);
}

BOOL CWnd::ExecuteDlgInit(LPCSTR lpszResourceName) {
  const DLGINIT_RESOURCE* data = AfxFindDialogInitData(lpszResourceName);
  if (!data) return TRUE;
  BOOL ok = TRUE;
  for (UINT i = 0; i < data->count; ++i) {
    const DLGINIT_ENTRY& e = data->entries[i];
    HWND control = ::GetDlgItem(m_hWnd, e.id);
    const bool known = e.message == CB_ADDSTRING || e.message == LB_ADDSTRING;
    // A missing control or another message fails the whole, as a damaged resource would.
    if (!control || !known || ::SendMessage(control, e.message, 0, (LPARAM)(e.text ? e.text : "")) < 0) ok = FALSE;
  }
  return ok;
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
void CWnd::CheckRadioButton(int a, int b, int c) { ::CheckRadioButton(m_hWnd, a, b, c); }

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) {
  for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
    if (::IsDlgButtonChecked(m_hWnd, id)) return id;
  return 0;
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
  HWND h = ::GetNextDlgTabItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : nullptr, bPrevious);
  return h ? CWnd::FromHandle(h) : nullptr;
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const {
  HWND h = ::GetNextDlgGroupItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : nullptr, bPrevious);
  return h ? CWnd::FromHandle(h) : nullptr;
}

void CWnd::MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

// ---- CDialog ----------------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_MESSAGE(WM_INITDIALOG, &CDialog::OnHandleInitDialog)
  ON_COMMAND(IDOK, &CDialog::OnOK)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() { RegisterDialogClass(); }

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_lpszTemplateName(MAKEINTRESOURCE(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {
  RegisterDialogClass();
}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
  RegisterDialogClass();
  if (lpszTemplateName && !IS_INTRESOURCE(lpszTemplateName)) {
    m_templateName = lpszTemplateName;
    m_lpszTemplateName = m_templateName.c_str();
  } else {
    m_lpszTemplateName = lpszTemplateName;
  }
}

CDialog::~CDialog() {
  if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CDialog::CreateFromTemplate(const DIALOG_RESOURCE* tmpl, HINSTANCE module, CWnd* pParentWnd) {
  if (!tmpl) return FALSE;
  HWND parent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
  if (!parent && !(tmpl->style & WS_CHILD)) {
    CWnd* owner = CWnd::GetSafeOwner(nullptr, nullptr);
    parent = owner ? owner->GetSafeHwnd() : nullptr;
  }
  return CreateDialogWindow(tmpl, module, parent, nullptr, 0, this) != nullptr;
}

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd) {
  if (lpszTemplateName && !IS_INTRESOURCE(lpszTemplateName)) {
    m_templateName = lpszTemplateName;
    m_lpszTemplateName = m_templateName.c_str();
  } else {
    m_lpszTemplateName = lpszTemplateName;
  }
  if (pParentWnd) m_pParentWnd = pParentWnd;
  HINSTANCE module = nullptr;
  const DIALOG_RESOURCE* t = AfxFindDialogTemplate(m_lpszTemplateName, &module);
  return CreateFromTemplate(t, module, m_pParentWnd);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDHelp = nIDTemplate;
  return Create(MAKEINTRESOURCE(nIDTemplate), pParentWnd);
}

BOOL CDialog::CreateIndirect(const DIALOG_RESOURCE* lpDialogTemplate, CWnd* pParentWnd) {
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return CreateFromTemplate(lpDialogTemplate, nullptr, m_pParentWnd);
}

BOOL CDialog::InitModalIndirect(const DIALOG_RESOURCE* lpDialogTemplate, CWnd* pParentWnd) {
  m_lpDialogTemplate = lpDialogTemplate;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return lpDialogTemplate != nullptr;
}

INT_PTR CDialog::DoModal() {
  // A window made by the dialog manager already (DialogBoxParam) only needs its loop.
  bool existing = m_hWnd && ::IsWindow(m_hWnd);
  if (m_nFlags & WF_MODALLOOP) return -1;
  HWND parent = nullptr;
  bool enableParent = false;
  if (!existing) {
    HINSTANCE module = nullptr;
    const DIALOG_RESOURCE* t = m_lpDialogTemplate;
    if (!t) t = AfxFindDialogTemplate(m_lpszTemplateName, &module);
    if (!t) return -1;
    HWND top = nullptr;
    CWnd::GetSafeOwner(m_pParentWnd, &top);
    parent = m_pParentWnd && m_pParentWnd->GetSafeHwnd() ? m_pParentWnd->GetSafeHwnd() : top;
    if (top && ::IsWindowEnabled(top)) {
      ::EnableWindow(top, FALSE);
      enableParent = true;
    }
    m_nFlags |= WF_CONTINUEMODAL;
    m_nModalResult = -1;
    if (!CreateDialogWindow(t, module, parent, nullptr, 0, this)) {
      m_nFlags &= ~WF_CONTINUEMODAL;
      if (enableParent && ::IsWindow(top)) ::EnableWindow(top, TRUE);
      if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
      return -1;
    }
    parent = top;
  } else {
    m_nFlags |= WF_CONTINUEMODAL;
  }
  if ((m_nFlags & WF_CONTINUEMODAL) && m_hWnd && ::IsWindow(m_hWnd)) {
    ShowWindow(SW_SHOWNORMAL);
    UpdateWindow();
    m_scripted = UiAutomation::HasModalLoopHandler(this);
    m_modalStart = true;
    RunModalLoop(0);
    m_modalStart = false;
  }
  m_nFlags &= ~WF_CONTINUEMODAL;
  INT_PTR result = m_nModalResult;
  if (!existing) {
    if (m_hWnd && ::IsWindow(m_hWnd)) SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (enableParent && ::IsWindow(parent)) ::EnableWindow(parent, TRUE);
    if (parent && ::IsWindow(parent) && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
    if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
  }
  return result;
}

BOOL CDialog::ContinueModal() {
  if (m_modalStart && (m_nFlags & WF_MODALLOOP)) {
    m_modalStart = false;
    if (!m_scripted && CWnd::ContinueModal() && !DialogAutomation::RunDialogHandler(this, m_lpszTemplateName)) {
      // Nobody drives this dialog: it ends as if cancelled, and the log says so.
      DialogAutomation::RecordUnscripted(this, m_lpszTemplateName);
      EndDialog(IDCANCEL);
    }
  }
  return CWnd::ContinueModal();
}

void CDialog::EndDialog(int nResult) {
  if (!m_hWnd) return;
  m_nModalResult = nResult;
  if (DlgState* st = State(m_hWnd)) {
    st->ended = true;
    st->result = nResult;
  }
  if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) {
    EndModalLoop(nResult);
    HideEndedModal(m_hWnd);
  } else {
    ShowWindow(SW_HIDE);  // a modeless dialog hides, as the dialog manager's EndDialog does
  }
}

LRESULT CDialog::OnHandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
  // Lists first, so that the data exchange can select in them.
  ExecuteDlgInit(m_lpDialogTemplate ? nullptr : m_lpszTemplateName);
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnClose() { Default(); }

void CDialog::PostNcDestroy() {}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (!pMsg || !m_hWnd) return FALSE;
  if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
  // A dialog inside another dialog (a page, a form) leaves its keys to the outer one.
  if (GetStyle() & WS_CHILD) return FALSE;
  return ::IsDialogMessage(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if ((nCode != CN_COMMAND && nCode != (int)CN_UPDATE_COMMAND_UI) || nID >= 0xF000 || nID == 0) return FALSE;
  CWinThread* t = AfxGetThread();
  return t ? t->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (m_hWnd && pWndCtrl && pWndCtrl->m_hWnd) ::SendMessage(m_hWnd, WM_NEXTDLGCTL, (WPARAM)pWndCtrl->m_hWnd, TRUE);
}
void CDialog::NextDlgCtrl() const { ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 0, FALSE); }
void CDialog::PrevDlgCtrl() const { ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 1, FALSE); }
void CDialog::SetDefID(UINT nID) { ::SendMessage(m_hWnd, DM_SETDEFID, nID, 0); }
DWORD CDialog::GetDefID() const { return (DWORD)::SendMessage(m_hWnd, DM_GETDEFID, 0, 0); }

// ---- Formatting prompts ------------------------------------------------------------------------------------

void AfxFormatStrings(CString& rString, LPCSTR lpszFormat, LPCSTR const* rglpsz, int nString) {
  std::string out;
  for (const char* p = lpszFormat ? lpszFormat : ""; *p; ++p) {
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
      int i = p[1] - '1';
      if (i < nString && rglpsz && rglpsz[i]) out += rglpsz[i];
      ++p;
    } else {
      out += *p;
    }
  }
  rString = out.c_str();
}

void AfxFormatString1(CString& rString, UINT nIDS, LPCSTR lpsz1) {
  AfxEnsureFrameworkStrings();
  std::string fmt;
  LoadStringResource(nIDS, fmt);
  LPCSTR args[1] = {lpsz1};
  AfxFormatStrings(rString, fmt.c_str(), args, 1);
}

void AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2) {
  AfxEnsureFrameworkStrings();
  std::string fmt;
  LoadStringResource(nIDS, fmt);
  LPCSTR args[2] = {lpsz1, lpsz2};
  AfxFormatStrings(rString, fmt.c_str(), args, 2);
}
