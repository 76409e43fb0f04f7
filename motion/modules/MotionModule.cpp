#include "motion/modules/MotionModule.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "motion/model/MotionStringIds.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"

#include <new>

// ---- CMotionModule ----------------------------------------------------------------------------------

CMotionModule::~CMotionModule() { Unload(); }

void CMotionModule::Unload() {
  if (m_hLibrary) FreeLibrary(m_hLibrary);
  m_hLibrary = nullptr;
  m_pfnGetClassName = nullptr;
  m_pfnGetName = nullptr;
  m_pfnGetOrderID = nullptr;
  m_pfnIsEnabled = nullptr;
  m_pfnGetDefaultParameters = nullptr;
  m_pfnEditMotionSequence = nullptr;
  m_pfnTranslateMotionSequence = nullptr;
}

int CMotionModule::Load(const char* path) {
  Unload();
  HINSTANCE library = path ? LoadLibrary(path) : nullptr;
  if (!library) {
    if (g_bShowErrors) ShowLastError(MB_ICONEXCLAMATION);
    return 0;
  }
  m_hLibrary = library;
  m_pfnGetClassName = (MM_GET_CLASS_NAME)GetProcAddress(library, "GetClassName");
  m_pfnGetName = (MM_GET_NAME)GetProcAddress(library, "GetName");
  m_pfnGetOrderID = (MM_GET_ORDER_ID)GetProcAddress(library, "GetOrderID");
  m_pfnIsEnabled = (MM_IS_ENABLED)GetProcAddress(library, "IsEnabled");
  m_pfnGetDefaultParameters = (MM_GET_DEFAULT_PARAMETERS)GetProcAddress(library, "GetDefaultParameters");
  m_pfnEditMotionSequence = (MM_EDIT_MOTION_SEQUENCE)GetProcAddress(library, "EditMotionSequence");
  m_pfnTranslateMotionSequence =
      (MM_TRANSLATE_MOTION_SEQUENCE)GetProcAddress(library, "TranslateMotionSequence");
  if (m_pfnGetClassName && m_pfnGetName && m_pfnGetOrderID && m_pfnIsEnabled && m_pfnGetDefaultParameters &&
      m_pfnEditMotionSequence && m_pfnTranslateMotionSequence)
    return 1;
  Unload();
  ShowKernelMessage(MB_ICONEXCLAMATION, IDS_MM_INVALID_LIBRARY, ShownFileName(path).GetString());
  return 0;
}

const void* CMotionModule::GetBitmapResource(DWORD& size) const {
  size = 0;
  if (!m_hLibrary) return nullptr;
  HRSRC resource = FindResource(m_hLibrary, "ModuleIcon", RT_BITMAP);
  if (!resource) return nullptr;
  HGLOBAL data = LoadResource(m_hLibrary, resource);
  if (!data) return nullptr;
  size = SizeofResource(m_hLibrary, resource);
  return LockResource(data);
}

const char* CMotionModule::GetClassName() const { return m_pfnGetClassName ? m_pfnGetClassName() : nullptr; }
const char* CMotionModule::GetName() const { return m_pfnGetName ? m_pfnGetName() : nullptr; }
WORD CMotionModule::GetOrderID() const { return m_pfnGetOrderID ? m_pfnGetOrderID() : (WORD)65535; }
int CMotionModule::IsEnabled(CMC_Setup* setup) const { return m_pfnIsEnabled ? m_pfnIsEnabled(setup) : 0; }

void CMotionModule::GetDefaultParameters(CMC_Setup* setup, CMC_Motion* motion, CString* parameters) const {
  if (!parameters) return;
  if (m_pfnGetDefaultParameters)
    m_pfnGetDefaultParameters(setup, motion, parameters);
  else
    parameters->Empty();
}

int CMotionModule::EditMotionSequence(CMC_Setup* setup, CMC_Motion* motion, CString* parameters) const {
  return m_pfnEditMotionSequence && parameters ? m_pfnEditMotionSequence(setup, motion, parameters) : 0;
}

int CMotionModule::TranslateMotionSequence(CMC_Setup* setup, CMC_Motion* motion, CString* parameters,
                                           CString* code) const {
  return m_pfnTranslateMotionSequence && parameters && code
             ? m_pfnTranslateMotionSequence(setup, motion, parameters, code)
             : 0;
}

// ---- CMotionModulesArray ----------------------------------------------------------------------------

CMotionModulesArray::CMotionModulesArray() : CObArrayEx<CMotionModule>(TRUE) {
  CObArray::SetSize(0, 32);
  m_nameMap.InitHashTable(97);
}

CMotionModulesArray::~CMotionModulesArray() { RemoveAll(); }

void CMotionModulesArray::RemoveAll() {
  m_nameMap.RemoveAll();
  m_classNames.RemoveAll();
  m_firstIndex.RemoveAll();
  m_lastIndex.RemoveAll();
  CObArrayEx<CMotionModule>::RemoveAll();
}

int CMotionModulesArray::LoadModules(CMC_Setup* setup) {
  RemoveAll();
  CString folder = GetMotionModulesDirectory();
  if (folder.IsEmpty()) return 1;
  // Plug-ins carry the platform's module extension.
  CFileFind finder;
  BOOL more = finder.FindFile(folder + "*.so");
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots() || finder.IsDirectory()) continue;
    CMotionModule* module = new (std::nothrow) CMotionModule;
    if (!module) {
      ShowKernelMessageAlways(MB_ICONSTOP, IDS_MOTION_OUT_OF_MEMORY);
      return 0;
    }
    if (!module->Load(finder.GetFilePath()) || !module->IsEnabled(setup) || !AddModule(module)) delete module;
  }
  return 1;
}

int CMotionModulesArray::AddModule(CMotionModule* module) {
  if (!module || !module->GetInstance()) return 0;
  const char* rawName = module->GetName();
  const char* rawClass = module->GetClassName();
  CString name(rawName ? rawName : "");
  CString className(rawClass ? rawClass : "");
  CString key(name);
  key.MakeUpper();
  CObject* existing = nullptr;
  if (m_nameMap.Lookup(key, existing)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_MM_DUPLICATE, name.GetString());
    return 0;
  }
  const WORD order = module->GetOrderID();
  // Whether the new module sorts before module k.
  auto sortsBefore = [&](int k) {
    const CMotionModule* other = GetAt(k);
    WORD otherOrder = other->GetOrderID();
    const char* otherName = other->GetName();
    return order < otherOrder || (order == otherOrder && name.CompareNoCase(otherName ? otherName : "") < 0);
  };
  const int classCount = (int)m_classNames.GetSize();
  int classIndex = -1;
  for (int c = 0; c < classCount && classIndex < 0; ++c)
    if (m_classNames[c].CompareNoCase(className) == 0) classIndex = c;

  if (classIndex >= 0) {
    int first = (int)m_firstIndex[classIndex], last = (int)m_lastIndex[classIndex];
    int place = last + 1;
    for (int k = first; k <= last; ++k)
      if (sortsBefore(k)) {
        place = k;
        break;
      }
    InsertAt(place, module);
    m_lastIndex[classIndex] = m_lastIndex[classIndex] + 1;
    for (int c = classIndex + 1; c < classCount; ++c) {
      m_firstIndex[c] = m_firstIndex[c] + 1;
      m_lastIndex[c] = m_lastIndex[c] + 1;
    }
  } else {
    int newClass = classCount;
    int place = GetSize();
    for (int c = 0; c < classCount; ++c)
      if (sortsBefore((int)m_firstIndex[c])) {
        newClass = c;
        place = (int)m_firstIndex[c];
        break;
      }
    InsertAt(place, module);
    m_classNames.InsertAt(newClass, className);
    m_firstIndex.InsertAt(newClass, (UINT)place);
    m_lastIndex.InsertAt(newClass, (UINT)place);
    for (int c = newClass + 1; c <= classCount; ++c) {
      m_firstIndex[c] = m_firstIndex[c] + 1;
      m_lastIndex[c] = m_lastIndex[c] + 1;
    }
  }
  m_nameMap.SetAt(key, module);
  return 1;
}

const char* CMotionModulesArray::GetModuleName(int index) const {
  return index >= 0 && index < GetSize() ? GetAt(index)->GetName() : nullptr;
}

CString CMotionModulesArray::GetModuleDescription(int index) const {
  if (index < 0 || index >= GetSize()) return CString();
  const char* cls = GetAt(index)->GetClassName();
  const char* name = GetAt(index)->GetName();
  CString text(cls ? cls : "");
  CString moduleName(name ? name : "");
  if (text != moduleName) {
    if (!text.IsEmpty()) text += " - ";
    text += moduleName;
  }
  return text;
}

void CMotionModulesArray::GetModulesOfClass(int classIndex, CStringArray& names) const {
  names.RemoveAll();
  if (classIndex < 0 || classIndex >= GetClassesCount()) return;
  for (UINT k = m_firstIndex[classIndex]; k <= m_lastIndex[classIndex] && (int)k < GetSize(); ++k) {
    const char* name = GetAt((int)k)->GetName();
    names.Add(name ? name : "");
  }
}

CMotionModule* CMotionModulesArray::FindModule(const char* name) const {
  if (!name) return nullptr;
  CString key(name);
  key.MakeUpper();
  CObject* found = nullptr;
  return m_nameMap.Lookup(key, found) ? static_cast<CMotionModule*>(found) : nullptr;
}

void CMotionModulesArray::GetDefaultParameters(const char* name, CMC_Setup* setup, CMC_Motion* motion,
                                               CString* parameters) {
  CMotionModule* module = FindModule(name);
  if (!module) return;
  m_hCurrentModule = module->GetInstance();
  module->GetDefaultParameters(setup, motion, parameters);
  m_hCurrentModule = nullptr;
}

int CMotionModulesArray::EditMotionSequence(const char* name, CMC_Setup* setup, CMC_Motion* motion,
                                            CString* parameters) {
  CMotionModule* module = FindModule(name);
  if (!module) return 0;
  m_hCurrentModule = module->GetInstance();
  int result = module->EditMotionSequence(setup, motion, parameters);
  m_hCurrentModule = nullptr;
  return result;
}

int CMotionModulesArray::TranslateMotionSequence(const char* name, CMC_Setup* setup, CMC_Motion* motion,
                                                 CString* parameters, CString* code) {
  CMotionModule* module = FindModule(name);
  if (!module) {
    if (code) *code = FormatKernelString(IDS_MM_NOT_FOUND, name ? name : "");
    return 0;
  }
  m_hCurrentModule = module->GetInstance();
  int result = module->TranslateMotionSequence(setup, motion, parameters, code);
  m_hCurrentModule = nullptr;
  return result;
}

// ---- Setup look-ups for modules ---------------------------------------------------------------------

namespace {
CMotionModuleSetupQueries* g_setupQueries = nullptr;
}

void SetMotionModuleSetupQueries(CMotionModuleSetupQueries* queries) { g_setupQueries = queries; }

// Without installed answers the setup itself answers.
int MotionModule_GetVariableUnit(CMC_Setup* setup, const char* variable, CString& unit) {
  unit.Empty();
  if (!variable) return 0;
  if (g_setupQueries) return g_setupQueries->GetVariableUnit(setup, variable, unit);
  CMC_Variable* var = setup ? setup->FindVariable(variable) : nullptr;
  if (!var) return 0;
  unit = var->GetUnitName();
  return 1;
}

int MotionModule_IsLinearUnit(CMC_Setup* setup, const char* unit) {
  if (!unit) return 0;
  if (g_setupQueries) return g_setupQueries->IsLinearUnit(setup, unit);
  return setup ? setup->GetUnits().IsLinearUnit(unit) : 0;
}

int MotionModule_IsRotaryUnit(CMC_Setup* setup, const char* unit) {
  if (!unit) return 0;
  if (g_setupQueries) return g_setupQueries->IsRotaryUnit(setup, unit);
  return setup ? setup->GetUnits().IsRotaryUnit(unit) : 0;
}
