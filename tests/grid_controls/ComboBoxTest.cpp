// The combo box cell: values and display texts by its flags, the popup list opened with the arrow or
// Alt+Down, its size and place, and the keys and clicks that take or drop a choice.
#include "grid/controls/GXCheckListComboBox.h"
#include "grid/controls/GXComboBox.h"
#include "grid/controls/GXTabbedComboBox.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include "tests/support/BarPresses.h"
#include "tests/support/GridHostWnd.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// The test host with the grid window's input routed to the grid.
class CInputHost : public CGridHostWnd {
 protected:
  LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
    if (!grid || m == WM_PAINT || m == WM_ERASEBKGND || m == WM_NCDESTROY) return CGridHostWnd::WindowProc(m, w, l);
    LRESULT r = 0;
    grid->RouteWindowMessage(m, w, l, &r, [&] {
      r = CGridHostWnd::WindowProc(m, w, l);
      return TRUE;
    });
    return r;
  }
};

class ComboCell : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
    grid.m_pGridWnd = &wnd;
    wnd.grid = &grid;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(6);
    grid.GetParam()->GetData()->SetColCount(3);
    grid.SetColWidth(1, 3, 100);
    grid.m_bActive = TRUE;
    ::SetFocus(nullptr);
    wnd.SetFocus();
    PumpMessages();
  }
  void TearDown() override {
    wnd.DestroyWindow();
    PumpMessages();
  }
  void Put(ROWCOL r, ROWCOL c, UINT control, const char* value, const char* choices = kColours) {
    CGXStyle style;
    style.SetControl(control).SetValue(value).SetChoiceList(choices);
    grid.SetStyleRange(CGXRange().SetCellRange(r, c, r, c), &style);
  }
  CString Value(ROWCOL r, ROWCOL c) { return grid.LookupStyleRowCol(r, c).GetValue(); }
  CGXComboBox* Current(ROWCOL r, ROWCOL c) {
    EXPECT_TRUE(grid.SetCurrentCell(r, c));
    PumpMessages();
    return dynamic_cast<CGXComboBox*>(grid.GetControl(r, c));
  }
  // Clicks the arrow of the current cell: a press and a release posted to the grid window.
  void ClickArrow(CGXComboBox* combo) {
    wnd.Invalidate(FALSE);
    PumpMessages();
    combo->LayoutChildren(combo->m_nRow, combo->m_nCol, grid.CalcRectFromRowCol(combo->m_nRow, combo->m_nCol));
    UiAutomation::Click(wnd.m_hWnd, combo->m_pButton->GetRect().CenterPoint());
  }
  HWND List(CGXComboBox* combo) {
    return combo->GetDropDownWnd() ? combo->GetDropDownWnd()->GetListBox()->GetSafeHwnd() : nullptr;
  }
  CRect PopupRect(CGXComboBox* combo) {
    CRect r;
    combo->GetDropDownWnd()->GetWindowRect(&r);
    return r;
  }
  ROWCOL CurrentCol() {
    ROWCOL r = 0, c = 0;
    grid.GetCurrentCell(r, c);
    return c;
  }
  CString EditText(CGXComboBox* combo) {
    CString text;
    combo->GetWindowText(text);
    return text;
  }

  CInputHost wnd;
  CGXGridCore grid;
};

TEST_F(ComboCell, FlagsDecideWhatIsShownAndStored) {
  const struct {
    UINT id;
    const char* choices;
    const char* value;
    const char* shown;
  } shows[] = {
      {52531, kColours, "3", "Blue"}, {52531, kColours, "0", ""},   {52531, kColours, "4", ""},
      {52532, kColours, "0", "Red"},  {52532, kColours, "9", ""},   {52531, kColours, "", ""},
      {52527, kColours, "Gr", "Gr"},  {52525, kColours, "1", "1"},  {52531, "", "1", ""},
  };
  for (const auto& s : shows) {
    Put(1, 1, s.id, s.value, s.choices);
    CGXControl* control = grid.GetRegisteredControl(s.id);
    CString text;
    control->GetDisplayText(text, 1, 1, nullptr, &grid.LookupStyleRowCol(1, 1));
    EXPECT_EQ(text, s.shown) << s.id << " value " << s.value;
  }
  // Typed or pasted texts: fitted to an entry, stored as the entry or its index; no match is refused.
  const struct {
    UINT id;
    const char* choices;
    const char* text;
    BOOL ok;
    const char* stored;
  } stores[] = {
      {52527, "ABC\nabd", "ab", TRUE, "ABC"},   {52527, "ABC\nabd", "ABD", TRUE, "abd"},
      {52527, "ABC\nabd", "x", FALSE, "old"},   {52527, "ABC\nabd", "", TRUE, ""},
      {52531, kColours, "green", TRUE, "2"},    {52532, kColours, "Gre", TRUE, "1"},
      {52532, kColours, "Pink", FALSE, "old"},  {52517, kColours, "Pink", TRUE, "Pink"},
      {52525, kColours, "Pink", TRUE, "Pink"},
  };
  for (const auto& s : stores) {
    Put(2, 1, s.id, "old", s.choices);
    CGXControl* control = grid.GetRegisteredControl(s.id);
    EXPECT_EQ(control->StoreCellText(2, 1, s.text, 2, nullptr), s.ok) << s.id << " " << s.text;
    EXPECT_EQ(Value(2, 1), s.stored) << s.id << " " << s.text;
  }
  CGXComboBox* combo = dynamic_cast<CGXComboBox*>(grid.GetRegisteredControl(52527));
  EXPECT_TRUE(combo->IsKindOfControl("CGXComboBox"));
  EXPECT_TRUE(combo->IsKindOfControl("CGXEditControl"));
  EXPECT_FALSE(combo->CanFloatCell(1, 1, grid.LookupStyleRowCol(1, 1), TRUE));
}

TEST_F(ComboCell, ChoosingTheFirstEntryStoresItsIndex) {
  const struct {
    UINT id;
    const char* stored;
  } cases[] = {{52531, "1"}, {52532, "0"}};
  for (const auto& c : cases) {
    Put(1, 1, c.id, c.id == 52531 ? "3" : "2");
    CGXComboBox* combo = Current(1, 1);
    ASSERT_NE(combo, nullptr);
    ClickArrow(combo);
    ASSERT_TRUE(combo->IsDroppedDown()) << c.id;
    EXPECT_TRUE(grid.m_bDropDownOpen);
    HWND list = List(combo);
    EXPECT_EQ(::GetFocus(), list);
    EXPECT_EQ(::SendMessage(list, LB_GETCURSEL, 0, 0), 2);  // the cell's value is selected
    if (c.id == 52531) {
      wnd.Invalidate(FALSE);
      PumpMessages();
      SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_combo.png").c_str());
      SaveWindowImage(combo->GetDropDownWnd(), dravonix::test::OutputPath("grid_combo_list.png").c_str());
    }
    RECT item{};
    ::SendMessage(list, LB_GETITEMRECT, 0, (LPARAM)&item);
    UiAutomation::Click(list, POINT{item.left + 5, item.top + 2});
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_FALSE(grid.m_bDropDownOpen);
    EXPECT_EQ(EditText(combo), "Red");
    CString value;
    combo->GetValue(value);
    EXPECT_EQ(value, c.stored);
    ASSERT_TRUE(grid.SetCurrentCell(2, 2));
    EXPECT_EQ(Value(1, 1), c.stored) << c.id;
  }
}

TEST_F(ComboCell, ListHeightFollowsItsLinesUpToTheDropDownHeight) {
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += "line " + std::to_string(i) + "\n";
  grid.GetParam()->m_nDropDownHeight = 300;
  Put(1, 1, 52517, "", kColours);
  CGXComboBox* combo = Current(1, 1);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  const int itemHeight = (int)::SendMessage(List(combo), LB_GETITEMHEIGHT, 0, 0);
  ASSERT_GT(combo->m_nTextHeight, 0);
  EXPECT_EQ(PopupRect(combo).Height(), 3 * combo->m_nTextHeight + itemHeight / 2);
  // The list opens below the cell, as wide as the cell with the arrow's room.
  CRect cell = grid.CalcRectFromRowCol(1, 1), inner;
  combo->CGXStatic::GetCellInnerRect(inner, 1, 1, &cell);
  wnd.ClientToScreen(&inner);
  EXPECT_EQ(PopupRect(combo).top, inner.bottom);
  EXPECT_EQ(PopupRect(combo).left, inner.left);
  EXPECT_EQ(PopupRect(combo).right, inner.right);
  UiAutomation::PressKey(VK_ESCAPE);
  EXPECT_FALSE(combo->IsDroppedDown());

  grid.GetParam()->m_nDropDownHeight = 100;
  Put(1, 1, 52517, "", hundred.c_str());
  combo = Current(1, 1);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  EXPECT_EQ(PopupRect(combo).Height(), 100);
  UiAutomation::PressKey(VK_ESCAPE);

  // Near the screen's bottom the list opens above the cell.
  wnd.MoveWindow(CRect(100, 1024 - 120, 500, 1024), FALSE);
  PumpMessages();
  combo = Current(2, 1);
  Put(2, 1, 52517, "", hundred.c_str());
  combo = Current(2, 1);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  cell = grid.CalcRectFromRowCol(2, 1);
  combo->CGXStatic::GetCellInnerRect(inner, 2, 1, &cell);
  wnd.ClientToScreen(&inner);
  EXPECT_EQ(PopupRect(combo).bottom, inner.top);
  EXPECT_EQ(PopupRect(combo).Height(), 100);
  UiAutomation::PressKey(VK_ESCAPE);
}

TEST_F(ComboCell, ArrowKeysCopyAtEachReleaseEscKeepsTabMovesOn) {
  Put(1, 1, 52517, "Red");
  CGXComboBox* combo = Current(1, 1);
  UiAutomation::PressKey(VK_DOWN, UiAutomation::kAlt);
  ASSERT_TRUE(combo->IsDroppedDown());
  UiAutomation::KeyDown(VK_DOWN);
  EXPECT_EQ(EditText(combo), "Red");  // nothing before the release
  UiAutomation::KeyUp(VK_DOWN);
  EXPECT_EQ(EditText(combo), "Green");
  UiAutomation::PressKey(VK_DOWN);
  EXPECT_EQ(EditText(combo), "Blue");
  UiAutomation::PressKey(VK_ESCAPE);
  EXPECT_FALSE(combo->IsDroppedDown());
  EXPECT_EQ(EditText(combo), "Blue");
  EXPECT_EQ(::GetFocus(), combo->m_hWnd);
  // Tab in the open list takes the selection and moves on as Tab does in the grid.
  Put(1, 2, 52517, "Red");
  combo = Current(1, 2);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  UiAutomation::PressKey(VK_DOWN);
  UiAutomation::PressKey(VK_TAB);
  PumpMessages();
  EXPECT_FALSE(combo->IsDroppedDown());
  EXPECT_EQ(CurrentCol(), 3u);
  EXPECT_EQ(Value(1, 2), "Green");
}

TEST_F(ComboCell, OnlyTheCurrentCellShowsTheArrowEveryCellReservesRoom) {
  Put(1, 1, 52517, "Red");
  Put(2, 1, 52517, "Red");
  CGXComboBox* combo = Current(1, 1);
  wnd.Invalidate(FALSE);
  PumpMessages();
  const COLORREF face = GXGetSysColorCache().GetColor(COLOR_BTNFACE);
  const CRect current = grid.CalcRectFromRowCol(1, 1), other = grid.CalcRectFromRowCol(2, 1);
  EXPECT_EQ(GetWindowPixel(wnd.m_hWnd, POINT{current.right - 4, current.top + 3}), face);
  EXPECT_NE(GetWindowPixel(wnd.m_hWnd, POINT{other.right - 4, other.top + 3}), face);
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_combo_cells.png").c_str());
  for (ROWCOL row : {1u, 2u}) {
    const CRect cell = grid.CalcRectFromRowCol(row, 1);
    CRect full, inner;
    combo->CGXStatic::GetCellInnerRect(full, row, 1, &cell);
    combo->GetCellInnerRect(inner, row, 1, &cell);
    EXPECT_EQ(full.right - inner.right, 15) << row;
  }
  // The reserve-room flag gives a cell that is not current its full width.
  combo->m_bReserveRoom = TRUE;
  const CRect cell = grid.CalcRectFromRowCol(2, 1);
  CRect full, inner;
  combo->CGXStatic::GetCellInnerRect(full, 2, 1, &cell);
  combo->GetCellInnerRect(inner, 2, 1, &cell);
  EXPECT_EQ(inner.right, full.right);
  combo->m_bReserveRoom = FALSE;
}

TEST_F(ComboCell, EmptyListsAndReadOnlyCellsChangeNothing) {
  Put(1, 1, 52517, "keep", "");
  CGXComboBox* combo = Current(1, 1);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  EXPECT_EQ(::SendMessage(List(combo), LB_GETCOUNT, 0, 0), 0);
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_FALSE(combo->IsDroppedDown());
  EXPECT_EQ(EditText(combo), "keep");
  // A read-only cell keeps its value when a choice is taken.
  grid.GetParam()->m_bProtectReadOnly = TRUE;
  CGXStyle ro;
  ro.SetControl(52517).SetValue("Red").SetChoiceList(kColours).SetReadOnly(TRUE);
  grid.GetParam()->GetData()->StoreStyleAt(2, 1, &ro, 2);
  grid.FreeObjectCache();
  combo = Current(2, 1);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  UiAutomation::PressKey(VK_DOWN);
  UiAutomation::PressKey(VK_RETURN);
  ASSERT_TRUE(grid.SetCurrentCell(3, 1));
  EXPECT_EQ(Value(2, 1), "Red");
  EXPECT_FALSE(combo->StoreCellText(2, 1, "Blue", 2, nullptr));
  // A press on the grid's scroll bar closes an open list (and is spent on that).
  wnd.ModifyStyle(0, WS_VSCROLL, SWP_FRAMECHANGED);
  grid.GetParam()->GetData()->SetRowCount(60);
  grid.Redraw();
  PumpMessages();
  combo = Current(1, 1);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  dravonix::test::bars::Press(wnd.m_hWnd, dravonix::test::kDownArrow);
  EXPECT_EQ(grid.GetTopRow(), 1u);
  EXPECT_FALSE(combo->IsDroppedDown());
  // A click into the grid while the list is open only closes it; the edit keeps the focus.
  combo = Current(1, 1);
  ClickArrow(combo);
  ASSERT_TRUE(combo->IsDroppedDown());
  UiAutomation::Click(wnd.m_hWnd, grid.CalcRectFromRowCol(3, 2).CenterPoint());
  EXPECT_FALSE(combo->IsDroppedDown());
  EXPECT_EQ(CurrentCol(), 1u);
  EXPECT_EQ(::GetFocus(), combo->m_hWnd);
}

// ---- check list -------------------------------------------------------------------------------------------------

const char* const kChecks = "Colours\nRed\nGreen\nBlue";

TEST_F(ComboCell, CheckListShowsItsCaptionAndStoresTheMask) {
  Put(1, 1, 52542, "2", kChecks);
  CString text;
  CGXControl* control = grid.GetRegisteredControl(52542);
  ASSERT_TRUE(control->IsKindOfControl("CGXComboBox"));
  control->GetDisplayText(text, 1, 1, nullptr, &grid.LookupStyleRowCol(1, 1));
  EXPECT_EQ(text, "Colours");
  auto* combo = Current(1, 1);
  // Clicks on the boxes toggle the items; each row of the table is one opening of the list.
  const struct {
    std::vector<int> clicks;
    UINT closeKey;
    std::vector<int> checkedAtOpen;
    const char* stored;
  } steps[] = {
      {{0, 1, 2}, VK_ESCAPE, {0, 1, 0}, "5"},  // Esc keeps the changes
      {{0, 2}, VK_RETURN, {1, 0, 1}, ""},      // none checked: empty
      {{1}, VK_TAB, {0, 0, 0}, "2"},
  };
  for (const auto& step : steps) {
    ASSERT_TRUE(grid.SetCurrentCell(1, 1));
    ClickArrow(combo);
    ASSERT_TRUE(combo->IsDroppedDown());
    HWND list = List(combo);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(::SendMessage(list, LBX_GETCHECK, k, 0), step.checkedAtOpen[k]) << k;
    for (int k : step.clicks) {
      RECT item{};
      ::SendMessage(list, LB_GETITEMRECT, k, (LPARAM)&item);
      UiAutomation::Click(list, POINT{item.left + 5, (item.top + item.bottom) / 2});
    }
    EXPECT_TRUE(combo->IsDroppedDown());  // clicks close nothing
    if (step.stored[0] == '5') {
      SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_checklist.png").c_str());
      SaveWindowImage(combo->GetDropDownWnd(), dravonix::test::OutputPath("grid_checklist_list.png").c_str());
    }
    UiAutomation::PressKey(step.closeKey);
    PumpMessages();
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_FALSE(grid.m_bDropDownOpen);
    EXPECT_EQ(Value(1, 1), step.stored);
  }
  // Bits beyond the items are ignored on opening and dropped on closing; at most 32 items are listed.
  std::string many = "Caption";
  for (int i = 0; i < 40; ++i) many += "\nitem " + std::to_string(i);
  const struct {
    const char* value;
    const char* choices;
    int count;
    const char* stored;
  } cases[] = {{"13", kChecks, 3, "5"}, {"4294967295", many.c_str(), 32, "4294967295"}};
  for (const auto& c : cases) {
    Put(2, 1, 52542, c.value, c.choices);
    combo = Current(2, 1);
    ClickArrow(combo);
    ASSERT_TRUE(combo->IsDroppedDown());
    EXPECT_EQ(::SendMessage(List(combo), LB_GETCOUNT, 0, 0), c.count);
    UiAutomation::PressKey(VK_RETURN);
    EXPECT_EQ(Value(2, 1), c.stored);
  }
}

// ---- tabbed --------------------------------------------------------------------------------------------------------

class TabbedCell : public ComboCell {
 protected:
  // A tabbed cell at (r, c) showing column 1 and storing column 0.
  void PutTabbed(ROWCOL r, ROWCOL c, const char* value, const char* choices, const char* titles = "0",
                 const char* widths = nullptr, const char* showAll = "1") {
    CGXStyle style;
    style.SetControl(52541).SetValue(value).SetChoiceList(choices);
    style.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1").SetUserAttribute(51031, titles);
    style.SetUserAttribute(51030, showAll);
    if (widths) style.SetUserAttribute(51032, widths);
    grid.SetStyleRange(CGXRange().SetCellRange(r, c, r, c), &style);
  }
  CGXTabbedComboBox* Open(ROWCOL r, ROWCOL c) {
    auto* combo = dynamic_cast<CGXTabbedComboBox*>(Current(r, c));
    if (!combo) return nullptr;
    ClickArrow(combo);
    return combo->IsDroppedDown() ? combo : nullptr;
  }
  // The widest text of a column in the grid's standard font.
  int Widest(std::initializer_list<const char*> texts) {
    CClientDC dc(&wnd);
    CFont* font = grid.LookupFont(grid.LookupStyleRowCol(1, 1).GetFont());
    CFont* old = dc.SelectObject(font);
    int widest = 0;
    for (const char* t : texts) widest = std::max(widest, (int)dc.GetTextExtent(t).cx);
    dc.SelectObject(old);
    return widest;
  }
};

TEST(TabbedBitmap, AHeaderThatIsNoBitmapHasNoSize) {
  for (LONG height : {-7, INT_MIN}) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
    auto* bih = static_cast<BITMAPINFOHEADER*>(GlobalLock(h));
    bih->biSize = sizeof *bih, bih->biWidth = 5, bih->biHeight = height, bih->biPlanes = 1, bih->biBitCount = 24;
    GlobalUnlock(h);
    EXPECT_EQ(GXTabbedBitmapSize(h), height == INT_MIN ? CSize(0, 0) : CSize(5, 7));
    GlobalFree(h);
  }
}

TEST_F(TabbedCell, KeyColumnIsStoredTextColumnShown) {
  PutTabbed(1, 1, "1", kRows);
  CGXControl* control = grid.GetRegisteredControl(52541);
  ASSERT_TRUE(control->IsKindOfControl("CGXComboBox"));
  const struct {
    const char* value;
    BOOL found;
    const char* shown;
  } shows[] = {{"1", TRUE, "Red"}, {"3", TRUE, "Blue"}, {"9", FALSE, "-"}, {"Red", FALSE, "-"}};
  for (const auto& c : shows) {
    CString text = "-";
    EXPECT_EQ(control->GetDisplayText(text, 1, 1, c.value, &grid.LookupStyleRowCol(1, 1)), c.found) << c.value;
    EXPECT_EQ(text, c.shown) << c.value;
  }
  const struct {
    const char* text;
    BOOL ok;
    const char* stored;
  } stores[] = {{"Green", TRUE, "2"}, {"green", FALSE, "old"}, {"Pink", FALSE, "old"}, {"2", FALSE, "old"}};
  for (const auto& c : stores) {
    PutTabbed(2, 1, "old", kRows);
    EXPECT_EQ(control->StoreCellText(2, 1, c.text, 2, nullptr), c.ok) << c.text;
    EXPECT_EQ(Value(2, 1), c.stored) << c.text;
  }
  // The list's rows lead with the text column; choosing one shows its text and stores its key.
  auto* combo = Open(1, 1);
  ASSERT_NE(combo, nullptr);
  CListBox* list = combo->GetListBox();
  ASSERT_EQ(list->GetCount(), 3);
  CString row;
  list->GetText(0, row);
  EXPECT_EQ(row, "Red\t1\tRed\t#F00");
  EXPECT_EQ(list->GetCurSel(), 0);
  SaveWindowImage(combo->GetDropDownWnd(), dravonix::test::OutputPath("grid_tabbed_list.png").c_str());
  RECT item{};
  list->GetItemRect(1, &item);
  UiAutomation::Click(list->m_hWnd, POINT{item.left + 5, item.top + 2});
  EXPECT_FALSE(combo->IsDroppedDown());
  EXPECT_FALSE(combo->GetDropDownWnd());
  EXPECT_EQ(EditText(combo), "Green");
  ASSERT_TRUE(grid.SetCurrentCell(3, 3));
  EXPECT_EQ(Value(1, 1), "2");
  // An unknown key leaves the active edit empty.
  PutTabbed(2, 2, "7", kRows);
  combo = dynamic_cast<CGXTabbedComboBox*>(Current(2, 2));
  combo->SetActive(TRUE);
  combo->SetActiveText("7");
  EXPECT_EQ(EditText(combo), "");
}

TEST_F(TabbedCell, TitlesGoToTheHeaderAndAreNeverAValue) {
  const std::string titled = std::string("Key\tName\tCode\n") + kRows;
  PutTabbed(1, 1, "Key", titled.c_str(), "1");
  CString text = "-";
  EXPECT_FALSE(grid.GetRegisteredControl(52541)->GetDisplayText(text, 1, 1, nullptr, &grid.LookupStyleRowCol(1, 1)));
  EXPECT_FALSE(grid.GetRegisteredControl(52541)->StoreCellText(1, 1, "Name", 2, nullptr));
  PutTabbed(1, 1, "3", titled.c_str(), "1");
  auto* combo = Open(1, 1);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetListBox()->GetCount(), 3);
  EXPECT_EQ(combo->GetListBox()->GetCurSel(), 2);  // entry indexes start after the titles
  CGXTabbedLBoxHeader* header = combo->GetHeader();
  ASSERT_TRUE(header->IsWindowVisible());
  EXPECT_EQ(header->m_strTitle, "Name\tKey\tName\tCode");
  CRect headerRect, listRect;
  header->GetWindowRect(&headerRect);
  combo->GetDropDownWnd()->GetWindowRect(&listRect);
  EXPECT_EQ(headerRect.bottom, listRect.top);
  EXPECT_EQ(headerRect.Width(), listRect.Width());
  header->UpdateWindow();
  SaveWindowImage(header, dravonix::test::OutputPath("grid_tabbed_header.png").c_str());
  // The title cells are raised button faces.
  EXPECT_EQ(GetWindowPixel(header->m_hWnd, POINT{2, 2}),
            GXGetSysColorCache().GetColor(COLOR_BTNFACE));
  UiAutomation::PressKey(VK_ESCAPE);
  EXPECT_FALSE(header->IsWindowVisible());
}

TEST_F(TabbedCell, WidthsTextSetsColumnsInOrderTheRestAreMeasured) {
  const int code = Widest({"#F00", "#0F0", "#00F"}), name = Widest({"Red", "Green", "Blue"});
  const int key = Widest({"1", "2", "3"}), bar = GetSystemMetrics(SM_CXVSCROLL);
  const struct {
    const char* widths;
    const char* showAll;
    std::vector<int> pos;
    int total;
  } cases[] = {
      {"40,60", "1", {40, 100, 100 + code + 4}, 100 + code + 4 + bar},
      {"40 60", "1", {40, 100, 100 + code + 4}, 100 + code + 4 + bar},
      {"", "1", {key + 4, key + name + 8, key + name + code + 12}, key + name + code + 12 + bar},
      {nullptr, "0", {0, name + 4, name + 4}, name + 4 + bar},
  };
  for (const auto& c : cases) {
    PutTabbed(1, 1, "1", kRows, "0", c.widths, c.showAll);
    auto* combo = Open(1, 1);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->m_layout.m_nSepCount, 2);
    for (size_t i = 0; i < c.pos.size(); ++i) EXPECT_EQ(combo->m_layout.m_anColPos[i], c.pos[i]) << c.widths << " " << i;
    EXPECT_EQ(combo->m_layout.m_nTotalWidth, c.total) << (c.widths ? c.widths : "none");
    UiAutomation::PressKey(VK_ESCAPE);
    ASSERT_TRUE(grid.SetCurrentCell(2, 2));
  }
  // At the screen's right edge a list wider than its cell ends at the cell's right edge.
  wnd.MoveWindow(CRect(1280 - 330, 100, 1280, 400), FALSE);
  PumpMessages();
  PutTabbed(1, 3, "1", kRows, "0", "200,200");
  auto* combo = Open(1, 3);
  ASSERT_NE(combo, nullptr);
  const CRect cell = grid.CalcRectFromRowCol(1, 3);
  CRect inner, list;
  combo->CGXStatic::GetCellInnerRect(inner, 1, 3, &cell);
  wnd.ClientToScreen(&inner);
  combo->GetDropDownWnd()->GetWindowRect(&list);
  EXPECT_EQ(list.right, inner.right);
  EXPECT_GT(list.Width(), 400);
}

TEST_F(TabbedCell, TypingCompletesTheTextWithTheRestSelected) {
  PutTabbed(1, 1, "", kRows);
  auto* combo = dynamic_cast<CGXTabbedComboBox*>(Current(1, 1));
  UiAutomation::TypeText("G");
  ASSERT_TRUE(combo->IsActive());
  EXPECT_EQ(EditText(combo), "Green");
  int start = -1, end = -1;
  combo->GetSel(start, end);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 5);
  // In the edit window: a new first letter replaces the completion; one that fits no entry is refused.
  combo->SetFocus();
  combo->SetSel(0, -1);
  UiAutomation::TypeText("R");
  EXPECT_EQ(EditText(combo), "Red");
  combo->GetSel(start, end);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 3);
  UiAutomation::TypeText("x");
  EXPECT_EQ(EditText(combo), "Red");
  ASSERT_TRUE(grid.SetCurrentCell(2, 2));
  EXPECT_EQ(Value(1, 1), "1");
}

TEST_F(TabbedCell, WideEntriesAreCutAndEmptyListsOpenEmpty) {
  std::string wide = "1\t" + std::string(200, 'w') + "\tx";
  for (int i = 3; i < 14; ++i) wide += "\tc" + std::to_string(i);
  PutTabbed(1, 1, "1", wide.c_str());
  CString text;
  ASSERT_TRUE(grid.GetRegisteredControl(52541)->GetDisplayText(text, 1, 1, nullptr, &grid.LookupStyleRowCol(1, 1)));
  EXPECT_EQ(text.GetLength(), 127);  // fields are used up to 127 bytes
  auto* combo = Open(1, 1);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->m_layout.m_nSepCount, 9);  // ten columns at most are measured
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_FALSE(combo->IsDroppedDown());
  EXPECT_EQ(EditText(combo).GetLength(), 127);
  PutTabbed(2, 1, "", "");
  combo = Open(2, 1);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetListBox()->GetCount(), 0);
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_FALSE(combo->IsDroppedDown());
  EXPECT_EQ(EditText(combo), "");
}

// In the grid's own window the cell's edit holds the focus when the list opens; Esc still keeps the
// entry browsed to with the arrow keys.
TEST(ComboCellInGridWindow, EscKeepsTheBrowsedEntryHoweverTheListOpened) {
  for (const bool byArrow : {false, true}) {
    CellGridWindow window(CRect(100, 100, 500, 400));
    ASSERT_TRUE(window.opened);
    ZAZAzedAze& grid = window.grid;
    CGXStyle style;
    style.SetControl(52531).SetValue("2").SetChoiceList("One\nTwo\nThree");
    grid.SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 1), &style);
    grid.SetFocus();
    ASSERT_TRUE(grid.SetCurrentCell(1, 1));
    PumpMessages();
    auto* combo = dynamic_cast<CGXComboBox*>(grid.GetControl(1, 1));
    ASSERT_NE(combo, nullptr);
    if (byArrow) {
      grid.Invalidate(FALSE);
      PumpMessages();
      combo->LayoutChildren(1, 1, grid.CalcRectFromRowCol(1, 1));
      UiAutomation::Click(grid.m_hWnd, combo->m_pButton->GetRect().CenterPoint());
    } else {
      UiAutomation::PressKey(VK_DOWN, UiAutomation::kAlt);
    }
    ASSERT_TRUE(combo->IsDroppedDown()) << byArrow;
    UiAutomation::PressKey(VK_DOWN);
    UiAutomation::PressKey(VK_ESCAPE);
    EXPECT_FALSE(combo->IsDroppedDown());
    CString text;
    combo->GetWindowText(text);
    EXPECT_EQ(text, "Three") << byArrow;
    ASSERT_TRUE(grid.SetCurrentCell(2, 1));
    EXPECT_EQ(grid.GetValueRowCol(1, 1), "3") << byArrow;
  }
}

}  // namespace

namespace {

// A paste into a text-fit cell is held to what typing may enter: a text that fits no choice would
// store an empty value.
TEST_F(ComboCell, CtrlVTakesOnlyATextThatFitsAChoice) {
  Put(3, 1, 52517, "zzz");
  Put(3, 2, 52517, "gre");
  Put(1, 1, 52527, "Red");
  Put(2, 1, 52527, "");
  const char* shown[] = {"Red", "gre"};
  for (ROWCOL r : {1, 2}) {
    Current(3, r);
    UiAutomation::PressKey('C', UiAutomation::kControl);
    CGXComboBox* combo = Current(r, 1);
    UiAutomation::PressKey(VK_END);
    ASSERT_TRUE(combo->IsActive());
    UiAutomation::PressKey('V', UiAutomation::kControl);
    EXPECT_EQ(EditText(combo), shown[r - 1]);
    UiAutomation::PressKey(VK_RETURN);
  }
  EXPECT_EQ(Value(1, 1), "Red");
  EXPECT_EQ(Value(2, 1), "Green");
}

}  // namespace
