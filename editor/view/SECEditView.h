// The editor as a document view: the editor engine on a framework view, told of changes through
// its document.
#pragma once

#include "editor/core/SECEditCore.h"
#include "editor/view/SECEditDropTarget.h"

#include <utility>
#include <vector>

class SECEditView : public SECEditCore<CView> {
  DECLARE_DYNCREATE(SECEditView)

 public:
  SECEditView() = default;
  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint) override;
  void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
  DWORD OnDragEnter(COleDataObject* pData, DWORD dwKeyState, CPoint point) override {
    return CoreDragEnter(pData, dwKeyState, point);
  }
  DWORD OnDragOver(COleDataObject* pData, DWORD dwKeyState, CPoint point) override {
    return CoreDragOver(pData, dwKeyState, point);
  }
  void OnDragLeave() override { CoreDragLeave(); }
  BOOL OnDrop(COleDataObject* pData, DWORD dropEffect, CPoint point) override {
    return CoreDrop(pData, dropEffect, point);
  }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // A pane of a splitter tells the other panes where it scrolled.
  void CoreSetScrollPos(int nBar, int nPos, BOOL bRedraw) override;
  // The splitter this view is a pane of (dynamic splits only), with the pane's row and column.
  class CSplitterWnd* GetSplitter(int* pRow, int* pCol) const;

  // Printing with the page setup's header and footer.
  BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
  void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
  void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
  void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

  SECEditDropTarget m_dropTarget;
  // The first line of each page and the rows of it printed on earlier pages (a line longer than a page).
  std::vector<std::pair<int, int>> m_pageStarts;
  BOOL m_bAllowPrintSelection = TRUE;
  BOOL m_bPrintSelection = FALSE;
  CFont m_printFont;
  int m_nLinesPerPage = 0;
  int m_nPrintLineHeight = 0;
  CTime m_timeHeader;
  CTime m_timeFooter;

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnUpdateText(LPARAM lHint, CObject* pHint);

  static BOOL ms_bFirstActivation;  // the first activation of any editor view brings its caret into view
};
