#include "kernel/dialogs/MC_TestDlg.h"

#include "comm/MC_CoffFormat.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/values/Utilities.h"
#include "kernel/e2rom/DriveMemory.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/CmdTarget.h"

namespace {

const char kStopDrive[] = "END;AXISOFF;STOP0";
const char kUnlockE2ROM[] = "ENEEPROM;LOCKEEPROM 0";

bool ReadE2ROMWord(WORD address, WORD& value) { return CMC_Comm::ReceiveData(&value, address, 2, 1) != 0; }
bool WriteE2ROMWord(WORD address, WORD value) { return CMC_Comm::SendData(&value, address, 2, 1) != 0; }

}  // namespace

IMPLEMENT_DYNAMIC(CMC_TestDlg, CMC_EditSetupDlg)

BEGIN_MESSAGE_MAP(CMC_TestDlg, CMC_EditSetupDlg)
ON_BN_CLICKED(CMC_TestDlg::IDC_START_STOP, &CMC_TestDlg::OnBtnStartStop)
ON_BN_CLICKED(CMC_TestDlg::IDC_FAIL_DETAILS, &CMC_TestDlg::OnFailedDetails)
END_MESSAGE_MAP()

CMC_TestDlg::CMC_TestDlg(CMC_Setup& setup, UINT templateId, BOOL backup, CWnd* parent)
    : CMC_EditSetupDlg(setup, templateId, backup, nullptr, parent), m_nWindow(templateId) {}

// ---- Start, stop and end -----------------------------------------------------------------------------

void CMC_TestDlg::OnBtnStartStop() {
  if (m_bRunning) Stop();
  else Start();
}

void CMC_TestDlg::Start() {
  m_strStatus.Empty();
  m_strFailDetails.Empty();
  if (m_nWindow) {
    ShowChild(IDC_FAIL_DETAILS, FALSE);
    SetChildIcon(IDC_RESULT_ICON, "UNDEFINE");
  }
  m_bE2ROMProt = 0;
  // The clean-up keeps a program at 0x4000 only when this run started it.
  m_wStartAddress = 0;
  CString firmware;
  if (!CMC_Comm::GetFirmwareVer(firmware) || !m_rSetup.ExecuteString(kStopDrive, 0, nullptr)) return TestFailed(0);
  m_bE2ROMProt = CMC_Comm::IsFirmwareWithEEPROMProt(firmware);
  if (m_bE2ROMProt && !m_rSetup.ExecuteString(kUnlockE2ROM, 0, nullptr)) return TestFailed(0);
  if (!m_rSetup.CheckCompatibilityWithActiveBoard(firmware)) return TestFailed(0);
  m_rSetup.SetTestPerformedDuringEdit(1);
  if (!ReadE2ROMWord(DriveMemory::kSetupTablePointer, m_wSavedWord) || !WriteE2ROMWord(DriveMemory::kSetupTablePointer, 0))
    return TestFailed(0);
  if (!WriteE2ROMWord(DriveMemory::kE2ROMStart, 1)) {
    // The drive must find its setup table again.
    WriteE2ROMWord(DriveMemory::kSetupTablePointer, m_wSavedWord);
    return TestFailed(0);
  }
  m_bRunning = 1;
  m_bStopRequest = 0;
  if (m_nWindow) {
    UpdateData(FALSE);
    BeginTest();
  }
}

void CMC_TestDlg::Stop() {
  if (m_bBusy) {
    m_rSetup.ExecuteString(kStopDrive, 0, nullptr);
    m_bStopRequest = 1;
    return;
  }
  if (m_rSetup.ExecuteString(kStopDrive, 0, nullptr)) RestoreE2ROM();
  m_strInfo = "Test interrupted by user";
  m_bRunning = 0;
  m_nResult = 0;
  if (m_nWindow && GetSafeHwnd()) UpdateData(FALSE);
}

bool CMC_TestDlg::RestoreE2ROM() {
  if (m_bE2ROMProt && !m_rSetup.ExecuteString(kUnlockE2ROM, 0, nullptr)) return false;
  if (WriteE2ROMWord(DriveMemory::kSetupTablePointer, m_wSavedWord) && m_wStartAddress != DriveMemory::kE2ROMStart)
    WriteE2ROMWord(DriveMemory::kE2ROMStart, 1);
  return true;
}

void CMC_TestDlg::CleanUp() {
  if (m_rSetup.ExecuteString(kStopDrive, 0, nullptr)) RestoreE2ROM();
}

void CMC_TestDlg::TestFailed(int restore) {
  if (m_strFailDetails.IsEmpty())
    m_strFailDetails =
        "An internal error has occurred in the application. Possible causes:\r\n- The board is not responding;\r\n"
        "- Your board codification does not match with the selected amplifier codification;\r\n- Some of the "
        "configuration files are not related with the version of program;\r\n- You might be down with the system "
        "resources.";
  m_strInfo.Empty();
  m_strStatus = "Test failed";
  if (m_nWindow) {
    ShowChild(IDC_FAIL_DETAILS, !m_strFailDetails.IsEmpty());
    SetChildIcon(IDC_RESULT_ICON, "FAILED");
  }
  m_nResult = 0;
  m_bRunning = 0;
  if (restore) {
    // The drive may be the reason of the failure: its errors must not pile boxes on the user.
    UINT saved = CMC_Comm::nShowErr;
    CMC_Comm::nShowErr = 0;
    CleanUp();
    CMC_Comm::nShowErr = saved;
  }
  if (m_nWindow && GetSafeHwnd()) UpdateData(FALSE);
}

void CMC_TestDlg::TestSucceeded(int restore) {
  m_strInfo.Empty();
  m_strStatus = "Test succeeded";
  if (m_nWindow) {
    ShowChild(IDC_FAIL_DETAILS, FALSE);
    SetChildIcon(IDC_RESULT_ICON, "SUCCESS");
  }
  m_nResult = 1;
  m_bRunning = 0;
  if (restore) CleanUp();
  if (m_nWindow && GetSafeHwnd()) UpdateData(FALSE);
}

void CMC_TestDlg::OnFailedDetails() { AfxMessageBox(m_strFailDetails, MB_ICONSTOP); }

// ---- Building blocks ---------------------------------------------------------------------------------

int CMC_TestDlg::Reset() {
  WORD old;
  if (!ReadE2ROMWord(DriveMemory::kE2ROMStart, old)) return 0;
  if (old != 1 && !WriteE2ROMWord(DriveMemory::kE2ROMStart, 1)) return 0;
  if (!CMC_Comm::ResetActiveBoard()) return 0;
  if (old != 1 && !WriteE2ROMWord(DriveMemory::kE2ROMStart, old)) return 0;
  return 1;
}

int CMC_TestDlg::DownloadCodeTest(CString file, CMC_CoffFormat* coff, WORD& start, WORD& second, WORD& end,
                                  CMC_Comm::PROGRESS_CALLBACK callback, void* user) {
  WORD started = 0;
  tagVarType type = VAR_INVALID;
  if (coff) {
    if (!coff->LocateVariable("STARTED", started, type)) started = 0;
  } else {
    CMC_CoffFormat image;
    image.m_strFileName = file;
    if (!image.ReadCoff() || !image.LocateVariable("STARTED", started, type)) started = 0;
  }
  if (!Reset() || !m_rSetup.SetRAMParameters()) return 0;
  if (started) {
    CMC_Value zero;
    zero.SetValue(type, 0);
    if (!zero.WriteToChip(type, started)) return 0;
  }
  return CMC_Comm::COFFDownload(file, &start, &second, &end, callback, user, DriveMemory::kE2ROMStart);
}

int CMC_TestDlg::RunCodeTest(CMC_Logger* logger, WORD start, WORD end) {
  if (logger) {
    if (logger->IsKindOf(RUNTIME_CLASS(CMC_SingleAxisLogger))) {
      static_cast<CMC_SingleAxisLogger*>(logger)->ChangeMemBufferSettings((WORD)(end + 1), 0xFFFF);
      if (!logger->StartLogger()) return 0;
    } else if (logger->IsKindOf(RUNTIME_CLASS(CMC_ScopeLogger))) {
      static_cast<CMC_ScopeLogger*>(logger)->ChangeMemBufferSettings((WORD)(end + 1), 0xFFFF);
      if (!logger->StartLogger() || !logger->BeginUploadData()) return 0;
    }
  }
  m_wStartAddress = start;
  CString command;
  command.Format("goto 0x%hx", start);
  return m_rSetup.ExecuteString(command, 0, nullptr);
}

int CMC_TestDlg::ExecuteCodeTest(CString file, CMC_CoffFormat* coff, CMC_Logger* logger,
                                 CMC_Comm::PROGRESS_CALLBACK callback, void* user) {
  WORD start = 0, second = 0, end = 0;
  if (!DownloadCodeTest(file, coff, start, second, end, callback, user)) return 0;
  return RunCodeTest(logger, start, end);
}

int CMC_TestDlg::ExecuteCode(const char* option, CMC_CoffFormat* coff, CMC_Logger* logger,
                             CMC_Comm::PROGRESS_CALLBACK callback, void* user) {
  CWaitCursor wait;
  CString value = m_rSetup.GetOption(option);
  if (value.IsEmpty()) return 0;
  return ExecuteCodeTest(GetOutPath(value), coff, logger, callback, user);
}

CString CMC_TestDlg::GetOutPath(CString name) { return GetKernelDirectory() + "Tests\\" + name; }

CString CMC_TestDlg::GetOutPathName(const char* option) {
  CString value = m_rSetup.GetOptionNoError(option);
  return value.IsEmpty() ? CString() : GetOutPath(value);
}

int CMC_TestDlg::GetUserVariableValue(CMC_CoffFormat& coff, const char* name, double& value, CString& error) {
  WORD address;
  tagVarType type;
  if (!coff.LocateVariable(name, address, type)) {
    error.Format("Cannot find a variable with name '%s'", name ? name : "");
    return 0;
  }
  CMC_Value v;
  if (!v.ReadFromChip(type, address)) {
    error = CMC_Comm::GetLastErrorText();
    return 0;
  }
  value = v.GetValue(type);
  return 1;
}

int CMC_TestDlg::SetUserVariableValue(CMC_CoffFormat& coff, const char* name, double value, CString& error) {
  WORD address;
  tagVarType type;
  if (!coff.LocateVariable(name, address, type)) {
    error.Format("Cannot find a variable with name '%s'", name ? name : "");
    return 0;
  }
  CMC_Value v;
  v.SetValue(type, value);
  if (!v.WriteToChip(type, address)) {
    error = CMC_Comm::GetLastErrorText();
    return 0;
  }
  return 1;
}

int CMC_TestDlg::ReadStatusBit(unsigned mask, int& bit) {
  CMC_Variable* msr = m_rSetup.FindVariable("MSR", 1);
  if (!msr || !msr->ReadFromChip()) {
    TestFailed(1);
    return 0;
  }
  bit = ((long long)msr->GetValueInInternalUnit() & mask) ? 1 : 0;
  return 1;
}

int CMC_TestDlg::GetAxisOn(int& on) { return ReadStatusBit(0x2000, on); }

int CMC_TestDlg::GetEndInit(int& done) { return ReadStatusBit(0x0001, done); }

void CMC_TestDlg::SetInfoText(const char* text) {
  ++m_wCurrentStep;
  m_strInfo.Format("Step %hu of %hu\n%s...", m_wCurrentStep, m_wTotalSteps, text ? text : "");
  if (m_nWindow && GetSafeHwnd()) {
    UpdateData(FALSE);
    UpdateWindow();
  }
}

// ---- Window ------------------------------------------------------------------------------------------

void CMC_TestDlg::LoadStartStopBitmaps() {
  if (m_bRunning)
    m_btnStartStop.LoadBitmaps("TEST_STOP_U", "TEST_STOP_D", "TEST_STOP_F", "TEST_STOP_X");
  else
    m_btnStartStop.LoadBitmaps("TEST_START_U", "TEST_START_D", "TEST_START_F", "TEST_START_X");
}

void CMC_TestDlg::DoDataExchange(CDataExchange* pDX) {
  CMC_EditSetupDlg::DoDataExchange(pDX);
  if (pDX->m_bSaveAndValidate) return;
  if (!m_bRunning && !CMC_Comm::IsCommOpen())
    m_strInfo =
        "Communication status: Offline. Communication status must be \"Online\" to execute the test. Use menu "
        "command \"Communication | Refresh\" to update the communication status";
  SetChildText(IDC_INFO, m_strInfo);
  SetChildText(IDC_STATUS, m_strStatus);
  CString text = m_bRunning ? "Stop" : "Start";
  if (HWND button = ::GetDlgItem(m_hWnd, IDC_START_STOP)) {
    EnableDialogControl(button, m_bRunning || CMC_Comm::IsCommOpen());
    bool changed = text != m_strButtonText;
    SetChildText(IDC_START_STOP, text);
    if (changed && m_btnStartStop.GetSafeHwnd()) {
      LoadStartStopBitmaps();
      m_btnStartStop.Invalidate();
    }
  }
  m_strButtonText = text;
  EnableChild(IDOK, !m_bRunning && m_nResult == 1);
  EnableChild(IDCANCEL, !m_bRunning);
}

BOOL CMC_TestDlg::OnInitDialog() {
  CMC_EditSetupDlg::OnInitDialog();
  SetChildIcon(IDC_RESULT_ICON, "UNDEFINE");
  SetChildFontToBold(IDC_BOLD2);
  SetChildFontToBold(IDC_BOLD1);
  HWND button = ::GetDlgItem(m_hWnd, IDC_START_STOP);
  if (button && (::GetWindowLong(button, GWL_STYLE) & BS_BITMAP) && m_btnStartStop.SubclassDlgItem(IDC_START_STOP, this)) {
    if (!(m_btnStartStop.GetStyle() & 0x0B)) m_btnStartStop.SetButtonStyle(BS_OWNERDRAW);
    LoadStartStopBitmaps();
    m_btnStartStop.SizeToContent();
  }
  return TRUE;
}

void CMC_TestDlg::OnOK() {
  if (!m_bRunning) CMC_EditSetupDlg::OnOK();
}

void CMC_TestDlg::OnCancel() {
  if (!m_bRunning) CMC_EditSetupDlg::OnCancel();
}
