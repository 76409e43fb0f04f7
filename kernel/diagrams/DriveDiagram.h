// Live pictures of a drive's sensors and values on setup pages: motor phases, encoder disc, hall
// sectors (as a disc or a row), a linear encoder scale and a bar graph.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/Controls.h"

// What the six diagrams share: painting through a memory picture into DoPaint.
class CDriveDiagram : public CStatic {
 public:
  ~CDriveDiagram() override = default;
  // Invalidates (erasing) and updates the window at once.
  void RepaintDiagram();

 protected:
  // Diagrams start disabled (grey); these repaint only when the state changes.
  void EnableDiagram();
  void DisableDiagram();
  void OnPaint() override;
  // Draws the client rectangle `rect` onto `dc`.
  virtual void DoPaint(CDC& dc, CRect rect) = 0;
  // Runs before each paint (the linear encoder adjusts its limits there).
  virtual void BeforePaint() {}
  // Fills with the button face; the diagrams other than the bar graph then keep 3 pixels off the edges.
  static CRect Background(CDC& dc, CRect rect, bool inset);
  void RepaintIfCreated();
  // Repaints after an input or colour changed.
  virtual void Changed() { RepaintIfCreated(); }
  template <class T>
  void Set(T& field, T value) {
    field = value;
    Changed();
  }
  DECLARE_MESSAGE_MAP()

  int m_enabled = 0;
};

// An electrical angle on a disc: the encoder diagram draws the pointer alone.
class CEncoderDiagram : public CDriveDiagram {
 public:
  CEncoderDiagram() = default;
  ~CEncoderDiagram() override = default;
  using CDriveDiagram::DisableDiagram;
  using CDriveDiagram::EnableDiagram;
  double GetTheta() const { return m_theta; }
  void SetTheta(double theta);
  COLORREF GetEnabledColor() const { return m_enabledColor; }
  void SetEnabledColor(COLORREF c);
  COLORREF GetDisabledColor() const { return m_disabledColor; }
  void SetDisabledColor(COLORREF c);
  COLORREF GetCircleColor() const { return m_circleColor; }
  void SetCircleColor(COLORREF c);
  COLORREF GetRedLineColor() const { return m_redLineColor; }
  void SetRedLineColor(COLORREF c);

 protected:
  void DoPaint(CDC& dc, CRect rect) override;
  void DrawDisc(CDC& dc, const CRect& r);
  void DrawPointer(CDC& dc, const CRect& r);
  DECLARE_MESSAGE_MAP()

  double m_theta = 0;
  COLORREF m_enabledColor = 0xFFFFFF;
  COLORREF m_disabledColor = 0xCCCCCC;
  COLORREF m_circleColor = 0x000000;
  COLORREF m_redLineColor = 0x0000FF;
};

// The electrical angle against the three motor phases A, B and C.
class CPhaseDiagram : public CEncoderDiagram {
 public:
  CPhaseDiagram() = default;
  ~CPhaseDiagram() override = default;

 protected:
  void DoPaint(CDC& dc, CRect rect) override;
  DECLARE_MESSAGE_MAP()
};

// Hall-sensor sectors on a disc, each lit by its state (0 plain, 1 inactive, 2 active).
class CHallDiagram : public CDriveDiagram {
 public:
  static constexpr int kMaxSlices = 16;
  CHallDiagram() = default;
  ~CHallDiagram() override = default;
  using CDriveDiagram::DisableDiagram;
  using CDriveDiagram::EnableDiagram;
  COLORREF GetEnabledColor() const { return m_enabledColor; }
  void SetEnabledColor(COLORREF c);
  COLORREF GetDisabledColor() const { return m_disabledColor; }
  void SetDisabledColor(COLORREF c);
  COLORREF GetCircleColor() const { return m_outlineColor; }
  void SetCircleColor(COLORREF c);
  COLORREF GetActiveSliceColor() const { return m_activeColor; }
  void SetActiveSliceColor(COLORREF c);
  COLORREF GetInActiveSliceColor() const { return m_inactiveColor; }
  void SetInactiveSliceColor(COLORREF c);
  int GetSliceNumber() const { return m_slices; }
  // Counts outside 1..16 are ignored.
  void SetSliceNumber(int n);
  // Indices outside 0..15 are ignored (their state reads 0); setting a state does not repaint.
  WORD GetSliceStatus(int index) const;
  void SetSliceStatus(int index, WORD state);
  void ResetDiagramStatus();

 protected:
  void DoPaint(CDC& dc, CRect rect) override;
  COLORREF SliceColor(int index) const;
  void Changed() override;
  DECLARE_MESSAGE_MAP()

  int m_repaintOnChange = 1;
  COLORREF m_enabledColor = 0xFFFFFF;
  COLORREF m_disabledColor = 0xCCCCCC;
  COLORREF m_outlineColor = 0x000000;
  COLORREF m_activeColor = 0x00FF00;
  COLORREF m_inactiveColor = 0x009900;
  int m_slices = 6;
  WORD m_states[kMaxSlices] = {};
};

// The hall states as a row of boxes.
class CLinearHallDiagram : public CHallDiagram {
 public:
  CLinearHallDiagram() = default;
  ~CLinearHallDiagram() override = default;
  COLORREF GetRectangleColor() const { return m_outlineColor; }
  void SetRectangleColor(COLORREF c) { SetCircleColor(c); }

 protected:
  void DoPaint(CDC& dc, CRect rect) override;
  DECLARE_MESSAGE_MAP()
};

// A position on a linear scale; the shown range follows the position by whole spans.
class CLinearEncoderDiagram : public CDriveDiagram {
 public:
  CLinearEncoderDiagram() = default;
  ~CLinearEncoderDiagram() override = default;
  using CDriveDiagram::DisableDiagram;
  using CDriveDiagram::EnableDiagram;
  void SetLimits(int lower, int upper);
  int GetPosition() const { return m_position; }
  void SetPosition(int position);
  COLORREF GetDisabledColor() const { return m_disabledColor; }
  void SetDisabledColor(COLORREF c);
  COLORREF GetFixedPartColor() const { return m_fixedColor; }
  void SetFixedPartColor(COLORREF c);
  COLORREF GetMovingPartColor() const { return m_movingColor; }
  void SetMovingPartColor(COLORREF c);
  COLORREF GetBorderLineColor() const { return m_borderColor; }
  void SetBorderLineColor(COLORREF c);
  COLORREF GetRedLineColor() const { return m_redLineColor; }
  void SetRedLineColor(COLORREF c);

 protected:
  void BeforePaint() override;
  void DoPaint(CDC& dc, CRect rect) override;
  DECLARE_MESSAGE_MAP()

  int m_lower = -100;
  int m_upper = 100;
  int m_position = 0;
  COLORREF m_disabledColor = 0xCCCCCC;
  COLORREF m_fixedColor = 0xFFFFFF;
  COLORREF m_movingColor = 0xFF0000;
  COLORREF m_borderColor = 0x000000;
  COLORREF m_redLineColor = 0x0000FF;
};

// A value as a bar between two limits, drawn from a reference.
class CBarGraph : public CDriveDiagram {
 public:
  enum { POS_HORIZ = 0, POS_VERT = 1 };
  enum { LABEL_INT = 0, LABEL_DOUBLE = 1 };
  enum { AUTOMATIC_REPAINT = 0, MANUAL_REPAINT = 1 };
  CBarGraph() = default;
  ~CBarGraph() override = default;

  // Setters answer nonzero on success; a rejected value answers 0 and leaves its reason in the
  // last error text.
  double GetLeftLimit() const { return m_left; }
  int SetLeftLimit(double v);
  double GetRightLimit() const { return m_right; }
  int SetRightLimit(double v);
  int SetLimits(double left, double right);
  double GetCurrentValue() const { return m_value; }
  // Outside the limits the value takes the limit it crossed, and nothing repaints.
  int SetCurrentValue(double v);
  double GetDrawingReference() const { return m_reference; }
  int SetDrawingReference(double v);
  int GetOrientation() const { return m_orientation; }
  int SetOrientation(int o);
  int GetLabelType() const { return m_labelType; }
  int SetLabelType(int t);
  int GetRepaintType() const { return m_repaintType; }
  int SetRepaintType(int t);

 protected:
  void DoPaint(CDC& dc, CRect rect) override;
  int Accept();
  int Refuse(const char* text);
  int SetWithin(double& field, double v, const char* above, const char* below);
  DECLARE_MESSAGE_MAP()

  COLORREF m_barColor = 0xFF0000;
  COLORREF m_areaColor = 0xFFFFFF;
  COLORREF m_lineColor = 0x000000;
  int m_reserved = 0;
  int m_labelHeight = 12;
  int m_fontWeight = 400;
  int m_italic = 0, m_underline = 0;
  CString m_fontFace = "Verdana";
  CString m_numberFormat = "%.4G";
  double m_left = 0, m_right = 1;
  double m_value = 0;
  CString m_lastError;
  double m_reference = 0;
  int m_orientation = POS_HORIZ;
  int m_labelType = LABEL_DOUBLE;
  int m_repaintType = MANUAL_REPAINT;
  int m_reservedCount = 10;
};
