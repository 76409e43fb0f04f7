// The gauge gadgets: a bar between a quantity's limits, its value and the limits as text.
#pragma once

#include "editor/toolkit/SECProgressCtrl.h"
#include "monitor/gadgets/GadgetSupport.h"
#include "platform/gdi/GdiObject.h"

class CControlPanelGaugeItem;

// The bar position, 0..65535, of `value` between `min` and `max`.
int GaugePosition(double value, double min, double max);

class CGadgetGaugeWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetGaugeWnd)

 public:
  enum { IDC_VALUE = 14000, IDC_CAPTION = 14001, IDC_BAR = 14007, IDC_MAX = 14008, IDC_MIN = 14009 };

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override;
  void OnUpdateValues() override;
  void OnStop() override;

  double m_dLastValue = kValueNotShown;
  SECProgressCtrl m_progress;
  CFont m_font;
  int m_bVertical = 0;
  CGadgetRows m_rows;  // of the horizontal gauge

 protected:
  void OnSize(UINT type, int cx, int cy) override;

 private:
  CControlPanelGaugeItem* Item() const;
  void Layout();
  void SetUpBar();
};
