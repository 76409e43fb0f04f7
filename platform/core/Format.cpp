#include "platform/core/Format.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <utility>

namespace {

// Widths and precisions beyond these come only from broken formats; bounding
// them keeps a stray "%999999999d" from asking for gigabytes.
constexpr int kMaxWidth = 1 << 20;
constexpr int kMaxFloatPrecision = 512;

enum class Size { kNone, kChar, kShort, kLong, kLongLong, kPtr, kLongDouble, kWide };

struct Directive {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alt = false;
  bool zero = false;
  int width = 0;
  int prec = -1;
  Size size = Size::kNone;
};

inline bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Collects output in a stack buffer and hands it to the string in blocks.
struct Sink {
  explicit Sink(std::string& s) : out(s) {}
  std::string& out;
  char buf[256];
  size_t n = 0;

  void flush() {
    out.append(buf, n);
    n = 0;
  }
  void append(const char* p, size_t k) {
    if (n + k > sizeof buf) {
      flush();
      if (k > sizeof buf) {
        out.append(p, k);
        return;
      }
    }
    memcpy(buf + n, p, k);
    n += k;
  }
  void append(size_t k, char c) {
    if (n + k > sizeof buf) {
      flush();
      if (k > sizeof buf) {
        out.append(k, c);
        return;
      }
    }
    memset(buf + n, c, k);
    n += k;
  }
  Sink& operator+=(char c) {
    if (n == sizeof buf) flush();
    buf[n++] = c;
    return *this;
  }
  size_t size() const { return out.size() + n; }
};

// Lays out prefix (sign or 0x), zeros, body and padding as the runtime does.
void Emit(Sink& out, const Directive& s, const char* prefix, size_t prefixLen, size_t zeros, const char* body,
          size_t bodyLen) {
  size_t len = prefixLen + zeros + bodyLen;
  size_t pad = (s.width > 0 && (size_t)s.width > len) ? (size_t)s.width - len : 0;
  if (pad && !s.left && s.zero) {
    zeros += pad;
    pad = 0;
  }
  if (pad && !s.left) out.append(pad, ' ');
  if (prefixLen) out.append(prefix, prefixLen);
  if (zeros) out.append(zeros, '0');
  if (bodyLen) out.append(body, bodyLen);
  if (pad && s.left) out.append(pad, ' ');
}

void FormatInteger(Sink& out, Directive s, uint64_t mag, bool neg, bool isSigned, unsigned base, bool upper) {
  char buf[72];
  char* end = buf + sizeof buf;
  char* p = end;
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  if (base == 10) {
    while (mag >= 10) {
      *--p = (char)('0' + mag % 10);
      mag /= 10;
    }
    if (mag || s.prec != 0) *--p = (char)('0' + mag);
  } else {
    unsigned shift = base == 16 ? 4 : 3;
    uint64_t m = mag;
    do {
      if (m == 0 && s.prec == 0 && p == end) break;
      *--p = digits[m & (base - 1)];
      m >>= shift;
    } while (m);
  }
  size_t n = (size_t)(end - p);
  size_t zeros = 0;
  if (s.prec >= 0) {
    s.zero = false;
    if ((size_t)s.prec > n) zeros = (size_t)s.prec - n;
  }
  char prefix[2];
  size_t prefixLen = 0;
  if (isSigned) {
    if (neg)
      prefix[prefixLen++] = '-';
    else if (s.plus)
      prefix[prefixLen++] = '+';
    else if (s.space)
      prefix[prefixLen++] = ' ';
  } else if (s.alt) {
    if (base == 8 && zeros == 0 && (n == 0 || *p != '0')) zeros = 1;
    if (base == 16 && mag != 0) {
      prefix[prefixLen++] = '0';
      prefix[prefixLen++] = upper ? 'X' : 'x';
    }
  }
  Emit(out, s, prefix, prefixLen, zeros, p, n);
}

// Reads the exponent that to_chars wrote after its 'e' (not terminated).
int ReadExponent(const char* p, const char* end) {
  bool neg = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  int v = 0;
  for (; p < end; ++p) v = v * 10 + (*p - '0');
  return neg ? -v : v;
}

// The exponent as the runtime writes it: a sign and at least three digits.
size_t WriteExponent(char* p, char e, int exp) {
  char* start = p;
  *p++ = e;
  *p++ = exp < 0 ? '-' : '+';
  unsigned u = (unsigned)(exp < 0 ? -exp : exp);
  if (u >= 1000) *p++ = (char)('0' + u / 1000 % 10);
  *p++ = (char)('0' + u / 100 % 10);
  *p++ = (char)('0' + u / 10 % 10);
  *p++ = (char)('0' + u % 10);
  return (size_t)(p - start);
}

// Infinities and NaNs come out as the runtime's pseudo-digits ("1#INF", ...)
// laid out like the number 1.x and rounded character-wise, as it did:
// "%f" gives "1.#INF00", "%.2f" gives "1.#J", "%g" gives "1.#INF".
void FormatSpecial(Sink& out, const Directive& s, char conv, double v) {
  const char* word;
  bool neg = std::signbit(v);
  if (std::isinf(v)) {
    word = "1#INF";
  } else {
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    if (bits == 0xFFF8000000000000ull) {
      word = "1#IND";  // the processor's default NaN, from 0/0 and the like
    } else if (bits & 0x0008000000000000ull) {
      word = "1#QNAN";
    } else {
      word = "1#SNAN";
    }
  }
  int prec = s.prec < 0 ? 6 : (s.prec > kMaxFloatPrecision ? kMaxFloatPrecision : s.prec);
  bool gstyle = conv == 'g' || conv == 'G';
  if (gstyle) prec = (prec == 0 ? 1 : prec) - 1;
  char body[kMaxFloatPrecision + 16];
  size_t wl = strlen(word);
  // Fraction characters: the word after its leading "1", then zeros.
  body[0] = '1';
  size_t n = 1;
  if (prec > 0 || s.alt) body[n++] = '.';
  for (int i = 0; i < prec; ++i) body[n++] = (size_t)(i + 1) < wl ? word[i + 1] : '0';
  char next = (size_t)(prec + 1) < wl ? word[prec + 1] : '0';
  if (next >= '5') {
    // Round up the last fraction character; a digit 9 carries as usual.
    size_t i = n;
    while (i > 0) {
      --i;
      if (body[i] == '.') continue;
      if (body[i] == '9') {
        body[i] = '0';
        continue;
      }
      ++body[i];
      break;
    }
  }
  if (gstyle && !s.alt) {
    while (n > 2 && body[n - 1] == '0') --n;
    if (body[n - 1] == '.') --n;
  }
  if (conv == 'e' || conv == 'E') n += WriteExponent(body + n, conv, 0);
  char prefix[1];
  size_t prefixLen = 0;
  if (neg)
    prefix[prefixLen++] = '-';
  else if (s.plus)
    prefix[prefixLen++] = '+';
  else if (s.space)
    prefix[prefixLen++] = ' ';
  Emit(out, s, prefix, prefixLen, 0, body, n);
}

// Decimal digits of a non-negative double, rounded as the original runtime rounded: correctly,
// except that an exact tie goes away from zero ("%.0f" of 2.5 is "3", "%.5f" of 0.015625 is
// "0.01563"), where the standard conversion would round to even. Stored files depend on it.
char* ToCharsHalfUp(char* first, char* last, double a, std::chars_format fmt, int prec) {
  char* end = std::to_chars(first, last, a, fmt, prec).ptr;
  if (a == 0) return end;
  // A tie at k decimals needs 2a * 10^k to be an odd integer: most values fail that at once and
  // skip the digit probe below.
  int exp2;
  double frac = std::frexp(a, &exp2);
  uint64_t bits = (uint64_t)std::ldexp(frac, 53);
  int lowest = exp2 - 53 + __builtin_ctzll(bits);
  int decimals = prec;
  if (fmt == std::chars_format::scientific) {
    const char* x = (const char*)memchr(first, 'e', (size_t)(end - first));
    decimals = prec - (x ? ReadExponent(x + 1, end) : 0) + 1;  // one more for a rounding carry
  }
  // 2a * 10^k = m * 2^(lowest + 1 + k) * 5^k for odd m: an odd integer only when lowest = -(k + 1), for
  // k below zero as well (the 5s must then divide m). k is `decimals` or, after a carry, one less.
  if (lowest != -(decimals + 1) && lowest != -decimals) return end;
  // A tie needs the digit after the last kept one to be 5 with nothing after it.
  char probe[1200];
  char* pe = std::to_chars(probe, probe + sizeof probe, a, fmt, prec + 1).ptr;
  char* mant = fmt == std::chars_format::scientific ? (char*)memchr(probe, 'e', (size_t)(pe - probe)) : pe;
  if (!mant || mant == probe || mant[-1] != '5') return end;
  char exact[1200];
  // Every double's exact decimal expansion fits in these precisions.
  int full = fmt == std::chars_format::scientific ? 800 : 1100;
  char* xe = std::to_chars(exact, exact + sizeof exact, a, fmt, full).ptr;
  char* xm = fmt == std::chars_format::scientific ? (char*)memchr(exact, 'e', (size_t)(xe - exact)) : xe;
  size_t keep = (size_t)(mant - probe);  // characters up to and including the 5
  for (char* q = exact + keep; q < xm; ++q)
    if (*q != '0') return end;
  // An exact tie: the probe holds the exact digits; drop the 5 and round the rest up.
  size_t len = keep - 1;
  if (len > 0 && probe[len - 1] == '.') --len;
  std::string digits(probe, len);
  int i = (int)digits.size() - 1;
  for (; i >= 0; --i) {
    if (digits[(size_t)i] == '.') continue;
    if (digits[(size_t)i] == '9') {
      digits[(size_t)i] = '0';
      continue;
    }
    ++digits[(size_t)i];
    break;
  }
  std::string expPart = fmt == std::chars_format::scientific ? std::string(mant, pe) : std::string();
  if (i < 0) {
    // Carry out of the first digit: 9.99 -> 10.0 (fixed) or 1.00e+1 (scientific).
    digits.insert(digits.begin(), '1');
    if (fmt == std::chars_format::scientific) {
      size_t dot = digits.find('.');
      if (dot != std::string::npos) {
        digits.erase(dot, 1);
        digits.insert(1, 1, '.');
      }
      digits.pop_back();
      int e = ReadExponent(expPart.data() + 1, expPart.data() + expPart.size()) + 1;
      char eb[16];
      char* ee = std::to_chars(eb, eb + sizeof eb, e < 0 ? -e : e).ptr;
      expPart = std::string("e") + (e < 0 ? "-" : "+") + (ee - eb < 2 ? "0" : "") + std::string(eb, ee);
    }
  }
  std::string out = digits + expPart;
  if ((size_t)(last - first) < out.size()) return end;
  memcpy(first, out.data(), out.size());
  return first + out.size();
}

void FormatFloat(Sink& out, const Directive& s, char conv, double v) {
  if (!std::isfinite(v)) {
    FormatSpecial(out, s, conv, v);
    return;
  }
  bool neg = std::signbit(v);
  double a = std::fabs(v);
  int prec = s.prec < 0 ? 6 : (s.prec > kMaxFloatPrecision ? kMaxFloatPrecision : s.prec);

  char stackBuf[1024];
  // Fixed notation of a large value needs its integer digits as well.
  size_t need = (size_t)prec + 340;
  std::unique_ptr<char[]> heap;
  char* buf = stackBuf;
  if (need > sizeof stackBuf) {
    heap.reset(new char[need]);
    buf = heap.get();
  }
  char* bend = buf + need;
  size_t n = 0;

  switch (conv) {
    case 'f':
    case 'F': {
      n = (size_t)(ToCharsHalfUp(buf, bend, a, std::chars_format::fixed, prec) - buf);
      if (prec == 0 && s.alt) buf[n++] = '.';
      break;
    }
    case 'e':
    case 'E': {
      char* e = ToCharsHalfUp(buf, bend, a, std::chars_format::scientific, prec);
      char* x = (char*)memchr(buf, 'e', (size_t)(e - buf));
      int exp = x ? ReadExponent(x + 1, e) : 0;
      n = x ? (size_t)(x - buf) : (size_t)(e - buf);
      if (prec == 0 && s.alt) buf[n++] = '.';
      n += WriteExponent(buf + n, conv, exp);
      break;
    }
    case 'g':
    case 'G': {
      int p = prec == 0 ? 1 : prec;
      // Round once to p significant digits, then lay those digits out.
      char sci[kMaxFloatPrecision + 16];
      char* e = ToCharsHalfUp(sci, sci + sizeof sci, a, std::chars_format::scientific, p - 1);
      char* x = (char*)memchr(sci, 'e', (size_t)(e - sci));
      int exp = x ? ReadExponent(x + 1, e) : 0;
      char digits[kMaxFloatPrecision + 2];
      digits[0] = '0';
      int nd = 0;
      for (char* q = sci; q < (x ? x : e); ++q)
        if (IsDigit((unsigned char)*q)) digits[nd++] = *q;
      if (p > exp && exp >= -4) {
        if (exp >= 0) {
          for (int i = 0; i <= exp; ++i) buf[n++] = i < nd ? digits[i] : '0';
          if (nd > exp + 1 || s.alt) buf[n++] = '.';
          for (int i = exp + 1; i < nd; ++i) buf[n++] = digits[i];
        } else {
          buf[n++] = '0';
          buf[n++] = '.';
          for (int i = 0; i < -exp - 1; ++i) buf[n++] = '0';
          for (int i = 0; i < nd; ++i) buf[n++] = digits[i];
        }
        if (!s.alt && memchr(buf, '.', n)) {
          while (buf[n - 1] == '0') --n;
          if (buf[n - 1] == '.') --n;
        }
      } else {
        buf[n++] = digits[0];
        if (nd > 1 || s.alt) buf[n++] = '.';
        for (int i = 1; i < nd; ++i) buf[n++] = digits[i];
        if (!s.alt) {
          while (buf[n - 1] == '0') --n;
          if (buf[n - 1] == '.') --n;
        }
        n += WriteExponent(buf + n, conv == 'G' ? 'E' : 'e', exp);
      }
      break;
    }
    default: {  // 'a', 'A': hexadecimal mantissa with a binary exponent
      buf[n++] = '0';
      buf[n++] = conv == 'A' ? 'X' : 'x';
      char* e = s.prec < 0 ? std::to_chars(buf + n, bend, a, std::chars_format::hex).ptr
                           : std::to_chars(buf + n, bend, a, std::chars_format::hex, prec).ptr;
      size_t m = (size_t)(e - buf);
      if (conv == 'A')
        for (size_t i = n; i < m; ++i)
          if (buf[i] >= 'a' && buf[i] <= 'z') buf[i] = (char)(buf[i] - 32);
      n = m;
      break;
    }
  }
  char prefix[1];
  size_t prefixLen = 0;
  if (neg)
    prefix[prefixLen++] = '-';
  else if (s.plus)
    prefix[prefixLen++] = '+';
  else if (s.space)
    prefix[prefixLen++] = ' ';
  Emit(out, s, prefix, prefixLen, 0, buf, n);
}

void FormatText(Sink& out, Directive s, const char* text, size_t len) {
  s.zero = s.zero && !s.left;  // the runtime pads strings with zeros too when asked
  Emit(out, s, nullptr, 0, 0, text, len);
}

int ReadNumber(const char*& f) {
  int v = 0;
  while (IsDigit((unsigned char)*f)) {
    if (v < kMaxWidth) v = v * 10 + (*f - '0');
    ++f;
  }
  return v > kMaxWidth ? kMaxWidth : v;
}

void ReadFlags(const char*& f, Directive& s) {
  for (;; ++f) {
    if (*f == '-')
      s.left = true;
    else if (*f == '+')
      s.plus = true;
    else if (*f == ' ')
      s.space = true;
    else if (*f == '#')
      s.alt = true;
    else if (*f == '0')
      s.zero = true;
    else
      break;
  }
}

// The size prefix of a directive, for printing and scanning alike; f ends after it.
template <class Char>
inline Size ReadSizePrefix(const Char*& f) {
  switch (*f) {
    case 'h':
      ++f;
      if (*f == 'h') {
        ++f;
        return Size::kChar;
      }
      return Size::kShort;
    case 'l':
      ++f;
      if (*f == 'l') {
        ++f;
        return Size::kLongLong;
      }
      return Size::kLong;
    case 'L':
      ++f;
      return Size::kLongDouble;
    case 'w':
      ++f;
      return Size::kWide;
    case 'q':
    case 'j':
      ++f;
      return Size::kLongLong;
    case 'z':
    case 't':
      ++f;
      return Size::kPtr;
    case 'I':
      if (f[1] == '6' && f[2] == '4') {
        f += 3;
        return Size::kLongLong;
      }
      if (f[1] == '3' && f[2] == '2') {
        f += 3;
        return Size::kLong;
      }
      ++f;
      return Size::kPtr;
    default:
      return Size::kNone;
  }
}

// A wide string narrowed, characters past 0xFF as '?', cut at the precision.
void FormatWideText(Sink& out, const Directive& s, const wchar_t* w) {
  std::string narrow;
  for (size_t i = 0; w[i] && (s.prec < 0 || i < (size_t)s.prec); ++i)
    narrow += (char)((unsigned)w[i] > 0xFF ? '?' : w[i]);
  FormatText(out, s, narrow.data(), narrow.size());
}

// What %n stores: the count written so far.
void StoreCount(void* p, Size size, size_t written) {
  if (!p) return;
  if (size == Size::kShort)
    *static_cast<int16_t*>(p) = (int16_t)written;
  else if (size == Size::kLongLong)
    *static_cast<int64_t*>(p) = (int64_t)written;
  else if (size == Size::kChar)
    *static_cast<signed char*>(p) = (signed char)written;
  else
    *static_cast<int32_t*>(p) = (int32_t)written;
}

}  // namespace

void FormatAppendFloat(std::string& str, double v, char conv, int prec) {
  if ((conv == 'e' || conv == 'E') && prec >= 0 && prec <= 40 && std::isfinite(v)) {
    // The plain directive needs no padding, flags or sink: the digits and the exponent only.
    char buf[80];
    char* e = ToCharsHalfUp(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, prec);
    char* x = (char*)memchr(buf, 'e', (size_t)(e - buf));
    int exp = x ? ReadExponent(x + 1, e) : 0;
    size_t n = x ? (size_t)(x - buf) : (size_t)(e - buf);
    n += WriteExponent(buf + n, conv, exp);
    if (std::signbit(v)) str += '-';
    str.append(buf, n);
    return;
  }
  Sink out(str);
  Directive s;
  s.prec = prec;
  FormatFloat(out, s, conv, v);
  out.flush();
}

int FormatAppendV(std::string& str, const char* fmt, va_list args) {
  if (!fmt) return 0;
  size_t start = str.size();
  Sink out(str);
  const char* f = fmt;
  for (;;) {
    const char* lit = f;
    while (*f && *f != '%') ++f;
    if (f != lit) out.append(lit, (size_t)(f - lit));
    if (!*f) break;
    const char* directive = f++;
    Directive s;
    ReadFlags(f, s);
    if (*f == '*') {
      ++f;
      int w = va_arg(args, int);
      if (w < 0) {
        s.left = true;
        w = w == INT_MIN ? kMaxWidth : -w;
      }
      s.width = w > kMaxWidth ? kMaxWidth : w;
    } else {
      s.width = ReadNumber(f);
    }
    if (*f == '.') {
      ++f;
      if (*f == '*') {
        ++f;
        int p = va_arg(args, int);
        s.prec = p < 0 ? -1 : (p > kMaxWidth ? kMaxWidth : p);
      } else {
        s.prec = ReadNumber(f);
      }
    }
    s.size = ReadSizePrefix(f);
    char conv = *f;
    if (!conv) break;  // a directive cut off by the end of the format prints nothing
    ++f;
    switch (conv) {
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        bool isSigned = conv == 'd' || conv == 'i';
        uint64_t u;
        switch (s.size) {
          case Size::kChar:
            u = isSigned ? (uint64_t)(int64_t)(signed char)va_arg(args, int) : (unsigned char)va_arg(args, int);
            break;
          case Size::kShort:
            u = isSigned ? (uint64_t)(int64_t)(int16_t)va_arg(args, int) : (uint16_t)va_arg(args, int);
            break;
          case Size::kLongLong:
          case Size::kLongDouble:
            u = (uint64_t)va_arg(args, long long);
            break;
          case Size::kPtr:
            u = isSigned ? (uint64_t)(int64_t)va_arg(args, intptr_t) : (uint64_t)va_arg(args, uintptr_t);
            break;
          default:  // int, and `l`: 32 bits as the original runtime's long
            u = isSigned ? (uint64_t)(int64_t)va_arg(args, int32_t) : (uint64_t)va_arg(args, uint32_t);
            break;
        }
        bool neg = isSigned && (int64_t)u < 0;
        uint64_t mag = neg ? 0 - u : u;
        unsigned base = (conv == 'o') ? 8 : (conv == 'x' || conv == 'X') ? 16 : 10;
        FormatInteger(out, s, mag, neg, isSigned, base, conv == 'X');
        break;
      }
      case 'p': {
        Directive ps = s;
        ps.prec = (int)(2 * sizeof(void*));
        ps.alt = false;
        FormatInteger(out, ps, (uint64_t)(uintptr_t)va_arg(args, void*), false, false, 16, true);
        break;
      }
      case 'e':
      case 'E':
      case 'f':
      case 'F':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        double v = s.size == Size::kLongDouble ? (double)va_arg(args, long double) : va_arg(args, double);
        FormatFloat(out, s, conv, v);
        break;
      }
      case 'c':
      case 'C': {
        int c = va_arg(args, int);
        bool wide = s.size == Size::kLong || s.size == Size::kWide || conv == 'C';
        char ch = (char)(wide && (unsigned)c > 0xFF ? '?' : c);
        s.prec = -1;
        FormatText(out, s, &ch, 1);
        break;
      }
      case 's':
      case 'S': {
        bool wide = s.size == Size::kLong || s.size == Size::kWide || conv == 'S';
        if (wide) {
          const wchar_t* w = va_arg(args, const wchar_t*);
          FormatWideText(out, s, w ? w : L"(null)");
        } else {
          const char* t = va_arg(args, const char*);
          if (!t) t = "(null)";
          size_t len = s.prec < 0 ? strlen(t) : strnlen(t, (size_t)s.prec);
          FormatText(out, s, t, len);
        }
        break;
      }
      case 'n': {
        void* p = va_arg(args, void*);
        StoreCount(p, s.size, out.size() - start);
        break;
      }
      case '%':
        out += '%';
        break;
      default:
        // Not a conversion: the text stands as written.
        out.append(directive, (size_t)(f - directive));
        break;
    }
  }
  out.flush();
  return (int)(str.size() - start);
}

std::string FormatStringC(const char* fmt, ...) {
  std::string s;
  va_list a;
  va_start(a, fmt);
  FormatAppendV(s, fmt, a);
  va_end(a);
  return s;
}

int _vsnprintf(char* buf, size_t count, const char* fmt, va_list args) {
  std::string s;
  FormatAppendV(s, fmt, args);
  if (!buf) return count ? -1 : (int)s.size();
  if (s.size() > count) {
    if (count) memcpy(buf, s.data(), count);
    return -1;
  }
  memcpy(buf, s.data(), s.size());
  if (s.size() < count) buf[s.size()] = 0;
  return (int)s.size();
}

int _snprintfC(char* buf, size_t count, const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  int n = _vsnprintf(buf, count, fmt, a);
  va_end(a);
  return n;
}

int wsprintfC(char* buf, const char* fmt, ...) {
  std::string s;
  va_list a;
  va_start(a, fmt);
  FormatAppendV(s, fmt, a);
  va_end(a);
  if (!buf) return 0;
  if (s.size() > 1023) s.resize(1023);
  memcpy(buf, s.c_str(), s.size() + 1);
  return (int)s.size();
}

// ---------------------------------------------------------------------------
// Scanning

namespace {

inline bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline int DigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads an integer of at most `avail` characters; base 0 decides by prefix as
// %i does (0x hexadecimal, leading 0 octal). Values wrap as the runtime's did.
bool ScanInteger(const unsigned char*& in, size_t avail, unsigned base, uint64_t& value) {
  const unsigned char* p = in;
  bool neg = false;
  if (avail && (*p == '+' || *p == '-')) {
    neg = *p == '-';
    ++p;
    --avail;
  }
  bool digits = false;
  if ((base == 0 || base == 16) && avail && *p == '0') {
    if (avail >= 3 && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2]) < 16) {
      p += 2;
      avail -= 2;
      base = 16;
    } else if (base == 0) {
      base = 8;
    }
  }
  if (base == 0) base = 10;
  uint64_t v = 0;
  while (avail) {
    int d = DigitValue(*p);
    if (d >= (int)base) break;
    v = v * base + (unsigned)d;
    digits = true;
    ++p;
    --avail;
  }
  if (!digits) return false;
  value = neg ? 0 - v : v;
  in = p;
  return true;
}

// Reads [sign] digits [. digits] [e [sign] digits]; an exponent mark without
// digits after it is left unread, so "1.5e" reads 1.5.
bool ScanFloat(const unsigned char*& in, size_t avail, double& value) {
  const unsigned char* p = in;
  bool neg = false;
  if (avail && (*p == '+' || *p == '-')) {
    neg = *p == '-';
    ++p;
    --avail;
  }
  const unsigned char* num = p;
  size_t mant = 0;
  while (avail && IsDigit(*p)) ++p, --avail, ++mant;
  if (avail && *p == '.') {
    ++p;
    --avail;
    while (avail && IsDigit(*p)) ++p, --avail, ++mant;
  }
  if (!mant) return false;
  if (avail >= 2 && (*p == 'e' || *p == 'E')) {
    size_t k = 1;
    if (p[1] == '+' || p[1] == '-') ++k;
    if (k < avail && IsDigit(p[k])) {
      p += k;
      avail -= k;
      while (avail && IsDigit(*p)) ++p, --avail;
    }
  }
  const char* b = reinterpret_cast<const char*>(num);
  const char* e = reinterpret_cast<const char*>(p);
  double v = 0;
  auto r = std::from_chars(b, e, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range || r.ptr != e) {
    std::string copy(b, e);
    v = strtod(copy.c_str(), nullptr);
  }
  value = neg ? -v : v;
  in = p;
  return true;
}

void StoreInteger(void* p, Size size, uint64_t v) {
  if (!p) return;
  switch (size) {
    case Size::kChar:
      *static_cast<signed char*>(p) = (signed char)v;
      break;
    case Size::kShort:
      *static_cast<int16_t*>(p) = (int16_t)v;
      break;
    case Size::kLongLong:
    case Size::kLongDouble:
      *static_cast<int64_t*>(p) = (int64_t)v;
      break;
    case Size::kPtr:
      *static_cast<intptr_t*>(p) = (intptr_t)v;
      break;
    default:  // int, and `l`: LONG/DWORD, 32 bits
      *static_cast<int32_t*>(p) = (int32_t)v;
      break;
  }
}

void StoreFloat(void* p, Size size, double v) {
  if (!p) return;
  if (size == Size::kLong || size == Size::kLongLong)
    *static_cast<double*>(p) = v;
  else if (size == Size::kLongDouble)
    *static_cast<long double*>(p) = v;
  else
    *static_cast<float*>(p) = (float)v;
}

// The characters of a %[ set; f is after the '[' and ends after the ']'. False without a closing bracket.
bool ReadScanSet(const unsigned char*& f, bool (&set)[256]) {
  bool negate = false;
  if (*f == '^') {
    negate = true;
    ++f;
  }
  const unsigned char* first = f;
  while (*f && (*f != ']' || f == first)) {
    if (f[1] == '-' && f[2] && f[2] != ']') {
      unsigned char lo = f[0], hi = f[2];
      if (lo > hi) std::swap(lo, hi);
      for (unsigned c = lo; c <= hi; ++c) set[c] = true;
      f += 3;
    } else {
      set[*f++] = true;
    }
  }
  if (!*f) return false;
  ++f;
  if (negate)
    for (bool& b : set) b = !b;
  set[0] = false;
  return true;
}

// Takes the run of at most avail characters a %c (any) or %s and %[ (those in set) take, storing
// them into p unless null, a string ended by a zero; returns how many it took.
size_t TakeChars(const unsigned char* in, size_t avail, bool isChars, const bool (&set)[256], void* p, bool wide) {
  size_t n = 0;
  while (n < avail && in[n] && (isChars || set[in[n]])) {
    if (p) {
      if (wide)
        static_cast<wchar_t*>(p)[n] = (wchar_t)in[n];
      else
        static_cast<char*>(p)[n] = (char)in[n];
    }
    ++n;
  }
  if (n && p && !isChars) {
    if (wide)
      static_cast<wchar_t*>(p)[n] = 0;
    else
      static_cast<char*>(p)[n] = 0;
  }
  return n;
}

}  // namespace

int ScanStringV(const char* input, const char* fmt, va_list args) {
  if (!input || !fmt) return -1;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(input);
  const unsigned char* f = reinterpret_cast<const unsigned char*>(fmt);
  int assigned = 0;
  bool converted = false;
  // Input ended before the first conversion: EOF, else what was assigned.
  auto inputFailure = [&]() { return converted ? assigned : -1; };

  while (*f) {
    if (IsSpace(*f)) {
      while (IsSpace(*f)) ++f;
      while (IsSpace(*in)) ++in;
      continue;
    }
    if (*f != '%' || f[1] == '%') {
      if (*f == '%') {
        ++f;
        while (IsSpace(*in)) ++in;
      }
      if (!*in) return inputFailure();
      if (*in != *f) return assigned;
      ++in;
      ++f;
      continue;
    }
    ++f;
    bool suppress = false;
    if (*f == '*') {
      suppress = true;
      ++f;
    }
    size_t width = 0;
    while (IsDigit(*f)) {
      if (width < (size_t)kMaxWidth) width = width * 10 + (*f - '0');
      ++f;
    }
    const Size size = ReadSizePrefix(f);
    unsigned char conv = *f;
    if (!conv) return assigned;  // a directive cut off by the end of the format
    ++f;

    if (conv == 'n') {
      void* p = suppress ? nullptr : va_arg(args, void*);
      StoreInteger(p, size, (uint64_t)(in - reinterpret_cast<const unsigned char*>(input)));
      continue;
    }
    if (conv != 'c' && conv != 'C' && conv != '[')
      while (IsSpace(*in)) ++in;
    if (!*in) return inputFailure();
    size_t avail = width ? width : SIZE_MAX;

    switch (conv) {
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X':
      case 'p': {
        unsigned base = conv == 'i' ? 0 : conv == 'o' ? 8 : (conv == 'x' || conv == 'X' || conv == 'p') ? 16 : 10;
        uint64_t v;
        if (!ScanInteger(in, avail, base, v)) return assigned;
        converted = true;
        if (!suppress) {
          if (conv == 'p')
            *va_arg(args, void**) = reinterpret_cast<void*>((uintptr_t)v);
          else
            StoreInteger(va_arg(args, void*), size, v);
          ++assigned;
        }
        break;
      }
      case 'e':
      case 'E':
      case 'f':
      case 'F':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        double v;
        if (!ScanFloat(in, avail, v)) return assigned;
        converted = true;
        if (!suppress) {
          StoreFloat(va_arg(args, void*), size, v);
          ++assigned;
        }
        break;
      }
      case 'c':
      case 'C':
      case 's':
      case 'S':
      case '[': {
        bool wide = size == Size::kLong || size == Size::kWide || conv == 'C' || conv == 'S';
        bool set[256] = {};
        if (conv == '[') {
          if (!ReadScanSet(f, set)) return assigned;
        } else if (conv == 's' || conv == 'S') {
          for (unsigned c = 1; c < 256; ++c) set[c] = !IsSpace((unsigned char)c);
        }
        bool isChars = conv == 'c' || conv == 'C';
        if (isChars && !width) avail = 1;
        void* p = suppress ? nullptr : va_arg(args, void*);
        const size_t n = TakeChars(in, avail, isChars, set, p, wide);
        if (!n) return assigned;
        in += n;
        converted = true;
        if (p) ++assigned;
        break;
      }
      default:
        // Not a conversion: stop as at a mismatch.
        return assigned;
    }
  }
  return assigned;
}

bool ScanDoubleField(const char* input, double& v) {
  if (!input) return false;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(input);
  while (IsSpace(*in)) ++in;
  return *in && ScanFloat(in, SIZE_MAX, v);
}

bool ScanUShortField(const char* input, unsigned short& v) {
  if (!input) return false;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(input);
  while (IsSpace(*in)) ++in;
  uint64_t value;
  if (!*in || !ScanInteger(in, SIZE_MAX, 10, value)) return false;
  v = (unsigned short)(int16_t)value;
  return true;
}

int ScanString(const char* input, const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  int n = ScanStringV(input, fmt, a);
  va_end(a);
  return n;
}
