#include "EditCoreTestUtil.h"
#include "editor/documents/ConversationEditCtrl.h"
#include "editor/view/SECEditView.h"
#include "platform/core/Automation.h"
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"
#include "tests/support/PostedGestures.h"

#include <gtest/gtest.h>

#include <thread>

namespace UA = UiAutomation;

namespace {

// A parent with a placeholder control 14000 between two others, recording the commands it gets.
class CParentWnd : public CWnd {
 public:
  std::vector<std::pair<UINT, UINT>> commands;  // (id, code)
  CWnd before, placeholder, after;
  bool Open() {
    if (!CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 400), nullptr, 0))
      return false;
    before.Create("Static", "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), this, 13999);
    placeholder.Create("Static", "", WS_CHILD | WS_VISIBLE, CRect(10, 20, 410, 220), this, 14000);
    after.Create("Static", "", WS_CHILD | WS_VISIBLE, CRect(0, 300, 10, 310), this, 14001);
    return true;
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return CWnd::OnCommand(wParam, lParam);
  }
};

// A dialog whose placeholder 14000 sits between an edit box and a button in the tab order.
constexpr UINT kTabDlg = 29990;
const DLGITEM_ENTRY kTabItems[] = {
    {"Edit", 1001, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 7, 7, 100, 12, ""},
    {"Static", 14000, WS_VISIBLE, 0, 7, 24, 150, 60, ""},
    {"Button", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 90, 50, 14, "OK"},
};
const DIALOG_RESOURCE kTabDialog = {WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 170, 110, "Tab", "MS Sans Serif", 8,
                                    kTabItems, 3, nullptr};
const RESOURCE_ENTRY kTabEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(kTabDlg), &kTabDialog, sizeof kTabDialog}};
const RESOURCE_TABLE kTabTable = {nullptr, 0, kTabEntries, 1};
CResourceTableRegistration g_tabTable(kTabTable);

class CTabDlg : public CDialog {
 public:
  CTabDlg() : CDialog(kTabDlg) {}
  SECEditCtrl m_edit;
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_edit.ReplaceDlgItem(14000, this, WS_EX_CLIENTEDGE);
    return TRUE;
  }
};

struct EditCtrl : ::testing::Test {
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    UA::Reset();
  }
  void TearDown() override { Clock::UseRealTime(); }
};

}  // namespace

TEST_F(EditCtrl, ReplacesThePlaceholderAndTellsTheParentAboutFocus) {
  CParentWnd parent;
  ASSERT_TRUE(parent.Open());
  SECEditCtrl missing;
  EXPECT_FALSE(missing.ReplaceDlgItem(15000, &parent, 0));
  EXPECT_EQ(missing.GetSafeHwnd(), nullptr);
  SECEditCtrl ctrl;
  ASSERT_TRUE(ctrl.ReplaceDlgItem(14000, &parent, WS_EX_CLIENTEDGE));
  EXPECT_EQ(parent.GetDlgItem(14000), &ctrl);
  CRect rc;
  ctrl.GetWindowRect(&rc);
  parent.ScreenToClient(&rc);
  EXPECT_EQ(rc, CRect(10, 20, 410, 220));
  EXPECT_EQ(::GetWindow(ctrl.m_hWnd, GW_HWNDNEXT), parent.after.m_hWnd);
  EXPECT_TRUE(ctrl.GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_EQ(ctrl.SendMessage(WM_GETDLGCODE), 4);
  ctrl.SetFocus();
  parent.before.SetFocus();
  UA::Pump();
  EXPECT_EQ(parent.commands, (std::vector<std::pair<UINT, UINT>>{{14000, 0x100}, {14000, 0x200}}));
}

TEST_F(EditCtrl, TabAndEnterInADialogReachTheEditor) {
  CTabDlg dlg;
  DialogAutomation::AddDialogHandler(kTabDlg, [&](CWnd* d) {
    EXPECT_EQ(::GetDlgItem(d->m_hWnd, 1001), ::GetFocus());
    UA::PressKey(VK_TAB);  // from the edit box into the editor
    EXPECT_EQ(dlg.m_edit.m_hWnd, ::GetFocus());
    UA::PressKey(VK_TAB);  // typed into the editor, which keeps the focus
    UA::PressKey(VK_RETURN);  // a new line, not the default button
    UA::TypeText("x");
    EXPECT_EQ(dlg.m_edit.m_hWnd, ::GetFocus());
    EXPECT_EQ(AllText(*dlg.m_edit.GetEdit()), "\t\r\nx\r\n");
    UA::PressKey(VK_TAB, UA::kShift);  // back a tab stop in the editor
    UA::PressKey(VK_ESCAPE);            // the editor's, not the dialog's Cancel
    UA::TypeText("y");
    EXPECT_EQ(dlg.m_edit.m_hWnd, ::GetFocus());
    EXPECT_TRUE(::IsWindowVisible(d->m_hWnd));
    EXPECT_EQ(AllText(*dlg.m_edit.GetEdit()), "\t\r\nyx\r\n");
    d->SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(EditCtrl, BorderDragsScrollAfterTheDelayThenEachInterval) {
  CParentWnd parent;
  ASSERT_TRUE(parent.Open());
  SECEditCtrl ctrl;
  ASSERT_TRUE(ctrl.ReplaceDlgItem(14000, &parent, 0));
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line\r\n";
  SetText(*ctrl.GetEdit(), text);
  ctrl.InitView();
  SECEditCtrlOleDropTarget t;
  CRect client;
  ctrl.GetClientRect(&client);
  const CPoint border(100, client.bottom - 3), inside(100, 100);
  struct Step {
    ULONGLONG advance;
    DWORD keys;
    int top;
    DROPEFFECT want;
  } steps[] = {
      {0, 0, 1, DROPEFFECT_SCROLL | DROPEFFECT_MOVE},                         // enters the border
      {COleDropTarget::nScrollDelay, 0, 1, DROPEFFECT_SCROLL | DROPEFFECT_MOVE},  // not more than the delay yet
      {1, MK_CONTROL, 2, DROPEFFECT_SCROLL | DROPEFFECT_COPY},
      {COleDropTarget::nScrollInterval - 1, MK_CONTROL | MK_SHIFT, 2, DROPEFFECT_SCROLL | DROPEFFECT_LINK},
      {2, 0, 3, DROPEFFECT_SCROLL | DROPEFFECT_MOVE},
  };
  for (const Step& s : steps) {
    Clock::Advance(s.advance);
    EXPECT_EQ(t.OnDragScroll(&ctrl, s.keys, border), s.want) << s.top;
    EXPECT_EQ(ctrl.m_nTopLine, s.top);
  }
  // Back inside: the ordinary feedback resumes.
  EXPECT_EQ(t.OnDragScroll(&ctrl, 0, inside), (DROPEFFECT)DROPEFFECT_NONE);
  EXPECT_EQ(t.m_nScrollCode, 0xFFFFu);
  CWnd other;
  EXPECT_EQ(t.OnDragScroll(&other, 0, border), (DROPEFFECT)DROPEFFECT_NONE);
}

TEST_F(EditCtrl, ConversationLogAppendsClearsAndStaysReadOnly) {
  CParentWnd parent;
  ASSERT_TRUE(parent.Open());
  CConversationEditCtrl log;
  ASSERT_EQ(log.AttachToDlgItem(14000, &parent), 1);
  SECEdit* e = log.GetEdit();
  EXPECT_TRUE(e->GetWordWrap());
  EXPECT_TRUE(e->IsReadOnly());
  EXPECT_EQ(e->GetLineEndLength(), 1);
  EXPECT_EQ(log.m_nMargin, 0);
  log.AppendText("");
  EXPECT_EQ(e->m_nLineCount, 1);
  // Three lines go before the empty last line, which stays; the caret goes to the end.
  log.AppendText("one\ntwo\nthree");
  EXPECT_EQ(Lines(*e), (std::vector<std::string>{"one\n", "two\n", "three\n", ""}));
  EXPECT_EQ(log.m_nCurLine, 4);
  log.ClearEdit();
  EXPECT_EQ(Lines(*e), (std::vector<std::string>{""}));
  log.AppendText("a\nb\n");
  log.AppendText("c\n");
  EXPECT_EQ(Lines(*e), (std::vector<std::string>{"a\n", "b\n", "c\n", ""}));
  EXPECT_TRUE(NumberedInOrder(*e, 4));
  EXPECT_EQ(log.GetLogText(), "a\nb\nc\n");
  char buf[32];
  EXPECT_EQ(::GetWindowText(log.m_hWnd, buf, sizeof buf), 6);
  // Typing changes nothing.
  UA::Click(log.m_hWnd, POINT{20, 4});
  ASSERT_EQ(::GetFocus(), log.m_hWnd);
  UA::TypeText("xy");
  UA::Pump();
  EXPECT_EQ(log.GetLogText(), "a\nb\nc\n");
  // A bookmarked line shows on cyan, the others on white.
  e->GetLine(2)->dwFlags |= LINE_BOOKMARK;
  log.Invalidate();
  log.UpdateWindow();
  const int h = log.m_nLineHeight;
  CRect client;
  log.GetClientRect(&client);
  EXPECT_TRUE(AnyPixel(log.m_hWnd, CRect(60, h, client.right, 2 * h), [](COLORREF c) { return c == RGB(0, 255, 255); }));
  EXPECT_FALSE(AnyPixel(log.m_hWnd, CRect(60, 0, client.right, h), [](COLORREF c) { return c == RGB(0, 255, 255); }));
  EXPECT_TRUE(AnyPixel(log.m_hWnd, CRect(60, 0, client.right, h), [](COLORREF c) { return c == RGB(255, 255, 255); }));
}

TEST_F(EditCtrl, ALogOnAnotherThreadAndAnEditorHereKeepTheirOwnTextsAndUndo) {
  CTestEditWnd w;
  ASSERT_TRUE(w.Open("start\r\n"));
  std::thread other([] {
    CConversationEditCtrl log;
    for (int round = 0; round < 20; ++round) {
      for (int i = 0; i < 50; ++i) log.AppendText("message\n");
      EXPECT_EQ(log.GetEdit()->m_nLineCount, 51);
      EXPECT_EQ(log.GetEdit()->m_nUndoPos, 0);
      log.ClearEdit();
    }
    EXPECT_EQ(log.GetLogText(), "");
    // Undo groups opened here are this thread's own.
    SECEdit mine;
    SetText(mine, "x\r\n");
    for (int i = 0; i < 300; ++i) {
      SECEditPos p{mine.m_pLine, 0};
      mine.BeginUndoGroup(TRUE);
      mine.InsertChars(p, "ab", TRUE, TRUE);
      mine.InsertChars(p, "c", TRUE, TRUE);
      mine.BeginUndoGroup(FALSE);
    }
    for (int i = 0; i < 300; ++i) mine.Undo();
    EXPECT_EQ(AllText(mine), "x\r\n");
  });
  for (int i = 0; i < 300; ++i) {
    w.edit.BeginUndoGroup(TRUE);
    w.InsertChar('a' + i % 26, FALSE, TRUE);
    w.InsertChar('-', FALSE, TRUE);
    w.edit.BeginUndoGroup(FALSE);
  }
  other.join();
  EXPECT_EQ(w.edit.m_nUndoPos, 600);
  for (int i = 0; i < 300; ++i) w.OnEditUndo();  // each pair is one step
  EXPECT_EQ(AllText(w.edit), "start\r\n");
  EXPECT_EQ(w.edit.m_nUndoPos, 0);
}

// An editor view over a text of its own; it deletes itself with its window.
struct CMdiEditView : SECEditView {
  SECEdit text;
  SECEdit* GetEdit() override { return &text; }
};

// A right click, Shift+F10 and the Apps key open the editor's menu in each of its forms, and its
// Toggle Bookmark marks the caret line.
TEST_F(EditCtrl, ContextMenuKeysAndRightClickOpenTheMenuAndItsCommandWorks) {
  using G = dravonix::test::Gesture;
  enum Kind { kMdiView, kControl, kLog };
  const std::vector<std::string> items = {"&Undo [grayed]", "&Redo [grayed]", "", "Cu&t [grayed]", "&Copy [grayed]",
                                          "&Paste [grayed]", "", "Toggle &Bookmark"};
  CWinApp app("EditorMenus");
  // Paste is offered only for text on the clipboard: none, whatever ran before.
  if (::OpenClipboard(nullptr)) ::EmptyClipboard(), ::CloseClipboard();
  for (Kind kind : {kMdiView, kControl, kLog}) {
    for (G in : {G::kRightClick, G::kShiftF10, G::kApps}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << ", input " << (int)in);
      CParentWnd parent;
      CMDIFrameWnd* main = nullptr;  // deletes itself
      SECEditCore<CWnd>* ctrl = nullptr;
      SECEditCtrl editCtrl;
      CConversationEditCtrl log;
      SECEditCoreBase* core = nullptr;
      HWND target = nullptr;
      if (kind == kMdiView) {
        main = new CMDIFrameWnd;
        main->Create(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 480, 360));
        auto* child = new CMDIChildWnd;
        child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CRect(10, 10, 400, 300), main);
        auto* view = new CMdiEditView;
        view->CreateEx(0, AfxRegisterWndClass(0), "view", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), child,
                       AFX_IDW_PANE_FIRST);
        SetText(view->text, "one\ntwo\n");
        view->InitView();
        core = view, target = view->m_hWnd;
      } else {
        ASSERT_TRUE(parent.Open());
        if (kind == kControl) editCtrl.ReplaceDlgItem(14000, &parent, 0), ctrl = &editCtrl;
        else log.AttachToDlgItem(14000, &parent), ctrl = &log;
        SetText(*ctrl->GetEdit(), "one\ntwo\n");
        ctrl->InitView();
        core = ctrl, target = ctrl->m_hWnd;
      }
      ::SetFocus(target);
      UA::Pump();
      MenuAutomation::Reset();
      MenuAutomation::PushMenuChoiceText("Toggle Bookmark");
      dravonix::test::PostGesture(target, in, POINT{30, 5});
      UA::Pump();
      const auto shown = MenuAutomation::ShownMenus();
      EXPECT_EQ(1u, shown.size());
      if (!shown.empty()) {
        EXPECT_EQ(items, shown[0].items);
        EXPECT_EQ(target, shown[0].owner);
      }
      EXPECT_EQ(1, core->GetEdit()->m_nBookmarks);
      EXPECT_TRUE(core->m_pCurLine && (core->m_pCurLine->dwFlags & LINE_BOOKMARK));
      if (main) main->DestroyWindow();
    }
  }
  MenuAutomation::Reset();
}

// A popup owned by the editor itself shows its items as the editor made them: Cut over a selection of
// a read-only log is offered, and choosing it changes nothing.
TEST_F(EditCtrl, TheReadOnlyLogsMenuOffersCutAndItsCutChangesNothing) {
  CWinApp app("EditorMenus");
  CParentWnd parent;
  ASSERT_TRUE(parent.Open());
  CConversationEditCtrl log;
  log.AttachToDlgItem(14000, &parent);
  SetText(*log.GetEdit(), "one\ntwo\n");
  log.InitView();
  ::SetFocus(log.m_hWnd);
  UA::Pump();
  UA::PressKey(VK_HOME);
  UA::PressKey(VK_END, UA::kShift);
  MenuAutomation::Reset();
  MenuAutomation::PushMenuChoiceText("Cut");
  dravonix::test::PostGesture(log.m_hWnd, dravonix::test::Gesture::kRightClick, POINT{30, 5});
  UA::Pump();
  const auto shown = MenuAutomation::ShownMenus();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(shown[0].items[3], "Cu&t");
  EXPECT_EQ(AllText(*log.GetEdit()), "one\ntwo\n");
  MenuAutomation::Reset();
}

TEST(EditorLibrary, LoadingRegistersTheFindMessageAndInitialisesOle) {
  // Nothing here has asked for either: the library did when it was loaded.
  EXPECT_GE(OleInitializationCount(), 1);
  EXPECT_GE(SECEditCoreBase::FindReplaceMessage(), 0xC000u);
  EXPECT_EQ(SECEditCoreBase::FindReplaceMessage(), RegisterWindowMessage("commdlg_FindReplace"));
}
