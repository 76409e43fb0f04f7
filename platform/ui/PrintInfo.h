// CPrintInfo: what a view's print job knows (pages, the print dialog, the drawing rectangle),
// and the printer choice the print commands ask for.
#pragma once

#include "platform/core/String.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/ui/WinDefs.h"

#include <functional>
#include <vector>

#if __has_include("platform/ui/CommonDialogs.h")
#include "platform/ui/CommonDialogs.h"
#define AFX_PRINT_USES_COMMON_DIALOG 1
#else
// Until the common dialogs exist, the printer choice is this small stand-in: the print dialog's
// data and its answer from the automation hook below, on the drawing layer's default printer.
#define AFX_PRINT_USES_COMMON_DIALOG 0

#define PD_ALLPAGES 0x00000000u
#define PD_SELECTION 0x00000001u
#define PD_PAGENUMS 0x00000002u
#define PD_NOSELECTION 0x00000004u
#define PD_NOPAGENUMS 0x00000008u
#define PD_COLLATE 0x00000010u
#define PD_PRINTTOFILE 0x00000020u
#define PD_PRINTSETUP 0x00000040u
#define PD_NOWARNING 0x00000080u
#define PD_RETURNDC 0x00000100u
#define PD_RETURNIC 0x00000200u
#define PD_RETURNDEFAULT 0x00000400u
#define PD_SHOWHELP 0x00000800u
#define PD_USEDEVMODECOPIES 0x00040000u
#define PD_USEDEVMODECOPIESANDCOLLATE 0x00040000u
#define PD_DISABLEPRINTTOFILE 0x00080000u
#define PD_HIDEPRINTTOFILE 0x00100000u
#define PD_NONETWORKBUTTON 0x00200000u

struct PRINTDLG {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode;
  HGLOBAL hDevNames;
  HDC hDC;
  DWORD Flags;
  WORD nFromPage;
  WORD nToPage;
  WORD nMinPage;
  WORD nMaxPage;
  WORD nCopies;
  HINSTANCE hInstance;
  LPARAM lCustData;
  void* lpfnPrintHook;
  void* lpfnSetupHook;
  LPCSTR lpPrintTemplateName;
  LPCSTR lpSetupTemplateName;
  HGLOBAL hPrintTemplate;
  HGLOBAL hSetupTemplate;
};
typedef PRINTDLG* LPPRINTDLG;

class CWnd;

class CPrintDialog {
 public:
  explicit CPrintDialog(BOOL bPrintSetupOnly,
                        DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                        CWnd* pParentWnd = nullptr);
  virtual ~CPrintDialog();
  CPrintDialog(const CPrintDialog&) = delete;
  CPrintDialog& operator=(const CPrintDialog&) = delete;

  virtual INT_PTR DoModal();
  BOOL GetDefaults();
  HDC CreatePrinterDC();
  HDC GetPrinterDC() const { return m_pd.hDC; }
  int GetCopies() const { return m_pd.nCopies; }
  LPDEVMODE GetDevMode() const { return m_pd.hDevMode ? const_cast<DEVMODE*>(&m_devMode) : nullptr; }
  CString GetDriverName() const;
  CString GetDeviceName() const;
  CString GetPortName() const;
  int GetFromPage() const { return m_pd.nFromPage; }
  int GetToPage() const { return m_pd.nToPage; }
  BOOL PrintAll() const { return !PrintRange() && !PrintSelection(); }
  BOOL PrintCollate() const { return (m_pd.Flags & PD_COLLATE) != 0; }
  BOOL PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
  BOOL PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
  BOOL PrintToFile() const { return (m_pd.Flags & PD_PRINTTOFILE) != 0; }

  PRINTDLG& m_pd;
  CWnd* m_pParentWnd;

 private:
  void FillDefaults();
  PRINTDLG m_pdActual{};
  DEVMODE m_devMode{};
};

// The answer the print dialog gives (scripted by tests and hosts).
struct PrintDialogAnswer {
  bool ok = false;
  int fromPage = 0, toPage = 0;  // 0: all pages
  int copies = 1;
  DWORD flags = 0;  // PD_ flags to add, e.g. PD_SELECTION
};
namespace PrintAutomation {
// Answers for the next print dialogs, in order; without one the dialog is cancelled.
void PushAnswer(const PrintDialogAnswer& answer);
// The flags of every print dialog shown, in order.
std::vector<DWORD> ShownDialogs();
void Reset();
}  // namespace PrintAutomation
#endif

class CDC;

// The framework's texts for printing (page descriptions and the failure to start a job).
#define AFX_IDS_PRINTONPORT 0xF040
#define AFX_IDS_PRINTPAGENUM 0xF043
#define AFX_IDS_PREVIEWPAGEDESC 0xF044
#define AFX_IDP_FAILED_TO_START_PRINT 0xF106

class CPrintInfo {
 public:
  CPrintInfo();
  ~CPrintInfo();
  CPrintInfo(const CPrintInfo&) = delete;
  CPrintInfo& operator=(const CPrintInfo&) = delete;

  CPrintDialog* m_pPD;
  BOOL m_bDocObject = FALSE;
  DWORD m_dwFlags = 0;
  int m_nOffsetPage = 0;
  BOOL m_bDirect = FALSE;
  BOOL m_bPreview = FALSE;
  BOOL m_bContinuePrinting = TRUE;
  UINT m_nCurPage = 1;
  UINT m_nNumPreviewPages = 0;
  CString m_strPageDesc;
  LPVOID m_lpUserData = nullptr;
  CRect m_rectDraw;

  // The page range is kept by the print dialog, in 16 bits.
  void SetMinPage(UINT nMinPage);
  void SetMaxPage(UINT nMaxPage);
  UINT GetMinPage() const;
  UINT GetMaxPage() const;
  UINT GetFromPage() const;
  UINT GetToPage() const;
  UINT GetOffsetPage() const { return (UINT)m_nOffsetPage; }
};

// The abort procedure the print loop installs: lets queued messages through and stops the job
// once AfxCancelPrinting was called (or WM_QUIT arrived).
BOOL AfxAbortProc(HDC hdc, int code);
void AfxCancelPrinting();
BOOL AfxIsPrintingCancelled();

// The PDF file the last print job of a view went to (empty when none was written).
CString AfxGetLastPrintFileName();

// Print preview renders its pages into PNG images (96 dpi) in this folder (default: the
// printer's output folder); the files of the last preview, one per page, in order.
void AfxSetPreviewFolder(LPCSTR folder);
const std::vector<CString>& AfxGetLastPreviewImages();
