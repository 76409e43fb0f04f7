#include "monitor/panels/GadgetsBar.h"

#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ResourceDib.h"
#include "platform/ui/WinApp.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CGadgetBtn, CButton)
IMPLEMENT_DYNAMIC(CGadgetsBar, CDialogBar)

// ---- CGadgetBtn --------------------------------------------------------------------------------

CGadgetBtn::~CGadgetBtn() { DeleteBitmaps(); }

void CGadgetBtn::DeleteBitmaps() {
  for (HGLOBAL& h : m_hBitmaps)
    if (h) h = ::GlobalFree(h);
}

BOOL CGadgetBtn::Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id, BOOL selected,
                        HINSTANCE module) {
  m_bSelected = selected ? 1 : 0;
  m_hInstance = module;
  if (!CButton::Create(text, style | BS_OWNERDRAW, rect, parent, id)) return FALSE;
  LoadBitmaps();
  Refresh();
  return TRUE;
}

BOOL CGadgetBtn::AutoLoad(UINT id, CWnd* parent, BOOL selected, HINSTANCE module) {
  if (!parent || !SubclassDlgItem(id, parent)) return FALSE;
  m_bSelected = selected ? 1 : 0;
  m_hInstance = module;
  LoadBitmaps();
  if (!m_hBitmaps[kUp]) return FALSE;
  SizeToContent();
  return TRUE;
}

BOOL CGadgetBtn::LoadBitmaps(int) {
  CString base;
  if (m_hWnd) GetWindowText(base);
  if (m_bSelected) base += "S";
  return LoadBitmaps(base + "U", base + "D", base + "F", base + "X");
}

BOOL CGadgetBtn::LoadBitmaps(LPCSTR up, LPCSTR down, LPCSTR focus, LPCSTR disabled) {
  return LoadNamedBitmaps(up, down, focus, disabled, true);
}

BOOL CGadgetBtn::LoadNamedBitmaps(LPCSTR up, LPCSTR down, LPCSTR focus, LPCSTR disabled, bool retry) {
  DeleteBitmaps();
  HINSTANCE module = m_hInstance ? m_hInstance : (up ? AfxFindResourceHandle(up, RT_BITMAP) : nullptr);
  m_hBitmaps[kUp] = up ? LoadResourceDib(module, up) : nullptr;
  if (m_hBitmaps[kUp]) {
    const SIZE size = GetPackedDibSize(m_hBitmaps[kUp]);
    m_nWidth = size.cx;
    m_nHeight = size.cy;
    BOOL all = TRUE;
    const LPCSTR others[] = {down, focus, disabled};
    for (int i = 0; i < 3; ++i)
      if (others[i]) {
        m_hBitmaps[kDown + i] = LoadResourceDib(module, others[i]);
        all = all && m_hBitmaps[kDown + i];
      }
    return all;
  }
  if (!retry) return FALSE;
  // One retry with the library's default pictures.
  CString base = up && up[0] == '_' ? "_" : "";
  base += "*DEFAULT_";
  if (m_bSelected) base += "S";
  m_hInstance = nullptr;
  return LoadNamedBitmaps(base + "U", base + "D", base + "F", base + "X", false);
}

void CGadgetBtn::Refresh() {
  if (!m_hWnd) return;
  SizeToContent();
  Invalidate();
  UpdateWindow();
}

BOOL CGadgetBtn::SetSel(BOOL selected, int) {
  const BOOL old = m_bSelected;
  m_bSelected = selected ? 1 : 0;
  if (m_hWnd) {
    LoadBitmaps();
    Refresh();
  }
  return old;
}

void CGadgetBtn::SetWindowText(LPCSTR text, HINSTANCE module, int) {
  m_hInstance = module;
  if (m_hWnd) CWnd::SetWindowText(text);
  CString base = text ? text : "";
  if (m_bSelected) base += "S";
  LoadBitmaps(base + "U", base + "D", base + "F", base + "X");
  Refresh();
}

void CGadgetBtn::SizeToContent() {
  if (m_hWnd) SetWindowPos(nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void CGadgetBtn::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  if (!lpDIS) return;
  HGLOBAL dib = m_hBitmaps[kUp];
  if ((lpDIS->itemState & ODS_SELECTED) && m_hBitmaps[kDown])
    dib = m_hBitmaps[kDown];
  else if ((lpDIS->itemState & ODS_FOCUS) && m_hBitmaps[kFocus])
    dib = m_hBitmaps[kFocus];
  else if ((lpDIS->itemState & ODS_DISABLED) && m_hBitmaps[kDisabled])
    dib = m_hBitmaps[kDisabled];
  CDC* dc = CDC::FromHandle(lpDIS->hDC);
  if (!dc || !dib) return;
  CPalette* old = m_pPalette ? dc->SelectPalette(m_pPalette, FALSE) : nullptr;
  DrawPackedDib(dc, dib, lpDIS->rcItem);
  if (old) dc->SelectPalette(old, FALSE);
}

void CGadgetBtn::OnLButtonDown(UINT, CPoint) {
  // Not passed on: the button never shows itself pressed, the bar runs the drag.
  if (CWnd* parent = GetParent()) parent->PostMessage(WM_GADGET_BUTTON_PRESSED, (WPARAM)GetDlgCtrlID(), 0);
}

void CGadgetBtn::OnSetFocus(CWnd* pOldWnd) {
  CButton::OnSetFocus(pOldWnd);
  if (CWnd* parent = GetParent()) parent->SendMessage(WM_GADGET_BUTTON_FOCUSED, (WPARAM)GetDlgCtrlID(), (LPARAM)this);
}

BOOL CGadgetBtn::OnEraseBkgnd(CDC*) { return TRUE; }

// ---- CGadgetsBar -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CGadgetsBar, CDialogBar)
ON_MESSAGE(CGadgetBtn::WM_GADGET_BUTTON_PRESSED, &CGadgetsBar::OnButtonPressed)
ON_MESSAGE(CGadgetBtn::WM_GADGET_BUTTON_FOCUSED, &CGadgetsBar::OnButtonFocused)
END_MESSAGE_MAP()

CGadgetsBar::~CGadgetsBar() {
  if (m_bDragging) ::ClipCursor(nullptr);
  if (m_hCursorDrop) ::DestroyCursor(m_hCursorDrop);
  if (m_hCursorNoDrop) ::DestroyCursor(m_hCursorNoDrop);
}

int CGadgetsBar::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CDialogBar::OnCreate(lpCreateStruct) == -1) return -1;
  auto cursor = [](UINT id) {
    LPCSTR name = MAKEINTRESOURCE(id);
    HINSTANCE module = AfxFindCursorHandle(name);
    return module ? ::LoadCursor(module, name) : nullptr;
  };
  m_hCursorDrop = cursor(IDC_CURSOR_DROP);
  m_hCursorNoDrop = cursor(IDC_CURSOR_NODROP);
  CRect at(5, 5, 80, 80);
  int tallest = 0;
  for (int row = 0; row < CMC_ControlPanelView::kLinkCount; ++row) {
    auto* button = new CGadgetBtn;
    m_aButtons.Add(button);
    if (!button->Create(CMC_ControlPanelView::msc_aLinks[row].name,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | BS_OWNERDRAW, at, this,
                        IDC_FIRST_BUTTON + row))
      continue;
    CRect r;
    button->GetWindowRect(&r);
    ScreenToClient(&r);
    tallest = std::max(tallest, r.Height());
    at.OffsetRect(r.right + 5 - at.left, 0);
  }
  CRect bar;
  GetWindowRect(&bar);
  SetWindowPos(nullptr, 0, 0, bar.Width(), tallest + 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  m_sizeDefault.cy = tallest + 10;
  return 0;
}

void CGadgetsBar::SetDragCursor(HCURSOR cursor) {
  if (cursor == m_hCursorCurrent) return;
  m_hCursorCurrent = cursor;
  ::SetCursor(cursor);
}

LRESULT CGadgetsBar::OnButtonPressed(WPARAM wParam, LPARAM) {
  const int index = (int)wParam - IDC_FIRST_BUTTON;
  if (index < 0 || index >= m_aButtons.GetSize()) return 0;
  m_aButtons[index]->SetSel(TRUE);
  m_nDragId = (int)wParam;
  m_bDragging = 1;
  m_hCursorCurrent = nullptr;
  SetDragCursor(m_hCursorNoDrop);
  SetCapture();
  CRect clip(0, 0, 0, 0);
  CWnd* parent = GetParent();
  CWnd* main = AfxGetMainWnd();
  if (parent && main) {
    CRect a, b;
    parent->GetClientRect(&a);
    parent->ClientToScreen(&a);
    main->GetClientRect(&b);
    main->ClientToScreen(&b);
    clip.IntersectRect(a, b);
  }
  ::ClipCursor(&clip);
  return 0;
}

LRESULT CGadgetsBar::OnButtonFocused(WPARAM, LPARAM) {
  if (CWnd* main = AfxGetMainWnd()) main->SetFocus();
  return 0;
}

void CGadgetsBar::OnMouseMove(UINT nFlags, CPoint point) {
  if (m_bDragging) {
    CPoint screen = point;
    ClientToScreen(&screen);
    CWnd* under = CWnd::WindowFromPoint(screen);
    SetDragCursor(under && under->IsKindOf(RUNTIME_CLASS(CMC_ControlPanelView)) ? m_hCursorDrop : m_hCursorNoDrop);
  }
  CDialogBar::OnMouseMove(nFlags, point);
}

int CGadgetsBar::EndDrag() {
  const int index = m_nDragId - IDC_FIRST_BUTTON;
  m_bDragging = 0;
  m_nDragId = -1;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  ::ClipCursor(nullptr);
  m_hCursorCurrent = nullptr;
  ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
  if (index >= 0 && index < m_aButtons.GetSize()) m_aButtons[index]->SetSel(FALSE);
  return index;
}

void CGadgetsBar::OnLButtonUp(UINT nFlags, CPoint point) {
  if (m_bDragging) {
    const int index = EndDrag();
    CPoint screen = point;
    ClientToScreen(&screen);
    CWnd* under = CWnd::WindowFromPoint(screen);
    if (auto* view = DYNAMIC_DOWNCAST(CMC_ControlPanelView, under)) {
      view->ScreenToClient(&screen);
      view->AddNewItem(screen, index);
    }
  }
  CDialogBar::OnLButtonUp(nFlags, point);
}

// Whoever takes the mouse away (a message box, another drag) ends the drag without a drop: the
// release would never reach the bar, and the cursor would stay clipped.
void CGadgetsBar::OnCaptureChanged(CWnd* pWnd) {
  if (m_bDragging && pWnd != this) EndDrag();
  CDialogBar::OnCaptureChanged(pWnd);
}

void CGadgetsBar::OnCancelMode() {
  if (m_bDragging) EndDrag();
  CDialogBar::OnCancelMode();
}

void CGadgetsBar::OnDestroy() {
  if (m_bDragging) EndDrag();
  CDialogBar::OnDestroy();
}
