// String table of the document base and of monitoring.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20019, "Cannot find variable %s!"},
    {20025, "Start address of data acquisition buffer must be multiple of 4."},
    {20028, "Data acquisition buffer overflow. Please delete some variables or reduce aquisitions number."},
    {20032, "Cannot start scope. At least one variable should be added to scope variables."},
    {20035, "This title is already used by another control panel view. Please use another"},
    {20038, "The maximum value must be greater than the minimum value!"},
    {20071, "Cannot select variables on drives that don't have the same loop sampling period."},
    {20072, "Selected applications must have distinct axis IDs."},
    {20073, "Failed to load single-axis logger.\nThe file was saved in multi-axis or scope format."},
    {20074, "Failed to load multi-axis logger.\nThe file was saved in single-axis or scope format."},
    {20075,
     "Failed to upload logger points from application '%s'.\nDo you want to continue uploading points from other "
     "axes?"},
    {20085, "Failed to load scope.\nThe file was saved in logger format."},
    {20086, "Cannot start scope. At most %u variables can be displayed in a scope."},
    {20087, "Data acquisition buffer overflow. Please delete some variables."},
    {20088, "Scope is not supported by this drive."},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
