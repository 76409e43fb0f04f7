// Asynchronous sockets on the loopback: connecting, refusals, accepting, partial sends under back-pressure
// and the peer's close, with every event delivered by the owning thread's message loop.
#include "platform/net/AsyncSocket.h"
#include "platform/ui/MessageQueue.h"
#include "tests/support/TestKernel.h"
#include "tests/support/PumpUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using dravonix::test::PumpUntil;

class Recorder : public CAsyncSocket {
 public:
  std::vector<std::string> events;
  std::vector<int> errors;
  std::string received;
  bool autoRead = true;
  std::unique_ptr<Recorder> accepted;
  void Note(const char* what, int error) {
    events.push_back(what);
    errors.push_back(error);
  }
  void OnConnect(int e) override { Note("connect", e); }
  void OnSend(int e) override { Note("send", e); }
  void OnClose(int e) override { Note("close", e); }
  void OnAccept(int e) override {
    Note("accept", e);
    accepted = std::make_unique<Recorder>();
    EXPECT_TRUE(Accept(*accepted));
  }
  void OnReceive(int e) override {
    Note("receive", e);
    if (!autoRead) return;
    char buf[65536];
    int n;
    while ((n = Receive(buf, sizeof buf)) > 0) received.append(buf, (size_t)n);
  }
  bool Has(const char* what) const {
    for (const auto& e : events)
      if (e == what) return true;
    return false;
  }
};

class AsyncSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
    ASSERT_TRUE(m_server.Create(0, CAsyncSocket::kStreamSocket, FD_ALL_EVENTS, "127.0.0.1"));
    ASSERT_TRUE(m_server.Listen());
    CString address;
    ASSERT_TRUE(m_server.GetSockName(address, m_port));
    EXPECT_EQ("127.0.0.1", address);
  }
  void TearDown() override { WSACleanup(); }
  // A client connected to the server and the server's side of it.
  void Connect(Recorder& client) {
    ASSERT_TRUE(client.Create());
    EXPECT_FALSE(client.Connect("localhost", m_port));
    EXPECT_EQ(WSAEWOULDBLOCK, WSAGetLastError());
    ASSERT_TRUE(PumpUntil([&] { return client.Has("connect") && m_server.accepted; }));
    EXPECT_EQ(0, client.errors[0]);
  }
  Recorder m_server;
  UINT m_port = 0;
};

TEST_F(AsyncSocketTest, RefusedConnectReports10061) {
  UINT port;
  {
    CAsyncSocket probe;
    ASSERT_TRUE(probe.Create(0, CAsyncSocket::kStreamSocket, FD_ALL_EVENTS, "127.0.0.1"));
    CString a;
    probe.GetSockName(a, port);
  }
  Recorder client;
  ASSERT_TRUE(client.Create());
  EXPECT_FALSE(client.Connect("127.0.0.1", port));
  ASSERT_TRUE(PumpUntil([&] { return client.Has("connect"); }));
  EXPECT_EQ(WSAECONNREFUSED, client.errors[0]);
  EXPECT_FALSE(client.Connect("no-such-host.invalid", 1));
  EXPECT_EQ(WSAHOST_NOT_FOUND, WSAGetLastError());
  CAsyncSocket closed;
  EXPECT_EQ(SOCKET_ERROR, closed.Send("x", 1));
  EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
}

TEST_F(AsyncSocketTest, OnlyTheStreamTypeIsCreated) {
  for (int type : {0, 2, 3}) {
    CAsyncSocket s;
    WSASetLastError(0);
    EXPECT_FALSE(s.Create(0, type, FD_ALL_EVENTS, "127.0.0.1")) << type;
    EXPECT_EQ(WSAEINVAL, WSAGetLastError()) << type;
    EXPECT_EQ(INVALID_SOCKET, s.m_hSocket) << type;
  }
}

TEST_F(AsyncSocketTest, PartialSendsGoOnAtTheNextWriteNotification) {
  Recorder client;
  Connect(client);
  m_server.accepted->autoRead = false;
  // Fill the pipe while the peer does not read: the send stops with would-block part way.
  std::string data(8 << 20, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = (char)(i * 131 % 251);
  size_t sent = 0;
  while (sent < data.size()) {
    int n = client.Send(data.data() + sent, (int)std::min<size_t>(data.size() - sent, 1 << 20));
    if (n == SOCKET_ERROR) break;
    sent += (size_t)n;
  }
  ASSERT_LT(sent, data.size());
  EXPECT_EQ(WSAEWOULDBLOCK, WSAGetLastError());
  size_t sends = 0;
  for (auto& e : client.events) sends += e == "send";
  m_server.accepted->autoRead = true;
  m_server.accepted->OnReceive(0);
  while (sent < data.size()) {
    ASSERT_TRUE(PumpUntil([&] {
      size_t now = 0;
      for (auto& e : client.events) now += e == "send";
      return now > sends;
    }));
    ++sends;
    for (;;) {
      int n = client.Send(data.data() + sent, (int)std::min<size_t>(data.size() - sent, 1 << 20));
      if (n == SOCKET_ERROR) break;
      sent += (size_t)n;
      if (sent == data.size()) break;
    }
  }
  ASSERT_TRUE(PumpUntil([&] { return m_server.accepted->received.size() == data.size(); }));
  EXPECT_TRUE(m_server.accepted->received == data);
}

TEST_F(AsyncSocketTest, PeerCloseComesAfterTheLastDataAndShutDownEndsTheStream) {
  Recorder client;
  Connect(client);
  Recorder& peer = *m_server.accepted;
  ASSERT_TRUE(PumpUntil([&] { return peer.Has("send"); }));
  EXPECT_EQ(5, peer.Send("hello", 5));
  peer.Close();
  ASSERT_TRUE(PumpUntil([&] { return client.Has("close"); }));
  EXPECT_EQ("hello", client.received);
  EXPECT_EQ(0, client.errors.back());
  char c;
  EXPECT_EQ(0, client.Receive(&c, 1));
  CString address;
  UINT port;
  EXPECT_TRUE(client.GetPeerName(address, port));
  EXPECT_EQ(m_port, port);

  Recorder second;
  Connect(second);
  EXPECT_TRUE(second.ShutDown(CAsyncSocket::sends));
  ASSERT_TRUE(PumpUntil([&] { return m_server.accepted->Has("close"); }));
}

}  // namespace
