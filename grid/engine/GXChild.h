// CGXChild: a small object drawn inside a cell (a button); the owning control lays it out, draws it
// and hands it mouse and key messages.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/gdi/DC.h"

class CGXControl;

class CGXChild : public CObject {
 public:
  explicit CGXChild(CGXControl* pOwner) : m_pOwner(pOwner) {}
  ~CGXChild() override = default;

  virtual void SetRect(const CRect& rect) { m_rect = rect; }
  virtual CRect GetRect() const { return m_rect; }
  virtual BOOL HitTest(int x, int y) const { return m_rect.PtInRect(CPoint(x, y)); }
  virtual BOOL HasFocus() const;
  virtual void SetText(LPCTSTR pszText) { m_strText = pszText ? pszText : ""; }
  virtual CString GetText() const { return m_strText; }
  virtual void Draw(CDC* pDC, BOOL bActive) = 0;
  virtual void Invalidate();
  virtual BOOL OnMouseMove(UINT, int, int) { return FALSE; }
  virtual BOOL OnLButtonDown(UINT, int, int) { return FALSE; }
  virtual BOOL OnLButtonUp(UINT, int, int) { return FALSE; }
  virtual BOOL OnLButtonDblClk(UINT, int, int) { return FALSE; }
  virtual BOOL OnMButtonDown(UINT, int, int) { return FALSE; }
  virtual BOOL OnMButtonUp(UINT, int, int) { return FALSE; }
  virtual BOOL OnMButtonDblClk(UINT, int, int) { return FALSE; }
  virtual BOOL OnRButtonDown(UINT, int, int) { return FALSE; }
  virtual BOOL OnRButtonUp(UINT, int, int) { return FALSE; }
  virtual BOOL OnRButtonDblClk(UINT, int, int) { return FALSE; }
  // Messages 256..263 go to the key operation of their message.
  virtual BOOL DispatchKey(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnKeyDown(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnKeyUp(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnDeadChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnSysKeyDown(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnSysKeyUp(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnSysChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnSysDeadChar(UINT, UINT, UINT) { return FALSE; }
  virtual void OnGridSettingChange(BOOL) {}
  virtual void OnGridSysColorChange() {}

  CGXControl* GetOwner() const { return m_pOwner; }

 protected:
  CGXControl* m_pOwner;
  CRect m_rect;
  CString m_strText;
  UINT m_nState = 0;
};
