// The editor as a child control owning its text, which can take the place of a dialog's placeholder
// control, with its drop target.
#pragma once

#include "editor/core/SECEditCore.h"
#include "editor/view/SECEditDropTarget.h"

// Hands drags over an editor control to the editor, and scrolls it while the mouse rests in its border.
class SECEditCtrlOleDropTarget : public SECEditDropTarget {
 public:
  DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) override;
  DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) override;
  BOOL OnDrop(CWnd* pWnd, COleDataObject* pData, DROPEFFECT dropEffect, CPoint point) override;
  void OnDragLeave(CWnd* pWnd) override;
};

class SECEditCtrl : public SECEditCore<CWnd> {
  DECLARE_DYNAMIC(SECEditCtrl)
 public:
  SECEditCtrl() = default;
  ~SECEditCtrl() override;

  SECEdit* GetEdit() override;
  virtual void RegisterDropTarget();
  // Creates the control in the place (rectangle, id, z-order) of the parent's control nID, which goes;
  // nonzero on success, 0 without such a control.
  virtual BOOL ReplaceDlgItem(UINT nID, CWnd* pParent, DWORD dwExStyle);
  // Makes the control's own text object when there is none.
  virtual void CreateEdit();

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  UINT OnGetDlgCode() override { return DLGC_WANTALLKEYS; }
  int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) override;
  void OnSetFocus(CWnd* pOldWnd) override;
  void OnKillFocus(CWnd* pNewWnd) override;

  SECEdit* m_pEdit = nullptr;
  SECEditCtrlOleDropTarget m_dropTarget;

 private:
  void NotifyParent(UINT nCode);
};
