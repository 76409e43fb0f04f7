#include "platform/core/Collections.h"
#include "platform/core/StringArray.h"
#include "tests/support/Throws.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

class CItem : public CObject {
  DECLARE_SERIAL(CItem)
 public:
  explicit CItem(WORD v = 0) : m_v(v) {}
  WORD m_v;
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) ar << m_v; else ar >> m_v;
  }
};
IMPLEMENT_SERIAL(CItem, CObject, 0)

namespace {

using Bytes = std::vector<BYTE>;

Bytes Store(CObject& o) {
  CMemFile f;
  {
    CArchive ar(&f, CArchive::store);
    o.Serialize(ar);
  }
  Bytes out((size_t)f.GetLength());
  f.SeekToBegin();
  if (!out.empty()) f.Read(out.data(), (UINT)out.size());
  return out;
}

int Load(const Bytes& bytes, CObject& o) {
  Bytes copy = bytes;
  CMemFile f(copy.empty() ? nullptr : copy.data(), (UINT)copy.size());
  CArchive ar(&f, CArchive::load);
  try {
    o.Serialize(ar);
  } catch (CArchiveException* e) {
    int cause = e->m_cause;
    e->Delete();
    return cause;
  }
  return -1;
}

using dravonix::test::ThrowsInvalidArg;

void DeleteAll(CObArray& a) {
  std::vector<CObject*> seen;
  for (INT_PTR i = 0; i < a.GetSize(); ++i)
    if (a[i] && std::find(seen.begin(), seen.end(), a[i]) == seen.end()) seen.push_back(a[i]);
  for (CObject* o : seen) delete o;
  a.RemoveAll();
}

}  // namespace

TEST(Collections, ArrayOperations) {
  CDWordArray a;
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(a.GetUpperBound(), -1);
  a.SetSize(3, 16);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a[2], 0u);
  EXPECT_EQ(a.Add(7), 3);
  a.SetAt(0, 1);
  a.ElementAt(1) = 2;
  a[2] = 3;
  a.InsertAt(1, 9, 2);  // 1 9 9 2 3 7
  a.RemoveAt(4);        // 1 9 9 2 7
  a.SetAtGrow(6, 5);    // 1 9 9 2 7 0 5
  std::vector<DWORD> got(a.GetData(), a.GetData() + a.GetSize());
  EXPECT_EQ(got, (std::vector<DWORD>{1, 9, 9, 2, 7, 0, 5}));
  a.InsertAt(9, 4);  // past the end: the gap is zeros
  EXPECT_EQ(a.GetSize(), 10);
  EXPECT_EQ(a[8], 0u);
  EXPECT_EQ(a[9], 4u);

  CDWordArray b;
  b.Add(100);
  b.Add(200);
  EXPECT_EQ(a.Append(b), 10);
  EXPECT_EQ(a.GetCount(), 12);
  a.InsertAt(0, &b);
  EXPECT_EQ(a[0], 100u);
  EXPECT_EQ(a[1], 200u);
  EXPECT_EQ(a[2], 1u);
  b.Copy(a);
  EXPECT_EQ(b.GetSize(), 14);
  a.RemoveAt(0, 14);
  EXPECT_TRUE(a.IsEmpty());
  a.FreeExtra();

  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)b[14]; }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { b.GetAt(-1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { b.SetAt(100, 1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { b.RemoveAt(13, 2); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { b.SetSize(-1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { b.InsertAt(-1, (DWORD)0); }));
  EXPECT_EQ(b.GetSize(), 14);

  // Adding an element of the array itself while it moves.
  CArray<CString, LPCTSTR> s;
  s.Add("first");
  for (int i = 0; i < 1000; ++i) s.Add(s[0]);
  EXPECT_EQ(s[1000], "first");
  CArray<double> d;
  d.Add(1.5);
  d.SetAtGrow(2, d[0]);
  EXPECT_EQ(d[2], 1.5);
  EXPECT_EQ(d[1], 0.0);
}

TEST(Collections, ArraysSerializeInTheFrameworkForm) {
  CDWordArray dw;
  dw.Add(1);
  dw.Add(0x10203040);
  EXPECT_EQ(Store(dw), (Bytes{0x02, 0x00, 0x01, 0, 0, 0, 0x40, 0x30, 0x20, 0x10}));
  CWordArray w;
  w.Add(0x0505);
  EXPECT_EQ(Store(w), (Bytes{0x01, 0x00, 0x05, 0x05}));
  CByteArray by;
  for (int i = 0; i < 70000; ++i) by.Add((BYTE)i);
  Bytes bb = Store(by);
  ASSERT_EQ(bb.size(), 6u + 70000);
  EXPECT_EQ(Bytes(bb.begin(), bb.begin() + 7), (Bytes{0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 0x00}));
  CByteArray by2;
  EXPECT_EQ(Load(bb, by2), -1);
  EXPECT_EQ(by2.GetSize(), 70000);
  EXPECT_EQ(by2[69999], (BYTE)69999);

  CArray<double> d;
  d.Add(-2.0);
  EXPECT_EQ(Store(d), (Bytes{0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0xC0}));

  // A corrupt count meets the end of the data instead of allocating it.
  CDWordArray big;
  EXPECT_EQ(Load({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x01}, big), CArchiveException::endOfFile);
  EXPECT_EQ(Load({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x01}, by2), CArchiveException::endOfFile);
  CObArray obs;
  EXPECT_EQ(Load({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00}, obs), CArchiveException::endOfFile);
}

TEST(Collections, ObjectArraysKeepSharedObjectsShared) {
  CObArray a;
  auto* one = new CItem(0x4142);
  a.Add(one);
  a.Add(one);
  a.Add(nullptr);
  Bytes b = Store(a);
  Bytes want = {0x03, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x05, 0x00, 'C', 'I', 't', 'e', 'm',
                0x42, 0x41, 0x02, 0x00, 0x00, 0x00};
  EXPECT_EQ(b, want);
  CObArray back;
  EXPECT_EQ(Load(b, back), -1);
  ASSERT_EQ(back.GetSize(), 3);
  EXPECT_EQ(back[0], back[1]);
  EXPECT_EQ(back[2], nullptr);
  EXPECT_EQ(static_cast<CItem*>(back[0])->m_v, 0x4142);
  DeleteAll(back);
  for (size_t n = 0; n < b.size(); ++n) {
    EXPECT_EQ(Load(Bytes(b.begin(), b.begin() + (ptrdiff_t)n), back), CArchiveException::endOfFile) << n;
    DeleteAll(back);
  }
  CTypedPtrArray<CObArray, CItem*> typed;
  EXPECT_EQ(Load(b, typed), -1);
  EXPECT_EQ(typed[0]->m_v, 0x4142);
  CItem* first = typed.GetAt(0);
  typed.RemoveAll();
  delete first;
  DeleteAll(a);
}

TEST(Collections, ListsWalkInsertFindAndRemove) {
  CPtrList l;
  int v[5] = {0, 1, 2, 3, 4};
  POSITION p2 = l.AddTail(&v[2]);
  l.AddHead(&v[0]);
  l.InsertBefore(p2, &v[1]);
  POSITION p3 = l.InsertAfter(p2, &v[3]);
  l.InsertAfter(nullptr, &v[4]);
  EXPECT_EQ(l.GetCount(), 5);
  std::vector<int> seen;
  for (POSITION p = l.GetHeadPosition(); p;) seen.push_back(*static_cast<int*>(l.GetNext(p)));
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));
  seen.clear();
  for (POSITION p = l.GetTailPosition(); p;) seen.push_back(*static_cast<int*>(l.GetPrev(p)));
  EXPECT_EQ(seen, (std::vector<int>{4, 3, 2, 1, 0}));
  EXPECT_EQ(l.Find(&v[3]), p3);
  EXPECT_EQ(l.Find(&v[3], p3), nullptr);
  EXPECT_EQ(l.FindIndex(2), p2);
  EXPECT_EQ(l.FindIndex(5), nullptr);
  l.RemoveAt(p2);
  EXPECT_EQ(l.RemoveHead(), &v[0]);
  EXPECT_EQ(l.RemoveTail(), &v[4]);
  EXPECT_EQ(l.GetHead(), &v[1]);
  EXPECT_EQ(l.GetTail(), &v[3]);
  l.RemoveAll();
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_TRUE(ThrowsInvalidArg([&] { l.GetHead(); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { l.RemoveTail(); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { POSITION p = nullptr; l.GetNext(p); }));

  CTypedPtrList<CObList, CItem*> items;
  items.AddTail(new CItem(1));
  items.AddTail(new CItem(2));
  Bytes b = Store(items);
  EXPECT_EQ(b[0], 0x02);
  CTypedPtrList<CObList, CItem*> back;
  EXPECT_EQ(Load(b, back), -1);
  EXPECT_EQ(back.GetHead()->m_v, 1);
  EXPECT_EQ(back.GetTail()->m_v, 2);
  while (!items.IsEmpty()) delete items.RemoveHead();
  while (!back.IsEmpty()) delete back.RemoveHead();
}

TEST(Collections, MapsLookUpRemoveAndIterateInAdditionOrder) {
  CMapStringToString m;
  m.InitHashTable(17);
  m.SetAt("b", "2");
  m.SetAt("a", "1");
  m["c"] = "3";
  m.SetAt("b", "two");
  CString v;
  EXPECT_TRUE(m.Lookup("b", v));
  EXPECT_EQ(v, "two");
  EXPECT_FALSE(m.Lookup("B", v));  // keys are exact
  EXPECT_EQ(m.GetCount(), 3);
  std::vector<CString> keys;
  CString k;
  for (POSITION p = m.GetStartPosition(); p;) {
    m.GetNextAssoc(p, k, v);
    keys.push_back(k);
  }
  EXPECT_EQ(keys, (std::vector<CString>{"b", "a", "c"}));
  Bytes b = Store(m);
  EXPECT_EQ(b, (Bytes{0x03, 0x00, 0x01, 'b', 0x03, 't', 'w', 'o', 0x01, 'a', 0x01, '1', 0x01, 'c', 0x01, '3'}));
  CMapStringToString back;
  EXPECT_EQ(Load(b, back), -1);
  EXPECT_TRUE(back.Lookup("c", v));
  EXPECT_EQ(v, "3");
  EXPECT_TRUE(m.RemoveKey("a"));
  EXPECT_FALSE(m.RemoveKey("a"));
  EXPECT_EQ(m.GetCount(), 2);
  m.RemoveAll();
  EXPECT_TRUE(m.IsEmpty());
  EXPECT_EQ(m.GetStartPosition(), nullptr);

  // Many keys stay fast, and removing the entry just returned while walking is safe.
  CMapWordToPtr big;
  for (int i = 0; i < 60000; ++i) big[(WORD)i] = (void*)(intptr_t)(i + 1);
  EXPECT_EQ(big.GetCount(), 60000);
  void* pv = nullptr;
  EXPECT_TRUE(big.Lookup(54321, pv));
  EXPECT_EQ((intptr_t)pv, 54322);
  WORD wk;
  int walked = 0;
  for (POSITION p = big.GetStartPosition(); p;) {
    big.GetNextAssoc(p, wk, pv);
    EXPECT_EQ(wk, walked);
    if (wk % 2) big.RemoveKey(wk);
    ++walked;
  }
  EXPECT_EQ(big.GetCount(), 30000);

  CMapPtrToWord pw;
  int x, y;
  pw[&x] = 1;
  pw[&y] = 2;
  WORD w;
  EXPECT_TRUE(pw.Lookup(&y, w));
  EXPECT_EQ(w, 2);
  CMapPtrToPtr pp;
  pp.SetAt(&x, &y);
  EXPECT_TRUE(pp.Lookup(&x, pv));
  EXPECT_EQ(pv, &y);
  CMap<double, double, DWORD, DWORD> dm;
  dm[0.0] = 5;
  DWORD dv;
  EXPECT_TRUE(dm.Lookup(-0.0, dv));
  EXPECT_EQ(dv, 5u);
}

TEST(Collections, ObjectMapsSerializeTheirObjects) {
  CTypedPtrMap<CMapWordToOb, WORD, CItem*> m;
  m[7] = new CItem(70);
  m.SetAt(8, new CItem(80));
  Bytes b = Store(m);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 4), (Bytes{0x02, 0x00, 0x07, 0x00}));
  CTypedPtrMap<CMapWordToOb, WORD, CItem*> back;
  EXPECT_EQ(Load(b, back), -1);
  CItem* it = nullptr;
  EXPECT_TRUE(back.Lookup(8, it));
  EXPECT_EQ(it->m_v, 80);

  CTypedPtrMap<CMapStringToOb, CString, CItem*> sm;
  sm["x"] = new CItem(1);
  Bytes sb = Store(sm);
  CMapStringToOb sback;
  EXPECT_EQ(Load(sb, sback), -1);
  CObject* o = nullptr;
  EXPECT_TRUE(sback.Lookup("x", o));
  EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CItem)));
  delete o;

  for (auto* map : {&m, &back}) {
    WORD k;
    CItem* v;
    for (POSITION p = map->GetStartPosition(); p;) {
      map->GetNextAssoc(p, k, v);
      delete v;
    }
  }
  CString k;
  CItem* v;
  for (POSITION p = sm.GetStartPosition(); p;) {
    sm.GetNextAssoc(p, k, v);
    delete v;
  }
}

TEST(Collections, TemplatesOverOtherTypes) {
  CArray<CPoint, CPoint> pts;
  pts.Add(CPoint(1, -2));
  Bytes b = Store(pts);
  EXPECT_EQ(b, (Bytes{0x01, 0x00, 0x01, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
  CArray<CPoint, CPoint> ptsBack;
  EXPECT_EQ(Load(b, ptsBack), -1);
  EXPECT_EQ(ptsBack[0], CPoint(1, -2));

  CList<CString, LPCTSTR> names;
  names.AddTail("one");
  names.AddTail("two");
  EXPECT_NE(names.Find("two"), nullptr);
  EXPECT_EQ(names.Find("three"), nullptr);
  CList<CString, LPCTSTR> namesBack;
  EXPECT_EQ(Load(Store(names), namesBack), -1);
  EXPECT_EQ(namesBack.GetTail(), "two");

  CMap<int, int, CString, LPCTSTR> byNumber;
  byNumber[3] = "three";
  CMap<int, int, CString, LPCTSTR> byNumberBack;
  EXPECT_EQ(Load(Store(byNumber), byNumberBack), -1);
  CString s;
  EXPECT_TRUE(byNumberBack.Lookup(3, s));
  EXPECT_EQ(s, "three");

  int a = 1, c = 2;
  CTypedPtrArray<CPtrArray, int*> ints;
  ints.Add(&a);
  ints[0] = &c;
  EXPECT_EQ(*ints.GetAt(0), 2);
  CTypedPtrList<CPtrList, int*> intList;
  intList.AddTail(&a);
  POSITION p = intList.GetHeadPosition();
  EXPECT_EQ(intList.GetNext(p), &a);
  CTypedPtrMap<CMapPtrToPtr, int*, int*> links;
  links.SetAt(&a, &c);
  int* found = nullptr;
  EXPECT_TRUE(links.Lookup(&a, found));
  EXPECT_EQ(found, &c);
  int* key = nullptr;
  p = links.GetStartPosition();
  links.GetNextAssoc(p, key, found);
  EXPECT_EQ(key, &a);
  CTypedPtrMap<CMapStringToPtr, CString, int*> named;
  named["a"] = &a;
  EXPECT_TRUE(named.Lookup("a", found));
  EXPECT_EQ(found, &a);
  EXPECT_TRUE(named.RemoveKey("a"));
}

TEST(Collections, LargeArraysRoundTripThroughAnArchive) {
  CDWordArray a;
  for (DWORD i = 0; i < 1000000; ++i) a.Add(i * 3);
  Bytes b = Store(a);
  ASSERT_EQ(b.size(), 6u + 4000000);
  CDWordArray back;
  EXPECT_EQ(Load(b, back), -1);
  ASSERT_EQ(back.GetSize(), 1000000);
  EXPECT_EQ(back[999999], 999999u * 3);
}

TEST(Collections, StringArraysSerializeAsCountAndStrings) {
  CStringArray a;
  a.Add("ab");
  a.Add("");
  a.Add(CString('z', 300));
  Bytes b = Store(a);
  ASSERT_EQ(b.size(), 2u + 3 + 1 + 3 + 300);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 7), (Bytes{0x03, 0x00, 0x02, 'a', 'b', 0x00, 0xFF}));
  CStringArray back;
  back.Add("old");
  EXPECT_EQ(Load(b, back), -1);
  ASSERT_EQ(back.GetSize(), 3);
  EXPECT_EQ(back[0], "ab");
  EXPECT_EQ(back[2], CString('z', 300));
  for (size_t n = 0; n < b.size(); ++n)
    EXPECT_EQ(Load(Bytes(b.begin(), b.begin() + (ptrdiff_t)n), back), CArchiveException::endOfFile) << n;
  EXPECT_EQ(Load({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}, back), CArchiveException::endOfFile);
  EXPECT_TRUE(RUNTIME_CLASS(CStringArray)->IsDerivedFrom(RUNTIME_CLASS(CObject)));
  CObject* made = CRuntimeClass::CreateObject("CStringArray");
  ASSERT_NE(made, nullptr);
  delete made;
}
