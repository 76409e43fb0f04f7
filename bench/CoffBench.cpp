// Reading a compiled program of 5,000 symbols and 64 K words and looking every symbol up by name, in
// symbols per second. Compared against reading the same bytes with plain fread (the I/O floor) and
// against the by-index walk over the symbol table that a reader without a name map would need.
#include "comm/MC_CoffFormat.h"
#include "kernel/document/KernelGlobals.h"
#include "suite/coff/CoffWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSymbols = 5000;

struct Program {
  std::string path;
  std::vector<std::string> names;
  ~Program() {
    if (!path.empty()) std::remove(path.c_str());
  }
};

const Program& TheProgram() {
  static Program program = [] {
    Program p;
    coff::Writer w;
    coff::Section text;
    text.name = ".text";
    text.loadAddress = text.runAddress = 0x0000;
    text.words.resize(0x8000);
    for (size_t i = 0; i < text.words.size(); ++i) text.words[i] = (uint16_t)(i * 31);
    w.AddSection(text);
    coff::Section data;
    data.name = ".data";
    data.loadAddress = data.runAddress = 0x8000;
    data.words.resize(0x8000);
    data.flags = coff::kSectionData;
    data.page = 1;
    w.AddSection(data);
    static const uint16_t types[] = {coff::kTypeInt, coff::kTypeLong, coff::kTypeFixed, coff::kTypeUnsignedShort,
                                     coff::kTypeUnsignedLong};
    for (int i = 0; i < kSymbols; ++i) {
      // Half the names are longer than 8 characters and live in the string table.
      std::string name = (i % 2 ? "VARIABLE_NUMBER_" : "V") + std::to_string(i);
      p.names.push_back(name);
      if (i % 10 == 9)
        w.AddLabel(name, (uint16_t)(i * 6), 1);
      else
        w.AddVariable(name, (uint16_t)(0x8000 + i * 6), 2, types[i % 5]);
    }
    p.path = "/tmp/dravonix-coffbench-" + std::to_string(getpid()) + ".out";
    w.WriteFile(p.path);
    return p;
  }();
  return program;
}

void BM_ReadAndLookUpEverySymbol(benchmark::State& state) {
  const Program& p = TheProgram();
  g_bShowErrors = FALSE;
  for (auto _ : state) {
    CMC_CoffFormat coff;
    coff.m_strFileName = p.path.c_str();
    if (!coff.ReadCoff()) state.SkipWithError("read failed");
    int found = 0;
    for (const std::string& name : p.names) {
      WORD address;
      tagVarType type;
      found += coff.LocateVariable(name.c_str(), address, type) || coff.LocateLabel(name.c_str());
    }
    if (found != kSymbols) state.SkipWithError("a symbol was not found");
  }
  state.SetItemsProcessed(state.iterations() * kSymbols);
}
BENCHMARK(BM_ReadAndLookUpEverySymbol)->Unit(benchmark::kMillisecond);

void BM_ReadOnly(benchmark::State& state) {
  const Program& p = TheProgram();
  for (auto _ : state) {
    CMC_CoffFormat coff;
    coff.m_strFileName = p.path.c_str();
    benchmark::DoNotOptimize(coff.ReadCoff());
  }
  state.SetItemsProcessed(state.iterations() * kSymbols);
}
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond);

void BM_FreadFloor(benchmark::State& state) {
  const Program& p = TheProgram();
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
    FILE* f = std::fopen(p.path.c_str(), "rb");
    size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations() * kSymbols);
}
BENCHMARK(BM_FreadFloor)->Unit(benchmark::kMillisecond);

// The walk by index over the table, for one symbol in a hundred (every one would take minutes).
void BM_WalkLookupBaseline(benchmark::State& state) {
  const Program& p = TheProgram();
  CMC_CoffFormat coff;
  coff.m_strFileName = p.path.c_str();
  coff.ReadCoff();
  for (auto _ : state) {
    int found = 0;
    for (size_t i = 0; i < p.names.size(); i += 100) found += coff.GetIdxSymbolWithName(p.names[i].c_str()) >= 0;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * (kSymbols / 100));
}
BENCHMARK(BM_WalkLookupBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
