// Motion module "I/O": sets an output line of a slave.
#include "GcodeModule.h"
#include "mm_io_embedded.h"

MOTION_MODULE_ICON(embedded_io_png, embedded_io_png_size)

namespace {
using gcodemodules::kInt;
const gcodemodules::Key kKeys[] = {
    {"Type", kInt, false, true},       {"SimpleType", kInt, false, false}, {"Slave", kInt, false, true},
    {"Port", kInt, false, true},       {"SimpleSet", kInt, false, false},  {"SetLineType", kInt, false, false},
};
const gcodemodules::Module kModule = {"I/O", "INPUT_OUTPUT", kKeys, std::size(kKeys)};
}  // namespace

GCODE_MODULE(kModule, "Program", 12, "Type=0 SimpleType=1 Slave=0 Port=0 SimpleSet=0 SetLineType=0")
