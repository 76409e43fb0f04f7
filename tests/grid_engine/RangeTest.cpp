// Cell ranges, range lists, their runs of rows and columns, structure changes and archive form.
#include "grid/engine/GXRange.h"
#include "tests/grid_engine/GridTestUtil.h"
#include "tests/support/TestKernel.h"
#include "tests/support/CellRange.h"

#include <gtest/gtest.h>

#include <chrono>

using gridtest::Bytes;
using gridtest::Load;
using gridtest::Store;

namespace {

CGXRange Rows(ROWCOL a, ROWCOL b) { return CGXRange().SetRowRange(a, b); }
using dravonix::test::Cells;

std::vector<std::pair<DWORD, DWORD>> Runs(const CDWordArray& from, const CDWordArray& to) {
  std::vector<std::pair<DWORD, DWORD>> out;
  for (INT_PTR i = 0; i < from.GetSize(); ++i) out.emplace_back(from[i], to[i]);
  return out;
}

}  // namespace

TEST(GridRange, SettersOrderTheBounds) {
  CGXRange r;
  EXPECT_EQ(r, CGXRange());
  EXPECT_FALSE(r.IsValid());
  r.SetCellRange(5, 7, 2, 3);
  EXPECT_EQ(r.m_nType, CGXRange::typeCells);
  EXPECT_EQ(r.m_nTop, 2u);
  EXPECT_EQ(r.m_nBottom, 5u);
  EXPECT_EQ(r.m_nLeft, 3u);
  EXPECT_EQ(r.m_nRight, 7u);
  EXPECT_TRUE(r.IsValid());

  r.SetRowRange(9, 4);
  EXPECT_TRUE(r.IsRows());
  EXPECT_EQ(r.m_nTop, 4u);
  EXPECT_EQ(r.m_nBottom, 9u);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(r.m_nRight, 0u);
  r.SetColRange(6, 2);
  EXPECT_TRUE(r.IsCols());
  EXPECT_EQ(r.m_nLeft, 2u);
  EXPECT_EQ(r.m_nRight, 6u);
  EXPECT_EQ(r.m_nTop, 0u);
  r.SetWholeTable();
  EXPECT_TRUE(r.IsTable());
  EXPECT_EQ(r.m_nLeft, 2u);  // bounds untouched

  const CGXRange* none = nullptr;
  r = none;
  EXPECT_TRUE(r.IsTable());
  EXPECT_FALSE(r.IsValid());
  EXPECT_EQ(r.m_nRight, 0u);
  CGXRange src = Cells(1, 1, 2, 2);
  r = &src;
  EXPECT_EQ(r, src);
}

TEST(GridRange, ContainmentAndExpansion) {
  CGXRange table;
  table.SetWholeTable();
  EXPECT_TRUE(table.IsCellInRange(123456, 7890));
  CGXRange rows = Rows(3, 5);
  EXPECT_TRUE(rows.IsCellInRange(4, 999));
  EXPECT_FALSE(rows.IsCellInRange(6, 0));
  CGXRange cols = CGXRange().SetColRange(2, 2);
  EXPECT_TRUE(cols.IsCellInRange(77, 2));
  EXPECT_FALSE(cols.IsCellInRange(77, 3));
  CGXRange cells = Cells(1, 1, 2, 2);
  EXPECT_TRUE(cells.IsCellInRange(2, 1));
  EXPECT_FALSE(cells.IsCellInRange(3, 1));
  cells.m_bValid = 0;
  EXPECT_FALSE(cells.IsCellInRange(2, 1));

  rows.ExpandRange(1, 1, 100, 20);
  EXPECT_EQ(rows, Cells(3, 1, 5, 20));
  cols.ExpandRange(1, 1, 100, 20);
  EXPECT_EQ(cols, Cells(1, 2, 100, 2));
  table.SetCellRange(0, 0, 0, 0).SetWholeTable().ExpandRange(1, 1, 100, 20);
  EXPECT_EQ(table, Cells(1, 1, 100, 20));
  CGXRange odd = Cells(4, 4, 5, 5);
  odd.m_nType = 9;
  odd.ExpandRange(1, 1, 100, 20);
  EXPECT_EQ(odd, Cells(4, 4, 5, 5));
}

TEST(GridRange, IntersectionAndUnion) {
  CGXRange r;
  EXPECT_FALSE(r.IntersectRange(Rows(1, 3), Rows(5, 9)));
  EXPECT_FALSE(r.IsValid());
  EXPECT_TRUE(r.IntersectRange(Cells(1, 1, 5, 5), Cells(3, 4, 9, 9)));
  EXPECT_EQ(r, Cells(3, 4, 5, 5));
  EXPECT_TRUE(r.UnionRange(Cells(1, 1, 2, 2), Cells(5, 6, 7, 8)));
  EXPECT_EQ(r, Cells(1, 1, 7, 8));
}

TEST(GridRangeList, LookUpsSkipInvalidRanges) {
  CGXRangeList list;
  EXPECT_EQ(list.FindRange(1, 1), nullptr);
  EXPECT_FALSE(list.IsCellInList(1, 1));
  CGXRange* invalid = new CGXRange(Cells(1, 1, 9, 9));
  invalid->m_bValid = 0;
  list.AddTail(invalid);
  POSITION second = list.AddTail(new CGXRange(Cells(2, 2, 3, 3)));
  list.AddTail(new CGXRange(Rows(3, 3)));
  EXPECT_EQ(list.FindRange(2, 2), second);
  EXPECT_EQ(list.FindRange(1, 1), nullptr);
  EXPECT_TRUE(list.IsCellInList(3, 3, second));  // the row range holds it too
  EXPECT_FALSE(list.IsCellInList(2, 2, second));
  list.DeleteAll();
  EXPECT_TRUE(list.IsEmpty());
}

TEST(GridRangeList, RunsOfRowsAndColumns) {
  CGXRangeList list;
  CDWordArray from, to;
  EXPECT_FALSE(list.GetRowArray(100, from, to));
  list.AddTail(new CGXRange(Rows(8, 9)));
  list.AddTail(new CGXRange(Rows(1, 2)));
  list.AddTail(new CGXRange(Rows(3, 4)));
  ASSERT_TRUE(list.GetRowArray(100, from, to));
  EXPECT_EQ(Runs(from, to), (std::vector<std::pair<DWORD, DWORD>>{{1, 4}, {8, 9}}));

  list.AddTail(new CGXRange(Cells(6, 1, 8, 1)));
  list.GetRowArray(100, from, to, TRUE);  // whole rows only
  EXPECT_EQ(Runs(from, to), (std::vector<std::pair<DWORD, DWORD>>{{1, 4}, {8, 9}}));
  list.GetRowArray(100, from, to);
  EXPECT_EQ(Runs(from, to), (std::vector<std::pair<DWORD, DWORD>>{{1, 4}, {6, 9}}));

  list.AddTail(new CGXRange(CGXRange().SetColRange(2, 3)));
  list.GetRowArray(100, from, to);
  EXPECT_EQ(Runs(from, to), (std::vector<std::pair<DWORD, DWORD>>{{0, 100}}));
  list.GetColArray(50, from, to, TRUE);
  EXPECT_EQ(Runs(from, to), (std::vector<std::pair<DWORD, DWORD>>{{2, 3}}));
  list.GetColArray(50, from, to);
  EXPECT_EQ(Runs(from, to), (std::vector<std::pair<DWORD, DWORD>>{{0, 50}}));
}

TEST(GridRangeList, RunsOfManyRangesStayFast) {
  CGXRangeList list;
  for (ROWCOL i = 0; i < 200000; ++i) list.AddTail(new CGXRange(Rows(400000 - 2 * i, 400000 - 2 * i)));
  CDWordArray from, to;
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(list.GetRowArray(1000000, from, to));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2 * dravonix::test::kTimeFactor));
  EXPECT_EQ(from.GetSize(), 200000);
  EXPECT_EQ(from[0], 2u);
}

TEST(GridRangeList, StructureChanges) {
  CGXRangeList list;
  CGXRange* inside = new CGXRange(Rows(4, 6));
  CGXRange* around = new CGXRange(Rows(2, 8));
  CGXRange* after = new CGXRange(Rows(10, 12));
  CGXRange* cols = new CGXRange(CGXRange().SetColRange(1, 2));
  list.AddTail(inside);
  list.AddTail(around);
  list.AddTail(after);
  list.AddTail(cols);
  list.RemoveRows(4, 6, 100);
  EXPECT_FALSE(inside->IsValid());
  EXPECT_EQ(*around, Rows(2, 5));
  EXPECT_EQ(*after, Rows(7, 9));
  EXPECT_EQ(*cols, CGXRange().SetColRange(1, 2));
  list.RemoveRows(1, 3, 4);  // the last row is now 4
  EXPECT_EQ(around->m_nTop, 1u);
  EXPECT_EQ(around->m_nBottom, 2u);
  EXPECT_EQ(after->m_nBottom, 4u);  // clipped

  CGXRangeList ins;
  CGXRange* a = new CGXRange(Rows(3, 4));
  CGXRange* b = new CGXRange(Rows(1, 3));
  CGXRange* c = new CGXRange(Cells(1, 3, 1, 5));
  ins.AddTail(a);
  ins.AddTail(b);
  ins.AddTail(c);
  ins.InsertRows(3, 2);
  EXPECT_EQ(*a, Rows(5, 6));
  EXPECT_EQ(*b, Rows(1, 5));
  ins.InsertCols(4, 10);
  EXPECT_EQ(*c, Cells(1, 3, 1, 15));
  ins.RemoveCols(3, 15, 30);
  EXPECT_FALSE(c->IsValid());
}

TEST(GridRangeList, MovingRowsAndColumns) {
  auto moved = [](CGXRange r, ROWCOL from, ROWCOL to, ROWCOL dest, ROWCOL max) {
    CGXRangeList list;
    CGXRange* p = new CGXRange(r);
    list.AddTail(p);
    list.MoveRows(from, to, dest, max);
    return *p;
  };
  // Rows 2..3 moved down to start at 6: 4..7 shift up by two.
  EXPECT_EQ(moved(Rows(2, 3), 2, 3, 6, 100), Rows(6, 7));
  EXPECT_EQ(moved(Rows(4, 5), 2, 3, 6, 100), Rows(2, 3));
  EXPECT_EQ(moved(Rows(7, 7), 2, 3, 6, 100), Rows(5, 5));
  EXPECT_EQ(moved(Rows(8, 9), 2, 3, 6, 100), Rows(8, 9));
  // Rows 6..7 moved up to start at 2: 2..5 shift down by two.
  EXPECT_EQ(moved(Rows(6, 7), 6, 7, 2, 100), Rows(2, 3));
  EXPECT_EQ(moved(Rows(2, 4), 6, 7, 2, 100), Rows(4, 6));
  EXPECT_EQ(moved(Rows(1, 1), 6, 7, 2, 100), Rows(1, 1));
  // Only the first row decides; the bottom is clipped to the last row.
  EXPECT_EQ(moved(Rows(3, 9), 2, 3, 6, 8), Rows(7, 8));

  CGXRangeList list;
  CGXRange* c = new CGXRange(Cells(1, 1, 2, 2));
  list.AddTail(c);
  list.MoveCols(1, 1, 5, 100);
  EXPECT_EQ(*c, Cells(1, 5, 2, 6));
}

TEST(GridRangeList, ArchiveKeepsValidRangesOnly) {
  CGXRangeList list;
  list.AddTail(new CGXRange(Cells(1, 2, 3, 4)));
  CGXRange* invalid = new CGXRange(Rows(5, 6));
  invalid->m_bValid = 0;
  list.AddTail(invalid);
  list.AddTail(new CGXRange(CGXRange().SetWholeTable()));
  Bytes bytes = Store([&](CArchive& ar) { list.Serialize(ar); });
  ASSERT_EQ(bytes.size(), 2u + 4u + 2u * 18u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[1], 0);
  EXPECT_EQ(bytes[2], 2);  // count of the ranges written
  const Bytes first{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0, 1};
  EXPECT_EQ(Bytes(bytes.begin() + 6, bytes.begin() + 24), first);

  CGXRangeList back;
  back.AddTail(new CGXRange(Rows(1, 1)));  // loading appends
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  ASSERT_EQ(back.GetCount(), 3);
  POSITION pos = back.GetHeadPosition();
  back.GetNext(pos);
  EXPECT_EQ(*back.GetNext(pos), Cells(1, 2, 3, 4));
  CGXRange* table = back.GetNext(pos);
  EXPECT_TRUE(table->IsTable());
  EXPECT_TRUE(table->IsValid());

  Bytes bad = bytes;
  bad[0] = 2;
  CGXRangeList none;
  EXPECT_EQ(Load(bad, [&](CArchive& ar) { none.Serialize(ar); }), CArchiveException::badSchema);
  Bytes cut(bytes.begin(), bytes.begin() + 10);
  CGXRangeList partial;
  EXPECT_EQ(Load(cut, [&](CArchive& ar) { partial.Serialize(ar); }), CArchiveException::endOfFile);
}

TEST(GridRangeList, WalkingFromANullPositionIsRefused) {
  CGXRangeList list;
  list.AddTail(new CGXRange(Rows(1, 2)));
  POSITION pos = nullptr;
  bool threw = false;
  try {
    list.GetNext(pos);
  } catch (CInvalidArgException* e) {
    e->Delete();
    threw = true;
  }
  EXPECT_TRUE(threw);
}
