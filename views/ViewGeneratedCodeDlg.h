// The read-only, resizable dialog that shows the motion-language code generated for a run of elements.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/Dialog.h"

class CViewGeneratedCodeDlg : public CDialog {
  DECLARE_DYNAMIC(CViewGeneratedCodeDlg)

 public:
  enum { IDD = 14040, IDC_CODE = 14000 };
  explicit CViewGeneratedCodeDlg(CWnd* pParent = nullptr);

  CString m_strCode;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnGetMinMaxInfo(MINMAXINFO* lpMMI) override;
};
