// The rich edit control's window: layout of formatted runs with the layer's fonts, wrapping at the
// window or target-device width, painting, printing into a DC, keys, mouse, clipboard and streams.
#include "platform/core/MessageBox.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/NativeControls.h"
#include "platform/ui/RichEditCtrl.h"
#include "platform/ui/RichTextDoc.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace ui {
namespace {

const int kScreenDpi = 96;

struct LaidLine {
  size_t start, end;  // [start, end), with the line's mark when it has one
  bool mark;          // ends with '\r' or '\v'
  int y, height, ascent, width, indent;
};

struct Laid {
  std::vector<LaidLine> lines;
  std::vector<int> x;  // per character, from its line's left edge
  int height = 0;
};

}  // namespace
}  // namespace ui

int GetUnitsPerInch(HDC hdc, int index) {
  CDC* dc = hdc ? CDC::FromHandle(hdc) : nullptr;
  if (!dc) return 96;
  int n = ::GetDeviceCaps(hdc, index);
  const int mode = dc->GetMapMode();
  if (mode == MM_ANISOTROPIC || mode == MM_ISOTROPIC) {
    const CSize w = dc->GetWindowExt(), v = dc->GetViewportExt();
    const LONG wl = index == LOGPIXELSX ? w.cx : w.cy, vl = index == LOGPIXELSX ? v.cx : v.cy;
    if (wl > 0 && vl > 0) n = (int)(((int64_t)n * wl + vl / 2) / vl);
  }
  return std::max(1, n);
}

namespace ui {
namespace {

// Fonts made from character formats for one resolution.
class FontSet {
 public:
  explicit FontSet(int dpi) : m_dpi(dpi) {}
  ~FontSet() {
    for (auto& [k, f] : m_fonts) ::DeleteObject((HGDIOBJ)f.font);
  }
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;
  struct Entry {
    HFONT font;
    int ascent = 0, descent = 0;
  };
  const Entry& Get(CDC& dc, const RichCharFormat& f) {
    std::string key = f.face + '\1' + std::to_string(f.height) + '\1' + std::to_string(f.effects & 0xF) + '\1' +
                      std::to_string(f.charset) + '\1' + std::to_string(f.pitch);
    auto it = m_fonts.find(key);
    if (it != m_fonts.end()) return it->second;
    LOGFONT lf{};
    lf.lfHeight = -std::max(1, (int)(((int64_t)f.height * m_dpi + 720) / 1440));
    lf.lfWeight = (f.effects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (f.effects & CFE_ITALIC) ? 1 : 0;
    lf.lfUnderline = (f.effects & CFE_UNDERLINE) ? 1 : 0;
    lf.lfStrikeOut = (f.effects & CFE_STRIKEOUT) ? 1 : 0;
    lf.lfCharSet = f.charset;
    lf.lfPitchAndFamily = f.pitch;
    strncpy(lf.lfFaceName, f.face.c_str(), LF_FACESIZE - 1);
    Entry e{::CreateFontIndirect(&lf)};
    HGDIOBJ old = dc.SelectObject((HGDIOBJ)e.font);
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    dc.SelectObject(old);
    e.ascent = tm.tmAscent;
    e.descent = tm.tmDescent;
    return m_fonts.emplace(key, e).first->second;
  }
  int Dpi() const { return m_dpi; }

 private:
  int m_dpi;
  std::map<std::string, Entry> m_fonts;
};

// Lays whole paragraphs [from, to) out in lines from height y, appending to `lines` and setting
// `x` (sized to the text + 1); `wrap` <= 0 keeps paragraphs on one line (but for '\v').
int LayOutRange(const RichTextDoc& doc, CDC& dc, FontSet& fonts, int wrap, int alignWidth, const RichCharFormat& endCf,
                size_t from, size_t to, int y, std::vector<LaidLine>& lines, std::vector<int>& xs) {
  const std::string& t = doc.text;
  size_t n = t.size();
  std::vector<int> advs(to - from, 0);
  auto adv = [&](size_t k) -> int& { return advs[k - from]; };
  // Advances run by run.
  for (size_t i = from; i < to;) {
    size_t j = i;
    while (j < to && doc.cf[j] == doc.cf[i] && t[j] != '\r' && t[j] != '\v' && t[j] != '\t') ++j;
    if (j == i) {
      ++i;
      continue;
    }
    HGDIOBJ old = dc.SelectObject((HGDIOBJ)fonts.Get(dc, doc.cfs[doc.cf[i]]).font);
    std::vector<int> dx(j - i, 0);
    int fit = 0;
    SIZE sz{};
    dc.GetTextExtentExPoint(t.data() + i, (int)(j - i), 0x7FFFFFFF, &fit, dx.data(), &sz);
    dc.SelectObject(old);
    for (size_t k = i; k < j; ++k) adv(k) = dx[k - i] - (k > i ? dx[k - i - 1] : 0);
    i = j;
  }
  int tab = std::max(1, fonts.Dpi() / 2);
  size_t i = from;
  for (;;) {
    LaidLine l{i, i, false, y, 0, 0, 0, 0};
    int x = 0;
    size_t lastBreak = std::string::npos;
    size_t k = i;
    for (; k < to; ++k) {
      xs[k] = x;
      char c = t[k];
      if (c == '\r' || c == '\v') {
        l.mark = true;
        break;
      }
      int w = c == '\t' ? tab - x % tab : adv(k);
      if (wrap > 0 && x + w > wrap && k > i && c != ' ') {
        if (lastBreak != std::string::npos) k = lastBreak;
        break;
      }
      x += w;
      if (c == ' ' || c == '\t') lastBreak = k + 1;
    }
    if (k >= n) xs[n] = x;
    l.end = l.mark ? k + 1 : k;
    // The width of what shows: trailing blanks and the mark do not count.
    size_t vis = k;
    while (vis > i && t[vis - 1] == ' ') --vis;
    l.width = xs[vis];
    int asc = 0, desc = 0;
    for (size_t m = i; m < l.end; ++m) {
      const FontSet::Entry& e = fonts.Get(dc, doc.cfs[doc.cf[m]]);
      asc = std::max(asc, e.ascent);
      desc = std::max(desc, e.descent);
    }
    if (l.end == i) {
      const FontSet::Entry& e = fonts.Get(dc, endCf);
      asc = e.ascent;
      desc = e.descent;
    }
    l.ascent = asc;
    l.height = asc + desc;
    uint16_t align = doc.pfs[doc.ParaFormatOf(i)].align;
    int room = std::max(0, alignWidth - l.width);
    l.indent = align == PFA_RIGHT ? room : align == PFA_CENTER ? room / 2 : 0;
    lines.push_back(l);
    y += l.height;
    if (!l.mark && l.end >= n) break;
    i = l.end;
    if (i >= to && i < n) break;  // the range ends with its last paragraph's mark
  }
  return y;
}

void LayOut(const RichTextDoc& doc, CDC& dc, FontSet& fonts, int wrap, int alignWidth, const RichCharFormat& endCf,
            Laid& out) {
  out.lines.clear();
  out.x.assign(doc.size() + 1, 0);
  out.height = LayOutRange(doc, dc, fonts, wrap, alignWidth, endCf, 0, doc.size(), 0, out.lines, out.x);
}

class RichEditCtl : public ControlImpl {
 public:
  explicit RichEditCtl(HWND h) : ControlImpl(h), m_fonts(kScreenDpi) {}

  RichTextDoc m_doc;
  RichCharFormat m_default;
  bool m_insertSet = false;  // a format set on an empty selection waits for the next typing
  RichCharFormat m_insert;
  size_t m_anchor = 0, m_caret = 0;
  DWORD m_mask = 0;
  bool m_bkSys = true;
  COLORREF m_bk = 0;
  LONG m_lineWidth = 0;  // twips; 0 wraps at the window, -1 never
  size_t m_limit = 32767;
  bool m_modified = false, m_focus = false, m_tracking = false, m_hideSel = false;
  RichTextDoc m_undo;
  size_t m_undoSel = 0;
  bool m_canUndo = false;
  bool m_undoTyping = false;
  FontSet m_fonts;
  std::unique_ptr<FontSet> m_rangeFonts;  // for EM_FORMATRANGE
  Laid m_laid;
  bool m_valid = false;
  int m_top = 0;  // first visible line
  int m_lastRequest = -1;

  bool ReadOnly() const { return (Style() & ES_READONLY) != 0; }
  bool Multi() const { return (Style() & ES_MULTILINE) != 0; }
  size_t SelMin() const { return std::min(m_anchor, m_caret); }
  size_t SelMax() const { return std::max(m_anchor, m_caret); }

  CRect Client() const {
    CRect r;
    ::GetClientRect(m_hwnd, &r);
    return r;
  }
  int WrapWidth() const {
    if (m_lineWidth < 0) return 0;
    if (m_lineWidth > 0) return (int)(((int64_t)m_lineWidth * kScreenDpi) / 1440);
    return (Style() & ES_MULTILINE) && !(Style() & WS_HSCROLL) ? std::max(1, (int)Client().Width() - 2) : 0;
  }
  RichCharFormat EndFormat() const {
    if (m_insertSet) return m_insert;
    return m_doc.size() ? m_doc.CfAt(m_doc.size() - 1) : m_default;
  }

  void Layout() {
    if (m_valid) return;
    MeasureDC m(nullptr);
    int wrap = WrapWidth();
    LayOut(m_doc, m.dc, m_fonts, wrap, wrap > 0 ? wrap : std::max(0, (int)Client().Width() - 2), EndFormat(), m_laid);
    m_valid = true;
  }

  size_t LineOf(size_t pos) {
    Layout();
    auto& ls = m_laid.lines;
    size_t lo = 0, hi = ls.size();
    while (hi - lo > 1) {
      size_t mid = (lo + hi) / 2;
      if (ls[mid].start <= pos) lo = mid;
      else hi = mid;
    }
    return lo;
  }

  int TopY() {
    Layout();
    return m_top < (int)m_laid.lines.size() ? m_laid.lines[(size_t)m_top].y : 0;
  }

  POINT PosOf(size_t pos) {
    Layout();
    pos = std::min(pos, m_doc.size());
    const LaidLine& l = m_laid.lines[LineOf(pos)];
    int x = pos >= l.end ? l.width : m_laid.x[pos];
    return POINT{1 + l.indent + x, l.y - TopY()};
  }

  size_t CharFromPoint(POINT pt) {
    Layout();
    int y = pt.y + TopY();
    size_t li = 0;
    while (li + 1 < m_laid.lines.size() && m_laid.lines[li].y + m_laid.lines[li].height <= y) ++li;
    const LaidLine& l = m_laid.lines[li];
    int x = pt.x - 1 - l.indent;
    size_t last = l.mark ? l.end - 1 : l.end;
    for (size_t p = l.start; p < last; ++p) {
      int right = p + 1 < last ? m_laid.x[p + 1] : l.width;
      if (x < (m_laid.x[p] + right + 1) / 2) return p;
    }
    // At the end of a soft-wrapped line the caret goes before its last blank.
    if (!l.mark && l.end < m_doc.size() && last > l.start) return last - 1;
    return last;
  }

  void Invalidate() {
    m_valid = false;
    Redraw();
  }

  // Lays out again only the paragraphs around a change of [a, oldEnd) into [a, newEnd).
  void Relayout(size_t a, size_t oldEnd, size_t newEnd) {
    if (!m_valid) return;
    size_t n = m_doc.size();
    ptrdiff_t delta = (ptrdiff_t)newEnd - (ptrdiff_t)oldEnd;
    size_t p0 = m_doc.ParaStart(a), e = m_doc.ParaEnd(newEnd);
    size_t enew = e < n ? e + 1 : n;
    bool toEnd = enew >= n;
    size_t eold = (size_t)((ptrdiff_t)enew - delta);
    auto& ls = m_laid.lines;
    auto byStart = [](const LaidLine& l, size_t v) { return l.start < v; };
    size_t first = (size_t)(std::lower_bound(ls.begin(), ls.end(), p0, byStart) - ls.begin());
    size_t last = toEnd ? ls.size() : (size_t)(std::lower_bound(ls.begin() + (ptrdiff_t)first, ls.end(), eold, byStart) - ls.begin());
    int y0 = first < ls.size() ? ls[first].y : m_laid.height;
    int oldHeight = (last < ls.size() ? ls[last].y : m_laid.height) - y0;
    auto& xs = m_laid.x;
    xs.erase(xs.begin() + (ptrdiff_t)p0, toEnd ? xs.end() : xs.begin() + (ptrdiff_t)eold);
    xs.insert(xs.begin() + (ptrdiff_t)p0, (toEnd ? n + 1 : enew) - p0, 0);
    std::vector<LaidLine> fresh;
    MeasureDC m(nullptr);
    int wrap = WrapWidth();
    int y1 = LayOutRange(m_doc, m.dc, m_fonts, wrap, wrap > 0 ? wrap : std::max(0, (int)Client().Width() - 2),
                         EndFormat(), p0, enew, y0, fresh, xs);
    int dy = (y1 - y0) - oldHeight;
    for (size_t i = last; i < ls.size(); ++i) {
      ls[i].start = (size_t)((ptrdiff_t)ls[i].start + delta);
      ls[i].end = (size_t)((ptrdiff_t)ls[i].end + delta);
      ls[i].y += dy;
    }
    ls.erase(ls.begin() + (ptrdiff_t)first, ls.begin() + (ptrdiff_t)last);
    ls.insert(ls.begin() + (ptrdiff_t)first, fresh.begin(), fresh.end());
    m_laid.height += dy;
    m_top = std::min(m_top, std::max(0, (int)ls.size() - 1));
  }

  void Notify2(UINT code) {
    DWORD bit = code == EN_CHANGE ? ENM_CHANGE : ENM_UPDATE;
    if (m_mask & bit) Notify((WORD)code);
  }

  void SelChanged() {
    if (!(m_mask & ENM_SELCHANGE)) return;
    SELCHANGE sc{};
    sc.chrg = CHARRANGE{(LONG)SelMin(), (LONG)SelMax()};
    sc.seltyp = SelMin() == SelMax() ? SEL_EMPTY : SEL_TEXT;
    NotifyHdr(&sc.nmhdr, EN_SELCHANGE);
  }

  void Request(bool always) {
    if (!(m_mask & ENM_REQUESTRESIZE)) return;
    Layout();
    int h = m_laid.height;
    if (!always && h == m_lastRequest) return;
    m_lastRequest = h;
    CRect c = Client();
    REQRESIZE rr{};
    rr.rc = RECT{c.left, c.top, c.right, c.top + h};
    NotifyHdr(&rr.nmhdr, EN_REQUESTRESIZE);
  }

  // After a change whose layout was brought up to date (or dropped).
  void Changed() {
    m_modified = true;
    ScrollToCaret();
    Redraw();
    HWND self = m_hwnd;
    Notify2(EN_UPDATE);
    if (::IsWindow(self)) Notify2(EN_CHANGE);
    if (::IsWindow(self)) Request(false);
  }

  // Typing that follows typing joins its undo step.
  void SaveUndo(bool typing = false) {
    bool join = typing && m_undoTyping && m_canUndo;
    m_undoTyping = typing;
    if (join) return;
    m_undo = m_doc;
    m_undoSel = SelMin();
    m_canUndo = true;
  }

  // Protected text under a change asks the parent first; non-zero refuses.
  bool Protected(size_t a, size_t b, UINT msg, WPARAM wp, LPARAM lp) {
    if (!(m_mask & ENM_PROTECTED)) return false;
    bool any = false;
    for (size_t i = a; i < b && !any; ++i) any = (m_doc.CfAt(i).effects & CFE_PROTECTED) != 0;
    if (!any) return false;
    ENPROTECTED ep{};
    ep.msg = msg;
    ep.wParam = wp;
    ep.lParam = lp;
    ep.chrg = CHARRANGE{(LONG)a, (LONG)b};
    return NotifyHdr(&ep.nmhdr, EN_PROTECTED) != 0;
  }

  uint32_t TypingFormat() {
    if (m_insertSet) return m_doc.InternCf(m_insert);
    size_t a = SelMin();
    if (a > 0) return m_doc.cf[a - 1];
    if (a < m_doc.size()) return m_doc.cf[a];
    return m_doc.InternCf(m_default);
  }

  // Replaces the selection with plain text; by the user it keeps to the limit.
  bool ReplaceText(std::string s, bool byUser, bool undo, bool typing = false) {
    size_t a = SelMin(), b = SelMax();
    if (byUser) {
      size_t rest = m_doc.size() - (b - a);
      size_t room = m_limit > rest ? m_limit - rest : 0;
      if (s.size() > room) {
        s.resize(room);
        HWND self = m_hwnd;
        Notify((WORD)EN_MAXTEXT);
        if (!::IsWindow(self)) return false;
      }
      if (Protected(a, b, WM_CHAR, 0, 0)) return false;
    }
    if (s.empty() && a == b) return false;
    if (undo) SaveUndo(typing);
    uint32_t k = TypingFormat();
    m_insertSet = false;
    m_doc.Replace(a, b, s, k);
    Relayout(a, b, a + s.size());
    m_anchor = m_caret = a + s.size();
    Changed();
    SelChanged();
    return true;
  }

  void ReplaceDoc(const RichTextDoc& d, bool selection) {
    size_t a = selection ? SelMin() : 0, b = selection ? SelMax() : m_doc.size();
    m_doc.Replace(a, b, d);
    m_insertSet = false;
    Relayout(a, b, a + d.size());
    m_anchor = m_caret = selection ? a + d.size() : 0;
    if (!selection) m_top = 0;
    Changed();
  }

  void SetSel(size_t anchor, size_t caret, bool scroll = true) {
    size_t n = m_doc.size();
    m_anchor = std::min(anchor, n);
    m_caret = std::min(caret, n);
    m_insertSet = false;
    if (scroll) ScrollToCaret();
    PlaceCaret();
    Redraw();
    SelChanged();
  }

  int VisibleHeight() { return std::max(1, (int)Client().Height()); }

  void ScrollToCaret() {
    Layout();
    int li = (int)LineOf(m_caret);
    if (li < m_top) m_top = li;
    const auto& ls = m_laid.lines;
    while (m_top < li && ls[(size_t)li].y + ls[(size_t)li].height - ls[(size_t)m_top].y > VisibleHeight()) ++m_top;
    PlaceCaret();
  }

  void PlaceCaret() {
    if (!m_focus) return;
    POINT p = PosOf(m_caret);
    ::SetCaretPos(p.x, p.y);
  }

  int Scroll(int lines) {
    Layout();
    int old = m_top;
    m_top = std::clamp(m_top + lines, 0, std::max(0, (int)m_laid.lines.size() - 1));
    PlaceCaret();
    Redraw();
    return m_top - old;
  }

  int PageLines() {
    Layout();
    int h = VisibleHeight(), n = 0, y0 = TopY();
    for (size_t i = (size_t)m_top; i < m_laid.lines.size() && m_laid.lines[i].y + m_laid.lines[i].height - y0 <= h; ++i) ++n;
    return std::max(1, n);
  }

  // ---- Formats ----
  static RichCharFormat Apply(RichCharFormat f, const CHARFORMAT& c) {
    DWORD m = c.dwMask;
    uint32_t bits = (m & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED));
    f.effects = (f.effects & ~bits) | (c.dwEffects & bits);
    if (m & CFM_COLOR) {
      f.effects = (f.effects & ~CFE_AUTOCOLOR) | (c.dwEffects & CFE_AUTOCOLOR);
      f.color = c.crTextColor & 0xFFFFFF;
    }
    if (m & CFM_SIZE) f.height = std::clamp<LONG>(c.yHeight, 20, 32760);
    if (m & CFM_OFFSET) f.offset = c.yOffset;
    if (m & CFM_FACE) f.face.assign(c.szFaceName, strnlen(c.szFaceName, sizeof c.szFaceName));
    if (m & CFM_CHARSET) f.charset = c.bCharSet;
    if (m & CFM_FACE) f.pitch = c.bPitchAndFamily;
    return f;
  }

  static void Fill(CHARFORMAT& c, const RichCharFormat& f) {
    c.dwMask = CFM_ALL;
    c.dwEffects = f.effects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_PROTECTED | CFE_AUTOCOLOR);
    c.yHeight = f.height;
    c.yOffset = f.offset;
    c.crTextColor = f.color;
    c.bCharSet = f.charset;
    c.bPitchAndFamily = f.pitch;
    memset(c.szFaceName, 0, sizeof c.szFaceName);
    strncpy(c.szFaceName, f.face.c_str(), sizeof c.szFaceName - 1);
  }

  LRESULT SetCharFormat(WPARAM which, const CHARFORMAT* c) {
    if (!c || c->cbSize < sizeof(CHARFORMAT)) return FALSE;
    if (which == SCF_DEFAULT) {
      m_default = Apply(m_default, *c);
      if (m_doc.size() == 0) m_insertSet = false;
      Invalidate();
      return TRUE;
    }
    size_t a = SelMin(), b = SelMax();
    if (which & SCF_ALL) {
      a = 0;
      b = m_doc.size();
      m_default = Apply(m_default, *c);
    } else if ((which & SCF_WORD) && a == b) {
      while (a > 0 && IsWord(m_doc.text[a - 1])) --a;
      while (b < m_doc.size() && IsWord(m_doc.text[b])) ++b;
    }
    if (a == b && !(which & SCF_ALL)) {
      m_insert = Apply(EndFormatAt(a), *c);
      m_insertSet = true;
      if (a == m_doc.size()) Relayout(a, a, a);  // an empty last line takes its height
      return TRUE;
    }
    std::map<uint32_t, uint32_t> remap;
    for (size_t i = a; i < b; ++i) {
      uint32_t k = m_doc.cf[i];
      auto it = remap.find(k);
      if (it == remap.end()) it = remap.emplace(k, m_doc.InternCf(Apply(m_doc.cfs[k], *c))).first;
      m_doc.cf[i] = it->second;
    }
    m_modified = true;
    Relayout(a, b, b);
    Redraw();
    HWND self = m_hwnd;
    Notify2(EN_CHANGE);
    if (::IsWindow(self)) Request(false);
    return TRUE;
  }

  RichCharFormat EndFormatAt(size_t a) const {
    if (a > 0) return m_doc.CfAt(a - 1);
    if (a < m_doc.size()) return m_doc.CfAt(a);
    return m_default;
  }

  LRESULT GetCharFormat(WPARAM which, CHARFORMAT* c) {
    if (!c || c->cbSize < sizeof(CHARFORMAT)) return 0;
    size_t a = SelMin(), b = SelMax();
    if (which == SCF_DEFAULT) {
      Fill(*c, m_default);
    } else if (a == b) {
      Fill(*c, m_insertSet ? m_insert : EndFormatAt(a));
    } else {
      const RichCharFormat& f0 = m_doc.CfAt(a);
      Fill(*c, f0);
      // Attributes that vary over the selection lose their mask bits.
      for (size_t i = a + 1; i < b; ++i) {
        const RichCharFormat& f = m_doc.CfAt(i);
        if (&f == &f0) continue;
        DWORD diff = f.effects ^ f0.effects;
        c->dwMask &= ~(diff & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED));
        if ((diff & CFE_AUTOCOLOR) || f.color != f0.color) c->dwMask &= ~CFM_COLOR;
        if (f.height != f0.height) c->dwMask &= ~CFM_SIZE;
        if (f.face != f0.face || f.pitch != f0.pitch) c->dwMask &= ~CFM_FACE;
        if (f.charset != f0.charset) c->dwMask &= ~CFM_CHARSET;
        if (f.offset != f0.offset) c->dwMask &= ~CFM_OFFSET;
      }
    }
    return (LRESULT)c->dwMask;
  }

  LRESULT SetParaFormat(const PARAFORMAT* p) {
    if (!p || p->cbSize < sizeof(PARAFORMAT)) return FALSE;
    if (!(p->dwMask & PFM_ALIGNMENT)) return TRUE;
    if (p->wAlignment < PFA_LEFT || p->wAlignment > PFA_JUSTIFY) return FALSE;
    uint32_t k = m_doc.InternPf(RichParaFormat{p->wAlignment});
    size_t a = m_doc.ParaStart(SelMin()), b = SelMax();
    for (size_t pos = a;;) {
      m_doc.SetParaFormatOf(pos, k);
      size_t e = m_doc.ParaEnd(pos);
      if (e >= m_doc.size() || e + 1 > b) break;
      pos = e + 1;
    }
    m_modified = true;
    Relayout(a, b, b);
    Redraw();
    Notify2(EN_CHANGE);
    return TRUE;
  }

  LRESULT GetParaFormat(PARAFORMAT* p) {
    if (!p || p->cbSize < sizeof(PARAFORMAT)) return 0;
    UINT size = p->cbSize;
    memset(p, 0, sizeof(PARAFORMAT));
    p->cbSize = size;
    uint16_t al = m_doc.pfs[m_doc.ParaFormatOf(SelMin())].align;
    p->dwMask = PFM_ALIGNMENT | PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET;
    for (size_t pos = m_doc.ParaEnd(SelMin()); pos < m_doc.size() && pos < SelMax(); pos = m_doc.ParaEnd(pos + 1))
      if (m_doc.pfs[m_doc.ParaFormatOf(pos + 1)].align != al) p->dwMask &= ~PFM_ALIGNMENT;
    p->wAlignment = al;
    return (LRESULT)p->dwMask;
  }

  // ---- Streams ----
  LRESULT StreamIn(WPARAM fmt, EDITSTREAM* es) {
    if (!es || !es->pfnCallback) return 0;
    std::string data;
    es->dwError = 0;
    std::vector<BYTE> buf(4096);
    for (;;) {
      LONG got = 0;
      DWORD err = es->pfnCallback(es->dwCookie, buf.data(), (LONG)buf.size(), &got);
      if (err) {
        es->dwError = err;
        break;
      }
      if (got <= 0) break;
      data.append((const char*)buf.data(), (size_t)std::min<LONG>(got, (LONG)buf.size()));
    }
    RichTextDoc d;
    RichCharFormat base = (fmt & SFF_SELECTION) ? EndFormatAt(SelMin()) : m_default;
    if (!((fmt & 3) == SF_RTF && ReadRtf(data, base, d))) ReadPlainText(data, base, d);
    ReplaceDoc(d, (fmt & SFF_SELECTION) != 0);
    if (!(fmt & SFF_SELECTION)) m_modified = false;
    return (LRESULT)d.size();
  }

  LRESULT StreamOut(WPARAM fmt, EDITSTREAM* es) {
    if (!es || !es->pfnCallback) return 0;
    size_t a = (fmt & SFF_SELECTION) ? SelMin() : 0, b = (fmt & SFF_SELECTION) ? SelMax() : m_doc.size();
    std::string out = (fmt & 3) == SF_RTF ? m_doc.WriteRtf(a, b) : m_doc.Text(a, b, true);
    es->dwError = 0;
    size_t done = 0;
    while (done < out.size()) {
      LONG n = (LONG)std::min<size_t>(4096, out.size() - done);
      LONG took = 0;
      DWORD err = es->pfnCallback(es->dwCookie, (LPBYTE)out.data() + done, n, &took);
      if (err) {
        es->dwError = err;
        break;
      }
      if (took <= 0) break;
      done += (size_t)std::min(took, n);
    }
    return (LRESULT)done;
  }

  // ---- Find ----
  static bool IsWord(char c) { return isalnum((unsigned char)c) || c == '_' || (unsigned char)c >= 0xC0; }

  LONG Find(WPARAM flags, const CHARRANGE& r, const char* what, CHARRANGE* found) {
    if (!what || !*what) return -1;
    std::string w = what;
    const std::string& t = m_doc.text;
    LONG n = (LONG)t.size();
    auto eq = [&](char a, char b) {
      return (flags & FR_MATCHCASE) ? a == b : tolower((unsigned char)a) == tolower((unsigned char)b);
    };
    auto at = [&](LONG p) {
      if (p < 0 || p + (LONG)w.size() > n) return false;
      for (size_t k = 0; k < w.size(); ++k)
        if (!eq(t[(size_t)p + k], w[k])) return false;
      if (flags & FR_WHOLEWORD) {
        if (p > 0 && IsWord(t[(size_t)p - 1])) return false;
        size_t e = (size_t)p + w.size();
        if (e < t.size() && IsWord(t[e])) return false;
      }
      return true;
    };
    LONG from = std::clamp<LONG>(r.cpMin < 0 ? n : r.cpMin, 0, n);
    LONG to = r.cpMax < 0 ? ((flags & FR_DOWN) ? n : 0) : std::clamp<LONG>(r.cpMax, 0, n);
    LONG hit = -1;
    if (flags & FR_DOWN) {
      for (LONG p = from; p + (LONG)w.size() <= to && hit < 0; ++p)
        if (at(p)) hit = p;
    } else {
      for (LONG p = from - (LONG)w.size(); p >= to && hit < 0; --p)
        if (at(p)) hit = p;
    }
    if (found) *found = hit < 0 ? CHARRANGE{-1, -1} : CHARRANGE{hit, hit + (LONG)w.size()};
    return hit;
  }

  // ---- Printing into any DC ----
  LRESULT FormatRange(BOOL render, FORMATRANGE* fr) {
    if (!fr) return 0;  // releases cached information: nothing is kept between calls
    HDC target = fr->hdcTarget ? fr->hdcTarget : fr->hdc;
    if (!target) return 0;
    CDC* tdc = CDC::FromHandle(target);
    const int dpiX = ::GetUnitsPerInch(target, LOGPIXELSX), dpiY = ::GetUnitsPerInch(target, LOGPIXELSY);
    auto px = [](LONG tw, int dpi) { return (int)(((int64_t)tw * dpi) / 1440); };
    CRect rc(px(fr->rc.left, dpiX), px(fr->rc.top, dpiY), px(fr->rc.right, dpiX), px(fr->rc.bottom, dpiY));
    LONG n = (LONG)m_doc.size();
    LONG from = std::clamp<LONG>(fr->chrg.cpMin, 0, n);
    LONG to = fr->chrg.cpMax < 0 ? n : std::clamp<LONG>(fr->chrg.cpMax, from, n);
    RichTextDoc part = m_doc;
    part.Replace((size_t)to, part.size(), std::string(), 0);
    part.Replace(0, (size_t)from, std::string(), 0);
    // The fonts of a resolution are kept from one call to the next: cells render one after another.
    if (!m_rangeFonts || m_rangeFonts->Dpi() != dpiY) m_rangeFonts = std::make_unique<FontSet>(dpiY);
    FontSet& fonts = *m_rangeFonts;
    Laid laid;
    LayOut(part, *tdc, fonts, rc.Width(), rc.Width(), EndFormat(), laid);
    CDC* dc = render && fr->hdc ? CDC::FromHandle(fr->hdc) : nullptr;
    size_t next = part.size();
    for (const LaidLine& l : laid.lines) {
      if (l.y + l.height > rc.Height() && &l != &laid.lines.front()) {
        next = l.start;
        break;
      }
      if (dc) DrawLine(*dc, fonts, part, laid, l, rc.left, rc.top + l.y, 0, 0, dc->GetTextColor());
    }
    return from + (LRESULT)next;
  }

  void DrawLine(CDC& dc, FontSet& fonts, const RichTextDoc& d, const Laid& laid, const LaidLine& l, int left, int top,
                size_t selA, size_t selB, COLORREF autoColor) {
    const std::string& t = d.text;
    size_t e = l.mark ? l.end - 1 : l.end;
    for (size_t i = l.start; i < e;) {
      size_t j = i;
      bool sel = i >= selA && i < selB;
      while (j < e && d.cf[j] == d.cf[i] && t[j] != '\t' && ((j >= selA && j < selB) == sel)) ++j;
      if (j == i) {  // a tab
        if (sel) {
          int x0 = left + l.indent + laid.x[i];
          int x1 = left + l.indent + (i + 1 < e ? laid.x[i + 1] : l.width);
          dc.FillSolidRect(x0, top, x1 - x0, l.height, ::GetSysColor(COLOR_HIGHLIGHT));
        }
        ++i;
        continue;
      }
      const RichCharFormat& f = d.cfs[d.cf[i]];
      const FontSet::Entry& fe = fonts.Get(dc, f);
      HGDIOBJ old = dc.SelectObject((HGDIOBJ)fe.font);
      int x = left + l.indent + laid.x[i];
      int y = top + l.ascent - fe.ascent;
      COLORREF col = (f.effects & CFE_AUTOCOLOR) ? autoColor : f.color;
      if (sel) {
        int x1 = left + l.indent + (j < e ? laid.x[j] : l.width);
        dc.FillSolidRect(x, top, x1 - x, l.height, ::GetSysColor(COLOR_HIGHLIGHT));
        col = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
      }
      COLORREF oldCol = dc.SetTextColor(col);
      int oldMode = dc.SetBkMode(TRANSPARENT);
      dc.TextOut(x, y, t.data() + i, (int)(j - i));
      dc.SetBkMode(oldMode);
      dc.SetTextColor(oldCol);
      dc.SelectObject(old);
      i = j;
    }
  }

  void Paint(WPARAM wp) {
    Layout();
    ControlPaint p(m_hwnd, wp);
    CDC& dc = p.dc();
    CRect cr = Client();
    dc.FillSolidRect(&cr, m_bkSys ? ::GetSysColor(COLOR_WINDOW) : m_bk);
    bool showSel = (m_focus || (Style() & ES_NOHIDESEL)) && !m_hideSel;
    size_t a = showSel ? SelMin() : 0, b = showSel ? SelMax() : 0;
    int y0 = TopY();
    COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    for (size_t i = (size_t)m_top; i < m_laid.lines.size(); ++i) {
      const LaidLine& l = m_laid.lines[i];
      if (l.y - y0 >= cr.bottom) break;
      DrawLine(dc, m_fonts, m_doc, m_laid, l, 1, l.y - y0, a, b, text);
    }
  }

  // ---- Clipboard ----
  static UINT RtfFormat() {
    static UINT f = ::RegisterClipboardFormat(CF_RTF);
    return f;
  }

  static void Put(UINT format, const std::string& s) {
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
    if (!h) return;
    auto* p = (char*)::GlobalLock(h);
    memcpy(p, s.c_str(), s.size() + 1);
    ::GlobalUnlock(h);
    ::SetClipboardData(format, h);
  }

  void Copy() {
    size_t a = SelMin(), b = SelMax();
    if (a == b || !::OpenClipboard(m_hwnd)) return;
    ::EmptyClipboard();
    Put(RtfFormat(), m_doc.WriteRtf(a, b));
    Put(CF_TEXT, m_doc.Text(a, b, true));
    ::CloseClipboard();
  }

  void Paste() {
    if (ReadOnly() || !::OpenClipboard(m_hwnd)) return;
    std::string s;
    bool rtf = false;
    HANDLE h = ::GetClipboardData(RtfFormat());
    if (h) rtf = true;
    else h = ::GetClipboardData(CF_TEXT);
    if (h) {
      const char* p = (const char*)::GlobalLock(h);
      if (p) s.assign(p, strnlen(p, ::GlobalSize(h)));
      ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    if (!h) return;
    RichTextDoc d;
    RichCharFormat base = EndFormatAt(SelMin());
    if (!(rtf && ReadRtf(s, base, d))) ReadPlainText(s, base, d);
    if (Protected(SelMin(), SelMax(), WM_PASTE, 0, 0)) return;
    size_t room = m_limit > m_doc.size() - (SelMax() - SelMin()) ? m_limit - (m_doc.size() - (SelMax() - SelMin())) : 0;
    if (d.size() > room) {
      d.Replace(room, d.size(), std::string(), 0);
      Notify((WORD)EN_MAXTEXT);
    }
    SaveUndo();
    ReplaceDoc(d, true);
  }

  void Undo() {
    if (!m_canUndo || ReadOnly()) return;
    std::swap(m_doc, m_undo);
    m_undoTyping = false;
    m_anchor = m_caret = std::min(m_undoSel, m_doc.size());
    m_valid = false;
    Changed();
  }

  // ---- Keys ----
  size_t Prev(size_t p) const { return p ? p - 1 : 0; }
  size_t Next(size_t p) const { return std::min(p + 1, m_doc.size()); }
  size_t WordLeft(size_t p) const {
    const std::string& t = m_doc.text;
    while (p > 0 && !IsWord(t[p - 1])) --p;
    while (p > 0 && IsWord(t[p - 1])) --p;
    return p;
  }
  size_t WordRight(size_t p) const {
    const std::string& t = m_doc.text;
    size_t n = t.size();
    while (p < n && IsWord(t[p])) ++p;
    while (p < n && !IsWord(t[p])) ++p;
    return p;
  }

  void Move(size_t to, bool extend) {
    if (extend) SetSel(m_anchor, to);
    else SetSel(to, to);
  }

  void KeyDown(UINT vk) {
    bool shift = ::GetKeyState(VK_SHIFT) < 0, ctrl = ::GetKeyState(VK_CONTROL) < 0;
    Layout();
    const LaidLine l = m_laid.lines[LineOf(m_caret)];
    switch (vk) {
      case VK_LEFT:
        if (!shift && SelMin() != SelMax()) Move(SelMin(), false);
        else Move(ctrl ? WordLeft(m_caret) : Prev(m_caret), shift);
        break;
      case VK_RIGHT:
        if (!shift && SelMin() != SelMax()) Move(SelMax(), false);
        else Move(ctrl ? WordRight(m_caret) : Next(m_caret), shift);
        break;
      case VK_UP:
      case VK_DOWN:
      case VK_PRIOR:
      case VK_NEXT: {
        int li = (int)LineOf(m_caret);
        int step = (vk == VK_UP || vk == VK_DOWN) ? 1 : std::max(1, PageLines() - 1);
        int target = std::clamp(li + ((vk == VK_UP || vk == VK_PRIOR) ? -step : step), 0,
                                (int)m_laid.lines.size() - 1);
        POINT p = PosOf(m_caret);
        const LaidLine& tl = m_laid.lines[(size_t)target];
        Move(CharFromPoint(POINT{p.x, tl.y - TopY()}), shift);
        break;
      }
      case VK_HOME: Move(ctrl ? 0 : l.start, shift); break;
      case VK_END: Move(ctrl ? m_doc.size() : (l.mark ? l.end - 1 : l.end), shift); break;
      case VK_DELETE:
        if (ReadOnly()) break;
        if (shift) {
          Copy();
          ReplaceText("", true, true);
        } else {
          if (SelMin() == SelMax()) {
            if (m_caret >= m_doc.size()) break;
            m_anchor = Next(m_caret);
          }
          ReplaceText("", true, true);
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
      case 1: SetSel(0, m_doc.size()); return;
      case 3: Copy(); return;
      case 22: Paste(); return;
      case 24:
        if (!ReadOnly()) {
          Copy();
          ReplaceText("", true, true);
        }
        return;
      case 26: Undo(); return;
      case 8:
        if (ReadOnly()) return;
        if (SelMin() == SelMax()) {
          if (m_caret == 0) return;
          m_anchor = Prev(m_caret);
        }
        ReplaceText("", true, true);
        return;
      case '\r':
      case '\n':
        if (!Multi() || ReadOnly()) return;
        ReplaceText("\r", true, true);
        return;
      default: break;
    }
    if ((ch < 32 && ch != '\t') || ch > 255 || ReadOnly()) return;
    ReplaceText(std::string(1, (char)ch), true, true, true);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_NCCREATE: {
        Default(msg, wp, lp);
        auto* cs = (CREATESTRUCT*)lp;
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && *cs->lpszName) SetText(cs->lpszName);
        m_modified = false;
        return TRUE;
      }
      case WM_PAINT: Paint(wp); return 0;
      case WM_ERASEBKGND: return TRUE;
      case WM_SIZE:
        Invalidate();
        ScrollToCaret();
        return 0;
      case WM_SETFONT: {
        Default(msg, wp, lp);
        LOGFONT lf{};
        if (wp && ::GetObject((HGDIOBJ)wp, sizeof lf, &lf)) {
          CHARFORMAT c{};
          c.cbSize = sizeof c;
          c.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
          c.yHeight = (LONG)(std::abs((int)lf.lfHeight) * 1440 / kScreenDpi);
          c.dwEffects = (lf.lfWeight >= FW_BOLD ? CFE_BOLD : 0) | (lf.lfItalic ? CFE_ITALIC : 0) |
                        (lf.lfUnderline ? CFE_UNDERLINE : 0) | (lf.lfStrikeOut ? CFE_STRIKEOUT : 0);
          c.bCharSet = lf.lfCharSet;
          c.bPitchAndFamily = lf.lfPitchAndFamily;
          memcpy(c.szFaceName, lf.lfFaceName, strnlen(lf.lfFaceName, sizeof c.szFaceName - 1));
          SetCharFormat(SCF_ALL, &c);
        }
        return 0;
      }
      case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        auto* m = (MSG*)lp;
        if (Multi() && m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN && (Style() & ES_WANTRETURN))
          code |= DLGC_WANTALLKEYS;
        return code;
      }
      case WM_SETTEXT: SetText(lp ? (const char*)lp : ""); return TRUE;
      case WM_GETTEXT: {
        auto* buf = (char*)lp;
        if (!buf || (int)wp <= 0) return 0;
        std::string s = m_doc.Text(0, m_doc.size(), true);
        size_t n = std::min(s.size(), (size_t)wp - 1);
        memcpy(buf, s.data(), n);
        buf[n] = 0;
        return (LRESULT)n;
      }
      case WM_GETTEXTLENGTH: return (LRESULT)(m_doc.size() + (size_t)std::count(m_doc.text.begin(), m_doc.text.end(), '\r'));
      case EM_GETTEXTLENGTHEX: {
        auto* g = (GETTEXTLENGTHEX*)wp;
        bool crlf = g && (g->flags & GTL_USECRLF);
        return (LRESULT)(m_doc.size() + (crlf ? (size_t)std::count(m_doc.text.begin(), m_doc.text.end(), '\r') : 0));
      }
      case WM_SETFOCUS: {
        m_focus = true;
        Layout();
        const LaidLine& l = m_laid.lines[LineOf(m_caret)];
        ::CreateCaret(m_hwnd, nullptr, 1, std::max(1, l.height));
        PlaceCaret();
        ::ShowCaret(m_hwnd);
        Redraw();
        Notify((WORD)EN_SETFOCUS);
        return 0;
      }
      case WM_KILLFOCUS:
        m_focus = false;
        m_tracking = false;
        ::DestroyCaret();
        Redraw();
        Notify((WORD)EN_KILLFOCUS);
        return 0;
      case WM_KEYDOWN: KeyDown((UINT)wp); return 0;
      case WM_CHAR: Char((UINT)wp); return 0;
      case WM_LBUTTONDOWN: {
        if (!PressTakesFocus()) return 0;
        Move(CharFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}), (wp & MK_SHIFT) != 0);
        m_tracking = true;
        ::SetCapture(m_hwnd);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (m_tracking && (wp & MK_LBUTTON)) {
          size_t pos = CharFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
          if (pos != m_caret) Move(pos, true);
        }
        return 0;
      case WM_LBUTTONUP:
        if (m_tracking) {
          m_tracking = false;
          if (::GetCapture() == m_hwnd) ::ReleaseCapture();
        }
        return 0;
      case WM_LBUTTONDBLCLK: {
        size_t pos = CharFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}), a = pos, b = pos;
        while (a > 0 && IsWord(m_doc.text[a - 1])) --a;
        while (b < m_doc.size() && IsWord(m_doc.text[b])) ++b;
        SetSel(a, b);
        return 0;
      }
      case WM_CUT:
        if (!ReadOnly()) {
          Copy();
          ReplaceText("", false, true);
        }
        return 0;
      case WM_COPY: Copy(); return 0;
      case WM_PASTE: Paste(); return 0;
      case WM_CLEAR:
        if (!ReadOnly()) ReplaceText("", false, true);
        return 0;
      case WM_UNDO:
      case EM_UNDO: {
        BOOL could = m_canUndo && !ReadOnly();
        Undo();
        return could;
      }
      case EM_CANUNDO: return m_canUndo;
      case EM_EMPTYUNDOBUFFER: m_canUndo = false; m_undo = RichTextDoc{}; return 0;
      case EM_CANPASTE: {
        if (ReadOnly()) return FALSE;
        if (wp) return ::IsClipboardFormatAvailable((UINT)wp) && (wp == CF_TEXT || wp == RtfFormat());
        return ::IsClipboardFormatAvailable(RtfFormat()) || ::IsClipboardFormatAvailable(CF_TEXT);
      }
      case EM_GETSEL: {
        if (wp) *(DWORD*)wp = (DWORD)SelMin();
        if (lp) *(DWORD*)lp = (DWORD)SelMax();
        return MAKELONG(std::min<size_t>(SelMin(), 0xFFFF), std::min<size_t>(SelMax(), 0xFFFF));
      }
      case EM_SETSEL: SetRange((LONG)(int)wp, (LONG)(int)lp); return 0;
      case EM_EXGETSEL:
        if (lp) *(CHARRANGE*)lp = CHARRANGE{(LONG)SelMin(), (LONG)SelMax()};
        return 0;
      case EM_EXSETSEL:
        if (lp) SetRange(((CHARRANGE*)lp)->cpMin, ((CHARRANGE*)lp)->cpMax);
        return (LRESULT)SelMax();
      case EM_GETSELTEXT: {
        if (!lp) return 0;
        std::string s = m_doc.Text(SelMin(), SelMax(), false);
        memcpy((char*)lp, s.c_str(), s.size() + 1);
        return (LRESULT)s.size();
      }
      case EM_GETTEXTRANGE: {
        auto* tr = (TEXTRANGE*)lp;
        if (!tr || !tr->lpstrText) return 0;
        LONG n = (LONG)m_doc.size();
        LONG a = std::clamp<LONG>(tr->chrg.cpMin, 0, n);
        LONG b = tr->chrg.cpMax < 0 ? n : std::clamp<LONG>(tr->chrg.cpMax, a, n);
        std::string s = m_doc.Text((size_t)a, (size_t)b, false);
        memcpy(tr->lpstrText, s.c_str(), s.size() + 1);
        return (LRESULT)s.size();
      }
      case EM_SELECTIONTYPE: return SelMin() == SelMax() ? SEL_EMPTY : SEL_TEXT;
      case EM_HIDESELECTION: m_hideSel = wp != 0; Redraw(); return 0;
      case EM_REPLACESEL: {
        std::string s = lp ? (const char*)lp : "";
        std::string t;
        for (size_t i = 0; i < s.size(); ++i)
          if (!(s[i] == '\n' && i > 0 && s[i - 1] == '\r')) t += s[i] == '\n' ? '\r' : s[i];
        ReplaceText(t, false, wp != 0);
        return 0;
      }
      case EM_GETMODIFY: return m_modified;
      case EM_SETMODIFY: m_modified = wp != 0; return 0;
      case EM_EXLIMITTEXT:
      case EM_LIMITTEXT: {
        LPARAM v = msg == EM_LIMITTEXT ? (LPARAM)wp : lp;
        m_limit = v > 0 ? (size_t)v : 65536;
        return 0;
      }
      case EM_GETLIMITTEXT: return (LRESULT)m_limit;
      case EM_SETREADONLY: SetStyleBits(ES_READONLY, wp != 0); return TRUE;
      case EM_SETOPTIONS: {
        const DWORD kOpts = ECO_AUTOWORDSELECTION | ECO_AUTOVSCROLL | ECO_AUTOHSCROLL | ECO_NOHIDESEL | ECO_READONLY |
                            ECO_WANTRETURN | ECO_SAVESEL | ECO_SELECTIONBAR;
        DWORD cur = Style() & kOpts, v = (DWORD)lp & kOpts;
        switch (wp) {
          case ECOOP_SET: cur = v; break;
          case ECOOP_OR: cur |= v; break;
          case ECOOP_AND: cur &= v; break;
          case ECOOP_XOR: cur ^= v; break;
          default: return (LRESULT)cur;
        }
        ::SetWindowLongPtr(m_hwnd, GWL_STYLE, (LONG_PTR)((Style() & ~kOpts) | cur));
        Redraw();
        return (LRESULT)cur;
      }
      case EM_GETOPTIONS:
        return (LRESULT)(Style() & (ECO_AUTOWORDSELECTION | ECO_AUTOVSCROLL | ECO_AUTOHSCROLL | ECO_NOHIDESEL |
                                    ECO_READONLY | ECO_WANTRETURN | ECO_SAVESEL | ECO_SELECTIONBAR));
      case EM_SETEVENTMASK: {
        DWORD old = m_mask;
        m_mask = (DWORD)lp;
        return (LRESULT)old;
      }
      case EM_GETEVENTMASK: return (LRESULT)m_mask;
      case EM_SETBKGNDCOLOR: {
        COLORREF old = m_bkSys ? ::GetSysColor(COLOR_WINDOW) : m_bk;
        m_bkSys = wp != 0;
        m_bk = (COLORREF)lp;
        Redraw();
        return (LRESULT)old;
      }
      case EM_SETTARGETDEVICE:
        // A null device with width 1 never wraps; 0 wraps at the window.
        m_lineWidth = (!wp && lp == 1) ? -1 : std::max<LONG>(0, (LONG)lp);
        Invalidate();
        return TRUE;
      case EM_REQUESTRESIZE: Request(true); return 0;
      case EM_SETCHARFORMAT: return SetCharFormat(wp, (const CHARFORMAT*)lp);
      case EM_GETCHARFORMAT: return GetCharFormat(wp, (CHARFORMAT*)lp);
      case EM_SETPARAFORMAT: return SetParaFormat((const PARAFORMAT*)lp);
      case EM_GETPARAFORMAT: return GetParaFormat((PARAFORMAT*)lp);
      case EM_STREAMIN: return StreamIn(wp, (EDITSTREAM*)lp);
      case EM_STREAMOUT: return StreamOut(wp, (EDITSTREAM*)lp);
      case EM_FINDTEXT: {
        auto* ft = (FINDTEXT*)lp;
        return ft ? Find(wp, ft->chrg, ft->lpstrText, nullptr) : -1;
      }
      case EM_FINDTEXTEX: {
        auto* ft = (FINDTEXTEX*)lp;
        return ft ? Find(wp, ft->chrg, ft->lpstrText, &ft->chrgText) : -1;
      }
      case EM_FORMATRANGE: return FormatRange((BOOL)wp, (FORMATRANGE*)lp);
      case EM_SCROLL: {
        int d = 0;
        switch (LOWORD(wp)) {
          case SB_LINEUP: d = Scroll(-1); break;
          case SB_LINEDOWN: d = Scroll(1); break;
          case SB_PAGEUP: d = Scroll(-PageLines()); break;
          case SB_PAGEDOWN: d = Scroll(PageLines()); break;
          default: return 0;
        }
        return MAKELRESULT((WORD)(short)d, TRUE);
      }
      case EM_SCROLLCARET: ScrollToCaret(); Redraw(); return 0;
      case EM_LINESCROLL: Scroll((int)lp); return TRUE;
      case EM_GETFIRSTVISIBLELINE: return m_top;
      case EM_GETLINECOUNT: Layout(); return (LRESULT)m_laid.lines.size();
      case EM_EXLINEFROMCHAR: return (LRESULT)LineOf(lp < 0 ? m_caret : (size_t)lp);
      case EM_LINEFROMCHAR: return (LRESULT)LineOf((int)wp < 0 ? m_caret : (size_t)wp);
      case EM_LINEINDEX: {
        Layout();
        long li = (long)(int)wp;
        if (li < 0) li = (long)LineOf(m_caret);
        return (size_t)li < m_laid.lines.size() ? (LRESULT)m_laid.lines[(size_t)li].start : -1;
      }
      case EM_LINELENGTH: {
        Layout();
        if ((int)wp < 0 || (size_t)wp > m_doc.size()) return 0;
        const LaidLine& l = m_laid.lines[LineOf((size_t)wp)];
        return (LRESULT)((l.mark ? l.end - 1 : l.end) - l.start);
      }
      case EM_POSFROMCHAR: {
        if (!wp || (size_t)lp > m_doc.size()) return 0;
        POINT p = PosOf((size_t)lp);
        *(POINT*)wp = p;
        return 0;
      }
      case EM_CHARFROMPOS: return lp ? (LRESULT)CharFromPoint(*(const POINT*)lp) : 0;
      default: return Default(msg, wp, lp);
    }
  }

  void SetText(const char* s) {
    RichTextDoc d;
    std::string in = s;
    if (!(in.compare(0, 5, "{\\rtf") == 0 && ReadRtf(in, m_default, d))) ReadPlainText(in, m_default, d);
    m_canUndo = false;
    ReplaceDoc(d, false);
    m_modified = false;
  }

  void SetRange(LONG a, LONG b) {
    LONG n = (LONG)m_doc.size();
    if (a == -1) {  // no selection: the caret stays
      SetSel(m_caret, m_caret);
      return;
    }
    if (a == 0 && b == -1) {
      SetSel(0, (size_t)n);
      return;
    }
    size_t sa = a < 0 ? (size_t)n : (size_t)a, sb = b < 0 ? (size_t)n : (size_t)b;
    SetSel(sa, sb);
  }

  void SetStyleBits(DWORD bits, bool on) {
    DWORD s = Style();
    ::SetWindowLongPtr(m_hwnd, GWL_STYLE, (LONG_PTR)(on ? (s | bits) : (s & ~bits)));
    Redraw();
  }
};

}  // namespace

void RegisterRichEdit() { RegisterControlClass(RICHEDIT_CLASS, ControlProc<RichEditCtl>, CS_DBLCLKS, IDC_IBEAM); }

}  // namespace ui

IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  ui::EnsureNativeControls();
  return CreateEx(0, RICHEDIT_CLASS, nullptr, dwStyle, rect, pParentWnd, nID);
}

LONG CRichEditCtrl::GetTextRange(LONG nFirst, LONG nLast, CString& refString) const {
  LONG n = (LONG)SendMessage(EM_GETTEXTLENGTHEX, 0, 0);
  LONG b = nLast < 0 ? n : std::min(nLast, n);
  LONG a = std::clamp<LONG>(nFirst, 0, b);
  std::string buf((size_t)(b - a) + 1, '\0');
  TEXTRANGE tr{CHARRANGE{a, b}, buf.data()};
  LONG got = (LONG)SendMessage(EM_GETTEXTRANGE, 0, (LPARAM)&tr);
  refString = CString(buf.c_str(), got);
  return got;
}

CString CRichEditCtrl::GetSelText() const {
  CHARRANGE cr{};
  GetSel(cr);
  std::string buf((size_t)std::max<LONG>(0, cr.cpMax - cr.cpMin) + 1, '\0');
  LONG got = (LONG)SendMessage(EM_GETSELTEXT, 0, (LPARAM)buf.data());
  return CString(buf.c_str(), got);
}
