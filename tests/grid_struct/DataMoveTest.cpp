// Sorted and moved data as a user meets it: what the current cell edits afterwards, and the merged
// and floated cells the new order makes.
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXSortInfo.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/core/Automation.h"
#include "platform/core/Module.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

class GridDataMove : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 200), nullptr, 0);
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                            CRect(0, 0, 400, 200), &parent, 3));
    ASSERT_TRUE(grid.Initialize());
    grid.SetRowCount(4);
    grid.SetColCount(3);
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  void Put(ROWCOL r, ROWCOL c, const std::string& value, UINT merge = 0) {
    CGXStyle s;
    s.SetValue(value.c_str());
    if (merge) s.SetMergeCell(merge);
    grid.GetParam()->GetData()->StoreStyleAt(r, c, &s, 0);
  }
  std::string Value(ROWCOL r, ROWCOL c) { return grid.GetValueRowCol(r, c).str(); }
  std::string Column(ROWCOL c) {
    std::string out;
    for (ROWCOL r = 1; r <= grid.GetRowCount(); ++r) out += Value(r, c) + ",";
    return out;
  }
  std::string Row(ROWCOL r) {
    std::string out;
    for (ROWCOL c = 1; c <= grid.GetColCount(); ++c) out += Value(r, c) + ",";
    return out;
  }
  // A key pressed and released where the keyboard focus is.
  void Key(UINT vk) {
    PostKeyInput(WM_KEYDOWN, vk, 1);
    PostKeyInput(WM_KEYUP, vk, 0xC0000001);
    ::PumpMessages();
  }
  void Type(char ch) {
    const char typed[2] = {ch, 0};
    UiAutomation::TypeText(typed);
  }
  // F2, End and "x": the text the user then edits, thrown away with Escape.
  std::string TypedThenEscaped() {
    Key(VK_F2);
    Key(VK_END);
    Type('x');
    auto* edit = dynamic_cast<CGXEditControl*>(grid.GetCurrentCellControl());
    CString text;
    if (edit && edit->IsActive()) edit->GetWindowText(text);
    Key(VK_ESCAPE);
    return text.str();
  }
  // Merged and floated spans forgotten and found again from the cells.
  void EvaluateSpansAfresh() {
    grid.SetMergeCellsMode(0, FALSE), grid.SetMergeCellsMode(1, FALSE);
    grid.SetFloatCellsMode(0, FALSE), grid.SetFloatCellsMode(1, FALSE);
    grid.Redraw();
  }
  std::vector<COLORREF> Pixels(ROWCOL r1, ROWCOL c1, ROWCOL r2, ROWCOL c2) {
    ::PumpMessages();
    const CRect area = grid.CalcRectFromRowColEx(r1, c1, r2, c2);
    std::vector<COLORREF> out;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) out.push_back(GetWindowPixel(grid.m_hWnd, POINT{x, y}));
    return out;
  }
  std::string Span(ROWCOL r, ROWCOL c, BOOL bFloated = FALSE) {
    CGXRange s;
    if (!(bFloated ? grid.GetFloatedCellsRowCol(r, c, s) : grid.GetMergedCellsRowCol(r, c, s))) return "-";
    return std::to_string(bFloated ? s.m_nLeft : s.m_nTop) + "-" + std::to_string(bFloated ? s.m_nRight : s.m_nBottom);
  }
  static CGXSortInfoArray Keys(DWORD nRC, BOOL bDescending) {
    CGXSortInfoArray keys;
    keys.SetSize(1);
    keys[0].nRC = nRC, keys[0].sortType = CGXSortInfo::autodetect, keys[0].bDescending = bDescending;
    return keys;
  }
  BOOL MoveData(BOOL bRows, ROWCOL first, ROWCOL last, std::initializer_list<DWORD> order) {
    CDWordArray a;
    for (DWORD i : order) a.Add(i);
    return bRows ? grid.MoveDataRows(CGXRange().SetRowRange(first, last), a)
                 : grid.MoveDataCols(CGXRange().SetColRange(first, last), a);
  }
  CWnd parent;
  ZAZAzedAze grid;
};

}  // namespace

// The editor moves from cell to cell; each time F2 shows the cell's text from its start, and typing
// at its end shows the whole text.
TEST_F(GridDataMove, F2ShowsTheCellsTextOnEveryCell) {
  Put(1, 1, "abc"), Put(2, 1, "abc"), Put(3, 1, "abc");
  grid.Redraw();
  std::vector<COLORREF> selected, typed;
  for (ROWCOL r = 1; r <= 3; ++r) {
    SCOPED_TRACE(r);
    ASSERT_TRUE(grid.SetCurrentCell(r, 1));
    Key(VK_F2);
    const std::vector<COLORREF> f2 = Pixels(r, 1, r, 1);
    Key(VK_END);
    Type('x');
    const std::vector<COLORREF> x = Pixels(r, 1, r, 1);
    Key(VK_ESCAPE);
    if (r == 1) {
      // The selected text's highlight, and then the text, start at the cell's left edge.
      const int width = grid.CalcRectFromRowColEx(r, 1, r, 1).Width();
      for (const auto* pic : {&f2, &x}) {
        int left = width;
        for (size_t i = 0; i < pic->size(); ++i)
          if (GetGValue((*pic)[i]) < 100) left = std::min(left, (int)(i % (size_t)width));
        EXPECT_LE(left, 5);
      }
      selected = f2, typed = x;
      continue;
    }
    EXPECT_TRUE(f2 == selected);
    EXPECT_TRUE(x == typed);
  }
}

TEST_F(GridDataMove, TheCurrentCellEditsWhatTheSortPutThere) {
  const struct {
    const char* how;
    std::function<void()> sort;
  } ways[] = {
      {"sorted by a double click on the column's header",
       [&] {
         grid.GetParam()->m_bSortRowsOnDblClk = TRUE;
         const CPoint at = grid.CalcRectFromRowCol(0, 1).CenterPoint();
         for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP})
           PostMouseInput(grid.m_hWnd, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
         ::PumpMessages();
       }},
      {"sorted by the program",
       [&] {
         CGXSortInfoArray keys = Keys(1, FALSE);
         grid.SortRows(CGXRange().SetRowRange(1, 2), keys);
       }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    grid.SetRowCount(2);
    Put(1, 1, "b"), Put(2, 1, "a");
    grid.Redraw();
    // How editing "a" looks, taken on the second row.
    ASSERT_TRUE(grid.SetCurrentCell(2, 1));
    Key(VK_F2);
    const std::vector<COLORREF> editingA = Pixels(2, 1, 2, 1);
    ASSERT_GT(std::count_if(editingA.begin(), editingA.end(), [](COLORREF c) { return GetGValue(c) < 100; }), 10);
    Key(VK_ESCAPE);
    ASSERT_TRUE(grid.SetCurrentCell(1, 1));
    ::PumpMessages();

    way.sort();
    ASSERT_EQ(Column(1), "a,b,");
    ASSERT_TRUE(grid.IsCurrentCell(1, 1));
    Key(VK_F2);
    EXPECT_TRUE(Pixels(1, 1, 1, 1) == editingA);
    Key(VK_END);
    Type('x');
    Key(VK_RETURN);
    EXPECT_EQ(Column(1), "ax,b,");
  }
}

TEST_F(GridDataMove, AfterMovesTheirUndoAndRedoTheCurrentCellEditsItsOwnCell) {
  grid.SetRowCount(60);
  Put(1, 1, "b"), Put(1, 2, "a"), Put(1, 3, "c");
  ASSERT_TRUE(grid.SetCurrentCell(1, 1));
  ::PumpMessages();
  const struct {
    const char* what;
    std::function<BOOL()> act;
    const char* row1;
    const char* typed;
  } steps[] = {
      {"columns sorted", [&] { CGXSortInfoArray k = Keys(1, FALSE); grid.SortCols(CGXRange().SetColRange(1, 3), k); return TRUE; },
       "a,b,c,", "ax"},
      {"sort undone", [&] { return grid.Undo(); }, "b,a,c,", "bx"},
      {"sort redone", [&] { return grid.Redo(); }, "a,b,c,", "ax"},
      {"columns moved", [&] { return MoveData(FALSE, 1, 3, {2, 0, 1}); }, "c,a,b,", "cx"},
      {"move undone", [&] { return grid.Undo(); }, "a,b,c,", "ax"},
      {"move redone", [&] { return grid.Redo(); }, "c,a,b,", "cx"},
  };
  for (const auto& s : steps) {
    ASSERT_TRUE(s.act()) << s.what;
    ASSERT_EQ(Row(1), s.row1) << s.what;
    ASSERT_TRUE(grid.IsCurrentCell(1, 1)) << s.what;
    EXPECT_EQ(TypedThenEscaped(), s.typed) << s.what;
  }
  EXPECT_EQ(Row(1), "c,a,b,");  // Escape stored nothing

  // A row moved out of sight takes the current cell along; what is typed lands there.
  Put(2, 1, "p"), Put(3, 1, "r");
  ASSERT_TRUE(grid.SetCurrentCell(2, 1));
  ::PumpMessages();
  ASSERT_TRUE(grid.MoveRows(2, 2, 40));
  ::PumpMessages();
  ASSERT_TRUE(grid.IsCurrentCell(40, 1));
  Key(VK_END);
  Type('x');
  Key(VK_RETURN);
  EXPECT_EQ(Value(2, 1) + "," + Value(40, 1), "r,px");
}

TEST_F(GridDataMove, MergedAndFloatedCellsFollowTheNewOrder) {
  CGXStyle floats;
  floats.SetFloatCell(TRUE).SetFloodCell(TRUE);
  grid.SetStyleRange(CGXRange().SetColRange(2, 3), &floats);
  const char* column1[] = {"a", "a", "b", "c"};
  for (ROWCOL r = 1; r <= 4; ++r) Put(r, 1, column1[r - 1], 6);  // merged down the column by value
  const std::string longText(size_t(grid.GetColWidth(2) * 2 / 10 - 1), 'a');  // needs a bit less than two columns
  Put(1, 2, longText);  // floats over the empty third column
  Put(2, 2, longText), Put(2, 3, "z");
  EvaluateSpansAfresh();
  auto spans = [&] {
    ::PumpMessages();
    return Span(1, 1) + Span(2, 1) + Span(3, 1) + "|" + Span(1, 2, TRUE) + Span(2, 2, TRUE) + Span(3, 2, TRUE);
  };
  ASSERT_EQ(spans(), "1-21-2-|2-3--");

  const struct {
    const char* what;
    std::function<BOOL()> act;
    const char* column1;
    const char* spans;
  } steps[] = {
      {"sorted descending",
       [&] {
         CGXSortInfoArray k = Keys(1, TRUE);
         grid.SortRows(CGXRange().SetRowRange(1, 4), k);
         return TRUE;
       },
       "c,b,a,a,", "--3-4|--2-3"},
      {"sort undone", [&] { return grid.Undo(); }, "a,a,b,c,", "1-21-2-|2-3--"},
      {"sort redone", [&] { return grid.Redo(); }, "c,b,a,a,", "--3-4|--2-3"},
      {"rows moved", [&] { return MoveData(TRUE, 1, 4, {2, 3, 0, 1}); }, "a,a,c,b,", "1-21-2-|2-3--"},
      {"move undone", [&] { return grid.Undo(); }, "c,b,a,a,", "--3-4|--2-3"},
  };
  for (const auto& s : steps) {
    ASSERT_TRUE(s.act()) << s.what;
    ASSERT_EQ(Column(1), s.column1) << s.what;
    EXPECT_EQ(spans(), s.spans) << s.what;
    // Drawn as spans found from nothing draw.
    const std::vector<COLORREF> picture = Pixels(1, 1, 4, 3);
    EvaluateSpansAfresh();
    EXPECT_EQ(spans(), s.spans) << s.what;
    EXPECT_TRUE(Pixels(1, 1, 4, 3) == picture) << s.what;
  }
}

// Text typed into the current cell goes into the sort; text the cell refuses stops it, is told once
// and stays.
TEST_F(GridDataMove, ASortStoresTheTypedTextOrLeavesARefusedOneAsTyped) {
  const struct {
    char typed;
    const char* column1;
    ROWCOL currentRow;
    const char* edit;
    size_t boxes;
  } cases[] = {{'3', "1,3,4,", 1, "", 0}, {'9', "1,4,2,", 3, "9", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    grid.SetRowCount(3);
    CGXStyle atMostFive;
    atMostFive.SetUserAttribute(51012, "5").SetUserAttribute(51013, "At most 5");
    Automation::Instance().ClearMessageBoxes();
    grid.SetStyleRange(CGXRange().SetColRange(1, 1), &atMostFive);
    Put(1, 1, "1"), Put(2, 1, "4"), Put(3, 1, "2");
    ASSERT_TRUE(grid.SetCurrentCell(3, 1));
    ::PumpMessages();
    Key(VK_F2), Key(VK_END), Key(VK_BACK), Type(c.typed);
    CGXSortInfoArray keys = Keys(1, FALSE);
    grid.SortRows(CGXRange().SetRowRange(1, 3), keys);
    ::PumpMessages();
    EXPECT_EQ(Column(1), c.column1);
    EXPECT_TRUE(grid.IsCurrentCell(c.currentRow, 1));
    auto* edit = dynamic_cast<CGXEditControl*>(grid.GetCurrentCellControl());
    CString text;
    if (edit && edit->IsActive()) edit->GetWindowText(text);
    EXPECT_EQ(text.str(), c.edit);
    EXPECT_EQ(Automation::Instance().MessageBoxes().size(), c.boxes);
    Key(VK_ESCAPE);
  }
}
