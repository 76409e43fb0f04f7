// The MDI child frame of an open control panel, and the document template that makes such frames.
#pragma once

#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"

class CMC_Document;
class CControlPanelItemArray;
class CMC_ControlPanelFrame;

class CMC_ControlPanelDocTemplate : public CMultiDocTemplate {
  DECLARE_DYNAMIC(CMC_ControlPanelDocTemplate)

 public:
  CMC_ControlPanelDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                              CRuntimeClass* pViewClass);

  // A frame of `panel` on `doc` (`active` is the frame that was active); null when it cannot be made.
  CMC_ControlPanelFrame* CreateNewFrame(CMC_Document* doc, CFrameWnd* active, CControlPanelItemArray* panel);
  using CMultiDocTemplate::CreateNewFrame;
};

class CMC_ControlPanelFrame : public CMDIChildWnd {
  DECLARE_DYNAMIC(CMC_ControlPanelFrame)

 public:
  CMC_ControlPanelFrame(CMC_Document& doc, CControlPanelItemArray& panel);

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnUpdateFrameTitle(BOOL bAddToTitle) override;

  CMC_Document* m_pDocument;         // not owned
  CControlPanelItemArray* m_pPanel;  // not owned

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
  void OnWindowPosChanged(WINDOWPOS* pos) override;
};
