// Grid views in the sheet-tab and record windows: the shared scroll bars keep each sheet's position
// across switches, a renamed tab renames the sheet and the tabs of the other views of the grid, and
// the record beam moves the current row and shows where it is.
#include "grid/controls/GXRecordInfoWnd.h"
#include "grid/controls/GXTabWnd.h"
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace {

class CFramesDoc : public CDocument {};

// Two views of one grid in a tab window above a third grid in a record window.
class CSheetFrame : public CFrameWnd {
 public:
  CGXTabWnd tabs;
  CGXGridView* sheets[2] = {};
  CGXRecordInfoWnd records;
  CGXGridView* list = nullptr;
  CGXGridParam* shared = nullptr;  // the grid of another frame, shown by the first sheet

  void RecalcLayout(BOOL) override {
    CRect client;
    GetClientRect(&client);
    if (tabs.GetSafeHwnd()) tabs.MoveWindow(0, 0, client.right, 180);
    if (records.GetSafeHwnd()) records.MoveWindow(0, 180, client.right, client.bottom - 180);
  }

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* ctx) override {
    tabs.CreateTabWndFrame(this);
    for (int i = 0; i < 2; ++i) {
      sheets[i] = static_cast<CGXGridView*>(RUNTIME_CLASS(CGXGridView)->CreateObject());
      sheets[i]->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &tabs, AFX_IDW_PANE_FIRST + 1 + i, ctx);
    }
    sheets[0]->SetParam(shared ? shared : new CGXGridParam, !shared);
    sheets[1]->SetParam(sheets[0]->GetParam(), FALSE);
    tabs.AttachWnd(sheets[0], "Orders");
    tabs.AttachWnd(sheets[1], "Stock");
    records.CreateRecordInfoFrame(this, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, AFX_IDW_PANE_FIRST + 10);
    list = static_cast<CGXGridView*>(RUNTIME_CLASS(CGXGridView)->CreateObject());
    list->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &records, AFX_IDW_PANE_FIRST + 11, ctx);
    records.AttachWnd(list);
    return TRUE;
  }
};

class SheetFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    GXStartGridLibrary();
    doc = new CFramesDoc;
    doc->m_bAutoDelete = FALSE;
    frame = Open(CRect(0, 0, 420, 300));
    ASSERT_TRUE(frame);
    CGXData* data = frame->sheets[0]->GetParam()->GetData();
    data->SetRowCount(300);
    data->SetColCount(30);
    frame->list->GetParam()->GetData()->SetRowCount(50);
    frame->list->GetParam()->GetData()->SetColCount(5);
    for (CGXGridView* v : {frame->sheets[0], frame->sheets[1], frame->list}) {
      v->m_bUpdateHints = TRUE;
      v->RefreshScrollBars(FALSE, FALSE);
      v->Invalidate();
    }
  }
  CSheetFrame* Open(const CRect& place, CGXGridParam* shared = nullptr) {
    auto* f = new CSheetFrame;
    f->shared = shared;
    CCreateContext ctx;
    ctx.m_pCurrentDoc = doc;
    if (!f->Create(nullptr, "sheets", WS_POPUP | WS_VISIBLE, place, nullptr, nullptr, 0, &ctx)) return nullptr;
    f->SetActiveView(f->sheets[0], FALSE);
    f->InitialUpdateFrame(doc, TRUE);
    UiAutomation::Pump();
    return f;
  }
  void TearDown() override {
    if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
    UiAutomation::Pump();
    delete doc;
    Clock::UseRealTime();
  }
  CGXTabBeam& Beam() { return frame->tabs.GetBeam(); }
  // A short press: the beam's repeat loop finds the release waiting.
  static void Press(CWnd* wnd, POINT pt) {
    UiAutomation::AdvanceClock(1000);
    ::PostMouseInput(wnd->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{pt.x, pt.y});
    ::PostMouseInput(wnd->m_hWnd, WM_LBUTTONUP, 0, POINT{pt.x, pt.y});
    UiAutomation::Pump();
  }
  void ClickTab(int nTab) {
    UiAutomation::AdvanceClock(1000);
    CGXTabBeam& b = Beam();
    UiAutomation::Click(b.m_hWnd, CPoint(b.GetTabX(nTab) + b.m_nGap + b.GetTab(nTab).nWidth / 2, b.m_nHeight / 2));
  }
  std::pair<int, int> Bars() {
    return {::GetScrollPos(::GetDlgItem(frame->tabs.m_hWnd, GX_IDW_TAB_VSCROLL), SB_CTL),
            ::GetScrollPos(::GetDlgItem(frame->tabs.m_hWnd, GX_IDW_TAB_HSCROLL), SB_CTL)};
  }
  CFramesDoc* doc = nullptr;
  CSheetFrame* frame = nullptr;
};

}  // namespace

TEST_F(SheetFrames, EachSheetKeepsItsPositionOnTheSharedBars) {
  CGXGridView* a = frame->sheets[0];
  CGXGridView* b = frame->sheets[1];
  EXPECT_EQ(a, frame->tabs.GetActivePane());
  a->SetTopRow(40);
  a->SetLeftCol(6);
  const auto atA = Bars();
  EXPECT_GT(atA.first, 0);
  EXPECT_GT(atA.second, 0);
  ClickTab(1);
  ASSERT_EQ(b, frame->tabs.GetActivePane());
  EXPECT_EQ(b, frame->GetActiveView());
  b->SetTopRow(120);
  const auto atB = Bars();
  EXPECT_NE(atA, atB);
  ClickTab(0);
  EXPECT_EQ(atA, Bars());
  EXPECT_EQ(40u, a->GetTopRow());
  ClickTab(1);
  EXPECT_EQ(atB, Bars());
  // The bars scroll the sheet shown.
  const HWND bar = ::GetDlgItem(frame->tabs.m_hWnd, GX_IDW_TAB_VSCROLL);
  CRect barRect;
  ::GetClientRect(bar, &barRect);
  UiAutomation::Click(bar, CPoint(barRect.Width() / 2, barRect.bottom - barRect.Width() / 2));  // its down arrow
  EXPECT_EQ(121u, b->GetTopRow());
  EXPECT_EQ(40u, a->GetTopRow());
  UiAutomation::Pump();
  SaveWindowImage(frame, dravonix::test::OutputPath("sheet-frames-tabs.png").c_str());
}

TEST_F(SheetFrames, RenamingATabRenamesTheSheetAndTheOtherViewsTab) {
  // The unnamed grid took its first tab's name, which the second view of the grid then shows.
  EXPECT_EQ(CString("Orders"), frame->sheets[0]->GetParam()->m_strSheetName);
  EXPECT_EQ(CString("Orders"), Beam().GetTab(1).sLabel);
  UiAutomation::AdvanceClock(1000);
  const CPoint tab0(Beam().GetTabX(0) + 20, 8);
  UiAutomation::DoubleClick(Beam().m_hWnd, tab0);
  ASSERT_NE(nullptr, frame->tabs.GetRenamePopup());
  UiAutomation::TypeText("Prices\n");
  UiAutomation::Pump();
  EXPECT_EQ(nullptr, frame->tabs.GetRenamePopup());
  EXPECT_EQ(CString("Prices"), frame->sheets[0]->GetParam()->m_strSheetName);
  EXPECT_EQ(CString("Prices"), Beam().GetTab(0).sLabel);
  EXPECT_EQ(CString("Prices"), Beam().GetTab(1).sLabel);
  // A grid that keeps its name refuses the popup.
  frame->sheets[0]->GetParam()->m_bSheetNameEditable = FALSE;
  UiAutomation::AdvanceClock(1000);
  UiAutomation::DoubleClick(Beam().m_hWnd, tab0);
  EXPECT_EQ(nullptr, frame->tabs.GetRenamePopup());
}

TEST_F(SheetFrames, TabChangesLeaveNoLineOfTheOldTabInEitherFrameOfTheGrid) {
  CSheetFrame* other = Open(CRect(430, 0, 850, 300), frame->sheets[0]->GetParam());
  ASSERT_TRUE(other);
  const auto off = [&] {
    return std::pair{dravonix::test::PixelsOffFullRepaint(frame->m_hWnd), dravonix::test::PixelsOffFullRepaint(other->m_hWnd)};
  };
  ASSERT_EQ((std::pair{0, 0}), off());
  ClickTab(1);
  EXPECT_EQ(1, Beam().GetCurrentTab());
  EXPECT_EQ((std::pair{0, 0}), off()) << "switched by a click";
  ClickTab(0);
  EXPECT_EQ((std::pair{0, 0}), off()) << "switched back";
  UiAutomation::AdvanceClock(1000);
  UiAutomation::DoubleClick(Beam().m_hWnd, CPoint(Beam().GetTabX(0) + 20, 8));
  ASSERT_NE(nullptr, frame->tabs.GetRenamePopup());
  UiAutomation::TypeText("A longer name\n");
  UiAutomation::Pump();
  EXPECT_EQ(CString("A longer name"), other->tabs.GetBeam().GetTab(0).sLabel);
  EXPECT_EQ((std::pair{0, 0}), off()) << "renamed in the first frame";
  other->DestroyWindow();
}

TEST_F(SheetFrames, TheRecordBeamMovesTheCurrentRowAndShowsIt) {
  CGXGridView* list = frame->list;
  CGXRecordInfoBeam* beam = frame->records.GetBeam();
  ASSERT_TRUE(list->SetCurrentCell(3, 1));
  const LONG headers = (LONG)list->GetHeaderRows();
  EXPECT_EQ(3 - headers, beam->GetCurrentRecord());
  EXPECT_EQ(50 - headers, beam->GetRecordCount());
  Press(beam, beam->GetButtonRect(2).CenterPoint());
  ROWCOL row = 0, col = 0;
  list->GetCurrentCell(row, col);
  EXPECT_EQ(4u, row);
  EXPECT_EQ(4 - headers, beam->GetCurrentRecord());
  EXPECT_EQ(CString(std::to_string(4 - headers).c_str()), beam->GetRecordText());
  // Last, then a typed record number.
  Press(beam, beam->GetButtonRect(3).CenterPoint());
  list->GetCurrentCell(row, col);
  EXPECT_EQ(50u, row);
  EXPECT_TRUE(beam->IsLastRecord());
  UiAutomation::AdvanceClock(1000);
  frame->UpdateWindow();
  UiAutomation::Click(beam->m_hWnd, beam->GetNumberRect().CenterPoint());
  UiAutomation::TypeText("20\n");
  list->GetCurrentCell(row, col);
  EXPECT_EQ((ROWCOL)(20 + headers), row);
  EXPECT_EQ(list->m_hWnd, ::GetFocus());
  EXPECT_EQ(20, beam->GetCurrentRecord());
  UiAutomation::Pump();
  frame->UpdateWindow();
  SaveWindowImage(frame, dravonix::test::OutputPath("sheet-frames-records.png").c_str());
}

TEST_F(SheetFrames, AGridWindowBorrowsTheRecordWindowsBarsAndShowsItsRecord) {
  CGXRecordInfoWnd records;
  records.CreateRecordInfoFrame(frame, WS_CHILD | WS_VISIBLE | WS_VSCROLL, 500);
  ZAZAzedAze grid;
  ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10),
                          &records, 501));
  records.AttachWnd(&grid);
  records.MoveWindow(0, 0, 300, 150);
  grid.Initialize();
  grid.GetParam()->GetData()->SetRowCount(30);
  grid.GetParam()->GetData()->SetColCount(3);
  EXPECT_EQ(records.GetDlgItem(59920), (CWnd*)grid.GetScrollBarCtrl(SB_VERT));
  EXPECT_EQ(nullptr, grid.GetScrollBarCtrl(SB_HORZ));  // the frame has none
  ASSERT_TRUE(grid.SetCurrentCell(12, 1));
  EXPECT_EQ(12 - (LONG)grid.GetHeaderRows(), records.GetBeam()->GetCurrentRecord());
  // A typed record that is no number goes to the first record.
  ::SendMessage(grid.m_hWnd, 0x7A3, 4, 0);
  ROWCOL row = 0, col = 0;
  grid.GetCurrentCell(row, col);
  EXPECT_EQ(grid.GetHeaderRows() + 1, row);
  EXPECT_EQ(grid.m_hWnd, ::GetFocus());
  records.DestroyWindow();
}

// A grid window shows its position on its own bars, and each sheet of a tab window on the bars the
// sheets share, its own again when the tabs switch.
TEST_F(SheetFrames, AGridWindowsBarsShowWhereItIs) {
  CWnd parent;
  parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), "", WS_POPUP | WS_VISIBLE, CRect(430, 0, 850, 400), nullptr, 0);
  ZAZAzedAze own, sheets[2];
  CGXTabWnd tabs;
  tabs.CreateTabWndFrame(&parent);
  tabs.MoveWindow(0, 160, 400, 220);
  auto make = [&](ZAZAzedAze& g, CWnd* in, DWORD bars, UINT id) {
    ASSERT_TRUE(g.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE | bars,
                         CRect(0, 0, 400, 150), in, id));
    if (in == &tabs) tabs.AttachWnd(&g, id == 11 ? "One" : "Two");
    g.Initialize();
    g.SetRowCount(50);
    g.SetColCount(20);
  };
  make(own, &parent, WS_VSCROLL | WS_HSCROLL, 10);
  make(sheets[0], &tabs, 0, 11);
  make(sheets[1], &tabs, 0, 12);
  UiAutomation::Pump();
  const HWND shared = ::GetDlgItem(tabs.m_hWnd, GX_IDW_TAB_VSCROLL);
  auto pressDown = [&] {
    CRect r;
    ::GetClientRect(shared, &r);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(shared, CPoint(r.Width() / 2, r.bottom - r.Width() / 2));
  };
  auto clickTab = [&](int n) {
    CGXTabBeam& b = tabs.GetBeam();
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(b.m_hWnd, CPoint(b.GetTabX(n) + b.m_nGap + b.GetTab(n).nWidth / 2, b.m_nHeight / 2));
  };
  for (int i = 0; i < 5; ++i) dravonix::test::bars::Press(own.m_hWnd, dravonix::test::kDownArrow);
  EXPECT_EQ(6u, own.GetTopRow());
  EXPECT_EQ(6, ::GetScrollPos(own.m_hWnd, SB_VERT)) << "own bars";
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(sheets[0].m_hWnd, sheets[0].CalcRectFromRowCol(1, 1).CenterPoint());
  for (int i = 0; i < 30; ++i) UiAutomation::PressKey(VK_DOWN);
  const int first = (int)sheets[0].GetTopRow();
  EXPECT_GT(first, 1);
  EXPECT_EQ(first, ::GetScrollPos(shared, SB_CTL)) << "the first sheet";
  clickTab(1);
  EXPECT_EQ(1, ::GetScrollPos(shared, SB_CTL)) << "the second sheet";
  for (int i = 0; i < 5; ++i) pressDown();
  EXPECT_EQ(6u, sheets[1].GetTopRow());
  EXPECT_EQ(6, ::GetScrollPos(shared, SB_CTL)) << "the second sheet scrolled";
  clickTab(0);
  EXPECT_EQ(first, ::GetScrollPos(shared, SB_CTL)) << "the first sheet again";
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(parent.m_hWnd));
  for (ZAZAzedAze* g : {&own, &sheets[0], &sheets[1]}) g->DestroyWindow();
  tabs.DestroyWindow();
  parent.DestroyWindow();
}

// A key typed while the click on another sheet's tab is under way belongs to the cell being edited,
// which the switch ends: it does not start an edit on the sheet the tab brings.
TEST_F(SheetFrames, AKeyTypedAheadOfATabClickIsDropped) {
  CGXGridView* a = frame->sheets[0];
  CGXGridView* b = frame->sheets[1];
  ClickTab(1);
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(b->m_hWnd, b->CalcRectFromRowCol(3, 3).CenterPoint());
  ClickTab(0);
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(a->m_hWnd, a->CalcRectFromRowCol(2, 2).CenterPoint());
  UiAutomation::TypeText("ab");
  ASSERT_TRUE(a->IsCurrentCellActive());
  UiAutomation::AdvanceClock(1000);
  CGXTabBeam& beam = Beam();
  const POINT tab{beam.GetTabX(1) + beam.m_nGap + beam.GetTab(1).nWidth / 2, beam.m_nHeight / 2};
  ::PostMouseInput(beam.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, tab);
  ::PostMouseInput(beam.m_hWnd, WM_LBUTTONUP, 0, tab);
  ::PostKeyInput(WM_KEYDOWN, '7', 1);
  ::PostKeyInput(WM_KEYUP, '7', (LPARAM)0xC0000001u);
  UiAutomation::Pump();
  ASSERT_EQ(1, Beam().GetCurrentTab());
  EXPECT_EQ(CString("ab"), a->GetValueRowCol(2, 2));
  EXPECT_FALSE(b->IsCurrentCellActive());
}

// A value the cell refuses keeps its sheet: after the warning the user's keys go on into the edit,
// and once mended the tab switches.
TEST_F(SheetFrames, ARefusedSwitchGivesTheEditBackItsKeys) {
  CGXGridView* a = frame->sheets[0];
  CGXStyle limits;
  limits.SetUserAttribute(51011, "1").SetUserAttribute(51012, "99").SetUserAttribute(51013, "From 1 to 99");
  a->GetParam()->GetData()->StoreStyleAt(0, 2, &limits, 0, -1);  // column B's style
  Automation::Instance().ClearMessageBoxes();
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(a->m_hWnd, a->CalcRectFromRowCol(2, 2).CenterPoint());
  UiAutomation::TypeText("500");
  ClickTab(1);
  ASSERT_EQ(0, Beam().GetCurrentTab());
  UiAutomation::PressKey(VK_BACK);
  UiAutomation::PressKey(VK_BACK);
  ClickTab(1);
  EXPECT_EQ(1, Beam().GetCurrentTab());
  EXPECT_EQ(CString("5"), a->GetValueRowCol(2, 2));
  EXPECT_EQ(1u, Automation::Instance().MessageBoxes().size());
}

// Presses and keys that scroll the sheet shown, and the record window's grid, move only the pixels
// they show: none of the bars they borrow lands in their cells.
TEST_F(SheetFrames, TheSharedBarsAndKeysScrollTheSheetAsAFullRepaintDrawsIt) {
  using namespace dravonix::test;
  const HWND tabs = frame->tabs.m_hWnd;
  ExpectBarPresses(::GetDlgItem(tabs, GX_IDW_TAB_VSCROLL),
                   {{kDownArrow, "de", 2}, {kDownArrow, "de", 3}, {kDownArrow, "de", 4}, {kDownArrow, "de", 5},
                    {kDownArrow, "de", 6}, {kPageBelow, "De", 16}, {kThumbDown, "tttpe", 85}, {kPageAbove, "Ue", 75},
                    {kUpArrow, "ue", 74}},
                   "rows");
  ExpectBarPresses(::GetDlgItem(tabs, GX_IDW_TAB_HSCROLL),
                   {{kRightArrow, "de", 2}, {kPageRight, "De", 5}, {kThumbRight, "tttpe", 10}, {kPageLeft, "Ue", 7},
                    {kLeftArrow, "ue", 6}},
                   "columns");
  ExpectBarPresses(::GetDlgItem(frame->records.m_hWnd, 59920),
                   {{kDownArrow, "de", 2}, {kDownArrow, "de", 3}, {kPageBelow, "De", 9}, {kThumbDown, "tttpe", 29},
                    {kPageAbove, "Ue", 23}, {kUpArrow, "ue", 22}},
                   "records");
  CGXGridView* sheet = frame->sheets[0];
  UiAutomation::Click(sheet->m_hWnd, sheet->CalcRectFromRowCol(sheet->GetTopRow(), sheet->GetLeftCol()).CenterPoint());
  const ROWCOL top = sheet->GetTopRow(), left = sheet->GetLeftCol();
  std::vector<UINT> keys(14, VK_DOWN);
  keys.insert(keys.end(), 8, VK_RIGHT);
  ExpectKeyPictures(sheet->m_hWnd, keys, "keys");
  EXPECT_NE(top, sheet->GetTopRow());
  EXPECT_NE(left, sheet->GetLeftCol());
}

// Borders dragged in the sheet shown and in the record window's grid, wider and narrower: the other
// grid, of another parameter object, keeps its pixels where they are.
TEST_F(SheetFrames, BorderDragsInOneGridLeaveTheOtherGridAsAFullRepaintDrawsIt) {
  using namespace dravonix::test;
  struct Row {
    bool list, column;
    int by;
  };
  const Row rows[] = {{false, true, 25}, {false, false, 8}, {false, true, -25}, {false, false, -8},
                      {true, true, 25},  {true, false, 8},  {true, true, -25},  {true, false, -8}};
  for (const Row& row : rows) {
    CGXGridView* g = row.list ? frame->list : frame->sheets[0];
    const int was = row.column ? g->GetColWidth(2) : g->GetRowHeight(3);
    const CRect h = row.column ? g->CalcRectFromRowCol(0, 2) : g->CalcRectFromRowCol(3, 0);
    const POINT from = row.column ? POINT{h.right - 1, h.CenterPoint().y} : POINT{h.CenterPoint().x, h.bottom - 1};
    UiAutomation::Drag(g->m_hWnd, from, row.column ? POINT{from.x + row.by, from.y} : POINT{from.x, from.y + row.by}, 3);
    const std::string name = std::string(row.list ? "records" : "sheet") + (row.column ? " column " : " row ") +
                             std::to_string(row.by);
    EXPECT_NE(was, row.column ? g->GetColWidth(2) : g->GetRowHeight(3)) << name;
    EXPECT_EQ(0, PixelsOffFullRepaint(g->m_hWnd)) << name;
  }
}

// Sizes set and rows and columns inserted or removed by the host move the pixels behind them: none
// of the bars the sheet and the record window's grid borrow lands in their cells.
TEST_F(SheetFrames, SizeChangesInsertsAndRemovalsLeaveNoPixelOfTheBorrowedBars) {
  using namespace dravonix::test;
  for (CGXGridView* g : {frame->sheets[0], frame->list}) {
    g->SetTopRow(3);
    g->SetLeftCol(2);
    const char* name = g == frame->list ? "records" : "sheet";
    ASSERT_EQ(0, PixelsOffFullRepaint(g->m_hWnd)) << name;
    const ROWCOL row = g->GetTopRow() + 1, col = g->GetLeftCol() + 1;
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"narrower column", [&] { g->SetColWidth(col, col, 40); }},
        {"lower row", [&] { g->SetRowHeight(row, row, 8); }},
        {"rows inserted", [&] { g->InsertRows(row, 2); }},
        {"rows removed", [&] { g->RemoveRows(row, row + 1); }},
        {"column removed", [&] { g->RemoveCols(col, col); }},
    };
    for (const auto& [what, step] : steps) {
      step();
      EXPECT_EQ(0, PixelsOffFullRepaint(g->m_hWnd)) << name << ", " << what;
    }
  }
}
