#include "editor/EditorStrings.h"

#include "platform/core/Resource.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WinDefs.h"

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
    {21025, "Settings\\Find"},
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

// The editor's keys (Ctrl means the Control key).
const ACCEL kAccel[] = {
    {FVIRTKEY, VK_BACK, 24623},
    {FVIRTKEY | FSHIFT, VK_BACK, 24623},
    {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
    {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
    {FVIRTKEY | FCONTROL | FSHIFT, 'Z', ID_EDIT_REDO},
    {FVIRTKEY, VK_DELETE, ID_EDIT_CLEAR},
    {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
    {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
    {FVIRTKEY, VK_INSERT, ID_INDICATOR_OVR},
    {FVIRTKEY, VK_TAB, 24624},
    {FVIRTKEY | FSHIFT, VK_TAB, 24625},
    {FVIRTKEY | FCONTROL, 'F', ID_EDIT_FIND},
    {FVIRTKEY | FCONTROL, 'H', ID_EDIT_REPLACE},
    {FVIRTKEY, VK_F3, 24626},
    {FVIRTKEY | FCONTROL, VK_F2, 24627},
    {FVIRTKEY, VK_F2, 24628},
    {FVIRTKEY | FCONTROL, 'A', 24634},
    {FVIRTKEY, VK_UP, 24601},
    {FVIRTKEY, VK_DOWN, 24600},
    {FVIRTKEY, VK_LEFT, 24602},
    {FVIRTKEY, VK_RIGHT, 24603},
    {FVIRTKEY | FCONTROL, VK_LEFT, 24610},
    {FVIRTKEY | FCONTROL, VK_RIGHT, 24611},
    {FVIRTKEY | FSHIFT, VK_UP, 24613},
    {FVIRTKEY | FSHIFT, VK_DOWN, 24615},
    {FVIRTKEY | FSHIFT, VK_LEFT, 24614},
    {FVIRTKEY | FSHIFT, VK_RIGHT, 24621},
    {FVIRTKEY | FCONTROL | FSHIFT, VK_LEFT, 24619},
    {FVIRTKEY | FCONTROL | FSHIFT, VK_RIGHT, 24622},
    {FVIRTKEY, VK_HOME, 24606},
    {FVIRTKEY, VK_END, 24607},
    {FVIRTKEY | FCONTROL, VK_HOME, 24608},
    {FVIRTKEY | FCONTROL, VK_END, 24609},
    {FVIRTKEY | FSHIFT, VK_HOME, 24617},
    {FVIRTKEY | FSHIFT, VK_END, 24616},
    {FVIRTKEY | FCONTROL | FSHIFT, VK_HOME, 24633},
    {FVIRTKEY | FCONTROL | FSHIFT, VK_END, 24632},
    {FVIRTKEY, VK_PRIOR, 24604},
    {FVIRTKEY, VK_NEXT, 24605},
    {FVIRTKEY | FSHIFT, VK_PRIOR, 24620},
    {FVIRTKEY | FSHIFT, VK_NEXT, 24618},
};

// The gutter's 8 x 8 checkerboard (rows 0xAA and 0x55) and the gutter cursor, as PNG files.
const unsigned char kPatternPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x08, 0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x00, 0x00, 0xEC, 0x74, 0x83, 0x26, 0x00, 0x00, 0x00,
    0x0E, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x58, 0xC5, 0x10, 0xCA, 0x80, 0x84, 0x01, 0x21, 0x44, 0x03,
    0xFD, 0x36, 0x4B, 0x21, 0xA9, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
const unsigned char kCursorPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x37, 0x88, 0xC2, 0xCC, 0x00, 0x00, 0x00,
    0x21, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xA8, 0xFF, 0xCF, 0x60, 0xFF, 0x9F, 0x41, 0xFE, 0x3F, 0x03,
    0xFF, 0x7F, 0x06, 0xF6, 0xFF, 0x0C, 0xCC, 0xFF, 0x19, 0x18, 0xFF, 0x33, 0x30, 0xE0, 0x44, 0x00, 0xA1, 0x8F,
    0x10, 0xE8, 0xC0, 0x58, 0x34, 0xF4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

const RESOURCE_ENTRY kEntries[] = {
    {RT_ACCELERATOR, MAKEINTRESOURCE(24700), kAccel, sizeof kAccel},
    {RT_BITMAP, MAKEINTRESOURCE(24701), kPatternPng, sizeof kPatternPng},
    {RT_CURSOR, MAKEINTRESOURCE(24702), kCursorPng, sizeof kCursorPng},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], kEntries,
                               sizeof kEntries / sizeof kEntries[0]};

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
