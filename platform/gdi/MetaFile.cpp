// WMF and EMF recorders behind CMetaFileDC.
#include "platform/gdi/MetaFileDC.h"

#include "platform/gdi/DCImpl.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>

using namespace gdi;

struct HMETAFILE__ {
  std::vector<BYTE> bytes;
};
struct HENHMETAFILE__ {
  std::vector<BYTE> bytes;
};

namespace {

std::mutex& MfLock() {
  static std::mutex m;
  return m;
}
std::unordered_set<const void*>& LiveMetafiles() {
  static auto* s = new std::unordered_set<const void*>();
  return *s;
}

int16_t Clamp16(int v) { return (int16_t)std::clamp(v, -32768, 32767); }

std::string LogFontKey(const LOGFONT& lf) { return std::string(reinterpret_cast<const char*>(&lf), sizeof(lf)); }

// Object slots shared by both formats: one created object per selected pen, brush and font; objects no
// saved state refers to are deleted when replaced.
class ObjectSlots {
 public:
  explicit ObjectSlots(int first) : m_first(first) {}
  template <class Create, class Select, class Delete>
  void Choose(int kind, const std::string& key, Create create, Select select, Delete del) {
    if (m_cur[kind] >= 0 && m_key[kind] == key) return;
    int slot = Alloc();
    create(slot);
    select(slot);
    m_cur[kind] = slot;
    m_key[kind] = key;
    Collect(del);
  }
  void Save() { m_stack.push_back(State{m_cur, m_key}); }
  template <class Delete>
  void Restore(int relative, Delete del) {
    int n = (int)m_stack.size();
    int target = n + relative;  // relative is negative
    if (target < 0 || target >= n) return;
    m_cur = m_stack[(size_t)target].cur;
    m_key = m_stack[(size_t)target].key;
    m_stack.resize((size_t)target);
    Collect(del);
  }
  // A slot for an object that is created, used and deleted at once (a clip region).
  int Borrow() { return Alloc(); }
  void Return(int slot) { m_used[(size_t)(slot - m_first)] = false; }
  int MaxHandles() const { return (int)m_used.size() + m_first; }
  int MaxLive() const { return m_maxLive; }
  int Current(int kind) const { return m_cur[kind]; }

 private:
  struct State {
    std::array<int, 3> cur;
    std::array<std::string, 3> key;
  };
  int Alloc() {
    for (size_t i = 0; i < m_used.size(); ++i)
      if (!m_used[i]) {
        m_used[i] = true;
        Count();
        return (int)i + m_first;
      }
    m_used.push_back(true);
    Count();
    return (int)m_used.size() - 1 + m_first;
  }
  void Count() {
    int live = (int)std::count(m_used.begin(), m_used.end(), true);
    m_maxLive = std::max(m_maxLive, live);
  }
  template <class Delete>
  void Collect(Delete del) {
    for (size_t i = 0; i < m_used.size(); ++i) {
      if (!m_used[i]) continue;
      int slot = (int)i + m_first;
      bool ref = std::find(m_cur.begin(), m_cur.end(), slot) != m_cur.end();
      for (auto& s : m_stack)
        if (std::find(s.cur.begin(), s.cur.end(), slot) != s.cur.end()) ref = true;
      if (!ref) {
        del(slot);
        m_used[i] = false;
      }
    }
  }
  int m_first;
  std::vector<bool> m_used;
  std::array<int, 3> m_cur{-1, -1, -1};
  std::array<std::string, 3> m_key;
  std::vector<State> m_stack;
  int m_maxLive = 0;
};

enum { kPen = 0, kBrush = 1, kFont = 2 };

// The font a context draws text in, chosen or not.
const LOGFONT& FontInUse(const CDC::Impl& dc) {
  return dc.s.font ? dc.s.font->lf : Lookup<FontObj>(GetStockObject(SYSTEM_FONT))->lf;
}

// A device-unit clip region's rectangles in logical units, ordered top to bottom and left to right
// so that rectangles sharing a band stay together (a y-up mapping reverses the bands).
std::vector<RECT> LogicalRects(const CDC::Impl& dc, const Region& rgn) {
  std::vector<RECT> out;
  for (const RECT& r : rgn.rects) {
    RECT l{dc.XD2L(r.left), dc.YD2L(r.top), dc.XD2L(r.right), dc.YD2L(r.bottom)};
    if (l.left > l.right) std::swap(l.left, l.right);
    if (l.top > l.bottom) std::swap(l.top, l.bottom);
    if (l.left < l.right && l.top < l.bottom) out.push_back(l);
  }
  std::sort(out.begin(), out.end(), [](const RECT& a, const RECT& b) {
    return a.top != b.top ? a.top < b.top : a.bottom != b.bottom ? a.bottom < b.bottom : a.left < b.left;
  });
  return out;
}

RECT RectsBounds(const std::vector<RECT>& rects) {
  if (rects.empty()) return RECT{0, 0, 0, 0};
  RECT b = rects[0];
  for (const RECT& r : rects)
    b = RECT{std::min(b.left, r.left), std::min(b.top, r.top), std::max(b.right, r.right), std::max(b.bottom, r.bottom)};
  return b;
}

// ---- WMF -----------------------------------------------------------------------------------------------

class WmfSink : public MetaSink {
 public:
  explicit WmfSink(CDC::Impl* dc) : m_dc(dc), m_slots(0) {}

  std::vector<BYTE> Finish() {
    Rec(0x0000, {});
    std::vector<BYTE> out;
    auto w16 = [&](WORD v) { out.push_back((BYTE)v); out.push_back((BYTE)(v >> 8)); };
    auto w32 = [&](DWORD v) { w16((WORD)v); w16((WORD)(v >> 16)); };
    w16(1);       // on disk
    w16(9);       // header words
    w16(0x0300);  // version
    w32((DWORD)(9 + m_words.size()));
    w16((WORD)std::max(m_slots.MaxHandles(), 1));
    w32(m_maxRecord);
    w16(0);
    for (WORD v : m_words) w16(v);
    return out;
  }

  void SaveDC() override {
    m_slots.Save();
    Rec(0x001E, {});
  }
  void RestoreDC(int relative) override {
    Rec(0x0127, {(WORD)(int16_t)relative});
    m_slots.Restore(relative, [&](int s) { Rec(0x01F0, {(WORD)s}); });
  }
  void SelectPen(const LOGPEN& lp, DWORD extStyle) override {
    LOGPEN p = lp;
    // The record's style word holds the end cap and join besides the line style.
    p.lopnStyle = (p.lopnStyle & PS_STYLE_MASK) | (extStyle & (PS_ENDCAP_MASK | PS_JOIN_MASK));
    std::string key(reinterpret_cast<const char*>(&p), sizeof(p));
    m_slots.Choose(
        kPen, key,
        [&](int) {
          Rec(0x02FA, {(WORD)p.lopnStyle, (WORD)Clamp16(p.lopnWidth.x), 0, (WORD)p.lopnColor,
                       (WORD)(p.lopnColor >> 16)});
        },
        [&](int s) { Rec(0x012D, {(WORD)s}); }, [&](int s) { Rec(0x01F0, {(WORD)s}); });
  }
  void SelectBrush(const LOGBRUSH& lb, const BITMAPINFOHEADER* ph, const std::vector<BYTE>* pbits) override {
    if (ph && pbits) {
      std::string key = "dib" + std::string(pbits->begin(), pbits->end()) + std::to_string(ph->biWidth);
      m_slots.Choose(
          kBrush, key,
          [&](int) {
            std::vector<WORD> p = {BS_DIBPATTERNPT, DIB_RGB_COLORS};
            std::vector<BYTE> dib(sizeof(*ph));
            std::memcpy(dib.data(), ph, sizeof(*ph));
            dib.insert(dib.end(), pbits->begin(), pbits->end());
            if (dib.size() % 2) dib.push_back(0);
            for (size_t i = 0; i < dib.size(); i += 2) p.push_back((WORD)(dib[i] | (dib[i + 1] << 8)));
            Rec(0x0142, p);
          },
          [&](int s) { Rec(0x012D, {(WORD)s}); }, [&](int s) { Rec(0x01F0, {(WORD)s}); });
      return;
    }
    LOGBRUSH b = lb;
    if (b.lbStyle != BS_SOLID && b.lbStyle != BS_NULL && b.lbStyle != BS_HATCHED) b = LOGBRUSH{BS_NULL, 0, 0};
    std::string key(reinterpret_cast<const char*>(&b), sizeof(b));
    m_slots.Choose(
        kBrush, key,
        [&](int) { Rec(0x02FC, {(WORD)b.lbStyle, (WORD)b.lbColor, (WORD)(b.lbColor >> 16), (WORD)b.lbHatch}); },
        [&](int s) { Rec(0x012D, {(WORD)s}); }, [&](int s) { Rec(0x01F0, {(WORD)s}); });
  }
  void SelectFont(const LOGFONT& lf) override {
    m_slots.Choose(
        kFont, LogFontKey(lf),
        [&](int) {
          std::vector<WORD> p = {(WORD)Clamp16(lf.lfHeight), (WORD)Clamp16(lf.lfWidth), (WORD)Clamp16(lf.lfEscapement),
                                 (WORD)Clamp16(lf.lfOrientation), (WORD)Clamp16(lf.lfWeight)};
          BYTE bytes[8 + LF_FACESIZE] = {lf.lfItalic,        lf.lfUnderline,     lf.lfStrikeOut, lf.lfCharSet,
                                         lf.lfOutPrecision,  lf.lfClipPrecision, lf.lfQuality,   lf.lfPitchAndFamily};
          std::memcpy(bytes + 8, lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE - 1));
          for (size_t i = 0; i < sizeof(bytes); i += 2) p.push_back((WORD)(bytes[i] | (bytes[i + 1] << 8)));
          Rec(0x02FB, p);
        },
        [&](int s) { Rec(0x012D, {(WORD)s}); }, [&](int s) { Rec(0x01F0, {(WORD)s}); });
  }
  void SetMapMode(int mode) override { Rec(0x0103, {(WORD)mode}); }
  void SetWindowOrg(int x, int y) override { Rec(0x020B, {(WORD)Clamp16(y), (WORD)Clamp16(x)}); }
  void SetWindowExt(int cx, int cy) override { Rec(0x020C, {(WORD)Clamp16(cy), (WORD)Clamp16(cx)}); }
  void SetViewportOrg(int x, int y) override { Rec(0x020D, {(WORD)Clamp16(y), (WORD)Clamp16(x)}); }
  void SetViewportExt(int cx, int cy) override { Rec(0x020E, {(WORD)Clamp16(cy), (WORD)Clamp16(cx)}); }
  void SetTextColor(COLORREF c) override { Rec(0x0209, {(WORD)c, (WORD)(c >> 16)}); }
  void SetBkColor(COLORREF c) override { Rec(0x0201, {(WORD)c, (WORD)(c >> 16)}); }
  void SetBkMode(int mode) override { Rec(0x0102, {(WORD)mode}); }
  void SetROP2(int mode) override { Rec(0x0104, {(WORD)mode}); }
  void SetPolyFillMode(int mode) override { Rec(0x0106, {(WORD)mode}); }
  void SetTextAlign(UINT align) override { Rec(0x012E, {(WORD)align}); }
  void SetStretchBltMode(int mode) override { Rec(0x0107, {(WORD)mode}); }
  void IntersectClipRect(const RECT& r) override { Rec(0x0416, Rect(r)); }
  void ExcludeClipRect(const RECT& r) override { Rec(0x0415, Rect(r)); }
  void SelectClipRgn(const Region* rgn) override {
    Rec(0x012C, {0});  // index 0 restores the default clip
    if (!rgn) return;
    // The region as an object of its own, in logical units: one scan per band of rectangles.
    std::vector<RECT> rects = LogicalRects(*m_dc, *rgn);
    std::vector<WORD> scans;
    WORD scanCount = 0, maxScan = 0;
    for (size_t i = 0; i < rects.size();) {
      size_t j = i;
      while (j < rects.size() && rects[j].top == rects[i].top && rects[j].bottom == rects[i].bottom) ++j;
      WORD count = (WORD)(2 * (j - i));
      scans.insert(scans.end(), {count, (WORD)Clamp16(rects[i].top), (WORD)Clamp16(rects[i].bottom)});
      for (size_t k = i; k < j; ++k) scans.insert(scans.end(), {(WORD)Clamp16(rects[k].left), (WORD)Clamp16(rects[k].right)});
      scans.push_back(count);
      ++scanCount;
      maxScan = std::max(maxScan, count);
      i = j;
    }
    RECT b = RectsBounds(rects);
    std::vector<WORD> p = {0, 6, 0, 0, (WORD)(22 + 2 * scans.size()), scanCount, maxScan,
                           (WORD)Clamp16(b.left), (WORD)Clamp16(b.top), (WORD)Clamp16(b.right), (WORD)Clamp16(b.bottom)};
    p.insert(p.end(), scans.begin(), scans.end());
    // Selecting index 0 reads as the reset above, so a null brush holds that slot while the region
    // takes another.
    int placeholder = -1, slot = m_slots.Borrow();
    if (slot == 0) {
      placeholder = slot;
      Rec(0x02FC, {BS_NULL, 0, 0, 0});
      slot = m_slots.Borrow();
    }
    Rec(0x06FF, p);
    Rec(0x012C, {(WORD)slot});
    for (int s : {slot, placeholder})
      if (s >= 0) {
        Rec(0x01F0, {(WORD)s});
        m_slots.Return(s);
      }
    // Readers that drop region objects still clip to the region's bounds; for the others the
    // region lies within them.
    Rec(0x0416, Rect(b));
  }
  void MoveTo(int x, int y) override { Rec(0x0214, {(WORD)Clamp16(y), (WORD)Clamp16(x)}); }
  void LineTo(int x, int y) override { Rec(0x0213, {(WORD)Clamp16(y), (WORD)Clamp16(x)}); }
  void Polyline(const POINT* pts, int n) override { Rec(0x0325, Points(pts, n)); }
  void Polygon(const POINT* pts, int n) override { Rec(0x0324, Points(pts, n)); }
  void PolyPolygon(const POINT* pts, const INT* counts, int polys) override {
    std::vector<WORD> p = {(WORD)polys};
    int total = 0;
    for (int i = 0; i < polys; ++i) {
      p.push_back((WORD)counts[i]);
      total += counts[i];
    }
    for (int i = 0; i < total; ++i) {
      p.push_back((WORD)Clamp16(pts[i].x));
      p.push_back((WORD)Clamp16(pts[i].y));
    }
    Rec(0x0538, p);
  }
  void Rectangle(const RECT& r) override { Rec(0x041B, Rect(r)); }
  void RoundRect(const RECT& r, int w, int h) override {
    std::vector<WORD> p = {(WORD)Clamp16(h), (WORD)Clamp16(w)};
    for (WORD v : Rect(r)) p.push_back(v);
    Rec(0x061C, p);
  }
  void Ellipse(const RECT& r) override { Rec(0x0418, Rect(r)); }
  void ArcShape(int kind, const RECT& r, POINT s, POINT e) override {
    std::vector<WORD> p = {(WORD)Clamp16(e.y), (WORD)Clamp16(e.x), (WORD)Clamp16(s.y), (WORD)Clamp16(s.x)};
    for (WORD v : Rect(r)) p.push_back(v);
    Rec(kind == 0 ? 0x0817 : kind == 1 ? 0x081A : 0x0830, p);
  }
  void SetPixel(int x, int y, COLORREF c) override {
    Rec(0x041F, {(WORD)c, (WORD)(c >> 16), (WORD)Clamp16(y), (WORD)Clamp16(x)});
  }
  void PatBlt(int x, int y, int w, int h, DWORD rop) override {
    Rec(0x061D, {(WORD)rop, (WORD)(rop >> 16), (WORD)Clamp16(h), (WORD)Clamp16(w), (WORD)Clamp16(y), (WORD)Clamp16(x)});
  }
  void ExtTextOut(int x, int y, UINT options, const RECT* r, const std::string& text, const std::vector<int>& dx,
                  const RECT&) override {
    // Readers would otherwise draw the text in a font of their own at our spacing.
    if (!text.empty() && m_slots.Current(kFont) < 0) SelectFont(FontInUse(*m_dc));
    std::vector<WORD> p = {(WORD)Clamp16(y), (WORD)Clamp16(x), (WORD)text.size(),
                           (WORD)(options & (ETO_OPAQUE | ETO_CLIPPED))};
    if (r && (options & (ETO_OPAQUE | ETO_CLIPPED)))
      for (int v : {r->left, r->top, r->right, r->bottom}) p.push_back((WORD)Clamp16(v));
    for (size_t i = 0; i < text.size(); i += 2)
      p.push_back((WORD)((BYTE)text[i] | (i + 1 < text.size() ? (BYTE)text[i + 1] << 8 : 0)));
    if (!text.empty())
      for (size_t i = 0; i < text.size(); ++i) p.push_back((WORD)Clamp16(i < dx.size() ? dx[i] : 0));
    Rec(0x0A32, p);
  }
  void StretchDIB(int x, int y, int w, int h, int xs, int ys, int ws, int hs, const BITMAPINFOHEADER& bih,
                  const std::vector<BYTE>& bits, DWORD rop) override {
    std::vector<WORD> p = {(WORD)rop,          (WORD)(rop >> 16), (WORD)DIB_RGB_COLORS, (WORD)Clamp16(hs),
                           (WORD)Clamp16(ws), (WORD)Clamp16(ys),  (WORD)Clamp16(xs),    (WORD)Clamp16(h),
                           (WORD)Clamp16(w),  (WORD)Clamp16(y),   (WORD)Clamp16(x)};
    std::vector<BYTE> dib(sizeof(bih));
    std::memcpy(dib.data(), &bih, sizeof(bih));
    dib.insert(dib.end(), bits.begin(), bits.end());
    if (dib.size() % 2) dib.push_back(0);
    for (size_t i = 0; i < dib.size(); i += 2) p.push_back((WORD)(dib[i] | (dib[i + 1] << 8)));
    Rec(0x0F43, p);
  }
  void AddBounds(const RECT&) override {}

 private:
  void Rec(WORD fn, const std::vector<WORD>& params) {
    DWORD size = (DWORD)(3 + params.size());
    m_words.push_back((WORD)size);
    m_words.push_back((WORD)(size >> 16));
    m_words.push_back(fn);
    m_words.insert(m_words.end(), params.begin(), params.end());
    m_maxRecord = std::max(m_maxRecord, size);
  }
  static std::vector<WORD> Rect(const RECT& r) {
    return {(WORD)Clamp16(r.bottom), (WORD)Clamp16(r.right), (WORD)Clamp16(r.top), (WORD)Clamp16(r.left)};
  }
  static std::vector<WORD> Points(const POINT* pts, int n) {
    std::vector<WORD> p = {(WORD)n};
    for (int i = 0; i < n; ++i) {
      p.push_back((WORD)Clamp16(pts[i].x));
      p.push_back((WORD)Clamp16(pts[i].y));
    }
    return p;
  }
  CDC::Impl* m_dc;
  ObjectSlots m_slots;
  std::vector<WORD> m_words;
  DWORD m_maxRecord = 3;
};

// ---- EMF -----------------------------------------------------------------------------------------------

class EmfSink : public MetaSink {
 public:
  EmfSink(CDC::Impl* dc, const RECT* frame, std::u16string description)
      : m_dc(dc), m_slots(1), m_desc(std::move(description)) {
    if (frame) {
      m_frame = *frame;
      m_hasFrame = true;
    }
  }

  std::vector<BYTE> Finish() {
    Begin(14);
    U32(0);
    U32(16);
    U32(20);
    End();
    std::vector<BYTE> header;
    auto u32 = [&](DWORD v) { for (int i = 0; i < 4; ++i) header.push_back((BYTE)(v >> (8 * i))); };
    auto i32 = [&](LONG v) { u32((DWORD)v); };
    RECT b = m_bounds;
    if (!m_any) b = RECT{0, 0, -1, -1};
    RECT f = m_frame;
    int hsize = m_dc->horzSize, vsize = m_dc->vertSize, hres = m_dc->horzRes, vres = m_dc->vertRes;
    if (!m_hasFrame) {
      // The picture frame from the drawing bounds, in 0.01 mm.
      f = RECT{MulDiv(b.left, hsize * 100, hres), MulDiv(b.top, vsize * 100, vres), MulDiv(b.right, hsize * 100, hres),
               MulDiv(b.bottom, vsize * 100, vres)};
    }
    size_t descBytes = m_desc.size() * 2;
    size_t descPadded = (descBytes + 3) & ~size_t(3);
    DWORD headerSize = 108;
    DWORD recSize = (DWORD)(headerSize + descPadded);
    u32(1);
    u32(recSize);
    i32(b.left); i32(b.top); i32(b.right); i32(b.bottom);
    i32(f.left); i32(f.top); i32(f.right); i32(f.bottom);
    u32(0x464D4520);
    u32(0x10000);
    u32((DWORD)(recSize + m_data.size()));
    u32(m_records + 1);
    u32((DWORD)std::max(m_slots.MaxHandles(), 1));  // nHandles (WORD) and the reserved WORD
    u32((DWORD)m_desc.size());
    u32(m_desc.empty() ? 0 : headerSize);
    u32(0);
    i32(hres); i32(vres);
    i32(hsize); i32(vsize);
    u32(0); u32(0); u32(0);
    i32(hsize * 1000); i32(vsize * 1000);
    for (char16_t c : m_desc) { header.push_back((BYTE)c); header.push_back((BYTE)(c >> 8)); }
    while (header.size() < recSize) header.push_back(0);
    header.insert(header.end(), m_data.begin(), m_data.end());
    return header;
  }

  void SaveDC() override {
    m_slots.Save();
    Simple(33, {});
  }
  void RestoreDC(int relative) override {
    Simple(34, {(DWORD)relative});
    m_slots.Restore(relative, [&](int s) { Simple(40, {(DWORD)s}); });
  }
  void SelectPen(const LOGPEN& lp, DWORD extStyle) override {
    std::string key(reinterpret_cast<const char*>(&lp), sizeof(lp));
    key += std::to_string(extStyle);
    m_slots.Choose(
        kPen, key,
        [&](int s) {
          if ((extStyle & PS_TYPE_MASK) == PS_GEOMETRIC) {
            Begin(95);
            U32((DWORD)s);
            U32(44); U32(0); U32(44); U32(0);  // no brush bitmap
            U32(extStyle);
            U32((DWORD)lp.lopnWidth.x);
            U32(BS_SOLID);
            U32(lp.lopnColor);
            U32(0);
            U32(0);
            End();
          } else {
            Simple(38, {(DWORD)s, lp.lopnStyle, (DWORD)lp.lopnWidth.x, 0, lp.lopnColor});
          }
        },
        [&](int s) { Simple(37, {(DWORD)s}); }, [&](int s) { Simple(40, {(DWORD)s}); });
  }
  void SelectBrush(const LOGBRUSH& lb, const BITMAPINFOHEADER* ph, const std::vector<BYTE>* pbits) override {
    if (ph && pbits) {
      std::string key = "dib" + std::string(pbits->begin(), pbits->end()) + std::to_string(ph->biWidth);
      m_slots.Choose(
          kBrush, key,
          [&](int s) {
            Begin(94);
            U32((DWORD)s);
            U32(DIB_RGB_COLORS);
            U32(32);
            U32(40);
            U32(72);
            U32((DWORD)pbits->size());
            const BYTE* hp = reinterpret_cast<const BYTE*>(ph);
            Bytes(std::vector<BYTE>(hp, hp + 40));
            Bytes(*pbits);
            End();
          },
          [&](int s) { Simple(37, {(DWORD)s}); }, [&](int s) { Simple(40, {(DWORD)s}); });
      return;
    }
    LOGBRUSH b = lb;
    if (b.lbStyle != BS_SOLID && b.lbStyle != BS_NULL && b.lbStyle != BS_HATCHED) b = LOGBRUSH{BS_NULL, 0, 0};
    std::string key(reinterpret_cast<const char*>(&b), sizeof(b));
    m_slots.Choose(
        kBrush, key, [&](int s) { Simple(39, {(DWORD)s, b.lbStyle, b.lbColor, (DWORD)b.lbHatch}); },
        [&](int s) { Simple(37, {(DWORD)s}); }, [&](int s) { Simple(40, {(DWORD)s}); });
  }
  void SelectFont(const LOGFONT& lf) override {
    m_slots.Choose(
        kFont, LogFontKey(lf),
        [&](int s) {
          Begin(82);
          U32((DWORD)s);
          U32((DWORD)lf.lfHeight); U32((DWORD)lf.lfWidth); U32((DWORD)lf.lfEscapement);
          U32((DWORD)lf.lfOrientation); U32((DWORD)lf.lfWeight);
          Bytes({lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet, lf.lfOutPrecision, lf.lfClipPrecision,
                 lf.lfQuality, lf.lfPitchAndFamily});
          std::vector<uint32_t> cps;
          DecodeText(lf.lfFaceName, (int)strnlen(lf.lfFaceName, LF_FACESIZE), cps);
          for (int i = 0; i < LF_FACESIZE; ++i) U16(i < (int)cps.size() && i < LF_FACESIZE - 1 ? (WORD)cps[(size_t)i] : 0);
          End();
        },
        [&](int s) { Simple(37, {(DWORD)s}); }, [&](int s) { Simple(40, {(DWORD)s}); });
  }
  void SetMapMode(int mode) override { Simple(17, {(DWORD)mode}); }
  void SetWindowOrg(int x, int y) override { Simple(10, {(DWORD)x, (DWORD)y}); }
  void SetWindowExt(int cx, int cy) override { Simple(9, {(DWORD)cx, (DWORD)cy}); }
  void SetViewportOrg(int x, int y) override { Simple(12, {(DWORD)x, (DWORD)y}); }
  void SetViewportExt(int cx, int cy) override { Simple(11, {(DWORD)cx, (DWORD)cy}); }
  void SetTextColor(COLORREF c) override { Simple(24, {c}); }
  void SetBkColor(COLORREF c) override { Simple(25, {c}); }
  void SetBkMode(int mode) override { Simple(18, {(DWORD)mode}); }
  void SetROP2(int mode) override { Simple(20, {(DWORD)mode}); }
  void SetPolyFillMode(int mode) override { Simple(19, {(DWORD)mode}); }
  void SetTextAlign(UINT align) override { Simple(22, {align}); }
  void SetStretchBltMode(int mode) override { Simple(21, {(DWORD)mode}); }
  void IntersectClipRect(const RECT& r) override { Simple(30, Rect(r)); }
  void ExcludeClipRect(const RECT& r) override { Simple(29, Rect(r)); }
  void SelectClipRgn(const Region* rgn) override {
    // Back to the default clip, then narrowed to the region in logical units: the form readers
    // of these files clip by.
    Simple(75, {0, RGN_COPY});
    if (!rgn) return;
    std::vector<RECT> rects = LogicalRects(*m_dc, *rgn);
    DWORD n = (DWORD)rects.size();
    Begin(75);
    U32(32 + 16 * n);
    U32(RGN_AND);
    RECT b = RectsBounds(rects);
    U32(32); U32(1); U32(n); U32(16 * n);
    for (LONG v : {b.left, b.top, b.right, b.bottom}) U32((DWORD)v);
    for (const RECT& r : rects)
      for (LONG v : {r.left, r.top, r.right, r.bottom}) U32((DWORD)v);
    End();
  }
  void MoveTo(int x, int y) override { Simple(27, {(DWORD)x, (DWORD)y}); }
  void LineTo(int x, int y) override { Simple(54, {(DWORD)x, (DWORD)y}); }
  void Polyline(const POINT* pts, int n) override { Poly(4, pts, n); }
  void Polygon(const POINT* pts, int n) override { Poly(3, pts, n); }
  void PolyPolygon(const POINT* pts, const INT* counts, int polys) override {
    int total = 0;
    for (int i = 0; i < polys; ++i) total += counts[i];
    Begin(8);
    BoundsOf(pts, total);
    U32((DWORD)polys);
    U32((DWORD)total);
    for (int i = 0; i < polys; ++i) U32((DWORD)counts[i]);
    for (int i = 0; i < total; ++i) { U32((DWORD)pts[i].x); U32((DWORD)pts[i].y); }
    End();
  }
  void Rectangle(const RECT& r) override { Simple(43, Rect(r)); }
  void RoundRect(const RECT& r, int w, int h) override {
    auto p = Rect(r);
    p.push_back((DWORD)w);
    p.push_back((DWORD)h);
    Simple(44, p);
  }
  void Ellipse(const RECT& r) override { Simple(42, Rect(r)); }
  void ArcShape(int kind, const RECT& r, POINT s, POINT e) override {
    auto p = Rect(r);
    for (LONG v : {s.x, s.y, e.x, e.y}) p.push_back((DWORD)v);
    Simple(kind == 0 ? 45 : kind == 1 ? 47 : 46, p);
  }
  void SetPixel(int x, int y, COLORREF c) override { Simple(15, {(DWORD)x, (DWORD)y, c}); }
  void PatBlt(int x, int y, int w, int h, DWORD rop) override {
    if (rop == PATCOPY) {
      // A pattern fill: the brush through a rectangle without outline, one pixel larger as outline-less
      // rectangles are one pixel smaller.
      Simple(37, {0x80000000u | NULL_PEN});
      RECT r{x, y, x + w, y + h};
      if (r.left > r.right) std::swap(r.left, r.right);
      if (r.top > r.bottom) std::swap(r.top, r.bottom);
      r.right += 1;
      r.bottom += 1;
      Simple(43, Rect(r));
      int pen = m_slots.Current(kPen);
      Simple(37, {pen >= 0 ? (DWORD)pen : 0x80000000u | BLACK_PEN});
      return;
    }
    Begin(76);
    RECT b = m_dc->L2DRect(x, y, x + w, y + h);
    Bounds(b);
    for (LONG v : {x, y, w, h}) U32((DWORD)v);
    U32(rop);
    U32(0); U32(0);
    Float(1); Float(0); Float(0); Float(1); Float(0); Float(0);
    U32(0); U32(0); U32(0); U32(0); U32(0); U32(0);
    End();
  }
  void ExtTextOut(int x, int y, UINT options, const RECT* r, const std::string& text, const std::vector<int>& dx,
                  const RECT& bounds) override {
    if (!text.empty() && m_slots.Current(kFont) < 0) SelectFont(FontInUse(*m_dc));
    std::vector<uint32_t> cps;
    std::vector<int> starts;
    DecodeText(text.data(), (int)text.size(), cps, &starts);
    std::u16string u;
    std::vector<int> udx;
    for (size_t i = 0; i < cps.size(); ++i) {
      uint32_t cp = cps[i];
      int w = 0;
      size_t endByte = i + 1 < starts.size() ? (size_t)starts[i + 1] : text.size();
      for (size_t b = (size_t)starts[i]; b < endByte && b < dx.size(); ++b) w += dx[b];
      if (cp >= 0x10000) {
        cp -= 0x10000;
        u.push_back((char16_t)(0xD800 + (cp >> 10)));
        u.push_back((char16_t)(0xDC00 + (cp & 0x3FF)));
        udx.push_back(w);
        udx.push_back(0);
      } else {
        u.push_back((char16_t)cp);
        udx.push_back(w);
      }
    }
    Begin(84);
    Bounds(bounds);
    U32(1);                                         // GM_COMPATIBLE
    Float(0);
    Float(0);
    U32((DWORD)x);
    U32((DWORD)y);
    U32((DWORD)u.size());
    DWORD offString = 76;
    DWORD strBytes = (DWORD)((u.size() * 2 + 3) & ~size_t(3));
    U32(u.empty() ? 0 : offString);
    U32(options & (ETO_OPAQUE | ETO_CLIPPED));
    RECT rr = r ? *r : RECT{0, 0, -1, -1};
    for (LONG v : {rr.left, rr.top, rr.right, rr.bottom}) U32((DWORD)v);
    U32(u.empty() ? 0 : offString + strBytes);
    for (char16_t c : u) U16(c);
    Pad();
    for (int w : udx) U32((DWORD)w);
    End();
  }
  void StretchDIB(int x, int y, int w, int h, int xs, int ys, int ws, int hs, const BITMAPINFOHEADER& bih,
                  const std::vector<BYTE>& bits, DWORD rop) override {
    Begin(81);
    RECT b = m_dc->L2DRect(x, y, x + w, y + h);
    Bounds(b);
    for (LONG v : {x, y, xs, ys, ws, hs}) U32((DWORD)v);
    U32(80);
    U32(40);
    U32(120);
    U32((DWORD)bits.size());
    U32(DIB_RGB_COLORS);
    U32(rop);
    U32((DWORD)w);
    U32((DWORD)h);
    const BYTE* p = reinterpret_cast<const BYTE*>(&bih);
    Bytes(std::vector<BYTE>(p, p + 40));
    Bytes(bits);
    Pad();
    End();
  }
  void AddBounds(const RECT& r) override {
    if (r.right <= r.left || r.bottom <= r.top) return;
    RECT inc{r.left, r.top, r.right - 1, r.bottom - 1};
    if (!m_any) {
      m_bounds = inc;
      m_any = true;
    } else {
      m_bounds.left = std::min(m_bounds.left, inc.left);
      m_bounds.top = std::min(m_bounds.top, inc.top);
      m_bounds.right = std::max(m_bounds.right, inc.right);
      m_bounds.bottom = std::max(m_bounds.bottom, inc.bottom);
    }
  }

 private:
  void Begin(DWORD type) {
    m_start = m_data.size();
    U32(type);
    U32(0);
  }
  void End() {
    Pad();
    DWORD size = (DWORD)(m_data.size() - m_start);
    for (int i = 0; i < 4; ++i) m_data[m_start + 4 + (size_t)i] = (BYTE)(size >> (8 * i));
    ++m_records;
  }
  void Pad() {
    while ((m_data.size() - m_start) % 4) m_data.push_back(0);
  }
  void U32(DWORD v) { for (int i = 0; i < 4; ++i) m_data.push_back((BYTE)(v >> (8 * i))); }
  void U16(WORD v) { m_data.push_back((BYTE)v); m_data.push_back((BYTE)(v >> 8)); }
  void Float(float f) {
    DWORD v;
    std::memcpy(&v, &f, 4);
    U32(v);
  }
  void Bytes(const std::vector<BYTE>& b) { m_data.insert(m_data.end(), b.begin(), b.end()); }
  void Simple(DWORD type, const std::vector<DWORD>& params) {
    Begin(type);
    for (DWORD v : params) U32(v);
    End();
  }
  static std::vector<DWORD> Rect(const RECT& r) {
    return {(DWORD)r.left, (DWORD)r.top, (DWORD)r.right, (DWORD)r.bottom};
  }
  // A record's bounds from a device rectangle with exclusive right and bottom; (0, 0, -1, -1) for none.
  void Bounds(const RECT& r) {
    bool empty = r.right <= r.left || r.bottom <= r.top;
    for (LONG v : {empty ? 0 : r.left, empty ? 0 : r.top, empty ? -1 : r.right - 1, empty ? -1 : r.bottom - 1})
      U32((DWORD)v);
  }
  void BoundsOf(const POINT* pts, int n) {
    RECT b{0, 0, -1, -1};
    for (int i = 0; i < n; ++i) {
      POINT p = m_dc->L2D(pts[i].x, pts[i].y);
      if (i == 0) b = RECT{p.x, p.y, p.x, p.y};
      b.left = std::min(b.left, p.x);
      b.top = std::min(b.top, p.y);
      b.right = std::max(b.right, p.x);
      b.bottom = std::max(b.bottom, p.y);
    }
    for (LONG v : {b.left, b.top, b.right, b.bottom}) U32((DWORD)v);
  }
  void Poly(DWORD type, const POINT* pts, int n) {
    Begin(type);
    BoundsOf(pts, n);
    U32((DWORD)n);
    for (int i = 0; i < n; ++i) { U32((DWORD)pts[i].x); U32((DWORD)pts[i].y); }
    End();
  }

  CDC::Impl* m_dc;
  ObjectSlots m_slots;
  std::u16string m_desc;
  RECT m_frame{0, 0, 0, 0};
  bool m_hasFrame = false;
  RECT m_bounds{0, 0, -1, -1};
  bool m_any = false;
  std::vector<BYTE> m_data;
  size_t m_start = 0;
  DWORD m_records = 0;
};

// A metafile recorded into a file is written beside the file named, which it replaces only once
// complete: a failed close leaves the old file as it was.
struct MetaJob {
  std::shared_ptr<CSaveBeside> save;  // null for a metafile in memory
  FILE* file = nullptr;
  bool enhanced = false;
};

std::mutex& JobLock() {
  static std::mutex m;
  return m;
}
std::unordered_map<const CDC*, MetaJob>& Jobs() {
  static auto* j = new std::unordered_map<const CDC*, MetaJob>();
  return *j;
}

void DropJob(MetaJob& job) {
  if (job.file) std::fclose(job.file);
  job.file = nullptr;
  if (job.save) job.save->Discard();
}

bool StartMeta(CDC* dc, LPCTSTR fileName, bool enhanced) {
  MetaJob job{nullptr, nullptr, enhanced};
  if (fileName && *fileName) {
    job.save = std::make_shared<CSaveBeside>(fileName);
    // Only through the descriptor that made the temporary file: its name is never opened again.
    job.file = job.save->OpenStream();
    if (!job.file) {
      const int err = errno ? errno : ENOENT;
      job.save->Discard();
      SetLastErrorFromErrno(err);
      return false;
    }
  }
  std::lock_guard<std::mutex> g(JobLock());
  auto it = Jobs().find(dc);
  if (it != Jobs().end()) DropJob(it->second);
  Jobs()[dc] = job;
  return true;
}

// False with the last error set when the file could not be written or put in place.
bool EndMeta(CDC* dc, const std::vector<BYTE>& bytes) {
  MetaJob job;
  {
    std::lock_guard<std::mutex> g(JobLock());
    auto it = Jobs().find(dc);
    if (it == Jobs().end()) return false;
    job = it->second;
    Jobs().erase(it);
  }
  if (!job.file) return true;
  errno = 0;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), job.file) == bytes.size() && std::fflush(job.file) == 0;
  int err = ok ? 0 : errno;
  if (std::fclose(job.file) != 0 && ok) {
    ok = false;
    err = errno;
  }
  job.file = nullptr;
  if (!ok) {
    job.save->Discard();
    SetLastErrorFromErrno(err ? err : EIO);
    return false;
  }
  if (job.save->Commit()) return true;
  job.save->Discard();
  return false;
}

}  // namespace

CMetaFileDC::~CMetaFileDC() {
  CDC::Impl& d = *GetImpl();
  // A context never closed still leaves a complete file behind.
  if (d.kind == DCKind::MetaFile) DeleteMetaFile(Close());
  else if (d.kind == DCKind::EnhMetaFile) DeleteEnhMetaFile(CloseEnhanced());
}

BOOL CMetaFileDC::Create(LPCTSTR fileName) {
  DeleteDC();
  if (!StartMeta(this, fileName, false)) return FALSE;
  CDC::Impl& d = *GetImpl();
  CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  d.kind = DCKind::MetaFile;
  d.meta = std::make_unique<WmfSink>(&d);
  d.SetSurface(nullptr, POINT{0, 0}, Region::FromRect(-(1 << 27), -(1 << 27), 1 << 27, 1 << 27), false);
  return TRUE;
}

BOOL CMetaFileDC::CreateEnhanced(CDC* refDC, LPCTSTR fileName, LPCRECT frame, LPCTSTR description) {
  DeleteDC();
  if (!StartMeta(this, fileName, true)) return FALSE;
  CDC::Impl& d = *GetImpl();
  CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  if (refDC && refDC->GetImpl()->kind != DCKind::None) {
    const CDC::Impl& r = *refDC->GetImpl();
    d.dpiX = r.dpiX;
    d.dpiY = r.dpiY;
    d.horzRes = r.horzRes;
    d.vertRes = r.vertRes;
    d.horzSize = r.horzSize;
    d.vertSize = r.vertSize;
    d.technology = r.technology;
    d.bitsPixel = r.bitsPixel;
  }
  d.kind = DCKind::EnhMetaFile;
  std::u16string desc;
  if (description) {
    // Only the first text is read: a caller's single text is ended by one zero, and reading on for a second
    // one would run past it. The record keeps the two-zero ending readers look for.
    std::vector<uint32_t> cps;
    DecodeText(description, (int)std::strlen(description), cps);
    for (uint32_t c : cps) desc.push_back((char16_t)(c < 0x10000 ? c : '?'));
    desc.push_back(0);
    desc.push_back(0);
  }
  d.meta = std::make_unique<EmfSink>(&d, frame, desc);
  d.SetSurface(nullptr, POINT{0, 0}, Region::FromRect(-(1 << 27), -(1 << 27), 1 << 27, 1 << 27), false);
  return TRUE;
}

namespace {

// Ends a recording of the given kind into a new metafile handle; null when the DC records
// something else or the file could not be written.
template <class Handle, class Sink>
Handle* CloseMeta(CMetaFileDC* dc, CDC::Impl& d, DCKind kind) {
  if (d.kind != kind) return nullptr;
  auto* mf = new Handle{static_cast<Sink*>(d.meta.get())->Finish()};
  bool ok = EndMeta(dc, mf->bytes);
  d.meta.reset();
  dc->DeleteDC();
  if (!ok) {
    delete mf;
    return nullptr;
  }
  std::lock_guard<std::mutex> g(MfLock());
  LiveMetafiles().insert(mf);
  return mf;
}

}  // namespace

HMETAFILE CMetaFileDC::Close() {
  return CloseMeta<HMETAFILE__, WmfSink>(this, *GetImpl(), DCKind::MetaFile);
}

HENHMETAFILE CMetaFileDC::CloseEnhanced() {
  return CloseMeta<HENHMETAFILE__, EmfSink>(this, *GetImpl(), DCKind::EnhMetaFile);
}

HDC CreateMetaFile(LPCSTR fileName) {
  auto* dc = new CMetaFileDC;
  if (!dc->Create(fileName)) {
    delete dc;
    return nullptr;
  }
  return dc->GetSafeHdc();
}

HMETAFILE CloseMetaFile(HDC h) {
  auto* dc = dynamic_cast<CMetaFileDC*>(CDC::FromHandle(h));
  if (!dc) return nullptr;
  HMETAFILE mf = dc->Close();
  delete dc;
  return mf;
}

HDC CreateEnhMetaFile(HDC refDC, LPCSTR fileName, const RECT* frame, LPCSTR description) {
  auto* dc = new CMetaFileDC;
  if (!dc->CreateEnhanced(CDC::FromHandle(refDC), fileName, frame, description)) {
    delete dc;
    return nullptr;
  }
  return dc->GetSafeHdc();
}

HENHMETAFILE CloseEnhMetaFile(HDC h) {
  auto* dc = dynamic_cast<CMetaFileDC*>(CDC::FromHandle(h));
  if (!dc) return nullptr;
  HENHMETAFILE mf = dc->CloseEnhanced();
  delete dc;
  return mf;
}

BOOL DeleteMetaFile(HMETAFILE mf) {
  std::lock_guard<std::mutex> g(MfLock());
  if (!mf || !LiveMetafiles().erase(mf)) return FALSE;
  delete mf;
  return TRUE;
}

BOOL DeleteEnhMetaFile(HENHMETAFILE mf) {
  std::lock_guard<std::mutex> g(MfLock());
  if (!mf || !LiveMetafiles().erase(mf)) return FALSE;
  delete mf;
  return TRUE;
}

UINT GetMetaFileBitsEx(HMETAFILE mf, UINT size, void* buffer) {
  std::lock_guard<std::mutex> g(MfLock());
  if (!mf || !LiveMetafiles().count(mf)) return 0;
  if (!buffer) return (UINT)mf->bytes.size();
  UINT n = std::min<UINT>(size, (UINT)mf->bytes.size());
  std::memcpy(buffer, mf->bytes.data(), n);
  return n;
}

UINT GetEnhMetaFileBits(HENHMETAFILE mf, UINT size, BYTE* buffer) {
  std::lock_guard<std::mutex> g(MfLock());
  if (!mf || !LiveMetafiles().count(mf)) return 0;
  if (!buffer) return (UINT)mf->bytes.size();
  UINT n = std::min<UINT>(size, (UINT)mf->bytes.size());
  std::memcpy(buffer, mf->bytes.data(), n);
  return n;
}
