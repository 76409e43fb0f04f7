// String table of motion modules and CAM tables.
#include "motion/model/MotionStringIds.h"
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {IDS_CAM_INVALID_FILE, "The file \"%s\" isn't a valid CAM file!"},
    {IDS_CAM_DUPLICATE_NAME, "Duplicate name: there is another CAM with the same name!"},
    {IDS_MM_INVALID_LIBRARY, "Invalid motion module library (%s)."},
    {IDS_MM_DUPLICATE, "The motion module '%s' is already defined!\nIgnoring the new module..."},
    {IDS_MM_NOT_FOUND, "The motion module '%s' does not exist or it is invalid in current configuration!"},
    {IDS_CAM_INVALID_OBJECT, "CAM '%s' isn't a valid CAM object!"},
    {IDS_CAM_SEGMENT_OVERFLOW,
     "CAM tables segment overflow!\nAllocated segment has %04hX words and the current size of CAM tables is %04X."},
    {IDS_CAM_DOWNLOADING, "Downloading CAM tables..."},
    {IDS_CAM_DOWNLOAD_OK, "CAM tables download succeeded"},
    {IDS_CAM_DOWNLOAD_FAILED, "CAM tables download failed!"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
