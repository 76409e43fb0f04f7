// The layer's native control classes ("Static", "Button", "Edit", "ListBox", "ComboBox", "ScrollBar"
// and the common controls): registration and the private messages they use among themselves.
#pragma once

#include "platform/ui/WinDefs.h"

class CDC;

// Check boxes in list boxes (check lists) and the combo box's list: numbers no Win32 control uses.
#define LBX_SETCHECK 0x01B0
#define LBX_GETCHECK 0x01B1
#define LBX_ENABLECHECKS 0x01B2
#define LBX_SETCOMBO 0x01B3
#define LBX_USERSELECT 0x01B4
#define CBX_LISTDONE 0x016A  // wParam: TRUE when an item was chosen
#define EDX_SETCOMBO 0x01B5  // wParam: the combo box whose edit field this is
#define LBX_TRACKPRESS 0x01B6  // the combo box's list follows a press made on the box
#define CLBN_CHKCHANGE 40

namespace ui {
void RegisterStaticAndButton();
void RegisterEdit();
void RegisterListBox();
void RegisterComboBox();
void RegisterCommonControls();
void RegisterBars();
// Registers every native control class once (also done when the layer loads).
void EnsureNativeControls();
}  // namespace ui

// Draws an icon resource centred in a rectangle.
void DrawIconImage(CDC& dc, HICON icon, const RECT& r);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
