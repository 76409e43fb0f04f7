#include "kernel/params/MC_Units.h"

#include "kernel/document/KernelGlobals.h"
#include "platform/core/Automation.h"
#include "platform/core/MessageBox.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <fstream>

struct CMC_UnitsTestAccess {
  static int Merge(CMC_Units& u, const char* n, const char* from, double f, double o) {
    return u.MergeDerivedUnit(n, from, f, o);
  }
  static int Remove(CMC_Units& u, const char* n) { return u.RemoveUnit(n); }
};

namespace {

void WriteUnits(const std::string& name, const std::string& text) {
  std::ofstream(dravonix::test::KernelDir() + "/Units/" + name, std::ios::binary) << text;
}

std::vector<std::string> Boxes() {
  std::vector<std::string> texts;
  for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
  return texts;
}

std::string Order(const CMC_Units& units) {
  std::string s;
  for (int i = 0; i < units.GetUnits().GetSize(); ++i) s += std::string(units.GetUnits()[i]->GetName()) + " ";
  return s;
}

class Units : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bShowErrors = TRUE;
    Automation::Instance().ClearMessageBoxes();
  }
  void TearDown() override { g_bShowErrors = TRUE; }

  // Loads `text` as the unit file; returns the result and leaves the boxes shown.
  int Load(const std::string& text) {
    WriteUnits("test.cfg", text);
    Automation::Instance().ClearMessageBoxes();
    return m_units.Initialize("test.cfg");
  }
  void ExpectFails(const std::string& text, const std::string& message) {
    EXPECT_FALSE(Load(text)) << text;
    EXPECT_EQ(Boxes(), std::vector<std::string>{message}) << text;
    EXPECT_EQ(m_units.GetUnits().GetSize(), 0) << text;
  }

  CMC_Units m_units;
};

}  // namespace

TEST_F(Units, SampleFileLoads) {
  ASSERT_TRUE(m_units.Initialize(nullptr));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_GT(m_units.GetUnits().GetSize(), 30);
  double v = 1;
  ASSERT_TRUE(m_units.ConvertValue(v, "m", "mm"));
  EXPECT_DOUBLE_EQ(v, 1000);
  v = 100;
  ASSERT_TRUE(m_units.ConvertValue(v, "degC", "degF"));
  EXPECT_DOUBLE_EQ(v, 212);
  v = 0.5;
  ASSERT_TRUE(m_units.ConvertValue(v, "rot", "deg"));
  EXPECT_NEAR(v, 180, 1e-12);
  v = 1;
  ASSERT_TRUE(m_units.ConvertValue(v, "\xB5s", "ms"));  // stored files are Windows-1252
  EXPECT_DOUBLE_EQ(v, 0.001);
  EXPECT_TRUE(m_units.IsLinearUnit("mm/s^2"));
  EXPECT_TRUE(m_units.IsRotaryUnit("\\rpm"));
  EXPECT_FALSE(m_units.IsRotaryUnit("mm"));
  EXPECT_FALSE(m_units.IsLinearUnit(nullptr));
  EXPECT_FALSE(m_units.IsLinearUnit("s"));
  for (const char* base : {"m", "m/s", "m/s^2", "m/s^3", "rad", "rad/s", "rad/s^2", "rad/s^3", "s"})
    EXPECT_TRUE(m_units.FindUnit(base)->IsBaseUnit()) << base;
}

TEST_F(Units, ConversionsRoundTrip) {
  ASSERT_TRUE(m_units.Initialize(nullptr));
  const auto& all = m_units.GetUnits();
  const double samples[] = {1, -2.5, 0.001, 12345.678, 1e-9, 3e7};
  for (int i = 0; i < all.GetSize(); ++i) {
    for (int j = 0; j < all.GetSize(); ++j) {
      if (all[i]->GetUnitType() != all[j]->GetUnitType()) continue;
      for (double s : samples) {
        double v = s;
        ASSERT_TRUE(m_units.ConvertValue(v, all[i]->GetName(), all[j]->GetName()));
        ASSERT_TRUE(m_units.ConvertValue(v, all[j]->GetName(), all[i]->GetName()));
        // Offsets move the last place to their own magnitude.
        double scale = std::fabs(s) + std::fabs(all[i]->GetOffset()) + std::fabs(all[j]->GetOffset());
        EXPECT_LE(std::fabs(v - s), 4 * DBL_EPSILON * scale)
            << all[i]->GetName().GetString() << " -> " << all[j]->GetName().GetString() << " " << s;
      }
    }
  }
}

TEST_F(Units, FactorOffsetAndOrder) {
  ASSERT_TRUE(Load("2 [m]\n1 [s]\n2 [mm] 1000\n5 [degC]\n5\t[degF]\t1.8\t32\n1 [ms] 1e3 0\n"));
  EXPECT_EQ(Order(m_units), "s ms m mm degC degF ");
  CMC_Unit* mm = m_units.FindUnit("mm");
  ASSERT_TRUE(mm);
  EXPECT_EQ(mm->GetFactor(), 1000);
  EXPECT_EQ(mm->GetOffset(), 0);
  EXPECT_FALSE(mm->IsBaseUnit());
  EXPECT_TRUE(m_units.FindUnit("degC")->IsBaseUnit());
  EXPECT_EQ(m_units.FindUnit("degF")->GetOffset(), 32);
  double v = 1;
  ASSERT_TRUE(m_units.ConvertValue(v, "m", "mm"));
  EXPECT_EQ(v, 1000);
  EXPECT_EQ(m_units.FindBaseUnit(2u), m_units.FindUnit("m"));
  EXPECT_EQ(m_units.FindBaseUnit("\\mm"), m_units.FindUnit("m"));
  EXPECT_EQ(m_units.FindBaseUnit(7u), nullptr);
  // A name with blanks, and a unit file without a final line end.
  ASSERT_TRUE(Load("4 [deg C]   # comment\n4 [x] 2 1 trailing words"));
  EXPECT_TRUE(m_units.FindUnit("deg C"));
  EXPECT_EQ(m_units.FindUnit("x")->GetOffset(), 1);
}

TEST_F(Units, CANopenFields) {
  ASSERT_TRUE(Load("3 [rad/s]\n3 [rpm] 60 0 CANopen=5,2\n2 [mm] CANopen=1,3\n2 [um] 1000 CANopen=1,-3\n"
                   "3 [rps] 1 CANopen=7,-6\n3 [x] 2 canopen=5,2\n"));
  SHORT a = 0, b = 0;
  EXPECT_TRUE(m_units.FindUnit("rpm")->GetCANopenIndexes(a, b));
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 2);
  CMC_Unit* mm = m_units.FindUnit("mm");
  EXPECT_TRUE(mm->GetCANopenIndexes(a, b));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 3);
  EXPECT_TRUE(mm->IsBaseUnit());
  EXPECT_FALSE(m_units.FindUnit("x")->GetCANopenIndexes(a, b));
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, -1);
  // "1 CANopen=..." is factor 1, then the CANopen field.
  EXPECT_TRUE(m_units.FindUnit("rps")->GetCANopenIndexes(a, b));
  EXPECT_EQ(b, -6);

  EXPECT_EQ(m_units.FindCANopenUnit("mm", 1, -3), m_units.FindUnit("um"));
  EXPECT_EQ(m_units.FindCANopenUnit("\\um", 1, 3), mm);
  EXPECT_EQ(m_units.FindCANopenUnit("mm", 0, 0), nullptr);
  EXPECT_EQ(m_units.FindCANopenUnit("", 1, 3), nullptr);
  EXPECT_EQ(m_units.FindCANopenUnit("rpm", 1, 3), nullptr);
  EXPECT_TRUE(CMC_Units::IsCANopenInternalUnit(0, 0));
  EXPECT_FALSE(CMC_Units::IsCANopenInternalUnit(0, 1));

  const char* bad = "Error in file test.cfg line 2:\n Invalid CANopen field for the unit rpm.";
  ExpectFails("3 [rad/s]\n3 [rpm] 60 0 CANopen=0,0\n", bad);
  ExpectFails("3 [rad/s]\n3 [rpm] 60 0 CANopen=5\n", bad);
  ExpectFails("3 [rad/s]\n3 [rpm] 60 0 CANopen=-1,2\n", bad);
}

TEST_F(Units, BadLinesNameFileAndLine) {
  for (const char* line : {"[m]", "0 [m]", "x [m]", "1 m", "1 []", "1 [m", "-1 [m]", "99999999999 [m]", "1"})
    ExpectFails(std::string("1 [s]\n# comment\n") + line + "\n1 [ms] 1000\n", "Invalid syntax in file test.cfg, line 3");
  ExpectFails("1 [s]\n1 [ms] 0\n", "Error in file test.cfg, line 2:\nUnit factors must be greater than 0!");
  ExpectFails("1 [s]\n1 [ms] -1000\n", "Error in file test.cfg, line 2:\nUnit factors must be greater than 0!");
  ExpectFails("1 [s]\n\n1 [s] 1000\n", "Error in file test.cfg line 3:\n The unit s is already defined.");
  // The order of checks on one line: the factor before the CANopen field before the name.
  ExpectFails("1 [s]\n1 [s] 0 CANopen=0,0\n", "Error in file test.cfg, line 2:\nUnit factors must be greater than 0!");
  ExpectFails("1 [s]\n1 [s] 2 CANopen=0,0\n", "Error in file test.cfg line 2:\n Invalid CANopen field for the unit s.");
}

TEST_F(Units, EveryTypeNeedsABaseUnit) {
  ExpectFails("3 [a] 2\n3 [b] 1 1\n1 [s]\n", "Cannot find base unit of the a unit!");
  // The lowest type without a base unit is named, by its first unit in table order.
  ExpectFails("3 [a] 2\n2 [q] 5\n1 [s]\n2 [r] 3\n", "Cannot find base unit of the q unit!");
}

TEST_F(Units, DefaultAndNamedFiles) {
  std::string sample = dravonix::test::KernelDir() + "/Units/units.cfg";
  const std::string saved = dravonix::test::ReadFileText(sample);
  std::ofstream(sample, std::ios::binary) << "1 [s]\n1 s\n";
  EXPECT_FALSE(m_units.Initialize(""));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Invalid syntax in file units.cfg, line 2"});
  std::ofstream(sample, std::ios::binary) << saved;

  WriteUnits("myunits.cfg", "1 [s]\n1 [ms] 1000\n1 [ms] 1\n");
  Automation::Instance().ClearMessageBoxes();
  EXPECT_FALSE(m_units.Initialize("myunits.cfg"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error in file myunits.cfg line 3:\n The unit ms is already defined."});

  // A missing file reports the full path and leaves the table empty.
  ASSERT_TRUE(m_units.Initialize(nullptr));
  Automation::Instance().ClearMessageBoxes();
  EXPECT_FALSE(m_units.Initialize("none.cfg"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("Cannot open file "), std::string::npos);
  EXPECT_NE(Boxes()[0].find("none.cfg"), std::string::npos);
  EXPECT_EQ(m_units.GetUnits().GetSize(), 0);

  // Without the flag nothing is shown and the result is the same.
  g_bShowErrors = FALSE;
  Automation::Instance().ClearMessageBoxes();
  EXPECT_FALSE(m_units.Initialize("myunits.cfg"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Units, LookupsAndMessages) {
  ASSERT_TRUE(m_units.Initialize(nullptr));
  EXPECT_EQ(m_units.FindUnit("furlong"), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find unit furlong!"});
  EXPECT_EQ(m_units.FindUnit("M"), nullptr);  // names keep their case

  Automation::Instance().ClearMessageBoxes();
  double v = 2;
  EXPECT_FALSE(m_units.ConvertValue(v, "m", "rad"));
  EXPECT_EQ(v, 2);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Units m and rad are incompatible!"});
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);

  Automation::Instance().ClearMessageBoxes();
  EXPECT_TRUE(m_units.ConvertValue(v, "furlong", "furlong"));  // identical names need no look-up
  EXPECT_TRUE(m_units.ConvertValue(v, nullptr, ""));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(m_units.ConvertValue(v, "m", "furlong"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find unit furlong!"});

  EXPECT_TRUE(m_units.CompatibleUnits("", nullptr));
  EXPECT_FALSE(m_units.CompatibleUnits("", "m"));
  EXPECT_TRUE(m_units.CompatibleUnits("\\m", "mm"));
  EXPECT_FALSE(m_units.CompatibleUnits("m", "rad"));
  EXPECT_FALSE(m_units.CompatibleUnits("m", "furlong"));

  EXPECT_EQ(m_units.FindUnitWithRelativeFactor(1, "mm"), m_units.FindUnit("mm"));
  EXPECT_EQ(m_units.FindUnitWithRelativeFactor(0.001, "m"), m_units.FindUnit("mm"));
  EXPECT_EQ(m_units.FindUnitWithRelativeFactor(1000, "mm"), m_units.FindUnit("m"));
  EXPECT_EQ(m_units.FindUnitWithRelativeFactor(7, "mm"), nullptr);
  EXPECT_EQ(m_units.FindUnitWithRelativeFactor(1, "degF"), nullptr);  // has an offset
  EXPECT_EQ(m_units.FindUnitWithRelativeFactor(1, "nothing"), nullptr);

  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(m_units.FindBaseUnit("nothing"), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find unit nothing!"});
}

TEST_F(Units, InternalUnitTexts) {
  EXPECT_EQ(CMC_Units::GetIUOfUnit("mm"), "\\mm");
  EXPECT_EQ(CMC_Units::GetIUOfUnit("\\mm"), "\\mm");
  EXPECT_EQ(CMC_Units::GetIUOfUnit(""), "");
  EXPECT_EQ(CMC_Units::DumpIUOfUnit("\\mm"), "mm");
  EXPECT_EQ(CMC_Units::DumpIUOfUnit("mm"), "mm");
  EXPECT_TRUE(CMC_Units::IsInternalUnit(""));
  EXPECT_TRUE(CMC_Units::IsInternalUnit(nullptr));
  EXPECT_TRUE(CMC_Units::IsInternalUnit("\\s"));
  EXPECT_FALSE(CMC_Units::IsInternalUnit("s"));
  EXPECT_TRUE(CMC_Units::IsValidUnit("s"));
  EXPECT_TRUE(CMC_Units::IsValidUnit("\\s"));
  EXPECT_FALSE(CMC_Units::IsValidUnit("\\"));
  EXPECT_FALSE(CMC_Units::IsValidUnit(""));
}

TEST_F(Units, MergeAndRemove) {
  ASSERT_TRUE(Load("1 [s]\n1 [ms] 1000\n2 [m]\n3 [V]\n"));
  EXPECT_EQ(CMC_UnitsTestAccess::Merge(m_units, "us", "ms", 1000, 0), 1);
  EXPECT_EQ(m_units.FindUnit("us")->GetFactor(), 1e6);
  EXPECT_EQ(Order(m_units), "s ms us m V ");
  EXPECT_EQ(CMC_UnitsTestAccess::Merge(m_units, "us", "s", 2e6, 1), 0);
  EXPECT_EQ(m_units.FindUnit("us")->GetFactor(), 2e6);
  EXPECT_EQ(m_units.FindUnit("us")->GetOffset(), 1);
  EXPECT_EQ(CMC_UnitsTestAccess::Merge(m_units, "x", "nothing", 1, 0), -1);

  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(CMC_UnitsTestAccess::Merge(m_units, "x", "ms", -1, 0), -1);
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"Cannot add the new unit x derived from ms because its factor isn't greater than 0!"});
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(CMC_UnitsTestAccess::Merge(m_units, "m", "ms", 2, 0), -1);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Units m and ms are incompatible!"});

  EXPECT_EQ(CMC_UnitsTestAccess::Remove(m_units, "m"), 1);
  EXPECT_EQ(m_units.FindBaseUnit(2u), nullptr);
  EXPECT_EQ(m_units.FindBaseUnit(3u), m_units.FindUnit("V"));
  EXPECT_EQ(Order(m_units), "s ms us V ");
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(CMC_UnitsTestAccess::Remove(m_units, "m"), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot find unit m!"});
}

TEST_F(Units, CopiesAreDeepAndEqual) {
  ASSERT_TRUE(m_units.Initialize(nullptr));
  CMC_Units copy(m_units);
  ASSERT_EQ(copy.GetUnits().GetSize(), m_units.GetUnits().GetSize());
  for (int i = 0; i < copy.GetUnits().GetSize(); ++i) {
    EXPECT_NE(copy.GetUnits()[i], m_units.GetUnits()[i]);
    EXPECT_TRUE(*copy.GetUnits()[i] == *m_units.GetUnits()[i]);
  }
  EXPECT_EQ(copy.FindBaseUnit(2u), copy.FindUnit("m/s"));
  m_units.Cleanup();
  double v = 1;
  EXPECT_TRUE(copy.ConvertValue(v, "s", "ms"));
  EXPECT_EQ(v, 1000);

  CMC_Units assigned;
  assigned = copy;
  EXPECT_EQ(Order(assigned), Order(copy));
  assigned = assigned;
  EXPECT_EQ(Order(assigned), Order(copy));

  CMC_Unit a(1, "x", 2, 3, 4, 5), b(a);
  EXPECT_TRUE(a == b);
  b = CMC_Unit(1, "X", 2, 3, 4, 5);
  EXPECT_FALSE(a == b);
  EXPECT_EQ(a.ToBaseUnit(a.FromBaseUnit(7)), 7);
  CMC_Unit d;
  EXPECT_EQ(d.GetFactor(), 1);
  SHORT ca = 0, cb = 0;
  EXPECT_FALSE(d.GetCANopenIndexes(ca, cb));
}
