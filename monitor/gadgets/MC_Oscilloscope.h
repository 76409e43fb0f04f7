// A small rolling trace window: up to two traces over the last 101 samples, or one XY figure.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/Object.h"
#include "platform/ui/Wnd.h"

class CDC;

class CMC_OscilloscopeItem : public CObject {
 public:
  ~CMC_OscilloscopeItem() override = default;

  double m_dMax = 0;
  double m_dValue = 0;
  double m_dMin = 0;
  COLORREF m_crColor = 0;
  // Pixel positions, stored when sampled and never recomputed.
  CDWordArray m_aPoints;
};

class CMC_Oscilloscope : public CWnd {
 public:
  static constexpr int kPoints = 101;

  void Initialize(const char* title, int items, int xy);
  void UpdateLastPoint();

  CMC_OscilloscopeItem m_aItems[2];
  CString m_strTitle;
  int m_bXY = 0;
  int m_nLastPoint = -1;
  int m_nItems = 0;

  int IsEnabled() const { return m_bXY ? m_nItems > 1 : m_nItems > 0; }
  void AddPoint();
  static int GetNewValue(const CRect& rc, const CMC_OscilloscopeItem& item, bool horizontal);
  void DoPaint(CDC* dc, const CRect& rc);

 protected:
  void OnPaint() override;
};
