// Dialog data exchange and validation helpers (they need the window layer's data exchange).
#include "kernel/values/Utilities.h"

#include "kernel/document/KernelGlobals.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Dialog.h"

namespace {

// Validation boxes show whatever the kernel-wide flag says.
void Refuse(CDataExchange* pDX, UINT id) {
  if (id == 20046 || id == 20050 || id == 20031) {
    ShowPlainKernelMessage(pDX->m_pDlgWnd ? pDX->m_pDlgWnd->GetSafeHwnd() : nullptr, id);
  } else {
    ShowKernelMessageAlways(MB_ICONEXCLAMATION, id);
  }
  pDX->Fail();
}

void Check(CDataExchange* pDX, UINT id) {
  if (id) Refuse(pDX, id);
}

CString EditText(HWND edit) {
  int n = ::GetWindowTextLength(edit);
  CString text;
  ::GetWindowText(edit, text.GetBuffer(n + 1), n + 1);
  text.ReleaseBuffer();
  return text;
}

}  // namespace

void DDV_NotEmpty(CDataExchange* pDX, const CString& text) {
  if (pDX->m_bSaveAndValidate && text.IsEmpty()) Refuse(pDX, 20036);
}

void DDV_FileName(CDataExchange* pDX, const CString& text) {
  if (!pDX->m_bSaveAndValidate) return;
  if (text.IsEmpty()) Refuse(pDX, 20036);
  else if (!IsValidFilename(text)) Refuse(pDX, 20053);
}

void DDV_ComboItemNotSelected(CDataExchange* pDX, int index) {
  if (pDX->m_bSaveAndValidate && index < 0) Refuse(pDX, 20037);
}

void DDV_RadioNotSelected(CDataExchange* pDX, int index) {
  if (pDX->m_bSaveAndValidate && index < 0) Refuse(pDX, 20084);
}

void DDV_SymbolName(CDataExchange* pDX, CString& text) {
  if (pDX->m_bSaveAndValidate) Check(pDX, CheckSymbolName(text));
}

void DDV_SymbolOrNumber(CDataExchange* pDX, CString& text) {
  if (pDX->m_bSaveAndValidate) Check(pDX, CheckSymbolOrNumber(text));
}

void DDV_SymbolsList(CDataExchange* pDX, CString& text) {
  if (pDX->m_bSaveAndValidate) Check(pDX, CheckSymbolsList(text));
}

void DDX_HexaNumber(CDataExchange* pDX, int id, WORD& value, int showError) {
  HWND edit = pDX->PrepareEditCtrl(id);
  if (!pDX->m_bSaveAndValidate) {
    ::SendMessage(edit, EM_LIMITTEXT, 4, 0);
    CString text;
    text.Format("%04hX", value);
    ::SetWindowText(edit, text);
    return;
  }
  WORD v = 0;
  if (ScanString(EditText(edit), "%hx", &v) == 1) value = v;
  else if (showError) Refuse(pDX, 20031);
}

void DDX_HexaNumber(CDataExchange* pDX, int id, DWORD& value, int showError) {
  HWND edit = pDX->PrepareEditCtrl(id);
  if (!pDX->m_bSaveAndValidate) {
    ::SendMessage(edit, EM_LIMITTEXT, 8, 0);
    CString text;
    text.Format("%08lX", value);
    ::SetWindowText(edit, text);
    return;
  }
  DWORD v = 0;
  if (ScanString(EditText(edit), "%lx", &v) == 1) value = v;
  else if (showError) Refuse(pDX, 20031);
}

void EnableDialogControl(HWND control, BOOL enable) {
  if (!control) return;
  const HWND focus = ::GetFocus();
  if (!enable && focus && (focus == control || ::IsChild(control, focus))) {
    const HWND dialog = ::GetParent(control);
    const HWND next = ::GetNextDlgTabItem(dialog, control, FALSE);
    if (next && next != control) ::SendMessage(dialog, WM_NEXTDLGCTL, (WPARAM)next, TRUE);
  }
  ::EnableWindow(control, enable);
}
