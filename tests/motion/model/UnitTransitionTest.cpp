// Repair of rotary/linear unit changes when a program moves to another drive, and its question.
#include "kernel/params/MC_Parameter.h"
#include "motion/model/MC_MotionElem.h"
#include "motion/model/Rot2LinTransitionDlg.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TabTo.h"
#include "tests/support/WindowPicture.h"
#include "tests/motion/EventTestSupport.h"

#include <cmath>

namespace {

CMC_MotionElem* MoveElem(const char* params) {
  auto* e = new CMC_MotionElem;
  e->m_strType = "Move";
  e->m_strParameters = params;
  e->m_bEnabled = 1;
  return e;
}

// Scripts the next transition dialog: types the displacements (null keeps one) and closes it.
void AnswerTransition(const char* rotary, const char* linear, int* asked = nullptr, const char* linearUnit = nullptr) {
  DialogAutomation::AddDialogHandler(14037, [=](CWnd* d) {
    if (asked) ++*asked;
    if (linearUnit) DialogAutomation::SelectItem(d, 14003, linearUnit);
    if (rotary) DialogAutomation::TypeInto(d, 14000, rotary);
    if (linear) DialogAutomation::TypeInto(d, 14002, linear);
    DialogAutomation::ClickControl(d, IDCANCEL);
  });
}

class UnitTransitionTest : public EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    m_linear.reset(CMC_Setup::Create(0x0210));
    ASSERT_TRUE(m_linear);
    m_program.reset(CMC_Motion::Create(m_motor.get()));
    ASSERT_TRUE(m_program);
  }
  void TearDown() override {
    m_program.reset();
    m_linear.reset();
    EventTest::TearDown();
  }
  double Factor(const std::function<void(CWnd*)>& script) {
    CRot2LinTransitionDlg dlg(*m_linear, nullptr);
    DialogAutomation::AddDialogHandler(14037, script);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    return dlg.m_dTransitionFactor;
  }
  SetupPtr m_linear;
  MotionPtr m_program;
};

}  // namespace

TEST_F(UnitTransitionTest, ClosingGivesTheRatioInBaseUnits) {
  auto close = [](CWnd* d) {
    EXPECT_TRUE(SaveWindowImage(d, dravonix::test::OutputPath("unit-transition.png").c_str()));
    DialogAutomation::ClickControl(d, IDCANCEL);
  };
  double unit = Factor(close);
  EXPECT_NEAR(unit, 0.001 / (2 * M_PI), 1e-12);
  EXPECT_NEAR(Factor([](CWnd* d) {
                DialogAutomation::TypeInto(d, 14002, "10");
                DialogAutomation::ClickControl(d, IDCANCEL);
              }),
              10 * unit, 1e-12);
  // The same displacements in other units give the same factor.
  EXPECT_NEAR(Factor([](CWnd* d) {
                DialogAutomation::SelectItem(d, 14001, "deg");
                DialogAutomation::SelectItem(d, 14003, "m");
                DialogAutomation::TypeInto(d, 14000, "360");
                DialogAutomation::TypeInto(d, 14002, "0.01");
                DialogAutomation::ClickControl(d, IDCANCEL);
              }),
              10 * unit, 1e-12);
  // Enter ends the dialog without a factor.
  EXPECT_EQ(Factor([](CWnd* d) { ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0); }), 0.0);
}

TEST_F(UnitTransitionTest, RepairConvertsOncePerProgram) {
  CMC_MotionElem* first = MoveElem("CPOS[rot]=2 Count=3");
  CMC_MotionElem* untouched = MoveElem("Speed=3");
  m_program->GetMain()->Add(first);
  m_program->GetMain()->Add(untouched);
  CMC_MotionElem* second = MoveElem("CPOS[rot]=1 TPOSCPOS[rot]=1");
  ASSERT_GE(m_program->AddNewFunction("f"), 0);
  m_program->GetFunction(0)->Add(second);
  ASSERT_TRUE(m_program->TranslateAll(1));

  // TPOS turns rotary on the linear drive, so a name holding both keeps its unit when TPOS is matched.
  ASSERT_EQ(m_linear->AlterUnitTypeOfVariable("TPOS", "rot"), 1);
  int asked = 0;
  AnswerTransition(nullptr, "10", &asked);
  m_program->SetSetup(m_linear.get());
  EXPECT_EQ(asked, 1);
  EXPECT_STREQ(first->m_strParameters, "CPOS[mm]=2e+001 Count=3");
  EXPECT_EQ(first->m_bTranslateError, 0) << first->m_strCode.GetString();
  EXPECT_STREQ(second->m_strParameters, "CPOS[mm]=1e+001 TPOSCPOS[rot]=1");
  EXPECT_STREQ(untouched->m_strParameters, "Speed=3");

  // Back to the rotary drive the value is divided.
  AnswerTransition(nullptr, "10", &asked);
  m_program->SetSetup(m_motor.get());
  EXPECT_EQ(asked, 2);
  EXPECT_STREQ(first->m_strParameters, "CPOS[rot]=2 Count=3");
}

TEST_F(UnitTransitionTest, NothingAskedWithoutFailuresAndNothingChangedWithoutAnswer) {
  CMC_MotionElem* elem = MoveElem("CPOS[rot]=2");
  m_program->GetMain()->Add(elem);
  m_program->SetSetup(m_motor.get());
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
  // Unscripted, the dialog ends with Cancel: the element stays as it was.
  m_program->SetSetup(m_linear.get());
  EXPECT_EQ(DialogAutomation::UnscriptedDialogs().size(), 1u);
  EXPECT_STREQ(elem->m_strParameters, "CPOS[rot]=2");
  EXPECT_EQ(elem->m_bTranslateError, 1);
  // Enter gives no factor: abandoned too.
  DialogAutomation::AddDialogHandler(14037, [](CWnd* d) { ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0); });
  m_program->SetSetup(m_linear.get());
  EXPECT_STREQ(elem->m_strParameters, "CPOS[rot]=2");
}

// The user's ways through the question: the unit by the arrow keys, typed values, the close box; the
// edits, the picture against a full repaint, and the factor closing gives.
TEST_F(UnitTransitionTest, TheUsersKeysAndClicksGiveTheFactor) {
  const double unit = 0.001 / (2 * M_PI);
  // The key goes to the control the user has tabbed to.
  auto key = [](int id, UINT vk) {
    return [id, vk](CWnd* d) {
      EXPECT_TRUE(dravonix::test::TabTo(::GetDlgItem(d->m_hWnd, id))) << id;
      UiAutomation::PressKey(vk);
    };
  };
  auto type = [](int id, const char* t) { return [id, t](CWnd* d) { DialogAutomation::TypeInto(d, id, t); }; };
  auto closeBox = [](CWnd* d) {
    CRect w;
    d->GetWindowRect(&w);
    POINT at{w.right - ::GetSystemMetrics(SM_CXSIZE) / 2 - 2, w.top + ::GetSystemMetrics(SM_CYCAPTION) / 2 + 2};
    d->ScreenToClient(&at);
    UiAutomation::Click(d->m_hWnd, at);
  };
  // Tab, Tab to Close, back with Shift+Tab twice to the field, Enter: Close lent the default look
  // while it had the focus, and the look went back with it.
  auto throughCloseAndBack = [](CWnd*) {
    for (UINT modifiers : {UiAutomation::kNone, UiAutomation::kNone, UiAutomation::kShift, UiAutomation::kShift})
      UiAutomation::PressKey(VK_TAB, modifiers);
    UiAutomation::PressKey(VK_RETURN);
  };
  struct Row {
    const char* what;
    std::vector<std::function<void(CWnd*)>> input;
    const char *rotary, *linear;
    bool closes;
    double factor;
    const char* rotaryUnit = nullptr;  // the unit its list shows
  } rows[] = {
      {"the rotary unit by the arrow key", {key(14001, VK_DOWN)}, "360", "1", false, unit, "deg"},
      {"the rotary unit's list shut by Escape", {key(14001, VK_F4), key(14001, VK_DOWN), key(14001, VK_ESCAPE)}, "1", "1",
       false, unit, "rot"},
      {"a typed linear displacement", {type(14002, "10")}, "1", "10", false, 10 * unit},
      {"the close box", {type(14002, "10"), closeBox}, nullptr, nullptr, true, 10 * unit},
      {"Escape", {type(14002, "10"), key(14002, VK_ESCAPE)}, nullptr, nullptr, true, 10 * unit},
      {"Enter", {type(14002, "10"), key(14002, VK_RETURN)}, nullptr, nullptr, true, 0},
      {"Enter after a Tab through Close", {type(14002, "10"), throughCloseAndBack}, nullptr, nullptr, true, 0},
  };
  for (const Row& r : rows) {
    const double factor = Factor([&](CWnd* d) {
      for (const auto& in : r.input) in(d);
      if (r.closes) {
        if (::IsWindowVisible(d->m_hWnd)) {
          ADD_FAILURE() << r.what << " left the question open";
          ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0);
        }
        return;
      }
      CString rotary, linear;
      d->GetDlgItemText(14000, rotary);
      d->GetDlgItemText(14002, linear);
      EXPECT_STREQ(r.rotary, rotary) << r.what;
      EXPECT_STREQ(r.linear, linear) << r.what;
      if (r.rotaryUnit) {
        CString shown;
        d->GetDlgItemText(14001, shown);
        EXPECT_STREQ(r.rotaryUnit, shown) << r.what;
      }
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd)) << r.what;
      DialogAutomation::ClickControl(d, IDCANCEL);
    });
    EXPECT_NEAR(r.factor, factor, 1e-12) << r.what;
  }
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
}
