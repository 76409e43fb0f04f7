// The editor as a document view: the editor engine on a framework view, told of changes through
// its document.
#pragma once

#include "editor/SECEditCore.h"

class SECEditView : public SECEditCore<CView> {
  DECLARE_DYNCREATE(SECEditView)

 public:
  SECEditView() = default;
  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint) override;
  void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;

  static BOOL ms_bFirstActivation;  // the first activation of any editor view brings its caret into view
};
