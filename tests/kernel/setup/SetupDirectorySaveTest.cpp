// Saving a setup directory as one set: a save stopped at any point, two processes saving one
// folder, and the boxes of failed saves and exports naming what the user chose.
#include "kernel/setup/RestorePlacement.h"
#include "kernel/setup/SetupArchive.h"
#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "suite/zip/ZipLibraries.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/SwappedLinks.h"

#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

using FileSet = std::map<std::string, std::string>;

const char* const kSetupFiles[] = {"setup.cfg", "parameters.cfg", "variables.cfg"};

FileSet ReadSet(const std::string& dir) {
  FileSet files;
  for (const char* name : kSetupFiles) files[name] = dravonix::test::ReadFileText(dir + "/" + name);
  return files;
}

// For each of the three files, the tag of the set it equals byte for byte, "?" for none.
std::map<std::string, std::string> Tags(const std::string& dir, const std::map<std::string, FileSet>& sets) {
  std::map<std::string, std::string> tags;
  for (const char* name : kSetupFiles) {
    const std::string bytes = dravonix::test::ReadFileText(dir + "/" + name);
    tags[name] = "?";
    for (auto& [tag, files] : sets)
      if (files.at(name) == bytes) tags[name] = tag;
  }
  return tags;
}

std::map<std::string, std::string> AllTagged(const std::string& tag) {
  std::map<std::string, std::string> tags;
  for (const char* name : kSetupFiles) tags[name] = tag;
  return tags;
}

using dravonix::test::Entries;

const std::set<std::string> kOnlyTheSet(std::begin(kSetupFiles), std::end(kSetupFiles));

// The files made or written in `dir` (not below it) while `act` ran, even one deleted at once.
std::vector<std::string> TouchedIn(const std::string& dir, const std::function<void()>& act) {
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0 || inotify_add_watch(fd, dir.c_str(), IN_CREATE | IN_MOVED_TO | IN_MODIFY) < 0) return {"no watch"};
  act();
  std::vector<std::string> names;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
    for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + ((inotify_event*)p)->len)
      names.push_back(((inotify_event*)p)->name);
  close(fd);
  return names;
}

class SetupSaveTest : public SetupTest {
 protected:
  // A setup whose three files all differ from those of another tag: an option, a parameter and a
  // variable carry the tag.
  SetupPtr Version(const std::string& tag) {
    const std::string dir = MakeDir("version-" + tag, Gen3Cfg("Who = " + tag + "\n"));
    WriteBytes(dir + "/parameters.cfg", ReadBytes(dir + "/parameters.cfg") + "INT\tWho" + tag + "\t@0x0F00\t=1(0x0001)\r\n");
    WriteBytes(dir + "/variables.cfg", ReadBytes(dir + "/variables.cfg") + "LONG\tWHO_" + tag + "\t[rot]\t@0x0F02\r\n");
    SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
    EXPECT_TRUE(s) << LastBox();
    return s;
  }
  // The bytes a setup saves.
  FileSet SavedBy(CMC_Setup& s, const std::string& tag) {
    const std::string dir = dravonix::test::ScratchDir("saved-" + tag);
    EXPECT_TRUE(s.SaveToDirectory(dir.c_str())) << LastBox();
    return ReadSet(dir);
  }
};

int g_stopAt = -2;
void StopAt(int step) {
  if (step == g_stopAt) raise(SIGKILL);
}

}  // namespace

TEST_F(SetupSaveTest, ASaveStoppedAnywhereLeavesTheWholeOldOrTheWholeNewSetup) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const FileSet oldFiles = SavedBy(*older, "old"), newFiles = SavedBy(*newer, "new");
  const std::map<std::string, FileSet> sets = {{"old", oldFiles}, {"new", newFiles}};
  // Stopped before the set is recorded, after 0 to 3 replacements, and before the last clean-up.
  const struct {
    int step;
    bool whole;  // the new set is complete
  } kStops[] = {{-1, false}, {0, true}, {1, true}, {2, true}, {3, true}, {4, true}};
  const fs::perms kKept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  for (const auto& c : kStops) {
    const std::string dir = dravonix::test::ScratchDir("stopped" + std::to_string(c.step));
    for (auto& [name, bytes] : oldFiles) {
      WriteBytes(dir + "/" + name, bytes);
      fs::permissions(dir + "/" + name, kKept);
    }
    const std::string result = dravonix::test::InChildProcess([&] {
      g_stopAt = c.step;
      g_pfnConfigCommitStep = StopAt;
      return std::to_string(newer->SaveToDirectory(dir.c_str()));
    });
    EXPECT_EQ(result.rfind("child failed: signal 9", 0), 0u) << c.step << ": " << result;
    // The next reader finds one whole set, the folder cleaned up.
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
    ASSERT_TRUE(loaded) << c.step << ": " << LastBox();
    EXPECT_EQ(Tags(dir, sets), AllTagged(c.whole ? "new" : "old")) << c.step;
    EXPECT_EQ(CString(c.whole ? "new" : "old"), loaded->GetOptionNoError("Who")) << c.step;
    for (const std::string& name : kOnlyTheSet)
      EXPECT_EQ(fs::status(dir + "/" + name).permissions(), kKept) << c.step << " " << name;
    std::set<std::string> left = Entries(dir);
    for (auto it = left.begin(); !c.whole && it != left.end();) {
      // The new files of a save stopped before its record are nobody's to remove.
      const std::string bytes = ReadBytes(dir + "/" + *it);
      bool isNew = false;
      for (auto& [name, newBytes] : newFiles) isNew = isNew || (bytes == newBytes && !kOnlyTheSet.count(*it));
      it = isNew ? left.erase(it) : std::next(it);
    }
    EXPECT_EQ(left, kOnlyTheSet) << c.step;
  }
  // A save after a stopped one completes it first, then writes its own.
  const std::string dir = dravonix::test::ScratchDir("stopped-then-saved");
  for (auto& [name, bytes] : oldFiles) WriteBytes(dir + "/" + name, bytes);
  dravonix::test::InChildProcess([&] {
    g_stopAt = 1;
    g_pfnConfigCommitStep = StopAt;
    return std::to_string(newer->SaveToDirectory(dir.c_str()));
  });
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str())) << LastBox();
  EXPECT_EQ(Tags(dir, sets), AllTagged("old"));
  EXPECT_EQ(Entries(dir), kOnlyTheSet);
}

TEST_F(SetupSaveTest, AFileThatCannotBeReplacedLeavesEveryOldFile) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::string dir = dravonix::test::ScratchDir("readonly");
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
  const std::map<std::string, FileSet> sets = {{"old", ReadSet(dir)}};
  // Read-only before the save, or made so once the files before it are replaced.
  for (bool meanwhile : {false, true}) {
    for (int i = 0; i < 3; ++i) {
      static std::string s_readOnly;
      static int s_at;
      s_readOnly = dir + "/" + kSetupFiles[i];
      s_at = meanwhile ? i : -1;
      g_pfnConfigCommitStep = [](int step) {
        if (step == s_at) fs::permissions(s_readOnly, fs::perms::owner_write, fs::perm_options::remove);
      };
      if (!meanwhile) fs::permissions(s_readOnly, fs::perms::owner_write, fs::perm_options::remove);
      ClearBoxes();
      EXPECT_EQ(0, newer->SaveToDirectory(dir.c_str()));
      g_pfnConfigCommitStep = nullptr;
      EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot write in file " + s_readOnly + "! Check file system permissions."});
      EXPECT_EQ(Tags(dir, sets), AllTagged("old")) << s_readOnly << meanwhile;
      EXPECT_EQ(Entries(dir), kOnlyTheSet) << s_readOnly << meanwhile;
      fs::permissions(s_readOnly, fs::perms::owner_write, fs::perm_options::add);
    }
  }
}

TEST_F(SetupSaveTest, TwoProcessesSavingOneFolderLeaveOneWholeSetup) {
  SetupPtr a = Version("a"), b = Version("b");
  ASSERT_TRUE(a && b);
  const std::map<std::string, FileSet> sets = {{"a", SavedBy(*a, "a")}, {"b", SavedBy(*b, "b")}};
  const std::string dir = dravonix::test::ScratchDir("shared");
  // Each save succeeds, and what is read under the folder's lock after it is one whole set.
  auto saver = [&](CMC_Setup& s) {
    return [&] {
      int failed = 0, mixed = 0;
      std::string first;
      for (int i = 0; i < 200; ++i) {
        if (!s.SaveToDirectory(dir.c_str()) && failed++ == 0) first += " failed: " + LastBox();
        std::map<std::string, std::string> seen;
        {
          CConfigFolderLock lock((dir + "\\").c_str());
          seen = Tags(dir, sets);
        }
        if (seen != AllTagged("a") && seen != AllTagged("b") && mixed++ == 0) {
          first += " mixed:";
          for (auto& [name, tag] : seen) first += " " + name + " " + tag;
        }
      }
      return std::to_string(failed) + " failed, " + std::to_string(mixed) + " mixed" + first;
    };
  };
  dravonix::test::ChildProcess first(saver(*a));
  dravonix::test::ChildProcess second(saver(*b));
  EXPECT_EQ("0 failed, 0 mixed", first.Wait());
  EXPECT_EQ("0 failed, 0 mixed", second.Wait());
  const std::map<std::string, std::string> last = Tags(dir, sets);
  EXPECT_TRUE(last == AllTagged("a") || last == AllTagged("b"));
  EXPECT_EQ(Entries(dir), kOnlyTheSet);
}

TEST_F(SetupSaveTest, FailedSavesAndExportsNameWhatTheUserChose) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  const std::string dir = dravonix::test::ScratchDir("boxes");
  const std::string locked = dir + "/locked";
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::remove);
  fs::create_directories(dir + "/blocked/setup.cfg");
  WriteBytes(dir + "/readonly.t.zip", "old");
  fs::permissions(dir + "/readonly.t.zip", fs::perms::all, fs::perm_options::remove);
  fs::permissions(dir + "/readonly.t.zip", fs::perms::owner_read, fs::perm_options::add);
  auto saveTo = [&](const std::string& folder) {
    ClearBoxes();
    const int saved = s->SaveToDirectory(folder.c_str());
    return std::to_string(saved) + " " + LastBox();
  };
  auto exportTo = [&](const std::string& file) {
    DialogAutomation::Reset();
    DialogAutomation::PushFileDialogResult(file.c_str());
    ClearBoxes();
    const CString result = ExportSetupForVKS_Lib("axis", s.get(), nullptr);
    return (result.IsEmpty() ? "failed " : "done ") + LastBox();
  };
  const struct {
    const char* what;
    std::function<std::string()> act;
    std::string box;
  } kCases[] = {
      {"save into a folder that may not be written",
       [&] {
         return dravonix::test::AsOrdinaryUser([&] {
           return saveTo(locked + "\\");
         });
       },
       "0 Cannot write in folder " + locked + "! Check file system permissions."},
      {"export onto a full disk",
       [&] { return dravonix::test::WithFileSizeLimit(100, [&] { return exportTo(dir + "/full.t.zip"); }); },
       "failed Cannot write in file " + dir + "/full.t.zip! There is not enough space on the disk."},
      {"export into a folder that may not be written",
       [&] { return dravonix::test::AsOrdinaryUser([&] { return exportTo(locked + "/axis.t.zip"); }); },
       "failed Cannot write in file " + locked + "/axis.t.zip! Check file system permissions."},
      {"export onto a file that may not be written",
       [&] {
         Automation::Instance().PushMessageBoxAnswer(IDYES);  // replace it
         return exportTo(dir + "/readonly.t.zip");
       },
       "failed Cannot write in file " + dir + "/readonly.t.zip! Check file system permissions."},
      {"save where a folder stands in setup.cfg's place", [&] { return saveTo(dir + "/blocked\\"); },
       "0 Cannot write in file " + dir + "/blocked/setup.cfg! Check file system permissions."},
      {"save with the separators mixed, onto a full disk",
       [&] {
         return dravonix::test::WithFileSizeLimit(0, [&] {
           return saveTo(dir + "\\mixed\\");
         });
       },
       "0 Cannot write in file " + dir + "/mixed/setup.cfg! There is not enough space on the disk."},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.act(), c.box) << c.what;
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"blocked", "locked", "mixed", "readonly.t.zip"}));
  EXPECT_EQ(Entries(dir + "/blocked"), (std::set<std::string>{"setup.cfg"}));
  EXPECT_EQ(ReadBytes(dir + "/readonly.t.zip"), "old");
  EXPECT_TRUE(fs::is_empty(dir + "/mixed"));
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  DialogAutomation::Reset();
}

namespace {

// What a record must give of a file so that a recovery takes it for the one it wrote.
std::string Identity(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return std::to_string(st.st_ino) + "\t" + std::to_string(st.st_size) + "\t" +
         std::to_string((long long)st.st_mtim.tv_sec * 1000000000ll + st.st_mtim.tv_nsec);
}

// Every file below `dir` with its bytes (links by where they lead), but for those of the folder `skip`.
FileSet TreeOf(const std::string& dir, const std::string& skip) {
  FileSet tree;
  for (auto& e : fs::recursive_directory_iterator(dir)) {
    if (e.path().parent_path() == skip) continue;
    const std::string rel = e.path().lexically_relative(dir).string();
    if (fs::is_symlink(e.symlink_status())) tree[rel] = "-> " + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file()) tree[rel] = dravonix::test::ReadFileText(e.path().string());
  }
  return tree;
}

bool IsRecord(const std::string& name) { return name == "~save.journal" || name == "~undo.journal"; }

}  // namespace

TEST_F(SetupSaveTest, ARecordFromElsewhereActsOnNothingButIsSetAside) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const FileSet oldFiles = SavedBy(*older, "old"), newFiles = SavedBy(*newer, "new");
  const std::map<std::string, FileSet> sets = {{"old", oldFiles}, {"new", newFiles}};
  using Plant = std::function<void(const std::string& root, const std::string& dir)>;
  auto record = [&](const char* name, std::function<std::string(const std::string&, const std::string&)> text) -> Plant {
    return [=](const std::string& root, const std::string& dir) { WriteBytes(dir + "/" + name, text(root, dir)); };
  };
  const std::string kEnd = "end\r\n";
  const struct {
    const char* what;
    Plant plant;
  } kCases[] = {
      {"an absolute path", record("~undo.journal", [&](auto& root, auto&) { return "none\t" + root + "/notes.txt\t\r\n" + kEnd; })},
      {"an absolute path with its file's identity", record("~undo.journal", [&](auto& root, auto&) {
         return "notes.txt.~dvx-aaaaaa\t" + root + "/notes.txt\t\t" + Identity(root + "/notes.txt") + "\r\n" + kEnd;
       })},
      {"../ paths", [&](auto& root, auto& dir) {
         WriteBytes(root + "/notes.txt.~dvx-aaaaaa", "planted");
         WriteBytes(dir + "/~save.journal", "../../../notes.txt.~dvx-aaaaaa\t../../../notes.txt\t\t" +
                                                Identity(root + "/notes.txt.~dvx-aaaaaa") + "\r\n" + kEnd);
       }},
      {"a temporary that is a link out", [&](auto& root, auto& dir) {
         fs::create_symlink(root + "/notes.txt", dir + "/setup.cfg.~dvx-aaaaaa");
         WriteBytes(dir + "/~save.journal", "setup.cfg.~dvx-aaaaaa\tsetup.cfg\t\t" + Identity(root + "/notes.txt") + "\r\n" + kEnd);
       }},
      {"a target that is a link out", [&](auto& root, auto& dir) {
         fs::create_symlink(root + "/notes.txt", dir + "/notes.cfg");
         WriteBytes(dir + "/~undo.journal", "notes.cfg.~dvx-aaaaaa\tnotes.cfg\t\t" + Identity(root + "/notes.txt") + "\r\n" + kEnd);
       }},
      {"the folder's own files swapped", [&](auto&, auto& dir) {
         WriteBytes(dir + "/setup.cfg.~dvx-aaaaaa", ReadBytes(dir + "/setup.cfg"));
         WriteBytes(dir + "/~save.journal", "setup.cfg.~dvx-aaaaaa\tvariables.cfg\t\t" + Identity(dir + "/setup.cfg.~dvx-aaaaaa") + "\r\n" + kEnd);
       }},
      {"an entry naming the folder", record("~undo.journal", [&](auto&, auto&) { return "none\tsetup.cfg\t\r\nnone\t.\t\r\n" + kEnd; })},
      {"a record cut short", [&](auto&, auto& dir) {
         WriteBytes(dir + "/setup.cfg.~dvx-aaaaaa", "cut");
         WriteBytes(dir + "/~save.journal", "setup.cfg.~dvx-aaaaaa\tsetup.cfg\t\t" + Identity(dir + "/setup.cfg.~dvx-aaaaaa") + "\r\n");
       }},
      {"records that are a folder and a pipe", [&](auto& root, auto& dir) {
         fs::create_directories(dir + "/~undo.journal/x");
         mkfifo((dir + "/~save.journal").c_str(), 0600);
         WriteBytes(root + "/record.txt", "none\t" + root + "/notes.txt\t\r\n" + kEnd);
         fs::create_symlink(root + "/record.txt", dir + "/~save.journal.~dvx-aside");
       }},
      {"a record that is a link, its set-aside name taken by a folder", [&](auto& root, auto& dir) {
         WriteBytes(root + "/record.txt", "none\t" + root + "/notes.txt\t\r\n" + kEnd);
         fs::create_symlink(root + "/record.txt", dir + "/~undo.journal");
         fs::create_directories(dir + "/~undo.journal.~dvx-aside/x");
       }},
      {"300,000 entries", record("~undo.journal", [&](auto& root, auto&) {
         std::string text;
         text.reserve(300000 * 40);
         for (int i = 0; i < 300000; ++i) text += "none\tnotes.cfg\t\r\n";
         return text + "none\t" + root + "/notes.txt\t\r\n" + kEnd;
       })},
  };
  for (const auto& c : kCases) {
    for (bool save : {false, true}) {
      const std::string root = dravonix::test::ScratchDir("crafted"), dir = root + "/a/b/setup";
      fs::create_directories(dir);
      ASSERT_TRUE(older->SaveToDirectory(dir.c_str())) << LastBox();
      WriteBytes(root + "/notes.txt", "the user's notes");
      WriteBytes(root + "/a/other.txt", "another file");
      c.plant(root, dir);
      const FileSet outside = TreeOf(root, dir);
      ClearBoxes();
      const auto start = std::chrono::steady_clock::now();
      if (save) {
        EXPECT_EQ(1, newer->SaveToDirectory(dir.c_str())) << c.what << ": " << LastBox();
      } else {
        SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
        ASSERT_TRUE(loaded) << c.what << ": " << LastBox();
        EXPECT_EQ(CString("old"), loaded->GetOptionNoError("Who")) << c.what;
      }
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)) << c.what;
      EXPECT_EQ(Tags(dir, sets), AllTagged(save ? "new" : "old")) << c.what << " " << save;
      EXPECT_EQ(TreeOf(root, dir), outside) << c.what << " " << save;
      // A folder under a record's name is no record: it stays as it is.
      for (const std::string& name : Entries(dir))
        EXPECT_FALSE(IsRecord(name) && !fs::is_directory(fs::symlink_status(dir + "/" + name))) << c.what << " " << save;
      for (const std::string& name : kOnlyTheSet) EXPECT_FALSE(fs::is_symlink(dir + "/" + name)) << c.what << " " << save;
      // Nothing is replayed against the files saved after it.
      SetupPtr again(CMC_Setup::CreateFromDirectory(dir.c_str()));
      ASSERT_TRUE(again) << c.what << ": " << LastBox();
      EXPECT_EQ(CString(save ? "new" : "old"), again->GetOptionNoError("Who")) << c.what;
    }
  }
}

TEST_F(SetupSaveTest, ArchivesNeitherCarryNorRestoreASavesRecordsButAUsersFilesOfLikeNames) {
  SetupPtr older = Version("old");
  ASSERT_TRUE(older);
  const std::string root = dravonix::test::ScratchDir("carried"), dir = root + "/from";
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
  const FileSet oldFiles = ReadSet(dir);
  const char* const kOwn[] = {"~undo.journal", "~save.journal", "setup.cfg.~dvx-abc123", "setup.cfg.~dvx-old",
                              "~save.journal.~dvx-x1y2z3"};
  for (const char* name : kOwn) WriteBytes(dir + "/" + name, "none\t../../victim.txt\t\r\nend\r\n");
  // Made by the archive function, and by hand as another program would pack the folder.
  ASSERT_TRUE(ArchiveDirectory(dir.c_str(), (root + "/made.t.zip").c_str())) << LastBox();
  PackByHand(dir, root + "/packed.t.zip");
  for (const char* zip : {"made.t.zip", "packed.t.zip"}) {
    const std::string to = root + "/x/y/" + zip;
    fs::create_directories(root + "/x/y");
    WriteBytes(root + "/x/victim.txt", "the user's file");
    ASSERT_TRUE(RestoreDirectory((root + "/" + zip).c_str(), to.c_str())) << zip << " " << LastBox();
    std::set<std::string> expected = kOnlyTheSet;
    expected.insert({"setup.cfg.~dvx-abc123", "setup.cfg.~dvx-old"});
    EXPECT_EQ(Entries(to), expected) << zip;
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(to.c_str()));
    ASSERT_TRUE(loaded) << LastBox();
    EXPECT_EQ(ReadSet(to), oldFiles) << zip;
    EXPECT_EQ(ReadBytes(to + "/setup.cfg.~dvx-old"), "none\t../../victim.txt\t\r\nend\r\n") << zip;
    EXPECT_EQ(ReadBytes(root + "/x/victim.txt"), "the user's file") << zip;
  }
}

TEST_F(SetupSaveTest, ASaveMakesItsOldCopiesAfreshAndKeepsTheUsersFiles) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::string root = dravonix::test::ScratchDir("planted"), dir = root + "/setup";
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
  WriteBytes(root + "/somewhere.txt", "somewhere");
  WriteBytes(root + "/elsewhere.txt", "elsewhere");
  fs::create_symlink("../somewhere.txt", dir + "/setup.cfg.~old");
  fs::create_symlink("../elsewhere.txt", dir + "/parameters.cfg.~dvx-old");
  const FileSet users = {{"setup.cfg.~backup", "mine"}, {"parameters.cfg.~old", "mine too"}, {"variables.cfg.~1~", "and mine"}};
  for (auto& [name, bytes] : users) WriteBytes(dir + "/" + name, bytes);
  // The old files are kept by a second name, not copied, where the file system allows it.
  static std::string s_dir;
  static bool s_linked;
  s_dir = dir;
  s_linked = false;
  g_pfnConfigCommitStep = [](int step) {
    struct stat file {}, copy {};
    if (step == 0 && stat((s_dir + "/setup.cfg").c_str(), &file) == 0 && lstat((s_dir + "/setup.cfg.~dvx-old").c_str(), &copy) == 0)
      s_linked = file.st_ino == copy.st_ino;
  };
  ASSERT_TRUE(newer->SaveToDirectory(dir.c_str())) << LastBox();
  g_pfnConfigCommitStep = nullptr;
  EXPECT_TRUE(s_linked);
  EXPECT_EQ(ReadSet(dir), SavedBy(*newer, "new2"));
  EXPECT_EQ(ReadBytes(root + "/somewhere.txt"), "somewhere");
  EXPECT_EQ(ReadBytes(root + "/elsewhere.txt"), "elsewhere");
  for (auto& [name, bytes] : users) EXPECT_EQ(ReadBytes(dir + "/" + name), bytes) << name;
  for (const char* link : {"setup.cfg.~old", "parameters.cfg.~dvx-old"}) EXPECT_TRUE(fs::is_symlink(dir + "/" + link)) << link;
  std::set<std::string> expected(kOnlyTheSet);
  for (auto& [name, bytes] : users) expected.insert(name);
  expected.insert({"setup.cfg.~old", "parameters.cfg.~dvx-old"});
  EXPECT_EQ(Entries(dir), expected);
}

TEST_F(SetupSaveTest, AStoppedSaveInAFolderMadeReadOnlyLoadsWholeOrIsRefused) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::map<std::string, FileSet> sets = {{"old", SavedBy(*older, "old")}, {"new", SavedBy(*newer, "new")}};
  const std::string dir = dravonix::test::ScratchDir("readonly-stopped") + "/setup";
  const std::string refused = "refused Cannot complete or undo an interrupted save in folder " + dir + "! Access is denied.";
  const struct {
    int step;
    std::string seen;
  } kStops[] = {{0, "loaded old"}, {1, refused}, {2, refused}, {3, "loaded new"}, {4, "loaded new"}};
  for (const auto& c : kStops) {
    fs::remove_all(dir);
    ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
    dravonix::test::InChildProcess([&] {
      g_stopAt = c.step;
      g_pfnConfigCommitStep = StopAt;
      return std::to_string(newer->SaveToDirectory(dir.c_str()));
    });
    fs::permissions(dir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    const std::string seen = dravonix::test::AsOrdinaryUser([&] {
      ClearBoxes();
      SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
      return loaded ? "loaded " + std::string(loaded->GetOptionNoError("Who")) : "refused " + LastBox();
    });
    EXPECT_EQ(seen, c.seen) << c.step;
    // Once the folder may be written again, the next reader puts it right.
    fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
    ASSERT_TRUE(loaded) << LastBox();
    EXPECT_EQ(Tags(dir, sets), AllTagged("new")) << c.step;
    EXPECT_EQ(Entries(dir), kOnlyTheSet) << c.step;
  }
}

TEST_F(SetupSaveTest, ARecordStoppedWhileWrittenGoesWithTheNextSave) {
  SetupPtr older = Version("old"), s = Version("new");
  ASSERT_TRUE(older && s);
  const std::string dir = dravonix::test::ScratchDir("record-left");
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
  WriteBytes(FirstSaveTempName(dir + "/~save.journal"), "setup.cfg.~dvx-abcdef\tset");
  ASSERT_TRUE(s->SaveToDirectory(dir.c_str())) << LastBox();
  EXPECT_EQ(Entries(dir), kOnlyTheSet);
}

TEST_F(SetupSaveTest, AFileOrRecordThatCannotBeCreatedIsReportedWithItsCause) {
  SetupPtr older = Version("old"), s = Version("new");
  ASSERT_TRUE(older && s);
  const std::string dir = dravonix::test::ScratchDir("no-descriptors");
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
  const FileSet before = ReadSet(dir);
  static auto takeAll = [] {
    for (int fd; (fd = dup(0)) >= 0;) {
    }
  };
  // The descriptors run out before the first file, or before the set's record.
  for (bool atRecord : {false, true}) {
    const std::string seen = dravonix::test::InChildProcess([&] {
      rlimit r{64, 64};
      setrlimit(RLIMIT_NOFILE, &r);
      if (atRecord) {
        g_pfnConfigCommitStep = [](int step) {
          if (step == -1) takeAll();
        };
      } else {
        takeAll();
        close(63);  // one left, for the folder's lock
      }
      ClearBoxes();
      const int saved = s->SaveToDirectory(dir.c_str());
      return std::to_string(saved) + " " + LastBox();
    });
    EXPECT_EQ(seen, "0 Cannot write in file " + dir + "/setup.cfg! The system cannot open the file.") << atRecord;
    EXPECT_EQ(ReadSet(dir), before);
    EXPECT_EQ(Entries(dir), kOnlyTheSet);
  }
}

TEST_F(SetupSaveTest, ASetThatCanBeNeitherCompletedNorUndoneRefusesLoadsAndSaves) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::map<std::string, FileSet> sets = {{"new", SavedBy(*newer, "new")}};
  const std::string dir = dravonix::test::ScratchDir("stuck") + "/setup";
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
  dravonix::test::InChildProcess([&] {
    g_stopAt = 1;
    g_pfnConfigCommitStep = StopAt;
    return std::to_string(newer->SaveToDirectory(dir.c_str()));
  });
  // The last file may not be replaced, and the first one's old copy is gone.
  fs::remove(dir + "/setup.cfg.~dvx-old");
  fs::permissions(dir + "/variables.cfg", fs::perms::owner_write, fs::perm_options::remove);
  const std::string box = "Cannot complete or undo an interrupted save in folder " + dir + "! Access is denied.";
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{box});
  ClearBoxes();
  EXPECT_EQ(older->SaveToDirectory(dir.c_str()), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{box});
  fs::permissions(dir + "/variables.cfg", fs::perms::owner_write, fs::perm_options::add);
  SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(loaded) << LastBox();
  EXPECT_EQ(Tags(dir, sets), AllTagged("new"));
  EXPECT_EQ(Entries(dir), kOnlyTheSet);
}

TEST_F(SetupSaveTest, ALinkAtAFileOfTheSetRefusesTheSaveButALinkedFolderSaves) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::map<std::string, std::string> kLinks = {{"out of the folder", "../outside.cfg"}, {"to another file of the set", "variables.cfg"}};
  for (auto& [what, to] : kLinks) {
    const std::string root = dravonix::test::ScratchDir("linked-file"), dir = root + "/setup";
    ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
    WriteBytes(root + "/outside.cfg", "the user's file");
    fs::remove(dir + "/setup.cfg");
    fs::create_symlink(to, dir + "/setup.cfg");
    const FileSet before = TreeOf(root, "");
    ClearBoxes();
    // Not even for a moment: nothing is made beside the file the link leads to.
    int saved = -1;
    EXPECT_EQ(TouchedIn(root, [&] { saved = newer->SaveToDirectory(dir.c_str()); }), std::vector<std::string>{}) << what;
    EXPECT_EQ(0, saved) << what;
    EXPECT_EQ(1u, Boxes().size()) << what;
    EXPECT_NE(std::string::npos, LastBox().find("The request is not supported.")) << what << ": " << LastBox();
    EXPECT_EQ(TreeOf(root, ""), before) << what;
  }
  // A folder of the user's own reached through a link is saved and loaded as any other.
  const std::string root = dravonix::test::ScratchDir("linked-folder");
  ASSERT_TRUE(older->SaveToDirectory((root + "/setup").c_str()));
  fs::create_directory_symlink(root + "/setup", root + "/link");
  ClearBoxes();
  ASSERT_TRUE(newer->SaveToDirectory((root + "/link").c_str())) << LastBox();
  SetupPtr loaded(CMC_Setup::CreateFromDirectory((root + "/link").c_str()));
  ASSERT_TRUE(loaded) << LastBox();
  EXPECT_EQ(CString("new"), loaded->GetOptionNoError("Who"));
  EXPECT_EQ(Entries(root + "/setup"), kOnlyTheSet);
}

TEST_F(SetupSaveTest, ASetLargerThanARecordNamesIsRefusedBeforeAnythingIsReplaced) {
  const std::string dir = dravonix::test::ScratchDir("many-files");
  std::vector<std::unique_ptr<CConfigFileWriter>> writers;
  std::vector<CConfigFileWriter*> files;
  for (int i = 0; i <= 4096; ++i) {
    // Each new file is made empty at once, which is all the set needs of it.
    const std::string name = dir + "/t" + std::to_string(i) + ".cam";
    WriteBytes(name, "old");
    writers.push_back(std::make_unique<CConfigFileWriter>(name.c_str()));
    files.push_back(writers.back().get());
  }
  ClearBoxes();
  EXPECT_EQ(0, CommitConfigFiles(dir.c_str(), files));
  EXPECT_EQ(1u, Boxes().size());
  EXPECT_EQ("old", ReadBytes(dir + "/t0.cam"));
  EXPECT_EQ("old", ReadBytes(dir + "/t4096.cam"));
}

namespace {

// The folder with the set saved by `older`, and the record, temporaries and old copies of a save of
// `newer` killed once its first file was replaced.
std::string StoppedAfterTheFirstFile(CMC_Setup& older, CMC_Setup& newer, const std::string& name) {
  const std::string dir = dravonix::test::ScratchDir(name) + "/setup";
  EXPECT_TRUE(older.SaveToDirectory(dir.c_str()));
  dravonix::test::InChildProcess([&] {
    g_stopAt = 1;
    g_pfnConfigCommitStep = StopAt;
    return std::to_string(newer.SaveToDirectory(dir.c_str()));
  });
  return dir;
}

// The record rewritten in the form of the version before: each new file named by its inode, size
// and time of the last change.
void WriteEarlierRecord(const std::string& dir) {
  std::istringstream lines(dravonix::test::ReadFileText(dir + "/~save.journal"));
  std::string text;
  for (std::string line; std::getline(lines, line) && line != "end\r";) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    const std::string made = fs::exists(dir + "/" + f[0]) ? f[0] : f[1];
    text += f[0] + "\t" + f[1] + "\t" + f[2] + "\t" + Identity(dir + "/" + made) + "\r\n";
  }
  std::ofstream(dir + "/~save.journal", std::ios::binary | std::ios::trunc) << text << "end\r\n";
}

void Shell(const std::string& command) { ASSERT_EQ(0, std::system(command.c_str())) << command; }

}  // namespace

TEST_F(SetupSaveTest, ACopyOfAFolderHoldingAStoppedSaveLoadsWholeOrIsRefused) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::map<std::string, FileSet> sets = {{"old", SavedBy(*older, "old")}, {"new", SavedBy(*newer, "new")}};
  const std::string refused = "refused Cannot complete or undo an interrupted save in folder ";
  using Copy = std::function<void(const std::string& from, const std::string& to)>;
  const Copy cp = [](auto& from, auto& to) { Shell("cp -r '" + from + "' '" + to + "'"); };
  const Copy cpA = [](auto& from, auto& to) { Shell("cp -a '" + from + "' '" + to + "'"); };
  const struct {
    const char* what;
    Copy copy;
    bool earlierRecord;
    bool refused;
  } kCopies[] = {
      {"cp", cp, false, false},
      {"cp -a", cpA, false, false},
      {"an archive and back",
       [](auto& from, auto& to) {
         ASSERT_TRUE(ArchiveDirectory(from.c_str(), (from + ".t.zip").c_str())) << LastBox();
         ASSERT_TRUE(RestoreDirectory((from + ".t.zip").c_str(), to.c_str())) << LastBox();
       },
       false, false},
      {"another program's archive and back",
       [](auto& from, auto& to) {
         PackByHand(from, from + ".zip");
         ASSERT_TRUE(RestoreDirectory((from + ".zip").c_str(), to.c_str())) << LastBox();
       },
       false, false},
      {"a copy that left out the temporaries and old copies",
       [](auto& from, auto& to) { Shell("mkdir '" + to + "' && cd '" + from + "' && cp *.cfg ~save.journal '" + to + "'"); },
       false, true},
      {"an earlier record, in place", [](auto& from, auto& to) { fs::rename(from, to); }, true, false},
      {"an earlier record, cp -a", cpA, true, false},
      {"an earlier record, cp", cp, true, true},
  };
  for (const auto& c : kCopies) {
    const std::string dir = StoppedAfterTheFirstFile(*older, *newer, "copied"), copy = dir + "-copy";
    if (c.earlierRecord) WriteEarlierRecord(dir);
    c.copy(dir, copy);
    ClearBoxes();
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(copy.c_str()));
    const std::string seen = loaded ? "loaded " + std::string(loaded->GetOptionNoError("Who")) : "refused " + LastBox();
    if (c.refused) {
      EXPECT_EQ(seen, refused + copy + "! The data is invalid.") << c.what;
      EXPECT_EQ(0, older->SaveToDirectory(copy.c_str())) << c.what;
      EXPECT_EQ(LastBox(), refused.substr(8) + copy + "! The data is invalid.") << c.what;
      continue;
    }
    EXPECT_EQ(seen, "loaded new") << c.what;
    EXPECT_EQ(Tags(copy, sets), AllTagged("new")) << c.what;
    EXPECT_EQ(Entries(copy), kOnlyTheSet) << c.what;
  }
}

TEST_F(SetupSaveTest, FoldersNamedLikeASavesOwnFilesNeitherTravelNorBlockASave) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::map<std::string, FileSet> sets = {{"old", SavedBy(*older, "old")}, {"new", SavedBy(*newer, "new")}};
  const char* const kFolders[] = {"~save.journal", "~undo.journal", "~save.journal.~dvx-aside", "~save.journal.~dvx-aside1",
                                  "~save.journal.~dvx-aside2", "~save.journal.~dvx-aside3", "~save.journal.~dvx-aside4",
                                  "~save.journal.~dvx-aside5", "~save.journal.~dvx-aside6", "~save.journal.~dvx-aside7",
                                  "~save.journal.~dvx-aside8", "~save.journal.~dvx-aside9", "setup.cfg.~dvx-abc123",
                                  "setup.cfg.~dvx-old"};
  const std::string root = dravonix::test::ScratchDir("own-folders"), from = root + "/from";
  ASSERT_TRUE(older->SaveToDirectory(from.c_str()));
  for (const char* name : kFolders) WriteBytes(from + "/" + name + "/inside.txt", "none\tsetup.cfg\t\r\nend\r\n");
  const std::string zip = root + "/folders.t.zip";
  PackByHand(from, zip);
  // The unzip library leaves them out too, files or folders, when told to.
  const std::string unzipped = root + "/unzipped";
  fs::create_directories(unzipped);
  DCL options{zip.c_str(), unzipped.c_str(), 1, 1, 1, 2};
  std::vector<char*> exclusions;
  for (int i = 0; i < g_nSaveOwnFiles; ++i) exclusions.push_back(const_cast<char*>(g_pszSaveOwnFiles[i]));
  ASSERT_EQ(0, Wiz_SingleEntryUnzip(0, nullptr, (int)exclusions.size(), exclusions.data(), &options, nullptr));
  EXPECT_EQ(Entries(unzipped), kOnlyTheSet);
  // Restored, loaded and saved; and the same folders made where the setup is, by hand.
  for (const std::string& dir : {root + "/restored", from}) {
    ClearBoxes();
    if (dir != from) {
      ASSERT_TRUE(RestoreDirectory(zip.c_str(), dir.c_str())) << LastBox();
      EXPECT_EQ(Entries(dir), kOnlyTheSet);
    }
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
    ASSERT_TRUE(loaded) << dir << ": " << LastBox();
    EXPECT_EQ(CString("old"), loaded->GetOptionNoError("Who"));
    EXPECT_EQ(1, newer->SaveToDirectory(dir.c_str())) << dir << ": " << LastBox();
    EXPECT_EQ(Boxes(), std::vector<std::string>{}) << dir;
    EXPECT_EQ(Tags(dir, sets), AllTagged("new")) << dir;
  }
  // What the user's folders held is kept.
  size_t kept = 0;
  for (auto& e : fs::recursive_directory_iterator(from))
    kept += e.path().filename() == "inside.txt" && ReadBytes(e.path().string()) == "none\tsetup.cfg\t\r\nend\r\n";
  EXPECT_EQ(kept, std::size(kFolders));
}

namespace {

int g_restoreStopAt = -1;
void StopRestoreAt(int step) {
  if (step == g_restoreStopAt) raise(SIGKILL);
}

}  // namespace

TEST_F(SetupSaveTest, ARestoreStoppedAnywhereLeavesTheWholeOldOrTheWholeNewSetup) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::string root = dravonix::test::ScratchDir("restores");
  const std::map<std::string, FileSet> sets = {{"old", SavedBy(*older, "old")}, {"new", SavedBy(*newer, "new")}};
  // The setup, and files in folders below it.
  const char* const kBelow[] = {"sub/a.txt", "sub/deep/b.txt"};
  auto save = [&](CMC_Setup& s, const std::string& to, const std::string& tag) {
    ASSERT_TRUE(s.SaveToDirectory(to.c_str()));
    for (const char* rel : kBelow) WriteBytes(to + "/" + rel, tag + " " + rel);
  };
  for (auto& [tag, s] : {std::pair<std::string, CMC_Setup*>{"old", older.get()}, {"new", newer.get()}}) {
    save(*s, root + "/" + tag, tag);
    ASSERT_TRUE(ArchiveDirectory((root + "/" + tag).c_str(), (root + "/" + tag + ".t.zip").c_str()));
  }
  const struct {
    int restoreStep, commitStep;  // -2: not stopped there
    const char* whole;
    bool thenRestore;  // the next hold of the folder is a restore of the old set, not a load
  } kStops[] = {{0, -2, "old", false}, {1, -2, "old", false}, {2, -2, "old", false}, {2, -2, "old", true},
                {-2, -1, "old", false}, {-2, 0, "new", false}, {-2, 1, "new", false}, {-2, 2, "new", false},
                {-2, 3, "new", false},  {-2, 4, "new", false}, {3, -2, "new", false}, {4, -2, "new", false},
                {5, -2, "new", false},  {5, -2, "old", true},  {-2, 1, "old", true}};
  const std::string dir = root + "/setup";
  std::set<std::string> kOnlyTheFiles(kOnlyTheSet);
  kOnlyTheFiles.insert("sub");
  // `recordWritten`: a stop while the set's record was written leaves its temporary, which the next
  // restore or save removes.
  auto check = [&](const std::string& what, const char* whole, bool recordWritten = false) {
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
    ASSERT_TRUE(loaded) << what << ": " << LastBox();
    EXPECT_EQ(CString(whole), loaded->GetOptionNoError("Who")) << what;
    EXPECT_EQ(Tags(dir, sets), AllTagged(whole)) << what;
    for (const char* rel : kBelow) EXPECT_EQ(ReadBytes(dir + "/" + rel), std::string(whole) + " " + rel) << what;
    std::set<std::string> left = Entries(dir);
    if (recordWritten) std::erase_if(left, [](const std::string& n) { return IsSaveTempName(n, "~save.journal"); });
    EXPECT_EQ(left, kOnlyTheFiles) << what;
    EXPECT_EQ(Entries(dir + "/sub"), (std::set<std::string>{"a.txt", "deep"})) << what;
  };
  for (const auto& c : kStops) {
    const std::string what = std::to_string(c.restoreStep) + "/" + std::to_string(c.commitStep);
    fs::remove_all(dir);
    save(*older, dir, "old");
    const std::string result = dravonix::test::InChildProcess([&] {
      g_restoreStopAt = c.restoreStep;
      g_pfnRestoreStep = StopRestoreAt;
      g_stopAt = c.commitStep;
      g_pfnConfigCommitStep = StopAt;
      return std::to_string(RestoreDirectory((root + "/new.t.zip").c_str(), dir.c_str()));
    });
    EXPECT_EQ(result.rfind("child failed: signal 9", 0), 0u) << what << ": " << result;
    if (c.thenRestore) {
      ASSERT_TRUE(RestoreDirectory((root + "/old.t.zip").c_str(), dir.c_str())) << what << ": " << LastBox();
    }
    check(what, c.whole);
  }
  // Killed from outside at moments nobody chose, while restoring one set and the other in turn.
  std::mt19937 rng(11);
  for (int i = 0; i < 6; ++i) {
    fs::remove_all(dir);
    save(*older, dir, "old");
    dravonix::test::ChildProcess restorer([&] {
      for (int n = 0;; ++n) RestoreDirectory((root + (n % 2 ? "/old.t.zip" : "/new.t.zip")).c_str(), dir.c_str());
      return std::string();
    });
    std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng() % 20000));
    kill(restorer.Pid(), SIGKILL);
    restorer.Wait();
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(dir.c_str()));
    ASSERT_TRUE(loaded) << i << ": " << LastBox();
    const std::string whole(loaded->GetOptionNoError("Who"));
    check("at random " + std::to_string(i), whole == "new" ? "new" : "old", true);
    ASSERT_TRUE(RestoreDirectory((root + "/old.t.zip").c_str(), dir.c_str())) << LastBox();
    EXPECT_EQ(Entries(dir), kOnlyTheFiles) << i;
  }
}

TEST_F(SetupSaveTest, ALinkSwappedForTheRestoresFolderLeadsNothingOutOfTheFolder) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const std::map<std::string, FileSet> sets = {{"old", SavedBy(*older, "old")}, {"new", SavedBy(*newer, "new")}};
  const std::string root = dravonix::test::ScratchDir("restore-swapped"), dir = root + "/setup";
  ASSERT_TRUE(newer->SaveToDirectory((root + "/new").c_str()));
  WriteBytes(root + "/new/sub/a.txt", "new sub/a.txt");
  ASSERT_TRUE(ArchiveDirectory((root + "/new").c_str(), (root + "/new.t.zip").c_str()));
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str()));
  static const dravonix::test::Outside* s_outside;
  static std::string s_dir;
  const dravonix::test::Outside outside(root + "/outside");
  s_outside = &outside;
  s_dir = dir;
  const auto before = outside.State();
  // Once the restore's folder is made, it is moved away and a link to a folder elsewhere put in its place.
  g_pfnRestoreStep = [](int step) {
    if (step != 0) return;
    const std::string fresh = s_dir + "/" + g_szRestoreFolder;
    ASSERT_EQ(0, rename(fresh.c_str(), (s_dir + "/moved").c_str()));
    ASSERT_EQ(0, symlink(s_outside->dir.c_str(), fresh.c_str()));
  };
  const int restored = RestoreDirectory((root + "/new.t.zip").c_str(), dir.c_str());
  g_pfnRestoreStep = nullptr;
  EXPECT_EQ(outside.State(), before);
  EXPECT_TRUE(restored) << LastBox();
  EXPECT_EQ(Tags(dir, sets), AllTagged("new"));
  EXPECT_EQ(ReadBytes(dir + "/sub/a.txt"), "new sub/a.txt");
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir + "/" + g_szRestoreFolder)));
}

namespace {

// The steps of a save (the set's and its files'), counted; at one of them every own name of the
// folder is swapped for a link out of it.
struct SwapAt {
  static inline int step = 0, at = -1;
  static inline std::string dir;
  static inline const dravonix::test::Outside* outside = nullptr;
  static inline std::vector<std::string> names;  // swapped whether there or not
  static void Step() {
    if (step++ == at) dravonix::test::SwapOwnNamesForLinks(dir, *outside, at % 2 == 1, names);
  }
};

}  // namespace

TEST_F(SetupSaveTest, ALinkSwappedForAnyOwnNameAtAnyStepChangesNothingOutsideTheFolder) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const FileSet oldFiles = SavedBy(*older, "old");
  const std::string root = dravonix::test::ScratchDir("swap-at-steps");
  const dravonix::test::Outside outside(root + "/outside");
  const auto before = outside.State();
  SwapAt::outside = &outside;
  SwapAt::names = {"~save.journal", "~undo.journal"};
  for (const char* name : kSetupFiles) SwapAt::names.push_back(std::string(name) + ".~dvx-old");
  g_pfnConfigCommitStep = [](int) { SwapAt::Step(); };
  g_pfnSaveStep = [](const char*) { SwapAt::Step(); };
  int steps = 0;
  for (int at = -1; at < steps; ++at) {
    SwapAt::dir = root + "/set" + std::to_string(at + 1);
    fs::create_directories(SwapAt::dir);
    for (auto& [name, bytes] : oldFiles) {
      WriteBytes(SwapAt::dir + "/" + name, bytes);
      fs::permissions(SwapAt::dir + "/" + name, fs::perms::owner_read | fs::perms::owner_write);
    }
    SwapAt::step = 0;
    SwapAt::at = at;
    const int saved = newer->SaveToDirectory(SwapAt::dir.c_str());
    if (at < 0) {
      ASSERT_TRUE(saved) << LastBox();
      steps = SwapAt::step;
    }
    EXPECT_EQ(outside.State(), before) << "swapped at step " << at;
  }
  g_pfnConfigCommitStep = nullptr;
  g_pfnSaveStep = nullptr;
  EXPECT_EQ(steps, 18);  // the set's six, and four for each file: its stream, mode, sync and rename
}

TEST_F(SetupSaveTest, LinksSwappedWhileSavesRunChangeNothingOutsideTheFolder) {
  SetupPtr older = Version("old"), newer = Version("new");
  ASSERT_TRUE(older && newer);
  const FileSet oldFiles = SavedBy(*older, "old");
  const std::string root = dravonix::test::ScratchDir("swap-meanwhile"), dir = root + "/set";
  const dravonix::test::Outside outside(root + "/outside");
  const auto before = outside.State();
  fs::create_directories(dir);
  std::atomic<bool> stop{false};
  std::thread swapper([&] {
    for (bool absent = false; !stop; absent = !absent) dravonix::test::SwapOwnNamesForLinks(dir, outside, absent);
  });
  int saves = 0;
  for (auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
       std::chrono::steady_clock::now() < until; ++saves) {
    // A file put back by an undo through a swapped old copy is a link: the set starts again whole.
    for (auto& [name, bytes] : oldFiles)
      if (fs::is_symlink(dir + "/" + name) || !fs::exists(dir + "/" + name)) {
        fs::remove(dir + "/" + name);
        WriteBytes(dir + "/" + name, bytes);
      }
    newer->SaveToDirectory(dir.c_str());
    // And single files, as a configuration file and as a document are saved.
    CConfigFileWriter single((dir + "/single.cfg").c_str());
    if (FILE* f = single.Open(); f && single.Close(fputs("single\r\n", f) >= 0)) single.Commit();
    const std::string document = dir + "/document.bin";
    CSaveBeside save(document.c_str());
    CFile file;
    try {
      if (file.OpenBeside(save, document.c_str(), CFile::modeWrite)) {
        file.Write("document", 8);
        file.CommitBeside(save);
      }
    } catch (CException* e) {
      e->Delete();
    }
  }
  stop = true;
  swapper.join();
  EXPECT_EQ(outside.State(), before) << saves << " saves";
  ClearBoxes();
}

TEST_F(SetupSaveTest, ASaveSyncsItsFilesAndRecordBeforeTheFirstRenameAndTheFolderAfter) {
  SetupPtr older = Version("old"), s = Version("new");
  ASSERT_TRUE(older && s);
  const std::string dir = fs::canonical(dravonix::test::ScratchDir("synced")).string();
  ASSERT_TRUE(older->SaveToDirectory(dir.c_str())) << LastBox();
  static std::vector<std::string> s_calls;
  static std::string s_dir;
  s_calls.clear();
  s_dir = dir;
  // The temporary names end in six letters of chance.
  g_pfnSyncStep = [](const char* path) {
    std::string p = std::regex_replace(std::string(path), std::regex("~dvx-[a-z0-9]{6}$"), "~dvx-XXXXXX");
    s_calls.push_back(p.rfind(s_dir, 0) == 0 ? "sync " + p.substr(s_dir.size()) : "sync " + p);
  };
  g_pfnConfigCommitStep = [](int step) { s_calls.push_back("step " + std::to_string(step)); };
  const int saved = s->SaveToDirectory(dir.c_str());
  g_pfnSyncStep = nullptr;
  g_pfnConfigCommitStep = nullptr;
  ASSERT_TRUE(saved) << LastBox();
  // Steps 0 to 2 rename the three files, the old copies go between steps 3 and 4; the record goes
  // between the last two syncs.
  EXPECT_EQ(s_calls, (std::vector<std::string>{"sync /setup.cfg.~dvx-XXXXXX", "sync /parameters.cfg.~dvx-XXXXXX",
                                               "sync /variables.cfg.~dvx-XXXXXX", "step -1",
                                               "sync /~save.journal.~dvx-XXXXXX", "sync ", "step 0", "step 1", "step 2",
                                               "step 3", "step 4", "sync ", "sync "}));
}

TEST_F(SetupSaveTest, ASaveOntoWriteProtectedMediaSaysSo) {
  SetupPtr s = Version("old");
  ASSERT_TRUE(s);
  const std::string dir = dravonix::test::ScratchDir("write-protected");
  ASSERT_TRUE(s->SaveToDirectory(dir.c_str())) << LastBox();
  const FileSet files = ReadSet(dir);
  // The folder mounted read-only where only this process sees it.
  const std::string result = dravonix::test::InChildProcess([&]() -> std::string {
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
      return "no read-only mount";
    ClearBoxes();
    const int saved = s->SaveToDirectory(dir.c_str());
    return std::to_string(saved) + " " + LastBox();
  });
  if (result == "no read-only mount") GTEST_SKIP() << "no read-only mount can be made here";
  EXPECT_EQ(result, "0 Cannot write in file " + dir + "/setup.cfg! The media is write protected.");
  EXPECT_EQ(ReadSet(dir), files);
}
