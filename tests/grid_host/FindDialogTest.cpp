// The find and replace dialog driven through its own buttons, in the child-window grid and in the grid view.
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXOperationProgress.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"

#include "tests/support/ViewFrame.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

int g_paints = 0;  // paints of the grid in either host
std::function<void(ROWCOL)> g_composed;  // a cell of column 1 composed: time passes, keys arrive

std::vector<std::string> g_notFound;  // the texts the view was told were not found

class CFindView : public CGXGridView {
  DECLARE_DYNCREATE(CFindView)
  void OnTextNotFound(LPCTSTR pszFind) override {
    g_notFound.push_back(pszFind ? pszFind : "(none)");
    CGXGridView::OnTextNotFound(pszFind);
  }
  void OnGridDraw(CDC* pDC) override {
    ++g_paints;
    CGXGridView::OnGridDraw(pDC);
  }
  void ComposeStyleRowCol(ROWCOL r, ROWCOL c, CGXStyle* style, BOOL standard) override {
    if (g_composed && c == 1) g_composed(r);
    CGXGridView::ComposeStyleRowCol(r, c, style, standard);
  }
};
IMPLEMENT_DYNCREATE(CFindView, CGXGridView)

class CFindWnd : public ZAZAzedAze {
  void OnGridDraw(CDC* pDC) override {
    ++g_paints;
    ZAZAzedAze::OnGridDraw(pDC);
  }
  void ComposeStyleRowCol(ROWCOL r, ROWCOL c, CGXStyle* style, BOOL standard) override {
    if (g_composed && c == 1) g_composed(r);
    ZAZAzedAze::ComposeStyleRowCol(r, c, style, standard);
  }
};

class CFindDoc : public CDocument {};

class FindDialog : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    // The process remembers the last search, its case and direction among it: each test starts afresh.
    GXGetFindReplaceState() = GXFindReplaceState();
    if (GetParam()) {
      doc = new CFindDoc;
      doc->m_bAutoDelete = FALSE;
      frame = new CFrameWnd;
      ASSERT_TRUE(OpenViewFrame(*frame, RUNTIME_CLASS(CFindView), doc, CRect(0, 0, 400, 300)));
      auto* view = static_cast<CFindView*>(frame->GetActiveView());
      ASSERT_TRUE(view && view->IsInitialized());
      grid = view;
    } else {
      parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0);
      ASSERT_TRUE(wnd.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                             CRect(0, 0, 400, 300), &parent, 3));
      ASSERT_TRUE(wnd.Initialize());
      grid = &wnd;
    }
    grid->SetRowCount(5);
    grid->SetColCount(2);
    const char* values[] = {"abc", "x", "abc", "ABC", "zabc"};
    for (ROWCOL r = 1; r <= 5; ++r) grid->SetRangeValueText(CGXRange().SetCellRange(r, 1, r, 1), values[r - 1]);
    grid->GetParam()->EmptyUndoList();
  }
  void TearDown() override {  // the open dialog goes with the grid's window
    if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
    if (wnd.m_hWnd) wnd.DestroyWindow();
    if (parent.m_hWnd) parent.DestroyWindow();
    UiAutomation::Pump();
    delete doc;
    Automation::Instance().Reset();
  }
  std::vector<std::string> Column() {
    std::vector<std::string> out;
    for (ROWCOL r = 1; r <= 5; ++r) out.push_back(grid->GetValueRowCol(r, 1).str());
    return out;
  }
  // Through the view's menu command in the view host, else the grid's own call.
  CFindReplaceDialog* OpenDialog(BOOL find) {
    if (GetParam())
      grid->m_pGridWnd->SendMessage(WM_COMMAND, find ? ID_EDIT_FIND : ID_EDIT_REPLACE);
    else
      grid->OnShowFindReplaceDialog(find);
    UiAutomation::Pump();
    return GXGetFindReplaceState().pDialog;
  }
  ROWCOL CurrentRow() {
    ROWCOL r = 0, c = 0;
    grid->GetCurrentCell(r, c);
    return r;
  }

  CFindDoc* doc = nullptr;
  CFrameWnd* frame = nullptr;
  CWnd parent;
  CFindWnd wnd;
  CGXGridCore* grid = nullptr;
};

TEST_P(FindDialog, ItsButtonsFindReplaceAndReplaceAll) {
  ASSERT_TRUE(grid->SetCurrentCell(1, 1));
  CFindReplaceDialog* dlg = OpenDialog(FALSE);
  ASSERT_NE(dlg, nullptr);
  DialogAutomation::TypeInto(dlg, edt1, "abc");
  DialogAutomation::TypeInto(dlg, edt2, "xyz");
  // Find Next passes over the current cell and selects the match in the next one; a second press
  // (which takes the focus from that cell's editor) goes on from there.
  DialogAutomation::ClickControl(dlg, IDOK);
  EXPECT_EQ(CurrentRow(), 3u);
  EXPECT_TRUE(grid->GetCurrentCellControl()->IsActive());
  DialogAutomation::ClickControl(dlg, IDOK);
  EXPECT_EQ(CurrentRow(), 4u);
  DialogAutomation::ClickControl(dlg, psh1);  // Replace: this cell, then on to the next match
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyz", "zabc"}));
  EXPECT_EQ(CurrentRow(), 5u);
  ASSERT_TRUE(grid->SetCurrentCell(2, 1));
  dlg->GetDlgItem(psh2)->SetFocus();  // the grid repaints its current cell on losing the focus
  UiAutomation::Pump();
  g_paints = 0;
  DialogAutomation::ClickControl(dlg, psh2);  // Replace All: from the current row down
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "xyz", "xyz", "zxyz"}));
  EXPECT_EQ(g_paints, 1);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid->m_pGridWnd->m_hWnd));
  // Replace All is one undo step, over scattered and adjacent cells alike.
  ASSERT_TRUE(grid->Undo());
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyz", "zabc"}));
  DialogAutomation::TypeInto(dlg, edt1, "z");
  DialogAutomation::TypeInto(dlg, edt2, "Z");
  DialogAutomation::ClickControl(dlg, psh2);
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyZ", "Zabc"}));
  ASSERT_TRUE(grid->Undo());
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "xyz", "zabc"}));
  ASSERT_TRUE(grid->Undo());  // the Replace before them
  EXPECT_EQ(Column(), (std::vector<std::string>{"abc", "x", "abc", "ABC", "zabc"}));
}

// Find Next again (the frame's Repeat command) after a miss tells of the text not found once.
TEST_P(FindDialog, RepeatingAMissTellsOfItOnce) {
  if (!GetParam()) GTEST_SKIP() << "the command goes to a view";
  ASSERT_TRUE(grid->SetCurrentCell(1, 1));
  CFindReplaceDialog* dlg = OpenDialog(TRUE);
  ASSERT_NE(dlg, nullptr);
  DialogAutomation::TypeInto(dlg, edt1, "qq");
  DialogAutomation::ClickControl(dlg, IDOK);
  DialogAutomation::ClickControl(dlg, IDCANCEL);
  g_notFound.clear();
  Automation::Instance().ClearBeeps();
  frame->SendMessage(WM_COMMAND, ID_EDIT_REPEAT);
  UiAutomation::Pump();
  EXPECT_EQ(g_notFound, std::vector<std::string>{"qq"});
  EXPECT_EQ(Automation::Instance().Beeps().size(), 1u);
}

// Replace takes only the match it found and selected, in a cell being edited or not; Replace All
// takes an edit not stored yet. A click in the dialog takes the focus from the cell, which ends its
// edit; a button invoked through the automation interface leaves the cell as it is.
TEST_P(FindDialog, ReplaceTakesOnlyTheSelectedMatch) {
  const char* values[] = {"abc1", "x", "abc3", "abc4 abc", "zz"};
  for (ROWCOL r = 1; r <= 5; ++r) grid->SetRangeValueText(CGXRange().SetCellRange(r, 1, r, 1), values[r - 1]);
  ASSERT_TRUE(grid->SetCurrentCell(1, 1));
  grid->OnShowFindReplaceDialog(FALSE);
  CFindReplaceDialog* dlg = GXGetFindReplaceState().pDialog;
  ASSERT_NE(dlg, nullptr);
  DialogAutomation::TypeInto(dlg, edt1, "abc");
  enum How { Click, Invoke, ToRow1 };
  using Texts = std::vector<std::string>;
  struct Press {
    How how;
    int button;
    const char* replace;
    bool editing;  // the cell is being edited when the button goes down
    Texts shown;
    ROWCOL row;
    size_t beeps;
  } presses[] = {
      {Click, IDOK, "Y", false, {"abc1", "x", "abc3", "abc4 abc", "zz"}, 3, 0},  // the current cell is passed over
      {Invoke, psh1, "Y", true, {"abc1", "x", "Y3", "abc4 abc", "zz"}, 4, 0},
      {Invoke, psh1, "Y", true, {"abc1", "x", "Y3", "Y4 abc", "zz"}, 4, 0},  // the cell's next match is selected
      {Invoke, psh2, "Z", true, {"abc1", "x", "Y3", "Y4 Z", "zz"}, 4, 0},    // from the typed text's selection on
      {Click, psh1, "Y", false, {"abc1", "x", "Y3", "Y4 Z", "zz"}, 4, 1},
      {ToRow1, 0, "Y", false, {"abc1", "x", "Y3", "Y4 Z", "zz"}, 1, 1},
      {Click, psh1, "Y", false, {"Y1", "x", "Y3", "Y4 Z", "zz"}, 1, 2},  // not edited: only the match goes
      {Click, psh1, "Y", false, {"Y1", "x", "Y3", "Y4 Z", "zz"}, 1, 3},
  };
  Automation::Instance().ClearBeeps();
  for (const Press& p : presses) {
    const size_t step = (size_t)(&p - presses);
    if (p.how == Click) {
      DialogAutomation::TypeInto(dlg, edt2, p.replace);
      EXPECT_EQ(grid->GetCurrentCellControl()->IsActive(), p.editing) << "press " << step;
      DialogAutomation::ClickControl(dlg, p.button);
    } else if (p.how == Invoke) {
      dlg->SetDlgItemText(edt2, p.replace);
      EXPECT_EQ(grid->GetCurrentCellControl()->IsActive(), p.editing) << "press " << step;
      dlg->SendMessage(WM_COMMAND, MAKEWPARAM(p.button, BN_CLICKED), (LPARAM)dlg->GetDlgItem(p.button)->m_hWnd);
    } else {
      ASSERT_TRUE(grid->SetCurrentCell(1, 1));
    }
    UiAutomation::Pump();
    Texts shown;
    for (ROWCOL r = 1; r <= 5; ++r) {
      CString text = grid->GetValueRowCol(r, 1);
      if (r == CurrentRow()) grid->GetCurrentCellControl()->GetCurrentText(text);
      shown.push_back(text.str());
    }
    EXPECT_EQ(shown, p.shown) << "press " << step;
    EXPECT_EQ(CurrentRow(), p.row) << "press " << step;
    EXPECT_EQ(Automation::Instance().Beeps().size(), p.beeps) << "press " << step;
  }
  ASSERT_TRUE(grid->SetCurrentCell(2, 1));
  EXPECT_EQ(Column(), (std::vector<std::string>{"Y1", "x", "Y3", "Y4 Z", "zz"}));
}

// The dialog opens on the current cell's selected text, the whole text of a cell at rest, else the
// last find text; without a current cell the first cell shown becomes current.
TEST_P(FindDialog, OpensOnTheSelectedText) {
  grid->SetRangeValueText(CGXRange().SetCellRange(3, 1, 3, 1), "");
  const struct {
    ROWCOL row;  // 0: no current cell
    int selected;  // characters selected from the end with the cell being edited, 0: at rest
    const char* text;
  } cases[] = {{0, 0, "abc"}, {2, 0, "x"}, {5, 3, "abc"}, {3, 0, "last"}};
  for (const auto& c : cases) {
    GXGetFindReplaceState().strFind = "last";
    if (c.row)
      ASSERT_TRUE(grid->SetCurrentCell(c.row, 1));
    else
      ASSERT_FALSE(grid->IsCurrentCell());  // the first case starts on a fresh grid
    UiAutomation::Pump();
    if (c.selected) UiAutomation::PressKey(VK_END);
    for (int i = 0; i < c.selected; ++i) UiAutomation::PressKey(VK_LEFT, UiAutomation::kShift);
    CFindReplaceDialog* dlg = OpenDialog(TRUE);
    ASSERT_NE(dlg, nullptr);
    CString text;
    dlg->GetDlgItemText(edt1, text);
    EXPECT_EQ(text, c.text) << c.row;
    EXPECT_EQ(CurrentRow(), c.row ? c.row : 1u);
    EXPECT_EQ(GXGetFindReplaceState().strFind, "last");  // opening keeps the last find text
    dlg->SendMessage(WM_CLOSE);
    UiAutomation::Pump();
  }
}

// The status lines the progress of long operations shows in the main window.
class CStatusLines : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == 0x362) lines.emplace_back(reinterpret_cast<const char*>(lParam));
    return CWnd::WindowProc(message, wParam, lParam);
  }
  std::vector<std::string> lines;
};

// Replace All shows its progress; Esc asks whether to abort: Retry takes back what was replaced,
// Abort keeps it as one undo step, Ignore goes on to the end.
TEST_P(FindDialog, EscDuringReplaceAllAsks) {
  struct VirtualTime {
    VirtualTime() { Clock::UseVirtualTime(); }
    ~VirtualTime() {
      Clock::UseRealTime();
      GXGetProgressSettings().bMainWndFound = FALSE;
    }
  } time;
  CStatusLines status;
  ASSERT_TRUE(status.CreateEx(0, AfxRegisterWndClass(0), "main", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
  GXGetProgressSettings().hMainWnd = status.m_hWnd;
  GXGetProgressSettings().bMainWndFound = TRUE;
  const ROWCOL rows = 400;
  grid->SetRowCount(rows);
  grid->OnShowFindReplaceDialog(FALSE);
  CFindReplaceDialog* dlg = GXGetFindReplaceState().pDialog;
  ASSERT_NE(dlg, nullptr);
  DialogAutomation::TypeInto(dlg, edt1, "b");
  DialogAutomation::TypeInto(dlg, edt2, "-");
  const struct {
    int answer;
    bool some, all;  // rows replaced afterwards
  } cases[] = {{IDRETRY, false, false}, {IDABORT, true, false}, {IDIGNORE, true, true}};
  for (const auto& c : cases) {
    for (ROWCOL r = 1; r <= rows; ++r) grid->GetParam()->GetData()->StoreStyleAt(r, 1, &CGXStyle().SetValue("abc"), 0, 0);
    grid->GetParam()->EmptyUndoList();
    ASSERT_TRUE(grid->SetCurrentCell(1, 1));
    Automation::Instance().ClearMessageBoxes();
    Automation::Instance().PushMessageBoxAnswer(c.answer);
    bool pressed = false;
    g_composed = [&](ROWCOL r) {  // each cell takes 5 ms; Esc comes at row 100
      Clock::Advance(5);
      if (r == 100 && !pressed) pressed = PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
    };
    DialogAutomation::ClickControl(dlg, psh2);
    g_composed = nullptr;
    const auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << c.answer;
    EXPECT_EQ(boxes[0].text, "Do you want to abort the operation?");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, (UINT)MB_ABORTRETRYIGNORE);
    ASSERT_GE(status.lines.size(), 2u);
    EXPECT_EQ(status.lines[0], "Replacing values ...  37%.    Press ESC to cancel");  // at 750 ms, row 150
    EXPECT_EQ(status.lines.back(), "Done.");
    status.lines.clear();
    ROWCOL replaced = 0;
    while (replaced < rows && grid->GetValueRowCol(replaced + 1, 1) == "a-c") ++replaced;
    for (ROWCOL r = replaced + 1; r <= rows; ++r) ASSERT_EQ(grid->GetValueRowCol(r, 1), "abc") << r;
    EXPECT_EQ(replaced > 0, c.some) << c.answer;
    EXPECT_EQ(replaced == rows, c.all) << c.answer;
    if (c.some) {
      ASSERT_TRUE(grid->Undo());
      EXPECT_EQ(grid->GetValueRowCol(1, 1), "abc");
      EXPECT_EQ(grid->GetValueRowCol(replaced, 1), "abc");
    }
    EXPECT_FALSE(grid->CanUndo()) << c.answer;
  }
  status.DestroyWindow();
}

// The cells' texts as a user sees them, the current cell and its edit, against what the dialog's
// buttons should make of them.
struct FindModel {
  std::vector<std::string> vals;  // [0] unused
  ROWCOL cur = 1;
  bool active = false, modified = false, focusInGrid = false;
  std::string edit;
  int s = 0, e = 0;
  size_t beeps = 0;

  static size_t Find(const std::string& text, const std::string& what, size_t from, bool matchCase) {
    auto fold = [&](std::string t) {
      if (!matchCase)
        for (char& c : t) c = (char)toupper((unsigned char)c);
      return t;
    };
    return from > text.size() ? std::string::npos : fold(text).find(fold(what), from);
  }
  void Deactivate() {
    if (active && modified) vals[cur] = edit;
    active = modified = false;
  }
  void Select(size_t hit, size_t n) { s = (int)hit, e = (int)(hit + n); }
  bool FindInRows(const std::string& what, bool down, bool matchCase) {
    for (ROWCOL r = down ? cur + 1 : cur - 1; r >= 1 && r < vals.size(); r = down ? r + 1 : r - 1) {
      const size_t hit = Find(vals[r], what, 0, matchCase);
      if (hit == std::string::npos) continue;
      Deactivate();
      cur = r, active = true, edit = vals[r], focusInGrid = true;
      Select(hit, what.size());
      return true;
    }
    return false;
  }
  void FindNext(const std::string& what, bool down, bool matchCase) {
    const size_t hit = active ? Find(edit, what, (size_t)s + 1, matchCase) : std::string::npos;
    if (hit != std::string::npos)
      Select(hit, what.size());
    else if (!FindInRows(what, down, matchCase))
      ++beeps;
  }
  void Replace(const std::string& what, const std::string& with, bool matchCase) {
    size_t hit = Find(active ? edit : vals[cur], what, active ? (size_t)std::min(s, e) : 0, matchCase);
    bool found = false;
    if (hit != std::string::npos) {
      if (!active) active = focusInGrid = true, edit = vals[cur];  // made the current cell again
      edit.replace(hit, what.size(), with);
      modified = true;
      const size_t caret = hit + with.size();
      Select(caret, 0);
      if ((hit = Find(edit, what, caret, matchCase)) != std::string::npos) Select(hit, what.size()), found = true;
    }
    if (!found && !FindInRows(what, true, matchCase)) ++beeps;
  }
  void ReplaceAll(const std::string& what, const std::string& with, bool matchCase) {
    bool any = false;
    for (ROWCOL r = cur; r < vals.size(); ++r) {
      const bool editing = r == cur && active;
      std::string text = editing ? edit : vals[r];
      size_t from = editing ? (size_t)std::min(s, e) : 0, hit;
      bool here = false;
      while ((hit = Find(text, what, from, matchCase)) != std::string::npos) {
        text.replace(hit, what.size(), with);
        from = hit + with.size();
        here = true;
      }
      if (!here) continue;
      any = true;
      vals[r] = text;
      if (editing) edit = text, modified = false, s = e = 0;  // the edit shows the stored value
    }
    if (!any) ++beeps;
  }
};

// A press of one of the dialog's buttons (or another step), with the dialog's fields set before it.
struct FindStep {
  char op;  // 'F' Find Next, 'R' Replace, 'A' Replace All, 'f'/'r' open the find or replace dialog, 'T' to row
  bool click;  // clicked: the focus goes to the dialog; else invoked through the automation interface
  const char* what;
  const char* with;
  bool matchCase, down;
  ROWCOL row;
};

class FindSequence {
 public:
  FindSequence(CGXGridCore* g, bool view) : grid(g), inView(view) {}
  void Start(const std::vector<std::string>& texts) {
    others = texts;
    m.vals = {""};
    for (ROWCOL r = 1; r <= 5; ++r) {
      m.vals.push_back(texts[r - 1]);
      grid->SetRangeValueText(CGXRange().SetCellRange(r, 1, r, 1), texts[r - 1].c_str());
      grid->SetRangeValueText(CGXRange().SetCellRange(r, 2, r, 2), texts[r - 1].c_str());
    }
    grid->SetCurrentCell(1, 1);
    UiAutomation::Pump();
    m.focusInGrid = true;
    Automation::Instance().ClearBeeps();
    Open(false);
  }
  // Runs the step on the grid and on the model; what differs, empty when nothing.
  std::string Run(const FindStep& st) {
    if (st.op == 'f' || st.op == 'r') {
      Open(st.op == 'f');
    } else if (st.op == 'T') {
      if (st.row != m.cur) {
        grid->SetCurrentCell(st.row, 1);
        m.Deactivate();
        m.cur = st.row, m.focusInGrid = true;
      }
    } else {
      CFindReplaceDialog* dlg = GXGetFindReplaceState().pDialog;
      const int button = st.op == 'F' ? IDOK : st.op == 'R' ? psh1 : psh2;
      if (!dlg || !dlg->GetDlgItem(button) || !dlg->GetDlgItem(button)->IsWindowVisible()) return "";
      const bool down = !findOnly || st.down;
      dlg->SetDlgItemText(edt1, st.what);
      if (!findOnly) dlg->SetDlgItemText(edt2, st.with);
      dlg->CheckDlgButton(chx2, st.matchCase);
      if (findOnly) dlg->CheckRadioButton(rad1, rad2, st.down ? rad2 : rad1);
      if (st.click) {
        DialogAutomation::ClickControl(dlg, button);
        if (m.focusInGrid) m.Deactivate();
        m.focusInGrid = false;
      } else {
        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)dlg->GetDlgItem(button)->m_hWnd);
      }
      if (st.op == 'F') m.FindNext(st.what, down, st.matchCase);
      if (st.op == 'R') m.Replace(st.what, st.with, st.matchCase);
      if (st.op == 'A') m.ReplaceAll(st.what, st.with, st.matchCase);
    }
    UiAutomation::Pump();
    return Differences();
  }

 private:
  void Open(bool find) {
    if (inView)
      grid->m_pGridWnd->SendMessage(WM_COMMAND, find ? ID_EDIT_FIND : ID_EDIT_REPLACE);
    else
      grid->OnShowFindReplaceDialog(find);
    UiAutomation::Pump();
    // The closed dialog of the other kind leaves the focus to the grid on its way.
    if (m.focusInGrid || find != findOnly) m.Deactivate();
    findOnly = find;
    m.focusInGrid = false;
  }
  std::string Differences() {
    std::string out;
    CGXControl* control = grid->GetCurrentCellControl();
    ROWCOL row = 0, col = 0;
    grid->GetCurrentCell(row, col);
    if (row != m.cur) out += " row " + std::to_string(row) + " not " + std::to_string(m.cur);
    if (!control) return out + " no control";
    if ((control->IsActive() != FALSE) != m.active) out += " editing differs";
    for (ROWCOL r = 1; r <= 5; ++r) {
      CString text = grid->GetValueRowCol(r, 1);
      if (r == row) control->GetCurrentText(text);
      const std::string want = r == m.cur && m.active ? m.edit : m.vals[r];
      if (text.str() != want) out += " cell " + std::to_string(r) + " '" + text.str() + "' not '" + want + "'";
      if (grid->GetValueRowCol(r, 2).str() != others[r - 1]) out += " column 2 changed";
    }
    int s = 0, e = 0;
    if (auto* edit = dynamic_cast<CGXEditControl*>(control); m.active && edit) edit->GetSel(s, e);
    if (m.active && (s != m.s || e != m.e))
      out += " selection " + std::to_string(s) + "-" + std::to_string(e) + " not " + std::to_string(m.s) + "-" +
             std::to_string(m.e);
    if (Automation::Instance().Beeps().size() != m.beeps) out += " beeps";
    return out;
  }

  CGXGridCore* grid;
  bool inView, findOnly = false;
  FindModel m;
  std::vector<std::string> others;  // column 2, never searched
};

// Find Next, Replace and Replace All in any order, clicked or invoked, with case, direction, and
// cells edited or not, against the model; the search never wraps.
TEST_P(FindDialog, RandomPressesFollowTheModel) {
  const std::vector<std::string> start = {"abAB", "b", "", "aab ab", "BA"};
  struct Kept {
    const char* why;
    std::vector<FindStep> steps;
  };
  std::vector<Kept> kept = {
      {"the whole value went", {{'R', true, "ba", "", false, false, 2}}},
      {"the selected match stayed", {{'F', true, "ba", "", false, true, 1}, {'R', false, "ba", "x", false, true, 1}}},
  };
  std::mt19937 rng(2026);
  const char* whats[] = {"a", "b", "ab", "AB", "ba", "aa", "x"};
  const char* withs[] = {"", "x", "ab", "A", "abab"};
  const char ops[] = "FFFRRRAfrTT";
  for (int n = 0; n < 20; ++n) {
    Kept k{"random", {}};
    for (int i = 0; i < 40; ++i)
      k.steps.push_back({ops[rng() % (sizeof ops - 1)], rng() % 2 == 0, whats[rng() % 7], withs[rng() % 5],
                         rng() % 3 == 0, rng() % 3 != 0, (ROWCOL)(1 + rng() % 5)});
    kept.push_back(k);
  }
  for (const Kept& k : kept) {
    FindSequence seq(grid, GetParam());
    seq.Start(start);
    for (size_t i = 0; i < k.steps.size(); ++i) {
      const FindStep& st = k.steps[i];
      ASSERT_EQ(seq.Run(st), "") << k.why << " step " << i << " " << st.op << (st.click ? " click" : " invoke")
                                 << " '" << st.what << "'>'" << st.with << "' case " << st.matchCase << " down "
                                 << st.down << " row " << st.row;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothHosts, FindDialog, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "View" : "Window"; });

}  // namespace

// Replace All passes over a read-only cell, which refuses typing and a single Replace alike.
TEST_P(FindDialog, ReplaceAllLeavesAReadOnlyCell) {
  CGXStyle locked;
  locked.SetReadOnly(TRUE);
  grid->GetParam()->GetData()->StoreStyleAt(3, 1, &locked, 0, 0);
  ASSERT_TRUE(grid->SetCurrentCell(1, 1));
  CFindReplaceDialog* dlg = OpenDialog(FALSE);
  ASSERT_NE(dlg, nullptr);
  DialogAutomation::TypeInto(dlg, edt1, "abc");
  DialogAutomation::TypeInto(dlg, edt2, "xyz");
  DialogAutomation::ClickControl(dlg, psh2);
  EXPECT_EQ(Column(), (std::vector<std::string>{"xyz", "x", "abc", "xyz", "zxyz"}));
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid->m_pGridWnd->m_hWnd));
}

// Every route to each of the dialog's buttons, after typing into its edits: a click, the mnemonic
// (Alt+letter), Tab onto the button and Space or Enter, Enter with the focus on an edit or a check
// box (the default button), Escape from each kind of control. Each leaves the cells, the current
// cell, the dialog and the focus as the click does.
TEST_P(FindDialog, EveryRouteToAButtonDoesWhatItsClickDoes) {
  using UiAutomation::kAlt;
  using UiAutomation::kShift;
  CFindReplaceDialog* dlg = nullptr;
  auto focusOn = [&](int id) { return [&, id] { dlg->GetDlgItem(id)->SetFocus(), UiAutomation::Pump(); }; };
  auto key = [](UINT vk, UINT mods = 0) { return [=] { UiAutomation::PressKey(vk, mods); }; };
  auto tabs = [](int n) { return [=] { for (int i = 0; i < n; ++i) UiAutomation::PressKey(VK_TAB); }; };
  using Act = std::function<void()>;
  const struct {
    int button;
    std::vector<std::pair<const char*, std::vector<Act>>> routes;
  } buttons[] = {
      {IDOK, {{"Alt+F", {key('F', kAlt)}},
              {"Enter in the find edit", {focusOn(edt1), key(VK_RETURN)}},
              {"Enter in the replace edit", {key(VK_RETURN)}},
              {"Enter on a check box", {tabs(1), key(VK_RETURN)}},
              {"Space on it", {focusOn(IDOK), key(VK_SPACE)}},
              {"Enter on it", {focusOn(IDOK), key(VK_RETURN)}}}},
      {psh1, {{"Alt+R", {key('R', kAlt)}},
              {"Space on it", {focusOn(psh1), key(VK_SPACE)}},
              {"Enter on it", {focusOn(psh1), key(VK_RETURN)}}}},
      {psh2, {{"Alt+A", {key('A', kAlt)}},
              {"Space on it", {focusOn(psh2), key(VK_SPACE)}},
              {"Enter on it", {focusOn(psh2), key(VK_RETURN)}}}},
      {IDCANCEL, {{"Escape in an edit", {key(VK_ESCAPE)}},
                  {"Escape on a check box", {tabs(1), key(VK_ESCAPE)}},
                  {"Escape on a button", {focusOn(psh1), key(VK_ESCAPE)}},
                  {"Space on it", {focusOn(IDCANCEL), key(VK_SPACE)}}}},
  };
  // The dialog opened anew over the same cells, "abc" and "xyz" typed; the focus stays in the
  // replace edit (Tab from there: the check boxes, the radio group when shown, then the buttons).
  auto start = [&] {
    if (GXGetFindReplaceState().pDialog) GXGetFindReplaceState().pDialog->SendMessage(WM_CLOSE), UiAutomation::Pump();
    const char* values[] = {"abc", "x", "abc", "ABC", "zabc"};
    for (ROWCOL r = 1; r <= 5; ++r) grid->GetParam()->GetData()->StoreStyleAt(r, 1, &CGXStyle().SetValue(values[r - 1]), 0, 0);
    grid->Redraw();
    grid->SetCurrentCell(1, 1);
    dlg = OpenDialog(FALSE);
    DialogAutomation::TypeInto(dlg, edt1, "abc");
    DialogAutomation::TypeInto(dlg, edt2, "xyz");
  };
  auto state = [&] {
    std::string out;
    for (const std::string& v : Column()) out += v + ",";
    const HWND focus = ::GetFocus();
    CFindReplaceDialog* open = GXGetFindReplaceState().pDialog;
    return out + " row " + std::to_string(CurrentRow()) + (open ? " open" : " closed") +
           (open && ::IsChild(open->m_hWnd, focus) ? " focus in the dialog" : "");
  };
  // Tab and Shift+Tab walk the enabled controls in order (whole words are not offered); the
  // mnemonics of the labels and of the check box reach theirs.
  start();
  auto walk = [&](UINT mods) {
    std::vector<int> ids;
    for (int i = 0; i < 8; ++i) UiAutomation::PressKey(VK_TAB, mods), ids.push_back(::GetDlgCtrlID(::GetFocus()));
    return ids;
  };
  EXPECT_EQ(walk(0), (std::vector<int>{chx2, IDOK, psh1, psh2, IDCANCEL, edt1, edt2, chx2}));
  EXPECT_EQ(walk(kShift), (std::vector<int>{edt2, edt1, IDCANCEL, psh2, psh1, IDOK, chx2, edt2}));
  UiAutomation::PressKey('N', kAlt);
  EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), edt1);
  UiAutomation::PressKey('P', kAlt);
  EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), edt2);
  UiAutomation::PressKey('C', kAlt);
  EXPECT_EQ(dlg->IsDlgButtonChecked(chx2), 1u);
  for (const auto& b : buttons) {
    start();
    DialogAutomation::ClickControl(dlg, b.button);
    const std::string clicked = state();
    for (const auto& [name, acts] : b.routes) {
      start();
      for (const Act& a : acts) a();
      EXPECT_EQ(clicked, state()) << name;
    }
  }
}

// The find-only dialog's direction: Up chosen by a click, by its mnemonic after typing, or by an
// arrow in the radio group, then Find Next clicked, searches up alike.
TEST_P(FindDialog, EveryRouteToUpSearchesUp) {
  using UiAutomation::kAlt;
  const struct {
    const char* name;
    std::function<void(CFindReplaceDialog*)> choose;
  } routes[] = {
      {"a click", [](CFindReplaceDialog* d) { DialogAutomation::ClickControl(d, rad1); }},
      {"Alt+U", [](CFindReplaceDialog*) { UiAutomation::PressKey('U', kAlt); }},
      {"Up in the group", [](CFindReplaceDialog* d) {
         d->GetDlgItem(rad2)->SetFocus();
         UiAutomation::PressKey(VK_UP);
       }},
  };
  for (const auto& r : routes) {
    if (CFindReplaceDialog* open = GXGetFindReplaceState().pDialog) open->SendMessage(WM_CLOSE), UiAutomation::Pump();
    GXGetFindReplaceState() = GXFindReplaceState();
    ASSERT_TRUE(grid->SetCurrentCell(4, 1));
    CFindReplaceDialog* dlg = OpenDialog(TRUE);
    ASSERT_NE(dlg, nullptr);
    DialogAutomation::TypeInto(dlg, edt1, "abc");
    r.choose(dlg);
    EXPECT_EQ(dlg->IsDlgButtonChecked(rad1), 1u) << r.name;
    DialogAutomation::ClickControl(dlg, IDOK);
    EXPECT_EQ(CurrentRow(), 3u) << r.name;
  }
}
