// The base of every gadget window of a control panel: a child of the panel view built from its
// kind's dialog template, sized from its item and kept in step with it.
#pragma once

#include "platform/ui/Wnd.h"

class CControlPanelItem;
class CMC_Document;

class CGadgetWnd : public CWnd {
  DECLARE_DYNCREATE(CGadgetWnd)

 public:
  // Private messages to the panel view.
  enum { WM_GADGET_FRAME_USED = 6026, WM_GADGET_ACTIVATED = 6027 };

  CGadgetWnd() = default;

  // Creates the gadget from `templateName` as child `id` of `view`, with a sizing frame when
  // `customize` is set, and places it on its item's rectangle.
  BOOL Create(CWnd* view, const char* templateName, UINT id, CControlPanelItem* item, BOOL customize);

  virtual void SetSizeLimits(const CRect& templateRect);
  virtual void OnInitGadget();
  virtual BOOL EditProperties();
  virtual void RefreshFromItem();
  virtual void OnStart();
  virtual void OnUpdateValues();
  virtual void OnStop();

  BOOL PreTranslateMessage(MSG* pMsg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  CMC_Document* GetDocument() const;
  void SetSelected(int selected);

  CControlPanelItem* m_pItem = nullptr;  // the panel's, not owned
  int m_nMinWidth = -1;
  int m_nMinHeight = -1;
  int m_nMaxWidth = -1;
  int m_nMaxHeight = -1;
  int m_bSelected = 0;

 protected:
  void OnMove(int x, int y) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnGetMinMaxInfo(MINMAXINFO* info) override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  void OnChildActivate() override;
  void OnNcLButtonDown(UINT hitTest, CPoint point) override;
  void OnNcLButtonDblClk(UINT hitTest, CPoint point) override;
  void PostNcDestroy() override {}
  void EnableChildren(BOOL enable);

 private:
  // The item's rectangle from the window's, in panel coordinates.
  void StoreRectInItem();
};
