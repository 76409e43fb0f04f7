// The rich edit control: RTF reading and writing, streams with callbacks, formats, find, wrapping at
// the target width, size requests, printing into a DC, keys and the clipboard.
#include "platform/core/Clock.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/RichEditCtrl.h"
#include "platform/ui/RichTextDoc.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Cookie {
  std::string data;
  size_t pos = 0;
  LONG chunk = 7;  // small chunks so that every stream runs through several calls
};

DWORD ReadCb(DWORD_PTR c, LPBYTE buf, LONG cb, LONG* pcb) {
  auto* k = (Cookie*)c;
  LONG n = (LONG)std::min<size_t>((size_t)std::min(cb, k->chunk), k->data.size() - k->pos);
  memcpy(buf, k->data.data() + k->pos, (size_t)n);
  k->pos += (size_t)n;
  *pcb = n;
  return 0;
}

DWORD WriteCb(DWORD_PTR c, LPBYTE buf, LONG cb, LONG* pcb) {
  auto* k = (Cookie*)c;
  k->data.append((const char*)buf, (size_t)cb);
  *pcb = cb;
  return 0;
}

class CRichHost : public CWnd {
 public:
  std::vector<UINT> m_codes;  // WM_COMMAND and WM_NOTIFY codes from the control
  std::vector<RECT> m_resize;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (lParam) m_codes.push_back(HIWORD(wParam));
    return CWnd::OnCommand(wParam, lParam);
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    auto* h = (NMHDR*)lParam;
    m_codes.push_back(h->code);
    if (h->code == EN_REQUESTRESIZE) m_resize.push_back(((REQRESIZE*)lParam)->rc);
    return CWnd::OnNotify(wParam, lParam, pResult);
  }
};

// Takes the size request reflected back to itself.
class CReflectingRich : public CRichEditCtrl {
 public:
  int m_reflected = 0;

 protected:
  void OnRequestResize(NMHDR*, LRESULT* r) {
    ++m_reflected;
    *r = 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReflectingRich, CRichEditCtrl)
ON_NOTIFY_REFLECT(EN_REQUESTRESIZE, &CReflectingRich::OnRequestResize)
END_MESSAGE_MAP()

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    ResetClipboard();
    m_host.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "host",
                    WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
    m_rich.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(10, 10, 210, 110), &m_host, 7);
    m_rich.SetEventMask(ENM_CHANGE | ENM_REQUESTRESIZE | ENM_SELCHANGE);
  }
  void TearDown() override {
    m_rich.DestroyWindow();
    m_host.DestroyWindow();
    ResetClipboard();
    Clock::UseRealTime();
  }
  LONG In(const std::string& s, int fmt = SF_RTF) {
    Cookie c{s};
    EDITSTREAM es{(DWORD_PTR)&c, 0, ReadCb};
    return m_rich.StreamIn(fmt, es);
  }
  std::string Out(int fmt = SF_RTF) {
    Cookie c;
    EDITSTREAM es{(DWORD_PTR)&c, 0, WriteCb};
    m_rich.StreamOut(fmt, es);
    return c.data;
  }
  // Types keys at a selection the program sets, the focus given by a click as a user gives it.
  void TypeAt(LONG from, LONG to, const char* keys) {
    if (::GetFocus() != m_rich.m_hWnd) UiAutomation::Click(m_rich.m_hWnd, POINT{4, 4});
    m_rich.SetSel(from, to);
    UiAutomation::TypeText(keys);
  }
  std::string Text() {
    CString s;
    m_rich.GetWindowText(s);
    return s.GetString();
  }
  CHARFORMAT FormatAt(LONG a, LONG b) {
    m_rich.SetSel(a, b);
    CHARFORMAT cf{};
    m_rich.GetSelectionCharFormat(cf);
    return cf;
  }
  CRichHost m_host;
  CReflectingRich m_rich;
};

std::string ReadText(const std::string& rtf) {
  ui::RichTextDoc d;
  if (!ui::ReadRtf(rtf, ui::RichCharFormat{}, d)) return "<not rtf>";
  return d.text;
}

TEST(RichTextDocTest, ReaderTakesTextEscapesAndSkipsWhatItDoesNotKnow) {
  struct Case {
    const char* rtf;
    std::string text;
  } cases[] = {
      {"{\\rtf1 plain}", "plain"},
      {"{\\rtf1 a\\par b\\line c\\tab d}", "a\rb\vc\td"},
      {"{a\\{b\\}\\\\}", "a{b}\\"},  // a braced group without the header is text too
      {"{\\rtf1 \\'e9t\\'E9}", "\xe9t\xe9"},
      {"{\\rtf1 x\\'zzy\\'4}", "xzzy4"},  // bad escapes are dropped, the rest stays
      {"{\\rtf1 \\u233?a\\u8364?b\\uc2\\u1234xyc}", "\xe9" "a\x80" "bxyc"},
      {"{\\rtf1 {\\*\\generator Foo;}\\unknownword12 a{\\info{\\title t}}b}", "ab"},
      {"{\\rtf1 a}trailing", "a"},
      {"{\\rtf1 {{{a", "a"},           // unbalanced: what was read stays
      {"{\\rtf1 \\fs999999999 big}", "big"},
      {"plain text", "<not rtf>"},
      {"{\\rtf1 \\bin2 {}x}", "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, ReadText(c.rtf)) << c.rtf;
  std::string deep = "{\\rtf1 " + std::string(200000, '{') + "deep";
  EXPECT_EQ("deep", ReadText(deep));
  ui::RichTextDoc d;
  ASSERT_TRUE(ui::ReadRtf("{\\rtf1 \\fs999999999 big}", ui::RichCharFormat{}, d));
  EXPECT_EQ(32760, d.CfAt(0).height);
}

TEST(RichTextDocTest, WrittenRtfReadsBackToTheSameBytes) {
  const char* inputs[] = {
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fprq2 Times New Roman;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
      "\\pard\\qc\\f0\\fs20 cen\\b ter\\b0\\par\\pard\\qr\\f1\\i\\cf1 red \\{x\\} \\\\\\'e9\\tab\\line\\par\\ul last\\ul0\\strike s}",
      "{a\\{b\\}}",
      "{\\rtf1 }",
  };
  for (const char* in : inputs) {
    ui::RichTextDoc d, e;
    ASSERT_TRUE(ui::ReadRtf(in, ui::RichCharFormat{}, d));
    std::string once = d.WriteRtf(0, d.size());
    ASSERT_TRUE(ui::ReadRtf(once, ui::RichCharFormat{}, e));
    EXPECT_EQ(once, e.WriteRtf(0, e.size())) << in;
    EXPECT_EQ(d.text, e.text);
  }
  ui::RichTextDoc d;
  ui::ReadRtf(inputs[0], ui::RichCharFormat{}, d);
  size_t red = d.text.find("red");
  EXPECT_EQ("Times New Roman", d.CfAt(red).face);
  EXPECT_EQ(0x0000FFu, d.CfAt(red).color);
  EXPECT_EQ(0x12, d.CfAt(red).pitch);
  EXPECT_EQ(CFE_BOLD, d.CfAt(d.text.find("ter")).effects & 0xF);
  EXPECT_EQ(PFA_CENTER, d.pfs[d.ParaFormatOf(0)].align);
  EXPECT_EQ(PFA_RIGHT, d.pfs[d.ParaFormatOf(red)].align);
  // Marks in a font name are written escaped, so the text after the table still reads.
  ui::RichTextDoc marked, back;
  ASSERT_TRUE(ui::ReadRtf("{\\rtf1{\\fonttbl{\\f0 A\\{b\\}\\\\c;}}\\f0 text}", ui::RichCharFormat{}, marked));
  ASSERT_EQ("A{b}\\c", marked.CfAt(0).face);
  ASSERT_TRUE(ui::ReadRtf(marked.WriteRtf(0, marked.size()), ui::RichCharFormat{}, back));
  EXPECT_EQ("text", back.text);
  EXPECT_EQ("A{b}\\c", back.CfAt(0).face);
}

TEST_F(RichEditTest, StreamsRtfAndTextThroughCallbacks) {
  EXPECT_EQ(8, In("{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;}\\b bo\\b0 ld\\par\\cf1 red}"));
  EXPECT_EQ("bold\r\nred", Text());
  EXPECT_EQ("bold\r\nred", Out(SF_TEXT));
  std::string rtf = Out();
  EXPECT_NE(std::string::npos, rtf.find("\\b bo"));
  EXPECT_NE(std::string::npos, rtf.find("\\red255\\green0\\blue0;"));
  In(rtf);
  EXPECT_EQ(rtf, Out());
  EXPECT_FALSE(m_rich.GetModify());
  // Into the selection, in the format found there.
  m_rich.SetSel(2, 4);
  In("XY", SF_TEXT | SFF_SELECTION);
  EXPECT_EQ("boXY\r\nred", Text());
  EXPECT_EQ(CFE_BOLD, FormatAt(2, 3).dwEffects & CFE_BOLD);
  // Text input: line ends become marks.
  In("one\r\ntwo\nthree", SF_TEXT);
  EXPECT_EQ(2, m_rich.SendMessage(EM_EXLINEFROMCHAR, 0, 8));
  EXPECT_EQ(13, m_rich.SendMessage(EM_GETTEXTLENGTHEX, 0, 0));
  // A callback that stops with an error reports it.
  EDITSTREAM es{0, 0, [](DWORD_PTR, LPBYTE, LONG, LONG*) -> DWORD { return 5; }};
  m_rich.StreamOut(SF_RTF, es);
  EXPECT_EQ(5u, es.dwError);
}

TEST_F(RichEditTest, CharacterAndParagraphFormats) {
  m_rich.SetWindowText("alpha beta");
  CHARFORMAT cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_BOLD | CFM_COLOR | CFM_SIZE | CFM_FACE;
  cf.dwEffects = CFE_BOLD;
  cf.yHeight = 240;
  cf.crTextColor = RGB(255, 0, 0);
  strcpy(cf.szFaceName, "Arial");
  m_rich.SetSel(0, 5);
  EXPECT_TRUE(m_rich.SetSelectionCharFormat(cf));
  CHARFORMAT got = FormatAt(0, 5);
  EXPECT_EQ(CFM_ALL, got.dwMask);
  EXPECT_EQ(240, got.yHeight);
  EXPECT_STREQ("Arial", got.szFaceName);
  EXPECT_EQ(RGB(255, 0, 0), got.crTextColor);
  // Mixed attributes lose their mask bits.
  got = FormatAt(3, 8);
  EXPECT_EQ(0u, got.dwMask & (CFM_BOLD | CFM_COLOR | CFM_SIZE | CFM_FACE));
  EXPECT_EQ(CFM_ITALIC, got.dwMask & CFM_ITALIC);
  // All text, and the default for new text.
  CHARFORMAT it{};
  it.cbSize = sizeof it;
  it.dwMask = it.dwEffects = CFM_ITALIC;
  m_rich.SendMessage(EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&it);
  EXPECT_EQ(CFE_ITALIC, FormatAt(0, 10).dwEffects & CFE_ITALIC);
  m_rich.GetDefaultCharFormat(got);
  EXPECT_EQ(CFE_ITALIC, got.dwEffects & CFE_ITALIC);
  // An empty selection keeps the format for the next typing.
  TypeAt(10, 10, "");
  CHARFORMAT ul{};
  ul.cbSize = sizeof ul;
  ul.dwMask = ul.dwEffects = CFM_UNDERLINE;
  m_rich.SetSelectionCharFormat(ul);
  UiAutomation::TypeText("x");
  EXPECT_EQ(CFE_UNDERLINE, FormatAt(10, 11).dwEffects & CFE_UNDERLINE);
  EXPECT_EQ(0u, FormatAt(9, 10).dwEffects & CFE_UNDERLINE);
  // Paragraphs.
  m_rich.SetWindowText("one\r\ntwo\r\nthree");
  m_rich.SetSel(5, 6);
  PARAFORMAT pf{};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_ALIGNMENT;
  pf.wAlignment = PFA_CENTER;
  EXPECT_TRUE(m_rich.SetParaFormat(pf));
  PARAFORMAT q{};
  m_rich.SetSel(4, 4);
  m_rich.GetParaFormat(q);
  EXPECT_EQ(PFA_CENTER, q.wAlignment);
  m_rich.SetSel(0, 12);
  EXPECT_EQ(0u, m_rich.GetParaFormat(q) & PFM_ALIGNMENT);
  pf.wAlignment = 9;
  EXPECT_FALSE(m_rich.SetParaFormat(pf));
  EXPECT_NE(std::string::npos, Out().find("\\pard\\qc"));
}

TEST_F(RichEditTest, FindTextEx) {
  m_rich.SetWindowText("Abc abc xabc ABC");
  struct Case {
    DWORD flags;
    LONG from, to;
    const char* what;
    LONG at;
  } cases[] = {
      {FR_DOWN, 0, -1, "abc", 0},
      {FR_DOWN | FR_MATCHCASE, 0, -1, "abc", 4},
      {FR_DOWN | FR_WHOLEWORD, 5, -1, "abc", 13},
      {FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD, 5, -1, "abc", -1},
      {FR_DOWN, 0, 3, "abc", 0},
      {FR_DOWN, 0, 2, "abc", -1},
      {0, 16, 0, "abc", 13},  // upward from the end
      {0, 12, 0, "abc", 9},
      {FR_DOWN, 0, -1, "", -1},
  };
  for (const Case& c : cases) {
    FINDTEXTEX ft{{c.from, c.to}, c.what, {0, 0}};
    EXPECT_EQ(c.at, m_rich.FindText(c.flags, &ft)) << c.flags << " " << c.from;
    if (c.at >= 0) {
      EXPECT_EQ(c.at + 3, ft.chrgText.cpMax);
    }
  }
}

TEST_F(RichEditTest, WrapsAtTheTargetWidthAndRequestsItsSize) {
  m_rich.SetWindowText("one two three four five six seven eight nine ten");
  int wide = m_rich.GetLineCount();
  m_rich.SetTargetDevice(nullptr, 1440);  // one inch: 96 pixels
  int narrow = m_rich.GetLineCount();
  EXPECT_GT(narrow, wide);
  m_rich.SetTargetDevice(nullptr, 1);
  EXPECT_EQ(1, m_rich.GetLineCount());
  m_rich.SetTargetDevice(nullptr, 1440);
  m_host.m_resize.clear();
  m_rich.m_reflected = 0;
  m_rich.RequestResize();
  ASSERT_EQ(1u, m_host.m_resize.size());
  EXPECT_EQ(1, m_rich.m_reflected);
  int h = m_host.m_resize[0].bottom - m_host.m_resize[0].top;
  EXPECT_GT(h, 0);
  EXPECT_EQ(0, h % narrow);
  // Typing a new line grows the request by itself; without the mask nothing is sent.
  TypeAt(1000, 1000, "");
  m_host.m_resize.clear();
  UiAutomation::TypeText("\r");
  ASSERT_EQ(1u, m_host.m_resize.size());
  EXPECT_EQ(h * (narrow + 1) / narrow, m_host.m_resize[0].bottom);
  m_rich.SetEventMask(0);
  m_host.m_codes.clear();
  m_rich.RequestResize();
  UiAutomation::TypeText("x");
  EXPECT_TRUE(m_host.m_codes.empty());
  // An empty control asks for one line.
  m_rich.SetEventMask(ENM_REQUESTRESIZE);
  m_rich.SetWindowText("");
  m_host.m_resize.clear();
  m_rich.RequestResize();
  ASSERT_EQ(1u, m_host.m_resize.size());
  EXPECT_EQ(h / narrow, m_host.m_resize[0].bottom);
}

// Line starts and every character's position: what the layout decides.
std::vector<LONG> Layout(CRichEditCtrl& r) {
  std::vector<LONG> sig;
  r.LineScroll(-100000);  // positions from the top
  int lines = r.GetLineCount();
  for (int i = 0; i < lines; ++i) sig.push_back(r.LineIndex(i));
  LONG n = (LONG)r.SendMessage(EM_GETTEXTLENGTHEX, 0, 0);
  for (LONG i = 0; i <= n; ++i) {
    POINT p{};
    r.SendMessage(EM_POSFROMCHAR, (WPARAM)&p, i);
    sig.push_back(p.x * 100000 + p.y);
  }
  return sig;
}

TEST_F(RichEditTest, EditsLayOutOnlyWhatChangedAsAFreshLayoutWould) {
  m_rich.SetTargetDevice(nullptr, 1440);
  m_rich.SetWindowText("alpha beta gamma delta\r\nepsilon zeta\r\n\r\neta theta iota kappa lambda");
  CHARFORMAT big{};
  big.cbSize = sizeof big;
  big.dwMask = CFM_SIZE | CFM_BOLD;
  big.dwEffects = CFE_BOLD;
  big.yHeight = 400;
  PARAFORMAT centre{};
  centre.cbSize = sizeof centre;
  centre.dwMask = PFM_ALIGNMENT;
  centre.wAlignment = PFA_CENTER;
  std::function<void()> edits[] = {
      [&] { TypeAt(8, 8, "xy"); },
      [&] { TypeAt(3, 3, "\r"); },
      [&] { TypeAt(20, 30, "\b"); },
      [&] { m_rich.SetSel(2, 12); m_rich.SetSelectionCharFormat(big); },
      [&] { m_rich.SetSel(14, 14); m_rich.SetParaFormat(centre); },
      [&] { TypeAt(1000, 1000, "\r"); },
      [&] { In("{\\rtf1 one\\par\\b two\\par three}", SF_RTF | SFF_SELECTION); },
      [&] { m_rich.SetSel(0, 5); m_rich.ReplaceSel(""); },
      [&] { m_rich.SetSel(0, 1000); m_rich.ReplaceSel("all\r\nnew"); },
  };
  CReflectingRich fresh;
  fresh.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(10, 120, 210, 220), &m_host, 8);
  fresh.SetTargetDevice(nullptr, 1440);
  fresh.SetEventMask(ENM_REQUESTRESIZE);
  for (size_t i = 0; i < std::size(edits); ++i) {
    edits[i]();
    Cookie c{Out()};
    EDITSTREAM es{(DWORD_PTR)&c, 0, ReadCb};
    fresh.StreamIn(SF_RTF, es);
    EXPECT_EQ(Layout(fresh), Layout(m_rich)) << "edit " << i;
    m_host.m_resize.clear();
    fresh.RequestResize();
    m_rich.RequestResize();
    ASSERT_EQ(2u, m_host.m_resize.size());
    EXPECT_EQ(m_host.m_resize[0].bottom, m_host.m_resize[1].bottom) << "edit " << i;
  }
  fresh.DestroyWindow();
}

TEST_F(RichEditTest, FormatRangeDrawsIntoADcInTwips) {
  In("{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;}\\b\\cf1\\fs40 RED\\par second\\par third}");
  CDC screen;
  screen.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  CDC mem;
  mem.CreateCompatibleDC(&screen);
  CBitmap bmp;
  bmp.CreateCompatibleBitmap(&screen, 200, 200);
  CBitmap* old = mem.SelectObject(&bmp);
  mem.FillSolidRect(0, 0, 200, 200, RGB(255, 255, 255));
  FORMATRANGE fr{mem.GetSafeHdc(), mem.GetSafeHdc(), {0, 0, 200 * 15, 200 * 15}, {0, 0, 200 * 15, 200 * 15}, {0, -1}};
  EXPECT_EQ(m_rich.GetTextLength() - 2, m_rich.FormatRange(&fr, TRUE));  // everything fits
  int red = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x)
      if (mem.GetPixel(x, y) == RGB(255, 0, 0)) ++red;
  EXPECT_GT(red, 20);
  // A band one line high stops after the first paragraph; measuring only draws nothing.
  mem.FillSolidRect(0, 0, 200, 200, RGB(255, 255, 255));
  fr.rc.bottom = 30 * 15;
  EXPECT_EQ(4, m_rich.FormatRange(&fr, FALSE));
  EXPECT_EQ(RGB(255, 255, 255), mem.GetPixel(10, 15));
  EXPECT_EQ(0, m_rich.FormatRange(nullptr, FALSE));
  mem.SelectObject(old);
}

TEST_F(RichEditTest, CaretKeysSelectionAndTyping) {
  m_rich.SetWindowText("word other");
  UiAutomation::Click(m_rich.m_hWnd, POINT{4, 4});
  struct Step {
    UINT vk, mods;
    LONG a, b;
  } steps[] = {
      {VK_END, UiAutomation::kControl, 10, 10},
      {VK_LEFT, UiAutomation::kControl, 5, 5},
      {VK_RIGHT, UiAutomation::kShift, 5, 6},
      {VK_HOME, UiAutomation::kShift, 0, 5},
      {VK_LEFT, 0, 0, 0},
      {VK_RIGHT, UiAutomation::kControl | UiAutomation::kShift, 0, 5},
  };
  for (const Step& s : steps) {
    UiAutomation::PressKey(s.vk, s.mods);
    LONG a, b;
    m_rich.GetSel(a, b);
    EXPECT_EQ(s.a, a) << s.vk;
    EXPECT_EQ(s.b, b) << s.vk;
  }
  UiAutomation::TypeText("new ");
  EXPECT_EQ("new other", Text());
  UiAutomation::PressKey(VK_BACK);
  UiAutomation::PressKey(VK_DELETE);
  EXPECT_EQ("newther", Text());
  EXPECT_TRUE(m_rich.GetModify());
  EXPECT_TRUE(m_rich.Undo());
  EXPECT_EQ("newother", Text());
  m_rich.SetReadOnly(TRUE);
  EXPECT_EQ(ECO_READONLY, m_rich.GetOptions() & ECO_READONLY);
  UiAutomation::TypeText("zz");
  EXPECT_EQ("newother", Text());
}

TEST_F(RichEditTest, ClipboardCarriesRichTextBesideText) {
  In("{\\rtf1 \\b bold\\b0  plain}");
  m_rich.SetSel(0, 4);
  m_rich.Copy();
  UINT rtf = RegisterClipboardFormat(CF_RTF);
  EXPECT_TRUE(IsClipboardFormatAvailable(rtf));
  std::string text;
  ASSERT_TRUE(ClipboardGetText(nullptr, text));
  EXPECT_EQ("bold", text);
  EXPECT_TRUE(m_rich.CanPaste());
  m_rich.SetSel(10, 10);
  m_rich.Paste();
  EXPECT_EQ("bold plainbold", Text());
  EXPECT_EQ(CFE_BOLD, FormatAt(10, 14).dwEffects & CFE_BOLD);
  // Only plain text: pasted in the format at the caret.
  ClipboardSetText(nullptr, "x\r\ny", 4);
  m_rich.SetSel(5, 5);
  m_rich.Paste();
  EXPECT_EQ("bold x\r\nyplainbold", Text());
  EXPECT_EQ(0u, FormatAt(5, 6).dwEffects & CFE_BOLD);
  SetClipboardHeldByOtherProgram(TRUE);
  m_rich.Paste();
  SetClipboardHeldByOtherProgram(FALSE);
  EXPECT_EQ("bold x\r\nyplainbold", Text());
}

TEST_F(RichEditTest, BoldRedTextDrawsRedPixels) {
  m_rich.SetBackgroundColor(FALSE, RGB(255, 255, 224));
  In("{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;}\\b\\cf1\\fs32 RED}");
  UiAutomation::Pump();
  SaveWindowImage(&m_host, dravonix::test::OutputPath("rich-edit.png").c_str());
  int red = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x)
      if (GetWindowPixel(m_rich.m_hWnd, POINT{x, y}) == RGB(255, 0, 0)) ++red;
  EXPECT_GT(red, 20);
  EXPECT_EQ(RGB(255, 255, 224), GetWindowPixel(m_rich.m_hWnd, POINT{150, 80}));
}

TEST_F(RichEditTest, ScrollingAndOptions) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line\r\n";
  m_rich.SetWindowText(text.c_str());
  LRESULT r = m_rich.SendMessage(EM_SCROLL, SB_PAGEDOWN);
  int page = (short)LOWORD(r);
  EXPECT_EQ(TRUE, HIWORD(r));
  EXPECT_GT(page, 3);
  EXPECT_EQ(page, m_rich.GetFirstVisibleLine());
  m_rich.SendMessage(EM_SCROLL, SB_LINEDOWN);
  EXPECT_EQ(page + 1, m_rich.GetFirstVisibleLine());
  EXPECT_EQ(-page, (short)LOWORD(m_rich.SendMessage(EM_SCROLL, SB_PAGEUP)));
  EXPECT_EQ(-1, (short)LOWORD(m_rich.SendMessage(EM_SCROLL, SB_PAGEUP)));  // only one line was left
  EXPECT_EQ(0, m_rich.GetFirstVisibleLine());
  m_rich.SetSel(200, 200);  // the last line
  m_rich.SendMessage(EM_SCROLLCARET);
  EXPECT_GT(m_rich.GetFirstVisibleLine(), 30);
  // Options are the window's ES_ bits; ECO_WANTRETURN makes the control ask for Enter.
  m_rich.SetOptions(ECOOP_SET, ECO_AUTOWORDSELECTION | ECO_AUTOVSCROLL | ECO_AUTOHSCROLL | ECO_NOHIDESEL | ECO_SAVESEL);
  EXPECT_EQ(0x81C1u, m_rich.GetOptions());
  MSG enter{};
  enter.hwnd = m_rich.m_hWnd;
  enter.message = WM_KEYDOWN;
  enter.wParam = VK_RETURN;
  EXPECT_EQ(0, m_rich.SendMessage(WM_GETDLGCODE, 0, (LPARAM)&enter) & DLGC_WANTALLKEYS);
  m_rich.SetOptions(ECOOP_OR, ECO_WANTRETURN);
  EXPECT_EQ((LRESULT)DLGC_WANTALLKEYS, m_rich.SendMessage(WM_GETDLGCODE, 0, (LPARAM)&enter) & DLGC_WANTALLKEYS);
  EXPECT_EQ(ES_WANTRETURN, m_rich.GetStyle() & ES_WANTRETURN);
}

TEST_F(RichEditTest, NotificationsFollowTheEventMask) {
  m_host.m_codes.clear();
  m_rich.ReplaceSel("ab");
  EXPECT_EQ((std::vector<UINT>{EN_CHANGE, EN_REQUESTRESIZE, EN_SELCHANGE}), m_host.m_codes);
  m_rich.SetEventMask(ENM_PROTECTED);
  m_host.m_codes.clear();
  m_rich.ReplaceSel("c");
  EXPECT_TRUE(m_host.m_codes.empty());
  EXPECT_EQ(ENM_PROTECTED, m_rich.GetEventMask());
}

}  // namespace
