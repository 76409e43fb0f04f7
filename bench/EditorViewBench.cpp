// Painting and scrolling the editor engine (window 1000 x 800, syntax colouring on) on a 100 MB
// motion-language text (1.28 M lines, a "/* */" block every 64 lines), on the same text without
// block comments, and on a 64-line file showing the same rows, all in one run.
// Targets: a full repaint at the middle, a line scroll and each Page Down within 1.5x of the same
// on the small file; a full repaint within 3x of drawing the rows with one ExtTextOut each; a thumb
// jump to 10 %, 50 % and 90 % with its repaint within 3x of one full repaint. Ctrl+Home and
// Ctrl+End are reported. The "Cold" jumps forget the block-comment states first (a fresh process).
#include "editor/core/SECEditCore.h"
#include "platform/gdi/DC.h"
#include "platform/ui/WinApp.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class CBenchEditWnd : public SECEditCore<CWnd> {
 public:
  SECEdit edit;
  SECEdit* GetEdit() override { return &edit; }
  void UpdateViews(CWnd*, LPARAM, CObject*) override {}
};

std::string KeywordFile() {
  static std::string path = [] {
    std::string p = "/tmp/dravonix_editor_view_" + std::to_string(getpid()) + ".ini";
    FILE* f = fopen(p.c_str(), "wb");
    if (f) {
      fputs("[Keywords]\r\nbegin=\r\nend=\r\nif=\r\nwhile=\r\nmove=\r\nwait=\r\nvar=\r\n", f);
      fclose(f);
    }
    atexit([] { remove(KeywordFile().c_str()); });
    return p;
  }();
  return path;
}

std::string MakeText(size_t lines, bool blocks) {
  std::string text;
  text.reserve(lines * 84);
  char buf[128];
  for (size_t i = 0; i < lines; ++i) {
    size_t k = i % 64;
    if (blocks && k == 10)
      snprintf(buf, sizeof buf, "/* block %zu: the next lines explain what follows in this part\r\n", i);
    else if (blocks && k == 12)
      snprintf(buf, sizeof buf, "   of the program and where the block ends */ move x %zu\r\n", i);
    else
      snprintf(buf, sizeof buf, "\tif x%zu begin move axis = \"position %zu\" + var; wait 10 // step %zu\r\n", k, i, i);
    text += buf;
  }
  return text;
}

// The three texts, one window at a time: 0 the 64-line file, 1 with blocks, 2 without.
struct Scene {
  std::unique_ptr<CBenchEditWnd> wnd;
  int kind = -1;
};

Scene& Get(int kind) {
  static Scene scene;
  if (scene.kind == kind) return scene;
  if (scene.wnd) scene.wnd->DestroyWindow();
  scene.wnd.reset();
  auto w = std::make_unique<CBenchEditWnd>();
  std::string text = MakeText(kind == 0 ? 64 : 1280000, kind == 1);
  w->edit.TextChangedAt(0);
  SECEdit::FreeLineList(w->edit.m_pLine);
  w->edit.m_pLine = w->edit.SplitIntoLines(text.c_str(), (int)text.size());
  w->edit.m_nLineCount = w->edit.RenumberAll();
  w->edit.m_strKeywordFile = KeywordFile().c_str();
  strcpy(w->edit.m_szCommentStart1, "/*");
  strcpy(w->edit.m_szCommentEnd1, "*/");
  strcpy(w->edit.m_szCommentStart2, "//");
  w->edit.m_bCase = FALSE;
  w->edit.LoadKeywords();
  w->edit.m_bChroma = TRUE;
  w->CreateEx(0, AfxRegisterWndClass(0), "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 800), nullptr, 0);
  w->InitView();
  scene.wnd = std::move(w);
  scene.kind = kind;
  return scene;
}

void Middle(CBenchEditWnd& w) {
  int n = w.edit.m_nLineCount > 64 ? w.edit.m_nLineCount / 2 : 1;
  w.m_pTopLine = w.m_pCurLine = w.FindLine(n);
  w.m_nTopLine = w.m_nCurLine = n;
}

void Paint(CBenchEditWnd& w) {
  w.Invalidate(FALSE);
  w.UpdateWindow();
}

void BM_Repaint(benchmark::State& state) {
  CBenchEditWnd& w = *Get((int)state.range(0)).wnd;
  Middle(w);
  Paint(w);
  for (auto _ : state) Paint(w);
}

void BM_ExtTextOutRows(benchmark::State& state) {
  CBenchEditWnd& w = *Get((int)state.range(0)).wnd;
  Middle(w);
  for (auto _ : state) {
    CClientDC dc(&w);
    CFont* old = dc.SelectObject(&w.m_font);
    tagLINEDESC* p = w.m_pTopLine;
    for (int y = 0; y < 800 && p; y += w.m_nLineHeight, p = p->pNext) {
      CRect r(0, y, 1000, y + w.m_nLineHeight);
      dc.ExtTextOut(w.m_nMargin, y, ETO_OPAQUE, &r, p->pText, (UINT)w.edit.TextLength(p), nullptr);
    }
    dc.SelectObject(old);
  }
}

void BM_LineScroll(benchmark::State& state) {
  CBenchEditWnd& w = *Get((int)state.range(0)).wnd;
  Middle(w);
  Paint(w);
  bool down = true;
  for (auto _ : state) {
    w.SendMessage(WM_VSCROLL, MAKEWPARAM(down ? SB_LINEDOWN : SB_LINEUP, 0), 0);
    down = !down;
  }
}

void BM_PageDown(benchmark::State& state) {
  CBenchEditWnd& w = *Get((int)state.range(0)).wnd;
  Middle(w);
  Paint(w);
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) {
      // The small file has room for one page: it pages back up between pages.
      if (w.edit.m_nLineCount <= 64 && i % 2) {
        w.PageUp(TRUE);
      } else {
        w.PageDown(TRUE);
      }
      w.UpdateWindow();
    }
    Middle(w);
  }
  state.SetItemsProcessed(state.iterations() * 100);
}

void Jumps(benchmark::State& state, bool cold) {
  CBenchEditWnd& w = *Get((int)state.range(0)).wnd;
  for (auto _ : state)
    for (int pct : {10, 50, 90}) {
      if (cold) w.edit.m_nCommentValid = 0;
      int line = (int)((int64_t)w.edit.m_nLineCount * pct / 100);
      w.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, line / w.m_nScrollScale), 0);
      w.UpdateWindow();
    }
  state.SetItemsProcessed(state.iterations() * 3);
}

void BM_ThumbJumps(benchmark::State& state) { Jumps(state, false); }
void BM_ThumbJumpsCold(benchmark::State& state) { Jumps(state, true); }

void BM_CtrlHomeEnd(benchmark::State& state) {
  CBenchEditWnd& w = *Get((int)state.range(0)).wnd;
  for (auto _ : state) {
    w.GoToTextEnd(TRUE);
    w.UpdateWindow();
    w.GoToTop(TRUE);
    w.UpdateWindow();
  }
}

}  // namespace

// Registered per text, so each 100 MB text is built once and freed before the next.
void RegisterAll() {
  for (int kind : {0, 1, 2}) {
    auto one = [kind](benchmark::internal::Benchmark* b) { b->ArgName("text")->Arg(kind)->Unit(benchmark::kMicrosecond); };
    one(benchmark::RegisterBenchmark("Repaint", BM_Repaint));
    one(benchmark::RegisterBenchmark("ExtTextOutRows", BM_ExtTextOutRows));
    one(benchmark::RegisterBenchmark("LineScroll", BM_LineScroll));
    one(benchmark::RegisterBenchmark("PageDown", BM_PageDown));
    one(benchmark::RegisterBenchmark("ThumbJumpsCold", BM_ThumbJumpsCold)->Iterations(3));
    one(benchmark::RegisterBenchmark("ThumbJumps", BM_ThumbJumps));
    one(benchmark::RegisterBenchmark("CtrlHomeEnd", BM_CtrlHomeEnd));
  }
}

int main(int argc, char** argv) {
  CWinApp app("EditorViewBench");
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (Get(0).wnd) Get(0).wnd->DestroyWindow();
  return 0;
}
