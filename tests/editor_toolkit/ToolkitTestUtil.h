// Shared helpers of the toolkit tests: a host window to place controls on.
#pragma once

#include "platform/core/Clock.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include <gtest/gtest.h>

class ToolkitHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    m_host.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1)), "host",
                    WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 200), nullptr, 0);
  }
  void TearDown() override {
    m_host.DestroyWindow();
    Clock::UseRealTime();
  }
  CWnd m_host;
};
