// Row and column structure: counts, insert, remove, move and freeze with undo, covered ranges cut
// by a removal, and the hints that carry the changes to a second view of the same block.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Archive.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Keeps covered ranges in the block's list; a single cell uncovers.
class CStructGrid : public CGXGridCore {
 public:
  void SetCurrent(ROWCOL r, ROWCOL c) {
    m_nCurrentRow = r, m_nCurrentCol = c;
    m_bCurrentCellValid = TRUE;
  }
  BOOL HasCurrent() const { return m_bCurrentCellValid; }
  ROWCOL CurrentRow() const { return m_nCurrentRow; }
  void UpdateAllViews(CView* pSender, LPARAM l, CObject* pHint) override {
    if (auto* h = dynamic_cast<CGXGridHint*>(pHint)) sent.push_back({h->m_id, h->m_nRow1, h->m_nCol1, h->m_dwParam});
    if (peer) peer->OnGridUpdate(pSender, l, pHint);
  }
  BOOL SetCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT, GXCmdType ctCmd) override {
    CGXRangeList& list = GetParam()->m_CoveredCellsList;
    CGXRange old = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
    for (POSITION pos = list.GetHeadPosition(); pos;) {
      POSITION at = pos;
      CGXRange* r = list.GetNext(pos);
      if (r->m_nTop == nRow && r->m_nLeft == nCol) {
        old = *r;
        delete r;
        list.RemoveAt(at);
      }
    }
    if (nToRow != nRow || nToCol != nCol) list.AddTail(new CGXRange(CGXRange().SetCellRange(nRow, nCol, nToRow, nToCol)));
    if (ctCmd != CmdRollback && GetParam()->m_bUndoEnabled)
      AddCommand(new CGXSetCoveredCellsCmd(old.m_nTop, old.m_nLeft, old.m_nBottom, old.m_nRight), ctCmd);
    return TRUE;
  }
  std::string Covered() {
    std::string out;
    POSITION pos = GetParam()->m_CoveredCellsList.GetHeadPosition();
    while (pos) {
      const CGXRange* r = GetParam()->m_CoveredCellsList.GetNext(pos);
      out += std::to_string(r->m_nTop) + "-" + std::to_string(r->m_nBottom) + " ";
    }
    return out;
  }
  CStructGrid* peer = nullptr;
  struct Sent {
    UINT id;
    ROWCOL row, col;
    DWORD param;
    bool operator==(const Sent&) const = default;
  };
  std::vector<Sent> sent;
  ROWCOL CurrentCol() const { return m_nCurrentCol; }
};

class GridStructure : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    ASSERT_TRUE(grid.Initialize());
    Data().SetRowCount(10);
    Data().SetColCount(3);
    for (ROWCOL r = 1; r <= 10; ++r) Put(r, 1, std::to_string(r).c_str());
  }
  void TearDown() override { Automation::Instance().Reset(); }
  CGXData& Data() { return *grid.GetParam()->GetData(); }
  void Put(ROWCOL r, ROWCOL c, const char* value) {
    CGXStyle s;
    s.SetValue(value);
    Data().StoreStyleAt(r, c, &s, 0);
  }
  std::string Column1() {
    std::string out;
    for (ROWCOL r = 1; r <= grid.GetRowCount(); ++r) out += grid.GetValueRowCol(r, 1).str() + ",";
    return out;
  }
  INT_PTR UndoSteps() { return grid.GetParam()->m_UndoList.GetCount(); }
  CStructGrid grid;
};

}  // namespace

TEST_F(GridStructure, CountsAndTheirLimits) {
  EXPECT_TRUE(grid.SetRowCount(10));
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_FALSE(grid.SetRowCount(0xFFFFFFFF));
  EXPECT_FALSE(grid.SetColCount(0xFFFFFFFF));
  EXPECT_EQ(grid.GetRowCount(), 10u);
  ASSERT_TRUE(grid.SetRowCount(7));
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_EQ(Column1(), "1,2,3,4,5,6,7,");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(Column1(), "1,2,3,4,5,6,7,8,9,10,");
  ASSERT_TRUE(grid.SetColCount(5));
  EXPECT_EQ(grid.GetColCount(), 5u);
  // A locked read-only grid refuses every structure change.
  grid.GetParam()->m_bReadOnly = TRUE;
  EXPECT_FALSE(grid.InsertRows(2, 1));
  EXPECT_FALSE(grid.RemoveRows(2, 2));
  EXPECT_FALSE(grid.MoveRows(2, 2, 4));
  EXPECT_FALSE(grid.SetFrozenRows(2));
  EXPECT_EQ(Column1(), "1,2,3,4,5,6,7,8,9,10,");
}

TEST_F(GridStructure, InsertRemoveAndTheCurrentCell) {
  grid.SetTopRow(5, 0, FALSE);
  grid.SetCurrent(6, 1);
  ASSERT_TRUE(grid.InsertRows(2, 3));  // above the top row: the same rows stay on screen
  EXPECT_EQ(grid.GetTopRow(), 8u);
  EXPECT_EQ(grid.CurrentRow(), 9u);
  EXPECT_EQ(grid.GetValueRowCol(9, 1), "6");
  ASSERT_TRUE(grid.RemoveRows(2, 4));
  EXPECT_EQ(grid.CurrentRow(), 6u);
  ASSERT_TRUE(grid.RemoveRows(5, 7));  // holds the current cell
  EXPECT_FALSE(grid.HasCurrent());
  // Ranges beyond the count or reversed are refused.
  EXPECT_FALSE(grid.RemoveRows(20, 30));
  EXPECT_FALSE(grid.RemoveRows(3, 2));
  EXPECT_FALSE(grid.MoveRows(2, 3, 7));
}

TEST_F(GridStructure, UndoOfARemovalRestoresHeightsAndStyles) {
  Put(3, 0, "header cell");
  CGXStyle rowStyle;
  rowStyle.SetValue("row style");
  Data().StoreStyleAt(3, 0, &rowStyle, 0, -1);
  ASSERT_TRUE(grid.SetRowHeight(3, 3, 40));
  ASSERT_TRUE(grid.RemoveRows(2, 4));
  EXPECT_EQ(Column1(), "1,5,6,7,8,9,10,");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(Column1(), "1,2,3,4,5,6,7,8,9,10,");
  EXPECT_EQ(grid.GetRowHeight(3), 40);
  EXPECT_EQ(grid.GetValueRowCol(3, 0), "header cell");
  CGXStyle s;
  ASSERT_TRUE(Data().GetStyleAt(3, 0, s, 2, -1));
  EXPECT_EQ(s.GetValue(), "row style");
  ASSERT_TRUE(grid.Redo());
  EXPECT_EQ(Column1(), "1,5,6,7,8,9,10,");

  // Undo data over the limits asks; Cancel changes nothing, OK removes without undo data.
  Data().SetRowCount(40000);
  const INT_PTR steps = UndoSteps();
  Automation::Instance().PushMessageBoxAnswer(IDCANCEL);
  EXPECT_FALSE(grid.RemoveRows(2, 39000));
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text,
            "Operation is too large for the undo buffer. Do you want to continue?");
  EXPECT_EQ(grid.GetRowCount(), 40000u);
  Automation::Instance().PushMessageBoxAnswer(IDOK);
  EXPECT_TRUE(grid.RemoveRows(2, 39000));
  EXPECT_EQ(grid.GetRowCount(), 1001u);
  EXPECT_EQ(UndoSteps(), steps);
}

TEST_F(GridStructure, CoveredRangesCutByARemoval) {
  grid.SetCoveredCellsRowCol(2, 1, 5, 2, 2, CmdDo);  // ends inside: shrinks
  grid.SetCoveredCellsRowCol(5, 3, 7, 3, 2, CmdDo);  // starts inside: uncovered
  grid.SetCoveredCellsRowCol(8, 1, 9, 1, 2, CmdDo);  // below: moves up
  ASSERT_TRUE(grid.RemoveRows(4, 6));
  EXPECT_EQ(grid.Covered(), "5-6 2-3 ");
}

TEST_F(GridStructure, TheCellLayersCoveredCellsFollowTheRows) {
  CGXGridCore plain;
  plain.SetParam(grid.GetParam(), FALSE);
  ASSERT_TRUE(plain.SetCoveredCellsRowCol(4, 1, 6, 2));
  CGXRange r;
  ASSERT_TRUE(plain.GetCoveredCellsRowCol(5, 1, r));
  ASSERT_TRUE(plain.RemoveRows(1, 2));
  ASSERT_TRUE(plain.GetCoveredCellsRowCol(3, 2, r));
  EXPECT_EQ(r.m_nTop, 2u);
  EXPECT_EQ(r.m_nBottom, 4u);
  EXPECT_FALSE(plain.GetCoveredCellsRowCol(5, 1, r));
}

TEST_F(GridStructure, MovesAndFreezingWithUndo) {
  grid.SetCurrent(2, 1);
  grid.HideRows(3, 3);
  ASSERT_TRUE(grid.MoveRows(2, 3, 6));
  EXPECT_EQ(Column1(), "1,4,5,6,7,2,3,8,9,10,");
  EXPECT_EQ(grid.CurrentRow(), 6u);
  EXPECT_TRUE(grid.IsRowHidden(7));
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(Column1(), "1,2,3,4,5,6,7,8,9,10,");
  EXPECT_TRUE(grid.IsRowHidden(3));
  ASSERT_TRUE(grid.MoveRows(7, 8, 3));
  EXPECT_EQ(Column1(), "1,2,7,8,3,4,5,6,9,10,");

  ASSERT_TRUE(grid.SetFrozenCols(2, 1));
  EXPECT_EQ(grid.GetFrozenCols(), 2u);
  EXPECT_EQ(grid.GetLeftCol(), 3u);
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.GetFrozenCols(), 0u);
  EXPECT_EQ(grid.GetHeaderCols(), 0u);
}

TEST_F(GridStructure, DataMovesCheckTheirOrder) {
  CDWordArray order;
  for (DWORD v : {2u, 0u, 1u}) order.Add(v);
  ASSERT_TRUE(grid.MoveDataRows(CGXRange().SetRowRange(2, 4), order));
  EXPECT_EQ(Column1(), "1,4,2,3,5,6,7,8,9,10,");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(Column1(), "1,2,3,4,5,6,7,8,9,10,");
  auto kind = [&] {
    try {
      grid.MoveDataRows(CGXRange().SetRowRange(2, 4), order);
    } catch (CException* e) {
      CRuntimeClass* cls = e->GetRuntimeClass();
      e->Delete();
      return cls;
    }
    return (CRuntimeClass*)nullptr;
  };
  order[0] = 1;  // not a permutation
  EXPECT_EQ(kind(), RUNTIME_CLASS(CInvalidArgException));
  order.SetSize(2);
  EXPECT_EQ(kind(), RUNTIME_CLASS(CInvalidArgException));
  EXPECT_EQ(Column1(), "1,2,3,4,5,6,7,8,9,10,");
}

TEST_F(GridStructure, ASecondViewFollowsThroughHints) {
  CStructGrid other;
  other.SetParam(grid.GetParam(), FALSE);
  grid.peer = &other;
  grid.m_bUpdateHints = TRUE;
  other.SetCurrent(8, 1);
  ASSERT_TRUE(grid.RemoveRows(2, 3));
  EXPECT_EQ(other.CurrentRow(), 6u);
  ASSERT_TRUE(grid.MoveRows(6, 6, 1));
  EXPECT_EQ(other.CurrentRow(), 1u);
  ASSERT_TRUE(grid.SetFrozenCols(2));
  EXPECT_EQ(other.GetLeftCol(), 3u);
  // A cell that became covered is left for the block's anchor.
  other.SetCurrent(3, 3);
  ASSERT_TRUE(grid.CGXGridCore::SetCoveredCellsRowCol(2, 2, 4, 3));
  EXPECT_EQ((std::vector<ROWCOL>{other.CurrentRow(), other.CurrentCol()}), (std::vector<ROWCOL>{2, 2}));
}

namespace {

// A document that keeps one grid block in its archive.
class CBlockDoc : public CDocument {
 public:
  ~CBlockDoc() override {
    if (own) delete param;
  }
  void Serialize(CArchive& ar) override {
    if (!ar.IsStoring()) param = new CGXGridParam, own = TRUE;
    param->Serialize(ar);
  }
  CGXGridParam* param = nullptr;
  BOOL own = FALSE;
};

}  // namespace

TEST_F(GridStructure, TheDocumentsArchiveReopensTheBlock) {
  ASSERT_TRUE(grid.SetRowHeight(3, 3, 41));
  ASSERT_TRUE(grid.HideRows(5, 6));
  ASSERT_TRUE(grid.SetFrozenCols(2, 1));
  grid.SelectRange(CGXRange().SetCellRange(2, 2, 4, 3), TRUE, FALSE);
  const std::string path = dravonix::test::ScratchDir("grid-archive") + "/block.grid";
  CBlockDoc saved;
  saved.param = grid.GetParam();
  ASSERT_TRUE(saved.OnSaveDocument(path.c_str()));
  CBlockDoc opened;
  ASSERT_TRUE(opened.OnOpenDocument(path.c_str()));
  ASSERT_NE(opened.param, nullptr);
  CStructGrid reopened;
  reopened.SetParam(opened.param, FALSE);
  ASSERT_TRUE(reopened.Initialize());
  EXPECT_EQ(reopened.GetRowHeight(3), grid.GetRowHeight(3));
  EXPECT_EQ((std::vector<BOOL>{reopened.IsRowHidden(4), reopened.IsRowHidden(5), reopened.IsRowHidden(6)}),
            (std::vector<BOOL>{FALSE, TRUE, TRUE}));
  EXPECT_EQ(reopened.GetFrozenCols(), 2u);
  EXPECT_EQ(reopened.GetHeaderCols(), 1u);
  EXPECT_EQ(reopened.GetValueRowCol(7, 1), grid.GetValueRowCol(7, 1));
  const CGXRangeList& sel = opened.param->m_SelRects;
  ASSERT_EQ(sel.GetCount(), 1);
  EXPECT_TRUE(*const_cast<CGXRangeList&>(sel).GetHead() == CGXRange().SetCellRange(2, 2, 4, 3));
}

TEST_F(GridStructure, SelectionDragAndFreezing) {
  Data().SetColCount(8);
  for (ROWCOL c = 1; c <= 8; ++c) Put(1, c, std::to_string(c).c_str());
  auto row1 = [&] {
    std::string out;
    for (ROWCOL c = 1; c <= 8; ++c) out += grid.GetValueRowCol(1, c).str() + ",";
    return out;
  };
  // Rows 2..3 dropped on row 7 land at 5..6; a block dropped on itself stays.
  grid.SelectRange(CGXRange().SetRowRange(2, 3));
  ASSERT_TRUE(grid.OnSelDragStart(2, 0));
  EXPECT_FALSE(grid.OnSelDragDrop(2, 0, 3, 0));
  ASSERT_TRUE(grid.OnSelDragStart(2, 0));
  EXPECT_TRUE(grid.OnSelDragDrop(2, 0, 7, 0));
  EXPECT_EQ(Column1(), "1,4,5,6,2,3,7,8,9,10,");
  // Rows do not start with Ctrl held; columns do.
  grid.SelectRange(CGXRange().SetRowRange(2, 3));
  grid.SelectRange(CGXRange().SetColRange(2, 3));
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_FALSE(grid.OnSelDragStart(2, 0));
  EXPECT_TRUE(grid.OnSelDragStart(0, 2));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  grid.OnSelDragCancel();
  grid.SetSelection(nullptr);

  for (ROWCOL header : {0u, 1u}) {
    SCOPED_TRACE(header);
    grid.GetParam()->m_nHeaderCols = header;
    grid.SelectRange(CGXRange().SetColRange(5, 6));
    ASSERT_TRUE(grid.CanFreezeCols());
    grid.FreezeCols();
    EXPECT_EQ(grid.GetFrozenCols(), 2u);
    EXPECT_EQ(grid.GetValueRowCol(1, header + 1), "5");
    grid.UnfreezeCols();
    EXPECT_EQ(row1(), "1,2,3,4,5,6,7,8,");
  }
  grid.GetParam()->m_nHeaderCols = 0;
  // Two runs cannot be frozen.
  grid.SelectRange(CGXRange().SetColRange(2, 2));
  grid.SelectRange(CGXRange().SetColRange(5, 5));
  EXPECT_FALSE(grid.CanFreezeCols());
  grid.SetSelection(nullptr);

  // Unfreezing columns is one undo step, rows two.
  grid.SelectRange(CGXRange().SetColRange(5, 6));
  grid.FreezeCols();
  grid.UnfreezeCols();
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.GetFrozenCols(), 2u);
  EXPECT_EQ(row1(), "5,6,1,2,3,4,7,8,");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(row1(), "1,2,3,4,5,6,7,8,");
  grid.SelectRange(CGXRange().SetRowRange(7, 8));
  grid.FreezeRows();
  EXPECT_EQ(Column1(), "7,8,1,4,5,6,2,3,9,10,");
  grid.UnfreezeRows();
  EXPECT_EQ(Column1(), "1,4,5,6,2,3,7,8,9,10,");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.GetFrozenRows(), 0u);
  EXPECT_EQ(Column1(), "7,8,1,4,5,6,2,3,9,10,");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.GetFrozenRows(), 2u);
}

// Inserting rows (columns) sends their count in the hint's parameter word.
TEST_F(GridStructure, InsertHintsCarryTheirCountInTheParameter) {
  struct Case {
    bool rows;
    UINT id;
  } cases[] = {{true, 8}, {false, 7}};
  Data().SetColCount(10);
  for (const Case& t : cases) {
    CStructGrid other;
    other.SetParam(grid.GetParam(), FALSE);
    other.SetCurrent(8, 8);
    CGXGridHint hint(t.id, -1);
    (t.rows ? hint.m_nRow1 : hint.m_nCol1) = 2;
    hint.m_dwParam = 3;
    other.OnGridUpdate(nullptr, 0, &hint);
    EXPECT_EQ(t.rows ? other.CurrentRow() : other.CurrentCol(), 11u) << t.id;

    grid.m_bUpdateHints = TRUE;
    grid.sent.clear();
    ASSERT_TRUE(t.rows ? grid.InsertRows(4, 2) : grid.InsertCols(4, 2));
    EXPECT_NE(std::find(grid.sent.begin(), grid.sent.end(), CStructGrid::Sent{t.id, t.rows ? 4u : 0u, t.rows ? 0u : 4u, 2u}),
              grid.sent.end());
  }
}

namespace {

// Counts of its own, whatever the parameter object holds.
class CCountedGrid : public CStructGrid {
 public:
  ROWCOL GetRowCount() const override { return 50; }
  ROWCOL GetColCount() const override { return 7; }
  ROWCOL GetFrozenRows() const override { return 3; }
  ROWCOL GetFrozenCols() const override { return 2; }
  ROWCOL GetHeaderRows() const override { return 1; }
  ROWCOL GetHeaderCols() const override { return 0; }
};

}  // namespace

TEST_F(GridStructure, ADerivedGridsCountsAreTheOnesTheEngineUses) {
  CCountedGrid counted;
  counted.SetParam(grid.GetParam(), FALSE);
  const CGXGridCore& core = counted;
  EXPECT_EQ((std::vector<ROWCOL>{core.GetRowCount(), core.GetColCount(), core.GetFrozenRows(), core.GetFrozenCols(),
                                 core.GetHeaderRows(), core.GetHeaderCols()}),
            (std::vector<ROWCOL>{50, 7, 3, 2, 1, 0}));
  // Already 50 rows: nothing to insert.
  ASSERT_TRUE(counted.SetRowCount(50));
  EXPECT_EQ(Data().GetRowCount(), 10u);
  EXPECT_TRUE(counted.IsFrozenRow(3));
  // A current cell below the stored rows but within the grid's own count stays.
  counted.SetCurrent(30, 6);
  ROWCOL r = 0, c = 0;
  EXPECT_TRUE(counted.GetCurrentCell(r, c));
}
