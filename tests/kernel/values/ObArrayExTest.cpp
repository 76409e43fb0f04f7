#include "kernel/values/ObArrayEx.h"
#include "tests/support/Throws.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_deleted;

class CItem : public CObject {
  DECLARE_DYNCREATE(CItem)
 public:
  CItem() = default;
  explicit CItem(std::string name) : m_name(std::move(name)) {}
  CItem(const CItem& other) : CObject(), m_name(other.m_name + "'") {}
  ~CItem() override { g_deleted.push_back(m_name); }
  virtual CItem& operator=(const CItem& other) {
    m_name = other.m_name + "=";
    return *this;
  }
  std::string m_name;
};
IMPLEMENT_DYNCREATE(CItem, CObject)

class CBigItem : public CItem {
  DECLARE_DYNCREATE(CBigItem)
 public:
  CBigItem() = default;
  CBigItem(std::string name, int size) : CItem(std::move(name)), m_size(size) {}
  CItem& operator=(const CItem& other) override {
    CItem::operator=(other);
    if (const CBigItem* big = dynamic_cast<const CBigItem*>(&other)) m_size = big->m_size;
    return *this;
  }
  int m_size = 0;
};
IMPLEMENT_DYNCREATE(CBigItem, CItem)

// Run-time class information without dynamic creation.
class CFixedItem : public CItem {
  DECLARE_DYNAMIC(CFixedItem)
 public:
  using CItem::CItem;
};
IMPLEMENT_DYNAMIC(CFixedItem, CItem)

template <class T>
void Fill(CObArrayEx<T>& a, std::initializer_list<const char*> names) {
  for (const char* n : names) a.Add(n ? new T(n) : nullptr);
}

template <class T>
std::string Names(const CObArrayEx<T>& a) {
  std::string s;
  for (int i = 0; i < a.GetSize(); ++i) s += (a[i] ? a[i]->m_name : std::string("-")) + " ";
  return s;
}

using dravonix::test::ThrowsInvalidArg;

class ObArrayEx : public ::testing::Test {
 protected:
  void SetUp() override { g_deleted.clear(); }
};

}  // namespace

TEST_F(ObArrayEx, RemoveAtDeletesOnlyWhenOwning) {
  {
    CObArrayEx<CItem> a;
    Fill(a, {"a", "b", "c", "d", "e"});
    a.RemoveAt(2, 3);
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(g_deleted, (std::vector<std::string>{"c", "d", "e"}));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(1, 2); }));
    EXPECT_EQ(a.GetSize(), 2);  // nothing deleted by the refused range
    EXPECT_EQ(g_deleted.size(), 3u);
  }
  EXPECT_EQ(g_deleted, (std::vector<std::string>{"c", "d", "e", "a", "b"}));

  g_deleted.clear();
  CItem x("x"), y("y");
  {
    CObArrayEx<CItem> a(FALSE);
    a.Add(&x);
    a.Add(&y);
    a.RemoveAt(0);
    EXPECT_EQ(a.GetSize(), 1);
    a.RemoveAll();
    a.Add(&x);
  }
  EXPECT_TRUE(g_deleted.empty());
}

TEST_F(ObArrayEx, OwningFlagCanBeSwitched) {
  CItem* kept = new CItem("kept");
  {
    CObArrayEx<CItem> a;
    EXPECT_TRUE(a.GetOwnsElements());
    a.Add(kept);
    a.SetOwnsElements(FALSE);
    a.RemoveAll();
    a.SetOwnsElements(TRUE);
    Fill(a, {"gone"});
  }
  EXPECT_EQ(g_deleted, (std::vector<std::string>{"gone"}));
  delete kept;
}

TEST_F(ObArrayEx, NullsFindAndSetSize) {
  CObArrayEx<CItem> a;
  Fill(a, {"a", nullptr, "b", nullptr});
  EXPECT_EQ(a.Find(nullptr), -1);
  CItem* b = a[2];
  EXPECT_EQ(a.Find(b), 2);
  a.RemoveNulls();
  EXPECT_EQ(Names(a), "a b ");
  EXPECT_EQ(a.Find(b), 1);
  CItem other("other");
  EXPECT_EQ(a.Find(&other), -1);

  // Shrinking does not delete; the elements stay the caller's.
  CItem* first = a[0];
  a.SetSize(0);
  EXPECT_TRUE(g_deleted.empty());
  delete first;
  delete b;
  g_deleted.clear();

  a.SetSize(3);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a[1], nullptr);
}

TEST_F(ObArrayEx, IndexChecksThrowInvalidArgument) {
  CObArrayEx<CItem> a;
  Fill(a, {"a", "b"});
  const CObArrayEx<CItem>& ca = a;
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.GetAt(-1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)ca[2]; }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a[2] = nullptr; }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.ElementAt(-1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAt(5, nullptr); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(-1); }));
  EXPECT_FALSE(ThrowsInvalidArg([&] { a.GetAt(1); }));

  // SetAt over an occupied slot leaves the old element alive and no longer held.
  CItem* old = a[0];
  a.SetAt(0, new CItem("new"));
  EXPECT_TRUE(g_deleted.empty());
  EXPECT_EQ(a.Find(old), -1);
  delete old;

  // A slot reference writes through.
  a.ElementAt(1)->m_name = "B";
  CItem* replaced = a[1];
  a[1] = new CItem("c");
  delete replaced;
  EXPECT_EQ(Names(a), "new c ");
}

TEST_F(ObArrayEx, InsertCopyAndAppendAreShallow) {
  CObArrayEx<CItem> a;
  Fill(a, {"a", "b"});
  CObArrayEx<CItem> view(FALSE);
  view.Copy(a);
  EXPECT_EQ(view[0], a[0]);
  EXPECT_EQ(view.Append(a), 2);
  EXPECT_EQ(view.GetSize(), 4);
  CItem* c = new CItem("c");
  a.InsertAt(1, c, 1);
  EXPECT_EQ(Names(a), "a c b ");
  view.InsertAt(0, &a);
  EXPECT_EQ(view.GetSize(), 7);
  EXPECT_EQ(view[1], c);
  view.RemoveAll();
  view.FreeExtra();
  EXPECT_TRUE(g_deleted.empty());
}

TEST_F(ObArrayEx, DeepCopyThroughCopyConstructor) {
  CObArrayEx<CItem> a;
  Fill(a, {"a", nullptr, "b"});
  CObArrayEx<CItem> b;
  Fill(b, {"old"});
  b.CopyDuplicatedElements(a);
  EXPECT_EQ(g_deleted, (std::vector<std::string>{"old"}));
  EXPECT_EQ(Names(b), "a' - b' ");
  EXPECT_NE(b[0], a[0]);
  // Copying onto itself keeps the elements.
  b.CopyDuplicatedElements(b);
  EXPECT_EQ(Names(b), "a' - b' ");
}

TEST_F(ObArrayEx, DynamicDeepCopyCreatesRunTimeClasses) {
  CObArrayEx<CItem> a;
  a.Add(new CItem("plain"));
  a.Add(new CBigItem("big", 42));
  a.Add(nullptr);
  a.Add(new CFixedItem("fixed"));
  CObArrayEx<CItem> b;
  b.CopyDynamicDuplicatedElements(a);
  ASSERT_EQ(b.GetSize(), 4);
  EXPECT_EQ(b[0]->GetRuntimeClass(), RUNTIME_CLASS(CItem));
  EXPECT_EQ(b[0]->m_name, "plain=");
  ASSERT_EQ(b[1]->GetRuntimeClass(), RUNTIME_CLASS(CBigItem));
  EXPECT_EQ(static_cast<CBigItem*>(b[1])->m_size, 42);
  EXPECT_EQ(b[2], nullptr);
  // A class without dynamic creation gives a null entry.
  EXPECT_EQ(b[3], nullptr);
}
