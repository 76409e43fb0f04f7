#include "kernel/setup/MC_Setup.h"

#include "kernel/dialogs/CANopenFactors.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/setup/SetupStringIds.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "views/memory/MemorySettingsDlg.h"

#include <cstdlib>
#include <new>

namespace {

CString Upper(const char* s) {
  CString u(s ? s : "");
  u.MakeUpper();
  return u;
}

}  // namespace

CMC_Setup::CMC_Setup() {
  m_mapOptions.InitHashTable(199);
  m_arrStatusRegDesc.SetSize(32);
  m_arrErrorRegDesc.SetSize(32);
}

CMC_Setup::~CMC_Setup() {
  FreeGUIModule();
  FreeInterpreterModule();
  FreeCompilerModule();
}

// ---- Creation -------------------------------------------------------------------------------

CMC_Setup* CMC_Setup::NewSetup() {
  CMC_Setup* s = new (std::nothrow) CMC_Setup();
  if (!s) ShowKernelMessage(MB_ICONSTOP, IDS_SETUP_OUT_OF_MEMORY);
  return s;
}

CMC_Setup* CMC_Setup::Create(WORD configurationId) {
  CMC_Setup* s = NewSetup();
  if (!s) return nullptr;
  s->m_wConfigurationID = configurationId;
  CString dir = GetConfigurationRelativePath(configurationId);
  if (!s->ReadFromDirectory(dir)) {
    Destroy(s);
    return nullptr;
  }
  s->SetupComputeAllOptions();
  UpdateCANopenFactors(s);
  return s;
}

CMC_Setup* CMC_Setup::CreateFromDirectory(const char* dir) {
  CMC_Setup* s = NewSetup();
  if (!s) return nullptr;
  CString d = FolderFilePrefix(dir);
  if (!s->ReadFromDirectory(d)) {
    Destroy(s);
    return nullptr;
  }
  s->SetupComputeAllOptions();
  UpdateCANopenFactors(s);
  return s;
}

CMC_Setup* CMC_Setup::CreateCopy() {
  CMC_Setup* c = new (std::nothrow) CMC_Setup();
  if (!c) return nullptr;
  c->m_strFirmwareID = m_strFirmwareID;
  c->m_wConfigurationID = m_wConfigurationID;
  c->m_strDescription = m_strDescription;
  c->m_strProductID = m_strProductID;
  c->m_strCompatibleProductIDs = m_strCompatibleProductIDs;
  c->m_strCompatibleFirmwares = m_strCompatibleFirmwares;
  c->m_strUserApplicationID = m_strUserApplicationID;
  c->m_bLoadToE2ROM = m_bLoadToE2ROM;
  c->m_bRunFromE2ROM = m_bRunFromE2ROM;
  c->m_wE2ROMSize = m_wE2ROMSize;
  c->m_wRAMStart = m_wRAMStart;
  c->m_wRAMSize = m_wRAMSize;
  c->m_wZURStartE2ROM = m_wZURStartE2ROM;
  c->m_wZURSizeRAM = m_wZURSizeRAM;
  c->m_wCAMSize = m_wCAMSize;
  c->m_wPVTSize = m_wPVTSize;
  c->m_wLoadZURCodeAddress = m_wLoadZURCodeAddress;
  c->m_wRunZURCodeAddress = m_wRunZURCodeAddress;
  c->m_wZURCodeLength = m_wZURCodeLength;
  c->m_wLogBufferAddress = m_wLogBufferAddress;
  c->m_wLogBufferLength = m_wLogBufferLength;
  c->m_wLoadCAMTablesAddress = m_wLoadCAMTablesAddress;
  c->m_wRunCAMTablesAddress = m_wRunCAMTablesAddress;
  c->m_wCAMTablesLength = m_wCAMTablesLength;
  c->m_bySlaveCount = m_bySlaveCount;
  c->m_arrPortFlags.Copy(m_arrPortFlags);
  c->m_arrInputPortNames.Copy(m_arrInputPortNames);
  c->m_arrOutputPortNames.Copy(m_arrOutputPortNames);
  for (INT_PTR i = 0; i < m_arrOptionNames.GetSize(); ++i) {
    const CString& name = m_arrOptionNames[i];
    c->m_arrOptionNames.Add(name);
    c->m_mapOptions.SetAt(Upper(name), GetOptionNoError(name));
  }
  c->m_Units = m_Units;
  bool ok = c->LoadGUIModule() && c->m_Parameters.Copy(m_Parameters, *c) && c->m_Variables.Copy(m_Variables, *c) &&
            c->m_FirmwareVariables.Copy(m_FirmwareVariables, *c);
  if (ok) {
    c->m_arrHomingFiles.Copy(m_arrHomingFiles);
    c->m_arrInterruptDesc.Copy(m_arrInterruptDesc);
    c->m_dwStatusRegMask = m_dwStatusRegMask;
    c->m_arrStatusRegDesc.Copy(m_arrStatusRegDesc);
    c->m_dwErrorRegMask = m_dwErrorRegMask;
    c->m_arrErrorRegDesc.Copy(m_arrErrorRegDesc);
    c->m_dwSwProtectionsMask = m_dwSwProtectionsMask;
    c->m_arrSwProtectionDesc.Copy(m_arrSwProtectionDesc);
    c->m_bTestPerformedDuringEdit = m_bTestPerformedDuringEdit;
    c->m_bIUCacheEnabled = m_bIUCacheEnabled;
    ok = c->LoadInterpreterModule() && c->LoadCompilerModule();
  }
  if (!ok) {
    Destroy(c);
    return nullptr;
  }
  return c;
}

void CMC_Setup::Destroy(CMC_Setup* setup) { delete setup; }

// ---- Options --------------------------------------------------------------------------------

void CMC_Setup::SetOption(const char* name, const char* value) {
  if (!name || !value) return;
  CString key = Upper(name), old;
  if (!m_mapOptions.Lookup(key, old)) m_arrOptionNames.Add(name);
  m_mapOptions.SetAt(key, value);
}

void CMC_Setup::ClearOption(const char* name) {
  if (!name) return;
  if (!m_mapOptions.RemoveKey(Upper(name))) return;
  for (INT_PTR i = m_arrOptionNames.GetSize() - 1; i >= 0; --i) {
    if (m_arrOptionNames[i].CompareNoCase(name) == 0) {
      m_arrOptionNames.RemoveAt(i);
      break;
    }
  }
}

CString CMC_Setup::GetOptionNoError(const char* name) const {
  CString value;
  if (!name || !m_mapOptions.Lookup(Upper(name), value)) return CString();
  return value;
}

CString CMC_Setup::GetOption(const char* name) const {
  CString value = GetOptionNoError(name);
  if (value.IsEmpty()) ShowKernelMessage(MB_ICONSTOP, IDS_SETUP_MISSING_OPTION, name ? name : "");
  return value;
}

int CMC_Setup::GetIntOption(const char* name) const {
  CString value;
  if (!name || !m_mapOptions.Lookup(Upper(name), value)) return 0;
  return atoi(value);
}

// ---- Look-ups -------------------------------------------------------------------------------

CMC_Parameter* CMC_Setup::FindParameter(const char* name) const {
  CQuietErrors quiet;
  return m_Parameters.FindParameter(name);
}

CMC_Variable* CMC_Setup::FindVariable(const char* name, int alsoFirmware) const {
  CMC_Variable* v = m_Variables.FindVariable(name);
  if (!v && alsoFirmware) v = m_FirmwareVariables.FindVariable(name);
  return v;
}

double CMC_Setup::GetParameterValue(const char* name) const {
  CMC_Parameter* p = FindParameter(name);
  return p ? p->GetValue() : NOT_AVAILABLE_VALUE;
}

double CMC_Setup::GetParameterValueInBaseUnit(const char* name) const {
  CMC_Parameter* p = FindParameter(name);
  return p ? p->GetValueInBaseUnit() : NOT_AVAILABLE_VALUE;
}

double CMC_Setup::GetParameterValueInInternalUnit(const char* name) const {
  CMC_Parameter* p = FindParameter(name);
  return p ? p->GetValueInInternalUnit() : NOT_AVAILABLE_VALUE;
}

void CMC_Setup::SetParameterValue(const char* name, double v) {
  if (CMC_Parameter* p = FindParameter(name)) p->SetValue(v);
}

void CMC_Setup::SetParameterValueInBaseUnit(const char* name, double v) {
  if (CMC_Parameter* p = FindParameter(name)) p->SetValueInBaseUnit(v);
}

void CMC_Setup::SetParameterValueInInternalUnit(const char* name, double v) {
  if (CMC_Parameter* p = FindParameter(name)) p->SetValueInInternalUnit(v);
}

CString CMC_Setup::GetParameterUnit(const char* name) const {
  CMC_Parameter* p = FindParameter(name);
  return p ? p->GetUnitName() : CString();
}

CString CMC_Setup::PrintParameterValue(const char* name) const {
  CMC_Parameter* p = FindParameter(name);
  return p ? p->PrintValue() : CString();
}

int CMC_Setup::ScanParameterValue(const char* name, const CString& text) {
  CMC_Parameter* p = FindParameter(name);
  return p ? p->ScanValue(text) : 0;
}

int CMC_Setup::ChangeParameterUnit(const char* name, const char* unit) {
  CMC_Parameter* p = FindParameter(name);
  return p ? p->ChangeUnit(unit) : 0;
}

int CMC_Setup::AlterUnitTypeOfParameter(const char* name, const char* unitType) {
  CMC_Parameter* p = FindParameter(name);
  return p ? (p->ChangeUnitType(unitType) ? 1 : 0) : 0;
}

int CMC_Setup::AlterUnitTypeOfVariable(const char* name, const char* unitType) {
  CMC_Variable* v = FindVariable(name, 1);
  return v ? (v->ChangeUnitType(unitType) ? 1 : 0) : 0;
}

int CMC_Setup::RemoveUnit(const char* name) {
  CMC_Unit* base = nullptr;
  {
    CQuietErrors quiet;
    base = m_Units.FindBaseUnit(name);
  }
  if (base && name) {
    CString baseName = base->GetName();
    for (int i = 0; i < m_Parameters.GetSize(); ++i) {
      CMC_Parameter* p = m_Parameters.GetAt(i);
      if (p && p->GetUnitName().CompareNoCase(name) == 0) p->ChangeUnit(baseName);
    }
  }
  return m_Units.RemoveUnit(name);
}

int CMC_Setup::MergeDerivedUnit(const char* name, const char* base, double factor, double offset) {
  return m_Units.MergeDerivedUnit(name, base, factor, offset) >= 0;
}

CMC_Unit* CMC_Setup::FindCANopenUnit(const char* name, SHORT a, SHORT b) const {
  return m_Units.FindCANopenUnit(name, a, b);
}

void CMC_Setup::InvalidateIUCache() {
  m_Parameters.InvalidateIUCache();
  m_Variables.InvalidateIUCache();
  m_FirmwareVariables.InvalidateIUCache();
}

int CMC_Setup::HasFunctionTable() const { return FindVariable("FunctionTable_pointer", 1) ? 1 : 0; }
int CMC_Setup::HasHomingTable() const { return FindVariable("HomingTable_pointer", 1) ? 1 : 0; }

int CMC_Setup::HasLinearLoad() const {
  CMC_Variable* v = FindVariable("APOS", 1);
  CQuietErrors quiet;
  return v && m_Units.IsLinearUnit(v->GetUnitName()) ? 1 : 0;
}

int CMC_Setup::HasRotaryLoad() const {
  CMC_Variable* v = FindVariable("APOS", 1);
  CQuietErrors quiet;
  return v && m_Units.IsRotaryUnit(v->GetUnitName()) ? 1 : 0;
}

int CMC_Setup::SupportCAMTables() const {
  return GetIntOption("IsClosedPosition") && FindVariable("CAMSTART", 1) && FindVariable("CAMOFF", 1) &&
                 FindVariable("CAMX", 1) && FindVariable("CAMY", 1)
             ? 1
             : 0;
}

int CMC_Setup::FindInterrupt(const char* name) const {
  CString n(name ? name : "");
  int count = GetInterruptsCount();
  for (int i = 0; i < count; ++i)
    if (m_arrInterruptDesc[i].CompareNoCase(n) == 0) return i;
  if (n.IsEmpty()) return -1;
  for (int i = 0; i < count; ++i)
    if (m_arrInterruptDesc[i].Left(n.GetLength()).CompareNoCase(n) == 0) return i;
  for (int i = 0; i < count; ++i)
    if (m_arrInterruptDesc[i].Find(n) >= 0) return i;
  return -1;
}

namespace {
CString EntryOf(const CStringArray& a, int i) { return i >= 0 && i < (int)a.GetSize() ? a[i] : CString(); }
}  // namespace

CString CMC_Setup::GetInterruptDescription(int i) const { return EntryOf(m_arrInterruptDesc, i); }
CString CMC_Setup::GetStatusRegDesc(int i) const { return EntryOf(m_arrStatusRegDesc, i); }
CString CMC_Setup::GetErrorRegDesc(int i) const { return EntryOf(m_arrErrorRegDesc, i); }
CString CMC_Setup::GetSwProtectionDescription(int i) const { return EntryOf(m_arrSwProtectionDesc, i); }
CString CMC_Setup::GetHomingProcedureFile(int i) const { return EntryOf(m_arrHomingFiles, i); }

// ---- Memory layout --------------------------------------------------------------------------

void CMC_Setup::GetMemorySettings(int& loadToE2ROM, int& runFromE2ROM, WORD& zurStart, WORD& zurSize,
                                  WORD& camSize) const {
  loadToE2ROM = m_bLoadToE2ROM;
  runFromE2ROM = m_bRunFromE2ROM;
  zurStart = m_wZURStartE2ROM;
  zurSize = m_wZURSizeRAM;
  camSize = m_wCAMSize;
}

int CMC_Setup::SetMemorySettings(int loadToE2ROM, int runFromE2ROM, WORD zurStart, WORD zurSize, WORD camSize) {
  m_bLoadToE2ROM = loadToE2ROM;
  m_bRunFromE2ROM = runFromE2ROM;
  m_wZURStartE2ROM = zurStart;
  m_wZURSizeRAM = zurSize;
  m_wCAMSize = camSize;
  return ComputeAddresses();
}

int CMC_Setup::SetE2ROMSize(WORD size) {
  m_wE2ROMSize = size;
  return ComputeAddresses();
}

int CMC_Setup::SetRAMSize(WORD size) {
  m_wRAMSize = size;
  return ComputeAddresses();
}

int CMC_Setup::SetPVTSize(WORD size) {
  m_wPVTSize = size;
  return ComputeAddresses();
}

int CMC_Setup::ChangeMemorySettings(WORD arg) {
  CMemorySettingsDlg dlg(m_wE2ROMSize, m_wRAMStart, m_wRAMSize, GetSetupTableSize(), arg, m_wPVTSize);
  dlg.m_bLoadToE2ROM = m_bLoadToE2ROM;
  dlg.m_bRunFromE2ROM = m_bRunFromE2ROM;
  dlg.m_bSupportCAMTables = SupportCAMTables();
  dlg.m_wCAMSize = m_wCAMSize;
  dlg.m_wZURStartE2ROM = m_wZURStartE2ROM;
  dlg.m_wZURSizeRAM = m_wZURSizeRAM;
  if (dlg.DoModal() != IDOK) return 0;
  m_bLoadToE2ROM = dlg.m_bLoadToE2ROM;
  m_bRunFromE2ROM = dlg.m_bRunFromE2ROM;
  m_wCAMSize = dlg.m_wCAMSize;
  m_wZURStartE2ROM = dlg.m_wZURStartE2ROM;
  m_wZURSizeRAM = dlg.m_wZURSizeRAM;
  ComputeAddresses();
  return 1;
}

WORD CMC_Setup::GetSetupTableSize() const {
  const LONG end = (WORD)(DriveMemory::kSetupTableEndBase + m_wE2ROMSize);
  if (end < DriveMemory::kE2ROMStart || end > DriveMemory::kE2ROMLast) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_TABLE_END_ADDRESS);
    return 0;
  }
  LONG n1 = 0, n2 = 0, n3 = 0;
  for (int i = 0; i < m_Parameters.GetSize(); ++i) {
    const CMC_Parameter* p = m_Parameters.GetAt(i);
    if (!p) continue;
    LONG size = p->GetSizeInWords();
    if (size == 0 || p->IsComputedParam()) continue;
    if (p->IsEngParam()) n3 += 1 + size;
    else if (size == 1) n1 += 2;
    else if (size == 2) n2 += 3;
  }
  LONG t = 6 + n1 + n2 + n3;
  if (t > end - DriveMemory::kE2ROMStart) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_TABLE_TOO_BIG);
    return 0;
  }
  return (WORD)t;
}

int CMC_Setup::ComputeAddresses() {
  const LONG t = GetSetupTableSize();
  if (m_bLoadToE2ROM) m_bLoadToE2ROM = 1;
  if (m_bRunFromE2ROM) m_bRunFromE2ROM = 1;
  if (m_wE2ROMSize > DriveMemory::kE2ROMMaxSize) m_wE2ROMSize = DriveMemory::kE2ROMMaxSize;
  if (m_wRAMStart < 0x8200) m_wRAMStart = 0x8200;
  if ((LONG)m_wRAMStart + m_wRAMSize > 0x10000) m_wRAMSize = (WORD)(0x10000 - m_wRAMStart);
  if (SupportCAMTables()) {
    WORD limit = m_wE2ROMSize < m_wRAMSize ? m_wE2ROMSize : m_wRAMSize;
    if (m_wCAMSize > limit) m_wCAMSize = limit;
  } else {
    m_wCAMSize = 0;
  }
  if (m_wZURStartE2ROM < DriveMemory::kE2ROMStart ||
      (LONG)m_wZURStartE2ROM >= DriveMemory::kE2ROMStart + (LONG)m_wE2ROMSize)
    m_wZURStartE2ROM = DriveMemory::kE2ROMStart;
  if (m_wZURSizeRAM > 0x7E00) m_wZURSizeRAM = 0x7E00;

  const LONG e = m_wE2ROMSize, rs = m_wRAMStart, rz = m_wRAMSize, zs = m_wZURStartE2ROM, zr = m_wZURSizeRAM,
             c = m_wCAMSize, p = m_wPVTSize;
  if (t == 0 || t + 80 > e || p > rz) {
    m_wLoadZURCodeAddress = m_wRunZURCodeAddress = m_wZURCodeLength = 0;
    m_wLogBufferAddress = m_wLogBufferLength = 0;
    m_wLoadCAMTablesAddress = m_wRunCAMTablesAddress = m_wCAMTablesLength = 0;
    return 0;
  }
  int result = 1;
  LONG l = c;
  if (!(c <= e - t - 80 && c + p <= rz)) {
    l = 0;
    result = 0;
  }
  const LONG loadCam = e - l - t + DriveMemory::kSetupTableEndBase;
  const LONG runCam = rs + rz - l;
  LONG loadZur, runZur, zurLen;
  if (m_bLoadToE2ROM) {
    if (DriveMemory::kE2ROMStart <= zs && zs <= loadCam &&
        (m_bRunFromE2ROM || (loadCam - zs >= zr && zr <= rz - l - p))) {
      loadZur = zs;
      runZur = m_bRunFromE2ROM ? zs : rs + p;
      zurLen = m_bRunFromE2ROM ? loadCam - zs : zr;
    } else {
      loadZur = loadCam;
      runZur = m_bRunFromE2ROM ? loadCam : rs + p;
      zurLen = 0;
      result = 0;
    }
  } else {
    loadZur = runZur = rs + p;
    zurLen = zr;
    if (zr > rz - l - p) {
      zurLen = 0;
      result = 0;
    }
  }
  LONG logAddr, logLen;
  if (m_bLoadToE2ROM && m_bRunFromE2ROM) {
    logAddr = rs + p;
    logLen = rz - l - p;
  } else {
    logAddr = runZur + zurLen;
    logLen = rz - zurLen - l - p;
  }
  if (logLen < 0) logLen = 0;
  LONG runCamAddr = runCam;
  // A RAM too small for the logger keeps it and the CAM tables in the low data memory.
  if (rs - 0x8200 + rz <= 0x600) {
    logAddr += 0x8800;
    runCamAddr -= 0x7800;
  }
  m_wLoadZURCodeAddress = (WORD)loadZur;
  m_wRunZURCodeAddress = (WORD)runZur;
  m_wZURCodeLength = (WORD)zurLen;
  m_wLogBufferAddress = (WORD)logAddr;
  m_wLogBufferLength = (WORD)logLen;
  m_wLoadCAMTablesAddress = (WORD)loadCam;
  m_wRunCAMTablesAddress = (WORD)runCamAddr;
  m_wCAMTablesLength = (WORD)l;
  return result;
}

int CMC_Setup::IsLoggerEnabled() const {
  return m_wLogBufferAddress != 0 && m_wLogBufferLength >= 7 && (LONG)m_wLogBufferAddress + m_wLogBufferLength <= 0x10000;
}

void CMC_Setup::GetDefaultDataSection(WORD& start, WORD& size) const {
  if (GetIntOption("DisableDivision") && GetIntOption("DisableDataTransfer")) {
    start = 992;
    size = 32;
  } else {
    start = 944;
    size = 80;
  }
}

// ---- Versions, slaves and ports -------------------------------------------------------------

int CMC_Setup::GetMCVersion(const char* firmwareId) {
  if (!firmwareId) return 0;
  CString id(firmwareId);
  if (id.GetLength() != 5) return 0;
  if (id[0] == 'S') return 1;
  if (id[0] == 'F') return id[1] >= '5' && id[1] <= '7' ? 3 : 2;
  return 0;
}

int CMC_Setup::GetMaxIOPort(int full) const { return full || GetMCVersion() < 3 ? 39 : 15; }

int CMC_Setup::GetNumberOfBrakeOutputs() const {
  int n = 0;
  for (int p = 0; p <= GetMaxIOPort(0); ++p)
    if (IsBrakePortEnable(p)) ++n;
  return n;
}

CString CMC_Setup::GetPortName(int port, int input) const {
  return EntryOf(input ? m_arrInputPortNames : m_arrOutputPortNames, port);
}

int CMC_Setup::GetHomingInputPort() const {
  CString value;
  if (!m_mapOptions.Lookup("HOMEINPUT", value)) return -1;
  int port = atoi(value);
  return IsInputPortEnable(port) ? port : -1;
}

void CMC_Setup::ComputeSlaveCount() {
  m_bySlaveCount = 0;
  if (m_strFirmwareID.GetLength() != 5 || m_strFirmwareID.Left(2) != "F7") return;
  CQuietErrors quiet;
  for (char c = 'A'; c <= 'G'; c += 2) {
    CString name;
    name.Format("SLAVE_%c%c", c, c + 1);
    CMC_Parameter* p = m_Parameters.FindParameter(name);
    if (!p || p->GetType() != VAR_UINT) break;
    m_bySlaveCount += 2;
  }
}

namespace {
CString SlaveParameterName(BYTE n) {
  CString name;
  char first = (char)('A' + (n & ~1));
  name.Format("SLAVE_%c%c", first, first + 1);
  return name;
}
}  // namespace

int CMC_Setup::MotionController_GetAxisIDOfSlave(BYTE n, BYTE& id) const {
  if (n >= m_bySlaveCount) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_NO_SLAVE, 'A' + n);
    return 0;
  }
  CMC_Parameter* p = FindParameter(SlaveParameterName(n));
  id = 0;
  if (p) {
    WORD w = (WORD)p->GetValueInInternalUnit();
    id = (BYTE)(n & 1 ? w >> 8 : w & 0xFF);
  }
  return 1;
}

int CMC_Setup::MotionController_SetAxisIDOfSlave(BYTE n, BYTE id, int* changed) {
  if (changed) *changed = 0;
  if (n >= m_bySlaveCount) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_NO_SLAVE, 'A' + n);
    return 0;
  }
  CMC_Parameter* p = FindParameter(SlaveParameterName(n));
  if (!p) return 0;
  WORD old = (WORD)p->GetValueInInternalUnit();
  WORD w = n & 1 ? (WORD)((old & 0x00FF) | (id << 8)) : (WORD)((old & 0xFF00) | id);
  if (w != old) {
    p->SetValueInInternalUnit(w);
    if (changed) *changed = 1;
  }
  return 1;
}

int CMC_Setup::VerifyMotionControllerConfig() const {
  if (!IsMotionController()) return 1;
  BYTE ids[256] = {0};
  CString list;
  auto append = [&list](int slave, unsigned id) {
    CString item;
    item.Format("%c[%u]", 'A' + slave, id);
    if (!list.IsEmpty()) list += ", ";
    list += item;
  };
  for (int n = 0; n < m_bySlaveCount; ++n) {
    if (!MotionController_GetAxisIDOfSlave((BYTE)n, ids[n])) return 0;
    if (ids[n] == 0) continue;
    for (int m = 0; m < n; ++m) {
      if (ids[m] != ids[n]) continue;
      if (list.IsEmpty()) append(m, ids[m]);
      append(n, ids[n]);
      break;
    }
  }
  if (list.IsEmpty()) return 1;
  ShowKernelMessage(MB_ICONSTOP, IDS_SETUP_SLAVE_CONFLICT, list.GetString());
  return 0;
}

void CMC_Setup::SetIOInfo() {
  const int count = GetMaxIOPort(0) + 1;
  m_arrPortFlags.RemoveAll();
  m_arrPortFlags.SetSize(count);
  m_arrInputPortNames.RemoveAll();
  m_arrInputPortNames.SetSize(count);
  m_arrOutputPortNames.RemoveAll();
  m_arrOutputPortNames.SetSize(count);
  const char* const seps = " ,\t";
  for (int p = 0; p < count; ++p) {
    CString key;
    key.Format("PORT[%d]", p);
    CString text = GetOptionNoError(key);
    text.Trim(seps);
    BYTE flags = 0;
    bool in = false, out = false;
    CString inName, outName;
    while (!text.IsEmpty()) {
      if (text.Left(6).CompareNoCase("invert") == 0) {
        text.Delete(0, 6);
        flags |= 0x04;
      } else if (text.Left(2).CompareNoCase("in") == 0) {
        text.Delete(0, 2);
        flags |= 0x01;
        in = true;
      } else if (text.Left(3).CompareNoCase("out") == 0) {
        text.Delete(0, 3);
        flags |= 0x02;
        out = true;
      } else {
        CString name;
        if (ReadEscapedStringFromConfigLine(text, name)) {
          if (in && !out) inName = name;
          else if (out && !in) outName = name;
          else if (inName.IsEmpty()) inName = name;
          else if (outName.IsEmpty()) outName = name;
        } else {
          int k = text.FindOneOf(seps);
          if (k < 0) text.Empty();
          else text.Delete(0, k);
        }
      }
      text.TrimLeft(seps);
    }
    if ((flags & 0x03) == 0x03) {
      if (inName.IsEmpty()) inName = outName;
      else if (outName.IsEmpty()) outName = inName;
    }
    m_arrPortFlags[p] = flags;
    m_arrInputPortNames[p] = inName;
    m_arrOutputPortNames[p] = outName;
  }
  // "port value" pairs, e.g. "5 1, 7 0"
  CString brakes = GetOptionNoError("BrakeOutputs");
  while (!brakes.IsEmpty()) {
    int comma = brakes.Find(',');
    CString pair = comma < 0 ? brakes : brakes.Left(comma);
    brakes = comma < 0 ? CString() : brakes.Mid(comma + 1);
    int port = 0, value = 0;
    if (ScanString(pair, "%d %d", &port, &value) != 2 || port < 0 || port >= count) continue;
    if (value == 0) m_arrPortFlags[port] |= 0x10;
    else if (value == 1) m_arrPortFlags[port] |= 0x20;
  }
}
