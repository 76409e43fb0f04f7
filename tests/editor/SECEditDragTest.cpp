#include "EditTestUtil.h"
#include "editor/documents/ConversationEditCtrl.h"
#include "editor/view/SECEditCtrl.h"
#include "editor/view/SECEditView.h"
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// Places a selection from (l1, c1) to (l2, c2) in either form of the editor.
template <class W>
struct Selectable : W {
  CPoint Cell(int line, int col) const {
    return CPoint(this->m_nMargin + col * this->m_nCharWidth + 1, (line - 1) * this->m_nLineHeight + 2);
  }
  void Select(int l1, int c1, int l2, int c2, int mode = 1) {
    SECEdit* e = this->GetEdit();
    this->m_pCurLine = e->FindLine(l1);
    this->m_nCurLine = l1;
    this->m_nCurCol = c1;
    this->BeginSelection(mode, FALSE);
    this->m_pCurLine = e->FindLine(l2);
    this->m_nCurLine = l2;
    this->m_nCurCol = c2;
    this->ExtendSelection(FALSE);
  }
};

// An editor view on a text of its own; views delete themselves with their windows.
struct EditView : Selectable<SECEditView> {
  SECEdit* text = nullptr;
  SECEdit* GetEdit() override { return text; }
  static EditView* Open(SECEdit* e, int x) {
    auto* v = new EditView;
    v->text = e;
    v->CreateEx(0, AfxRegisterWndClass(0), "view", WS_POPUP | WS_VISIBLE, CRect(x, 0, x + 300, 200), nullptr, 0);
    v->InitView();
    return v;
  }
};

// The control form, on its own text.
template <class C>
struct ControlWnd : Selectable<C> {
  bool Open(int x) {
    return this->CreateEx(0, AfxRegisterWndClass(0), "ctrl", WS_POPUP | WS_VISIBLE, CRect(x, 0, x + 300, 200), nullptr,
                          0);
  }
};
using EditCtrlWnd = ControlWnd<SECEditCtrl>;

// Presses the button inside `from`'s selection and lets go over `to` at `at` (without a move: a click).
void Drag(CWnd* from, CPoint grab, CWnd* to, CPoint at, bool move = true) {
  DragDropAutomation::SetDragHandler([&] {
    for (int i = 0; move && i < 2; ++i) UiAutomation::MouseMove(to->m_hWnd, at, 0);
    // The release is told in the coordinates of the window that holds the capture.
    CPoint p = at;
    to->ClientToScreen(&p);
    CWnd::FromHandle(::GetCapture())->ScreenToClient(&p);
    PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, POINT{p.x, p.y});
  });
  UiAutomation::MouseMove(from->m_hWnd, grab);
  PostMouseInput(from->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{grab.x, grab.y});
  UiAutomation::Pump();
  DragDropAutomation::SetDragHandler(nullptr);
}

struct EditDrag : ::testing::Test {
  void SetUp() override { Clock::UseVirtualTime(); }
  void TearDown() override { Clock::UseRealTime(); }
};

}  // namespace

TEST_F(EditDrag, MovesInsideAndBetweenEditors) {
  SECEdit a, b;
  SetText(a, "one two three\r\nline2\r\n");
  SetText(b, "xyz\r\n");
  EditView* va = EditView::Open(&a, 0);
  EditView* vb = EditView::Open(&b, 400);
  // A word dragged later on its line lands where it was let go, counted after its removal.
  va->Select(1, 4, 1, 7);
  Drag(va, va->Cell(1, 5), va, va->Cell(1, 13));
  EXPECT_EQ(AllText(a), "one  threetwo\r\nline2\r\n");
  a.Undo();
  EXPECT_EQ(AllText(a), "one two three\r\nline2\r\n");  // one undo restores the move
  // A drop on the selection itself does nothing.
  va->Select(1, 4, 1, 7);
  Drag(va, va->Cell(1, 5), va, va->Cell(1, 6));
  EXPECT_EQ(AllText(a), "one two three\r\nline2\r\n");
  // Between two editors the text leaves the first.
  va->Select(2, 0, 2, 4);
  Drag(va, va->Cell(2, 1), vb, vb->Cell(1, 3));
  EXPECT_EQ(AllText(a), "one two three\r\n2\r\n");
  EXPECT_EQ(AllText(b), "xyzline\r\n");
  // A column block keeps its shape; a read-only target refuses and the source keeps its text.
  SetText(a, "abcd\r\nefgh\r\n");
  va->InitView();
  va->Select(1, 1, 2, 3, 2);
  Drag(va, va->Cell(1, 2), vb, vb->Cell(1, 0));
  EXPECT_EQ(AllText(b), "bcxyzline\r\nfg\r\n");
  EXPECT_EQ(AllText(a), "ad\r\neh\r\n");
  b.SetReadOnly(TRUE);
  va->Select(1, 0, 1, 2);
  Drag(va, va->Cell(1, 1), vb, vb->Cell(1, 0));
  EXPECT_EQ(AllText(a), "ad\r\neh\r\n");
  va->DestroyWindow();
  vb->DestroyWindow();
}

TEST_F(EditDrag, ControlDragsItsSelection) {
  EditCtrlWnd a, b;
  ASSERT_TRUE(a.Open(0));
  ASSERT_TRUE(b.Open(400));
  SetText(*a.GetEdit(), "one two three\r\n");
  SetText(*b.GetEdit(), "xyz\r\n");
  a.InitView();
  b.InitView();
  // Inside one control the word moves; into another control it leaves the first.
  a.Select(1, 4, 1, 7);
  Drag(&a, a.Cell(1, 5), &a, a.Cell(1, 13));
  EXPECT_EQ(AllText(*a.GetEdit()), "one  threetwo\r\n");
  a.Select(1, 0, 1, 3);
  Drag(&a, a.Cell(1, 1), &b, b.Cell(1, 3));
  EXPECT_EQ(AllText(*a.GetEdit()), "  threetwo\r\n");
  EXPECT_EQ(AllText(*b.GetEdit()), "xyzone\r\n");
  // A press and release inside the selection without a move clears it and places the caret.
  a.Select(1, 2, 1, 7);
  Drag(&a, a.Cell(1, 4), &a, a.Cell(1, 4), false);
  EXPECT_FALSE(a.m_bSelection);
  EXPECT_EQ(a.m_nCurCol, 4);
  EXPECT_EQ(AllText(*a.GetEdit()), "  threetwo\r\n");
  // The read-only log gives a copy and keeps its lines.
  ControlWnd<CConversationEditCtrl> log;
  ASSERT_TRUE(log.Open(800));
  log.GetEdit()->SetReadOnly(TRUE);
  log.GetEdit()->SetLineEndMode(2);
  log.AppendText("sent 12\n");
  log.Select(1, 0, 1, 4);
  Drag(&log, log.Cell(1, 1), &b, b.Cell(1, 0));
  EXPECT_STREQ(log.GetLogText(), "sent 12\n");
  EXPECT_EQ(AllText(*b.GetEdit()), "sentxyzone\r\n");
}

// A press sent inside the selection, with no mouse button down, returns at once and moves nothing.
TEST_F(EditDrag, ASentPressWithNoButtonDownReturnsAtOnce) {
  EditCtrlWnd a;
  ASSERT_TRUE(a.Open(0));
  SetText(*a.GetEdit(), "one two three\r\n");
  a.InitView();
  a.Select(1, 4, 1, 7);
  const BYTE up[256] = {};
  SetKeyboardState(up);
  const auto start = std::chrono::steady_clock::now();
  // Sent by a program, as no mouse gives it: the handler's own guard is what is checked.
  a.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.Cell(1, 5).x, a.Cell(1, 5).y));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(AllText(*a.GetEdit()), "one two three\r\n");
}
