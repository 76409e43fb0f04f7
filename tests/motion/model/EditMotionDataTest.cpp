// The element data base: data parameters bound to drive variables, plain values and slave axes.
#include "kernel/params/MC_Parameter.h"
#include "tests/motion/EventTestSupport.h"

namespace {

// Opens the protected readers and writers to the tests.
class CTestData : public CMC_EditMotionInternalData {
 public:
  using CMC_EditMotionInternalData::CMC_EditMotionInternalData;
  int ReadParameters(CString&, CString&) override { return 1; }
  void WriteParameters(CString&) override {}
  using CMC_EditMotionInternalData::ReadDataParam;
  using CMC_EditMotionInternalData::ReadOptionalRadioParam;
  using CMC_EditMotionInternalData::ReadSlaveAxisMaskParam;
  using CMC_EditMotionInternalData::ReadWordParam;
  using CMC_EditMotionInternalData::WriteWordParam;
};

}  // namespace

TEST_F(EventTest, DataParametersFollowTheirVariable) {
  CTestData data(*m_motor, *m_driveMotion);
  CMC_Parameter param(*m_motor);
  param.InitializeMotionParam(VAR_DOUBLE, "Keep", "", "3", NOT_AVAILABLE_VALUE, NOT_AVAILABLE_VALUE);
  CString params = "EvX=1 LimCPOS[\\mm]=2 BadCPOS[mm]=4";
  // A missing variable leaves the parameter as it was.
  EXPECT_STREQ(data.ReadDataParam(params, "NOPE", "Lim", "", &param), "Cannot find variable NOPE!\r\n");
  EXPECT_STREQ(param.GetName(), "Keep");
  EXPECT_EQ(param.GetType(), VAR_DOUBLE);
  EXPECT_DOUBLE_EQ(param.GetValue(), 3.0);
  // A unit marked internal takes the internal form of the variable's unit, whatever follows the backslash.
  EXPECT_STREQ(data.ReadDataParam(params, "CPOS", "Lim", "", &param), "");
  EXPECT_STREQ(param.GetName(), "LimCPOS");
  EXPECT_STREQ(param.GetUnitName(), "\\rot");
  EXPECT_DOUBLE_EQ(param.GetValueInInternalUnit(), 2.0);
  // An incompatible unit is replaced by the variable's and the value is still scanned.
  EXPECT_STREQ(data.ReadDataParam(params, "CPOS", "Bad", "", &param), "Units mm and rot are incompatible!\r\n");
  EXPECT_STREQ(param.GetUnitName(), "rot");
  EXPECT_NEAR(param.GetValue(), 4.0, 1e-3);
  EXPECT_STREQ(data.ReadDataParam(params, "CPOS", "None", "", &param),
               "Motion parameter 'NoneCPOS' does not exist or it has invalid value/unit!\r\n");
}

TEST_F(EventTest, PlainValuesAndSlaveMasks) {
  CTestData data(*m_motor, *m_driveMotion);
  struct {
    const char* params;
    int value;
  } radios[] = {{"R=7", 0}, {"R=2", 2}, {"R[mm]=3", 3}, {"Other=1", 0}};
  for (auto& r : radios) {
    CString params = r.params;
    int value = -5;
    data.ReadOptionalRadioParam(params, "R", value, 0, 3);
    EXPECT_EQ(value, r.value) << r.params;
  }
  CString words;
  data.WriteWordParam(words, "W", 0xBEEF);
  EXPECT_STREQ(words, "W=BEEF");
  WORD w = 0;
  words = "W=beef";
  EXPECT_STREQ(data.ReadWordParam(words, "W", w), "");
  EXPECT_EQ(w, 0xBEEF);

  // Two bound slaves (A and B) of the controller.
  MotionPtr two(CMC_Motion::Create(m_controller.get()));
  two->SetMotionControllerSlaveAxis(0, m_axes[0].get());
  two->SetMotionControllerSlaveAxis(1, m_axes[1].get());
  CTestData masks(*m_controller, *two);
  for (auto [text, ok] : {std::pair{"M=1", true}, {"M=2", true}, {"M=3", true}, {"M=0", false}, {"M=4", false}}) {
    CString params = text;
    int mask = -1;
    CString r = masks.ReadSlaveAxisMaskParam(params, "M", mask);
    EXPECT_EQ(r.IsEmpty(), ok) << text;
    if (ok) {
      EXPECT_EQ(mask, text[2] - '0');
    }
  }
}
