// Restoring and packing folder trees: where a restore writes, what it syncs and in which order,
// what a link swapped in below the folder leads to, and what an archive of links or of no files holds.
#include "kernel/setup/RestorePlacement.h"
#include "kernel/setup/SetupArchive.h"
#include "kernel/values/ConfigFile.h"
#include "platform/core/FileSystem.h"
#include "suite/zip/ZipLibraries.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <csignal>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>;

// Every entry below `dir`, not following links: files with their bytes, folders as "/", links as
// "-> target", each with its mode.
Tree Snapshot(const std::string& dir) {
  Tree t;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator(); ++it) {
    struct stat st;
    lstat(it->path().c_str(), &st);
    std::string what = S_ISDIR(st.st_mode)   ? "/"
                       : S_ISLNK(st.st_mode) ? "-> " + fs::read_symlink(it->path()).string()
                                             : dravonix::test::ReadFileText(it->path().string());
    t[fs::relative(it->path(), dir).generic_string()] = std::to_string(st.st_mode & 07777) + " " + what;
  }
  return t;
}

// Plain files only, by relative path.
Tree PlainFiles(const std::string& dir) {
  Tree t;
  std::error_code ec;
  for (auto& e : fs::recursive_directory_iterator(dir, ec))
    if (e.is_regular_file() && !e.is_symlink()) t[fs::relative(e.path(), dir).generic_string()] = dravonix::test::ReadFileText(e.path());
  return t;
}

// The entries of a zip file, one a line, sorted, by python's zipfile.
std::string Listing(const std::string& zip) {
  const std::string cmd = "python3 -c \"import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
                          "print(' '.join(sorted(z.namelist())))\" '" + zip + "' 2>&1";
  std::string out;
  char buf[512];
  FILE* p = popen(cmd.c_str(), "r");
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  if (p) pclose(p);
  return out;
}

class SetupRestoreTest : public SetupTest {
 protected:
  std::string m_dir = fs::canonical(dravonix::test::ScratchDir("restore")).string();
  // Packs `files` (relative path -> bytes) from a tree of their own; the archive's path.
  std::string Pack(const std::string& name, const Tree& files) {
    const std::string tree = m_dir + "/" + name + ".tree";
    for (auto& [rel, bytes] : files) WriteBytes(tree + "/" + rel, bytes);
    const std::string zip = m_dir + "/" + name + ".zip";
    EXPECT_TRUE(ArchiveDirectory(tree.c_str(), zip.c_str())) << LastBox();
    return zip;
  }
  // An archive from elsewhere of "same.cfg", read-only, and "z.cfg" of `zMode`; its path.
  std::string PackModes(mode_t zMode) {
    const std::string zip = Pack("modes", {{"same.cfg", "same"}, {"z.cfg", "new z"}});
    const std::string tree = m_dir + "/modes.tree";
    EXPECT_EQ(0, chmod((tree + "/same.cfg").c_str(), 0444));
    EXPECT_EQ(0, chmod((tree + "/z.cfg").c_str(), zMode));
    EXPECT_TRUE(ArchiveDirectory(tree.c_str(), zip.c_str())) << LastBox();
    return zip;
  }
};

const Tree kArchived = {{"a.cfg", "new a"}, {"sub/b.txt", "new b"}, {"sub/deep/c.txt", "new c"}};

}  // namespace

TEST_F(SetupRestoreTest, ARelativeFolderIsTakenFromTheCurrentFolderNeverTheKernelFolder) {
  const std::string zip = Pack("rel", kArchived);
  const std::string cwd = fs::current_path().string(), here = m_dir + "/here";
  fs::create_directories(here);
  ASSERT_EQ(0, chdir(here.c_str()));
  const struct {
    std::string folder, zip;  // as given
    std::string where;        // relative to the current folder
  } kCases[] = {{"r1", zip, "r1"},
                {"r2", "../rel.zip", "r2"},
                {".\\r3\\", "../rel.zip", "r3"},
                {"rel44\\deep", zip, "rel44/deep"},
                {here + "/r5", "../rel.zip", "r5"},
                {here + "\\r6\\", zip, "r6"}};
  for (bool kernelTwin : {false, true})
    for (const auto& c : kCases) {
      const std::string what = c.folder + (kernelTwin ? " with a twin in the kernel folder" : "");
      // A folder of the same name in the kernel folder, which must stay as it is.
      const std::string twin = Kernel(c.where);
      if (kernelTwin) WriteBytes(twin + "/mine.txt", "kernel's");
      fs::remove_all(here + "/" + c.where);
      ClearBoxes();
      EXPECT_TRUE(RestoreDirectory(c.zip.c_str(), c.folder.c_str())) << what << ": " << LastBox();
      EXPECT_EQ(PlainFiles(here + "/" + c.where), kArchived) << what;
      if (kernelTwin) EXPECT_EQ(PlainFiles(twin), (Tree{{"mine.txt", "kernel's"}})) << what;
      else EXPECT_FALSE(fs::exists(twin)) << what;
      fs::remove_all(Kernel(c.where.substr(0, c.where.find('/'))));
    }
  ASSERT_EQ(0, chdir(cwd.c_str()));
}

namespace {

// At one step of a restore, a sub-folder of the target is moved aside and a link to a folder
// elsewhere put in its place.
struct SwapSubFolder {
  static inline int at = -1, seen = 0;
  static inline std::string dir, sub, outside;
  static void Step(int step) {
    seen = std::max(seen, step);
    if (step != at) return;
    const std::string path = dir + "/" + sub;
    if (rename(path.c_str(), (dir + "/moved").c_str()) != 0) return;
    symlink((outside + "/" + sub).c_str(), path.c_str());
  }
};

}  // namespace

TEST_F(SetupRestoreTest, ALinkSwappedForASubFolderAtAnyStepLeadsNothingOutOfTheFolder) {
  const std::string zip = Pack("swap", {{"a.cfg", "new a"}, {"sub/b.txt", "new b"}, {"sub/new.txt", "new"},
                                        {"sub/deep/c.txt", "new c"}, {"sub/deep/more/d.txt", "new d"}});
  const std::string outside = m_dir + "/outside", dir = m_dir + "/target";
  for (const char* rel : {"sub/b.txt", "sub/deep/c.txt", "sub/deep/more/d.txt"}) WriteBytes(outside + "/" + rel, "outside's");
  chmod((outside + "/sub/b.txt").c_str(), 0640);
  const Tree before = Snapshot(outside);
  auto oldTarget = [&] {
    fs::remove_all(dir);
    for (const char* rel : {"a.cfg", "sub/b.txt", "sub/deep/c.txt", "sub/deep/more/d.txt"}) WriteBytes(dir + "/" + rel, "old");
  };
  SwapSubFolder::dir = dir;
  SwapSubFolder::outside = outside;
  g_pfnRestoreStep = SwapSubFolder::Step;
  oldTarget();
  SwapSubFolder::at = -1;
  ASSERT_TRUE(RestoreDirectory(zip.c_str(), dir.c_str())) << LastBox();
  const int steps = SwapSubFolder::seen;
  EXPECT_GE(steps, 4);
  for (bool completion : {false, true})
    for (const char* sub : {"sub", "sub/deep", "sub/deep/more"})
      for (int at = completion ? 4 : 0; at <= steps; ++at) {
        const std::string what = std::string(sub) + " at step " + std::to_string(at) + (completion ? " of the next load" : "");
        oldTarget();
        SwapSubFolder::sub = sub;
        SwapSubFolder::at = at;
        if (completion) {
          // Stopped once the folder's own files are in place; the next hold of the folder completes it.
          const std::string result = dravonix::test::InChildProcess([&] {
            g_pfnRestoreStep = [](int step) {
              if (step == 4) raise(SIGKILL);
            };
            return std::to_string(RestoreDirectory(zip.c_str(), dir.c_str()));
          });
          EXPECT_EQ(result.rfind("child failed: signal 9", 0), 0u) << what << ": " << result;
          CConfigFolderLock lock(dir.c_str());
        } else {
          RestoreDirectory(zip.c_str(), dir.c_str());
        }
        EXPECT_EQ(Snapshot(outside), before) << what;
      }
  g_pfnRestoreStep = nullptr;
}

TEST_F(SetupRestoreTest, ARestoreSyncsEachFileOnceAndEveryFolderMadeWithItsParent) {
  fs::create_directories(m_dir + "/synced.tree/none");
  const std::string zip = Pack("synced", {{"a.cfg", "new a"}, {"sub/b.txt", "new b"}, {"sub/deep/c.txt", "new c"}});
  static std::vector<std::string> s_calls;
  static std::string s_dir;
  s_calls.clear();
  s_dir = m_dir;
  g_pfnSyncStep = [](const char* path) {
    std::string p = std::regex_replace(std::string(path), std::regex("~dvx-(?!unpack$)[a-z0-9]{6}$"), "~dvx-X");
    p = std::regex_replace(p, std::regex("#[0-9]+ \\(deleted\\)$"), "(no name)");
    s_calls.push_back(p.rfind(s_dir, 0) == 0 ? p.substr(s_dir.size()) : p);
  };
  const int restored = RestoreDirectory(zip.c_str(), (m_dir + "/made/target").c_str());
  g_pfnSyncStep = nullptr;
  ASSERT_TRUE(restored) << LastBox();
  const std::string fresh = std::string("/made/target/") + g_szRestoreFolder;
  EXPECT_EQ(s_calls, (std::vector<std::string>{
                         // The folders made for the restore, each before its parent.
                         "/made/target", "/made", "",
                         // The extraction's folder made before anything names it.
                         "/made/target",
                         // The extraction: each file once, then each folder that was made or written, deepest first.
                         fresh + "/a.cfg", fresh + "/sub/b.txt", fresh + "/sub/deep/c.txt",
                         fresh + "/sub/deep", fresh + "/none", fresh + "/sub", fresh,
                         // The extraction marked whole.
                         fresh, "/made/target",
                         // The folder's own files as one set: the record, then the names it gives the new
                         // files made without one, the renames, and the record's removal.
                         "/made/target/(no name)", "/made/target/~save.journal.~dvx-X", "/made/target",
                         "/made/target", "/made/target", "/made/target",
                         // The folder below it moved into place.
                         "/made/target"}));
  EXPECT_EQ(PlainFiles(m_dir + "/made/target"), (Tree{{"a.cfg", "new a"}, {"sub/b.txt", "new b"}, {"sub/deep/c.txt", "new c"}}));
  EXPECT_TRUE(fs::is_directory(m_dir + "/made/target/none"));
}

TEST_F(SetupRestoreTest, EachSyncOfARestoreThatFailsFailsItAndLeavesTheWholeOldOrNewTree) {
  const std::string zip = Pack("sync-fails", kArchived);
  static std::vector<std::string> s_syncs;
  static int s_fail = -1;
  struct Unhook {
    ~Unhook() { g_pfnSyncFault = nullptr; }
  } unhook;
  g_pfnSyncFault = [](const char* path) {
    s_syncs.push_back(path);
    return (int)s_syncs.size() - 1 == s_fail ? EIO : 0;
  };
  const Tree kOld = {{"a.cfg", "old a"}, {"sub/b.txt", "old b"}, {"sub/deep/c.txt", "old c"}};
  // Into a nested folder the restore makes, and over a folder holding an older tree.
  for (const bool existing : {false, true}) {
    const std::string target = m_dir + "/made/nested/target";
    auto prepare = [&] {
      fs::remove_all(m_dir + "/made");
      if (existing)
        for (auto& [rel, bytes] : kOld) WriteBytes(target + "/" + rel, bytes);
    };
    prepare();
    s_fail = -1;
    s_syncs.clear();
    ASSERT_TRUE(RestoreDirectory(zip.c_str(), target.c_str())) << LastBox();
    const std::vector<std::string> syncs = s_syncs;
    for (s_fail = 0; s_fail < (int)syncs.size(); ++s_fail) {
      const std::string at = std::to_string(existing) + " sync " + std::to_string(s_fail) + " of " + syncs[(size_t)s_fail];
      prepare();
      s_syncs.clear();
      ClearBoxes();
      EXPECT_FALSE(RestoreDirectory(zip.c_str(), target.c_str())) << at;
      const std::vector<std::string> boxes = Boxes();
      ASSERT_EQ(boxes.size(), 1u) << at;
      EXPECT_NE(boxes[0].find("The request could not be performed because of an I/O device error."), std::string::npos) << at;
      // As the next load finds it: whole, or not there (a restore into a folder it made takes the
      // folder with it).
      const int failed = s_fail;
      s_fail = -1;
      if (fs::exists(target)) CConfigFolderLock lock(target.c_str());
      const Tree found = fs::exists(target) ? PlainFiles(target) : Tree();
      EXPECT_TRUE(found == kArchived || found == (existing ? kOld : Tree())) << at;
      s_fail = failed;
    }
  }
}

TEST_F(SetupRestoreTest, AnArchiveHoldsNothingThatALinkLeadsTo) {
  const std::string tree = m_dir + "/tree", outside = m_dir + "/outside";
  WriteBytes(tree + "/setup.cfg", "mine");
  WriteBytes(tree + "/sub/plain.txt", "plain");
  WriteBytes(outside + "/secret.txt", "secret");
  WriteBytes(outside + "/folder/inner.txt", "inner secret");
  fs::create_symlink(outside + "/secret.txt", tree + "/notes.txt");
  fs::create_directory_symlink(outside + "/folder", tree + "/extra");
  fs::create_symlink("plain.txt", tree + "/sub/again.txt");
  const std::string zip = m_dir + "/links.zip";
  ClearBoxes();
  ASSERT_TRUE(ArchiveDirectory(tree.c_str(), zip.c_str())) << LastBox();
  EXPECT_EQ(Listing(zip), "setup.cfg sub/plain.txt\n");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Links, pipes and devices are not packed into " + zip +
                                              ":\nextra\nnotes.txt\nsub/again.txt"});
  // Nor does the zip library follow a link it is given, or a folder on the way that is one.
  ZIPUSERFUNCTIONS functions{};
  ZPOPT options{};
  options.szRootDir = tree.c_str();
  options.fLevel = '6';
  std::vector<std::string> names = {tree + "/setup.cfg", tree + "/notes.txt", tree + "/extra/inner.txt"};
  std::vector<char*> argv;
  for (std::string& n : names) argv.push_back(n.data());
  const std::string direct = m_dir + "/direct.zip";
  ASSERT_EQ(0, ZpInit(&functions));
  ASSERT_NE(0, ZpSetOptions(&options));
  ASSERT_EQ(0, ZpArchive(ZCL{(int)argv.size(), direct.c_str(), argv.data()}));
  EXPECT_EQ(Listing(direct), "setup.cfg\n");
}

TEST_F(SetupRestoreTest, AFolderWithoutFilesPacksIntoAnArchiveThatRestoresTheSameTree) {
  const struct {
    const char* what;
    std::vector<std::string> folders, files;
  } kCases[] = {{"nothing", {}, {}},
                {"a folder", {"empty"}, {}},
                {"folders in folders", {"a/b/c", "a/d"}, {}},
                {"only records set aside", {"keep"}, {"~save.journal.~dvx-aside", "~undo.journal.~dvx-aside3"}}};
  for (const auto& c : kCases) {
    const std::string tree = m_dir + "/empty-tree", zip = m_dir + "/empty.zip", copy = m_dir + "/empty-copy";
    fs::remove_all(tree);
    fs::remove_all(copy);
    fs::create_directories(tree);
    for (const std::string& f : c.folders) fs::create_directories(tree + "/" + f);
    for (const std::string& f : c.files) WriteBytes(tree + "/" + f, "own");
    WriteBytes(zip, "the old archive");
    ClearBoxes();
    ASSERT_TRUE(ArchiveDirectory(tree.c_str(), zip.c_str())) << c.what << ": " << LastBox();
    EXPECT_NE(ReadBytes(zip), "the old archive") << c.what;
    ASSERT_TRUE(RestoreDirectory(zip.c_str(), copy.c_str())) << c.what << ": " << LastBox();
    for (const std::string& f : c.files) fs::remove(tree + "/" + f);
    EXPECT_EQ(Snapshot(copy), Snapshot(tree)) << c.what;
    EXPECT_TRUE(Boxes().empty()) << c.what;
  }
}

TEST_F(SetupRestoreTest, ARestoreOverlaysTheArchiveOnTheFolderOrRefusesAndChangesNothing) {
  // The rule: every file of the archive ends where the archive puts it and every other file stays,
  // unless a file of the folder stands where the archive needs a folder, or a folder where it puts a
  // file: then nothing changes.
  auto model = [](const Tree& old, const Tree& archived, Tree& result) {
    auto isFile = [](const Tree& t, const std::string& p) { return t.count(p) != 0; };
    auto isFolder = [](const Tree& t, const std::string& p) {
      auto at = t.lower_bound(p + "/");
      return at != t.end() && at->first.compare(0, p.size() + 1, p + "/") == 0;
    };
    for (auto& [rel, bytes] : archived) {
      if (isFolder(old, rel)) return false;
      for (size_t cut = rel.find('/'); cut != std::string::npos; cut = rel.find('/', cut + 1))
        if (isFile(old, rel.substr(0, cut))) return false;
    }
    result = old;
    for (auto& [rel, bytes] : archived) result[rel] = bytes;
    return true;
  };
  std::mt19937 rng(5);
  auto randomTree = [&](const std::string& tag) {
    Tree t;
    for (int n = (int)(rng() % 6); n > 0; --n) {
      std::string rel;
      for (int depth = (int)(rng() % 3); depth >= 0; --depth) rel += std::string(rel.empty() ? "" : "/") + "abc"[rng() % 3];
      // A name that a folder of the tree has is left out, as one tree cannot hold both.
      bool clash = false;
      for (auto& [other, bytes] : t) clash = clash || other.rfind(rel + "/", 0) == 0 || rel.rfind(other + "/", 0) == 0;
      if (!clash) t[rel] = tag + " " + rel;
    }
    return t;
  };
  const std::string dir = m_dir + "/overlay";
  for (int round = 0; round < 60; ++round) {
    const Tree old = randomTree("old"), archived = randomTree("new");
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (auto& [rel, bytes] : old) WriteBytes(dir + "/" + rel, bytes);
    fs::remove_all(m_dir + "/overlay.tree");
    fs::create_directories(m_dir + "/overlay.tree");
    const std::string zip = Pack("overlay", archived);
    Tree expected;
    const bool fits = model(old, archived, expected);
    ClearBoxes();
    const int restored = RestoreDirectory(zip.c_str(), dir.c_str());
    EXPECT_EQ(restored, fits ? 1 : 0) << round << ": " << LastBox();
    EXPECT_EQ(PlainFiles(dir), fits ? expected : old) << round;
    EXPECT_EQ(Boxes().size(), fits ? 0u : 1u) << round;
  }
}

TEST_F(SetupRestoreTest, ARefusedOrStoppedRestoreLeavesEveryFilesModeAndACompletedOneGivesTheArchives) {
  const mode_t mask = umask(022);
  // "same.cfg" has the archive's bytes here.
  const std::string zip = PackModes(0640), target = m_dir + "/modes";
  auto entry = [](mode_t mode, const char* bytes) { return std::to_string(mode) + " " + bytes; };
  const Tree kNew = {{"same.cfg", entry(0444, "same")}, {"z.cfg", entry(0640, "new z")}};
  static int s_stopAt;
  const struct {
    const char* what;
    mode_t oldZ;
    int stopAt;  // the commit step the restore is killed at; -2 for none
    bool done;   // the new files and modes, at once or by the next hold of the folder's lock
  } kCases[] = {
      {"read-only target", 0444, -2, false}, {"killed before its record", 0644, -1, false},
      {"killed after its record", 0644, 0, true}, {"killed after a rename", 0644, 1, true},
      {"completed", 0644, -2, true},
  };
  for (const auto& c : kCases) {
    fs::remove_all(target);
    WriteBytes(target + "/same.cfg", "same");
    WriteBytes(target + "/z.cfg", "old z");
    ASSERT_EQ(0, chmod((target + "/same.cfg").c_str(), 0644));
    ASSERT_EQ(0, chmod((target + "/z.cfg").c_str(), c.oldZ));
    const Tree old = {{"same.cfg", entry(0644, "same")}, {"z.cfg", entry(c.oldZ, "old z")}};
    ClearBoxes();
    s_stopAt = c.stopAt;
    auto restore = [&] {
      const int restored = RestoreDirectory(zip.c_str(), target.c_str());
      return std::to_string(restored) + " " + LastBox();
    };
    const std::string result = c.stopAt == -2 ? restore() : dravonix::test::InChildProcess([&] {
      g_pfnConfigCommitStep = [](int step) {
        if (step == s_stopAt) raise(SIGKILL);
      };
      return restore();
    });
    auto targets = [&] {
      Tree t = Snapshot(target);
      return Tree{{"same.cfg", t["same.cfg"]}, {"z.cfg", t["z.cfg"]}};
    };
    // As the kill left them: what was renamed already, and no mode changed.
    Tree stopped = old;
    if (c.stopAt > 0) stopped["z.cfg"] = kNew.at("z.cfg");
    if (c.stopAt == -2) {
      EXPECT_EQ(result, c.done ? "1 " : "0 Cannot write in file " + target + "/z.cfg! Check file system permissions.") << c.what;
    } else {
      EXPECT_EQ(targets(), stopped) << c.what;
    }
    { CConfigFolderLock lock(target.c_str()); }
    EXPECT_EQ(targets(), c.done ? kNew : old) << c.what;
  }
  umask(mask);
}

TEST_F(SetupRestoreTest, AUsersFileUnderAnOldCopysNameOutlivesARestoreStoppedOrUndone) {
  const std::string zip = Pack("old-copy", {{"setup.cfg", "new cfg"}, {"z.cfg", "new z"}}), target = m_dir + "/old-copy";
  const Tree kOld = {{"setup.cfg", "old cfg"}, {"z.cfg", "old z"}, {"setup.cfg.~dvx-old", "mine"}};
  static int s_stopAt;
  const struct {
    int stopAt;     // the commit step the restore is killed at; -2 for none
    bool undone;    // after the stop, the last target is made read-only: the set is undone
    bool complete;  // the folder ends with the archive's files
  } kCases[] = {{-2, false, true}, {0, true, false}, {1, true, false}, {1, false, true}, {2, false, true}};
  for (const auto& c : kCases) {
    fs::remove_all(target);
    for (auto& [name, bytes] : kOld) WriteBytes(target + "/" + name, bytes);
    s_stopAt = c.stopAt;
    dravonix::test::InChildProcess([&] {
      g_pfnConfigCommitStep = [](int step) {
        if (step == s_stopAt) raise(SIGKILL);
      };
      return std::to_string(RestoreDirectory(zip.c_str(), target.c_str()));
    });
    ASSERT_EQ(0, chmod((target + "/z.cfg").c_str(), c.undone ? 0444 : 0644));
    { CConfigFolderLock lock(target.c_str()); }
    Tree expected = kOld;
    if (c.complete) expected["setup.cfg"] = "new cfg", expected["z.cfg"] = "new z";
    EXPECT_EQ(PlainFiles(target), expected) << c.stopAt << c.undone;
  }
}

TEST_F(SetupRestoreTest, ARestoreKilledBeforeItsRecordLeavesNothingOfAFileTheFolderLacked) {
  const std::string zip = Pack("lacked", {{"setup.cfg", "new cfg"}, {"notes.txt", "new notes"}}), target = m_dir + "/lacked";
  WriteBytes(target + "/setup.cfg", "old cfg");
  dravonix::test::InChildProcess([&] {
    g_pfnConfigCommitStep = [](int step) {
      if (step == -1) raise(SIGKILL);
    };
    return std::to_string(RestoreDirectory(zip.c_str(), target.c_str()));
  });
  { CConfigFolderLock lock(target.c_str()); }
  EXPECT_EQ(PlainFiles(target), (Tree{{"setup.cfg", "old cfg"}}));
}

TEST_F(SetupRestoreTest, AModeThatCannotBeGivenRefusesTheRestoreAndTakesBackTheRest) {
  const mode_t mask = umask(022);
  const std::string zip = PackModes(0644), target = m_dir + "/modes";
  // The ordinary user's folder, where another user's file (its own mode theirs to give) may be written.
  WriteBytes(target + "/same.cfg", "same");
  WriteBytes(target + "/z.cfg", "old z");
  ASSERT_EQ(0, chmod((target + "/same.cfg").c_str(), 0666));
  for (const std::string& p : {target, target + "/z.cfg"}) ASSERT_EQ(0, chown(p.c_str(), 65534, 65534));
  const std::string result = dravonix::test::AsOrdinaryUser([&] {
    ClearBoxes();
    const int restored = RestoreDirectory(zip.c_str(), target.c_str());
    return std::to_string(restored) + " " + LastBox();
  });
  EXPECT_EQ(result, "0 Cannot write in file " + target + "/same.cfg! Check file system permissions.");
  EXPECT_EQ(Snapshot(target), (Tree{{"same.cfg", std::to_string(0666) + " same"}, {"z.cfg", std::to_string(0644) + " old z"}}));
  umask(mask);
}

namespace {

// A folder of top-level files and what one restore does to it: killed at a commit step, refused by a
// read-only target, or done. The next hold of the folder's lock finds it whole old or whole new,
// bytes and modes.
struct ModeRound {
  struct File {
    bool same;  // the folder's bytes are the archive's
    mode_t oldMode, newMode;
  };
  std::vector<File> files;
  int stopAt;  // -2: never
};

int g_modeStopAt = -2;

}  // namespace

TEST_F(SetupRestoreTest, ARestoreKilledAtAnyStepLeavesEveryFilesBytesAndModeWholeOldOrNew) {
  const mode_t mask = umask(022);
  const mode_t kModes[] = {0444, 0600, 0640, 0644, 0664};
  std::vector<ModeRound> rounds = {
      {{{true, 0644, 0444}, {false, 0444, 0644}}, -2},  // a read-only target after a kept file
      {{{true, 0644, 0600}, {false, 0644, 0644}}, 1},   // killed between a rename and a mode
  };
  std::mt19937 rng(11);
  for (int n = 0; n < 24; ++n) {
    ModeRound r;
    for (int f = (int)(rng() % 4) + 1; f > 0; --f) r.files.push_back({rng() % 2 == 0, kModes[rng() % 5], kModes[rng() % 5]});
    r.stopAt = (int)(rng() % 7) - 2;
    rounds.push_back(r);
  }
  const std::string tree = m_dir + "/round.tree", zip = m_dir + "/round.zip", target = m_dir + "/round";
  for (size_t i = 0; i < rounds.size(); ++i) {
    const ModeRound& r = rounds[i];
    Tree old, fresh;
    bool refused = false;
    fs::remove_all(tree);
    fs::remove_all(target);
    for (size_t f = 0; f < r.files.size(); ++f) {
      const std::string name = "f" + std::to_string(f) + ".cfg", bytes = "new " + name;
      const ModeRound::File& file = r.files[f];
      WriteBytes(tree + "/" + name, bytes);
      WriteBytes(target + "/" + name, file.same ? bytes : "old " + name);
      ASSERT_EQ(0, chmod((tree + "/" + name).c_str(), file.newMode));
      ASSERT_EQ(0, chmod((target + "/" + name).c_str(), file.oldMode));
      old[name] = std::to_string(file.oldMode) + " " + (file.same ? bytes : "old " + name);
      fresh[name] = std::to_string(file.newMode & 0755) + " " + bytes;  // within the umask
      refused = refused || !(file.oldMode & S_IWUSR);
    }
    ASSERT_TRUE(ArchiveDirectory(tree.c_str(), zip.c_str())) << LastBox();
    g_modeStopAt = r.stopAt;
    const std::string result = dravonix::test::InChildProcess([&] {
      g_pfnConfigCommitStep = [](int step) {
        if (step == g_modeStopAt) raise(SIGKILL);
      };
      return std::to_string(RestoreDirectory(zip.c_str(), target.c_str()));
    });
    { CConfigFolderLock lock(target.c_str()); }
    // Killed before its record or refused: old; else done, at once or by the lock's next holder.
    const bool done = !refused && r.stopAt != -1;
    EXPECT_EQ(Snapshot(target), done ? fresh : old) << "round " << i << " " << result;
  }
  umask(mask);
}

TEST_F(SetupRestoreTest, ARecordOfModesNeverGivesMoreThanAnArchivesEntryOrAnyFileWould) {
  const mode_t mask = umask(022);
  // From an archive every file keeps its entry's 0644; in the folder the record counts, within 0777.
  const struct {
    const char* mode;  // as the record gives it
    mode_t inTheFolder;
  } kCases[] = {{"4777", 0777}, {"666", 0666}, {"777", 0777}, {"2755", 0755}, {"1777", 0777}, {"7777", 0777}, {"6755", 0755}};
  for (const auto& c : kCases)
    for (const std::string file : {"setup.cfg", "notes.txt"}) {
      // A file left as it is but for its mode, as a stopped restore's record names it.
      const std::string tree = m_dir + "/record", folder = m_dir + "/record-folder", zip = m_dir + "/record.zip";
      const std::string restored = m_dir + "/record-restored", what = std::string(c.mode) + " " + file;
      for (const std::string& dir : {tree, folder, restored}) fs::remove_all(dir);
      for (const std::string& dir : {tree, folder}) {
        WriteBytes(dir + "/" + file, "bytes");
        ASSERT_EQ(0, chmod((dir + "/" + file).c_str(), 0644));
        CSaveFileIdentity id;
        ASSERT_EQ(1, GetSaveFileIdentity(dir + "/" + file, id));
        char checksum[17];
        snprintf(checksum, sizeof checksum, "%016llx", id.checksum);
        WriteBytes(dir + "/~save.journal",
                   "\t" + file + "\t\t" + std::to_string(id.size) + "\t" + checksum + "\t" + c.mode + "\t644\r\nend\r\n");
      }
      PackByHand(tree, zip);
      ClearBoxes();
      EXPECT_TRUE(RestoreDirectory(zip.c_str(), restored.c_str())) << what << ": " << LastBox();
      { CConfigFolderLock lock(restored.c_str()); }
      EXPECT_EQ(Snapshot(restored), (Tree{{file, std::to_string(0644) + " bytes"}})) << what;
      { CConfigFolderLock lock(folder.c_str()); }
      EXPECT_EQ(Snapshot(folder), (Tree{{file, std::to_string(c.inTheFolder) + " bytes"}})) << what;
      EXPECT_EQ(Boxes(), std::vector<std::string>{}) << what;
    }
  umask(mask);
}

TEST_F(SetupRestoreTest, AUsersFilesNamedLikeASavesOwnTravelByteForByteAndOnlyItsLeftoversStay) {
  const Tree kUsers = {{"notes.txt", "notes"},
                       {"setup.cfg", "cfg"},
                       {"notes.txt.~dvx-zzzzzz", "mine 1"},
                       {"notes.txt.~dvx-backup", "mine 2"},
                       {"setup.cfg.~dvx-old", "mine 3"},
                       {"sub/a.txt.~dvx-backup", "mine 4"},
                       {"notes.txt.~dvx-q1w2e3", ""},
                       {"setup.cfg.~dvx-zzzzzy", ""}};
  // What a save provably left or holds: a killed save's first temporary, the drawn saves' mark as made,
  // one that records a killed save's drawn name (the user's file has the first mark's name) and its
  // file, a record set aside, and a live save's temporary.
  const Tree kLeftovers = {{"notes.txt.~dvx-000000", "half"},
                           {"setup.cfg.~dvx-zzzzzz", "~dvx-drawn names\n"},
                           {"notes.txt.~dvx-zzzzzy", "notes.txt.~dvx-k7m2p9\n"},
                           {"notes.txt.~dvx-k7m2p9", "killed"},
                           {"~save.journal.~dvx-aside", "not a record"},
                           {"setup.cfg.~dvx-a1b2c3", "being written"}};
  const std::string tree = m_dir + "/like", zip = m_dir + "/like.zip";
  for (const Tree* t : {&kUsers, &kLeftovers})
    for (auto& [rel, bytes] : *t) WriteBytes(tree + "/" + rel, bytes);
  const int live = open((tree + "/setup.cfg.~dvx-a1b2c3").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(0, flock(live, LOCK_EX));
  ClearBoxes();
  ASSERT_TRUE(ArchiveDirectory(tree.c_str(), zip.c_str())) << LastBox();
  close(live);
  // Into a new folder, and over one that holds other bytes under the same names.
  const std::string fresh = m_dir + "/like-new", over = m_dir + "/like-over";
  for (auto& [rel, bytes] : kUsers) WriteBytes(over + "/" + rel, "old " + bytes);
  for (const std::string& to : {fresh, over}) {
    ASSERT_TRUE(RestoreDirectory(zip.c_str(), to.c_str())) << to << ": " << LastBox();
    EXPECT_EQ(PlainFiles(to), kUsers) << to;
    { CConfigFolderLock lock(to.c_str()); }
    EXPECT_EQ(PlainFiles(to), kUsers) << to;
  }
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
}
