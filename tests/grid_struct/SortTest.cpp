// Sorting rows and columns: the key type decided from the texts, the date tolerance, ties that keep
// their order, case-blind keys and undo.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXSortInfo.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

struct SortCase {
  const char* name;
  std::vector<std::vector<const char*>> keys;  // per row: the key texts
  std::vector<DWORD> types, descending, caseSensitive;
  const char* expected;  // the rows' initial numbers after the sort
};

class GridSort : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    ASSERT_TRUE(grid.Initialize());
  }
  void Put(ROWCOL r, ROWCOL c, const std::string& value) {
    CGXStyle s;
    s.SetValue(value.c_str());
    grid.GetParam()->GetData()->StoreStyleAt(r, c, &s, 0);
  }
  std::string Ids(ROWCOL nRows) {
    std::string out;
    for (ROWCOL r = 1; r <= nRows; ++r) out += grid.GetValueRowCol(r, 9).str() + ",";
    return out;
  }
  CGXGridCore grid;
};

}  // namespace

TEST_F(GridSort, KeysTypesTiesAndUndo) {
  const SortCase cases[] = {
      {"numbers", {{"100"}, {"20"}, {"3"}}, {3}, {0}, {0}, "3,2,1,"},
      {"empty counts as 0", {{"5"}, {""}, {"-2"}}, {3}, {0}, {0}, "3,2,1,"},
      {"1,5 is the number 1", {{"1,5"}, {"1.2"}, {"0.5"}}, {3}, {0}, {0}, "3,1,2,"},
      {"text", {{"b"}, {"a"}, {"c"}}, {3}, {1}, {0}, "3,1,2,"},
      {"ties keep their order", {{"2"}, {"1"}, {"2"}, {"1"}}, {0}, {0}, {0}, "2,4,1,3,"},
      {"case-blind ties", {{"abc"}, {"ABC"}, {"b"}}, {1}, {1}, {0}, "3,1,2,"},
      {"case-sensitive", {{"abc"}, {"ABC"}, {"b"}}, {1}, {0}, {1}, "2,1,3,"},
      {"dates 0.4 s apart fall to the next key",
       {{"12/31/2026 10:00:00", "2"}, {"12/31/2026 10:00:00", "1"}, {"1/1/2026", "3"}},
       {2, 0},
       {0, 0},
       {0, 0},
       "3,2,1,"},
  };
  for (const SortCase& c : cases) {
    SCOPED_TRACE(c.name);
    grid.GetParam()->GetData()->SetRowCount(0);
    grid.GetParam()->GetData()->SetRowCount((ROWCOL)c.keys.size());
    for (ROWCOL r = 1; r <= c.keys.size(); ++r) {
      for (ROWCOL k = 0; k < c.keys[r - 1].size(); ++k) Put(r, k + 1, c.keys[r - 1][k]);
      Put(r, 9, std::to_string(r));
    }
    CGXSortInfoArray keys;
    keys.SetSize((int)c.types.size());
    for (int k = 0; k < keys.GetSize(); ++k) {
      keys[k].nRC = (DWORD)k + 1, keys[k].sortType = c.types[k];
      keys[k].bDescending = c.descending[k], keys[k].bCaseSensitive = c.caseSensitive[k];
    }
    grid.SortRows(CGXRange().SetWholeTable(), keys);
    EXPECT_EQ(Ids((ROWCOL)c.keys.size()), c.expected);
    EXPECT_EQ(grid.GetParam()->m_nSortRow, 1u);
    EXPECT_EQ(grid.GetParam()->m_nSortCol, 0xFFFFFFFFu);
    ASSERT_TRUE(grid.Undo());
    std::string initial;
    for (size_t r = 1; r <= c.keys.size(); ++r) initial += std::to_string(r) + ",";
    EXPECT_EQ(Ids((ROWCOL)c.keys.size()), initial);
  }
}

TEST_F(GridSort, ManyCloseDatesAndAProcessLocale) {
  // Dates 0.4 s apart chain into one another: the sort must not fault on the intransitive tolerance.
  const ROWCOL n = 10000;
  grid.GetParam()->GetData()->SetRowCount(n);
  for (ROWCOL r = 1; r <= n; ++r) {
    const int tenths = (int)((r * 7919) % n) * 4;
    char text[40];
    std::snprintf(text, sizeof text, "1/1/2026 %02d:%02d:%02d", tenths / 36000 % 24, tenths / 600 % 60,
                  tenths / 10 % 60);
    Put(r, 1, text);
  }
  CGXSortInfoArray keys;
  keys.SetSize(1);
  keys[0].nRC = 1, keys[0].sortType = CGXSortInfo::autodetect;
  grid.SortRows(CGXRange().SetRowRange(1, n), keys);
  EXPECT_EQ(keys[0].sortType, (DWORD)CGXSortInfo::date);
  EXPECT_EQ(grid.GetValueRowCol(1, 1), "1/1/2026 00:00:00");

  // Columns: a comma-decimal process locale does not change how numbers read.
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  grid.GetParam()->GetData()->SetColCount(3);
  Put(1, 1, "2,5"), Put(1, 2, "2.4"), Put(1, 3, "10");
  keys[0].sortType = CGXSortInfo::autodetect;
  grid.SortCols(CGXRange().SetColRange(1, 3), keys);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(grid.GetValueRowCol(1, 1), "2,5");
  EXPECT_EQ(grid.GetValueRowCol(1, 2), "2.4");
  EXPECT_EQ(grid.GetParam()->m_nSortCol, 1u);
}
