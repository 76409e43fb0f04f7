#include "comm/MC_Comm.h"

#include "comm/AdvancedCommSetupDlg.h"
#include "comm/CommStringIds.h"
#include "comm/NetMessage.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/Ini.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/CmdTarget.h"

int CMC_Comm::m_bOpen = 0;
CString CMC_Comm::m_strChannel;
BYTE CMC_Comm::m_byProtocol = 0;
BYTE CMC_Comm::m_bySerialType = 0;
DWORD CMC_Comm::m_dwBaudRate = 0;
WORD CMC_Comm::m_wHostAxisID = 0;
WORD CMC_Comm::m_wActiveAxisID = 0;
UINT CMC_Comm::nShowErr = MB_RETRYCANCEL;
int CMC_Comm::m_nLastErrorAnswer = 1;
CMC_Comm::UNSOLICITED_MSG_HANDLER CMC_Comm::m_pfnUnsolicitedMsgHandler = nullptr;
CMC_Comm::DEBUG_LOG_HANDLER CMC_Comm::m_pfnDebugLogHandler = nullptr;
int CMC_Comm::m_bNetMaster = 0;
int CMC_Comm::m_bNetChannelUp = 0;
tagNetMessage* CMC_Comm::m_pNetReply = nullptr;
CString CMC_Comm::m_strNetLastError;
DWORD CMC_Comm::m_dwNetReplyTimeout = 10000;
std::atomic<CWinThread*> CMC_Comm::m_pSockThread{nullptr};

namespace {

// Error number left for the caller when Refresh finds no open channel.
constexpr DWORD kErrorChannelClosed = 0x20000077;

void PutWord(std::vector<BYTE>& v, WORD w) {
  v.push_back((BYTE)w);
  v.push_back((BYTE)(w >> 8));
}

void PutDword(std::vector<BYTE>& v, DWORD d) {
  PutWord(v, (WORD)d);
  PutWord(v, (WORD)(d >> 16));
}

DWORD GetDword(const std::vector<BYTE>& v, size_t at) {
  return (DWORD)v[at] | (DWORD)v[at + 1] << 8 | (DWORD)v[at + 2] << 16 | (DWORD)v[at + 3] << 24;
}

struct ZurcommKey {
  const char* name;
  DWORD defaultValue;
};

const ZurcommKey kZurcommKeys[] = {
    {"TIMEOUT_READ_INTERVAL", 1000}, {"TIMEOUT_MULTIPLIER", 700},  {"TIMEOUT_CONSTANT", 400},
    {"RUN_DEAD_TIME", 2000},         {"RESET_DEAD_TIME", 200},     {"WAIT_AFTER_BAUD_CHANGE", 200},
    {"CAN_SEND_TIMEOUT", 700},       {"CAN_RECEIVE_TIMEOUT", 700}, {"UDP_RECEIVE_TIMEOUT", 700},
};
constexpr int kZurcommKeyCount = sizeof kZurcommKeys / sizeof kZurcommKeys[0];

// The advanced settings dialog of the channel type; IDOK when the user accepted the values.
int RunAdvancedCommSetupDialog(BYTE type, DWORD (&values)[kZurcommKeyCount]) {
  CAdvancedCommSetupDlg dlg(type);
  UINT* fields[kZurcommKeyCount] = {&dlg.m_nReadInterval, &dlg.m_nMultiplier,    &dlg.m_nConstant,
                                    &dlg.m_nRunDeadTime,  &dlg.m_nResetDeadTime, &dlg.m_nBaudChangeWait,
                                    &dlg.m_nCANSend,      &dlg.m_nCANReceive,    &dlg.m_nUDPReceive};
  for (int i = 0; i < kZurcommKeyCount; ++i) *fields[i] = values[i];
  if (dlg.DoModal() != IDOK) return IDCANCEL;
  for (int i = 0; i < kZurcommKeyCount; ++i) values[i] = *fields[i];
  return IDOK;
}

}  // namespace

// ---- Channel ----------------------------------------------------------------------------------

int CMC_Comm::Open(const char* channel, DWORD baud, BYTE protocol, BYTE type, WORD hostAxis) {
  // The caller may pass our own saved name.
  CString name(channel);
  for (;;) {
    bool ok;
    if (m_bNetMaster) {
      std::vector<BYTE> open{NETOP_OPEN_CHANNEL};
      PutWord(open, hostAxis);
      open.push_back(0);
      open.push_back((BYTE)(protocol | type));
      open.insert(open.end(), name.GetString(), name.GetString() + name.GetLength());
      std::vector<BYTE> setBaud{NETOP_SET_BAUD_RATE};
      PutDword(setBaud, baud);
      ok = NetRequest(open, 2, true) && NetRequest(setBaud, 2, false);
    } else {
      ok = DAV_OpenComm(channel ? name.GetString() : nullptr, hostAxis, 0, (BYTE)(protocol | type)) >= 0 &&
           DAV_SetBaudRate(baud);
    }
    if (ok) {
      m_strChannel = name;
      m_byProtocol = protocol;
      m_bySerialType = type;
      m_dwBaudRate = baud;
      m_wHostAxisID = hostAxis;
      m_bOpen = 1;
      return 1;
    }
    ShowLastError(false);
    Close();
    if (m_nLastErrorAnswer != IDRETRY) return 0;
  }
}

void CMC_Comm::Close() {
  if (m_bNetMaster) {
    std::vector<BYTE> close{NETOP_CLOSE_CHANNEL};
    PutDword(close, 0xFFFFFFFFu);
    std::vector<BYTE> reply;
    NetExchange(close, reply, nullptr, nullptr);
  } else {
    DAV_CloseComm(-1);
  }
  m_bOpen = 0;
  m_wActiveAxisID = 0;
}

int CMC_Comm::Refresh() {
  if (!m_bOpen) {
    SetLastError(kErrorChannelClosed);
    return 0;
  }
  CWaitCursor wait;
  bool ok;
  if (m_bNetMaster) {
    std::vector<BYTE> data;
    ok = NetRequest({NETOP_GET_BAUD_RATE}, 6, false, &data) && GetDword(data, 0) == m_dwBaudRate;
    if (ok && m_wHostAxisID == 0) ok = NetRequest({NETOP_SET_HOST_AXIS, 0, 0}, 2, false);
    if (ok && m_wActiveAxisID) {
      ok = NetRequest({NETOP_GET_ACTIVE_AXIS}, 4, false, &data);
      if (ok) m_wActiveAxisID = (WORD)(data[0] | data[1] << 8);
    }
    if (ok) ok = NetRequest({NETOP_DRIVE_VERSION}, 3, true);
  } else {
    ok = DAV_GetBaudRate() == m_dwBaudRate;
    if (ok && m_wHostAxisID == 0) ok = DAV_SetHostDrive(0);
    if (ok && m_wActiveAxisID) {
      uint16_t axis = 0;
      ok = DAV_GetActiveDrive(&axis);
      if (ok) m_wActiveAxisID = axis;
    }
    if (ok) {
      char version[16] = {};
      ok = DAV_GetDriveVersion(version);
    }
  }
  if (ok) return 1;

  const UINT savedShowErr = nShowErr;
  const WORD savedActive = m_wActiveAxisID;
  const CString channel = m_strChannel;
  const DWORD baud = m_dwBaudRate;
  const BYTE protocol = m_byProtocol, type = m_bySerialType;
  const WORD host = m_wHostAxisID;
  for (;;) {
    nShowErr = 0;
    Close();
    bool reopened = Open(channel, baud, protocol, type, host) && (savedActive == 0 || SetActiveBoard(savedActive));
    nShowErr = savedShowErr;
    if (reopened) return 1;
    ShowLastError(false);
    if (m_nLastErrorAnswer != IDRETRY) return 0;
  }
}

int CMC_Comm::IsCommOpen() { return m_bOpen; }

int CMC_Comm::IsCommunicationInitialized() {
  if (m_bOpen) return 1;
  CString text;
  text.LoadString(IDS_COMM_NOT_ONLINE);
  AfxMessageBox(text, MB_OK | MB_ICONSTOP);
  return 0;
}

int CMC_Comm::IsNetMaster() { return m_bNetMaster; }

DWORD CMC_Comm::GetBaudRate() { return m_bOpen ? m_dwBaudRate : 0; }

BYTE CMC_Comm::GetProtocol() { return m_bOpen ? m_byProtocol : 255; }

BYTE CMC_Comm::GetSerialType() { return m_bOpen ? m_bySerialType : 255; }

CString CMC_Comm::GetLastErrorText() {
  if (!m_bNetMaster) return CString(DAV_GetLastError());
  if (!m_strNetLastError.IsEmpty()) return m_strNetLastError;
  std::vector<BYTE> reply;
  if (!NetExchange({NETOP_LAST_ERROR}, reply, nullptr, nullptr)) {
    CString text;
    text.LoadString(IDS_COMM_NET_PROTOCOL_ERROR);
    return text;
  }
  if (reply.size() < 3) return CString();
  return CString((const char*)reply.data() + 2, (int)reply.size() - 2);
}

void CMC_Comm::ShowLastError(bool retry) {
  if (nShowErr == 0) {
    m_nLastErrorAnswer = 1;
    return;
  }
  CString text = FormatKernelString(IDS_COMM_ERROR_BOX, GetLastErrorText().GetString());
  m_nLastErrorAnswer = AfxMessageBox(text, nShowErr | MB_ICONEXCLAMATION);
  if (!retry) return;
  const UINT saved = nShowErr;
  nShowErr = 0;
  if (m_nLastErrorAnswer == IDCANCEL) {
    Close();
  } else if (m_nLastErrorAnswer == IDRETRY && !Refresh()) {
    m_nLastErrorAnswer = IDCANCEL;
    Close();
  }
  nShowErr = saved;
}

int CMC_Comm::AdvancedConfig(BYTE type) {
  if (m_bNetMaster) return 0;
  const CString ini = GetKernelConfigFilePath();
  DWORD values[kZurcommKeyCount];
  for (int i = 0; i < kZurcommKeyCount; ++i)
    values[i] = GetPrivateProfileInt("ZURCOMM", kZurcommKeys[i].name, (int)kZurcommKeys[i].defaultValue, ini);
  if (RunAdvancedCommSetupDialog(type, values) != IDOK) return 0;
  for (int i = 0; i < kZurcommKeyCount; ++i) {
    CString v;
    v.Format("%lu", values[i]);
    WritePrivateProfileString("ZURCOMM", kZurcommKeys[i].name, v, ini);
  }
  if (m_bOpen) DAV_UpdateSettings();
  return 1;
}

void CMC_Comm::UpdateSettings() { DAV_UpdateSettings(); }

int CMC_Comm::SelectPeakSysDevice(unsigned char kind) {
  const PeakHardwareType* types = PeakHardwareTypes(kind);
  if (m_bNetMaster || !types) return 0;
  const CString ini = GetKernelConfigFilePath();
  auto write = [&](const char* key, int value) {
    CString v;
    v.Format("%d", value);
    WritePrivateProfileString("ZURCOMM", key, v, ini);
  };
  // A type outside the kind's list is repaired in the file before the dialog opens.
  int hwType = (int)GetPrivateProfileInt("ZURCOMM", "PEAK_SYS_PCAN_HWTYPE", kind == 6 ? 9 : 5, ini);
  bool known = false;
  for (const PeakHardwareType* t = types; t->text; ++t) known = known || t->value == hwType;
  if (!known) {
    hwType = kind == 6 ? 9 : 5;
    write("PEAK_SYS_PCAN_HWTYPE", hwType);
  }
  int io = (int)GetPrivateProfileInt("ZURCOMM", "PEAK_SYS_PCAN_IO", kind == 6 ? 768 : 888, ini);
  int irq = (int)GetPrivateProfileInt("ZURCOMM", "PEAK_SYS_PCAN_IRQ", 7, ini);
  CSelectPeakSysDevDlg dlg(kind, hwType, io, irq);
  if (dlg.DoModal() != IDOK) return 0;
  write("PEAK_SYS_PCAN_HWTYPE", dlg.m_nHwType);
  write("PEAK_SYS_PCAN_IO", dlg.m_nIO);
  write("PEAK_SYS_PCAN_IRQ", dlg.m_nIRQ);
  return 1;
}

void CMC_Comm::RegisterDebugLogHandler(int level, DEBUG_LOG_HANDLER handler) {
  if (m_bNetMaster) {
    m_pfnDebugLogHandler = handler;
    NetPost({NETOP_DEBUG_LOG, (BYTE)level, (BYTE)(handler ? 1 : 0)});
  } else {
    DAV_RegisterDebugLogHandler(level, handler);
  }
}

CMC_Comm::UNSOLICITED_MSG_HANDLER CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(UNSOLICITED_MSG_HANDLER handler) {
  UNSOLICITED_MSG_HANDLER previous = m_pfnUnsolicitedMsgHandler;
  m_pfnUnsolicitedMsgHandler = handler;
  if (m_bNetMaster) NetPost({NETOP_UNSOLICITED_MSG, (BYTE)(handler ? 1 : 0)});
  else DAV_RegisterReceiveUnsolicitedMsgHandler(handler);
  return previous;
}

// ---- Net-master requests ----------------------------------------------------------------------

bool CMC_Comm::NetRequest(const std::vector<BYTE>& request, size_t replyLength, bool atLeast,
                          std::vector<BYTE>* data, PROGRESS_CALLBACK callback, void* user) {
  std::vector<BYTE> reply;
  if (!NetExchange(request, reply, callback, user)) return false;
  bool lengthOk = atLeast ? reply.size() >= replyLength : reply.size() == replyLength;
  // A failure the peer reports is explained by its own last-error text; a reply of the wrong length by ours.
  if (reply.size() >= 2 && reply[1] == 0) return false;
  if (!lengthOk || reply.size() < 2) {
    m_strNetLastError.LoadString(IDS_COMM_NET_PROTOCOL_ERROR);
    return false;
  }
  if (data) data->assign(reply.begin() + 2, reply.end());
  return true;
}

