// Sizing rows and columns by mouse while a cell is being edited: a best fit measures every cell
// through the one edit control, and the cell being edited keeps its text, caret and modified flag.
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStyle.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/core/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/GridWindow.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

namespace {

constexpr ROWCOL kRows = 12, kCols = 5;

class FitWhileEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 640, 400)));
    grid.SetRowCount(kRows);
    grid.SetColCount(kCols);
    for (ROWCOL r = 1; r <= kRows; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c) Put(r, c, (r * 7 + c * 3) % 4 == 0 ? "a wider text than most" : (r + c) % 3 ? "mid" : "");
    Put(11, 2, "a much longer cell text for fitting");
    grid.SetFocus();
    ::PumpMessages();
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
    ::PumpMessages();
    Clock::UseRealTime();
  }
  // Unwrapped, so End goes to the end of the text whatever height its row gets.
  void Put(ROWCOL r, ROWCOL c, const std::string& text) {
    grid.SetStyleRange(CGXRange().SetCellRange(r, c, r, c), &CGXStyle().SetValue(text.c_str()).SetWrapText(FALSE));
    stored[r][c] = text;
  }
  // Input a second apart: only a double click makes a double click.
  void Click(CPoint pt) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(grid.m_hWnd, pt);
  }
  void DoubleClick(CPoint pt) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::DoubleClick(grid.m_hWnd, pt);
  }
  void Drag(CPoint from, CPoint to) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Drag(grid.m_hWnd, from, to, 1);
    UiAutomation::Pump();
  }
  // Keys and characters go where the focus is: the grid, or the edit of the cell being edited.
  static void Key(UINT vk) { UiAutomation::PressKey(vk); }
  static void Char(char ch) { UiAutomation::TypeText(std::string(1, ch).c_str()); }
  // Row n's lower edge in the row headers, column n's right edge in the column headers.
  CPoint Edge(bool row, ROWCOL n) {
    const CRect r = grid.CalcRectFromRowCol(row ? n : 0, row ? 0 : n);
    return row ? CPoint(r.CenterPoint().x, r.bottom) : CPoint(r.right, r.CenterPoint().y);
  }
  CGXEditControl* Edit() { return dynamic_cast<CGXEditControl*>(grid.GetControl(1, 1)); }
  std::string EditText() {
    CString t;
    Edit()->GetWindowText(t);
    return t.str();
  }
  std::pair<int, int> Sel() {
    int start = 0, end = 0;
    Edit()->GetSel(start, end);
    return {start, end};
  }
  // Every cell's stored text against what was put or typed there.
  ::testing::AssertionResult StoredAsTyped() {
    for (ROWCOL r = 1; r <= kRows; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c)
        if (grid.GetValueRowCol(r, c).str() != stored[r][c])
          return ::testing::AssertionFailure() << "cell " << r << "," << c << " holds \"" << grid.GetValueRowCol(r, c).str()
                                               << "\", not \"" << stored[r][c] << "\"";
    return ::testing::AssertionSuccess();
  }
  CWnd parent;
  ZAZAzedAze grid;
  std::string stored[kRows + 1][kCols + 1];
};

}  // namespace

TEST_F(FitWhileEditing, AFitByDoubleClickKeepsTheEditedCell) {
  for (bool row : {true, false}) {
    SCOPED_TRACE(row ? "row 2" : "column C");
    Click(grid.CalcRectFromRowCol(11, 2).CenterPoint());
    ASSERT_TRUE(Edit()->IsActive());
    DoubleClick(Edge(row, row ? 2 : 3));
    EXPECT_TRUE(Edit()->IsInitAt(11, 2));
    EXPECT_EQ(EditText(), stored[11][2]);
    Key(VK_END);
    Char('Z');
    Key(VK_DOWN);
    stored[11][2] += "Z";
    EXPECT_TRUE(StoredAsTyped());
  }
}

// Random clicks, typing, End and Home, Down, and fits and drags on header edges: the cells hold what
// was typed into them, and the cell being edited its text, caret and modified flag.
TEST_F(FitWhileEditing, RandomSizingWhileEditingKeepsEveryText) {
  std::mt19937 rng(85);
  auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
  CRect area;
  grid.GetGridRect(&area);
  for (int seq = 0; seq < 12; ++seq) {
    std::string log;
    ROWCOL cr = 0, cc = 0;
    bool active = false, modified = false;
    std::string text;
    std::pair<int, int> sel;  // the edit's selection, the caret where both ends meet
    for (int step = 0; step < 24; ++step) {
      const int what = cr ? pick(8) : 0;
      if (what == 0) {
        const ROWCOL r = 1 + pick(kRows), c = 1 + pick(kCols);
        const CPoint at = grid.CalcRectFromRowCol(r, c).CenterPoint();
        ROWCOL hr = 0, hc = 0;
        if (!area.PtInRect(at) || grid.HitTest(at, &hr, &hc) != 3 || hr != r || hc != c) continue;
        log += " click" + std::to_string(r) + "," + std::to_string(c);
        if (modified && (r != cr || c != cc)) stored[cr][cc] = text;
        if (r != cr || c != cc) modified = false;
        Click(at);
        cr = r, cc = c;
        // Where the click puts the caret is the edit's own affair.
        active = Edit()->IsActive();
        text = active ? EditText() : stored[r][c];
        sel = active ? Sel() : std::make_pair(0, 0);
      } else if (what == 1 || what == 2) {
        const char ch = (char)('a' + pick(26));
        log += std::string(" type") + ch;
        Char(ch);
        if (!active) text.clear(), sel = {0, 0};
        text.replace((size_t)sel.first, (size_t)(sel.second - sel.first), 1, ch);
        sel.second = ++sel.first;
        active = modified = true;
      } else if (what == 3) {
        const bool end = pick(2);
        log += end ? " End" : " Home";
        Key(end ? VK_END : VK_HOME);
        active = true;
        sel.first = sel.second = end ? (int)text.size() : 0;
      } else if (what == 4 && cr < kRows) {
        log += " Down";
        Key(VK_DOWN);
        if (modified) stored[cr][cc] = text;
        ++cr;
        active = modified = false;
        text = stored[cr][cc];
      } else {
        const bool row = pick(2);
        const ROWCOL n = 1 + pick(row ? kRows : kCols);
        const CPoint at = Edge(row, n);
        ROWCOL hr = 0, hc = 0;
        if (!area.PtInRect(at) || grid.HitTest(at, &hr, &hc) != (row ? 2 : 1) || (row ? hr : hc) != n) continue;
        const int size = row ? grid.GetRowHeight(n) : grid.GetColWidth(n);
        const int by = std::max(12 - size, pick(61) - 30);
        log += (what < 7 ? " fit" : " drag") + std::string(row ? "R" : "C") + std::to_string(n) + (what < 7 ? "" : std::to_string(by));
        if (what < 7) DoubleClick(at);
        else Drag(at, row ? CPoint(at.x, at.y + by) : CPoint(at.x + by, at.y));
      }
      ASSERT_TRUE(StoredAsTyped()) << log;
      if (!active) continue;
      ASSERT_TRUE(Edit()->IsInitAt(cr, cc) && Edit()->IsActive()) << log;
      ASSERT_EQ(EditText(), text) << log;
      ASSERT_EQ(Sel(), sel) << log;
      ASSERT_EQ((bool)Edit()->GetModify(), modified) << log;
    }
    // Leaving the cell stores what was typed.
    if (modified) stored[cr][cc] = text;
    if (cr) Key(cr < kRows ? VK_DOWN : VK_UP);
    ASSERT_TRUE(StoredAsTyped()) << log;
  }
}
