// Status bars: stretch layout, text traffic to the control, window texts, owner-drawn panes with their
// attributes, bitmaps, registered windows and the progress display.
#include "editor/toolkit/SECCustomStatusBar.h"
#include "platform/core/Resource.h"
#include "platform/gdi/RecordingDC.h"
#include "platform/ui/ControlImpl.h"
#include "tests/editor_toolkit/ToolkitTestUtil.h"
#include "tests/support/TestKernel.h"

#include <vector>

namespace {

const UINT ID_PANE_A = 41001, ID_PANE_B = 41002;
const RESOURCE_STRING kPaneStrings[] = {{ID_PANE_A, "AXIS 1"}, {ID_PANE_B, "OFFLINE MODE"}};
const RESOURCE_TABLE kPaneTable = {kPaneStrings, 2, nullptr, 0};
CResourceTableRegistration g_paneStrings(kPaneTable);

template <class Bar>
class CountingBar : public Bar {
 public:
  int m_setTexts = 0;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == SB_SETTEXT) ++m_setTexts;
    return Bar::WindowProc(message, wParam, lParam);
  }
  using Bar::UpdateAllPanes;
};

class TestCustomBar : public CountingBar<SECCustomStatusBar> {
 public:
  using SECCustomStatusBar::GetPaneRect;
};

class StatusBarTest : public ToolkitHostTest {
 protected:
  template <class Bar>
  void Make(Bar& bar, std::vector<UINT> ids, int width = 300, int height = 20) {
    ASSERT_TRUE(bar.Create(&m_host, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM));
    bar.MoveWindow(0, 0, width, height);
    ASSERT_TRUE(bar.SetIndicators(ids.data(), (int)ids.size()));
  }
  static std::vector<int> Parts(CWnd& bar) {
    int parts[32];
    int n = (int)bar.SendMessage(SB_GETPARTS, 32, (LPARAM)parts);
    return std::vector<int>(parts, parts + n);
  }
};

TEST_F(StatusBarTest, SeparatorFirstStretchesAndIndicatorsTakeTheirTextWidths) {
  CountingBar<SECStatusBar> bar;
  Make(bar, {ID_SEPARATOR, ID_PANE_A, ID_PANE_B}, 800);
  ui::MeasureDC m(nullptr);
  UINT id, style;
  int width;
  bar.GetPaneInfo(0, id, style, width);
  EXPECT_EQ(SBPS_STRETCH | SBPS_NOBORDERS, style);
  bar.GetPaneInfo(1, id, style, width);
  EXPECT_EQ(m.dc.GetTextExtent("AXIS 1").cx, width);
  bar.GetPaneInfo(2, id, style, width);
  EXPECT_EQ(m.dc.GetTextExtent("OFFLINE MODE").cx, width);
  EXPECT_EQ("OFFLINE MODE", bar.GetStatusBarCtrl().GetText(2));
  // The stretch pane takes the spare width, so the last pane ends at the bar's right edge.
  EXPECT_EQ(800, Parts(bar).back());
  EXPECT_EQ(0, bar.CommandToIndex(ID_SEPARATOR));
  EXPECT_EQ(-1, bar.CommandToIndex(4711));
  EXPECT_EQ(CSize(0, 0), bar.CalcFixedLayout(TRUE, FALSE));
}

TEST_F(StatusBarTest, OddSpareWidthIsSharedByTheStretchPanesInOrder) {
  CountingBar<SECStatusBar> bar;
  Make(bar, {ID_PANE_A, ID_PANE_B});
  // Spare = 300 + gap 2 - (10 + 8) - (269 + 8) = 7.
  bar.SetPaneInfo(0, ID_PANE_A, SBPS_STRETCH, 10);
  bar.SetPaneInfo(1, ID_PANE_B, SBPS_STRETCH, 269);
  EXPECT_EQ((std::vector<int>{6 + 10 + 3, 19 + 2 + 6 + 269 + 4}), Parts(bar));
}

TEST_F(StatusBarTest, TextsGoToTheControlOnceAndDisabledPanesShowNone) {
  CountingBar<SECStatusBar> bar;
  Make(bar, {ID_SEPARATOR, ID_PANE_A});
  int before = bar.m_setTexts;
  EXPECT_TRUE(bar.SetPaneText(0, "Ready"));
  EXPECT_TRUE(bar.SetPaneText(0, "Ready"));
  EXPECT_EQ(before + 1, bar.m_setTexts);
  EXPECT_FALSE(bar.SetPaneText(7, "x"));
  bar.SetPaneStyle(1, SBPS_DISABLED);
  EXPECT_EQ("AXIS 1", bar.GetPaneText(1));
  EXPECT_EQ("", bar.GetStatusBarCtrl().GetText(1));
  // Window texts are pane 0's: a buffer of the text's length keeps room for the terminator.
  char buf[5];
  EXPECT_EQ(4, bar.SendMessage(WM_GETTEXT, 5, (LPARAM)buf));
  EXPECT_STREQ("Read", buf);
  EXPECT_EQ(5, bar.SendMessage(WM_GETTEXTLENGTH));
  EXPECT_EQ(0, bar.SendMessage(WM_SETTEXT, 0, (LPARAM)"Busy"));
  EXPECT_EQ("Busy", bar.GetPaneText(0));
}

TEST_F(StatusBarTest, WithoutPaneZeroTheWindowTextIsRefusedAndEmpty) {
  SECStatusBar bar;
  Make(bar, {ID_PANE_A, ID_PANE_B});
  EXPECT_EQ(-1, bar.SendMessage(WM_SETTEXT, 0, (LPARAM)"x"));
  char buf[8] = "junk";
  EXPECT_EQ(0, bar.SendMessage(WM_GETTEXT, 8, (LPARAM)buf));
  EXPECT_STREQ("", buf);
  EXPECT_EQ(0, bar.SendMessage(WM_GETTEXT, 0, (LPARAM)buf));
}

TEST_F(StatusBarTest, CustomPanesAreOwnerDrawnWithTheAttributesInForce) {
  TestCustomBar bar;
  Make(bar, {ID_SEPARATOR, ID_PANE_A}, 400);
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(HIWORD(bar.SendMessage(SB_GETTEXTLENGTH, (WPARAM)i)) & SBT_OWNERDRAW) << i;
  bar.SetPaneText(0, "Ready");
  auto draw = [&](CDC& dc) {
    CRecordingDC rec(dc);
    DRAWITEMSTRUCT dis{};
    dis.itemID = 0;
    dis.hDC = dc.GetSafeHdc();
    dis.rcItem = CRect(10, 2, 110, 20);
    bar.DrawItem(&dis);
    return rec.Text();
  };
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  int y = 2 + (18 - dc.GetTextExtent("Ready").cy) / 2;
  CString plain;
  plain.Format("SetBkMode(1)\nExtTextOut(11,%d,4,10,2,110,20,\"Ready\")\n", y);
  EXPECT_EQ(plain, draw(dc));
  tagPaneInfoEx info;
  info.dwMask = SBP_BKCOLOR | SBP_TEXTCOLOR;
  info.crTextBackground = RGB(255, 255, 0);
  info.crTextForeground = RGB(255, 0, 0);
  bar.SetPaneInfoEx(&info);
  EXPECT_NE(-1, draw(dc).Find(",6,10,2,110,20,\"Ready\")"));
  // Naming only the text colour takes the background colour out of force.
  info.dwMask = SBP_TEXTCOLOR;
  bar.SetPaneInfoEx(&info);
  tagPaneInfoEx back;
  bar.GetPaneInfoEx(&back);
  EXPECT_EQ(SBP_TEXTCOLOR, back.dwMask);
  EXPECT_EQ(RGB(255, 255, 0), back.crTextBackground);
  CString coloured = draw(dc);
  EXPECT_NE(-1, coloured.Find("SetTextColor(0x0000FF)"));
  EXPECT_NE(-1, coloured.Find(",4,10,2,110,20,\"Ready\")"));
  // On screen: a yellow pane 1 in the window's picture.
  info.iIndex = 1;
  info.dwMask = SBP_BKCOLOR;
  bar.SetPaneInfoEx(&info);
  UiAutomation::Pump();
  CRect r1;
  bar.GetItemRect(1, &r1);
  EXPECT_EQ(RGB(255, 255, 0), GetWindowPixel(bar.m_hWnd, POINT{r1.right - 2, r1.bottom - 3}));
  EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW), GetWindowPixel(bar.m_hWnd, POINT{r1.left + 5, r1.top}));  // its border stays
  SaveWindowImage(&m_host, dravonix::test::OutputPath("custom-status-bar.png").c_str());
}

TEST_F(StatusBarTest, AlignedTextStartsFromItsEdgeAndPanesFitWindowsOrContent) {
  TestCustomBar bar;
  Make(bar, {ID_SEPARATOR, ID_PANE_A, ID_PANE_B}, 400);
  bar.SetPaneText(0, "Ready");
  const struct {
    UINT align;
    const char* at;
  } cases[] = {{TA_LEFT, "ExtTextOut(11,"}, {TA_RIGHT, "ExtTextOut(109,"}, {TA_CENTER, "ExtTextOut(60,"}};
  for (const auto& c : cases) {
    tagPaneInfoEx info;
    info.dwMask = SBP_TEXTALIGN;
    info.nTextAlign = c.align;
    bar.SetPaneInfoEx(&info);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CRecordingDC rec(dc);
    DRAWITEMSTRUCT dis{};
    dis.hDC = dc.GetSafeHdc();
    dis.rcItem = CRect(10, 2, 110, 20);
    bar.DrawItem(&dis);
    EXPECT_NE(-1, rec.Text().Find(c.at)) << c.align << "\n" << rec.Text().GetString();
  }
  // A copy takes every field; an assignment all but the text and the cursor.
  tagPaneInfoEx a;
  a.iIndex = 2;
  a.strText = "text";
  a.hCursor = ::LoadCursor(nullptr, IDC_CROSS);
  a.dwMask = SBP_TEXT | SBP_CURSOR;
  tagPaneInfoEx copied(a), assigned;
  assigned = a;
  EXPECT_EQ(CString("text"), copied.strText);
  EXPECT_EQ(a.hCursor, copied.hCursor);
  EXPECT_EQ(CString(""), assigned.strText);
  EXPECT_EQ(nullptr, assigned.hCursor);
  EXPECT_EQ(2, assigned.iIndex);
  EXPECT_EQ(a.dwMask, assigned.dwMask);
  // A window fitted to its pane, a pane fitted to its window; the text panes to their texts.
  CWnd fitted, wide;
  fitted.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 5, 5), &bar, 51);
  wide.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 77, 5), &bar, 52);
  bar.RegisterWndToPane(1, &fitted, SECCustomStatusBar::Fit, 0);
  CRect pane, placed;
  bar.GetItemRect(1, &pane);
  fitted.GetWindowRect(&placed);
  bar.ScreenToClient(&placed);
  EXPECT_EQ(pane, placed);
  bar.RegisterWndToPane(2, &wide, SECCustomStatusBar::FitPaneToWindow, 0);
  UINT id, style;
  int width;
  bar.GetPaneInfo(2, id, style, width);
  EXPECT_EQ(77, width);
  bar.GetItemRect(2, &pane);
  EXPECT_EQ(2, bar.GetIndexFromPoint(pane.CenterPoint()));
  EXPECT_EQ(-1, bar.GetIndexFromPoint(CPoint(-5, -5)));
  bar.RegisterWndToPane(1, nullptr, SECCustomStatusBar::Fit, SBWND_INSET);
  bar.FitPanesToContent();
  bar.GetPaneInfo(1, id, style, width);
  EXPECT_EQ(ui::MeasureDC(nullptr).dc.GetTextExtent("AXIS 1").cx, width);
  fitted.DestroyWindow();
  wide.DestroyWindow();
}

TEST_F(StatusBarTest, BitmapPaneFitsTheBitmapAndRaisesTheBar) {
  TestCustomBar bar;
  Make(bar, {ID_SEPARATOR, ID_PANE_A});
  CBitmap bitmap;
  CClientDC dc(&bar);
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 30, 24));
  tagPaneInfoEx info;
  info.iIndex = 1;
  info.dwMask = SBP_BITMAP;
  info.pBitmap = &bitmap;
  bar.SetPaneInfoEx(&info, TRUE);
  UINT id, style;
  int width;
  bar.GetPaneInfo(1, id, style, width);
  EXPECT_EQ(30, width);
  EXPECT_GE(bar.CalcFixedLayout(TRUE, TRUE).cy, 24 + 2 * 2);
  // Bad indices change nothing.
  info.iIndex = 9;
  bar.SetPaneInfoEx(&info, TRUE);
  bar.SetPaneInfoEx(nullptr, TRUE);
}

TEST_F(StatusBarTest, TheControlTakesAMinimumHeightAndTheBarKeepsIt) {
  CountingBar<SECStatusBar> plain;
  Make(plain, {ID_SEPARATOR, ID_PANE_A});
  TestCustomBar custom;
  Make(custom, {ID_SEPARATOR, ID_PANE_A});
  for (SECStatusBar* bar : {static_cast<SECStatusBar*>(&plain), static_cast<SECStatusBar*>(&custom)}) {
    EXPECT_NE(0, bar->SendMessage(SB_SETMINHEIGHT, 40));
    EXPECT_EQ(40, bar->GetMinHeight());
    EXPECT_EQ(40, bar->CalcFixedLayout(TRUE, TRUE).cy);
  }
}

TEST_F(StatusBarTest, RegisteredWindowsAreInsetAndHiddenDuringProgress) {
  TestCustomBar bar;
  Make(bar, {ID_PANE_A, ID_PANE_B}, 300, 20);
  bar.SetPaneWidth(0, 2);
  bar.SetPaneWidth(1, 94);
  CRect pane;
  bar.GetItemRect(1, &pane);
  EXPECT_EQ(CRect(10, 2, 110, 20), pane);
  CWnd child;
  child.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 5, 5), &bar, 50);
  bar.RegisterWndToPane(1, &child, SECCustomStatusBar::NoFit, SBWND_INSET);
  bar.ResizeAllRegWnd();
  CRect placed;
  child.GetWindowRect(&placed);
  bar.ScreenToClient(&placed);
  EXPECT_EQ(CRect(11, 3, 109, 19), placed);
  EXPECT_EQ(&child, bar.GetRegisteredWnd(1));
  EXPECT_EQ(nullptr, bar.GetRegisteredWnd(5));
  EXPECT_EQ(0u, bar.GetRegisteredWndSizeFlags(-1));

  bar.SetProgress(40);
  bar.StepProgress();
  EXPECT_FALSE(bar.IsProgressControlActive());
  // Without a message the bar covers the client and pane 0 stays.
  CString pane0 = bar.GetPaneText(0);
  ASSERT_TRUE(bar.InitializeProgressControl(nullptr, 0, 10));
  CRect pr, client;
  bar.GetProgressCtrl()->GetWindowRect(&pr);
  bar.ScreenToClient(&pr);
  bar.GetClientRect(&client);
  EXPECT_EQ(client, pr);
  EXPECT_EQ(pane0, bar.GetPaneText(0));
  EXPECT_FALSE(child.IsWindowVisible());
  bar.UninitializeProgressControl();

  ASSERT_TRUE(bar.InitializeProgressControl("Saving", 0, 10));
  bar.GetProgressCtrl()->GetWindowRect(&pr);
  bar.ScreenToClient(&pr);
  CClientDC dc(&bar);
  dc.SelectObject(CFont::FromHandle((HFONT)bar.SendMessage(WM_GETFONT)));
  EXPECT_EQ(dc.GetTextExtent("Saving ").cx + 1, pr.left);
  EXPECT_EQ("Saving", bar.GetPaneText(0));
  EXPECT_EQ(0, bar.SendMessage(WM_SETTEXT, 0, (LPARAM)"ignored"));
  bar.SetProgress(4);
  EXPECT_EQ(4u, bar.GetProgressCtrl()->GetPos());
  bar.UninitializeProgressControl();
  EXPECT_EQ(pane0, bar.GetPaneText(0));
  EXPECT_EQ(0u, bar.GetPaneStyle(0) & SBPS_NOBORDERS);
  EXPECT_TRUE(child.IsWindowVisible());
  child.DestroyWindow();
}

}  // namespace
