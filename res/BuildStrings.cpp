// String table of the setup-table transfers, the E2ROM software image and the motion build.
#include "kernel/document/BuildStringIds.h"
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {IDS_XFER_NO_STORED_SETUP, "This drive/motor does not have a stored setup."},
    {IDS_XFER_FIRMWARE_TOO_OLD,
     "Your drive/motor has firmware version %s. This setup requires the firmware version %s or later.\n\nClose this "
     "application and use the Brannovetrix Firmware Programmer (included in the installation package) to update the "
     "firmware of your drive/motor."},
    {IDS_XFER_READING_TABLE, "Read setup table from E2ROM..."},
    {IDS_XFER_READ_TABLE_FAILED, "Upload of setup table has failed!"},
    {IDS_XFER_DONE, "Done"},
    {IDS_XFER_UPLOADING_ID, "Uploading E2ROM ID..."},
    {IDS_XFER_TABLE_DOWNLOAD_FAILED, "Setup table download failed!"},
    {IDS_XFER_DOWNLOADING_ID, "Downloading E2ROM ID..."},
    {IDS_XFER_ID_DOWNLOAD_FAILED, "E2ROM ID download failed!"},
    {IDS_XFER_DOWNLOADING_TABLE, "Downloading setup table..."},
    {IDS_XFER_TABLE_DOWNLOAD_OK, "Setup table download succeeded"},
    {IDS_SW_START_AFTER_END, "EEPROM data start address is bigger than end address"},
    {IDS_SW_UPLOADING_SEGMENT, "Uploading E2ROM segment..."},
    {IDS_SW_UPLOAD_SEGMENT_FAILED, "Upload of E2ROM segment has failed!"},
    {IDS_SW_NOTHING_TO_SAVE, "There are no informations to save"},
    {IDS_SW_BEYOND_BOUNDARIES, "This SW has sections that are beyond the E2ROM boundaries"},
    {IDS_SW_OVERLAPPED, "This SW has sections that are overlapped"},
    {IDS_SW_CANNOT_OPEN, "Unable to open file %s"},
    {IDS_SW_DOWNLOADING_SECTION, "Downloading SW section %d of %d..."},
    {IDS_SW_DOWNLOAD_OK, "Download succeeded"},
    {IDS_SW_DOWNLOAD_FAILED, "Download failed!"},
    {IDS_SW_CHECKSUM_FAILED,
     "Checksum failed; Memory section with address %.4hX and length %.4hX\r\nhas checksum %.4hX different than %.4hX"},
    {IDS_SW_OUT_OF_MEMORY, "FATAL ERROR: OUT OF MEMORY"},
    {IDS_SW_NOT_COFF1, "File %s format is not COFF version 1"},
    {IDS_SW_NOT_LINKED, "File %s is not linked"},
    {IDS_SW_UNRESOLVED, "File %s contains unresolved external references"},
    {IDS_SW_NOT_EXECUTABLE, "File %s is not a TMS320C2xx executable"},
    {IDS_SW_NOT_FIXED_POINT, "File %s is not in TMS320 Fix Point format"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
