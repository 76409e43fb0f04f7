// CWnd: the framework's window object, its message dispatch to virtual On… handlers and maps,
// and wrappers over the window manager.
#pragma once

#include "platform/core/MessageBox.h"
#include "platform/core/String.h"
#include "platform/gdi/SurfaceProvider.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"

class CDC;
class CFont;
class CScrollBar;
class CFrameWnd;
struct CCreateContext;

// m_nFlags
#define WF_TOOLTIPS 0x0001
#define WF_TEMPHIDE 0x0002
#define WF_STAYDISABLED 0x0004
#define WF_MODALLOOP 0x0008
#define WF_CONTINUEMODAL 0x0010
#define WF_OLECTLCONTAINER 0x0100

// RunModalLoop flags
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004
#define MSGF_DIALOGBOX 0
#define MSGF_MENU 2

// RepositionBars / SendMessageToDescendants helpers
#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_PANE_LAST 0xE9FF
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_TOOLBAR 0xE800

// A window is also where its device contexts draw: CPaintDC dc(this) paints its client area.
// What a frame gives its bars when it lays them out (WM_SIZEPARENT): each bar takes its room from
// `rect` and moves itself, through hDWP when it is set.
struct AFX_SIZEPARENTPARAMS {
  HDWP hDWP;
  RECT rect;
  SIZE sizeTotal;
  BOOL bStretch;
};
// RepositionBars flags
#define reposDefault 0
#define reposQuery 1
#define reposExtra 2

class CWnd : public CCmdTarget, public CDrawSurfaceProvider {
  DECLARE_DYNCREATE(CWnd)

 public:
  CWnd();
  explicit CWnd(HWND hWnd);
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  UINT m_nFlags = 0;
  // Insert-after values for SetWindowPos.
  static const CWnd wndTop;
  static const CWnd wndBottom;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;
  WNDPROC m_pfnSuper = nullptr;  // the procedure messages go to when not handled here
  int m_nModalResult = 0;

  // Both tolerate a null object, as framework code relies on.
  operator HWND() const;
  HWND GetSafeHwnd() const;
  bool operator==(const CWnd& w) const { return m_hWnd == w.m_hWnd; }
  bool operator!=(const CWnd& w) const { return m_hWnd != w.m_hWnd; }

  // The object attached to a window; a temporary wrapper when none is (freed at idle time).
  static CWnd* FromHandle(HWND hWnd);
  static CWnd* FromHandlePermanent(HWND hWnd);
  static void DeleteTempMap();

  BOOL Attach(HWND hWndNew);
  HWND Detach();
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();

  // ---- Creation ----
  virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
  virtual BOOL DestroyWindow();
  virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
  virtual void PreSubclassWindow();
  virtual void PostNcDestroy();
  virtual void CalcWindowRect(LPRECT lpClientRect, UINT nAdjustType = 0);

  // ---- Dispatch ----
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Offers the message being handled to the child it came from; TRUE when the child took it.
  static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);
  BOOL SendChildNotifyLastMsg(LRESULT* pResult = nullptr);
  static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
  // The message being handled (for Default()).
  static const MSG* GetCurrentMessage();
  LRESULT Default();

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                BOOL bOnlyPerm = FALSE);
  static void SendMessageToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                       BOOL bOnlyPerm);

  // ---- Modal loops ----
  int RunModalLoop(DWORD dwFlags = 0);
  virtual BOOL ContinueModal();
  virtual void EndModalLoop(int nResult);

  // ---- Styles, tree, text ----
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  static BOOL ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
  static BOOL ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
  int GetDlgCtrlID() const;
  int SetDlgCtrlID(int nID);
  CWnd* GetDlgItem(int nID) const;
  void GetDlgItem(int nID, HWND* phWnd) const;
  CWnd* GetDescendantWindow(int nID, BOOL bOnlyPerm = FALSE) const;
  CWnd* GetParent() const;
  CWnd* SetParent(CWnd* pWndNewParent);
  CWnd* GetOwner() const;
  void SetOwner(CWnd* pOwnerWnd);
  CWnd* GetParentOwner() const;
  CWnd* GetTopLevelParent() const;
  CWnd* GetTopLevelOwner() const;
  CFrameWnd* GetParentFrame() const;
  CFrameWnd* GetTopLevelFrame() const;
  CWnd* GetWindow(UINT nCmd) const;
  CWnd* GetTopWindow() const;
  CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const;
  CWnd* GetSafeOwner(CWnd* pParent = nullptr, HWND* pWndTop = nullptr);
  BOOL IsChild(const CWnd* pWnd) const;
  void SetWindowText(LPCSTR lpszString);
  int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const;
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int nID, LPCSTR lpszString);
  int GetDlgItemText(int nID, LPSTR lpStr, int nMaxCount) const;
  int GetDlgItemText(int nID, CString& rString) const;
  void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
  UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
  LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
  CFont* GetFont() const;
  void SetRedraw(BOOL bRedraw = TRUE);

  // ---- Geometry ----
  void GetWindowRect(LPRECT lpRect) const;
  void GetClientRect(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const;
  void MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const;
  BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl);
  void CenterWindow(CWnd* pAlternateOwner = nullptr);
  void BringWindowToTop();
  CWnd* ChildWindowFromPoint(POINT point) const;
  CWnd* ChildWindowFromPoint(POINT point, UINT nFlags) const;
  static CWnd* WindowFromPoint(POINT point);
  static CWnd* GetDesktopWindow();

  // ---- State ----
  BOOL ShowWindow(int nCmdShow);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsIconic() const;
  BOOL IsZoomed() const;
  BOOL FlashWindow(BOOL bInvert);
  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* SetActiveWindow();
  static CWnd* GetActiveWindow();
  BOOL SetForegroundWindow();
  static CWnd* GetForegroundWindow();
  CWnd* SetCapture();
  static CWnd* GetCapture();
  int GetClassName(LPSTR buf, int size) const { return ::GetClassName(m_hWnd, buf, size); }

  // ---- Painting ----
  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void ValidateRect(LPCRECT lpRect);
  void UpdateWindow();
  BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, void* prgnUpdate = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  BOOL GetUpdateRect(LPRECT lpRect, BOOL bErase = FALSE);
  void ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect = nullptr, LPCRECT lpClipRect = nullptr);
  int ScrollWindowEx(int dx, int dy, LPCRECT lpRectScroll, LPCRECT lpRectClip, void* prgnUpdate, LPRECT lpRectUpdate,
                     UINT flags);

  // ---- Timers, scroll bars, caret ----
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
  BOOL KillTimer(UINT_PTR nIDEvent);
  BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
  BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
  int GetScrollLimit(int nBar);
  int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
  int GetScrollPos(int nBar) const;
  void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
  void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
  void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
  BOOL EnableScrollBar(int nSBFlags, UINT nArrowFlags = ESB_ENABLE_BOTH);
  void EnableScrollBarCtrl(int nBar, BOOL bEnable = TRUE);
  // A splitter or frame may lend a scroll-bar control; plain windows have none.
  virtual CScrollBar* GetScrollBarCtrl(int nBar) const;
  void CreateCaret(void* pBitmap);
  void CreateSolidCaret(int nWidth, int nHeight);
  void CreateGrayCaret(int nWidth, int nHeight);
  void ShowCaret();
  void HideCaret();
  static void SetCaretPos(POINT point);
  static CPoint GetCaretPos();

  // ---- Drawing surface (see platform/ui/WindowPaint.h) ----
  cairo_surface_t* GetDrawSurface() override;
  POINT GetDrawOrigin(DrawArea area) override;
  void GetDrawVisible(DrawArea area, std::vector<RECT>& visible) override;
  void BeginDrawPaint(PAINTSTRUCT* ps) override;
  void EndDrawPaint(const PAINTSTRUCT* ps) override;

  // ---- Dialog support (platform/ui/Dialog.cpp) ----
  // Data exchange between member variables and child controls; UpdateData(FALSE) fills the
  // controls, UpdateData(TRUE) reads and validates them (FALSE when validation failed).
  virtual void DoDataExchange(class CDataExchange* pDX);
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // A child dialog (form) from a template found along the resource chain.
  BOOL CreateDlg(LPCSTR lpszTemplateName, CWnd* pParentWnd);
  BOOL ExecuteDlgInit(LPCSTR lpszResourceName);
  void CheckDlgButton(int nIDButton, UINT nCheck);
  UINT IsDlgButtonChecked(int nIDButton) const;
  void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
  int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton);
  CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
  CWnd* GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
  void MapDialogRect(LPRECT lpRect) const;

  int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);
  void DragAcceptFiles(BOOL bAccept = TRUE);
  // Lays out the children with ids in [nIDFirst, nIDLast] (bars, through WM_SIZEPARENT), then gives
  // what is left to the child nIDLeftOver. reposQuery only computes the left-over rectangle into
  // lpRectParam; reposExtra shrinks the left-over by lpRectParam's borders.
  void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag = reposDefault,
                      LPRECT lpRectParam = nullptr, LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);
  // Calls each child control's update handler through pTarget (idle-time enabling of bars and dialogs).
  void UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
  // Tooltips for the window's children: the thread's tooltip control asks this window for the text
  // of a hovered child (TTN_NEEDTEXT, TTF_IDISHWND, idFrom the child's handle).
  BOOL EnableToolTips(BOOL bEnable = TRUE);
  // Feeds mouse messages to the thread's tooltip control (called while messages are translated).
  static void FilterToolTipMessage(MSG* pMsg);

 protected:
  // ---- Standard message handlers: each base version does what the window would do unhandled ----
  virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);
  virtual BOOL OnNcCreate(LPCREATESTRUCT lpCreateStruct);
  virtual void OnDestroy();
  virtual void OnNcDestroy();
  virtual void OnPaint();
  virtual void OnNcPaint();
  virtual BOOL OnEraseBkgnd(CDC* pDC);
  virtual void OnSize(UINT nType, int cx, int cy);
  virtual void OnMove(int x, int y);
  virtual void OnShowWindow(BOOL bShow, UINT nStatus);
  virtual void OnWindowPosChanging(WINDOWPOS* lpwndpos);
  virtual void OnWindowPosChanged(WINDOWPOS* lpwndpos);
  virtual void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  virtual void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  virtual void OnActivateApp(BOOL bActive, DWORD dwThreadID);
  virtual BOOL OnNcActivate(BOOL bActive);
  virtual int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  virtual void OnChildActivate();
  virtual void OnSetFocus(CWnd* pOldWnd);
  virtual void OnKillFocus(CWnd* pNewWnd);
  virtual void OnEnable(BOOL bEnable);
  virtual void OnClose();
  virtual void OnTimer(UINT_PTR nIDEvent);
  virtual void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  virtual void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnDeadChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnSysDeadChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnLButtonDown(UINT nFlags, CPoint point);
  virtual void OnLButtonUp(UINT nFlags, CPoint point);
  virtual void OnLButtonDblClk(UINT nFlags, CPoint point);
  virtual void OnRButtonDown(UINT nFlags, CPoint point);
  virtual void OnRButtonUp(UINT nFlags, CPoint point);
  virtual void OnRButtonDblClk(UINT nFlags, CPoint point);
  virtual void OnMButtonDown(UINT nFlags, CPoint point);
  virtual void OnMButtonUp(UINT nFlags, CPoint point);
  virtual void OnMButtonDblClk(UINT nFlags, CPoint point);
  virtual void OnMouseMove(UINT nFlags, CPoint point);
  virtual BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
  virtual BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  virtual UINT OnGetDlgCode();
  virtual LRESULT OnNcHitTest(CPoint point);
  virtual void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  virtual void OnNcLButtonDown(UINT nHitTest, CPoint point);
  virtual void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  virtual void OnNcMouseMove(UINT nHitTest, CPoint point);
  virtual void OnCancelMode();
  virtual void OnCaptureChanged(CWnd* pWnd);
  virtual void OnParentNotify(UINT message, LPARAM lParam);
  virtual void OnSysColorChange();
  virtual void OnSettingChange(UINT uFlags, LPCSTR lpszSection);
  virtual void OnContextMenu(CWnd* pWnd, CPoint pos);
  virtual BOOL OnHelpInfo(HELPINFO* pHelpInfo);
  virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  virtual void OnDrawItem(int nIDCtl, DRAWITEMSTRUCT* lpDrawItemStruct);
  virtual void OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct);
  virtual int OnCompareItem(int nIDCtl, COMPAREITEMSTRUCT* lpCompareItemStruct);
  virtual void OnDeleteItem(int nIDCtl, DELETEITEMSTRUCT* lpDeleteItemStruct);
  virtual void OnSysCommand(UINT nID, LPARAM lParam);
  virtual void OnStyleChanging(int nStyleType, STYLESTRUCT* lpStyleStruct);
  virtual void OnStyleChanged(int nStyleType, STYLESTRUCT* lpStyleStruct);
  virtual void OnEnterIdle(UINT nWhy, CWnd* pWho);
  virtual BOOL OnQueryEndSession();
  virtual void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);

  DECLARE_MESSAGE_MAP()

 private:
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  bool m_temporary = false;
};

// The window procedure of every window a CWnd is attached to.
LRESULT AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// The framework's window procedure, for windows that hand themselves over to it.
WNDPROC AfxGetAfxWndProc();
// The window whose control notifications are dropped while its data exchange runs.
HWND& AfxLockoutNotifyWindow();
// Registers (once) a class with these attributes and returns its name, "Afx:…".
// The tooltip control of the calling thread (made on first use); null when it cannot be made.
class CToolTipCtrl;
CToolTipCtrl* AfxGetThreadToolTip();
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                           HICON hIcon = nullptr);
BOOL AfxRegisterClass(WNDCLASS* lpWndClass);

// The drawing layer supplies the device-context object for an HDC (handlers that take a CDC*).
void AfxSetDCFromHandle(CDC* (*fromHandle)(HDC));
CDC* AfxDCFromHandle(HDC hdc);
// The drawing layer supplies the font object for an HFONT (CWnd::GetFont) and its handle (SetFont).
void AfxSetFontHandlers(CFont* (*fromHandle)(HFONT), HFONT (*toHandle)(CFont*));
