#include "monitor/loggers/ScopeChannelSelectionDlg.h"

#include "comm/MC_CoffFormat.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/QuietErrors.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/panels/GadgetEditDlg.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/PropertySheet.h"

namespace {

const UINT kSelectAnItem = 20037;
const DWORD kHelpContext = 4161;

// Notifications raised by the dialog's own changes are not the user's.
struct Quiet {
  explicit Quiet(int& depth) : m_depth(depth) { ++m_depth; }
  ~Quiet() { --m_depth; }
  int& m_depth;
};

}  // namespace

int& LoggerListAllVariables() { return CGadgetEditDlg::ms_bListAllVariables; }

void FillLoggerVariableCombo(CComboBox& combo, CMC_Setup* setup, CMC_CoffFormat* coff) {
  combo.ResetContent();
  if (!setup) return;
  setup->FillVariableCombo(combo, nullptr, LoggerListAllVariables());
  if (coff) coff->FillSimpleVarsCombo(&combo, 0, 0);
  combo.InsertString(0, LoggerListAllVariables() ? ">> List main variables <<" : ">> List all variables <<");
}

int LocateItemQuietly(CMC_Logger* logger, CMC_LoggerItem* item) {
  CQuietErrors quiet;
  return logger->LocateItem(item);
}

IMPLEMENT_DYNAMIC(CScopeChannelSelectionDlg, CDialog)

BEGIN_MESSAGE_MAP(CScopeChannelSelectionDlg, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, CScopeChannelSelectionDlg::IDC_KIND_FIRST, CScopeChannelSelectionDlg::IDC_KIND_LAST,
                 &CScopeChannelSelectionDlg::OnKind)
ON_CBN_EDITCHANGE(CScopeChannelSelectionDlg::IDC_VARIABLE, &CScopeChannelSelectionDlg::OnVariableEdit)
ON_CBN_EDITCHANGE(CScopeChannelSelectionDlg::IDC_BIT_VARIABLE, &CScopeChannelSelectionDlg::OnBitVariableEdit)
ON_CBN_SELCHANGE(CScopeChannelSelectionDlg::IDC_VARIABLE, &CScopeChannelSelectionDlg::OnVariableChosen)
ON_CBN_SELCHANGE(CScopeChannelSelectionDlg::IDC_BIT_VARIABLE, &CScopeChannelSelectionDlg::OnBitVariableChosen)
ON_MESSAGE(WM_REFILL_VARIABLE_COMBOS, &CScopeChannelSelectionDlg::OnRefill)
ON_BN_CLICKED(IDHELP, &CScopeChannelSelectionDlg::OnHelp)
END_MESSAGE_MAP()

CScopeChannelSelectionDlg::CScopeChannelSelectionDlg(CMC_ScopeLogger* scope, CMC_LoggerItem* item, const char* title,
                                                     CWnd* parent)
    : CDialog(IDD, parent), m_item(*item), m_pLogger(scope), m_pItem(item), m_pszTitle(title) {
  if (item->m_nType == CMC_LoggerItem::ITEM_VARIABLE || item->m_nType == CMC_LoggerItem::ITEM_VARIABLE_BIT)
    m_strVariable = item->m_strName;
}

void CScopeChannelSelectionDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  for (UINT id = IDC_VARIABLE; id <= IDC_BIT; ++id) DDX_Control(pDX, (int)id, Combo(id));
  if (!pDX->m_bSaveAndValidate) return;
  const int kind = m_item.m_nType;
  if (kind >= CMC_LoggerItem::ITEM_STATUS_BIT && kind <= CMC_LoggerItem::ITEM_OUTPUT) {
    const UINT id = IDC_STATUS_BITS + (UINT)(kind - CMC_LoggerItem::ITEM_STATUS_BIT);
    pDX->PrepareCtrl((int)id);
    const int at = Combo(id).GetCurSel();
    if (at < 0) {
      ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, kSelectAnItem);
      pDX->Fail();
    }
    m_item.m_nBit = (short)Combo(id).GetItemData(at);
  } else if (kind == CMC_LoggerItem::ITEM_VARIABLE_BIT) {
    pDX->PrepareCtrl(IDC_BIT);
    const int at = Combo(IDC_BIT).GetCurSel();
    if (at < 0) {
      ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, kSelectAnItem);
      pDX->Fail();
    }
    m_item.m_nBit = (short)at;
  }
}

void CScopeChannelSelectionDlg::FillVariableCombos() {
  Quiet quiet(m_nQuiet);
  CMC_Setup* setup = m_pLogger->GetDefaultSetup();
  if (!setup) return;
  for (UINT id : {(UINT)IDC_VARIABLE, (UINT)IDC_BIT_VARIABLE}) {
    FillLoggerVariableCombo(Combo(id), setup, m_pLogger->GetCoff());
    if (Combo(id).IsWindowEnabled()) Combo(id).SetWindowText(m_strVariable);
  }
}

void CScopeChannelSelectionDlg::FillBitCombo() {
  Quiet quiet(m_nQuiet);
  CComboBox& bits = Combo(IDC_BIT);
  bits.ResetContent();
  WORD words = CMC_Value::GetSizeInWords(m_item.m_nVarType);
  const int count = words ? 16 * words : 16;
  for (int bit = 0; bit < count; ++bit) {
    CString text;
    text.Format("%d", bit);
    bits.AddString(text);
  }
  bits.SetCurSel(m_item.m_nBit >= 0 && m_item.m_nBit < count ? m_item.m_nBit : -1);
}

void CScopeChannelSelectionDlg::EnableByKind() {
  Quiet quiet(m_nQuiet);
  const int kind = m_item.m_nType;
  Combo(IDC_VARIABLE).EnableWindow(kind == CMC_LoggerItem::ITEM_VARIABLE);
  if (kind != CMC_LoggerItem::ITEM_VARIABLE) Combo(IDC_VARIABLE).SetWindowText("");
  for (int k = CMC_LoggerItem::ITEM_STATUS_BIT; k <= CMC_LoggerItem::ITEM_OUTPUT; ++k) {
    CComboBox& combo = Combo(IDC_STATUS_BITS + (UINT)(k - CMC_LoggerItem::ITEM_STATUS_BIT));
    combo.EnableWindow(kind == k);
    if (kind != k) combo.ResetContent();
  }
  const bool bit = kind == CMC_LoggerItem::ITEM_VARIABLE_BIT;
  Combo(IDC_BIT_VARIABLE).EnableWindow(bit);
  Combo(IDC_BIT).EnableWindow(bit);
  if (!bit) {
    Combo(IDC_BIT_VARIABLE).SetWindowText("");
    Combo(IDC_BIT).ResetContent();
  }
}

BOOL CScopeChannelSelectionDlg::OnInitDialog() {
  Quiet quiet(m_nQuiet);
  LocateItemQuietly(m_pLogger, &m_item);
  CDialog::OnInitDialog();
  if (m_pszTitle) SetWindowText(m_pszTitle);
  FillVariableCombos();
  const int kind = m_item.m_nType;
  CheckRadioButton(IDC_KIND_FIRST, IDC_KIND_LAST, (int)IDC_KIND_FIRST + 1 + kind);
  if (CMC_Setup* setup = m_pLogger->GetDefaultSetup()) {
    switch (kind) {
      case CMC_LoggerItem::ITEM_STATUS_BIT: setup->FillStatusRegBitsCombo(Combo(IDC_STATUS_BITS), m_item.m_nBit); break;
      case CMC_LoggerItem::ITEM_ERROR_BIT: setup->FillErrorRegBitsCombo(Combo(IDC_ERROR_BITS), m_item.m_nBit); break;
      case CMC_LoggerItem::ITEM_INPUT: setup->FillIOCombo(Combo(IDC_INPUTS), m_item.m_nBit, 1); break;
      case CMC_LoggerItem::ITEM_OUTPUT: setup->FillIOCombo(Combo(IDC_OUTPUTS), m_item.m_nBit, 0); break;
      default: break;
    }
  }
  if (kind == CMC_LoggerItem::ITEM_VARIABLE) Combo(IDC_VARIABLE).SetWindowText(m_item.m_strName);
  if (kind == CMC_LoggerItem::ITEM_VARIABLE_BIT) {
    Combo(IDC_BIT_VARIABLE).SetWindowText(m_item.m_strName);
    FillBitCombo();
  }
  EnableByKind();
  return TRUE;
}

void CScopeChannelSelectionDlg::OnKind(UINT id) {
  if (m_nQuiet) return;
  Quiet quiet(m_nQuiet);
  const int kind = (int)id - (int)IDC_KIND_FIRST - 1;
  m_item.m_nType = kind;
  CMC_Setup* setup = m_pLogger->GetDefaultSetup();
  switch (kind) {
    case CMC_LoggerItem::ITEM_NONE: m_item.m_strName.Empty(); break;
    case CMC_LoggerItem::ITEM_VARIABLE:
      m_item.m_strName = m_strVariable;
      Combo(IDC_VARIABLE).EnableWindow(TRUE);
      Combo(IDC_VARIABLE).SetWindowText(m_strVariable);
      break;
    case CMC_LoggerItem::ITEM_STATUS_BIT:
      if (setup) setup->FillStatusRegBitsCombo(Combo(IDC_STATUS_BITS), -1);
      break;
    case CMC_LoggerItem::ITEM_ERROR_BIT:
      if (setup) setup->FillErrorRegBitsCombo(Combo(IDC_ERROR_BITS), -1);
      break;
    case CMC_LoggerItem::ITEM_INPUT:
      if (setup) setup->FillIOCombo(Combo(IDC_INPUTS), -1, 1);
      break;
    case CMC_LoggerItem::ITEM_OUTPUT:
      if (setup) setup->FillIOCombo(Combo(IDC_OUTPUTS), -1, 0);
      break;
    default:
      m_item.m_strName = m_strVariable;
      Combo(IDC_BIT_VARIABLE).EnableWindow(TRUE);
      Combo(IDC_BIT_VARIABLE).SetWindowText(m_strVariable);
      FillBitCombo();
      break;
  }
  EnableByKind();
}

void CScopeChannelSelectionDlg::VariableTyped(UINT id, const CString& text) {
  const int kind = id == IDC_VARIABLE ? CMC_LoggerItem::ITEM_VARIABLE : CMC_LoggerItem::ITEM_VARIABLE_BIT;
  if (m_item.m_nType != kind) return;
  Quiet quiet(m_nQuiet);
  m_strVariable = text;
  m_item.m_strName = text;
  if (kind == CMC_LoggerItem::ITEM_VARIABLE_BIT && m_item.m_nBit < 0) m_item.m_nBit = 0;
  LocateItemQuietly(m_pLogger, &m_item);
  if (kind == CMC_LoggerItem::ITEM_VARIABLE_BIT) FillBitCombo();
}

void CScopeChannelSelectionDlg::VariableChosen(UINT id) {
  if (m_nQuiet) return;
  CComboBox& combo = Combo(id);
  const int at = combo.GetCurSel();
  if (at == 0) {
    LoggerListAllVariables() = !LoggerListAllVariables();
    PostMessage(WM_REFILL_VARIABLE_COMBOS, 0, 0);
    return;
  }
  CString text;
  if (at > 0) combo.GetLBText(at, text);
  else combo.GetWindowText(text);
  VariableTyped(id, text);
}

void CScopeChannelSelectionDlg::OnVariableEdit() {
  if (m_nQuiet) return;
  CString text;
  Combo(IDC_VARIABLE).GetWindowText(text);
  VariableTyped(IDC_VARIABLE, text);
}

void CScopeChannelSelectionDlg::OnBitVariableEdit() {
  if (m_nQuiet) return;
  CString text;
  Combo(IDC_BIT_VARIABLE).GetWindowText(text);
  VariableTyped(IDC_BIT_VARIABLE, text);
}

void CScopeChannelSelectionDlg::OnVariableChosen() { VariableChosen(IDC_VARIABLE); }
void CScopeChannelSelectionDlg::OnBitVariableChosen() { VariableChosen(IDC_BIT_VARIABLE); }

LRESULT CScopeChannelSelectionDlg::OnRefill(WPARAM, LPARAM) {
  FillVariableCombos();
  if (m_item.m_nType == CMC_LoggerItem::ITEM_VARIABLE) Combo(IDC_VARIABLE).ShowDropDown(TRUE);
  if (m_item.m_nType == CMC_LoggerItem::ITEM_VARIABLE_BIT) Combo(IDC_BIT_VARIABLE).ShowDropDown(TRUE);
  return 0;
}

void CScopeChannelSelectionDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (!m_pLogger->LocateItem(&m_item)) return;
  if (CMC_LoggerItem::SameLoggerItems(m_item, *m_pItem)) {
    EndDialog(IDCANCEL);
    return;
  }
  *m_pItem = m_item;
  EndDialog(IDOK);
}

void CScopeChannelSelectionDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), HH_HELP_CONTEXT, kHelpContext); }
