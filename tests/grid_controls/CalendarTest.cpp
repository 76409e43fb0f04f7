// The month calendar: filling a month, neighbouring days in grey, selection and marks, scrolling
// within years 1400..2400, keys, and the drop-down form reporting to its owner.
#include "grid/controls/GXBCalendar.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class COwner : public CWnd {
 public:
  std::vector<std::pair<UINT, WPARAM>> m_got;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= 2005 && message <= 2008) m_got.emplace_back(message, wParam);
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

class CalendarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
    Automation::Instance().ClearBeeps();
    m_owner.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "owner",
                     WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 420), nullptr, 0);
  }
  void TearDown() override {
    m_owner.DestroyWindow();
    UiAutomation::Pump();
    Clock::UseRealTime();
  }
  // The darkest channel value inside a rectangle: the ink of the day's number.
  static int Darkest(HWND h, const CRect& r) {
    int d = 255;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        COLORREF p = GetWindowPixel(h, CPoint(x, y));
        d = std::min({d, (int)GetRValue(p), (int)GetGValue(p), (int)GetBValue(p)});
      }
    return d;
  }
  COwner m_owner;
};

TEST_F(CalendarTest, LeapFebruaryInTheMonthsColourAndNeighboursGrey) {
  CGXBCalendar cal;
  cal.SetDate(COleDateTime(2024, 2, 10, 0, 0, 0), FALSE);
  ASSERT_TRUE(cal.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 360, 290), &m_owner));
  UiAutomation::Pump();
  SaveWindowImage(&m_owner, dravonix::test::OutputPath("calendar-feb-2024.png").c_str());
  EXPECT_EQ(COleDateTime(2024, 1, 28, 12, 0, 0), cal.GetDayBox(0)->m_date);  // the Sunday before
  int inMonth = 0;
  int gray = GetRValue(::GetSysColor(COLOR_GRAYTEXT));
  for (int i = 0; i < 42; ++i) {
    CGXBDayBox* b = cal.GetDayBox(i);
    if (!b->m_bOtherMonth) ++inMonth;
    int ink = Darkest(cal.m_hWnd, b->Interior());
    if (b->m_bOtherMonth) EXPECT_EQ(gray, ink) << i;
    else EXPECT_LT(ink, 40) << i;
  }
  EXPECT_EQ(29, inMonth);
  EXPECT_EQ(29, cal.GetDayBox(32)->m_date.GetDay());
  EXPECT_EQ("February 2024", std::string(cal.GetTitle().m_strText.GetString()));
}

TEST_F(CalendarTest, SelectionMarksAndScrollingLimits) {
  CGXBCalendar cal;
  cal.SetDate(COleDateTime(2400, 12, 15, 0, 0, 0), FALSE);
  ASSERT_TRUE(cal.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 280, 220), &m_owner));
  size_t beeps = Automation::Instance().Beeps().size();
  EXPECT_FALSE(cal.NextMonth(FALSE));
  EXPECT_FALSE(cal.NextYear(FALSE));
  EXPECT_EQ(beeps + 2, Automation::Instance().Beeps().size());
  EXPECT_EQ(MB_ICONEXCLAMATION, Automation::Instance().Beeps().back());
  EXPECT_EQ(2400, cal.GetDate().GetYear());
  EXPECT_EQ(12, cal.GetDate().GetMonth());
  cal.SetDate(COleDateTime(1400, 1, 10, 0, 0, 0), FALSE);
  EXPECT_FALSE(cal.PrevMonth(FALSE));
  EXPECT_EQ(1400, cal.GetDate().GetYear());
  // Moving without a selected day only beeps; keys move the selection across months.
  cal.SetDate(COleDateTime(2024, 1, 31, 0, 0, 0), FALSE);
  EXPECT_FALSE(cal.NextDay(TRUE));
  EXPECT_TRUE(cal.SelectDate(2024, 1, 31, TRUE));
  UiAutomation::PressKey(cal.m_hWnd, VK_RIGHT);
  EXPECT_EQ(COleDateTime(2024, 2, 1, 12, 0, 0), cal.GetSelectedDate());
  EXPECT_EQ(2, cal.GetDate().GetMonth());
  UiAutomation::PressKey(cal.m_hWnd, VK_NEXT);
  EXPECT_EQ(COleDateTime(2024, 3, 1, 12, 0, 0), cal.GetSelectedDate());
  UiAutomation::PressKey(cal.m_hWnd, VK_END);
  EXPECT_EQ(COleDateTime(2024, 3, 31, 12, 0, 0), cal.GetSelectedDate());
  // The title's buttons scroll the display only.
  cal.SendMessage(WM_COMMAND, 23243);  // ">>"
  EXPECT_EQ(2025, cal.GetDate().GetYear());
  cal.SendMessage(WM_COMMAND, 23244);  // "<"
  EXPECT_EQ(COleDateTime(2025, 2, 1, 12, 0, 0), cal.GetDate());
  EXPECT_EQ(COleDateTime::invalid, cal.GetSelectedDate().GetStatus());  // not shown
  cal.SetDate(COleDateTime(2024, 3, 1, 0, 0, 0), FALSE);
  EXPECT_EQ(COleDateTime(2024, 3, 31, 12, 0, 0), cal.GetSelectedDate());
  // Marks: a ring, kept in order without duplicates, toggled by a right click.
  cal.MarkDate(2024, 3, 9, TRUE);
  cal.MarkDate(2024, 3, 2, TRUE);
  cal.MarkDate(2024, 3, 9, TRUE);
  ASSERT_EQ(2u, cal.GetMarkedDates().size());
  EXPECT_EQ(2, cal.GetMarkedDates()[0].GetDay());
  CGXBDayBox* ninth = nullptr;
  for (int i = 0; i < 42; ++i)
    if (cal.GetDayBox(i)->m_date == COleDateTime(2024, 3, 9, 12, 0, 0)) ninth = cal.GetDayBox(i);
  ASSERT_NE(nullptr, ninth);
  EXPECT_TRUE(ninth->m_bRing);
  UiAutomation::RightClick(cal.m_hWnd, ninth->m_rect.CenterPoint());
  EXPECT_FALSE(ninth->m_bRing);
  EXPECT_EQ(1u, cal.GetMarkedDates().size());
}

TEST_F(CalendarTest, PopupReportsChoiceOnDeactivationAndCancelOnEscape) {
  CGXBPopupCalendar pop;
  pop.m_nStyle |= 0x1000200;
  pop.SelectDate(COleDateTime(2024, 5, 14, 0, 0, 0), TRUE);
  ASSERT_TRUE(pop.CreatePopup(0x90040001, CRect(120, 120, 300, 140), &m_owner));
  EXPECT_EQ(CS_DBLCLKS | CS_SAVEBITS, pop.GetClassStyle());
  CRect w;
  pop.GetWindowRect(&w);
  EXPECT_EQ(CPoint(120, 140), w.TopLeft());  // under the anchor's left edge
  CGXBDayBox* day = nullptr;
  for (int i = 0; i < 42; ++i)
    if (pop.GetDayBox(i)->m_date == COleDateTime(2024, 5, 20, 12, 0, 0)) day = pop.GetDayBox(i);
  ASSERT_NE(nullptr, day);
  pop.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(day->m_rect.CenterPoint().x, day->m_rect.CenterPoint().y));
  EXPECT_EQ(COleDateTime(2024, 5, 20, 12, 0, 0), pop.GetSelectedDate());
  UiAutomation::Pump();
  SaveWindowImage(&pop, dravonix::test::OutputPath("calendar-popup.png").c_str());
  // The chosen day is raised (a bevel), the others flat.
  EXPECT_EQ(::GetSysColor(COLOR_BTNHIGHLIGHT), GetWindowPixel(pop.m_hWnd, day->m_rect.TopLeft()));
  CGXBDayBox* next = day + 1;
  EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), GetWindowPixel(pop.m_hWnd, next->m_rect.TopLeft()));
  m_owner.m_got.clear();
  m_owner.SetActiveWindow();
  UiAutomation::Pump();
  ASSERT_FALSE(m_owner.m_got.empty());
  EXPECT_EQ(2007u, m_owner.m_got.back().first);
  EXPECT_FALSE(pop.IsWindowVisible());
  // Escape closes without a choice.
  CGXBPopupCalendar esc;
  esc.SelectDate(COleDateTime(2024, 5, 14, 0, 0, 0), TRUE);
  ASSERT_TRUE(esc.CreatePopup(0x90040001, CRect(120, 120, 300, 140), &m_owner));
  m_owner.m_got.clear();
  UiAutomation::PressKey(esc.m_hWnd, VK_ESCAPE);
  ASSERT_EQ(1u, m_owner.m_got.size());
  EXPECT_EQ(2008u, m_owner.m_got[0].first);
}

}  // namespace
