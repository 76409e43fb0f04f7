#include "examples/host/HostFrame.h"

#include "comm/MC_Comm.h"
#include "editor/toolkit/SECJpeg.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"

BEGIN_MESSAGE_MAP(CHostFrame, CFrameWnd)
  ON_MESSAGE(WM_MC_BIGMEMORYOP_PROGRESS, &CHostFrame::OnTransferProgress)
END_MESSAGE_MAP()

namespace {
const UINT kIndicators[] = {ID_SEPARATOR, 1001};
}

BOOL CHostFrame::CreateMain() {
  if (!Create(nullptr, "dravonix host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 640, 480))) return FALSE;
  if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 2)) return FALSE;
  m_wndStatusBar.SetPaneText(0, "Ready");
  tagPaneInfoEx axis;
  axis.iIndex = 1;
  axis.strText = "Axis 1";
  axis.crTextForeground = RGB(0, 96, 0);
  axis.dwMask = SBP_TEXT | SBP_TEXTCOLOR;
  m_wndStatusBar.SetPaneInfoEx(&axis);
  m_wndStatusBar.FitPanesToContent();
  RecalcLayout();
  ::PumpMessages();
  return TRUE;
}

// Percent with the caller's text while a big transfer runs; -1 with the end text when it ends.
LRESULT CHostFrame::OnTransferProgress(WPARAM wParam, LPARAM lParam) {
  int percent = (int)wParam;
  const char* text = (const char*)lParam;
  if (percent < 0) {
    m_wndStatusBar.UninitializeProgressControl();
    m_strEndText = text ? text : "";
    m_wndStatusBar.SetPaneText(0, m_strEndText.IsEmpty() ? "Ready" : m_strEndText.GetString());
    return 0;
  }
  ++m_nProgress;
  m_nLastPercent = percent;
  if (!m_wndStatusBar.IsProgressControlActive()) m_wndStatusBar.InitializeProgressControl(text ? text : "", 0, 100);
  m_wndStatusBar.SetProgress(percent);
  if (!m_bPictureTaken) {
    m_nPicturePercent = percent;
    m_wndStatusBar.UpdateWindow();
    m_wndStatusBar.GetProgressCtrl()->UpdateWindow();
    m_bPictureTaken = SaveWindowImage(this, (m_outDir + "/status-progress.png").c_str()) != FALSE;
  }
  return 0;
}

bool SaveFrameAsJpeg(CWnd* frame, const std::string& path, std::string& detail) {
  ::PumpMessages();
  CRect r;
  frame->GetWindowRect(&r);
  CWindowDC wdc(frame);
  CDC mem;
  CBitmap bitmap;
  if (!mem.CreateCompatibleDC(&wdc) || !bitmap.CreateCompatibleBitmap(&wdc, r.Width(), r.Height())) return false;
  CBitmap* old = mem.SelectObject(&bitmap);
  mem.BitBlt(0, 0, r.Width(), r.Height(), &wdc, 0, 0, SRCCOPY);
  mem.SelectObject(old);
  SECImage picture;
  SECJpeg jpeg;
  if (!picture.CreateFromBitmap(&wdc, &bitmap) || !jpeg.ConvertImage(&picture) || !jpeg.SaveImage(path.c_str())) {
    detail = "the frame picture cannot be saved";
    return false;
  }
  SECJpeg back;
  bool ok = back.LoadImage(path.c_str()) && back.dwGetWidth() == (DWORD)r.Width() && back.dwGetHeight() == (DWORD)r.Height();
  detail = FormatString("%d x %d pixels in %s", r.Width(), r.Height(), path.c_str());
  return ok;
}
