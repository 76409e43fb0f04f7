// Bitmaps in cells.
#include "grid/engine/GXDIB.h"

#include "grid/engine/GXDrawUtils.h"
#include "platform/core/Format.h"
#include "platform/gdi/PackedDib.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

IMPLEMENT_DYNCREATE(CGXDIB, CObject)

namespace {

struct DibInfo {
  int colors = 0, width = 0, height = 0;
};

bool ReadInfo(HGLOBAL h, DibInfo& info) {
  if (!h || GlobalSize(h) < sizeof(BITMAPINFOHEADER)) return false;
  const auto* bih = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h));
  if (!bih) return false;
  const bool drawable = DibHeaderSize(*bih, info.width, info.height);
  if (drawable) info.colors = GXDibNumColors(bih);
  GlobalUnlock(h);
  return drawable;
}

// Places a length inside a span: 1 centred, 2 at the end, else at the start.
LONG Place(LONG start, LONG span, LONG length, int where) {
  if (where == 1) return start + (span - length) / 2;
  if (where == 2) return start + span - length;
  return start;
}

CGXDIBPool* g_pPool = nullptr;

}  // namespace

// ---- CGXDIB ------------------------------------------------------------------------------------------------

CGXDIB::CGXDIB() = default;

CGXDIB::~CGXDIB() {
  if (m_hDIB) GlobalFree(m_hDIB);
}

BOOL CGXDIB::Attach(HGLOBAL hDIB) {
  if (m_hDIB) GlobalFree(m_hDIB);
  m_hDIB = hDIB;
  m_nColors = m_nWidth = m_nHeight = 0;
  if (!hDIB) return FALSE;
  DibInfo info;
  if (ReadInfo(hDIB, info)) {
    m_nColors = info.colors;
    m_nWidth = info.width;
    m_nHeight = info.height;
  }
  return TRUE;
}

HGLOBAL CGXDIB::Detach() {
  HGLOBAL h = m_hDIB;
  m_hDIB = nullptr;
  m_nColors = m_nWidth = m_nHeight = 0;
  return h;
}

void CGXDIB::Draw(CDC* pDC, HGLOBAL hDIB, CRect rect, int nMode, UINT nFlags, LPCRECT pSrcRect) {
  DibInfo info;
  if (!ReadInfo(hDIB, info)) return;
  CRect src = pSrcRect ? CRect(*pSrcRect) : CRect(0, 0, info.width, info.height);
  const int hWhere = (nFlags & 1) ? 1 : (nFlags & 2) ? 2 : 0;
  const int vWhere = (nFlags & 4) ? 1 : (nFlags & 8) ? 2 : 0;
  if (nMode == 0) {
    if (src.Width() < rect.Width()) {
      rect.left = Place(rect.left, rect.Width(), src.Width(), hWhere);
      rect.right = rect.left + src.Width();
    } else {
      src.right = src.left + rect.Width();
    }
    if (src.Height() < rect.Height()) {
      rect.top = Place(rect.top, rect.Height(), src.Height(), vWhere);
      rect.bottom = rect.top + src.Height();
    } else if (vWhere == 2) {
      src.top = src.bottom - rect.Height();
    } else {
      src.bottom = src.top + rect.Height();
    }
  } else if (nMode == 2) {
    // A zero-sized source scales by nothing rather than dividing by zero.
    const long long sw = std::max<LONG>(1, src.Width()), sh = std::max<LONG>(1, src.Height());
    const long long scale = std::min(rect.Width() * 1000LL / sw, rect.Height() * 1000LL / sh);
    const LONG w = (LONG)(src.Width() * scale / 1000), h = (LONG)(src.Height() * scale / 1000);
    rect.left = Place(rect.left, rect.Width(), w, hWhere);
    rect.top = Place(rect.top, rect.Height(), h, vWhere);
    rect.right = rect.left + w;
    rect.bottom = rect.top + h;
  }
  if (!pDC || rect.IsRectEmpty() || src.Width() <= 0 || src.Height() <= 0) return;
  const BYTE* p = static_cast<const BYTE*>(GlobalLock(hDIB));
  if (!p) return;
  const auto* bih = reinterpret_cast<const BITMAPINFOHEADER*>(p);
  // A block cut short of its last scan line is not drawn at all.
  if (const size_t offBits = PackedDibBitsOffset(p, GlobalSize(hDIB))) {
    // DIB rows count from the bottom.
    const int ySrc = bih->biHeight > 0 ? info.height - src.bottom : src.top;
    pDC->StretchDIBits(rect.left, rect.top, rect.Width(), rect.Height(), src.left, ySrc, src.Width(), src.Height(),
                       p + offBits, reinterpret_cast<const BITMAPINFO*>(p), DIB_RGB_COLORS, SRCCOPY);
  }
  GlobalUnlock(hDIB);
}

// ---- CGXDIBPool -----------------------------------------------------------------------------------------------

CGXDIBPool::CGXDIBPool() { m_map.InitHashTable(17); }

CGXDIBPool::~CGXDIBPool() {
  POSITION pos = m_map.GetStartPosition();
  while (pos) {
    CString key;
    HANDLE h;
    m_map.GetNextAssoc(pos, key, h);
    if (h) GlobalFree(h);
  }
  m_map.RemoveAll();
}

CGXDIBPool* CGXDIBPool::GetPool() {
  if (!g_pPool) g_pPool = new CGXDIBPool;
  return g_pPool;
}

void CGXDIBPool::DestroyPool() {
  delete g_pPool;
  g_pPool = nullptr;
}

LPCTSTR CGXDIBPool::ParseBitmapRef(LPCTSTR pszText, CString& key) {
  if (!pszText || strncasecmp(pszText, "#BMP(", 5) != 0) return nullptr;
  if (const char* q = std::strchr(pszText, '"')) {
    const char* end = std::strchr(q + 1, '"');
    if (!end) return nullptr;
    m_strName = CString(q + 1, (int)(end - q - 1));
    key = m_strName;
    return m_strName;
  }
  const unsigned id = (unsigned)std::atoi(pszText + 5);
  if (id == 0) return nullptr;
  key = FormatString("#%u", id).c_str();
  return MAKEINTRESOURCE(id & 0xFFFF);
}

HGLOBAL CGXDIBPool::GetDIB(LPCTSTR pszValue) {
  CString key;
  LPCTSTR res = ParseBitmapRef(pszValue, key);
  if (!res) return nullptr;
  HANDLE h = nullptr;
  if (m_map.Lookup(key, h)) return h;
  // Kept also when missing, so a missing resource is looked for once.
  h = LoadDIB(IS_INTRESOURCE(res) ? res : CString(res).GetString());
  m_map[key] = h;
  return h;
}

HGLOBAL CGXDIBPool::LoadDIB(LPCTSTR pszResource) { return GXLoadDib(pszResource); }

void CGXDIBPool::FormatQuotedBitmapRef(DWORD nValue, CString& text) {
  text = FormatString("%s%c%u%c)", "#BMP(", '"', (unsigned)nValue, '"').c_str();
}

void CGXDIBPool::FormatBitmapRef(UINT nResourceId, CString& text) {
  text = FormatString("%s%u)", "#BMP(", nResourceId).c_str();
}
