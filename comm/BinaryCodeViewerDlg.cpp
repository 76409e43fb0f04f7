#include "comm/BinaryCodeViewerDlg.h"

#include "comm/MC_CoffFormat.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/values/Utilities.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"
#include "platform/core/Profile.h"
#include "platform/core/Resource.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WinApp.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Ids = CBinaryCodeViewerDlg;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kOutput = WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;

const DLGITEM_ENTRY kItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 7, 60, 8, "Source code:"},
    {"Edit", Ids::IDC_SOURCE, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 7, 17, 250, 12, ""},
    {"Button", Ids::IDC_COMPILE, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 262, 16, 20, 14, ">"},
    {"Button", 0xFFFF, kGroup, 0, 7, 35, 90, 80, "Protocol"},
    {"Button", Ids::IDC_RS232, kRadio | WS_GROUP, 0, 14, 47, 76, 10, "RS 232"},
    {"Button", Ids::IDC_RS485, kRadio, 0, 14, 60, 76, 10, "RS 485"},
    {"Button", Ids::IDC_VKSCAN, kRadio, 0, 14, 73, 76, 10, "VKSCAN"},
    {"Button", Ids::IDC_BRANNOVETRIXCAN, kRadio, 0, 14, 86, 76, 10, "BrannoVetrixCAN"},
    {"Button", Ids::IDC_VKS, kRadio, 0, 14, 99, 76, 10, "VKS"},
    {"Button", 0xFFFF, kGroup | WS_GROUP, 0, 102, 35, 90, 80, "Sender"},
    {"Button", Ids::IDC_RELAY, kRadio | WS_GROUP, 0, 109, 47, 76, 10, "Relay"},
    {"Button", Ids::IDC_HOST, kRadio, 0, 109, 60, 76, 10, "Host"},
    {"Static", 0xFFFF, kText | WS_GROUP, 0, 109, 76, 40, 8, "Axis ID:"},
    {"Edit", Ids::IDC_SENDER_AXIS, kEdit, WS_EX_CLIENTEDGE, 150, 74, 36, 12, ""},
    {"Button", 0xFFFF, kGroup | WS_GROUP, 0, 197, 35, 90, 80, "Destination"},
    {"Button", Ids::IDC_AXIS, kRadio | WS_GROUP, 0, 204, 47, 76, 10, "Axis"},
    {"Button", Ids::IDC_GROUP, kRadio, 0, 204, 60, 76, 10, "Group"},
    {"Button", Ids::IDC_BROADCAST, kRadio, 0, 204, 73, 76, 10, "Broadcast"},
    {"Static", 0xFFFF, kText | WS_GROUP, 0, 204, 89, 20, 8, "ID:"},
    {"Edit", Ids::IDC_DESTINATION_ID, kEdit, WS_EX_CLIENTEDGE, 245, 87, 36, 12, ""},
    {"Static", 0xFFFF, kText, 0, 7, 122, 80, 8, "Returned value (hex):"},
    {"Edit", Ids::IDC_RETURNED_VALUE, kEdit, WS_EX_CLIENTEDGE, 90, 120, 50, 12, ""},
    {"Static", 0xFFFF, kText, 0, 150, 122, 80, 8, "Returned axis ID:"},
    {"Edit", Ids::IDC_RETURNED_AXIS, kEdit, WS_EX_CLIENTEDGE, 235, 120, 36, 12, ""},
    {"Static", 0xFFFF, kText, 0, 7, 138, 60, 8, "Sent:"},
    {"Edit", Ids::IDC_SENT, kOutput, WS_EX_CLIENTEDGE, 7, 148, 280, 30, ""},
    {"Static", 0xFFFF, kText, 0, 7, 182, 60, 8, "Received:"},
    {"Edit", Ids::IDC_RECEIVED, kOutput, WS_EX_CLIENTEDGE, 7, 192, 280, 30, ""},
    {"Button", IDCANCEL, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0, 180, 228, 50, 14, "Close"},
    {"Button", Ids::IDC_HELP_BUTTON, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 237, 228, 50, 14, "Help"},
};
const DIALOG_RESOURCE kViewer = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 294, 248,
                                 "Binary Code Viewer", "MS Sans Serif", 8, kItems, sizeof kItems / sizeof kItems[0],
                                 nullptr};
const RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(Ids::IDD), &kViewer, sizeof kViewer}};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 1};
CResourceTableRegistration g_registration(kTable);

constexpr const char* kSection = "BinaryCodeViewer";
constexpr DWORD kDefaultValue = 0xABBA5A5B;

CAppProfile& Profile() {
  if (CWinApp* app = AfxGetApp()) return app->GetProfile();
  static CAppProfile standalone;
  return standalone;
}

CString Hex(const char* format, unsigned value) {
  CString s;
  s.Format(format, value);
  return s;
}

void PutWord(std::vector<BYTE>& v, WORD w) {
  v.push_back((BYTE)(w >> 8));
  v.push_back((BYTE)w);
}

// Words a variable of the type takes, 0 for types a query cannot read.
int WordsOf(tagVarType type) {
  switch (type) {
    case VAR_INT:
    case VAR_UINT: return 1;
    case VAR_LONG:
    case VAR_ULONG:
    case VAR_FIXED:
    case VAR_UFIXED:
    case VAR_FLOAT: return 2;
    default: return 0;
  }
}

bool AllHex(const CString& s) {
  if (s.IsEmpty() || s.GetLength() > 4) return false;
  for (int i = 0; i < s.GetLength(); ++i)
    if (!isxdigit((unsigned char)s[i])) return false;
  return true;
}

bool ParseInt(const CString& text, int base, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, base);
  return !text.IsEmpty() && end && *end == 0;
}

}  // namespace

IMPLEMENT_DYNAMIC(CBinaryCodeViewerDlg, CDialog)

BEGIN_MESSAGE_MAP(CBinaryCodeViewerDlg, CDialog)
ON_BN_CLICKED(CBinaryCodeViewerDlg::IDC_HELP_BUTTON, &CBinaryCodeViewerDlg::OnHelp)
END_MESSAGE_MAP()

CBinaryCodeViewerDlg::CBinaryCodeViewerDlg(CMC_Setup& setup, CMC_CoffFormat* coff, CWnd* pParent)
    : CDialog(IDD, pParent), m_rSetup(setup), m_pCoff(coff) {
  CAppProfile& p = Profile();
  m_strSourceCode = p.GetProfileString(kSection, "SourceCode", "");
  m_nProtocol = (int)p.GetProfileInt(kSection, "Protocol", IDC_RS232);
  m_nSenderRelay = (int)p.GetProfileInt(kSection, "SenderRelay", IDC_RELAY);
  m_nSenderAxisID = (int)p.GetProfileInt(kSection, "SenderAxisID", 1);
  m_nDestinationType = (int)p.GetProfileInt(kSection, "DestinationType", IDC_AXIS);
  m_nDestinationID = (int)p.GetProfileInt(kSection, "DestinationID", 255);
  m_dwReturnedValue = (DWORD)p.GetProfileInt(kSection, "ReturnedValue", (int)kDefaultValue);
  m_nReturnedAxisID = (int)p.GetProfileInt(kSection, "ReturnedAxisID", 23);
  if (m_nProtocol < IDC_RS232 || m_nProtocol > IDC_VKS) m_nProtocol = IDC_RS232;
  if (m_nSenderRelay != IDC_HOST) m_nSenderRelay = IDC_RELAY;
  if (m_nDestinationType < IDC_AXIS || m_nDestinationType > IDC_BROADCAST) m_nDestinationType = IDC_AXIS;
}

CBinaryCodeViewerDlg::~CBinaryCodeViewerDlg() {
  CAppProfile& p = Profile();
  p.WriteProfileString(kSection, "SourceCode", m_strSourceCode);
  p.WriteProfileInt(kSection, "Protocol", m_nProtocol);
  p.WriteProfileInt(kSection, "SenderRelay", m_nSenderRelay);
  p.WriteProfileInt(kSection, "SenderAxisID", m_nSenderAxisID);
  p.WriteProfileInt(kSection, "DestinationType", m_nDestinationType);
  p.WriteProfileInt(kSection, "DestinationID", m_nDestinationID);
  p.WriteProfileInt(kSection, "ReturnedValue", (int)m_dwReturnedValue);
  p.WriteProfileInt(kSection, "ReturnedAxisID", m_nReturnedAxisID);
}

BOOL CBinaryCodeViewerDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_bFilling = true;
  SetDlgItemText(IDC_SOURCE, m_strSourceCode);
  SetDlgItemInt(IDC_SENDER_AXIS, (UINT)m_nSenderAxisID, FALSE);
  SetDlgItemInt(IDC_DESTINATION_ID, (UINT)m_nDestinationID, FALSE);
  SetDlgItemText(IDC_RETURNED_VALUE, Hex("%X", m_dwReturnedValue));
  SetDlgItemInt(IDC_RETURNED_AXIS, (UINT)m_nReturnedAxisID, FALSE);
  CheckRadioButton(IDC_RS232, IDC_VKS, m_nProtocol);
  CheckRadioButton(IDC_RELAY, IDC_HOST, m_nSenderRelay);
  CheckRadioButton(IDC_AXIS, IDC_BROADCAST, m_nDestinationType);
  SetUpSenderButtons();
  UpdateDestinationControls();
  m_bFilling = false;
  return TRUE;
}

BOOL CBinaryCodeViewerDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == EN_CHANGE && id == IDC_SOURCE && !m_bFilling) ClearOutput();
  if (code == BN_CLICKED) {
    if (id == IDC_COMPILE) {
      CompileInstruction();
      return TRUE;
    }
    // Enter (OK), Escape and Close all end the dialog: what the user typed is kept for the next time.
    if (id == IDOK || id == IDCANCEL) ReadFields();
    if (id >= IDC_RS232 && id <= IDC_VKS) {
      m_nProtocol = id;
      SetUpSenderButtons();
      ClearOutput();
    } else if (id == IDC_RELAY || id == IDC_HOST) {
      m_nSenderRelay = id;
      ClearOutput();
    } else if (id >= IDC_AXIS && id <= IDC_BROADCAST) {
      m_nDestinationType = id;
      UpdateDestinationControls();
      ClearOutput();
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CBinaryCodeViewerDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, 4132); }

void CBinaryCodeViewerDlg::ClearOutput() {
  SetDlgItemText(IDC_SENT, "");
  SetDlgItemText(IDC_RECEIVED, "");
}

void CBinaryCodeViewerDlg::SetUpSenderButtons() {
  CWnd* relay = GetDlgItem(IDC_RELAY);
  CWnd* host = GetDlgItem(IDC_HOST);
  if (!relay || !host) return;
  if (m_nProtocol == IDC_RS232) {
    // On RS 232 the host itself talks to its own axis.
    relay->SetWindowText("Relay");
    host->SetWindowText("Host");
    CheckRadioButton(IDC_RELAY, IDC_HOST, IDC_HOST);
    relay->EnableWindow(FALSE);
    m_nSenderRelay = IDC_HOST;
    CString axis;
    GetDlgItemText(IDC_SENDER_AXIS, axis);
    SetDlgItemText(IDC_DESTINATION_ID, axis);
  } else {
    bool vks = m_nProtocol == IDC_VKS;
    relay->SetWindowText(vks ? "Relay Axis" : "Axis/Host");
    host->SetWindowText(vks ? "Host" : "None");
    relay->EnableWindow(TRUE);
  }
  host->EnableWindow(TRUE);
}

void CBinaryCodeViewerDlg::UpdateDestinationControls() {
  if (CWnd* w = GetDlgItem(IDC_DESTINATION_ID)) w->EnableWindow(m_nDestinationType != IDC_BROADCAST);
  if (CWnd* w = GetDlgItem(IDC_RETURNED_AXIS)) w->EnableWindow(m_nDestinationType != IDC_AXIS);
}

void CBinaryCodeViewerDlg::ReadFields() {
  m_bFilling = true;
  GetDlgItemText(IDC_SOURCE, m_strSourceCode);
  CString text;
  long v = 0;
  GetDlgItemText(IDC_SENDER_AXIS, text);
  if (!ParseInt(text, 10, v) || v < 1) v = 1;
  long most = Can() ? 31 : 255;
  m_nSenderAxisID = (int)std::min(v, most);
  SetDlgItemInt(IDC_SENDER_AXIS, (UINT)m_nSenderAxisID, FALSE);
  if (m_nDestinationType != IDC_BROADCAST) {
    GetDlgItemText(IDC_DESTINATION_ID, text);
    if (!ParseInt(text, 10, v) || v < 1) v = 1;
    most = m_nDestinationType == IDC_GROUP ? (Can() ? 5 : 8) : (Can() ? 31 : 255);
    m_nDestinationID = (int)std::min(v, most);
    SetDlgItemInt(IDC_DESTINATION_ID, (UINT)m_nDestinationID, FALSE);
  }
  GetDlgItemText(IDC_RETURNED_VALUE, text);
  text.Trim();
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 16);
  m_dwReturnedValue = !text.IsEmpty() && end && *end == 0 && value <= 0xFFFFFFFFul ? (DWORD)value : kDefaultValue;
  SetDlgItemText(IDC_RETURNED_VALUE, Hex("%X", m_dwReturnedValue));
  GetDlgItemText(IDC_RETURNED_AXIS, text);
  m_nReturnedAxisID = ParseInt(text, 10, v) && v >= 1 && v <= 255 ? (int)v : 23;
  SetDlgItemInt(IDC_RETURNED_AXIS, (UINT)m_nReturnedAxisID, FALSE);
  m_bFilling = false;
}

WORD CBinaryCodeViewerDlg::DestinationAddress() const {
  if (m_nDestinationType == IDC_GROUP) return (WORD)((1 << (m_nDestinationID + 3)) | 0x1000);
  if (m_nDestinationType == IDC_BROADCAST) return 0x1000;
  return (WORD)(m_nDestinationID << 4);
}

void CBinaryCodeViewerDlg::CompileInstruction() {
  ReadFields();
  char folder[MAX_PATH], temp[MAX_PATH];
  CString asmFile, outFile;
  // The scratch files must be the viewer's own: a name whose ".asm" or ".out" another file already
  // has is given back for another, so that nothing of anyone else is written over or deleted.
  for (int attempt = 0;; ++attempt) {
    if (attempt == 100) SetLastError(ERROR_FILE_EXISTS);
    if (attempt == 100 || !GetTempPath(sizeof folder, folder) || !GetTempFileName(folder, "bcv", 0, temp)) {
      ShowLastError(MB_ICONEXCLAMATION);
      return;
    }
    CString base = temp;
    int dot = base.ReverseFind('.');
    if (dot > base.ReverseFind('/') && dot > base.ReverseFind('\\')) base = base.Left(dot);
    asmFile = base + ".asm";
    outFile = base + ".out";
    if (GetFileAttributes(outFile) == INVALID_FILE_ATTRIBUTES) {
      const int fd = open(ResolvePath(asmFile).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd >= 0) {
        close(fd);
        break;
      }
    }
    DeleteFile(temp);
  }
  std::vector<BYTE> sent, reply;
  bool hasReply = false;
  CString error;
  CString rest = m_strSourceCode;
  bool ok = true;
  while (ok && !rest.IsEmpty()) {
    int cut = rest.Find(';');
    CString one = cut < 0 ? rest : rest.Left(cut);
    rest = cut < 0 ? CString() : rest.Mid(cut + 1);
    one.Trim(" \r\n");
    if (!one.IsEmpty()) ok = BuildMessages(one, asmFile, outFile, sent, reply, hasReply, error);
  }
  for (const CString& f : {CString(temp), asmFile, outFile}) DeleteFile(f);
  m_bFilling = true;
  if (!ok) {
    SetDlgItemText(IDC_SENT, error);
    SetDlgItemText(IDC_RECEIVED, "");
  } else {
    SetDlgItemText(IDC_SENT, EncodeProtocolMessage(sent, false));
    bool serial = m_nProtocol == IDC_RS232 || m_nProtocol == IDC_RS485;
    // On RS 232, or towards one axis, the drive first acknowledges with 'O'.
    CString received = serial && (m_nProtocol == IDC_RS232 || m_nDestinationType == IDC_AXIS) ? "4F " : "";
    if (hasReply) received += EncodeProtocolMessage(reply, true);
    SetDlgItemText(IDC_RECEIVED, received);
  }
  m_bFilling = false;
}

bool CBinaryCodeViewerDlg::BuildMessages(const CString& instruction, const CString& asmFile, const CString& outFile,
                                         std::vector<BYTE>& sent, std::vector<BYTE>& reply, bool& hasReply,
                                         CString& error) {
  if (instruction[0] == '?') {
    bool other = instruction.Left(2) == "??";
    CString name = instruction.Mid(other ? 2 : 1);
    name.Trim();
    WORD address = 0;
    tagVarType type = VAR_INVALID;
    if (CMC_Variable* v = m_rSetup.FindVariable(name)) {
      address = v->GetAddress();
      type = v->GetType();
    } else if (!m_pCoff || !m_pCoff->LocateVariable(name, address, type)) {
      error = "UNKNOWN SYMBOL";
      return false;
    }
    int words = WordsOf(type);
    if (!words) {
      error = "INVALID SIZE OF SYMBOL";
      return false;
    }
    BYTE size = words == 1 ? 4 : 5;
    int answering = m_nDestinationType == IDC_AXIS ? m_nDestinationID : m_nReturnedAxisID;
    sent.insert(sent.end(), {(BYTE)(other ? 0xB0 : 0xB2), size});
    PutWord(sent, SenderAddress());
    PutWord(sent, address);
    if (other) {
      reply.insert(reply.end(), {0xB4, size});
      PutWord(reply, (WORD)(answering << 4));
    } else {
      reply.insert(reply.end(), {(BYTE)(words == 1 ? 0xD4 : 0xD5), (BYTE)answering});
    }
    PutWord(reply, address);
    PutWord(reply, (WORD)m_dwReturnedValue);
    if (words == 2) PutWord(reply, (WORD)(m_dwReturnedValue >> 16));
    hasReply = true;
    return true;
  }
  FILE* f = std::fopen(ResolvePath(asmFile).c_str(), "wb");
  bool written = f && std::fprintf(f, "%s\r\n", instruction.GetString()) > 0;
  int cause = written ? 0 : errno;
  if (f && std::fclose(f) != 0 && written) {
    written = false;
    cause = errno;
  }
  if (!written) {
    // The box tells why; the compiler has nothing to say about a file it never got.
    SetLastErrorFromErrno(cause);
    ShowWriteFailure(ShownFileName(asmFile));
    return false;
  }
  WORD start = 0, length = 0;
  m_rSetup.GetDefaultDataSection(start, length);
  if (!m_rSetup.CompileFile(asmFile, 0x8000, 0x4000, 0x8000, start, length, 0x11, m_pCoff)) {
    // The compiler's first line, after its first ':' (the file name and line go).
    CString text = m_rSetup.GetCompilerErrorString();
    int nl = text.FindOneOf("\r\n");
    if (nl >= 0) text = text.Left(nl);
    int colon = text.Find(':');
    error = colon >= 0 ? text.Mid(colon + 1) : text;
    error.TrimLeft();
    return false;
  }
  FILE* in = std::fopen(ResolvePath(outFile).c_str(), "rb");
  if (!in) {
    error = GetLastErrorText();
    return false;
  }
  char line[512];
  bool ok = true;
  while (ok && std::fgets(line, sizeof line, in)) {
    CString l = line;
    int comment = l.Find(';');
    if (comment >= 0) l = l.Left(comment);
    l.Trim();
    if (l.IsEmpty()) continue;
    if (l.Left(5) != ".word") continue;
    CString token = l.Mid(5);
    token.Trim();
    WORD word = 0;
    if (AllHex(token)) {
      word = (WORD)std::strtoul(token, nullptr, 16);
    } else if (!m_pCoff || (word = m_pCoff->LocateLabel(token)) == 0) {
      error = "UNKNOWN SYMBOL";
      ok = false;
    }
    if (ok) PutWord(sent, word);
  }
  std::fclose(in);
  return ok;
}

CString CBinaryCodeViewerDlg::EncodeProtocolMessage(const std::vector<BYTE>& bytes, bool reply) const {
  if (bytes.size() < 2) return CString();
  CString out;
  auto byteText = [&](BYTE b) { out += Hex("%02hX ", b); };
  bool group = m_nDestinationType == IDC_GROUP, broadcast = m_nDestinationType == IDC_BROADCAST;
  bool host = m_nSenderRelay == IDC_HOST;
  switch (m_nProtocol) {
    case IDC_VKS:
      for (size_t i = 0; i + 1 < bytes.size(); i += 2) out += Hex("%04hX ", (unsigned)(bytes[i] << 8 | bytes[i + 1]));
      return out;
    case IDC_VKSCAN: {
      WORD op = (WORD)(bytes[0] << 8 | bytes[1]);
      DWORD axis = reply ? (DWORD)m_nSenderAxisID
                         : group ? 1u << (m_nDestinationID - 1)
                         : broadcast ? 0u
                                     : (DWORD)m_nDestinationID;
      DWORD id = (op & 0x1FFu) | (reply && host ? 1u << 9 : 0u) | (axis & 0xFFu) << 13 |
                 (group || broadcast ? 1u << 21 : 0u) | (DWORD)((op >> 9) & 0x7F) << 22;
      out += Hex("%02hX", (id >> 24) & 0xFF) + Hex("%02hX", (id >> 16) & 0xFF) + Hex("%02hX", (id >> 8) & 0xFF) +
             Hex("%02hX ", id & 0xFF);
      std::vector<BYTE> data(bytes.begin() + 2, bytes.end());
      if (data.size() % 2 == 0)
        for (size_t i = 0; i + 1 < data.size(); i += 2) std::swap(data[i], data[i + 1]);
      for (BYTE b : data) byteText(b);
      return out;
    }
    case IDC_BRANNOVETRIXCAN: {
      WORD w = (WORD)(bytes[0] << 8 | bytes[1]);
      size_t n = bytes.size();
      char cls = 0;
      if (reply || m_nDestinationType == IDC_AXIS) {
        if ((w & 0xFFFE) == 0xB404 && n > 3) cls = 'A';
        else if ((w & 0xFE00) == 0xD400 && n > 3) cls = 'B';
        else if ((w & 0xFF80) == 0x1800 && n > 9) cls = 'C';
      }
      BYTE hi, lo;
      if (group) {
        hi = 0;
        lo = (BYTE)((1 << (m_nDestinationID - 1)) & 0x1F);
      } else if (broadcast) {
        hi = 2;
        lo = 0;
      } else {
        hi = cls == 'C' ? 0 : 1;
        bool senderAxis = (cls == 'B') != reply;
        int axis = senderAxis ? m_nSenderAxisID : m_nDestinationID;
        BYTE type = cls == 'A' ? 0x60 : cls == 'B' ? 0 : cls == 'C' ? 0x40 : 0x20;
        if (reply && host) type = 0x40;
        lo = (BYTE)((axis & 0x1F) | type);
      }
      // The words after the identifier, each with its two bytes in the order they travel.
      std::vector<BYTE> data(bytes);
      bool swapped = n % 2 == 0;
      WORD opcode = w;
      if (cls == 'A') {
        BYTE nextHi = data[2], nextLo = data[3];
        BYTE opHi = (BYTE)(((opcode >> 8) & 0x03) | ((nextHi & 1) << 7) | ((nextLo >> 1) & 0x78) | (host ? 0x04 : 0));
        data.erase(data.begin() + 2, data.begin() + 4);
        data[0] = opHi;
      }
      if (swapped)
        for (size_t i = 0; i + 1 < data.size(); i += 2) std::swap(data[i], data[i + 1]);
      std::vector<BYTE> message{hi, lo};
      message.insert(message.end(), data.begin(), data.end());
      if (cls == 'B') {
        // The opcode shrinks to one byte: its high byte's bit 0 as bit 7.
        message[2] = (BYTE)((opcode >> 8 & 1) << 7);
        message.erase(message.begin() + 3);
      } else if (cls == 'C') {
        // Byte 11 counts with the identifier in front; it is set, not combined.
        if (message.size() > 11) message[11] = (BYTE)((opcode & 0x7F) << 1);
        message.erase(message.begin() + 2, message.begin() + 4);
      }
      if (message.size() > 10) return "CANNOT SEND THIS MESSAGE ON BRANNOVETRIXCAN PROTOCOL - MESSAGE TOO LONG ";
      out += Hex("%01hX", message[0]) + Hex("%02hX ", message[1]);
      for (size_t i = 2; i < message.size(); ++i) byteText(message[i]);
      return out;
    }
    default: {
      // Serial: length, address, the bytes, and their 8-bit sum.
      WORD address = reply ? SenderAddress() : DestinationAddress();
      std::vector<BYTE> frame{(BYTE)bytes.size(), (BYTE)(address >> 8), (BYTE)address};
      frame.insert(frame.end(), bytes.begin(), bytes.end());
      BYTE sum = 0;
      for (BYTE b : frame) sum = (BYTE)(sum + b);
      frame.push_back(sum);
      for (BYTE b : frame) byteText(b);
      return out;
    }
  }
}
