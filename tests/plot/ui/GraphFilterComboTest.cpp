// The plot's unit combo: the curve's own unit table first, else the plot's, else the one unit given.
#include "kernel/document/KernelGlobals.h"
#include "kernel/params/MC_Units.h"
#include "platform/core/Automation.h"
#include "platform/ui/Controls.h"
#include "plot/curves/Curve.h"
#include "plot/curves/GraphFilter.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const CComboBox& combo) {
  std::vector<std::string> texts;
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString t;
    combo.GetLBText(i, t);
    texts.push_back(std::string(t));
  }
  return texts;
}

std::string Selected(const CComboBox& combo) {
  if (combo.GetCurSel() < 0) return "<none>";
  CString t;
  combo.GetLBText(combo.GetCurSel(), t);
  return std::string(t);
}

TEST(GraphFilterCombo, CurveTableFirstThenThePlotsThenTheSelectedUnitAlone) {
  g_bShowErrors = TRUE;
  Automation::Instance().ClearMessageBoxes();
  const std::string units = dravonix::test::KernelDir() + "/Units/";
  std::ofstream(units + "plot-a.cfg", std::ios::binary) << "1 [m]\n1 [mm] 1000\n2 [s]\n";
  std::ofstream(units + "plot-b.cfg", std::ios::binary) << "1 [m]\n1 [cm] 100\n1 [in] 39.37\n";
  CMC_Units plotTable, curveTable;
  ASSERT_TRUE(plotTable.Initialize("plot-a.cfg"));
  ASSERT_TRUE(curveTable.Initialize("plot-b.cfg"));

  CWnd host;
  host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP, CRect(0, 0, 200, 200), nullptr, 0);
  CComboBox combo;
  combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, CRect(0, 0, 150, 150), &host, 1);

  CGraphFilter plot(&plotTable);
  CCurve curve;
  plot.FillUnitsComboBox(combo, &curve, "mm");
  EXPECT_EQ(Texts(combo), (std::vector<std::string>{"IU", "m", "mm"}));
  EXPECT_EQ(Selected(combo), "mm");
  EXPECT_TRUE(CMC_Units::IsInternalUnit(&combo, 0));
  plot.FillUnitsComboBox(combo, nullptr, "\\s");
  EXPECT_EQ(Texts(combo), (std::vector<std::string>{"IU", "s"}));
  EXPECT_EQ(Selected(combo), "IU");

  curve.m_pUnits = &curveTable;
  plot.FillUnitsComboBox(combo, &curve, "in");
  EXPECT_EQ(Texts(combo), (std::vector<std::string>{"IU", "m", "cm", "in"}));
  EXPECT_EQ(Selected(combo), "in");

  CGraphFilter bare;
  CCurve plain;
  bare.FillUnitsComboBox(combo, &plain, "rpm");
  EXPECT_EQ(Texts(combo), (std::vector<std::string>{"rpm"}));
  EXPECT_EQ(Selected(combo), "rpm");
  EXPECT_FALSE(CMC_Units::IsInternalUnit(&combo, 0));
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
  host.DestroyWindow();
}

}  // namespace
