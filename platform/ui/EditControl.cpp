// The edit control: single and multi-line text with word wrap, selection, caret, undo, limit,
// password display and the clipboard keys.
#include "platform/core/MessageBox.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/NativeControls.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ui {
namespace {

const int kMargin = 1;

struct Line {
  size_t start;
  size_t len;   // without the break
  size_t brk;   // 0 soft wrap, 1 "\n", 2 "\r\n"
};

class EditCtl : public ControlImpl {
 public:
  explicit EditCtl(HWND h) : ControlImpl(h) {}

  std::string m_text;
  HWND m_combo = nullptr;  // the combo box this field belongs to
  size_t m_anchor = 0, m_caret = 0;
  size_t m_limit = 32767;
  bool m_modified = false;
  char m_password = 0;
  std::string m_undoText;
  size_t m_undoAnchor = 0, m_undoCaret = 0;
  bool m_canUndo = false;
  bool m_typing = false;  // the last change was typing that later typing joins
  size_t m_first = 0;     // first visible line
  int m_xOffset = 0;
  // What the text was last scrolled under: a refit that finds them unchanged keeps the scroll.
  int m_fitWidth = -1;
  LOGFONT m_fitFont{};
  bool m_rectSet = false;
  CRect m_rect;
  std::vector<Line> m_lines;
  bool m_layoutValid = false;
  bool m_focus = false;
  bool m_inDialog = false;  // a dialog's own control, asked for its code by the dialog's keyboard handling
  bool m_tracking = false;
  int m_goalX = -1;
  int m_leftMargin = kMargin, m_rightMargin = kMargin;

  bool Multi() const { return (Style() & ES_MULTILINE) != 0; }
  bool Wraps() const { return Multi() && !(Style() & (ES_AUTOHSCROLL | WS_HSCROLL)); }
  bool ReadOnly() const { return (Style() & ES_READONLY) != 0; }

  CRect FormatRect() {
    if (m_rectSet) return m_rect;
    CRect r;
    ::GetClientRect(m_hwnd, &r);
    r.left += m_leftMargin;
    r.right -= m_rightMargin;
    if (Multi()) r.top += 0;
    if (r.right < r.left) r.right = r.left;
    return r;
  }

  std::string Display(size_t start, size_t len) const {
    if (m_password && !Multi()) return std::string(len, m_password);
    return m_text.substr(start, len);
  }

  int Width(MeasureDC& m, size_t start, size_t len) const {
    if (!len) return 0;
    std::string s = Display(start, len);
    return m.dc.GetTextExtent(s.c_str(), (int)s.size()).cx;
  }

  void Layout() {
    if (m_layoutValid) return;
    m_lines.clear();
    MeasureDC m(Font());
    int width = std::max(1, (int)FormatRect().Width());
    bool wrap = Wraps();
    size_t n = m_text.size();
    size_t p = 0;
    for (;;) {
      size_t e = p;
      while (e < n && m_text[e] != '\n' && !(m_text[e] == '\r' && e + 1 < n && m_text[e + 1] == '\n')) ++e;
      if (!Multi()) e = n;
      size_t brk = e >= n ? 0 : (m_text[e] == '\r' ? 2 : 1);
      size_t s = p;
      if (wrap) {
        std::vector<int> dx;
        while (e - s > 0) {
          size_t count = std::min(e - s, (size_t)width + 1);
          std::string disp = Display(s, count);
          dx.assign(count, 0);
          int fit = 0;
          SIZE sz{};
          m.dc.GetTextExtentExPoint(disp.c_str(), (int)count, width, &fit, dx.data(), &sz);
          if ((size_t)fit >= e - s) break;
          size_t cut = (size_t)std::max(fit, 1);
          // Break after the last blank that fits; trailing blanks stay on the line.
          size_t b = cut;
          while (b > 0 && m_text[s + b - 1] != ' ' && m_text[s + b - 1] != '\t') --b;
          if (b > 0) cut = b;
          while (s + cut < e && m_text[s + cut] == ' ') ++cut;
          if (s + cut >= e) break;
          m_lines.push_back(Line{s, cut, 0});
          s += cut;
        }
      }
      m_lines.push_back(Line{s, e - s, brk});
      if (e >= n) break;
      p = e + brk;
    }
    m_layoutValid = true;
  }

  size_t LineOf(size_t pos) {
    Layout();
    // The last line starting at or before pos.
    size_t lo = 0, hi = m_lines.size();
    while (hi - lo > 1) {
      size_t mid = (lo + hi) / 2;
      if (m_lines[mid].start <= pos) lo = mid;
      else hi = mid;
    }
    return lo;
  }

  int LineHeight() {
    MeasureDC m(Font());
    return m.LineHeight();
  }

  int VisibleLines() {
    int h = FormatRect().Height();
    return std::max(1, h / std::max(1, LineHeight()));
  }

  int AlignOffset(MeasureDC& m, const Line& l) {
    DWORD s = Style();
    int w = FormatRect().Width();
    int tw = Width(m, l.start, l.len);
    if (s & ES_CENTER) return std::max(0, (w - tw) / 2);
    if (s & ES_RIGHT) return std::max(0, w - tw);
    return 0;
  }

  POINT PosOf(size_t pos) {
    Layout();
    pos = std::min(pos, m_text.size());
    size_t li = LineOf(pos);
    const Line& l = m_lines[li];
    MeasureDC m(Font());
    CRect fr = FormatRect();
    size_t off = std::min(pos - l.start, l.len);
    int x = fr.left + AlignOffset(m, l) + Width(m, l.start, off) - m_xOffset;
    int y = fr.top + ((int)li - (int)m_first) * m.LineHeight();
    return POINT{x, y};
  }

  size_t CharFromPoint(POINT pt) {
    Layout();
    MeasureDC m(Font());
    CRect fr = FormatRect();
    int lh = m.LineHeight();
    long li = (long)m_first + (pt.y - fr.top >= 0 ? (pt.y - fr.top) / lh : -1 - (fr.top - pt.y - 1) / lh);
    li = std::clamp<long>(li, 0, (long)m_lines.size() - 1);
    const Line& l = m_lines[(size_t)li];
    int x = pt.x - fr.left - AlignOffset(m, l) + m_xOffset;
    if (x <= 0 || l.len == 0) return l.start;
    std::string disp = Display(l.start, l.len);
    std::vector<int> dx(l.len, 0);
    int fit = 0;
    SIZE sz{};
    m.dc.GetTextExtentExPoint(disp.c_str(), (int)l.len, 0x7FFFFFFF, &fit, dx.data(), &sz);
    int prev = 0;
    for (size_t i = 0; i < l.len; ++i) {
      if (x < (prev + dx[i] + 1) / 2) return l.start + i;
      prev = dx[i];
    }
    // At the end of a soft-wrapped line the caret goes before its last blank.
    size_t end = l.start + l.len;
    if (l.brk == 0 && (size_t)li + 1 < m_lines.size() && end > l.start) return end - 1;
    return end;
  }

  void Changed(bool notify = true) {
    m_layoutValid = false;
    // Keep the window's text, which other threads read, in step.
    ::DefWindowProc(m_hwnd, WM_SETTEXT, 0, (LPARAM)m_text.c_str());
    ScrollToCaret();
    UpdateScrollBars();
    Redraw();
    if (notify) {
      HWND self = m_hwnd;
      Notify(EN_UPDATE);
      if (::IsWindow(self)) Notify(EN_CHANGE);
    }
  }

  void UpdateScrollBars() {
    if (!(Style() & WS_VSCROLL)) return;
    Layout();
    // Greyed while the text fits, never hidden: hidden, it would not come back when the text grows.
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, (int)m_lines.size() - 1,
                  (UINT)VisibleLines(), (int)m_first, 0};
    ::SetScrollInfo(m_hwnd, SB_VERT, &si, TRUE);
  }

  int WidestLine(MeasureDC& m) {
    Layout();
    int w = 0;
    for (const Line& l : m_lines) w = std::max(w, Width(m, l.start, l.len));
    return w;
  }

  // refit: the format width changed, so a scroll that is no longer needed goes.
  void ScrollToCaret(bool refit = false) {
    Layout();
    size_t li = LineOf(m_caret);
    if (Multi()) {
      size_t vis = (size_t)VisibleLines();
      if (li < m_first) m_first = li;
      else if (li >= m_first + vis) m_first = li - vis + 1;
      if (m_first >= m_lines.size()) m_first = m_lines.empty() ? 0 : m_lines.size() - 1;
    }
    if (!Wraps()) {
      MeasureDC m(Font());
      const Line& l = m_lines[li];
      int x = Width(m, l.start, std::min(m_caret - l.start, l.len));
      int w = FormatRect().Width();
      if (w <= 0) {
        // Nothing shows yet; an offset taken now would hide the text once the window is sized.
        m_xOffset = 0;
      } else {
        // A caret on the right edge still shows in the margin.
        if (x < m_xOffset) m_xOffset = std::max(0, x - w / 4);
        else if (x > m_xOffset + w) m_xOffset = x - w + w / 4;
        // A window repainted with its own width and font stays where typing scrolled it.
        LOGFONT font{};
        if (HFONT f = Font()) ::GetObject(f, sizeof font, &font);
        const bool same = w == m_fitWidth && memcmp(&font, &m_fitFont, sizeof font) == 0;
        if (refit && !same && m_xOffset > 0) m_xOffset = std::min(m_xOffset, std::max(0, WidestLine(m) - w));
        m_fitWidth = w;
        m_fitFont = font;
      }
    } else {
      m_xOffset = 0;
    }
    PlaceCaret();
  }

  void PlaceCaret() {
    if (!m_focus) return;
    POINT p = PosOf(m_caret);
    ::SetCaretPos(p.x, p.y);
  }

  void SetSel(size_t anchor, size_t caret, bool scroll = true) {
    size_t n = m_text.size();
    anchor = std::min(anchor, n);
    caret = std::min(caret, n);
    // Never split a line break.
    auto fix = [&](size_t p) {
      if (p > 0 && p < n && m_text[p - 1] == '\r' && m_text[p] == '\n') return p - 1;
      return p;
    };
    m_anchor = fix(anchor);
    m_caret = fix(caret);
    if (scroll) ScrollToCaret();
    else PlaceCaret();
    Redraw();
  }

  size_t SelMin() const { return std::min(m_anchor, m_caret); }
  size_t SelMax() const { return std::max(m_anchor, m_caret); }

  void SaveUndo(bool typing) {
    if (typing && m_typing && m_canUndo) return;
    m_undoText = m_text;
    m_undoAnchor = m_anchor;
    m_undoCaret = m_caret;
    m_canUndo = true;
    m_typing = typing;
  }

  // Replaces the selection; false when nothing could change (read-only, limit).
  bool Replace(const std::string& in, bool canUndo, bool typing = false) {
    std::string s = in;
    if (!Multi()) {
      size_t nl = s.find_first_of("\r\n");
      if (nl != std::string::npos) s.resize(nl);
    }
    DWORD style = Style();
    if (style & ES_UPPERCASE)
      for (char& c : s) c = (char)toupper((unsigned char)c);
    if (style & ES_LOWERCASE)
      for (char& c : s) c = (char)tolower((unsigned char)c);
    size_t a = SelMin(), b = SelMax();
    // Typed or sent by EM_REPLACESEL alike, text keeps to the limit; only WM_SETTEXT passes it.
    const size_t room = m_limit > m_text.size() - (b - a) ? m_limit - (m_text.size() - (b - a)) : 0;
    if (s.size() > room) {
      s.resize(room);
      HWND self = m_hwnd;
      Notify(EN_MAXTEXT);
      if (!::IsWindow(self)) return false;
      if (s.empty() && a == b) return false;
    }
    if (s.empty() && a == b) return false;
    if (canUndo) SaveUndo(typing);
    m_text.replace(a, b - a, s);
    m_anchor = m_caret = a + s.size();
    m_modified = true;
    m_goalX = -1;
    Changed(true);
    return true;
  }

  size_t PrevPos(size_t p) const {
    if (p == 0) return 0;
    if (p >= 2 && m_text[p - 1] == '\n' && m_text[p - 2] == '\r') return p - 2;
    return p - 1;
  }
  size_t NextPos(size_t p) const {
    size_t n = m_text.size();
    if (p >= n) return n;
    if (m_text[p] == '\r' && p + 1 < n && m_text[p + 1] == '\n') return p + 2;
    return p + 1;
  }
  static bool IsWordChar(char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; }
  size_t WordLeft(size_t p) const {
    while (p > 0 && !IsWordChar(m_text[p - 1])) p = PrevPos(p);
    while (p > 0 && IsWordChar(m_text[p - 1])) --p;
    return p;
  }
  size_t WordRight(size_t p) const {
    size_t n = m_text.size();
    while (p < n && IsWordChar(m_text[p])) ++p;
    while (p < n && !IsWordChar(m_text[p])) p = NextPos(p);
    return p;
  }

  void Copy() {
    if (m_password && !Multi()) return;
    size_t a = SelMin(), b = SelMax();
    if (a == b) return;
    ClipboardSetText(m_hwnd, m_text.data() + a, b - a);
  }
  void Cut() {
    if (ReadOnly() || (m_password && !Multi())) return;
    if (SelMin() == SelMax()) return;
    Copy();
    Replace("", true);
  }
  void Paste() {
    if (ReadOnly()) return;
    std::string s;
    if (!ClipboardGetText(m_hwnd, s)) return;
    Replace(s, true);
  }
  void Undo() {
    if (!m_canUndo || ReadOnly()) return;
    std::string t = m_text;
    size_t a = m_anchor, c = m_caret;
    m_text = m_undoText;
    m_anchor = std::min(m_undoAnchor, m_text.size());
    m_caret = std::min(m_undoCaret, m_text.size());
    m_undoText = t;
    m_undoAnchor = a;
    m_undoCaret = c;
    m_typing = false;
    m_modified = true;
    Changed(true);
  }

  void MoveCaret(size_t to, bool extend) {
    if (extend) SetSel(m_anchor, to);
    else SetSel(to, to);
  }

  // A combo box's field leaves the list keys to the combo box: the arrows up and down, the page keys
  // and F4, Alt with an arrow, and Enter and Esc while the list is open.
  bool ForCombo(UINT msg, WPARAM vk) const {
    if (!m_combo) return false;
    if (msg == WM_SYSKEYDOWN) return vk == VK_UP || vk == VK_DOWN;
    if (vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT || vk == VK_F4) return true;
    return (vk == VK_RETURN || vk == VK_ESCAPE) && ::SendMessage(m_combo, CB_GETDROPPEDSTATE, 0, 0);
  }

  // A multi-line edit takes every key from its dialog, so it does the dialog's part for the keys it
  // does not keep: Enter presses the default button, Escape closes, Tab moves on.
  bool DialogKey(UINT vk, bool shift, bool ctrl) {
    if (!m_inDialog || !Multi() || ctrl) return false;
    HWND dlg = ::GetParent(m_hwnd);
    if (vk == VK_RETURN && !(Style() & ES_WANTRETURN)) {
      const DWORD def = (DWORD)::SendMessage(dlg, DM_GETDEFID, 0, 0);
      if (HIWORD(def) == DC_HASDEFID)
        if (HWND button = ::GetDlgItem(dlg, LOWORD(def)); button && ::IsWindowEnabled(button))
          ::SendMessage(dlg, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED), (LPARAM)button);
      return true;
    }
    if (vk == VK_ESCAPE) return ::PostMessage(dlg, WM_CLOSE, 0, 0), true;
    if (vk == VK_TAB) return ::SendMessage(dlg, WM_NEXTDLGCTL, shift, 0), true;
    return false;
  }

  void KeyDown(UINT vk) {
    bool shift = ::GetKeyState(VK_SHIFT) < 0;
    bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    if (DialogKey(vk, shift, ctrl)) return;
    Layout();
    size_t li = LineOf(m_caret);
    const Line l = m_lines[li];
    switch (vk) {
      case VK_LEFT:
        m_goalX = -1;
        if (!shift && SelMin() != SelMax()) MoveCaret(SelMin(), false);
        else MoveCaret(ctrl ? WordLeft(m_caret) : PrevPos(m_caret), shift);
        break;
      case VK_RIGHT:
        m_goalX = -1;
        if (!shift && SelMin() != SelMax()) MoveCaret(SelMax(), false);
        else MoveCaret(ctrl ? WordRight(m_caret) : NextPos(m_caret), shift);
        break;
      case VK_UP:
      case VK_DOWN:
      case VK_PRIOR:
      case VK_NEXT: {
        if (!Multi()) {
          MoveCaret(vk == VK_UP || vk == VK_PRIOR ? PrevPos(m_caret) : NextPos(m_caret), shift);
          break;
        }
        POINT p = PosOf(m_caret);
        if (m_goalX < 0) m_goalX = p.x + m_xOffset;
        long step = (vk == VK_UP || vk == VK_DOWN) ? 1 : std::max(1, VisibleLines() - 1);
        long target = (long)li + ((vk == VK_UP || vk == VK_PRIOR) ? -step : step);
        target = std::clamp<long>(target, 0, (long)m_lines.size() - 1);
        if ((size_t)target < m_first) m_first = (size_t)target;
        else if ((size_t)target >= m_first + (size_t)VisibleLines()) m_first = (size_t)target - (size_t)VisibleLines() + 1;
        int lh = LineHeight();
        CRect fr = FormatRect();
        int goal = m_goalX;
        size_t pos = CharFromPoint(POINT{goal - m_xOffset, fr.top + ((int)target - (int)m_first) * lh + lh / 2});
        MoveCaret(pos, shift);
        m_goalX = goal;
        break;
      }
      case VK_HOME:
        m_goalX = -1;
        MoveCaret(ctrl ? 0 : l.start, shift);
        break;
      case VK_END:
        m_goalX = -1;
        MoveCaret(ctrl ? m_text.size() : l.start + l.len, shift);
        break;
      case VK_DELETE:
        if (ReadOnly()) break;
        if (shift) {
          Cut();
        } else {
          if (SelMin() == SelMax()) {
            if (m_caret >= m_text.size()) break;
            m_anchor = NextPos(m_caret);
          }
          Replace("", true);
        }
        break;
      case VK_INSERT:
        if (ctrl) Copy();
        else if (shift) Paste();
        break;
      default: break;
    }
  }

  void Char(UINT ch) {
    switch (ch) {
      case 1:  // Ctrl+A
        SetSel(0, m_text.size());
        return;
      case 3: Copy(); return;
      case 22: Paste(); return;
      case 24: Cut(); return;
      case 26: Undo(); return;
      case 8:
        if (ReadOnly()) return;
        if (SelMin() == SelMax()) {
          if (m_caret == 0) return;
          m_anchor = PrevPos(m_caret);
        }
        Replace("", true);
        return;
      case '\r':
        if (m_inDialog && !(Style() & ES_WANTRETURN)) return;  // it pressed the default button
        [[fallthrough]];
      case '\n':
        if (!Multi() || ReadOnly()) return;
        Replace("\r\n", true);
        return;
      case '\t':
        if (!Multi() || ReadOnly() || (m_inDialog && ::GetKeyState(VK_CONTROL) >= 0)) return;
        Replace("\t", true, true);
        return;
      default: break;
    }
    if (ch < 32 || ch > 255 || ReadOnly()) return;
    if ((Style() & ES_NUMBER) && !(ch >= '0' && ch <= '9')) {
      ::MessageBeep(0);
      return;
    }
    Replace(std::string(1, (char)ch), true, true);
  }

  void Paint(WPARAM wp) {
    Layout();
    ControlPaint p(m_hwnd, wp);
    CDC& dc = p.dc();
    CRect cr;
    ::GetClientRect(m_hwnd, &cr);
    DWORD style = Style();
    bool disabled = (style & WS_DISABLED) != 0;
    HBRUSH br = CtlColor(dc, (ReadOnly() || disabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    ::FillRect(dc.GetSafeHdc(), &cr, br);
    if (disabled) dc.SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    dc.SelectObject((HGDIOBJ)Font());
    dc.SetBkMode(TRANSPARENT);
    MeasureDC m(Font());
    int lh = m.LineHeight();
    CRect fr = FormatRect();
    dc.IntersectClipRect(&fr);
    bool showSel = (m_focus || (style & ES_NOHIDESEL)) && SelMin() != SelMax();
    size_t sa = SelMin(), sb = SelMax();
    COLORREF text = dc.GetTextColor();
    for (size_t i = m_first; i < m_lines.size(); ++i) {
      int y = fr.top + (int)(i - m_first) * lh;
      if (y >= fr.bottom) break;
      const Line& l = m_lines[i];
      int x0 = fr.left + AlignOffset(m, l) - m_xOffset;
      std::string s = Display(l.start, l.len);
      dc.SetTextColor(text);
      dc.TextOut(x0, y, s.c_str(), (int)s.size());
      if (!showSel) continue;
      size_t a = std::max(sa, l.start), b = std::min(sb, l.start + l.len);
      bool breakSelected = l.brk && sa <= l.start + l.len && sb > l.start + l.len;
      if (a >= b && !breakSelected) continue;
      int xa = x0 + Width(m, l.start, a >= b ? l.len : a - l.start);
      int xb = a >= b ? xa : x0 + Width(m, l.start, b - l.start);
      if (breakSelected) xb += m.AveCharWidth() / 2;
      dc.FillSolidRect(xa, y, xb - xa, lh, ::GetSysColor(COLOR_HIGHLIGHT));
      if (a < b) {
        dc.SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
        std::string sel = Display(a, b - a);
        dc.TextOut(xa, y, sel.c_str(), (int)sel.size());
      }
    }
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_NCCREATE: {
        auto* cs = (CREATESTRUCT*)lp;
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) m_text = cs->lpszName;
        if (cs && (cs->style & ES_PASSWORD)) m_password = '*';
        if (!(cs && (cs->style & ES_MULTILINE))) {
          size_t nl = m_text.find_first_of("\r\n");
          if (nl != std::string::npos) m_text.resize(nl);
        }
        Default(msg, wp, lp);
        ::DefWindowProc(m_hwnd, WM_SETTEXT, 0, (LPARAM)m_text.c_str());
        return TRUE;
      }
      case WM_PAINT: Paint(wp); return 0;
      case WM_ERASEBKGND: return TRUE;
      case WM_SIZE:
        m_layoutValid = false;
        ScrollToCaret(true);
        UpdateScrollBars();
        Redraw();
        return 0;
      case WM_STYLECHANGED:
        // Whether lines wrap follows the style: lines laid out under the old one are laid out anew.
        if (wp == (WPARAM)GWL_STYLE) {
          m_layoutValid = false;
          ScrollToCaret(true);
          UpdateScrollBars();
          Redraw();
        }
        return Default(msg, wp, lp);
      case WM_SETFONT: {
        Default(msg, wp, lp);
        m_layoutValid = false;
        if (m_focus) {
          ::DestroyCaret();
          ::CreateCaret(m_hwnd, nullptr, 1, LineHeight());
          ::ShowCaret(m_hwnd);
        }
        ScrollToCaret(true);
        if (LOWORD(lp)) Redraw();
        return 0;
      }
      case WM_GETDLGCODE: {
        if (lp) {
          char cls[16] = "";
          ::GetClassName(::GetParent(m_hwnd), cls, sizeof cls);
          m_inDialog = strcmp(cls, WC_DIALOG) == 0;  // not when nested in another control
        }
        // Enter and Esc close a combo box's open list, not the dialog.
        const auto* m = (const MSG*)lp;
        const bool listKey = m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) &&
                             ForCombo(m->message, m->wParam);
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (Multi() || listKey ? DLGC_WANTALLKEYS : 0);
      }
      case WM_SETTEXT: {
        const char* s = lp ? (const char*)lp : "";
        m_text = s;
        if (!Multi()) {
          size_t nl = m_text.find_first_of("\r\n");
          if (nl != std::string::npos) m_text.resize(nl);
        }
        m_anchor = m_caret = 0;
        m_first = 0;
        m_xOffset = 0;
        m_canUndo = false;
        m_modified = false;
        Changed(!Multi());  // a multi-line edit reports no change for a text set from outside
        return TRUE;
      }
      case WM_GETTEXT: {
        auto* buf = (char*)lp;
        int size = (int)wp;
        if (!buf || size <= 0) return 0;
        int n = std::min<int>((int)m_text.size(), size - 1);
        memcpy(buf, m_text.data(), (size_t)n);
        buf[n] = 0;
        return n;
      }
      case WM_GETTEXTLENGTH: return (LRESULT)m_text.size();
      case WM_SETFOCUS:
        m_focus = true;
        ::CreateCaret(m_hwnd, nullptr, 1, LineHeight());
        PlaceCaret();
        ::ShowCaret(m_hwnd);
        Redraw();
        Notify(EN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS: {
        m_focus = false;
        m_tracking = false;
        ::DestroyCaret();
        Redraw();
        Notify(EN_KILLFOCUS);
        return 0;
      }
      case WM_ENABLE: Redraw(); return 0;
      case WM_KEYDOWN:
        if (ForCombo(msg, wp)) return ::SendMessage(m_combo, msg, wp, lp);
        KeyDown((UINT)wp);
        return 0;
      case WM_SYSKEYDOWN:
        if (ForCombo(msg, wp)) return ::SendMessage(m_combo, msg, wp, lp);
        return Default(msg, wp, lp);
      case EDX_SETCOMBO: m_combo = (HWND)wp; return 0;
      case WM_CHAR: Char((UINT)wp); return 0;
      case WM_LBUTTONDOWN: {
        if (!PressTakesFocus()) return 0;
        size_t pos = CharFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        MoveCaret(pos, (wp & MK_SHIFT) != 0);
        m_goalX = -1;
        m_tracking = true;
        ::SetCapture(m_hwnd);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (m_tracking && (wp & MK_LBUTTON)) {
          size_t pos = CharFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
          if (pos != m_caret) MoveCaret(pos, true);
        }
        return 0;
      case WM_LBUTTONUP:
        if (m_tracking) {
          m_tracking = false;
          if (::GetCapture() == m_hwnd) ::ReleaseCapture();
        }
        return 0;
      case WM_CAPTURECHANGED:
        if ((HWND)lp != m_hwnd) m_tracking = false;
        return 0;
      case WM_LBUTTONDBLCLK: {
        // The focus may have left since the first press: the second takes it as a press does.
        if (!PressTakesFocus()) return 0;
        size_t pos = CharFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        size_t a = pos, b = pos;
        while (a > 0 && IsWordChar(m_text[a - 1])) --a;
        while (b < m_text.size() && IsWordChar(m_text[b])) ++b;
        SetSel(a, b);
        return 0;
      }
      case WM_VSCROLL: {
        Layout();
        long first = (long)m_first;
        long vis = VisibleLines();
        switch (LOWORD(wp)) {
          case SB_LINEUP: --first; break;
          case SB_LINEDOWN: ++first; break;
          case SB_PAGEUP: first -= vis; break;
          case SB_PAGEDOWN: first += vis; break;
          case SB_THUMBPOSITION:
          case SB_THUMBTRACK: first = ThumbCodePos(m_hwnd, SB_VERT, wp); break;
          case SB_TOP: first = 0; break;
          case SB_BOTTOM: first = (long)m_lines.size(); break;
          default: return 0;
        }
        LineScroll(0, first - (long)m_first);
        return 0;
      }
      case WM_CUT: Cut(); return 0;
      case WM_COPY: Copy(); return 0;
      case WM_PASTE: Paste(); return 0;
      case WM_CLEAR:
        if (!ReadOnly()) Replace("", true);
        return 0;
      case WM_UNDO:
      case EM_UNDO: {
        bool could = m_canUndo && !ReadOnly();
        Undo();
        return could;
      }
      case EM_CANUNDO: return m_canUndo;
      case EM_EMPTYUNDOBUFFER:
        m_canUndo = false;
        m_undoText.clear();
        return 0;
      case EM_GETSEL: {
        DWORD a = (DWORD)SelMin(), b = (DWORD)SelMax();
        if (wp) *(DWORD*)wp = a;
        if (lp) *(DWORD*)lp = b;
        return MAKELONG(std::min<DWORD>(a, 0xFFFF), std::min<DWORD>(b, 0xFFFF));
      }
      case EM_SETSEL: {
        long a = (long)(int)wp, b = (long)(int)lp;
        size_t n = m_text.size();
        if (a == -1) {  // remove the selection
          SetSel(m_caret, m_caret);
          return 0;
        }
        size_t sa = a < 0 ? n : (size_t)a, sb = b < 0 ? n : (size_t)b;
        SetSel(sa, sb);
        return 0;
      }
      case EM_REPLACESEL: Replace(lp ? (const char*)lp : "", wp != 0); return 0;
      case EM_SCROLLCARET: ScrollToCaret(); Redraw(); return TRUE;
      case EM_LINESCROLL: return LineScroll((int)wp, (long)(int)lp);
      case EM_GETMODIFY: return m_modified;
      case EM_SETMODIFY: m_modified = wp != 0; return 0;
      case EM_LIMITTEXT: m_limit = wp ? (size_t)wp : (size_t)0x7FFFFFFE; return 0;
      case EM_GETLIMITTEXT: return (LRESULT)m_limit;
      case EM_SETREADONLY: {
        DWORD s = Style();
        ::SetWindowLongPtr(m_hwnd, GWL_STYLE, (LONG_PTR)(wp ? (s | ES_READONLY) : (s & ~ES_READONLY)));
        Redraw();
        return TRUE;
      }
      case EM_SETPASSWORDCHAR:
        if (Multi()) return 0;
        m_password = (char)wp;
        m_layoutValid = false;
        Redraw();
        return 0;
      case EM_GETPASSWORDCHAR: return (unsigned char)m_password;
      case EM_SETRECT:
      case EM_SETRECTNP:
        if (lp) {
          m_rect = *(const RECT*)lp;
          m_rectSet = true;
        } else {
          m_rectSet = false;
        }
        m_layoutValid = false;
        ScrollToCaret(true);
        if (msg == EM_SETRECT) Redraw();
        return 0;
      case EM_GETRECT:
        if (lp) *(RECT*)lp = FormatRect();
        return 0;
      case EM_SETMARGINS:
        if (wp & EC_LEFTMARGIN) m_leftMargin = LOWORD(lp) == EC_USEFONTINFO ? kMargin : LOWORD(lp);
        if (wp & EC_RIGHTMARGIN) m_rightMargin = HIWORD(lp) == EC_USEFONTINFO ? kMargin : HIWORD(lp);
        m_layoutValid = false;
        Redraw();
        return 0;
      case EM_GETMARGINS: return MAKELONG(m_leftMargin, m_rightMargin);
      case EM_GETLINECOUNT: Layout(); return (LRESULT)m_lines.size();
      case EM_LINEINDEX: {
        Layout();
        long li = (long)(int)wp;
        if (li < 0) li = (long)LineOf(m_caret);
        if ((size_t)li >= m_lines.size()) return -1;
        return (LRESULT)m_lines[(size_t)li].start;
      }
      case EM_LINELENGTH: {
        Layout();
        long ci = (long)(int)wp;
        if (ci < 0) {
          // The unselected characters on the selection's lines.
          size_t la = LineOf(SelMin()), lb = LineOf(SelMax());
          return (LRESULT)((SelMin() - m_lines[la].start) + (m_lines[lb].start + m_lines[lb].len - SelMax()));
        }
        if ((size_t)ci > m_text.size()) return 0;
        return (LRESULT)m_lines[LineOf((size_t)ci)].len;
      }
      case EM_GETLINE: {
        Layout();
        auto* buf = (char*)lp;
        if (!buf) return 0;
        size_t li = Multi() ? (size_t)wp : 0;
        WORD cap = *(WORD*)buf;
        if (li >= m_lines.size()) return 0;
        const Line& l = m_lines[li];
        size_t n = std::min<size_t>(l.len, cap);
        memcpy(buf, m_text.data() + l.start, n);
        return (LRESULT)n;
      }
      case EM_LINEFROMCHAR: {
        long ci = (long)(int)wp;
        size_t pos = ci < 0 ? m_caret : std::min((size_t)ci, m_text.size());
        return (LRESULT)LineOf(pos);
      }
      case EM_GETFIRSTVISIBLELINE: return Multi() ? (LRESULT)m_first : 0;
      case EM_POSFROMCHAR: {
        if (wp > m_text.size()) return -1;
        POINT p = PosOf((size_t)wp);
        return MAKELONG((WORD)(short)p.x, (WORD)(short)p.y);
      }
      case EM_CHARFROMPOS: {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        size_t pos = CharFromPoint(pt);
        return MAKELONG((WORD)std::min<size_t>(pos, 0xFFFF), (WORD)std::min<size_t>(LineOf(pos), 0xFFFF));
      }
      case EM_FMTLINES:
      case EM_SETTABSTOPS: return TRUE;
      default: return Default(msg, wp, lp);
    }
  }

  BOOL LineScroll(int /*chars*/, long lines) {
    if (!Multi()) return FALSE;
    Layout();
    long first = (long)m_first + lines;
    long maxFirst = std::max<long>(0, (long)m_lines.size() - 1);
    first = std::clamp<long>(first, 0, maxFirst);
    m_first = (size_t)first;
    PlaceCaret();
    UpdateScrollBars();
    Redraw();
    return TRUE;
  }
};

}  // namespace

void RegisterEdit() { RegisterControlClass("Edit", ControlProc<EditCtl>, CS_DBLCLKS, IDC_IBEAM); }

}  // namespace ui
