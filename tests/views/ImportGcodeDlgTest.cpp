// The G-code import dialog driven as a user would, over a controller whose slaves are A and B
// (linear), C (rotary, closed speed loop) and D (rotary).
#include "kernel/setup/MC_AxisData.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"
#include "tests/support/WindowPicture.h"
#include "tests/support/DialogActs.h"
#include "views/gcode/ImportGcodeDlg.h"

#include <functional>
#include <memory>

namespace {

class CGcodeTestAxis : public CMC_AxisData {
 public:
  explicit CGcodeTestAxis(CMC_Setup* setup) : m_setup(setup) {}
  CMC_Setup* GetSetup() override { return m_setup; }
  CMC_Setup* m_setup;
};

// Texts and item data of a combo, and its selection.
std::string ComboState(CWnd* dlg, int id) {
  HWND h = ::GetDlgItem(dlg->m_hWnd, id);
  std::string s;
  const int n = (int)::SendMessage(h, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    char text[64] = {};
    ::SendMessage(h, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
    s += std::string(text) + "=" + std::to_string((int)::SendMessage(h, CB_GETITEMDATA, (WPARAM)i, 0)) + " ";
  }
  return s + "sel " + std::to_string((int)::SendMessage(h, CB_GETCURSEL, 0, 0));
}

bool Enabled(CWnd* dlg, int id) { return ::IsWindowEnabled(::GetDlgItem(dlg->m_hWnd, id)) != 0; }

}  // namespace

class ImportGcodeTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    DialogAutomation::Reset();
    const WORD ids[4] = {0x0210, 0x0210, 0x0505, 0x0100};
    for (int i = 0; i < 4; i++) {
      m_slaves[i].reset(CMC_Setup::Create(ids[i]));
      ASSERT_TRUE(m_slaves[i]);
    }
    m_slaves[2]->SetOption("IsClosedSpeed", "1");
    m_controller.reset(CMC_Setup::Create(0x0701));
    ASSERT_TRUE(m_controller);
    m_motion.reset(CMC_Motion::Create(m_controller.get()));
    ASSERT_TRUE(m_motion);
    for (int i = 0; i < 4; i++) {
      m_axes[i] = std::make_unique<CGcodeTestAxis>(m_slaves[i].get());
      m_motion->SetMotionControllerSlaveAxis(i, m_axes[i].get());
    }
    m_dir = dravonix::test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ClearBoxes();
  }
  void TearDown() override {
    DialogAutomation::Reset();
    m_motion.reset();
    SetupTest::TearDown();
  }
  std::string Program(const char* name, const std::string& text) {
    std::string path = m_dir + "/" + name;
    WriteBytes(path, text);
    return path;
  }
  // Runs the dialog; `user` acts in it and ends it.
  INT_PTR Show(CImportGcodeDlg& dlg, std::function<void(CWnd*)> user) {
    DialogAutomation::AddDialogHandler(14051, [&](CWnd* d) {
      user(d);
      if (Open(d)) ::SendMessage(d->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    return dlg.DoModal();
  }
  static bool Open(CWnd* d) { return (d->m_nFlags & WF_CONTINUEMODAL) != 0; }
  static void Ok(CWnd* d) { ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0); }

  SetupPtr m_slaves[4], m_controller;
  std::unique_ptr<CGcodeTestAxis> m_axes[4];
  MotionPtr m_motion;
  std::string m_dir;
};

TEST_F(ImportGcodeTest, CombosListTheQualifyingSlaves) {
  CImportGcodeDlg dlg(m_controller.get(), m_motion.get());
  std::map<int, std::string> seen;
  std::vector<std::pair<int, bool>> enabled;
  Show(dlg, [&](CWnd* d) {
    CString caption;
    d->GetWindowText(caption);
    EXPECT_STREQ(caption, "Import G-code file");
    for (int id : {14002, 14003, 14004, 14005, 14006, 14007, 14008, 14020, 14022, 14023, 14025, 14028, 14029})
      seen[id] = ComboState(d, id);
    for (int id : {14013, 14014, 14020, 14021, 14022, 14023, 14024, 14025}) enabled.push_back({id, Enabled(d, id)});
    for (int id : {14010, 14011, 14015, 14016}) DialogAutomation::ClickControl(d, id);
    for (int id : {14013, 14014, 14020, 14021, 14022, 14023, 14024, 14025}) enabled.push_back({id, Enabled(d, id)});
    EXPECT_TRUE(DialogAutomation::SelectItem(d, 14020, "C"));
    seen[14021] = ComboState(d, 14021);
    EXPECT_TRUE(DialogAutomation::SelectItem(d, 14023, "C"));
    seen[14024] = ComboState(d, 14024);
    EXPECT_TRUE(DialogAutomation::SelectItem(d, 14028, "inch"));
    CString units[2];
    d->GetDlgItemText(14026, units[0]);
    d->GetDlgItemText(14027, units[1]);
    EXPECT_STREQ(units[0], "in/min or deg/min");
    EXPECT_STREQ(units[1], "in/min or deg/min");
    EXPECT_TRUE(SaveWindowImage(d, dravonix::test::OutputPath("import-gcode-dialog.png").c_str()));
    ::SendMessage(d->m_hWnd, WM_COMMAND, MAKEWPARAM(57671, BN_CLICKED), 0);
  });
  const std::string linear = "None=-1 A=0 B=1 sel 0", rotary = "None=-1 C=2 D=3 sel 0", all = "A=0 B=1 C=2 D=3 sel -1";
  const std::map<int, std::string> expected = {
      {14002, linear}, {14003, linear}, {14004, linear}, {14005, "None=-1 C=2 sel 0"},
      {14006, rotary}, {14007, rotary}, {14008, rotary}, {14020, all}, {14023, all},
      {14022, "low=0 high=1 sel 1"}, {14025, "low=0 high=1 sel 1"},
      {14028, "inch=0 millimeter=1 sel 1"}, {14029, "clockwise=0 counterclockwise=1 sel 0"},
      {14021, "Enable=0 LSP=1 Home=2 Ready=3 sel -1"}, {14024, "Ready=3 Error=4 Brake=5 sel -1"},
  };
  EXPECT_EQ(seen, expected);
  for (size_t k = 0; k < enabled.size(); k++) EXPECT_EQ(enabled[k].second, k >= 8) << enabled[k].first;
  auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].command, 15u);
  EXPECT_EQ(help[0].data, 4159u);
}

TEST_F(ImportGcodeTest, ValidationKeepsTheDialogOpenWithItsMessage) {
  struct Case {
    const char* what;
    std::function<void(CWnd*)> set;
    const char* message;  // null: accepted
  };
  auto select = [](int id, const char* text) { return [=](CWnd* d) { DialogAutomation::SelectItem(d, id, text); }; };
  auto type = [](int id, const char* text) { return [=](CWnd* d) { ::SetDlgItemText(d->m_hWnd, id, text); }; };
  const std::string file = Program("empty.gnc", "");
  const Case cases[] = {
      {"X and Z on A", [&](CWnd* d) { select(14002, "A")(d); select(14004, "A")(d); },
       "The selected linear axes must be distinct."},
      {"spindle and A on C", [&](CWnd* d) { select(14005, "C")(d); select(14006, "C")(d); },
       "The selected rotational axes must be distinct."},
      {"a linear and a rotational axis on one slave", [&](CWnd* d) { select(14002, "A")(d); select(14006, "C")(d); },
       nullptr},
      {"feed override 0, on", [&](CWnd* d) { DialogAutomation::ClickControl(d, 14010); type(14013, "0")(d); },
       "Please enter an integer between 1 and 100."},
      {"feed override 0, off", type(14013, "0"), nullptr},
      {"feed above traverse", [&](CWnd* d) { type(14017, "200")(d); type(14019, "100")(d); },
       "Please enter a number between -10000 and 100."},
      {"cycle start without line", [&](CWnd* d) { DialogAutomation::ClickControl(d, 14015); select(14020, "C")(d); },
       "Please select an item!"},
  };
  for (const Case& c : cases) {
    CImportGcodeDlg dlg(m_controller.get(), m_motion.get());
    dlg.m_strFile = file.c_str();
    ClearBoxes();
    bool open = false;
    INT_PTR result = Show(dlg, [&](CWnd* d) {
      c.set(d);
      Ok(d);
      open = Open(d);
    });
    EXPECT_EQ(result, c.message ? IDCANCEL : IDOK) << c.what;
    EXPECT_EQ(open, c.message != nullptr) << c.what;
    EXPECT_EQ(Boxes(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}) << c.what;
  }
}

TEST_F(ImportGcodeTest, RunFillsTheGroupOrStopsAtTheFailingLine) {
  struct Case {
    const char* program;  // null: a missing file
    INT_PTR result;
    std::vector<std::string> boxes;
    std::vector<std::string> elements;  // type: parameters
  };
  const std::string label = "Jumps and Function Calls: Type=6 Label=gcode_start";
  const Case cases[] = {
      {nullptr, IDCANCEL, {"Cannot open file " + m_dir + "/missing.gnc!"}, {}},
      {"%\nG1 X1\n", IDCANCEL, {"Error at line 1: unknown token!\n\nG-code block: %"}, {label}},
      {"", IDOK, {}, {label}},
      {"G1 X1 Y1\n", IDOK, {}, {label, "Free Text: /* Y word ignored: this axis doesn't have an associated slave ID */", "Vector Mode"}},
  };
  for (const Case& c : cases) {
    CImportGcodeDlg dlg(m_controller.get(), m_motion.get());
    dlg.m_strFile = c.program ? Program("p.gnc", c.program).c_str() : (m_dir + "/missing.gnc").c_str();
    ClearBoxes();
    INT_PTR result = Show(dlg, [&](CWnd* d) {
      DialogAutomation::SelectItem(d, 14002, "A");
      Ok(d);
    });
    EXPECT_EQ(result, c.result) << c.program;
    EXPECT_EQ(Boxes(), c.boxes);
    std::vector<std::string> elements;
    for (INT_PTR i = 0; i < dlg.GetGroup().GetSize(); i++) {
      auto* e = static_cast<CMC_MotionElem*>(dlg.GetGroup().GetAt(i));
      std::string text = e->m_strType.GetString();
      if (text != "Vector Mode") text += std::string(": ") + e->m_strParameters.GetString();
      elements.push_back(text);
    }
    EXPECT_EQ(elements, c.elements) << (c.program ? c.program : "missing");
  }

  // a second OK after an error starts from an empty group; browsing fills the path
  CImportGcodeDlg dlg(m_controller.get(), m_motion.get());
  const std::string bad = Program("bad.gnc", "G1 X1\n%\n"), good = Program("good.gnc", "G1 X1\n");
  dlg.m_strFile = bad.c_str();
  INT_PTR sizeAfterError = -1;
  INT_PTR result = Show(dlg, [&](CWnd* d) {
    Ok(d);
    sizeAfterError = dlg.GetGroup().GetSize();
    DialogAutomation::PushFileDialogResult(good.c_str());
    DialogAutomation::ClickControl(d, 14001);
    Ok(d);
  });
  EXPECT_EQ(result, IDOK);
  // both runs translate the same first line: the label, the X warning (no slave) and the move
  EXPECT_EQ(sizeAfterError, 3);
  EXPECT_EQ(dlg.GetGroup().GetSize(), 3);
  auto requests = DialogAutomation::CommonDialogs();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].filter, "G-code files (*.gnc)|*.gnc|All Files (*.*)|*.*||");
  EXPECT_EQ(requests[0].defExt, "gnc");
}

// The dialog by mouse and keys only: each step's effect, and the picture the same as a full repaint.
TEST_F(ImportGcodeTest, UsersClicksAndKeysShowAtOnce) {
  const std::string file = Program("one.gnc", "G1 X1\n");
  auto click = [](int id) { return [=](CWnd* d) { DialogAutomation::ClickControl(d, id); }; };
  // The key goes to the control a click has put the focus in (a drop-down list shuts again on Escape).
  auto key = [](int id, UINT vk) {
    return [=](CWnd* d) {
      HWND c = ::GetDlgItem(d->m_hWnd, id);
      CRect r;
      ::GetClientRect(c, &r);
      UiAutomation::Click(c, POINT{r.Width() / 4, r.Height() / 2});
      if (::SendMessage(c, CB_GETDROPPEDSTATE, 0, 0)) UiAutomation::PressKey(VK_ESCAPE);
      UiAutomation::PressKey(vk);
    };
  };
  auto text = [](int id) {
    return [=](CWnd* d) {
      CString s;
      d->GetDlgItemText(id, s);
      return std::string(s);
    };
  };
  const struct {
    std::function<void(CWnd*)> act;
    std::function<std::string(CWnd*)> state;
    std::string expected;
  } steps[] = {
      {click(14010), [](CWnd* d) { return std::to_string(Enabled(d, 14013)); }, "1"},
      {click(14010), [](CWnd* d) { return std::to_string(Enabled(d, 14013)); }, "0"},
      {click(14016), [](CWnd* d) { return std::to_string(Enabled(d, 14023)) + std::to_string(Enabled(d, 14025)); }, "11"},
      {key(14023, VK_DOWN), [](CWnd* d) { return ComboState(d, 14024); }, "Ready=12 Error=13 Auxiliary=25 sel -1"},
      {key(14028, VK_UP), text(14026), "in/min or deg/min"},
      {key(14028, VK_DOWN), text(14027), "mm/min or deg/min"},
      {key(14002, VK_DOWN), [](CWnd* d) { return ComboState(d, 14002); }, "None=-1 A=0 B=1 sel 1"},
      {[&](CWnd* d) { DialogAutomation::PushFileDialogResult(file.c_str()), click(14001)(d); }, text(14000), file},
      // The coolant valve has no output line yet: OK keeps the dialog open with the message.
      {click(IDOK), [](CWnd*) { return Boxes().empty() ? std::string() : Boxes().back(); }, "Please select an item!"},
      {click(14016), [](CWnd* d) { return std::to_string(Enabled(d, 14023)); }, "0"},
      {click(57671), [](CWnd*) { return std::to_string(Automation::Instance().HelpCalls().size()); }, "1"},
      {key(14000, VK_F1), [](CWnd*) { return std::to_string(Automation::Instance().HelpCalls().back().data); }, "4159"},
  };
  CImportGcodeDlg dlg(m_controller.get(), m_motion.get());
  Automation::Instance().ClearHelpCalls();
  int done = 0;
  bool ended = false;
  Show(dlg, [&](CWnd* d) {
    for (const auto& s : steps) {
      s.act(d);
      EXPECT_EQ(s.state(d), s.expected) << "step " << done;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd)) << "step " << done;
      ++done;
    }
    key(14000, VK_RETURN)(d);  // the default button: OK
    ended = !Open(d);
  });
  EXPECT_TRUE(ended);
  ASSERT_EQ(dlg.GetGroup().GetSize(), 2);
  EXPECT_STREQ(static_cast<CMC_MotionElem*>(dlg.GetGroup().GetAt(1))->m_strType, "Vector Mode");
  CImportGcodeDlg escaped(m_controller.get(), m_motion.get());
  EXPECT_EQ(IDCANCEL, Show(escaped, [&](CWnd* d) { d->SetDlgItemText(14000, file.c_str()), key(14000, VK_ESCAPE)(d), ended = !Open(d); }));
  EXPECT_TRUE(ended);
  EXPECT_EQ(escaped.GetGroup().GetSize(), 0);
}

// Each key route through the dialog ends as its click route: every control while it is open, the
// focus and the picture, then the result, the elements made and the boxes shown.
TEST_F(ImportGcodeTest, EachKeyRouteEndsAsItsClick) {
  const std::string file = Program("walk.gnc", "G1 X1\n");
  using Act = std::function<void(CWnd*)>;
  auto click = &dravonix::test::ClickAct;
  auto type = &dravonix::test::TypeAct;
  auto pick = [](int id, const char* t) { return [id, t](CWnd* d) { EXPECT_TRUE(DialogAutomation::SelectItem(d, id, t)) << t; }; };
  auto keys = &dravonix::test::KeysAct;
  auto focus = &dravonix::test::FocusShutAct;
  const Act path = [&](CWnd* d) { d->SetDlgItemText(14000, file.c_str()); };
  const UINT alt = UiAutomation::kAlt;
  const struct {
    const char* what;
    std::vector<Act> keyed, clicked;
  } pairs[] = {
      {"feed override by Space", {click(14010), keys({{VK_SPACE, 0}})}, {click(14010), click(14010)}},
      {"cycle start by Space", {click(14012), keys({{VK_TAB, 0}, {VK_SPACE, 0}})}, {click(14012), click(14015)}},
      {"cycle axis by Down", {click(14015), focus(14020), keys({{VK_DOWN, 0}})}, {click(14015), pick(14020, "A")}},
      {"cycle axis by Alt+Down, Down, Down, Enter",
       {click(14015), focus(14020), keys({{VK_DOWN, alt}, {VK_DOWN, 0}, {VK_DOWN, 0}, {VK_RETURN, 0}})},
       {click(14015), pick(14020, "B")}},
      {"cycle axis by End, Home", {click(14015), focus(14020), keys({{VK_END, 0}, {VK_HOME, 0}})},
       {click(14015), pick(14020, "D"), pick(14020, "A")}},
      {"coolant axis by Down", {click(14016), focus(14023), keys({{VK_DOWN, 0}, {VK_DOWN, 0}})},
       {click(14016), pick(14023, "A"), pick(14023, "B")}},
      {"units by a letter", {focus(14028), keys({{'I', 0}})}, {pick(14028, "inch")}},
      {"units by Up", {focus(14028), keys({{VK_UP, 0}})}, {pick(14028, "inch")}},
      {"direction by Alt+Down, Down, Enter", {focus(14029), keys({{VK_DOWN, alt}, {VK_DOWN, 0}, {VK_RETURN, 0}})},
       {pick(14029, "counterclockwise")}},
      {"X by Down", {focus(14002), keys({{VK_DOWN, 0}, {VK_DOWN, 0}})}, {pick(14002, "B")}},
      {"feed typed, Enter", {path, type(14017, "20"), type(14019, "50"), keys({{VK_RETURN, 0}})},
       {path, type(14017, "20"), type(14019, "50"), click(IDOK)}},
      {"feed above the traverse rate, Enter", {path, type(14017, "200"), keys({{VK_RETURN, 0}})},
       {path, type(14017, "200"), click(IDOK)}},
      {"spindle at its end, Enter", {path, type(14018, "100000"), keys({{VK_RETURN, 0}})},
       {path, type(14018, "100000"), click(IDOK)}},
      {"spindle past its end, Enter", {path, type(14018, "-100001"), keys({{VK_RETURN, 0}})},
       {path, type(14018, "-100001"), click(IDOK)}},
      {"same axis twice, Enter", {path, focus(14002), keys({{VK_DOWN, 0}}), focus(14004), keys({{VK_DOWN, 0}, {VK_RETURN, 0}})},
       {path, pick(14002, "A"), pick(14004, "A"), click(IDOK)}},
      {"Tab onto Help, the units pressed", {dravonix::test::TabAct(57671), focus(14028)}, {focus(14028)}},
      {"Tab onto Cancel, the X axis pressed, Enter",
       {path, dravonix::test::TabAct(IDCANCEL), focus(14002), keys({{VK_RETURN, 0}})}, {path, focus(14002), click(IDOK)}},
      {"typed, Escape", {path, type(14017, "20"), keys({{VK_ESCAPE, 0}})}, {path, type(14017, "20"), click(IDCANCEL)}},
      {"percent typed, Backspace, Enter", {path, click(14011), type(14014, "505"), keys({{VK_BACK, 0}, {VK_RETURN, 0}})},
       {path, click(14011), type(14014, "50"), click(IDOK)}},
  };
  for (const auto& p : pairs) {
    std::string got[2];
    for (int k = 0; k < 2; ++k) {
      CImportGcodeDlg dlg(m_controller.get(), m_motion.get());
      std::string shown = "closed";
      const INT_PTR result = Show(dlg, [&](CWnd* d) {
        for (const Act& a : k ? p.clicked : p.keyed) a(d);
        if (!Open(d)) return;
        shown.clear();
        for (CWnd* c = d->GetWindow(GW_CHILD); c; c = c->GetNextWindow()) {
          CString t;
          c->GetWindowText(t);
          shown += std::to_string(c->GetDlgCtrlID()) + ":" + t.GetString() + (c->IsWindowEnabled() ? "" : " off") +
                   std::to_string((int)c->SendMessage(BM_GETCHECK)) + " ";
        }
        for (int id = 14002; id <= 14029; ++id)
          if (::SendDlgItemMessage(d->m_hWnd, id, CB_GETCOUNT, 0, 0) > 0) shown += ComboState(d, id) + " ";
        shown += "look " + dravonix::test::DefaultLook(d->m_hWnd) + "focus " + std::to_string(::GetDlgCtrlID(::GetFocus())) + " off " +
                 std::to_string(dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
      });
      got[k] = shown + " | " + std::to_string((int)result) + " " + std::to_string(dlg.GetGroup().GetSize());
      for (const std::string& b : Boxes()) got[k] += " | " + b;
      ClearBoxes();
    }
    EXPECT_EQ(got[0], got[1]) << p.what;
  }
}
