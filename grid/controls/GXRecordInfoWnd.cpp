// The record frame: its children and layout, the scroll bars lent to the sheet, and the strip
// between beam and horizontal bar.
#include "grid/controls/GXRecordInfoWnd.h"

#include "grid/controls/GXBeamDrawing.h"
#include "grid/engine/GXCodes.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXLocale.h"
#include "platform/core/Exception.h"
#include "platform/ui/Window.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CGXRecordInfoWnd, CGXBeamFrameWnd)

namespace {

// The beam of the record frame holding the grid window, when it is there to show records.
CGXRecordInfoBeam* RecordBeamOf(CWnd* pGridWnd) {
  auto* frame = static_cast<CGXRecordInfoWnd*>(GXGetParentOfKind(pGridWnd, RUNTIME_CLASS(CGXRecordInfoWnd)));
  CGXRecordInfoBeam* beam = frame ? frame->GetBeam() : nullptr;
  return beam && beam->GetSafeHwnd() ? beam : nullptr;
}

}  // namespace

BOOL CGXRecordInfoWndInterface::HasRecordBeam(CWnd* pGridWnd) { return RecordBeamOf(pGridWnd) != nullptr; }

void CGXRecordInfoWndInterface::ShowRecord(CWnd* pGridWnd, LONG nRecord, LONG nCount) {
  CGXRecordInfoBeam* beam = RecordBeamOf(pGridWnd);
  if (!beam || (beam->GetRecordCount() == nCount && beam->GetCurrentRecord() == nRecord)) return;
  beam->SetRecordCount(nCount);
  beam->SetCurrentRecord(nRecord);
  beam->Invalidate(TRUE);
  beam->UpdateWindow();
}

CGXRecordInfoWnd::CGXRecordInfoWnd(CRuntimeClass* pBeamClass)
    : m_pBeamClass(pBeamClass ? pBeamClass : RUNTIME_CLASS(CGXRecordInfoBeam)) {
  GXRegisterHostWndClass(RUNTIME_CLASS(CGXRecordInfoWnd));
  CGXLibraryData& lib = GXGetLibraryData();
  if (!lib.m_pRecordInfoWndInterface) lib.m_pRecordInfoWndInterface = new CGXRecordInfoWndInterface;
}

CGXRecordInfoWnd::~CGXRecordInfoWnd() {
  if (m_pBeam && m_pBeam->GetSafeHwnd()) m_pBeam->DestroyWindow();
  delete m_pBeam;
}

BOOL CGXRecordInfoWnd::CreateRecordInfoFrame(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  if (!GetSafeHwnd() &&
      !CWnd::Create("GxMdiFrame", nullptr, dwStyle & ~(WS_HSCROLL | WS_VSCROLL), CRect(0, 0, 0, 0), pParentWnd, nID))
    AfxThrowResourceException();
  CreateChildren(dwStyle);
  return TRUE;
}

void CGXRecordInfoWnd::CreateChildren(DWORD dwStyle) {
  m_bCreated = TRUE;
  m_bHasHBar = (dwStyle & WS_HSCROLL) != 0;
  m_bHasVBar = (dwStyle & WS_VSCROLL) != 0;
  if (m_bHasHBar && !m_hBar.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, CRect(0, 0, 0, 0), this, GX_IDW_TAB_HSCROLL))
    AfxThrowResourceException();
  if (m_bHasVBar && !m_vBar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(0, 0, 0, 0), this, GX_IDW_TAB_VSCROLL))
    AfxThrowResourceException();
  m_pBeam = static_cast<CGXRecordInfoBeam*>(m_pBeamClass->CreateObject());
  if (!m_pBeam || !m_pBeam->Create(WS_VISIBLE, CRect(0, 0, 1, 1), this, 59905)) AfxThrowResourceException();
  m_pBeam->SetNotifyWnd(m_pSheet);
}

void CGXRecordInfoWnd::AttachWnd(CWnd* pSheet) {
  m_pSheet = pSheet;
  if (m_pBeam) m_pBeam->SetNotifyWnd(pSheet);
  if (GetSafeHwnd()) RecalcLayout();
}

void CGXRecordInfoWnd::RecalcLayout() {
  if (!GetSafeHwnd()) return;
  if (!m_bCreated) CreateChildren(WS_CHILD | WS_HSCROLL | WS_VSCROLL);
  CRect client;
  GetClientRect(&client);
  const int right = m_bHasVBar ? m_nStripHeight : 0;
  const CRect area(0, 0, client.right - right, client.bottom - (m_nStripHeight - 1));
  m_nBeamWidth = m_pBeam->GetContentWidth();
  const int hLeft = m_nBeamWidth + m_nGap;
  HDWP hdwp = ::BeginDeferWindowPos(4);
  hdwp = GXDeferWindowPlacement(hdwp, &m_hBar, CRect(hLeft, area.bottom, std::max(hLeft, (int)area.right), client.bottom), TRUE);
  hdwp = GXDeferWindowPlacement(hdwp, &m_vBar, CRect(area.right, 0, client.right, area.bottom), TRUE);
  hdwp = GXDeferWindowPlacement(hdwp, m_pBeam, CRect(0, area.bottom, m_bHasHBar ? m_nBeamWidth : client.right, client.bottom),
                                FALSE);
  if (m_pSheet) hdwp = GXDeferWindowPlacement(hdwp, m_pSheet, CRect(1, 1, area.right - 1, area.bottom - 1), FALSE);
  ::EndDeferWindowPos(hdwp);
  if (m_pSheet) m_pSheet->SendMessage(WM_SIZE, 2, MAKELPARAM(area.Width() - 3, area.Height() - 3));
}

BOOL CGXRecordInfoWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message != WM_HSCROLL && message != WM_VSCROLL) return CWnd::OnWndMsg(message, wParam, lParam, pResult);
  if (m_pSheet) m_pSheet->SendMessage(message, wParam, lParam);
  if (pResult) *pResult = 0;
  return TRUE;
}

void CGXRecordInfoWnd::OnResize(int cx) {
  m_nLastWidth = cx;
  RecalcLayout();
}

void CGXRecordInfoWnd::OnPaint() {
  CPaintDC dc(this);
  if (!m_bCreated || m_bSettingsChanged) {
    m_bSettingsChanged = FALSE;
    RecalcLayout();
  }
  CRect client;
  GetClientRect(&client);
  const int top = client.bottom - (m_nStripHeight - 1);
  const int left = m_nBeamWidth + 1, width = m_nGap - 1;
  dc.FillSolidRect(left, top, width, client.bottom - top, ::GetSysColor(COLOR_WINDOW));
  dc.FillSolidRect(left, top, width, 1, ::GetSysColor(COLOR_WINDOWFRAME));
  dc.FillSolidRect(left, client.bottom - 1, width, 1, RGB(0, 0, 0));
}

BOOL CGXRecordInfoWnd::OnEraseBkgnd(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  pDC->FillRect(CRect(client.right - m_nStripHeight + 1, 0, client.right, client.bottom), &m_brCorner);
  pDC->FillSolidRect(0, client.bottom - m_nStripHeight, client.right, 1, ::GetSysColor(COLOR_WINDOWFRAME));
  return TRUE;
}

void CGXRecordInfoWnd::OnSettingChange(UINT, LPCSTR) {
  GXUpdateLocaleDateTimeSettings();
  ReadBarMetrics();
  m_bSettingsChanged = TRUE;
  Invalidate();
}
