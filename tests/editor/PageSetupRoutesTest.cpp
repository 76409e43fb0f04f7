// The page setup dialog driven by keys and clicks from a text window: its Tab order, the mnemonics,
// the time radios by arrows, click and Space, and Enter, Escape, OK and Cancel from each kind of
// control. What it stores in the profile is what the route chose, or nothing on a cancel.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "editor/core/OEPageSetupDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace UA = UiAutomation;

namespace {

void ClickItem(CWnd* dlg, int id) {
  HWND h = ::GetDlgItem(dlg->m_hWnd, id);
  RECT r;
  ::GetClientRect(h, &r);
  UA::Click(h, POINT{r.right / 2, r.bottom / 2});
}

std::string Stored(CWinApp& app) {
  return std::string(app.GetProfileString("PageSetup", "Header", "?").GetString()) + " / " +
         app.GetProfileString("PageSetup", "Footer", "?").GetString() + " / " +
         std::to_string(app.GetProfileInt("PageSetup", "HeaderTime", -1)) + " " +
         std::to_string(app.GetProfileInt("PageSetup", "FooterTime", -1));
}

}  // namespace

TEST(PageSetupRoutes, EachControlByKeysAndClicksStoresWhatWasChosen) {
  struct Case {
    const char* what;
    std::function<void(CWnd*)> drive;
    const char* stored;
  };
  const char* unchanged = "&f %c / Page: &p / 0 0";
  const auto keys = [](std::initializer_list<std::pair<UINT, UINT>> list) {
    return [pressed = std::vector<std::pair<UINT, UINT>>(list)](CWnd*) {
      for (auto [vk, mods] : pressed) UA::PressKey(vk, mods);
    };
  };
  const Case cases[] = {
    {"typed, Enter in the edit", [](CWnd*) { UA::PressKey(VK_END), UA::TypeText("X\n"); }, "&f %cX / Page: &p / 0 0"},
    {"typed, Escape", [](CWnd*) { UA::PressKey(VK_END), UA::TypeText("X"), UA::PressKey(VK_ESCAPE); }, unchanged},
    {"typed, Cancel clicked", [](CWnd* d) { UA::PressKey(VK_END), UA::TypeText("X"), ClickItem(d, IDCANCEL); }, unchanged},
    {"footer by its mnemonic, OK clicked", [](CWnd* d) {
       UA::PressKey('F', UA::kAlt), UA::PressKey(VK_END), UA::TypeText("Y"), ClickItem(d, IDOK);
     }, "&f %c / Page: &pY / 0 0"},
    {"header time by Tab and an arrow, Enter on the radio", keys({{VK_TAB, 0}, {VK_RIGHT, 0}, {VK_RETURN, 0}}), "&f %c / Page: &p / 1 0"},
    {"header time clicked, Enter on the radio", [](CWnd* d) { ClickItem(d, 110), UA::PressKey(VK_RETURN); }, "&f %c / Page: &p / 1 0"},
    {"header time clicked, Escape", [](CWnd* d) { ClickItem(d, 110), UA::PressKey(VK_ESCAPE); }, unchanged},
    {"footer time by mnemonic, Tab and an arrow", keys({{'F', UA::kAlt}, {VK_TAB, 0}, {VK_DOWN, 0}, {VK_RETURN, 0}}), "&f %c / Page: &p / 0 1"},
    {"footer time back by Shift+Tab from OK", keys({{VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, UA::kShift}, {VK_RIGHT, 0}, {VK_RETURN, 0}}),
     "&f %c / Page: &p / 0 1"},
    {"Space on OK", keys({{VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_SPACE, 0}}), unchanged},
    {"Space on Cancel after a change", keys({{VK_TAB, 0}, {VK_RIGHT, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_SPACE, 0}}), unchanged},
    {"Enter on Cancel after a change", keys({{VK_TAB, 0}, {VK_RIGHT, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_RETURN, 0}}), unchanged},
    {"Space on a radio, Enter", keys({{VK_TAB, 0}, {VK_RIGHT, 0}, {VK_LEFT, 0}, {VK_SPACE, 0}, {VK_RETURN, 0}}), unchanged},
  };
  for (const Case& c : cases) {
    EditorScene s(2, "text\r\n");
    s.m_app.WriteProfileString("PageSetup", "Header", "&f %c");
    s.m_app.WriteProfileString("PageSetup", "Footer", "Page: &p");
    s.m_app.WriteProfileInt("PageSetup", "HeaderTime", 0);
    s.m_app.WriteProfileInt("PageSetup", "FooterTime", 0);
    std::vector<int> order;
    bool ran = false;
    UA::AddModalLoopHandler(nullptr, [&](CWnd* dlg) {
      ran = true;
      for (int i = 0; i < 7; ++i) order.push_back(::GetDlgCtrlID(::GetFocus())), UA::PressKey(VK_TAB);
      for (int i = 0; i < 7; ++i) UA::PressKey(VK_TAB, UA::kShift), order.push_back(::GetDlgCtrlID(::GetFocus()));
      c.drive(dlg);
      if (::IsWindow(dlg->m_hWnd) && ::IsWindowVisible(dlg->m_hWnd)) dlg->PostMessage(WM_CLOSE);
    });
    ::PostMessage(s.ViewWnd(), WM_COMMAND, 24631, 0);  // the host's menu item
    UA::Pump();
    UA::ClearModalLoopHandlers();
    ASSERT_TRUE(ran) << c.what;
    EXPECT_EQ((std::vector<int>{104, 109, 107, 111, IDOK, IDCANCEL, 104, 104, IDCANCEL, IDOK, 111, 107, 109, 104}), order) << c.what;
    EXPECT_EQ(c.stored, Stored(s.m_app)) << c.what;
    EXPECT_EQ(0, s.PixelsOff()) << c.what;
  }
}
