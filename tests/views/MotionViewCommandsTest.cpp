// The motion view's commands: rows and model change together, the enabling rules, the module menu.
#include "platform/core/MessageBox.h"
#include "tests/support/WindowPicture.h"
#include "tests/views/MotionViewFixture.h"

#include <vector>

namespace {

CMC_MotionGroup* GroupAt(CMC_MotionGroup* g, int i) { return DYNAMIC_DOWNCAST(CMC_MotionGroup, g->GetAt(i)); }

}  // namespace

class MotionViewCommandsTest : public MotionViewTest {};

// The host's main window: what WM_CONTEXTMENU brought.
struct CContextProbe : CWnd {
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CONTEXTMENU) asked.push_back({wParam, lParam});
    return CWnd::WindowProc(message, wParam, lParam);
  }
  std::vector<std::pair<WPARAM, LPARAM>> asked;
};

TEST_F(MotionViewCommandsTest, GroupAndUngroupKeepTheOrder) {
  Main({W(1), G("g", {W(2), W(3)}, 1), W(4), W(5), G("e", {})});
  Open();
  ASSERT_EQ(Rows(), "W1 -g .W2 .W3 W4 W5 +e");
  Select(1, 3);  // over two levels
  EXPECT_FALSE(Enabled(CMC_MotionView::ID_MOTION_GROUP));
  Command(CMC_MotionView::ID_MOTION_GROUP);
  EXPECT_EQ(Rows(), "W1 -g .W2 .W3 W4 W5 +e");
  EXPECT_EQ(doc.changes, 0);

  Select(5, 6);
  EXPECT_TRUE(Enabled(CMC_MotionView::ID_MOTION_GROUP));
  Command(CMC_MotionView::ID_MOTION_GROUP);
  EXPECT_EQ(Rows(), "W1 -g .W2 .W3 +Untitled +e");
  EXPECT_EQ(Rows(), Image());
  CMC_MotionGroup* untitled = GroupAt(motion->GetMain(), 2);
  ASSERT_TRUE(untitled);
  EXPECT_EQ(untitled->GetSize(), 2);
  EXPECT_STREQ(static_cast<CMC_MotionElem*>(untitled->GetAt(0))->m_strCode, "WAIT 4;");
  EXPECT_EQ(view->m_nSelectedRows, 1u);
  EXPECT_EQ(doc.changes, 1);

  EXPECT_TRUE(Enabled(CMC_MotionView::ID_MOTION_UNGROUP));
  Command(CMC_MotionView::ID_MOTION_UNGROUP);
  EXPECT_EQ(Rows(), "W1 -g .W2 .W3 W4 W5 +e");
  EXPECT_EQ(view->m_nSelectedRows, 2u);
  // An empty group: its row goes, and the document is marked.
  Select(7, 7);
  Command(CMC_MotionView::ID_MOTION_UNGROUP);
  EXPECT_EQ(Rows(), "W1 -g .W2 .W3 W4 W5");
  EXPECT_EQ(Rows(), Image());
  EXPECT_EQ(doc.changes, 3);
  Picture("motion-view-grouped.png");
}

TEST_F(MotionViewCommandsTest, MoveAndDuplicateRespectTheTree) {
  Main({W(1), G("g", {W(2), W(3)}, 1), W(4), W(5)});
  Open();
  struct Case {
    DWORD first, last;
    UINT id;
    const char* rows;
  };
  const Case cases[] = {
      {3, 3, CMC_MotionView::ID_MOTION_MOVE_UP, "W1 -g .W2 .W3 W4 W5"},    // first child
      {4, 4, CMC_MotionView::ID_MOTION_MOVE_DOWN, "W1 -g .W2 .W3 W4 W5"},  // last child
      {5, 5, CMC_MotionView::ID_MOTION_MOVE_UP, "W1 W4 -g .W2 .W3 W5"},    // above the open group and its rows
      {2, 2, CMC_MotionView::ID_MOTION_MOVE_DOWN, "W1 -g .W2 .W3 W4 W5"},
      {2, 2, CMC_MotionView::ID_MOTION_DUPLICATE, "W1 -g .W2 .W3 +g W4 W5"},  // after the group's content
      {3, 4, CMC_MotionView::ID_MOTION_DUPLICATE, "W1 -g .W2 .W3 .W2 .W3 +g W4 W5"},
  };
  for (const Case& c : cases) {
    Select(c.first, c.last);
    Command(c.id);
    EXPECT_EQ(Rows(), c.rows) << c.id << " " << c.first;
    EXPECT_EQ(Rows(), Image()) << c.id << " " << c.first;
  }
  EXPECT_EQ(view->m_nSelectedRows, 2u);  // the copies
  // A selection with a gap duplicates the whole run between, one row per copy.
  view->SetSelection(nullptr);
  view->SelectRange(CGXRange().SetRowRange(7, 7));
  view->SelectRange(CGXRange().SetRowRange(9, 9));
  Command(CMC_MotionView::ID_MOTION_DUPLICATE);
  EXPECT_EQ(Rows(), "W1 -g .W2 .W3 .W2 .W3 +g W4 W5 +g W4 W5");
  EXPECT_EQ(Rows(), Image());
}

TEST_F(MotionViewCommandsTest, NewElementsGoUnderTheLastSelectedRow) {
  Main({W(1), G("g", {W(2)}, 1), G("h", {W(3)})});
  Open();
  // Modules of this setup: Program class first (Comment 0), then Motion (Move 6); Comment's editor cancels.
  const UINT comment = CMC_MotionView::ID_MOTION_NEW_FIRST, move = comment + 6;
  Command(comment);
  EXPECT_EQ(Rows(), "W1 -g .W2 +h");
  EXPECT_EQ(doc.changes, 0);
  Select(2, 2);
  Command(move);
  EXPECT_EQ(view->GetTreeNodeAttrib(CMC_MotionView::kLevelAttrib, 3), 1);
  EXPECT_STREQ(static_cast<CMC_MotionElem*>(GroupAt(motion->GetMain(), 1)->GetAt(0))->m_strType, "Move");
  Select(5, 5);
  Command(move);
  EXPECT_EQ(view->GetTreeNodeAttrib(CMC_MotionView::kLevelAttrib, 6), 0);
  EXPECT_EQ(motion->GetMain()->GetSize(), 4);
  EXPECT_EQ(Rows(), Image());
  EXPECT_EQ(view->m_nSelectedRows, 1u);
  EXPECT_EQ(doc.changes, 2);

  // Insert shows the modules by class and the choice makes the element.
  MenuAutomation::PushMenuChoiceText("Move");
  Command(CMC_MotionView::ID_MOTION_INSERT);
  UiAutomation::Pump();
  ASSERT_EQ(MenuAutomation::ShownMenus().size(), 1u);
  EXPECT_EQ(MenuAutomation::ShownMenus()[0].items, (std::vector<std::string>{"Program", "Motion"}));
  EXPECT_EQ(motion->GetMain()->GetSize(), 5);
  EXPECT_EQ(Rows(), Image());
}

TEST_F(MotionViewCommandsTest, ModulesMenuHoldsAtMostAHundredItems) {
  CStringArray classes;
  for (const char* c : {"", "Same", "Many"}) classes.Add(c);
  auto names = [](int c, CStringArray& out) {
    out.RemoveAll();
    if (c == 0) out.Add("a");
    if (c == 1) out.Add("Same");
    for (int i = 0; c == 2 && i < 101; ++i) out.Add("m");
  };
  CMenu menu;
  menu.CreatePopupMenu();
  CMC_MotionView::BuildModulesMenu(menu, classes, names);
  ASSERT_EQ(menu.GetMenuItemCount(), 3u);
  EXPECT_EQ(menu.GetMenuItemID(0), 10100u);
  EXPECT_EQ(menu.GetMenuItemID(1), 10101u);
  CMenu* many = menu.GetSubMenu(2);
  ASSERT_TRUE(many);
  EXPECT_EQ(many->GetMenuItemCount(), 98u);  // 10102 to 10199
  EXPECT_EQ(many->GetMenuItemID(97), 10199u);

  classes.RemoveAll();
  classes.Add("Many");
  CMenu one;
  one.CreatePopupMenu();
  CMC_MotionView::BuildModulesMenu(one, classes, [&](int, CStringArray& out) { names(2, out); });
  ASSERT_EQ(one.GetSubMenu(0)->GetMenuItemCount(), 100u);
  EXPECT_EQ(one.GetSubMenu(0)->GetMenuItemID(0), 10100u);
}

TEST_F(MotionViewCommandsTest, EnableDisableDeleteAndTheirRules) {
  Main({W(1), W(2, 0), G("g", {W(3)})});
  Open();
  Select(1, 3);
  EXPECT_TRUE(Enabled(CMC_MotionView::ID_MOTION_ENABLE));
  EXPECT_TRUE(Enabled(CMC_MotionView::ID_MOTION_DISABLE));
  EXPECT_FALSE(Enabled(CMC_MotionView::ID_MOTION_EDIT));
  EXPECT_FALSE(Enabled(CMC_MotionView::ID_MOTION_MOVE_UP));
  EXPECT_FALSE(Enabled(CMC_MotionView::ID_MOTION_MOVE_DOWN));
  EXPECT_FALSE(Enabled(CMC_MotionView::ID_MOTION_IMPORT_GCODE));  // not a motion controller
  EXPECT_TRUE(Enabled(CMC_MotionView::ID_MOTION_IMPORT));
  Command(CMC_MotionView::ID_MOTION_DISABLE);
  EXPECT_FALSE(Enabled(CMC_MotionView::ID_MOTION_DISABLE));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(RowHasColor((DWORD)i + 1, ::GetSysColor(17))) << i;
  Command(CMC_MotionView::ID_MOTION_ENABLE);
  EXPECT_EQ(doc.changes, 2);
  EXPECT_EQ(static_cast<CMC_MotionElem*>(motion->GetMain()->GetAt(1))->m_bEnabled, 1);

  Select(2, 3);
  Command(CMC_MotionView::ID_MOTION_DELETE);
  EXPECT_EQ(Rows(), "W1");
  EXPECT_EQ(motion->GetMain()->GetSize(), 1);
  EXPECT_EQ(view->m_nSelectedRows, 0u);

  // A right click asks the main window for the context menu at the screen point.
  CContextProbe probe;
  probe.CreateEx(0, AfxRegisterWndClass(0), "main", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
  app.m_pMainWnd = &probe;
  CPoint at = CellRect(1).CenterPoint();
  UiAutomation::RightClick(view->m_hWnd, at);
  app.m_pMainWnd = nullptr;
  view->ClientToScreen(&at);
  ASSERT_EQ(probe.asked.size(), 1u);
  EXPECT_EQ(probe.asked[0].first, (WPARAM)view->m_hWnd);
  EXPECT_EQ(probe.asked[0].second, MAKELPARAM(at.x, at.y));
  probe.DestroyWindow();

  Automation::Instance().ClearHelpCalls();
  Command(CMC_MotionView::ID_MOTION_HELP);
  const auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].data, 4135u);
  EXPECT_EQ(help[0].command, 15u);
}


TEST_F(MotionViewCommandsTest, ShiftClickOnARowHeaderDeletesOnlyTheRowsUpToItAndTheWindowShowsTheRest) {
  // The pixels of the view down to below the ninth row, to be compared with a paint of the whole window.
  int bottom = 0;
  const auto picture = [&] {
    CRect client;
    view->GetClientRect(&client);
    return dravonix::test::WindowPixels(view->m_hWnd, CRect(0, 0, client.right, bottom));
  };
  struct Case {
    DWORD clicked, shifted;
    const char* left;
  } cases[] = {{2, 4, "W1 W5 W6 W7 W8 W9"}, {7, 9, "W1 W2 W3 W4 W5 W6"}, {5, 5, "W1 W2 W3 W4 W6 W7 W8 W9"}};
  Open();
  for (const Case& c : cases) {
    while (motion->GetMain()->GetSize()) motion->GetMain()->DeleteAt(0, 1);
    Main({W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9)});
    view->OnUpdate(nullptr, -100, nullptr);
    UiAutomation::Pump();
    bottom = CellRect(9).bottom + 2;
    UiAutomation::Click(view->m_hWnd, CellRect(c.clicked).CenterPoint());
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(view->m_hWnd, CellRect(c.shifted, 0).CenterPoint(), UiAutomation::kShift);
    CDWordArray rows;
    view->GetSelectedRows(rows, TRUE, FALSE);
    ASSERT_EQ(rows.GetSize(), (INT_PTR)(c.shifted - c.clicked + 1)) << c.clicked;
    for (INT_PTR i = 0; i < rows.GetSize(); ++i) EXPECT_EQ(rows[i], c.clicked + (DWORD)i);
    EXPECT_EQ(view->m_nSelectedRows, c.shifted - c.clicked + 1);

    UiAutomation::PressKey(VK_DELETE);
    EXPECT_EQ(Image(), c.left) << c.clicked;
    EXPECT_EQ(Rows(), c.left) << c.clicked;
    const std::vector<COLORREF> shown = picture();
    view->Invalidate();
    view->CWnd::UpdateWindow();
    EXPECT_TRUE(shown == picture()) << "stale pixels after deleting " << c.clicked << ".." << c.shifted;
  }
  Picture("motion-view-after-delete.png");
}
