// The digital input gadget (a red/green lamp pair with "H"/"L" marks) and the output gadget (two
// buttons that show the output's state and switch it).
#pragma once

#include "monitor/gadgets/GadgetSupport.h"
#include "platform/gdi/GdiObject.h"

class CControlPanelPortItem;

class CGadgetInputWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetInputWnd)

 public:
  enum { IDC_CAPTION = 14001, IDC_LOW = 14012, IDC_HIGH = 14013 };
  CGadgetInputWnd();

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override;
  void OnUpdateValues() override;
  void OnStop() override;

  CBrush m_brRed;
  CBrush m_brGreen;
  CRect m_rcMarks;
  CGadgetRows m_rows;
  int m_nLampGap = 0;  // from the lamps' right edge to the middle of the gadget
  int m_nShownState = -1;
  int m_nMarkStyle = -1;

 protected:
  void OnSize(UINT type, int cx, int cy) override;
  void OnPaint() override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;

 private:
  CControlPanelPortItem* Item() const;
  void Layout();
  void Show(int state, int markStyle);
};

class CGadgetOutputWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetOutputWnd)

 public:
  enum { IDC_CAPTION = 14001, IDC_LOW = 14014, IDC_HIGH = 14015 };

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override;
  void OnUpdateValues() override;
  void OnStop() override;
  // Switches the output high (1) or low (0) through the drive interpreter.
  void SwitchOutput(int high);

  signed char m_nShownState = -1;
  CGadgetRows m_rows;
  int m_nButtonMargin = 0;  // left of "L" and right of "H"
  int m_nButtonGap = 0;     // between them

 protected:
  void OnSize(UINT type, int cx, int cy) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  CControlPanelPortItem* Item() const;
  void Layout();
  void Check(int low, int high);
  // Stores the state shown and checks its button (none for -1).
  void Show(signed char state);
};

// The interpreter command that sets output `port` high or low, by controller generation.
CString OutputCommand(int generation, short port, int high);
