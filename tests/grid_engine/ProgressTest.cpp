// Progress of long operations: when the line shows, what it says, ESC and the abort question.
#include "grid/engine/GXOperationProgress.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CStatusWnd : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == 0x362) lines.emplace_back(reinterpret_cast<const char*>(lParam));
    if (message == WM_LBUTTONDOWN) ++clicks;
    return CWnd::WindowProc(message, wParam, lParam);
  }
  std::vector<std::string> lines;
  int clicks = 0;
};

class GridProgress : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    ASSERT_TRUE(m_wnd.CreateEx(0, AfxRegisterWndClass(0), "main", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0));
    m_app.m_pMainWnd = &m_wnd;
    UiAutomation::Click(m_wnd.m_hWnd, CPoint(10, 10));  // the focus for the keys
    m_wnd.clicks = 0;
    // The process keeps one indicator, percentage and depth for every operation: start from none.
    GXGetProgressSettings() = GXProgressSettings();
  }
  void TearDown() override {
    m_app.m_pMainWnd = nullptr;
    m_wnd.DestroyWindow();
    GXGetProgressSettings().bMainWndFound = FALSE;
    Automation::Instance().Reset();
    Clock::UseRealTime();
  }
  // Queued, not pumped: the operation reads it.
  void PressEsc() {
    PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
    PostKeyInput(WM_KEYUP, VK_ESCAPE, (LPARAM)0xC0000001u);
  }

  CWinApp m_app{"GridProgressTest"};
  CStatusWnd m_wnd;
};

}  // namespace

TEST_F(GridProgress, ShowsAfterTheDelayThenEveryInterval) {
  {
    CGXOperationProgress p;
    Clock::Advance(500);
    EXPECT_FALSE(p.DoMessages());  // 500 ms: nothing yet
    EXPECT_TRUE(m_wnd.lines.empty());
    Clock::Advance(250);
    EXPECT_TRUE(p.DoMessages());
    ASSERT_EQ(m_wnd.lines.size(), 1u);
    EXPECT_EQ(m_wnd.lines[0], "Processing...  -");
    Clock::Advance(1000);
    EXPECT_FALSE(p.DoMessages());  // within the interval
    Clock::Advance(500);
    EXPECT_TRUE(p.DoMessages());
    EXPECT_EQ(m_wnd.lines.back(), "Processing...  \\");
    GXGetProgressSettings().nPercent = 42;
    Clock::Advance(1500);
    BOOL abort = TRUE;
    p.SetStatusText("Pasting");
    EXPECT_TRUE(p.CheckAbort(abort));
    EXPECT_FALSE(abort);
    EXPECT_EQ(m_wnd.lines.back(), "Pasting  42%.    Press ESC to cancel");
    {
      // A nested operation inherits the text; beyond the display depth it shows nothing.
      GXGetProgressSettings().nDisplayDepth = 0;
      CGXOperationProgress inner;
      inner.SetStatusText("inner");
      Clock::Advance(1500);
      const size_t before = m_wnd.lines.size();
      EXPECT_TRUE(inner.DoMessages());
      EXPECT_EQ(m_wnd.lines.size(), before);
    }
  }
  EXPECT_EQ(m_wnd.lines.back(), "Done.");
  EXPECT_EQ(GXGetProgressSettings().nLevel, 0);
}

TEST_F(GridProgress, EscAsksAndIgnoreGoesOn) {
  CGXOperationProgress p;
  GXGetProgressSettings().bOfferRollback = TRUE;
  Clock::Advance(750);
  PressEsc();
  PostMouseInput(m_wnd.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{10, 10});  // input is dropped, not queued
  PostMouseInput(m_wnd.GetSafeHwnd(), WM_LBUTTONUP, 0, POINT{10, 10});
  Automation::Instance().PushMessageBoxAnswers({IDIGNORE, IDRETRY});
  BOOL abort = TRUE;
  EXPECT_TRUE(p.CheckAbort(abort));
  EXPECT_FALSE(abort);
  EXPECT_EQ(m_wnd.clicks, 0);
  Clock::Advance(1500);
  PressEsc();
  EXPECT_TRUE(p.CheckAbort(abort));
  EXPECT_TRUE(abort);
  EXPECT_TRUE(GXGetProgressSettings().bRollbackRequested);
  const auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Do you want to abort the operation?");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, MB_ABORTRETRYIGNORE);
  Clock::Advance(1500);
  PressEsc();
  EXPECT_TRUE(p.CheckAbort(abort));
  EXPECT_FALSE(abort);  // an abort is reported once
}

TEST_F(GridProgress, WithoutRollbackTheQuestionIsYesNo) {
  CGXOperationProgress p;  // an outermost start offers no rollback
  Clock::Advance(750);
  PressEsc();
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  BOOL abort = FALSE;
  p.CheckAbort(abort);
  EXPECT_TRUE(abort);
  EXPECT_FALSE(GXGetProgressSettings().bRollbackRequested);
  EXPECT_EQ(Automation::Instance().MessageBoxes().at(0).type & MB_TYPEMASK, MB_YESNO);
}

TEST_F(GridProgress, DeepNestingAndLongTextsStayInBounds) {
  std::vector<CGXOperationProgress*> levels;
  const std::string longText(300, 'x');
  for (int i = 0; i < 70; ++i) {
    levels.push_back(new CGXOperationProgress);
    levels.back()->SetStatusText(longText.c_str());
  }
  Clock::Advance(750);
  EXPECT_TRUE(levels[40]->DoMessages());
  GXGetProgressSettings().nDisplayDepth = 0xFFFFFFFF;
  levels[0]->SetStatusText(longText.c_str());
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) delete *it;
  EXPECT_EQ(GXGetProgressSettings().nLevel, 0);
  {
    CGXOperationProgress p;
    p.SetStatusText(longText.c_str());
    Clock::Advance(750);
    p.DoMessages();
  }
  ASSERT_GE(m_wnd.lines.size(), 2u);
  EXPECT_EQ(m_wnd.lines[m_wnd.lines.size() - 2].size(), 127u);
}
