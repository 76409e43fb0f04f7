// CView and CScrollView: windows that show a document, route commands to it, and scroll.
#pragma once

#include "platform/ui/Wnd.h"

class CDocument;
class CFrameWnd;
class CPrintInfo;
class CView;

// What a frame needs to create its views and attach them to a document.
struct CCreateContext {
  CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  class CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)

 public:
  CView();
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  CFrameWnd* GetParentFrame() const { return CWnd::GetParentFrame(); }

  // Called when the view is about to be shown first: by default OnUpdate(nullptr, 0, nullptr).
  virtual void OnInitialUpdate();
  // The document changed: by default the view repaints.
  virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
  virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
  virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd);
  virtual void OnDraw(CDC* pDC) = 0;
  virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
  virtual BOOL IsSelected(const CObject* pDocItem) const;

  // ---- Printing: OnPreparePrinting, OnBeginPrinting, then per page OnPrepareDC and OnPrint,
  // then OnEndPrinting ----
  virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
  virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo, POINT point, CView* pView);
  // Asks for the printer (the print dialog, or its defaults for preview and direct printing)
  // and makes the printer context; FALSE when the user cancelled.
  BOOL DoPreparePrinting(CPrintInfo* pInfo);
  // The handlers derived views map ID_FILE_PRINT, ID_FILE_PRINT_DIRECT and ID_FILE_PRINT_PREVIEW to.
  void OnFilePrint();
  void OnFilePrintPreview();

  // ---- Drop target: a COleDropTarget registered on a view forwards to these; by default no drop ----
  virtual DWORD OnDragEnter(class COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual DWORD OnDragOver(class COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual void OnDragLeave();
  virtual BOOL OnDrop(class COleDataObject* pDataObject, DWORD dropEffect, CPoint point);
  // (DWORD)-1: not handled here, OnDrop decides.
  virtual DWORD OnDropEx(class COleDataObject* pDataObject, DWORD dropDefault, DWORD dropList, CPoint point);
  virtual DWORD OnDragScroll(DWORD dwKeyState, CPoint point);

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void PostNcDestroy() override;

  CDocument* m_pDocument = nullptr;

 protected:
  int OnCreate(LPCREATESTRUCT lpcs) override;
  void OnDestroy() override;
  void OnPaint() override;
  int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) override;
  LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

  DECLARE_MESSAGE_MAP()

  friend class CDocument;
};

// A view over a logical area larger than its window, scrolled by its scroll bars.
class CScrollView : public CView {
  DECLARE_DYNAMIC(CScrollView)

 public:
  CScrollView();

  // Mapping modes (MM_TEXT for pixels).
  void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                      const SIZE& sizeLine = sizeDefault);
  CPoint GetScrollPosition() const;
  CPoint GetDeviceScrollPosition() const;
  CSize GetTotalSize() const { return m_totalLog; }
  void GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const;
  void ScrollToPosition(POINT pt);
  void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;
  virtual BOOL OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll = TRUE);
  virtual BOOL OnScrollBy(CSize sizeScroll, BOOL bDoScroll = TRUE);

  static const SIZE sizeDefault;
  int m_nMapMode = 0;

 protected:
  void OnSize(UINT nType, int cx, int cy) override;
  void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
  void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
  BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
  void UpdateBars();

  CSize m_totalLog, m_totalDev, m_pageDev, m_lineDev;

  DECLARE_MESSAGE_MAP()
};

#ifndef MM_TEXT
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8
#endif

// The drawing layer supplies paint device contexts for views: begin returns the DC OnDraw gets,
// end releases it. Without them a view validates its update region without drawing.
struct AfxPaintDCHandlers {
  CDC* (*begin)(CWnd* wnd, void** token) = nullptr;
  void (*end)(CWnd* wnd, CDC* dc, void* token) = nullptr;
  // Sets a DC's viewport origin (for scroll views).
  void (*setViewportOrg)(CDC* dc, int x, int y) = nullptr;
};
void AfxSetPaintDCHandlers(const AfxPaintDCHandlers& handlers);
const AfxPaintDCHandlers& AfxGetPaintDCHandlers();
