// Dialog data exchange (DDX_) and validation (DDV_).
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowImpl.h"

#include <cerrno>
#include <cmath>
#include <cfloat>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {
  AfxEnsureFrameworkStrings();
}

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND h = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC) : nullptr;
  m_idLastControl = nIDC;
  m_bEditLastControl = FALSE;
  return h;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND h = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return h;
}

void CDataExchange::Fail() {
  const HWND dlg = m_pDlgWnd ? m_pDlgWnd->GetSafeHwnd() : nullptr;
  const HWND h = m_bSaveAndValidate && m_idLastControl ? ::GetDlgItem(dlg, m_idLastControl) : nullptr;
  const HWND child = h ? ui::MdiChildOf(dlg) : nullptr;
  // A field whose MDI child is being closed keeps nothing: the focus goes on with the child after it.
  if (h && !ui::MdiChildClosing(child)) {
    // Through the dialog manager, so the dialog remembers where its focus is.
    if (::IsWindow(dlg)) ::SendMessage(dlg, WM_NEXTDLGCTL, (WPARAM)h, TRUE);
    if (::GetFocus() != h) ::SetFocus(h);
    // The field keeps the focus to take a value it can hold: in an MDI child the user left for
    // another, the field's child comes back to the front, or keys would go to a child not active.
    const HWND client = child ? ::GetParent(child) : nullptr;
    if (client && (HWND)::SendMessage(client, WM_MDIGETACTIVE, 0, 0) != child) {
      ::SendMessage(client, WM_MDIACTIVATE, (WPARAM)child, 0);
      if (::GetFocus() != h) ::SetFocus(h);
    }
    if (m_bEditLastControl) ::SendMessage(h, EM_SETSEL, 0, -1);
  }
  AfxThrowUserException();
}

namespace {

std::string WindowText(HWND h) {
  int n = ::GetWindowTextLength(h);
  std::string s((size_t)std::max(0, n) + 1, '\0');
  n = ::GetWindowText(h, s.data(), n + 1);
  s.resize((size_t)std::max(0, n));
  return s;
}

// Sets the text only when it differs, so an unchanged value sends no change notification.
void SetWindowTextIfChanged(HWND h, const char* text) {
  if (!h) return;
  if (WindowText(h) != (text ? text : "")) ::SetWindowText(h, text);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A whole decimal integer, blanks around it allowed; false when anything else is there or it does
// not fit in [lo, hi].
bool ParseInteger(const std::string& s, long long lo, long long hi, long long& out) {
  size_t i = 0, n = s.size();
  while (i < n && IsBlank(s[i])) ++i;
  bool neg = false;
  if (i < n && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  size_t digits = 0;
  unsigned long long v = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') {
    v = v * 10 + (unsigned long long)(s[i] - '0');
    if (v > (1ULL << 40)) return false;
    ++i;
    ++digits;
  }
  while (i < n && IsBlank(s[i])) ++i;
  if (!digits || i != n) return false;
  long long sv = neg ? -(long long)v : (long long)v;
  if (sv < lo || sv > hi) return false;
  out = sv;
  return true;
}

bool ParseReal(const std::string& s, double& out) {
  const char* p = s.c_str();
  while (IsBlank(*p)) ++p;
  if (!*p) return false;
  char* end = nullptr;
  errno = 0;
  double v = strtod(p, &end);
  if (end == p) return false;
  while (IsBlank(*end)) ++end;
  if (*end || errno == ERANGE || !std::isfinite(v)) return false;
  out = v;
  return true;
}

[[noreturn]] void FailWith(CDataExchange* pDX, UINT prompt) {
  AfxMessageBox(prompt, MB_ICONEXCLAMATION);
  pDX->Fail();
}

template <class T>
void TextInteger(CDataExchange* pDX, int nIDC, T& value, long long lo, long long hi, const char* fmt, UINT prompt) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!ParseInteger(WindowText(h), lo, hi, v)) FailWith(pDX, prompt);
    value = (T)v;
  } else {
    CString s;
    s.Format(fmt, value);
    SetWindowTextIfChanged(h, s);
  }
}

[[noreturn]] void FailRange(CDataExchange* pDX, UINT prompt, const CString& lo, const CString& hi) {
  CString text;
  AfxFormatString2(text, prompt, lo, hi);
  AfxMessageBox(text, MB_ICONEXCLAMATION, prompt);
  pDX->Fail();
}

void CheckIntRange(CDataExchange* pDX, long long value, long long lo, long long hi, bool unsignedKind) {
  if (!pDX->m_bSaveAndValidate) return;
  if (value >= lo && value <= hi) return;
  CString a, b;
  if (unsignedKind) {
    a.Format("%lu", (DWORD)lo);
    b.Format("%lu", (DWORD)hi);
  } else {
    a.Format("%ld", (LONG)lo);
    b.Format("%ld", (LONG)hi);
  }
  FailRange(pDX, AFX_IDP_PARSE_INT_RANGE, a, b);
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  TextInteger(pDX, nIDC, value, INT_MIN, INT_MAX, "%d", AFX_IDP_PARSE_INT);
}
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  TextInteger(pDX, nIDC, value, 0, UINT_MAX, "%u", AFX_IDP_PARSE_UINT);
}
void DDX_Text(CDataExchange* pDX, int nIDC, WORD& value) {
  TextInteger(pDX, nIDC, value, 0, 0xFFFF, "%hu", AFX_IDP_PARSE_UINT);
}
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!ParseInteger(WindowText(h), 0, 255, v)) FailWith(pDX, AFX_IDP_PARSE_BYTE);
    value = (BYTE)v;
  } else {
    CString s;
    s.Format("%u", (UINT)value);
    SetWindowTextIfChanged(h, s);
  }
}
void DDX_Text(CDataExchange* pDX, int nIDC, short& value) {
  TextInteger(pDX, nIDC, value, SHRT_MIN, SHRT_MAX, "%hd", AFX_IDP_PARSE_INT);
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    double v = 0;
    if (!ParseReal(WindowText(h), v)) FailWith(pDX, AFX_IDP_PARSE_REAL);
    value = v;
  } else {
    CString s;
    s.Format("%.*g", DBL_DIG, value);
    SetWindowTextIfChanged(h, s);
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    double v = 0;
    if (!ParseReal(WindowText(h), v) || v > FLT_MAX || v < -FLT_MAX) FailWith(pDX, AFX_IDP_PARSE_REAL);
    value = (float)v;
  } else {
    CString s;
    s.Format("%.*g", FLT_DIG, (double)value);
    SetWindowTextIfChanged(h, s);
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) value = WindowText(h).c_str();
  else SetWindowTextIfChanged(h, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, LPSTR value, int nMaxLen) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (!value || nMaxLen <= 0) return;
  if (pDX->m_bSaveAndValidate) {
    ::GetWindowText(h, value, nMaxLen);
  } else {
    ::SendMessage(h, EM_LIMITTEXT, (WPARAM)(nMaxLen - 1), 0);
    SetWindowTextIfChanged(h, value);
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = (int)::SendMessage(h, BM_GETCHECK, 0, 0);
  } else {
    int v = value < 0 || value > 2 ? 0 : value;
    ::SendMessage(h, BM_SETCHECK, (WPARAM)v, 0);
  }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (!h) return;
  if (pDX->m_bSaveAndValidate) value = -1;
  int index = 0;
  // The group starts at the control and runs to the next WS_GROUP control.
  for (HWND c = h; c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (c != h && (::GetWindowLongPtr(c, GWL_STYLE) & WS_GROUP)) break;
    if (!(::SendMessage(c, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
    if (pDX->m_bSaveAndValidate) {
      if (::SendMessage(c, BM_GETCHECK, 0, 0) != 0) value = index;
    } else {
      ::SendMessage(c, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ++index;
  }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) index = (int)::SendMessage(h, CB_GETCURSEL, 0, 0);
  else ::SendMessage(h, CB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) index = (int)::SendMessage(h, LB_GETCURSEL, 0, 0);
  else ::SendMessage(h, LB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = WindowText(h).c_str();
    return;
  }
  if (::SendMessage(h, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)value.GetString()) == CB_ERR)
    ::SetWindowText(h, value);
}

void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = WindowText(h).c_str();
    return;
  }
  int i = (int)::SendMessage(h, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)value.GetString());
  if (i != CB_ERR) ::SendMessage(h, CB_SETCURSEL, (WPARAM)i, 0);
  else ::SetWindowText(h, value);
}

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    int i = (int)::SendMessage(h, LB_GETCURSEL, 0, 0);
    value.Empty();
    if (i >= 0) {
      int n = (int)::SendMessage(h, LB_GETTEXTLEN, (WPARAM)i, 0);
      std::string s((size_t)std::max(0, n) + 1, '\0');
      ::SendMessage(h, LB_GETTEXT, (WPARAM)i, (LPARAM)s.data());
      value = s.c_str();
    }
  } else {
    ::SendMessage(h, LB_SELECTSTRING, (WPARAM)-1, (LPARAM)value.GetString());
  }
}

void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value) {
  if (pDX->m_bSaveAndValidate) {
    DDX_LBString(pDX, nIDC, value);
    return;
  }
  HWND h = pDX->PrepareCtrl(nIDC);
  int i = (int)::SendMessage(h, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)value.GetString());
  ::SendMessage(h, LB_SETCURSEL, (WPARAM)i, 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  HWND h = pDX->PrepareCtrl(nIDC);
  if (!h || !rControl.SubclassWindow(h)) {
    // A template without the control is a programming fault; the exchange ends as a failure.
    AfxThrowNotSupportedException();
  }
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) value = (int)::SendMessage(h, TBM_GETPOS, 0, 0);
  else ::SendMessage(h, TBM_SETPOS, TRUE, value);
}

void DDX_Scroll(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) value = (int)::SendMessage(h, SBM_GETPOS, 0, 0);
  else ::SendMessage(h, SBM_SETPOS, (WPARAM)value, TRUE);
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) { CheckIntRange(pDX, value, minVal, maxVal, false); }
void DDV_MinMaxLong(CDataExchange* pDX, LONG value, LONG minVal, LONG maxVal) { CheckIntRange(pDX, value, minVal, maxVal, false); }
void DDV_MinMaxShort(CDataExchange* pDX, short value, short minVal, short maxVal) { CheckIntRange(pDX, value, minVal, maxVal, false); }
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) { CheckIntRange(pDX, value, minVal, maxVal, true); }
void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal) { CheckIntRange(pDX, value, minVal, maxVal, true); }
void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE minVal, BYTE maxVal) { CheckIntRange(pDX, value, minVal, maxVal, true); }
void DDV_MinMaxSlider(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal) { CheckIntRange(pDX, value, minVal, maxVal, true); }

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString a, b;
  a.Format("%.*g", DBL_DIG, minVal);
  b.Format("%.*g", DBL_DIG, maxVal);
  FailRange(pDX, AFX_IDP_PARSE_REAL_RANGE, a, b);
}

void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString a, b;
  a.Format("%.*g", FLT_DIG, (double)minVal);
  b.Format("%.*g", FLT_DIG, (double)maxVal);
  FailRange(pDX, AFX_IDP_PARSE_REAL_RANGE, a, b);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (!pDX->m_bSaveAndValidate) {
    if (pDX->m_idLastControl && pDX->m_bEditLastControl && pDX->m_pDlgWnd)
      ::SendDlgItemMessage(pDX->m_pDlgWnd->GetSafeHwnd(), pDX->m_idLastControl, EM_LIMITTEXT, (WPARAM)std::max(0, nChars), 0);
    return;
  }
  if (value.GetLength() <= nChars) return;
  CString n, text;
  n.Format("%d", nChars);
  AfxFormatString1(text, AFX_IDP_PARSE_STRING_SIZE, n);
  AfxMessageBox(text, MB_ICONEXCLAMATION, AFX_IDP_PARSE_STRING_SIZE);
  pDX->Fail();
}
