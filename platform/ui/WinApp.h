// CWinApp: the application object, its profile settings, idle processing, main window and run loop.
#pragma once

#include "platform/core/Profile.h"
#include "platform/core/String.h"
#include "platform/ui/WinThread.h"

#include <vector>

class CDocTemplate;
class CDocument;
class CPrintDialog;

#define ID_APP_EXIT 0xE141
#define ID_APP_ABOUT 0xE140
#define ID_HELP_INDEX 0xE142
#define ID_HELP_FINDER 0xE143
#define ID_HELP_USING 0xE144
#define ID_CONTEXT_HELP 0xE145
#define ID_HELP 0xE146
#define ID_DEFAULT_HELP 0xE147
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE103
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_PAGE_SETUP 0xE105
#define ID_FILE_PRINT_SETUP 0xE106
#define ID_FILE_PRINT 0xE107
#define ID_FILE_PRINT_DIRECT 0xE108
#define ID_FILE_PRINT_PREVIEW 0xE109
#define ID_FILE_MRU_FILE1 0xE110
#define ID_FILE_MRU_FIRST 0xE110
#define ID_FILE_MRU_LAST 0xE11F
#define ID_EDIT_CLEAR 0xE120
#define ID_EDIT_CLEAR_ALL 0xE121
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_FIND 0xE124
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_REPEAT 0xE128
#define ID_EDIT_REPLACE 0xE129
#define ID_EDIT_SELECT_ALL 0xE12A
#define ID_EDIT_UNDO 0xE12B
#define ID_EDIT_REDO 0xE12C
#define ID_WINDOW_NEW 0xE130
#define ID_WINDOW_ARRANGE 0xE131
#define ID_WINDOW_CASCADE 0xE132
#define ID_WINDOW_TILE_HORZ 0xE133
#define ID_WINDOW_TILE_VERT 0xE134
#define ID_WINDOW_SPLIT 0xE135
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801
#define ID_SEPARATOR 0
#define ID_INDICATOR_EXT 0xE700
#define ID_INDICATOR_CAPS 0xE701
#define ID_INDICATOR_NUM 0xE702
#define ID_INDICATOR_SCRL 0xE703
#define ID_INDICATOR_OVR 0xE704
#define ID_INDICATOR_REC 0xE705
#define AFX_IDS_IDLEMESSAGE 0xE001

// Runs the application object: InitInstance, then the message loop until WM_QUIT; returns the
// exit code. Hosts call it from main().
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)

 public:
  explicit CWinApp(LPCSTR lpszAppName = nullptr);
  ~CWinApp() override;

  // Owned strings (allocated with malloc, as code that replaces them frees the old value with free).
  LPCSTR m_pszAppName = nullptr;
  LPCSTR m_pszProfileName = nullptr;
  LPCSTR m_pszRegistryKey = nullptr;
  LPCSTR m_pszHelpFilePath = nullptr;
  LPCSTR m_pszExeName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  LPSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;

  // ---- Profile: INI mode, or the registry kept in an INI-format file after SetRegistryKey ----
  void SetRegistryKey(LPCSTR lpszRegistryKey);
  void SetRegistryKey(UINT nIDRegistryKey);
  UINT GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault);
  BOOL WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue);
  CString GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault = nullptr);
  BOOL WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue);
  BOOL GetProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, BYTE** ppData, UINT* pBytes);
  BOOL WriteProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE pData, UINT nBytes);
  // The profile as configured by the members above.
  CAppProfile& GetProfile();

  // ---- Running ----
  BOOL InitInstance() override;
  int ExitInstance() override;
  int Run() override;
  BOOL OnIdle(LONG lCount) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  virtual int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt);
  virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = 0x0001);
  virtual void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0x000F);

  // ---- Cursors, icons ----
  HCURSOR LoadCursor(LPCSTR lpszResourceName) const;
  HCURSOR LoadCursor(UINT nIDResource) const;
  HCURSOR LoadStandardCursor(LPCSTR lpszCursorName) const;
  HCURSOR LoadOEMCursor(UINT nIDCursor) const;
  HICON LoadIcon(LPCSTR lpszResourceName) const;
  HICON LoadIcon(UINT nIDResource) const;
  HICON LoadStandardIcon(LPCSTR lpszIconName) const;
  virtual void DoWaitCursor(int nCode);

  // ---- Document templates ----
  void AddDocTemplate(CDocTemplate* pTemplate);
  POSITION GetFirstDocTemplatePosition() const;
  CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
  virtual CDocument* OpenDocumentFile(LPCSTR lpszFileName);
  virtual void AddToRecentFileList(LPCSTR lpszPathName);
  // The recent files, most recent first (up to m_nMaxMRU).
  const std::vector<CString>& GetRecentFileList() const { return m_recentFiles; }
  void LoadStdProfileSettings(UINT nMaxMRU = 4);
  void SaveStdProfileSettings();
  BOOL SaveAllModified();
  void CloseAllDocuments(BOOL bEndSession);
  UINT m_nMaxMRU = 4;

  // ---- Printer settings: the printer the print dialogs start from, kept by the application ----
  // Runs the dialog on copies of the stored DEVMODE and DEVNAMES; an accepted dialog's choice
  // replaces them. Returns the dialog's result.
  virtual INT_PTR DoPrintDialog(CPrintDialog* pPD);
  // Frees the stored blocks and keeps the given ones (owned from now on; null for none).
  void SelectPrinter(HGLOBAL hDevNames, HGLOBAL hDevMode);
  HGLOBAL m_hDevMode = nullptr;
  HGLOBAL m_hDevNames = nullptr;

  void OnFileNew();
  void OnFileOpen();
  void OnAppExit();

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  void SyncProfile();
  static void SetString(LPCSTR& member, LPCSTR value);
  CAppProfile m_profile;
  std::vector<CDocTemplate*> m_templates;
  std::vector<CString> m_recentFiles;
};
