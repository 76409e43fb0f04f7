// The read-only text windows, the compiler output and the conversation log, walked by every key,
// click and menu route with and without a selection: the text stays (but for the output's Clear),
// copies reach the clipboard, edits are refused as the rules say, and the picture is a full repaint's.
#include "EditCoreTestUtil.h"
#include "EditorScene.h"
#include "editor/documents/ConversationEditCtrl.h"
#include "platform/ui/Menu.h"
#include "tests/support/PostedGestures.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace UA = UiAutomation;

namespace {

constexpr UINT Ctrl = UA::kControl, Shift = UA::kShift;

// The log as the net-master dialog holds it.
struct LogHost {
  CWnd parent, placeholder;
  std::unique_ptr<CConversationEditCtrl> log;
  LogHost() {
    LPCSTR cls = AfxRegisterWndClass(0, nullptr, (HBRUSH)(COLOR_BTNFACE + 1));
    parent.CreateEx(0, cls, "net master", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 140), nullptr, 0);
    placeholder.Create("Static", "", WS_CHILD | WS_VISIBLE, CRect(5, 5, 295, 135), &parent, 14000);
    log = std::make_unique<CConversationEditCtrl>();
    log->AttachToDlgItem(14000, &parent);
    log->AppendText("one\ntwo\n");
    ::SetFocus(log->m_hWnd);
    UA::Pump();
  }
  ~LogHost() {
    log.reset();
    parent.DestroyWindow();
  }
};

std::string State(SECEditCoreBase& c, HWND picture) {
  std::string text;
  for (std::string l : Lines(*c.GetEdit())) text += l.substr(0, l.find_first_of("\r\n")) + "|";
  SECEdit& e = *c.GetEdit();
  std::string sel = c.m_bSelection ? std::to_string(e.LineNumber(c.m_selStart.pLine)) + ":" + std::to_string(c.m_selStart.nCol) + "-" +
                                         std::to_string(e.LineNumber(c.m_selEnd.pLine)) + ":" + std::to_string(c.m_selEnd.nCol)
                                   : "none";
  std::string clip = ClipboardText();
  for (char& ch : clip)
    if (ch == '\r' || ch == '\n') ch = '/';
  std::string out = text + " @" + std::to_string(c.m_nCurLine) + ":" + std::to_string(c.m_nCurCol) + " sel " + sel + " clip " + clip;
  for (const auto& box : Automation::Instance().MessageBoxes()) out += " \"" + box.text + "\"";
  if (c.m_pReplaceDlg) out += " replace";
  if (int off = dravonix::test::PixelsOffFullRepaint(picture)) out += " off " + std::to_string(off);
  return out;
}

struct Route {
  const char* what;
  std::function<void(HWND)> input;
  // What the route leaves, from the state before it: without and with a selection.
  const char *plain, *selected;
};

auto Keys(std::initializer_list<std::pair<UINT, UINT>> list) {
  return [pressed = std::vector<std::pair<UINT, UINT>>(list)](HWND) {
    for (auto [vk, mods] : pressed) UA::PressKey(vk, mods);
  };
}

auto Menu(dravonix::test::Gesture g, const char* item) {
  return [=](HWND w) {
    MenuAutomation::Reset();
    MenuAutomation::PushMenuChoiceText(item);
    dravonix::test::PostGesture(w, g, POINT{30, 5});
    UA::Pump();
  };
}

}  // namespace

TEST(ReadOnlyWindowRoutes, EveryRouteWithAndWithoutASelectionInTheOutputAndTheLog) {
  using G = dravonix::test::Gesture;
  const char* untouched = "one|two|| @1:1 sel none clip ";
  const char* selected = "one|two|| @2:2 sel 1:0-2:2 clip (none)";
  const char* refused = "one|two|| @1:1 sel none clip  \"The file is read only.\"";
  const char* refusedSel = "one|two|| @2:2 sel 1:0-2:2 clip (none) \"The file is read only.\"";
  const char* copied = "one|two|| @2:2 sel 1:0-2:2 clip one//tw";
  const std::vector<Route> routes = {
    {"type", [](HWND) { UA::TypeText("q"); }, untouched, selected},
    {"enter", [](HWND) { UA::TypeText("\n"); }, untouched, selected},
    {"backspace", Keys({{VK_BACK, 0}}), refused, refusedSel},
    {"tab", Keys({{VK_TAB, 0}}), refused, refusedSel},
    {"ctrl x", Keys({{'X', Ctrl}}), untouched, selected},
    {"shift delete", Keys({{VK_DELETE, Shift}}), untouched, selected},
    {"ctrl v", Keys({{'V', Ctrl}}), untouched, selected},
    {"shift insert", Keys({{VK_INSERT, Shift}}), untouched, selected},
    {"ctrl c", Keys({{'C', Ctrl}}), untouched, copied},
    {"ctrl insert", Keys({{VK_INSERT, Ctrl}}), untouched, copied},
    {"menu copy by right click", Menu(G::kRightClick, "Copy"), untouched, copied},
    {"menu copy by Shift+F10", Menu(G::kShiftF10, "Copy"), untouched, copied},
    {"menu copy by Apps", Menu(G::kApps, "Copy"), untouched, copied},
    // Offered, but refused as Ctrl+X is: the text cannot be cut.
    {"menu cut by Apps", Menu(G::kApps, "Cut"), untouched, selected},
    {"menu paste by Apps", Menu(G::kApps, "Paste"), untouched, selected},
    {"ctrl z", Keys({{'Z', Ctrl}}), untouched, selected},
    {"delete", Keys({{VK_DELETE, 0}}), untouched, selected},  // the output's Clear: below
    {"ctrl h", Keys({{'H', Ctrl}}), untouched, selected},      // the log's Replace: below
  };
  int walked = 0;
  for (bool log : {false, true})
    for (bool sel : {false, true})
      for (const Route& route : routes) {
        const std::string mode = std::string(route.what) + (log ? ", log" : ", output") + (sel ? ", selected" : "");
        std::unique_ptr<EditorScene> scene;
        std::unique_ptr<LogHost> host;
        SECEditCoreBase* core;
        HWND wnd, picture;
        if (log) {
          host = std::make_unique<LogHost>();
          core = host->log.get(), wnd = host->log->m_hWnd, picture = host->parent.m_hWnd;
        } else {
          scene = std::make_unique<EditorScene>(3, "one\r\ntwo\r\n");
          core = scene->View(), wnd = scene->ViewWnd(), picture = scene->MainWnd();
        }
        if (::OpenClipboard(nullptr)) ::EmptyClipboard(), ::CloseClipboard();
        if (!sel) ClipboardSetText(nullptr, "PQ", 2);
        UA::Click(wnd, POINT{core->m_nMargin + core->m_nCharWidth + 1, core->m_nLineHeight / 2});
        if (sel) {
          UA::Click(wnd, POINT{core->m_nMargin + 1, core->m_nLineHeight / 2});
          UA::Click(wnd, POINT{core->m_nMargin + 2 * core->m_nCharWidth + 1, core->m_nLineHeight * 3 / 2}, Shift);
        }
        UA::Pump();
        Automation::Instance().Reset();
        route.input(wnd);
        UA::Pump();
        std::string want = sel ? route.selected : route.plain;
        if (!sel && want.find("clip ") != std::string::npos && want.find("clip one") == std::string::npos)
          want.insert(want.find("clip ") + 5, "PQ");
        if (log && route.what == std::string("ctrl h")) want += " replace";
        if (!log && route.what == std::string("delete")) want = std::string("| @1:0 sel none clip ") + (sel ? "(none)" : "PQ");
        EXPECT_EQ(want, State(*core, picture)) << mode;
        ++walked;
      }
  MenuAutomation::Reset();
  EXPECT_EQ(2 * 2 * 18, walked);
}
