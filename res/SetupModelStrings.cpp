// String table of the setup model: options, slaves, setup directories, firmware files and plug-in modules.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20400, "Cannot find option '%s'. You must insert this option in setup.cfg with the syntax:\n Name = Value."},
    {20401, "This application doesn't have a slave axis %c!"},
    {20402, "The following slaves have conflicting axis IDs: %s.\nPlease select unique axis IDs!"},
    {20403, "Error in file %s line %d:\n Keyword \"%s\" is not allowed  for MC version %hd!"},
    {20404, "File %s doesn't contain %s (case insensitive)."},
    {20405, "%s: %s cannot be bigger than %s!"},
    {20406, "%s: homing procedures array has gaps!"},
    {20407,
     "%s: this version of MC support I/O port inversion at firmware level, which makes software inversion "
     "obsolete!\nPlease remove INVERTED keword from port #%d definition."},
    {20408, "This setup is incompatible with your drive/motor."},
    {20409, "Invalid setup library (%s)."},
    {20410, "Invalid interpreter library (%s)."},
    {20411, "Invalid compiler library (%s)."},
    {20412, "Invalid end address. It must be in (0x4000, 0x7FFF) interval."},
    {20413, "The resulting setup table is too big (exceeds disponible E2ROM size)."},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
