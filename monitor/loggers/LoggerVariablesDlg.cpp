#include "monitor/loggers/LoggerVariablesDlg.h"

#include "comm/MC_CoffFormat.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "monitor/loggers/ScopeChannelSelectionDlg.h"
#include "platform/core/MessageBox.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/ui/PropertySheet.h"

#include <algorithm>
#include <cstdlib>

namespace {

const UINT kBufferOverflow = 20028;
const UINT kCannotFindVariable = 20033;
const UINT kAlreadySelected = 20059;
const DWORD kBarStyle = 0x4210;

struct Quiet {
  explicit Quiet(int& depth) : m_depth(depth) { ++m_depth; }
  ~Quiet() { --m_depth; }
  int& m_depth;
};

void PlainMessage(UINT id, const char* name) { ShowPlainKernelMessage(nullptr, id, name); }

}  // namespace

// ---- Both dialogs ----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CLoggerVariablesDlgBase, CDialog)

BEGIN_MESSAGE_MAP(CLoggerVariablesDlgBase, CDialog)
ON_CBN_EDITCHANGE(CLoggerVariablesDlgBase::IDC_NEW_VARIABLE, &CLoggerVariablesDlgBase::OnNewVariableEdit)
ON_CBN_SELCHANGE(CLoggerVariablesDlgBase::IDC_NEW_VARIABLE, &CLoggerVariablesDlgBase::OnNewVariableChosen)
ON_MESSAGE(WM_REFILL_VARIABLE_COMBOS, &CLoggerVariablesDlgBase::OnRefill)
ON_EN_CHANGE(CLoggerVariablesDlgBase::IDC_ACQUISITIONS, &CLoggerVariablesDlgBase::OnAcquisitionsChanged)
ON_LBN_SELCHANGE(CLoggerVariablesDlgBase::IDC_VARIABLES, &CLoggerVariablesDlgBase::OnSelectionChanged)
ON_BN_CLICKED(CLoggerVariablesDlgBase::IDC_ADD, &CLoggerVariablesDlgBase::OnAddClicked)
ON_BN_CLICKED(CLoggerVariablesDlgBase::IDC_DELETE, &CLoggerVariablesDlgBase::OnDeleteClicked)
ON_BN_CLICKED(CLoggerVariablesDlgBase::IDC_DELETE_ALL, &CLoggerVariablesDlgBase::OnDeleteAllClicked)
ON_BN_CLICKED(IDHELP, &CLoggerVariablesDlgBase::OnHelp)
END_MESSAGE_MAP()

CLoggerVariablesDlgBase::CLoggerVariablesDlgBase(CMC_Logger* logger, UINT templateId, CWnd* parent)
    : CDialog(templateId, parent), m_pBaseLogger(logger) {}

CLoggerVariablesDlgBase::~CLoggerVariablesDlgBase() = default;

void CLoggerVariablesDlgBase::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  Quiet quiet(m_nQuiet);
  DDX_Control(pDX, IDC_NEW_VARIABLE, m_comboNewVariable);
  DDX_Control(pDX, IDC_VARIABLES, m_listVariables);
  int radio = m_nActiveIn ? m_nActiveIn - (int)IDC_BY_USER : -1;
  DDX_Radio(pDX, IDC_BY_USER, radio);
  m_nActiveIn = radio >= 0 ? (int)IDC_BY_USER + radio : 0;
  DDX_Text(pDX, IDC_SAVE_EVERY, m_nSaveEvery);
  DDV_MinMaxInt(pDX, m_nSaveEvery, 1, 32767);
  DDX_Text(pDX, IDC_ACQUISITIONS, m_nAcquisitions);
  DDV_MinMaxInt(pDX, m_nAcquisitions, 0, BufferLength());
}

BOOL CLoggerVariablesDlgBase::OnInitDialog() {
  m_pBaseLogger->LocateItems();
  const int type = m_pBaseLogger->m_nLogType;
  m_nActiveIn = type == 0 ? IDC_BY_USER : type == 2 ? IDC_FAST_LOOP : IDC_SLOW_LOOP;
  m_nAcquisitions = m_pBaseLogger->m_nPoints;
  m_nSaveEvery = m_pBaseLogger->m_nSampling;
  CopyItems();
  CDialog::OnInitDialog();
  return TRUE;
}

void CLoggerVariablesDlgBase::CopyItems() {
  m_aEditItems.RemoveAll();
  const CMC_LoggerItemsArray& items = m_pBaseLogger->m_aItems;
  for (int i = 0; i < items.GetSize(); ++i) m_aEditItems.Add(items[i] ? new CMC_LoggerItem(*items[i]) : nullptr);
}

void CLoggerVariablesDlgBase::StyleBar() {
  m_progressFree.AttachProgress(IDC_FREE, this);
  m_progressFree.SetExStyle(kBarStyle);
  m_progressFree.SetColors(::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_3DFACE));
}

void CLoggerVariablesDlgBase::ShowFree(int free, int length) {
  if (!m_progressFree.GetSafeHwnd()) return;
  m_progressFree.SetRange(0, length ? (DWORD)length : 1);
  if (free < 0) {
    m_progressFree.SetWindowText("Overflow");
    m_progressFree.SetPos(0);
    return;
  }
  CString text;
  text.Format("%d words", free);
  m_progressFree.SetWindowText(text);
  m_progressFree.SetPos((DWORD)free);
}

void CLoggerVariablesDlgBase::EnableAdd() {
  if (CWnd* add = GetDlgItem(IDC_ADD)) add->EnableWindow(!m_strNewVariable.IsEmpty());
}

void CLoggerVariablesDlgBase::AddLocated(CMC_LoggerItem* item) {
  if (!m_pBaseLogger->LocateItem(item)) {
    PlainMessage(kCannotFindVariable, item->m_strName);
    delete item;
    return;
  }
  m_aEditItems.Add(item);
  Quiet quiet(m_nQuiet);
  m_listVariables.SetCurSel(m_listVariables.AddString(item->m_strName));
  UpdateDeleteButtons();
  CheckBuffer(0);
}

void CLoggerVariablesDlgBase::OnNewVariableEdit() {
  if (m_nQuiet) return;
  m_comboNewVariable.GetWindowText(m_strNewVariable);
  EnableAdd();
}

void CLoggerVariablesDlgBase::OnNewVariableChosen() {
  if (m_nQuiet) return;
  const int at = m_comboNewVariable.GetCurSel();
  if (at == 0) {
    LoggerListAllVariables() = !LoggerListAllVariables();
    PostMessage(WM_REFILL_VARIABLE_COMBOS, 0, 0);
    return;
  }
  if (at > 0) m_comboNewVariable.GetLBText(at, m_strNewVariable);
  else m_comboNewVariable.GetWindowText(m_strNewVariable);
  EnableAdd();
}

LRESULT CLoggerVariablesDlgBase::OnRefill(WPARAM, LPARAM) {
  FillNewVariableCombo();
  m_comboNewVariable.ShowDropDown(TRUE);
  return 0;
}

void CLoggerVariablesDlgBase::OnAcquisitionsChanged() {
  if (m_nQuiet) return;
  CString text;
  GetDlgItemText(IDC_ACQUISITIONS, text);
  text.Trim();
  if (text.IsEmpty() || text.SpanIncluding("0123456789").GetLength() != text.GetLength()) return;
  const unsigned long long read = text.GetLength() > 10 ? 65535ull : std::strtoull(text, nullptr, 10);
  const int value = (int)std::min<unsigned long long>(read, 65535ull);
  if (value == m_nAcquisitions) return;
  m_nAcquisitions = value;
  CheckBuffer(0);
}

void CLoggerVariablesDlgBase::OnSelectionChanged() { UpdateDeleteButtons(); }

void CLoggerVariablesDlgBase::OnHelp() {
  ::HtmlHelp(m_hWnd, GetKernelHelpFile(), HH_HELP_CONTEXT, m_nHelpContext);
}

void CLoggerVariablesDlgBase::OnOK() {
  if (!UpdateData(TRUE)) return;
  CMC_Logger& logger = *m_pBaseLogger;
  logger.m_nLogType = m_nActiveIn == (int)IDC_BY_USER ? 0 : m_nActiveIn == (int)IDC_FAST_LOOP ? 2 : 1;
  logger.m_nPoints = (WORD)m_nAcquisitions;
  logger.m_nSampling = (WORD)m_nSaveEvery;
  CMC_LoggerItemsArray& items = logger.m_aItems;
  const int count = items.GetSize();
  for (int i = 0; i < count; ++i) {
    CMC_LoggerItem* edited = i < m_aEditItems.GetSize() ? m_aEditItems[i] : nullptr;
    if (edited) {
      if (items[i]) *items[i] = *edited;
      delete edited;
      m_aEditItems.SetAt(i, nullptr);
      continue;
    }
    delete items[i];
    items.SetAt(i, nullptr);
    if (i + 1 < logger.m_aCurves.GetSize()) {
      delete logger.m_aCurves.GetAt(i + 1);
      logger.m_aCurves.SetAt(i + 1, nullptr);
    }
  }
  items.RemoveNulls();
  m_aEditItems.RemoveNulls();
  for (int i = 0; i < m_aEditItems.GetSize(); ++i) items.Add(m_aEditItems[i]);
  m_aEditItems.SetOwnsElements(FALSE);
  m_aEditItems.RemoveAll();
  m_aEditItems.SetOwnsElements(TRUE);
  logger.RepairCurves();
  logger.VerifyConsistence();
  EndDialog(IDOK);
}

// ---- Single-axis -----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSingleAxisLoggerVariablesDlg, CLoggerVariablesDlgBase)

CSingleAxisLoggerVariablesDlg::CSingleAxisLoggerVariablesDlg(CMC_SingleAxisLogger* logger, CWnd* parent)
    : CLoggerVariablesDlgBase(logger, IDD, parent), m_pLogger(logger) {
  m_nHelpContext = 4102;
}

WORD CSingleAxisLoggerVariablesDlg::BufferLength() const { return m_pLogger->GetBufferLength(); }

void CSingleAxisLoggerVariablesDlg::DoDataExchange(CDataExchange* pDX) {
  CLoggerVariablesDlgBase::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate) {
    WORD start = m_pLogger->GetBufferStart(), length = m_pLogger->GetBufferLength();
    DDX_HexaNumber(pDX, IDC_BUFFER_START, start, 0);
    DDX_HexaNumber(pDX, IDC_BUFFER_SIZE, length, 0);
  } else if (!CheckBuffer(1)) {
    pDX->PrepareEditCtrl(IDC_ACQUISITIONS);
    pDX->Fail();
  }
}

BOOL CSingleAxisLoggerVariablesDlg::OnInitDialog() {
  CLoggerVariablesDlgBase::OnInitDialog();
  Quiet quiet(m_nQuiet);
  for (int i = 0; i < m_aEditItems.GetSize(); ++i)
    if (m_aEditItems[i]) m_listVariables.AddString(m_aEditItems[i]->m_strName);
  FillNewVariableCombo();
  StyleBar();
  CheckBuffer(0);
  UpdateDeleteButtons();
  return TRUE;
}

void CSingleAxisLoggerVariablesDlg::FillNewVariableCombo() {
  Quiet quiet(m_nQuiet);
  CMC_Setup* setup = m_pLogger->GetDefaultSetup();
  if (!setup) return;
  FillLoggerVariableCombo(m_comboNewVariable, setup, m_pLogger->GetCoff());
  m_comboNewVariable.SetWindowText(m_strNewVariable);
}

int CSingleAxisLoggerVariablesDlg::CheckBuffer(int showMessage) {
  const int words = m_aEditItems.GetVariablesBufferSize();
  const int length = BufferLength();
  auto freeWords = [&] { return length - (m_nAcquisitions + 1) * words - (words > 0 ? 5 : 0); };
  int free = freeWords();
  ShowFree(free, length);
  if (free < 0) {
    if (showMessage) ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, kBufferOverflow);
    if (words > 0) {
      m_nAcquisitions = std::max(0, (length - 5) / words - 1);
      free = freeWords();
      Quiet quiet(m_nQuiet);
      SetDlgItemInt(IDC_ACQUISITIONS, (UINT)m_nAcquisitions, FALSE);
    }
  }
  m_nFreeWords = free;
  if (free >= 0) ShowFree(free, length);
  EnableAdd();
  return free >= 0;
}

void CSingleAxisLoggerVariablesDlg::OnAdd() {
  if (m_strNewVariable.IsEmpty()) return;
  if (m_aEditItems.FindVariable(m_strNewVariable) >= 0) return PlainMessage(kAlreadySelected, m_strNewVariable);
  AddLocated(new CMC_LoggerItem(m_strNewVariable, CMC_LoggerItem::ITEM_VARIABLE, -1, 1));
}

void CSingleAxisLoggerVariablesDlg::OnDelete() {
  const int selected = m_listVariables.GetCurSel();
  if (selected >= 0) {
    for (int i = 0, k = 0; i < m_aEditItems.GetSize(); ++i) {
      if (!m_aEditItems[i] || k++ != selected) continue;
      delete m_aEditItems[i];
      m_aEditItems.SetAt(i, nullptr);
      break;
    }
    m_listVariables.DeleteString(selected);
  }
  UpdateDeleteButtons();
  CheckBuffer(0);
}

void CSingleAxisLoggerVariablesDlg::OnDeleteAll() {
  m_listVariables.ResetContent();
  const int kept = m_pLogger->GetItems().GetSize();
  for (int i = m_aEditItems.GetSize() - 1; i >= 0; --i) {
    if (i >= kept) {
      m_aEditItems.RemoveAt(i);
      continue;
    }
    delete m_aEditItems[i];
    m_aEditItems.SetAt(i, nullptr);
  }
  UpdateDeleteButtons();
  CheckBuffer(0);
}

void CSingleAxisLoggerVariablesDlg::UpdateDeleteButtons() {
  bool any = false;
  for (int i = 0; i < m_aEditItems.GetSize() && !any; ++i) any = m_aEditItems[i] != nullptr;
  EnableDialogControl(::GetDlgItem(m_hWnd, IDC_DELETE), m_listVariables.GetCurSel() >= 0);
  EnableDialogControl(::GetDlgItem(m_hWnd, IDC_DELETE_ALL), any);
}

// ---- Multi-axis ------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMultiAxisLoggerVariablesDlg, CLoggerVariablesDlgBase)

BEGIN_MESSAGE_MAP(CMultiAxisLoggerVariablesDlg, CLoggerVariablesDlgBase)
ON_CBN_SELCHANGE(CLoggerVariablesDlgBase::IDC_APPLICATION, &CMultiAxisLoggerVariablesDlg::OnApplicationChosen)
END_MESSAGE_MAP()

CMultiAxisLoggerVariablesDlg::CMultiAxisLoggerVariablesDlg(CMC_MultiAxisLogger* logger, CWnd* parent)
    : CLoggerVariablesDlgBase(logger, IDD, parent), m_pLogger(logger) {
  m_nHelpContext = 4103;
}

WORD CMultiAxisLoggerVariablesDlg::BufferLength() const { return m_pLogger->GetBufferLength(m_nApplication); }

CString CMultiAxisLoggerVariablesDlg::ApplicationName() const {
  CString name;
  if (m_comboApplication.GetSafeHwnd()) m_comboApplication.GetWindowText(name);
  return name;
}

void CMultiAxisLoggerVariablesDlg::DoDataExchange(CDataExchange* pDX) {
  CLoggerVariablesDlgBase::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_APPLICATION, m_comboApplication);
  if (pDX->m_bSaveAndValidate && !CheckBuffer(1)) {
    pDX->PrepareEditCtrl(IDC_ACQUISITIONS);
    pDX->Fail();
  }
}

BOOL CMultiAxisLoggerVariablesDlg::OnInitDialog() {
  CMC_Document* doc = m_pLogger->GetDoc();
  if (!doc) {
    CDialog::OnInitDialog();
    return TRUE;
  }
  m_nApplication = std::max(0, doc->GetSelectedAxisIdx());
  CLoggerVariablesDlgBase::OnInitDialog();
  StyleBar();
  {
    Quiet quiet(m_nQuiet);
    m_comboApplication.ResetContent();
    for (int i = 0; i < doc->GetAxisCount(); ++i) {
      CMC_AxisData* axis = doc->GetAxisData(i);
      if (!axis || !*axis->GetName()) continue;
      const int at = m_comboApplication.AddString(axis->GetName());
      m_comboApplication.SetItemData(at, (DWORD_PTR)i);
      if (i == m_nApplication) m_comboApplication.SetCurSel(at);
    }
  }
  OnApplicationChosen();
  return TRUE;
}

void CMultiAxisLoggerVariablesDlg::OnApplicationChosen() {
  if (m_nQuiet) return;
  Quiet quiet(m_nQuiet);
  const int at = m_comboApplication.GetCurSel();
  if (at >= 0) {
    m_nApplication = (int)m_comboApplication.GetItemData(at);
    CString text;
    text.Format("%04hX", m_pLogger->GetBufferStart(m_nApplication));
    SetDlgItemText(IDC_BUFFER_START, text);
    text.Format("%04hX", m_pLogger->GetBufferLength(m_nApplication));
    SetDlgItemText(IDC_BUFFER_SIZE, text);
    FillNewVariableCombo();
    const CString application = ApplicationName();
    m_listVariables.ResetContent();
    for (int i = 0; i < m_aEditItems.GetSize(); ++i)
      if (m_aEditItems[i] && m_aEditItems[i]->m_strAxis.CompareNoCase(application) == 0)
        m_listVariables.AddString(m_aEditItems[i]->m_strName);
  }
  CheckBuffer(0);
  UpdateDeleteButtons();
}

void CMultiAxisLoggerVariablesDlg::FillNewVariableCombo() {
  Quiet quiet(m_nQuiet);
  CMC_Document* doc = m_pLogger->GetDoc();
  CMC_AxisData* axis = doc ? doc->GetAxisData(m_nApplication) : nullptr;
  CMC_Setup* setup = axis ? axis->GetSetup() : nullptr;
  if (!setup) return;
  FillLoggerVariableCombo(m_comboNewVariable, setup, axis->GetCoffFile());
  m_comboNewVariable.SetWindowText(m_strNewVariable);
}

int CMultiAxisLoggerVariablesDlg::CheckBuffer(int showMessage) {
  int result = 1;
  // Without a logged word nothing can overflow: the least over no axis is no limit.
  const int most = m_pLogger->ComputeMaxPoints(m_aEditItems);
  if (m_aEditItems.GetVariablesBufferSize() > 0 && m_nAcquisitions > most) {
    if (showMessage) ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, kBufferOverflow);
    m_nAcquisitions = most;
    Quiet quiet(m_nQuiet);
    SetDlgItemInt(IDC_ACQUISITIONS, (UINT)m_nAcquisitions, FALSE);
    result = 0;
  }
  const int words = m_aEditItems.GetVariablesBufferSize(ApplicationName());
  const int length = BufferLength();
  int free = length - (m_nAcquisitions + 1) * words - (words > 0 ? 5 : 0);
  ShowFree(free, length);
  m_nFreeWords = std::max(free, 0);
  EnableAdd();
  return result;
}

void CMultiAxisLoggerVariablesDlg::OnAdd() {
  const CString application = ApplicationName();
  if (application.IsEmpty() || m_strNewVariable.IsEmpty()) return;
  if (m_aEditItems.FindVariable(application, m_strNewVariable) >= 0)
    return PlainMessage(kAlreadySelected, m_strNewVariable);
  AddLocated(new CMC_LoggerItem(application, m_strNewVariable, CMC_LoggerItem::ITEM_VARIABLE, -1, 1));
}

void CMultiAxisLoggerVariablesDlg::OnDelete() {
  const int selected = m_listVariables.GetCurSel();
  if (selected >= 0) {
    CString name;
    m_listVariables.GetText(selected, name);
    const int at = m_aEditItems.FindVariable(ApplicationName(), name);
    if (at >= 0) {
      delete m_aEditItems[at];
      m_aEditItems.SetAt(at, nullptr);
    }
    m_listVariables.DeleteString(selected);
  }
  UpdateDeleteButtons();
  CheckBuffer(0);
}

void CMultiAxisLoggerVariablesDlg::OnDeleteAll() {
  m_listVariables.ResetContent();
  const CString application = ApplicationName();
  for (int i = 0; i < m_aEditItems.GetSize(); ++i) {
    if (!m_aEditItems[i] || m_aEditItems[i]->m_strAxis.CompareNoCase(application) != 0) continue;
    delete m_aEditItems[i];
    m_aEditItems.SetAt(i, nullptr);
  }
  UpdateDeleteButtons();
  CheckBuffer(0);
}

void CMultiAxisLoggerVariablesDlg::UpdateDeleteButtons() {
  EnableDialogControl(::GetDlgItem(m_hWnd, IDC_DELETE), m_listVariables.GetCurSel() >= 0);
  EnableDialogControl(::GetDlgItem(m_hWnd, IDC_DELETE_ALL), m_listVariables.GetCount() > 0);
}
