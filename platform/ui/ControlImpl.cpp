#include "platform/ui/ControlImpl.h"

#include "platform/gdi/GdiObject.h"

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
