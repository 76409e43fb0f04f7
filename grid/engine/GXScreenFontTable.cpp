#include "grid/engine/GXScreenFontTable.h"

#include "platform/gdi/DC.h"

CGXScreenFontTable& CGXScreenFontTable::Get() {
  static CGXScreenFontTable table;
  return table;
}

CGXScreenFontTable::CGXScreenFontTable() {
  CDC ic;
  if (!ic.CreateIC("DISPLAY", nullptr, nullptr, nullptr)) return;
  ::EnumFontFamilies(ic.GetSafeHdc(), nullptr, &CGXScreenFontTable::AddFace, (LPARAM)this);
  m_nLogPixelsY = ic.GetDeviceCaps(LOGPIXELSY);
  m_nLogPixelsX = ic.GetDeviceCaps(LOGPIXELSX);
  ic.DeleteDC();
}

int CGXScreenFontTable::AddFace(const LOGFONT* lf, const TEXTMETRIC* tm, DWORD fontType, LPARAM table) {
  reinterpret_cast<CGXScreenFontTable*>(table)->SetFace(lf->lfFaceName, (WORD)((fontType << 8) | tm->tmCharSet));
  return 1;
}

BOOL CGXScreenFontTable::Lookup(LPCTSTR faceName, WORD& value) const {
  if (!faceName) return FALSE;
  auto it = m_faces.find(faceName);
  if (it == m_faces.end()) return FALSE;
  value = it->second;
  return TRUE;
}

void CGXScreenFontTable::SetFace(LPCTSTR faceName, WORD value) {
  if (faceName) m_faces[faceName] = value;
}

void CGXScreenFontTable::SetResolution(int logPixelsX, int logPixelsY) {
  if (logPixelsX > 0) m_nLogPixelsX = logPixelsX;
  if (logPixelsY > 0) m_nLogPixelsY = logPixelsY;
}
