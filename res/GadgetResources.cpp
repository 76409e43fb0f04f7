// Dialog templates of the control-panel gadget windows, one per kind.
#include "platform/core/Resource.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/Dialog.h"

namespace {

constexpr DWORD kGadget = WS_CHILD | DS_SETFONT | DS_CONTROL;
// Labels show titles and values as written: an ampersand in them is no hot key.
constexpr DWORD kText = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kRight = WS_VISIBLE | SS_RIGHT | SS_NOPREFIX;
constexpr DWORD kCenter = WS_VISIBLE | SS_CENTER | SS_NOPREFIX;
constexpr DWORD kShown = WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY;
constexpr DWORD kTyped = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

#define GADGET(name, w, h, items) \
  const DIALOG_RESOURCE name = {kGadget, 0, 0, 0, w, h, "", "MS Sans Serif", 8, items, sizeof items / sizeof items[0], nullptr}

const DLGITEM_ENTRY kShowVarItems[] = {
    {"Static", 14001, kText, 0, 1, 2, 58, 10, ""},
    {"Edit", 14000, kShown, 0, 60, 1, 59, 12, ""},
};
GADGET(kShowVar, 120, 14, kShowVarItems);

// The value box is no wider than a limit label: at the narrowest width (three labels and a margin,
// a sizing frame included) it still stands between them.
const DLGITEM_ENTRY kGaugeHorzItems[] = {
    {"Static", 14009, kText, 0, 2, 3, 32, 8, ""},
    {"Static", 14008, kRight, 0, 86, 3, 32, 8, ""},
    {PROGRESS_CLASS, 14007, WS_VISIBLE | WS_BORDER, 0, 2, 16, 116, 16, ""},
    {"Edit", 14000, kShown, 0, 44, 1, 32, 12, ""},
};
GADGET(kGaugeHorz, 120, 34, kGaugeHorzItems);

const DLGITEM_ENTRY kGaugeVertItems[] = {
    {"Static", 14001, kCenter, 0, 2, 2, 46, 8, ""},
    {"Static", 14009, kCenter, 0, 2, 110, 46, 8, ""},
    {"Edit", 14000, kShown, 0, 2, 12, 46, 12, ""},
    {PROGRESS_CLASS, 14007, WS_VISIBLE | WS_BORDER | PBS_VERTICAL, 0, 15, 36, 20, 70, ""},
    {"Static", 14008, kCenter, 0, 2, 26, 46, 8, ""},
    {"Static", 0xFFFF, kText, 0, 0, 0, 1, 1, ""},
};
GADGET(kGaugeVert, 50, 120, kGaugeVertItems);

const DLGITEM_ENTRY kSliderHorzItems[] = {
    {"Edit", 14000, kTyped, 0, 44, 11, 32, 12, ""},
    {"Static", 14008, kRight, 0, 86, 13, 32, 8, ""},
    {"Static", 14009, kText, 0, 2, 13, 32, 8, ""},
    {TRACKBAR_CLASS, 14010, WS_VISIBLE | WS_TABSTOP, 0, 2, 26, 116, 16, ""},
    {"Static", 14001, kText, 0, 2, 2, 116, 8, ""},
};
GADGET(kSliderHorz, 120, 44, kSliderHorzItems);

const DLGITEM_ENTRY kSliderVertItems[] = {
    {"Edit", 14000, kTyped, 0, 2, 12, 46, 12, ""},
    {"Static", 14008, kCenter, 0, 2, 26, 46, 8, ""},
    {"Static", 14009, kCenter, 0, 2, 110, 46, 8, ""},
    {TRACKBAR_CLASS, 14010, WS_VISIBLE | WS_TABSTOP | TBS_VERT, 0, 17, 36, 16, 70, ""},
    {"Static", 14001, kCenter, 0, 2, 2, 46, 8, ""},
    {"Static", 0xFFFF, kText, 0, 0, 0, 1, 1, ""},
};
GADGET(kSliderVert, 50, 120, kSliderVertItems);

// The marks "H" (top) and "L" (bottom) need two text lines on the right; each lamp stands beside its mark.
const DLGITEM_ENTRY kInputItems[] = {
    {"Static", 14001, kText, 0, 1, 1, 78, 8, ""},
    {"Static", 14012, WS_VISIBLE | SS_LEFT | WS_BORDER, 0, 22, 28, 16, 9, ""},
    {"Static", 14013, WS_VISIBLE | SS_LEFT | WS_BORDER, 0, 22, 11, 16, 9, ""},
};
GADGET(kInput, 80, 40, kInputItems);

const DLGITEM_ENTRY kOutputItems[] = {
    {"Static", 14001, kText, 0, 1, 1, 78, 8, ""},
    {"Button", 14014, WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE, 0, 4, 11, 34, 13, "L"},
    {"Button", 14015, WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE, 0, 42, 11, 34, 13, "H"},
};
GADGET(kOutput, 80, 26, kOutputItems);

// At a quarter of this width the digit still fits inside a sizing frame.
const DLGITEM_ENTRY kBitItems[] = {
    {"Static", 14001, kText, 0, 1, 2, 63, 10, ""},
    {"Edit", 14000, kShown | ES_CENTER, 0, 66, 1, 13, 12, ""},
};
GADGET(kBit, 80, 14, kBitItems);

// High enough for a line of the default font inside a sizing frame.
const DLGITEM_ENTRY kTextItems[] = {{"Static", 14001, kText, 0, 1, 1, 78, 14, ""}};
GADGET(kTextGadget, 80, 16, kTextItems);

const DLGITEM_ENTRY kCodeItems[] = {{"Button", 14017, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 1, 1, 78, 16, ""}};
GADGET(kCode, 80, 18, kCodeItems);

const DLGITEM_ENTRY kScopeItems[] = {
    {"Edit", 14000, kShown, 0, 106, 34, 40, 12, ""},
    {"Static", 14002, kText, 0, 2, 2, 100, 76, "Oscilloscope"},
    {"Static", 14008, kText, 0, 106, 2, 40, 8, ""},
    {"Static", 14009, kText, 0, 106, 70, 40, 8, ""},
};
GADGET(kScope, 150, 80, kScopeItems);

const DLGITEM_ENTRY kDoubleScopeItems[] = {
    {"Edit", 14000, kShown, 0, 2, 34, 40, 12, ""},
    {"Edit", 14029, kShown, 0, 148, 34, 40, 12, ""},
    {"Static", 14002, kText, 0, 46, 2, 98, 76, "Oscilloscope"},
    {"Static", 14008, kText, 0, 2, 2, 40, 8, ""},
    {"Static", 14009, kText, 0, 2, 70, 40, 8, ""},
    {"Static", 14034, kText, 0, 148, 2, 40, 8, ""},
    {"Static", 14036, kText, 0, 148, 70, 40, 8, ""},
};
GADGET(kDoubleScope, 190, 80, kDoubleScopeItems);

const DLGITEM_ENTRY kYXScopeItems[] = {
    {"Edit", 14000, kShown, 0, 122, 42, 36, 10, ""},
    {"Edit", 14029, kShown, 0, 58, 88, 36, 10, ""},
    {"Static", 14002, kText, 0, 2, 2, 116, 82, "Oscilloscope"},
    {"Static", 14008, kText, 0, 122, 2, 36, 10, ""},
    {"Static", 14009, kText, 0, 122, 74, 36, 10, ""},
    {"Static", 14034, kRight, 0, 82, 88, 36, 10, ""},
    {"Static", 14036, kText, 0, 2, 88, 36, 10, ""},
};
GADGET(kYXScope, 160, 100, kYXScopeItems);

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, "GADGET_SHOWVAR", &kShowVar, sizeof kShowVar},
    {RT_DIALOG, "GADGET_GAUGE_HORZ", &kGaugeHorz, sizeof kGaugeHorz},
    {RT_DIALOG, "GADGET_GAUGE_VERT", &kGaugeVert, sizeof kGaugeVert},
    {RT_DIALOG, "GADGET_INPUT", &kInput, sizeof kInput},
    {RT_DIALOG, "GADGET_OUTPUT", &kOutput, sizeof kOutput},
    {RT_DIALOG, "GADGET_SCOPE", &kScope, sizeof kScope},
    {RT_DIALOG, "GADGET_DOUBLE_SCOPE", &kDoubleScope, sizeof kDoubleScope},
    {RT_DIALOG, "GADGET_YX_SCOPE", &kYXScope, sizeof kYXScope},
    {RT_DIALOG, "GADGET_BIT", &kBit, sizeof kBit},
    {RT_DIALOG, "GADGET_SLIDER_HORZ", &kSliderHorz, sizeof kSliderHorz},
    {RT_DIALOG, "GADGET_SLIDER_VERT", &kSliderVert, sizeof kSliderVert},
    {RT_DIALOG, "GADGET_CODE", &kCode, sizeof kCode},
    {RT_DIALOG, "GADGET_TEXT", &kTextGadget, sizeof kTextGadget},
};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
