// Metafile recording: WMF and EMF files, their records, and rendering by another program.
#include "GdiTestUtil.h"
#include "platform/gdi/MetaFileDC.h"
#include "platform/gdi/RecordingDC.h"
#include "tests/support/FileContents.h"
#include "tests/support/HaveTool.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using namespace gditest;

namespace {

using dravonix::test::ReadFileBytes;
WORD W(const std::vector<BYTE>& b, size_t at) { return (WORD)(b[at] | (b[at + 1] << 8)); }
DWORD D(const std::vector<BYTE>& b, size_t at) { return (DWORD)W(b, at) | ((DWORD)W(b, at + 2) << 16); }

struct WmfRecord {
  WORD fn;
  std::vector<int16_t> params;
};

// Walks the records of a WMF body (after an optional placeable header); empty on a malformed file.
std::vector<WmfRecord> WmfRecords(const std::vector<BYTE>& b, size_t start = 0) {
  std::vector<WmfRecord> out;
  if (b.size() < start + 18 || W(b, start) != 1 || W(b, start + 2) != 9) return {};
  size_t at = start + 18;
  while (at + 6 <= b.size()) {
    DWORD size = D(b, at);
    WORD fn = W(b, at + 4);
    if (size < 3 || at + size * 2 > b.size()) return {};
    WmfRecord r{fn, {}};
    for (DWORD i = 3; i < size; ++i) r.params.push_back((int16_t)W(b, at + i * 2));
    out.push_back(r);
    at += size * 2;
    if (fn == 0) break;
  }
  return out;
}

const WmfRecord* Find(const std::vector<WmfRecord>& recs, WORD fn) {
  for (auto& r : recs)
    if (r.fn == fn) return &r;
  return nullptr;
}

void DrawPicture(CDC& dc) {
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowOrg(0, 0);
  dc.SetWindowExt(400, 300);
  dc.SetViewportOrg(0, 0);
  dc.SetViewportExt(400, 300);
  dc.FillSolidRect(0, 0, 400, 300, kWhite);
  CBrush red(kRed);
  CPen blue(PS_SOLID, 3, kBlue);
  CBrush* ob = dc.SelectObject(&red);
  CPen* op = dc.SelectObject(&blue);
  dc.Rectangle(20, 20, 180, 120);
  CBrush green(RGB(0, 160, 0));
  dc.SelectObject(&green);
  dc.Ellipse(220, 20, 380, 140);
  POINT tri[3] = {{40, 280}, {120, 160}, {200, 280}};
  dc.Polygon(tri, 3);
  dc.MoveTo(220, 200);
  dc.LineTo(380, 280);
  LOGFONT lf{};
  lf.lfHeight = -28;
  lf.lfWeight = FW_BOLD;
  std::strcpy(lf.lfFaceName, "Arial");
  CFont f;
  f.CreateFontIndirect(&lf);
  CFont* of = dc.SelectObject(&f);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kBlack);
  dc.TextOut(230, 160, "Metafile", 8);
  dc.SelectObject(of);
  dc.SelectObject(op);
  dc.SelectObject(ob);
}

using dravonix::test::HaveTool;

// Pixels close to a colour in a PNG.
int CountColour(const std::string& png, COLORREF c, int tolerance) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  int n = -1;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    n = 0;
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        if (std::abs((int)((p >> 16) & 0xFF) - (int)GetRValue(c)) <= tolerance &&
            std::abs((int)((p >> 8) & 0xFF) - (int)GetGValue(c)) <= tolerance &&
            std::abs((int)(p & 0xFF) - (int)GetBValue(c)) <= tolerance)
          ++n;
      }
  }
  cairo_surface_destroy(s);
  return n;
}

// The 22-byte placeable header the plot export puts before a metafile.
std::vector<BYTE> Placeable(const std::vector<BYTE>& body, WORD right = 8334, WORD bottom = 6250, WORD inch = 1000) {
  WORD words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, right, bottom, inch, 0, 0};
  WORD sum = 0;
  for (WORD w : words) sum ^= w;
  std::vector<BYTE> out;
  for (WORD w : words) { out.push_back((BYTE)w); out.push_back((BYTE)(w >> 8)); }
  out.push_back((BYTE)sum);
  out.push_back((BYTE)(sum >> 8));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// Converts a file in `dir` to PNG with the office program; the PNG's path.
std::string OfficePng(const char* office, const std::string& dir, const char* name) {
  std::string cmd = std::string(office) + " -env:UserInstallation=file://" + dir + "/profile" +
                    " --headless --convert-to png --outdir '" + dir + "' '" + dir + "/" + name + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return std::string();
  return dir + "/" + fs::path(name).stem().string() + ".png";
}

struct EmfRecord {
  DWORD type;
  std::vector<DWORD> params;
};

std::vector<EmfRecord> EmfRecords(const std::vector<BYTE>& b) {
  std::vector<EmfRecord> out;
  for (size_t at = 0; at + 8 <= b.size();) {
    DWORD size = D(b, at + 4);
    if (size < 8 || size % 4 || at + size > b.size()) return {};
    EmfRecord r{D(b, at), {}};
    for (DWORD i = 8; i < size; i += 4) r.params.push_back(D(b, at + i));
    out.push_back(r);
    at += size;
  }
  return out;
}

template <class Handle>
std::vector<BYTE> Bytes(Handle h, UINT (*get)(Handle, UINT, BYTE*)) {
  std::vector<BYTE> b(get(h, 0, nullptr));
  get(h, (UINT)b.size(), b.data());
  return b;
}
UINT WmfBits(HMETAFILE h, UINT n, BYTE* p) { return GetMetaFileBitsEx(h, n, p); }

// An 800 x 600 picture drawn at half scale on a pale ground (by which it is found on a page): red
// stripes clipped to an ellipse, a thick flat-capped blue line and a text.
const CRect kEllipse(200, 100, 600, 500);  // device units, as regions are
const COLORREF kGround = RGB(255, 255, 160);
void DrawClipScene(CDC& dc) {
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(400, 300);
  dc.SetViewportExt(800, 600);
  dc.FillSolidRect(0, 0, 400, 300, kGround);
  CRgn ellipse;
  ellipse.CreateEllipticRgn(kEllipse.left, kEllipse.top, kEllipse.right, kEllipse.bottom);
  dc.SelectClipRgn(&ellipse);
  for (int y = 0; y < 300; y += 20) dc.FillSolidRect(0, y, 400, 10, kRed);
  dc.SelectClipRgn(nullptr);
  LOGBRUSH lb{BS_SOLID, kBlue, 0};
  CPen pen;
  pen.CreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER, 20, &lb);
  CPen* old = dc.SelectObject(&pen);
  dc.MoveTo(20, 280);
  dc.LineTo(150, 280);
  dc.SelectObject(old);
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(250, 265, "Horizontal", 10);
}

// Checks a picture of the clip scene wherever its ground lies in the image and at any size: red only
// inside the ellipse (or only inside its bounds, for readers that drop regions and clip to the bounds
// given beside them), the line's ends flat at device x 40 and 300.
void CheckClipScene(const std::string& png, const char* what, bool regionAsBounds = false) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS) << what;
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  auto at = [&](int x, int y) {
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
  };
  // The ground's extent gives the picture's place and scale.
  int left = w, top = h, right = -1, bottom = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t p = at(x, y);
      if (std::abs((int)(p & 0xFF) - 160) <= 8 && ((p >> 8) & 0xFF) > 240 && ((p >> 16) & 0xFF) > 240) {
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
  ASSERT_GT(right, left) << what << ": no ground";
  double sx = (right + 1 - left) / 800.0, sy = (bottom + 1 - top) / 600.0;
  EXPECT_NEAR(sx, sy, 0.01) << what;
  int red = 0, redOutside = 0, blue = 0, blueLeft = 1 << 30, blueRight = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t p = at(x, y);
      int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      double dx = (x - left) / sx, dy = (y - top) / sy;
      double ex = (dx - 400) / 200, ey = (dy - 300) / 200;
      bool outside = regionAsBounds ? std::max(std::fabs(ex), std::fabs(ey)) > 1.02 : ex * ex + ey * ey > 1.1;
      if (r > 200 && g < 80 && b < 80) {
        ++red;
        if (outside) ++redOutside;
      }
      if (b > 200 && r < 80 && g < 80) {
        ++blue;
        blueLeft = std::min(blueLeft, x - left);
        blueRight = std::max(blueRight, x - left);
      }
    }
  cairo_surface_destroy(s);
  EXPECT_GT(red, (int)(20000 * sx * sy)) << what;
  EXPECT_EQ(redOutside, 0) << what;
  EXPECT_GT(blue, (int)(3000 * sx * sy)) << what;
  EXPECT_NEAR(blueLeft / sx, 40, 4) << what;
  EXPECT_NEAR(blueRight / sx, 300, 4) << what;
}

}  // namespace

TEST(GdiMetaFile, ClipRegionsAndPenEndsAreRecordedAsReadersApplyThem) {
  CMetaFileDC wmf;
  ASSERT_TRUE(wmf.Create(nullptr));
  DrawClipScene(wmf);
  HMETAFILE hw = wmf.Close();
  auto recs = WmfRecords(Bytes(hw, WmfBits));
  DeleteMetaFile(hw);
  // The region object, in logical units, selected by its index, with one scan per band.
  const WmfRecord* rgn = Find(recs, 0x06FF);
  ASSERT_NE(rgn, nullptr);
  EXPECT_EQ(rgn->params[1], 6);
  EXPECT_EQ((std::vector<int16_t>(rgn->params.begin() + 7, rgn->params.begin() + 11)),
            (std::vector<int16_t>{100, 50, 300, 250}));
  int scans = rgn->params[5];
  EXPECT_GT(scans, 20);
  EXPECT_EQ((size_t)rgn->params[4], rgn->params.size() * 2);
  size_t at = 11;
  for (int i = 0; i < scans; ++i) {
    ASSERT_LT(at, rgn->params.size());
    int count = rgn->params[at];
    EXPECT_EQ(count, rgn->params[at + 3 + (size_t)count]) << "scan " << i;
    at += 4 + (size_t)count;
  }
  EXPECT_EQ(at, rgn->params.size());
  // Selected by an index that is not 0 (which resets the clip), then narrowed to its bounds for
  // readers that drop regions.
  auto sel = std::find_if(recs.begin(), recs.end(), [](const WmfRecord& r) { return r.fn == 0x06FF; }) + 1;
  EXPECT_EQ(sel->fn, 0x012C);
  EXPECT_NE(sel->params, (std::vector<int16_t>{0}));
  const WmfRecord* bounds = Find(recs, 0x0416);
  ASSERT_NE(bounds, nullptr);
  EXPECT_EQ(bounds->params, (std::vector<int16_t>{250, 300, 50, 100}));  // bottom, right, top, left
  const WmfRecord* pen = Find(recs, 0x02FA);
  ASSERT_NE(pen, nullptr);
  EXPECT_EQ(pen->params[0], PS_ENDCAP_FLAT | PS_JOIN_MITER);
  EXPECT_EQ(pen->params[1], 20);

  CMetaFileDC emf;
  ASSERT_TRUE(emf.CreateEnhanced(nullptr, nullptr, nullptr, nullptr));
  DrawClipScene(emf);
  HENHMETAFILE he = emf.CloseEnhanced();
  auto erecs = EmfRecords(Bytes(he, GetEnhMetaFileBits));
  DeleteEnhMetaFile(he);
  // The clip: back to the default, then the region in logical units combined by RGN_AND.
  std::vector<const EmfRecord*> clips;
  for (auto& r : erecs)
    if (r.type == 75) clips.push_back(&r);
  ASSERT_EQ(clips.size(), 3u);
  EXPECT_EQ(clips[0]->params, (std::vector<DWORD>{0, RGN_COPY}));
  EXPECT_EQ(clips[1]->params[1], (DWORD)RGN_AND);
  EXPECT_EQ((std::vector<DWORD>(clips[1]->params.begin() + 6, clips[1]->params.begin() + 10)),
            (std::vector<DWORD>{100, 50, 300, 250}));
  EXPECT_EQ(clips[1]->params[4], clips[1]->params.size() / 4 - 2);  // the rectangle count
  EXPECT_EQ(clips[2]->params, (std::vector<DWORD>{0, RGN_COPY}));
  // The ground's fill carries the rectangle it paints, in device pixels.
  auto fill = std::find_if(erecs.begin(), erecs.end(), [](const EmfRecord& r) { return r.type == 84; });
  ASSERT_NE(fill, erecs.end());
  EXPECT_EQ((std::vector<DWORD>(fill->params.begin(), fill->params.begin() + 4)), (std::vector<DWORD>{0, 0, 799, 599}));
}

// Replays the object records of a WMF as a reader keeps them: each new object in the lowest free
// slot. The kind of object each clip selection names ('-' for the reset by index 0).
std::string ClipSelections(const std::vector<WmfRecord>& recs) {
  std::vector<WORD> table;  // the creating record's function, 0 for a free slot
  std::string out;
  for (const WmfRecord& r : recs) {
    if (r.fn == 0x02FA || r.fn == 0x02FB || r.fn == 0x02FC || r.fn == 0x0142 || r.fn == 0x06FF) {
      auto free = std::find(table.begin(), table.end(), 0);
      if (free == table.end()) free = table.insert(table.end(), 0);
      *free = r.fn;
    } else if (r.fn == 0x01F0 && (size_t)r.params[0] < table.size()) {
      table[(size_t)r.params[0]] = 0;
    } else if (r.fn == 0x012C) {
      size_t i = (size_t)r.params[0];
      out += i == 0 ? '-' : i < table.size() && table[i] == 0x06FF ? 'R' : '?';
    }
  }
  return out;
}

TEST(GdiMetaFile, AWmfClipRegionNeverReadsAsTheReset) {
  for (bool penFirst : {false, true}) {
    CMetaFileDC wmf;
    ASSERT_TRUE(wmf.Create(nullptr));
    CPen pen(PS_SOLID, 1, kBlue);
    if (penFirst) {
      wmf.SelectObject(&pen);
      wmf.LineTo(5, 5);
    }
    CRgn ellipse;
    ellipse.CreateEllipticRgn(10, 10, 50, 40);
    for (int i = 0; i < 2; ++i) {
      wmf.SelectClipRgn(&ellipse);
      wmf.FillSolidRect(0, 0, 60, 60, kRed);
      wmf.SelectClipRgn(nullptr);
    }
    wmf.SelectStockObject(BLACK_PEN);
    HMETAFILE h = wmf.Close();
    EXPECT_EQ(ClipSelections(WmfRecords(Bytes(h, WmfBits))), "-R--R-") << penFirst;
    DeleteMetaFile(h);
  }
}

TEST(GdiMetaFile, EmfBoundsCoverWhatEachRecordPaints) {
  HDC screen = CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  int hsize = GetDeviceCaps(screen, HORZSIZE), hres = GetDeviceCaps(screen, HORZRES);
  DeleteDC(screen);
  CSize text;
  struct Case {
    const char* what;
    std::function<void(CDC&)> draw;
    std::function<CRect()> bounds;  // inclusive
  };
  const Case cases[] = {
      {"thick line",
       [](CDC& dc) {
         CPen pen(PS_SOLID, 20, kBlue);
         dc.SelectObject(&pen);
         dc.MoveTo(0, 0);
         dc.LineTo(100, 0);
         dc.SelectStockObject(BLACK_PEN);
       },
       [] { return CRect(-10, -10, 110, 10); }},
      {"text", [&](CDC& dc) { text = dc.GetTextExtent("Horizontal", 10); dc.TextOut(500, 500, "Horizontal", 10); },
       [&] { return CRect(500, 500, 500 + text.cx - 1, 500 + text.cy - 1); }},
      {"centred text",
       [&](CDC& dc) {
         text = dc.GetTextExtent("Horizontal", 10);
         dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
         dc.TextOut(500, 500, "Horizontal", 10);
       },
       [&] { return CRect(500 - text.cx / 2, 500 - text.cy, 500 - text.cx / 2 + text.cx - 1, 499); }},
  };
  for (const Case& c : cases) {
    CMetaFileDC emf;
    ASSERT_TRUE(emf.CreateEnhanced(nullptr, nullptr, nullptr, nullptr));
    c.draw(emf);
    HENHMETAFILE h = emf.CloseEnhanced();
    std::vector<BYTE> b = Bytes(h, GetEnhMetaFileBits);
    DeleteEnhMetaFile(h);
    CRect want = c.bounds();
    EXPECT_EQ((std::vector<LONG>{(LONG)D(b, 8), (LONG)D(b, 12), (LONG)D(b, 16), (LONG)D(b, 20)}),
              (std::vector<LONG>{want.left, want.top, want.right, want.bottom}))
        << c.what;
    // Without a frame the frame follows the bounds.
    EXPECT_EQ((LONG)D(b, 32), MulDiv(want.right, hsize * 100, hres)) << c.what;
  }
}

TEST(GdiMetaFile, OtherProgramsClipAndCapAsTheMemoryPicture) {
  std::string dir = dravonix::test::ScratchDir("metaclip");
  // The memory picture is the reference the checks are made against.
  {
    Canvas c(800, 600);
    DrawClipScene(c.dc);
    SaveImage(&c.surface, (dir + "/memory.png").c_str());
    CheckClipScene(dir + "/memory.png", "memory picture");
  }
  const char* office = HaveTool("libreoffice") ? "libreoffice" : HaveTool("soffice") ? "soffice" : nullptr;
  if (!office) GTEST_SKIP() << "LibreOffice is not installed: clipped WMF and EMF rendering not checked";
  std::string body = dir + "/body.wmf";
  {
    CMetaFileDC mf;
    ASSERT_TRUE(mf.Create(body.c_str()));
    DrawClipScene(mf);
    DeleteMetaFile(mf.Close());
    std::vector<BYTE> out = Placeable(ReadFileBytes(body), 400, 300, 96);
    std::ofstream(dir + "/clip-wmf.wmf", std::ios::binary).write(reinterpret_cast<const char*>(out.data()), (std::streamsize)out.size());
  }
  {
    CMetaFileDC mf;
    ASSERT_TRUE(mf.CreateEnhanced(nullptr, (dir + "/clip-emf.emf").c_str(), nullptr, "ZOL Graph"));
    DrawClipScene(mf);
    DeleteEnhMetaFile(mf.CloseEnhanced());
  }
  // The office program drops region objects of a WMF and clips to the bounds that follow them.
  for (const char* name : {"clip-wmf.wmf", "clip-emf.emf"}) {
    std::string png = OfficePng(office, dir, name);
    ASSERT_TRUE(fs::exists(png)) << png;
    CheckClipScene(png, name, name[5] == 'w');
  }
}

TEST(GdiMetaFile, WmfRecordsAreWellFormed) {
  std::string dir = dravonix::test::ScratchDir("wmf");
  std::string path = dir + "/picture.wmf";
  CMetaFileDC mf;
  ASSERT_TRUE(mf.Create(path.c_str()));
  EXPECT_EQ(mf.GetDeviceCaps(TECHNOLOGY), DT_METAFILE);
  EXPECT_GT(mf.GetTextExtent("abc", 3).cx, 0);  // measuring works while recording
  DrawPicture(mf);
  HMETAFILE h = mf.Close();
  ASSERT_NE(h, nullptr);
  std::vector<BYTE> bytes = ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 18u);
  EXPECT_EQ(W(bytes, 4), 0x0300);
  EXPECT_EQ(D(bytes, 6) * 2, bytes.size());
  auto recs = WmfRecords(bytes);
  ASSERT_FALSE(recs.empty());
  EXPECT_EQ(recs.back().fn, 0);
  DWORD maxRec = 0;
  for (auto& r : recs) maxRec = std::max<DWORD>(maxRec, (DWORD)r.params.size() + 3);
  EXPECT_EQ(D(bytes, 12), maxRec);
  const WmfRecord* rect = Find(recs, 0x041B);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->params, (std::vector<int16_t>{120, 180, 20, 20}));  // bottom, right, top, left
  const WmfRecord* pen = Find(recs, 0x02FA);
  ASSERT_NE(pen, nullptr);
  EXPECT_EQ(pen->params[0], PS_SOLID);
  EXPECT_EQ(pen->params[1], 3);
  EXPECT_EQ((WORD)pen->params[3] | ((DWORD)(WORD)pen->params[4] << 16), kBlue);
  const WmfRecord* ext = Find(recs, 0x020C);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(ext->params, (std::vector<int16_t>{300, 400}));
  const WmfRecord* font = Find(recs, 0x02FB);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->params[0], -28);
  EXPECT_EQ(font->params[4], FW_BOLD);
  const WmfRecord* text = nullptr;  // the first text record is the background fill's
  for (auto& r : recs)
    if (r.fn == 0x0A32 && r.params.size() > 2 && r.params[2] == 8) text = &r;
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->params[0], 160);
  EXPECT_EQ(text->params[1], 230);
  EXPECT_EQ(text->params[2], 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&text->params[4]), 8), "Metafile");
  // Objects are deleted once no state refers to them: at most pen, brush and font live at once.
  EXPECT_LE(W(bytes, 10), 4);
  // The handle's bytes are the file's.
  std::vector<BYTE> mem(GetMetaFileBitsEx(h, 0, nullptr));
  ASSERT_EQ(GetMetaFileBitsEx(h, (UINT)mem.size(), mem.data()), mem.size());
  EXPECT_EQ(mem, bytes);
  EXPECT_TRUE(DeleteMetaFile(h));
  EXPECT_FALSE(DeleteMetaFile(h));
  // A metafile in memory, and one that cannot be created.
  HDC hdc = CreateMetaFile(nullptr);
  ASSERT_NE(hdc, nullptr);
  ::Rectangle(hdc, 1, 2, 3, 4);
  HMETAFILE hm = CloseMetaFile(hdc);
  ASSERT_NE(hm, nullptr);
  EXPECT_GT(GetMetaFileBitsEx(hm, 0, nullptr), 18u);
  DeleteMetaFile(hm);
  CMetaFileDC bad;
  EXPECT_FALSE(bad.Create("/nonexistent-folder/x/y.wmf"));
  EXPECT_EQ(bad.Close(), nullptr);
}

TEST(GdiMetaFile, EmfHeaderFrameDescriptionAndRecords) {
  std::string dir = dravonix::test::ScratchDir("emf");
  std::string path = dir + "/picture.emf";
  CDC ref;
  ref.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  CRect frame(0, 0, 400 * 2540 / 96, 300 * 2540 / 96);
  HDC hdc = CreateEnhMetaFile(ref.GetSafeHdc(), path.c_str(), &frame, "ZOL Graph");
  ASSERT_NE(hdc, nullptr);
  CDC* dc = CDC::FromHandle(hdc);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(dc->GetDeviceCaps(LOGPIXELSX), 96);
  EXPECT_EQ(dc->GetDeviceCaps(TECHNOLOGY), DT_RASDISPLAY);
  DrawPicture(*dc);
  HENHMETAFILE h = CloseEnhMetaFile(hdc);
  ASSERT_NE(h, nullptr);
  std::vector<BYTE> b = ReadFileBytes(path);
  ASSERT_GT(b.size(), 108u);
  EXPECT_EQ(D(b, 0), 1u);
  EXPECT_EQ(D(b, 40), 0x464D4520u);
  EXPECT_EQ(D(b, 48), b.size());
  EXPECT_EQ((LONG)D(b, 24), frame.left);
  EXPECT_EQ((LONG)D(b, 32), frame.right);
  EXPECT_EQ((LONG)D(b, 36), frame.bottom);
  // Bounds cover the drawing in device pixels (inclusive).
  EXPECT_EQ((LONG)D(b, 8), 0);
  EXPECT_EQ((LONG)D(b, 16), 399);
  // Description: one text, then the terminating zeros.
  DWORD nDesc = D(b, 60), offDesc = D(b, 64);
  ASSERT_EQ(nDesc, 11u);
  std::string desc;
  for (DWORD i = 0; i < 9; ++i) desc += (char)W(b, offDesc + i * 2);
  EXPECT_EQ(desc, "ZOL Graph");
  EXPECT_EQ(W(b, offDesc + 18), 0);
  // Walk the records: their sizes add up, their count matches, the last is the end record.
  size_t at = 0;
  DWORD count = 0, last = 0;
  bool sawRect = false, sawText = false;
  while (at + 8 <= b.size()) {
    DWORD type = D(b, at), size = D(b, at + 4);
    ASSERT_GE(size, 8u);
    ASSERT_EQ(size % 4, 0u);
    ASSERT_LE(at + size, b.size());
    if (type == 43 && (LONG)D(b, at + 8) == 20 && (LONG)D(b, at + 12) == 20) sawRect = true;
    if (type == 84) {
      DWORD n = D(b, at + 44), off = D(b, at + 48);
      std::string s;
      for (DWORD i = 0; i < n; ++i) s += (char)W(b, at + off + i * 2);
      if (s == "Metafile") sawText = true;
    }
    last = type;
    at += size;
    ++count;
  }
  EXPECT_EQ(at, b.size());
  EXPECT_EQ(count, D(b, 52));
  EXPECT_EQ(last, 14u);
  EXPECT_TRUE(sawRect);
  EXPECT_TRUE(sawText);
  EXPECT_EQ(GetEnhMetaFileBits(h, 0, nullptr), b.size());
  EXPECT_TRUE(DeleteEnhMetaFile(h));
  EXPECT_TRUE(fs::exists(path));  // the file stays
  EXPECT_EQ(CreateEnhMetaFile(nullptr, "/nonexistent-folder/x.emf", nullptr, "ZOL Graph"), nullptr);
}

TEST(GdiMetaFile, RecordingDecoratorLogsCallsWithArguments) {
  Canvas c;
  {
    CRecordingDC rec(c.dc);
    c.dc.MoveTo(1, 2);
    c.dc.LineTo(30, 40);
    c.dc.Rectangle(5, 6, 7, 8);
    c.dc.TextOut(3, 4, "hi", 2);
    c.dc.SetTextColor(RGB(1, 2, 3));
    CRect r(0, 0, 50, 20);
    c.dc.DrawText("text", -1, &r, DT_SINGLELINE);
    c.dc.BitBlt(0, 0, 10, 10, &c.dc, 20, 20, SRCCOPY);
    EXPECT_EQ(rec.Calls()[0], "MoveTo(1,2)");
    EXPECT_EQ(rec.Calls()[1], "LineTo(30,40)");
    EXPECT_EQ(rec.Calls()[2], "Rectangle(5,6,7,8)");
    EXPECT_EQ(rec.Calls()[3], "TextOut(3,4,\"hi\")");
    EXPECT_EQ(rec.Calls()[4], "SetTextColor(0x030201)");
    EXPECT_EQ(rec.Calls()[5], "DrawText(\"text\",0,0,50,20,0x20)");  // one entry, not its inner calls
    EXPECT_EQ(rec.Calls()[6], "BitBlt(0,0,10,10,20,20,0x00CC0020)");
    EXPECT_EQ(rec.Count("LineTo("), 1);
  }
  // Drawing went on while recording, and stops being recorded afterwards.
  EXPECT_GT(c.Ink(11, 11, 40, 41), 20);
  EXPECT_EQ(c.dc.GetRecorder(), nullptr);
}

TEST(GdiMetaFile, OtherProgramsRenderTheFiles) {
  const char* office = HaveTool("libreoffice") ? "libreoffice" : HaveTool("soffice") ? "soffice" : nullptr;
  if (!office) GTEST_SKIP() << "LibreOffice is not installed: WMF and EMF rendering not checked";
  std::string dir = dravonix::test::ScratchDir("metarender");
  // A placeable WMF as the plot export writes it, and an EMF.
  std::string tmp = dir + "/body.wmf";
  {
    CMetaFileDC mf;
    ASSERT_TRUE(mf.Create(tmp.c_str()));
    DrawPicture(mf);
    DeleteMetaFile(mf.Close());
  }
  {
    std::vector<BYTE> out = Placeable(ReadFileBytes(tmp));
    std::ofstream(dir + "/shapes-wmf.wmf", std::ios::binary).write(reinterpret_cast<const char*>(out.data()), (std::streamsize)out.size());
  }
  {
    CRect frame(0, 0, 400 * 2540 / 96, 300 * 2540 / 96);
    CMetaFileDC mf;
    ASSERT_TRUE(mf.CreateEnhanced(nullptr, (dir + "/shapes-emf.emf").c_str(), &frame, "ZOL Graph"));
    DrawPicture(mf);
    DeleteEnhMetaFile(mf.CloseEnhanced());
  }
  for (const char* name : {"shapes-wmf.wmf", "shapes-emf.emf"}) {
    std::string png = OfficePng(office, dir, name);
    ASSERT_TRUE(fs::exists(png)) << png;
    fs::copy_file(png, dravonix::test::OutputPath(std::string("gdi/") + fs::path(png).filename().string()),
                  fs::copy_options::overwrite_existing);
    EXPECT_GT(CountColour(png, kRed, 40), 100) << name;            // the rectangle
    EXPECT_GT(CountColour(png, RGB(0, 160, 0), 40), 100) << name;  // the ellipse and triangle
    EXPECT_GT(CountColour(png, kBlue, 60), 20) << name;            // the pen
  }
}

TEST(GdiMetaFile, PatternAndHatchBrushesAreRecorded) {
  WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  CBitmap bm;
  bm.CreateBitmap(8, 8, 1, 1, rows);
  CBrush pat, hatch(HS_DIAGCROSS, kRed);
  pat.CreatePatternBrush(&bm);
  CRect r(0, 0, 50, 50);
  CMetaFileDC wmf;
  ASSERT_TRUE(wmf.Create(nullptr));
  wmf.SetTextColor(kBlue);
  wmf.FillRect(&r, &pat);
  wmf.FillRect(&r, &hatch);
  HMETAFILE h = wmf.Close();
  std::vector<BYTE> b(GetMetaFileBitsEx(h, 0, nullptr));
  GetMetaFileBitsEx(h, (UINT)b.size(), b.data());
  DeleteMetaFile(h);
  auto recs = WmfRecords(b);
  const WmfRecord* dib = Find(recs, 0x0142);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(dib->params[0], BS_DIBPATTERNPT);
  // The pattern's 0 bits were baked in the text colour: the first pixel of the bottom row (0x55: bit 7 clear).
  const BYTE* px = reinterpret_cast<const BYTE*>(&dib->params[2]) + 40;
  EXPECT_EQ(RGB(px[2], px[1], px[0]), kBlue);
  const WmfRecord* br = nullptr;
  for (auto& rec : recs)
    if (rec.fn == 0x02FC && rec.params[0] == BS_HATCHED) br = &rec;
  ASSERT_NE(br, nullptr);
  EXPECT_EQ(br->params[3], HS_DIAGCROSS);
  const WmfRecord* pat2 = Find(recs, 0x061D);
  ASSERT_NE(pat2, nullptr);
  EXPECT_EQ((DWORD)(WORD)pat2->params[0] | ((DWORD)(WORD)pat2->params[1] << 16), PATCOPY);

  CMetaFileDC emf;
  ASSERT_TRUE(emf.CreateEnhanced(nullptr, nullptr, nullptr, nullptr));
  emf.FillRect(&r, &pat);
  HENHMETAFILE e = emf.CloseEnhanced();
  std::vector<BYTE> eb(GetEnhMetaFileBits(e, 0, nullptr));
  GetEnhMetaFileBits(e, (UINT)eb.size(), eb.data());
  DeleteEnhMetaFile(e);
  bool sawPattern = false;
  for (size_t at = 0; at + 8 <= eb.size(); at += D(eb, at + 4)) {
    if (D(eb, at) == 94) sawPattern = true;
    if (D(eb, at + 4) == 0) break;
  }
  EXPECT_TRUE(sawPattern);
  // Without a frame the header frames the drawing's bounds.
  HDC screen = CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ((LONG)D(eb, 32), MulDiv(49, GetDeviceCaps(screen, HORZSIZE) * 100, GetDeviceCaps(screen, HORZRES)));
  DeleteDC(screen);
}

namespace {

// The font, selection and text records of a metafile in order ('F' a font created, 'S' an object selected,
// 'T' a text, 'f' a fill without text) and the face and height of each font created.
struct TextRecords {
  std::string order;
  std::vector<std::pair<std::string, int>> fonts;
};

TextRecords WmfTextRecords(const std::vector<BYTE>& b) {
  TextRecords out;
  for (const WmfRecord& r : WmfRecords(b)) {
    if (r.fn == 0x02FB) {
      out.order += 'F';
      const char* face = reinterpret_cast<const char*>(&r.params[9]);
      out.fonts.emplace_back(std::string(face, strnlen(face, LF_FACESIZE)), r.params[0]);
    } else if (r.fn == 0x012D) {
      out.order += 'S';
    } else if (r.fn == 0x0A32) {
      out.order += r.params[2] ? 'T' : 'f';
    }
  }
  return out;
}

TextRecords EmfTextRecords(const std::vector<BYTE>& b) {
  TextRecords out;
  for (const EmfRecord& r : EmfRecords(b)) {
    if (r.type == 82) {
      out.order += 'F';
      std::string face;
      for (size_t i = 0; i < LF_FACESIZE; ++i) {
        DWORD c = (r.params[8 + i / 2] >> (16 * (i % 2))) & 0xFFFF;
        if (!c) break;
        face += (char)c;
      }
      out.fonts.emplace_back(face, (int)r.params[1]);
    } else if (r.type == 37) {
      out.order += 'S';
    } else if (r.type == 84) {
      out.order += r.params[9] ? 'T' : 'f';
    }
  }
  return out;
}

}  // namespace

TEST(GdiMetaFile, TextBeforeAnyFontIsPrecededByTheFontInUse) {
  LOGFONT start{};
  GetObject(GetStockObject(SYSTEM_FONT), sizeof start, &start);
  const std::pair<std::string, int> system{start.lfFaceName, start.lfHeight}, arial{"Arial", -28};
  struct Case {
    const char* what;
    std::function<void(CDC&)> draw;
    std::string order;
    std::vector<std::pair<std::string, int>> fonts;
  };
  auto arialText = [](CDC& dc) {
    CFont f;
    f.CreateFont(-28, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    CFont* old = dc.SelectObject(&f);
    dc.TextOut(0, 0, "ab", 2);
    dc.SelectObject(old);
  };
  const Case cases[] = {
      {"two texts", [](CDC& dc) { dc.TextOut(0, 0, "ab", 2); dc.TextOut(0, 20, "cd", 2); }, "FSTT", {system}},
      {"a fill first", [](CDC& dc) { dc.FillSolidRect(0, 0, 9, 9, kRed); dc.TextOut(0, 0, "ab", 2); }, "fFST", {system}},
      {"a chosen font", arialText, "FSTFS", {arial, system}},
      {"text after a restore",
       [&](CDC& dc) {
         dc.SaveDC();
         arialText(dc);
         dc.RestoreDC(-1);
         dc.TextOut(0, 20, "cd", 2);
       },
       "FSTFSFST", {arial, system, system}},
  };
  for (const Case& c : cases)
    for (bool enhanced : {false, true}) {
      const char* kind = enhanced ? "EMF " : "WMF ";
      CMetaFileDC mf;
      ASSERT_TRUE(enhanced ? mf.CreateEnhanced(nullptr, nullptr, nullptr, nullptr) : mf.Create(nullptr));
      LOGFONT lf{};
      mf.GetCurrentFont()->GetLogFont(&lf);
      EXPECT_EQ(std::make_pair(std::string(lf.lfFaceName), (int)lf.lfHeight), system) << kind;
      c.draw(mf);
      TextRecords got;
      if (enhanced) {
        HENHMETAFILE h = mf.CloseEnhanced();
        got = EmfTextRecords(Bytes(h, GetEnhMetaFileBits));
        DeleteEnhMetaFile(h);
      } else {
        HMETAFILE h = mf.Close();
        got = WmfTextRecords(Bytes(h, WmfBits));
        DeleteMetaFile(h);
      }
      EXPECT_EQ(got.order, c.order) << kind << c.what;
      EXPECT_EQ(got.fonts, c.fonts) << kind << c.what;
    }
}
