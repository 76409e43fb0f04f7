// Tests that talk to the simulated drive network through the communication gate: each starts on a
// fresh network with the gate closed, and leaves the gate closed with the error box a user gets.
#pragma once
#include "comm/MC_Comm.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"

namespace dravonix::test {

// A fresh simulated network behind a closed gate; `errorBox` is what a failed call asks (0: nothing).
inline void StartSimulatedDrive(UINT errorBox = 0) {
  CMC_Comm::Close();
  CMC_Comm::nShowErr = errorBox;
  DriveSimulator::Reset();
}

// As StartSimulatedDrive, with the clock on virtual time and the gate open to drive 1 on COM1.
inline bool StartOnlineDrive() {
  Clock::UseVirtualTime();
  StartSimulatedDrive();
  return CMC_Comm::Open("COM1", 115200, 0, 0, 0) && CMC_Comm::SetActiveBoard(1);
}

inline void StopSimulatedDrive() {
  CMC_Comm::Close();
  CMC_Comm::nShowErr = MB_RETRYCANCEL;
}

// Undoes StartOnlineDrive.
inline void StopOnlineDrive() {
  StopSimulatedDrive();
  Clock::UseRealTime();
}

// A fixture on `Base` whose tests each start on a fresh simulated drive, the gate closed.
template <class Base>
class SimulatedDriveTest : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    StartSimulatedDrive();
  }
  void TearDown() override {
    StopSimulatedDrive();
    DriveSimulator::Reset();
    Base::TearDown();
  }
};

}  // namespace dravonix::test
