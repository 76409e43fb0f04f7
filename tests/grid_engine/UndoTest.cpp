// Undo and redo: the two lists, the limit, transactions, blocks and the menu texts.
#include "grid/engine/GXGridCore.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;  // "<id>:<command type>" per Execute
int g_deleted = 0;

// Executing files the same command as its own opposite, as a grid operation would.
class CTestCmd : public CGXCommand {
 public:
  explicit CTestCmd(int id, bool fail = false) : m_id(id), m_fail(fail) {}
  ~CTestCmd() override { ++g_deleted; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override {
    g_log.push_back(std::to_string(m_id) + ":" + std::to_string((int)ctCmd));
    if (m_fail) return FALSE;
    if (ctCmd != CmdRollback) pGrid->AddCommand(new CTestCmd(m_id), ctCmd);
    return TRUE;
  }
  CString GetName() override { return CString(("cmd " + std::to_string(m_id)).c_str()); }
  int m_id;
  bool m_fail;
};

class CTestGrid : public CGXGridCore {
 public:
  CTestGrid() { SetParam(new CGXGridParam); }
  void SetCurrent(ROWCOL r, ROWCOL c) {
    m_nCurrentRow = r;
    m_nCurrentCol = c;
    m_bCurrentCellValid = TRUE;
  }
  CObList& UndoList() { return GetParam()->m_UndoList; }
  CObList& RedoList() { return GetParam()->m_RedoList; }
};

std::string Ids(CObList& list) {
  std::string s;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    auto* cmd = list.GetNext(pos);
    if (auto* block = DYNAMIC_DOWNCAST(CGXBlockCmd, cmd)) s += "[" + std::string(block->m_strName) + ":" + Ids(block->m_CmdList) + "]";
    else s += std::to_string(static_cast<CTestCmd*>(cmd)->m_id);
  }
  return s;
}

class CTextCmdUI : public CCmdUI {
 public:
  void Enable(BOOL b) override { enabled = b; }
  void SetText(LPCSTR caption) override { text = caption; }
  BOOL enabled = -1;
  std::string text;
};

class GridUndo : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    g_deleted = 0;
  }
  CTestGrid grid;
};

}  // namespace

TEST_F(GridUndo, ListsAndLimit) {
  grid.SetCurrent(4, 2);
  grid.AddCommand(new CTestCmd(1), CmdDo);
  grid.AddCommand(new CTestCmd(2), CmdUndo);  // an undo files into redo
  grid.AddCommand(new CTestCmd(3), CmdRedo);  // a redo files into undo, redo stays
  EXPECT_EQ(Ids(grid.UndoList()), "31");
  EXPECT_EQ(Ids(grid.RedoList()), "2");
  auto* head = static_cast<CGXCommand*>(grid.UndoList().GetHead());
  EXPECT_TRUE(head->m_bCCell);
  EXPECT_EQ(head->m_nRow, 4u);
  grid.AddCommand(new CTestCmd(4), CmdDo);  // a new action empties redo
  EXPECT_EQ(Ids(grid.RedoList()), "");
  EXPECT_EQ(g_deleted, 1);

  grid.GetParam()->EmptyUndoList();
  for (int i = 0; i < 513; ++i) grid.UndoList().AddHead(new CTestCmd(1000 + i));
  g_deleted = 0;
  grid.AddCommand(new CTestCmd(9), CmdDo);
  EXPECT_EQ(g_deleted, 1);  // the oldest went
  EXPECT_EQ(grid.UndoList().GetCount(), 513);
  EXPECT_EQ(static_cast<CTestCmd*>(grid.UndoList().GetTail())->m_id, 1001);

  grid.RemoveCommand(CmdDo);
  EXPECT_EQ(static_cast<CTestCmd*>(grid.UndoList().GetHead())->m_id, 1512);
}

TEST_F(GridUndo, UndoAndRedoMoveCommandsBetweenTheLists) {
  grid.AddCommand(new CTestCmd(1), CmdDo);
  grid.AddCommand(new CTestCmd(2), CmdDo);
  EXPECT_TRUE(grid.Undo());
  EXPECT_EQ(Ids(grid.UndoList()), "1");
  EXPECT_EQ(Ids(grid.RedoList()), "2");
  EXPECT_TRUE(grid.Redo());
  EXPECT_EQ(Ids(grid.UndoList()), "21");
  EXPECT_EQ(Ids(grid.RedoList()), "");
  EXPECT_EQ(g_log, (std::vector<std::string>{"2:2", "2:3"}));
  EXPECT_TRUE(grid.GetParam()->m_bProtectReadOnly);

  grid.UndoList().AddHead(new CTestCmd(5, true));
  EXPECT_FALSE(grid.Undo());  // a failing command stays where it was
  EXPECT_EQ(Ids(grid.UndoList()), "521");
  grid.GetParam()->EmptyUndoList();
  EXPECT_FALSE(grid.Undo());
  EXPECT_FALSE(grid.Redo());
}

TEST_F(GridUndo, TransactionsAreOneStep) {
  grid.BeginTrans("Replace All");
  for (int id : {1, 2, 3}) grid.AddCommand(new CTestCmd(id), CmdDo);
  grid.CommitTrans();
  EXPECT_EQ(Ids(grid.UndoList()), "[Replace All:321]");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(g_log, (std::vector<std::string>{"3:2", "2:2", "1:2"}));  // newest first
  EXPECT_EQ(Ids(grid.UndoList()), "");
  EXPECT_EQ(Ids(grid.RedoList()), "[Replace All:123]");
  ASSERT_TRUE(grid.Redo());
  EXPECT_EQ(Ids(grid.UndoList()), "[Replace All:321]");

  grid.BeginTrans("Empty");
  grid.CommitTrans();
  EXPECT_EQ(Ids(grid.UndoList()), "[Replace All:321]");  // an empty transaction leaves nothing

  g_log.clear();
  grid.BeginTrans("Outer");
  grid.AddCommand(new CTestCmd(7), CmdDo);
  grid.BeginTrans("Inner");
  grid.AddCommand(new CTestCmd(8), CmdDo);
  grid.Rollback();  // inner: only counts
  EXPECT_TRUE(g_log.empty());
  grid.Rollback();
  EXPECT_EQ(g_log, (std::vector<std::string>{"8:1", "7:1"}));
  EXPECT_EQ(Ids(grid.UndoList()), "[Replace All:321]");
  EXPECT_EQ(Ids(grid.RedoList()), "");
  EXPECT_EQ(grid.GetParam()->m_nTransNesting, 0u);

  grid.BeginTrans("Failing");
  grid.AddCommand(new CTestCmd(4, true), CmdDo);
  grid.AddCommand(new CTestCmd(5), CmdDo);
  grid.CommitTrans();
  EXPECT_FALSE(grid.Undo());  // stops at the failing command; the partial redo block is dropped
  EXPECT_EQ(Ids(grid.RedoList()), "");
  EXPECT_EQ(Ids(grid.UndoList()), "[Failing:54][Replace All:321]");
}

TEST_F(GridUndo, MenuTexts) {
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, ID_EDIT_UNDO, "");
  menu.AppendMenu(MF_STRING, ID_EDIT_REDO, "Again %1");
  CTextCmdUI undo, redo;
  undo.m_pMenu = redo.m_pMenu = &menu;
  undo.m_nID = ID_EDIT_UNDO;
  redo.m_nID = ID_EDIT_REDO;
  EXPECT_FALSE(grid.CanUndo(&undo));
  EXPECT_EQ(undo.text, "Undo ");
  EXPECT_FALSE(undo.enabled);
  grid.AddCommand(new CGXSetCoveredCellsCmd(1, 1, 2, 2), CmdDo);
  EXPECT_TRUE(grid.CanUndo(&undo));
  EXPECT_EQ(undo.text, "Undo Cover Cells");
  EXPECT_TRUE(undo.enabled);
  grid.AddCommand(new CGXSetCoveredCellsCmd(1, 1, 2, 2), CmdUndo);
  EXPECT_TRUE(grid.CanRedo(&redo));
  EXPECT_EQ(redo.text, "Again Cover Cells");

  CGXGridCore bare;
  EXPECT_FALSE(bare.CanUndo(&undo));
  EXPECT_FALSE(undo.enabled);
}
