// Saving a setup directory as one set: a save stopped at any point, two processes saving one
// folder, and the boxes of failed saves and exports naming what the user chose.
#include "kernel/setup/SetupArchive.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"

#include <csignal>
#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

const char* const kSetupFiles[] = {"setup.cfg", "parameters.cfg", "variables.cfg"};

Files ReadSet(const std::string& dir) {
  Files files;
  for (const char* name : kSetupFiles) files[name] = dravonix::test::ReadFileText(dir + "/" + name);
  return files;
}

// For each of the three files, the tag of the set it equals byte for byte, "?" for none.
std::map<std::string, std::string> Tags(const std::string& dir, const std::map<std::string, Files>& sets) {
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

std::set<std::string> Entries(const std::string& dir) {
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

const std::set<std::string> kOnlyTheSet(std::begin(kSetupFiles), std::end(kSetupFiles));

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
  Files SavedBy(CMC_Setup& s, const std::string& tag) {
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
  const Files oldFiles = SavedBy(*older, "old"), newFiles = SavedBy(*newer, "new");
  const std::map<std::string, Files> sets = {{"old", oldFiles}, {"new", newFiles}};
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
  const std::map<std::string, Files> sets = {{"old", ReadSet(dir)}};
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
  const std::map<std::string, Files> sets = {{"a", SavedBy(*a, "a")}, {"b", SavedBy(*b, "b")}};
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
      {"save with the separators mixed, onto a full disk",
       [&] {
         return dravonix::test::WithFileSizeLimit(0, [&] {
           return saveTo(dir + "\\mixed\\");
         });
       },
       "0 Cannot write in file " + dir + "/mixed/setup.cfg! There is not enough space on the disk."},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.act(), c.box) << c.what;
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"locked", "mixed", "readonly.t.zip"}));
  EXPECT_EQ(ReadBytes(dir + "/readonly.t.zip"), "old");
  EXPECT_TRUE(fs::is_empty(dir + "/mixed"));
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  DialogAutomation::Reset();
}
