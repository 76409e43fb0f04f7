// The framework's own texts (data exchange prompts), as the platform's string table.
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

const RESOURCE_TABLE kFrameworkTable = {kFrameworkStrings, sizeof kFrameworkStrings / sizeof kFrameworkStrings[0], nullptr, 0};

}  // namespace

void AfxEnsureFrameworkStrings() {
  // Joins the resource chain when first needed, so programs that never exchange data do not see
  // the platform library in their chain.
  static CResourceTableRegistration registration(kFrameworkTable);
}
