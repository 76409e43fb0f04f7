// The row of sheet tabs along the bottom of a tab window: one record per sheet, scroll buttons,
// clicks that switch and select sheets, and the double click that asks for a rename.
#pragma once

#include "platform/core/Object.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Wnd.h"

#include <vector>

// Messages between the beam, the tab window and its sheets.
#define GX_WM_TAB_CHANGED 0x785
#define GX_WM_TAB_RENAME 0x786
#define GX_WM_TAB_CANSWITCH 0x787
#define GX_WM_SHEET_INDEX 0x78F
#define GX_WM_TAB_RENAME_DONE 0x799
#define GX_WM_TAB_RENAME_CANCEL 0x79A

class CGXTabInfo : public CObject {
 public:
  CGXTabInfo();
  ~CGXTabInfo() override;
  void SetFillColor(COLORREF color);
  void SetCurrentFillColor(COLORREF color);

  int nWidth = 60;
  CString sLabel;
  BOOL bSel = FALSE;
  CWnd* pExtra = nullptr;
  BOOL bDeleteExtra = FALSE;
  DWORD dwUser = 0;
  SCROLLINFO sbVert{}, sbHorz{};
  COLORREF clrFill = 0, clrCurrentFill = 0;
  CBrush brFill, brCurrentFill;
  // Bit 0: use clrFill; bit 1: use clrCurrentFill.
  UINT nFlags = 0;
};

class CGXTabBeam : public CWnd {
  DECLARE_DYNCREATE(CGXTabBeam)

 public:
  CGXTabBeam();
  ~CGXTabBeam() override;

  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  static void UnregisterWindowClass();
  static LRESULT ClassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  virtual void DrawTab(CDC* pDC, int nTab);
  virtual void DrawButton(CDC* pDC, int nButton, BOOL bPressed);
  virtual int GetTabX(int nTab);
  virtual int TabFromPoint(int x);
  virtual int GetLastVisibleTab();
  virtual void TrackButton(UINT nEndMessage);
  virtual void SelectTabAt(int x);
  virtual int ButtonFromPoint(int x, int y, int nRequired = -1);
  virtual void ScrollTabs(int nButton);
  virtual void InsertTab(BOOL bInsert, LPCTSTR pszName, CWnd* pWnd, BOOL bOwnsWnd, int nWidth, DWORD dwUser);
  virtual void DeleteTab(int nTab);
  virtual void AdjustTabSize(int nTab);
  virtual int FindTab(const CWnd* pWnd) const;

  // Out-of-range indexes raise an invalid-argument exception.
  CGXTabInfo& GetTab(int nTab);
  int GetCount() const { return (int)m_tabs.size(); }
  int GetCurrentTab() const { return m_nCurrent; }
  int GetFirstTab() const { return m_nFirstTab; }
  void EnsureVisible(int nTab);
  // Makes the tab current without asking anyone (the tab window's own switch).
  void SetCurrentTab(int nTab);
  int GetButtonAreaWidth() const { return m_bShowButtons ? m_nButtonAreaWidth : 0; }
  int GetBeamHeight() const { return m_nHeight; }
  CFont& GetNormalFont() { return m_fontNormal; }
  // Whether a button may act: fewer than 2 tabs, back at the first tab or forward with all shown cannot.
  BOOL CanScroll(int nButton);
  void ReadColors();

  CFont m_fontBold, m_fontNormal;
  COLORREF m_clrText = 0, m_clrTextCurrent = 0, m_clrTabFill = 0, m_clrCurrentFill = 0, m_clrBackground = 0;
  CBrush m_brTabFill, m_brCurrentFill, m_brBlack;
  CPen m_penShadow;
  int m_nCurrent = -1, m_nFirstTab = 0;
  int m_nGap = 7;
  int m_nButtonAreaWidth = 0, m_nHeight = 0, m_nButtonWidth = 0;
  BOOL m_bShowButtons = TRUE;
  int m_nButtons = 2;
  HCURSOR m_hCursor = nullptr;
  int m_nPressed = -1;
  BOOL m_bPressedShown = FALSE, m_bTracking = FALSE;
  // -1 none, -2 redraw the buttons too.
  int m_nTrackX = -1;

 protected:
  void PostNcDestroy() override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonDblClk(UINT nFlags, CPoint point) override;
  void OnSysColorChange() override;
  void OnSettingChange(UINT uFlags, LPCSTR lpszSection) override;
  BOOL OnSetCursor(CWnd*, UINT, UINT) override;

 private:
  void CreateFonts();
  void DrawButtons(CDC* pDC);
  // The button's place: index 1 and 2 take the first two places in the two-button layout.
  CRect ButtonRect(int nButton) const;
  void Paint(CDC* pDC, const CRect& area);
  std::vector<CGXTabInfo*> m_tabs;
};
