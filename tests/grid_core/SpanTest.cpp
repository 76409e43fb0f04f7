// Covered, merged and floated cells, the span and delayed-range pools behind them.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXDelayedRange.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXSpanCellPool.h"
#include "platform/core/Automation.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/CellRange.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using dravonix::test::Cells;

std::string Str(const CGXRange& r) {
  return std::to_string(r.m_nTop) + "," + std::to_string(r.m_nLeft) + "-" + std::to_string(r.m_nBottom) + "," +
         std::to_string(r.m_nRight);
}

// ---- delayed ranges ----

TEST(DelayedRangePool, AddingJoinsAndAbsorbs) {
  CGXDelayedRangePool pool;
  pool.AddRange(Cells(2, 2, 3, 3));
  pool.AddRange(Cells(5, 5, 6, 6));
  pool.AddRange(Cells(1, 1, 8, 8));  // holds both
  ASSERT_EQ(pool.GetCount(), 1);
  EXPECT_EQ(Str(pool.GetAt(0)->m_range), "1,1-8,8");
  pool.AddRange(Cells(1, 9, 8, 12));  // right beside: widens
  ASSERT_EQ(pool.GetCount(), 1);
  EXPECT_EQ(Str(pool.GetAt(0)->m_range), "1,1-8,12");
  pool.AddRange(Cells(20, 20, 20, 20));
  EXPECT_EQ(pool.GetCount(), 2);
}

TEST(DelayedRangePool, DueIntervalsAreHandedOutOnce) {
  CGXDelayedRangePool pool;
  pool.AddRange(Cells(1, 1, 10, 10));
  CDWordArray first, last;
  ASSERT_TRUE(pool.GetDueIntervals(Cells(3, 4, 4, 20), first, last));
  ASSERT_EQ(first.GetSize(), 2);
  EXPECT_EQ(first[0], 4u);
  EXPECT_EQ(last[1], 10u);
  EXPECT_FALSE(pool.GetDueIntervals(Cells(3, 4, 4, 20), first, last));
  // Columns left of the asked ones are still due in those rows.
  ASSERT_TRUE(pool.GetDueIntervals(Cells(3, 1, 3, 10), first, last));
  EXPECT_EQ(first[0], 1u);
  EXPECT_EQ(last[0], 3u);
  CGXRange empty = Cells(5, 5, 5, 5);
  empty.m_nBottom = 4;
  EXPECT_FALSE(pool.GetDueIntervals(empty, first, last));

  CGXDelayedRangePool halves;
  halves.AddRange(Cells(1, 1, 10, 2));
  ASSERT_TRUE(halves.GetDueIntervals(Cells(1, 1, 5, 2), first, last));
  EXPECT_EQ(halves.GetCount(), 1);
  ASSERT_TRUE(halves.GetDueIntervals(Cells(6, 1, 10, 2), first, last));
  EXPECT_EQ(halves.GetCount(), 0);

  halves.AddRange(Cells(1, 1, 50, 60));
  halves.ClipRows(20);
  halves.ClipCols(30);
  EXPECT_EQ(Str(halves.GetAt(0)->m_range), "1,1-20,30");

  // The evaluated rows travel with the range.
  ASSERT_TRUE(halves.GetDueIntervals(Cells(3, 1, 4, 30), first, last));
  const auto bytes = dravonix::test::StoreBytes([&](CArchive& ar) { halves.Serialize(ar); });
  CGXDelayedRangePool back;
  EXPECT_EQ(dravonix::test::LoadCause(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  ASSERT_EQ(back.GetCount(), 1);
  EXPECT_FALSE(back.GetDueIntervals(Cells(3, 1, 4, 30), first, last));
  EXPECT_TRUE(back.GetDueIntervals(Cells(1, 1, 20, 30), first, last));
  EXPECT_EQ(back.GetCount(), 0);
}

// A pool as an archive from elsewhere may hold it: its elements written as the test lists them,
// `this` naming the pool itself.
class CCraftedPool : public CGXDelayedRangePool {
 public:
  CRuntimeClass* GetRuntimeClass() const override { return RUNTIME_CLASS(CGXDelayedRangePool); }
  void Serialize(CArchive& ar) override {
    ar.WriteCount(elements.size());
    for (const CObject* o : elements) ar.WriteObject(o ? o : this);
  }
  std::vector<const CObject*> elements;  // null stands for the pool itself
};

TEST(DelayedRangePool, ElementsNotReadAnewAreRefusedAndOnlyTheReadOnesFreed) {
  CGXDelayedRange a, b;
  a.m_range = Cells(1, 1, 2, 2);
  b.m_range = Cells(3, 3, 4, 4);
  CGXDelayedRangePool other;
  const struct {
    const char* name;
    std::vector<const CObject*> elements;
    size_t cut;  // bytes taken off the end
    int cause;
  } cases[] = {
      {"two ranges", {&a, &b}, 0, -1},
      {"two ranges, cut", {&a, &b}, 3, CArchiveException::endOfFile},
      {"the pool itself", {&a, nullptr}, 0, CArchiveException::badClass},
      {"the pool itself, then cut", {&a, nullptr, &b}, 3, CArchiveException::badClass},
      {"a range twice", {&a, &a}, 0, CArchiveException::badIndex},
      {"another pool", {&a, &other}, 0, CArchiveException::badClass},
  };
  for (const auto& c : cases) {
    CCraftedPool crafted;
    crafted.elements = c.elements;
    auto bytes = dravonix::test::StoreBytes([&](CArchive& ar) { ar.WriteObject(&crafted); });
    bytes.resize(bytes.size() - c.cut);
    INT_PTR count = -1;
    EXPECT_EQ(dravonix::test::LoadCause(bytes,
                                        [&](CArchive& ar) {
                                          auto* pool = static_cast<CGXDelayedRangePool*>(
                                              ar.ReadObject(RUNTIME_CLASS(CGXDelayedRangePool)));
                                          count = pool->GetCount();
                                          if (count == 2) {
                                            EXPECT_EQ(Str(pool->GetAt(1)->m_range), "3,3-4,4");
                                          }
                                          delete pool;
                                        }),
              c.cause)
        << c.name;
    EXPECT_EQ(count, c.cause < 0 ? 2 : -1) << c.name;
  }
}

// ---- span pool ----

TEST(SpanCellPool, RunsArchivesAndStructure) {
  CGXSpanCellPool pool;
  ASSERT_TRUE(pool.SetSpan(2, 3, 2, 6, TRUE));
  CGXRange r = Cells(2, 5, 2, 5);
  ASSERT_TRUE(pool.Lookup(2, 5, r));
  EXPECT_EQ(Str(r), "2,3-2,6");
  ASSERT_TRUE(pool.SetSpan(2, 3, 2, 4, TRUE));  // shortened: the old tail is cleared
  r = Cells(2, 6, 2, 6);
  EXPECT_FALSE(pool.Lookup(2, 6, r));
  EXPECT_FALSE(pool.SetSpan(0x80000000u, 1, 0x80000000u, 2, TRUE));
  r = Cells(1, 1, 1, 1);
  EXPECT_FALSE(pool.Lookup(0x80000000u, 1, r));

  const auto bytes = dravonix::test::StoreBytes([&](CArchive& ar) { pool.Serialize(ar); });
  CGXSpanCellPool back;
  EXPECT_EQ(dravonix::test::LoadCause(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  r = Cells(2, 4, 2, 4);
  ASSERT_TRUE(back.Lookup(2, 4, r));
  EXPECT_EQ(Str(r), "2,3-2,4");

  back.InsertRows(1, 2);
  r = Cells(4, 4, 4, 4);
  EXPECT_TRUE(back.Lookup(4, 4, r));
  back.MoveRows(4, 4, 1);
  r = Cells(1, 4, 1, 4);
  EXPECT_TRUE(back.Lookup(1, 4, r));
  back.RemoveRows(1, 0xFFFFFFFEu);
  r = Cells(1, 4, 1, 4);
  EXPECT_FALSE(back.Lookup(1, 4, r));
  back.RemoveRows(0x80000000u, 0x80000001u);  // nothing

  // Corrupted archives: version, size, index.
  struct Bad {
    std::vector<unsigned char> bytes;
    int cause;
  } bad[] = {
      {{2, 0, 0, 0, 0, 0}, CArchiveException::badSchema},
      {{1, 0, 1, 0, 0, 0x20}, CArchiveException::badIndex},
      {{1, 0, 2, 0, 0, 0, 5, 0, 0, 0}, CArchiveException::genericException},
      {{1, 0, 2, 0, 0, 0}, CArchiveException::endOfFile},
  };
  for (const Bad& b : bad) {
    CGXSpanCellPool p;
    EXPECT_EQ(dravonix::test::LoadCause(dravonix::test::Bytes(b.bytes.begin(), b.bytes.end()),
                                        [&](CArchive& ar) { p.Serialize(ar); }),
              b.cause);
  }
}

// ---- the grid ----

// Floats a non-empty text and lets an empty cell be flooded; texts are 10 pixels a character.
class CFloatControl : public CGXControl {
 public:
  using CGXControl::CGXControl;
  BOOL CanFloatCell(ROWCOL, ROWCOL, const CGXStyle& style, BOOL bFloat) override {
    return bFloat == !style.GetValue().IsEmpty();
  }
  CSize CalcSize(CDC*, ROWCOL, ROWCOL, const CGXStyle& style, const CGXStyle* = nullptr, BOOL = FALSE) override {
    return CSize(10 * (int)style.GetValue().GetLength(), 0);
  }
};

class CMenuText : public CCmdUI {
 public:
  void SetText(LPCSTR t) override { text = t; }
  std::string text;
};

class CSpanGrid : public CGXGridCore {
 public:
  void UpdateAllViews(CView*, LPARAM, CObject*) override {}
};

class GridSpans : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    ASSERT_TRUE(grid.Initialize());
    Data().SetRowCount(10);
    Data().SetColCount(10);
  }
  void TearDown() override { Automation::Instance().Reset(); }
  CGXData& Data() { return *grid.GetParam()->GetData(); }
  void Put(ROWCOL r, ROWCOL c, const char* value, UINT merge = 0) {
    CGXStyle s;
    s.SetValue(value);
    if (merge) s.SetMergeCell(merge);
    Data().StoreStyleAt(r, c, &s, 2);
  }
  std::string Span(ROWCOL r, ROWCOL c, int kind) {
    CGXRange s;
    const BOOL found = kind == 0 ? grid.GetCoveredCellsRowCol(r, c, s)
                       : kind == 1 ? grid.GetMergedCellsRowCol(r, c, s)
                                   : grid.GetFloatedCellsRowCol(r, c, s);
    return found ? Str(s) : "-";
  }
  CSpanGrid grid;
};

TEST_F(GridSpans, CoverUncoverAndUndo) {
  ASSERT_TRUE(grid.SetCoveredCellsRowCol(2, 2, 4, 5));
  EXPECT_EQ(Span(3, 4, 0), "2,2-4,5");
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, ID_EDIT_UNDO, "");
  CMenuText undo;
  undo.m_pMenu = &menu;
  undo.m_nID = ID_EDIT_UNDO;
  EXPECT_TRUE(grid.CanUndo(&undo));
  EXPECT_EQ(undo.text, "Undo Cover Cells");
  EXPECT_FALSE(grid.SetCoveredCellsRowCol(3, 5, 6, 6));  // cuts the block: unchanged
  EXPECT_FALSE(grid.SetCoveredCellsRowCol(3, 3, 3, 4));  // inside a block anchored elsewhere
  EXPECT_EQ(Span(6, 6, 0), "-");
  EXPECT_FALSE(grid.SetCoveredCellsRowCol(0x7FFFFFFFu, 1, 0x7FFFFFFFu, 2));
  ASSERT_TRUE(grid.SetCoveredCellsRowCol(2, 2, 2, 2));  // the anchor alone uncovers
  EXPECT_EQ(Span(3, 4, 0), "-");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(Span(4, 5, 0), "2,2-4,5");
  ASSERT_TRUE(grid.SetCoveredCellsRowCol(2, 2, 3, 3));  // the anchor's block is replaced
  EXPECT_EQ(Span(4, 5, 0), "-");
  EXPECT_EQ(Span(3, 3, 0), "2,2-3,3");
}

TEST_F(GridSpans, MergeModeSixJoinsAlongRowsOnly) {
  grid.SetMergeCellsMode(6, FALSE);
  for (ROWCOL c : {1u, 2u, 3u}) Put(2, c, "x", 3);
  Put(3, 1, "x", 3);
  Put(4, 1, "", 3);  // empty cells never merge
  Put(4, 2, "", 3);
  EXPECT_TRUE(grid.EvalMergeCells(Cells(1, 1, 5, 5), FALSE));
  EXPECT_EQ(Span(2, 2, 1), "2,1-2,3");
  EXPECT_EQ(Span(3, 1, 1), "-");
  EXPECT_EQ(Span(4, 1, 1), "-");
  Put(2, 2, "y", 3);  // parting keeps each side
  EXPECT_TRUE(grid.EvalMergeCells(Cells(2, 2, 2, 2), FALSE));
  EXPECT_EQ(Span(2, 1, 1), "-");
  EXPECT_EQ(Span(2, 3, 1), "-");

  grid.SetMergeCellsMode(2, FALSE);
  EXPECT_TRUE(grid.EvalMergeCells(Cells(1, 1, 5, 5), FALSE));
  EXPECT_EQ(Span(3, 1, 1), "2,1-3,1");
}

TEST_F(GridSpans, MergeByValueOrEqualStyles) {
  grid.SetMergeCellsMode(2, FALSE);
  struct Case {
    UINT m1, m2;
    const char* extra;  // a text colour on the second cell
    const char* joined;
  } cases[] = {
      {5, 5, "red", "1,1-1,2"},  // both compare by value: other attributes do not matter
      {5, 1, "", "-"},           // only one by value: the styles differ in the flag
      {1, 1, "", "1,1-1,2"},
      {1, 1, "red", "-"},
  };
  for (const Case& c : cases) {
    Put(1, 1, "v", c.m1);
    CGXStyle s;
    s.SetValue("v").SetMergeCell(c.m2);
    if (*c.extra) s.SetTextColor(RGB(255, 0, 0));
    Data().StoreStyleAt(1, 2, &s, 2);
    grid.EvalMergeCells(Cells(1, 1, 1, 2), FALSE);
    EXPECT_EQ(Span(1, 1, 1), c.joined) << c.m1 << "/" << c.m2 << c.extra;
  }
}

TEST_F(GridSpans, FloatModeOneFloodsOnlyWhatTheTextNeeds) {
  auto* control = new CFloatControl(&grid);
  grid.RegisterControl(40000, control, FALSE, FALSE);
  CGXStyle all;
  all.SetControl(40000).SetFloatCell(TRUE).SetFloodCell(TRUE);
  grid.SetStyleRange(CGXRange().SetWholeTable(), &all);
  const int w = grid.GetColWidth(3);
  std::string text(size_t(w * 2 / 10 - 1), 'a');  // needs a bit less than two columns
  Put(3, 3, text.c_str());
  grid.SetFloatCellsMode(1, FALSE);
  EXPECT_TRUE(grid.EvalFloatCells(Cells(1, 1, 10, 10), FALSE));
  EXPECT_EQ(Span(3, 5, 2), "-");
  EXPECT_EQ(Span(3, 4, 2), "3,3-3,4");
  EXPECT_FALSE(grid.EvalFloatCells(Cells(1, 1, 10, 10), FALSE));  // nothing left due

  Put(3, 4, "b");
  grid.DelayFloatCells(Cells(3, 4, 3, 4));
  EXPECT_TRUE(grid.EvalFloatCells(Cells(1, 1, 10, 10), FALSE));
  EXPECT_EQ(Span(3, 3, 2), "-");

  // The first scrolling column is never flooded.
  Put(5, 2, "");
  Put(5, 1, text.c_str());
  grid.DelayFloatCells(Cells(5, 1, 5, 3));
  grid.EvalFloatCells(Cells(1, 1, 10, 10), FALSE);
  EXPECT_EQ(Span(5, 1, 2), "5,1-5,2");
  grid.GetParam()->m_nFrozenCols = 1;
  grid.DelayFloatCells(Cells(5, 1, 5, 3));
  grid.EvalFloatCells(Cells(1, 1, 10, 10), FALSE);
  EXPECT_EQ(Span(5, 1, 2), "-");

  grid.SetFloatCellsMode(2, FALSE);
  EXPECT_FALSE(grid.EvalFloatCells(Cells(1, 1, 10, 10), FALSE));
  EXPECT_EQ(Span(3, 3, 2), "-");
}

TEST_F(GridSpans, SpansFollowInsertedRemovedAndMovedRowsAndColumns) {
  grid.SetMergeCellsMode(2, FALSE);
  for (ROWCOL c : {1u, 2u, 3u}) Put(2, c, "x", 1);  // along the row
  Put(5, 5, "y", 2);                                // along the column
  Put(6, 5, "y", 2);
  auto* control = new CFloatControl(&grid);
  grid.RegisterControl(40000, control, FALSE, FALSE);
  CGXStyle floating;
  floating.SetControl(40000).SetFloatCell(TRUE).SetFloodCell(TRUE);
  grid.SetStyleRange(CGXRange().SetWholeTable(), &floating);
  Put(8, 7, std::string(size_t(grid.GetColWidth(7) * 2 / 10 - 1), 'a').c_str());
  grid.SetFloatCellsMode(1, FALSE);
  auto evaluate = [&] {
    const CGXRange all = Cells(1, 1, grid.GetRowCount(), grid.GetColCount());
    grid.EvalMergeCells(all, FALSE);
    grid.EvalFloatCells(all, FALSE);
  };
  evaluate();
  ASSERT_EQ(Span(8, 8, 2), "8,7-8,8");
  struct Change {
    const char* what;
    std::function<void()> change;
    ROWCOL alongRow, acrossRow, floatRow;  // where the three spans now start
    ROWCOL acrossCol, floatCol;
  } steps[] = {
      {"insert", [&] { grid.InsertRows(1, 2); }, 4, 7, 10, 5, 7},
      {"remove", [&] { grid.RemoveRows(1, 2); }, 2, 5, 8, 5, 7},
      {"move", [&] { grid.MoveRows(2, 2, 4); }, 4, 5, 8, 5, 7},
      {"insert columns", [&] { grid.InsertCols(1, 1); }, 4, 5, 8, 6, 8},
  };
  for (const Change& st : steps) {
    st.change();
    // What the change may have joined or split is due again; evaluating finds the same spans moved.
    evaluate();
    const ROWCOL left = st.acrossCol == 6 ? 2 : 1;
    EXPECT_EQ(Span(st.alongRow, left + 1, 1), Str(Cells(st.alongRow, left, st.alongRow, left + 2))) << st.what;
    EXPECT_EQ(Span(st.acrossRow + 1, st.acrossCol, 1),
              Str(Cells(st.acrossRow, st.acrossCol, st.acrossRow + 1, st.acrossCol)))
        << st.what;
    EXPECT_EQ(Span(st.floatRow, st.floatCol + 1, 2), Str(Cells(st.floatRow, st.floatCol, st.floatRow, st.floatCol + 1)))
        << st.what;
  }
  // Without a new evaluation the spans of the pools have moved with their rows already.
  grid.InsertRows(1, 1);
  EXPECT_EQ(Span(5, 3, 1), "5,2-5,4");
  EXPECT_EQ(Span(9, 9, 2), "9,8-9,9");
}

}  // namespace
