// Motion module "Vector Mode": straight and arc segments in a plane of two axes run as one path.
#include "GcodeModule.h"
#include "mm_vector_embedded.h"

MOTION_MODULE_ICON(embedded_vector_png, embedded_vector_png_size)

namespace {
using gcodemodules::kInt;
using gcodemodules::kReal;
const gcodemodules::Key kKeys[] = {
    {"ConfigureMode", kInt, false, false},    {"ClearBuffer", kInt, false, false},
    {"InsertEndSegment", kInt, false, false}, {"SlaveX", kInt, false, true},
    {"SlaveY", kInt, false, true},            {"SlaveTangent", kInt, false, false},
    {"SegmentType", kInt, true, true},        {"CACC", kReal, true, false},
    {"CSPD", kReal, true, true},              {"X_TPOS", kReal, true, true},
    {"Y_TPOS", kReal, true, true},            {"Radius", kReal, true, true},
    {"InitAngle", kReal, true, true},         {"AngleIncrement", kReal, true, true},
    {"Execute", kInt, false, false},          {"WaitForCompletion", kInt, false, false},
};
const gcodemodules::Module kModule = {"Vector Mode", "VECTOR_MODE", kKeys, std::size(kKeys)};
}  // namespace

GCODE_MODULE(kModule, "Motion", 3,
             "ConfigureMode=1 ClearBuffer=0 InsertEndSegment=1 SlaveX=0 SlaveY=1 SlaveTangent=-1 SegmentType=0 "
             "CACC=0 CSPD[mm/min]=100 X_TPOS[mm]=0 Y_TPOS[mm]=0 Radius[mm]= InitAngle[deg]= AngleIncrement[deg]= "
             "Execute=0 WaitForCompletion=1")
