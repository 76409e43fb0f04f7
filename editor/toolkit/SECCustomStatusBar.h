// A status bar whose panes are owner-drawn with their own colours, bitmaps, cursors and child windows, and
// whose first pane can give way to a message and a progress bar.
#pragma once

#include "editor/toolkit/SECProgressCtrl.h"
#include "editor/toolkit/SECStatusBar.h"

#include <vector>

// Which fields of a tagPaneInfoEx are valid.
#define SBP_ID 0x0001u
#define SBP_STYLE 0x0002u
#define SBP_WIDTH 0x0004u
#define SBP_TEXT 0x0008u
#define SBP_TEXTALIGN 0x0010u
#define SBP_TEXTCOLOR 0x0020u
#define SBP_BKCOLOR 0x0040u
#define SBP_BITMAP 0x0080u
#define SBP_CURSOR 0x0100u
#define SBP_ATTRIBUTES 0x01F0u

// Size flags of a window registered to a pane.
#define SBWND_KEEPWIDTH 0x1u
#define SBWND_KEEPHEIGHT 0x2u
#define SBWND_INSET 0x4u

// The extended description of a pane that callers fill and pass in.
struct tagPaneInfoEx {
  int iIndex = 0;
  UINT nID = 0;
  UINT nStyle = 0;
  int cxWidth = 0;
  CString strText;
  COLORREF crTextForeground = 0;
  COLORREF crTextBackground = 0;
  CBitmap* pBitmap = nullptr;
  HCURSOR hCursor = nullptr;
  UINT nTextAlign = 0;
  UINT dwMask = 0;

  tagPaneInfoEx() = default;
  tagPaneInfoEx(const tagPaneInfoEx& other) = default;
  // Copies every field but the text and the cursor.
  tagPaneInfoEx& operator=(const tagPaneInfoEx& other);
};

class SECCustomStatusBar : public SECStatusBar {
  DECLARE_DYNAMIC(SECCustomStatusBar)
 public:
  enum FitType { Fit = 0, FitPaneToWindow = 1, NoFit = 2 };

  SECCustomStatusBar();
  ~SECCustomStatusBar() override;

  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount) override;
  void SetPaneInfoEx(const tagPaneInfoEx* pInfo, BOOL bFit = FALSE);
  void GetPaneInfoEx(tagPaneInfoEx* pInfo) const;
  void RegisterWndToPane(int nPane, CWnd* pWnd, FitType fit = Fit, UINT nSizeFlags = 0);
  CWnd* GetRegisteredWnd(int nPane) const;
  UINT GetRegisteredWndSizeFlags(int nPane) const;
  virtual void SetVisibleAllRegWnd(BOOL bShow);
  virtual void ResizeAllRegWnd();
  void FitPanesToContent();
  int GetIndexFromPoint(const CPoint& point) const { return PaneIndexFromPoint(point); }

  virtual BOOL InitializeProgressControl(LPCSTR lpszMsg, int nLower, int nUpper, BOOL bResetPos = TRUE);
  virtual void UninitializeProgressControl();
  void SetProgress(int nPos);
  void StepProgress();
  BOOL IsProgressControlActive() const { return m_pProgressCtrl != nullptr; }
  SECProgressCtrl* GetProgressCtrl() const { return m_pProgressCtrl; }

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

 protected:
  // One pane's attributes; the flag bits say which are in force.
  struct PaneAttr {
    COLORREF crText;
    COLORREF crBk;
    CBitmap* pBitmap;
    HCURSOR hCursor;
    UINT nAlign;
    UINT dwFlags;
  };

  BOOL SimpleRect(CDC* pDC, RECT* pRect, COLORREF cr);
  void GetPaneRect(int nPane, LPRECT lpRect) const;
  int PaneIndexFromPoint(const CPoint& point) const;
  PaneAttr* PaneFromPoint(const CPoint& point);
  CSize GetPaneTextExtent(int nPane, const CString& strText) const;
  void ForceOnSizeParent();
  void ForcePaneOwnerdraw();
  BOOL AllocatePaneInfo(int nCount);
  void FreePaneInfo();
  PaneAttr* Attr(int nPane) const;

  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
  LRESULT OnSetFontMsg(WPARAM wParam, LPARAM lParam);
  LRESULT OnSizeParentMsg(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetMinHeight(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSetText(WPARAM wParam, LPARAM lParam) override;
  DECLARE_MESSAGE_MAP()

  SECProgressCtrl* m_pProgressCtrl = nullptr;
  tagPaneInfoEx* m_pSavedPane0 = nullptr;
  mutable std::vector<PaneAttr> m_attrs;
  std::vector<CWnd*> m_regWnds;
  std::vector<UINT> m_regFlags;
};
