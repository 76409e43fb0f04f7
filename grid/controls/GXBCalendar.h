// A month calendar window of panels (title with scroll buttons, weekday bar, 6 x 7 day boxes), its
// drop-down form that reports to its owner, and the locale's day and month names.
#pragma once

#include <vector>

#include "platform/core/Time.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Wnd.h"

class CGXBCalendar;

// Day 1 is Sunday; FALSE when the locale has no such name.
BOOL GetDayName(CString& text, int nDay, BOOL bFull);
BOOL GetMonthName(CString& text, int nMonth, BOOL bFull);

class CGXBPanel : public CObject {
 public:
  COLORREF m_clrGray = 0;
  CGXBCalendar* m_pCalendar = nullptr;
  UINT m_nFlags = 0;
  UINT m_nBorder = 0x17F;
  CString m_strText;
  CRect m_rect;
  int m_nBorderWidth = 3;
  int m_nSecondWidth = 2;
  BOOL m_bRaised = FALSE;
  BOOL m_bRing = FALSE;
  COLORREF m_clrOuter = 0, m_clrRing = 255, m_clrText = 0;
  BOOL m_bDirty = TRUE, m_bInit = FALSE;
  int m_nOuterStart = 0, m_nOuterEnd = 0, m_nBevelEnd = 0, m_nInset = 0;

  virtual void DrawInnerRing(CDC& dc);
  virtual void Draw(CDC& dc);
  virtual void DrawBevel(CDC& dc);
  virtual void DrawOuterLine(CDC& dc);
  virtual void FillInterior(CDC& dc);
  virtual void DrawContent(CDC&) {}
  void SetRaised(BOOL b) {
    if (!m_bRaised != !b) m_bDirty = TRUE;
    m_bRaised = b;
  }
  void SetRing(BOOL b) {
    if (!m_bRing != !b) m_bDirty = TRUE;
    m_bRing = b;
  }
  CRect Interior() const;
  void ComputeInsets();
};

class CGXBDayBar : public CGXBPanel {
 public:
  int m_nFirstDay = 1;  // 1 = Sunday
  void DrawContent(CDC& dc) override;
};

class CGXBDayBox : public CGXBPanel {
 public:
  COleDateTime m_date;
  BOOL m_bOtherMonth = FALSE;
  BOOL m_bChanged = FALSE;
  void DrawContent(CDC& dc) override;
};

class CGXBCalTitle : public CGXBPanel {
 public:
  CGXBCalendar* m_pCal = nullptr;
  CButton m_buttons[4];  // "<<", "<", ">", ">>"
  int m_nOuterVisible = 1, m_nInnerVisible = 1;
  virtual void SetRect(const CRect& r);
  virtual void SetTitle(const COleDateTime& date);
  void DrawContent(CDC& dc) override;
  void CreateButtons(CWnd* pParent);
};

#define GX_CAL_DAYSELECTED 2005
#define GX_CAL_DAYMARKED 2006

class CGXBCalendar : public CWnd {
  DECLARE_DYNAMIC(CGXBCalendar)
 public:
  enum : UINT {
    confirmClick = 0x100, selectNeighbours = 0x200, raiseDays = 0x4000, ringDays = 0x8000, popupStyle = 0x20000,
    closeOnChoice = 0x40000, monthButtons = 0x80000, yearButtons = 0x100000, keyboard = 0x200000,
    lockMonth = 0x400000, clickSelects = 0x1000000
  };

  CGXBCalendar();
  ~CGXBCalendar() override;

  virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pOwner, UINT nID = 0);
  virtual BOOL NextDay(BOOL bMove) { return Step(COleDateTimeSpan(1, 0, 0, 0), bMove); }
  virtual BOOL PrevDay(BOOL bMove) { return Step(COleDateTimeSpan(-1, 0, 0, 0), bMove); }
  virtual BOOL NextWeek(BOOL bMove) { return Step(COleDateTimeSpan(7, 0, 0, 0), bMove); }
  virtual BOOL PrevWeek(BOOL bMove) { return Step(COleDateTimeSpan(-7, 0, 0, 0), bMove); }
  virtual BOOL NextMonth(BOOL bMove);
  virtual BOOL PrevMonth(BOOL bMove);
  virtual BOOL NextYear(BOOL bMove) { return YearStep(1, bMove); }
  virtual BOOL PrevYear(BOOL bMove) { return YearStep(-1, bMove); }
  virtual BOOL MoveBy(const CTimeSpan& span);
  virtual BOOL MoveBy(const COleDateTimeSpan& span);
  virtual BOOL ScrollBy(const CTimeSpan& span);
  virtual BOOL ScrollBy(const COleDateTimeSpan& span);
  virtual BOOL MarkDate(int y, int m, int d, BOOL bMark) { return MarkDate(COleDateTime(y, m, d, 12, 0, 0), bMark); }
  virtual BOOL MarkDate(const COleDateTime& date, BOOL bMark);
  virtual BOOL SelectDate(int y, int m, int d, BOOL bSelect) { return SelectDate(COleDateTime(y, m, d, 12, 0, 0), bSelect); }
  virtual BOOL SelectDate(const COleDateTime& date, BOOL bSelect);
  virtual BOOL ToggleDate(int y, int m, int d) { return ToggleDate(COleDateTime(y, m, d, 12, 0, 0)); }
  virtual BOOL ToggleDate(const COleDateTime& date);
  virtual BOOL ToggleMark(int y, int m, int d) { return ToggleMark(COleDateTime(y, m, d, 12, 0, 0)); }
  virtual BOOL ToggleMark(const COleDateTime& date);
  virtual BOOL IsYearInRange(int nYear, int nMonths = 0, int nDays = 0) const;
  virtual void GetSysColors();
  virtual void Beep() { ::MessageBeep(MB_ICONEXCLAMATION); }
  virtual UINT GetClassStyle() const { return CS_DBLCLKS; }

  BOOL SetDate(const COleDateTime& date, BOOL bRedraw = TRUE);
  const COleDateTime& GetDate() const { return m_date; }
  COleDateTime GetSelectedDate() const;
  CGXBDayBox* GetDayBox(int i) { return &m_days[i]; }
  CGXBDayBox* DayBoxAt(CPoint pt);
  CGXBCalTitle& GetTitle() { return m_title; }
  CGXBDayBar& GetDayBar() { return m_dayBar; }
  // Ascending, without duplicates.
  const std::vector<COleDateTime>& GetMarkedDates() const { return m_marked; }
  // Stops reporting to the owner (before the owner deletes the calendar).
  void DetachOwner() { m_pOwner = nullptr; }
  // Size the popup form needs.
  CSize MeasureNeeds(CDC& dc);

  UINT m_nStyle = 0x39C000;
  UINT m_nOtherBorder = 0x101;
  UINT m_nMonthBorder = 0x1000017F;
  BOOL m_bPopup = FALSE;

 protected:
  CGXBDayBar m_dayBar;
  CGXBCalTitle m_title;
  int m_nPanelBorder = 2;
  CWnd* m_pOwner = nullptr;
  BOOL m_bCreated = FALSE;
  COleDateTime m_date;
  COleDateTime m_anchor;
  BOOL m_bAnchor = FALSE;
  COleDateTime m_focus;
  CGXBDayBox m_days[42];
  CGXBDayBox* m_pSelected = nullptr;
  int m_nUnknown1 = 1, m_nUnknown2 = 0;
  BOOL m_bCaptured = FALSE;
  BOOL m_bPressed = FALSE;
  COleDateTime m_pressed;
  // Where the captured press went down and the day it chose: a press that scrolled to the day's month
  // left another day in that place.
  CRect m_pressBox;
  COleDateTime m_pressDay;
  std::vector<COleDateTime> m_marked;
  LOGFONT m_lf[3] = {};
  CFont m_fonts[3];  // title, weekday bar, days
  COLORREF m_clrWindowText = 0, m_clrBtnText = 0, m_clrBtnText2 = 0, m_clrBtnFace = 0, m_clrCaptionText = 0,
           m_clrActiveCaption = 0, m_clrGrayText = 0;

  void Fill();
  void LayOut();
  void MakeFonts();
  void FitFonts();
  CSize PanelNeed(CDC& dc, int nPanel, const LOGFONT& lf);
  void Post(UINT msg, WPARAM wp, LPARAM lp);
  void Close(UINT msg);
  BOOL Step(const COleDateTimeSpan& span, BOOL bMove);
  static COleDateTime MonthStep(const COleDateTime& from, int nMonths);
  BOOL YearStep(int nYears, BOOL bMove);
  CGXBDayBox* ScrollToBoxMonth(CGXBDayBox* box);
  // The day under the mouse while a press is held.
  CGXBDayBox* HeldDayAt(CPoint pt);
  static BOOL Same(const COleDateTime& a, const COleDateTime& b);

  void OnPaint() override;
  void OnLButtonDblClk(UINT nFlags, CPoint point) override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  void OnCancelMode() override;
  void OnRButtonDown(UINT nFlags, CPoint point) override;
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysColorChange() override;
  UINT OnGetDlgCode() override { return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS; }
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CGXBPopupCalendar : public CGXBCalendar {
  DECLARE_DYNAMIC(CGXBPopupCalendar)
 public:
  CGXBPopupCalendar();
  UINT GetClassStyle() const override { return CS_DBLCLKS | CS_SAVEBITS; }
  virtual BOOL CreatePopup(DWORD dwStyle, const RECT& anchor, CWnd* pOwner);

 protected:
  void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) override;
};
