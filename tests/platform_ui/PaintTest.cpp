// Painting windows through the drawing layer: paint contexts see the update region, children are
// clipped out, scrolling moves pixels, scroll views keep their bars, and windows save as PNG.
#include "platform/gdi/DC.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"
#include "tests/support/TestKernel.h"
#include "tests/support/BarPresses.h"
#include "tests/support/MdiScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

class CColourWnd : public CWnd {
 public:
  COLORREF m_colour = RGB(255, 0, 0);
  int m_paints = 0;
  CRect m_lastPaint;
  BOOL m_lastErase = FALSE;

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    ++m_paints;
    m_lastPaint = dc.m_ps.rcPaint;
    m_lastErase = dc.m_ps.fErase;
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, m_colour);
  }
};

HWND MakeTop(CWnd& w, DWORD style, CRect r, LPCSTR title = "") {
  w.CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), title,
             style, r, nullptr, 0);
  return w.m_hWnd;
}

TEST(PaintTest, PaintContextsDrawIntoTheWindowAndChildrenAreClippedOut) {
  CColourWnd top;
  HWND h = MakeTop(top, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(10, 10, 210, 110));
  CColourWnd child;
  child.m_colour = RGB(0, 0, 255);
  child.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(50, 20, 90, 60), &top, 1);
  PumpMessages();
  EXPECT_EQ(1, top.m_paints);
  EXPECT_EQ(1, child.m_paints);
  EXPECT_EQ(RGB(255, 0, 0), GetWindowPixel(h, POINT{5, 5}));
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(h, POINT{60, 30}));
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(child.m_hWnd, POINT{0, 0}));

  // Only the invalid part is painted; the parent's paint stays out of its child.
  top.m_colour = RGB(0, 255, 0);
  RECT part{0, 0, 100, 50};
  top.InvalidateRect(&part, FALSE);
  PumpMessages();
  EXPECT_EQ(CRect(part), top.m_lastPaint);
  EXPECT_EQ(RGB(0, 255, 0), GetWindowPixel(h, POINT{5, 5}));
  EXPECT_EQ(RGB(255, 0, 0), GetWindowPixel(h, POINT{150, 80}));
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(h, POINT{60, 30}));

  // Scrolling moves the pixels and leaves the uncovered strip to be painted.
  top.m_colour = RGB(0, 0, 0);
  top.ScrollWindow(0, -10, nullptr, nullptr);
  RECT upd;
  top.GetUpdateRect(&upd);
  EXPECT_EQ(CRect(0, 90, 200, 100), CRect(upd));
  EXPECT_EQ(RGB(255, 0, 0), GetWindowPixel(h, POINT{150, 69}));  // was at y 79
  PumpMessages();
  EXPECT_EQ(RGB(0, 0, 0), GetWindowPixel(h, POINT{150, 95}));
  top.DestroyWindow();
}

TEST(PaintTest, AParentPaintsBeforeItsChildrenAndHeldRedrawWaits) {
  CColourWnd top;
  HWND h = MakeTop(top, WS_POPUP | WS_VISIBLE, CRect(10, 10, 210, 110));  // no WS_CLIPCHILDREN
  CColourWnd child;
  child.m_colour = RGB(0, 0, 255);
  child.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(50, 20, 90, 60), &top, 1);
  PumpMessages();
  // Invalidated child first: the parent's paint, which covers the child, still comes first.
  std::vector<HWND> order;
  for (CColourWnd* w : {&child, &top}) w->Invalidate();
  MSG m;
  while (PeekMessage(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    order.push_back(m.hwnd);
    DispatchMessage(&m);
  }
  EXPECT_EQ(order, (std::vector<HWND>{h, child.m_hWnd}));
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(h, POINT{60, 30}));
  EXPECT_EQ(RGB(255, 0, 0), GetWindowPixel(h, POINT{5, 5}));

  // WM_SETREDRAW FALSE holds the window's painting, and its children's, until it is on again.
  const int paints[2] = {top.m_paints, child.m_paints};
  top.SetRedraw(FALSE);
  top.m_colour = RGB(0, 255, 0);
  top.Invalidate();
  top.UpdateWindow();
  PumpMessages();
  EXPECT_EQ(top.m_paints, paints[0]);
  EXPECT_EQ(child.m_paints, paints[1]);
  EXPECT_EQ(RGB(255, 0, 0), GetWindowPixel(h, POINT{5, 5}));
  top.SetRedraw(TRUE);
  PumpMessages();
  EXPECT_EQ(top.m_paints, paints[0] + 1);
  EXPECT_EQ(child.m_paints, paints[1] + 1);
  EXPECT_EQ(RGB(0, 255, 0), GetWindowPixel(h, POINT{5, 5}));
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(h, POINT{60, 30}));
  top.DestroyWindow();
}

// Siblings that do not clip each other overlap: the one painted last shows, so pending paints take
// the order a whole repaint takes, whatever order the windows became invalid in.
TEST(PaintTest, PendingPaintsOfOverlappingSiblingsFollowTheWindowTree) {
  CColourWnd top;
  MakeTop(top, WS_POPUP | WS_VISIBLE, CRect(10, 10, 210, 110));
  CColourWnd a, b, c;  // c is a's child, under b
  const struct {
    CColourWnd* w;
    CWnd* parent;
    CRect r;
    COLORREF colour;
  } made[] = {{&a, &top, CRect(10, 10, 100, 80), RGB(0, 0, 255)},
              {&b, &top, CRect(60, 30, 150, 90), RGB(0, 255, 0)},
              {&c, &a, CRect(60, 30, 85, 60), RGB(255, 255, 0)}};
  for (const auto& m : made) {
    m.w->m_colour = m.colour;
    m.w->Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, m.r, m.parent, 1);
  }
  PumpMessages();
  for (HWND filter : {HWND(nullptr), top.m_hWnd}) {
    std::string order = "abc";
    do {
      for (char w : order) made[w - 'a'].w->Invalidate();
      MSG m;
      while (PeekMessage(&m, filter, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessage(&m);
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(top.m_hWnd))
          << "invalidated " << order << (filter ? ", peeked for the parent" : "");
    } while (std::next_permutation(order.begin(), order.end()));
  }
  top.DestroyWindow();
}

TEST(PaintTest, AParentPaintingOverAChildsFrameHasTheFrameDrawnAgain) {
  CColourWnd top;
  HWND h = MakeTop(top, WS_POPUP | WS_VISIBLE, CRect(10, 10, 210, 110));  // no WS_CLIPCHILDREN
  CColourWnd child;
  child.m_colour = RGB(0, 0, 255);
  child.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(50, 20, 90, 60), &top, 1);
  PumpMessages();
  const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
  ASSERT_NE(frame, top.m_colour);
  ASSERT_EQ(frame, GetWindowPixel(child.m_hWnd, POINT{-1, -1}));
  struct Case {
    const char* what;
    CRect invalid;  // parent client coordinates
    COLORREF parent;
  } cases[] = {
      {"whole parent", CRect(0, 0, 200, 100), RGB(0, 255, 0)},
      {"the child's left border only", CRect(40, 0, 51, 100), RGB(255, 255, 0)},
  };
  for (const Case& c : cases) {
    top.m_colour = c.parent;
    top.InvalidateRect(&c.invalid, TRUE);
    PumpMessages();
    EXPECT_EQ(c.parent, GetWindowPixel(h, POINT{45, 30})) << c.what;  // the parent did paint there
    for (POINT p : {POINT{-1, -1}, POINT{-1, 20}, POINT{38, 38}})
      EXPECT_EQ(frame, GetWindowPixel(child.m_hWnd, p)) << c.what << " at " << p.x << "," << p.y;
    EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(child.m_hWnd, POINT{0, 20})) << c.what;
  }
  top.DestroyWindow();
}

// A 40-pixel popup of a bare class with the button-face brush.
HWND BarePopup(LPCSTR className) {
  WNDCLASS wc{};
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = className;
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  RegisterClass(&wc);
  return CreateWindowEx(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
}

TEST(PaintTest, BeginPaintOnABareWindowErasesWithTheClassBrush) {
  HWND h = BarePopup("PaintBare");
  EXPECT_EQ(0, SendMessage(h, WM_ERASEBKGND, 0, 0));  // nothing to paint on: not erased
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  ASSERT_TRUE(dc);
  EXPECT_FALSE(ps.fErase);  // erased already, with the class brush
  EXPECT_EQ(CRect(0, 0, 40, 40), CRect(ps.rcPaint));
  EXPECT_TRUE(EndPaint(h, &ps));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetWindowPixel(h, POINT{3, 3}));
  RECT r;
  EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
  HDC client = GetDC(h);
  ASSERT_TRUE(client);
  CDC::FromHandle(client)->FillSolidRect(0, 0, 2, 2, RGB(1, 2, 3));
  EXPECT_EQ(1, ReleaseDC(h, client));
  EXPECT_EQ(RGB(1, 2, 3), GetWindowPixel(h, POINT{1, 1}));
  EXPECT_EQ(0, ReleaseDC(h, client));  // twice: refused
  PAINTSTRUCT bad;
  EXPECT_EQ(nullptr, BeginPaint(nullptr, &bad));
  EXPECT_FALSE(EndPaint(nullptr, nullptr));
  DestroyWindow(h);
}

class CTestScrollView : public CScrollView {
 public:
  void OnDraw(CDC* dc) override {
    // Logical rows of 10 pixels in alternating colours: what shows tells the scroll position.
    for (int y = 0; y < 1000; y += 10) dc->FillSolidRect(0, y, 500, 10, (y / 10) % 2 ? RGB(0, 0, 0) : RGB(255, 255, 255));
  }
  void PostNcDestroy() override {}
};

TEST(PaintTest, ScrollViewScrollsByItsBars) {
  CTestScrollView view;
  view.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0);
  view.SetScrollSizes(MM_TEXT, CSize(500, 1000), CSize(100, 50), CSize(10, 10));
  PumpMessages();
  EXPECT_TRUE(view.GetStyle() & WS_VSCROLL);
  EXPECT_TRUE(view.GetStyle() & WS_HSCROLL);
  EXPECT_EQ(RGB(255, 255, 255), GetWindowPixel(view.m_hWnd, POINT{5, 5}));
  dravonix::test::bars::Press(view.m_hWnd, dravonix::test::kDownArrow);
  EXPECT_EQ(CPoint(0, 10), view.GetScrollPosition());
  EXPECT_EQ(RGB(0, 0, 0), GetWindowPixel(view.m_hWnd, POINT{5, 5}));
  UiAutomation::Drag(view.m_hWnd, dravonix::test::bars::PartPoint(view.m_hWnd, dravonix::test::kThumbDown),
                     dravonix::test::bars::PartPoint(view.m_hWnd, dravonix::test::kThumbDown, 400), 3);
  RECT client;
  view.GetClientRect(&client);
  EXPECT_EQ(1000 - client.bottom, view.GetScrollPosition().y);
  dravonix::test::bars::Press(view.m_hWnd, dravonix::test::kPageAbove);
  EXPECT_EQ(1000 - client.bottom - 50, view.GetScrollPosition().y);
  view.ScrollToPosition(CPoint(0, 0));
  EXPECT_EQ(CPoint(0, 0), view.GetScrollPosition());
  view.DestroyWindow();
}

// Sets its own bar while it paints, as a grid does: the range without redraw, then the position with it.
class CBarWnd : public CWnd {
 public:
  UINT m_page = 5;

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, RGB(255, 255, 255));
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 9, m_page, 0, 0};
    SetScrollInfo(SB_HORZ, &si, FALSE);
    SetScrollPos(SB_HORZ, 1, TRUE);
  }
};

TEST(PaintTest, ABarSetWithRedrawShowsAtOnceEvenWhileItsWindowPaints) {
  CBarWnd w;
  HWND h = MakeTop(w, WS_POPUP | WS_VISIBLE | WS_HSCROLL, CRect(10, 10, 210, 110));
  PumpMessages();
  for (UINT page : {2u, 8u, 4u}) {
    w.m_page = page;
    w.Invalidate(FALSE);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(h)) << page;
  }
  w.DestroyWindow();
}

// Stripes that scroll: what it shows depends on how far it has been scrolled.
class CStripeWnd : public CWnd {
 public:
  int m_top = 120;  // of the content at the window's top, in pixels

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    dc.FillSolidRect(0, 0, 400, 400, RGB(255, 255, 255));
    for (int y = m_top / 12 * 12; y < m_top + 400; y += 12)
      dc.FillSolidRect(0, y - m_top, 400, 6, (y / 12) % 2 ? RGB(0, 0, 0) : RGB(0, 160, 0));
  }
};

// A scroll moves only what the window shows: not the pixels of a sibling above it, nor those of a child
// that stays where it is; the places the moved pixels would have come from hidden parts paint again.
TEST(PaintTest, AScrollMovesOnlyWhatTheWindowShows) {
  const struct {
    UINT flags;
    int dx, dy;
  } cases[] = {{SW_INVALIDATE | SW_ERASE, 0, -18}, {SW_INVALIDATE | SW_ERASE, 0, 18}, {SW_INVALIDATE, -14, 0},
               {SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN, 0, -18}, {SW_INVALIDATE | SW_SCROLLCHILDREN, 0, 18}};
  for (const auto& c : cases) {
    CColourWnd top, above, box;
    CStripeWnd back;
    HWND h = MakeTop(top, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 300, 200));
    back.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                CRect(10, 10, 210, 170), &top, 1);
    above.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(60, 60, 160, 120), &top, 2);
    above.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    box.m_colour = RGB(0, 0, 255);
    box.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(20, 100, 80, 140), &back, 3);
    PumpMessages();
    back.m_top -= c.dy;  // stripes only: sideways they look the same
    ::ScrollWindowEx(back.m_hWnd, c.dx, c.dy, nullptr, nullptr, nullptr, nullptr, c.flags);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(h)) << c.flags << " " << c.dx << " " << c.dy;
    top.DestroyWindow();
  }
}

// A view whose Down key scrolls a partner too, as a pane scrolls the other panes of its document.
class CLeadWnd : public CStripeWnd {
 public:
  HWND m_partner = nullptr;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_LBUTTONDOWN) SetFocus();
    if (msg == WM_KEYDOWN && wp == VK_DOWN)
      ::ScrollWindowEx(m_partner, 0, -12, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    return CStripeWnd::WindowProc(msg, wp, lp);
  }
};

// A hidden window, or one under a hidden parent, shows nothing: its scroll moves no pixel of the window
// that shows in its place.
TEST(PaintTest, AHiddenWindowsScrollMovesNothingOnScreen) {
  for (const bool hiddenParent : {false, true}) {
    CColourWnd top, holder;
    CLeadWnd lead;
    CStripeWnd ghost;
    HWND h = MakeTop(top, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 300, 200));
    lead.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(10, 10, 210, 170), &top, 1);
    holder.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_CLIPSIBLINGS, CRect(10, 10, 210, 170), &top, 2);
    ghost.Create(AfxRegisterWndClass(0), "", WS_CHILD | (hiddenParent ? WS_VISIBLE : 0),
                 hiddenParent ? CRect(0, 0, 200, 160) : CRect(10, 10, 210, 170), hiddenParent ? &holder : &top, 3);
    ghost.m_top = 6;  // other stripes than the lead's
    lead.m_partner = ghost.m_hWnd;
    PumpMessages();
    UiAutomation::Click(lead.m_hWnd, POINT{100, 80});
    UiAutomation::PressKey(VK_DOWN);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(h)) << hiddenParent;
    top.DestroyWindow();
  }
}

// Disabling or enabling a window's own arrows shows at once, as setting the bar with redraw does.
TEST(PaintTest, EnablingAWindowsBarArrowsRedrawsThem) {
  const struct {
    UINT bar, arrows;
    const char* want;
  } steps[] = {{SB_BOTH, ESB_DISABLE_BOTH, "gggg"}, {SB_BOTH, ESB_ENABLE_BOTH, "kkkk"}, {SB_VERT, ESB_DISABLE_UP, "gkkk"},
               {SB_VERT, ESB_DISABLE_DOWN, "kgkk"}, {SB_HORZ, ESB_DISABLE_LEFT, "kggk"}, {SB_HORZ, ESB_DISABLE_RIGHT, "kgkg"},
               {SB_VERT, ESB_DISABLE_BOTH, "ggkg"}, {SB_BOTH, ESB_ENABLE_BOTH, "kkkk"}};
  CColourWnd w;
  HWND h = MakeTop(w, WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, CRect(10, 10, 210, 160));
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 20, 30, 0};
  for (int bar : {SB_VERT, SB_HORZ}) ::SetScrollInfo(h, bar, &si, TRUE);
  PumpMessages();
  for (const auto& s : steps) {
    ::EnableScrollBar(h, s.bar, s.arrows);
    EXPECT_EQ(dravonix::test::ArrowGlyphs(h), s.want);
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(h)) << s.want;
  }
  w.DestroyWindow();
}

TEST(PaintTest, SaveWindowImageWritesAFramedWindow) {
  CColourWnd top;
  top.m_colour = RGB(255, 255, 224);
  MakeTop(top, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_VSCROLL, CRect(0, 0, 320, 200), "Saved window");
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 99, 20, 30, 0};
  top.SetScrollInfo(SB_VERT, &si);
  CColourWnd child;
  child.m_colour = RGB(0, 128, 0);
  child.CreateEx(WS_EX_CLIENTEDGE, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(20, 20, 120, 80), &top, 1);
  std::string path = dravonix::test::OutputPath("ui-saved-window.png");
  ASSERT_TRUE(SaveWindowImage(&top, path.c_str()));
  std::ifstream f(path, std::ios::binary);
  char sig[4] = {};
  f.read(sig, 4);
  EXPECT_EQ(std::string("\x89PNG", 4), std::string(sig, 4));
  EXPECT_EQ(RGB(0, 128, 0), GetWindowPixel(child.m_hWnd, POINT{10, 10}));
  EXPECT_EQ(RGB(255, 255, 224), GetWindowPixel(top.m_hWnd, POINT{5, 5}));
  EXPECT_FALSE(SaveWindowImage((HWND) nullptr, path.c_str()));
  top.DestroyWindow();
}

// ---- Uncovered windows paint again ----------------------------------------------------------------

using namespace dravonix::test;

// A pane filling an MDI child; it clips an inner child of its own.
class CPane : public CColourWnd {
 public:
  void PostNcDestroy() override { delete this; }
};

// An MDI frame whose children each hold a pane with an inner child.
class PaneScene : public MdiScene {
 public:
  HWND AddChild(int, const CRect& r) override {
    auto* child = new CMDIChildWnd;
    child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main);
    auto* pane = new CPane;
    pane->m_colour = RGB(40 * (int)(Children().size() % 6), 90, 200);
    pane->Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 10, 10), child,
                 AFX_IDW_PANE_FIRST);
    auto* inner = new CPane;
    inner->m_colour = RGB(250, 200, 0);
    inner->Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(8, 8, 48, 32), pane, 1);
    child->RecalcLayout();
    return child->m_hWnd;
  }
};

TEST(PaintTest, UncoveredWindowsMatchAFullRepaint) {
  // A bare popup paints its class brush through the default paint.
  HWND popup = BarePopup("PaintBrushPopup");
  PumpMessages();
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetWindowPixel(popup, POINT{20, 20}));
  EXPECT_EQ(0, PixelsOffFullRepaint(popup));
  DestroyWindow(popup);

  // The workspace shows its class brush; closing, hiding and moving children leave no image.
  const std::vector<MdiStep> cases[] = {
      {},
      {{kCreate, 0, 10, 10, 60}, {kDestroy, 0, 0, 0, 0}},
      {{kCreate, 0, 10, 10, 60}, {kCreate, 0, 40, 30, 20}, {kShowHide, 1, 0, 0, 0}},
      {{kCreate, 0, 10, 10, 60}, {kCreate, 0, 40, 30, 20}, {kMove, 1, 150, 100, 0}},
      {{kCreate, 0, 10, 10, 60}, {kFrameMin, 0, 0, 0, 0}, {kFrameRestore, 0, 0, 0, 0}},
      {{kCreate, 0, 10, 10, 60}, {kFrameSize, 0, 20, 10, 0}, {kFrameSize, 0, 120, 90, 0}},
      // Places off the workspace, sizes below nothing.
      {{kMove, 0, -80, -60, 0}, {kMove, 0, 5000, 4000, 0}, {kMove, 0, 20, 20, -200}, {kRestore, 0, 0, 0, 0}},
      {{kCreate, 0, 40, 30, 20}, {kFrameSize, 0, -200, -200, 0}, {kFrameSize, 0, 60, 40, 0}, {kToTop, 1, 0, 0, 0}},
      // Sequences the random test below found, shortened.
      {{kCreate, 0, 158, 123, 3}, {kCreate, 1, 92, 76, 83}, {kDestroy, 1, 108, 42, 76}},
      {{kFrameMin, 3, 135, 74, 78}, {kFrameSize, 0, 174, 94, 99}},
      {{kFrameMin, 0, 78, 23, 14}, {kFrameSize, 2, 78, 87, 18}, {kFrameMin, 2, 191, 110, 2}},
      {{kArrange, 0, 53, 33, 36}, {kMinimize, 0, 57, 80, 24}},
      {{kCreate, 3, 85, 9, 31}, {kCreate, 3, 43, 32, 62}, {kDestroy, 3, 20, 34, 21}, {kArrange, 2, 193, 62, 76}},
      {{kToTop, 1, 128, 119, 1}},  // a raise activates
      // An icon shown over the active child: a click on that child brings it in front.
      {{kShowHide, 0, 0, 0, 0}, {kCreate, 0, 40, 30, 20}, {kToTop, 1, 0, 0, 0}, {kMinimize, 0, 0, 0, 0}, {kClick, 1, 0, 0, 0}},
  };
  for (const auto& steps : cases) {
    PaneScene scene;
    scene.AddChild(0, CRect(10, 10, 200, 150));
    ExpectPicturesHold(scene, steps);
    PumpMessages();
    CRect ws;
    ::GetClientRect(scene.Workspace(), &ws);
    const POINT corner{ws.right - 2, ws.bottom - 2};
    if (!::IsIconic(scene.MainWnd()) && ::ChildWindowFromPointEx(scene.Workspace(), corner, CWP_ALL) == scene.Workspace()) {
      EXPECT_EQ(GetSysColor(COLOR_APPWORKSPACE), GetWindowPixel(scene.Workspace(), corner)) << Describe(steps);
    }
  }
}

// A maximized child comes to the front as the active one; Cascade restores it and leaves icons
// where they lie.
TEST(PaintTest, MaximizeRaisesAndCascadeLeavesIcons) {
  PaneScene scene;
  HWND low = scene.AddChild(0, CRect(10, 10, 200, 150));
  HWND icon = scene.AddChild(0, CRect(40, 30, 220, 170));
  scene.AddChild(0, CRect(70, 50, 240, 190));
  ASSERT_EQ(low, scene.Children().back());
  ::ShowWindow(icon, SW_MINIMIZE);
  CRect iconAt, at;
  ::GetWindowRect(icon, &iconAt);
  ::ShowWindow(low, SW_MAXIMIZE);
  EXPECT_EQ(low, scene.Children().front());
  CMDIChildWnd* active = scene.m_main->MDIGetActive();
  EXPECT_EQ(low, active ? active->m_hWnd : nullptr);
  EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd()));
  scene.m_main->MDICascade();
  EXPECT_FALSE(::IsZoomed(low));
  EXPECT_TRUE(::IsIconic(icon));
  ::GetWindowRect(icon, &at);
  EXPECT_EQ(iconAt, at);
  ::GetWindowRect(low, &at);
  POINT corner = at.TopLeft();
  ::ScreenToClient(scene.Workspace(), &corner);
  EXPECT_EQ(CPoint(0, 0), CPoint(corner));
  EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd()));
}

// At most one child is maximized: maximizing one, or making another the active one while the
// active one is maximized, passes the maximized state on, as does closing the maximized child.
TEST(PaintTest, OneMaximizedChildAtATime) {
  const struct {
    std::vector<std::pair<MdiOp, char>> steps;  // kKey: 'F' Ctrl+F6, 'S' Ctrl+Shift+F6, 'X' Ctrl+F4
    const char *zoomed, active;
  } cases[] = {
      {{{kMaximize, 'a'}, {kMaximize, 'b'}}, "b", 'b'},
      {{{kMaximize, 'a'}, {kActivate, 'b'}}, "b", 'b'},
      {{{kMaximize, 'a'}, {kKey, 'F'}}, "c", 'c'},
      {{{kMaximize, 'a'}, {kKey, 'S'}}, "b", 'b'},
      {{{kMaximize, 'a'}, {kKey, 'X'}}, "c", 'c'},
      {{{kMaximize, 'a'}, {kDestroy, 'a'}}, "c", 'c'},
      {{{kMaximize, 'c'}, {kMaximize, 'a'}, {kActivate, 'b'}, {kKey, 'X'}}, "a", 'a'},
      {{{kMaximize, 'a'}, {kRestore, 'a'}, {kClick, 'b'}}, "", 'b'},
      // A hidden child gives its maximized state up; shown again it is the active one and takes it back.
      {{{kMaximize, 'b'}, {kShowHide, 'b'}, {kNext, '-'}}, "a", 'a'},
      {{{kMaximize, 'b'}, {kShowHide, 'b'}, {kNext, '-'}, {kShowHide, 'b'}}, "b", 'b'},
      // Made the active one while hidden, it takes the maximized state over once shown or maximized.
      {{{kMaximize, 'a'}, {kShowHide, 'b'}, {kActivate, 'b'}, {kShowHide, 'b'}}, "b", 'b'},
      {{{kMaximize, 'a'}, {kShowHide, 'b'}, {kActivate, 'b'}, {kMaximize, 'b'}}, "b", 'b'},
  };
  for (const auto& t : cases) {
    PaneScene scene;
    std::map<char, HWND> kids;
    for (char n : {'a', 'b', 'c'}) {
      // Side by side, so each can be clicked; c ends up in front and active.
      kids[n] = scene.AddChild(0, CRect(150 * (n - 'a'), 0, 150 * (n - 'a') + 140, 100));
      scene.m_main->MDIActivate(CWnd::FromHandle(kids[n]));
    }
    std::string seen;
    for (const auto& [op, on] : t.steps) {
      const std::vector<HWND> z = scene.Children();
      const int at = kids.count(on) ? (int)(std::find(z.begin(), z.end(), kids[on]) - z.begin()) : 0;
      Apply(scene, MdiStep{op, at, on == 'S' ? 1 : on == 'X' ? 2 : 0, 0, 0});
      EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd())) << seen << op;
      seen += std::to_string(op) + on + " ";
    }
    std::string zoomed;
    char active = 0;
    CMDIChildWnd* a = scene.m_main->MDIGetActive();
    for (const auto& [n, h] : kids) {
      if (::IsWindow(h) && ::IsZoomed(h)) zoomed += n;
      if (a && a->m_hWnd == h) active = n;
    }
    EXPECT_EQ(t.zoomed, zoomed) << seen;
    EXPECT_EQ(t.active, active) << seen;
  }
}

TEST(PaintTest, RandomWindowOperationsMatchAFullRepaint) {
  RunRandomSteps<PaneScene>(76, 4, 30, 4);
}

}  // namespace
