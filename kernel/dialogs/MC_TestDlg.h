// The base of the pages that test a setup on the connected drive: it prepares the drive, downloads and
// starts compiled test programs with a logger, reports each step and the result, and always leaves the
// drive safe. Built with template id 0 it runs without a window and only keeps its state.
#pragma once

#include "comm/MC_Comm.h"
#include "kernel/dialogs/MC_EditSetupDlg.h"

class CMC_CoffFormat;
class CMC_Logger;

class CMC_TestDlg : public CMC_EditSetupDlg {
  DECLARE_DYNAMIC(CMC_TestDlg)

 public:
  CMC_TestDlg(CMC_Setup& setup, UINT templateId, BOOL backup = FALSE, CWnd* parent = nullptr);

  // Starts a test, or stops the running one.
  void OnBtnStartStop();
  // Called once a test has been started (with a window).
  virtual void BeginTest() {}

  int Reset();
  int DownloadCodeTest(CString file, CMC_CoffFormat* coff, WORD& start, WORD& second, WORD& end,
                       CMC_Comm::PROGRESS_CALLBACK callback, void* user);
  int RunCodeTest(CMC_Logger* logger, WORD start, WORD end);
  int ExecuteCodeTest(CString file, CMC_CoffFormat* coff, CMC_Logger* logger, CMC_Comm::PROGRESS_CALLBACK callback,
                      void* user);
  int ExecuteCode(const char* option, CMC_CoffFormat* coff, CMC_Logger* logger, CMC_Comm::PROGRESS_CALLBACK callback,
                  void* user);
  static CString GetOutPath(CString name);
  CString GetOutPathName(const char* option);
  int GetUserVariableValue(CMC_CoffFormat& coff, const char* name, double& value, CString& error);
  int SetUserVariableValue(CMC_CoffFormat& coff, const char* name, double value, CString& error);
  int GetAxisOn(int& on);
  int GetEndInit(int& done);
  void SetInfoText(const char* text);
  void TestFailed(int restore);
  void TestSucceeded(int restore);
  void OnFailedDetails();

  int IsRunning() const { return m_bRunning; }
  int GetResult() const { return m_nResult; }
  const CString& GetInfoText() const { return m_strInfo; }
  const CString& GetStatusText() const { return m_strStatus; }
  WORD GetStartAddress() const { return m_wStartAddress; }

  enum : UINT {
    IDC_START_STOP = 10000,
    IDC_INFO = 10001,
    IDC_STATUS = 10002,
    IDC_FAIL_DETAILS = 10003,
    IDC_RESULT_ICON = 10004,
    IDC_BOLD1 = 10014,
    IDC_BOLD2 = 10015,
  };

  int m_bRunning = 0;
  int m_nResult = -1;  // -1 not tested, 0 failed or interrupted, 1 succeeded
  UINT m_nWindow;
  int m_bBusy = 0;
  int m_bStopRequest = 0;
  CString m_strInfo;
  CString m_strStatus;
  CString m_strFailDetails;
  WORD m_wTotalSteps = 0;
  WORD m_wCurrentStep = 65535;
  WORD m_wStartAddress = 0;
  int m_bE2ROMProt = 0;
  WORD m_wSavedWord = 0;
  CBitmapButton m_btnStartStop;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  DECLARE_MESSAGE_MAP()

 private:
  // Reads one bit of the drive's status word; a failed read fails the test.
  int ReadStatusBit(unsigned mask, int& bit);
  void Start();
  void Stop();
  // The E2ROM part of the clean-up; false when the E2ROM could not be unlocked.
  bool RestoreE2ROM();
  void CleanUp();
  void LoadStartStopBitmaps();
  CString m_strButtonText;
};
