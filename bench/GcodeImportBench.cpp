// Importing a generated G-code program of 100,000 blocks through the import dialog (OK reads the
// file and fills the dialog's group of motion elements), compared against the translator alone on
// the same text, measured side by side: steady state and the first run of a fresh process.
#include "kernel/setup/MC_AxisData.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Format.h"
#include "platform/ui/DialogAutomation.h"
#include "views/gcode/ImportGcodeDlg.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchNote.h"

namespace fs = std::filesystem;

namespace {

const int kBlocks = 100000;

class BenchAxis : public CMC_AxisData {
 public:
  explicit BenchAxis(CMC_Setup* setup) : m_setup(setup) {}
  CMC_Setup* GetSetup() override { return m_setup; }
  CMC_Setup* m_setup;
};

// A controller whose slaves A and B are linear axes; the program in a file and in memory.
struct Sample {
  std::string path, text;
  CMC_Setup* slaves[2] = {};
  CMC_Setup* controller = nullptr;
  CMC_Motion* motion = nullptr;
  BenchAxis* axes[2] = {};

  Sample() {
    fs::path exe = fs::read_symlink("/proc/self/exe");
    char tmpl[] = "/tmp/dravonix-gcodeimport-XXXXXX";
    std::string kernel = mkdtemp(tmpl);
    fs::copy(exe.parent_path().parent_path() / "kernel", kernel, fs::copy_options::recursive);
    setenv("DRAVONIX_KERNEL_DIR", kernel.c_str(), 1);
    for (int i = 0; i < kBlocks; i++) {
      const int x = i % 97, y = i % 89;
      switch (i % 5) {
        case 0: text += FormatString("N%d G1 X%d.%03d Y%d.5 F%d\n", i, x, i % 1000, y, 10 + i % 7); break;
        case 1: text += FormatString("G3 X%d.%03d Y%d.5 I2 J0\n", x, i % 1000 + 1, y); break;
        case 2: text += FormatString("#1=[%d+#2]*SIN[30]/2\n", i % 50); break;
        case 3: text += "G1 X[#1*2] Y[ROUND[#1] MOD 7 + ABS[-3.25]] (contour)\n"; break;
        default: text += "G0 X0 Y0\n"; break;
      }
    }
    path = kernel + "/bench.gnc";
    std::ofstream(path, std::ios::binary) << text;
    controller = CMC_Setup::Create(0x0701);
    motion = controller ? CMC_Motion::Create(controller) : nullptr;
    for (int i = 0; i < 2 && motion; i++) {
      slaves[i] = CMC_Setup::Create(0x0210);
      axes[i] = new BenchAxis(slaves[i]);
      motion->SetMotionControllerSlaveAxis(i, axes[i]);
    }
  }
};

Sample& TheSample() {
  static Sample s;
  return s;
}

tagGcodeSettings Settings() {
  tagGcodeSettings s;
  s.m_nAxisSlave[0] = 0;
  s.m_nAxisSlave[1] = 1;
  return s;
}

size_t g_dialogElements = 0, g_translatorElements = 0;

// The dialog as a user runs it: X on A, Y on B, OK.
bool ImportThroughDialog(Sample& s) {
  CImportGcodeDlg dlg(s.controller, s.motion);
  dlg.m_strFile = s.path.c_str();
  DialogAutomation::AddDialogHandler(CImportGcodeDlg::IDD, [](CWnd* d) {
    DialogAutomation::SelectItem(d, 14002, "A");
    DialogAutomation::SelectItem(d, 14003, "B");
    ::SendMessage(d->m_hWnd, WM_COMMAND, IDOK, 0);
  });
  const bool ok = dlg.DoModal() == IDOK;
  g_dialogElements = (size_t)dlg.GetGroup().GetSize();
  return ok;
}

bool TranslatorAlone(Sample& s) {
  CGcodeTranslator t(Settings());
  CString error;
  const bool ok = t.Translate(s.text.c_str(), error);
  g_translatorElements = t.GetElements().size();
  return ok;
}

// Registered first, so that they run first in the process.
void BM_FirstImportThroughDialog(benchmark::State& state) {
  Sample& s = TheSample();
  for (auto _ : state) {
    bool ok = false;
    bench_note::Time([&] { ok = ImportThroughDialog(s); }, "first dialog");
    if (!ok) state.SkipWithError("import failed");
  }
}
BENCHMARK(BM_FirstImportThroughDialog)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FirstTranslatorAlone(benchmark::State& state) {
  Sample& s = TheSample();
  for (auto _ : state) bench_note::Time([&] { TranslatorAlone(s); }, "first translator");
}
BENCHMARK(BM_FirstTranslatorAlone)->Iterations(1)->Unit(benchmark::kMillisecond);

template <bool (*Run)(Sample&)>
void Steady(benchmark::State& state, const char* key) {
  Sample& s = TheSample();
  double seconds = 0;
  for (auto _ : state) seconds += bench_note::Time([&] {
      if (!Run(s)) state.SkipWithError("run failed");
    });
  bench_note::Keep(key, seconds / (double)state.iterations());
  state.counters["blocks/s"] =
      benchmark::Counter((double)kBlocks * (double)state.iterations(), benchmark::Counter::kIsRate);
}
void BM_ImportThroughDialog(benchmark::State& state) { Steady<ImportThroughDialog>(state, "dialog"); }
void BM_TranslatorAlone(benchmark::State& state) { Steady<TranslatorAlone>(state, "translator"); }
BENCHMARK(BM_ImportThroughDialog)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_TranslatorAlone)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!TheSample().motion) {
    std::fprintf(stderr, "no controller setup in the sample kernel folder\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nImport of %d blocks through the dialog against the translator alone:\n", kBlocks);
  bench_note::PrintRatio("steady state", "dialog", "translator", 1.5);
  bench_note::PrintRatio("first run in a fresh process", "first dialog", "first translator", 1.5);
  std::printf("  elements: %zu through the dialog, %zu by the translator\n", g_dialogElements, g_translatorElements);
  return 0;
}
