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

std::set<std::string> Entries(const std::string& dir) {
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
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
  Files SavedBy(CMC_Setup& s, const std::string& tag) {
    const std::string dir = dravonix::test::ScratchDir("saved-" + tag);
    EXPECT_TRUE(s.SaveToDirectory(dir.c_str())) << LastBox();
    return ReadSet(dir);
  }
};

}  // namespace

TEST_F(SetupSaveTest, FailedSavesAndExportsNameWhatTheUserChose) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  const std::string dir = dravonix::test::ScratchDir("boxes");
  const std::string locked = dir + "/locked";
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::remove);
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
      {"save with the separators mixed, onto a full disk",
       [&] {
         return dravonix::test::WithFileSizeLimit(0, [&] {
           return saveTo(dir + "\\mixed\\");
         });
       },
       "0 Cannot write in file " + dir + "/mixed/setup.cfg! There is not enough space on the disk."},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.act(), c.box) << c.what;
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"locked", "mixed"}));
  EXPECT_TRUE(fs::is_empty(dir + "/mixed"));
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  DialogAutomation::Reset();
}
