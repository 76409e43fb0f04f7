#include "plot/graph/ColorFactory.h"

const COLORREF CColorFactory::colorTable[CColorFactory::crCount] = {
    0xFFFFFF, 0x00FFFF, 0x00C0FF, 0x0080FF, 0x0000FF, 0xFF00FF, 0x8000FF, 0xC000FF, 0xFFFF00, 0x80FF00,
    0xC0FF00, 0x00FF00, 0x00FF80, 0x00FFC0, 0xFF0080, 0xFF00C0, 0xFF0000, 0xFF8000, 0xFFC000, 0xC0C0C0,
    0x808080, 0x800080, 0x800000, 0x808000, 0x008000, 0x008080, 0x000080, 0x000000};

int CColorFactory::m_nColorIdx = 0;

int CColorFactory::SearchColor(const CDWordArray& used, DWORD color) {
  const DWORD* p = used.GetData();
  for (INT_PTR i = 0, n = used.GetSize(); i < n; ++i)
    if (p[i] == color) return 1;
  return 0;
}

DWORD CColorFactory::GetDefColor(const CDWordArray& used) {
  static const tagColorRef16 first[] = {crRed, crYellow, crSky, crBlueViolet};
  for (tagColorRef16 i : first)
    if (!SearchColor(used, colorTable[i])) return colorTable[i];
  DWORD candidate = 0;
  for (int tries = 0; tries < 17; ++tries) {
    int i = m_nColorIdx;
    if (i >= 16 || i < 0) i = 0;
    candidate = colorTable[i];
    m_nColorIdx = i + 1;
    if (!SearchColor(used, candidate)) break;
  }
  if (m_nColorIdx >= 16) m_nColorIdx = 0;
  return candidate;
}
