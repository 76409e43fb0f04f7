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
  // A drag past the edge is released after this many scrolls of the auto-scroll loop.
  BOOL ScrollGrid(int direction, ROWCOL n) override {
    const BOOL scrolled = CGXGridView::ScrollGrid(direction, n);
    if (scrolled && releaseAfter && --releaseAfter == 0) {
      POINT at{};
      ::GetCursorPos(&at);
      ScreenToClient(&at);
      PostMouseInput(m_hWnd, WM_LBUTTONUP, 0, POINT{at.x, at.y});
    }
    return scrolled;
  }
  int hints = 0, releaseAfter = 0;
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

// The selection routes a user takes, driven in both panes of one document with and without frozen
// rows and columns: both panes show the shared selection as a full repaint does.
TEST_F(ViewHints, SelectionRoutesShowInBothPanesAsARepaintDoes) {
  using UiAutomation::kControl;
  using UiAutomation::kShift;
  auto selection = [this] {
    std::string out;
    const CGXRangeList& sel = view->GetParam()->m_SelRects;
    for (POSITION pos = sel.GetHeadPosition(); pos;) {
      const CGXRange* r = sel.GetNext(pos);
      char t[48];
      if (r->IsTable()) snprintf(t, sizeof t, "t");
      else if (r->IsRows()) snprintf(t, sizeof t, "r%u-%u", (unsigned)r->m_nTop, (unsigned)r->m_nBottom);
      else if (r->IsCols()) snprintf(t, sizeof t, "c%u-%u", (unsigned)r->m_nLeft, (unsigned)r->m_nRight);
      else snprintf(t, sizeof t, "%u,%u-%u,%u", (unsigned)r->m_nTop, (unsigned)r->m_nLeft, (unsigned)r->m_nBottom, (unsigned)r->m_nRight);
      out += (out.empty() ? "" : " ") + std::string(t);
    }
    return out;
  };
  CCountingView* pane = nullptr;  // the pane a step drives
  auto click = [&](ROWCOL r, ROWCOL c, UINT mods = 0) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(pane->m_hWnd, pane->CalcRectFromRowCol(r, c).CenterPoint(), mods);
  };
  auto key = [&](UINT vk, UINT mods = 0) { UiAutomation::PressKey(vk, mods); };
  auto drag = [&](ROWCOL r, ROWCOL c, ROWCOL r2, ROWCOL c2) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Drag(pane->m_hWnd, pane->CalcRectFromRowCol(r, c).CenterPoint(), pane->CalcRectFromRowCol(r2, c2).CenterPoint());
  };
  // Pressed on a cell, moved past the pane's edge (0 bottom, 1 right, 2 top, 3 left) and held for
  // two scrolls.
  auto dragOut = [&](ROWCOL r, ROWCOL c, int edge) {
    UiAutomation::AdvanceClock(1000);
    CRect area;
    pane->GetGridRect(&area);
    const CPoint from = pane->CalcRectFromRowCol(r, c).CenterPoint();
    const CPoint out = edge == 0 ? CPoint(from.x, area.bottom + 30) : edge == 1 ? CPoint(area.right + 30, from.y)
                     : edge == 2 ? CPoint(from.x, area.top - 30) : CPoint(area.left - 30, from.y);
    pane->releaseAfter = 2;
    PostMouseInput(pane->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{from.x, from.y});
    PostMouseInput(pane->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, POINT{out.x, out.y});
    UiAutomation::Pump();
    pane->releaseAfter = 0;
  };
  // The last cell fully in the pane's grid area, as the pointer at its edge hits it.
  auto lastShown = [&](bool row) {
    CRect area;
    pane->GetGridRect(&area);
    ROWCOL r = 0, c = 0;
    pane->HitTest(CPoint(row ? 40 : area.right - 1, row ? area.bottom - 1 : 40), &r, &c);
    return row ? r : c;
  };
  struct Step {
    const char* name;
    int pane;
    std::function<void()> act;
    std::function<std::string()> want;  // the selection, then the pane's current cell
  };
  auto is = [](const char* s) { return [s] { return std::string(s); }; };
  const std::vector<Step> steps = {
      {"click C3", 0, [&] { click(3, 3); }, is(" @3,3")},
      {"Shift+click E6", 0, [&] { click(6, 5, kShift); }, is("3,3-6,5 @6,5")},
      {"Shift+Down", 0, [&] { key(VK_DOWN, kShift); }, is("3,3-7,5 @7,5")},
      // Home and End act with Ctrl alone.
      {"Shift+Ctrl+End", 0, [&] { key(VK_END, kShift | kControl); }, is("3,3-7,5 @7,5")},
      {"Shift+Ctrl+Home", 0, [&] { key(VK_HOME, kShift | kControl); }, is("3,3-7,5 @7,5")},
      {"Ctrl+End keeps the block", 0, [&] { key(VK_END, kControl); }, is("3,3-7,5 @30,10")},
      {"Shift+Ctrl+Down", 0, [&] { key(VK_DOWN, kShift | kControl); }, is("3,3-7,5 30,10-30,10 @30,10")},
      {"Shift+Ctrl+Up", 0, [&] { key(VK_UP, kShift | kControl); }, is("3,3-7,5 1,10-30,10 @1,10")},
      {"Ctrl+Home", 0, [&] { key(VK_HOME, kControl); }, is("3,3-7,5 1,10-30,10 @1,1")},
      {"Escape", 0, [&] { key(VK_ESCAPE); }, is(" @1,1")},
      {"Shift+Page Down", 0, [&] { key(VK_NEXT, kShift); },
       [&] { ROWCOL r = 0, c = 0; pane->GetCurrentCell(r, c); return "1,1-" + std::to_string(r) + ",1 @" + std::to_string(r) + ",1"; }},
      {"Shift+Page Up", 0, [&] { key(VK_PRIOR, kShift); },
       [&] { ROWCOL r = 0, c = 0; pane->GetCurrentCell(r, c); return "1,1-" + std::to_string(r) + ",1 @" + std::to_string(r) + ",1"; }},
      {"drag B4 to D6", 0, [&] { drag(4, 2, 6, 4); }, is("4,2-6,4 @4,2")},
      {"drag from C5 past the bottom", 0, [&] { dragOut(5, 3, 0); },
       [&] { return "5,3-" + std::to_string(lastShown(true)) + ",3 @5,3"; }},
      {"drag from C5 past the right edge", 0, [&] { pane->SetTopRow(1), dragOut(5, 3, 1); },
       [&] { return "5,3-5," + std::to_string(lastShown(false)) + " @5,3"; }},
      {"drag from C20 past the top", 0, [&] { pane->SetTopRow(14), pane->SetLeftCol(1), dragOut(20, 3, 2); },
       [&] { return std::to_string(pane->GetTopRow()) + ",3-20,3 @20,3"; }},
      {"drag from H5 past the left edge", 0, [&] { pane->SetTopRow(1), pane->SetLeftCol(7), dragOut(5, 8, 3); },
       [&] { return "5," + std::to_string(pane->GetLeftCol()) + "-5,8 @5,8"; }},
      {"drag A1 to C2, frozen or not", 0, [&] { pane->SetTopRow(1), pane->SetLeftCol(1), drag(1, 1, 2, 3); }, is("1,1-2,3 @1,1")},
      {"drag over column headers B to D", 0, [&] { drag(0, 2, 0, 4); }, is("c2-4 @0,2")},
      {"row 4's header", 0, [&] { pane->SetLeftCol(1), click(4, 0); }, is("r4-4 @4,0")},
      {"Shift+click on row 7's header", 0, [&] { click(7, 0, kShift); }, is("r4-7 @7,0")},
      {"Ctrl+click on column C's header", 0, [&] { click(0, 3, kControl); }, is("r4-7 c3-3 @0,3")},
      {"Ctrl+click on row 5's header unselects it", 0, [&] { click(5, 0, kControl); }, is("r4-4 r6-7 1,3-4,3 6,3-30,3 @5,0")},
      {"the corner", 0, [&] { click(0, 0); }, is("t @0,0")},
      {"the corner again", 0, [&] { click(0, 0); }, is(" @0,0")},
      {"Ctrl+click B2 and D4", 0, [&] { click(2, 2, kControl), click(4, 4, kControl); }, is("2,2-2,2 4,4-4,4 @4,4")},
      {"lower pane: click D12", 1, [&] { pane->SetTopRow(1), pane->SetLeftCol(1), click(12, 4); }, is(" @12,4")},
      {"lower pane: Shift+Left, Shift+Up", 1, [&] { key(VK_LEFT, kShift), key(VK_UP, kShift); }, is("11,3-12,4 @11,3")},
      {"lower pane: Shift+Right, Shift+Ctrl+Left", 1, [&] { key(VK_RIGHT, kShift), key(VK_LEFT, kShift | kControl); }, is("11,1-12,4 @11,1")},
      {"lower pane: Shift+Page Up", 1, [&] { key(VK_PRIOR, kShift); },
       [&] { ROWCOL r = 0, c = 0; pane->GetCurrentCell(r, c); return std::to_string(r) + ",1-12,4 @" + std::to_string(r) + ",1"; }},
      {"lower pane: drag D8 to E10", 1, [&] { drag(8, 4, 10, 5); }, is("8,4-10,5 @8,4")},
      {"lower pane: drag from D8 past the bottom", 1, [&] { dragOut(8, 4, 0); },
       [&] { return "8,4-" + std::to_string(lastShown(true)) + ",4 @8,4"; }},
  };
  Open(kPanes, TRUE);
  ::SetWindowPos(frame->m_hWnd, nullptr, 0, 0, 560, 560, SWP_NOMOVE | SWP_NOZORDER);
  frame->split.SetRowInfo(0, 300, 10);
  frame->split.RecalcLayout();
  UiAutomation::Pump();
  for (int mode = 0; mode < 4; ++mode) {
    const ROWCOL frozen = mode & 1 ? 2 : 0;
    view->GetParam()->m_bSelectionMarker = mode >= 2;
    SCOPED_TRACE(std::string(frozen ? "frozen rows and a column" : "nothing frozen") + (mode >= 2 ? ", marker" : ""));
    for (CCountingView* v : frame->views) {
      v->SetFrozenRows(frozen);
      v->SetFrozenCols(frozen / 2);
    }
    UiAutomation::Pump();
    for (const Step& s : steps) {
      pane = frame->views[s.pane];
      ::SetFocus(pane->m_hWnd);
      s.act();
      ROWCOL r = 0, c = 0;
      pane->GetCurrentCell(r, c);
      EXPECT_EQ(s.want(), selection() + " @" + std::to_string(r) + "," + std::to_string(c)) << s.name;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(frame->m_hWnd)) << s.name;
    }
    view = frame->views[0];
    view->SetSelection(nullptr);
    for (CCountingView* v : frame->views) v->SetTopRow(1), v->SetLeftCol(1);
  }
}
