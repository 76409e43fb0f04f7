// The kernel's combo-box fillers against real combo boxes: items, their data, order and selection.
#include "comm/MC_CoffFormat.h"
#include "kernel/params/MC_Units.h"
#include "kernel/params/MC_Variables.h"
#include "platform/ui/Controls.h"
#include "suite/coff/CoffWriter.h"
#include "tests/kernel/SetupTestSupport.h"

#include <string>
#include <vector>

namespace {

struct Item {
  std::string text;
  DWORD_PTR data;
  bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Item& i) { return os << '{' << i.text << ", " << (long long)i.data << '}'; }

std::vector<Item> Items(const CComboBox& combo) {
  std::vector<Item> items;
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString text;
    combo.GetLBText(i, text);
    items.push_back({std::string(text), combo.GetItemData(i)});
  }
  return items;
}

std::string Selected(const CComboBox& combo) {
  int i = combo.GetCurSel();
  if (i < 0) return "<none>";
  CString text;
  combo.GetLBText(i, text);
  return std::string(text);
}

const DWORD_PTR kIU = 92;
const DWORD_PTR kNone = (DWORD_PTR)-1;

class CombosTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP, CRect(0, 0, 300, 300), nullptr, 0);
    m_combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, CRect(5, 5, 200, 200), &m_host, 1);
    m_sorted.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, CRect(5, 30, 200, 200), &m_host, 2);
  }
  void TearDown() override {
    m_host.DestroyWindow();
    SetupTest::TearDown();
  }
  // A unit table of our own, read from the kernel's units folder.
  void LoadUnits(CMC_Units& units, const std::string& text) {
    std::ofstream(dravonix::test::KernelDir() + "/Units/combos.cfg", std::ios::binary) << text;
    ASSERT_TRUE(units.Initialize("combos.cfg"));
  }
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
    return texts;
  }

  CWnd m_host;
  CComboBox m_combo;
  CComboBox m_sorted;
};

const char kUnits[] =
    "1 [m] CANopen=1,0\n"
    "2 [s]\n"
    "1 [mm] 1000 CANopen=1,-3\n"
    "1 [in] 39.37\n"
    "1 [km] 0.001 CANopen=1,3\n"
    "2 [ms] 1000 CANopen=3,-3\n";

TEST_F(CombosTest, UnitComboListsTheTypeInTableOrderWithTheInternalEntry) {
  CMC_Units units;
  LoadUnits(units, kUnits);
  m_combo.AddString("stale");
  units.FillCombo(&m_combo, "mm", 0);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"m", 0}, {"mm", 0}, {"in", 0}, {"km", 0}}));
  EXPECT_EQ(Selected(m_combo), "mm");
  EXPECT_FALSE(CMC_Units::IsInternalUnit(&m_combo, 0));

  units.FillCombo(&m_combo, "km", 1);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"IU", kIU}, {"m", 0}, {"mm", 0}, {"in", 0}, {"km", 0}}));
  EXPECT_EQ(Selected(m_combo), "km");
  EXPECT_TRUE(CMC_Units::IsInternalUnit(&m_combo, 0));
  EXPECT_FALSE(CMC_Units::IsInternalUnit(&m_combo, 1));
  EXPECT_FALSE(CMC_Units::IsInternalUnit(&m_combo, -1));

  // A backslash marks the internal unit: listed first and selected.
  units.FillCombo(&m_combo, "\\ms", 0);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"IU", kIU}, {"s", 0}, {"ms", 0}}));
  EXPECT_EQ(Selected(m_combo), "IU");

  // No name: only the internal entry, when asked for.
  units.FillCombo(&m_combo, "", 1);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"IU", kIU}}));
  EXPECT_EQ(Selected(m_combo), "IU");
  units.FillCombo(&m_combo, "", 0);
  EXPECT_TRUE(Items(m_combo).empty());
  EXPECT_FALSE(CMC_Units::IsInternalUnit(&m_combo, 0));
  EXPECT_FALSE(CMC_Units::IsInternalUnit(nullptr, 0));

  // An unknown unit is named and leaves the combo empty.
  Automation::Instance().ClearMessageBoxes();
  units.FillCombo(&m_combo, "furlong", 1);
  EXPECT_TRUE(Items(m_combo).empty());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot find unit furlong!"});

  // "IU" placed by hand is not the internal entry: its data is not the backslash code.
  m_combo.ResetContent();
  m_combo.AddString("IU");
  EXPECT_FALSE(CMC_Units::IsInternalUnit(&m_combo, 0));
}

TEST_F(CombosTest, CANopenComboCarriesTheIndexPairs) {
  CMC_Units units;
  LoadUnits(units, kUnits);
  units.FillCANopenCombo(&m_combo, "mm", 1, -3);
  const std::vector<Item> lengths{{"IU", 0},
                                  {"m", 0x10000},
                                  {"mm", 0x10000 + 0xFFFD},
                                  {"km", 0x10003},
                                  {"User-defined", kNone}};
  EXPECT_EQ(Items(m_combo), lengths);
  EXPECT_EQ(Selected(m_combo), "mm");
  units.FillCANopenCombo(&m_combo, "\\in", 0, 0);
  EXPECT_EQ(Items(m_combo), lengths);
  EXPECT_EQ(Selected(m_combo), "IU");
  units.FillCANopenCombo(&m_combo, "m", 1, 7);
  EXPECT_EQ(Selected(m_combo), "User-defined");
  units.FillCANopenCombo(&m_combo, "s", 3, -3);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"IU", 0}, {"ms", 0x3FFFD}, {"User-defined", kNone}}));
  EXPECT_EQ(Selected(m_combo), "ms");

  units.FillCANopenCombo(&m_combo, "", 1, 0);
  EXPECT_TRUE(Items(m_combo).empty());
  Automation::Instance().ClearMessageBoxes();
  units.FillCANopenCombo(&m_combo, "furlong", 1, 0);
  EXPECT_TRUE(Items(m_combo).empty());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot find unit furlong!"});
}

TEST_F(CombosTest, SetupFillsFromItsOwnUnitTable) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->FillUnitCombo(&m_combo, "mm", 1);
  EXPECT_EQ(Items(m_combo),
            (std::vector<Item>{{"IU", kIU}, {"m", 0}, {"mm", 0}, {"\xB5m", 0}, {"km", 0}, {"in", 0}}));
  EXPECT_EQ(Selected(m_combo), "mm");
  EXPECT_TRUE(s->IsInternalUnit(&m_combo, 0));
  s->FillCANopenUnitCombo(&m_combo, "rpm", 180, 0);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"IU", 0}, {"rad/s", 168u << 16}, {"rpm", 180u << 16},
                                               {"User-defined", kNone}}));
  EXPECT_EQ(Selected(m_combo), "rpm");
}

TEST_F(CombosTest, VariablesAreAppendedAndSelectedWithoutRegardToCase) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  std::ofstream(dravonix::test::KernelDir() + "/combo-vars.cfg", std::ios::binary)
      << "INT\tzeta\t@0x0100\nLONG\tPOS\t[mm]\t@0x0102\nUINT\tAlpha\t@0x0104\n";
  CMC_Variables vars;
  ASSERT_TRUE(vars.ReadFile("combo-vars.cfg", *s));
  m_combo.AddString("kept");
  vars.AppendListToCombo(m_combo, "pos");
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"kept", 0}, {"zeta", 0}, {"POS", 0}, {"Alpha", 0}}));
  EXPECT_EQ(Selected(m_combo), "POS");
  // A sorted combo places them itself; the selection follows the name.
  vars.AppendListToCombo(m_sorted, "ZETA");
  EXPECT_EQ(Items(m_sorted), (std::vector<Item>{{"Alpha", 0}, {"POS", 0}, {"zeta", 0}}));
  EXPECT_EQ(Selected(m_sorted), "zeta");
  m_sorted.ResetContent();
  vars.AppendListToCombo(m_sorted, "nothing");
  EXPECT_EQ(Selected(m_sorted), "<none>");
  vars.AppendListToCombo(m_sorted, nullptr);
  EXPECT_EQ(m_sorted.GetCount(), 6);
}

TEST_F(CombosTest, CoffFormatsAndProgramVariables) {
  CMC_CoffFormat::FillFormatCombo(&m_combo, 13);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"signed char", 1},
                                               {"unsigned char", 12},
                                               {"char", 2},
                                               {"short", 3},
                                               {"unsigned short", 13},
                                               {"int", 4},
                                               {"unsigned int", 14},
                                               {"long", 5},
                                               {"unsigned long", 15},
                                               {"fixed", 6},
                                               {"double", 7}}));
  EXPECT_EQ(Selected(m_combo), "unsigned short");
  CMC_CoffFormat::FillFormatCombo(&m_combo, 9);
  EXPECT_EQ(m_combo.GetCount(), 11);
  EXPECT_EQ(Selected(m_combo), "<none>");

  coff::Writer w;
  coff::Section text;
  text.name = ".text";
  text.loadAddress = text.runAddress = 0x4000;
  text.words.assign(8, 0);
  w.AddSection(text);  // 1
  coff::Section data;
  data.name = ".data";
  data.loadAddress = data.runAddress = 0x8300;
  data.words.assign(8, 0);
  data.flags = coff::kSectionData;
  data.page = 1;
  w.AddSection(data);  // 2
  coff::Section low;
  low.name = "lowdata";
  low.loadAddress = low.runAddress = 0x0200;
  low.words.assign(4, 0);
  low.flags = coff::kSectionData;
  w.AddSection(low);  // 3, program page
  w.AddVariable("SPEED", 0x8300, 2, coff::kTypeFixed);
  w.AddVariable("COUNT", 0x8302, 2, coff::kTypeInt, coff::kClassStatic);
  w.AddVariable("PAGE0", 0x0200, 3, coff::kTypeInt);
  w.AddLabel("START", 0x4000, 1);
  std::string path = dravonix::test::ScratchDir("combos") + "/prog.out";
  ASSERT_TRUE(w.WriteFile(path, nullptr));
  CMC_CoffFormat coffFile;
  coffFile.m_strFileName = path.c_str();
  ASSERT_EQ(coffFile.ReadCoff(), 1);

  m_combo.ResetContent();
  m_combo.AddString("kept");
  coffFile.FillSimpleVarsCombo(&m_combo, 0, 0);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"kept", 0}, {"SPEED", 0}, {"COUNT", 0}}));
  coffFile.FillSimpleVarsCombo(&m_combo, 1, 1);
  EXPECT_EQ(Items(m_combo), (std::vector<Item>{{"SPEED", 0}, {"COUNT", 0}, {"PAGE0", 0}}));
}

}  // namespace
