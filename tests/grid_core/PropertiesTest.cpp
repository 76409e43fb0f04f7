// Grid properties: defaults, colours, user properties, profile and archive forms.
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProfile.h"
#include "grid/engine/GXProperties.h"
#include "platform/ui/WinApp.h"
#include "tests/grid_engine/GridTestUtil.h"

using namespace gridtest;

TEST(GridProperties, DefaultsColoursAndUserProperties) {
  CGXProperties p;
  ASSERT_EQ(p.GetColorCount(), 5);
  EXPECT_EQ(p.GetColorName(0), "Grid Lines");
  EXPECT_EQ(p.GetColor(0) >> 24, 0xEDu);  // system colour 17
  EXPECT_EQ(p.GetColor(4) >> 24, 0xEFu);  // system colour 15
  EXPECT_EQ(p.GetColor(2), RGB(255, 0, 0));
  EXPECT_EQ(p.GetColor(5), 0u);
  EXPECT_EQ(p.AddColorProperty("Grid Lines", RGB(1, 1, 1)), 0);
  EXPECT_EQ(p.GetColor(0) >> 24, 0xEDu);
  EXPECT_EQ(p.AddColorProperty("Extra", RGB(1, 1, 1)), 5);

  p.AddDefaultUserProperties();
  const CGXStyle* frame = p.GetUserProperty(51005);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->GetControl(), 52529u);
  EXPECT_EQ(frame->GetValue(), "Invert Thin.");
  EXPECT_EQ(frame->GetChoiceList(), "Invert Thin.\nInvert Thick.\nThin Border.\nThick Border.\nNo Border.");
  CGXStyle any;
  EXPECT_THROW(
      {
        try {
          p.AddUserProperty(59999, any);
        } catch (CException* e) {
          e->Delete();
          throw 1;
        }
      },
      int);
  EXPECT_FALSE(p.GetUserProperty(59999));

  EXPECT_FALSE(p.GetBlackWhite());
  p.SetPrinting(TRUE);
  EXPECT_TRUE(p.GetBlackWhite());
  p.m_bPrintVertLines = FALSE;
  EXPECT_FALSE(p.GetVerticalLines());
  CGXStyle header;
  ASSERT_TRUE(p.GetHeaderData().GetStyleAt(1, 2, header, 2));
  EXPECT_EQ(header.GetValue(), "$R");
  EXPECT_EQ(header.GetFont().GetWeight(), 700);
}

TEST(GridProperties, ProfileForms) {
  CAppProfile& app = GXGetAppProfile();
  CGXProperties p;
  p.SetSection("GridPropertiesTest");
  app.WriteProfileString("GridPropertiesTest", nullptr, nullptr);
  CGXProperties missing;
  missing.SetSection("GridPropertiesTest");
  EXPECT_FALSE(missing.ReadProfile());
  p.WriteProfile();
  EXPECT_EQ(app.GetProfileString("GridPropertiesTest", "Margins"), "144,96,144,96");
  EXPECT_EQ(app.GetProfileString("GridPropertiesTest", "Distances"), "38,38");
  app.WriteProfileString("GridPropertiesTest", "Margins", " 10, 20");
  app.WriteProfileString("GridPropertiesTest", "VerticalLines", "0");
  app.WriteProfileString("GridPropertiesTest", "Distances", "");
  CGXProperties back;
  back.SetSection("GridPropertiesTest");
  ASSERT_TRUE(back.ReadProfile());
  int top, left, bottom, right;
  back.GetMargins(top, left, bottom, right);
  EXPECT_EQ(top, 10);
  EXPECT_EQ(left, 20);
  EXPECT_EQ(bottom, 144);
  EXPECT_EQ(right, 96);
  EXPECT_FALSE(back.GetDisplayVertLines());
  EXPECT_EQ(back.m_nDistTop, 38);  // an empty entry keeps the value
  app.WriteProfileString("GridPropertiesTest", nullptr, nullptr);
}

TEST(GridProperties, ProfileIsTheApplications) {
  GXGetAppProfile().WriteProfileString("GridHostSection", nullptr, nullptr);
  for (const char* key : {"", "Maker"}) {
    CWinApp host("GridHostApp");
    if (*key) host.SetRegistryKey(key);
    host.WriteProfileString("GridHostSection", nullptr, nullptr);
    CGXProperties p;
    p.SetSection("GridHostSection");
    p.WriteProfile();
    EXPECT_EQ(host.GetProfileString("GridHostSection", "Margins"), "144,96,144,96") << key;
    host.WriteProfileString("GridHostSection", "Margins", "1,2,3,4");
    CGXProperties back;
    back.SetSection("GridHostSection");
    ASSERT_TRUE(back.ReadProfile()) << key;
    int top, left, bottom, right;
    back.GetMargins(top, left, bottom, right);
    EXPECT_EQ(top + left + bottom + right, 10) << key;
    host.WriteProfileString("GridHostSection", nullptr, nullptr);
  }
  // Without an application the grid keeps a profile of its own.
  CGXProperties none;
  none.SetSection("GridHostSection");
  EXPECT_FALSE(none.ReadProfile());
}

TEST(GridProperties, ArchiveRoundTripAndBadSchema) {
  CGXProperties p;
  p.AddDefaultUserProperties();
  p.SetZoom(150);
  p.SetMargins(1, 2, 3, 4);
  p.m_nFirstPage = 10;
  p.SetDisplayHorzLines(FALSE);
  const Bytes bytes = Store([&](CArchive& ar) { p.Serialize(ar); });
  EXPECT_EQ(bytes[0], 2);
  CGXProperties back;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_EQ(back.GetZoom(), 150);
  int top, left, bottom, right;
  back.GetMargins(top, left, bottom, right);
  EXPECT_EQ(top * 1000 + left * 100 + bottom * 10 + right, 1234);
  EXPECT_EQ(back.m_nFirstPage, 10);
  EXPECT_FALSE(back.GetDisplayHorzLines());
  ASSERT_TRUE(back.GetUserProperty(51005));
  EXPECT_EQ(back.GetUserProperty(51005)->GetValue(), "Invert Thin.");
  EXPECT_EQ(Store([&](CArchive& ar) { back.Serialize(ar); }), bytes);
  CGXProperties copy(back);
  EXPECT_EQ(Store([&](CArchive& ar) { copy.Serialize(ar); }), bytes);

  Bytes schema3 = bytes;
  schema3[0] = 3;
  EXPECT_EQ(Load(schema3, [&](CArchive& ar) { back.Serialize(ar); }), CArchiveException::badSchema);
  EXPECT_EQ(Load(Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2), [&](CArchive& ar) { back.Serialize(ar); }),
            CArchiveException::endOfFile);
}
