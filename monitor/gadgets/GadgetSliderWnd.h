// The slider gadgets: a track bar and a value box that show one drive variable and write it.
#pragma once

#include "monitor/gadgets/GadgetSupport.h"
#include "platform/ui/Controls.h"

class CControlPanelSliderItem;

class CGadgetSliderWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetSliderWnd)

 public:
  enum { IDC_VALUE = 14000, IDC_CAPTION = 14001, IDC_MAX = 14008, IDC_MIN = 14009, IDC_TRACK = 14010 };

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override;
  void OnUpdateValues() override;
  void OnStop() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  // The track bar's range and the position of the item's value on it.
  void GetRangeAndPosition(DWORD& range, int& position) const;
  // Reads the value box and writes what it holds when that differs from the drive's value.
  void ApplyTypedValue();

  double m_dLastValue = kValueNotShown;
  CSliderCtrl m_slider;
  int m_bVertical = 0;
  CGadgetRows m_rows;  // of the horizontal slider

 protected:
  void OnSize(UINT type, int cx, int cy) override;
  void OnHScroll(UINT code, UINT pos, CScrollBar* bar) override;
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  CControlPanelSliderItem* Item() const;
  void Layout();
  void Redisplay();
  void OnScroll(UINT code, CScrollBar* bar);
  void WriteLastValue();
  void Disable();
};
