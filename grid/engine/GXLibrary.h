// Library start-up of the grid component: the library data, the system-colour cache, the control
// factory and the window classes grids and cells use.
#pragma once

#include "platform/core/List.h"
#include "platform/core/Module.h"
#include "platform/core/String.h"
#include "platform/gdi/GdiObject.h"

class CGXControl;
class CGXGridCore;
class CGXStylesMap;
class CWnd;

class CGXAbstractControlFactory {
 public:
  virtual ~CGXAbstractControlFactory() = default;
  virtual CGXControl* CreateControl(UINT nID, CGXGridCore* pGrid) = 0;
  virtual void RegisterAllControls(CGXStylesMap* pStylesMap) = 0;
  virtual void RegisterAllUserAttributes(CGXStylesMap* pStylesMap) = 0;
  virtual void RegisterWndClasses(HINSTANCE hInstance) = 0;
  virtual void UnregisterWndClasses(HINSTANCE hInstance) = 0;
};

// Creates the cell types that exist; NULL for the others.
class CGXControlFactory : public CGXAbstractControlFactory {
 public:
  CGXControl* CreateControl(UINT nID, CGXGridCore* pGrid) override;
  void RegisterAllControls(CGXStylesMap* pStylesMap) override;
  void RegisterAllUserAttributes(CGXStylesMap* pStylesMap) override;
  void RegisterWndClasses(HINSTANCE hInstance) override;
  void UnregisterWndClasses(HINSTANCE hInstance) override;
};

// What a sheet-tab window offers the grids inside it: the name on a grid window's tab.
class CGXAbstractTabWndInterface {
 public:
  virtual ~CGXAbstractTabWndInterface() = default;
  // Reading (bSet FALSE) fills *pName with the tab's name, empty when no tab holds the window;
  // setting renames the tab.
  virtual void AccessSheetName(CWnd* pGridWnd, CString* pName, BOOL bSet) = 0;
  // The label of tab nTab of the tab window holding the grid window; FALSE when there is no such tab.
  virtual BOOL GetTabLabel(CWnd* pGridWnd, int nTab, CString* pLabel) = 0;
};

// What a record frame offers the sheet inside it: its beam shows the current record and the count.
class CGXAbstractRecordInfoWndInterface {
 public:
  virtual ~CGXAbstractRecordInfoWndInterface() = default;
  // Whether the grid window sits in a record frame whose beam is there to show records.
  virtual BOOL HasRecordBeam(CWnd* pGridWnd) = 0;
  // Shows the record and the count on the beam of the grid window's frame, when they changed.
  virtual void ShowRecord(CWnd* pGridWnd, LONG nRecord, LONG nCount) = 0;
};

struct CGXLibraryData {
  ~CGXLibraryData();
  UINT m_nClipboardFormat = 0;
  CString m_strMessages[42];  // string 52290 + i
  WORD m_wVersion = 0;
  BOOL m_bNotNT = FALSE;
  BOOL m_bWin4 = FALSE;
  BOOL m_bBelow4 = FALSE;
  BOOL m_bOldSystem = FALSE;
  CGXAbstractControlFactory* m_pControlFactory = nullptr;
  CObject* m_pExtra = nullptr;
  CPtrList m_HostWndClasses{10};
  // Installed by the first tab window; also the sheet-name hook of the views.
  CGXAbstractTabWndInterface* m_pTabWndInterface = nullptr;
  // Installed by the first record frame.
  CGXAbstractRecordInfoWndInterface* m_pRecordInfoWndInterface = nullptr;
  int m_nClickInProgress = 0;
  // Set while a cell's drop-down list takes the focus: the grid keeps its focus state meanwhile.
  int m_nFocusLock = 0;
  CString m_strPopupClass;
  BOOL m_bStarted = FALSE;
  // While a grid of the process runs its drag loop: the block it drags.
  BOOL m_bGridDragging = FALSE;
  DWORD m_nDragRows = 0, m_nDragCols = 0;
  CGXGridCore* m_pLastActiveGrid = nullptr;
};

CGXLibraryData& GXGetLibraryData();
// A message string of the library (52288, 52290..52331, 52243..52245), empty when unknown.
CString GXGetLibraryString(UINT nID);

class CGXSysColorCache {
 public:
  void Refresh();
  // Cached for 0..23, asked for higher indexes; a negative index is an invalid argument.
  COLORREF GetColor(int nIndex) const;
  CBrush& GetPatternBrush() { return m_brPattern; }

  COLORREF m_clrBtnFace = 0, m_clrBtnShadow = 0, m_clrBtnHilite = 0, m_clrWindowFrame = 0, m_clr3DLight = 0,
           m_clr3DDkShadow = 0, m_clrWindowText = 0, m_clrWindow = 0, m_clrHighlight = 0, m_clrHighlightText = 0;

 private:
  COLORREF m_colors[24] = {};
  BOOL m_bFilled = FALSE;
  CBrush m_brPattern;
};

CGXSysColorCache& GXGetSysColorCache();

// Starts the library once: clipboard format, strings, version facts, factory, resources, window
// classes, system colours and locale settings. The version and the two numbers change nothing.
void GXStartGridLibrary(UINT nVersion = 2816, int a = 0, int b = 0);
void GXTerminateGridLibrary();
void GXRegisterHostWndClass(CRuntimeClass* pClass);
// The window's parent when it is of the class; null when it or an ancestor is minimised (unless
// told to ignore that).
CWnd* GXGetParentOfKind(const CWnd* pWnd, CRuntimeClass* pClass, BOOL bIgnoreIconic = FALSE);
