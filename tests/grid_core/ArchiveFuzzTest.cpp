// Grid bytes from elsewhere, mutated at random: a document's grid block and a pasted block of
// styles either load or are refused with an archive exception; nothing crashes or leaks.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXPrintDevice.h"
#include "grid/engine/GXStyleBlock.h"
#include "grid/engine/GXStylesMap.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/core/Module.h"
#include "platform/gdi/Printer.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

using dravonix::test::Bytes;

namespace {

// A grid holding a bit of everything its archive carries.
struct Source {
  Source() {
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0);
    grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD, CRect(0, 0, 300, 200), &parent, 3);
    grid.Initialize();
    grid.SetRowCount(12);
    grid.SetColCount(6);
    grid.SetMergeCellsMode(1, FALSE);
    grid.SetFloatCellsMode(1, FALSE);
    CGXFont font;
    font.SetWeight(700).SetItalic(TRUE).SetSize(12);
    const CGXPenValue pen(PS_DOT, 2, RGB(1, 2, 3));
    for (ROWCOL r = 1; r <= 4; ++r) {
      CGXStyle s;
      s.SetValue("value").SetFont(font).SetInterior(CGXBrushValue(BS_HATCHED, RGB(9, 8, 7), HS_CROSS));
      s.SetBorders(0, pen).SetUserAttribute(51012, "5").SetChoiceList("a\nb").SetMergeCell(6).SetFloatCell(TRUE);
      grid.SetStyleRange(CGXRange().SetCellRange(r, 1, r, 3), &s);
    }
    grid.SetCoveredCellsRowCol(6, 2, 7, 4);
    grid.SelectRange(CGXRange().SetRowRange(9, 10), TRUE, FALSE);
    grid.SetRowHeight(3, 3, 40);
    grid.DelayMergeCells(CGXRange().SetCellRange(1, 1, 12, 6));
    grid.DelayFloatCells(CGXRange().SetCellRange(1, 1, 12, 6));
    grid.GetParam()->m_strSheetName = "Sheet";
    auto* printer = new CGXPrintDevice;
    const std::vector<BYTE> names = GetPrinterDevNames();
    DEVMODE mode{};
    GetPrinterDevMode(&mode);
    printer->SetDevice(names.data(), (DWORD)names.size(), &mode, sizeof mode);
    grid.GetParam()->SetPrintDevice(printer, TRUE);
  }
  ~Source() {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  CWnd parent;
  ZAZAzedAze grid;
};

// Reads `bytes` with `read`; whatever it throws is deleted.
void Read(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
  if (CException* e = dravonix::test::LoadBytes(bytes, read)) e->Delete();
}

// Mutants of `seed`: bytes overwritten with random or edge values, cut short or spliced.
template <class Read_>
void Mutate(const Bytes& seed, unsigned rounds, Read_ read) {
  std::mt19937 random(4711);
  for (unsigned i = 0; i < rounds; ++i) {
    Bytes b = seed;
    const unsigned edits = 1 + random() % 4;
    for (unsigned e = 0; e < edits && !b.empty(); ++e) {
      const size_t at = random() % b.size();
      static const BYTE edge[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
      switch (random() % 5) {
        case 0: b[at] = (BYTE)random(); break;
        case 1: b[at] = edge[random() % sizeof edge]; break;
        case 2: b[at] ^= (BYTE)(1u << (random() % 8)); break;
        case 3: b.resize(at); break;
        default: b.insert(b.begin() + (long)at, b.begin() + (long)(random() % b.size()), b.end()); break;
      }
    }
    read(b);
  }
}

}  // namespace

TEST(GridArchiveFuzz, MutatedBlocksLoadOrAreRefused) {
  Source src;
  const Bytes param = dravonix::test::StoreBytes([&](CArchive& ar) { ar.WriteObject(src.grid.GetParam()); });
  CGXRangeList all;
  all.AddTail(new CGXRange(CGXRange().SetCellRange(1, 1, 7, 4)));
  const Bytes block = dravonix::test::StoreBytes([&](CArchive& ar) { src.grid.WriteInternalFormat(ar, all, FALSE); });
  ASSERT_GT(block.size(), 100u);
  ASSERT_EQ(dravonix::test::LoadCause(param, [](CArchive& ar) { delete ar.ReadObject(RUNTIME_CLASS(CGXGridParam)); }), -1);
  const char* env = std::getenv("GRID_FUZZ_ROUNDS");
  const unsigned rounds = env ? (unsigned)std::strtoul(env, nullptr, 10) : 300;
  Mutate(param, rounds, [](const Bytes& b) { Read(b, [](CArchive& ar) { delete ar.ReadObject(RUNTIME_CLASS(CGXGridParam)); }); });
  CGXStylesMap map;
  map.CreateStandardStyles();
  Mutate(block, rounds, [&](const Bytes& b) {
    Read(b, [&](CArchive& ar) {
      CGXStylesMap::AttachToArchive(ar, &map);
      DWORD rows = 0, cols = 0;
      ar >> rows >> cols;
      if (rows && cols && rows <= 64 && cols <= 64) GXReadStyleBlock(ar, rows, cols);
    });
  });
}

TEST(GridArchiveFuzz, FarEntriesOfAGridBlockLoadCheaplyAndTakeRows) {
  const ROWCOL last = (1u << 28) - 1;
  Bytes param;
  {
    Source src;
    CGXStyle s;
    s.SetValue("far");
    CGXData* data = src.grid.GetParam()->m_pData;
    data->StoreStyleAt(last, 0, &s, 2, -1);
    data->StoreStyleAt(0, last, &s, 2, -1);
    data->StoreStyleAt(last, last, &s, 2, 0);
    param = dravonix::test::StoreBytes([&](CArchive& ar) { ar.WriteObject(src.grid.GetParam()); });
  }
  const std::string result = dravonix::test::InChildProcess([&]() -> std::string {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlimit limit{pages * (rlim_t)sysconf(_SC_PAGESIZE) + (rlim_t(64) << 20), RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) return "setrlimit failed";
    Source dest;
    const auto start = std::chrono::steady_clock::now();
    CGXGridParam* loaded = nullptr;
    const int cause = dravonix::test::LoadCause(param, [&](CArchive& ar) {
      loaded = static_cast<CGXGridParam*>(ar.ReadObject(RUNTIME_CLASS(CGXGridParam)));
    });
    if (cause != -1 || !loaded) return "refused " + std::to_string(cause);
    dest.grid.SetParam(loaded, TRUE);
    const BOOL inserted = dest.grid.InsertRows(1, 1) && dest.grid.InsertCols(1, 1);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    CGXStyle cell;
    const CGXData* data = dest.grid.GetParam()->m_pData;
    data->GetStyleAt(last + 1, last + 1, cell, 2, 0);
    return std::to_string(inserted) + " " + cell.GetValue().GetString() + " " +
           (ms.count() < 1000 * dravonix::test::kTimeFactor ? "fast" : std::to_string(ms.count()) + " ms");
  });
  EXPECT_EQ(result, "1 far fast");
}
