// CGXView and CGXGridView: the view that hosts a grid core in a document frame: printer settings
// shared by the views of one grid, and every window message handed on to the core.
#pragma once

#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridDropTarget.h"
#include "platform/ui/View.h"

#include <functional>

class CGXPrintDevice;
class CPrintDialog;

#define GX_WM_SHEETNAME_EDITABLE 0x790
#define GX_WM_SHEETNAME_CHANGED 0x791
#define GX_WM_SHEET_SWITCH 0x792
#define GX_WM_RECORD_NAVIGATE 0x7A3
#define GX_WM_LAYOUT_LOCK 0x7CB

class CGXView : public CView {
  DECLARE_DYNAMIC(CGXView)

 public:
  CGXView() = default;
  ~CGXView() override;

  // An owned device held before is deleted.
  void AttachPrinterDevice(CGXPrintDevice* pDevice, BOOL bMustDelete);
  CGXPrintDevice* GetPrinterDevice() const { return m_pPrintDevice; }
  // Called after the user picked another printer in a print or print-setup dialog.
  virtual void OnPrinterSettingsChanged() {}

  void OnInitialUpdate() override;
  // The application's dialogs start from the grid's printer, and a new choice goes back to it.
  BOOL DoPreparePrinting(CPrintInfo* pInfo);
  INT_PTR DoPrintDialog(CPrintDialog* pPD);
  void OnFilePrintSetup();
  BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
  CScrollBar* GetScrollBarCtrl(int nBar) const override;

  BOOL m_bOwnsPrintDevice = FALSE;
  CGXPrintDevice* m_pPrintDevice = nullptr;

 protected:
  LRESULT OnSheetNameEditable(WPARAM, LPARAM) { return 1; }
  LRESULT OnSheetNameChanged(WPARAM, LPARAM) { return 0; }

 private:
  // Runs the dialog step around the device: copies out before, takes a changed choice back.
  BOOL AroundPrinterDialog(const std::function<BOOL()>& step, HGLOBAL* phDevNames, HGLOBAL* phDevMode);

  DECLARE_MESSAGE_MAP()
};

class CGXGridView : public CGXView, public CGXGridCore {
  DECLARE_DYNCREATE(CGXGridView)

 public:
  CGXGridView();
  ~CGXGridView() override;

  void OnInitialUpdate() override;
  void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
  void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void OnDraw(CDC* pDC) override;
  void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
  void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
  void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
  BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  CScrollBar* GetScrollBarCtrl(int nBar) const override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 protected:
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnEditCopy() { Copy(); }
  void OnEditCut() { Cut(); }
  void OnEditPaste() { Paste(); }
  void OnUpdateEditCopy(CCmdUI* pCmdUI);
  void OnUpdateEditCut(CCmdUI* pCmdUI);
  void OnUpdateEditPaste(CCmdUI* pCmdUI);
  void OnEditFind() { OnShowFindReplaceDialog(TRUE); }
  void OnEditReplace() { OnShowFindReplaceDialog(FALSE); }
  void OnEditRepeat();
  void OnEditUndo() { Undo(); }
  void OnEditRedo() { Redo(); }
  void OnUpdateEditUndo(CCmdUI* pCmdUI);
  void OnUpdateEditRedo(CCmdUI* pCmdUI);
  LRESULT OnFindReplaceMessage(WPARAM, LPARAM lParam);
  LRESULT OnSheetNameEditable(WPARAM, LPARAM) { return IsSheetNameEditable(); }
  LRESULT OnSheetNameChanged(WPARAM wParam, LPARAM) {
    OnTabRenamed((int)wParam);
    return 0;
  }
  LRESULT OnSheetSwitch(WPARAM wParam, LPARAM);
  LRESULT OnRecordNavigateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnLayoutLock(WPARAM wParam, LPARAM);

  CGXGridDropTarget m_gridDropTarget{this};

  DECLARE_MESSAGE_MAP()
};
