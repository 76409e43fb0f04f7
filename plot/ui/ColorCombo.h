// CColorCombo and CPenStyleCombo: owner-drawn combo boxes of palette colours and of pen-style samples.
#pragma once

#include "platform/ui/Controls.h"

class CColorCombo : public CComboBox {
  DECLARE_DYNAMIC(CColorCombo)
 public:
  void LoadDefColors();
  // Every palette colour but the axis grey and the background black.
  void LoadScopeChannelColors();
  void SelectColor(DWORD color);
  DWORD GetSelectedColor() const;

  void DrawItem(LPDRAWITEMSTRUCT dis) override;
  void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
  int CompareItem(LPCOMPAREITEMSTRUCT cis) override;

 protected:
  // A combo made from a template was measured before it was subclassed.
  void PreSubclassWindow() override;
};

class CPenStyleCombo : public CComboBox {
  DECLARE_DYNAMIC(CPenStyleCombo)
 public:
  void LoadDefStyle();
  void SelectStyle(int style);
  int GetSelectedStyle() const;
  void SetSample(COLORREF color, int width) { m_crSample = color, m_nSampleWidth = width; }

  void DrawItem(LPDRAWITEMSTRUCT dis) override;

  COLORREF m_crSample = 0;
  int m_nSampleWidth = 1;
};

// The frame, selection and focus every item of both combos gets; returns the rectangle left for
// the item's own drawing.
CRect DrawComboItemFrame(CDC* dc, const DRAWITEMSTRUCT& dis);
