// Net-master mode against the net peer on the loopback: logging in, channels, the drive requests and their
// failures, transfers, and the kernel's drive work over the link giving the same results as locally.
#include "comm/MC_Comm.h"
#include "comm/NetMasterDlg.h"
#include "comm/NetMessage.h"
#include "comm/SocketWinThread.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/core/Automation.h"
#include "platform/core/Ini.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/support/PumpUntil.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "suite/coff/CoffWriter.h"
#include "suite/netpeer/NetPeerProcess.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"
#include "tests/support/WindowPicture.h"

#include "platform/core/FileSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The host's main window: hands every net-master message to the gate and remembers the states.
class CHostWnd : public CWnd {
 public:
  std::vector<int> m_states;
  int m_keys = 0;
  LRESULT OnKey(WPARAM, LPARAM) { return ++m_keys, 0; }
  LRESULT OnNetMaster(WPARAM wParam, LPARAM lParam) {
    m_states.push_back((int)wParam);
    CMC_Comm::ReceiveNetMasterSerialMsg((int)wParam, (tagNetMessage*)lParam);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
  ON_MESSAGE(WM_NETMASTER_FRAME, &CHostWnd::OnNetMaster)
  ON_MESSAGE(WM_KEYDOWN, &CHostWnd::OnKey)
END_MESSAGE_MAP()

bool PumpUntil(const std::function<bool()>& done, int ms = 10000) { return dravonix::test::PumpUntil(done, ms); }

// The names the channel dialog offers.
std::vector<std::string> ComboItems(CWnd* dlg) {
  std::vector<std::string> items;
  int count = (int)dlg->SendDlgItemMessage(IDC_OC_CLIENT, CB_GETCOUNT);
  for (int i = 0; i < count; ++i) {
    char buf[256] = {};
    dlg->SendDlgItemMessage(IDC_OC_CLIENT, CB_GETLBTEXT, (WPARAM)i, (LPARAM)buf);
    items.push_back(buf);
  }
  return items;
}

std::string WindowText(HWND h) {
  std::string text((size_t)::GetWindowTextLength(h) + 1, '\0');
  text.resize((size_t)::GetWindowText(h, text.data(), (int)text.size()));
  return text;
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
    CMC_Comm::m_dwNetReplyTimeout = 10000;
    CMC_Comm::m_strNetLastError.Empty();
    UiAutomation::ClearModalLoopHandlers();
  }
  // Starts the peer with the accounts, points the kernel at it and starts net-master mode.
  void Start(const std::vector<std::string>& args = {"--account", "user:pass", "--slave", "b"}, int port = 0) {
    m_peer = std::make_unique<NetPeerProcess>(args, dravonix::test::kTimeFactor);
    ASSERT_GT(m_peer->Port(), 0);
    CString ini = GetKernelConfigFilePath(), p;
    p.Format("%d", port ? port : m_peer->Port());
    WritePrivateProfileString("Network", "ServerHost", "127.0.0.1", ini);
    WritePrivateProfileString("Network", "ServerPort", p, ini);
    CMC_Comm::InitNetMaster();
    ASSERT_TRUE(CMC_Comm::m_bNetMaster);
    ASSERT_TRUE(PumpUntil([] { return CSocketWinThread::RunningWindow() != nullptr; }));
    m_dlg = CSocketWinThread::RunningWindow();
  }
  HWND Item(int id) const { return ::GetDlgItem(m_dlg, id); }
  void Type(int id, const char* text) { ::SetWindowText(Item(id), text); }
  void Click(int id) { ::PostMessage(m_dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id)); }
  // The user's own input, queued to the dialog's thread as the hardware gives it.
  void UserClick(int id) {
    RECT r;
    ::GetClientRect(Item(id), &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMouseInput(Item(id), WM_LBUTTONDOWN, MK_LBUTTON, POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)});
    PostMouseInput(Item(id), WM_LBUTTONUP, 0, POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)});
  }
  // The keys go to the thread whose window the click brought to the foreground, as its focus takes them.
  void UserType(int id, const char* text) {
    UserClick(id);
    ASSERT_TRUE(PumpUntil([this] { return ::GetForegroundWindow() == m_dlg; }));
    UiAutomation::TypeText(text);
  }
  // Pixels of the dialog that differ from a full repaint, once its thread has drawn what it has queued.
  int PixelsOff() {
    PumpUntil([] { return false; }, 100);
    return (int)UiCallOnWindowThread(m_dlg, [this] { return (LRESULT)dravonix::test::PixelsOffFullRepaint(m_dlg); });
  }
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
      m_channelChoices = ComboItems(dlg);
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
    m_channelChoices = ComboItems(dlg);
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

TEST_F(NetMasterTest, AClientListWhileTheApplicationIsInactiveFlashesTheWindow) {
  Start();
  LogIn();
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  auto* dlg = static_cast<CNetMasterDlg*>(CWnd::FromHandlePermanent(m_dlg));
  auto flashing = [&] { return UiCallOnWindowThread(m_dlg, [&] { return (LRESULT)dlg->IsFlashing(); }) != 0; };
  CMC_Comm::OnActivateApp(FALSE, 1);  // another application took the activation
  ASSERT_TRUE(PumpUntil([&] { return UiCallOnWindowThread(m_dlg, [&] { return (LRESULT)dlg->IsAppInactive(); }) != 0; }));
  EXPECT_FALSE(flashing());
  bool flashingAtList = false;
  m_peer->Command("nextlist a,b");
  UiAutomation::AddModalLoopHandler("COpenChannelDlg", [&](CWnd* d) {
    flashingAtList = dlg->IsFlashing();
    d->PostMessage(WM_COMMAND, IDCANCEL);
  });
  Click(IDC_NM_CHANNEL);
  ASSERT_TRUE(WaitState(NMS_LIST_REQUESTED));
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  EXPECT_TRUE(flashingAtList);
  CMC_Comm::OnActivateApp(TRUE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !flashing(); }));
}

TEST_F(NetMasterTest, TheDialogPicturesItsLogInMessages) {
  Start();
  LogIn();
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  EXPECT_EQ(0u, Log().find("Connected to server\nWaiting for log in..."));
  // The dialog and its log belong to the net-master thread, which paints them for the picture.
  UiCallOnWindowThread(m_dlg, [&] { return (LRESULT)::ShowWindow(m_dlg, SW_SHOWNOACTIVATE); });
  ASSERT_TRUE(SaveWindowImage(m_dlg, dravonix::test::OutputPath("net-master-log.png").c_str()));
  HWND log = Item(IDC_NM_MESSAGES);
  RECT rc;
  ::GetClientRect(log, &rc);
  auto count = [&](int top, int bottom, bool dark) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < rc.right; ++x) {
        const COLORREF c = GetWindowPixel(log, POINT{x, y});
        n += dark ? (GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128) : c == RGB(255, 255, 255);
      }
    return n;
  };
  // Text in the first two lines, white below the log's lines.
  EXPECT_GT(count(0, 30, true), 50);
  EXPECT_EQ(count(rc.bottom - 20, rc.bottom, false), 20 * rc.right);
}

// Typing into the edits and clicking the buttons as a user does: each step's state, texts, what the peer got,
// and the picture against a full repaint.
TEST_F(NetMasterTest, TheUserLogsInChatsAndDisconnectsThroughTheWindow) {
  Start();
  Type(IDC_NM_USER, "");
  UiCallOnWindowThread(m_dlg, [&] { return (LRESULT)::ShowWindow(m_dlg, SW_SHOWNOACTIVATE); });
  auto settled = [this] { return PumpUntil([] { return false; }, 150), true; };
  struct Step {
    const char* what;
    std::function<void()> input;
    std::function<bool()> done;
    const char* connect;  // the connect button's text afterwards
    const char* user;     // the user name edit's text afterwards
    const char* chat;
    const char* peer;     // the line the peer logs for it, or null
  } steps[] = {
      {"connect without a password", [&] { UserClick(IDC_NM_CONNECT); },
       [&] { return PumpUntil([&] { return BoxTexts().size() == 1; }); }, "&Connect", "", "", nullptr},
      {"type the name and password, connect", [&] { UserType(IDC_NM_USER, "user"), UserType(IDC_NM_PASSWORD, "pass"), UserClick(IDC_NM_CONNECT); },
       [&] { return WaitState(NMS_LOGGED_IN); }, "&Disconnect", "user", "", "packet 000900757365720070617373"},
      {"the name is read-only once logged in", [&] { UserType(IDC_NM_USER, "x"); }, settled, "&Disconnect", "user", "", nullptr},
      {"sending a file needs a channel", [&] { UserClick(IDC_NM_SENDFILE); }, settled, "&Disconnect", "user", "", nullptr},
      {"say", [&] { UserType(IDC_NM_CHAT, "hello"), UserClick(IDC_NM_SAY); }, settled, "&Disconnect", "user", "", "say hello"},
      {"shout", [&] { UserType(IDC_NM_CHAT, "all"), UserClick(IDC_NM_SHOUT); }, settled, "&Disconnect", "user", "", "shout all"},
      {"say by its mnemonic", [&] { UserType(IDC_NM_CHAT, "hi"), UiAutomation::PressKey('S', UiAutomation::kAlt); }, settled,
       "&Disconnect", "user", "", "say hi"},
      {"shout by its mnemonic", [&] { UserType(IDC_NM_CHAT, "yo"), UiAutomation::PressKey('H', UiAutomation::kAlt); }, settled,
       "&Disconnect", "user", "", "shout yo"},
      {"say by Enter", [&] { UserType(IDC_NM_CHAT, "en"), UiAutomation::PressKey(VK_RETURN); }, settled, "&Disconnect",
       "user", "", "say en"},
      {"an empty chat sends nothing", [&] { UserClick(IDC_NM_SAY); }, settled, "&Disconnect", "user", "", nullptr},
      {"clear the messages", [&] { UserClick(IDC_NM_CLEAR); }, [&] { return PumpUntil([&] { return Log().empty(); }); },
       "&Disconnect", "user", "", nullptr},
      {"disconnect", [&] { UserClick(IDC_NM_CONNECT); }, [&] { return WaitState(NMS_IDLE); }, "&Connect", "user", "", nullptr},
      {"the password typed, connect by its mnemonic",
       [&] {
         UserType(IDC_NM_PASSWORD, "");
         UiAutomation::PressKey(VK_HOME), UiAutomation::PressKey(VK_END, UiAutomation::kShift);
         UiAutomation::TypeText("pass"), UiAutomation::PressKey('C', UiAutomation::kAlt);
       },
       [&] { return WaitState(NMS_LOGGED_IN); }, "&Disconnect", "user", "", nullptr},
      {"disconnect by its mnemonic", [&] { UiAutomation::PressKey('D', UiAutomation::kAlt); },
       [&] { return WaitState(NMS_IDLE); }, "&Connect", "user", "", nullptr},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.input();
    ASSERT_TRUE(s.done());
    EXPECT_EQ(s.connect, WindowText(Item(IDC_NM_CONNECT)));
    EXPECT_EQ(s.user, WindowText(Item(IDC_NM_USER)));
    EXPECT_EQ(s.chat, WindowText(Item(IDC_NM_CHAT)));
    if (s.peer) {
      EXPECT_EQ(s.peer, m_peer->WaitFor(std::string(s.peer).substr(0, 5)));
    }
    EXPECT_EQ(0, PixelsOff());
  }
  EXPECT_EQ(std::vector<std::string>{"You must enter your user name and password before attempting to connect"}, BoxTexts());
  EXPECT_EQ("", m_peer->WaitFor("say", 100));
  EXPECT_TRUE(UiAutomation::StalledModalLoops().empty());
}

// Every route through the channel dialog ends as the click on OK or Cancel does: the name asked
// for, or nothing, and the dialog still open where a key only closes the list or the name is empty.
TEST_F(NetMasterTest, EveryRouteThroughTheChannelDialogEndsAsItsClick) {
  Start();
  LogIn();
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  using Act = std::function<void(CWnd*)>;
  auto keys = [](std::vector<std::pair<UINT, UINT>> ks) {
    return [ks](CWnd*) {
      for (auto [vk, mod] : ks) UiAutomation::PressKey(vk, mod);
    };
  };
  auto pick = [](const char* t) { return [t](CWnd* d) { DialogAutomation::SelectItem(d, IDC_OC_CLIENT, t); }; };
  auto type = [](const char* t) { return [t](CWnd* d) { DialogAutomation::TypeInto(d, IDC_OC_CLIENT, t); }; };
  auto click = [](int id) { return [id](CWnd* d) { DialogAutomation::ClickControl(d, id); }; };
  const UINT alt = UiAutomation::kAlt;
  const struct {
    const char* what;
    std::vector<Act> first;  // the dialog is still open after these
    std::vector<Act> then;
    const char* asked;       // the peer's line, "" for none
  } routes[] = {
      {"an entry clicked, OK clicked", {pick("c")}, {click(IDOK)}, "open c"},
      {"an entry clicked, Enter", {pick("d")}, {keys({{VK_RETURN, 0}})}, "open d"},
      {"Alt+Down, Down, Enter", {keys({{VK_DOWN, alt}, {VK_DOWN, 0}, {VK_RETURN, 0}})}, {keys({{VK_RETURN, 0}})}, "open c"},
      {"Down on the closed list, Enter", {keys({{VK_DOWN, 0}})}, {keys({{VK_RETURN, 0}})}, "open c"},
      {"End in the field, OK clicked", {keys({{VK_END, 0}})}, {click(IDOK)}, "open a"},
      {"typed, Home, Delete, Enter", {type("zzy"), keys({{VK_HOME, 0}, {VK_DELETE, 0}})}, {keys({{VK_RETURN, 0}})}, "open zy"},
      {"typed, End, Backspace, Enter", {type("zzy"), keys({{VK_END, 0}, {VK_BACK, 0}})}, {keys({{VK_RETURN, 0}})}, "open zz"},
      {"typed, Enter", {type("zz")}, {keys({{VK_RETURN, 0}})}, "open zz"},
      {"typed between blanks, OK clicked", {type(" zz ")}, {click(IDOK)}, "open zz"},
      {"F4, Escape, Escape", {keys({{VK_F4, 0}, {VK_ESCAPE, 0}})}, {keys({{VK_ESCAPE, 0}})}, ""},
      {"typed, Escape", {type("zz")}, {keys({{VK_ESCAPE, 0}})}, ""},
      {"typed, Cancel clicked", {type("zz")}, {click(IDCANCEL)}, ""},
      {"emptied, Enter, Cancel", {type(""), keys({{VK_DELETE, 0}, {VK_RETURN, 0}})}, {click(IDCANCEL)}, ""},
  };
  for (const auto& r : routes) {
    SCOPED_TRACE(r.what);
    m_peer->Command("nextlist a,c,d");
    bool openBetween = false;
    UiAutomation::AddModalLoopHandler("COpenChannelDlg", [&](CWnd* dlg) {
      for (const Act& a : r.first) a(dlg);
      openBetween = (dlg->m_nFlags & WF_CONTINUEMODAL) != 0;
      for (const Act& a : r.then) a(dlg);
      if (dlg->m_nFlags & WF_CONTINUEMODAL) dlg->PostMessage(WM_COMMAND, IDCANCEL);
    });
    Click(IDC_NM_CHANNEL);
    ASSERT_TRUE(WaitState(NMS_LIST_REQUESTED));
    ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
    EXPECT_TRUE(openBetween);
    EXPECT_EQ(r.asked, m_peer->WaitFor("open ", *r.asked ? 10000 : 200));
  }
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
    NetPeerProcess probe({}, dravonix::test::kTimeFactor);
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
  const std::string kProtocol = "Network Protocol Error! The peer does not understand my communication protocol.";
  // The peer's error text, a reply too short or without its text: the box tells why.
  struct Case {
    const char* reply;
    std::string text;
  } cases[] = {
      {"0062757379", "busy"},
      {"00", kProtocol},
      {"12", kProtocol},
      {"1201", kProtocol},
  };
  CMC_Comm::nShowErr = MB_OKCANCEL;
  for (const Case& c : cases) {
    Automation::Instance().ClearMessageBoxes();
    Automation::Instance().PushMessageBoxAnswer(IDOK);
    m_peer->Command(std::string("reply ") + c.reply);
    EXPECT_FALSE(CMC_Comm::GetHostBoard(axis)) << c.reply;
    ASSERT_EQ(1u, BoxTexts().size()) << c.reply;
    EXPECT_EQ("Communication Error:\n\n" + c.text, BoxTexts()[0]) << c.reply;
  }
  CMC_Comm::nShowErr = 0;
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

// What the drive work of the kernel gives: the same locally and over the net master.
struct DriveResults {
  std::vector<WORD> words, big;
  int sendProgress = 0, receiveProgress = 0;
  CByteArray errorCodes;
  CWordArray errorWords, axes;
  CStringArray firmware;
  WORD coff[3] = {};
  WORD configId = 0;
  CString productId;
  int parameters = 0;
};

void DriveWork(const std::string& coffFile, DriveResults& r) {
  auto progress = +[](int code, const char*, float, void* user) {
    if (code >= 3) ++*static_cast<int*>(user);
    return true;
  };
  EXPECT_TRUE(CMC_Comm::SetActiveBoard(1));
  std::vector<WORD> words(64), big(20000);
  for (size_t i = 0; i < words.size(); ++i) words[i] = (WORD)(0x1000 + i * 7);
  for (size_t i = 0; i < big.size(); ++i) big[i] = (WORD)(i * 31 + 5);
  EXPECT_TRUE(CMC_Comm::SendData(words.data(), 0x8000, 1, (WORD)words.size()));
  r.words.resize(words.size());
  EXPECT_TRUE(CMC_Comm::ReceiveData(r.words.data(), 0x8000, 1, (WORD)words.size()));
  EXPECT_TRUE(CMC_Comm::SendBigData(big.data(), 0x8100, 1, (WORD)big.size(), progress, &r.sendProgress));
  r.big.resize(big.size());
  EXPECT_TRUE(CMC_Comm::ReceiveBigData(r.big.data(), 0x8100, 1, (WORD)big.size(), progress, &r.receiveProgress));
  EXPECT_EQ(big, r.big);
  CMC_Comm::GetMotionControllerLastErrors(r.errorCodes, r.errorWords);
  EXPECT_TRUE(CMC_Comm::ScanNetwork(r.axes, r.firmware));
  EXPECT_TRUE(CMC_Comm::COFFDownload(coffFile.c_str(), &r.coff[0], &r.coff[1], &r.coff[2], nullptr, nullptr, 0x4000));
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  EXPECT_TRUE(setup && setup->SaveToActiveBoard());
  if (setup) CMC_Setup::Destroy(setup);
  CMC_Setup* back = CMC_Setup::CreateFromActiveBoard(nullptr);
  EXPECT_TRUE(back);
  if (back) {
    r.configId = back->GetConfigID();
    r.productId = back->GetProductID();
    r.parameters = back->GetParameters().GetSize();
    CMC_Setup::Destroy(back);
  }
}

TEST_F(NetMasterTest, DriveWorkOverTheNetGivesTheLocalResults) {
  coff::Writer w;
  coff::Section text;
  text.name = ".text";
  text.loadAddress = text.runAddress = 0x4000;
  for (int i = 0; i < 40; ++i) text.words.push_back((uint16_t)(0x7000 + i));
  w.AddSection(text);
  std::string file = dravonix::test::ScratchDir("net-coff") + "/prog.out";
  ASSERT_TRUE(w.WriteFile(file));

  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  DriveResults local, net;
  DriveWork(file, local);
  CMC_Comm::Close();

  Start();
  OpenChannel();
  OpenDrive();
  DriveWork(file, net);
  EXPECT_EQ(local.words, net.words);
  EXPECT_EQ(local.big, net.big);
  EXPECT_GT(net.sendProgress, 0);
  EXPECT_GT(net.receiveProgress, 0);
  EXPECT_EQ(local.errorCodes.GetSize(), net.errorCodes.GetSize());
  ASSERT_EQ(local.axes.GetSize(), net.axes.GetSize());
  for (int i = 0; i < local.axes.GetSize(); ++i) {
    EXPECT_EQ(local.axes[i], net.axes[i]);
    EXPECT_EQ(local.firmware[i], net.firmware[i]);
  }
  EXPECT_EQ(std::vector<WORD>(local.coff, local.coff + 3), std::vector<WORD>(net.coff, net.coff + 3));
  EXPECT_EQ(local.configId, net.configId);
  EXPECT_EQ(local.productId, net.productId);
  EXPECT_EQ(local.parameters, net.parameters);

  // Unsolicited messages and debug texts reach their handlers through the host's main window.
  static DAV_MSG s_msg;
  static std::string s_debug;
  CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(+[](DAV_MSG* m) { s_msg = *m; });
  CMC_Comm::RegisterDebugLogHandler(1, +[](const char* t) { s_debug = t; });
  m_peer->WaitFor("frame 1E");
  m_peer->Command("unsolicited");
  m_peer->Command("debug drive says hello");
  ASSERT_TRUE(PumpUntil([] { return s_msg.opcode == 0x55 && !s_debug.empty(); }));
  EXPECT_EQ(4, s_msg.data[3]);
  EXPECT_EQ("drive says hello", s_debug);
  CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(nullptr);
  CMC_Comm::RegisterDebugLogHandler(0, nullptr);
}

using dravonix::test::ReadFileText;

std::string HexOf(const std::string& s) {
  std::string h;
  char b[4];
  for (unsigned char c : s) {
    snprintf(b, sizeof b, "%02X", c);
    h += b;
  }
  return h;
}

TEST_F(NetMasterTest, FilesAndFoldersGoToThePartner) {
  Start();
  OpenChannel();
  std::string dir = dravonix::test::ScratchDir("net-send"), inbox = dravonix::test::ScratchDir("net-inbox");
  m_peer->Command("inbox " + inbox);
  std::ofstream(dir + "/empty.zip").close();
  // A refused offer: the partner's text is shown and both sides are back in the channel.
  m_peer->Command("refuse");
  DialogAutomation::PushFileDialogResult((dir + "/empty.zip").c_str());
  Click(IDC_NM_SENDFILE);
  ASSERT_TRUE(WaitState(NMS_SENDING));
  ASSERT_TRUE(WaitState(NMS_CHANNEL));
  EXPECT_NE(std::string::npos, Log().find("Your partner refused to receive the file"));
  // A 0-byte file ends at once.
  m_peer->Command("accept");
  DialogAutomation::PushFileDialogResult((dir + "/empty.zip").c_str());
  Click(IDC_NM_SENDFILE);
  ASSERT_TRUE(WaitState(NMS_SENDING));
  ASSERT_TRUE(WaitState(NMS_CHANNEL));
  EXPECT_EQ("received " + inbox + "/empty.zip", m_peer->WaitFor("received"));
  EXPECT_TRUE(fs::exists(inbox + "/empty.zip"));
  EXPECT_EQ(0u, fs::file_size(inbox + "/empty.zip"));

  // A folder tree arrives byte for byte, never more than the window beyond the acknowledged count.
  fs::create_directories(dir + "/tree/sub/deeper");
  std::string big(70000, '\0'), small = "small file";
  for (size_t i = 0; i < big.size(); ++i) big[i] = (char)(i * 7 % 251);
  std::ofstream(dir + "/tree/a.bin", std::ios::binary) << big;
  std::ofstream(dir + "/tree/sub/b.txt", std::ios::binary) << small;
  std::ofstream(dir + "/tree/sub/deeper/c.bin", std::ios::binary) << big.substr(0, 5000);
  m_peer->Command("holdacks");
  DialogAutomation::PushFolderResult((dir + "/tree").c_str());
  Click(IDC_NM_SENDFOLDER);
  ASSERT_TRUE(WaitState(NMS_SENDING));
  PumpUntil([] { return false; }, 300);
  m_peer->Command("stats");
  EXPECT_EQ("bytes 16384 16384", m_peer->WaitFor("bytes"));
  m_peer->Command("releaseacks");
  ASSERT_TRUE(WaitState(NMS_CHANNEL));
  std::string done = m_peer->WaitFor("folder-done");
  EXPECT_EQ("folder-done 75010", done.substr(0, 17));
  EXPECT_EQ(big, ReadFileText(inbox + "/tree/a.bin"));
  EXPECT_EQ(small, ReadFileText(inbox + "/tree/sub/b.txt"));
  EXPECT_EQ(big.substr(0, 5000), ReadFileText(inbox + "/tree/sub/deeper/c.bin"));
}

TEST_F(NetMasterTest, ReceivedNamesStayInTheChosenFolderAndAbortsDeleteTheFile) {
  Start();
  OpenChannel();
  std::string dir = dravonix::test::ScratchDir("net-receive");
  // Offers whose names leave the folder are refused without a question.
  for (std::string name : {"..\\x", "C:\\x", "\\x"}) {
    m_peer->Command("transfer 0105000000" + HexOf(name) + "00");
    EXPECT_EQ("reply-text Network protocol error", m_peer->WaitFor("reply-text")) << name;
  }
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_TRUE(fs::is_empty(dir));
  // An offer without its NUL is a protocol error too.
  m_peer->Command("transfer 01050000007878");
  EXPECT_EQ("reply-text Network protocol error", m_peer->WaitFor("reply-text"));

  // Over an existing file: accepted, then a status ends the transfer: state 4, the old file as it was and no
  // partial file beside it.
  const std::string target = dir + "/part.zip";
  std::ofstream(target, std::ios::binary) << "the old contents";
  auto files = [&] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    return names;
  };
  Automation::Instance().PushMessageBoxAnswer(IDYES);  // receive it
  Automation::Instance().PushMessageBoxAnswer(IDYES);  // replace the file
  DialogAutomation::PushFileDialogResult(target.c_str());
  m_peer->Command("transfer 0110000000" + HexOf("part.zip") + "000040");
  ASSERT_TRUE(WaitState(NMS_RECEIVING));
  ASSERT_FALSE(BoxTexts().empty());
  EXPECT_EQ("Do you want to receive a file named part.zip (size 16)?", BoxTexts()[0]);
  m_peer->Command("transfer 026162636465");
  ASSERT_EQ("transfer 9 4", m_peer->WaitFor("transfer 9")) << Log();
  EXPECT_EQ("the old contents", ReadFileText(target));
  m_peer->Command("status channel lost");
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  EXPECT_EQ("the old contents", ReadFileText(target));
  EXPECT_EQ(std::vector<std::string>{"part.zip"}, files());

  // A complete file takes the old one's place.
  Click(IDC_NM_CONNECT);
  ASSERT_TRUE(WaitState(NMS_IDLE));
  OpenChannel();
  Automation::Instance().PushMessageBoxAnswer(IDYES);  // receive it
  Automation::Instance().PushMessageBoxAnswer(IDYES);  // replace the file
  DialogAutomation::PushFileDialogResult(target.c_str());
  m_peer->Command("transfer 0105000000" + HexOf("part.zip") + "00");
  ASSERT_TRUE(WaitState(NMS_RECEIVING));
  m_peer->Command("transfer 026162636465");
  // On the disk before it takes the old one's place, and the folder after.
  static std::vector<std::string> s_synced;
  s_synced.clear();
  g_pfnSyncStep = [](const char* path) { s_synced.push_back(fs::path(path).filename().string().substr(0, 14)); };
  m_peer->Command("transfer 03");
  ASSERT_TRUE(WaitState(NMS_CHANNEL));
  g_pfnSyncStep = nullptr;
  EXPECT_EQ("abcde", ReadFileText(target));
  EXPECT_EQ(std::vector<std::string>{"part.zip"}, files());
  EXPECT_EQ(s_synced, (std::vector<std::string>{"part.zip.~dvx-", fs::path(dir).filename().string().substr(0, 14)}));
}

TEST_F(NetMasterTest, APeerThatStallsDropsOrSendsGarbageEndsTheRequest) {
  const char* kLost = "The connection to the net server was lost";
  Start();
  OpenChannel();
  OpenDrive();
  WORD axis = 0;
  // Garbage of an unknown code is dropped; the link goes on.
  m_peer->Command("raw 090300414243");
  EXPECT_TRUE(CMC_Comm::GetHostBoard(axis));
  // A stalled peer is left by the user's Disconnect; the waiting request ends: the connection is gone.
  m_peer->Command("stall");
  std::thread user([this] {
    m_peer->WaitFor("frame 12");
    ::PostMessage(m_dlg, WM_COMMAND, MAKEWPARAM(IDC_NM_CONNECT, BN_CLICKED), (LPARAM)Item(IDC_NM_CONNECT));
  });
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  user.join();
  EXPECT_EQ(kLost, std::string(CMC_Comm::GetLastErrorText()));
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
  m_peer->Command("answer");

  // A peer that closes in the middle of a reply: the connection ends and so does the request, and the next one.
  m_seen = m_host.m_states.size();
  OpenChannel();
  OpenDrive();
  m_peer->Command("closemid");
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  EXPECT_EQ(kLost, std::string(CMC_Comm::GetLastErrorText()));
  ASSERT_TRUE(WaitState(NMS_IDLE));
  EXPECT_NE(std::string::npos, Log().find("Connection closed"));
  CMC_Comm::m_bOpen = 1;
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  EXPECT_EQ(kLost, std::string(CMC_Comm::GetLastErrorText()));
  // Connected again but without a channel: the channel text.
  LogIn();
  ASSERT_TRUE(WaitState(NMS_LOGGED_IN));
  CMC_Comm::m_bOpen = 1;
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  EXPECT_EQ("You must first establish a channel with a slave", std::string(CMC_Comm::GetLastErrorText()));
}

TEST_F(NetMasterTest, AFrozenPeersRequestFailsWithinItsTimeOut) {
  Start();
  OpenChannel();
  OpenDrive();
  std::vector<WORD> a(8, 0x1111), b(8, 0x2222), got(8);
  ASSERT_TRUE(CMC_Comm::SendData(a.data(), 0x8000, 1, 8));
  ASSERT_TRUE(CMC_Comm::SendData(b.data(), 0x8100, 1, 8));
  const DWORD kTimeout = 400;
  CMC_Comm::m_dwNetReplyTimeout = kTimeout;
  CMC_Comm::nShowErr = MB_OKCANCEL;
  Automation::Instance().PushMessageBoxAnswer(IDOK);
  m_peer->Command("stall");
  // Should the wait have no limit, the peer is woken after a while so that the test ends.
  std::promise<void> finished;
  std::thread waker([this, f = finished.get_future()] {
    if (f.wait_for(std::chrono::seconds(3 * dravonix::test::kTimeFactor)) == std::future_status::timeout)
      m_peer->Command("answer");
  });
  auto start = std::chrono::steady_clock::now();
  const bool read = CMC_Comm::ReceiveData(got.data(), 0x8000, 1, 8);
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  finished.set_value();
  waker.join();
  EXPECT_FALSE(read);
  EXPECT_GE(waited.count(), (long)kTimeout);
  EXPECT_LT(waited.count(), (long)(kTimeout + 1000) * dravonix::test::kTimeFactor);
  ASSERT_FALSE(BoxTexts().empty());
  EXPECT_EQ("Communication Error:\n\nTime-out: the slave does not answer over the network", BoxTexts()[0]);
  EXPECT_TRUE(CMC_Comm::IsCommOpen());
  // Once the peer answers, the next request goes through with its own reply, not the late one.
  CMC_Comm::nShowErr = 0;
  m_peer->Command("answer");
  // A key the user presses meanwhile waits for the request's end.
  ::PostMessage(m_host.m_hWnd, WM_KEYDOWN, 'A', 1);
  ASSERT_TRUE(CMC_Comm::ReceiveData(got.data(), 0x8100, 1, 8));
  EXPECT_EQ(b, got);
  EXPECT_EQ(0, m_host.m_keys);
  ::PumpMessages();
  EXPECT_EQ(1, m_host.m_keys);
}

TEST_F(NetMasterTest, AStrayFrameShiftsNoLaterReply) {
  Start();
  OpenChannel();
  OpenDrive();
  CMC_Comm::m_dwNetReplyTimeout = 400;
  const WORD addresses[] = {0x8100, 0x8200, 0x8300, 0x8400, 0x8500};
  auto wordsAt = [](WORD address) {
    std::vector<WORD> w(4);
    for (size_t i = 0; i < w.size(); ++i) w[i] = (WORD)(address + i);
    return w;
  };
  for (WORD a : addresses) ASSERT_TRUE(CMC_Comm::SendData(wordsAt(a).data(), a, 1, 4));
  // Sent unasked just before the first read's reply: an empty frame, a wrong echo, a message nobody asked for.
  for (const char* stray : {"", "0701", "1F03001000550001000200030004"}) {
    m_peer->Command(std::string("stray ") + stray);
    for (WORD a : addresses) {
      std::vector<WORD> got(4);
      EXPECT_TRUE(CMC_Comm::ReceiveData(got.data(), a, 1, 4)) << stray << " " << std::hex << a;
      EXPECT_EQ(wordsAt(a), got) << stray << " " << std::hex << a;
    }
  }
  // A peer that answers with a wrong echo instead of the reply: the request ends within its time-out, and the
  // reads after it get their own words.
  WORD axis = 0;
  m_peer->Command("reply 0701");
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  EXPECT_EQ("Network Protocol Error! The peer does not understand my communication protocol.",
            std::string(CMC_Comm::GetLastErrorText()));
  for (WORD a : addresses) {
    std::vector<WORD> got(4);
    EXPECT_TRUE(CMC_Comm::ReceiveData(got.data(), a, 1, 4)) << std::hex << a;
    EXPECT_EQ(wordsAt(a), got) << std::hex << a;
  }
  EXPECT_TRUE(CMC_Comm::GetHostBoard(axis));
}

TEST_F(NetMasterTest, AReplyOfTheWrongKindFailsOnlyItsOwnRequest) {
  Start();
  OpenChannel();
  OpenDrive();
  const long kTimeout = 400;
  CMC_Comm::m_dwNetReplyTimeout = kTimeout;
  std::vector<WORD> words{1, 2, 3, 4};
  ASSERT_TRUE(CMC_Comm::SendData(words.data(), 0x8100, 1, 4));
  // A read answered with the baud rate's reply.
  m_peer->Command("reply 07010096000000");
  std::vector<WORD> got(4);
  EXPECT_FALSE(CMC_Comm::ReceiveData(got.data(), 0x8100, 1, 4));
  // Every later request gets its own reply at once, reads of the same kind first.
  for (const char* step : {"read", "read", "read", "write", "read", "read"}) {
    const bool write = std::string(step) == "write";
    if (write) words = {5, 6, 7, 8};
    got.assign(4, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(write ? CMC_Comm::SendData(words.data(), 0x8100, 1, 4) : CMC_Comm::ReceiveData(got.data(), 0x8100, 1, 4))
        << step << " " << CMC_Comm::GetLastErrorText().GetString();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kTimeout)) << step;
    if (!write) {
      EXPECT_EQ(words, got) << step;
    }
  }
}

TEST_F(NetMasterTest, ACutPacketEndsTheConnectionAndTheUserReconnects) {
  Start();
  OpenChannel();
  OpenDrive();
  CMC_Comm::m_dwNetReplyTimeout = 400;
  CMC_Comm::nShowErr = MB_OKCANCEL;
  Automation::Instance().PushMessageBoxAnswer(IDOK);
  m_peer->Command("cut");
  WORD axis = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(CMC_Comm::GetHostBoard(axis));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400 * dravonix::test::kTimeFactor));
  ASSERT_EQ(1u, BoxTexts().size());
  EXPECT_EQ("Communication Error:\n\nThe connection to the net server was lost", BoxTexts()[0]);
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
  ASSERT_TRUE(WaitState(NMS_IDLE));
  EXPECT_NE(std::string::npos, Log().find("The connection to the net server was lost"));
  // Connected again, the link frames its packets anew.
  CMC_Comm::nShowErr = 0;
  OpenChannel();
  OpenDrive();
  EXPECT_TRUE(CMC_Comm::GetHostBoard(axis));
}

// The window runs on its own thread: its frame drag holds the mouse there even where the pointer leaves it.
TEST_F(NetMasterTest, TheUserSizesTheMasterWindowByItsCornerAndClosesTheChannel) {
  Start();
  OpenChannel();
  auto captured = [this] { return UiCallOnWindowThread(m_dlg, [] { return (LRESULT)::GetCapture(); }); };
  auto dragCorner = [&](int dx, int dy) {
    CRect w;
    ::GetWindowRect(m_dlg, &w);
    const POINT from{w.right - 2, w.bottom - 2};
    PostMouseInput(WM_MOUSEMOVE, 0, from);
    PostMouseInput(WM_LBUTTONDOWN, MK_LBUTTON, from);
    EXPECT_TRUE(PumpUntil([&] { return captured() == (LRESULT)m_dlg; }));
    for (int i = 1; i <= 4; ++i)
      PostMouseInput(WM_MOUSEMOVE, MK_LBUTTON, POINT{from.x + dx * i / 4, from.y + dy * i / 4});
    PostMouseInput(WM_LBUTTONUP, 0, POINT{from.x + dx, from.y + dy});
    EXPECT_TRUE(PumpUntil([&] { return captured() == 0; }, 2000));
  };
  auto clientRight = [this](int id) {
    CRect r, c;
    ::GetWindowRect(Item(id), &r);
    ::GetClientRect(m_dlg, &c);
    POINT edge{c.right, 0};
    ::ClientToScreen(m_dlg, &edge);
    return edge.x - r.right;
  };
  CRect initial;
  ::GetWindowRect(m_dlg, &initial);
  const int gap = clientRight(IDC_NM_CHANNEL);
  dragCorner(80, 50);
  CRect grown;
  ::GetWindowRect(m_dlg, &grown);
  EXPECT_EQ(CSize(initial.Width() + 80, initial.Height() + 50), grown.Size());
  EXPECT_EQ(gap, clientRight(IDC_NM_CHANNEL));
  dragCorner(-2000, -2000);
  CRect least;
  ::GetWindowRect(m_dlg, &least);
  EXPECT_EQ(CSize(initial.Width() / 2, initial.Height()), least.Size());
  EXPECT_EQ(gap, clientRight(IDC_NM_CHANNEL));
  UserClick(IDC_NM_CHANNEL);
  EXPECT_TRUE(WaitState(NMS_CLOSING_CHANNEL));
}

TEST_F(NetMasterTest, TheMasterWindowShowsAndKeepsItsLayoutWhenResized) {
  Start();
  EXPECT_TRUE(::IsWindowVisible(m_dlg));
  auto onDialog = [this](const std::function<void()>& fn) {
    UiCallOnWindowThread(m_dlg, [&] {
      fn();
      return (LRESULT)0;
    });
  };
  auto rectOf = [this](int id) {
    CRect r;
    ::GetWindowRect(Item(id), &r);
    POINT tl{r.left, r.top};
    ::ScreenToClient(m_dlg, &tl);
    return CRect(CPoint(tl), r.Size());
  };
  const int ids[] = {IDC_NM_CONNECT, IDC_NM_CHANNEL, IDC_NM_SENDFILE, IDC_NM_SENDFOLDER, IDC_NM_CLEAR,
                     IDC_NM_MESSAGES, IDC_NM_PROGRESS, IDC_NM_CHAT, IDC_NM_SAY, IDC_NM_SHOUT, IDC_NM_USER};
  std::map<int, CRect> before;
  for (int id : ids) before[id] = rectOf(id);
  CRect window;
  ::GetWindowRect(m_dlg, &window);
  MINMAXINFO mmi{};
  onDialog([&] { ::SendMessage(m_dlg, WM_GETMINMAXINFO, 0, (LPARAM)&mmi); });
  EXPECT_EQ(window.Width() / 2, mmi.ptMinTrackSize.x);
  EXPECT_EQ(window.Height(), mmi.ptMinTrackSize.y);

  const int dx = 120, dy = 70;
  onDialog([&] {
    ::SetWindowPos(m_dlg, nullptr, 0, 0, window.Width() + dx, window.Height() + dy, SWP_NOMOVE | SWP_NOZORDER);
  });
  // Buttons move with the right edge; the messages grow both ways; the bottom row moves down.
  struct Expect {
    int id, left, top, right, bottom;
  } expect[] = {
      {IDC_NM_CONNECT, dx, 0, dx, 0},  {IDC_NM_CHANNEL, dx, 0, dx, 0}, {IDC_NM_SENDFILE, dx, 0, dx, 0},
      {IDC_NM_SENDFOLDER, dx, 0, dx, 0}, {IDC_NM_CLEAR, dx, 0, dx, 0}, {IDC_NM_MESSAGES, 0, 0, dx, dy},
      {IDC_NM_PROGRESS, 0, dy, dx, dy}, {IDC_NM_CHAT, 0, dy, 0, dy},  {IDC_NM_SAY, 0, dy, 0, dy},
      {IDC_NM_SHOUT, 0, dy, 0, dy},    {IDC_NM_USER, 0, 0, 0, 0},
  };
  for (const Expect& e : expect) {
    const CRect& b = before[e.id];
    EXPECT_EQ(CRect(b.left + e.left, b.top + e.top, b.right + e.right, b.bottom + e.bottom), rectOf(e.id)) << e.id;
  }

  // The application's activation reaches the window through the gate.
  auto inactive = [this] {
    return UiCallOnWindowThread(m_dlg, [] {
      auto* t = static_cast<CSocketWinThread*>(CMC_Comm::m_pSockThread.load());
      return (LRESULT)t->GetDialog()->IsAppInactive();
    });
  };
  onDialog([&] { ::SendMessage(m_dlg, WM_ACTIVATEAPP, FALSE, 4242); });
  EXPECT_TRUE(PumpUntil([&] { return inactive() == 1; }));
  onDialog([&] { ::SendMessage(m_dlg, WM_ACTIVATEAPP, TRUE, 4242); });
  EXPECT_TRUE(PumpUntil([&] { return inactive() == 0; }));
}

// A flood of chat from the server: the user's window is painted and takes its keys all the while, each wait
// for the log's text a fraction of a second, and every line reaches the log in its order.
TEST_F(NetMasterTest, AChatFloodKeepsTheWindowAnswering) {
  Start();
  OpenChannel();
  const int kLines = 3000;
  std::string packets, expected;
  for (int i = 0; i < kLines; ++i) {
    const std::string line = "c" + std::to_string(i) + "\n";
    packets += HexOf(std::string{1, (char)line.size(), 0} + line);
    expected += line;
  }
  m_host.SetWindowPos(nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_SHOWWINDOW);
  UiAutomation::Click(m_host.m_hWnd, CPoint(50, 50));
  const int keys = m_host.m_keys;
  int pressed = 0;
  const HWND log = Item(IDC_NM_MESSAGES);
  const size_t full = (size_t)::GetWindowTextLength(log) + expected.size();
  m_peer->Command("raw " + packets);
  auto longest = std::chrono::steady_clock::duration::zero();
  const auto begin = std::chrono::steady_clock::now(), end = begin + std::chrono::seconds(20 * dravonix::test::kTimeFactor);
  for (size_t length = 0; length < full && std::chrono::steady_clock::now() < end;) {
    const auto start = std::chrono::steady_clock::now();
    m_host.Invalidate();
    UiAutomation::PressKey(VK_SPACE), ++pressed;
    length = (size_t)::GetWindowTextLength(log);
    longest = std::max(longest, std::chrono::steady_clock::now() - start);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // a user's pace, not a busy poll
  }
  EXPECT_LT(longest, std::chrono::milliseconds(250 * dravonix::test::kTimeFactor));
  EXPECT_NE(std::string::npos, Log().find(expected));
  EXPECT_EQ(keys + pressed, m_host.m_keys);
}

// The server writes chat far faster than the master window's thread reads it: all the while that window is
// painted and takes the user's keys within a fraction of a second, and every line reaches the log in its order.
TEST_F(NetMasterTest, AChatFloodLeavesTheMasterWindowPaintingAndTakingKeys) {
  using Clock = std::chrono::steady_clock;
  Start();
  OpenChannel();
  UiCallOnWindowThread(m_dlg, [&] { return (LRESULT)::ShowWindow(m_dlg, SW_SHOWNOACTIVATE); });
  UserType(IDC_NM_CHAT, "");
  const HWND chat = Item(IDC_NM_CHAT), log = Item(IDC_NM_MESSAGES);
  std::string packets, expected;
  for (int i = 0; i < (dravonix::test::kTimeFactor > 1 ? 15000 : 40000); ++i) {
    const std::string line = "f" + std::to_string(i) + "\n";
    packets += HexOf(std::string{1, (char)line.size(), 0} + line);
    expected += line;
  }
  const size_t full = (size_t)::GetWindowTextLength(log) + expected.size();
  m_peer->Command("raw " + packets);
  auto longest = Clock::duration::zero();
  std::string typed;
  const auto end = Clock::now() + std::chrono::seconds(60);
  while ((size_t)::GetWindowTextLength(log) < full && Clock::now() < end) {
    const auto asked = Clock::now();
    ::InvalidateRect(m_dlg, nullptr, TRUE);
    UiAutomation::TypeText("x"), typed += "x";
    while (Clock::now() < end && (WindowText(chat) != typed || ::GetUpdateRect(m_dlg, nullptr, FALSE) ||
                                  ::GetUpdateRect(chat, nullptr, FALSE)))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    longest = std::max(longest, Clock::now() - asked);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a user's pace
  }
  EXPECT_LT(longest, std::chrono::milliseconds(500));
  EXPECT_NE(std::string::npos, Log().find(expected));
}

}  // namespace
