// Helpers of the grid engine tests: archive round trips and member-by-member style comparison.
#pragma once

#include "grid/engine/GXProfile.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Archive.h"
#include "platform/core/File.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace gridtest {

using dravonix::test::Bytes;

inline Bytes Store(const std::function<void(CArchive&)>& write) { return dravonix::test::StoreBytes(write); }

// Returns the archive exception's cause, or -1 when none was thrown.
inline int Load(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
  return dravonix::test::LoadCause(bytes, read);
}

inline void ExpectSameFont(const CGXFont& a, const CGXFont& b) {
  EXPECT_EQ(a.GetIncludeBits(), b.GetIncludeBits());
  EXPECT_EQ(a.GetHeight(), b.GetHeight());
  EXPECT_EQ(a.GetWeight(), b.GetWeight());
  EXPECT_EQ(a.GetItalic(), b.GetItalic());
  EXPECT_EQ(a.GetUnderline(), b.GetUnderline());
  EXPECT_STREQ(a.GetFaceName(), b.GetFaceName());
  EXPECT_EQ(a.GetLogFont().lfPitchAndFamily, b.GetLogFont().lfPitchAndFamily);
  EXPECT_EQ(a.GetLogFont().lfCharSet, b.GetLogFont().lfCharSet);
}

// Every member that the archive form keeps. User-attribute values are compared only when asked,
// since archives carry their include bit but not their values.
inline void ExpectSameStyle(const CGXStyle& a, const CGXStyle& b, bool userAttributes = true) {
  ASSERT_EQ(a.GetIncludeMask(), b.GetIncludeMask());
  const DWORD m = a.GetIncludeMask();
  if (m & CGXStyle::inclHorzAlign) { EXPECT_EQ(a.GetHorizontalAlignment(), b.GetHorizontalAlignment()); }
  if (m & CGXStyle::inclVertAlign) { EXPECT_EQ(a.GetVerticalAlignment(), b.GetVerticalAlignment()); }
  if (m & CGXStyle::inclControl) { EXPECT_EQ(a.GetControl(), b.GetControl()); }
  if (m & CGXStyle::inclInterior) {
    EXPECT_EQ(a.GetInterior().GetStyle(), b.GetInterior().GetStyle());
    EXPECT_EQ(a.GetInterior().GetColorValue(), b.GetInterior().GetColorValue());
    EXPECT_EQ(a.GetInterior().GetBkColorValue(), b.GetInterior().GetBkColorValue());
    EXPECT_EQ(a.GetInterior().GetPattern(), b.GetInterior().GetPattern());
    EXPECT_EQ(a.GetInterior().GetHatch(), b.GetInterior().GetHatch());
  }
  if (m & CGXStyle::inclTextColor) { EXPECT_EQ(a.GetTextColorValue(), b.GetTextColorValue()); }
  if (m & CGXStyle::inclValue) { EXPECT_EQ(a.GetValue(), b.GetValue()); }
  if (m & CGXStyle::inclChoiceList) { EXPECT_EQ(a.GetChoiceList(), b.GetChoiceList()); }
  if (m & CGXStyle::inclMaxLength) { EXPECT_EQ(a.GetMaxLength(), b.GetMaxLength()); }
  if (m & CGXStyle::inclBaseStyle) { EXPECT_EQ(a.GetBaseStyle(), b.GetBaseStyle()); }
  if (m & CGXStyle::inclExtraValue) { EXPECT_EQ(a.GetExtraValue(), b.GetExtraValue()); }
  WORD flags = 0;
  if (m & CGXStyle::inclDraw3dFrame) flags |= CGXStyle::flagDraw3dFrame;
  if (m & CGXStyle::inclReadOnly) flags |= CGXStyle::flagReadOnly;
  if (m & CGXStyle::inclVertScrollbar) flags |= CGXStyle::flagVertScrollbar;
  if (m & CGXStyle::inclWrapText) flags |= CGXStyle::flagWrapText;
  if (m & CGXStyle::inclAllowEnter) flags |= CGXStyle::flagAllowEnter;
  if (m & CGXStyle::inclEnabled) flags |= CGXStyle::flagEnabled;
  if (m & CGXStyle::inclTriState) flags |= CGXStyle::flagTriState;
  if (m & CGXStyle::inclAutoSize) flags |= CGXStyle::flagAutoSize;
  if (m & CGXStyle::inclFloodCell) flags |= CGXStyle::flagFloodCell;
  if (m & CGXStyle::inclFloatCell) flags |= CGXStyle::flagFloatCell;
  if (m & CGXStyle::inclMergeCell) flags |= CGXStyle::flagMergeCell;
  EXPECT_EQ(a.GetBoolFlags() & flags, b.GetBoolFlags() & flags);
  if (m & CGXStyle::inclBorders) {
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(a.GetBorders(i) == b.GetBorders(i)) << "side " << i;
    }
  }
  if (m & CGXStyle::inclFont) ExpectSameFont(a.GetFont(), b.GetFont());
  if (userAttributes && (m & CGXStyle::inclUserAttributes)) {
    EXPECT_TRUE(a.IsSubSet(b) && b.IsSubSet(a));
  }
}

// A style with every attribute set to something other than its zero value.
inline CGXStyle FullStyle() {
  CGXStyle s;
  CGXFont font;
  font.SetFaceName("Courier New").SetSize(10).SetWeight(700).SetItalic(TRUE).SetUnderline(FALSE);
  s.SetHorizontalAlignment(2)
      .SetVerticalAlignment(8)
      .SetReadOnly(TRUE)
      .SetControl(52517)
      .SetInterior(CGXBrushValue(2, RGB(10, 20, 30), 4).SetBkColor(RGB(200, 210, 220)))
      .SetTextColor(RGB(1, 2, 3))
      .SetWrapText(FALSE)
      .SetAllowEnter(TRUE)
      .SetBorders(CGXStyle::sideLeft, CGXPenValue(1, 2, RGB(255, 0, 0)))
      .SetBorders(CGXStyle::sideBottom, CGXPenValue(0, 3, RGB(0, 0, 255)))
      .SetFont(font)
      .SetValue("Hello")
      .SetChoiceList("one\r\ntwo\r\nthree")
      .SetVerticalScrollbar(TRUE)
      .SetMaxLength(40)
      .SetEnabled(FALSE)
      .SetTriState(TRUE)
      .SetDraw3dFrame(2)
      .SetAutoSize(TRUE)
      .SetExtraValue(0xDEADBEEF)
      .SetFloatCell(FALSE)
      .SetFloodCell(TRUE)
      .SetMergeCell(5);
  return s;
}

// Points the grid's profile at an application profile of its own for the scope.
class ProfileScope {
 public:
  explicit ProfileScope(const char* app, bool registry = false) : m_app(app) {
    if (registry) m_app.SetRegistryKey("Grid Tests");
    GXSetAppProfile(&m_app);
  }
  ~ProfileScope() { GXSetAppProfile(nullptr); }
  CAppProfile& App() { return m_app; }

 private:
  CAppProfile m_app;
};

}  // namespace gridtest
