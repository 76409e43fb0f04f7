// The value store and the grid parameter block read from hostile bytes: a stored size costs nothing
// until entries fill it, so a few bytes cannot make a load take gigabytes or end the program; and
// running out of memory refuses a load, a store or a structure change instead of ending it.
#include "grid/engine/GXCollMap.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXSpanCellPool.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/Clipboard.h"
#include "tests/grid_engine/GridTestUtil.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestKernel.h"

#include <sys/resource.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

using namespace gridtest;

namespace {

const WORD kSchema = 1;
const DWORD kEnd = 0xFFFFFFFF;
const DWORD kHuge = 1u << 28;
// A few megabytes; the sanitizer's allocator maps a region and its shadow for each size of block.
#if defined(__SANITIZE_ADDRESS__)
const long kMaxGrowthKiB = 64 * 1024;
#else
const long kMaxGrowthKiB = 8 * 1024;
#endif

// Runs `body` in a child and returns "<its result> <peak memory growth in KiB> <milliseconds>". In the
// plain build the child may not map more than 256 MiB beyond what it has, so a load that tries
// gigabytes ends there instead of taking the machine.
std::string Measured(const std::function<std::string()>& body) {
  return dravonix::test::InChildProcess([&]() -> std::string {
#if !defined(__SANITIZE_ADDRESS__)
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlimit limit{pages * (rlim_t)sysconf(_SC_PAGESIZE) + (256u << 20), RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) return "child failed: setrlimit";
#endif
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    std::string result;
    try {
      result = body();
    } catch (const std::exception& e) {
      result = std::string("threw ") + e.what();
    } catch (...) {
      result = "threw";
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    getrusage(RUSAGE_SELF, &after);
    return result + " " + std::to_string(after.ru_maxrss - before.ru_maxrss) + " " + std::to_string(ms.count());
  });
}

// Splits what Measured returned; the child's result may have spaces.
void ExpectCheap(const std::string& measured, const std::string& result, const char* name) {
  std::istringstream in(measured);
  std::string text, word;
  std::vector<std::string> words;
  while (in >> word) words.push_back(word);
  ASSERT_GE(words.size(), 3u) << name << ": " << measured;
  for (size_t i = 0; i + 2 < words.size(); ++i) text += (i ? " " : "") + words[i];
  EXPECT_EQ(text, result) << name;
  EXPECT_LT(std::stol(words[words.size() - 2]), kMaxGrowthKiB) << name << ": KiB of peak memory growth";
  EXPECT_LT(std::stol(words.back()), 1000 * dravonix::test::kTimeFactor) << name << ": milliseconds";
}

// A store with the given stored sizes and no styles; the cells hold `rows` empty row arrays of
// `rowSize` each.
Bytes Claiming(DWORD cells, DWORD rowStyles, DWORD colStyles, DWORD rows = 0, DWORD rowSize = 0) {
  return Store([&](CArchive& ar) {
    ar << kSchema << DWORD(5) << DWORD(5) << kSchema << cells;
    for (DWORD r = 0; r < rows; ++r) ar << r << kSchema << rowSize << kEnd;
    ar << kEnd << kSchema << rowStyles << kEnd << kSchema << colStyles << kEnd;
  });
}

// Loads `bytes`; the cause thrown (-1 for none) and whether storing again gives the same bytes.
std::string LoadAndStoreAgain(const Bytes& bytes) {
  CGXData back;
  const int cause = Load(bytes, [&](CArchive& ar) { back.Serialize(ar); });
  const Bytes again = Store([&](CArchive& ar) { back.Serialize(ar); });
  return std::to_string(cause) + (again == bytes ? " same" : " changed");
}

// A column table of a span pool: the size, then each line's index and entries.
Bytes SpanTable(DWORD size, const std::vector<std::pair<DWORD, std::vector<DWORD>>>& lines) {
  return Store([&](CArchive& ar) {
    ar << WORD(1) << size;
    for (const auto& [i, entries] : lines) {
      ar << i;
      ar.WriteCount(entries.size());
      for (DWORD e : entries) ar << e;
    }
    ar << kEnd;
  });
}

// A grid parameter block whose float-cell pool has the given column table and an empty row table.
Bytes BlockWithSpans(const Bytes& colTable) {
  CGXGridParam p;
  p.m_pFloatCellsPool = new CGXSpanCellPool;
  Bytes b = Store([&](CArchive& ar) { p.Serialize(ar); });
  const Bytes empty = SpanTable(0, {});
  auto at = std::search(b.begin(), b.end(), empty.begin(), empty.end());
  EXPECT_NE(at, b.end());
  at = b.erase(at, at + (std::ptrdiff_t)empty.size());
  b.insert(at, colTable.begin(), colTable.end());
  return b;
}

CGXSpanCellPool& FloatPool(CGXGridParam& p) { return *static_cast<CGXSpanCellPool*>(p.m_pFloatCellsPool); }

std::string SpanAt(const CGXSpanCellPool& pool, ROWCOL row, ROWCOL col) {
  CGXRange r = CGXRange().SetCellRange(row, col, row, col);
  if (!pool.Lookup(row, col, r)) return "-";
  return std::to_string(r.m_nTop) + "," + std::to_string(r.m_nLeft) + "-" + std::to_string(r.m_nBottom) + "," +
         std::to_string(r.m_nRight);
}

}  // namespace

TEST(GridSpanPool, ASpanStoredOverPartOfAnotherEndsThatOne) {
  // The old span's cells outside the new one hold no span at all, in either table.
  const struct {
    CGXRange before, now;
    ROWCOL row, col;
    const char* span;
  } cases[] = {
      {CGXRange().SetCellRange(6, 7, 6, 9), CGXRange().SetCellRange(6, 4, 6, 8), 6, 9, "-"},
      {CGXRange().SetCellRange(6, 7, 6, 9), CGXRange().SetCellRange(6, 4, 6, 8), 6, 8, "6,4-6,8"},
      {CGXRange().SetCellRange(6, 2, 6, 5), CGXRange().SetCellRange(6, 4, 6, 8), 6, 2, "-"},
      {CGXRange().SetCellRange(2, 3, 9, 3), CGXRange().SetCellRange(5, 3, 7, 3), 9, 3, "-"},
      {CGXRange().SetCellRange(2, 3, 9, 3), CGXRange().SetCellRange(5, 3, 7, 3), 2, 3, "-"},
      {CGXRange().SetCellRange(2, 3, 9, 3), CGXRange().SetCellRange(5, 3, 7, 3), 6, 3, "5,3-7,3"},
  };
  for (const auto& c : cases) {
    CGXSpanCellPool pool;
    ASSERT_TRUE(pool.SetSpan(c.before.m_nTop, c.before.m_nLeft, c.before.m_nBottom, c.before.m_nRight, TRUE));
    ASSERT_TRUE(pool.SetSpan(c.now.m_nTop, c.now.m_nLeft, c.now.m_nBottom, c.now.m_nRight, TRUE));
    EXPECT_EQ(SpanAt(pool, c.row, c.col), c.span) << c.row << "," << c.col;
  }
}

TEST(GridDataArchiveBounds, HugeStoredSizesLoadInLittleTimeAndMemory) {
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"one huge array", Claiming(kHuge, 0, 0)},
      {"three huge arrays", Claiming(kHuge, kHuge, kHuge)},
      {"70 huge row arrays", Claiming(70, 0, 0, 70, kHuge)},
  };
  EXPECT_EQ(cases[0].bytes.size(), 40u);
  EXPECT_EQ(cases[2].bytes.size(), 1020u);
  for (const Case& c : cases) ExpectCheap(Measured([&] { return LoadAndStoreAgain(c.bytes); }), "-1 same", c.name);
}

TEST(GridParamArchiveBounds, FarSpanLinesLoadInLittleTimeAndMemory) {
  // Column 2^28 - 1 floats rows 1 and 2; the table also has an empty line 0.
  const Bytes bytes = BlockWithSpans(SpanTable(kHuge, {{0, {}}, {kHuge - 1, {0, 1, 1}}}));
  EXPECT_LT(bytes.size(), 256u);
  const std::string measured = Measured([&] {
    CGXGridParam p;
    std::string out = std::to_string(Load(bytes, [&](CArchive& ar) { p.Serialize(ar); }));
    CGXSpanCellPool& pool = FloatPool(p);
    out += " " + SpanAt(pool, 2, kHuge - 1);
    pool.InsertRows(1, 5);
    out += " " + SpanAt(pool, 7, kHuge - 1) + " " + SpanAt(pool, 2, kHuge - 1);
    pool.InsertCols(1, 1);  // pushes the far column past the last index
    out += " " + SpanAt(pool, 7, kHuge - 1);
    return out;
  });
  ExpectCheap(measured, "-1 1,268435455-2,268435455 6,268435455-7,268435455 - -", "far span line");
}

TEST(GridParamArchive, SizeMapsAreReadOverTheHeaderSizesOfAFreshBlock) {
  CGXGridParam src;
  src.m_RowHeights.RemoveKey(0);
  src.m_RowHeights[5] = 3000;
  src.m_ColWidths[0] = 7000;
  const Bytes bytes = Store([&](CArchive& ar) { src.Serialize(ar); });
  CGXGridParam back;
  back.m_RowHeights[9] = 1;  // a loaded block takes the archive's sizes, not what it had
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  std::string sizes;
  for (const CGXMapDWordToLong* m : {&back.m_RowHeights, &back.m_ColWidths}) {
    std::map<DWORD, LONG> sorted;
    POSITION pos = m->GetStartPosition();
    while (pos) {
      DWORD k;
      LONG v;
      m->GetNextAssoc(pos, k, v);
      sorted[k] = v;
    }
    for (auto [k, v] : sorted) sizes += std::to_string(k) + "=" + std::to_string(v) + " ";
    sizes += "/ ";
  }
  EXPECT_EQ(sizes, "0=1400 5=3000 / 0=7000 / ");
}

TEST(GridCoveredCells, HugeAndFarBlocksCostABandEach) {
  const std::string measured = Measured([&] {
    CGXRangeList list;
    const POSITION a = list.AddTail(new CGXRange(CGXRange().SetCellRange(2, 3, 100000000, 4000000)));
    const POSITION b = list.AddTail(new CGXRange(CGXRange().SetCellRange(0x80000000u, 5, 0x80000000u, 6)));
    const POSITION c = list.AddTail(new CGXRange(CGXRange().SetCellRange(5, 5000000, 5, 5000001)));
    CGXCoveredCellPool pool;
    pool.RebuildFromList(list);
    const struct {
      ROWCOL row, col;
    } at[] = {{2, 3},           {100000000, 4000000}, {100000001, 3}, {1, 3},
              {0x80000000u, 6}, {5, 5000001},         {5, 4000001},   {55, 3}};
    auto look = [&] {
      std::string out;
      for (const auto& p : at) {
        const POSITION pos = pool.Lookup(p.row, p.col);
        out += pos == a ? "a" : pos == b ? "b" : pos == c ? "c" : "-";
      }
      return out + std::to_string(pool.GetBands().size());
    };
    std::string out = look();
    pool.SetSpan(50, 3, 60, 4000000, nullptr);
    out += " " + look();
    list.DeleteAll();
    return out;
  });
  ExpectCheap(measured, "aa--bc-a4 aa--bc--5", "covered blocks");
}

// Random fills of a run line against a model of its entries; the archive form is the plain entries.
TEST(GridSpanRuns, RandomFillsMatchAModelOfTheEntries) {
  std::mt19937 rng(78);
  CGXRunArray line;
  std::map<DWORD, DWORD> model;
  for (int step = 0; step < 1200; ++step) {
    const DWORD first = rng() % 60, last = first + rng() % 8, v = rng() % 3 ? rng() % 4 + 1 : 0;
    line.Fill(first, last, v);
    for (DWORD i = first; i <= last; ++i)
      if (v) model[i] = v;
      else model.erase(i);
    std::string got, want;
    for (DWORD i = 0; i < 70; ++i) {
      got += std::to_string(line.Get(i)) + ":" + std::to_string(line.RunEnd(i)) + " ";
      DWORD end = i;
      while (model.count(i) && model.count(end + 1) && model[end + 1] == model[i]) ++end;
      want += std::to_string(model.count(i) ? model[i] : 0) + ":" + std::to_string(end) + " ";
    }
    ASSERT_EQ(got, want) << "step " << step;
    ASSERT_EQ(line.GetSize(), model.empty() ? 0 : model.rbegin()->first + 1) << "step " << step;
    if (step % 200 == 0) {
      const Bytes bytes = Store([&](CArchive& ar) { line.Serialize(ar); });
      CGXRunArray back;
      ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
      ASSERT_EQ(Store([&](CArchive& ar) { back.Serialize(ar); }), bytes);
      ASSERT_EQ(bytes.size(), 2 + 4 * (size_t)line.GetSize());
    }
  }
}

TEST(GridDataArchiveBounds, SparseArchiveKeepsItsValuesAndSizes) {
  // Honest counts of a big, nearly empty table: sizes one past the counts, a few values near the top.
  const DWORD rows = 100000000, cols = 5000000;
  auto style = [](const char* v) {
    CGXStyle s;
    s.SetValue(v);
    return s;
  };
  const CGXStyle a = style("a"), b = style("b"), c = style("c"), r5 = style("r5"), c2 = style("c2");
  const Bytes bytes = Store([&](CArchive& ar) {
    ar << kSchema << rows << cols << kSchema << rows + 1;
    ar << DWORD(2) << kSchema << cols + 1 << DWORD(1);
    ar.WriteObject(&a);
    ar << DWORD(4);
    ar.WriteObject(&b);
    ar << kEnd << DWORD(9) << kSchema << cols + 1 << DWORD(3);
    ar.WriteObject(&c);
    ar << kEnd << kEnd << kSchema << rows + 1 << DWORD(5);
    ar.WriteObject(&r5);
    ar << kEnd << kSchema << cols + 1 << DWORD(2);
    ar.WriteObject(&c2);
    ar << kEnd;
  });
  const std::string measured = Measured([&] {
    CGXData back;
    if (Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }) != -1) return std::string("refused");
    std::string out;
    const struct {
      ROWCOL row, col;
      int type;
    } at[] = {{2, 1, 0}, {2, 4, 0}, {9, 3, 0}, {5, 0, -1}, {0, 2, -1}, {2, 2, 0}, {3, 1, 0}, {9, 4, 0}};
    for (const auto& p : at) {
      CGXStyle s;
      out += back.GetStyleAt(p.row, p.col, s, 0, p.type) ? s.GetValue().GetString() : "-";
      out += ",";
    }
    const Bytes again = Store([&](CArchive& ar) { back.Serialize(ar); });
    return out + std::to_string(back.GetRowCount()) + "," + std::to_string(back.GetColCount()) +
           (again == bytes ? " same" : " changed");
  });
  ExpectCheap(measured, "a,b,c,r5,c2,-,-,-,100000000,5000000 same", "sparse");
}

// The sanitizer's allocator ends the program on a failed allocation: these run in the plain build.
#if !defined(__SANITIZE_ADDRESS__)
// Runs `body` with about `slackKiB` of memory left: the address space is limited to what the child
// has mapped and the heap's free space is taken first (in blocks of 64 and 4 KiB, leaving room for an
// exception), so the result does not depend on what earlier tests left free.
static std::string Tight(long slackKiB, const std::function<std::string()>& body) {
  std::vector<std::pair<void*, long>> held;
  held.reserve(1 << 16);
  std::ifstream statm("/proc/self/statm");
  rlim_t pages = 0;
  statm >> pages;
  rlimit old{};
  getrlimit(RLIMIT_AS, &old);
  const rlimit limit{pages * (rlim_t)sysconf(_SC_PAGESIZE), old.rlim_max};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return "setrlimit failed";
  for (long size : {1L << 16, 1L << 12})
    while (void* p = held.size() < held.capacity() ? malloc((size_t)size) : nullptr) held.emplace_back(p, size);
  for (long freed = 0; !held.empty() && freed < slackKiB * 1024; held.pop_back()) {
    freed += held.back().second;
    free(held.back().first);
  }
  std::string result;
  try {
    result = body();
  } catch (const std::bad_alloc&) {
    result = "threw bad_alloc";
  }
  for (auto& h : held) free(h.first);
  setrlimit(RLIMIT_AS, &old);
  return result;
}

// Loads `bytes` into `into` with about `slackKiB` of memory left: the archive exception's cause, or
// "loaded". The bytes are read in place, so the load alone allocates.
static std::string LoadTight(const Bytes& bytes, CObject& into, long slackKiB) {
  Bytes copy = bytes;
  CMemFile file(copy.data(), (UINT)copy.size());
  CArchive ar(&file, CArchive::load);
  return Tight(slackKiB, [&] {
    try {
      into.Serialize(ar);
    } catch (CArchiveException* e) {
      const int cause = e->m_cause;
      e->Delete();
      return std::to_string(cause);
    }
    return std::string("loaded");
  });
}

TEST(GridDataArchiveBounds, FailedAllocationRefusesTheArchive) {
  // 100,000 row styles, each a back-reference to the first: a copy each, more than the child may take.
  CGXStyle s;
  s.SetValue("x");
  const Bytes bytes = Store([&](CArchive& ar) {
    ar << kSchema << DWORD(100000) << DWORD(1) << kSchema << DWORD(0) << kEnd << kSchema << DWORD(100001);
    for (DWORD i = 1; i <= 100000; ++i) {
      ar << i;
      ar.WriteObject(&s);
    }
    ar << kEnd << kSchema << DWORD(0) << kEnd;
  });
  const std::string measured = Measured([&] {
    CGXData back;
    return LoadTight(bytes, back, 256);
  });
  EXPECT_EQ(measured.substr(0, measured.find(' ')), std::to_string(CArchiveException::badIndex)) << measured;
}

TEST(GridDataArchiveBounds, FailedAllocationRefusesAStructureChangeAndKeepsTheStore) {
  // Every row has a row style and a cell. Changes within the arrays' own room are made in place.
  const struct Case {
    const char* name;
    std::function<BOOL(CGXData&)> change;
  } cases[] = {
      {"insert rows", [](CGXData& d) { return d.InsertRows(1, 100000); }},
      {"remove rows", [](CGXData& d) { return d.RemoveRows(1, 1); }},
      {"move rows", [](CGXData& d) { return d.MoveRows(1, 1, 9); }},
      {"insert cols", [](CGXData& d) { return d.InsertCols(1, 100000); }},
  };
  // Counts, entries and the first and last cells' values: no big buffer that a change could reuse.
  auto summary = [](const CGXData& d) {
    CGXStyle first, last;
    d.GetStyleAt(1, 1, first, 2, 0);
    d.GetStyleAt(100000, 1, last, 2, 0);
    return std::to_string(d.GetRowCount() + d.GetColCount() + d.GetCells().GetEntryCount()) + " " +
           first.GetValue().GetString() + " " + last.GetValue().GetString();
  };
  const std::string measured = Measured([&] {
    std::string out;
    for (const Case& c : cases) {
      CGXData d;
      CGXStyle s;
      for (ROWCOL r = 1; r <= 100000; ++r) {
        s.SetValue(std::to_string(r).c_str());
        d.StoreStyleAt(r, 0, &s, 2, -1);
        d.StoreStyleAt(r, 1, &s, 2, 0);
      }
      const std::string before = summary(d);
      out += c.name + ("=" + Tight(64, [&] { return std::to_string(c.change(d)); }));
      out += summary(d) == before ? " kept;" : " changed;";
    }
    return out;
  });
  EXPECT_EQ(measured.substr(0, measured.rfind(';') + 1),
            "insert rows=0 kept;remove rows=1 changed;move rows=1 changed;insert cols=0 kept;");
}

TEST(GridParamArchiveBounds, RunningOutOfMemoryRefusesTheLoadAndKeepsTheSpansOnAStructureChange) {
  // Three columns whose rows are spans of two: 32,767 runs each.
  std::vector<DWORD> rows(65534);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = (DWORD)(i | 1);
  const Bytes bytes = BlockWithSpans(SpanTable(10, {{3, rows}, {4, rows}, {5, rows}}));
  const std::string measured = Measured([&] {
    CGXGridParam p;
    std::string out = LoadTight(bytes, p, 256);
    CGXGridParam whole;
    if (Load(bytes, [&](CArchive& a) { whole.Serialize(a); }) != -1) return out + " refused";
    CGXSpanCellPool& pool = FloatPool(whole);
    const std::string before = SpanAt(pool, 5, 3) + " " + SpanAt(pool, 65533, 3);
    for (auto change : {+[](CGXSpanCellPool& s) { s.InsertRows(1, 7); },
                        +[](CGXSpanCellPool& s) { s.MoveRows(1, 9, 60000); },
                        +[](CGXSpanCellPool& s) { s.RemoveRows(2, 2); }}) {
      out += " " + Tight(64, [&] {
        change(pool);
        return std::string("ran");
      });
      out += SpanAt(pool, 5, 3) + " " + SpanAt(pool, 65533, 3) == before ? " kept" : " changed";
    }
    return out;
  });
  EXPECT_EQ(measured.substr(0, measured.rfind(' ', measured.rfind(' ') - 1)),
            std::to_string(CArchiveException::badIndex) + " ran kept ran kept ran kept")
      << measured;
}

TEST(GridMaps, AShiftThatRunsOutOfMemoryIsRefusedAndKeepsTheMapOrBits) {
  const std::string measured = Measured([&] {
    CGXMapDWordToLong m;
    for (DWORD k = 0; k < 100000; ++k) m[k] = (LONG)k;
    std::string out;
    for (auto shift : {+[](CGXMapDWordToLong& s) { s.InsertKeys(0, 1); },
                       +[](CGXMapDWordToLong& s) { s.RemoveKeys(5, 5); },
                       +[](CGXMapDWordToLong& s) { s.MoveKeys(1, 2, 50000); }}) {
      out += Tight(64, [&] {
        shift(m);
        return std::string("ran");
      });
      LONG v5 = -1, vLast = -1;
      const bool kept = m.GetCount() == 100000 && m.Lookup(5, v5) && v5 == 5 && m.Lookup(99999, vLast) && vLast == 99999;
      out += kept ? " kept;" : " changed;";
    }
    // Hidden rows: a bit set far out, shifted by more than the memory left holds.
    CByteArray bits;
    GXSetBit(bits, 100000, TRUE);
    for (auto shift : {+[](CByteArray& b) { GXInsertBits(b, 0, 0x7FFFFFFF); },
                       +[](CByteArray& b) { GXMoveBits(b, 0, 0x10000000, 0x70000000); }}) {
      out += Tight(64, [&] {
        shift(bits);
        return std::string("ran");
      });
      out += bits.GetSize() == 12501 && GXGetBit(bits, 100000) ? " kept;" : " changed;";
    }
    return out;
  });
  EXPECT_EQ(measured.substr(0, measured.rfind(';') + 1), "ran kept;ran kept;ran kept;ran kept;ran kept;")
      << measured;
}

TEST(GridSpanPool, ASpanRefusedForWantOfMemoryChangesNothing) {
  // Spans of 30 cells in rows 1, 2, ... until one is refused, with a little more memory left each time,
  // so that the refusal comes at other places: that row holds nothing, the row before keeps its span,
  // and the pool takes further spans and structure changes.
  const std::string measured = Measured([&] {
    auto span = [](ROWCOL r, ROWCOL from, ROWCOL to) {
      return std::to_string(r) + "," + std::to_string(from) + "-" + std::to_string(r) + "," + std::to_string(to);
    };
    std::string out;
    for (long slack = 0; slack < 24; ++slack) {
      CGXSpanCellPool pool;
      ROWCOL refused = 0;
      Tight(slack, [&] {
        for (ROWCOL r = 1; r < 10000000 && !refused; ++r)
          if (!pool.SetSpan(r, 1 + r % 7, r, 30 + r % 7, TRUE)) refused = r;
        return std::string();
      });
      bool clean = refused > 0;
      for (ROWCOL c = 1; c <= 40 && clean; ++c) clean = SpanAt(pool, refused, c) == "-";
      const ROWCOL before = refused - 1;
      clean = clean && (!before || SpanAt(pool, before, 2 + before % 7) == span(before, 1 + before % 7, 30 + before % 7));
      pool.SetSpan(refused, 2, refused, 4, TRUE);
      pool.InsertRows(1, 1);
      clean = clean && SpanAt(pool, refused + 1, 3) == span(refused + 1, 2, 4);
      if (!clean) out += " " + std::to_string(slack);
    }
    return "changed at" + out;
  });
  EXPECT_EQ(measured.substr(0, measured.rfind(' ', measured.rfind(' ') - 1)), "changed at") << measured;
}

TEST(GridDataArchiveBounds, RefusedCellStoreLeavesNoRowArrayNorCount) {
  CGXStyle big;
  big.SetValue(std::string(32u << 20, 'x').c_str());
  const std::string measured = Measured([&] {
    CGXData d;
    const BOOL stored = Tight(1024, [&] { return std::to_string(d.StoreStyleAt(7, 3, &big, 2, 0)); }) == "1";
    return std::to_string(stored) + " " + std::to_string(d.GetCells().GetEntryCount()) + " " +
           std::to_string(d.GetRowCount()) + "," + std::to_string(d.GetColCount());
  });
  EXPECT_EQ(measured.substr(0, measured.find(' ', measured.find(' ', measured.find(' ') + 1) + 1)), "0 0 0,0")
      << measured;
}

TEST(GridMemoryBlocks, NoMemoryIsANullHandle) {
  const std::string measured = Measured([&] {
    std::string out = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)1 << 30) ? "block" : "null";
    out += GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? ",no memory" : ",?";
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
    static_cast<BYTE*>(GlobalLock(h))[0] = 9;
    GlobalUnlock(h);
    out += GlobalReAlloc(h, (SIZE_T)1 << 30, GMEM_MOVEABLE) ? " grown" : " null";
    out += GlobalSize(h) == 4 && static_cast<BYTE*>(GlobalLock(h))[0] == 9 ? ",kept" : ",lost";
    GlobalUnlock(h);
    GlobalFree(h);
    return out;
  });
  EXPECT_EQ(measured.substr(0, measured.rfind(' ', measured.rfind(' ') - 1)), "null,no memory null,kept")
      << measured;
}
#endif

TEST(GridDataArchiveBounds, FarEntriesCostNoMoreThanTheirEntries) {
  const DWORD last = kHuge - 1;
  CGXStyle v[3];
  for (CGXStyle& s : v) s.SetValue("v");
  // Row styles only, at the given indexes (null for a negative one), of a stored size of 2^28.
  auto rowStyles = [&](std::initializer_list<int64_t> at) {
    return Store([&](CArchive& ar) {
      ar << kSchema << kHuge << DWORD(1) << kSchema << DWORD(0) << kEnd << kSchema << kHuge;
      int k = 0;
      for (int64_t i : at) {
        ar << DWORD(i < 0 ? -i : i);
        ar.WriteObject(i < 0 ? nullptr : &v[k++]);
      }
      ar << kEnd << kSchema << DWORD(0) << kEnd;
    });
  };
  // A far cell, a far row style and a far column style.
  const Bytes all = Store([&](CArchive& ar) {
    ar << kSchema << kHuge << kHuge << kSchema << kHuge << last << kSchema << kHuge << last;
    ar.WriteObject(&v[0]);
    ar << kEnd << kEnd << kSchema << kHuge << last;
    ar.WriteObject(&v[1]);
    ar << kEnd << kSchema << kHuge << last;
    ar.WriteObject(&v[2]);
    ar << kEnd;
  });
  const struct Case {
    const char* name;
    Bytes bytes;
    std::string result;  // load, round trip, then where the entries are after a row and a column went in
  } cases[] = {
      // Stored again, the null entry is left out.
      {"one null entry", rowStyles({-(int64_t)last}), "-1 changed 0/0/0"},
      {"one entry", rowStyles({last}), "-1 same 0/268435456/0"},
      {"two entries two apart", rowStyles({last - 2, last}), "-1 same 0/268435454,268435456/0"},
      {"an entry near and one far", rowStyles({3, last}), "-1 same 0/4,268435456/0"},
      {"three far arrays", all, "-1 same 268435456:268435456/268435456/268435456"},
  };
  EXPECT_EQ(cases[0].bytes.size(), 46u);
  for (const Case& c : cases) {
    const std::string measured = Measured([&] {
      CGXData d;
      std::string out = LoadAndStoreAgain(c.bytes);
      Load(c.bytes, [&](CArchive& ar) { d.Serialize(ar); });
      if (!d.InsertRows(1, 1) || !d.InsertCols(1, 1)) return out + " refused";
      auto list = [](const CGXSizedPtrArray& a) {
        std::string t;
        a.ForEachEntry([&](INT_PTR i, void*) { t += (t.empty() ? "" : ",") + std::to_string(i); });
        return t.empty() ? std::string("0") : t;
      };
      std::string cells = list(d.GetCells());
      d.GetCells().ForEachEntry(
          [&](INT_PTR, void* row) { cells += ":" + list(*static_cast<CGXStylePtrArray*>(row)); });
      return out + " " + cells + "/" + list(d.GetRowStyles()) + "/" + list(d.GetColStyles());
    });
    ExpectCheap(measured, c.result, c.name);
  }
}

TEST(GridDataArchiveBounds, StructureChangesOfALoadedHugeSizeStayCheapAndExact) {
  // Row styles "1".."3" at rows 1..3 of a stored size of 2^28; each case loads afresh.
  auto style = [](const char* v) {
    CGXStyle s;
    s.SetValue(v);
    return s;
  };
  const CGXStyle s1 = style("1"), s2 = style("2"), s3 = style("3");
  const Bytes bytes = Store([&](CArchive& ar) {
    ar << kSchema << kHuge << DWORD(1) << kSchema << DWORD(0) << kEnd << kSchema << kHuge << DWORD(1);
    ar.WriteObject(&s1);
    ar << DWORD(2);
    ar.WriteObject(&s2);
    ar << DWORD(3);
    ar.WriteObject(&s3);
    ar << kEnd << kSchema << DWORD(0) << kEnd;
  });
  auto order = [](std::initializer_list<DWORD> o) {
    auto a = std::make_shared<CDWordArray>();
    for (DWORD v : o) a->Add(v);
    return a;
  };
  const auto rotate = order({2, 0, 1});
  const struct Case {
    const char* name;
    std::function<void(CGXData&)> change;
    std::string rowStyles;  // stored size minus 2^28, then index=value
  } cases[] = {
      {"loaded", [](CGXData&) {}, "0:1=1,2=2,3=3"},
      {"insert inside", [](CGXData& d) { d.InsertRows(2, 3); }, "3:1=1,5=2,6=3"},
      {"insert past the size", [](CGXData& d) { d.InsertRows(kHuge + 10, 2); }, "12:1=1,2=2,3=3"},
      {"remove inside", [](CGXData& d) { d.RemoveRows(2, 2); }, "-1:1=1,2=3"},
      {"remove across the end", [](CGXData& d) { d.RemoveRows(kHuge - 5, kHuge + 5); }, "-5:1=1,2=2,3=3"},
      {"move down", [](CGXData& d) { d.MoveRows(2, 2, 5); }, "0:1=1,2=3,5=2"},
      {"move far down", [](CGXData& d) { d.MoveRows(1, 1, 1000); }, "0:1=2,2=3,1000=1"},
      {"move nulls up", [](CGXData& d) { d.MoveRows(10, 11, 1); }, "0:3=1,4=2,5=3"},
      {"reorder", [&](CGXData& d) { d.ReorderRows(CGXRange().SetRowRange(1, 3), *rotate); }, "0:1=3,2=1,3=2"},
      {"copy", [](CGXData& d) { CGXData c; c = d; d.DeleteContents(); d = c; }, "0:1=1,2=2,3=3"},
  };
  const std::string measured = Measured([&] {
    std::string out;
    for (const Case& c : cases) {
      CGXData d;
      if (Load(bytes, [&](CArchive& ar) { d.Serialize(ar); }) != -1) return std::string("refused");
      c.change(d);
      const CGXStylePtrArray& a = d.GetRowStyles();
      std::string got = std::to_string((int64_t)a.GetStoredSize() - kHuge) + ":";
      a.ForEachEntry([&](INT_PTR i, void* p) {
        got += std::to_string(i) + "=" + static_cast<CGXStyle*>(p)->GetValue().GetString() + ",";
      });
      got.pop_back();
      if (got != c.rowStyles) out += std::string(c.name) + " gave " + got + ";";
    }
    return out.empty() ? std::string("exact") : out;
  });
  ExpectCheap(measured, "exact", "structure changes");
}

// Random stores and structure changes of row styles, near the top and far down, against a model of
// the array written from the rules: an index map and the stored size.
TEST(GridDataArchiveBounds, RandomChangesMatchAModelOfTheRules) {
  struct Model {
    std::map<int64_t, std::string> at;
    int64_t size = 0;
    // Each index to its new one, or to -1 when it goes.
    void Renumber(const std::function<int64_t(int64_t)>& to) {
      std::map<int64_t, std::string> next;
      for (auto& [k, v] : at)
        if (to(k) >= 0) next[to(k)] = v;
      at.swap(next);
    }
    void Insert(int64_t i, int64_t n) {
      Renumber([&](int64_t k) { return k >= i ? k + n : k; });
      size = i < size ? size + n : i + n;
    }
    void Remove(int64_t from, int64_t to) {
      if (from >= size || to < from) return;
      const int64_t n = std::min(to, size - 1) - from + 1;
      Renumber([&](int64_t k) { return k < from ? k : k > to ? k - n : -1; });
      size -= n;
    }
    void Move(int64_t from, int64_t n, int64_t dest) {
      if (dest == from || n == 0 || (from >= size && dest >= size)) return;
      const int64_t insertAt = dest < from ? dest : dest + n, src = dest < from ? from + n : from;
      Insert(insertAt, n);
      const std::map<int64_t, std::string> block(at.lower_bound(src), at.lower_bound(src + n));
      for (auto& [k, v] : block) at[insertAt + k - src] = v;
      Remove(src, src + n - 1);
    }
    void Reorder(int64_t top, const std::vector<DWORD>& order) {
      std::vector<std::string> temp;
      for (DWORD o : order) temp.push_back(at.count(top + o) ? at[top + o] : "");
      const bool grown = size < top + (int64_t)order.size() + 1;
      for (size_t i = 0; i < temp.size(); ++i) at.erase(top + (int64_t)i);
      for (size_t i = 0; i < temp.size(); ++i)
        if (!temp[i].empty()) at[top + (int64_t)i] = temp[i];
      if (grown) size = at.empty() ? 0 : at.rbegin()->first + 1;
    }
  };
  auto seen = [](const CGXSizedPtrArray& a) {
    std::string t;
    a.ForEachEntry([&](INT_PTR i, void* p) {
      t += std::to_string(i) + "=" + static_cast<CGXStyle*>(p)->GetValue().GetString() + " ";
    });
    return t + std::to_string(a.GetStoredSize());
  };
  auto modelled = [](const Model& m) {
    std::string t;
    for (auto& [k, v] : m.at) t += std::to_string(k) + "=" + v + " ";
    return t + std::to_string(m.size);
  };
  std::mt19937 rng(73);
  auto pick = [&](int n) { return (int64_t)(rng() % (unsigned)n); };
  auto index = [&]() { return pick(3) ? 1 + pick(200) : (1 << 26) + pick(300); };
  CGXData d;
  Model m;
  for (int step = 0; step < 3000; ++step) {
    const int64_t a = index(), op = pick(7);
    const std::string value = "v" + std::to_string(step);
    if (op <= 1) {
      CGXStyle s;
      d.StoreStyleAt((ROWCOL)a, 0, &s.SetValue(value.c_str()), 2, -1);
      m.at[a] = value, m.size = std::max(m.size, a + 1);
    } else if (op == 2) {
      d.StoreStyleAt((ROWCOL)a, 0, nullptr, 0, -1);
      m.at.erase(a);
    } else if (op == 3) {
      const int64_t n = 1 + pick(4);
      d.InsertRows((ROWCOL)a, (ROWCOL)n), m.Insert(a, n);
    } else if (op == 4) {
      const int64_t to = std::max(a, index()) + pick(3);
      d.RemoveRows((ROWCOL)a, (ROWCOL)to), m.Remove(a, to);
    } else if (op == 5) {
      const int64_t n = pick(4) ? 1 + pick(5) : index(), dest = index();
      d.MoveRows((ROWCOL)a, (ROWCOL)(a + n - 1), (ROWCOL)dest), m.Move(a, n, dest);
    } else {
      std::vector<DWORD> order(1 + (size_t)pick(8));
      for (size_t i = 0; i < order.size(); ++i) order[i] = (DWORD)i;
      std::shuffle(order.begin(), order.end(), rng);
      CDWordArray o;
      for (DWORD v : order) o.Add(v);
      d.ReorderRows(CGXRange().SetRowRange((ROWCOL)a, (ROWCOL)a), o), m.Reorder(a, order);
    }
    ASSERT_EQ(seen(d.GetRowStyles()), modelled(m)) << "step " << step << " op " << op << " at " << a;
    if (step % 100 == 0) {
      ASSERT_EQ(LoadAndStoreAgain(Store([&](CArchive& ar) { d.Serialize(ar); })), "-1 same") << step;
    }
  }
}
