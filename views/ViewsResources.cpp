// Dialog templates of the motion views and editors.
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

namespace {

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_UPPERCASE;
constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_RADIOBUTTON;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;

const DLGITEM_ENTRY kMemorySettingsItems[] = {
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 7, 4, 306, 40, "CAM Tables"},
    {"Static", 0xFFFF, kText, 0, 14, 17, 110, 8, "Space reserved for CAM Tables:"},
    {"Edit", 14002, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 126, 15, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 160, 17, 10, 8, "H"},
    {"Static", 14010, kText, 0, 14, 30, 292, 10, ""},
    {"Button", 0xFFFF, WS_VISIBLE | BS_GROUPBOX, 0, 7, 48, 306, 62, "VKS programs"},
    {"Static", 0xFFFF, kText, 0, 14, 60, 40, 8, "Download in"},
    {"Button", 14000, kRadio | WS_GROUP, 0, 56, 59, 112, 10, "EEPROM, beggining at address"},
    {"Edit", 14003, kEdit, WS_EX_CLIENTEDGE, 170, 57, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 204, 60, 50, 8, "H and run from"},
    {"Button", 14006, kRadio | WS_GROUP, 0, 70, 73, 120, 10, "the same location (EEPROM)"},
    {"Button", 14007, kRadio, 0, 70, 85, 90, 10, "RAM section of size"},
    {"Edit", 14005, kEdit, WS_EX_CLIENTEDGE, 170, 83, 30, 12, ""},
    {"Static", 0xFFFF, kText, 0, 204, 86, 10, 8, "H"},
    {"Button", 14001, kRadio | WS_GROUP, 0, 56, 97, 112, 10, "RAM, in a section of size"},
    {"Edit", 14004, kEdit, WS_EX_CLIENTEDGE, 170, 95, 30, 12, ""},
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

constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kList = WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

const DLGITEM_ENTRY kFunctionsFolderItems[] = {
    {"Static", 14007, kText, 0, 7, 7, 200, 14, "Functions"},
    {"Edit", 14006, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 7, 26, 140, 12, ""},
    {"Button", 14001, kButton, 0, 153, 25, 50, 14, "Add"},
    {"Button", 14005, kButton, 0, 153, 42, 50, 14, "Rename"},
    {"ListBox", 14000, kList, WS_EX_CLIENTEDGE, 7, 42, 140, 120, nullptr},
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
    {"ListBox", 14000, kList, WS_EX_CLIENTEDGE, 7, 36, 90, 100, nullptr},
    {"Button", 14004, kButton, 0, 103, 60, 20, 14, "<"},
    {"Button", 14005, kButton, 0, 103, 80, 20, 14, ">"},
    {"ListBox", 14001, kList, WS_EX_CLIENTEDGE, 130, 36, 90, 100, nullptr},
    {"Button", 14002, kButton, 0, 7, 140, 44, 14, "Move Up"},
    {"Button", 14003, kButton, 0, 53, 140, 44, 14, "Move Down"},
};

const DIALOG_RESOURCE kAxisSelection = {WS_CHILD | DS_SETFONT, 0, 0, 0, 230, 160, "", "MS Sans Serif", 8,
                                        kAxisSelectionItems,
                                        sizeof kAxisSelectionItems / sizeof kAxisSelectionItems[0], nullptr};

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(14042), &kAxisSelection, sizeof kAxisSelection},
    {RT_DIALOG, MAKEINTRESOURCE(14032), &kMemorySettings, sizeof kMemorySettings},
    {RT_DIALOG, MAKEINTRESOURCE(14029), &kFunctionsFolder, sizeof kFunctionsFolder},
};

const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
