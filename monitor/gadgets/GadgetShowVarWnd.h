// The show-value gadget: a caption and a read-only box with one quantity's current value.
#pragma once

#include "monitor/gadgets/GadgetSupport.h"

class CControlPanelShowVarItem;

class CGadgetShowVarWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetShowVarWnd)

 public:
  enum { IDC_VALUE = 14000, IDC_CAPTION = 14001 };

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override;
  void OnUpdateValues() override;
  void OnStop() override;

  double m_dLastValue = kValueNotShown;

 protected:
  void OnSize(UINT type, int cx, int cy) override;

 private:
  CControlPanelShowVarItem* Item() const;
  void Layout();
  void ShowNothing();
};
