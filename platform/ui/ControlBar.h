// Control bars: CControlBar and its layout along a frame's edges, CStatusBar, CToolBar and CDialogBar.
#pragma once

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class CFrameWnd;

#define ID_SEPARATOR 0
#define SBPS_NORMAL 0x0000u
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT SBT_POPOUT
#define SBPS_OWNERDRAW SBT_OWNERDRAW
#define SBPS_DISABLED 0x04000000u
#define SBPS_STRETCH 0x08000000u
#define TBBS_BUTTON TBSTYLE_BUTTON
#define TBBS_SEPARATOR TBSTYLE_SEP
#define TBBS_CHECKBOX TBSTYLE_CHECK
#define TBBS_GROUP TBSTYLE_GROUP
#define TBBS_CHECKGROUP TBSTYLE_CHECKGROUP
#define TBBS_CHECKED 0x0100u
#define TBBS_PRESSED 0x0200u
#define TBBS_DISABLED 0x0400u
#define TBBS_INDETERMINATE 0x0800u
#define TBBS_HIDDEN 0x1000u

// A toolbar resource (RT_TOOLBAR): the button size and the command of each button (0: a separator).
struct TOOLBAR_RESOURCE {
  WORD wVersion;
  WORD wWidth;
  WORD wHeight;
  WORD wItemCount;
  const WORD* items;
};

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)
 public:
  CControlBar();
  ~CControlBar() override;

  virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
  virtual void CalcInsideRect(CRect& rect, BOOL bHorz) const;
  // Updates the bar's items through the frame's command routing (at idle time).
  virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
  virtual void OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle);
  void SetBarStyle(DWORD dwStyle);
  DWORD GetBarStyle() const { return m_dwStyle; }
  void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
  BOOL IsFloating() const { return FALSE; }
  int GetCount() const { return m_nCount; }
  BOOL AllocElements(int nElements, int cbElement);

  DWORD m_dwStyle = 0;
  DWORD m_dwDockStyle = 0;
  int m_cxLeftBorder = 6, m_cxRightBorder = 0, m_cyTopBorder = 1, m_cyBottomBorder = 1;
  int m_cxDefaultGap = 2;
  void* m_pData = nullptr;
  int m_nCount = 0;
  // The window that gets the bar's commands and answers its updates (the frame); a child window
  // has no owner of its own in the window manager, so the bar keeps it.
  HWND m_hWndOwner = nullptr;
  CWnd* GetBarOwner() const;
  void SetBarOwner(CWnd* pOwner) { m_hWndOwner = pOwner ? pOwner->GetSafeHwnd() : nullptr; }

 protected:
  LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
  LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
  BOOL OnEraseBkgnd(CDC* pDC) override;
  // Notifications the bar does not handle go on to its owner (the frame).
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;
  DECLARE_MESSAGE_MAP()
};

class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)
 public:
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
  // Panes from string ids (ID_SEPARATOR: an empty pane); the first pane stretches.
  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  void GetPaneText(int nIndex, CString& s) const;
  CString GetPaneText(int nIndex) const;
  BOOL SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL bUpdate = TRUE);
  void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
  void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
  UINT GetPaneStyle(int nIndex) const;
  void SetPaneStyle(int nIndex, UINT nStyle);
  CStatusBarCtrl& GetStatusBarCtrl() const { return *(CStatusBarCtrl*)this; }
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

 protected:
  void OnSize(UINT nType, int cx, int cy) override;
  LRESULT OnSetText(WPARAM, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  struct Pane {
    UINT id;
    UINT style;
    int width;
    std::string text;
  };
  std::vector<Pane> m_panes;
  void UpdateParts();
};

class CToolBar : public CControlBar {
  DECLARE_DYNAMIC(CToolBar)
 public:
  CToolBar();
  ~CToolBar() override;
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                UINT nID = AFX_IDW_TOOLBAR);
  void SetSizes(SIZE sizeButton, SIZE sizeImage);
  BOOL LoadToolBar(UINT nIDResource);
  BOOL LoadToolBar(LPCSTR lpszResourceName);
  BOOL LoadBitmap(UINT nIDResource);
  BOOL SetBitmap(HBITMAP hbmImageWell);
  BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  UINT GetButtonStyle(int nIndex) const;
  void SetButtonStyle(int nIndex, UINT nStyle);
  void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
  void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
  BOOL SetButtonText(int nIndex, LPCSTR lpszText);
  CString GetButtonText(int nIndex) const;
  CToolTipCtrl* GetToolTips() const { return m_pToolTip; }
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  // The tooltip text of a command: the part after '\n' of its string resource.
  static CString TipText(UINT nID);

 protected:
  void OnPaint() override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonDblClk(UINT nFlags, CPoint point) override { OnLButtonDown(nFlags, point); }
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  DECLARE_MESSAGE_MAP()

 private:
  struct Button {
    UINT id;
    UINT style;
    int image;
    std::string text;
  };
  int HitTest(CPoint pt) const;
  void UpdateTools();
  std::vector<Button> m_buttons;
  CSize m_sizeButton{23, 22};
  CSize m_sizeImage{16, 15};
  HBITMAP m_hbmImageWell = nullptr;
  int m_pressed = -1;
  CToolTipCtrl* m_pToolTip = nullptr;
};

class CDialogBar : public CControlBar {
  DECLARE_DYNAMIC(CDialogBar)
 public:
  BOOL Create(CWnd* pParentWnd, LPCSTR lpszTemplateName, UINT nStyle, UINT nID);
  BOOL Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID);
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  CSize m_sizeDefault;
};
