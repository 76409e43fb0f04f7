// The cell-control base.
#include "grid/engine/GXControl.h"

#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Exception.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/SharedFile.h"
#include "platform/ui/Wnd.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

namespace {

std::vector<std::string> Lines(LPCTSTR list) {
  std::vector<std::string> out;
  const char* p = list;
  while (p && *p) {
    const char* e = p;
    while (*e && *e != '\r' && *e != '\n') ++e;
    out.emplace_back(p, e);
    if (*e == '\r' && e[1] == '\n') e += 2;
    else if (*e) ++e;
    p = e;
  }
  return out;
}

}  // namespace

CGXControl::CGXControl(CGXGridCore* pGrid) : m_pGrid(pGrid) {}

CGXControl::~CGXControl() {
  delete m_pStyle;
  if (m_pChildren) {
    while (!m_pChildren->IsEmpty()) delete static_cast<CObject*>(m_pChildren->RemoveHead());
    delete m_pChildren;
  }
}

CGXStyle& CGXControl::GetCurrentStyle() {
  if (!m_pStyle) {
    m_pStyle = m_pGrid ? m_pGrid->CreateStyle() : new CGXStyle;
    if (m_pGrid && m_bInit) m_pGrid->ComposeStyleRowCol(m_nRow, m_nCol, m_pStyle, TRUE);
  }
  return *m_pStyle;
}

void CGXControl::FreeStyle() {
  delete m_pStyle;
  m_pStyle = nullptr;
}

void CGXControl::Init(ROWCOL nRow, ROWCOL nCol) {
  m_nRow = nRow;
  m_nCol = nCol;
  m_bInit = TRUE;
  SetActive(FALSE);
  SetModify(FALSE);
  FreeStyle();
  m_pActiveChild = nullptr;
  LayoutChildren(nRow, nCol, CRect());
}

void CGXControl::Deactivate() {
  // A modified or active control leaves its cell to be drawn afresh.
  if ((GetModify() || IsActive()) && m_pGrid && m_bInit) {
    const CGXRange cell = CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol);
    m_pGrid->UpdateStyleRange(cell, nullptr, 0, 0, 2, FALSE);
  }
  Hide();
  SetModify(FALSE);
  SetActive(FALSE);
  FreeStyle();
  m_bInit = FALSE;
}

BOOL CGXControl::ScrollCellIntoView() { return m_bInit && m_pGrid && m_pGrid->ScrollCellIntoView(m_nRow, m_nCol); }

BOOL CGXControl::OnStartEditing() { return m_bInit; }

void CGXControl::OnCancelEditing() { Refresh(); }

BOOL CGXControl::OnValidate() {
  if (!IsActive() || !GetModify()) return TRUE;
  CString text;
  GetCurrentText(text);
  const CGXStyle& style = GetCurrentStyle();
  const long value = std::atol(text);
  const bool tooSmall = style.HasUserAttribute(51011) && value < std::atol(style.GetUserAttribute(51011));
  const bool tooLarge = style.HasUserAttribute(51012) && value > std::atol(style.GetUserAttribute(51012));
  if (tooSmall || tooLarge) {
    m_strWarning = style.GetUserAttribute(51013);
    return FALSE;
  }
  return ValidateText(text);
}

void CGXControl::GetCurrentText(CString& text) {
  text.Empty();
  if (!m_bInit) return;
  text = GetCurrentStyle().GetValue();
}

void CGXControl::SetCurrentText(const CString& text) {
  if (m_bInit) StoreCellText(m_nRow, m_nCol, text, 2, m_pStyle);
}

BOOL CGXControl::GetValue(CString& text) {
  if (!m_bInit || !GetCurrentStyle().GetIncludeValue()) return FALSE;
  text = GetCurrentStyle().GetValue();
  return TRUE;
}

void CGXControl::SetActiveText(const CString& text) {
  if (m_bInit) GetCurrentStyle().SetValue(text);
}

BOOL CGXControl::GetDisplayText(CString& text, ROWCOL, ROWCOL, LPCTSTR pszValue, const CGXStyle* pStyle) {
  if (pszValue) {
    text = pszValue;
    return TRUE;
  }
  if (pStyle && pStyle->GetIncludeValue()) {
    text = pStyle->GetValue();
    return TRUE;
  }
  return FALSE;
}

BOOL CGXControl::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  CGXGridParam* param = m_pGrid->GetParam();
  const CGXStyle& style = pOldStyle ? *pOldStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  if (param->m_bProtectReadOnly && (m_pGrid->IsReadOnly() || style.GetReadOnly())) return FALSE;
  CString text = pszText ? pszText : "";
  if (style.GetIncludeMaxLength() && style.GetMaxLength() && text.GetLength() > style.GetMaxLength())
    text = CString(text.GetString(), style.GetMaxLength());
  CGXStyle value;
  value.SetValue(text);
  return m_pGrid->SetStyleRange(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), &value, 0, 0, nullptr, flags, CmdDo);
}

BOOL CGXControl::StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType,
                                const CGXStyle*) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  if (m_pGrid->GetParam()->m_bProtectReadOnly &&
      (m_pGrid->IsReadOnly() || (pStyle && pStyle->GetIncludeReadOnly() && pStyle->GetReadOnly())))
    return FALSE;
  const BOOL ok = m_pGrid->StoreStyleRowCol(nRow, nCol, pStyle, mode, nType);
  if (ok && m_pGrid->IsCurrentCell(nRow, nCol)) {
    if (!IsInitAt(nRow, nCol) || mode == 4) {
      Init(nRow, nCol);
    } else {
      const BOOL bModified = GetModify();
      FreeStyle();
      if (pStyle && pStyle->GetIncludeValue()) SetActiveText(pStyle->GetValue());
      Refresh();
      SetModify(mode == 2 ? FALSE : bModified);
    }
  }
  return ok;
}

BOOL CGXControl::GetChoiceListItem(CString& text, LPCTSTR pszChoiceList, int nIndex) {
  text.Empty();
  if (!pszChoiceList || nIndex < 0) return FALSE;
  const std::vector<std::string> lines = Lines(pszChoiceList);
  if ((size_t)nIndex >= lines.size()) return FALSE;
  text = CString(lines[(size_t)nIndex]);
  return TRUE;
}

int CGXControl::FindStringInChoiceList(CString& text, LPCTSTR pszValue, LPCTSTR pszChoiceList, BOOL bExact) {
  text.Empty();
  if (!pszValue || !*pszValue) return -1;
  const std::vector<std::string> lines = Lines(pszChoiceList);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (strcasecmp(lines[i].c_str(), pszValue) == 0) {
      text = CString(lines[i]);
      return (int)i;
    }
  }
  if (bExact) return -1;
  const size_t n = std::strlen(pszValue);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (strncasecmp(lines[i].c_str(), pszValue, n) == 0) {
      text = CString(lines[i]);
      return (int)i;
    }
  }
  return -1;
}

void CGXControl::Refresh() {
  if (!m_bInit) return;
  Hide();
  if (m_pGrid) m_pGrid->UpdateStyleRange(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), nullptr, 0, 0, 2, FALSE);
}

BOOL CGXControl::GetSelectedText(CString& text) {
  GetCurrentText(text);
  return FALSE;
}

BOOL CGXControl::Copy() {
  if (!m_bInit) return FALSE;
  if (!IsActive()) return FALSE;  // the grid copies an inactive cell itself
  CString text;
  GetSelectedText(text);
  CWnd* owner = m_pGrid ? m_pGrid->m_pGridWnd : nullptr;
  if (!::OpenClipboard(owner ? owner->GetSafeHwnd() : nullptr)) return FALSE;
  // Emptied first, so no stale grid format outlives this text.
  ::EmptyClipboard();
  CSharedFile file;
  file.Write(text.GetString(), (UINT)text.GetLength() + 1);
  HGLOBAL mem = file.Detach();
  const BOOL ok = mem && ::SetClipboardData(CF_TEXT, mem) != nullptr;
  if (!ok && mem) GlobalFree(mem);
  ::CloseClipboard();
  return ok;
}

BOOL CGXControl::Cut() {
  if (!m_bInit || !IsActive() || !CanCut()) return FALSE;
  // Nothing is cleared when the text could not be copied.
  if (!Copy()) return FALSE;
  return ReplaceSelectedText("");
}

BOOL CGXControl::Paste() {
  if (!m_bInit || !IsActive() || IsReadOnly()) return FALSE;
  const UINT gridFormat = GXGetLibraryData().m_nClipboardFormat;
  if (gridFormat && ::IsClipboardFormatAvailable(gridFormat)) return FALSE;
  CWnd* owner = m_pGrid ? m_pGrid->m_pGridWnd : nullptr;
  if (!::OpenClipboard(owner ? owner->GetSafeHwnd() : nullptr)) return FALSE;
  BOOL ok = FALSE;
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    const SIZE_T size = GlobalSize(h);
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      ok = ReplaceSelectedText(CString(p, (int)strnlen(p, size)));
      GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
  return ok;
}

BOOL CGXControl::CanCut() { return m_bInit && !GetCurrentStyle().GetReadOnly(); }

BOOL CGXControl::CanPaste() {
  if (!m_bInit || IsReadOnly()) return FALSE;
  return ::IsClipboardFormatAvailable(CF_TEXT) || ::IsClipboardFormatAvailable(CF_OEMTEXT);
}

BOOL CGXControl::ReplaceSelectedText(LPCTSTR pszText) {
  if (!m_bInit || !m_pGrid || !m_pGrid->IsCurrentCell(m_nRow, m_nCol)) return FALSE;
  return StoreCellText(m_nRow, m_nCol, pszText, 2, nullptr);
}

BOOL CGXControl::IsReadOnly() {
  if (!m_pGrid || !m_pGrid->GetParam() || !m_pGrid->GetParam()->m_bProtectReadOnly) return FALSE;
  return m_pGrid->IsReadOnly() || (m_bInit && GetCurrentStyle().GetReadOnly());
}

void CGXControl::AddChild(CObject* pChild) {
  if (!pChild) return;
  if (!m_pChildren) m_pChildren = new CPtrList(10);
  m_pChildren->AddTail(pChild);
}

CObject* CGXControl::GetChild(int nIndex) {
  if (nIndex < 0 || nIndex >= GetCount()) AfxThrowInvalidArgException();
  POSITION pos = m_pChildren->FindIndex(nIndex);
  return static_cast<CObject*>(m_pChildren->GetAt(pos));
}
