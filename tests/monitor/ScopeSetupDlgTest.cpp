// The scope set-up dialog on the 05/05 setup (Ts_C = 62.5 us): time lists, scale texts and steps,
// the roll mode, unchanged OKs and new channels.
#include "monitor/loggers/ScopeSetupDlg.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"
#include "platform/ui/UiAutomation.h"
#include "tests/monitor/LoggerDialogsSupport.h"
#include "tests/support/WindowPicture.h"

#include <cmath>

namespace {

using DialogAutomation::ClickControl;
using DialogAutomation::SelectItem;
using DialogAutomation::TypeInto;
using Dlg = CScopeSetupDlg;

class ScopeSetupDlgTest : public LoggerDialogTest {};

TEST_F(ScopeSetupDlgTest, TimeListsFollowTheModeAndTheTimeBase) {
  Dlg dlg(m_scope.get());
  std::vector<std::string> normal, roll, waits;
  int timeBase = 0;
  std::string source;
  Run(dlg, Dlg::IDD, [&](CWnd* w) {
    SelectItem(w, 14040, "Normal");
    normal = ComboTexts(dlg.m_comboTimeBase);
    dlg.m_nTimeBase = 100;
    SelectItem(w, 14040, "Roll");
    roll = ComboTexts(dlg.m_comboTimeBase);
    timeBase = dlg.m_nTimeBase;
    source = ComboSelection(dlg.m_comboTriggerSource);
    waits = ComboTexts(dlg.m_comboAutoWait);
    ClickControl(w, IDCANCEL);
  });
  ASSERT_EQ(normal.size(), 12u);
  EXPECT_EQ(normal[0], "625 \xB5s");
  EXPECT_EQ(normal[1], "1.25 ms");
  EXPECT_EQ(normal[11], "2.5 s");
  EXPECT_EQ(roll, (std::vector<std::string>{"250 ms", "625 ms", "1.25 s", "2.5 s"}));
  EXPECT_EQ(timeBase, 400);
  EXPECT_EQ(source, "None");
  EXPECT_EQ(dlg.m_nTriggerMode, 1);
  EXPECT_EQ(waits, (std::vector<std::string>{"1.25 s", "2.5 s", "5 s", "10 s", "20 s"}));
}

TEST_F(ScopeSetupDlgTest, ScaleTextsAndSteps) {
  struct Text {
    double value;
    const char* unit;
    const char* text;
  } texts[] = {{0.002, "", "2 mIU/div"},     {0.002, "rad", "2 mrad/div"}, {0.002, "rot", "0.002 rot/div"},
               {2, "rad", "2 rad/div"},      {1, "", "1 IU/div"},          {2000, "", "2 KIU/div"},
               {0, "rad", "0 rad/div"},      {-1, "", "-1 IU/div"},
               // From a damaged file: no decade, or more giga-units than 32 bits count.
               {INFINITY, "", "1.#INF IU/div"}, {NAN, "rad", "1.#QNAN rad/div"}, {1e20, "", "4294967295 GIU/div"},
               {1e300, "rad", "1e+300 rad/div"}};
  for (const Text& t : texts) EXPECT_EQ(std::string(Dlg::FormatUnitsPerDiv(t.value, m_setup.get(), t.unit)), t.text);

  struct Step {
    double from;
    int kind;
    bool up;
    double to;  // 0: refused
  } steps[] = {{1, 0, true, 2},     {2, 0, true, 5},       {5, 0, true, 10},      {10, 0, true, 20},
               {1, 0, false, 0.5},  {0.5, 0, false, 0.2},  {0.2, 0, false, 0.1},  {4.999, 5, true, 0},
               {0.201, 1, false, 0}, {999000000.0, 0, true, 0}, {0, 0, true, 0}, {2, 3, true, 5}};
  for (const Step& s : steps) {
    double scale = s.from;
    EXPECT_EQ(Dlg::StepScale(scale, s.kind, s.up), s.to != 0) << s.from;
    EXPECT_NEAR(scale, s.to ? s.to : s.from, 1e-12) << s.from;
  }
}

TEST_F(ScopeSetupDlgTest, OkWithoutChangeCancelsAndANewChannelIsPlotted) {
  m_scope->AddVariable("APOS", 1);
  m_scope->UpdateTriggerMarkers();
  Dlg same(m_scope.get());
  EXPECT_EQ(Run(same, Dlg::IDD, [](CWnd* w) { ClickControl(w, IDOK); }), IDCANCEL);

  const int plotted = m_scope->GetGraphDoc().GetAt(0)->GetSize();
  Dlg added(m_scope.get());
  EXPECT_EQ(Run(added, Dlg::IDD,
                [&](CWnd*) {
                  *added.m_aEditItems[1] = CMC_LoggerItem("IQ", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
                  added.m_adScale[1] = 0.5;
                  added.RefreshChannel(1);
                  ClickControl(&added, IDOK);
                }),
            IDOK);
  ASSERT_EQ(m_scope->GetItems().GetSize(), 2);
  EXPECT_EQ(m_scope->GetItems()[1]->m_strName, "IQ");
  EXPECT_EQ(m_scope->GetCurves().GetAt(2)->m_dOscScale, 0.5);
  CGraphFilter* plot = m_scope->GetGraphDoc().GetAt(0);
  ASSERT_EQ(plot->GetSize(), plotted + 1);
  const CXYCurve* xy = plot->GetAt(plotted);
  EXPECT_EQ(xy->m_nYCurve, 2u);
  EXPECT_EQ(xy->m_nWidth, 2);
  EXPECT_EQ(xy->m_crColor, CMC_ScopeLogger::msc_aChannelColors[1]);
}

// Clicks the upper or lower half of a spin control, as the user presses its arrows.
void ClickSpin(CWnd* dlg, int id, bool up) {
  HWND spin = ::GetDlgItem(dlg->GetSafeHwnd(), id);
  RECT r{};
  ::GetClientRect(spin, &r);
  UiAutomation::Click(spin, POINT{r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4});
}

TEST_F(ScopeSetupDlgTest, SpinsRadiosAndTheLevelAnswerClicksWithTheirTextsAndPicture) {
  m_scope->AddVariable("APOS", 1);
  struct Step {
    std::function<void(CWnd*)> act;
    int id;             // the control whose text is checked
    const char* text;   // null: not checked
    int mode;
    bool waitEnabled;
  };
  const std::vector<Step> steps = {
      {[](CWnd* w) { ClickSpin(w, Dlg::IDC_SCALE_SPIN, true); }, Dlg::IDC_SCALE, "2 rad/div", -1, false},
      {[](CWnd* w) { ClickSpin(w, Dlg::IDC_SCALE_SPIN, true); }, Dlg::IDC_SCALE, "5 rad/div", -1, false},
      {[](CWnd* w) { ClickSpin(w, Dlg::IDC_SCALE_SPIN, false); }, Dlg::IDC_SCALE, "2 rad/div", -1, false},
      {[](CWnd* w) { SelectItem(w, Dlg::IDC_OPERATING_MODE, "Normal"); }, Dlg::IDC_OPERATING_MODE, "Normal", 1, false},
      {[](CWnd* w) { SelectItem(w, Dlg::IDC_TRIGGER_SOURCE, "APOS"); }, Dlg::IDC_TRIGGER_SOURCE, "APOS", 2, false},
      {[](CWnd* w) { TypeInto(w, Dlg::IDC_POSITION, "37"); }, Dlg::IDC_POSITION, "37", 2, false},
      {[](CWnd* w) { ClickSpin(w, Dlg::IDC_POSITION_SPIN, true); }, Dlg::IDC_POSITION, "40", 2, false},
      {[](CWnd* w) { ClickSpin(w, Dlg::IDC_POSITION_SPIN, false); }, Dlg::IDC_POSITION, "30", 2, false},
      {[](CWnd* w) { ClickControl(w, Dlg::IDC_MODE_AUTO); }, 0, nullptr, 8, true},
      {[](CWnd* w) { ClickControl(w, Dlg::IDC_MODE_SINGLE); }, 0, nullptr, 4, false},
      {[](CWnd* w) { TypeInto(w, Dlg::IDC_LEVEL, "12"); }, Dlg::IDC_LEVEL, "12", 4, false},
      {[](CWnd* w) { ClickControl(w, Dlg::IDC_MODE_NORMAL); }, Dlg::IDC_LEVEL, "12", 2, false},
  };
  Dlg dlg(m_scope.get());
  Run(dlg, Dlg::IDD, [&](CWnd* w) {
    for (size_t i = 0; i < steps.size(); ++i) {
      const Step& s = steps[i];
      s.act(w);
      EXPECT_EQ(s.text ? TextOf(w, s.id) : "", s.text ? s.text : "") << i;
      EXPECT_EQ(dlg.m_nTriggerMode, s.mode < 0 ? dlg.m_nTriggerMode : s.mode) << i;
      EXPECT_EQ(!!w->GetDlgItem(Dlg::IDC_AUTO_WAIT)->IsWindowEnabled(), s.waitEnabled) << i;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(w->GetSafeHwnd())) << i;
    }
    ClickControl(w, IDOK);
  });
  EXPECT_EQ(m_scope->GetCurves().GetAt(1)->m_dOscScale, 2.0);
}

TEST_F(ScopeSetupDlgTest, APositionTooLargeForAnIntStepsAsAboveAHundred) {
  m_scope->AddVariable("APOS", 1);
  Dlg dlg(m_scope.get());
  std::string up, down;
  Run(dlg, Dlg::IDD, [&](CWnd* w) {
    SelectItem(w, Dlg::IDC_OPERATING_MODE, "Normal");
    SelectItem(w, Dlg::IDC_TRIGGER_SOURCE, "APOS");
    for (std::string* shown : {&up, &down}) {
      UiAutomation::Click(::GetDlgItem(w->GetSafeHwnd(), Dlg::IDC_POSITION), POINT{4, 4});
      UiAutomation::PressKey(VK_HOME);
      UiAutomation::PressKey(VK_END, UiAutomation::kShift);
      UiAutomation::TypeText("4294967295");
      ClickSpin(w, Dlg::IDC_POSITION_SPIN, shown == &up);
      *shown = TextOf(w, Dlg::IDC_POSITION);
    }
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(up, "100");
  EXPECT_EQ(down, "90");
}

}  // namespace
