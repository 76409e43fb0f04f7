// The month calendar: filling a month, neighbouring days in grey, selection and marks, scrolling
// within years 1400..2400, keys, and the drop-down form reporting to its owner.
#include "grid/controls/GXBCalendar.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <random>
#include <set>
#include <sstream>
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
  UiAutomation::PressKey(VK_RIGHT);
  EXPECT_EQ(COleDateTime(2024, 2, 1, 12, 0, 0), cal.GetSelectedDate());
  EXPECT_EQ(2, cal.GetDate().GetMonth());
  UiAutomation::PressKey(VK_NEXT);
  EXPECT_EQ(COleDateTime(2024, 3, 1, 12, 0, 0), cal.GetSelectedDate());
  UiAutomation::PressKey(VK_END);
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
  // Pressed and held on the day: a release would choose it and close.
  PostMouseInput(pop.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, day->m_rect.CenterPoint());
  UiAutomation::Pump();
  EXPECT_EQ(COleDateTime(2024, 5, 20, 12, 0, 0), pop.GetSelectedDate());
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
  PostMouseInput(pop.m_hWnd, WM_LBUTTONUP, 0, day->m_rect.CenterPoint());
  UiAutomation::Pump();
  // Escape closes without a choice.
  CGXBPopupCalendar esc;
  esc.SelectDate(COleDateTime(2024, 5, 14, 0, 0, 0), TRUE);
  ASSERT_TRUE(esc.CreatePopup(0x90040001, CRect(120, 120, 300, 140), &m_owner));
  m_owner.m_got.clear();
  UiAutomation::PressKey(VK_ESCAPE);
  ASSERT_EQ(1u, m_owner.m_got.size());
  EXPECT_EQ(2008u, m_owner.m_got[0].first);
}

// A click on a title button must not take the calendar's keys away.
TEST_F(CalendarTest, KeysStillReachTheCalendarAfterATitleButton) {
  CGXBPopupCalendar pop;
  pop.SelectDate(COleDateTime(2024, 5, 14, 0, 0, 0), TRUE);
  ASSERT_TRUE(pop.CreatePopup(0x90040001, CRect(120, 120, 300, 140), &m_owner));
  UiAutomation::Pump();
  for (int i : {2, 1}) {  // ">" then "<": May again
    CButton& button = pop.GetTitle().m_buttons[i];
    CRect r;
    button.GetClientRect(&r);
    UiAutomation::Click(button.m_hWnd, r.CenterPoint());
    UiAutomation::AdvanceClock(1000);
  }
  EXPECT_EQ(5, pop.GetDate().GetMonth());
  UiAutomation::PressKey(VK_RIGHT);
  EXPECT_EQ(COleDateTime(2024, 5, 15, 12, 0, 0), pop.GetSelectedDate());
  m_owner.m_got.clear();
  UiAutomation::PressKey(VK_RETURN);
  ASSERT_FALSE(m_owner.m_got.empty());
  EXPECT_EQ(2007u, m_owner.m_got.back().first);
  EXPECT_FALSE(pop.IsWindowVisible());
}

// The one-pixel gaps between and after the day boxes are painted too.
TEST_F(CalendarTest, GapsBetweenTheBoxesArePainted) {
  CGXBPopupCalendar pop;
  pop.SetDate(COleDateTime(2024, 2, 10, 0, 0, 0), FALSE);
  ASSERT_TRUE(pop.CreatePopup(0x90040001, CRect(120, 120, 300, 140), &m_owner));
  CRect r;
  pop.GetWindowRect(&r);
  CWnd cover;
  cover.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_HIGHLIGHT + 1)), "", WS_POPUP, r, nullptr, 0);
  cover.ShowWindow(SW_SHOWNA);  // a window passing over, not taking the activation
  UiAutomation::Pump();
  cover.DestroyWindow();
  ASSERT_TRUE(pop.IsWindowVisible());
  CRect client;
  pop.GetClientRect(&client);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(pop.m_hWnd, &client));
  pop.DetachOwner();
}

// A calendar that is not a popup takes for each panel the largest font whose need fits the panel:
// the need fits, the need of the font twice as high does not.
TEST_F(CalendarTest, FontsFitTheirPanelsAndLetterTheButtons) {
  struct CPeek : CGXBCalendar {
    using CGXBCalendar::m_fonts;
    using CGXBCalendar::m_lf;
    using CGXBCalendar::PanelNeed;
  };
  for (const CSize size : {CSize(280, 220), CSize(400, 300), CSize(160, 140)}) {
    CPeek cal;
    cal.SetDate(COleDateTime(2024, 2, 10, 0, 0, 0), FALSE);
    ASSERT_TRUE(cal.Create(WS_CHILD | WS_VISIBLE, CRect(CPoint(0, 0), size), &m_owner));
    CClientDC dc(&cal);
    const CRect boxes[3] = {cal.GetTitle().m_rect, cal.GetDayBar().m_rect, cal.GetDayBox(10)->m_rect};
    for (int i = 0; i < 3; ++i) {
      const CSize need = cal.PanelNeed(dc, i, cal.m_lf[i]);
      EXPECT_TRUE(need.cx <= boxes[i].Width() && need.cy <= boxes[i].Height()) << size.cx << " panel " << i;
      LOGFONT twice = cal.m_lf[i];
      twice.lfHeight *= 2;
      twice.lfWidth *= 2;
      const CSize more = cal.PanelNeed(dc, i, twice);
      EXPECT_TRUE(more.cx > boxes[i].Width() || more.cy > boxes[i].Height()) << size.cx << " panel " << i;
    }
    // The title's buttons are lettered in the title's font once it is drawn.
    UiAutomation::Pump();
    for (CButton& button : cal.GetTitle().m_buttons)
      EXPECT_EQ((HFONT)cal.m_fonts[0], (HFONT)button.SendMessage(WM_GETFONT)) << size.cx;
  }
}

// Window-style bit 1 hangs the popup from the anchor's left edge, else from its right edge; near the
// screen's edges it flips above the anchor or to its other side.
TEST_F(CalendarTest, PopupPlacesItselfBesideTheAnchorWithinTheScreen) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    DWORD style;
    CRect anchor;
    bool above, flipped;  // flipped: to the anchor's other horizontal side
  } cases[] = {
      {0x90040001, CRect(120, 120, 300, 140), false, false},
      {0x90040001, CRect(120, sh - 30, 300, sh - 10), true, false},
      {0x90040001, CRect(sw - 60, 120, sw - 10, 140), false, true},
      {0x90040000, CRect(120, 120, 300, 140), false, false},
      {0x90040000, CRect(sw - 100, 120, sw - 60, 140), false, true},
      {0x90040000, CRect(120, sh - 30, 300, sh - 10), true, false},
  };
  for (const Case& c : cases) {
    CGXBPopupCalendar pop;
    ASSERT_TRUE(pop.CreatePopup(c.style, c.anchor, &m_owner));
    CRect w;
    pop.GetWindowRect(&w);
    const bool left = c.style & 1;
    EXPECT_EQ(c.above ? c.anchor.top - w.Height() : c.anchor.bottom, w.top) << c.anchor.left << "," << c.anchor.top;
    const int x = left ? (c.flipped ? c.anchor.right - w.Width() : c.anchor.left)
                       : (c.flipped ? c.anchor.left - w.Width() : c.anchor.right);
    EXPECT_EQ(x, w.left) << c.anchor.left << "," << c.anchor.top;
    pop.DetachOwner();
  }
}

// ---- Dates after keys and clicks, against the standard library's calendar ----

namespace cr = std::chrono;
using Ymd = cr::year_month_day;

Ymd ToYmd(const COleDateTime& d) {
  return Ymd{cr::year{d.GetYear()}, cr::month{(unsigned)d.GetMonth()}, cr::day{(unsigned)d.GetDay()}};
}
COleDateTime ToOle(Ymd d) { return COleDateTime((int)d.year(), (unsigned)d.month(), (unsigned)d.day(), 12, 0, 0); }
// The date of day box i in a month's view: weeks start on Sunday.
Ymd BoxDate(cr::year_month ym, int i) {
  cr::sys_days first{ym / 1};
  return Ymd{first - (cr::weekday{first} - cr::Sunday) + cr::days{i}};
}
Ymd YearOn(Ymd d, int n) {
  Ymd t = d + cr::years{n};
  return t.ok() ? t : Ymd{t.year() / t.month() / cr::last};
}

enum Act { kKey, kCtrlKey, kClick, kRightClick, kButton };
struct CalendarStep {
  Act act;
  UINT what;  // key, box index, or title button id
};

// What the calendar shows: the month, the chosen date (raised only in its own month) and the marks.
struct CalModel {
  cr::year_month shown;
  std::optional<Ymd> anchor;
  std::set<int> marks;  // days since the epoch
  bool neighbours = false;    // style 0x200: grey days are chosen where they stand
  bool clickSelects = false;  // style 0x1000000: a click never lowers a day

  bool Shows(Ymd d) const {
    cr::sys_days first{BoxDate(shown, 0)};
    return cr::sys_days{d} >= first && cr::sys_days{d} < first + cr::days{42};
  }
  std::optional<Ymd> Selected() const {
    if (anchor && (anchor->year() / anchor->month() == shown || (neighbours && Shows(*anchor)))) return anchor;
    return std::nullopt;
  }
  void MoveTo(Ymd t) {
    shown = t.year() / t.month();
    anchor = t;
  }
  void Apply(const CalendarStep& s) {
    std::optional<Ymd> sel = Selected();
    auto firstOf = [](cr::year_month ym) { return Ymd{ym / 1}; };
    if (s.act == kButton) {
      shown = s.what == 23241 ? shown + cr::months{1} : s.what == 23244 ? shown - cr::months{1}
              : s.what == 23243 ? shown + cr::years{1} : shown - cr::years{1};
      return;
    }
    if (s.act == kClick || s.act == kRightClick) {
      Ymd d = BoxDate(shown, (int)s.what);
      if (!neighbours) shown = d.year() / d.month();
      if (s.act == kClick) anchor = anchor == d && !clickSelects ? std::nullopt : std::optional<Ymd>(d);
      else if (const int day = cr::sys_days{d}.time_since_epoch().count(); !marks.erase(day)) marks.insert(day);
      return;
    }
    if (s.what == VK_HOME) return MoveTo(firstOf(shown));
    if (s.what == VK_END) return MoveTo(Ymd{shown / cr::last});
    if (!sel) return;  // moving without a chosen day only beeps
    cr::year_month ym = sel->year() / sel->month();
    bool ctrl = s.act == kCtrlKey;
    switch (s.what) {
      case VK_LEFT: return MoveTo(ctrl ? firstOf(ym - cr::months{1}) : Ymd{cr::sys_days{*sel} - cr::days{1}});
      case VK_RIGHT: return MoveTo(ctrl ? firstOf(ym + cr::months{1}) : Ymd{cr::sys_days{*sel} + cr::days{1}});
      case VK_UP: return MoveTo(ctrl ? YearOn(*sel, -1) : Ymd{cr::sys_days{*sel} - cr::days{7}});
      case VK_DOWN: return MoveTo(ctrl ? YearOn(*sel, 1) : Ymd{cr::sys_days{*sel} + cr::days{7}});
      case VK_PRIOR: return MoveTo(ctrl ? YearOn(*sel, -1) : firstOf(ym - cr::months{1}));
      case VK_NEXT: return MoveTo(ctrl ? YearOn(*sel, 1) : firstOf(ym + cr::months{1}));
      default: return;
    }
  }
};

class CalendarDatesTest : public CalendarTest {
 protected:
  void Open(CGXBCalendar& cal, Ymd shown, std::optional<Ymd> chosen, int x = 0) {
    if (chosen) cal.SelectDate(ToOle(*chosen), TRUE);
    cal.SetDate(ToOle(shown), FALSE);
    ASSERT_TRUE(cal.Create(WS_CHILD | WS_VISIBLE, CRect(x, 0, x + 280, 220), &m_owner));
    UiAutomation::Pump();
  }
  static void Do(CGXBCalendar& cal, const CalendarStep& s) {
    switch (s.act) {
      case kKey: UiAutomation::PressKey(s.what); break;
      case kCtrlKey: UiAutomation::PressKey(s.what, UiAutomation::kControl); break;
      case kClick: UiAutomation::Click(cal.m_hWnd, cal.GetDayBox((int)s.what)->m_rect.CenterPoint()); break;
      case kRightClick: UiAutomation::RightClick(cal.m_hWnd, cal.GetDayBox((int)s.what)->m_rect.CenterPoint()); break;
      case kButton: cal.SendMessage(WM_COMMAND, s.what); break;
    }
    UiAutomation::AdvanceClock(1000);  // no two clicks make a double-click
  }
  // Empty when the calendar shows what the model says, else the first difference.
  static std::string Differs(CGXBCalendar& cal, const CalModel& m) {
    std::ostringstream out;
    if (cal.GetDate().GetYear() != (int)m.shown.year() || cal.GetDate().GetMonth() != (int)(unsigned)m.shown.month())
      out << "shows " << cal.GetDate().GetYear() << "-" << cal.GetDate().GetMonth();
    COleDateTime got = cal.GetSelectedDate();
    std::optional<Ymd> sel = m.Selected();
    if ((got.GetStatus() == COleDateTime::valid) != sel.has_value() || (sel && ToYmd(got) != *sel))
      out << " selected " << (got.GetStatus() == COleDateTime::valid ? (double)got : -1.0);
    std::set<int> marked;
    for (const COleDateTime& d : cal.GetMarkedDates()) marked.insert(cr::sys_days{ToYmd(d)}.time_since_epoch().count());
    if (marked != m.marks) out << " marks";
    for (int i = 0; i < 42 && out.str().empty(); ++i) {
      CGXBDayBox& b = *cal.GetDayBox(i);
      Ymd d = BoxDate(m.shown, i);
      bool in = d.month() == m.shown.month();
      int inset = b.m_nInset;
      bool stale = !b.m_bDirty && (b.ComputeInsets(), b.m_nInset != inset);
      if (ToYmd(b.m_date) != d || !b.m_bOtherMonth != in || !b.m_bRaised != !((in || m.neighbours) && sel == d) ||
          !b.m_bRing != !(in && m.marks.count(cr::sys_days{d}.time_since_epoch().count())) ||
          stale)
        out << " box " << i;
    }
    return out.str();
  }
  void Run(const std::vector<CalendarStep>& steps, Ymd shown, std::optional<Ymd> chosen, const char* name, UINT style = 0) {
    CGXBCalendar cal;
    cal.m_nStyle |= style;
    Open(cal, shown, chosen);
    CalModel m{shown.year() / shown.month(), chosen, {}, (style & 0x200) != 0, (style & 0x1000000) != 0};
    for (size_t i = 0; i < steps.size(); ++i) {
      Do(cal, steps[i]);
      m.Apply(steps[i]);
      ASSERT_EQ("", Differs(cal, m)) << name << " step " << i;
    }
  }
};

// Each case: the month shown, the day chosen, one input, and the month and day after it.
TEST_F(CalendarDatesTest, KeysAndClicksLandOnTheCalendarsDates) {
  using namespace std::chrono;
  struct Case {
    Ymd shown;
    std::optional<Ymd> chosen;
    CalendarStep step;
    year_month wantShown;
    std::optional<Ymd> want;
  };
  const Case cases[] = {
      {2023y / 2 / 14, 2023y / 2 / 14, {kButton, 23241}, 2023y / 3, std::nullopt},  // ">" shows March
      {2023y / 2 / 14, 2023y / 2 / 14, {kButton, 23244}, 2023y / 1, std::nullopt},
      {2023y / 2 / 23, 2023y / 2 / 23, {kKey, VK_NEXT}, 2023y / 3, 2023y / 3 / 1},
      {2023y / 2 / 23, 2023y / 2 / 23, {kCtrlKey, VK_RIGHT}, 2023y / 3, 2023y / 3 / 1},
      {2023y / 1 / 31, 2023y / 1 / 31, {kKey, VK_NEXT}, 2023y / 2, 2023y / 2 / 1},
      {2023y / 3 / 31, 2023y / 3 / 31, {kKey, VK_PRIOR}, 2023y / 2, 2023y / 2 / 1},
      {2023y / 1 / 31, 2023y / 1 / 31, {kCtrlKey, VK_DOWN}, 2024y / 1, 2024y / 1 / 31},
      {2024y / 2 / 29, 2024y / 2 / 29, {kCtrlKey, VK_NEXT}, 2025y / 2, 2025y / 2 / 28},
      {2024y / 2 / 29, 2024y / 2 / 29, {kCtrlKey, VK_UP}, 2023y / 2, 2023y / 2 / 28},
      {2024y / 1 / 31, 2024y / 1 / 31, {kKey, VK_RIGHT}, 2024y / 2, 2024y / 2 / 1},
      {2024y / 3 / 3, 2024y / 3 / 3, {kKey, VK_UP}, 2024y / 2, 2024y / 2 / 25},
      {2024y / 2 / 10, std::nullopt, {kKey, VK_END}, 2024y / 2, 2024y / 2 / 29},
      {2024y / 2 / 10, std::nullopt, {kClick, 1}, 2024y / 1, 2024y / 1 / 29},  // a grey day of January
      {2024y / 2 / 10, std::nullopt, {kClick, 40}, 2024y / 3, 2024y / 3 / 8},
      {2024y / 2 / 10, 2024y / 2 / 14, {kClick, 17}, 2024y / 2, std::nullopt},  // a second click lowers it
  };
  for (const Case& c : cases) {
    CGXBCalendar cal;
    Open(cal, c.shown, c.chosen);
    Do(cal, c.step);
    year_month shown{year{cal.GetDate().GetYear()}, month{(unsigned)cal.GetDate().GetMonth()}};
    EXPECT_EQ(c.wantShown, shown) << (unsigned)c.shown.month() << "/" << (unsigned)c.shown.day();
    COleDateTime got = cal.GetSelectedDate();
    if (c.want) EXPECT_EQ(ToOle(*c.want), got) << (int)c.step.what;
    else EXPECT_EQ(COleDateTime::invalid, got.GetStatus()) << (int)c.step.what;
  }
  // A right click on a grey day marks that day, after showing its month.
  CGXBCalendar cal;
  Open(cal, 2024y / 2 / 10, std::nullopt);
  Do(cal, {kRightClick, 0});
  ASSERT_EQ(1u, cal.GetMarkedDates().size());
  EXPECT_EQ(COleDateTime(2024, 1, 28, 12, 0, 0), cal.GetMarkedDates()[0]);
  // An invalid date is no mark.
  COleDateTime bad;
  bad.SetStatus(COleDateTime::invalid);
  EXPECT_FALSE(cal.MarkDate(bad, TRUE));
  EXPECT_EQ(1u, cal.GetMarkedDates().size());
  // Choosing a day that is not shown leaves none chosen.
  EXPECT_TRUE(cal.SelectDate(2024, 1, 3, TRUE));
  EXPECT_FALSE(cal.SelectDate(2024, 6, 3, TRUE));
  EXPECT_EQ(COleDateTime::invalid, cal.GetSelectedDate().GetStatus());
}

// After a month change every day box is framed as in a calendar opened on that month.
TEST_F(CalendarDatesTest, MonthChangeRedrawsFramesAsAFreshCalendar) {
  using namespace std::chrono;
  auto picture = [](CGXBCalendar& cal) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 220; ++y)
      for (int x = 0; x < 280; ++x) pixels.push_back(GetWindowPixel(cal.m_hWnd, CPoint(x, y)));
    return pixels;
  };
  std::vector<COLORREF> moved;
  {
    CGXBCalendar cal;
    Open(cal, 2024y / 1 / 10, std::nullopt);
    cal.SendMessage(WM_COMMAND, 23241);
    UiAutomation::Pump();
    moved = picture(cal);
  }
  CGXBCalendar fresh;
  Open(fresh, 2024y / 2 / 1, std::nullopt);
  std::vector<COLORREF> want = picture(fresh);
  ASSERT_EQ(want.size(), moved.size());
  int differ = 0;
  for (size_t i = 0; i < want.size(); ++i) differ += want[i] != moved[i];
  EXPECT_EQ(0, differ);
}

// Short sequences where the calendar once left the model.
TEST_F(CalendarDatesTest, KeptSequencesFollowTheDateModel) {
  using namespace std::chrono;
  // A day clicked off stays off when its month comes back.
  Run({{kClick, 17}, {kButton, 23241}, {kButton, 23244}}, 2024y / 2 / 10, 2024y / 2 / 14, "lowered day");
  // A grey day pressed where clicks only select: its month comes and that day stays chosen.
  Run({{kClick, 37}}, 2024y / 2 / 10, std::nullopt, "grey 5 March", 0x1000000);
  // A grey day chosen where it stands loses its mark on the second right click.
  Run({{kRightClick, 37}, {kRightClick, 37}}, 2024y / 2 / 10, std::nullopt, "grey mark", 0x200);
}

// Random keys, clicks and title buttons against the model; sequences it once found are kept as cases.
TEST_F(CalendarDatesTest, RandomInputsFollowTheDateModel) {
  using namespace std::chrono;
  const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END};
  const UINT buttons[] = {23241, 23242, 23243, 23244};
  const UINT boxes[] = {1, 9, 17, 24, 33, 40};
  std::mt19937 rng(7606);
  for (int seq = 0; seq < 8; ++seq) {
    std::vector<CalendarStep> steps;
    for (int i = 0; i < 80; ++i) {
      switch (rng() % 5) {
        case 0: steps.push_back({kKey, keys[rng() % 8]}); break;
        case 1: steps.push_back({kCtrlKey, keys[rng() % 6]}); break;
        case 2: steps.push_back({kClick, boxes[rng() % 6]}); break;  // few boxes: days get clicked twice
        case 3: steps.push_back({rng() % 3 ? kClick : kRightClick, (UINT)(rng() % 42)}); break;
        default: steps.push_back({kButton, buttons[rng() % 4]}); break;
      }
    }
    // Grey days chosen in place (0x200), clicks that only select (0x1000000), each, both or neither.
    const UINT styles[] = {0, 0x1000200, 0x1000000, 0x200};
    Run(steps, 2023y / 5 / 17, 2023y / 5 / 17, ("seed sequence " + std::to_string(seq)).c_str(), styles[seq % 4]);
  }
}

}  // namespace
