// Motor databases: reading, compatibility with the reference motor, listing, saving and deleting.
#include "kernel/dialogs/Motor.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "tests/setupdlg/SetupDlgSupport.h"

#include <cmath>
#include <filesystem>

namespace {

std::vector<std::string> Strings(const CStringArray& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(std::string(a[i]));
  return out;
}

class MotorTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    WriteBytes(DbFile("User", "Saved"), kSaved);
    ClearBoxes();
  }
  void TearDown() override {
    std::filesystem::remove_all(Kernel("Databases/Bad"));
    SetupTest::TearDown();
  }
  static constexpr const char* kSaved = "MotorType = Brushless\r\nInom = 4\r\n";
  std::string DbFile(const std::string& db, const std::string& motor) {
    return Kernel("Databases/" + db + "/" + motor + ".cfg");
  }
  SetupPtr m_setup;
};

TEST_F(MotorTest, DatabaseFilesReadKeysAndNumbers) {
  CMotor m;
  ASSERT_TRUE(m.ReadFromDatabase("Brushless", "BLM-100", FALSE));
  ASSERT_EQ(m.GetParametersCount(), 6);
  EXPECT_EQ(m.GetParameter(0)->m_strValue, "Brushless");
  EXPECT_FALSE(m.GetParameter(0)->IsNumerical());
  CMotorParameter* ipeak = m.FindParameter("IPEAK");
  ASSERT_TRUE(ipeak);
  EXPECT_TRUE(ipeak->IsNumerical());
  EXPECT_EQ(ipeak->m_dValue, 12.5);  // "12.5 A <peak current>"
  EXPECT_EQ(m.FindParameter("MaxSpeed")->m_dValue, 4000);
  EXPECT_TRUE(ThrowsInvalidArg([&] { m.GetParameter(6); }));

  CMotor copy;
  copy = m;
  EXPECT_EQ(copy.GetParametersCount(), 6);
  EXPECT_EQ(copy.FindParameter("inom")->m_dValue, 5);
  EXPECT_NE(copy.FindParameter("inom"), m.FindParameter("inom"));

  ASSERT_TRUE(m.ReadFromDatabase("Brushless", "BLM-100", TRUE));
  EXPECT_EQ(m.GetParametersCount(), 2);
  EXPECT_FALSE(m.ReadFromDatabase("Brushless", "", FALSE));
  EXPECT_FALSE(m.ReadFromDatabase(nullptr, "BLM-100", FALSE));
  EXPECT_EQ(m.GetParametersCount(), 2);  // untouched when nothing was read
}

TEST_F(MotorTest, MalformedFilesGiveTheirMessageAndLeaveTheMotorEmpty) {
  WriteBytes(DbFile("Bad", "Dup"), "Inom = 1\r\ninom = 2\r\n");
  WriteBytes(DbFile("Bad", "Eq"), "MotorType = X\r\n= 3\r\n");
  struct Case {
    const char* db;
    const char* motor;
    BOOL keys;
    int result;
    std::string box;
  } cases[] = {
      {"Brushless", "BLM-200", FALSE, 0, "Invalid syntax in file Databases\\Brushless\\BLM-200.cfg, line 4"},
      {"Brushless", "BLM-200", TRUE, 1, ""},  // keys only never reaches the bad line
      {"Bad", "Dup", FALSE, 0, "Error in file Databases\\Bad\\Dup.cfg line 2:\n The parameter inom is already defined."},
      {"Bad", "Eq", TRUE, 0, "Invalid syntax in file Databases\\Bad\\Eq.cfg, line 2"},
  };
  for (const Case& c : cases) {
    ClearBoxes();
    CMotor m;
    EXPECT_EQ(m.ReadFromDatabase(c.db, c.motor, c.keys), c.result) << c.motor;
    EXPECT_EQ(LastBox(), c.box) << c.motor;
    if (!c.result) {
      EXPECT_FALSE(m.IsValid());
    }
  }
}

TEST_F(MotorTest, ReferenceMotorTakesItsNumbersFromTheSetup) {
  CMotor ref;
  ASSERT_TRUE(ref.ReadFromSetup(m_setup.get(), TRUE));
  EXPECT_EQ(ref.GetParametersCount(), 2);
  ASSERT_TRUE(ref.ReadFromSetup(m_setup.get(), FALSE));
  // SensorsConfiguration is missing from this setup and is dropped without a message.
  EXPECT_EQ(ref.GetParametersCount(), 6);
  EXPECT_EQ(ref.FindParameter("SensorsConfiguration"), nullptr);
  EXPECT_EQ(ref.FindParameter("Ipeak")->m_dValue, 10);
  EXPECT_NEAR(ref.FindParameter("MaxSpeed")->m_dValue, 3000 * 2 * M_PI / 60, 1e-9);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(ref.IsSetupModified(m_setup.get()));
}

TEST_F(MotorTest, BadReferenceFilesAndMissingNamesFail) {
  WriteBytes(Kernel("ReferenceMotors/Bad1.cfg"), "Poles = 4\r\n");
  WriteBytes(Kernel("ReferenceMotors/Bad2.cfg"), "A = b\r\n= c\r\n");
  WriteBytes(Kernel("ReferenceMotors/Bad3.cfg"), "A = b\r\nBogusParameter\r\n");
  struct Case {
    const char* name;  // empty: no "ReferenceName"
    std::string box;   // the start of the last message
  } cases[] = {
      {"", "Cannot find option 'ReferenceName'"},
      {"Bad1", "Invalid syntax in file ReferenceMotors\\Bad1.cfg, line 1"},
      {"Bad2", "Invalid syntax in file ReferenceMotors\\Bad2.cfg, line 2"},
      {"Bad3", "Cannot find parameter BogusParameter!"},
      {"Absent", "Cannot open file "},
  };
  for (const Case& c : cases) {
    ClearBoxes();
    if (*c.name) m_setup->SetOption("ReferenceName", c.name);
    else m_setup->ClearOption("ReferenceName");
    CMotor ref;
    EXPECT_FALSE(ref.ReadFromSetup(m_setup.get(), FALSE)) << c.name;
    EXPECT_FALSE(ref.IsValid());
    EXPECT_EQ(LastBox().substr(0, c.box.size()), c.box) << c.name;
  }
  CMotor ref;
  EXPECT_FALSE(ref.ReadFromSetup(nullptr, TRUE));
}

TEST_F(MotorTest, CompatibleDatabasesAndMotorsFollowTheKeys) {
  CMotor ref;
  ASSERT_TRUE(ref.ReadFromSetup(m_setup.get(), TRUE));
  CStringArray out;
  out.Add("stale");
  ref.GetCompatibleMotorsFromDatabase("Brushless", out);
  // BLM-200 lacks the sensor key and differs only in case; DC-10 differs.
  EXPECT_EQ(Strings(out), (std::vector<std::string>{"BLM-100", "BLM-200"}));
  ref.GetCompatibleMotorsFromDatabase("Linear", out);
  EXPECT_EQ(Strings(out), (std::vector<std::string>{"Numeric"}));  // no keys: fits every reference
  ref.GetDatabasesWithCompatibleMotors(out);
  EXPECT_EQ(Strings(out), (std::vector<std::string>{"Brushless", "Linear", "User"}));

  std::filesystem::remove_all(Kernel("Databases/User"));
  ref.GetDatabasesWithCompatibleMotors(out);
  EXPECT_EQ(Strings(out).back(), "User");
  EXPECT_TRUE(std::filesystem::is_directory(Kernel("Databases/User")));
}

TEST_F(MotorTest, SavingWritesKeysAsTextAndNumbersWithFiveDigits) {
  CMotor m;
  ASSERT_TRUE(m.ReadFromSetup(m_setup.get(), FALSE));
  ASSERT_TRUE(m.WriteToUserDatabase("Fresh"));
  EXPECT_EQ(ReadBytes(DbFile("User", "Fresh")),
            "MotorType = Brushless\r\nSensor = Encoder\r\nNo_encoder_lines = 500\r\nIpeak = 10\r\nInom = 4\r\n"
            "MaxSpeed = 314.16\r\n");
  CMotor back;
  ASSERT_TRUE(back.ReadFromDatabase("User", "Fresh", FALSE));
  EXPECT_EQ(back.FindParameter("MaxSpeed")->m_dValue, 314.16);
}

TEST_F(MotorTest, OverwriteAndDeleteAskWithNoAsDefault) {
  CMotor m;
  ASSERT_TRUE(m.ReadFromDatabase("Brushless", "BLM-100", FALSE));
  std::string before = ReadBytes(DbFile("User", "Saved"));
  g_bShowErrors = FALSE;  // the questions are asked whatever the flag
  EXPECT_FALSE(m.WriteToUserDatabase("Saved"));
  EXPECT_EQ(LastBox(), "Motor 'Saved' already exists in User database!\n\nDo you want to overwrite it?");
  EXPECT_EQ(Automation::Instance().MessageBoxes().back().type, (UINT)(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION));
  EXPECT_EQ(ReadBytes(DbFile("User", "Saved")), before);
  EXPECT_FALSE(CMotor::DeleteFromUserDatabase("Saved"));
  EXPECT_EQ(LastBox(),
            "Are you sure you want to delete motor 'Saved' from User database?\n\nCaution: This operation is irreversible!");
  EXPECT_TRUE(std::filesystem::exists(DbFile("User", "Saved")));

  Automation::Instance().PushMessageBoxAnswers({IDYES, IDYES, IDYES});
  EXPECT_TRUE(m.WriteToUserDatabase("Saved"));
  EXPECT_NE(ReadBytes(DbFile("User", "Saved")), before);
  EXPECT_TRUE(CMotor::DeleteFromUserDatabase("Saved"));
  EXPECT_FALSE(std::filesystem::exists(DbFile("User", "Saved")));
  EXPECT_FALSE(CMotor::DeleteFromUserDatabase("Saved"));
  EXPECT_EQ(LastBox(),
            "Delete operation has failed!\nEither the file does not exists or you don't have the necessary permissions.");
  EXPECT_EQ(Automation::Instance().MessageBoxes().back().type, (UINT)MB_ICONSTOP);

  ClearBoxes();
  for (const char* bad : {"..\\..\\x", "a*b", "a/b"}) {
    EXPECT_FALSE(m.WriteToUserDatabase(bad));
    EXPECT_FALSE(CMotor::DeleteFromUserDatabase(bad));
  }
  EXPECT_EQ(Boxes(), std::vector<std::string>(6, "Invalid name. "));
  EXPECT_FALSE(m.WriteToUserDatabase(""));
}

TEST_F(MotorTest, WritingIntoTheSetupClearsTheModification) {
  CMotor m;
  ASSERT_TRUE(m.ReadFromDatabase("Brushless", "BLM-100", FALSE));
  EXPECT_TRUE(m.IsSetupModified(m_setup.get()));
  EXPECT_TRUE(m.WriteToSetup(m_setup.get()));
  EXPECT_EQ(m_setup->GetParameterValueInBaseUnit("Ipeak"), 12.5);
  EXPECT_EQ(m_setup->GetParameterValue("No_encoder_lines"), 1000);
  EXPECT_FALSE(m.IsSetupModified(m_setup.get()));
  EXPECT_FALSE(m.WriteToSetup(nullptr));
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
