// The logger variable dialogs on the 05/05 setup: the buffer check, adding and deleting variables,
// the write-back on OK and the multi-axis dialog's applications.
#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "monitor/loggers/LoggerVariablesDlg.h"
#include "monitor/loggers/ScopeChannelSelectionDlg.h"
#include "monitor/loggers/ScopeSetupDlg.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "plot/curves/GraphFilter.h"
#include "tests/monitor/LoggerDialogsSupport.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/monitor/RadioGroupKeys.h"
#include "tests/support/DialogActs.h"
#include "tests/support/WindowPicture.h"

namespace {

using DialogAutomation::ClickControl;
using DialogAutomation::SelectItem;
using DialogAutomation::TypeInto;
using Single = CSingleAxisLoggerVariablesDlg;
using Multi = CMultiAxisLoggerVariablesDlg;

class Axis : public CMC_AxisData {
 public:
  Axis(const char* name, CMC_Setup* setup) : m_strName(name), m_pSetup(setup) {}
  const char* GetName() override { return m_strName; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CString m_strName;
  CMC_Setup* m_pSetup;
};

class AxesDocument : public CMC_Document {
 public:
  AxesDocument() { m_bAutoDelete = FALSE; }
  int GetAxisCount() override { return m_axes.GetSize(); }
  int GetSelectedAxisIdx() override { return 1; }
  CMC_AxisData* GetAxisData(int i) override { return i >= 0 && i < m_axes.GetSize() ? m_axes[i] : nullptr; }
  CMC_AxisDataArray m_axes;
};

std::string BarText(CLoggerVariablesDlgBase& dlg) {
  CString text;
  dlg.m_progressFree.GetWindowText(text);
  return std::string(text);
}

class LoggerVariablesDlgTest : public LoggerDialogTest {
 protected:
  void SetUp() override {
    LoggerDialogTest::SetUp();
    m_logger = std::make_unique<CMC_SingleAxisLogger>(m_setup.get(), nullptr);
    m_logger->ChangeSettings(600, CMC_Logger::LOG_TS_S, 1);
    m_logger->ChangeMemBufferSettings(0x9000, 0x93FF);
    ASSERT_EQ(m_logger->GetBufferLength(), 0x400);
  }
  void TearDown() override {
    m_logger.reset();
    LoggerDialogTest::TearDown();
  }
  // Axes "X" and "Y" on the test setup, Y the selected one, with their logger buffers.
  void AddAxes(AxesDocument& doc, CMC_MultiAxisLogger& logger) {
    doc.m_axes.Add(new Axis("X", m_setup.get()));
    doc.m_axes.Add(new Axis("Y", m_setup.get()));
    logger.RefreshBufferSettings();
  }
  std::unique_ptr<CMC_SingleAxisLogger> m_logger;
};

TEST_F(LoggerVariablesDlgTest, TooManyAcquisitionsAreLoweredSilentlyAndTheBarShowsTheFreeWords) {
  m_logger->AddVariable("IQ", 1);
  m_logger->AddVariable("UDC", 1);
  ASSERT_EQ(m_logger->GetPointsNo(), 600);
  Single dlg(m_logger.get());
  std::string opened, bar, typed, bufferSize;
  Run(dlg, Single::IDD, [&](CWnd* w) {
    opened = TextOf(w, 14003);
    bar = BarText(dlg);
    bufferSize = TextOf(w, 14007);
    TypeInto(w, 14003, "600");
    typed = TextOf(w, 14003);
    ClickControl(w, IDOK);
  });
  EXPECT_EQ(opened, "508");
  EXPECT_EQ(bar, "1 words");
  EXPECT_EQ(bufferSize, "0400");
  EXPECT_EQ(typed, "508");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(m_logger->GetPointsNo(), 508);

  m_logger->GetItems().RemoveAll();
  Single none(m_logger.get());
  int stored = 0;
  Run(none, Single::IDD, [&](CWnd* w) {
    TypeInto(w, 14003, "70000");
    stored = none.m_nAcquisitions;
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(stored, 65535);
}

TEST_F(LoggerVariablesDlgTest, DuplicatesAndUnknownNamesAreRefused) {
  m_logger->AddVariable("IQ", 1);
  Single dlg(m_logger.get());
  int listed = 0;
  Run(dlg, Single::IDD, [&](CWnd* w) {
    TypeInto(w, 14001, "IQ");
    ClickControl(w, 14011);
    TypeInto(w, 14001, "XYZ");
    ClickControl(w, 14011);
    listed = dlg.m_listVariables.GetCount();
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(listed, 1);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Variable 'IQ' is already selected!", "Cannot find variable XYZ!",
                                               "Cannot find a variable with name 'XYZ'"}));
  // The dialog's own two are plain OK boxes, without an icon.
  const auto boxes = Automation::Instance().MessageBoxes();
  for (size_t i : {0u, 2u}) {
    ASSERT_LT(i, boxes.size());
    EXPECT_EQ(boxes[i].type, (UINT)MB_OK) << boxes[i].text;
    EXPECT_EQ(boxes[i].caption, AfxGetAppName()) << boxes[i].text;
  }
}

TEST_F(LoggerVariablesDlgTest, OkKeepsTheRemainingItemsWithTheirCurvesAndAppendsTheNewOne) {
  for (const char* name : {"APOS", "IQ", "UDC"}) m_logger->AddVariable(name, 1);
  m_logger->ChangeSettings(10, CMC_Logger::LOG_TS_S, 1);
  for (const char* name : {"APOS", "IQ", "UDC"}) m_logger->AddVariable(name, 1);
  m_logger->GetCurves().GetAt(1)->Add(1.5);
  m_logger->GetCurves().GetAt(3)->Add(3.5);
  CCurve* first = m_logger->GetCurves().GetAt(1);
  Single dlg(m_logger.get());
  EXPECT_EQ(Run(dlg, Single::IDD,
                [&](CWnd* w) {
                  SelectItem(w, 14000, "IQ");
                  ClickControl(w, 14005);
                  TypeInto(w, 14001, "TPOS");
                  ClickControl(w, 14011);
                  ClickControl(w, 14010);
                  ClickControl(w, IDOK);
                }),
            IDOK);
  CMC_LoggerItemsArray& items = m_logger->GetItems();
  ASSERT_EQ(items.GetSize(), 3);
  EXPECT_EQ(items[0]->m_strName, "APOS");
  EXPECT_EQ(items[1]->m_strName, "UDC");
  EXPECT_EQ(items[2]->m_strName, "TPOS");
  CCurveArray& curves = m_logger->GetCurves();
  ASSERT_EQ(curves.GetSize(), 4);
  EXPECT_EQ(curves.GetAt(1), first);
  EXPECT_EQ(curves.GetAt(2)->GetSize(), 1);
  EXPECT_EQ(curves.GetAt(2)->GetAt(0), 3.5);
  EXPECT_EQ(curves.GetAt(3)->GetSize(), 0);
  EXPECT_EQ(m_logger->GetLogType(), 2);
}

// Clicks the list's line `k` where the user sees it.
void ClickListLine(CWnd* dlg, int k) {
  HWND list = ::GetDlgItem(dlg->GetSafeHwnd(), 14000);
  RECT r{};
  ::SendMessage(list, LB_GETITEMRECT, k, (LPARAM)&r);
  UiAutomation::Click(list, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

TEST_F(LoggerVariablesDlgTest, ClicksAndTypingKeepTheListButtonsBarAndPictureInStep) {
  m_logger->ChangeSettings(10, CMC_Logger::LOG_TS_S, 1);
  m_logger->ChangeMemBufferSettings(0x9000, 0x93FF);
  for (const char* name : {"APOS", "IQ", "UDC"}) m_logger->AddVariable(name, 1);
  struct Step {
    std::function<void(CWnd*)> act;
    int listed, selected;
    bool del, delAll, add;
    const char* bar;
    const char* look = "14011 ";  // Add is the default
  };
  // Tab onto Cancel, which takes the default look, then a press on the control.
  const auto fromCancel = [](std::function<void(CWnd*)> press) {
    return [press](CWnd* w) { dravonix::test::TabTo(w->GetDlgItem(IDCANCEL)->m_hWnd), press(w); };
  };
  const std::vector<Step> steps = {
      {[](CWnd*) {}, 3, -1, false, true, false, nullptr},
      {[](CWnd* w) { ClickListLine(w, 1); }, 3, 1, true, true, false, nullptr},
      {[](CWnd* w) { ClickControl(w, 14005); }, 2, -1, false, true, false, nullptr, "14006 "},
      {[](CWnd* w) { TypeInto(w, 14001, "TPOS"); }, 2, -1, false, true, true, nullptr},
      {[](CWnd* w) { ClickControl(w, 14011); }, 3, 2, true, true, true, nullptr},
      {[](CWnd* w) { TypeInto(w, 14003, "900"); }, 3, 2, true, true, true, nullptr},
      {[](CWnd* w) { dravonix::test::TabTo(w->GetDlgItem(IDCANCEL)->m_hWnd); }, 3, 2, true, true, true, nullptr, "2 "},
      {fromCancel([](CWnd* w) { ClickListLine(w, 0); }), 3, 0, true, true, true, nullptr},
      {fromCancel([](CWnd* w) { ClickControl(w, 14001); }), 3, 0, true, true, true, nullptr},
      {[](CWnd* w) { ClickControl(w, 14006); }, 0, -1, false, false, true, "1024 words", "1 "},
  };
  Single dlg(m_logger.get());
  Run(dlg, Single::IDD, [&](CWnd* w) {
    for (size_t i = 0; i < steps.size(); ++i) {
      const Step& s = steps[i];
      s.act(w);
      EXPECT_EQ(dlg.m_listVariables.GetCount(), s.listed) << i;
      EXPECT_EQ(dlg.m_listVariables.GetCurSel(), s.selected) << i;
      EXPECT_EQ(!!w->GetDlgItem(14005)->IsWindowEnabled(), s.del) << i;
      EXPECT_EQ(!!w->GetDlgItem(14006)->IsWindowEnabled(), s.delAll) << i;
      EXPECT_EQ(!!w->GetDlgItem(14011)->IsWindowEnabled(), s.add) << i;
      if (s.bar) {
        EXPECT_EQ(BarText(dlg), s.bar) << i;
      }
      EXPECT_EQ(dravonix::test::DefaultLook(w->m_hWnd), s.look) << i;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(w->GetSafeHwnd())) << i;
    }
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(m_logger->GetItems().GetSize(), 3);
}

// Delete and Delete All disable themselves when pressed, by every route: the focus goes on to a
// control that takes it, so Tab still moves it and Escape still closes the dialog.
TEST_F(LoggerVariablesDlgTest, AButtonThatDisablesItselfLeavesTheKeysAControl) {
  using namespace dravonix::test;
  AxesDocument doc;
  CMC_MultiAxisLogger multi(&doc);
  AddAxes(doc, multi);
  Single single(m_logger.get());
  Multi multiDlg(&multi);
  for (CDialog* dlg : {(CDialog*)&single, (CDialog*)&multiDlg}) {
    std::string lost;
    bool closed = false;
    Run(*dlg, dlg == &single ? (UINT)Single::IDD : (UINT)Multi::IDD, [&](CWnd* w) {
      for (int id : {14005, 14006})
        for (Press by : {Press::Click, Press::Space, Press::Enter, Press::Mnemonic}) {
          if (dlg->SendDlgItemMessage(14000, LB_GETCOUNT) == 0) TypeInto(w, 14001, "IQ"), ClickControl(w, 14011);
          ClickListLine(w, 0);
          PressButton(w->GetDlgItem(id)->m_hWnd, by, id == 14005 ? 'D' : 'L');
          if (w->GetDlgItem(id)->IsWindowEnabled() || !KeysHaveAControl(w->m_hWnd)) lost += std::to_string(id) + Name(by) + " ";
        }
      UiAutomation::PressKey(VK_ESCAPE);
      closed = !w->IsWindowVisible();
      if (!closed) ClickControl(w, IDCANCEL);
    });
    EXPECT_EQ(lost, "");
    EXPECT_TRUE(closed);
  }
}

TEST_F(LoggerVariablesDlgTest, ListAllVariablesTogglesTheNewVariableCombo) {
  LoggerListAllVariables() = 0;
  Single dlg(m_logger.get());
  std::string before, after;
  Run(dlg, Single::IDD, [&](CWnd* w) {
    before = ComboTexts(dlg.m_comboNewVariable).front();
    SelectItem(w, 14001, ">> List all variables <<");
    PumpMessages();
    after = ComboTexts(dlg.m_comboNewVariable).front();
    dlg.m_comboNewVariable.ShowDropDown(FALSE);
    ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(before, ">> List all variables <<");
  EXPECT_EQ(after, ">> List main variables <<");
  LoggerListAllVariables() = 0;
}

// Every logger dialog whose variable list offers all variables, by a click on that entry and by keys.
TEST_F(LoggerVariablesDlgTest, ListingAllVariablesKeepsTheListDroppedAndTheName) {
  AxesDocument doc;
  CMC_MultiAxisLogger multi(&doc);
  AddAxes(doc, multi);
  Single single(m_logger.get());
  Multi multiDlg(&multi);
  CMC_LoggerItem variable("APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  CMC_LoggerItem bit("APOS", CMC_LoggerItem::ITEM_VARIABLE_BIT, 2, 1);
  CScopeChannelSelectionDlg channel(m_scope.get(), &variable, "Signal Selection");
  CScopeChannelSelectionDlg bitChannel(m_scope.get(), &bit, "Signal Selection");
  const struct {
    CDialog* dlg;
    UINT idd;
    int combo;
  } rows[] = {{&single, Single::IDD, 14001}, {&multiDlg, Multi::IDD, 14001}, {&channel, CScopeChannelSelectionDlg::IDD, 14007},
              {&bitChannel, CScopeChannelSelectionDlg::IDD, 14012}};
  for (const auto& row : rows) {
    LoggerListAllVariables() = 0;
    std::string seen;
    Run(*row.dlg, row.idd, [&](CWnd* w) {
      seen = ListAllByClickAndKeys(w, row.combo);
      ClickControl(w, IDCANCEL);
    });
    EXPECT_EQ(seen, "refilled dropped kept, refilled dropped kept, shut") << row.idd << " " << row.combo;
  }
  LoggerListAllVariables() = 0;
}

TEST_F(LoggerVariablesDlgTest, MultiAxisTakesOneNamePerApplicationAndLowersTooManyAcquisitionsAsTyped) {
  AxesDocument doc;
  CMC_MultiAxisLogger logger(&doc);
  AddAxes(doc, logger);
  ASSERT_GT(logger.GetBufferLength(1), 0);
  Multi dlg(&logger);
  int listedX = 0;
  std::string lowered;
  bool closed = false;
  Run(dlg, Multi::IDD, [&](CWnd* w) {
    EXPECT_EQ(TextOf(w, 14013), "Y");
    TypeInto(w, 14001, "IQ");
    ClickControl(w, 14011);
    ClickControl(w, 14011);
    SelectItem(w, 14013, "X");
    ClickControl(w, 14011);
    listedX = dlg.m_listVariables.GetCount();
    // Each change of the number is checked at once, without a message: OK takes the lowered one.
    TypeInto(w, 14003, "65000");
    lowered = TextOf(w, 14003);
    ClickControl(w, IDOK);
    closed = !w->IsWindowVisible();
  });
  EXPECT_EQ(listedX, 1);
  EXPECT_TRUE(closed);
  EXPECT_EQ(lowered, std::to_string(logger.ComputeMaxPoints(logger.GetItems())));
  ASSERT_EQ(logger.GetItems().GetSize(), 2);
  EXPECT_EQ(logger.GetItems()[0]->GetCurveName(), "Y::IQ");
  EXPECT_EQ(logger.GetItems()[1]->GetCurveName(), "X::IQ");
  EXPECT_EQ(logger.GetPointsNo(), (WORD)std::stoi(lowered));
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Variable 'IQ' is already selected!");
}

TEST_F(LoggerVariablesDlgTest, HelpButtonsOpenTheirTopics) {
  AxesDocument doc;
  CMC_MultiAxisLogger multi(&doc);
  CMC_LoggerItem item("APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  Single single(m_logger.get());
  Multi many(&multi);
  CScopeSetupDlg setup(m_scope.get());
  CScopeChannelSelectionDlg signal(m_scope.get(), &item, "Signal Selection");
  auto help = [](CWnd* w) {
    ClickControl(w, 9);
    ClickControl(w, IDCANCEL);
  };
  Run(single, Single::IDD, help);
  Run(many, Multi::IDD, help);
  Run(setup, CScopeSetupDlg::IDD, help);
  Run(signal, CScopeChannelSelectionDlg::IDD, help);
  std::vector<DWORD_PTR> topics;
  for (const auto& h : Automation::Instance().HelpCalls()) topics.push_back(h.data);
  EXPECT_EQ(topics, (std::vector<DWORD_PTR>{4102, 4103, 4162, 4161}));
}

}  // namespace

TEST_F(LoggerVariablesDlgTest, MultiAxisWithoutVariablesKeepsItsAcquisitions) {
  AxesDocument doc;
  CMC_MultiAxisLogger logger(&doc);
  AddAxes(doc, logger);
  ASSERT_EQ(logger.GetPointsNo(), 800);
  Multi dlg(&logger);
  std::string shown;
  Run(dlg, Multi::IDD, [&](CWnd* w) {
    shown = TextOf(w, 14003);
    TypeInto(w, 14001, "IQ");
    ClickControl(w, 14011);
    ClickControl(w, IDOK);
    if (w->IsWindowVisible()) ClickControl(w, IDCANCEL);
  });
  EXPECT_EQ(shown, "800");
  EXPECT_EQ(logger.GetPointsNo(), 800);
}

namespace {

// Each mnemonic of the dialog, after a value typed into each field, ends as a click on the control
// it marks: the same controls, focus, boxes and logger. C marks both a radio and a label, so it only
// moves the focus and is left out.
TEST_F(LoggerVariablesDlgTest, EachMnemonicAfterTypingEndsAsAClick) {
  const struct {
    int id;
    const char* text;
  } typed[] = {{14003, "900"}, {14012, "3"}, {14001, "TPOS"}};
  const struct {
    char letter;
    int id;  // the control it acts on
  } marks[] = {{'T', 14008}, {'P', 14009}, {'A', 14011}, {'D', 14005}, {'L', 14006}, {'N', 14001}};
  auto run = [&](int edit, const char* text, char letter, int id) {
    m_logger->GetItems().RemoveAll();
    m_logger->ChangeSettings(10, CMC_Logger::LOG_TS_S, 1);
    for (const char* name : {"APOS", "IQ", "UDC"}) m_logger->AddVariable(name, 1);
    ClearBoxes();
    Single dlg(m_logger.get());
    std::string s;
    Run(dlg, Single::IDD, [&](CWnd* w) {
      ClickListLine(w, 1);
      TypeInto(w, edit, text);
      if (letter) {
        UiAutomation::PressKey((UINT)letter, UiAutomation::kAlt);
      } else {
        CRect r;
        w->GetDlgItem(id)->GetWindowRect(&r);
        w->ScreenToClient(&r);
        UiAutomation::Click(w->m_hWnd, POINT{r.left + 4, r.CenterPoint().y});
      }
      for (CWnd* c = w->GetWindow(GW_CHILD); c; c = c->GetNextWindow()) {
        CString t;
        c->GetWindowText(t);
        s += std::to_string(c->GetDlgCtrlID()) + ":" + t.GetString() + (c->IsWindowEnabled() ? "" : " off") +
             std::to_string((int)c->SendMessage(BM_GETCHECK)) + " ";
      }
      s += "| list " + std::to_string(dlg.m_listVariables.GetCount()) + " sel " +
           std::to_string(dlg.m_listVariables.GetCurSel()) + " focus " + std::to_string(::GetDlgCtrlID(::GetFocus()));
      ClickControl(w, IDOK);
    });
    s += " | type " + std::to_string(m_logger->GetLogType()) + " points " + std::to_string(m_logger->GetPointsNo());
    for (int i = 0; i < m_logger->GetItems().GetSize(); ++i) s += " " + std::string(m_logger->GetItems()[i]->m_strName);
    for (const std::string& b : Boxes()) s += " | " + b;
    return s;
  };
  for (const auto& t : typed)
    for (const auto& m : marks)
      EXPECT_EQ(run(t.id, t.text, m.letter, m.id), run(t.id, t.text, 0, m.id)) << t.id << " Alt+" << m.letter;
}

// Keys alone: the name's beginning typed, a page up and down back to the first entry it begins, Down
// to the entry after it, Enter (Add is the default): that entry is added, the list stays shut and
// keeps its mode.
TEST_F(LoggerVariablesDlgTest, TypedBeginningThenDownAndEnterAddsTheNextEntry) {
  LoggerListAllVariables() = 0;
  Single dlg(m_logger.get());
  std::string wanted, seen;
  Run(dlg, Single::IDD, [&](CWnd* w) {
    const auto entries = ComboTexts(dlg.m_comboNewVariable);
    const auto at = std::find_if(entries.begin() + 1, entries.end(), [](const std::string& e) { return e.rfind("TPO", 0) == 0; });
    ASSERT_TRUE(at != entries.end() && at + 1 != entries.end());
    wanted = at[0] + " " + at[1] + " shut 0 1";
    UiAutomation::PressKey('N', UiAutomation::kAlt);
    UiAutomation::TypeText("TPO");
    UiAutomation::PressKey(VK_PRIOR);
    UiAutomation::PressKey(VK_NEXT);
    const std::string paged = TextOf(w, 14001);
    UiAutomation::PressKey(VK_DOWN);
    UiAutomation::PressKey(VK_RETURN);
    seen = paged + " " + TextOf(w, 14001) + (dlg.m_comboNewVariable.GetDroppedState() ? " dropped " : " shut ") +
           std::to_string(LoggerListAllVariables()) + " " + std::to_string(dlg.m_listVariables.GetCount());
    UiAutomation::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(seen, wanted);
  LoggerListAllVariables() = 0;
}
}  // namespace

namespace {
// The radio groups of the logger dialogs under the arrows: on a button they choose nothing, on a
// radio the next one of the same group.
TEST_F(LoggerVariablesDlgTest, ArrowsChooseRadiosOnlyWithinTheirGroup) {
  m_scope->AddVariable("APOS", 1);
  AxesDocument doc;
  CMC_MultiAxisLogger multi(&doc);
  AddAxes(doc, multi);
  CMC_LoggerItem item("APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  const std::vector<std::vector<int>> logTypes = {{14008, 14009, 14010}};
  std::string seen;
  auto walk = [&](const char* name, const std::vector<std::vector<int>>& groups) {
    return [&seen, name, groups](CWnd* w) {
      // The scope's trigger radios are usable in its normal mode.
      if (w->GetDlgItem(14040) && dravonix::test::TabTo(w->GetDlgItem(14040)->m_hWnd)) UiAutomation::PressKey(VK_HOME);
      const std::string departures = ArrowDepartures(w, groups);
      if (!departures.empty()) seen += std::string(name) + ":\n" + departures;
      ClickControl(w, IDCANCEL);
    };
  };
  Single single(m_logger.get());
  Run(single, Single::IDD, walk("single", logTypes));
  Multi many(&multi);
  Run(many, Multi::IDD, walk("multi", logTypes));
  CScopeSetupDlg scope(m_scope.get());
  Run(scope, CScopeSetupDlg::IDD, walk("scope", {{14035, 14036, 14037}, {14041, 14042, 14043}}));
  CScopeChannelSelectionDlg signal(m_scope.get(), &item, "Signal Selection");
  Run(signal, CScopeChannelSelectionDlg::IDD, walk("signal", {{14000, 14001, 14002, 14003, 14004, 14005, 14006}}));
  EXPECT_EQ(seen, "");
}
}  // namespace
