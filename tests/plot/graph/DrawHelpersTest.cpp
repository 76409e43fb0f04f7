#include "platform/gdi/DC.h"
#include "platform/gdi/RecordingDC.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageQueue.h"
#include "plot/graph/DrawHelpers.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/support/PackedDibs.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(DrawHelpers, FitRectToAspectNarrowsOneSide) {
  const struct {
    RECT in;
    int cx, cy;
    RECT out;
  } cases[] = {
      {{0, 0, 100, 100}, 2, 1, {0, 25, 100, 75}},
      {{0, 0, 100, 100}, 1, 2, {0, 0, 50, 100}},
      {{0, 0, 100, 60}, 3, 2, {0, 0, 90, 60}},
      {{10, 10, 110, 40}, 1, 1, {10, 10, 40, 40}},
      {{0, 0, 100, 0}, 2, 1, {0, 0, 0, 0}},  // no height: the width goes
      {{0, 0, 0, 0}, 2, 1, {0, 0, 0, 0}},
      {{0, 0, 0, 50}, 0, 1, {0, 0, 0, 50}},  // no ratio to fit
      {{0, 0, 80, 50}, 1, 0, {0, 0, 80, 50}},
  };
  for (const auto& c : cases) {
    RECT r = c.in;
    FitRectToAspect(&r, c.cx, c.cy);
    auto text = [](const RECT& x) {
      return std::to_string(x.left) + "," + std::to_string(x.top) + "," + std::to_string(x.right) + "," +
             std::to_string(x.bottom);
    };
    EXPECT_EQ(text(c.out), text(r)) << text(c.in) << " to " << c.cx << ":" << c.cy;
  }
  FitRectToAspect(nullptr, 1, 1);
}

TEST(DrawHelpers, GetTabFieldCopiesOneFieldUpToTheLimit) {
  const struct {
    int n, max;
    const char* want;
  } cases[] = {{0, 10, "a"}, {1, 10, "bb"}, {2, 10, "ccc"}, {5, 10, ""}, {2, 2, "cc"}, {1, 0, ""}};
  for (const auto& c : cases) {
    char dest[11];
    std::memset(dest, 'x', sizeof dest);
    EXPECT_STREQ(c.want, GetTabField(dest, "a\tbb\tccc", c.n, c.max)) << c.n << " " << c.max;
  }
  EXPECT_EQ(CString("bb"), GetTextField("a\tbb\tccc", 1));
  EXPECT_EQ(CString(), GetTextField("a\tbb", 4));
}

TEST(DrawHelpers, Draw3dFrameLinesFollowTheFlags) {
  graphtest::Canvas canvas(40, 40);
  CDC& dc = canvas.dc;
  const RECT r{0, 0, 20, 10};
  auto lines = [&](int width, int flags) {
    CRecordingDC rec(dc);
    Draw3dFrame(&dc, r, width, flags);
    CString s;
    for (const CString& c : rec.Calls())
      if (c.Find("MoveTo(") == 0 || c.Find("LineTo(") == 0 || c.Find("Rectangle(") == 0) s += c + " ";
    return s;
  };
  // Width 0: the outline of step one, and for a sunken frame its inner dark line.
  EXPECT_EQ(CString(), lines(0, 0));
  EXPECT_EQ(CString("MoveTo(0,0) LineTo(0,10) LineTo(20,10) LineTo(20,0) LineTo(0,0) "), lines(0, 2));
  EXPECT_EQ(CString("Rectangle(0,0,20,10) MoveTo(1,1) LineTo(1,9) MoveTo(1,1) LineTo(18,1) "), lines(0, 5));
  EXPECT_EQ(CString("MoveTo(1,1) LineTo(1,7) MoveTo(1,1) LineTo(17,1) "
                    "MoveTo(18,1) LineTo(18,9) MoveTo(1,8) LineTo(19,8) "),
            lines(1, 0));
  // Sunken: the light and dark sides swap and the dark inner line follows the width.
  EXPECT_EQ(CString("MoveTo(1,1) LineTo(1,7) MoveTo(1,1) LineTo(17,1) "
                    "MoveTo(18,1) LineTo(18,9) MoveTo(1,8) LineTo(19,8) "
                    "MoveTo(2,2) LineTo(2,8) MoveTo(2,2) LineTo(17,2) "),
            lines(1, 1));
  // The pens of the two sides, by their pixels.
  dc.FillSolidRect(0, 0, 40, 40, RGB(255, 255, 255));
  Draw3dFrame(&dc, r, 1, 0);
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), dc.GetPixel(1, 4));
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), dc.GetPixel(18, 4));
  Draw3dFrame(&dc, r, 1, 1);
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), dc.GetPixel(1, 4));
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), dc.GetPixel(18, 4));
  EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), dc.GetPixel(2, 4));
}

TEST(DrawHelpers, ResourcesAndPackedBitmaps) {
  AfxEnsureFrameworkStrings();
  EXPECT_NE(nullptr, LoadCursorResource(AFX_IDC_MAGNIFY));
  EXPECT_EQ(nullptr, LoadCursorResource(12345));
  EXPECT_EQ(nullptr, LoadBitmapResource("NO_SUCH_BITMAP", nullptr));

  // A 2x1 packed bitmap, red then blue, stretched over 20x10 keeping its aspect.
  std::vector<BYTE> dib = dravonix::test::TwoPixelDib();
  graphtest::Canvas canvas(40, 40);
  CDC& dc = canvas.dc;
  DrawDibResource(dib.data(), &dc, RECT{0, 0, 20, 20}, TRUE);
  EXPECT_EQ(RGB(255, 0, 0), dc.GetPixel(4, 10));
  EXPECT_EQ(RGB(0, 0, 255), dc.GetPixel(15, 10));
  EXPECT_EQ(RGB(255, 255, 255), dc.GetPixel(10, 2));  // fitted 20x10, centred
  DrawDibResource(nullptr, &dc, RECT{0, 0, 20, 20}, TRUE);  // nothing to lock: nothing drawn
  // A height no int can negate is no bitmap: nothing drawn.
  graphtest::Canvas blank(20, 20);
  reinterpret_cast<BITMAPINFOHEADER*>(dib.data())->biHeight = INT_MIN;
  for (int keep : {TRUE, FALSE}) DrawDibResource(dib.data(), &blank.dc, RECT{0, 0, 20, 20}, keep);
  EXPECT_EQ(blank.Lit(0, 0, 19, 19, RGB(255, 255, 255)), 400);
}

}  // namespace
