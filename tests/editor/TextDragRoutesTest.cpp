// A selected word dragged with the mouse in a text window: moved, copied with Ctrl, dropped on itself,
// past the window's edge and into a second window on the text; in insert and overtype mode and on a
// read-only text. The text as the rules have it, one undo taking a drop back, and the picture.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/OleDragDrop.h"

#include <gtest/gtest.h>

#include <vector>

namespace UA = UiAutomation;

TEST(TextDragRoutes, ASelectedWordMovedCopiedAndDroppedAwayInEveryMode) {
  const std::vector<std::string> start = {"alpha beta", "gamma", "delta"};
  struct Route {
    const char* what;
    int row, col;   // the drop point, in the first window; row 0: the second window's first row
    bool copy;      // Ctrl held
    bool outside;   // let go past the first window's right edge, over the frame
  };
  const Route routes[] = {
    {"moved down", 2, 2, false, false},
    {"copied down", 2, 2, true, false},
    {"moved to its line's end", 1, 10, false, false},
    {"moved to its line's start", 1, 0, false, false},
    {"dropped on itself", 1, 8, false, false},
    {"copied onto itself", 1, 8, true, false},
    {"dropped past the edge", 2, 2, false, true},
    {"moved into the other window", 0, 1, false, false},
    {"copied into the other window", 0, 1, true, false},
  };
  int walked = 0;
  for (bool ovr : {false, true})
    for (bool ro : {false, true})
      for (const Route& r : routes) {
        const std::string mode = std::string(r.what) + (ovr ? ", overtype" : ", insert") + (ro ? ", read-only" : "");
        EditorScene s(2, "alpha beta\r\ngamma\r\ndelta\r\n", CRect(0, 0, 300, 120));
        CTextFileView* first = s.View();
        s.AddChild(0, CRect(0, 130, 300, 250));
        CTextFileView* second = s.View();
        ::SetFocus(first->m_hWnd);
        s.m_main->MDIActivate(CWnd::FromHandle(::GetParent(first->m_hWnd)));
        UA::Pump();
        UA::DoubleClick(first->m_hWnd, s.At(1, 7, first));
        if (ovr) UA::PressKey(VK_INSERT);
        if (ro) s.m_doc.SetReadOnly(TRUE);
        UA::Pump();
        ASSERT_EQ("1:6-1:10", s.Selection()) << mode;
        POINT to = r.row ? s.At(r.row, r.col, first) : s.At(1, r.col, second);
        if (!r.row) ::MapWindowPoints(second->m_hWnd, first->m_hWnd, &to, 1);
        if (r.outside) to.x = 340;
        const std::string before = s.Text();
        UA::Drag(first->m_hWnd, s.At(1, 7, first), to, 6, r.copy ? UA::kControl : UA::kNone);
        UA::Pump();
        // The model: the word leaves its place on a move, and goes in where it is let go.
        std::vector<std::string> t = start;
        const bool onItself = r.row == 1 && r.col >= 6 && r.col <= 10;
        if (!ro && !r.outside && !onItself) {
          int line = r.row ? r.row : 1, col = r.col;
          if (!r.copy) {
            t[0].erase(6, 4);
            if (line == 1 && col > 10) col -= 4;
          }
          t[(size_t)line - 1].insert((size_t)col, "beta");
        }
        std::string want;
        for (const std::string& l : t) want += l + "|";
        EXPECT_EQ(want, s.Text()) << mode;
        EXPECT_EQ(0, s.PixelsOff()) << mode;
        if (want != before) {
          UA::PressKey('Z', UA::kControl);
          UA::Pump();
          EXPECT_EQ(before, s.Text()) << "undone: " << mode;
          EXPECT_EQ(0, s.PixelsOff()) << "undone: " << mode;
        }
        ++walked;
      }
  EXPECT_EQ(2 * 2 * 9, walked);

  // Held in the bottom scroll strip the view scrolls while the clock runs; then, for the second route,
  // in the top strip; held below the window, over no drop target, it stays. The word is let go on the
  // second row of what the view then shows.
  std::string text;
  for (int i = 1; i <= 40; ++i) text += (i == 1 ? std::string("alpha beta") : "line " + std::to_string(i)) + "\r\n";
  int bottomTop = 0;
  for (int route = 0; route < 3; ++route) {
    const bool top = route == 1, below = route == 2;
    const std::string mode =
        top ? "held at the bottom, then the top edge" : below ? "held below the window" : "held at the bottom edge";
    EditorScene s(2, text, CRect(0, 0, 300, 160));
    CTextFileView* v = s.View();
    UA::DoubleClick(v->m_hWnd, s.At(1, 7));
    ASSERT_EQ("1:6-1:10", s.Selection()) << mode;
    CRect rc;
    v->GetClientRect(&rc);
    const POINT bottom{rc.CenterPoint().x, below ? rc.bottom + 40 : rc.bottom - 3};
    const POINT upper{rc.CenterPoint().x, rc.top + 3};
    DragDropAutomation::SetDragHandler([&] {
      UA::MouseMove(v->m_hWnd, s.At(2, 2));
      for (int i = 0; i < 2; ++i) UA::MouseMove(v->m_hWnd, bottom);
      UA::AdvanceClock(1000, 25);
      if (top) {
        for (int i = 0; i < 2; ++i) UA::MouseMove(v->m_hWnd, upper);
        UA::AdvanceClock(300, 25);
      }
      UA::MouseMove(v->m_hWnd, s.At(2, 2));
      POINT up = s.At(2, 2);  // told in the coordinates of the window holding the capture
      ::MapWindowPoints(v->m_hWnd, ::GetCapture(), &up, 1);
      PostMouseInput(::GetCapture(), WM_LBUTTONUP, 0, up);
    });
    UA::MouseMove(v->m_hWnd, s.At(1, 7));
    PostMouseInput(v->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, s.At(1, 7));
    UA::Pump();
    DragDropAutomation::SetDragHandler(nullptr);
    const int topLine = v->GetEdit()->LineNumber(v->m_pTopLine);
    if (route == 0) bottomTop = topLine;
    EXPECT_EQ(below, topLine == 1) << mode;
    if (top) {
      EXPECT_LT(topLine, bottomTop) << mode;
    }
    // The word leaves line 1 and goes in at column 2 of the second row shown.
    std::string want = "alpha |";
    for (int i = 2; i <= 40; ++i) {
      std::string l = "line " + std::to_string(i);
      if (i == topLine + 1) l.insert(2, "beta");
      want += l + "|";
    }
    EXPECT_EQ(want, s.Text()) << mode;
    EXPECT_EQ(std::to_string(topLine + 1) + ":2", s.Caret()) << mode;
    EXPECT_EQ("none", s.Selection()) << mode;
    EXPECT_EQ(0, s.PixelsOff()) << mode;
  }
}
