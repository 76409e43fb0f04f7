// The grid's hash maps, bit sets and printer settings.
#include "grid/engine/GXCollMap.h"
#include "grid/engine/GXPrintDevice.h"
#include "platform/ui/CommonDialogs.h"
#include "tests/grid_engine/GridTestUtil.h"

#include <map>

using namespace gridtest;

namespace {

std::map<DWORD, LONG> Entries(const CGXCollMapDWordToLong& m) {
  std::map<DWORD, LONG> out;
  POSITION pos = m.GetStartPosition();
  while (pos) {
    DWORD k;
    LONG v;
    m.GetNextAssoc(pos, k, v);
    out[k] = v;
  }
  return out;
}

std::string Bits(const CByteArray& b, DWORD n) {
  std::string s;
  for (DWORD i = 0; i < n; ++i) s += GXGetBit(b, i) ? '1' : '0';
  return s;
}

}  // namespace

TEST(GridMaps, ShiftOperationsRenumberKeys) {
  struct Case {
    const char* name;
    void (*shift)(CGXCollMapDWordToLong&);
    std::map<DWORD, LONG> expected;
  } cases[] = {
      {"insert 5, 2", [](CGXCollMapDWordToLong& m) { m.InsertKeys(5, 2); }, {{3, 30}, {7, 50}, {11, 90}}},
      {"remove 4..6", [](CGXCollMapDWordToLong& m) { m.RemoveKeys(4, 6); }, {{3, 30}, {6, 90}}},
      {"move 3 to 8", [](CGXCollMapDWordToLong& m) { m.MoveKeys(3, 3, 8); }, {{4, 50}, {8, 30}, {9, 90}}},
      {"move 9 to 3", [](CGXCollMapDWordToLong& m) { m.MoveKeys(9, 9, 3); }, {{3, 90}, {4, 30}, {6, 50}}},
      // Keys pushed past the largest index leave; none wraps onto a small key.
      {"insert 5, 2 beside the last keys",
       [](CGXCollMapDWordToLong& m) {
         m[0] = 1;
         m[0xFFFFFFFE] = 2;
         m[0xFFFFFFFD] = 3;
         m.InsertKeys(5, 2);
       },
       {{0, 1}, {3, 30}, {7, 50}, {11, 90}, {0xFFFFFFFF, 3}}},
      {"move 9 past the last key",
       [](CGXCollMapDWordToLong& m) {
         m[10] = 100;
         m.MoveKeys(9, 10, 0xFFFFFFFF);
       },
       {{3, 30}, {5, 50}, {0xFFFFFFFF, 90}}},
  };
  for (const Case& c : cases) {
    CGXMapDWordToLong m;
    m[3] = 30;
    m[5] = 50;
    m[9] = 90;
    c.shift(m);
    EXPECT_EQ(Entries(m), c.expected) << c.name;
  }
}

TEST(GridMaps, LookupIterationAndArchive) {
  CGXMapDWordToLong m;
  EXPECT_FALSE(m.HasHashTable());  // nothing allocated before the first insertion
  LONG v = 0;
  EXPECT_FALSE(m.Lookup(7, v));
  // Many keys in one bucket are still found and keep their bucket order.
  for (DWORD k = 0; k < 200000; ++k) m[k * 17 * 16] = (LONG)k;
  EXPECT_TRUE(m.HasHashTable());
  ASSERT_TRUE(m.Lookup(17 * 16 * 199999, v));
  EXPECT_EQ(v, 199999);
  EXPECT_TRUE(m.RemoveKey(0));
  EXPECT_FALSE(m.RemoveKey(0));
  EXPECT_EQ(m.GetCount(), 199999);
  // More than 65535 entries cannot be written with a 16-bit count.
  CGXMapDWordToLong big;
  for (DWORD k = 0; k < 70000; ++k) big[k] = 1;
  CException* e = nullptr;
  try {
    Store([&](CArchive& ar) { big.Serialize(ar); });
  } catch (CException* ex) {
    e = ex;
  }
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CArchiveException)));
  e->Delete();

  CGXMapDWordToLong small;
  small[0] = 1400;
  small[20] = -5;
  small[4] = 7;
  const Bytes bytes = Store([&](CArchive& ar) { small.Serialize(ar); });
  // Count, then pairs in bucket order: keys 0 and 4 share bucket 0 (newest first), 20 is in bucket 1.
  const Bytes expected = {3, 0, 4, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0x78, 5, 0, 0, 20, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(bytes, expected);
  CGXMapDWordToLong back;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_EQ(Entries(back), Entries(small));
  EXPECT_EQ(Load(Bytes(bytes.begin(), bytes.begin() + 9), [&](CArchive& ar) { back.Serialize(ar); }),
            CArchiveException::endOfFile);
}

TEST(GridMaps, StringAndCellMaps) {
  CGXCollMapStringToHandle names;
  names["bitmap"] = (HANDLE)1;
  HANDLE h = nullptr;
  EXPECT_TRUE(names.Lookup("bitmap", h));
  EXPECT_FALSE(names.Lookup("BITMAP", h));  // keys keep their case
  EXPECT_EQ(CGXCollMapStringToHandle::HashKey("\xE9"), 0xFFFFFFE9u);  // bytes count signed
  EXPECT_EQ(CGXCollMapStringToHandle::HashKey("a\xE9"), 97u * 33 - 23);

  CGXMapCellToOb cells;
  CGXStyle* a = new CGXStyle;
  a->SetValue("a");
  cells(3, 4) = a;
  cells(4, 3) = nullptr;
  CObject* o = nullptr;
  EXPECT_TRUE(cells.Lookup(3, 4, o));
  EXPECT_EQ(o, a);
  const Bytes bytes = Store([&](CArchive& ar) { cells.Serialize(ar); });
  CGXMapCellToOb back;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  ASSERT_TRUE(back.Lookup(3, 4, o));
  EXPECT_EQ(static_cast<CGXStyle*>(o)->GetValue(), "a");
  delete o;
  delete a;
}

TEST(GridBits, SetInsertRemoveMove) {
  CByteArray b;
  EXPECT_FALSE(GXGetBit(b, 100));
  EXPECT_TRUE(GXSetBit(b, 100, TRUE));
  EXPECT_EQ(b.GetSize(), 13);
  EXPECT_FALSE(GXSetBit(b, 100, TRUE));  // no change
  struct Case {
    const char* name;
    void (*op)(CByteArray&);
    const char* bits;
  } cases[] = {
      {"insert 1, 2", [](CByteArray& x) { GXInsertBits(x, 1, 2); }, "1000010100"},
      {"remove 1..2", [](CByteArray& x) { GXRemoveBits(x, 1, 2); }, "1101000000"},
      {"move 0 to 3", [](CByteArray& x) { GXMoveBits(x, 0, 0, 3); }, "0011010000"},
      {"move 4 to 0", [](CByteArray& x) { GXMoveBits(x, 4, 4, 0); }, "0100110000"},
  };
  for (const Case& c : cases) {
    CByteArray x;
    for (DWORD i : {0u, 3u, 5u}) GXSetBit(x, i, TRUE);  // 100101
    c.op(x);
    EXPECT_EQ(Bits(x, 10), c.bits) << c.name;
  }
}

TEST(GridPrintDevice, DefaultPrinterArchiveAndBadInput) {
  CGXPrintDevice pd;
  EXPECT_FALSE(pd.GetDevNames());
  HDC dc = pd.GetPrintDC();  // loads the default printer first
  ASSERT_TRUE(dc);
  EXPECT_EQ(pd.GetPrintDC(), dc);
  ASSERT_TRUE(pd.GetDevNames());
  const auto* dm = static_cast<const DEVMODE*>(GlobalLock(pd.GetDevMode()));
  ASSERT_TRUE(dm);
  EXPECT_EQ(dm->dmTTOption, 1);
  GlobalUnlock(pd.GetDevMode());

  const Bytes bytes = Store([&](CArchive& ar) { pd.Serialize(ar); });
  CGXPrintDevice back;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_TRUE(back.IsSameDevice(pd.GetDevNames(), pd.GetDevMode()));
  HGLOBAL names, mode;
  back.GetDeviceCopies(names, mode);
  EXPECT_TRUE(pd.IsSameDevice(names, mode));
  GlobalFree(names);
  GlobalFree(mode);
  back.SetDevice("x", 1, nullptr, 0);
  EXPECT_FALSE(back.IsSameDevice(pd.GetDevNames(), pd.GetDevMode()));

  Bytes huge = {1, 0, 0xFF, 0xFF, 0x02, 0};  // 131,071 bytes of DEVNAMES
  Bytes schema2 = bytes;
  schema2[0] = 2;
  EXPECT_EQ(Load(huge, [&](CArchive& ar) { back.Serialize(ar); }), CArchiveException::badIndex);
  EXPECT_EQ(Load(schema2, [&](CArchive& ar) { back.Serialize(ar); }), CArchiveException::badSchema);
  EXPECT_EQ(Load(Bytes(bytes.begin(), bytes.end() - 3), [&](CArchive& ar) { back.Serialize(ar); }),
            CArchiveException::endOfFile);
}

TEST(GridPrintDevice, ABlockThatCannotBeMadeRaisesAMemoryExceptionAfterBothWereTried) {
  CGXPrintDevice pd;
  HGLOBAL names = (HGLOBAL)1, mode = (HGLOBAL)1;
  pd.GetDeviceCopies(names, mode);  // nothing held: none for either
  EXPECT_FALSE(names);
  EXPECT_FALSE(mode);
  const char mode10[10] = {7};
  bool thrown = false;
  try {
    pd.SetDevice("n", 0xFFFFFFF0u, mode10, 10);
  } catch (CMemoryException* e) {
    e->Delete();
    thrown = true;
  }
  EXPECT_TRUE(thrown);
  EXPECT_FALSE(pd.GetDevNames());
  ASSERT_TRUE(pd.GetDevMode());
  EXPECT_EQ(GlobalSize(pd.GetDevMode()), 10u);
}
