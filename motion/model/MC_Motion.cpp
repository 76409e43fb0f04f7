#include "motion/model/MC_Motion.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MotionFileSet.h"
#include "motion/modules/MotionModule.h"
#include "platform/core/MessageBox.h"

#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"

#include <new>

namespace {
const UINT IDS_OUT_OF_MEMORY = 20004;
const UINT IDS_EMPTY_STRING = 20036;
const UINT IDS_INVALID_SYMBOL = 20046;
const UINT IDS_DUPLICATE_FUNCTION = 20047;
const UINT IDS_DELETE_FUNCTION = 20302;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

CMC_MotionGroup* GroupAt(const CMC_MotionGroup& folder, int i) {
  if (i < 0 || i >= folder.GetSize()) return nullptr;
  return DYNAMIC_DOWNCAST(CMC_MotionGroup, folder.GetAt(i));
}

CString SlotLabel(const char* format, int n) {
  CString s;
  s.Format(format, n);
  return s;
}

}  // namespace

// ---- Creation -----------------------------------------------------------------------------------

CMC_Motion::CMC_Motion()
    : m_pSetup(nullptr),
      m_pModules(new CMotionModulesArray),
      m_pCAMTables(new CMC_CAMTables),
      m_nSelectionGroup(selNone),
      m_nSubSelection(-1) {
}

CMC_Motion::~CMC_Motion() {
  delete m_pCAMTables;
  delete m_pModules;
}

void CMC_Motion::Destroy(CMC_Motion* motion) { delete motion; }

CMC_Motion* CMC_Motion::Create(CMC_Setup* setup) {
  if (!setup) return nullptr;
  CMC_Motion* motion = nullptr;
  try {
    motion = new CMC_Motion;
  } catch (const std::bad_alloc&) {
    motion = nullptr;
  }
  if (!motion) {
    AfxMessageBox(FormatKernelString(IDS_OUT_OF_MEMORY), MB_ICONSTOP);
    return nullptr;
  }
  motion->m_pSetup = setup;
  if (!motion->m_pModules->LoadModules(setup) || !motion->ReadSetupSettings() ||
      !motion->CorrectHomingProcedures(0) || !motion->CorrectInterrupts(0)) {
    delete motion;
    return nullptr;
  }
  motion->m_strSource.Empty();
  motion->ResizeSlaveAxes();
  return motion;
}

CMC_Motion* CMC_Motion::CreateCopy(CMC_Setup* setup) {
  CMC_Motion* copy = Create(setup);
  if (!copy) return nullptr;
  const int setupChanged = m_pSetup && m_pSetup->GetConfigID() != setup->GetConfigID();
  const int firmwareChanged = m_pSetup && CString(m_pSetup->GetFirmwareID()) != CString(setup->GetFirmwareID());
  copy->m_Main = m_Main;
  copy->m_HomingProcedures = m_HomingProcedures;
  copy->m_Functions = m_Functions;
  copy->m_Interrupts = m_Interrupts;
  *copy->m_pCAMTables = *m_pCAMTables;
  if (setup->IsMotionController()) {
    copy->m_arrSlaveAxis = m_arrSlaveAxis;
    copy->ResizeSlaveAxes();
  }
  copy->CorrectHomingProcedures(setupChanged);
  copy->CorrectInterrupts(firmwareChanged);
  copy->TranslateAll(1);
  copy->DetectAndFixUnitTransitions();
  copy->m_strSource = m_strSource;
  return copy;
}

CMC_Motion* CMC_Motion::CreateFromDirectory(CMC_Setup*& setup, const char* directory) {
  if (!directory) return nullptr;
  // The setup and the program are read as one set: a save stopped part-way is completed or undone
  // first, and none replaces files meanwhile.
  CConfigFolderLock lock(CString(directory) + "\\");
  if (lock.IsRefused()) return nullptr;
  CMC_Setup* read = nullptr;
  {
    CShowErrorsScope scope(setup ? FALSE : TRUE);
    read = CMC_Setup::CreateFromDirectory(directory);
  }
  if (!setup) {
    if (!read) return nullptr;
    setup = read;
  }
  CMC_Motion* motion = Create(setup);
  if (motion) {
    const int other = read && read != setup;
    const int setupChanged = other && read->GetConfigID() != setup->GetConfigID();
    const int firmwareChanged = other && CString(read->GetFirmwareID()) != CString(setup->GetFirmwareID());
    motion->m_pCAMTables->Load(directory);
    const CString dir = CString(directory) + "\\";
    motion->ReadSourceText(dir);
    // Messages name the files as the directory was given, in the platform's form.
    int ok = motion->m_Main.Load("Main", GivenFileName(dir + "main.cfg"), 0) &&
             motion->m_HomingProcedures.Load("Homing Modes", GivenFileName(dir + "homingmodes.cfg"), 1) &&
             motion->m_Functions.Load("Functions", GivenFileName(dir + "functions.cfg"), 1) &&
             motion->m_Interrupts.Load("Interrupts", GivenFileName(dir + "interrupts.cfg"), 1) &&
             motion->CorrectHomingProcedures(setupChanged) && motion->CorrectInterrupts(firmwareChanged);
    if (!ok) {
      delete motion;
      motion = nullptr;
    } else if (!setup->IsMotionController()) {
      motion->TranslateAll(1);
      motion->DetectAndFixUnitTransitions();
    }
  }
  if (read && !(motion && read == setup)) {
    if (read == setup) setup = nullptr;
    CMC_Setup::Destroy(read);
  }
  return motion;
}

void CMC_Motion::SetSetup(CMC_Setup* setup) {
  if (!setup) return;
  const int setupChanged = m_pSetup && m_pSetup->GetConfigID() != setup->GetConfigID();
  const int firmwareChanged = m_pSetup && CString(m_pSetup->GetFirmwareID()) != CString(setup->GetFirmwareID());
  m_pSetup = setup;
  m_pModules->LoadModules(setup);
  ResizeSlaveAxes();
  ReadSetupSettings();
  CorrectHomingProcedures(setupChanged);
  CorrectInterrupts(firmwareChanged);
  TranslateAll(1);
  DetectAndFixUnitTransitions();
}

void CMC_Motion::ResizeSlaveAxes() {
  m_arrSlaveAxis.resize(m_pSetup ? (size_t)(BYTE)m_pSetup->GetMotionControllerSlaveCount() : 0, nullptr);
}

// ---- Homing procedures and interrupts ------------------------------------------------------------

int CMC_Motion::CorrectHomingProcedures(int setupChanged) {
  if (!m_pSetup) return 0;
  const int count = m_pSetup->GetHomingProceduresCount();
  for (int i = 0; i < count; ++i) {
    const CString file = m_pSetup->GetHomingProcedureFile(i);
    CMC_MotionGroup* group = i < m_HomingProcedures.GetSize() ? GroupAt(m_HomingProcedures, i) : nullptr;
    if (!group) {
      group = new CMC_MotionGroup;
      ReadDefaultHomingProcedure(i, *group);
      group->m_bEnabled = 0;
      // A slot that holds something other than a group is replaced.
      if (i < m_HomingProcedures.GetSize()) m_HomingProcedures.DeleteAt(i);
      m_HomingProcedures.InsertAt(i, static_cast<CObject*>(group));
      continue;
    }
    const bool keep = group->m_strName.IsEmpty() == file.IsEmpty() && (!setupChanged || group->m_bEnabled);
    if (keep) {
      if (!group->m_strName.IsEmpty() && m_pSetup->GetMCVersion() >= 3) group->m_strName = SlotLabel("home%d", i + 1);
    } else {
      ReadDefaultHomingProcedure(i, *group);
      group->m_bEnabled = 0;
    }
  }
  if (m_HomingProcedures.GetSize() > count) {
    m_HomingProcedures.DeleteAt(count, (int)m_HomingProcedures.GetSize() - count);
  }
  return m_HomingProcedures.GetSize() == count;
}

int CMC_Motion::CorrectInterrupts(int firmwareChanged) {
  if (!m_pSetup) return 0;
  const int count = m_pSetup->GetInterruptsCount();
  for (int i = 0; i < count; ++i) {
    const CString label = SlotLabel("int%d", i);
    CMC_MotionGroup* group = i < m_Interrupts.GetSize() ? GroupAt(m_Interrupts, i) : nullptr;
    if (!group) {
      group = new CMC_MotionGroup;
      ReadDefaultInterrupt(label, *group);
      group->m_bEnabled = 0;
      if (i < m_Interrupts.GetSize()) m_Interrupts.DeleteAt(i);
      m_Interrupts.InsertAt(i, static_cast<CObject*>(group));
    } else if (!group->m_bEnabled && firmwareChanged) {
      ReadDefaultInterrupt(label, *group);
      group->m_bEnabled = 0;
    } else {
      group->m_strName = label;
    }
  }
  if (m_Interrupts.GetSize() > count) m_Interrupts.DeleteAt(count, (int)m_Interrupts.GetSize() - count);
  return m_Interrupts.GetSize() == count;
}

CMC_MotionGroup* CMC_Motion::GetHomingProcedure(int i) { return GroupAt(m_HomingProcedures, i); }
int CMC_Motion::GetHomingProceduresCount() const { return (int)m_HomingProcedures.GetSize(); }

CString CMC_Motion::GetHomingProcedureName(int i) const {
  CMC_MotionGroup* g = GroupAt(m_HomingProcedures, i);
  return g ? g->m_strName : CString();
}

int CMC_Motion::GetAvailableHomingProceduresCount() const {
  int n = 0;
  for (int i = 0; i < GetHomingProceduresCount(); ++i) n += IsHomingProcedureAvailable(i) ? 1 : 0;
  return n;
}

BOOL CMC_Motion::IsHomingProcedureAvailable(int i) const {
  CMC_MotionGroup* g = GroupAt(m_HomingProcedures, i);
  return g && !g->m_strName.IsEmpty();
}

BOOL CMC_Motion::IsHomingProcedureEnable(int i) const {
  CMC_MotionGroup* g = GroupAt(m_HomingProcedures, i);
  return g && !g->m_strName.IsEmpty() && g->m_bEnabled;
}

void CMC_Motion::EnableHomingProcedure(int i, BOOL enable) {
  CMC_MotionGroup* g = GroupAt(m_HomingProcedures, i);
  if (g && !g->m_strName.IsEmpty()) g->m_bEnabled = enable;
}

BOOL CMC_Motion::HaveUserHomingProcedures() const {
  for (int i = 0; i < GetHomingProceduresCount(); ++i)
    if (IsHomingProcedureEnable(i)) return TRUE;
  return FALSE;
}

int CMC_Motion::FindHomingProcedure(const char* name) const {
  if (!name || !*name) return -1;
  for (int i = 0; i < GetHomingProceduresCount(); ++i) {
    CMC_MotionGroup* g = GroupAt(m_HomingProcedures, i);
    if (g && g->m_strName.CompareNoCase(name) == 0) return i;
  }
  return -1;
}

void CMC_Motion::ResetHomingProcedureToDefaultHandler(int i) {
  CMC_MotionGroup* g = GroupAt(m_HomingProcedures, i);
  if (!g || g->m_strName.IsEmpty()) return;
  ReadDefaultHomingProcedure(i, *g);
  g->m_bEnabled = 1;
  Translate(g, 0);
}

CString CMC_Motion::GetHomingProcedureDescription(int i) {
  CMC_MotionGroup* g = GroupAt(m_HomingProcedures, i);
  if (!g || g->m_strName.IsEmpty() || g->GetSize() == 0) return CString();
  auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, g->GetAt(0));
  if (!e || !Translate(e, 0)) return CString();
  CString code = e->m_strCode;
  code.Trim();
  if (code.GetLength() > 4 && code.Left(2) == "/*" && code.Right(2) == "*/") {
    CString description = code.Mid(2, code.GetLength() - 4);
    description.Trim();
    return description;
  }
  return CString();
}

CMC_MotionGroup* CMC_Motion::GetInterrupt(int i) { return GroupAt(m_Interrupts, i); }
int CMC_Motion::GetInterruptsCount() const { return (int)m_Interrupts.GetSize(); }

CString CMC_Motion::GetInterruptName(int i) const {
  CMC_MotionGroup* g = GroupAt(m_Interrupts, i);
  return g ? g->m_strName : CString();
}

BOOL CMC_Motion::IsUserInterrupt(int i) const {
  CMC_MotionGroup* g = GroupAt(m_Interrupts, i);
  return g && g->m_bEnabled;
}

void CMC_Motion::SetUserInterrupt(int i, BOOL user) {
  if (CMC_MotionGroup* g = GroupAt(m_Interrupts, i)) g->m_bEnabled = user;
}

BOOL CMC_Motion::HaveUserInterrupts() const {
  for (int i = 0; i < GetInterruptsCount(); ++i)
    if (IsUserInterrupt(i)) return TRUE;
  return FALSE;
}

void CMC_Motion::ResetUserInterruptToDefaultHandler(int i) {
  CMC_MotionGroup* g = GroupAt(m_Interrupts, i);
  if (!g) return;
  const CString label = g->m_strName;
  ReadDefaultInterrupt(label, *g);
  g->m_bEnabled = 1;
  Translate(g, 0);
}

// ---- Functions ------------------------------------------------------------------------------------

int CMC_Motion::ValidateFunctionName(const char* name, int except) const {
  UINT error = 0;
  if (!name || !*name) {
    error = IDS_EMPTY_STRING;
  } else if (!IsAsciiLetter(name[0]) && name[0] != '_') {
    error = IDS_INVALID_SYMBOL;
  } else {
    for (const char* p = name + 1; *p && !error; ++p)
      if (!IsAsciiLetter(*p) && !IsAsciiDigit(*p) && *p != '_') error = IDS_INVALID_SYMBOL;
  }
  if (!error) {
    for (int i = 0; i < GetFunctionsCount(); ++i) {
      CMC_MotionGroup* g = GroupAt(m_Functions, i);
      if (i != except && g && g->m_strName.CompareNoCase(name) == 0) {
        error = IDS_DUPLICATE_FUNCTION;
        break;
      }
    }
  }
  if (!error) return 1;
  ShowKernelMessage(MB_ICONSTOP, error);
  return 0;
}

int CMC_Motion::AddNewFunction(const char* name) {
  if (!ValidateFunctionName(name, -1)) return -1;
  auto* g = new (std::nothrow) CMC_MotionGroup(name);
  if (!g) return -1;
  return (int)m_Functions.Add(g);
}

int CMC_Motion::AddNewFunction() {
  static const char kBase[] = "Untitled";
  const int baseLength = (int)sizeof kBase - 1;
  LONGLONG highest = -1;
  for (int i = 0; i < GetFunctionsCount(); ++i) {
    CMC_MotionGroup* g = GroupAt(m_Functions, i);
    if (!g || g->m_strName.GetLength() < baseLength || g->m_strName.Left(baseLength).CompareNoCase(kBase) != 0)
      continue;
    // The rest read as a signed decimal number, as atoi would, kept far from overflow.
    const char* p = g->m_strName.GetString() + baseLength;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    LONGLONG n = 0;
    for (; IsAsciiDigit(*p); ++p)
      if (n < 100000000000000LL) n = n * 10 + (*p - '0');
    if (negative) n = -n;
    if (n > highest) highest = n;
  }
  CString name(kBase);
  if (highest >= 0) name.Format("Untitled%I64d", highest + 1);
  auto* g = new (std::nothrow) CMC_MotionGroup(name);
  if (!g) return -1;
  return (int)m_Functions.Add(g);
}

int CMC_Motion::RenameFunction(int i, const char* name) {
  CMC_MotionGroup* g = GroupAt(m_Functions, i);
  if (!g || !ValidateFunctionName(name, i)) return 0;
  g->m_strName = name;
  return 1;
}

int CMC_Motion::RemoveFunction(int i) {
  CMC_MotionGroup* g = GroupAt(m_Functions, i);
  if (!g) return 0;
  if (AfxMessageBox(FormatKernelString(IDS_DELETE_FUNCTION, g->m_strName.GetString()),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return 0;
  m_Functions.DeleteAt(i);
  if (m_nSelectionGroup == selFunction && m_nSubSelection >= i) m_nSelectionGroup = selFunctionsFolder;
  return 1;
}

int CMC_Motion::RemoveSelFunction() {
  if (m_nSelectionGroup != selFunction) return 0;
  CMC_MotionGroup* g = GroupAt(m_Functions, m_nSubSelection);
  if (!g) return 0;
  if (AfxMessageBox(FormatKernelString(IDS_DELETE_FUNCTION, g->m_strName.GetString()),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return 0;
  m_Functions.DeleteAt(m_nSubSelection);
  if (m_nSubSelection >= 1) {
    --m_nSubSelection;
  } else if (GetFunctionsCount() == 0) {
    m_nSelectionGroup = selMain;
    m_nSubSelection = -1;
  }
  return 1;
}

int CMC_Motion::MoveFunctionUp(int i) {
  if (i < 1 || i >= GetFunctionsCount()) return 0;
  SwapFunctions(i - 1, i);
  return 1;
}

int CMC_Motion::MoveFunctionDown(int i) {
  if (i < 0 || i >= GetFunctionsCount() - 1) return 0;
  SwapFunctions(i, i + 1);
  return 1;
}

// A selected function stays selected where it goes: the views showing it edit it by the selection.
void CMC_Motion::SwapFunctions(int a, int b) {
  CObject* o = m_Functions.GetAt(a);
  m_Functions.SetAt(a, m_Functions.GetAt(b));
  m_Functions.SetAt(b, o);
  if (m_nSelectionGroup == selFunction && (m_nSubSelection == a || m_nSubSelection == b))
    m_nSubSelection = m_nSubSelection == a ? b : a;
}

CMC_MotionGroup* CMC_Motion::GetFunction(int i) { return GroupAt(m_Functions, i); }

CString CMC_Motion::GetFunctionName(int i) const {
  CMC_MotionGroup* g = GroupAt(m_Functions, i);
  return g ? g->m_strName : CString();
}

int CMC_Motion::GetFunctionsCount() const { return (int)m_Functions.GetSize(); }

int CMC_Motion::FindFunction(const char* name) const {
  if (!name || !*name) return -1;
  for (int i = 0; i < GetFunctionsCount(); ++i) {
    CMC_MotionGroup* g = GroupAt(m_Functions, i);
    if (g && g->m_strName.CompareNoCase(name) == 0) return i + 1;
  }
  return -1;
}

// ---- Selection ------------------------------------------------------------------------------------

void CMC_Motion::SetSelection(tagSelectionGroup group, int sub) {
  m_nSelectionGroup = group;
  m_nSubSelection = sub;
}

CString CMC_Motion::GetSelectionName() const {
  switch (m_nSelectionGroup) {
    case selMain: return "Main";
    case selHomingFolder: return "Homing Procedures";
    case selHoming: return "Homing procedure " + GetHomingProcedureName(m_nSubSelection);
    case selFunctionsFolder: return "Functions";
    case selFunction: return "Function " + GetFunctionName(m_nSubSelection);
    case selInterruptsFolder: return "Interrupts";
    case selInterrupt: return "Interrupt " + GetInterruptName(m_nSubSelection);
    case selCAMFolder: return "CAMs";
    case selCAM: return "CAM " + GetCAMName(m_nSubSelection);
    default: return CString();
  }
}

CMC_MotionGroup* CMC_Motion::GetSequenceSelection() {
  switch (m_nSelectionGroup) {
    case selMain: return &m_Main;
    case selHoming: return GetHomingProcedure(m_nSubSelection);
    case selFunction: return GetFunction(m_nSubSelection);
    case selInterrupt: return GetInterrupt(m_nSubSelection);
    default: return nullptr;
  }
}

CMC_CAM* CMC_Motion::GetCAMSelection() { return m_nSelectionGroup == selCAM ? GetCAM(m_nSubSelection) : nullptr; }

// ---- Elements -------------------------------------------------------------------------------------

CMC_MotionElem* CMC_Motion::CreateElement(int module) {
  const char* name = m_pModules->GetModuleName(module);
  return name ? CreateElement(name) : nullptr;
}

CMC_MotionElem* CMC_Motion::CreateElement(const char* module) {
  if (!module) return nullptr;
  auto* e = new (std::nothrow) CMC_MotionElem;
  if (!e) return nullptr;
  e->m_strType = module;
  m_pModules->GetDefaultParameters(module, m_pSetup, this, &e->m_strParameters);
  return e;
}

int CMC_Motion::Edit(CMC_MotionElem* element) {
  if (!element) return 0;
  int changed = m_pModules->EditMotionSequence(element->m_strType, m_pSetup, this, &element->m_strParameters);
  if (changed) Translate(element, 1);
  return changed;
}

BOOL CMC_Motion::Translate(CMC_MotionElem* element, int force) {
  if (!element) return FALSE;
  if (!force && !element->m_strCode.IsEmpty()) return element->m_bTranslateError == 0;
  element->m_strCode.Empty();
  int result = m_pModules->TranslateMotionSequence(element->m_strType, m_pSetup, this, &element->m_strParameters,
                                                   &element->m_strCode);
  element->m_bTranslateError = result > 0 ? 0 : 1;
  return element->m_bTranslateError == 0;
}

BOOL CMC_Motion::Translate(CMC_MotionGroup* group, int force) {
  if (!group) return FALSE;
  BOOL ok = TRUE;
  for (INT_PTR i = 0; i < group->GetSize(); ++i) {
    CObject* child = group->GetAt(i);
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, child)) {
      if (!Translate(e, force)) ok = FALSE;
    } else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child)) {
      if (!Translate(g, force)) ok = FALSE;
    } else {
      ok = FALSE;
    }
  }
  return ok;
}

BOOL CMC_Motion::TranslateAll(int force) {
  BOOL ok = Translate(&m_Main, force);
  ok = Translate(&m_SetupSettings, force) && ok;
  ok = Translate(&m_HomingProcedures, force) && ok;
  ok = Translate(&m_Functions, force) && ok;
  ok = Translate(&m_Interrupts, force) && ok;
  return ok;
}

void CMC_Motion::EmptyCache(CMC_MotionElem* element) {
  if (element) element->m_strCode.Empty();
}

void CMC_Motion::EmptyCache(CMC_MotionGroup* group) {
  if (!group) return;
  for (INT_PTR i = 0; i < group->GetSize(); ++i) {
    CObject* child = group->GetAt(i);
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, child)) EmptyCache(e);
    else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child)) EmptyCache(g);
  }
}

void CMC_Motion::EmptyCache() {
  EmptyCache(&m_Main);
  EmptyCache(&m_SetupSettings);
  EmptyCache(&m_HomingProcedures);
  EmptyCache(&m_Functions);
  EmptyCache(&m_Interrupts);
}

BOOL CMC_Motion::HasTranslateErrors() const {
  return m_Main.HasTranslateError() || m_SetupSettings.HasTranslateError() ||
         m_HomingProcedures.HasTranslateError() || m_Functions.HasTranslateError() ||
         m_Interrupts.HasTranslateError();
}

BOOL CMC_Motion::GetModuleWithTranslateErrors(tagSelectionGroup& group, int& sub) const {
  if (m_Main.HasTranslateError() || m_SetupSettings.HasTranslateError()) {
    group = selMain;
    return TRUE;
  }
  if ((sub = m_HomingProcedures.GetFirstElementWithTranslateError()) >= 0) {
    group = selHoming;
    return TRUE;
  }
  if ((sub = m_Functions.GetFirstElementWithTranslateError()) >= 0) {
    group = selFunction;
    return TRUE;
  }
  if ((sub = m_Interrupts.GetFirstElementWithTranslateError()) >= 0) {
    group = selInterrupt;
    return TRUE;
  }
  sub = -1;
  return FALSE;
}

// ---- Motion modules -------------------------------------------------------------------------------

int CMC_Motion::GetModulesCount() const { return m_pModules->GetSize(); }
const char* CMC_Motion::GetModuleName(int i) const { return m_pModules->GetModuleName(i); }
CString CMC_Motion::GetModuleDescription(int i) const { return m_pModules->GetModuleDescription(i); }
HBITMAP CMC_Motion::GetModuleBitmap(int i) const { return m_pModules->GetModuleBitmap(i); }
const CStringArray& CMC_Motion::GetClasses() const { return m_pModules->GetClasses(); }
int CMC_Motion::GetClassesCount() const { return m_pModules->GetClassesCount(); }
void CMC_Motion::GetModulesOfClass(int classIndex, CStringArray& names) const {
  m_pModules->GetModulesOfClass(classIndex, names);
}
HINSTANCE CMC_Motion::GetCurrentModule() const { return m_pModules->GetCurrentModule(); }

// ---- Slave axes -----------------------------------------------------------------------------------

CMC_AxisData* CMC_Motion::GetMotionControllerSlaveAxis(int i) const {
  return i >= 0 && (size_t)i < m_arrSlaveAxis.size() ? m_arrSlaveAxis[(size_t)i] : nullptr;
}

int CMC_Motion::GetMotionControllerSlaveAxisIdx(CMC_AxisData* axis) const {
  if (!axis) return -1;
  for (size_t i = 0; i < m_arrSlaveAxis.size(); ++i)
    if (m_arrSlaveAxis[i] == axis) return (int)i;
  return -1;
}

void CMC_Motion::SetMotionControllerSlaveAxis(int i, CMC_AxisData* axis) {
  if (i >= 0 && (size_t)i < m_arrSlaveAxis.size()) m_arrSlaveAxis[(size_t)i] = axis;
}

void CMC_Motion::CopySlaveAxisArrayIfMotionController(CMC_Motion* other) {
  if (!other || !m_pSetup || !m_pSetup->IsMotionController()) return;
  if (other != this) m_arrSlaveAxis = other->m_arrSlaveAxis;
  ResizeSlaveAxes();
  TranslateAll(1);
  DetectAndFixUnitTransitions();
}

// ---- CAM tables -----------------------------------------------------------------------------------

int CMC_Motion::GetCAMsCount() const { return m_pCAMTables->GetCAMsCount(); }
CMC_CAM* CMC_Motion::GetCAM(int i) const { return m_pCAMTables->GetSelCAM(i); }
CString CMC_Motion::GetCAMName(int i) const {
  CMC_CAM* cam = GetCAM(i);
  return cam ? CString(cam->GetName()) : CString();
}
CMC_CAM* CMC_Motion::FindCAM(const char* name) const {
  if (!name) return nullptr;
  for (int i = 0; i < GetCAMsCount(); ++i) {
    CMC_CAM* cam = GetCAM(i);
    if (cam && CString(cam->GetName()).CompareNoCase(name) == 0) return cam;
  }
  return nullptr;
}
int CMC_Motion::GetCAMTablesSize() const {
  if (m_pSetup && !m_pSetup->SupportCAMTables()) return 0;
  return (int)m_pCAMTables->GetCAMsSizesInWords();
}
