// The grid parameter block: archive form, defaults, borrowed objects and failed loads.
#include "grid/engine/GXData.h"
#include "grid/engine/GXDelayedRange.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXPrintDevice.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXSpanCellPool.h"
#include "grid/engine/GXStylesMap.h"
#include "tests/grid_engine/GridTestUtil.h"

#include <functional>
#include <vector>

using namespace gridtest;

namespace {

void ExpectDefaults(const CGXGridParam& p) {
  EXPECT_TRUE(p.m_bNumberedRowHeaders);
  EXPECT_TRUE(p.m_bLetteredColHeaders);
  EXPECT_EQ(p.m_wAllowSelection, 0x00FF);
  EXPECT_EQ(p.m_wAllowTrackRowHeight, 0x00B2);
  EXPECT_EQ(p.m_wActivateFlags, 1);
  EXPECT_EQ(p.m_wShowCurrentCell, 2);
  EXPECT_EQ(p.m_nDefaultRowHeight, 1200u);
  EXPECT_EQ(p.m_nDefaultColWidth, 10000u);
  EXPECT_EQ(p.m_nMaxUndo, 512u);
  EXPECT_EQ(p.m_wEnterMoveDir, 4);
  EXPECT_TRUE(p.m_bUndoEnabled);
  EXPECT_TRUE(p.m_bSheetNameEditable);
  LONG v = 0;
  EXPECT_TRUE(p.m_RowHeights.Lookup(0, v));
  EXPECT_EQ(v, 1400);
  EXPECT_TRUE(p.m_ColWidths.Lookup(0, v));
  EXPECT_EQ(v, 6000);
  EXPECT_EQ(p.m_RowHeights.GetCount(), 1);
  for (DWORD d : p.m_aFreezeRowsSave) EXPECT_EQ(d, 0u);
}

}  // namespace

TEST(GridParam, FreshBlockRoundTripsItsDefaults) {
  CGXGridParam p;
  ExpectDefaults(p);
  const Bytes bytes = Store([&](CArchive& ar) { p.Serialize(ar); });
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 6);
  EXPECT_EQ(bytes[1], 0);
  CGXGridParam back;
  back.m_nDefaultRowHeight = 1;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  ExpectDefaults(back);
  // Schema 6 stays byte-exact: storing again gives the same bytes.
  EXPECT_EQ(Store([&](CArchive& ar) { back.Serialize(ar); }), bytes);
}

TEST(GridParam, OwnedObjectsTravelBorrowedOnesStay) {
  CGXStylesMap borrowed;
  borrowed.CreateStandardStyles();
  CGXGridParam p;
  p.SetStylesMap(&borrowed, FALSE);
  auto* data = new CGXData;
  CGXStyle s;
  s.SetValue("kept");
  data->StoreStyleAt(3, 2, &s, 0);
  p.SetData(data, TRUE);
  auto* props = new CGXProperties;
  props->SetZoom(120);
  p.SetProperties(props, TRUE);
  p.m_strSheetName = "Sheet";
  p.m_nFrozenRows = 2;
  const Bytes bytes = Store([&](CArchive& ar) { p.Serialize(ar); });

  CGXGridParam back;
  CGXStylesMap mine;
  back.SetStylesMap(&mine, FALSE);
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_EQ(back.GetStylesMap(), &mine);  // not stored, and left in place
  EXPECT_FALSE(back.m_bOwnStylesMap);
  ASSERT_TRUE(back.GetData());
  CGXStyle got;
  ASSERT_TRUE(back.GetData()->GetStyleAt(3, 2, got, 2));
  EXPECT_EQ(got.GetValue(), "kept");
  ASSERT_TRUE(back.GetProperties());
  EXPECT_EQ(back.GetProperties()->GetZoom(), 120);
  EXPECT_EQ(back.m_strSheetName, "Sheet");
  EXPECT_EQ(back.m_nFrozenRows, 2u);
}

TEST(GridParam, FailedLoadsLeaveTheBlockAsItWas) {
  CGXGridParam p;
  p.SetData(new CGXData, TRUE);
  p.m_nFrozenCols = 3;
  const Bytes good = Store([&](CArchive& ar) { p.Serialize(ar); });
  Bytes schema7 = good;
  schema7[0] = 7;
  struct Case {
    const char* name;
    Bytes bytes;
    int cause;
  } cases[] = {
      {"truncated", Bytes(good.begin(), good.end() - 5), CArchiveException::endOfFile},
      {"halfway", Bytes(good.begin(), good.begin() + 40), CArchiveException::endOfFile},
      {"schema 7", schema7, CArchiveException::badSchema},
  };
  for (const Case& c : cases) {
    CGXGridParam target;
    auto* data = new CGXData;
    target.SetData(data, TRUE);
    target.m_nFrozenCols = 9;
    target.m_strSheetName = "mine";
    EXPECT_EQ(Load(c.bytes, [&](CArchive& ar) { target.Serialize(ar); }), c.cause) << c.name;
    EXPECT_EQ(target.GetData(), data) << c.name;
    EXPECT_EQ(target.m_nFrozenCols, 9u) << c.name;
    EXPECT_EQ(target.m_strSheetName, "mine") << c.name;
  }
}

TEST(GridParam, PoolsOwnedTwiceOrOfAnotherClassAreRefused) {
  enum Pool { kDelayedFloat, kFloat, kDelayedMerge, kMergeH, kMergeV };
  struct Case {
    const char* name;
    std::function<void(CGXGridParam&, std::vector<CObject*>&)> build;
    int cause;
  } cases[] = {
      {"one delayed pool twice",
       [](CGXGridParam& p, std::vector<CObject*>& made) {
         made.push_back(p.m_pDelayedFloatCellsPool = p.m_pDelayedMergeCellsPool = new CGXDelayedRangePool);
       },
       CArchiveException::badIndex},
      {"one merge pool twice",
       [](CGXGridParam& p, std::vector<CObject*>& made) {
         made.push_back(p.m_pMergeCellsPoolH = p.m_pMergeCellsPoolV = new CGXSpanCellPool);
       },
       CArchiveException::badIndex},
      {"the block as its own pool", [](CGXGridParam& p, std::vector<CObject*>&) { p.m_pFloatCellsPool = &p; },
       CArchiveException::badClass},
      {"the data as a pool",
       [](CGXGridParam& p, std::vector<CObject*>&) { p.m_pMergeCellsPoolV = p.GetData(); },
       CArchiveException::badClass},
      {"a foreign object",
       [](CGXGridParam& p, std::vector<CObject*>& made) { made.push_back(p.m_pFloatCellsPool = new CGXProperties); },
       CArchiveException::badClass},
  };
  for (const Case& c : cases) {
    Bytes bytes;
    {
      CGXGridParam p;
      p.SetData(new CGXData, TRUE);
      std::vector<CObject*> made;
      c.build(p, made);
      bytes = Store([&](CArchive& ar) { ar.WriteObject(&p); });
      for (CObject** pool : {&p.m_pDelayedFloatCellsPool, &p.m_pFloatCellsPool, &p.m_pDelayedMergeCellsPool,
                             &p.m_pMergeCellsPoolH, &p.m_pMergeCellsPoolV})
        *pool = nullptr;
      for (CObject* o : made) delete o;
    }
    // Read as a document reads it: the block is an object of the archive, so it can be named.
    EXPECT_EQ(Load(bytes, [](CArchive& ar) { delete ar.ReadObject(RUNTIME_CLASS(CGXGridParam)); }), c.cause) << c.name;
  }
}

// A printer's blocks too short for their headers would be read past their ends when printing.
TEST(GridParam, PrinterBlocksShorterThanTheirHeadersAreRefused) {
  const struct {
    DWORD names, mode;
    int cause;
  } cases[] = {{sizeof(DEVNAMES) + 6, sizeof(DEVMODE), -1},
               {0, 0, -1},
               {sizeof(DEVNAMES) - 1, sizeof(DEVMODE), CArchiveException::badIndex},
               {sizeof(DEVNAMES) + 6, DEVMODE_MIN_SIZE - 1, CArchiveException::badIndex},
               {sizeof(DEVNAMES) + 6, 4, CArchiveException::badIndex}};
  for (const auto& c : cases) {
    CGXPrintDevice device;
    const std::vector<BYTE> names(c.names, 1), mode(c.mode, 2);
    device.SetDevice(names.data(), c.names, mode.data(), c.mode);
    const Bytes bytes = Store([&](CArchive& ar) { device.Serialize(ar); });
    CGXPrintDevice back;
    EXPECT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), c.cause) << c.names << " " << c.mode;
  }
}
