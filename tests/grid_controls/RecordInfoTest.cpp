// The record beam: grey buttons at the ends, a held button repeating faster, the number edit that
// goes to a typed record, and the label's default text.
#include "grid/controls/GXBeamDrawing.h"
#include "grid/controls/GXRecordInfoWnd.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

// The sheet: logs the navigation requests with their time, and lets go of the mouse after some.
class CRecords : public CWnd {
 public:
  std::vector<std::tuple<WPARAM, LPARAM, DWORD>> got;
  size_t releaseAfter = 0;
  HWND beam = nullptr;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != 0x7A3) return CWnd::WindowProc(message, wParam, lParam);
    got.emplace_back(wParam, lParam, ::GetTickCount());
    if (got.size() == releaseAfter) ::PostMouseInput(beam, WM_LBUTTONUP, 0, POINT{140, 8});
    return 0;
  }
};

class RecordInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
    m_owner.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "owner",
                     WS_POPUP | WS_VISIBLE, CRect(0, 0, 420, 240), nullptr, 0);
    ASSERT_TRUE(m_frame.CreateRecordInfoFrame(&m_owner));
    m_sheet.Create(nullptr, "records", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &m_frame, 1);
    m_frame.AttachWnd(&m_sheet);
    m_frame.MoveWindow(10, 10, 400, 200);
    m_sheet.beam = Beam().m_hWnd;
    Show(1, 1);
  }
  void TearDown() override {
    m_frame.DestroyWindow();
    m_owner.DestroyWindow();
    UiAutomation::Pump();
    Clock::UseRealTime();
  }
  CGXRecordInfoBeam& Beam() { return *m_frame.GetBeam(); }
  void Show(LONG count, LONG current) {
    Beam().SetRecordCount(count);
    Beam().SetCurrentRecord(current);
    Beam().Invalidate();
    UiAutomation::Pump();
    m_owner.UpdateWindow();
  }
  // Whether the button's arrow is black (it can act) or grey.
  bool Black(int nButton) {
    const CRect r = Beam().GetButtonRect(nButton);
    int grey = 0, black = 0;
    for (int y = r.top + 2; y < r.bottom - 3; ++y)
      for (int x = r.left + 2; x < r.right - 2; ++x) {
        COLORREF p = GetWindowPixel(Beam().m_hWnd, CPoint(x, y));
        grey += p == GX_BEAM_GREY_ARROW;
        black += p == RGB(0, 0, 0);
      }
    EXPECT_TRUE((grey == 0) != (black == 0)) << nButton;
    return black > 0;
  }
  CWnd m_owner;
  CGXRecordInfoWnd m_frame;
  CRecords m_sheet;
};

}  // namespace

TEST_F(RecordInfoTest, ButtonsGreyAtTheEndsAndTheLabelSaysRecord) {
  SaveWindowImage(&m_owner, dravonix::test::OutputPath("recordinfo-one.png").c_str());
  EXPECT_EQ(CString("Record"), Beam().GetLabel());
  struct Case {
    LONG count, current;
    bool black[4];
  } cases[] = {
      {1, 1, {false, false, false, false}},
      {10, 1, {false, false, true, true}},
      {10, 5, {true, true, true, true}},
      {10, 10, {true, true, false, false}},
  };
  for (const Case& c : cases) {
    Show(c.count, c.current);
    for (int b = 0; b < 4; ++b) EXPECT_EQ(c.black[b], Black(b)) << c.count << "/" << c.current << " button " << b;
  }
  // The record number is drawn in the window text colour right of the label.
  const CRect& number = Beam().GetNumberRect();
  EXPECT_GT(number.left, Beam().GetFieldRect().left + 20);
  SaveWindowImage(&m_owner, dravonix::test::OutputPath("recordinfo-ten.png").c_str());
  // With one record a press does nothing.
  Show(1, 1);
  UiAutomation::Click(Beam().m_hWnd, Beam().GetButtonRect(2).CenterPoint());
  EXPECT_TRUE(m_sheet.got.empty());
}

TEST_F(RecordInfoTest, HoldingNextRepeatsFasterAndOnceMoreOnRelease) {
  Show(1000, 5);
  m_sheet.releaseAfter = 7;
  const CPoint next = Beam().GetButtonRect(2).CenterPoint();
  const DWORD pressed = ::GetTickCount();
  ::PostMouseInput(Beam().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{next.x, next.y});
  UiAutomation::Pump();
  ASSERT_EQ(8u, m_sheet.got.size());
  std::vector<DWORD> gaps;
  DWORD last = pressed;
  for (auto& [action, number, at] : m_sheet.got) {
    EXPECT_EQ(2u, action);
    EXPECT_EQ(0, number);
    gaps.push_back(at - last);
    last = at;
  }
  EXPECT_EQ((std::vector<DWORD>{400, 300, 280, 260, 240, 220, 200, 0}), gaps);
  EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(RecordInfoTest, TheNumberOpensAnEditAndEnterGoesToTheTypedRecord) {
  Show(50, 7);
  struct Case {
    const char* typed;
    bool enter;
    LPARAM number;
  } cases[] = {{"42", true, 42}, {"abc", true, 0}, {"9", false, 0}, {"4294967299", true, INT32_MAX}, {"-4294967295", true, INT32_MIN}};
  for (const Case& c : cases) {
    m_sheet.got.clear();
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(Beam().m_hWnd, Beam().GetNumberRect().CenterPoint());
    CEdit* edit = Beam().GetEdit();
    ASSERT_EQ(edit->m_hWnd, ::GetFocus()) << c.typed;
    CString text;
    edit->GetWindowText(text);
    EXPECT_EQ(CString("7"), text);
    int from = -1, to = -1;
    edit->GetSel(from, to);
    EXPECT_EQ(std::make_pair(0, 1), std::make_pair(from, to));
    CRect shown;
    edit->GetWindowRect(&shown);
    EXPECT_FALSE(shown.IsRectEmpty());
    UiAutomation::TypeText(c.typed);
    if (c.enter) UiAutomation::PressKey(VK_RETURN);
    else m_sheet.SetFocus();  // leaving sends nothing
    UiAutomation::Pump();
    if (c.enter) {
      ASSERT_EQ(1u, m_sheet.got.size()) << c.typed;
      EXPECT_EQ(4u, std::get<0>(m_sheet.got[0]));
      EXPECT_EQ(c.number, std::get<1>(m_sheet.got[0])) << c.typed;
    } else {
      EXPECT_TRUE(m_sheet.got.empty());
    }
    m_sheet.SetFocus();
    UiAutomation::Pump();
    Beam().UpdateWindow();
    edit->GetWindowRect(&shown);
    EXPECT_TRUE(shown.IsRectEmpty()) << c.typed;  // the number is drawn again
    CRect beam;
    Beam().GetClientRect(&beam);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(Beam().m_hWnd, &beam)) << c.typed;
  }
}
