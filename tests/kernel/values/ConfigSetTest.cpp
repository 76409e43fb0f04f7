// Sets of files replaced as one: what a stopped save, a lost name, a failed sync or a planted record
// leaves the next hold of the folder's lock.
#include "kernel/values/ConfigFile.h"

#include "kernel/document/KernelGlobals.h"
#include "platform/core/Automation.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/SyncedStates.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

const Files kOld = {{"a.cfg", "old a"}, {"b.cfg", "old b"}, {"c.cfg", "old c"}};
const Files kNew = {{"a.cfg", "new a, longer"}, {"b.cfg", "new b, longer"}, {"c.cfg", "new c, longer"}};

class ConfigSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bShowErrors = TRUE;
    Automation::Instance().Reset();
  }
  void TearDown() override {
    g_pfnConfigCommitStep = nullptr;
    g_pfnSyncFault = nullptr;
    Automation::Instance().Reset();
  }

  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
    return texts;
  }
  static void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  static std::string Folder(const std::string& name, const Files& files) {
    const std::string dir = fs::canonical(dravonix::test::ScratchDir(name)).string();
    for (auto& [file, bytes] : files) Write(dir + "/" + file, bytes);
    return dir;
  }
  static Files Read(const std::string& dir) {
    Files files;
    for (auto& e : fs::directory_iterator(dir))
      files[e.path().filename().string()] = dravonix::test::ReadFileText(e.path().string());
    return files;
  }
  // Saves `files` into `dir` as one set, under the folder's lock as every saver does.
  static int Save(const std::string& dir, const Files& files) {
    CConfigFolderLock lock(dir.c_str());
    if (lock.IsRefused()) return 0;
    std::vector<std::unique_ptr<CConfigFileWriter>> writers;
    std::vector<CConfigFileWriter*> set;
    for (auto& [name, bytes] : files) {
      writers.push_back(std::make_unique<CConfigFileWriter>((dir + "/" + name).c_str(), CConfigFileWriter::kSetMember));
      set.push_back(writers.back().get());
      const std::string& b = bytes;
      if (!set.back()->WriteEntries(1, [&](FILE* f, int) { return fwrite(b.data(), 1, b.size(), f) == b.size() ? 1 : 0; }))
        return 0;
    }
    return CommitConfigFiles(dir.c_str(), set);
  }
};

int g_configStopAt = -2;

// Saves `files` into `dir` in a process of its own, killed at the commit step `stopAt`.
void SaveKilledAt(int stopAt, const std::string& dir, const Files& files, int (*save)(const std::string&, const Files&)) {
  dravonix::test::InChildProcess([&] {
    g_configStopAt = stopAt;
    g_pfnConfigCommitStep = [](int step) {
      if (step == g_configStopAt) raise(SIGKILL);
    };
    return std::to_string(save(dir, files));
  });
}

const char kUnfinished[] = "Cannot complete or undo an interrupted save in folder ";
const char kIoError[] = "The request could not be performed because of an I/O device error.";

TEST_F(ConfigSetTest, ARecordWhoseTemporariesAPowerCutLostIsUndoneWhenNoTargetIsNew) {
  const struct {
    const char* what;
    std::set<std::string> lost;  // targets whose temporary lost its name
  } kCases[] = {
      {"the first", {"a.cfg"}},
      {"the last", {"c.cfg"}},
      {"all but one", {"a.cfg", "c.cfg"}},
  };
  for (const auto& c : kCases) {
    const std::string dir = Folder("lost-temporary", kOld);
    // Stopped with the record and every temporary in place, before the first target is replaced.
    dravonix::test::InChildProcess([&] {
      g_configStopAt = 0;
      g_pfnConfigCommitStep = [](int step) {
        if (step == g_configStopAt) raise(SIGKILL);
      };
      return std::to_string(Save(dir, kNew));
    });
    ASSERT_TRUE(fs::exists(dir + "/~save.journal")) << c.what;
    for (auto& e : fs::directory_iterator(dir)) {
      const std::string name = e.path().filename().string();
      for (const std::string& target : c.lost)
        if (IsSaveTempName(name, target)) fs::remove(e.path());
    }
    Automation::Instance().ClearMessageBoxes();
    CConfigFolderLock lock(dir.c_str());
    EXPECT_FALSE(lock.IsRefused()) << c.what;
    EXPECT_EQ(Boxes(), std::vector<std::string>{}) << c.what;
    EXPECT_EQ(Read(dir), kOld) << c.what;
  }
}

TEST_F(ConfigSetTest, ATargetChangedAfterAStopIsNeverTakenForItsOldFile) {
  // The first target edited in place once the save was killed after 0 to 3 replacements, or before
  // its record went.
  const struct {
    const char* what;
    std::function<std::string(const std::string&)> edit;
  } kEdits[] = {
      {"same size", [](const std::string& bytes) { return std::string(bytes.size(), 'x'); }},
      {"cut", [](const std::string& bytes) { return bytes.substr(0, bytes.size() / 2); }},
  };
  for (const auto& e : kEdits)
    for (int step = 0; step <= 4; ++step) {
      const std::string dir = Folder("edited", kOld);
      SaveKilledAt(step, dir, kNew, Save);
      const std::string a = dir + "/a.cfg", edit = e.edit(dravonix::test::ReadFileText(a));
      std::fstream(a, std::ios::in | std::ios::out | std::ios::binary) << edit;
      fs::resize_file(a, edit.size());
      const Files edited = Read(dir);
      Automation::Instance().ClearMessageBoxes();
      CConfigFolderLock lock(dir.c_str());
      // Killed before any replacement, the record's temporaries complete the set.
      if (step == 0) {
        EXPECT_FALSE(lock.IsRefused()) << e.what << " " << step;
        EXPECT_EQ(Read(dir), kNew) << e.what << " " << step;
        continue;
      }
      EXPECT_TRUE(lock.IsRefused()) << e.what << " " << step;
      EXPECT_EQ(Boxes(), std::vector<std::string>{kUnfinished + dir + "! The data is invalid."}) << e.what << " " << step;
      EXPECT_EQ(Read(dir), edited) << e.what << " " << step;
    }
}

TEST_F(ConfigSetTest, AStoppedSetHoldingFilesThatDoNotChangeLoadsWholeOld) {
  const Files kOnlyAChanges = {{"a.cfg", "new a, longer"}, {"b.cfg", "old b"}, {"c.cfg", "old c"}};
  const struct {
    const char* what;
    // Done once the save was killed before its first replacement: a record naming unchanged files
    // (as earlier saves wrote one) is made by giving b.cfg its new content as its old one.
    bool unchangedInRecord;
    // The old copies were not made yet (a power cut before them), and b.cfg's temporary lost too.
    bool beforeCopies;
  } kCases[] = {{"a save of unchanged files", false, false},
                {"a record naming an unchanged file", true, false},
                {"a record naming an unchanged file, stopped before its copies", true, true}};
  for (const auto& c : kCases) {
    const std::string dir = Folder("unchanged", kOld);
    SaveKilledAt(0, dir, c.unchangedInRecord ? kNew : kOnlyAChanges, Save);
    ASSERT_TRUE(fs::exists(dir + "/~save.journal")) << c.what;
    Files expected = kOld;
    if (c.unchangedInRecord) {
      fs::remove(dir + "/b.cfg");
      fs::remove(dir + "/b.cfg.~dvx-old");
      Write(dir + "/b.cfg", kNew.at("b.cfg"));
      fs::create_hard_link(dir + "/b.cfg", dir + "/b.cfg.~dvx-old");
      expected["b.cfg"] = kNew.at("b.cfg");
    }
    // The temporary of the file that changes lost.
    for (auto& f : fs::directory_iterator(dir)) {
      const std::string name = f.path().filename().string();
      if (IsSaveTempName(name, "a.cfg") || (c.beforeCopies && (IsSaveTempName(name, "b.cfg") || name.ends_with(".~dvx-old"))))
        fs::remove(f.path());
    }
    Automation::Instance().ClearMessageBoxes();
    CConfigFolderLock lock(dir.c_str());
    EXPECT_FALSE(lock.IsRefused()) << c.what;
    EXPECT_EQ(Boxes(), std::vector<std::string>{}) << c.what;
    EXPECT_EQ(Read(dir), expected) << c.what;
  }
}

// Fails the sync whose index in the call is `s_fail` with EIO, counting every sync in `s_syncs`.
std::vector<std::string> s_syncs;
int s_fail = -1;
int FailOneSync(const char* path) {
  s_syncs.push_back(path);
  return (int)s_syncs.size() - 1 == s_fail ? EIO : 0;
}

TEST_F(ConfigSetTest, EachSyncOfASaveThatFailsFailsItWithItsBoxAndTheFolderLoadsWhole) {
  g_pfnSyncFault = FailOneSync;
  const std::string counted = Folder("sync-each-counted", kOld);
  s_syncs.clear();
  s_fail = -1;
  ASSERT_EQ(1, Save(counted, kNew));
  const std::vector<std::string> syncs = s_syncs;
  ASSERT_EQ(syncs.size(), 7u);  // three files, the record, the folder twice after it
  for (s_fail = 0; s_fail < (int)syncs.size(); ++s_fail) {
    const std::string dir = Folder("sync-each", kOld), failed = syncs[(size_t)s_fail];
    // The box names the file whose temporary failed, else the set's first.
    std::string named = "a.cfg";
    for (const char* target : {"b.cfg", "c.cfg"})
      if (IsSaveTempName(failed.substr(failed.rfind('/') + 1), target)) named = target;
    s_syncs.clear();
    Automation::Instance().ClearMessageBoxes();
    EXPECT_EQ(0, Save(dir, kNew)) << failed;
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot write in file " + dir + "/" + named + "! " + kIoError}) << failed;
    const int at = s_fail;
    s_fail = -1;
    {
      CConfigFolderLock lock(dir.c_str());
      EXPECT_FALSE(lock.IsRefused()) << failed;
    }
    const Files loaded = Read(dir);
    EXPECT_TRUE(loaded == kOld || loaded == kNew) << failed;
    s_fail = at;
  }
}

TEST_F(ConfigSetTest, ALoadCompletingAStoppedSaveKeepsItsRecordUntilTheRemovalIsOnTheDisk) {
  g_pfnSyncFault = FailOneSync;
  // Killed after its first replacement, or before its record went; the load's syncs before and
  // after the record's removal fail in turn.
  for (const int stopAt : {1, 4})
    for (const int failing : {0, 1}) {
      const std::string at = std::to_string(stopAt) + " " + std::to_string(failing);
      const std::string dir = Folder("sync-completing", kOld);
      s_fail = -1;
      SaveKilledAt(stopAt, dir, kNew, Save);
      s_syncs.clear();
      s_fail = failing;
      CConfigFolderLock lock(dir.c_str());
      s_fail = -1;
      EXPECT_FALSE(lock.IsRefused()) << at;
      EXPECT_EQ(s_syncs.size(), failing == 0 ? 1u : 2u) << at;
      EXPECT_EQ(fs::exists(dir + "/~save.journal"), failing == 0) << at;
      // A save under the same hold finds the set complete and drops the record first.
      Automation::Instance().ClearMessageBoxes();
      EXPECT_EQ(1, Save(dir, kOld)) << at;
      EXPECT_EQ(Boxes(), std::vector<std::string>{}) << at;
      EXPECT_EQ(Read(dir), kOld) << at;
    }
}

TEST_F(ConfigSetTest, ARecordNamingMoreBytesThanAnySetWritesIsSetAsideUnread) {
  const struct {
    const char* what;
    std::vector<unsigned long long> sizes;
  } kCases[] = {
      {"one file of 32 GB", {32ull << 30}},
      {"two files of 200 MB", {200ull << 20, 200ull << 20}},
  };
  for (const auto& c : kCases) {
    const std::string dir = Folder("huge-record", kOld);
    std::string record;
    const char* const kTargets[] = {"a.cfg", "b.cfg"};
    for (size_t i = 0; i < c.sizes.size(); ++i) {
      const std::string temp = std::string(kTargets[i]) + ".~dvx-aaaaaa";
      Write(dir + "/" + temp, "");
      fs::resize_file(dir + "/" + temp, c.sizes[i]);  // sparse: nothing on the disk
      record += temp + "\t" + kTargets[i] + "\t\t" + std::to_string(c.sizes[i]) + "\t0123456789abcdef\r\n";
    }
    Write(dir + "/~save.journal", record + "end\r\n");
    const auto start = std::chrono::steady_clock::now();
    {
      CConfigFolderLock lock(dir.c_str());
      EXPECT_FALSE(lock.IsRefused()) << c.what;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1) * dravonix::test::kTimeFactor) << c.what;
    EXPECT_EQ(Boxes(), std::vector<std::string>{}) << c.what;
    EXPECT_FALSE(fs::exists(dir + "/~save.journal")) << c.what;
    EXPECT_TRUE(fs::exists(dir + "/~save.journal.~dvx-aside")) << c.what;
    for (auto& [name, bytes] : kOld) EXPECT_EQ(bytes, dravonix::test::ReadFileText(dir + "/" + name)) << c.what;
    fs::remove_all(dir);
  }
}

TEST_F(ConfigSetTest, AFailedSyncOfTheFolderFailsTheSaveWithItsBoxAndTheFolderStaysLoadable) {
  static std::string s_dir;
  static int s_error = 0;
  static bool s_armed = false;
  g_pfnSyncFault = [](const char* path) { return s_armed && s_dir == path ? s_error : 0; };
  const struct {
    int error;
    const char* cause;
  } kCases[] = {
      {ENOSPC, "There is not enough space on the disk."},
      {EFBIG, "There is not enough space on the disk."},
      {EIO, "The request could not be performed because of an I/O device error."},
  };
  for (const auto& c : kCases) {
    s_error = c.error;
    // A set: the folder's sync after its last rename fails.
    s_dir = Folder("sync-fails", kOld);
    s_armed = false;
    g_pfnConfigCommitStep = [](int step) { s_armed = s_armed || step == 2; };
    Automation::Instance().ClearMessageBoxes();
    EXPECT_EQ(0, Save(s_dir, kNew)) << c.error;
    g_pfnConfigCommitStep = nullptr;
    s_armed = false;
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot write in file " + s_dir + "/a.cfg! " + c.cause}) << c.error;
    {
      CConfigFolderLock lock(s_dir.c_str());
      EXPECT_FALSE(lock.IsRefused()) << c.error;
    }
    EXPECT_EQ(Read(s_dir), kNew) << c.error;
    // A single file: the sync of its folder after the rename fails.
    s_dir = Folder("sync-fails-single", {{"one.txt", "old"}});
    Automation::Instance().ClearMessageBoxes();
    CConfigFileWriter writer((s_dir + "/one.txt").c_str());
    ASSERT_TRUE(writer.WriteEntries(1, [](FILE* f, int) { return fputs("new", f) >= 0 ? 1 : 0; }));
    s_armed = true;
    EXPECT_EQ(0, writer.Commit()) << c.error;
    s_armed = false;
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot write in file " + s_dir + "/one.txt! " + c.cause}) << c.error;
    EXPECT_EQ(Read(s_dir), (Files{{"one.txt", "new"}})) << c.error;
  }
}

TEST_F(ConfigSetTest, ASaveListsTheFolderOnlyWhereAKilledSaveLeftASign) {
  // Killed before its record was in place, in a process of its own; the next save, in another,
  // finds its temporaries under their first names.
  const std::string dir = Folder("killed-before-record", kOld);
  for (const int stopAt : {-1, -2}) {
    const std::string result = dravonix::test::InChildProcess([&] {
      g_configStopAt = stopAt;
      g_pfnConfigCommitStep = [](int step) {
        if (step == g_configStopAt) raise(SIGKILL);
      };
      return std::to_string(Save(dir, kNew));
    });
    EXPECT_EQ(result.rfind(stopAt == -1 ? "child failed: signal 9" : "1", 0), 0u) << result;
  }
  EXPECT_EQ(Read(dir), kNew);
  // A temporary under another name is left only by a save killed while another save of its target
  // ran: the next save does not list the folder for it, unless the first name is taken too.
  const std::string drawn = dir + "/a.cfg.~dvx-k3j9x2";
  Write(drawn, "left");
  ASSERT_EQ(1, Save(dir, kOld));
  EXPECT_TRUE(fs::exists(drawn));
  Write(FirstSaveTempName(dir + "/b.cfg"), "left");
  ASSERT_EQ(1, Save(dir, kNew));
  EXPECT_EQ(Read(dir), (Files{{"a.cfg", "new a, longer"}, {"a.cfg.~dvx-k3j9x2", "left"}, {"b.cfg", "new b, longer"}, {"c.cfg", "new c, longer"}}));
  // A save that changes nothing writes no record, but still takes away what a killed one left of it.
  fs::remove(drawn);
  Write(FirstSaveTempName(dir + "/~save.journal"), "a record cut short");
  ASSERT_EQ(1, Save(dir, kNew));
  EXPECT_EQ(Read(dir), kNew);
}

TEST_F(ConfigSetTest, AUsersFilesUnderTheOldCopiesNamesOutliveASetSavedStoppedOrUndone) {
  const Files kUsers = {{"a.cfg.~dvx-old", "mine"}, {"c.cfg.~dvx-old", ""}};
  const struct {
    int stopAt;     // -2: never
    bool undone;    // after the stop, the last target is made read-only: the set is undone
    bool complete;  // the folder ends with the new set
  } kCases[] = {{-2, false, true}, {-1, false, false}, {0, true, false}, {1, true, false},
                {2, true, false}, {1, false, true},  {3, false, true}};
  for (const auto& c : kCases) {
    Files start = kOld;
    start.insert(kUsers.begin(), kUsers.end());
    const std::string dir = Folder("users-old-copy" + std::to_string(&c - kCases), start);
    SaveKilledAt(c.stopAt, dir, kNew, Save);
    if (c.undone) fs::permissions(dir + "/c.cfg", fs::perms::owner_write, fs::perm_options::remove);
    { CConfigFolderLock lock(dir.c_str()); }
    fs::permissions(dir + "/c.cfg", fs::perms::owner_write, fs::perm_options::add);
    Files expected = c.complete ? kNew : kOld;
    expected.insert(kUsers.begin(), kUsers.end());
    Files left = Read(dir);
    std::erase_if(left, [](auto& f) { return f.first.ends_with(".~dvx-000000"); });  // swept by the next save
    EXPECT_EQ(left, expected) << c.stopAt << c.undone;
  }
}

TEST_F(ConfigSetTest, AUsersFileNamedLikeTheDrawnSavesMarkOutlivesTheSetsSaves) {
  for (const bool drawn : {false, true}) {
    const std::string dir = Folder(drawn ? "users-mark-drawn" : "users-mark", kOld), mark = dir + "/a.cfg.~dvx-zzzzzz";
    Write(mark, "the user's");
    for (const Files& files : {kNew, kOld}) {
      // Drawn: another save holds the first temporary name, so the set's writer draws one.
      std::unique_ptr<CSaveBeside> other(drawn ? new CSaveBeside((dir + "/a.cfg").c_str()) : nullptr);
      ASSERT_EQ(1, Save(dir, files)) << drawn;
    }
    Files expected = kOld;
    expected["a.cfg.~dvx-zzzzzz"] = "the user's";
    EXPECT_EQ(Read(dir), expected) << drawn;
  }
}

}  // namespace

TEST_F(ConfigSetTest, APowerCutBeforeASetSaveReturnsLeavesNoFileOfItsOwnWithoutItsRecord) {
  const std::string dir = Folder("set-power-cut", kOld);
  Files files = kNew;
  files["n.cfg"] = "a file the folder lacked";
  files["m.cfg"] = "another";
  const auto states = dravonix::test::SyncedStates(dir, [&] { EXPECT_EQ(Save(dir, files), 1); });
  auto temp = [](const std::string& n) { return n.starts_with("n.cfg.~dvx-") || n.starts_with("m.cfg.~dvx-"); };
  auto record = [](const std::string& n) { return n == "~save.journal"; };
  auto oldCopy = [](const std::string& n) { return n.ends_with(".~dvx-old"); };
  EXPECT_EQ(dravonix::test::ChangedWithItsRecord(states, record, temp), "");
  EXPECT_EQ(dravonix::test::ChangedWithItsRecord(states, record, oldCopy), "");
  EXPECT_EQ(Read(dir), files);
  // One sync of the folder for each step of the set (its record, its new files' names, the renames,
  // the record's removal), however many files it adds.
  EXPECT_EQ(std::count_if(states.begin() + 1, states.end() - 1, [](const auto& s) { return s.folderSynced; }), 4);
}
