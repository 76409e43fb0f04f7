// The generated-code viewer: the Close button keeps to the bottom right corner, the code fills the rest.
#include "views/ViewGeneratedCodeDlg.h"

IMPLEMENT_DYNAMIC(CViewGeneratedCodeDlg, CDialog)

CViewGeneratedCodeDlg::CViewGeneratedCodeDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CViewGeneratedCodeDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_CODE, m_strCode);
}

void CViewGeneratedCodeDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI) {
  CDialog::OnGetMinMaxInfo(lpMMI);
  lpMMI->ptMinTrackSize.x = 200;
  lpMMI->ptMinTrackSize.y = 100;
}

void CViewGeneratedCodeDlg::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  CWnd* close = GetDlgItem(IDCANCEL);
  CWnd* code = GetDlgItem(IDC_CODE);
  if (!close || !code) return;
  CRect r;
  close->GetWindowRect(&r);
  ScreenToClient(&r);
  const CRect button(cx - 3 - r.Width(), cy - 3 - r.Height(), cx - 3, cy - 3);
  close->MoveWindow(&button);
  code->MoveWindow(3, 3, cx - 6, button.top - 6);
}
