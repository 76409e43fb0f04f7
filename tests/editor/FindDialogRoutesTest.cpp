// The Find and Replace dialogs' controls walked by every route a user has to them: a click, the
// mnemonic with Alt from the edit, the letter alone from a control that takes no characters, Space
// on a check box, an arrow on the direction radios, Enter and Escape. Each route leaves what the click
// leaves: the text, caret, selection, marks, the dialog and its focus, and the picture.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "editor/core/OEFindDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace UA = UiAutomation;

namespace {

constexpr UINT Alt = UA::kAlt;

OEFindDlg* Dialog(EditorScene& s) {
  CTextFileView* v = s.View();
  return v->m_pReplaceDlg ? v->m_pReplaceDlg : v->m_pFindDlg;
}

void ClickItem(EditorScene& s, int id) {
  HWND h = ::GetDlgItem(Dialog(s)->m_hWnd, id);
  if (HWND edit = ::GetWindow(h, GW_CHILD)) h = edit;
  RECT r;
  ::GetClientRect(h, &r);
  UA::Click(h, POINT{r.right / 2, r.bottom / 2});
}

std::string State(EditorScene& s) {
  const CTextFileView* v = s.View();
  std::string out = s.Text() + " @" + s.Caret() + " sel " + s.Selection();
  if (s.Edit().m_nBookmarks) out += " bm " + std::to_string(s.Edit().m_nBookmarks);
  if (OEFindDlg* d = Dialog(s)) {
    out += v->m_pReplaceDlg ? " replace" : " find";
    HWND f = ::GetFocus();
    out += " focus " + std::to_string(f && ::IsChild(d->m_hWnd, f) ? ::GetDlgCtrlID(f) : -1);
    for (int id : {IDC_OEFIND_MATCHCASE, IDC_OEFIND_REGEXP, IDC_OEFIND_UP})
      out += ::IsDlgButtonChecked(d->m_hWnd, id) ? " " + std::to_string(id) : "";
  } else {
    out += " focus " + std::string(::GetFocus() == s.ViewWnd() ? "view" : "elsewhere");
  }
  for (const auto& box : Automation::Instance().MessageBoxes()) out += " \"" + box.text + "\"";
  return out;
}

// One control of a dialog, what its click leaves, and the ways to it besides the click.
struct Control {
  const char* what;
  bool replace;                       // the Replace dialog, else Find
  std::function<void()> before;       // caret placed, before the dialog opens
  const char* find;                   // typed into the find box
  int id;                             // the control
  char letter;                        // its mnemonic, 0 for none
  std::vector<UINT> keysTo;           // keys from the find box that reach it by Tab and arrows
  UINT press;                         // the key that works it once reached (Space or an arrow)
  bool thenEnter;                     // a check box or radio: Enter then runs the default button
  const char* state;                  // State() after the click
};

}  // namespace

TEST(FindDialogRoutes, EveryRouteToEachControlLeavesWhatItsClickLeaves) {
  const auto none = [] {};
  const auto toEnd = [] { UA::PressKey(VK_END, UA::kControl); };
  const std::vector<UINT> tab1 = {VK_TAB}, tab2 = {VK_TAB, VK_TAB}, tab3 = {VK_TAB, VK_TAB, VK_TAB},
                          tab5 = {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB}, tab6 = {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB},
                          tab7 = {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB},
                          tab8 = {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB};
  const std::vector<Control> controls = {
    {"find next", false, none, "x", IDOK, 'F', tab6, VK_SPACE, false, "one x two|Three x|four x| @1:5 sel 1:4-1:5 focus view"},
    {"mark all", false, none, "x", IDC_OEFIND_MARKALL, 'M', tab7, VK_RETURN, false, "one x two|Three x|four x| @2:0 sel none bm 3 focus view"},
    {"cancel", false, none, "x", IDCANCEL, 0, tab8, VK_RETURN, false, "one x two|Three x|four x| @1:0 sel none focus view"},
    {"match case", false, none, "T", IDC_OEFIND_MATCHCASE, 'C', tab2, VK_SPACE, true,
     "one x two|Three x|four x| @2:1 sel 2:0-2:1 focus view"},
    {"regular expression", false, none, "t.o", IDC_OEFIND_REGEXP, 'E', tab3, VK_SPACE, true,
     "one x two|Three x|four x| @1:9 sel 1:6-1:9 focus view"},
    {"up", false, toEnd, "x", IDC_OEFIND_UP, 'U', tab5, VK_UP, true,
     "one x two|Three x|four x| @3:6 sel 3:5-3:6 focus view"},
    {"wrap around", false, toEnd, "x", IDC_OEFIND_WRAP, 0, {VK_TAB, VK_TAB, VK_TAB, VK_TAB}, VK_SPACE, true,
     "one x two|Three x|four x| @1:5 sel 1:4-1:5 focus view"},
    {"help", false, none, "x", IDC_OEFIND_HELP, 'H', {}, 0, false, "one x two|Three x|four x| @1:0 sel none find focus 1038"},
    {"replace", true, none, "x", IDC_OEFIND_REPLACEBTN, 'R', {}, 0, false,
     "one YY two|Three x|four x| @2:7 sel 2:6-2:7 replace focus 1024"},
    {"replace all", true, none, "x", IDC_OEFIND_REPLACEALL, 'A', {}, 0, false,
     "one YY two|Three YY|four YY| @3:7 sel none focus view"},
    {"mark all in replace", true, none, "x", IDC_OEFIND_MARKALL, 'M', {}, 0, false,
     "one x two|Three x|four x| @2:0 sel none bm 3 focus view"},
  };
  enum Way { kClick, kAltLetter, kLetterAfterTab, kKeys, kEscape };
  int walked = 0;
  for (const Control& c : controls)
    for (Way way : {kClick, kAltLetter, kLetterAfterTab, kKeys, kEscape}) {
      if ((way == kAltLetter || way == kLetterAfterTab) && !c.letter) continue;
      if (way == kKeys && !c.press) continue;
      if (way == kEscape && c.id != IDCANCEL) continue;
      const std::string mode = std::string(c.what) + " by way " + std::to_string(way);
      EditorScene s(2, "one x two\r\nThree x\r\nfour x\r\n");
      for (const char* key : {"Find", "Replace"})
        for (int n = 1; n <= 10; ++n) s.m_app.WriteProfileString("Settings\\Find", (key + std::to_string(n)).c_str(), "");
      // Each route from the same options: the last search's are kept.
      for (const char* key : {"Regular expressions", "Match case", "Wrap search"}) s.m_app.WriteProfileInt("Settings\\Find", key, 0);
      s.m_app.WriteProfileInt("Settings\\Find", "Forward", 1);
      c.before();
      UA::PressKey(c.replace ? 'H' : 'F', UA::kControl);
      UA::TypeText(c.find);
      if (c.replace) {
        UA::PressKey('P', Alt);  // the label's mnemonic: into the box after it
        UA::TypeText("YY");
      }
      UA::Pump();
      ASSERT_NE(nullptr, Dialog(s)) << mode;
      switch (way) {
        case kClick: ClickItem(s, c.id); break;
        case kAltLetter: UA::PressKey((UINT)c.letter, Alt); break;
        case kLetterAfterTab: UA::PressKey(VK_TAB), UA::TypeText(std::string(1, (char)(c.letter | 0x20)).c_str()); break;
        case kKeys:
          for (UINT k : c.keysTo) UA::PressKey(k);
          UA::PressKey(c.press);
          break;
        case kEscape: UA::PressKey(VK_ESCAPE); break;
      }
      if (c.thenEnter) UA::PressKey(VK_RETURN);
      UA::Pump();
      EXPECT_EQ(c.state, State(s)) << mode;
      EXPECT_EQ(0, s.PixelsOff()) << mode;
      ++walked;
    }
  EXPECT_EQ(37, walked);
}
