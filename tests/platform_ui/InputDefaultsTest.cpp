// Input that no window takes itself, carried on by the defaults as a user expects: a right click,
// Shift+F10 and the Apps key ask for a context menu, F1 reaches the top-level window's help command,
// Alt+F4 closes the top-level window; in views of MDI and single frames, dialogs and sheets.
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "tests/support/PostedGestures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

enum : WORD { IDD_INPUT_DLG = 9301, IDD_INPUT_PAGE = 9302, IDC_INPUT_EDIT = 1301 };

const DLGITEM_ENTRY kItems[] = {
    {"Edit", IDC_INPUT_EDIT, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 7, 7, 100, 12, ""},
    {"Button", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 30, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 60, 30, 50, 14, "Cancel"},
};
const DIALOG_RESOURCE kDlg = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 0, 0, 0, 150, 60, "Input", "MS Sans Serif",
                              8, kItems, 3, nullptr};
const DIALOG_RESOURCE kPage = {WS_CHILD | WS_CAPTION | DS_SETFONT, 0, 0, 0, 150, 60, "Page", "MS Sans Serif", 8, kItems,
                               1, nullptr};
enum : WORD { IDD_MNEMONIC_DLG = 9303, IDC_GAIN = 1302, IDC_INVERTED = 1303, IDC_APPLY = 1304, IDC_NOTE = 1305,
       IDC_RESET = 1306, IDC_RAMP = 1307 };
const DLGITEM_ENTRY kMnemonicItems[] = {
    {"Static", 0xFFFF, WS_VISIBLE, 0, 7, 9, 40, 8, "&Gain:"},
    {"Edit", IDC_GAIN, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 50, 7, 60, 12, ""},
    {"Button", IDC_INVERTED, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 24, 80, 10, "&Inverted"},
    {"Static", 0xFFFF, WS_VISIBLE | SS_NOPREFIX, 0, 7, 36, 40, 8, "&Note"},
    {"Edit", IDC_NOTE, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 50, 36, 60, 12, "&Tom"},
    {"Button", IDC_APPLY, WS_VISIBLE | WS_TABSTOP, 0, 7, 52, 50, 14, "&Apply"},
    {"Button", IDC_RESET, WS_VISIBLE | WS_TABSTOP, 0, 60, 52, 50, 14, "&Reset"},
    {"Button", IDC_RAMP, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 90, 24, 50, 10, "&Ramp"},
};
const DIALOG_RESOURCE kMnemonicDlg = {WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 150, 80, "Mnemonics", "MS Sans Serif",
                                      8, kMnemonicItems, 8, nullptr};
const RESOURCE_ENTRY kDefaultsEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(IDD_INPUT_DLG), &kDlg, sizeof kDlg},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_INPUT_PAGE), &kPage, sizeof kPage},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_MNEMONIC_DLG), &kMnemonicDlg, sizeof kMnemonicDlg},
};
const RESOURCE_TABLE kDefaultsTable = {nullptr, 0, kDefaultsEntries, 3};
CResourceTableRegistration g_defaultsTable(kDefaultsTable);

struct Seen {
  HWND at;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::vector<Seen> g_seen;

// Notes what reaches it of the messages a default may make.
template <class Base>
class Logged : public Base {
 public:
  using Base::Base;

 protected:
  LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
    if (m == WM_CONTEXTMENU || m == WM_COMMAND || m == WM_SYSCOMMAND || m == WM_CLOSE) g_seen.push_back({this->m_hWnd, m, w, l});
    return Base::WindowProc(m, w, l);
  }
};

using G = dravonix::test::Gesture;
enum Kind { kMdiView, kFrameView, kDialog, kSheet };
enum Role { kTarget, kTop };
constexpr LPARAM kAtClick = -2;  // the click point in screen coordinates

class CPage : public CPropertyPage {
 public:
  CPage() : CPropertyPage(IDD_INPUT_PAGE) {}
};

// The windows of one kind: the one holding the focus, where input goes, and its top-level window.
struct Scene {
  CWinApp app{"InputDefaults"};
  CFrameWnd* frame = nullptr;  // deletes itself
  Logged<CWnd> view;
  Logged<CDialog> dialog{IDD_INPUT_DLG};
  CPage page;
  std::unique_ptr<Logged<CPropertySheet>> sheet;
  HWND target = nullptr, top = nullptr;

  explicit Scene(Kind kind) {
    const DWORD viewStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    LPCSTR cls = AfxRegisterWndClass(0);
    switch (kind) {
      case kMdiView: {
        auto* main = new Logged<CMDIFrameWnd>;
        main->Create(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 480, 360));
        auto* child = new CMDIChildWnd;
        child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CRect(10, 10, 300, 200), main);
        view.Create(cls, "view", viewStyle, CRect(0, 0, 200, 100), child, AFX_IDW_PANE_FIRST);
        frame = main;
        break;
      }
      case kFrameView:
        frame = new Logged<CFrameWnd>;
        frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300));
        view.Create(cls, "view", viewStyle, CRect(0, 0, 200, 100), frame, AFX_IDW_PANE_FIRST);
        break;
      case kDialog:
        dialog.Create(IDD_INPUT_DLG);
        dialog.ShowWindow(SW_SHOW);
        target = ::GetDlgItem(dialog.m_hWnd, IDC_INPUT_EDIT);
        top = dialog.m_hWnd;
        break;
      case kSheet:
        sheet = std::make_unique<Logged<CPropertySheet>>("Sheet");
        sheet->AddPage(&page);
        sheet->Create();
        target = ::GetDlgItem(page.m_hWnd, IDC_INPUT_EDIT);
        top = sheet->m_hWnd;
        break;
    }
    if (frame) target = view.m_hWnd, top = frame->m_hWnd;
    ::SetActiveWindow(top);
    ::SetFocus(target);
    PumpMessages();
    g_seen.clear();
  }
  ~Scene() {
    if (::IsWindow(top) && frame) ::DestroyWindow(top);
  }
};

struct DefaultRow {
  G in;
  Kind kind;
  Role role;  // where the message must arrive
  UINT msg;
  WPARAM wp;  // for a context menu: the window asked about (the target)
  LPARAM lp;
};

TEST(InputDefaults, RightClickShiftF10AppsF1AndAltF4ReachWhatTheyAskFor) {
  const DefaultRow rows[] = {
      {G::kRightClick, kMdiView, kTarget, WM_CONTEXTMENU, 0, kAtClick},
      {G::kShiftF10, kMdiView, kTarget, WM_CONTEXTMENU, 0, -1},
      {G::kApps, kMdiView, kTarget, WM_CONTEXTMENU, 0, -1},
      {G::kF1, kMdiView, kTop, WM_COMMAND, ID_HELP, 0},
      {G::kAltF4, kMdiView, kTop, WM_SYSCOMMAND, SC_CLOSE, 0},
      {G::kAltF4, kMdiView, kTop, WM_CLOSE, 0, 0},
      {G::kRightClick, kFrameView, kTarget, WM_CONTEXTMENU, 0, kAtClick},
      {G::kApps, kFrameView, kTarget, WM_CONTEXTMENU, 0, -1},
      {G::kF1, kFrameView, kTop, WM_COMMAND, ID_HELP, 0},
      {G::kAltF4, kFrameView, kTop, WM_CLOSE, 0, 0},
      {G::kRightClick, kDialog, kTop, WM_CONTEXTMENU, 0, kAtClick},
      {G::kShiftF10, kDialog, kTop, WM_CONTEXTMENU, 0, -1},
      {G::kF1, kDialog, kTop, WM_COMMAND, ID_HELP, 0},
      {G::kF1, kDialog, kTop, WM_COMMAND, ID_DEFAULT_HELP, 0},  // nobody took ID_HELP
      {G::kAltF4, kDialog, kTop, WM_SYSCOMMAND, SC_CLOSE, 0},
      {G::kAltF4, kDialog, kTop, WM_COMMAND, IDCANCEL, 0},
      {G::kShiftF10, kSheet, kTop, WM_CONTEXTMENU, 0, -1},
      {G::kF1, kSheet, kTop, WM_COMMAND, ID_HELP, 0},
      {G::kAltF4, kSheet, kTop, WM_SYSCOMMAND, SC_CLOSE, 0},
  };
  for (const DefaultRow& r : rows) {
    SCOPED_TRACE(testing::Message() << "input " << (int)r.in << ", kind " << r.kind << ", message " << r.msg);
    Scene s(r.kind);
    POINT click{10, 12};
    ::ClientToScreen(s.target, &click);
    const HWND at = r.role == kTarget ? s.target : s.top;
    // A context menu passed on to a parent names the child it came from.
    HWND from = s.target;
    while (from != at && ::GetParent(from) != at) from = ::GetParent(from);
    const WPARAM wp = r.msg == WM_CONTEXTMENU ? (WPARAM)from : r.wp;
    const LPARAM lp = r.lp == kAtClick ? MAKELPARAM(click.x, click.y) : r.lp;
    dravonix::test::PostGesture(s.target, r.in);
    PumpMessages();
    int found = 0;
    for (const Seen& m : g_seen)
      found += m.at == at && m.msg == r.msg && (r.msg == WM_CLOSE || LOWORD(m.wp) == LOWORD(wp)) &&
               (r.msg != WM_CONTEXTMENU || m.lp == lp);
    EXPECT_EQ(1, found);
  }
}

// A held key repeats its key-down: the Apps key asks once, at its release; Shift+F10 at its press.
TEST(InputDefaults, AHeldAppsKeyAsksForOneMenuAtItsRelease) {
  Scene s(kMdiView);
  auto menus = [&] {
    int n = 0;
    for (const Seen& m : g_seen) n += m.at == s.target && m.msg == WM_CONTEXTMENU && m.lp == -1;
    return n;
  };
  for (int i = 0; i < 3; ++i) UiAutomation::KeyDown(VK_APPS);
  EXPECT_EQ(0, menus());
  UiAutomation::KeyUp(VK_APPS);
  EXPECT_EQ(1, menus());
  UiAutomation::KeyDown(VK_SHIFT);
  UiAutomation::KeyDown(VK_F10);
  EXPECT_EQ(2, menus());
  UiAutomation::KeyUp(VK_F10);
  UiAutomation::KeyUp(VK_SHIFT);
  EXPECT_EQ(2, menus());
}

// A modal sheet closed by Alt+F4 gives the frame its activation back: an MDI frame without a view
// of its own passes the focus on to its active child, whose keys would otherwise reach no child.
TEST(InputDefaults, AltF4OnAModalSheetGivesTheFocusBackToTheActiveChild) {
  Scene s(kMdiView);
  CPage page;
  CPropertySheet sheet("Sheet", s.frame);
  sheet.AddPage(&page);
  UiAutomation::AddModalLoopHandler("CPropertySheet", [](CWnd*) { dravonix::test::PostGesture(::GetFocus(), G::kAltF4); });
  sheet.DoModal();
  UiAutomation::Pump();
  EXPECT_EQ(::GetParent(s.target), ::GetFocus());
}

// Alt+letter acts on the control whose label or text marks the letter with '&'; a plain letter does
// so only while a button has the focus; typed text and labels without prefixes mark nothing. A
// letter two controls mark moves the focus between them and presses neither.
TEST(InputDefaults, DialogMnemonicsFocusClickAndLeaveTypingAlone) {
  const struct MnemonicRow {
    int from;  // the control with the focus
    bool alt;
    char key;
    int focus;  // where the focus is after
    const char* gain;  // the gain box's text after
    UINT checked;  // the check boxes' states after, Inverted's and Ramp's
    int commands;  // Apply's and Reset's clicks
  } rows[] = {
      {IDC_APPLY, true, 'G', IDC_GAIN, "", 0x00, 0},
      {IDC_GAIN, true, 'I', IDC_INVERTED, "", 0x10, 0},
      {IDC_GAIN, true, 'A', IDC_APPLY, "", 0x00, 1},  // the press takes the focus
      {IDC_APPLY, false, 'I', IDC_INVERTED, "", 0x10, 0},
      {IDC_GAIN, false, 'I', IDC_GAIN, "i", 0x00, 0},
      {IDC_APPLY, true, 'N', IDC_APPLY, "", 0x00, 0},
      {IDC_APPLY, true, 'T', IDC_APPLY, "", 0x00, 0},
      {IDC_GAIN, true, 'R', IDC_RESET, "", 0x00, 0},
      {IDC_RESET, true, 'R', IDC_RAMP, "", 0x00, 0},
      {IDC_RAMP, true, 'R', IDC_RESET, "", 0x00, 0},
      {IDC_RESET, false, 'R', IDC_RAMP, "", 0x00, 0},
  };
  for (const MnemonicRow& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.alt ? "Alt+" : "") << r.key << " from " << r.from);
    Logged<CDialog> dlg(IDD_MNEMONIC_DLG);
    dlg.Create(IDD_MNEMONIC_DLG);
    dlg.ShowWindow(SW_SHOW);
    ::SetActiveWindow(dlg.m_hWnd);
    dlg.GetDlgItem(r.from)->SetFocus();
    PumpMessages();
    g_seen.clear();
    if (r.alt) PostKeyInput(WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    PostKeyInput(r.alt ? WM_SYSKEYDOWN : WM_KEYDOWN, (WPARAM)r.key, r.alt ? 0x20000001 : 1);
    PostKeyInput(r.alt ? WM_SYSKEYUP : WM_KEYUP, (WPARAM)r.key, (LPARAM)(r.alt ? 0xE0000001u : 0xC0000001u));
    if (r.alt) PostKeyInput(WM_KEYUP, VK_MENU, (LPARAM)0xC0000001u);
    PumpMessages();
    EXPECT_EQ(dlg.GetDlgItem(r.focus)->m_hWnd, ::GetFocus());
    CString gain;
    dlg.GetDlgItemText(IDC_GAIN, gain);
    EXPECT_EQ(CString(r.gain), gain);
    EXPECT_EQ(r.checked, dlg.IsDlgButtonChecked(IDC_INVERTED) << 4 | dlg.IsDlgButtonChecked(IDC_RAMP));
    int applied = 0;
    for (const Seen& m : g_seen)
      applied += m.msg == WM_COMMAND && (m.wp == MAKEWPARAM(IDC_APPLY, BN_CLICKED) || m.wp == MAKEWPARAM(IDC_RESET, BN_CLICKED));
    EXPECT_EQ(r.commands, applied);
    dlg.DestroyWindow();
  }
}

}  // namespace
