// Motion module "Linear Interpolation": straight moves of up to three axes run as one profile.
#include "GcodeModule.h"
#include "mm_linear_embedded.h"

MOTION_MODULE_ICON(embedded_linear_png, embedded_linear_png_size)

namespace {
using gcodemodules::kInt;
using gcodemodules::kReal;
const gcodemodules::Key kKeys[] = {
    {"ProfileType", kInt, false, true},       {"ConfigureMode", kInt, false, false},
    {"ClearBuffer", kInt, false, false},      {"InsertEndSegment", kInt, false, false},
    {"SlaveX", kInt, false, true},            {"SlaveY", kInt, false, true},
    {"SlaveZ", kInt, false, false},           {"X_TPOS", kReal, true, true},
    {"Y_TPOS", kReal, true, true},            {"Z_TPOS", kReal, true, false},
    {"CACC", kReal, true, false},             {"CSPD", kReal, true, true},
    {"Execute", kInt, false, false},          {"WaitForCompletion", kInt, false, false},
};
const gcodemodules::Module kModule = {"Linear Interpolation", "LINEAR_INTERPOLATION", kKeys, std::size(kKeys)};
}  // namespace

GCODE_MODULE(kModule, "Motion", 3,
             "ProfileType=1 ConfigureMode=1 ClearBuffer=0 InsertEndSegment=1 SlaveX=0 SlaveY=1 SlaveZ=2 "
             "X_TPOS[mm]=0 Y_TPOS[mm]=0 Z_TPOS[mm]=0 CACC=0 CSPD[mm/min]=100 Execute=0 WaitForCompletion=1")
