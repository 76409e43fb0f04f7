// The rolling trace window: ring of samples, scaling, and what it draws.
#include "monitor/gadgets/MC_Oscilloscope.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Image.h"
#include "platform/ui/WinApp.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class OscilloscopeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0);
    ASSERT_TRUE(m_scope.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 201, 101), &m_host, 14002));
    for (auto& item : m_scope.m_aItems) {
      item.m_dMin = 0;
      item.m_dMax = 100;
    }
    m_scope.m_aItems[0].m_crColor = RGB(0, 255, 0);
  }
  void TearDown() override { m_host.DestroyWindow(); }
  void Sample(double value, int times = 1) {
    for (int i = 0; i < times; ++i) {
      m_scope.m_aItems[0].m_dValue = value;
      m_scope.m_aItems[1].m_dValue = value;
      m_scope.UpdateLastPoint();
    }
  }
  // The window drawn into a memory bitmap of its client size.
  struct Canvas {
    CDC dc;
    CBitmap bm;
    explicit Canvas(CMC_Oscilloscope& scope) {
      CDC screen;
      screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
      dc.CreateCompatibleDC(&screen);
      bm.CreateCompatibleBitmap(&screen, 201, 101);
      dc.SelectObject(&bm);
      scope.DoPaint(&dc, CRect(0, 0, 201, 101));
    }
    int Count(int x0, int y0, int x1, int y1, COLORREF c) {
      int n = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += dc.GetPixel(x, y) == c;
      return n;
    }
  };
  CWnd m_host;
  CMC_Oscilloscope m_scope;
};

TEST_F(OscilloscopeTest, RingFillsThenWraps) {
  m_scope.Initialize("T", 1, 0);
  EXPECT_EQ(m_scope.m_nLastPoint, -1);
  Sample(100);
  EXPECT_EQ(m_scope.m_nLastPoint, 0);
  EXPECT_EQ(m_scope.m_aItems[0].m_aPoints[0], 0u);
  Sample(0, 100);
  EXPECT_EQ(m_scope.m_aItems[0].m_aPoints.GetSize(), 101);
  Sample(50);  // sample 102 overwrites the first
  EXPECT_EQ(m_scope.m_nLastPoint, 0);
  EXPECT_EQ(m_scope.m_aItems[0].m_aPoints.GetSize(), 101);
  EXPECT_EQ(m_scope.m_aItems[0].m_aPoints[0], 50u);
  EXPECT_EQ(m_scope.m_aItems[0].m_aPoints[1], 100u);
}

TEST_F(OscilloscopeTest, ScalingAndCounts) {
  const CRect rc(0, 0, 201, 101);
  CMC_OscilloscopeItem item;
  item.m_dMin = item.m_dMax = 5;
  item.m_dValue = 7;
  EXPECT_EQ(CMC_Oscilloscope::GetNewValue(rc, item, false), 50);
  EXPECT_EQ(CMC_Oscilloscope::GetNewValue(rc, item, true), 100);
  item.m_dMax = 10;
  item.m_dValue = std::nan("");
  EXPECT_EQ(CMC_Oscilloscope::GetNewValue(rc, item, false), 50);
  item.m_dMin = 0;
  const struct { double value; bool horizontal; int expected; } cases[] = {
      {10, false, 0}, {0, false, 100}, {5, false, 50}, {10, true, 200}, {0, true, 0}, {20, false, -100}, {1e9, false, -32768},
  };
  for (const auto& c : cases) {
    item.m_dValue = c.value;
    EXPECT_EQ(CMC_Oscilloscope::GetNewValue(rc, item, c.horizontal), c.expected) << c.value;
  }
  const struct { int count, xy, stored, enabled; } counts[] = {{-1, 0, 0, 0}, {3, 0, 2, 1}, {1, 1, 1, 0}, {2, 1, 2, 1}};
  for (const auto& c : counts) {
    m_scope.Initialize("", c.count, c.xy);
    EXPECT_EQ(m_scope.m_nItems, c.stored);
    EXPECT_EQ(m_scope.IsEnabled(), c.enabled);
  }
  // An XY window with one trace stores nothing.
  m_scope.Initialize("", 1, 1);
  Sample(10, 3);
  EXPECT_EQ(m_scope.m_aItems[0].m_aPoints.GetSize(), 0);
  EXPECT_EQ(m_scope.m_nLastPoint, -1);
}

TEST_F(OscilloscopeTest, DrawsTracesAndTitle) {
  // A ring of 2 draws one segment from x 198 to 200.
  m_scope.Initialize("", 1, 0);
  Sample(50, 2);
  {
    Canvas c(m_scope);
    EXPECT_EQ(c.Count(0, 0, 198, 101, RGB(0, 255, 0)), 0);
    EXPECT_EQ(c.Count(198, 50, 201, 51, RGB(0, 255, 0)), 2);  // the line's last pixel stays unlit
  }
  m_scope.Initialize("Speed", 1, 0);
  Sample(50, 101);
  Canvas c(m_scope);
  EXPECT_EQ(c.dc.GetPixel(100, 50), RGB(0, 255, 0));
  EXPECT_EQ(c.dc.GetPixel(100, 80), RGB(0, 0, 0));
  EXPECT_GT(c.Count(0, 0, 201, 20, RGB(255, 255, 255)), 0);
  SaveImage(&c.dc, dravonix::test::OutputPath("monitor/oscilloscope.png").c_str());

  // XY with one trace: black but for the title.
  m_scope.Initialize("XY", 1, 1);
  Sample(50, 5);
  Canvas xy(m_scope);
  EXPECT_GT(xy.Count(0, 0, 201, 20, RGB(255, 255, 255)), 0);
  EXPECT_EQ(xy.Count(0, 20, 201, 101, RGB(0, 0, 0)), 201 * 81);
}

}  // namespace
