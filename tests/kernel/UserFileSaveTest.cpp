// Files the kernel writes where the user already has one: a write that fails keeps the old file
// byte for byte and tells which file and why.
#include "comm/BinaryCodeViewerDlg.h"
#include "kernel/dialogs/Motor.h"
#include "kernel/e2rom/E2ROMSectionsArray.h"
#include "kernel/setup/SetupArchive.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/FileSizeLimit.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

class UserFileSaveTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    DialogAutomation::Reset();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
  }
  void TearDown() override {
    DialogAutomation::Reset();
    m_setup.reset();
    SetupTest::TearDown();
  }
  // What the viewer shows after compiling one instruction, and the last box.
  std::string CompileInViewer(const char* source) {
    std::string sent;
    DialogAutomation::AddDialogHandler(CBinaryCodeViewerDlg::IDD, [&](CWnd* d) {
      DialogAutomation::TypeInto(d, CBinaryCodeViewerDlg::IDC_SOURCE, source);
      DialogAutomation::ClickControl(d, CBinaryCodeViewerDlg::IDC_COMPILE);
      CString s;
      d->GetDlgItemText(CBinaryCodeViewerDlg::IDC_SENT, s);
      sent = s.GetString();
      DialogAutomation::ClickControl(d, IDCANCEL);
    });
    m_setup->DoBinaryCodeViewer(nullptr);
    const std::string shown = sent.empty() ? "nothing sent " : "sent ";
    return shown + LastBox();
  }
  SetupPtr m_setup;
};

// The scratch names the temporary files of the viewer come to in `dir`: the next and the one after.
std::vector<std::string> NextTempBases(const std::string& dir) {
  char temp[MAX_PATH];
  if (!GetTempFileName(dir.c_str(), "bcv", 0, temp)) return {"", ""};
  DeleteFile(temp);
  const std::string name = temp;
  unsigned n = (unsigned)std::strtoul(name.substr(name.rfind("bcv") + 3).c_str(), nullptr, 16);
  std::vector<std::string> bases;
  for (int i = 0; i < 2; ++i) {
    n = n % 0xFFFF + 1;
    bases.push_back(dir + "/bcv" + FormatString("%X", n));
  }
  return bases;
}

}  // namespace

TEST_F(UserFileSaveTest, AFailedWriteKeepsTheOldFileAndNamesIt) {
  const std::string dir = dravonix::test::ScratchDir("user-file-save");
  const std::string old = "what the user had\r\n";
  const std::string full = "There is not enough space on the disk.";
  // The viewer's scratch files live in the temporary folder, where other files may have the
  // names it comes to.
  const char* tmpdir = getenv("TMPDIR");
  const std::string savedTmp = tmpdir ? tmpdir : "";
  setenv("TMPDIR", dir.c_str(), 1);
  const std::vector<std::string> bases = NextTempBases(dir);
  const std::string planted = bases[0], used = bases[1];
  const struct {
    const char* what;
    std::string target;
    std::function<std::string()> write;
    std::string shown;
  } kCases[] = {
      {"motor database entry", Kernel("Databases/User/Saved.cfg"),
       [&] {
         Automation::Instance().PushMessageBoxAnswer(IDYES);  // replace it
         CMotor m;
         m.ReadFromSetup(m_setup.get(), FALSE);
         const int saved = m.WriteToUserDatabase("Saved");
         return std::to_string(saved) + " " + LastBox();
       },
       "0 Cannot write in file " + Kernel("Databases/User/Saved.cfg") + "! " + full},
      {"drive table file", dir + "/table.bin",
       [&] {
         const int saved = m_setup->ExportSetupImageToFile((dir + "/table.bin").c_str());
         return std::to_string(saved) + " " + LastBox();
       },
       "0 Disk full while accessing " + dir + "/table.bin."},
      {"software image file", dir + "/image.sw",
       [&] {
         CE2ROMSectionsArray sw(*m_setup);
         sw.AppendSetup();
         const int saved = sw.WriteSW((dir + "/image.sw").c_str());
         return std::to_string(saved) + " " + sw.GetLastErrorText().GetString();
       },
       "0 Cannot write in file " + dir + "/image.sw! " + full},
      {"setup file restored from an archive", dir + "/restored/setup.cfg",
       [&] {
         const int restored = RestoreDirectory((dir + "/archive.zip").c_str(), (dir + "/restored").c_str());
         return std::to_string(restored) + " " + LastBox();
       },
       "0 " + full + "\r\n"},
      {"binary code viewer's source", planted + ".asm", [&] { return CompileInViewer("CPOS=100"); },
       "nothing sent Cannot write in file " + used + ".asm! " + full},
  };
  WriteBytes(dir + "/packed/setup.cfg", std::string(1000, 'n'));
  ASSERT_TRUE(ArchiveDirectory((dir + "/packed").c_str(), (dir + "/archive.zip").c_str()));
  for (const auto& c : kCases) {
    WriteBytes(c.target, old);
    if (c.target == planted + ".asm") WriteBytes(planted + ".out", old);
    EXPECT_EQ(c.shown, dravonix::test::WithFileSizeLimit(4, [&] {
      ClearBoxes();
      return c.write();
    })) << c.what;
    EXPECT_EQ(old, ReadBytes(c.target)) << c.what;
    EXPECT_TRUE(dravonix::test::SaveLeftovers(c.target).empty()) << c.what;
  }
  // Without a limit the viewer compiles, and still leaves the others' files alone.
  ClearBoxes();
  EXPECT_EQ("sent ", CompileInViewer("CPOS=100"));
  EXPECT_EQ(old, ReadBytes(planted + ".asm"));
  EXPECT_EQ(old, ReadBytes(planted + ".out"));
  std::filesystem::remove(Kernel("Databases/User/Saved.cfg"));
  if (tmpdir) setenv("TMPDIR", savedTmp.c_str(), 1);
  else unsetenv("TMPDIR");
}
