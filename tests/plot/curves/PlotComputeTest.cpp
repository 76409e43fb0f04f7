#include "platform/core/Automation.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "plot/documents/GraphDocument.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/plot/PlotTestUnits.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

using graphtest::NewCurve;
using graphtest::Ramp;

CXYCurve* Drawn(DWORD x, DWORD y, int axis = 1) {
  CXYCurve* c = new CXYCurve;
  c->m_nXCurve = x;
  c->m_nYCurve = y;
  c->m_nAxis = axis;
  return c;
}

using dravonix::test::ReadFileText;

struct Limits {
  int bits;
  double x0, x1, y0, y1;
};

Limits LimitsOf(std::vector<double> y, int mode = CXYCurve::drawLines, std::vector<double> x = {}) {
  if (x.empty()) x = Ramp((int)y.size());
  CCurveArray list;
  list.Add(NewCurve("x", x));
  list.Add(NewCurve("y", y));
  CXYCurve c;
  c.m_nXCurve = 0, c.m_nYCurve = 1, c.m_nDrawMode = mode;
  c.m_pXCurve = list.GetAt(0), c.m_pYCurve = list.GetAt(1);
  int bits = c.ComputeLimits();
  return {bits, c.GetXMin(nullptr), c.GetXMax(nullptr), c.GetYMin(nullptr), c.GetYMax(nullptr)};
}

TEST(PlotLimits, DegenerateRangesOpenAndMissingSamplesAreSkipped) {
  Limits l = LimitsOf({5, 5, 5});
  EXPECT_EQ(l.bits, 3);
  EXPECT_EQ(l.y0, 0.0);
  EXPECT_EQ(l.y1, 5.0);
  EXPECT_EQ(l.x0, 0.0);
  EXPECT_EQ(l.x1, 2.0);
  l = LimitsOf({-5, -5});
  EXPECT_EQ(l.y0, -5.0);
  EXPECT_EQ(l.y1, 0.0);
  l = LimitsOf({0, 0, 0, 0});
  EXPECT_EQ(l.y0, -0.0001);
  EXPECT_EQ(l.y1, 0.0001);
  l = LimitsOf({-1, 3, 2});
  EXPECT_EQ(l.y0, -1.0);
  EXPECT_EQ(l.y1, 3.0);
  // A nearly flat range around zero crossing stays as it is.
  l = LimitsOf({-1e-9, 1e-9});
  EXPECT_EQ(l.y0, -1e-9);

  // Missing samples (1e100 and monitoring's 1.2345e100) never widen a range.
  l = LimitsOf({1e100, 2, 1.2345e100, 4, 1e100});
  EXPECT_EQ(l.y0, 2.0);
  EXPECT_EQ(l.y1, 4.0);
  EXPECT_EQ(l.x1, 4.0);
  // Nothing valid: 0..1, still result 3.
  l = LimitsOf({1e100, 1.2345e100});
  EXPECT_EQ(l.bits, 3);
  EXPECT_EQ(l.y0, 0.0);
  EXPECT_EQ(l.y1, 1.0);
  // Empty curve: 0..1 and result 0.
  l = LimitsOf({}, CXYCurve::drawLines, {});
  EXPECT_EQ(l.bits, 0);
  EXPECT_EQ(l.x1, 1.0);

  // Unresolved: 0..1, result 0.
  CXYCurve c;
  EXPECT_EQ(c.ComputeLimits(), 0);
  EXPECT_EQ(c.m_dYMax, 1.0);
}

TEST(PlotLimits, SplineCurvesTakeTheirInterpolatedValues) {
  std::vector<double> y{0, 1, 0, 1, 0};
  CSplineCubic ref;
  std::vector<double> x = Ramp(5);
  ASSERT_EQ(ref.Init(5, x.data(), y.data()), 1);
  double hi = 1, lo = 0;
  for (int i = 0; i < 4; ++i)
    for (int k = 1; k <= 19; ++k) {
      double v = ref.GetY(i + k / 20.0);
      hi = std::max(hi, v), lo = std::min(lo, v);
    }
  ASSERT_GT(hi, 1.0);
  Limits l = LimitsOf(y, CXYCurve::drawSpline);
  EXPECT_NEAR(l.y1, hi, 1e-12);
  EXPECT_NEAR(l.y0, lo, 1e-12);
  // Three samples: limited by the samples only.
  l = LimitsOf({0, 1, 0}, CXYCurve::drawSpline);
  EXPECT_EQ(l.y1, 1.0);

  // A spline that cannot be set up switches the curve to straight segments for good.
  CCurveArray list;
  list.Add(NewCurve("x", {0, 1, 1, 2}));
  list.Add(NewCurve("y", {0, 5, 6, 0}));
  list.Add(NewCurve("gap", {0, 5, 1e100, 0}));
  CXYCurve c;
  c.m_nDrawMode = CXYCurve::drawSpline;
  c.m_pXCurve = list.GetAt(0), c.m_pYCurve = list.GetAt(1);
  EXPECT_EQ(c.ComputeLimits(), 3);
  EXPECT_EQ(c.m_nDrawMode, CXYCurve::drawLines);
  EXPECT_EQ(c.m_dYMax, 6.0);
  // A missing sample cannot be splined through either.
  CCurve ramp(4, Ramp(4).data());
  CXYCurve d;
  d.m_nDrawMode = CXYCurve::drawSpline;
  d.m_pXCurve = &ramp, d.m_pYCurve = list.GetAt(2);
  EXPECT_EQ(d.ComputeLimits(), 3);
  EXPECT_EQ(d.m_nDrawMode, CXYCurve::drawLines);
  EXPECT_TRUE(d.m_spline.IsEmpty());
  EXPECT_EQ(d.m_dYMax, 5.0);
}

TEST(PlotLimits, PlotResolvesCurvesAndCombinesLimits) {
  CCurveArray list;
  list.Add(NewCurve("t", Ramp(11)));
  list.Add(NewCurve("a", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  list.Add(NewCurve("b", {-4, -3, 1e100}));
  list.Add(NewCurve("", {7, 7}));
  CGraphFilter plot(nullptr, "Plot", "left", "right");
  plot.m_pSource = &list;
  plot.Add(Drawn(0, 1, 1));
  plot.Add(Drawn(0, 2, 2));
  plot.Add(Drawn(0, 40, 1));       // outside the list: stays unresolved and is skipped
  plot.Add(Drawn(0x10000, 1, 1));  // only the low 16 bits of an index count
  plot.ComputeAxis();
  EXPECT_EQ(plot.m_bHasAxis1, 1);
  EXPECT_EQ(plot.m_bHasAxis2, 1);
  EXPECT_EQ(plot.GetAt(2)->m_pXCurve, nullptr);
  EXPECT_EQ(plot.GetAt(3)->m_pXCurve, list.GetAt(0));
  plot.ComputeLimits();
  EXPECT_EQ(plot.m_dXMin, 0.0);
  EXPECT_EQ(plot.m_dXMax, 10.0);
  EXPECT_EQ(plot.m_dY1Min, 1.0);
  EXPECT_EQ(plot.m_dY1Max, 11.0);
  EXPECT_EQ(plot.m_dY2Min, -4.0);
  EXPECT_EQ(plot.m_dY2Max, -3.0);

  // Oscilloscope mode: limits from the divisions; curves need names.
  plot.m_bOscMode = 1;
  plot.m_nDivisions = 8;
  plot.Add(Drawn(0, 3, 1));
  plot.ComputeAxis();
  EXPECT_EQ(plot.m_bHasAxis1, 1);
  EXPECT_EQ(plot.m_bHasAxis2, 0);
  EXPECT_EQ(plot.GetAt(4)->m_pYCurve, nullptr);
  EXPECT_NE(plot.GetAt(0)->m_pYCurve, nullptr);
  plot.ComputeLimits();
  EXPECT_EQ(plot.m_dXMin, -4.0);
  EXPECT_EQ(plot.m_dY2Max, 4.0);

  // No curves at all: unit ranges.
  CGraphFilter empty;
  empty.ComputeAxis();
  empty.ComputeLimits();
  EXPECT_EQ(empty.m_dXMin, 0.0);
  EXPECT_EQ(empty.m_dY1Max, 1.0);
  EXPECT_EQ(empty.m_dY2Max, 1.0);
}

TEST(PlotLimits, CurvesFollowTheirSourceWithoutStalePointers) {
  CCurveArray* list = new CCurveArray;
  list->Add(NewCurve("t", Ramp(3)));
  list->Add(NewCurve("v", {1, 2, 3}));
  CGraphFilter plot;
  plot.m_pSource = list;
  plot.Add(Drawn(0, 1));
  plot.ComputeAxis();
  plot.ComputeLimits();
  EXPECT_EQ(plot.GetYCurve(0), list->GetAt(1));
  // The source is replaced: the old curves are gone, the plot re-resolves from its indexes.
  CCurveArray* other = new CCurveArray;
  other->Add(NewCurve("t", Ramp(4)));
  other->Add(NewCurve("w", {10, 20, 30, 40}));
  plot.m_pSource = other;
  delete list;
  EXPECT_EQ(plot.GetYCurve(0), other->GetAt(1));
  EXPECT_EQ(plot.m_dY1Max, 40.0);
  EXPECT_EQ(plot.GetXCurve(0), other->GetAt(0));
  EXPECT_EQ(plot.GetXCurve(7), nullptr);
  // A shorter list: the curve becomes unresolved and limits fall back.
  other->DeleteAll();
  plot.ComputeLimits();
  EXPECT_EQ(plot.GetAt(0)->m_pYCurve, nullptr);
  EXPECT_EQ(plot.m_dY1Max, 1.0);
  EXPECT_EQ(plot.GetYCurve(0), nullptr);
  delete other;
}

TEST(PlotUnitsTransform, DisplayCoordinatesAndBack) {
  CCurve c;
  c.InitCurve("pos", "", "m", 2.0, 4.0, 0.5, 1.0, 0, nullptr);
  CXYCurve d;
  d.m_pYCurve = &c;
  // Internal: (s / factor - offset - oscOffset) / oscScale.
  EXPECT_DOUBLE_EQ(d.TransformSavedUnitToYCoord(20.0, nullptr), ((20.0 / 4.0 - 2.0) - 1.0) / 0.5);
  EXPECT_DOUBLE_EQ(d.TransformYCoordToSavedUnit(d.TransformSavedUnitToYCoord(20.0, nullptr), nullptr), 20.0);
  EXPECT_EQ(d.TransformSavedUnitToYCoord(1e100, nullptr), 1e100);
  EXPECT_EQ(d.TransformSavedUnitToYCoord(1.2345e100, nullptr), 1e100);
  EXPECT_DOUBLE_EQ(d.GetYOscOffset(), -2.0);
  EXPECT_EQ(d.GetXOscOffset(), 0.0);

  FakeUnits units;
  d.m_strYUnit = "mm";
  c.m_dOscScale = 1.0, c.m_dOscOffset = 0.0;
  EXPECT_DOUBLE_EQ(d.TransformSavedUnitToYCoord(1.5, units.Table()), 1500.0);
  EXPECT_DOUBLE_EQ(d.TransformYCoordToSavedUnit(1500.0, units.Table()), 1.5);
  // No table, or a conversion that fails: the stored value.
  EXPECT_DOUBLE_EQ(d.TransformSavedUnitToYCoord(1.5, nullptr), 1.5);
  d.m_strYUnit = "s";
  EXPECT_DOUBLE_EQ(d.TransformSavedUnitToYCoord(1.5, units.Table()), 1.5);
  EXPECT_DOUBLE_EQ(d.TransformYCoordToSavedUnit(1.5, units.Table()), 1.5);
  // The curve's own table wins over the plot's.
  FakeUnits own;
  own.units["mm"].factor = 100;  // a deliberately different table
  c.m_pUnits = own.Table();
  d.m_strYUnit = "mm";
  EXPECT_DOUBLE_EQ(d.TransformSavedUnitToYCoord(1.5, units.Table()), 150.0);
  c.m_pUnits = nullptr;

  // A negative factor turns the stored range around.
  CCurve n;
  n.InitCurve("neg", "", "", 0.0, -2.0, 1.0, 0.0, 3, std::vector<double>{2, 4, 6}.data());
  CCurve t(3, Ramp(3).data());
  CXYCurve e;
  e.m_pXCurve = &t, e.m_pYCurve = &n;
  e.ComputeLimits();
  EXPECT_EQ(e.GetYMin(nullptr), -3.0);
  EXPECT_EQ(e.GetYMax(nullptr), -1.0);
}

TEST(PlotUnitsTransform, DefaultUnitsBothWays) {
  FakeUnits units;
  CCurveArray list;
  list.Add(NewCurve("t", Ramp(3), "s"));
  list.Add(NewCurve("p", {1, 2, 3}, "m"));
  list.GetAt(1)->m_strDisplayUnit = "mm";
  CGraphFilter plot(units.Table());
  plot.m_pSource = &list;
  CXYCurve* c = Drawn(0, 1);
  c->m_strXUnit = "ms";
  c->m_strYUnit = "degC";  // not compatible with the stored m
  plot.Add(c);
  plot.LoadDefaultUnits(0);
  EXPECT_EQ(c->m_strXUnit, "ms");  // compatible with s: kept
  EXPECT_EQ(c->m_strYUnit, "mm");
  EXPECT_EQ(plot.m_dY1Max, 3000.0);
  EXPECT_EQ(plot.m_dXMax, 2000.0);
  plot.LoadDefaultUnits(1);
  EXPECT_EQ(c->m_strXUnit, "s");
  c->m_strYUnit = "km";
  plot.SetDefaultUnits();
  EXPECT_EQ(list.GetAt(1)->m_strDisplayUnit, "km");
  EXPECT_EQ(list.GetAt(0)->m_strDisplayUnit, "s");
  EXPECT_DOUBLE_EQ(plot.m_dY1Max, 0.003);
}

TEST(PlotExport, RowsOfAllCurvesWithNanPadding) {
  CCurveArray list;
  list.Add(NewCurve("t", Ramp(5)));
  list.Add(NewCurve("a", {1.5, -2, 1e100}));
  list.Add(NewCurve("b", {10, 20, 30, 1.2345e100, 50}));
  CGraphFilter plot;
  plot.m_pSource = &list;
  plot.Add(Drawn(0, 1));
  plot.Add(Drawn(0, 2));
  plot.ComputeAxis();
  std::string path = dravonix::test::ScratchDir("export") + "/plot.txt";
  ASSERT_EQ(plot.WriteASCII(path.c_str()), 1);
  std::string text = ReadFileText(path);
  EXPECT_EQ(text,
            "0.0000000e+000\t1.5000000e+000\t0.0000000e+000\t1.0000000e+001\r\n"
            "1.0000000e+000\t-2.0000000e+000\t1.0000000e+000\t2.0000000e+001\r\n"
            "2.0000000e+000\tNAN\t2.0000000e+000\t3.0000000e+001\r\n"
            "NAN\tNAN\t3.0000000e+000\tNAN\r\n"
            "NAN\tNAN\t4.0000000e+000\t5.0000000e+001\r\n");

  // Through the save dialog: cancel gives 0 and writes nothing; a plot without curves gives 0.
  DialogAutomation::ClearCommonDialogs();
  DialogAutomation::PushCancel(DialogAutomation::CommonKind::FileSave);
  EXPECT_EQ(plot.ExportToASCII("first"), 0);
  auto asked = DialogAutomation::CommonDialogs();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].fileName, "first");
  EXPECT_EQ(asked[0].defExt, "txt");
  EXPECT_EQ(asked[0].filter, "ASCII files(*.txt)|*.txt|All files(*.*)|*.*||");
  EXPECT_EQ(asked[0].flags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST),
            OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
  std::string answer = dravonix::test::ScratchDir("export2") + "/again.txt";
  DialogAutomation::PushFileDialogResult(answer.c_str());
  EXPECT_EQ(plot.ExportToASCII("x"), 1);
  EXPECT_EQ(ReadFileText(answer), text);
  CGraphFilter none;
  DialogAutomation::PushFileDialogResult(answer.c_str());
  EXPECT_EQ(none.ExportToASCII("x"), 0);
  // A file that cannot be created is reported and gives 0.
  answer = dravonix::test::ScratchDir("export3") + "/no/such/folder/x.txt";
  Automation::Instance().ClearMessageBoxes();
  DialogAutomation::PushFileDialogResult(answer.c_str());
  EXPECT_EQ(plot.ExportToASCII("x"), 0);
  EXPECT_EQ(Automation::Instance().MessageBoxes().size(), 1u);

  // Empty and unresolved curves only: no rows at all.
  CCurveArray empty;
  empty.Add(NewCurve("e", {}));
  CGraphFilter p2;
  p2.m_pSource = &empty;
  p2.Add(Drawn(0, 0));
  p2.Add(Drawn(3, 4));
  std::string path2 = dravonix::test::ScratchDir("export4") + "/empty.txt";
  EXPECT_EQ(p2.WriteASCII(path2.c_str()), 1);
  EXPECT_EQ(ReadFileText(path2), "");
}

TEST(PlotOscInfo, ScaleAndValueLabels) {
  CCurve c;
  std::vector<double> v{0.010, 0.0125, 1e100, 0.02};
  c.InitCurve("pos", "", "", 0.0, 1.0, 0.005, 0.0, (int)v.size(), v.data());
  CDWordArray idx;
  idx.Add(0);
  idx.Add(1);
  idx.Add(3);
  CString scale;
  CStringArray values;
  c.GetOscInfo(nullptr, scale, idx, values);
  EXPECT_EQ(scale, "5 mIU/div");
  ASSERT_EQ(values.GetSize(), 3);
  EXPECT_EQ(values[0], "10 mIU");
  EXPECT_EQ(values[1], "2.5 mIU");
  EXPECT_EQ(values[2], "7.5 mIU");
  idx.SetAt(1, 2);  // a missing sample
  idx.SetAt(2, 99);  // beyond the curve
  c.GetOscInfo(nullptr, scale, idx, values);
  EXPECT_EQ(values[0], "10 mIU");
  EXPECT_EQ(values[1], "unknown");
  EXPECT_EQ(values[2], "unknown");

  struct Case {
    double scale;
    const char* text;
  } cases[] = {{2e-6, "2 \xB5IU/div"}, {3e-9, "3 nIU/div"}, {4e-12, "0 nIU/div"}, {1.0, "1 IU/div"},
               {2500.0, "3 KIU/div"}, {2e6, "2 MIU/div"}, {7e9, "7 GIU/div"}, {5e12, "5000 GIU/div"}};
  for (const Case& k : cases) {
    c.m_dOscScale = k.scale;
    c.GetOscInfo(nullptr, scale, idx, values);
    EXPECT_EQ(scale, k.text) << k.scale;
  }

  // With units: a unit of the scale's power of a thousand is looked for.
  FakeUnits units;
  c.m_strDisplayUnit = "m";
  c.m_strStoredUnit = "m";
  c.m_dOscScale = 0.005;
  idx.SetAt(1, 1);
  idx.SetAt(2, 3);
  c.GetOscInfo(units.Table(), scale, idx, values);
  EXPECT_EQ(scale, "5 mm/div");
  EXPECT_EQ(values[0], "10 mm");
  EXPECT_EQ(values[1], "2.5 mm");
  c.m_dOscScale = 2e-7;  // no nano- or micrometre: mm
  c.GetOscInfo(units.Table(), scale, idx, values);
  EXPECT_EQ(scale, "0.0002 mm/div");
  c.m_strDisplayUnit = "s";
  c.m_strStoredUnit = "s";
  c.m_dOscScale = 3e-9;
  c.GetOscInfo(units.Table(), scale, idx, values);
  EXPECT_EQ(scale, "3e-006 ms/div");
  c.m_strDisplayUnit = "degC";  // no unit of that factor: the display unit itself
  c.m_dOscScale = 50;
  c.GetOscInfo(units.Table(), scale, idx, values);
  EXPECT_EQ(scale, "50 degC/div");
}

TEST(PlotQuadrants, MirroredOutlines) {
  CCurve x(2, std::vector<double>{1, 3}.data()), y(2, std::vector<double>{2, 4}.data());
  CCurve ox, oy;
  CCurve::Quadrant1To4(&ox, &oy, &x, &y, 0);
  ASSERT_EQ(ox.GetSize(), 4);
  std::vector<double> wantX{0, 1, 3, 3}, wantY{2, 2, 4, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ox[i], wantX[(size_t)i]);
    EXPECT_EQ(oy[i], wantY[(size_t)i]);
  }
  CCurve::Quadrant1To4(&ox, &oy, &x, &y, 5);  // means all four
  ASSERT_EQ(ox.GetSize(), 16);
  wantX = {0, 1, 3, 3, 3, 3, 1, 0, 0, -1, -3, -3, -3, -3, -1, 0};
  wantY = {2, 2, 4, 0, 0, -4, -2, -2, -2, -2, -4, 0, 0, 4, 2, 2};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(ox[i], wantX[(size_t)i]) << i;
    EXPECT_EQ(oy[i], wantY[(size_t)i]) << i;
  }
  CCurve::Quadrant1To4(&ox, &oy, &x, &y, 4);  // the third alone
  ASSERT_EQ(ox.GetSize(), 4);
  EXPECT_EQ(ox[3], -3.0);
  // In place, and capped below 16000 points.
  std::vector<double> big = Ramp(7000);
  CCurve bx(7000, big.data()), by(7000, big.data());
  CCurve::Quadrant1To4(&bx, &by, &bx, &by, 15);
  EXPECT_EQ(bx.GetSize(), 2 * 7002);
  // Empty input changes nothing.
  CCurve e;
  CCurve::Quadrant1To4(&ox, &oy, &e, &e, 15);
  EXPECT_EQ(ox.GetSize(), 4);
}

}  // namespace
