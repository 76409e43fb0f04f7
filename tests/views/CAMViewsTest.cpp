// The CAM tables view and the CAM table editor view over a document of configuration 05/05, whose
// CAM area is 2048 words.
#include "kernel/document/MC_Document.h"
#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"
#include "views/cam/MC_CAMTablesView.h"
#include "views/cam/MC_CAMView.h"
#include "platform/core/Clock.h"
#include "plot/graph/ColorFactory.h"
#include "tests/support/DialogActs.h"
#include "tests/support/FileContents.h"
#include "tests/support/MdiViewHost.h"
#include "tests/views/HostSteps.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <memory>
#include <string>
#include <vector>

namespace {

class CCamDoc : public CMC_Document {
 public:
  CCamDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
  int changes = 0;
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Motion* GetMotion() override { return motion; }
  void OnChangedInView(CView* view, UINT hint) override {
    ++changes;
    CMC_Document::OnChangedInView(view, hint);
  }
};

// A view that records the hints it gets.
class CHintView : public CView {
 public:
  std::vector<LPARAM> hints;
  void OnDraw(CDC*) override {}
  void OnUpdate(CView*, LPARAM hint, CObject*) override { hints.push_back(hint); }
};

std::vector<std::string> Items(CWnd* view, int id) {
  std::vector<std::string> items;
  HWND h = ::GetDlgItem(view->m_hWnd, id);
  const int n = (int)::SendMessage(h, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    char text[256] = {};
    ::SendMessage(h, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
    items.push_back(text);
  }
  return items;
}

bool Enabled(CWnd* view, int id) { return ::IsWindowEnabled(::GetDlgItem(view->m_hWnd, id)) != 0; }
int Selection(CWnd* view, int id) { return (int)::SendDlgItemMessage(view->m_hWnd, id, LB_GETCURSEL, 0, 0); }
bool Visible(CWnd* view, int id) { return (::GetWindowLong(::GetDlgItem(view->m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace

class CamViewsTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    DialogAutomation::Reset();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_motion.reset(CMC_Motion::Create(m_setup.get()));
    ASSERT_TRUE(m_motion);
    m_doc.setup = m_setup.get();
    m_doc.motion = m_motion.get();
    ASSERT_TRUE(m_host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 700, 520),
                                nullptr, 0));
    m_doc.AddView(&m_other);
    m_dir = dravonix::test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ClearBoxes();
  }
  void TearDown() override {
    for (CView* v : m_views) {
      m_doc.RemoveView(v);
      v->DestroyWindow();
    }
    m_doc.RemoveView(&m_other);
    m_host.DestroyWindow();
    DialogAutomation::Reset();
    m_motion.reset();
    m_setup.reset();
    SetupTest::TearDown();
  }
  // Views delete themselves when their windows go.
  template <class V>
  V* Open(CDocument* doc) {
    auto* v = new V;
    EXPECT_TRUE(v->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 700, 520), &m_host, 0xE900, nullptr));
    doc->AddView(v);
    v->OnInitialUpdate();
    m_views.push_back(v);
    return v;
  }
  void Type(CWnd* v, int id, const char* text) { ::SetDlgItemText(v->m_hWnd, id, text); }
  void Click(CWnd* v, int id) { DialogAutomation::ClickControl(v, id); }
  CMC_CAMTables& Tables() { return *m_motion->GetCAMTables(); }
  void Resize(int selected, int points) {
    std::vector<LONG> values((size_t)points, 0);
    Tables().GetSelCAM(selected)->SetPoints(values.data(), points);
  }

  SetupPtr m_setup;
  MotionPtr m_motion;
  CCamDoc m_doc;
  CWnd m_host;
  CHintView m_other;
  std::vector<CView*> m_views;
  std::string m_dir;
};

TEST_F(CamViewsTest, TablesViewShowsTheFreeCamArea) {
  ASSERT_EQ(m_setup->GetCAMTablesLength(), 2048);
  auto* view = Open<CMC_CAMTablesView>(&m_doc);
  auto bar = [&] {
    DWORD lo = 0, hi = 0;
    view->m_progress.GetRange(lo, hi);
    CString text;
    view->m_progress.GetWindowText(text);
    return std::string(text.GetString()) + " @" + std::to_string(view->m_progress.GetPos()) + " of " +
           std::to_string(lo) + ".." + std::to_string(hi) + (Visible(view, 14033) ? " hint" : "");
  };
  EXPECT_EQ(bar(), "2048 words @2048 of 0..2048");
  Type(view, 14003, "c1");
  Click(view, 14001);
  EXPECT_EQ(Items(view, 14004), std::vector<std::string>{"c1"});
  EXPECT_EQ(Selection(view, 14004), 0);
  EXPECT_EQ(bar(), "2040 words @2040 of 0..2048");
  EXPECT_EQ(m_doc.changes, 1);
  EXPECT_EQ(m_other.hints, std::vector<LPARAM>{-68});

  const struct {
    int points;
    const char* bar;
  } sizes[] = {{1021, "0 words @0 of 0..2048"}, {1022, "Overflow @0 of 0..2048 hint"}, {10, "2022 words @2022 of 0..2048"}};
  for (const auto& s : sizes) {
    Resize(0, s.points);
    m_doc.UpdateAllViews(nullptr, -68);
    EXPECT_EQ(bar(), s.bar) << s.points;
  }
  Resize(0, 1022);
  m_doc.UpdateAllViews(nullptr, -68);
  Type(view, 14003, "c2");
  Click(view, 14001);
  EXPECT_TRUE(SaveWindowImage(view, dravonix::test::OutputPath("cam-tables-overflow.png").c_str()));
  ASSERT_TRUE(DialogAutomation::SelectItem(view, 14004, "c1"));
  Click(view, 14011);  // demote the big one: the hint goes
  EXPECT_EQ(Items(view, 14008), std::vector<std::string>{"c1"});
  EXPECT_EQ(Selection(view, 14008), 0);
  EXPECT_EQ(bar(), "2040 words @2040 of 0..2048");
  Resize(0, 509);  // c2 takes half the area
  m_doc.UpdateAllViews(nullptr, -68);
  EXPECT_EQ(bar(), "1024 words @1024 of 0..2048");
  EXPECT_TRUE(SaveWindowImage(view, dravonix::test::OutputPath("cam-tables.png").c_str()));
  // the bar fills from the right: the free share in the highlight colour, the used in the button face
  CRect r;
  ::GetWindowRect(::GetDlgItem(view->m_hWnd, 14028), &r);
  view->ScreenToClient(&r);
  EXPECT_EQ(GetWindowPixel(view->m_hWnd, POINT{r.left + 3, r.top + 2}), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetWindowPixel(view->m_hWnd, POINT{r.right - 3, r.top + 2}), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(CamViewsTest, TablesViewListsFollowTheModel) {
  auto* view = Open<CMC_CAMTablesView>(&m_doc);
  for (const char* name : {"a", "b"}) {
    Type(view, 14003, name);
    Click(view, 14001);
  }
  Click(view, 14011);  // b goes to the available list
  ASSERT_TRUE(DialogAutomation::SelectItem(view, 14004, "a"));
  EXPECT_FALSE(Enabled(view, 14005));  // one selected table: neither up nor down
  EXPECT_FALSE(Enabled(view, 14006));
  // a click in one list clears the other: Rename acts on the list clicked last
  ASSERT_TRUE(DialogAutomation::SelectItem(view, 14008, "b"));
  EXPECT_EQ(Selection(view, 14004), -1);
  CString name;
  view->GetDlgItemText(14003, name);
  EXPECT_STREQ(name, "b");
  Type(view, 14003, "b2");
  Click(view, 14002);
  EXPECT_EQ(Items(view, 14008), std::vector<std::string>{"b2"});
  EXPECT_EQ(Items(view, 14004), std::vector<std::string>{"a"});
  // a duplicate name changes nothing
  const int changes = m_doc.changes;
  Type(view, 14003, "a");
  Click(view, 14002);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Duplicate name: there is another CAM with the same name!"});
  EXPECT_EQ(Items(view, 14008), std::vector<std::string>{"b2"});
  EXPECT_EQ(m_doc.changes, changes);
  Click(view, 14007);  // promote b2: the order is the model's
  EXPECT_EQ(Items(view, 14004), (std::vector<std::string>{"a", "b2"}));
  Click(view, 14005);  // b2 up
  EXPECT_EQ(Items(view, 14004), (std::vector<std::string>{"b2", "a"}));
  EXPECT_EQ(Selection(view, 14004), 0);

  // loading the same binary file twice makes its title unique
  CMC_CAM cam;
  cam.SetName("cam1");
  const std::string path = m_dir + "/cam1.cam";
  ASSERT_TRUE(cam.Save(path.c_str()));
  for (int k = 0; k < 2; k++) {
    DialogAutomation::PushFileDialogResult(path.c_str());
    Click(view, 14038);
  }
  EXPECT_EQ(Items(view, 14004), (std::vector<std::string>{"b2", "a", "cam1", "cam1#2"}));
  EXPECT_EQ(Selection(view, 14004), 3);
  EXPECT_EQ(m_other.hints.size(), (size_t)m_doc.changes);
  for (LPARAM h : m_other.hints) EXPECT_EQ(h, -68);
}

// A table too large to save, imported beside another: the host's save of the program writes every
// other file, keeps the table's old one and fails.
TEST_F(CamViewsTest, ATableThatCannotBeSavedLeavesTheRestSaved) {
  auto* view = Open<CMC_CAMTablesView>(&m_doc);
  DialogAutomation::TypeInto(view, 14003, "good");
  DialogAutomation::ClickControl(view, 14001);
  const std::string text = m_dir + "/huge.txt";
  {
    std::ofstream out(text, std::ios::binary);
    for (int i = 0; i < 9000; i++) out << i << "\t" << -i << "\r\n";
  }
  DialogAutomation::PushFileDialogResult(text.c_str());
  DialogAutomation::ClickControl(view, 14009);
  ASSERT_EQ(Items(view, 14004), (std::vector<std::string>{"good", "huge"}));
  const std::string dir = m_dir + "/program";
  std::filesystem::create_directory(dir);
  std::ofstream(dir + "/huge.cam", std::ios::binary) << "old";
  ClearBoxes();
  EXPECT_EQ(m_motion->SaveToDirectory(dir.c_str()), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"CAM 'huge' isn't a valid CAM object!"});
  std::vector<std::string> files;
  for (auto& e : std::filesystem::directory_iterator(dir)) files.push_back(e.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"cam.cfg", "functions.cfg", "good.cam", "homingmodes.cfg", "huge.cam",
                                             "interrupts.cfg", "main.cfg"}));
  EXPECT_EQ(dravonix::test::ReadFileText(dir + "/huge.cam"), "old");
  EXPECT_EQ(dravonix::test::ReadFileText(dir + "/cam.cfg"), "\"good\"\r\n\"huge\"\r\n");
}

TEST_F(CamViewsTest, TablesViewWithoutProgramOffersOnlyLoad) {
  CCamDoc empty;
  auto* view = Open<CMC_CAMTablesView>(&empty);
  Type(view, 14003, "x");
  Click(view, 14001);
  for (int id : {14004, 14008}) EXPECT_TRUE(Items(view, id).empty());
  for (int id : {14000, 14001, 14002, 14005, 14006, 14007, 14009, 14010, 14011, 14012})
    EXPECT_FALSE(Enabled(view, id)) << id;
  EXPECT_TRUE(Enabled(view, 14038));
  Click(view, 14038);
  CString text;
  view->m_progress.GetWindowText(text);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(empty.changes, 0);
  empty.RemoveView(view);
  view->DestroyWindow();
  m_views.pop_back();
}

class CamEditorTest : public CamViewsTest {
 protected:
  void SetUp() override {
    CamViewsTest::SetUp();
    ASSERT_TRUE(Tables().AddNewSelCAM("c1"));
    m_cam = Tables().GetSelCAM(0);
    m_cam->SetMasterStart(100);
    m_cam->SetStep(2);
    const LONG points[] = {5, -7};
    m_cam->SetPoints(points, 2);
    m_motion->SetSelection(CMC_Motion::selCAM, 0);
    m_view = Open<CMC_CAMView>(&m_doc);
  }
  std::vector<LONG> Points() const {
    std::vector<LONG> v;
    for (int i = 0; i < m_cam->GetPointsCount(); i++) v.push_back(m_cam->GetPoint(i));
    return v;
  }
  // Types into an edit and leaves it, as the user tabbing on would.
  void Enter(int id, const char* text) {
    Type(m_view, id, text);
    ::SendMessage(m_view->m_hWnd, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), (LPARAM)::GetDlgItem(m_view->m_hWnd, id));
  }
  CMC_CAM* m_cam = nullptr;
  CMC_CAMView* m_view = nullptr;
};

TEST_F(CamEditorTest, PointsListMasterPositionsAndSlaveValues) {
  EXPECT_EQ(Items(m_view, 14014), (std::vector<std::string>{"       100          5", "       104         -7"}));
  // the curve in blue inside the graph control
  EXPECT_EQ(m_view->m_plot.GetAt(0)->m_crColor, RGB(0, 0, 255));
  EXPECT_EQ(m_view->m_plot.GetAt(0)->m_crColor, CColorFactory::RGB16(CColorFactory::crBlue));
  m_view->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_TRUE(SaveWindowImage(m_view, dravonix::test::OutputPath("cam-editor.png").c_str()));
  CRect r;
  m_view->m_graph.GetClientRect(&r);
  int blue = 0;
  for (int y = r.top; y < r.bottom; y++)
    for (int x = r.left; x < r.right; x++) blue += GetWindowPixel(m_view->m_graph.m_hWnd, POINT{x, y}) == RGB(0, 0, 255);
  EXPECT_GT(blue, 10);
  EXPECT_EQ(Selection(m_view, 14014), 0);
  CString text;
  m_view->GetDlgItemText(14027, text);
  EXPECT_STREQ(text, "c1");
  m_view->GetDlgItemText(14024, text);
  EXPECT_STREQ(text, "2");
  Enter(14022, "3");
  EXPECT_EQ(Items(m_view, 14014), (std::vector<std::string>{"       100          5", "       108         -7"}));
  EXPECT_EQ(Points(), (std::vector<LONG>{5, -7}));
  EXPECT_EQ(m_doc.changes, 1);
  // a step of 8 is refused with the framework's message, and a list click is undone
  ClearBoxes();
  Type(m_view, 14022, "8");
  ASSERT_TRUE(DialogAutomation::SelectItem(m_view, 14014, "       108         -7"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter an integer between 0 and 7."});
  EXPECT_EQ(Selection(m_view, 14014), 0);
  EXPECT_EQ(m_cam->GetStep(), 3);
  // the master positions are 64-bit: the top of the 32-bit range does not wrap
  Type(m_view, 14022, "0");
  Enter(14021, "2147483647");
  EXPECT_EQ(Items(m_view, 14014), (std::vector<std::string>{"2147483647          5", "2147483648         -7"}));
  auto* masters = m_view->m_curves.GetAt(0);
  EXPECT_EQ(masters->GetAt(1), 2147483648.0);
}

TEST_F(CamEditorTest, InsertUpdateRemoveAndTheirLimits) {
  // insert with no current point goes to the front and becomes current
  ASSERT_TRUE(DialogAutomation::SelectItem(m_view, 14014, "       100          5"));
  ::SendDlgItemMessage(m_view->m_hWnd, 14014, LB_SETCURSEL, (WPARAM)-1, 0);
  ::SendMessage(m_view->m_hWnd, WM_COMMAND, MAKEWPARAM(14014, LBN_SELCHANGE), (LPARAM)::GetDlgItem(m_view->m_hWnd, 14014));
  EXPECT_EQ(m_view->m_nIndex, -1);
  Type(m_view, 14023, "9");
  Click(m_view, 14016);
  EXPECT_EQ(Points(), (std::vector<LONG>{9, 5, -7}));
  EXPECT_EQ(Selection(m_view, 14014), 0);
  DWORD sel = (DWORD)::SendDlgItemMessage(m_view->m_hWnd, 14023, EM_GETSEL, 0, 0);
  EXPECT_EQ(sel, MAKELONG(0, 1));  // the value's text selected for the next one
  // update with the stored value leaves the document unmodified
  const int changes = m_doc.changes;
  Click(m_view, 14015);
  EXPECT_EQ(m_doc.changes, changes);
  Type(m_view, 14023, "11");
  Click(m_view, 14015);
  EXPECT_EQ(Points(), (std::vector<LONG>{11, 5, -7}));
  EXPECT_EQ(Items(m_view, 14014)[0], "       100         11");
  EXPECT_EQ(m_doc.changes, changes + 1);
  // remove down to one point; the last one stays
  for (int k = 0; k < 3; k++) Click(m_view, 14017);
  EXPECT_EQ(m_cam->GetPointsCount(), 1);
  EXPECT_FALSE(Enabled(m_view, 14017));
  std::vector<LONG> full(8192, 1);
  m_cam->SetPoints(full.data(), 8192);
  m_doc.UpdateAllViews(nullptr, -68);
  EXPECT_FALSE(Enabled(m_view, 14016));
  Click(m_view, 14016);
  EXPECT_EQ(m_cam->GetPointsCount(), 8192);
}

TEST_F(CamEditorTest, ExportAndImportAsText) {
  const std::string path = m_dir + "/c1.txt";
  DialogAutomation::PushFileDialogResult(path.c_str());
  Click(m_view, 14019);
  EXPECT_EQ(dravonix::test::ReadFileText(path), "100\t5\r\n104\t-7\r\n");
  auto requests = DialogAutomation::CommonDialogs();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
  EXPECT_EQ(requests[0].defExt, "txt");

  const std::string other = m_dir + "/other.txt";
  std::ofstream(other, std::ios::binary) << "0\t1\r\n1\t2\r\n2\t3\r\n";
  DialogAutomation::PushFileDialogResult(other.c_str());
  Click(m_view, 14018);
  EXPECT_EQ(Points(), (std::vector<LONG>{1, 2, 3}));
  EXPECT_EQ(Items(m_view, 14014).size(), 3u);
  // a refused file leaves the table
  std::ofstream(other, std::ios::binary) << "0\t1\r\n5\t2\r\n9\t3\r\n";
  DialogAutomation::PushFileDialogResult(other.c_str());
  Click(m_view, 14018);
  EXPECT_EQ(Points(), (std::vector<LONG>{1, 2, 3}));
}

TEST_F(CamEditorTest, ExportToAMissingFolderShowsTheSystemsText) {
  const std::string path = m_dir + "/missing/c1.txt";
  DialogAutomation::PushFileDialogResult(path.c_str());
  ClearBoxes();
  DialogAutomation::ClickControl(m_view, 14019);
  const auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "The system cannot find the path specified.\r\n");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, (UINT)MB_ICONSTOP);
  EXPECT_FALSE(std::filesystem::exists(m_dir + "/missing"));
}

TEST_F(CamEditorTest, WithoutATableEveryControlIsDisabled) {
  m_motion->SetSelection(CMC_Motion::selCAMFolder, 0);
  m_doc.UpdateAllViews(nullptr, -100);
  for (int id : {14014, 14015, 14016, 14017, 14018, 14019, 14021, 14022, 14023, 14025, 14026})
    EXPECT_FALSE(Enabled(m_view, id)) << id;
  Click(m_view, 14016);
  EXPECT_EQ(Points(), (std::vector<LONG>{5, -7}));
}

// Both views in MDI children of the host's frame, by clicks and typing only.
TEST_F(CamEditorTest, InTheHostsFrameClicksAndTypingShowAtOnce) {
  Clock::UseVirtualTime();
  MdiViewHost host;
  CMDIChildWnd* tables = host.Open(RUNTIME_CLASS(CMC_CAMTablesView), &m_doc, CRect(0, 0, 480, 380));
  CMDIChildWnd* editor = host.Open(RUNTIME_CLASS(CMC_CAMView), &m_doc, CRect(20, 20, 500, 400));
  ASSERT_TRUE(tables && editor);
  auto click = [](int id) { return [=](CWnd* v) { DialogAutomation::ClickControl(v, id); }; };
  auto type = [](int id, const char* t) { return [=](CWnd* v) { DialogAutomation::TypeInto(v, id, t); }; };
  auto item = [](int id, int i) { return [=](CWnd* v) { ClickItem(v, id, i); }; };
  auto list = [](int id) { return [=](CWnd* v) { return ListState(v, id); }; };
  auto points = [&](CWnd* v) {
    std::string s;
    for (LONG p : Points()) s += std::to_string(p) + " ";
    return s + "| " + ItemText(v, 14023) + " " + std::to_string(Selection(v, 14014));
  };
  Play(editor->GetActiveView(), {
      {item(14014, 1), points, "5 -7 | -7 1"},
      {[&](CWnd* v) { type(14023, "12")(v), click(14015)(v); }, points, "5 12 | 12 1"},
      {[&](CWnd* v) { type(14023, "3")(v), click(14016)(v); }, points, "5 12 3 | 3 2"},
      {click(14025), points, "5 12 3 | 12 1"},
      {click(14017), points, "5 3 | 3 1"},
      // A new master start is taken as the edit loses the focus to a click on the list.
      {[&](CWnd* v) { type(14021, "200")(v), item(14014, 0)(v); }, list(14014),
       "[       200          5][       204          3] sel 0"},
      // A step out of range is refused with its message and the list click undone.
      {[&](CWnd* v) { ClearBoxes(), type(14022, "8")(v), item(14014, 1)(v); },
       [&](CWnd* v) { return (Boxes().empty() ? "" : Boxes()[0]) + " " + std::to_string(Selection(v, 14014)); },
       "Please enter an integer between 0 and 7. 0"},
      {[&](CWnd* v) { type(14022, "0")(v), item(14014, 1)(v); }, list(14014),
       "[       200          5][       201          3] sel 1"},
  });
  ::SendMessage(host.m_main->m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)tables->m_hWnd, 0);
  UiAutomation::Pump();
  Play(tables->GetActiveView(), {
      {[&](CWnd* v) { type(14003, "d")(v), click(14001)(v); }, list(14004), "[c1][d] sel 1"},
      {click(14011), list(14008), "[d] sel 0"},
      {item(14004, 0), [&](CWnd* v) { return ItemText(v, 14003) + " " + std::to_string(Selection(v, 14008)); }, "c1 -1"},
      {click(14012), list(14008), "[d][c1] sel -1"},
      {click(14010), list(14004), "[d][c1] sel -1"},
      {item(14004, 1), [&](CWnd* v) { return std::to_string(Enabled(v, 14005)) + std::to_string(Enabled(v, 14006)); }, "10"},
      {click(14005), list(14004), "[c1][d] sel 0"},
  });
  host.Close();
  Clock::UseRealTime();
}

// A master start typed and the editor's frame closed at once is offered for saving; a step out of
// range is refused with its message and the frame stays open.
TEST_F(CamEditorTest, AValueTypedWhenTheFrameClosesIsOfferedForSaving) {
  Clock::UseVirtualTime();
  MdiViewHost host;
  m_doc.SetPathName("prog", FALSE);
  const struct {
    int id;
    const char* text;
    const char* box;
    bool open;
  } cases[] = {{14021, "200", "Save changes to prog?", false},
               {14022, "8", "Please enter an integer between 0 and 7.", true}};
  for (const auto& c : cases) {
    CMDIChildWnd* editor = host.Open(RUNTIME_CLASS(CMC_CAMView), &m_doc, CRect(20, 20, 500, 400));
    const HWND frame = editor->m_hWnd;  // the frame deletes itself when closed
    m_doc.SetModifiedFlag(FALSE);
    ClearBoxes();
    DialogAutomation::TypeInto(editor->GetActiveView(), c.id, c.text);
    if (!c.open) Automation::Instance().PushMessageBoxAnswer(IDNO);
    UiAutomation::PressKey(VK_F4, UiAutomation::kControl);
    EXPECT_EQ(Boxes(), std::vector<std::string>{c.box}) << c.text;
    EXPECT_EQ(::IsWindow(frame), c.open) << c.text;
    if (c.open) ::DestroyWindow(frame);
  }
  EXPECT_EQ(m_cam->GetMasterStart(), 200);
  EXPECT_EQ(m_cam->GetStep(), 2);
  host.Close();
  Clock::UseRealTime();
}

// Every button's mnemonic after a value typed into each edit ends as a click on the button does:
// the same table, list, current point, modified mark and messages.
TEST_F(CamEditorTest, EachMnemonicAfterTypingEndsAsAClick) {
  Clock::UseVirtualTime();
  MdiViewHost host;
  CMDIChildWnd* editor = host.Open(RUNTIME_CLASS(CMC_CAMView), &m_doc, CRect(20, 20, 500, 400));
  ASSERT_TRUE(editor);
  CWnd* v = editor->GetActiveView();
  const struct {
    int id;
    const char* text;
  } typed[] = {{14021, "50"}, {14022, "3"}, {14022, "8"}, {14023, "9"}, {14023, "x"}};
  namespace UA = UiAutomation;
  const struct {
    int id;
    UINT vk, mods;
  } buttons[] = {{14016, 'I', UA::kAlt}, {14015, 'U', UA::kAlt}, {14017, 'R', UA::kAlt},
                 {14025, VK_OEM_COMMA, UA::kAlt | UA::kShift}, {14026, VK_OEM_PERIOD, UA::kAlt | UA::kShift}};
  auto run = [&](int edit, const char* text, int button, UINT vk, UINT mods) {
    m_cam->SetMasterStart(100);
    m_cam->SetStep(2);
    const LONG points[] = {5, -7, 4};
    m_cam->SetPoints(points, 3);
    m_doc.UpdateAllViews(nullptr, -68);
    ClickItem(v, 14014, 1);
    m_doc.changes = 0;
    ClearBoxes();
    DialogAutomation::TypeInto(v, edit, text);
    if (vk) UA::PressKey(vk, mods);
    else DialogAutomation::ClickControl(v, button);
    UA::PressKey(VK_TAB);
    std::string s = std::to_string(m_cam->GetMasterStart()) + " " + std::to_string(m_cam->GetStep()) + " |";
    for (LONG p : Points()) s += " " + std::to_string(p);
    s += " | " + ListState(v, 14014) + " | " + ItemText(v, 14023) + " | changes " + std::to_string(m_doc.changes);
    for (const std::string& b : Boxes()) s += " | " + b;
    return s;
  };
  for (const auto& t : typed)
    for (const auto& b : buttons)
      EXPECT_EQ(run(t.id, t.text, b.id, b.vk, b.mods), run(t.id, t.text, b.id, 0, 0)) << t.id << " " << t.text << " " << b.id;
  host.Close();
  Clock::UseRealTime();
}

// Each way out of a value typed and not yet confirmed, and the list's own keys: what the table
// keeps, the list, the document's mark, the focus and the messages, one per refusal.
TEST_F(CamEditorTest, RoutesOutOfATypedValue) {
  Clock::UseVirtualTime();
  MdiViewHost host;
  CMDIChildWnd* tables = host.Open(RUNTIME_CLASS(CMC_CAMTablesView), &m_doc, CRect(0, 0, 480, 380));
  CMDIChildWnd* editor = host.Open(RUNTIME_CLASS(CMC_CAMView), &m_doc, CRect(20, 20, 500, 400));
  ASSERT_TRUE(tables && editor);
  CWnd* v = editor->GetActiveView();
  namespace UA = UiAutomation;
  auto key = [](UINT vk, UINT mods = UA::kNone) { return [=] { UA::PressKey(vk, mods); }; };
  auto click = [&](int id) { return [=] { DialogAutomation::ClickControl(v, id); }; };
  auto item = [&](int i) { return [=] { ClickItem(v, 14014, i); }; };
  const char* const kInteger = "Please enter an integer.";
  const struct {
    int id;  // 14014: the list, its first line clicked
    const char* typed;
    std::function<void()> act;
    std::string expected;  // M k points | first line, selection, Y | modified, focus | messages
    const char* look = "";  // the push button that looks like the default, the form having none
  } routes[] = {
      {14021, "200", key(VK_TAB), "200 2 5,-7 |        200          5 0 5 | 1 14022 |"},
      {14021, "200", key(VK_TAB, UA::kShift), "200 2 5,-7 |        200          5 0 5 | 1 14013 |"},
      {14021, "200", key(VK_RETURN), "100 2 5,-7 |        100          5 0 5 | 0 14021 |"},
      {14021, "200", key(VK_ESCAPE), "100 2 5,-7 |        100          5 0 5 | 0 14021 |"},
      {14021, "200", item(1), "200 2 5,-7 |        200          5 1 -7 | 1 14014 |"},
      {14021, "200", click(14015), "200 2 5,-7 |        200          5 0 5 | 1 14015 |", "14015 "},
      {14021, "200", click(14016), "200 2 5,5,-7 |        200          5 1 5 | 1 14016 |", "14016 "},
      {14021, "200", click(14013), "100 2 5,-7 |        100          5 0 5 | 0 14021 |"},
      {14021, "200", click(14024), "200 2 5,-7 |        200          5 0 5 | 1 14024 |"},
      {14021, "200", [&] { UA::Click(tables->GetActiveView()->m_hWnd, POINT{5, 5}); },
       "200 2 5,-7 |        200          5 0 5 | 1 14003 |"},
      {14021, "-2147483648", key(VK_TAB), "-2147483648 2 5,-7 | -2147483648          5 0 5 | 1 14022 |"},
      // Refused: one message, the focus back, the table as it was.
      {14021, "2147483648", key(VK_TAB), "100 2 5,-7 |        100          5 0 5 | 0 14021 | " + std::string(kInteger)},
      {14021, "abc", key(VK_TAB), "100 2 5,-7 |        100          5 0 5 | 0 14021 | " + std::string(kInteger)},
      {14022, "7", key(VK_TAB), "100 7 5,-7 |        100          5 0 5 | 1 14024 |"},
      {14022, "8", key(VK_TAB),
       "100 2 5,-7 |        100          5 0 5 | 0 14022 | Please enter an integer between 0 and 7."},
      // A press that takes the focus from a refused value, or whose list choice is refused, or that
      // activates another window: the box's owner is disabled while it is up, so the release is lost
      // and the button, the list or the other window never hears the click.
      {14022, "8", click(14015),
       "100 2 5,-7 |        100          5 0 5 | 0 14022 | Please enter an integer between 0 and 7."},
      {14022, "8", item(1),
       "100 2 5,-7 |        100          5 0 5 | 0 14022 | Please enter an integer between 0 and 7."},
      {14021, "abc", click(14015), "100 2 5,-7 |        100          5 0 5 | 0 14021 | " + std::string(kInteger)},
      {14022, "8", click(14023),
       "100 2 5,-7 |        100          5 0 5 | 0 14022 | Please enter an integer between 0 and 7."},
      {14023, "abc", item(1), "100 2 5,-7 |        100          5 0 abc | 0 14023 | " + std::string(kInteger)},
      {14022, "8", [&] { UA::Click(tables->GetActiveView()->m_hWnd, POINT{5, 5}); },
       "100 2 5,-7 |        100          5 0 5 | 0 14022 | Please enter an integer between 0 and 7."},
      {14023, "12", item(1), "100 2 5,-7 |        100          5 1 -7 | 0 14014 |"},
      {14023, "12", key(VK_RETURN), "100 2 5,-7 |        100          5 0 12 | 0 14023 |"},
      {14023, "12", click(14015), "100 2 12,-7 |        100         12 0 12 | 1 14015 |", "14015 "},
      {14023, "99999999999", click(14016), "100 2 5,-7 |        100          5 0 99999999999 | 0 14023 | " + std::string(kInteger)},
      {14014, nullptr, key(VK_DOWN), "100 2 5,-7 |        100          5 1 -7 | 0 14014 |"},
      {14014, nullptr, key(VK_END), "100 2 5,-7 |        100          5 1 -7 | 0 14014 |"},
      {14014, nullptr, key(VK_NEXT), "100 2 5,-7 |        100          5 1 -7 | 0 14014 |"},
      {14014, nullptr, key(VK_F10, UA::kShift), "100 2 5,-7 |        100          5 0 5 | 0 14014 |"},
      // A push button gives up the default look to a press on the list; Enter inserts nothing.
      {14014, nullptr, [&] { dravonix::test::TabTo(::GetDlgItem(v->m_hWnd, 14016)), item(1)(), key(VK_RETURN)(); },
       "100 2 5,-7 |        100          5 1 -7 | 0 14014 |"},
  };
  int n = 0;
  for (const auto& r : routes) {
    m_cam->SetMasterStart(100);
    m_cam->SetStep(2);
    const LONG points[] = {5, -7};
    m_cam->SetPoints(points, 2);
    m_doc.UpdateAllViews(nullptr, -68);
    m_doc.SetModifiedFlag(FALSE);
    ::SendMessage(host.m_main->m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)editor->m_hWnd, 0);
    UA::Pump();
    ClearBoxes();
    if (r.typed)
      DialogAutomation::TypeInto(v, r.id, r.typed);
    else
      ClickItem(v, 14014, 0);
    r.act();
    UA::Pump();
    std::string state = std::to_string(m_cam->GetMasterStart()) + " " + std::to_string(m_cam->GetStep()) + " ";
    for (LONG p : Points()) state += std::to_string(p) + ",";
    state.back() = ' ';
    state += "| " + Items(v, 14014)[0] + " " + std::to_string(Selection(v, 14014)) + " " + ItemText(v, 14023) + " | " +
             std::to_string(m_doc.IsModified()) + " " + std::to_string(::GetDlgCtrlID(::GetFocus())) + " |";
    for (const auto& b : Boxes()) state += " " + b;
    EXPECT_EQ(state, r.expected) << "route " << n;
    EXPECT_EQ(dravonix::test::DefaultLook(v->m_hWnd), r.look) << "route " << n;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(v->m_hWnd)) << "route " << n;
    // No press is left holding the mouse or drawn down.
    EXPECT_EQ(nullptr, ::GetCapture()) << "route " << n;
    for (int id : {14015, 14016, 14017, 14025, 14026})
      EXPECT_FALSE(::SendDlgItemMessage(v->m_hWnd, id, BM_GETSTATE, 0, 0) & BST_PUSHED) << "route " << n << " " << id;
    ++n;
  }
  host.Close();
  Clock::UseRealTime();
}

// A value typed, then a child opened or activated by the host or the user, or the editor closed: a
// refused value is told once for each, and keeps the focus, its text and its child in front (unless
// the host closes it); an accepted one is taken as on a Tab.
TEST_F(CamEditorTest, ARefusedValueIsToldOncePerAction) {
  Clock::UseVirtualTime();
  namespace UA = UiAutomation;
  enum Route { kOpen, kOpenHidden, kActivate, kCtrlF6, kCaption, kCtrlF4, kHostCloses };
  const struct {
    int id;
    const char* typed;
    Route route;  // kOpenHidden: made hidden and shown by its initial update, as a template's frame
    std::string expected;  // boxes | active child, focus | field | master step | modified
  } rows[] = {
      {14022, "8", kOpen, "1 | editor 14022 | 8 | 100 2 | 0"},
      {14022, "8", kOpenHidden, "1 | editor 14022 | 8 | 100 2 | 0"},
      {14021, "abc", kOpenHidden, "1 | editor 14021 | abc | 100 2 | 0"},
      {14022, "8", kActivate, "1 | editor 14022 | 8 | 100 2 | 0"},
      {14022, "8", kCtrlF6, "1 | editor 14022 | 8 | 100 2 | 0"},
      {14022, "8", kCaption, "1 | editor 14022 | 8 | 100 2 | 0"},
      {14022, "8", kCtrlF4, "1 | editor 14022 | 8 | 100 2 | 0"},
      {14023, "abc", kOpen, "0 | opened in it | abc | 100 2 | 0"},
      {14021, "200", kOpen, "0 | opened in it | 200 | 200 2 | 1"},
      {14021, "200", kCtrlF4, "0 | tables in it | closed | 200 2 | 1"},
      {14022, "8", kHostCloses, "1 | tables in it | closed | 100 2 | 0"},
  };
  for (const auto& r : rows) {
    MdiViewHost host;
    CMDIChildWnd* tables = host.Open(RUNTIME_CLASS(CMC_CAMTablesView), &m_doc, CRect(0, 0, 480, 380));
    CMDIChildWnd* editor = host.Open(RUNTIME_CLASS(CMC_CAMView), &m_doc, CRect(20, 20, 500, 400));
    ASSERT_TRUE(tables && editor);
    const HWND frames[] = {editor->m_hWnd, tables->m_hWnd}, client = host.m_main->m_hWndMDIClient;
    CWnd* v = editor->GetActiveView();
    m_cam->SetMasterStart(100);
    m_cam->SetStep(2);
    m_doc.UpdateAllViews(nullptr, -68);
    m_doc.SetModifiedFlag(FALSE);
    DialogAutomation::TypeInto(v, r.id, r.typed);
    ClearBoxes();
    HWND opened = nullptr;
    if (r.route == kOpen || r.route == kOpenHidden)
      opened = host.Open(RUNTIME_CLASS(CMC_CAMTablesView), &m_doc, CRect(40, 40, 400, 300), r.route == kOpenHidden)->m_hWnd;
    if (r.route == kActivate) host.m_main->MDIActivate(tables);
    if (r.route == kCtrlF6 || r.route == kCtrlF4) UA::PressKey(r.route == kCtrlF6 ? VK_F6 : VK_F4, UA::kControl);
    if (r.route == kCaption) UA::Click(client, POINT{200, 10});
    if (r.route == kHostCloses) ::SendMessage(client, WM_MDIDESTROY, (WPARAM)frames[0], 0);
    UA::Pump();
    CMDIChildWnd* active = host.m_main->MDIGetActive();
    const HWND a = active ? active->m_hWnd : nullptr, focus = ::GetFocus();
    const bool open = ::IsWindow(frames[0]);
    std::string s = std::to_string(Boxes().size()) + " | ";
    s += a == frames[0] ? "editor " : a == frames[1] ? "tables " : a && a == opened ? "opened " : "none ";
    s += open && ::IsChild(frames[0], focus) ? std::to_string(::GetDlgCtrlID(focus)) : a && ::IsChild(a, focus) ? "in it" : "elsewhere";
    s += " | " + (open ? ItemText(v, r.id) : "closed") + " | " + std::to_string(m_cam->GetMasterStart()) + " " +
         std::to_string(m_cam->GetStep()) + " | " + std::to_string(m_doc.IsModified());
    EXPECT_EQ(s, r.expected) << r.id << " " << r.typed << " route " << r.route;
    // The active child is in front of the others, and the pictures are whole.
    EXPECT_EQ(::GetTopWindow(client), a) << r.route;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(host.MainWnd())) << r.route;
    EXPECT_EQ(nullptr, ::GetCapture()) << r.route;
    host.Close();
  }
  Clock::UseRealTime();
}
