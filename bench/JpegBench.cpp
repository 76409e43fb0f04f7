// Loading and saving a 4000 x 3000 photo-like JPEG through SECJpeg, against the codec's own djpeg and cjpeg on
// the same files in the same run (process start included). Target: within 1.5x of them. Rotate90 and
// ContrastImage of the loaded picture are reported against copying its bytes.
#include "editor/toolkit/SECJpeg.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int kWidth = 4000, kHeight = 3000;

std::string TempPath(const char* name) {
  const char* dir = getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/dravonix_jpeg_" + std::to_string(getpid()) + "_" + name;
}

// The picture as PPM and as the JPEG cjpeg makes of it at quality 75.
const std::string& Photo() {
  static std::string jpg = [] {
    std::string ppm = TempPath("photo.ppm"), out = TempPath("photo.jpg");
    FILE* f = fopen(ppm.c_str(), "wb");
    if (!f) return out;
    fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    std::vector<unsigned char> row((size_t)kWidth * 3);
    uint32_t seed = 7;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1103515245u + 12345u;
        int noise = (int)((seed >> 16) % 9) - 4;
        row[(size_t)x * 3] = (unsigned char)std::min(255, std::max(0, x * 255 / kWidth + noise));
        row[(size_t)x * 3 + 1] = (unsigned char)std::min(255, std::max(0, y * 255 / kHeight + noise));
        row[(size_t)x * 3 + 2] = (unsigned char)std::min(255, std::max(0, 128 + ((x / 200 + y / 150) % 2) * 60 + noise));
      }
      fwrite(row.data(), 1, row.size(), f);
    }
    fclose(f);
    if (std::system(("cjpeg -quality 75 " + ppm + " > " + out).c_str()) != 0) fprintf(stderr, "cjpeg failed\n");
    atexit([] {
      remove(TempPath("photo.ppm").c_str());
      remove(TempPath("photo.jpg").c_str());
      remove(TempPath("saved.jpg").c_str());
      remove(TempPath("cjpeg.jpg").c_str());
    });
    return out;
  }();
  return jpg;
}

SECJpeg& Loaded() {
  static SECJpeg* img = [] {
    auto* i = new SECJpeg;
    i->LoadImage(Photo().c_str());
    return i;
  }();
  return *img;
}

void BM_SECJpegLoad(benchmark::State& state) {
  const std::string& path = Photo();
  for (auto _ : state) {
    SECJpeg img;
    if (!img.LoadImage(path.c_str())) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(img.m_lpSrcBits);
  }
}
BENCHMARK(BM_SECJpegLoad)->Unit(benchmark::kMillisecond);

void BM_DjpegDecode(benchmark::State& state) {
  std::string cmd = "djpeg -pnm " + Photo() + " > /dev/null";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("djpeg failed");
}
BENCHMARK(BM_DjpegDecode)->Unit(benchmark::kMillisecond);

void BM_SECJpegSave(benchmark::State& state) {
  SECJpeg& img = Loaded();
  std::string out = TempPath("saved.jpg");
  for (auto _ : state)
    if (!img.SaveImage(out.c_str())) state.SkipWithError("save failed");
}
BENCHMARK(BM_SECJpegSave)->Unit(benchmark::kMillisecond);

void BM_CjpegEncode(benchmark::State& state) {
  Photo();
  std::string cmd = "cjpeg -quality 75 " + TempPath("photo.ppm") + " > " + TempPath("cjpeg.jpg");
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cjpeg failed");
}
BENCHMARK(BM_CjpegEncode)->Unit(benchmark::kMillisecond);

void BM_Rotate90(benchmark::State& state) {
  SECJpeg& img = Loaded();
  int turn = 0;
  for (auto _ : state) img.Rotate90(turn ^= 1);
}
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond);

void BM_ContrastImage(benchmark::State& state) {
  SECJpeg& img = Loaded();
  short amount = 1;
  for (auto _ : state) img.ContrastImage(amount = (short)-amount);
}
BENCHMARK(BM_ContrastImage)->Unit(benchmark::kMillisecond);

void BM_CopyImageBytes(benchmark::State& state) {
  SECJpeg& img = Loaded();
  std::vector<BYTE> copy(img.NumBytes());
  for (auto _ : state) {
    memcpy(copy.data(), img.m_lpSrcBits, copy.size());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyImageBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
