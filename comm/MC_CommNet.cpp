// Net-master mode of CMC_Comm: requests travel as frames to the net-master thread and the replies come back
// through the host's main window.
#include "comm/MC_Comm.h"

#include "comm/CommStringIds.h"
#include "comm/NetMessage.h"
#include "comm/SocketWinThread.h"
#include "kernel/KernelGlobals.h"
#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/net/AsyncSocket.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WinThread.h"
#include "platform/ui/Wnd.h"

#include <cstring>

namespace {

const size_t kMaxFrame = 0xFFFF;
const WORD kMaxNetWords = 32764;

// The net-master window of the socket thread, or null while it has none.
HWND SocketWindow() {
  CWinThread* t = CMC_Comm::m_pSockThread;
  CWnd* w = t ? t->m_pMainWnd : nullptr;
  return w ? w->GetSafeHwnd() : nullptr;
}

void SetNetError(UINT id) { CMC_Comm::m_strNetLastError.LoadString(id); }

void DropReply() {
  tagNetMessage::Delete(CMC_Comm::m_pNetReply);
  CMC_Comm::m_pNetReply = nullptr;
}

// Hands the frame to the net-master window; the frame is the window's from here on, or freed here.
bool PostFrame(WORD length, BYTE* frame) {
  HWND w = SocketWindow();
  if (w && ::PostMessage(w, WM_NETMASTER_FRAME, length, (LPARAM)frame)) return true;
  delete[] frame;
  return false;
}

}  // namespace

void CMC_Comm::InitNetMaster() {
  Close();
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
    CString text;
    text.LoadString(IDS_COMM_NET_WSA_FAILED);
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
  }
  m_pSockThread = AfxBeginThread(RUNTIME_CLASS(CSocketWinThread));
  if (!m_pSockThread) {
    WSACleanup();
    return;
  }
  m_bNetMaster = 1;
}

void CMC_Comm::ExitNetMaster() {
  Close();
  if (CWinThread* t = m_pSockThread) {
    t->PostThreadMessage(WM_QUIT, 0, 0);
    // The thread clears the pointer as it ends.
    while (m_pSockThread) {
      ::PumpMessages();
      Sleep(100);
    }
  }
  WSACleanup();
  m_bNetMaster = 0;
  m_bNetChannelUp = 0;
  ReceiveNetMasterSerialMsg(0, nullptr);
}

void CMC_Comm::ReceiveNetMasterSerialMsg(int state, tagNetMessage* frame) {
  if (m_bNetMaster && state >= NETMASTER_STATE_CHANNEL) {
    m_bNetChannelUp = 1;
    if (!frame) return;
    if (frame->Echo() == 30 && m_pfnDebugLogHandler) {
      CString text((const char*)frame->data + 1, frame->length - 1);
      m_pfnDebugLogHandler(text);
      tagNetMessage::Delete(frame);
      return;
    }
    if (frame->Echo() == 31 && frame->length == 15 && m_pfnUnsolicitedMsgHandler) {
      DAV_MSG msg;
      memcpy(&msg, frame->data + 1, sizeof msg);
      m_pfnUnsolicitedMsgHandler(&msg);
      tagNetMessage::Delete(frame);
      return;
    }
  } else if (m_bNetMaster) {
    m_bNetChannelUp = 0;
    m_bOpen = 0;
  }
  DropReply();
  m_pNetReply = frame;
}

void CMC_Comm::OnActivateApp(int active, unsigned long otherThreadId) {
  if (!m_bNetMaster || !m_pSockThread) return;
  HWND w = SocketWindow();
  if (!w) return;
  CWinApp* app = AfxGetApp();
  bool ours = otherThreadId == m_pSockThread->m_nThreadID || (app && otherThreadId == app->m_nThreadID);
  ::PostMessage(w, WM_NETMASTER_ACTIVATE, (active || ours) ? 0 : 1, 0);
}

void CMC_Comm::WaitForNetReceive() {
  CWnd* main = AfxGetMainWnd();
  HWND target = main ? main->GetSafeHwnd() : nullptr;
  while (m_bNetChannelUp && !m_pNetReply) {
    int seen = UiQueueChangeCount();
    MSG msg;
    if (::PeekMessage(&msg, target, WM_NETMASTER_FRAME, WM_NETMASTER_FRAME, PM_REMOVE)) {
      ::DispatchMessage(&msg);
      continue;
    }
    if (::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return;
    UiWaitForQueueChange(seen);
  }
}

tagNetMessage* CMC_Comm::RejectReply(BYTE) {
  tagNetMessage* reply = m_pNetReply;
  m_pNetReply = nullptr;
  if (!m_bNetChannelUp) {
    tagNetMessage::Delete(reply);
    SetNetError(IDS_COMM_NET_NO_CHANNEL);
    return nullptr;
  }
  if (!reply) return nullptr;
  if (reply->Echo() == 0 && reply->length >= 2)
    m_strNetLastError = CString((const char*)reply->data + 1, reply->length - 1);
  else
    SetNetError(IDS_COMM_NET_PROTOCOL_ERROR);
  tagNetMessage::Delete(reply);
  return nullptr;
}

tagNetMessage* CMC_Comm::RunDAVCommandOverNet(WORD length, BYTE* frame) {
  return RunDAVCommandOverNetWithCallback(length, frame, nullptr, nullptr);
}

tagNetMessage* CMC_Comm::RunDAVCommandOverNetWithCallback(WORD length, BYTE* frame, PROGRESS_CALLBACK callback,
                                                          void* user) {
  m_strNetLastError.Empty();
  if (!m_bNetChannelUp || !frame || !length) {
    delete[] frame;
    SetNetError(IDS_COMM_NET_NO_CHANNEL);
    return nullptr;
  }
  const BYTE opcode = frame[0];
  DropReply();
  if (!PostFrame(length, frame)) {
    SetNetError(IDS_COMM_NET_NO_CHANNEL);
    return nullptr;
  }
  for (;;) {
    WaitForNetReceive();
    tagNetMessage* reply = m_bNetChannelUp ? m_pNetReply : nullptr;
    if (reply && reply->length >= 2 && reply->Echo() == opcode) return reply;
    // A progress report of a request with callback: answered for questions, and the wait goes on.
    if (reply && callback && reply->Echo() == 2 && reply->length >= 6) {
      m_pNetReply = nullptr;
      BYTE code = reply->data[1];
      float percent;
      memcpy(&percent, reply->data + 2, sizeof percent);
      CString text((const char*)reply->data + 6, reply->length - 6);
      tagNetMessage::Delete(reply);
      bool answer = callback(code, text, percent, user);
      if (code == 1 || code == 2) NetPost({0x02, (BYTE)(answer ? 1 : 0)});
      continue;
    }
    return RejectReply(opcode);
  }
}

void CMC_Comm::NetPost(const std::vector<BYTE>& request) {
  if (!m_bNetChannelUp || request.empty() || request.size() > kMaxFrame) return;
  auto* frame = new BYTE[request.size()];
  memcpy(frame, request.data(), request.size());
  PostFrame((WORD)request.size(), frame);
}

bool CMC_Comm::NetExchange(const std::vector<BYTE>& request, std::vector<BYTE>& reply, PROGRESS_CALLBACK callback,
                           void* user) {
  reply.clear();
  m_strNetLastError.Empty();
  if (request.empty()) return false;
  // Word reads answer 2n + 2 bytes: counts the frame cannot carry fail before anything is sent.
  bool wordRead = (request[0] == 0x16 && request.size() >= 6) || (request[0] == 0x1C && request.size() >= 7);
  WORD count = wordRead ? (WORD)(request[request.size() - 2] | request[request.size() - 1] << 8) : 0;
  if (request.size() > kMaxFrame || count > kMaxNetWords) {
    SetNetError(IDS_COMM_NET_FRAME_TOO_LONG);
    return false;
  }
  auto* frame = new BYTE[request.size()];
  memcpy(frame, request.data(), request.size());
  tagNetMessage* r = RunDAVCommandOverNetWithCallback((WORD)request.size(), frame, callback, user);
  if (!r) return false;
  reply.assign(r->data, r->data + r->length);
  return true;
}

int CMC_Comm::ReadFileContent(const char* file, WORD prefix, WORD& length, BYTE*& buffer) {
  buffer = nullptr;
  length = 0;
  try {
    CFile f(file, CFile::modeRead | CFile::shareDenyWrite);
    ULONGLONG size = f.GetLength();
    if (size + prefix > 0xFFFF) {
      m_strNetLastError = FormatKernelString(IDS_COMM_NET_FILE_TOO_BIG, (UINT)(0xFFFF - prefix));
      return 0;
    }
    length = (WORD)(size + prefix);
    buffer = new BYTE[length ? length : 1];
    if (size && f.Read(buffer + prefix, (UINT)size) != size) {
      delete[] buffer;
      buffer = nullptr;
      length = 0;
      SetNetError(IDS_COMM_NET_PROTOCOL_ERROR);
      return 0;
    }
    return 1;
  } catch (CException* e) {
    char text[256] = {};
    e->GetErrorMessage(text, sizeof text);
    e->Delete();
    m_strNetLastError = text;
    delete[] buffer;
    buffer = nullptr;
    length = 0;
    return 0;
  }
}
