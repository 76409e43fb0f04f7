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

// Replace takes only the match it found and selected, in a cell being edited or not; Replace All
// takes an edit not stored yet. A click in the dialog takes the focus from the cell, which ends its
// edit; a button invoked through the automation interface leaves the cell as it is.
TEST_P(FindDialog, ReplaceTakesOnlyTheSelectedMatch) {
  const char* values[] = {"abc1", "x", "abc3", "abc4 abc", "zz"};
  for (ROWCOL r = 1; r <= 5; ++r) grid->SetRangeValueText(CGXRange().SetCellRange(r, 1, r, 1), values[r - 1]);
  ASSERT_TRUE(grid->SetCurrentCell(1, 1));
  grid->OnShowFindReplaceDialog(FALSE);
  CFindReplaceDialog* dlg = GXGetFindReplaceState().pDialog;
  ASSERT_NE(dlg, nullptr);
  DialogAutomation::TypeInto(dlg, edt1, "abc");
  enum How { Click, Invoke, ToRow1 };
  using Texts = std::vector<std::string>;
  struct Press {
    How how;
    int button;
    const char* replace;
    bool editing;  // the cell is being edited when the button goes down
    Texts shown;
    ROWCOL row;
    size_t beeps;
  } presses[] = {
      {Click, IDOK, "Y", false, {"abc1", "x", "abc3", "abc4 abc", "zz"}, 3, 0},  // the current cell is passed over
      {Invoke, psh1, "Y", true, {"abc1", "x", "Y3", "abc4 abc", "zz"}, 4, 0},
      {Invoke, psh1, "Y", true, {"abc1", "x", "Y3", "Y4 abc", "zz"}, 4, 0},  // the cell's next match is selected
      {Invoke, psh2, "Z", true, {"abc1", "x", "Y3", "Y4 Z", "zz"}, 4, 0},    // from the typed text's selection on
      {Click, psh1, "Y", false, {"abc1", "x", "Y3", "Y4 Z", "zz"}, 4, 1},
      {ToRow1, 0, "Y", false, {"abc1", "x", "Y3", "Y4 Z", "zz"}, 1, 1},
      {Click, psh1, "Y", false, {"Y1", "x", "Y3", "Y4 Z", "zz"}, 1, 2},  // not edited: only the match goes
      {Click, psh1, "Y", false, {"Y1", "x", "Y3", "Y4 Z", "zz"}, 1, 3},
  };
  Automation::Instance().ClearBeeps();
  for (const Press& p : presses) {
    const size_t step = (size_t)(&p - presses);
    if (p.how == Click) {
      DialogAutomation::TypeInto(dlg, edt2, p.replace);
      EXPECT_EQ(grid->GetCurrentCellControl()->IsActive(), p.editing) << "press " << step;
      DialogAutomation::ClickControl(dlg, p.button);
    } else if (p.how == Invoke) {
      dlg->SetDlgItemText(edt2, p.replace);
      EXPECT_EQ(grid->GetCurrentCellControl()->IsActive(), p.editing) << "press " << step;
      dlg->SendMessage(WM_COMMAND, MAKEWPARAM(p.button, BN_CLICKED), (LPARAM)dlg->GetDlgItem(p.button)->m_hWnd);
    } else {
      ASSERT_TRUE(grid->SetCurrentCell(1, 1));
    }
    UiAutomation::Pump();
    Texts shown;
    for (ROWCOL r = 1; r <= 5; ++r) {
      CString text = grid->GetValueRowCol(r, 1);
      if (r == CurrentRow()) grid->GetCurrentCellControl()->GetCurrentText(text);
      shown.push_back(text.str());
    }
    EXPECT_EQ(shown, p.shown) << "press " << step;
    EXPECT_EQ(CurrentRow(), p.row) << "press " << step;
    EXPECT_EQ(Automation::Instance().Beeps().size(), p.beeps) << "press " << step;
  }
  ASSERT_TRUE(grid->SetCurrentCell(2, 1));
  EXPECT_EQ(Column(), (std::vector<std::string>{"Y1", "x", "Y3", "Y4 Z", "zz"}));
}

INSTANTIATE_TEST_SUITE_P(BothHosts, FindDialog, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "View" : "Window"; });

}  // namespace
