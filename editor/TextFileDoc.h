// The text document of motion-language sources, compiler output and the interpreter window.
#pragma once

#include "platform/ui/Document.h"

class CTextFileDoc : public CDocument {
  DECLARE_DYNCREATE(CTextFileDoc)

 public:
  CTextFileDoc();
  ~CTextFileDoc() override;
};
