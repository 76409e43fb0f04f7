// Fonts, text output, alignment, DrawText layout and measurement.
#include "GdiTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace gditest;

namespace {

CFont* MakeFont(CFont& f, const char* face, int height, int weight = FW_NORMAL, int escapement = 0) {
  LOGFONT lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfEscapement = escapement;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  f.CreateFontIndirect(&lf);
  return &f;
}

}  // namespace

TEST(GdiText, MonospaceExtentIsCharacterCountTimesWidth) {
  Canvas c;
  CFont f;
  c.dc.SelectObject(MakeFont(f, "Courier New", -13));
  CSize one = c.dc.GetTextExtent("W", 1);
  EXPECT_GT(one.cx, 0);
  for (int n : {1, 7, 20, 33}) {
    CString s('x', n);
    EXPECT_EQ(c.dc.GetTextExtent(s).cx, n * one.cx) << n;
  }
  TEXTMETRIC tm;
  ASSERT_TRUE(c.dc.GetTextMetrics(&tm));
  EXPECT_EQ(tm.tmAveCharWidth, one.cx);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // the bit is clear for fixed pitch
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(one.cy, tm.tmHeight);
  CString face;
  c.dc.GetTextFace(face);
  EXPECT_EQ(face, "Courier New");
  // A fixed-pitch request gives the monospace face, whatever face it names.
  for (const char* name : {"No Such Face At All", "Arial", "Times New Roman", "MS Sans Serif"}) {
    LOGFONT lf{};
    lf.lfHeight = -13;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::strcpy(lf.lfFaceName, name);
    CFont g;
    g.CreateFontIndirect(&lf);
    c.dc.SelectObject(&g);
    EXPECT_EQ(c.dc.GetTextExtent("iWmW", 4).cx, 4 * one.cx) << name;
    c.dc.GetTextMetrics(&tm);
    EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << name;
    c.dc.SelectObject(CFont::FromHandle((HFONT)GetStockObject(SYSTEM_FONT)));
  }
}

TEST(GdiText, MetricsOfProportionalFacesAndHeights) {
  Canvas c;
  CFont a, v, t;
  c.dc.SelectObject(MakeFont(a, "Arial", -16));
  TEXTMETRIC tm;
  c.dc.GetTextMetrics(&tm);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 16);  // negative heights are character heights
  EXPECT_NE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
  EXPECT_GT(c.dc.GetTextExtent("WWWW", 4).cx, c.dc.GetTextExtent("iiii", 4).cx);
  // Verdana maps to the same face as Arial.
  c.dc.SelectObject(MakeFont(v, "Verdana", -16));
  EXPECT_EQ(c.dc.GetTextExtent("Hello", 5), [&] {
    CFont x;
    Canvas d;
    d.dc.SelectObject(MakeFont(x, "Arial", -16));
    return d.dc.GetTextExtent("Hello", 5);
  }());
  // Positive heights are cell heights.
  c.dc.SelectObject(MakeFont(t, "Times New Roman", 20));
  c.dc.GetTextMetrics(&tm);
  EXPECT_EQ(tm.tmHeight, 20);
  // Bold is wider.
  CFont n, b;
  c.dc.SelectObject(MakeFont(n, "Arial", -20));
  int wn = c.dc.GetTextExtent("Bold text", 9).cx;
  c.dc.SelectObject(MakeFont(b, "Arial", -20, FW_BOLD));
  EXPECT_GT(c.dc.GetTextExtent("Bold text", 9).cx, wn);
  // The stock fonts carry the faces callers read back.
  LOGFONT lf;
  GetObject(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
  EXPECT_STREQ(lf.lfFaceName, "System");
  GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
  EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
  // Face names keep up to 31 characters.
  LOGFONT lng{};
  std::memset(lng.lfFaceName, 'A', sizeof(lng.lfFaceName));
  CFont lf2;
  ASSERT_TRUE(lf2.CreateFontIndirect(&lng));
  LOGFONT back;
  lf2.GetLogFont(&back);
  EXPECT_EQ(std::strlen(back.lfFaceName), 31u);
}

TEST(GdiText, TextOutDrawsInkInTheTextBoxAndHonoursAlignment) {
  Canvas c(300, 120);
  CFont f;
  c.dc.SelectObject(MakeFont(f, "Arial", -20));
  c.dc.SetBkMode(TRANSPARENT);
  CSize ext = c.dc.GetTextExtent("Hello", 5);
  TEXTMETRIC tm;
  c.dc.GetTextMetrics(&tm);
  c.dc.TextOut(10, 10, "Hello", 5);
  CRect ink = c.InkBox();
  ASSERT_FALSE(ink.IsRectEmpty());
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.right, 10 + ext.cx + 1);
  EXPECT_LE(ink.bottom, 10 + tm.tmHeight);
  // Baseline alignment: the ink of "H" ends on the baseline.
  Canvas b(300, 120);
  b.dc.SelectObject(MakeFont(f, "Arial", -20));
  b.dc.SetTextAlign(TA_BASELINE | TA_CENTER);
  b.dc.SetBkMode(TRANSPARENT);
  b.dc.TextOut(150, 60, "H", 1);
  CRect h = b.InkBox();
  EXPECT_NEAR(h.bottom, 60, 1);
  EXPECT_NEAR((h.left + h.right) / 2.0, 150, 1.5);
  // Right alignment ends at the reference point.
  Canvas r(300, 120);
  r.dc.SelectObject(MakeFont(f, "Arial", -20));
  r.dc.SetTextAlign(TA_RIGHT | TA_TOP);
  r.dc.SetBkMode(TRANSPARENT);
  r.dc.TextOut(200, 10, "Hello", 5);
  EXPECT_LE(r.InkBox().right, 201);
  EXPECT_GE(r.InkBox().right, 195);
  // Opaque background fills the text cell with the background colour.
  Canvas o(300, 120);
  o.dc.SelectObject(MakeFont(f, "Arial", -20));
  o.dc.SetBkColor(kBlue);
  o.dc.TextOut(10, 10, "  ", 2);
  EXPECT_EQ(o.At(11, 11), kBlue);
  EXPECT_EQ(o.InkBox(), CRect(10, 10, 10 + o.dc.GetTextExtent("  ", 2).cx, 10 + tm.tmHeight));
  c.Save("textout");
}

TEST(GdiText, ExtTextOutOpaqueClippedAndEmpty) {
  Canvas c;
  CFont f;
  c.dc.SelectObject(MakeFont(f, "Arial", -20));
  c.dc.SetBkColor(RGB(0, 255, 0));
  CRect r(10, 10, 60, 30);
  // Empty text with ETO_OPAQUE is a fill.
  ASSERT_TRUE(c.dc.ExtTextOut(0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr));
  EXPECT_EQ(c.At(10, 10), RGB(0, 255, 0));
  EXPECT_EQ(c.At(59, 29), RGB(0, 255, 0));
  EXPECT_EQ(c.At(60, 29), kWhite);
  // Clipped text leaves nothing outside its rectangle.
  c.dc.SetBkMode(TRANSPARENT);
  CRect clip(100, 10, 110, 40);
  c.dc.ExtTextOut(95, 10, ETO_CLIPPED, &clip, "WWWWW", 5, nullptr);
  CRect ink = c.InkBox();
  EXPECT_EQ(c.Ink(0, 0, 100, 150) - c.Ink(0, 0, 60, 30), 0);
  EXPECT_EQ(c.Ink(110, 0, 200, 150), 0);
  EXPECT_GT(c.Ink(100, 10, 110, 40), 0);
  (void)ink;
  // Explicit character widths place the characters.
  Canvas d;
  d.dc.SelectObject(MakeFont(f, "Arial", -20));
  d.dc.SetBkMode(TRANSPARENT);
  int dx[3] = {40, 40, 40};
  d.dc.ExtTextOut(0, 0, 0, nullptr, "lll", 3, dx);
  EXPECT_GT(d.Ink(0, 0, 20, 30), 0);
  EXPECT_GT(d.Ink(40, 0, 60, 30), 0);
  EXPECT_EQ(d.Ink(20, 0, 40, 30), 0);
  // Null text without a rectangle draws nothing; negative counts are refused.
  EXPECT_FALSE(d.dc.TextOut(0, 0, nullptr, 3));
  EXPECT_FALSE(d.dc.TextOut(0, 0, "abc", -1));
}

TEST(GdiText, DrawTextCalcRectMatchesDrawing) {
  const char* text = "The quick brown fox jumps over the lazy dog again and again";
  Canvas c(300, 200);
  CFont f;
  c.dc.SelectObject(MakeFont(f, "Arial", -14));
  c.dc.SetBkMode(TRANSPARENT);
  CRect calc(10, 10, 110, 10);
  int h = c.dc.DrawText(text, -1, &calc, DT_CALCRECT | DT_WORDBREAK);
  TEXTMETRIC tm;
  c.dc.GetTextMetrics(&tm);
  EXPECT_EQ(h, calc.Height());
  EXPECT_EQ(calc.Height() % tm.tmHeight, 0);
  EXPECT_GT(calc.Height() / tm.tmHeight, 2);
  EXPECT_EQ(calc.left, 10);
  EXPECT_EQ(calc.top, 10);
  EXPECT_LE(calc.Width(), 100);
  // Drawing in a tall rectangle of the same width puts all ink inside the computed one.
  CRect big(10, 10, 110, 190);
  EXPECT_EQ(c.dc.DrawText(text, -1, &big, DT_WORDBREAK), h);
  CRect ink = c.InkBox();
  EXPECT_GE(ink.top, calc.top);
  EXPECT_LE(ink.bottom, calc.bottom);
  EXPECT_GE(ink.left, calc.left);
  EXPECT_LE(ink.right, calc.right);
  EXPECT_GT(ink.bottom, calc.bottom - tm.tmHeight);  // the last line is used
  c.Save("drawtext");
  // Single line: the rectangle is the text's extent.
  CRect one(0, 0, 0, 0);
  c.dc.DrawText("Hello", -1, &one, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(one.Size(), c.dc.GetTextExtent("Hello", 5));
  // External leading adds to each line.
  CRect el(0, 0, 0, 0);
  int he = c.dc.DrawText("a\nb", -1, &el, DT_CALCRECT | DT_EXTERNALLEADING);
  EXPECT_EQ(he, 2 * (tm.tmHeight + tm.tmExternalLeading));
  // Prefix characters are hidden unless DT_NOPREFIX.
  CRect p1(0, 0, 0, 0), p2(0, 0, 0, 0);
  c.dc.DrawText("&File", -1, &p1, DT_CALCRECT | DT_SINGLELINE);
  c.dc.DrawText("File", -1, &p2, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(p1.Width(), p2.Width());
  c.dc.DrawText("&File", -1, &p1, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(p1.Width(), p2.Width());
  // Tabs expand to eight average character widths.
  CRect t(0, 0, 0, 0);
  c.dc.DrawText("\tx", -1, &t, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(t.Width(), 8 * tm.tmAveCharWidth + c.dc.GetTextExtent("x", 1).cx);
}

TEST(GdiText, DrawTextAlignmentEllipsisAndBadInput) {
  Canvas c(300, 100);
  CFont f;
  c.dc.SelectObject(MakeFont(f, "Arial", -14));
  c.dc.SetBkMode(TRANSPARENT);
  CRect r(0, 0, 300, 100);
  int ret = c.dc.DrawText("Mid", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  CRect ink = c.InkBox();
  CSize ext = c.dc.GetTextExtent("Mid", 3);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 150, 2);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 50, 4);
  EXPECT_EQ(ret, (100 - ext.cy) / 2 + ext.cy);
  Canvas b(300, 100);
  b.dc.SelectObject(&f);
  b.dc.SetBkMode(TRANSPARENT);
  b.dc.DrawText("Right", -1, &r, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
  EXPECT_LE(b.InkBox().right, 300);
  EXPECT_GE(b.InkBox().right, 295);
  EXPECT_LE(b.InkBox().bottom, 100);
  EXPECT_GE(b.InkBox().top, 100 - ext.cy);
  // An end ellipsis keeps the text inside a narrow rectangle.
  Canvas e(300, 100);
  e.dc.SelectObject(&f);
  e.dc.SetBkMode(TRANSPARENT);
  CRect narrow(10, 10, 60, 40);
  e.dc.DrawText("A rather long caption that cannot fit", -1, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  EXPECT_LE(e.InkBox().right, 60);
  EXPECT_GT(e.InkBox().right, 40);
  // Empty and bad input.
  CRect z(0, 0, 0, 0);
  EXPECT_EQ(e.dc.DrawText("", -1, &z, DT_CALCRECT), 0);
  EXPECT_EQ(e.dc.DrawText(nullptr, 5, &z, 0), 0);
  EXPECT_EQ(e.dc.DrawText("x", 1, nullptr, 0), 0);
  CRect inv(50, 50, 10, 10);
  int before = e.Ink(0, 0, 300, 100);
  e.dc.DrawText("Hidden", -1, &inv, DT_SINGLELINE);
  EXPECT_EQ(e.Ink(0, 0, 300, 100), before);
}

TEST(GdiText, TabbedTextOutGrayStringAndVerticalText) {
  Canvas c(300, 200);
  CFont f;
  c.dc.SelectObject(MakeFont(f, "Courier New", -13));
  c.dc.SetBkMode(TRANSPARENT);
  int tabs[1] = {50};
  CSize s = c.dc.TabbedTextOut(0, 0, "a\tb", 3, 1, tabs, 0);
  int w = c.dc.GetTextExtent("b", 1).cx;
  EXPECT_EQ(s.cx, 50 + w);
  EXPECT_EQ(c.dc.GetTabbedTextExtent("a\tb", 3, 1, tabs).cx, 50 + w);
  EXPECT_GT(c.Ink(50, 0, 50 + w, 20), 0);
  EXPECT_EQ(c.Ink(10, 0, 49, 20), 0);
  // Grey string: drawn in the grey-text colour when no brush colour is given.
  CBrush grey(RGB(128, 128, 128));
  ASSERT_TRUE(c.dc.GrayString(&grey, nullptr, reinterpret_cast<LPARAM>("Grey"), 4, 0, 40, 0, 0));
  EXPECT_GT(c.Ink(0, 40, 100, 60), 0);
  EXPECT_EQ(c.dc.GetTextColor(), kBlack);
  // Escapement 900: the text runs upwards from the reference point.
  Canvas v(200, 200);
  CFont vf;
  v.dc.SelectObject(MakeFont(vf, "Arial", -16, FW_NORMAL, 900));
  v.dc.SetBkMode(TRANSPARENT);
  v.dc.TextOut(100, 180, "Vertical text", 13);
  CRect ink = v.InkBox();
  EXPECT_GT(ink.Height(), 3 * ink.Width());
  EXPECT_LE(ink.bottom, 181);
  EXPECT_GE(ink.left, 100);
  EXPECT_LE(ink.right, 100 + 20);
  v.Save("vertical");
}

TEST(GdiText, CodePageOfTextBytes) {
  Canvas c;
  CFont f;
  c.dc.SelectObject(MakeFont(f, "Arial", -14));
  // 0xB5 alone is Windows-1252's micro sign; "\xC2\xB5" is the same character in UTF-8.
  CSize a = c.dc.GetTextExtent("\xB5m", 2);
  CSize b = c.dc.GetTextExtent("\xC2\xB5m", 3);
  EXPECT_EQ(a, b);
  // 0x80 is the euro sign in Windows-1252.
  CSize e1 = c.dc.GetTextExtent("\x80", 1);
  CSize e2 = c.dc.GetTextExtent("\xE2\x82\xAC", 3);
  EXPECT_EQ(e1, e2);
  EXPECT_GT(e1.cx, 0);
}
