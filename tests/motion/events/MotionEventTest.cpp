// Motion events: reading with messages, writing, code and descriptions on drives and controllers.
#include "kernel/params/MC_Parameter.h"
#include "tests/motion/EventTestSupport.h"

#include <string>

namespace {

std::string Invalid(const char* key) {
  return std::string("Motion parameter '") + key + "' does not exist or it has invalid value/unit!\r\n";
}

}  // namespace

TEST_F(EventTest, ReadingReportsWhatCannotBeUsed) {
  struct Case {
    const char* params;
    int controller;
    CMC_Setup* setup;
    int type;
    std::string errors;
  } cases[] = {
      {"Speed=5", 0, m_motor.get(), 0, ""},
      {"EvType=2 EvSensor=0 EvPosition=0 EvOperator=0 EvSourceType=1 EvSrcVar=x", 0, m_noFeedback.get(), 0,
       Invalid("EvType")},
      {"EvType=8 EvSelectedSlaves=1", 0, m_motor.get(), 0, Invalid("EvType")},
      {"EvType=7 EvVariable=pos EvOperator=1 EvSourceType=0 Eventpos[rot]=2", 0, m_motor.get(), 7,
       "'pos' is not a 32-bit variable!\r\n"},
      {"EvType=6 EvInput=4 EvInputPort=4 EvInputLevel=1", 0, m_motor.get(), 6, Invalid("EvInputPort")},
      {"EvType=6 EvInput=1 EvInputPort=4 EvInputLevel=3", 0, m_motor.get(), 6,
       Invalid("EvInput") + Invalid("EvInputLevel")},
      {"EvType=2 EvSensor=0 EvPosition=1 EvOperator=0 EvSourceType=1 EvSrcVar=x", 0, m_both.get(), 2,
       Invalid("EvPosition")},
      {"EvType=2 EvSlaveAxis=1 EvSensor=0 EvPosition=0 EvOperator=0 EvSourceType=1 EvSrcVar=x", 1, nullptr, 2,
       Invalid("EvSensor")},
      {"EvType=1 EvSelectedSlaves=8", 1, nullptr, 1, Invalid("EvSelectedSlaves")},
  };
  for (const Case& c : cases) {
    CMotionEvent ev = c.controller ? ControllerEvent() : DriveEvent(c.setup);
    CString params = c.params, errors = "stale";
    EXPECT_EQ(ev.ReadParameters(params, errors), c.errors.empty()) << c.params;
    EXPECT_EQ(errors.GetString(), c.errors) << c.params;
    EXPECT_EQ(ev.GetEventType(), c.type) << c.params;
  }
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
}

TEST_F(EventTest, SixteenBitVariableStillReadsItsValue) {
  CMotionEvent ev = DriveEvent();
  CString params = "EvType=7 EvVariable=pos EvOperator=1 EvSourceType=0 Eventpos[rot]=2", errors;
  ev.ReadParameters(params, errors);
  ASSERT_TRUE(ev.m_pValue);
  EXPECT_STREQ(ev.m_pValue->GetName(), "Eventpos");
  EXPECT_DOUBLE_EQ(ev.m_pValue->GetValue(), 2.0);
}

TEST_F(EventTest, TargetEntryStandsInForTheSettleBand) {
  CMotionEvent ev = DriveEvent();
  CString params = "EvType=1 EvMCType=0 EvMCSetParameters=1 EventTPOS[rot]=0.01 EventTONPOSOK[ms]=5", errors;
  EXPECT_EQ(ev.ReadParameters(params, errors), 1) << errors.GetString();
  ASSERT_TRUE(ev.m_pValue && ev.m_pSecond);
  EXPECT_STREQ(ev.m_pValue->GetName(), "EventPOSOKLIM");
  EXPECT_NEAR(ev.m_pValue->GetValue(), 0.01, 1e-4);
  // Out of the band's range it does not stand in.
  params = "EvType=1 EvMCType=0 EvMCSetParameters=1 EventTPOS[rot]=-5 EventTONPOSOK[ms]=5";
  EXPECT_EQ(ev.ReadParameters(params, errors), 0);
  EXPECT_EQ(errors.GetString(), Invalid("EventPOSOKLIM"));
}

TEST_F(EventTest, CodeOfTheEvents) {
  struct Case {
    bool controller;
    const char* params;
    const char* code;
  } cases[] = {
      {false, "EvType=1 EvMCType=1",
       "  SRB UPGRADE, 0xF7FF, 0x0;\r\n  POSOKLIM = 0U;\r\n  TONPOSOK = 65535U;\r\n  !MC;\r\n"},
      {false, "EvType=1 EvMCType=0 EvMCSetParameters=0", "  SRB UPGRADE, 0xFFFF, 0x0800;\r\n  !MC;\r\n"},
      {false, "EvType=2 EvSensor=0 EvPosition=0 EvOperator=1 EvSourceType=1 EvSrcVar=X", "  !AMPU X;\r\n"},
      {false, "EvType=2 EvSensor=0 EvPosition=1 EvOperator=0 EvSourceType=1 EvSrcVar=X", "  !RPO X;\r\n"},
      {false, "EvType=3 EvSensor=0 EvOperator=0 EvSourceType=1 EvSrcVar=V", "  !MSO V;\r\n"},
      {false, "EvType=4 EvSourceType=1 EvSrcVar=T", "  !RT T;\r\n"},
      {false, "EvType=5 EvReference=0 EvOperator=1 EvSourceType=1 EvSrcVar=R", "  !PRU R;\r\n"},
      {false, "EvType=6 EvInput=0 EvInputLevel=1",
       "  DISCAPI; // Disable encoder index transition detection\r\n  !CAP;\r\n  ENCAPI1;\r\n"},
      // Port 2 is the home input; it is not inverted.
      {false, "EvType=6 EvInput=5 EvInputLevel=0", "  !IN#2 0;\r\n"},
      {false, "EvType=7 EvVariable=CPOS EvOperator=0 EvSourceType=1 EvSrcVar=Y", "  !VO CPOS, Y;\r\n"},
      {true, "EvType=1 EvSelectedSlaves=5", "  WMC (A,C);\r\n"},
      {true, "EvType=2 EvSlaveAxis=0 EvSensor=1 EvPosition=0 EvOperator=0 EvSourceType=1 EvSrcVar=P",
       "  WALPO (A), P;\r\n"},
      {true, "EvType=6 EvSlaveAxis=0 EvInput=4 EvInputPort=0 EvInputLevel=1", "  WIN2#0 (A), 1;\r\n"},
      {true, "EvType=6 EvSlaveAxis=2 EvInput=4 EvInputPort=0 EvInputLevel=1", "  WIN#0 (C), 1;\r\n"},
      {true, "EvType=8 EvSelectedSlaves=3", "  WTR (A,B);\r\n"},
      {true, "EvType=9 EvOperator=1 EvSourceType=1 EvSrcVar=D", "  WVDU D;\r\n"},
  };
  for (const Case& c : cases) {
    CMotionEvent ev = c.controller ? ControllerEvent() : DriveEvent();
    CString params = c.params, errors;
    EXPECT_EQ(ev.ReadParameters(params, errors), 1) << c.params << errors.GetString();
    EXPECT_STREQ(ev.GenerateMLCode(), c.code) << c.params;
  }
}

TEST_F(EventTest, MissingSlaveIsAQuestionMarkAndMasksList) {
  CMotionEvent ev = ControllerEvent();
  ev.m_nType = CMotionEvent::evPosition;
  ev.m_nSourceType = 1;
  ev.m_strSourceVariable = "P";
  EXPECT_STREQ(ev.GenerateMLCode(), "  WAMPO (?), P;\r\n");
  CString params;
  ev.WriteParameters(params);
  EXPECT_STREQ(params, "EvType=2 EvSlaveAxis=-1 EvSensor=0 EvPosition=0 EvOperator=0 EvSourceType=1 EvSrcVar=P");

  ev.m_nType = CMotionEvent::evTargetReached;
  for (auto [mask, list, desc] : {std::tuple{5, "(A,C)", "When target is reached on axis (A,C)"},
                                  std::tuple{0, "0", "When target is reached on axis (None)"}}) {
    ev.m_nSelectedSlaves = mask;
    EXPECT_STREQ(ev.GetSlaveMaskList(), list);
    EXPECT_STREQ(ev.GetDescription(0), desc);
  }
}

TEST_F(EventTest, Descriptions) {
  struct Case {
    bool controller;
    const char* params;
    int none;
    const char* text;
  } cases[] = {
      {false, "EvType=0", 1, "None"},
      {false, "EvType=0", 0, "When a previously defined event occurs"},
      {false, "EvType=1 EvMCType=1", 0, "When the position reference arrives at the position to reach"},
      {false, "EvType=2 EvSensor=0 EvPosition=0 EvOperator=1 EvSourceType=1 EvSrcVar=X", 0,
       "When motor absolute position is equal or under value of variable X"},
      {false, "EvType=4 EvSourceType=0 EventATIME[s]=2", 0, "After a wait time equal with value 2 s"},
      {false, "EvType=6 EvInput=4 EvInputPort=1 EvInputLevel=1", 0, "When the digital input LSP is high"},
      {false, "EvType=6 EvInput=2 EvInputLevel=0", 0, "When the positive limit switch goes high->low"},
      {true, "EvType=5 EvSlaveAxis=0 EvOperator=0 EvSourceType=1 EvSrcVar=R", 0,
       "When position reference on axis A is equal or over value of variable R"},
      {true, "EvType=1 EvSelectedSlaves=2", 0, "When motion is completed on axis (B)"},
  };
  for (const Case& c : cases) {
    CMotionEvent ev = c.controller ? ControllerEvent() : DriveEvent();
    CString params = c.params, errors;
    EXPECT_EQ(ev.ReadParameters(params, errors), 1) << c.params << errors.GetString();
    EXPECT_STREQ(ev.GetDescription(c.none), c.text) << c.params;
  }
}

TEST_F(EventTest, EveryTypeReadsBackWhatItWrote) {
  const char* drive[] = {
      "EvType=0",
      "EvType=1 EvMCType=1",
      "EvType=1 EvMCType=0 EvMCSetParameters=1 EventPOSOKLIM[rot]=0.5 EventTONPOSOK[ms]=10",
      "EvType=2 EvSensor=0 EvPosition=1 EvOperator=1 EvSourceType=0 EventAPOS_MT[rot]=3",
      "EvType=3 EvSensor=0 EvOperator=0 EvSourceType=0 EventASPD_MT[rpm]=100",
      "EvType=4 EvSourceType=0 EventATIME[s]=2",
      "EvType=5 EvReference=0 EvOperator=1 EvSourceType=1 EvSrcVar=Target",
      "EvType=6 EvInput=4 EvInputPort=1 EvInputLevel=0",
      "EvType=7 EvVariable=CPOS EvOperator=0 EvSourceType=0 EventCPOS[rot]=7",
  };
  const char* controller[] = {
      "EvType=1 EvSelectedSlaves=5",
      "EvType=2 EvSlaveAxis=0 EvSensor=1 EvPosition=0 EvOperator=0 EvSourceType=0 EventAPOS_LD[rot]=4",
      "EvType=3 EvSlaveAxis=0 EvSensor=0 EvOperator=1 EvSourceType=1 EvSrcVar=S",
      "EvType=4 EvSourceType=1 EvSrcVar=T",
      "EvType=5 EvSlaveAxis=0 EvOperator=0 EvSourceType=0 EventTPOS[rot]=2",
      "EvType=6 EvSlaveAxis=2 EvInput=0 EvInputLevel=1",
      "EvType=8 EvSelectedSlaves=7",
      "EvType=9 EvOperator=1 EvSourceType=0 EventVTRPOS[rot]=9",
  };
  auto check = [&](bool isController, const char* text) {
    CMotionEvent ev = isController ? ControllerEvent() : DriveEvent();
    CString params = text, errors, written;
    ASSERT_EQ(ev.ReadParameters(params, errors), 1) << text << errors.GetString();
    ev.WriteParameters(written);
    EXPECT_STREQ(written, text);
    CMotionEvent back = isController ? ControllerEvent() : DriveEvent();
    ASSERT_EQ(back.ReadParameters(written, errors), 1) << text;
    CString again;
    back.WriteParameters(again);
    EXPECT_STREQ(again, written);
    EXPECT_STREQ(back.GenerateMLCode(), ev.GenerateMLCode()) << text;
    EXPECT_STREQ(back.GetDescription(0), ev.GetDescription(0)) << text;
  };
  for (const char* t : drive) check(false, t);
  for (const char* t : controller) check(true, t);
}

TEST_F(EventTest, AllowedTypesFollowTheFeedbacks) {
  EXPECT_EQ(DriveEvent().m_wAllowedTypes & 0x3FF, 0x0FF);
  EXPECT_EQ(DriveEvent(m_noFeedback.get()).m_wAllowedTypes & 0x3FF, 0x0F3);
  EXPECT_EQ(ControllerEvent().m_wAllowedTypes & 0x3FF, 0x37F);
  CMotionEvent ev = DriveEvent(m_noFeedback.get());
  ev.m_nType = CMotionEvent::evMotionComplete;
  ev.m_nMCType = 0;
  EXPECT_EQ(ev.IsEditable(), 0);
  ev.m_nMCType = 1;
  EXPECT_EQ(ev.IsEditable(), 1);
}
