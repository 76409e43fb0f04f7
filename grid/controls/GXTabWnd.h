// A frame of sheets switched by a row of tabs: the sheets share the window's two scroll bars, a
// sizing box shares the bottom strip between tabs and the horizontal bar, and tabs rename in a popup.
#pragma once

#include "grid/controls/GXBeamFrameWnd.h"
#include "grid/controls/GXTabBeam.h"
#include "grid/engine/GXCodes.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Wnd.h"

#define GX_IDW_TAB_BEAM 59905
#define GX_IDW_TAB_RENAME 23001

// Registers the window classes "CGXTabBeam" and "CGXTabWnd" once; a failure raises a resource exception.
void GXRegisterTabWndClasses();
// TRUE (and forgotten) when the window was made by its class procedure: it then deletes itself.
BOOL GXForgetAutoCreated(CWnd* pWnd);

// The rename edit: Enter accepts, Escape or losing the focus cancels.
class CGXEditLabelPopup : public CEdit {
 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CGXTabWnd : public CGXBeamFrameWnd {
  DECLARE_DYNCREATE(CGXTabWnd)

 public:
  explicit CGXTabWnd(CRuntimeClass* pBeamClass = nullptr);
  ~CGXTabWnd() override;

  // A failing creation raises a resource exception.
  BOOL CreateTabWndFrame(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                         UINT nID = AFX_IDW_PANE_FIRST);
  virtual CWnd* AttachWnd(CWnd* pWnd, LPCTSTR pszName);
  static void UnregisterWindowClass();
  static LRESULT ClassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  CGXTabBeam& GetBeam() { return *m_pBeam; }
  CWnd* GetActivePane() const { return m_pActivePane; }
  CEdit* GetRenamePopup() const { return m_pRenamePopup; }
  int GetBeamWidth() const { return m_nBeamWidth; }
  // Shows the sheet when both sheets agree; FALSE when refused or not a sheet of this window.
  BOOL SwitchTo(CWnd* pWnd);
  // Non-zero refuses: the active sheet or the new one said no, and the focus went back.
  LRESULT CanSwitchTo(int nTab);
  void RecalcLayout(BOOL bBeamOnly = FALSE);
  CRect GetSizingBoxRect();
  // The beam dropped the sheet's tab: an active sheet is forgotten.
  void OnTabDeleted(CWnd* pWnd);
  // The beam's top row is the bottom row of the sheets: whenever the beam paints, what lies under
  // that row paints it again, else a switch, rename, insert or delete leaves a line of the old tabs.
  void RepaintSharedRow();

 protected:
  CWnd* GetShownSheet() const override { return m_pActivePane; }
  void OnResize(int cx) override;
  void PostNcDestroy() override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnSettingChange(UINT uFlags, LPCSTR lpszSection) override;

 private:
  void CreateChildren(DWORD dwStyle);
  void OnTabSwitched(int nTab);
  void OnRenameTab(int nTab);
  void OnRenameDone();
  void CloseRenamePopup();
  void SaveScrollState(CWnd* pWnd);
  void RestoreScrollState(CWnd* pWnd);
  int StripTop();

  CGXTabBeam* m_pBeam = nullptr;
  CRuntimeClass* m_pBeamClass = nullptr;
  CWnd* m_pActivePane = nullptr;
  CGXEditLabelPopup* m_pRenamePopup = nullptr;
  int m_nBeamWidth = 0, m_nPrevWidth = 0, m_nBeamWidth100 = 0;
  int m_nSizingBox = 6;
  BOOL m_bTracking = FALSE;
};

// The library's link from a grid to the tab showing it.
class CGXTabWndInterface : public CGXAbstractTabWndInterface {
 public:
  void AccessSheetName(CWnd* pGridWnd, CString* pName, BOOL bSet) override;
  BOOL GetTabLabel(CWnd* pGridWnd, int nTab, CString* pLabel) override;
};

// The tab window among the window's parents, null when there is none.
CGXTabWnd* GXFindParentTabWnd(const CWnd* pWnd);
