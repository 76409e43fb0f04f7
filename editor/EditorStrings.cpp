#include "editor/EditorStrings.h"

#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {20034, "Cannot save file %s"},
    {20300, "%s\n\nThis file has been changed outside of the source editor. \nDo you want to reload it?"},
    {20301,
     "%s\n\nThis file has been changed outside of the source editor. \nDo you want to reload it and lose the "
     "changes made in the source editor?"},
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
    {24600, "Moves the current position one line down\nLine Down"},
    {24601, "Moves the current position one line up\nLine Up"},
    {24602, "Moves the current position one character to the left\nCharacter Left"},
    {24603, "Moves the current position one character to the right\nCharacter Right"},
    {24604, "Moves the current position one page up\nPage Up"},
    {24605, "Moves the current position one page down\nPage Down"},
    {24606, "Moves the current position to the start of the line\nLine Start"},
    {24607, "Moves the current position to the end of the line\nLine End"},
    {24608, "Moves the current position to the top of the file\nTop of File"},
    {24609, "Moves the current position to the bottom of the file\nBottom of File"},
    {24610, "Moves the current position one word to the left\nWord Left"},
    {24611, "Moves the current position one word to the right\nWord Right"},
    {24612, "Selects text\nSelect"},
    {24613, "Extends the selection one line up\nSelect Line Up"},
    {24614, "Extends the selection one character to the left\nSelect Character Left"},
    {24615, "Extends the selection one line down\nSelect Line Down"},
    {24616, "Extends the selection to the end of the line\nSelect to Line End"},
    {24617, "Extends the selection to the start of the line\nSelect to Line Start"},
    {24618, "Extends the selection one page down\nSelect Page Down"},
    {24619, "Extends the selection one word to the left\nSelect Word Left"},
    {24620, "Extends the selection one page up\nSelect Page Up"},
    {24621, "Extends the selection one character to the right\nSelect Character Right"},
    {24622, "Extends the selection one word to the right\nSelect Word Right"},
    {24623, "Deletes the character before the current position\nBackspace"},
    {24624, "Moves the current position or selection one tabstop to the right\nTab"},
    {24625, "Moves the current position or selection one tabstop to the left\nBack Tab"},
    {24626, "Finds the next occurence of the search text\nFind Next"},
    {24627, "Toggles a bookmark at the current line\nToggle Bookmark"},
    {24628, "Moves to the next bookmark\nNext Bookmark"},
    {24629, "Moves to the previous bookmark\nPrevious Bookmark"},
    {24630, "Clears all bookmarks\nClear All Bookmarks"},
    {24631, "Changes the page layout settings\nPage Setup"},
    {24632, "Extends the selection to the bottom of the file\nSelect to Bottom"},
    {24633, "Extends the selection to the top of the file\nSelect to Top"},
    {24634, "Selects the whole text\nSelect All"},
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
