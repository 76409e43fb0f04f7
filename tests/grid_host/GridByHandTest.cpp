// A grid view in an application's MDI child, driven only by posted mouse and key input: clicks,
// drags and double clicks on cells, headers and boundaries, each step's state and its picture
// against a full repaint.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Clock.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Document.h"
#include "platform/ui/PrintInfo.h"
#include "tests/grid_host/GridViewScene.h"
#include "tests/support/BarPresses.h"
#include "tests/support/FileContents.h"
#include "tests/support/LibraryDefaults.h"
#include "tests/support/MdiScene.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace dravonix::test;

namespace {

// The document keeps the grid's data, so that each of its windows shows the same grid.
class CByHandDoc : public CDocument {
 public:
  std::unique_ptr<CGXGridParam> param;
};

// Shares the document's grid and tells the document's other windows of each change.
class CByHandView : public CGXGridView {
  DECLARE_DYNCREATE(CByHandView)

 public:
  void OnInitialUpdate() override {
    auto* doc = static_cast<CByHandDoc*>(GetDocument());
    const bool first = !doc->param;
    if (first) doc->param = std::make_unique<CGXGridParam>();
    SetParam(doc->param.get(), FALSE);
    m_bUpdateHints = TRUE;
    CGXGridView::OnInitialUpdate();
    if (!first) return;
    CGXGridParam* p = GetParam();
    p->GetData()->SetRowCount(30);
    p->GetData()->SetColCount(8);
    CGXGridCore::UpdateWindow();  // painting measures the font first
    StoreDefaultRowHeight(20);
    StoreDefaultColWidth(50);
    for (ROWCOL r = 1; r <= 30; ++r)
      for (ROWCOL c = 1; c <= 8; ++c) {
        CGXStyle s;
        s.SetValue(std::to_string(r * 10 + c).c_str());
        p->GetData()->StoreStyleAt(r, c, &s, 0, 0);
      }
    RefreshScrollBars(FALSE, FALSE);
  }
};
IMPLEMENT_DYNCREATE(CByHandView, CGXGridView)

// MDI children holding windows of one document's grid of 30 rows by 8 columns, rows 20 and
// columns 50 pixels.
class ByHandScene : public GridViewScene<CByHandDoc, CByHandView> {
 public:
  ByHandScene() : GridViewScene("grid") {}
  std::vector<CGXGridView*> views;

 protected:
  void ViewMade(CGXGridView* view) override {
    views.push_back(view);
    view->Redraw();
  }
};

std::string RangeText(const CGXRange& g) {
  std::ostringstream o;
  if (g.IsTable()) o << "t";
  else if (g.IsRows()) o << "r" << g.m_nTop << "-" << g.m_nBottom;
  else if (g.IsCols()) o << "c" << g.m_nLeft << "-" << g.m_nRight;
  else o << g.m_nTop << "," << g.m_nLeft << "-" << g.m_nBottom << "," << g.m_nRight;
  return o.str();
}

// A hand on the grid: what (kind) and where (a, b), near the top left cell shown.
struct Hand {
  int kind, a, b;
};

class GridByHand : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    scene = std::make_unique<ByHandScene>();
    scene->AddChild(0, CRect(10, 10, 420, 300));
    view = scene->views[0];
  }
  void TearDown() override {
    scene.reset();
    UiAutomation::Pump();
    Clock::UseRealTime();
  }
  HWND Wnd() const { return view->m_hWnd; }
  CPoint At(ROWCOL r, ROWCOL c) { return view->CalcRectFromRowCol(r, c).CenterPoint(); }
  // Column c's right edge in the header row, dx pixels off (the first pixel of the next column).
  CPoint ColEdge(ROWCOL c, int dx = 0) {
    const CRect h = view->CalcRectFromRowCol(0, c);
    return CPoint(h.right + dx, h.CenterPoint().y);
  }
  CPoint RowEdge(ROWCOL r, int dy = 0) {
    const CRect h = view->CalcRectFromRowCol(r, 0);
    return CPoint(h.CenterPoint().x, h.bottom + dy);
  }
  // Clears the double-click window first, as a user's pause does.
  void Drag(CPoint from, CPoint to, UINT modifiers = UiAutomation::kNone) {
    UiAutomation::AdvanceClock(1000);
    for (UINT m : {UiAutomation::kShift, UiAutomation::kControl})
      if (modifiers & m) UiAutomation::KeyDown(m == UiAutomation::kShift ? VK_SHIFT : VK_CONTROL);
    UiAutomation::Drag(Wnd(), from, to, 3, modifiers);
    UiAutomation::Pump();
    for (UINT m : {UiAutomation::kShift, UiAutomation::kControl})
      if (modifiers & m) UiAutomation::KeyUp(m == UiAutomation::kShift ? VK_SHIFT : VK_CONTROL);
  }
  void Click(CPoint at, UINT modifiers = UiAutomation::kNone) { Drag(at, at, modifiers); }
  void DoubleClick(CPoint at) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::DoubleClick(Wnd(), at);
  }
  // "current r,c; sel ...; top r,c".
  std::string State() {
    std::ostringstream o;
    ROWCOL r = 0, c = 0;
    view->GetCurrentCell(r, c);
    o << "current " << r << "," << c << "; sel";
    CGXRangeList& sel = view->GetParam()->m_SelRects;
    for (POSITION pos = sel.GetHeadPosition(); pos;) o << " " << RangeText(*sel.GetNext(pos));
    o << "; top " << view->GetTopRow() << "," << view->GetLeftCol();
    return o.str();
  }
  // "w" the widths of columns 1..lastCol, "h" the heights of rows firstRow..lastRow.
  std::string Sizes(ROWCOL lastCol, ROWCOL firstRow, ROWCOL lastRow) {
    std::ostringstream o;
    o << "w";
    for (ROWCOL c = 1; c <= lastCol; ++c) o << " " << view->GetColWidth(c);
    o << "; h";
    for (ROWCOL r = firstRow; r <= lastRow; ++r) o << " " << view->GetRowHeight(r);
    return o.str();
  }
  struct Step {
    const char* name;
    std::function<void()> act;
    std::string state;
  };
  // Each step's state as `what` tells it, its picture against a full repaint, and no capture left
  // behind.
  void Run(const std::vector<Step>& steps, const std::function<std::string()>& what) {
    for (const Step& s : steps) {
      s.act();
      UiAutomation::Pump();
      EXPECT_EQ(s.state, what()) << s.name;
      EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd())) << s.name;
      EXPECT_EQ(nullptr, ::GetCapture()) << s.name;
    }
  }
  void Apply(const Hand& h);
  // A second window of the document right of the first, both 230 pixels wide.
  void SecondWindow() {
    ::MoveWindow(::GetParent(view->m_hWnd), 0, 0, 230, 280, TRUE);
    scene->AddChild(0, CRect(232, 0, 462, 280));
  }
  // Two windows side by side of the grid with a block of equal merging values (B2:D8) and long texts
  // floating right over empty cells (B10:B16), the selection's marker on or off.
  void OpenSpans(bool marker);
  // w the window; kind 0 click, 1 typing, 2 Enter, 3 Delete, 4 a bar press, 5 a header dragged,
  // 6 a column edge dragged, 7 cells dragged over; a the row below the top one, b the column.
  struct Touch {
    int w, kind, a, b;
  };
  // Plays them in order; the number of the first whose picture differs from a full repaint, or 0.
  size_t PlayTouches(const std::vector<Touch>& touches);
  std::unique_ptr<ByHandScene> scene;
  CGXGridView* view = nullptr;
};

}  // namespace

TEST_F(GridByHand, ClicksAndDragsSelectAndScroll) {
  const int visible = 11;  // rows fully shown below the header
  Run({
      {"click C3", [&] { Click(At(3, 3)); }, "current 3,3; sel; top 1,1"},
      {"Shift+click E6", [&] { Click(At(6, 5), UiAutomation::kShift); }, "current 6,5; sel 3,3-6,5; top 1,1"},
      {"click B2 clears", [&] { Click(At(2, 2)); }, "current 2,2; sel; top 1,1"},
      {"drag B2 to C4", [&] { Drag(At(2, 2), At(4, 3)); }, "current 2,2; sel 2,2-4,3; top 1,1"},
      {"Ctrl+drag E6 to F7 adds", [&] { Drag(At(6, 5), At(7, 6), UiAutomation::kControl); },
       "current 6,5; sel 2,2-4,3 6,5-7,6; top 1,1"},
      {"column D's header", [&] { Click(At(0, 4)); }, "current 0,4; sel c4-4; top 1,1"},
      {"row 5's header", [&] { Click(At(5, 0)); }, "current 5,0; sel r5-5; top 1,1"},
      {"the corner", [&] { Click(At(0, 0)); }, "current 0,0; sel t; top 1,1"},
      {"the corner again", [&] { Click(At(0, 0)); }, "current 0,0; sel; top 1,1"},
      {"right press while the left is held cancels", [&] {
         UiAutomation::AdvanceClock(1000);
         const CPoint a = At(2, 2), b = At(4, 4);
         ::PostMouseInput(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{a.x, a.y});
         ::PostMouseInput(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, POINT{b.x, b.y});
         ::PostMouseInput(Wnd(), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, POINT{b.x, b.y});
         ::PostMouseInput(Wnd(), WM_RBUTTONUP, MK_LBUTTON, POINT{b.x, b.y});
         ::PostMouseInput(Wnd(), WM_LBUTTONUP, 0, POINT{b.x, b.y});
       },
       "current 2,2; sel; top 1,1"},
      {"page down on the bar", [&] {
         CRect c;
         view->GetClientRect(&c);
         Click(CPoint(c.right + 8, c.bottom - 40));
       },
       "current 2,2; sel; top " + std::to_string(1 + visible) + ",1"},
      {"settings changed", [&] { ::PostMessage(Wnd(), WM_SETTINGCHANGE, 0, 0); }, "current 2,2; sel; top 12,1"},
      {"system colours changed", [&] { ::PostMessage(Wnd(), WM_SYSCOLORCHANGE, 0, 0); }, "current 2,2; sel; top 12,1"},
  }, [&] { return State(); });
}

// Boundaries dragged and double-clicked in the headers, and the size changes undone from the menu.
TEST_F(GridByHand, BoundariesDraggedAndDoubleClickedResize) {
  CGXStyle wide;
  wide.SetValue("a text far wider than fifty pixels");
  view->SetStyleRange(CGXRange().SetCellRange(5, 3, 5, 3), &wide);
  auto sizes = [&] { return Sizes(5, 1, 5); };
  auto undo = [&] { ::PostMessage(scene->MainWnd(), WM_COMMAND, ID_EDIT_UNDO, 0); };
  Run({
      {"column C's edge 20 right", [&] { Drag(ColEdge(3), ColEdge(3, 20)); }, "w 50 50 70 50 50; h 20 20 20 20 20"},
      {"4 pixels right of B's edge grabs B", [&] { Drag(ColEdge(2, 4), ColEdge(2, 14)); },
       "w 50 64 70 50 50; h 20 20 20 20 20"},
      {"5 pixels right does not", [&] { Drag(ColEdge(2, 5), ColEdge(2, 15)); }, "w 50 64 70 50 50; h 20 20 20 20 20"},
      {"a one-pixel move changes nothing", [&] { Drag(ColEdge(1), ColEdge(1, 1)); }, "w 50 64 70 50 50; h 20 20 20 20 20"},
      {"row 4's edge 10 down", [&] { Drag(RowEdge(4), RowEdge(4, 10)); }, "w 50 64 70 50 50; h 20 20 20 30 20"},
      {"undo", undo, "w 50 64 70 50 50; h 20 20 20 20 20"},
      {"column D dragged to nothing hides it", [&] { Drag(ColEdge(4), ColEdge(4, -60)); },
       "w 50 64 70 0 50; h 20 20 20 20 20"},
      {"undo shows it", undo, "w 50 64 70 50 50; h 20 20 20 20 20"},
      {"a double click on C's edge fits C to its text", [&] { DoubleClick(ColEdge(3)); },
       "w 50 64 153 50 50; h 20 20 20 20 20"},
      {"D hidden again", [&] { Drag(ColEdge(4), ColEdge(4, -60)); }, "w 50 64 153 0 50; h 20 20 20 20 20"},
      {"with shows-hidden on, a double click on the edge shows D", [&] {
         view->GetParam()->m_wAllowTrackColWidth |= 0x01;
         DoubleClick(ColEdge(3));
       },
       "w 50 64 153 50 50; h 20 20 20 20 20"},
  }, sizes);
}

// A double click on the boundary of a wholly selected column (row) fits every selected one and
// shows the hidden ones among them.
TEST_F(GridByHand, ABoundaryDoubleClickFitsEverySelectedColumnOrRow) {
  CGXStyle wide;
  wide.SetValue("a text far wider than fifty pixels");
  view->SetStyleRange(CGXRange().SetCellRange(5, 2, 5, 7), &wide);
  auto sizes = [&] { return Sizes(7, 2, 6); };
  Run({
      {"column E hidden", [&] { Drag(ColEdge(5), ColEdge(5, -60)); }, "w 50 50 50 50 0 50 50; h 20 20 20 20 20"},
      {"columns C to F fitted from C's edge, E shown", [&] {
         Click(At(0, 3));
         Click(At(0, 6), UiAutomation::kShift);
         DoubleClick(ColEdge(3));
       },
       "w 50 50 153 153 50 153 50; h 20 20 20 20 20"},
      {"rows 3 to 5 fitted from row 4's edge", [&] {
         Click(At(3, 0));
         Click(At(5, 0), UiAutomation::kShift);
         DoubleClick(RowEdge(4));
       },
       "w 50 50 153 153 50 153 50; h 20 14 14 50 20"},
      {"the whole table selected: only row 2 fitted", [&] {
         Click(At(0, 0));
         DoubleClick(RowEdge(2));
       },
       "w 50 50 153 153 50 153 50; h 14 14 14 50 20"},
  }, sizes);
}

// Selected rows and columns dragged by their headers, a sort by a double click on a header, each
// undone from the menu: the values in column A and row 1 show where the data went.
TEST_F(GridByHand, HeadersDraggedAndDoubleClickedMoveAndSortTheData) {
  for (ROWCOL r = 1; r <= 5; ++r) {
    CGXStyle key;
    key.SetValue(std::to_string((r * 3) % 5 * 10).c_str());  // 30 10 40 20 0
    view->SetStyleRange(CGXRange().SetCellRange(r, 6, r, 6), &key);
  }
  view->GetParam()->m_bSortRowsOnDblClk = TRUE;
  auto data = [&] {
    std::ostringstream o;
    o << "A";
    for (ROWCOL r = 1; r <= 7; ++r) o << " " << (const char*)view->GetValueRowCol(r, 1);
    o << "; 1";
    for (ROWCOL c = 1; c <= 5; ++c) o << " " << (const char*)view->GetValueRowCol(1, c);
    return o.str();
  };
  auto undo = [&] { ::PostMessage(scene->MainWnd(), WM_COMMAND, ID_EDIT_UNDO, 0); };
  const std::string start = "A 11 21 31 41 51 61 71; 1 11 12 13 14 15";
  Run({
      {"rows 2 and 3 selected", [&] { Drag(At(2, 0), At(3, 0)); }, start},
      {"dropped on row 7", [&] { Drag(At(2, 0), At(7, 0)); }, "A 11 41 51 61 21 31 71; 1 11 12 13 14 15"},
      {"undo", undo, start},
      {"rows 2 and 3 dropped on themselves", [&] {
         Drag(At(2, 0), At(3, 0));
         Drag(At(2, 0), At(3, 0));
       },
       start},
      {"Ctrl+drag on selected rows starts no move", [&] {
         Drag(At(2, 0), At(3, 0));
         Drag(At(2, 0), At(6, 0), UiAutomation::kControl);
       },
       start},
      {"columns B and C dropped on E", [&] {
         Drag(At(0, 2), At(0, 3));
         Drag(At(0, 2), At(0, 5));
       },
       "A 11 21 31 41 51 61 71; 1 11 14 12 13 15"},
      {"undo", undo, start},
      {"double click on F's header sorts by it", [&] { DoubleClick(At(0, 6)); },
       "A 51 21 41 11 31 61 71; 1 51 52 53 54 55"},
      {"undo", undo, start},
  }, data);
}

// Two windows of one document side by side: what the user does in either shows in both.
TEST_F(GridByHand, TwoWindowsOfOneDocumentShowEachChange) {
  ::MoveWindow(::GetParent(view->m_hWnd), 0, 0, 230, 280, TRUE);
  scene->AddChild(0, CRect(232, 0, 462, 280));
  CGXGridView* other = scene->views[1];
  auto shown = [&](CGXGridView* v) {
    std::ostringstream o;
    o << (const char*)v->GetValueRowCol(2, 2) << " w" << v->GetColWidth(2) << " A";
    for (ROWCOL r = 1; r <= 3; ++r) o << " " << (const char*)v->GetValueRowCol(r, 1);
    return o.str();
  };
  auto undo = [&] { ::PostMessage(scene->MainWnd(), WM_COMMAND, ID_EDIT_UNDO, 0); };
  auto typeInto = [&](CGXGridView* v, const char* text) {
    view = v;
    Click(At(2, 2));
    UiAutomation::TypeText(text);
    view = scene->views[0];
  };
  Run({
      {"7 typed into B2", [&] { typeInto(view, "7\n"); }, "7 w50 A 11 21 31"},
      {"column B 20 wider", [&] { Drag(ColEdge(2), ColEdge(2, 20)); }, "7 w70 A 11 21 31"},
      {"rows 1 and 2 dropped on row 4", [&] {
         Drag(At(1, 0), At(2, 0));
         Drag(At(1, 0), At(4, 0));
       },
       "12 w70 A 31 11 21"},
      {"undo", undo, "7 w70 A 11 21 31"},
      {"undo", undo, "7 w50 A 11 21 31"},
      {"8 typed into B2 of the other window", [&] { typeInto(other, "8\n"); }, "8 w50 A 11 21 31"},
      {"undo", undo, "7 w50 A 11 21 31"},
  }, [&] {
    // Both windows show the same.
    const std::string one = shown(view), two = shown(other);
    return one == two ? one : one + " / other " + two;
  });
}

// A window zoomed by its host changes sizes or removes rows in its own pixels; the other window of
// the grid, at its own zoom, shows each change whole.
TEST_F(GridByHand, SizesChangedAtAnotherZoomShowInTheOtherWindow) {
  ::MoveWindow(::GetParent(view->m_hWnd), 0, 0, 230, 280, TRUE);
  scene->AddChild(0, CRect(232, 0, 462, 280));
  view->SetZoom(150);
  auto sizes = [&] {
    std::ostringstream o;
    for (CGXGridView* v : scene->views) o << "w1 " << v->GetColWidth(1) << " h2 " << v->GetRowHeight(2) << "; ";
    return o.str();
  };
  Run({
      {"column A narrowed", [&] { Drag(ColEdge(1), ColEdge(1, -30)); }, "w1 43 h2 30; w1 29 h2 20; "},
      {"row 2 taller", [&] { Drag(RowEdge(2), RowEdge(2, 30)); }, "w1 43 h2 60; w1 29 h2 39; "},
      {"column A hidden", [&] { Drag(ColEdge(1), ColEdge(1, -60)); }, "w1 0 h2 60; w1 0 h2 39; "},
      // Only a host removes rows.
      {"row 2 removed", [&] { view->RemoveRows(2, 2); }, "w1 0 h2 30; w1 0 h2 20; "},
  }, sizes);
}

// Clicks, arrows, Shift+arrows and Escape in either of two windows of one grid, with plain
// selections and with Shift extending whole rows, the selection's marker frame on: both pictures
// match a full repaint at each step.
TEST_F(GridByHand, KeysAndClicksInEitherOfTwoWindowsShowInBoth) {
  // A hand: the window, what (0 click, 1 and 2 Shift+arrow, 3 arrow, 4 Escape), the row below the
  // top one and the column right of the left one, or the arrow.
  struct Hand2 {
    int w, kind, a, b;
  };
  std::ostringstream done;
  auto start = [&](WORD mode) {
    TearDown();
    SetUp();
    ::MoveWindow(::GetParent(view->m_hWnd), 0, 0, 230, 280, TRUE);
    scene->AddChild(0, CRect(232, 0, 462, 280));
    view->GetParam()->m_wListBoxSelectionMode = mode;
    view->GetParam()->m_bSelectionMarker = TRUE;
    done.str("");
    done << "mode " << mode << ":";
  };
  auto play = [&](const Hand2& h) {
    done << " {" << h.w << "," << h.kind << "," << h.a << "," << h.b << "}";
    view = scene->views[(size_t)h.w];
    static const UINT arrows[] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
    if (h.kind == 0) Click(At(view->GetTopRow() + (ROWCOL)h.a, view->GetLeftCol() + (ROWCOL)(h.b % 3)));
    else if (h.kind < 3) UiAutomation::PressKey(arrows[h.b], UiAutomation::kShift);
    else if (h.kind == 3) UiAutomation::PressKey(arrows[h.b]);
    else UiAutomation::PressKey(VK_ESCAPE);
    UiAutomation::Pump();
    return PixelsOffFullRepaint(scene->MainWnd());
  };
  // Found by the walk: the marker of whole rows scrolled sideways keeps its handle where it was.
  start(2);
  for (const Hand2& h : {Hand2{0, 0, 3, 3}, Hand2{1, 2, 4, 2}, Hand2{0, 3, 6, 3}, Hand2{1, 1, 6, 1}, Hand2{1, 2, 5, 2}})
    EXPECT_EQ(0, play(h)) << done.str();
  std::mt19937 rng(95);
  for (WORD mode : {0, 2}) {
    start(mode);
    for (int i = 0; i < 60; ++i) {
      const int w = (int)(rng() % 2), kind = (int)(rng() % 5), a = (int)(rng() % 11), b = (int)(rng() % 4);
      ASSERT_EQ(0, play({w, kind, a, b})) << done.str();
    }
  }
}

// A row's boundary double-clicked fits the row to its cells whether or not their columns are
// scrolled out of the window: a wrapped text is measured in its column's width.
TEST_F(GridByHand, ARowFitsToAWrappedTextScrolledOutOfView) {
  view->SetStyleRange(CGXRange().SetCellRange(5, 2, 5, 2),
                      &CGXStyle().SetValue("one two three four five six seven").SetWrapText(TRUE));
  DoubleClick(RowEdge(5));
  const int shown = view->GetRowHeight(5);
  EXPECT_GT(shown, 40);
  ::PostMessage(scene->MainWnd(), WM_COMMAND, ID_EDIT_UNDO, 0);
  UiAutomation::Pump();
  CRect client;
  view->GetClientRect(&client);
  for (int i = 0; i < 2; ++i) UiAutomation::Click(view->m_hWnd, CPoint(client.right - 8, client.bottom + 8));
  ASSERT_EQ(3u, view->GetLeftCol());
  DoubleClick(RowEdge(5));
  EXPECT_EQ(shown, view->GetRowHeight(5));
}

// Rows and columns that the program removes just above the top row or left of the left column of
// the other window: that window shows the same cells, under new numbers.
TEST_F(GridByHand, RowsOrColumnsRemovedJustBeforeTheOtherWindowsViewLeaveItsCells) {
  SecondWindow();
  CGXGridView* other = scene->views[1];
  CRect client;
  other->GetClientRect(&client);
  for (int i = 0; i < 2; ++i) {
    UiAutomation::Click(other->m_hWnd, CPoint(client.right - 8, client.bottom + 8));
    UiAutomation::Click(other->m_hWnd, CPoint(client.right + 8, client.bottom - 8));
  }
  ASSERT_EQ(3u, other->GetTopRow());
  ASSERT_EQ(3u, other->GetLeftCol());
  Run({
      {"column B removed", [&] { view->RemoveCols(2, 2); }, "top 3,2; C3 34"},
      {"rows 1 and 2 removed", [&] { view->RemoveRows(1, 2); }, "top 1,2; C3 54"},
      {"the columns from its left one on removed", [&] { view->RemoveCols(2, 7); }, "top 1,1; C3 "},
  }, [&] {
    return "top " + std::to_string(other->GetTopRow()) + "," + std::to_string(other->GetLeftCol()) + "; C3 " +
           (const char*)other->GetValueRowCol(3, 3);
  });
}

// A column or row changed in one window while the other has it scrolled away: the text floating
// from it, and the covered cell whose text is centred over it, show their other part there.
TEST_F(GridByHand, SizesChangedOutOfTheOtherWindowsViewMoveWhatSpansIntoIt) {
  SecondWindow();
  view->SetFrozenRows(2);
  view->SetFrozenCols(1);
  view->SetFloatCellsMode(1);
  view->SetStyleRange(CGXRange().SetCellRange(7, 2, 7, 2), &CGXStyle().SetValue("a long long text floating"));
  view->SetStyleRange(CGXRange().SetCellRange(7, 3, 7, 4), &CGXStyle().SetValue(""));
  view->SetCoveredCellsRowCol(4, 3, 5, 4);
  view->SetStyleRange(CGXRange().SetCellRange(4, 3, 4, 3), &CGXStyle().SetVerticalAlignment(DT_VCENTER));
  // The other window scrolled to column C and row 5.
  CGXGridView* other = scene->views[1];
  CRect client;
  other->GetClientRect(&client);
  UiAutomation::Click(other->m_hWnd, CPoint(client.right - 8, client.bottom + 8));
  for (int i = 0; i < 2; ++i) UiAutomation::Click(other->m_hWnd, CPoint(client.right + 8, client.bottom - 8));
  ASSERT_EQ(5u, other->GetTopRow());
  ASSERT_EQ(3u, other->GetLeftCol());
  Run({
      {"B narrower: the text reaches farther", [&] { Drag(ColEdge(2), ColEdge(2, -20)); }, "w30 h20"},
      {"B wider: the text ends sooner", [&] { Drag(ColEdge(2), ColEdge(2, 48)); }, "w78 h20"},
      {"row 4 taller", [&] { Drag(RowEdge(4), RowEdge(4, 12)); }, "w78 h32"},
  }, [&] { return "w" + std::to_string(view->GetColWidth(2)) + " h" + std::to_string(view->GetRowHeight(4)); });
}

// The marker frame of the selection reaches two pixels past the table's last row and column: a
// row or column resized beside it leaves no piece of it behind.
TEST_F(GridByHand, ASizeChangedBesideTheMarkerAtTheTablesEndLeavesNoPieceOfIt) {
  view->GetParam()->m_bSelectionMarker = TRUE;
  Click(At(2, 2));
  UiAutomation::PressKey(VK_END, UiAutomation::kControl);
  const ROWCOL top = view->GetTopRow(), left = view->GetLeftCol();
  Run({
      {"a row selected", [&] { Click(At(top + 3, 0)); }, "sel r" + std::to_string(top + 3) + "-" + std::to_string(top + 3)},
      {"the row above it taller", [&] { Drag(RowEdge(top + 2), RowEdge(top + 2, 4)); }, "sel r" + std::to_string(top + 3) + "-" + std::to_string(top + 3)},
      {"a column selected", [&] { Click(At(0, left + 1)); }, "sel c" + std::to_string(left + 1) + "-" + std::to_string(left + 1)},
      {"the column before it wider", [&] { Drag(ColEdge(left), ColEdge(left, 6)); }, "sel c" + std::to_string(left + 1) + "-" + std::to_string(left + 1)},
  }, [&] { return "sel " + RangeText(*view->GetParam()->m_SelRects.GetTail()); });
}

// The marker frame in two windows of one grid: it frames the last selected range, whatever range
// the other window changes, and its inversion leaves an edit window over the current cell alone.
TEST_F(GridByHand, TheMarkerFramesTheLastRangeInBothWindowsAndLeavesTheEditAlone) {
  // A hand: the window, what (0 Shift+click, 1 Ctrl+click on a row header, 2 Shift+Right, 3 Ctrl+End,
  // 4 Escape), the row below the top one and the column right of the left one.
  struct Hand2 {
    int w, kind, a, b;
  };
  auto play = [&](BOOL frozen, const std::vector<Hand2>& hands) {
    TearDown();
    SetUp();
    SecondWindow();
    view->GetParam()->m_bSelectionMarker = TRUE;
    if (frozen) view->SetFrozenRows(2), view->SetFrozenCols(1);
    for (const Hand2& h : hands) {
      view = scene->views[(size_t)h.w];
      const ROWCOL r = view->GetTopRow() + (ROWCOL)h.a, c = view->GetLeftCol() + (ROWCOL)h.b;
      switch (h.kind) {
        case 0: Click(At(r, c), UiAutomation::kShift); break;
        case 1: Click(At(r, 0), UiAutomation::kControl); break;
        case 2: UiAutomation::PressKey(VK_RIGHT, UiAutomation::kShift); break;
        case 3: UiAutomation::PressKey(VK_END, UiAutomation::kControl); break;
        case 4: UiAutomation::PressKey(VK_ESCAPE); break;
      }
      UiAutomation::Pump();
    }
    return PixelsOffFullRepaint(scene->MainWnd());
  };
  // The second window's range (its last cell, by Shift+Right at the end) extended after the first
  // window selected row 6: the marker stays on row 6.
  EXPECT_EQ(0, play(TRUE, {{1, 3, 0, 0}, {1, 2, 0, 0}, {0, 1, 3, 0}, {1, 0, 4, 0}}));
  // Escape takes the selection away around the edit window that the Shift+click showed.
  EXPECT_EQ(0, play(FALSE, {{1, 3, 0, 0}, {1, 0, 6, 0}, {1, 4, 0, 0}}));
}

// Presses given up halfway, by Escape or by the other button: no line, marker or
// size change is left behind and the mouse is free.
TEST_F(GridByHand, PressesGivenUpLeaveNothingBehind) {
  // All posted before the loop runs, as a user's hand gives them while a press holds the mouse.
  auto half = [&](CPoint from, CPoint to, std::function<void()> end) {
    UiAutomation::AdvanceClock(1000);
    ::PostMouseInput(Wnd(), WM_MOUSEMOVE, 0, POINT{from.x, from.y});
    ::PostMouseInput(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{from.x, from.y});
    ::PostMouseInput(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, POINT{to.x, to.y});
    end();
    ::PostMouseInput(Wnd(), WM_LBUTTONUP, 0, POINT{to.x, to.y});
  };
  auto escape = [&] {
    ::PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostKeyInput(WM_KEYUP, VK_ESCAPE, (LPARAM)0xC0000001u);
  };
  auto right = [&] {
    ::PostMouseInput(Wnd(), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, POINT{GET_X_LPARAM(0), GET_Y_LPARAM(0)});
    ::PostMouseInput(Wnd(), WM_RBUTTONUP, MK_LBUTTON, POINT{GET_X_LPARAM(0), GET_Y_LPARAM(0)});
  };
  auto state = [&] {
    std::ostringstream o;
    o << "w" << view->GetColWidth(2) << " h" << view->GetRowHeight(3) << " A " << (const char*)view->GetValueRowCol(2, 1)
      << " sel";
    CGXRangeList& sel = view->GetParam()->m_SelRects;
    for (POSITION pos = sel.GetHeadPosition(); pos;) o << " " << RangeText(*sel.GetNext(pos));
    return o.str();
  };
  Run({
      {"column edge, Escape", [&] { half(ColEdge(2), ColEdge(2, 30), escape); }, "w50 h20 A 21 sel"},
      {"row edge, right button", [&] { half(RowEdge(3), RowEdge(3, 15), right); }, "w50 h20 A 21 sel"},
      {"cells, right button", [&] { half(At(2, 2), At(4, 3), right); }, "w50 h20 A 21 sel"},
      {"cells, Escape", [&] { half(At(2, 2), At(4, 3), escape); }, "w50 h20 A 21 sel"},
      {"row 2 selected", [&] { Click(At(2, 0)); }, "w50 h20 A 21 sel r2-2"},
      {"row 2 dragged, Escape", [&] { half(At(2, 0), At(6, 0), escape); }, "w50 h20 A 21 sel r2-2"},
      {"row 2 dragged, right button", [&] { half(At(2, 0), At(6, 0), right); }, "w50 h20 A 21 sel r2-2"},
  }, state);
}

std::string Describe(const std::vector<Hand>& hands) {
  std::ostringstream o;
  for (const Hand& h : hands) o << "{" << h.kind << "," << h.a << "," << h.b << "}, ";
  return o.str();
}

// Random hands on the grid, frozen rows and columns among them: every step's picture matches a
// full repaint and no press keeps the mouse.
TEST_F(GridByHand, RandomInputKeepsThePictureWhole) {
  // Under the library's own defaults, then under those of the kernel's grid views.
  for (bool kernelViews : {false, true}) {
    TearDown();
    dravonix::test::UseLibraryDefaults(kernelViews);
    SetUp();
    std::mt19937 rng(86);
    std::vector<Hand> done;
    for (int i = 0; i < 50; ++i) {
      done.push_back({(int)(rng() % 13), (int)(rng() % 6), (int)(rng() % 6)});
      Apply(done.back());
      ASSERT_EQ(0, PixelsOffFullRepaint(scene->MainWnd())) << Describe(done);
      ASSERT_EQ(nullptr, ::GetCapture()) << Describe(done);
    }
  }
}

// Sequences the random hands found, shortened.
TEST_F(GridByHand, FoundSequencesKeepThePictureWhole) {
  const std::vector<Hand> cases[] = {
      // Selected columns narrowed with the grid scrolled right: the scroll bar goes and the grid
      // scrolls back in the middle of the redraw.
      {{3, 5, 0}, {12, 0, 0}, {5, 0, 3}},
      {{12, 0, 0}, {3, 4, 0}, {5, 0, 3}},
      // A column narrowed to 2 pixels while its cell is edited: no room for the edit window.
      {{5, 1, 1}, {5, 1, 1}, {5, 1, 1}, {0, 1, 1}, {5, 1, 1}},
      // Columns frozen and thawed under an edited cell, then scrolled.
      {{7, 0, 2}, {5, 1, 2}, {0, 1, 1}, {10, 3, 5}, {10, 0, 4}, {12, 2, 1}},
  };
  for (const std::vector<Hand>& hands : cases) {
    TearDown();  // a new scene for each
    SetUp();
    for (const Hand& h : hands) {
      Apply(h);
      EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd())) << Describe(hands);
    }
  }
}

// Two windows with merged and floating cells: clicks, typing, Enter, Delete, bar presses and
// drags in either, the marker off and on; each picture matches a full repaint.
TEST_F(GridByHand, MergedAndFloatingCellsInTwoWindowsKeepThePictureWhole) {
  std::mt19937 rng(31);
  for (bool marker : {false, true}) {
    OpenSpans(marker);
    std::vector<Touch> touches;
    for (int i = 0; i < 80; ++i)
      touches.push_back({(int)(rng() % 2), (int)(rng() % 8), (int)(rng() % 8), (int)(rng() % 8)});
    EXPECT_EQ(0u, PlayTouches(touches)) << "marker " << marker;
  }
}

// A cell edited at the start of a merged block, the grid scrolled right past it, typed into there
// and scrolled back: the edit window never lies over the row headers.
TEST_F(GridByHand, AnEditedBlockScrolledFromItsCellKeepsTheHeadersWhole) {
  OpenSpans(false);
  EXPECT_EQ(0u, PlayTouches({{0, 0, 2, 6}, {0, 1, 0, 7}, {0, 0, 6, 0}, {0, 4, 4, 0}, {0, 4, 2, 1}, {0, 1, 0, 3},
                             {0, 4, 1, 3}}));
}

// Cells selected in one window, cleared by Delete in the other, split a merged block: the first
// window draws the new blocks where the old one stood.
TEST_F(GridByHand, MergedCellsClearedInOneWindowSplitInTheOther) {
  OpenSpans(false);
  EXPECT_EQ(0u, PlayTouches({{1, 7, 3, 4}, {0, 4, 7, 3}, {0, 3, 3, 2}}));
}

// A column widened in one window while the other shows only the cells its long texts float into:
// the other draws the texts where they now stand and clears where they no longer reach.
TEST_F(GridByHand, TextsFloatingFromColumnsScrolledAwayFollowTheirWidth) {
  OpenSpans(false);
  EXPECT_EQ(0u, PlayTouches({{0, 5, 6, 2}, {1, 6, 0, 0}, {0, 4, 2, 1}, {0, 3, 4, 3}, {1, 6, 6, 1}}));
  OpenSpans(false);
  EXPECT_EQ(0u, PlayTouches({{0, 7, 7, 0}, {0, 2, 1, 1}, {1, 1, 1, 1}, {0, 1, 0, 0}, {1, 6, 5, 1}}));
}

// The row headers widened by their edge until column A no longer fits: A, kept to what the view
// leaves, narrows with it and draws its header where a full repaint does.
TEST_F(GridByHand, ARowHeaderWidenedNarrowsTheColumnCutByTheEdge) {
  ::MoveWindow(::GetParent(view->m_hWnd), 0, 0, 230, 280, TRUE);
  UiAutomation::Pump();
  Run({{"row headers 116 wider", [&] { Drag(ColEdge(0), ColEdge(0, 116)); }, "w 32 32; h"}}, [&] { return Sizes(2, 1, 0); });
}

// Typing into the first cell of a selection over a merged block: the edit window laid over the
// block is not inverted where it covers the other selected cells, in a full repaint either.
TEST_F(GridByHand, AnEditOverASelectedMergedBlockStaysUninverted) {
  OpenSpans(false);
  EXPECT_EQ(0u, PlayTouches({{0, 7, 5, 5}, {1, 1, 2, 7}}));
}

// Columns moved by their headers through runs of merged cells along the rows: a run whose middle
// cell now holds another value no longer draws over it.
TEST_F(GridByHand, ColumnsMovedThroughMergedRunsSplitThem) {
  OpenSpans(false);
  EXPECT_EQ(0u, PlayTouches({{1, 4, 5, 6}, {0, 5, 6, 4}, {1, 1, 0, 2}, {1, 2, 4, 0}, {0, 5, 1, 2}, {0, 6, 1, 5},
                             {0, 5, 2, 1}, {1, 0, 3, 2}, {0, 5, 4, 7}}));
}

// Delete over cells selected from a floating text's cell empties its edit and ends the float: the
// other window of the grid, which showed it floating, draws the text in its own cell.
TEST_F(GridByHand, AFloatEndedByTheEditShowsInTheOtherWindow) {
  OpenSpans(false);
  Drag(At(10, 2), At(11, 3));
  UiAutomation::PressKey(VK_DELETE);
  UiAutomation::Pump();
  EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd()));
}

// A host stores a short text in the cell a long one floated from, the cell scrolled away, and the
// user takes it back by Ctrl+Z: the window shows the cells the float covered as a full repaint does.
TEST_F(GridByHand, AFloatEndedLeftOfTheViewAndBackShowsWhole) {
  OpenSpans(false);
  bars::Press(Wnd(), kRightArrow);
  bars::Press(Wnd(), kRightArrow);
  UiAutomation::Pump();
  CGXStyle shorter;
  shorter.SetValue("ab");
  view->SetStyleRange(CGXRange().SetCellRange(10, 2, 10, 2), &shorter);  // only a host's call stores a style
  UiAutomation::Pump();
  EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd())) << "stored";
  UiAutomation::PressKey('Z', UiAutomation::kControl);
  UiAutomation::Pump();
  EXPECT_EQ("a long text that floats on", std::string(view->GetValueRowCol(10, 2)));
  EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd())) << "undone";
}

// An edit under way while the program freezes and thaws columns: the edit window follows its cell
// out of view and back, and keeps what was typed.
TEST_F(GridByHand, FrozenColumnsMoveTheEditWithItsCell) {
  Click(At(2, 2));
  UiAutomation::TypeText("99");
  HWND edit = nullptr;  // the window the typing opened over the cell
  for (HWND h = ::GetTopWindow(Wnd()); h && !edit; h = ::GetWindow(h, GW_HWNDNEXT))
    if (::IsWindowVisible(h)) edit = h;
  ASSERT_TRUE(edit);
  const struct {
    ROWCOL frozen;
    BOOL shown;
    const char* name;
  } steps[] = {{2, TRUE, "B frozen"}, {1, FALSE, "B thawed, scrolled out"}, {2, TRUE, "B frozen again"}};
  for (const auto& s : steps) {
    view->SetFrozenCols(s.frozen);
    UiAutomation::Pump();
    EXPECT_EQ(s.shown, ::IsWindowVisible(edit)) << s.name;
    EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd())) << s.name;
  }
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(CString("99"), view->GetValueRowCol(2, 2));
}

// Print preview from the frame's menu, of the table as it fits one page and with every column
// three times as wide (an edge dragged with the whole table selected): each shows its page and
// leaves the windows as they were.
TEST_F(GridByHand, PreviewFromTheMenuShowsAPage) {
  AfxSetPreviewFolder(dravonix::test::ScratchDir("grid-by-hand-preview").c_str());
  for (int wide = 0; wide < 2; ++wide) {
    if (wide) {
      Click(At(0, 0));
      Drag(ColEdge(1), ColEdge(1, 100));
      EXPECT_EQ(150, view->GetColWidth(8));
    }
    ::PostMessage(scene->MainWnd(), WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    UiAutomation::Pump();
    EXPECT_EQ(1u, AfxGetLastPreviewImages().size()) << wide;
    EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd())) << wide;
  }
  AfxSetPreviewFolder(nullptr);
}

// Print with "Selection" picked in the print dialog: the page holds the selected block, frozen rows
// and columns and headers, nothing of the rows and columns beyond the block.
TEST_F(GridByHand, PrintingTheSelectionPrintsOnlyTheSelectedBlock) {
  SetPrinterOutputFolder(ScratchDir("grid-by-hand-print").c_str());
  auto printed = [&] {
    DialogAutomation::CommonAnswer ok;
    ok.ok = true;
    ok.flags = PD_SELECTION;
    DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, ok);
    ::PostMessage(scene->MainWnd(), WM_COMMAND, ID_FILE_PRINT, 0);
    UiAutomation::Pump();
    const std::string pdf = AfxGetLastPrintFileName().GetString(), txt = pdf + ".txt";
    if (std::system(("pdftotext -layout '" + pdf + "' '" + txt + "' 2>/dev/null").c_str()) != 0) return std::string("?");
    // The table's lines, their words single-spaced (the footer's time left out).
    std::istringstream in(ReadFileText(txt));
    std::string line, out;
    while (std::getline(in, line)) {
      std::istringstream words(line);
      std::string w, joined;
      while (words >> w) joined += (joined.empty() ? "" : " ") + w;
      if (!joined.empty() && joined.find(':') == std::string::npos) out += joined + "|";
    }
    return out;
  };
  Drag(At(2, 2), At(3, 3));
  const std::string block = printed();
  if (block == "?") GTEST_SKIP() << "pdftotext is not installed";
  EXPECT_EQ("B C|2 22 23|3 32 33|", block);
  view->SetFrozenRows(1);
  view->SetFrozenCols(1);
  Drag(ColEdge(4), ColEdge(4, -60));
  Drag(At(5, 3), At(6, 6));
  EXPECT_EQ("A C E F|1 11 13 15 16|5 51 53 55 56|6 61 63 65 66|", printed());
}

void GridByHand::OpenSpans(bool marker) {
  TearDown();
  SetUp();
  ::MoveWindow(::GetParent(view->m_hWnd), 0, 0, 230, 280, TRUE);
  scene->AddChild(0, CRect(232, 0, 462, 280));
  CGXGridParam* p = view->GetParam();
  p->m_bSelectionMarker = marker;
  CGXData& data = *p->GetData();
  for (ROWCOL r = 2; r <= 8; ++r)
    for (ROWCOL c = 2; c <= 4; ++c) data.StoreStyleAt(r, c, &CGXStyle().SetValue("same").SetMergeCell(7), 0, 0);
  for (ROWCOL r = 10; r <= 16; ++r)
    for (ROWCOL c = 2; c <= 6; ++c)
      data.StoreStyleAt(r, c, &CGXStyle().SetValue(c == 2 ? "a long text that floats on" : ""), 0, 0);
  view->SetMergeCellsMode(1, FALSE);
  view->SetFloatCellsMode(1, FALSE);
  for (CGXGridView* v : scene->views) v->Redraw();
  UiAutomation::Pump();
}

size_t GridByHand::PlayTouches(const std::vector<Touch>& touches) {
  static const BarPress presses[] = {kUpArrow,   kDownArrow,  kPageAbove, kPageBelow, kThumbDown,
                                     kLeftArrow, kRightArrow, kPageLeft,  kPageRight, kThumbRight};
  static const char* const texts[] = {"same\n", "a long text that floats on\n", "x\n", "same"};
  for (size_t i = 0; i < touches.size(); ++i) {
    const Touch& t = touches[i];
    view = scene->views[(size_t)t.w];
    const ROWCOL r = view->GetTopRow() + (ROWCOL)t.a, c = view->GetLeftCol() + (ROWCOL)(t.b % 4);
    switch (t.kind) {
      case 0: Click(At(r, c)); break;
      case 1: UiAutomation::TypeText(texts[t.b % 4]); break;
      case 2: UiAutomation::PressKey(VK_RETURN); break;
      case 3: UiAutomation::PressKey(VK_DELETE); break;
      case 4: bars::Press(Wnd(), presses[(t.a * 4 + t.b) % 10]); break;
      case 5: Drag(At(0, c), At(0, c + (ROWCOL)(t.a % 3))); break;
      case 6: Drag(ColEdge(c), ColEdge(c, t.a * 8 - 20)); break;
      default: Drag(At(r, c), At(r + 1, c + 1)); break;
    }
    UiAutomation::Pump();
    view = scene->views[0];
    if (PixelsOffFullRepaint(scene->MainWnd())) return i + 1;
  }
  return 0;
}

void GridByHand::Apply(const Hand& h) {
  CRect client;
  view->GetClientRect(&client);
  const int a = h.a, b = h.b;
  const ROWCOL r = view->GetTopRow() + (ROWCOL)a, c = view->GetLeftCol() + (ROWCOL)b;
  switch (h.kind) {
    case 0: Click(At(r, c)); break;
    case 1: Drag(At(r, c), At(r + 2, c + 1), b % 2 ? UiAutomation::kControl : UiAutomation::kShift); break;
    case 2: Click(At(a ? r : 0, a ? 0 : c)); break;  // a header
    case 3: Drag(At(0, c), At(0, c + (ROWCOL)a)); break;  // header to header
    case 4: Drag(At(r, 0), At(r + (ROWCOL)b, 0)); break;
    case 5: Drag(ColEdge(c), ColEdge(c, a * 8 - 20)); break;
    case 6: Drag(RowEdge(r), RowEdge(r, b * 4 - 10)); break;
    case 7: Click(CPoint(client.right + 8, a % 2 ? 25 : client.bottom - 25)); break;  // page up/down
    case 8: Click(CPoint(b % 2 ? 25 : client.right - 25, client.bottom + 8)); break;  // page left/right
    case 9: ::PostMessage(scene->MainWnd(), WM_COMMAND, ID_EDIT_UNDO, 0); break;
    case 10:
      view->SetFrozenRows((ROWCOL)(a % 3));
      view->SetFrozenCols((ROWCOL)(b % 3));
      break;
    case 11: UiAutomation::PressKey(a % 2 ? VK_DOWN : VK_RIGHT, b % 2 ? UiAutomation::kShift : 0u); break;
    case 12:  // the bars' down and right arrows
      Click(a % 2 ? CPoint(client.right + 8, client.bottom - 8) : CPoint(client.right - 8, client.bottom + 8));
      break;
  }
  UiAutomation::Pump();
}

// A column wider than a narrow window shows there only as wide as the window: narrowed in the
// narrow window, the wide one shows it whole rather than moving its picture by the narrow one's sizes.
TEST_F(GridByHand, AColumnClippedByANarrowWindowAndNarrowedThereShowsWholeInAWideOne) {
  ::MoveWindow(::GetParent(view->m_hWnd), 0, 0, 180, 280, TRUE);
  scene->AddChild(0, CRect(182, 0, 470, 280));
  CGXGridView* narrow = view;
  view = scene->views[1];
  Drag(ColEdge(1), ColEdge(1, 150));
  ASSERT_LT(narrow->GetColWidth(1), view->GetColWidth(1));  // the narrow window holds less
  view = narrow;
  Drag(ColEdge(1, -1), ColEdge(1, -30));  // its edge at the window's edge
  EXPECT_EQ(0, PixelsOffFullRepaint(scene->MainWnd()));
}
