// Motion modules: the plug-ins that edit, default and translate motion elements, and their ordered list.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "platform/core/Array.h"
#include "platform/core/Map.h"
#include "platform/core/Module.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "platform/core/Types.h"

class CMC_Setup;
class CMC_Motion;
struct HBITMAP__;
typedef HBITMAP__* HBITMAP;

// The exports of a module library.
typedef const char* (*MM_GET_CLASS_NAME)();
typedef const char* (*MM_GET_NAME)();
typedef WORD (*MM_GET_ORDER_ID)();
typedef int (*MM_IS_ENABLED)(CMC_Setup* setup);
typedef void (*MM_GET_DEFAULT_PARAMETERS)(CMC_Setup* setup, CMC_Motion* motion, CString* parameters);
typedef int (*MM_EDIT_MOTION_SEQUENCE)(CMC_Setup* setup, CMC_Motion* motion, CString* parameters);
typedef int (*MM_TRANSLATE_MOTION_SEQUENCE)(CMC_Setup* setup, CMC_Motion* motion, CString* parameters,
                                            CString* code);

class CMotionModule : public CObject {
 public:
  CMotionModule() = default;
  ~CMotionModule() override;
  CMotionModule(const CMotionModule&) = delete;
  CMotionModule& operator=(const CMotionModule&) = delete;

  // 1 when the library loaded with all seven exports.
  int Load(const char* path);
  void Unload();
  HINSTANCE GetInstance() const { return m_hLibrary; }
  // The "ModuleIcon" bitmap as a new bitmap the caller owns; null when the library has none.
  HBITMAP GetBitmap() const;
  // The bytes of the "ModuleIcon" bitmap resource; null when the library has none.
  const void* GetBitmapResource(DWORD& size) const;

  // Call-throughs; a missing export gives null, 0, 65535 or an empty parameter string.
  const char* GetClassName() const;
  const char* GetName() const;
  WORD GetOrderID() const;
  int IsEnabled(CMC_Setup* setup) const;
  void GetDefaultParameters(CMC_Setup* setup, CMC_Motion* motion, CString* parameters) const;
  int EditMotionSequence(CMC_Setup* setup, CMC_Motion* motion, CString* parameters) const;
  int TranslateMotionSequence(CMC_Setup* setup, CMC_Motion* motion, CString* parameters, CString* code) const;

 private:
  HINSTANCE m_hLibrary = nullptr;
  MM_GET_CLASS_NAME m_pfnGetClassName = nullptr;
  MM_GET_NAME m_pfnGetName = nullptr;
  MM_GET_ORDER_ID m_pfnGetOrderID = nullptr;
  MM_IS_ENABLED m_pfnIsEnabled = nullptr;
  MM_GET_DEFAULT_PARAMETERS m_pfnGetDefaultParameters = nullptr;
  MM_EDIT_MOTION_SEQUENCE m_pfnEditMotionSequence = nullptr;
  MM_TRANSLATE_MOTION_SEQUENCE m_pfnTranslateMotionSequence = nullptr;
};

// The modules loaded for one setup: grouped by class (classes in the order of their first modules),
// within a class by order id and then by name without regard to case.
class CMotionModulesArray : public CObArrayEx<CMotionModule> {
 public:
  CMotionModulesArray();
  ~CMotionModulesArray() override;

  // (Re)loads every module of the kernel's MotionModules folder that is enabled for the setup;
  // 0 only when memory runs out.
  int LoadModules(CMC_Setup* setup);
  // Inserts a loaded module in order; 0 for a name already held (the caller deletes the module).
  int AddModule(CMotionModule* module);
  void RemoveAll();

  const char* GetModuleName(int index) const;
  CString GetModuleDescription(int index) const;
  HBITMAP GetModuleBitmap(int index) const;
  const CStringArray& GetClasses() const { return m_classNames; }
  int GetClassesCount() const { return (int)m_classNames.GetSize(); }
  void GetModulesOfClass(int classIndex, CStringArray& names) const;
  // The module of an element type (any case), or null.
  CMotionModule* FindModule(const char* name) const;

  void GetDefaultParameters(const char* name, CMC_Setup* setup, CMC_Motion* motion, CString* parameters);
  int EditMotionSequence(const char* name, CMC_Setup* setup, CMC_Motion* motion, CString* parameters);
  int TranslateMotionSequence(const char* name, CMC_Setup* setup, CMC_Motion* motion, CString* parameters,
                              CString* code);
  // The library being called at this moment; null between calls.
  HINSTANCE GetCurrentModule() const { return m_hCurrentModule; }

 private:
  CMapStringToOb m_nameMap;
  CStringArray m_classNames;
  CUIntArray m_firstIndex;
  CUIntArray m_lastIndex;
  HINSTANCE m_hCurrentModule = nullptr;
};

// What modules ask of a setup about units: the unit of a drive variable and the kind of a unit.
// The setup answers unless other answers are installed (tests install their own).
class CMotionModuleSetupQueries {
 public:
  virtual ~CMotionModuleSetupQueries() = default;
  // 1 and the variable's unit text when the setup has the variable.
  virtual int GetVariableUnit(CMC_Setup* setup, const char* variable, CString& unit) = 0;
  virtual int IsLinearUnit(CMC_Setup* setup, const char* unit) = 0;
  virtual int IsRotaryUnit(CMC_Setup* setup, const char* unit) = 0;
};
// Null removes the answers; the setup then answers (0 without a setup).
void SetMotionModuleSetupQueries(CMotionModuleSetupQueries* queries);
int MotionModule_GetVariableUnit(CMC_Setup* setup, const char* variable, CString& unit);
int MotionModule_IsLinearUnit(CMC_Setup* setup, const char* unit);
int MotionModule_IsRotaryUnit(CMC_Setup* setup, const char* unit);
