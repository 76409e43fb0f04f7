// JPEG files against the codec's own programs: loads equal djpeg's pixels, saves equal cjpeg's bytes,
// palette displays, greyscale and cut files, and files that are no JPEG at all.
#include "platform/gdi/GdiObject.h"
#include "tests/editor_toolkit/ImageTestUtil.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>

namespace {

struct Pnm {
  int w = 0, h = 0, channels = 0;
  std::vector<BYTE> px;  // top-down, R G B (or grey)
  std::vector<BYTE> Rgb(int x, int y) const {
    const BYTE* p = px.data() + ((size_t)y * w + x) * channels;
    return channels == 3 ? std::vector<BYTE>{p[0], p[1], p[2]} : std::vector<BYTE>{p[0], p[0], p[0]};
  }
};

using dravonix::test::ReadFileBytes;

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

Pnm ReadPnm(const std::string& path) {
  std::vector<BYTE> b = ReadFileBytes(path);
  Pnm p;
  if (b.size() < 2) return p;
  std::string text(b.begin(), b.begin() + (long)std::min<size_t>(b.size(), 64));
  std::istringstream s(text);
  std::string magic;
  int maxval = 0;
  s >> magic >> p.w >> p.h >> maxval;
  p.channels = magic == "P6" ? 3 : 1;
  size_t start = (size_t)s.tellg() + 1;
  p.px.assign(b.begin() + (long)start, b.end());
  return p;
}

// A photo-like picture: smooth gradients with some texture.
Pnm Photo(int w, int h) {
  Pnm p{w, h, 3, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      p.px.push_back((BYTE)(x * 255 / w));
      p.px.push_back((BYTE)((y * 255 / h + ((x * 7 + y * 13) % 23)) & 0xFF));
      p.px.push_back((BYTE)(128 + 100 * ((x / 8 + y / 8) % 2) - (x + y) % 17));
    }
  return p;
}

void WritePpm(const std::string& path, const Pnm& p) {
  std::string head = "P6\n" + std::to_string(p.w) + " " + std::to_string(p.h) + "\n255\n";
  std::vector<BYTE> bytes(head.begin(), head.end());
  bytes.insert(bytes.end(), p.px.begin(), p.px.end());
  WriteBytes(path, bytes);
}

int Shell(const std::string& command) { return WEXITSTATUS(std::system((command + " 2>/dev/null").c_str())); }

class SECJpegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v cjpeg >/dev/null && command -v djpeg >/dev/null") != 0)
      GTEST_SKIP() << "cjpeg and djpeg are not installed (scripts/install-deps.sh)";
    m_dir = dravonix::test::ScratchDir("jpeg");
    m_photo = Photo(61, 37);
    WritePpm(Path("in.ppm"), m_photo);
    ASSERT_EQ(0, Shell("cjpeg -quality 75 " + Path("in.ppm") + " > " + Path("in.jpg")));
  }
  void TearDown() override { SetDisplayBitsPerPixel(32); }
  std::string Path(const char* name) const { return m_dir + "/" + name; }
  // Every pixel of the image equals the decoded file's.
  static void ExpectSamePixels(const TestImage& img, const Pnm& ref) {
    ASSERT_EQ((DWORD)ref.w, img.dwGetWidth());
    ASSERT_EQ((DWORD)ref.h, img.dwGetHeight());
    int wrong = 0;
    for (int y = 0; y < ref.h; ++y)
      for (int x = 0; x < ref.w; ++x) wrong += img.Rgb((DWORD)x, (DWORD)y) != ref.Rgb(x, y);
    EXPECT_EQ(0, wrong);
  }
  std::string m_dir;
  Pnm m_photo;
};

TEST_F(SECJpegTest, LoadsExactlyWhatDjpegDecodes) {
  TestImage img;
  ASSERT_TRUE(img.LoadImage(Path("in.jpg").c_str()));
  EXPECT_EQ(24u, img.m_wBitsPerPixel);
  EXPECT_TRUE(img.m_bIsPadded);
  ASSERT_EQ(0, Shell("djpeg -pnm " + Path("in.jpg") + " > " + Path("out.ppm")));
  ExpectSamePixels(img, ReadPnm(Path("out.ppm")));
  // Creatable by its class name, as hosts load it.
  CObject* made = CRuntimeClass::FromName("SECJpeg")->CreateObject();
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(SECImage)));
  delete made;
}

TEST_F(SECJpegTest, AFailedSaveKeepsTheOldFile) {
  TestImage img;
  img.Make((DWORD)m_photo.w, (DWORD)m_photo.h, 24, m_photo.px);
  const std::string path = Path("old.jpg");
  std::ofstream(path, std::ios::binary) << "the user's own picture";
  EXPECT_EQ("0", dravonix::test::WithFileSizeLimit(256, [&] { return std::to_string(img.SaveImage(path.c_str())); }));
  EXPECT_EQ("the user's own picture", dravonix::test::ReadFileText(path));
  EXPECT_TRUE(dravonix::test::SaveLeftovers(path).empty());
}

TEST_F(SECJpegTest, SavesByteForByteWhatCjpegMakesAndKeepsTheImage) {
  TestImage img;
  std::vector<BYTE> bgr;
  for (size_t i = 0; i < m_photo.px.size(); i += 3) bgr.insert(bgr.end(), {m_photo.px[i + 2], m_photo.px[i + 1], m_photo.px[i]});
  img.Make((DWORD)m_photo.w, (DWORD)m_photo.h, 24, bgr);
  std::vector<BYTE> before(img.m_lpSrcBits, img.m_lpSrcBits + img.NumBytes());
  ASSERT_TRUE(img.SaveImage(Path("saved.jpg").c_str()));
  EXPECT_EQ(ReadFileBytes(Path("in.jpg")), ReadFileBytes(Path("saved.jpg")));
  EXPECT_EQ(before, std::vector<BYTE>(img.m_lpSrcBits, img.m_lpSrcBits + img.NumBytes()));
  EXPECT_TRUE(img.m_bIsPadded);

  // 32-bit pixels save their colours, as do 16-bit (5-5-5) ones widened to 8 bits a channel.
  std::vector<BYTE> bgrx, rgb555, widened;
  for (size_t i = 0; i < bgr.size(); i += 3) {
    bgrx.insert(bgrx.end(), {bgr[i], bgr[i + 1], bgr[i + 2], 0x77});
    WORD v = (WORD)((bgr[i + 2] >> 3) << 10 | (bgr[i + 1] >> 3) << 5 | bgr[i] >> 3);
    rgb555.insert(rgb555.end(), {(BYTE)v, (BYTE)(v >> 8)});
    for (int c = 0; c < 3; ++c) {
      BYTE five = (BYTE)(bgr[i + (size_t)c] >> 3);
      widened.push_back((BYTE)(five << 3 | five >> 2));
    }
  }
  TestImage deep, high, wide;
  deep.Make((DWORD)m_photo.w, (DWORD)m_photo.h, 32, bgrx);
  ASSERT_TRUE(deep.SaveImage(Path("deep.jpg").c_str()));
  EXPECT_EQ(ReadFileBytes(Path("in.jpg")), ReadFileBytes(Path("deep.jpg")));
  high.Make((DWORD)m_photo.w, (DWORD)m_photo.h, 16, rgb555);
  wide.Make((DWORD)m_photo.w, (DWORD)m_photo.h, 24, widened);
  ASSERT_TRUE(high.SaveImage(Path("high.jpg").c_str()));
  ASSERT_TRUE(wide.SaveImage(Path("wide.jpg").c_str()));
  EXPECT_EQ(ReadFileBytes(Path("wide.jpg")), ReadFileBytes(Path("high.jpg")));

  // An 8-bit image writes its table colours: the same file as the 24-bit picture of those colours.
  std::vector<RGBQUAD> table(256);
  std::vector<BYTE> indices, rgb;
  for (int i = 0; i < 256; ++i) table[(size_t)i] = RGBQUAD{(BYTE)(i * 3), (BYTE)(255 - i), (BYTE)(i ^ 0x5A), 0};
  for (int i = 0; i < 40 * 20; ++i) {
    BYTE k = (BYTE)((i * 37) % 256);
    indices.push_back(k);
    rgb.insert(rgb.end(), {table[k].rgbRed, table[k].rgbGreen, table[k].rgbBlue});
  }
  TestImage pal;
  pal.Make(40, 20, 8, indices, table);
  ASSERT_TRUE(pal.SaveImage(Path("pal.jpg").c_str()));
  WritePpm(Path("pal.ppm"), Pnm{40, 20, 3, rgb});
  ASSERT_EQ(0, Shell("cjpeg -quality 75 " + Path("pal.ppm") + " > " + Path("pal-ref.jpg")));
  EXPECT_EQ(ReadFileBytes(Path("pal-ref.jpg")), ReadFileBytes(Path("pal.jpg")));
}

TEST_F(SECJpegTest, PaletteDisplayQuantisesLikeDjpegColors256) {
  SetDisplayBitsPerPixel(8);
  TestImage img;
  ASSERT_TRUE(img.LoadImage(Path("in.jpg").c_str()));
  EXPECT_EQ(8u, img.m_wBitsPerPixel);
  EXPECT_EQ(256, img.m_wColors);
  ASSERT_EQ(0, Shell("djpeg -colors 256 -pnm " + Path("in.jpg") + " > " + Path("q.ppm")));
  ExpectSamePixels(img, ReadPnm(Path("q.ppm")));

  // Unreduced, the decoded blue, green, red samples fill the 8-bit pixels one row after another,
  // as far as the pixel block holds them.
  TestImage raw;
  raw.m_bReduceToPalette = FALSE;
  ASSERT_TRUE(raw.LoadImage(Path("in.jpg").c_str()));
  EXPECT_EQ(8u, raw.m_wBitsPerPixel);
  EXPECT_EQ(64u * 37, raw.m_dwPixelBufferSize);
  ASSERT_EQ(0, Shell("djpeg -pnm " + Path("in.jpg") + " > " + Path("full.ppm")));
  std::vector<BYTE> bgr = ReadPnm(Path("full.ppm")).px;
  for (size_t i = 0; i + 2 < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
  bgr.resize(61 * 37);
  EXPECT_EQ(bgr, raw.Rows());
}

TEST_F(SECJpegTest, GreyscaleAndCutFilesDecodeAsDjpegDoes) {
  ASSERT_EQ(0, Shell("cjpeg -grayscale " + Path("in.ppm") + " > " + Path("grey.jpg")));
  TestImage grey;
  ASSERT_TRUE(grey.LoadImage(Path("grey.jpg").c_str()));
  EXPECT_EQ(24u, grey.m_wBitsPerPixel);
  EXPECT_EQ(3u * 37 * 184, grey.m_dwPixelBufferSize);
  ASSERT_EQ(0, Shell("djpeg -pnm " + Path("grey.jpg") + " > " + Path("grey.pgm")));
  ExpectSamePixels(grey, ReadPnm(Path("grey.pgm")));

  std::vector<BYTE> whole = ReadFileBytes(Path("in.jpg"));
  WriteBytes(Path("cut.jpg"), std::vector<BYTE>(whole.begin(), whole.begin() + (long)whole.size() * 2 / 3));
  EXPECT_EQ(2, Shell("djpeg -pnm " + Path("cut.jpg") + " > " + Path("cut.ppm")));
  TestImage cut;
  ASSERT_TRUE(cut.LoadImage(Path("cut.jpg").c_str()));
  ExpectSamePixels(cut, ReadPnm(Path("cut.ppm")));
}

TEST_F(SECJpegTest, FilesThatAreNoJpegFail) {
  std::vector<BYTE> whole = ReadFileBytes(Path("in.jpg"));
  size_t sos = 0;
  for (size_t i = 0; i + 1 < whole.size(); ++i)
    if (whole[i] == 0xFF && whole[i + 1] == 0xDA) {
      sos = i;
      break;
    }
  ASSERT_GT(sos, 0u);
  TestImage bmp;
  bmp.Make(2, 2, 24, std::vector<BYTE>(12, 9));
  CFile f(Path("bitmap.jpg").c_str(), CFile::modeCreate | CFile::modeWrite);
  CArchive ar(&f, CArchive::store);
  bmp.Serialize(ar);
  ar.Close();
  f.Close();
  struct Case {
    const char* name;
    std::vector<BYTE> bytes;
  } cases[] = {{"empty.jpg", {}}, {"header.jpg", std::vector<BYTE>(whole.begin(), whole.begin() + (long)sos)}};
  for (const Case& c : cases) WriteBytes(Path(c.name), c.bytes);
  for (const char* name : {"empty.jpg", "header.jpg", "bitmap.jpg"}) {
    TestImage img;
    EXPECT_FALSE(img.LoadImage(Path(name).c_str())) << name;
    EXPECT_EQ(nullptr, img.m_lpSrcBits) << name;
  }
  TestImage none;
  EXPECT_FALSE(none.SaveImage(Path("nothing.jpg").c_str()));
}

TEST_F(SECJpegTest, AHeaderAskingMoreMemoryThanThereIsFailsTheLoad) {
  std::vector<BYTE> bytes = ReadFileBytes(Path("in.jpg"));
  size_t sof = 0;
  for (size_t i = 0; i + 9 < bytes.size() && !sof; ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) sof = i;
  ASSERT_GT(sof, 0u);
  for (size_t at : {sof + 5, sof + 7}) bytes[at] = 20000 >> 8, bytes[at + 1] = 20000 & 0xFF;  // 20000 x 20000
  WriteBytes(Path("huge.jpg"), bytes);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ("0", dravonix::test::InChildProcess([&] {
    const rlimit limit{rlim_t(512) << 20, RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) return std::string("setrlimit failed");
    TestImage img;
    return std::to_string(img.LoadImage(Path("huge.jpg").c_str()) || img.m_lpSrcBits);
  }));
#endif
}

}  // namespace
