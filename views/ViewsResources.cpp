// Dialog templates and strings of the motion views and editors.
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

namespace {

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_UPPERCASE;
constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_RADIOBUTTON;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;
constexpr DWORD kPlainEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kCombo = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;

const DLGITEM_ENTRY kMemorySettingsItems[] = {
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 7, 4, 306, 40, "CAM Tables"},
    {"Static", 0xFFFF, kText, 0, 14, 17, 110, 8, "Space reserved for CAM Tables:"},
    {"Edit", 14002, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 126, 15, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 160, 17, 10, 8, "H"},
    {"Static", 14010, kText, 0, 14, 30, 292, 10, ""},
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 7, 48, 306, 62, "VKS programs"},
    {"Static", 0xFFFF, kText, 0, 14, 60, 40, 8, "Download in"},
    {"Button", 14000, kRadio | WS_GROUP, 0, 56, 59, 112, 10, "EEPROM, beggining at address"},
    {"Button", 14001, kRadio, 0, 56, 97, 112, 10, "RAM, in a section of size"},
    {"Edit", 14003, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 170, 57, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 204, 60, 50, 8, "H and run from"},
    {"Button", 14006, kRadio | WS_GROUP, 0, 70, 73, 120, 10, "the same location (EEPROM)"},
    {"Button", 14007, kRadio, 0, 70, 85, 90, 10, "RAM section of size"},
    {"Edit", 14005, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 170, 83, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 204, 86, 10, 8, "H"},
    {"Edit", 14004, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 170, 95, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 204, 98, 10, 8, "H"},
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 7, 114, 150, 70, "EEPROM memory"},
    {"Static", 14008, kText, 0, 14, 126, 136, 54, ""},
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 163, 114, 150, 70, "RAM memory"},
    {"Static", 14009, kText, 0, 170, 126, 136, 54, ""},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 149, 190, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 206, 190, 50, 14, "Cancel"},
    {"Button", 57671, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 263, 190, 50, 14, "Help"},
};

const DIALOG_RESOURCE kMemorySettings = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 320, 210, "Memory Settings",
    "MS Sans Serif", 8, kMemorySettingsItems, sizeof kMemorySettingsItems / sizeof kMemorySettingsItems[0], nullptr};

const DLGITEM_ENTRY kImportGcodeItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 9, 40, 8, "G-code file:"},
    {"Edit", 14000, kPlainEdit, WS_EX_CLIENTEDGE, 50, 7, 216, 12, ""},
    {"Button", 14001, kButton, 0, 272, 6, 50, 14, "Browse..."},
    {"Button", 0xFFFF, kGroup, 0, 7, 24, 156, 74, "Axes"},
    {"Static", 0xFFFF, kText, 0, 14, 38, 10, 8, "X"},
    {"ComboBox", 14002, kCombo, 0, 26, 36, 50, 80, ""},
    {"Static", 0xFFFF, kText, 0, 14, 54, 10, 8, "Y"},
    {"ComboBox", 14003, kCombo, 0, 26, 52, 50, 80, ""},
    {"Static", 0xFFFF, kText, 0, 14, 70, 10, 8, "Z"},
    {"ComboBox", 14004, kCombo, 0, 26, 68, 50, 80, ""},
    {"Static", 0xFFFF, kText, 0, 14, 86, 30, 8, "Spindle"},
    {"ComboBox", 14005, kCombo, 0, 48, 84, 50, 80, ""},
    {"Static", 0xFFFF, kText, 0, 86, 38, 10, 8, "A"},
    {"ComboBox", 14006, kCombo, 0, 98, 36, 50, 80, ""},
    {"Static", 0xFFFF, kText, 0, 86, 54, 10, 8, "B"},
    {"ComboBox", 14007, kCombo, 0, 98, 52, 50, 80, ""},
    {"Static", 0xFFFF, kText, 0, 86, 70, 10, 8, "C"},
    {"ComboBox", 14008, kCombo, 0, 98, 68, 50, 80, ""},
    {"Button", 0xFFFF, kGroup, 0, 169, 24, 153, 74, "Switches"},
    {"Button", 14010, kCheck, 0, 176, 36, 80, 10, "Feed override"},
    {"Edit", 14013, kPlainEdit, WS_EX_CLIENTEDGE, 262, 35, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 296, 37, 10, 8, "%"},
    {"Button", 14011, kCheck, 0, 176, 52, 80, 10, "Speed override"},
    {"Edit", 14014, kPlainEdit, WS_EX_CLIENTEDGE, 262, 51, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 296, 53, 10, 8, "%"},
    {"Button", 14009, kCheck, 0, 176, 68, 100, 10, "Block delete"},
    {"Button", 14012, kCheck, 0, 176, 84, 100, 10, "Optional program stop"},
    {"Button", 0xFFFF, kGroup, 0, 7, 102, 315, 48, "Devices"},
    {"Static", 0xFFFF, kText, 0, 120, 112, 30, 8, "Axis"},
    {"Static", 0xFFFF, kText, 0, 176, 112, 30, 8, "Line"},
    {"Static", 0xFFFF, kText, 0, 262, 112, 30, 8, "Level"},
    {"Button", 14015, kCheck, 0, 14, 122, 100, 10, "Cycle start button"},
    {"ComboBox", 14020, kCombo, 0, 120, 120, 50, 80, ""},
    {"ComboBox", 14021, kCombo, 0, 176, 120, 80, 80, ""},
    {"ComboBox", 14022, kCombo, 0, 262, 120, 50, 80, ""},
    {"Button", 14016, kCheck, 0, 14, 136, 100, 10, "Coolant valve"},
    {"ComboBox", 14023, kCombo, 0, 120, 134, 50, 80, ""},
    {"ComboBox", 14024, kCombo, 0, 176, 134, 80, 80, ""},
    {"ComboBox", 14025, kCombo, 0, 262, 134, 50, 80, ""},
    {"Button", 0xFFFF, kGroup, 0, 7, 154, 315, 58, "Defaults"},
    {"Static", 0xFFFF, kText, 0, 14, 167, 40, 8, "Units"},
    {"ComboBox", 14028, kCombo, 0, 60, 165, 60, 80, ""},
    {"Static", 0xFFFF, kText, 0, 14, 183, 48, 8, "Spindle speed"},
    {"Edit", 14018, kPlainEdit, WS_EX_CLIENTEDGE, 64, 181, 36, 12, ""},
    {"Static", 0xFFFF, kText, 0, 104, 183, 16, 8, "rpm"},
    {"Static", 0xFFFF, kText, 0, 14, 199, 44, 8, "Direction"},
    {"ComboBox", 14029, kCombo, 0, 60, 197, 70, 80, ""},
    {"Static", 0xFFFF, kText, 0, 150, 167, 50, 8, "Traverse rate"},
    {"Edit", 14019, kPlainEdit, WS_EX_CLIENTEDGE, 200, 165, 40, 12, ""},
    {"Static", 14027, kText, 0, 244, 167, 74, 8, "mm/min or deg/min"},
    {"Static", 0xFFFF, kText, 0, 150, 183, 50, 8, "Feed rate"},
    {"Edit", 14017, kPlainEdit, WS_EX_CLIENTEDGE, 200, 181, 40, 12, ""},
    {"Static", 14026, kText, 0, 244, 183, 74, 8, "mm/min or deg/min"},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 158, 218, 50, 14, "OK"},
    {"Button", IDCANCEL, kButton, 0, 215, 218, 50, 14, "Cancel"},
    {"Button", 57671, kButton, 0, 272, 218, 50, 14, "Help"},
};

const DIALOG_RESOURCE kImportGcode = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 330, 240, "Import G-code file",
    "MS Sans Serif", 8, kImportGcodeItems, sizeof kImportGcodeItems / sizeof kImportGcodeItems[0], nullptr};

constexpr DWORD kList = WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY;
constexpr DWORD kChildForm = WS_CHILD | DS_CONTROL | DS_SETFONT;

const DLGITEM_ENTRY kCAMTablesItems[] = {
    {"Static", 14029, kText, 0, 7, 7, 200, 14, "CAM Tables"},
    {"Edit", 14003, kPlainEdit, WS_EX_CLIENTEDGE, 7, 26, 120, 12, ""},
    {"Button", 14001, kButton, 0, 133, 25, 50, 14, "Add"},
    {"Button", 14002, kButton, 0, 189, 25, 50, 14, "Rename"},
    {"Static", 14030, kText, 0, 7, 46, 100, 8, "Selected"},
    {"ListBox", 14004, kList, WS_EX_CLIENTEDGE, 7, 56, 100, 100, ""},
    {"Button", 14007, kButton, 0, 113, 66, 30, 14, "<"},
    {"Button", 14010, kButton, 0, 113, 84, 30, 14, "<<"},
    {"Button", 14011, kButton, 0, 113, 102, 30, 14, ">"},
    {"Button", 14012, kButton, 0, 113, 120, 30, 14, ">>"},
    {"Static", 14031, kText, 0, 149, 46, 100, 8, "Available"},
    {"ListBox", 14008, kList, WS_EX_CLIENTEDGE, 149, 56, 100, 100, ""},
    {"Button", 14005, kButton, 0, 7, 160, 48, 14, "Move Up"},
    {"Button", 14006, kButton, 0, 59, 160, 48, 14, "Move Down"},
    {"Button", 14000, kButton, 0, 149, 160, 48, 14, "Delete"},
    {"Button", 14038, kButton, 0, 7, 178, 48, 14, "Load..."},
    {"Button", 14009, kButton, 0, 59, 178, 48, 14, "Import ..."},
    {"Static", 14032, kText, 0, 7, 200, 120, 8, "Free buffer space"},
    {"msctls_progress32", 14028, WS_VISIBLE | WS_BORDER, 0, 7, 210, 242, 12, "Progress1"},
    {"Static", 14033, kText, 0, 7, 226, 242, 18, "Check Memory Map to see if you can increase the space reserved for Cam Tables"},
};

const DIALOG_RESOURCE kCAMTables = {kChildForm, 0, 0, 0, 256, 250, "", "MS Sans Serif", 8, kCAMTablesItems,
                                    sizeof kCAMTablesItems / sizeof kCAMTablesItems[0], nullptr};

const DLGITEM_ENTRY kCAMEditorItems[] = {
    {"Static", 14027, kText, 0, 7, 7, 240, 14, ""},
    {"Static", 14034, kText, 0, 7, 28, 80, 8, "Master start value"},
    {"Edit", 14021, kPlainEdit, WS_EX_CLIENTEDGE, 90, 26, 60, 12, ""},
    {"Static", 14035, kText, 0, 7, 44, 80, 8, "Interpolation step: 2^"},
    {"Edit", 14022, kPlainEdit, WS_EX_CLIENTEDGE, 90, 42, 20, 12, ""},
    {"Static", 14037, kText, 0, 160, 28, 50, 8, "Table length"},
    {"Edit", 14024, kPlainEdit | ES_READONLY, WS_EX_CLIENTEDGE, 214, 26, 40, 12, ""},
    {"Button", 0xFFFF, kGroup, 0, 7, 60, 150, 170, "X,Y"},
    {"ListBox", 14014, kList, WS_EX_CLIENTEDGE, 13, 72, 138, 152, ""},
    {"Static", 14036, kText, 0, 163, 72, 40, 8, "Y value"},
    {"Edit", 14023, kPlainEdit, WS_EX_CLIENTEDGE, 163, 82, 60, 12, ""},
    {"Button", 14025, kButton, 0, 163, 100, 28, 14, "&<<"},
    {"Button", 14026, kButton, 0, 195, 100, 28, 14, ">&>"},
    {"Button", 14016, kButton, 0, 163, 118, 60, 14, "&Insert"},
    {"Button", 14015, kButton, 0, 163, 136, 60, 14, "&Update"},
    {"Button", 14017, kButton, 0, 163, 154, 60, 14, "&Remove"},
    {"Button", 14018, kButton, 0, 163, 180, 60, 14, "Import ..."},
    {"Button", 14019, kButton, 0, 163, 198, 60, 14, "Export ..."},
    {"Static", 14013, WS_VISIBLE | SS_LEFT | WS_BORDER, 0, 232, 60, 180, 170, "Graph"},
};

const DIALOG_RESOURCE kCAMEditor = {kChildForm, 0, 0, 0, 420, 240, "", "MS Sans Serif", 8, kCAMEditorItems,
                                    sizeof kCAMEditorItems / sizeof kCAMEditorItems[0], nullptr};

constexpr DWORD kFolderList = WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

const DLGITEM_ENTRY kFunctionsFolderItems[] = {
    {"Static", 14007, kText, 0, 7, 7, 200, 14, "Functions"},
    {"Edit", 14006, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 7, 26, 140, 12, ""},
    {"Button", 14001, kButton, 0, 153, 25, 50, 14, "Add"},
    {"Button", 14005, kButton, 0, 153, 42, 50, 14, "Rename"},
    {"ListBox", 14000, kFolderList, WS_EX_CLIENTEDGE, 7, 42, 140, 120, nullptr},
    {"Button", 14002, kButton, 0, 153, 59, 50, 14, "Delete"},
    {"Button", 14003, kButton, 0, 153, 76, 50, 14, "Move Up"},
    {"Button", 14004, kButton, 0, 153, 93, 50, 14, "Move Down"},
};

const DIALOG_RESOURCE kFunctionsFolder = {WS_CHILD | DS_SETFONT, 0, 0, 0, 210, 170, "", "MS Sans Serif", 8,
                                          kFunctionsFolderItems,
                                          sizeof kFunctionsFolderItems / sizeof kFunctionsFolderItems[0], nullptr};

const DLGITEM_ENTRY kAxisSelectionItems[] = {
    {"Static", 14008, kText, 0, 7, 7, 200, 14, "Axis Selection"},
    {"Static", 14006, kText, 0, 7, 26, 90, 8, "Selected"},
    {"Static", 14007, kText, 0, 130, 26, 90, 8, "Available"},
    {"ListBox", 14000, kFolderList, WS_EX_CLIENTEDGE, 7, 36, 90, 100, nullptr},
    {"Button", 14004, kButton, 0, 103, 60, 20, 14, "<"},
    {"Button", 14005, kButton, 0, 103, 80, 20, 14, ">"},
    {"ListBox", 14001, kFolderList, WS_EX_CLIENTEDGE, 130, 36, 90, 100, nullptr},
    {"Button", 14002, kButton, 0, 7, 140, 44, 14, "Move Up"},
    {"Button", 14003, kButton, 0, 53, 140, 44, 14, "Move Down"},
};

const DLGITEM_ENTRY kGeneratedCodeItems[] = {
    {"Edit", 14000,
     WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
     WS_EX_CLIENTEDGE, 2, 2, 302, 160, ""},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 254, 166, 50, 14, "Close"},
};

const DIALOG_RESOURCE kGeneratedCode = {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT, 0, 0, 0, 306,
                                        184, "Generated VKS Code", "MS Sans Serif", 8, kGeneratedCodeItems,
                                        sizeof kGeneratedCodeItems / sizeof kGeneratedCodeItems[0], nullptr};

const DIALOG_RESOURCE kAxisSelection = {WS_CHILD | DS_SETFONT, 0, 0, 0, 230, 160, "", "MS Sans Serif", 8,
                                        kAxisSelectionItems,
                                        sizeof kAxisSelectionItems / sizeof kAxisSelectionItems[0], nullptr};

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(14031), &kCAMEditor, sizeof kCAMEditor},
    {RT_DIALOG, MAKEINTRESOURCE(14030), &kCAMTables, sizeof kCAMTables},
    {RT_DIALOG, MAKEINTRESOURCE(14051), &kImportGcode, sizeof kImportGcode},
    {RT_DIALOG, MAKEINTRESOURCE(14040), &kGeneratedCode, sizeof kGeneratedCode},
    {RT_DIALOG, MAKEINTRESOURCE(14042), &kAxisSelection, sizeof kAxisSelection},
    {RT_DIALOG, MAKEINTRESOURCE(14032), &kMemorySettings, sizeof kMemorySettings},
    {RT_DIALOG, MAKEINTRESOURCE(14029), &kFunctionsFolder, sizeof kFunctionsFolder},
};

const RESOURCE_STRING kStrings[] = {
    {10055, "Refresh current view\nRefresh"},
    {15005, "Edit for hexadecimal numbers"},
    {15006, "Hexa edit"},
    {15007, "Hint: press F12 to refresh the data in memory view"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], kEntries,
                               sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
