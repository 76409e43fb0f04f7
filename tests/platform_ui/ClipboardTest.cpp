// The clipboard and global memory: ownership of data, formats, text formats standing in for each
// other, the "held open by another program" state, and bad handles.
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

HGLOBAL ClipText(const char* s) {
  size_t n = strlen(s) + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, n);
  memcpy(GlobalLock(h), s, n);
  GlobalUnlock(h);
  return h;
}

TEST(ClipboardTest, DataFormatsAndOwnership) {
  ResetClipboard();
  EXPECT_EQ(nullptr, SetClipboardData(CF_TEXT, ClipText("x")));  // not open: refused
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  UINT styles = RegisterClipboardFormat("Grid Styles");
  EXPECT_GE(styles, 0xC000u);
  EXPECT_EQ(styles, RegisterClipboardFormat("grid styles"));
  EXPECT_EQ(styles, RegisterWindowMessage("Grid Styles"));
  char name[32];
  EXPECT_EQ(11, GetClipboardFormatName(styles, name, sizeof name));
  EXPECT_STREQ("Grid Styles", name);
  HGLOBAL bytes = GlobalAlloc(GHND, 10);
  EXPECT_EQ(10u, GlobalSize(bytes));
  EXPECT_EQ(0, ((BYTE*)GlobalLock(bytes))[9]);
  GlobalUnlock(bytes);
  EXPECT_EQ(bytes, SetClipboardData(styles, bytes));
  EXPECT_NE(nullptr, SetClipboardData(CF_TEXT, ClipText("hello")));
  EXPECT_EQ(2, CountClipboardFormats());
  EXPECT_EQ((UINT)styles, EnumClipboardFormats(0));
  EXPECT_EQ((UINT)CF_TEXT, EnumClipboardFormats(styles));
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());

  // CF_OEMTEXT is there whenever CF_TEXT is.
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_OEMTEXT));
  EXPECT_EQ(nullptr, GetClipboardData(CF_TEXT));  // not open
  ASSERT_TRUE(OpenClipboard(nullptr));
  HGLOBAL oem = GetClipboardData(CF_OEMTEXT);
  ASSERT_NE(nullptr, oem);
  EXPECT_STREQ("hello", (const char*)GlobalLock(oem));
  GlobalUnlock(oem);
  EXPECT_EQ(nullptr, GetClipboardData(CF_BITMAP));
  CloseClipboard();
  ResetClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST(ClipboardTest, HeldByAnotherProgramAndBadHandles) {
  ResetClipboard();
  SetClipboardHeldByOtherProgram(TRUE);
  EXPECT_FALSE(OpenClipboard(nullptr));
  EXPECT_FALSE(ClipboardSetText(nullptr, "x", 1));
  std::string s;
  EXPECT_FALSE(ClipboardGetText(nullptr, s));
  SetClipboardHeldByOtherProgram(FALSE);
  EXPECT_TRUE(ClipboardSetText(nullptr, "abc", 3));
  EXPECT_TRUE(ClipboardGetText(nullptr, s));
  EXPECT_EQ("abc", s);

  // Handles that are not handles are refused.
  int local = 0;
  HGLOBAL bogus = (HGLOBAL)&local;
  EXPECT_EQ(nullptr, GlobalLock(bogus));
  EXPECT_EQ(0u, GlobalSize(bogus));
  EXPECT_EQ(bogus, GlobalFree(bogus));
  EXPECT_EQ(nullptr, GlobalReAlloc(bogus, 10, 0));
  EXPECT_EQ(nullptr, GlobalLock(nullptr));
  EXPECT_EQ(nullptr, GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)1 << 40));
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
  EXPECT_EQ(h, GlobalReAlloc(h, 4096, GMEM_MOVEABLE));
  EXPECT_EQ(4096u, GlobalSize(h));
  EXPECT_EQ(nullptr, GlobalFree(h));
  EXPECT_EQ(nullptr, GlobalLock(h));  // freed
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(nullptr, SetClipboardData(CF_TEXT, bogus));
  CloseClipboard();
  ResetClipboard();
}

}  // namespace
