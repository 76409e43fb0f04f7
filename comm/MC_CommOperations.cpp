// Drive selection, memory, messages and the message-based services of CMC_Comm.
#include "comm/MC_Comm.h"
#include "comm/NetMessage.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinThread.h"
#include "platform/ui/Wnd.h"

#include <cstring>
#include <vector>

namespace {

void PutWord(std::vector<BYTE>& v, WORD w) {
  v.push_back((BYTE)w);
  v.push_back((BYTE)(w >> 8));
}

WORD GetWord(const std::vector<BYTE>& v, size_t at) { return (WORD)(v[at] | v[at + 1] << 8); }

// Opcode, address, space and count of the memory requests.
std::vector<BYTE> MemoryRequest(BYTE opcode, int hasCallback, WORD address, BYTE space, WORD count) {
  std::vector<BYTE> r{opcode};
  if (hasCallback >= 0) r.push_back((BYTE)hasCallback);
  PutWord(r, address);
  r.push_back(space);
  PutWord(r, count);
  return r;
}

void PutWords(std::vector<BYTE>& r, const WORD* words, WORD count) {
  r.reserve(r.size() + 2u * count);
  for (WORD i = 0; i < count; ++i) PutWord(r, words[i]);
}

void GetWords(const std::vector<BYTE>& data, WORD* words, WORD count) {
  for (WORD i = 0; i < count; ++i) words[i] = GetWord(data, 2u * i);
}

// The host's main window of the current thread, to which big-transfer progress goes.
struct HWND__* CurrentThreadMainWindow() {
  CWnd* main = AfxGetMainWnd();
  return main ? main->GetSafeHwnd() : nullptr;
}

LRESULT SendToWindow(struct HWND__* hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessage(hwnd, message, wParam, lParam);
}

// Holds nShowErr at 0 while the drive's answers are awaited.
class SilentErrors {
 public:
  SilentErrors() : m_saved(CMC_Comm::nShowErr) { CMC_Comm::nShowErr = 0; }
  ~SilentErrors() { CMC_Comm::nShowErr = m_saved; }

 private:
  UINT m_saved;
};

}  // namespace

int CMC_Comm::GetActiveBoard(WORD& axis) {
  if (!IsCommunicationInitialized()) return 0;
  if (m_wActiveAxisID) {
    axis = m_wActiveAxisID;
    return 1;
  }
  return RunWithRetry([&] {
    if (m_bNetMaster) {
      std::vector<BYTE> data;
      if (!NetRequest({NETOP_GET_ACTIVE_AXIS}, 4, false, &data)) return false;
      axis = GetWord(data, 0);
      return true;
    }
    uint16_t a = 0;
    if (!DAV_GetActiveDrive(&a)) return false;
    axis = a;
    return true;
  });
}

int CMC_Comm::SetActiveBoard(WORD axis) {
  if (!IsCommunicationInitialized()) return 0;
  if (axis && axis == m_wActiveAxisID) return 1;
  bool done = false;
  int result = RunWithRetry([&] {
    if (m_bNetMaster) {
      std::vector<BYTE> r{NETOP_SET_ACTIVE_AXIS};
      PutWord(r, axis);
      done = NetRequest(r, 2, false);
    } else {
      done = DAV_SetActiveDrive(axis);
    }
    return done;
  });
  if (done) m_wActiveAxisID = axis;
  return result;
}

int CMC_Comm::GetHostBoard(WORD& axis) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (m_bNetMaster) {
      std::vector<BYTE> data;
      if (!NetRequest({NETOP_GET_HOST_AXIS}, 4, false, &data)) return false;
      axis = GetWord(data, 0);
      return true;
    }
    uint16_t a = 0;
    if (!DAV_GetHostDrive(&a)) return false;
    axis = a;
    return true;
  });
}

int CMC_Comm::SetHostBoard(WORD axis) {
  if (!IsCommunicationInitialized()) return 0;
  if (axis && axis == m_wHostAxisID) return 1;
  return RunWithRetry([&] {
    if (m_bNetMaster) {
      std::vector<BYTE> r{NETOP_SET_HOST_AXIS};
      PutWord(r, axis);
      if (!NetRequest(r, 2, false)) return false;
      m_wHostAxisID = axis;
      if (m_wActiveAxisID) {
        std::vector<BYTE> data;
        if (!NetRequest({NETOP_GET_ACTIVE_AXIS}, 4, false, &data)) return false;
        m_wActiveAxisID = GetWord(data, 0);
      }
      return true;
    }
    if (!DAV_SetHostDrive(axis)) return false;
    if (m_wActiveAxisID) {
      uint16_t a = 0;
      if (!DAV_GetActiveDrive(&a)) return false;
      m_wActiveAxisID = a;
    }
    m_wHostAxisID = axis;
    return true;
  });
}

int CMC_Comm::ResetActiveBoard() {
  if (!IsCommunicationInitialized()) return 0;
  bool done = false;
  if (!RunWithRetry([&] { return done = m_bNetMaster ? NetRequest({NETOP_RESET_DRIVE}, 2, false) : DAV_ResetDrive(); }))
    return 0;
  return done ? Refresh() : 1;
}

int CMC_Comm::GetFirmwareVer(CString& version) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (m_bNetMaster) {
      std::vector<BYTE> data;
      if (!NetRequest({NETOP_DRIVE_VERSION}, 3, true, &data)) return false;
      version = CString((const char*)data.data(), (int)strnlen((const char*)data.data(), data.size()));
      return true;
    }
    char buffer[16] = {};
    if (!DAV_GetDriveVersion(buffer)) return false;
    version = CString(buffer, (int)strnlen(buffer, sizeof buffer));
    return true;
  });
}

int CMC_Comm::SendData(WORD* words, WORD address, BYTE space, WORD count) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (!m_bNetMaster) return DAV_SendData(words, address, space, count);
    if (count && !words) return false;
    std::vector<BYTE> r = MemoryRequest(NETOP_SEND_DATA, -1, address, space, count);
    PutWords(r, words, count);
    return NetRequest(r, 2, false);
  });
}

int CMC_Comm::ReceiveData(WORD* words, WORD address, BYTE space, WORD count) {
  if (!IsCommunicationInitialized()) return 0;
  // The library hands a read's words out only when the read succeeds, and a net answer is copied out
  // only when it came whole: a failure the user ignores leaves the caller's words as they were.
  return RunWithRetry([&] {
    if (!m_bNetMaster) return DAV_ReceiveData(words, address, space, count);
    std::vector<BYTE> data;
    if (count && !words) return false;
    if (!NetRequest(MemoryRequest(NETOP_RECEIVE_DATA, -1, address, space, count), 2u * count + 2, false, &data)) return false;
    GetWords(data, words, count);
    return true;
  });
}

int CMC_Comm::SendBigData(WORD* words, WORD address, BYTE space, WORD count, PROGRESS_CALLBACK callback,
                          void* user) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (!m_bNetMaster) return DAV_SendBigData(words, address, space, count, callback, user);
    if (count && !words) return false;
    std::vector<BYTE> r = MemoryRequest(NETOP_SEND_BIG_DATA, callback ? 1 : 0, address, space, count);
    PutWords(r, words, count);
    return NetRequest(r, 2, false, nullptr, callback, user);
  });
}

int CMC_Comm::ReceiveBigData(WORD* words, WORD address, BYTE space, WORD count, PROGRESS_CALLBACK callback,
                             void* user) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (!m_bNetMaster) return DAV_ReceiveBigData(words, address, space, count, callback, user);
    if (count && !words) return false;
    std::vector<BYTE> data;
    if (!NetRequest(MemoryRequest(NETOP_RECEIVE_BIG_DATA, callback ? 1 : 0, address, space, count), 2u * count + 2, false, &data,
                    callback, user))
      return false;
    GetWords(data, words, count);
    return true;
  });
}

int CMC_Comm::Checksum(WORD start, WORD end, WORD& sum) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (m_bNetMaster) {
      std::vector<BYTE> r{NETOP_CHECKSUM};
      PutWord(r, start);
      PutWord(r, end);
      std::vector<BYTE> data;
      if (!NetRequest(r, 4, false, &data)) return false;
      sum = GetWord(data, 0);
      return true;
    }
    uint16_t s = 0;
    if (!DAV_CheckSum(start, end, &s)) return false;
    sum = s;
    return true;
  });
}

int CMC_Comm::SendMessageA(DAV_MSG& msg) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (!m_bNetMaster) return DAV_SendMessage(&msg);
    std::vector<BYTE> r(1 + sizeof msg);
    r[0] = NETOP_SEND_MESSAGE;
    memcpy(r.data() + 1, &msg, sizeof msg);
    return NetRequest(r, 2, false);
  });
}

int CMC_Comm::ReceiveMessage(DAV_MSG& msg) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    DAV_MSG m{};
    if (m_bNetMaster) {
      std::vector<BYTE> data;
      if (!NetRequest({NETOP_RECEIVE_MESSAGE}, 16, false, &data)) return false;
      memcpy(&m, data.data(), sizeof m);
    } else if (!DAV_ReceiveMessage(&m)) {
      return false;
    }
    msg = m;
    return true;
  });
}

int CMC_Comm::GetBytesCountInQueue() {
  if (!m_bOpen) return 0;
  if (!m_bNetMaster) return DAV_GetBytesCountInQueue();
  std::vector<BYTE> data;
  if (!NetRequest({NETOP_BYTES_IN_QUEUE}, 6, false, &data)) return -1;
  return (int)(DWORD)(GetWord(data, 0) | (DWORD)GetWord(data, 2) << 16);
}

int CMC_Comm::COFFDownload(const char* file, WORD* out1, WORD* out2, WORD* out3, PROGRESS_CALLBACK callback,
                           void* user, WORD value) {
  if (!IsCommunicationInitialized()) return 0;
  return RunWithRetry([&] {
    if (m_bNetMaster) {
      WORD length = 0;
      BYTE* frame = nullptr;
      if (!ReadFileContent(file, 4, length, frame)) return false;
      frame[0] = NETOP_COFF_DOWNLOAD;
      frame[1] = callback ? 1 : 0;
      const WORD v = (WORD)(value + 0x1000);
      frame[2] = (BYTE)v;
      frame[3] = (BYTE)(v >> 8);
      tagNetMessage* reply = RunDAVCommandOverNetWithCallback(length, frame, callback, user);
      if (!reply || reply->length != 8 || !reply->data[1]) return false;
      if (out1) *out1 = (WORD)(reply->data[2] | reply->data[3] << 8);
      if (out2) *out2 = (WORD)(reply->data[4] | reply->data[5] << 8);
      if (out3) *out3 = (WORD)(reply->data[6] | reply->data[7] << 8);
      return true;
    }
    uint16_t o1 = 0, o2 = 0, o3 = 0;
    if (!DAV_COFFDownload(file, &o1, &o2, &o3, callback, user, (WORD)(value + 0x1000))) return false;
    if (out1) *out1 = o1;
    if (out2) *out2 = o2;
    if (out3) *out3 = o3;
    return true;
  });
}

bool CMC_Comm::SenderId(WORD& sender) {
  if (!IsHostAddressedKind(m_bySerialType)) {
    sender = (WORD)(m_wHostAxisID << 4);
    return true;
  }
  WORD host = 0;
  if (!GetHostBoard(host)) return false;
  sender = (WORD)(host << 4 | 1);
  return true;
}

bool CMC_Comm::GetMotionControllerLastErrors(CByteArray& codes, CWordArray& words) {
  CWaitCursor wait;
  codes.RemoveAll();
  words.RemoveAll();
  if (!IsCommunicationInitialized()) return false;
  WORD active = 0, sender = 0;
  if (!GetActiveBoard(active) || !SenderId(sender)) return false;
  const DWORD baud = m_dwBaudRate;
  if (baud == 0) return false;
  const DWORD timeout = IsHostAddressedKind(m_bySerialType) ? (115200 / baud) * 765 : (1000000 / baud) * 116280 / 1000;

  for (WORD index = 0; index < 8; ++index) {
    DAV_MSG request{};
    request.count = 2;
    request.address = (WORD)(active << 4);
    request.opcode = 0xB220;
    request.data[0] = sender;
    request.data[1] = index;
    if (!SendMessageA(request)) return false;

    bool answered = false, end = false;
    {
      SilentErrors silent;
      const DWORD start = GetTickCount();
      for (;;) {
        int bytes = GetBytesCountInQueue();
        if (bytes < 0) break;
        DAV_MSG m{};
        if (bytes > 0 && ReceiveMessage(m)) {
          if (m.address == sender && (m.opcode >> 8) == 0xD7 && (m.opcode & 0xFF) == (active & 0xFF) &&
              m.count == 2 && (m.data[0] >> 8) == 0) {
            answered = true;
            if ((m.data[0] & 0xFF) == 0) {
              end = true;
            } else {
              codes.Add((BYTE)m.data[0]);
              words.Add(m.data[1]);
            }
            break;
          }
          if (m_pfnUnsolicitedMsgHandler) m_pfnUnsolicitedMsgHandler(&m);
        } else {
          Sleep(1);
        }
        if (GetTickCount() - start >= timeout) break;
      }
    }
    if (end) return true;
    if (!answered) {
      ShowLastError(false);
      return false;
    }
  }
  return true;
}

bool CMC_Comm::ScanNetwork(CWordArray& axes, CStringArray& firmwareIds) {
  CWaitCursor wait;
  axes.RemoveAll();
  firmwareIds.RemoveAll();
  if (!IsCommunicationInitialized()) return false;
  WORD sender = 0;
  if (!SenderId(sender)) return false;
  const DWORD baud = m_dwBaudRate;
  if (baud == 0) return false;
  const bool serial = IsSerialKind(m_bySerialType);
  const DWORD delay = serial ? ((115200 / baud) * 2000) & 0xFFFF : (1000000 / baud) * 300;
  DWORD timeout = serial ? (115200 / baud) * 765 : (1000000 / baud) * 116280 / 1000;

  DAV_MSG request{};
  request.count = 2;
  request.address = DAV_BROADCAST_ADDRESS;
  request.opcode = 0xD600;
  request.data[0] = sender;
  request.data[1] = (WORD)delay;
  if (!SendMessageA(request)) return false;

  SilentErrors silent;
  DWORD start = GetTickCount();
  for (;;) {
    int bytes = GetBytesCountInQueue();
    // A failing queue is a failed scan, not an empty network.
    if (bytes < 0) return false;
    DAV_MSG m{};
    if (bytes > 0 && ReceiveMessage(m)) {
      if (m.address == sender && (m.opcode >> 8) == 0xD6 && m.count == 2) {
        WORD axis = m.opcode & 0xFF;
        char id[6] = {'F', (char)(m.data[0] >> 8), (char)m.data[0], (char)(m.data[1] >> 8), (char)m.data[1], 0};
        axes.Add(axis);
        firmwareIds.Add(CString(id));
        if (axis == 255) {
          start = GetTickCount();
          timeout = delay * 3 / 1000;
        }
      } else if (m_pfnUnsolicitedMsgHandler) {
        m_pfnUnsolicitedMsgHandler(&m);
      }
    } else {
      Sleep(1);
    }
    if (GetTickCount() - start >= timeout) break;
  }
  return true;
}

int CMC_Comm::CheckForUnrequestedMessages(UNSOLICITED_MSG_HANDLER handler) {
  if (!handler) return 0;
  SilentErrors silent;
  for (int taken = 0;; ++taken) {
    int bytes = GetBytesCountInQueue();
    if (bytes <= 0) return bytes == 0 ? 1 : 0;
    if (taken == 500) return 0;
    DAV_MSG m{};
    if (!ReceiveMessage(m)) return 0;
    handler(&m);
  }
}

int CMC_Comm::IsFirmwareWithEEPROMProt(const char* id) {
  if (!id || strlen(id) != 5 || id[0] != 'F') return 0;
  if (id[1] >= '4' && id[1] <= '8') return 1;
  if ((id[1] >= '0' && id[1] <= '3') || id[1] == '9') return (unsigned char)id[4] >= 'H' ? 1 : 0;
  return 0;
}

bool CMC_Comm::BigMemoryOpCallback(int code, const char* text, float percent, void* user) {
  struct HWND__* main = CurrentThreadMainWindow();
  if (!main || code < 1 || code > 4) return true;
  if (code == 1) {
    // An OK box without an icon: the framework's box would add its exclamation.
    ::MessageBox(main, text ? text : "", AfxGetAppName(), MB_OK);
    return true;
  }
  if (code == 2) return AfxMessageBox(text ? text : "", MB_YESNO | MB_ICONQUESTION) == IDYES;
  SendToWindow(main, WM_MC_BIGMEMORYOP_PROGRESS, (WPARAM)(int)percent, (LPARAM)user);
  return true;
}

void CMC_Comm::OnBigMemoryOpEnd(const char* text) {
  if (struct HWND__* main = CurrentThreadMainWindow())
    SendToWindow(main, WM_MC_BIGMEMORYOP_PROGRESS, (WPARAM)-1, (LPARAM)text);
}
