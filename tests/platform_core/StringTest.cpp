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

#include "platform/core/Exception.h"
#include "platform/core/StringArray.h"
#include "tests/support/Throws.h"

using dravonix::test::ThrowsInvalidArg;

TEST(CString, FormatTakesCStringArgumentsAndItsOwnText) {
  CString name("axis");
  CString s;
  s.Format("%s-%d-%s", name, 3, CString("x"));
  EXPECT_EQ(s, "axis-3-x");
  s.Format("[%s]", s);
  EXPECT_EQ(s, "[axis-3-x]");
  s.AppendFormat("%s", s);
  EXPECT_EQ(s, "[axis-3-x][axis-3-x]");
  std::string std_text("std");
  EXPECT_EQ(FormatString("%s/%s/%.1f", std_text, name, 2.25f), "std/axis/2.3");
  s.FormatMessage("%2 before %1, 100%%", CString("one"), "two");
  EXPECT_EQ(s, "two before one, 100%");
}

TEST(CString, IndexOutOfRangeThrowsTheFrameworkException) {
  CString s("ab");
  EXPECT_EQ(s[1], 'b');
  s.SetAt(0, 'x');
  EXPECT_EQ(s, "xb");
  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)s.GetAt(2); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)s[-1]; }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { s.SetAt(5, 'c'); }));
  EXPECT_EQ(s, "xb");
}

TEST(CString, ComparisonsFoldOnlyAscii) {
  CString s("B");
  EXPECT_TRUE(s < "C");
  EXPECT_TRUE("A" < s);
  EXPECT_TRUE(s >= "B");
  EXPECT_TRUE(s != "b");
  EXPECT_EQ(s.CompareNoCase("b"), 0);
  // Windows-1252 letters are bytes, untouched by case changes.
  CString u("\xE4stop");
  u.MakeUpper();
  EXPECT_EQ(u, "\xE4STOP");
  EXPECT_NE(CString("\xE4").CompareNoCase("\xC4"), 0);
  EXPECT_EQ(_stricmp("Motor.CFG", "motor.cfg"), 0);
  EXPECT_LT(_strnicmp("abc", "ABD", 3), 0);
  EXPECT_EQ(_strnicmp("abc", "ABD", 2), 0);
  EXPECT_EQ(CString((const char*)nullptr), "");
  EXPECT_TRUE(CString() == (const char*)nullptr);
}

TEST(CString, TrimSetsInsertDeleteTokenize) {
  CString s("xx--abc--yy");
  s.Trim("xy");
  EXPECT_EQ(s, "--abc--");
  s.TrimLeft('-');
  EXPECT_EQ(s, "abc--");
  s.TrimRight("-");
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(s.Insert(1, "XY"), 5);
  EXPECT_EQ(s, "aXYbc");
  EXPECT_EQ(s.Insert(99, '!'), 6);
  EXPECT_EQ(s, "aXYbc!");
  EXPECT_EQ(s.Delete(1, 2), 4);
  EXPECT_EQ(s, "abc!");
  EXPECT_EQ(s.Delete(3, 100), 3);
  EXPECT_EQ(s.Delete(10), 3);
  EXPECT_EQ(s.Find("bc"), 1);
  EXPECT_EQ(s.Find("bc", 2), -1);
  EXPECT_EQ(s.Find('a', 5), -1);
  EXPECT_EQ(s.FindOneOf(""), -1);
  EXPECT_EQ(s.Replace("", "x"), 0);
  CString list(";a;;b;");
  int pos = 0;
  EXPECT_EQ(list.Tokenize(";", pos), "a");
  EXPECT_EQ(list.Tokenize(";", pos), "b");
  EXPECT_EQ(list.Tokenize(";", pos), "");
  EXPECT_EQ(pos, -1);
}

TEST(CStringArray, GrowsInsertsAndRemovesAsTheFrameworkDoes) {
  CStringArray a;
  EXPECT_EQ(a.GetUpperBound(), -1);
  EXPECT_EQ(a.Add("one"), 0);
  EXPECT_EQ(a.Add(CString("three")), 1);
  a.InsertAt(1, "two");
  a.InsertAt(5, "six");  // beyond the end: the gap fills with empty strings
  ASSERT_EQ(a.GetSize(), 6);
  EXPECT_EQ(a[1], "two");
  EXPECT_EQ(a.GetAt(3), "");
  EXPECT_EQ(a[5], "six");
  a.RemoveAt(3, 2);
  EXPECT_EQ(a.GetCount(), 4);
  EXPECT_EQ(a[3], "six");
  a.InsertAt(0, a[3], 2);  // an element of the array itself
  EXPECT_EQ(a[0], "six");
  EXPECT_EQ(a[1], "six");
  a.ElementAt(0) = "zero";
  a.SetAt(1, "one'");
  EXPECT_EQ(a[0], "zero");
  EXPECT_EQ(a.Append(a), 6);
  EXPECT_EQ(a.GetSize(), 12);
  EXPECT_EQ(a[6], "zero");
  CStringArray b;
  b.Copy(a);
  EXPECT_EQ(b.GetSize(), 12);
  b.InsertAt(1, &a);
  EXPECT_EQ(b.GetSize(), 24);
  EXPECT_EQ(b[1], "zero");
  b.SetSize(2);
  EXPECT_EQ(b.GetSize(), 2);
  b.SetAtGrow(3, "x");
  EXPECT_EQ(b.GetSize(), 4);
  b.RemoveAll();
  EXPECT_TRUE(b.IsEmpty());
  CStringArray c(a);
  EXPECT_EQ(c.GetSize(), a.GetSize());
}

TEST(CStringArray, BadIndicesThrowAndLeaveTheArray) {
  CStringArray a;
  a.Add("x");
  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a.GetAt(1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAt(-1, "y"); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(0, 2); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.InsertAt(-1, "y"); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetSize(-1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.InsertAt(0, (const CStringArray*)nullptr); }));
  ASSERT_EQ(a.GetSize(), 1);
  EXPECT_EQ(a[0], "x");
}

TEST(CStringArray, IsASerialClassFoundByName) {
  CObject* o = CRuntimeClass::CreateObject("CStringArray");
  ASSERT_NE(o, nullptr);
  EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CStringArray)));
  EXPECT_TRUE(o->IsSerializable());
  EXPECT_EQ(RUNTIME_CLASS(CStringArray)->m_wSchema, 0u);
  delete o;
}
