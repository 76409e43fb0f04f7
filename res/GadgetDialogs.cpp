// Dialog templates of the gadgets' edit dialogs.
#include "platform/core/Resource.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/Dialog.h"

namespace {

constexpr DWORD kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kList = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kDrop = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kPush = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kSwatch = WS_VISIBLE | SS_CENTER | WS_BORDER;

// The quantity block of index i at (x, y): axis, variable or expression, unit, precision, hexa.
#define AXIS_AND_VARIABLE(i, x, y)                                                                  \
  {"Static", 0xFFFF, kText, 0, x, y + 2, 30, 8, "Axis"},                                            \
      {"ComboBox", 14050 + i, kList, 0, x + 34, y, 90, 120, ""},                                    \
      {"ComboBox", 14052 + i, kDrop | WS_GROUP, 0, x + 34, y + 30, 90, 120, ""},                    \
      {"Static", 0xFFFF, kText, 0, x, y + 50, 30, 8, "Unit"},                                       \
      {"ComboBox", 14056 + i, kList, 0, x + 34, y + 48, 90, 120, ""},                               \
      {"Static", 0xFFFF, kText, 0, x, y + 66, 30, 8, "Format"},                                     \
      {"ComboBox", 14058 + i, kList, 0, x + 34, y + 64, 50, 80, ""},                                \
      {"Button", 14060 + i, kCheck, 0, x + 90, y + 65, 60, 10, "&Hexadecimal"}
#define EXPRESSION(i, x, y)                                                                          \
  {"Button", 14066 + 2 * i, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, x, y + 16, 50, 10, "Variable"}, \
      {"Button", 14067 + 2 * i, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, x + 60, y + 16, 60, 10, "Expression"},            \
      {"Edit", 14054 + i, kEdit | WS_GROUP, 0, x + 130, y + 30, 90, 12, ""}
#define RANGE(i, x, y)                                              \
  {"Static", 0xFFFF, kText, 0, x, y + 84, 20, 8, "Min"},            \
      {"Edit", 14062 + i, kEdit, 0, x + 34, y + 82, 50, 12, ""},    \
      {"Static", 0xFFFF, kText, 0, x + 90, y + 84, 20, 8, "Max"},   \
      {"Edit", 14064 + i, kEdit, 0, x + 112, y + 82, 50, 12, ""}
#define TITLE_AND_PERIOD(y, before, after)                                    \
  {"Static", 0xFFFF, kText, 0, 7, y + 2, 30, 8, "Title"},                    \
      {"Edit", 14000, kEdit, 0, 40, y, 180, 12, ""},                          \
      {"Static", 0xFFFF, kText, 0, 7, y + 20, 70, 8, before},                 \
      {"Edit", 14028, kEdit | ES_NUMBER, 0, 80, y + 18, 40, 12, ""},          \
      {"Static", 0xFFFF, kText, 0, 124, y + 20, 30, 8, after},                \
      {"Button", 14048, kCheck, 0, 160, y + 19, 50, 10, "Border"}
#define BUTTONS(x, y)                                                                          \
  {"Button", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, x, y, 50, 14, "OK"},         \
      {"Button", IDCANCEL, kPush, 0, x + 56, y, 50, 14, "Cancel"},                             \
      {"Button", 9, kPush, 0, x + 112, y, 50, 14, "Help"}
#define COLOR(id, swatch, x, y, text) \
  {"Button", id, kPush, 0, x, y, 50, 14, text}, {"Static", swatch, kSwatch, 0, x + 56, y + 1, 20, 12, ""}
#define DIALOG(name, w, h, caption, items) \
  const DIALOG_RESOURCE name = {kDialog, 0, 0, 0, w, h, caption, "MS Sans Serif", 8, items, sizeof items / sizeof items[0], nullptr}

const DLGITEM_ENTRY kShowVarItems[] = {AXIS_AND_VARIABLE(0, 7, 7), EXPRESSION(0, 7, 7),
                                       TITLE_AND_PERIOD(90, "Read value at every", "ms"), BUTTONS(60, 134)};
DIALOG(kShowVar, 230, 154, "Show Value", kShowVarItems);

const DLGITEM_ENTRY kGaugeItems[] = {AXIS_AND_VARIABLE(0, 7, 7), EXPRESSION(0, 7, 7), RANGE(0, 7, 7),
                                     TITLE_AND_PERIOD(108, "Read value at every", "ms"),
                                     COLOR(14006, 14070, 7, 148, "Color..."), BUTTONS(60, 170)};
DIALOG(kGauge, 230, 190, "Gauge", kGaugeItems);

const DLGITEM_ENTRY kScopeItems[] = {AXIS_AND_VARIABLE(0, 7, 7), EXPRESSION(0, 7, 7), RANGE(0, 7, 7),
                                     TITLE_AND_PERIOD(108, "Time period", "seconds"),
                                     COLOR(14006, 14070, 7, 148, "Color..."), BUTTONS(60, 170)};
DIALOG(kScope, 230, 190, "Scope", kScopeItems);

const DLGITEM_ENTRY kSliderItems[] = {AXIS_AND_VARIABLE(0, 7, 7), RANGE(0, 7, 7),
                                      {"Button", 14011, kCheck, 0, 160, 95, 60, 10, "Need UPD"},
                                      TITLE_AND_PERIOD(108, "Read value at every", "ms"), BUTTONS(60, 150)};
DIALOG(kSlider, 230, 170, "Slider", kSliderItems);

#define TWO_VARS(first, second)                                                                        \
  {"Button", 0xFFFF, kGroup, 0, 3, 0, 228, 104, first}, AXIS_AND_VARIABLE(0, 7, 10), EXPRESSION(0, 7, 10), \
      RANGE(0, 7, 10), {"Button", 0xFFFF, kGroup, 0, 235, 0, 228, 104, second},                        \
      AXIS_AND_VARIABLE(1, 239, 10), EXPRESSION(1, 239, 10), RANGE(1, 239, 10)
const DLGITEM_ENTRY kDoubleScopeItems[] = {TWO_VARS("Left", "Right"), TITLE_AND_PERIOD(110, "Time period", "seconds"),
                                           COLOR(14006, 14070, 240, 110, "Color..."),
                                           COLOR(14032, 14071, 240, 128, "Color..."), BUTTONS(150, 152)};
DIALOG(kDoubleScope, 466, 172, "Double Scope", kDoubleScopeItems);

const DLGITEM_ENTRY kYXScopeItems[] = {TWO_VARS("Y axis", "X axis"), TITLE_AND_PERIOD(110, "Time period", "seconds"),
                                       COLOR(14006, 14070, 240, 110, "Color..."), BUTTONS(150, 152)};
DIALOG(kYXScope, 466, 172, "Y(X) Scope", kYXScopeItems);

#define PORT_ITEMS(label)                                                              \
  {"Static", 0xFFFF, kText, 0, 7, 9, 30, 8, "Axis"}, {"ComboBox", 14050, kList, 0, 40, 7, 90, 120, ""}, \
      {"Static", 0xFFFF, kText, 0, 7, 27, 30, 8, label}, {"ComboBox", 14052, kList, 0, 40, 25, 90, 120, ""}, \
      TITLE_AND_PERIOD(44, "Read value at every", "ms"), BUTTONS(40, 86)
const DLGITEM_ENTRY kInputItems[] = {PORT_ITEMS("IN#")};
DIALOG(kInput, 230, 106, "Input", kInputItems);
const DLGITEM_ENTRY kOutputItems[] = {PORT_ITEMS("OUT#")};
DIALOG(kOutput, 230, 106, "Output", kOutputItems);

const DLGITEM_ENTRY kBitItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 9, 30, 8, "Axis"},
    {"ComboBox", 14050, kList, 0, 40, 7, 90, 120, ""},
    {"Static", 0xFFFF, kText, 0, 7, 27, 30, 8, "Variable"},
    {"ComboBox", 14052, kDrop, 0, 40, 25, 90, 120, ""},
    {"Static", 0xFFFF, kText, 0, 136, 27, 40, 8, "Bit position"},
    {"ComboBox", 14047, kList, 0, 180, 25, 40, 120, ""},
    TITLE_AND_PERIOD(44, "Read value at every", "ms"),
    COLOR(14006, 14070, 7, 82, "Color..."),
    COLOR(14032, 14071, 110, 82, "Color..."),
    BUTTONS(40, 104),
};
DIALOG(kBit, 230, 124, "Bit Value", kBitItems);

const DLGITEM_ENTRY kCodeItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 7, 40, 8, "Code:"},
    {"Edit", 14018, kEdit | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, 0, 7, 18, 216, 90, ""},
    BUTTONS(30, 114),
};
const DIALOG_RESOURCE kCode = {kDialog | WS_THICKFRAME, 0, 0, 0, 230, 134, "Code", "MS Sans Serif", 8,
                               kCodeItems, sizeof kCodeItems / sizeof kCodeItems[0], nullptr};

const DLGITEM_ENTRY kTextItems[] = {
    {"Edit", 14000, kEdit | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 7, 7, 216, 50, ""},
    {"Button", 14048, kCheck, 0, 7, 64, 50, 10, "Border"},
    {"Button", 14020, kCheck, 0, 60, 64, 50, 10, "Filled"},
    {"Button", 14049, kPush, 0, 7, 80, 60, 14, "Font..."},
    {"Button", 14006, kPush, 0, 72, 80, 80, 14, "Background Color..."},
    {"Static", 14070, kSwatch, 0, 158, 81, 20, 12, ""},
    BUTTONS(40, 104),
};
DIALOG(kTextDialog, 230, 124, "Label", kTextItems);

// The precision choices of every quantity block.
#define PRECISIONS(dialog, id)                                                                          \
  {id, CB_ADDSTRING, "0"}, {id, CB_ADDSTRING, "0.0"}, {id, CB_ADDSTRING, "0.00"}, {id, CB_ADDSTRING, "0.000"}, \
      {id, CB_ADDSTRING, "0.0000"}, {id, CB_ADDSTRING, "0.00000"}, {id, CB_ADDSTRING, "0.000000"}
const DLGINIT_ENTRY kOneInit[] = {PRECISIONS(0, 14058)};
const DLGINIT_RESOURCE kOneData = {kOneInit, sizeof kOneInit / sizeof kOneInit[0]};
const DLGINIT_ENTRY kTwoInit[] = {PRECISIONS(0, 14058), PRECISIONS(0, 14059)};
const DLGINIT_RESOURCE kTwoData = {kTwoInit, sizeof kTwoInit / sizeof kTwoInit[0]};

#define ENTRY(id, dialog) {RT_DIALOG, MAKEINTRESOURCE(id), &dialog, sizeof dialog}
#define INIT(id, data) {RT_DLGINIT, MAKEINTRESOURCE(id), &data, sizeof data}
const RESOURCE_ENTRY kEntries[] = {
    ENTRY(14006, kScope),  ENTRY(14007, kShowVar), ENTRY(14008, kDoubleScope), ENTRY(14009, kYXScope),
    ENTRY(14010, kGauge),  ENTRY(14011, kSlider),  ENTRY(14012, kInput),       ENTRY(14013, kOutput),
    ENTRY(14014, kCode),   ENTRY(14015, kBit),     ENTRY(14016, kTextDialog),  INIT(14006, kOneData),
    INIT(14007, kOneData), INIT(14008, kTwoData),  INIT(14009, kTwoData),      INIT(14010, kOneData),
    INIT(14011, kOneData),
};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
