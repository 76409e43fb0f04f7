// The three plug-in modules of a setup: loading, the thin wrappers around their entry points and the
// setup editor.
#include "comm/BinaryCodeViewerDlg.h"
#include "comm/MC_Comm.h"
#include "kernel/dialogs/CANopenFactors.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/setup/SetupStringIds.h"
#include "kernel/values/Utilities.h"
#include "platform/core/MessageBox.h"

namespace {

template <typename F>
bool Resolve(HMODULE h, const char* name, F& fn) {
  fn = reinterpret_cast<F>(GetProcAddress(h, name));
  return fn != nullptr;
}

// Loads `folder + file`; on failure shows the system's text and returns null.
HMODULE LoadModule(const CString& folder, const CString& file) {
  HMODULE h = AfxLoadLibrary(folder + file);
  if (!h && g_bShowErrors) ShowLastError(MB_ICONEXCLAMATION);
  return h;
}

}  // namespace

void CMC_Setup::FreeGUIModule() {
  if (m_hGUIModule) AfxFreeLibrary(m_hGUIModule);
  m_hGUIModule = nullptr;
  m_pfnOnInitParam = nullptr;
  m_pfnEditSetup = nullptr;
  m_pfnGetScaleOffset = nullptr;
  m_pfnGetScaleFactor = nullptr;
  m_pfnComputeAllOptions = nullptr;
}

void CMC_Setup::FreeInterpreterModule() {
  if (m_hInterpreterModule) AfxFreeLibrary(m_hInterpreterModule);
  m_hInterpreterModule = nullptr;
  m_pfnVerifySyntax = nullptr;
  m_pfnExecuteString = nullptr;
  m_pfnExecuteFile = nullptr;
  m_pfnInterpGetErrorString = nullptr;
  m_pfnInterpGetOutputString = nullptr;
  m_pfnGetInputPortBit = nullptr;
  m_pfnGetOutputPortBit = nullptr;
}

void CMC_Setup::FreeCompilerModule() {
  if (m_hCompilerModule) AfxFreeLibrary(m_hCompilerModule);
  m_hCompilerModule = nullptr;
  m_pfnCompileFile = nullptr;
  m_pfnCompGetErrorString = nullptr;
}

int CMC_Setup::LoadGUIModule() {
  FreeGUIModule();
  CString file = GetOptionNoError("GUI_File");
  m_hGUIModule = LoadModule(GetGUIDirectory(), file);
  if (!m_hGUIModule) return 0;
  Resolve(m_hGUIModule, "OnInitParam", m_pfnOnInitParam);
  bool ok = Resolve(m_hGUIModule, "EditSetup", m_pfnEditSetup);
  ok = Resolve(m_hGUIModule, "GetScaleOffset", m_pfnGetScaleOffset) && ok;
  ok = Resolve(m_hGUIModule, "GetScaleFactor", m_pfnGetScaleFactor) && ok;
  ok = Resolve(m_hGUIModule, "ComputeAllOptions", m_pfnComputeAllOptions) && ok;
  if (ok) return 1;
  FreeGUIModule();
  ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_INVALID_GUI_MODULE, file.GetString());
  return 0;
}

int CMC_Setup::LoadInterpreterModule() {
  FreeInterpreterModule();
  CString file = GetOptionNoError("Interpreter_File");
  if (file.IsEmpty()) file = "interpreter.dll";
  m_hInterpreterModule = LoadModule(GetKernelDirectory(), file);
  if (!m_hInterpreterModule) return 0;
  bool ok = Resolve(m_hInterpreterModule, "interp_VerifySyntax", m_pfnVerifySyntax);
  ok = Resolve(m_hInterpreterModule, "interp_ExecuteString", m_pfnExecuteString) && ok;
  ok = Resolve(m_hInterpreterModule, "interp_ExecuteFile", m_pfnExecuteFile) && ok;
  ok = Resolve(m_hInterpreterModule, "interp_GetErrorString", m_pfnInterpGetErrorString) && ok;
  ok = Resolve(m_hInterpreterModule, "interp_GetOutputString", m_pfnInterpGetOutputString) && ok;
  ok = Resolve(m_hInterpreterModule, "interp_GetInputPortBit", m_pfnGetInputPortBit) && ok;
  ok = Resolve(m_hInterpreterModule, "interp_GetOutputPortBit", m_pfnGetOutputPortBit) && ok;
  if (ok) return 1;
  FreeInterpreterModule();
  ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_INVALID_INTERPRETER, file.GetString());
  return 0;
}

int CMC_Setup::LoadCompilerModule() {
  FreeCompilerModule();
  CString file = GetOptionNoError("Compiler_File");
  if (file.IsEmpty()) file = "compiler.dll";
  m_hCompilerModule = LoadModule(GetKernelDirectory(), file);
  if (!m_hCompilerModule) return 0;
  bool ok = Resolve(m_hCompilerModule, "comp_CompileFile", m_pfnCompileFile);
  ok = Resolve(m_hCompilerModule, "comp_GetErrorString", m_pfnCompGetErrorString) && ok;
  if (ok) return 1;
  FreeCompilerModule();
  ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_INVALID_COMPILER, file.GetString());
  return 0;
}

// ---- Wrappers -------------------------------------------------------------------------------

int CMC_Setup::CompileFile(const char* file, WORD loadAddress, WORD length, WORD runAddress, WORD dataStart,
                           WORD dataSize, WORD sixth, CMC_CoffFormat* coff) {
  if (!m_pfnCompileFile) return 0;
  return m_pfnCompileFile(this, coff, file, loadAddress, length, runAddress, dataStart, dataSize, sixth);
}

void CMC_Setup::DoBinaryCodeViewer(CMC_CoffFormat* coff) {
  CBinaryCodeViewerDlg dlg(*this, coff);
  dlg.DoModal();
}

const char* CMC_Setup::GetCompilerErrorString() const {
  return m_pfnCompGetErrorString ? m_pfnCompGetErrorString() : nullptr;
}

int CMC_Setup::VerifySyntax(const char* text, CMC_CoffFormat* coff) {
  return m_pfnVerifySyntax && m_pfnVerifySyntax(this, coff, text) ? 1 : 0;
}

namespace {
// Address 0 names the active drive.
bool ResolveAxisAddress(WORD& address) {
  if (address != 0) return true;
  WORD axis = 0;
  if (!CMC_Comm::GetActiveBoard(axis)) return false;
  address = (WORD)(axis << 4);
  return true;
}
}  // namespace

int CMC_Setup::ExecuteString(const char* text, WORD address, CMC_CoffFormat* coff) {
  if (!m_pfnExecuteString || !ResolveAxisAddress(address)) return 0;
  return m_pfnExecuteString(this, coff, address, text) ? 1 : 0;
}

int CMC_Setup::ExecuteFile(FILE* file, WORD address, CMC_CoffFormat* coff) {
  if (!m_pfnExecuteFile || !ResolveAxisAddress(address)) return 0;
  return m_pfnExecuteFile(this, coff, address, file) ? 1 : 0;
}

const char* CMC_Setup::GetInterpreterErrorString() const {
  return m_pfnInterpGetErrorString ? m_pfnInterpGetErrorString() : nullptr;
}

const char* CMC_Setup::GetInterpreterOutputString() const {
  return m_pfnInterpGetOutputString ? m_pfnInterpGetOutputString() : nullptr;
}

int CMC_Setup::GetInputPortBit(int port, WORD& address, WORD& mask) {
  return m_pfnGetInputPortBit ? m_pfnGetInputPortBit(this, port, address, mask) : 0;
}

int CMC_Setup::GetOutputPortBit(int port, WORD& address, WORD& mask) {
  return m_pfnGetOutputPortBit ? m_pfnGetOutputPortBit(this, port, address, mask) : 0;
}

int CMC_Setup::OnInitParam(const char* name) {
  if (!m_pfnOnInitParam) return 1;
  // The upper-case name is made only for a module that asks for it.
  CString key(name);
  key.MakeUpper();
  return m_pfnOnInitParam(this, key);
}

void CMC_Setup::SetupComputeAllOptions() {
  if (m_pfnComputeAllOptions) m_pfnComputeAllOptions(this);
}

int CMC_Setup::Edit() {
  m_bTestPerformedDuringEdit = 0;
  m_bIUCacheEnabled = 0;
  int result = 0;
  if (m_pfnEditSetup) {
    CObArrayEx<CMC_Parameter> backup;
    BackupParameters(backup);
    const CString speedTuning = GetOptionNoError("SpeedTuningOscSettings");
    const CString positionTuning = GetOptionNoError("PositionTuningOscSettings");
    result = m_pfnEditSetup(this);
    if (result) {
      ComputeAddresses();
      SetupComputeAllOptions();
      UpdateCANopenFactors(this);
    } else {
      RestoreParameters(backup);
      if (speedTuning.IsEmpty()) ClearOption("SpeedTuningOscSettings");
      else SetOption("SpeedTuningOscSettings", speedTuning);
      if (positionTuning.IsEmpty()) ClearOption("PositionTuningOscSettings");
      else SetOption("PositionTuningOscSettings", positionTuning);
    }
    CleanupBackupParameters(backup);
  }
  InvalidateIUCache();
  m_bIUCacheEnabled = 1;
  return result;
}
