// The graph window: numbers and layout, drawing checked in pixels, curves, mouse and output.
#include "platform/core/Automation.h"
#include "platform/core/Resource.h"
#include "platform/gdi/Image.h"
#include "platform/gdi/MetaFileDC.h"
#include "platform/gdi/Printer.h"
#include "platform/gdi/RecordingDC.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/PrintInfo.h"
#include "plot/curves/AxisScale.h"
#include "plot/graph/DotDC.h"
#include "plot/graph/DrawHelpers.h"
#include "plot/curves/PlotUnits.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/plot/PlotTestUnits.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"
#include "tests/support/HaveTool.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fs = std::filesystem;
using namespace graphtest;

namespace {

using dravonix::test::HaveTool;

using dravonix::test::ReadFileText;

// A memory context of the given size, white.
TEST(GraphNumbers, RoundingStepsScalesAndTexts) {
  EXPECT_EQ(3.0, QW_FRound(2.5));
  EXPECT_EQ(-3.0, QW_FRound(-2.5));
  EXPECT_EQ(32767, QW_Round(40000.2));
  EXPECT_EQ(-32768, QW_Round(-1e9));
  EXPECT_EQ(0.20000000298023224, NiceAxisStep(1, 5));
  EXPECT_EQ(9.5, NiceAxisStep(9.9, 0));
  EXPECT_EQ((double)0.001f, NiceAxisStep(0, 5));
  int e;
  double off;
  EXPECT_NEAR(2.0, ComputeAxisScale(-3.7, 6.3, 5, &e, &off), 1e-6);
  EXPECT_NEAR(1.7, off, 1e-6);
  EXPECT_NEAR(2.0, ComputeAxisScale(0, 10, 5, &e, &off), 1e-6);
  EXPECT_EQ(1, e);
  EXPECT_NEAR(0.75e-4, ComputeAxisScale(0, 0.0004, 5, &e, &off), 1e-10);
  EXPECT_EQ(-3, e);
  ComputeAxisScale(0, 2500, 5, &e, &off);
  EXPECT_EQ(3, e);
  struct {
    const char *in, *out;
  } trims[] = {{"2.000e-05", "2e-5"}, {"1.500000e+003", "1.5e3"}, {"100.00", "100"},
               {"0.000", "0"},        {"1e+000", "1"},           {"12", "12"}};
  for (auto& t : trims) {
    char buf[32];
    std::strcpy(buf, t.in);
    TrimNumberString(buf);
    EXPECT_STREQ(t.out, buf) << t.in;
  }
  struct {
    const char* text;
    DWORD value;
  } hex[] = {{"Ax1F", 0}, {"0x1F", 31}, {"x1F", 31}, {"X1F", 31}, {"", 0}, {"ff", 255}, {"0X10", 16}, {"12 34", 0}, {"-5", 0}};
  for (auto& h : hex) EXPECT_EQ(h.value, QW_Atox(h.text)) << h.text;
  EXPECT_EQ(8, CGraphWindow::GetSpaceDim(8, 300));
  CRect r(0, 0, 100, 100);
  FitRectToAspect(&r, 2, 1);
  EXPECT_EQ(CRect(0, 25, 100, 75), r);
  r.SetRect(0, 0, 100, 100);
  FitRectToAspect(&r, 1, 2);
  EXPECT_EQ(CRect(0, 0, 50, 100), r);
  char field[11];
  EXPECT_STREQ("bb", GetTabField(field, "a\tbb\tccc", 1, 10));
  EXPECT_STREQ("", GetTabField(field, "a\tbb\tccc", 5, 10));
  EXPECT_STREQ("cc", GetTabField(field, "a\tbb\tccc", 2, 2));
  EXPECT_EQ(0, CDotDC::GetPattern(7));
  EXPECT_EQ(nullptr, LoadCursorResource(31999));
  AfxEnsureFrameworkStrings();
  EXPECT_NE(nullptr, LoadCursorResource(30978));
}

TEST(GraphLayout, FontsBandsRectanglesAndMapping) {
  Plot p;
  p.AddCurve("t", Ramp(10));
  p.AddCurve("v", Ramp(10));
  p.Draw(0, 1);
  {
    Host h(&p.plot, 400, 300);
    EXPECT_EQ(14, h.graph.GetFontHeight());
    EXPECT_EQ(7, h.graph.GetHalfFontHeight());
    // No axis texts and no right-axis curves: no text bands, the right scale band is GetSpaceDim(10, m).
    EXPECT_EQ(0, h.graph.GetBands()[CGraphWindow::bandLeftText]);
    EXPECT_EQ(10, h.graph.GetBands()[CGraphWindow::bandRightScale]);
    EXPECT_EQ(32767, h.graph.MapX(1e300));
    EXPECT_EQ(-32768, h.graph.MapX(-1e300));
    double zero[6] = {1, 1, 2, 2, 3, 3};
    h.graph.SetViewRange(zero);  // zero spans map to the edges
    EXPECT_EQ(h.graph.GetDrawingRect().left, h.graph.MapX(5));
    EXPECT_EQ(h.graph.GetDrawingRect().bottom, h.graph.MapY(5, 1));
    EXPECT_EQ(1.0, h.graph.GetXCoord(100));
    h.graph.MoveWindow(0, 0, 9, 40);
    EXPECT_TRUE(h.graph.GetDrawingRect().IsRectEmpty());
    h.graph.MoveWindow(0, 0, 60, 40);
    EXPECT_EQ(CRect(3, 3, 57, 37), h.graph.GetDrawingRect());  // compact layout
  }
  p.plot.m_bOscMode = 1;
  p.plot.ComputeLimits();
  Host osc(&p.plot, 600, 400, 4);
  EXPECT_EQ(12, osc.graph.GetFontHeight());
  EXPECT_EQ(0, osc.graph.SubclassDlgItem(999, &osc.parent, &p.plot));
  EXPECT_EQ(1, CGraphWindow::RegisterGraphWindowClass(nullptr, AfxGetInstanceHandle()));
  EXPECT_EQ(1, CGraphWindow::m_bGraphWndRegistred);
  EXPECT_EQ(CRect(7, 7, 393, 393), osc.graph.GetDrawingRect());

  // Printing rectangles take the printer's font rule.
  struct CFontProbe : CGraphWindow {
    std::vector<int> fonts;
    void DrawGraph(CDC*, LPCRECT) override { fonts.push_back(GetFontHeight()); }
  } probe;
  p.plot.m_bOscMode = 0;
  probe.SetPlot(&p.plot);
  Canvas c(10, 10);
  probe.PrintGraph(&c.dc, CRect(0, 0, 3000, 2000), 0);
  probe.PrintGraph(&c.dc, CRect(0, 0, 1200, 1000), 0);
  EXPECT_EQ((std::vector<int>{60, 40}), probe.fonts);
  EXPECT_EQ(-1, probe.GetDrawingMode());
}

// An 800 x 600 plot with titles, axis texts, curves on both sides and a legend.
struct FullPlot : Plot {
  FullPlot() {
    std::vector<double> y = Sine(200, 2, 2500), gap = Ramp(200, 0.01);
    gap[100] = PLOT_MISSING;
    AddCurve("time", Ramp(200, 0.05), "s");
    AddCurve("speed", y, "rpm");
    AddCurve("current", gap, "A");
    plot.m_strTitle = "Test plot";
    plot.m_strLabel1 = "Speed";
    plot.m_strLabel2 = "Current";
    plot.m_crBackground = RGB(0, 0, 0);
    Draw(0, 1, 1, RGB(255, 255, 0));
    Draw(0, 2, 2, RGB(0, 255, 0));
  }
};

TEST(GraphDrawing, PlotWithTitlesLegendAndBothAxes) {
  FullPlot p;
  Host h(&p.plot, 800, 600);
  CGraphWindow& g = h.graph;
  ASSERT_TRUE(SaveWindowImage(g.m_hWnd, dravonix::test::OutputPath("plot/graph-800x600.png").c_str()));
  CRect r = g.GetDrawingRect();
  EXPECT_EQ(2, g.GetLegendCount());
  EXPECT_EQ(RGB(0, 0, 0), h.Pixel(r.left + 5, r.top + 5));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), h.Pixel(6, r.top + 4));
  CXYCurve* c = p.plot.GetAt(0);
  int k = 37;
  EXPECT_EQ(RGB(255, 255, 0), h.Pixel(g.MapX(c->GetXPointValue(k, nullptr)), g.MapY(c->GetYPointValue(k, nullptr), 1)));
  // The gap at sample 100 of the right curve stays background in its middle.
  CXYCurve* right = p.plot.GetAt(1);
  // A line ends one pixel short of its last point: sample 98 is lit, the gap is not.
  int x0 = g.MapX(right->GetXPointValue(98, nullptr)), x1 = g.MapX(right->GetXPointValue(101, nullptr));
  int y = g.MapY(right->GetYPointValue(98, nullptr), 2);
  EXPECT_EQ(RGB(0, 255, 0), h.Pixel(x0, y));
  EXPECT_NE(RGB(0, 255, 0), h.Pixel((x0 + x1) / 2, y));

  // Texts: the exponent label, the right-axis marker and the legend entries.
  Canvas cv(800, 600);
  CRecordingDC rec(cv.dc);
  g.DrawGraph(&cv.dc, nullptr);
  CString text = rec.Text();
  EXPECT_NE(-1, text.Find("\"x1e3\"")) << text;
  EXPECT_NE(-1, text.Find("\" [YR]\""));
  EXPECT_NE(-1, text.Find("\" speed[rpm] \""));
  EXPECT_NE(-1, text.Find("\" {YR}current[A] \""));
  EXPECT_NE(-1, text.Find("\" time[s] \""));
  EXPECT_EQ(-1, g.GetDrawingMode());
  // An update among the scales alone, as a window above moving off them leaves, draws them again.
  const CRect below(r.left, r.bottom + 4, r.right, r.bottom + 12);
  CRecordingDC strip(cv.dc);
  g.DrawGraph(&cv.dc, &below);
  EXPECT_NE(-1, strip.Text().Find("\"x1e3\""));
}

TEST(GraphDrawing, LegendKeepsFourEntries) {
  Plot p;
  p.AddCurve("t", Ramp(5));
  for (int i = 0; i < 6; ++i) {
    CString n;
    n.Format("c%d", i);
    p.AddCurve(n, Ramp(5));
    p.Draw(0, i + 1);
  }
  p.list.Add(NewCurve("t2", Ramp(5)));
  p.Draw(7, 1);  // another X source: each entry names its X
  Host h(&p.plot, 500, 400);
  EXPECT_EQ(4, h.graph.GetLegendCount());
  Canvas cv(500, 400);
  CRecordingDC rec(cv.dc);
  h.graph.DrawGraph(&cv.dc, nullptr);
  EXPECT_EQ(4, rec.Text().Replace("(t)", "(t)"));
}

TEST(GraphDrawing, OscilloscopeCursorsTriggerAndOffset) {
  Plot p;
  p.AddCurve("time", Ramp(101, 0.1), "s");
  p.AddCurve("pos", Sine(101, 1), "mm");
  p.list.GetAt(1)->m_dOscOffset = -1.0;
  p.plot.m_bOscMode = 1;
  p.plot.m_crAxis = RGB(128, 128, 128);
  p.plot.m_crCursor = RGB(255, 0, 0);
  p.plot.m_markers.Add(-2.0);
  p.plot.m_markers.Add(3.0);
  p.plot.m_dCursor1 = 1.0;
  p.plot.m_dCursor2 = 0.5;
  p.plot.m_nCursorCurve = 0;
  p.Draw(0, 1, 1, RGB(0, 255, 255));
  Host h(&p.plot, 600, 400, 4);
  ASSERT_TRUE(SaveWindowImage(h.graph.m_hWnd, dravonix::test::OutputPath("plot/graph-oscilloscope.png").c_str()));
  CGraphWindow& g = h.graph;
  CRect r = g.GetDrawingRect();
  EXPECT_EQ(RGB(128, 128, 128), h.Pixel(g.MapX(0), r.top + 3));
  EXPECT_EQ(RGB(255, 0, 0), h.Pixel(g.MapX(1.0), r.top - 2));  // just above the trigger tip
  int lit = 0;
  for (int y = r.top + 10; y < r.bottom - 20; ++y) lit += h.Pixel(g.MapX(-2.0), y) == RGB(255, 0, 0);
  EXPECT_GT(lit, 50);  // the dotted cursor line
  EXPECT_FALSE(g.GetScaleBox(0, 0).IsRectEmpty());
  EXPECT_FALSE(g.GetPersistBox().IsRectEmpty());
}

// The graticule's minor ticks cross the zero lines equally far on both axes: a tenth of a division
// each way on a ten-division view.
TEST(GraphDrawing, OscilloscopeMinorTicksAreAlikeOnBothAxes) {
  Plot p;
  p.AddCurve("time", Ramp(11, 0.1), "s");
  p.AddCurve("pos", Ramp(11, 0.0), "mm");
  p.plot.m_bOscMode = 1;
  p.plot.m_crAxis = RGB(128, 128, 128);
  p.Draw(0, 1, 1, RGB(0, 255, 255));
  Host h(&p.plot, 600, 400, 4);
  CGraphWindow& g = h.graph;
  const double view[6] = {-5, 5, -5, 5, -5, 5};
  g.SetViewRange(view);
  g.Invalidate();
  UiAutomation::Pump();
  const COLORREF axis = RGB(128, 128, 128);
  EXPECT_EQ(axis, h.Pixel(g.MapX(0.2), g.MapY(0.08, 1)));  // on the X axis
  EXPECT_EQ(axis, h.Pixel(g.MapX(0.08), g.MapY(0.2, 1)));  // on the Y axis
}

TEST(GraphCurves, DotPatternsPiecesAndSingleSamples) {
  // Width 1 on the screen: each dot bit covers three pixels.
  Canvas a(60, 10);
  {
    CDotDC d(a.dc.m_hDC, CDotDC::GetPattern(PS_DOT), 1, RGB(255, 0, 0));
    d.MoveTo(0, 5);
    d.LineTo(30, 5);
  }
  std::string runs;
  for (int x = 0; x < 12; ++x) runs += a.dc.GetPixel(x, 5) == RGB(255, 0, 0) ? '#' : '.';
  EXPECT_EQ("###...###...", runs);

  // A dashed line drawn in two pieces lights the pixels of one.
  CXYCurve curve;
  curve.m_nPenStyle = PS_DASHDOT, curve.m_crColor = RGB(0, 0, 255);
  RECT clip{0, 0, 200, 100};
  Canvas one(200, 100), two(200, 100);
  {
    CDotDC d(one.dc.m_hDC, &curve, clip);
    d.MoveTo(3, 7);
    d.LineTo(90, 41);
    d.LineTo(190, 80);
  }
  curve.m_dwDrawState = 0;
  {
    CDotDC d(two.dc.m_hDC, &curve, clip);
    d.MoveTo(3, 7);
    d.LineTo(90, 41);
  }
  {
    CDotDC d(two.dc.m_hDC, &curve, clip);
    d.MoveToKeepTrack(90, 41);
    d.LineTo(190, 80);
  }
  EXPECT_EQ(one.Lit(0, 0, 199, 99, RGB(0, 0, 255)), two.Lit(0, 0, 199, 99, RGB(0, 0, 255)));
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(one.dc.GetPixel(x, y), two.dc.GetPixel(x, y)) << x << "," << y;

  // One sample draws no line.
  Plot p;
  p.AddCurve("t", {0.0, 1.0});
  p.AddCurve("v", {0.5, 0.5});
  p.list.GetAt(0)->SetUpperValid(0);
  p.Draw(0, 1, 1, RGB(255, 0, 255));
  Host h(&p.plot, 300, 200);
  EXPECT_EQ(0, [&] {
    int n = 0;
    CRect r = h.graph.GetDrawingRect();
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += h.Pixel(x, y) == RGB(255, 0, 255);
    return n;
  }());
}

TEST(GraphCurves, MonotoneCurvesAreNarrowedToTheVisibleSamples) {
  CGraphWindow g;
  CCurve* c = NewCurve("x", Ramp(1000));
  int first = 0, last = 999;
  g.NarrowDrawDomain(c, first, last, 499.5, 520.5);
  EXPECT_EQ(498, first);
  EXPECT_EQ(521, last);
  first = 0, last = 999;
  g.NarrowDrawDomain(c, first, last, 2000, 3000);
  EXPECT_EQ(-1, last);
  std::vector<double> down = Ramp(1000);
  for (double& v : down) v = -v;
  CCurve* d = NewCurve("d", down);
  first = 0, last = 999;
  g.NarrowDrawDomain(d, first, last, -520.5, -499.5);
  EXPECT_EQ(498, first);
  EXPECT_EQ(521, last);
  delete c;
  delete d;
}

// The million-sample curve equals drawing it sample by sample through CDotDC.
TEST(GraphCurves, MillionSamplesMatchSampleBySampleDrawing) {
  Plot p;
  const int n = 1000000;
  p.AddCurve("t", Ramp(n, 1e-3));
  p.AddCurve("v", Sine(n, 4));
  CXYCurve* c = p.Draw(0, 1, 1, RGB(255, 255, 0), PS_SOLID, 2);
  Host h(&p.plot, 800, 600);
  CGraphWindow& g = h.graph;
  Canvas fast(800, 600), slow(800, 600);
  g.FastDraw(&fast.dc);
  g.FastFrame(&slow.dc);
  {
    CRect r = g.GetDrawingRect();
    CDotDC d(slow.dc.m_hDC, c, CRect(r.left, r.top, r.right + 1, r.bottom + 1));
    // One column at a time would merge: step every sample exactly.
    for (int i = 0; i < n; ++i) {
      int x = g.MapX(c->GetXPointValue(i, nullptr)), y = g.MapY(c->GetYPointValue(i, nullptr), 1);
      if (i == 0) {
        d.MoveTo(x, y);
        continue;
      }
      // Vertical steps go one by one as plain lines, so the merge is not involved.
      CPoint from = CPoint(g.MapX(c->GetXPointValue(i - 1, nullptr)), g.MapY(c->GetYPointValue(i - 1, nullptr), 1));
      if (from == CPoint(x, y)) continue;
      d.MoveToKeepTrack(from.x, from.y);
      d.LineTo(x, y);
      d.MoveToKeepTrack(x, y);
    }
  }
  SaveImage(&fast.dc, dravonix::test::OutputPath("plot/million-samples.png").c_str());
  int differ = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      if (g.GetDrawingRect().PtInRect(CPoint(x, y))) differ += fast.dc.GetPixel(x, y) != slow.dc.GetPixel(x, y);
    }
  EXPECT_EQ(0, differ);
}

TEST(GraphCurves, UnitConversionIsTakenOncePerCurve) {
  FakeUnits units;
  Plot p;
  p.plot.SetUnits(units.Table());
  p.AddCurve("t", Ramp(10000, 1e-3), "s");
  p.AddCurve("v", Sine(10000, 1, 0.002), "m");
  CXYCurve* c = p.Draw(0, 1, 1, RGB(255, 0, 255));
  c->m_strYUnit = "mm";
  Host h(&p.plot, 400, 300);
  Canvas cv(400, 300);
  h.graph.DrawCurves(&cv.dc, nullptr);
  int k = 2500;  // the sine's top: 2 mm
  EXPECT_NEAR(2.0, c->GetYPointValue(k, units.Table()), 1e-6);
  EXPECT_EQ(RGB(255, 0, 255), cv.dc.GetPixel(h.graph.MapX(c->GetXPointValue(k, units.Table())), h.graph.MapY(2.0, 1)));
}

// Samples from `first` on arriving one by one on a plot of a 360 x 260 window showing X up to `xMax`
// (the logger tells the window of each): the number of steps whose picture differs from a repaint.
int StaleArrivals(Plot& p, int first, double xMax) {
  for (int c = 0; c < p.list.GetSize(); ++c) p.list.GetAt(c)->SetUpperValid(first - 1);
  Host h(&p.plot, 360, 260, 2);
  CGraphWindow& g = h.graph;
  const double view[6] = {-1, xMax, -4, 4, 0, 1};
  g.SetViewRange(view);
  g.Invalidate();
  int stale = 0;
  for (int k = first; k < p.list.GetAt(0)->GetSize(); ++k) {
    for (int c = 0; c < p.list.GetSize(); ++c) p.list.GetAt(c)->SetUpperValid(k);
    g.UpdateLastPoint();
    stale += dravonix::test::PixelsOffFullRepaint(g.m_hWnd) != 0;
  }
  return stale;
}

// A four-pixel curve, solid and dotted, joins its arriving pieces as a repaint joins them.
TEST(GraphCurves, ArrivingSamplesOfAWidePenJoinAsARepaint) {
  for (int style : {PS_SOLID, PS_DOT}) {
    Plot p;
    p.AddCurve("t", Ramp(40, 0.25));
    p.AddCurve("v", Sine(40, 1.5, 3));
    p.Draw(0, 1, 1, RGB(255, 255, 0), style, 4);
    EXPECT_EQ(0, StaleArrivals(p, 21, 11)) << style;
  }
}

// Two curves that cross, the later one solid or dash-dot: where their arriving pieces meet, the later
// curve lies on top, as in a repaint.
TEST(GraphCurves, ArrivingSamplesOfCrossingCurvesLayerAsARepaint) {
  for (int style : {PS_SOLID, PS_DASHDOT}) {
    Plot p;
    p.AddCurve("t", Ramp(60, 0.25));
    p.AddCurve("v", Sine(60, 3.8, 3));
    p.AddCurve("w", Sine(60, 1.47, 3));
    p.Draw(0, 1, 1, RGB(255, 255, 0), PS_SOLID, 4);
    p.Draw(0, 2, 1, RGB(0, 255, 255), style, 2);
    EXPECT_EQ(0, StaleArrivals(p, 3, 16)) << style;
  }
}

// Zoomed beyond the last sample, a dotted curve shows nowhere: the next sample's piece, arriving into
// the view, starts its dots where a repaint starts them.
TEST(GraphCurves, AnArrivingPieceIntoAViewBeyondTheCurveDotsAsARepaint) {
  Plot p;
  p.AddCurve("t", Ramp(40, 0.25));
  p.AddCurve("w", Sine(40, 0.7, 150));
  for (int c = 0; c < 2; ++c) p.list.GetAt(c)->SetUpperValid(20);
  p.Draw(0, 1, 1, RGB(0, 255, 255), PS_DOT, 1);
  Host h(&p.plot, 360, 260, 3);
  CGraphWindow& g = h.graph;
  const CRect r = g.GetDrawingRect();
  UiAutomation::Drag(g.m_hWnd, CPoint(r.right - 3, r.top + 22), CPoint(r.right + 40, r.bottom - 15));
  UiAutomation::AdvanceClock(1000);
  ASSERT_FALSE(g.IsEmptyZoomStack());
  for (int c = 0; c < 2; ++c) p.list.GetAt(c)->SetUpperValid(21);
  g.UpdateLastPoint();
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

// A wide pen's arriving piece joins the one before it again: the selected point's box there stays on top.
TEST(GraphCurves, ASelectedPointStaysOverTheWidePensArrivingPiece) {
  Plot p;
  p.AddCurve("t", Ramp(40, 0.25));
  p.AddCurve("v", Sine(40, 1.5, 3));
  p.AddCurve("w", Sine(40, 0.7, 150));
  for (int c = 0; c < 3; ++c) p.list.GetAt(c)->SetUpperValid(20);
  p.Draw(0, 1, 1, RGB(255, 255, 0), PS_DOT, 1);
  p.Draw(0, 2, 2, RGB(0, 255, 255), PS_DASHDOTDOT, 4);
  Host h(&p.plot, 360, 260, 1);
  CGraphWindow& g = h.graph;
  CXYCurve* c = p.plot.GetAt(1);
  UiAutomation::Click(g.m_hWnd, CPoint(g.MapX(c->GetXPointValue(19, nullptr)), g.MapY(c->GetYPointValue(19, nullptr), 2)));
  UiAutomation::AdvanceClock(1000);
  for (int k = 0; k < 3; ++k) p.list.GetAt(k)->SetUpperValid(21);
  g.UpdateLastPoint();
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

TEST(GraphCurves, LiveUpdatesDrawTheNewSampleOrWidenTheView) {
  Plot p;
  p.AddCurve("t", Ramp(3));
  p.AddCurve("v", {0.0, 1.0, 2.0});
  p.Draw(0, 1, 1, RGB(255, 0, 255));
  Host h(&p.plot, 400, 300);
  double before[6], after[6];
  h.graph.GetViewRange(before);
  p.list.GetAt(0)->Add(3.0);
  p.list.GetAt(1)->Add(10.0);
  h.graph.UpdateLastPoint();
  h.graph.GetViewRange(after);
  EXPECT_EQ(before[0], after[0]);
  EXPECT_DOUBLE_EQ(3.0 * 1.2, after[1]);  // a new maximum takes a 20 % margin
  EXPECT_DOUBLE_EQ(10.0 * 1.2, after[3]);
  EXPECT_EQ(10.0, p.plot.m_dY1Max);
}

// ---- Mouse ----

TEST(GraphMouse, ZoomBandsCursorsAndNotifications) {
  Plot p;
  p.AddCurve("time", Ramp(101, 0.1), "s");
  p.AddCurve("pos", Sine(101, 1), "mm");
  p.plot.m_bOscMode = 1;
  p.plot.m_markers.Add(-1.0);
  p.plot.m_markers.Add(-0.98);
  p.Draw(0, 1);
  Host h(&p.plot, 600, 400, 4);
  CGraphWindow& g = h.graph;
  // Of two cursors within 5 pixels the later one moves; dropped left of X min it lands inside.
  CRect r = g.GetDrawingRect();
  UiAutomation::Drag(g.m_hWnd, CPoint(g.MapX(-0.99), 200), CPoint(r.left - 40, 200));
  EXPECT_DOUBLE_EQ(-1.0, p.plot.m_markers[0]);
  EXPECT_NEAR(-0.9, p.plot.m_markers[1], 1e-9);  // held right of the previous cursor
  double zoomed[6] = {-4.97, 4.97, -5, 5, -5, 5};
  g.SetViewRange(zoomed);
  UiAutomation::Drag(g.m_hWnd, CPoint(g.MapX(-1.0) - 4, 200), CPoint(r.left - 2, 200));
  EXPECT_NEAR(-4.9, p.plot.m_markers[0], 1e-9);

  // A band from -7 to 7 divisions zooms to [-5, 5].
  double wide[6] = {-10, 10, -10, 10, -10, 10};
  g.SetViewRange(wide);
  UiAutomation::Drag(g.m_hWnd, CPoint(g.MapX(-7), g.MapY(7, 1)), CPoint(g.MapX(7), g.MapY(-7, 1)));
  double v[6];
  g.GetViewRange(v);
  EXPECT_EQ(-5, v[0]);
  EXPECT_EQ(5, v[1]);
  EXPECT_FALSE(g.IsEmptyZoomStack());
  g.DoZoomPrev();
  g.GetViewRange(v);
  EXPECT_EQ(-10, v[0]);
  EXPECT_TRUE(g.IsEmptyZoomStack());

  // Moves post the position inside the plot and -1 outside.
  h.parent.notes.clear();
  UiAutomation::MouseMove(g.m_hWnd, CPoint(100, 120));
  UiAutomation::MouseMove(g.m_hWnd, CPoint(595, 5));
  ASSERT_EQ(2u, h.parent.notes.size());
  EXPECT_EQ(CGraphWindow::m_WMGraphCursorMove, h.parent.notes[0].msg);
  EXPECT_EQ(14000u, h.parent.notes[0].id);
  EXPECT_EQ((LPARAM)(100 | 120 << 16), h.parent.notes[0].l);
  EXPECT_EQ(0xFFFFFFFFu, (DWORD)h.parent.notes[1].l);
}

TEST(GraphMouse, TinyZoomsAreRefusedAndRightClicksNotify) {
  Plot p;
  p.AddCurve("t", Ramp(100));
  p.AddCurve("v", Ramp(100));
  p.Draw(0, 1);
  Host h(&p.plot, 600, 400, 2);
  CGraphWindow& g = h.graph;
  double tiny[6] = {10, 10 + 1e-4, 10, 10 + 1e-4, 0, 1}, v[6];
  g.SetViewRange(tiny);
  g.DoZoomIn();
  g.GetViewRange(v);
  EXPECT_EQ(10 + 1e-4, v[1]);
  EXPECT_TRUE(g.IsEmptyZoomStack());
  for (int style : {0, 5}) {
    Host other(&p.plot, 300, 200, style);
    UiAutomation::Click(other.graph.m_hWnd, CPoint(150, 100));
    UiAutomation::RightClick(other.graph.m_hWnd, CPoint(40, 50));
    ASSERT_EQ(1u, other.parent.notes.size()) << style;
    EXPECT_EQ(CGraphWindow::m_WMGraphNotify, other.parent.notes[0].msg);
    EXPECT_EQ((LPARAM)(40 | 50 << 16), other.parent.notes[0].l);
  }
}

TEST(GraphMouse, PointDragStoresTheValuesAndNotifies) {
  Plot p;
  p.AddCurve("t", Ramp(5));
  p.AddCurve("v", {0.0, 1.0, 2.0, 3.0, 4.0});
  p.Draw(0, 1);
  Host h(&p.plot, 600, 400, 1);
  CGraphWindow& g = h.graph;
  CPoint from(g.MapX(2), g.MapY(2, 1)), to(from.x + 10, g.MapY(3.5, 1));
  UiAutomation::Drag(g.m_hWnd, from, to);
  ASSERT_EQ(1u, h.parent.notes.size());
  EXPECT_EQ(CGraphWindow::m_WMGraphCursorMove, h.parent.notes[0].msg);
  EXPECT_EQ((LPARAM)(0 | 2 << 16), h.parent.notes[0].l);
  EXPECT_EQ(0, g.GetSelectedCurve());
  EXPECT_EQ(2, g.GetSelectedPoint());
  EXPECT_NEAR(g.GetXCoord(to.x), p.list.GetAt(0)->GetAt(2), 1e-9);
  EXPECT_NEAR(3.5, p.list.GetAt(1)->GetAt(2), 0.05);
  // The line is drawn through the point's new place at once.
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

// Points whose neighbours stand a column apart, or share one, leave no room between them: dragged
// far left or right, each keeps its own column, so the curve's X order holds.
TEST(GraphMouse, APointWithNoRoomBetweenItsNeighboursKeepsItsColumn) {
  Plot p;
  p.AddCurve("t", Ramp(500));
  p.AddCurve("v", Sine(500, 2, 3));
  p.Draw(0, 1);
  Host h(&p.plot, 600, 400, 1);
  CGraphWindow& g = h.graph;
  const CCurve& x = *p.list.GetAt(0);
  int dragged = 0;
  for (int k = 20; k < 480; k += 23) {
    const int column = g.MapX(x.GetAt(k));
    if (g.MapX(x.GetAt(k + 1)) - g.MapX(x.GetAt(k - 1)) > 2) continue;
    const CPoint from(column, g.MapY(p.list.GetAt(1)->GetAt(k), 1));
    UiAutomation::Drag(g.m_hWnd, from, from + CSize(k % 2 ? 60 : -60, 15));
    ++dragged;
    EXPECT_EQ(column, g.MapX(x.GetAt(k))) << k;
    EXPECT_LE(x.GetAt(k - 1), x.GetAt(k)) << k;
    EXPECT_LE(x.GetAt(k), x.GetAt(k + 1)) << k;
  }
  EXPECT_GE(dragged, 10);
}

// An X text wider than the window: after a zoom its box still lies over the window's frame, as in a
// repaint.
TEST(GraphMouse, AZoomKeepsAWideTextBoxOverTheFrame) {
  Plot p;
  p.AddCurve("a rather long time axis name", Ramp(50, 50), "ms");
  p.AddCurve("v", Ramp(50, 40000));
  p.Draw(0, 1);
  Host h(&p.plot, 180, 200, 2);
  CGraphWindow& g = h.graph;
  const CRect r = g.GetDrawingRect();
  UiAutomation::Drag(g.m_hWnd, r.TopLeft() + CPoint(1, 1), r.TopLeft() + CPoint(r.Width() / 3, r.Height() / 3));
  EXPECT_FALSE(g.IsEmptyZoomStack());
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

// Marked samples beyond a zoomed view leave no boxes over the title (the owner marks them and zooms).
TEST(GraphMouse, MarkedSamplesBeyondTheViewStayOffTheTitle) {
  Plot p;
  p.AddCurve("t", Ramp(40, 0.25));
  p.AddCurve("v", Sine(40, 1.5, 3));
  p.Draw(0, 1);
  p.plot.m_strTitle = "Title";
  CDWordArray marked;
  for (int k = 0; k < 40; k += 2) marked.Add(k);
  Host h(&p.plot, 360, 260, 3);
  CGraphWindow& g = h.graph;
  g.SetMarkedSamples(&marked);
  g.RefreshWindow();
  g.DoZoomIn();
  g.DoZoomIn();
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

// A point pressed where a later curve's point lies over it: once the button is up the picture is the
// one a repaint draws, the later curve's box on top.
TEST(GraphMouse, APressedPointUnderAnotherIsLayeredAsARepaint) {
  Plot p;
  p.AddCurve("t", Ramp(3));
  p.AddCurve("v", {0.0, 2.0, 1.0});
  p.AddCurve("w", {1.0, 2.0, 0.0});
  p.Draw(0, 1, 1, RGB(255, 255, 0));
  p.Draw(0, 2, 1, RGB(0, 255, 255));
  Host h(&p.plot, 400, 300, 1);
  CGraphWindow& g = h.graph;
  const CPoint at(g.MapX(1), g.MapY(2, 1));
  UiAutomation::Click(g.m_hWnd, at);
  EXPECT_EQ(0, g.GetSelectedCurve());
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

// A marked sample the owner selects shows the highlight, and keeps it through a repaint.
TEST(GraphMouse, ASelectedMarkedSampleKeepsItsHighlight) {
  Plot p;
  p.AddCurve("t", Ramp(20));
  p.AddCurve("v", Ramp(20));
  p.Draw(0, 1, 1, RGB(0, 255, 255));
  CDWordArray marked;
  for (int k : {4, 9, 14}) marked.Add((DWORD)k);
  Host h(&p.plot, 360, 260, 3);
  CGraphWindow& g = h.graph;
  g.SetMarkedSamples(&marked);
  g.RefreshWindow();
  g.SelectPoint(0, 1);
  UiAutomation::Pump();
  EXPECT_EQ(RGB(255, 0, 0), h.Pixel(g.MapX(9) - 1, g.MapY(9, 1) - 1));  // red: 255 minus the curve's red
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

// A marked sample selected just above a zoomed view: its highlighted box, two pixels onto the frame,
// comes back there when the box is repainted.
TEST(GraphMouse, ASelectedMarkedSampleOverTheFrameIsRepaintedThere) {
  Plot p;
  p.AddCurve("t", Ramp(40, 0.25));
  p.AddCurve("v", Sine(40, 1.5, 3));
  p.AddCurve("w", Sine(40, 0.7, 150));
  for (int c = 0; c < 3; ++c) p.list.GetAt(c)->SetUpperValid(20);
  p.Draw(0, 1, 1, RGB(255, 255, 0), PS_DASHDOT, 4);
  p.Draw(0, 2, 2, RGB(0, 255, 255), PS_SOLID, 1);
  CDWordArray marked;
  for (int k : {3, 10, 17}) marked.Add((DWORD)k);
  Host h(&p.plot, 360, 260, 3);
  CGraphWindow& g = h.graph;
  g.SetMarkedSamples(&marked);
  g.RefreshWindow();
  g.DoZoomIn();
  h.parent.MoveWindow(0, 0, 375, 106);
  g.MoveWindow(0, 0, 375, 106);
  UiAutomation::Pump();
  ASSERT_EQ(g.GetDrawingRect().top, g.MapY(p.list.GetAt(1)->GetAt(10), 1) + 3);
  g.SelectPoint(1, 1);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(g.m_hWnd));
}

// Point-editing and marking windows (styles 1 and 3) and a zooming one, used by the mouse and by their
// owner (samples arriving, points selected, zooms, redraws, resizes): after every step the picture is
// the one a full repaint draws.
TEST(GraphMouse, PointAndMarkWindowsWalkMatchesAFullRepaint) {
  for (int round = 0; round < 24; ++round) {
    std::mt19937 rng((unsigned)round * 7 + 1 + (getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 0u));
    const int style = 1 + round % 3, width = 1 + (round / 3) % 4;
    Plot p;
    p.AddCurve("t", Ramp(40, 0.25));
    p.AddCurve("v", Sine(40, 1.5, 3));
    p.AddCurve("w", Sine(40, 0.7, 150));
    for (int c = 0; c < 3; ++c) p.list.GetAt(c)->SetUpperValid(20);
    p.Draw(0, 1, 1, RGB(255, 255, 0), round % 5, width);
    p.Draw(0, 2, 2, RGB(0, 255, 255), (round + 2) % 5, 5 - width);
    p.plot.m_strTitle = "Title";
    p.plot.m_strLabel1 = "Left";
    CDWordArray marked;
    for (int k : {3, 10, 17}) marked.Add((DWORD)k);
    Host h(&p.plot, 360, 260, style);
    CGraphWindow& g = h.graph;
    if (style == 3) g.SetMarkedSamples(&marked);
    g.RefreshWindow();
    std::string done;
    for (int step = 0; step < 30; ++step) {
      const int op = (int)(rng() % 9);
      CPoint a((int)(rng() % 380) - 10, (int)(rng() % 280) - 10), b((int)(rng() % 380) - 10, (int)(rng() % 280) - 10);
      if (op <= 1) {
        if (style == 1) {  // from a point, or a click on it
          CXYCurve* c = p.plot.GetAt((int)(rng() % 2));
          const int k = (int)(rng() % 21);
          a = CPoint(g.MapX(c->GetXPointValue(k, nullptr)), g.MapY(c->GetYPointValue(k, nullptr), c->m_nAxis));
          if (op == 1) b = a;
        }
        UiAutomation::Drag(g.m_hWnd, a, b);
      } else if (op == 2) {
        UiAutomation::DoubleClick(g.m_hWnd, a);
      } else if (op == 3) {
        for (int c = 0; c < 3; ++c) p.list.GetAt(c)->SetUpperValid(std::min(39, p.list.GetAt(c)->GetUpperValid() + 1));
        g.UpdateLastPoint();
      } else if (op == 4) {
        const int w = 60 + (int)(rng() % 320), hh = 40 + (int)(rng() % 240);
        h.parent.MoveWindow(0, 0, w, hh);
        g.MoveWindow(0, 0, w, hh);
      } else if (op == 5) {
        g.SelectPoint((int)(rng() % 2), (int)(rng() % (style == 3 ? 3 : 21)));
      } else if (op == 6) {
        g.RefreshGraph();
      } else if (op == 7) {
        UiAutomation::Click(g.m_hWnd, a);
      } else {
        g.DoZoomIn();
      }
      UiAutomation::AdvanceClock(1000);
      done += " " + std::to_string(op);
      const int off = dravonix::test::PixelsOffFullRepaint(g.m_hWnd);
      if (off != 0) {
        ADD_FAILURE() << "round " << round << ", " << off << " pixels off after steps" << done;
        break;
      }
    }
  }
}

// ---- Output ----

// A plot's print that cannot start names the file and the cause.
TEST(GraphOutput, APrintThatCannotStartNamesTheFile) {
  const std::string dir = dravonix::test::ScratchDir("graph-print-refused");
  std::ofstream(dir + "/plain") << "x";
  SetPrinterOutputFolder((dir + "/plain").c_str());
  FullPlot p;
  p.plot.m_strTitle = "Refused";
  Host h(&p.plot, 400, 300);
  Automation::Instance().ClearMessageBoxes();
  DialogAutomation::CommonAnswer ok;
  ok.ok = true;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, ok);
  h.graph.PrintGraph();
  SetPrinterOutputFolder(nullptr);
  const auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Cannot write in file " + dir + "/plain/Refused.pdf! The system cannot find the path specified.", boxes[0].text);
  EXPECT_EQ(-1, h.graph.GetDrawingMode());
}

TEST(GraphOutput, PrintingTheGraphOnAPage) {
  std::string dir = dravonix::test::ScratchDir("graph-print");
  SetPrinterOutputFolder(dir.c_str());
  FullPlot p;
  p.plot.m_strTitle = "A forty character title for the printer!";  // 40 characters
  Host h(&p.plot, 400, 300);
  DialogAutomation::PushCancel(DialogAutomation::CommonKind::Print);
  h.graph.PrintGraph();
  EXPECT_TRUE(fs::is_empty(dir));
  DialogAutomation::CommonAnswer ok;
  ok.ok = true;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, ok);
  h.graph.PrintGraph();
  std::string pdf = dir + "/A forty character title for the.pdf";
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_EQ(-1, h.graph.GetDrawingMode());
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is not installed: the PDF was written but not rendered";
  std::string cmd = "pdftoppm -r 75 -png -singlefile '" + pdf + "' '" + dir + "/page' 2>/dev/null";
  ASSERT_EQ(0, std::system(cmd.c_str()));
  CBitmap page;
  std::string png = ReadFileText(dir + "/page.png");
  page.Attach(CreateBitmapFromBytes((const BYTE*)png.data(), png.size()));
  CDC screen, mem;
  screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  mem.CreateCompatibleDC(&screen);
  mem.SelectObject(&page);
  // 400 x 300 printer pixels at 600 dpi are 50 x 37 pixels at 75 dpi, one inch (75 pixels) in.
  int curve = 0;
  for (int y = 75; y < 75 + 38; ++y)
    for (int x = 75; x < 75 + 50; ++x) {
      COLORREF c = mem.GetPixel(x, y);
      curve += GetRValue(c) > 150 && GetGValue(c) > 150 && GetBValue(c) < 100;
    }
  EXPECT_GT(curve, 0);
}

TEST(GraphOutput, MetafilesPlaceableHeaderAndExportFailures) {
  std::string dir = dravonix::test::ScratchDir("graph-wmf");
  {
    CSaveMetaFileDC mf;
    ASSERT_TRUE(mf.Create((dir + "/placeable.wmf").c_str()));
    mf.Rectangle(0, 0, 100, 100);
    HMETAFILE h = mf.Close();
    DeleteMetaFile(h);
  }
  std::string bytes = ReadFileText(dir + "/placeable.wmf");
  ASSERT_GT(bytes.size(), 22u);
  auto word = [&](int at) { return (WORD)((BYTE)bytes[(size_t)at] | (BYTE)bytes[(size_t)at + 1] << 8); };
  EXPECT_EQ(0x9AC6CDD7u, (DWORD)word(0) | (DWORD)word(2) << 16);
  EXPECT_EQ(8334, word(10));
  EXPECT_EQ(6250, word(12));
  EXPECT_EQ(1000, word(14));
  EXPECT_EQ(0x6C1D, word(20));

  FullPlot p;
  Host h(&p.plot, 400, 300);
  std::string emf = dir + "/graph.wmf";
  DialogAutomation::PushFileDialogResult(emf.c_str());
  h.graph.CreateWMF("graph");
  auto dialogs = DialogAutomation::CommonDialogs();
  ASSERT_FALSE(dialogs.empty());
  EXPECT_EQ("Export WMF", dialogs.back().title);
  EXPECT_EQ("wmf", dialogs.back().defExt);
  EXPECT_EQ("WMF(*.wmf)|*.wmf|All Files(*.*)|*.*||", dialogs.back().filter);
  std::string data = ReadFileText(emf);
  ASSERT_GT(data.size(), 100u);
  EXPECT_EQ(1, data[0]);  // an enhanced metafile header record
  std::string desc;
  for (char c : std::string("ZOL Graph")) desc += c, desc += '\0';
  EXPECT_NE(std::string::npos, data.find(desc));

  Automation::Instance().ClearMessageBoxes();
  DialogAutomation::PushFileDialogResult((dir + "/missing/folder/x.wmf").c_str());
  h.graph.CreateWMF("x");
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(std::string::npos, boxes[0].text.find("An unexpected error occurred while accessing"));
  EXPECT_EQ(-1, h.graph.GetDrawingMode());
  DialogAutomation::PushCancel(DialogAutomation::CommonKind::FileSave);
  h.graph.CreateWMF("y");
  EXPECT_FALSE(fs::exists(dir + "/y.wmf"));

  if (!HaveTool("libreoffice")) GTEST_SKIP() << "LibreOffice is not installed: the metafiles were not converted";
  std::string cmd = "cd '" + dir + "' && libreoffice --headless --convert-to png graph.wmf >/dev/null 2>&1";
  EXPECT_EQ(0, std::system(cmd.c_str()));
  EXPECT_TRUE(fs::exists(dir + "/graph.png"));
}

TEST(GraphOutput, NoPlotAndTinyWindowsDrawNothing) {
  CGraphWindow g;
  EXPECT_EQ(0, g.Initialize());
  Canvas c(50, 50);
  g.DrawGraph(&c.dc, nullptr);
  g.FastDraw(&c.dc);
  g.UpdatePoint(3);
  g.DoZoomIn();
  g.PrintGraph();
  EXPECT_EQ(0, g.SelectPoint(0, 0));
  EXPECT_EQ(2500, c.Lit(0, 0, 49, 49, RGB(255, 255, 255)));
  Plot p;
  p.AddCurve("t", {PLOT_MISSING, PLOT_MISSING});
  p.AddCurve("v", {PLOT_MISSING, PLOT_MISSING});
  p.Draw(0, 1);
  Host h(&p.plot, 200, 150);
  h.graph.UpdateLastPoint();
  h.graph.UpdatePoint(0);
  EXPECT_EQ(-1, h.graph.GetDrawingMode());
}

}  // namespace

TEST(GraphCurves, MissingSamplesBreakTheLineAndMarkersFollowTheStyle) {
  // y is 0.5 everywhere but sample 5, which is missing: the line stops at 4 and starts again at 6.
  Plot p;
  p.AddCurve("t", Ramp(11));
  std::vector<double> y(11, 0.5);
  y[5] = 1e100;
  p.AddCurve("v", y);
  p.AddCurve("w", std::vector<double>(11, 0.25));
  p.Draw(0, 1, 1, RGB(255, 0, 255));
  p.Draw(0, 2, 1, RGB(0, 160, 0));
  {
    Host h(&p.plot, 400, 300);
    const int row = h.graph.MapY(0.5, 1);
    auto lit = [&](double from, double to) {
      int n = 0;
      for (int x = h.graph.MapX(from); x <= h.graph.MapX(to); ++x) n += h.Pixel(x, row) == RGB(255, 0, 255);
      return n;
    };
    EXPECT_GT(lit(1, 4), h.graph.MapX(4) - h.graph.MapX(1) - 2);
    EXPECT_EQ(0, lit(4.2, 5.8));
    EXPECT_GT(lit(6, 9), h.graph.MapX(9) - h.graph.MapX(6) - 2);
  }
  // Style 3 fills the boxes of the marked samples only, in the curve's colour.
  CDWordArray marked;
  marked.Add(2);
  marked.Add(40);  // past the last sample: ignored
  Host h3(&p.plot, 400, 300, 3);
  h3.graph.SetMarkedSamples(&marked);
  h3.graph.Invalidate();
  UiAutomation::Pump();
  const int row = h3.graph.MapY(0.25, 1);
  SaveWindowImage(&h3.graph, dravonix::test::OutputPath("plot/marked-samples.png").c_str());
  EXPECT_EQ(RGB(0, 160, 0), h3.Pixel(h3.graph.MapX(2) + 1, row + 1));
  EXPECT_NE(RGB(0, 160, 0), h3.Pixel(h3.graph.MapX(3) + 1, row + 1));
  h3.graph.SetMarkedSamples(nullptr);
}

TEST(GraphMouse, ZoomStackAndZoomsWithAndWithoutABand) {
  CZoomStack stack;
  EXPECT_TRUE(stack.IsEmpty());
  EXPECT_EQ(nullptr, stack.GetTop());
  EXPECT_EQ(0, stack.Pop());
  EXPECT_EQ(1, stack.Push(1, 2, 3, 4, 5, 6));
  EXPECT_EQ(1, stack.Push(7, 8, 9, 10, 11, 12));
  ASSERT_NE(nullptr, stack.GetTop());
  EXPECT_EQ(7, stack.GetTop()->m_dXMin);
  EXPECT_EQ(1, stack.Pop());
  EXPECT_EQ(1, stack.GetTop()->m_dXMin);
  stack.Flush();
  EXPECT_TRUE(stack.IsEmpty());

  Plot p;
  p.AddCurve("t", Ramp(101));
  p.AddCurve("v", Ramp(101));
  p.Draw(0, 1);
  Host h(&p.plot, 600, 400, 2);
  CGraphWindow& g = h.graph;
  double view[6] = {0, 100, 0, 100, 0, 40}, v[6];
  // Asked by the owner: a quarter of each span off each end.
  g.SetViewRange(view);
  g.DoZoomIn();
  g.GetViewRange(v);
  EXPECT_EQ((std::vector<double>{25, 75, 25, 75, 10, 30}), std::vector<double>(v, v + 6));
  // A band: its X and Y values widened by a twentieth of their span.
  g.SetViewRange(view);
  const CPoint a(g.MapX(20), g.MapY(60, 1)), b(g.MapX(60), g.MapY(20, 1));
  UiAutomation::Drag(g.m_hWnd, a, b);
  g.GetViewRange(v);
  EXPECT_NEAR(20 - 2, v[0], 0.5);
  EXPECT_NEAR(60 + 2, v[1], 0.5);
  EXPECT_NEAR(20 - 2, v[2], 0.5);
  EXPECT_NEAR(60 + 2, v[3], 0.5);
  // A double-click goes back one view at a time.
  UiAutomation::DoubleClick(g.m_hWnd, CPoint(300, 200));
  g.GetViewRange(v);
  EXPECT_EQ(100, v[1]);
  UiAutomation::DoubleClick(g.m_hWnd, CPoint(300, 200));
  g.GetViewRange(v);
  EXPECT_EQ(100, v[1]);  // the owner's zoom was stacked too: back to the same view
  EXPECT_TRUE(g.IsEmptyZoomStack());
  UiAutomation::DoubleClick(g.m_hWnd, CPoint(300, 200));  // nothing stacked: nothing changes
  g.GetViewRange(v);
  EXPECT_EQ(0, v[0]);
}
