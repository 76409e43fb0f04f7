// Shared set-up of the communication tests: a fresh simulated network, a closed gate, virtual time.
#pragma once

#include "comm/MC_Comm.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"
#include "suite/zurcomm/DriveSimulator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class CommTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CMC_Comm::m_bNetMaster = 0;
    CMC_Comm::Close();
    CMC_Comm::nShowErr = MB_RETRYCANCEL;
    CMC_Comm::m_nLastErrorAnswer = 1;
    CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(nullptr);
    CMC_Comm::m_wHostAxisID = 0;
    Automation::Instance().Reset();
    Clock::UseVirtualTime();
    DriveSimulator::Reset();
  }
  void TearDown() override {
    CMC_Comm::m_bNetMaster = 0;
    CMC_Comm::Close();
    CMC_Comm::nShowErr = MB_RETRYCANCEL;
    Clock::UseRealTime();
    Automation::Instance().Reset();
  }

  static void OpenSerial(DWORD baud = 115200, BYTE type = 0, WORD host = 0) {
    ASSERT_TRUE(CMC_Comm::Open("COM1", baud, 0, type, host));
    DriveSimulator::ClearCallLog();
  }
  static std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
    return texts;
  }
  static size_t Calls(const char* function) { return DriveSimulator::CallCount(function); }
};
