// The native combo box cell: values as text or index, the list opened by a click, keys at the edges.
#include "grid/controls/GXComboBoxWnd.h"
#include "grid/engine/GXGridCore.h"

#include "platform/ui/UiAutomation.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"

#include <string>
#include <vector>

namespace {

class ComboWndCell : public CellGrid {
 protected:
  CGXComboBoxWnd* Combo(UINT id) { return dynamic_cast<CGXComboBoxWnd*>(grid.GetRegisteredControl(id)); }
  // An index-valued drop-down list counted from 1 that shows the entry's text.
  CGXComboBoxWnd* IndexCombo() {
    auto* combo = new CGXComboBoxWnd(&grid);
    EXPECT_TRUE(combo->CreateControl(0x200003, 15020));
    combo->m_nIndexValue = 1;
    combo->m_bDispChoice = TRUE;
    grid.RegisterControl(15020, combo, FALSE, FALSE);
    return combo;
  }
  void ClickArrow(ROWCOL r, ROWCOL c) {
    const CRect cell = grid.CalcRectFromRowCol(r, c);
    Click(CPoint(cell.right - 8, cell.top + 6));
  }
  std::string Text(CGXComboBoxWnd* combo) {
    CString text;
    combo->GetComboText(text);
    return text.str();
  }
};

TEST_F(ComboWndCell, APrefixValueSelectsItsItemAndAChosenItemIsStoredAsText) {
  Put(52529, "Gr", kColours);
  Store(2, 1);
  CGXComboBoxWnd* combo = Combo(52529);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->m_nFrameMargin, 3);
  ClickArrow(2, 1);  // the simulated click opens the list
  ASSERT_TRUE(combo->IsActive());
  EXPECT_TRUE(combo->GetDroppedState());
  EXPECT_TRUE(grid.m_bDropDownOpen);
  EXPECT_EQ(combo->GetCurSel(), 1);
  SaveWindowImage(&grid, dravonix::test::OutputPath("grid_combownd.png").c_str());
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(combo->GetDroppedState());
  EXPECT_FALSE(grid.m_bDropDownOpen);
  Key(VK_TAB);
  EXPECT_EQ(CurrentCol(), 2u);
  EXPECT_EQ(Value(2, 1), "Blue");
}

TEST_F(ComboWndCell, IndexValuesShowTheirEntryAndStoreTheChosenIndex) {
  CGXComboBoxWnd* combo = IndexCombo();
  Put(15020, "2", kColours);
  Store(1, 1);
  CString shown;
  combo->GetDisplayText(shown, 1, 1, nullptr, &grid.LookupStyleRowCol(1, 1));
  EXPECT_EQ(shown.str(), "Green");
  const struct {
    const char *value, *shown;
  } values[] = {{"1", "Red"}, {"4", ""}, {"", ""}, {"0", ""}};
  for (const auto& v : values) {
    combo->GetDisplayText(shown, 1, 1, v.value, &grid.LookupStyleRowCol(1, 1));
    EXPECT_EQ(shown.str(), v.shown) << v.value;
  }
  ClickArrow(1, 1);
  ASSERT_TRUE(combo->GetDroppedState());
  Key(VK_DOWN);
  Key(VK_RETURN);
  Key(VK_TAB);
  EXPECT_EQ(Value(1, 1), "3");
  // Text stored into the cell is converted; a text naming no choice is refused, an empty one clears.
  const struct {
    const char* text;
    BOOL ok;
    const char* stored;
  } texts[] = {{"gre", TRUE, "2"}, {"Purple", FALSE, "2"}, {"", TRUE, ""}};
  for (const auto& t : texts) {
    EXPECT_EQ(combo->StoreCellText(1, 1, t.text, 2, nullptr), t.ok) << t.text;
    EXPECT_EQ(Value(1, 1), t.stored) << t.text;
  }
}

TEST_F(ComboWndCell, KeysAtTheEdgesGoToTheGridAndDeleteClearsAList) {
  const COLORREF kInterior = RGB(255, 255, 200);
  Put(52528, "abc", kColours).SetInterior(kInterior);
  Store(2, 2);
  CGXComboBoxWnd* editable = Combo(52528);
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  Click(CPoint(cell.left + 8, cell.top + 6));
  ASSERT_TRUE(editable->IsActive());
  CRect window;
  editable->GetWindowRect(&window);
  grid.ScreenToClient(&window);
  EXPECT_EQ(Pixel(window.left + 60, window.CenterPoint().y), kInterior);  // the edit field has the cell's colour
  editable->SetEditSel(1, 1);
  Key(VK_LEFT);
  EXPECT_EQ(CurrentCol(), 2u);  // the caret moved
  editable->SetEditSel(0, 0);
  Key(VK_LEFT);
  EXPECT_EQ(CurrentCol(), 1u);

  Put(52529, "Green", kColours);
  Store(3, 2);
  ClickArrow(3, 2);
  CGXComboBoxWnd* list = Combo(52529);
  ASSERT_TRUE(list->IsActive());
  Key(VK_ESCAPE);  // closes the list
  Key(VK_DELETE);
  EXPECT_EQ(Value(3, 2), "");
  EXPECT_FALSE(list->IsActive());
}

TEST_F(ComboWndCell, TheListOpensAtMostEightRowsHigh) {
  std::string many;
  for (int i = 0; i < 20; ++i) many += "Item " + std::to_string(i) + "\n";
  const struct {
    const char* choices;
    int rows;
  } cases[] = {{many.c_str(), 8}, {kColours, 3}};
  CGXComboBoxWnd* combo = Combo(52529);
  for (const auto& c : cases) {
    Put(52529, "", c.choices);
    Store(4, 3);
    ASSERT_TRUE(grid.SetCurrentCell(1, 1));
    ClickArrow(4, 3);
    ASSERT_TRUE(combo->IsActive());
    CRect dropped;
    combo->GetDroppedControlRect(&dropped);
    // The selection field is a text line high with the frame margin above and below.
    const int row = combo->m_nTextHeight + 2;
    EXPECT_EQ(dropped.Height() - (row + 2 * combo->m_nFrameMargin), row * c.rows) << c.rows;
    Key(VK_ESCAPE);
  }
}

TEST_F(ComboWndCell, TypingOnAnInactiveCellAndAltDown) {
  const struct {
    UINT control;
    char typed;
    const char* stored;
  } cases[] = {{52529, 'b', "Blue"}, {52529, 'g', "Green"}, {52528, 'x', "x"}};
  for (const auto& c : cases) {
    Put(c.control, "Red", kColours);
    Store(2, 3);
    ASSERT_TRUE(grid.SetCurrentCell(2, 3));
    const char typed[2] = {c.typed, 0};
    UiAutomation::TypeText(typed);
    ASSERT_TRUE(Combo(c.control)->IsActive()) << c.typed;
    Key(VK_TAB);
    EXPECT_EQ(Value(2, 3), c.stored) << c.typed;
  }
  Put(52529, "Red", kColours);
  Store(2, 3);
  ASSERT_TRUE(grid.SetCurrentCell(2, 3));
  PostKeyInput(WM_KEYDOWN, VK_MENU, 1);
  PostKeyInput(WM_SYSKEYDOWN, VK_DOWN, 1 | (1 << 29));
  ::PumpMessages();
  PostKeyInput(WM_KEYUP, VK_MENU, 0xC0000001);
  ::PumpMessages();
  EXPECT_TRUE(Combo(52529)->GetDroppedState());
  EXPECT_TRUE(grid.m_bDropDownOpen);
}

TEST_F(ComboWndCell, AReadOnlyCellsChangeSnapsBack) {
  Put(52529, "Red", kColours).SetReadOnly(TRUE);
  Store(1, 3);
  CGXComboBoxWnd* combo = Combo(52529);
  ClickArrow(1, 3);
  ASSERT_TRUE(combo->GetDroppedState());
  Key(VK_DOWN);
  EXPECT_EQ(Text(combo), "Red");
  Key(VK_RETURN);
  Key(VK_TAB);
  EXPECT_EQ(Value(1, 3), "Red");
}

// An owner-drawn combo that records how it is asked to draw its other cells.
class CRecordingCombo : public CGXComboBoxWnd {
 public:
  using CGXComboBoxWnd::CGXComboBoxWnd;
  void DrawItem(LPDRAWITEMSTRUCT dis) override { drawn.push_back(*dis); }
  std::vector<DRAWITEMSTRUCT> drawn;
};

TEST_F(ComboWndCell, OwnerDrawnCombosDrawTheirOtherCellsThemselves) {
  auto* combo = new CRecordingCombo(&grid);
  ASSERT_TRUE(combo->CreateControl(0x200003 | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 15021));
  grid.RegisterControl(15021, combo, FALSE, FALSE);
  EXPECT_FALSE(combo->m_bTextCapable);
  Put(15021, "2", kColours);
  Store(3, 1);
  ASSERT_TRUE(grid.SetCurrentCell(1, 4));
  combo->drawn.clear();
  Repaint();
  ASSERT_EQ(combo->drawn.size(), 1u);
  const DRAWITEMSTRUCT& d = combo->drawn[0];
  EXPECT_EQ(d.CtlType, (UINT)ODT_COMBOBOX);
  EXPECT_EQ(d.itemID, 2u);
  EXPECT_EQ(d.itemAction, (UINT)ODA_DRAWENTIRE);
  EXPECT_EQ(d.itemState, 1u);
  EXPECT_EQ(d.hwndItem, combo->m_hWnd);
  CRect inner;
  const CRect cell = grid.CalcRectFromRowCol(3, 1);
  combo->GetCellInnerRect(inner, 3, 1, &cell, &grid.LookupStyleRowCol(3, 1));
  inner.DeflateRect(2, 2);  // inside the one-pixel item frame
  EXPECT_TRUE(CRect(d.rcItem) == inner);
}

}  // namespace
