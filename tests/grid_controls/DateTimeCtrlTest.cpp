// The date/time edit window and its field gadgets: formats into fields, typing, name lists with
// type-ahead, the held spin, field actions with the month end, range snapping and notifications.
#include "grid/controls/GXBCalendar.h"
#include "grid/controls/GXBDateTimeCtrl.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CDtHost : public CWnd {
 public:
  std::vector<WPARAM> m_commands;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (lParam) m_commands.push_back(wParam);
    return CWnd::OnCommand(wParam, lParam);
  }
};

class DateTimeCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
    Automation::Instance().ClearBeeps();
    m_host.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "host",
                    WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
  }
  void TearDown() override {
    if (m_dt.GetSafeHwnd()) m_dt.DestroyWindow();
    m_host.DestroyWindow();
    UiAutomation::Pump();
    Clock::UseRealTime();
  }
  // Creates the window over a value with a custom format.
  void Make(const char* format, COleDateTime value, DWORD style = 0, DWORD exStyle = 0) {
    m_dt.SetDateTime(value);
    m_dt.Create(exStyle, WS_VISIBLE | style, CRect(10, 10, 250, 34), &m_host, 40);
    m_dt.SetFormat(format);
    m_dt.SetFocus();
    UiAutomation::Pump();
  }
  int Index(int id) {
    for (int i = 0; i < m_dt.GetGadgetCount(); ++i)
      if (m_dt.GetGadget(i)->GetID() == id) return i;
    return -1;
  }
  // Moves the keyboard to the field with that id.
  void Focus(int id) {
    int target = Index(id);
    while (m_dt.GetCurrentGadget() > target) UiAutomation::PressKey(VK_LEFT);
    while (m_dt.GetCurrentGadget() < target) UiAutomation::PressKey(VK_RIGHT);
  }
  void Type(const char* s) {
    UiAutomation::TypeText(s);
  }
  std::string Shown(int id) {
    CGXBDTGadget* g = m_dt.GetGadget(Index(id));
    if (auto* n = dynamic_cast<CGXBDTNumericGadget*>(g)) return n->GetText().GetString();
    if (auto* l = dynamic_cast<CGXBDTListGadget*>(g)) return l->GetText().GetString();
    return "";
  }
  size_t Beeps() { return Automation::Instance().Beeps().size(); }
  CDtHost m_host;
  CGXBDateTimeCtrl m_dt;
};

TEST_F(DateTimeCtrlTest, FormatsBecomeFields) {
  struct Case {
    const char* format;
    std::vector<int> ids;  // -1 literal text
  } cases[] = {
      {"yyy", {1024}},
      {"y", {512}},
      {"ddd", {64}},
      {"d.MM.yyyy", {32, -1, 128, -1, 1024}},
      {"dddd, MMMM dd, yyyy gg", {64, -1, 256, -1, 32, -1, 1024, -1}},
      {"hh:mm:ss tt", {1, -1, 4, -1, 8, -1, 16}},
      {"HH'h'mm", {2, -1, 4}},
      {"-/-", {-1}},
      {"'unclosed quote h", {-1}},
  };
  Make("", COleDateTime(2024, 3, 5, 14, 7, 9));
  EXPECT_EQ(0, m_dt.GetGadgetCount());
  for (const Case& c : cases) {
    m_dt.SetFormat(c.format);
    std::vector<int> ids;
    for (int i = 0; i < m_dt.GetGadgetCount(); ++i) ids.push_back(m_dt.GetGadget(i)->GetID());
    EXPECT_EQ(c.ids, ids) << c.format;
  }
  m_dt.SetFormat("dddd MMM yy yyyy hh tt");
  EXPECT_EQ("Tuesday", Shown(64));
  EXPECT_EQ("Mar", Shown(256));
  EXPECT_EQ("24", Shown(512));
  EXPECT_EQ("2024", Shown(1024));
  EXPECT_EQ("02", Shown(1));
  EXPECT_EQ("PM", Shown(16));
  m_dt.SetFormatType(1);  // the locale's short date
  EXPECT_EQ(5, m_dt.GetGadgetCount());
  for (int bad : {5, -1}) {
    bool thrown = false;
    try {
      m_dt.GetGadget(bad);
    } catch (CInvalidArgException* e) {
      thrown = true;
      e->Delete();
    }
    EXPECT_TRUE(thrown) << bad;
  }
}

TEST_F(DateTimeCtrlTest, TypingNumbersAndNameLists) {
  Make("MM/dd/yyyy", COleDateTime(2024, 1, 31, 10, 0, 0));
  // "7" stays open; leaving the field commits it.
  Type("7");
  EXPECT_TRUE(m_dt.IsTyping());
  EXPECT_EQ(1, m_dt.GetDateTime().GetMonth());
  EXPECT_EQ("7", Shown(128));
  UiAutomation::PressKey(VK_RIGHT);
  EXPECT_FALSE(m_dt.IsTyping());
  EXPECT_EQ(7, m_dt.GetDateTime().GetMonth());
  // "13" beeps and shows the old month.
  Focus(128);
  size_t beeps = Beeps();
  Type("13");
  EXPECT_EQ(beeps + 1, Beeps());
  EXPECT_EQ(0xFFFFFFFFu, Automation::Instance().Beeps().back());
  EXPECT_EQ("07", Shown(128));
  // Typed zeros count; a non-digit drops what was typed.
  Focus(1024);
  Type("1999");
  EXPECT_EQ(1999, m_dt.GetDateTime().GetYear());
  Type("20x");
  EXPECT_EQ(1999, m_dt.GetDateTime().GetYear());
  // Month names: from January "j" is June, a second "j" within 2 s July; later it starts anew.
  m_dt.SetFormat("MMMM d");
  m_dt.SetDateTime(COleDateTime(2024, 1, 15, 0, 0, 0));
  Focus(256);
  Type("j");
  EXPECT_EQ(6, m_dt.GetDateTime().GetMonth());
  UiAutomation::AdvanceClock(1500);
  Type("j");
  EXPECT_EQ(7, m_dt.GetDateTime().GetMonth());
  UiAutomation::AdvanceClock(2100);
  EXPECT_EQ(0u, CGXBDTGadget::TimerCount());
  Type("ju");  // "j" goes on to January, "ju" to June
  EXPECT_EQ(6, m_dt.GetDateTime().GetMonth());
  Type("l");
  EXPECT_EQ(7, m_dt.GetDateTime().GetMonth());
  beeps = Beeps();
  UiAutomation::AdvanceClock(2100);
  Type("q");
  EXPECT_EQ(beeps + 1, Beeps());
}

TEST_F(DateTimeCtrlTest, FieldActionsWrapAndKeepToTheMonthEnd) {
  struct Case {
    const char* format;
    int id, action, number;
    COleDateTime from, to;
  } cases[] = {
      {"MM/dd/yyyy", 128, 1, 0, COleDateTime(2024, 1, 31, 0, 0, 0), COleDateTime(2024, 2, 29, 0, 0, 0)},
      {"MM/dd/yyyy", 128, 1, 0, COleDateTime(2023, 1, 31, 0, 0, 0), COleDateTime(2023, 2, 28, 0, 0, 0)},
      {"MM/dd/yyyy", 32, 2, 0, COleDateTime(2023, 2, 1, 0, 0, 0), COleDateTime(2023, 2, 28, 0, 0, 0)},
      {"MM/dd/yyyy", 32, 1, 0, COleDateTime(2023, 2, 28, 0, 0, 0), COleDateTime(2023, 2, 1, 0, 0, 0)},
      {"MM/dd/yyyy", 32, 9, 0, COleDateTime(2023, 4, 5, 0, 0, 0), COleDateTime(2023, 4, 30, 0, 0, 0)},
      {"MM/dd/yyyy", 128, 2, 0, COleDateTime(2023, 1, 5, 0, 0, 0), COleDateTime(2022 + 1, 12, 5, 0, 0, 0)},
      {"MM/dd/yyyy", 1024, 3, 7, COleDateTime(9995, 1, 5, 0, 0, 0), COleDateTime(9999, 1, 5, 0, 0, 0)},
      {"MM/dd/yyyy", 1024, 4, 7, COleDateTime(104, 1, 5, 0, 0, 0), COleDateTime(100, 1, 5, 0, 0, 0)},
      {"MM/dd/yyyy", 1024, 1, 0, COleDateTime(2024, 2, 29, 0, 0, 0), COleDateTime(2025, 2, 28, 0, 0, 0)},
      {"dddd", 64, 8, 0, COleDateTime(2024, 3, 6, 0, 0, 0), COleDateTime(2024, 3, 3, 0, 0, 0)},
      {"dddd", 64, 7, 6, COleDateTime(2024, 2, 28, 0, 0, 0), COleDateTime(2024, 3, 2, 0, 0, 0)},
      {"HH:mm:ss", 2, 1, 0, COleDateTime(2024, 3, 6, 23, 0, 0), COleDateTime(2024, 3, 6, 0, 0, 0)},
      {"HH:mm:ss", 4, 4, 9, COleDateTime(2024, 3, 6, 1, 1, 0), COleDateTime(2024, 3, 6, 1, 59, 0)},
      {"HH:mm:ss", 8, 9, 0, COleDateTime(2024, 3, 6, 1, 1, 0), COleDateTime(2024, 3, 6, 1, 1, 59)},
      {"hh:mm tt", 1, 7, 3, COleDateTime(2024, 3, 6, 15, 0, 0), COleDateTime(2024, 3, 6, 15, 0, 0)},
      {"hh:mm tt", 1, 7, 12, COleDateTime(2024, 3, 6, 15, 0, 0), COleDateTime(2024, 3, 6, 12, 0, 0)},
      {"hh:mm tt", 1, 7, 12, COleDateTime(2024, 3, 6, 9, 0, 0), COleDateTime(2024, 3, 6, 0, 0, 0)},
      {"hh:mm tt", 16, 1, 0, COleDateTime(2024, 3, 6, 9, 0, 0), COleDateTime(2024, 3, 6, 21, 0, 0)},
  };
  Make("MM/dd/yyyy", COleDateTime(2024, 1, 1, 0, 0, 0));
  for (const Case& c : cases) {
    m_dt.SetFormat(c.format);
    m_dt.SetDateTime(c.from);
    EXPECT_TRUE(m_dt.OnGadgetAction(c.action, c.id, c.number)) << c.format << " " << c.id << " " << c.action;
    EXPECT_EQ(c.to, m_dt.GetDateTime()) << c.id << " " << c.action << " "
                                         << m_dt.GetDateTime().Format().GetString();
  }
  // Refused: a day that does not exist, a number out of range, an unknown field.
  m_dt.SetDateTime(COleDateTime(2023, 2, 5, 0, 0, 0));
  EXPECT_FALSE(m_dt.OnGadgetAction(7, 32, 30));
  EXPECT_FALSE(m_dt.OnGadgetAction(7, 4, 60));
  EXPECT_FALSE(m_dt.OnGadgetAction(1, 77, 0));
  EXPECT_EQ(COleDateTime(2023, 2, 5, 0, 0, 0), m_dt.GetDateTime());
}

TEST_F(DateTimeCtrlTest, RangeSnapsOntoTheBoundOrRefuses) {
  Make("HH:mm:ss", COleDateTime(2024, 3, 6, 10, 29, 45));
  COleDateTime maxTime(2024, 3, 6, 10, 30, 0);
  ASSERT_TRUE(m_dt.SetRange(COleDateTime(2024, 3, 6, 0, 0, 0), maxTime, 3));
  struct Case {
    COleDateTime from;
    int id;
    BOOL ok;
    COleDateTime to;
  } cases[] = {
      {COleDateTime(2024, 3, 6, 10, 29, 45), 4, TRUE, maxTime},
      {COleDateTime(2024, 3, 6, 9, 45, 0), 2, TRUE, maxTime},
      {COleDateTime(2024, 3, 6, 10, 15, 0), 2, FALSE, COleDateTime(2024, 3, 6, 10, 15, 0)},
      {maxTime, 8, FALSE, maxTime},  // seconds do not snap
  };
  for (const Case& c : cases) {
    m_dt.SetDateTime(c.from);
    EXPECT_EQ(c.ok, m_dt.OnGadgetAction(1, c.id, 0)) << c.id;
    EXPECT_EQ(c.to, m_dt.GetDateTime());
  }
  // A value outside the range stays as set; only SetRange pulls it onto the bound.
  m_dt.SetDateTime(COleDateTime(2024, 3, 6, 11, 0, 0));
  EXPECT_EQ(11, m_dt.GetDateTime().GetHour());
  EXPECT_TRUE(m_dt.SetRange(COleDateTime(2024, 3, 6, 0, 0, 0), maxTime, 3));
  EXPECT_EQ(maxTime, m_dt.GetDateTime());
  EXPECT_FALSE(m_dt.SetRange(maxTime, COleDateTime(2024, 3, 5, 0, 0, 0), 3));
  // Time-of-day mode keeps the value's own date when it snaps.
  m_dt.SetDateTime(COleDateTime(2020, 1, 2, 23, 0, 0));
  EXPECT_TRUE(m_dt.SetRange(COleDateTime(1999, 1, 1, 8, 0, 0), COleDateTime(1999, 1, 1, 17, 0, 0), 1));
  EXPECT_EQ(COleDateTime(2020, 1, 2, 17, 0, 0), m_dt.GetDateTime());
}

TEST_F(DateTimeCtrlTest, AcceptedChangesNotifyTheParent) {
  for (DWORD ex : {0u, (DWORD)WS_EX_NOPARENTNOTIFY}) {
    Make("MM/dd/yyyy", COleDateTime(2024, 1, 31, 0, 0, 0), 0, ex);
    m_host.m_commands.clear();
    Focus(128);
    UiAutomation::PressKey(VK_UP);
    Type("13");  // refused
    EXPECT_EQ(2, m_dt.GetDateTime().GetMonth());
    EXPECT_TRUE(m_dt.GetModify());
    if (ex) {
      EXPECT_TRUE(m_host.m_commands.empty());
    } else {
      EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(40, 0x100)}), m_host.m_commands);
    }
    m_dt.DestroyWindow();
  }
}

TEST_F(DateTimeCtrlTest, HeldSpinRepeatsFasterAndFaster) {
  Make("yyyy", COleDateTime(2000, 6, 1, 0, 0, 0), CGXBDateTimeCtrl::styleSpin);
  CGXBDTGadget* spin = m_dt.GetGadget(Index(CGXBDateTimeCtrl::Spin));
  CRect r = spin->GetRect();
  CPoint upper(r.CenterPoint().x, r.top + 2);
  PostMouseInput(m_dt.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, upper);
  UiAutomation::Pump();
  EXPECT_EQ(2001, m_dt.GetDateTime().GetYear());  // at once
  UiAutomation::AdvanceClock(499, 1);
  EXPECT_EQ(2001, m_dt.GetDateTime().GetYear());
  UiAutomation::AdvanceClock(1, 1);
  EXPECT_EQ(2002, m_dt.GetDateTime().GetYear());  // after 500 ms
  UiAutomation::AdvanceClock(1900, 10);  // 19 more ticks of 100 ms: repeat 20
  EXPECT_EQ(2021, m_dt.GetDateTime().GetYear());
  UiAutomation::AdvanceClock(3000, 10);  // repeats 21..50 step 2
  EXPECT_EQ(2081, m_dt.GetDateTime().GetYear());
  UiAutomation::AdvanceClock(100, 10);  // repeat 51 steps 5
  EXPECT_EQ(2086, m_dt.GetDateTime().GetYear());
  // Dragging off stops it; back on restarts at step 1.
  PostMouseInput(m_dt.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, CPoint(upper.x, r.bottom - 1));
  UiAutomation::Pump();
  UiAutomation::AdvanceClock(1000, 10);
  EXPECT_EQ(2086, m_dt.GetDateTime().GetYear());
  PostMouseInput(m_dt.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, upper);
  UiAutomation::Pump();
  UiAutomation::AdvanceClock(100, 10);
  EXPECT_EQ(2087, m_dt.GetDateTime().GetYear());
  PostMouseInput(m_dt.m_hWnd, WM_LBUTTONUP, 0, upper);
  UiAutomation::Pump();
  EXPECT_EQ(0u, CGXBDTGadget::TimerCount());
  UiAutomation::AdvanceClock(1000, 10);
  EXPECT_EQ(2087, m_dt.GetDateTime().GetYear());
  // The spin stays pinned at the right edge.
  CRect client;
  m_dt.GetClientRect(&client);
  EXPECT_EQ(client.right, spin->GetRect().right);
}

TEST_F(DateTimeCtrlTest, NarrowWindowScrollsToTheCurrentFieldAndKeepsItsSpinPinned) {
  m_dt.SetDateTime(COleDateTime(2024, 3, 6, 14, 7, 9));
  m_dt.Create(0, WS_VISIBLE | CGXBDateTimeCtrl::styleSpin, CRect(10, 10, 90, 34), &m_host, 40);
  m_dt.SetFormat("dddd, MMMM dd, yyyy HH:mm:ss");
  m_dt.SetFocus();
  CRect client;
  m_dt.GetClientRect(&client);
  for (int i = 0; i < 6; ++i) UiAutomation::PressKey(VK_RIGHT);
  EXPECT_EQ(Index(CGXBDateTimeCtrl::Second), m_dt.GetCurrentGadget());
  EXPECT_GT(m_dt.GetScrollOffset(), 0);
  CRect sec = m_dt.GetGadget(m_dt.GetCurrentGadget())->GetRect();
  EXPECT_LE(sec.right - m_dt.GetScrollOffset(), client.right - 16);
  EXPECT_EQ(client.right, m_dt.GetGadget(Index(CGXBDateTimeCtrl::Spin))->GetRect().right);
  // Right stops at the last field; Home and End take the field's first and last values.
  UiAutomation::PressKey(VK_RIGHT);
  EXPECT_EQ(Index(CGXBDateTimeCtrl::Second), m_dt.GetCurrentGadget());
  UiAutomation::PressKey(VK_END);
  EXPECT_EQ(59, m_dt.GetDateTime().GetSecond());
  for (int i = 0; i < 6; ++i) UiAutomation::PressKey(VK_LEFT);
  EXPECT_LE(m_dt.GetScrollOffset(), 1);  // back at the first field's left edge
}

TEST_F(DateTimeCtrlTest, DrawsTheFocusedFieldHighlighted) {
  Make("MM/dd/yyyy", COleDateTime(2024, 2, 29, 0, 0, 0), CGXBDateTimeCtrl::styleDropDown);
  UiAutomation::Pump();
  SaveWindowImage(&m_host, dravonix::test::OutputPath("datetime-edit.png").c_str());
  CRect month = m_dt.GetGadget(Index(128))->GetRect();
  CRect year = m_dt.GetGadget(Index(1024))->GetRect();
  EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), GetWindowPixel(m_dt.m_hWnd, CPoint(month.left + 1, month.top + 1)));
  EXPECT_EQ(::GetSysColor(COLOR_WINDOW), GetWindowPixel(m_dt.m_hWnd, CPoint(year.left + 1, year.top + 1)));
  // A click makes a field current.
  UiAutomation::Click(m_dt.m_hWnd, year.CenterPoint());
  EXPECT_EQ(Index(1024), m_dt.GetCurrentGadget());
  EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), GetWindowPixel(m_dt.m_hWnd, CPoint(year.left + 1, year.top + 1)));
  UiAutomation::Click(m_dt.m_hWnd, month.CenterPoint());
  // F4 drops the calendar down with the value selected; Escape closes it without a change.
  UiAutomation::PressKey(VK_F4);
  ASSERT_NE(nullptr, m_dt.GetCalendar());
  EXPECT_EQ(COleDateTime(2024, 2, 29, 12, 0, 0), m_dt.GetCalendar()->GetSelectedDate());
  UiAutomation::PressKey(VK_ESCAPE);
  EXPECT_EQ(nullptr, m_dt.GetCalendar());
  EXPECT_EQ(COleDateTime(2024, 2, 29, 0, 0, 0), m_dt.GetDateTime());
  // Choosing a day takes its date and keeps the time.
  m_dt.SetDateTime(COleDateTime(2024, 2, 29, 8, 30, 0));
  // The keys came back to the fields as the calendar closed: Alt+Down opens it again.
  EXPECT_EQ(::GetFocus(), m_dt.m_hWnd);
  UiAutomation::PressKey(VK_DOWN, UiAutomation::kAlt);
  ASSERT_NE(nullptr, m_dt.GetCalendar());
  UiAutomation::PressKey(VK_LEFT);
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(nullptr, m_dt.GetCalendar());
  EXPECT_EQ(COleDateTime(2024, 2, 28, 8, 30, 0), m_dt.GetDateTime());
  // Without an open calendar its messages change nothing.
  m_dt.SendMessage(GX_DTM_CALSELECT);
  m_dt.SendMessage(GX_DTM_CALCANCEL);
  EXPECT_EQ(COleDateTime(2024, 2, 28, 8, 30, 0), m_dt.GetDateTime());
}

}  // namespace
