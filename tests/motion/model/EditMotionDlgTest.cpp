// The element editor base, through the test module whose editor derives from it.
#include "motion/model/MC_MotionElem.h"
#include "platform/core/Automation.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TabTo.h"
#include "tests/support/WindowPicture.h"
#include "tests/motion/EventTestSupport.h"

TEST_F(EventTest, ModuleEditorTakesTypedValuesAndWritesOnOk) {
  CMC_MotionElem* elem = m_driveMotion->CreateElement("Wait for Event");
  ASSERT_TRUE(elem);
  m_driveMotion->GetMain()->Add(elem);
  const char* original = "EvType=4 EvSourceType=0 EventATIME[s]=2 LimitSource=0 LimitCPOS[rot]=5";
  elem->m_strParameters = original;
  std::vector<std::pair<std::string, std::vector<std::string>>> names;
  std::vector<std::string> badOk;
  std::string keptOnFailure;
  DialogAutomation::AddDialogHandler("CMC_EditMotionDlg", [&](CWnd* d) {
    // The template and the help file are the module's, though the kernel has a template of the same id.
    CString caption;
    d->GetWindowText(caption);
    EXPECT_STREQ(caption, "Wait for Event");
    EXPECT_NE(::SendDlgItemMessage(d->m_hWnd, 1008, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_TRUE(SaveWindowImage(d, dravonix::test::OutputPath("event-module-editor.png").c_str()));
    ::SendMessage(d->m_hWnd, WM_COMMAND, MAKEWPARAM(57671, BN_CLICKED), 0);

    // Variable names are checked as they are typed.
    DialogAutomation::ClickControl(d, 1005);
    for (const char* name : {"_a1", "1a", "a-b", ""}) {
      ClearBoxes();
      ::SetDlgItemText(d->m_hWnd, 1006, name);
      names.push_back({name, Boxes()});
    }
    // A bad number is taken silently, refused by OK, which then keeps the dialog and the string.
    DialogAutomation::ClickControl(d, 1004);
    ClearBoxes();
    ::SetDlgItemText(d->m_hWnd, 1006, "zz");
    EXPECT_TRUE(Boxes().empty());
    ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0);
    badOk = Boxes();
    keptOnFailure = elem->m_strParameters.GetString();
    ::SetDlgItemText(d->m_hWnd, 1006, "7");
    ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0);
  });
  ASSERT_EQ(m_driveMotion->Edit(elem), 1);

  auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_TRUE(help[0].file.size() > 16 && help[0].file.substr(help[0].file.size() - 16) == "mm_eventwait.chm")
      << help[0].file;
  EXPECT_EQ(help[0].command, 15u);
  EXPECT_EQ(help[0].data, 0x10000u);
  const std::string invalid =
      "Invalid name: this string should contain only alphanumeric characters and begin with a letter or underscore.";
  EXPECT_EQ(names, (std::vector<std::pair<std::string, std::vector<std::string>>>{
                       {"_a1", {}}, {"1a", {invalid}}, {"a-b", {invalid}}, {"", {"Non empty string expected"}}}));
  EXPECT_EQ(badOk, std::vector<std::string>{"Invalid decimal value!"});
  EXPECT_EQ(keptOnFailure, original);
  EXPECT_STREQ(elem->m_strParameters, "EvType=4 EvSourceType=0 EventATIME[s]=2 LimitSource=0 LimitCPOS[rot]=7");
  EXPECT_EQ(elem->m_bTranslateError, 0) << elem->m_strCode.GetString();
  EXPECT_EQ(elem->m_strCode.Left(6), "  !RT ");
}

// The same editor as a user reaches it: clicks, typed keys, the unit by the arrow keys, F1; each step's
// texts, boxes and picture against a full repaint.
TEST_F(EventTest, ModuleEditorFollowsTheUsersClicksAndKeys) {
  CMC_MotionElem* elem = m_driveMotion->CreateElement("Wait for Event");
  ASSERT_TRUE(elem);
  m_driveMotion->GetMain()->Add(elem);
  elem->m_strParameters = "EvType=4 EvSourceType=0 EventATIME[s]=2 LimitSource=0 LimitCPOS[rot]=5";
  struct Step {
    const char* what;
    std::function<void(CWnd*)> input;
    const char* limit, *unit;
    std::vector<std::string> boxes;
    size_t helps;
  };
  auto type = [](const char* t) { return [t](CWnd* d) { DialogAutomation::TypeInto(d, 1006, t); }; };
  auto click = [](int id) { return [id](CWnd* d) { DialogAutomation::ClickControl(d, id); }; };
  // The key goes to the control the user has tabbed to.
  auto key = [](int id, UINT vk) {
    return [id, vk](CWnd* d) {
      EXPECT_TRUE(dravonix::test::TabTo(::GetDlgItem(d->m_hWnd, id))) << id;
      UiAutomation::PressKey(vk);
    };
  };
  const std::string invalid =
      "Invalid name: this string should contain only alphanumeric characters and begin with a letter or underscore.";
  CString description;
  const Step steps[] = {
      {"opened", [](CWnd*) {}, "5", "rot", {}, 0},
      {"the next unit by the arrow key", key(1007, VK_DOWN), "1800", "deg", {}, 0},
      {"a bad number is taken silently", type("zz"), "zz", "deg", {}, 0},
      {"OK refuses it and stays", click(IDOK), "zz", "deg", {"Invalid decimal value!"}, 0},
      {"a number", type("90"), "90", "deg", {}, 0},
      {"the variable radio", click(1005), "", "", {}, 0},
      {"a bad first letter is refused and selected, so the next key replaces it", type("1a"), "a", "", {invalid}, 0},
      {"a good name", type("_v"), "_v", "", {}, 0},
      {"back to the value", click(1004), "90", "deg", {}, 0},
      {"the event's type and page, by their buttons",
       [&](CWnd* d) {
         DialogAutomation::AddDialogHandler(14021, [](CWnd* t) {
           DialogAutomation::ClickControl(t, 14002);
           DialogAutomation::ClickControl(t, IDOK);
         });
         DialogAutomation::AddDialogHandler(14022, [](CWnd* p) { DialogAutomation::ClickControl(p, IDOK); });
         DialogAutomation::ClickControl(d, 1002);
         d->GetDlgItemText(1001, description);
       },
       "90", "deg", {}, 0},
      {"the help button", click(57671), "90", "deg", {}, 1},
      {"F1", key(1006, VK_F1), "90", "deg", {}, 2},
  };
  std::string written;
  DialogAutomation::AddDialogHandler("CMC_EditMotionDlg", [&](CWnd* d) {
    for (const Step& s : steps) {
      ClearBoxes();
      s.input(d);
      CString limit, unit;
      d->GetDlgItemText(1006, limit);
      d->GetDlgItemText(1007, unit);
      EXPECT_STREQ(s.limit, limit) << s.what;
      EXPECT_STREQ(s.unit, unit) << s.what;
      EXPECT_EQ(s.boxes, Boxes()) << s.what;
      EXPECT_EQ(s.helps, Automation::Instance().HelpCalls().size()) << s.what;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd)) << s.what;
      written = elem->m_strParameters.GetString();
    }
    DialogAutomation::ClickControl(d, IDOK);
  });
  ASSERT_EQ(m_driveMotion->Edit(elem), 1);
  EXPECT_EQ("EvType=4 EvSourceType=0 EventATIME[s]=2 LimitSource=0 LimitCPOS[rot]=5", written);
  EXPECT_STREQ(description, "When motor absolute position is equal or over value 1 rot");
  EXPECT_STREQ(elem->m_strParameters, "EvType=2 EvSensor=0 EvPosition=0 EvOperator=0 EvSourceType=0 EventAPOS_MT[rot]=1 "
                                      "LimitSource=0 LimitCPOS[deg]=90");
}
