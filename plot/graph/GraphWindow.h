// CGraphWindow: the child window that draws one plot on screen, printer and metafiles, and turns
// the mouse into zooms, point drags and oscilloscope cursors for its owner.
#pragma once

#include "platform/core/Array.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/MetaFileDC.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Wnd.h"
#include "plot/curves/GraphFilter.h"

#include <array>
#include <map>
#include <memory>
#include <vector>

class CDotDC;
class CPrintInfo;

// Exported rounding and number helpers.
double QW_FRound(double x);
int QW_Round(double x);
DWORD QW_Atox(const char* text);

// One view range of the zoom history.
class CZoomStructure : public CObject {
 public:
  CZoomStructure(double x0, double x1, double y10, double y11, double y20, double y21)
      : m_dXMin(x0), m_dXMax(x1), m_dY1Min(y10), m_dY1Max(y11), m_dY2Min(y20), m_dY2Max(y21) {}
  double m_dXMin, m_dXMax, m_dY1Min, m_dY1Max, m_dY2Min, m_dY2Max;
};

// The zoom history; owns its entries, the last one is the top.
class CZoomStack : public CObArray {
 public:
  CZoomStack() = default;
  ~CZoomStack() override { Flush(); }
  CZoomStack(const CZoomStack&) = delete;
  int Push(double x0, double x1, double y10, double y11, double y20, double y21);
  int Pop();
  CZoomStructure* GetTop() const;
  void Flush();
  int IsEmpty() const { return m_data.empty() ? 1 : 0; }
};

class CGraphWindow : public CWnd {
  DECLARE_DYNCREATE(CGraphWindow)
 public:
  static const char m_cszGraphWndClass[];
  static int m_bGraphWndRegistred;
  static constexpr UINT m_WMGraphCursorMove = 1125;
  static constexpr UINT m_WMGraphNotify = 1126;
  static constexpr UINT m_WMGraphOscScaleChange = 1127;

  explicit CGraphWindow(int exStyle = 2, int selfDelete = 0);
  ~CGraphWindow() override;

  static int RegisterGraphWindowClass(HINSTANCE prev, HINSTANCE instance);
  virtual int Create(LPCSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id, CGraphFilter* plot);
  int SubclassDlgItem(UINT id, CWnd* parent, CGraphFilter* plot);
  int GetExStyle() const { return m_nExStyle; }
  CGraphFilter* GetPlot() const { return m_pPlot; }
  void SetPlot(CGraphFilter* plot) { m_pPlot = plot; }

  virtual int Initialize();
  virtual void DrawGraph(CDC* dc, LPCRECT rect);
  virtual void ComputeDrawingRect();
  virtual void FastDraw(CDC* dc);
  virtual void DrawAxis(CDC* dc, LPCRECT rect);
  virtual void DrawFrame(CDC* dc);
  virtual void DrawPrinterFrames(CDC* dc);
  virtual void FastFrame(CDC* dc);
  virtual void DrawLabels(CDC* dc, LPCRECT rect);
  virtual void DrawCurves(CDC* dc, LPCRECT rect);
  virtual int DoPreparePrinting(CPrintInfo* info);

  void RefreshGraph();
  void RefreshWindow();
  int MapX(double x) const;
  int MapY(double y, int axis) const;
  double GetXCoord(int px) const;
  double GetYCoord(int py, int axis) const;
  void GetPointBoundRect(LPRECT r, double x, double y, int axis) const;
  static int GetSpaceDim(int base, int size);
  CPoint fMoveTo(CDC* dc, double x, double y, int axis);
  void fLineTo(CDC* dc, double x, double y, int axis);
  void fMoveTo(CDotDC* dc, double x, double y, int axis);
  void fLineTo(CDotDC* dc, double x, double y, int axis);
  void UpdateLastPoint();
  void UpdatePoint(int k);
  void GetXLabel(CString& text);
  void NarrowDrawDomain(CCurve* curve, int& first, int& last, double lo, double hi);

  int PushZoomStack();
  int PopZoomStack();
  int IsEmptyZoomStack() const { return m_zoomStack.IsEmpty(); }
  void DoZoomIn();
  void DoZoomOut();
  void DoZoomPrev();
  int SelectPoint(int curve, int point);

  void PrintGraph(CDC* dc, const RECT& rect, int frame);
  void PrintGraph();
  void CreateWMF(const char* initialName);

  // Read-outs for owners and tests.
  const CRect& GetDrawingRect() const { return m_rcDraw; }
  int GetFontHeight() const { return m_nFontHeight; }
  int GetHalfFontHeight() const { return m_nHalfFont; }
  int GetLegendCount() const { return m_nLegend; }
  int GetDrawingMode() const { return m_nDrawMode; }
  int GetSelectedCurve() const { return m_nSelCurve; }
  int GetSelectedPoint() const { return m_nSelPoint; }
  void GetViewRange(double r[6]) const;
  void SetViewRange(const double r[6]);
  const int* GetBands() const { return m_nBands; }
  void SetMarkedSamples(CDWordArray* marked) { m_pMarked = marked; }
  // The two scale boxes of drawn curve i in the oscilloscope panel (empty until drawn).
  CRect GetScaleBox(int curve, int which) const;
  const CRect& GetPersistBox() const { return m_rcPersist; }

  enum { bandLeftText, bandRightText, bandLeftScale, bandRightScale, bandLegend, bandXText, bandBottom, bandTop };

 protected:
  void OnPaint() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnRButtonDown(UINT flags, CPoint point) override;
  void PostNcDestroy() override;

 private:
  bool IsCompact() const { return m_rcDraw.left == 3; }
  bool IsOsc() const { return m_pPlot && m_pPlot->m_bOscMode; }
  double YMin(int axis) const { return axis == 1 ? m_dY1Min : m_dY2Min; }
  double YMax(int axis) const { return axis == 1 ? m_dY1Max : m_dY2Max; }
  void NotifyParent(UINT msg, int lo, int hi) const;
  void DrawScale(CDC* dc, int which);
  void DrawOscAxis(CDC* dc);
  void DrawOscPanel(CDC* dc, LPCRECT rect);
  void LabelBoxes(CDC* dc, CRect boxes[4], bool vertical[4]);
  // phases, when given, takes the dash phase at each sample drawn; goOn starts at `first` with the
  // curve's phase instead of a new pattern.
  void CurveLine(CDC* dc, CXYCurve* c, int first, int last, int n, std::vector<DWORD>* phases = nullptr,
                 bool goOn = false);
  void FillPointBox(CDC* dc, CXYCurve* c, int point, COLORREF color);
  // A point's box in client pixels; empty when the point is missing.
  CRect PointBox(CXYCurve* c, int point) const;
  void DrawFocus(CDC* dc);
  void DrawCursorLine(CDC* dc, int x);
  void DrawBand(CDC* dc);
  void EndTracking();
  void Confine(const CRect& r);
  CPoint Confined(CPoint pt) const;
  void UpdateIndex(bool last, int k);
  int DrawTrigger(CDC* dc);

  int m_nExStyle;
  int m_nBands[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  int m_nFontHeight = 12, m_nHalfFont = 6, m_nLegend = 0;
  double m_dXMin = -1e99, m_dXMax = 1e99, m_dY1Min = -1e99, m_dY1Max = 1e99, m_dY2Min = -1e99, m_dY2Max = 1e99;
  int m_nSelCurve = -1, m_nSelPoint = -1;
  int m_bSelfDelete;
  int m_nAnchorX = -1, m_nAnchorY = -1, m_nCurX = -1, m_nCurY = -1, m_nNextX = -1, m_nNextY = -1;
  CRect m_rcDraw{0, 0, 0, 0};
  CRect m_rcFocus{0, 0, 0, 0};
  CRect m_rcPersist{0, 0, 0, 0};
  CZoomStack m_zoomStack;
  int m_nDrawMode = -1;
  int m_nClientW = 0, m_nClientH = 0;
  int m_bTracking = 0, m_bBand = 0, m_bPersist = 0, m_bPersistOption = 1;
  int m_bBoxPress = 0;  // style 4: 1 a scale box, 2 the persist box was pressed
  CPoint m_ptStart{-1, -1};  // the dragged point's starting pixel
  CRect m_rcConfine{0, 0, 0, 0};  // where the mouse is confined while tracking
  CRect m_rcHeldPaint{0, 0, 0, 0};  // what asked to be painted while tracking
  CGraphFilter* m_pPlot = nullptr;
  CDWordArray* m_pMarked = nullptr;
  std::vector<std::array<CRect, 2>> m_scaleBoxes;
  // Where each dashed curve's pattern stands at each of its samples as a whole repaint of this window
  // draws it (kNoPhase where it draws none): arriving pieces go on from there, in any window.
  static constexpr DWORD kNoPhase = 0xFFFFFFFF;
  std::map<const CXYCurve*, std::vector<DWORD>> m_dashPhase;
  bool m_bArriving = false;  // drawing arriving pieces again: dashed curves go on from their kept phases

  friend class CGraphWindowTestAccess;
};

// The printing-in-progress dialog; its Cancel sets the process-wide cancel flag.
class CQW_PrintingDialog : public CDialog {
 public:
  explicit CQW_PrintingDialog(CWnd* parent);
  BOOL OnInitDialog() override;
  void OnCancel() override;
  static BOOL IsCancelled();
  static void SetCancelled(BOOL cancelled);
};

// A metafile device context that writes a placeable WMF file on Close.
class CSaveMetaFileDC : public CMetaFileDC {
 public:
  BOOL Create(const char* name);
  HMETAFILE Close();
  CString m_strFileName;
  CString m_strTempName;
};

BOOL PrintAbortProc(HDC dc, int code);
