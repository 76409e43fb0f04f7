// Windows-1252 bytes to wide characters.
#include "platform/core/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, Windows1252ToWide) {
  const char text[] = "a\xB5\x80\x9F\x81";
  WCHAR out[8] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, out, 8), 6);  // with the terminator
  const WCHAR expected[] = {L'a', 0x00B5, 0x20AC, 0x0178, 0x0081, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << i;
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, nullptr, 0), 3);  // the size needed
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 5, out, 4), 0);      // too small
  EXPECT_EQ(MultiByteToWideChar(65001, 0, text, 5, out, 8), 0);       // not a known single-byte page
}
