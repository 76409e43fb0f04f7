// A status bar over the common status control: panes with ids, texts, widths and stretch, updated by command UI.
#pragma once

#include "platform/ui/ControlBar.h"

// One pane of the bar, kept in the control bar's element array.
struct SECStatusPane {
  UINT nID;
  int cxText;
  UINT nStyle;
  UINT nFlags;  // 0x1: the text still has to go to the control
  CString strText;
};

#define SECSBPF_UPDATE 0x0001u

class SECStatusBar;

// Command UI for one pane: enables, checks and sets its text.
class SECStatusCmdUI : public CCmdUI {
 public:
  void Enable(BOOL bOn = TRUE) override;
  void SetCheck(int nCheck = 1) override;
  void SetText(LPCSTR lpszText) override;
};

class SECStatusBar : public CControlBar {
  DECLARE_DYNAMIC(SECStatusBar)
 public:
  SECStatusBar();
  ~SECStatusBar() override;

  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
  virtual BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
  UINT GetPaneStyle(int nIndex) const;
  CString GetPaneText(int nIndex) const;
  void GetPaneText(int nIndex, CString& rString) const;
  void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
  void SetPaneStyle(int nIndex, UINT nStyle);
  BOOL SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL bUpdate = TRUE);
  BOOL SetPaneWidth(int nIndex, int cxWidth);
  CStatusBarCtrl& GetStatusBarCtrl() const { return *(CStatusBarCtrl*)this; }
  BOOL AllocElements(int nElements, int cbElement);
  int GetMinHeight() const { return m_nMinHeight; }

  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  void CalcInsideRect(CRect& rect, BOOL bHorz) const override;
  void OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle) override;

 protected:
  SECStatusPane* GetPanePtr(int nIndex) const;
  void UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText);
  // The control's borders: horizontal, vertical and the gap between panes.
  void GetBorders(int borders[3]) const;

  LRESULT OnNcHitTest(CPoint point) override;
  void OnNcPaint() override;
  void OnPaint() override;
  void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnWindowPosChanging(WINDOWPOS* lpWndPos) override;
  virtual LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetTextLength(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSetMinHeight(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  int m_nMinHeight = 0;
};
