// String table of the motion element editors and the motion event dialogs.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20049, "Invalid decimal value!"},
    {20069, "'%s' is not a 32-bit variable!"},
    {20083, "Please select at least one slave axis!"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
