// The net-master TCP socket: frames the byte stream into packets (code, u16 length, payload), queues what it
// sends, and reports every event to the net-master thread's main window.
#pragma once

#include "platform/net/AsyncSocket.h"

#include <deque>
#include <vector>

// Messages to the thread's main window (first and second parameter).
#define WM_MASTERSOCKET_ERROR 6034      // 0, error text (valid during the call)
#define WM_MASTERSOCKET_CLOSED 6035     // 0, 0
#define WM_MASTERSOCKET_CONNECTED 6036  // socket error code (0 = connected), 0
#define WM_MASTERSOCKET_PACKET 6037     // 0, packet (header + payload, new[]); nonzero result: the window took it
#define WM_MASTERSOCKET_SENT 6039       // posted when the send queue is empty

class CMasterSocket : public CAsyncSocket {
 public:
  CMasterSocket() = default;
  ~CMasterSocket() override;

  int ConnectToServer();
  int SendNetMessage(unsigned char code, unsigned short length, const void* payload);
  void Close() override;
  void OnReceive(int nErrorCode) override;
  void OnSend(int nErrorCode) override;
  void OnConnect(int nErrorCode) override;
  void OnClose(int nErrorCode) override;

  void ResetBuffers();
  void ResetAndClose();
  // Sends the error line of the last socket error (or of `error`) to the window.
  void ReportSocketError(int error = 0);
  void FailAndClose(int error = 0);
  // Packets waiting to be sent (the head may be partly sent).
  size_t QueuedPackets() const { return m_queue.size(); }
  // Part of a packet came and the rest is still awaited.
  bool HasPartialPacket() const { return m_pReceive || m_nReceived > 0; }
  bool IsConnected() const { return m_hSocket != INVALID_SOCKET; }

 private:
  LRESULT ToWindow(UINT message, WPARAM wParam, LPARAM lParam) const;
  BYTE m_header[3] = {};
  BYTE* m_pReceive = nullptr;
  size_t m_nReceived = 0;
  std::deque<std::vector<BYTE>> m_queue;
  size_t m_nSent = 0;
};
