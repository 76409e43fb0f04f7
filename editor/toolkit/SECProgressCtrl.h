// A self-painted progress bar: filled and empty parts in two colours, optional text over both, timer stepping.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/ui/Controls.h"

// Extended styles of the bar.
#define PBS_EX_VERTICAL 0x0001u
#define PBS_EX_FROMRIGHT 0x0010u
#define PBS_EX_FROMTOP 0x0020u
#define PBS_EX_PERCENT 0x0100u
#define PBS_EX_TEXT 0x0200u
#define PBS_EX_TEXTLEFT 0x1000u
#define PBS_EX_TEXTRIGHT 0x2000u
#define PBS_EX_DEFAULT 0x4100u

class SECProgressCtrl : public CProgressCtrl {
  DECLARE_DYNAMIC(SECProgressCtrl)
 public:
  static const UINT kTimerId = 256;

  SECProgressCtrl();
  ~SECProgressCtrl() override;

  virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, DWORD dwExStyle);
  virtual BOOL AttachProgress(int nCtrlID, CWnd* pParentWnd);
  virtual void SetRange(DWORD dwLower, DWORD dwUpper);
  virtual DWORD SetPos(DWORD dwPos, BOOL bYield = FALSE);
  virtual DWORD OffsetPos(DWORD dwOffset, BOOL bYield = FALSE);
  virtual DWORD SetStep(DWORD dwStep);
  virtual void SetColors(COLORREF crBar, COLORREF crBk);
  virtual void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
  virtual void SetWindowText(LPCSTR lpszText);
  virtual void GetWindowText(CString& rText);
  virtual DWORD StepIt(BOOL bYield = FALSE);
  virtual void ResetProgress();
  virtual BOOL StepOnTimer(UINT nPeriodMs);

  void SetExStyle(DWORD dwExStyle) { m_dwExStyle = dwExStyle; }
  DWORD GetExStyle() const { return m_dwExStyle; }
  DWORD GetPos() const { return m_dwPos; }
  DWORD GetStep() const { return m_dwStep; }
  void GetRange(DWORD& dwLower, DWORD& dwUpper) const {
    dwLower = m_dwLower;
    dwUpper = m_dwUpper;
  }
  COLORREF GetBarColor() const { return m_crBar; }
  COLORREF GetBkColor() const { return m_crBk; }
  BOOL IsCreated() const { return m_bCreated; }
  UINT_PTR GetTimerId() const { return m_nTimerId; }
  // The percentage limited to 0-100, as rectangles and text use it.
  static float LimitPercent(float fPercent);

 protected:
  virtual BOOL OnInitProgress();
  virtual void OnPaintBarFill(CDC* pDC, CRect rect);
  virtual void OnPaintBarEmpty(CDC* pDC, CRect rect);
  virtual void OnPaintBarText(CDC* pDC, float fPercent, CRect rectEmpty, CRect rectFill);
  virtual void OnDisplayStr(CString& strText);
  virtual void DoPaint(CPaintDC* pDC);

 public:
  virtual BOOL CalcProgressRects(float fPercent, CRect& rectFill, CRect& rectEmpty);
  virtual BOOL PaintProgressBarAndText(float fPercent, CRect rectFill, CRect rectEmpty, CDC* pDC);
  virtual float CalcPercentComplete();

 protected:
  void YieldPaintMessages();

  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  void OnPaint() override;
  void OnShowWindow(BOOL bShow, UINT nStatus) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnTimer(UINT_PTR nIDEvent) override;

  DWORD m_dwPos = 0;
  DWORD m_dwStep = 10;
  DWORD m_dwLower = 0;
  DWORD m_dwUpper = 100;
  COLORREF m_crBar = RGB(0, 0, 128);
  COLORREF m_crBk = RGB(255, 255, 255);
  CFont* m_pFont = nullptr;
  BOOL m_bVisible = TRUE;
  BOOL m_bCreated = FALSE;
  CString m_strText;
  DWORD m_dwExStyle = PBS_EX_DEFAULT;
  CRect m_rectClient{0, 0, 0, 0};
  UINT_PTR m_nTimerId = kTimerId;
};
