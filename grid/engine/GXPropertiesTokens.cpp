// The printed header and footer: token values of a page, token substitution and the layout of the
// two blocks around the grid's print area.
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXFont.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLocale.h"
#include "grid/engine/GXProperties.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Document.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/WinApp.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

BOOL StartsWithNoCase(const char* text, const char* token) {
  for (; *token; ++text, ++token) {
    const int a = (*text >= 'a' && *text <= 'z') ? *text - 32 : *text;
    const int b = (*token >= 'a' && *token <= 'z') ? *token - 32 : *token;
    if (a != b) return FALSE;
  }
  return TRUE;
}

}  // namespace

void CGXProperties::SubstituteTokens(CString& sOut, LPCTSTR pszText) {
  sOut.Empty();
  if (!pszText) return;
  std::string out;
  for (LPCTSTR p = pszText; *p;) {
    int match = -1;
    for (int i = 0; i < m_TokenArray.GetSize() && match < 0; ++i)
      if (!m_TokenArray[i].IsEmpty() && StartsWithNoCase(p, m_TokenArray[i])) match = i;
    if (match < 0) {
      out += *p++;
      continue;
    }
    p += m_TokenArray[match].GetLength();
    CString value;
    GetTokenValue(value, match, p);
    out += value.GetString();
  }
  sOut = out.c_str();
}

void CGXProperties::GetTokenValue(CString& sOut, int nToken, LPCTSTR& pszRest) {
  sOut.Empty();
  if (nToken == 4) {
    // The date: an optional "{format}" right after the token, else the locale's full form.
    std::string format = "%c";
    if (pszRest && *pszRest == '{') {
      const char* close = std::strchr(pszRest, '}');
      const char* end = close ? close : pszRest + std::strlen(pszRest);
      format.assign(pszRest + 1, end);
      pszRest = close ? close + 1 : end;
    }
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    char buffer[256] = {};
    GXFormatTime(buffer, sizeof buffer, format.c_str(), &local);
    sOut = buffer;
    return;
  }
  if (nToken >= 0 && nToken < m_TokenValues.GetSize()) sOut = m_TokenValues[nToken];
}

int CGXProperties::DrawHeaderFooterBlock(CDC* pDC, CGXData& data, const CRect& rect, BOOL bDraw) {
  static const UINT kAlign[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  int height = 0;
  for (ROWCOL col = 1; col <= 3; ++col) {
    int y = rect.top;
    for (ROWCOL row = 1; row <= 10; ++row) {
      CGXStyle style;
      if (!data.GetStyleAt(row, col, style, 2) || !style.GetIncludeValue() || style.GetValue().IsEmpty()) continue;
      CString text;
      SubstituteTokens(text, style.GetValue());
      CFont font;
      CFont* old = nullptr;
      if (style.GetIncludeFont() && font.CreateFontIndirect(&style.GetFont().GetLogFont())) old = pDC->SelectObject(&font);
      const int h = pDC->GetTextExtent(text, text.GetLength()).cy;
      if (bDraw) {
        CRect line(rect.left + 8, y, rect.right - 8, y + h);
        GXDrawMultiLineText(pDC, text, text.GetLength(), line, kAlign[col - 1] | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      }
      if (old) pDC->SelectObject(old);
      y += h;
    }
    height = std::max(height, y - rect.top);
  }
  return height;
}

void CGXProperties::BuildHeaderFooterText(CDC* pDC, CPrintInfo* pInfo, CDocument* pDoc, CGXGridParam* pParam) {
  if (!pDC || !pInfo) return;
  m_TokenValues.SetSize(std::max<INT_PTR>(m_TokenArray.GetSize(), 6));
  m_TokenValues[0] = pDoc ? pDoc->GetTitle() : CString();
  CWinApp* app = AfxGetApp();
  m_TokenValues[1] = app && app->m_pszAppName ? app->m_pszAppName : "";
  const UINT page = m_nFirstPage == -1 ? pInfo->m_nCurPage : pInfo->m_nCurPage - pInfo->GetFromPage() + (UINT)m_nFirstPage;
  m_TokenValues[2].Format("%u", page);
  m_TokenValues[3].Format("%u", std::min(pInfo->GetToPage(), pInfo->GetMaxPage()));
  m_TokenValues[5] = pParam ? pParam->m_strTitle : CString();

  CRect area(0, 0, pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
  pDC->DPtoLP(&area);
  const CRect& grid = pInfo->m_rectDraw;
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  DrawHeaderFooterBlock(pDC, m_mapDataHeader, CRect(grid.left, area.top + m_nDistTop, grid.right, area.bottom), TRUE);
  const int footer = DrawHeaderFooterBlock(pDC, m_mapDataFooter, area, FALSE);
  const int top = std::max<int>(area.bottom - m_nDistBottom - footer, grid.bottom);
  DrawHeaderFooterBlock(pDC, m_mapDataFooter, CRect(grid.left, top, grid.right, top + footer), TRUE);
  pDC->SetBkMode(oldMode);
}
