// The find and replace dialog driven through its own buttons, in the child-window grid and in the grid view.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"

#include "tests/support/ViewFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int g_paints = 0;  // paints of the grid in either host

class CFindView : public CGXGridView {
  DECLARE_DYNCREATE(CFindView)
  void OnGridDraw(CDC* pDC) override {
    ++g_paints;
    CGXGridView::OnGridDraw(pDC);
  }
};
IMPLEMENT_DYNCREATE(CFindView, CGXGridView)

class CFindWnd : public ZAZAzedAze {
  void OnGridDraw(CDC* pDC) override {
    ++g_paints;
    ZAZAzedAze::OnGridDraw(pDC);
  }
};

class CFindDoc : public CDocument {};

class FindDialog : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    if (GetParam()) {
      doc = new CFindDoc;
      doc->m_bAutoDelete = FALSE;
      frame = new CFrameWnd;
      ASSERT_TRUE(OpenViewFrame(*frame, RUNTIME_CLASS(CFindView), doc, CRect(0, 0, 400, 300)));
      auto* view = static_cast<CFindView*>(frame->GetActiveView());
      ASSERT_TRUE(view && view->IsInitialized());
      grid = view;
    } else {
      parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0);
      ASSERT_TRUE(wnd.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                             CRect(0, 0, 400, 300), &parent, 3));
      ASSERT_TRUE(wnd.Initialize());
      grid = &wnd;
    }
    grid->SetRowCount(5);
    grid->SetColCount(2);
    const char* values[] = {"abc", "x", "abc", "ABC", "zabc"};
    for (ROWCOL r = 1; r <= 5; ++r) grid->SetRangeValueText(CGXRange().SetCellRange(r, 1, r, 1), values[r - 1]);
    grid->GetParam()->EmptyUndoList();
  }
  void TearDown() override {  // the open dialog goes with the grid's window
    if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
    if (wnd.m_hWnd) wnd.DestroyWindow();
    if (parent.m_hWnd) parent.DestroyWindow();
    UiAutomation::Pump();
    delete doc;
    Automation::Instance().Reset();
  }
  std::vector<std::string> Column() {
    std::vector<std::string> out;
    for (ROWCOL r = 1; r <= 5; ++r) out.push_back(grid->GetValueRowCol(r, 1).str());
    return out;
  }
  ROWCOL CurrentRow() {
    ROWCOL r = 0, c = 0;
    grid->GetCurrentCell(r, c);
    return r;
  }

  CFindDoc* doc = nullptr;
  CFrameWnd* frame = nullptr;
  CWnd parent;
  CFindWnd wnd;
  CGXGridCore* grid = nullptr;
};

TEST_P(FindDialog, ItsButtonsFindReplaceAndReplaceAll) {
  ASSERT_TRUE(grid->SetCurrentCell(1, 1));
  if (GetParam())
    grid->m_pGridWnd->SendMessage(WM_COMMAND, ID_EDIT_REPLACE);
  else
    grid->OnShowFindReplaceDialog(FALSE);
  UiAutomation::Pump();
  CFindReplaceDialog* dlg = GXGetFindReplaceState().pDialog;
  ASSERT_NE(dlg, nullptr);
  DialogAutomation::TypeInto(dlg, edt1, "abc");
  DialogAutomation::TypeInto(dlg, edt2, "xyz");
  // Find Next passes over the current cell and selects the match in the next one; a second press
  // (which takes the focus from that cell's editor) goes on from there.
  DialogAutomation::ClickControl(dlg, IDOK);
  EXPECT_EQ(CurrentRow(), 3u);
  EXPECT_TRUE(grid->GetCurrentCellControl()->IsActive());
  DialogAutomation::ClickControl(dlg, IDOK);
  EXPECT_EQ(CurrentRow(), 4u);
  DialogAutomation::ClickControl(dlg, psh1);  // Replace: this cell, then on to the next match
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyz", "zabc"}));
  EXPECT_EQ(CurrentRow(), 5u);
  ASSERT_TRUE(grid->SetCurrentCell(2, 1));
  dlg->GetDlgItem(psh2)->SetFocus();  // the grid repaints its current cell on losing the focus
  UiAutomation::Pump();
  g_paints = 0;
  DialogAutomation::ClickControl(dlg, psh2);  // Replace All: from the current row down
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "xyz", "xyz", "zxyz"}));
  EXPECT_EQ(g_paints, 1);
  // Replace All is one undo step, over scattered and adjacent cells alike.
  ASSERT_TRUE(grid->Undo());
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyz", "zabc"}));
  DialogAutomation::TypeInto(dlg, edt1, "z");
  DialogAutomation::TypeInto(dlg, edt2, "Z");
  DialogAutomation::ClickControl(dlg, psh2);
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyZ", "Zabc"}));
  ASSERT_TRUE(grid->Undo());
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyz", "zabc"}));
  ASSERT_TRUE(grid->Undo());  // the Replace before them
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "ABC", "zabc"}));
}

INSTANTIATE_TEST_SUITE_P(BothHosts, FindDialog, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "View" : "Window"; });

}  // namespace
