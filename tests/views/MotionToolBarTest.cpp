// The motion module toolbar: buttons by class with separators, module icons, and tool tips in both
// character widths.
#include "motion/modules/MotionModule.h"
#include "platform/ui/ControlDefs.h"
#include "tests/views/MotionViewFixture.h"
#include "views/motion/MC_MotionToolBar.h"

// Reaches the program's module list, to take every module away.
struct CMC_MotionTestAccess {
  static CMotionModulesArray* Modules(CMC_Motion* m) { return m->m_pModules; }
};

namespace {

// "id/image" per button, "|" for a separator.
std::string Buttons(const CToolBar& bar) {
  std::string s;
  for (int i = 0; bar.GetItemID(i) || (bar.GetButtonStyle(i) & TBBS_SEPARATOR); ++i) {
    UINT id = 0, style = 0;
    int image = 0;
    bar.GetButtonInfo(i, id, style, image);
    s += (s.empty() ? "" : " ") +
         ((style & TBBS_SEPARATOR) ? std::string("|") : std::to_string(id) + "/" + std::to_string(image));
  }
  return s;
}

}  // namespace

class MotionToolBarTest : public MotionViewTest {
 protected:
  CMC_MotionToolBar* Bar() {
    if (!host) {
      host = new CFrameWnd;  // deletes itself with its window
      EXPECT_TRUE(host->Create(nullptr, "bar", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 100)));
    }
    auto* bar = new CMC_MotionToolBar;
    EXPECT_TRUE(bar->Create(host, motion.get()));
    bars.emplace_back(bar);
    return bar;
  }
  void TearDown() override {
    bars.clear();
    if (host) host->DestroyWindow();
    MotionViewTest::TearDown();
  }
  CFrameWnd* host = nullptr;
  std::vector<std::unique_ptr<CMC_MotionToolBar>> bars;
};

TEST_F(MotionToolBarTest, ButtonsGoClassByClass) {
  CUIntArray ids;
  CMC_MotionToolBar::BuildButtonIds({2, 2}, ids);
  ASSERT_EQ(ids.GetSize(), 5);
  const UINT expected[] = {10100, 10101, ID_SEPARATOR, 10102, 10103};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ids[i], expected[i]) << i;

  // The test modules of this setup: five of class "Program", seven of class "Motion".
  CMC_MotionToolBar* bar = Bar();
  EXPECT_EQ(Buttons(*bar),
            "10100/0 10101/1 10102/2 10103/3 10104/4 | 10105/5 10106/6 10107/7 10108/8 10109/9 "
            "10110/10 10111/11");
  EXPECT_EQ(bar->GetDlgCtrlID(), 0xE800);
  EXPECT_FALSE(CMC_MotionToolBar().Create(host, nullptr));
  host->RecalcLayout();
  UiAutomation::Pump();
  EXPECT_TRUE(SaveWindowImage(host, dravonix::test::OutputPath("motion-toolbar.png").c_str()));

  CMC_MotionTestAccess::Modules(motion.get())->RemoveAll();
  EXPECT_EQ(Buttons(*Bar()), "");
}

TEST_F(MotionToolBarTest, ToolTipsNameClassAndModule) {
  CMC_MotionToolBar* bar = Bar();
  TOOLTIPTEXTA a{};
  a.hdr.hwndFrom = nullptr;
  a.hdr.idFrom = 10106;
  a.hdr.code = TTN_NEEDTEXTA;
  bar->SendMessage(WM_NOTIFY, 10106, (LPARAM)&a);
  EXPECT_STREQ(a.szText, "Motion - Move");
  TOOLTIPTEXTW w{};
  w.hdr.idFrom = 10106;
  w.hdr.code = TTN_NEEDTEXTW;
  EXPECT_TRUE(bar->OnToolTipNotify(0, &w.hdr, nullptr));
  EXPECT_EQ(std::wstring(w.szText), L"Motion - Move");
  w.hdr.idFrom = 10200;
  EXPECT_FALSE(bar->OnToolTipNotify(0, &w.hdr, nullptr));

  // Long texts are cut to 79 characters in both widths; the code page gives µ as U+00B5.
  const CString text = CString('x', 78) + "\xB5yz";
  TOOLTIPTEXTA longA{};
  longA.hdr.code = TTN_NEEDTEXTA;
  CMC_MotionToolBar::SetToolTipText(&longA.hdr, text);
  EXPECT_EQ(strlen(longA.szText), 79u);
  EXPECT_EQ((BYTE)longA.szText[78], 0xB5);
  TOOLTIPTEXTW longW{};
  longW.hdr.code = TTN_NEEDTEXTW;
  CMC_MotionToolBar::SetToolTipText(&longW.hdr, text);
  EXPECT_EQ(std::wstring(longW.szText).size(), 79u);
  EXPECT_EQ(longW.szText[78], (wchar_t)0xB5);
}
