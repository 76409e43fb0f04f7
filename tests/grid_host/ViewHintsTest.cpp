// Grid views that tell the other views of their document what changed: the view that made a change
// has drawn it already and hears nothing back, alone, beside a second pane, or in a tab window.
#include "grid/controls/GXTabWnd.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Clock.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/UiAutomation.h"
#include "tests/grid_host/GridViewScene.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CHintDoc : public CDocument {};

enum Scene { kAlone, kPanes, kTabs };

// Counts the hints the document hands to the view.
class CCountingView : public CGXGridView {
  DECLARE_DYNCREATE(CCountingView)

 public:
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override {
    hints += DYNAMIC_DOWNCAST(CGXGridHint, pHint) != nullptr;
    CGXGridView::OnUpdate(pSender, lHint, pHint);
  }
  int hints = 0;
};
IMPLEMENT_DYNCREATE(CCountingView, CGXGridView)

// One view of the document; two panes of a split window; or two sheets of one grid in a tab window.
class CHintFrame : public CFrameWnd {
 public:
  explicit CHintFrame(Scene s) : scene(s) {}
  Scene scene;
  CSplitterWnd split;
  CGXTabWnd tabs;
  std::vector<CCountingView*> views;

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* ctx) override {
    if (scene == kPanes) return split.Create(this, 2, 1, CSize(20, 20), ctx);
    if (scene == kAlone) return CFrameWnd::OnCreateClient(lpcs, ctx);
    tabs.CreateTabWndFrame(this);
    for (int i = 0; i < 2; ++i) {
      views.push_back(static_cast<CCountingView*>(RUNTIME_CLASS(CCountingView)->CreateObject()));
      views[i]->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), &tabs, AFX_IDW_PANE_FIRST + 1 + i, ctx);
    }
    views[0]->SetParam(new CGXGridParam, TRUE);
    views[1]->SetParam(views[0]->GetParam(), FALSE);
    tabs.AttachWnd(views[0], "One");
    tabs.AttachWnd(views[1], "Two");
    return TRUE;
  }
};

class ViewHints : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
  }
  void TearDown() override {
    Close();
    Clock::UseRealTime();
  }
  void Open(Scene scene, BOOL hints) {
    doc = new CHintDoc;
    doc->m_bAutoDelete = FALSE;
    frame = new CHintFrame(scene);
    CCreateContext ctx;
    ctx.m_pCurrentDoc = doc;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CCountingView);
    ASSERT_TRUE(frame->Create(nullptr, "grid", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 480, 360), nullptr,
                              nullptr, 0, &ctx));
    if (scene == kTabs) frame->SetActiveView(frame->views[0], FALSE);
    frame->InitialUpdateFrame(doc, TRUE);
    UiAutomation::Pump();
    if (scene == kAlone) frame->views.push_back(static_cast<CCountingView*>(frame->GetActiveView()));
    if (scene == kPanes) {
      ASSERT_TRUE(frame->split.SplitRow(150));
      for (int r = 0; r < 2; ++r) frame->views.push_back(static_cast<CCountingView*>(frame->split.GetPane(r, 0)));
    }
    view = frame->views[0];
    CGXData* data = view->GetParam()->GetData();
    data->SetRowCount(30);
    data->SetColCount(10);
    view->GetParam()->m_bCurrentCellHint = TRUE;
    for (CCountingView* v : frame->views) {
      v->m_bUpdateHints = hints;
      v->RefreshScrollBars(FALSE, FALSE);
      v->Invalidate();
    }
    UiAutomation::Pump();
  }
  void Close() {
    if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
    frame = nullptr;
    UiAutomation::Pump();
    delete doc;
    doc = nullptr;
  }
  CPoint At(ROWCOL r, ROWCOL c) { return view->CalcRectFromRowCol(r, c).CenterPoint(); }
  void Drag(CPoint from, CPoint to, UINT modifiers = UiAutomation::kNone) {
    UiAutomation::AdvanceClock(1000);
    if (modifiers) UiAutomation::KeyDown(VK_CONTROL);
    UiAutomation::Drag(view->m_hWnd, from, to, 2, modifiers);
    UiAutomation::Pump();
    if (modifiers) UiAutomation::KeyUp(VK_CONTROL);
    UiAutomation::Pump();
  }
  CHintDoc* doc = nullptr;
  CHintFrame* frame = nullptr;
  CCountingView* view = nullptr;
};

}  // namespace

TEST_F(ViewHints, TheSendingViewShowsItsChangeOnceWhereverItLives) {
  const struct {
    const char* name;
    std::function<void()> act;
  } steps[] = {
      {"drag B2 to C4", [this] { Drag(At(2, 2), At(4, 3)); }},
      {"marker on", [this] {
         view->GetParam()->m_bSelectionMarker = TRUE;
         view->Redraw();
       }},
      {"Ctrl+drag D6 to E7", [this] { Drag(At(6, 4), At(7, 5), UiAutomation::kControl); }},
      {"click on column F's header", [this] { Drag(At(0, 6), At(0, 6)); }},
      {"click on row 9's header", [this] { Drag(At(9, 0), At(9, 0)); }},
      {"drag B2 to C4 with the marker", [this] { Drag(At(2, 2), At(4, 3)); }},
      {"marker hidden", [this] { view->ShowSelectionMarker(TRUE); }},
      {"drag C5 to D8 with the marker hidden", [this] { Drag(At(5, 3), At(8, 4)); }},
      {"marker shown again", [this] { view->ShowSelectionMarker(FALSE); }},
      {"E3 typed into", [this] {
         UiAutomation::AdvanceClock(1000);
         UiAutomation::Click(view->m_hWnd, At(3, 5));
         UiAutomation::TypeText("42\n");
       }},
      {"column C 20 pixels wider", [this] {
         const CRect c = view->CalcRectFromRowCol(0, 3);
         Drag(CPoint(c.right, c.CenterPoint().y), CPoint(c.right + 20, c.CenterPoint().y));
       }},
  };
  for (Scene scene : {kAlone, kPanes, kTabs})
    for (BOOL hints : {TRUE, FALSE}) {
      SCOPED_TRACE(std::to_string(scene) + (hints ? " with hints" : " without hints"));
      Open(scene, hints);
      const int width = view->GetColWidth(3);
      // Without hints the other pane is not told: only the sending view is looked at.
      CRect own;
      view->GetClientRect(&own);
      for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(view->m_hWnd, hints ? nullptr : &own)) << s.name;
      }
      EXPECT_EQ(width + 20, view->GetColWidth(3));
      EXPECT_EQ(0, view->GetParam()->m_SelRects.GetCount());  // the click took it
      EXPECT_EQ(CString("42"), view->GetValueRowCol(3, 5));
      // The sender hears none of its own hints; the other pane hears them while they are on.
      EXPECT_EQ(0, view->hints);
      EXPECT_EQ(scene != kAlone && hints, frame->views.back()->hints > 0);
      Close();
    }
}

// The lower pane hides the header row and the upper one shows it: the header's edge dragged at the
// lower pane's top leaves no ghost of the old header in the upper pane.
TEST_F(ViewHints, AHeaderSizedFromAPaneThatHidesItShowsWholeInThePaneThatShowsIt) {
  Open(kPanes, TRUE);
  view = frame->views[1];
  ASSERT_EQ(0, view->GetRowHeight(0));
  Drag(CPoint(30, 1), CPoint(30, 41));
  EXPECT_EQ(41, frame->views[0]->GetRowHeight(0));  // the hidden row's edge: its height from nothing
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(frame->m_hWnd));
}

// A column wider than the view is shown as wide as the view: a frame made smaller, then narrower
// and higher, shows it (its header centred anew) as a repaint does, alone, in panes or in sheets.
TEST_F(ViewHints, AColumnWiderThanTheViewFollowsTheFramesNewSize) {
  for (Scene s : {kAlone, kPanes, kTabs}) {
    Open(s, TRUE);
    view->SetColWidth(2, 2, 260);
    UiAutomation::Pump();
    for (CSize size : {CSize(300, 250), CSize(140, 300)}) {
      ::SetWindowPos(frame->m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(frame->m_hWnd)) << s << " " << size.cx;
    }
    Close();
  }
}

// Two views of one document, each showing a grid of its own, both telling of their changes: a row
// chosen by its header in the one with the focus stays chosen, the current cell with it; the other
// grid's hints about its own cells change nothing here.
TEST(ViewHintsOfOtherGrids, ARowChosenByItsHeaderStaysChosen) {
  GridViewScene<CHintDoc, CCountingView> scene("grid");
  std::vector<CCountingView*> views;
  for (const CRect& r : {CRect(10, 10, 250, 200), CRect(120, 60, 400, 300)}) {
    views.push_back(static_cast<CCountingView*>(CWnd::FromHandlePermanent(
        ::GetDlgItem(scene.AddChild(0, r), AFX_IDW_PANE_FIRST))));
    views.back()->m_bUpdateHints = TRUE;
    views.back()->GetParam()->GetData()->SetRowCount(30);
    views.back()->GetParam()->GetData()->SetColCount(8);
    views.back()->Redraw();
  }
  ::BringWindowToTop(::GetParent(views[0]->m_hWnd));
  UiAutomation::Pump();
  UiAutomation::Click(views[0]->m_hWnd, views[0]->CalcRectFromRowCol(1, 0).CenterPoint());
  ROWCOL row = 0, col = 0;
  views[0]->GetCurrentCell(row, col);
  EXPECT_EQ(1u, row);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(views[0]->m_hWnd));
}
