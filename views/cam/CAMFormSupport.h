// What the two CAM form views share: the model through the document, marking the document
// modified, and the bold fonts of the title and the labels.
#pragma once

#include <initializer_list>

#include "platform/gdi/GdiObject.h"

class CDocument;
class CView;
class CWnd;
class CMC_Motion;
class CMC_Setup;

// The document's motion program and setup; null when the document is no CMC_Document or lacks them.
CMC_Motion* GetMotionOfDocument(CDocument* doc);
CMC_Setup* GetSetupOfDocument(CDocument* doc);
// A CMC_Document is told through OnChangedInView, any other document gets its modified flag.
void MarkDocumentModified(CView* view);

class CFormFonts {
 public:
  // Made once from the title's font: the title gets bold at 1.5 times its height, the labels bold.
  void Apply(CWnd* form, int titleId, std::initializer_list<int> labelIds);

 private:
  CFont m_fontBold;
  CFont m_fontLarge;
  bool m_bMade = false;
};
