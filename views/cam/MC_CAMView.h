// The form view that edits the CAM table selected in the motion program: master start, step,
// the points as lines of master position and slave value, and a plot of slave against master.
#pragma once

#include "platform/core/Types.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FormView.h"
#include "plot/curves/CurveArray.h"
#include "plot/curves/GraphFilter.h"
#include "plot/graph/GraphWindow.h"
#include "views/cam/CAMFormSupport.h"

class CMC_CAM;

class CMC_CAMView : public CFormView {
  DECLARE_DYNCREATE(CMC_CAMView)
  // Takes a value being typed before the document is saved or asked for changes.
  friend class CMC_Document;

 public:
  enum { IDD = 14031, HINT_REFRESH = -100, HINT_CAMS_CHANGED = -68 };
  CMC_CAMView();
  ~CMC_CAMView() override;

  CEdit m_editY;
  CListBox m_lbPoints;
  LONG m_lY = 0;      // the current slave value
  int m_nIndex = -1;  // the current point, -1 none
  CGraphWindow m_graph{2, 0};
  CCurveArray m_curves;  // 0: master positions, 1: slave values
  CGraphFilter m_plot;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void DoDataExchange(CDataExchange* pDX) override;

  void OnSelchangeCamTable();
  void OnBtnCamInsert();
  void OnBtnCamUpdate();
  void OnBtnCamRemove();
  void OnBtnCamNext();
  void OnBtnCamPrev();
  void OnKillfocusEdCamMasterstart();
  void OnKillfocusEdCamInterpsteps();
  void OnBtnCamImport();
  void OnBtnCamExport();
  void OnHelp();
  void EnableChildren();

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  CMC_CAM* GetCAM();
  void FillTableList();
  void UpdateTableSelection(BOOL reinsert);
  void RedrawGraph();
  void SetModified();
  // Reloads the controls; after Insert and Update the slave value's text is selected for the next one.
  void ReloadControls(bool selectValue);
  // FALSE when the value typed is refused (its message shown).
  BOOL OnKillfocusValue(bool step);
  // The master start or step being typed, taken as when its edit loses the focus.
  BOOL TakeTypedValue();

  CFormFonts m_fonts;
};
