// The element editor base, through the test module whose editor derives from it.
#include "motion/model/MC_MotionElem.h"
#include "platform/core/Automation.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowPaint.h"
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
