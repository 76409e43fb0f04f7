#include "views/gcode/ImportGcodeDlg.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "motion/model/ChildCombo.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"
#include "platform/ui/CommonDialogs.h"

#include <cstdio>
#include <utility>

namespace {

enum : int {
  IDC_FILE = 14000,
  IDC_BROWSE = 14001,
  IDC_AXIS_X = 14002,  // X, Y, Z
  IDC_SPINDLE = 14005,
  IDC_AXIS_A = 14006,  // A, B, C
  IDC_BLOCK_DELETE = 14009,
  IDC_FEED_OVERRIDE = 14010,
  IDC_SPEED_OVERRIDE = 14011,
  IDC_OPTIONAL_STOP = 14012,
  IDC_FEED_PERCENT = 14013,
  IDC_SPEED_PERCENT = 14014,
  IDC_CYCLE_START = 14015,
  IDC_COOLANT = 14016,
  IDC_FEED_RATE = 14017,
  IDC_SPINDLE_SPEED = 14018,
  IDC_TRAVERSE_RATE = 14019,
  IDC_CYCLE_AXIS = 14020,
  IDC_CYCLE_INPUT = 14021,
  IDC_CYCLE_LEVEL = 14022,
  IDC_COOLANT_AXIS = 14023,
  IDC_COOLANT_OUTPUT = 14024,
  IDC_COOLANT_LEVEL = 14025,
  IDC_FEED_UNITS = 14026,
  IDC_TRAVERSE_UNITS = 14027,
  IDC_UNITS = 14028,
  IDC_DIRECTION = 14029,
  IDC_HELP_BUTTON = 57671,
  IDS_CANNOT_OPEN = 20001,
  IDH_IMPORT_GCODE = 4159,
};

// Index of the item whose data is `value`, -1 when there is none.
int FindItemData(CComboBox* combo, int value) {
  if (!combo) return -1;
  for (int i = 0, n = combo->GetCount(); i < n; i++)
    if ((int)combo->GetItemData(i) == value) return i;
  return -1;
}

// A combo whose value is its selected item's data (-1 without selection).
int ExchangeItemData(CDataExchange* pDX, CWnd* dlg, int id, int& value) {
  CChildCombo combo(dlg, id);
  int index = pDX->m_bSaveAndValidate ? -1 : FindItemData(combo, value);
  DDX_CBIndex(pDX, id, index);
  if (pDX->m_bSaveAndValidate) value = (index >= 0 && combo) ? (int)combo->GetItemData(index) : -1;
  return index;
}

void AddItem(CComboBox* combo, const char* text, int data) {
  combo->SetItemData(combo->AddString(text), (DWORD_PTR)(LONG_PTR)data);
}

// Slaves that are set ("None" is -1) must not repeat.
bool Distinct(const int* slaves, int count) {
  for (int i = 0; i < count; i++)
    for (int j = i + 1; j < count; j++)
      if (slaves[i] >= 0 && slaves[i] == slaves[j]) return false;
  return true;
}

}  // namespace

IMPLEMENT_DYNAMIC(CImportGcodeDlg, CDialog)

BEGIN_MESSAGE_MAP(CImportGcodeDlg, CDialog)
ON_BN_CLICKED(IDC_BROWSE, &CImportGcodeDlg::OnBrowse)
ON_BN_CLICKED(IDC_FEED_OVERRIDE, &CImportGcodeDlg::OnFeedOverrideCheck)
ON_BN_CLICKED(IDC_SPEED_OVERRIDE, &CImportGcodeDlg::OnSpeedOverrideCheck)
ON_BN_CLICKED(IDC_CYCLE_START, &CImportGcodeDlg::OnCycleStartCheck)
ON_BN_CLICKED(IDC_COOLANT, &CImportGcodeDlg::OnCoolantValveCheck)
ON_CBN_SELCHANGE(IDC_CYCLE_AXIS, &CImportGcodeDlg::OnCycleStartAxisChange)
ON_CBN_SELCHANGE(IDC_COOLANT_AXIS, &CImportGcodeDlg::OnCoolantAxisChange)
ON_CBN_SELCHANGE(IDC_UNITS, &CImportGcodeDlg::OnUnitsChange)
ON_BN_CLICKED(IDC_HELP_BUTTON, &CImportGcodeDlg::OnHelp)
END_MESSAGE_MAP()

CImportGcodeDlg::CImportGcodeDlg(CMC_Setup* setup, CMC_Motion* motion, CWnd* pParent)
    : CDialog(IDD, pParent), m_pSetup(setup), m_pMotion(motion) {}

CImportGcodeDlg::~CImportGcodeDlg() = default;  // the group deletes the elements nobody took

void CImportGcodeDlg::FillAxisCombo(int id, Slaves kind) {
  CChildCombo combo(this, id);
  if (!combo) return;
  combo->ResetContent();
  if (kind != Slaves::All) AddItem(combo, "None", -1);
  const int count = m_pSetup && m_pMotion ? m_pSetup->GetMotionControllerSlaveCount() : 0;
  for (int i = 0; i < count; i++) {
    CMC_AxisData* axis = m_pMotion->GetMotionControllerSlaveAxis(i);
    CMC_Setup* setup = axis ? axis->GetSetup() : nullptr;
    if (!setup) continue;
    bool listed = true;
    if (kind == Slaves::Linear) listed = setup->HasLinearLoad() != 0;
    if (kind == Slaves::Rotary) listed = setup->HasRotaryLoad() != 0;
    if (kind == Slaves::Spindle) listed = setup->HasRotaryLoad() && setup->GetIntOption("IsClosedSpeed") != 0;
    if (!listed) continue;
    char name[2] = {(char)('A' + i % 26), 0};
    AddItem(combo, name, i);
  }
}

void CImportGcodeDlg::FillPortCombo(int axisId, int portId, int input) {
  CChildCombo ports(this, portId);
  if (!ports) return;
  ports->ResetContent();
  CChildCombo axes(this, axisId);
  const int index = axes ? axes->GetCurSel() : -1;
  const int slave = index >= 0 ? (int)axes->GetItemData(index) : -1;
  CMC_AxisData* axis = slave >= 0 && m_pMotion ? m_pMotion->GetMotionControllerSlaveAxis(slave) : nullptr;
  if (CMC_Setup* setup = axis ? axis->GetSetup() : nullptr) setup->FillIOCombo(*ports, -1, input);
  ports->SetCurSel(-1);
}

BOOL CImportGcodeDlg::OnInitDialog() {
  for (int k = 0; k < 3; k++) FillAxisCombo(IDC_AXIS_X + k, Slaves::Linear);
  FillAxisCombo(IDC_SPINDLE, Slaves::Spindle);
  for (int k = 0; k < 3; k++) FillAxisCombo(IDC_AXIS_A + k, Slaves::Rotary);
  FillAxisCombo(IDC_CYCLE_AXIS, Slaves::All);
  FillAxisCombo(IDC_COOLANT_AXIS, Slaves::All);
  for (int id : {IDC_CYCLE_LEVEL, IDC_COOLANT_LEVEL}) {
    CChildCombo combo(this, id);
    if (!combo) continue;
    AddItem(combo, "low", 0);
    AddItem(combo, "high", 1);
  }
  if (CChildCombo combo(this, IDC_UNITS); combo) {
    AddItem(combo, "inch", 0);
    AddItem(combo, "millimeter", 1);
  }
  if (CChildCombo combo(this, IDC_DIRECTION); combo) {
    AddItem(combo, "clockwise", 0);
    AddItem(combo, "counterclockwise", 1);
  }
  FillPortCombo(IDC_CYCLE_AXIS, IDC_CYCLE_INPUT, TRUE);
  FillPortCombo(IDC_COOLANT_AXIS, IDC_COOLANT_OUTPUT, FALSE);
  BOOL result = CDialog::OnInitDialog();
  EnableControls();
  ShowRateUnits();
  return result;
}

void CImportGcodeDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  tagGcodeSettings& s = m_settings;
  DDX_Text(pDX, IDC_FILE, m_strFile);
  for (int k = 0; k < 3; k++) ExchangeItemData(pDX, this, IDC_AXIS_X + k, s.m_nAxisSlave[k]);
  if (pDX->m_bSaveAndValidate && !Distinct(s.m_nAxisSlave, 3)) {
    AfxMessageBox("The selected linear axes must be distinct.", MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  ExchangeItemData(pDX, this, IDC_SPINDLE, s.m_nSpindleSlave);
  for (int k = 3; k < 6; k++) ExchangeItemData(pDX, this, IDC_AXIS_A + k - 3, s.m_nAxisSlave[k]);
  const int rotational[4] = {s.m_nSpindleSlave, s.m_nAxisSlave[3], s.m_nAxisSlave[4], s.m_nAxisSlave[5]};
  if (pDX->m_bSaveAndValidate && !Distinct(rotational, 4)) {
    AfxMessageBox("The selected rotational axes must be distinct.", MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  DDX_Check(pDX, IDC_BLOCK_DELETE, s.m_bBlockDelete);
  DDX_Check(pDX, IDC_OPTIONAL_STOP, s.m_bOptionalStop);
  DDX_Check(pDX, IDC_FEED_OVERRIDE, s.m_bFeedOverride);
  DDX_Text(pDX, IDC_FEED_PERCENT, s.m_nFeedOverride);
  if (s.m_bFeedOverride) DDV_MinMaxShort(pDX, s.m_nFeedOverride, 1, 100);
  DDX_Check(pDX, IDC_SPEED_OVERRIDE, s.m_bSpeedOverride);
  DDX_Text(pDX, IDC_SPEED_PERCENT, s.m_nSpeedOverride);
  if (s.m_bSpeedOverride) DDV_MinMaxShort(pDX, s.m_nSpeedOverride, 1, 100);

  // A device's axis, line and level must all be chosen while the device is on.
  auto device = [&](int check, BOOL& on, const int (&ids)[3], int* (&values)[3]) {
    DDX_Check(pDX, check, on);
    for (int k = 0; k < 3; k++) {
      const int index = ExchangeItemData(pDX, this, ids[k], *values[k]);
      if (on) DDV_ComboItemNotSelected(pDX, index);
    }
  };
  int* cycle[3] = {&s.m_nCycleStartSlave, &s.m_nCycleStartInput, &s.m_nCycleStartLevel};
  device(IDC_CYCLE_START, s.m_bCycleStart, {IDC_CYCLE_AXIS, IDC_CYCLE_INPUT, IDC_CYCLE_LEVEL}, cycle);
  int* coolant[3] = {&s.m_nCoolantSlave, &s.m_nCoolantOutput, &s.m_nCoolantLevel};
  device(IDC_COOLANT, s.m_bCoolantValve, {IDC_COOLANT_AXIS, IDC_COOLANT_OUTPUT, IDC_COOLANT_LEVEL}, coolant);
  DDV_ComboItemNotSelected(pDX, ExchangeItemData(pDX, this, IDC_UNITS, s.m_nUnits));
  int direction = s.m_nDirection > 0 ? 1 : 0;
  DDV_ComboItemNotSelected(pDX, ExchangeItemData(pDX, this, IDC_DIRECTION, direction));

  DDX_Text(pDX, IDC_TRAVERSE_RATE, s.m_dTraverseRate);
  DDV_MinMaxDouble(pDX, s.m_dTraverseRate, -10000, 10000);
  DDX_Text(pDX, IDC_FEED_RATE, s.m_dFeedRate);
  DDV_MinMaxDouble(pDX, s.m_dFeedRate, -10000, s.m_dTraverseRate);
  DDX_Text(pDX, IDC_SPINDLE_SPEED, s.m_dSpindleSpeed);
  DDV_MinMaxDouble(pDX, s.m_dSpindleSpeed, -100000, 100000);
  if (pDX->m_bSaveAndValidate) s.m_nDirection = direction == 1 ? 1 : -1;
}

void CImportGcodeDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  CString error;
  if (!Run(m_strFile, error)) {
    if (!error.IsEmpty()) AfxMessageBox(error, MB_ICONEXCLAMATION);
    return;
  }
  EndDialog(IDOK);
}

BOOL CImportGcodeDlg::Run(const CString& path, CString& error) {
  error.Empty();
  // A folder is no file, though the C library would open it for reading.
  const DWORD attributes = GetFileAttributes(path);
  FILE* file = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? nullptr
                   : fopen(ResolvePath(path).c_str(), "rb");
  if (!file) {
    ShowKernelMessageAlways(MB_ICONEXCLAMATION, IDS_CANNOT_OPEN, path.GetString());
    return FALSE;
  }
  m_group.DeleteAll();  // what an earlier, failed run left
  m_translator.SetSettings(m_settings);
  m_translator.BeginRun();
  CString line;
  int lineNumber = 0;
  BOOL ok = TRUE;
  while (ok && ReadLine(file, line, lineNumber)) ok = m_translator.TranslateLine(lineNumber, line, error);
  m_translator.EndRun();
  if (file) fclose(file);

  // Each element moves into the group once; the translator's copy is not kept.
  auto& elements = m_translator.GetElements();
  m_group.SetSize(0, (INT_PTR)elements.size());
  for (tagGcodeElement& e : elements) {
    auto* elem = new CMC_MotionElem;
    elem->m_strType = std::move(e.m_strType);
    elem->m_strParameters = std::move(e.m_strParameters);
    m_group.Add(elem);
  }
  elements.clear();
  return ok;
}

void CImportGcodeDlg::OnBrowse() {
  const CString filter = CString("G-code files (*.") + "gnc" + ")|*." + "gnc" + "|All Files (*.*)|*.*||";
  CFileDialog dlg(TRUE, "gnc", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter, this);
  const CString folder = GetArchivesDirectory();
  dlg.m_ofn.lpstrInitialDir = folder;
  if (dlg.DoModal() == IDOK) SetDlgItemText(IDC_FILE, dlg.GetPathName());
}

void CImportGcodeDlg::EnableControls() {
  auto enable = [&](int check, std::initializer_list<int> ids) {
    const bool on = IsDlgButtonChecked(check) == BST_CHECKED;
    for (int id : ids)
      if (CWnd* w = GetDlgItem(id)) w->EnableWindow(on);
  };
  enable(IDC_FEED_OVERRIDE, {IDC_FEED_PERCENT});
  enable(IDC_SPEED_OVERRIDE, {IDC_SPEED_PERCENT});
  enable(IDC_CYCLE_START, {IDC_CYCLE_AXIS, IDC_CYCLE_INPUT, IDC_CYCLE_LEVEL});
  enable(IDC_COOLANT, {IDC_COOLANT_AXIS, IDC_COOLANT_OUTPUT, IDC_COOLANT_LEVEL});
}

void CImportGcodeDlg::OnFeedOverrideCheck() { EnableControls(); }
void CImportGcodeDlg::OnSpeedOverrideCheck() { EnableControls(); }
void CImportGcodeDlg::OnCycleStartCheck() { EnableControls(); }
void CImportGcodeDlg::OnCoolantValveCheck() { EnableControls(); }

void CImportGcodeDlg::OnCycleStartAxisChange() {
  CChildCombo axes(this, IDC_CYCLE_AXIS);
  const int index = axes ? axes->GetCurSel() : -1;
  m_settings.m_nCycleStartSlave = index >= 0 ? (int)axes->GetItemData(index) : -1;
  m_settings.m_nCycleStartInput = -1;
  FillPortCombo(IDC_CYCLE_AXIS, IDC_CYCLE_INPUT, TRUE);
}

void CImportGcodeDlg::OnCoolantAxisChange() {
  CChildCombo axes(this, IDC_COOLANT_AXIS);
  const int index = axes ? axes->GetCurSel() : -1;
  m_settings.m_nCoolantSlave = index >= 0 ? (int)axes->GetItemData(index) : -1;
  m_settings.m_nCoolantOutput = -1;
  FillPortCombo(IDC_COOLANT_AXIS, IDC_COOLANT_OUTPUT, FALSE);
}

void CImportGcodeDlg::ShowRateUnits() {
  const char* text = m_settings.m_nUnits == 0 ? "in/min or deg/min" : "mm/min or deg/min";
  SetDlgItemText(IDC_FEED_UNITS, text);
  SetDlgItemText(IDC_TRAVERSE_UNITS, text);
}

void CImportGcodeDlg::OnUnitsChange() {
  CChildCombo combo(this, IDC_UNITS);
  const int index = combo ? combo->GetCurSel() : -1;
  if (index >= 0) m_settings.m_nUnits = (int)combo->GetItemData(index);
  ShowRateUnits();
}

void CImportGcodeDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, IDH_IMPORT_GCODE); }
