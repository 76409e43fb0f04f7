// Bitmap resources loaded as packed DIBs in global memory and stretched onto a device context.
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ResourceDib.h"
#include "tests/support/PackedDibs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const std::vector<BYTE> g_good = dravonix::test::TwoPixelDib(), g_cut = dravonix::test::TwoPixelDib(true);
const BYTE g_junk[] = "not a picture at all";
const RESOURCE_ENTRY kDibEntries[] = {
    {RT_BITMAP, "DIB_GOOD", g_good.data(), (DWORD)g_good.size()},
    {RT_BITMAP, "DIB_CUT", g_cut.data(), (DWORD)g_cut.size()},
    {RT_BITMAP, "DIB_JUNK", g_junk, sizeof g_junk},
};
const RESOURCE_TABLE kDibTable = {nullptr, 0, kDibEntries, 3};
CResourceTableRegistration g_dibTable(kDibTable);

TEST(ResourceDibTest, LoadsMeasuresAndStretchesNamedBitmaps) {
  HINSTANCE module = AfxFindResourceHandle("DIB_GOOD", RT_BITMAP);
  HGLOBAL dib = LoadResourceDib(module, "dib_good");
  ASSERT_TRUE(dib);
  EXPECT_EQ(::GlobalSize(dib), g_good.size());
  const SIZE size = GetPackedDibSize(dib);
  EXPECT_EQ(size.cx, 2);
  EXPECT_EQ(size.cy, 1);

  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
  CBitmap bmp;
  ASSERT_TRUE(bmp.CreateBitmap(8, 4, 1, 32, nullptr));
  CBitmap* old = mem.SelectObject(&bmp);
  mem.FillSolidRect(0, 0, 8, 4, RGB(0, 255, 0));
  EXPECT_GT(DrawPackedDib(&mem, dib, CRect(2, 0, 6, 2)), 0);
  EXPECT_EQ(mem.GetPixel(2, 1), RGB(255, 0, 0));
  EXPECT_EQ(mem.GetPixel(5, 0), RGB(0, 0, 255));
  EXPECT_EQ(mem.GetPixel(1, 0), RGB(0, 255, 0));
  EXPECT_EQ(mem.GetPixel(2, 2), RGB(0, 255, 0));
  EXPECT_EQ(DrawPackedDib(&mem, nullptr, CRect(0, 0, 1, 1)), 0);
  EXPECT_EQ(DrawPackedDib(nullptr, dib, CRect(0, 0, 1, 1)), 0);
  mem.SelectObject(old);
  EXPECT_EQ(::GlobalFree(dib), nullptr);

  // Missing, cut short or no image at all: nothing is loaded.
  for (const char* name : {"DIB_MISSING", "DIB_CUT", "DIB_JUNK"}) EXPECT_EQ(LoadResourceDib(module, name), nullptr) << name;
  EXPECT_EQ(LoadResourceDib(module, nullptr), nullptr);
  EXPECT_EQ(GetPackedDibSize(nullptr).cx, 0);
}

}  // namespace
