#include "monitor/panels/MC_ControlPanelFrame.h"

#include "kernel/document/MC_Document.h"
#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/MC_ControlPanelView.h"

IMPLEMENT_DYNAMIC(CMC_ControlPanelDocTemplate, CMultiDocTemplate)
IMPLEMENT_DYNAMIC(CMC_ControlPanelFrame, CMDIChildWnd)

CMC_ControlPanelDocTemplate::CMC_ControlPanelDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass,
                                                         CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass)
    : CMultiDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CMC_ControlPanelFrame* CMC_ControlPanelDocTemplate::CreateNewFrame(CMC_Document* doc, CFrameWnd* active,
                                                                   CControlPanelItemArray* panel) {
  if (m_pFrameClass != RUNTIME_CLASS(CMC_ControlPanelFrame) || !doc || !panel) return nullptr;
  CCreateContext context;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pCurrentDoc = doc;
  context.m_pNewDocTemplate = this;
  context.m_pCurrentFrame = active;
  auto* frame = new CMC_ControlPanelFrame(*doc, *panel);
  // A frame that fails to load has deleted itself.
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
  return frame;
}

CMC_ControlPanelFrame::CMC_ControlPanelFrame(CMC_Document& doc, CControlPanelItemArray& panel)
    : m_pDocument(&doc), m_pPanel(&panel) {
  panel.m_pFrame = this;
}

BOOL CMC_ControlPanelFrame::PreCreateWindow(CREATESTRUCT& cs) {
  if (m_pPanel->m_nFrameWidth >= 1 && m_pPanel->m_nFrameHeight >= 1) {
    cs.x = m_pPanel->m_nFrameX;
    cs.y = m_pPanel->m_nFrameY;
    cs.cx = m_pPanel->m_nFrameWidth;
    cs.cy = m_pPanel->m_nFrameHeight;
  }
  cs.style &= ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  cs.dwExStyle |= WS_EX_TOPMOST;
  return CMDIChildWnd::PreCreateWindow(cs);
}

BOOL CMC_ControlPanelFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (!pContext) return TRUE;
  if (pContext->m_pNewViewClass != RUNTIME_CLASS(CMC_ControlPanelView)) return FALSE;
  auto* view = new CMC_ControlPanelView(*m_pPanel);
  // A view that fails to be created has deleted itself.
  if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST,
                    pContext))
    return FALSE;
  SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return TRUE;
}

void CMC_ControlPanelFrame::OnUpdateFrameTitle(BOOL) {
  // The panel's title, whatever the caller asks: renaming retitles through here.
  if (!(GetStyle() & FWS_ADDTOTITLE) || !GetActiveDocument()) return;
  CString now;
  GetWindowText(now);
  if (now != m_pPanel->m_strName) SetWindowText(m_pPanel->m_strName);
}

void CMC_ControlPanelFrame::OnWindowPosChanged(WINDOWPOS* pos) {
  CMDIChildWnd::OnWindowPosChanged(pos);
  if (!m_hWnd || !pos || ((pos->flags & SWP_NOMOVE) && (pos->flags & SWP_NOSIZE))) return;
  CRect r;
  GetWindowRect(&r);
  if (CWnd* parent = GetParent()) parent->ScreenToClient(&r);
  CControlPanelItemArray& p = *m_pPanel;
  if (r.left == p.m_nFrameX && r.top == p.m_nFrameY && r.Width() == p.m_nFrameWidth && r.Height() == p.m_nFrameHeight)
    return;
  p.m_nFrameX = r.left;
  p.m_nFrameY = r.top;
  p.m_nFrameWidth = r.Width();
  p.m_nFrameHeight = r.Height();
  m_pDocument->SetModifiedFlag(TRUE);
}
