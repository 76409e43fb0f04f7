// The form view of the CAM tables of a motion program: the selected tables in download order, the
// available ones, adding, renaming, moving and loading tables, and the free part of the CAM area.
#pragma once

#include "editor/toolkit/SECProgressCtrl.h"
#include "platform/core/String.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FormView.h"
#include "views/cam/CAMFormSupport.h"

class CMC_CAMTables;

class CMC_CAMTablesView : public CFormView {
  DECLARE_DYNCREATE(CMC_CAMTablesView)

 public:
  enum { IDD = 14030, HINT_REFRESH = -100, HINT_CAMS_CHANGED = -68 };
  CMC_CAMTablesView();
  ~CMC_CAMTablesView() override;

  CEdit m_editName;
  CListBox m_lbSelected;
  CListBox m_lbAvailable;
  CString m_strName;
  SECProgressCtrl m_progress;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void DoDataExchange(CDataExchange* pDX) override;

  void OnBtnCamAdd();
  void OnBtnCamRename();
  void OnBtnCamDelete();
  void OnBtnCamPromote();
  void OnBtnCamPromoteAll();
  void OnBtnCamDemote();
  void OnBtnCamDemoteAll();
  void OnBtnCamUp();
  void OnBtnCamDown();
  void OnBtnLoadCam();
  void OnBtnImportCam();
  void OnSelchangeLbAvailableCams();
  void OnSelchangeLbSelectedCams();
  void EnableButtons();
  void OnHelp();

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  CMC_CAMTables* GetTables();
  void FillListBoxes();
  void SetModified();
  void ShowFreeBuffer();
  // After a table was appended to the selected tables: its name at the end of the list, selected.
  void AppendLastSelected();
  // Moves the list item `from` of one list to `to` of another (or the same) list and selects it.
  static void MoveItem(CListBox& source, int from, CListBox& target, int to);

  CFormFonts m_fonts;
};
