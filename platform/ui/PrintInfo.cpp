#include "platform/ui/PrintInfo.h"

#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Image.h"
#include "platform/gdi/Printer.h"
#include "platform/gdi/SelectObject.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>

namespace {

const RESOURCE_STRING kPrintStrings[] = {
    {AFX_IDS_PRINTONPORT, "on %1"},
    {AFX_IDS_PRINTPAGENUM, "Page %u"},
    {AFX_IDS_PREVIEWPAGEDESC, "Page %u\nPages %u-%u\n"},
    {AFX_IDP_FAILED_TO_START_PRINT, "Could not start print job."},
};

// The printing-in-progress dialog: document, printer, port and page, and Cancel.
constexpr DWORD kPrintText = WS_VISIBLE | SS_CENTER | SS_NOPREFIX;
const DLGITEM_ENTRY kPrintingItems[] = {
    {"Static", 0xFFFF, WS_VISIBLE | SS_CENTER, 0, 8, 6, 144, 8, "Printing"},
    {"Static", AFX_IDC_PRINT_DOCNAME, kPrintText, 0, 8, 16, 144, 8, ""},
    {"Static", AFX_IDC_PRINT_PRINTERNAME, kPrintText, 0, 8, 28, 144, 8, ""},
    {"Static", AFX_IDC_PRINT_PORTNAME, kPrintText, 0, 8, 38, 144, 8, ""},
    {"Static", AFX_IDC_PRINT_PAGENUM, kPrintText, 0, 8, 50, 144, 8, ""},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 56, 64, 48, 14, "Cancel"},
};
const DIALOG_RESOURCE kPrintingDialog = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 160, 84, "", "MS Sans Serif", 8,
    kPrintingItems, sizeof kPrintingItems / sizeof kPrintingItems[0], nullptr};
const RESOURCE_ENTRY kPrintEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(AFX_IDD_PRINTDLG), &kPrintingDialog, sizeof kPrintingDialog},
};

const RESOURCE_TABLE kPrintTable = {kPrintStrings, sizeof kPrintStrings / sizeof kPrintStrings[0], kPrintEntries,
                                    sizeof kPrintEntries / sizeof kPrintEntries[0]};

}  // namespace

void AfxEnsurePrintResources() {
  // Joins the resource chain when printing is first used.
  static CResourceTableRegistration registration(kPrintTable);
}

namespace {

std::atomic<bool> g_cancelPrinting{false};
std::mutex g_lastLock;
CString g_lastPrintFile;
CString g_previewFolder;
std::vector<CString> g_previewImages;

}  // namespace


// ---- CPrintInfo ---------------------------------------------------------------------------------------

CPrintInfo::CPrintInfo() {
  m_pPD = new CPrintDialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOSELECTION);
  SetMinPage(1);
  SetMaxPage(0xFFFF);
  m_pPD->m_pd.nFromPage = 1;
  m_pPD->m_pd.nToPage = 0xFFFF;
}

CPrintInfo::~CPrintInfo() { delete m_pPD; }

void CPrintInfo::SetMinPage(UINT nMinPage) {
  if (m_pPD) m_pPD->m_pd.nMinPage = (WORD)nMinPage;
}
void CPrintInfo::SetMaxPage(UINT nMaxPage) {
  if (m_pPD) m_pPD->m_pd.nMaxPage = (WORD)nMaxPage;
}
UINT CPrintInfo::GetMinPage() const { return m_pPD ? m_pPD->m_pd.nMinPage : 1; }
UINT CPrintInfo::GetMaxPage() const { return m_pPD ? m_pPD->m_pd.nMaxPage : 0xFFFF; }
UINT CPrintInfo::GetFromPage() const { return m_pPD ? m_pPD->m_pd.nFromPage : 0; }
UINT CPrintInfo::GetToPage() const { return m_pPD ? m_pPD->m_pd.nToPage : 0; }

// ---- Abort procedure -----------------------------------------------------------------------------------

void AfxCancelPrinting() { g_cancelPrinting = true; }
BOOL AfxIsPrintingCancelled() { return g_cancelPrinting ? TRUE : FALSE; }

BOOL AfxAbortProc(HDC, int) {
  MSG msg;
  while (!g_cancelPrinting && ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) return FALSE;  // left in the queue for the main loop
    if (!::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    CWinThread* thread = AfxGetThread();
    if (!thread || !thread->PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessage(&msg);
    }
  }
  return g_cancelPrinting ? FALSE : TRUE;
}

CString AfxGetLastPrintFileName() {
  std::lock_guard<std::mutex> g(g_lastLock);
  return g_lastPrintFile;
}

void AfxSetPreviewFolder(LPCSTR folder) {
  std::lock_guard<std::mutex> g(g_lastLock);
  g_previewFolder = folder ? folder : "";
}

const std::vector<CString>& AfxGetLastPreviewImages() { return g_previewImages; }

// ---- The view's printing ---------------------------------------------------------------------------------

BOOL CView::OnPreparePrinting(CPrintInfo*) { return TRUE; }
void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CView::OnEndPrinting(CDC*, CPrintInfo*) {}
void CView::OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo, POINT, CView*) { OnEndPrinting(pDC, pInfo); }

void CView::OnPrint(CDC* pDC, CPrintInfo*) {
  if (pDC) OnDraw(pDC);
}

// Seam for the print dialog: the application's choice of printer.
static INT_PTR DoPrintDialog(CPrintDialog* pPD) {
  if (CWinApp* app = AfxGetApp()) return app->DoPrintDialog(pPD);
  return pPD ? pPD->DoModal() : IDCANCEL;
}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
  if (!pInfo || !pInfo->m_pPD) return FALSE;
  AfxEnsurePrintResources();
  CPrintDialog* pd = pInfo->m_pPD;
  if (pInfo->m_bPreview || pInfo->m_bDirect) {
    // Preview and direct printing take the application's printer, else the defaults, and ask only
    // when there are none.
    CWinApp* app = AfxGetApp();
    if (app && app->m_hDevNames) {
      HGLOBAL names = AfxCopyGlobalMemory(app->m_hDevNames), mode = AfxCopyGlobalMemory(app->m_hDevMode);
      if (pd->m_pd.hDevNames) GlobalFree(pd->m_pd.hDevNames);
      if (pd->m_pd.hDevMode) GlobalFree(pd->m_pd.hDevMode);
      pd->m_pd.hDevNames = names, pd->m_pd.hDevMode = mode;
    } else if (!pd->GetDefaults() && DoPrintDialog(pd) != IDOK) {
      return FALSE;
    }
    if (!pd->m_pd.hDC && !pd->CreatePrinterDC()) return FALSE;
    pd->m_pd.nFromPage = (WORD)pInfo->GetMinPage();
    pd->m_pd.nToPage = (WORD)pInfo->GetMaxPage();
  } else {
    pd->m_pd.nFromPage = (WORD)pInfo->GetMinPage();
    pd->m_pd.nToPage = (WORD)pInfo->GetMaxPage();
    if (DoPrintDialog(pd) != IDOK) return FALSE;
    if (!(pd->m_pd.Flags & PD_PAGENUMS)) {
      pd->m_pd.nFromPage = (WORD)pInfo->GetMinPage();
      pd->m_pd.nToPage = (WORD)pInfo->GetMaxPage();
    }
  }
  if (!pd->m_pd.hDC) return FALSE;
  pInfo->m_nNumPreviewPages = 1;
  pInfo->m_strPageDesc.LoadString(AFX_IDS_PREVIEWPAGEDESC);
  return TRUE;
}

namespace {

// The page range a job runs over, clamped to the document's pages.
void PageRange(const CPrintInfo& info, UINT& first, UINT& last) {
  UINT minPage = info.GetMinPage(), maxPage = info.GetMaxPage();
  if (maxPage < minPage) maxPage = minPage;
  first = std::clamp(info.GetFromPage(), minPage, maxPage);
  last = std::clamp(info.GetToPage(), minPage, maxPage);
  if (last < first) std::swap(first, last);
}

CString JobTitle(CView* view) {
  CString title;
  if (CDocument* doc = view->GetDocument()) title = doc->GetTitle();
  else if (CFrameWnd* frame = view->GetParentFrame()) frame->GetWindowText(title);
  // Print spoolers take at most 31 characters.
  if (title.GetLength() > 31) title = title.Left(31);
  return title;
}

}  // namespace

void AfxReportPrintStartFailure(const CString& file, DWORD cause) {
  AfxEnsurePrintResources();
  if (file.IsEmpty()) {
    AfxMessageBox(AFX_IDP_FAILED_TO_START_PRINT);
    return;
  }
  CString text;
  if (cause == ERROR_SUCCESS || cause == ERROR_ACCESS_DENIED) {
    text.Format("Cannot write in file %s! Check file system permissions.", file.GetString());
  } else {
    CString why = ErrorTextOf(cause);
    why.TrimRight("\r\n");
    text.Format("Cannot write in file %s! %s", file.GetString(), why.GetString());
  }
  AfxMessageBox(text, MB_ICONEXCLAMATION);
}

void CView::OnFilePrint() {
  AfxEnsurePrintResources();
  CPrintInfo info;
  const MSG* cur = CWnd::GetCurrentMessage();
  if (cur && cur->message == WM_COMMAND && LOWORD(cur->wParam) == ID_FILE_PRINT_DIRECT) info.m_bDirect = TRUE;
  HWND self = m_hWnd;
  if (!OnPreparePrinting(&info)) return;
  if (!::IsWindow(self)) return;
  // A view that skipped DoPreparePrinting still prints, on the default printer.
  if (!info.m_pPD->m_pd.hDC) {
    info.m_pPD->GetDefaults();
    if (!info.m_pPD->m_pd.hDC && !info.m_pPD->CreatePrinterDC()) return;
  }
  CDC dc;
  if (!dc.Attach(info.m_pPD->m_pd.hDC)) return;
  dc.m_bPrinting = TRUE;
  g_cancelPrinting = false;

  OnBeginPrinting(&dc, &info);
  CString title = JobTitle(this);
  DOCINFO di{};
  di.cbSize = sizeof di;
  di.lpszDocName = title;
  dc.SetAbortProc(AfxAbortProc);

  CWnd* mainWnd = AfxGetMainWnd();
  HWND hMain = mainWnd ? mainWnd->GetSafeHwnd() : nullptr;
  if (hMain) ::EnableWindow(hMain, FALSE);
  if (dc.StartDoc(&di) <= 0) {
    const DWORD cause = GetLastError();
    const CString refused = dc.GetPrintFileName();
    if (hMain && ::IsWindow(hMain)) ::EnableWindow(hMain, TRUE);
    OnEndPrinting(&dc, &info);
    dc.Detach();
    AfxReportPrintStartFailure(refused, cause);
    return;
  }
  UINT first, last;
  PageRange(info, first, last);
  // A job that runs to the document's end also prints the pages OnPrint adds on the way.
  const bool toEnd = last == std::max(info.GetMinPage(), info.GetMaxPage());
  bool error = false;
  for (info.m_nCurPage = first; info.m_nCurPage <= last; ++info.m_nCurPage) {
    OnPrepareDC(&dc, &info);
    if (!info.m_bContinuePrinting) break;
    info.m_rectDraw.SetRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
    dc.DPtoLP(&info.m_rectDraw);
    if (dc.StartPage() < 0) {
      error = true;
      break;
    }
    // Starting a page resets the context: prepare it again.
    OnPrepareDC(&dc, &info);
    OnPrint(&dc, &info);
    if (!::IsWindow(self) || dc.EndPage() < 0 || !AfxAbortProc(dc.m_hDC, 0)) {
      error = true;
      break;
    }
    if (info.m_nCurPage == 0xFFFF) break;  // the last 16-bit page
    if (toEnd && info.GetMaxPage() > last) last = std::min<UINT>(info.GetMaxPage(), 0xFFFF);
  }
  CString file = dc.GetPrintFileName();
  bool failed = false;
  DWORD cause = 0;
  if (!error && dc.EndDoc() > 0) {
    std::lock_guard<std::mutex> g(g_lastLock);
    g_lastPrintFile = file;
  } else if (!error) {
    // The file could not be written whole (what it held before stays): say which and why.
    failed = true;
    cause = GetLastError();
  } else {
    dc.AbortDoc();
  }
  if (hMain && ::IsWindow(hMain)) ::EnableWindow(hMain, TRUE);
  if (failed) {
    CFileException e(FileExceptionCauseOf(cause), (LONG)cause, file);
    e.ReportError();
  }
  if (::IsWindow(self)) OnEndPrinting(&dc, &info);
  dc.Detach();
  g_cancelPrinting = false;
}

void CView::OnFilePrintPreview() {
  AfxEnsurePrintResources();
  CPrintInfo info;
  info.m_bPreview = TRUE;
  HWND self = m_hWnd;
  g_previewImages.clear();
  if (!OnPreparePrinting(&info) || !::IsWindow(self)) return;
  if (!info.m_pPD->m_pd.hDC) {
    info.m_pPD->GetDefaults();
    if (!info.m_pPD->m_pd.hDC && !info.m_pPD->CreatePrinterDC()) return;
  }
  CDC printer;
  if (!printer.Attach(info.m_pPD->m_pd.hDC)) return;
  printer.m_bPrinting = TRUE;
  int pageW = printer.GetDeviceCaps(HORZRES), pageH = printer.GetDeviceCaps(VERTRES);
  int dpiX = std::max(1, printer.GetDeviceCaps(LOGPIXELSX)), dpiY = std::max(1, printer.GetDeviceCaps(LOGPIXELSY));
  // Pages are shown at the screen's 96 dpi.
  int imgW = std::max(1, MulDiv(pageW, 96, dpiX)), imgH = std::max(1, MulDiv(pageH, 96, dpiY));

  OnBeginPrinting(&printer, &info);
  CString folder;
  {
    std::lock_guard<std::mutex> g(g_lastLock);
    folder = g_previewFolder.IsEmpty() ? GetPrinterOutputFolder() : g_previewFolder;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder.str(), ec);
  CString title = JobTitle(this);
  if (title.IsEmpty()) title = "Preview";
  UINT first, last;
  PageRange(info, first, last);
  UINT count = std::max<UINT>(1, info.m_nNumPreviewPages);
  for (UINT shown = 0; shown < count && ::IsWindow(self); ++shown) {
    UINT page = info.m_nCurPage < first ? first : info.m_nCurPage;
    if (shown > 0) page = info.m_nCurPage + 1;
    if (page > last) break;
    info.m_nCurPage = page;
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap bmp;
    CDC screen;
    screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    if (!bmp.CreateCompatibleBitmap(&screen, imgW, imgH)) break;
    CSelectObject selectBitmap(mem, &bmp);
    mem.FillSolidRect(0, 0, imgW, imgH, RGB(255, 255, 255));
    mem.m_bPrinting = TRUE;
    mem.SetAttribDC(printer.m_hDC);
    // Printer units scaled down to the image.
    mem.SetMapMode(MM_ANISOTROPIC);
    mem.SetWindowExt(pageW, pageH);
    mem.SetViewportExt(imgW, imgH);
    OnPrepareDC(&mem, &info);
    if (!info.m_bContinuePrinting) {
      mem.ReleaseAttribDC();
      break;
    }
    info.m_rectDraw.SetRect(0, 0, pageW, pageH);
    OnPrint(&mem, &info);
    CString path;
    path.Format("%s/%s page %u.png", (LPCSTR)folder, (LPCSTR)title, page);
    if (SaveImage(&mem, path)) g_previewImages.push_back(path);
    mem.ReleaseAttribDC();
  }
  if (::IsWindow(self)) OnEndPrintPreview(&printer, &info, POINT{0, 0}, this);
  printer.Detach();
}
