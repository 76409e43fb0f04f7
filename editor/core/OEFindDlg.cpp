#include "editor/core/OEFindDlg.h"

#include "editor/core/SECEditCore.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WinApp.h"

namespace {

constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kCombo = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;

const DLGITEM_ENTRY kFindItems[] = {
    {"Static", 0xFFFF, kText, 0, 4, 8, 42, 8, "Fi&nd What:"},
    {"ComboBox", IDC_OEFIND_FIND, kCombo | WS_GROUP, 0, 48, 6, 128, 80, ""},
    {"Edit", IDC_OEFIND_FINDEDIT, ES_AUTOHSCROLL, 0, 48, 6, 10, 12, ""},
    {"Button", IDC_OEFIND_WHOLEWORD, kCheck | WS_GROUP, 0, 4, 26, 100, 12, "Match &Whole Word Only"},
    {"Button", IDC_OEFIND_MATCHCASE, kCheck, 0, 4, 40, 64, 12, "Match &Case"},
    {"Button", IDC_OEFIND_REGEXP, kCheck, 0, 4, 54, 90, 12, "Regular &expression"},
    {"Button", IDC_OEFIND_WRAP, kCheck, 0, 4, 68, 90, 12, "Wrap around search"},
    {"Button", IDC_OEFIND_CHECK1, kCheck | WS_DISABLED, 0, 4, 82, 40, 12, "Check1"},
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 106, 24, 70, 28, "Direction"},
    {"Button", IDC_OEFIND_UP, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 110, 36, 28, 12, "&Up"},
    {"Button", IDC_OEFIND_DOWN, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 140, 36, 32, 12, "&Down"},
    {"Button", IDOK, kButton | WS_GROUP | BS_DEFPUSHBUTTON, 0, 182, 5, 50, 14, "&Find Next"},
    {"Button", IDC_OEFIND_MARKALL, kButton, 0, 182, 22, 50, 14, "&Mark All"},
    {"Button", IDCANCEL, kButton, 0, 182, 39, 50, 14, "Cancel"},
    {"Button", IDC_OEFIND_HELP, kButton, 0, 182, 56, 50, 14, "&Help"},
};

const DLGITEM_ENTRY kReplaceItems[] = {
    {"Static", 0xFFFF, kText, 0, 4, 8, 46, 8, "Fi&nd What:"},
    {"ComboBox", IDC_OEFIND_FIND, kCombo | WS_GROUP, 0, 52, 6, 124, 80, ""},
    {"Edit", IDC_OEFIND_FINDEDIT, ES_AUTOHSCROLL, 0, 52, 6, 10, 12, ""},
    {"Static", 0xFFFF, kText, 0, 4, 26, 46, 8, "Re&place With:"},
    {"ComboBox", IDC_OEFIND_REPLACE, kCombo | WS_GROUP, 0, 52, 24, 124, 80, ""},
    {"Edit", IDC_OEFIND_REPLACEEDIT, ES_AUTOHSCROLL, 0, 52, 24, 10, 12, ""},
    {"Button", IDC_OEFIND_WHOLEWORD, kCheck | WS_GROUP, 0, 4, 44, 100, 12, "Match &Whole Word Only"},
    {"Button", IDC_OEFIND_MATCHCASE, kCheck, 0, 4, 58, 64, 12, "Match &Case"},
    {"Button", IDC_OEFIND_REGEXP, kCheck, 0, 4, 72, 90, 12, "Regular &expression"},
    {"Button", IDC_OEFIND_WRAP, kCheck, 0, 4, 86, 90, 12, "Wrap around search"},
    {"Button", IDC_OEFIND_CHECK1, kCheck | WS_DISABLED, 0, 4, 100, 40, 12, "Check1"},
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 106, 42, 70, 28, "Direction"},
    {"Button", IDC_OEFIND_UP, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 110, 54, 28, 12, "&Up"},
    {"Button", IDC_OEFIND_DOWN, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 140, 54, 32, 12, "&Down"},
    {"Button", IDOK, kButton | WS_GROUP | BS_DEFPUSHBUTTON, 0, 182, 5, 56, 14, "&Find Next"},
    {"Button", IDC_OEFIND_REPLACEBTN, kButton, 0, 182, 22, 56, 14, "&Replace"},
    {"Button", IDC_OEFIND_REPLACEALL, kButton, 0, 182, 39, 56, 14, "Replace &All"},
    {"Button", IDC_OEFIND_MARKALL, kButton, 0, 182, 56, 56, 14, "&Mark All"},
    {"Button", IDCANCEL, kButton, 0, 182, 73, 56, 14, "Cancel"},
    {"Button", IDC_OEFIND_HELP, kButton, 0, 182, 90, 56, 14, "&Help"},
};

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const DIALOG_RESOURCE kFindTemplate = {kStyle, 0, 0, 0, 240, 98, "Find", "MS Sans Serif", 8,
                                       kFindItems, sizeof kFindItems / sizeof kFindItems[0], nullptr};
const DIALOG_RESOURCE kReplaceTemplate = {kStyle, 0, 0, 0, 244, 116, "Replace", "MS Sans Serif", 8,
                                          kReplaceItems, sizeof kReplaceItems / sizeof kReplaceItems[0], nullptr};

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(IDD_OE_FIND), &kFindTemplate, sizeof kFindTemplate},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_OE_REPLACE), &kReplaceTemplate, sizeof kReplaceTemplate},
};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 2};
CResourceTableRegistration g_registration(kTable);

// Fills a combo box from a history; the first missing entry ends it. Returns entry 1.
CString FillFromHistory(CWnd* pCombo, CString (*read)(int, BOOL*)) {
  CString first;
  for (int n = 1; n <= 10; ++n) {
    BOOL present = FALSE;
    CString value = read(n, &present);
    if (!present) break;
    if (n == 1) first = value;
    if (pCombo != nullptr) pCombo->SendMessage(CB_INSERTSTRING, (WPARAM)(n - 1), (LPARAM)value.GetString());
  }
  return first;
}

}  // namespace

OEFindDlg::OEFindDlg()
    : m_bReplace(FALSE), m_bRegExp(FALSE), m_bMatchCase(FALSE), m_bMarkAll(FALSE), m_nDirection(-1),
      m_bWrap(FALSE), m_nCaretTop(-1), m_nLineHeight(0) {}

void OEFindDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Check(pDX, IDC_OEFIND_REGEXP, m_bRegExp);
  DDX_Check(pDX, IDC_OEFIND_MATCHCASE, m_bMatchCase);
  DDX_Check(pDX, IDC_OEFIND_WRAP, m_bWrap);
  DDX_Radio(pDX, IDC_OEFIND_UP, m_nDirection);
  if (pDX->m_bSaveAndValidate) {
    GetDlgItemText(IDC_OEFIND_FIND, m_strFind);
    if (m_bReplace) GetDlgItemText(IDC_OEFIND_REPLACE, m_strReplace);
  }
}

BOOL OEFindDlg::OnInitDialog() {
  CFindReplaceDialog::OnInitDialog();
  Place();
  if (CWnd* w = GetDlgItem(IDOK)) w->EnableWindow(TRUE);
  CWnd* find = GetDlgItem(IDC_OEFIND_FIND);
  CString first = FillFromHistory(find, &SECEditCoreBase::GetFindHistory);
  if (m_strFind.IsEmpty()) {
    m_strFind = first;
    if (find != nullptr && find->SendMessage(CB_GETCOUNT) > 0) find->SendMessage(CB_SETCURSEL, 0);
  }
  SetDlgItemText(IDC_OEFIND_FIND, m_strFind);
  if (m_bReplace) {
    EnableReplaceButtons(TRUE);
    CWnd* repl = GetDlgItem(IDC_OEFIND_REPLACE);
    CString r = FillFromHistory(repl, &SECEditCoreBase::GetReplaceHistory);
    if (m_strReplace.IsEmpty()) {
      m_strReplace = r;
      if (repl != nullptr && repl->SendMessage(CB_GETCOUNT) > 0) repl->SendMessage(CB_SETCURSEL, 0);
    }
    SetDlgItemText(IDC_OEFIND_REPLACE, m_strReplace);
  }
  UpdateData(FALSE);
  return TRUE;
}

// At the frame's top, or with its bottom two lines above the frame's bottom when it would cover the caret row.
void OEFindDlg::Place() {
  CWnd* frame = AfxGetMainWnd();
  if (frame == nullptr || frame->GetSafeHwnd() == nullptr) return;
  CRect rcFrame, rc;
  frame->GetWindowRect(&rcFrame);
  GetWindowRect(&rc);
  int top = rcFrame.top;
  if (m_nCaretTop >= 0 && top + rc.Height() >= m_nCaretTop) {
    top = rcFrame.bottom - 2 * m_nLineHeight - rc.Height();
    const int maxBottom = GetSystemMetrics(SM_CYMAXIMIZED);
    if (maxBottom > 0 && top + rc.Height() > maxBottom) top = maxBottom - rc.Height();
  }
  SetWindowPos(nullptr, rc.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL OEFindDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_OEFIND_MARKALL:
      m_bMarkAll = TRUE;
      SendMessage(WM_COMMAND, IDOK, 0);
      return TRUE;
    case IDC_OEFIND_HELP: return TRUE;
    default: return CFindReplaceDialog::OnCommand(wParam, lParam);
  }
}

void OEFindDlg::EnableReplaceButtons(BOOL bEnable) {
  for (int id : {IDC_OEFIND_REPLACEBTN, IDC_OEFIND_REPLACEALL})
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(bEnable);
}

void OEFindDlg::CloseQuietly() {
  m_fr.hwndOwner = nullptr;
  ShowWindow(SW_HIDE);
  PostMessage(WM_CLOSE);
}
