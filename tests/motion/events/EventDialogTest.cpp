// The motion event pages driven as a user would, with pictures of the pages for people.
#include "kernel/params/MC_Parameter.h"
#include "motion/events/MotionEventDlg.h"
#include "platform/core/Automation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/motion/EventTestSupport.h"
#include "tests/support/WindowPicture.h"
#include "tests/support/DialogActs.h"

#include <functional>

namespace {

bool Enabled(CWnd* d, int id) { return ::IsWindowEnabled(::GetDlgItem(d->m_hWnd, id)); }
bool Visible(CWnd* d, int id) { return ::IsWindowVisible(::GetDlgItem(d->m_hWnd, id)); }
bool Checked(CWnd* d, int id) { return ::IsDlgButtonChecked(d->m_hWnd, id) == BST_CHECKED; }
void Picture(CWnd* d, const char* name) {
  EXPECT_TRUE(SaveWindowImage(d, dravonix::test::OutputPath(std::string("event-") + name + ".png").c_str()));
}
void Press(CWnd* d, int id) { ::SendMessage(d->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Reads an event's fields from its parameter line.
void Read(CMotionEvent& ev, const char* line) {
  CString params = line, errors;
  ASSERT_EQ(ev.ReadParameters(params, errors), 1) << errors.GetString();
}

// Runs the page of `templateId` through `Edit` with `script`; returns Edit's result.
int EditWith(CMotionEvent& ev, UINT templateId, const std::function<void(CWnd*)>& script) {
  bool ran = false;
  DialogAutomation::AddDialogHandler(templateId, [&](CWnd* d) {
    ran = true;
    script(d);
  });
  int result = ev.Edit();
  EXPECT_TRUE(ran) << templateId;
  return result;
}

// The controls, focus and picture of a page still open, then OK clicked (Cancel when OK refuses).
std::string ShownThenClosed(CWnd* d) {
  if (!::IsWindow(d->m_hWnd) || !(d->m_nFlags & WF_CONTINUEMODAL)) return "closed";
  std::string shown;
  for (CWnd* c = d->GetWindow(GW_CHILD); c; c = c->GetNextWindow()) {
    CString t;
    c->GetWindowText(t);
    shown += std::to_string(c->GetDlgCtrlID()) + ":" + t.GetString() + (c->IsWindowEnabled() ? "" : " off") +
             std::to_string((int)c->SendMessage(BM_GETCHECK)) +
             (c->SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON ? " default " : " ");
  }
  shown += "focus " + std::to_string(::GetDlgCtrlID(::GetFocus())) + " off " +
           std::to_string(dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
  DialogAutomation::ClickControl(d, IDOK);
  if (d->m_nFlags & WF_CONTINUEMODAL) DialogAutomation::ClickControl(d, IDCANCEL);
  return shown;
}

}  // namespace

TEST_F(EventTest, PositionPageFollowsTheFeedbacks) {
  // Load feedback only: the motor radio is disabled and the value moves to the load position.
  CMotionEvent load = DriveEvent(m_load.get());
  load.m_nType = CMotionEvent::evPosition;
  EXPECT_EQ(EditWith(load, 14022,
                     [](CWnd* d) {
                       EXPECT_FALSE(Enabled(d, 14012));
                       EXPECT_TRUE(Checked(d, 14013));
                       Picture(d, "position-load");
                       Press(d, IDOK);
                     }),
            1);
  EXPECT_EQ(load.m_nSensor, 1);
  ASSERT_TRUE(load.m_pValue);
  EXPECT_STREQ(load.m_pValue->GetName(), "EventAPOS_LD");

  // Both feedbacks and the motor: relative is refused and a stored relative shows as absolute.
  CMotionEvent both = DriveEvent(m_both.get());
  both.m_nType = CMotionEvent::evPosition;
  both.m_nPosition = 1;
  EXPECT_EQ(EditWith(both, 14022,
                     [](CWnd* d) {
                       EXPECT_FALSE(Enabled(d, 14001));
                       EXPECT_TRUE(Checked(d, 14000));
                       Press(d, IDOK);
                     }),
            1);
  EXPECT_EQ(both.m_nPosition, 0);
}

TEST_F(EventTest, ControllerSlaveWithoutFeedbackMustBeChosen) {
  CMotionEvent ev = ControllerEvent();
  CString params = "EvType=2 EvSlaveAxis=1 EvSensor=0 EvPosition=0 EvOperator=0 EvSourceType=1 EvSrcVar=P", errors;
  ev.ReadParameters(params, errors);
  CString before;
  ev.WriteParameters(before);
  std::vector<std::string> seen;
  EXPECT_EQ(EditWith(ev, 14045,
                     [&](CWnd* d) {
                       EXPECT_EQ(::SendDlgItemMessage(d->m_hWnd, 14007, CB_GETCURSEL, 0, 0), CB_ERR);
                       EXPECT_EQ(::SendDlgItemMessage(d->m_hWnd, 14007, CB_GETCOUNT, 0, 0), 2);  // A and C
                       Picture(d, "position-controller");
                       Press(d, IDOK);
                       seen = Boxes();
                       Press(d, IDCANCEL);
                     }),
            0);
  EXPECT_EQ(seen, std::vector<std::string>{"Please select an item!"});
  EXPECT_EQ(ev.m_nSlaveAxis, 1);
  CString again;
  ev.WriteParameters(again);
  EXPECT_STREQ(again, before);
}

TEST_F(EventTest, SlaveBoxesFollowTheSlaves) {
  for (UINT page : {14044u, 14049u}) {
    CMotionEvent ev = ControllerEvent();
    ev.m_nType = page == 14044 ? CMotionEvent::evMotionComplete : CMotionEvent::evTargetReached;
    ev.m_nSelectedSlaves = 0xFF;
    std::vector<std::string> seen;
    EXPECT_EQ(EditWith(ev, page,
                       [&](CWnd* d) {
                         for (int i = 0; i < 3; ++i) EXPECT_TRUE(Enabled(d, 14000 + i) && Checked(d, 14000 + i));
                         EXPECT_TRUE(Visible(d, 14003));
                         EXPECT_FALSE(Enabled(d, 14003));
                         for (int i = 4; i < 8; ++i) EXPECT_FALSE(Visible(d, 14000 + i)) << i;
                         if (page == 14049) Picture(d, "target-reached");
                         for (int i = 0; i < 3; ++i) DialogAutomation::ClickControl(d, 14000 + i);
                         Press(d, IDOK);
                         seen = Boxes();
                         DialogAutomation::ClickControl(d, 14001);
                         Press(d, IDOK);
                       }),
              1);
    EXPECT_EQ(seen, std::vector<std::string>{"Please select at least one slave axis!"});
    EXPECT_EQ(ev.m_nSelectedSlaves, 2);
    ClearBoxes();
  }
}

TEST_F(EventTest, BadNumberIsRefusedOnlyByOk) {
  CMotionEvent ev = DriveEvent();
  Read(ev, "EvType=4 EvSourceType=0 EventATIME[s]=2");
  std::vector<std::string> afterClick, afterOk;
  EXPECT_EQ(EditWith(ev, 14024,
                     [&](CWnd* d) {
                       Picture(d, "time");
                       DialogAutomation::TypeInto(d, 14002, "abc");
                       DialogAutomation::ClickControl(d, 14001);
                       afterClick = Boxes();
                       DialogAutomation::TypeInto(d, 14002, "x1");
                       Press(d, IDOK);
                       afterOk = Boxes();
                       Press(d, IDCANCEL);
                     }),
            0);
  EXPECT_TRUE(afterClick.empty());
  EXPECT_EQ(afterOk, std::vector<std::string>{"Invalid decimal value!"});
  EXPECT_DOUBLE_EQ(ev.m_pValue->GetValue(), 2.0);
}

TEST_F(EventTest, CancelledChoicesLeaveTheEventAsItWas) {
  CMotionEvent ev = DriveEvent();
  CString params = "EvType=4 EvSourceType=1 EvSrcVar=T", errors, before;
  ASSERT_EQ(ev.ReadParameters(params, errors), 1);
  ev.WriteParameters(before);
  auto written = [&] {
    CString now;
    ev.WriteParameters(now);
    return std::string(now.GetString());
  };
  // The type page cancelled.
  DialogAutomation::AddDialogHandler(14021, [](CWnd* d) {
    EXPECT_TRUE(Enabled(d, 14007));
    Press(d, IDCANCEL);
  });
  EXPECT_EQ(ev.ChangeType(1), 0);
  EXPECT_EQ(written(), before.GetString());
  // A new type chosen, its page cancelled.
  DialogAutomation::AddDialogHandler(14021, [](CWnd* d) {
    EXPECT_STREQ(CString([&] {
                   CString t;
                   d->GetDlgItemText(14000, t);
                   return t;
                 }()),
                 "None");
    Picture(d, "type");
    DialogAutomation::ClickControl(d, 14002);
    Press(d, IDOK);
  });
  DialogAutomation::AddDialogHandler(14022, [](CWnd* d) { Press(d, IDCANCEL); });
  EXPECT_EQ(ev.ChangeType(1), 0);
  EXPECT_EQ(written(), before.GetString());
  // Edit cancelled, and an unscripted page (it ends with Cancel).
  DialogAutomation::AddDialogHandler(14024, [](CWnd* d) {
    DialogAutomation::ClickControl(d, 14001);
    Press(d, IDCANCEL);
  });
  EXPECT_EQ(ev.Edit(), 0);
  EXPECT_EQ(ev.Edit(), 0);
  EXPECT_EQ(written(), before.GetString());
  // A new type accepted on its page.
  DialogAutomation::AddDialogHandler(14021, [](CWnd* d) {
    DialogAutomation::ClickControl(d, 14002);
    Press(d, IDOK);
  });
  DialogAutomation::AddDialogHandler(14022, [](CWnd* d) { Press(d, IDOK); });
  EXPECT_EQ(ev.ChangeType(1), 1);
  EXPECT_EQ(ev.GetEventType(), CMotionEvent::evPosition);
}

TEST_F(EventTest, InputPageOffersWhatTheDriveHas) {
  // 01/00 has no encoder index: a stored index input shows no choice and OK asks for one.
  CMotionEvent ev = DriveEvent(m_noFeedback.get());
  ev.m_nType = CMotionEvent::evInput;
  ev.m_nInput = 0;
  std::vector<std::string> seen;
  EXPECT_EQ(EditWith(ev, 14026,
                     [&](CWnd* d) {
                       EXPECT_FALSE(Enabled(d, 14000));
                       EXPECT_TRUE(Enabled(d, 14004));
                       EXPECT_FALSE(Checked(d, 14000));
                       Press(d, IDOK);
                       seen = Boxes();
                       // Digital input: the enabled input ports by name, and the plain level labels.
                       DialogAutomation::ClickControl(d, 14004);
                       EXPECT_EQ(::SendDlgItemMessage(d->m_hWnd, 14006, CB_GETCOUNT, 0, 0), 2);
                       CString label;
                       d->GetDlgItemText(14009, label);
                       EXPECT_STREQ(label, "high");
                       Picture(d, "input");
                       EXPECT_TRUE(DialogAutomation::SelectItem(d, 14006, "Fault"));
                       Press(d, 57671);
                       UiAutomation::PressKey(VK_F1);
                       Press(d, IDOK);
                     }),
            1);
  EXPECT_EQ(seen, std::vector<std::string>{"Please select an option!"});
  EXPECT_EQ(ev.m_nInput, 4);
  EXPECT_EQ(ev.m_nInputPort, 1);
  auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 2u);  // the Help button, then F1
  for (const auto& call : help) EXPECT_TRUE(call.data == 4125u && call.command == 15u);
}

TEST_F(EventTest, MotionCompletePageSetsTheSettleBand) {
  CMotionEvent ev = DriveEvent();
  Read(ev, "EvType=1 EvMCType=1");
  EXPECT_EQ(EditWith(ev, 14028,
                     [](CWnd* d) {
                       EXPECT_TRUE(Checked(d, 14028));
                       EXPECT_FALSE(Enabled(d, 14026));
                       DialogAutomation::ClickControl(d, 14027);
                       DialogAutomation::ClickControl(d, 14026);
                       EXPECT_TRUE(Enabled(d, 14029) && Enabled(d, 14032));
                       Picture(d, "motion-complete");
                       DialogAutomation::TypeInto(d, 14031, "20");
                       // A new unit takes the typed value over and shows it in that unit.
                       EXPECT_TRUE(DialogAutomation::SelectItem(d, 14032, "s"));
                       CString shown;
                       d->GetDlgItemText(14031, shown);
                       EXPECT_STREQ(shown, "0.02");
                       EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
                       UiAutomation::PressKey(VK_RETURN);
                     }),
            1);
  CString written;
  ev.WriteParameters(written);
  EXPECT_EQ(written.Left(42), "EvType=1 EvMCType=0 EvMCSetParameters=1 Ev");
  EXPECT_NE(written.Find("EventTONPOSOK[s]=0.02"), -1) << written.GetString();
}

TEST_F(EventTest, ReferenceAndVariablePages) {
  // A drive closed in position offers the position reference only.
  CMotionEvent ref = DriveEvent();
  ref.m_nType = CMotionEvent::evReference;
  ref.m_nReference = 2;
  EXPECT_EQ(EditWith(ref, 14025,
                     [](CWnd* d) {
                       EXPECT_TRUE(Enabled(d, 14003));
                       EXPECT_FALSE(Enabled(d, 14004) || Enabled(d, 14005));
                       DialogAutomation::ClickControl(d, 14003);
                       Press(d, IDOK);
                     }),
            1);
  EXPECT_EQ(ref.m_nReference, 0);
  EXPECT_STREQ(ref.m_pValue->GetName(), "EventTPOS");

  // A variable compared with a 16-bit variable is refused by OK.
  CMotionEvent var = DriveEvent();
  var.m_nType = CMotionEvent::evVariable;
  var.m_strVariable = "CPOS";
  std::vector<std::string> seen;
  EXPECT_EQ(EditWith(var, 14027,
                     [&](CWnd* d) {
                       DialogAutomation::ClickControl(d, 14004);
                       DialogAutomation::TypeInto(d, 14003, "pos");
                       Press(d, IDOK);
                       seen = Boxes();
                       DialogAutomation::TypeInto(d, 14003, "TPOS");
                       Press(d, IDOK);
                     }),
            1);
  EXPECT_EQ(seen, std::vector<std::string>{"'pos' is not a 32-bit variable!"});
  EXPECT_STREQ(var.GenerateMLCode(), "  !VO CPOS, TPOS;\r\n");
}

TEST_F(EventTest, EnterOnAControllerPageNamesWhatIsMissing) {
  // A fresh controller event has no slave: Enter runs OK, which asks for the slave or the axes.
  const struct {
    int type;
    UINT page;
    const char* box;
    int focus;
  } cases[] = {{3, 14046, "Please select an item!", 14004},
               {5, 14047, "Please select an item!", 14006},
               {6, 14048, "Please select an item!", 14010},
               {8, 14049, "Please select at least one slave axis!", 14000},
               {1, 14044, "Please select at least one slave axis!", 14000},
               {9, 14050, nullptr, 0}};
  for (const auto& c : cases) {
    CMotionEvent ev = ControllerEvent();
    ev.m_nType = c.type;
    std::vector<std::string> seen;
    int focus = 0;
    EXPECT_EQ(EditWith(ev, c.page,
                       [&](CWnd* d) {
                         EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd)) << c.page;
                         UiAutomation::PressKey(VK_RETURN);
                         seen = Boxes();
                         focus = ::GetDlgCtrlID(::GetFocus());
                         if (::IsWindowVisible(d->m_hWnd)) UiAutomation::PressKey(VK_ESCAPE);
                       }),
              c.box ? 0 : 1)
        << c.page;
    EXPECT_EQ(seen, c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{}) << c.page;
    EXPECT_EQ(focus, c.box ? c.focus : focus) << c.page;
    ClearBoxes();
  }
}

TEST_F(EventTest, UnitAndSlaveChosenInTheirCombos) {
  // The time page in milliseconds: the edit follows the new unit.
  CMotionEvent time = DriveEvent();
  Read(time, "EvType=4 EvSourceType=0 EventATIME[s]=2");
  EXPECT_EQ(EditWith(time, 14024,
                     [](CWnd* d) {
                       EXPECT_TRUE(DialogAutomation::SelectItem(d, 14003, "ms"));
                       CString shown;
                       d->GetDlgItemText(14002, shown);
                       EXPECT_STREQ(shown, "2000");
                       UiAutomation::PressKey(VK_RETURN);
                     }),
            1);
  CString written;
  time.WriteParameters(written);
  EXPECT_STREQ(written, "EvType=4 EvSourceType=0 EventATIME[ms]=2000");

  // A controller position page with no slave: choosing A offers its feedbacks and binds the motor.
  CMotionEvent pos = ControllerEvent();
  CString params = "EvType=2 EvSlaveAxis=1 EvSensor=0 EvPosition=0 EvOperator=0 EvSourceType=0", errors;
  pos.ReadParameters(params, errors);  // slave B has no position sensor to name
  EXPECT_EQ(EditWith(pos, 14045,
                     [](CWnd* d) {
                       EXPECT_FALSE(Enabled(d, 14012) || Enabled(d, 14000));
                       EXPECT_TRUE(DialogAutomation::SelectItem(d, 14007, "A"));
                       EXPECT_TRUE(Enabled(d, 14012) && Enabled(d, 14013) && Enabled(d, 14000));
                       EXPECT_FALSE(Enabled(d, 14001));
                       EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
                       UiAutomation::PressKey(VK_RETURN);
                     }),
            1);
  written.Empty();
  pos.WriteParameters(written);
  EXPECT_STREQ(written, "EvType=2 EvSlaveAxis=0 EvSensor=0 EvPosition=0 EvOperator=0 EvSourceType=0 EventAPOS_MT[rot]=1");
}

TEST_F(EventTest, MotionCompleteWithoutAModeAsksForOne) {
  // 01/00 cannot hold a settle band: the page opens without a mode, and OK must not store none.
  CMotionEvent ev = DriveEvent(m_noFeedback.get());
  Read(ev, "EvType=1 EvMCType=1");
  std::vector<std::string> seen;
  int focus = 0;
  EXPECT_EQ(EditWith(ev, 14028,
                     [&](CWnd* d) {
                       EXPECT_FALSE(Checked(d, 14027) || Checked(d, 14028));
                       UiAutomation::PressKey(VK_RETURN);
                       seen = Boxes();
                       focus = ::GetDlgCtrlID(::GetFocus());
                       DialogAutomation::ClickControl(d, 14028);
                       UiAutomation::PressKey(VK_RETURN);
                     }),
            1);
  EXPECT_EQ(seen, std::vector<std::string>{"Please select an option!"});
  EXPECT_EQ(focus, 14028);
  CString written, errors;
  ev.WriteParameters(written);
  EXPECT_STREQ(written, "EvType=1 EvMCType=1");
  EXPECT_EQ(DriveEvent(m_noFeedback.get()).ReadParameters(written, errors), 1) << errors.GetString();
}

TEST_F(EventTest, VariableTypedThenOkKeepsTheValueUnderItsName) {
  // The variable is typed (with blanks around it) and OK pressed by Enter while its edit has the focus.
  CMotionEvent var = DriveEvent();
  Read(var, "EvType=7 EvVariable=TPOS EvOperator=0 EvSourceType=0 EventTPOS[rot]=2");
  EXPECT_EQ(EditWith(var, 14027,
                     [](CWnd* d) {
                       DialogAutomation::TypeInto(d, 14003, "3");
                       DialogAutomation::TypeInto(d, 14000, " CPOS ");
                       UiAutomation::PressKey(VK_RETURN);
                     }),
            1);
  CString written, errors;
  var.WriteParameters(written);
  EXPECT_STREQ(written, "EvType=7 EvVariable=CPOS EvOperator=0 EvSourceType=0 EventCPOS[rot]=3");
  EXPECT_EQ(DriveEvent().ReadParameters(written, errors), 1) << errors.GetString();
}

TEST_F(EventTest, WhatOkValidatedIsNotReadAgainWhenTheFocusLeaves) {
  // The source variable with blanks, then Enter in the variable edit: OK trims it, and the focus
  // leaving that edit as the page closes must not take the untrimmed text over again.
  CMotionEvent var = DriveEvent();
  Read(var, "EvType=7 EvVariable=TPOS EvOperator=0 EvSourceType=1 EvSrcVar=V1");
  EXPECT_EQ(EditWith(var, 14027,
                     [](CWnd* d) {
                       DialogAutomation::TypeInto(d, 14003, " V2 ");
                       DialogAutomation::TypeInto(d, 14000, "CPOS");
                       UiAutomation::PressKey(VK_RETURN);
                     }),
            1);
  EXPECT_STREQ(var.GenerateMLCode(), "  !VO CPOS, V2;\r\n");
}

// Each key route through the value pages ends as its click route: the page's controls, focus and
// picture while it is open, then what Edit gives and the event's parameters.
TEST_F(EventTest, EachKeyRouteOnThePagesEndsAsItsClick) {
  using Act = std::function<void(CWnd*)>;
  auto click = &dravonix::test::ClickAct;
  auto type = &dravonix::test::TypeAct;
  auto keys = &dravonix::test::KeysAct;
  auto focus = &dravonix::test::FocusShutAct;
  // The entry below the chosen one, clicked in the dropped list.
  auto nextEntry = [](int id) {
    return [id](CWnd* d) {
      char text[64] = "";
      d->SendDlgItemMessage(id, CB_GETLBTEXT, (WPARAM)d->SendDlgItemMessage(id, CB_GETCURSEL) + 1, (LPARAM)text);
      EXPECT_TRUE(DialogAutomation::SelectItem(d, id, text)) << id;
    };
  };
  const UINT alt = UiAutomation::kAlt;
  struct Pair {
    const char* what;
    int type;
    UINT page;
    std::vector<Act> keyed, clicked;
    bool controller = false;
  };
  const Pair pairs[] = {
      {"position: sensor by Down", 2, 14022, {click(14012), keys({{VK_DOWN, 0}})}, {click(14012), click(14013)}},
      {"position: typed, sensor by Down", 2, 14022, {type(14004, "5"), click(14012), keys({{VK_DOWN, 0}})},
       {type(14004, "5"), click(14012), click(14013)}},
      {"position: operator by Down", 2, 14022, {click(14002), keys({{VK_DOWN, 0}})}, {click(14002), click(14003)}},
      {"position: source by Down", 2, 14022, {type(14004, "7"), click(14010), keys({{VK_DOWN, 0}})},
       {type(14004, "7"), click(14010), click(14011)}},
      {"position: source by Up", 2, 14022, {click(14011), keys({{VK_UP, 0}})}, {click(14011), click(14010)}},
      {"position: typed, Enter", 2, 14022, {type(14004, "5"), keys({{VK_RETURN, 0}})}, {type(14004, "5"), click(IDOK)}},
      {"position: typed, Escape", 2, 14022, {type(14004, "5"), keys({{VK_ESCAPE, 0}})}, {type(14004, "5"), click(IDCANCEL)}},
      {"position: unit by Down on the closed list", 2, 14022, {type(14004, "3"), focus(14006), keys({{VK_DOWN, 0}})},
       {type(14004, "3"), nextEntry(14006)}},
      {"position: unit by Alt+Down, Down, Enter", 2, 14022,
       {focus(14006), keys({{VK_DOWN, alt}, {VK_DOWN, 0}, {VK_RETURN, 0}})}, {nextEntry(14006)}},
      {"position: unit by F4, Down, Escape", 2, 14022, {focus(14006), keys({{VK_F4, 0}, {VK_DOWN, 0}, {VK_ESCAPE, 0}})},
       {focus(14006)}},
      {"position: Tab onto Cancel, the edit clicked", 2, 14022,
       {click(14010), keys({{VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}}), click(14004)},
       {click(14010), click(14004)}},
      {"position: Tab onto Cancel, the unit pressed", 2, 14022, {dravonix::test::TabAct(IDCANCEL), focus(14006)},
       {focus(14006)}},
      {"time: a name typed, Tab onto Cancel, the unit pressed, Enter", 4, 14024,
       {type(14002, "T1"), dravonix::test::TabAct(IDCANCEL), focus(14003), keys({{VK_RETURN, 0}})},
       {type(14002, "T1"), focus(14003), click(IDOK)}},
      {"speed: sensor by Up", 3, 14023, {click(14008), keys({{VK_UP, 0}})}, {click(14008), click(14007)}},
      {"time: source by Up, a name typed, Enter", 4, 14024, {click(14001), keys({{VK_UP, 0}}), type(14002, "T1"), keys({{VK_RETURN, 0}})},
       {click(14001), click(14000), type(14002, "T1"), click(IDOK)}},
      {"time: unit by Down, Enter", 4, 14024, {focus(14003), keys({{VK_DOWN, 0}, {VK_RETURN, 0}})},
       {nextEntry(14003), click(IDOK)}},
      {"variable: name typed, Tab", 7, 14027, {type(14000, "CPOS"), keys({{VK_TAB, 0}})}, {type(14000, "CPOS"), click(14001)}},
      {"input: by Down", 6, 14026, {click(14004), keys({{VK_DOWN, 0}})}, {click(14004), click(14005)}},
      {"input: level by Down", 6, 14026, {click(14004), click(14008), keys({{VK_DOWN, 0}})},
       {click(14004), click(14008), click(14009)}},
      {"motion complete: box by Space", 1, 14028, {click(14027), click(14026), keys({{VK_SPACE, 0}})},
       {click(14027), click(14026), click(14026)}},
      {"motion complete: mode by Down", 1, 14028, {click(14027), keys({{VK_DOWN, 0}})}, {click(14027), click(14028)}},
      {"motion complete: unit by F4, Down, Escape", 1, 14028,
       {click(14027), click(14026), focus(14030), keys({{VK_F4, 0}, {VK_DOWN, 0}, {VK_ESCAPE, 0}})},
       {click(14027), click(14026), focus(14030)}},
      {"motion complete: unit by Alt+Down, Down, Enter", 1, 14028,
       {click(14027), click(14026), focus(14032), keys({{VK_DOWN, alt}, {VK_DOWN, 0}, {VK_RETURN, 0}})},
       {click(14027), click(14026), nextEntry(14032)}},
      {"controller position: slave by F4, Down, Escape", 2, 14045,
       {focus(14007), keys({{VK_F4, 0}, {VK_DOWN, 0}, {VK_ESCAPE, 0}})}, {focus(14007)}, true},
      {"controller input: slave by F4, Down, Escape", 6, 14048,
       {focus(14010), keys({{VK_F4, 0}, {VK_DOWN, 0}, {VK_ESCAPE, 0}})}, {focus(14010)}, true},
      {"controller position: slave by Down on the closed list", 2, 14045, {focus(14007), keys({{VK_DOWN, 0}})},
       {nextEntry(14007)}, true},
      {"controller position: Tab onto Cancel, the slave pressed", 2, 14045,
       {dravonix::test::TabAct(IDCANCEL), focus(14007)}, {focus(14007)}, true},
  };
  for (const Pair& p : pairs) {
    std::string got[2];
    for (int k = 0; k < 2; ++k) {
      CMotionEvent ev = p.controller ? ControllerEvent() : DriveEvent(m_both.get());
      ev.m_nType = p.type;
      std::string shown = "closed";
      int result = EditWith(ev, p.page, [&](CWnd* d) {
        for (const Act& a : k ? p.clicked : p.keyed) a(d);
        shown = ShownThenClosed(d);
      });
      CString written;
      ev.WriteParameters(written);
      got[k] = shown + " | " + std::to_string(result) + " " + written.GetString();
      for (const std::string& b : Boxes()) got[k] += " | " + b;
      ClearBoxes();
    }
    EXPECT_EQ(got[0], got[1]) << p.what;
  }
}

// Each key route on the type page ends as its click route: the page while open, the page that
// follows (taken with OK), what ChangeType gives and the event kept.
TEST_F(EventTest, EachKeyRouteOnTheTypePageEndsAsItsClick) {
  using Act = std::function<void(CWnd*)>;
  auto click = &dravonix::test::ClickAct;
  auto keys = &dravonix::test::KeysAct;
  const UINT shift = UiAutomation::kShift;
  const std::pair<UINT, UINT> down{VK_DOWN, 0}, up{VK_UP, 0}, tab{VK_TAB, 0}, back{VK_TAB, shift},
      enter{VK_RETURN, 0}, escape{VK_ESCAPE, 0}, space{VK_SPACE, 0};
  struct Pair {
    const char* what;
    int from;
    std::vector<Act> keyed, clicked;
    WORD allowed = 0xFFFF;
    bool controller = false;
  };
  const Pair pairs[] = {
      {"Down", 0, {keys({down})}, {click(14001)}},
      {"Down, Space", 0, {keys({down, space})}, {click(14001)}},
      {"Down, Down, Up", 0, {keys({down, down, up})}, {click(14001)}},
      {"Down, Down, Enter", 0, {keys({down, down, enter})}, {click(14002), click(IDOK)}},
      {"Up from the time, Enter", 4, {keys({up, enter})}, {click(14003), click(IDOK)}},
      {"Up from None wraps, Enter", 0, {keys({up, enter})}, {click(14007), click(IDOK)}},
      {"Down past a type not allowed, Enter", 0, {keys({down, enter})}, {click(14002), click(IDOK)}, 0xFFFD},
      {"Down, Escape", 0, {keys({down, escape})}, {click(14001), click(IDCANCEL)}},
      {"Down, Tab, Enter on OK", 0, {keys({down, tab, enter})}, {click(14001), click(IDOK)}},
      {"Down, Tab, Space on OK", 0, {keys({down, tab, space})}, {click(14001), click(IDOK)}},
      {"Down, Tab, Escape on OK", 4, {keys({down, tab, escape})}, {click(14005), click(IDCANCEL)}},
      {"Down, Tab, Tab, Enter on Cancel", 0, {keys({down, tab, tab, enter})}, {click(14001), click(IDCANCEL)}},
      {"Down, Shift+Tab twice, Enter on Cancel", 0, {keys({down, back, back, enter})},
       {click(14001), click(IDCANCEL)}},
      {"Down, Tab, Shift+Tab, Enter on the radio", 2, {keys({down, tab, back, enter})}, {click(14003), click(IDOK)}},
      {"Tab round the page, Enter", 2, {keys({down, tab, tab, tab, tab, enter})}, {click(14003), click(IDOK)}},
      {"Down, Tab, Shift+Tab", 0, {keys({down, tab, back})}, {click(14001)}},
      {"Down, Tab, Tab, the radio clicked", 0, {keys({down, tab, tab}), click(14001)}, {click(14001)}},
      {"Down, Shift+Tab, Enter on Help", 0, {keys({down, back, enter})}, {click(14001), click(57671)}},
      {"Down, Shift+Tab, Space on Help", 0, {keys({down, back, space})}, {click(14001), click(57671)}},
      {"Down, Shift+Tab, Escape on Help", 4, {keys({down, back, escape})}, {click(14005), click(IDCANCEL)}},
      {"controller: Up from None wraps, Enter", 0, {keys({up, enter})}, {click(14009), click(IDOK)}, 0xFFFF, true},
      {"controller: Down from the variable, Enter", 7, {keys({down, enter})}, {click(14008), click(IDOK)}, 0xFFFF,
       true},
  };
  const UINT typePages[] = {14021, 14043};
  const UINT valuePages[] = {14022, 14045, 14023, 14046, 14024, 14025, 14047, 14026, 14048, 14027, 14028, 14044,
                             14049, 14050};
  for (const Pair& p : pairs) {
    std::string got[2];
    for (int k = 0; k < 2; ++k) {
      CMotionEvent ev = p.controller ? ControllerEvent() : DriveEvent(m_both.get());
      ev.m_nType = p.from;
      ev.m_wAllowedTypes = p.allowed;
      std::string shown = "no page", next = "no next page";
      std::vector<int> handlers;
      handlers.push_back(DialogAutomation::AddDialogHandler(typePages[p.controller], [&](CWnd* d) {
        for (const Act& a : k ? p.clicked : p.keyed) a(d);
        shown = ShownThenClosed(d);
      }));
      for (UINT page : valuePages)
        handlers.push_back(DialogAutomation::AddDialogHandler(page, [&, page](CWnd* d) {
          next = std::to_string(page) + " focus " + std::to_string(::GetDlgCtrlID(::GetFocus())) + " off " +
                 std::to_string(dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
          DialogAutomation::ClickControl(d, IDOK);
          if (d->m_nFlags & WF_CONTINUEMODAL) DialogAutomation::ClickControl(d, IDCANCEL);
        }));
      int result = ev.ChangeType(1);
      for (int h : handlers) DialogAutomation::RemoveDialogHandler(h);
      CString written;
      ev.WriteParameters(written);
      got[k] = shown + " | " + next + " | " + std::to_string(result) + " " + written.GetString();
      for (const std::string& b : Boxes()) got[k] += " | " + b;
      ClearBoxes();
    }
    EXPECT_EQ(got[0], got[1]) << p.what;
  }
}
