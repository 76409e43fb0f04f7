// 4,096-word block reads through CMC_Comm over the net master on the loopback (net peer process with its
// simulated drive), against the same reads on the local simulator, in words per second.
#include "comm/MC_Comm.h"
#include "comm/NetMasterDlg.h"
#include "comm/NetMessage.h"
#include "comm/SocketWinThread.h"
#include "kernel/values/ConfigFile.h"
#include "platform/core/Ini.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "suite/netpeer/NetPeerProcess.h"
#include "suite/zurcomm/DriveSimulator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace {

class CHostWnd : public CWnd {
 public:
  int m_state = -1;
  LRESULT OnNetMaster(WPARAM wParam, LPARAM lParam) {
    m_state = (int)wParam;
    CMC_Comm::ReceiveNetMasterSerialMsg((int)wParam, (tagNetMessage*)lParam);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
  ON_MESSAGE(WM_NETMASTER_FRAME, &CHostWnd::OnNetMaster)
END_MESSAGE_MAP()

bool PumpUntil(const std::function<bool()>& done) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::PumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Net-master mode logged in, with a channel to the peer's slave and the drive open over it.
struct NetLink {
  CWinApp app{"dravonix"};
  CHostWnd host;
  std::unique_ptr<NetPeerProcess> peer;
  bool ok = false;
  NetLink() {
    peer = std::make_unique<NetPeerProcess>(std::vector<std::string>{"--account", "user:pass", "--slave", "b"});
    host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
    app.m_pMainWnd = &host;
    CString port;
    port.Format("%d", peer->Port());
    WritePrivateProfileString("Network", "ServerHost", "127.0.0.1", GetKernelConfigFilePath());
    WritePrivateProfileString("Network", "ServerPort", port, GetKernelConfigFilePath());
    CMC_Comm::nShowErr = 0;
    CMC_Comm::InitNetMaster();
    if (!PumpUntil([] { return CSocketWinThread::RunningWindow(); })) return;
    HWND dlg = CSocketWinThread::RunningWindow();
    ::SetWindowText(::GetDlgItem(dlg, IDC_NM_USER), "user");
    ::SetWindowText(::GetDlgItem(dlg, IDC_NM_PASSWORD), "pass");
    ::PostMessage(dlg, WM_COMMAND, IDC_NM_CONNECT, 0);
    if (!PumpUntil([this] { return host.m_state == NMS_LOGGED_IN; })) return;
    UiAutomation::AddModalLoopHandler("COpenChannelDlg", [](CWnd* d) {
      d->SetDlgItemText(IDC_OC_CLIENT, "b");
      d->PostMessage(WM_COMMAND, IDOK);
    });
    ::PostMessage(dlg, WM_COMMAND, IDC_NM_CHANNEL, 0);
    ok = PumpUntil([this] { return host.m_state == NMS_CHANNEL; }) && CMC_Comm::Open("COM1", 115200, 0, 0, 0) &&
         CMC_Comm::SetActiveBoard(1);
  }
  ~NetLink() {
    CMC_Comm::ExitNetMaster();
    app.m_pMainWnd = nullptr;
    host.DestroyWindow();
  }
};

void ReadBlocks(benchmark::State& state) {
  std::vector<WORD> block(4096);
  for (auto _ : state) {
    if (!CMC_Comm::ReceiveData(block.data(), 0x8200, 1, 4096)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * 4096);
}

void BM_LocalBlockRead4096(benchmark::State& state) {
  DriveSimulator::Reset();
  CMC_Comm::nShowErr = 0;
  CMC_Comm::Open("COM1", 115200, 0, 0, 0);
  CMC_Comm::SetActiveBoard(1);
  ReadBlocks(state);
  CMC_Comm::Close();
}
BENCHMARK(BM_LocalBlockRead4096);

void BM_NetMasterBlockRead4096(benchmark::State& state) {
  NetLink link;
  if (!link.ok) {
    state.SkipWithError("no net-master link");
    return;
  }
  ReadBlocks(state);
}
BENCHMARK(BM_NetMasterBlockRead4096)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // A kernel folder of its own: the link's address goes into its kernel.cfg.
  std::string dir = (std::filesystem::temp_directory_path() / ("dravonix-netbench-" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(dir);
  setenv("DRAVONIX_KERNEL_DIR", dir.c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
