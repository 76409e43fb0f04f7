// The motion view's rows: the tree in two attributes, expanding and collapsing by the node button,
// colours by translation state, the first failure selected, widths and in-place editing.
#include "grid/controls/GXTreeEdit.h"
#include "platform/core/Clock.h"
#include "platform/gdi/GdiObject.h"
#include "tests/views/MotionViewFixture.h"
#include "tests/views/TitleInk.h"

TEST_F(MotionViewTest, RowsAreThePreOrderImageOfTheSequence) {
  Clock::UseVirtualTime();
  Main({W(1), G("g1", {W(2), G("g2", {W(3)}, 1), W(4)}), W(5)});
  Open();
  EXPECT_EQ(Rows(), "W1 +g1 W5");
  EXPECT_EQ(view->GetValueRowCol(0, 1), "Main");
  for (DWORD r = 1; r <= 3; ++r) EXPECT_EQ(view->GetTreeNodeAttrib(CMC_MotionView::kLevelAttrib, r), 0);

  // A click on the node button of g1 opens it, with its open subgroup's content; a second closes it.
  const CRect button = CGXTreeCellLook::ButtonRect(CellRect(2), 0);
  UiAutomation::Click(view->m_hWnd, button.CenterPoint());
  EXPECT_EQ(Rows(), "W1 -g1 .W2 .-g2 ..W3 .W4 W5");
  EXPECT_EQ(Rows(), Image());
  Picture("motion-view-expanded.png");
  UiAutomation::AdvanceClock(1000);  // not a double click
  UiAutomation::Click(view->m_hWnd, button.CenterPoint());
  EXPECT_EQ(Rows(), "W1 +g1 W5");
  EXPECT_EQ(doc.changes, 0);
  EXPECT_FALSE(doc.IsModified());

  // A level that is not a number reads -1 and the row resolves to nothing.
  view->SetStyleRange(CGXRange().SetCellRange(3, 1, 3, 1),
                      &CGXStyle().SetUserAttribute(CMC_MotionView::kLevelAttrib, "x"));
  EXPECT_EQ(view->GetTreeNodeAttrib(CMC_MotionView::kLevelAttrib, 3), -1);
  CMC_MotionGroup* group = nullptr;
  int index = 0;
  EXPECT_FALSE(view->GetParentArrayOfRow(3, group, index));
  EXPECT_EQ(group, nullptr);
  EXPECT_EQ(index, -1);

  // Without a selected sequence: an empty header and no rows.
  motion->SetSelection(CMC_Motion::selNone, 0);
  view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr);
  EXPECT_EQ(view->GetRowCount(), 0u);
  EXPECT_EQ(view->GetValueRowCol(0, 1), "");
  Clock::UseRealTime();
}

TEST_F(MotionViewTest, ColumnWidthFollowsTheView) {
  Open(400, 300);
  EXPECT_EQ(view->GetColWidth(0), 20);
  EXPECT_EQ(view->GetColWidth(1), 362);
  frame->MoveWindow(0, 0, 130, 300);
  UiAutomation::Pump();
  EXPECT_EQ(view->GetColWidth(1), 100);
}

TEST_F(MotionViewTest, TheWheelScrollsByOneLine) {
  for (int i = 0; i < 40; ++i) Main({W(i)});
  Open(400, 300);
  UiAutomation::Wheel(view->m_hWnd, CellRect(2).CenterPoint(), -120);
  EXPECT_EQ(view->GetTopRow(), 2u);
  UiAutomation::Wheel(view->m_hWnd, CellRect(2).CenterPoint(), 120);
  EXPECT_EQ(view->GetTopRow(), 1u);
}

TEST_F(MotionViewTest, ColoursShowTheTranslationState) {
  Main({W(1), Elem("Wait", "X=1"), Elem("Free Text", "/* note */"), G("ok", {W(2)}), W(3, 0),
        G("bad", {W(4), Elem("Wait", "Y=2")}), G("off", {W(5)}, 0, 0)});
  Open(500, 400);
  EXPECT_EQ(Rows(), "W1 Wait: the parameter Time is expected /* note */ +ok W3 +bad +off");
  EXPECT_EQ(view->GetValueRowCol(6, 1), "Wait: the parameter Time is expected");  // the failure inside "bad"
  // The first red row is selected and current.
  EXPECT_EQ(view->m_nSelectedRows, 1u);
  ROWCOL row = 0, col = 0;
  ASSERT_TRUE(view->GetCurrentCell(row, col));
  EXPECT_EQ(row, 2u);
  view->SetSelection(nullptr);
  Picture("motion-view-colours.png");
  const COLORREF gray = ::GetSysColor(17);
  struct Case {
    DWORD row;
    COLORREF color;
  };
  for (const Case& c : {Case{1, RGB(0, 128, 0)}, Case{2, RGB(255, 0, 0)}, Case{3, RGB(0, 0, 0)},
                        Case{4, RGB(0, 0, 255)}, Case{5, gray}, Case{6, RGB(255, 0, 0)}, Case{7, gray}})
    EXPECT_TRUE(RowHasColor(c.row, c.color)) << c.row;
  EXPECT_FALSE(RowHasColor(1, RGB(255, 0, 0)));
  // Groups show their node box, elements none.
  auto corner = [&](DWORD r) {
    return ::GetWindowPixel(view->m_hWnd, CGXTreeCellLook::ButtonRect(CellRect(r), 0).TopLeft());
  };
  EXPECT_EQ(corner(4), ::GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_NE(corner(1), ::GetSysColor(COLOR_WINDOWTEXT));

  // Without a failure nothing is selected.
  motion->GetMain()->DeleteAt(1, 1);
  motion->GetMain()->DeleteAt(4, 1);
  view->OnUpdate(nullptr, CMC_MotionView::kHintRetranslate, nullptr);
  EXPECT_EQ(view->m_nSelectedRows, 0u);
  EXPECT_EQ(Rows(), Image());
}

TEST_F(MotionViewTest, FreeTextIsEditedInPlace) {
  Main({W(1), Elem("Free Text", "/* a */")});
  Open();
  // Unchanged text: nothing modified.
  view->OnEndEditing(2, 1);
  EXPECT_EQ(doc.changes, 0);
  // Typed text becomes the parameter string, translated again.
  view->SetCurrentCell(2, 1);
  UiAutomation::PressKey(VK_END);
  UiAutomation::TypeText("x");
  // Delete inside the editor deletes text, not the row.
  UiAutomation::PressKey(VK_LEFT);
  UiAutomation::PressKey(VK_DELETE);
  EXPECT_EQ(view->GetRowCount(), 2u);
  UiAutomation::TypeText("y");
  view->SetCurrentCell(1, 1);
  auto* e = static_cast<CMC_MotionElem*>(motion->GetMain()->GetAt(1));
  EXPECT_STREQ(e->m_strParameters, "/* a */y");
  EXPECT_STREQ(e->m_strCode, "/* a */y");
  EXPECT_EQ(doc.changes, 1);
  EXPECT_TRUE(doc.IsModified());

  // Ctrl with a click still selects that row alone; Delete outside an editor deletes it.
  Select(1, 2);
  UiAutomation::Click(view->m_hWnd, CellRect(2).CenterPoint(), UiAutomation::kControl);
  EXPECT_EQ(view->m_nSelectedRows, 1u);
  UiAutomation::PressKey(VK_DELETE);
  EXPECT_EQ(Rows(), "W1");
  EXPECT_EQ(motion->GetMain()->GetSize(), 1);
}

TEST_F(MotionViewTest, TheBoldTitleRowHoldsItsWholeText) {
  int k = 0;
  while (k < motion->GetHomingProceduresCount() && !motion->IsHomingProcedureAvailable(k)) ++k;
  ASSERT_LT(k, motion->GetHomingProceduresCount());
  motion->SetSelection(CMC_Motion::selHoming, k);
  Open();
  const CString title = view->GetValueRowCol(0, 1);
  ASSERT_EQ(title.Left(17), "Homing procedure ");  // "g" and "p" reach below the line
  const auto [whole, fontHeight] = viewtest::WholeTitle(*view, view, 1, title);
  const viewtest::InkRows ink = viewtest::TitleInk(*view, view, 1, 1);
  EXPECT_GE(view->GetRowHeight(0), fontHeight);
  EXPECT_EQ(ink.Height(), whole);
  EXPECT_LT(ink.bottom, CellRect(0).bottom);
  Picture("motion-view-title.png");
}
