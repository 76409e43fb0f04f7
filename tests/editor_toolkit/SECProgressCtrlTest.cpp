// The self-painted progress bar: clamping, percentages, rectangles, text colours, timer stepping and hiding.
#include "editor/toolkit/SECProgressCtrl.h"
#include "platform/gdi/RecordingDC.h"
#include "tests/editor_toolkit/ToolkitTestUtil.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

namespace {

class TestProgress : public SECProgressCtrl {
 public:
  using SECProgressCtrl::OnPaintBarText;
  int m_paints = 0;
  BOOL PaintProgressBarAndText(float fPercent, CRect rectFill, CRect rectEmpty, CDC* pDC) override {
    ++m_paints;
    return SECProgressCtrl::PaintProgressBarAndText(fPercent, rectFill, rectEmpty, pDC);
  }
  void SetClient(CRect r) { m_rectClient = r; }
};

using SECProgressCtrlTest = ToolkitHostTest;

TEST(SECProgressCtrl, SetPosClampsAndReturnsThePreviousPosition) {
  SECProgressCtrl bar;
  bar.SetRange(10, 20);
  EXPECT_EQ(0u, bar.SetPos(15));
  EXPECT_EQ(15u, bar.SetPos(25));
  EXPECT_EQ(20u, bar.GetPos());
  EXPECT_EQ(20u, bar.SetPos(3));
  EXPECT_EQ(10u, bar.GetPos());
  EXPECT_EQ(10u, bar.SetStep(4));
  EXPECT_EQ(10u, bar.StepIt());
  EXPECT_EQ(14u, bar.GetPos());
  EXPECT_FLOAT_EQ(40.0f, bar.CalcPercentComplete());
  // Equal bounds count as a span of 1.
  bar.SetRange(7, 7);
  bar.SetPos(7);
  EXPECT_FLOAT_EQ(0.0f, bar.CalcPercentComplete());
}

TEST(SECProgressCtrl, RectanglesFollowTheStyleAndStayInsideTheClient) {
  struct Case {
    DWORD style;
    float percent;
    CRect fill, empty;
  } cases[] = {
      {0x4100, 50, {0, 0, 100, 20}, {100, 0, 200, 20}},
      {0x0010, 50, {100, 0, 200, 20}, {0, 0, 100, 20}},
      {0x0001, 25, {0, 15, 200, 20}, {0, 0, 200, 15}},
      {0x0021, 25, {0, 0, 200, 5}, {0, 5, 200, 20}},
      {0x0000, 250, {0, 0, 200, 20}, {200, 0, 200, 20}},
      {0x0010, -40, {200, 0, 200, 20}, {0, 0, 200, 20}},
  };
  for (const Case& c : cases) {
    TestProgress bar;
    bar.SetClient(CRect(0, 0, 200, 20));
    bar.SetExStyle(c.style);
    CRect fill, empty;
    EXPECT_TRUE(bar.CalcProgressRects(c.percent, fill, empty));
    EXPECT_EQ(c.fill, fill) << c.style << " " << c.percent;
    EXPECT_EQ(c.empty, empty) << c.style << " " << c.percent;
  }
}

TEST(SECProgressCtrl, TextIsDrawnTwiceInOppositeColoursClippedToEachPart) {
  struct Case {
    DWORD style;
    float percent;
    const char* text;
  } cases[] = {{0x0100, 99.5f, "100 %"}, {0x0100, 0.4f, "0 %"}, {0x0100, 180.0f, "100 %"}, {0x0200, 50, "own"}};
  for (const Case& c : cases) {
    TestProgress bar;
    bar.SetClient(CRect(0, 0, 200, 20));
    bar.SetExStyle(c.style);
    bar.SetWindowText("own");
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CRecordingDC rec(dc);
    bar.OnPaintBarText(&dc, c.percent, CRect(100, 0, 200, 20), CRect(0, 0, 100, 20));
    CString draw = CString("DrawText(\"") + c.text + "\",0,0,200,20,0x25)";
    CString expected = "SelectClipRgn(rgn,5)\nSetBkMode(1)\nSetTextColor(0xFFFFFF)\n" + draw +
                       "\nSelectClipRgn(rgn,5)\nSetBkMode(1)\nSetTextColor(0x800000)\n" + draw + "\n";
    EXPECT_EQ(expected, rec.Text().Left(expected.GetLength())) << c.text;
  }
  TestProgress none;
  none.SetExStyle(0x1000);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CRecordingDC rec(dc);
  none.OnPaintBarText(&dc, 50, CRect(), CRect());
  EXPECT_EQ(0, rec.Count("DrawText("));
}

TEST_F(SECProgressCtrlTest, PaintsTheFilledPartNavyAndTheRestWhite) {
  TestProgress bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 30), &m_host, 1, 0x4100));
  EXPECT_FALSE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 30), &m_host, 1, 0x4100));
  bar.SetPos(50, TRUE);
  EXPECT_GT(bar.m_paints, 0);
  EXPECT_EQ(RGB(0, 0, 128), GetWindowPixel(m_host.m_hWnd, POINT{12, 12}));
  EXPECT_EQ(RGB(255, 255, 255), GetWindowPixel(m_host.m_hWnd, POINT{205, 12}));
  SaveWindowImage(&m_host, dravonix::test::OutputPath("progress-50.png").c_str());
  // A hidden control paints nothing.
  bar.ShowWindow(SW_HIDE);
  int before = bar.m_paints;
  bar.SendMessage(WM_PAINT);
  EXPECT_EQ(before, bar.m_paints);
}

TEST_F(SECProgressCtrlTest, TimerStepsUntilTheUpperBoundAndStopsOnRequest) {
  SECProgressCtrl bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 10), &m_host, 1, 0));
  bar.SetRange(0, 20);
  EXPECT_TRUE(bar.StepOnTimer(100));
  UiAutomation::AdvanceClock(100);
  EXPECT_EQ(10u, bar.GetPos());
  UiAutomation::AdvanceClock(100);
  EXPECT_EQ(20u, bar.GetPos());
  // The tick that reached the bound stopped the timer: a wider range does not move on.
  bar.SetRange(0, 100);
  UiAutomation::AdvanceClock(300, 100);
  EXPECT_EQ(20u, bar.GetPos());
  EXPECT_TRUE(bar.StepOnTimer(50));
  EXPECT_TRUE(bar.StepOnTimer(0));
  UiAutomation::AdvanceClock(200, 50);
  EXPECT_EQ(20u, bar.GetPos());
  bar.SetPos(100);
  EXPECT_FALSE(bar.StepOnTimer(50));
}

// A host that keeps the bar as wide as itself: dragging the host's frame repaints the bar's fill
// and text as a full repaint draws them.
TEST_F(SECProgressCtrlTest, ABarItsHostResizesIsRepaintedWhole) {
  struct Host : CWnd {
    SECProgressCtrl bar;
    void OnSize(UINT type, int cx, int cy) override {
      CWnd::OnSize(type, cx, cy);
      if (bar.m_hWnd) bar.MoveWindow(4, 4, cx - 8, 24);
    }
  } host;
  ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "sized",
                            WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 320, 170), nullptr, 0));
  ASSERT_TRUE(host.bar.Create(WS_CHILD | WS_VISIBLE, CRect(4, 4, 200, 28), &host, 1, 0x0100));
  CRect c;
  host.GetClientRect(&c);
  host.bar.MoveWindow(4, 4, c.Width() - 8, 24);
  host.bar.SetPos(40);
  UiAutomation::Pump();
  for (int dx : {90, -140}) {
    CRect w;
    host.GetWindowRect(&w);
    CPoint edge(w.right - 2, w.CenterPoint().y);
    host.ScreenToClient(&edge);
    UiAutomation::Drag(host.m_hWnd, edge, edge + CPoint(dx, 0));
    host.GetWindowRect(&w);
    EXPECT_EQ(300 + (dx > 0 ? dx : 90 + dx), w.Width());
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(host.m_hWnd)) << dx;
  }
  host.DestroyWindow();
}

}  // namespace
