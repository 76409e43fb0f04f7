// Saving a motion directory as one set: a save stopped at any point, or refused at any file, leaves
// the whole old program or the whole new one, and the boxes name the files in the platform's form.
#include "motion/cam/MC_CAMTables.h"
#include "platform/core/MessageBox.h"
#include "tests/motion/MotionTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"

#include <sys/inotify.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

Files ReadAll(const std::string& dir) {
  Files files;
  for (auto& e : fs::directory_iterator(dir))
    files[e.path().filename().string()] = dravonix::test::ReadFileText(e.path());
  return files;
}

std::set<std::string> Entries(const std::string& dir, bool withTemporaries) {
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (withTemporaries || name.find(".~") == std::string::npos) names.insert(name);
  }
  return names;
}

std::set<std::string> Names(const Files& files) {
  std::set<std::string> names;
  for (auto& [name, bytes] : files) names.insert(name);
  return names;
}

int g_stopAt = -2;
void StopAt(int step) {
  if (step == g_stopAt) raise(SIGKILL);
}

class MotionSaveTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_old = Version("old", false);
    // The new program also has a source text, a second table and a main.cfg of over 4,096 bytes.
    MotionPtr made = Version("new", true);
    const std::string src = dravonix::test::ScratchDir("source-new");
    ASSERT_TRUE(made->SaveToDirectory(src.c_str())) << LastBox();
    WriteBytes(src + "/motion.zur", "// new\r\n");
    CMC_Setup* setup = m_setup.get();
    m_new.reset(CMC_Motion::CreateFromDirectory(setup, src.c_str()));
    ASSERT_TRUE(m_new) << LastBox();
    m_oldFiles = SavedBy(*m_old, "old");
    m_newFiles = SavedBy(*m_new, "new");
    ASSERT_GT(m_newFiles["main.cfg"].size(), 4096u);
    ASSERT_EQ(Names(m_newFiles), (std::set<std::string>{"Cam1.cam", "Cam2.cam", "cam.cfg", "functions.cfg",
                                                         "homingmodes.cfg", "interrupts.cfg", "main.cfg", "motion.zur"}));
  }
  void TearDown() override {
    g_pfnConfigCommitStep = nullptr;
    m_old.reset();
    m_new.reset();
    m_setup.reset();
    SetupTest::TearDown();
  }

  MotionPtr Version(const std::string& tag, bool more) {
    MotionPtr m(CMC_Motion::Create(m_setup.get()));
    EXPECT_TRUE(m);
    if (!m) return m;
    for (int i = 0; i < (more ? 150 : 3); ++i) {
      CMC_MotionElem* e = m->CreateElement("Comment");
      e->m_strParameters = ("Text={" + tag + " line " + std::to_string(i) + "}").c_str();
      m->GetMain()->Add(e);
    }
    m->AddNewFunction(("f_" + tag).c_str());
    CMC_CAMTables* cams = m->GetCAMTables();
    cams->AddNewSelCAM("Cam1");
    const LONG points[] = {more ? 7 : 1, 2, 3};
    cams->GetSelCAM(0)->SetPoints(points, 3);
    if (more) cams->AddNewSelCAM("Cam2");
    return m;
  }
  Files SavedBy(CMC_Motion& m, const std::string& tag) {
    const std::string dir = dravonix::test::ScratchDir("saved-" + tag);
    EXPECT_TRUE(m.SaveToDirectory(dir.c_str())) << LastBox();
    return ReadAll(dir);
  }
  // A folder holding the old program's files.
  std::string OldFolder(const std::string& name) {
    const std::string dir = dravonix::test::ScratchDir(name);
    for (auto& [file, bytes] : m_oldFiles) WriteBytes(dir + "/" + file, bytes);
    return dir;
  }
  // What a load of the folder reads; then "old" or "new" when every file of the folder is that
  // program's, byte for byte (and those it lacks are absent), else "mixed".
  std::string State(const std::string& dir) {
    CMC_Setup* setup = m_setup.get();
    MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
    std::string state = loaded ? "loaded " + std::string(loaded->GetFunctionName(0).GetString()) + " with " +
                                     std::to_string(loaded->GetCAMsCount()) + " tables"
                               : "no program: " + LastBox();
    std::set<std::string> names = Names(m_oldFiles);
    for (auto& [name, bytes] : m_newFiles) names.insert(name);
    auto is = [&](const Files& set) {
      for (const std::string& name : names) {
        const bool exists = fs::exists(dir + "/" + name);
        if (set.count(name) ? !exists || ReadBytes(dir + "/" + name) != set.at(name) : exists) return false;
      }
      return true;
    };
    return state + ", " + (is(m_oldFiles) ? "old" : is(m_newFiles) ? "new" : "mixed");
  }

  SetupPtr m_setup;
  MotionPtr m_old, m_new;
  Files m_oldFiles, m_newFiles;
};

const char kWholeOld[] = "loaded f_old with 1 tables, old";
const char kWholeNew[] = "loaded f_new with 2 tables, new";

TEST_F(MotionSaveTest, ASaveStoppedAtAnyStepLeavesTheWholeOldOrTheWholeNewProgram) {
  // Before the set is recorded, after 0 to 6 of its files are replaced (the two that do not change
  // stay out of it), and before its record goes.
  for (int step = -1; step <= 7; ++step) {
    const std::string dir = OldFolder("stopped" + std::to_string(step));
    const std::string result = dravonix::test::InChildProcess([&] {
      g_stopAt = step;
      g_pfnConfigCommitStep = StopAt;
      return std::to_string(m_new->SaveToDirectory(dir.c_str()));
    });
    EXPECT_EQ(result.rfind("child failed: signal 9", 0), 0u) << step << ": " << result;
    const bool whole = step >= 0;
    EXPECT_EQ(State(dir), whole ? kWholeNew : kWholeOld) << step;
    // A stopped save's temporaries stay only until the next save of the folder.
    EXPECT_EQ(Entries(dir, whole), Names(whole ? m_newFiles : m_oldFiles)) << step;
  }
}

TEST_F(MotionSaveTest, ARefusedFileLeavesEveryOldFileAndABoxNamingIt) {
  const struct {
    rlim_t sizeLimit;
    const char* readOnly;
    const char* file;
    const char* reason;  // null: the system's own text
  } kCases[] = {
      {0, nullptr, "motion.zur", nullptr},
      {4096, nullptr, "main.cfg", nullptr},
      {RLIM_INFINITY, "main.cfg", "main.cfg", "Check file system permissions."},
      {RLIM_INFINITY, "Cam1.cam", "Cam1.cam", "Check file system permissions."},
  };
  for (const auto& c : kCases) {
    const std::string dir = OldFolder(std::string("refused-") + c.file + std::to_string(c.sizeLimit));
    if (c.readOnly) fs::permissions(dir + "/" + c.readOnly, fs::perms::owner_write, fs::perm_options::remove);
    const std::string result = dravonix::test::WithFileSizeLimit(c.sizeLimit, [&] {
      ClearBoxes();
      std::string out = std::to_string(m_new->SaveToDirectory(dir.c_str()));
      for (const std::string& box : Boxes()) out += " | " + box;
      return out;
    });
    EXPECT_EQ(result, "0 | " + (c.reason ? "Cannot write in file " + dir + "/" + c.file + "! " + c.reason
                                         : std::string("There is not enough space on the disk.\r\n")))
        << c.file;
    EXPECT_EQ(State(dir), kWholeOld) << c.file;
    EXPECT_EQ(Entries(dir, true), Names(m_oldFiles)) << c.file;
  }
}

TEST_F(MotionSaveTest, AFileLinkedOutOfTheFolderIsRefusedWithNothingMadeOutside) {
  for (const char* file : {"main.cfg", "Cam1.cam"}) {
    const std::string dir = OldFolder(std::string("linked-") + file), outside = dravonix::test::ScratchDir("outside");
    WriteBytes(outside + "/user.txt", "the user's file");
    fs::remove(dir + "/" + file);
    fs::create_symlink(outside + "/user.txt", dir + "/" + file);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, outside.c_str(), IN_CREATE | IN_MOVED_TO | IN_MODIFY), 0);
    ClearBoxes();
    EXPECT_EQ(0, m_new->SaveToDirectory(dir.c_str())) << file;
    alignas(inotify_event) char events[sizeof(inotify_event) + NAME_MAX + 1];
    EXPECT_LT(read(watch, events, sizeof events), 0) << file << ": something was made outside";
    close(watch);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot write in file " + dir + "/" + file + "! The request is not supported."});
    EXPECT_EQ(ReadBytes(outside + "/user.txt"), "the user's file");
    EXPECT_EQ(Entries(outside, true), std::set<std::string>{"user.txt"});
    // A table's file refused keeps the rest of the program from nothing.
    EXPECT_EQ(Entries(dir, true), Names(std::string(file) == "Cam1.cam" ? m_newFiles : m_oldFiles)) << file;
  }
}

TEST_F(MotionSaveTest, LoadBoxesNameTheFilesInThePlatformsForm) {
  const struct {
    const char* file;
    const char* bytes;  // null: removed
    std::string box;
    bool asGiven;  // the file as the directory was given; else the whole path the opener tried
  } kCases[] = {
      {"main.cfg", nullptr, "Cannot open file %s!", false},
      {"interrupts.cfg", "End\r\n", "Invalid syntax in file %s, line 1", true},
      {"Cam1.cam", "bad!", "The file \"%s\" isn't a valid CAM file!", true},
      {"cam.cfg", nullptr, "Cannot open file %s!", false},
  };
  for (const auto& c : kCases)
    for (const bool relative : {false, true}) {
      // An absolute directory, or one named relative to the kernel folder, as projects name them.
      const std::string leaf = std::string(relative ? "rel-" : "load-") + c.file;
      const std::string dir = relative ? dravonix::test::KernelDir() + "/Motion/" + leaf : OldFolder(leaf);
      const std::string given = relative ? "Motion\\" + leaf : dir;
      if (relative) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (auto& [file, bytes] : m_oldFiles) WriteBytes(dir + "/" + file, bytes);
      }
      if (c.bytes) WriteBytes(dir + "/" + c.file, c.bytes);
      else fs::remove(dir + "/" + c.file);
      ClearBoxes();
      CMC_Setup* setup = m_setup.get();
      MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, given.c_str()));
      CString box;
      box.Format(c.box.c_str(), ((relative && c.asGiven ? "Motion/" + leaf : dir) + "/" + c.file).c_str());
      std::vector<std::string> aboutTheFolder;
      for (const std::string& b : Boxes())
        if (b.find(leaf) != std::string::npos) aboutTheFolder.push_back(b);
      EXPECT_EQ(aboutTheFolder, std::vector<std::string>{box.GetString()}) << given;
    }
}

TEST_F(MotionSaveTest, ASaveKeepsATableFileTheLoadCouldNotRead) {
  const std::string dir = OldFolder("cam-unread");
  // The new program's second table, edited by another program: its sum no longer matches.
  std::string cam2 = m_newFiles.at("Cam2.cam");
  cam2[10] ^= 0x01;
  WriteBytes(dir + "/Cam2.cam", cam2);
  ClearBoxes();
  CMC_Setup* setup = m_setup.get();
  MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
  ASSERT_TRUE(loaded) << LastBox();
  EXPECT_EQ(LastBox(), "The file \"" + dir + "/Cam2.cam\" isn't a valid CAM file!");
  EXPECT_EQ(1, loaded->GetCAMsCount());
  ASSERT_EQ(1, loaded->SaveToDirectory(dir.c_str())) << LastBox();
  EXPECT_EQ(cam2, ReadBytes(dir + "/Cam2.cam"));
  EXPECT_EQ(m_oldFiles.at("Cam1.cam"), ReadBytes(dir + "/Cam1.cam"));
}

TEST_F(MotionSaveTest, ASaveDeletesOnlyTheFilesOfTablesTheUserRemoved) {
  const std::string dir = dravonix::test::ScratchDir("cam-removed");
  for (auto& [file, bytes] : m_newFiles) WriteBytes(dir + "/" + file, bytes);
  CMC_Setup* setup = m_setup.get();
  MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
  ASSERT_TRUE(loaded) << LastBox();
  CMC_CAMTables* cams = loaded->GetCAMTables();
  ASSERT_EQ(2, cams->GetCAMsCount());
  ASSERT_EQ(1, cams->DemoteSelectedToAvailable(1));
  cams->RemoveAvailable(0);  // Cam2
  ASSERT_EQ(1, cams->RenameSelCAM(0, "Renamed"));
  // A table file that another program put there since the load is none of this program's.
  WriteBytes(dir + "/Other.cam", m_newFiles.at("Cam2.cam"));
  ASSERT_EQ(1, loaded->SaveToDirectory(dir.c_str())) << LastBox();
  EXPECT_EQ(Entries(dir, true), (std::set<std::string>{"Other.cam", "Renamed.cam", "cam.cfg", "functions.cfg",
                                                       "homingmodes.cfg", "interrupts.cfg", "main.cfg", "motion.zur"}));
  EXPECT_EQ(m_newFiles.at("Cam1.cam"), ReadBytes(dir + "/Renamed.cam"));
  EXPECT_EQ(m_newFiles.at("Cam2.cam"), ReadBytes(dir + "/Other.cam"));
}

TEST_F(MotionSaveTest, ARemovedTableNeverComesBackWhereverTheSaveStops) {
  // Before the set is recorded, after each of its changes (six files written, one removed), and
  // before its record goes; past the last step the save runs to its end.
  for (int step = -1; step <= 9; ++step) {
    const std::string dir = dravonix::test::ScratchDir("cam-removal" + std::to_string(step));
    for (auto& [file, bytes] : m_newFiles) WriteBytes(dir + "/" + file, bytes);
    CMC_Setup* setup = m_setup.get();
    MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
    ASSERT_TRUE(loaded) << LastBox();
    ASSERT_EQ(1, loaded->GetCAMTables()->DemoteSelectedToAvailable(1));
    loaded->GetCAMTables()->RemoveAvailable(0);  // Cam2
    const std::string result = dravonix::test::InChildProcess([&] {
      g_stopAt = step;
      g_pfnConfigCommitStep = StopAt;
      return std::to_string(loaded->SaveToDirectory(dir.c_str()));
    });
    EXPECT_TRUE(result == "1" || result.rfind("child failed: signal 9", 0) == 0) << step << ": " << result;
    MotionPtr again(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
    ASSERT_TRUE(again) << step << ": " << LastBox();
    const CMC_CAMTables* cams = again->GetCAMTables();
    const std::string state = std::to_string(cams->GetCAMsCount()) + " selected, " +
                              std::to_string(cams->GetAvailableCount()) + " available, " +
                              (fs::exists(dir + "/Cam2.cam") ? "Cam2.cam there" : "no Cam2.cam");
    EXPECT_EQ(state, step < 0 ? "2 selected, 0 available, Cam2.cam there" : "1 selected, 0 available, no Cam2.cam")
        << step;
    if (step >= 0) {
      EXPECT_EQ(Entries(dir, true), Entries(dir, false)) << step;
    }
  }
}

TEST_F(MotionSaveTest, ARemovedTableGoesFromEveryFolderTheProgramSavedItTo) {
  const std::string a = dravonix::test::ScratchDir("cam-folder-a"), b = dravonix::test::ScratchDir("cam-folder-b");
  ASSERT_EQ(1, m_new->SaveToDirectory(a.c_str())) << LastBox();
  ASSERT_EQ(1, m_new->SaveToDirectory(b.c_str())) << LastBox();
  CMC_CAMTables* cams = m_new->GetCAMTables();
  ASSERT_EQ(1, cams->DemoteSelectedToAvailable(1));
  cams->RemoveAvailable(0);  // Cam2
  for (const std::string& dir : {a, b}) {
    ASSERT_EQ(1, m_new->SaveToDirectory(dir.c_str())) << LastBox();
    EXPECT_FALSE(fs::exists(dir + "/Cam2.cam")) << dir;
    CMC_Setup* setup = m_setup.get();
    MotionPtr again(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
    ASSERT_TRUE(again) << LastBox();
    EXPECT_EQ(again->GetCAMTables()->GetCAMsCount() + again->GetCAMTables()->GetAvailableCount(), 1) << dir;
  }
}

TEST_F(MotionSaveTest, AStoppedSaveThatLostATemporaryLoadsWholeOldBesideFilesThatDoNotChange) {
  // Killed before its first replacement; the temporary of each file in turn lost.
  for (const char* lost : {"motion.zur", "main.cfg", "functions.cfg", "Cam1.cam", "Cam2.cam", "cam.cfg"}) {
    const std::string dir = OldFolder("lost-temporary");
    dravonix::test::InChildProcess([&] {
      g_stopAt = 0;
      g_pfnConfigCommitStep = StopAt;
      return std::to_string(m_new->SaveToDirectory(dir.c_str()));
    });
    ASSERT_TRUE(fs::exists(dir + "/~save.journal")) << lost;
    for (auto& e : fs::directory_iterator(dir))
      if (IsSaveTempName(e.path().filename().string(), lost)) fs::remove(e.path());
    ClearBoxes();
    EXPECT_EQ(State(dir), kWholeOld) << lost;
    for (const std::string& box : Boxes()) EXPECT_EQ(box.find(dir), std::string::npos) << lost << ": " << box;
  }
}

}  // namespace

namespace {

using OtherWriters = MotionBuildFixture;

TEST_F(OtherWriters, OnAFullDiskTheOldFileStaysAndTheBoxSaysWhy) {
  const std::string exported = m_dir + "/export.txt", source = m_dir + "/motion.zur", group = m_dir + "/group.cfg";
  WriteBytes(exported, "old table");
  WriteBytes(group, "old group");
  const std::string kFull = "There is not enough space on the disk.\r\n";
  m_motion->GetMain()->Add(CodeElem("A;"));
  CMC_CAM cam;
  const LONG points[] = {1, 2};
  cam.SetPoints(points, 2);
  const struct {
    const char* what;
    std::function<int()> write;
    std::string file;
    const char* left;  // null: no file
    std::string box;
  } kCases[] = {
      {"table export", [&] { return cam.Export(exported.c_str()); }, exported, "old table", kFull},
      // Written only when missing: a cut one would stay for good.
      {"top-level source of a build", [&] { return Build(); }, source, nullptr, kFull},
      {"group", [&] { return m_motion->GetMain()->Save(group.c_str()); }, group, "old group", kFull},
  };
  for (const auto& c : kCases) {
    const std::string result = dravonix::test::WithFileSizeLimit(0, [&] {
      g_bShowErrors = TRUE;
      ClearBoxes();
      const std::string written = std::to_string(c.write());
      const auto& boxes = Automation::Instance().MessageBoxes();
      return written + " | " + LastBox() + (!boxes.empty() && (boxes.back().type & MB_ICONMASK) == MB_ICONSTOP ? " stop" : "");
    });
    EXPECT_EQ(result, "0 | " + c.box + " stop") << c.what;
    EXPECT_EQ(fs::exists(c.file) ? ReadBytes(c.file) : "(none)", c.left ? c.left : "(none)") << c.what;
  }
  EXPECT_EQ(Entries(m_dir, true), (std::set<std::string>{"export.txt", "group.cfg"}));
}

}  // namespace
