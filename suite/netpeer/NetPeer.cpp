// dravonix-netpeer: a net server on 127.0.0.1 (accounts, client list, channels, relaying, status texts) with an
// in-process slave client that runs drive frames on its simulated drive and answers them, and offers, accepts
// or refuses transfers. Commands come one a line on standard input; events go one a line to standard output.
// It ends at end of input, on "quit", or after its lifetime.
#include "comm/NetMessage.h"
#include "platform/net/AsyncSocket.h"
#include "platform/ui/MessageQueue.h"
#include "suite/zurcomm/zurcomm.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
const UINT WM_COMMAND_LINE = WM_APP + 1;

void Say(const std::string& line) {
  printf("%s\n", line.c_str());
  fflush(stdout);
}

std::string Hex(const BYTE* p, size_t n) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    snprintf(b, sizeof b, "%02X", p[i]);
    s += b;
  }
  return s;
}

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back((BYTE)strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
  return out;
}

void PutWord(Bytes& b, WORD w) {
  b.push_back((BYTE)w);
  b.push_back((BYTE)(w >> 8));
}
WORD GetWord(const BYTE* p) { return (WORD)(p[0] | p[1] << 8); }

class Server;

// One TCP client of the server: packets are code, u16 length, payload.
class Connection : public CAsyncSocket {
 public:
  explicit Connection(Server* s) : m_server(s) {}
  void SendPacket(BYTE code, const Bytes& payload) {
    Bytes p{code, (BYTE)payload.size(), (BYTE)(payload.size() >> 8)};
    p.insert(p.end(), payload.begin(), payload.end());
    SendRaw(p);
  }
  void SendRaw(const Bytes& bytes) {
    m_out.insert(m_out.end(), bytes.begin(), bytes.end());
    Flush();
  }
  void Flush() {
    while (!m_out.empty() && m_hSocket != INVALID_SOCKET) {
      size_t n = std::min<size_t>(m_out.size(), 65536);
      Bytes chunk(m_out.begin(), m_out.begin() + (long)n);
      int sent = Send(chunk.data(), (int)n);
      if (sent <= 0) return;
      m_out.erase(m_out.begin(), m_out.begin() + sent);
    }
  }
  void OnSend(int) override { Flush(); }
  void OnReceive(int) override;
  void OnClose(int) override;
  std::string m_name;
  bool m_logged = false;
  bool m_reading = true;
  Connection* m_partnerConn = nullptr;
  bool m_partnerIsSlave = false;

 private:
  Server* m_server;
  Bytes m_in;
  std::deque<BYTE> m_out;
};

class Listener : public CAsyncSocket {
 public:
  explicit Listener(Server* s) : m_server(s) {}
  void OnAccept(int) override;

 private:
  Server* m_server;
};

// The slave: runs drive frames on the simulated drive through the communication library.
class Slave {
 public:
  explicit Slave(Server* s) : m_server(s) {}
  void OnDriveFrame(const Bytes& frame);
  void OnTransfer(const Bytes& payload);
  void Command(const std::string& verb, const std::string& rest);
  std::string m_name = "slave";
  Connection* m_master = nullptr;

 private:
  void Reply(const Bytes& payload);
  void Transfer(const Bytes& payload);
  void SendNextBlock();
  Server* m_server;
  Bytes m_nextReply;
  // A frame sent unasked just before the next reply, and whether one is to go.
  Bytes m_stray;
  bool m_sendStray = false;
  std::vector<Bytes> m_stalled;
  bool m_stall = false, m_closeMid = false, m_cut = false, m_refuse = false;
  std::string m_inbox = ".";
  // Receiving.
  std::ofstream m_file;
  std::string m_filePath;
  std::string m_folder;
  size_t m_received = 0, m_acked = 0, m_maxInFlight = 0;
  bool m_holdAcks = false;
  void Acknowledge() {
    m_acked = m_received;
    Bytes a{9};
    for (int i = 0; i < 4; ++i) a.push_back((BYTE)(m_received >> (8 * i)));
    Transfer(a);
  }
  // Sending.
  std::ifstream m_send;
  bool m_sending = false;
  static bool Progress(int code, const char* text, float percent, void* user);
  static void Unsolicited(DAV_MSG* msg);
  static void Debug(const char* text);
  static Slave* s_current;
};
Slave* Slave::s_current = nullptr;

class Server {
 public:
  Server() : m_slave(this) {}
  bool Start(UINT port) {
    if (!m_listener.Create(port, CAsyncSocket::kStreamSocket, FD_ALL_EVENTS, "127.0.0.1") || !m_listener.Listen()) return false;
    CString a;
    UINT p = 0;
    m_listener.GetSockName(a, p);
    Say("port " + std::to_string(p));
    return true;
  }
  void Accept() {
    auto c = std::make_unique<Connection>(this);
    if (m_listener.Accept(*c)) m_connections.push_back(std::move(c));
  }
  void OnPacket(Connection* c, BYTE code, const Bytes& p);
  void Closed(Connection* c) {
    Say("closed " + c->m_name);
    if (m_slave.m_master == c) m_slave.m_master = nullptr;
    for (auto& o : m_connections)
      if (o->m_partnerConn == c) o->m_partnerConn = nullptr;
  }
  Connection* Master() { return m_slave.m_master; }
  std::map<std::string, std::string> m_accounts;
  std::string m_nextList;
  std::vector<std::unique_ptr<Connection>> m_connections;
  Slave m_slave;

 private:
  Listener m_listener{this};
};

void Listener::OnAccept(int) { m_server->Accept(); }

void Connection::OnReceive(int) {
  if (!m_reading) return;
  BYTE buf[65536];
  int n;
  while ((n = Receive(buf, sizeof buf)) > 0) m_in.insert(m_in.end(), buf, buf + n);
  while (m_in.size() >= 3) {
    size_t length = (size_t)(m_in[1] | m_in[2] << 8);
    if (m_in.size() < 3 + length) break;
    BYTE code = m_in[0];
    Bytes payload(m_in.begin() + 3, m_in.begin() + 3 + (long)length);
    m_in.erase(m_in.begin(), m_in.begin() + 3 + (long)length);
    m_server->OnPacket(this, code, payload);
    if (m_hSocket == INVALID_SOCKET) return;
  }
}

void Connection::OnClose(int) {
  OnReceive(0);
  Close();
  m_server->Closed(this);
}

void Server::OnPacket(Connection* c, BYTE code, const Bytes& p) {
  std::string text(p.begin(), p.end());
  Bytes head{code, (BYTE)p.size(), (BYTE)(p.size() >> 8)};
  head.insert(head.end(), p.begin(), p.begin() + (long)std::min<size_t>(p.size(), 32));
  Say("packet " + Hex(head.data(), head.size()));
  switch (code) {
    case 0: {  // log in
      size_t nul = text.find('\0');
      std::string user = text.substr(0, nul), pass = nul == std::string::npos ? "" : text.substr(nul + 1);
      Say("login " + user);
      auto it = m_accounts.find(user);
      if (it == m_accounts.end() || it->second != pass || user == m_slave.m_name) {
        std::string t = "Wrong user name or password";
        c->SendPacket(0, Bytes(t.begin(), t.end()));
        return;
      }
      c->m_name = user;
      c->m_logged = true;
      c->SendPacket(0, {});
      return;
    }
    case 8: {  // client list
      std::string names = m_slave.m_name;
      if (!m_nextList.empty()) names = m_nextList;
      m_nextList.clear();
      for (auto& o : m_connections)
        if (o.get() != c && o->m_logged && o->m_hSocket != INVALID_SOCKET) names += "," + o->m_name;
      c->SendPacket(4, Bytes(names.begin(), names.end()));
      return;
    }
    case 3: {  // open channel
      Say("open " + text);
      if (text == m_slave.m_name && !m_slave.m_master) {
        m_slave.m_master = c;
        c->m_partnerIsSlave = true;
        c->SendPacket(0, {});
        return;
      }
      for (auto& o : m_connections)
        if (o.get() != c && o->m_logged && o->m_name == text) {
          c->m_partnerConn = o.get();
          o->m_partnerConn = c;
          c->SendPacket(0, {});
          o->SendPacket(0, {});
          return;
        }
      std::string t = "Client " + text + " is not available";
      c->SendPacket(0, Bytes(t.begin(), t.end()));
      return;
    }
    case 4:  // close channel
      Say("close-channel " + c->m_name);
      if (m_slave.m_master == c) m_slave.m_master = nullptr;
      c->m_partnerIsSlave = false;
      if (c->m_partnerConn) {
        c->m_partnerConn->SendPacket(0, {});
        c->m_partnerConn->m_partnerConn = nullptr;
        c->m_partnerConn = nullptr;
      }
      c->SendPacket(0, {});
      return;
    case 2:  // shout
      for (auto& o : m_connections)
        if (o.get() != c && o->m_logged) {
          std::string t = c->m_name + ": " + text;
          o->SendPacket(1, Bytes(t.begin(), t.end()));
        }
      Say("shout " + text);
      return;
    case 5:  // say
      Say("say " + text);
      if (c->m_partnerConn) {
        std::string t = c->m_name + ": " + text;
        c->m_partnerConn->SendPacket(1, Bytes(t.begin(), t.end()));
      }
      return;
    case 6:  // drive frame
      if (c->m_partnerIsSlave) m_slave.OnDriveFrame(p);
      else if (c->m_partnerConn) c->m_partnerConn->SendPacket(6, p);
      return;
    case 7:  // transfer
      if (c->m_partnerIsSlave) m_slave.OnTransfer(p);
      else if (c->m_partnerConn) c->m_partnerConn->SendPacket(3, p);
      return;
    default: Say("unknown-code " + std::to_string(code)); return;
  }
}

// ---- The slave ----------------------------------------------------------------------------------------------

void Slave::Reply(const Bytes& payload) {
  if (m_master) m_master->SendPacket(2, payload);
}

void Slave::Transfer(const Bytes& payload) {
  if (m_master) m_master->SendPacket(3, payload);
}

bool Slave::Progress(int code, const char* text, float percent, void*) {
  Bytes p{NETOP_PROGRESS, (BYTE)code};
  BYTE f[4];
  memcpy(f, &percent, 4);
  p.insert(p.end(), f, f + 4);
  if (text) p.insert(p.end(), text, text + strlen(text));
  if (s_current) s_current->Reply(p);
  return true;
}

void Slave::Unsolicited(DAV_MSG* msg) {
  Bytes p{NETOP_UNSOLICITED_MSG};
  p.insert(p.end(), (BYTE*)msg, (BYTE*)msg + sizeof *msg);
  if (s_current) s_current->Reply(p);
}

void Slave::Debug(const char* text) {
  Bytes p{NETOP_DEBUG_LOG};
  p.insert(p.end(), text, text + strlen(text));
  if (s_current) s_current->Reply(p);
}

void Slave::OnDriveFrame(const Bytes& f) {
  Say("frame " + Hex(f.data(), f.size()));
  if (f.empty()) return;
  s_current = this;
  const BYTE op = f[0];
  if (op == NETOP_ANSWER) {
    Say("answer " + Hex(f.data(), f.size()));
    return;
  }
  if (m_stall) {
    m_stalled.push_back(f);
    return;
  }
  if (m_closeMid && m_master) {
    m_closeMid = false;
    m_master->SendRaw({2, 9});
    m_master->Close();
    m_server->Closed(m_master);
    return;
  }
  // A packet cut short: its header announces 65535 bytes that never come.
  if (m_cut && m_master) {
    m_cut = false;
    m_master->SendRaw({2, 0xFF, 0xFF});
    return;
  }
  if (m_sendStray) {
    m_sendStray = false;
    Reply(m_stray);
  }
  if (!m_nextReply.empty()) {
    Reply(m_nextReply);
    m_nextReply.clear();
    return;
  }
  Bytes r{op, 0};
  auto ok = [&r](bool b) { r[1] = b ? 1 : 0; };
  auto need = [&f](size_t n) { return f.size() >= n; };
  switch (op) {
    case NETOP_LAST_ERROR: {
      const char* t = DAV_GetLastError();
      r[1] = 1;
      r.insert(r.end(), t, t + strlen(t));
      break;
    }
    case NETOP_GET_BAUD_RATE: {
      ok(true);
      DWORD b = DAV_GetBaudRate();
      for (int i = 0; i < 4; ++i) r.push_back((BYTE)(b >> (8 * i)));
      break;
    }
    case NETOP_RESET_DRIVE: ok(DAV_ResetDrive()); break;
    case NETOP_SEND_MESSAGE:
      if (need(15)) {
        DAV_MSG m;
        memcpy(&m, f.data() + 1, 14);
        ok(DAV_SendMessage(&m));
      }
      break;
    case NETOP_RECEIVE_MESSAGE: {
      DAV_MSG m{};
      ok(DAV_ReceiveMessage(&m));
      if (r[1]) r.insert(r.end(), (BYTE*)&m, (BYTE*)&m + 14);
      break;
    }
    case NETOP_SET_ACTIVE_AXIS: ok(need(3) && DAV_SetActiveDrive(GetWord(&f[1]))); break;
    case NETOP_SET_HOST_AXIS: ok(need(3) && DAV_SetHostDrive(GetWord(&f[1]))); break;
    case NETOP_GET_ACTIVE_AXIS:
    case NETOP_GET_HOST_AXIS: {
      uint16_t a = 0;
      ok(op == NETOP_GET_ACTIVE_AXIS ? DAV_GetActiveDrive(&a) : DAV_GetHostDrive(&a));
      if (r[1]) PutWord(r, a);
      break;
    }
    case NETOP_CHECKSUM: {
      uint16_t sum = 0;
      ok(need(5) && DAV_CheckSum(GetWord(&f[1]), GetWord(&f[3]), &sum));
      if (r[1]) PutWord(r, sum);
      break;
    }
    case NETOP_SEND_DATA:
    case NETOP_SEND_BIG_DATA: {
      size_t at = op == NETOP_SEND_BIG_DATA ? 2 : 1;
      if (!need(at + 5)) break;
      WORD addr = GetWord(&f[at]), count = GetWord(&f[at + 3]);
      BYTE space = f[at + 2];
      if (!need(at + 5 + 2u * count)) break;
      std::vector<uint16_t> w(count);
      for (WORD i = 0; i < count; ++i) w[i] = GetWord(&f[at + 5 + 2u * i]);
      ok(op == NETOP_SEND_DATA ? DAV_SendData(w.data(), addr, space, count)
                    : DAV_SendBigData(w.data(), addr, space, count, f[1] ? Progress : nullptr, nullptr));
      break;
    }
    case NETOP_RECEIVE_DATA:
    case NETOP_RECEIVE_BIG_DATA: {
      size_t at = op == NETOP_RECEIVE_BIG_DATA ? 2 : 1;
      if (!need(at + 5)) break;
      WORD addr = GetWord(&f[at]), count = GetWord(&f[at + 3]);
      std::vector<uint16_t> w(count);
      ok(op == NETOP_RECEIVE_DATA ? DAV_ReceiveData(w.data(), addr, f[at + 2], count)
                    : DAV_ReceiveBigData(w.data(), addr, f[at + 2], count, f[1] ? Progress : nullptr, nullptr));
      if (r[1])
        for (uint16_t v : w) PutWord(r, v);
      break;
    }
    case NETOP_SET_BAUD_RATE: ok(need(5) && DAV_SetBaudRate((DWORD)f[1] | (DWORD)f[2] << 8 | (DWORD)f[3] << 16 | (DWORD)f[4] << 24)); break;
    case NETOP_DEBUG_LOG: DAV_RegisterDebugLogHandler(need(2) ? f[1] : 0, need(3) && f[2] ? Debug : nullptr); return;
    case NETOP_UNSOLICITED_MSG: DAV_RegisterReceiveUnsolicitedMsgHandler(need(2) && f[1] ? Unsolicited : nullptr); return;
    case NETOP_OPEN_CHANNEL:
      if (need(5)) {
        std::string name(f.begin() + 5, f.end());
        ok(DAV_OpenComm(name.c_str(), GetWord(&f[1]), 0, f[4]) >= 0);
      }
      break;
    case NETOP_CLOSE_CHANNEL: DAV_CloseComm(-1); ok(true); break;
    case NETOP_BYTES_IN_QUEUE: {
      int n = DAV_GetBytesCountInQueue();
      ok(n >= 0);
      for (int i = 0; i < 4; ++i) r.push_back((BYTE)((DWORD)n >> (8 * i)));
      break;
    }
    case NETOP_DRIVE_VERSION: {
      char v[32] = {};
      ok(DAV_GetDriveVersion(v));
      r.insert(r.end(), v, v + strlen(v));
      break;
    }
    case NETOP_COFF_DOWNLOAD: {
      if (!need(4)) break;
      std::string path = "/tmp/dravonix-netpeer-" + std::to_string(getpid()) + ".out";
      std::ofstream(path, std::ios::binary).write((const char*)f.data() + 4, (std::streamsize)(f.size() - 4));
      uint16_t o1 = 0, o2 = 0, o3 = 0;
      ok(DAV_COFFDownload(path.c_str(), &o1, &o2, &o3, f[1] ? Progress : nullptr, nullptr, GetWord(&f[2])));
      unlink(path.c_str());
      PutWord(r, o1);
      PutWord(r, o2);
      PutWord(r, o3);
      Say("coff " + std::to_string(f.size() - 4));
      break;
    }
    default: {
      std::string t = "Unknown request";
      r = {0};
      r.insert(r.end(), t.begin(), t.end());
      break;
    }
  }
  Reply(r);
}

void Slave::SendNextBlock() {
  if (!m_sending) return;
  char buf[1024];
  m_send.read(buf, sizeof buf);
  std::streamsize n = m_send.gcount();
  if (n > 0) {
    Bytes p{2};
    p.insert(p.end(), buf, buf + n);
    Transfer(p);
    return;
  }
  Transfer({3});
  m_send.close();
  m_sending = false;
}

void Slave::OnTransfer(const Bytes& p) {
  if (p.empty()) return;
  Say("transfer " + std::to_string(p[0]) + " " + std::to_string(p.size() - 1));
  switch (p[0]) {
    case 0:  // reply
      if (p.size() > 1 && !(p.size() == 4 && p[1] == 0)) {
        Say("reply-text " + std::string(p.begin() + 1, p.end()));
        m_sending = false;
        return;
      }
      if (m_sending) {
        // Without acknowledgements the whole file goes at once.
        while (m_sending) SendNextBlock();
      }
      return;
    case 1: {  // file offer
      auto nul = std::find(p.begin() + 5, p.end(), (BYTE)0);
      std::string name(p.begin() + 5, nul);
      if (m_refuse || nul == p.end()) {
        std::string t = "Your partner refused to receive the file";
        Bytes r{0};
        r.insert(r.end(), t.begin(), t.end());
        Transfer(r);
        return;
      }
      m_filePath = m_inbox + "/" + name;
      m_file.open(m_filePath, std::ios::binary);
      Transfer({0});
      return;
    }
    case 4: {  // folder offer: accepted with a window
      auto nul = std::find(p.begin() + 5, p.end(), (BYTE)0);
      std::string name(p.begin() + 5, nul);
      if (m_refuse || nul == p.end()) {
        std::string t = "Your partner refused to receive the folder";
        Bytes r{0};
        r.insert(r.end(), t.begin(), t.end());
        Transfer(r);
        return;
      }
      m_folder = m_inbox + "/" + name;
      mkdir(m_folder.c_str(), 0755);
      m_received = m_acked = 0;
      Transfer({0, 0, 0x00, 0x40});
      return;
    }
    case 5: {  // next file of the folder
      std::string rel(p.begin() + 1, p.end());
      for (char& ch : rel)
        if (ch == '\\') ch = '/';
      for (size_t at = rel.find('/'); at != std::string::npos; at = rel.find('/', at + 1))
        mkdir((m_folder + "/" + rel.substr(0, at)).c_str(), 0755);
      m_filePath = m_folder + "/" + rel;
      m_file.open(m_filePath, std::ios::binary);
      Transfer({0});
      return;
    }
    case 2:
    case 6:
      m_file.write((const char*)p.data() + 1, (std::streamsize)(p.size() - 1));
      m_received += p.size() - 1;
      m_maxInFlight = std::max(m_maxInFlight, m_received - m_acked);
      if (p[0] == 6 && !m_holdAcks) Acknowledge();
      return;
    case 3:
    case 7:
      m_file.close();
      Say("received " + m_filePath);
      Transfer({0});
      return;
    case 9: return;  // the partner's acknowledgement of what the slave sends
    case 8:
      Say("folder-done " + std::to_string(m_received) + " " + std::to_string(m_maxInFlight));
      Transfer({0});
      return;
    default: {
      std::string t = "Network protocol error";
      Bytes r{0};
      r.insert(r.end(), t.begin(), t.end());
      Transfer(r);
      return;
    }
  }
}

void Slave::Command(const std::string& verb, const std::string& rest) {
  s_current = this;
  if (verb == "reply") m_nextReply = FromHex(rest);
  else if (verb == "stall") m_stall = true;
  else if (verb == "answer") {
    m_stall = false;
    std::vector<Bytes> frames;
    frames.swap(m_stalled);
    for (const Bytes& f : frames) OnDriveFrame(f);
  }
  else if (verb == "closemid") m_closeMid = true;
  else if (verb == "cut") m_cut = true;
  else if (verb == "stray") {
    m_stray = FromHex(rest);
    m_sendStray = true;
  }
  else if (verb == "refuse") m_refuse = true;
  else if (verb == "accept") m_refuse = false;
  else if (verb == "inbox") m_inbox = rest;
  else if (verb == "holdacks") m_holdAcks = true;
  else if (verb == "releaseacks") {
    m_holdAcks = false;
    Acknowledge();
  } else if (verb == "stats") Say("bytes " + std::to_string(m_received) + " " + std::to_string(m_maxInFlight));
  else if (verb == "progress") Reply(FromHex(rest));
  else if (verb == "unsolicited") {
    DAV_MSG m{3, 0x10, 0x55, {1, 2, 3, 4}};
    Unsolicited(&m);
  } else if (verb == "debug") Debug(rest.c_str());
  else if (verb == "transfer") Transfer(FromHex(rest));
  else if (verb == "sendfile") {
    m_send.open(rest, std::ios::binary | std::ios::ate);
    if (!m_send) return;
    DWORD size = (DWORD)m_send.tellg();
    m_send.seekg(0);
    m_sending = true;
    std::string name = rest.substr(rest.find_last_of('/') + 1);
    Bytes p{1};
    for (int i = 0; i < 4; ++i) p.push_back((BYTE)(size >> (8 * i)));
    p.insert(p.end(), name.begin(), name.end());
    p.push_back(0);
    Transfer(p);
  }
}

}  // namespace

int main(int argc, char** argv) {
  UINT port = 0;
  int lifetime = 120;
  Server server;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--port" && i + 1 < argc) port = (UINT)atoi(argv[++i]);
    else if (a == "--lifetime" && i + 1 < argc) lifetime = atoi(argv[++i]);
    else if (a == "--slave" && i + 1 < argc) server.m_slave.m_name = argv[++i];
    else if (a == "--account" && i + 1 < argc) {
      std::string acc = argv[++i];
      size_t colon = acc.find(':');
      server.m_accounts[acc.substr(0, colon)] = colon == std::string::npos ? "" : acc.substr(colon + 1);
    }
  }
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  if (!server.Start(port)) {
    Say("error cannot listen");
    return 1;
  }
  DWORD mainThread = UiCurrentThreadId();
  // Input lines become messages of the main thread; the end of input ends the peer.
  std::thread reader([mainThread] {
    std::string line;
    while (std::getline(std::cin, line)) ::PostThreadMessage(mainThread, WM_COMMAND_LINE, 0, (LPARAM) new std::string(line));
    ::PostThreadMessage(mainThread, WM_QUIT, 0, 0);
  });
  reader.detach();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(lifetime);
  std::thread watchdog([mainThread, deadline] {
    std::this_thread::sleep_until(deadline);
    ::PostThreadMessage(mainThread, WM_QUIT, 0, 0);
  });
  watchdog.detach();
  MSG msg;
  while (::GetMessage(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != WM_COMMAND_LINE) {
      ::DispatchMessage(&msg);
      continue;
    }
    std::unique_ptr<std::string> line((std::string*)msg.lParam);
    std::string verb = line->substr(0, line->find(' '));
    std::string rest = line->find(' ') == std::string::npos ? "" : line->substr(line->find(' ') + 1);
    Connection* master = server.Master();
    if (verb == "quit") break;
    if (verb == "status" && master) master->SendPacket(0, Bytes(rest.begin(), rest.end()));
    else if (verb == "nextlist") server.m_nextList = rest;
    else if (verb == "chat" && master) master->SendPacket(1, Bytes(rest.begin(), rest.end()));
    else if (verb == "raw" && master) master->SendRaw(FromHex(rest));
    else if (verb == "close" && master) {
      master->Close();
      server.Closed(master);
    } else if (verb == "noread" && master) master->m_reading = false;
    else if (verb == "read" && master) {
      master->m_reading = true;
      master->OnReceive(0);
    } else server.m_slave.Command(verb, rest);
    Say("done " + verb);
  }
  server.m_connections.clear();
  Say("bye");
  _exit(0);
}
