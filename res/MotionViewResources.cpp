// The motion view's resources: its command prompts, the names of its cell controls and tree
// attributes, and its drag cursors.
#include "platform/core/Resource.h"
#include "res_embedded.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {10040, "Edit the selected motion element\nEdit"},
    {10041, "Insert a new motion element\nInsert"},
    {10042, "Duplicate the selected motion elements\nDuplicate"},
    {10043, "Delete the selected motion elements\nDelete"},
    {10044, "Group the selected motion elements\nGroup"},
    {10045, "Replace  the selected motion group with its content\nUngroup"},
    {10046, "Enable the selected motion elements\nEnable"},
    {10047, "Disable the selected motion elements\nDisable"},
    {10048, "Insert a saved motion sequence\nImport"},
    {10049, "Save the selected motion elements as motion sequence\nExport"},
    {10050, "Move the selected motion elements up by one position\nMove Up"},
    {10051, "Move the selected motion elements down by one position\nMove Down"},
    {10056, "View generated VKS code of the selected motion elements\nView generated VKS code"},
    {10057, "Translate content of a G-code file into VKS 3D\nImport G-code file"},
    {15000, "Static"},
    {15001, "Edit with bitmap button"},
    {15002, "Static with bitmap button"},
    {15003, "Level in tree"},
    {15004, "State of node"},
};

const RESOURCE_ENTRY kEntries[] = {
    {RT_GROUP_CURSOR, MAKEINTRESOURCE(14002), embedded_MOTION_CURSOR_MOVE_png, embedded_MOTION_CURSOR_MOVE_png_size},
    {RT_GROUP_CURSOR, MAKEINTRESOURCE(14003), embedded_MOTION_CURSOR_COPY_png, embedded_MOTION_CURSOR_COPY_png_size},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], kEntries,
                               sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
