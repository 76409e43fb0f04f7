// Text output, measurement and formatted text of CDC.
#include "platform/gdi/DCImpl.h"

#include "platform/core/Format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace gdi;

#define REC(...) \
  do { if (GetRecorder()) GetRecorder()->RecordCall(CString(FormatString(__VA_ARGS__))); } while (0)

namespace {

struct Shaped {
  std::vector<uint32_t> cps;
  std::vector<int> byteStart;
  std::vector<unsigned long> glyphs;
  std::vector<int> adv;  // device units
  int width = 0;
};

void Shape(RealFont& rf, const char* s, int n, int extra, Shaped& out) {
  DecodeText(s, n, out.cps, &out.byteStart);
  size_t k = out.cps.size();
  out.glyphs.resize(k);
  out.adv.resize(k);
  out.width = 0;
  for (size_t i = 0; i < k; ++i) {
    unsigned long g;
    int a;
    rf.Lookup(out.cps[i], g, a);
    out.glyphs[i] = g;
    out.adv[i] = a + extra;
    out.width += a + extra;
  }
}

}  // namespace

CSize CDC::GetTextExtent(LPCTSTR s, int n) const {
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return CSize(0, 0);
  auto rf = d.Font();
  int h = d.LenD2LY(rf->tm.tmHeight);
  if (!s || n <= 0) return CSize(0, h);
  int extra = d.LenL2DX(d.s.charExtra);
  int w = 0;
  const unsigned char* u = reinterpret_cast<const unsigned char*>(s);
  bool ascii = true;
  for (int i = 0; i < n; ++i)
    if (u[i] >= 0x80) { ascii = false; break; }
  if (ascii) {
    for (int i = 0; i < n; ++i) w += rf->adv[u[i]] + extra;
  } else {
    Shaped sh;
    Shape(*rf, s, n, extra, sh);
    w = sh.width;
  }
  return CSize(d.LenD2LX(w), h);
}

BOOL CDC::GetTextExtentExPoint(LPCTSTR s, int n, int maxExtent, int* fit, int* dx, LPSIZE size) const {
  Impl& d = *m_impl;
  if (d.kind == DCKind::None || n < 0) return FALSE;
  auto rf = d.Font();
  Shaped sh;
  Shape(*rf, s ? s : "", s ? n : 0, d.LenL2DX(d.s.charExtra), sh);
  int acc = 0, f = 0;
  for (size_t i = 0; i < sh.adv.size(); ++i) {
    acc += sh.adv[i];
    int l = d.LenD2LX(acc);
    if (dx) dx[i] = l;
    if (maxExtent < 0 || l <= maxExtent) f = (int)i + 1;
  }
  if (fit) *fit = f;
  if (size) *size = SIZE{d.LenD2LX(acc), d.LenD2LY(rf->tm.tmHeight)};
  return TRUE;
}

BOOL CDC::GetTextMetrics(LPTEXTMETRIC tm) const {
  Impl& d = *m_impl;
  if (!tm || d.kind == DCKind::None) return FALSE;
  auto rf = d.Font();
  *tm = rf->tm;
  if (!d.IdentityMap()) {
    tm->tmHeight = d.LenD2LY(tm->tmHeight);
    tm->tmAscent = d.LenD2LY(tm->tmAscent);
    tm->tmDescent = d.LenD2LY(tm->tmDescent);
    tm->tmInternalLeading = d.LenD2LY(tm->tmInternalLeading);
    tm->tmExternalLeading = d.LenD2LY(tm->tmExternalLeading);
    tm->tmAveCharWidth = d.LenD2LX(tm->tmAveCharWidth);
    tm->tmMaxCharWidth = d.LenD2LX(tm->tmMaxCharWidth);
  }
  return TRUE;
}

int CDC::GetTextFace(int count, LPTSTR face) const {
  const Impl& d = *m_impl;
  const char* name = d.s.font ? d.s.font->lf.lfFaceName : "System";
  int len = (int)std::strlen(name);
  if (!face) return len + 1;
  if (count <= 0) return 0;
  int m = std::min(len, count - 1);
  std::memcpy(face, name, (size_t)m);
  face[m] = 0;
  return m;
}

int CDC::GetTextFace(CString& face) const {
  const Impl& d = *m_impl;
  face = d.s.font ? d.s.font->lf.lfFaceName : "System";
  return face.GetLength();
}

BOOL CDC::GetCharWidth(UINT first, UINT last, LPINT widths) const {
  Impl& d = *m_impl;
  if (!widths || last < first || d.kind == DCKind::None) return FALSE;
  auto rf = d.Font();
  for (UINT c = first; c <= last; ++c) {
    unsigned long g;
    int a;
    if (c < 256) {
      a = rf->adv[c];
    } else {
      rf->Lookup(c, g, a);
    }
    widths[c - first] = d.LenD2LX(a);
  }
  return TRUE;
}

BOOL CDC::TextOut(int x, int y, LPCTSTR s, int n) {
  if (!s || n < 0) return FALSE;
  REC("TextOut(%d,%d,\"%.*s\")", x, y, n, s);
  CDCRecorder* rec = m_recorder;
  m_recorder = nullptr;
  BOOL ok = ExtTextOut(x, y, 0, nullptr, s, (UINT)n, nullptr);
  m_recorder = rec;
  return ok;
}

namespace {

// Where a run of text goes in device units: the reference point, the start and baseline offsets
// the alignment gives, and the escapement's angle in radians.
struct TextPlacement {
  POINT p;
  int startX;
  int baseline;
  double angle;
};

TextPlacement PlaceText(CDC::Impl& d, const RealFont& rf, const Shaped& sh, POINT ref) {
  TextPlacement pl;
  pl.p = d.L2D(ref.x, ref.y);
  const TEXTMETRIC& tm = rf.tm;
  if ((d.s.align & TA_CENTER) == TA_CENTER) pl.startX = -sh.width / 2;
  else if (d.s.align & TA_RIGHT) pl.startX = -sh.width;
  else pl.startX = 0;
  if ((d.s.align & TA_BASELINE) == TA_BASELINE) pl.baseline = 0;
  else if (d.s.align & TA_BOTTOM) pl.baseline = -tm.tmDescent;
  else pl.baseline = tm.tmAscent;
  int esc = d.s.font ? d.s.font->lf.lfEscapement : 0;
  pl.angle = esc % 3600 * M_PI / 1800.0;
  if ((d.s.vpExt.cy < 0) != (d.s.winExt.cy < 0)) pl.angle = -pl.angle;  // y-up modes keep the angle's sense on paper
  return pl;
}

// The device bounds of the text cell placed by the alignment and turned by the escapement.
RECT TurnedTextCell(const Shaped& sh, const TEXTMETRIC& tm, const TextPlacement& pl) {
  double co = std::cos(pl.angle), si = std::sin(pl.angle);
  double top = (double)pl.baseline - tm.tmAscent;
  double xs[2] = {(double)pl.startX, (double)pl.startX + sh.width}, ys[2] = {top, top + tm.tmHeight};
  double l = 1e18, t = 1e18, rt = -1e18, bm = -1e18;
  for (double cx : xs)
    for (double cy : ys) {
      double px = pl.p.x + cx * co + cy * si, py = pl.p.y - cx * si + cy * co;
      l = std::min(l, px), t = std::min(t, py), rt = std::max(rt, px), bm = std::max(bm, py);
    }
  return RECT{(LONG)std::floor(l), (LONG)std::floor(t), (LONG)std::ceil(rt), (LONG)std::ceil(bm)};
}

// Background, glyphs, underline and strike-out of the shaped text, clipped to dr when asked.
void PaintGlyphs(CDC::Impl& d, cairo_t* c, RealFont& rf, const Shaped& sh, const TextPlacement& pl, UINT options,
                 const RECT& dr) {
  const TEXTMETRIC& tm = rf.tm;
  const int startX = pl.startX, baseline = pl.baseline;
  cairo_save(c);
  if (options & ETO_CLIPPED) {
    cairo_rectangle(c, dr.left, dr.top, dr.right - dr.left, dr.bottom - dr.top);
    cairo_clip(c);
  }
  cairo_translate(c, pl.p.x, pl.p.y);
  if (pl.angle != 0) cairo_rotate(c, -pl.angle);
  cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
  cairo_set_antialias(c, CAIRO_ANTIALIAS_NONE);
  auto setColor = [&](uint32_t px) {
    cairo_set_source_rgb(c, ((px >> 16) & 0xFF) / 255.0, ((px >> 8) & 0xFF) / 255.0, (px & 0xFF) / 255.0);
  };
  if (d.s.bkMode == OPAQUE) {
    setColor(d.Pix(d.s.bk));
    cairo_rectangle(c, startX, baseline - tm.tmAscent, sh.width, tm.tmHeight);
    cairo_fill(c);
  }
  cairo_set_operator(c, CAIRO_OPERATOR_OVER);
  setColor(d.Pix(d.s.text));
  std::vector<cairo_glyph_t> glyphs(sh.glyphs.size());
  int pen = startX;
  for (size_t i = 0; i < sh.glyphs.size(); ++i) {
    glyphs[i] = cairo_glyph_t{sh.glyphs[i], (double)pen, (double)baseline};
    pen += sh.adv[i];
  }
  cairo_set_scaled_font(c, d.mono ? rf.Aliased() : rf.scaled);
  cairo_show_glyphs(c, glyphs.data(), (int)glyphs.size());
  if (tm.tmUnderlined) {
    cairo_rectangle(c, startX, baseline + rf.underlinePos, sh.width, rf.underlineThick);
    cairo_fill(c);
  }
  if (tm.tmStruckOut) {
    cairo_rectangle(c, startX, baseline - rf.strikePos, sh.width, rf.strikeThick);
    cairo_fill(c);
  }
  cairo_restore(c);
}

}  // namespace

BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT r, LPCTSTR s, UINT n, const int* dx) {
  REC("ExtTextOut(%d,%d,%u,%d,%d,%d,%d,\"%.*s\")", x, y, options, r ? (int)r->left : 0, r ? (int)r->top : 0,
      r ? (int)r->right : 0, r ? (int)r->bottom : 0, s ? (int)n : 0, s ? s : "");
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  if (!s) n = 0;
  if ((int)n < 0) return FALSE;
  RECT lr{0, 0, 0, 0};
  if (r) {
    lr = *r;
    if (lr.left > lr.right) std::swap(lr.left, lr.right);
    if (lr.top > lr.bottom) std::swap(lr.top, lr.bottom);
  }
  if (!r) options &= ~(UINT)(ETO_OPAQUE | ETO_CLIPPED);
  auto rf = d.Font();
  int extra = d.LenL2DX(d.s.charExtra);
  Shaped sh;
  Shape(*rf, s, (int)n, extra, sh);
  if (dx) {
    sh.width = 0;
    for (size_t i = 0; i < sh.adv.size(); ++i) {
      int bi = sh.byteStart[i];
      sh.adv[i] = d.LenL2DX(dx[bi]) * (dx[bi] < 0 ? -1 : 1);
      sh.width += sh.adv[i];
    }
  }
  bool updateCp = (d.s.align & TA_UPDATECP) != 0;
  POINT ref = updateCp ? d.s.cp : POINT{x, y};
  int logicalWidth = d.LenD2LX(sh.width);
  if (updateCp) {
    if ((d.s.align & TA_CENTER) == TA_CENTER) {
    } else if (d.s.align & TA_RIGHT) {
      d.s.cp.x -= logicalWidth;
    } else {
      d.s.cp.x += logicalWidth;
    }
  }

  const TextPlacement pl = PlaceText(d, *rf, sh, ref);
  if (d.meta) {
    std::vector<int> ldx;
    for (size_t i = 0; i < sh.adv.size(); ++i) {
      // One width per byte, as the records hold bytes.
      size_t endByte = i + 1 < sh.byteStart.size() ? (size_t)sh.byteStart[i + 1] : n;
      for (size_t b = (size_t)sh.byteStart[i]; b < endByte; ++b) ldx.push_back(b == (size_t)sh.byteStart[i] ? d.LenD2LX(sh.adv[i]) : 0);
    }
    CRect bounds(0, 0, 0, 0);
    if (!sh.glyphs.empty()) bounds |= TurnedTextCell(sh, rf->tm, pl);
    if (r) bounds |= d.L2DRect(lr.left, lr.top, lr.right, lr.bottom);
    d.meta->ExtTextOut(ref.x, ref.y, options, r ? &lr : nullptr, std::string(s ? s : "", n), ldx, bounds);
    d.meta->AddBounds(bounds);
    return TRUE;
  }
  cairo_t* c = d.Ctx();
  if (!c) return TRUE;
  RECT dr{0, 0, 0, 0};
  if (r) dr = d.L2DRect(lr.left, lr.top, lr.right, lr.bottom);
  if (options & ETO_OPAQUE) {
    Paint bg;
    bg.none = false;
    bg.pixel = d.Pix(d.s.bk);
    int saved = d.s.rop2;
    d.s.rop2 = R2_COPYPEN;
    d.FillDeviceRect(dr, bg, R2_COPYPEN);
    d.s.rop2 = saved;
  }
  if (sh.glyphs.empty()) return TRUE;
  PaintGlyphs(d, c, *rf, sh, pl, options, dr);
  return TRUE;
}

// Tab stops: none or one value means evenly spaced stops; several are absolute positions from the origin.
static int NextTab(int pos, int tabCount, const int* tabs, int origin, int defaultTab) {
  int rel = pos - origin;
  if (!tabs || tabCount <= 0 || (tabCount == 1 && tabs[0] <= 0)) {
    int t = std::max(defaultTab, 1);
    return origin + (rel / t + 1) * t;
  }
  if (tabCount == 1) return origin + (rel / tabs[0] + 1) * tabs[0];
  for (int i = 0; i < tabCount; ++i)
    if (tabs[i] > rel) return origin + tabs[i];
  return pos;
}

CSize CDC::GetTabbedTextExtent(LPCTSTR s, int n, int tabCount, const int* tabs) const {
  Impl& d = *m_impl;
  if (!s || n <= 0) return CSize(0, GetTextExtent("", 0).cy);
  TEXTMETRIC tm;
  GetTextMetrics(&tm);
  int x = 0, h = tm.tmHeight;
  int start = 0;
  for (int i = 0; i <= n; ++i) {
    if (i == n || s[i] == '\t') {
      x += GetTextExtent(s + start, i - start).cx;
      if (i < n) x = NextTab(x, tabCount, tabs, 0, 8 * tm.tmAveCharWidth);
      start = i + 1;
    }
  }
  (void)d;
  return CSize(x, h);
}

CSize CDC::TabbedTextOut(int x, int y, LPCTSTR s, int n, int tabCount, const int* tabs, int tabOrigin) {
  REC("TabbedTextOut(%d,%d,\"%.*s\")", x, y, s ? n : 0, s ? s : "");
  if (!s || n < 0) return CSize(0, 0);
  CDCRecorder* rec = m_recorder;
  m_recorder = nullptr;
  TEXTMETRIC tm;
  GetTextMetrics(&tm);
  int pos = x, start = 0;
  for (int i = 0; i <= n; ++i) {
    if (i == n || s[i] == '\t') {
      ExtTextOut(pos, y, 0, nullptr, s + start, (UINT)(i - start), nullptr);
      pos += GetTextExtent(s + start, i - start).cx;
      if (i < n) {
        int next = NextTab(pos, tabCount, tabs, tabOrigin, 8 * tm.tmAveCharWidth);
        if (GetBkMode() == OPAQUE && next > pos) {
          RECT gap{pos, y, next, y + tm.tmHeight};
          ExtTextOut(pos, y, ETO_OPAQUE, &gap, nullptr, 0, nullptr);
        }
        pos = next;
      }
      start = i + 1;
    }
  }
  m_recorder = rec;
  return CSize(pos - x, tm.tmHeight);
}

BOOL CDC::GrayString(CBrush* brush, GRAYSTRINGPROC output, LPARAM data, int count, int x, int y, int w, int h) {
  REC("GrayString(%d,%d)", x, y);
  (void)w;
  (void)h;
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  if (brush) {
    auto b = LookupBrush(static_cast<HBRUSH>(brush->m_hObject));
    if (b && b->lb.lbStyle == BS_SOLID) grey = b->lb.lbColor;
  }
  COLORREF oldText = SetTextColor(grey);
  int oldMode = SetBkMode(TRANSPARENT);
  BOOL ok = TRUE;
  if (output) {
    SetViewportOrg(GetViewportOrg().x + x, GetViewportOrg().y + y);
    ok = output(m_hDC, data, count);
    SetViewportOrg(GetViewportOrg().x - x, GetViewportOrg().y - y);
  } else {
    const char* text = reinterpret_cast<const char*>(data);
    if (text) {
      int n = count > 0 ? count : (int)std::strlen(text);
      ok = ExtTextOut(x, y, 0, nullptr, text, (UINT)n, nullptr);
    }
  }
  SetBkMode(oldMode);
  SetTextColor(oldText);
  return ok;
}

// ---- DrawText ---------------------------------------------------------------------------------------------

namespace {

struct DtChar {
  std::string bytes;
  int w = 0;             // logical width
  bool prefixed = false;  // underlined mnemonic
  uint32_t cp = 0;
};
struct DtLine {
  std::vector<DtChar> chars;
  int width = 0;
};

int LineWidth(const std::vector<DtChar>& v, size_t from, size_t to) {
  int w = 0;
  for (size_t i = from; i < to && i < v.size(); ++i) w += v[i].w;
  return w;
}

// Characters with their logical widths; '&' marks a mnemonic unless noPrefix.
void ShapeDtChars(CDC::Impl& d, RealFont& rf, LPCTSTR s, int n, bool noPrefix, std::vector<DtChar>& chars) {
  Shaped sh;
  Shape(rf, s, n, 0, sh);
  chars.reserve(sh.cps.size());
  bool nextPrefixed = false;
  for (size_t i = 0; i < sh.cps.size(); ++i) {
    size_t b0 = (size_t)sh.byteStart[i];
    size_t b1 = i + 1 < sh.byteStart.size() ? (size_t)sh.byteStart[i + 1] : (size_t)n;
    if (!noPrefix && sh.cps[i] == '&') {
      if (i + 1 < sh.cps.size() && sh.cps[i + 1] == '&') {
        ++i;
      } else {
        nextPrefixed = true;
        continue;
      }
    }
    DtChar c;
    c.bytes.assign(s + b0, b1 - b0);
    c.cp = sh.cps[i];
    c.w = d.LenD2LX(sh.adv[i]);
    c.prefixed = nextPrefixed;
    nextPrefixed = false;
    chars.push_back(std::move(c));
  }
}

// Paragraphs end at CR LF, LF or a lone CR, except in a single line.
void SplitParagraphs(const std::vector<DtChar>& chars, UINT format, std::vector<std::vector<DtChar>>& paras) {
  for (auto& c : chars) {
    if (!(format & DT_SINGLELINE) && (c.cp == '\r' || c.cp == '\n')) {
      if (c.cp == '\n' && !paras.back().empty() && paras.back().back().cp == '\r') {
        paras.back().pop_back();
        paras.emplace_back();
        continue;
      }
      if (c.cp == '\r') {
        paras.back().push_back(c);  // a lone CR ends the line as well; removed below
        continue;
      }
      paras.emplace_back();
      continue;
    }
    paras.back().push_back(c);
  }
  // Split remaining lone CRs.
  std::vector<std::vector<DtChar>> split;
  for (auto& p : paras) {
    split.emplace_back();
    for (auto& c : p) {
      if (!(format & DT_SINGLELINE) && c.cp == '\r') split.emplace_back();
      else split.back().push_back(c);
    }
  }
  paras.swap(split);
}

void ExpandTabs(std::vector<DtChar>& v, int tabW) {
  int x = 0;
  for (auto& c : v) {
    if (c.cp == '\t') {
      int next = tabW > 0 ? (x / tabW + 1) * tabW : x;
      c.w = next - x;
      c.bytes = " ";
    }
    x += c.w;
  }
}

// Lines of one paragraph broken at words to fit rectW.
void BreakParagraph(const std::vector<DtChar>& p, int rectW, UINT format, std::vector<DtLine>& lines) {
  size_t i = 0;
  if (p.empty()) lines.emplace_back();
  while (i < p.size()) {
    // Fit as many words as the width allows; a word wider than the line stands alone.
    size_t j = i, lastBreak = i;
    int w = 0;
    bool broke = false;
    while (j < p.size()) {
      if (p[j].cp == ' ' || p[j].cp == '\t') lastBreak = j;
      if (w + p[j].w > rectW && j > i) {
        broke = true;
        break;
      }
      w += p[j].w;
      ++j;
    }
    size_t end = j;
    size_t next = j;
    if (broke) {
      if (lastBreak > i) {
        end = lastBreak;
        next = lastBreak + 1;
      } else if (p[j].cp == ' ') {
        next = j + 1;
      } else if (!(format & DT_EDITCONTROL)) {
        // Without a break opportunity the word runs on to its end.
        while (end < p.size() && p[end].cp != ' ') ++end;
        next = end < p.size() ? end + 1 : end;
      }
    }
    while (next < p.size() && p[next].cp == ' ') ++next;
    DtLine l;
    l.chars.assign(p.begin() + (long)i, p.begin() + (long)end);
    while (!l.chars.empty() && l.chars.back().cp == ' ') l.chars.pop_back();
    l.width = LineWidth(l.chars, 0, l.chars.size());
    lines.push_back(std::move(l));
    i = next;
  }
}

// Underlines the mnemonic characters of a line drawn at (x, y).
void UnderlinePrefixes(CDC::Impl& d, const RealFont& rf, const std::vector<DtChar>& out, int x, int y,
                       const RECT& clip, UINT format) {
  int cx = x;
  for (auto& c : out) {
    if (c.prefixed) {
      Paint p;
      p.none = false;
      p.pixel = d.Pix(d.s.text);
      POINT a = d.L2D(cx, y), b = d.L2D(cx + c.w, y);
      int base = a.y + rf.tm.tmAscent + 1;
      RECT ur{std::min(a.x, b.x), base, std::max(a.x, b.x), base + 1};
      RECT dc = d.L2DRect(clip.left, clip.top, clip.right, clip.bottom);
      if (!(format & DT_NOCLIP)) {
        ur.left = std::max(ur.left, dc.left);
        ur.right = std::min(ur.right, dc.right);
        if (ur.top < dc.top || ur.bottom > dc.bottom) ur.right = ur.left;
      }
      d.FillDeviceRect(ur, p, R2_COPYPEN);
    }
    cx += c.w;
  }
}

}  // namespace

int CDC::DrawText(LPCTSTR s, int n, LPRECT rect, UINT format) {
  if (!s || !rect) return 0;
  if (n < 0) n = (int)std::strlen(s);
  REC("DrawText(\"%.*s\",%d,%d,%d,%d,0x%X)", n, s, rect->left, rect->top, rect->right, rect->bottom, format);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return 0;
  CDCRecorder* rec = m_recorder;
  m_recorder = nullptr;

  auto rf = d.Font();
  TEXTMETRIC tm;
  GetTextMetrics(&tm);
  int lineH = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  bool noPrefix = (format & DT_NOPREFIX) != 0;

  std::vector<DtChar> chars;
  ShapeDtChars(d, *rf, s, n, noPrefix, chars);

  // Tabs.
  int tabW = 8 * tm.tmAveCharWidth;
  if (format & DT_TABSTOP) tabW = (int)((format >> 8) & 0xFF) * tm.tmAveCharWidth;
  bool expandTabs = (format & DT_EXPANDTABS) != 0;

  // Lines.
  std::vector<DtLine> lines;
  std::vector<std::vector<DtChar>> paras(1);
  SplitParagraphs(chars, format, paras);
  int rectW = rect->right - rect->left;
  for (auto& p : paras) {
    if (expandTabs) ExpandTabs(p, tabW);
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
      DtLine l;
      l.chars = p;
      l.width = LineWidth(p, 0, p.size());
      lines.push_back(std::move(l));
      continue;
    }
    BreakParagraph(p, rectW, format, lines);
  }
  if (n == 0) lines.clear();

  int total = (int)lines.size() * lineH;
  int maxW = 0;
  for (auto& l : lines) maxW = std::max(maxW, l.width);

  if (format & DT_CALCRECT) {
    if (lines.empty()) {
      rect->right = rect->left;
      rect->bottom = rect->top;
    } else {
      if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE) || maxW > rectW) rect->right = rect->left + maxW;
      rect->bottom = rect->top + total;
    }
    m_recorder = rec;
    return total;
  }

  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = rect->top + (rect->bottom - rect->top - lineH) / 2;
    else if (format & DT_BOTTOM) y = rect->bottom - lineH;
  }
  int firstY = y;
  UINT oldAlign = SetTextAlign(TA_LEFT | TA_TOP);
  UINT etoOpts = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
  RECT clip = *rect;
  DtChar dot;
  dot.bytes = ".";
  dot.cp = '.';
  {
    unsigned long g;
    int a;
    rf->Lookup('.', g, a);
    dot.w = d.LenD2LX(a);
  }
  for (auto& l : lines) {
    std::vector<DtChar> out = l.chars;
    int w = l.width;
    if ((format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) && w > rectW) {
      int ell = 3 * dot.w;
      while (!out.empty() && LineWidth(out, 0, out.size()) + ell > rectW) out.pop_back();
      for (int k = 0; k < 3; ++k) out.push_back(dot);
      w = LineWidth(out, 0, out.size());
    }
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (rectW - w) / 2;
    else if (format & DT_RIGHT) x = rect->right - w;
    std::string bytes;
    std::vector<int> dx;
    for (auto& c : out) {
      bytes += c.bytes;
      for (size_t k = 0; k < c.bytes.size(); ++k) dx.push_back(k == 0 ? c.w : 0);
    }
    if (!(format & DT_PREFIXONLY) && !bytes.empty())
      ExtTextOut(x, y, etoOpts, &clip, bytes.data(), (UINT)bytes.size(), dx.data());
    if (!noPrefix && !(format & DT_HIDEPREFIX) && !d.meta && d.surface)
      UnderlinePrefixes(d, *rf, out, x, y, clip, format);
    y += lineH;
  }
  SetTextAlign(oldAlign);
  m_recorder = rec;
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return firstY - rect->top + lineH;
  return total;
}
