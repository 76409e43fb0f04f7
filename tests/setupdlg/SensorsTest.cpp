// Feedback sensors, connectors, frequency lists, output configuration words and the setup's combo fillers.
#include "platform/core/Array.h"
#include "tests/setupdlg/SetupDlgSupport.h"

namespace {

CStringArray Array(std::initializer_list<const char*> items) {
  CStringArray a;
  for (const char* s : items) a.Add(s);
  return a;
}

class SensorsTest : public ComboSetupTest {
 protected:
  void SetUp() override {
    ComboSetupTest::SetUp();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
  }
  SetupPtr m_setup;
};

TEST_F(SensorsTest, BlockedPairsForbidOneOrBothOrders) {
  struct Case {
    const char* item;
    int motor, load;
    bool compatible;
  } cases[] = {
      {"3-5", 3, 5, false}, {"3-5", 5, 3, false}, {"3,5", 3, 5, false}, {"3,5", 5, 3, true},
      {"35", 3, 5, true},   {"3-5", 3, 4, true},
  };
  for (const Case& c : cases) {
    CStringArray blocked = Array({c.item});
    EXPECT_EQ(CMC_Setup::FeedbackIsCompatible(c.motor, c.load, blocked), c.compatible) << c.item << " " << c.motor;
  }
}

TEST_F(SensorsTest, ConnectorsAcceptSensorsAndShareOnlyWithDifferentC) {
  CStringArray connectors = Array({"\"A\" 0,0 1,0 2,1", "\"B\" 2,0 3,0"});
  CStringArray blocked = Array({"1-3"});
  struct Case {
    int ms, ls, mc, lc;
    bool valid;
  } cases[] = {
      {0, 0, 0, 0, false},  // same sensor on the same connector
      {0, 1, 0, 0, false},  // same connector, both c = 0
      {0, 2, 0, 0, true},   // same connector, c 0 and 1
      {0, 3, 0, 1, true},   // different connectors
      {1, 3, 0, 1, false},  // blocked
      {3, 0, 0, 1, false},  // A does not take 3
      {0, 2, 0, 5, false},  // no connector 5
  };
  for (const Case& c : cases) {
    int ms = c.ms, ls = c.ls, mc = c.mc, lc = c.lc;
    EXPECT_EQ(CMC_Setup::CheckDualLoopCombination(ms, ls, mc, lc, connectors, blocked), c.valid)
        << c.ms << c.ls << c.mc << c.lc;
  }
}

TEST_F(SensorsTest, OdometerTurnsSlowerDigitsAtTheirStops) {
  int a = 1, b = 0, c = 0, d = 0;
  std::vector<std::vector<int>> seen;
  for (int i = 0; i < 5; ++i) {
    CMC_Setup::DualLoopIncrementSensors(&a, &b, &c, &d, 2, 2, 3, 3, 1, 0, 0, 0);
    seen.push_back({a, b, c, d});
  }
  EXPECT_EQ(seen, (std::vector<std::vector<int>>{{0, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}, {1, 0, 1, 0}, {0, 0, 1, 0}}));
}

TEST_F(SensorsTest, NamesAndCountsComeFromTheOptions) {
  EXPECT_EQ(m_setup->GetSensorName(2), "SSI encoder");
  EXPECT_EQ(m_setup->GetFeedbackName(1), "Feedback #2");
  EXPECT_EQ(m_setup->GetSensorName(9), "");
  EXPECT_EQ(m_setup->GetDLMaxSensorValue(), 6);
  EXPECT_EQ(m_setup->GetDLMaxConnectorValue(), 4);
  CStringArray lines;
  EXPECT_TRUE(m_setup->GetDLSensorsArray(lines));
  ASSERT_EQ(lines.GetSize(), 3);
  EXPECT_EQ(lines[2], "\"Feedback \\d3\" 2,0 3,1");
  EXPECT_TRUE(m_setup->HasDLMotorSensor(4, false));
  EXPECT_FALSE(m_setup->HasDLLoadSensor(4, false));
  EXPECT_TRUE(m_setup->HasDLLoadSensor(3, false));
  EXPECT_FALSE(m_setup->HasDLMotorSensor(0, true));
}

TEST_F(SensorsTest, SensorCombosListAllowedTypesAndAcceptingConnectors) {
  CStringArray names = Array({"S0", "S1", "S2", "S3"});
  int sel = 7;
  EXPECT_EQ(CMC_Setup::FillSensorTypeCombo(&m_combo[0], sel, 3, names, "2, 0, 3"), 2);
  EXPECT_EQ(ComboTexts(m_combo[0]), (std::vector<std::string>{"S2", "S0"}));
  EXPECT_EQ(sel, 2);  // none selected: the first item's number
  sel = 0;
  CMC_Setup::FillSensorTypeCombo(&m_combo[0], sel, 3, names, "2, 0");
  EXPECT_EQ(ComboSelection(m_combo[0]), "S0");
  EXPECT_EQ(CMC_Setup::FillSensorTypeCombo(&m_combo[0], sel, 3, names, ""), 0);

  CStringArray connectors = Array({"\"A\" 0,0 1,0", "\"B\" 1,0 1,1", "\"C\" 1,2"});
  int con = 1;
  EXPECT_EQ(CMC_Setup::FillSensorConnectorCombo(&m_combo[1], con, 3, connectors, 1), 3);
  EXPECT_EQ(ComboTexts(m_combo[1]), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(ComboData(m_combo[1]), (std::vector<long long>{0, 1, 2}));
  EXPECT_EQ(ComboSelection(m_combo[1]), "B");
  con = 9;
  EXPECT_EQ(CMC_Setup::FillSensorConnectorCombo(&m_combo[1], con, 2, connectors, 1), 3);  // B twice
  EXPECT_EQ(ComboSelection(m_combo[1]), "A");
  EXPECT_EQ(con, 9);
}

TEST_F(SensorsTest, DualLoopCombosFindAValidCombination) {
  // Motor 1 on #1 with load 0 on #1 clashes (both c = 0): the load connector turns first.
  int mt = 1, mc = 0, lt = 0, lc = 0;
  ClearBoxes();
  EXPECT_EQ(m_setup->FillDlSensorsCombos(&m_combo[0], mt, &m_combo[1], mc, &m_combo[2], lt, &m_combo[3], lc,
                                         "MotorSensorType", false),
            1);
  EXPECT_EQ(std::vector<int>({mt, mc, lt, lc}), std::vector<int>({1, 0, 0, 1}));
  EXPECT_EQ(ComboSelection(m_combo[0]), "Sine/cosine encoder");
  EXPECT_EQ(ComboSelection(m_combo[3]), "Feedback #2");
  EXPECT_EQ(ComboTexts(m_combo[2]), (std::vector<std::string>{"Incremental encoder", "SSI encoder", "BiSS encoder"}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SensorsTest, NoValidCombinationWarnsAndLeavesCombosEmpty) {
  m_setup->SetOption("FeedbackBlocked", "0-0 0-1 0-2 0-3 0-4 1-1 1-2 1-3 1-4 2-2 2-3 2-4 3-3 3-4 4-4");
  int mt = 0, mc = 0, lt = 0, lc = 0;
  ClearBoxes();
  EXPECT_EQ(m_setup->FillDlSensorsCombos(&m_combo[0], mt, &m_combo[1], mc, &m_combo[2], lt, &m_combo[3], lc, nullptr,
                                         false),
            0);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Invalid feedback configuration."}));
  for (auto& c : m_combo) EXPECT_EQ(c.GetCount(), 0);
}

TEST_F(SensorsTest, FrequencyListsDefaultTo1000With2) {
  struct Case {
    const char* value;
    bool result;
    std::vector<UINT> f, d;
  } cases[] = {
      {"500 1000,3", true, {500, 1000}, {2, 3}},
      {" , ", false, {1000}, {2}},
      {"0,4 250", true, {250}, {2}},
  };
  for (const Case& c : cases) {
    m_setup->SetOption("SSI_FreqList", c.value);
    CUIntArray f, d;
    f.Add(9);
    EXPECT_EQ(m_setup->GetSSIFreqList(f, d), c.result) << c.value;
    EXPECT_EQ(std::vector<UINT>(f.GetData(), f.GetData() + f.GetSize()), c.f) << c.value;
    EXPECT_EQ(std::vector<UINT>(d.GetData(), d.GetData() + d.GetSize()), c.d) << c.value;
  }
  m_setup->ClearOption("SSI_FreqList");
  CUIntArray f, d;
  EXPECT_FALSE(m_setup->GetSSIFreqList(f, d));
  EXPECT_TRUE(m_setup->GetBiSSFreqList(f, d));
  EXPECT_EQ(f.GetSize(), 3);
}

TEST_F(SensorsTest, OutputConfigurationWordsGivePinsAndInversion) {
  struct Case {
    int port;
    WORD pin;
    int inverted;
  } cases[] = {{0, 0, 0}, {5, 5, 1}, {4, 4, 0}, {15, 15, 0}, {16, 65535, 0}, {-1, 65535, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(m_setup->GetIOPinFromPort(c.port), c.pin) << c.port;
    EXPECT_EQ(m_setup->IsIOMC3PortInverted(c.port), c.inverted) << c.port;
  }
  EXPECT_EQ(m_setup->GetIOPortFromPin(5), 5);
  EXPECT_EQ(m_setup->GetIOPortFromPin(99), 65535);
  SetupPtr old(CMC_Setup::Create(0x0210));
  ASSERT_TRUE(old);
  EXPECT_EQ(old->GetIOPinFromPort(0), 65535);
  EXPECT_EQ(old->GetIOPortFromPin(0), 65535);
}

TEST_F(SensorsTest, RegisterPortAndVariableCombos) {
  m_setup->FillStatusRegBitsCombo(m_combo[0], 1);
  EXPECT_EQ(m_combo[0].GetCount(), 18);
  EXPECT_EQ(ComboSelection(m_combo[0]), "[1] Motion complete");
  EXPECT_EQ(ComboData(m_combo[0]).back(), 31);
  m_setup->FillErrorRegBitsCombo(m_combo[0], 40);
  EXPECT_EQ(m_combo[0].GetCount(), 16);
  EXPECT_EQ(m_combo[0].GetCurSel(), -1);

  m_setup->FillIOCombo(m_combo[1], 3, 1);
  EXPECT_EQ(ComboTexts(m_combo[1]), (std::vector<std::string>{"Enable", "LSP", "Home", "Ready"}));
  EXPECT_EQ(ComboSelection(m_combo[1]), "Ready");
  m_setup->FillIOCombo(m_combo[1], 9, 0);
  EXPECT_EQ(ComboData(m_combo[1]), (std::vector<long long>{3, 4, 5}));
  m_setup->FillIOBrakeCombo(m_combo[1], 5);
  EXPECT_EQ(ComboTexts(m_combo[1]), (std::vector<std::string>{"Brake"}));
  EXPECT_EQ(ComboSelection(m_combo[1]), "Brake");

  m_setup->FillVariableCombo(m_combo[2], "apos", 0);
  int own = m_combo[2].GetCount();
  EXPECT_EQ(ComboSelection(m_combo[2]), "APOS");
  m_setup->FillVariableCombo(m_combo[2], "apos", 1);
  EXPECT_GT(m_combo[2].GetCount(), own);
  EXPECT_EQ(ComboSelection(m_combo[2]), "APOS");
}

}  // namespace
