// A text document the test owns, and a text view opened on it as a top-level window.
#pragma once

#include "editor/documents/TextFileDoc.h"
#include "editor/documents/TextFileView.h"
#include "platform/ui/WinApp.h"

namespace testtext {

struct Doc : CTextFileDoc {
  Doc() { m_bAutoDelete = FALSE; }
};

// Deletes itself when its window goes, as the framework's views do.
struct View : CTextFileView {
  bool Open(CDocument* doc, int x = 0, int cx = 400, int cy = 300, const char* name = "view") {
    if (!CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), name, WS_POPUP | WS_VISIBLE, CRect(x, 0, x + cx, cy), nullptr,
                  0))
      return false;
    doc->AddView(this);
    OnInitialUpdate();
    return true;
  }
  void Close() {
    m_pDocument->RemoveView(this);
    DestroyWindow();
  }
};

}  // namespace testtext
