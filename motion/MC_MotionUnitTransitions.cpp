#include "motion/MC_Motion.h"

// Elements keep their parameters until the repair of rotary/linear unit changes is connected.
void CMC_Motion::DetectAndFixUnitTransitions() {}
