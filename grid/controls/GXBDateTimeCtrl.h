// A child window that shows and edits one date/time value as a row of field gadgets, built from a
// locale or custom format, with an optional range, drop-down calendar and spin.
#pragma once

#include "grid/controls/GXBDTGadget.h"
#include "platform/core/Array.h"
#include "platform/core/Time.h"
#include "platform/ui/Wnd.h"

class CGXBPopupCalendar;

#define GX_DTN_CHANGED 0x100
#define GX_DTM_CALSELECT 2007
#define GX_DTM_CALCANCEL 2008

class CGXBDTGadgetArray : public CObArray {
 public:
  CGXBDTGadget* GetGadget(INT_PTR i) const;  // invalid-argument exception outside the array
};

class CGXBDateTimeCtrl : public CWnd {
  DECLARE_DYNAMIC(CGXBDateTimeCtrl)
 public:
  // Field ids.
  enum : int {
    Hour12 = 1, Hour24 = 2, Minute = 4, Second = 8, AmPm = 16, Day = 32, DayName = 64, Month = 128,
    MonthName = 256, Year2 = 512, Year4 = 1024, DropButton = 16384, Spin = 32768
  };
  // Actions of the gadgets.
  enum : int { StepUp = 1, StepDown = 2, StepUpBy = 3, StepDownBy = 4, Pressed = 5, Test = 6, SetField = 7,
               First = 8, Last = 9, Typing = 10 };
  enum : UINT { styleDropDown = 0x1, styleSpin = 0x2 };
  enum : UINT { noEditYear = 0x1, noEditMonth = 0x2, noEditDay = 0x4, noEditHour = 0x8, noEditMinute = 0x10,
                noEditSecond = 0x20 };

  CGXBDateTimeCtrl();
  ~CGXBDateTimeCtrl() override;

  BOOL Create(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);

  BOOL SetDateTime(const COleDateTime& dt);
  const COleDateTime& GetDateTime() const { return m_value; }
  void SetFormat(const CString& format);
  void SetFormatType(int nType);
  int GetFormatType() const { return m_nFormatType; }
  CString GetFormatString() const;
  void SetNoEdit(UINT nFlags);
  BOOL SetRange(const COleDateTime& dtMin, const COleDateTime& dtMax, int nMode);
  void GetRange(COleDateTime& dtMin, COleDateTime& dtMax, int& nMode) const {
    dtMin = m_min;
    dtMax = m_max;
    nMode = m_nRangeMode;
  }
  BOOL GetModify() const { return (m_nState & 1) != 0; }
  void SetModify(BOOL b) { m_nState = b ? (m_nState | 1) : (m_nState & ~1u); }
  BOOL IsTyping() const { return (m_nState & 4) != 0; }
  virtual void DropDownCalendar();
  CGXBPopupCalendar* GetCalendar() const { return m_pCalendar; }

  virtual BOOL ValidateDateTime(COleDateTime& dt, int nSnap);
  virtual BOOL OnChanging(const COleDateTime& dt);
  virtual void OnChanged();
  virtual void LayoutGadgets();
  virtual void Draw(CDC& dc);
  virtual BOOL OnGadgetAction(int nAction, int nID, int nNumber);

  int HitTestGadget(CPoint pt) const;
  void EnsureGadgetVisible(int nIndex);
  void ReinitGadgets();
  void UpdateGadgets(UINT nMask);
  BOOL IsInRange(const COleDateTime& dt) const;

  int GetGadgetCount() const { return (int)m_gadgets.GetSize(); }
  CGXBDTGadget* GetGadget(int i) const { return m_gadgets.GetGadget(i); }
  int GetCurrentGadget() const { return m_nCurrent; }
  int GetScrollOffset() const { return m_nScrollOffset; }
  int GetPinnedCount() const { return m_nPinned; }
  void SetCaptureGadget(CGXBDTGadget* g) { m_pCapture = g; }
  CGXBDTGadget* GetCaptureGadget() const { return m_pCapture; }
  COLORREF m_clrText, m_clrBack;

 protected:
  UINT m_nState = 0;
  UINT m_nNoEdit = 0;
  COleDateTime m_value;
  COleDateTime m_min, m_max;
  int m_nRangeMode = 0;
  int m_nFormatType = 1;
  CString m_strFormat;
  HFONT m_hFont = nullptr;
  int m_nCurrent = 0;
  int m_nScrollOffset = 0;
  int m_nPinnedWidth = 0;
  int m_nPinned = 0;
  CGXBDTGadget* m_pCapture = nullptr;
  CGXBPopupCalendar* m_pCalendar = nullptr;
  CGXBDTGadgetArray m_gadgets;

  void ParseFormat();
  void AddGadget(CGXBDTGadget* g, UINT nNoEditBit);
  void MoveFocus(int nIndex);
  void DeleteCalendar();
  void TakeBackKeys();
  void ReleaseGadgetCapture();
  BOOL Finish(int y, int mo, int d, int h, int mi, int s, int nSnap, int nAction);
  CPoint Shift(const CGXBDTGadget* g, CPoint pt) const;

  void OnPaint() override;
  void OnSetFocus(CWnd* pOldWnd) override;
  void OnKillFocus(CWnd* pNewWnd) override;
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  UINT OnGetDlgCode() override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnCancelMode() override;
  void OnSysColorChange() override;
  void OnSettingChange(UINT uFlags, LPCSTR lpszSection) override;
  void OnDestroy() override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
