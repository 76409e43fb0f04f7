// The scope gadgets: the recent history of one quantity, of two, or of one against another, in a
// small trace window with the limits and current values as text.
#pragma once

#include "monitor/gadgets/GadgetSupport.h"
#include "monitor/gadgets/MC_Oscilloscope.h"

class CControlPanelVar;

// When a scope takes its next sample: every poll without an interval, else one interval after the
// last, an early or late sample moving the next by as much.
class CScopeSampleClock {
 public:
  void Start(int intervalMs) {
    m_nInterval = intervalMs;
    m_bStarted = false;
    m_nCarry = 0;
  }
  bool IsDue(DWORD now);

  int m_nInterval = 0;
  DWORD m_dwLastSample = 0;
  long long m_nCarry = 0;  // ms the last sample came late (negative: early)
  bool m_bStarted = false;
};

class CGadgetScopeWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CGadgetScopeWnd)

 public:
  enum {
    IDC_VALUE = 14000,
    IDC_TRACE = 14002,
    IDC_MAX = 14008,
    IDC_MIN = 14009,
    IDC_VALUE2 = 14029,
    IDC_MAX2 = 14034,
    IDC_MIN2 = 14036,
  };

  void SetSizeLimits(const CRect& templateRect) override;
  void OnInitGadget() override;
  BOOL EditProperties() override;
  void RefreshFromItem() override;
  void OnStart() override;
  void OnUpdateValues() override;
  void OnStop() override;
  virtual void RecalcLayout();

  CMC_Oscilloscope m_scope;
  CScopeSampleClock m_clock;
  int m_nMinTraceWidth = 0;

 protected:
  void OnSize(UINT type, int cx, int cy) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  // The kind's quantities (the second null for one trace), colours, title and period.
  struct Traces {
    CControlPanelVar* var = nullptr;
    CControlPanelVar* var2 = nullptr;
    COLORREF color = 0, color2 = 0;
    const CString* title = nullptr;
    WORD period = 0;
    int xy = 0;
  };
  virtual bool GetTraces(Traces& traces) const;
  virtual void RecordTemplateSizes();
  virtual BOOL RunEditDialog();
  void Place(int id, int x, int y, int width, int height);
};

class CGadgetDoubleScopeWnd : public CGadgetScopeWnd {
  DECLARE_DYNCREATE(CGadgetDoubleScopeWnd)

 public:
  void RecalcLayout() override;
  int m_nValueWidth = 0;

 protected:
  bool GetTraces(Traces& traces) const override;
  void RecordTemplateSizes() override;
  BOOL RunEditDialog() override;
};

class CGadgetYXScopeWnd : public CGadgetDoubleScopeWnd {
  DECLARE_DYNCREATE(CGadgetYXScopeWnd)

 public:
  void RecalcLayout() override;
  int m_nLabelWidth = 0;
  int m_nLabelHeight = 0;

 protected:
  bool GetTraces(Traces& traces) const override;
  void RecordTemplateSizes() override;
  BOOL RunEditDialog() override;
};
