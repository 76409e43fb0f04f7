// Logger, scope and plot files: byte-exact round trips, older schemas, refusals, damaged files,
// the save that keeps the old file, and the file-name prompts.
#include "monitor/loggers/LoggerFileNames.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/core/File.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "plot/curves/GraphFilter.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileContents.h"

#include <filesystem>

namespace {

using dravonix::test::Bytes;

// A multi-axis logger filled as its dialog would, without a document (no axis is lost).
class Multi : public CMC_MultiAxisLogger {
 public:
  Multi() : CMC_MultiAxisLogger(nullptr) {}
  void Log(const char* axis, const char* name) {
    m_aItems.Add(new CMC_LoggerItem(axis, name, CMC_LoggerItem::ITEM_VARIABLE, -1, 1));
    auto* curve = new CCurve;
    curve->m_strName = m_aItems[m_aItems.GetSize() - 1]->GetCurveName();
    m_aCurves.Add(curve);
  }
};

// Writes its archive and then fails, as a full disk would.
class FailingLogger : public CMC_SingleAxisLogger {
 public:
  FailingLogger() : CMC_SingleAxisLogger(nullptr, nullptr) {}
  void Serialize(CArchive& ar) override {
    CMC_SingleAxisLogger::Serialize(ar);
    AfxThrowFileException(CFileException::diskFull, 28, "x");
  }
};

class LoggerFileTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    ASSERT_TRUE(m_setup);
    m_dir = dravonix::test::ScratchDir("logger-files");
  }
  void TearDown() override {
    DialogAutomation::Reset();
    SetupTest::TearDown();
  }
  std::string Path(const char* name) const { return m_dir + "/" + name; }
  static Bytes FileBytes(const std::string& path) {
    const std::string s = ReadBytes(path);
    return Bytes(s.begin(), s.end());
  }
  static void WriteFile(const std::string& path, const Bytes& b) { WriteBytes(path, std::string(b.begin(), b.end())); }
  static void Fill(CMC_Logger& logger, int points) {
    for (int c = 0; c < logger.GetCurves().GetSize(); ++c)
      for (int k = 0; k < points; ++k) logger.GetCurves().GetAt(c)->SetAtGrow(k, c * 1000.0 + k * 0.5);
  }
  // Save, load into `fresh`, save again: the two files must be equal.
  void RoundTrip(CMC_Logger& logger, CMC_Logger& fresh, const char* name) {
    ASSERT_TRUE(logger.Save(Path(name).c_str())) << LastBox();
    const Bytes first = FileBytes(Path(name));
    ASSERT_TRUE(fresh.Load(Path(name).c_str())) << LastBox();
    ASSERT_TRUE(fresh.Save(Path(name).c_str()));
    EXPECT_EQ(FileBytes(Path(name)), first) << name;
    EXPECT_EQ(dravonix::test::SaveLeftovers(Path(name)), std::vector<std::string>{});
  }
  CMC_ScopeLogger* TwoChannelScope() {
    auto* scope = new CMC_ScopeLogger(m_setup.get(), nullptr);
    scope->ChangeSettings(0.05, CMC_ScopeLogger::TRIGGER_NORMAL, CMC_ScopeLogger::SLOPE_FALLING, "IQ", 0.1, 30);
    scope->AddVariable("APOS", 1);
    scope->AddVariable("IQ", 1);
    scope->LocateItems();
    return scope;
  }

  SetupPtr m_setup;
  std::string m_dir;
};

TEST_F(LoggerFileTest, LoggersAndScopesSaveAndLoadToTheSameBytes) {
  CMC_SingleAxisLogger single(m_setup.get(), nullptr), single2(m_setup.get(), nullptr);
  single.ChangeSettings(40, CMC_Logger::LOG_TS_C, 3);
  single.AddVariable("APOS", 1);
  single.AddVariable("IQ", 0);
  Fill(single, 40);
  RoundTrip(single, single2, "single.lgs");
  const Bytes bytes = FileBytes(Path("single.lgs"));
  ASSERT_GE(bytes.size(), 9u);
  // The schema first, no class tag; log type 2, 40 points, divider 3, two items.
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 9), (Bytes{2, 2, 0, 40, 0, 3, 0, 2, 0}));
  // The first item brings its class: new-class tag, schema 1, the name.
  const std::string itemClass("\xFF\xFF\x01\0\x0E\0CMC_LoggerItem", 20);
  EXPECT_EQ(std::string(bytes.begin() + 9, bytes.begin() + 29), itemClass);
  EXPECT_EQ(single2.GetItems().GetSize(), 2);
  EXPECT_EQ(single2.GetCurves().GetAt(1)->GetAt(39), 1000 + 19.5);

  Multi multi, multi2;
  multi.Log("X", "APOS");
  multi.Log("Y", "IQ");
  Fill(multi, 5);
  RoundTrip(multi, multi2, "multi.lgs");
  EXPECT_EQ(multi2.GetItems()[1]->m_strAxis, "Y");

  std::unique_ptr<CMC_ScopeLogger> scope(TwoChannelScope());
  const BYTE raw[4] = {0x12, 0x34, 0x56, 0x78};
  memcpy(scope->GetTrigger().m_value.m_bytes, raw, 4);
  CMC_ScopeLogger scope2(m_setup.get(), nullptr);
  RoundTrip(*scope, scope2, "scope.osc");
  EXPECT_EQ(FileBytes(Path("scope.osc"))[0], 1);
  EXPECT_EQ(FileBytes(Path("scope.osc"))[1], 2);
  EXPECT_EQ(memcmp(scope2.GetTrigger().m_value.m_bytes, raw, 4), 0);
  EXPECT_EQ(scope2.GetTrigger().m_strName, "IQ");
  EXPECT_EQ(scope2.GetTriggerMode(), CMC_ScopeLogger::TRIGGER_NORMAL);
}

TEST(LoggerItemArchive, FieldsInOrder) {
  CMC_LoggerItem item("X", "AB", CMC_LoggerItem::ITEM_VARIABLE_BIT, 3, 1);
  item.m_strUnit = "mm";
  item.m_strBaseUnit = "m";
  item.m_dFactor = 2.0;
  item.m_dOffset = 0.5;
  const Bytes bytes = dravonix::test::StoreBytes([&](CArchive& ar) { item.Serialize(ar); });
  // Schema 4, kind, axis, name, unit, factor, offset, base unit, bit.
  const Bytes want = {4, 5, 0, 1, 'X', 2, 'A', 'B', 2, 'm', 'm', 0, 0, 0, 0, 0, 0, 0, 0x40,
                      0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 1, 'm', 3, 0};
  EXPECT_EQ(bytes, want);
}

TEST_F(LoggerFileTest, OlderSchemasAndNewerOnes) {
  CMC_SingleAxisLogger logger(m_setup.get(), nullptr);
  logger.AddVariable("APOS", 1);
  ASSERT_TRUE(logger.Save(Path("a.lgs").c_str()));
  Bytes b = FileBytes(Path("a.lgs"));
  // Schema 1 carries two more words after the log type.
  Bytes old = b;
  old[0] = 1;
  old.insert(old.begin() + 3, {0xAA, 0xBB, 0xCC, 0xDD});
  WriteFile(Path("old.lgs"), old);
  CMC_SingleAxisLogger loaded(m_setup.get(), nullptr);
  ASSERT_TRUE(loaded.Load(Path("old.lgs").c_str())) << LastBox();
  EXPECT_EQ(loaded.GetItems()[0]->m_strName, "APOS");

  // Schema 3 is newer than the logger: refused, defaults kept.
  b[0] = 3;
  WriteFile(Path("new.lgs"), b);
  ClearBoxes();
  EXPECT_FALSE(loaded.Load(Path("new.lgs").c_str()));
  EXPECT_EQ(loaded.GetItems().GetSize(), 0);
  EXPECT_EQ(loaded.GetPointsNo(), 800);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(dravonix::test::LoadCause(b, [&](CArchive& ar) { loaded.Serialize(ar); }), CArchiveException::badSchema);

  // Items of older schemas: no kind and bit before 4, no base unit and axis before 2 and 3.
  struct Case {
    BYTE schema;
    const char *axis, *baseUnit;
  } cases[] = {{3, "X", "rad"}, {2, "", "rad"}, {1, "", ""}};
  for (const Case& c : cases) {
    const Bytes item = dravonix::test::StoreBytes([&](CArchive& ar) {
      ar << c.schema;
      if (c.schema >= 3) ar << CString("X");
      ar << (WORD)7 << (WORD)9 << CString("APOS") << CString("deg") << 2.0 << 0.5;
      if (c.schema >= 2) ar << CString("rad");
    });
    CMC_LoggerItem read("old", CMC_LoggerItem::ITEM_INPUT, 5, 0);
    ASSERT_EQ(dravonix::test::LoadCause(item, [&](CArchive& ar) { read.Serialize(ar); }), -1) << (int)c.schema;
    EXPECT_EQ(read.m_nType, CMC_LoggerItem::ITEM_VARIABLE);
    EXPECT_EQ(read.m_nBit, -1);
    EXPECT_EQ(read.m_strAxis, c.axis);
    EXPECT_EQ(read.m_strBaseUnit, c.baseUnit);
    EXPECT_EQ(read.m_strUnit, "deg");
    EXPECT_EQ(read.m_dFactor, 2.0);
    EXPECT_EQ(read.m_bScaled, 1);
  }
  CMC_LoggerItem item;
  EXPECT_EQ(dravonix::test::LoadCause(Bytes{5}, [&](CArchive& ar) { item.Serialize(ar); }), CArchiveException::badSchema);
  CMC_ScopeLogger scope;
  EXPECT_EQ(dravonix::test::LoadCause(Bytes{2}, [&](CArchive& ar) { scope.Serialize(ar); }), CArchiveException::badSchema);
  // The plot archive is written only.
  EXPECT_EQ(dravonix::test::LoadCause(Bytes{0}, [&](CArchive& ar) { logger.SerializeGraph(ar); }),
            CArchiveException::badClass);
}

TEST_F(LoggerFileTest, FilesOfAnotherKindAreRefusedWithTheDefaults) {
  CMC_SingleAxisLogger single(m_setup.get(), nullptr);
  single.AddVariable("APOS", 1);
  ASSERT_TRUE(single.Save(Path("s.lgs").c_str()));
  Multi multi;
  multi.Log("X", "APOS");
  ASSERT_TRUE(multi.Save(Path("m.lgs").c_str()));
  std::unique_ptr<CMC_ScopeLogger> scope(TwoChannelScope());
  ASSERT_TRUE(scope->Save(Path("o.lgs").c_str()));
  // A scope archive whose logger is a single-axis one.
  Bytes o = FileBytes(Path("o.lgs"));
  o[2] = CMC_Logger::LOG_TS_S;
  WriteFile(Path("l.osc"), o);

  CMC_SingleAxisLogger single2(m_setup.get(), nullptr);
  Multi multi2;
  CMC_ScopeLogger scope2(m_setup.get(), nullptr);
  struct Case {
    CMC_Logger* logger;
    const char* file;
    const char* text;
  } cases[] = {
      {&single2, "m.lgs", "Failed to load single-axis logger.\nThe file was saved in multi-axis or scope format."},
      {&multi2, "s.lgs", "Failed to load multi-axis logger.\nThe file was saved in single-axis or scope format."},
      {&scope2, "l.osc", "Failed to load scope.\nThe file was saved in logger format."},
  };
  for (const Case& c : cases) {
    ClearBoxes();
    EXPECT_FALSE(c.logger->Load(Path(c.file).c_str()));
    EXPECT_EQ(LastBox(), c.text);
    EXPECT_EQ(c.logger->GetItems().GetSize(), 0);
  }
  // A scope file is not a logger's either; the scope's own loads.
  EXPECT_FALSE(single2.Load(Path("o.lgs").c_str()));
  EXPECT_TRUE(scope2.Load(Path("o.lgs").c_str()));
  EXPECT_EQ(scope2.GetItems().GetSize(), 2);
}

TEST_F(LoggerFileTest, EveryTruncationAndDamageFailsToTheDefaults) {
  CMC_SingleAxisLogger single(m_setup.get(), nullptr);
  single.AddVariable("APOS", 1);
  Fill(single, 3);
  ASSERT_TRUE(single.Save(Path("t.lgs").c_str()));
  std::unique_ptr<CMC_ScopeLogger> scope(TwoChannelScope());
  ASSERT_TRUE(scope->Save(Path("t.osc").c_str()));
  ASSERT_TRUE(scope->SaveGraph(Path("t.tpt").c_str()));
  g_bShowErrors = FALSE;

  CMC_SingleAxisLogger single2(m_setup.get(), nullptr);
  CMC_ScopeLogger scope2(m_setup.get(), nullptr);
  for (auto [file, logger] : {std::pair<const char*, CMC_Logger*>{"t.lgs", &single2}, {"t.osc", &scope2}}) {
    const Bytes whole = FileBytes(Path(file));
    for (size_t n = 0; n < whole.size(); ++n) {
      WriteFile(Path("cut"), Bytes(whole.begin(), whole.begin() + (long)n));
      single2.AddVariable("IQ", 1);
      EXPECT_FALSE(logger->Load(Path("cut").c_str())) << file << " " << n;
      EXPECT_EQ(logger->GetItems().GetSize(), 0) << file << " " << n;
      EXPECT_EQ(logger->GetCurves().GetSize(), 1);
    }
  }
  const Bytes plot = FileBytes(Path("t.tpt"));
  for (size_t n = 0; n < plot.size(); ++n) {
    CCurveArray curves;
    CGraphDocument plots;
    EXPECT_NE(dravonix::test::LoadCause(Bytes(plot.begin(), plot.begin() + (long)n),
                                        [&](CArchive& ar) {
                                          curves.Serialize(ar);
                                          plots.Serialize(ar);
                                        }),
              -1)
        << n;
  }
  // Counts that do not match: two items over one curve, an item count running past the end.
  Bytes b = FileBytes(Path("t.lgs"));
  for (auto patch : {std::pair<size_t, BYTE>{7, 2}, {7, 0xFF}, {9, 0x00}}) {
    Bytes damaged = b;
    damaged[patch.first] = patch.second;
    WriteFile(Path("bad.lgs"), damaged);
    EXPECT_FALSE(single2.Load(Path("bad.lgs").c_str()));
    EXPECT_EQ(single2.GetItems().GetSize(), 0);
  }
  // An item of an unknown kind or a bit past 31 never reaches the masks.
  for (auto entry : {std::pair<short, short>{6, -1}, {0, 32}}) {
    const short kind = entry.first, bit = entry.second;
    const Bytes item = dravonix::test::StoreBytes([&](CArchive& ar) {
      ar << (BYTE)4 << kind << CString() << CString("APOS") << CString() << 1.0 << 0.0 << CString() << bit;
    });
    CMC_LoggerItem read;
    EXPECT_EQ(dravonix::test::LoadCause(item, [&](CArchive& ar) { read.Serialize(ar); }), CArchiveException::badIndex);
  }
}

TEST_F(LoggerFileTest, AFailedSaveKeepsTheOldFile) {
  WriteBytes(Path("keep.lgs"), "old");
  FailingLogger failing;
  ClearBoxes();
  EXPECT_FALSE(failing.Save(Path("keep.lgs").c_str()));
  EXPECT_EQ(ReadBytes(Path("keep.lgs")), "old");
  EXPECT_EQ(dravonix::test::SaveLeftovers(Path("keep.lgs")), std::vector<std::string>{});
  EXPECT_EQ(Boxes().size(), 1u);
  // A folder that does not exist: the file error is shown.
  CMC_SingleAxisLogger logger(nullptr, nullptr);
  ClearBoxes();
  EXPECT_FALSE(logger.Save(Path("none/x.lgs").c_str()));
  EXPECT_FALSE(logger.Load(Path("none/x.lgs").c_str()));
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(LoggerFileTest, PlotFilesAndThePrompts) {
  std::unique_ptr<CMC_ScopeLogger> scope(TwoChannelScope());
  Fill(*scope, 4);
  // A bare name asks first; cancelling writes nothing.
  DialogAutomation::PushCancel(DialogAutomation::CommonKind::FileSave);
  EXPECT_EQ(scope->SaveGraph("plot.tpt"), 0);
  DialogAutomation::PushFileDialogResult(Path("plot.tpt").c_str());
  ASSERT_TRUE(scope->SaveGraph("plot.tpt"));
  auto log = DialogAutomation::CommonDialogs();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].kind, DialogAutomation::CommonKind::FileSave);
  EXPECT_EQ(log[1].fileName, "plot.tpt");
  EXPECT_EQ(log[1].filter, "Brannovetrix Plot Files (*.tpt)|*.tpt|All Files (*.*)|*.*||");
  EXPECT_EQ(log[1].defExt, "tpt");

  // The plot model reads it.
  CFile file(Path("plot.tpt").c_str(), CFile::modeRead);
  CArchive ar(&file, CArchive::load);
  CCurveArray curves;
  CGraphDocument plots;
  curves.Serialize(ar);
  plots.Serialize(ar);
  ASSERT_EQ(curves.GetSize(), 3);
  EXPECT_EQ(curves.GetAt(2)->GetAt(3), 2001.5);
  EXPECT_EQ(plots.GetSize(), 1);
  EXPECT_EQ(plots.m_strTitle, "Oscilloscope");

  struct Case {
    int (*prompt)(int, CString&, CString*);
    int open;
    const char* filter;
    DWORD flags;
  } cases[] = {
      {DoPromptLoggerFileName, TRUE, "Logger Settings Files (*.lgs)|*.lgs|All Files (*.*)|*.*||",
       OFN_FILEMUSTEXIST | OFN_HIDEREADONLY},
      {DoPromptScopeLoggerFileName, FALSE, "Scope Settings Files (*.osc)|*.osc|All Files (*.*)|*.*||",
       OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY},
  };
  for (const Case& c : cases) {
    DialogAutomation::ClearCommonDialogs();
    const std::string chosen = Path(c.open ? "open.ext" : "save.ext");
    if (c.open) WriteBytes(chosen, "");
    DialogAutomation::PushFileDialogResult(chosen.c_str());
    CString path = "proposed", title;
    ASSERT_TRUE(c.prompt(c.open, path, &title));
    EXPECT_EQ(path, chosen.c_str());
    EXPECT_EQ(title, c.open ? "open" : "save");
    log = DialogAutomation::CommonDialogs();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].filter, c.filter);
    EXPECT_EQ(log[0].fileName, c.open ? "" : "proposed");
    EXPECT_EQ(log[0].initialDir, std::string(GetArchivesDirectory()));
    EXPECT_EQ(log[0].flags & c.flags, c.flags);
  }
}

}  // namespace
