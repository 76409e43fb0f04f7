// The date/time cell in a grid: the value through the field window, formats from the user
// attributes, typing, keys, pasted text split into fields, painting and sort keys.
#include "grid/controls/GXBCalendar.h"
#include "grid/controls/GXDateTimeCtrl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/SystemInfo.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/GridHostWnd.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class DateCell : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 480, 200), nullptr, 0);
    wnd.grid = &grid;
    grid.m_pGridWnd = &wnd;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(4);
    grid.GetParam()->GetData()->SetColCount(3);
    grid.SetColWidth(1, 3, 130);
    grid.SetRowHeight(1, 4, 24);
    cell = dynamic_cast<CGXDateTimeCtrl*>(grid.GetRegisteredControl(52543));
    ASSERT_NE(cell, nullptr);
    wnd.SetFocus();
    PumpMessages();
  }
  void TearDown() override {
    SetLocaleInfoForTesting(LOCALE_SSHORTDATE, nullptr);
    SetLocaleInfoForTesting(LOCALE_STIMEFORMAT, nullptr);
    wnd.DestroyWindow();
  }
  // A date cell with the value and user attributes (pairs of id and text).
  void Put(ROWCOL r, ROWCOL c, const char* value, std::vector<std::pair<UINT, const char*>> attrs = {}) {
    CGXStyle s;
    s.SetControl(52543);
    if (value) s.SetValue(value);
    for (auto& [id, text] : attrs) s.SetUserAttribute(id, text);
    grid.GetParam()->GetData()->StoreStyleAt(r, c, &s, 2);
    grid.FreeObjectCache();
  }
  CString Value(ROWCOL r, ROWCOL c) { return grid.LookupStyleRowCol(r, c).GetValue(); }
  COleDateTime Stored(ROWCOL r, ROWCOL c) {
    COleDateTime dt;
    CGXDateTimeCtrl::ParseValue(Value(r, c), dt);
    return dt;
  }
  CString Display(ROWCOL r, ROWCOL c) {
    CString text;
    cell->GetDisplayText(text, r, c, nullptr, &grid.LookupStyleRowCol(r, c));
    return text;
  }
  // The texts the active window's fields show.
  std::string Fields() {
    std::string out;
    for (int i = cell->GetPinnedCount(); i < cell->GetGadgetCount(); ++i) {
      CGXBDTGadget* g = cell->GetGadget(i);
      if (auto* n = dynamic_cast<CGXBDTNumericGadget*>(g)) out += n->GetText().GetString();
      else if (auto* l = dynamic_cast<CGXBDTListGadget*>(g)) out += l->GetText().GetString();
      else if (auto* s = dynamic_cast<CGXBDTStaticGadget*>(g)) out += s->GetText().GetString();
    }
    return out;
  }
  CGridRoutingHostWnd wnd;
  CGXGridCore grid;
  CGXDateTimeCtrl* cell = nullptr;
};

TEST_F(DateCell, EmptyTimeCellShowsMidnightAndNoText) {
  SetLocaleInfoForTesting(LOCALE_STIMEFORMAT, "HH:mm:ss");
  Put(1, 1, nullptr, {{51038, "0"}});
  ASSERT_TRUE(grid.SetCurrentCell(1, 1));
  UiAutomation::PressKey(VK_HOME);
  ASSERT_TRUE(cell->IsActive());
  EXPECT_EQ(Fields(), "00:00:00");
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(0.0));
  CString text = "x";
  EXPECT_FALSE(cell->GetDisplayText(text, 1, 1, nullptr, &grid.LookupStyleRowCol(1, 1)));
  EXPECT_EQ(text, "");
  // The window shows over the cell with its first field marked.
  wnd.Invalidate(FALSE);
  PumpMessages();
  EXPECT_TRUE(cell->IsWindowVisible());
  EXPECT_EQ(::GetFocus(), cell->m_hWnd);
  const CRect hour = cell->GetGadget(cell->GetPinnedCount())->GetRect();
  EXPECT_EQ(GetWindowPixel(cell->m_hWnd, CPoint(hour.left + 1, hour.top + 1)), ::GetSysColor(COLOR_HIGHLIGHT));
  SaveWindowImage(cell, dravonix::test::OutputPath("datecell-active.png").c_str());
}

TEST_F(DateCell, FormatsFromTheUserAttributes) {
  const struct {
    const char* type;    // nullptr: absent
    const char* custom;  // nullptr: absent
    const char* value;
    const char* display;
  } cases[] = {
      {nullptr, "yyyy-MM-dd", "12/24/2026", "2026-12-24"},  // a custom format without a type is used
      {"3", "dd.MM.yy", "1/5/2026", "5.1.26"},
      {"3", "", "1/5/2026", ""},  // custom without fields
      {nullptr, nullptr, "1/5/2026", "1/5/2026"},
      {"2", "yyyy", "3/1/2024", "Friday, March 1, 2024"},
      {"0", nullptr, "3/1/2024 14:05:09", "2:5:9 PM"},
      {nullptr, "yyyy", "not a date", ""},
      {"3", "d 'of' MMMM 'unclosed", "1/5/2026", "5 of January unclosed"},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<UINT, const char*>> attrs;
    if (c.type) attrs.push_back({51038, c.type});
    if (c.custom) attrs.push_back({51039, c.custom});
    Put(2, 2, c.value, attrs);
    EXPECT_EQ(Display(2, 2), c.display) << c.value << " " << (c.custom ? c.custom : "-");
  }
  // The attributes are registered under their names; the choice lists come with them.
  CGXStylesMap map;
  GXGetLibraryData().m_pControlFactory->RegisterAllUserAttributes(&map);
  for (UINT id = 51034; id <= 51039; ++id) ASSERT_NE(map.GetUserAttributeEntry(id), nullptr) << id;
  EXPECT_EQ(map.GetUserAttributeEntry(51039)->strName, "DateTime: Custom date format ");
  EXPECT_EQ(map.GetUserAttributeEntry(51038)->pStyle->GetChoiceList(), "Time 0\nShortDate 1\nLongDate 2\nCustom 3");
}

TEST_F(DateCell, FirstCharacterOnlyActivatesThenKeysEditAndStore) {
  Put(1, 2, "3/15/2024");
  ASSERT_TRUE(grid.SetCurrentCell(1, 2));
  UiAutomation::TypeText("7");
  ASSERT_TRUE(cell->IsActive());
  EXPECT_FALSE(cell->GetModify());
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(2024, 3, 15, 0, 0, 0));
  wnd.Invalidate(FALSE);
  PumpMessages();
  ASSERT_EQ(::GetFocus(), cell->m_hWnd);
  // Up steps the current field (the month) in the window; Enter stores the cell's new text.
  UiAutomation::PressKey(VK_UP);
  EXPECT_TRUE(cell->GetModify());
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(2024, 4, 15, 0, 0, 0));
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_FALSE(cell->IsActive());
  EXPECT_EQ(Stored(1, 2), COleDateTime(2024, 4, 15, 0, 0, 0));
  EXPECT_EQ(Value(1, 2), COleDateTime(2024, 4, 15, 0, 0, 0).Format());
  // Typed digits in the active window: the day becomes 20.
  UiAutomation::PressKey(VK_HOME);
  wnd.Invalidate(FALSE);
  PumpMessages();
  UiAutomation::PressKey(VK_RIGHT);
  UiAutomation::TypeText("20");
  EXPECT_EQ(cell->GetDateTime().GetDay(), 20);
  // A press on the spin steps the current field and keeps the mouse until the release.
  const CRect spin = cell->GetGadget(1)->GetRect();
  ASSERT_EQ(cell->GetGadget(1)->GetID(), CGXBDateTimeCtrl::Spin);
  PostMouseInput(cell->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{spin.CenterPoint().x, spin.top + 2});
  PumpMessages();
  EXPECT_EQ(cell->GetDateTime().GetDay(), 21);
  EXPECT_EQ(::GetCapture(), cell->m_hWnd);
  PostMouseInput(cell->m_hWnd, WM_LBUTTONUP, 0, POINT{spin.CenterPoint().x, spin.top + 2});
  PumpMessages();
  EXPECT_EQ(cell->GetDateTime().GetDay(), 21);
  UiAutomation::PressKey(VK_DOWN);
  // Tab leaves the cell and stores it; Delete in an active cell empties the value at once.
  UiAutomation::PressKey(VK_TAB);
  ROWCOL r = 0, c = 0;
  grid.GetCurrentCell(r, c);
  EXPECT_EQ(c, 3u);
  EXPECT_EQ(Stored(1, 2), COleDateTime(2024, 4, 20, 0, 0, 0));
  ASSERT_TRUE(grid.SetCurrentCell(1, 2));
  UiAutomation::PressKey(VK_END);
  wnd.Invalidate(FALSE);
  PumpMessages();
  UiAutomation::PressKey(VK_DELETE);
  EXPECT_EQ(Value(1, 2), "");
}

TEST_F(DateCell, DeleteShowsTheEmptyDateAtOnce) {
  // An emptied date cell shows today's date in its fields, the cell's window gone.
  for (const char* value : {"3/15/2024", ""}) {
    Put(1, 2, value);
    ASSERT_TRUE(grid.SetCurrentCell(1, 2));
    UiAutomation::PressKey(VK_HOME);
    wnd.Invalidate(FALSE);
    PumpMessages();
    ASSERT_TRUE(cell->IsWindowVisible()) << value;
    UiAutomation::PressKey(VK_DELETE);
    EXPECT_EQ(Value(1, 2), "");
    EXPECT_FALSE(cell->IsWindowVisible()) << value;
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(wnd.m_hWnd), 0) << value;
  }
}

// A read-only cell made active by a click keeps its value under every key that would change it, and
// shows what a repaint shows.
TEST_F(DateCell, AClickedReadOnlyCellRefusesEditsAndShowsAsARepaint) {
  const struct {
    const char* what;
    UINT vk, mods;
  } routes[] = {{"Delete", VK_DELETE, 0},         {"Backspace", VK_BACK, 0},
                {"a digit", '5', 0},              {"Ctrl+X", 'X', UiAutomation::kControl},
                {"Ctrl+V", 'V', UiAutomation::kControl}, {"Alt+Down", VK_DOWN, UiAutomation::kAlt}};
  for (const auto& r : routes) {
    Put(2, 2, "3/15/2024");
    CGXStyle ro;
    ro.SetReadOnly(TRUE);
    grid.GetParam()->GetData()->StoreStyleAt(2, 2, &ro, 0);
    grid.FreeObjectCache();
    grid.SetCurrentCell(4, 3);
    const CRect at = grid.CalcRectFromRowCol(2, 2);
    UiAutomation::Click(wnd.m_hWnd, POINT{at.left + 8, at.CenterPoint().y});
    UiAutomation::PressKey(r.vk, r.mods);
    PumpMessages();
    EXPECT_EQ(Value(2, 2), "3/15/2024") << r.what;
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(wnd.m_hWnd), 0) << r.what;
    if (cell->GetCalendar()) PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
    PumpMessages();
  }
}

TEST_F(DateCell, AltDownOpensTheCalendarWhoseClickedDayTheCellStores) {
  Put(1, 2, "3/15/2024");
  ASSERT_TRUE(grid.SetCurrentCell(1, 2));
  PostKeyInput(WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
  PumpMessages();
  ASSERT_TRUE(cell->IsActive());
  CGXBPopupCalendar* cal = cell->GetCalendar();
  ASSERT_NE(cal, nullptr);
  EXPECT_TRUE(cal->IsWindowVisible());
  EXPECT_EQ(cal->GetSelectedDate(), COleDateTime(2024, 3, 15, 12, 0, 0));
  int box = 0;
  while (box < 42 && cal->GetDayBox(box)->m_date != COleDateTime(2024, 3, 20, 12, 0, 0)) ++box;
  ASSERT_LT(box, 42);
  const CPoint at = cal->GetDayBox(box)->m_rect.CenterPoint();
  PostMouseInput(cal->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{at.x, at.y});
  PostMouseInput(cal->m_hWnd, WM_LBUTTONUP, 0, POINT{at.x, at.y});
  PumpMessages();
  EXPECT_EQ(cell->GetCalendar(), nullptr);
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(2024, 3, 20, 0, 0, 0));
  EXPECT_TRUE(cell->GetModify());
  EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(wnd.m_hWnd), 0);
  // Enter in the cell's window stores the day; Alt+Down there opens the calendar again.
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(Stored(1, 2), COleDateTime(2024, 3, 20, 0, 0, 0));
  UiAutomation::PressKey(VK_HOME);
  wnd.Invalidate(FALSE);
  PumpMessages();
  PostKeyInput(WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
  PumpMessages();
  ASSERT_NE(cell->GetCalendar(), nullptr);
  PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
  PumpMessages();
  EXPECT_EQ(cell->GetCalendar(), nullptr);
  EXPECT_EQ(Stored(1, 2), COleDateTime(2024, 3, 20, 0, 0, 0));
}

// A year the calendar cannot show opens it on today's month; Escape leaves the cell's date as it was.
TEST_F(DateCell, TheCalendarOfAYearItCannotShowOpensOnToday) {
  Put(1, 2, "3/15/1200");
  ASSERT_TRUE(grid.SetCurrentCell(1, 2));
  UiAutomation::PressKey(VK_DOWN, UiAutomation::kAlt);
  CGXBPopupCalendar* cal = cell->GetCalendar();
  ASSERT_NE(cal, nullptr);
  const COleDateTime today = COleDateTime::GetCurrentTime();
  EXPECT_EQ(cal->GetDate().GetYear(), today.GetYear());
  EXPECT_EQ(cal->GetDate().GetMonth(), today.GetMonth());
  EXPECT_EQ(cal->GetDayBox(41)->m_date - cal->GetDayBox(0)->m_date, COleDateTimeSpan(41, 0, 0, 0));
  UiAutomation::PressKey(VK_ESCAPE);
  EXPECT_EQ(cell->GetCalendar(), nullptr);
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(1200, 3, 15, 0, 0, 0));
}

TEST_F(DateCell, AttributesFixFieldsAndSetTheRange) {
  Put(1, 1, "3/19/2024", {{51034, "1"}, {51035, "3/1/2024"}, {51036, "3/20/2024"}, {51037, "2"}});
  ASSERT_TRUE(grid.SetCurrentCell(1, 1));
  COleDateTime lo, hi;
  int mode = -1;
  cell->GetRange(lo, hi, mode);
  EXPECT_EQ(mode, 2);
  EXPECT_EQ(hi, COleDateTime(2024, 3, 20, 0, 0, 0));
  for (int i = 0; i < cell->GetGadgetCount(); ++i) {
    const CGXBDTGadget* g = cell->GetGadget(i);
    if (g->GetID() == CGXBDateTimeCtrl::Year4 || g->GetID() == CGXBDateTimeCtrl::Month) {
      EXPECT_EQ(g->GetID() == CGXBDateTimeCtrl::Month, (g->GetStyle() & CGXBDTGadget::styleFocus) != 0);
    }
  }
  // Up on the day twice: the 20th, then refused at the maximum.
  UiAutomation::PressKey(VK_HOME);
  wnd.Invalidate(FALSE);
  PumpMessages();
  UiAutomation::PressKey(VK_RIGHT);
  for (int i = 0; i < 2; ++i) UiAutomation::PressKey(VK_UP);
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(2024, 3, 20, 0, 0, 0));
  // Alt+Down on the grid activates the cell and drops the calendar down.
  Put(3, 1, "3/19/2024");
  ASSERT_TRUE(grid.SetCurrentCell(3, 1));
  UiAutomation::PressKey(VK_DOWN, UiAutomation::kAlt);
  EXPECT_TRUE(cell->IsActive());
  ASSERT_NE(cell->GetCalendar(), nullptr);
  EXPECT_EQ(cell->GetCalendar()->GetSelectedDate().GetDay(), 19);
  UiAutomation::PressKey(VK_ESCAPE);
  EXPECT_EQ(cell->GetCalendar(), nullptr);
  // Unparsable bounds fall back to the widest range.
  Put(2, 1, "3/19/2024", {{51035, "x"}, {51036, "y"}, {51037, "3"}});
  ASSERT_TRUE(grid.SetCurrentCell(2, 1));
  cell->GetRange(lo, hi, mode);
  EXPECT_EQ(lo, COleDateTime(-657434.0));
  EXPECT_EQ(hi, COleDateTime(2958465.0));
}

// Text pasted under a short-date format and the date stored from it.
struct PasteCase {
  const char* shortDate;
  const char* text;
  COleDateTime expect;
};

TEST_F(DateCell, PastedTextFillsTheFieldsInScreenOrder) {
  const PasteCase cases[] = {
      {"dd.MM.yyyy", "1\r\n2\r\n2026", COleDateTime(2026, 2, 1, 0, 0, 0)},
      {"M/d/yyyy", "1\r\n2\r\n2026", COleDateTime(2026, 1, 2, 0, 0, 0)},
      {"M/d/yyyy", "7,4 1999", COleDateTime(1999, 7, 4, 0, 0, 0)},
      {"M/d/yyyy", "12/24/2026 8:30", COleDateTime(2026, 12, 24, 8, 30, 0)},  // parses whole: kept
  };
  for (const auto& c : cases) {
    SetLocaleInfoForTesting(LOCALE_SSHORTDATE, c.shortDate);
    Put(3, 1, "");
    EXPECT_TRUE(grid.StoreTextRowCol(3, 1, c.text, 2, nullptr)) << c.text;
    EXPECT_EQ(Stored(3, 1), c.expect) << c.shortDate << " " << Value(3, 1).GetString();
  }
  // Nothing to split is not stored; a read-only cell refuses.
  Put(3, 1, "1/1/2000");
  EXPECT_FALSE(grid.StoreTextRowCol(3, 1, " ,\r\n", 2, nullptr));
  EXPECT_EQ(Value(3, 1), "1/1/2000");
  CGXStyle ro;
  ro.SetReadOnly(TRUE);
  grid.GetParam()->GetData()->StoreStyleAt(3, 1, &ro, 0);
  grid.FreeObjectCache();
  EXPECT_FALSE(grid.StoreTextRowCol(3, 1, "2/2/2002", 2, nullptr));
}

TEST_F(DateCell, CtrlVSplitsTextIntoAnIdleCellAndFillsTheActiveField) {
  auto clip = [&](const char* text) {
    ASSERT_TRUE(::OpenClipboard(wnd.m_hWnd));
    ::EmptyClipboard();
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    std::memcpy(::GlobalLock(h), text, strlen(text) + 1);
    ::GlobalUnlock(h);
    ::SetClipboardData(CF_TEXT, h);
    ::CloseClipboard();
  };
  auto ctrlV = [&](HWND) {
    UiAutomation::PressKey('V', UiAutomation::kControl);
  };
  const PasteCase cases[] = {
      {"dd.MM.yyyy", "1 2 2026", COleDateTime(2026, 2, 1, 0, 0, 0)},
      {"M/d/yyyy", "7,4 1999", COleDateTime(1999, 7, 4, 0, 0, 0)},
      {"M/d/yyyy", "5", COleDateTime(2000, 5, 1, 0, 0, 0)},  // the first field only
  };
  for (const auto& c : cases) {
    SetLocaleInfoForTesting(LOCALE_SSHORTDATE, c.shortDate);
    Put(2, 2, "1/1/2000");
    ASSERT_TRUE(grid.SetCurrentCell(2, 2));
    clip(c.text);
    ctrlV(wnd.m_hWnd);
    EXPECT_FALSE(cell->IsActive()) << c.text;
    EXPECT_EQ(Stored(2, 2), c.expect) << c.shortDate << " " << Value(2, 2).GetString();
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(wnd.m_hWnd), 0) << c.text;
  }
  // In the active cell the text goes to the marked field: the month (first in M/d/yyyy) becomes 9.
  Put(2, 2, "3/15/2024");
  ASSERT_TRUE(grid.SetCurrentCell(2, 2));
  UiAutomation::PressKey(VK_HOME);
  wnd.Invalidate(FALSE);
  PumpMessages();
  ASSERT_TRUE(cell->IsActive());
  clip("9");
  ctrlV(cell->m_hWnd);
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(2024, 9, 15, 0, 0, 0));
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(Stored(2, 2), COleDateTime(2024, 9, 15, 0, 0, 0));
}

TEST_F(DateCell, InactiveCellsPaintTheirFields) {
  Put(2, 1, "12/24/2026", {{51039, "dd.MM.yyyy"}});
  Put(2, 2, "garbage", {{51038, "0"}});
  grid.SetCurrentCell(4, 3);
  wnd.Invalidate(FALSE);
  PumpMessages();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("datecell-inactive.png").c_str());
  const CRect r = grid.CalcRectFromRowCol(2, 1);
  auto dark = [&](const CRect& box) {
    int n = 0;
    for (int x = box.left; x < box.right; ++x)
      for (int y = box.top; y < box.bottom; ++y) {
        const COLORREF p = GetWindowPixel(wnd.m_hWnd, CPoint(x, y));
        n += GetRValue(p) < 100 && GetGValue(p) < 100 && GetBValue(p) < 100;
      }
    return n;
  };
  // Text in the fields' part, the drop-down and spin buttons in the button face at the right.
  EXPECT_GT(dark(CRect(r.left + 2, r.top + 2, r.left + 70, r.bottom - 2)), 20);
  EXPECT_EQ(GetWindowPixel(wnd.m_hWnd, CPoint(r.right - 24, r.top + 4)), ::GetSysColor(COLOR_BTNFACE));
  // An unparsable value paints day 0 in a time cell.
  const CRect t = grid.CalcRectFromRowCol(2, 2);
  EXPECT_GT(dark(CRect(t.left + 2, t.top + 2, t.left + 70, t.bottom - 2)), 20);
  CGXStyle style = grid.LookupStyleRowCol(2, 1);
  CClientDC dc(&wnd);
  const CSize size = cell->CalcSize(&dc, 2, 1, style);
  EXPECT_GT(size.cx, dc.GetTextExtent("24.12.2026").cx);
  style.SetValue("not a date");
  EXPECT_EQ(cell->CalcSize(&dc, 2, 1, style), CSize(0, 0));
}

TEST_F(DateCell, FindsFieldsAndReplacesThem) {
  Put(1, 1, "3/15/2024", {{51039, "dd MMMM yyyy"}});
  Put(2, 1, "3/15/2024", {{51039, "dd MMMM yyyy"}});
  GXFindReplaceState find;
  const struct {
    const char* text;
    bool found;
    const char* selected;
  } cases[] = {{"MAR", true, "March"}, {"2024", true, "2024"}, {"15", true, "15"}, {"20x", false, ""}, {"APR", false, ""}};
  for (const auto& c : cases) {
    ASSERT_TRUE(grid.SetCurrentCell(3, 3));
    find.strFind = find.strFindUpper = c.text;
    EXPECT_EQ(cell->FindText(find, 1, 1, TRUE, TRUE), c.found) << c.text;
    CString sel;
    cell->GetSelectedText(sel);
    EXPECT_EQ(sel, c.selected) << c.text;
  }
  // The found month takes the next name that begins with the replacement.
  ASSERT_TRUE(grid.SetCurrentCell(3, 3));
  find.strFind = find.strFindUpper = "MAR";
  ASSERT_TRUE(cell->FindText(find, 1, 1, TRUE, TRUE));
  EXPECT_TRUE(cell->ReplaceSelectedText("Jul"));
  EXPECT_EQ(cell->GetDateTime().GetMonth(), 7);
  find.strFind = find.strFindUpper = "15";
  find.strReplace = "20";
  EXPECT_TRUE(cell->ReplaceAll(find, 2, 1));
  EXPECT_EQ(cell->GetDateTime(), COleDateTime(2024, 3, 20, 0, 0, 0));
}

TEST_F(DateCell, SortKeysAreSignedSecondsFromDayZero) {
  const struct {
    const char* value;
    const char* key;
  } cases[] = {
      {"12/30/1899", "0"},
      {"12/31/1899 0:00:01", "86401"},
      {"12/29/1899 6:00:00", "-64800"},
      {"1/1/1900", "172800"},
      {"no date", "no date"},
  };
  CGXSortInfo info;
  for (const auto& c : cases) {
    Put(1, 1, c.value);
    CString key;
    grid.GetSortKey(cell, 1, 1, info, grid.LookupStyleRowCol(1, 1), key);
    EXPECT_EQ(key, c.key) << c.value;
  }
}

}  // namespace
