// The value store read from hostile bytes: a stored size costs nothing until entries fill it, so a
// few bytes cannot make a load take gigabytes or end the program.
#include "grid/engine/GXData.h"
#include "tests/grid_engine/GridTestUtil.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestKernel.h"

#include <sys/resource.h>

#include <chrono>
#include <fstream>
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

}  // namespace

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

TEST(GridDataArchiveBounds, FailedAllocationRefusesTheArchive) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator ends the program on a failed allocation";
#else
  // One row array far down: honest in form, but more than the child may allocate.
  const Bytes bytes = Store([&](CArchive& ar) {
    ar << kSchema << DWORD(1) << DWORD(1) << kSchema << (1u << 27) + 1 << DWORD(1u << 27) << kSchema << DWORD(0)
       << kEnd << kEnd << kSchema << DWORD(0) << kEnd << kSchema << DWORD(0) << kEnd;
  });
  const std::string measured = Measured([&] {
    CGXData back;
    return std::to_string(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }));
  });
  EXPECT_EQ(measured.substr(0, measured.find(' ')), std::to_string(CArchiveException::badIndex)) << measured;
#endif
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
      for (INT_PTR i = 0; i < a.GetSize(); ++i)
        if (a.GetStyle(i)) got += std::to_string(i) + "=" + a.GetStyle(i)->GetValue().GetString() + ",";
      got.pop_back();
      if (got != c.rowStyles) out += std::string(c.name) + " gave " + got + ";";
    }
    return out.empty() ? std::string("exact") : out;
  });
  ExpectCheap(measured, "exact", "structure changes");
}
