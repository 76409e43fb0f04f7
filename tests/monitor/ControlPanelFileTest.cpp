// Control-panel quantities, show-value items and "cp" files: locating, text forms, the file's
// exact lines, round trips, refusals, the properties dialog, file names and project folders.
#include "comm/MC_CoffFormat.h"
#include "comm/MC_MemoryCache.h"
#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/ControlPanelPropertiesDlg.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/DialogAutomation.h"
#include "suite/coff/CoffWriter.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"

#include <filesystem>

namespace {

class ControlPanelFileTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    ASSERT_TRUE(m_setup);
    m_dir = dravonix::test::ScratchDir("panels");
  }
  void TearDown() override {
    DialogAutomation::Reset();
    SetupTest::TearDown();
  }
  static CControlPanelShowVarItem* ShowVar(const char* name, const char* title, int expression = 0) {
    auto* item = new CControlPanelShowVarItem;
    item->m_var.m_strName = name;
    item->m_var.m_bExpression = expression;
    item->m_strTitle = title;
    item->m_nPeriod = 100;
    item->m_rect.SetRect(10, 20, 110, 40);
    return item;
  }
  // Loads `text` as a panel file; returns the load's result.
  int LoadText(CControlPanelItemArray& panel, const std::string& text) {
    WriteBytes(m_dir + "/t.cp", text);
    ClearBoxes();
    return panel.Load((m_dir + "/t.cp").c_str());
  }

  SetupPtr m_setup;
  std::string m_dir;
};

TEST_F(ControlPanelFileTest, SaveWritesTheLinesAndLoadReadsThemBack) {
  CControlPanelItemArray panel("Main");
  panel.m_nFrameX = 5;
  panel.m_nFrameY = 6;
  panel.m_nFrameWidth = 300;
  panel.m_nFrameHeight = 200;
  panel.Add(ShowVar("APOS", "Position #1"));
  CControlPanelShowVarItem* expr = ShowVar("APOS*2 + IQ", "Sum");
  expr->m_var.m_bExpression = 1;
  expr->m_var.m_nAxis = 2;
  expr->m_var.m_bHexa = 1;
  expr->m_var.m_nPrecision = 5;
  expr->m_bBorder = 0;
  panel.Add(expr);
  const std::string path = m_dir + "/main.cp";
  ASSERT_TRUE(panel.Save(path.c_str()));
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes,
            "5 6 300 200\r\n"
            "SHOWVAR 1 10 20 110 40 0 \"APOS\" \"\" 0.000000000e+000 1.000000000e+003 0 0 %3 \"Position \\d1\" 100\r\n"
            "SHOWVAR 0 10 20 110 40 2 \"APOS*2 + IQ\" \"\" 0.000000000e+000 1.000000000e+003 1 1 %5 \"Sum\" 100\r\n");

  CControlPanelItemArray again("x");
  ASSERT_TRUE(again.Load(path.c_str())) << LastBox();
  ASSERT_EQ(again.GetSize(), 2);
  auto* first = dynamic_cast<CControlPanelShowVarItem*>(again[0]);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->m_strTitle, "Position #1");
  EXPECT_EQ(again.m_nFrameWidth, 300);
  ASSERT_TRUE(again.Save((m_dir + "/again.cp").c_str()));
  EXPECT_EQ(ReadBytes(m_dir + "/again.cp"), bytes);

  // Items read before a bad line stay; the bad line is named.
  EXPECT_FALSE(LoadText(again, "0 0 0 0\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 \"t\" 5\nGAUGE_HORZ 1 2 3 4 5\n"));
  EXPECT_EQ(again.GetSize(), 1);
  EXPECT_EQ(LastBox(), "Invalid syntax in file " + m_dir + "/t.cp, line 3");
}

TEST_F(ControlPanelFileTest, LoadAcceptsAndRefuses) {
  using namespace std::string_literals;
  struct {
    std::string text;
    int ok, items, line;
  } rows[] = {
      {"1 2 3 4\n", 1, 0, 0},
      {"1 2 3 4 # a comment\n", 1, 0, 0},
      {"1 2 3 4 and more\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 \"t\" 5\n", 1, 1, 0},
      {"1 2 3 99999999999\n", 0, 0, 1},
      {"1 2 3 4 # frame\rTEXT 0 1 2 3 4 \"a\" \"b\" 9 400 0 0 0 49 0 0 0\r", 0, 0, 1},
      {"1 2 3 4\nTEXT 0 1 2 3 4 \"a\" \"b\" 9 400 0 0 0 49 0 0 0 # a\rTEXT 0 1 2 3 4 \"c\" \"d\" 9 400 0 0 0 49 0 0 0\n", 0, 1, 2},
      {"1 2 3 4\nTEXT 0 1 2 3 4 \"a\" \"b\" 9 400 0 0 0 49 0 0 16777215\rTEXT 0 1 2 3 4 \"c\" \"d\" 9 400 0 0 0 49 0 0 0\n", 0, 0, 2},
      {"", 0, 0, 0},
      {"1 2 3\n", 0, 0, 1},
      {"1 2 3 4\nshowvar 1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 \"t\" 5\n", 1, 1, 0},
      {"1 2 3 4\n\n  ShowVar\t1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 %7 \"t\" 5\n", 1, 1, 0},
      {"1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 \"t\"\n", 0, 0, 2},
      {"1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 \"t\" 5 77 \"newer\"\n", 1, 1, 0},
      {"1 2 3 4\nSHOWVAR\n", 0, 0, 2},
      {"1 2 3 4\nNOSUCHKIND 1 1 2 3 4\n", 0, 0, 2},
      {"1 2 3 4\nCODE 1 1 2 3 4\n", 0, 0, 2},
      // Texts that could not be written back as they were read.
      {"1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" 1e999 1 0 0 \"t\" 5\n", 0, 0, 2},
      {"1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" 0 -1e400 0 0 \"t\" 5\n", 0, 0, 2},
      {"1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\0B\" \"\" 0 1 0 0 \"t\" 5\n"s, 0, 0, 2},
      {"1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\\\0\" \"\" 0 1 0 0 \"t\" 5\n"s, 0, 0, 2},
      {"1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" -1.7e308 1.7e308 0 0 \"t\" 5\n", 1, 1, 0},
  };
  for (auto& r : rows) {
    CControlPanelItemArray panel("p");
    EXPECT_EQ(LoadText(panel, r.text), r.ok) << r.text;
    EXPECT_EQ(panel.GetSize(), r.items) << r.text;
    const std::string box = r.ok ? "" : "Invalid syntax in file " + m_dir + "/t.cp, line " + std::to_string(r.line);
    EXPECT_EQ(r.ok ? "" : LastBox(), box) << r.text;
  }
  CControlPanelItemArray panel("p");
  ASSERT_TRUE(LoadText(panel, "1 2 3 4\nSHOWVAR 1 1 2 3 4 0 \"A\" \"\" 0 1 0 0 \"t\" 65541\n"
                              "SHOWVAR 1 1 2 3 4 258 \"A\" \"\" 0 1 0 0 %5 \"t\" 5\n"));
  auto* a = dynamic_cast<CControlPanelShowVarItem*>(panel[0]);
  auto* b = dynamic_cast<CControlPanelShowVarItem*>(panel[1]);
  EXPECT_EQ(a->m_var.m_nPrecision, 3);
  EXPECT_EQ(a->m_nPeriod, 5);  // low 16 bits
  EXPECT_EQ(b->m_var.m_nPrecision, 5);
  EXPECT_EQ(b->m_var.m_nAxis, 2);
  EXPECT_EQ(panel.m_nFrameHeight, 4);

  ClearBoxes();
  EXPECT_FALSE(panel.Load((m_dir + "/missing.cp").c_str()));
  EXPECT_EQ(LastBox(), "Cannot open file " + m_dir + "/missing.cp!");
  EXPECT_EQ(panel.GetSize(), 2);
  EXPECT_FALSE(panel.Save((m_dir + "/no/such/folder/x.cp").c_str()));
  EXPECT_EQ(LastBox(), "Cannot open file " + m_dir + "/no/such/folder/x.cp!");
  // An item of a kind without a table row cannot be written.
  panel.Add(new CControlPanelItem);
  EXPECT_FALSE(panel.Save((m_dir + "/kinds.cp").c_str()));
  EXPECT_EQ(LastBox(), "Cannot write in file " + m_dir + "/kinds.cp! Check file system permissions.");

  EXPECT_EQ(CMC_ControlPanelView::GetLinkWithName("gauge_vert"), 2);
  EXPECT_EQ(CMC_ControlPanelView::GetLinkWithName("GADGET_TEXT"), 12);
  EXPECT_EQ(CMC_ControlPanelView::GetLinkOfItemClass(RUNTIME_CLASS(CControlPanelShowVarItem)), 0);
  EXPECT_EQ(CMC_ControlPanelView::GetLinkOfItemClass(RUNTIME_CLASS(CControlPanelItem)), -1);
}

TEST_F(ControlPanelFileTest, QuantitiesLocateShowAndWrite) {
  coff::Writer w;
  coff::Section data;
  data.name = ".data";
  data.loadAddress = data.runAddress = 0;
  data.words.assign(8, 0);
  data.flags = coff::kSectionData;
  data.page = 1;
  w.AddSection(data);
  w.AddVariable("ATZERO", 0x0000, 1, coff::kTypeInt);
  w.AddVariable("SPEED", 0x0002, 1, coff::kTypeFixed);
  const std::string path = m_dir + "/prog.out";
  ASSERT_TRUE(w.WriteFile(path, nullptr));
  CMC_CoffFormat coff;
  coff.m_strFileName = path.c_str();
  ASSERT_EQ(coff.ReadCoff(), 1);

  CControlPanelVar zero;
  zero.m_strName = "ATZERO";
  EXPECT_FALSE(zero.Locate(m_setup.get(), &coff));  // a symbol at address 0 is not valid
  EXPECT_FALSE(zero.IsValid());

  CControlPanelVar speed(FALSE);
  speed.m_strName = "SPEED";
  speed.m_bHexa = 1;
  ASSERT_TRUE(speed.Locate(m_setup.get(), &coff));
  CString text;
  double v = 1.5;
  speed.ValueToText(v, text);
  EXPECT_EQ(text, "00018000");
  CString typed = "FFFF8000";
  ASSERT_TRUE(speed.TextToValue(typed, v));
  EXPECT_EQ(v, -0.5);
  speed.m_dValue = 2.25;
  ASSERT_TRUE(speed.GetUpdateChipCommand(text));
  EXPECT_EQ(text, "SPEED = 2.25;");

  CControlPanelVar apos(FALSE);
  apos.m_strName = "APOS";
  apos.m_strUnit = "rot";
  ASSERT_TRUE(apos.Locate(m_setup.get(), nullptr));
  apos.m_dValue = 2;
  ASSERT_TRUE(apos.GetUpdateChipCommand(text));
  EXPECT_EQ(text, "APOS=4000;");
  apos.m_strUnit = "\\rot";
  apos.LocateAndResetUnit(m_setup.get(), nullptr);
  EXPECT_EQ(apos.m_strUnit, "rot");

  // A read from a cache that never held the words fails: the value then shows "???".
  CControlPanelVar memory;
  memory.m_strName = "uint@0x8300";
  ASSERT_TRUE(memory.Locate(m_setup.get(), nullptr));
  EXPECT_TRUE(memory.IsValid());
  CMC_MemoryCache cache(1);
  memory.m_nType = VAR_INVALID;  // as after a word that stopped being readable
  memory.UpdateValues(cache);
  EXPECT_FALSE(memory.IsValid());
  for (int hexa : {0, 1}) {
    memory.m_bHexa = hexa;
    memory.ValueToText(v, text);
    EXPECT_EQ(text, "???");
  }
  CControlPanelVar expression;
  expression.m_strName = "3+";
  expression.m_bExpression = 1;
  EXPECT_FALSE(expression.Locate(m_setup.get(), nullptr));
  expression.m_strName = "APOS [IU] * 2";
  EXPECT_TRUE(expression.Locate(m_setup.get(), nullptr));
  EXPECT_FALSE(expression.GetUpdateChipCommand(text));
  CControlPanelVar copy(expression);
  EXPECT_FALSE(copy.IsValid());  // copies must be located again
  EXPECT_EQ(copy.m_strName, "APOS [IU] * 2");
}

TEST_F(ControlPanelFileTest, PropertiesDialogKeepsTitlesApart) {
  CControlPanelItemArray panel("Motor");
  CStringArray others;
  others.Add("MAIN");
  std::vector<std::string> seen;
  DialogAutomation::AddDialogHandler(CControlPanelPropertiesDlg::IDD, [&](CWnd* d) {
    DialogAutomation::TypeInto(d, CControlPanelPropertiesDlg::IDC_TITLE, "Main");
    DialogAutomation::ClickControl(d, IDOK);
    seen = Boxes();  // still open
    DialogAutomation::TypeInto(d, CControlPanelPropertiesDlg::IDC_TITLE, "Drive");
    DialogAutomation::ClickControl(d, IDOK);
  });
  ClearBoxes();
  ASSERT_TRUE(panel.EditProperties(others));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "This title is already used by another control panel view. Please use another");
  EXPECT_EQ(panel.m_strName, "Drive");
}

TEST_F(ControlPanelFileTest, FileNamesAndFolders) {
  EXPECT_EQ(ProposedControlPanelFileName("Axis/1"), "Axis.cp");
  EXPECT_EQ(ProposedControlPanelFileName("Motor 1.5"), "Motor 1.5.cp");
  EXPECT_EQ(ProposedControlPanelFileName("a#b%c"), "a.cp");

  CControlPanelItemArray panel("Motor 1.5");
  panel.Add(ShowVar("APOS", "Position"));
  DialogAutomation::PushFileDialogResult((m_dir + "/motor.cp").c_str());
  ASSERT_TRUE(panel.SaveToFile());
  auto log = DialogAutomation::CommonDialogs();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].fileName, "Motor 1.5.cp");
  EXPECT_EQ(log[0].filter, "Control Panels (*.cp)|*.cp|All Files (*.*)|*.*||");

  // A failed load puts the old items back.
  WriteBytes(m_dir + "/bad.cp", "1 2 3 4\nSHOWVAR 1\n");
  DialogAutomation::PushFileDialogResult((m_dir + "/bad.cp").c_str());
  EXPECT_FALSE(panel.LoadFromFile());
  ASSERT_EQ(panel.GetSize(), 1);
  EXPECT_EQ(dynamic_cast<CControlPanelShowVarItem*>(panel[0])->m_strTitle, "Position");
  DialogAutomation::PushFileDialogResult((m_dir + "/motor.cp").c_str());
  EXPECT_TRUE(panel.LoadFromFile());
  EXPECT_EQ(panel.GetSize(), 1);

  // A folder of three panels loads in the listing's order and saves back.
  const std::string dir = dravonix::test::ScratchDir("panel-folder");
  for (const char* name : {"Beta", "alpha", "Gamma"}) {
    CControlPanelItemArray p(name);
    p.Add(ShowVar(name, name));
    ASSERT_TRUE(p.Save((dir + "/" + name + ".cp").c_str()));
  }
  WriteBytes(dir + "/notes.txt", "x");
  std::vector<std::string> listing;
  CFileFind find;
  for (BOOL more = find.FindFile((dir + "\\*.cp").c_str()); more;) {
    more = find.FindNextFile();
    listing.push_back(find.GetFileTitle().GetString());
  }
  CControlPanelsArray panels;
  ASSERT_TRUE(panels.LoadFromDirectory(dir.c_str())) << LastBox();
  ASSERT_EQ(panels.GetSize(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(panels[i]->m_strName, listing[i].c_str());
  panels.RemoveAt(1);
  const std::string out = dravonix::test::ScratchDir("panel-out");
  WriteBytes(out + "/stale.cp", "1 2 3 4\n");
  ASSERT_TRUE(panels.SaveToDirectory(out.c_str()));
  EXPECT_FALSE(std::filesystem::exists(out + "/stale.cp"));
  for (int i = 0; i < 2; ++i) {
    const std::string name = panels[i]->m_strName.GetString();
    EXPECT_EQ(ReadBytes(out + "/" + name + ".cp"), ReadBytes(dir + "/" + name + ".cp"));
  }
  // A bad file stops the load; the panels before it stay.
  WriteBytes(dir + "/" + listing[1] + ".cp", "");
  EXPECT_FALSE(panels.LoadFromDirectory(dir.c_str()));
  EXPECT_EQ(panels.GetSize(), 1);
}

TEST_F(ControlPanelFileTest, APanelFileOfLinesEndedByACRAloneIsRefusedAndKept) {
  const std::string dir = dravonix::test::ScratchDir("panel-cr");
  const std::string bytes = "1 2 3 4\rSHOWVAR 1 10 20 110 40 0 \"APOS\" \"\" 0 1000 0 0 %3 \"Position\" 100\r";
  WriteBytes(dir + "/Motor.cp", bytes);
  const std::string box = "Invalid syntax in file " + dir + "/Motor.cp, line 1";
  CControlPanelsArray panels;
  ClearBoxes();
  EXPECT_FALSE(panels.LoadFromDirectory(dir.c_str()));
  EXPECT_EQ(LastBox(), box);
  ASSERT_TRUE(panels.SaveToDirectory(dir.c_str())) << LastBox();
  EXPECT_EQ(ReadBytes(dir + "/Motor.cp"), bytes);
  // Opened through the file dialog, it says so and nothing is taken.
  CControlPanelItemArray panel("Main");
  panel.Add(ShowVar("APOS", "Position"));
  DialogAutomation::PushFileDialogResult((dir + "/Motor.cp").c_str());
  ClearBoxes();
  EXPECT_FALSE(panel.LoadFromFile());
  EXPECT_EQ(LastBox(), box);
  EXPECT_EQ(panel.GetSize(), 1);
}

TEST_F(ControlPanelFileTest, ANewPanelCannotTakeTheTitleOfAFileTheLoadRefused) {
  const std::string dir = dravonix::test::ScratchDir("panel-unread");
  const std::string bytes = "1 2 3 4\rSHOWVAR 1 10 20 110 40 0 \"APOS\" \"\" 0 1000 0 0 %3 \"Position\" 100\r";
  WriteBytes(dir + "/Motor.cp", bytes);
  CMC_ControlPanel manager;
  EXPECT_FALSE(manager.m_aPanels.LoadFromDirectory(dir.c_str()));
  ClearBoxes();
  DialogAutomation::AddDialogHandler(14005u, [](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14000, "motor");
    DialogAutomation::ClickControl(dlg, IDOK);
    DialogAutomation::TypeInto(dlg, 14000, "Motor 2");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  manager.CreateEmptyFrame(nullptr);  // no document: the panel is added but not opened
  EXPECT_EQ(LastBox(), "This title is already used by another control panel view. Please use another");
  ASSERT_EQ(manager.m_aPanels.GetSize(), 1);
  EXPECT_EQ(manager.m_aPanels[0]->m_strName, "Motor 2");
  ASSERT_TRUE(manager.m_aPanels.SaveToDirectory(dir.c_str())) << LastBox();
  EXPECT_EQ(ReadBytes(dir + "/Motor.cp"), bytes);
}

TEST_F(ControlPanelFileTest, APanelTitledLikeAPathIsNotSavedOutsideTheFolder) {
  const std::string root = dravonix::test::ScratchDir("panel-title");
  const std::string dir = root + "/project";
  std::filesystem::create_directories(dir);
  CControlPanelsArray panels;
  panels.Add(new CControlPanelItemArray("Main"));
  DialogAutomation::AddDialogHandler(14005u, [](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14000, "../Outside");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  CStringArray others;
  ASSERT_TRUE(panels[0]->EditProperties(others));
  ClearBoxes();
  EXPECT_FALSE(panels.SaveToDirectory(dir.c_str()));
  EXPECT_EQ(LastBox(), "Cannot write in file " + dir + "/../Outside.cp! The request is not supported.");
  EXPECT_FALSE(std::filesystem::exists(root + "/Outside.cp"));
}

// A panel file the user made a link, to a file elsewhere, is written through it; one whose link leads
// to a folder fails with its own box, and the panels after it are saved all the same.
TEST_F(ControlPanelFileTest, PanelFilesTheUserLinkedAreWrittenThroughAndOneFailingStopsNoOther) {
  namespace fs = std::filesystem;
  const std::string root = dravonix::test::ScratchDir("panel-links");
  const std::string dir = root + "/project";
  fs::create_directories(dir);
  fs::create_directories(root + "/shared");
  WriteBytes(root + "/shared/B.cp", "1 2 3 4\r\n");
  fs::create_symlink(root + "/shared/B.cp", dir + "/B.cp");
  fs::create_directories(root + "/shared/C.cp");
  fs::create_symlink(root + "/shared/C.cp", dir + "/C.cp");
  CControlPanelsArray panels;
  for (const char* name : {"A", "B", "C", "D"}) panels.Add(new CControlPanelItemArray(name));
  ClearBoxes();
  EXPECT_FALSE(panels.SaveToDirectory(dir.c_str()));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cannot open file " + dir + "/C.cp!"});
  const std::string written = "-1 -1 -1 -1\r\n";
  EXPECT_TRUE(fs::is_symlink(dir + "/B.cp"));
  EXPECT_EQ(ReadBytes(root + "/shared/B.cp"), written);
  for (const char* name : {"A", "D"}) EXPECT_EQ(ReadBytes(dir + "/" + name + ".cp"), written) << name;
  EXPECT_TRUE(fs::is_symlink(dir + "/C.cp"));
}

TEST_F(ControlPanelFileTest, AFailedSaveKeepsTheOldFile) {
  const std::string path = m_dir + "/kept.cp";
  const std::string old = "1 2 3 4\r\nSHOWVAR 1 10 20 110 40 0 \"OLD\" \"\" 0 1000 0 0 %3 \"Old\" 100\r\n";
  CControlPanelItemArray panel("Kept");
  for (int i = 0; i < 200; ++i) panel.Add(ShowVar("APOS", "A title long enough to fill the file"));
  // Through Save and through SaveToFile: a full disk leaves the old file and says so.
  for (int viaDialog = 0; viaDialog < 2; ++viaDialog) {
    WriteBytes(path, old);
    const std::string result = dravonix::test::WithFileSizeLimit(4096, [&] {
      ClearBoxes();
      if (viaDialog) {
        DialogAutomation::PushFileDialogResult(path.c_str());
        Automation::Instance().PushMessageBoxAnswer(IDYES);  // replace it
      }
      const int saved = viaDialog ? panel.SaveToFile() : panel.Save(path.c_str());
      return std::to_string(saved) + " " + LastBox();
    });
    EXPECT_EQ(result, "0 Cannot write in file " + path + "! There is not enough space on the disk.") << viaDialog;
    EXPECT_EQ(ReadBytes(path), old) << viaDialog;
    EXPECT_EQ(dravonix::test::SaveLeftovers(path), std::vector<std::string>{});
    CControlPanelItemArray back("Kept");
    ASSERT_TRUE(back.Load(path.c_str())) << LastBox();
    EXPECT_EQ(back.GetSize(), 1);
  }
  ASSERT_TRUE(panel.Save(path.c_str())) << LastBox();
  CControlPanelItemArray back("Kept");
  ASSERT_TRUE(back.Load(path.c_str()));
  EXPECT_EQ(back.GetSize(), 200);
}

}  // namespace
