// String table of parameters, the parameter list and variables.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20010, "Cannot find parameter %s!"},
    {20012, "Error in file %s line %d:\n The parameter %s is already defined."},
    {20013, "Error in file %s line %d:\n Address 0x%04hX is used by another parameter."},
    {20014, "Error in file %s line %d:\n This relation \"min <= val <= max\" is not satisfied!"},
    {20015, "Cannot write in file %s! Check file system permissions."},
    {20016, "Parameter %s has unknown unit (%s)."},
    {20017, "Variable %s has unknown unit (%s)."},
    {20018, "Error in file %s line %d:\n The variable %s is already defined."},
    {20021, "Cannot find parameter with address 0x%04hX!"},
    {20022, "Cannot write in file %s! %s"},
    {20023, "Cannot write in folder %s! Check file system permissions."},
    {20024, "The folder %s is in use by another program.\nChoose Retry to wait for it again."},
    {20029, "Cannot complete or undo an interrupted save in folder %s! %s"},
    {20030, "Links, pipes and devices are not packed into %s:\n%s"},
    {20200, "Warning: %s GUI module returned 0 as IU scale factor for unit %s and variable/parameter %s."},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
