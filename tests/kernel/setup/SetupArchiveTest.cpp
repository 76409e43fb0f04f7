// Setup archives: folder trees through zip files (checked with python's zipfile), custom kernel
// data under a project folder, and the export of a setup for the drive-language library.
#include "kernel/setup/SetupArchive.h"
#include "suite/zip/ZipLibraries.h"
#include "platform/core/FolderLock.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Every file under a folder with its bytes, by relative path.
std::map<std::string, std::string> FilesBelow(const std::string& dir) {
  std::map<std::string, std::string> t;
  for (auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) t[fs::relative(e.path(), dir).generic_string()] = dravonix::test::ReadFileText(e.path());
  return t;
}

// Runs python3 on a zip file; the output, or "python3 failed".
std::string Python(const std::string& script, const std::string& zip) {
  std::string cmd = "python3 -c \"" + script + "\" '" + zip + "' 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  return p && pclose(p) == 0 ? out : "python3 failed: " + out;
}

// The independent check: no damaged entry, then the names, one a line, with their methods.
const char* kListing =
    "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
    "print(chr(10).join(sorted(i.filename+' '+str(i.compress_type) for i in z.infolist())))";

class SetupArchiveTest : public SetupTest {
 protected:
  std::string m_dir = dravonix::test::ScratchDir("archive");
};

}  // namespace

TEST_F(SetupArchiveTest, ATreeTravelsByteForByteThroughAnArchive) {
  std::string binary(70000, '\0');
  std::mt19937 rng(7);
  for (char& c : binary) c = (char)rng();
  WriteBytes(m_dir + "/tree/top.cfg", "KEY=1\r\n");
  WriteBytes(m_dir + "/tree/empty.txt", "");
  WriteBytes(m_dir + "/tree/a/b/c/deep.bin", binary);
  WriteBytes(m_dir + "/tree/a/x.dat", std::string(5000, 'x'));
  std::string zip = m_dir + "/tree.t.zip";
  ASSERT_TRUE(ArchiveDirectory((m_dir + "\\tree").c_str(), zip.c_str()));
  // Relative names with "/", all deflated (method 8), no damaged entry.
  EXPECT_EQ("a/b/c/deep.bin 8\na/x.dat 8\nempty.txt 8\ntop.cfg 8\n", Python(kListing, zip));
  ASSERT_TRUE(RestoreDirectory(zip.c_str(), (m_dir + "/copy").c_str()));
  EXPECT_EQ(FilesBelow(m_dir + "/tree"), FilesBelow(m_dir + "/copy"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupArchiveTest, LinksThatLeadBackIntoTheTreeAreNotWalkedAgain) {
  WriteBytes(m_dir + "/tree/top.cfg", "1");
  WriteBytes(m_dir + "/tree/a/x.dat", "2");
  fs::create_directory_symlink(".", m_dir + "/tree/self");
  fs::create_directory_symlink("..", m_dir + "/tree/a/up");
  const std::string zip = m_dir + "/loops.zip";
  const std::string out = dravonix::test::InChildProcess([&] {
    alarm(10);
    return std::to_string(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  });
  EXPECT_EQ("1", out);
  EXPECT_EQ("a/x.dat 8\ntop.cfg 8\n", Python(kListing, zip));
}

TEST_F(SetupArchiveTest, PipesAndDevicesInTheTreeAreNotPacked) {
  WriteBytes(m_dir + "/tree/top.cfg", "1");
  ASSERT_EQ(0, mkfifo((m_dir + "/tree/pipe").c_str(), 0600));
  ASSERT_EQ(0, mknod((m_dir + "/tree/null").c_str(), S_IFCHR | 0600, makedev(1, 3)));
  const std::string zip = m_dir + "/special.zip";
  EXPECT_EQ("1", dravonix::test::InChildProcess([&] {
    alarm(10);
    return std::to_string(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  }));
  EXPECT_EQ("top.cfg 8\n", Python(kListing, zip));
}

TEST_F(SetupArchiveTest, ARestoreWaitsForTheFoldersLockAndGivenUpWritesNothing) {
  WriteBytes(m_dir + "/tree/setup.cfg", "new");
  const std::string zip = m_dir + "/set.zip", target = m_dir + "/target";
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  WriteBytes(target + "/setup.cfg", "old");
  // Another thread holds the folder, as a save or a load of it does.
  std::promise<void> held, release;
  std::thread holder([&] {
    CFolderLock lock(target.c_str());
    held.set_value();
    release.get_future().wait();
  });
  held.get_future().wait();
  const DWORD wait = g_dwFolderLockWait;
  g_dwFolderLockWait = 50;
  ClearBoxes();
  const int restored = RestoreDirectory(zip.c_str(), target.c_str());
  g_dwFolderLockWait = wait;
  release.set_value();
  holder.join();
  EXPECT_FALSE(restored);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"The folder " + target +
                                              " is in use by another program.\nChoose Retry to wait for it again."});
  EXPECT_EQ(FilesBelow(target), (std::map<std::string, std::string>{{"setup.cfg", "old"}}));
}

TEST_F(SetupArchiveTest, FailuresLeaveNoArchiveAndNoFolderBehind) {
  WriteBytes(m_dir + "/tree/one.cfg", "1");
  std::string zip = m_dir + "/good.zip";
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  std::string good = ReadBytes(zip);
  // Archives that must not unpack: damaged, cut short, or naming places outside the folder.
  const char* kEvil = "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1],'w')\nz.writestr('fine.txt','ok')\n"
                      "b=chr(92)\nn=['../x','/x','C:x',b+'x','a'+b+'..'+b+'..'+b+'x'][int(sys.argv[1][-5])-1]\n"
                      "z.writestr(zipfile.ZipInfo(n),'bad')\nz.close()";
  std::string damaged = good;
  damaged[damaged.size() / 3] ^= 0x55;
  WriteBytes(m_dir + "/damaged.zip", damaged);
  WriteBytes(m_dir + "/short.zip", good.substr(0, good.size() / 2));
  WriteBytes(m_dir + "/garbage.zip", "PK not a zip at all");
  for (const char* name : {"evil1.zip", "evil2.zip", "evil3.zip", "evil4.zip", "evil5.zip"})
    ASSERT_EQ("", Python(kEvil, m_dir + "/" + name));
  for (const char* name : {"damaged.zip", "short.zip", "garbage.zip", "evil1.zip", "evil2.zip", "evil3.zip", "evil4.zip",
                           "evil5.zip", "missing.zip"}) {
    ClearBoxes();
    std::string out = m_dir + "/out-" + name;
    EXPECT_FALSE(RestoreDirectory((m_dir + "/" + name).c_str(), out.c_str())) << name;
    EXPECT_FALSE(fs::exists(out)) << name;
    ASSERT_EQ(1u, Boxes().size()) << name;
    EXPECT_EQ(MB_ICONEXCLAMATION, Automation::Instance().MessageBoxes()[0].type & MB_ICONMASK);
  }
  EXPECT_FALSE(fs::exists(m_dir + "/x"));
  // A folder that was there keeps what it held.
  WriteBytes(m_dir + "/kept/mine.txt", "mine");
  EXPECT_FALSE(RestoreDirectory((m_dir + "/evil1.zip").c_str(), (m_dir + "/kept").c_str()));
  EXPECT_EQ((std::map<std::string, std::string>{{"mine.txt", "mine"}}), FilesBelow(m_dir + "/kept"));
  // An archive that cannot be written is not left behind; without error boxes nothing shows.
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_FALSE(ArchiveDirectory((m_dir + "/tree").c_str(), (m_dir + "/no/such/folder/x.zip").c_str()));
  EXPECT_FALSE(fs::exists(m_dir + "/no"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupArchiveTest, AFailedArchiveKeepsTheOldOneAndSaysWhy) {
  WriteBytes(m_dir + "/tree/one.cfg", "1");
  const std::string zip = m_dir + "/kept.t.zip";
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  const std::string old = ReadBytes(zip);
  std::string noise(200000, '\0');
  std::mt19937 rng(3);
  for (char& c : noise) c = (char)rng();
  WriteBytes(m_dir + "/tree/big.bin", noise);
  const std::string result = dravonix::test::WithFileSizeLimit(65536, [&] {
    ClearBoxes();
    const int packed = ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str());
    return std::to_string(packed) + " " + LastBox();
  });
  EXPECT_EQ(result, "0 Cannot write in file " + zip + "! There is not enough space on the disk.");
  EXPECT_EQ(ReadBytes(zip), old);
  std::set<std::string> left;
  for (auto& e : fs::directory_iterator(m_dir)) left.insert(e.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"kept.t.zip", "tree"}));
  // Once there is room the new archive replaces it.
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  EXPECT_EQ("big.bin 8\none.cfg 8\n", Python(kListing, zip));
}

TEST_F(SetupArchiveTest, AnArchiveSaveKilledMidwayLeavesNothingAfterTheNextSave) {
  std::string bytes(100000, '\0');
  std::mt19937 rng(3);
  for (char& c : bytes) c = (char)rng();
  WriteBytes(m_dir + "/tree/one.cfg", bytes);
  const std::string zip = m_dir + "/killed.zip";
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  // Killed by the system while it writes the archive, past a file-size limit.
  EXPECT_EQ("child failed: signal " + std::to_string(SIGXFSZ) + " ", dravonix::test::InChildProcess([&] {
    rlimit none{0, 0}, size{16384, 16384};
    setrlimit(RLIMIT_CORE, &none);
    setrlimit(RLIMIT_FSIZE, &size);
    signal(SIGXFSZ, SIG_DFL);
    ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str());
    return std::string("not killed");
  }));
  auto left = [&] {
    std::set<std::string> names;
    for (auto& e : fs::directory_iterator(m_dir)) names.insert(e.path().filename().string());
    return names;
  };
  EXPECT_GT(left().size(), 2u);  // the killed save's temporary file
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  EXPECT_EQ(left(), (std::set<std::string>{"killed.zip", "tree"}));
  EXPECT_EQ("one.cfg 8\n", Python(kListing, zip));
}

TEST_F(SetupArchiveTest, CustomDataTravelsUnderTheMarkerAndComesBack) {
  struct File {
    std::string kernel, archived;
  };
  const std::string marker = "/~_#CUSTOM_DATA#_~/";
  const File files[] = {{"Firmware/F1234/f.bin", "Firmware/F1234/f.bin"},
                        {"Firmware/F1234/sub/g.bin", "Firmware/F1234/sub/g.bin"},
                        {"Configurations/1A/2B/setup.cfg", "Configurations/1A2B/setup.cfg"},
                        {"Configurations/1A/2B/more/p.cfg", "Configurations/1A2B/more/p.cfg"},
                        {"MotionProcedures/_home.cfg", "MotionProcedures/_home.cfg"}};
  for (const File& f : files) WriteBytes(Kernel(f.kernel), "data of " + f.kernel);
  WriteBytes(Kernel("MotionProcedures/home.cfg"), "not the user's");
  CStringArray firmware, procedures;
  for (const char* id : {"F1234", "f1234", "F0123"}) firmware.Add(id);
  for (const char* name : {"_home.cfg", "home.cfg", "_HOME.cfg"}) procedures.Add(name);
  CWordArray configurations;
  for (WORD id : {0x1001, 0x2001, 0x1001, 0x1A2B}) configurations.Add(id);
  std::string project = m_dir + "/project";
  ASSERT_TRUE(ArchiveCustomData(firmware, configurations, procedures, project.c_str()));
  ASSERT_EQ(1, firmware.GetSize());
  EXPECT_EQ(CString("F1234"), firmware[0]);
  ASSERT_EQ(2, configurations.GetSize());
  EXPECT_EQ(0x1001, configurations[0]);
  ASSERT_EQ(1, procedures.GetSize());
  std::map<std::string, std::string> expected;
  for (const File& f : files) expected[f.archived] = "data of " + f.kernel;
  EXPECT_EQ(expected, FilesBelow(project + marker));
  // Back into the kernel folder, replacing what is there.
  for (const File& f : files) fs::remove(Kernel(f.kernel));
  WriteBytes(Kernel("Firmware/F1234/stale.bin"), "stale");
  ASSERT_TRUE(RestoreCustomData(project.c_str()));
  for (const File& f : files) EXPECT_EQ("data of " + f.kernel, ReadBytes(Kernel(f.kernel))) << f.kernel;
  EXPECT_FALSE(fs::exists(Kernel("Firmware/F1234/stale.bin")));
  RemoveCustomData(project.c_str());
  EXPECT_FALSE(fs::exists(project + marker));
  EXPECT_TRUE(RestoreCustomData(project.c_str()));  // nothing to restore
  // Empty lists after cleaning: nothing is copied.
  CStringArray none, odd;
  odd.Add("home.cfg");
  CWordArray system;
  system.Add(0x0505);
  EXPECT_TRUE(ArchiveCustomData(none, system, odd, project.c_str()));
  EXPECT_FALSE(fs::exists(project + marker));
  for (const char* dir : {"Firmware/F1234", "Configurations/1A"}) fs::remove_all(Kernel(dir));
}

TEST_F(SetupArchiveTest, CustomDataOfAnEmptyProjectNameIsInTheCurrentFolder) {
  WriteBytes(Kernel("Firmware/F1234/f.bin"), "f");
  const std::string cwd = fs::current_path().string(), here = m_dir + "/here";
  fs::create_directories(here);
  ASSERT_EQ(0, chdir(here.c_str()));
  CStringArray firmware, procedures;
  firmware.Add("F1234");
  CWordArray configurations;
  EXPECT_TRUE(ArchiveCustomData(firmware, configurations, procedures, CString()));
  EXPECT_EQ("f", ReadBytes(here + "/~_#CUSTOM_DATA#_~/Firmware/F1234/f.bin"));
  fs::remove_all(Kernel("Firmware/F1234"));
  EXPECT_TRUE(RestoreCustomData(CString()));
  EXPECT_EQ("f", ReadBytes(Kernel("Firmware/F1234/f.bin")));
  RemoveCustomData(CString());
  EXPECT_FALSE(fs::exists(here + "/~_#CUSTOM_DATA#_~"));
  ASSERT_EQ(0, chdir(cwd.c_str()));
  fs::remove_all(Kernel("Firmware/F1234"));
}

TEST_F(SetupArchiveTest, CustomDataThatCannotBeRestoredKeepsTheKernelsOldFolder) {
  WriteBytes(Kernel("Firmware/F1234/f.bin"), "old");
  WriteBytes(Kernel("Firmware/F1234/only-old.bin"), "old too");
  const std::string project = m_dir + "/project";
  WriteBytes(project + "/~_#CUSTOM_DATA#_~/Firmware/F1234/f.bin", std::string(100000, 'n'));
  EXPECT_EQ("0", dravonix::test::WithFileSizeLimit(16384, [&] { return std::to_string(RestoreCustomData(project.c_str())); }));
  EXPECT_EQ("old", ReadBytes(Kernel("Firmware/F1234/f.bin")));
  EXPECT_EQ("old too", ReadBytes(Kernel("Firmware/F1234/only-old.bin")));
  EXPECT_FALSE(fs::exists(Kernel("Firmware/~F1234.~dvx-new")));
  EXPECT_FALSE(fs::exists(Kernel("Firmware/~F1234.~dvx-old")));
  fs::remove_all(Kernel("Firmware/F1234"));
}

TEST_F(SetupArchiveTest, RemovingCustomDataRemovesLinksNotWhatTheyLeadTo) {
  const std::string outside = m_dir + "/outside", marker = m_dir + "/project/~_#CUSTOM_DATA#_~";
  WriteBytes(outside + "/sub/keep.bin", "the user's");
  WriteBytes(marker + "/Firmware/F1234/f.bin", "f");
  fs::create_directory_symlink(outside, marker + "/Firmware/F5678");
  fs::create_symlink(outside + "/sub/keep.bin", marker + "/MotionProcedures");
  RemoveCustomData((m_dir + "/project").c_str());
  EXPECT_FALSE(fs::exists(fs::symlink_status(marker)));
  EXPECT_EQ("the user's", ReadBytes(outside + "/sub/keep.bin"));
  // A name that would be a path in the platform's spelling ("\\" separates) names nothing else.
  WriteBytes(m_dir + "/victim.txt", "the user's");
  WriteBytes(marker + "/Firmware/..\\..\\..\\victim.txt", "planted");
  RemoveCustomData((m_dir + "/project").c_str());
  EXPECT_EQ("the user's", ReadBytes(m_dir + "/victim.txt"));
  fs::remove_all(marker);
  // The marker itself a link.
  fs::create_directory_symlink(outside, marker);
  RemoveCustomData((m_dir + "/project").c_str());
  EXPECT_FALSE(fs::exists(fs::symlink_status(marker)));
  EXPECT_EQ("the user's", ReadBytes(outside + "/sub/keep.bin"));
}

TEST_F(SetupArchiveTest, ASetupExportsAsALibraryArchive) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  EXPECT_EQ(CString(), ExportSetupForVKS_Lib("axis", nullptr, nullptr));
  DialogAutomation::Reset();
  DialogAutomation::PushFileDialogResult(nullptr);
  EXPECT_EQ(CString(), ExportSetupForVKS_Lib("axis", s.get(), nullptr));
  auto asked = DialogAutomation::CommonDialogs();
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ("Export setup to VKS_lib", asked[0].title);
  EXPECT_EQ("VKS_lib setup files (*.t.zip)|*.t.zip||", asked[0].filter);
  EXPECT_EQ("t.zip", asked[0].defExt);
  std::string out = m_dir + "/axis.t.zip";
  DialogAutomation::PushFileDialogResult(out.c_str());
  EXPECT_EQ(CString(out.c_str()), ExportSetupForVKS_Lib("axis", s.get(), nullptr));
  EXPECT_EQ("setup.cfg 8\nvariables.cfg 8\n", Python(kListing, out));
  // An archive step that fails (the chosen name is a folder) leaves no temporary folder.
  fs::create_directories(m_dir + "/taken.t.zip");
  DialogAutomation::PushFileDialogResult((m_dir + "/taken.t.zip").c_str());
  EXPECT_EQ(CString(), ExportSetupForVKS_Lib("axis", s.get(), nullptr));
  for (auto& e : fs::directory_iterator(m_dir)) EXPECT_NE('~', e.path().filename().string()[0]) << e.path();
  DialogAutomation::Reset();
}

TEST_F(SetupArchiveTest, ALinkSwappedForTheExportsFolderLeadsNothingOutOfTheFolder) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  static std::string s_dir, s_outside;
  s_dir = m_dir + "/export-swapped";
  s_outside = m_dir + "/export-outside";
  fs::create_directories(s_dir);
  fs::create_directories(s_outside);
  // At the first step of its first file's save, the export's folder is moved away and a link to a
  // folder elsewhere put at its name.
  g_pfnSaveStep = [](const char*) {
    g_pfnSaveStep = nullptr;
    for (auto& e : fs::directory_iterator(s_dir))
      if (e.path().filename().string().rfind("~vk", 0) == 0) {
        fs::rename(e.path(), s_dir + "/moved");
        fs::create_directory_symlink(s_outside, e.path());
      }
  };
  const std::string out = s_dir + "/axis.t.zip";
  DialogAutomation::PushFileDialogResult(out.c_str());
  const CString exported = ExportSetupForVKS_Lib("axis", s.get(), nullptr);
  g_pfnSaveStep = nullptr;
  DialogAutomation::Reset();
  EXPECT_TRUE(fs::is_empty(s_outside));
  EXPECT_EQ(CString(out.c_str()), exported);
  EXPECT_EQ("setup.cfg 8\nvariables.cfg 8\n", Python(kListing, out));
}

TEST_F(SetupArchiveTest, LinksAndFilesOnTheWayRefuseTheRestoreWithNothingWritten) {
  // Archives naming a file below "sub", and a file beside it that comes first.
  const char* kMake = "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1],'w')\nz.writestr('first.txt','1')\n"
                      "z.writestr('sub/x.txt' if sys.argv[1][-5]=='1' else 'sub/deep/x.txt','bad')\nz.close()";
  ASSERT_EQ("", Python(kMake, m_dir + "/sub1.zip"));
  ASSERT_EQ("", Python(kMake, m_dir + "/sub2.zip"));
  const std::string outside = m_dir + "/outside";
  fs::create_directories(outside + "/deep");
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;  // what stands at "sub" in the target
    std::vector<const char*> zips;
  } cases[] = {
      {"link to a folder", [&](const std::string& s) { fs::create_directory_symlink(outside, s); }, {"sub1.zip", "sub2.zip"}},
      {"link to a missing folder", [&](const std::string& s) { fs::create_directory_symlink(m_dir + "/none", s); }, {"sub1.zip", "sub2.zip"}},
      {"file", [&](const std::string& s) { WriteBytes(s, "mine"); }, {"sub1.zip", "sub2.zip"}},
      {"folder with a link in it", [&](const std::string& s) {
         fs::create_directories(s);
         fs::create_directory_symlink(outside + "/deep", s + "/deep");
       },
       {"sub2.zip"}},
      {"link at the file's place", [&](const std::string& s) {
         fs::create_directories(s);
         fs::create_symlink(outside + "/x.txt", s + "/x.txt");
       },
       {"sub1.zip"}},
      {"link at the file's name in other case", [&](const std::string& s) {
         fs::create_directories(s);
         fs::create_symlink(outside + "/x.txt", s + "/X.TXT");
       },
       {"sub1.zip"}},
  };
  for (const Case& c : cases)
    for (const char* zip : c.zips) {
      std::string target = m_dir + "/target";
      fs::remove_all(target);
      fs::create_directories(target);
      c.make(target + "/sub");
      ClearBoxes();
      EXPECT_FALSE(RestoreDirectory((m_dir + "/" + zip).c_str(), target.c_str())) << c.what << " " << zip;
      EXPECT_EQ(1u, Boxes().size()) << c.what;
      EXPECT_FALSE(fs::exists(target + "/first.txt")) << c.what << " " << zip;
      EXPECT_TRUE(FilesBelow(outside).empty()) << c.what << " " << zip;
      EXPECT_FALSE(fs::exists(m_dir + "/none")) << c.what;
    }
}

TEST_F(SetupArchiveTest, NamesThatAreNotUtf8TravelAsTheirBytes) {
  const std::string latin1 = "caf\xe9.cfg", utf8 = "caf\xc3\xa9.cfg";
  WriteBytes(m_dir + "/tree/" + latin1, "latin");
  WriteBytes(m_dir + "/tree/d\xe9p/" + utf8, "utf");
  WriteBytes(m_dir + "/tree/" + utf8, "flagged");
  std::string zip = m_dir + "/names.zip";
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  // The stored bytes, and whether the UTF-8 flag is set.
  EXPECT_EQ("b'caf\\xc3\\xa9.cfg' 2048\nb'caf\\xe9.cfg' 0\nb'd\\xe9p/caf\\xc3\\xa9.cfg' 0\n",
            Python("import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
                   "print(chr(10).join(sorted(repr(i.filename.encode('utf-8' if i.flag_bits&0x800 else 'cp437'))+' '+"
                   "str(i.flag_bits&0x800) for i in z.infolist())))",
                   zip));
  EXPECT_EQ(0, std::system(("unzip -tq '" + zip + "' >/dev/null 2>&1").c_str()));
  ASSERT_TRUE(RestoreDirectory(zip.c_str(), (m_dir + "/copy").c_str()));
  EXPECT_EQ(FilesBelow(m_dir + "/tree"), FilesBelow(m_dir + "/copy"));
  EXPECT_EQ("latin", ReadBytes(m_dir + "/copy/" + latin1));
  EXPECT_TRUE(Boxes().empty());
}

namespace {

// "name mode" lines of the files under `dir`, sorted.
std::string Modes(const std::string& dir) {
  std::set<std::string> lines;
  for (auto& e : fs::recursive_directory_iterator(dir)) {
    struct stat st;
    if (e.is_regular_file() && lstat(e.path().c_str(), &st) == 0) {
      char mode[8];
      snprintf(mode, sizeof mode, "%04o", (unsigned)(st.st_mode & 07777));
      lines.insert(fs::relative(e.path(), dir).generic_string() + " " + mode);
    }
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// What one command prints, or "failed".
std::string Output(const std::string& cmd) {
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  std::string out;
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  return p && pclose(p) == 0 ? out : "failed: " + out;
}

}  // namespace

TEST_F(SetupArchiveTest, FilesKeepTheirOwnModesThroughAnArchiveAndARestore) {
  const mode_t oldMask = umask(022);
  const struct {
    const char* name;
    mode_t mode;
  } files[] = {{"setup.cfg", 0600}, {"run.sh", 0755}, {"notes.txt", 0644}, {"sub/key.cfg", 0600},
               {"sub/tool.sh", 06755}};
  for (const auto& f : files) {
    WriteBytes(m_dir + "/tree/" + f.name, f.name);
    ASSERT_EQ(0, chmod((m_dir + "/tree/" + f.name).c_str(), f.mode));
  }
  const std::string zip = m_dir + "/modes.zip";
  ASSERT_TRUE(ArchiveDirectory((m_dir + "/tree").c_str(), zip.c_str()));
  const std::string stored = "notes.txt 0644\nrun.sh 0755\nsetup.cfg 0600\nsub/key.cfg 0600\nsub/tool.sh 0755\n";
  EXPECT_EQ(stored, Python("import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\n"
                           "print(chr(10).join(sorted(i.filename+' '+format(i.external_attr>>16&0o7777,'04o') "
                           "for i in z.infolist() if not i.is_dir())))",
                           zip));
  std::string listed;
  std::istringstream zipinfo(Output("unzip -Z '" + zip + "'"));
  for (std::string line; std::getline(zipinfo, line);)
    if (line.size() > 10 && line[0] == '-') listed += line.substr(0, 10) + " " + line.substr(line.rfind(' ') + 1) + "\n";
  EXPECT_EQ("-rw-r--r-- notes.txt\n-rwxr-xr-x run.sh\n-rw------- setup.cfg\n-rw------- sub/key.cfg\n"
            "-rwxr-xr-x sub/tool.sh\n",
            listed);

  // Into a new folder, and over files of other modes: the stored ones, never more than the umask allows.
  ASSERT_TRUE(RestoreDirectory(zip.c_str(), (m_dir + "/copy").c_str()));
  EXPECT_EQ(stored, Modes(m_dir + "/copy"));
  for (const char* content : {"", "edited"}) {
    for (const auto& f : files) {
      if (*content) WriteBytes(m_dir + "/copy/" + f.name, content);
      ASSERT_EQ(0, chmod((m_dir + "/copy/" + f.name).c_str(), 0640));
    }
    ASSERT_TRUE(RestoreDirectory(zip.c_str(), (m_dir + "/copy").c_str()));
    EXPECT_EQ(stored, Modes(m_dir + "/copy")) << content;
  }
  umask(077);
  ASSERT_TRUE(RestoreDirectory(zip.c_str(), (m_dir + "/private").c_str()));
  EXPECT_EQ("notes.txt 0600\nrun.sh 0700\nsetup.cfg 0600\nsub/key.cfg 0600\nsub/tool.sh 0700\n", Modes(m_dir + "/private"));
  umask(oldMask);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupArchiveTest, AFileOrFolderThatCannotBeReadRefusesTheArchiveNamedAndKeepsTheOldOne) {
  const std::string tree = m_dir + "/tree", zip = m_dir + "/kept.t.zip";
  const struct {
    const char* what;
    const char* path;  // made below the tree: a folder where it ends in "/"
    mode_t mode;
    uid_t owner;
    const char* named;  // what the box names
  } kCases[] = {
      {"another user's file", "secret.cfg", 0600, 0, "secret.cfg"},
      {"a file its owner may not read", "sub/write-only.cfg", 0200, 65534, "sub/write-only.cfg"},
      {"a folder that cannot be listed", "sub/hidden/", 0300, 65534, "sub/hidden"},
      {"a folder that cannot be passed", "sub/closed/", 0600, 65534, "sub/closed"},
  };
  for (const auto& c : kCases) {
    fs::remove_all(m_dir);
    WriteBytes(tree + "/one.cfg", "1");
    WriteBytes(tree + "/sub/two.cfg", "2");
    ASSERT_TRUE(ArchiveDirectory(tree.c_str(), zip.c_str())) << LastBox();
    const std::string old = ReadBytes(zip);
    const std::string made = tree + "/" + c.path;
    if (made.back() == '/') WriteBytes(made + "inner.cfg", "3");
    else WriteBytes(made, "3");
    // Everything the ordinary user's but what it may not read.
    for (auto& e : fs::recursive_directory_iterator(m_dir)) ASSERT_EQ(0, lchown(e.path().c_str(), 65534, 65534));
    ASSERT_EQ(0, chown(m_dir.c_str(), 65534, 65534));
    const std::string unread = made.back() == '/' ? made.substr(0, made.size() - 1) : made;
    ASSERT_EQ(0, chown(unread.c_str(), c.owner, c.owner));
    ASSERT_EQ(0, chmod(unread.c_str(), c.mode));
    const std::string result = dravonix::test::AsOrdinaryUser([&] {
      ClearBoxes();
      const int packed = ArchiveDirectory(tree.c_str(), zip.c_str());
      return std::to_string(packed) + " " + LastBox();
    });
    EXPECT_EQ(result, "0 Cannot write in file " + zip + "! " + tree + "/" + c.named + ": Access is denied.") << c.what;
    EXPECT_EQ(ReadBytes(zip), old) << c.what;
    std::set<std::string> left;
    for (auto& e : fs::directory_iterator(m_dir)) left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"kept.t.zip", "tree"})) << c.what;
    ASSERT_EQ(0, chmod(unread.c_str(), 0700));
  }
}

TEST_F(SetupArchiveTest, AFileThatFailsToReadMidwayFailsTheZipLibraryNamed) {
  // This process's memory reads as a file that fails at its first unmapped page.
  const std::string root = "/proc/" + std::to_string(getpid()), mem = root + "/mem", zip = m_dir + "/mem.zip";
  ZIPUSERFUNCTIONS functions{};
  ZPOPT options{};
  options.szRootDir = root.c_str();
  options.fLevel = '6';
  std::string name = mem;
  char* argv[] = {name.data()};
  ASSERT_EQ(0, ZpInit(&functions));
  ASSERT_NE(0, ZpSetOptions(&options));
  EXPECT_NE(0, ZpArchive(ZCL{1, zip.c_str(), argv}));
  EXPECT_EQ(LastErrorName(), mem);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_IO_DEVICE);
  EXPECT_FALSE(fs::exists(zip));
}
