// Control panels and the multi-axis logger against a host-like document: panel copies, item lines,
// locating and registering the watched words, frame look-ups, and per-axis logger buffers.
#include "comm/MC_MemoryCache.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/document/MC_Document.h"
#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "tests/kernel/SetupTestSupport.h"

namespace {

class PanelDocument : public CMC_Document {
 public:
  PanelDocument() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  int GetAxisCount() override { return m_axes.GetSize(); }
  CMC_AxisData* GetAxisData(int i) override { return i >= 0 && i < m_axes.GetSize() ? m_axes[i] : nullptr; }
  CMC_Setup* m_pSetup = nullptr;
  CMC_AxisDataArray m_axes;
};

class SetupAxis : public CMC_AxisData {
 public:
  SetupAxis(const char* name, CMC_Setup* setup) : m_strName(name), m_pSetup(setup) {}
  const char* GetName() override { return m_strName; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CString m_strName;
  CMC_Setup* m_pSetup;
};

}  // namespace

// A gadget's item that watches two words and may fail to locate them.
class TwoWordItem : public CControlPanelItem {
  DECLARE_DYNCREATE(TwoWordItem)
 public:
  TwoWordItem() = default;
  TwoWordItem(const TwoWordItem&) = default;
  CControlPanelItem& operator=(const CControlPanelItem& other) override {
    CControlPanelItem::operator=(other);
    if (auto* w = dynamic_cast<const TwoWordItem*>(&other)) {
      m_wAddress = w->m_wAddress;
      m_bLocatable = w->m_bLocatable;
    }
    return *this;
  }
  int LocateItemVariables(CMC_Setup* s, CMC_CoffFormat* c) override {
    CControlPanelItem::LocateItemVariables(s, c);
    ++m_nLocates;
    return m_bLocatable;
  }
  void RegisterAddresses(CMC_MemoryCache& cache) override { cache.AddAddress(0, m_wAddress, 2, 100); }
  WORD m_wAddress = 0x8300;
  int m_bLocatable = TRUE;
  int m_nLocates = 0;
};
IMPLEMENT_DYNCREATE(TwoWordItem, CControlPanelItem)

namespace {

class ControlPanelTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    CMC_ControlPanel::ms_bStarted = 0;
    CMC_ControlPanel::ms_bInCustomize = 0;
  }
  void TearDown() override {
    CMC_ControlPanel::ms_bStarted = 0;
    CMC_ControlPanel::ms_bInCustomize = 0;
    SetupTest::TearDown();
  }
  static CMC_ControlPanelFrame* FakeFrame(void* p) { return reinterpret_cast<CMC_ControlPanelFrame*>(p); }
};

TEST_F(ControlPanelTest, ItemsCopyThroughTheirRunTimeClass) {
  CControlPanelItemArray panel("Motor 1.5");
  panel.m_nFrameX = 10;
  panel.m_nFrameHeight = 200;
  panel.m_pFrame = FakeFrame(&panel);
  auto* item = new TwoWordItem;
  item->m_wAddress = 0x8400;
  item->m_bBorder = 0;
  item->m_rect.SetRect(1, 2, 3, 4);
  panel.Add(item);
  panel.Add(new CControlPanelItem);

  CControlPanelItemArray copy(panel);
  EXPECT_EQ(copy.m_strName, "Motor 1.5");
  EXPECT_EQ(copy.m_nFrameX, 10);
  EXPECT_EQ(copy.m_nFrameY, -1);
  EXPECT_EQ(copy.m_nFrameHeight, 200);
  EXPECT_EQ(copy.m_pFrame, nullptr);  // a copy is never shown
  ASSERT_EQ(copy.GetSize(), 2);
  auto* copied = dynamic_cast<TwoWordItem*>(copy[0]);
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, item);
  EXPECT_EQ(copied->m_wAddress, 0x8400);
  EXPECT_EQ(copied->m_bBorder, 0);
  EXPECT_EQ(copied->m_rect, CRect(1, 2, 3, 4));
  EXPECT_EQ(copy[1]->GetRuntimeClass(), RUNTIME_CLASS(CControlPanelItem));

  CControlPanelsArray panels;
  panels.Add(new CControlPanelItemArray(panel));
  CControlPanelsArray again;
  again.CopyDuplicatedElements(panels);
  ASSERT_EQ(again.GetSize(), 1);
  EXPECT_NE(again[0], panels[0]);
  EXPECT_EQ(again[0]->GetSize(), 2);

  CMC_ControlPanel manager;
  manager.m_nState = 3;
  manager.m_aPanels.Add(new CControlPanelItemArray(panel));
  manager.m_cache.AddAddress(0, 0x8200, 1, 10);
  CMC_ControlPanel managerCopy(manager);
  EXPECT_EQ(managerCopy.m_nState, 3);
  EXPECT_EQ(managerCopy.m_cache.GetCount(), 1);
  ASSERT_EQ(managerCopy.m_aPanels.GetSize(), 1);
  EXPECT_EQ(managerCopy.m_aPanels[0]->GetSize(), 2);
}

TEST_F(ControlPanelTest, CommonFieldsOfAnItemLine) {
  CControlPanelItem item;
  EXPECT_EQ(item.SaveConfigLine(), "1 -1 -1 -1 -1 ");
  CString line = "0 10 20 110 70 rest";
  ASSERT_TRUE(item.LoadConfigLine(line));
  EXPECT_EQ(item.m_bBorder, 0);
  EXPECT_EQ(item.m_rect, CRect(10, 20, 110, 70));
  EXPECT_EQ(line.TrimLeft(), "rest");
  EXPECT_EQ(item.SaveConfigLine(), "0 10 20 110 70 ");
  CString shortLine = "1 5 6 7";
  EXPECT_FALSE(item.LoadConfigLine(shortLine));
}

TEST_F(ControlPanelTest, OpenPanelsRegisterTheirEnabledItems) {
  PanelDocument doc;
  CMC_ControlPanel manager;
  auto* open = new CControlPanelItemArray("Open");
  auto* found = new TwoWordItem;
  auto* missing = new TwoWordItem;
  missing->m_wAddress = 0x8500;
  missing->m_bLocatable = FALSE;
  open->Add(found);
  open->Add(missing);
  open->m_pFrame = FakeFrame(open);
  auto* closed = new CControlPanelItemArray("Closed");
  auto* hidden = new TwoWordItem;
  hidden->m_wAddress = 0x8600;
  closed->Add(hidden);
  manager.m_aPanels.Add(closed);
  manager.m_aPanels.Add(open);

  EXPECT_TRUE(manager.HasOpenedControlPanels());
  EXPECT_FALSE(manager.FindFrame(0));
  EXPECT_TRUE(manager.FindFrame(1));
  EXPECT_FALSE(manager.FindFrame(2));
  EXPECT_EQ(manager.FindFrame(FakeFrame(open)), 1);
  EXPECT_EQ(manager.FindFrame(static_cast<CMC_ControlPanelFrame*>(nullptr)), -1);

  manager.BuildMemoryArray(&doc);
  EXPECT_EQ(missing->m_bDisabled, 1);
  EXPECT_EQ(found->m_bDisabled, 0);
  EXPECT_EQ(hidden->m_nLocates, 0);
  ASSERT_EQ(manager.m_cache.GetCount(), 2);  // the two words of the located item only
  EXPECT_EQ(manager.m_cache.GetElem(0)->m_wAddress, 0x8300);
  EXPECT_EQ(manager.m_cache.GetElem(0)->m_wMaxAge, 100);
  EXPECT_TRUE(manager.HasValidOpenedControlPanels());

  // Re-locating while stopped leaves the cache alone; while running it is rebuilt.
  missing->m_bLocatable = TRUE;
  manager.SetupWasReplaced(&doc);
  EXPECT_EQ(missing->m_bDisabled, 0);
  EXPECT_EQ(hidden->m_nLocates, 1);
  EXPECT_EQ(manager.m_cache.GetCount(), 2);
  CMC_ControlPanel::ms_bStarted = 1;
  manager.SetupWasReplaced(&doc);
  EXPECT_EQ(manager.m_cache.GetCount(), 4);
  manager.ClearMemoryArray();
  EXPECT_EQ(manager.m_cache.GetCount(), 0);
  manager.BuildMemoryArray(nullptr);
  EXPECT_EQ(manager.m_cache.GetCount(), 0);

  found->m_bLocatable = missing->m_bLocatable = FALSE;
  open->LocateVars(nullptr, nullptr);
  EXPECT_FALSE(open->HasValidVars());
  EXPECT_FALSE(manager.HasValidOpenedControlPanels());
  open->m_pFrame = nullptr;  // a stand-in, no window for the manager to close
}

TEST_F(ControlPanelTest, FrameOperationsOnClosedPanels) {
  CMC_ControlPanel manager;
  manager.m_aPanels.Add(new CControlPanelItemArray("A"));
  manager.m_aPanels.Add(new CControlPanelItemArray("B"));
  EXPECT_FALSE(manager.HasOpenedControlPanels());
  EXPECT_FALSE(manager.RenameFrame(2, "C"));
  EXPECT_TRUE(manager.RenameFrame(0, "Main"));
  EXPECT_EQ(manager.m_aPanels[0]->m_strName, "Main");
  EXPECT_FALSE(manager.CloseFrame(-1));
  EXPECT_TRUE(manager.CloseFrame(1));  // not open
  EXPECT_TRUE(manager.CloseAllFrames());
  EXPECT_TRUE(manager.DeleteFrame(1));
  EXPECT_EQ(manager.m_aPanels.GetSize(), 1);
  EXPECT_FALSE(manager.DeleteFrame(1));
  EXPECT_FALSE(manager.OpenFrame(5, nullptr));
  EXPECT_FALSE(manager.CreateEmptyFrame(nullptr));

  CMC_ControlPanel::ms_bStarted = CMC_ControlPanel::ms_bInCustomize = 1;
  manager.m_nState = 2;
  manager.m_cache.AddAddress(0, 0x8200, 1, 0);
  manager.Reset();
  EXPECT_EQ(CMC_ControlPanel::ms_bStarted, 0);
  EXPECT_EQ(CMC_ControlPanel::ms_bInCustomize, 0);
  EXPECT_EQ(manager.m_nState, 0);
  EXPECT_EQ(manager.m_aPanels.GetSize(), 0);
  EXPECT_EQ(manager.m_cache.GetCount(), 0);
  EXPECT_EQ(manager.m_cache.GetMemorySpace(), 1);
}

TEST_F(ControlPanelTest, MultiAxisLoggerBuffersPerAxis) {
  SetupPtr setup(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
  ASSERT_TRUE(setup);
  ASSERT_GE(setup->GetLogBufferLength(), 7);
  PanelDocument doc;
  doc.m_axes.Add(new SetupAxis("Left", setup.get()));
  doc.m_axes.Add(new SetupAxis("Right", nullptr));
  CMC_MultiAxisLogger logger(&doc);
  EXPECT_TRUE(logger.IsEnabled());
  EXPECT_EQ(logger.GetDefaultSetup(), nullptr);  // no item yet: the document's setup
  doc.m_pSetup = setup.get();
  EXPECT_EQ(logger.GetDefaultSetup(), setup.get());

  CMC_LoggerItemsArray items;
  auto* left = new CMC_LoggerItem("left", "APOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  left->m_nVarType = VAR_LONG;
  items.Add(left);
  auto* right = new CMC_LoggerItem("RIGHT", "TPOS", CMC_LoggerItem::ITEM_VARIABLE, -1, 1);
  right->m_nVarType = VAR_DOUBLE;
  items.Add(right);
  // The right axis has no setup: 0x3800 words at 0x8800, 4 words a point.
  const int leftMax = (setup->GetLogBufferLength() - 5) / 2 - 1;
  const int rightMax = (0x3800 - 5) / 4 - 1;
  EXPECT_EQ(logger.ComputeMaxPoints(items), std::min(leftMax, rightMax));
  CMC_LoggerItemsArray empty;
  EXPECT_EQ(logger.ComputeMaxPoints(empty), 0);

  logger.GetItems().Add(new CMC_LoggerItem("Right", "TPOS", 0, -1, 1));
  EXPECT_EQ(logger.GetDefaultSetup(), nullptr);  // the first item's axis has no setup
}

}  // namespace
