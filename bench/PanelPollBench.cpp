// One poll of a panel of 50 value displays on the simulated drive's words (the items read their
// values from the memory cache, the displays compare them), against the items' memory-cache read
// alone: with unchanged values a poll should cost within 1.5x of the read. For scale, the bare
// cache lookups of the same words, and the poll when every value changed and each display writes
// its text.
#include "comm/MC_Comm.h"
#include "comm/MC_MemoryCache.h"
#include "kernel/document/KernelGlobals.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/gadgets/GadgetShowVarWnd.h"
#include "platform/ui/WinApp.h"
#include "suite/zurcomm/DriveSimulator.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kDisplays = 50;

struct Panel {
  Panel() : cache(1) {
    g_bShowErrors = FALSE;
    CMC_Comm::nShowErr = 0;
    DriveSimulator::Reset();
    CMC_Comm::Open("COM1", 115200, 0, 0, 0);
    CMC_Comm::SetActiveBoard(1);
    host.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 800, 800), nullptr, 0);
    for (int i = 0; i < kDisplays; ++i) {
      auto item = std::make_unique<CControlPanelShowVarItem>();
      item->m_var.m_strName.Format("int@0x%04X", 0x8300 + 2 * i);
      item->m_rect.SetRect(0, 20 * i, 0, 0);
      item->LocateItemVariables(nullptr, nullptr);
      item->RegisterAddresses(cache);
      auto wnd = std::make_unique<CGadgetShowVarWnd>();
      wnd->Create(&host, "GADGET_SHOWVAR", 14000 + i, item.get(), FALSE);
      items.push_back(std::move(item));
      windows.push_back(std::move(wnd));
    }
    cache.ReadValues(TRUE);
    Poll();
  }
  ~Panel() {
    windows.clear();
    host.DestroyWindow();
    CMC_Comm::Close();
  }
  void Poll() {
    for (int i = 0; i < kDisplays; ++i) {
      items[i]->UpdateValues(cache);
      windows[i]->OnUpdateValues();
    }
  }
  CMC_MemoryCache cache;
  CWnd host;
  std::vector<std::unique_ptr<CControlPanelShowVarItem>> items;
  std::vector<std::unique_ptr<CGadgetShowVarWnd>> windows;
};

Panel& ThePanel() {
  static Panel panel;
  return panel;
}

void BM_CacheReadAlone(benchmark::State& state) {
  Panel& panel = ThePanel();
  for (auto _ : state)
    for (int i = 0; i < kDisplays; ++i) {
      WORD word;
      panel.cache.GetValue(0, (WORD)(0x8300 + 2 * i), &word, 1);
      benchmark::DoNotOptimize(word);
    }
}

void BM_ItemsReadAlone(benchmark::State& state) {
  Panel& panel = ThePanel();
  for (auto _ : state)
    for (auto& item : panel.items) item->UpdateValues(panel.cache);
}

void BM_PollUnchanged(benchmark::State& state) {
  Panel& panel = ThePanel();
  for (auto _ : state) panel.Poll();
}

void BM_PollAllChanged(benchmark::State& state) {
  Panel& panel = ThePanel();
  for (auto _ : state) {
    for (auto& w : panel.windows) w->m_dLastValue = kValueNotShown;
    panel.Poll();
  }
}

BENCHMARK(BM_CacheReadAlone);
BENCHMARK(BM_ItemsReadAlone);
BENCHMARK(BM_PollUnchanged);
BENCHMARK(BM_PollAllChanged);

}  // namespace

BENCHMARK_MAIN();
