// The sheet-tab window: scroll buttons greyed and repeating, switching with a veto, the sizing box,
// renaming, tab records and their bad indexes, and windows made by class name.
#include "grid/controls/GXBeamDrawing.h"
#include "grid/controls/GXTabWnd.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// A sheet that logs the tab window's questions and answers them as told.
class CSheet : public CWnd {
 public:
  std::vector<std::pair<UINT, WPARAM>> got;
  LRESULT vetoSwitch = 0, nameEditable = 1;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= 0x78F && message <= 0x792) got.emplace_back(message, wParam);
    if (message == 0x792) return vetoSwitch;
    if (message == 0x790) return nameEditable;
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

// A beam that logs when its scroll action ran, and lets go of the button after a number of them.
class CTimedBeam : public CGXTabBeam {
  DECLARE_DYNCREATE(CTimedBeam)

 public:
  void ScrollTabs(int nButton) override {
    times.push_back(::GetTickCount());
    if ((int)times.size() == releaseAfter) ::PostMouseInput(m_hWnd, WM_LBUTTONUP, 0, POINT{20, 5});
    CGXTabBeam::ScrollTabs(nButton);
  }
  std::vector<DWORD> times;
  int releaseAfter = 0;
};
IMPLEMENT_DYNCREATE(CTimedBeam, CGXTabBeam)

class TabWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
    m_owner.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "owner",
                     WS_POPUP | WS_VISIBLE, CRect(0, 0, 420, 240), nullptr, 0);
    ASSERT_TRUE(m_tabs.CreateTabWndFrame(&m_owner));
    m_tabs.MoveWindow(10, 10, 400, 200);
  }
  void TearDown() override {
    m_tabs.DestroyWindow();
    m_owner.DestroyWindow();
    UiAutomation::Pump();
    Clock::UseRealTime();
  }
  // `painted`: a sheet that paints itself, so that whatever the beam leaves on the row they share shows.
  CSheet* Add(const char* name, bool painted = false) {
    auto* s = new CSheet;
    s->Create(painted ? AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)) : nullptr, name, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &m_tabs, AFX_IDW_PANE_FIRST + 1 + (UINT)m_sheets.size());
    m_sheets.emplace_back(s);
    m_tabs.AttachWnd(s, name);
    return s;
  }
  CGXTabBeam& Beam() { return m_tabs.GetBeam(); }
  // Grey and black pixels inside a scroll button, its frame left out.
  std::pair<int, int> ArrowInk(int nPlace) {
    int grey = 0, black = 0;
    const int w = Beam().m_nButtonWidth, h = Beam().m_nHeight;
    for (int y = 2; y < h - 2; ++y)
      for (int x = nPlace * w + 2; x < (nPlace + 1) * w - 2; ++x) {
        COLORREF p = GetWindowPixel(Beam().m_hWnd, CPoint(x, y));
        grey += p == GX_BEAM_GREY_ARROW;
        black += p == RGB(0, 0, 0);
      }
    return {grey, black};
  }
  POINT TabCentre(int nTab) {
    return CPoint(Beam().GetTabX(nTab) + Beam().m_nGap + Beam().GetTab(nTab).nWidth / 2, Beam().m_nHeight / 2);
  }
  CWnd m_owner;
  CGXTabWnd m_tabs;
  std::vector<std::unique_ptr<CSheet>> m_sheets;
};

}  // namespace

TEST_F(TabWndTest, ArrowsGreyWithOneTabAndBlackWhenTheyCanScroll) {
  Add("Sheet 1");
  UiAutomation::Pump();
  m_tabs.UpdateWindow();
  SaveWindowImage(&m_owner, dravonix::test::OutputPath("tabwnd-one-tab.png").c_str());
  for (int place : {0, 1}) {
    auto [grey, black] = ArrowInk(place);
    EXPECT_GT(grey, 10) << place;
    EXPECT_EQ(0, black) << place;
  }
  // A press on a grey arrow does nothing.
  UiAutomation::Click(Beam().m_hWnd, CPoint(Beam().m_nButtonWidth + 8, 8));
  EXPECT_EQ(0, Beam().GetFirstTab());
  for (int i = 2; i <= 12; ++i) Add(("Sheet " + std::to_string(i)).c_str());
  UiAutomation::Pump();
  SaveWindowImage(&m_owner, dravonix::test::OutputPath("tabwnd-many-tabs.png").c_str());
  EXPECT_EQ(0, ArrowInk(0).second);  // back: already at the first tab
  EXPECT_GT(ArrowInk(1).second, 10);  // next: tabs lie beyond the edge
  // The current tab is the first one attached, drawn in the window colour and joined to the sheet.
  EXPECT_EQ(0, Beam().GetCurrentTab());
  const CPoint c = TabCentre(0);
  EXPECT_EQ(::GetSysColor(COLOR_WINDOW), GetWindowPixel(Beam().m_hWnd, CPoint(Beam().GetTabX(0) + Beam().m_nGap + 1, 2)));
  EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), GetWindowPixel(Beam().m_hWnd, CPoint(TabCentre(1).x - Beam().GetTab(1).nWidth / 2 + 1, 2)));
  EXPECT_EQ(1, Beam().TabFromPoint(c.x + Beam().GetTab(0).nWidth));
  // Just right of the buttons lies the tab before the first one shown.
  Beam().ScrollTabs(2);
  Beam().ScrollTabs(2);
  ASSERT_EQ(2, Beam().GetFirstTab());
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(Beam().m_hWnd, CPoint(Beam().GetButtonAreaWidth() + 5, 8));
  EXPECT_EQ(1, Beam().GetCurrentTab());
  EXPECT_EQ(1, Beam().GetFirstTab());
  EXPECT_EQ(m_sheets[1].get(), m_tabs.GetActivePane());
}

TEST_F(TabWndTest, HoldingNextRepeatsFasterDownToEveryHundredMs) {
  m_tabs.ShowWindow(SW_HIDE);  // it lies where this one goes
  CGXTabWnd tabs(RUNTIME_CLASS(CTimedBeam));
  ASSERT_TRUE(tabs.CreateTabWndFrame(&m_owner));
  tabs.MoveWindow(10, 10, 400, 200);
  std::vector<std::unique_ptr<CSheet>> sheets;
  for (int i = 0; i < 40; ++i) {
    sheets.emplace_back(new CSheet);
    sheets.back()->Create(nullptr, "s", WS_CHILD, CRect(0, 0, 10, 10), &tabs, 100 + i);
    tabs.AttachWnd(sheets.back().get(), ("Sheet " + std::to_string(i + 1)).c_str());
  }
  auto& beam = static_cast<CTimedBeam&>(tabs.GetBeam());
  beam.releaseAfter = 9;
  ::PostMouseInput(beam.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{beam.m_nButtonWidth + 8, 8});
  UiAutomation::Pump();
  ASSERT_EQ(9u, beam.times.size());
  std::vector<DWORD> gaps;
  for (size_t i = 1; i < beam.times.size(); ++i) gaps.push_back(beam.times[i] - beam.times[i - 1]);
  EXPECT_EQ((std::vector<DWORD>{200, 180, 160, 140, 120, 100, 100, 100}), gaps);
  EXPECT_EQ(9, beam.GetFirstTab());
  EXPECT_EQ(nullptr, ::GetCapture());
  tabs.DestroyWindow();
}

TEST_F(TabWndTest, ClicksSwitchSheetsAndAVetoKeepsTabAndFocus) {
  CSheet* one = Add("One");
  CSheet* two = Add("Two");
  UiAutomation::Pump();
  EXPECT_EQ(one, m_tabs.GetActivePane());
  EXPECT_FALSE(two->IsWindowVisible());
  EXPECT_EQ((std::pair<UINT, WPARAM>{0x78F, 1}), two->got.front());  // told its index on attaching
  one->got.clear();
  two->got.clear();
  UiAutomation::Click(Beam().m_hWnd, TabCentre(1));
  EXPECT_EQ(two, m_tabs.GetActivePane());
  EXPECT_EQ(1, Beam().GetCurrentTab());
  EXPECT_TRUE(two->IsWindowVisible());
  EXPECT_FALSE(one->IsWindowVisible());
  EXPECT_EQ(two->m_hWnd, ::GetFocus());
  EXPECT_EQ((std::pair<UINT, WPARAM>{0x792, 0}), one->got.front());
  EXPECT_EQ((std::pair<UINT, WPARAM>{0x792, 1}), two->got.front());
  // The active sheet refuses to be hidden: tab, sheet and focus stay.
  two->vetoSwitch = 1;
  one->SetFocus();
  UiAutomation::Click(Beam().m_hWnd, TabCentre(0));
  EXPECT_EQ(1, Beam().GetCurrentTab());
  EXPECT_EQ(two, m_tabs.GetActivePane());
  EXPECT_EQ(two->m_hWnd, ::GetFocus());
  EXPECT_FALSE(m_tabs.SwitchTo(one));
  // Ctrl selects a tab without switching.
  two->vetoSwitch = 0;
  UiAutomation::AdvanceClock(1000);  // not a double click
  UiAutomation::Click(Beam().m_hWnd, TabCentre(0), UiAutomation::kControl);
  EXPECT_TRUE(Beam().GetTab(0).bSel);
  EXPECT_EQ(1, Beam().GetCurrentTab());
}

TEST_F(TabWndTest, SizingBoxStopsAtButtonsPlusTwentyAndKeepsItsShare) {
  Add("One");
  UiAutomation::Pump();
  EXPECT_EQ(200, m_tabs.GetBeamWidth());  // half the width at first
  CRect box = m_tabs.GetSizingBoxRect();
  UiAutomation::Drag(m_tabs.m_hWnd, box.CenterPoint(), CPoint(100, box.CenterPoint().y));
  EXPECT_EQ(100, m_tabs.GetBeamWidth());
  const int least = Beam().GetButtonAreaWidth() + 20;
  for (int x : {least, least - 1, 3}) {
    box = m_tabs.GetSizingBoxRect();
    UiAutomation::Drag(m_tabs.m_hWnd, CPoint(box.left + 1, box.top + 2), CPoint(x, box.top + 2), 1);
    EXPECT_EQ(least, m_tabs.GetBeamWidth()) << x;
  }
  CRect beam;
  Beam().GetClientRect(&beam);
  EXPECT_EQ(least + 2, beam.Width());  // placed with its border outside
  // Twice as wide: the part beyond the buttons' width - 20 doubles.
  UiAutomation::Drag(m_tabs.m_hWnd, m_tabs.GetSizingBoxRect().CenterPoint(), CPoint(120, box.CenterPoint().y));
  m_tabs.MoveWindow(10, 10, 800, 200);
  const int base = Beam().GetButtonAreaWidth() - 20;
  EXPECT_EQ((120 - base) * 2 + base, m_tabs.GetBeamWidth());
  UiAutomation::Pump();
  SaveWindowImage(&m_tabs, dravonix::test::OutputPath("tabwnd-sized.png").c_str());
}

TEST_F(TabWndTest, DoubleClickTypingAndEnterRenameTheTab) {
  CSheet* one = Add("One");
  Add("Two");
  UiAutomation::Pump();
  struct Case {
    const char* typed;
    UINT end;
    LRESULT editable;
    const char* name;
    bool notified;
  } cases[] = {
      {"Orders", VK_RETURN, 1, "Orders", true},
      {"Lost", VK_ESCAPE, 1, "Orders", false},
      {"Refused", VK_RETURN, 0, "Orders", false},
  };
  for (const Case& c : cases) {
    one->got.clear();
    one->nameEditable = c.editable;
    UiAutomation::DoubleClick(Beam().m_hWnd, TabCentre(0));
    EXPECT_EQ(c.editable != 0, m_tabs.GetRenamePopup() != nullptr) << c.typed;
    if (CEdit* popup = m_tabs.GetRenamePopup()) {
      CString shown;
      popup->GetWindowText(shown);
      EXPECT_EQ(CString(c.name == std::string("Orders") && c.notified ? "One" : "Orders"), shown);
      UiAutomation::TypeText(c.typed);
      UiAutomation::PressKey(c.end);
    }
    EXPECT_EQ(nullptr, m_tabs.GetRenamePopup());
    EXPECT_EQ(CString(c.name), Beam().GetTab(0).sLabel) << c.typed;
    bool notified = false;
    for (auto& [msg, wp] : one->got) notified |= msg == 0x791 && wp == 0;
    EXPECT_EQ(c.notified, notified) << c.typed;
  }
  // The width follows the bold name.
  CClientDC dc(&Beam());
  dc.SelectObject(&Beam().m_fontBold);
  EXPECT_EQ(dc.GetTextExtent(CString("Orders")).cx + 7, Beam().GetTab(0).nWidth);
}

// A click on the current tab drops the other tabs' selection, and their look with it.
TEST_F(TabWndTest, DroppedSelectionsAreRedrawn) {
  Add("One", true);
  Add("Two", true);
  UiAutomation::Pump();
  UiAutomation::Click(Beam().m_hWnd, TabCentre(1), UiAutomation::kControl);
  ASSERT_TRUE(Beam().GetTab(1).bSel);
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(Beam().m_hWnd, TabCentre(0));
  EXPECT_FALSE(Beam().GetTab(1).bSel);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(Beam().m_hWnd));
}

// However the rename ends, the keys go to the sheet again.
TEST_F(TabWndTest, TheKeysGoBackToTheSheetWhenARenameEnds) {
  for (int i = 0; i < 8; ++i) Add(i % 2 ? "Quarter" : "Year");
  UiAutomation::Pump();
  for (UINT end : {(UINT)VK_RETURN, (UINT)VK_ESCAPE, 0u}) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::DoubleClick(Beam().m_hWnd, TabCentre(Beam().GetCurrentTab()));
    ASSERT_NE(nullptr, m_tabs.GetRenamePopup()) << end;
    UiAutomation::TypeText("Q");
    if (end) UiAutomation::PressKey(end);
    else UiAutomation::Click(Beam().m_hWnd, POINT{Beam().m_nButtonWidth * 3 / 2, Beam().m_nHeight / 2});  // next
    EXPECT_EQ(nullptr, m_tabs.GetRenamePopup()) << end;
    EXPECT_EQ(m_tabs.GetActivePane()->m_hWnd, ::GetFocus()) << end;
  }
}

TEST_F(TabWndTest, TheRenamePopupIsAFramedEditTallEnoughForItsTextAndLeavesNoGhost) {
  // A sheet that paints itself, so that whatever the popup leaves behind would show.
  auto* sheet = new CSheet;
  sheet->Create(AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), "One", WS_CHILD | WS_VISIBLE,
                CRect(0, 0, 10, 10), &m_tabs, AFX_IDW_PANE_FIRST + 1);
  m_sheets.emplace_back(sheet);
  m_tabs.AttachWnd(sheet, "One");
  UiAutomation::Pump();
  const struct {
    UINT end;
    const char* typed;
  } cases[] = {{VK_ESCAPE, ""}, {VK_RETURN, ""}, {VK_RETURN, "Orders"}, {VK_RETURN, "A"}, {VK_ESCAPE, "Lost"}};
  for (const auto& [end, typed] : cases) {
    UiAutomation::DoubleClick(Beam().m_hWnd, TabCentre(0));
    CEdit* popup = m_tabs.GetRenamePopup();
    ASSERT_NE(nullptr, popup);
    const DWORD style = popup->GetStyle();
    EXPECT_NE(WS_CAPTION, style & WS_CAPTION);
    EXPECT_NE(0u, style & (WS_DLGFRAME | WS_BORDER));
    CClientDC dc(&Beam());
    dc.SelectObject(&Beam().GetNormalFont());
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    CRect client;
    popup->GetClientRect(&client);
    EXPECT_GE(client.Height(), tm.tmHeight);
    EXPECT_EQ(15 * dc.GetTextExtent("W", 1).cx - 2 * ::GetSystemMetrics(SM_CXDLGFRAME), client.Width());
    // Where the popup is (sheet and beam share a row whose look depends on which painted last).
    CRect place;
    popup->GetWindowRect(&place);
    m_owner.ScreenToClient(&place);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_owner.m_hWnd, &place));
    if (end == VK_ESCAPE) SaveWindowImage(&m_owner, dravonix::test::OutputPath("tabwnd-rename.png").c_str());
    UiAutomation::TypeText(typed);
    UiAutomation::PressKey(end);
    UiAutomation::Pump();
    EXPECT_EQ(nullptr, m_tabs.GetRenamePopup());
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_owner.m_hWnd)) << end << " " << typed;
  }
}

TEST_F(TabWndTest, EveryTabChangeRepaintsTheRowTheStripSharesWithTheSheet) {
  for (const char* name : {"One", "Two", "Three"}) Add(name, true);
  UiAutomation::Pump();
  struct Step {
    const char* what;
    std::function<void()> change;
    int current;
  } steps[] = {
      {"click on Two", [&] { UiAutomation::Click(Beam().m_hWnd, TabCentre(1)); }, 1},
      {"click on Three", [&] { UiAutomation::Click(Beam().m_hWnd, TabCentre(2)); }, 2},
      {"switch to One", [&] { m_tabs.SwitchTo(m_sheets[0].get()); }, 0},
      {"sheet added", [&] { Add("A much longer fourth", true); }, 0},
      {"tab inserted before the current", [&] { Beam().InsertTab(TRUE, "Inserted", nullptr, FALSE, -1, 0); }, 1},
      {"tab before the current deleted", [&] { Beam().DeleteTab(0); }, 0},
      {"current tab renamed", [&] {
         CString name = "Renamed at length";
         GXGetLibraryData().m_pTabWndInterface->AccessSheetName(m_sheets[0].get(), &name, TRUE);
       }, 0},
      {"current tab deleted", [&] { Beam().DeleteTab(0); }, 0},
  };
  for (const Step& s : steps) {
    UiAutomation::AdvanceClock(1000);  // no double click
    s.change();
    UiAutomation::Pump();
    EXPECT_EQ(s.current, Beam().GetCurrentTab()) << s.what;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_owner.m_hWnd)) << s.what;
  }
}

TEST_F(TabWndTest, TabRecordsAndBadIndexes) {
  CGXTabBeam& beam = Beam();
  CSheet* one = Add("One");
  Add("Two");
  Add("Three");
  EXPECT_EQ(one, m_tabs.GetActivePane());
  EXPECT_EQ(1, beam.FindTab(m_sheets[1].get()));
  EXPECT_EQ(-1, beam.FindTab(&m_owner));
  beam.SetCurrentTab(2);
  beam.InsertTab(TRUE, "Before", nullptr, FALSE, 40, 7);  // in front of the current tab, which stays
  EXPECT_EQ(CString("Before"), beam.GetTab(2).sLabel);
  EXPECT_EQ(3, beam.GetCurrentTab());
  EXPECT_EQ(40, beam.GetTab(2).nWidth);
  beam.DeleteTab(3);  // the current one: tab 0 takes over
  EXPECT_EQ(0, beam.GetCurrentTab());
  for (int bad : {-1, 3, 99}) {
    for (int op = 0; op < 2; ++op) {
      bool thrown = false;
      try {
        op ? beam.DeleteTab(bad) : (void)beam.GetTab(bad);
      } catch (CInvalidArgException* e) {
        thrown = true;
        e->Delete();
      }
      EXPECT_TRUE(thrown) << bad << " " << op;
    }
  }
  while (beam.GetCount()) beam.DeleteTab(0);
  EXPECT_EQ(-1, beam.GetCurrentTab());
  EXPECT_EQ(nullptr, m_tabs.GetActivePane());  // its tab went
  // A grid outside a tab window ignores a rename; the interface reads nothing there.
  CString name = "kept";
  GXGetLibraryData().m_pTabWndInterface->AccessSheetName(&m_owner, &name, FALSE);
  EXPECT_EQ(CString("kept"), name);
}

TEST_F(TabWndTest, WindowMadeByClassNameGetsItsChildrenAndDeletesItself) {
  HWND h = ::CreateWindowEx(0, "CGXTabWnd", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 120, m_owner.m_hWnd, (HMENU)77,
                            AfxGetInstanceHandle(), nullptr);
  ASSERT_NE(nullptr, h);
  auto* tabs = DYNAMIC_DOWNCAST(CGXTabWnd, CWnd::FromHandlePermanent(h));
  ASSERT_NE(nullptr, tabs);
  ::UpdateWindow(h);
  EXPECT_NE(nullptr, ::GetDlgItem(h, GX_IDW_TAB_BEAM));
  EXPECT_NE(nullptr, ::GetDlgItem(h, GX_IDW_TAB_HSCROLL));
  ::DestroyWindow(h);  // the sanitizer build sees the object go
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
}
