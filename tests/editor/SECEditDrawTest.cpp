#include "EditCoreTestUtil.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/WinApp.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace UA = UiAutomation;

namespace {

// A second window on another window's text.
class CSharedEditWnd : public SECEditCore<CWnd> {
 public:
  SECEdit* pEdit = nullptr;
  SECEdit* GetEdit() override { return pEdit; }
  void UpdateViews(CWnd*, LPARAM, CObject*) override {}
};

bool Blue(COLORREF c) { return GetBValue(c) > 150 && GetRValue(c) < 100 && GetGValue(c) < 100; }
bool Green(COLORREF c) { return GetGValue(c) > 70 && GetRValue(c) < 60 && GetBValue(c) < 60; }
bool Red(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100; }
bool Dark(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }

void Colouring(SECEdit& e) {
  std::string path = dravonix::test::ScratchDir("draw") + "/kw.ini";
  std::ofstream(path, std::ios::binary) << "[Keywords]\r\nbegin=\r\n";
  e.m_strKeywordFile = path.c_str();
  e.m_bCase = FALSE;
  strcpy(e.m_szCommentStart1, "/*");
  strcpy(e.m_szCommentEnd1, "*/");
  strcpy(e.m_szCommentStart2, "//");
  e.m_szCommentEnd2[0] = 0;
  ASSERT_TRUE(e.LoadKeywords());
  e.m_bChroma = TRUE;
  e.m_nCommentValid = 0;
}

}  // namespace

TEST(EditDraw, ColoursGutterMarksAndSelection) {
  Clock::UseVirtualTime();
  CTestEditWnd w;
  ASSERT_TRUE(w.Open("BEGIN x // note \"q\"\r\ns = \"str\" y\r\nu = \"open\r\n/* block\r\nstill */ begin\r\n\tz\r\n"));
  Colouring(w.edit);
  w.edit.m_bShowTabs = TRUE;
  w.m_pCurLine->dwFlags |= LINE_BOOKMARK;
  w.Invalidate();
  UA::Pump();
  SaveWindowImage(&w, dravonix::test::OutputPath("editor-colours.png").c_str());
  HWND h = w.m_hWnd;
  int lh = w.m_nLineHeight, cw = w.m_nCharWidth, m = w.m_nMargin;
  auto cells = [&](int row, int c0, int c1) { return CRect(m + c0 * cw, row * lh, m + c1 * cw, (row + 1) * lh); };
  const struct {
    int row, c0, c1;
    bool (*hue)(COLORREF);
    bool present;
    const char* what;
  } checks[] = {
      {0, 0, 5, Blue, true, "keyword BEGIN"},
      {0, 8, 20, Green, true, "line comment"},
      {0, 16, 19, Red, false, "quote inside the comment"},
      {1, 5, 8, Red, true, "string"},
      {1, 10, 11, Red, false, "after the string"},
      {2, 4, 9, Red, false, "unterminated string"},
      {2, 4, 9, Dark, true, "unterminated string in the text colour"},
      {3, 0, 8, Green, true, "block comment start"},
      {4, 0, 8, Green, true, "block comment carried"},
      {4, 9, 14, Blue, true, "keyword after the block"},
      {4, 9, 14, Green, false, "keyword after the block"},
  };
  for (const auto& c : checks) EXPECT_EQ(AnyPixel(h, cells(c.row, c.c0, c.c1), c.hue), c.present) << c.what;
  // The gutter alternates the scroll-bar colour and the background pixel by pixel.
  COLORREF a = GetWindowPixel(h, POINT{0, lh + 3}), b = GetWindowPixel(h, POINT{1, lh + 3});
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == GetSysColor(COLOR_SCROLLBAR) && b == RGB(255, 255, 255)) ||
              (b == GetSysColor(COLOR_SCROLLBAR) && a == RGB(255, 255, 255)));
  EXPECT_EQ(GetWindowPixel(h, POINT{1, lh + 4}), a);
  int d = (m / 2) * 2 - 2;
  EXPECT_EQ(GetWindowPixel(h, POINT{(2 + d) / 2, lh / 2}), RGB(0, 0, 255));
  // Tabs shown as 0xBB and spaces up to the stop.
  char buf[SECEDIT_MAX_LINE + 1];
  int n = SECEditCoreBase::ExpandLine(w.FindLine(6), 3, TRUE, buf);
  EXPECT_EQ(std::string(buf, (size_t)n), "\xBB  z\r\n");

  // A second window shows the selection only once it has the focus.
  CSharedEditWnd other;
  other.pEdit = &w.edit;
  ASSERT_TRUE(other.CreateEx(0, AfxRegisterWndClass(0), "other", WS_POPUP | WS_VISIBLE, CRect(500, 0, 900, 300),
                             nullptr, 0));
  other.InitView();
  w.SetFocus();
  w.SelectAll();
  other.SelectAll();
  other.Invalidate();
  UA::Pump();
  POINT cell{m + 1, 1};
  EXPECT_EQ(GetWindowPixel(other.m_hWnd, cell), RGB(255, 255, 255));
  EXPECT_EQ(GetWindowPixel(h, cell), RGB(0, 0, 0));
  other.SetFocus();
  UA::Pump();
  EXPECT_EQ(GetWindowPixel(other.m_hWnd, cell), RGB(0, 0, 0));
  // A row scrolled away completely shows only the background.
  ASSERT_TRUE(other.GetStyle() & WS_HSCROLL);
  UA::Drag(other.m_hWnd, dravonix::test::bars::PartPoint(other.m_hWnd, dravonix::test::kThumbRight),
           dravonix::test::bars::PartPoint(other.m_hWnd, dravonix::test::kThumbRight, 2000), 3);
  ASSERT_GE(other.GetScrollPos(SB_HORZ), 40);
  other.ClearSelection(TRUE);
  UA::Pump();
  EXPECT_FALSE(AnyPixel(other.m_hWnd, CRect(m, 0, m + 10 * cw, lh), Dark));
  other.DestroyWindow();
  w.DestroyWindow();
  Clock::UseRealTime();
}
