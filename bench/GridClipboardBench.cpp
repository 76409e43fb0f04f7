// Copying a 100,000 x 10 block of the grid as clipboard text (WriteTextFormat into shared memory),
// compared with building the same text from the same values with plain string appends.
#include "bench/BenchNote.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/SharedFile.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const ROWCOL kRows = 100000, kCols = 10;

struct Grid {
  CGXGridCore core;
  std::vector<std::string> values;
  CGXRangeList block;
  Grid() {
    GXStartGridLibrary();
    core.Initialize();
    CGXData& data = *core.GetParam()->GetData();
    data.SetRowCount(kRows);
    data.SetColCount(kCols);
    CGXStyle cell;
    for (ROWCOL r = 1; r <= kRows; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c) {
        values.push_back(std::to_string(r * 31 + c));
        cell.SetValue(CString(values.back().c_str()));
        data.StoreStyleAt(r, c, &cell, 0);
      }
    block.AddTail(new CGXRange(CGXRange().SetCellRange(1, 1, kRows, kCols)));
  }
};

Grid& TheGrid() {
  static Grid grid;
  return grid;
}

size_t CopyAsText() {
  Grid& g = TheGrid();
  CSharedFile file(0x2042, 4096);
  g.core.WriteTextFormat(file, g.block);
  return (size_t)file.GetLength();
}

size_t PlainAppends() {
  const Grid& g = TheGrid();
  std::string out;
  size_t i = 0;
  for (ROWCOL r = 0; r < kRows; ++r) {
    if (r) out += "\r\n";
    for (ROWCOL c = 0; c < kCols; ++c) {
      if (c) out += '\t';
      out += g.values[i++];
    }
  }
  out += "\r\n";
  return out.size();
}

void BM_CopyBlockAsText(benchmark::State& state) {
  for (auto _ : state) bench_note::Keep("copy", bench_note::Time([] { benchmark::DoNotOptimize(CopyAsText()); }));
}
void BM_PlainStringAppends(benchmark::State& state) {
  for (auto _ : state) bench_note::Keep("plain", bench_note::Time([] { benchmark::DoNotOptimize(PlainAppends()); }));
}
BENCHMARK(BM_CopyBlockAsText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStringAppends)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  TheGrid();
  bench_note::Time([] { CopyAsText(); }, "first copy");
  bench_note::Time([] { PlainAppends(); }, "first plain");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("Copying 100,000 x 10 cells as text:\n");
  bench_note::PrintRatio("steady state", "copy", "plain", 3.0);
  bench_note::PrintRatio("first run", "first copy", "first plain", 3.0);
  return 0;
}
