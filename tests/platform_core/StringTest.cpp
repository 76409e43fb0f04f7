#include "platform/core/String.h"

#include <gtest/gtest.h>

TEST(CString, ExtractionClampsLikeTheFramework) {
  CString s("abcdef");
  EXPECT_EQ(s.Mid(2, 100), "cdef");
  EXPECT_EQ(s.Mid(10), "");
  EXPECT_EQ(s.Left(-1), "");
  EXPECT_EQ(s.Right(2), "ef");
  EXPECT_EQ(CString("12abc").SpanIncluding("0123456789"), "12");
  EXPECT_EQ(CString("ab;cd").SpanExcluding(";"), "ab");
}

TEST(CString, EditingAndSearching) {
  CString s("  a#b#c  ");
  s.Trim();
  EXPECT_EQ(s, "a#b#c");
  EXPECT_EQ(s.Replace("#", "##"), 2);
  EXPECT_EQ(s, "a##b##c");
  EXPECT_EQ(s.Remove('#'), 4);
  EXPECT_EQ(s.Find('c'), 2);
  EXPECT_EQ(s.ReverseFind('a'), 0);
  EXPECT_EQ(s.FindOneOf("xc"), 2);
  EXPECT_EQ(CString("Foo").CompareNoCase("fOO"), 0);
  CString b;
  strcpy(b.GetBuffer(10), "xyz");
  b.ReleaseBuffer();
  EXPECT_EQ(b.GetLength(), 3);
}
