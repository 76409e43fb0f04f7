// The bit gadget (one bit of a variable as a coloured digit), the label gadget (a text in its own
// font and colours) and the code button gadget (sends a fixed piece of drive code).
#pragma once

#include "monitor/gadgets/GadgetSupport.h"
#include "platform/gdi/GdiObject.h"

class CControlPanelBitItem;
class CControlPanelTextItem;
class CControlPanelCodeItem;

class CGadgetBitWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetBitWnd)

 public:
  enum { IDC_DIGIT = 14000, IDC_CAPTION = 14001 };

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override;
  void OnUpdateValues() override;
  void OnStop() override;

  BYTE m_nShownState = 255;

 protected:
  void OnSize(UINT type, int cx, int cy) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;

 private:
  CControlPanelBitItem* Item() const;
  void Layout();
  void ShowNothing();
};

class CGadgetTextWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetTextWnd)

 public:
  enum { IDC_TEXT = 14001 };

  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override {}
  void OnUpdateValues() override {}
  void OnStop() override {}

  CFont m_font;
  CBrush m_brBackground;

 protected:
  void OnSize(UINT type, int cx, int cy) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;

 private:
  CControlPanelTextItem* Item() const;
  void Layout();
};

class CGadgetCodeWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetCodeWnd)

 public:
  enum { IDC_BUTTON = 14017 };

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  // Sends the code when the panels run; a refused code disables the item.
  void SendCode();

 protected:
  void OnSize(UINT type, int cx, int cy) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  CControlPanelCodeItem* Item() const;
  void Layout();
  void EnableButton(BOOL enable);
};

// Pixels per inch of the screen, as the label fonts are sized.
int ScreenPixelsPerInch();
