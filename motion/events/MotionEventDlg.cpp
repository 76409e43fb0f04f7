#include "motion/events/MotionEventDlg.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "motion/model/ChildCombo.h"
#include "motion/model/MC_EditMotionDlg.h"
#include "motion/events/MotionEvent.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WinApp.h"

namespace {

const UINT IDS_SELECT_ITEM = 20037;
const UINT IDS_INVALID_DECIMAL = 20049;
const UINT IDS_NOT_32BIT_VARIABLE = 20069;
const UINT HH_HELP_CONTEXT_COMMAND = 15;

int OptionOf(const CMC_Setup* s, const char* name) { return s ? s->GetIntOption(name) : 0; }
int HasPositionFeedback(CMC_Setup* s) {
  return OptionOf(s, "isPositionFeedbackOnMotor") || OptionOf(s, "isPositionFeedbackOnLoad");
}
int HasSpeedFeedback(CMC_Setup* s) { return HasPositionFeedback(s) || OptionOf(s, "isSpeedFeedback"); }
int IsClosedPosition(CMC_Setup* s) { return OptionOf(s, "IsClosedPosition"); }

}  // namespace

// ---- Shared by the pages -------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMotionEventPageDlg, CDialog)

BEGIN_MESSAGE_MAP(CMotionEventPageDlg, CDialog)
ON_COMMAND(ID_HELP, &CMotionEventPageDlg::OnHelpCommand)
ON_COMMAND(ID_DEFAULT_HELP, &CMotionEventPageDlg::OnHelpCommand)
ON_MESSAGE(WM_HELP, &CMotionEventPageDlg::OnHelpMessage)
END_MESSAGE_MAP()

CMotionEventPageDlg::CMotionEventPageDlg(CMotionEvent* event, UINT driveTemplate, UINT controllerTemplate,
                                         UINT driveHelp, UINT controllerHelp)
    : CDialog(event && event->GetSetup().IsMotionController() ? controllerTemplate : driveTemplate, nullptr),
      m_pEvent(event),
      m_nHelpId(event && event->GetSetup().IsMotionController() ? controllerHelp : driveHelp) {}

bool CMotionEventPageDlg::IsController() const { return m_pEvent->GetSetup().IsMotionController() != 0; }

void CMotionEventPageDlg::OnOK() {
  m_bValidating = TRUE;
  CDialog::OnOK();
  m_bValidating = FALSE;
}

void CMotionEventPageDlg::OnHelpCommand() {
  HtmlHelp(nullptr, GetKernelHelpFile(), HH_HELP_CONTEXT_COMMAND, m_nHelpId);
}

LRESULT CMotionEventPageDlg::OnHelpMessage(WPARAM, LPARAM) {
  OnHelpCommand();
  return TRUE;
}

void CMotionEventPageDlg::Refuse(CDataExchange* pDX, int id, UINT message, const char* argument) {
  pDX->PrepareCtrl(id);
  ShowKernelMessageAlways(MB_ICONEXCLAMATION, message, argument);
  pDX->Fail();
}

void CMotionEventPageDlg::ExchangeValue(CDataExchange* pDX, CMC_Parameter* param, int edit, int unitCombo) {
  if (!param) return;
  if (!pDX->m_bSaveAndValidate) {
    SetDlgItemText(edit, param->PrintValue());
    CChildCombo combo(this, unitCombo);
    if (combo) {
      combo->EnableWindow(param->HasUnit());
      param->GetSetup().FillUnitCombo(combo, param->GetUnitName(), TRUE);
    }
    return;
  }
  CString text;
  GetDlgItemText(edit, text);
  // A text that does not scan keeps the value; it is refused only by OK.
  if (param->ScanValue(text) || !m_bValidating) return;
  pDX->PrepareEditCtrl(edit);
  ShowKernelMessageAlways(MB_ICONEXCLAMATION, IDS_INVALID_DECIMAL);
  pDX->Fail();
}

void CMotionEventPageDlg::ChangeUnit(CMC_Parameter* param, int edit, int unitCombo) {
  if (ApplyUnitCombo(param, CChildCombo(this, unitCombo))) SetDlgItemText(edit, param->PrintValue());
}

void CMotionEventPageDlg::EnableItem(int id, bool enable) {
  if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable);
}

void CMotionEventPageDlg::CheckRadio(CDataExchange* pDX, int firstRadio, int value) {
  if (!m_bValidating || !pDX->m_bSaveAndValidate) return;
  pDX->PrepareCtrl(firstRadio);
  DDV_RadioNotSelected(pDX, value);
}

// ---- Type --------------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMotionEventTypeDlg, CMotionEventPageDlg)

CMotionEventTypeDlg::CMotionEventTypeDlg(CMotionEvent* event, int none)
    : CMotionEventPageDlg(event, 14021, 14043, none ? 4124 : 4123, none ? 4151 : 4150), m_bNone(none) {}

BOOL CMotionEventTypeDlg::OnInitDialog() {
  const WORD allowed = m_pEvent->m_wAllowedTypes;
  if (m_nType < 0 || m_nType > 9 || !((allowed >> m_nType) & 1)) m_nType = -1;
  CDialog::OnInitDialog();
  SetDlgItemText(14000, m_bNone ? "None" : "When a previously defined event occurs");
  for (int n = 0; n <= 9; ++n) EnableItem(14000 + n, (allowed >> n) & 1);
  return TRUE;
}

void CMotionEventTypeDlg::DoDataExchange(CDataExchange* pDX) { DDX_Radio(pDX, 14000, m_nType); }

// ---- Pages of a value ----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMotionEventValueDlg, CMotionEventPageDlg)

CMotionEventValueDlg::CMotionEventValueDlg(CMotionEvent* event, UINT driveTemplate, UINT controllerTemplate,
                                           UINT driveHelp, UINT controllerHelp, const Controls& controls)
    : CMotionEventPageDlg(event, driveTemplate, controllerTemplate, driveHelp, controllerHelp), m_ids(controls) {}

CMC_Setup* CMotionEventValueDlg::SlaveSetup() const { return m_pEvent->GetSlaveAxisSetup(m_nSlaveAxis); }

CMC_Setup* CMotionEventValueDlg::PageSetup() const { return IsController() ? SlaveSetup() : &m_pEvent->GetSetup(); }

BOOL CMotionEventValueDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CChildCombo combo(this, IsController() ? m_ids.slaveCombo : 0);
  if (combo) {
    m_pEvent->FillSlaveAxisIDsCombo(combo, SlaveFilter(), m_nSlaveAxis, FALSE);
    // A stored slave the combo does not offer leaves the page without a slave.
    Change([&] {
      int slave = m_pEvent->GetComboSelSlaveAxisID(combo);
      if (slave != m_nSlaveAxis) {
        m_nSlaveAxis = slave;
        Rebind();
      }
    });
  }
  return TRUE;
}

void CMotionEventValueDlg::DoDataExchange(CDataExchange* pDX) {
  const bool save = pDX->m_bSaveAndValidate != 0;
  if (IsController() && m_ids.slaveCombo && m_bValidating && save && !PageSetup())
    Refuse(pDX, m_ids.slaveCombo, IDS_SELECT_ITEM);
  ExchangeChoices(pDX);
  if (m_ids.op) {
    DDX_Radio(pDX, m_ids.op, m_nOperator);
    CheckRadio(pDX, m_ids.op, m_nOperator);
  }
  if (!save) DDX_Radio(pDX, m_ids.valueRadio, m_nSourceType);
  CheckRadio(pDX, m_ids.valueRadio, m_nSourceType);
  if (m_nSourceType != 1) {
    ExchangeValue(pDX, m_pValue, m_ids.edit, m_ids.unitCombo);
    return;
  }
  if (!save)
    if (CChildCombo combo(this, m_ids.unitCombo); combo) {
      combo->EnableWindow(FALSE);
      combo->ResetContent();
    }
  DDX_Text(pDX, m_ids.edit, m_strSourceVariable);
  if (m_bValidating && save) DDV_SymbolName(pDX, m_strSourceVariable);
}

BOOL CMotionEventValueDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == BN_CLICKED && (id == m_ids.valueRadio || id == m_ids.variableRadio)) {
    Change([&] { m_nSourceType = id == m_ids.variableRadio ? 1 : 0; });
    return TRUE;
  }
  if (code == BN_CLICKED && OnChoiceClicked(id)) return TRUE;
  if (code == CBN_SELENDOK && id == m_ids.unitCombo && m_ids.unitCombo) {
    if (m_nSourceType == 0 && UpdateData(TRUE)) ChangeUnit(m_pValue, m_ids.edit, m_ids.unitCombo);
    return TRUE;
  }
  if (code == CBN_SELENDOK && id == m_ids.slaveCombo && m_ids.slaveCombo) {
    Change([&] {
      int slave = m_pEvent->GetComboSelSlaveAxisID(CChildCombo(this, id));
      if (slave == m_nSlaveAxis) return;
      m_nSlaveAxis = slave;
      Rebind();
    });
    return TRUE;
  }
  return CMotionEventPageDlg::OnCommand(wParam, lParam);
}

// ---- Position ----

IMPLEMENT_DYNAMIC(CMotionEventPositionDlg, CMotionEventValueDlg)

CMotionEventPositionDlg::CMotionEventPositionDlg(CMotionEvent* event)
    : CMotionEventValueDlg(event, 14022, 14045, 4127, 4153, {14007, 14002, 14010, 14011, 14004, 14006}) {}

int (*CMotionEventPositionDlg::SlaveFilter() const)(CMC_Setup*) { return HasPositionFeedback; }

void CMotionEventPositionDlg::Rebind() {
  m_pEvent->InitializePositionParam(m_pValue, (CMotionEvent::tagSensor)m_nSensor, SlaveSetup());
}

void CMotionEventPositionDlg::ExchangeChoices(CDataExchange* pDX) {
  CMC_Setup* setup = PageSetup();
  const bool m = OptionOf(setup, "isPositionFeedbackOnMotor"), l = OptionOf(setup, "isPositionFeedbackOnLoad");
  if (!pDX->m_bSaveAndValidate) {
    EnableItem(14012, m);
    EnableItem(14013, m || l);
    int sensor = m_nSensor == 0 && !m ? (l ? 1 : -1)
                 : m_nSensor == 1    ? (m || l ? 1 : -1)
                                     : (m ? 0 : l ? 1 : -1);
    if (sensor != m_nSensor) {
      m_nSensor = sensor;
      Rebind();
    }
  }
  DDX_Radio(pDX, 14012, m_nSensor);
  CheckRadio(pDX, 14012, m_nSensor);
  const bool noRelative = m && l && m_nSensor == 0;
  if (!pDX->m_bSaveAndValidate) {
    EnableItem(14000, setup != nullptr);
    EnableItem(14001, setup && !noRelative);
    if (!setup) m_nPosition = -1;
    else if (m_nPosition == -1 || (m_nPosition == 1 && noRelative)) m_nPosition = 0;
  }
  DDX_Radio(pDX, 14000, m_nPosition);
  CheckRadio(pDX, 14000, m_nPosition);
}

bool CMotionEventPositionDlg::OnChoiceClicked(int id) {
  if (id != 14012 && id != 14013) return false;
  Change([&] {
    m_nSensor = id - 14012;
    Rebind();
  });
  return true;
}

// ---- Speed ----

IMPLEMENT_DYNAMIC(CMotionEventSpeedDlg, CMotionEventValueDlg)

CMotionEventSpeedDlg::CMotionEventSpeedDlg(CMotionEvent* event)
    : CMotionEventValueDlg(event, 14023, 14046, 4129, 4154, {14004, 14000, 14005, 14006, 14002, 14003}) {}

int (*CMotionEventSpeedDlg::SlaveFilter() const)(CMC_Setup*) { return HasSpeedFeedback; }

void CMotionEventSpeedDlg::Rebind() {
  m_pEvent->InitializeSpeedParam(m_pValue, (CMotionEvent::tagSensor)m_nSensor, SlaveSetup());
}

void CMotionEventSpeedDlg::ExchangeChoices(CDataExchange* pDX) {
  CMC_Setup* setup = PageSetup();
  const bool m = OptionOf(setup, "isPositionFeedbackOnMotor"), l = OptionOf(setup, "isPositionFeedbackOnLoad");
  const bool s = OptionOf(setup, "isSpeedFeedback");
  if (!pDX->m_bSaveAndValidate) {
    EnableItem(14007, s || m);
    EnableItem(14008, m || l);
    int sensor = m_nSensor == 0 ? (s || m ? 0 : l ? 1 : -1)
                 : m_nSensor == 1 ? (m || l ? 1 : s ? 0 : -1)
                                  : (s || m ? 0 : l ? 1 : -1);
    if (sensor != m_nSensor) {
      m_nSensor = sensor;
      Rebind();
    }
  }
  DDX_Radio(pDX, 14007, m_nSensor);
  CheckRadio(pDX, 14007, m_nSensor);
}

bool CMotionEventSpeedDlg::OnChoiceClicked(int id) {
  if (id != 14007 && id != 14008) return false;
  Change([&] {
    m_nSensor = id - 14007;
    Rebind();
  });
  return true;
}

// ---- Time ----

IMPLEMENT_DYNAMIC(CMotionEventTimeDlg, CMotionEventValueDlg)

CMotionEventTimeDlg::CMotionEventTimeDlg(CMotionEvent* event)
    : CMotionEventValueDlg(event, 14024, 14024, 4130, 4130, {0, 0, 14001, 14000, 14002, 14003}) {}

// ---- Reference ----

IMPLEMENT_DYNAMIC(CMotionEventReferenceDlg, CMotionEventValueDlg)

CMotionEventReferenceDlg::CMotionEventReferenceDlg(CMotionEvent* event)
    : CMotionEventValueDlg(event, 14025, 14047, 4128, 4155, {14006, 14000, 14009, 14010, 14002, 14007}) {}

int (*CMotionEventReferenceDlg::SlaveFilter() const)(CMC_Setup*) { return IsClosedPosition; }

void CMotionEventReferenceDlg::Rebind() {
  m_pEvent->InitializeReferenceParam(m_pValue, (CMotionEvent::tagReference)m_nReference, SlaveSetup());
}

BOOL CMotionEventReferenceDlg::OnInitDialog() {
  const bool controller = IsController();
  const bool cp = controller || IsClosedPosition(&m_pEvent->GetSetup());
  const bool cs = controller || OptionOf(&m_pEvent->GetSetup(), "IsClosedSpeed");
  const bool available[] = {cp, !cp && cs, !cp && !cs};
  if (!controller && (m_nReference < 0 || m_nReference > 2 || !available[m_nReference])) m_nReference = -1;
  CMotionEventValueDlg::OnInitDialog();
  if (!controller)
    for (int i = 0; i < 3; ++i) EnableItem(14003 + i, available[i]);
  return TRUE;
}

void CMotionEventReferenceDlg::ExchangeChoices(CDataExchange* pDX) {
  if (IsController()) return;
  DDX_Radio(pDX, 14003, m_nReference);
  CheckRadio(pDX, 14003, m_nReference);
}

bool CMotionEventReferenceDlg::OnChoiceClicked(int id) {
  if (IsController() || id < 14003 || id > 14005) return false;
  Change([&] {
    m_nReference = id - 14003;
    Rebind();
  });
  return true;
}

// ---- Variable ----

IMPLEMENT_DYNAMIC(CMotionEventVariableDlg, CMotionEventValueDlg)

CMotionEventVariableDlg::CMotionEventVariableDlg(CMotionEvent* event)
    : CMotionEventValueDlg(event, 14027, 14027, 4131, 4131, {0, 14001, 14005, 14004, 14003, 14006}) {}

void CMotionEventVariableDlg::DoDataExchange(CDataExchange* pDX) {
  const bool validate = m_bValidating && pDX->m_bSaveAndValidate;
  DDX_Text(pDX, 14000, m_strVariable);
  if (validate) {
    DDV_SymbolName(pDX, m_strVariable);
    // The value is kept under the variable that OK keeps (trimmed), also when the edit never lost the focus.
    if (m_pValue && m_pValue->GetName() != "Event" + m_strVariable)
      m_pEvent->InitializeVariableParam(m_pValue, m_strVariable, nullptr);
  }
  CMotionEventValueDlg::DoDataExchange(pDX);
  if (!validate || m_nSourceType != 1) return;
  CMC_Variable* var = m_pEvent->GetSetup().FindVariable(m_strSourceVariable, TRUE);
  if (var && var->GetSizeInWords() != 2) Refuse(pDX, m_ids.edit, IDS_NOT_32BIT_VARIABLE, var->GetName());
}

BOOL CMotionEventVariableDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == 14000 && HIWORD(wParam) == EN_KILLFOCUS) {
    // The focus also leaves when OK has ended the dialog: what OK validated is not to be read again.
    if (!CWnd::ContinueModal()) return TRUE;
    Change([&] {
      m_strVariable.Trim();
      m_pEvent->InitializeVariableParam(m_pValue, m_strVariable, nullptr);
    });
    return TRUE;
  }
  return CMotionEventValueDlg::OnCommand(wParam, lParam);
}

// ---- Vector distance ----

IMPLEMENT_DYNAMIC(CMotionEventVectorDistanceDlg, CMotionEventValueDlg)

CMotionEventVectorDistanceDlg::CMotionEventVectorDistanceDlg(CMotionEvent* event)
    : CMotionEventValueDlg(event, 14050, 14050, 4158, 4158, {0, 14000, 14002, 14003, 14004, 14005}) {}
