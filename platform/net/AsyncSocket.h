// Asynchronous TCP sockets over non-blocking POSIX sockets: events arrive as notifications on the
// thread that created the socket, from its message loop.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <cstdint>

typedef uintptr_t SOCKET;
#define INVALID_SOCKET ((SOCKET)(~(uintptr_t)0))
#define SOCKET_ERROR (-1)

// Socket error numbers (WSAGetLastError).
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEMSGSIZE 10040
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAEHOSTUNREACH 10065
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001

// Notification events.
#define FD_READ 0x01
#define FD_WRITE 0x02
#define FD_OOB 0x04
#define FD_ACCEPT 0x08
#define FD_CONNECT 0x10
#define FD_CLOSE 0x20
#define FD_ALL_EVENTS (FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE)
#define WSAGETSELECTEVENT(lParam) ((WORD)((DWORD)(lParam) & 0xFFFF))
#define WSAGETSELECTERROR(lParam) ((WORD)((DWORD)(lParam) >> 16))

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[257];
  char szSystemStatus[129];
};
typedef WSADATA* LPWSADATA;

int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
// The socket error number of an errno value.
int WSAErrorFromErrno(int err);
// A short text of a socket error number ("Connection refused (10061)").
CString WSAErrorText(int error);

class CAsyncSocket : public CObject {
  DECLARE_DYNAMIC(CAsyncSocket)
 public:
  enum { receives = 0, sends = 1, both = 2 };
  // The stream socket type, with Win32's number. Not named as the system's constant: a host includes the
  // system's socket headers too, before or after this one.
  static constexpr int kStreamSocket = 1;

  CAsyncSocket();
  ~CAsyncSocket() override;
  CAsyncSocket(const CAsyncSocket&) = delete;
  CAsyncSocket& operator=(const CAsyncSocket&) = delete;

  SOCKET m_hSocket = INVALID_SOCKET;
  operator SOCKET() const { return m_hSocket; }

  // A stream socket bound to the port (0: any) and address (null: any), with the events asked for; another
  // socket type fails with WSAEINVAL.
  BOOL Create(UINT nSocketPort = 0, int nSocketType = kStreamSocket, long lEvent = FD_ALL_EVENTS,
              LPCSTR lpszSocketAddress = nullptr);
  // Resolves the host by name; FALSE with WSAEWOULDBLOCK while the connection is being made (OnConnect ends it).
  BOOL Connect(LPCSTR lpszHostAddress, UINT nHostPort);
  BOOL Listen(int nConnectionBacklog = 5);
  virtual BOOL Accept(CAsyncSocket& rConnectedSocket);
  // Bytes sent or received, or SOCKET_ERROR (WSAEWOULDBLOCK when nothing can move now). Receive gives 0 when
  // the peer has closed.
  virtual int Send(const void* lpBuf, int nBufLen, int nFlags = 0);
  virtual int Receive(void* lpBuf, int nBufLen, int nFlags = 0);
  BOOL ShutDown(int nHow = sends);
  virtual void Close();
  BOOL AsyncSelect(long lEvent = FD_ALL_EVENTS);
  BOOL GetSockName(CString& rSocketAddress, UINT& rSocketPort) const;
  BOOL GetPeerName(CString& rPeerAddress, UINT& rPeerPort) const;
  static int GetLastError() { return WSAGetLastError(); }

  virtual void OnReceive(int nErrorCode);
  virtual void OnSend(int nErrorCode);
  virtual void OnOutOfBandData(int nErrorCode);
  virtual void OnAccept(int nErrorCode);
  virtual void OnConnect(int nErrorCode);
  virtual void OnClose(int nErrorCode);

  // The window procedure of the notification windows hands each event to its socket.
  static void DispatchNotification(uintptr_t id, long event, int error);

 private:
  BOOL Attach(int fd, long lEvent, bool connected);
  uintptr_t m_id = 0;  // the notifier's key of this socket; 0 while none
  long m_lEvent = 0;
};
