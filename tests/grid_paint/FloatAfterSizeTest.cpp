// A text floating over its neighbours while the columns under it are hidden, shown again or resized:
// the window must show what a paint of the whole window shows, and the text floats as far as it needs.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/GridWindow.h"
#include "tests/support/LibraryDefaults.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

const char kLongText[] = "A rather long text that floats over C and D";

// A grid window that hands its hints to another one on the same parameter object.
class CLinkedGrid : public ZAZAzedAze {
 public:
  void UpdateAllViews(CView*, LPARAM lHint, CObject* pHint) override {
    if (peer) peer->OnGridUpdate(nullptr, lHint, pHint);
  }
  CGXGridCore* peer = nullptr;
};

class FloatAfterSize : public ::testing::TestWithParam<bool> {
 protected:
  static constexpr ROWCOL kRow = 6;
  void SetUp() override {
    dravonix::test::UseLibraryDefaults(GetParam());
    ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 640, 300), WS_VISIBLE | WS_VSCROLL | WS_HSCROLL));
    grid.SetRowCount(20);
    grid.SetColCount(9);
    grid.SetFloatCellsMode(1, FALSE);
    CGXData& data = *grid.GetParam()->GetData();
    for (ROWCOL c = 1; c <= 9; ++c) data.StoreStyleAt(kRow - 1, c, &CGXStyle().SetValue("x"), 0, 0);
    // A block of three cells of column F merged from top to bottom below the text.
    grid.SetMergeCellsMode(1, FALSE);
    for (ROWCOL r = kRow + 1; r <= kRow + 3; ++r)
      data.StoreStyleAt(r, 6, &CGXStyle().SetValue("merged").SetMergeCell(2).SetVerticalAlignment(DT_VCENTER), 0, 0);
    ::PumpMessages();
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  // Rows from the one above the text down to the last one given, across the window.
  std::vector<COLORREF> Band(ROWCOL last = kRow + 4) {
    CRect client;
    grid.GetClientRect(&client);
    const CRect a = grid.CalcRectFromRowCol(kRow - 1, 1), b = grid.CalcRectFromRowCol(last, 1);
    return dravonix::test::WindowPixels(grid.m_hWnd, CRect(client.left, a.top, client.right, b.bottom));
  }
  // The window painted anew over a surface no paint leaves behind.
  void PaintOver() {
    CRect client;
    grid.GetClientRect(&client);
    CClientDC(&grid).FillSolidRect(&client, RGB(255, 0, 255));
    grid.Invalidate(FALSE);
    ::PumpMessages();
  }
  ROWCOL FloatsTo() {
    CGXRange span;
    return grid.GetFloatedCellsRowCol(kRow, 2, span) && span.m_nLeft == 2 ? span.m_nRight : 2;
  }
  // B, C and D as wide as given, the text stored in B and the window painted whole.
  void Start(int b, int c, int d) {
    const int widths[] = {b, c, d};
    grid.SetColWidth(2, 4, 0, widths);
    grid.SetStyleRange(CGXRange().SetCellRange(kRow, 2, kRow, 2), &CGXStyle().SetValue(kLongText));
    PaintOver();
  }
  CWnd parent;
  CLinkedGrid grid;
};

}  // namespace

TEST_P(FloatAfterSize, WidthChangesUnderAFloatShowWhatAPaintShows) {
  struct Case {
    const char* what;
    std::function<void(ZAZAzedAze&)> change;
    ROWCOL floatsTo;
  } cases[] = {
      {"B narrower", [](ZAZAzedAze& g) { g.SetColWidth(2, 2, 50); }, 4},
      {"B wider", [](ZAZAzedAze& g) { g.SetColWidth(2, 2, 70); }, 4},
      {"C narrower", [](ZAZAzedAze& g) { g.SetColWidth(3, 3, 70); }, 4},
      {"B and C narrower", [](ZAZAzedAze& g) { g.SetColWidth(2, 3, 55); }, 4},
      {"B by its edge", [](ZAZAzedAze& g) {
         const CRect header = g.CalcRectFromRowCol(0, 2);
         const int y = header.top + 2;
         PostMouseInput(g.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{header.right, y});
         PostMouseInput(g.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, POINT{header.right - 10, y});
         PostMouseInput(g.m_hWnd, WM_LBUTTONUP, 0, POINT{header.right - 10, y});
       }, 4},
      {"C hidden", [](ZAZAzedAze& g) { g.HideCols(3, 3); }, 5},
      {"C hidden and shown", [](ZAZAzedAze& g) {
         g.HideCols(3, 3);
         ::PumpMessages();
         g.HideCols(3, 3, FALSE);
       }, 4},
      {"D hidden", [](ZAZAzedAze& g) { g.HideCols(4, 4); }, 5},
      {"the row above hidden and shown", [](ZAZAzedAze& g) {
         g.HideRows(kRow - 1, kRow - 1);
         ::PumpMessages();
         g.HideRows(kRow - 1, kRow - 1, FALSE);
       }, 4},
      {"a row of the merged block hidden", [](ZAZAzedAze& g) { g.HideRows(kRow + 2, kRow + 2); }, 4},
      {"a row of the merged block lower", [](ZAZAzedAze& g) { g.SetRowHeight(kRow + 2, kRow + 2, 8); }, 4},
      // Last: A and the text's row stay so. The text floats over C, which the window's edge cuts, and
      // D past it; in the tall row it wraps over what they leave it.
      {"D past the window's edge hidden under a tall row", [](ZAZAzedAze& g) {
         g.SetColWidth(1, 1, 480);
         g.SetRowHeight(kRow, kRow, 60);
         ::PumpMessages();
         g.HideCols(4, 4);
       }, 4},
  };
  for (const Case& c : cases) {
    Start(60, 80, 120);
    ASSERT_EQ(4u, FloatsTo()) << c.what;
    CGXRange merged;
    ASSERT_TRUE(grid.GetMergedCellsRowCol(kRow + 2, 6, merged)) << c.what;
    ASSERT_EQ(kRow + 1, merged.m_nTop) << c.what;
    ASSERT_EQ(kRow + 3, merged.m_nBottom) << c.what;
    c.change(grid);
    ::PumpMessages();
    EXPECT_EQ(c.floatsTo, FloatsTo()) << c.what;
    const std::vector<COLORREF> shown = Band();
    PaintOver();
    EXPECT_EQ(c.floatsTo, FloatsTo()) << c.what;
    EXPECT_TRUE(shown == Band()) << c.what;
    grid.HideCols(1, 9, FALSE);
    grid.HideRows(1, 20, FALSE);
  }
}

TEST_P(FloatAfterSize, AnotherWindowOnTheSameGridFollowsTheFloat) {
  CWnd parent2;
  ZAZAzedAze other;
  ASSERT_TRUE(OpenGridWindow(parent2, other, CRect(0, 300, 640, 600), WS_VISIBLE, grid.GetParam()));
  grid.m_bUpdateHints = TRUE;
  grid.peer = &other;
  const auto picture = [&]() {
    return dravonix::test::WindowPixels(other.m_hWnd, other.CalcRectFromRowColEx(kRow, 1, kRow, 7));
  };
  struct Step {
    const char* what;
    std::function<void()> change;
  } steps[] = {
      {"C hidden", [&] { grid.HideCols(3, 3); }},
      {"C shown", [&] { grid.HideCols(3, 3, FALSE); }},
      {"D narrower", [&] { grid.SetColWidth(4, 4, 100); }},
      {"C wider", [&] { grid.SetColWidth(3, 3, 150); }},
  };
  Start(60, 80, 120);
  for (const Step& s : steps) {
    other.Invalidate();
    ::PumpMessages();
    s.change();
    ::PumpMessages();
    const std::vector<COLORREF> shown = picture();
    CRect client;
    other.GetClientRect(&client);
    CClientDC(&other).FillSolidRect(&client, RGB(255, 0, 255));
    other.Invalidate(FALSE);
    ::PumpMessages();
    EXPECT_TRUE(shown == picture()) << s.what;
  }
  grid.peer = nullptr;
  other.DestroyWindow();
  parent2.DestroyWindow();
}

// Hiding, showing and resizing of the columns under the text, played step by step: after each step the
// window shows what a paint shows, and the text floats exactly as far as the widths make it need.
class FloatSteps : public FloatAfterSize {
 protected:
  struct Step {
    ROWCOL from, to;
    int width;  // -1 hides, -2 shows
  };
  void SetUp() override {
    FloatAfterSize::SetUp();
    Start(60, 80, 120);
    CGXStyle* style = grid.CreateStyle();
    grid.ComposeStyleRowCol(kRow, 2, style);
    need = grid.GetRegisteredControl(style->GetControl())->CalcSize(grid.GetClientDC(), kRow, 2, *style).cx;
    grid.RecycleStyle(style);
    for (ROWCOL c = 1; c <= 9; ++c) width[c] = grid.GetColWidth(c);
  }
  ROWCOL ModelFloatsTo() const {
    const auto shown = [&](ROWCOL c) { return hidden[c] ? 0 : width[c]; };
    ROWCOL last = 2;
    if (hidden[2]) return last;  // a hidden text shows nowhere
    for (LONG rest = need; rest > shown(last) && last < 9; ++last) rest -= shown(last);
    return last;
  }
  void Play(const Step& s) {
    if (s.width < 0) grid.HideCols(s.from, s.to, s.width == -1);
    else grid.SetColWidth(s.from, s.to, s.width);
    for (ROWCOL c = s.from; c <= s.to; ++c) (s.width < 0 ? void(hidden[c] = s.width == -1) : void(width[c] = s.width));
    played += " " + std::to_string(s.from) + ".." + std::to_string(s.to) + ":" + std::to_string(s.width);
    ::PumpMessages();
    ASSERT_EQ(ModelFloatsTo(), FloatsTo()) << played;
    const std::vector<COLORREF> shown = Band(kRow);
    PaintOver();
    ASSERT_TRUE(shown == Band(kRow)) << played;
  }
  LONG need = 0;
  int width[10] = {};
  bool hidden[10] = {};
  std::string played;
};

TEST_P(FloatSteps, Random) {
  std::mt19937 rng(72);
  for (int step = 0; step < 100 && !HasFatalFailure(); ++step) {
    const ROWCOL c = 2 + rng() % 5, to = std::min<ROWCOL>(c + rng() % 2, 6);
    Play(rng() % 3 ? Step{c, to, 20 + (int)(rng() % 130)} : Step{c, c, hidden[c] ? -2 : -1});
  }
}

// Found by the random steps.
TEST_P(FloatSteps, HidingDAfterNarrowingEAndF) {
  for (const Step& s : {Step{5, 6, 24}, Step{4, 4, -1}}) {
    Play(s);
    if (HasFatalFailure()) return;
  }
}

TEST_P(FloatSteps, HidingBWhereTheTextIsThenWideningIt) {
  for (const Step& s : {Step{2, 2, -1}, Step{2, 2, 136}}) {
    Play(s);
    if (HasFatalFailure()) return;
  }
}

// Stores into the floating row, width changes and hides played at random, with and without merged
// cells: after each step the window shows what a paint of the whole window shows, and no hidden
// cell's text shows.
class FloatStores : public FloatAfterSize {
 protected:
  struct Op {
    enum Kind { store, width, hide, show } kind;
    ROWCOL col;
    int arg;  // store: the text's index; width: the width; hide, show: the last column (0: col alone)
  };
  static constexpr const char* kTexts[] = {"", "x", kLongText, "Another long text over two cells"};
  void SetUp() override {
    FloatAfterSize::SetUp();
    // Three equal cells of row 10 merged along it.
    CGXData& data = *grid.GetParam()->GetData();
    for (ROWCOL c = 3; c <= 5; ++c) data.StoreStyleAt(kRow + 4, c, &CGXStyle().SetValue("wide merged").SetMergeCell(1), 0, 0);
    // And four of row 8, from B.
    for (ROWCOL c = 2; c <= 5; ++c) data.StoreStyleAt(kRow + 2, c, &CGXStyle().SetValue("same").SetMergeCell(1), 0, 0);
    grid.DelayMergeCells(CGXRange().SetWholeTable());
    PaintOver();
  }
  void Play(const Op& op) {
    switch (op.kind) {
      case Op::store:
        grid.SetStyleRange(CGXRange().SetCellRange(kRow, op.col, kRow, op.col), &CGXStyle().SetValue(kTexts[op.arg]));
        break;
      case Op::width: grid.SetColWidth(op.col, op.col, op.arg); break;
      case Op::hide: grid.HideCols(op.col, std::max<ROWCOL>(op.col, (ROWCOL)op.arg)); break;
      case Op::show: grid.HideCols(op.col, std::max<ROWCOL>(op.col, (ROWCOL)op.arg), FALSE); break;
    }
    played += " " + std::to_string(op.kind) + ":" + std::to_string(op.col) + ":" + std::to_string(op.arg);
    ::PumpMessages();
    const std::vector<COLORREF> shown = Band();
    PaintOver();
    ASSERT_TRUE(shown == Band()) << played;
    // A hidden anchor on screen floats nowhere (spans off screen are laid out when they come in).
    CRect area;
    grid.GetGridRect(&area);
    for (ROWCOL c = 2; c <= std::min<ROWCOL>(9, grid.CalcLastVisibleCol(area)); ++c) {
      CGXRange span;
      if (grid.IsColHidden(c) && grid.GetFloatedCellsRowCol(kRow, c, span)) {
        ASSERT_NE(span.m_nLeft, c) << played;
      }
    }
  }
  void PlayAll(std::initializer_list<Op> ops) {
    for (const Op& op : ops) {
      Play(op);
      if (HasFatalFailure()) return;
    }
  }
  std::string played;
};

// Runs down columns too, one crossing the run across row 8 at D8, one through the floating row.
class MergedFloatStores : public FloatStores {
 protected:
  void SetUp() override {
    FloatStores::SetUp();
    CGXData& data = *grid.GetParam()->GetData();
    for (ROWCOL c = 2; c <= 5; ++c) data.StoreStyleAt(kRow + 2, c, &CGXStyle().SetValue("same").SetMergeCell(3), 0, 0);
    for (ROWCOL r = kRow + 1; r <= kRow + 3; ++r)
      data.StoreStyleAt(r, 4, &CGXStyle().SetValue("same").SetMergeCell(3), 0, 0);
    for (ROWCOL r = kRow - 1; r <= kRow + 1; ++r) data.StoreStyleAt(r, 8, &CGXStyle().SetValue("down").SetMergeCell(2), 0, 0);
    grid.DelayMergeCells(CGXRange().SetWholeTable());
    PaintOver();
  }
};

TEST_P(MergedFloatStores, Random) {
  for (WORD merge : {1, 0}) {
    grid.SetMergeCellsMode(merge, TRUE);
    grid.HideCols(1, 9, FALSE);
    PaintOver();
    played += merge ? " merged:" : " plain:";
    std::mt19937 rng(11);
    for (int step = 0; step < 40 && !HasFatalFailure(); ++step) {
      const ROWCOL c = 1 + rng() % 9;
      switch (rng() % 4) {
        case 0:
        case 1: Play({Op::store, c, (int)(rng() % 4)}); break;
        case 2: Play({Op::width, c, 20 + (int)(rng() % 110)}); break;
        default: {
          // A few columns from here, or all from column A, or all to the last one.
          const ROWCOL runs[3][2] = {{c, std::min<ROWCOL>(c + rng() % 3, 9)}, {1, c}, {c, 9}};
          const ROWCOL* run = runs[rng() % 3];
          Play({grid.IsColHidden(run[0]) ? Op::show : Op::hide, run[0], (int)run[1]});
          break;
        }
      }
    }
  }
}

// Found by the random steps, and by hand.
TEST_P(FloatStores, HidingTheLastColumnOfATableThatEndsInTheWindow) {
  PlayAll({{Op::hide, 4, 0}, {Op::width, 3, 112}, {Op::hide, 2, 0}, {Op::hide, 7, 0}, {Op::hide, 9, 0}});
}

TEST_P(FloatStores, StoringIntoACellANeighboursFloatCovers) { PlayAll({{Op::store, 6, 2}, {Op::store, 7, 3}}); }

TEST_P(FloatStores, AnEmptiedCellGivesUpItsSpanToTheTextOnItsLeft) {
  PlayAll({{Op::store, 8, 2}, {Op::hide, 7, 0}, {Op::store, 5, 3}, {Op::store, 6, 3}, {Op::store, 6, 0}});
}

TEST_P(FloatStores, HidingTheLastColumnUnderAFloatThatRunsPastTheWindow) {
  PlayAll({{Op::hide, 5, 0}, {Op::hide, 6, 0}, {Op::hide, 8, 0}, {Op::store, 7, 3}, {Op::width, 4, 125}, {Op::hide, 9, 0}});
}

TEST_P(FloatStores, AHiddenCellsTextFloatsNowhere) {
  PlayAll({{Op::store, 3, 2}, {Op::hide, 3, 0}, {Op::store, 3, 3}, {Op::show, 3, 0}});
}

TEST_P(FloatStores, AFloatOverAHiddenTextsCellsEndsItsSpan) {
  PlayAll({{Op::store, 7, 2}, {Op::store, 4, 3}, {Op::hide, 9, 0}, {Op::hide, 5, 7}, {Op::width, 9, 128}});
}

TEST_P(FloatStores, StoringUnderAFloat) {
  PlayAll({{Op::store, 3, 1}, {Op::store, 2, 2}, {Op::store, 3, 1}, {Op::store, 3, 0}, {Op::store, 2, 2},
           {Op::hide, 3, 0}, {Op::store, 3, 1}, {Op::store, 3, 0}});
}

// A run across row 8 crossing one down column C, texts floating beside them, columns hidden from the left.
class MergedAfterHides : public ::testing::TestWithParam<bool> {};

TEST_P(MergedAfterHides, TheMergedTextShowsAsAPaintShowsIt) {
  dravonix::test::UseLibraryDefaults(GetParam());
  CWnd parent;
  ZAZAzedAze grid;
  ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 640, 240)));
  grid.SetRowCount(10);
  grid.SetColCount(7);
  grid.SetFloatCellsMode(1, FALSE);
  grid.SetStyleRange(CGXRange().SetCellRange(3, 2, 3, 2), &CGXStyle().SetValue("a text of forty characters, too wide...."));
  grid.SetStyleRange(CGXRange().SetCellRange(5, 1, 5, 1), &CGXStyle().SetValue(kLongText));
  grid.SetMergeCellsMode(1, FALSE);
  CGXData& data = *grid.GetParam()->GetData();
  for (ROWCOL r = 2; r <= 7; ++r) data.StoreStyleAt(r, 3, &CGXStyle().SetValue("same").SetMergeCell(3), 0, 0);
  for (ROWCOL c = 2; c <= 5; ++c) data.StoreStyleAt(8, c, &CGXStyle().SetValue("same").SetMergeCell(3), 0, 0);
  grid.Redraw();
  ::PumpMessages();
  grid.HideCols(1, 2);
  ::PumpMessages();
  grid.Invalidate();
  ::PumpMessages();
  grid.HideCols(4, 5);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
  // Where the runs cross, the cell is its row's: the rectangle of both would hold cells of neither.
  CGXRange block;
  ASSERT_TRUE(grid.GetCellRangeRowCol(8, 3, block));
  EXPECT_TRUE(block == CGXRange().SetCellRange(8, 2, 8, 5));
  ASSERT_TRUE(grid.GetCellRangeRowCol(7, 3, block));
  EXPECT_TRUE(block == CGXRange().SetCellRange(2, 3, 8, 3));
  grid.DestroyWindow();
  parent.DestroyWindow();
}

// Found by the random steps.
TEST_P(MergedFloatStores, HidingColumnsFromAToTheCrossing) { PlayAll({{Op::hide, 1, 3}}); }

TEST_P(MergedFloatStores, ShowingColumnsToTheEndAfterHidingThemFromA) { PlayAll({{Op::hide, 1, 6}, {Op::show, 4, 9}}); }

// Under the library's own defaults and under those of the kernel's grid views.
INSTANTIATE_TEST_SUITE_P(Defaults, FloatAfterSize, ::testing::Bool(), dravonix::test::LibraryDefaultsName);
INSTANTIATE_TEST_SUITE_P(Defaults, FloatSteps, ::testing::Bool(), dravonix::test::LibraryDefaultsName);
INSTANTIATE_TEST_SUITE_P(Defaults, FloatStores, ::testing::Bool(), dravonix::test::LibraryDefaultsName);
INSTANTIATE_TEST_SUITE_P(Defaults, MergedFloatStores, ::testing::Bool(), dravonix::test::LibraryDefaultsName);
INSTANTIATE_TEST_SUITE_P(Defaults, MergedAfterHides, ::testing::Bool(), dravonix::test::LibraryDefaultsName);

TEST_P(FloatAfterSize, ABaseStyleOrStylesMapChangedByTheProgramDecidesTheFloatAgain) {
  Start(60, 80, 120);
  ASSERT_EQ(4u, FloatsTo());
  CGXStylesMap before(*grid.GetParam()->GetStylesMap());
  grid.ChangeBaseStyle(before.GetStandardStyleId(), CGXStyle().SetFloatCell(FALSE), 0);
  ::PumpMessages();
  EXPECT_EQ(2u, FloatsTo());
  grid.ChangeStylesMap(before);
  ::PumpMessages();
  EXPECT_EQ(4u, FloatsTo());
}
