// The grid in a child window: the window class with its creating procedure, and the window's messages
// handed to the grid core.
#include "grid/engine/ZAZAzedAze.h"

#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Exception.h"
#include "platform/core/Module.h"
#include "platform/gdi/DC.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/Window.h"

#include <map>

namespace {

const char kClassName[] = "ZAZAzedAze";
const UINT g_nFindReplaceMsg = ::RegisterWindowMessage("commdlg_FindReplace");

// Grids the class procedure made: only these delete themselves.
std::map<ZAZAzedAze*, WORD>& SelfCreated() {
  static std::map<ZAZAzedAze*, WORD> map;
  return map;
}

}  // namespace

IMPLEMENT_DYNCREATE(ZAZAzedAze, CWnd)

ZAZAzedAze::ZAZAzedAze() : CGXGridCore(nullptr, nullptr, nullptr) {
  m_pGridWnd = this;
  CGXGridCore::m_pDocument = nullptr;
  m_bIsViewContext = FALSE;
}

ZAZAzedAze::~ZAZAzedAze() { SelfCreated().erase(this); }

LPCTSTR ZAZAzedAze::RegisterClass(HINSTANCE hInstance) {
  WNDCLASS wc{};
  if (!::GetClassInfo(hInstance, kClassName, &wc)) {
    wc = WNDCLASS{};
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ClassWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kClassName;
    if (!::RegisterClass(&wc)) AfxThrowResourceException();
  }
  return kClassName;
}

void ZAZAzedAze::UnregisterClass(HINSTANCE hInstance) { ::UnregisterClass(kClassName, hInstance); }

LRESULT ZAZAzedAze::ClassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // A window a program's object subclassed already has its grid: this is only its default processing.
  if (CWnd::FromHandlePermanent(hWnd)) return ::DefWindowProc(hWnd, message, wParam, lParam);
  auto* grid = new ZAZAzedAze;
  grid->Attach(hWnd);
  SelfCreated()[grid] = 1;
  // From now on the framework's procedure routes; unhandled messages go to the default procedure.
  grid->m_pfnSuper = nullptr;
  ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxGetAfxWndProc());
  // A template grid works without program code: it initialises once its window exists.
  const bool creating = message == WM_NCCREATE || message == WM_CREATE;
  grid->m_bInitializeOnCreate = creating;
  const LRESULT result = ::CallWindowProc(AfxGetAfxWndProc(), hWnd, message, wParam, lParam);
  if (!creating && !grid->IsInitialized()) grid->Initialize();
  return result;
}

void ZAZAzedAze::PostNcDestroy() {
  auto it = SelfCreated().find(this);
  if (it == SelfCreated().end()) return;
  SelfCreated().erase(it);
  delete this;
}

CScrollBar* ZAZAzedAze::GetScrollBarCtrl(int nBar) const {
  if (CScrollBar* bar = CGXGridCore::GetScrollBarCtrl(nBar)) return bar;
  return CWnd::GetScrollBarCtrl(nBar);
}

BOOL ZAZAzedAze::OnCommand(WPARAM wParam, LPARAM lParam) {
  return CGXGridCore::OnCommand(wParam, lParam) ? TRUE : CWnd::OnCommand(wParam, lParam);
}

BOOL ZAZAzedAze::PreTranslateMessage(MSG* pMsg) {
  return CGXGridCore::PreTranslateMessage(pMsg) ? TRUE : CWnd::PreTranslateMessage(pMsg);
}

void ZAZAzedAze::OnPaint() {
  PaintParentBeneath();
  CPaintDC dc(this);
  if (FillBeforeInitialize(&dc)) return;
  PrepareDC(&dc, nullptr);
  OnGridDraw(&dc);
}

void ZAZAzedAze::DrawFrameInParent(HRGN only) { GXDrawFrameInParent(this, m_bDrawFrame, only); }

BOOL ZAZAzedAze::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT ignored = 0;
  LRESULT& result = pResult ? *pResult : ignored;
  auto windowDefault = [&] { return CWnd::OnWndMsg(message, wParam, lParam, pResult); };
  if (message == WM_DESTROY || message == WM_NCDESTROY) m_gridDropTarget.Forget();
  else m_gridDropTarget.EnsureRegistered(this);
  switch (message) {
    case WM_CREATE: {
      const BOOL r = windowDefault();
      if (m_bInitializeOnCreate && !m_bInitialized) Initialize();
      m_bInitializeOnCreate = FALSE;
      return r;
    }
    case WM_LBUTTONDOWN: {
      // A click moves the focus from another control of the dialog first.
      HWND focus = ::GetFocus();
      if (focus != m_hWnd && !::IsChild(m_hWnd, focus)) SetFocus();
      return RouteWindowMessage(message, wParam, lParam, pResult, windowDefault);
    }
    case WM_GETDLGCODE: {
      // Through the core's pointer, so a grid's own override answers.
      result = static_cast<CGXGridCore*>(this)->OnGetDlgCode((UINT)Default());
      return TRUE;
    }
    case WM_KILLFOCUS:
      // A drop-down list or the current cell's own window taking the focus leaves the grid focused.
      if (!GXGetLibraryData().m_nFocusLock && !(wParam && ::IsChild(m_hWnd, (HWND)wParam))) m_bGridHasFocus = FALSE;
      result = Default();
      CGXGridCore::OnKillFocus(CWnd::FromHandle((HWND)wParam));
      return TRUE;
    case WM_NCPAINT:
      result = Default();
      // A paint of the bars alone redraws the frame only where it lies over them.
      DrawFrameInParent(wParam > 1 ? (HRGN)wParam : nullptr);
      return TRUE;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED: {
      // The core hears both (it keeps what is still due to be painted across a new size); a frame
      // lies in the parent, outside the window: a move or a new size leaves the old one there unless
      // the parent paints it over (before the new one is drawn).
      auto core = [&] { return RouteWindowMessage(message, wParam, lParam, pResult, windowDefault); };
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      CWnd* parent = GetParent();
      const BOOL framed = m_bDrawFrame || (GetStyle() & 0x200);
      if (!framed || !parent || !pos || (pos->flags & SWP_NOSIZE && pos->flags & SWP_NOMOVE) || !IsWindowVisible())
        return core();
      if (message == WM_WINDOWPOSCHANGING) {
        CRect was;
        GetWindowRect(&was);
        parent->ScreenToClient(&was);
        CRect ring = was;
        ring.InflateRect(2, 2, 3, 3);
        HRGN area = ::CreateRectRgnIndirect(&ring), inside = ::CreateRectRgnIndirect(&was);
        ::CombineRgn(area, area, inside, RGN_DIFF);
        ::RedrawWindow(parent->m_hWnd, nullptr, area, RDW_INVALIDATE | RDW_ERASE);
        ::DeleteObject(area);
        ::DeleteObject(inside);
        return core();
      }
      const BOOL r = core();
      parent->UpdateWindow();
      DrawFrameInParent();
      return r;
    }
    case GX_WM_RECORD_NAVIGATE:
      SetFocus();
      OnRecordNavigate((int)wParam, (LONG)lParam);
      result = 0;
      return TRUE;
    case GX_WM_SHEETNAME_EDITABLE:
      result = IsSheetNameEditable();
      return TRUE;
    case GX_WM_SHEETNAME_CHANGED:
      OnTabRenamed((int)wParam);
      result = 0;
      return TRUE;
    case GX_WM_SHEET_SWITCH:
      result = CanSwitchSheet((BOOL)wParam) > 0 ? 0 : 1;
      return TRUE;
    case GX_WM_LAYOUT_LOCK:
      SetLockInvalidate((BOOL)wParam);
      result = 0;
      return TRUE;
    default:
      if (message == g_nFindReplaceMsg) {
        OnFindReplace(CFindReplaceDialog::GetNotifier(lParam));
        result = 0;
        return TRUE;
      }
      return RouteWindowMessage(message, wParam, lParam, pResult, windowDefault);
  }
}
