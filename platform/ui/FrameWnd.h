// CFrameWnd, CMDIFrameWnd and CMDIChildWnd: frames that hold views, route commands to the active
// view and keep their titles in step with the document.
#pragma once

#include "platform/ui/View.h"
#include "platform/ui/Wnd.h"

class CDocument;
class CDocTemplate;

// Frame style bits
#define FWS_ADDTOTITLE 0x00008000u
#define FWS_PREFIXTITLE 0x00004000u
#define FWS_SNAPTOBARS 0x00002000u

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)

 public:
  CFrameWnd();
  ~CFrameWnd() override;

  static const CRect rectDefault;

  BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
              const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCSTR lpszMenuName = nullptr,
              DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
  // The title comes from the string resource nIDResource (its first part before '\n').
  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
  virtual CDocument* GetActiveDocument();
  virtual CFrameWnd* GetActiveFrame() { return this; }
  virtual void ActivateFrame(int nCmdShow = -1);
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  virtual void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
  virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
  void UpdateFrameTitleForDocument(LPCSTR lpszDocName);
  CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
  virtual void SetMessageText(LPCSTR lpszText);
  void SetTitle(LPCSTR lpszTitle) { m_strTitle = lpszTitle; }
  CString GetTitle() const { return m_strTitle; }
  BOOL IsFrameWnd() const { return TRUE; }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  void PostNcDestroy() override;
  // The accelerators LoadFrame found under the frame's resource id.
  HACCEL m_hAccelTable = nullptr;

  CString m_strTitle;
  UINT m_nIDHelp = 0;
  BOOL m_bAutoMenuEnable = TRUE;
  int m_nWindow = -1;  // the view number shown in the title, -1 for none

 protected:
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
  int OnCreate(LPCREATESTRUCT lpcs) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnClose() override;
  void OnSetFocus(CWnd* pOldWnd) override;
  void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) override;
  LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
  // WM_SETMESSAGESTRING: wParam a string id (its part before '\n'), or lParam the text itself.
  LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
  LRESULT OnPopMessageString(WPARAM wParam, LPARAM lParam);
  UINT m_nIDLastMessage = 0;

  CView* m_pViewActive = nullptr;

  DECLARE_MESSAGE_MAP()
};

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMDIFrameWnd)

 public:
  CMDIFrameWnd();

  CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
  void MDIActivate(CWnd* pWndActivate);
  void MDINext();
  void MDIMaximize(CWnd* pWnd);
  void MDIRestore(CWnd* pWnd);
  void MDICascade();
  CFrameWnd* GetActiveFrame() override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  virtual BOOL CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu);
  void OnUpdateFrameTitle(BOOL bAddToTitle) override;

  HWND m_hWndMDIClient = nullptr;

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
  void OnSize(UINT nType, int cx, int cy) override;
  BOOL OnNcActivate(BOOL bActive) override;
  LRESULT OnSetText(WPARAM, LPARAM lParam);

  CString m_strFrameText;  // the title as set, without a maximized child's " - [child]"

  DECLARE_MESSAGE_MAP()

  friend class CMDIChildWnd;
};

class CMDIChildWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMDIChildWnd)

 public:
  CMDIChildWnd();

  virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName,
                      DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                      CMDIFrameWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
  BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
  CMDIFrameWnd* GetMDIFrame() const;
  void MDIActivate();
  void MDIDestroy();
  void MDIMaximize();
  void MDIRestore();
  void ActivateFrame(int nCmdShow = -1) override;
  void OnUpdateFrameTitle(BOOL bAddToTitle) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

 protected:
  int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) override;
  void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd) override;
  void OnDestroy() override;
  void OnSize(UINT nType, int cx, int cy) override;
  LRESULT OnSetText(WPARAM, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};
