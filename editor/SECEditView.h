// The editor as a document view: the editor engine on a framework view, told of changes through
// its document.
#pragma once

#include "editor/SECEditCore.h"
#include "platform/ui/OleDragDrop.h"

class SECEditView : public SECEditCore<CView> {
  DECLARE_DYNCREATE(SECEditView)

 public:
  SECEditView() = default;
  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint) override;
  void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
  DWORD OnDragEnter(COleDataObject* pData, DWORD dwKeyState, CPoint point) override {
    return CoreDragEnter(pData, dwKeyState, point);
  }
  DWORD OnDragOver(COleDataObject* pData, DWORD dwKeyState, CPoint point) override {
    return CoreDragOver(pData, dwKeyState, point);
  }
  void OnDragLeave() override { CoreDragLeave(); }
  BOOL OnDrop(COleDataObject* pData, DWORD dropEffect, CPoint point) override {
    return CoreDrop(pData, dropEffect, point);
  }
  BOOL StartDrag(CPoint) override { return DoDragCopy() != 0; }

  COleDropTarget m_dropTarget;

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;

  static BOOL ms_bFirstActivation;  // the first activation of any editor view brings its caret into view
};
