#include "plot/curves/AxisScale.h"

#include "plot/graph/GraphWindow.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

double QW_FRound(double x) { return x >= 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5); }

int QW_Round(double x) {
  double r = QW_FRound(x);
  if (!(r >= -32768.0)) return -32768;  // also NaN
  if (r > 32767.0) return 32767;
  return (int)r;
}

DWORD QW_Atox(const char* text) {
  if (!text || !*text) return 0;
  int n = (int)std::strlen(text);
  DWORD value = 0;
  int shift = 0;
  for (int i = n - 1; i >= 0; --i) {
    char c = text[i];
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) {
      bool prefix = (c == 'x' || c == 'X') && i <= 1 && (text[0] == '0' || text[0] == 'x' || text[0] == 'X');
      return prefix ? value : 0;
    }
    if (shift < 32) value |= (DWORD)d << shift;
    shift += 4;
  }
  return value;
}

double PowerOfTen(int e) {
  double r = 1.0;
  for (; e > 0; --e) r *= 10;
  for (; e < 0; ++e) r *= (double)0.1f;
  return r;
}

int SplitMantissaExponent(double v, double* mantissa, int* exponent) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%e", v);
  char* e = std::strchr(buf, 'e');
  int exp = e ? std::atoi(e + 1) : 0;
  if (e) *e = 0;
  if (mantissa) *mantissa = std::atof(buf);
  if (exponent) *exponent = exp;
  return exp;
}

double NiceAxisStep(double m, unsigned n) {
  static const float kSteps[] = {0.001f, 0.002f, 0.0025f, 0.005f, 0.0075f, 0.01f, 0.02f, 0.025f,
                                 0.05f,  0.075f, 0.1f,    0.2f,   0.25f,   0.5f,  0.75f, 1.0f,
                                 1.5f,   2.0f,   2.5f,    5.0f,   7.5f,    8.0f,  9.0f,  9.5f};
  double q = m / (n + 1.0);
  if (q > 9.5) return 9.5;
  for (float s : kSteps)
    if (s >= q) return s;
  return 0;
}

double ComputeAxisScale(double min, double max, unsigned n, int* exponent, double* offset) {
  double m;
  int e = SplitMantissaExponent(max - min, &m, nullptr);
  double step = NiceAxisStep(m, n) * PowerOfTen(e);
  int shown = e;
  if (e >= 3)
    shown = e - e % 3;
  else if (e <= -3)
    shown = e + (-e) % 3;
  if (exponent) *exponent = shown;
  if (offset) *offset = std::fabs(min) > step ? std::fmod(-min, step) : -min;
  return step;
}

void TrimNumberString(char* text) {
  if (!text || !*text) return;
  std::string s = text, mant = s, exp;
  size_t e = s.rfind('e');
  if (e != std::string::npos && e != 0 && s.find('e') != 0) {
    mant = s.substr(0, e);
    exp = s.substr(e + 1);
  }
  if (mant.find('.') != std::string::npos) {
    while (!mant.empty() && mant.back() == '0') mant.pop_back();
    if (!mant.empty() && mant.back() == '.') mant.pop_back();
  }
  size_t i = 0;
  bool negative = false;
  if (i < exp.size() && exp[i] == '-') negative = true, ++i;
  while (i < exp.size() && (exp[i] == '0' || exp[i] == '+')) ++i;
  if (i < exp.size()) mant += std::string("e") + (negative ? "-" : "") + exp.substr(i);
  std::strcpy(text, mant.c_str());
}
