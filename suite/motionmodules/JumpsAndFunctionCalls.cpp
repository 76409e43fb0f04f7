// Motion module "Jumps and Function Calls": labels, jumps and calls within the motion program.
#include "GcodeModule.h"
#include "mm_jumps_embedded.h"

MOTION_MODULE_ICON(embedded_jumps_png, embedded_jumps_png_size)

namespace {
const gcodemodules::Key kKeys[] = {
    {"Type", gcodemodules::kInt, false, true},
    {"Label", gcodemodules::kName, false, true},
};
const gcodemodules::Module kModule = {"Jumps and Function Calls", "JUMPS_AND_FUNCTION_CALLS", kKeys, std::size(kKeys)};
}  // namespace

GCODE_MODULE(kModule, "Program", 10, "Type=6 Label=start")
