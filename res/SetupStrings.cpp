// String table of the drive setup: configuration files, kernel folder and the setup model.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20000, "Cannot find dravonix.dll folder!"},
    {20001, "Cannot open file %s!"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
