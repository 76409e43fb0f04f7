// The motion program of one drive or motion controller: its groups, slots, modules and CAM tables.
#pragma once

#include "motion/model/MC_MotionElem.h"
#include "motion/model/MC_MotionGroup.h"
#include "platform/core/Module.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "platform/core/Types.h"

#include <vector>

class CMC_Setup;
class CMC_Document;
class CMC_AxisData;
class CMC_CAM;
class CMC_CAMTables;
class CMotionModulesArray;
struct HBITMAP__;
typedef HBITMAP__* HBITMAP;
struct CMC_MotionTestAccess;

class CMC_Motion {
 public:
  enum tagSelectionGroup {
    selNone = 0,
    selMain = 1,
    selHomingFolder = 2,
    selHoming = 3,
    selFunctionsFolder = 4,
    selFunction = 5,
    selInterruptsFolder = 6,
    selInterrupt = 7,
    selCAMFolder = 8,
    selCAM = 9,
  };

  virtual ~CMC_Motion();
  CMC_Motion(const CMC_Motion&) = delete;
  CMC_Motion& operator=(const CMC_Motion&) = delete;

  // ---- Creation ----
  static CMC_Motion* Create(CMC_Setup* setup);
  static CMC_Motion* CreateFromDirectory(CMC_Setup*& setup, const char* directory);
  static void Destroy(CMC_Motion* motion);
  CMC_Motion* CreateCopy(CMC_Setup* setup);
  void SetSetup(CMC_Setup* setup);
  CMC_Setup* GetSetup() const { return m_pSetup; }

  // ---- Groups and slots ----
  CMC_MotionGroup* GetMain() { return &m_Main; }
  CMC_MotionGroup* GetSetupSettings() { return &m_SetupSettings; }
  CMC_MotionGroup* GetHomingProcedure(int i);
  int GetHomingProceduresCount() const;
  CString GetHomingProcedureName(int i) const;
  int GetAvailableHomingProceduresCount() const;
  BOOL IsHomingProcedureAvailable(int i) const;
  BOOL IsHomingProcedureEnable(int i) const;
  void EnableHomingProcedure(int i, BOOL enable);
  BOOL HaveUserHomingProcedures() const;
  int FindHomingProcedure(const char* name) const;
  void ResetHomingProcedureToDefaultHandler(int i);
  CString GetHomingProcedureDescription(int i);
  CMC_MotionGroup* GetInterrupt(int i);
  int GetInterruptsCount() const;
  CString GetInterruptName(int i) const;
  BOOL IsUserInterrupt(int i) const;
  void SetUserInterrupt(int i, BOOL user);
  BOOL HaveUserInterrupts() const;
  void ResetUserInterruptToDefaultHandler(int i);

  // ---- Functions ----
  int AddNewFunction(const char* name);
  int AddNewFunction();
  int RenameFunction(int i, const char* name);
  int RemoveFunction(int i);
  int RemoveSelFunction();
  int MoveFunctionUp(int i);
  int MoveFunctionDown(int i);
  CMC_MotionGroup* GetFunction(int i);
  CString GetFunctionName(int i) const;
  int GetFunctionsCount() const;
  // One-based position, -1 for none.
  int FindFunction(const char* name) const;

  // ---- Selection of the motion views ----
  void SetSelection(tagSelectionGroup group, int sub);
  tagSelectionGroup GetSelectedGroup() const { return m_nSelectionGroup; }
  int GetSubSelection() const { return m_nSubSelection; }
  CString GetSelectionName() const;
  CMC_MotionGroup* GetSequenceSelection();
  CMC_CAM* GetCAMSelection();

  // ---- Elements ----
  CMC_MotionElem* CreateElement(int module);
  CMC_MotionElem* CreateElement(const char* module);
  int Edit(CMC_MotionElem* element);
  BOOL Translate(CMC_MotionElem* element, int force);
  BOOL Translate(CMC_MotionGroup* group, int force);
  BOOL TranslateAll(int force);
  void EmptyCache(CMC_MotionElem* element);
  void EmptyCache(CMC_MotionGroup* group);
  void EmptyCache();
  BOOL HasTranslateErrors() const;
  BOOL GetModuleWithTranslateErrors(tagSelectionGroup& group, int& sub) const;

  // ---- Element parameter strings ----
  static void AddToElemParameters(CString& parameters, const char* name, const char* unit, const char* value);
  int ReadAllElemParameters(const CString& parameters, CStringArray& names, CStringArray& units,
                            CStringArray& values) const;
  int ReadElemParameter(const CString& parameters, const char* name, CString& unit, CString& value) const;

  // ---- Motion modules ----
  int GetModulesCount() const;
  const char* GetModuleName(int i) const;
  CString GetModuleDescription(int i) const;
  HBITMAP GetModuleBitmap(int i) const;
  const CStringArray& GetClasses() const;
  int GetClassesCount() const;
  void GetModulesOfClass(int classIndex, CStringArray& names) const;
  HINSTANCE GetCurrentModule() const;

  // ---- Slave axes of a motion controller ----
  CMC_AxisData* GetMotionControllerSlaveAxis(int i) const;
  int GetMotionControllerSlaveAxisIdx(CMC_AxisData* axis) const;
  void SetMotionControllerSlaveAxis(int i, CMC_AxisData* axis);
  void CopySlaveAxisArrayIfMotionController(CMC_Motion* other);
  void ReplaceSlaveAxisIfIsMotionController(CMC_AxisData* axis);
  int UpdateMotionControllerSetup(int& changed);
  int ReadSlaveAxisFromDirectory(CMC_Document* document, const char* directory);
  int WriteSlaveAxisToDirectory(const char* directory);

  // ---- CAM tables ----
  CMC_CAMTables* GetCAMTables() { return m_pCAMTables; }
  int GetCAMsCount() const;
  CMC_CAM* GetCAM(int i) const;
  CString GetCAMName(int i) const;
  CMC_CAM* FindCAM(const char* name) const;
  int GetCAMTablesSize() const;

  // ---- Motion directory ----
  int SaveToDirectory(const char* directory);
  const CString& GetSourceText() const { return m_strSource; }

  // Repairs the parameters of elements that failed after a change between rotary and linear units.
  void DetectAndFixUnitTransitions();

  // ---- Build ----
  // Writes the program's sources into the motion directory and compiles them into motion.out.
  int Build(const char* directory);
  static CString GetOutFileName(const char* directory);
  int GetCAMAddresses(const char* name, WORD& load, WORD& run);

 private:
  void SwapFunctions(int a, int b);
  friend struct CMC_MotionTestAccess;

  CMC_Motion();

  int CorrectHomingProcedures(int setupChanged);
  int CorrectInterrupts(int firmwareChanged);
  int ReadSetupSettings();
  int ReadDefaultHomingProcedure(int i, CMC_MotionGroup& group);
  int ReadDefaultInterrupt(const char* label, CMC_MotionGroup& group);
  void ReadSourceText(const char* directory);
  int ValidateFunctionName(const char* name, int except) const;
  void ResizeSlaveAxes();
  // Repairs one group and its sub-groups; `factor` is asked once per run, -1 when abandoned.
  void DetectAndFixUnitTransitions(CMC_MotionGroup* group, double& factor);

  // Source writers of the build; each returns 1 when its file was written.
  int GenerateSourceFile(const char* file);
  int GenerateMainZUR(const char* file);
  int GenerateCopySequenceZUR(const char* file);
  int GenerateSetupInterruptsZUR(const char* file);
  int GenerateInitCamZUR(const char* file);
  int GenerateSetupSettingsZUR(const char* file);
  int GenerateHomeProcsZUR(const char* file);
  int GenerateFunctionsZUR(const char* file);
  int GenerateInterruptsZUR(const char* file);

  static int ParseAllElemParameters(const CString& parameters, CStringArray& names, CStringArray& units,
                                    CStringArray& values);
  static int ParseElemParameter(const CString& parameters, const char* name, CString& unit, CString& value);

  CMC_Setup* m_pSetup;
  CMotionModulesArray* m_pModules;
  CMC_MotionGroup m_Main;
  CMC_MotionGroup m_SetupSettings;
  CMC_MotionGroup m_HomingProcedures;
  CMC_MotionGroup m_Functions;
  CMC_MotionGroup m_Interrupts;
  CMC_CAMTables* m_pCAMTables;
  // Not owned; null entries are unbound slaves.
  std::vector<CMC_AxisData*> m_arrSlaveAxis;
  tagSelectionGroup m_nSelectionGroup;
  int m_nSubSelection;
  CString m_strSource;
};
