// A setup folder that another program holds: its loads and saves wait a bounded time, then the user
// retries or gives up; and what a stopped save left is looked at once per hold.
#include "platform/core/FolderLock.h"
#include "platform/core/MessageBox.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

// Another process that takes the folder's lock and is then stopped, as in a debugger.
class StoppedHolder {
 public:
  explicit StoppedHolder(const std::string& dir) {
    if (pipe(m_held) != 0 || pipe(m_release) != 0) return;
    m_child = std::make_unique<dravonix::test::ChildProcess>([this, dir] {
      close(m_held[0]);
      close(m_release[1]);
      CFolderLock lock(dir.c_str());
      const char held = lock.IsLocked() ? 'h' : 'n';
      if (write(m_held[1], &held, 1) != 1) return std::string("not told");
      char c;
      while (read(m_release[0], &c, 1) < 0 && errno == EINTR) {
      }
      return std::string("released");
    });
    close(m_held[1]);
    close(m_release[0]);
    char held = 0;
    m_holds = read(m_held[0], &held, 1) == 1 && held == 'h' && kill(m_child->Pid(), SIGSTOP) == 0;
    close(m_held[0]);
  }
  ~StoppedHolder() { Release(); }
  bool Holds() const { return m_holds; }
  // Lets the holder go on and drop the lock; what it said at its end.
  std::string Release() {
    if (!m_child) return "";
    kill(m_child->Pid(), SIGCONT);
    close(m_release[1]);
    const std::string said = m_child->Wait();
    m_child.reset();
    return said;
  }

 private:
  int m_held[2] = {-1, -1};
  int m_release[2] = {-1, -1};
  std::unique_ptr<dravonix::test::ChildProcess> m_child;
  bool m_holds = false;
};

using dravonix::test::Entries;

class FolderInUseTest : public SetupTest {
 protected:
  void TearDown() override {
    g_dwFolderLockWait = m_wait;
    SetupTest::TearDown();
  }
  const DWORD m_wait = g_dwFolderLockWait;
};

}  // namespace

TEST_F(FolderInUseTest, AFolderAStoppedProgramHoldsIsGivenUpAfterTheWaitOrRetried) {
  const std::string dir = MakeDir("inuse", Gen3Cfg());
  SetupPtr setup(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(setup) << LastBox();
  const std::set<std::string> entries = Entries(dir);
  const std::string setupCfg = ReadBytes(dir + "/setup.cfg"), parameters = ReadBytes(dir + "/parameters.cfg");
  const std::string box = "The folder " + dir + " is in use by another program.\nChoose Retry to wait for it again.";
  const DWORD kWait = 200;
  g_dwFolderLockWait = kWait;
  StoppedHolder holder(dir);
  ASSERT_TRUE(holder.Holds());
  // Unanswered, the box gives up: the load or save fails without touching the folder.
  const struct {
    const char* what;
    std::function<bool()> act;
  } kCases[] = {
      {"load", [&] { return SetupPtr(CMC_Setup::CreateFromDirectory(dir.c_str())) != nullptr; }},
      {"save", [&] { return setup->SaveToDirectory(dir.c_str()) != 0; }},
  };
  for (const auto& c : kCases) {
    ClearBoxes();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.act()) << c.what;
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(kWait)) << c.what;
    EXPECT_LT(waited, std::chrono::milliseconds(kWait + 1000 * dravonix::test::kTimeFactor)) << c.what;
    const auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(1u, boxes.size()) << c.what;
    EXPECT_EQ(box, boxes[0].text);
    EXPECT_EQ((UINT)(MB_RETRYCANCEL | MB_ICONEXCLAMATION), boxes[0].type);
    EXPECT_EQ(IDCANCEL, boxes[0].answer);
    EXPECT_FALSE(boxes[0].scripted);
  }
  EXPECT_EQ(entries, Entries(dir));
  EXPECT_EQ(setupCfg, ReadBytes(dir + "/setup.cfg"));
  EXPECT_EQ(parameters, ReadBytes(dir + "/parameters.cfg"));
  // Retry once the holder has gone on and let go: the load goes through.
  std::string said;
  Automation::Instance().SetMessageBoxHandler([&](const char*, const char*, UINT) {
    said = holder.Release();
    return IDRETRY;
  });
  ClearBoxes();
  SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
  EXPECT_TRUE(loaded) << LastBox();
  EXPECT_EQ(std::vector<std::string>{box}, Boxes());
  EXPECT_EQ("released", said);
}

TEST_F(FolderInUseTest, OnlyTheOutermostHoldLooksAtWhatAStoppedSaveLeft) {
  const std::string dir = MakeDir("nested", Gen3Cfg());
  CConfigFolderLock outer((dir + "\\").c_str());
  // Left after the outermost hold began: no nested hold of this thread acts on it.
  WriteBytes(dir + "/~save.journal", "not a record");
  CConfigFolderLock nested((dir + "\\").c_str());
  EXPECT_FALSE(nested.IsRefused());
  EXPECT_EQ("not a record", ReadBytes(dir + "/~save.journal"));
}
