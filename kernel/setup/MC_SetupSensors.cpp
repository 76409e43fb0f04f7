// Feedback sensors and connectors of dual-loop drives, encoder frequency lists and the output
// configuration words of MC version 3 drives, all read from the setup's options and parameters.
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/setup/SetupStringIds.h"
#include "platform/core/Array.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Controls.h"

#include <vector>

namespace {

const char* const kSeparators = " ,\t";

CString IndexedKey(const char* name, int i) {
  CString key;
  key.Format("%s[%d]", name, i);
  return key;
}

// The first quoted text of a value, trimmed of blanks, commas and tabs; the rest stays in `line`.
CString TakeName(CString& line) {
  CString name;
  line.Trim(kSeparators);
  if (!ReadEscapedStringFromConfigLine(line, name)) return CString();
  name.Trim(kSeparators);
  return name;
}

std::vector<int> NumberList(CString list) {
  std::vector<int> out;
  for (;;) {
    list.TrimLeft(kSeparators);
    LONG v;
    if (list.IsEmpty() || !ReadLongFromConfigLine(list, v)) return out;
    out.push_back((int)v);
  }
}

// Blank- or tab-separated items.
std::vector<CString> Items(CString text) {
  std::vector<CString> out;
  text.Trim(" \t");
  while (!text.IsEmpty()) {
    int end = text.FindOneOf(" \t");
    out.push_back(end < 0 ? text : text.Left(end));
    text = end < 0 ? CString() : text.Mid(end);
    text.TrimLeft(" \t");
  }
  return out;
}

// "a,b" (or "a-b" when `dash` is given): the two numbers.
bool TwoNumbers(const CString& item, char sep, int& a, int& b) {
  int at = item.Find(sep);
  if (at < 0) return false;
  CString left = item.Left(at), right = item.Mid(at + 1);
  left.Trim(kSeparators);
  right.Trim(kSeparators);
  LONG x, y;
  if (!ReadLongFromConfigLine(left, x) || !ReadLongFromConfigLine(right, y)) return false;
  a = (int)x;
  b = (int)y;
  return true;
}

// The c of the last item of a connector line that accepts `sensor`; false when none does.
bool ConnectorAccepts(CString line, int sensor, int& c) {
  TakeName(line);
  bool found = false;
  for (const CString& item : Items(line)) {
    int s, k;
    if (TwoNumbers(item, ',', s, k) && s == sensor) {
      c = k;
      found = true;
    }
  }
  return found;
}

void ToArray(const std::vector<CString>& items, CStringArray& out) {
  out.RemoveAll();
  for (const CString& s : items) out.Add(s);
}

const char* const kOutputCfg[4] = {"OutputCFG3_0", "OutputCFG7_4", "OutputCFG11_8", "OutputCFG15_12"};

// The byte of a port 0-15 in its output configuration word; false when the port or word is missing.
bool PortByte(const CMC_Setup& setup, int port, BYTE& byte) {
  if (port < 0 || port > 15) return false;
  CMC_Parameter* p = setup.FindParameter(kOutputCfg[port / 4]);
  if (!p) return false;
  DWORD word = (DWORD)(long long)p->GetValueInInternalUnit();
  byte = (BYTE)(word >> (8 * (port % 4)));
  return true;
}

}  // namespace

CString CMC_Setup::GetSensorName(int i) const {
  CString value = GetOptionNoError(IndexedKey("Sensor", i));
  return TakeName(value);
}

CString CMC_Setup::GetFeedbackName(int i) const {
  CString value = GetOptionNoError(IndexedKey("Feedback", i));
  return TakeName(value);
}

WORD CMC_Setup::GetDLMaxSensorValue() const {
  WORD n = 0;
  while (!GetOptionNoError(IndexedKey("Sensor", n)).IsEmpty()) ++n;
  return (WORD)(n + 1);
}

WORD CMC_Setup::GetDLMaxConnectorValue() const {
  WORD n = 0;
  while (!GetOptionNoError(IndexedKey("Feedback", n)).IsEmpty()) ++n;
  return (WORD)(n + 1);
}

bool CMC_Setup::GetDLSensorsArray(CStringArray& connectors) const {
  for (int i = 0;; ++i) {
    CString value = GetOptionNoError(IndexedKey("Feedback", i));
    if (value.IsEmpty()) return true;
    value.Trim();
    connectors.Add(value);
  }
}

bool CMC_Setup::HasDLMotorSensor(int sensor, bool second) const {
  for (int s : NumberList(GetOptionNoError(second ? "FeedbackOnMotor2" : "FeedbackOnMotor")))
    if (s == sensor) return true;
  return false;
}

bool CMC_Setup::HasDLLoadSensor(int sensor, bool second) const {
  for (int s : NumberList(GetOptionNoError(second ? "FeedbackOnLoad2" : "FeedbackOnLoad")))
    if (s == sensor) return true;
  return false;
}

bool CMC_Setup::FeedbackIsCompatible(int motorSensor, int loadSensor, CStringArray& blocked) {
  for (int i = 0; i < blocked.GetSize(); ++i) {
    int a, b;
    if (TwoNumbers(blocked[i], ',', a, b)) {
      if (a == motorSensor && b == loadSensor) return false;
    } else if (TwoNumbers(blocked[i], '-', a, b)) {
      if ((a == motorSensor && b == loadSensor) || (a == loadSensor && b == motorSensor)) return false;
    }
  }
  return true;
}

bool CMC_Setup::CheckDualLoopCombination(int& motorSensor, int& loadSensor, int& motorConnector, int& loadConnector,
                                         CStringArray& connectors, CStringArray& blocked) {
  if (motorSensor == loadSensor && motorConnector == loadConnector) return false;
  if (!FeedbackIsCompatible(motorSensor, loadSensor, blocked)) return false;
  int count = (int)connectors.GetSize();
  if (motorConnector < 0 || motorConnector >= count || loadConnector < 0 || loadConnector >= count) return false;
  int cm, cl;
  if (!ConnectorAccepts(connectors[motorConnector], motorSensor, cm)) return false;
  if (!ConnectorAccepts(connectors[loadConnector], loadSensor, cl)) return false;
  return motorConnector != loadConnector || cm != cl;
}

void CMC_Setup::DualLoopIncrementSensors(int* a, int* b, int* c, int* d, int limitA, int limitB, int limitC,
                                         int limitD, int stopA, int stopB, int stopC, int stopD) {
  int* digit[4] = {a, b, c, d};
  const int limit[4] = {limitA, limitB, limitC, limitD};
  const int stop[4] = {stopA, stopB, stopC, stopD};
  for (int i = 0; i < 4; ++i) {
    *digit[i] = *digit[i] + 1 >= limit[i] ? 0 : *digit[i] + 1;
    if (*digit[i] != stop[i]) return;
  }
}

int CMC_Setup::FillSensorTypeCombo(CComboBox* combo, int& selected, int count, CStringArray& names, CString list) {
  if (!combo) return 0;
  combo->ResetContent();
  int items = 0;
  bool found = false;
  for (int n : NumberList(list)) {
    if (n < 0 || n >= count || n >= (int)names.GetSize()) continue;
    int i = combo->AddString(names[n]);
    combo->SetItemData(i, (DWORD_PTR)n);
    ++items;
    if (n == selected) {
      combo->SetCurSel(i);
      found = true;
    }
  }
  if (items && !found) {
    combo->SetCurSel(0);
    selected = (int)combo->GetItemData(0);
  }
  return items;
}

int CMC_Setup::FillSensorConnectorCombo(CComboBox* combo, int& selected, int count, CStringArray& connectors,
                                        int sensor) {
  if (!combo) return 0;
  combo->ResetContent();
  int items = 0;
  bool found = false;
  for (int i = 0; i < count && i < (int)connectors.GetSize(); ++i) {
    CString line = connectors[i];
    CString name = TakeName(line);
    for (const CString& item : Items(line)) {
      int s, c;
      if (!TwoNumbers(item, ',', s, c) || s != sensor) continue;
      int at = combo->AddString(name);
      combo->SetItemData(at, (DWORD_PTR)i);
      ++items;
      if (i == selected) {
        combo->SetCurSel(at);
        found = true;
        break;
      }
    }
  }
  if (items && !found) combo->SetCurSel(0);
  return items;
}

int CMC_Setup::FillDlSensorsCombos(CComboBox* motorType, int& motorTypeSel, CComboBox* motorConnector,
                                   int& motorConnectorSel, CComboBox* loadType, int& loadTypeSel,
                                   CComboBox* loadConnector, int& loadConnectorSel, const char* changed,
                                   bool second) {
  CStringArray names, connectors, blocked;
  for (int i = 0;; ++i) {
    if (GetOptionNoError(IndexedKey("Sensor", i)).IsEmpty()) break;
    names.Add(GetSensorName(i));
  }
  GetDLSensorsArray(connectors);
  const int S = (int)names.GetSize(), F = (int)connectors.GetSize();
  CString motorList = GetOptionNoError(second ? "FeedbackOnMotor2" : "FeedbackOnMotor");
  CString loadList = GetOptionNoError(second ? "FeedbackOnLoad2" : "FeedbackOnLoad");
  ToArray(Items(GetOptionNoError(second ? "FeedbackBlocked2" : "FeedbackBlocked")), blocked);

  // Out-of-range selections start from the first entry, so that the odometer comes round.
  for (int* sel : {&motorTypeSel, &loadTypeSel})
    if (*sel < 0 || *sel >= S) *sel = 0;
  for (int* sel : {&motorConnectorSel, &loadConnectorSel})
    if (*sel < 0 || *sel >= F) *sel = 0;

  // Digits from the fastest to the slowest: the changed field turns last.
  int* digit[4];
  int limit[4];
  CString what = changed ? changed : "";
  if (what == "LoadSensorType") {
    int* d[4] = {&loadConnectorSel, &motorConnectorSel, &motorTypeSel, &loadTypeSel};
    std::copy(d, d + 4, digit);
    limit[0] = F, limit[1] = F, limit[2] = S, limit[3] = S;
  } else if (what == "MotorSensorConnector") {
    int* d[4] = {&loadConnectorSel, &loadTypeSel, &motorTypeSel, &motorConnectorSel};
    std::copy(d, d + 4, digit);
    limit[0] = F, limit[1] = S, limit[2] = S, limit[3] = F;
  } else if (what == "LoadSensorConnector") {
    int* d[4] = {&motorConnectorSel, &motorTypeSel, &loadTypeSel, &loadConnectorSel};
    std::copy(d, d + 4, digit);
    limit[0] = F, limit[1] = S, limit[2] = S, limit[3] = F;
  } else {
    int* d[4] = {&motorConnectorSel, &loadConnectorSel, &loadTypeSel, &motorTypeSel};
    std::copy(d, d + 4, digit);
    limit[0] = F, limit[1] = F, limit[2] = S, limit[3] = S;
  }
  const int stop[4] = {*digit[0], *digit[1], *digit[2], *digit[3]};

  for (int tries = 2 * S * F; tries > 0; --tries) {
    if (CheckDualLoopCombination(motorTypeSel, loadTypeSel, motorConnectorSel, loadConnectorSel, connectors,
                                 blocked)) {
      if (!FillSensorTypeCombo(motorType, motorTypeSel, S, names, motorList) ||
          !FillSensorTypeCombo(loadType, loadTypeSel, S, names, loadList) ||
          !FillSensorConnectorCombo(motorConnector, motorConnectorSel, F, connectors, motorTypeSel) ||
          !FillSensorConnectorCombo(loadConnector, loadConnectorSel, F, connectors, loadTypeSel))
        break;
      return 1;
    }
    DualLoopIncrementSensors(digit[0], digit[1], digit[2], digit[3], limit[0], limit[1], limit[2], limit[3], stop[0],
                             stop[1], stop[2], stop[3]);
  }
  ShowKernelMessage(MB_ICONWARNING, IDS_SETUP_INVALID_FEEDBACK);
  return 0;
}

bool CMC_Setup::GetConfigFreqList(CString option, CUIntArray& frequencies, CUIntArray& values) const {
  frequencies.RemoveAll();
  values.RemoveAll();
  CString list = GetOptionNoError(option);
  list.Trim(kSeparators);
  if (list.IsEmpty()) {
    frequencies.Add(1000);
    values.Add(2);
    return false;
  }
  for (const CString& item : Items(list)) {
    int f, d = 2;
    if (!TwoNumbers(item, ',', f, d)) {
      CString one = item;
      one.Trim(kSeparators);
      LONG v;
      if (!ReadLongFromConfigLine(one, v)) continue;
      f = (int)v;
      d = 2;
    }
    if (f < 1) continue;
    frequencies.Add((UINT)f);
    values.Add((UINT)d);
  }
  return true;
}

bool CMC_Setup::GetBiSSFreqList(CUIntArray& frequencies, CUIntArray& values) const {
  return GetConfigFreqList("BiSS_FreqList", frequencies, values);
}

bool CMC_Setup::GetSSIFreqList(CUIntArray& frequencies, CUIntArray& values) const {
  return GetConfigFreqList("SSI_FreqList", frequencies, values);
}

WORD CMC_Setup::GetIOPinFromPort(int port) const {
  BYTE b;
  return PortByte(*this, port, b) ? (WORD)(b & 0x7F) : (WORD)65535;
}

int CMC_Setup::IsIOMC3PortInverted(int port) const {
  BYTE b;
  return PortByte(*this, port, b) && (b & 0x80) ? 1 : 0;
}

WORD CMC_Setup::GetIOPortFromPin(int pin) const {
  for (int port = 0; port <= 15; ++port) {
    BYTE b;
    if (PortByte(*this, port, b) && (b & 0x7F) == pin) return (WORD)port;
  }
  return 65535;
}
