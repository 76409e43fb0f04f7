#include "kernel/dialogs/MC_EditSetupDlg.h"

#include "kernel/dialogs/CANopenFactors.h"
#include "kernel/dialogs/CANopenSettingsDlg.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/setup/SetupStringIds.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>

namespace {

// Shown after the chosen motor's name while the setup differs from it; never part of the name.
const char kModifiedMark[] = " (modified)";

// A combo box object over a dialog control for the length of one call: the control's own object
// when it has one, else a borrowed one.
class ComboOf {
 public:
  ComboOf(const CWnd* parent, UINT id) {
    HWND h = parent->GetSafeHwnd() ? ::GetDlgItem(parent->GetSafeHwnd(), (int)id) : nullptr;
    if (!h) return;
    if (CWnd* w = CWnd::FromHandlePermanent(h)) m_p = dynamic_cast<CComboBox*>(w);
    else if (m_own.Attach(h)) m_p = &m_own;
  }
  ~ComboOf() {
    if (m_p == &m_own) m_own.Detach();
  }
  ComboOf(const ComboOf&) = delete;
  ComboOf& operator=(const ComboOf&) = delete;
  CComboBox* get() const { return m_p; }

 private:
  CComboBox m_own;
  CComboBox* m_p = nullptr;
};

template <class V>
void CheckIndex(const V& v, int index) {
  if (index < 0 || (size_t)index >= v.size()) AfxThrowInvalidArgException();
}

int SliderPosition(double value, double lower, double upper) {
  // Equal bounds (or values that are not numbers) leave the slider at its start.
  double span = upper - lower;
  if (!(span != 0) || !std::isfinite(span) || !std::isfinite(value)) return 0;
  double pos = (value - lower) / span * 100;
  return (int)std::clamp(pos, -1e9, 1e9);
}

struct BaudRate {
  const char* text;
  WORD before3, from3;
};
const BaudRate kBaudRates[] = {
    {"F/W default", 0x0000, 0x0000}, {"125 Kbps", 0xF36C, 0xEF6C}, {"250 Kbps", 0x736C, 0x776C},
    {"500 Kbps", 0x3273, 0x3A73},    {"800 Kbps", 0x412A, 0xFFFF}, {"1 Mbps", 0x1273, 0x2652},
};

const UINT kMotorControls[] = {CMC_EditSetupDlg::IDC_MOTOR_DATABASE, CMC_EditSetupDlg::IDC_MOTOR_NAME,
                               CMC_EditSetupDlg::IDC_MOTOR_LABEL1,   CMC_EditSetupDlg::IDC_MOTOR_LABEL2,
                               CMC_EditSetupDlg::IDC_MOTOR_SAVE,     CMC_EditSetupDlg::IDC_MOTOR_DELETE,
                               0};
const UINT kCANControls[] = {CMC_EditSetupDlg::IDC_CAN_LABEL1, CMC_EditSetupDlg::IDC_CAN_LABEL2,
                             CMC_EditSetupDlg::IDC_CAN_BAUDRATE, 0};

}  // namespace

DWORD Compute_ADCMaxValue(CMC_Setup* setup) {
  double r = 1024;
  if (setup) {
    CQuietErrors quiet;
    if (CMC_Parameter* p = setup->FindParameter("ADCResolution")) r = p->GetValue();
  }
  if (!(r > 0) || !std::isfinite(r)) r = 1024;
  long bits = std::lround(std::log(r) / std::log(2.0));
  bits = std::clamp(bits, 0L, 16L);
  return (DWORD)(65536 - (1L << (16 - bits)));
}

IMPLEMENT_DYNAMIC(CMC_EditSetupDlg, CDialog)

BEGIN_MESSAGE_MAP(CMC_EditSetupDlg, CDialog)
ON_BN_CLICKED(CMC_EditSetupDlg::IDC_GUIDE_PREV, &CMC_EditSetupDlg::OnBtnPrevGuidelineAssistant)
ON_BN_CLICKED(CMC_EditSetupDlg::IDC_GUIDE_NEXT, &CMC_EditSetupDlg::OnBtnNextGuidelineAssistant)
ON_CBN_SELCHANGE(CMC_EditSetupDlg::IDC_MOTOR_DATABASE, &CMC_EditSetupDlg::OnChangeMotorDatabaseSelection)
ON_CBN_SELCHANGE(CMC_EditSetupDlg::IDC_MOTOR_NAME, &CMC_EditSetupDlg::OnChangeMotorNameSelection)
ON_CBN_EDITCHANGE(CMC_EditSetupDlg::IDC_MOTOR_NAME, &CMC_EditSetupDlg::OnEditChangeMotorName)
ON_BN_CLICKED(CMC_EditSetupDlg::IDC_MOTOR_SAVE, &CMC_EditSetupDlg::OnBtnSaveMotor)
ON_BN_CLICKED(CMC_EditSetupDlg::IDC_MOTOR_DELETE, &CMC_EditSetupDlg::OnBtnDeleteMotor)
ON_CBN_SELCHANGE(CMC_EditSetupDlg::IDC_CAN_BAUDRATE, &CMC_EditSetupDlg::OnChangeCANBaudrate)
ON_BN_CLICKED(CMC_EditSetupDlg::IDC_CAN_SETTINGS, &CMC_EditSetupDlg::OnBtnCANopenSettings)
ON_COMMAND(ID_DEFAULT_HELP, &CMC_EditSetupDlg::OnDefaultHelp)
END_MESSAGE_MAP()

CMC_EditSetupDlg::CMC_EditSetupDlg(CMC_Setup& setup, UINT templateId, BOOL backup, const char** guidelines,
                                   CWnd* parent)
    : CDialog(),
      m_arrBackup(TRUE),
      m_ppGuidelines(guidelines),
      m_rSetup(setup),
      m_bBackup(backup),
      m_nModuleTemplate(templateId) {
  m_pParentWnd = parent;
  if (templateId) {
    // The page's template is the GUI module's, never one of the kernel's with the same id.
    m_lpszTemplateName = MAKEINTRESOURCE(templateId);
    m_lpDialogTemplate = FindDialogTemplate(setup.GetGuiModule(), MAKEINTRESOURCE(templateId));
  }
  if (backup) setup.BackupParameters(m_arrBackup);
}

CMC_EditSetupDlg::~CMC_EditSetupDlg() = default;

INT_PTR CMC_EditSetupDlg::DoModal() {
  // A template the module lacks is never taken from the kernel under the same id.
  INT_PTR result = m_nModuleTemplate && !m_lpDialogTemplate ? -1 : CDialog::DoModal();
  if (result != IDOK && m_bBackup) {
    m_rSetup.RestoreParameters(m_arrBackup);
    if (m_nMotorEditorMode == 2) {
      m_rSetup.SetOption("DatabaseName", m_strSavedDatabaseName);
      m_rSetup.SetOption("MotorName", m_strSavedMotorName);
    }
  }
  return result;
}

void CMC_EditSetupDlg::OnChangedParameterValue(const char*) {
  if (m_nMotorEditorMode != 2 || !m_chosenMotor.IsValid()) return;
  CString motor = m_rSetup.GetOptionNoError("MotorName");
  if (motor.IsEmpty()) return;
  if (m_chosenMotor.IsSetupModified(&m_rSetup)) motor += kModifiedMark;
  SetMotorNameText(motor);
}

void CMC_EditSetupDlg::OnChangedParameterUnit(const char*) {}
void CMC_EditSetupDlg::OnRefreshParameterValue(const char*) {}

// ---- Bindings --------------------------------------------------------------------------------------

void CMC_EditSetupDlg::AddParameterControls(const char* name, UINT editId, UINT unitId) {
  if (!m_rSetup.FindParameter(name)) return;
  m_arrEdit.push_back({name, editId, unitId});
}

void CMC_EditSetupDlg::AddUserParameterControls(CMC_Parameter* parameter, UINT editId, UINT unitId) {
  if (parameter) m_arrUser.push_back({parameter, editId, unitId});
}

void CMC_EditSetupDlg::AddCheckParameterControls(const char* name, UINT checkId) {
  if (m_rSetup.FindParameter(name)) m_arrCheck.push_back({name, checkId});
}

void CMC_EditSetupDlg::AddSwitchParameterControls(const char* name, UINT comboId) {
  if (m_rSetup.FindParameter(name)) m_arrSwitch.push_back({name, 0, 0, comboId});
}

void CMC_EditSetupDlg::AddSwitchParameterControls(const char* name, UINT firstId, UINT lastId) {
  if (firstId <= lastId && m_rSetup.FindParameter(name)) m_arrSwitch.push_back({name, firstId, lastId, 0});
}

void CMC_EditSetupDlg::AddSliderParameterControls(const char* name, UINT sliderId, UINT editId, UINT unitId,
                                                  UINT lowerSpinId, UINT upperSpinId, double min, double max) {
  CMC_Parameter* p = m_rSetup.FindParameter(name);
  if (!p || !sliderId) return;
  if (min < max) {
    p->BaseUnitToIU(min);
    p->BaseUnitToIU(max);
  } else {
    min = p->GetMinInInternalUnit();
    max = p->GetMaxInInternalUnit();
  }
  m_arrSlider.push_back({name, sliderId, editId, unitId, lowerSpinId, upperSpinId, min, max});
}

// ---- Refresh ---------------------------------------------------------------------------------------

void CMC_EditSetupDlg::SetEditText(UINT id, const CString& text) {
  if (!id || !GetSafeHwnd() || !::GetDlgItem(m_hWnd, (int)id)) return;
  int saved = m_bNotify;
  m_bNotify = 0;
  ::SetDlgItemText(m_hWnd, (int)id, text);
  m_bNotify = saved;
}

void CMC_EditSetupDlg::RefreshUnitControl(CMC_Parameter* p, UINT unitId) {
  HWND h = unitId && GetSafeHwnd() ? ::GetDlgItem(m_hWnd, (int)unitId) : nullptr;
  if (!h) return;
  char cls[64] = "";
  ::GetClassName(h, cls, sizeof cls);
  CString lower(cls);
  lower.MakeLower();
  if (lower.Find("combo") >= 0) {
    ComboOf combo(this, unitId);
    int saved = m_bNotify;
    m_bNotify = 0;
    m_rSetup.FillUnitCombo(combo.get(), p->GetUnitName(), 0);
    m_bNotify = saved;
  } else {
    SetEditText(unitId, CMC_Units::IsInternalUnit(p->GetUnitName()) ? CString("IU") : p->GetUnitName());
  }
}

void CMC_EditSetupDlg::RefreshEdit(CMC_Parameter* p, UINT editId, UINT unitId) {
  SetEditText(editId, p->PrintValue());
  RefreshUnitControl(p, unitId);
}

void CMC_EditSetupDlg::RefreshParameterControls(int index) {
  CheckIndex(m_arrEdit, index);
  const EditBinding& b = m_arrEdit[index];
  if (CMC_Parameter* p = m_rSetup.FindParameter(b.name)) RefreshEdit(p, b.editId, b.unitId);
}

void CMC_EditSetupDlg::RefreshUserParameterControls(int index) {
  CheckIndex(m_arrUser, index);
  RefreshEdit(m_arrUser[index].parameter, m_arrUser[index].editId, m_arrUser[index].unitId);
}

void CMC_EditSetupDlg::RefreshCheckParameterControls(int index) {
  CheckIndex(m_arrCheck, index);
  CMC_Parameter* p = m_rSetup.FindParameter(m_arrCheck[index].name);
  if (p && GetSafeHwnd()) ::CheckDlgButton(m_hWnd, (int)m_arrCheck[index].checkId, (UINT)(int)p->GetValue());
}

void CMC_EditSetupDlg::RefreshSwitchParameterControls(int index) {
  CheckIndex(m_arrSwitch, index);
  const SwitchBinding& b = m_arrSwitch[index];
  CMC_Parameter* p = m_rSetup.FindParameter(b.name);
  if (!p || !GetSafeHwnd()) return;
  double v = p->GetValue();
  if (b.comboId) {
    ComboOf combo(this, b.comboId);
    if (!combo.get()) return;
    int select = -1;
    for (int i = 0; i < combo.get()->GetCount() && select < 0; ++i)
      if ((double)(LONG_PTR)combo.get()->GetItemData(i) == v) select = i;
    combo.get()->SetCurSel(select);
  } else if (v >= 0 && v <= (double)(b.lastId - b.firstId)) {
    ::CheckRadioButton(m_hWnd, (int)b.firstId, (int)b.lastId, (int)(b.firstId + (UINT)v));
  }
}

void CMC_EditSetupDlg::PositionSlider(const SliderBinding& b, CMC_Parameter* p) {
  if (HWND h = GetSafeHwnd() ? ::GetDlgItem(m_hWnd, (int)b.sliderId) : nullptr)
    ::SendMessage(h, TBM_SETPOS, TRUE, SliderPosition(p->GetValueInInternalUnit(), b.lower, b.upper));
}

void CMC_EditSetupDlg::RefreshSliderParameterControls(int index, BOOL init) {
  CheckIndex(m_arrSlider, index);
  const SliderBinding& b = m_arrSlider[index];
  CMC_Parameter* p = m_rSetup.FindParameter(b.name);
  if (!p || !GetSafeHwnd()) return;
  if (init) {
    HWND lower = b.lowerSpinId ? ::GetDlgItem(m_hWnd, (int)b.lowerSpinId) : nullptr;
    HWND upper = b.upperSpinId ? ::GetDlgItem(m_hWnd, (int)b.upperSpinId) : nullptr;
    if (lower && upper) {
      for (HWND spin : {lower, upper}) {
        ::SendMessage(spin, UDM_SETRANGE32, (WPARAM)-1, 1);
        ::SendMessage(spin, UDM_SETPOS32, 0, 0);
      }
    }
    if (HWND slider = ::GetDlgItem(m_hWnd, (int)b.sliderId)) {
      ::SendMessage(slider, TBM_SETRANGEMIN, FALSE, 0);
      ::SendMessage(slider, TBM_SETRANGEMAX, TRUE, 100);
      ::SendMessage(slider, TBM_SETPAGESIZE, 0, 10);
      ::SendMessage(slider, TBM_SETTICFREQ, 10, 0);
      ::SendMessage(slider, TBM_SETLINESIZE, 0, 1);
    }
  }
  RefreshEdit(p, b.editId, b.unitId);
  PositionSlider(b, p);
}

void CMC_EditSetupDlg::RefreshParameterControls(const char* name) {
  if (!name) return;
  for (size_t i = 0; i < m_arrEdit.size(); ++i)
    if (m_arrEdit[i].name.CompareNoCase(name) == 0) RefreshParameterControls((int)i);
  for (size_t i = 0; i < m_arrUser.size(); ++i)
    if (m_arrUser[i].parameter->GetName().CompareNoCase(name) == 0) RefreshUserParameterControls((int)i);
  for (size_t i = 0; i < m_arrCheck.size(); ++i)
    if (m_arrCheck[i].name.CompareNoCase(name) == 0) RefreshCheckParameterControls((int)i);
  for (size_t i = 0; i < m_arrSwitch.size(); ++i)
    if (m_arrSwitch[i].name.CompareNoCase(name) == 0) RefreshSwitchParameterControls((int)i);
  for (size_t i = 0; i < m_arrSlider.size(); ++i)
    if (m_arrSlider[i].name.CompareNoCase(name) == 0) RefreshSliderParameterControls((int)i, FALSE);
}

void CMC_EditSetupDlg::RefreshAllParameters(BOOL init) {
  for (size_t i = 0; i < m_arrEdit.size(); ++i) RefreshParameterControls((int)i);
  for (size_t i = 0; i < m_arrUser.size(); ++i) RefreshUserParameterControls((int)i);
  for (size_t i = 0; i < m_arrCheck.size(); ++i) RefreshCheckParameterControls((int)i);
  for (size_t i = 0; i < m_arrSwitch.size(); ++i) RefreshSwitchParameterControls((int)i);
  for (size_t i = 0; i < m_arrSlider.size(); ++i) RefreshSliderParameterControls((int)i, init);
}

void CMC_EditSetupDlg::RefreshAllParametersWithCompatibleUnits(const char* unit) {
  CMC_Unit* u = unit ? m_rSetup.GetUnits().FindUnit(unit) : nullptr;
  if (!u) return;
  const int type = (int)u->GetUnitType();
  auto same = [&](CMC_Parameter* p) { return p && p->GetUnitType() == type; };
  for (size_t i = 0; i < m_arrEdit.size(); ++i)
    if (same(m_rSetup.FindParameter(m_arrEdit[i].name))) RefreshParameterControls((int)i);
  for (size_t i = 0; i < m_arrUser.size(); ++i)
    if (same(m_arrUser[i].parameter)) RefreshUserParameterControls((int)i);
  for (size_t i = 0; i < m_arrCheck.size(); ++i)
    if (same(m_rSetup.FindParameter(m_arrCheck[i].name))) RefreshCheckParameterControls((int)i);
  for (size_t i = 0; i < m_arrSwitch.size(); ++i)
    if (same(m_rSetup.FindParameter(m_arrSwitch[i].name))) RefreshSwitchParameterControls((int)i);
  for (size_t i = 0; i < m_arrSlider.size(); ++i)
    if (same(m_rSetup.FindParameter(m_arrSlider[i].name))) RefreshSliderParameterControls((int)i, FALSE);
}

// ---- Controls --------------------------------------------------------------------------------------

void CMC_EditSetupDlg::EnableChild(UINT id, BOOL enable, BOOL clear) {
  HWND h = GetSafeHwnd() ? ::GetDlgItem(m_hWnd, (int)id) : nullptr;
  if (!h) return;
  EnableDialogControl(h, enable);
  if (!enable && clear) SetChildText(id, "");
}

void CMC_EditSetupDlg::EnableChildren(const UINT* ids, BOOL enable, BOOL clear) {
  for (; ids && *ids; ++ids) EnableChild(*ids, enable, clear);
}

void CMC_EditSetupDlg::ShowChild(UINT id, BOOL show) {
  if (HWND h = GetSafeHwnd() ? ::GetDlgItem(m_hWnd, (int)id) : nullptr) ::ShowWindow(h, show ? SW_SHOW : SW_HIDE);
}

void CMC_EditSetupDlg::ShowChildren(const UINT* ids, BOOL show) {
  for (; ids && *ids; ++ids) ShowChild(*ids, show);
}

void CMC_EditSetupDlg::EnableGroupControls(UINT groupId, BOOL enable) {
  HWND group = GetSafeHwnd() ? ::GetDlgItem(m_hWnd, (int)groupId) : nullptr;
  if (!group) return;
  RECT area;
  ::GetWindowRect(group, &area);
  ++area.right;
  ++area.bottom;
  auto inside = [&](POINT p) { return p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom; };
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    ::GetWindowRect(child, &r);
    if (inside({r.left, r.top}) && inside({r.right, r.bottom})) EnableDialogControl(child, enable);
  }
}

void CMC_EditSetupDlg::SetChildText(UINT id, const char* text) { SetEditText(id, text ? text : ""); }

void CMC_EditSetupDlg::SetChildReadOnly(UINT id, BOOL readOnly) {
  if (HWND h = GetSafeHwnd() ? ::GetDlgItem(m_hWnd, (int)id) : nullptr) ::SendMessage(h, EM_SETREADONLY, readOnly, 0);
}

void CMC_EditSetupDlg::SetChildIcon(UINT id, const char* name) {
  HWND h = GetSafeHwnd() && name ? ::GetDlgItem(m_hWnd, (int)id) : nullptr;
  if (!h) return;
  if (HICON icon = ::LoadIcon(AfxFindResourceHandle(name, RT_GROUP_ICON), name))
    ::SendMessage(h, STM_SETICON, (WPARAM)icon, 0);
}

void CMC_EditSetupDlg::SetButtonImage(UINT id, const char* name) {
  HWND h = GetSafeHwnd() && name ? ::GetDlgItem(m_hWnd, (int)id) : nullptr;
  if (!h) return;
  HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
  HRSRC res = FindResource(module, name, RT_BITMAP);
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  const BYTE* bytes = data ? (const BYTE*)LockResource(data) : nullptr;
  if (!bytes) return;
  if (HBITMAP bitmap = CreateBitmapFromBytes(bytes, SizeofResource(module, res))) {
    MapBitmap3DColors(bitmap);
    ::SendMessage(h, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bitmap);
  }
}

void CMC_EditSetupDlg::SetChildFontToBold(UINT id) {
  CWnd* child = GetSafeHwnd() ? GetDlgItem((int)id) : nullptr;
  CFont* font = child ? child->GetFont() : nullptr;
  LOGFONT lf{};
  if (!font || !font->GetLogFont(&lf) || lf.lfWeight == FW_BOLD) return;
  lf.lfWeight = FW_BOLD;
  auto bold = std::make_unique<CFont>();
  if (!bold->CreateFontIndirect(&lf)) return;
  child->SetFont(bold.get());
  m_boldFonts.push_back(std::move(bold));
}

// ---- Guideline assistant ---------------------------------------------------------------------------

void CMC_EditSetupDlg::SetGuidelineAssistantText(const char** texts) {
  m_ppGuidelines = texts;
  m_nGuideline = 0;
  UpdateGuidelineAssistant();
}

void CMC_EditSetupDlg::UpdateGuidelineAssistant() {
  if (!m_ppGuidelines || m_nGuideline < 0) return;
  const char* current = m_ppGuidelines[m_nGuideline];
  EnableChild(IDC_GUIDE_PREV, m_nGuideline >= 1);
  EnableChild(IDC_GUIDE_NEXT, current && m_ppGuidelines[m_nGuideline + 1]);
  SetChildText(IDC_GUIDE_TEXT, current ? current : "");
}

void CMC_EditSetupDlg::OnBtnPrevGuidelineAssistant() {
  if (m_ppGuidelines && m_nGuideline >= 1) --m_nGuideline;
  UpdateGuidelineAssistant();
}

void CMC_EditSetupDlg::OnBtnNextGuidelineAssistant() {
  // Never beyond the last text, whatever sent the click.
  if (m_ppGuidelines && m_ppGuidelines[m_nGuideline] && m_ppGuidelines[m_nGuideline + 1]) ++m_nGuideline;
  UpdateGuidelineAssistant();
}

// ---- Framework -------------------------------------------------------------------------------------

BOOL CMC_EditSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  RefreshAllParameters(TRUE);
  UpdateGuidelineAssistant();
  if (m_nMotorEditorMode) {
    EnableChildren(kMotorControls, m_nMotorEditorMode == 2);
    if (m_nMotorEditorMode == 2) {
      m_comboMotorDatabase.SubclassDlgItem(IDC_MOTOR_DATABASE, this);
      m_comboMotorName.SubclassDlgItem(IDC_MOTOR_NAME, this);
      FillMotorDatabaseCombo();
      FillMotorNameCombo();
    }
  }
  if (m_bCAN) {
    CMC_Parameter* table;
    {
      CQuietErrors quiet;
      table = m_rSetup.FindParameter("CBR_table");
    }
    m_bCAN = table != nullptr;
    ShowChildren(kCANControls, m_bCAN);
    ShowChild(IDC_CAN_SETTINGS, m_bCAN && HasCANopenFactorGroups(&m_rSetup));
    if (table) {
      m_comboCANBaudrate.SubclassDlgItem(IDC_CAN_BAUDRATE, this);
      FillCANBaudrateCombo(table);
    }
  }
  return TRUE;
}

void CMC_EditSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  if (pDX->m_bSaveAndValidate) return;
  if (CFrameWnd* frame = GetParentFrame()) frame->PostMessage(WM_MC_PAGE_LOADED, 0, 0);
}

bool CMC_EditSetupDlg::HandleEditCommand(UINT id, UINT code) {
  CMC_Parameter* p = nullptr;
  CString name;
  const SliderBinding* slider = nullptr;
  for (size_t i = m_arrEdit.size(); i-- > 0 && !p;)
    if (m_arrEdit[i].editId == id && (p = m_rSetup.FindParameter(m_arrEdit[i].name))) name = m_arrEdit[i].name;
  for (size_t i = m_arrSlider.size(); i-- > 0 && !p;)
    if (m_arrSlider[i].editId == id && (p = m_rSetup.FindParameter(m_arrSlider[i].name))) {
      name = m_arrSlider[i].name;
      slider = &m_arrSlider[i];
    }
  for (size_t i = m_arrUser.size(); i-- > 0 && !p;)
    if (m_arrUser[i].editId == id) {
      p = m_arrUser[i].parameter;
      name = p->GetName();
    }
  if (!p) return false;
  if (code == EN_CHANGE) {
    CString text;
    GetDlgItemText((int)id, text);
    double before = p->GetValueInInternalUnit();
    if (p->ScanValue(text) && p->GetValueInInternalUnit() != before) {
      if (slider) PositionSlider(*slider, p);
      OnChangedParameterValue(name);
    }
  } else {
    SetEditText(id, p->PrintValue());
    OnRefreshParameterValue(name);
  }
  return true;
}

bool CMC_EditSetupDlg::HandleUnitCommand(UINT id) {
  CMC_Parameter* p = nullptr;
  UINT editId = 0;
  for (size_t i = m_arrEdit.size(); i-- > 0 && !p;)
    if (m_arrEdit[i].unitId == id && (p = m_rSetup.FindParameter(m_arrEdit[i].name))) editId = m_arrEdit[i].editId;
  for (size_t i = m_arrSlider.size(); i-- > 0 && !p;)
    if (m_arrSlider[i].unitId == id && (p = m_rSetup.FindParameter(m_arrSlider[i].name)))
      editId = m_arrSlider[i].editId;
  for (size_t i = m_arrUser.size(); i-- > 0 && !p;)
    if (m_arrUser[i].unitId == id) {
      p = m_arrUser[i].parameter;
      editId = m_arrUser[i].editId;
    }
  ComboOf combo(this, id);
  if (!p || !combo.get()) return false;
  int sel = combo.get()->GetCurSel();
  if (sel < 0) return true;
  CString unit;
  if (CMC_Setup::IsInternalUnit(combo.get(), sel)) {
    if (!p->HasSelectedUnit()) return true;  // already internal
    unit = "\\" + p->GetUnitName();
  } else {
    combo.get()->GetLBText(sel, unit);
  }
  CString name = p->GetName();
  if (p->ChangeUnit(unit)) {
    SetEditText(editId, p->PrintValue());
    OnChangedParameterUnit(name);
  }
  return true;
}

bool CMC_EditSetupDlg::SetFromControl(CMC_Parameter* p, double value) {
  if (p->GetValue() == value) return true;
  CString name = p->GetName();
  p->SetValue(value);
  OnChangedParameterValue(name);
  OnRefreshParameterValue(name);
  return true;
}

bool CMC_EditSetupDlg::HandleSwitchCombo(UINT id) {
  for (size_t i = m_arrSwitch.size(); i-- > 0;) {
    const SwitchBinding& b = m_arrSwitch[i];
    if (!b.comboId || b.comboId != id) continue;
    CMC_Parameter* p = m_rSetup.FindParameter(b.name);
    ComboOf combo(this, id);
    if (!p || !combo.get()) continue;
    int sel = combo.get()->GetCurSel();
    if (sel < 0) return true;
    return SetFromControl(p, (double)(LONG_PTR)combo.get()->GetItemData(sel));
  }
  return false;
}

bool CMC_EditSetupDlg::HandleButtonClick(UINT id) {
  for (size_t i = m_arrSwitch.size(); i-- > 0;) {
    const SwitchBinding& b = m_arrSwitch[i];
    if (b.comboId || id < b.firstId || id > b.lastId) continue;
    if (CMC_Parameter* p = m_rSetup.FindParameter(b.name)) return SetFromControl(p, (double)(id - b.firstId));
  }
  for (size_t i = m_arrCheck.size(); i-- > 0;) {
    if (m_arrCheck[i].checkId != id) continue;
    if (CMC_Parameter* p = m_rSetup.FindParameter(m_arrCheck[i].name))
      return SetFromControl(p, ::IsDlgButtonChecked(m_hWnd, (int)id) ? 1.0 : 0.0);
  }
  return false;
}

BOOL CMC_EditSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT code = HIWORD(wParam), id = LOWORD(wParam);
  if (code == EN_CHANGE && !m_bNotify) return CDialog::OnCommand(wParam, lParam);
  int saved = m_bNotify;
  m_bNotify = 0;
  bool handled = false;
  if (lParam && (code == EN_CHANGE || code == EN_KILLFOCUS)) handled = HandleEditCommand(id, code);
  else if (lParam && code == CBN_SELENDOK) handled = HandleSwitchCombo(id) || HandleUnitCommand(id);
  else if (code == BN_CLICKED) handled = HandleButtonClick(id);
  BOOL framework = CDialog::OnCommand(wParam, lParam);
  m_bNotify = saved;
  return handled || framework;
}

void CMC_EditSetupDlg::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
  CDialog::OnHScroll(code, pos, bar);
  if (code == TB_ENDTRACK || code == TB_THUMBPOSITION || !bar) return;
  UINT id = (UINT)bar->GetDlgCtrlID();
  for (size_t i = m_arrSlider.size(); i-- > 0;) {
    SliderBinding& b = m_arrSlider[i];
    CMC_Parameter* p = b.sliderId == id ? m_rSetup.FindParameter(b.name) : nullptr;
    if (!p) continue;
    int position = (int)::SendMessage(bar->GetSafeHwnd(), TBM_GETPOS, 0, 0);
    double v = b.lower + (b.upper - b.lower) * position / 100;
    if (v != p->GetValueInInternalUnit()) {
      CString name = b.name;
      p->SetValueInInternalUnit(v);
      SetEditText(b.editId, p->PrintValue());
      OnChangedParameterValue(name);
      OnRefreshParameterValue(name);
    }
    return;
  }
}

void CMC_EditSetupDlg::OnVScroll(UINT code, UINT pos, CScrollBar* bar) { OnHScroll(code, pos, bar); }

BOOL CMC_EditSetupDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  NMHDR* hdr = (NMHDR*)lParam;
  if (pResult) *pResult = 1;
  if (!hdr || hdr->code != (UINT)UDN_DELTAPOS) return CDialog::OnNotify(wParam, lParam, pResult);
  const UINT id = (UINT)hdr->idFrom;
  const int d = ((NMUPDOWN*)lParam)->iDelta;
  for (size_t i = m_arrSlider.size(); i-- > 0;) {
    SliderBinding& b = m_arrSlider[i];
    if (b.lowerSpinId != id && b.upperSpinId != id) continue;
    CMC_Parameter* p = m_rSetup.FindParameter(b.name);
    if (!p) continue;
    const double v = p->GetValueInInternalUnit(), pmin = p->GetMinInInternalUnit(), pmax = p->GetMaxInInternalUnit();
    double& lo = b.lower;
    double& hi = b.upper;
    if (b.lowerSpinId == id) {
      if (d > 0) {
        lo = (lo + hi) / 2;
        if (lo >= hi - 0.001) lo = hi - 0.001;
        if (lo >= v) lo = v;
      } else if (d < 0) {
        lo = 2 * lo - hi;
        if (lo <= pmin) lo = pmin;
      }
    } else {
      if (d >= 1) {
        hi = 2 * hi - lo;
        if (hi >= pmax) hi = pmax;
      } else if (d < 0) {
        hi = (hi + lo) / 2;
        if (hi <= lo + 0.001) hi = lo + 0.001;
        if (hi <= v) hi = v;
      }
    }
    PositionSlider(b, p);
    break;
  }
  if (pResult) *pResult = 1;
  CDialog::OnNotify(wParam, lParam, pResult);
  if (pResult) *pResult = 1;
  return TRUE;
}

BOOL CMC_EditSetupDlg::OnHelpInfo(HELPINFO*) {
  PostMessage(WM_COMMAND, IDC_PAGE_HELP, 0);
  return TRUE;
}

void CMC_EditSetupDlg::OnDefaultHelp() { PostMessage(WM_COMMAND, IDC_PAGE_HELP, 0); }

// ---- Motor editor ----------------------------------------------------------------------------------

void CMC_EditSetupDlg::InitializeMotorEditor() {
  if (m_referenceMotor.ReadFromSetup(&m_rSetup, TRUE)) {
    m_nMotorEditorMode = 2;
    m_strSavedDatabaseName = m_rSetup.GetOptionNoError("DatabaseName");
    m_strSavedMotorName = m_rSetup.GetOptionNoError("MotorName");
  } else {
    m_nMotorEditorMode = 1;
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_MOTOR_NO_REFERENCE);
  }
}

bool CMC_EditSetupDlg::IsUserDatabase() const {
  return m_rSetup.GetOptionNoError("DatabaseName").CompareNoCase(CMotor::GetUserDatabase()) == 0;
}

void CMC_EditSetupDlg::SetMotorNameText(const CString& text) {
  if (!m_comboMotorName.GetSafeHwnd()) return;
  int saved = m_bNotify;
  m_bNotify = 0;
  m_comboMotorName.SetWindowText(text);
  m_bNotify = saved;
}

void CMC_EditSetupDlg::EnableMotorButtons(bool save, bool del) {
  EnableChild(IDC_MOTOR_SAVE, save);
  EnableChild(IDC_MOTOR_DELETE, del);
}

namespace {

// Fills a sorted list and selects the entry equal to `current` (any case), or none.
int FillSorted(CComboBox& combo, const CStringArray& names, const CString& current) {
  combo.ResetContent();
  int match = -1;
  for (int i = 0; i < names.GetSize(); ++i) {
    int at = combo.AddString(names[i]);
    if (at < 0) continue;
    if (match >= 0 && at <= match) ++match;
    else if (match < 0 && names[i].CompareNoCase(current) == 0) match = at;
  }
  combo.SetCurSel(match);
  return match;
}

}  // namespace

void CMC_EditSetupDlg::FillMotorDatabaseCombo() {
  if (!m_comboMotorDatabase.GetSafeHwnd()) return;
  CStringArray names;
  m_referenceMotor.GetDatabasesWithCompatibleMotors(names);
  if (FillSorted(m_comboMotorDatabase, names, m_rSetup.GetOptionNoError("DatabaseName")) < 0)
    m_rSetup.SetOption("DatabaseName", "");
}

void CMC_EditSetupDlg::FillMotorNameCombo() {
  if (!m_comboMotorName.GetSafeHwnd()) return;
  CString database = m_rSetup.GetOptionNoError("DatabaseName");
  m_comboMotorName.ResetContent();
  if (!database.IsEmpty()) {
    CStringArray names;
    m_referenceMotor.GetCompatibleMotorsFromDatabase(database, names);
    CString motor = m_rSetup.GetOptionNoError("MotorName");
    if (FillSorted(m_comboMotorName, names, motor) >= 0 && m_chosenMotor.ReadFromDatabase(database, motor, FALSE)) {
      SetMotorNameText(m_chosenMotor.IsSetupModified(&m_rSetup) ? motor + kModifiedMark : motor);
      EnableMotorButtons(true, IsUserDatabase());
      return;
    }
  }
  m_rSetup.SetOption("MotorName", "");
  m_chosenMotor.Cleanup();
  SetMotorNameText("");
  if (!database.IsEmpty()) EnableMotorButtons(false, false);
}

void CMC_EditSetupDlg::OnChangeMotorDatabaseSelection() {
  if (m_nMotorEditorMode != 2) return;
  int sel = m_comboMotorDatabase.GetCurSel();
  if (sel < 0) return;
  CString name;
  m_comboMotorDatabase.GetLBText(sel, name);
  if (name.CompareNoCase(m_rSetup.GetOptionNoError("DatabaseName")) == 0) return;
  m_rSetup.SetOption("DatabaseName", name);
  m_rSetup.SetOption("MotorName", "");
  FillMotorNameCombo();
}

void CMC_EditSetupDlg::OnChangeMotorNameSelection() {
  if (m_nMotorEditorMode != 2) return;
  int sel = m_comboMotorName.GetCurSel();
  CString name;
  if (sel >= 0) m_comboMotorName.GetLBText(sel, name);
  if (sel >= 0 && m_chosenMotor.ReadFromDatabase(m_rSetup.GetOptionNoError("DatabaseName"), name, FALSE)) {
    m_chosenMotor.WriteToSetup(&m_rSetup);
    m_rSetup.SetOption("MotorName", name);
    SetMotorNameText(name);
    RefreshAllParameters(FALSE);
    UpdateData(FALSE);
    EnableMotorButtons(true, IsUserDatabase());
  } else {
    m_rSetup.SetOption("MotorName", "");
    SetMotorNameText("");
    EnableMotorButtons(false, false);
  }
}

void CMC_EditSetupDlg::OnEditChangeMotorName() {
  if (m_nMotorEditorMode != 2) return;
  CString text;
  m_comboMotorName.GetWindowText(text);
  EnableMotorButtons(!text.IsEmpty(), !text.IsEmpty() && IsUserDatabase());
}

CString CMC_EditSetupDlg::TypedMotorName() const {
  CString name;
  m_comboMotorName.GetWindowText(name);
  const CString chosen = m_rSetup.GetOptionNoError("MotorName");
  return !chosen.IsEmpty() && name == chosen + kModifiedMark ? chosen : name;
}

void CMC_EditSetupDlg::OnBtnSaveMotor() {
  if (m_nMotorEditorMode != 2) return;
  CString name = TypedMotorName();
  if (name.IsEmpty()) return;
  CMotor motor;
  if (!motor.ReadFromSetup(&m_rSetup, FALSE) || !motor.WriteToUserDatabase(name)) return;
  m_rSetup.SetOption("DatabaseName", CMotor::GetUserDatabase());
  m_rSetup.SetOption("MotorName", name);
  FillMotorDatabaseCombo();
  FillMotorNameCombo();
}

void CMC_EditSetupDlg::OnBtnDeleteMotor() {
  if (m_nMotorEditorMode != 2) return;
  CString name = TypedMotorName();
  if (!name.IsEmpty() && CMotor::DeleteFromUserDatabase(name)) FillMotorNameCombo();
}

// ---- CAN -------------------------------------------------------------------------------------------

void CMC_EditSetupDlg::FillCANBaudrateCombo(CMC_Parameter* p) {
  if (!p || !m_comboCANBaudrate.GetSafeHwnd()) return;
  m_comboCANBaudrate.ResetContent();
  const bool v3 = m_rSetup.GetMCVersion() >= 3;
  const WORD current = (WORD)(long long)p->GetValueInInternalUnit();
  int select = -1;
  for (const BaudRate& b : kBaudRates) {
    WORD code = v3 ? b.from3 : b.before3;
    if (code == 0xFFFF) continue;
    int at = m_comboCANBaudrate.AddString(b.text);
    m_comboCANBaudrate.SetItemData(at, code);
    if (code == current && select < 0) select = at;
  }
  m_comboCANBaudrate.SetCurSel(select);
}

void CMC_EditSetupDlg::OnChangeCANBaudrate() {
  if (!m_bCAN) return;
  int sel = m_comboCANBaudrate.GetCurSel();
  CMC_Parameter* p = m_rSetup.FindParameter("CBR_table");
  if (sel >= 0 && p) p->SetValueInInternalUnit((WORD)m_comboCANBaudrate.GetItemData(sel));
}

void CMC_EditSetupDlg::OnBtnCANopenSettings() {
  if (!m_bCAN) return;
  CCANopenSettingsDlg dlg(m_rSetup, this);
  dlg.DoModal();
  UpdateCANopenFactors(&m_rSetup);
}
