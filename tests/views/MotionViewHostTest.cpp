// The motion view as a user meets it: in an MDI child of the host's main frame, input posted to the
// queue, menu commands sent to the main frame, and after every step the rows in step with the model
// and the frame's picture the same as a full repaint.
#include "grid/controls/GXTreeEdit.h"
#include "platform/core/Clock.h"
#include "tests/support/PostedGestures.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"
#include "tests/views/HostSteps.h"
#include "tests/views/MotionViewFixture.h"
#include "views/folders/MC_FunctionsFolderView.h"

#include <algorithm>
#include <random>
#include <sstream>

using dravonix::test::PixelsOffFullRepaint;

class MotionViewHostTest : public MotionViewTimedTest {
 protected:
  // The rows, a Move element written "M".
  std::string Shown() {
    std::string s = Rows();
    for (size_t at; (at = s.find("CPOS=0; CSPD=10; UPD;")) != std::string::npos;) s.replace(at, 21, "M");
    return s;
  }
  std::string scratch;
  static constexpr UINT kMove = CMC_MotionView::ID_MOTION_NEW_FIRST + 6;
  // "4" clicks row 4's text, "d4" double-clicks it, "h4" its header, "b4" its node button, "s"/"c" prefixes hold Shift/Ctrl;
  // keys D U X (Delete) E (Escape) R (Enter) F1 and "'text" typed; "w+"/"w-" the wheel; "z" sizes the
  // child, "f" by its frame, "m" maximizes it; "h5>4" drags row 5 by its header onto row 4;
  // "ex" and "im" export and import the run; "new" and "ins"
  // make a Move element by the module toolbar and by the Insert menu; a command by its name comes from the host's menu, to the main frame.
  void Step(const std::string& t) {
    static const std::pair<const char*, UINT> commands[] = {
        {"mu", CMC_MotionView::ID_MOTION_MOVE_UP}, {"md", CMC_MotionView::ID_MOTION_MOVE_DOWN},
        {"gr", CMC_MotionView::ID_MOTION_GROUP},   {"ug", CMC_MotionView::ID_MOTION_UNGROUP},
        {"du", CMC_MotionView::ID_MOTION_DUPLICATE}, {"en", CMC_MotionView::ID_MOTION_ENABLE},
        {"di", CMC_MotionView::ID_MOTION_DISABLE}, {"de", CMC_MotionView::ID_MOTION_DELETE}};
    for (auto [name, id] : commands)
      if (t == name) {
        ::PostMessage(host->MainWnd(), WM_COMMAND, id, 0);
        UiAutomation::Pump();
        return;
      }
    if (t == "ex" || t == "im") {
      // Export to and import from one file, named in the file dialog.
      // The folder is made empty once per test.
      if (scratch.empty()) scratch = dravonix::test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
      const std::string file = scratch + "/run.msq";
      DialogAutomation::PushFileDialogResult(file.c_str());
      ::PostMessage(host->MainWnd(), WM_COMMAND, t == "ex" ? CMC_MotionView::ID_MOTION_EXPORT : CMC_MotionView::ID_MOTION_IMPORT, 0);
      UiAutomation::Pump();
      return;
    }
    if (t == "new" || t == "ins") {
      // Move, from the module toolbar or chosen in the Insert menu.
      if (t == "ins") MenuAutomation::PushMenuChoiceText("Move");
      ::PostMessage(host->MainWnd(), WM_COMMAND, t == "ins" ? CMC_MotionView::ID_MOTION_INSERT : kMove, 0);
      UiAutomation::Pump();
      return;
    }
    if (t[0] == '\'') return UiAutomation::TypeText(t.c_str() + 1);
    if (t == "w+" || t == "w-") return UiAutomation::Wheel(view->m_hWnd, CellRect(1).CenterPoint(), t == "w+" ? 120 : -120);
    if (t == "z") return (void)frame->SetWindowPos(nullptr, 0, 0, 260, 200, SWP_NOMOVE | SWP_NOZORDER), (void)UiAutomation::Pump();
    if (t == "f") {
      // The child's frame taken by its bottom right corner and pulled in.
      CRect w;
      frame->GetWindowRect(&w);
      CPoint from(w.right - 2, w.bottom - 2), to = from - CSize(150, 100);
      frame->ScreenToClient(&from), frame->ScreenToClient(&to);
      UiAutomation::Drag(frame->m_hWnd, from, to);
      CRect now;
      frame->GetWindowRect(&now);
      EXPECT_EQ(now, CRect(w.TopLeft(), w.Size() - CSize(150, 100)));
      return;
    }
    if (const size_t to = t.find('>'); to != std::string::npos) {
      // "h5>4": row 5 dragged by its header onto row 4's header.
      const CRect a = CellRect((DWORD)atoi(t.c_str() + 1), 0), b = CellRect((DWORD)atoi(t.c_str() + to + 1), 0);
      UiAutomation::AdvanceClock(1000);
      return UiAutomation::Drag(view->m_hWnd, a.CenterPoint(), CPoint(b.left + 5, b.CenterPoint().y));
    }
    if (t == "F1") return dravonix::test::PostGesture(::GetFocus(), dravonix::test::Gesture::kF1), (void)UiAutomation::Pump();
    if (t == "m") return (void)frame->ShowWindow(SW_MAXIMIZE), (void)UiAutomation::Pump();
    UINT mods = UiAutomation::kNone;
    size_t i = 0;
    for (; i + 1 < t.size() && (t[i] == 's' || t[i] == 'c'); ++i) mods |= t[i] == 's' ? UiAutomation::kShift : UiAutomation::kControl;
    const std::string rest = t.substr(i);
    static const std::pair<const char*, UINT> keys[] = {
        {"D", VK_DOWN}, {"U", VK_UP}, {"X", VK_DELETE}, {"E", VK_ESCAPE}, {"R", VK_RETURN}, {"END", VK_END}};
    for (auto [name, vk] : keys)
      if (rest == name) return UiAutomation::PressKey(vk, mods);
    const DWORD row = (DWORD)atoi(rest.c_str() + (isdigit((unsigned char)rest[0]) ? 0 : 1));
    CPoint at = rest[0] == 'h' ? CellRect(row, 0).CenterPoint()
              : rest[0] == 'b' ? CGXTreeCellLook::ButtonRect(CellRect(row), view->GetTreeNodeAttrib(CMC_MotionView::kLevelAttrib, row)).CenterPoint()
                               : CellRect(row).CenterPoint();
    UiAutomation::AdvanceClock(1000);  // never a double click
    if (rest[0] == 'd') return UiAutomation::DoubleClick(view->m_hWnd, at, mods);
    UiAutomation::Click(view->m_hWnd, at, mods);
  }
};

// Each script from a fresh sequence; after each step rows and model agree and nothing is stale.
TEST_F(MotionViewHostTest, WhatAUserDoesShowsAtOnce) {
  const struct {
    const char* script;
    const char* rows;
    int changes;
  } cases[] = {
      {"b2", "W1 -g .W2 .W3 W4 ~ M", 0},
      {"b2 b2", "W1 +g W4 ~ M", 0},
      {"2 X", "W1 W4 ~ M", 1},
      {"3 sh5 X", "W1 +g", 1},
      {"3 sh4 de", "W1 +g M", 1},
      {"3 sh4 gr", "W1 +g +Untitled M", 1},
      {"b2 2 ug", "W1 W2 W3 W4 ~ M", 1},
      {"3 mu", "W1 W4 +g ~ M", 1},
      {"1 md", "+g W1 W4 ~ M", 1},
      {"1 sh3 du", "W1 +g W4 W1 +g W4 ~ M", 1},
      {"3 di", "W1 +g W4 ~ M", 1},
      {"3 sh5 di 3 en", "W1 +g W4 ~ M", 2},
      {"4 END 'x 1", "W1 +g W4 ~x M", 1},
      {"4 END R 'y 1", "W1 +g W4 ~\r\ny M", 1},
      {"4 END 'x f", "W1 +g W4 ~x M", 1},
      {"w- w+", "W1 +g W4 ~ M", 0},
      {"b2 z", "W1 -g .W2 .W3 W4 ~ M", 0},
      {"b2 f", "W1 -g .W2 .W3 W4 ~ M", 0},
      // A new element is edited as it is made; a double click edits an element, not a group.
      {"3 new", "W1 +g W4 M ~ M", 1},
      {"b2 2 ins", "W1 -g .M .W2 .W3 W4 ~ M", 1},
      {"3 new 4 d4", "W1 +g W4 M ~ M", 1},
      {"d5 d5 d2", "W1 +g W4 ~ M", 1},
      {"2 ex 4 im", "W1 +g W4 ~ +g M", 1},
      {"m b2 3", "W1 -g .W2 .W3 W4 ~ M", 0},
  };
  for (const auto& c : cases) {
    Main({W(1), G("g", {W(2), W(3)}), W(4), Elem("Free Text", "~"), Elem("Move", "CPOS=0 CSPD=10")});
    OpenInHost();
    doc.changes = 0;
    std::istringstream in(c.script);
    for (std::string t; in >> t;) {
      Step(t);
      EXPECT_EQ(Rows(), Image()) << c.script << " at " << t;
      EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd)) << c.script << " at " << t;
    }
    EXPECT_EQ(Shown(), c.rows) << c.script;
    EXPECT_EQ(doc.changes, c.changes) << c.script;
    CRect window;
    view->GetWindowRect(&window);
    EXPECT_EQ(view->GetColWidth(1), std::max(100, window.Width() - ::GetSystemMetrics(SM_CXVSCROLL) - 22)) << c.script;
    host.reset(), frame = nullptr, view = nullptr;
    motion->GetMain()->DeleteAll();
  }
}

// The code viewer from the host's menu: its frame dragged by a corner sizes it, never below its
// least size, the Close button keeps to the corner, and a click on it closes the viewer.
TEST_F(MotionViewHostTest, TheCodeViewerSizesByItsFrame) {
  Main({W(1), W(2)});
  OpenInHost();
  Step("1");
  const struct {
    int dx, dy;
    CSize size;  // the window's
  } drags[] = {{120, 80, {0, 0}}, {-2000, -2000, {200, 100}}, {60, 300, {260, 400}}};
  std::vector<std::string> seen;
  bool closed = false;
  DialogAutomation::AddDialogHandler(14040, [&](CWnd* d) {
    CRect start;
    d->GetWindowRect(&start);
    for (const auto& g : drags) {
      CRect before, after, client, close, edit;
      d->GetWindowRect(&before);
      CPoint from(before.right - 2, before.bottom - 2), to = from + CSize(g.dx, g.dy);
      d->ScreenToClient(&from), d->ScreenToClient(&to);
      UiAutomation::Drag(d->m_hWnd, from, to);
      d->GetWindowRect(&after);
      const CSize want = g.size.cx ? g.size : before.Size() + CSize(g.dx, g.dy);
      EXPECT_EQ(after.Size(), want) << g.dx;
      EXPECT_EQ(after.TopLeft(), start.TopLeft()) << g.dx;
      d->GetClientRect(&client);
      d->GetDlgItem(IDCANCEL)->GetWindowRect(&close);
      d->ScreenToClient(&close);
      d->GetDlgItem(14000)->GetWindowRect(&edit);
      d->ScreenToClient(&edit);
      EXPECT_EQ(close.BottomRight(), client.BottomRight() - CSize(3, 3)) << g.dx;
      EXPECT_EQ(edit, CRect(3, 3, client.right - 3, close.top - 3)) << g.dx;
      EXPECT_EQ(0, PixelsOffFullRepaint(d->m_hWnd)) << g.dx;
    }
    CRect close;
    d->GetDlgItem(IDCANCEL)->GetClientRect(&close);
    UiAutomation::Click(d->GetDlgItem(IDCANCEL)->m_hWnd, close.CenterPoint());
    closed = !::IsWindowVisible(d->m_hWnd) || !::IsWindow(d->m_hWnd);
    if (!closed) ::SendMessage(d->m_hWnd, WM_COMMAND, IDCANCEL, 0);
  });
  ::PostMessage(host->MainWnd(), WM_COMMAND, CMC_MotionView::ID_MOTION_VIEW_CODE, 0);
  UiAutomation::Pump();
  EXPECT_TRUE(closed);
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
}


// The caption: dragged it moves the child, a double click maximizes it; its close button closes the
// code viewer when released on it.
TEST_F(MotionViewHostTest, CaptionsAnswerClicks) {
  Main({W(1), W(2)});
  OpenInHost();
  auto caption = [](CWnd* w, int fromRight) {
    CRect r;
    w->GetWindowRect(&r);
    CPoint at(r.right - fromRight, r.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2);
    w->ScreenToClient(&at);
    return at;
  };
  // The caption dragged moves the child; a double click on it maximizes the child.
  CRect before, after;
  frame->GetWindowRect(&before);
  UiAutomation::Drag(frame->m_hWnd, caption(frame, 120), caption(frame, 120) + CSize(30, 20));
  frame->GetWindowRect(&after);
  EXPECT_EQ(after, before + CPoint(30, 20));
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
  UiAutomation::AdvanceClock(1000);
  UiAutomation::DoubleClick(frame->m_hWnd, caption(frame, 120));
  EXPECT_TRUE(frame->IsZoomed());
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
  // The host's frame pulled in by its corner: the maximized child and its column follow.
  CRect main, client;
  host->m_main->GetWindowRect(&main);
  CPoint from(main.right - 2, main.bottom - 2), to = from - CSize(100, 80);
  host->m_main->ScreenToClient(&from), host->m_main->ScreenToClient(&to);
  UiAutomation::Drag(host->MainWnd(), from, to);
  ::GetClientRect(host->m_main->m_hWndMDIClient, &client);
  frame->GetClientRect(&after);
  EXPECT_EQ(after.Size(), client.Size());
  view->GetWindowRect(&after);
  EXPECT_EQ(view->GetColWidth(1), std::max(100, after.Width() - ::GetSystemMetrics(SM_CXVSCROLL) - 22));
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
  Step("1");
  bool closed = false;
  bool kept = false;
  DialogAutomation::AddDialogHandler(14040, [&](CWnd* d) {
    // Released beside the close button, the press closes nothing.
    const CPoint close = caption(d, ::GetSystemMetrics(SM_CXFRAME) + ::GetSystemMetrics(SM_CXSIZE) / 2);
    UiAutomation::Drag(d->m_hWnd, close, close - CSize(60, 0));
    kept = ::IsWindowVisible(d->m_hWnd) != FALSE;
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(d->m_hWnd, close);
    closed = !::IsWindowVisible(d->m_hWnd);
    if (!closed) ::SendMessage(d->m_hWnd, WM_COMMAND, IDCANCEL, 0);
  });
  ::PostMessage(host->MainWnd(), WM_COMMAND, CMC_MotionView::ID_MOTION_VIEW_CODE, 0);
  UiAutomation::Pump();
  EXPECT_TRUE(kept);
  EXPECT_TRUE(closed);
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
}

// The host's main frame shows its context menu of the view's commands where the view asks for it.
class CContextMenuHost : public CMDIFrameWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_CONTEXTMENU) return CMDIFrameWnd::WindowProc(message, wParam, lParam);
    CMenu menu;
    menu.CreatePopupMenu();
    const std::pair<UINT, const char*> items[] = {
        {CMC_MotionView::ID_MOTION_EDIT, "Edit"},   {CMC_MotionView::ID_MOTION_DELETE, "Delete"},
        {CMC_MotionView::ID_MOTION_GROUP, "Group"}, {CMC_MotionView::ID_MOTION_UNGROUP, "Ungroup"},
        {CMC_MotionView::ID_MOTION_ENABLE, "Enable"}, {CMC_MotionView::ID_MOTION_MOVE_UP, "Move Up"}};
    for (auto [id, text] : items) menu.AppendMenu(MF_STRING, id, text);
    menu.TrackPopupMenu(TPM_LEFTALIGN, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), this);
    return 0;
  }
};

// A right click on the rows: the host's menu with the commands the selection allows, and the one
// chosen done.
TEST_F(MotionViewHostTest, TheContextMenuOffersWhatTheSelectionAllows) {
  const struct {
    const char* script;  // before the right click on row 3
    const char* choice;
    const char* shown;
    const char* rows;
  } cases[] = {
      {"3", "Delete", "Edit|Delete|Group|Ungroup [grayed]|Enable [grayed]|Move Up", "W1 +g ~ M"},
      {"3 sh4", "Group", "Edit [grayed]|Delete|Group|Ungroup [grayed]|Enable [grayed]|Move Up", "W1 +g +Untitled M"},
      {"2", "Ungroup", "Edit|Delete|Group|Ungroup|Enable [grayed]|Move Up", "W1 W2 W3 W4 ~ M"},
      {"3 di 3", "Enable", "Edit|Delete|Group|Ungroup [grayed]|Enable|Move Up", "W1 +g W4 ~ M"},
      // A group dragged to another place stays selected, and Ungroup offered.
      {"ch5 gr h5>4", "Ungroup", "Edit|Delete|Group|Ungroup|Enable [grayed]|Move Up", "W1 +g W4 M ~"},
  };
  for (const auto& c : cases) {
    Main({W(1), G("g", {W(2), W(3)}), W(4), Elem("Free Text", "~"), Elem("Move", "CPOS=0 CSPD=10")});
    host = std::make_unique<MdiViewHost>(new CContextMenuHost);
    frame = host->Open(RUNTIME_CLASS(CTestMotionView), &doc);
    ASSERT_TRUE(frame);
    view = static_cast<CTestMotionView*>(frame->GetActiveView());
    app.m_pMainWnd = host->m_main;
    std::istringstream in(c.script);
    for (std::string t; in >> t;) Step(t);
    MenuAutomation::Reset();
    MenuAutomation::PushMenuChoiceText(c.choice);
    const DWORD row = view->m_nFirstSelectedRow ? view->m_nFirstSelectedRow : 3;
    UiAutomation::RightClick(view->m_hWnd, CellRect(row).CenterPoint());
    UiAutomation::Pump();
    const auto shown = MenuAutomation::ShownMenus();
    EXPECT_EQ(1u, shown.size()) << c.script;
    std::string items;
    for (const std::string& i : shown.empty() ? std::vector<std::string>{} : shown[0].items) items += (items.empty() ? "" : "|") + i;
    EXPECT_EQ(items, c.shown) << c.script;
    EXPECT_EQ(Shown(), c.rows) << c.script;
    EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd)) << c.script;
    app.m_pMainWnd = nullptr;
    host.reset(), frame = nullptr, view = nullptr;
    motion->GetMain()->DeleteAll();
  }
}

// F1 on the rows and while a row's text is edited: the view's help, the edit kept.
TEST_F(MotionViewHostTest, F1OpensTheViewsHelp) {
  for (const char* script : {"3 F1", "4 END 'x F1"}) {
    Main({W(1), G("g", {W(2), W(3)}), W(4), Elem("Free Text", "~"), Elem("Move", "CPOS=0 CSPD=10")});
    OpenInHost();
    Automation::Instance().ClearHelpCalls();
    std::istringstream in(script);
    for (std::string t; in >> t;) Step(t);
    const auto help = Automation::Instance().HelpCalls();
    ASSERT_EQ(help.size(), 1u) << script;
    EXPECT_EQ(help[0].data, 4135u) << script;
    EXPECT_EQ(help[0].command, 15u) << script;
    EXPECT_EQ(script[0] == '4', (bool)view->IsCurrentCellActive()) << script;
    EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd)) << script;
  }
}

// A data row's height follows a drag of its lower edge in the row headers; the title row's does not.
TEST_F(MotionViewHostTest, OnlyDataRowsTakeADraggedHeight) {
  Main({W(1), W(2)});
  OpenInHost();
  for (DWORD row : {0u, 1u}) {
    const int before = view->GetRowHeight(row);
    const CRect cell = CellRect(row, 0);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Drag(view->m_hWnd, CPoint(cell.CenterPoint().x, cell.bottom - 1), CPoint(cell.CenterPoint().x, cell.bottom + 11));
    EXPECT_EQ(view->GetRowHeight(row), row ? before + 12 : before) << row;
    EXPECT_EQ(Rows(), "W1 W2") << row;
    EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd)) << row;
  }
}

// The child's frame pulled by its bottom edge keeps a dragged row height (a scroll bar coming or going
// sizes only the client); pulled by its right edge, the rows fit the new width as a fit of every row does.
TEST_F(MotionViewHostTest, RowsFitAgainOnlyWhenTheWidthChanges) {
  Main({W(1), Elem("Free Text", "/* a note long enough to take two lines or more at any of these widths */"), W(2)});
  for (int i = 3; i < 12; ++i)
    Main({W(i), Elem("Free Text", i % 3 ? "/* short */" : "/* a comment that wraps once the view is narrow */")});
  OpenInHost(CRect(0, 0, 440, 200));
  auto pull = [&](bool right, int by) {
    CRect w;
    frame->GetWindowRect(&w);
    CPoint from = right ? CPoint(w.right - 1, w.CenterPoint().y) : CPoint(w.CenterPoint().x, w.bottom - 1);
    CPoint to = from + (right ? CSize(by, 0) : CSize(0, by));
    frame->ScreenToClient(&from), frame->ScreenToClient(&to);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Drag(frame->m_hWnd, from, to);
  };
  const CRect cell = CellRect(1, 0);
  const int x = cell.CenterPoint().x;
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Drag(view->m_hWnd, CPoint(x, cell.bottom - 1), CPoint(x, cell.bottom + 11));
  const int dragged = view->GetRowHeight(1);
  ASSERT_GT(dragged, view->GetDefaultRowHeight());
  const BOOL barBefore = (view->GetStyle() & WS_VSCROLL) != 0;
  pull(false, 300);
  EXPECT_NE(barBefore, (view->GetStyle() & WS_VSCROLL) != 0);
  EXPECT_EQ(view->GetRowHeight(1), dragged);
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
  // Row 5, a comment that wraps once the view is narrow, is moved up between the last two changes.
  for (int by : {-200, 120, -120}) {
    if (by == -120) Step("5"), Step("mu");
    pull(true, by);
    std::vector<int> shown, full;
    for (DWORD r = 1; r <= view->GetRowCount(); ++r) shown.push_back(view->GetRowHeight(r));
    EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd)) << by;
    view->ResizeRowHeightsToFit(CGXRange().SetCellRange(1, 1, view->GetRowCount(), 1));
    for (DWORD r = 1; r <= view->GetRowCount(); ++r) full.push_back(view->GetRowHeight(r));
    EXPECT_EQ(shown, full) << by;
    EXPECT_GT(*std::max_element(full.begin(), full.end()), view->GetDefaultRowHeight()) << by;
  }
}

// A text of characters wider than the font's average that needs two lines gets them in a fill.
TEST_F(MotionViewHostTest, AFillFitsATextOfWideCharacters) {
  OpenInHost(CRect(0, 0, 900, 200));
  // As many characters as the font's average width lets one line hold, most of them "@".
  const int room = view->GetColWidth(1) - CGXTreeCellLook::Indent(0) - 16;
  std::string text = "/*";
  while ((int)(text.size() + 3) * view->GetFontCharWidth() <= room) text += text.size() % 10 == 9 ? ' ' : '@';
  motion->GetMain()->Add(Elem("Free Text", (text + "*/").c_str()));
  view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
  const int shown = view->GetRowHeight(1);
  view->ResizeRowHeightsToFit(CGXRange().SetCellRange(1, 1, 1, 1));
  EXPECT_EQ(shown, view->GetRowHeight(1));
  EXPECT_GT(shown, view->GetDefaultRowHeight());
}

// A width change whose fit takes long shows its progress, and the paint that comes meanwhile leaves
// the rows measured with a drawing surface that still exists: the rows fit, the picture is whole.
TEST_F(MotionViewHostTest, ALongFitAfterAWidthChangeSurvivesThePaintsMeanwhile) {
  for (int i = 0; i < 40; ++i) Main({Elem("Free Text", "/* a comment long enough to wrap in a narrower view */")});
  OpenInHost(CRect(0, 0, 440, 300));
  CTestMotionView::s_onCompose = [] { Clock::Advance(50); };
  CRect w;
  frame->GetWindowRect(&w);
  CPoint from(w.right - 1, w.CenterPoint().y), to = from - CSize(150, 0);
  frame->ScreenToClient(&from), frame->ScreenToClient(&to);
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Drag(frame->m_hWnd, from, to);
  CTestMotionView::s_onCompose = nullptr;
  std::vector<int> shown, full;
  for (DWORD r = 1; r <= view->GetRowCount(); ++r) shown.push_back(view->GetRowHeight(r));
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
  view->ResizeRowHeightsToFit(CGXRange().SetCellRange(1, 1, view->GetRowCount(), 1));
  for (DWORD r = 1; r <= view->GetRowCount(); ++r) full.push_back(view->GetRowHeight(r));
  EXPECT_EQ(shown, full);
  EXPECT_GT(full[0], view->GetDefaultRowHeight());
}

// Random clicks, keys, menu commands, the wheel and sizes in the host's frame: rows and model stay
// in step and nothing is left stale.
TEST_F(MotionViewHostTest, RandomUseKeepsRowsAndPicture) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 86u);
  const char* const fixed[] = {"D", "U", "sD", "X", "E", "mu", "md", "gr", "ug", "du", "en", "di", "w+", "w-", "z", "f"};
  for (int sequence = 0; sequence < 4; ++sequence) {
    Main({W(1), G("g", {W(2), G("h", {W(3)}), W(4)}), W(5), Elem("Free Text", "~"), W(6), W(7)});
    OpenInHost();
    std::string script;
    for (int i = 0; i < 14 && view->GetRowCount(); ++i) {
      const DWORD n = view->GetRowCount();
      std::string t;
      switch (rng() % 4) {
        case 0: t = (rng() % 3 ? "" : "s") + std::to_string(1 + rng() % n); break;
        case 1: t = (rng() % 2 ? "h" : "b") + std::to_string(1 + rng() % n); break;
        default: t = fixed[rng() % (sizeof fixed / sizeof fixed[0])]; break;
      }
      // The child is pulled in by its frame once, from its first size.
      if (t == "f" && script.find_first_of("fz") != std::string::npos) t = "z";
      script += t + " ";
      Step(t);
      ASSERT_EQ(Rows(), Image()) << script;
      ASSERT_EQ(0, PixelsOffFullRepaint(view->m_hWnd)) << script;
    }
    host.reset(), frame = nullptr, view = nullptr;
    motion->GetMain()->DeleteAll();
  }
}

// Two views of one program: what one changes, the other shows at once, so that a command there acts
// on the objects it shows.
TEST_F(MotionViewHostTest, AChangeInOneViewShowsInTheOther) {
  Main({W(1), G("g", {W(2), W(3)}), W(4), Elem("Free Text", "~"), Elem("Move", "CPOS=0 CSPD=10")});
  OpenInHost();
  CTestMotionView* first = view;
  auto* other = static_cast<CTestMotionView*>(host->Open(RUNTIME_CLASS(CTestMotionView), &doc, CRect(40, 40, 300, 300))->GetActiveView());
  static_cast<CMDIChildWnd*>(frame)->MDIActivate();
  UiAutomation::Pump();
  for (const char* t : {"1", "X", "2", "md"}) Step(t);
  view = other;
  EXPECT_EQ(Rows(), Image());
  EXPECT_EQ(0, PixelsOffFullRepaint(other->m_hWnd));
  // Row 1 there is the group now: Delete in that view takes the group, as it shows.
  other->GetParentFrame()->ActivateFrame();
  UiAutomation::Pump();
  Step("1"), Step("X");
  EXPECT_EQ(Shown(), "~ W4 M");
  view = first;
  EXPECT_EQ(Rows(), Image());
}

// The functions folder beside the view of a function: a function moved there stays the one the view
// shows and edits.
TEST_F(MotionViewHostTest, AMovedFunctionStaysTheOneEdited) {
  for (const char* f : {"f", "g"}) ASSERT_GE(motion->AddNewFunction(f), 0);
  motion->GetFunction(0)->Add(W(1));
  motion->GetFunction(1)->Add(W(2)), motion->GetFunction(1)->Add(W(3));
  motion->SetSelection(CMC_Motion::selFunction, 1);
  OpenInHost();
  CWnd* folder = host->Open(RUNTIME_CLASS(CMC_FunctionsFolderView), &doc, CRect(40, 40, 480, 380))->GetActiveView();
  ClickItem(folder, CMC_FunctionsFolderView::IDC_LIST, 1);
  DialogAutomation::ClickControl(folder, CMC_FunctionsFolderView::IDC_UP);
  static_cast<CMDIChildWnd*>(frame)->MDIActivate();
  UiAutomation::Pump();
  Step("1"), Step("X");
  EXPECT_EQ(Shown(), "W3");
  EXPECT_EQ(Rows(), Image());
  EXPECT_EQ(motion->GetFunction(1)->GetSize(), 1);  // f keeps its element
}

// What the functions folder changes shows at once in the view of a function: its new name, and no
// rows once the selection has left it.
TEST_F(MotionViewHostTest, TheFunctionsFolderChangesShowInTheView) {
  for (const char* f : {"f", "g"}) ASSERT_GE(motion->AddNewFunction(f), 0);
  motion->GetFunction(1)->Add(W(2));
  motion->SetSelection(CMC_Motion::selFunction, 1);
  OpenInHost();
  CWnd* folder = host->Open(RUNTIME_CLASS(CMC_FunctionsFolderView), &doc, CRect(40, 40, 480, 380))->GetActiveView();
  ClickItem(folder, CMC_FunctionsFolderView::IDC_LIST, 1);
  DialogAutomation::TypeInto(folder, CMC_FunctionsFolderView::IDC_NAME, "k");
  DialogAutomation::ClickControl(folder, CMC_FunctionsFolderView::IDC_RENAME);
  EXPECT_EQ(view->GetValueRowCol(0, 1), "Function k");
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
  ClickItem(folder, CMC_FunctionsFolderView::IDC_LIST, 0);
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  DialogAutomation::ClickControl(folder, CMC_FunctionsFolderView::IDC_DELETE);
  EXPECT_EQ(view->GetValueRowCol(0, 1), "");
  EXPECT_EQ(Rows(), "");
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
}

// Typing in a free text, then turning to another window of the host: the program holds the text the
// row shows, and the document is modified.
TEST_F(MotionViewHostTest, TextTypedBeforeTurningAwayIsKept) {
  Main({W(1), G("g", {W(2), W(3)}), W(4), Elem("Free Text", "~"), Elem("Move", "CPOS=0 CSPD=10")});
  OpenInHost();
  doc.changes = 0;
  for (const char* t : {"4", "END", "'x"}) Step(t);
  ASSERT_TRUE(host->Open(RUNTIME_CLASS(CMC_FunctionsFolderView), &doc, CRect(40, 40, 480, 380)));
  EXPECT_EQ(Shown(), "W1 +g W4 ~x M");
  EXPECT_EQ(Rows(), Image());
  EXPECT_EQ(doc.changes, 1);
  EXPECT_EQ(0, PixelsOffFullRepaint(view->m_hWnd));
}

// Typing in a free text and then taking it back with Escape changes nothing: the document stays
// unmarked, so closing asks no question.
TEST_F(MotionViewHostTest, AnEditTakenBackLeavesTheDocumentUnmarked) {
  Main({W(1), Elem("Free Text", "~")});
  OpenInHost();
  doc.SetModifiedFlag(FALSE);
  doc.changes = 0;
  for (const char* t : {"2", "END", "'x", "E"}) Step(t);
  EXPECT_EQ(Shown(), "W1 ~");
  EXPECT_EQ(doc.changes, 0);
  EXPECT_FALSE(doc.IsModified());
}

// Typing in a free text, then closing its frame each way a user does, or saving: the text is what the
// save question offers and what the save writes.
TEST_F(MotionViewHostTest, TextTypedWhenTheFrameClosesIsOfferedForSaving) {
  enum Way { kCtrlF4, kCloseBox, kFileClose, kFileSave };
  for (Way way : {kCtrlF4, kCloseBox, kFileClose, kFileSave}) {
    Main({W(1), Elem("Free Text", "~")});
    OpenInHost();
    const HWND child = frame->m_hWnd;  // the frame deletes itself when closed
    doc.SetPathName("prog", FALSE);
    doc.SetModifiedFlag(FALSE);
    doc.saved.clear();
    Automation::Instance().ClearMessageBoxes();
    Automation::Instance().PushMessageBoxAnswer(IDYES);
    for (const char* t : {"2", "END", "'x"}) Step(t);
    if (way == kCtrlF4) UiAutomation::PressKey(VK_F4, UiAutomation::kControl);
    if (way == kCloseBox) {
      CRect w;
      frame->GetWindowRect(&w);
      CPoint box(w.right - 8, w.top + 8);
      frame->ScreenToClient(&box);
      UiAutomation::Click(frame->m_hWnd, box);
    }
    if (way == kFileClose || way == kFileSave) {
      ::PostMessage(host->MainWnd(), WM_COMMAND, way == kFileClose ? ID_FILE_CLOSE : ID_FILE_SAVE, 0);
      UiAutomation::Pump();
    }
    const auto boxes = Automation::Instance().MessageBoxes();
    EXPECT_EQ(boxes.size(), way == kFileSave ? 0u : 1u) << way;
    if (!boxes.empty()) {
      EXPECT_EQ(boxes[0].text, "Save changes to prog?") << way;
    }
    EXPECT_EQ(doc.saved, "Time=1 ~x") << way;
    EXPECT_EQ(::IsWindow(child), way == kFileSave) << way;
    EXPECT_FALSE(doc.IsModified()) << way;
    Automation::Instance().Reset();
    host.reset(), frame = nullptr, view = nullptr;
    motion->GetMain()->DeleteAll();
  }
}
