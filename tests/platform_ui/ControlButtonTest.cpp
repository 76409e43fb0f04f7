// Buttons (push, check, 3-state, radio groups, owner-drawn, default), statics, the scroll-bar
// control, and controls that meet bad input or go away while they are used.
#include "platform/core/Clock.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class COwnerButton : public CButton {
 public:
  std::vector<UINT> m_states;
  void DrawItem(LPDRAWITEMSTRUCT dis) override {
    m_states.push_back(dis->itemState);
    CDC::FromHandle(dis->hDC)->FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 0, 255));
  }
};

class CHost : public CWnd {
 public:
  std::vector<std::pair<int, int>> m_notes;
  std::vector<std::pair<UINT, int>> m_scrolls;
  bool m_destroyOnClick = false;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (lParam) {
      m_notes.emplace_back(LOWORD(wParam), HIWORD(wParam));
      if (m_destroyOnClick && HIWORD(wParam) == BN_CLICKED) ::DestroyWindow((HWND)lParam);
    }
    return CWnd::OnCommand(wParam, lParam);
  }
  void OnVScroll(UINT code, UINT pos, CScrollBar*) override { m_scrolls.emplace_back(code, (int)pos); }
};

class ControlButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    m_host.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "host",
                    WS_POPUP | WS_VISIBLE, CRect(20, 20, 420, 320), nullptr, 0);
  }
  void TearDown() override {
    m_host.DestroyWindow();
    Clock::UseRealTime();
  }
  CHost m_host;
};

TEST_F(ControlButtonTest, CheckBoxesThreeStatesAndRadioGroups) {
  CButton check, three, r1, r2, r3, other;
  check.Create("Check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 10, 120, 30), &m_host, 1);
  three.Create("Three", WS_CHILD | WS_VISIBLE | BS_AUTO3STATE, CRect(10, 40, 120, 60), &m_host, 2);
  r1.Create("A", WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, CRect(10, 70, 120, 90), &m_host, 3);
  r2.Create("B", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, CRect(10, 100, 120, 120), &m_host, 4);
  r3.Create("C", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, CRect(10, 130, 120, 150), &m_host, 5);
  other.Create("D", WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, CRect(10, 160, 120, 180), &m_host, 6);
  other.SetCheck(BST_CHECKED);
  UiAutomation::Click(check.m_hWnd, POINT{5, 5});
  EXPECT_EQ(BST_CHECKED, check.GetCheck());
  UiAutomation::PressKey(VK_SPACE);
  EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
  for (int expected : {1, 2, 0}) {
    three.SendMessage(BM_CLICK);
    EXPECT_EQ(expected, three.GetCheck());
  }
  UiAutomation::Click(r2.m_hWnd, POINT{5, 5});
  UiAutomation::Click(r3.m_hWnd, POINT{5, 5});
  EXPECT_EQ(BST_UNCHECKED, r2.GetCheck());
  EXPECT_EQ(BST_CHECKED, r3.GetCheck());
  EXPECT_EQ(BST_CHECKED, other.GetCheck());  // another group
  // A click released outside the button is no click.
  m_host.m_notes.clear();
  UiAutomation::Drag(check.m_hWnd, POINT{5, 5}, POINT{300, 5});
  EXPECT_TRUE(m_host.m_notes.empty());
  EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
  // A plain check box does not toggle itself.
  CButton plain;
  plain.Create("P", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, CRect(200, 10, 300, 30), &m_host, 7);
  UiAutomation::Click(plain.m_hWnd, POINT{5, 5});
  EXPECT_EQ(BST_UNCHECKED, plain.GetCheck());
  EXPECT_EQ(std::make_pair(7, (int)BN_CLICKED), m_host.m_notes.back());
}

TEST_F(ControlButtonTest, OwnerDrawnButtonsAreDrawnByTheirObjectAndDefaultButtonsByStyle) {
  COwnerButton owner;
  owner.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 40), &m_host, 11);
  UiAutomation::Pump();
  ASSERT_FALSE(owner.m_states.empty());
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(owner.m_hWnd, POINT{5, 5}));
  owner.SetState(TRUE);
  UiAutomation::Pump();
  EXPECT_TRUE(owner.m_states.back() & ODS_SELECTED);
  EXPECT_EQ(RGB(255, 0, 0), GetWindowPixel(owner.m_hWnd, POINT{5, 5}));
  CButton def;
  def.Create("OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(100, 10, 175, 33), &m_host, IDOK);
  EXPECT_EQ((UINT)(DLGC_BUTTON | DLGC_DEFPUSHBUTTON), (UINT)def.SendMessage(WM_GETDLGCODE));
  def.SetButtonStyle(BS_PUSHBUTTON);
  EXPECT_EQ((UINT)(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON), (UINT)def.SendMessage(WM_GETDLGCODE));
}

TEST_F(ControlButtonTest, StaticsScrollBarsAndBadInput) {
  CStatic label;
  label.Create("Speed", WS_CHILD | WS_VISIBLE | SS_CENTER, CRect(10, 10, 110, 30), &m_host);
  CString text;
  label.GetWindowText(text);
  EXPECT_STREQ("Speed", text);
  CStatic frame;
  frame.Create("", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, CRect(10, 40, 60, 60), &m_host);
  UiAutomation::Pump();
  EXPECT_EQ(::GetSysColor(COLOR_WINDOWFRAME), GetWindowPixel(frame.m_hWnd, POINT{3, 3}));

  CScrollBar bar;
  bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(300, 10, 317, 210), &m_host, 20);
  bar.SetScrollRange(0, 100);
  SCROLLINFO si{sizeof si, SIF_PAGE, 0, 0, 20, 0, 0};
  bar.SetScrollInfo(&si);
  bar.SetScrollPos(500);
  EXPECT_EQ(81, bar.GetScrollPos());  // the last page's position
  EXPECT_EQ(81, bar.GetScrollLimit());
  UiAutomation::Click(bar.m_hWnd, POINT{8, 3});
  ASSERT_GE(m_host.m_scrolls.size(), 2u);
  EXPECT_EQ((UINT)SB_LINEUP, m_host.m_scrolls[0].first);
  EXPECT_EQ((UINT)SB_ENDSCROLL, m_host.m_scrolls[1].first);

  // A button destroyed by the handler of its own click; messages to windows that are gone.
  CButton gone;
  gone.Create("X", WS_CHILD | WS_VISIBLE, CRect(150, 10, 200, 30), &m_host, 30);
  HWND h = gone.m_hWnd;
  m_host.m_destroyOnClick = true;
  UiAutomation::Click(h, POINT{5, 5});
  EXPECT_FALSE(::IsWindow(h));
  EXPECT_EQ(0, ::SendMessage(h, BM_GETCHECK, 0, 0));
  EXPECT_EQ(0, ::SendMessage(nullptr, LB_GETCOUNT, 0, 0));
  CEdit edit;
  edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(10, 100, 200, 200), &m_host, 31);
  edit.SendMessage(EM_REPLACESEL, 0, 0);  // null text
  edit.SendMessage(WM_SETTEXT, 0, 0);
  edit.SendMessage(EM_SETRECT, 0, 0);
  edit.SendMessage(EM_GETSEL, 0, 0);
  EXPECT_EQ(0, edit.GetWindowTextLength());
  CListBox list;
  list.Create(WS_CHILD | WS_VISIBLE, CRect(220, 100, 290, 200), &m_host, 32);
  EXPECT_EQ(LB_ERR, list.SendMessage(LB_GETTEXT, 3, 0));
  EXPECT_EQ(LB_ERR, list.DeleteString(0));
  EXPECT_EQ(LB_ERR, list.InsertString(5, "x"));
  EXPECT_EQ(0, list.AddString(nullptr));
  EXPECT_EQ(FALSE, ::CheckRadioButton(nullptr, 1, 2, 1));
  EXPECT_EQ(FALSE, ::IsDialogMessage(nullptr, nullptr));
  EXPECT_EQ(FALSE, ::EndDialog(m_host.m_hWnd, 1));  // not a dialog
  EXPECT_EQ(nullptr, AfxFindDialogTemplate(nullptr));
}

}  // namespace

// A window's own bars draw their arrows as the control does: black while the bar can scroll that way,
// grey when its range leaves nothing to scroll, the arrow is disabled or the window is.
TEST_F(ControlButtonTest, WindowBarsDrawTheControlsArrowsGreyedWhereTheyCannotScroll) {
  const struct {
    DWORD bars;
    int vMax;  // the vertical range's end, shown greyed when it leaves nothing to scroll
    UINT hArrows;
    bool disabled;
    const char* want;
  } cases[] = {
      {WS_VSCROLL | WS_HSCROLL, 100, ESB_ENABLE_BOTH, false, "kkkk"}, {WS_VSCROLL, 100, ESB_ENABLE_BOTH, false, "kk--"},
      {WS_HSCROLL, 100, ESB_ENABLE_BOTH, false, "--kk"},              {WS_VSCROLL | WS_HSCROLL, 0, ESB_ENABLE_BOTH, false, "ggkk"},
      {WS_VSCROLL | WS_HSCROLL, 100, ESB_DISABLE_LEFT, false, "kkgk"}, {WS_VSCROLL | WS_HSCROLL, 100, ESB_DISABLE_BOTH, false, "kkgg"},
      {WS_VSCROLL | WS_HSCROLL, 100, ESB_ENABLE_BOTH, true, "gggg"},
  };
  for (const auto& c : cases) {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(0), "bars", WS_CHILD | WS_VISIBLE | c.bars, CRect(10, 10, 210, 160), &m_host, 40));
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, c.vMax, 10, 0, 0};
    if (c.bars & WS_VSCROLL) {
      w.SetScrollInfo(SB_VERT, &si);
      w.ShowScrollBar(SB_VERT, TRUE);  // kept when it has nothing to scroll
    }
    if (c.bars & WS_HSCROLL) w.EnableScrollBar(SB_HORZ, c.hArrows);
    w.EnableWindow(!c.disabled);
    w.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_EQ(dravonix::test::ArrowGlyphs(w.m_hWnd), c.want) << c.bars << " " << c.vMax << " " << c.hArrows << " " << c.disabled;
    w.DestroyWindow();
  }
  // The control's own arrows, for comparison.
  CScrollBar bar;
  bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(300, 10, 316, 210), &m_host, 20);
  bar.EnableScrollBar(ESB_DISABLE_UP);
  UiAutomation::Pump();
  EXPECT_EQ(GetWindowPixel(bar.m_hWnd, POINT{8, 8}), ::GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(GetWindowPixel(bar.m_hWnd, POINT{8, 192}), ::GetSysColor(COLOR_BTNTEXT));
}
