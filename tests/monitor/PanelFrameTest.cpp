// Open panels: frames in an MDI main window, their view's gadgets, the gadget and edit-dialog bases
// through a test kind, and the idle polling of the drive words the gadgets watch.
#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/panels/GadgetEditDlg.h"
#include "monitor/panels/GadgetWnd.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/SimulatedDrive.h"
#include "tests/support/WindowPicture.h"

namespace {

enum : UINT { kPanelResource = 9400, kEditTemplate = 9401, IDC_VALUE = 100 };

const DLGITEM_ENTRY kGadgetItems[] = {
    {"Static", 0xFFFF, WS_VISIBLE | SS_LEFT, 0, 2, 2, 60, 8, "Value"},
    {"Edit", IDC_VALUE, WS_VISIBLE | WS_BORDER, 0, 2, 12, 60, 12, ""},
};
const DIALOG_RESOURCE kGadget = {WS_CHILD | DS_SETFONT | DS_CONTROL, 0, 0, 0, 80, 30, "",
                                 "MS Sans Serif", 8, kGadgetItems, 2, nullptr};

using E = CGadgetEditDlg;
const DLGITEM_ENTRY kEditItems[] = {
    {"ComboBox", E::IDC_AXIS, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 5, 5, 80, 80, nullptr},
    {"Button", E::IDC_RADIO_VARIABLE, WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, 0, 5, 20, 40, 10, "Variable"},
    {"Button", E::IDC_RADIO_EXPRESSION, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 50, 20, 40, 10, "Expression"},
    {"ComboBox", E::IDC_VARIABLE, WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 0, 5, 35, 80, 80, nullptr},
    {"Edit", E::IDC_EXPRESSION, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 90, 35, 80, 12, ""},
    {"ComboBox", E::IDC_UNIT, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 5, 50, 80, 80, nullptr},
    {"ComboBox", E::IDC_PRECISION, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 90, 50, 80, 80, nullptr},
    {"Button", E::IDC_HEXA, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 5, 65, 80, 10, "Hexadecimal"},
    {"Edit", E::IDC_MIN, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 5, 80, 60, 12, ""},
    {"Edit", E::IDC_MAX, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 70, 80, 60, 12, ""},
    {"Button", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 5, 100, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 60, 100, 50, 14, "Cancel"},
};
const DIALOG_RESOURCE kEdit = {WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 180, 120, "Test gadget",
                               "MS Sans Serif", 8, kEditItems, sizeof kEditItems / sizeof kEditItems[0], nullptr};
const DLGINIT_ENTRY kEditInit[] = {
    {E::IDC_PRECISION, CB_ADDSTRING, "0"},     {E::IDC_PRECISION, CB_ADDSTRING, "0.0"},
    {E::IDC_PRECISION, CB_ADDSTRING, "0.00"},  {E::IDC_PRECISION, CB_ADDSTRING, "0.000"},
    {E::IDC_PRECISION, CB_ADDSTRING, "0.0000"},
};
const DLGINIT_RESOURCE kEditData = {kEditInit, sizeof kEditInit / sizeof kEditInit[0]};
const RESOURCE_STRING kStrings[] = {{kPanelResource, "Control Panel"}};
const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, "GADGET_TEST", &kGadget, sizeof kGadget},
    {RT_DIALOG, MAKEINTRESOURCE(kEditTemplate), &kEdit, sizeof kEdit},
    {RT_DLGINIT, MAKEINTRESOURCE(kEditTemplate), &kEditData, sizeof kEditData},
};
const RESOURCE_TABLE kTable = {kStrings, 1, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_table(kTable);

class CTestEditDlg : public CGadgetEditDlg {
 public:
  CTestEditDlg(CMC_Setup* setup, CControlPanelShowVarItem& item) : CGadgetEditDlg(setup, nullptr, kEditTemplate), m_item(item) {}
  CControlPanelItem* GetItem() override { return &m_item; }
  CControlPanelVar* GetVar() override { return &m_item.m_var; }
  void DoDataExchange(CDataExchange* pDX) override { DDX_VariableBlock(pDX, 0, TRUE); }
  CControlPanelShowVarItem& m_item;
};

// The test kind's window: a maximum width, and a count of the polls it was shown.
class CTestGadgetWnd : public CGadgetWnd {
  DECLARE_DYNCREATE(CTestGadgetWnd)

 public:
  static int s_maxWidth;
  void SetSizeLimits(const CRect&) override { m_nMaxWidth = s_maxWidth; }
  void OnUpdateValues() override { ++m_nPolls; }
  int m_nPolls = 0;
};
IMPLEMENT_DYNCREATE(CTestGadgetWnd, CGadgetWnd)
int CTestGadgetWnd::s_maxWidth = -1;

using HostDoc = PanelHostDoc;

class PanelFrameTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(StartMonitorDrive(Kernel("Configurations/05/05")));
    ASSERT_TRUE(m_setup);
    m_doc.m_pSetup = m_setup.get();
    m_saved = CMC_ControlPanelView::msc_aLinks[0];
    CMC_ControlPanelView::msc_aLinks[0].name = "GADGET_TEST";
    CMC_ControlPanelView::msc_aLinks[0].pWndClass = RUNTIME_CLASS(CTestGadgetWnd);
    m_app = std::make_unique<CWinApp>("PanelTest");
    m_main = new CMDIFrameWnd;
    ASSERT_TRUE(m_main->Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)));
    m_app->m_pMainWnd = m_main;
    m_main->ShowWindow(SW_SHOW);
    m_template = new CMC_ControlPanelDocTemplate(kPanelResource, RUNTIME_CLASS(CMC_Document),
                                                  RUNTIME_CLASS(CMC_ControlPanelFrame), RUNTIME_CLASS(CMC_ControlPanelView));
    m_app->AddDocTemplate(m_template);
  }
  void TearDown() override {
    m_doc.m_panels.CloseAllFrames();
    m_doc.m_panels.Reset();
    if (m_main) m_main->DestroyWindow();
    // The main window's end posts a quit that would end the next test's dialogs.
    MSG quit;
    while (PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    m_app.reset();
    CMC_ControlPanelView::msc_aLinks[0] = m_saved;
    CTestGadgetWnd::s_maxWidth = -1;
    DialogAutomation::Reset();
    dravonix::test::StopOnlineDrive();
    SetupTest::TearDown();
  }
  static CControlPanelShowVarItem* Item(const char* name, WORD period, CRect rect = CRect(10, 10, 10, 40)) {
    auto* item = new CControlPanelShowVarItem;
    item->m_var.m_strName = name;
    item->m_var.m_strUnit = "rot";
    item->m_nPeriod = period;
    item->m_rect = rect;
    return item;
  }
  CControlPanelItemArray* AddPanel(const char* name) {
    auto* panel = new CControlPanelItemArray(name);
    m_doc.m_panels.m_aPanels.Add(panel);
    return panel;
  }
  static CMC_ControlPanelView* ViewOf(CControlPanelItemArray* panel) {
    return panel->m_pFrame ? DYNAMIC_DOWNCAST(CMC_ControlPanelView, panel->m_pFrame->GetActiveView()) : nullptr;
  }
  int FrameCount() const {
    int n = 0;
    for (HWND c = ::GetWindow(m_main->m_hWndMDIClient, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++n;
    return n;
  }
  static CString Text(CWnd* w) {
    CString t;
    w->GetWindowText(t);
    return t;
  }

  SetupPtr m_setup;
  HostDoc m_doc;
  CMC_ControlPanelView::tagLinks m_saved{};
  std::unique_ptr<CWinApp> m_app;
  CMDIFrameWnd* m_main = nullptr;
  CMC_ControlPanelDocTemplate* m_template = nullptr;
};

TEST_F(PanelFrameTest, FramesOpenCloseMoveAndRetitle) {
  CMC_ControlPanel& panels = m_doc.m_panels;
  CControlPanelItemArray* motor = AddPanel("MAIN");
  motor->Add(Item("APOS", 100));
  ASSERT_TRUE(panels.OpenFrame(0, &m_doc));
  CMC_ControlPanelFrame* frame = motor->m_pFrame;
  ASSERT_TRUE(frame);
  EXPECT_EQ(Text(frame), "MAIN");
  EXPECT_EQ(m_main->MDIGetActive(), frame);
  ASSERT_TRUE(ViewOf(motor));
  EXPECT_EQ(ViewOf(motor)->m_aGadgets.GetSize(), 1);
  EXPECT_TRUE(ViewOf(motor)->m_bInitialized);
  EXPECT_TRUE(panels.OpenFrame(0, &m_doc));
  EXPECT_EQ(FrameCount(), 1);
  EXPECT_EQ(panels.FindFrame(frame), 0);

  // Moving the frame stores its placement, which the next opening uses.
  EXPECT_FALSE(m_doc.IsModified());
  frame->MoveWindow(30, 40, 320, 210);
  EXPECT_EQ((std::vector<int>{motor->m_nFrameX, motor->m_nFrameY, motor->m_nFrameWidth, motor->m_nFrameHeight}),
            (std::vector<int>{30, 40, 320, 210}));
  EXPECT_TRUE(m_doc.IsModified());
  EXPECT_TRUE(panels.CloseFrame(0));
  EXPECT_EQ(motor->m_pFrame, nullptr);
  EXPECT_EQ(FrameCount(), 0);
  EXPECT_TRUE(panels.CloseFrame(0));
  EXPECT_FALSE(panels.CloseFrame(1));
  ASSERT_TRUE(panels.OpenFrame(0, &m_doc));
  CRect r;
  motor->m_pFrame->GetWindowRect(&r);
  CWnd::FromHandle(m_main->m_hWndMDIClient)->ScreenToClient(&r);
  EXPECT_EQ(r, CRect(30, 40, 350, 250));
  EXPECT_FALSE(motor->m_pFrame->GetStyle() & WS_MAXIMIZEBOX);

  // Renaming retitles an open frame, whether by call or by the properties dialog.
  EXPECT_TRUE(panels.RenameFrame(0, "Axis"));
  EXPECT_EQ(Text(motor->m_pFrame), "Axis");
  DialogAutomation::AddDialogHandler(14005u, [](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14000, "Spindle");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  CStringArray others;
  EXPECT_TRUE(motor->EditProperties(others));
  EXPECT_EQ(Text(motor->m_pFrame), "Spindle");
  EXPECT_FALSE(panels.RenameFrame(3, "x"));

  // A new panel must take a title no other panel has; Cancel adds nothing.
  ClearBoxes();
  DialogAutomation::AddDialogHandler(14005u, [](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14000, "spindle");
    DialogAutomation::ClickControl(dlg, IDOK);
    DialogAutomation::ClickControl(dlg, IDCANCEL);
  });
  EXPECT_FALSE(panels.CreateEmptyFrame(&m_doc));
  EXPECT_EQ(panels.m_aPanels.GetSize(), 1);
  EXPECT_EQ(LastBox(), "This title is already used by another control panel view. Please use another");
  DialogAutomation::AddDialogHandler(14005u, [](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14000, "Second");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  EXPECT_TRUE(panels.CreateEmptyFrame(&m_doc));
  ASSERT_EQ(panels.m_aPanels.GetSize(), 2);
  EXPECT_EQ(Text(panels.m_aPanels[1]->m_pFrame), "Second");
  EXPECT_EQ(FrameCount(), 2);
  EXPECT_TRUE(panels.DeleteFrame(1));
  EXPECT_EQ(FrameCount(), 1);
  // From a file: the load and the title must both succeed.
  const std::string file = dravonix::test::ScratchDir("panel-frames") + "/spare.cp";
  ASSERT_TRUE(motor->Save(file.c_str()));
  DialogAutomation::PushFileDialogResult(file.c_str());
  DialogAutomation::AddDialogHandler(14005u, [](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14000, "Spare");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  EXPECT_TRUE(panels.CreateFrameFromFile(&m_doc));
  ASSERT_EQ(panels.m_aPanels.GetSize(), 2);
  EXPECT_EQ(panels.m_aPanels[1]->GetSize(), 1);
  EXPECT_TRUE(panels.DeleteFrame(1));
  DialogAutomation::PushCancel(DialogAutomation::CommonKind::FileOpen);
  EXPECT_FALSE(panels.CreateFrameFromFile(&m_doc));
  EXPECT_EQ(panels.m_aPanels.GetSize(), 1);

  // While running, opening and closing rebuild the cache from the open panels only.
  CMC_ControlPanel::ms_bStarted = 1;
  panels.BuildMemoryArray(&m_doc);
  EXPECT_EQ(panels.m_cache.GetCount(), 2);
  panels.CloseAllFrames();
  EXPECT_EQ(panels.m_cache.GetCount(), 0);
  ASSERT_TRUE(panels.OpenFrame(0, &m_doc));
  EXPECT_EQ(panels.m_cache.GetCount(), 2);
  CMC_ControlPanel::ms_bStarted = 0;

  // Resetting the manager takes its frames with the panels.
  panels.Reset();
  EXPECT_EQ(FrameCount(), 0);
  motor = AddPanel("MAIN");

  // Without a panel template nothing opens.
  CMC_ControlPanelView::msc_aLinks[0].pWndClass = nullptr;
  m_template->m_pFrameClass = RUNTIME_CLASS(CMDIChildWnd);
  EXPECT_FALSE(panels.OpenFrame(0, &m_doc));
  EXPECT_EQ(FrameCount(), 0);
}

// A panel list that goes with a frame still open takes the frame with it: the frame must not be left
// showing a freed panel.
TEST_F(PanelFrameTest, AListDestroyedWithAFrameOpenClosesTheFrame) {
  auto list = std::make_unique<CMC_ControlPanel>();
  auto* panel = new CControlPanelItemArray("MAIN");
  panel->Add(Item("APOS", 100));
  list->m_aPanels.Add(panel);
  ASSERT_TRUE(list->OpenFrame(0, &m_doc));
  ASSERT_EQ(FrameCount(), 1);
  list.reset();
  EXPECT_EQ(FrameCount(), 0);
  ::PumpMessages();
}

TEST_F(PanelFrameTest, GadgetsTakeTheirTemplateSizeLimitsAndStyles) {
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, "Static", "p", WS_POPUP, CRect(0, 0, 600, 400), nullptr, 0));
  CControlPanelShowVarItem zero, thin, wide;
  zero.m_rect.SetRect(5, 6, 5, 6);
  thin.m_rect.SetRect(5, 6, 100, 7);
  wide.m_rect.SetRect(0, 0, 150, 30);
  wide.m_bBorder = 0;
  CTestGadgetWnd a, b, c;
  ASSERT_TRUE(a.Create(&parent, "GADGET_TEST", 14000, &zero, TRUE));
  CRect window;
  a.GetWindowRect(&window);
  EXPECT_EQ(zero.m_rect, CRect(5, 6, 5 + window.Width(), 6 + window.Height()));
  EXPECT_GT(window.Width(), 100);
  EXPECT_EQ(a.GetDlgCtrlID(), 14000);
  EXPECT_TRUE(a.GetStyle() & WS_THICKFRAME);
  EXPECT_FALSE(a.GetStyle() & WS_BORDER);
  EXPECT_FALSE(a.GetDlgItem(IDC_VALUE)->IsWindowEnabled());
  EXPECT_FALSE(a.GetDlgItem(IDC_VALUE)->GetExStyle() & WS_EX_NOPARENTNOTIFY);

  ASSERT_TRUE(b.Create(&parent, "GADGET_TEST", 14001, &thin, FALSE));
  EXPECT_EQ(thin.m_rect, CRect(5, 6, 100, 7));
  EXPECT_TRUE(b.GetStyle() & WS_BORDER);
  EXPECT_FALSE(b.GetStyle() & WS_THICKFRAME);
  CTestGadgetWnd::s_maxWidth = 100;
  ASSERT_TRUE(c.Create(&parent, "GADGET_TEST", 14002, &wide, FALSE));
  EXPECT_EQ(wide.m_rect.Width(), 100);
  EXPECT_FALSE(c.GetStyle() & WS_BORDER);
  EXPECT_FALSE(c.Create(&parent, "NO_SUCH_GADGET", 14003, &wide, FALSE));

  // Moving the window moves the item; the run-time states of the controls.
  c.MoveWindow(20, 30, 90, 25);
  EXPECT_EQ(wide.m_rect, CRect(20, 30, 110, 55));
  MINMAXINFO info{};
  c.SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&info);
  EXPECT_EQ(info.ptMaxTrackSize.x, 100);
  c.OnStart();
  EXPECT_TRUE(c.GetDlgItem(IDC_VALUE)->IsWindowEnabled());
  c.OnStop();
  EXPECT_FALSE(c.GetDlgItem(IDC_VALUE)->IsWindowEnabled());
  wide.Disable();
  c.OnStart();
  EXPECT_FALSE(c.GetDlgItem(IDC_VALUE)->IsWindowEnabled());
  EXPECT_TRUE(c.EditProperties());
  a.DestroyWindow();
  b.DestroyWindow();
  c.DestroyWindow();
  parent.DestroyWindow();
}

TEST_F(PanelFrameTest, EditDialogChecksItsBlockAndRefillsTheVariables) {
  CControlPanelShowVarItem item;
  item.m_var.m_strName = "APOS";
  item.m_var.m_dMin = 0;
  item.m_var.m_dMax = 10;
  CTestEditDlg dlg(m_setup.get(), item);
  struct Seen {
    int precisions = 0;
    CString toggle;
    bool dropped = false;
    CString name;
  } seen;
  CGadgetEditDlg::ms_bListAllVariables = 0;
  DialogAutomation::AddDialogHandler(kEditTemplate, [&](CWnd* d) {
    seen.precisions = (int)d->SendDlgItemMessage(E::IDC_PRECISION, CB_GETCOUNT);
    // No axis chosen is no state a user reaches; the refusal is the dialog's own.
    d->SendDlgItemMessage(E::IDC_AXIS, CB_SETCURSEL, (WPARAM)-1);
    DialogAutomation::ClickControl(d, IDOK);
    PickEntry(d, E::IDC_AXIS, 0);
    DialogAutomation::TypeInto(d, E::IDC_VARIABLE, "\b");
    DialogAutomation::ClickControl(d, IDOK);
    DialogAutomation::TypeInto(d, E::IDC_VARIABLE, "APOS");
    DialogAutomation::TypeInto(d, E::IDC_MIN, "5");
    DialogAutomation::TypeInto(d, E::IDC_MAX, "5");
    DialogAutomation::ClickControl(d, IDOK);
    // The toggle entry: the variable stays, the list is refilled and drops down.
    DialogAutomation::SelectItem(d, E::IDC_VARIABLE, ">> List all variables <<");
    PumpMessages();
    char text[64] = {};
    d->SendDlgItemMessage(E::IDC_VARIABLE, CB_GETLBTEXT, 0, (LPARAM)text);
    seen.toggle = text;
    seen.dropped = d->SendDlgItemMessage(E::IDC_VARIABLE, CB_GETDROPPEDSTATE) != 0;
    seen.name = item.m_var.m_strName;
    d->SendDlgItemMessage(E::IDC_VARIABLE, CB_SHOWDROPDOWN, FALSE);
    DialogAutomation::TypeInto(d, E::IDC_MAX, "8");
    DialogAutomation::ClickControl(d, IDOK);
  });
  ClearBoxes();
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(seen.precisions, 5);
  EXPECT_EQ(seen.toggle, ">> List main variables <<");
  EXPECT_TRUE(seen.dropped);
  EXPECT_EQ(seen.name, "APOS");
  EXPECT_EQ(CGadgetEditDlg::ms_bListAllVariables, 1);
  CGadgetEditDlg::ms_bListAllVariables = 0;
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Please select an item!");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
  EXPECT_EQ(boxes[1].text, "Non empty string expected");
  EXPECT_EQ(boxes[2].text, "The maximum value must be greater than the minimum value!");
  EXPECT_EQ(boxes[2].type & MB_ICONMASK, (UINT)MB_ICONSTOP);
  EXPECT_EQ(item.m_var.m_dMin, 5);
  EXPECT_EQ(item.m_var.m_dMax, 8);
  EXPECT_EQ(item.m_var.m_strName, "APOS");
  EXPECT_EQ(item.m_var.m_strUnit, "rot");
}

TEST_F(PanelFrameTest, OpenPanelsArePolledThroughOneCache) {
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  CControlPanelItemArray* panel = AddPanel("Poll");
  auto* apos = Item("APOS", 100);
  auto* load = Item("APOS_LD", 50, CRect(10, 60, 10, 90));
  panel->Add(apos);
  panel->Add(load);
  ASSERT_TRUE(m_doc.m_panels.OpenFrame(0, &m_doc));
  const WORD words[4] = {0x1234, 0, 0x5678, 0};
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x0228, words, 4));
  CMC_ControlPanel::ms_bStarted = 1;
  m_doc.m_panels.BuildMemoryArray(&m_doc);
  m_doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STARTED, nullptr);
  auto reads = [] {
    std::vector<std::vector<uint32_t>> r;
    for (auto& c : DriveSimulator::CallLog())
      if (std::string(c.function) == "DAV_ReceiveData") r.push_back({c.args[0], c.args[2]});
    DriveSimulator::ClearCallLog();
    return r;
  };
  auto poll = [&] {
    LONG count = 0;
    return m_doc.OnIdle(count);
  };
  DriveSimulator::ClearCallLog();
  ASSERT_TRUE(poll());
  EXPECT_EQ(reads(), (std::vector<std::vector<uint32_t>>{{0x0228, 4}}));
  EXPECT_EQ(apos->m_var.m_pVariable->GetRawValue().m_lLong, 0x1234);
  EXPECT_EQ(load->m_var.m_pVariable->GetRawValue().m_lLong, 0x5678);
  auto* gadget = static_cast<CTestGadgetWnd*>(ViewOf(panel)->m_aGadgets[0]);
  EXPECT_EQ(gadget->m_nPolls, 1);
  EXPECT_TRUE(gadget->GetDlgItem(IDC_VALUE)->IsWindowEnabled());
  Clock::Advance(60);
  ASSERT_TRUE(poll());
  EXPECT_EQ(reads(), (std::vector<std::vector<uint32_t>>{{0x022A, 2}}));
  Clock::Advance(60);
  ASSERT_TRUE(poll());
  EXPECT_EQ(reads(), (std::vector<std::vector<uint32_t>>{{0x0228, 4}}));
  // A gadget that wrote a word has it read at the next poll.
  const WORD changed[2] = {0x4321, 0};
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x0228, changed, 2));
  m_doc.m_panels.InvalidateMemory(0, 0x0228, 2);
  ASSERT_TRUE(poll());
  EXPECT_EQ(reads(), (std::vector<std::vector<uint32_t>>{{0x0228, 2}}));
  EXPECT_EQ(apos->m_var.m_pVariable->GetRawValue().m_lLong, 0x4321);

  // A failed read stops the panels and their gadgets.
  DriveSimulator::FailNextCalls(1, "timeout", "DAV_ReceiveData");
  Clock::Advance(200);
  EXPECT_FALSE(poll());
  EXPECT_FALSE(CMC_ControlPanel::ms_bStarted);
  EXPECT_EQ(m_doc.m_panels.m_cache.GetCount(), 0);
  EXPECT_FALSE(gadget->GetDlgItem(IDC_VALUE)->IsWindowEnabled());
}

}  // namespace

TEST_F(PanelFrameTest, PanelsClosedByTheUserLeaveThePolling) {
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  AddPanel("Motor")->Add(Item("APOS", 100));
  AddPanel("Load")->Add(Item("APOS_LD", 100));
  CMC_ControlPanel& panels = m_doc.m_panels;
  ASSERT_TRUE(panels.OpenFrame(0, &m_doc) && panels.OpenFrame(1, &m_doc));
  CMC_ControlPanel::ms_bStarted = 1;
  panels.BuildMemoryArray(&m_doc);
  ASSERT_EQ(panels.m_cache.GetCount(), 4);
  // A click into a panel and Ctrl+F4 close it; the other's words stay polled, and its frame takes over.
  UiAutomation::Click(ViewOf(panels.m_aPanels[1])->m_hWnd, CPoint(2, 2));
  UiAutomation::PressKey(VK_F4, UiAutomation::kControl);
  EXPECT_EQ((std::vector<int>{panels.FindFrame(0), panels.FindFrame(1)}), (std::vector<int>{1, 0}));
  EXPECT_EQ(panels.m_cache.GetCount(), 2);
  EXPECT_EQ(m_main->MDIGetActive(), panels.m_aPanels[0]->m_pFrame);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd));
  LONG count = 0;
  EXPECT_TRUE(m_doc.OnIdle(count));
  // The test's document has no view of its own: its last frame would ask to save it.
  m_doc.SetModifiedFlag(FALSE);
  UiAutomation::PressKey(VK_F4, UiAutomation::kControl);
  EXPECT_FALSE(panels.HasOpenedControlPanels());
  EXPECT_FALSE(m_doc.OnIdle(count));
  EXPECT_FALSE(CMC_ControlPanel::ms_bStarted);
}
