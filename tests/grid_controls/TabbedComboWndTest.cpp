// The native tabbed combo cell: rows that lead with the text column, the key stored, the edit field
// completing typed text and taking back what fits no row, the title strip over the dropped list.
#include "grid/controls/GXTabbedComboBoxWnd.h"
#include "grid/engine/GXGridCore.h"

#include "platform/ui/UiAutomation.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"

#include <algorithm>
#include <string>

namespace {

class TabbedWndCell : public CellGrid {
 protected:
  CGXTabbedComboBoxWnd* PutTabbed(UINT id, ROWCOL r, ROWCOL c, const char* value, const char* choices = kRows,
                                  const char* titles = "0") {
    Put(id, value, choices);
    style.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1").SetUserAttribute(51031, titles);
    Store(r, c);
    return dynamic_cast<CGXTabbedComboBoxWnd*>(grid.GetRegisteredControl(id));
  }
  void ClickArrow(ROWCOL r, ROWCOL c) {
    const CRect cell = grid.CalcRectFromRowCol(r, c);
    Click(CPoint(cell.right - 8, cell.top + 6));
  }
  HWND Edit(CGXTabbedComboBoxWnd* combo) { return ::GetWindow(combo->m_hWnd, GW_CHILD); }
  std::string EditText(CGXTabbedComboBoxWnd* combo) {
    char text[256] = {};
    ::GetWindowText(Edit(combo), text, 255);
    return text;
  }
  void Type(HWND, char ch) {
    const char typed[2] = {ch, 0};
    UiAutomation::TypeText(typed);
  }
};

TEST_F(TabbedWndCell, RowsLeadWithTheTextColumnAndTheKeyIsStored) {
  CGXTabbedComboBoxWnd* combo = PutTabbed(52539, 1, 1, "2");
  ASSERT_NE(combo, nullptr);
  ASSERT_TRUE(grid.SetCurrentCell(1, 1));
  ::PumpMessages();
  ASSERT_EQ(combo->CComboBox::GetCount(), 3);
  CString row;
  combo->GetLBText(0, row);
  EXPECT_EQ(row, "Red\t1\tRed\t#F00");
  EXPECT_EQ(combo->GetCurSel(), 1);
  ClickArrow(1, 1);
  ASSERT_TRUE(combo->IsActive());
  EXPECT_TRUE(combo->GetDroppedState());
  EXPECT_EQ(EditText(combo), "Green");  // the edit shows the first field only
  Key(VK_DOWN);                          // from the edit field to the open list
  EXPECT_EQ(combo->GetCurSel(), 2);
  EXPECT_EQ(EditText(combo), "Blue");
  Key(VK_RETURN);
  EXPECT_FALSE(combo->GetDroppedState());
  Key(VK_TAB);
  EXPECT_EQ(Value(1, 1), "3");
  // In the drop-down list the keys move the selection; the key of the row chosen is stored.
  combo = PutTabbed(52540, 3, 1, "2");
  ASSERT_TRUE(grid.SetCurrentCell(3, 1));
  ClickArrow(3, 1);
  ASSERT_TRUE(combo->GetDroppedState());
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(combo->GetDroppedState());
  CString current;
  combo->GetCurrentText(current);
  EXPECT_EQ(current, "Blue");
  Key(VK_TAB);
  EXPECT_EQ(CurrentCol(), 2u);
  EXPECT_EQ(Value(3, 1), "3");
  // Stores through the text column; an empty text clears, an unknown one is refused.
  const struct {
    const char* text;
    BOOL ok;
    const char* stored;
  } stores[] = {{"Green", TRUE, "2"}, {"", TRUE, ""}, {"Pink", FALSE, "old"}};
  for (const auto& c : stores) {
    PutTabbed(52540, 2, 1, "old");
    EXPECT_EQ(grid.GetRegisteredControl(52540)->StoreCellText(2, 1, c.text, 2, nullptr), c.ok) << c.text;
    EXPECT_EQ(Value(2, 1), c.stored) << c.text;
  }
}

TEST_F(TabbedWndCell, TypingCompletesARowAndTakesBackWhatFitsNone) {
  CGXTabbedComboBoxWnd* combo = PutTabbed(52539, 1, 1, "");
  // A click on the cell's text, then F2: the cell's edit takes the keys.
  const CRect cell = grid.CalcRectFromRowCol(1, 1);
  Click(CPoint(cell.left + 10, cell.CenterPoint().y));
  if (!combo->IsActive()) Key(VK_F2);
  ASSERT_TRUE(combo->IsActive());
  Repaint();
  HWND edit = Edit(combo);
  ASSERT_EQ(::GetFocus(), edit);
  const struct {
    char ch;
    const char* text;
    int selStart, selEnd;
  } steps[] = {{'Q', "", 0, 0}, {'B', "Blue", 1, 4}, {'x', "Blue", 1, 4}, {'l', "Blue", 2, 4}};
  for (const auto& s : steps) {
    Type(edit, s.ch);
    EXPECT_EQ(EditText(combo), s.text) << s.ch;
    DWORD start = 0, end = 0;
    ::SendMessage(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ((int)start, s.selStart) << s.ch;
    EXPECT_EQ((int)end, s.selEnd) << s.ch;
  }
  Key(VK_TAB);
  EXPECT_EQ(Value(1, 1), "3");
}

TEST_F(TabbedWndCell, TheDroppedListIsAsWideAsItsColumnsUnderItsTitles) {
  const std::string titled = std::string("Key\tName\tCode\n") + kRows;
  CGXTabbedComboBoxWnd* combo = PutTabbed(52540, 1, 1, "1", titled.c_str(), "1");
  ASSERT_TRUE(grid.SetCurrentCell(1, 1));
  ClickArrow(1, 1);
  ASSERT_TRUE(combo->GetDroppedState());
  ::PumpMessages();
  CGXTabbedLBoxHeader* header = combo->GetHeader();
  ASSERT_TRUE(header->GetSafeHwnd());
  EXPECT_TRUE(header->IsWindowVisible());
  EXPECT_EQ(header->m_strTitle, "Name\tKey\tName\tCode");
  CRect list, headerRect, client;
  list = combo->GetListPlacement();
  header->GetWindowRect(&headerRect);
  combo->GetClientRect(&client);
  EXPECT_EQ(list.Width(), std::max<int>(client.Width(), combo->m_layout.m_nTotalWidth));
  EXPECT_EQ(headerRect.bottom, list.top);  // the titles sit on the list below the combo
  EXPECT_EQ(headerRect.Width(), list.Width());
  header->UpdateWindow();
  SaveWindowImage(header, dravonix::test::OutputPath("grid_tabbedwnd_header.png").c_str());
  CString current;
  combo->GetCurrentText(current);
  EXPECT_EQ(current, "Red");
  Key(VK_ESCAPE);
  EXPECT_FALSE(combo->GetDroppedState());
  EXPECT_FALSE(header->IsWindowVisible());
}

}  // namespace
