// The plot set-up and plot options sheets: one page per plot of a plot document, edited on a copy
// that is written back on OK.
#pragma once

#include "plot/ui/ColorCombo.h"
#include "plot/ui/ColumnListBox.h"
#include "plot/ui/DialogS.h"
#include "plot/documents/GraphDocument.h"

// One row of the drawn-curves list: a drawn curve of the plot, or none for the row that adds one.
class CAxisItem : public CCLObject {
 public:
  CAxisItem(CGraphFilter* plot, CXYCurve* curve) : m_pPlot(plot), m_pCurve(curve) {}
  void OnDraw(CDC* dc, CColumnListBox* list, DRAWITEMSTRUCT* dis) override;
  int OnCompare(CCLObject* other, int column, int descending, COMPAREITEMSTRUCT* cis) override;
  void OnDelete(DELETEITEMSTRUCT* dis) override;  // the row goes, never its curve
  CGraphFilter* m_pPlot;
  CXYCurve* m_pCurve;
};

// The source's curves, one per row, item data the curve index, columns the text's tab fields.
class CPlotOptionListBox : public CColumnListBox {
 public:
  void DrawItem(LPDRAWITEMSTRUCT dis) override;
  int CompareItem(LPCOMPAREITEMSTRUCT cis) override;
  void DeleteItem(LPDELETEITEMSTRUCT) override {}
  void MeasureItem(LPMEASUREITEMSTRUCT) override {}
  int Sort(int column) override;
  CGraphFilter* m_pPlot = nullptr;
};

class COptionsPage : public CPropertyPageS {
  DECLARE_DYNAMIC(COptionsPage)

 public:
  explicit COptionsPage(CGraphFilter& plot);
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  // Button 14004 (Y) and 14014 (X).
  void Assign(bool y);
  void RemoveCurve();
  void ToggleSide(int row);

  CGraphFilter& m_plot;
  CTabButton m_axisHeader, m_availHeader;
  CColumnListBox m_axisList;
  CPlotOptionListBox m_availList;
  CBitmapButtonS m_btnAssignY, m_btnAssignX, m_btnRemove;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnDestroy() override;

 private:
  int AddRow(CXYCurve* curve);
  int EmptyRow() const;
};

class CExtrasPage : public CPropertyPageS {
  DECLARE_DYNAMIC(CExtrasPage)

 public:
  CExtrasPage(CGraphFilter& plot, int restricted);
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void ShowCurve();
  CXYCurve* SelectedCurve() const;

  CGraphFilter& m_plot;
  int m_bRestricted;
  int m_bBusy = 0;
  COLORREF m_crLast = 0;
  int m_nWidthLast = 1;
  CListBox m_curves;
  CColorCombo m_color, m_background, m_axisColor;
  CPenStyleCombo m_style;
  CComboBox m_width, m_xUnit, m_yUnit;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void OnColor();
  void OnWidth();
  void OnStyle();
  void OnUnit(bool y);
  void OnDefault();
};

// Shared by both sheets: the working copy and its pages.
class CPlotSheet : public CPropertySheetS {
  DECLARE_DYNAMIC(CPlotSheet)

 public:
  CPlotSheet(CGraphDocument& doc, CWnd* parent, int startPage, const char* suffix, UINT helpContext);
  ~CPlotSheet() override;
  CGraphDocument& m_doc;
  CGraphDocument m_copy;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // The page editing plot i of the copy.
  virtual CPropertyPageS* MakePage(CGraphFilter& plot) = 0;
  virtual void WriteBack(CGraphFilter& own, CGraphFilter& edited) = 0;
  INT_PTR RunSheet();

 private:
  std::vector<CPropertyPageS*> m_ownPages;
  UINT m_nHelpContext;
};

class COptionsSheet : public CPlotSheet {
  DECLARE_DYNAMIC(COptionsSheet)

 public:
  COptionsSheet(CGraphDocument& doc, CWnd* parent, int startPage);
  INT_PTR DoModal() override { return RunSheet(); }

 protected:
  CPropertyPageS* MakePage(CGraphFilter& plot) override { return new COptionsPage(plot); }
  void WriteBack(CGraphFilter& own, CGraphFilter& edited) override;
};

class CExtrasSheet : public CPlotSheet {
  DECLARE_DYNAMIC(CExtrasSheet)

 public:
  CExtrasSheet(CGraphDocument& doc, CWnd* parent, int startPage, int restricted);
  INT_PTR DoModal() override { return RunSheet(); }
  BOOL OnInitDialog() override;

 protected:
  CPropertyPageS* MakePage(CGraphFilter& plot) override { return new CExtrasPage(plot, m_bRestricted); }
  void WriteBack(CGraphFilter& own, CGraphFilter& edited) override;

 private:
  int m_bRestricted;
};
