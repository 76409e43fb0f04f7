// One line appended to the output window's text and to the console's, at 0, 10,000 and 100,000 lines
// already there (2,000 appends each, so the text grows little): an append must cost the same at any
// length.
#include "editor/documents/TextFileDoc.h"
#include "platform/ui/WinApp.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void Append(benchmark::State& state, bool console) {
  CWinApp app("OutputAppendBench");
  CTextFileDoc doc;
  doc.m_bAutoDelete = FALSE;
  if (console)
    doc.InitializeInterpreterDoc();
  else
    doc.InitializeOutputDoc();
  std::string text;
  for (int i = 0; i < state.range(0); ++i) text += "compiling a.zur, line " + std::to_string(i) + "\r\n";
  if (!text.empty()) doc.InsertTextAtEnd(text.c_str());
  for (auto _ : state) {
    if (console)
      doc.InsertLineAtEnd("VKS> ");
    else
      doc.InsertTextAtEnd("warning: unused variable\r\n");
  }
}

}  // namespace

BENCHMARK_CAPTURE(Append, output, false)->Arg(0)->Arg(10000)->Arg(100000)->Iterations(2000);
BENCHMARK_CAPTURE(Append, console, true)->Arg(0)->Arg(10000)->Arg(100000)->Iterations(2000);
BENCHMARK_MAIN();
