// String table of drive values, units and the number and file helpers.
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20002, "Invalid syntax in file %s, line %i"},
    {20003, "Error in file %s line %d:\n The unit %s is already defined."},
    {20004, "Out of memory!"},
    {20005, "Cannot find unit %s!"},
    {20006, "Cannot find base unit of the %s unit!"},
    {20007, "Units %s and %s are incompatible!"},
    {20031, "Invalid hexadecimal number! Please put here only hexadecimal digits."},
    {20036, "Non empty string expected"},
    {20037, "Please select an item!"},
    {20046, "Invalid name: this string should contain only alphanumeric characters and begin with a letter or "
            "underscore."},
    {20050, "Invalid name or number: this string should contain only alphanumeric characters."},
    {20053, "Invalid name. "},
    {20065, "Cannot add the new unit %s derived from %s because its factor isn't greater than 0!"},
    {20066, "Error in file %s, line %d:\nUnit factors must be greater than 0!"},
    {20067, "Error in file %s line %d:\n Invalid CANopen field for the unit %s."},
    {20076, "The update.exe program needs to be replaced with a newer version, but you don't have the necessary "
            "rights to do it!\n\nPlease run this program as administrator, exit, then run again as normal user."},
    {20084, "Please select an option!"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
