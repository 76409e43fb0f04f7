// Splitter windows: static panes and their layout, bars dragged with the mouse, active panes,
// dynamic splits through split boxes, and calls with bad arguments.
#include "platform/gdi/DC.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

namespace {

class CPaneView : public CView {
  DECLARE_DYNCREATE(CPaneView)

 public:
  int m_initialUpdates = 0;
  void OnDraw(CDC*) override {}
  void OnInitialUpdate() override {
    ++m_initialUpdates;
    CView::OnInitialUpdate();
  }

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, RGB(200, 0, 0));
  }
};
IMPLEMENT_DYNCREATE(CPaneView, CView)

class CSplitDoc : public CDocument {};

// A frame whose client is a splitter: static 1 x 2, static 2 x 2, or dynamic 2 x 2.
class CSplitFrame : public CFrameWnd {
 public:
  enum Kind { kStatic1x2, kStatic2x2, kDynamic } m_kind = kStatic1x2;
  CSplitterWnd m_split;

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* ctx) override {
    switch (m_kind) {
      case kStatic1x2:
        return m_split.CreateStatic(this, 1, 2) &&
               m_split.CreateView(0, 0, RUNTIME_CLASS(CPaneView), CSize(100, 100), ctx) &&
               m_split.CreateView(0, 1, RUNTIME_CLASS(CPaneView), CSize(100, 100), ctx);
      case kStatic2x2:
        if (!m_split.CreateStatic(this, 2, 2)) return FALSE;
        for (int r = 0; r < 2; ++r)
          for (int c = 0; c < 2; ++c)
            if (!m_split.CreateView(r, c, RUNTIME_CLASS(CPaneView), CSize(80, 60), ctx)) return FALSE;
        return TRUE;
      case kDynamic:
        return m_split.Create(this, 2, 2, CSize(20, 20), ctx);
    }
    return FALSE;
  }
};

CRect PaneRect(CSplitterWnd& s, int row, int col) {
  CWnd* pane = s.GetPane(row, col);
  if (!pane) return CRect(-1, -1, -1, -1);
  CRect r;
  pane->GetWindowRect(&r);
  s.ScreenToClient(&r);
  return r;
}

class SplitterTest : public ::testing::Test {
 protected:
  CSplitDoc* m_doc = nullptr;
  CSplitFrame* m_frame = nullptr;

  void Open(CSplitFrame::Kind kind) {
    m_doc = new CSplitDoc;
    m_doc->m_bAutoDelete = FALSE;
    m_frame = new CSplitFrame;
    m_frame->m_kind = kind;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CPaneView);
    ctx.m_pCurrentDoc = m_doc;
    // A frame without caption or border: its client area is exactly 400 x 300.
    ASSERT_TRUE(m_frame->Create(nullptr, "split", WS_POPUP | WS_VISIBLE, CRect(10, 10, 410, 310), nullptr, nullptr, 0,
                                &ctx));
    m_frame->InitialUpdateFrame(m_doc, TRUE);
    UiAutomation::Pump();
  }
  void TearDown() override {
    if (m_frame && ::IsWindow(m_frame->m_hWnd)) m_frame->DestroyWindow();
    UiAutomation::Pump();
    delete m_doc;
  }
};

TEST_F(SplitterTest, StaticPanesTileTheClientArea) {
  Open(CSplitFrame::kStatic1x2);
  CSplitterWnd& s = m_frame->m_split;
  CRect client;
  s.GetClientRect(&client);
  EXPECT_EQ(CRect(0, 0, 400, 300), client);
  EXPECT_EQ(1, s.GetRowCount());
  EXPECT_EQ(2, s.GetColumnCount());
  EXPECT_EQ(AFX_IDW_PANE_FIRST + 1, s.IdFromRowCol(0, 1));
  EXPECT_EQ(AFX_IDW_PANE_FIRST + 16, s.IdFromRowCol(1, 0));
  EXPECT_EQ(CRect(0, 0, 100, 300), PaneRect(s, 0, 0));
  EXPECT_EQ(CRect(107, 0, 400, 300), PaneRect(s, 0, 1));
  int cur, min;
  s.GetColumnInfo(0, cur, min);
  EXPECT_EQ(100, cur);
  s.GetColumnInfo(1, cur, min);
  EXPECT_EQ(293, cur);
  s.GetRowInfo(0, cur, min);
  EXPECT_EQ(300, cur);
  // Both panes are views of the document; the first pane became the frame's active view.
  EXPECT_EQ(m_doc, static_cast<CView*>(s.GetPane(0, 1))->GetDocument());
  int row = -1, col = -1;
  EXPECT_EQ(s.GetPane(0, 0), s.GetActivePane(&row, &col));
  EXPECT_EQ(0, row);
  EXPECT_EQ(0, col);

  // Pixels: the panes paint red, the bar between them in the face colour.
  ::UpdateWindow(m_frame->m_hWnd);
  UiAutomation::Pump();
  EXPECT_EQ(RGB(200, 0, 0), GetWindowPixel(s.m_hWnd, POINT{50, 150}));
  EXPECT_EQ(RGB(200, 0, 0), GetWindowPixel(s.m_hWnd, POINT{250, 150}));
  EXPECT_EQ((COLORREF)GetSysColor(COLOR_BTNFACE), GetWindowPixel(s.m_hWnd, POINT{103, 150}));
  SaveWindowImage(m_frame, dravonix::test::OutputPath("splitter_static.png").c_str());
}

TEST_F(SplitterTest, DraggedBarResizesThePanes) {
  Open(CSplitFrame::kStatic1x2);
  CSplitterWnd& s = m_frame->m_split;
  EXPECT_EQ(CSplitterWnd::hSplitterBar1, s.HitTest(CPoint(103, 50)));
  EXPECT_EQ(CSplitterWnd::noHit, s.HitTest(CPoint(50, 50)));
  UiAutomation::Drag(s.m_hWnd, POINT{103, 50}, POINT{203, 80});
  EXPECT_FALSE(s.IsTracking());
  EXPECT_EQ(CRect(0, 0, 200, 300), PaneRect(s, 0, 0));
  EXPECT_EQ(CRect(207, 0, 400, 300), PaneRect(s, 0, 1));
  ::UpdateWindow(m_frame->m_hWnd);
  UiAutomation::Pump();
  EXPECT_EQ(RGB(200, 0, 0), GetWindowPixel(s.m_hWnd, POINT{103, 150}));  // where the bar was
  EXPECT_EQ((COLORREF)GetSysColor(COLOR_BTNFACE), GetWindowPixel(s.m_hWnd, POINT{203, 150}));
  SaveWindowImage(m_frame, dravonix::test::OutputPath("splitter_dragged.png").c_str());

  // A drag past the edge stops at the edge; a static splitter keeps both panes.
  UiAutomation::Drag(s.m_hWnd, POINT{203, 50}, POINT{900, 50});
  EXPECT_EQ(2, s.GetColumnCount());
  EXPECT_EQ(393, PaneRect(s, 0, 0).right);
  EXPECT_EQ(400, PaneRect(s, 0, 1).right);

  // Escape during a drag puts everything back.
  UiAutomation::Drag(s.m_hWnd, POINT{395, 50}, POINT{300, 50});
  int before = PaneRect(s, 0, 0).right;
  UiAutomation::Click(s.m_hWnd, POINT{60, 150});  // the focus in a pane, as a user leaves it
  CWnd* pane = CWnd::GetFocus();
  ASSERT_TRUE(pane && s.IsChild(pane));
  UiAutomation::MouseMove(s.m_hWnd, POINT{before + 3, 50});
  PostMouseInput(s.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{before + 3, 50});
  UiAutomation::MouseMove(s.m_hWnd, POINT{50, 50});
  EXPECT_TRUE(s.IsTracking());
  UiAutomation::PressKey(VK_ESCAPE);
  EXPECT_FALSE(s.IsTracking());
  PostMouseInput(s.m_hWnd, WM_LBUTTONUP, 0, POINT{50, 50});
  UiAutomation::Pump();
  EXPECT_EQ(before, PaneRect(s, 0, 0).right);
  EXPECT_EQ(pane, CWnd::GetFocus());
}

TEST_F(SplitterTest, RowAndColumnInfoAndActivePane) {
  Open(CSplitFrame::kStatic2x2);
  CSplitterWnd& s = m_frame->m_split;
  EXPECT_EQ(CRect(0, 0, 80, 60), PaneRect(s, 0, 0));
  EXPECT_EQ(CRect(87, 67, 400, 300), PaneRect(s, 1, 1));
  s.SetRowInfo(0, 150, 10);
  s.SetColumnInfo(0, 5, 10);  // below its minimum: the column is hidden
  s.RecalcLayout();
  EXPECT_EQ(150, PaneRect(s, 0, 1).Height());
  EXPECT_EQ(0, PaneRect(s, 0, 0).Width());
  int cur, min;
  s.GetColumnInfo(0, cur, min);
  EXPECT_EQ(0, cur);
  EXPECT_EQ(10, min);
  s.SetColumnInfo(0, 120, 10);
  s.RecalcLayout();
  EXPECT_EQ(CRect(127, 157, 400, 300), PaneRect(s, 1, 1));

  // The intersection of the bars moves both.
  EXPECT_EQ(CSplitterWnd::splitterIntersection1, s.HitTest(CPoint(123, 153)));
  UiAutomation::Drag(s.m_hWnd, POINT{123, 153}, POINT{203, 103});
  EXPECT_EQ(CRect(207, 107, 400, 300), PaneRect(s, 1, 1));

  int row = -1, col = -1;
  s.SetActivePane(1, 0);
  EXPECT_EQ(s.GetPane(1, 0), s.GetActivePane(&row, &col));
  EXPECT_EQ(1, row);
  EXPECT_EQ(0, col);
  EXPECT_EQ(s.GetPane(1, 0), m_frame->GetActiveView());
  // A click in a pane makes it the active one.
  UiAutomation::Click(s.GetPane(0, 1)->m_hWnd, POINT{10, 10});
  EXPECT_EQ(s.GetPane(0, 1), s.GetActivePane(&row, &col));
  EXPECT_EQ(0, row);
  EXPECT_EQ(1, col);
  // Splitting is for dynamic splitters only.
  EXPECT_FALSE(s.SplitRow(100));
  s.DeleteRow(0);
  EXPECT_EQ(2, s.GetRowCount());
}

TEST_F(SplitterTest, DynamicSplitBoxesMakeAndRemovePanes) {
  Open(CSplitFrame::kDynamic);
  CSplitterWnd& s = m_frame->m_split;
  EXPECT_TRUE(s.GetStyle() & SPLS_DYNAMIC_SPLIT);
  EXPECT_EQ(1, s.GetRowCount());
  EXPECT_EQ(1, s.GetColumnCount());
  // Split boxes along the top and the left; the pane takes the rest.
  EXPECT_EQ(CRect(7, 7, 400, 300), PaneRect(s, 0, 0));
  EXPECT_EQ(CSplitterWnd::vSplitterBox, s.HitTest(CPoint(200, 3)));
  EXPECT_EQ(CSplitterWnd::hSplitterBox, s.HitTest(CPoint(3, 200)));
  auto* first = static_cast<CPaneView*>(s.GetPane(0, 0));
  EXPECT_EQ(1, first->m_initialUpdates);

  // Dragging the row box down splits there; the new pane shares the document and is initialised.
  UiAutomation::Drag(s.m_hWnd, POINT{200, 3}, POINT{200, 120});
  ASSERT_EQ(2, s.GetRowCount());
  auto* second = static_cast<CPaneView*>(s.GetPane(1, 0));
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(m_doc, second->GetDocument());
  EXPECT_EQ(1, second->m_initialUpdates);
  EXPECT_EQ(CRect(7, 0, 400, 120), PaneRect(s, 0, 0));
  EXPECT_EQ(CRect(7, 127, 400, 300), PaneRect(s, 1, 0));
  EXPECT_TRUE(s.GetPane(1, 0)->GetStyle() & WS_VSCROLL);
  // No third row.
  EXPECT_FALSE(s.SplitRow(200));

  EXPECT_TRUE(s.SplitColumn(150));
  EXPECT_EQ(2, s.GetColumnCount());
  EXPECT_EQ(CRect(0, 0, 150, 120), PaneRect(s, 0, 0));
  EXPECT_EQ(CRect(157, 127, 400, 300), PaneRect(s, 1, 1));
  int count = 0;
  for (POSITION p = m_doc->GetFirstViewPosition(); p;) count += m_doc->GetNextView(p) ? 1 : 0;
  EXPECT_EQ(4, count);

  // Dragging the row bar above the minimum height removes the top row; the lower panes move up.
  s.SetActivePane(0, 0);
  UiAutomation::Drag(s.m_hWnd, POINT{300, 123}, POINT{300, 10});
  EXPECT_EQ(1, s.GetRowCount());
  EXPECT_EQ(second, s.GetPane(0, 0));
  EXPECT_EQ(CRect(0, 7, 150, 300), PaneRect(s, 0, 0));
  int row = -1, col = -1;
  EXPECT_NE(nullptr, s.GetActivePane(&row, &col));  // the active view moved to a living pane
  s.DeleteColumn(1);
  EXPECT_EQ(1, s.GetColumnCount());
  count = 0;
  for (POSITION p = m_doc->GetFirstViewPosition(); p;) count += m_doc->GetNextView(p) ? 1 : 0;
  EXPECT_EQ(1, count);
  // The last pane is never deleted.
  s.DeleteRow(0);
  s.DeleteColumn(0);
  EXPECT_EQ(second, s.GetPane(0, 0));
}

TEST(SplitterBadInput, FailsCleanly) {
  CSplitterWnd s;
  EXPECT_FALSE(s.CreateStatic(nullptr, 1, 2));
  EXPECT_EQ(nullptr, s.GetPane(0, 0));
  EXPECT_EQ(CSplitterWnd::noHit, s.HitTest(CPoint(1, 1)));
  EXPECT_EQ(nullptr, s.GetActivePane());
  s.RecalcLayout();
  s.SetRowInfo(5, 10, 10);
  int cur = 1, min = 1;
  s.GetRowInfo(-1, cur, min);
  EXPECT_EQ(0, cur);
  EXPECT_FALSE(s.SplitRow(10));
  s.DeleteRow(0);
  s.DeleteView(0, 0);

  CFrameWnd* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, "bad", WS_POPUP, CRect(0, 0, 200, 100)));
  EXPECT_FALSE(s.CreateStatic(frame, 0, 2));
  EXPECT_FALSE(s.CreateStatic(frame, 1, 17));
  CCreateContext none;
  EXPECT_FALSE(s.Create(frame, 2, 2, CSize(10, 10), &none));  // no view class
  EXPECT_FALSE(s.Create(frame, 3, 1, CSize(10, 10), nullptr));
  ASSERT_TRUE(s.CreateStatic(frame, 1, 2));
  EXPECT_FALSE(s.CreateStatic(frame, 1, 2));  // once only
  EXPECT_FALSE(s.CreateView(0, 2, RUNTIME_CLASS(CPaneView), CSize(10, 10), nullptr));
  EXPECT_FALSE(s.CreateView(-1, 0, RUNTIME_CLASS(CPaneView), CSize(10, 10), nullptr));
  EXPECT_FALSE(s.CreateView(0, 0, nullptr, CSize(10, 10), nullptr));
  EXPECT_FALSE(s.CreateView(0, 0, RUNTIME_CLASS(CDocument), CSize(10, 10), nullptr));
  EXPECT_TRUE(s.CreateView(0, 0, RUNTIME_CLASS(CPaneView), CSize(-5, 10), nullptr));
  EXPECT_FALSE(s.CreateView(0, 0, RUNTIME_CLASS(CPaneView), CSize(10, 10), nullptr));  // taken
  // A missing pane leaves a hole; the layout still runs.
  s.RecalcLayout();
  EXPECT_EQ(nullptr, s.GetPane(0, 1));
  EXPECT_FALSE(s.IsChildPane(nullptr, nullptr, nullptr));
  EXPECT_FALSE(s.IsChildPane(frame, nullptr, nullptr));
  s.SetActivePane(3, 3);
  // Clicks on the splitter's background and a destroyed splitter do nothing harmful.
  UiAutomation::Click(s.m_hWnd, POINT{150, 50});
  frame->DestroyWindow();
  UiAutomation::Pump();
  EXPECT_EQ(nullptr, s.GetPane(0, 0));
  EXPECT_FALSE(s.SplitColumn(5));
}

}  // namespace
