#include "grid/controls/HexGridCtrl.h"

#include "grid/engine/GXGridCore.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

const DWORD kHexaEdit = 15006;

}  // namespace

BOOL CHexGridCtrl::FormatNumber(const CString& format, unsigned int value, CString& out) {
  // Only flags, width, precision and a short length may come with the one conversion: anything
  // else would read arguments that are not there.
  const char* p = format;
  int conversions = 0;
  for (; *p; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    ++p;
    while (*p && std::strchr("-+ #0", *p)) ++p;
    for (int n = 0; std::isdigit((unsigned char)*p); ++p)
      if (++n > 2) return FALSE;
    if (*p == '.') {
      ++p;
      for (int n = 0; std::isdigit((unsigned char)*p); ++p)
        if (++n > 2) return FALSE;
    }
    if (*p == 'h') ++p;
    if (*p == 'h') ++p;
    if (!*p || !std::strchr("diouxX", *p)) return FALSE;
    ++conversions;
  }
  if (conversions != 1) return FALSE;
  char buf[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int n = std::snprintf(buf, sizeof buf, (const char*)format, value);
#pragma GCC diagnostic pop
  if (n < 0) return FALSE;
  out = buf;
  return TRUE;
}

BOOL CHexGridCtrl::GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) {
  if (!CGXControl::GetDisplayText(text, nRow, nCol, pszValue, pStyle) || text.IsEmpty()) {
    text.Empty();
    return FALSE;
  }
  const CString format = pStyle ? pStyle->GetUserAttribute(kHexaEdit) : CString();
  unsigned int value = 0;
  CString formatted;
  if (!format.IsEmpty() && std::sscanf(text, "%X", &value) == 1 && FormatNumber(format, value, formatted))
    text = formatted;
  return TRUE;
}

BOOL CHexGridCtrl::ValidateText(const CString& text) {
  if (!m_pGrid || !m_bInit) return FALSE;
  CGXStyle* style = m_pGrid->CreateStyle();
  m_pGrid->ComposeStyleRowCol(m_nRow, m_nCol, style);
  const UINT maxLength = style->GetIncludeMaxLength() ? style->GetMaxLength() : 0;
  m_pGrid->RecycleStyle(style);
  const int n = text.GetLength();
  if (n < 1 || (UINT)n > maxLength) return FALSE;
  for (int i = 0; i < n; ++i)
    if (!std::isxdigit((unsigned char)text[i])) return FALSE;
  return TRUE;
}

void CHexGridCtrl::SetActiveText(const CString& text) {
  if (m_hWnd) SetWindowText(text);
}
