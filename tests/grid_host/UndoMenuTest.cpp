// The grid view's Undo and Redo items in a popup menu its frame shows: their texts name the
// step they would take.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"

#include "tests/support/ViewFrame.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CUndoMenuView : public CGXGridView {
  DECLARE_DYNCREATE(CUndoMenuView)
};
IMPLEMENT_DYNCREATE(CUndoMenuView, CGXGridView)

class CUndoMenuDoc : public CDocument {};

std::vector<std::string> ShownItems(CWnd* owner, const char* undoText) {
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, ID_EDIT_UNDO, undoText);
  menu.AppendMenu(MF_STRING, ID_EDIT_REDO, "");
  MenuAutomation::Reset();
  menu.TrackPopupMenu(TPM_LEFTALIGN, 0, 0, owner);
  auto shown = MenuAutomation::ShownMenus();
  return shown.empty() ? std::vector<std::string>{} : shown.back().items;
}

void Table(CGXGridView* view) {
  view->GetParam()->GetData()->SetRowCount(5);
  view->GetParam()->GetData()->SetColCount(5);
}

// A view of the document in a new frame, on a table of 5 by 5.
CUndoMenuView* OpenTable(CUndoMenuDoc& doc, CFrameWnd*& frame, const CRect& r = CRect(0, 0, 300, 200)) {
  doc.m_bAutoDelete = FALSE;
  frame = new CFrameWnd;
  if (!OpenViewFrame(*frame, RUNTIME_CLASS(CUndoMenuView), &doc, r)) return nullptr;
  auto* view = static_cast<CUndoMenuView*>(frame->GetActiveView());
  if (view) Table(view);
  return view;
}

TEST(GridUndoMenu, PopupItemsNameTheStep) {
  GXStartGridLibrary();
  CUndoMenuDoc doc;
  CFrameWnd* frame = nullptr;
  CUndoMenuView* view = OpenTable(doc, frame);
  ASSERT_TRUE(view);

  const struct {
    const char* step;
    std::function<void()> act;
    std::vector<std::string> items;
  } steps[] = {
      {"fresh", [] {}, {"Undo  [grayed]", "Redo  [grayed]"}},
      {"cover", [&] { view->SetCoveredCellsRowCol(1, 1, 2, 2); }, {"Undo Cover Cells", "Redo  [grayed]"}},
      {"undo", [&] { view->Undo(); }, {"Undo  [grayed]", "Redo Cover Cells"}},
      {"redo", [&] { view->Redo(); }, {"Undo Cover Cells", "Redo  [grayed]"}},
  };
  for (const auto& s : steps) {
    s.act();
    EXPECT_EQ(ShownItems(frame, ""), s.items) << s.step;
  }
  // The item's own text is the pattern when the grid has none cached yet.
  CUndoMenuDoc doc2;
  CFrameWnd* frame2 = nullptr;
  CUndoMenuView* view2 = OpenTable(doc2, frame2);
  ASSERT_TRUE(view2);
  view2->SetCoveredCellsRowCol(1, 1, 2, 2);
  EXPECT_EQ(ShownItems(frame2, "Take back %1"), (std::vector<std::string>{"Take back Cover Cells", "Redo  [grayed]"}));

  frame2->DestroyWindow();
  frame->DestroyWindow();
  UiAutomation::Pump();
}

// A double click on a header boundary fits the column (row) to its text: Undo names that size change.
TEST(GridUndoMenu, AFitByDoubleClickIsUndoneAsTheSizeChange) {
  GXStartGridLibrary();
  CUndoMenuDoc doc;
  CFrameWnd* frame = nullptr;
  CUndoMenuView* view = OpenTable(doc, frame, CRect(0, 0, 400, 300));
  ASSERT_TRUE(view);
  CGXStyle text;
  text.SetValue("a text wider than its column\nover two lines").SetWrapText(TRUE);
  view->GetParam()->GetData()->StoreStyleAt(2, 2, &text, 0, 0);
  view->Redraw();
  UiAutomation::Pump();
  const CRect cell = view->CalcRectFromRowCol(2, 2);
  const int width = view->GetColWidth(2), height = view->GetRowHeight(2);
  UiAutomation::DoubleClick(view->m_hWnd, CPoint(cell.right - 1, view->CalcRectFromRowCol(0, 2).CenterPoint().y));
  EXPECT_GT(view->GetColWidth(2), width);
  EXPECT_EQ(ShownItems(frame, ""), (std::vector<std::string>{"Undo Change Column Widths", "Redo  [grayed]"}));
  UiAutomation::DoubleClick(view->m_hWnd, CPoint(view->CalcRectFromRowCol(2, 0).CenterPoint().x, cell.bottom - 1));
  EXPECT_GT(view->GetRowHeight(2), height);
  EXPECT_EQ(ShownItems(frame, ""), (std::vector<std::string>{"Undo Change Row Heights", "Redo  [grayed]"}));
  frame->DestroyWindow();
  UiAutomation::Pump();
}

}  // namespace
