// Setups of the event and repair tests: drives with chosen feedbacks, and a controller whose setup
// counts four slaves of which three are bound.
#pragma once

#include "kernel/setup/MC_AxisData.h"
#include "motion/model/MC_Motion.h"
#include "motion/events/MotionEvent.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"

#include <memory>
#include <string>

class CEventTestAxis : public CMC_AxisData {
 public:
  explicit CEventTestAxis(CMC_Setup* setup) : m_setup(setup) {}
  CMC_Setup* GetSetup() override { return m_setup; }
  CMC_Setup* m_setup;
};

class EventTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    DialogAutomation::Reset();
    // 05/05 drives: motor feedback only, both feedbacks, load feedback only.
    // The motor drive also has a 16-bit variable "pos".
    std::string dir = MakeDir("event_drive", Gen3Cfg());
    std::string vars = ReadBytes(dir + "/variables.cfg");
    WriteBytes(dir + "/variables.cfg", vars + "INT\tpos\t[rot]\t@0x0300\n");
    m_motor.reset(CMC_Setup::CreateFromDirectory(dir.c_str()));
    m_both.reset(CMC_Setup::Create(0x0505));
    m_load.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_motor && m_both && m_load);
    m_both->SetOption("isPositionFeedbackOnLoad", "1");
    m_load->SetOption("isPositionFeedbackOnMotor", "0");
    m_load->SetOption("isPositionFeedbackOnLoad", "1");
    // Slaves: A has both feedbacks (MC version 3), B no position feedback, C is of MC version 2.
    m_noFeedback.reset(CMC_Setup::Create(0x0100));
    m_mc2.reset(CMC_Setup::Create(0x0210));
    m_controller.reset(CMC_Setup::Create(0x0701));
    ASSERT_TRUE(m_noFeedback && m_mc2 && m_controller);
    m_noFeedback->SetOption("isPositionFeedbackOnMotor", "0");
    m_noFeedback->SetOption("isSpeedFeedback", "0");
    m_driveMotion.reset(CMC_Motion::Create(m_motor.get()));
    m_controllerMotion.reset(CMC_Motion::Create(m_controller.get()));
    ASSERT_TRUE(m_driveMotion && m_controllerMotion);
    CMC_Setup* slaves[] = {m_both.get(), m_noFeedback.get(), m_mc2.get()};
    for (int i = 0; i < 3; ++i) {
      m_axes[i] = std::make_unique<CEventTestAxis>(slaves[i]);
      m_controllerMotion->SetMotionControllerSlaveAxis(i, m_axes[i].get());
    }
    for (CMC_Setup* s : {m_both.get(), m_load.get(), m_noFeedback.get()}) MotionOf(s);
    ClearBoxes();
  }
  void TearDown() override {
    DialogAutomation::Reset();
    m_driveMotion.reset();
    m_controllerMotion.reset();
    SetupTest::TearDown();
  }
  // A motion program of `setup` kept for the test.
  CMC_Motion& MotionOf(CMC_Setup* setup) {
    if (setup == m_motor.get()) return *m_driveMotion;
    if (setup == m_controller.get()) return *m_controllerMotion;
    for (auto& m : m_extra)
      if (m->GetSetup() == setup) return *m;
    m_extra.emplace_back(CMC_Motion::Create(setup));
    return *m_extra.back();
  }
  CMotionEvent DriveEvent(CMC_Setup* setup = nullptr) {
    setup = setup ? setup : m_motor.get();
    return CMotionEvent(*setup, MotionOf(setup));
  }
  CMotionEvent ControllerEvent() { return CMotionEvent(*m_controller, *m_controllerMotion); }

  SetupPtr m_motor, m_both, m_load, m_noFeedback, m_mc2, m_controller;
  MotionPtr m_driveMotion, m_controllerMotion;
  std::vector<MotionPtr> m_extra;
  std::unique_ptr<CEventTestAxis> m_axes[3];
};
