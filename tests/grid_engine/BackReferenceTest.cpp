// Archives whose font refers back to one another style already owns: each owner gets its own copy.
#include "grid/engine/GXData.h"
#include "grid/engine/GXStylesMap.h"
#include "tests/grid_engine/GridTestUtil.h"

#include <algorithm>

using namespace gridtest;

namespace {

CGXStyle WithFont(const char* value) {
  CGXStyle s;
  CGXFont font;
  font.SetFaceName("Arial").SetSize(12).SetWeight(700);
  s.SetFont(font).SetValue(value);
  return s;
}

// The font's own bytes, as they follow its class tag.
Bytes FontData() {
  CGXFont font = WithFont("").GetFont();
  Bytes whole = Store([&](CArchive& ar) { ar.WriteObject(&font); });
  return Bytes(whole.begin() + 6 + 7, whole.end());  // new-class tag, schema, name length, "CGXFont"
}

// Replaces the second font (class reference tag and data) by a reference to object `index`.
Bytes ReferBack(const Bytes& bytes, WORD index) {
  const Bytes font = FontData();
  auto first = std::search(bytes.begin(), bytes.end(), font.begin(), font.end());
  auto second = std::search(first + 1, bytes.end(), font.begin(), font.end());
  EXPECT_NE(second, bytes.end());
  Bytes out(bytes.begin(), second - 2);
  out.push_back((BYTE)index);
  out.push_back((BYTE)(index >> 8));
  out.insert(out.end(), second + (ptrdiff_t)font.size(), bytes.end());
  return out;
}

}  // namespace

TEST(GridArchiveBackReference, CellsGetTheirOwnFont) {
  CGXData d;
  const CGXStyle a = WithFont("a"), b = WithFont("b");
  d.StoreStyleAt(1, 1, &a, 0);
  d.StoreStyleAt(1, 2, &b, 0);
  // Objects are numbered: 1 the style class, 2 the first style, 3 the font class, 4 its font.
  const Bytes crafted = ReferBack(Store([&](CArchive& ar) { d.Serialize(ar); }), 4);
  auto back = std::make_unique<CGXData>();
  ASSERT_EQ(Load(crafted, [&](CArchive& ar) { back->Serialize(ar); }), -1);
  CGXStyle s1, s2;
  ASSERT_TRUE(back->GetStyleAt(1, 1, s1, 2));
  ASSERT_TRUE(back->GetStyleAt(1, 2, s2, 2));
  ExpectSameFont(s1.GetFont(), s2.GetFont());
  EXPECT_NE(back->GetCells().GetRow(1)->GetStyle(1)->GetFontPtr(), back->GetCells().GetRow(1)->GetStyle(2)->GetFontPtr());
  back.reset();  // each font is deleted once
}

TEST(GridArchiveBackReference, RepeatedBaseStyleIdsKeepFontsAlive) {
  CGXStylesMap map;
  map.SetBaseStyleEntry(5, WithFont("a"), "A", 0, FALSE);
  map.SetBaseStyleEntry(6, WithFont("b"), "B", 0, FALSE);
  Bytes bytes = Store([&](CArchive& ar) { map.Serialize(ar); });
  // The second entry takes the first one's id: id 6, no resource, name "B".
  const Bytes entry = {6, 0, 0, 0, 0, 0, 1, 'B'};
  auto at = std::search(bytes.begin(), bytes.end(), entry.begin(), entry.end());
  ASSERT_NE(at, bytes.end());
  *at = 5;
  // Fonts are numbered 1 (class) and 2 (the first font).
  const Bytes crafted = ReferBack(bytes, 2);
  auto back = std::make_unique<CGXStylesMap>();
  ASSERT_EQ(Load(crafted, [&](CArchive& ar) { back->Serialize(ar); }), -1);
  CGXStyle* style = nullptr;
  ASSERT_TRUE(back->LookupStyle(5, style));
  EXPECT_EQ(style->GetValue(), "b");
  EXPECT_EQ(style->GetFont().GetWeight(), 700);
  back.reset();
}
