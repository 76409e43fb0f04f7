#include "platform/net/AsyncSocket.h"

#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CAsyncSocket, CObject)

namespace {

thread_local int t_wsaError = 0;

// One socket as the notifier sees it: which events are armed and where they go.
struct Watch {
  int fd;
  HWND hwnd;
  long events;
  bool connecting = false;
  bool listening = false;
  bool readArmed = true;
  bool writeArmed = false;
  bool closed = false;  // FD_CLOSE was reported
  CAsyncSocket* socket;
};

// Waits in poll() for every socket of the process on a thread of its own and posts each event, once, to
// the socket's notification window; the socket's calls re-arm it, as the platform's sockets do.
class Notifier {
 public:
  static Notifier& Instance() {
    static auto* n = new Notifier;
    return *n;
  }

  uintptr_t Add(int fd, HWND hwnd, long events, CAsyncSocket* socket, bool connecting) {
    std::lock_guard<std::mutex> lk(m_mutex);
    uintptr_t id = ++m_nextId;
    Watch w{fd, hwnd, events, connecting, false, false, false, false, socket};
    m_watches.emplace(id, w);
    StartLocked();
    Wake();
    return id;
  }

  void Remove(uintptr_t id) {
    std::thread stopping;
    {
      std::lock_guard<std::mutex> lk(m_mutex);
      m_watches.erase(id);
      Wake();
      if (m_watches.empty() && m_thread.joinable()) {
        ++m_generation;
        stopping = std::move(m_thread);
      }
    }
    if (stopping.joinable()) stopping.join();
  }

  template <class F>
  void Update(uintptr_t id, F change) {
    std::lock_guard<std::mutex> lk(m_mutex);
    auto it = m_watches.find(id);
    if (it == m_watches.end()) return;
    change(it->second);
    Wake();
  }

  // As the platform's sockets do, a read that leaves data behind posts the next read notification at once,
  // whether or not one is still waiting in the queue.
  void Received(uintptr_t id, bool more) {
    std::lock_guard<std::mutex> lk(m_mutex);
    auto it = m_watches.find(id);
    if (it == m_watches.end()) return;
    Watch& w = it->second;
    w.readArmed = !(more && (w.events & FD_READ) && !w.closed);
    if (!w.readArmed) Post(w, id, FD_READ, 0);
    Wake();
  }

  CAsyncSocket* Find(uintptr_t id) {
    std::lock_guard<std::mutex> lk(m_mutex);
    auto it = m_watches.find(id);
    return it == m_watches.end() ? nullptr : it->second.socket;
  }

 private:
  Notifier() {
    if (pipe(m_wake) == 0) {
      fcntl(m_wake[0], F_SETFL, O_NONBLOCK);
      fcntl(m_wake[1], F_SETFL, O_NONBLOCK);
    }
  }

  void Wake() {
    char c = 1;
    ssize_t n = write(m_wake[1], &c, 1);
    (void)n;
  }

  void StartLocked() {
    if (m_thread.joinable()) return;
    uint64_t generation = ++m_generation;
    m_thread = std::thread([this, generation] { Run(generation); });
  }

  static short Interest(const Watch& w) {
    if (w.connecting) return POLLOUT;
    if (w.listening) return w.readArmed && (w.events & FD_ACCEPT) ? POLLIN : 0;
    short ev = 0;
    if (w.readArmed && !w.closed && (w.events & (FD_READ | FD_CLOSE))) ev |= POLLIN;
    if (w.writeArmed && (w.events & FD_WRITE)) ev |= POLLOUT;
    return ev;
  }

  void Post(const Watch& w, uintptr_t id, long event, int error) {
    ::PostMessage(w.hwnd, WM_SOCKET_NOTIFY, (WPARAM)id, (LPARAM)((DWORD)event | ((DWORD)error << 16)));
  }

  // Ends when a newer generation was started or the watches ran out.
  void Run(uint64_t generation) {
    std::vector<pollfd> fds;
    std::vector<uintptr_t> ids;
    for (;;) {
      {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_generation != generation) return;
        fds.assign(1, pollfd{m_wake[0], POLLIN, 0});
        ids.assign(1, 0);
        for (auto& [id, w] : m_watches) {
          short ev = Interest(w);
          if (!ev) continue;
          fds.push_back(pollfd{w.fd, ev, 0});
          ids.push_back(id);
        }
      }
      if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
      if (fds[0].revents) {
        char buf[64];
        while (read(m_wake[0], buf, sizeof buf) > 0) {
        }
      }
      std::lock_guard<std::mutex> lk(m_mutex);
      for (size_t i = 1; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        auto it = m_watches.find(ids[i]);
        if (it == m_watches.end()) continue;
        Watch& w = it->second;
        if (w.connecting) {
          int err = 0;
          socklen_t len = sizeof err;
          getsockopt(w.fd, SOL_SOCKET, SO_ERROR, &err, &len);
          w.connecting = false;
          if (w.events & FD_CONNECT) Post(w, ids[i], FD_CONNECT, err ? WSAErrorFromErrno(err) : 0);
          if (!err) {
            w.readArmed = true;
            if (w.events & FD_WRITE) Post(w, ids[i], FD_WRITE, 0);
          }
          continue;
        }
        if (w.listening) {
          w.readArmed = false;
          Post(w, ids[i], FD_ACCEPT, 0);
          continue;
        }
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) && w.readArmed && !w.closed) {
          char c;
          ssize_t n = recv(w.fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
          if (n > 0) {
            w.readArmed = false;
            if (w.events & FD_READ) Post(w, ids[i], FD_READ, 0);
          } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            w.closed = true;
            if (w.events & FD_CLOSE) Post(w, ids[i], FD_CLOSE, n == 0 ? 0 : WSAErrorFromErrno(errno));
          }
        }
        if ((fds[i].revents & POLLOUT) && w.writeArmed) {
          w.writeArmed = false;
          Post(w, ids[i], FD_WRITE, 0);
        }
      }
    }
  }

  std::mutex m_mutex;
  std::map<uintptr_t, Watch> m_watches;
  uintptr_t m_nextId = 0;
  std::thread m_thread;
  uint64_t m_generation = 0;
  int m_wake[2] = {-1, -1};
};

// The hidden window of each thread that gets its sockets' notifications; it goes with the thread's last socket.
struct ThreadWindow {
  HWND hwnd = nullptr;
  int sockets = 0;
};
thread_local ThreadWindow t_window;

LRESULT NotifyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_SOCKET_NOTIFY) return ::DefWindowProc(hwnd, msg, wParam, lParam);
  CAsyncSocket::DispatchNotification((uintptr_t)wParam, WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
  return 0;
}

HWND AcquireThreadWindow() {
  if (!t_window.hwnd) {
    static std::once_flag once;
    std::call_once(once, [] {
      WNDCLASS wc{};
      wc.lpfnWndProc = NotifyProc;
      wc.lpszClassName = "DravonixSocketNotify";
      ::RegisterClass(&wc);
    });
    t_window.hwnd = ::CreateWindowEx(0, "DravonixSocketNotify", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  if (t_window.hwnd) ++t_window.sockets;
  return t_window.hwnd;
}

void ReleaseThreadWindow() {
  if (t_window.sockets > 0 && --t_window.sockets == 0 && t_window.hwnd) {
    ::DestroyWindow(t_window.hwnd);
    t_window.hwnd = nullptr;
  }
}

bool Fail(int wsaError) {
  t_wsaError = wsaError;
  return false;
}

bool Resolve(LPCSTR host, UINT port, sockaddr_in& out) {
  memset(&out, 0, sizeof out);
  out.sin_family = AF_INET;
  out.sin_port = htons((uint16_t)port);
  if (!host || !*host) {
    out.sin_addr.s_addr = htonl(INADDR_ANY);
    return true;
  }
  if (inet_pton(AF_INET, host, &out.sin_addr) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return Fail(WSAHOST_NOT_FOUND);
  out.sin_addr = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
  freeaddrinfo(res);
  return true;
}

BOOL NameOf(int fd, bool peer, CString& address, UINT& port) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  int r = peer ? getpeername(fd, (sockaddr*)&a, &len) : getsockname(fd, (sockaddr*)&a, &len);
  if (r != 0) return Fail(WSAErrorFromErrno(errno));
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
  address = text;
  port = ntohs(a.sin_port);
  return TRUE;
}

std::atomic<int> g_startups{0};

}  // namespace

// ---- Start-up and errors --------------------------------------------------------------------------------

int WSAStartup(WORD versionRequested, LPWSADATA data) {
  if (data) {
    memset(data, 0, sizeof *data);
    data->wVersion = versionRequested;
    data->wHighVersion = MAKEWORD(2, 2);
    strcpy(data->szDescription, "POSIX sockets");
    strcpy(data->szSystemStatus, "Running");
  }
  ++g_startups;
  return 0;
}

int WSACleanup() {
  if (g_startups.load() <= 0) {
    t_wsaError = WSANOTINITIALISED;
    return SOCKET_ERROR;
  }
  --g_startups;
  return 0;
}

int WSAGetLastError() { return t_wsaError; }
void WSASetLastError(int error) { t_wsaError = error; }

int WSAErrorFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case EACCES: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEWOULDBLOCK;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET: return WSAECONNRESET;
    case EPIPE: return WSAECONNRESET;
    case ENOBUFS: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSAEINVAL;
  }
}

CString WSAErrorText(int error) {
  const char* text = "Socket error";
  switch (error) {
    case WSAEWOULDBLOCK: text = "Operation would block"; break;
    case WSAECONNREFUSED: text = "Connection refused"; break;
    case WSAECONNRESET: text = "Connection reset by peer"; break;
    case WSAECONNABORTED: text = "Connection aborted"; break;
    case WSAETIMEDOUT: text = "Connection timed out"; break;
    case WSAEHOSTUNREACH: text = "Host unreachable"; break;
    case WSAENETUNREACH: text = "Network unreachable"; break;
    case WSAHOST_NOT_FOUND: text = "Host not found"; break;
    case WSAENOTCONN: text = "Socket is not connected"; break;
    case WSAENOTSOCK: text = "Not a socket"; break;
    case WSAEADDRINUSE: text = "Address already in use"; break;
    case WSAEINVAL: text = "Invalid argument"; break;
    default: break;
  }
  CString s;
  s.Format("%s (%d)", text, error);
  return s;
}

// ---- CAsyncSocket -------------------------------------------------------------------------------------------

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket() {
  if (m_hSocket != INVALID_SOCKET) CAsyncSocket::Close();
}

BOOL CAsyncSocket::Attach(int fd, long lEvent, bool connected) {
  HWND hwnd = AcquireThreadWindow();
  if (!hwnd) {
    ::close(fd);
    return Fail(WSAENOBUFS);
  }
  m_hSocket = (SOCKET)fd;
  m_lEvent = lEvent;
  m_id = Notifier::Instance().Add(fd, hwnd, lEvent, this, false);
  // An accepted socket reads at once and can be written to.
  if (connected)
    Notifier::Instance().Update(m_id, [lEvent](Watch& w) {
      w.readArmed = true;
      w.writeArmed = (lEvent & FD_WRITE) != 0;
    });
  return TRUE;
}

BOOL CAsyncSocket::Create(UINT nSocketPort, int nSocketType, long lEvent, LPCSTR lpszSocketAddress) {
  if (m_hSocket != INVALID_SOCKET) return Fail(WSAEINVAL);
  // The caller gives Win32's number; the port's may differ.
  if (nSocketType != kStreamSocket) return Fail(WSAEINVAL);
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Fail(WSAErrorFromErrno(errno));
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a;
  if (!Resolve(lpszSocketAddress, nSocketPort, a)) {
    ::close(fd);
    return FALSE;
  }
  if (bind(fd, (sockaddr*)&a, sizeof a) != 0) {
    int err = errno;
    ::close(fd);
    return Fail(WSAErrorFromErrno(err));
  }
  return Attach(fd, lEvent, false);
}

BOOL CAsyncSocket::Connect(LPCSTR lpszHostAddress, UINT nHostPort) {
  if (m_hSocket == INVALID_SOCKET) return Fail(WSAENOTSOCK);
  sockaddr_in a;
  if (!lpszHostAddress || !*lpszHostAddress) return Fail(WSAEADDRNOTAVAIL);
  if (!Resolve(lpszHostAddress, nHostPort, a)) return FALSE;
  if (connect((int)m_hSocket, (sockaddr*)&a, sizeof a) == 0) {
    Notifier::Instance().Update(m_id, [](Watch& w) { w.connecting = true; });
    return TRUE;
  }
  int err = errno;
  if (err == EINPROGRESS) {
    Notifier::Instance().Update(m_id, [](Watch& w) { w.connecting = true; });
    return Fail(WSAEWOULDBLOCK);
  }
  return Fail(WSAErrorFromErrno(err));
}

BOOL CAsyncSocket::Listen(int nConnectionBacklog) {
  if (m_hSocket == INVALID_SOCKET) return Fail(WSAENOTSOCK);
  if (listen((int)m_hSocket, nConnectionBacklog) != 0) return Fail(WSAErrorFromErrno(errno));
  Notifier::Instance().Update(m_id, [](Watch& w) {
    w.listening = true;
    w.readArmed = true;
  });
  return TRUE;
}

BOOL CAsyncSocket::Accept(CAsyncSocket& rConnectedSocket) {
  if (m_hSocket == INVALID_SOCKET || rConnectedSocket.m_hSocket != INVALID_SOCKET) return Fail(WSAEINVAL);
  int fd = accept4((int)m_hSocket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  int err = errno;
  Notifier::Instance().Update(m_id, [](Watch& w) { w.readArmed = true; });
  if (fd < 0) return Fail(WSAErrorFromErrno(err));
  return rConnectedSocket.Attach(fd, m_lEvent, true);
}

int CAsyncSocket::Send(const void* lpBuf, int nBufLen, int nFlags) {
  if (m_hSocket == INVALID_SOCKET) return Fail(WSAENOTSOCK), SOCKET_ERROR;
  ssize_t n = send((int)m_hSocket, lpBuf, (size_t)std::max(nBufLen, 0), nFlags | MSG_NOSIGNAL);
  if (n >= 0) return (int)n;
  int err = errno;
  // The next write notification comes when there is room again.
  if (err == EAGAIN || err == EWOULDBLOCK) Notifier::Instance().Update(m_id, [](Watch& w) { w.writeArmed = true; });
  Fail(WSAErrorFromErrno(err));
  return SOCKET_ERROR;
}

int CAsyncSocket::Receive(void* lpBuf, int nBufLen, int nFlags) {
  if (m_hSocket == INVALID_SOCKET) return Fail(WSAENOTSOCK), SOCKET_ERROR;
  ssize_t n = recv((int)m_hSocket, lpBuf, (size_t)std::max(nBufLen, 0), nFlags);
  int err = errno;
  // A read that did not fill the buffer took all there was: only a full one asks whether more waits.
  char c;
  Notifier::Instance().Received(m_id, n > 0 && n == nBufLen && recv((int)m_hSocket, &c, 1, MSG_PEEK | MSG_DONTWAIT) > 0);
  if (n >= 0) return (int)n;
  Fail(WSAErrorFromErrno(err));
  return SOCKET_ERROR;
}

BOOL CAsyncSocket::ShutDown(int nHow) {
  if (m_hSocket == INVALID_SOCKET) return Fail(WSAENOTSOCK);
  int how = nHow == receives ? SHUT_RD : nHow == sends ? SHUT_WR : SHUT_RDWR;
  if (shutdown((int)m_hSocket, how) != 0) return Fail(WSAErrorFromErrno(errno));
  return TRUE;
}

void CAsyncSocket::Close() {
  if (m_hSocket == INVALID_SOCKET) return;
  Notifier::Instance().Remove(m_id);
  ::close((int)m_hSocket);
  m_hSocket = INVALID_SOCKET;
  m_id = 0;
  ReleaseThreadWindow();
}

BOOL CAsyncSocket::AsyncSelect(long lEvent) {
  if (m_hSocket == INVALID_SOCKET) return Fail(WSAENOTSOCK);
  m_lEvent = lEvent;
  Notifier::Instance().Update(m_id, [lEvent](Watch& w) { w.events = lEvent; });
  return TRUE;
}

BOOL CAsyncSocket::GetSockName(CString& rSocketAddress, UINT& rSocketPort) const {
  return NameOf((int)m_hSocket, false, rSocketAddress, rSocketPort);
}

BOOL CAsyncSocket::GetPeerName(CString& rPeerAddress, UINT& rPeerPort) const {
  return NameOf((int)m_hSocket, true, rPeerAddress, rPeerPort);
}

void CAsyncSocket::OnReceive(int) {}
void CAsyncSocket::OnSend(int) {}
void CAsyncSocket::OnOutOfBandData(int) {}
void CAsyncSocket::OnAccept(int) {}
void CAsyncSocket::OnConnect(int) {}
void CAsyncSocket::OnClose(int) {}

void CAsyncSocket::DispatchNotification(uintptr_t id, long event, int error) {
  // A socket closed since the event was posted is gone from the notifier: the event is dropped.
  CAsyncSocket* s = Notifier::Instance().Find(id);
  if (!s) return;
  switch (event) {
    case FD_READ: s->OnReceive(error); break;
    case FD_WRITE: s->OnSend(error); break;
    case FD_OOB: s->OnOutOfBandData(error); break;
    case FD_ACCEPT: s->OnAccept(error); break;
    case FD_CONNECT: s->OnConnect(error); break;
    case FD_CLOSE: s->OnClose(error); break;
    default: break;
  }
}
