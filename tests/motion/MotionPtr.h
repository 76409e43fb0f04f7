// An owning pointer to a motion program, for tests.
#pragma once

#include "motion/model/MC_Motion.h"

#include <memory>

struct MotionDeleter {
  void operator()(CMC_Motion* m) const { CMC_Motion::Destroy(m); }
};
using MotionPtr = std::unique_ptr<CMC_Motion, MotionDeleter>;
