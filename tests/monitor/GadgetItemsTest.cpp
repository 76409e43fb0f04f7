// The items of the gadget kinds: their panel-file lines, locating and reading their words.
#include "comm/MC_MemoryCache.h"
#include "kernel/params/MC_Variable.h"
#include "monitor/gadgets/ControlPanelBitItem.h"
#include "monitor/gadgets/ControlPanelGaugeItem.h"
#include "monitor/gadgets/ControlPanelPortItems.h"
#include "monitor/gadgets/ControlPanelScopeItems.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/gadgets/ControlPanelSliderItem.h"
#include "monitor/gadgets/ControlPanelTextItem.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/core/FileSystem.h"
#include "platform/gdi/GdiDefs.h"
#include "tests/kernel/SetupTestSupport.h"

namespace {

class GadgetItemsTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    ASSERT_TRUE(m_setup);
    m_dir = dravonix::test::ScratchDir("gadget-items");
  }
  SetupPtr m_setup;
  std::string m_dir;
};

TEST_F(GadgetItemsTest, PanelOfEveryKindSavesLoadsAndSavesAgainIdentically) {
  CControlPanelItemArray panel("all");
  for (auto& link : CMC_ControlPanelView::msc_aLinks) {
    ASSERT_TRUE(link.pItemClass) << link.name;
    auto* item = dynamic_cast<CControlPanelItem*>(link.pItemClass->CreateObject());
    item->m_rect.SetRect(1, 2, 30, 40);
    panel.Add(item);
  }
  auto* text = dynamic_cast<CControlPanelTextItem*>(panel[12]);
  text->m_strText = "Say \"hi\"";
  auto* bit = dynamic_cast<CControlPanelBitItem*>(panel[8]);
  bit->m_crColor1 = 0xFF0000;
  bit->m_strVariable = "APOS";
  const std::string a = m_dir + "/a.cp", b = m_dir + "/b.cp";
  ASSERT_TRUE(panel.Save(a.c_str()));
  CControlPanelItemArray again("again");
  ASSERT_TRUE(again.Load(a.c_str()));
  ASSERT_EQ(again.GetSize(), 13);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(again[i]->GetRuntimeClass(), panel[i]->GetRuntimeClass()) << i;
  ASSERT_TRUE(again.Save(b.c_str()));
  const std::string bytes = ReadBytes(a);
  EXPECT_EQ(ReadBytes(b), bytes);
  EXPECT_NE(bytes.find("\r\nBIT 1 1 2 30 40 0 \"APOS\" \"\" 0 0 0 16711680\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\nTEXT 0 1 2 30 40 \"Say \\\"hi\\\"\" \"Courier New\" 9 400 0 0 0 49 0 0 16777215\r\n"),
            std::string::npos);
  EXPECT_NE(bytes.find("\r\nINPUT 1 1 2 30 40 0 \"\" -1 0\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\r\nCODE 0 1 2 30 40 \"\"\r\n"), std::string::npos);
  EXPECT_NE(bytes.find(" \"\" 32768 0\r\nGAUGE_VERT"), std::string::npos);
}

TEST_F(GadgetItemsTest, LinesMissingFieldsFail) {
  const struct { const char* kind; const char* fields; int ok; } rows[] = {
      {"BIT", "1 1 2 3 4 0 \"APOS\" \"t\" 3 0", 1},
      {"BIT", "1 1 2 3 4 0 \"APOS\" \"t\" 3 0 255", 0},
      {"BIT", "1 1 2 3 4 0 \"APOS\" \"t\" 3", 0},
      {"INPUT", "1 1 2 3 4 0 \"t\" 3", 0},
      {"OUTPUT", "1 1 2 3 4 0 \"t\" 3 0", 1},
      {"TEXT", "1 1 2 3 4 \"t\" \"f\" 9 400 0 0 0 49 0 0", 0},
      {"CODE", "1 1 2 3 4", 0},
      {"DOUBLE_SCOPE", "1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 %3 0 \"B\" \"\" 0 1 0 0 %3 \"t\" 255 0", 0},
      {"YX_SCOPE", "1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 %3 0 \"B\" \"\" 0 1 0 0 %3 \"t\" 255 0", 1},
      {"SLIDER_HORZ", "1 1 2 3 4 0 \"A\" \"\" 0 1 0 %3 \"t\" 1", 0},
      {"SLIDER_VERT", "1 1 2 3 4 0 \"A\" \"\" 0 1 0 %3 \"t\" 1 70000", 1},
  };
  for (const auto& r : rows) {
    const int kind = CMC_ControlPanelView::GetLinkWithName(r.kind);
    ASSERT_GE(kind, 0);
    std::unique_ptr<CObject> object(CMC_ControlPanelView::msc_aLinks[kind].pItemClass->CreateObject());
    CString line = r.fields;
    EXPECT_EQ(dynamic_cast<CControlPanelItem*>(object.get())->LoadConfigLine(line), r.ok) << r.kind << " " << r.fields;
  }
  CControlPanelBitItem bit;
  CString line = "1 1 2 3 4 258 \"APOS\" \"t\" 259 0";
  ASSERT_TRUE(bit.LoadConfigLine(line));
  EXPECT_EQ(bit.m_nAxis, 2);
  EXPECT_EQ(bit.m_nBit, 3);
  EXPECT_EQ(bit.m_crColor0, 0u);
  EXPECT_EQ(bit.m_crColor1, 0u);
}

TEST_F(GadgetItemsTest, BitsPortsAndScopesLocateAndRead) {
  CControlPanelBitItem bit;
  bit.m_strVariable = "IQ";
  bit.m_nBit = 17;
  EXPECT_FALSE(bit.LocateItemVariables(m_setup.get(), nullptr));
  EXPECT_TRUE(bit.m_bDisabled);
  bit.m_strVariable = "APOS";
  ASSERT_TRUE(bit.LocateItemVariables(m_setup.get(), nullptr));
  const WORD apos = m_setup->FindVariable("APOS")->GetAddress();
  CMC_MemoryCache cache(0);
  bit.RegisterAddresses(cache);
  EXPECT_EQ(cache.GetCount(), 1);
  EXPECT_GE(cache.FindAddress(0, (WORD)(apos + 1)), 0);

  CControlPanelInputItem input;
  input.m_nPort = 9999;
  EXPECT_FALSE(input.LocateItemVariables(m_setup.get(), nullptr));
  EXPECT_TRUE(input.m_bDisabled);
  EXPECT_EQ(input.m_nAddress, 0);
  input.m_nPort = 3;
  EXPECT_FALSE(input.LocateItemVariables(nullptr, nullptr));
  input.LocateItemVariables(m_setup.get(), nullptr);
  EXPECT_NE(input.m_nAddress, 0);
  EXPECT_EQ(input.m_nMask, 8);

  const struct { WORD period; WORD age; } ages[] = {{2, 20}, {0, 0}, {6553, 65530}, {7000, 70000 % 65536}, {65535, 655350 % 65536}};
  for (const auto& a : ages) EXPECT_EQ(ScopeMaxAge(a.period), a.age) << a.period;

  CControlPanelDoubleScopeItem scope;
  scope.m_var.m_strName = "APOS";
  scope.m_var2.m_strName = "NOSUCH";
  EXPECT_FALSE(scope.LocateItemVariables(m_setup.get(), nullptr));
  EXPECT_TRUE(scope.m_bDisabled);
  CControlPanelCodeItem code;
  EXPECT_FALSE(code.LocateItemVariables(nullptr, nullptr));
  EXPECT_TRUE(code.LocateItemVariables(m_setup.get(), nullptr));
}

TEST_F(GadgetItemsTest, LabelFontDescription) {
  CControlPanelTextItem text;
  LOGFONT font;
  text.GetLogFont(font, 96);
  EXPECT_STREQ(font.lfFaceName, "Courier New");
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_EQ(text.m_bBorder, 0);
  text.m_strFaceName = CString('F', 40);
  text.GetLogFont(font, 96);
  EXPECT_EQ(strlen(font.lfFaceName), 31u);
  text.SetLogFont(font, 96);
  EXPECT_EQ(text.m_strFaceName.GetLength(), 31);
  EXPECT_EQ(text.m_nPointSize, 9);
}

}  // namespace
