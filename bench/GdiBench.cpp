// Device-context drawing against the same drawing done directly with Cairo, on a 1920x1080 image.
// Text: 10,000 TextOut calls of 20 characters (Liberation Sans, 13 px). Lines: 100,000 LineTo segments
// with a one-pixel pen, each segment a separate stroke in the Cairo version as each LineTo is one call.
// Target: the device context within 1.3x of Cairo alone.
#include "platform/gdi/DC.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kW = 1920, kH = 1080;
const char kText[] = "Axis 1 position 0042";  // 20 characters

struct Points {
  std::vector<POINT> pts;
  explicit Points(int n) {
    uint32_t s = 12345;
    auto next = [&] { s = s * 1103515245u + 12345u; return (s >> 8) & 0xFFFF; };
    for (int i = 0; i < n; ++i) pts.push_back(POINT{(LONG)(next() % kW), (LONG)(next() % kH)});
  }
};

void BM_DcTextOut(benchmark::State& state) {
  CDC screen;
  screen.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  CDC mem;
  mem.CreateCompatibleDC(&screen);
  CBitmap bm;
  bm.CreateCompatibleBitmap(&screen, kW, kH);
  mem.SelectObject(&bm);
  LOGFONT lf{};
  lf.lfHeight = -13;
  std::strcpy(lf.lfFaceName, "Arial");
  CFont f;
  f.CreateFontIndirect(&lf);
  mem.SelectObject(&f);
  mem.SetBkMode(TRANSPARENT);
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i) mem.TextOut((i * 37) % 1760, (i * 13) % 1060, kText, 20);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DcTextOut)->Unit(benchmark::kMillisecond);

void BM_CairoText(benchmark::State& state) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(s);
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 13);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i) {
      cairo_move_to(cr, (i * 37) % 1760, (i * 13) % 1060 + fe.ascent);
      cairo_show_text(cr, kText);
    }
    cairo_surface_flush(s);
    benchmark::ClobberMemory();
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}
BENCHMARK(BM_CairoText)->Unit(benchmark::kMillisecond);

void BM_DcLineTo(benchmark::State& state) {
  Points p(100001);
  CDC screen;
  screen.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  CDC mem;
  mem.CreateCompatibleDC(&screen);
  CBitmap bm;
  bm.CreateCompatibleBitmap(&screen, kW, kH);
  mem.SelectObject(&bm);
  mem.SelectStockObject(WHITE_PEN);
  for (auto _ : state) {
    mem.MoveTo(p.pts[0].x, p.pts[0].y);
    for (int i = 1; i <= 100000; ++i) mem.LineTo(p.pts[(size_t)i].x, p.pts[(size_t)i].y);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DcLineTo)->Unit(benchmark::kMillisecond);

void BM_CairoLines(benchmark::State& state) {
  Points p(100001);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(s);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgb(cr, 1, 1, 1);
  for (auto _ : state) {
    for (int i = 1; i <= 100000; ++i) {
      cairo_move_to(cr, p.pts[(size_t)i - 1].x + 0.5, p.pts[(size_t)i - 1].y + 0.5);
      cairo_line_to(cr, p.pts[(size_t)i].x + 0.5, p.pts[(size_t)i].y + 0.5);
      cairo_stroke(cr);
    }
    cairo_surface_flush(s);
    benchmark::ClobberMemory();
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}
BENCHMARK(BM_CairoLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
