#include "editor/SECEditView.h"

#include "editor/SECEditHint.h"
#include "platform/ui/Document.h"

IMPLEMENT_DYNCREATE(SECEditView, CView)

BOOL SECEditView::ms_bFirstActivation = TRUE;

int SECEditView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (SECEditCore<CView>::OnCreate(lpCreateStruct) == -1) return -1;
  m_dropTarget.Register(this);
  return 0;
}

void SECEditView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  InitView();
}

void SECEditView::OnUpdate(CView*, LPARAM lHint, CObject* pHint) {
  if (lHint == SECEDIT_DELETE_LINE && pHint && pHint->IsKindOf(RUNTIME_CLASS(SECEditHint)) && GetEdit() &&
      m_pCurLine) {
    // Lines went in another window: find the caret and top lines again by number.
    ReanchorLines(m_nCurLine);
  }
  if (m_bShowMessages && GetSafeHwnd()) Invalidate(FALSE);
}

void SECEditView::UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint) {
  if (CDocument* d = GetDocument()) d->UpdateAllViews(dynamic_cast<CView*>(pSender), lHint, pHint);
}

void SECEditView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
  if (bActivate && ms_bFirstActivation) {
    ms_bFirstActivation = FALSE;
    EnsureCaretVisible();
  }
  CView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}
