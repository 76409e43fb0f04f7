#include "comm/MasterSocket.h"

#include "comm/MC_Comm.h"
#include "kernel/values/ConfigFile.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinThread.h"
#include "platform/ui/Wnd.h"

#include <cstring>

CMasterSocket::~CMasterSocket() { ResetBuffers(); }

LRESULT CMasterSocket::ToWindow(UINT message, WPARAM wParam, LPARAM lParam) const {
  CWnd* main = AfxGetMainWnd();
  return main && main->GetSafeHwnd() ? ::SendMessage(main->GetSafeHwnd(), message, wParam, lParam) : 0;
}

int CMasterSocket::ConnectToServer() {
  ResetAndClose();
  CString host;
  int port = 1700;
  GetNetServerAddress(host, port);
  if (!Create(0, kStreamSocket, FD_ALL_EVENTS)) {
    FailAndClose();
    return 0;
  }
  if (!Connect(host, (UINT)port) && WSAGetLastError() != WSAEWOULDBLOCK) {
    FailAndClose();
    return 0;
  }
  return 1;
}

int CMasterSocket::SendNetMessage(unsigned char code, unsigned short length, const void* payload) {
  std::vector<BYTE> packet;
  try {
    packet.resize((size_t)length + 3);
  } catch (const std::bad_alloc&) {
    FailAndClose(WSAENOBUFS);
    return 0;
  }
  packet[0] = code;
  packet[1] = (BYTE)length;
  packet[2] = (BYTE)(length >> 8);
  if (length && payload) memcpy(packet.data() + 3, payload, length);
  m_queue.push_back(std::move(packet));
  OnSend(0);
  // A failed send closed the socket and dropped the packet: the caller must not take it as sent.
  return m_hSocket != INVALID_SOCKET ? 1 : 0;
}

void CMasterSocket::OnSend(int) {
  while (!m_queue.empty()) {
    const std::vector<BYTE>& head = m_queue.front();
    int n = Send(head.data() + m_nSent, (int)(head.size() - m_nSent));
    if (n == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return;
      // The close emptied the queue: whoever waits for it to drain is told as well.
      FailAndClose();
      break;
    }
    if (n == 0) {
      Close();
      break;
    }
    m_nSent += (size_t)n;
    if (m_nSent == head.size()) {
      m_queue.pop_front();
      m_nSent = 0;
    }
  }
  CWnd* main = AfxGetMainWnd();
  if (m_queue.empty() && main && main->GetSafeHwnd()) ::PostMessage(main->GetSafeHwnd(), WM_MASTERSOCKET_SENT, 0, 0);
}

void CMasterSocket::OnReceive(int) {
  for (;;) {
    if (m_hSocket == INVALID_SOCKET) return;
    if (!m_pReceive) {
      int n = Receive(m_header + m_nReceived, (int)(3 - m_nReceived));
      if (n == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) FailAndClose();
        return;
      }
      if (n == 0) return;  // the close notification follows
      m_nReceived += (size_t)n;
      if (m_nReceived < 3) continue;
      size_t length = (size_t)(m_header[1] | m_header[2] << 8);
      m_pReceive = new (std::nothrow) BYTE[length + 3];
      if (!m_pReceive) {
        FailAndClose(WSAENOBUFS);
        return;
      }
      memcpy(m_pReceive, m_header, 3);
      m_nReceived = 0;
    }
    size_t length = (size_t)(m_pReceive[1] | m_pReceive[2] << 8);
    if (m_nReceived < length) {
      int n = Receive(m_pReceive + 3 + m_nReceived, (int)(length - m_nReceived));
      if (n == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) FailAndClose();
        return;
      }
      if (n == 0) return;
      m_nReceived += (size_t)n;
      if (m_nReceived < length) continue;
    }
    BYTE* packet = m_pReceive;
    m_pReceive = nullptr;
    m_nReceived = 0;
    // A packet the window does not take is ours to delete.
    if (!ToWindow(WM_MASTERSOCKET_PACKET, 0, (LPARAM)packet)) delete[] packet;
    // One packet a notification: what is left comes with the next, so the thread answers the windows
    // that wait for it between the packets of a flood.
    return;
  }
}

void CMasterSocket::OnConnect(int nErrorCode) {
  ToWindow(WM_MASTERSOCKET_CONNECTED, (WPARAM)nErrorCode, 0);
  CAsyncSocket::OnConnect(nErrorCode);
}

void CMasterSocket::OnClose(int nErrorCode) {
  Close();
  CAsyncSocket::OnClose(nErrorCode);
}

void CMasterSocket::Close() {
  ResetBuffers();
  if (m_hSocket == INVALID_SOCKET) return;
  CWnd* main = AfxGetMainWnd();
  if (main && main->GetSafeHwnd()) {
    ::SendMessage(main->GetSafeHwnd(), WM_MASTERSOCKET_CLOSED, 0, 0);
    ShutDown(both);
  }
  CAsyncSocket::Close();
}

void CMasterSocket::ResetBuffers() {
  delete[] m_pReceive;
  m_pReceive = nullptr;
  m_nReceived = 0;
  m_queue.clear();
  m_nSent = 0;
}

void CMasterSocket::ResetAndClose() {
  ResetBuffers();
  Close();
}

// The line carries the socket's own error text: asking the peer for its text is not possible from here.
void CMasterSocket::ReportSocketError(int error) {
  CString line = ">>> ERROR: " + WSAErrorText(error ? error : WSAGetLastError()) + "\n";
  ToWindow(WM_MASTERSOCKET_ERROR, 0, (LPARAM)line.GetString());
}

void CMasterSocket::FailAndClose(int error) {
  ReportSocketError(error);
  Close();
}
