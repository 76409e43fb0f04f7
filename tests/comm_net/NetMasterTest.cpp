// Net-master mode against the net peer on the loopback: logging in, channels, the drive requests and their
// failures, transfers, and the kernel's drive work over the link giving the same results as locally.
#include "comm/MC_Comm.h"
#include "comm/NetMasterDlg.h"
#include "comm/NetMessage.h"
#include "comm/SocketWinThread.h"
#include "kernel/ConfigFile.h"
#include "platform/core/Automation.h"
#include "platform/core/Ini.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/comm_net/NetPeerProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The host's main window: hands every net-master message to the gate and remembers the states.
class CHostWnd : public CWnd {
 public:
  std::vector<int> m_states;
  LRESULT OnNetMaster(WPARAM wParam, LPARAM lParam) {
    m_states.push_back((int)wParam);
    CMC_Comm::ReceiveNetMasterSerialMsg((int)wParam, (tagNetMessage*)lParam);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
  ON_MESSAGE(WM_NETMASTER_FRAME, &CHostWnd::OnNetMaster)
END_MESSAGE_MAP()

bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms * dravonix::test::kTimeFactor);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::PumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::string WindowText(HWND h) {
  char buf[8192] = {};
  ::GetWindowText(h, buf, sizeof buf);
  return buf;
}

class NetMasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Automation::Instance().Reset();
    DialogAutomation::Reset();
    UiAutomation::Reset();
    DriveSimulator::Reset();
    m_app = std::make_unique<CWinApp>("dravonix");
    m_host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
    m_app->m_pMainWnd = &m_host;
    CMC_Comm::nShowErr = 0;
  }
  void TearDown() override {
    if (CMC_Comm::m_bNetMaster) CMC_Comm::ExitNetMaster();
    m_peer.reset();
    m_app->m_pMainWnd = nullptr;
    m_host.DestroyWindow();
    m_app.reset();
    CMC_Comm::nShowErr = MB_RETRYCANCEL;
    CMC_Comm::m_strNetLastError.Empty();
    UiAutomation::ClearModalLoopHandlers();
  }
  // Starts the peer with the accounts, points the kernel at it and starts net-master mode.
  void Start(const std::vector<std::string>& args = {"--account", "user:pass", "--slave", "b"}, int port = 0) {
    m_peer = std::make_unique<NetPeerProcess>(args);
    ASSERT_GT(m_peer->Port(), 0);
    CString ini = GetKernelConfigFilePath(), p;
    p.Format("%d", port ? port : m_peer->Port());
    WritePrivateProfileString("Network", "ServerHost", "127.0.0.1", ini);
    WritePrivateProfileString("Network", "ServerPort", p, ini);
    CMC_Comm::InitNetMaster();
    ASSERT_TRUE(CMC_Comm::m_bNetMaster);
    ASSERT_TRUE(PumpUntil([] { return CMC_Comm::m_pSockThread && CMC_Comm::m_pSockThread->m_pMainWnd; }));
    m_dlg = static_cast<CSocketWinThread*>(CMC_Comm::m_pSockThread)->GetDialog()->m_hWnd;
  }
  HWND Item(int id) const { return ::GetDlgItem(m_dlg, id); }
  void Type(int id, const char* text) { ::SetWindowText(Item(id), text); }
  void Click(int id) { ::PostMessage(m_dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id)); }
  bool WaitState(int state) {
    return PumpUntil([&] {
      for (size_t i = m_seen; i < m_host.m_states.size(); ++i)
        if (m_host.m_states[i] == state) {
          m_seen = i + 1;
          return true;
        }
      return false;
    });
  }
  std::string Log() const { return WindowText(Item(IDC_NM_MESSAGES)); }
  void LogIn(const char* user = "user", const char* pass = "pass") {
    Type(IDC_NM_USER, user);
    Type(IDC_NM_PASSWORD, pass);
    Click(IDC_NM_CONNECT);
  }
  // Logs in and opens the channel to the peer's slave; `list` is what the server offers.
  void OpenChannel(const std::string& list = "a,b", const char* choose = "b") {
    LogIn();
    ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
    m_peer->Command("nextlist " + list);
    UiAutomation::AddModalLoopHandler("COpenChannelDlg", [this, choose](CWnd* dlg) {
      auto* combo = static_cast<CComboBox*>(dlg->GetDlgItem(IDC_OC_CLIENT));
      m_channelChoices.clear();
      for (int i = 0; i < combo->GetCount(); ++i) {
        CString s;
        combo->GetLBText(i, s);
        m_channelChoices.push_back(s.GetString());
      }
      dlg->SetDlgItemText(IDC_OC_CLIENT, choose);
      dlg->PostMessage(WM_COMMAND, IDOK);
    });
    Click(IDC_NM_CHANNEL);
    ASSERT_TRUE(WaitState(NMS_CHANNEL));
  }
  // Opens the drive over the channel as the host would.
  void OpenDrive() { ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0)) << CMC_Comm::GetLastErrorText().GetString(); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> t;
    for (const auto& b : Automation::Instance().MessageBoxes()) t.push_back(b.text);
    return t;
  }

  std::unique_ptr<CWinApp> m_app;
  CHostWnd m_host;
  std::unique_ptr<NetPeerProcess> m_peer;
  HWND m_dlg = nullptr;
  size_t m_seen = 0;
  std::vector<std::string> m_channelChoices;
};

TEST_F(NetMasterTest, LogInAndChannelFollowTheStates) {
  Start();
  EXPECT_EQ("&Connect", WindowText(Item(IDC_NM_CONNECT)));
  Click(IDC_NM_CONNECT);
  ASSERT_TRUE(PumpUntil([&] { return !BoxTexts().empty(); }));
  EXPECT_EQ("You must enter your user name and password before attempting to connect", BoxTexts()[0]);
  LogIn();
  ASSERT_TRUE(WaitState(NMS_CONNECTING));
  ASSERT_TRUE(WaitState(NMS_LOGGING_IN));
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  EXPECT_EQ("packet 000900757365720070617373", m_peer->WaitFor("packet 00"));
  EXPECT_EQ("&Disconnect", WindowText(Item(IDC_NM_CONNECT)));
  m_peer->Command("nextlist a,b");
  UiAutomation::AddModalLoopHandler("COpenChannelDlg", [this](CWnd* dlg) {
    auto* combo = static_cast<CComboBox*>(dlg->GetDlgItem(IDC_OC_CLIENT));
    for (int i = 0; i < combo->GetCount(); ++i) {
      CString s;
      combo->GetLBText(i, s);
      m_channelChoices.push_back(s.GetString());
    }
    dlg->SetDlgItemText(IDC_OC_CLIENT, "b");
    dlg->PostMessage(WM_COMMAND, IDOK);
  });
  Click(IDC_NM_CHANNEL);
  ASSERT_TRUE(WaitState(NMS_LIST_REQUESTED));
  ASSERT_TRUE(WaitState(NMS_OPENING_CHANNEL));
  ASSERT_TRUE(WaitState(NMS_CHANNEL));
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), m_channelChoices);
  EXPECT_EQ("packet 03010062", m_peer->WaitFor("packet 03"));
  EXPECT_EQ(1, CMC_Comm::m_bNetChannelUp);
  // A status text ends the channel: state 4 and the text in the log.
  m_peer->Command("status Server going down");
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  EXPECT_NE(std::string::npos, Log().find("Server going down"));
  EXPECT_EQ(0, CMC_Comm::m_bNetChannelUp);
}

TEST_F(NetMasterTest, WrongPasswordAndMissingServer) {
  Start({"--account", "user:pass"});
  LogIn("user", "nope");
  ASSERT_TRUE(WaitState(NMS_LOGGING_IN));
  ASSERT_TRUE(WaitState(NMS_IDLE));
  EXPECT_NE(std::string::npos, Log().find("Wrong user name or password"));
  CMC_Comm::ExitNetMaster();
  EXPECT_EQ(nullptr, CMC_Comm::m_pSockThread);

  // No server on the port: the connect fails and the state goes back to 0.
  int closedPort;
  {
    NetPeerProcess probe({});
    closedPort = probe.Port();
  }
  m_peer.reset();
  Start({"--account", "user:pass"}, closedPort);
  m_seen = m_host.m_states.size();
  LogIn();
  ASSERT_TRUE(WaitState(NMS_CONNECTING));
  ASSERT_TRUE(WaitState(NMS_IDLE));
  EXPECT_NE(std::string::npos, Log().find("Network error while trying to connect"));
}

TEST_F(NetMasterTest, RequestsNeedAChannelAndCheckTheirReplies) {
  Start();
  // Without a channel the operation fails at once and nothing is posted.
  CMC_Comm::m_bOpen = 1;
  WORD axis = 0;
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  EXPECT_EQ("You must first establish a channel with a slave", std::string(CMC_Comm::GetLastErrorText()));
  LogIn();
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  // Below state 8 the window answers a drive request with the state and the peer sees nothing.
  auto* frame = new BYTE[1]{0x10};
  size_t before = m_host.m_states.size();
  ::PostMessage(m_dlg, WM_NETMASTER_FRAME, 1, (LPARAM)frame);
  ASSERT_TRUE(PumpUntil([&] { return m_host.m_states.size() > before; }));
  EXPECT_EQ(NMS_LOGGED_IN, m_host.m_states.back());
  EXPECT_FALSE(m_peer->Saw("frame"));
  Click(IDC_NM_CONNECT);
  ASSERT_TRUE(WaitState(NMS_IDLE));
  m_seen = m_host.m_states.size();

  OpenChannel();
  OpenDrive();
  struct Case {
    const char* reply;
    const char* text;
  } cases[] = {
      {"0701", "Network Protocol Error! The peer does not understand my communication protocol."},
      {"0062757379", "busy"},
      {"00", "Network Protocol Error! The peer does not understand my communication protocol."},
  };
  for (const Case& c : cases) {
    m_peer->Command(std::string("reply ") + c.reply);
    EXPECT_FALSE(CMC_Comm::GetHostBoard(axis)) << c.reply;
    EXPECT_EQ(c.text, std::string(CMC_Comm::GetLastErrorText())) << c.reply;
  }
  // The error box shows the peer's text.
  CMC_Comm::nShowErr = MB_RETRYCANCEL;
  Automation::Instance().ClearMessageBoxes();
  m_peer->Command("reply 0062757379");
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  ASSERT_FALSE(BoxTexts().empty());
  EXPECT_EQ("Communication Error:\n\nbusy", BoxTexts()[0]);
  CMC_Comm::nShowErr = 0;
  OpenDrive();
  // A short reply fails under the retry discipline: Retry asks again and the second answer is right.
  CMC_Comm::nShowErr = MB_RETRYCANCEL;
  Automation::Instance().PushMessageBoxAnswer(IDRETRY);
  m_peer->Command("reply 1201");
  EXPECT_TRUE(CMC_Comm::GetHostBoard(axis));
  CMC_Comm::nShowErr = 0;
  // Word counts the frame cannot carry fail before anything is sent.
  std::vector<WORD> words(32765);
  EXPECT_FALSE(CMC_Comm::ReceiveData(words.data(), 0x8000, 1, 32765));
  EXPECT_EQ("The request does not fit into one network frame of 65535 bytes", std::string(CMC_Comm::GetLastErrorText()));
}

TEST_F(NetMasterTest, ProgressQuestionsAreAnsweredAndCoffFilesAreLimited) {
  Start();
  OpenChannel();
  OpenDrive();
  m_peer->Command("stall");
  std::vector<int> codes;
  auto callback = +[](int code, const char*, float, void* user) {
    static_cast<std::vector<int>*>(user)->push_back(code);
    return code != 2;
  };
  std::thread feeder([this] {
    m_peer->WaitFor("frame 1C");
    m_peer->Command("progress 0201000000004F4B");
    m_peer->Command("progress 0202000000003F");
    m_peer->Command("progress 020300004842");
    m_peer->Command("progress 020400004842");
    m_peer->Command("answer");
  });
  std::vector<WORD> words(100);
  EXPECT_TRUE(CMC_Comm::ReceiveBigData(words.data(), 0x8000, 1, 100, callback, &codes));
  feeder.join();
  // The peer's four reports come first; the drive's own progress follows.
  ASSERT_GE(codes.size(), 4u);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), std::vector<int>(codes.begin(), codes.begin() + 4));
  EXPECT_EQ("answer 0201", m_peer->WaitFor("answer"));
  EXPECT_EQ("answer 0200", m_peer->WaitFor("answer"));
  EXPECT_EQ("", m_peer->WaitFor("answer", 300));

  std::string dir = dravonix::test::ScratchDir("coff");
  std::ofstream(dir + "/max.out", std::ios::binary) << std::string(65531, 'x');
  std::ofstream(dir + "/big.out", std::ios::binary) << std::string(65532, 'x');
  WORD o1, o2, o3;
  CMC_Comm::COFFDownload((dir + "/max.out").c_str(), &o1, &o2, &o3, nullptr, nullptr, 0);
  EXPECT_EQ("coff 65531", m_peer->WaitFor("coff"));
  EXPECT_FALSE(CMC_Comm::COFFDownload((dir + "/big.out").c_str(), &o1, &o2, &o3, nullptr, nullptr, 0));
  EXPECT_EQ("Cannot download over the network files bigger than 65531 bytes",
            std::string(CMC_Comm::GetLastErrorText()));
  EXPECT_EQ("", m_peer->WaitFor("coff", 300));

  // With the thread gone, leaving net-master mode does not wait.
  CWinThread* thread = CMC_Comm::m_pSockThread;
  CMC_Comm::ExitNetMaster();
  EXPECT_EQ(nullptr, CMC_Comm::m_pSockThread);
  (void)thread;
  CMC_Comm::m_bNetMaster = 1;
  auto start = std::chrono::steady_clock::now();
  CMC_Comm::ExitNetMaster();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

}  // namespace
