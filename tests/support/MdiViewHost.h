// A host application's main frame with views opened in MDI children, as its document templates
// open them: the frame a user meets a view in.
#pragma once

#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"

class MdiViewHost {
 public:
  // `main`: the host's own frame class, if it has one.
  explicit MdiViewHost(CMDIFrameWnd* main = nullptr) {
    m_main = main ? main : new CMDIFrameWnd;
    m_main->Create(nullptr, "host", WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE, CRect(0, 0, 520, 420));
    m_hMain = m_main->m_hWnd;
  }
  ~MdiViewHost() { Close(); }
  MdiViewHost(const MdiViewHost&) = delete;
  MdiViewHost& operator=(const MdiViewHost&) = delete;
  // The frame deletes itself when destroyed: only its handle is asked after that.
  void Close() {
    if (::IsWindow(m_hMain)) ::DestroyWindow(m_hMain);
  }
  // A child at `r` of the workspace showing a new view of the class on the document; null on failure.
  // `hidden`: made hidden and shown by its initial update, as a document template's frame is.
  CMDIChildWnd* Open(CRuntimeClass* viewClass, CDocument* doc, const CRect& r = CRect(0, 0, 440, 320),
                     bool hidden = false) {
    CCreateContext ctx;
    ctx.m_pNewViewClass = viewClass;
    ctx.m_pCurrentDoc = doc;
    auto* child = new CMDIChildWnd;
    const DWORD style = WS_CHILD | WS_OVERLAPPEDWINDOW | (hidden ? 0 : WS_VISIBLE);
    if (!child->Create(nullptr, "child", style, r, m_main, &ctx)) return nullptr;
    child->InitialUpdateFrame(doc, TRUE);
    UiAutomation::Pump();
    return child;
  }
  HWND MainWnd() const { return m_hMain; }

  CMDIFrameWnd* m_main;
  HWND m_hMain;
};
