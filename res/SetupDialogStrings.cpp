// String table of the feedback sensors, the motor database and the setup editing and test dialogs.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20600, "Invalid feedback configuration."},
    {20601, "Motor '%s' already exists in %s database!\n\nDo you want to overwrite it?"},
    {20602, "Are you sure you want to delete motor '%s' from %s database?\n\nCaution: This operation is irreversible!"},
    {20603,
     "Delete operation has failed!\nEither the file does not exists or you don't have the necessary permissions."},
    {20604, "This setup doesn't have a reference motor!\nThe motor database functionality will be disabled."},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
