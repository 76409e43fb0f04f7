// Message boxes, beeps and help calls through the automation interface.
#include "platform/core/Automation.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const RESOURCE_STRING kPrompts[] = {{63001, "Save the changes to the setup?"}};
const RESOURCE_TABLE kPromptTable = {kPrompts, 1, nullptr, 0};
CResourceTableRegistration g_prompts(kPromptTable);

class AutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Automation::Instance().Reset();
    AfxSetAppName(nullptr);
  }
  void TearDown() override { Automation::Instance().Reset(); }
  Automation& automation = Automation::Instance();
};

TEST_F(AutomationTest, UnscriptedBoxesAnswerTheSafeWayAndAreLogged) {
  struct Case {
    UINT type;
    int answer;
    UINT icon;  // the framework's own for a box that names none
  } cases[] = {
      {MB_OK, IDOK, MB_ICONEXCLAMATION},
      {MB_OKCANCEL, IDCANCEL, MB_ICONEXCLAMATION},
      {MB_ABORTRETRYIGNORE, IDABORT, 0},
      {MB_YESNOCANCEL, IDCANCEL, MB_ICONQUESTION},
      {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, IDNO, 0},
      {MB_RETRYCANCEL | MB_ICONEXCLAMATION, IDCANCEL, 0},
      {MB_CANCELTRYCONTINUE, IDCANCEL, 0},
      {MB_ICONSTOP, IDOK, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(AfxMessageBox("Drive not answering.", c.type), c.answer) << c.type;

  auto log = automation.MessageBoxes();
  ASSERT_EQ(log.size(), sizeof cases / sizeof cases[0]);
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(log[i].text, "Drive not answering.");
    EXPECT_EQ(log[i].caption, "dravonix");
    EXPECT_EQ(log[i].type, cases[i].type | cases[i].icon);
    EXPECT_EQ(log[i].answer, cases[i].answer);
    EXPECT_FALSE(log[i].scripted);
  }
}

TEST_F(AutomationTest, ScriptedAnswersAreConsumedInOrder) {
  automation.PushMessageBoxAnswers({IDYES, IDNO});
  automation.PushMessageBoxAnswer(IDRETRY);
  EXPECT_EQ(automation.PendingMessageBoxAnswers(), 3u);
  EXPECT_EQ(AfxMessageBox("first", MB_YESNO), IDYES);
  EXPECT_EQ(AfxMessageBox("second", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox("third", MB_RETRYCANCEL), IDRETRY);
  EXPECT_EQ(automation.PendingMessageBoxAnswers(), 0u);
  EXPECT_EQ(AfxMessageBox("fourth", MB_RETRYCANCEL), IDCANCEL);  // script used up: safe again

  auto log = automation.MessageBoxes();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].text, "first");
  EXPECT_TRUE(log[2].scripted);
  EXPECT_EQ(log[2].answer, IDRETRY);
  EXPECT_FALSE(log[3].scripted);
  automation.ClearMessageBoxes();
  EXPECT_TRUE(automation.MessageBoxes().empty());
}

TEST_F(AutomationTest, HandlerAnswersWhenNothingIsQueued) {
  std::vector<std::string> seen;
  automation.SetMessageBoxHandler([&](const char* text, const char* caption, UINT type) {
    seen.push_back(std::string(text) + "|" + caption + "|" + std::to_string(type));
    return std::string(text).find("Overwrite") != std::string::npos ? IDYES : 0;
  });
  EXPECT_EQ(AfxMessageBox("Overwrite the file?", MB_YESNO), IDYES);
  EXPECT_EQ(AfxMessageBox("Delete the axis?", MB_YESNO), IDNO);  // handler declines: safe answer
  automation.PushMessageBoxAnswer(IDNO);
  EXPECT_EQ(AfxMessageBox("Overwrite again?", MB_YESNO), IDNO);  // the queue comes first
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "Overwrite the file?|dravonix|36");  // with the question icon

  auto log = automation.MessageBoxes();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(log[0].scripted);
  EXPECT_FALSE(log[1].scripted);
  automation.SetMessageBoxHandler(nullptr);
  EXPECT_EQ(AfxMessageBox("Overwrite?", MB_YESNO), IDNO);
}

TEST_F(AutomationTest, CaptionsAndStringTablePrompts) {
  AfxSetAppName("Servo Host");
  EXPECT_STREQ(AfxGetAppName(), "Servo Host");
  EXPECT_EQ(AfxMessageBox(63001, MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Plain", "Own caption", MB_OK), IDOK);
  EXPECT_EQ(MessageBox(nullptr, nullptr, nullptr, MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(AfxMessageBox(nullptr), IDOK);
  EXPECT_EQ(AfxMessageBox(63001, MB_OK, 77), IDOK);

  // A prompt that no module has is not shown and takes no scripted answer.
  automation.PushMessageBoxAnswer(IDYES);
  EXPECT_EQ(AfxMessageBox(63999, MB_YESNO), 0);
  EXPECT_EQ(automation.PendingMessageBoxAnswers(), 1u);

  auto log = automation.MessageBoxes();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].text, "Save the changes to the setup?");
  EXPECT_EQ(log[0].caption, "Servo Host");
  EXPECT_EQ(log[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(log[0].helpId, 63001u);
  EXPECT_EQ(log[1].caption, "Own caption");
  EXPECT_EQ(log[2].text, "");
  EXPECT_EQ(log[2].caption, "Error");
  EXPECT_EQ(log[3].text, "");
  EXPECT_EQ(log[4].helpId, 77u);

  AfxSetAppName("");
  EXPECT_STREQ(AfxGetAppName(), "dravonix");
}

TEST_F(AutomationTest, ExceptionReportsGoThroughTheHook) {
  CUserException e;
  automation.PushMessageBoxAnswer(IDOK);
  EXPECT_EQ(e.ReportError(MB_OK | MB_ICONEXCLAMATION), IDOK);
  auto log = automation.MessageBoxes();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].caption, "dravonix");
  EXPECT_EQ(log[0].type, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(AutomationTest, BeepsAndHelpCallsAreRecorded) {
  EXPECT_TRUE(MessageBeep(0));
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
  EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
  EXPECT_EQ(automation.Beeps(), (std::vector<UINT>{0, 0xFFFFFFFF, MB_ICONEXCLAMATION}));

  EXPECT_EQ(HtmlHelp(nullptr, "C:\\Kernel\\kernel.chm", HH_HELP_CONTEXT, 4100), nullptr);
  HtmlHelp(nullptr, "kernel.chm", HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>("setup.htm"));
  HtmlHelp(nullptr, "kernel.chm", HH_DISPLAY_TOPIC, 0);
  HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
  EXPECT_TRUE(WinHelp(nullptr, "old.hlp", HELP_CONTEXT, 0x10000));
  WinHelp(nullptr, "old.hlp", HELP_KEY, reinterpret_cast<DWORD_PTR>("axis"));

  auto help = automation.HelpCalls();
  ASSERT_EQ(help.size(), 6u);
  EXPECT_EQ(help[0].kind, Automation::HelpKind::Html);
  EXPECT_EQ(help[0].file, "C:\\Kernel\\kernel.chm");
  EXPECT_EQ(help[0].command, 0x0Fu);
  EXPECT_EQ(help[0].data, 4100u);
  EXPECT_EQ(help[1].topic, "setup.htm");
  EXPECT_EQ(help[2].topic, "");
  EXPECT_EQ(help[3].file, "");
  EXPECT_EQ(help[3].command, 0x12u);
  EXPECT_EQ(help[4].kind, Automation::HelpKind::Win);
  EXPECT_EQ(help[4].command, (UINT)HELP_CONTEXT);
  EXPECT_EQ(help[4].data, 0x10000u);
  EXPECT_EQ(help[5].topic, "axis");

  automation.ClearBeeps();
  automation.ClearHelpCalls();
  EXPECT_TRUE(automation.Beeps().empty());
  EXPECT_TRUE(automation.HelpCalls().empty());
}

TEST_F(AutomationTest, BoxesFromManyThreadsTakeEachScriptedAnswerOnce) {
  const int kThreads = 8, kBoxes = 100, kScripted = 300;
  for (int i = 0; i < kScripted; ++i) automation.PushMessageBoxAnswer(IDYES);
  std::atomic<int> yes{0}, no{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < kBoxes; ++i) {
        int a = AfxMessageBox("Continue?", MB_YESNO);
        (a == IDYES ? yes : no)++;
        MessageBeep(0);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(yes.load(), kScripted);
  EXPECT_EQ(no.load(), kThreads * kBoxes - kScripted);
  EXPECT_EQ(automation.MessageBoxes().size(), (size_t)(kThreads * kBoxes));
  EXPECT_EQ(automation.Beeps().size(), (size_t)(kThreads * kBoxes));
}

}  // namespace
