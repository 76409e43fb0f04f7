// Motion module "Motor Commands": a command to the motors of the selected slaves (mask in hexadecimal).
#include "GcodeModule.h"
#include "mm_motor_embedded.h"

MOTION_MODULE_ICON(embedded_motor_png, embedded_motor_png_size)

namespace {
const gcodemodules::Key kKeys[] = {
    {"SelectedSlaves", gcodemodules::kHex, false, true},
    {"Type", gcodemodules::kInt, false, true},
};
const gcodemodules::Module kModule = {"Motor Commands", "MOTOR_COMMANDS", kKeys, std::size(kKeys)};
}  // namespace

GCODE_MODULE(kModule, "Motion", 4, "SelectedSlaves=1 Type=2")
