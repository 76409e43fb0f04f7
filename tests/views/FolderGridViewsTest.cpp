// The homing procedures and interrupts folder views on a motion program: rows per firmware
// generation, clicks that reach the model, the buttons' states, hints and column widths.
#include "grid/engine/GXGridView.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/MC_Document.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Module.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"
#include "tests/support/MdiViewHost.h"
#include "tests/views/FolderHostDoc.h"
#include "tests/views/HostSteps.h"
#include "tests/views/TitleInk.h"
#include "views/folders/MC_HomingProcsFolderView.h"
#include "views/folders/MC_InterruptsFolderView.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

namespace UA = UiAutomation;

namespace {

using CHostDoc = CFolderHostDoc;

// Help goes to the file beside the host's module, not the kernel's.
std::string HostHelpFile() {
  CString file;
  GetHelpFileOfModule(AfxGetInstanceHandle(), file);
  return file.GetString();
}

std::string Joined(const CString& name, const CString& description) {
  return std::string(name.GetString()) + " - " + description.GetString();
}

// Another view of the document: the hints it gets.
struct Probe : CView {
  void OnDraw(CDC*) override {}
  void OnUpdate(CView*, LPARAM hint, CObject*) override { hints.push_back(hint); }
  std::vector<LPARAM> hints;
};

class FolderGridViewsTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_doc.AddView(&m_probe);
  }
  void TearDown() override {
    if (m_frame && ::IsWindow(m_frame->m_hWnd)) m_frame->DestroyWindow();
    UA::Pump();
    m_doc.RemoveView(&m_probe);
    SetupTest::TearDown();
  }
  void Load(WORD config) {
    m_setup.reset(CMC_Setup::Create(config));
    ASSERT_TRUE(m_setup);
    m_motion.reset(CMC_Motion::Create(m_setup.get()));
    ASSERT_TRUE(m_motion);
    m_doc.setup = m_setup.get();
    m_doc.motion = m_motion.get();
  }
  template <class V>
  V* Open(int width = 500) {
    if (m_frame && ::IsWindow(m_frame->m_hWnd)) m_frame->DestroyWindow();
    m_frame = new CFrameWnd;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(V);
    ctx.m_pCurrentDoc = &m_doc;
    EXPECT_TRUE(
        m_frame->Create(nullptr, "folder", WS_POPUP | WS_VISIBLE, CRect(0, 0, width, 400), nullptr, nullptr, 0, &ctx));
    m_frame->InitialUpdateFrame(&m_doc, TRUE);
    UA::Pump();
    m_view = static_cast<CGXGridView*>(m_frame->GetActiveView());
    m_probe.hints.clear();
    return static_cast<V*>(m_view);
  }
  std::string Cell(ROWCOL r, ROWCOL c) { return m_view->GetValueRowCol(r, c).GetString(); }
  const CGXStyle& Style(ROWCOL r, ROWCOL c) { return m_view->LookupStyleRowCol(r, c); }
  // A click on the cell's radio button, check box or push button, through the message queue.
  void Click(ROWCOL r, ROWCOL c) {
    const CRect rect = m_view->CalcRectFromRowCol(r, c);
    const CPoint pt =
        c == 2 ? CPoint(rect.left + 9, rect.top + std::min<LONG>(8, rect.Height() / 2)) : rect.CenterPoint();
    UA::Click(m_view->m_hWnd, pt);
    UA::Pump();
  }
  // Enabled "Reload default" in the button-text colour, disabled in the grey-text colour.
  void ExpectButton(ROWCOL r, ROWCOL c, BOOL enabled) {
    EXPECT_EQ(Style(r, c).GetEnabled(), enabled) << r;
    EXPECT_EQ(Style(r, c).GetTextColor(), ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT)) << r;
  }
  CGXRange Span(ROWCOL r, ROWCOL c) {
    CGXRange range = CGXRange().SetCellRange(r, c, r, c);
    m_view->GetCellRangeRowCol(r, c, range);
    return range;
  }
  void Save(const char* name) {
    m_view->Invalidate();
    UA::Pump();
    ASSERT_TRUE(SaveWindowImage(m_view, dravonix::test::OutputPath(name).c_str()));
  }

  SetupPtr m_setup;
  MotionPtr m_motion;
  CHostDoc m_doc;
  Probe m_probe;
  CFrameWnd* m_frame = nullptr;
  CGXGridView* m_view = nullptr;
};

TEST_F(FolderGridViewsTest, HomingOnGenerationThreeRadiosOnTwoRows) {
  Load(0x0505);
  ASSERT_EQ(m_setup->GetFirmwareID(), "F505H");
  Open<CMC_HomingProcsFolderView>();
  const int offered = m_motion->GetAvailableHomingProceduresCount();
  ASSERT_GT(offered, 0);
  EXPECT_EQ(m_view->GetRowCount(), ROWCOL(2 * offered));
  EXPECT_EQ(Cell(0, 1), "Homing Modes");
  const int k = std::atoi(Cell(1, 3).c_str());
  EXPECT_EQ(Cell(1, 1), Joined(m_motion->GetHomingProcedureName(k), m_motion->GetHomingProcedureDescription(k)));
  EXPECT_EQ(Style(1, 2).GetChoiceList(), "Default");
  EXPECT_EQ(Style(2, 2).GetChoiceList(), "User defined");
  EXPECT_EQ(Span(1, 1), CGXRange().SetCellRange(1, 1, 2, 1));
  EXPECT_EQ(Span(2, 3), CGXRange().SetCellRange(1, 3, 2, 3));
  EXPECT_EQ(Span(1, 2), CGXRange().SetCellRange(1, 2, 1, 2));
  CMC_MotionGroup* group = m_motion->GetHomingProcedure(k);
  const INT_PTR body = group->GetSize();

  // "User defined", "Default": the flag, the radios, the button, the hint; the body stays.
  const struct {
    ROWCOL row;
    BOOL user;
  } clicks[] = {{2, TRUE}, {1, FALSE}};
  for (const auto& c : clicks) {
    m_probe.hints.clear();
    const int changes = m_doc.changes;
    Click(c.row, 2);
    EXPECT_EQ(group->m_bEnabled, c.user);
    EXPECT_EQ(Cell(1, 2), c.user ? "-1" : "0");
    EXPECT_EQ(Cell(2, 2), c.user ? "0" : "-1");
    ExpectButton(1, 3, c.user);
    EXPECT_EQ(m_probe.hints, std::vector<LPARAM>{-67});
    EXPECT_EQ(m_doc.changes, changes + 1);
    EXPECT_EQ(group->GetSize(), body);
  }
  auto* first = DYNAMIC_DOWNCAST(CMC_MotionElem, group->GetAt(0));
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->m_strCode.IsEmpty());  // back to default: translated again

  // "Reload default" puts the firmware's body back.
  Click(2, 2);
  delete group->GetAt(0);  // the group owns its elements
  group->RemoveAt(0);
  Click(1, 3);
  EXPECT_EQ(group->GetSize(), body);
  EXPECT_EQ(m_probe.hints.back(), -67);
  Save("homing-folder-view.png");
}

TEST_F(FolderGridViewsTest, HomingOnOlderFirmwareChecksAndSkipsUnnamedSlots) {
  Load(0x0210);
  ASSERT_EQ(m_setup->GetFirmwareID(), "F240A");
  ASSERT_GE(m_motion->GetHomingProceduresCount(), 3);
  // An unnamed slot between named ones.
  int named = 0;
  for (int i = 0; i < m_motion->GetHomingProceduresCount(); ++i) named += m_motion->IsHomingProcedureAvailable(i);
  ASSERT_GE(named, 2);
  int gap = -1, after = -1;
  for (int i = 0; i < m_motion->GetHomingProceduresCount() && after < 0; ++i) {
    if (!m_motion->IsHomingProcedureAvailable(i)) continue;
    if (gap < 0)
      gap = i;
    else
      after = i;
  }
  ASSERT_GE(after, 0);
  m_motion->GetHomingProcedure(gap)->m_strName.Empty();
  Open<CMC_HomingProcsFolderView>();
  EXPECT_EQ(m_view->GetRowCount(), ROWCOL(m_motion->GetAvailableHomingProceduresCount()));
  EXPECT_EQ(Style(1, 2).GetControl(), 52523u);
  EXPECT_EQ(Style(1, 2).GetChoiceList(), "Select");
  EXPECT_EQ(Cell(1, 3), std::to_string(after));
  EXPECT_EQ(Span(1, 1), CGXRange().SetCellRange(1, 1, 1, 1));

  Click(1, 2);
  EXPECT_EQ(Cell(1, 2), "1");
  EXPECT_TRUE(m_motion->IsHomingProcedureEnable(after));
  ExpectButton(1, 3, TRUE);
  EXPECT_EQ(m_probe.hints, std::vector<LPARAM>{-67});
  Click(1, 2);
  EXPECT_FALSE(m_motion->IsHomingProcedureEnable(after));
  ExpectButton(1, 3, FALSE);
  Save("homing-folder-view-old.png");
}

TEST_F(FolderGridViewsTest, InterruptsChooseAndReload) {
  Load(0x0505);
  Open<CMC_InterruptsFolderView>();
  const int count = m_motion->GetInterruptsCount();
  ASSERT_GT(count, 1);
  EXPECT_EQ(m_view->GetRowCount(), ROWCOL(count));
  EXPECT_EQ(Cell(0, 1), "Interrupts");
  EXPECT_EQ(Cell(2, 1), Joined(m_motion->GetInterruptName(1), m_setup->GetInterruptDescription(1)));
  EXPECT_EQ(Style(2, 2).GetChoiceList(), "Default");
  EXPECT_EQ(Style(2, 3).GetChoiceList(), "User defined");
  CMC_MotionGroup* group = m_motion->GetInterrupt(1);
  const INT_PTR body = group->GetSize();
  const struct {
    ROWCOL col;
    BOOL user;
  } clicks[] = {{3, TRUE}, {2, FALSE}};
  for (const auto& c : clicks) {
    m_probe.hints.clear();
    Click(2, c.col);
    EXPECT_EQ(m_motion->IsUserInterrupt(1), c.user);
    EXPECT_EQ(Cell(2, 2), c.user ? "-1" : "0");
    EXPECT_EQ(Cell(2, 3), c.user ? "0" : "-1");
    ExpectButton(2, 4, c.user);
    EXPECT_EQ(m_probe.hints, std::vector<LPARAM>{-69});
    EXPECT_EQ(group->GetSize(), body);
  }
  Click(2, 3);
  delete group->GetAt(0);  // the group owns its elements
  group->RemoveAt(0);
  const int changes = m_doc.changes;
  Click(2, 4);
  EXPECT_EQ(group->GetSize(), body);
  EXPECT_EQ(m_doc.changes, changes + 1);
  Save("interrupts-folder-view.png");
}

namespace {

// Rows of the button's face that hold dark pixels of its label.
int LabelInkRows(CWnd* view, const CRect& cell) {
  int rows = 0;
  for (int y = cell.top + 2; y < cell.bottom - 3; ++y)
    for (int x = cell.left + 3; x < cell.right - 4; ++x) {
      const COLORREF c = GetWindowPixel(view->m_hWnd, POINT{x, y});
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300) {
        ++rows;
        break;
      }
    }
  return rows;
}

}  // namespace

TEST_F(FolderGridViewsTest, ReloadButtonsShowTheirWholeLabel) {
  // An enabled button's label as the view lays it out, and on a row tall enough to hold anything.
  for (WORD config : {WORD(0x0505), WORD(0x0210)}) {
    Load(config);
    const bool interrupts = config == 0x0505;
    if (interrupts)
      Open<CMC_InterruptsFolderView>();
    else
      Open<CMC_HomingProcsFolderView>();
    const ROWCOL col = interrupts ? 4 : 3;
    Click(1, interrupts ? 3 : 2);
    ExpectButton(1, col, TRUE);
    m_view->Invalidate();
    UA::Pump();
    const int laidOut = LabelInkRows(m_view, m_view->CalcRectFromRowCol(1, col));
    m_view->SetRowHeight(1, 1, 60);
    m_view->Invalidate();
    UA::Pump();
    const int whole = LabelInkRows(m_view, m_view->CalcRectFromRowCol(1, col));
    EXPECT_GT(whole, 5) << config;
    EXPECT_EQ(laidOut, whole) << config;
  }
}

TEST_F(FolderGridViewsTest, ColumnWidthsHelpAndNoModel) {
  Load(0x0505);
  const struct {
    int width;
    std::vector<int> homing, interrupts;
  } cases[] = {{500, {289, 96, 96}, {192, 96, 96, 96}}, {200, {109, 50, 50}, {100, 50, 50, 50}}};
  for (const auto& c : cases) {
    for (int which = 0; which < 2; ++which) {
      if (which == 0)
        Open<CMC_HomingProcsFolderView>(c.width);
      else
        Open<CMC_InterruptsFolderView>(c.width);
      const std::vector<int>& want = which == 0 ? c.homing : c.interrupts;
      std::vector<int> got;
      for (ROWCOL col = 1; col <= m_view->GetColCount(); ++col) got.push_back(m_view->GetColWidth(col));
      EXPECT_EQ(got, want) << c.width;
      EXPECT_EQ(m_view->GetColWidth(0), 0);
    }
  }
  for (int which = 0; which < 2; ++which) {
    if (which == 0)
      Open<CMC_HomingProcsFolderView>();
    else
      Open<CMC_InterruptsFolderView>();
    Automation::Instance().ClearHelpCalls();
    m_view->PostMessage(WM_COMMAND, 57670, 0);
    UA::Pump();
    const auto help = Automation::Instance().HelpCalls();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].data, which == 0 ? 4142u : 4137u);
    EXPECT_EQ(help[0].file, HostHelpFile());
  }
  m_doc.motion = nullptr;
  m_view->OnUpdate(nullptr, -100, nullptr);
  EXPECT_EQ(m_view->GetRowCount(), 0u);
  Open<CMC_HomingProcsFolderView>();
  EXPECT_EQ(m_view->GetRowCount(), 0u);
  Click(0, 2);  // the title row does nothing
  EXPECT_TRUE(m_probe.hints.empty());
}

}  // namespace

TEST_F(FolderGridViewsTest, BoldTitleRowsHoldTheirWholeText) {
  Load(0x0505);
  const struct {
    const char* title;  // "g" and "p" reach below the line
    ROWCOL cols;
  } views[] = {{"Homing Modes", 3}, {"Interrupts", 4}};
  for (const auto& v : views) {
    if (v.cols == 3)
      Open<CMC_HomingProcsFolderView>();
    else
      Open<CMC_InterruptsFolderView>();
    ASSERT_EQ(Cell(0, 1), v.title);
    const auto [whole, fontHeight] = viewtest::WholeTitle(*m_view, m_view, 1, v.title);
    const viewtest::InkRows ink = viewtest::TitleInk(*m_view, m_view, 1, v.cols);
    EXPECT_GE(m_view->GetRowHeight(0), fontHeight) << v.title;
    EXPECT_EQ(ink.Height(), whole) << v.title;
    EXPECT_LT(ink.bottom, m_view->CalcRectFromRowCol(0, 1).bottom) << v.title;
  }
}

// Both views in MDI children of the host's frame: clicks on radios and buttons, the wheel and the
// child's frame dragged narrower, each step's picture against a full repaint.
TEST_F(FolderGridViewsTest, InTheHostsFrameClicksShowAtOnce) {
  Clock::UseVirtualTime();
  Load(0x0505);
  MdiViewHost host;
  CMDIChildWnd* homing = host.Open(RUNTIME_CLASS(CMC_HomingProcsFolderView), &m_doc, CRect(0, 0, 460, 200));
  CMDIChildWnd* interrupts = host.Open(RUNTIME_CLASS(CMC_InterruptsFolderView), &m_doc, CRect(30, 60, 490, 300));
  ASSERT_TRUE(homing && interrupts);
  const int k = std::atoi(static_cast<CGXGridView*>(homing->GetActiveView())->GetValueRowCol(1, 3).GetString());
  auto click = [&](ROWCOL r, ROWCOL c) { return [=, this](CWnd*) { UA::AdvanceClock(1000), Click(r, c); }; };
  auto row = [&](ROWCOL r, ROWCOL last) {
    return [=, this](CWnd*) {
      std::string s;
      for (ROWCOL c = 2; c < last; ++c) s += Cell(r, c) + " ";
      return s + std::to_string(Style(r, last).GetEnabled());
    };
  };
  auto narrower = [](CWnd* v) {
    CWnd* child = v->GetParentFrame();
    CRect w;
    child->GetWindowRect(&w);
    CPoint from(w.right - 2, w.CenterPoint().y), to = from - CSize(200, 0);
    child->ScreenToClient(&from), child->ScreenToClient(&to);
    UA::Drag(child->m_hWnd, from, to);
  };
  auto widths = [&](CWnd*) {
    std::string s;
    for (ROWCOL c = 0; c <= m_view->GetColCount(); ++c) s += std::to_string(m_view->GetColWidth(c)) + " ";
    return s;
  };
  m_view = static_cast<CGXGridView*>(interrupts->GetActiveView());
  Play(m_view, {
      {click(2, 3), row(2, 4), "-1 0 1"},
      {click(2, 4), [&](CWnd*) { return std::to_string(m_motion->IsUserInterrupt(1)); }, "1"},
      {click(2, 2), row(2, 4), "0 -1 0"},
      {[](CWnd* v) { UA::Wheel(v->m_hWnd, CPoint(50, 50), -120); },
       [&](CWnd*) { return std::to_string(m_view->GetTopRow()); }, "2"},
      {narrower, widths, "0 100 50 50 50 "},
  });
  ::SendMessage(host.m_main->m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)homing->m_hWnd, 0);
  m_view = static_cast<CGXGridView*>(homing->GetActiveView());
  Play(m_view, {
      {click(2, 2), row(1, 3), "-1 1"},
      {click(1, 2), [&](CWnd*) { return Cell(2, 2) + " " + std::to_string(m_motion->GetHomingProcedure(k)->m_bEnabled); },
       "-1 0"},
      {narrower, widths, "0 140 50 50 "},
  });
  m_view = nullptr;
  host.Close();
  Clock::UseRealTime();
}

// Every check and radio cell of both views, taken by a click, a double click and Space on the cell
// reached with the arrows, and every cell met by the editing keys: what the cells show is what the
// program holds, the "Reload default" button follows it, a change marks the document, a radio
// taken is the one chosen, and the names and slot indices stay. One case per view and group of
// routes, each from a fresh load, so they run side by side.
class FolderGridRoutes : public FolderGridViewsTest, public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(FolderGridRoutes, EveryChoiceCellByEveryRouteReachesTheProgram) {
  Clock::UseVirtualTime();
  enum Route { kClick, kDouble, kSpace, kDelete, kBack, kPaste, kCut, kType };
  const struct {
    WORD config;
    bool interrupts;
  } views[] = {{0x0505, false}, {0x0210, false}, {0x0505, true}};
  const std::vector<Route> groups[] = {{kClick, kDouble, kSpace}, {kDelete, kBack}, {kPaste, kCut, kType}};
  {
    const auto& w = views[std::get<0>(GetParam())];
    Load(w.config);
    if (w.interrupts)
      Open<CMC_InterruptsFolderView>(500);
    else
      Open<CMC_HomingProcsFolderView>(500);
    const bool pairs = !w.interrupts && m_setup->GetMCVersion() >= 3;
    const ROWCOL rows = m_view->GetRowCount(), button = w.interrupts ? 4 : 3;
    ASSERT_GT(rows, 0u);
    // Per handler: "u" or "d" as the program holds it, as the cells show it, and the button.
    auto state = [&]() {
      std::string s;
      for (ROWCOL r = 1; r <= rows; r += pairs ? 2 : 1) {
        const bool user = w.interrupts ? m_motion->IsUserInterrupt(int(r) - 1)
                                       : m_motion->IsHomingProcedureEnable(std::atoi(Cell(r, 3).c_str()));
        std::string shown;
        if (w.interrupts) shown = Cell(r, 2) + "/" + Cell(r, 3);
        else if (pairs) shown = Cell(r, 2) + "/" + Cell(r + 1, 2);
        else shown = Cell(r, 2) == "1" ? "-1/0" : "0/-1";
        s += std::string(user ? "u" : "d") + (shown == "-1/0" ? "u" : shown == "0/-1" ? "d" : "?") +
             (Style(r, button).GetEnabled() ? "u " : "d ");
      }
      return s;
    };
    auto consistent = [&](const std::string& s) {
      for (size_t i = 0; i + 2 < s.size(); i += 4)
        if (s[i] != s[i + 1] || s[i] != s[i + 2]) return false;
      return true;
    };
    // The names and the hidden slot indices are no user state: no route changes them.
    auto fixed = [&]() {
      std::string s;
      for (ROWCOL r = 1; r <= rows; ++r) s += Cell(r, 1) + "|" + (w.interrupts ? "" : Cell(r, 3)) + "|";
      return s;
    };
    const std::string names = fixed();
    auto whole = [&](ROWCOL row) {
      const CRect cell = m_view->CalcRectFromRowCol(row, 2);
      CRect client;
      m_view->GetClientRect(&client);
      return !cell.IsRectEmpty() && cell.bottom <= client.bottom;
    };
    // The wheel brings the row (with its pair) into the window.
    auto show = [&](ROWCOL row) {
      for (int turn = 0; turn < 40 && m_view->GetTopRow() > row; ++turn) UA::Wheel(m_view->m_hWnd, CPoint(50, 50), 120);
      for (int turn = 0; turn < 40 && !whole(row + (pairs ? 1 - row % 2 : 0)); ++turn)
        UA::Wheel(m_view->m_hWnd, CPoint(50, 50), -120);
    };
    // On the button itself: a taller row leaves room below its one line.
    auto press = [&](ROWCOL r, ROWCOL c, bool twice) {
      UA::AdvanceClock(1000);
      show(r);
      const CRect rect = m_view->CalcRectFromRowCol(r, c);
      const CPoint pt(rect.left + 9, rect.top + std::min<LONG>(8, rect.Height() / 2));
      if (twice) UA::DoubleClick(m_view->m_hWnd, pt);
      else UA::Click(m_view->m_hWnd, pt);
      UA::Pump();
    };
    for (Route route : groups[std::get<1>(GetParam())])
      for (int pass = 0; pass < 2; ++pass) {
        // Editing keys meet every handler user-defined, then every one default.
        const bool editing = route > kSpace;
        if (editing)
          for (ROWCOL r = 1; r <= rows; r += pairs ? 2 : 1) {
            const bool user = pass == 0;
            if (w.interrupts) press(r, user ? 3 : 2, false);
            else if (pairs) press(user ? r + 1 : r, 2, false);
            else if ((Cell(r, 2) == "1") != user) press(r, 2, false);
          }
        for (ROWCOL r = 1; r <= rows; ++r)
          for (ROWCOL c = editing ? 1 : 2; c <= (editing ? button : w.interrupts ? 3u : 2u); ++c) {
            SCOPED_TRACE(testing::Message() << w.config << (w.interrupts ? " interrupts" : " homing") << " route "
                                            << route << " cell " << r << "," << c);
            const std::string before = state();
            const int changes = m_doc.changes;
            if (route >= kSpace) {
              if (!Style(r, c).GetEnabled()) continue;  // the keys pass a disabled button by
              UA::AdvanceClock(1000);
              // The row's name clicked, then the arrows (Down onto the second row of a pair).
              const ROWCOL first = pairs && r % 2 == 0 ? r - 1 : r;
              show(r);
              Click(first, 1);
              for (ROWCOL k = 1; k < c; ++k) UA::PressKey(VK_RIGHT);
              if (first != r) UA::PressKey(VK_DOWN);
              ROWCOL cr = 0, cc = 0;
              ASSERT_TRUE(m_view->GetCurrentCell(cr, cc));
              CGXRange span = Span(r, c);
              ASSERT_TRUE(span.IsCellInRange(cr, cc)) << cr << "," << cc;
              if (cr != r || cc != c) continue;  // a merged cell, met at its first row
              if (route == kSpace) UA::PressKey(VK_SPACE);
              if (route == kDelete) UA::PressKey(VK_DELETE);
              if (route == kBack) UA::PressKey(VK_BACK);
              if (route == kPaste) {
                // Another program's text "0" on the clipboard.
                HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, 2);
                std::memcpy(::GlobalLock(text), "0", 2);
                ::GlobalUnlock(text);
                ::OpenClipboard(nullptr);
                ::EmptyClipboard();
                ::SetClipboardData(CF_TEXT, text);
                ::CloseClipboard();
                UA::PressKey('V', UA::kControl);
              }
              if (route == kCut) UA::PressKey('X', UA::kControl);
              if (route == kType) UA::TypeText("1");
              UA::Pump();
            } else {
              press(r, c, route == kDouble);
            }
            const std::string after = state();
            EXPECT_TRUE(consistent(after)) << before << "-> " << after;
            if (after != before) {
              EXPECT_GT(m_doc.changes, changes) << after;
            }
            EXPECT_EQ(fixed(), names);
            if ((pairs || w.interrupts) && !editing) {
              const bool user = w.interrupts ? c == 3 : r % 2 == 0;
              const size_t handler = pairs ? (r - 1) / 2 : r - 1;
              EXPECT_EQ(after[handler * 4], user ? 'u' : 'd') << after;
            }
          }
      }
  }
  Clock::UseRealTime();
}

INSTANTIATE_TEST_SUITE_P(Views, FolderGridRoutes, ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 3)));
