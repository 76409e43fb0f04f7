// Font realisation through fontconfig and Cairo, with integer metrics like the platform's.
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#ifndef DRAVONIX_SOURCE_DIR
#define DRAVONIX_SOURCE_DIR ""
#endif

namespace gdi {
namespace {

std::mutex& FontLock() {
  static std::mutex m;
  return m;
}

// The copy an installed package keeps in share/dravonix beside the library's lib folder.
std::string InstalledFontsConf() {
  Dl_info info;
  if (!dladdr(reinterpret_cast<const void*>(&InstalledFontsConf), &info) || !info.dli_fname) return {};
  std::filesystem::path dir = std::filesystem::path(info.dli_fname).parent_path();
  std::error_code ec;
  for (int up = 0; up < 2 && dir.has_parent_path(); ++up) {
    dir = dir.parent_path();
    std::filesystem::path conf = dir / "share" / "dravonix" / "fonts.conf";
    if (std::filesystem::exists(conf, ec)) return conf.string();
  }
  return {};
}

FcConfig* Config() {
  static FcConfig* cfg = [] {
    std::string path = DRAVONIX_SOURCE_DIR "/platform/gdi/fonts.conf";
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) path = InstalledFontsConf();
    if (const char* env = std::getenv("DRAVONIX_FONTS_CONF")) path = env;
    if (std::filesystem::exists(path, ec)) {
      FcConfig* c = FcConfigCreate();
      if (FcConfigParseAndLoad(c, reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue) && FcConfigBuildFonts(c))
        return c;
      FcConfigDestroy(c);
    }
    // Without the file: the machine's configuration; the face table below still picks the faces.
    return FcInitLoadConfigAndFonts();
  }();
  return cfg;
}

bool IEq(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b)) return false;
  return *a == *b;
}

const uint16_t kCp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                              0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                              0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t Cp1252(unsigned char c) { return (c >= 0x80 && c < 0xA0) ? kCp1252[c - 0x80] : c; }

struct FaceEntry {
  cairo_font_face_t* face = nullptr;
  std::string family;
};

FaceEntry GetFace(const std::string& family, bool bold, bool italic) {
  static std::map<std::string, FaceEntry> faces;
  std::string key = family + (bold ? "|b" : "|r") + (italic ? "i" : "n");
  auto it = faces.find(key);
  if (it != faces.end()) return it->second;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(Config(), pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(Config(), pat, &res);
  FcPatternDestroy(pat);
  FaceEntry e;
  if (match) {
    FcChar8* fam = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch) e.family = reinterpret_cast<char*>(fam);
    e.face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
  } else {
    e.face = cairo_toy_font_face_create(family.c_str(), italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                                        bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    e.family = family;
  }
  faces[key] = e;
  return e;
}

}  // namespace

std::string MapFaceName(const char* face, BYTE pitchAndFamily) {
  static const char* sans[] = {"Arial", "MS Sans Serif", "Verdana", "System", "Helvetica", "Tahoma",
                               "MS Shell Dlg", "MS Shell Dlg 2", "Liberation Sans"};
  static const char* mono[] = {"Courier New", "Courier", "Fixedsys", "Terminal", "Lucida Console", "Consolas",
                               "Liberation Mono"};
  static const char* serif[] = {"Times New Roman", "Times", "MS Serif", "Liberation Serif"};
  // A fixed-pitch request outweighs the face: the system gives its fixed face for a proportional name.
  const bool fixed = (pitchAndFamily & 3) == FIXED_PITCH;
  if (face && *face) {
    for (const char* s : sans)
      if (IEq(face, s)) return fixed ? "Liberation Mono" : "Liberation Sans";
    for (const char* s : mono)
      if (IEq(face, s)) return "Liberation Mono";
    for (const char* s : serif)
      if (IEq(face, s)) return fixed ? "Liberation Mono" : "Liberation Serif";
  }
  // Unknown or empty faces fall back by pitch and family.
  if (fixed || (pitchAndFamily & 0xF0) == FF_MODERN) return "Liberation Mono";
  if ((pitchAndFamily & 0xF0) == FF_ROMAN) return "Liberation Serif";
  return "Liberation Sans";
}

RealFont::~RealFont() {
  if (scaled) cairo_scaled_font_destroy(scaled);
  if (aliased) cairo_scaled_font_destroy(aliased);
}

cairo_scaled_font_t* RealFont::Aliased() {
  std::lock_guard<std::mutex> lock(FontLock());
  if (!aliased) {
    cairo_matrix_t fm, ctm;
    cairo_scaled_font_get_font_matrix(scaled, &fm);
    cairo_scaled_font_get_ctm(scaled, &ctm);
    cairo_font_options_t* opt = cairo_font_options_create();
    cairo_scaled_font_get_font_options(scaled, opt);
    cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_NONE);
    aliased = cairo_scaled_font_create(cairo_scaled_font_get_font_face(scaled), &fm, &ctm, opt);
    cairo_font_options_destroy(opt);
  }
  return aliased;
}

void RealFont::Lookup(uint32_t cp, unsigned long& g, int& a) {
  if (cp < 256) {
    g = glyph[cp];
    a = adv[cp];
    return;
  }
  std::lock_guard<std::mutex> lock(FontLock());
  auto it = other.find(cp);
  if (it == other.end()) {
    FT_Face face = cairo_ft_scaled_font_lock_face(scaled);
    unsigned long gi = face ? FT_Get_Char_Index(face, cp) : 0;
    if (face) cairo_ft_scaled_font_unlock_face(scaled);
    cairo_glyph_t cg{gi, 0, 0};
    cairo_text_extents_t ext;
    cairo_scaled_font_glyph_extents(scaled, &cg, 1, &ext);
    it = other.emplace(cp, std::make_pair(gi, (int)std::lround(ext.x_advance))).first;
  }
  g = it->second.first;
  a = it->second.second;
}

namespace {

// A face's design metrics in font units, read from a unit-size instance; the defaults are those of
// the sans face, for a face that has no tables.
struct DesignMetrics {
  double upm = 2048, winAsc = 1854, winDesc = 434, hAsc = 1854, hDesc = -434, lineGap = 67, avgW = 1176;
  double bboxW = 2000, ulPos = -217, ulThick = 150, stPos = 530, stThick = 102;
  bool fixed = false;
};

DesignMetrics ReadDesignMetrics(cairo_font_face_t* face, bool fixed) {
  DesignMetrics dm;
  dm.fixed = fixed;
  cairo_matrix_t m, id;
  cairo_matrix_init_scale(&m, 64, 64);
  cairo_matrix_init_identity(&id);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_scaled_font_t* probe = cairo_scaled_font_create(face, &m, &id, o);
  cairo_font_options_destroy(o);
  if (cairo_scaled_font_status(probe) == CAIRO_STATUS_SUCCESS) {
    if (FT_Face f = cairo_ft_scaled_font_lock_face(probe)) {
      dm.upm = f->units_per_EM ? f->units_per_EM : 2048;
      auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
      auto* hh = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
      auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(f, FT_SFNT_POST));
      if (os2 && os2->version != 0xFFFF) {
        dm.winAsc = os2->usWinAscent;
        dm.winDesc = os2->usWinDescent;
        dm.avgW = os2->xAvgCharWidth;
        dm.stPos = os2->yStrikeoutPosition;
        dm.stThick = os2->yStrikeoutSize;
      } else {
        dm.winAsc = f->ascender;
        dm.winDesc = -f->descender;
      }
      if (hh) { dm.hAsc = hh->Ascender; dm.hDesc = hh->Descender; dm.lineGap = hh->Line_Gap; }
      if (post) { dm.ulPos = post->underlinePosition; dm.ulThick = post->underlineThickness; dm.fixed = post->isFixedPitch != 0; }
      dm.bboxW = f->bbox.xMax - f->bbox.xMin;
      cairo_ft_scaled_font_unlock_face(probe);
    }
  }
  cairo_scaled_font_destroy(probe);
  return dm;
}

// The em size, width scale, text metrics and line positions of the font at its device size.
void ScaleMetrics(RealFont& rf, const LOGFONT& lf, const DesignMetrics& dm, const std::string& family, int devHeight,
                  int devWidth) {
  int h = devHeight;
  double em;
  if (h < 0) em = -h;
  else if (h > 0) em = h * dm.upm / (dm.winAsc + dm.winDesc);
  else em = 16 * dm.upm / (dm.winAsc + dm.winDesc);
  // Keep glyph images bounded whatever the mapping makes of the height.
  em = std::clamp(em, 1.0, 4096.0);
  double s = em / dm.upm;
  rf.em = em;
  rf.xScale = 1;
  if (devWidth != 0) {
    double natural = dm.avgW * s;
    if (natural > 0) rf.xScale = std::clamp(std::abs(devWidth) / natural, 0.05, 20.0);
  }
  rf.fixedPitch = dm.fixed;

  TEXTMETRIC& tm = rf.tm;
  tm.tmAscent = (LONG)std::lround(dm.winAsc * s);
  if (h > 0) tm.tmDescent = h - tm.tmAscent;
  else tm.tmDescent = (LONG)std::lround(dm.winDesc * s);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - (LONG)std::lround(em));
  tm.tmExternalLeading =
      (LONG)std::lround(std::max(0.0, dm.lineGap - ((dm.winAsc + dm.winDesc) - (dm.hAsc - dm.hDesc))) * s);
  tm.tmAveCharWidth = (LONG)std::lround(dm.avgW * s * rf.xScale);
  tm.tmMaxCharWidth = (LONG)std::lround(dm.bboxW * s * rf.xScale);
  tm.tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 32;
  tm.tmLastChar = 255;
  tm.tmDefaultChar = 31;
  tm.tmBreakChar = 32;
  tm.tmItalic = lf.lfItalic ? 1 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  BYTE famBits = family == "Liberation Mono" ? FF_MODERN : family == "Liberation Serif" ? FF_ROMAN : FF_SWISS;
  // The pitch bit is set for variable-pitch fonts.
  tm.tmPitchAndFamily = (BYTE)((dm.fixed ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE | famBits);
  tm.tmCharSet = lf.lfCharSet;
  rf.underlinePos = (int)std::lround(-dm.ulPos * s);
  rf.underlineThick = std::max(1, (int)std::lround(dm.ulThick * s));
  rf.strikePos = (int)std::lround(dm.stPos * s);
  rf.strikeThick = std::max(1, (int)std::lround(dm.stThick * s));
}

// The scaled font, and the glyphs and advances of the 256 single-byte characters.
void LoadGlyphTable(RealFont& rf, cairo_font_face_t* face) {
  cairo_matrix_t fm, ctm;
  cairo_matrix_init_scale(&fm, rf.em * rf.xScale, rf.em);
  cairo_matrix_init_identity(&ctm);
  cairo_font_options_t* opt = cairo_font_options_create();
  cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_subpixel_order(opt, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  rf.scaled = cairo_scaled_font_create(face, &fm, &ctm, opt);
  cairo_font_options_destroy(opt);

  FT_Face f = cairo_ft_scaled_font_lock_face(rf.scaled);
  for (int c = 0; c < 256; ++c) {
    uint32_t cp = Cp1252((unsigned char)c);
    unsigned long gi = f ? FT_Get_Char_Index(f, cp) : 0;
    rf.glyph[c] = gi;
  }
  if (f) cairo_ft_scaled_font_unlock_face(rf.scaled);
  for (int c = 0; c < 256; ++c) {
    cairo_glyph_t cg{rf.glyph[c], 0, 0};
    cairo_text_extents_t ext;
    cairo_scaled_font_glyph_extents(rf.scaled, &cg, 1, &ext);
    rf.adv[c] = (int)std::lround(ext.x_advance);
    if (c < 32) rf.adv[c] = rf.glyph[c] ? rf.adv[c] : 0;
  }
  // Code points 0x80-0x9F of the table above are Windows-1252 characters; keep Unicode's C1 range apart.
  for (int c = 0x80; c < 0xA0; ++c) {
    uint32_t cp = Cp1252((unsigned char)c);
    rf.other.emplace(cp, std::make_pair(rf.glyph[c], rf.adv[c]));
  }
  if (f == nullptr) {
    // No outline font at all: keep a fixed advance so layout stays sane.
    for (int c = 0; c < 256; ++c) rf.adv[c] = rf.tm.tmAveCharWidth;
  }
}

}  // namespace

std::shared_ptr<RealFont> RealizeFont(const LOGFONT& lf, int devHeight, int devWidth) {
  std::string family = MapFaceName(lf.lfFaceName, lf.lfPitchAndFamily);
  bool bold = lf.lfWeight >= 600;
  bool italic = lf.lfItalic != 0;
  // Everything the realised metrics reflect is part of the key.
  std::string key = family + "|" + std::to_string(lf.lfWeight) + "|" + std::to_string(italic) +
                    std::to_string(lf.lfUnderline != 0) + std::to_string(lf.lfStrikeOut != 0) + "|" +
                    std::to_string(lf.lfCharSet) + "|" + std::to_string(devHeight) + "|" + std::to_string(devWidth);
  static std::map<std::string, std::shared_ptr<RealFont>> cache;
  {
    std::lock_guard<std::mutex> lock(FontLock());
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
  }
  std::lock_guard<std::mutex> lock(FontLock());
  FaceEntry fe = GetFace(family, bold, italic);
  auto rf = std::make_shared<RealFont>();
  rf->family = fe.family;
  const DesignMetrics dm = ReadDesignMetrics(fe.face, family == "Liberation Mono");
  ScaleMetrics(*rf, lf, dm, family, devHeight, devWidth);
  LoadGlyphTable(*rf, fe.face);
  cache[key] = rf;
  return rf;
}

void DecodeText(const char* s, int n, std::vector<uint32_t>& out, std::vector<int>* byteStart) {
  out.clear();
  if (byteStart) byteStart->clear();
  if (!s || n <= 0) return;
  const unsigned char* u = reinterpret_cast<const unsigned char*>(s);
  bool ascii = true, utf8 = true;
  for (int i = 0; i < n;) {
    unsigned char c = u[i];
    if (c < 0x80) { ++i; continue; }
    ascii = false;
    int len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (len == 0 || i + len > n) { utf8 = false; break; }
    uint32_t cp = c & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
      if ((u[i + k] & 0xC0) != 0x80) { utf8 = false; break; }
      cp = (cp << 6) | (u[i + k] & 0x3F);
    }
    if (!utf8) break;
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp < 0xE000)) {
      utf8 = false;
      break;
    }
    i += len;
  }
  out.reserve((size_t)n);
  if (ascii || !utf8) {
    for (int i = 0; i < n; ++i) {
      out.push_back(ascii ? u[i] : Cp1252(u[i]));
      if (byteStart) byteStart->push_back(i);
    }
    return;
  }
  for (int i = 0; i < n;) {
    unsigned char c = u[i];
    int len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    uint32_t cp = len == 1 ? c : (uint32_t)(c & (0x7F >> len));
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (u[i + k] & 0x3F);
    out.push_back(cp);
    if (byteStart) byteStart->push_back(i);
    i += len;
  }
}

}  // namespace gdi

int EnumFontFamilies(HDC, LPCSTR family, FONTENUMPROC proc, LPARAM lParam) {
  if (!proc) return 0;
  struct Face {
    DWORD type = 0;
    BYTE charSet = SYMBOL_CHARSET;
    bool fixed = true;
  };
  std::map<std::string, Face> faces;
  {
    std::lock_guard<std::mutex> lock(gdi::FontLock());
    FcPattern* pat = FcPatternCreate();
    if (family && *family) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_SCALABLE, FC_CHARSET, FC_SPACING, nullptr);
    FcFontSet* set = FcFontList(gdi::Config(), pat, os);
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
    for (int i = 0; set && i < set->nfont; ++i) {
      FcChar8* name = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch || !name || !*name) continue;
      Face& f = faces[reinterpret_cast<const char*>(name)];
      FcBool scalable = FcFalse;
      FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable);
      f.type |= scalable ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE;
      // A face without Latin letters is a symbol face, as the system reports such faces.
      FcCharSet* chars = nullptr;
      if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) == FcResultMatch && FcCharSetHasChar(chars, 'A'))
        f.charSet = ANSI_CHARSET;
      int spacing = FC_PROPORTIONAL;
      FcPatternGetInteger(set->fonts[i], FC_SPACING, 0, &spacing);
      f.fixed = f.fixed && spacing >= FC_MONO;
    }
    if (set) FcFontSetDestroy(set);
  }
  int result = 0;
  for (const auto& [name, f] : faces) {
    const DWORD type = f.type & TRUETYPE_FONTTYPE ? TRUETYPE_FONTTYPE : f.type;
    LOGFONT lf{};
    std::strncpy(lf.lfFaceName, name.c_str(), sizeof(lf.lfFaceName) - 1);
    lf.lfCharSet = f.charSet;
    lf.lfWeight = FW_NORMAL;
    lf.lfPitchAndFamily = (BYTE)(f.fixed ? FIXED_PITCH : VARIABLE_PITCH);
    TEXTMETRIC tm{};
    tm.tmCharSet = f.charSet;
    tm.tmWeight = FW_NORMAL;
    // The metric's pitch bit is set for variable pitch.
    tm.tmPitchAndFamily =
        (BYTE)((f.fixed ? 0 : TMPF_FIXED_PITCH) | (type == TRUETYPE_FONTTYPE ? TMPF_VECTOR | TMPF_TRUETYPE : 0));
    result = proc(&lf, &tm, type, lParam);
    if (!result) break;
  }
  return result;
}
