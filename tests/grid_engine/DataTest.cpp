// The cell value store: counts, merge modes, structure changes and the archive form.
#include "grid/engine/GXData.h"
#include "tests/grid_engine/GridTestUtil.h"

using namespace gridtest;

namespace {

CGXStyle Val(const char* v) {
  CGXStyle s;
  s.SetValue(v);
  return s;
}

void Put(CGXData& d, ROWCOL r, ROWCOL c, const char* v, int mode = 0, int type = 0) {
  const CGXStyle s = Val(v);
  d.StoreStyleAt(r, c, &s, mode, type);
}

CString Cell(const CGXData& d, ROWCOL r, ROWCOL c, int type = 0) {
  CGXStyle s;
  return d.GetStyleAt(r, c, s, 0, type) ? s.GetValue() : CString("-");
}

// Rows 1..6 valued "1".."6" in column 1 and as row styles.
void FillRows(CGXData& d) {
  for (ROWCOL r = 1; r <= 6; ++r) {
    const std::string v = std::to_string(r);
    Put(d, r, 1, v.c_str());
    Put(d, r, 0, v.c_str(), 0, -1);
  }
}

std::string Column(const CGXData& d, int type = 0) {
  std::string out;
  for (ROWCOL r = 1; r <= 6; ++r) out += Cell(d, r, type == -1 ? 0 : 1, type).GetString();
  return out;
}

}  // namespace

TEST(GridData, StoringCountsAndMergeModes) {
  CGXData d;
  Put(d, 50, 3, "x");
  EXPECT_EQ(d.GetRowCount(), 50u);
  EXPECT_EQ(d.GetColCount(), 3u);
  int rows = 0;
  for (INT_PTR i = 0; i < d.GetCells().GetSize(); ++i) rows += d.GetCells().GetRow(i) != nullptr;
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(d.GetCells().GetRow(50)->GetSize(), 4);

  CGXStyle untouched = Val("keep");
  EXPECT_FALSE(d.GetStyleAt(10, 1, untouched, 0));  // a row never written
  EXPECT_EQ(untouched.GetValue(), "keep");
  EXPECT_FALSE(d.GetStyleAt(51, 1, untouched, 0));  // beyond the counts

  Put(d, 7, 2, "no", 3);  // exclude on an empty entry stores nothing
  EXPECT_FALSE(d.GetCells().GetRow(7));
  d.StoreStyleAt(60, 5, nullptr, 0);  // removing nothing only raises the counts
  EXPECT_EQ(d.GetRowCount(), 60u);
  EXPECT_EQ(d.GetColCount(), 5u);
  EXPECT_FALSE(d.GetCells().GetRow(60));

  CGXStyle more;
  more.SetHorizontalAlignment(2).SetValue("y");
  d.StoreStyleAt(50, 3, &more, 1);  // only where unset: the value stays
  CGXStyle got;
  ASSERT_TRUE(d.GetStyleAt(50, 3, got, 2));
  EXPECT_EQ(got.GetValue(), "x");
  EXPECT_EQ(got.GetHorizontalAlignment(), 2u);
  d.StoreStyleAt(50, 3, nullptr, 0);
  EXPECT_EQ(Cell(d, 50, 3), "-");
}

TEST(GridData, RemovingRowsNeverGoesBelowZero) {
  CGXData d;
  Put(d, 3, 1, "a");
  d.RemoveRows(10, 20);  // past the arrays: only the count falls
  EXPECT_EQ(d.GetRowCount(), 0u);
  EXPECT_EQ(Cell(d, 3, 1), "-");  // beyond the count now
  const CGXStyle nothing;
  d.StoreStyleAt(3, 1, &nothing, 1);  // back within the count: the arrays were left alone
  EXPECT_EQ(Cell(d, 3, 1), "a");
  d.RemoveCols(1, 1);
  EXPECT_EQ(d.GetColCount(), 0u);
}

TEST(GridData, StructureChangesMoveRowsAndStyles) {
  struct Case {
    const char* name;
    void (*change)(CGXData&);
    const char* cells;
  } cases[] = {
      {"move 2 to 5", [](CGXData& d) { d.MoveRows(2, 2, 5); }, "134526"},
      {"move 5 to 2", [](CGXData& d) { d.MoveRows(5, 5, 2); }, "152346"},
      {"move back", [](CGXData& d) { d.MoveRows(2, 2, 5); d.MoveRows(5, 5, 2); }, "123456"},
      {"insert", [](CGXData& d) { d.InsertRows(2, 1); }, "1-2345"},
      {"remove", [](CGXData& d) { d.RemoveRows(2, 3); }, "1456--"},
      {"reorder", [](CGXData& d) {
         CDWordArray order;
         for (DWORD o : {2u, 0u, 1u}) order.Add(o);
         d.ReorderRows(CGXRange().SetRowRange(1, 3), order);
       }, "312456"},
  };
  for (const Case& c : cases) {
    CGXData d;
    FillRows(d);
    c.change(d);
    EXPECT_EQ(Column(d), c.cells) << c.name;
    EXPECT_EQ(Column(d, -1), c.cells) << c.name << " (row styles)";
  }
}

TEST(GridData, ColumnsMoveInEveryRow) {
  CGXData d;
  for (ROWCOL c = 1; c <= 4; ++c) {
    Put(d, 1, c, std::to_string(c).c_str());
    Put(d, 3, c, std::to_string(c).c_str());
  }
  d.MoveCols(1, 1, 3);
  d.InsertCols(1, 1);
  for (ROWCOL r : {1u, 3u}) EXPECT_EQ(Cell(d, r, 1) + Cell(d, r, 2) + Cell(d, r, 3) + Cell(d, r, 4), "-231");
  EXPECT_EQ(d.GetColCount(), 5u);
}

TEST(GridData, CopiesAreDeep) {
  CGXData a;
  FillRows(a);
  CGXData b;
  b = a;
  Put(a, 1, 1, "changed");
  EXPECT_EQ(Column(b), "123456");
  b = *&b;
  EXPECT_EQ(b.GetRowCount(), 6u);
}

TEST(GridData, ArchiveRoundTripKeepsNullsSizesAndCounts) {
  CGXData d;
  const CGXStyle full0 = FullStyle();
  d.StoreStyleAt(2, 4, &full0, 0);
  Put(d, 5, 1, "five");
  Put(d, 0, 3, "col", 0, -1);
  Put(d, 4, 0, "row", 0, -1);
  d.SetRowCount(9);
  Bytes bytes = Store([&](CArchive& ar) { d.Serialize(ar); });
  EXPECT_EQ(bytes[0], 1);  // schema
  CGXData back;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_EQ(Store([&](CArchive& ar) { back.Serialize(ar); }), bytes);
  EXPECT_EQ(back.GetRowCount(), 9u);
  EXPECT_EQ(back.GetColCount(), 4u);
  ASSERT_EQ(back.GetCells().GetSize(), d.GetCells().GetSize());
  for (INT_PTR r = 0; r < d.GetCells().GetSize(); ++r) {
    EXPECT_EQ(back.GetCells().GetRow(r) == nullptr, d.GetCells().GetRow(r) == nullptr) << r;
    if (d.GetCells().GetRow(r)) {
      EXPECT_EQ(back.GetCells().GetRow(r)->GetSize(), d.GetCells().GetRow(r)->GetSize());
    }
  }
  CGXStyle full;
  ASSERT_TRUE(back.GetStyleAt(2, 4, full, 2));
  ExpectSameStyle(full, FullStyle());
  EXPECT_EQ(Cell(back, 0, 3, -1), "col");
  EXPECT_EQ(Cell(back, 4, 0, -1), "row");
}

TEST(GridData, DamagedArchivesFail) {
  CGXData d;
  Put(d, 1, 1, "a");
  Put(d, 1, 2, "b");
  const Bytes good = Store([&](CArchive& ar) { d.Serialize(ar); });
  auto patched = [&](size_t at, std::initializer_list<BYTE> b) {
    Bytes x = good;
    size_t i = at;
    for (BYTE v : b) x[i++] = v;
    return x;
  };
  // Layout: schema(2) rows(4) cols(4), cells: schema(2) size(4) index(4), row: schema(2) size(4) index(4) ...
  struct Case {
    const char* name;
    Bytes bytes;
    int cause;
  } cases[] = {
      {"store schema 2", patched(0, {2}), CArchiveException::badSchema},
      {"cells schema 2", patched(10, {2}), CArchiveException::badSchema},
      {"huge cells size", patched(12, {0, 0, 0, 0x20}), CArchiveException::badIndex},
      {"truncated", Bytes(good.begin(), good.begin() + good.size() / 2), CArchiveException::endOfFile},
      {"empty", Bytes(), CArchiveException::endOfFile},
  };
  for (const Case& c : cases) {
    CGXData back;
    EXPECT_EQ(Load(c.bytes, [&](CArchive& ar) { back.Serialize(ar); }), c.cause) << c.name;
  }
  // A row index outside the stored size is an invalid argument.
  CGXData back;
  CException* e = dravonix::test::LoadBytes(patched(16, {9}), [&](CArchive& ar) { back.Serialize(ar); });
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
  e->Delete();
}
