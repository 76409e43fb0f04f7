#include "monitor/gadgets/GadgetEditDialogs.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/MC_Value.h"
#include "kernel/values/Utilities.h"
#include "monitor/MonitorStringIds.h"
#include "monitor/gadgets/GadgetSimpleWnds.h"
#include "monitor/gadgets/GadgetSupport.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/gdi/DC.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/Controls.h"

#include <algorithm>
#include <cstdlib>

template <class Item>
void CGadgetItemEditDlg<Item>::QuietSave() {
  this->m_bShowMessages = 0;
  CDataExchange dx(this, TRUE);
  try {
    this->DoDataExchange(&dx);
  } catch (CException* e) {
    e->Delete();
  }
  this->m_bShowMessages = 1;
}

template <class Item>
void CGadgetItemEditDlg<Item>::DDX_Period(CDataExchange* pDX, WORD& period) {
  const bool keepTyped = m_bKeepTypedPeriod;
  m_bKeepTypedPeriod = false;
  if (!pDX->m_bSaveAndValidate && keepTyped) return;
  if (pDX->m_bSaveAndValidate && !this->m_bShowMessages) {
    // Quietly only a period OK would take is kept; any other waits, as typed, for OK to refuse it.
    CString text;
    this->GetDlgItemText(IDC_GADGET_PERIOD, text);
    text.Trim();
    char* end = nullptr;
    const long typed = std::strtol(text, &end, 10);
    if (!text.IsEmpty() && end && !*end && typed >= 0 && typed <= 65535)
      period = (WORD)typed;
    else
      m_bKeepTypedPeriod = true;
    return;
  }
  int value = period;
  DDX_Text(pDX, IDC_GADGET_PERIOD, value);
  if (pDX->m_bSaveAndValidate && this->m_bShowMessages) DDV_MinMaxInt(pDX, value, 0, 65535);
  period = (WORD)value;
}

template <class Item>
BOOL CGadgetItemEditDlg<Item>::ChooseColor(COLORREF& color, CBrush& brush, int swatch) {
  CColorDialog dialog(color, 0, this);
  if (dialog.DoModal() != IDOK) return FALSE;
  color = dialog.GetColor();
  brush.DeleteObject();
  brush.CreateSolidBrush(color);
  if (CWnd* w = this->GetDlgItem(swatch)) w->Invalidate();
  return TRUE;
}

template <class Item>
HBRUSH CGadgetItemEditDlg<Item>::SwatchBrush(CWnd* pWnd, UINT nCtlColor, CBrush* brushes[2]) {
  if (nCtlColor != CTLCOLOR_STATIC || !pWnd) return nullptr;
  const int id = pWnd->GetDlgCtrlID();
  if (id == IDC_GADGET_SWATCH && brushes[0]) return *brushes[0];
  if (id == IDC_GADGET_SWATCH2 && brushes[1]) return *brushes[1];
  return nullptr;
}

// Show value.
void CGadgetShowVarEditDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Check(pDX, IDC_GADGET_BORDER, m_item.m_bBorder);
  DDX_VariableBlock(pDX, 0, FALSE);
  DDX_Text(pDX, IDC_GADGET_TITLE, m_item.m_strTitle);
  DDX_Period(pDX, m_item.m_nPeriod);
}

void CGadgetShowVarEditDlg::OnVariableChanged() {
  if (!m_item.m_var.m_strName.IsEmpty()) m_item.m_strTitle = DefaultVarTitle(m_item.m_var);
}

// Gauge and scope.
template <class Item>
CGadgetColorVarEditDlg<Item>::CGadgetColorVarEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId,
                                                     const Item& item, UINT helpId)
    : CGadgetItemEditDlg<Item>(setup, coff, templateId, item, helpId) {
  m_brColor.CreateSolidBrush(this->m_item.m_crColor);
}

template <class Item>
void CGadgetColorVarEditDlg<Item>::DoDataExchange(CDataExchange* pDX) {
  DDX_Check(pDX, IDC_GADGET_BORDER, this->m_item.m_bBorder);
  this->DDX_VariableBlock(pDX, 0, TRUE);
  DDX_Text(pDX, IDC_GADGET_TITLE, this->m_item.m_strTitle);
  this->DDX_Period(pDX, this->m_item.m_nPeriod);
}

template <class Item>
void CGadgetColorVarEditDlg<Item>::OnVariableChanged() {
  if (!this->m_item.m_var.m_strName.IsEmpty()) this->m_item.m_strTitle = DefaultVarTitle(this->m_item.m_var);
}

template <class Item>
BOOL CGadgetColorVarEditDlg<Item>::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_GADGET_COLOR && HIWORD(wParam) == BN_CLICKED) {
    this->ChooseColor(this->m_item.m_crColor, m_brColor, IDC_GADGET_SWATCH);
    return TRUE;
  }
  return CGadgetEditDlg::OnCommand(wParam, lParam);
}

template <class Item>
HBRUSH CGadgetColorVarEditDlg<Item>::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  CBrush* brushes[2] = {&m_brColor, nullptr};
  if (HBRUSH brush = this->SwatchBrush(pWnd, nCtlColor, brushes)) return brush;
  return CGadgetEditDlg::OnCtlColor(pDC, pWnd, nCtlColor);
}

template class CGadgetColorVarEditDlg<CControlPanelGaugeItem>;
template class CGadgetColorVarEditDlg<CControlPanelScopeItem>;

// Slider.
void CGadgetSliderEditDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Check(pDX, IDC_GADGET_BORDER, m_item.m_bBorder);
  DDX_Check(pDX, IDC_GADGET_NEED_UPD, m_item.m_bNeedUPD);
  DDX_VariableBlock(pDX, 0, TRUE);
  DDX_Text(pDX, IDC_GADGET_TITLE, m_item.m_strTitle);
  DDX_Period(pDX, m_item.m_nPeriod);
}

void CGadgetSliderEditDlg::OnVariableChanged() {
  if (!m_item.m_var.m_strName.IsEmpty()) m_item.m_strTitle = DefaultVarTitle(m_item.m_var);
}

// Double and Y(X) scope.
template <class Item>
CGadgetTwoVarEditDlg<Item>::CGadgetTwoVarEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId,
                                                 const Item& item, UINT helpId, const char* between, const char* after)
    : CGadgetItemEditDlg<Item>(setup, coff, templateId, item, helpId), m_pszBetween(between), m_pszAfter(after) {
  m_brColor.CreateSolidBrush(this->m_item.m_crColor);
  m_brColor2.CreateSolidBrush(this->m_item.m_crColor2);
}

template <class Item>
void CGadgetTwoVarEditDlg<Item>::DoDataExchange(CDataExchange* pDX) {
  DDX_Check(pDX, IDC_GADGET_BORDER, this->m_item.m_bBorder);
  this->DDX_VariableBlock(pDX, 0, TRUE);
  this->DDX_VariableBlock(pDX, 1, TRUE);
  DDX_Text(pDX, IDC_GADGET_TITLE, this->m_item.m_strTitle);
  this->DDX_Period(pDX, this->m_item.m_nPeriod);
}

template <class Item>
void CGadgetTwoVarEditDlg<Item>::OnVariableChanged() {
  const CString first = DefaultVarTitle(this->m_item.m_var), second = DefaultVarTitle(this->m_item.m_var2);
  this->m_item.m_strTitle = first;
  if (!second.IsEmpty()) this->m_item.m_strTitle += m_pszBetween + second + m_pszAfter;
}

template <class Item>
BOOL CGadgetTwoVarEditDlg<Item>::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_GADGET_COLOR) {
    this->ChooseColor(this->m_item.m_crColor, m_brColor, IDC_GADGET_SWATCH);
    return TRUE;
  }
  if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_GADGET_COLOR2 && this->GetDlgItem(IDC_GADGET_COLOR2)) {
    this->ChooseColor(this->m_item.m_crColor2, m_brColor2, IDC_GADGET_SWATCH2);
    return TRUE;
  }
  return CGadgetEditDlg::OnCommand(wParam, lParam);
}

template <class Item>
HBRUSH CGadgetTwoVarEditDlg<Item>::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  CBrush* brushes[2] = {&m_brColor, &m_brColor2};
  if (HBRUSH brush = this->SwatchBrush(pWnd, nCtlColor, brushes)) return brush;
  return CGadgetEditDlg::OnCtlColor(pDC, pWnd, nCtlColor);
}

template class CGadgetTwoVarEditDlg<CControlPanelDoubleScopeItem>;
template class CGadgetTwoVarEditDlg<CControlPanelYXScopeItem>;

// Input and output.
namespace {

enum { IDC_PORT_AXIS = CGadgetEditDlg::IDC_AXIS, IDC_PORT = CGadgetEditDlg::IDC_VARIABLE };

CString SelectedText(CWnd* dialog, int id) {
  CString text;
  CWnd* combo = dialog->GetDlgItem(id);
  const int at = combo ? (int)combo->SendMessage(CB_GETCURSEL) : -1;
  if (at < 0) return text;
  const int length = (int)combo->SendMessage(CB_GETLBTEXTLEN, (WPARAM)at);
  std::string buffer((size_t)std::max(length, 0) + 1, '\0');
  combo->SendMessage(CB_GETLBTEXT, (WPARAM)at, (LPARAM)buffer.data());
  return CString(buffer.c_str());
}

}  // namespace

template <class Item>
void CGadgetPortEditDlg<Item>::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_GADGET_TITLE, this->m_item.m_strTitle);
  DDX_Check(pDX, IDC_GADGET_BORDER, this->m_item.m_bBorder);
  CComboBox* axis = this->Combo(IDC_PORT_AXIS);
  CComboBox* ports = this->Combo(IDC_PORT);
  if (pDX->m_bSaveAndValidate) {
    const int selected = axis ? axis->GetCurSel() : -1;
    if (selected < 0 && this->m_bShowMessages) {
      pDX->PrepareCtrl(IDC_PORT_AXIS);
      ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, IDS_SELECT_AN_ITEM);
      pDX->Fail();
    }
    const int at = ports ? ports->GetCurSel() : -1;
    const int port = at < 0 ? -1 : (int)ports->GetItemData(at);
    if (port < 0) {
      if (this->m_bShowMessages) {
        // The output's box carries no icon.
        if (this->m_item.IsInput()) ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, IDS_SELECT_AN_ITEM);
        else ShowPlainKernelMessage(this->GetSafeHwnd(), IDS_SELECT_AN_ITEM);
        pDX->Fail();
      }
    } else {
      this->m_item.m_nPort = (short)port;
    }
  } else if (ports && this->m_pSetup) {
    this->m_pSetup->FillIOCombo(*ports, this->m_item.m_nPort, this->m_item.IsInput());
  }
  this->DDX_Period(pDX, this->m_item.m_nPeriod);
}

template <class Item>
BOOL CGadgetPortEditDlg<Item>::OnInitDialog() {
  typename CGadgetEditDlg::Quiet quiet(this);
  CDialog::OnInitDialog();
  this->FillAxisCombo(IDC_PORT_AXIS, this->m_item.m_nAxis);
  this->m_item.LocateItemVariables(this->m_pSetup, this->m_pCoff);
  if (this->m_item.m_strTitle.IsEmpty()) {
    CDataExchange dx(this, FALSE);
    DoDataExchange(&dx);
    this->m_item.m_strTitle = SelectedText(this, IDC_PORT);
  }
  this->UpdateData(FALSE);
  return TRUE;
}

template <class Item>
BOOL CGadgetPortEditDlg<Item>::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) == CBN_SELCHANGE && (id == IDC_PORT || id == IDC_PORT_AXIS) && this->IsQuiet()) return TRUE;
  typename CGadgetEditDlg::Quiet quiet(this);
  if (HIWORD(wParam) == CBN_SELCHANGE && id == IDC_PORT) {
    this->SetDlgItemText(IDC_GADGET_TITLE, SelectedText(this, IDC_PORT));
    return TRUE;
  }
  if (HIWORD(wParam) == CBN_SELCHANGE && id == IDC_PORT_AXIS) {
    this->QuietSave();
    CComboBox* axis = this->Combo(IDC_PORT_AXIS);
    this->m_item.m_nAxis = (BYTE)std::max(axis ? axis->GetCurSel() : 0, 0);
    this->UpdateData(FALSE);
    return TRUE;
  }
  return CGadgetEditDlg::OnCommand(wParam, lParam);
}

template class CGadgetPortEditDlg<CControlPanelInputItem>;
template class CGadgetPortEditDlg<CControlPanelOutputItem>;

// Bit.
BEGIN_MESSAGE_MAP(CGadgetBitEditDlg, CGadgetItemEditDlg<CControlPanelBitItem>)
ON_MESSAGE(CGadgetEditDlg::WM_REFILL_VARIABLES, &CGadgetBitEditDlg::OnRefillVariableList)
END_MESSAGE_MAP()

void CGadgetBitEditDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_GADGET_TITLE, m_item.m_strTitle);
  DDX_Check(pDX, IDC_GADGET_BORDER, m_item.m_bBorder);
  int bit = m_item.m_nBit;
  if (GetDlgItem(IDC_GADGET_BIT_LIST)) DDX_CBIndex(pDX, IDC_GADGET_BIT_LIST, bit);
  // A list without a selection (a name that is no variable) keeps the bit the item has.
  if (bit < 0) bit = m_item.m_nBit;
  if (pDX->m_bSaveAndValidate) {
    CWnd* axis = GetDlgItem(IDC_AXIS);
    const int selected = axis ? (int)axis->SendMessage(CB_GETCURSEL) : -1;
    if (selected < 0 && m_bShowMessages) {
      pDX->PrepareCtrl(IDC_AXIS);
      ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, IDS_SELECT_AN_ITEM);
      pDX->Fail();
    }
    CString name;
    GetDlgItemText(IDC_VARIABLE, name);
    if (m_bShowMessages) {
      pDX->PrepareEditCtrl(IDC_VARIABLE);
      DDV_NotEmpty(pDX, name);
    }
    m_item.m_strVariable = name;
    m_item.m_nBit = (short)bit;
  }
  DDX_Period(pDX, m_item.m_nPeriod);
}

void CGadgetBitEditDlg::FillBitList() {
  CWnd* list = GetDlgItem(IDC_GADGET_BIT_LIST);
  if (!list) return;
  int previous = (int)list->SendMessage(CB_GETCURSEL);
  if (previous < 0) previous = m_item.m_nBit;
  list->SendMessage(CB_RESETCONTENT);
  const int count = 16 * CMC_Value::GetSizeInWords(m_item.m_nType);
  for (short bit = 0; bit < count; ++bit) {
    CString text;
    text.Format("%hd", bit);
    list->SendMessage(CB_ADDSTRING, 0, (LPARAM)text.GetString());
  }
  list->SendMessage(CB_SETCURSEL, (WPARAM)(count ? std::clamp(previous, 0, count - 1) : -1));
}

BOOL CGadgetBitEditDlg::OnInitDialog() {
  Quiet quiet(this);
  CDialog::OnInitDialog();
  FillAxisCombo(IDC_AXIS, m_item.m_nAxis);
  m_item.LocateItemVariables(m_pSetup, m_pCoff);
  FillVariableCombo(0);
  // Loading the controls leaves the name alone: it is the user's while typing.
  SetDlgItemText(IDC_VARIABLE, m_item.m_strVariable);
  FillBitList();
  if (CWnd* list = GetDlgItem(IDC_GADGET_BIT_LIST)) list->SendMessage(CB_SETCURSEL, (WPARAM)m_item.m_nBit);
  UpdateData(FALSE);
  return TRUE;
}

void CGadgetBitEditDlg::NameChanged(const CString& name) {
  m_item.m_strVariable = name;
  const BOOL located = m_item.LocateItemVariables(m_pSetup, m_pCoff);
  FillBitList();
  // A bit beyond the variable's words follows the list, which holds the bit clamped to them.
  CWnd* list = GetDlgItem(IDC_GADGET_BIT_LIST);
  const int selected = list ? (int)list->SendMessage(CB_GETCURSEL) : -1;
  if (!located && selected >= 0) {
    m_item.m_nBit = (short)selected;
    m_item.LocateItemVariables(m_pSetup, m_pCoff);
  }
  OnVariableChanged();
  UpdateData(FALSE);
}

BOOL CGadgetBitEditDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  const bool combo = (id == IDC_VARIABLE || id == IDC_GADGET_BIT_LIST || id == IDC_AXIS) &&
                     (code == CBN_EDITCHANGE || code == CBN_SELCHANGE);
  if (combo && IsQuiet()) return TRUE;
  Quiet quiet(this);
  if (id == IDC_VARIABLE && code == CBN_EDITCHANGE) {
    QuietSave();
    CString name;
    GetDlgItemText(IDC_VARIABLE, name);
    NameChanged(name);
    return TRUE;
  }
  if (id == IDC_VARIABLE && code == CBN_SELCHANGE && Combo(IDC_VARIABLE)->GetCurSel() == 0) {
    ms_bListAllVariables = !ms_bListAllVariables;
    PostMessage(WM_REFILL_VARIABLES);
    return TRUE;
  }
  if (id == IDC_VARIABLE && code == CBN_SELCHANGE) {
    QuietSave();
    NameChanged(SelectedText(this, IDC_VARIABLE));
    return TRUE;
  }
  if ((id == IDC_GADGET_BIT_LIST || id == IDC_AXIS) && code == CBN_SELCHANGE) {
    QuietSave();
    if (id == IDC_AXIS) m_item.m_nAxis = (BYTE)std::max(Combo(IDC_AXIS)->GetCurSel(), 0);
    OnVariableChanged();
    UpdateData(FALSE);
    return TRUE;
  }
  if (code == BN_CLICKED && (id == IDC_GADGET_COLOR || id == IDC_GADGET_COLOR2)) {
    COLORREF& color = id == IDC_GADGET_COLOR ? m_item.m_crColor0 : m_item.m_crColor1;
    CColorDialog dialog(color, 0, this);
    if (dialog.DoModal() == IDOK) {
      color = dialog.GetColor();
      if (CWnd* sample = GetDlgItem(id == IDC_GADGET_COLOR ? IDC_GADGET_SWATCH : IDC_GADGET_SWATCH2)) sample->Invalidate();
    }
    return TRUE;
  }
  return CGadgetEditDlg::OnCommand(wParam, lParam);
}

LRESULT CGadgetBitEditDlg::OnRefillVariableList(WPARAM, LPARAM) {
  Quiet quiet(this);
  FillVariableCombo(0);
  SetDlgItemText(IDC_VARIABLE, m_item.m_strVariable);
  if (CComboBox* combo = Combo(IDC_VARIABLE)) combo->ShowDropDown(TRUE);
  return 0;
}

HBRUSH CGadgetBitEditDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CGadgetEditDlg::OnCtlColor(pDC, pWnd, nCtlColor);
  const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
  if (pDC && (id == IDC_GADGET_SWATCH || id == IDC_GADGET_SWATCH2))
    pDC->SetTextColor(id == IDC_GADGET_SWATCH ? m_item.m_crColor0 : m_item.m_crColor1);
  return brush;
}

void CGadgetBitEditDlg::OnVariableChanged() {
  if (!m_item.m_nAddress || m_item.m_strVariable.IsEmpty() || m_item.m_nBit < 0) return;
  if (m_item.m_nAxis)
    m_item.m_strTitle.Format("{%hd}%s[bit %hd]", (short)m_item.m_nAxis, m_item.m_strVariable.GetString(), m_item.m_nBit);
  else
    m_item.m_strTitle.Format("%s[bit %hd]", m_item.m_strVariable.GetString(), m_item.m_nBit);
}

// Code button.
void CGadgetCodeEditDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_GADGET_CODE_TEXT, m_item.m_strCode);
  DDV_NotEmpty(pDX, m_item.m_strCode);
  if (pDX->m_bSaveAndValidate && m_pSetup && !m_pSetup->VerifySyntax(m_item.m_strCode, m_pCoff)) {
    const char* error = m_pSetup->GetInterpreterErrorString();
    AfxMessageBox(error ? error : "", MB_OK);
    pDX->Fail();
  }
}

void CGadgetCodeEditDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
  CGadgetEditDlg::OnGetMinMaxInfo(info);
  if (info) info->ptMinTrackSize = CPoint(200, 200);
}

void CGadgetCodeEditDlg::OnSize(UINT type, int cx, int cy) {
  CGadgetEditDlg::OnSize(type, cx, cy);
  CWnd* ok = GetDlgItem(IDOK);
  if (!ok) return;
  const CRect button = ChildRect(this, IDOK);
  const int b = button.Width(), h = button.Height(), top = cy - 5 - h;
  // Narrower than the row of buttons with margins, they stand side by side rather than over each other.
  const int gap = std::max((cx - 3 * b - 10) / 4, 0);
  int x = gap + 5;
  for (int id : {IDOK, IDCANCEL, (int)IDC_HELP_BUTTON}) {
    MoveChild(this, id, x, top, b, h);
    x += b + gap;
  }
  const CRect edit = ChildRect(this, IDC_GADGET_CODE_TEXT);
  MoveChild(this, IDC_GADGET_CODE_TEXT, 5, edit.top, cx - 10, top - 5 - edit.top);
}

// Label.
void CGadgetTextEditDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_GADGET_TITLE, m_item.m_strText);
  DDX_Check(pDX, IDC_GADGET_BORDER, m_item.m_bBorder);
  DDX_Check(pDX, IDC_GADGET_FILLED, m_item.m_bFilled);
  if (CWnd* background = GetDlgItem(IDC_GADGET_COLOR)) background->EnableWindow(m_item.m_bFilled);
}

BOOL CGadgetTextEditDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) != BN_CLICKED) return CGadgetEditDlg::OnCommand(wParam, lParam);
  if (id == IDC_GADGET_FILLED) {
    UpdateData(TRUE);
    return TRUE;
  }
  if (id == IDC_GADGET_FONT) {
    const int dpi = ScreenPixelsPerInch();
    LOGFONT lf;
    m_item.GetLogFont(lf, dpi);
    CFontDialog dialog(&lf, 0x800501, nullptr, this);
    dialog.m_cf.rgbColors = m_item.m_crText;
    if (dialog.DoModal() == IDOK) {
      dialog.GetCurrentFont(&lf);
      m_item.SetLogFont(lf, dpi);
      m_item.m_crText = dialog.m_cf.rgbColors;
    }
    return TRUE;
  }
  if (id == IDC_GADGET_COLOR) {
    ChooseColor(m_item.m_crBackground, m_brBackground, IDC_GADGET_SWATCH);
    return TRUE;
  }
  return CGadgetEditDlg::OnCommand(wParam, lParam);
}

HBRUSH CGadgetTextEditDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  CBrush* brushes[2] = {&m_brBackground, nullptr};
  if (HBRUSH brush = SwatchBrush(pWnd, nCtlColor, brushes)) return brush;
  return CGadgetEditDlg::OnCtlColor(pDC, pWnd, nCtlColor);
}
