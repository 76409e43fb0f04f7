// The signal selection dialog on the 05/05 setup: bit lists, kinds, unchanged choices and refusals.
#include "monitor/loggers/ScopeChannelSelectionDlg.h"
#include "tests/monitor/LoggerDialogsSupport.h"
#include "platform/ui/MessageQueue.h"
#include "monitor/loggers/ScopeSetupDlg.h"
#include "tests/support/WindowPicture.h"

namespace {

using DialogAutomation::ClickControl;
using Dlg = CScopeChannelSelectionDlg;

class ScopeChannelSelectionTest : public LoggerDialogTest {};

TEST_F(ScopeChannelSelectionTest, VariableBitListsTheBitsOfTheVariablesType) {
  struct Case {
    const char* name;
    size_t bits;
  } cases[] = {{"APOS", 32}, {"", 16}};
  for (const Case& c : cases) {
    CMC_LoggerItem item(c.name, CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
    Dlg dlg(m_scope.get(), &item, "Signal Selection");
    std::vector<std::string> bits;
    std::string title;
    EXPECT_EQ(Run(dlg, Dlg::IDD,
                  [&](CWnd* w) {
                    CString caption;
                    w->GetWindowText(caption);
                    title = caption;
                    ClickControl(w, 14006);
                    bits = ComboTexts(dlg.m_combos[6]);
                    ClickControl(w, IDCANCEL);
                  }),
              IDCANCEL);
    EXPECT_EQ(title, "Signal Selection");
    ASSERT_EQ(bits.size(), c.bits) << c.name;
    EXPECT_EQ(bits.front(), "0");
    EXPECT_EQ(bits.back(), std::to_string(c.bits - 1));
    EXPECT_EQ(item.m_nType, CMC_LoggerItem::ITEM_VARIABLE);  // Cancel leaves the caller's item
  }
}

TEST_F(ScopeChannelSelectionTest, TheSameSignalClosesWithCancelAndAnotherIsWrittenBack) {
  CMC_LoggerItem item("APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  item.m_strUnit = "rad";
  Dlg same(m_scope.get(), &item, "Signal Selection");
  EXPECT_EQ(Run(same, Dlg::IDD, [](CWnd* w) { ClickControl(w, IDOK); }), IDCANCEL);
  EXPECT_EQ(item.m_strUnit, "rad");

  Dlg other(m_scope.get(), &item, "Trigger Source Selection");
  EXPECT_EQ(Run(other, Dlg::IDD,
                [&](CWnd* w) {
                  ClickControl(w, 14006);
                  DialogAutomation::TypeInto(w, 14012, "IQ");
                  DialogAutomation::SelectItem(w, 14013, "3");
                  ClickControl(w, IDOK);
                }),
            IDOK);
  EXPECT_EQ(item.m_nType, CMC_LoggerItem::ITEM_VARIABLE_BIT);
  EXPECT_EQ(item.m_strName, "IQ");
  EXPECT_EQ(item.m_nBit, 3);
}

TEST_F(ScopeChannelSelectionTest, DigitalInputEmptiesTheBitControls) {
  CMC_LoggerItem item("APOS", CMC_LoggerItem::ITEM_VARIABLE_BIT, 2, 1);
  Dlg dlg(m_scope.get(), &item, "Signal Selection");
  size_t bitsBefore = 0, bitsAfter = 1, inputs = 0;
  std::string variable = "?";
  Run(dlg, Dlg::IDD, [&](CWnd* w) {
    bitsBefore = ComboTexts(dlg.m_combos[6]).size();
    ClickControl(w, 14004);
    bitsAfter = ComboTexts(dlg.m_combos[6]).size();
    variable = TextOf(w, 14012);
    inputs = ComboTexts(dlg.m_combos[3]).size();
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(bitsBefore, 32u);
  EXPECT_EQ(bitsAfter, 0u);
  EXPECT_EQ(variable, "");
  EXPECT_GT(inputs, 0u);
}

TEST_F(ScopeChannelSelectionTest, ARegisterBitWithoutSelectionIsRefused) {
  for (int radio : {14002, 14003, 14004, 14005}) {
    CMC_LoggerItem item("APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
    Dlg dlg(m_scope.get(), &item, "Signal Selection");
    bool stayed = false;
    Automation::Instance().ClearMessageBoxes();
    EXPECT_EQ(Run(dlg, Dlg::IDD,
                  [&](CWnd* w) {
                    ClickControl(w, radio);
                    ClickControl(w, IDOK);
                    stayed = ::IsWindow(w->m_hWnd) && w->IsWindowVisible();
                    ClickControl(w, IDCANCEL);
                  }),
              IDCANCEL);
    EXPECT_TRUE(stayed) << radio;
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Please select an item!"}) << radio;
    EXPECT_EQ(item.m_nType, CMC_LoggerItem::ITEM_VARIABLE);
  }
}

TEST_F(ScopeChannelSelectionTest, EntryZeroTogglesTheListOfAllVariables) {
  CMC_LoggerItem item("APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  Dlg dlg(m_scope.get(), &item, "Signal Selection");
  LoggerListAllVariables() = 0;
  std::string first, after;
  size_t before = 0, all = 0;
  bool dropped = false;
  Run(dlg, Dlg::IDD, [&](CWnd* w) {
    first = ComboTexts(dlg.m_combos[0]).front();
    before = dlg.m_combos[0].GetCount();
    DialogAutomation::SelectItem(w, 14007, ">> List all variables <<");
    PumpMessages();
    after = ComboTexts(dlg.m_combos[0]).front();
    all = dlg.m_combos[0].GetCount();
    dropped = dlg.m_combos[0].GetDroppedState() != 0;
    dlg.m_combos[0].ShowDropDown(FALSE);
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(first, ">> List all variables <<");
  EXPECT_EQ(after, ">> List main variables <<");
  EXPECT_GT(all, before);
  EXPECT_TRUE(dropped);
  EXPECT_EQ(LoggerListAllVariables(), 1);
  LoggerListAllVariables() = 0;
}

// Opened from the set-up's channel button: each kind enables its own combos only, picture and all,
// and the chosen variable shows on the channel's line.
TEST_F(ScopeChannelSelectionTest, ChannelButtonOpensItAndEachKindEnablesItsCombos) {
  const struct {
    int radio;
    const char* enabled;  // 14007..14013: 'e' enabled, '-' disabled
  } kinds[] = {{14006, "-----ee"}, {14004, "---e---"}, {14002, "-e-----"}, {14000, "-------"}, {14001, "e------"}};
  DialogAutomation::AddDialogHandler(Dlg::IDD, [&](CWnd* w) {
    for (const auto& k : kinds) {
      ClickControl(w, k.radio);
      std::string on;
      for (int id = 14007; id <= 14013; ++id) on += w->GetDlgItem(id)->IsWindowEnabled() ? 'e' : '-';
      EXPECT_EQ(on, k.enabled) << k.radio;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(w->GetSafeHwnd())) << k.radio;
    }
    DialogAutomation::TypeInto(w, 14007, "IQ");
    ClickControl(w, IDOK);
  });
  CScopeSetupDlg setup(m_scope.get());
  std::string signal, scale;
  int off = -1;
  Run(setup, CScopeSetupDlg::IDD, [&](CWnd* w) {
    ClickControl(w, CScopeSetupDlg::IDC_CHANNEL + 1);
    signal = TextOf(w, CScopeSetupDlg::IDC_SIGNAL + 1);
    scale = TextOf(w, CScopeSetupDlg::IDC_SCALE + 1);
    off = dravonix::test::PixelsOffFullRepaint(w->GetSafeHwnd());
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(signal, "IQ");
  EXPECT_EQ(scale, "1 A/div");
  EXPECT_EQ(off, 0);
}

}  // namespace
