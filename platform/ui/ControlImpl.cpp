#include "platform/ui/ControlImpl.h"

#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>
#include <cstring>

namespace ui {

void ControlImpl::Notify(WORD code) const {
  HWND p = NotifyParent();
  if (p && !m_dead) ::SendMessage(p, WM_COMMAND, MAKEWPARAM((WORD)Id(), code), (LPARAM)m_hwnd);
}

LRESULT ControlImpl::NotifyHdr(NMHDR* hdr, UINT code) const {
  HWND p = NotifyParent();
  if (!p || !hdr) return 0;
  hdr->hwndFrom = m_hwnd;
  hdr->idFrom = (UINT_PTR)Id();
  hdr->code = code;
  return ::SendMessage(p, WM_NOTIFY, (WPARAM)Id(), (LPARAM)hdr);
}

HFONT ControlImpl::Font() const {
  HFONT f = (HFONT)::SendMessage(m_hwnd, WM_GETFONT, 0, 0);
  return f ? f : DefaultControlFont();
}

void ControlImpl::SelectGivenFont(CDC& dc) const {
  if (HFONT f = (HFONT)::SendMessage(m_hwnd, WM_GETFONT, 0, 0)) dc.SelectObject((HGDIOBJ)f);
}

HBRUSH ControlImpl::CtlColor(CDC& dc, UINT msg) const {
  bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  dc.SetTextColor(::GetSysColor((Style() & WS_DISABLED) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  dc.SetBkColor(::GetSysColor(window ? COLOR_WINDOW : COLOR_BTNFACE));
  dc.SetBkMode(OPAQUE);
  HBRUSH b = nullptr;
  HWND p = NotifyParent();
  if (p) b = (HBRUSH)::SendMessage(p, msg, (WPARAM)dc.GetSafeHdc(), (LPARAM)m_hwnd);
  if (!b) b = ::GetSysColorBrush(window ? COLOR_WINDOW : COLOR_BTNFACE);
  return b;
}

namespace {
bool IsDialogWindow(HWND h) {
  char cls[16] = "";
  return h && ::GetClassName(h, cls, sizeof cls) && strcmp(cls, WC_DIALOG) == 0;
}
}  // namespace

void ControlImpl::TakeFocus() const {
  const HWND want = PressFocus();
  const HWND focus = ::GetFocus();
  if (!want || focus == want || (focus && ::IsChild(want, focus))) return;
  // The dialog's own control (a combo box for its field or list), and the dialog whose keys it
  // takes: a page's controls are its sheet's, as Tab finds them.
  HWND ctl = want;
  while (ctl && (::GetWindowLongPtr(ctl, GWL_STYLE) & WS_CHILD) && !IsDialogWindow(::GetParent(ctl)))
    ctl = ::GetParent(ctl);
  HWND dlg = ctl && (::GetWindowLongPtr(ctl, GWL_STYLE) & WS_CHILD) ? ::GetParent(ctl) : nullptr;
  if (!dlg) {
    ::SetFocus(want);
    return;
  }
  while ((::GetWindowLongPtr(dlg, GWL_STYLE) & WS_CHILD) &&
         (::GetWindowLongPtr(dlg, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogWindow(::GetParent(dlg)))
    dlg = ::GetParent(dlg);
  // The dialog selects an edit's whole text as Tab does; a press keeps the selection it finds.
  const bool hasSel = ctl == want && (::SendMessage(want, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL);
  DWORD start = 0, end = 0;
  if (hasSel) ::SendMessage(want, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  ::SendMessage(dlg, WM_NEXTDLGCTL, (WPARAM)ctl, TRUE);
  if (hasSel) ::SendMessage(want, EM_SETSEL, start, end);
}

unsigned ControlImpl::ModeMark() const { return ModeCancelsOver(m_hwnd); }

bool ControlImpl::PressTakesFocus() const {
  const HWND self = m_hwnd;
  const unsigned before = ModeMark();
  TakeFocus();
  return ::IsWindow(self) && ModeMark() == before;
}

std::string ControlImpl::Text() const {
  int n = ::GetWindowTextLength(m_hwnd);
  std::string s((size_t)n + 1, '\0');
  n = ::GetWindowText(m_hwnd, s.data(), n + 1);
  s.resize((size_t)std::max(0, n));
  return s;
}

void RegisterControlClass(const char* name, WNDPROC proc, UINT style, LPCSTR cursor) {
  WNDCLASS wc{};
  wc.style = style | CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = (int)sizeof(void*);
  wc.hCursor = ::LoadCursor(nullptr, cursor);
  wc.lpszClassName = name;
  ::RegisterClass(&wc);
}

MeasureDC::MeasureDC(HFONT font) {
  dc.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  dc.SelectObject((HGDIOBJ)(font ? font : DefaultControlFont()));
}

int MeasureDC::LineHeight() {
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  return std::max<int>(1, tm.tmHeight);
}

int MeasureDC::AveCharWidth() {
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  return std::max<int>(1, tm.tmAveCharWidth);
}

HFONT DefaultControlFont() {
  static HFONT font = [] {
    LOGFONT lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    strcpy(lf.lfFaceName, "MS Sans Serif");
    return ::CreateFontIndirect(&lf);
  }();
  return font;
}

ControlPaint::ControlPaint(HWND h, WPARAM wp) : m_prov(h) {
  if (wp) {
    m_attached.Attach((HDC)wp);
    m_dc = &m_attached;
  } else {
    m_paint = new CPaintDC(&m_prov);
    m_dc = m_paint;
  }
}

ControlPaint::~ControlPaint() {
  if (m_paint) delete m_paint;
  else m_attached.Detach();
}

void Draw3DFrame(CDC& dc, RECT r, bool sunken, bool thick) {
  UINT edge = sunken ? (thick ? EDGE_SUNKEN : BDR_SUNKENOUTER) : (thick ? EDGE_RAISED : BDR_RAISEDINNER);
  dc.DrawEdge(&r, edge, BF_RECT);
}

void FillSys(CDC& dc, const RECT& r, int color) { dc.FillSolidRect(&r, ::GetSysColor(color)); }

void DrawArrow(CDC& dc, const CRect& r, int dir, bool disabled) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int s = std::max(2, std::min(r.Width(), r.Height()) / 4);
  POINT t[3];
  switch (dir) {
    case 0: t[0] = {cx - s, cy + s / 2}; t[1] = {cx + s, cy + s / 2}; t[2] = {cx, cy - s / 2 - 1}; break;
    case 1: t[0] = {cx - s, cy - s / 2}; t[1] = {cx + s, cy - s / 2}; t[2] = {cx, cy + s / 2 + 1}; break;
    case 2: t[0] = {cx + s / 2, cy - s}; t[1] = {cx + s / 2, cy + s}; t[2] = {cx - s / 2 - 1, cy}; break;
    default: t[0] = {cx - s / 2, cy - s}; t[1] = {cx - s / 2, cy + s}; t[2] = {cx + s / 2 + 1, cy}; break;
  }
  CBrush b(::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  CPen none(PS_NULL, 0, (COLORREF)0);
  HGDIOBJ ob = dc.SelectObject((HGDIOBJ)b.m_hObject);
  HGDIOBJ op = dc.SelectObject((HGDIOBJ)none.m_hObject);
  dc.Polygon(t, 3);
  dc.SelectObject(ob);
  dc.SelectObject(op);
}

int ScrollArrowLength(int length, int breadth) { return std::max(0, std::min(breadth, length / 2)); }

void ScrollThumb(int length, int breadth, const ScrollBarLook& look, int& start, int& size) {
  const int arrow = ScrollArrowLength(length, breadth), track = std::max(0, length - 2 * arrow);
  const long long range = std::max(1LL, (long long)look.max - look.min + 1);
  size = look.page ? std::max(8, (int)((long long)track * look.page / range)) : std::min(track, arrow);
  size = std::min(size, track);
  const long long span = std::max((long long)look.min, (long long)look.max - (look.page ? (int)look.page - 1 : 0)) - look.min;
  start = arrow + (span > 0 ? (int)((long long)(track - size) * ((long long)look.pos - look.min) / span) : 0);
}

void DrawScrollBar(CDC& dc, const CRect& r, bool vertical, const ScrollBarLook& look) {
  FillSys(dc, r, COLOR_SCROLLBAR);
  const int length = vertical ? r.Height() : r.Width(), breadth = vertical ? r.Width() : r.Height();
  const int a = ScrollArrowLength(length, breadth);
  const CRect first = vertical ? CRect(r.left, r.top, r.right, r.top + a) : CRect(r.left, r.top, r.left + a, r.bottom);
  const CRect last =
      vertical ? CRect(r.left, r.bottom - a, r.right, r.bottom) : CRect(r.right - a, r.top, r.right, r.bottom);
  for (const CRect* b : {&first, &last}) {
    FillSys(dc, *b, COLOR_BTNFACE);
    Draw3DFrame(dc, *b, false);
  }
  DrawArrow(dc, first, vertical ? 0 : 2, (look.grey & ESB_DISABLE_LTUP) != 0);
  DrawArrow(dc, last, vertical ? 1 : 3, (look.grey & ESB_DISABLE_RTDN) != 0);
  if (!look.thumb) return;
  int s, z;
  ScrollThumb(length, breadth, look, s, z);
  if (z <= 0) return;
  const CRect t = vertical ? CRect(r.left, r.top + s, r.right, r.top + s + z) : CRect(r.left + s, r.top, r.left + s + z, r.bottom);
  FillSys(dc, t, COLOR_BTNFACE);
  Draw3DFrame(dc, t, false);
}

}  // namespace ui

#include "platform/ui/NativeControls.h"
#include "platform/ui/RichEditCtrl.h"

namespace ui {

void EnsureNativeControls() {
  static const bool done = [] {
    RegisterStaticAndButton();
    RegisterEdit();
    RegisterListBox();
    RegisterComboBox();
    RegisterCommonControls();
    RegisterBars();
    RegisterRichEdit();
    return true;
  }();
  (void)done;
}

namespace {
struct AutoRegister {
  AutoRegister() { EnsureNativeControls(); }
} g_autoRegister;
}  // namespace

}  // namespace ui
