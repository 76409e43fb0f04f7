// CPrintInfo: what a view's print job knows (pages, the print dialog, the drawing rectangle),
// and the printer choice the print commands ask for.
#pragma once

#include "platform/core/String.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/ui/WinDefs.h"

#include <functional>
#include <vector>

#include "platform/ui/CommonDialogs.h"

class CDC;

// The framework's texts for printing (page descriptions and the failure to start a job).
#define AFX_IDS_PRINTONPORT 0xF040
#define AFX_IDS_PRINTPAGENUM 0xF043
#define AFX_IDS_PREVIEWPAGEDESC 0xF044
#define AFX_IDP_FAILED_TO_START_PRINT 0xF106
// The printing-in-progress dialog and its fields.
#define AFX_IDD_PRINTDLG 30722
#define AFX_IDC_PRINT_DOCNAME 201
#define AFX_IDC_PRINT_PRINTERNAME 202
#define AFX_IDC_PRINT_PORTNAME 203
#define AFX_IDC_PRINT_PAGENUM 204

// Puts the print texts and the printing dialog in the resource chain; every print dialog and
// print job calls it before it starts.
void AfxEnsurePrintResources();

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

// Tells why a print job could not start: the file it was refused and the cause (the last error
// `cause`), in the words a failed save of a file uses; the framework's plain message without a file.
void AfxReportPrintStartFailure(const CString& file, DWORD cause);

// The PDF file the last print job of a view went to (empty when none was written).
CString AfxGetLastPrintFileName();

// Print preview renders its pages into PNG images (96 dpi) in this folder (default: the
// printer's output folder); the files of the last preview, one per page, in order.
void AfxSetPreviewFolder(LPCSTR folder);
const std::vector<CString>& AfxGetLastPreviewImages();
