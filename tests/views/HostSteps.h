// Steps a user takes on a view in the host's frame, each followed by what it must show and by the
// picture held against a full repaint.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/Controls.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Clicks item i of a list box as a user does.
inline void ClickItem(CWnd* view, int id, int i) {
  HWND list = ::GetDlgItem(view->m_hWnd, id);
  RECT r{};
  ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&r);
  UiAutomation::AdvanceClock(1000);  // never a double click
  UiAutomation::Click(list, POINT{r.left + 4, (r.top + r.bottom) / 2});
}

inline std::string ItemText(CWnd* view, int id) {
  CString s;
  view->GetDlgItemText(id, s);
  return s.GetString();
}

// A list box's lines in brackets and its selection.
inline std::string ListState(CWnd* view, int id) {
  HWND h = ::GetDlgItem(view->m_hWnd, id);
  std::string s;
  const int n = (int)::SendMessage(h, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    char text[256] = {};
    ::SendMessage(h, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
    s += "[" + std::string(text) + "]";
  }
  return s + " sel " + std::to_string((int)::SendMessage(h, LB_GETCURSEL, 0, 0));
}

struct UserStep {
  std::function<void(CWnd*)> act;
  std::function<std::string(CWnd*)> state;
  std::string expected;
};

inline void Play(CWnd* view, const std::vector<UserStep>& steps) {
  int n = 0;
  for (const auto& s : steps) {
    s.act(view);
    EXPECT_EQ(s.state(view), s.expected) << "step " << n;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(view->m_hWnd)) << "step " << n;
    ++n;
  }
}
