// String table of motion programs: functions, element parameters and slave-axis files.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20047, "Duplicate name: there is another function with the same name!"},
    {20048, "Motion parameter '%s' does not exist or it has invalid value/unit!"},
    {20302, "Are you sure you want to delete motion function named '%s'?"},
    {22500, "Error in file %s, line %d:\nInvalid label \"%s\"!"},
    {22501, "Error in file %s, line %d:\nProject doesn't contain an application named \"%s\"!"},
    {22502, "Error in file %s, line %d:\nThe application named \"%s\" is not allowed to be a slave of this motion "
            "controller!"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
