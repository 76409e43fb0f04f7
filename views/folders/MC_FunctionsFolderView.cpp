#include "views/folders/MC_FunctionsFolderView.h"

#include "platform/gdi/GdiObject.h"
#include "views/FormViewFonts.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/MC_Document.h"
#include "kernel/values/Utilities.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"

IMPLEMENT_DYNCREATE(CMC_FunctionsFolderView, CFormView)

BEGIN_MESSAGE_MAP(CMC_FunctionsFolderView, CFormView)
ON_BN_CLICKED(IDC_ADD, &CMC_FunctionsFolderView::OnBtnAdd)
ON_BN_CLICKED(IDC_RENAME, &CMC_FunctionsFolderView::OnBtnRename)
ON_BN_CLICKED(IDC_DELETE, &CMC_FunctionsFolderView::OnBtnDelete)
ON_BN_CLICKED(IDC_UP, &CMC_FunctionsFolderView::OnBtnUp)
ON_BN_CLICKED(IDC_DOWN, &CMC_FunctionsFolderView::OnBtnDown)
ON_LBN_SELCHANGE(IDC_LIST, &CMC_FunctionsFolderView::OnSelChangeLbFunctions)
ON_EN_CHANGE(IDC_NAME, &CMC_FunctionsFolderView::EnableButtons)
ON_COMMAND(57670, &CMC_FunctionsFolderView::OnHelp)
END_MESSAGE_MAP()

CMC_FunctionsFolderView::CMC_FunctionsFolderView() : CFormView(IDD) {}
CMC_FunctionsFolderView::~CMC_FunctionsFolderView() = default;

void CMC_FunctionsFolderView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_LIST, m_lbFunctions);
  DDX_Control(pDX, IDC_NAME, m_edName);
  DDX_Text(pDX, IDC_NAME, m_strName);
  DDV_SymbolName(pDX, m_strName);
}

CMC_Motion* CMC_FunctionsFolderView::GetMotion() {
  auto* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetMotion() : nullptr;
}

void CMC_FunctionsFolderView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  SetBoldFont(this, IDC_TITLE, m_titleFont, true);
  OnUpdate(nullptr, -100, nullptr);
}

void CMC_FunctionsFolderView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (lHint != -100 && lHint != kHintFunctions) return;
  if (!m_lbFunctions.GetSafeHwnd()) return;
  m_edName.SetWindowText("");
  m_lbFunctions.ResetContent();
  if (CMC_Motion* motion = GetMotion())
    for (int i = 0; i < motion->GetFunctionsCount(); ++i) m_lbFunctions.AddString(motion->GetFunctionName(i));
  EnableButtons();
}

void CMC_FunctionsFolderView::Changed() {
  CDocument* doc = GetDocument();
  doc->UpdateAllViews(this, kHintFunctions);
  static_cast<CMC_Document*>(doc)->OnChangedInView(this, 0);
}

void CMC_FunctionsFolderView::OnBtnAdd() {
  CMC_Motion* motion = GetMotion();
  if (motion && UpdateData(TRUE) && motion->AddNewFunction(m_strName) >= 0) {
    m_lbFunctions.SetCurSel(m_lbFunctions.AddString(m_strName));
    Changed();
  }
  EnableButtons();
}

void CMC_FunctionsFolderView::OnBtnRename() {
  CMC_Motion* motion = GetMotion();
  const int i = m_lbFunctions.GetCurSel();
  if (motion && i >= 0 && UpdateData(TRUE) && motion->RenameFunction(i, m_strName)) {
    m_lbFunctions.DeleteString((UINT)i);
    m_lbFunctions.InsertString(i, m_strName);
    m_lbFunctions.SetCurSel(i);
    Changed();
  }
  EnableButtons();
}

void CMC_FunctionsFolderView::OnBtnDelete() {
  CMC_Motion* motion = GetMotion();
  const int i = m_lbFunctions.GetCurSel();
  if (motion && i >= 0 && motion->RemoveFunction(i)) {
    m_lbFunctions.DeleteString((UINT)i);
    Changed();
  }
  EnableButtons();
}

void CMC_FunctionsFolderView::Move(bool up) {
  CMC_Motion* motion = GetMotion();
  const int i = m_lbFunctions.GetCurSel();
  if (motion && i >= 0 && (up ? motion->MoveFunctionUp(i) : motion->MoveFunctionDown(i))) {
    const int to = up ? i - 1 : i + 1;
    m_lbFunctions.DeleteString((UINT)i);
    m_lbFunctions.InsertString(to, motion->GetFunctionName(to));
    m_lbFunctions.SetCurSel(to);
    Changed();
  }
  EnableButtons();
}

void CMC_FunctionsFolderView::OnBtnUp() { Move(true); }
void CMC_FunctionsFolderView::OnBtnDown() { Move(false); }

void CMC_FunctionsFolderView::OnSelChangeLbFunctions() {
  const int i = m_lbFunctions.GetCurSel();
  if (i >= 0) {
    CString name;
    m_lbFunctions.GetText(i, name);
    m_edName.SetWindowText(name);
  }
  EnableButtons();
}

void CMC_FunctionsFolderView::EnableButtons() {
  if (!m_lbFunctions.GetSafeHwnd()) return;
  CMC_Motion* motion = GetMotion();
  const BOOL m = motion != nullptr;
  const int i = m_lbFunctions.GetCurSel();
  const int c = motion ? motion->GetFunctionsCount() : 0;
  CString name;
  m_edName.GetWindowText(name);
  const BOOL named = !name.IsEmpty();
  const std::pair<UINT, BOOL> states[] = {{IDC_ADD, m && named},     {IDC_RENAME, m && i >= 0 && named},
                                          {IDC_DELETE, m && i >= 0}, {IDC_UP, m && i > 0},
                                          {IDC_DOWN, m && i >= 0 && i < c - 1}};
  for (auto [id, on] : states)
    if (CWnd* w = GetDlgItem((int)id)) w->EnableWindow(on);
}

void CMC_FunctionsFolderView::OnHelp() {
  CString file;
  if (GetHelpFileOfModule(AfxGetInstanceHandle(), file)) HtmlHelp(m_hWnd, file, 15, kHelpTopic);
}
