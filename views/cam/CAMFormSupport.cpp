#include "views/cam/CAMFormSupport.h"

#include "kernel/document/MC_Document.h"
#include "platform/ui/View.h"
#include "platform/ui/Wnd.h"

CMC_Motion* GetMotionOfDocument(CDocument* doc) {
  auto* d = DYNAMIC_DOWNCAST(CMC_Document, doc);
  return d ? d->GetMotion() : nullptr;
}

CMC_Setup* GetSetupOfDocument(CDocument* doc) {
  auto* d = DYNAMIC_DOWNCAST(CMC_Document, doc);
  return d ? d->GetSetup() : nullptr;
}

void MarkDocumentModified(CView* view) {
  CDocument* doc = view->GetDocument();
  if (!doc) return;
  if (auto* d = DYNAMIC_DOWNCAST(CMC_Document, doc)) d->OnChangedInView(view, 0);
  else doc->SetModifiedFlag(TRUE);
}

void CFormFonts::Apply(CWnd* form, int titleId, std::initializer_list<int> labelIds) {
  CWnd* title = form->GetDlgItem(titleId);
  if (!title || m_bMade) return;
  CFont* font = title->GetFont();
  LOGFONT lf{};
  if (!font || !font->GetLogFont(&lf)) return;
  lf.lfWeight = 700;
  m_fontBold.CreateFontIndirect(&lf);
  lf.lfHeight = 3 * lf.lfHeight / 2;
  m_fontLarge.CreateFontIndirect(&lf);
  m_bMade = true;
  title->SetFont(&m_fontLarge);
  for (int id : labelIds)
    if (CWnd* w = form->GetDlgItem(id)) w->SetFont(&m_fontBold);
}
