// The update-hint object the editor sends with hint 21015: the line at which lines were removed or joined.
#pragma once

#include "editor/text/SECEdit.h"
#include "platform/core/Object.h"

class SECEditHint : public CObject {
  DECLARE_DYNAMIC(SECEditHint)

 public:
  explicit SECEditHint(tagLINEDESC* pLine = nullptr) : m_pLine(pLine) {}
  tagLINEDESC* m_pLine;
};
