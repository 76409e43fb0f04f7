// An MDI frame's title and its children's captions follow the active child as a user moves between them:
// a restored child adds its document's title (or its own, without one), a maximized one its title in
// brackets; the active child's caption is drawn active while the frame is, every other one inactive.
#include "platform/gdi/DC.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/MdiScene.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using dravonix::test::MdiScene;
namespace UA = UiAutomation;

class CBlankView : public CView {
  DECLARE_DYNCREATE(CBlankView)

 public:
  void OnDraw(CDC* dc) override {
    CRect r;
    GetClientRect(&r);
    dc->FillSolidRect(&r, RGB(255, 255, 255));
  }
};
IMPLEMENT_DYNCREATE(CBlankView, CView)

class TitleScene : public MdiScene {
 public:
  TitleScene() : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE) {
    m_doc.m_bAutoDelete = FALSE;
    m_doc.SetTitle("notes");
    m_other.CreateEx(0, AfxRegisterWndClass(0), "other", WS_POPUP | WS_VISIBLE, CRect(500, 0, 600, 100), nullptr, 0);
  }
  ~TitleScene() override {
    Close();
    m_other.DestroyWindow();
  }
  // Kind 1 shows the document in a view, as a document template makes it; kind 0 holds nothing.
  HWND AddChild(int kind, const CRect& r) override {
    auto* child = new CMDIChildWnd;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CBlankView);
    ctx.m_pCurrentDoc = &m_doc;
    if (!child->Create(nullptr, "child", WS_CHILD | WS_OVERLAPPEDWINDOW, r, m_main, kind % 2 ? &ctx : nullptr))
      return nullptr;
    if (kind % 2) {
      child->InitialUpdateFrame(&m_doc, TRUE);
    } else {
      child->ShowWindow(SW_SHOW);
      child->MDIActivate();
    }
    UA::Pump();
    return child->m_hWnd;
  }
  static std::string Text(HWND h) {
    char buf[256] = "";
    ::GetWindowText(h, buf, sizeof buf);
    return buf;
  }
  std::string Expected() const {
    BOOL zoomed = FALSE;
    CMDIChildWnd* a = m_main->MDIGetActive(&zoomed);
    if (!a) return "main";
    if (zoomed) return "main - [" + Text(a->m_hWnd) + "]";
    return a->GetActiveDocument() ? "main - notes" : "main - child";
  }
  // Per child, topmost first: 'A' drawn active, 'i' inactive, '-' no caption in sight.
  std::string Captions(bool model) const {
    CMDIChildWnd* a = m_main->MDIGetActive();
    std::string out;
    for (HWND h : Children()) {
      CRect w;
      ::GetWindowRect(h, &w);
      POINT at{w.right - 10, w.top + 5};
      if (!::IsWindowVisible(h) || ::IsIconic(h) || ::IsZoomed(h) || ::WindowFromPoint(at) != h) {
        out += '-';
        continue;
      }
      if (model) {
        out += a && a->m_hWnd == h && ::GetActiveWindow() == m_hMain ? 'A' : 'i';
        continue;
      }
      ::ScreenToClient(h, &at);
      const COLORREF px = GetWindowPixel(h, at);
      out += px == ::GetSysColor(COLOR_ACTIVECAPTION) ? 'A' : px == ::GetSysColor(COLOR_INACTIVECAPTION) ? 'i' : '?';
    }
    return out;
  }

  CDocument m_doc;
  CWnd m_other;
};

enum TitleStep { kCaptionClick, kClientClick, kCaptionDoubleClick, kNextChild, kClose, kNew, kCascade, kOther, kFrame, kSteps };

// A press at a screen point, given to the window under it.
void ClickAt(POINT at, bool twice = false) {
  HWND under = ::WindowFromPoint(at);
  if (!under) return;
  ::ScreenToClient(under, &at);
  twice ? UA::DoubleClick(under, at) : UA::Click(under, at);
}

void Play(TitleScene& scene, TitleStep s, int pick) {
  const std::vector<HWND> kids = scene.Children();
  HWND child = kids.empty() ? nullptr : kids[(size_t)pick % kids.size()];
  CRect w;
  if (child) ::GetWindowRect(child, &w);
  switch (s) {
    case kCaptionClick: if (child) ClickAt(POINT{w.left + 40, w.top + 8}); break;
    case kCaptionDoubleClick: if (child) ClickAt(POINT{w.left + 40, w.top + 8}, true); break;
    case kClientClick: if (child) ClickAt(POINT{w.left + 30, w.top + 40}); break;
    case kNextChild: UA::PressKey(VK_F6, UA::kControl); break;
    case kClose: UA::PressKey(VK_F4, UA::kControl); break;
    case kNew:
      if (kids.size() < 4) scene.AddChild(pick, CRect(30 * pick, 20 * pick, 30 * pick + 200, 20 * pick + 140));
      break;
    case kCascade: scene.m_main->MDICascade(); break;  // the Window menu's Cascade
    case kOther: ClickAt(POINT{550, 50}); break;
    case kFrame: {
      CRect f;
      ::GetWindowRect(scene.MainWnd(), &f);
      ClickAt(POINT{f.right - 40, f.top + 10});
      break;
    }
    case kSteps: break;
  }
}

}  // namespace

TEST(MdiTitle, FrameTitleAndCaptionsFollowTheActiveChild) {
  const char* const names[] = {"caption", "client", "caption twice", "Ctrl+F6", "Ctrl+F4",
                               "new",     "cascade", "other",        "frame"};
  std::mt19937 rng(8108);
  for (int round = 0; round < 8; ++round) {
    TitleScene scene;
    ClickAt(POINT{200, 10});
    scene.AddChild(1, CRect(0, 0, 200, 140));
    scene.AddChild(0, CRect(150, 60, 350, 200));
    std::string trail;
    for (int i = 0; i < 24; ++i) {
      const TitleStep s = (TitleStep)(rng() % kSteps);
      const int pick = (int)(rng() % 4);
      Play(scene, s, pick);
      trail += std::string(names[s]) + ":" + std::to_string(pick) + " ";
      UA::Pump();
      ASSERT_EQ(scene.Expected(), TitleScene::Text(scene.MainWnd())) << trail;
      ASSERT_EQ(scene.Captions(true), scene.Captions(false)) << trail;
      ASSERT_EQ(0, dravonix::test::PixelsOffFullRepaint(scene.MainWnd())) << trail;
    }
  }
}
