// Motion module "Trapezoidal Profiles": one axis runs at a speed (the spindle of imported G-code).
#include "GcodeModule.h"
#include "mm_trapezoid_embedded.h"

MOTION_MODULE_ICON(embedded_trapezoid_png, embedded_trapezoid_png_size)

namespace {
using gcodemodules::kInt;
using gcodemodules::kReal;
const gcodemodules::Key kKeys[] = {
    {"Slave", kInt, false, true},      {"Profile", kInt, false, true}, {"StartPoint", kInt, false, false},
    {"CSPD", kReal, false, true},      {"Execute", kInt, false, false},
};
const gcodemodules::Module kModule = {"Trapezoidal Profiles", "TRAPEZOIDAL_PROFILES", kKeys, std::size(kKeys)};
}  // namespace

GCODE_MODULE(kModule, "Motion", 4, "Slave=0 Profile=1 StartPoint=1 CSPD[rpm]=1000 Execute=0")
