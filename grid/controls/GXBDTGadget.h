// The fields of the date/time edit window: light objects that measure and paint themselves and turn
// keys, characters and the mouse into field actions (literal text, numbers, name lists, the
// drop-down button and the spin).
#pragma once

#include "platform/core/Object.h"
#include "platform/core/StringArray.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/WinDefs.h"

class CGXBDateTimeCtrl;

class CGXBDTGadget : public CObject {
 public:
  enum : UINT { styleFocus = 0x1, styleMouse = 0x2, stylePinned = 0x4 };

  CGXBDTGadget(CGXBDateTimeCtrl* pOwner, int nID, UINT nStyle) : m_nStyle(nStyle), m_nID(nID), m_pOwner(pOwner) {}
  ~CGXBDTGadget() override { KillGadgetTimer(); }

  // Sets the rectangle's size (height -1: the window's client height) at the origin.
  virtual void CalcSize(CDC& dc) = 0;
  virtual void Draw(CDC& dc) = 0;
  virtual BOOL SetFocus(BOOL bFocus);
  virtual void OnKeyDown(UINT) {}
  virtual void OnChar(UINT) {}
  virtual void OnLButtonDown(UINT, CPoint) {}
  virtual void OnLButtonUp(UINT, CPoint) {}
  virtual void OnMouseMove(UINT, CPoint) {}
  virtual void OnCancelMode() {}
  virtual void OnTimer() {}
  virtual void OnSysColorChange() {}

  int GetValue() const { return m_nValue; }
  void SetValue(int n) { m_nValue = n; }
  const CRect& GetRect() const { return m_rect; }
  void SetRect(const RECT& r) { m_rect = r; }
  UINT GetStyle() const { return m_nStyle; }
  void SetStyle(UINT n) { m_nStyle = n; }
  int GetID() const { return m_nID; }
  BOOL HasFocus() const { return m_bFocus; }
  BOOL IsPinned() const { return (m_nStyle & stylePinned) != 0; }
  CGXBDateTimeCtrl* GetOwner() const { return m_pOwner; }

  // Invalidates the rectangle in the window, shifted by the scroll offset unless pinned.
  void Invalidate();
  void KillGadgetTimer();
  // A thread timer that calls OnTimer; replaces the gadget's running one.
  BOOL SetGadgetTimer(UINT nElapse);
  static void TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
  // Live gadget timers (tests).
  static size_t TimerCount();

 protected:
  CRect m_rect;
  BOOL m_bFocus = FALSE;
  UINT m_nStyle;
  int m_nID;
  int m_nValue = 0;
  CGXBDateTimeCtrl* m_pOwner;

  BOOL Action(int nAction, int nNumber);
  void DrawCentred(CDC& dc, const CString& text);
};

class CGXBDTStaticGadget : public CGXBDTGadget {
 public:
  CGXBDTStaticGadget(CGXBDateTimeCtrl* pOwner, const CString& text) : CGXBDTGadget(pOwner, -1, 0), m_strText(text) {}
  void CalcSize(CDC& dc) override;
  void Draw(CDC& dc) override;
  const CString& GetText() const { return m_strText; }

 private:
  CString m_strText;
};

class CGXBDTNumericGadget : public CGXBDTGadget {
 public:
  CGXBDTNumericGadget(CGXBDateTimeCtrl* pOwner, int nID, int nMin, int nMax, int nDigits, BOOL bLeadingZeros)
      : CGXBDTGadget(pOwner, nID, styleFocus), m_nMin(nMin), m_nMax(nMax), m_nDigits(nDigits), m_bLeadingZeros(bLeadingZeros) {}
  void CalcSize(CDC& dc) override;
  void Draw(CDC& dc) override;
  BOOL SetFocus(BOOL bFocus) override;
  void OnKeyDown(UINT nChar) override;
  void OnChar(UINT nChar) override;
  void OnCancelMode() override;
  BOOL CommitTyping();
  // Takes a number as if its digits had been typed (CommitTyping ends it).
  void SetTyped(int nNumber) {
    m_nTyped = nNumber;
    m_nTypedCount = 1;
  }
  // The value as shown: typed digits while they are pending.
  CString GetText() const;
  int GetDigits() const { return m_nDigits; }

 private:
  int m_nMin, m_nMax, m_nDigits;
  int m_nTyped = 0, m_nTypedCount = 0;
  BOOL m_bLeadingZeros;
};

class CGXBDTListGadget : public CGXBDTGadget {
 public:
  CGXBDTListGadget(CGXBDateTimeCtrl* pOwner, int nID, const CStringArray& entries);
  void CalcSize(CDC& dc) override;
  void Draw(CDC& dc) override;
  BOOL SetFocus(BOOL bFocus) override;
  void OnKeyDown(UINT nChar) override;
  void OnChar(UINT nChar) override;
  void OnTimer() override;
  int FindMatch(const CString& text, int nStart);
  CString GetText() const;

 private:
  CStringArray m_entries;
  char m_pending[3] = {};
  CString m_strTyped;
  BOOL m_bTimer = FALSE;
  void StopTimer();
};

class CGXBDTButtonGadget : public CGXBDTGadget {
 public:
  CGXBDTButtonGadget(CGXBDateTimeCtrl* pOwner, int nID, UINT nBitmap);
  void CalcSize(CDC& dc) override;
  void Draw(CDC& dc) override;
  void OnLButtonDown(UINT nFlags, CPoint pt) override;
  void OnLButtonUp(UINT nFlags, CPoint pt) override;
  void OnMouseMove(UINT nFlags, CPoint pt) override;
  void OnCancelMode() override;
  void OnSysColorChange() override;
  UINT GetState() const { return m_nState; }

 private:
  UINT m_nState = 0;  // bit 0 captured, bit 1 drawn pressed
  CBitmap m_bitmap;
  UINT m_nBitmap;
};

class CGXBDTSpinGadget : public CGXBDTGadget {
 public:
  CGXBDTSpinGadget(CGXBDateTimeCtrl* pOwner, int nID) : CGXBDTGadget(pOwner, nID, styleMouse) {}
  void CalcSize(CDC& dc) override;
  void Draw(CDC& dc) override;
  void OnLButtonDown(UINT nFlags, CPoint pt) override;
  void OnLButtonUp(UINT nFlags, CPoint pt) override;
  void OnMouseMove(UINT nFlags, CPoint pt) override;
  void OnCancelMode() override;
  void OnTimer() override;
  UINT GetState() const { return m_nState; }

 private:
  // bit 0/1 upper/lower half drawn pressed, 2/3 captured on it, 4 repeat timer, 5 first tick pending
  UINT m_nState = 0;
  int m_nRepeat = 0;
  void Release();
};

// Draws a two-level 3-D button frame and fills the face.
void GXBDrawButtonFrame(CDC& dc, const CRect& r, BOOL bPressed);
