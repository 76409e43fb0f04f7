#include "plot/curves/FloatArray.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CFloatArray Of(std::vector<double> v) { return CFloatArray((int)v.size(), v.data()); }

TEST(FloatArray, MonotonyOfValueSeries) {
  EXPECT_EQ(CFloatArray().GetMonotone(), CFloatArray::monoUnknown);
  EXPECT_EQ(CFloatArray().GetUpperValid(), -1);
  EXPECT_EQ(Of({4}).GetMonotone(), CFloatArray::monoUnknown);
  EXPECT_EQ(Of({1, 2, 2, 3}).GetMonotone(), CFloatArray::monoAscending);
  EXPECT_EQ(Of({3, 2, 2, 1}).GetMonotone(), CFloatArray::monoDescending);
  EXPECT_EQ(Of({2, 2, 2}).GetMonotone(), CFloatArray::monoUnknown);
  CFloatArray a = Of({1, 3, 2});
  EXPECT_EQ(a.GetMonotone(), CFloatArray::monoNone);
  a.Add(10);
  a.Add(11);
  EXPECT_EQ(a.GetMonotone(), CFloatArray::monoNone);  // stays so until a full check

  // Built up one by one.
  CFloatArray b;
  b.Add(5);
  EXPECT_EQ(b.GetMonotone(), CFloatArray::monoUnknown);
  b.Add(5);
  EXPECT_EQ(b.GetMonotone(), CFloatArray::monoUnknown);
  b.Add(4);
  EXPECT_EQ(b.GetMonotone(), CFloatArray::monoDescending);
  b.Add(4);
  EXPECT_EQ(b.GetUpperValid(), 3);
  b.SetAt(1, 6);  // 5 6 4 4
  EXPECT_EQ(b.GetMonotone(), CFloatArray::monoNone);
  b.SetSize(4, b.GetData());  // full check again
  EXPECT_EQ(b.GetMonotone(), CFloatArray::monoNone);
  b.SetAt(1, 5);
  b.CheckMonotonousCondition(0, -1);
  EXPECT_EQ(b.GetMonotone(), CFloatArray::monoDescending);

  // An insertion that breaks the order is seen through the value after it.
  CFloatArray c = Of({1, 2, 3, 4});
  c.InsertAt(2, 10.0, 1);  // 1 2 10 3 4
  EXPECT_EQ(c.GetMonotone(), CFloatArray::monoNone);
  EXPECT_EQ(c.GetUpperValid(), 4);
  CFloatArray d = Of({1, 2, 5, 6});
  CFloatArray mid = Of({3, 4});
  d.InsertAt(2, &mid);
  EXPECT_EQ(d.GetSize(), 6);
  EXPECT_EQ(d.GetUpperValid(), 5);
  EXPECT_EQ(d.GetMonotone(), CFloatArray::monoAscending);
  EXPECT_EQ(d[3], 4.0);
}

TEST(FloatArray, UpperValidIndexFollowsEveryOperation) {
  std::vector<double> ten{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  CFloatArray a = Of(ten);
  a.RemoveAt(7, 3);
  EXPECT_EQ(a.GetUpperValid(), 6);
  EXPECT_EQ(a.GetSize(), 7);

  // Removing beyond the valid part never raises the index.
  CFloatArray b = Of(ten);
  b.SetUpperValid(4);
  b.RemoveAt(6, 3);
  EXPECT_EQ(b.GetUpperValid(), 4);
  b.RemoveAt(3, 4);  // last removed 6 > 4: the index before the removal point
  EXPECT_EQ(b.GetUpperValid(), 2);
  b.RemoveAt(0, 0);
  EXPECT_EQ(b.GetUpperValid(), 2);

  CFloatArray c(5);
  EXPECT_EQ(c.GetSize(), 5);
  EXPECT_EQ(c.GetUpperValid(), -1);
  c.SetAt(3, 1.0);
  EXPECT_EQ(c.GetUpperValid(), 3);
  c.InsertAt(8, 2.0, 2);  // beyond the valid part: the array grows, the index is the last inserted
  EXPECT_EQ(c.GetSize(), 10);
  EXPECT_EQ(c.GetUpperValid(), 9);
  c.InsertAt(0, 0.5, 2);
  EXPECT_EQ(c.GetUpperValid(), 11);
  c.SetSize(4);
  EXPECT_EQ(c.GetUpperValid(), 3);
  c.SetSize(1);
  EXPECT_EQ(c.GetMonotone(), CFloatArray::monoUnknown);
  c.SetAtGrow(6, 3.0);
  EXPECT_EQ(c.GetSize(), 7);
  EXPECT_EQ(c.GetUpperValid(), 6);
  c.SetUpperValid(100);
  EXPECT_EQ(c.GetUpperValid(), 6);
  c.SetUpperValid(-3);
  EXPECT_EQ(c.GetUpperValid(), -3);
  EXPECT_EQ(c.GetMonotone(), CFloatArray::monoUnknown);
  EXPECT_EQ(c.Add(1.0), 7);
  EXPECT_EQ(c.GetUpperValid(), 7);
  c.RemoveAll();
  EXPECT_EQ(c.GetSize(), 0);
  EXPECT_EQ(c.GetUpperValid(), -1);

  // Raising the valid index checks the newly valid values.
  CFloatArray e = Of({1, 2, 3, 0});
  e.SetUpperValid(2);
  e.CheckMonotonousCondition(0, -1);
  EXPECT_EQ(e.GetMonotone(), CFloatArray::monoAscending);
  e.SetUpperValid(3);
  EXPECT_EQ(e.GetMonotone(), CFloatArray::monoNone);
}

TEST(FloatArray, CopiesAndBadIndexes) {
  CFloatArray a = Of({3, 2, 1});
  a.SetUpperValid(1);
  CFloatArray b(a);
  EXPECT_EQ(b.GetSize(), 3);
  EXPECT_EQ(b.GetUpperValid(), 1);
  EXPECT_EQ(b.GetMonotone(), CFloatArray::monoDescending);
  CFloatArray c;
  c = a;
  EXPECT_EQ(c[2], 1.0);
  EXPECT_EQ(c.GetUpperValid(), 1);

  // Out-of-range indexes raise the framework's invalid-argument exception instead of corrupting memory.
  auto throwsInvalid = [](auto&& f) {
    try {
      f();
    } catch (CException* e) {
      bool ok = e->IsKindOf(RUNTIME_CLASS(CInvalidArgException));
      e->Delete();
      return ok;
    }
    return false;
  };
  EXPECT_TRUE(throwsInvalid([&] { (void)a[3]; }));
  EXPECT_TRUE(throwsInvalid([&] { a.SetAt(-1, 0.0); }));
  EXPECT_TRUE(throwsInvalid([&] { a.SetAt(3, 0.0); }));
  EXPECT_TRUE(throwsInvalid([&] { a.RemoveAt(2, 5); }));
  EXPECT_TRUE(throwsInvalid([&] { a.SetAtGrow(-2, 0.0); }));
  EXPECT_TRUE(throwsInvalid([&] { a.InsertAt(0, (const CFloatArray*)nullptr); }));
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a.GetUpperValid(), 1);
  // Checks with ranges outside the array do nothing harmful.
  a.CheckMonotonousCondition(50, 60);
  a.CheckMonotonousCondition(-5, -7);
  EXPECT_EQ(a.GetMonotone(), CFloatArray::monoDescending);
}

}  // namespace
