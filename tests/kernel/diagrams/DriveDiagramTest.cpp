// The drive diagrams painted in a window and read back at the pixels that matter.
#include "kernel/diagrams/DriveDiagram.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0), kWhite = RGB(255, 255, 255), kGrey = RGB(0xCC, 0xCC, 0xCC);

// Test views of the protected state.
class CTestLinearEncoder : public CLinearEncoderDiagram {
 public:
  std::pair<int, int> Limits() const { return {m_lower, m_upper}; }
};

class CTestBarGraph : public CBarGraph {
 public:
  int m_paints = 0;
  CString LastError() const { return m_lastError; }

 protected:
  void DoPaint(CDC& dc, CRect rect) override {
    ++m_paints;
    CBarGraph::DoPaint(dc, rect);
  }
};

class DriveDiagramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
  }
  void TearDown() override { m_host.DestroyWindow(); }
  void Place(CDriveDiagram& d, CRect r) {
    ASSERT_TRUE(d.Create("", WS_CHILD | WS_VISIBLE, r, &m_host, 10));
    UiAutomation::Pump();
  }
  static COLORREF At(CWnd& w, int x, int y) { return GetWindowPixel(w.m_hWnd, POINT{x, y}); }
  CWnd m_host;
};

}  // namespace

TEST_F(DriveDiagramTest, HallSectorsLightByTheirState) {
  CHallDiagram hall;
  Place(hall, CRect(0, 0, 100, 100));  // the disc: centre (50, 50), radius 47
  EXPECT_EQ(kGrey, At(hall, 60, 30));  // disabled until enabled
  hall.EnableDiagram();
  hall.SetSliceNumber(1);
  hall.SetSliceNumber(17);  // ignored
  EXPECT_EQ(1, hall.GetSliceNumber());
  hall.SetSliceStatus(0, 2);
  hall.SetSliceStatus(16, 2);  // ignored
  EXPECT_EQ(0, hall.GetSliceStatus(16));
  hall.RepaintDiagram();
  for (int deg = 22; deg < 360; deg += 45) {  // off the radius the pie draws at the top
    double a = deg * 3.14159265358979 / 180;
    EXPECT_EQ(kGreen, At(hall, 50 + (int)(30 * std::sin(a)), 50 - (int)(30 * std::cos(a)))) << deg;
  }
  // Six sectors clockwise from the top: the second (60..120 degrees) is active.
  hall.SetSliceNumber(6);
  hall.ResetDiagramStatus();
  hall.SetSliceStatus(1, 2);
  hall.RepaintDiagram();
  EXPECT_EQ(kGreen, At(hall, 80, 50));
  EXPECT_EQ(kWhite, At(hall, 45, 80));
  EXPECT_EQ(kWhite, At(hall, 65, 25));
  // The same states as a row of boxes.
  CLinearHallDiagram row;
  Place(row, CRect(110, 0, 290, 30));
  row.EnableDiagram();
  row.SetSliceNumber(3);
  row.SetSliceStatus(2, 1);
  row.RepaintDiagram();
  EXPECT_EQ(RGB(0, 0x99, 0), At(row, 150, 15));  // the third box of about 56 pixels
  EXPECT_EQ(kWhite, At(row, 30, 15));
}

TEST_F(DriveDiagramTest, EncoderAndPhasePointersFollowTheAngle) {
  CEncoderDiagram enc;
  CPhaseDiagram phase;
  Place(enc, CRect(0, 0, 100, 100));
  Place(phase, CRect(100, 0, 200, 100));
  enc.EnableDiagram();
  enc.SetTheta(3.14159265358979 / 2);  // pointing right
  EXPECT_EQ(RGB(255, 0, 0), At(enc, 75, 50));
  EXPECT_EQ(kWhite, At(enc, 25, 50));
  phase.EnableDiagram();
  phase.SetTheta(3.14159265358979);  // the pointer straight down
  EXPECT_EQ(RGB(0, 0, 0), At(phase, 50, 25));  // the winding bar of phase A, straight up
  EXPECT_EQ(kWhite, At(phase, 25, 50));
}

TEST_F(DriveDiagramTest, LinearEncoderRangeWidensAndFollowsThePosition) {
  struct Case {
    int lower, upper, position;
    std::pair<int, int> shown;
  };
  for (const Case& c : {Case{0, 5, 0, {-5, 5}}, Case{-100, 100, 250, {100, 300}}, Case{-100, 100, -1000, {-1100, -900}},
                        Case{INT_MIN, INT_MIN, 0, {-8, 2}}}) {
    CTestLinearEncoder lin;
    Place(lin, CRect(0, 0, 200, 60));
    lin.SetLimits(c.lower, c.upper);
    lin.SetPosition(c.position);
    EXPECT_EQ(c.shown, lin.Limits()) << c.lower << ".." << c.upper << " at " << c.position;
    lin.DestroyWindow();
  }
}

TEST_F(DriveDiagramTest, BarGraphRefusesValuesOutsideItsLimitsWithTheirTexts) {
  CTestBarGraph bar;
  Place(bar, CRect(0, 0, 200, 60));
  int paints = bar.m_paints;
  EXPECT_EQ(0, bar.SetCurrentValue(2));
  EXPECT_EQ(1, bar.GetCurrentValue());
  EXPECT_EQ(CString("Current value cannot be greater than the right value"), bar.LastError());
  EXPECT_EQ(paints, bar.m_paints);
  struct Case {
    std::function<int()> call;
    const char* text;
  };
  const Case cases[] = {
      {[&] { return bar.SetCurrentValue(-1); }, "Current value cannot be less than the left value"},
      {[&] { return bar.SetDrawingReference(5); }, "Drawing reference cannot be greater than the right value"},
      {[&] { return bar.SetDrawingReference(-5); }, "Drawing reference cannot be less than the left value"},
      {[&] { return bar.SetLeftLimit(3); }, "Left value cannot be greater than the right value"},
      {[&] { return bar.SetRightLimit(-3); }, "Right value cannot be less than the left value"},
      {[&] { return bar.SetLimits(2, 1); }, "Right value cannot be less than the left value"},
      {[&] { return bar.SetLabelType(2); }, "Label type may be either LABEL_INT (0) or LABEL_DOUBLE (1)"},
      {[&] { return bar.SetOrientation(2); }, "Orientation type may be either POS_HORIZ (0) or POS_VERT (1)"},
      {[&] { return bar.SetRepaintType(2); }, "Orientation type may be either AUTOMATIC_REPAINT (0) or MANUAL_REPAINT (1)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(0, c.call()) << c.text;
    EXPECT_EQ(CString(c.text), bar.LastError());
  }
  EXPECT_EQ(0, bar.GetLeftLimit());
  EXPECT_EQ(1, bar.GetRightLimit());
  // Accepted values repaint only in automatic mode.
  paints = bar.m_paints;
  EXPECT_NE(0, bar.SetLimits(0, 10));
  EXPECT_EQ(paints, bar.m_paints);
  EXPECT_NE(0, bar.SetRepaintType(CBarGraph::AUTOMATIC_REPAINT));
  EXPECT_GT(bar.m_paints, paints);
  // A value left of its reference: the bar runs from the value (x 40) to the reference (x 120).
  bar.SetDrawingReference(6);
  bar.SetCurrentValue(2);
  EXPECT_EQ(RGB(0, 0, 255), At(bar, 80, 30));
  EXPECT_EQ(kWhite, At(bar, 20, 30));
  EXPECT_EQ(kWhite, At(bar, 160, 30));
  // Equal limits draw the frame and the area only.
  bar.SetLimits(4, 4);
  EXPECT_EQ(kWhite, At(bar, 80, 30));

  // NaN is outside every range; infinite and huge limits still paint.
  bar.SetLimits(0, 10);
  const double nan = std::nan("");
  const Case bad[] = {
      {[&] { return bar.SetCurrentValue(nan); }, "Current value cannot be less than the left value"},
      {[&] { return bar.SetDrawingReference(nan); }, "Drawing reference cannot be less than the left value"},
      {[&] { return bar.SetLeftLimit(nan); }, "Left value cannot be greater than the right value"},
      {[&] { return bar.SetRightLimit(nan); }, "Right value cannot be less than the left value"},
      {[&] { return bar.SetLimits(nan, 1); }, "Right value cannot be less than the left value"},
      {[&] { return bar.SetLimits(0, nan); }, "Right value cannot be less than the left value"},
  };
  for (const Case& c : bad) {
    EXPECT_EQ(0, c.call()) << c.text;
    EXPECT_EQ(CString(c.text), bar.LastError());
    EXPECT_FALSE(std::isnan(bar.GetCurrentValue()) || std::isnan(bar.GetDrawingReference()) ||
                 std::isnan(bar.GetLeftLimit()) || std::isnan(bar.GetRightLimit()))
        << c.text;
  }
  EXPECT_EQ(0, bar.GetLeftLimit());
  EXPECT_EQ(10, bar.GetRightLimit());
  const double inf = INFINITY;
  for (auto limits : {std::pair{-inf, inf}, std::pair{-1e308, 1e308}, std::pair{0.0, inf}}) {
    ASSERT_NE(0, bar.SetLimits(limits.first, limits.second));
    ASSERT_NE(0, bar.SetDrawingReference(limits.first));
    ASSERT_NE(0, bar.SetCurrentValue(limits.second));
    At(bar, 80, 30);  // paints without an undefined conversion
  }
  // The span near the double range still maps: half way is the middle.
  bar.SetLimits(-1e308, 1e308);
  bar.SetDrawingReference(-1e308);
  bar.SetCurrentValue(0);
  EXPECT_EQ(RGB(0, 0, 255), At(bar, 90, 30));
  EXPECT_EQ(kWhite, At(bar, 110, 30));
}

// Every diagram on a page, fed a new input, then partly uncovered: the picture stays the one a full
// repaint draws.
TEST_F(DriveDiagramTest, NewInputsAndPartialRepaintsDrawTheFullPicture) {
  CPhaseDiagram phase;
  CEncoderDiagram enc;
  CHallDiagram hall;
  CLinearHallDiagram row;
  CLinearEncoderDiagram lin;
  CBarGraph bar;
  struct Case {
    const char* name;
    CDriveDiagram& diagram;
    CRect at;
    std::function<void()> feed;
  };
  const Case cases[] = {
      {"phase", phase, CRect(0, 0, 90, 90), [&] { phase.EnableDiagram(), phase.SetTheta(1); }},
      {"encoder", enc, CRect(90, 0, 180, 90), [&] { enc.EnableDiagram(), enc.SetTheta(2); }},
      {"hall", hall, CRect(180, 0, 270, 90),
       [&] { hall.EnableDiagram(), hall.SetSliceStatus(2, 2), hall.SetSliceStatus(3, 1), hall.RepaintDiagram(); }},
      {"hall row", row, CRect(0, 95, 150, 125),
       [&] { row.EnableDiagram(), row.SetSliceStatus(1, 2), row.RepaintDiagram(); }},
      {"linear encoder", lin, CRect(150, 95, 300, 150), [&] { lin.EnableDiagram(), lin.SetPosition(140); }},
      {"bar", bar, CRect(0, 130, 150, 195),
       [&] { bar.SetRepaintType(CBarGraph::AUTOMATIC_REPAINT), bar.SetLimits(-2, 8), bar.SetCurrentValue(5); }},
  };
  for (const Case& c : cases) Place(c.diagram, c.at);
  for (const Case& c : cases) {
    const CRect whole(0, 0, c.at.Width(), c.at.Height());  // the host paints no background of its own
    c.feed();
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(c.diagram.m_hWnd, &whole)) << c.name;
    CRect part(c.at.Width() / 3, c.at.Height() / 3, c.at.Width() * 2 / 3, c.at.Height());
    c.diagram.InvalidateRect(&part, FALSE);
    c.diagram.UpdateWindow();
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(c.diagram.m_hWnd, &whole)) << c.name << " partly";
    // A diagram takes no input: clicks on it change nothing it shows.
    const POINT mid = CRect(whole).CenterPoint();
    UiAutomation::Click(c.diagram.m_hWnd, mid), UiAutomation::DoubleClick(c.diagram.m_hWnd, mid);
    UiAutomation::RightClick(c.diagram.m_hWnd, mid), UiAutomation::Drag(c.diagram.m_hWnd, mid, POINT{-20, -20});
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(c.diagram.m_hWnd, &whole)) << c.name << " clicked";
  }
}
