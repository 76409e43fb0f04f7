// List and combo boxes (sorted, owner-drawn, item data, selection by mouse and keys, check lists),
// spin buttons whose steps can be refused, sliders, progress bars, tooltips, bars and popup menus.
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/ui/ControlBar.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

class COwnerList : public CListBox {
 public:
  std::vector<UINT> m_drawn;
  std::vector<ULONG_PTR> m_deleted;
  int m_compares = 0;
  void DrawItem(LPDRAWITEMSTRUCT dis) override {
    m_drawn.push_back(dis->itemID);
    CDC* dc = CDC::FromHandle(dis->hDC);
    dc->FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) ? RGB(0, 0, 255) : RGB(0, 255, 0));
  }
  void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = 10 + (UINT)mis->itemData; }
  int CompareItem(LPCOMPAREITEMSTRUCT cis) override {
    ++m_compares;
    return cis->itemData1 < cis->itemData2 ? -1 : cis->itemData1 > cis->itemData2 ? 1 : 0;
  }
  void DeleteItem(LPDELETEITEMSTRUCT dis) override { m_deleted.push_back(dis->itemData); }
};

class CSpinHost : public CWnd {
 public:
  bool m_refuse = false;
  std::vector<int> m_deltas;
  std::vector<std::pair<int, int>> m_notes;
  HWND m_bounceTo = nullptr;

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    auto* hdr = (NMHDR*)lParam;
    if (hdr->code == UDN_DELTAPOS) {
      m_deltas.push_back(((NMUPDOWN*)lParam)->iDelta);
      *pResult = m_refuse ? 1 : 0;
      return TRUE;
    }
    if (hdr->code == TTN_NEEDTEXT) {
      strcpy(((TOOLTIPTEXT*)lParam)->szText, "asked");
      return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (lParam) m_notes.emplace_back(LOWORD(wParam), HIWORD(wParam));
    // Once armed, a control taking the focus sends it on, as a field refusing to be left does.
    const WORD code = HIWORD(wParam);
    if (m_bounceTo && (code == EN_SETFOCUS || code == LBN_SETFOCUS || code == CBN_SETFOCUS)) {
      HWND to = m_bounceTo;
      m_bounceTo = nullptr;
      ::SetFocus(to);
    }
    return CWnd::OnCommand(wParam, lParam);
  }
};

// Drags a window bar's thumb `along` pixels; far enough, it stops at the bar's end.
void DragThumb(HWND h, dravonix::test::BarPress thumb, int along) {
  using dravonix::test::bars::PartPoint;
  UiAutomation::Drag(h, PartPoint(h, thumb), PartPoint(h, thumb, along), 3);
}

// A press on the vertical bar, where it shows: an arrow, a page area, the thumb dragged a little or
// to either end.
void PressListBar(HWND h, int a) {
  using namespace dravonix::test;
  if (!(::GetWindowLong(h, GWL_STYLE) & WS_VSCROLL)) return;
  switch (a % 7) {
    case 0: bars::Press(h, kUpArrow); break;
    case 1: bars::Press(h, kDownArrow); break;
    case 2: bars::Press(h, kPageAbove); break;
    case 3: bars::Press(h, kPageBelow); break;
    case 4: DragThumb(h, kThumbDown, a - 20); break;
    case 5: DragThumb(h, kThumbDown, -2000); break;
    default: DragThumb(h, kThumbDown, 2000); break;
  }
}

class ControlListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    m_host.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "host",
                    WS_POPUP | WS_VISIBLE, CRect(50, 50, 450, 400), nullptr, 0);
  }
  void TearDown() override {
    m_host.DestroyWindow();
    Clock::UseRealTime();
  }
  CSpinHost m_host;
};

TEST_F(ControlListTest, OwnerDrawnSortedListWithItemData) {
  COwnerList list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWVARIABLE | LBS_SORT | LBS_NOTIFY,
                          CRect(10, 10, 110, 110), &m_host, 5));
  for (ULONG_PTR v : {30u, 10u, 20u}) list.AddString((LPCSTR)v);
  EXPECT_EQ(3, list.GetCount());
  EXPECT_GT(list.m_compares, 0);
  EXPECT_EQ(10u, list.GetItemData(0));
  EXPECT_EQ(30u, list.GetItemData(2));
  EXPECT_EQ(20, list.GetItemHeight(0));
  EXPECT_EQ(40, list.GetItemHeight(2));
  UiAutomation::Pump();
  EXPECT_EQ(3u, list.m_drawn.size());
  // A click selects and notifies; the drawn colour follows the selection.
  CRect r;
  list.GetItemRect(1, &r);
  m_host.m_notes.clear();
  UiAutomation::Click(list.m_hWnd, r.CenterPoint());
  EXPECT_EQ(1, list.GetCurSel());
  ASSERT_FALSE(m_host.m_notes.empty());
  EXPECT_EQ(std::make_pair(5, (int)LBN_SELCHANGE), m_host.m_notes.back());
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(list.m_hWnd, POINT{r.left + 2, r.top + 2}));
  UiAutomation::PressKey(VK_DOWN);
  EXPECT_EQ(2, list.GetCurSel());
  list.DeleteString(0);
  list.ResetContent();
  std::vector<ULONG_PTR> deleted{10, 20, 30};
  std::sort(list.m_deleted.begin(), list.m_deleted.end());
  EXPECT_EQ(deleted, list.m_deleted);
  EXPECT_EQ(LB_ERR, list.GetItemRect(5, &r));
  EXPECT_EQ(LB_ERR, list.SetItemData(9, 1));
}

TEST_F(ControlListTest, StringListsFindSelectAndCheck) {
  CCheckListBox list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY, CRect(10, 10, 150, 150),
                          &m_host, 6));
  list.AddString("Position");
  list.AddString("velocity");
  list.AddString("Current");
  EXPECT_EQ(1, list.FindString(-1, "VEL"));
  EXPECT_EQ(2, list.FindStringExact(-1, "current"));
  EXPECT_EQ(LB_ERR, list.FindStringExact(-1, "curr"));
  EXPECT_EQ(0, list.SelectString(-1, "pos"));
  CString text;
  list.GetText(1, text);
  EXPECT_STREQ("velocity", text);
  // The check box toggles on a click on it and on Space.
  CRect r;
  list.GetItemRect(2, &r);
  UiAutomation::Click(list.m_hWnd, POINT{r.left + 6, r.CenterPoint().y});
  EXPECT_EQ(1, list.GetCheck(2));
  list.SetCurSel(0);
  UiAutomation::PressKey(VK_SPACE);
  EXPECT_EQ(1, list.GetCheck(0));
  UiAutomation::PressKey('C');
  EXPECT_EQ(2, list.GetCurSel());

  CListBox multi;
  multi.Create(WS_CHILD | WS_VISIBLE | LBS_EXTENDEDSEL, CRect(200, 10, 300, 150), &m_host, 7);
  for (const char* s : {"a", "b", "c", "d"}) multi.AddString(s);
  multi.GetItemRect(0, &r);
  UiAutomation::Click(multi.m_hWnd, r.CenterPoint());
  multi.GetItemRect(2, &r);
  UiAutomation::Click(multi.m_hWnd, r.CenterPoint(), UiAutomation::kShift);
  EXPECT_EQ(3, multi.GetSelCount());
  int items[4] = {0};
  EXPECT_EQ(3, multi.GetSelItems(4, items));
  EXPECT_EQ(2, items[2]);
}

// A list keeps the bars asked for at creation and shows each only while it has something to scroll.
TEST_F(ControlListTest, ListsShowTheirScrollBarsOnlyWhileThereIsSomethingToScroll) {
  struct Bars {
    bool v, h;
    int vMax;
  };
  auto bars = [](HWND h) {
    DWORD st = (DWORD)::GetWindowLongPtr(h, GWL_STYLE);
    SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(h, SB_VERT, &si);
    return Bars{(st & WS_VSCROLL) != 0, (st & WS_HSCROLL) != 0, si.nMax};
  };
  const struct {
    DWORD style;
    int items, extent;
    Bars want;
  } cases[] = {
      {WS_VSCROLL, 30, 0, {true, false, 29}},      {WS_VSCROLL, 3, 0, {false, false, 2}},
      {WS_VSCROLL | WS_HSCROLL, 0, 0, {false, false, 0}}, {WS_HSCROLL, 3, 500, {false, true, 0}},
      {WS_HSCROLL, 3, 100, {false, false, 0}},    {WS_HSCROLL, 3, INT_MAX, {false, true, 0}},
  };
  for (const auto& c : cases) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY | c.style, CRect(10, 10, 160, 90), &m_host, 5));
    for (int i = 0; i < c.items; ++i) list.AddString(("item " + std::to_string(i)).c_str());
    list.SetHorizontalExtent(c.extent);
    Bars got = bars(list.m_hWnd);
    EXPECT_EQ(c.want.v, got.v) << c.style << " " << c.items;
    EXPECT_EQ(c.want.h, got.h) << c.style << " " << c.extent;
    if (c.style & WS_VSCROLL) {
      EXPECT_EQ(c.want.vMax, got.vMax) << c.items;
    }
    EXPECT_EQ(c.extent, list.GetHorizontalExtent());
    // Scrolled right as far as it goes, the extent's end meets the box's right edge.
    CRect client;
    list.GetClientRect(&client);
    if (got.h) DragThumb(list.m_hWnd, dravonix::test::kThumbRight, 2000);
    EXPECT_EQ(got.h ? c.extent - client.Width() : 0, list.GetScrollPos(SB_HORZ)) << c.extent;
    // Emptied, the bar goes; filled again, it comes back.
    list.ResetContent();
    EXPECT_FALSE(bars(list.m_hWnd).v);
    for (int i = 0; i < c.items; ++i) list.AddString("again");
    EXPECT_EQ(c.want.v, bars(list.m_hWnd).v) << c.style << " " << c.items;
    list.DestroyWindow();
  }
  // The list of a drop-down list with 20 items scrolls.
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, CRect(10, 10, 160, 200), &m_host, 8));
  for (int i = 0; i < 20; ++i) combo.AddString(("choice " + std::to_string(i)).c_str());
  combo.ShowDropDown(TRUE);
  HWND dropped = ::GetCapture();
  ASSERT_NE(nullptr, dropped);
  Bars got = bars(dropped);
  EXPECT_TRUE(got.v);
  EXPECT_FALSE(got.h);
  EXPECT_EQ(19, got.vMax);
  combo.ShowDropDown(FALSE);
}

namespace {

// Steps on a list box with both bars: add n items, insert at, delete at, delete the first n, set the
// top index, scroll, set the horizontal extent, empty it.
enum ListOp { kAdd, kInsert, kDelete, kDeleteFirst, kSetTop, kScroll, kExtent, kReset, kListOps };
struct ListStep {
  ListOp op;
  int a;
};

std::string Describe(int height, const std::vector<ListStep>& steps) {
  std::ostringstream o;
  o << "height " << height << ":";
  for (const ListStep& s : steps) o << " {" << s.op << ", " << s.a << "}";
  return o.str();
}

void Apply(CListBox& list, const ListStep& s) {
  const int n = list.GetCount();
  switch (s.op) {
    case kAdd:
      for (int i = 0; i < s.a; ++i) list.AddString(("item " + std::to_string(list.GetCount())).c_str());
      break;
    case kInsert: list.InsertString(s.a % (n + 1), "new"); break;
    case kDelete:
      if (n) list.DeleteString((UINT)(s.a % n));
      break;
    case kDeleteFirst:
      for (int i = 0; i < s.a && list.GetCount(); ++i) list.DeleteString(0);
      break;
    case kSetTop: list.SetTopIndex(n ? s.a % n : 0); break;
    case kScroll: PressListBar(list.m_hWnd, s.a); break;
    case kExtent: list.SetHorizontalExtent(s.a); break;
    default: list.ResetContent(); break;
  }
}

// No row is left blank while items are hidden above, each bar shows exactly while there is something
// to scroll (counting the room the other bar takes), and the picture is what a full repaint draws.
::testing::AssertionResult ListStaysFull(CListBox& list, int width, int height) {
  const int ih = list.GetItemHeight(0), n = list.GetCount(), extent = list.GetHorizontalExtent(), sb = 16;
  bool v = n > std::max(1, height / ih), h = extent > width - (v ? sb : 0);
  if (h && !v) v = n > std::max(1, (height - sb) / ih);
  const DWORD style = list.GetStyle();
  if (((style & WS_VSCROLL) != 0) != v || ((style & WS_HSCROLL) != 0) != h)
    return ::testing::AssertionFailure() << "bars " << !!(style & WS_VSCROLL) << !!(style & WS_HSCROLL) << ", want " << v << h;
  const int rows = std::max(1, (height - (h ? sb : 0)) / ih);
  if (list.GetTopIndex() < 0 || list.GetTopIndex() > std::max(0, n - rows))
    return ::testing::AssertionFailure() << "top " << list.GetTopIndex() << " of " << n << " in " << rows << " rows";
  if (int off = dravonix::test::PixelsOffFullRepaint(list.m_hWnd))
    return ::testing::AssertionFailure() << off << " pixels off a full repaint";
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(ControlListTest, ListsKeepTheirLastPageFullAndEachBarCountsTheOther) {
  const int width = 150;
  const struct {
    int height;
    std::vector<ListStep> steps;
  } cases[] = {
      {100, {{kAdd, 30}, {kSetTop, 29}, {kDeleteFirst, 24}}},  // scrolled to the end, then deleted down to 6
      {100, {{kAdd, 30}, {kScroll, 6}, {kDelete, 29}, {kDelete, 3}}},  // the thumb dragged to the bottom
      {39, {{kAdd, 2}, {kExtent, 386}}},  // the horizontal bar leaves room for one item only
      {130, {{kExtent, 386}, {kAdd, 10}, {kExtent, 0}}},  // ten items fit again once it goes
  };
  for (const auto& c : cases) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY, CRect(10, 10, 10 + width, 10 + c.height),
                            &m_host, 5));
    for (const ListStep& s : c.steps) {
      Apply(list, s);
      EXPECT_TRUE(ListStaysFull(list, width, c.height)) << Describe(c.height, c.steps);
    }
    list.DestroyWindow();
  }
  // Random steps from a fixed seed.
  std::mt19937 rng(4);
  for (int height : {39, 70, 100, 160}) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY, CRect(10, 10, 10 + width, 10 + height),
                            &m_host, 5));
    std::vector<ListStep> done;
    for (int i = 0; i < 50; ++i) {
      ListStep s{(ListOp)(rng() % kListOps), (int)(rng() % 40)};
      if (s.op == kAdd) s.a %= 12;
      if (s.op == kDeleteFirst) s.a %= 4;
      if (s.op == kExtent) s.a = rng() % 3 ? (int)(rng() % 300) : 0;
      if (s.op == kReset && rng() % 3) s.op = kAdd;
      done.push_back(s);
      Apply(list, s);
      ASSERT_TRUE(ListStaysFull(list, width, height)) << Describe(height, done);
    }
    list.DestroyWindow();
  }
}

// A list box sized with the focus on an item shows the item's focus frame at its new width, with no
// piece of the old one left, whichever way it goes; also where a bar comes or goes with the height.
TEST_F(ControlListTest, SizedListsDrawTheirFocusedItemAtTheNewWidth) {
  using dravonix::test::PixelsOffFullRepaint;
  const struct {
    DWORD style;
    int items;
    std::vector<CSize> sizes;
  } cases[] = {
      {0, 5, {{190, 80}, {110, 80}, {150, 120}, {150, 40}, {200, 130}, {100, 30}}},
      {WS_VSCROLL, 3, {{150, 30}, {150, 80}, {180, 25}}},  // the bar comes and goes with the height
      {WS_VSCROLL | WS_HSCROLL, 12, {{190, 80}, {120, 60}}},
      {0, 0, {{190, 80}, {110, 80}}},  // an empty list shows the focus frame alone
  };
  for (const auto& c : cases) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY | c.style, CRect(10, 10, 160, 90), &m_host, 5));
    for (int i = 0; i < c.items; ++i) list.AddString(("item " + std::to_string(i)).c_str());
    // Item 1 clicked (an empty list: its inside), which gives the list the focus.
    CRect item(10, 10, 20, 20);
    if (c.items) list.GetItemRect(1, &item);
    UiAutomation::Click(list.m_hWnd, item.CenterPoint());
    ASSERT_EQ(list.m_hWnd, ::GetFocus());
    ASSERT_EQ(c.items ? 1 : -1, list.GetCurSel());
    EXPECT_EQ(0, PixelsOffFullRepaint(list.m_hWnd));
    for (const CSize& size : c.sizes) {
      list.MoveWindow(10, 10, size.cx, size.cy);
      EXPECT_EQ(0, PixelsOffFullRepaint(m_host.m_hWnd)) << c.style << " " << c.items << ": " << size.cx << "x" << size.cy;
    }
    list.DestroyWindow();
  }
}

TEST_F(ControlListTest, DropDownListComboSelectsByClickAndKeys) {
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, CRect(10, 10, 160, 200), &m_host, 8));
  CRect wr;
  combo.GetWindowRect(&wr);
  EXPECT_LT(wr.Height(), 40);  // the box keeps its field height; 190 is the dropped height
  for (const char* s : {"IU", "mm", "inch"}) combo.SetItemData(combo.AddString(s), (DWORD_PTR)strlen(s));
  EXPECT_EQ(CB_ERR, combo.GetCurSel());
  m_host.m_notes.clear();
  CRect c;
  combo.GetClientRect(&c);
  UiAutomation::Click(combo.m_hWnd, POINT{c.right - 5, c.CenterPoint().y});
  EXPECT_TRUE(combo.GetDroppedState());
  HWND list = ::GetCapture();
  ASSERT_NE(nullptr, list);
  char cls[16] = {0};
  ::GetClassName(list, cls, sizeof cls);
  EXPECT_STREQ("ComboLBox", cls);
  RECT item;
  ::SendMessage(list, LB_GETITEMRECT, 2, (LPARAM)&item);
  UiAutomation::Click(list, CRect(item).CenterPoint());
  EXPECT_FALSE(combo.GetDroppedState());
  EXPECT_EQ(2, combo.GetCurSel());
  EXPECT_EQ(4u, combo.GetItemData(2));
  CString text;
  combo.GetWindowText(text);
  EXPECT_STREQ("inch", text);
  std::vector<int> codes;
  for (auto& n : m_host.m_notes) codes.push_back(n.second);
  EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), CBN_DROPDOWN));
  EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), CBN_SELCHANGE));
  EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), CBN_SELENDOK));
  EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), CBN_CLOSEUP));
  // A key in the closed list ends the selection as a pick does; in the dropped list it waits for Enter.
  auto codesOf = [&](const std::function<void()>& act) {
    m_host.m_notes.clear();
    act();
    std::vector<int> out;
    for (auto& n : m_host.m_notes)
      if (n.second == CBN_SELCHANGE || n.second == CBN_SELENDOK || n.second == CBN_SELENDCANCEL) out.push_back(n.second);
    return out;
  };
  EXPECT_EQ(codesOf([&] { UiAutomation::PressKey(VK_UP); }), (std::vector<int>{CBN_SELENDOK, CBN_SELCHANGE}));
  EXPECT_EQ(1, combo.GetCurSel());
  UiAutomation::PressKey(VK_F4);
  EXPECT_EQ(codesOf([&] { UiAutomation::PressKey(VK_DOWN); }), (std::vector<int>{CBN_SELCHANGE}));
  UiAutomation::PressKey(VK_UP);
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_FALSE(combo.GetDroppedState());
  EXPECT_EQ(0, combo.SelectString(-1, "i"));
  EXPECT_EQ(CB_ERR, combo.SetCurSel(9));

  // A drop-down combo box has an edit child whose changes it reports.
  CComboBox edit;
  edit.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL, CRect(10, 50, 160, 200), &m_host, 9);
  HWND e = ::GetWindow(edit.m_hWnd, GW_CHILD);
  ASSERT_NE(nullptr, e);
  m_host.m_notes.clear();
  UiAutomation::Click(e, POINT{5, 5});
  UiAutomation::TypeText("12");
  edit.GetWindowText(text);
  EXPECT_STREQ("12", text);
  EXPECT_EQ(std::make_pair(9, (int)CBN_EDITCHANGE), m_host.m_notes.back());
  // Its field leaves the list keys to the combo box: F4 opens, Down moves, Enter closes the list.
  for (const char* s : {"a", "b"}) edit.AddString(s);
  const struct {
    UINT key;
    BOOL dropped;
    int sel;
  } keys[] = {{VK_F4, TRUE, -1}, {VK_DOWN, TRUE, 0}, {VK_DOWN, TRUE, 1}, {VK_RETURN, FALSE, 1}};
  for (const auto& k : keys) {
    UiAutomation::PressKey(k.key);
    EXPECT_EQ(edit.GetDroppedState(), k.dropped) << k.key;
    EXPECT_EQ(edit.GetCurSel(), k.sel) << k.key;
  }
  // Text the program sets is no edit of the user's: no CBN_EDITCHANGE nor CBN_EDITUPDATE.
  m_host.m_notes.clear();
  edit.SetWindowText("set");
  edit.SendMessage(WM_SETTEXT, 0, (LPARAM) "sent");
  edit.SetCurSel(0);
  edit.SelectString(-1, "b");
  edit.ResetContent();
  for (auto& n : m_host.m_notes) EXPECT_TRUE(n.second != CBN_EDITCHANGE && n.second != CBN_EDITUPDATE) << n.second;
  UiAutomation::TypeText("x");
  ASSERT_GE(m_host.m_notes.size(), 2u);
  EXPECT_EQ(std::make_pair(9, (int)CBN_EDITUPDATE), m_host.m_notes[m_host.m_notes.size() - 2]);
  EXPECT_EQ(std::make_pair(9, (int)CBN_EDITCHANGE), m_host.m_notes.back());
}

// Opening the list of a drop-down combo box selects the first entry that begins with the edit's
// text, in any case, or none; the text stays and no selection change is reported.
// An owner-drawn combo's field and list items are drawn with the combo's font in the DC, as the
// owner expects when it draws their text.
// In a dropped list the choice is made where the button is released: a press on the arrow dragged
// onto an entry, and a press on one entry dragged onto another.
TEST_F(ControlListTest, ADroppedListChoosesAtTheRelease) {
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, CRect(10, 10, 160, 200), &m_host, 8));
  for (const char* s : {"IU", "mm", "inch"}) combo.AddString(s);
  CRect c;
  combo.GetClientRect(&c);
  const POINT arrow{c.right - 5, c.CenterPoint().y};
  HWND list = nullptr;
  // An entry's centre in the combo box's client coordinates.
  auto entry = [&](int i) {
    RECT r;
    ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&r);
    POINT p = CRect(r).CenterPoint();
    ::MapWindowPoints(list, combo.m_hWnd, &p, 1);
    return p;
  };
  const struct {
    bool fromArrow;
    int from, to;
  } drags[] = {{true, 0, 2}, {false, 0, 1}, {true, 0, 0}};
  for (const auto& d : drags) {
    combo.SetCurSel(-1);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(combo.m_hWnd, arrow);
    list = ::GetCapture();
    ASSERT_TRUE(combo.GetDroppedState());
    const POINT to = entry(d.to);
    if (d.fromArrow) {
      UiAutomation::PressKey(VK_ESCAPE);  // seen where it drops; the drag drops it again
      ASSERT_FALSE(combo.GetDroppedState());
      UiAutomation::AdvanceClock(1000);
      UiAutomation::Drag(combo.m_hWnd, arrow, to);
    } else {
      UiAutomation::Drag(combo.m_hWnd, entry(d.from), to);
    }
    EXPECT_FALSE(combo.GetDroppedState()) << d.to;
    EXPECT_EQ(d.to, combo.GetCurSel()) << d.to;
  }
}

TEST_F(ControlListTest, OwnerDrawnComboItemsComeWithTheCombosFont) {
  struct COwnerCombo : public CComboBox {
    std::vector<HGDIOBJ> fieldFonts, listFonts;
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
      (dis->itemState & ODS_COMBOBOXEDIT ? fieldFonts : listFonts).push_back(::GetCurrentObject(dis->hDC, OBJ_FONT));
    }
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = 14; }
  } combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                           CRect(10, 10, 160, 200), &m_host, 8));
  CFont font;
  font.CreatePointFont(80, "Arial");
  combo.SetFont(&font);
  combo.AddString("one");
  combo.SetCurSel(0);
  combo.Invalidate();
  UiAutomation::Pump();
  combo.ShowDropDown(TRUE);
  UiAutomation::Pump();
  ASSERT_FALSE(combo.fieldFonts.empty());
  ASSERT_FALSE(combo.listFonts.empty());
  EXPECT_EQ(font.m_hObject, combo.fieldFonts.back());
  EXPECT_EQ(font.m_hObject, combo.listFonts.back());
  combo.ShowDropDown(FALSE);
}

TEST_F(ControlListTest, DropDownComboOpensItsListOnTheEntryItsEditShows) {
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(10, 10, 160, 200), &m_host, 10));
  for (const char* s : {"Alpha", "APOS", "Beta"}) combo.AddString(s);
  const struct {
    const char* text;
    int selectedBefore, selectedAfter;
  } cases[] = {{"APOS", -1, 1}, {"apos", 0, 1}, {"be", -1, 2}, {"zzz", 0, -1}, {"", 2, -1}};
  for (const auto& c : cases) {
    combo.SetCurSel(c.selectedBefore);
    combo.SetWindowText(c.text);
    m_host.m_notes.clear();
    combo.ShowDropDown(TRUE);
    EXPECT_EQ(combo.GetCurSel(), c.selectedAfter) << c.text;
    CString text;
    combo.GetWindowText(text);
    EXPECT_STREQ(text, c.text);
    combo.ShowDropDown(FALSE);
    for (auto& n : m_host.m_notes) EXPECT_NE(n.second, CBN_SELCHANGE) << c.text;
  }
}

// Page keys move a drop-down list's selection by the dropped list's whole items less one, open or
// closed, stopping at the ends, and report as the arrows do.
TEST_F(ControlListTest, DropDownListComboPageKeysMoveByTheDroppedPage) {
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, CRect(10, 10, 160, 150), &m_host, 11));
  for (int i = 0; i < 30; ++i) combo.AddString(std::to_string(i).c_str());
  CRect c;
  combo.GetClientRect(&c);
  UiAutomation::Click(combo.m_hWnd, POINT{c.right - 5, c.CenterPoint().y});
  HWND list = ::GetCapture();
  ASSERT_NE(nullptr, list);
  CRect lc;
  ::GetClientRect(list, &lc);
  const int page = lc.Height() / (int)::SendMessage(list, LB_GETITEMHEIGHT, 0, 0) - 1;
  ASSERT_GE(page, 3);
  UiAutomation::PressKey(VK_ESCAPE);
  combo.SetCurSel(0);
  std::mt19937 rng(11);
  int sel = 0;
  bool dropped = false;
  for (int step = 0; step < 60; ++step) {
    const UINT keys[] = {VK_NEXT, VK_PRIOR, VK_DOWN, VK_UP, VK_F4};
    const UINT key = keys[rng() % 5];
    m_host.m_notes.clear();
    UiAutomation::PressKey(key);
    std::vector<int> want;
    if (key == VK_F4) {
      if (dropped) want = {CBN_SELENDOK};  // shut by the key, the list keeps the entry the keys went to
      dropped = !dropped;
    } else {
      int to = key == VK_NEXT ? sel + page : key == VK_PRIOR ? sel - page : key == VK_DOWN ? sel + 1 : sel - 1;
      to = std::clamp(to, 0, 29);
      if (to != sel) want = dropped ? std::vector<int>{CBN_SELCHANGE} : std::vector<int>{CBN_SELENDOK, CBN_SELCHANGE};
      sel = to;
    }
    std::vector<int> got;
    for (auto& n : m_host.m_notes)
      if (n.second == CBN_SELCHANGE || n.second == CBN_SELENDOK || n.second == CBN_SELENDCANCEL) got.push_back(n.second);
    ASSERT_EQ(sel, combo.GetCurSel()) << step << " key " << key;
    ASSERT_EQ(dropped, (bool)combo.GetDroppedState()) << step;
    ASSERT_EQ(want, got) << step << " key " << key;
  }
}

// A double click's second press takes the focus as the first does, should it have left in between;
// a simple combo box's list gives it to the combo's field.
TEST_F(ControlListTest, ADoubleClicksSecondPressTakesTheFocus) {
  CEdit other, edit;
  CListBox list;
  CComboBox simple;
  other.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 100, 34), &m_host, 20);
  edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 40, 200, 64), &m_host, 21);
  list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY, CRect(10, 80, 200, 160), &m_host, 22);
  simple.Create(WS_CHILD | WS_VISIBLE | CBS_SIMPLE, CRect(210, 10, 390, 160), &m_host, 23);
  edit.SetWindowText("hello wide world");
  for (const char* s : {"ab", "cd", "ef"}) {
    list.AddString(s);
    simple.AddString(s);
  }
  UiAutomation::Pump();
  HWND simpleList = ::GetDlgItem(simple.m_hWnd, 1000), simpleEdit = ::GetDlgItem(simple.m_hWnd, 1001);
  ASSERT_TRUE(simpleList && simpleEdit);
  auto itemMiddle = [](HWND h, int i) {
    RECT r;
    ::SendMessage(h, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&r);
    return CRect(r).CenterPoint();
  };
  const CPoint wide = edit.PosFromChar(8);
  const struct {
    HWND at;
    POINT pt;
    HWND focus;
  } cases[] = {{edit.m_hWnd, {wide.x, wide.y + 4}, edit.m_hWnd},
               {list.m_hWnd, itemMiddle(list.m_hWnd, 1), list.m_hWnd},
               {simpleList, itemMiddle(simpleList, 2), simpleEdit}};
  for (const auto& c : cases) {
    UiAutomation::Click(other.m_hWnd, POINT{5, 5});
    ASSERT_EQ(other.m_hWnd, ::GetFocus());
    m_host.m_bounceTo = other.m_hWnd;
    UiAutomation::DoubleClick(c.at, c.pt);
    EXPECT_EQ(nullptr, m_host.m_bounceTo) << c.focus;
    EXPECT_EQ(c.focus, ::GetFocus()) << c.focus;
  }
  int a = 0, b = 0;
  edit.GetSel(a, b);
  EXPECT_EQ(std::make_pair(6, 10), std::make_pair(a, b));
  EXPECT_EQ(1, list.GetCurSel());
  EXPECT_EQ(2, simple.GetCurSel());
  EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(ControlListTest, SpinStepsCanBeRefusedAndSlidersAndProgressKeepTheirRanges) {
  CEdit buddy;
  buddy.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 80, 30), &m_host, 20);
  CSpinButtonCtrl spin;
  spin.Create(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, CRect(0, 0, 16, 20), &m_host, 21);
  spin.SetRange(0, 10);
  spin.SetPos(3);
  CString text;
  buddy.GetWindowText(text);
  EXPECT_STREQ("3", text);
  CRect r;
  spin.GetClientRect(&r);
  UiAutomation::Click(spin.m_hWnd, POINT{r.CenterPoint().x, 2});  // the up arrow
  EXPECT_EQ(4, spin.GetPos());
  ASSERT_EQ(1u, m_host.m_deltas.size());
  EXPECT_EQ(1, m_host.m_deltas[0]);
  m_host.m_refuse = true;
  UiAutomation::Click(spin.m_hWnd, POINT{r.CenterPoint().x, r.bottom - 2});
  EXPECT_EQ(4, spin.GetPos());
  buddy.GetWindowText(text);
  EXPECT_STREQ("4", text);
  m_host.m_refuse = false;
  spin.SetPos(10);
  UiAutomation::Click(spin.m_hWnd, POINT{r.CenterPoint().x, 2});
  EXPECT_EQ(10, spin.GetPos());  // no wrap: it stays at the end

  CSliderCtrl slider;
  slider.Create(WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS, CRect(10, 60, 210, 90), &m_host, 22);
  slider.SetRange(0, 50);
  slider.SetPageSize(10);
  slider.SetPos(70);
  EXPECT_EQ(50, slider.GetPos());
  CRect thumb;
  slider.GetThumbRect(&thumb);
  UiAutomation::Click(slider.m_hWnd, thumb.CenterPoint());  // the focus, the thumb where it is
  EXPECT_EQ(50, slider.GetPos());
  UiAutomation::PressKey(VK_PRIOR);
  EXPECT_EQ(40, slider.GetPos());
  UiAutomation::PressKey(VK_HOME);
  EXPECT_EQ(0, slider.GetPos());

  CProgressCtrl progress;
  progress.Create(WS_CHILD | WS_VISIBLE, CRect(10, 100, 210, 115), &m_host, 23);
  progress.SetRange(0, 100);
  progress.SetStep(30);
  EXPECT_EQ(0, progress.StepIt());
  progress.StepIt();
  progress.StepIt();
  EXPECT_EQ(90, progress.GetPos());
  progress.StepIt();
  EXPECT_EQ(20, progress.GetPos());  // past the end it starts again
  EXPECT_EQ(20, progress.SetPos(500));
  EXPECT_EQ(100, progress.GetPos());
  UiAutomation::Pump();
  EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), GetWindowPixel(progress.m_hWnd, POINT{150, 7}));
}

TEST_F(ControlListTest, TooltipsAskForTextAndShowAfterTheDelay) {
  CButton button;
  button.Create("Go", WS_CHILD | WS_VISIBLE, CRect(10, 10, 80, 35), &m_host, 30);
  CToolTipCtrl tip;
  ASSERT_TRUE(tip.Create(&m_host));
  CRect r(0, 0, 70, 25);
  ASSERT_TRUE(tip.AddTool(&m_host, LPSTR_TEXTCALLBACK, &r, 30));
  EXPECT_EQ(1, tip.GetToolCount());
  CString text;
  tip.GetText(text, &m_host, 30);
  EXPECT_STREQ("asked", text);  // TTN_NEEDTEXT went to the tool's window
  MSG m{m_host.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), 0, POINT{0, 0}};
  tip.RelayEvent(&m);
  EXPECT_FALSE(tip.IsWindowVisible());
  UiAutomation::AdvanceClock(600, 100);
  EXPECT_TRUE(tip.IsWindowVisible());
  tip.Pop();
  EXPECT_FALSE(tip.IsWindowVisible());
  tip.DestroyWindow();
}

const UINT ID_CMD_A = 40001, ID_CMD_B = 40002, ID_CMD_C = 40003, ID_PANE_X = 40010;
const RESOURCE_STRING kBarStrings[] = {
    {ID_CMD_A, "Run the axis\nRun"}, {ID_CMD_B, "Stop the axis\nStop"}, {ID_PANE_X, "AXIS 1"}};
const RESOURCE_TABLE kBarTable = {kBarStrings, 3, nullptr, 0};
CResourceTableRegistration g_barStrings(kBarTable);

class CBarFrame : public CFrameWnd {
 public:
  int m_a = 0, m_c = 0;
  BOOL m_bEnabled = FALSE;
  CString m_pane = "ready";
  void OnCmdA() { ++m_a; }
  void OnCmdC() { ++m_c; }
  void OnUpdateB(CCmdUI* ui) { ui->Enable(m_bEnabled); }
  void OnUpdatePane(CCmdUI* ui) { ui->SetText(m_pane); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBarFrame, CFrameWnd)
  ON_COMMAND(ID_CMD_A, &CBarFrame::OnCmdA)
  ON_COMMAND(ID_CMD_C, &CBarFrame::OnCmdC)
  ON_UPDATE_COMMAND_UI(ID_CMD_B, &CBarFrame::OnUpdateB)
  ON_UPDATE_COMMAND_UI(ID_PANE_X, &CBarFrame::OnUpdatePane)
END_MESSAGE_MAP()

TEST_F(ControlListTest, BarsFollowCommandUpdatesAndPopupMenusReturnTheScriptedChoice) {
  auto* frame = new CBarFrame;
  ASSERT_TRUE(frame->Create(nullptr, "Bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300)));
  CToolBar tools;
  ASSERT_TRUE(tools.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS));
  const UINT buttons[] = {ID_CMD_A, ID_SEPARATOR, ID_CMD_B};
  tools.SetButtons(buttons, 3);
  CStatusBar status;
  ASSERT_TRUE(status.Create(frame));
  const UINT panes[] = {ID_SEPARATOR, ID_PANE_X};
  EXPECT_TRUE(status.SetIndicators(panes, 2));
  frame->RecalcLayout();
  CRect tr, sr, fr;
  tools.GetWindowRect(&tr);
  status.GetWindowRect(&sr);
  frame->GetClientRect(&fr);
  frame->ClientToScreen(&fr);
  EXPECT_EQ(fr.top, tr.top);
  EXPECT_EQ(fr.bottom, sr.bottom);
  EXPECT_STREQ("AXIS 1", status.GetPaneText(1));
  // Idle-time updates: B has a handler that disables it; the pane text comes from its handler.
  tools.OnUpdateCmdUI(frame, TRUE);
  status.OnUpdateCmdUI(frame, TRUE);
  EXPECT_TRUE(tools.GetButtonStyle(2) & TBBS_DISABLED);
  EXPECT_FALSE(tools.GetButtonStyle(0) & TBBS_DISABLED);
  EXPECT_STREQ("ready", status.GetPaneText(1));
  EXPECT_STREQ("ready", status.GetStatusBarCtrl().GetText(1));
  CRect pane1;
  status.GetItemRect(1, &pane1);
  EXPECT_GT(pane1.Width(), 20);
  status.SetPaneText(0, "Message");
  EXPECT_STREQ("Message", status.GetPaneText(0));
  // Clicking a button sends its command to the frame; a disabled one does nothing.
  CRect br;
  tools.GetItemRect(0, &br);
  UiAutomation::Click(tools.m_hWnd, br.CenterPoint());
  UiAutomation::Pump();
  EXPECT_EQ(tools.GetBarOwner(), frame);
  EXPECT_EQ(1, frame->m_a);
  tools.GetItemRect(2, &br);
  UiAutomation::Click(tools.m_hWnd, br.CenterPoint());
  // The tooltip text is the part after the line break.
  EXPECT_STREQ("Stop", CToolBar::TipText(ID_CMD_B));
  ASSERT_NE(nullptr, tools.GetToolTips());
  CString tip;
  tools.GetToolTips()->GetText(tip, &tools, ID_CMD_A);
  EXPECT_STREQ("Run", tip);
  std::string path = dravonix::test::OutputPath("frame-bars.png");
  EXPECT_TRUE(SaveWindowImage(frame, path.c_str()));

  // Popup menus: the scripted choice comes back; disabled commands cannot be chosen.
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, ID_CMD_A, "&Run");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, ID_CMD_B, "&Stop");
  menu.AppendMenu(MF_STRING, ID_CMD_C, "&Clear");
  menu.AppendMenu(MF_STRING, 0x7FFE, "&Nobody's");
  MenuAutomation::Reset();
  MenuAutomation::PushMenuChoice(ID_CMD_B);
  EXPECT_EQ(0, menu.TrackPopupMenu(TPM_RETURNCMD | TPM_LEFTALIGN, 10, 10, frame));
  auto shown = MenuAutomation::ShownMenus();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("&Stop [grayed]", shown[0].items[2]);
  EXPECT_EQ("&Nobody's [grayed]", shown[0].items[4]);  // a frame greys a command no one handles
  frame->m_bEnabled = TRUE;
  MenuAutomation::PushMenuChoiceText("Stop");
  EXPECT_EQ((BOOL)ID_CMD_B, menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, frame));
  MenuAutomation::PushMenuChoice(ID_CMD_C);
  EXPECT_TRUE(menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, 10, 10, frame));
  UiAutomation::Pump();
  EXPECT_EQ(1, frame->m_c);
  EXPECT_EQ(0, menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, frame));  // unscripted: dismissed
  EXPECT_FALSE(::TrackPopupMenu(nullptr, 0, 0, 0, 0, frame->m_hWnd, nullptr));
  EXPECT_EQ((UINT)-1, menu.EnableMenuItem(12345, MF_GRAYED));
  tools.DestroyWindow();
  status.DestroyWindow();
  frame->DestroyWindow();
  MenuAutomation::Reset();
}

const DLGITEM_ENTRY kBarItems[] = {
    {"Edit", 1201, WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0, 2, 2, 40, 12, ""},
    {"Button", 1202, WS_VISIBLE | BS_AUTOCHECKBOX, 0, 44, 2, 40, 10, "Hold"},
    {"ComboBox", 1203, WS_VISIBLE | CBS_DROPDOWNLIST, 0, 86, 2, 40, 40, nullptr},
    {"Static", 1204, WS_VISIBLE | SS_LEFT, 0, 128, 2, 20, 8, "Axis"},
    {"Button", 1205, WS_VISIBLE | BS_PUSHBUTTON, 0, 150, 2, 30, 12, "Idle"},
    {"Button", ID_CMD_A, WS_VISIBLE | BS_PUSHBUTTON, 0, 182, 2, 30, 12, "Run"},
};
const DIALOG_RESOURCE kBarDialog = {WS_CHILD | DS_SETFONT, 0, 0, 0, 220, 16, "", "MS Sans Serif", 8, kBarItems,
                                    sizeof kBarItems / sizeof kBarItems[0], nullptr};
const RESOURCE_ENTRY kBarDialogEntry[] = {{RT_DIALOG, "LIST_TEST_BAR", &kBarDialog, sizeof kBarDialog}};
const RESOURCE_TABLE kBarDialogTable = {nullptr, 0, kBarDialogEntry, 1};
CResourceTableRegistration g_barDialog(kBarDialogTable);

TEST_F(ControlListTest, ADialogBarGreysOnlyPushButtonsWithoutAHandler) {
  auto* frame = new CBarFrame;
  ASSERT_TRUE(frame->Create(nullptr, "Bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 500, 300)));
  CDialogBar bar;
  ASSERT_TRUE(bar.Create(frame, "LIST_TEST_BAR", CBRS_TOP, 0xE805));
  bar.OnUpdateCmdUI(frame, TRUE);
  for (auto [id, enabled] : {std::pair<int, bool>{1201, true}, {1202, true}, {1203, true}, {1204, true}, {1205, false},
                             {(int)ID_CMD_A, true}})
    EXPECT_EQ(enabled, (bool)::IsWindowEnabled(::GetDlgItem(bar.m_hWnd, id))) << id;
  bar.DestroyWindow();
  frame->DestroyWindow();
}

}  // namespace

namespace {

TEST_F(ControlListTest, StatusPartsReportTheirDrawingTypeAndOwnerDrawnDataSeparately) {
  CStatusBarCtrl status;
  ASSERT_TRUE(status.Create(WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE, CRect(0, 0, 300, 20), &m_host, 40));
  int edges[] = {100, -1};
  status.SetParts(2, edges);
  status.SetText("plain", 0, SBT_POPOUT);
  status.SendMessage(SB_SETTEXT, 1 | SBT_OWNERDRAW | SBT_NOBORDERS, 0x1234);
  EXPECT_EQ(MAKELONG(5, SBT_POPOUT), status.SendMessage(SB_GETTEXTLENGTH, 0));
  EXPECT_EQ(MAKELONG(0, SBT_OWNERDRAW | SBT_NOBORDERS), status.SendMessage(SB_GETTEXTLENGTH, 1));
  EXPECT_EQ(0x1234, status.SendMessage(SB_GETTEXT, 1));
  status.DestroyWindow();
}


// Controls that draw a greyed look show it, and lose it, as soon as they are disabled or enabled.
TEST_F(ControlListTest, ControlsRedrawWhenEnabledOrDisabled) {
  for (const char* cls : {"ListBox", "ScrollBar", UPDOWN_CLASS}) {
    HWND c = ::CreateWindowEx(0, cls, "", WS_CHILD | WS_VISIBLE, 10, 10, 60, 40, m_host.m_hWnd, (HMENU)7, nullptr, nullptr);
    ASSERT_TRUE(c) << cls;
    ::SendMessage(c, LB_ADDSTRING, 0, (LPARAM) "item");
    for (BOOL on : {FALSE, TRUE}) {
      ::PumpMessages();
      ::EnableWindow(c, on);
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(c)) << cls << on;
    }
    ::DestroyWindow(c);
  }
}

}  // namespace
