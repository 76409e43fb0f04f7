// The event pages without a compared value: inputs, motion complete and the slave axes.
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "motion/model/ChildCombo.h"
#include "motion/model/MC_Motion.h"
#include "motion/events/MotionEvent.h"
#include "motion/events/MotionEventDlg.h"
#include "platform/ui/Controls.h"

namespace {

const UINT IDS_SELECT_ITEM = 20037;
const UINT IDS_SELECT_SLAVE = 20083;
const int kSlaveBoxes = 8;

int OptionOf(const CMC_Setup* s, const char* name) { return s ? s->GetIntOption(name) : 0; }

}  // namespace

// ---- Input ----

IMPLEMENT_DYNAMIC(CMotionEventIOsDlg, CMotionEventPageDlg)

CMotionEventIOsDlg::CMotionEventIOsDlg(CMotionEvent* event) : CMotionEventPageDlg(event, 14026, 14048, 4125, 4156) {}

CMC_Setup* CMotionEventIOsDlg::PageSetup() const {
  return IsController() ? m_pEvent->GetSlaveAxisSetup(m_nSlaveAxis) : &m_pEvent->GetSetup();
}

BOOL CMotionEventIOsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (IsController())
    m_pEvent->FillSlaveAxisIDsCombo(CChildCombo(this, 14010), nullptr, m_nSlaveAxis, FALSE);
  return TRUE;
}

void CMotionEventIOsDlg::DoDataExchange(CDataExchange* pDX) {
  const bool save = pDX->m_bSaveAndValidate != 0;
  CMC_Setup* setup = PageSetup();
  if (m_bValidating && save && !setup) Refuse(pDX, 14010, IDS_SELECT_ITEM);
  const int home = setup ? setup->GetHomingInputPort() : -1;
  const bool available[] = {OptionOf(setup, "isIndex") != 0, OptionOf(setup, "isIndex2") != 0,
                            OptionOf(setup, "isLSP") != 0,   OptionOf(setup, "isLSN") != 0,
                            setup != nullptr,                home >= 0 && setup->IsInputPortEnable(home)};
  if (!save) {
    if (m_nInput < 0 || m_nInput > 5 || !available[m_nInput]) m_nInput = -1;
    for (int i = 0; i < 6; ++i) EnableItem(14000 + i, available[i]);
  }
  DDX_Radio(pDX, 14000, m_nInput);
  CheckRadio(pDX, 14000, m_nInput);

  CChildCombo ports(this, 14006);
  const bool digital = m_nInput == 4;
  if (!save && ports) {
    ports->EnableWindow(digital);
    if (digital) setup->FillIOCombo(*ports, m_nInputPort, TRUE);
    else ports->ResetContent();
  }
  if (save && digital && ports) {
    int sel = ports->GetCurSel();
    m_nInputPort = sel < 0 ? -1 : (int)ports->GetItemData(sel);
    if (m_bValidating && (m_nInputPort < 0 || !setup || m_nInputPort > setup->GetMaxIOPort(FALSE))) {
      pDX->PrepareCtrl(14006);
      DDV_ComboItemNotSelected(pDX, -1);
    }
  }
  if (!save) {
    const bool plain = m_nInput == 4 || m_nInput == 5;
    SetDlgItemText(14008, plain ? "low" : "high -> low");
    SetDlgItemText(14009, plain ? "high" : "low -> high");
  }
  DDX_Radio(pDX, 14008, m_nInputLevel);
  // The level is needed whenever data is taken over.
  if (save) {
    pDX->PrepareCtrl(14008);
    DDV_RadioNotSelected(pDX, m_nInputLevel);
  }
}

BOOL CMotionEventIOsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == BN_CLICKED && id >= 14000 && id <= 14005) {
    if (UpdateData(TRUE)) {
      m_nInput = id - 14000;
      UpdateData(FALSE);
    }
    return TRUE;
  }
  if (code == CBN_SELENDOK && id == 14010) {
    if (UpdateData(TRUE)) {
      m_nSlaveAxis = m_pEvent->GetComboSelSlaveAxisID(CChildCombo(this, id));
      UpdateData(FALSE);
    }
    return TRUE;
  }
  return CMotionEventPageDlg::OnCommand(wParam, lParam);
}

// ---- Slave axes ----

IMPLEMENT_DYNAMIC(CMotionEventSlavesDlg, CMotionEventPageDlg)

CMotionEventSlavesDlg::CMotionEventSlavesDlg(CMotionEvent* event, UINT driveTemplate, UINT controllerTemplate,
                                             UINT driveHelp, UINT controllerHelp)
    : CMotionEventPageDlg(event, driveTemplate, controllerTemplate, driveHelp, controllerHelp) {}

BOOL CMotionEventSlavesDlg::OnInitDialog() {
  const int count = m_pEvent->GetSetup().GetMotionControllerSlaveCount();
  m_nSelectedSlaves &= (int)((1u << count) - 1);
  for (int i = 0; i < kSlaveBoxes; ++i) {
    CWnd* box = GetDlgItem(14000 + i);
    if (!box) continue;
    if (i >= count) {
      box->ShowWindow(SW_HIDE);
      continue;
    }
    const bool exists = m_pEvent->GetMotion().GetMotionControllerSlaveAxis(i) != nullptr;
    box->EnableWindow(exists);
    if (!exists) m_nSelectedSlaves &= ~(1 << i);
  }
  CDialog::OnInitDialog();
  return TRUE;
}

void CMotionEventSlavesDlg::DoDataExchange(CDataExchange* pDX) {
  if (!pDX->m_bSaveAndValidate) {
    for (int i = 0; i < kSlaveBoxes; ++i)
      if (GetDlgItem(14000 + i)) CheckDlgButton(14000 + i, (m_nSelectedSlaves >> i) & 1);
    return;
  }
  if (m_bValidating && m_nSelectedSlaves == 0) Refuse(pDX, 14000, IDS_SELECT_SLAVE);
}

BOOL CMotionEventSlavesDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) == BN_CLICKED && id >= 14000 && id < 14000 + kSlaveBoxes) {
    m_nSelectedSlaves ^= 1 << (id - 14000);
    return TRUE;
  }
  return CMotionEventPageDlg::OnCommand(wParam, lParam);
}

IMPLEMENT_DYNAMIC(CMotionEventTargetReachedDlg, CMotionEventSlavesDlg)

CMotionEventTargetReachedDlg::CMotionEventTargetReachedDlg(CMotionEvent* event)
    : CMotionEventSlavesDlg(event, 14049, 14049, 4157, 4157) {}

// ---- Motion complete ----

IMPLEMENT_DYNAMIC(CMotionEventMCDlg, CMotionEventSlavesDlg)

CMotionEventMCDlg::CMotionEventMCDlg(CMotionEvent* event) : CMotionEventSlavesDlg(event, 14028, 14044, 4126, 4152) {}

BOOL CMotionEventMCDlg::OnInitDialog() {
  if (IsController()) return CMotionEventSlavesDlg::OnInitDialog();
  const CMC_Setup& setup = m_pEvent->GetSetup();
  const bool settleBand =
      OptionOf(&setup, "IsClosedPosition") &&
      (OptionOf(&setup, "isPositionFeedbackOnMotor") || OptionOf(&setup, "isPositionFeedbackOnLoad"));
  if (!settleBand) {
    m_nMCType = -1;
    m_nMCSetParameters = 0;
  }
  CDialog::OnInitDialog();
  EnableItem(14027, settleBand);
  CheckRadioButton(14027, 14028, m_nMCType == 0 ? 14027 : m_nMCType == 1 ? 14028 : 0);
  return TRUE;
}

void CMotionEventMCDlg::DoDataExchange(CDataExchange* pDX) {
  if (IsController()) {
    CMotionEventSlavesDlg::DoDataExchange(pDX);
    return;
  }
  // Without a mode the event would be stored as one that no drive can read back.
  if (m_nMCType < 0) CheckRadio(pDX, ::IsWindowEnabled(::GetDlgItem(m_hWnd, 14027)) ? 14027 : 14028, m_nMCType);
  const bool settleBand = m_nMCType == 0, parameters = settleBand && m_nMCSetParameters;
  EnableItem(14026, settleBand);
  if (!pDX->m_bSaveAndValidate) CheckDlgButton(14026, parameters ? 1 : 0);
  for (int id = 14029; id <= 14032; ++id) EnableItem(id, parameters);
  if (parameters) {
    ExchangeValue(pDX, m_pSettleBand, 14029, 14030);
    ExchangeValue(pDX, m_pStabilizeTime, 14031, 14032);
  } else if (!pDX->m_bSaveAndValidate) {
    for (int id : {14029, 14031}) SetDlgItemText(id, "");
    for (int id : {14030, 14032})
      if (CChildCombo combo(this, id); combo) combo->ResetContent();
  }
}

BOOL CMotionEventMCDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (IsController()) return CMotionEventSlavesDlg::OnCommand(wParam, lParam);
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == BN_CLICKED && id >= 14026 && id <= 14028) {
    if (UpdateData(TRUE)) {
      if (id == 14026) m_nMCSetParameters = !m_nMCSetParameters;
      else m_nMCType = id - 14027;
      UpdateData(FALSE);
    }
    return TRUE;
  }
  if (code == CBN_SELENDOK && (id == 14030 || id == 14032)) {
    if (UpdateData(TRUE)) {
      if (id == 14030) ChangeUnit(m_pSettleBand, 14029, 14030);
      else ChangeUnit(m_pStabilizeTime, 14031, 14032);
    }
    return TRUE;
  }
  return CMotionEventPageDlg::OnCommand(wParam, lParam);
}
