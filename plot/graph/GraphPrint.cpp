// Graph window: printing into a page rectangle or on a page of its own, and metafile export.
#include "plot/graph/GraphWindow.h"

#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WinThread.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<bool> g_printCancelled{false};

// A CFileDialog filter of the export.
const char kWmfFilter[] = "WMF(*.wmf)|*.wmf|All Files(*.*)|*.*||";

}  // namespace

// ---- CQW_PrintingDialog ------------------------------------------------------------------------------

CQW_PrintingDialog::CQW_PrintingDialog(CWnd* parent) : CDialog(AFX_IDD_PRINTDLG, parent) {
  AfxEnsurePrintResources();
  g_printCancelled = false;
  Create(AFX_IDD_PRINTDLG, parent);
}

BOOL CQW_PrintingDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  CWinApp* app = AfxGetApp();
  if (app && app->m_pszAppName) SetWindowText(app->m_pszAppName);
  CenterWindow();
  return TRUE;
}

void CQW_PrintingDialog::OnCancel() { g_printCancelled = true; }

BOOL CQW_PrintingDialog::IsCancelled() { return g_printCancelled ? TRUE : FALSE; }

void CQW_PrintingDialog::SetCancelled(BOOL cancelled) { g_printCancelled = cancelled != FALSE; }

BOOL PrintAbortProc(HDC, int) {
  MSG msg;
  while (!g_printCancelled && ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE))
    if (!AfxPumpMessage()) return FALSE;
  return g_printCancelled ? FALSE : TRUE;
}

// ---- Printing -----------------------------------------------------------------------------------------

void CGraphWindow::PrintGraph(CDC* dc, const RECT& rect, int frame) {
  int w = m_nClientW, h = m_nClientH;
  CPoint org = dc->GetWindowOrg();
  m_nDrawMode = 2;
  dc->SetWindowOrg(-rect.left, -rect.top);
  m_nClientW = rect.right - rect.left;
  m_nClientH = rect.bottom - rect.top;
  ComputeDrawingRect();
  if (frame) {
    CPen pen(PS_SOLID, 0, RGB(0, 0, 0));
    CPen* old = dc->SelectObject(&pen);
    CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
    dc->Rectangle(0, 0, m_nClientW, m_nClientH);
    dc->SelectObject(oldBrush);
    dc->SelectObject(old);
  }
  DrawGraph(dc, nullptr);
  m_nClientW = w;
  m_nClientH = h;
  dc->SetWindowOrg(org.x, org.y);
  m_nDrawMode = -1;
  ComputeDrawingRect();
}

int CGraphWindow::DoPreparePrinting(CPrintInfo* info) {
  if (!info || !info->m_pPD) return 0;
  CPrintDialog* pd = info->m_pPD;
  if (info->m_bPreview) {
    if (!pd->GetDefaults() && pd->DoModal() != IDOK) return 0;
    if (!pd->m_pd.hDC && !pd->CreatePrinterDC()) return 0;
    pd->m_pd.nFromPage = (WORD)info->GetMinPage();
    pd->m_pd.nToPage = (WORD)info->GetMaxPage();
  } else {
    pd->m_pd.nFromPage = (WORD)info->GetMinPage();
    pd->m_pd.nToPage = (WORD)info->GetMaxPage();
    if (pd->DoModal() != IDOK) return 0;
  }
  if (!pd->m_pd.hDC) return 0;
  info->m_nNumPreviewPages = 1;
  info->m_strPageDesc.LoadString(AFX_IDS_PREVIEWPAGEDESC);
  return 1;
}

void CGraphWindow::PrintGraph() {
  if (!m_pPlot || m_nDrawMode != -1) return;
  CPrintInfo info;
  info.SetMaxPage(1);
  if (!DoPreparePrinting(&info)) return;
  CDC dc;
  if (!dc.Attach(info.m_pPD->m_pd.hDC)) return;
  dc.m_bPrinting = TRUE;
  HWND self = m_hWnd;
  CQW_PrintingDialog dlg(this);
  dlg.SetDlgItemText(AFX_IDC_PRINT_DOCNAME, m_pPlot->m_strTitle);
  dlg.SetDlgItemText(AFX_IDC_PRINT_PRINTERNAME, info.m_pPD->GetDeviceName());
  CString port;
  AfxFormatString1(port, AFX_IDS_PRINTONPORT, info.m_pPD->GetPortName());
  dlg.SetDlgItemText(AFX_IDC_PRINT_PORTNAME, port);
  dc.SetAbortProc(PrintAbortProc);
  // Print spoolers take at most 31 characters.
  CString title = m_pPlot->m_strTitle.Left(31);
  DOCINFO di{};
  di.cbSize = sizeof di;
  di.lpszDocName = title;
  if (dc.StartDoc(&di) <= 0) {
    const DWORD cause = GetLastError();
    const CString refused = dc.GetPrintFileName();
    dc.Detach();
    AfxReportPrintStartFailure(refused, cause);
    dlg.DestroyWindow();
    return;
  }
  CWnd* mainWnd = AfxGetMainWnd();
  HWND hMain = mainWnd ? mainWnd->GetSafeHwnd() : nullptr;
  if (hMain) ::EnableWindow(hMain, FALSE);
  int dpiX = dc.GetDeviceCaps(LOGPIXELSX), dpiY = dc.GetDeviceCaps(LOGPIXELSY);
  CSize area(dc.GetDeviceCaps(HORZRES) - 2 * dpiX, dc.GetDeviceCaps(VERTRES) - 2 * dpiY);
  // One logical unit is one printer pixel, one inch from the top-left corner (set again after
  // StartPage, which resets the context).
  auto map = [&] {
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetViewportOrg(dpiX, dpiY);
    dc.SetWindowOrg(0, 0);
    dc.SetWindowExt(area);
    dc.SetViewportExt(area);
  };
  map();
  info.m_nCurPage = 1;
  CString page, fmt;
  fmt.LoadString(AFX_IDS_PRINTPAGENUM);
  page.Format(fmt, info.m_nCurPage);
  dlg.SetDlgItemText(AFX_IDC_PRINT_PAGENUM, page);
  if (dc.StartPage() > 0) {
    map();
    PrintGraph(&dc, CRect(0, 0, m_nClientW, m_nClientH), TRUE);
    if (dc.EndPage() > 0)
      dc.EndDoc();
    else
      dc.AbortDoc();
  } else {
    dc.AbortDoc();
  }
  if (hMain && ::IsWindow(hMain)) ::EnableWindow(hMain, TRUE);
  dlg.DestroyWindow();
  dc.Detach();
  if (::IsWindow(self)) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// ---- Metafiles ----------------------------------------------------------------------------------------

void CGraphWindow::CreateWMF(const char* initialName) {
  CFileDialog fd(FALSE, "wmf", initialName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kWmfFilter, this);
  fd.m_ofn.lpstrTitle = "Export WMF";
  if (fd.DoModal() != IDOK || m_nDrawMode != -1 || !m_hWnd) return;
  CString path = fd.GetPathName();
  m_nDrawMode = 5;
  BeginWaitCursor();
  CClientDC ref(this);
  CRect frame(0, 0, MulDiv(m_nClientW, ref.GetDeviceCaps(HORZSIZE) * 100, ref.GetDeviceCaps(HORZRES)),
              MulDiv(m_nClientH, ref.GetDeviceCaps(VERTSIZE) * 100, ref.GetDeviceCaps(VERTRES)));
  CMetaFileDC mf;
  if (!mf.CreateEnhanced(&ref, path, &frame, "ZOL Graph")) {
    CFileException e(CFileException::genericException, -1, path);
    e.ReportError();
  } else {
    mf.SetMapMode(MM_ANISOTROPIC);
    mf.SetWindowOrg(0, 0);
    mf.SetViewportOrg(0, 0);
    mf.SetWindowExt(m_nClientW, m_nClientH);
    mf.SetViewportExt(m_nClientW, m_nClientH);
    mf.SetAttribDC(ref.m_hDC);
    DrawGraph(&mf, nullptr);
    HENHMETAFILE h = mf.CloseEnhanced();
    const DWORD error = GetLastError();
    mf.ReleaseAttribDC();
    if (h) {
      DeleteEnhMetaFile(h);
    } else {
      // The file was not put in place (the old one stays): say which and why.
      CFileException e(FileExceptionCauseOf(error), (LONG)error, path);
      e.ReportError();
    }
  }
  EndWaitCursor();
  m_nDrawMode = -1;
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CSaveMetaFileDC::Create(const char* name) {
  // A second Create would orphan the first recording and its temporary file.
  if (GetSafeHdc()) return FALSE;
  m_strFileName = name ? name : "";
  char dir[_MAX_PATH], temp[_MAX_PATH];
  // Recording goes to a temporary file; the placeable header is written in front of it on Close.
  if (!GetTempPath(sizeof dir, dir) || !GetTempFileName(dir, "wmf", 0, temp)) return FALSE;
  m_strTempName = temp;
  if (CMetaFileDC::Create(m_strTempName)) return TRUE;
  DeleteFile(m_strTempName);
  m_strTempName.Empty();
  m_strFileName.Empty();
  return FALSE;
}

HMETAFILE CSaveMetaFileDC::Close() {
  HMETAFILE h = CMetaFileDC::Close();
  const DWORD closeError = GetLastError();
  if (!m_strFileName.IsEmpty()) {
    // The placeable file is written beside the old one, which stays as it was unless the new one
    // is complete.
    CSaveBeside save(m_strFileName);
    CFile in, out;
    try {
      if (!h) AfxThrowFileException(FileExceptionCauseOf(closeError), (LONG)closeError, m_strFileName);
      CFileException error;
      if (!in.Open(m_strTempName, CFile::modeRead | CFile::shareDenyWrite, &error) ||
          !out.OpenBeside(save, m_strFileName, CFile::modeWrite, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, m_strFileName);
      in.SetFilePath(m_strFileName);  // its bytes are the file's own
      const WORD words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 8334, 6250, 1000, 0, 0};
      WORD sum = 0;
      for (WORD w : words) sum ^= w;
      BYTE header[22];
      for (int i = 0; i < 10; ++i) header[2 * i] = (BYTE)(words[i] & 0xFF), header[2 * i + 1] = (BYTE)(words[i] >> 8);
      header[20] = (BYTE)(sum & 0xFF), header[21] = (BYTE)(sum >> 8);
      out.Write(header, sizeof header);
      BYTE block[2048];
      UINT got;
      do {
        got = in.Read(block, sizeof block);
        out.Write(block, got);
      } while (got == sizeof block);
      in.Close();
      out.CommitBeside(save);
    } catch (CException* e) {
      in.Abort();
      out.Abort();
      e->ReportError();
      e->Delete();
      // No picture file: no success either.
      if (h) DeleteMetaFile(h);
      h = nullptr;
    }
  }
  if (!m_strTempName.IsEmpty()) DeleteFile(m_strTempName);
  m_strFileName.Empty();
  m_strTempName.Empty();
  return h;
}
