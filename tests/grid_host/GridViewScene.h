// An application frame whose MDI children each hold a grid view of one document.
#pragma once
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/MdiScene.h"

template <class Doc, class View>
class GridViewScene : public dravonix::test::MdiScene {
 public:
  explicit GridViewScene(const char* title) : dravonix::test::MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE), m_title(title) {
    GXStartGridLibrary();
    m_doc.m_bAutoDelete = FALSE;
  }
  ~GridViewScene() override { this->Close(); }
  HWND AddChild(int, const CRect& place) override {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(View);
    ctx.m_pCurrentDoc = &m_doc;
    auto* child = new CMDIChildWnd;
    if (!child->Create(nullptr, m_title, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, place, this->m_main, &ctx)) return nullptr;
    child->InitialUpdateFrame(&m_doc, TRUE);
    ViewMade(static_cast<CGXGridView*>(child->GetActiveView()));
    UiAutomation::Pump();
    return child->m_hWnd;
  }
  Doc m_doc;

 protected:
  // The new child's view, before the loop runs.
  virtual void ViewMade(CGXGridView*) {}

 private:
  const char* m_title;
};
