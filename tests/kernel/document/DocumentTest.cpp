// The document base: getters, axes, the memory-view start and the idle work that polls control
// panels and steps logger uploads, with a host-like document, a view that records update hints,
// loggers whose upload is scripted and a gadget item that watches one drive word.

#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "comm/MC_MemoryCache.h"
#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "editor/documents/TextFileDoc.h"
#include "platform/ui/View.h"
#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class TestDocument : public CMC_Document {
 public:
  TestDocument() { m_bAutoDelete = FALSE; }

  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_SingleAxisLogger* GetLogger() override { return m_pLogger; }
  CMC_ScopeLogger* GetScopeLogger() override { return m_pScope; }
  CMC_ControlPanel* GetControlPanel() override { return m_pPanels; }
  BYTE GetGlobalSelectedAxis() override { return m_byGlobalAxis; }
  CMC_MultiAxisLogger* GetMultiAxisLogger() override { return m_pMultiLogger; }
  int GetAxisCount() override { return m_pAxes ? m_pAxes->GetSize() : -1; }
  CMC_AxisData* GetAxisData(int i) override {
    return m_pAxes && i >= 0 && i < m_pAxes->GetSize() ? m_pAxes->GetAt(i) : nullptr;
  }

  CMC_Setup* m_pSetup = nullptr;
  CMC_SingleAxisLogger* m_pLogger = nullptr;
  CMC_ScopeLogger* m_pScope = nullptr;
  CMC_MultiAxisLogger* m_pMultiLogger = nullptr;
  CMC_ControlPanel* m_pPanels = nullptr;
  CMC_AxisDataArray* m_pAxes = nullptr;
  BYTE m_byGlobalAxis = 1;
};

class NamedAxis : public CMC_AxisData {
 public:
  NamedAxis(const char* name, BYTE id) : m_strName(name), m_byId(id) {}
  const char* GetName() override { return m_strName; }
  BYTE GetAxisID() override { return m_byId; }
  CString m_strName;
  BYTE m_byId;
};

struct Hint {
  LPARAM hint;
  CObject* object;
  bool operator==(const Hint&) const = default;
};

class RecordingView : public CView {
 public:
  void OnDraw(CDC*) override {}
  void OnUpdate(CView*, LPARAM hint, CObject* object) override { m_hints.push_back({hint, object}); }
  std::vector<Hint> m_hints;
};

// Uploads a scripted number of points; each step stores one, the step after the last ends.
template <class Base>
class ScriptedLogger : public Base {
 public:
  template <class... A>
  explicit ScriptedLogger(int points, A... args) : Base(args...), m_nLeft(points) {}
  int BeginOrContinueUploadData() override {
    this->m_bUploading = 1;
    return 1;
  }
  int ReadPoint(double*) override {
    ++m_nCalls;
    if (!this->m_bUploading) return 0;
    if (m_nLeft == 0) {
      this->EndUploadData();
      return 0;
    }
    --m_nLeft;
    return 1;
  }
  int m_nLeft;
  int m_nCalls = 0;
};

// A gadget's item that watches one word of the active drive.
class WordItem : public CControlPanelItem {
  DECLARE_DYNCREATE(WordItem)
 public:
  WordItem() = default;
  WordItem(const WordItem&) = default;
  CControlPanelItem& operator=(const CControlPanelItem& other) override {
    CControlPanelItem::operator=(other);
    if (auto* w = dynamic_cast<const WordItem*>(&other)) {
      m_wAddress = w->m_wAddress;
      m_bLocatable = w->m_bLocatable;
    }
    return *this;
  }
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override {
    CControlPanelItem::LocateItemVariables(setup, coff);
    return m_bLocatable;
  }
  void RegisterAddresses(CMC_MemoryCache& cache) override { cache.AddAddress(0, m_wAddress, 1, 0); }
  void UpdateValues(CMC_MemoryCache& cache) override {
    cache.GetValue(0, m_wAddress, &m_wValue, 1);
    ++m_nUpdates;
  }
  WORD m_wAddress = 0x8200;
  int m_bLocatable = TRUE;
  WORD m_wValue = 0;
  int m_nUpdates = 0;
};

}  // namespace

IMPLEMENT_DYNCREATE(WordItem, CControlPanelItem)

namespace {

class DocumentTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    CMC_Comm::m_bNetMaster = 0;
    Clock::UseVirtualTime();
    dravonix::test::StartSimulatedDrive();
    CMC_ControlPanel::ms_bStarted = 0;
    CMC_ControlPanel::ms_bInCustomize = 0;
    m_doc.AddView(&m_view);
  }
  void TearDown() override {
    m_doc.RemoveView(&m_view);
    CMC_ControlPanel::ms_bStarted = 0;
    dravonix::test::StopOnlineDrive();
    SetupTest::TearDown();
  }

  static void OpenDrive() {
    ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
    DriveSimulator::ClearCallLog();
  }
  // A panel manager whose stand-in frames are taken off before it closes its frames.
  struct Panels : CMC_ControlPanel {
    ~Panels() override {
      for (int i = 0; i < m_aPanels.GetSize(); ++i) m_aPanels[i]->m_pFrame = nullptr;
    }
  };
  // A panel with one word item, shown in a frame when `open`.
  static CControlPanelItemArray* AddPanel(CMC_ControlPanel& panels, bool open, WordItem** item = nullptr) {
    auto* panel = new CControlPanelItemArray("Panel");
    auto* w = new WordItem;
    panel->Add(w);
    // The frame is only looked at, never used, by the polling.
    if (open) panel->m_pFrame = reinterpret_cast<CMC_ControlPanelFrame*>(panel);
    panels.m_aPanels.Add(panel);
    if (item) *item = w;
    return panel;
  }

  TestDocument m_doc;
  RecordingView m_view;
};

TEST_F(DocumentTest, BaseGettersAndRunTimeClasses) {
  CObject* o = RUNTIME_CLASS(CMC_Document)->CreateObject();
  ASSERT_NE(o, nullptr);
  ASSERT_TRUE(o->IsKindOf(RUNTIME_CLASS(CDocument)));
  auto* doc = static_cast<CMC_Document*>(o);
  EXPECT_EQ(doc->GetSetup(), nullptr);
  EXPECT_EQ(doc->GetLogger(), nullptr);
  EXPECT_EQ(doc->GetScopeLogger(), nullptr);
  EXPECT_EQ(doc->GetCoffFile(), nullptr);
  EXPECT_EQ(doc->GetInterpreterDoc(), nullptr);
  EXPECT_EQ(doc->GetControlPanel(), nullptr);
  EXPECT_EQ(doc->GetMotion(), nullptr);
  EXPECT_EQ(doc->GetMultiAxisLogger(), nullptr);
  EXPECT_EQ(doc->GetGlobalSelectedAxis(), 0);
  EXPECT_EQ(doc->GetAxisCount(), -1);
  EXPECT_EQ(doc->GetSelectedAxisIdx(), -1);
  EXPECT_EQ(doc->GetAxisData(0), nullptr);
  EXPECT_EQ(doc->FindAxisData("X"), nullptr);
  EXPECT_EQ(doc->GetAxisDataIdx(nullptr), -1);
  EXPECT_EQ(doc->GetMemoryViewStartAddress(), 0);
  EXPECT_FALSE(doc->IsModified());
  doc->OnChangedInView(nullptr, 5);
  EXPECT_TRUE(doc->IsModified());
  doc->m_bAutoDelete = FALSE;
  delete doc;

  CObject* a = RUNTIME_CLASS(CMC_AxisData)->CreateObject();
  ASSERT_NE(a, nullptr);
  auto* axis = static_cast<CMC_AxisData*>(a);
  EXPECT_STREQ(axis->GetName(), "");
  EXPECT_EQ(axis->GetAxisID(), 0);
  EXPECT_EQ(axis->GetSetup(), nullptr);
  EXPECT_EQ(axis->GetCoffFile(), nullptr);
  EXPECT_EQ(axis->GetLogger(), nullptr);
  EXPECT_EQ(axis->GetScopeLogger(), nullptr);
  EXPECT_EQ(axis->GetControlPanel(), nullptr);
  EXPECT_EQ(axis->GetMotion(), nullptr);
  delete a;
  EXPECT_STREQ(RUNTIME_CLASS(CTextFileDoc)->m_lpszClassName, "CTextFileDoc");
}

TEST_F(DocumentTest, AxesAreFoundByNameWithoutCase) {
  CMC_AxisDataArray axes;
  EXPECT_TRUE(axes.GetOwnsElements());
  axes.Add(new NamedAxis("", 1));
  axes.Add(nullptr);
  axes.Add(new NamedAxis("Left", 2));
  axes.Add(new NamedAxis("LEFT", 3));
  m_doc.m_pAxes = &axes;
  EXPECT_EQ(m_doc.FindAxisData(""), nullptr);  // also when an axis has an empty name
  EXPECT_EQ(m_doc.FindAxisData(nullptr), nullptr);
  EXPECT_EQ(m_doc.FindAxisData("left"), axes[2]);
  EXPECT_EQ(m_doc.FindAxisData("Right"), nullptr);
  EXPECT_EQ(m_doc.GetAxisDataIdx(axes[3]), 3);
  EXPECT_EQ(m_doc.GetAxisDataIdx(nullptr), -1);
  NamedAxis stranger("Left", 9);
  EXPECT_EQ(m_doc.GetAxisDataIdx(&stranger), -1);
  // Copies of the base carry nothing of the derived axis.
  CMC_AxisData copy(*axes[2]);
  EXPECT_STREQ(copy.GetName(), "");
  m_doc.m_pAxes = nullptr;
}

TEST_F(DocumentTest, MemoryViewStartFollowsTheSetup) {
  SetupPtr setup(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
  ASSERT_TRUE(setup);
  ASSERT_EQ(setup->GetRAMStart(), 0x8200);
  ASSERT_EQ(setup->GetRAMSize(), 0x7E00);
  ASSERT_EQ(setup->GetPVTSize(), 0x200);
  m_doc.SetMemoryViewStartAddress(0x3000);
  EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), 0x3000);  // no setup: as stored
  m_doc.m_pSetup = setup.get();
  EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), 0x4000);  // below E2ROM: loads to and runs from E2ROM
  m_doc.SetMemoryViewStartAddress(0x9000);
  EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), 0x9000);
  m_doc.SetMemoryViewStartAddress(0xFFFF);  // the last word of a RAM that reaches the top
  EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), 0xFFFF);
  int load, run;
  WORD zurStart, zurSize, cam;
  setup->GetMemorySettings(load, run, zurStart, zurSize, cam);
  setup->SetMemorySettings(1, 0, zurStart, zurSize, cam);
  m_doc.SetMemoryViewStartAddress(0x3000);
  EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), 0x8200 + 0x200);  // RAM start + PVT size
  setup->SetE2ROMSize(0);
  m_doc.SetMemoryViewStartAddress(0x4000);  // without E2ROM the RAM start is the lowest
  EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), 0x8400);
  m_doc.SetMemoryViewStartAddress(0x8200);
  EXPECT_EQ(m_doc.GetMemoryViewStartAddress(), 0x8200);
  m_doc.m_pSetup = nullptr;
}

TEST_F(DocumentTest, IdleWithNothingToDoAsksForNoMorePasses) {
  LONG count = 7;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(count, 7);
  EXPECT_TRUE(m_view.m_hints.empty());
  // A panel manager that is not started and loggers that do not upload change nothing.
  Panels panels;
  AddPanel(panels, true);
  CMC_SingleAxisLogger logger(nullptr, nullptr);
  CMC_MultiAxisLogger multi(&m_doc);
  m_doc.m_pPanels = &panels;
  m_doc.m_pLogger = &logger;
  m_doc.m_pMultiLogger = &multi;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(count, 7);
  EXPECT_TRUE(m_view.m_hints.empty());
  m_doc.m_pPanels = nullptr;
  m_doc.m_pLogger = nullptr;
  m_doc.m_pMultiLogger = nullptr;
}

TEST_F(DocumentTest, PolledPanelsReadTheDriveAndAskForMore) {
  OpenDrive();
  WORD word = 0x1234;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x8200, &word, 1));
  Panels panels;
  WordItem* item = nullptr;
  AddPanel(panels, true, &item);
  WordItem* hidden = nullptr;
  AddPanel(panels, false, &hidden);
  panels.BuildMemoryArray(&m_doc);
  EXPECT_EQ(panels.m_cache.GetCount(), 1);  // only the open panel's word
  m_doc.m_pPanels = &panels;
  CMC_ControlPanel::ms_bStarted = 1;
  LONG count = 3;
  EXPECT_TRUE(m_doc.OnIdle(count));
  EXPECT_EQ(count, 3);  // only logger steps reset the count
  EXPECT_EQ(m_view.m_hints, (std::vector<Hint>{{-79, nullptr}}));
  EXPECT_EQ(item->m_wValue, 0x1234);
  EXPECT_EQ(hidden->m_nUpdates, 0);
  EXPECT_EQ(CMC_ControlPanel::ms_bStarted, 1);
  EXPECT_EQ(DriveSimulator::CallCount("DAV_ReceiveData"), 1u);

  // The global axis could not be made active again: polling stops.
  m_doc.m_byGlobalAxis = 7;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(m_view.m_hints.back(), (Hint{-78, nullptr}));
  EXPECT_EQ(CMC_ControlPanel::ms_bStarted, 0);
  EXPECT_EQ(panels.m_cache.GetCount(), 0);
  m_doc.m_pPanels = nullptr;
}

TEST_F(DocumentTest, FailedPanelReadStopsPollingOnce) {
  OpenDrive();
  Panels panels;
  WordItem* item = nullptr;
  AddPanel(panels, true, &item);
  panels.BuildMemoryArray(&m_doc);
  m_doc.m_pPanels = &panels;
  CMC_ControlPanel::ms_bStarted = 1;
  DriveSimulator::FailNextCalls(1, "no answer", "DAV_ReceiveData");
  LONG count = 3;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(m_view.m_hints, (std::vector<Hint>{{-78, nullptr}}));
  EXPECT_EQ(CMC_ControlPanel::ms_bStarted, 0);
  EXPECT_EQ(panels.m_cache.GetCount(), 0);
  EXPECT_EQ(item->m_nUpdates, 0);
  // No further polls until polling is started again.
  DriveSimulator::ClearCallLog();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(m_view.m_hints.size(), 1u);
  EXPECT_EQ(DriveSimulator::CallCount("DAV_ReceiveData"), 0u);
  EXPECT_TRUE(Boxes().empty());

  // Started with no panel open, the next pass stops the polling as well.
  panels.m_aPanels[0]->m_pFrame = nullptr;
  CMC_ControlPanel::ms_bStarted = 1;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(m_view.m_hints.size(), 2u);
  EXPECT_EQ(m_view.m_hints.back(), (Hint{-78, nullptr}));
  EXPECT_EQ(CMC_ControlPanel::ms_bStarted, 0);
  m_doc.m_pPanels = nullptr;
}

TEST_F(DocumentTest, TwoUploadingLoggersGiveTwoHintsPerPass) {
  ScriptedLogger<CMC_SingleAxisLogger> single(2, (CMC_Setup*)nullptr, (CMC_CoffFormat*)nullptr);
  ScriptedLogger<CMC_MultiAxisLogger> multi(1, (CMC_Document*)&m_doc);
  ASSERT_TRUE(single.BeginUploadData());
  ASSERT_TRUE(multi.BeginUploadData());
  m_doc.m_pLogger = &single;
  m_doc.m_pMultiLogger = &multi;
  CObject* s = &single;
  CObject* m = &multi;

  LONG count = 5;
  EXPECT_TRUE(m_doc.OnIdle(count));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(m_view.m_hints, (std::vector<Hint>{{-97, s}, {-97, m}}));

  m_view.m_hints.clear();
  count = 5;
  EXPECT_TRUE(m_doc.OnIdle(count));  // the single-axis logger still wants more
  EXPECT_EQ(count, 0);
  EXPECT_EQ(m_view.m_hints, (std::vector<Hint>{{-97, s}, {-96, m}}));
  EXPECT_FALSE(multi.UploadInProgress());

  m_view.m_hints.clear();
  count = 5;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(m_view.m_hints, (std::vector<Hint>{{-96, s}}));

  m_view.m_hints.clear();
  count = 5;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(count, 5);
  EXPECT_TRUE(m_view.m_hints.empty());
  EXPECT_EQ(single.m_nCalls, 3);
  EXPECT_EQ(multi.m_nCalls, 2);
  m_doc.m_pLogger = nullptr;
  m_doc.m_pMultiLogger = nullptr;
}

TEST_F(DocumentTest, MultiAxisStepAloneDecidesTheResult) {
  ScriptedLogger<CMC_MultiAxisLogger> multi(1, (CMC_Document*)&m_doc);
  ASSERT_TRUE(multi.BeginUploadData());
  m_doc.m_pMultiLogger = &multi;
  LONG count = 2;
  EXPECT_TRUE(m_doc.OnIdle(count));
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(m_view.m_hints, (std::vector<Hint>{{-97, &multi}, {-96, &multi}}));
  m_doc.m_pMultiLogger = nullptr;
}

TEST_F(DocumentTest, ScopeIsNotPolledAndUnbuiltUploadsEnd) {
  CMC_ScopeLogger scope(nullptr, nullptr);
  m_doc.m_pScope = &scope;
  // An upload whose point reading is not available yet ends at its first step.
  struct Uploading : CMC_SingleAxisLogger {
    Uploading() : CMC_SingleAxisLogger(nullptr, nullptr) {}
    int BeginOrContinueUploadData() override { return m_bUploading = 1; }
  } logger;
  ASSERT_TRUE(logger.BeginUploadData());
  m_doc.m_pLogger = &logger;
  LONG count = 4;
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(m_view.m_hints, (std::vector<Hint>{{-96, &logger}}));
  EXPECT_FALSE(logger.UploadInProgress());
  m_doc.m_pLogger = nullptr;
  m_doc.m_pScope = nullptr;
}

}  // namespace
