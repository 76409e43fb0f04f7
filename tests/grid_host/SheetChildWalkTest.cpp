// Sheets of a tab window and panes of split windows in MDI children, walked through random window
// operations (drags and bar presses among them): each step's picture holds against a full repaint.
#include "editor/documents/TextFileDoc.h"
#include "editor/documents/TextFileView.h"
#include "grid/controls/GXTabWnd.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/SplitterWnd.h"
#include "tests/support/MdiScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace dravonix::test;

namespace {

class CSheetsDoc : public CDocument {};

// kind 0: two sheets of one grid in a tab window; 1: a grid split in four panes; 2: a text split
// in four; 3: a grid view alone.
class CSheetChild : public CMDIChildWnd {
 public:
  int kind = 0;
  CGXTabWnd tabs;
  CSplitterWnd split;
  CGXGridView* sheets[2] = {};

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* ctx) override {
    if (kind == 1 || kind == 2) return split.Create(this, 2, 2, CSize(20, 20), ctx);
    if (kind == 3) return CMDIChildWnd::OnCreateClient(lpcs, ctx);
    tabs.CreateTabWndFrame(this);
    for (int i = 0; i < 2; ++i) {
      sheets[i] = static_cast<CGXGridView*>(RUNTIME_CLASS(CGXGridView)->CreateObject());
      sheets[i]->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), &tabs, AFX_IDW_PANE_FIRST + 1 + i, ctx);
    }
    sheets[0]->SetParam(new CGXGridParam, TRUE);
    sheets[1]->SetParam(sheets[0]->GetParam(), FALSE);
    tabs.AttachWnd(sheets[0], "Orders");
    tabs.AttachWnd(sheets[1], "Stock");
    return TRUE;
  }
};

// Every grid view tells the others of its changes; all of them views of one document.
class SheetScene : public MdiScene {
 public:
  SheetScene() : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE) {
    GXStartGridLibrary();
    m_grid.m_bAutoDelete = m_text.m_bAutoDelete = FALSE;
    m_text.OnNewDocument();
    for (int i = 0; i < 40; ++i) m_text.InsertLineAtEnd("a line of the text long enough to scroll sideways too");
  }
  ~SheetScene() override { Close(); }
  HWND AddChild(int kind, const CRect& r) override {
    CCreateContext ctx;
    ctx.m_pNewViewClass = kind % 4 == 2 ? RUNTIME_CLASS(CTextFileView) : RUNTIME_CLASS(CGXGridView);
    ctx.m_pCurrentDoc = kind % 4 == 2 ? (CDocument*)&m_text : (CDocument*)&m_grid;
    auto* child = new CSheetChild;
    child->kind = kind % 4;
    if (!child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main, &ctx)) return nullptr;
    if (child->kind == 0) child->SetActiveView(child->sheets[0], FALSE);
    child->InitialUpdateFrame(ctx.m_pCurrentDoc, TRUE);
    if (auto* grid = child->kind == 0 ? child->sheets[0] : dynamic_cast<CGXGridView*>(child->GetActiveView())) {
      grid->GetParam()->GetData()->SetRowCount(30);
      grid->GetParam()->GetData()->SetColCount(8);
      CGXStyle value;
      value.SetValue("12.5");
      grid->SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 1), &value);
      grid->Redraw();
    }
    UiAutomation::Pump();
    if (child->kind == 1 || child->kind == 2) {
      CRect c;
      child->split.GetClientRect(&c);
      child->split.SplitRow(std::max<LONG>(30, c.Height() / 2));
      child->split.SplitColumn(std::max<LONG>(30, c.Width() / 2));
    }
    std::vector<CWnd*> views = {child->sheets[0], child->sheets[1], child->GetActiveView()};
    for (int i = 0; i < 4; ++i) views.push_back(child->split.GetSafeHwnd() ? child->split.GetPane(i / 2, i % 2) : nullptr);
    for (CWnd* v : views)
      if (auto* grid = dynamic_cast<CGXGridView*>(v)) grid->m_bUpdateHints = TRUE;
    UiAutomation::Pump();
    return child->m_hWnd;
  }

  CSheetsDoc m_grid;
  struct : CTextFileDoc {
  } m_text;
};

}  // namespace

TEST(SheetChildWalk, RandomWindowOperationsMatchAFullRepaint) {
  RunRandomSteps<SheetScene>(91010, 3, 30, 3, kMdiOpsWithDrags);
}
