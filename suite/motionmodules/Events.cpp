// Motion module "Events": waits for an input level or for a time.
#include "GcodeModule.h"
#include "mm_events_embedded.h"

MOTION_MODULE_ICON(embedded_events_png, embedded_events_png_size)

namespace {
using gcodemodules::kInt;
using gcodemodules::kReal;
const gcodemodules::Key kKeys[] = {
    {"Stop", kInt, false, false},        {"Wait", kInt, false, false},         {"EvType", kInt, false, true},
    {"EvSlaveAxis", kInt, false, false}, {"EvInput", kInt, false, false},      {"EvInputPort", kInt, false, false},
    {"EvInputLevel", kInt, false, false}, {"EvSourceType", kInt, false, false}, {"EventATIME", kReal, false, false},
};
const gcodemodules::Module kModule = {"Events", "EVENTS", kKeys, std::size(kKeys)};
}  // namespace

GCODE_MODULE(kModule, "Program", 11, "Stop=0 Wait=1 EvType=4 EvSourceType=0 EventATIME[s]=1")
