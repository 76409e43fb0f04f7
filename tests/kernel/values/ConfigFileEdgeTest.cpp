#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>

namespace {

class ConfigFileEdge : public SetupTest {};

std::vector<std::pair<int, std::string>> ReadLines(const std::string& bytes) {
  std::string path = dravonix::test::ScratchDir("cfg_edge") + "/f.cfg";
  std::ofstream(path, std::ios::binary) << bytes;
  FILE* f = OpenConfigFile(path.c_str(), 0);
  std::vector<std::pair<int, std::string>> lines;
  CString line;
  int n = 0;
  while (ReadConfigFileLine(f, line, n)) lines.emplace_back(n, line.GetString());
  return lines;
}

}  // namespace

TEST_F(ConfigFileEdge, HelpFileOfTheSetupGui) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->SetOption("HelpFile", "Help\\drive.v2.hlp");
  EXPECT_EQ(GetHelpFileOfGUI(s.get()), "Help\\drive.v2.chm");
  s->SetOption("HelpFile", "C:\\my.docs\\manual");
  EXPECT_EQ(GetHelpFileOfGUI(s.get()), "C:\\my.docs\\manual.chm");
  EXPECT_EQ(GetHelpFileOfGUI(nullptr), "");
  EXPECT_TRUE(Boxes().empty());
  // A setup without the option names no file and says which option is missing.
  s->ClearOption("HelpFile");
  EXPECT_EQ(GetHelpFileOfGUI(s.get()), "");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(LastBox(),
            "Cannot find option 'HelpFile'. You must insert this option in setup.cfg with the syntax:\n Name = Value.");
}

TEST_F(ConfigFileEdge, CommentsBlanksAndTheLastLine) {
  auto lines = ReadLines("  abc # note\r\n# only a comment\r\n\t \r\nlast");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::make_pair(1, std::string("abc")));
  EXPECT_EQ(lines[1], std::make_pair(4, std::string("last")));
  EXPECT_EQ(ReadLines("a\nb"), ReadLines("a\r\nb\r\n"));
}

TEST_F(ConfigFileEdge, APipeOrDeviceIsNoFileToReadFrom) {
  const std::string dir = dravonix::test::ScratchDir("cfg_pipe");
  ASSERT_EQ(0, mkfifo((dir + "/setup.cfg").c_str(), 0600));
  ASSERT_EQ(0, mknod((dir + "/zero.cfg").c_str(), S_IFCHR | 0600, makedev(1, 5)));
  EXPECT_EQ("refused refused", dravonix::test::InChildProcess([&] {
    alarm(5);
    std::string seen;
    for (const char* name : {"/setup.cfg", "/zero.cfg"}) {
      FILE* f = OpenConfigFile((dir + name).c_str(), 0);
      seen += seen.empty() ? "" : " ";
      seen += f ? "opened" : "refused";
      if (f) fclose(f);
    }
    return seen;
  }));
}
