#include "platform/ui/RichTextDoc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

namespace ui {
namespace {

const uint32_t kBold = 0x1, kItalic = 0x2, kUnderline = 0x4, kStrike = 0x8, kProtected = 0x10, kAuto = 0x40000000u;

// Characters of the 1252 code page in 0x80..0x9F, by their code point.
const uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int ToCp1252(int32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] && kCp1252High[i] == u) return 0x80 + i;
  return -1;
}

}  // namespace

uint32_t RichTextDoc::InternCf(const RichCharFormat& f) {
  for (size_t i = cfs.size(); i-- > 0;)
    if (cfs[i] == f) return (uint32_t)i;
  cfs.push_back(f);
  return (uint32_t)cfs.size() - 1;
}

uint32_t RichTextDoc::InternPf(const RichParaFormat& f) {
  for (size_t i = 0; i < pfs.size(); ++i)
    if (pfs[i] == f) return (uint32_t)i;
  pfs.push_back(f);
  return (uint32_t)pfs.size() - 1;
}

size_t RichTextDoc::ParaStart(size_t pos) const {
  pos = std::min(pos, text.size());
  while (pos > 0 && text[pos - 1] != '\r') --pos;
  return pos;
}

size_t RichTextDoc::ParaEnd(size_t pos) const {
  size_t e = text.find('\r', std::min(pos, text.size()));
  return e == std::string::npos ? text.size() : e;
}

uint32_t RichTextDoc::ParaFormatOf(size_t pos) const {
  size_t e = ParaEnd(pos);
  return e < text.size() ? pf[e] : endPf;
}

void RichTextDoc::SetParaFormatOf(size_t pos, uint32_t pfi) {
  size_t e = ParaEnd(pos);
  if (e < text.size()) pf[e] = pfi;
  else endPf = pfi;
}

void RichTextDoc::Replace(size_t a, size_t b, const std::string& s, uint32_t cfi) {
  a = std::min(a, text.size());
  b = std::clamp(b, a, text.size());
  uint32_t para = ParaFormatOf(a);
  text.replace(a, b - a, s);
  cf.erase(cf.begin() + (ptrdiff_t)a, cf.begin() + (ptrdiff_t)b);
  cf.insert(cf.begin() + (ptrdiff_t)a, s.size(), cfi);
  pf.erase(pf.begin() + (ptrdiff_t)a, pf.begin() + (ptrdiff_t)b);
  pf.insert(pf.begin() + (ptrdiff_t)a, s.size(), para);
}

void RichTextDoc::Replace(size_t a, size_t b, const RichTextDoc& o) {
  a = std::min(a, text.size());
  b = std::clamp(b, a, text.size());
  std::vector<uint32_t> cmap(o.cfs.size()), pmap(o.pfs.size());
  for (size_t i = 0; i < o.cfs.size(); ++i) cmap[i] = InternCf(o.cfs[i]);
  for (size_t i = 0; i < o.pfs.size(); ++i) pmap[i] = InternPf(o.pfs[i]);
  bool whole = a == 0 && b == text.size();
  text.replace(a, b - a, o.text);
  cf.erase(cf.begin() + (ptrdiff_t)a, cf.begin() + (ptrdiff_t)b);
  pf.erase(pf.begin() + (ptrdiff_t)a, pf.begin() + (ptrdiff_t)b);
  std::vector<uint32_t> ncf(o.size()), npf(o.size());
  for (size_t i = 0; i < o.size(); ++i) {
    ncf[i] = cmap[o.cf[i]];
    npf[i] = pmap[o.pf[i]];
  }
  cf.insert(cf.begin() + (ptrdiff_t)a, ncf.begin(), ncf.end());
  pf.insert(pf.begin() + (ptrdiff_t)a, npf.begin(), npf.end());
  // Inserted paragraphs keep their formats; the last one joins the paragraph at b, which keeps its
  // own unless the whole document was replaced.
  if (whole) endPf = pmap[o.endPf];
}

void RichTextDoc::Clear() {
  text.clear();
  cf.clear();
  pf.clear();
}

std::string RichTextDoc::Text(size_t a, size_t b, bool crlf) const {
  a = std::min(a, text.size());
  b = std::clamp(b, a, text.size());
  if (!crlf) return text.substr(a, b - a);
  std::string s;
  s.reserve(b - a);
  for (size_t i = a; i < b; ++i) {
    if (text[i] == '\r') s += "\r\n";
    else s += text[i];
  }
  return s;
}

std::string RichTextDoc::WriteRtf(size_t a, size_t b) const {
  a = std::min(a, text.size());
  b = std::clamp(b, a, text.size());
  // Fonts and colours in order of first use.
  struct Font {
    std::string face;
    uint8_t charset, pitch;
  };
  std::vector<Font> fonts;
  std::vector<uint32_t> colors;
  std::vector<int> fontOf(cfs.size(), -1), colorOf(cfs.size(), 0);
  std::vector<bool> seen(cfs.size(), false);
  for (size_t i = a; i < b; ++i) {
    uint32_t k = cf[i];
    if (seen[k]) continue;
    seen[k] = true;
    const RichCharFormat& f = cfs[k];
    uint8_t pitch = (uint8_t)(f.pitch & 0xF3);
    auto it = std::find_if(fonts.begin(), fonts.end(), [&](const Font& x) {
      return x.face == f.face && x.charset == f.charset && x.pitch == pitch;
    });
    if (it == fonts.end()) it = fonts.insert(fonts.end(), Font{f.face, f.charset, pitch});
    fontOf[k] = (int)(it - fonts.begin());
    if (!(f.effects & kAuto)) {
      uint32_t c = f.color & 0xFFFFFF;
      auto ct = std::find(colors.begin(), colors.end(), c);
      if (ct == colors.end()) ct = colors.insert(colors.end(), c);
      colorOf[k] = (int)(ct - colors.begin()) + 1;
    }
  }
  static const char* const kFamily[] = {"fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor"};
  std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl";
  char buf[96];
  for (size_t i = 0; i < fonts.size(); ++i) {
    int fam = fonts[i].pitch >> 4;
    snprintf(buf, sizeof buf, "{\\f%d\\%s\\fcharset%d", (int)i, fam <= 5 ? kFamily[fam] : "fnil", fonts[i].charset);
    out += buf;
    if (fonts[i].pitch & 3) {
      snprintf(buf, sizeof buf, "\\fprq%d", fonts[i].pitch & 3);
      out += buf;
    }
    out += ' ';
    // The reader takes these three as group and control marks unless they are escaped.
    for (char c : fonts[i].face) {
      if (c == '\\' || c == '{' || c == '}') out += '\\';
      out += c;
    }
    out += ";}";
  }
  out += "}\r\n{\\colortbl ;";
  for (uint32_t c : colors) {
    snprintf(buf, sizeof buf, "\\red%u\\green%u\\blue%u;", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    out += buf;
  }
  out += "}\r\n";
  auto para = [&](size_t pos) {
    static const char* const kAlign[] = {"", "", "\\qr", "\\qc", "\\qj"};
    uint16_t al = pfs[ParaFormatOf(pos)].align;
    out += "\\pard";
    out += al <= 4 ? kAlign[al] : "";
  };
  para(a);
  uint32_t last = UINT32_MAX;
  for (size_t i = a; i < b; ++i) {
    uint32_t k = cf[i];
    if (k != last) {
      const RichCharFormat& f = cfs[k];
      snprintf(buf, sizeof buf, "\\plain\\f%d\\fs%d", fontOf[k], (int)(f.height / 10));
      out += buf;
      if (f.effects & kBold) out += "\\b";
      if (f.effects & kItalic) out += "\\i";
      if (f.effects & kUnderline) out += "\\ul";
      if (f.effects & kStrike) out += "\\strike";
      if (f.effects & kProtected) out += "\\protect";
      if (colorOf[k]) {
        snprintf(buf, sizeof buf, "\\cf%d", colorOf[k]);
        out += buf;
      }
      out += ' ';
      last = k;
    }
    unsigned char c = (unsigned char)text[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '{': out += "\\{"; break;
      case '}': out += "\\}"; break;
      case '\t': out += "\\tab "; break;
      case '\v': out += "\\line "; break;
      case '\r':
        out += "\\par\r\n";
        para(i + 1);
        last = UINT32_MAX;
        break;
      default:
        if (c < 0x20 || c >= 0x80) {
          snprintf(buf, sizeof buf, "\\'%02x", c);
          out += buf;
        } else {
          out += (char)c;
        }
    }
  }
  out += "}\r\n";
  return out;
}

void ReadPlainText(const std::string& in, const RichCharFormat& base, RichTextDoc& out) {
  out = RichTextDoc{};
  uint32_t k = out.InternCf(base);
  std::string s;
  s.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') continue;
    s += in[i] == '\n' ? '\r' : in[i];
  }
  out.Replace(0, 0, s, k);
}

namespace {

enum class Dest { Text, FontTable, ColorTable, Skip };

struct Group {
  RichCharFormat cf;
  RichParaFormat pf;
  int uc = 1;
  Dest dest = Dest::Text;
};

struct FontDef {
  std::string face;
  uint8_t charset = 0, pitch = 0;
};

class RtfReader {
 public:
  RtfReader(const std::string& in, const RichCharFormat& base, RichTextDoc& out) : m_in(in), m_base(base), m_out(out) {}

  bool Run() {
    size_t i = 0;
    while (i < m_in.size() && isspace((unsigned char)m_in[i])) ++i;
    if (i >= m_in.size() || m_in[i] != '{') return false;
    m_out = RichTextDoc{};
    m_cur.cf = m_base;
    m_pos = i;
    while (m_pos < m_in.size()) {
      char c = m_in[m_pos++];
      if (c == '{') {
        m_stack.push_back(m_cur);
        m_cfDirty = true;
      } else if (c == '}') {
        EndGroupText();
        if (m_stack.empty()) break;
        m_cur = m_stack.back();
        m_stack.pop_back();
        m_cfDirty = true;
        if (m_stack.empty()) break;  // the outer group is done
      } else if (c == '\\') {
        Control();
      } else if (c == '\r' || c == '\n') {
      } else {
        Emit((unsigned char)c);
      }
    }
    Flush();
    m_out.endPf = m_out.InternPf(m_cur.pf);
    return true;
  }

 private:
  const std::string& m_in;
  RichCharFormat m_base;
  RichTextDoc& m_out;
  size_t m_pos = 0;
  Group m_cur;
  std::vector<Group> m_stack;
  std::map<int, FontDef> m_fonts;
  int m_fontNo = 0;
  FontDef m_font;
  std::vector<uint32_t> m_colors;  // CFE_AUTOCOLOR marks the automatic entry
  uint32_t m_rgb = 0;
  bool m_rgbSet = false;
  int m_deff = -1;
  int m_skipChars = 0;
  std::string m_pending;
  std::vector<uint32_t> m_pendingCf, m_pendingPf;
  bool m_cfDirty = true;
  uint32_t m_cfi = 0;

  void Flush() {
    m_out.text += m_pending;
    m_out.cf.insert(m_out.cf.end(), m_pendingCf.begin(), m_pendingCf.end());
    m_out.pf.insert(m_out.pf.end(), m_pendingPf.begin(), m_pendingPf.end());
    m_pending.clear();
    m_pendingCf.clear();
    m_pendingPf.clear();
  }

  void EndGroupText() {
    if (m_cur.dest == Dest::FontTable && !m_font.face.empty()) EndFont();
  }

  void EndFont() {
    std::string& f = m_font.face;
    while (!f.empty() && (f.back() == ';' || f.back() == ' ')) f.pop_back();
    size_t s = f.find_first_not_of(' ');
    f = s == std::string::npos ? std::string() : f.substr(s);
    if (!f.empty()) m_fonts[m_fontNo] = m_font;
    m_font = FontDef{};
  }

  void Emit(unsigned char c) {
    if (m_skipChars > 0) {
      --m_skipChars;
      return;
    }
    if (m_cur.dest == Dest::Skip) return;
    if (m_cur.dest == Dest::FontTable) {
      if (c == ';') {
        EndFont();
      } else {
        m_font.face += (char)c;
      }
      return;
    }
    if (m_cur.dest == Dest::ColorTable) {
      if (c == ';') {
        m_colors.push_back(m_rgbSet ? m_rgb : kAuto);
        m_rgb = 0;
        m_rgbSet = false;
      }
      return;
    }
    if (m_cfDirty) {
      m_cfi = m_out.InternCf(m_cur.cf);
      m_cfDirty = false;
    }
    m_pending += (char)c;
    m_pendingCf.push_back(m_cfi);
    m_pendingPf.push_back(c == '\r' ? m_out.InternPf(m_cur.pf) : 0);
  }

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  void Control() {
    if (m_pos >= m_in.size()) return;
    char c = m_in[m_pos];
    if (!isalpha((unsigned char)c)) {
      ++m_pos;
      switch (c) {
        case '\\':
        case '{':
        case '}': Emit((unsigned char)c); break;
        case '~': Emit(0xA0); break;
        case '_': Emit('-'); break;
        case '\r':
        case '\n': Emit('\r'); break;
        case '*': m_cur.dest = Dest::Skip; break;
        case '\'': {
          int h = m_pos + 1 < m_in.size() ? Hex(m_in[m_pos]) : -1;
          int l = h >= 0 ? Hex(m_in[m_pos + 1]) : -1;
          if (l >= 0) {
            m_pos += 2;
            Emit((unsigned char)(h * 16 + l));
          }
          break;
        }
        default: break;  // \- and unknown symbols
      }
      return;
    }
    std::string word;
    while (m_pos < m_in.size() && isalpha((unsigned char)m_in[m_pos]) && word.size() < 32) word += m_in[m_pos++];
    while (m_pos < m_in.size() && isalpha((unsigned char)m_in[m_pos])) ++m_pos;
    bool hasArg = false, neg = false;
    int64_t arg = 0;
    if (m_pos < m_in.size() && m_in[m_pos] == '-' && m_pos + 1 < m_in.size() && isdigit((unsigned char)m_in[m_pos + 1])) {
      neg = true;
      ++m_pos;
    }
    while (m_pos < m_in.size() && isdigit((unsigned char)m_in[m_pos])) {
      hasArg = true;
      if (arg < 100000000) arg = arg * 10 + (m_in[m_pos] - '0');
      ++m_pos;
    }
    if (neg) arg = -arg;
    if (m_pos < m_in.size() && m_in[m_pos] == ' ') ++m_pos;
    Word(word, hasArg, (int32_t)arg);
  }

  void SetEffect(uint32_t bit, bool on) {
    if (on) m_cur.cf.effects |= bit;
    else m_cur.cf.effects &= ~bit;
    m_cfDirty = true;
  }

  void ApplyFont(int n) {
    auto it = m_fonts.find(n);
    if (it == m_fonts.end()) return;
    m_cur.cf.face = it->second.face;
    m_cur.cf.charset = it->second.charset;
    m_cur.cf.pitch = it->second.pitch;
    m_cfDirty = true;
  }

  void Word(const std::string& w, bool hasArg, int32_t n) {
    Group& g = m_cur;
    bool on = !hasArg || n != 0;
    if (w == "bin") {  // binary data is skipped whole
      m_pos = std::min(m_in.size(), m_pos + (size_t)std::max(0, n));
      return;
    }
    if (g.dest == Dest::Skip) return;
    if (g.dest == Dest::FontTable) {
      static const char* const kFamily[] = {"fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor"};
      if (w == "f") {
        if (!m_font.face.empty()) EndFont();
        m_fontNo = n;
      } else if (w == "fcharset") {
        m_font.charset = (uint8_t)std::clamp(n, 0, 255);
      } else if (w == "fprq") {
        m_font.pitch = (uint8_t)((m_font.pitch & 0xF0) | std::clamp(n, 0, 2));
      } else {
        for (int i = 0; i < 6; ++i)
          if (w == kFamily[i]) m_font.pitch = (uint8_t)((m_font.pitch & 0x0F) | (i << 4));
        if (w == "fbidi" || w == "ftech") m_font.pitch &= 0x0F;
      }
      return;
    }
    if (g.dest == Dest::ColorTable) {
      int v = std::clamp(n, 0, 255);
      if (w == "red") m_rgb = (m_rgb & 0xFFFF00) | (uint32_t)v;
      else if (w == "green") m_rgb = (m_rgb & 0xFF00FF) | ((uint32_t)v << 8);
      else if (w == "blue") m_rgb = (m_rgb & 0x00FFFF) | ((uint32_t)v << 16);
      else return;
      m_rgbSet = true;
      return;
    }
    if (w == "par" || w == "sect" || w == "page") Emit('\r');
    else if (w == "line") Emit('\v');
    else if (w == "tab") Emit('\t');
    else if (w == "emdash") Emit(0x97);
    else if (w == "endash") Emit(0x96);
    else if (w == "bullet") Emit(0x95);
    else if (w == "lquote") Emit(0x91);
    else if (w == "rquote") Emit(0x92);
    else if (w == "ldblquote") Emit(0x93);
    else if (w == "rdblquote") Emit(0x94);
    else if (w == "fonttbl") g.dest = Dest::FontTable;
    else if (w == "colortbl") g.dest = Dest::ColorTable;
    else if (w == "stylesheet" || w == "info" || w == "pict" || w == "object" || w == "header" || w == "footer" ||
             w == "headerl" || w == "headerr" || w == "headerf" || w == "footerl" || w == "footerr" ||
             w == "footerf" || w == "footnote" || w == "fldinst" || w == "listtable" ||
             w == "listoverridetable" || w == "revtbl" || w == "rsidtbl" || w == "xmlnstbl")
      g.dest = Dest::Skip;
    else if (w == "deff") m_deff = n;
    else if (w == "uc") g.uc = std::clamp(n, 0, 16);
    else if (w == "u") {
      int32_t u = n < 0 ? n + 65536 : n;
      int b = ToCp1252(u);
      if (b >= 0) {
        Emit((unsigned char)b);
        m_skipChars = g.uc;  // the fallback text stands for the same character
      }
    } else if (w == "plain") {
      g.cf = m_base;
      if (m_deff >= 0) ApplyFont(m_deff);
      m_cfDirty = true;
    } else if (w == "pard") {
      g.pf = RichParaFormat{};
    } else if (w == "ql") {
      g.pf.align = 1;
    } else if (w == "qr") {
      g.pf.align = 2;
    } else if (w == "qc") {
      g.pf.align = 3;
    } else if (w == "qj") {
      g.pf.align = 4;
    } else if (w == "f") {
      ApplyFont(n);
    } else if (w == "fs") {
      if (hasArg && n > 0) {
        g.cf.height = std::clamp(n, 2, 3276) * 10;
        m_cfDirty = true;
      }
    } else if (w == "b") {
      SetEffect(kBold, on);
    } else if (w == "i") {
      SetEffect(kItalic, on);
    } else if (w == "ulnone") {
      SetEffect(kUnderline, false);
    } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash") {
      SetEffect(kUnderline, on);
    } else if (w == "strike") {
      SetEffect(kStrike, on);
    } else if (w == "protect") {
      SetEffect(kProtected, on);
    } else if (w == "cf") {
      if (n >= 0 && (size_t)n < m_colors.size()) {
        if (m_colors[(size_t)n] == kAuto) {
          g.cf.effects |= kAuto;
        } else {
          g.cf.effects &= ~kAuto;
          g.cf.color = m_colors[(size_t)n];
        }
        m_cfDirty = true;
      } else if (n == 0) {
        g.cf.effects |= kAuto;
        m_cfDirty = true;
      }
    }
    // Every other word is skipped.
  }
};

}  // namespace

bool ReadRtf(const std::string& in, const RichCharFormat& base, RichTextDoc& out) {
  RtfReader r(in, base, out);
  return r.Run();
}

}  // namespace ui
