// The master socket's framing against a plain socket on the loopback: empty packets, split headers, and a
// send queue that keeps a partly sent packet while the peer does not read.
#include "comm/MasterSocket.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"
#include "tests/support/TestKernel.h"
#include "tests/support/PumpUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace {

using dravonix::test::PumpUntil;

// The thread's main window: records the socket's packets and queue-empty notices.
class CRecorderWnd : public CWnd {
 public:
  std::vector<std::vector<BYTE>> m_packets;
  std::vector<std::string> m_errors;
  int m_sent = 0, m_closed = 0, m_connected = -1;
  LRESULT OnError(WPARAM, LPARAM lParam) {
    m_errors.emplace_back((const char*)lParam);
    return 0;
  }
  LRESULT OnPacket(WPARAM, LPARAM lParam) {
    auto* p = (BYTE*)lParam;
    m_packets.emplace_back(p, p + 3 + (p[1] | p[2] << 8));
    delete[] p;
    return 1;
  }
  LRESULT OnSent(WPARAM, LPARAM) { return ++m_sent; }
  LRESULT OnClosed(WPARAM, LPARAM) { return ++m_closed; }
  LRESULT OnConnected(WPARAM w, LPARAM) { return m_connected = (int)w; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRecorderWnd, CWnd)
  ON_MESSAGE(WM_MASTERSOCKET_PACKET, &CRecorderWnd::OnPacket)
  ON_MESSAGE(WM_MASTERSOCKET_SENT, &CRecorderWnd::OnSent)
  ON_MESSAGE(WM_MASTERSOCKET_CLOSED, &CRecorderWnd::OnClosed)
  ON_MESSAGE(WM_MASTERSOCKET_CONNECTED, &CRecorderWnd::OnConnected)
  ON_MESSAGE(WM_MASTERSOCKET_ERROR, &CRecorderWnd::OnError)
END_MESSAGE_MAP()

class Peer : public CAsyncSocket {
 public:
  std::unique_ptr<CAsyncSocket> conn;
  void OnAccept(int) override {
    conn = std::make_unique<CAsyncSocket>();
    Accept(*conn);
  }
};

TEST(MasterSocket, FramesPacketsAndKeepsThePartlySentHead) {
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
  CWinApp app("dravonix");
  CRecorderWnd wnd;
  wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 1, 1), nullptr, 0);
  app.m_pMainWnd = &wnd;
  Peer server;
  ASSERT_TRUE(server.Create(0, CAsyncSocket::kStreamSocket, FD_ALL_EVENTS, "127.0.0.1"));
  server.Listen();
  CString a;
  UINT port;
  server.GetSockName(a, port);
  CMasterSocket master;
  ASSERT_TRUE(master.Create());
  master.Connect("127.0.0.1", port);
  ASSERT_TRUE(PumpUntil([&] { return wnd.m_connected == 0 && server.conn; }));

  // An empty packet is whole with its header; a header may come a byte at a time.
  const std::vector<std::vector<BYTE>> pieces = {{7, 0, 0}, {5}, {2}, {0}, {'a', 'b'}};
  for (const auto& piece : pieces) {
    server.conn->Send(piece.data(), (int)piece.size());
    PumpUntil([] { return false; }, 20);
  }
  ASSERT_TRUE(PumpUntil([&] { return wnd.m_packets.size() == 2; }));
  EXPECT_EQ((std::vector<BYTE>{7, 0, 0}), wnd.m_packets[0]);
  EXPECT_EQ((std::vector<BYTE>{5, 2, 0, 'a', 'b'}), wnd.m_packets[1]);

  // While the peer does not read, packets wait in the queue and no empty-queue notice comes.
  std::vector<BYTE> payload(60000);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = (BYTE)(i % 253);
  int queued = 0;
  while (master.QueuedPackets() < 2 && queued < 2000) {
    master.SendNetMessage(6, (unsigned short)payload.size(), payload.data());
    ++queued;
  }
  ASSERT_GE(master.QueuedPackets(), 2u);
  ::PumpMessages();
  int sentNotices = wnd.m_sent;
  PumpUntil([] { return false; }, 50);
  EXPECT_EQ(sentNotices, wnd.m_sent);
  // Reading everything lets the queue drain; the notice comes once it is empty.
  size_t expected = (size_t)queued * (payload.size() + 3), got = 0;
  std::vector<BYTE> buf(1 << 16);
  bool intact = true;
  ASSERT_TRUE(PumpUntil([&] {
    int n;
    while ((n = server.conn->Receive(buf.data(), (int)buf.size())) > 0) {
      for (int i = 0; i < n; ++i) {
        size_t at = (got + (size_t)i) % (payload.size() + 3);
        BYTE want = at == 0 ? 6 : at == 1 ? (BYTE)payload.size() : at == 2 ? (BYTE)(payload.size() >> 8) : payload[at - 3];
        intact = intact && buf[(size_t)i] == want;
      }
      got += (size_t)n;
    }
    return got == expected && master.QueuedPackets() == 0 && wnd.m_sent > sentNotices;
  }, 20000));
  EXPECT_TRUE(intact);
  // The peer's close reaches the window once.
  server.conn->Close();
  ASSERT_TRUE(PumpUntil([&] { return wnd.m_closed == 1; }));

  // A send on a closed socket fails at once: the error line, no packet kept, a failure result.
  CMasterSocket neverOpened;
  sentNotices = wnd.m_sent;
  for (CMasterSocket* closed : {&master, &neverOpened}) {
    wnd.m_errors.clear();
    EXPECT_EQ(0, closed->SendNetMessage(6, 2, "xy"));
    EXPECT_EQ(0u, closed->QueuedPackets());
    EXPECT_EQ((std::vector<std::string>{">>> ERROR: Not a socket (10038)\n"}), wnd.m_errors);
  }
  ::PumpMessages();
  EXPECT_EQ(1, wnd.m_closed);
  EXPECT_EQ(sentNotices + 2, wnd.m_sent);  // the queue is empty after each failure
  app.m_pMainWnd = nullptr;
  wnd.DestroyWindow();
  WSACleanup();
}

}  // namespace
