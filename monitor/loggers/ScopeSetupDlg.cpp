#include "monitor/loggers/ScopeSetupDlg.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Unit.h"
#include "kernel/params/MC_Units.h"
#include "kernel/values/QuietErrors.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/ScopeChannelSelectionDlg.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/PropertySheet.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

const UINT kSelectAnItem = 20037;
const DWORD kHelpContext = 4162;
const WORD kNormalSteps[] = {1, 2, 4, 10, 20, 40, 100, 200, 400, 1000, 2000, 4000};
const WORD kAutoWaits[] = {50, 100, 200, 400, 800};

bool Used(const CMC_LoggerItem* item) { return item && item->m_nType != CMC_LoggerItem::ITEM_NONE; }

CString UnitText(const CString& unit) { return unit.IsEmpty() || unit[0] == '\\' ? CString("IU") : unit; }

[[noreturn]] void FailWith(CDataExchange* pDX, int id, UINT type, const char* text) {
  pDX->PrepareCtrl(id);
  AfxMessageBox(text, type);
  pDX->Fail();
}

void FailSelect(CDataExchange* pDX, int id) { FailWith(pDX, id, MB_OK | MB_ICONEXCLAMATION, FormatKernelString(kSelectAnItem)); }

}  // namespace

// ---- Scope accessors kept beside the dialog ---------------------------------------------------------

int CMC_ScopeLogger::Edit(CWnd* parent) {
  CScopeSetupDlg dlg(this, parent);
  return dlg.DoModal() == IDOK;
}

DWORD CMC_ScopeLogger::GetMillisecSinceStop() const { return (DWORD)(GetTickCount() - m_dwEndTick); }

// ---- Texts ------------------------------------------------------------------------------------------

CString CScopeSetupDlg::FormatTime(double seconds, int steps) {
  static const char* const kUnits[] = {"s", "ms", "\xB5s", "ns"};
  int taken = 0;
  if (seconds > 0) {
    const int e = (int)std::floor(std::log10(seconds));
    if (e < 0) {
      const int e3 = (int)std::floor(e / 3.0) * 3;
      taken = std::min(-e3 / 3, steps);
      for (int i = 0; i < taken; ++i) seconds *= 1000;
    }
  }
  CString text;
  text.Format("%lg %s", seconds, kUnits[taken]);
  return text;
}

CString CScopeSetupDlg::FormatUnitsPerDiv(double value, CMC_Setup* setup, const char* unit) {
  const bool internal = !unit || !*unit || CMC_Units::IsInternalUnit(unit);
  CString text;
  if (!(value > 0) || !std::isfinite(value)) {
    // A stored file can hold such a scale: it has no decade to pick a prefix from.
    text.Format("%lg %s/div", value, internal ? "IU" : unit);
    return text;
  }
  const int e = (int)std::floor(std::log10(value));
  const int e3 = (int)std::floor(e / 3.0) * 3;
  if (!internal) {
    double factor = std::pow(1000.0, e3 / 3);
    const CMC_Unit* found = nullptr;
    for (;;) {
      found = setup ? setup->GetUnits().FindUnitWithRelativeFactor(factor, unit) : nullptr;
      if (found) break;
      if (e3 > 0 && factor > 1000) factor /= 1000;
      else if (e3 < 0 && factor < 0.001) factor *= 1000;
      else break;
    }
    if (found) text.Format("%lg %s/div", value / factor, (const char*)found->GetName());
    else text.Format("%lg %s/div", value, unit);
    return text;
  }
  static const char* const kPrefixes[] = {"n", "\xB5", "m", "K", "M", "G"};
  int index = -1;
  double factor = 1;
  if (e3 > 0) {
    index = std::min(2 + e3 / 3, 5);
    for (int i = 2; i < index; ++i) factor *= 1000;
  } else if (e3 < 0) {
    index = std::max(3 - (-e3) / 3, 0);
    for (int i = 3; i > index; --i) factor /= 1000;
  }
  text.Format("%lu ", (DWORD)std::min(std::floor(value / factor + 0.5), 4294967295.0));
  if (index >= 0) text += kPrefixes[index];
  text += "IU/div";
  return text;
}

bool CScopeSetupDlg::StepScale(double& scale, int kind, bool up) {
  if (!(scale > 0)) return false;
  const bool variable = kind == CMC_LoggerItem::ITEM_VARIABLE;
  if (up && scale >= (variable ? 999000000.0 : 4.999)) return false;
  if (!up && scale <= (variable ? 1.01e-9 : 0.201)) return false;
  const double p = std::pow(10.0, std::floor(std::log10(scale)));
  const double m = std::ceil(scale / p);
  if (up) scale = m <= 1.001 ? 2 * p : m <= 2.001 ? 5 * p : 10 * p;
  else scale = m <= 1.001 ? 0.5 * p : m <= 2.001 ? p : 2 * p;
  return true;
}

// ---- Construction -----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CScopeSetupDlg, CDialog)

BEGIN_MESSAGE_MAP(CScopeSetupDlg, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, CScopeSetupDlg::IDC_CHANNEL, CScopeSetupDlg::IDC_CHANNEL + 3, &CScopeSetupDlg::OnChannel)
ON_CONTROL_RANGE(CBN_SELCHANGE, CScopeSetupDlg::IDC_UNIT, CScopeSetupDlg::IDC_UNIT + 3, &CScopeSetupDlg::OnUnitChosen)
ON_CBN_SELCHANGE(CScopeSetupDlg::IDC_OPERATING_MODE, &CScopeSetupDlg::OnOperatingMode)
ON_CBN_SELCHANGE(CScopeSetupDlg::IDC_TIME_BASE, &CScopeSetupDlg::OnTimeBase)
ON_CBN_SELCHANGE(CScopeSetupDlg::IDC_TRIGGER_SOURCE, &CScopeSetupDlg::OnTriggerSource)
ON_BN_CLICKED(CScopeSetupDlg::IDC_OTHER, &CScopeSetupDlg::OnOther)
ON_CBN_SELCHANGE(CScopeSetupDlg::IDC_LEVEL_UNIT, &CScopeSetupDlg::OnLevelUnit)
ON_EN_KILLFOCUS(CScopeSetupDlg::IDC_LEVEL, &CScopeSetupDlg::OnLevelKillFocus)
ON_CONTROL_RANGE(BN_CLICKED, CScopeSetupDlg::IDC_MODE_NORMAL, CScopeSetupDlg::IDC_MODE_AUTO,
                 &CScopeSetupDlg::OnTriggerModeRadio)
ON_CBN_SELCHANGE(CScopeSetupDlg::IDC_AUTO_WAIT, &CScopeSetupDlg::OnAutoWait)
ON_BN_CLICKED(IDHELP, &CScopeSetupDlg::OnHelp)
END_MESSAGE_MAP()

CScopeSetupDlg::CScopeSetupDlg(CMC_ScopeLogger* scope, CWnd* parent) : CDialog(IDD, parent), m_pLogger(scope) {
  {
    CQuietErrors quiet;
    scope->LocateItems();
  }
  CGraphFilter* plot = scope->m_graphDoc.GetSize() ? scope->m_graphDoc.GetAt(0) : nullptr;
  for (int c = 0; c < 4; ++c) {
    CMC_LoggerItem* item = c < scope->m_aItems.GetSize() ? scope->m_aItems[c] : nullptr;
    CCurve* curve = item ? scope->m_aCurves.GetAt(c + 1) : nullptr;
    CXYCurve* xy = item && plot ? plot->GetAt(c) : nullptr;
    m_aEditItems.Add(item ? new CMC_LoggerItem(*item)
                          : new CMC_LoggerItem(nullptr, CMC_LoggerItem::ITEM_NONE, -1, 1));
    m_adScale[c] = curve ? curve->m_dOscScale : 1.0;
    m_adOffset[c] = curve ? curve->m_dOscOffset : 0.0;
    m_acrColor[c] = xy ? xy->m_crColor : CMC_ScopeLogger::msc_aChannelColors[c];
  }
  m_nOperatingMode = scope->m_nScopeFlag;
  m_nTimeBase = scope->m_nSampling;
  m_trigger = scope->m_trigger;
  m_nPosition = scope->m_nTriggerPosition;
  m_nSlope = scope->m_nTriggerSlope;
  m_nTriggerMode = scope->m_nTriggerMode;
  m_nAutoWait = scope->m_nFixedWord;
  if (plot) {
    m_nCursors = plot->m_markers.GetSize();
    m_crCursor = plot->m_crCursor;
  }
}

CMC_Setup* CScopeSetupDlg::Setup() const { return m_pLogger->GetDefaultSetup(); }

double CScopeSetupDlg::SamplingPeriod() const {
  CMC_Setup* setup = Setup();
  CMC_Setup::GUI_GETSCALE scale = setup ? setup->GetScaleFactorFct() : nullptr;
  return scale ? scale(setup, "s", "Ts_C") : 0;
}

// ---- Lists and refreshes ------------------------------------------------------------------------------

void CScopeSetupDlg::FillTimeBase() {
  m_comboTimeBase.ResetContent();
  const double ts = SamplingPeriod();
  if (!(ts > 0)) return;
  for (WORD n : kNormalSteps) {
    if (m_nOperatingMode != 0 && n < 400) continue;
    const int at = m_comboTimeBase.AddString(FormatTime(n * ts * 10, 3));
    m_comboTimeBase.SetItemData(at, n);
    if (n == m_nTimeBase) m_comboTimeBase.SetCurSel(at);
  }
}

void CScopeSetupDlg::FillAutoWait() {
  m_comboAutoWait.ResetContent();
  const double ts = SamplingPeriod();
  if (!(ts > 0)) return;
  for (WORD n : kAutoWaits) {
    const int at = m_comboAutoWait.AddString(FormatTime(n * m_nTimeBase * ts, 2));
    m_comboAutoWait.SetItemData(at, n);
    if (n == m_nAutoWait) m_comboAutoWait.SetCurSel(at);
  }
}

void CScopeSetupDlg::ShowScale(int c) {
  CMC_LoggerItem* item = m_aEditItems[c];
  const bool used = Used(item);
  m_editScale[c].SetWindowText(used ? FormatUnitsPerDiv(m_adScale[c], Setup(), item->m_strUnit) : CString());
  m_staticUnit[c].SetWindowText(used ? UnitText(item->m_strUnit) : CString());
}

void CScopeSetupDlg::RefreshChannel(int c) {
  CMC_LoggerItem* item = m_aEditItems[c];
  CMC_Setup* setup = Setup();
  if (!item || !setup) return;
  const bool used = Used(item);
  const CString name = item->GetCurveName();
  m_editSignal[c].SetWindowText(name.IsEmpty() ? CString("None") : name);
  setup->GetUnits().FillCombo(&m_comboUnit[c], item->m_strUnit, TRUE);
  m_comboUnit[c].EnableWindow(used);
  ShowScale(c);
  if (CWnd* spin = GetDlgItem(IDC_SCALE_SPIN + c)) spin->EnableWindow(used);
  CString offset;
  if (used) offset.Format("%lg", m_adOffset[c]);
  m_editOffset[c].SetWindowText(offset);
  m_editOffset[c].EnableWindow(used);
  m_comboColor[c].EnableWindow(used);
}

void CScopeSetupDlg::CheckModeRadio() {
  const int id = m_nTriggerMode == 2 ? IDC_MODE_NORMAL : m_nTriggerMode == 4 ? IDC_MODE_SINGLE
                 : m_nTriggerMode == 8 ? IDC_MODE_AUTO : 0;
  for (int radio = IDC_MODE_NORMAL; radio <= IDC_MODE_AUTO; ++radio) CheckDlgButton(radio, radio == id);
}

void CScopeSetupDlg::RefreshTrigger() {
  CMC_Setup* setup = Setup();
  if (!setup) return;
  const bool allowed = m_nOperatingMode == 0;
  const bool none = m_trigger.m_nType == CMC_LoggerItem::ITEM_NONE;
  m_comboTriggerSource.ResetContent();
  m_comboTriggerSource.AddString("None");
  if (none && m_nTriggerMode == 1) m_comboTriggerSource.SetCurSel(0);
  if (allowed) {
    bool selected = false;
    for (int c = 0; c < 4; ++c) {
      CMC_LoggerItem* item = m_aEditItems[c];
      if (!item || item->GetCurveName().IsEmpty()) continue;
      const int at = m_comboTriggerSource.AddString(item->GetCurveName());
      if (!selected && CMC_LoggerItem::SameLoggerItems(*item, m_trigger)) {
        m_comboTriggerSource.SetCurSel(at);
        selected = true;
      }
    }
    if (!selected && !none) m_comboTriggerSource.SetCurSel(m_comboTriggerSource.AddString(m_trigger.GetCurveName()));
  }
  for (int id : {(int)IDC_OTHER, (int)IDC_MODE_NORMAL, (int)IDC_MODE_SINGLE, (int)IDC_MODE_AUTO})
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(allowed);
  CheckModeRadio();
  m_comboAutoWait.EnableWindow(allowed && m_nTriggerMode == 8);
  const bool source = allowed && !none;
  for (int id : {(int)IDC_LEVEL_UNIT, (int)IDC_LEVEL, (int)IDC_SLOPE, (int)IDC_POSITION, (int)IDC_POSITION_SPIN})
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(source);
  m_editLevel.SetWindowText(m_trigger.PrintValue(setup));
  setup->GetUnits().FillCombo(&m_comboLevelUnit, m_trigger.m_strUnit, TRUE);
}

// ---- Data exchange ------------------------------------------------------------------------------------

void CScopeSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  for (int c = 0; c < 4; ++c) {
    DDX_Control(pDX, IDC_SIGNAL + c, m_editSignal[c]);
    DDX_Control(pDX, IDC_UNIT + c, m_comboUnit[c]);
    DDX_Control(pDX, IDC_SCALE + c, m_editScale[c]);
    DDX_Control(pDX, IDC_OFFSET + c, m_editOffset[c]);
    DDX_Control(pDX, IDC_UNIT_TEXT + c, m_staticUnit[c]);
    DDX_Control(pDX, IDC_COLOR + c, m_comboColor[c]);
  }
  DDX_Control(pDX, IDC_OPERATING_MODE, m_comboOperatingMode);
  DDX_Control(pDX, IDC_TIME_BASE, m_comboTimeBase);
  DDX_Control(pDX, IDC_TRIGGER_SOURCE, m_comboTriggerSource);
  DDX_Control(pDX, IDC_LEVEL, m_editLevel);
  DDX_Control(pDX, IDC_LEVEL_UNIT, m_comboLevelUnit);
  DDX_Control(pDX, IDC_POSITION, m_editPosition);
  DDX_Control(pDX, IDC_AUTO_WAIT, m_comboAutoWait);
  DDX_Control(pDX, IDC_CURSOR_COLOR, m_comboCursorColor);
  if (!pDX->m_bSaveAndValidate) {
    for (int c = 0; c < 4; ++c) {
      RefreshChannel(c);
      m_comboColor[c].LoadScopeChannelColors();
      m_comboColor[c].SelectColor(m_acrColor[c]);
    }
    m_comboOperatingMode.ResetContent();
    m_comboOperatingMode.AddString("Normal");
    m_comboOperatingMode.AddString("Roll");
    m_comboOperatingMode.SetCurSel(m_nOperatingMode);
    FillTimeBase();
    // The slope list is no member: it is reached through its messages.
    SendDlgItemMessage(IDC_SLOPE, CB_RESETCONTENT);
    for (const char* slope : {"Falling", "Rising"}) SendDlgItemMessage(IDC_SLOPE, CB_ADDSTRING, 0, (LPARAM)slope);
    SendDlgItemMessage(IDC_SLOPE, CB_SETCURSEL, (WPARAM)m_nSlope);
    CString position;
    position.Format("%d", m_nPosition);
    m_editPosition.SetWindowText(position);
    FillAutoWait();
    RefreshTrigger();
    CheckRadioButton(IDC_CURSORS, IDC_CURSORS + 2, IDC_CURSORS + m_nCursors);
    m_comboCursorColor.LoadScopeChannelColors();
    m_comboCursorColor.SelectColor(m_crCursor);
    return;
  }
  for (int c = 0; c < 4; ++c) {
    if (!Used(m_aEditItems[c])) continue;
    DDX_Text(pDX, IDC_OFFSET + c, m_adOffset[c]);
    m_acrColor[c] = m_comboColor[c].GetSelectedColor();
  }
  if (m_nTriggerMode != 1) {
    if (m_nOperatingMode != 0)
      FailWith(pDX, IDC_TRIGGER_SOURCE, MB_OK | MB_ICONSTOP, "This operating mode doesn't support trigger!");
    pDX->PrepareCtrl(IDC_SLOPE);
    m_nSlope = (int)SendDlgItemMessage(IDC_SLOPE, CB_GETCURSEL);
    if (m_nSlope < 0) FailSelect(pDX, IDC_SLOPE);
    DDX_Text(pDX, IDC_POSITION, m_nPosition);
    DDV_MinMaxInt(pDX, m_nPosition, 0, 100);
    if (m_nTriggerMode == 8) {
      const int at = m_comboAutoWait.GetCurSel();
      if (at < 0) FailSelect(pDX, IDC_AUTO_WAIT);
      m_nAutoWait = (int)m_comboAutoWait.GetItemData(at);
    } else if (m_nTriggerMode != 2 && m_nTriggerMode != 4) {
      FailSelect(pDX, IDC_MODE_NORMAL);
    }
    if (m_trigger.m_nType == CMC_LoggerItem::ITEM_NONE) FailSelect(pDX, IDC_TRIGGER_SOURCE);
  } else if (m_trigger.m_nType != CMC_LoggerItem::ITEM_NONE) {
    FailSelect(pDX, IDC_TRIGGER_SOURCE);
  }
  int cursors = -1;
  for (int i = 0; i < 3; ++i)
    if (IsDlgButtonChecked(IDC_CURSORS + i)) cursors = i;
  if (cursors < 0) FailSelect(pDX, IDC_CURSORS);
  m_nCursors = cursors;
  m_crCursor = m_comboCursorColor.GetSelectedColor();
}

// ---- Handlers -----------------------------------------------------------------------------------------

void CScopeSetupDlg::OnChannel(UINT id) {
  const int c = (int)id - IDC_CHANNEL;
  CScopeChannelSelectionDlg dlg(m_pLogger, m_aEditItems[c], "Signal Selection", this);
  if (dlg.DoModal() != IDOK) return;
  m_adScale[c] = 1.0;
  m_adOffset[c] = 0.0;
  RefreshChannel(c);
  RefreshTrigger();
}

void CScopeSetupDlg::OnUnitChosen(UINT id) {
  const int c = (int)id - IDC_UNIT;
  CMC_LoggerItem* item = m_aEditItems[c];
  const int at = m_comboUnit[c].GetCurSel();
  if (!Setup() || !item || at < 0) return;
  if (CMC_Units::IsInternalUnit(&m_comboUnit[c], at)) item->m_strUnit = CMC_Units::GetIUOfUnit(item->m_strUnit);
  else m_comboUnit[c].GetLBText(at, item->m_strUnit);
  ShowScale(c);
}

void CScopeSetupDlg::MakeTriggerNone() {
  m_trigger.m_nType = CMC_LoggerItem::ITEM_NONE;
  m_trigger.m_strName.Empty();
  m_trigger.m_value = CMC_Value();
  m_trigger.m_nBit = 0;
  m_nTriggerMode = 1;
}

void CScopeSetupDlg::OnOperatingMode() {
  m_nOperatingMode = m_comboOperatingMode.GetCurSel();
  if (m_nOperatingMode == 1) {
    MakeTriggerNone();
    if (m_nTimeBase < 400) m_nTimeBase = 400;
  }
  FillTimeBase();
  FillAutoWait();
  RefreshTrigger();
}

void CScopeSetupDlg::OnTimeBase() {
  const int at = m_comboTimeBase.GetCurSel();
  if (at < 0) return;
  const WORD n = (WORD)m_comboTimeBase.GetItemData(at);
  if (n == m_nTimeBase) return;
  m_nTimeBase = n;
  FillAutoWait();
}

void CScopeSetupDlg::OnTriggerSource() {
  const int at = m_comboTriggerSource.GetCurSel();
  if (at < 0) return;
  if (at == 0) {
    MakeTriggerNone();
  } else {
    CString text;
    m_comboTriggerSource.GetLBText(at, text);
    if (text != m_trigger.GetCurveName()) {
      if (m_nTriggerMode == 1) m_nTriggerMode = 2;
      for (int c = 0; c < 4; ++c) {
        CMC_LoggerItem* item = m_aEditItems[c];
        if (Used(item) && item->GetCurveName() == text) {
          m_trigger = *item;
          break;
        }
      }
      m_trigger.m_value = CMC_Value();
    }
  }
  RefreshTrigger();
}

void CScopeSetupDlg::OnOther() {
  CScopeChannelSelectionDlg dlg(m_pLogger, &m_trigger, "Trigger Source Selection", this);
  if (dlg.DoModal() != IDOK) return;
  m_trigger.m_value = CMC_Value();
  if (m_trigger.m_nType == CMC_LoggerItem::ITEM_NONE) m_nTriggerMode = 1;
  RefreshTrigger();
}

void CScopeSetupDlg::OnLevelUnit() {
  const int at = m_comboLevelUnit.GetCurSel();
  if (at < 0 || !Setup()) return;
  if (CMC_Units::IsInternalUnit(&m_comboLevelUnit, at)) m_trigger.m_strUnit = CMC_Units::GetIUOfUnit(m_trigger.m_strUnit);
  else m_comboLevelUnit.GetLBText(at, m_trigger.m_strUnit);
  m_editLevel.SetWindowText(m_trigger.PrintValue(Setup()));
}

void CScopeSetupDlg::OnLevelKillFocus() {
  if (!Setup()) return;
  CString text;
  m_editLevel.GetWindowText(text);
  m_trigger.ScanValue(Setup(), text);
  m_editLevel.SetWindowText(m_trigger.PrintValue(Setup()));
}

void CScopeSetupDlg::OnTriggerModeRadio(UINT id) {
  m_nTriggerMode = (int)id == IDC_MODE_NORMAL ? 2 : (int)id == IDC_MODE_SINGLE ? 4 : 8;
  RefreshTrigger();
}

void CScopeSetupDlg::OnAutoWait() {
  const int at = m_comboAutoWait.GetCurSel();
  if (at >= 0) m_nAutoWait = (int)m_comboAutoWait.GetItemData(at);
}

void CScopeSetupDlg::StepPosition(bool up) {
  CString text;
  m_editPosition.GetWindowText(text);
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  // A number past an int's range stands at its end, not wrapped to the other side of 0.
  if (end != (const char*)text && *end == 0) m_nPosition = (int)std::clamp<long>(value, INT_MIN, INT_MAX);
  int p = m_nPosition;
  if (up) p = p >= 100 ? 100 : (std::max(p, 0) / 10 + 1) * 10;
  else p = p <= 0 ? 0 : (std::min(p, 100) + 9) / 10 * 10 - 10;
  m_nPosition = p;
  text.Format("%d", p);
  m_editPosition.SetWindowText(text);
}

BOOL CScopeSetupDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->code == UDN_DELTAPOS) {
    const NMUPDOWN* change = reinterpret_cast<const NMUPDOWN*>(lParam);
    const bool up = change->iDelta < 0;
    const int id = (int)header->idFrom;
    if (id >= IDC_SCALE_SPIN && id < IDC_SCALE_SPIN + 4) {
      const int c = id - IDC_SCALE_SPIN;
      CMC_LoggerItem* item = m_aEditItems[c];
      const bool moved = item && StepScale(m_adScale[c], item->m_nType, up);
      if (moved) ShowScale(c);
      *pResult = moved ? 0 : 1;
      return TRUE;
    }
    if (id == IDC_POSITION_SPIN) {
      StepPosition(up);
      *pResult = 1;
      return TRUE;
    }
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

void CScopeSetupDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), HH_HELP_CONTEXT, kHelpContext); }

// ---- OK -----------------------------------------------------------------------------------------------

void CScopeSetupDlg::OnOK() {
  if (GetFocus() == &m_editLevel || (GetFocus() && GetFocus()->m_hWnd == m_editLevel.m_hWnd)) OnLevelKillFocus();
  if (!UpdateData(TRUE)) return;
  m_nChange = 0;
  CMC_ScopeLogger& scope = *m_pLogger;
  int used = 0;
  for (int c = 0; c < 4; ++c)
    if (Used(m_aEditItems[c])) used = c + 1;
  while (m_aEditItems.GetSize() > used) m_aEditItems.RemoveAt(m_aEditItems.GetSize() - 1);
  CGraphFilter* plot = scope.m_graphDoc.GetSize() ? scope.m_graphDoc.GetAt(0) : nullptr;
  const int had = scope.m_aItems.GetSize();
  for (int i = 0; i < had; ++i) {
    CCurve* curve = scope.m_aCurves.GetAt(i + 1);
    if (i >= used) {
      delete scope.m_aItems[i];
      scope.m_aItems.SetAt(i, nullptr);
      delete curve;
      scope.m_aCurves.SetAt(i + 1, nullptr);
      m_nChange = 2;
      continue;
    }
    CMC_LoggerItem* edited = m_aEditItems[i];
    CMC_LoggerItem* item = scope.m_aItems[i];
    if (!CMC_LoggerItem::SameLoggerItems(*edited, *item) || edited->m_strUnit != item->m_strUnit) {
      *item = *edited;
      if (curve) curve->m_strDisplayUnit = item->m_strUnit;
      m_nChange = 2;
    }
    delete edited;
    m_aEditItems.SetAt(i, nullptr);
    CXYCurve* xy = plot ? plot->GetAt(i) : nullptr;
    if (curve && (curve->m_dOscScale != m_adScale[i] || curve->m_dOscOffset != m_adOffset[i])) {
      curve->m_dOscScale = m_adScale[i];
      curve->m_dOscOffset = m_adOffset[i];
      m_nChange = std::max(m_nChange, 1);
    }
    if (xy && xy->m_crColor != m_acrColor[i]) {
      xy->m_crColor = m_acrColor[i];
      m_nChange = std::max(m_nChange, 1);
    }
  }
  scope.m_aItems.RemoveNulls();
  m_aEditItems.RemoveNulls();
  for (int i = 0; i < m_aEditItems.GetSize(); ++i) scope.m_aItems.Add(m_aEditItems[i]);
  m_aEditItems.SetOwnsElements(FALSE);
  m_aEditItems.RemoveAll();
  m_aEditItems.SetOwnsElements(TRUE);
  scope.RepairCurves();
  for (int k = had; k < used; ++k) {
    if (CCurve* curve = scope.m_aCurves.GetAt(k + 1)) {
      curve->m_dOscScale = m_adScale[k];
      curve->m_dOscOffset = m_adOffset[k];
    }
    if (plot) {
      CXYCurve* xy = new CXYCurve;
      xy->m_nXCurve = 0;
      xy->m_nYCurve = (DWORD)(k + 1);
      xy->m_crColor = m_acrColor[k];
      xy->m_nWidth = 2;
      plot->Add(xy);
    }
    m_nChange = 2;
  }
  if (m_nOperatingMode != scope.m_nScopeFlag || m_nTimeBase != scope.m_nSampling) {
    scope.m_nScopeFlag = m_nOperatingMode;
    scope.m_nSampling = m_nTimeBase;
    m_nChange = 2;
  }
  const bool sameLevel = m_trigger.m_nType == CMC_LoggerItem::ITEM_NONE ||
                         CMC_Value::Compare(m_trigger.m_nVarType, m_trigger.m_value, scope.m_trigger.m_value) == 0;
  const bool sameTrigger = CMC_LoggerItem::SameLoggerItems(m_trigger, scope.m_trigger) &&
                           m_trigger.m_strUnit == scope.m_trigger.m_strUnit && sameLevel &&
                           m_nPosition == scope.m_nTriggerPosition && m_nSlope == scope.m_nTriggerSlope &&
                           m_nTriggerMode == scope.m_nTriggerMode &&
                           (m_nTriggerMode != 8 || m_nAutoWait == scope.m_nFixedWord);
  if (!sameTrigger) {
    scope.m_trigger = m_trigger;
    scope.m_nTriggerPosition = (WORD)m_nPosition;
    scope.m_nTriggerSlope = m_nSlope;
    scope.m_nTriggerMode = m_nTriggerMode;
    scope.m_nFixedWord = (WORD)m_nAutoWait;
    m_nChange = 2;
  }
  if (plot && (plot->m_markers.GetSize() != m_nCursors || plot->m_crCursor != m_crCursor)) {
    const double d = plot->m_nDivisions * 0.25;
    plot->m_markers.RemoveAll();
    if (m_nCursors > 0) plot->m_markers.Add(-d);
    if (m_nCursors > 1) plot->m_markers.Add(d);
    plot->m_crCursor = m_crCursor;
    m_nChange = std::max(m_nChange, 1);
  }
  scope.VerifyConsistence();
  if (scope.UpdateTriggerMarkers()) m_nChange = std::max(m_nChange, 1);
  EndDialog(m_nChange > 0 ? IDOK : IDCANCEL);
}
