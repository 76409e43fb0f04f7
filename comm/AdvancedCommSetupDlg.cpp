#include "comm/AdvancedCommSetupDlg.h"

#include "kernel/values/ConfigFile.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/ui/Controls.h"

#include <cstdio>

namespace {

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;
using Ids = CAdvancedCommSetupDlg;

// The first two rows hold fields that share a place: which one shows depends on the channel type.
const DLGITEM_ENTRY kAdvancedItems[] = {
    {"Static", Ids::IDC_FIRST_LABEL, kText, 0, 7, 9, 110, 8, "Read interval timeout"},
    {"Edit", Ids::IDC_READ_INTERVAL, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 120, 7, 40, 12, ""},
    {"Edit", Ids::IDC_CAN_SEND, kEdit, WS_EX_CLIENTEDGE, 120, 7, 40, 12, ""},
    {"Edit", Ids::IDC_UDP_RECEIVE, kEdit, WS_EX_CLIENTEDGE, 120, 7, 40, 12, ""},
    {"Static", Ids::IDC_FIRST_MS, kText, 0, 164, 9, 14, 8, "ms"},
    {"Static", Ids::IDC_SECOND_LABEL, kText, 0, 7, 25, 110, 8, "Timeout multiplier"},
    {"Edit", Ids::IDC_MULTIPLIER, kEdit, WS_EX_CLIENTEDGE, 120, 23, 40, 12, ""},
    {"Edit", Ids::IDC_CAN_RECEIVE, kEdit, WS_EX_CLIENTEDGE, 120, 23, 40, 12, ""},
    {"Static", Ids::IDC_SECOND_MS, kText, 0, 164, 25, 14, 8, "ms"},
    {"Static", Ids::IDC_CONSTANT_LABEL, kText, 0, 7, 41, 110, 8, "Timeout constant"},
    {"Edit", Ids::IDC_CONSTANT, kEdit, WS_EX_CLIENTEDGE, 120, 39, 40, 12, ""},
    {"Static", Ids::IDC_CONSTANT_MS, kText, 0, 164, 41, 14, 8, "ms"},
    {"Static", 0xFFFF, kText, 0, 7, 57, 110, 8, "Wait after RUN"},
    {"Edit", Ids::IDC_RUN_DEAD_TIME, kEdit, WS_EX_CLIENTEDGE, 120, 55, 40, 12, ""},
    {"Static", 0xFFFF, kText, 0, 164, 57, 14, 8, "ms"},
    {"Static", 0xFFFF, kText, 0, 7, 73, 110, 8, "Wait after RESET"},
    {"Edit", Ids::IDC_RESET_DEAD_TIME, kEdit, WS_EX_CLIENTEDGE, 120, 71, 40, 12, ""},
    {"Static", 0xFFFF, kText, 0, 164, 73, 14, 8, "ms"},
    {"Static", 0xFFFF, kText, 0, 7, 89, 110, 8, "Wait after baud rate change"},
    {"Edit", Ids::IDC_BAUD_WAIT, kEdit, WS_EX_CLIENTEDGE, 120, 87, 40, 12, ""},
    {"Static", 0xFFFF, kText, 0, 164, 89, 14, 8, "ms"},
    {"Button", Ids::IDC_SET_DEFAULTS, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 7, 107, 80, 14, "Set Default Values"},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 190, 7, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 190, 24, 50, 14, "Cancel"},
    {"Button", Ids::IDC_HELP_BUTTON, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 190, 41, 50, 14, "Help"},
};

const DLGITEM_ENTRY kPeakItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 9, 60, 8, "Hardware type"},
    {"ComboBox", CSelectPeakSysDevDlg::IDC_HW_TYPE, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 70, 7,
     120, 80, nullptr},
    {"Static", 0xFFFF, kText, 0, 7, 27, 60, 8, "IO port"},
    {"Edit", CSelectPeakSysDevDlg::IDC_IO_PORT, kEdit, WS_EX_CLIENTEDGE, 70, 25, 40, 12, ""},
    {"Static", 0xFFFF, kText, 0, 7, 45, 60, 8, "Interrupt"},
    {"Edit", CSelectPeakSysDevDlg::IDC_IRQ, kEdit, WS_EX_CLIENTEDGE, 70, 43, 40, 12, ""},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 200, 7, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 200, 24, 50, 14, "Cancel"},
};

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const DIALOG_RESOURCE kAdvanced = {kDialogStyle, 0, 0, 0, 247, 128, "Advanced Communication Setup", "MS Sans Serif", 8,
                                   kAdvancedItems, sizeof kAdvancedItems / sizeof kAdvancedItems[0], nullptr};
const DIALOG_RESOURCE kPeak = {kDialogStyle, 0, 0, 0, 257, 64, "Select PEAK PCAN device", "MS Sans Serif", 8,
                               kPeakItems, sizeof kPeakItems / sizeof kPeakItems[0], nullptr};

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(CAdvancedCommSetupDlg::IDD), &kAdvanced, sizeof kAdvanced},
    {RT_DIALOG, MAKEINTRESOURCE(CSelectPeakSysDevDlg::IDD), &kPeak, sizeof kPeak},
};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

const PeakHardwareType kIsa[] = {{1, "ISA"}, {9, "ISA with SJA chipset"}, {0, nullptr}};
const PeakHardwareType kDongle[] = {{2, "Dongle"},
                                    {3, "Dongle (EPP)"},
                                    {5, "Dongle with SJA chipset"},
                                    {6, "Dongle with SJA chipset (EPP)"},
                                    {7, "Dongle Pro with SJA chipset"},
                                    {8, "Dongle Pro with SJA chipset (EPP)"},
                                    {0, nullptr}};

}  // namespace

const PeakHardwareType* PeakHardwareTypes(BYTE kind) { return kind == 6 ? kIsa : kind == 8 ? kDongle : nullptr; }

// ---- CAdvancedCommSetupDlg ----------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CAdvancedCommSetupDlg, CDialog)

BEGIN_MESSAGE_MAP(CAdvancedCommSetupDlg, CDialog)
ON_BN_CLICKED(CAdvancedCommSetupDlg::IDC_SET_DEFAULTS, &CAdvancedCommSetupDlg::OnSetDefaultValues)
ON_BN_CLICKED(CAdvancedCommSetupDlg::IDC_HELP_BUTTON, &CAdvancedCommSetupDlg::OnHelp)
END_MESSAGE_MAP()

CAdvancedCommSetupDlg::CAdvancedCommSetupDlg(BYTE type, CWnd* pParent) : CDialog(IDD, pParent), m_byType(type) {}

bool CAdvancedCommSetupDlg::Serial() const { return m_byType == 0 || m_byType == 1 || m_byType == 15; }
bool CAdvancedCommSetupDlg::Can() const { return m_byType >= 2 && m_byType <= 10; }

BOOL CAdvancedCommSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  bool serial = Serial(), can = Can();
  SetDlgItemText(IDC_FIRST_LABEL, can ? "Send message timeout" : "Read interval timeout");
  SetDlgItemText(IDC_SECOND_LABEL, can ? "Receive message timeout" : "Timeout multiplier");
  bool firstRow = serial || Udp() || CanSend(), secondRow = serial || can;
  const struct {
    int id;
    bool shown;
  } shows[] = {{IDC_FIRST_LABEL, firstRow},   {IDC_FIRST_MS, firstRow},       {IDC_SECOND_LABEL, secondRow},
               {IDC_SECOND_MS, secondRow},    {IDC_READ_INTERVAL, serial},    {IDC_MULTIPLIER, serial},
               {IDC_CONSTANT, serial},        {IDC_CONSTANT_LABEL, serial},   {IDC_CONSTANT_MS, serial},
               {IDC_CAN_SEND, CanSend()},     {IDC_CAN_RECEIVE, can},         {IDC_UDP_RECEIVE, Udp()}};
  for (const auto& s : shows)
    if (CWnd* w = GetDlgItem(s.id)) w->ShowWindow(s.shown ? SW_SHOW : SW_HIDE);
  return TRUE;
}

void CAdvancedCommSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  // Each field's range applies only where the channel type shows it.
  const struct {
    int id;
    UINT* value;
    bool shown;
    UINT lo, hi;
  } fields[] = {{IDC_READ_INTERVAL, &m_nReadInterval, Serial(), 1, 2000},
                {IDC_MULTIPLIER, &m_nMultiplier, Serial(), 1, 1000},
                {IDC_CONSTANT, &m_nConstant, Serial(), 0, 500},
                {IDC_CAN_SEND, &m_nCANSend, CanSend(), 0, 2000},
                {IDC_CAN_RECEIVE, &m_nCANReceive, Can(), 1, 2000},
                {IDC_UDP_RECEIVE, &m_nUDPReceive, Udp(), 0, 2000},
                {IDC_RUN_DEAD_TIME, &m_nRunDeadTime, true, 0, 4000},
                {IDC_RESET_DEAD_TIME, &m_nResetDeadTime, true, 0, 4000},
                {IDC_BAUD_WAIT, &m_nBaudChangeWait, true, 0, 4000}};
  for (const auto& f : fields) {
    DDX_Text(pDX, f.id, *f.value);
    if (f.shown) DDV_MinMaxUInt(pDX, *f.value, f.lo, f.hi);
  }
}

void CAdvancedCommSetupDlg::OnSetDefaultValues() {
  // The CAN and UDP fields keep what they hold.
  const struct {
    int id;
    UINT* value;
    UINT standard;
  } defaults[] = {{IDC_CONSTANT, &m_nConstant, 400},         {IDC_MULTIPLIER, &m_nMultiplier, 700},
                  {IDC_READ_INTERVAL, &m_nReadInterval, 1000}, {IDC_RUN_DEAD_TIME, &m_nRunDeadTime, 2000},
                  {IDC_RESET_DEAD_TIME, &m_nResetDeadTime, 200}, {IDC_BAUD_WAIT, &m_nBaudChangeWait, 200}};
  for (const auto& d : defaults) {
    *d.value = d.standard;
    SetDlgItemInt(d.id, d.standard, FALSE);
  }
}

void CAdvancedCommSetupDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, 4100); }

// ---- CSelectPeakSysDevDlg -------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSelectPeakSysDevDlg, CDialog)

BEGIN_MESSAGE_MAP(CSelectPeakSysDevDlg, CDialog)
END_MESSAGE_MAP()

CSelectPeakSysDevDlg::CSelectPeakSysDevDlg(BYTE kind, int hwType, int io, int irq, CWnd* pParent)
    : CDialog(IDD, pParent), m_nHwType(hwType), m_nIO(io), m_nIRQ(irq), m_byKind(kind) {}

BOOL CSelectPeakSysDevDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (const PeakHardwareType* t = PeakHardwareTypes(m_byKind); t && t->text; ++t) {
    WPARAM i = (WPARAM)SendDlgItemMessage(IDC_HW_TYPE, CB_ADDSTRING, 0, (LPARAM)t->text);
    SendDlgItemMessage(IDC_HW_TYPE, CB_SETITEMDATA, i, (LPARAM)t->value);
    if (t->value == m_nHwType) SendDlgItemMessage(IDC_HW_TYPE, CB_SETCURSEL, i);
  }
  CString text;
  text.Format("0x%X", m_nIO);
  SetDlgItemText(IDC_IO_PORT, text);
  text.Format("%d", m_nIRQ);
  SetDlgItemText(IDC_IRQ, text);
  SendDlgItemMessage(IDC_IO_PORT, EM_LIMITTEXT, 6);
  SendDlgItemMessage(IDC_IRQ, EM_LIMITTEXT, 2);
  return TRUE;
}

void CSelectPeakSysDevDlg::OnOK() {
  LRESULT sel = SendDlgItemMessage(IDC_HW_TYPE, CB_GETCURSEL);
  if (sel == CB_ERR) return;  // a hardware type must be chosen
  m_nHwType = (int)SendDlgItemMessage(IDC_HW_TYPE, CB_GETITEMDATA, (WPARAM)sel);
  // "%i" takes decimal, 0x hexadecimal and 0 octal alike; a field that does not parse keeps its value.
  CString text;
  GetDlgItemText(IDC_IO_PORT, text);
  std::sscanf(text, "%i", &m_nIO);
  GetDlgItemText(IDC_IRQ, text);
  std::sscanf(text, "%i", &m_nIRQ);
  EndDialog(IDOK);
}
