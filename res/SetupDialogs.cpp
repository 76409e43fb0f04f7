// Dialog templates, icons and button bitmaps of the setup dialogs: the CANopen dialogs and the result
// icons and start/stop bitmaps of the setup test pages.
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

#include "res_embedded.h"

namespace {

constexpr DWORD kText = WS_VISIBLE | SS_LEFT;
constexpr DWORD kList = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kPush = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const DLGITEM_ENTRY kFactorGroupItems[] = {
    {"Static", 14000, kText, 0, 7, 9, 70, 8, "Position units:"},
    {"ComboBox", 14004, kList | WS_GROUP, 0, 80, 7, 90, 80, ""},
    {"Button", 14008, kPush, 0, 176, 6, 50, 14, "Details..."},
    {"Static", 14001, kText, 0, 7, 27, 70, 8, "Speed units:"},
    {"ComboBox", 14005, kList, 0, 80, 25, 90, 80, ""},
    {"Button", 14009, kPush, 0, 176, 24, 50, 14, "Details..."},
    {"Static", 14002, kText, 0, 7, 45, 70, 8, "Acceleration units:"},
    {"ComboBox", 14006, kList, 0, 80, 43, 90, 80, ""},
    {"Button", 14010, kPush, 0, 176, 42, 50, 14, "Details..."},
    {"Static", 14003, kText, 0, 7, 63, 70, 8, "Time units:"},
    {"ComboBox", 14007, kList, 0, 80, 61, 90, 80, ""},
    {"Button", 14011, kPush, 0, 176, 60, 50, 14, "Details..."},
    {"Button", IDOK, kPush | WS_GROUP | BS_DEFPUSHBUTTON, 0, 62, 86, 50, 14, "OK"},
    {"Button", IDCANCEL, kPush, 0, 119, 86, 50, 14, "Cancel"},
    {"Button", 0xE146, kPush, 0, 176, 86, 50, 14, "Help"},
};

const DIALOG_RESOURCE kFactorGroup = {
    kDialog, 0, 0, 0, 233, 107, "CANopen - Factor Group", "MS Sans Serif", 8, kFactorGroupItems,
    sizeof kFactorGroupItems / sizeof kFactorGroupItems[0], nullptr};

const DLGITEM_ENTRY kFactorsItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 9, 60, 8, "Dimension index"},
    {"Edit", 14001, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 70, 7, 60, 12, ""},
    {"Static", 0xFFFF, kText, 0, 7, 25, 60, 8, "Notation index"},
    {"Edit", 14002, kEdit, WS_EX_CLIENTEDGE, 70, 23, 60, 12, ""},
    {"Static", 14000, kText, 0, 7, 45, 60, 8, "1 unit ="},
    {"Static", 0xFFFF, kText, 0, 70, 41, 60, 8, "Factor numerator"},
    {"Edit", 14003, kEdit, WS_EX_CLIENTEDGE, 70, 51, 60, 12, ""},
    {"Static", 0xFFFF, kText, 0, 70, 66, 60, 8, "Factor divisor"},
    {"Edit", 14004, kEdit, WS_EX_CLIENTEDGE, 70, 76, 60, 12, ""},
    {"Static", 0xFFFF, kText, 0, 134, 62, 20, 8, "IU"},
    {"Button", IDOK, kPush | WS_GROUP | BS_DEFPUSHBUTTON, 0, 7, 98, 45, 14, "OK"},
    {"Button", IDCANCEL, kPush, 0, 57, 98, 45, 14, "Cancel"},
    {"Button", 0xE146, kPush, 0, 107, 98, 45, 14, "Help"},
};

const DIALOG_RESOURCE kFactors = {kDialog, 0, 0, 0, 160, 119, "___ factors", "MS Sans Serif", 8, kFactorsItems,
                                  sizeof kFactorsItems / sizeof kFactorsItems[0], nullptr};

#define IMAGE(type, name) {type, #name, embedded_##name##_png, embedded_##name##_png_size}

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(14038), &kFactorGroup, sizeof kFactorGroup},
    {RT_DIALOG, MAKEINTRESOURCE(14039), &kFactors, sizeof kFactors},
    IMAGE(RT_GROUP_ICON, UNDEFINE),
    IMAGE(RT_GROUP_ICON, SUCCESS),
    IMAGE(RT_GROUP_ICON, FAILED),
    IMAGE(RT_BITMAP, TEST_START_U),
    IMAGE(RT_BITMAP, TEST_START_D),
    IMAGE(RT_BITMAP, TEST_START_F),
    IMAGE(RT_BITMAP, TEST_START_X),
    IMAGE(RT_BITMAP, TEST_STOP_U),
    IMAGE(RT_BITMAP, TEST_STOP_D),
    IMAGE(RT_BITMAP, TEST_STOP_F),
    IMAGE(RT_BITMAP, TEST_STOP_X),
};

const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
