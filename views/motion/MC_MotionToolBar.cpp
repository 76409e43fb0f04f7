// The motion module toolbar: buttons and icons from the program's modules, tool tips from their descriptions.
#include "views/motion/MC_MotionToolBar.h"

#include "motion/model/MC_Motion.h"
#include "platform/core/CodePage.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/WindowPaint.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CMC_MotionToolBar, CToolBar)

BEGIN_MESSAGE_MAP(CMC_MotionToolBar, CToolBar)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFF, &CMC_MotionToolBar::OnToolTipNotify)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, &CMC_MotionToolBar::OnToolTipNotify)
END_MESSAGE_MAP()

namespace {

const int kImage = 16;

// The modules' icons side by side, 16 pixels each; a module without icon leaves its square as made.
HBITMAP MakeImageStrip(CMC_Motion* motion, int count) {
  HDC screen = ::GetDC(nullptr);
  HBITMAP strip = ::CreateCompatibleBitmap(screen, kImage * count, kImage);
  HDC dst = ::CreateCompatibleDC(screen), src = ::CreateCompatibleDC(screen);
  HGDIOBJ oldDst = ::SelectObject(dst, strip);
  for (int i = 0; i < count; ++i) {
    HBITMAP icon = motion->GetModuleBitmap(i);
    if (!icon) continue;
    HGDIOBJ oldSrc = ::SelectObject(src, icon);
    ::BitBlt(dst, kImage * i, 0, kImage, kImage, src, 0, 0, SRCCOPY);
    ::SelectObject(src, oldSrc);
    ::DeleteObject(icon);
  }
  ::SelectObject(dst, oldDst);
  ::DeleteDC(src);
  ::DeleteDC(dst);
  ::ReleaseDC(nullptr, screen);
  return strip;
}

}  // namespace

void CMC_MotionToolBar::BuildButtonIds(const std::vector<int>& modulesPerClass, CUIntArray& ids) {
  ids.RemoveAll();
  UINT id = ID_FIRST_MODULE;
  for (size_t c = 0; c < modulesPerClass.size(); ++c) {
    if (c > 0) ids.Add(ID_SEPARATOR);
    for (int m = 0; m < modulesPerClass[c]; ++m) ids.Add(id++);
  }
}

BOOL CMC_MotionToolBar::Create(CFrameWnd* pParentWnd, CMC_Motion* pMotion) {
  if (!pMotion) return FALSE;
  m_pMotion = pMotion;
  if (!CreateEx(pParentWnd, TBSTYLE_FLAT, 0x50402814, CRect(0, 0, 0, 0), ID_BAR)) return FALSE;
  const int count = pMotion->GetModulesCount();
  std::vector<int> perClass;
  for (int c = 0; c < pMotion->GetClassesCount(); ++c) {
    CStringArray names;
    pMotion->GetModulesOfClass(c, names);
    perClass.push_back((int)names.GetSize());
  }
  CUIntArray ids;
  BuildButtonIds(perClass, ids);
  SetButtons(ids.GetData(), (int)ids.GetSize());
  SetSizes(CSize(23, 23), CSize(kImage, kImage));
  if (count > 0) SetBitmap(MakeImageStrip(pMotion, count));
  return TRUE;
}

void CMC_MotionToolBar::SetToolTipText(NMHDR* pNMHDR, const CString& text) {
  const size_t n = std::min<size_t>((size_t)text.GetLength(), 79);
  if (pNMHDR->code == TTN_NEEDTEXTA) {
    auto* ttt = reinterpret_cast<TOOLTIPTEXTA*>(pNMHDR);
    memcpy(ttt->szText, text.GetString(), n);
    ttt->szText[n] = 0;
  } else {
    auto* ttt = reinterpret_cast<TOOLTIPTEXTW*>(pNMHDR);
    const int written = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.GetString(), (int)n, ttt->szText, 79);
    ttt->szText[written > 0 ? written : 0] = 0;
  }
}

BOOL CMC_MotionToolBar::OnToolTipNotify(UINT, NMHDR* pNMHDR, LRESULT* pResult) {
  const UINT id = (UINT)pNMHDR->idFrom;
  if (!m_pMotion || id < ID_FIRST_MODULE || id > ID_LAST_MODULE) return FALSE;
  SetToolTipText(pNMHDR, m_pMotion->GetModuleDescription((int)(id - ID_FIRST_MODULE)));
  if (pResult) *pResult = 0;
  return TRUE;
}

// The bar answers tool-tip requests itself before the framework's toolbar does.
BOOL CMC_MotionToolBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr && (hdr->code == TTN_NEEDTEXTA || hdr->code == TTN_NEEDTEXTW) && CWnd::OnNotify(wParam, lParam, pResult))
    return TRUE;
  return CToolBar::OnNotify(wParam, lParam, pResult);
}
