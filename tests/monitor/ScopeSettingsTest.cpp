// The scope's settings line in a setup option and the scaling of its channels.
#include "monitor/loggers/MC_ScopeLogger.h"
#include "plot/curves/GraphFilter.h"
#include "tests/kernel/SetupTestSupport.h"

#include <vector>

namespace {

class ScopeSettingsTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    ASSERT_TRUE(m_setup);
    m_scope = std::make_unique<CMC_ScopeLogger>(m_setup.get(), nullptr);
  }
  // APOS at 0.5 per division and IQ, triggered on IQ.
  void TwoChannels() {
    m_scope->ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NORMAL, CMC_ScopeLogger::SLOPE_FALLING, "IQ", 0.25, 30);
    m_scope->AddVariable("APOS", 1);
    m_scope->AddVariable("IQ", 1);
    m_scope->LocateItems();
    m_scope->GetCurves().GetAt(1)->m_dOscScale = 0.5;
    m_scope->GetCurves().GetAt(1)->m_dOscOffset = -1;
  }
  int Load(const CString& text) {
    m_setup->SetOption("Scope", text);
    return m_scope->LoadSettingsFromSetupOption("Scope");
  }
  bool AtDefaults() const {
    return m_scope->GetItems().GetSize() == 0 && m_scope->GetSampling() == 400 &&
           m_scope->GetTriggerMode() == CMC_ScopeLogger::TRIGGER_NONE;
  }

  SetupPtr m_setup;
  std::unique_ptr<CMC_ScopeLogger> m_scope;
};

const char kTwoChannels[] =
    "0\tAPOS\t-1\t[rad]\t5.00000000000000e-001\t-1.00000000000000e+000\tc0ff\t"
    "0\tIQ\t-1\t[A]\t1.00000000000000e+000\t0.00000000000000e+000\tff00ff\t"
    "-1\tffff00\t-1\t80ff00\t"
    "0\t10\t2\t0\tIQ\t-1\t[A]\t2.50000000000000e-001\t"
    "30\t0\t200\tff\t0";

TEST_F(ScopeSettingsTest, TwoChannelsWriteFourGroupsAndReadBackAsTwo) {
  TwoChannels();
  m_scope->SaveSettingsToSetupOption("Scope");
  EXPECT_EQ(m_setup->GetOptionNoError("Scope"), kTwoChannels);

  CMC_ScopeLogger other(m_setup.get(), nullptr);
  ASSERT_TRUE(other.LoadSettingsFromSetupOption("Scope"));
  ASSERT_EQ(other.GetItems().GetSize(), 2);
  EXPECT_EQ(other.GetItems()[1]->m_strName, "IQ");
  EXPECT_EQ(other.GetCurves().GetSize(), 3);
  EXPECT_EQ(other.GetCurves().GetAt(1)->m_dOscScale, 0.5);
  EXPECT_EQ(other.GetCurves().GetAt(1)->m_strDisplayUnit, "rad");
  CGraphFilter* plot = other.GetGraphDoc().GetAt(0);
  ASSERT_EQ(plot->GetSize(), 2);
  EXPECT_EQ(plot->GetAt(1)->m_crColor, 0xFF00FFu);
  EXPECT_EQ(plot->GetAt(1)->m_nYCurve, 2u);
  EXPECT_EQ(other.GetSampling(), 10);
  EXPECT_EQ(other.GetTriggerMode(), CMC_ScopeLogger::TRIGGER_NORMAL);
  double level = 0;
  other.GetTrigger().GetValue(level);
  EXPECT_NEAR(level, 0.25, 1e-3);
  // Written again, the text is the same; placeholders before a channel stay.
  other.SaveSettingsToSetupOption("Again");
  EXPECT_EQ(m_setup->GetOptionNoError("Again"), kTwoChannels);
  CString gap = "-1\tc0ff\t0\tIQ\t-1\t[A]\t1.0e+000\t0\tff00ff\t-1\t1\t-1\t2\t1\t1\t1\t-1\t0\t1\t50\t0\t2\t1.5\t-2.25";
  ASSERT_TRUE(Load(gap));
  EXPECT_EQ(m_scope->GetItems().GetSize(), 2);
  EXPECT_EQ(m_scope->GetItems()[0]->m_nType, CMC_LoggerItem::ITEM_NONE);
  EXPECT_EQ(m_scope->GetGraphDoc().GetAt(0)->m_markers.GetSize(), 2);
}

// Channels logged unscaled are written without a unit and read back unscaled; every field returns.
TEST_F(ScopeSettingsTest, ScaledAndUnscaledChannelsReadBack) {
  struct Channel {
    const char* name;
    int scaled;
  };
  struct Case {
    std::vector<Channel> channels;
    int triggerScaled;
  } cases[] = {
      {{{"IQ", 0}}, 1},
      {{{"APOS", 1}, {"IQ", 0}, {"APOS", 0}}, 0},
      {{{"IQ", 0}, {"APOS", 1}, {"IQ", 1}, {"APOS", 0}}, 1},
  };
  auto sameItem = [](const CMC_LoggerItem& a, const CMC_LoggerItem& b) {
    return a.m_bScaled == b.m_bScaled && a.m_nType == b.m_nType && a.m_strName == b.m_strName &&
           a.m_nBit == b.m_nBit && a.m_strUnit == b.m_strUnit && a.m_strBaseUnit == b.m_strBaseUnit &&
           a.m_dFactor == b.m_dFactor && a.m_dOffset == b.m_dOffset && a.m_nAddress == b.m_nAddress &&
           a.m_nVarType == b.m_nVarType;
  };
  for (const Case& c : cases) {
    CMC_ScopeLogger scope(m_setup.get(), nullptr);
    scope.ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NORMAL, CMC_ScopeLogger::SLOPE_FALLING, "IQ", 0.25, 30);
    scope.GetTrigger().m_bScaled = c.triggerScaled;
    scope.GetTrigger().SetValue(0.25);
    for (size_t i = 0; i < c.channels.size(); ++i) {
      scope.AddVariable(c.channels[i].name, c.channels[i].scaled);
      scope.GetCurves().GetAt((int)i + 1)->m_dOscScale = 0.5 + (double)i;
      scope.GetCurves().GetAt((int)i + 1)->m_dOscOffset = 1.0 - (double)i;
    }
    ASSERT_TRUE(scope.LocateItems());
    const CString text = scope.GetSettingsText();
    ASSERT_TRUE(Load(text)) << text;
    const int n = (int)c.channels.size();
    ASSERT_EQ(m_scope->GetItems().GetSize(), n) << text;
    for (int i = 0; i < n; ++i) {
      EXPECT_TRUE(sameItem(*m_scope->GetItems()[i], *scope.GetItems()[i])) << text << " channel " << i;
      const CCurve *got = m_scope->GetCurves().GetAt(i + 1), *want = scope.GetCurves().GetAt(i + 1);
      EXPECT_EQ(got->m_strName, want->m_strName);
      EXPECT_EQ(got->m_dOscScale, want->m_dOscScale);
      EXPECT_EQ(got->m_dOscOffset, want->m_dOscOffset);
    }
    EXPECT_TRUE(sameItem(m_scope->GetTrigger(), scope.GetTrigger())) << text;
    EXPECT_EQ(m_scope->GetSampling(), scope.GetSampling());
    EXPECT_EQ(m_scope->GetTriggerMode(), scope.GetTriggerMode());
    EXPECT_EQ(m_scope->GetSettingsText(), text);
  }
}

TEST_F(ScopeSettingsTest, BadFieldsRestoreTheDefaults) {
  const CString good = kTwoChannels;
  struct Case {
    const char *from, *to;
  } cases[] = {
      {"\t10\t2\t0\tIQ", "\t0\t2\t0\tIQ"},      {"\t10\t2\t0\tIQ", "\t4001\t2\t0\tIQ"},
      {"\t10\t2\t0\tIQ", "\t10\t9\t0\tIQ"},     {"0\tAPOS\t-1\t", "0\tAPOS\t32\t"},
      {"0\tAPOS\t-1\t", "6\tAPOS\t-1\t"},       {"0\tAPOS", "0\tNOSUCHVAR"},
      {"[rad]", "[A]"},                         {"5.00000000000000e-001", "0"},
      {"5.00000000000000e-001", "x"},           {"\tff\t0", "\tff\t3\t1\t1\t1"},
      {"\tff\t0", "\tff\t1\t5.5"},              {"\t10\t2\t0\tIQ", "\t10\t2\t0\tNOSUCHVAR"},
  };
  for (const Case& c : cases) {
    CString text = good;
    ASSERT_EQ(text.Replace(c.from, c.to), 1) << c.from;
    TwoChannels();
    g_bShowErrors = FALSE;
    EXPECT_FALSE(Load(text)) << c.to;
    EXPECT_TRUE(AtDefaults()) << c.to;
  }
  // Every text cut at a field boundary misses a field.
  for (int cut = good.Find('\t'); cut >= 0; cut = good.Find('\t', cut + 1)) {
    TwoChannels();
    EXPECT_FALSE(Load(good.Left(cut))) << cut;
    EXPECT_TRUE(AtDefaults());
  }
  EXPECT_FALSE(Load(""));
  EXPECT_TRUE(Load(good));
}

TEST_F(ScopeSettingsTest, ChannelScaleSteps) {
  TwoChannels();
  CCurve* apos = m_scope->GetCurves().GetAt(1);
  struct Case {
    double from;
    int direction;
    int changed;
    double to;
  } cases[] = {
      {0.5, -1, 1, 1.0}, {0.5, +1, 1, 0.2}, {1.0, -1, 1, 2.0},   {2.0, -1, 1, 5.0},    {2.0, +1, 1, 1.0},
      {0.5, 0, 0, 0.5},  {0.0, -1, 0, 0.0}, {-1, +1, 0, -1},      {9.99e8, -1, 0, 9.99e8}, {1.01e-9, +1, 0, 1.01e-9},
  };
  for (const Case& c : cases) {
    apos->m_dOscScale = c.from;
    apos->m_dOscOffset = 2.0;
    EXPECT_EQ(m_scope->ChangeChannelScale(0, c.direction), c.changed) << c.from << " " << c.direction;
    EXPECT_NEAR(apos->m_dOscScale, c.to, 1e-12) << c.from << " " << c.direction;
    EXPECT_NEAR(apos->m_dOscOffset, c.changed ? 2.0 * c.to / c.from : 2.0, 1e-12);
  }
  EXPECT_FALSE(m_scope->ChangeChannelScale(2, -1));
  // Bits stay between 0.201 and 4.999 per division.
  m_scope->GetItems()[1]->m_nType = CMC_LoggerItem::ITEM_INPUT;
  m_scope->GetCurves().GetAt(2)->m_dOscScale = 5.0;
  EXPECT_FALSE(m_scope->ChangeChannelScale(1, -1));
  EXPECT_TRUE(m_scope->ChangeChannelScale(1, +1));

  // Samples up to 2.88 rad: 2.88 / 5 = 0.576 per division rounds up to 1.
  for (int k = 0; k < 10; ++k) {
    m_scope->GetCurves().GetAt(0)->SetAtGrow(k, k);
    apos->SetAtGrow(k, k * 0.32);
  }
  apos->m_dOscScale = 0.1;
  apos->m_dOscOffset = 0;
  auto* xy = new CXYCurve;
  xy->m_nYCurve = 1;
  xy->m_strYUnit = "rad";
  m_scope->GetGraphDoc().GetAt(0)->Add(xy);
  EXPECT_TRUE(m_scope->Autoscale());
  EXPECT_NEAR(apos->m_dOscScale, 1.0, 1e-12);
  EXPECT_FALSE(m_scope->Autoscale());

  m_scope->RescaleVariable("apos", "deg", 20, 5);
  EXPECT_EQ(m_scope->GetItems()[0]->m_strUnit, "deg");
  EXPECT_EQ(apos->m_strDisplayUnit, "deg");
  EXPECT_EQ(apos->m_dOscScale, 20);
  EXPECT_EQ(xy->m_strYUnit, "deg");
}

}  // namespace
