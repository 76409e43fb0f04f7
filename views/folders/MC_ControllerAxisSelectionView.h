// The form view that puts the document's axes into the slave slots of a motion controller's program.
#pragma once

#include "platform/ui/Controls.h"
#include "platform/ui/FormView.h"

#include <memory>

class CMC_AxisData;
class CMC_Motion;
class CMC_Setup;

class CMC_ControllerAxisSelectionView : public CFormView {
  DECLARE_DYNCREATE(CMC_ControllerAxisSelectionView)

 public:
  enum : UINT { IDD = 14042, IDC_SELECTED = 14000, IDC_AVAILABLE = 14001, IDC_UP = 14002, IDC_DOWN = 14003,
                IDC_ADD = 14004, IDC_REMOVE = 14005, IDC_LABEL_SELECTED = 14006, IDC_LABEL_AVAILABLE = 14007,
                IDC_TITLE = 14008 };

  CMC_ControllerAxisSelectionView();
  ~CMC_ControllerAxisSelectionView() override;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void DoDataExchange(CDataExchange* pDX) override;

  CListBox m_lbSelected;
  int m_nSelected = -1;
  CListBox m_lbAvailable;
  int m_nAvailable = -1;

 protected:
  CMC_Motion* GetMotion();
  CMC_Setup* GetSetup();
  int SlaveCount();
  void OnBnClickedBtnAxisAdd();
  void OnBnClickedBtnAxisRemove();
  void OnBnClickedBtnAxisUp();
  void OnBnClickedBtnAxisDown();
  void OnLbnSelchangeLbSelectedAxis();
  void OnLbnSelchangeLbAvailableAxis();
  void FillSelectedAxisList();
  void FillAvailableAxisList();
  void EnableButtons();

 private:
  void Modified();
  void Swap(int from, int to);

  std::unique_ptr<CFont> m_boldFont;
  std::unique_ptr<CFont> m_titleFont;

  DECLARE_MESSAGE_MAP()
};
