// CGXProperties: a grid's settings that are not cell styles: lines, headers, colours, margins,
// printed header and footer, and user properties.
#pragma once

#include "platform/core/Object.h"

class CGXProperties : public CObject {
  DECLARE_SERIAL(CGXProperties)

 public:
  CGXProperties();
  CGXProperties(const CGXProperties& src);
  CGXProperties& operator=(const CGXProperties& src);
  ~CGXProperties() override;

  void Serialize(CArchive& ar) override;

  BOOL GetDisplayVertLines() const { return m_bDisplayVertLines; }
  BOOL GetDisplayHorzLines() const { return m_bDisplayHorzLines; }
  void SetDisplayVertLines(BOOL b) { m_bDisplayVertLines = b; }
  void SetDisplayHorzLines(BOOL b) { m_bDisplayHorzLines = b; }

 private:
  BOOL m_bDisplayVertLines = TRUE;
  BOOL m_bDisplayHorzLines = TRUE;
};
