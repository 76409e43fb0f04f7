// Net-master mode of CMC_Comm: requests travel as frames to the net-master thread and the replies come back
// through the host's main window.
#include "comm/MC_Comm.h"

#include "comm/CommStringIds.h"
#include "comm/NetMessage.h"
#include "comm/SocketWinThread.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/net/AsyncSocket.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WinThread.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>

namespace {

const size_t kMaxFrame = 0xFFFF;
const WORD kMaxNetWords = 32764;

// The net-master window of the socket thread, or null while it has none.
HWND SocketWindow() { return CMC_Comm::m_pSockThread ? CSocketWinThread::RunningWindow() : nullptr; }

// The socket thread's id, kept apart from the thread object, which deletes itself when the thread ends.
std::atomic<DWORD> g_sockThreadId{0};

// Replies still owed for requests that timed out, oldest first. The peer answers in order, so a late answer is
// known by its echo and dropped as it comes, and no later request takes it for its own.
struct OwedReply {
  BYTE opcode;
  bool progress;  // the request reports progress before its answer
};
std::deque<OwedReply> g_owed;
// The link state last reported and whether a channel was up since the connection was made; both belong to the
// user-interface thread.
int g_netState = 0;
bool g_hadChannel = false;

void SetNetError(UINT id) { CMC_Comm::m_strNetLastError.LoadString(id); }

// Why no channel is there: a lost connection to the server, or a channel not yet established.
void SetNoChannelError() {
  SetNetError(g_hadChannel && g_netState < NETMASTER_STATE_CONNECTED ? IDS_COMM_NET_CONNECTION_LOST
                                                                     : IDS_COMM_NET_NO_CHANNEL);
}

// The wait for a reply: the base time-out and the time the request and its answer's words take on the drive's
// line (ten bits a byte), twice over.
DWORD ReplyTimeout(WORD length, const BYTE* frame) {
  ULONGLONG bytes = length;
  if ((frame[0] == 0x16 && length >= 6) || (frame[0] == 0x1C && length >= 7))
    bytes += 2u * (WORD)(frame[length - 2] | frame[length - 1] << 8);
  const ULONGLONG baud = CMC_Comm::m_dwBaudRate ? CMC_Comm::m_dwBaudRate : 9600;
  return (DWORD)std::min<ULONGLONG>(CMC_Comm::m_dwNetReplyTimeout + bytes * 10 * 1000 * 2 / baud, 0x7FFFFFFF);
}

// Drops the late answer (or progress report) of a request that timed out. An error report answers the oldest
// owed request; an echo answers the request it names, and the answers owed before it will not come any more.
bool DropOwedReply(const tagNetMessage& frame) {
  if (g_owed.empty() || frame.length == 0) return false;
  const BYTE echo = frame.Echo();
  if (echo == NETOP_PROGRESS)
    return std::any_of(g_owed.begin(), g_owed.end(), [](const OwedReply& o) { return o.progress; });
  auto it = echo == NETOP_ERROR ? g_owed.begin()
                                : std::find_if(g_owed.begin(), g_owed.end(),
                                               [echo](const OwedReply& o) { return o.opcode == echo; });
  if (it == g_owed.end()) return false;
  g_owed.erase(g_owed.begin(), it + 1);
  return true;
}

// Frames the peer also sends unasked (debug log, drive messages, progress) answer no request.
bool IsReplyKind(const tagNetMessage& frame) {
  const BYTE echo = frame.Echo();
  return frame.length >= 1 && echo != NETOP_DEBUG_LOG && echo != NETOP_UNSOLICITED_MSG && echo != NETOP_PROGRESS;
}

// A request that timed out while a packet was half received: the stream can no longer be framed, so the
// net-master window drops the connection. True when it did.
bool DropCutConnection() {
  HWND w = SocketWindow();
  if (!w || !::SendMessage(w, WM_NETMASTER_REPLY_TIMEOUT, 0, 0)) return false;
  CMC_Comm::m_bNetChannelUp = 0;
  CMC_Comm::m_bOpen = 0;
  g_netState = 0;
  g_owed.clear();
  return true;
}

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
  // Published before the thread runs: a thread that ends at once clears it again.
  CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CSocketWinThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (!thread) {
    WSACleanup();
    return;
  }
  g_sockThreadId = thread->m_nThreadID;
  m_pSockThread = thread;
  m_bNetMaster = 1;
  g_netState = 0;
  g_owed.clear();
  g_hadChannel = false;
  thread->ResumeThread();
}

void CMC_Comm::ExitNetMaster() {
  Close();
  if (m_pSockThread) {
    ::PostThreadMessage(g_sockThreadId, WM_QUIT, 0, 0);
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
  if (m_bNetMaster) g_netState = state;
  if (m_bNetMaster && state >= NETMASTER_STATE_CHANNEL) {
    m_bNetChannelUp = 1;
    g_hadChannel = true;
    if (!frame) return;
    if (frame->Echo() == NETOP_DEBUG_LOG && m_pfnDebugLogHandler) {
      CString text((const char*)frame->data + 1, frame->length - 1);
      m_pfnDebugLogHandler(text);
      tagNetMessage::Delete(frame);
      return;
    }
    if (frame->Echo() == NETOP_UNSOLICITED_MSG && frame->length == 15 && m_pfnUnsolicitedMsgHandler) {
      DAV_MSG msg;
      memcpy(&msg, frame->data + 1, sizeof msg);
      m_pfnUnsolicitedMsgHandler(&msg);
      tagNetMessage::Delete(frame);
      return;
    }
  } else if (m_bNetMaster) {
    m_bNetChannelUp = 0;
    m_bOpen = 0;
    g_owed.clear();
  }
  // The late answer of a request that timed out (and the progress reports before it) is nobody's.
  if (frame && DropOwedReply(*frame)) {
    tagNetMessage::Delete(frame);
    return;
  }
  DropReply();
  m_pNetReply = frame;
}

void CMC_Comm::OnActivateApp(int active, unsigned long otherThreadId) {
  HWND w = m_bNetMaster ? SocketWindow() : nullptr;
  if (!w) return;
  CWinApp* app = AfxGetApp();
  bool ours = otherThreadId == g_sockThreadId || (app && otherThreadId == app->m_nThreadID);
  ::PostMessage(w, WM_NETMASTER_ACTIVATE, (active || ours) ? 0 : 1, 0);
}

bool CMC_Comm::WaitForNetReceive(DWORD ms) {
  CWnd* main = AfxGetMainWnd();
  HWND target = main ? main->GetSafeHwnd() : nullptr;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (m_bNetChannelUp && !m_pNetReply) {
    int seen = UiQueueChangeCount();
    MSG msg;
    if (::PeekMessage(&msg, target, WM_NETMASTER_FRAME, WM_NETMASTER_FRAME, PM_REMOVE)) {
      ::DispatchMessage(&msg);
      continue;
    }
    if (::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    UiWaitForQueueChange(seen, (DWORD)left.count());
  }
  return true;
}

tagNetMessage* CMC_Comm::RejectReply(BYTE) {
  tagNetMessage* reply = m_pNetReply;
  m_pNetReply = nullptr;
  if (!m_bNetChannelUp) {
    tagNetMessage::Delete(reply);
    SetNoChannelError();
    return nullptr;
  }
  if (!reply) return nullptr;
  if (reply->Echo() == NETOP_ERROR && reply->length >= 2)
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
    SetNoChannelError();
    return nullptr;
  }
  const BYTE opcode = frame[0];
  const DWORD timeout = ReplyTimeout(length, frame);
  DropReply();
  if (!PostFrame(length, frame)) {
    SetNoChannelError();
    return nullptr;
  }
  using std::chrono::steady_clock;
  auto until = steady_clock::now() + std::chrono::milliseconds(timeout);
  bool strayFrame = false, wrongAnswer = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - steady_clock::now()).count();
    // A silent peer fails the request as a silent drive does; its answer, when it comes, is dropped.
    if (!WaitForNetReceive((DWORD)std::max<long long>(left, 0))) {
      if (DropCutConnection()) {
        SetNetError(IDS_COMM_NET_CONNECTION_LOST);
        return nullptr;
      }
      // The peer answers every request once and in order: a reply of another kind was this request's
      // answer, and only a request that saw none may still be answered late.
      if (!wrongAnswer) g_owed.push_back({opcode, callback != nullptr});
      SetNetError(strayFrame ? IDS_COMM_NET_PROTOCOL_ERROR : IDS_COMM_NET_TIMEOUT);
      return nullptr;
    }
    tagNetMessage* reply = m_bNetChannelUp ? m_pNetReply : nullptr;
    // Our echo, or an error report in its place, is our answer: whatever was owed before it will not come.
    if (reply && reply->length >= 1 && (reply->Echo() == opcode || reply->Echo() == NETOP_ERROR)) {
      g_owed.clear();
      if (reply->length >= 2 && reply->Echo() == opcode) return reply;
      return RejectReply(opcode);
    }
    // A progress report of a request with callback: answered for questions, and the wait starts again.
    if (reply && callback && reply->Echo() == NETOP_PROGRESS && reply->length >= 6) {
      m_pNetReply = nullptr;
      BYTE code = reply->data[1];
      float percent;
      memcpy(&percent, reply->data + 2, sizeof percent);
      CString text((const char*)reply->data + 6, reply->length - 6);
      tagNetMessage::Delete(reply);
      bool answer = callback(code, text, percent, user);
      if (code == 1 || code == 2) NetPost({NETOP_ANSWER, (BYTE)(answer ? 1 : 0)});
      until = steady_clock::now() + std::chrono::milliseconds(timeout);
      continue;
    }
    // A frame the peer sent unasked is not our answer: the wait for ours goes on.
    if (reply) {
      m_pNetReply = nullptr;
      strayFrame = true;
      wrongAnswer = wrongAnswer || IsReplyKind(*reply);
      tagNetMessage::Delete(reply);
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
