#include "editor/EditorStrings.h"

#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {21000, "The file is read only."},
    {21001, "The clipboard is empty."},
    {21002, "Can't read data."},
    {21003, "Cannot complete operation.  Maximum line length would be exceeded."},
    {21004, "Out of memory."},
    {21005, "End of file."},
    {21006, "There is no selection."},
    {21007, "Untitled."},
    {21008, "Top of file."},
    {21009, "There is no text."},
    {21010, "Stream Only."},
    {21011, "The string '%s' was not found."},
    {21012, "Wrapped."},
    {21013, "Finished searching for '%s'."},
    {21014, "Join line."},
    {21015, "Delete line."},
    {21016, "Tab size"},
    {21017, "Keep tabs"},
    {21018, "Show tabs"},
    {21019, "Font name"},
    {21020, "Font size"},
    {21021, "Word wrap"},
    {21022, "Insert"},
    {21023, "Lock files"},
    {21024, "Line end type"},
    {21035, "Nulls encounterd in file.  Use another editor to edit this file."},
    {21036, "This file contains lines longer than the %d character maximum.\r\nThe lines will be wrapped."},
    {21037, "Font weight"},
    {21038, "Font Italic"},
    {21039, "CharSet"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};

}  // namespace

const char* GetEditorString(UINT id) {
  for (const RESOURCE_STRING& s : kStrings)
    if (s.id == id) return s.text;
  return nullptr;
}

const RESOURCE_TABLE& GetEditorStringTable() { return kTable; }

namespace {
CResourceTableRegistration g_registration(kTable);
}  // namespace
