// The form view that adds, renames, deletes and reorders the functions of the document's motion program.
#pragma once

#include "platform/ui/Controls.h"
#include "platform/ui/FormView.h"

#include <memory>

class CMC_Motion;

class CMC_FunctionsFolderView : public CFormView {
  DECLARE_DYNCREATE(CMC_FunctionsFolderView)

 public:
  enum : UINT { IDD = 14029, IDC_LIST = 14000, IDC_ADD = 14001, IDC_DELETE = 14002, IDC_UP = 14003,
                IDC_DOWN = 14004, IDC_RENAME = 14005, IDC_NAME = 14006, IDC_TITLE = 14007 };
  static constexpr LPARAM kHintFunctions = -70;
  static constexpr UINT kHelpTopic = 4136;

  CMC_FunctionsFolderView();
  ~CMC_FunctionsFolderView() override;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void DoDataExchange(CDataExchange* pDX) override;

  CListBox m_lbFunctions;
  CEdit m_edName;
  CString m_strName;

 protected:
  // The document's motion program; null when the document is not the kernel's.
  CMC_Motion* GetMotion();
  void OnBtnAdd();
  void OnBtnRename();
  void OnBtnDelete();
  void OnBtnUp();
  void OnBtnDown();
  void OnSelChangeLbFunctions();
  void EnableButtons();
  void OnHelp();

 private:
  // Tells the other views and the document after a change of the list.
  void Changed();
  void Move(bool up);

  std::unique_ptr<CFont> m_titleFont;

  DECLARE_MESSAGE_MAP()
};
