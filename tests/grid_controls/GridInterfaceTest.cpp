// The grid's documented names and signatures, each used as a program written against them would.
#include "CellGridFixture.h"

#include "grid/engine/GXChild.h"
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXOperationProgress.h"
#include "grid/engine/GXSortInfo.h"
#include "platform/ui/Controls.h"
#include "platform/ui/UiAutomation.h"

#include <algorithm>

namespace {

// A child that records the presses of every button.
class CRecordingChild : public CGXChild {
 public:
  using CGXChild::CGXChild;
  void Draw(CDC*, BOOL) override {}
  BOOL OnMButtonDown(UINT, int, int) override { return presses.push_back('M'), TRUE; }
  BOOL OnRButtonDown(UINT, int, int) override { return presses.push_back('R'), TRUE; }
  BOOL OnMouseMove(UINT, int, int) override { return ++moves, FALSE; }
  std::string presses;
  int moves = 0;
};

// A static cell whose one child covers the whole cell.
class CChildCell : public CGXStatic {
 public:
  explicit CChildCell(CGXGridCore* pGrid) : CGXStatic(pGrid), child(new CRecordingChild(this)) { AddChild(child); }
  void LayoutChildren(ROWCOL, ROWCOL, const CRect& rect) override { child->SetRect(rect); }
  CRecordingChild* child;
};

class CInterfaceGrid : public CCellTestGrid {
 public:
  void SortKeys(CGXSortInfoArray& keys, CPtrArray& records) override {
    ++sorts;
    CCellTestGrid::SortKeys(keys, records);
  }
  void SetWarningText(LPCTSTR text) override {
    warnings.push_back(text ? text : "");
    CCellTestGrid::SetWarningText(text);
  }
  BOOL OnMouseMoveOver(ROWCOL r, ROWCOL c, UINT, CPoint) override { return over.push_back({r, c}), FALSE; }
  UINT OnGetDlgCode(UINT code) override { return CGXGridCore::OnGetDlgCode(code) | 0x1000; }
  void UpdateAllViews(CView*, LPARAM, CObject* pHint) override {
    if (peer) peer->OnGridUpdate(nullptr, 0, pHint);
  }
  using CGXGridCore::m_posSelRange;
  CGXGridCore* peer = nullptr;
  int sorts = 0;
  std::vector<std::string> warnings;
  std::vector<std::pair<ROWCOL, ROWCOL>> over;
};

class GridInterface : public CellGridOf<CInterfaceGrid> {
 protected:
  CInterfaceGrid& Grid() { return grid; }
};

}  // namespace

TEST(GridNames, CoreTakesAThirdPointerAndControlsWalkTheirBaseChain) {
  GXStartGridLibrary();
  CGXGridCore core(nullptr, nullptr, nullptr);
  EXPECT_STREQ(RUNTIME_CLASS(ZAZAzedAze)->m_lpszClassName, "ZAZAzedAze");
  ZAZAzedAze wnd;  // CWnd first, the core second
  EXPECT_EQ((void*)static_cast<CWnd*>(&wnd), (void*)&wnd);
  EXPECT_EQ(wnd.m_pGridWnd, &wnd);
  struct Case {
    UINT id;
    const char* kind;
    bool is;
  } cases[] = {{52519, "CGXSpinEdit", true},    {52519, "CGXEditControl", true}, {52519, "CGXStatic", true},
               {52519, "CGXControl", true},     {52519, "CGXComboBox", false},   {52535, "CGXStatic", true},
               {52535, "CGXEditControl", false}, {52521, "CGXVScrollEdit", true}, {52521, "CGXEditControl", true},
               {52517, "CGXComboBox", true},     {52517, "CGXEditControl", true}, {52520, "CGXStatic", true}};
  for (const Case& c : cases) {
    CGXControl* made = GXGetLibraryData().m_pControlFactory->CreateControl(c.id, &core);
    ASSERT_NE(made, nullptr) << c.id;
    EXPECT_EQ(made->IsKindOfControl(c.kind), c.is) << c.id << " " << c.kind;
    delete made;
  }
}

TEST(GridNames, SortInfoArrayGrowsByItsStep) {
  CGXSortInfoArray keys;
  keys.SetSize(3);
  EXPECT_EQ(keys.GetAllocatedSize(), 3);
  keys[2].bDescending = TRUE, keys[2].bCaseSensitive = TRUE;
  keys.SetSize(4);  // step: 3 / 8 raised to 4
  EXPECT_EQ(keys.GetAllocatedSize(), 7);
  EXPECT_EQ(keys[2].bCaseSensitive, 1u);
  EXPECT_EQ(keys[3].bDescending, 0u);
  keys.SetSize(8, 100);
  EXPECT_EQ(keys.GetAllocatedSize(), 107);
  keys.SetSize(0);
  EXPECT_EQ(keys.GetAllocatedSize(), 0);
}

TEST_F(GridInterface, ScrollingStoringAndSortingByTheirNames) {
  CInterfaceGrid& g = Grid();
  g.SetRowCount(200);
  EXPECT_TRUE(g.ScrollCellInView(150, 1, 0x02, FALSE));
  EXPECT_GT(g.GetTopRow(), 100u);

  // Mode 4 stores the given style as it is, replacing what was there; without a style it removes.
  g.SetStyleRange(CGXRange().SetCellRange(3, 1, 3, 1), &CGXStyle().SetValue("old").SetTextColor(RGB(255, 0, 0)));
  ASSERT_TRUE(g.StoreStyleRowCol(3, 1, &CGXStyle().SetValue("new"), 4, 0));
  CGXStyle stored;
  ASSERT_TRUE(g.GetStyleRowCol(3, 1, stored, 2, 0));
  EXPECT_EQ(stored.GetValue(), "new");
  EXPECT_FALSE(stored.GetIncludeTextColor());
  g.StoreStyleRowCol(3, 1, nullptr, 4, 0);
  EXPECT_FALSE(g.GetStyleRowCol(3, 1, stored, 2, 0));

  // A grid's own SortKeys orders the records.
  for (ROWCOL r = 1; r <= 4; ++r)
    g.SetStyleRange(CGXRange().SetCellRange(r, 2, r, 2), &CGXStyle().SetValue(r % 2 ? "b" : "a"));
  CGXSortInfoArray keys;
  keys.SetSize(1);
  keys[0].nRC = 2, keys[0].sortType = CGXSortInfo::alphanumeric, keys[0].bDescending = TRUE;
  g.SortRows(CGXRange().SetRowRange(1, 4), keys);
  EXPECT_EQ(g.sorts, 1);
  EXPECT_EQ(Value(1, 2) + Value(4, 2), "ba");

  // Structure changes hide the marker while they run and show it again after.
  g.GetParam()->m_bSelectionMarker = TRUE;
  {
    CGXMarkerHider hide(&g);
    EXPECT_TRUE(g.ShowSelectionMarker(TRUE, FALSE));
  }
  EXPECT_FALSE(g.ShowSelectionMarker(FALSE, FALSE));
  EXPECT_TRUE(g.InsertRows(2, 1));
  EXPECT_FALSE(g.ShowSelectionMarker(FALSE, FALSE));
}

TEST_F(GridInterface, ValidationWarningsGoThroughSetWarningText) {
  CInterfaceGrid& g = Grid();
  Put(52512, "12").SetUserAttribute(51011, "10").SetUserAttribute(51013, "Too small");
  Store(2, 2);
  g.SetCurrentCell(2, 2);
  CGXControl* edit = Control(2, 2);
  edit->SetActive(TRUE);
  edit->SetModify(TRUE);
  edit->SetCurrentText("9");
  g.warnings.clear();
  EXPECT_FALSE(edit->OnValidate());
  EXPECT_EQ(g.warnings, std::vector<std::string>{"Too small"});
  EXPECT_TRUE(edit->IsWindowKindOf(RUNTIME_CLASS(CEdit)));
  CGXControl* plain = GXGetLibraryData().m_pControlFactory->CreateControl(52513, &g);  // a cell without a window
  EXPECT_FALSE(plain->IsWindowKindOf(RUNTIME_CLASS(CEdit)));
  delete plain;

  // Another view that cannot end its edit makes the store fail (hint 24).
  CInterfaceGrid other;
  ASSERT_TRUE(other.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                           CRect(0, 0, 200, 100), &parent, 4));
  other.SetParam(g.GetParam(), FALSE);
  ASSERT_TRUE(other.Initialize());
  other.m_bUpdateHints = TRUE;
  other.peer = &g;
  EXPECT_FALSE(other.EndCurrentCellEdit(TRUE, 2, TRUE));
  edit->SetCurrentText("11");
  EXPECT_TRUE(other.EndCurrentCellEdit(TRUE, 2, TRUE));
  EXPECT_EQ(Value(2, 2), "11");
  other.DestroyWindow();
}

TEST_F(GridInterface, DialogCodesPercentSizesAndTheSelectionKeptAtInitialize) {
  CInterfaceGrid& g = Grid();
  EXPECT_EQ(g.CGXGridCore::OnGetDlgCode(0x100), 0x183u);
  EXPECT_EQ((UINT)::SendMessage(g.m_hWnd, WM_GETDLGCODE, 0, 0) & 0x1083u, 0x1083u);  // the override answers

  const DWORD before = GXGetProgressSettings().nPercent;
  g.SetOperationPercent(50);
  EXPECT_EQ(GXGetProgressSettings().nPercent, before);  // no operation runs
  {
    CGXOperationProgress progress;
    g.SetOperationPercent(150);
    EXPECT_EQ(GXGetProgressSettings().nPercent, 100u);
  }

  // The component not asked for is the cell's present extent.
  CClientDC dc(&g);
  CGXControl* cell = GXGetLibraryData().m_pControlFactory->CreateControl(52513, &g);
  const CGXStyle shortText = CGXStyle().SetValue("a"), longText = CGXStyle().SetValue("aaaaaaaaaaaa");
  EXPECT_EQ(cell->CalcSize(&dc, 1, 1, shortText, nullptr, TRUE).cx, cell->CalcSize(&dc, 1, 1, longText, nullptr, TRUE).cx);
  EXPECT_LT(cell->CalcSize(&dc, 1, 1, shortText, nullptr, FALSE).cx, cell->CalcSize(&dc, 1, 1, longText, nullptr, FALSE).cx);
  delete cell;

  g.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetCellRange(1, 1, 2, 2)));
  g.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetCellRange(3, 3, 4, 4)));
  g.m_posSelRange = nullptr;
  ASSERT_TRUE(g.Initialize());
  EXPECT_EQ(g.m_posSelRange, g.GetParam()->m_SelRects.GetTailPosition());
}

TEST_F(GridInterface, TrackingStateIdleMovesAndOtherButtonsReachTheCell) {
  CInterfaceGrid& g = Grid();
  const CRect header = g.CalcRectFromRowCol(0, 1);
  Post(WM_MOUSEMOVE, 0, CPoint(header.right - 1, header.CenterPoint().y));
  Post(WM_LBUTTONDOWN, MK_LBUTTON, CPoint(header.right - 1, header.CenterPoint().y));
  ::PumpMessages();
  int mode = 0;
  ULONG index = 0;
  EXPECT_TRUE(g.GetTrackingState(&mode, &index));
  EXPECT_EQ(mode, 2);
  EXPECT_EQ(index, 1u);
  Post(WM_LBUTTONUP, 0, CPoint(header.right - 1, header.CenterPoint().y));
  ::PumpMessages();
  EXPECT_FALSE(g.GetTrackingState(&mode, &index));

  auto* cell = new CChildCell(&g);
  g.RegisterControl(60000, cell, FALSE, FALSE);
  Put(60000, "");
  Store(3, 2);
  g.over.clear();
  Post(WM_MOUSEMOVE, 0, Centre(3, 2));
  ::PumpMessages();
  EXPECT_TRUE(g.over.empty());  // idle moves only set the cursor by default
  g.m_bCursorOnlyOnMove = FALSE;
  Post(WM_MOUSEMOVE, 0, Centre(3, 2) + CPoint(1, 0));
  ::PumpMessages();
  EXPECT_EQ(g.over, (std::vector<std::pair<ROWCOL, ROWCOL>>{{3, 2}}));
  EXPECT_EQ(cell->child->moves, 1);

  for (UINT down : {WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    Post(down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_MBUTTON, Centre(3, 2));
    Post(down + 1, 0, Centre(3, 2));
    ::PumpMessages();
  }
  EXPECT_EQ(cell->child->presses, "RM");
}

TEST_F(GridInterface, TypedCharactersPassTheFilterAndCompositionHoldsTheWindow) {
  struct CFilteringEdit : CGXEditControl {
    using CGXEditControl::CGXEditControl;
    BOOL OnCharFilter(UINT nChar, UINT nRepCnt, UINT nFlags) override {
      seen += (char)nChar;
      return CGXEditControl::OnCharFilter(nChar, nRepCnt, nFlags);
    }
    std::string seen;
  };
  auto* edit = new CFilteringEdit(&grid, 60001);
  grid.RegisterControl(60001, edit, FALSE, FALSE);
  Put(60001, "");
  Store(2, 1);
  // A click makes the cell current, F2 starts editing it.
  Click(Centre(2, 1));
  Key(VK_F2);
  ASSERT_TRUE(edit->IsActive());
  ASSERT_EQ(::GetFocus(), edit->m_hWnd);
  ASSERT_EQ(::GetFocus(), edit->m_hWnd);
  UiAutomation::TypeText("ab");
  EXPECT_EQ(edit->seen, "ab");
  CString text;
  edit->GetWindowText(text);
  EXPECT_EQ(text, "ab");

  // While a composition runs, drawing the cell leaves the window where it is.
  CRect before;
  edit->GetWindowRect(&before);
  CClientDC dc(&grid);
  const CRect elsewhere = grid.CalcRectFromRowCol(4, 3);
  edit->SendMessage(WM_IME_STARTCOMPOSITION);
  edit->Draw(&dc, elsewhere, 2, 1, grid.LookupStyleRowCol(2, 1), nullptr);
  CRect during;
  edit->GetWindowRect(&during);
  EXPECT_EQ(during, before);
  edit->SendMessage(WM_IME_ENDCOMPOSITION);
  edit->Draw(&dc, elsewhere, 2, 1, grid.LookupStyleRowCol(2, 1), nullptr);
  CRect after;
  edit->GetWindowRect(&after);
  EXPECT_NE(after, before);
}
