// Grid windows filling MDI children (no frame of their own), sized and cascaded as a user does it:
// each picture holds against a full repaint, with smart resizing and without.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/MdiScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace dravonix::test;

namespace {

// A child whose grid stands 6 pixels inside its client area, with the 3-D frame around it.
class CInsetChild : public CMDIChildWnd {
 public:
  void RecalcLayout(BOOL) override {
    CRect c;
    GetClientRect(&c);
    if (HWND pane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST))
      ::MoveWindow(pane, 6, 6, std::max<LONG>(0, c.Width() - 12), std::max<LONG>(0, c.Height() - 12), TRUE);
  }
};

// Each child (a frame that clips its children) holds a grid of 30 rows by 8 columns with a few
// values, made by its window class: an odd kind stands framed inside the child, else it fills it.
class GridChildScene : public MdiScene {
 public:
  GridChildScene() { GXStartGridLibrary(); }
  ~GridChildScene() override { Close(); }
  HWND AddChild(int kind, const CRect& r) override {
    const bool framed = kind % 2;
    CMDIChildWnd* child = framed ? new CInsetChild : new CMDIChildWnd;
    if (!child->Create(nullptr, "grid", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r, m_main))
      return nullptr;
    HWND h = ::CreateWindowEx(0, ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "",
                              WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | (framed ? 0x200 : 0), 0, 0, 0, 0,
                              child->m_hWnd, (HMENU)(UINT_PTR)AFX_IDW_PANE_FIRST, AfxGetInstanceHandle(), nullptr);
    ZAZAzedAze* grid = Grid(child->m_hWnd);
    if (!h || !grid) return nullptr;
    grid->GetParam()->m_bSmartResize = m_smart;
    grid->SetRowCount(30);
    grid->SetColCount(8);
    for (ROWCOL i = 1; i <= 8; ++i) {
      CGXStyle value;
      value.SetValue(("value " + std::to_string(i)).c_str());
      grid->SetStyleRange(CGXRange().SetCellRange(i, i, i, i), &value);
    }
    child->RecalcLayout();
    UiAutomation::Pump();
    return child->m_hWnd;
  }
  static ZAZAzedAze* Grid(HWND child) {
    return dynamic_cast<ZAZAzedAze*>(CWnd::FromHandlePermanent(::GetDlgItem(child, AFX_IDW_PANE_FIRST)));
  }
  // A child's window rectangle in the workspace.
  CRect Place(HWND child) const {
    CRect w;
    ::GetWindowRect(child, &w);
    ::MapWindowPoints(nullptr, Workspace(), (POINT*)&w, 2);
    return w;
  }
  // The mouse presses `from` (workspace coordinates) and lets go `by` further.
  void Drag(POINT from, CSize by) { UiAutomation::Drag(Workspace(), from, POINT{from.x + by.cx, from.y + by.cy}); }

  BOOL m_smart = TRUE;
};

struct Recipe {
  const char* what;
  BOOL smart;
  std::function<void(GridChildScene&)> steps;
};

}  // namespace

// A child partly covered by another, sized by a border (the press raises it), also after Cascade:
// none of the other child's picture stays over the cells.
TEST(GridChildSize, ACoveredChildSizedByItsBorderShowsItsOwnCells) {
  // The child behind at A, the one in front at B, overlapping A's lower right.
  const CRect A(10, 10, 230, 200), B(140, 80, 400, 290);
  auto covered = [&](GridChildScene& s) { return s.Children().back(); };
  const std::vector<Recipe> recipes = {
      {"right border of the covered child", TRUE,
       [&](GridChildScene& s) { s.Drag(POINT{s.Place(covered(s)).right - 2, A.top + 40}, CSize(30, 0)); }},
      {"bottom border of the covered child", TRUE,
       [&](GridChildScene& s) { s.Drag(POINT{A.left + 60, s.Place(covered(s)).bottom - 2}, CSize(0, 25)); }},
      {"cascade, then the right border of the child behind", TRUE,
       [&](GridChildScene& s) {
         ::PostMessage(s.MainWnd(), WM_COMMAND, ID_WINDOW_CASCADE, 0);
         UiAutomation::Pump();
         const CRect w = s.Place(covered(s));
         s.Drag(POINT{w.right - 2, w.top + 8}, CSize(-20, 0));
       }},
  };
  for (const Recipe& r : recipes) {
    GridChildScene scene;
    scene.m_smart = r.smart;
    scene.AddChild(0, A);
    scene.AddChild(0, B);
    r.steps(scene);
    EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd())) << r.what;
  }
}

// A lone grid child narrowed by its corner: a column wider than the view is shown as wide as the
// view, and its header is centred there as a repaint centres it.
TEST(GridChildSize, ACornerDragRedrawsTheCutColumn) {
  const std::vector<Recipe> recipes = {
      {"corner narrowed twice", TRUE,
       [](GridChildScene& s) {
         for (int i = 0; i < 2; ++i) {
           const CRect w = s.Place(s.Children().front());
           s.Drag(POINT{w.right - 2, w.bottom - 2}, CSize(-23, -11));
           EXPECT_EQ(0, PixelsOffFullRepaint(s.MainWnd())) << "drag " << i;
         }
       }},
      {"a program's move, then the corner narrowed", FALSE,
       [](GridChildScene& s) {
         HWND child = s.Children().front();
         ::MoveWindow(child, 30, 20, 200, 220, TRUE);
         UiAutomation::Pump();
         const CRect w = s.Place(child);
         s.Drag(POINT{w.right - 2, w.bottom - 2}, CSize(-41, -20));
       }},
      {"sized below its least size while hidden, then shown: a corner drag widens it at once", TRUE,
       [](GridChildScene& s) {
         HWND child = s.Children().front();
         ::ShowWindow(child, SW_HIDE);
         ::MoveWindow(child, 30, 20, 100, 90, TRUE);
         ::ShowWindow(child, SW_SHOW);
         UiAutomation::Pump();
         const CRect w = s.Place(child);
         s.Drag(POINT{w.right - 2, w.bottom - 2}, CSize(-5, -7));
       }},
  };
  for (const Recipe& r : recipes) {
    GridChildScene scene;
    scene.m_smart = r.smart;
    scene.AddChild(0, CRect(10, 10, 210, 250));
    r.steps(scene);
    EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd())) << r.what;
  }
}

// A framed grid's child in front, its bar pressed; the child behind, raised by a press on its bottom
// border and made lower, uncovers part of the frame again: the frame is drawn there anew.
TEST(GridChildSize, AFramedGridUncoveredShowsItsFrame) {
  GridChildScene scene;
  scene.AddChild(0, CRect(10, 10, 200, 150));
  ExpectPicturesHold(scene, {{kBringToTop, 0, 150, 12, 33}, {kFrameRestore, 1, 79, 8, 29}, {kCreate, 1, 156, 73, 57},
                             {kScrollBar, 0, 163, 22, 70}, {kBorderDrag, 1, 139, 123, 3}});
}

// A framed grid's child behind another, raised by a press on its bar that scrolls it at once: the
// grid paints before its child paints what the raise uncovered, and the frame is drawn after both.
TEST(GridChildSize, AFramedGridRaisedByItsBarKeepsItsFrame) {
  GridChildScene scene;
  scene.AddChild(0, CRect(10, 10, 200, 150));
  ExpectPicturesHold(scene, {{kCreate, 3, 161, 74, 93}, {kActivate, 1, 90, 130, 83}, {kScrollBar, 1, 172, 45, 82}});
}

// A framed grid's child behind, only the margin left of its grid uncovered as the child in front
// becomes an icon: the child paints the margin, the grid nothing, and its frame is drawn there again.
TEST(GridChildSize, AFrameAloneUncoveredIsDrawnAgain) {
  GridChildScene scene;
  scene.AddChild(0, CRect(10, 10, 200, 150));
  ExpectPicturesHold(scene, {{kDestroy, 1, 186, 2, 28}, {kCreate, 1, 154, 18, 17}, {kCreate, 1, 46, 43, 58},
                             {kMinimize, 2, 105, 26, 59}});
}

// Random window operations with border and corner drags of the children, covered or not.
TEST(GridChildSize, RandomWindowOperationsWithDragsMatchAFullRepaint) {
  RunRandomSteps<GridChildScene>(2023, 3, 30, 3, kMdiOpsWithDrags);
}
