// The model of one drive configuration: identity, memory layout, options, I/O ports, slaves and the
// parameter, variable and unit lists that every other subsystem looks values up in.
#pragma once

#include "kernel/e2rom/DriveMemory.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/params/MC_Parameters.h"
#include "kernel/params/MC_Units.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/params/MC_Variables.h"
#include "platform/core/Collections.h"
#include "platform/core/Module.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "platform/core/Types.h"

#include <cstdio>

class CConfigFileWriter;
class CMC_CoffFormat;
class CComboBox;
class CUIntArray;

class CMC_Setup {
 public:
  // Entry points of the setup GUI module.
  typedef int (*GUI_ONINITPARAM)(CMC_Setup*, const char*);
  typedef int (*GUI_EDITSETUP)(CMC_Setup*);
  typedef double (*GUI_GETSCALE)(CMC_Setup*, const char*, const char*);
  typedef void (*GUI_COMPUTEALLOPTIONS)(CMC_Setup*);
  // Entry points of the interpreter module.
  typedef int (*INTERP_VERIFYSYNTAX)(CMC_Setup*, CMC_CoffFormat*, const char*);
  typedef int (*INTERP_EXECUTESTRING)(CMC_Setup*, CMC_CoffFormat*, WORD, const char*);
  typedef int (*INTERP_EXECUTEFILE)(CMC_Setup*, CMC_CoffFormat*, WORD, FILE*);
  typedef const char* (*MODULE_GETSTRING)();
  typedef int (*INTERP_GETPORTBIT)(CMC_Setup*, int, WORD&, WORD&);
  // Entry points of the compiler module.
  typedef int (*COMP_COMPILEFILE)(CMC_Setup*, CMC_CoffFormat*, const char*, WORD, WORD, WORD, WORD, WORD, WORD);

  // ---- Creation ---------------------------------------------------------------------------
  static CMC_Setup* Create(WORD configurationId);
  static CMC_Setup* CreateFromDirectory(const char* dir);
  CMC_Setup* CreateCopy();
  static void Destroy(CMC_Setup* setup);

  // ---- Options ----------------------------------------------------------------------------
  void SetOption(const char* name, const char* value);
  void ClearOption(const char* name);
  CString GetOptionNoError(const char* name) const;
  CString GetOption(const char* name) const;
  int GetIntOption(const char* name) const;
  const CStringArray& GetOptionNames() const { return m_arrOptionNames; }

  // ---- Look-ups ---------------------------------------------------------------------------
  CMC_Parameter* FindParameter(const char* name) const;
  CMC_Variable* FindVariable(const char* name, int alsoFirmware = 1) const;
  CMC_Unit* FindUnit(const char* name) const { return m_Units.FindUnit(name); }
  double GetParameterValue(const char* name) const;
  double GetParameterValueInBaseUnit(const char* name) const;
  double GetParameterValueInInternalUnit(const char* name) const;
  void SetParameterValue(const char* name, double v);
  void SetParameterValueInBaseUnit(const char* name, double v);
  void SetParameterValueInInternalUnit(const char* name, double v);
  CString GetParameterUnit(const char* name) const;
  CString PrintParameterValue(const char* name) const;
  int ScanParameterValue(const char* name, const CString& text);
  int ChangeParameterUnit(const char* name, const char* unit);
  int AlterUnitTypeOfParameter(const char* name, const char* unitType);
  int AlterUnitTypeOfVariable(const char* name, const char* unitType);
  int RemoveUnit(const char* name);
  int MergeDerivedUnit(const char* name, const char* base, double factor, double offset);
  // The two combo fillers are defined with the window layer's combo boxes.
  void FillUnitCombo(CComboBox* combo, const char* name, int withInternal) const;
  void FillCANopenUnitCombo(CComboBox* combo, const char* name, SHORT a, SHORT b) const;
  CMC_Unit* FindCANopenUnit(const char* name, SHORT a, SHORT b) const;
  static BOOL IsInternalUnit(const char* name) { return CMC_Units::IsInternalUnit(name); }
  static BOOL IsInternalUnit(CComboBox* combo, int index) { return CMC_Units::IsInternalUnit(combo, index); }
  void InvalidateIUCache();
  void BackupParameters(CObArrayEx<CMC_Parameter>& backup) { m_Parameters.BackupParameters(backup); }
  void RestoreParameters(CObArrayEx<CMC_Parameter>& backup) { m_Parameters.RestoreParameters(backup); }
  static void CleanupBackupParameters(CObArrayEx<CMC_Parameter>& backup) {
    CMC_Parameters::CleanupArray(backup);
  }
  int HasFunctionTable() const;
  int HasHomingTable() const;
  int HasLinearLoad() const;
  int HasRotaryLoad() const;
  int SupportCAMTables() const;
  int FindInterrupt(const char* name) const;
  CString GetInterruptDescription(int i) const;
  CString GetStatusRegDesc(int i) const;
  CString GetErrorRegDesc(int i) const;
  CString GetSwProtectionDescription(int i) const;
  CString GetHomingProcedureFile(int i) const;
  int GetInterruptsCount() const { return (int)m_arrInterruptDesc.GetSize(); }
  int GetSwProtectionsCount() const { return (int)m_arrSwProtectionDesc.GetSize(); }
  int GetHomingProceduresCount() const { return (int)m_arrHomingFiles.GetSize(); }
  DWORD GetStatusRegMask() const { return m_dwStatusRegMask; }
  DWORD GetErrorRegMask() const { return m_dwErrorRegMask; }
  DWORD GetSwProtectionsMask() const { return m_dwSwProtectionsMask; }

  // ---- Accessors --------------------------------------------------------------------------
  const CString& GetFirmwareID() const { return m_strFirmwareID; }
  WORD GetConfigID() const { return m_wConfigurationID; }
  const CString& GetDescription() const { return m_strDescription; }
  const CString& GetProductID() const { return m_strProductID; }
  void SetProductID(const char* id) { m_strProductID = id ? id : ""; }
  const CString& GetCompatibleProductIDs() const { return m_strCompatibleProductIDs; }
  const CString& GetUserAppID() const { return m_strUserApplicationID; }
  void SetUserAppID(const char* id) { m_strUserApplicationID = id ? id : ""; }
  const CString& GetCompatibleFirmwares() const { return m_strCompatibleFirmwares; }
  WORD GetE2ROMSize() const { return m_wE2ROMSize; }
  WORD GetRAMStart() const { return m_wRAMStart; }
  WORD GetRAMSize() const { return m_wRAMSize; }
  WORD GetPVTSize() const { return m_wPVTSize; }
  WORD GetLoadZURCodeAddress() const { return m_wLoadZURCodeAddress; }
  WORD GetRunZURCodeAddress() const { return m_wRunZURCodeAddress; }
  WORD GetZURCodeLength() const { return m_wZURCodeLength; }
  WORD GetLogBufferAddress() const { return m_wLogBufferAddress; }
  WORD GetLogBufferLength() const { return m_wLogBufferLength; }
  WORD GetLoadCAMTablesAddress() const { return m_wLoadCAMTablesAddress; }
  WORD GetRunCAMTablesAddress() const { return m_wRunCAMTablesAddress; }
  WORD GetCAMTablesLength() const { return m_wCAMTablesLength; }
  CMC_Units& GetUnits() { return m_Units; }
  const CMC_Units& GetUnits() const { return m_Units; }
  CMC_Parameters& GetParameters() { return m_Parameters; }
  const CMC_Parameters& GetParameters() const { return m_Parameters; }
  CMC_Variables& GetVariables() { return m_Variables; }
  CMC_Variables& GetFirmwareVariables() { return m_FirmwareVariables; }
  HMODULE GetGuiModule() const { return m_hGUIModule; }
  int IsIUCacheEnabled() const { return m_bIUCacheEnabled; }
  int WasTestPerformedDuringEdit() const { return m_bTestPerformedDuringEdit; }
  void SetTestPerformedDuringEdit(int performed) { m_bTestPerformedDuringEdit = performed; }
  BYTE GetMotionControllerSlaveCount() const { return m_bySlaveCount; }

  // ---- Memory settings --------------------------------------------------------------------
  void GetMemorySettings(int& loadToE2ROM, int& runFromE2ROM, WORD& zurStart, WORD& zurSize, WORD& camSize) const;
  int SetMemorySettings(int loadToE2ROM, int runFromE2ROM, WORD zurStart, WORD zurSize, WORD camSize);
  int SetE2ROMSize(WORD size);
  int SetRAMSize(WORD size);
  int SetPVTSize(WORD size);
  int ChangeMemorySettings(WORD arg);

  // ---- Versions, slaves and ports ---------------------------------------------------------
  int GetMCVersion() const { return GetMCVersion(m_strFirmwareID); }
  static int GetMCVersion(const char* firmwareId);
  int GetMaxIOPort(int full) const;
  int GetMinIOPort() const { return 0; }
  int IsInputPortEnable(int port) const { return PortFlags(port) & 0x01 ? 1 : 0; }
  int IsOutputPortEnable(int port) const { return PortFlags(port) & 0x02 ? 1 : 0; }
  int IsIOPortInverted(int port) const { return PortFlags(port) & 0x04 ? 1 : 0; }
  int IsBrakePortEnable(int port) const { return PortFlags(port) & 0x30 ? 1 : 0; }
  int GetNumberOfBrakeOutputs() const;
  CString GetPortName(int port, int input) const;
  int GetHomingInputPort() const;
  int IsMotionController() const { return m_bySlaveCount != 0; }
  int MotionController_GetAxisIDOfSlave(BYTE n, BYTE& id) const;
  int MotionController_SetAxisIDOfSlave(BYTE n, BYTE id, int* changed);
  int VerifyMotionControllerConfig() const;

  // ---- Combo fillers: each empties the combo first; item data is the bit, port or index --
  void FillErrorRegBitsCombo(CComboBox& combo, int selected) const;
  void FillStatusRegBitsCombo(CComboBox& combo, int selected) const;
  void FillIOCombo(CComboBox& combo, int selected, int input) const;
  void FillIOBrakeCombo(CComboBox& combo, int selected) const;
  void FillVariableCombo(CComboBox& combo, const char* selected, int alsoFirmware);

  // ---- Feedback sensors of dual-loop drives -----------------------------------------------
  CString GetSensorName(int i) const;
  CString GetFeedbackName(int i) const;
  WORD GetDLMaxSensorValue() const;
  WORD GetDLMaxConnectorValue() const;
  bool GetDLSensorsArray(CStringArray& connectors) const;
  bool HasDLMotorSensor(int sensor, bool second) const;
  bool HasDLLoadSensor(int sensor, bool second) const;
  static bool FeedbackIsCompatible(int motorSensor, int loadSensor, CStringArray& blocked);
  static bool CheckDualLoopCombination(int& motorSensor, int& loadSensor, int& motorConnector, int& loadConnector,
                                       CStringArray& connectors, CStringArray& blocked);
  static void DualLoopIncrementSensors(int* a, int* b, int* c, int* d, int limitA, int limitB, int limitC,
                                       int limitD, int stopA, int stopB, int stopC, int stopD);
  // The number of items added; `selected` becomes the first item's number when none matched.
  static int FillSensorTypeCombo(CComboBox* combo, int& selected, int count, CStringArray& names, CString list);
  static int FillSensorConnectorCombo(CComboBox* combo, int& selected, int count, CStringArray& connectors,
                                      int sensor);
  // Finds a valid combination, the changed field keeping its value longest; 0 (after a warning) when none.
  int FillDlSensorsCombos(CComboBox* motorType, int& motorTypeSel, CComboBox* motorConnector, int& motorConnectorSel,
                          CComboBox* loadType, int& loadTypeSel, CComboBox* loadConnector, int& loadConnectorSel,
                          const char* changed, bool second);
  // Empty options give 1000 with 2 and false.
  bool GetConfigFreqList(CString option, CUIntArray& frequencies, CUIntArray& values) const;
  bool GetBiSSFreqList(CUIntArray& frequencies, CUIntArray& values) const;
  bool GetSSIFreqList(CUIntArray& frequencies, CUIntArray& values) const;

  // ---- Output configuration of MC version 3 drives: one byte per port, pin and inversion ----
  WORD GetIOPinFromPort(int port) const;
  int IsIOMC3PortInverted(int port) const;
  WORD GetIOPortFromPin(int pin) const;

  // ---- Other ------------------------------------------------------------------------------
  int IsLoggerEnabled() const;
  void GetDefaultDataSection(WORD& start, WORD& size) const;

  // ---- Directories ------------------------------------------------------------------------
  int SaveToDirectory(const char* dir);
  int ExportForVKS_Lib(const char* dir, CMC_CoffFormat* coff);
  int ImportFromDirectory(const char* dir);
  int SetFirmwareID(const char* id);
  static CString GetConfigurationRelativePath(WORD id);

  // ---- Plug-in modules --------------------------------------------------------------------
  int CompileFile(const char* file, WORD loadAddress, WORD length, WORD runAddress, WORD dataStart, WORD dataSize,
                  WORD sixth, CMC_CoffFormat* coff);
  const char* GetCompilerErrorString() const;
  // The binary code viewer on this setup, with the loaded program's symbols.
  void DoBinaryCodeViewer(CMC_CoffFormat* coff);
  int VerifySyntax(const char* text, CMC_CoffFormat* coff);
  int ExecuteString(const char* text, WORD address, CMC_CoffFormat* coff);
  int ExecuteFile(FILE* file, WORD address, CMC_CoffFormat* coff);
  const char* GetInterpreterErrorString() const;
  const char* GetInterpreterOutputString() const;
  int GetInputPortBit(int port, WORD& address, WORD& mask);
  int GetOutputPortBit(int port, WORD& address, WORD& mask);
  int Edit();
  void SetupComputeAllOptions();
  GUI_GETSCALE GetScaleFactorFct() const { return m_pfnGetScaleFactor; }
  GUI_GETSCALE GetScaleOffsetFct() const { return m_pfnGetScaleOffset; }
  CString GetGUIModuleName() const { return GetOptionNoError("GUI_File"); }
  // The GUI module's verdict on a parameter read from a file, asked with its upper-case name;
  // nonzero accepts, as does a module without the hook.
  int OnInitParam(const char* name);

  // The size in words of the setup table this setup builds, or 0 (with a message) when it cannot.
  WORD GetSetupTableSize() const;

  // ---- Setup table and transfers to the drive ---------------------------------------------
  // Fills `setup` (or a new setup of the drive's configuration) from the drive's table; a passed
  // setup is changed only when the whole table fits it.
  static CMC_Setup* CreateFromActiveBoard(CMC_Setup* setup);
  int SaveToActiveBoard();
  int CompareWithActiveBoard(int& same);
  int CheckCompatibilityWithActiveBoard(const char* firmware);
  bool CheckCompatibleFirmware(CString firmware);
  int SetRAMParameters();
  int ExportSetupImageToFile(const char* file);

 private:
  friend class CE2ROMSectionsArray;
  // A new table of `size` words owned by the caller, or null.
  WORD* BuildSetupTable(int& size) const;
  // The drive's table (`size` words) owned by the caller, or null.
  static WORD* ReadSetupTable(DWORD& size);
  // Reads one entry that ends before `end`; with `apply` 0 only checks it. Null when it does not fit.
  const WORD* ReadParameterFromTable(const WORD* entry, WORD expectedSize, const WORD* end, int apply);
  int ReadTableEntries(const WORD* table, DWORD size, int apply);

 public:

 protected:
  virtual ~CMC_Setup();

 private:
  friend struct CMC_SetupTestAccess;

  CMC_Setup();
  CMC_Setup(const CMC_Setup&) = delete;
  CMC_Setup& operator=(const CMC_Setup&) = delete;

  BYTE PortFlags(int port) const {
    return port >= 0 && port < (int)m_arrPortFlags.GetSize() ? m_arrPortFlags[port] : 0;
  }
  static CMC_Setup* NewSetup();
  int ComputeAddresses();
  void ComputeSlaveCount();
  void SetIOInfo();

  // Directory reading and writing.
  int ReadFromDirectory(CString& dir);
  int ReadSetupCfg(const CString& file);
  int ReadFirmwareSetupCfg(const char* firmwareId);
  int WriteToDirectory(CString& dir);
  int WriteSetupCfg(CConfigFileWriter& writer, int withSlaveCount);
  void GetEnabledHomeProcIDs(CUIntArray& ids) const;

  // Plug-in modules.
  int LoadGUIModule();
  int LoadInterpreterModule();
  int LoadCompilerModule();
  void FreeGUIModule();
  void FreeInterpreterModule();
  void FreeCompilerModule();

  CString m_strFirmwareID;
  WORD m_wConfigurationID = 0;
  CString m_strDescription;
  CString m_strProductID;
  CString m_strCompatibleProductIDs;
  CString m_strCompatibleFirmwares;
  CString m_strUserApplicationID;
  int m_bLoadToE2ROM = 1;
  int m_bRunFromE2ROM = 1;
  WORD m_wE2ROMSize = DriveMemory::kE2ROMMaxSize;
  WORD m_wRAMStart = 0x8200;
  WORD m_wRAMSize = 0x7E00;
  WORD m_wZURStartE2ROM = DriveMemory::kE2ROMStart;
  WORD m_wZURSizeRAM = 0;
  WORD m_wCAMSize = 0;
  WORD m_wPVTSize = 0;
  WORD m_wLoadZURCodeAddress = 0;
  WORD m_wRunZURCodeAddress = 0;
  WORD m_wZURCodeLength = 0;
  WORD m_wLogBufferAddress = 0;
  WORD m_wLogBufferLength = 0;
  WORD m_wLoadCAMTablesAddress = 0;
  WORD m_wRunCAMTablesAddress = 0;
  WORD m_wCAMTablesLength = 0;
  BYTE m_bySlaveCount = 0;
  CByteArray m_arrPortFlags;
  CStringArray m_arrInputPortNames;
  CStringArray m_arrOutputPortNames;
  CStringArray m_arrOptionNames;
  CMapStringToString m_mapOptions;
  CMC_Units m_Units;
  CMC_Parameters m_Parameters;
  CMC_Variables m_Variables;
  CStringArray m_arrHomingFiles;
  CMC_Variables m_FirmwareVariables;
  CStringArray m_arrInterruptDesc;
  DWORD m_dwStatusRegMask = 0;
  CStringArray m_arrStatusRegDesc;
  DWORD m_dwErrorRegMask = 0;
  CStringArray m_arrErrorRegDesc;
  DWORD m_dwSwProtectionsMask = 0;
  CStringArray m_arrSwProtectionDesc;

  HMODULE m_hGUIModule = nullptr;
  GUI_ONINITPARAM m_pfnOnInitParam = nullptr;
  GUI_EDITSETUP m_pfnEditSetup = nullptr;
  GUI_GETSCALE m_pfnGetScaleOffset = nullptr;
  GUI_GETSCALE m_pfnGetScaleFactor = nullptr;
  GUI_COMPUTEALLOPTIONS m_pfnComputeAllOptions = nullptr;

  HMODULE m_hInterpreterModule = nullptr;
  INTERP_VERIFYSYNTAX m_pfnVerifySyntax = nullptr;
  INTERP_EXECUTESTRING m_pfnExecuteString = nullptr;
  INTERP_EXECUTEFILE m_pfnExecuteFile = nullptr;
  MODULE_GETSTRING m_pfnInterpGetErrorString = nullptr;
  MODULE_GETSTRING m_pfnInterpGetOutputString = nullptr;
  INTERP_GETPORTBIT m_pfnGetInputPortBit = nullptr;
  INTERP_GETPORTBIT m_pfnGetOutputPortBit = nullptr;

  HMODULE m_hCompilerModule = nullptr;
  COMP_COMPILEFILE m_pfnCompileFile = nullptr;
  MODULE_GETSTRING m_pfnCompGetErrorString = nullptr;

  int m_bTestPerformedDuringEdit = 0;
  int m_bIUCacheEnabled = 1;
};
