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

  virtual void AddDefaultUserProperties() {}
  virtual void WriteProfile() const {}
  virtual BOOL ReadProfile() { return FALSE; }
  void SetPrinting(BOOL b) { m_bPrinting = b; }
  BOOL GetPrinting() const { return m_bPrinting; }
  int GetZoom() const { return m_nZoom; }
  void SetZoom(int n) { m_nZoom = n; }

  BOOL GetDisplayVertLines() const { return m_bDisplayVertLines; }
  BOOL GetDisplayHorzLines() const { return m_bDisplayHorzLines; }
  void SetDisplayVertLines(BOOL b) { m_bDisplayVertLines = b; }
  void SetDisplayHorzLines(BOOL b) { m_bDisplayHorzLines = b; }

 private:
  BOOL m_bDisplayVertLines = TRUE;
  BOOL m_bDisplayHorzLines = TRUE;
  BOOL m_bPrinting = FALSE;
  int m_nZoom = 100;
};
