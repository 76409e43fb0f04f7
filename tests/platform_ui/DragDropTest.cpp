// In-process drag and drop: the drag loop follows simulated mouse input, delivers enter, over,
// leave and drop to registered targets, and gives the target's effect back to the source.
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/OleDragDrop.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Wnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

class CRecordingTarget : public COleDropTarget {
 public:
  std::vector<std::string> m_events;
  std::string m_dropped;
  DROPEFFECT m_offer = DROPEFFECT_COPY;
  DROPEFFECT OnDragEnter(CWnd*, COleDataObject* data, DWORD, CPoint) override {
    m_events.push_back("enter");
    return data->IsDataAvailable(CF_TEXT) ? m_offer : DROPEFFECT_NONE;
  }
  DROPEFFECT OnDragOver(CWnd*, COleDataObject*, DWORD keys, CPoint) override {
    m_events.push_back("over");
    return (keys & MK_SHIFT) ? DROPEFFECT_MOVE : m_offer;
  }
  void OnDragLeave(CWnd*) override { m_events.push_back("leave"); }
  BOOL OnDrop(CWnd*, COleDataObject* data, DROPEFFECT effect, CPoint point) override {
    m_events.push_back("drop");
    HGLOBAL h = data->GetGlobalData(CF_TEXT);
    if (!h) return FALSE;
    m_dropped = (const char*)GlobalLock(h);
    GlobalUnlock(h);
    GlobalFree(h);
    m_effect = effect;
    m_point = point;
    return TRUE;
  }
  DROPEFFECT m_effect = 0;
  CPoint m_point;
};

HGLOBAL Text(const char* s) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, strlen(s) + 1);
  strcpy((char*)GlobalLock(h), s);
  GlobalUnlock(h);
  return h;
}

class DragDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    LPCSTR cls = AfxRegisterWndClass(0);
    m_source.CreateEx(0, cls, "source", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 200), nullptr, 0);
    m_target.CreateEx(0, cls, "target", WS_POPUP | WS_VISIBLE, CRect(300, 0, 500, 200), nullptr, 0);
  }
  void TearDown() override {
    DragDropAutomation::SetDragHandler(nullptr);
    m_source.DestroyWindow();
    m_target.DestroyWindow();
    Clock::UseRealTime();
  }
  CWnd m_source, m_target;
};

TEST_F(DragDropTest, ADropOnARegisteredTargetDeliversTheDataAndItsEffect) {
  CRecordingTarget target;
  ASSERT_TRUE(target.Register(&m_target));
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Text("axis 1"));
  DragDropAutomation::SetDragHandler([&] {
    UiAutomation::MouseMove(m_source.m_hWnd, POINT{50, 50}, 0);
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{20, 30}, 0);
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{40, 30}, 0);
    PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{340, 30});
  });
  DROPEFFECT effect = source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
  EXPECT_EQ(DROPEFFECT_COPY, effect);
  EXPECT_EQ("axis 1", target.m_dropped);
  EXPECT_EQ(CPoint(40, 30), target.m_point);
  std::vector<std::string> expected{"enter", "over", "over", "drop"};
  EXPECT_EQ(expected, target.m_events);
  EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(DragDropTest, LeavingRefusingAndEscapeEndWithoutADrop) {
  CRecordingTarget target;
  target.Register(&m_target);
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Text("x"));
  // Released outside any target.
  DragDropAutomation::SetDragHandler([&] {
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{20, 30}, 0);
    UiAutomation::MouseMove(m_source.m_hWnd, POINT{20, 30}, 0);
    PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{20, 30});
  });
  EXPECT_EQ(DROPEFFECT_NONE, source.DoDragDrop());
  std::vector<std::string> expected{"enter", "leave"};
  EXPECT_EQ(expected, target.m_events);
  // The target offers only what the source allows.
  target.m_events.clear();
  target.m_offer = DROPEFFECT_LINK;
  DragDropAutomation::SetDragHandler([&] {
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{20, 30}, 0);
    PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{320, 30});
  });
  EXPECT_EQ(DROPEFFECT_NONE, source.DoDragDrop(DROPEFFECT_COPY));
  EXPECT_TRUE(target.m_dropped.empty());
  // Escape cancels.
  target.m_offer = DROPEFFECT_COPY;
  DragDropAutomation::SetDragHandler([&] {
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{20, 30}, 0);
    UiAutomation::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(DROPEFFECT_NONE, source.DoDragDrop());
  EXPECT_EQ("leave", target.m_events.back());
  // A revoked target gets nothing; no effects allowed means no drag.
  target.Revoke();
  target.m_events.clear();
  DragDropAutomation::SetDragHandler([&] {
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{20, 30}, 0);
    PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{320, 30});
  });
  EXPECT_EQ(DROPEFFECT_NONE, source.DoDragDrop());
  EXPECT_TRUE(target.m_events.empty());
  EXPECT_EQ(DROPEFFECT_NONE, source.DoDragDrop(0));
}

// A press that was sent, not made, leaves no button down: the drag ends at once rather than waiting
// for a release that never comes, letting go where the mouse was last seen.
TEST_F(DragDropTest, WithNoButtonDownTheDragEndsPromptly) {
  CRecordingTarget target;
  ASSERT_TRUE(target.Register(&m_target));
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Text("sent"));
  const BYTE up[256] = {};
  for (bool moved : {false, true}) {
    SCOPED_TRACE(moved);
    SetKeyboardState(up);
    DragDropAutomation::SetDragHandler([&] {
      if (moved) UiAutomation::MouseMove(m_target.m_hWnd, POINT{20, 30}, 0);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(source.DoDragDrop(DROPEFFECT_COPY), moved ? (DROPEFFECT)DROPEFFECT_COPY : (DROPEFFECT)DROPEFFECT_NONE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(target.m_dropped, moved ? "sent" : "");
    EXPECT_EQ(::GetCapture(), nullptr);
  }
}

TEST_F(DragDropTest, DataObjectsReadTheClipboardToo) {
  ResetClipboard();
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Text("copied"));
  UINT styles = RegisterClipboardFormat("Grid Styles");
  source.CacheGlobalData((CLIPFORMAT)styles, Text("s"));
  source.SetClipboard();
  COleDataObject data;
  ASSERT_TRUE(data.AttachClipboard());
  EXPECT_TRUE(data.IsDataAvailable(CF_TEXT));
  EXPECT_TRUE(data.IsDataAvailable((CLIPFORMAT)styles));
  EXPECT_FALSE(data.IsDataAvailable(CF_BITMAP));
  HGLOBAL h = data.GetGlobalData(CF_TEXT);
  ASSERT_NE(nullptr, h);
  EXPECT_STREQ("copied", (const char*)GlobalLock(h));
  GlobalUnlock(h);
  GlobalFree(h);
  COleDataObject none;
  EXPECT_EQ(nullptr, none.GetGlobalData(CF_TEXT));
  ResetClipboard();
}

}  // namespace

TEST_F(DragDropTest, RestingTheMouseRepeatsScrollAndOverAsTheClockRuns) {
  struct CScrollTarget : CRecordingTarget {
    std::vector<ULONGLONG> scrolls;
    DROPEFFECT OnDragScroll(CWnd*, DWORD, CPoint) override {
      scrolls.push_back(Clock::Now());
      return DROPEFFECT_NONE;
    }
  } target;
  ASSERT_TRUE(target.Register(&m_target));
  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Text("x"));
  size_t overs = 0;
  DragDropAutomation::SetDragHandler([&] {
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{20, 30}, 0);
    UiAutomation::MouseMove(m_target.m_hWnd, POINT{25, 30}, 0);
    UiAutomation::Pump();
    overs = target.m_events.size();
    UiAutomation::AdvanceClock(100, 10);  // no input: the mouse rests
    PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{325, 30});
  });
  EXPECT_EQ(source.DoDragDrop(DROPEFFECT_COPY), (DROPEFFECT)DROPEFFECT_COPY);
  // About one repeat per period: scroll first, then over, each time.
  EXPECT_GE(target.m_events.size() - overs, 9u);
  EXPECT_LE(target.m_events.size() - overs, 13u);
  ASSERT_GE(target.scrolls.size(), 10u);
  EXPECT_GE(target.scrolls.back() - target.scrolls.front(), 90u);
  EXPECT_EQ(target.m_events.back(), "drop");
}
