// Dialog templates and texts of the logger dialogs, and the prompts of the logger view commands.
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

namespace {

constexpr DWORD kText = WS_VISIBLE | SS_LEFT;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kReadOnly = kEdit | ES_READONLY;
constexpr DWORD kNumber = kEdit | ES_NUMBER;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kFirstRadio = kRadio | WS_GROUP;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDefButton = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kList = WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
constexpr DWORD kEditCombo = WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
constexpr DWORD kSortedEditCombo = kEditCombo | CBS_SORT;
constexpr DWORD kColorCombo = WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
constexpr DWORD kSpin = WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
constexpr DWORD kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

#define DIALOG(items, cx, cy, caption) \
  {kDialog, 0, 0, 0, cx, cy, caption, "MS Sans Serif", 8, items, sizeof items / sizeof items[0], nullptr}

// ---- Signal selection ------------------------------------------------------------------------------
const DLGITEM_ENTRY kSignalItems[] = {
    // The radios stand together, so that the arrows go round them and choose nothing else.
    {"Button", 14000, kFirstRadio, 0, 7, 7, 90, 10, "None"},
    {"Button", 14001, kRadio, 0, 7, 23, 90, 10, "Variable"},
    {"Button", 14002, kRadio, 0, 7, 39, 90, 10, "Status register bit"},
    {"Button", 14003, kRadio, 0, 7, 55, 90, 10, "Error register bit"},
    {"Button", 14004, kRadio, 0, 7, 71, 90, 10, "Digital input"},
    {"Button", 14005, kRadio, 0, 7, 87, 90, 10, "Digital output"},
    {"Button", 14006, kRadio, 0, 7, 103, 90, 10, "Variable's bit"},
    {"ComboBox", 14007, kSortedEditCombo | WS_GROUP, 0, 100, 21, 120, 120, ""},
    {"ComboBox", 14008, kList, 0, 100, 37, 120, 120, ""},
    {"ComboBox", 14009, kList, 0, 100, 53, 120, 120, ""},
    {"ComboBox", 14010, kList, 0, 100, 69, 120, 120, ""},
    {"ComboBox", 14011, kList, 0, 100, 85, 120, 120, ""},
    {"ComboBox", 14012, kSortedEditCombo, 0, 100, 101, 80, 120, ""},
    {"ComboBox", 14013, kList, 0, 185, 101, 35, 120, ""},
    {"Button", IDOK, kDefButton | WS_GROUP, 0, 230, 7, 50, 14, "OK"},
    {"Button", IDCANCEL, kButton, 0, 230, 24, 50, 14, "Cancel"},
    {"Button", 9, kButton, 0, 230, 41, 50, 14, "Help"},
};
const DIALOG_RESOURCE kSignal = DIALOG(kSignalItems, 287, 122, "Signal Selection");

// ---- Logger variables ------------------------------------------------------------------------------
#define LOGGER_COMMON(y0, freeText, newText)                                                   \
  {"Button", 0xFFFF, kGroup, 0, 7, 4, 150, 50, "Data logger active in"},                        \
  {"Button", 14008, kFirstRadio, 0, 13, 15, 135, 10, "&Triggered by user"},                     \
  {"Button", 14009, kRadio, 0, 13, 27, 135, 10, "&Position/Speed control loop"},                \
  {"Button", 14010, kRadio, 0, 13, 39, 135, 10, "&Current control loop"},                       \
  {"Static", 0xFFFF, kText | WS_GROUP, 0, 165, 8, 80, 8, "Start address (hexa)"},               \
  {"Edit", 14002, kReadOnly, 0, 250, 6, 40, 12, ""},                                            \
  {"Static", 0xFFFF, kText, 0, 165, 24, 80, 8, "Size (hexa)"},                                  \
  {"Edit", 14007, kReadOnly, 0, 250, 22, 40, 12, ""},                                           \
  {"Static", 0xFFFF, kText, 0, 165, 40, 80, 8, "A&cquisitions no. (decimal)"},                  \
  {"Edit", 14003, kNumber, 0, 250, 38, 40, 12, ""},                                             \
  {"Static", 0xFFFF, kText, 0, 7, y0, 150, 8, freeText},                                        \
  {"msctls_progress32", 14004, WS_VISIBLE | WS_BORDER, 0, 7, y0 + 10, 283, 12, ""},             \
  {"Static", 0xFFFF, kText, 0, 7, y0 + 28, 90, 8, "Save logged data at every"},                 \
  {"Edit", 14012, kNumber, 0, 100, y0 + 26, 30, 12, ""},                                        \
  {"Static", 0xFFFF, kText, 0, 135, y0 + 28, 100, 8, "control loop sampling(s)"},               \
  {"Static", 0xFFFF, kText, 0, 7, y0 + 46, 60, 8, newText},                                     \
  {"ComboBox", 14001, kSortedEditCombo, 0, 70, y0 + 44, 160, 120, ""},                          \
  {"Button", 14011, kDefButton, 0, 240, y0 + 43, 50, 14, "&Add"},                               \
  {"ListBox", 14000, WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 0, 7, y0 + 62, 223, 80, ""}, \
  {"Button", 14005, kButton, 0, 240, y0 + 62, 50, 14, "&Delete"},                               \
  {"Button", 14006, kButton, 0, 240, y0 + 79, 50, 14, "Delete A&ll"},                           \
  {"Button", IDOK, kButton, 0, 300, 6, 50, 14, "OK"},                                           \
  {"Button", IDCANCEL, kButton, 0, 300, 23, 50, 14, "Cancel"},                                  \
  {"Button", 9, kButton, 0, 300, 40, 50, 14, "Help"}

const DLGITEM_ENTRY kSingleItems[] = {LOGGER_COMMON(60, "Free buffer space", "&New variable:")};
const DIALOG_RESOURCE kSingle = DIALOG(kSingleItems, 357, 210, "Setup Logger Variables");

const DLGITEM_ENTRY kMultiItems[] = {
    LOGGER_COMMON(78, "Free buffer space on selected application", "New &variable:"),
    {"Static", 0xFFFF, kText, 0, 7, 62, 60, 8, "Application"},
    {"ComboBox", 14013, kList, 0, 70, 60, 160, 120, ""},
};
const DIALOG_RESOURCE kMulti = DIALOG(kMultiItems, 357, 228, "Setup Multi-Axis Logger Variables");

// ---- Scope set-up ----------------------------------------------------------------------------------
const DLGITEM_ENTRY kScopeItems[] = {
    {"Static", 0xFFFF, kText, 0, 55, 8, 90, 8, "Signal"},
    {"Static", 0xFFFF, kText, 0, 150, 8, 50, 8, "Unit"},
    {"Static", 0xFFFF, kText, 0, 205, 8, 60, 8, "Scale"},
    {"Static", 0xFFFF, kText, 0, 280, 8, 40, 8, "Offset"},
    {"Static", 0xFFFF, kText, 0, 350, 8, 45, 8, "Colour"},
    {"Button", 14000, kButton, 0, 7, 20, 45, 14, "Channel 1"},
    {"Edit", 14004, kReadOnly, 0, 55, 21, 90, 12, ""},
    {"ComboBox", 14008, kList, 0, 150, 21, 50, 100, ""},
    {"Edit", 14016, kReadOnly, 0, 205, 21, 60, 12, ""},
    {"msctls_updown32", 14012, kSpin, 0, 265, 21, 10, 12, ""},
    {"Edit", 14021, kEdit, 0, 280, 21, 40, 12, ""},
    {"Static", 14025, kText, 0, 323, 23, 25, 8, ""},
    {"ComboBox", 14044, kColorCombo, 0, 350, 21, 45, 100, ""},
    {"Button", 14001, kButton, 0, 7, 38, 45, 14, "Channel 2"},
    {"Edit", 14005, kReadOnly, 0, 55, 39, 90, 12, ""},
    {"ComboBox", 14009, kList, 0, 150, 39, 50, 100, ""},
    {"Edit", 14017, kReadOnly, 0, 205, 39, 60, 12, ""},
    {"msctls_updown32", 14013, kSpin, 0, 265, 39, 10, 12, ""},
    {"Edit", 14022, kEdit, 0, 280, 39, 40, 12, ""},
    {"Static", 14026, kText, 0, 323, 41, 25, 8, ""},
    {"ComboBox", 14045, kColorCombo, 0, 350, 39, 45, 100, ""},
    {"Button", 14002, kButton, 0, 7, 56, 45, 14, "Channel 3"},
    {"Edit", 14006, kReadOnly, 0, 55, 57, 90, 12, ""},
    {"ComboBox", 14010, kList, 0, 150, 57, 50, 100, ""},
    {"Edit", 14018, kReadOnly, 0, 205, 57, 60, 12, ""},
    {"msctls_updown32", 14014, kSpin, 0, 265, 57, 10, 12, ""},
    {"Edit", 14023, kEdit, 0, 280, 57, 40, 12, ""},
    {"Static", 14027, kText, 0, 323, 59, 25, 8, ""},
    {"ComboBox", 14046, kColorCombo, 0, 350, 57, 45, 100, ""},
    {"Button", 14003, kButton, 0, 7, 74, 45, 14, "Channel 4"},
    {"Edit", 14007, kReadOnly, 0, 55, 75, 90, 12, ""},
    {"ComboBox", 14011, kList, 0, 150, 75, 50, 100, ""},
    {"Edit", 14019, kReadOnly, 0, 205, 75, 60, 12, ""},
    {"msctls_updown32", 14015, kSpin, 0, 265, 75, 10, 12, ""},
    {"Edit", 14024, kEdit, 0, 280, 75, 40, 12, ""},
    {"Static", 14028, kText, 0, 323, 77, 25, 8, ""},
    {"ComboBox", 14047, kColorCombo, 0, 350, 75, 45, 100, ""},
    {"Static", 0xFFFF, kText, 0, 7, 98, 60, 8, "Operating mode"},
    {"ComboBox", 14040, kList, 0, 70, 96, 60, 60, ""},
    {"Static", 0xFFFF, kText, 0, 140, 98, 60, 8, "Time/div"},
    {"ComboBox", 14039, kList, 0, 205, 96, 60, 120, ""},
    {"Button", 0xFFFF, kGroup, 0, 7, 114, 390, 70, "Trigger"},
    {"Static", 0xFFFF, kText, 0, 13, 128, 40, 8, "Source"},
    {"ComboBox", 14029, kList, 0, 55, 126, 110, 100, ""},
    {"Button", 14048, kButton, 0, 170, 125, 40, 14, "Other"},
    {"Static", 0xFFFF, kText, 0, 13, 146, 40, 8, "Level"},
    {"Edit", 14031, kEdit, 0, 55, 144, 60, 12, ""},
    {"ComboBox", 14030, kList, 0, 120, 144, 45, 100, ""},
    {"Static", 0xFFFF, kText, 0, 13, 164, 40, 8, "Slope"},
    {"ComboBox", 14032, kList, 0, 55, 162, 60, 60, ""},
    {"Static", 0xFFFF, kText, 0, 220, 128, 60, 8, "Position (%)"},
    {"Edit", 14033, kEdit, 0, 285, 126, 30, 12, ""},
    {"msctls_updown32", 14034, kSpin, 0, 315, 126, 10, 12, ""},
    {"Button", 14035, kFirstRadio, 0, 220, 146, 40, 10, "Normal"},
    {"Button", 14036, kRadio, 0, 262, 146, 40, 10, "Single"},
    {"Button", 14037, kRadio, 0, 304, 146, 35, 10, "Auto"},
    {"ComboBox", 14038, kList | WS_GROUP, 0, 340, 144, 50, 100, ""},
    {"Button", 0xFFFF, kGroup, 0, 7, 188, 390, 28, "Measure"},
    {"Button", 14041, kFirstRadio, 0, 13, 200, 40, 10, "None"},
    {"Button", 14042, kRadio, 0, 60, 200, 40, 10, "Value"},
    {"Button", 14043, kRadio, 0, 107, 200, 50, 10, "Difference"},
    {"ComboBox", 14049, kColorCombo | WS_GROUP, 0, 170, 198, 45, 100, ""},
    {"Button", IDOK, kDefButton, 0, 240, 222, 50, 14, "OK"},
    {"Button", IDCANCEL, kButton, 0, 294, 222, 50, 14, "Cancel"},
    {"Button", 9, kButton, 0, 347, 222, 50, 14, "Help"},
};
const DIALOG_RESOURCE kScope = DIALOG(kScopeItems, 404, 242, "Scope Setup");

const RESOURCE_STRING kStrings[] = {
    {10000, "Set variables which will be logged\nLogger Variables"},
    {10001, "Start logger acquisition\nStart logger"},
    {10002, "Upload Logger Data from DSP board\nUpload Logger Data"},
    {10003, "Set logger plot colors & options"},
    {10004, "Set up curves drawn in each subplot of logger plot"},
    {10005, "Stop current logger data upload\nStop Data Upload"},
    {10006, "Export graphic to ASCII File"},
    {10007, "Export graphic to WMF File"},
    {10008, "Import logger settings from file\nImport Logger Settings"},
    {10009, "Export logger settings to file\nExport Logger Settings"},
    {10010, "Auto arrange logger subplots"},
    {10011, "Arrange logger subplots horizontally"},
    {10012, "Arrange logger subplots vertically"},
    {10013, "Save graph as plot file"},
    {10058, "Configure oscilloscope parameters"},
    {10059, "Start scope acquisition\nStart scope"},
    {10060, "Stop scope acquisition\nStop scope"},
    {10061, "Autoscale scope channels\nAutoscale scope"},
    {20033, "Cannot find a variable with name '%s'"},
    {20059, "Variable '%s' is already selected!"},
};

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(14003), &kSingle, sizeof kSingle},
    {RT_DIALOG, MAKEINTRESOURCE(14041), &kMulti, sizeof kMulti},
    {RT_DIALOG, MAKEINTRESOURCE(14052), &kScope, sizeof kScope},
    {RT_DIALOG, MAKEINTRESOURCE(14053), &kSignal, sizeof kSignal},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], kEntries,
                               sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
