// The grid view host: split panes, scrolling and scroll bars, the current cell with its control,
// keys and clicks, and the printer the view's dialogs share with the application.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXOleDataSourceProxy.h"
#include "grid/engine/GXPrintDevice.h"
#include "grid/engine/GXSortInfo.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Automation.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/OleDragDrop.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"

#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"
#include "tests/support/PrintedPage.h"
#include "tests/support/ViewFrame.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using dravonix::test::kDownArrow;
using dravonix::test::kPageAbove;
using dravonix::test::kThumbDown;
namespace bars = dravonix::test::bars;

// An editing control: the text typed, a refusal on demand, and what it was asked to do.
class CTypedControl : public CGXControl {
 public:
  using CGXControl::CGXControl;
  void SetActive(BOOL b) override { active = b; }
  BOOL IsActive() override { return active; }
  void SetModify(BOOL b) override { modified = b; }
  BOOL GetModify() override { return modified; }
  void Init(ROWCOL r, ROWCOL c) override {
    CGXControl::Init(r, c);
    text = Grid()->GetValueRowCol(r, c);
  }
  void GetCurrentText(CString& t) override { t = text; }
  BOOL Store() override {
    ++stores;
    if (failStore) return FALSE;
    return StoreCellText(m_nRow, m_nCol, text, 0, nullptr);
  }
  BOOL OnValidate() override {
    if (!refuse) return TRUE;
    Grid()->SetWarningText("Not a valid value");
    return FALSE;
  }
  void Hide() override { hiddenAtTop.push_back(Grid()->GetTopRow()); }
  BOOL OnGridWindowMessage(UINT message, WPARAM wParam, LPARAM) override {
    told.push_back({message, Grid()->GetTopRow(), LOWORD(wParam)});
    return FALSE;
  }
  BOOL OnGridMouseActivate(CWnd*, UINT, UINT, int& result) override {
    result = mouseActivate;
    return mouseActivate != 0;
  }
  struct Told {
    UINT message;
    ROWCOL topRow;
    UINT code;
    bool operator==(const Told&) const = default;
  };
  std::vector<Told> told;
  int mouseActivate = 0;
  void Type(const char* t) {
    active = modified = TRUE;
    text = t;
  }
  BOOL active = FALSE, modified = FALSE, refuse = FALSE, failStore = FALSE;
  CString text;
  int stores = 0;
  std::vector<ROWCOL> hiddenAtTop;
};

class CTestGridView : public CGXGridView {
  DECLARE_DYNCREATE(CTestGridView)

 public:
  // Covered blocks as the test lists them, without covered-cell styles.
  BOOL GetCoveredCellsRowCol(ROWCOL r, ROWCOL c, CGXRange& range) override {
    for (const CGXRange& b : covered)
      if (b.IsCellInRange(r, c)) return range = b, TRUE;
    return FALSE;
  }
  void SortRows(CGXRange, CGXSortInfoArray& keys, UINT) override {
    sorts.push_back({keys[0].nRC, keys[0].bDescending});
    GetParam()->m_nSortRow = keys[0].nRC;
    GetParam()->m_bSortOption = keys[0].bDescending == CGXSortInfo::ascending;
  }
  BOOL ScrollGrid(int direction, ROWCOL count) override {
    scrolls.push_back({(ROWCOL)direction, count});
    if (postEscapeAfterScroll) PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
    return CGXGridView::ScrollGrid(direction, count);
  }
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    if (message == WM_CANCELMODE) ++cancelModes;
    return CGXGridView::OnWndMsg(message, wParam, lParam, pResult);
  }
  void UpdateAllViews(CView*, LPARAM, CObject* pHint) override {
    auto* h = DYNAMIC_DOWNCAST(CGXGridHint, pHint);
    hints.push_back(h->m_id);
    h->m_bAccept = acceptHints;
  }
  std::vector<CGXRange> covered;
  std::vector<std::pair<DWORD, DWORD>> sorts, scrolls;
  std::vector<UINT> hints;
  BOOL acceptHints = TRUE, postEscapeAfterScroll = FALSE;
  int cancelModes = 0;
  void DrawCell(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const RECT& rect, CGXStyle* pStyle) override {
    ++cellsDrawn;
    CGXGridView::DrawCell(pDC, nRow, nCol, rect, pStyle);
  }
  int cellsDrawn = 0;
};
IMPLEMENT_DYNCREATE(CTestGridView, CGXGridView)

class CHostDoc : public CDocument {};

class CHostFrame : public CFrameWnd {
 public:
  BOOL m_bSplit = FALSE;
  CSplitterWnd m_split;

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* ctx) override {
    return m_bSplit ? m_split.Create(this, 2, 2, CSize(20, 20), ctx) : CFrameWnd::OnCreateClient(lpcs, ctx);
  }
};

class GridView : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
  }
  void Open(BOOL bSplit = FALSE) {
    doc = new CHostDoc;
    doc->m_bAutoDelete = FALSE;
    frame = new CHostFrame;
    frame->m_bSplit = bSplit;
    ASSERT_TRUE(OpenViewFrame(*frame, RUNTIME_CLASS(CTestGridView), doc, CRect(0, 0, 400, 300)));
    view = bSplit ? static_cast<CTestGridView*>(frame->m_split.GetPane(0, 0))
                  : static_cast<CTestGridView*>(frame->GetActiveView());
    ASSERT_TRUE(view && view->IsInitialized());
    control = new CTypedControl(view);
    view->RegisterControl(52512, control, TRUE, FALSE);  // the standard style's cell type
  }
  void TearDown() override {
    if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
    UiAutomation::Pump();
    delete doc;
    Automation::Instance().Reset();
  }
  // rows x cols of the default size: rows rowHeight pixels, columns 50.
  void Table(ROWCOL rows, ROWCOL cols, int rowHeight = 20) {
    CGXGridParam* p = view->GetParam();
    p->GetData()->SetRowCount(rows);
    p->GetData()->SetColCount(cols);
    view->CGXGridCore::UpdateWindow();  // painting measures the font first
    view->StoreDefaultRowHeight(rowHeight);
    view->StoreDefaultColWidth(50);
    view->RefreshScrollBars(FALSE, FALSE);
  }
  void Put(ROWCOL r, ROWCOL c, const char* value) {
    CGXStyle s;
    s.SetValue(value);
    view->GetParam()->GetData()->StoreStyleAt(r, c, &s, 0, 0);
  }
  void Key(UINT vk, UINT modifiers = UiAutomation::kNone) { UiAutomation::PressKey(vk, modifiers); }
  std::pair<ROWCOL, ROWCOL> Current() {
    ROWCOL r = 0, c = 0;
    view->GetCurrentCell(r, c);
    return {r, c};
  }
  CHostDoc* doc = nullptr;
  CHostFrame* frame = nullptr;
  CTestGridView* view = nullptr;
  CTypedControl* control = nullptr;
};

using Cell = std::pair<ROWCOL, ROWCOL>;

}  // namespace

TEST_F(GridView, SplitPanesFollowTheFirstAndDropTheirHeaders) {
  Open(TRUE);
  Table(200, 30);
  view->SetTopRow(40);
  view->SetLeftCol(7);
  CSplitterWnd& s = frame->m_split;
  ASSERT_TRUE(s.SplitRow(120));
  auto* lower = dynamic_cast<CGXGridCore*>(s.GetPane(1, 0));
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->GetParam(), view->GetParam());
  EXPECT_EQ(lower->GetTopRow(), 40u);
  EXPECT_EQ(lower->GetLeftCol(), 7u);
  EXPECT_FALSE(lower->m_bPaneShowsHeaderRows);
  EXPECT_TRUE(lower->m_bPaneShowsHeaderCols);
  EXPECT_EQ(lower->GetScrollBarBehaviour(SB_VERT), 12u);
  ASSERT_TRUE(s.SplitColumn(150));
  auto* right = dynamic_cast<CGXGridCore*>(s.GetPane(0, 1));
  ASSERT_TRUE(right);
  EXPECT_EQ(right->GetTopRow(), 40u);
  EXPECT_FALSE(right->m_bPaneShowsHeaderCols);
  EXPECT_TRUE(right->m_bPaneShowsHeaderRows);
  // All panes print through the one device of the shared parameter block.
  EXPECT_EQ(static_cast<CGXView*>(s.GetPane(0, 1))->GetPrinterDevice(), view->GetParam()->GetPrintDevice());
  // A pane scrolled up or down takes the pane beside it along.
  view->ScrollGrid(3, 2);
  EXPECT_EQ(right->GetTopRow(), view->GetTopRow());
}

// Each pane of a split grid scrolls by its own bars and by keys as a full repaint draws it; the pane
// beside follows.
TEST_F(GridView, SplitPanesScrollByBarsAndKeysAsAFullRepaintDrawsThem) {
  using namespace dravonix::test;
  Open(TRUE);
  Table(200, 30);
  CSplitterWnd& s = frame->m_split;
  ASSERT_TRUE(s.SplitRow(120));
  ASSERT_TRUE(s.SplitColumn(180));
  UiAutomation::Pump();
  const HWND lower = s.GetPane(1, 0)->m_hWnd, right = s.GetPane(0, 1)->m_hWnd;
  ExpectBarPresses(lower,
                   {{kDownArrow, "de", 2}, {kPageBelow, "De", 9}, {kThumbDown, "tttpe", 59}, {kPageAbove, "Ue", 52},
                    {kUpArrow, "ue", 51}},
                   "lower pane");
  ExpectBarPresses(right,
                   {{kRightArrow, "de", 2}, {kPageRight, "De", 5}, {kThumbRight, "tttpe", 10}, {kPageLeft, "Ue", 7},
                    {kLeftArrow, "ue", 6}},
                   "right pane");
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(lower, POINT{70, 30});
  std::vector<UINT> keys(8, VK_DOWN);
  keys.insert(keys.end(), {VK_NEXT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_PRIOR, VK_UP});
  ExpectKeyPictures(lower, keys, "lower pane");
}

TEST_F(GridView, ScrollBarsScaleHideAndStopAtTheLastPage) {
  Open();
  Table(100000, 5);
  EXPECT_EQ(view->m_nSBThumbFactorV, 4);
  bars::Press(view->m_hWnd, kThumbDown);
  const int thumb = ::GetScrollPos(view->m_hWnd, SB_VERT);
  ASSERT_GT(thumb, 0);
  EXPECT_EQ(view->GetTopRow(), 4u * thumb);
  EXPECT_EQ(view->CGXGridCore::GetScrollPos(SB_VERT), 4 * thumb);

  // Down stops at the largest top row: the last row touches the bottom.
  const ROWCOL maxTop = view->CalcMaxTopRow();
  EXPECT_TRUE(view->DoScroll(3, 200000));
  EXPECT_EQ(view->GetTopRow(), maxTop);
  EXPECT_FALSE(view->DoScroll(3, 1));
  EXPECT_TRUE(view->DoScroll(1, 3));
  EXPECT_EQ(view->GetTopRow(), maxTop - 3);

  // Automatic bars: hidden while every row fits, shown (the strip repainted) once they do not.
  view->SetTopRow(1);
  view->GetParam()->GetData()->SetRowCount(3);
  view->RefreshScrollBars(FALSE, FALSE);
  EXPECT_FALSE(view->GetStyle() & WS_VSCROLL);
  view->GetParam()->GetData()->SetRowCount(300);
  view->RefreshScrollBars(FALSE, TRUE);
  EXPECT_TRUE(view->GetStyle() & WS_VSCROLL);
  CRect update;
  EXPECT_FALSE(view->GetUpdateRect(&update));  // painted at once
  // Removing rows while scrolled down scrolls back (shrink mode).
  view->SetTopRow(280);
  view->GetParam()->GetData()->SetRowCount(100);
  view->RefreshScrollBars(FALSE, FALSE);
  EXPECT_EQ(view->GetTopRow(), view->CalcMaxTopRow());
  EXPECT_LT(view->GetTopRow(), 100u);
}

TEST_F(GridView, AnActiveCellScrolledOutIsHiddenFirst) {
  Open();
  Table(500, 5);
  ASSERT_TRUE(view->SetCurrentCell(2, 2));
  control->Type("x");
  control->hiddenAtTop.clear();
  EXPECT_TRUE(view->DoScroll(3, 5));
  EXPECT_EQ(control->hiddenAtTop, (std::vector<ROWCOL>{6}));
  EXPECT_TRUE(view->DoScroll(1, 5));
  EXPECT_EQ(control->hiddenAtTop.size(), 1u);  // back in view: left alone
}

TEST_F(GridView, AutoScrollStepsByDistanceAndEscapeCancels) {
  Open();
  Table(500, 5);
  CRect area;
  view->GetGridRect(&area);
  POINT below{100, area.bottom + 50};
  view->ClientToScreen(&below);
  ::SetCursorPos(below.x, below.y);
  view->postEscapeAfterScroll = TRUE;
  EXPECT_TRUE(view->AutoScroll(WM_LBUTTONUP, TRUE, FALSE));
  ASSERT_EQ(view->scrolls.size(), 1u);
  EXPECT_EQ(view->scrolls[0], (std::pair<DWORD, DWORD>{3, 3}));
  EXPECT_EQ(view->cancelModes, 1);
  EXPECT_EQ(::GetCapture(), nullptr);
  // Keys while the mouse is captured: only Escape acts.
  ::SetCapture(view->m_hWnd);
  view->SetCurrentCell(1, 1);
  ASSERT_EQ(::GetFocus(), view->m_hWnd);
  Key(VK_DOWN);
  EXPECT_EQ(Current(), Cell(1, 1));
  Key(VK_ESCAPE);
  EXPECT_EQ(view->cancelModes, 2);
  ::ReleaseCapture();
}

TEST_F(GridView, ARefusedValueKeepsTheCellAndWarnsOnce) {
  Open();
  Table(20, 5);
  ASSERT_TRUE(view->SetCurrentCell(2, 2));
  control->Type("bad");
  control->refuse = TRUE;
  PostKeyInput(WM_KEYDOWN, 'Q', 1);  // typed ahead
  PostKeyInput(WM_KEYUP, 'Q', (LPARAM)0xC0000001u);
  EXPECT_FALSE(view->SetCurrentCell(3, 3));
  EXPECT_EQ(Current(), Cell(2, 2));
  EXPECT_TRUE(control->IsActive() && control->GetModify());
  const auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Not a valid value");
  MSG msg;
  EXPECT_FALSE(::PeekMessage(&msg, view->m_hWnd, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));

  // Accepted: the value is stored and the new cell bound.
  control->refuse = FALSE;
  EXPECT_TRUE(view->SetCurrentCell(3, 3));
  EXPECT_EQ(view->GetValueRowCol(2, 2), "bad");
  EXPECT_EQ(Current(), Cell(3, 3));
  EXPECT_TRUE(control->IsInitAt(3, 3));
  // Outside the table or disabled: the cell stays.
  CGXStyle disabled;
  disabled.SetEnabled(FALSE);
  view->GetParam()->GetData()->StoreStyleAt(4, 4, &disabled, 0, 0);
  for (Cell target : {Cell(21, 1), Cell(1, 6), Cell(4, 4)}) {
    EXPECT_FALSE(view->SetCurrentCell(target.first, target.second)) << target.first;
    EXPECT_EQ(Current(), Cell(3, 3));
  }
}

TEST_F(GridView, EndingAnEditStoresOnceAndAsksTheOtherViews) {
  Open();
  Table(20, 5);
  view->SetCurrentCell(1, 1);
  control->Type("12");
  EXPECT_TRUE(view->EndCurrentCellEdit(TRUE, 2, TRUE));
  EXPECT_EQ(view->GetValueRowCol(1, 1), "12");
  EXPECT_EQ(control->stores, 1);
  EXPECT_EQ(std::count(view->hints.begin(), view->hints.end(), 24u), 1);
  EXPECT_TRUE(view->IsCurrentCell(1, 1));
  view->acceptHints = FALSE;
  EXPECT_FALSE(view->EndCurrentCellEdit(TRUE, 2, TRUE));
  // The other views hear of a new current cell once, unless the caller says not to tell them.
  view->GetParam()->m_bCurrentCellHint = TRUE;
  view->hints.clear();
  view->SetCurrentCell(2, 1);
  view->SetCurrentCell(3, 1, 0x4A);
  EXPECT_EQ(view->hints, (std::vector<UINT>{27}));
  view->SetCurrentCell(1, 1);
  // Discarding reloads the stored value.
  control->Type("34");
  view->EndCurrentCellEdit(FALSE, 2, FALSE);
  EXPECT_EQ(control->text, "12");
  EXPECT_FALSE(control->IsActive());
}

TEST_F(GridView, UndoOverUnsavedTypingRevertsOnlyTheTyping) {
  Open();
  Table(20, 5);
  view->SetCurrentCell(1, 1);
  control->Type("first");
  view->SetCurrentCell(2, 1);
  view->SetCurrentCell(1, 1);
  control->Type("second");
  EXPECT_TRUE(view->Undo());
  EXPECT_EQ(control->text, "first");
  EXPECT_EQ(view->GetValueRowCol(1, 1), "first");
  EXPECT_TRUE(view->CanUndo());
}

TEST_F(GridView, KeysMoveTheCurrentCell) {
  Open();
  Table(20, 4);
  view->GetParam()->m_wEnterMoveDir = 0;
  view->SetCurrentCell(3, 4);
  struct Step {
    UINT vk, modifiers;
    Cell expected;
  } steps[] = {
      {VK_TAB, UiAutomation::kNone, {3, 4}},     // the last column: no wrap
      {VK_TAB, UiAutomation::kShift, {3, 3}},    // Shift+Tab goes left
      {VK_RETURN, UiAutomation::kNone, {3, 3}},  // direction 0: only stores
      {VK_DOWN, UiAutomation::kNone, {4, 3}},    {VK_HOME, UiAutomation::kControl, {1, 1}},
      {VK_LEFT, UiAutomation::kNone, {1, 1}},    {VK_UP, UiAutomation::kNone, {1, 1}},
      {VK_END, UiAutomation::kControl, {20, 4}}, {VK_TAB, UiAutomation::kShift, {20, 3}},
  };
  for (const Step& s : steps) {
    Key(s.vk, s.modifiers);
    EXPECT_EQ(Current(), s.expected) << s.vk;
  }
  view->SetCurrentCell(1, 1);
  view->SetCurrentCell(1, 2);
  control->Type("7");
  Key(VK_RETURN);
  EXPECT_EQ(view->GetValueRowCol(1, 2), "7");
  EXPECT_EQ(Current(), Cell(1, 2));
}

TEST_F(GridView, DownSkipsWhatCannotBeCurrent) {
  Open();
  Table(30, 4);
  view->GetParam()->m_RowHeights.SetAt(3, 0);  // row 3 has no height
  CGXStyle disabled;
  disabled.SetEnabled(FALSE);
  view->GetParam()->GetData()->StoreStyleAt(4, 2, &disabled, 0, 0);
  view->covered = {CGXRange().SetCellRange(8, 1, 10, 2), CGXRange().SetCellRange(5, 2, 6, 2)};
  view->SetCurrentCell(2, 2);
  // 2 -> 5 (3 flat, 4 disabled), 5 covers 6 -> 7, 7 -> 8? (8,2) is hidden in (8,1) -> 11.
  for (ROWCOL expected : {5u, 7u, 11u}) {
    Key(VK_DOWN);
    EXPECT_EQ(Current(), Cell(expected, 2));
  }
  view->SetCurrentCell(8, 1);
  Key(VK_DOWN);
  EXPECT_EQ(Current(), Cell(11, 1));  // a 3-row covered cell hands over to the row below it
  view->SetCurrentCell(30, 1);
  Key(VK_DOWN);
  EXPECT_EQ(Current(), Cell(30, 1));  // nothing below: stays
}

TEST_F(GridView, ShiftExtendsTheSelectionFromTheAnchor) {
  Open();
  Table(20, 5);
  view->SetCurrentCell(2, 2);
  Key(VK_DOWN, UiAutomation::kShift);
  Key(VK_RIGHT, UiAutomation::kShift);
  CGXRangeList& sel = view->GetParam()->m_SelRects;
  ASSERT_EQ(sel.GetCount(), 1);
  EXPECT_EQ(*sel.GetHead(), CGXRange().SetCellRange(2, 2, 3, 3));
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  EXPECT_TRUE(sel.IsEmpty());
  // List-box mode: one whole row follows the cell.
  view->GetParam()->m_wListBoxSelectionMode = 1;
  Key(VK_DOWN);
  ASSERT_EQ(sel.GetCount(), 1);
  EXPECT_EQ(*sel.GetHead(), CGXRange().SetRowRange(5, 5));
}

TEST_F(GridView, ClicksToggleRowsAndSortTwice) {
  Open();
  Table(20, 5);
  CGXRangeList& sel = view->GetParam()->m_SelRects;
  sel.AddTail(new CGXRange(CGXRange().SetRowRange(3, 5)));
  const CPoint pt(5, 5);
  // The hook's own answer, as the grid asks it: without Ctrl it takes nothing.
  EXPECT_FALSE(view->OnLButtonClickedRowCol(4, 0, 0, pt));
  // A Ctrl+click on a selected row header takes that row out.
  auto centre = [&](ROWCOL r, ROWCOL c) { return view->CalcRectFromRowCol(r, c).CenterPoint(); };
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(view->m_hWnd, centre(4, 0), UiAutomation::kControl);
  ASSERT_EQ(sel.GetCount(), 2);
  EXPECT_EQ(*sel.GetHead(), CGXRange().SetRowRange(3, 3));
  EXPECT_EQ(*sel.GetTail(), CGXRange().SetRowRange(5, 5));
  EXPECT_FALSE(view->OnLButtonClickedRowCol(4, 0, MK_CONTROL, pt));  // no longer selected

  // A press and release make the cell current.
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(view->m_hWnd, centre(6, 3));
  EXPECT_EQ(Current(), Cell(6, 3));

  view->GetParam()->m_bSortRowsOnDblClk = TRUE;
  for (int i = 0; i < 2; ++i) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::DoubleClick(view->m_hWnd, centre(0, 2));
  }
  EXPECT_EQ(Current(), Cell(1, 2));  // the header's press took the cell to the column's top
  UiAutomation::AdvanceClock(1000);
  UiAutomation::DoubleClick(view->m_hWnd, centre(3, 2));  // a cell sorts nothing
  EXPECT_EQ(view->sorts, (std::vector<std::pair<DWORD, DWORD>>{{2, 0}, {2, 1}}));
  EXPECT_EQ(Current(), Cell(3, 2));
}

TEST_F(GridView, AnEmptyGridIgnoresMovesAndScrolls) {
  Open();
  Table(0, 0);
  EXPECT_FALSE(view->SetCurrentCell(1, 1));
  for (UINT vk : {VK_DOWN, VK_RIGHT, VK_NEXT, VK_PRIOR, VK_TAB, VK_RETURN, VK_F2, VK_ESCAPE}) Key(vk);
  Key(VK_HOME, UiAutomation::kControl);
  Key(VK_END, UiAutomation::kControl);
  EXPECT_FALSE(view->IsCurrentCell());
  EXPECT_FALSE(view->DoScroll(3, 0));
  EXPECT_FALSE(view->DoScroll(3, 5));
  EXPECT_FALSE(view->ScrollCellInView(7, 7));
  UiAutomation::Wheel(view->m_hWnd, CPoint(50, 50), -3 * WHEEL_DELTA);
  EXPECT_EQ(view->GetTopRow(), 1u);
}

TEST_F(GridView, PaintingBeforeStartUpFillsTheWindowColour) {
  auto* early = new CTestGridView;
  CFrameWnd* host = new CFrameWnd;
  ASSERT_TRUE(host->Create(nullptr, "early", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 80)));
  ASSERT_TRUE(early->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 80), host, 1, nullptr));
  ::InvalidateRect(early->m_hWnd, nullptr, TRUE);
  EXPECT_NO_THROW(::UpdateWindow(early->m_hWnd));
  EXPECT_EQ(GetWindowPixel(early->m_hWnd, POINT{50, 40}), (COLORREF)::GetSysColor(COLOR_WINDOW));
  host->DestroyWindow();
  UiAutomation::Pump();
}

TEST_F(GridView, DraggingOutNeedsAProxy) {
  Open();
  EXPECT_TRUE(view->CreateOleDataSourceProxy(0));
  EXPECT_EQ(view->m_pOleDataSourceProxy, nullptr);
  EXPECT_TRUE(view->CreateOleDataSourceProxy(1));
  auto* proxy = dynamic_cast<CGXOleDataSourceProxy*>(view->m_pOleDataSourceProxy);
  ASSERT_TRUE(proxy);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
  proxy->CacheGlobalData(CF_TEXT, h);
  EXPECT_TRUE(proxy->GetDataSource()->HasFormat(CF_TEXT));
  proxy->Empty();
  EXPECT_FALSE(proxy->GetDataSource()->HasFormat(CF_TEXT));
  // Its window takes drops through the target it registered.
  Table(10, 5);
  view->m_dwDropTargetFlags = 0x18;
  COleDataSource text;
  HGLOBAL dropped = GlobalAlloc(GMEM_MOVEABLE, 8);
  std::memcpy(GlobalLock(dropped), "dropped", 8);
  GlobalUnlock(dropped);
  text.CacheGlobalData(CF_TEXT, dropped);
  const CPoint at = view->CalcRectFromRowCol(2, 2).CenterPoint();
  DragDropAutomation::SetDragHandler([&] {
    UiAutomation::MouseMove(view->m_hWnd, at);
    CPoint screen = at;
    view->ClientToScreen(&screen);
    PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{screen.x, screen.y});
  });
  EXPECT_EQ(text.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE), (DROPEFFECT)DROPEFFECT_MOVE);
  DragDropAutomation::SetDragHandler(nullptr);
  EXPECT_EQ(view->GetValueRowCol(2, 2), "dropped");
}

TEST_F(GridView, PrinterSetupGoesToTheSharedDeviceAndTheApplication) {
  CWinApp app("gridhost");
  Open(TRUE);
  CGXPrintDevice* device = view->GetParam()->GetPrintDevice();
  ASSERT_TRUE(device);
  DialogAutomation::CommonAnswer answer;
  answer.ok = true;
  answer.copies = 3;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::PrintSetup, answer);
  CPrintDialog dlg(TRUE, 0x14000C);
  EXPECT_EQ(view->DoPrintDialog(&dlg), IDOK);
  // The application keeps the choice, and the grid's device took it.
  ASSERT_TRUE(app.m_hDevMode);
  EXPECT_EQ(static_cast<DEVMODE*>(GlobalLock(app.m_hDevMode))->dmCopies, 3);
  GlobalUnlock(app.m_hDevMode);
  EXPECT_TRUE(device->IsSameDevice(app.m_hDevNames, app.m_hDevMode));
  // A cancelled dialog changes nothing.
  DialogAutomation::PushCancel(DialogAutomation::CommonKind::PrintSetup);
  CPrintDialog again(TRUE, 0x14000C);
  EXPECT_EQ(app.DoPrintDialog(&again), IDCANCEL);
  EXPECT_TRUE(device->IsSameDevice(app.m_hDevNames, app.m_hDevMode));

  // Landscape picked in one pane's set-up: the other pane of the block prints landscape pages.
  Table(30, 4);
  ASSERT_TRUE(frame->m_split.SplitColumn(150));
  auto* other = dynamic_cast<CGXGridView*>(frame->m_split.GetPane(0, 1));
  ASSERT_TRUE(other);
  DialogAutomation::CommonAnswer landscape;
  landscape.ok = true;
  landscape.orientation = DMORIENT_LANDSCAPE;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::PrintSetup, landscape);
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT_SETUP);
  answer.copies = 1;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, answer);
  other->OnFilePrint();
  const std::string bytes = dravonix::test::ReadFileText(AfxGetLastPrintFileName().GetString());
  const size_t box = bytes.find("/MediaBox");
  ASSERT_NE(box, std::string::npos);
  double x0 = 0, y0 = 0, w = 0, h = 0;
  ASSERT_EQ(std::sscanf(bytes.c_str() + box, "/MediaBox [ %lf %lf %lf %lf", &x0, &y0, &w, &h), 4);
  EXPECT_GT(w, h);
}

TEST_F(GridView, ThePrintFrameSurroundsTheCentredBlock) {
  Open();
  Table(3, 3);
  const std::string dir = dravonix::test::ScratchDir("grid-preview");
  AfxSetPreviewFolder(dir.c_str());
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
  AfxSetPreviewFolder(nullptr);
  const auto& images = AfxGetLastPreviewImages();
  ASSERT_EQ(images.size(), 1u);
  std::filesystem::copy_file(images[0].GetString(), dravonix::test::OutputPath("grid-print-frame.png"),
                             std::filesystem::copy_options::overwrite_existing);
  cairo_surface_t* page = cairo_image_surface_create_from_png(images[0].GetString());
  ASSERT_EQ(cairo_surface_status(page), CAIRO_STATUS_SUCCESS);
  const int w = cairo_image_surface_get_width(page), h = cairo_image_surface_get_height(page);
  const int stride = cairo_image_surface_get_stride(page);
  const unsigned char* data = cairo_image_surface_get_data(page);
  auto dark = [&](int x, int y) {
    const uint32_t px = *reinterpret_cast<const uint32_t*>(data + (size_t)y * stride + (size_t)x * 4);
    return (px & 0xFFFFFF) < 0x404040 && ((px >> 8) & 0xFF) < 0x40 && (px & 0xFF) < 0x40;
  };
  // The frame is the first dark line from the top of the page's upper half, and runs to its corners.
  int top = -1;
  for (int y = 0; y < h / 2 && top < 0; ++y)
    for (int x = 0; x < w; ++x)
      if (dark(x, y)) {
        top = y;
        break;
      }
  ASSERT_GE(top, 0);
  int left = 0, right = w - 1;
  while (left < w && !dark(left, top)) ++left;
  while (right > 0 && !dark(right, top)) --right;
  int bottom = top + 2;
  while (bottom + 1 < h && dark(left, bottom + 1)) ++bottom;
  for (int x = left; x <= right; ++x) EXPECT_TRUE(dark(x, top) && dark(x, top + 1) && dark(x, bottom) && dark(x, bottom - 1)) << x;
  for (int y = top; y <= bottom; ++y)
    EXPECT_TRUE(dark(left, y) && dark(left + 1, y) && dark(right, y) && dark(right - 1, y)) << y;
  EXPECT_FALSE(dark(left + 2, (top + bottom) / 2));  // two pixels wide
  EXPECT_GT(bottom - top, 20);
  EXPECT_NEAR(left, w - 1 - right, 2);  // centred across the page
  cairo_surface_destroy(page);
}

// A rich-text cell prints its text as large as a plain cell prints the same text, on paper and in the preview.
TEST_F(GridView, RichTextPrintsAsLargeAsPlainText) {
  Open();
  Table(2, 2);
  view->SetColWidth(1, 2, 120);
  CGXStyle cells[3];  // rich, plain, empty
  cells[0].SetControl(52534).SetValue("{WWWW}");
  cells[1].SetControl(52513).SetValue("WWWW");
  cells[2].SetControl(52513).SetValue("");
  const std::string dir = dravonix::test::ScratchDir("grid-rich-print");
  int ink[3][2] = {};  // [cell][paper, preview]
  for (int kind = 0; kind < 3; ++kind) {
    view->SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 1), &cells[kind]);
    for (UINT command : {(UINT)ID_FILE_PRINT, (UINT)ID_FILE_PRINT_PREVIEW}) {
      if (command == ID_FILE_PRINT && !dravonix::test::HavePdfRenderer()) continue;
      CImagePixels page;
      int dpi = 0;
      dravonix::test::PrintCommandPage(view, command, dir, page, dpi);
      ink[kind][command == ID_FILE_PRINT_PREVIEW] = page.Count(0, 0, page.width, page.height, [](COLORREF c) {
        return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 160;
      });
    }
  }
  for (int k = 0; k < 2; ++k) {
    const int rich = ink[0][k] - ink[2][k], plain = ink[1][k] - ink[2][k];
    EXPECT_GT(plain, 0) << k;
    EXPECT_NEAR(rich, plain, plain / 8 + 1) << (k ? "preview" : "paper");
  }
}

TEST_F(GridView, AWindowGrownRepaintsOnlyWhatItUncovers) {
  Open();
  Table(100, 20);
  frame->MoveWindow(CRect(0, 0, 460, 340));
  UiAutomation::Pump();
  view->cellsDrawn = 0;
  view->Invalidate();
  view->CWnd::UpdateWindow();
  const int all = view->cellsDrawn;
  // Taller by two rows: only the strips it uncovers repaint (the one right of the old width less a bar
  // width too).
  view->cellsDrawn = 0;
  frame->MoveWindow(CRect(0, 0, 460, 380));
  UiAutomation::Pump();
  EXPECT_GT(view->cellsDrawn, 0);
  EXPECT_LT(view->cellsDrawn, all / 2) << view->cellsDrawn << " of " << all;
  // While the windows around lay out, a size change repaints nothing; the end of the lock repaints all.
  view->SendMessage(0x7CB, 1);
  view->cellsDrawn = 0;
  frame->MoveWindow(CRect(0, 0, 540, 420));
  UiAutomation::Pump();
  EXPECT_EQ(view->cellsDrawn, 0);
  view->SendMessage(0x7CB, 0);
  UiAutomation::Pump();
  EXPECT_GE(view->cellsDrawn, all);
}

TEST_F(GridView, APaneBelowOrRightOfTheFirstScrollsTheFrozenRowsAndColumns) {
  Open(TRUE);
  Table(200, 30);
  CSplitterWnd& s = frame->m_split;
  ASSERT_TRUE(s.SplitRow(120));
  ASSERT_TRUE(s.SplitColumn(150));
  ASSERT_TRUE(view->SetFrozenRows(2));
  ASSERT_TRUE(view->SetFrozenCols(3));
  const struct {
    int row, col;
    ROWCOL frozenRows, frozenCols;
  } panes[] = {{0, 0, 2, 3}, {1, 0, 0, 3}, {0, 1, 2, 0}, {1, 1, 0, 0}};
  for (const auto& p : panes) {
    auto* pane = dynamic_cast<CGXGridCore*>(s.GetPane(p.row, p.col));
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->GetFrozenRows(), p.frozenRows) << p.row << "," << p.col;
    EXPECT_EQ(pane->GetFrozenCols(), p.frozenCols) << p.row << "," << p.col;
    pane->m_bPrinting = TRUE;  // a printout holds them in every pane
    EXPECT_EQ(pane->GetFrozenRows(), 2u);
    EXPECT_EQ(pane->GetFrozenCols(), 3u);
    pane->m_bPrinting = FALSE;
  }
  // The lower pane scrolls row 1 away.
  auto* lower = dynamic_cast<CGXGridCore*>(s.GetPane(1, 0));
  lower->SetTopRow(1);
  EXPECT_TRUE(lower->DoScroll(3, 1));
  EXPECT_EQ(lower->GetTopRow(), 2u);
}

TEST_F(GridView, ScrollMessagesHonourThumbTrackingTheLockAndTellTheControlFirst) {
  Open();
  Table(500, 5);
  ASSERT_TRUE(view->SetCurrentCell(2, 2));
  const struct {
    const char* what;
    UINT code;
    BOOL thumbTrack;
    int lock;
    ROWCOL top;
  } cases[] = {
      {"thumb tracking off", SB_THUMBTRACK, FALSE, 0, 1},
      {"thumb tracking on", SB_THUMBTRACK, TRUE, 0, 0},
      {"locked", SB_LINEDOWN, TRUE, 1, 1},
      {"line down", SB_LINEDOWN, TRUE, 0, 2},
  };
  // The thumb is held dragged down while the top row is read (0: moved along), then released.
  const HWND h = view->m_hWnd;
  for (const auto& c : cases) {
    view->SetTopRow(1);
    view->GetParam()->m_bScrollThumbTrack = c.thumbTrack;
    view->m_nLockUpdate = c.lock;
    control->told.clear();
    if (c.code == SB_THUMBTRACK) {
      const POINT from = bars::PartPoint(h, kThumbDown), to = bars::PartPoint(h, kThumbDown, 30);
      UiAutomation::MouseMove(h, from);
      PostMouseInput(h, WM_LBUTTONDOWN, MK_LBUTTON, from);
      PostMouseInput(h, WM_MOUSEMOVE, MK_LBUTTON, to);
      UiAutomation::Pump();
      const ROWCOL held = view->GetTopRow();
      if (c.top) EXPECT_EQ(held, c.top) << c.what;
      else EXPECT_GT(held, 1u) << c.what;
      PostMouseInput(h, WM_LBUTTONUP, 0, to);
      UiAutomation::Pump();
      EXPECT_EQ(view->GetTopRow(), (ROWCOL)::GetScrollPos(h, SB_VERT)) << c.what;
      EXPECT_GT(view->GetTopRow(), 1u) << c.what;
    } else {
      bars::Press(h, kDownArrow);
      EXPECT_EQ(view->GetTopRow(), c.top) << c.what;
    }
    // The control hears each scroll first, with the top row from before it.
    if (c.lock) {
      EXPECT_TRUE(control->told.empty()) << c.what;
    } else {
      ASSERT_FALSE(control->told.empty()) << c.what;
      EXPECT_EQ(control->told[0], (CTypedControl::Told{WM_VSCROLL, 1, c.code})) << c.what;
    }
    view->m_nLockUpdate = 0;
  }
  // Page up goes back by the rows that fit above the top one.
  CRect area;
  view->GetGridRect(&area);
  const ROWCOL fit = (ROWCOL)((area.Height() - view->GetRowHeight(0)) / 20);
  view->SetTopRow(40);
  bars::Press(h, kPageAbove);
  EXPECT_EQ(view->GetTopRow(), 40 - fit);
  // Called directly, the handler tells the control too.
  control->told.clear();
  view->SetTopRow(1);
  EXPECT_TRUE(view->CGXGridCore::OnHScroll(SB_LINEDOWN, 0, nullptr));
  EXPECT_EQ(control->told, (std::vector<CTypedControl::Told>{{WM_HSCROLL, 1, SB_LINEDOWN}}));
}

TEST_F(GridView, ActivationReportsAFailedStoreAndTheControlAnswersAMouseActivation) {
  Open();
  Table(20, 5);
  ASSERT_TRUE(view->SetCurrentCell(2, 2));
  control->Type("x");
  control->failStore = TRUE;
  EXPECT_FALSE(view->OnActivateGrid(FALSE));
  EXPECT_TRUE(control->active);  // the edit stays
  control->failStore = FALSE;
  EXPECT_TRUE(view->OnActivateGrid(FALSE));
  EXPECT_FALSE(control->active);
  EXPECT_TRUE(view->OnActivateGrid(TRUE));

  LRESULT result = 0;
  control->mouseActivate = MA_NOACTIVATE;
  EXPECT_TRUE(view->CGXGridCore::OnMouseActivate(nullptr, HTCLIENT, WM_LBUTTONDOWN, &result));
  EXPECT_EQ(result, MA_NOACTIVATE);
  control->mouseActivate = 0;
  EXPECT_FALSE(view->CGXGridCore::OnMouseActivate(nullptr, HTCLIENT, WM_LBUTTONDOWN, &result));
}
