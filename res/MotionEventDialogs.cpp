// Dialog templates of the motion event pages and of the rotary/linear unit transition question.
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

namespace {

constexpr DWORD kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kFirstRadio = kRadio | WS_GROUP;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
constexpr DWORD kCombo = WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kText = WS_VISIBLE | WS_GROUP | SS_LEFT;
constexpr DWORD kFrame = WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
constexpr WORD kNoId = 0xFFFF;

#define BUTTONS(y)                                                                                   \
  {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 60, y, 50, 14, "OK"},   \
      {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 116, y, 50, 14, "Cancel"},    \
      {"Button", 57671, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 172, y, 50, 14, "Help"}

// The operator, the source of the value and the value with its unit, from `y` down.
#define COMPARISON(y, over, under, value, variable, edit, unit)                                        \
  {"Button", kNoId, kFrame, 0, 7, y, 216, 24, "Condition"},                                          \
      {"Button", over, kFirstRadio, 0, 14, y + 10, 80, 10, "Equal or over"},                        \
      {"Button", under, kRadio, 0, 110, y + 10, 80, 10, "Equal or under"},                          \
      {"Button", kNoId, kFrame, 0, 7, y + 28, 216, 24, "Compared with"},                            \
      {"Button", value, kFirstRadio, 0, 14, y + 38, 60, 10, "Value"},                                \
      {"Button", variable, kRadio, 0, 110, y + 38, 80, 10, "Value of variable"},                    \
      {"Edit", edit, kEdit, WS_EX_CLIENTEDGE, 14, y + 56, 120, 12, ""},                              \
      {"ComboBox", unit, kCombo, 0, 140, y + 56, 60, 80, ""}

#define SLAVE_COMBO(id) {"Static", kNoId, kText, 0, 7, 9, 40, 8, "Slave axis:"}, {"ComboBox", id, kCombo, 0, 50, 7, 40, 80, ""}

template <size_t N>
constexpr DIALOG_RESOURCE Page(const char* caption, const DLGITEM_ENTRY (&items)[N], short height) {
  return {kDialog, 0, 0, 0, 230, height, caption, "MS Sans Serif", 8, items, (UINT)N, nullptr};
}

// ---- Type ----
#define TYPE_RADIOS                                                                                      \
  {"Button", 14000, kFirstRadio, 0, 14, 8, 200, 10, "None"},                                          \
      {"Button", 14001, kRadio, 0, 14, 20, 200, 10, "When actual motion is completed"},               \
      {"Button", 14002, kRadio, 0, 14, 32, 200, 10, "Function of motor or load position"},            \
      {"Button", 14003, kRadio, 0, 14, 44, 200, 10, "Function of motor or load speed"},               \
      {"Button", 14004, kRadio, 0, 14, 56, 200, 10, "After a wait time"},                             \
      {"Button", 14005, kRadio, 0, 14, 68, 200, 10, "Function of reference"},                         \
      {"Button", 14006, kRadio, 0, 14, 80, 200, 10, "Function of input status"},                      \
      {"Button", 14007, kRadio, 0, 14, 92, 200, 10, "Function of a 32-bit variable value"}
const DLGITEM_ENTRY kTypeDrive[] = {TYPE_RADIOS, BUTTONS(112)};
const DLGITEM_ENTRY kTypeController[] = {
    TYPE_RADIOS,
    {"Button", 14008, kRadio, 0, 14, 104, 200, 10, "When target is reached"},
    {"Button", 14009, kRadio, 0, 14, 116, 200, 10, "Function of vector distance"},
    BUTTONS(136)};

// ---- Position ----
#define POSITION_BODY(top)                                                                        \
  {"Button", kNoId, kFrame, 0, 7, top, 104, 24, "Sensor"},                                        \
      {"Button", 14012, kFirstRadio, 0, 14, top + 10, 40, 10, "Motor"},                           \
      {"Button", 14013, kRadio, 0, 60, top + 10, 40, 10, "Load"},                                 \
      {"Button", kNoId, kFrame, 0, 119, top, 104, 24, "Position"},                                \
      {"Button", 14000, kFirstRadio, 0, 126, top + 10, 44, 10, "Absolute"},                       \
      {"Button", 14001, kRadio, 0, 172, top + 10, 44, 10, "Relative"},                            \
      COMPARISON(top + 28, 14002, 14003, 14010, 14011, 14004, 14006)
const DLGITEM_ENTRY kPositionDrive[] = {POSITION_BODY(4), BUTTONS(104)};
const DLGITEM_ENTRY kPositionController[] = {SLAVE_COMBO(14007), POSITION_BODY(24), BUTTONS(124)};

// ---- Speed ----
#define SPEED_BODY(top)                                                                           \
  {"Button", kNoId, kFrame, 0, 7, top, 216, 24, "Sensor"},                                        \
      {"Button", 14007, kFirstRadio, 0, 14, top + 10, 40, 10, "Motor"},                           \
      {"Button", 14008, kRadio, 0, 110, top + 10, 40, 10, "Load"},                                \
      COMPARISON(top + 28, 14000, 14001, 14005, 14006, 14002, 14003)
const DLGITEM_ENTRY kSpeedDrive[] = {SPEED_BODY(4), BUTTONS(104)};
const DLGITEM_ENTRY kSpeedController[] = {SLAVE_COMBO(14004), SPEED_BODY(24), BUTTONS(124)};

// ---- Time ----
const DLGITEM_ENTRY kTime[] = {
    {"Button", kNoId, kFrame, 0, 7, 4, 216, 24, "Wait time"},
    {"Button", 14001, kFirstRadio, 0, 14, 14, 60, 10, "Value"},
    {"Button", 14000, kRadio, 0, 110, 14, 80, 10, "Value of variable"},
    {"Edit", 14002, kEdit, WS_EX_CLIENTEDGE, 14, 32, 120, 12, ""},
    {"ComboBox", 14003, kCombo, 0, 140, 32, 60, 80, ""},
    BUTTONS(52)};

// ---- Reference ----
const DLGITEM_ENTRY kReferenceDrive[] = {
    {"Button", kNoId, kFrame, 0, 7, 4, 216, 24, "Reference"},
    {"Button", 14003, kFirstRadio, 0, 14, 14, 60, 10, "Position"},
    {"Button", 14004, kRadio, 0, 80, 14, 60, 10, "Speed"},
    {"Button", 14005, kRadio, 0, 146, 14, 60, 10, "Torque"},
    COMPARISON(32, 14000, 14001, 14009, 14010, 14002, 14007),
    BUTTONS(104)};
const DLGITEM_ENTRY kReferenceController[] = {SLAVE_COMBO(14006),
                                              COMPARISON(24, 14000, 14001, 14009, 14010, 14002, 14007),
                                              BUTTONS(96)};

// ---- Input ----
#define INPUT_BODY(top)                                                                               \
  {"Button", kNoId, kFrame, 0, 7, top, 216, 60, "Input"},                                             \
      {"Button", 14000, kFirstRadio, 0, 14, top + 10, 100, 10, "Encoder index"},                     \
      {"Button", 14001, kRadio, 0, 14, top + 22, 100, 10, "2nd encoder index"},                      \
      {"Button", 14002, kRadio, 0, 14, top + 34, 100, 10, "Positive limit switch"},                  \
      {"Button", 14003, kRadio, 0, 118, top + 10, 100, 10, "Negative limit switch"},                 \
      {"Button", 14004, kRadio, 0, 118, top + 22, 100, 10, "Digital input"},                         \
      {"Button", 14005, kRadio, 0, 118, top + 34, 100, 10, "Home input"},                            \
      {"ComboBox", 14006, kCombo, 0, 130, top + 46, 80, 80, ""},                                      \
      {"Button", kNoId, kFrame, 0, 7, top + 64, 216, 24, "Level"},                                    \
      {"Button", 14008, kFirstRadio, 0, 14, top + 74, 80, 10, "low"},                                \
      {"Button", 14009, kRadio, 0, 110, top + 74, 80, 10, "high"}
const DLGITEM_ENTRY kInputDrive[] = {INPUT_BODY(4), BUTTONS(100)};
const DLGITEM_ENTRY kInputController[] = {SLAVE_COMBO(14010), INPUT_BODY(24), BUTTONS(120)};

// ---- Variable ----
const DLGITEM_ENTRY kVariable[] = {
    {"Static", kNoId, kText, 0, 7, 9, 40, 8, "Variable:"},
    {"Edit", 14000, kEdit, WS_EX_CLIENTEDGE, 50, 7, 100, 12, ""},
    COMPARISON(24, 14001, 14002, 14005, 14004, 14003, 14006),
    BUTTONS(96)};

// ---- Motion complete ----
const DLGITEM_ENTRY kMotionCompleteDrive[] = {
    {"Button", 14027, kFirstRadio, 0, 14, 8, 200, 10, "Actual position stays inside a settle band"},
    {"Button", 14028, kRadio, 0, 14, 20, 200, 10, "The reference arrives at the position to reach"},
    {"Button", 14026, kCheck, 0, 14, 36, 200, 10, "Set motion complete parameters"},
    {"Static", kNoId, kText, 0, 14, 52, 80, 8, "Settle band tolerance:"},
    {"Edit", 14029, kEdit, WS_EX_CLIENTEDGE, 96, 50, 60, 12, ""},
    {"ComboBox", 14030, kCombo, 0, 160, 50, 60, 80, ""},
    {"Static", kNoId, kText, 0, 14, 68, 80, 8, "Stabilize time:"},
    {"Edit", 14031, kEdit, WS_EX_CLIENTEDGE, 96, 66, 60, 12, ""},
    {"ComboBox", 14032, kCombo, 0, 160, 66, 60, 80, ""},
    BUTTONS(88)};

#define SLAVE_CHECKS                                                                   \
  {"Button", kNoId, kFrame, 0, 7, 4, 216, 36, "Slave axes"},                           \
      {"Button", 14000, kCheck, 0, 14, 14, 24, 10, "A"},                               \
      {"Button", 14001, kCheck, 0, 40, 14, 24, 10, "B"},                               \
      {"Button", 14002, kCheck, 0, 66, 14, 24, 10, "C"},                               \
      {"Button", 14003, kCheck, 0, 92, 14, 24, 10, "D"},                               \
      {"Button", 14004, kCheck, 0, 118, 14, 24, 10, "E"},                              \
      {"Button", 14005, kCheck, 0, 144, 14, 24, 10, "F"},                              \
      {"Button", 14006, kCheck, 0, 170, 14, 24, 10, "G"},                              \
      {"Button", 14007, kCheck, 0, 196, 14, 24, 10, "H"}
const DLGITEM_ENTRY kSlaveChecks[] = {SLAVE_CHECKS, BUTTONS(48)};

// ---- Vector distance ----
const DLGITEM_ENTRY kVectorDistance[] = {COMPARISON(4, 14000, 14001, 14002, 14003, 14004, 14005), BUTTONS(76)};

// ---- Unit transition ----
const DLGITEM_ENTRY kTransition[] = {
    {"Static", kNoId, kText, 0, 7, 7, 260, 8,
     "Please enter the transformation factor between rotary and linear displacements:"},
    {"Edit", 14000, kEdit, WS_EX_CLIENTEDGE, 7, 22, 50, 12, ""},
    {"ComboBox", 14001, kCombo, 0, 60, 22, 40, 80, ""},
    {"Static", kNoId, kText, 0, 108, 24, 56, 8, "corresponds to"},
    {"Edit", 14002, kEdit, WS_EX_CLIENTEDGE, 166, 22, 50, 12, ""},
    {"ComboBox", 14003, kCombo, 0, 220, 22, 40, 80, ""},
    {"Button", IDCANCEL, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0, 110, 42, 50, 14, "Close"},
};

const DIALOG_RESOURCE kDialogs[] = {
    Page("Event Type", kTypeDrive, 132),
    Page("Event Type", kTypeController, 156),
    Page("Event - Function of Motor or Load Position", kPositionDrive, 124),
    Page("Event - Function of Motor or Load Position", kPositionController, 144),
    Page("Event - Function of Motor or Load Speed", kSpeedDrive, 124),
    Page("Event - Function of Motor or Load Speed", kSpeedController, 144),
    Page("Event - After a Wait Time", kTime, 72),
    Page("Event - Function of Reference", kReferenceDrive, 124),
    Page("Event - Function of Reference", kReferenceController, 116),
    Page("Event - Function of Input Status", kInputDrive, 120),
    Page("Event - Function of Input Status", kInputController, 140),
    Page("Event - Function of a 32-bit Variable Value", kVariable, 116),
    Page("Event - When Actual Motion Is Complete", kMotionCompleteDrive, 108),
    Page("Event - When Actual Motion Is Complete", kSlaveChecks, 68),
    Page("Event - When Target Is Reached", kSlaveChecks, 68),
    Page("Event - Function of Vector Distance", kVectorDistance, 96),
    {kDialog, 0, 0, 0, 274, 62, "Rotary to linear or linear to rotary unit transition detected", "MS Sans Serif", 8,
     kTransition, sizeof kTransition / sizeof kTransition[0], nullptr},
};
const WORD kIds[] = {14021, 14043, 14022, 14045, 14023, 14046, 14024, 14025, 14047,
                     14026, 14048, 14027, 14028, 14044, 14049, 14050, 14037};
static_assert(sizeof kIds / sizeof kIds[0] == sizeof kDialogs / sizeof kDialogs[0]);

#define ENTRY(i) {RT_DIALOG, MAKEINTRESOURCE(kIds[i]), &kDialogs[i], sizeof(DIALOG_RESOURCE)}
const RESOURCE_ENTRY kEntries[] = {ENTRY(0),  ENTRY(1),  ENTRY(2),  ENTRY(3),  ENTRY(4),  ENTRY(5),
                                   ENTRY(6),  ENTRY(7),  ENTRY(8),  ENTRY(9),  ENTRY(10), ENTRY(11),
                                   ENTRY(12), ENTRY(13), ENTRY(14), ENTRY(15), ENTRY(16)};
static_assert(sizeof kEntries / sizeof kEntries[0] == sizeof kDialogs / sizeof kDialogs[0]);

const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
