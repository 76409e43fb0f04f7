#include "views/folders/MC_ControllerAxisSelectionView.h"

#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/String.h"
#include "platform/gdi/GdiObject.h"
#include "views/FormViewFonts.h"

IMPLEMENT_DYNCREATE(CMC_ControllerAxisSelectionView, CFormView)

BEGIN_MESSAGE_MAP(CMC_ControllerAxisSelectionView, CFormView)
ON_BN_CLICKED(IDC_ADD, &CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisAdd)
ON_BN_CLICKED(IDC_REMOVE, &CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisRemove)
ON_BN_CLICKED(IDC_UP, &CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisUp)
ON_BN_CLICKED(IDC_DOWN, &CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisDown)
ON_LBN_SELCHANGE(IDC_SELECTED, &CMC_ControllerAxisSelectionView::OnLbnSelchangeLbSelectedAxis)
ON_LBN_SELCHANGE(IDC_AVAILABLE, &CMC_ControllerAxisSelectionView::OnLbnSelchangeLbAvailableAxis)
END_MESSAGE_MAP()

CMC_ControllerAxisSelectionView::CMC_ControllerAxisSelectionView() : CFormView(IDD) {}
CMC_ControllerAxisSelectionView::~CMC_ControllerAxisSelectionView() = default;

void CMC_ControllerAxisSelectionView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_SELECTED, m_lbSelected);
  DDX_Control(pDX, IDC_AVAILABLE, m_lbAvailable);
}

CMC_Motion* CMC_ControllerAxisSelectionView::GetMotion() {
  auto* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetMotion() : nullptr;
}

CMC_Setup* CMC_ControllerAxisSelectionView::GetSetup() {
  auto* doc = dynamic_cast<CMC_Document*>(GetDocument());
  return doc ? doc->GetSetup() : nullptr;
}

int CMC_ControllerAxisSelectionView::SlaveCount() {
  CMC_Setup* setup = GetSetup();
  return setup ? setup->GetMotionControllerSlaveCount() : 0;
}

void CMC_ControllerAxisSelectionView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  SetBoldFont(this, IDC_TITLE, m_titleFont, true);
  SetBoldFont(this, IDC_LABEL_SELECTED, m_boldFont, false);
  SetBoldFont(this, IDC_LABEL_AVAILABLE, m_boldFont, false);
  OnUpdate(nullptr, -100, nullptr);
}

void CMC_ControllerAxisSelectionView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  CMC_Setup* setup = GetSetup();
  if (lHint != -100 || !setup || !setup->IsMotionController() || !m_lbSelected.GetSafeHwnd()) return;
  FillSelectedAxisList();
  FillAvailableAxisList();
  EnableButtons();
}

void CMC_ControllerAxisSelectionView::Modified() {
  CDocument* doc = GetDocument();
  if (auto* mc = dynamic_cast<CMC_Document*>(doc))
    mc->OnChangedInView(this, 0);
  else if (doc)
    doc->SetModifiedFlag(TRUE);
}

void CMC_ControllerAxisSelectionView::FillSelectedAxisList() {
  m_lbSelected.ResetContent();
  CMC_Motion* motion = GetMotion();
  if (!GetSetup() || !motion) return;
  const int n = SlaveCount();
  if (m_nSelected < 0 || m_nSelected >= n) m_nSelected = 0;
  for (int k = 0; k < n; ++k) {
    CMC_AxisData* axis = motion->GetMotionControllerSlaveAxis(k);
    m_lbSelected.InsertString(k, FormatString("%c : %s", 'A' + k, axis ? axis->GetName() : "<None>").c_str());
  }
  m_lbSelected.SetCurSel(m_nSelected);
}

void CMC_ControllerAxisSelectionView::FillAvailableAxisList() {
  m_lbAvailable.ResetContent();
  auto* doc = dynamic_cast<CMC_Document*>(GetDocument());
  CMC_Motion* motion = GetMotion();
  if (!doc || !motion) return;
  const int count = doc->GetAxisCount();
  if (count < 0) {
    m_nAvailable = -1;
    return;
  }
  const int selectedAxis = doc->GetSelectedAxisIdx();
  for (int j = 0; j < count; ++j) {
    CMC_AxisData* axis = doc->GetAxisData(j);
    CMC_Setup* setup = axis ? axis->GetSetup() : nullptr;
    if (!setup) continue;
    // Another controller is never a slave; the document's own axis may be offered.
    if (setup->IsMotionController() && j != selectedAxis) continue;
    if (motion->GetMotionControllerSlaveAxisIdx(axis) >= 0) continue;
    const int line = m_lbAvailable.AddString(axis->GetName());
    m_lbAvailable.SetItemDataPtr(line, axis);
    if (line == m_nAvailable) m_lbAvailable.SetCurSel(line);
  }
  if (m_nAvailable >= m_lbAvailable.GetCount()) {
    m_nAvailable = m_lbAvailable.GetCount() - 1;
    m_lbAvailable.SetCurSel(m_nAvailable);
  }
}

void CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisAdd() {
  CMC_Motion* motion = GetMotion();
  if (motion && m_nSelected >= 0 && m_nSelected < SlaveCount() && m_nAvailable >= 0 &&
      m_nAvailable < m_lbAvailable.GetCount()) {
    motion->SetMotionControllerSlaveAxis(m_nSelected, static_cast<CMC_AxisData*>(m_lbAvailable.GetItemDataPtr(m_nAvailable)));
    Modified();
    FillSelectedAxisList();
    FillAvailableAxisList();
  }
  EnableButtons();
}

void CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisRemove() {
  CMC_Motion* motion = GetMotion();
  if (motion && m_nSelected >= 0 && m_nSelected < SlaveCount()) {
    motion->SetMotionControllerSlaveAxis(m_nSelected, nullptr);
    Modified();
    FillSelectedAxisList();
    CString remembered;
    if (m_nAvailable >= 0 && m_nAvailable < m_lbAvailable.GetCount()) m_lbAvailable.GetText(m_nAvailable, remembered);
    m_nAvailable = -1;
    FillAvailableAxisList();
    if (!remembered.IsEmpty()) {
      m_nAvailable = m_lbAvailable.FindString(-1, remembered);
      m_lbAvailable.SetCurSel(m_nAvailable);
    }
  }
  EnableButtons();
}

void CMC_ControllerAxisSelectionView::Swap(int from, int to) {
  CMC_Motion* motion = GetMotion();
  CMC_AxisData* a = motion->GetMotionControllerSlaveAxis(from);
  CMC_AxisData* b = motion->GetMotionControllerSlaveAxis(to);
  motion->SetMotionControllerSlaveAxis(to, a);
  motion->SetMotionControllerSlaveAxis(from, b);
  m_nSelected = to;
  Modified();
  FillSelectedAxisList();
}

void CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisUp() {
  if (GetMotion() && m_nSelected >= 1 && m_nSelected < SlaveCount()) Swap(m_nSelected, m_nSelected - 1);
  EnableButtons();
}

void CMC_ControllerAxisSelectionView::OnBnClickedBtnAxisDown() {
  if (GetMotion() && m_nSelected >= 0 && m_nSelected < SlaveCount() - 1) Swap(m_nSelected, m_nSelected + 1);
  EnableButtons();
}

void CMC_ControllerAxisSelectionView::OnLbnSelchangeLbSelectedAxis() {
  m_nSelected = m_lbSelected.GetCurSel();
  EnableButtons();
}

void CMC_ControllerAxisSelectionView::OnLbnSelchangeLbAvailableAxis() {
  m_nAvailable = m_lbAvailable.GetCurSel();
  EnableButtons();
}

void CMC_ControllerAxisSelectionView::EnableButtons() {
  CMC_Motion* motion = GetMotion();
  const int n = SlaveCount(), s = m_nSelected;
  const BOOL holds = motion && s >= 0 && s < n && motion->GetMotionControllerSlaveAxis(s) != nullptr;
  const std::pair<UINT, BOOL> states[] = {
      {IDC_ADD, m_nAvailable >= 0}, {IDC_REMOVE, holds}, {IDC_UP, s > 0 && s < n}, {IDC_DOWN, s >= 0 && s < n - 1}};
  for (auto [id, on] : states)
    if (CWnd* w = GetDlgItem((int)id)) w->EnableWindow(on);
}
