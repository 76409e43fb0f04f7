// CSplitterWnd: a window split into panes by bars the user drags, with fixed (static) or
// user-made (dynamic) rows and columns.
#pragma once

#include "platform/ui/View.h"
#include "platform/ui/Wnd.h"

#include <vector>

#define SPLS_DYNAMIC_SPLIT 0x0001
#define SPLS_INVERT_TRACKER 0x0002

class CSplitterWnd : public CWnd {
  DECLARE_DYNAMIC(CSplitterWnd)

 public:
  CSplitterWnd();
  ~CSplitterWnd() override;

  // A splitter whose panes the user makes by dragging split boxes: at most 2 x 2 panes, each a new
  // view of pContext->m_pNewViewClass.
  BOOL Create(CWnd* pParentWnd, int nMaxRows, int nMaxCols, SIZE sizeMin, CCreateContext* pContext,
              DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | SPLS_DYNAMIC_SPLIT,
              UINT nID = AFX_IDW_PANE_FIRST);
  // A splitter with fixed rows and columns (1..16 each); every pane must be created by CreateView.
  BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                    UINT nID = AFX_IDW_PANE_FIRST);
  // Creates the pane at (row, col); sizeInit gives the column's width and the row's height.
  virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext);

  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  int GetMaxRowCount() const { return m_nMaxRows; }
  int GetMaxColumnCount() const { return m_nMaxCols; }
  void GetRowInfo(int row, int& cyCur, int& cyMin) const;
  void SetRowInfo(int row, int cyIdeal, int cyMin);
  void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
  void SetColumnInfo(int col, int cxIdeal, int cxMin);

  CWnd* GetPane(int row, int col) const;
  BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const;
  int IdFromRowCol(int row, int col) const;
  // The pane that is the frame's active view (or holds the focus); null when none is.
  virtual CWnd* GetActivePane(int* pRow = nullptr, int* pCol = nullptr);
  virtual void SetActivePane(int row, int col, CWnd* pWnd = nullptr);

  virtual void RecalcLayout();

  // ---- Dynamic splitting ----
  virtual BOOL SplitRow(int cyBefore);
  virtual BOOL SplitColumn(int cxBefore);
  virtual void DeleteRow(int rowDelete);
  virtual void DeleteColumn(int colDelete);
  virtual void DeleteView(int row, int col);

  // Where a client point lies (the hit codes below); 0 over a pane or nothing.
  int HitTest(CPoint pt) const;
  enum HitCode {
    noHit = 0,
    vSplitterBox = 101,  // splits a row off
    hSplitterBox = 102,  // splits a column off
    vSplitterBar1 = 201, // + row index: the bar below that row
    hSplitterBar1 = 301, // + column index: the bar right of that column
    splitterIntersection1 = 401  // + row * 15 + col
  };
  BOOL IsTracking() const { return m_bTracking; }

  // Sizes of the bars, the gaps between panes and the split boxes, in pixels.
  int m_cxSplitter = 7, m_cySplitter = 7;
  int m_cxSplitterGap = 7, m_cySplitterGap = 7;

 protected:
  struct CRowColInfo {
    int nMinSize = 0;
    int nIdealSize = 0;
    int nCurSize = 0;
  };

  BOOL CreateCommon(CWnd* pParentWnd, SIZE sizeMin, DWORD dwStyle, UINT nID);
  // The area the panes share (the client area less the split boxes).
  void GetInsideRect(CRect& rect) const;
  CRect RowRect(int row) const;
  int ClientTop() const;
  int ClientLeft() const;
  CRect ColRect(int col) const;
  void StartTracking(int ht, CPoint pt);
  void StopTracking(BOOL bAccept);
  void TrackRowSize(int y, int row);
  void TrackColumnSize(int x, int col);
  CView* PaneView(CWnd* pane) const;
  void DrawTracker();

  int OnCreate(LPCREATESTRUCT lpcs) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnPaint() override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnLButtonDblClk(UINT nFlags, CPoint point) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
  void OnCancelMode() override;
  void OnCaptureChanged(CWnd* pWnd) override;
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

  int m_nMaxRows = 0, m_nMaxCols = 0;
  int m_nRows = 0, m_nCols = 0;
  BOOL m_bHasHScroll = FALSE, m_bHasVScroll = FALSE;
  CRuntimeClass* m_pDynamicViewClass = nullptr;
  CSize m_sizeMin;
  std::vector<CRowColInfo> m_rowInfo, m_colInfo;

  // Tracking a bar or split box.
  BOOL m_bTracking = FALSE;
  int m_htTrack = 0;
  HWND m_hWndFocusBefore = nullptr;  // given back when the tracking ends
  CPoint m_ptTrackOffset;
  CRect m_rectTracker, m_rectTracker2;
  BOOL m_bTracker2 = FALSE;
  CRect m_rectLimit;
  BOOL m_bTrackerShown = FALSE;

  DECLARE_MESSAGE_MAP()
};
