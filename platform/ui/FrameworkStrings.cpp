// The framework's own texts (data exchange prompts) and its standard cursor, as the platform's
// resource table.
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

namespace {

const RESOURCE_STRING kFrameworkStrings[] = {
    {AFX_IDP_PARSE_INT, "Please enter an integer."},
    {AFX_IDP_PARSE_REAL, "Please enter a number."},
    {AFX_IDP_PARSE_INT_RANGE, "Please enter an integer between %1 and %2."},
    {AFX_IDP_PARSE_REAL_RANGE, "Please enter a number between %1 and %2."},
    {AFX_IDP_PARSE_STRING_SIZE, "Please enter no more than %1 characters."},
    {AFX_IDP_PARSE_RADIO_BUTTON, "Please select a button."},
    {AFX_IDP_PARSE_BYTE, "Please enter an integer between 0 and 255."},
    {AFX_IDP_PARSE_UINT, "Please enter a positive integer."},
};

// The magnifying glass shown while a zoom band is drawn (a 16 x 16 PNG).
const unsigned char kMagnifyPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0xF3, 0xFF, 0x61, 0x00, 0x00, 0x00,
    0x32, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xA0, 0x01, 0xF8, 0x8F, 0x05, 0x53, 0xA4, 0x99, 0x68,
    0x43, 0xC0, 0x0A, 0xB1, 0x01, 0x62, 0x0C, 0xC1, 0xA9, 0x99, 0x58, 0x43, 0x46, 0x0D, 0xA0, 0x42, 0x2C, 0x10,
    0x93, 0x0E, 0x28, 0x32, 0x84, 0x81, 0xDC, 0x94, 0x89, 0xCF, 0xF0, 0xE1, 0x62, 0x08, 0x00, 0x7C, 0x0D, 0xF7,
    0x09, 0xF6, 0xDE, 0x1B, 0x50, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

const RESOURCE_ENTRY kFrameworkEntries[] = {
    {RT_GROUP_CURSOR, MAKEINTRESOURCE(AFX_IDC_MAGNIFY), kMagnifyPng, sizeof kMagnifyPng},
};

const RESOURCE_TABLE kFrameworkTable = {kFrameworkStrings, sizeof kFrameworkStrings / sizeof kFrameworkStrings[0],
                                        kFrameworkEntries, sizeof kFrameworkEntries / sizeof kFrameworkEntries[0]};

}  // namespace

void AfxEnsureFrameworkStrings() {
  // Joins the resource chain when first needed, so programs that never exchange data do not see
  // the platform library in their chain.
  static CResourceTableRegistration registration(kFrameworkTable);
}
