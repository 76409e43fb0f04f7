// Message boxes, beeps and help calls: all routed through the automation interface (Automation.h),
// so tests and hosts script the answers and read a log of what was shown.
#pragma once

#include "platform/core/Types.h"

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_CANCELTRYCONTINUE 0x00000006u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

// The caption of AfxMessageBox boxes; "dravonix" until the application sets its name. Null or
// empty restores the default. The returned text stays valid for the life of the process.
void AfxSetAppName(const char* name);
const char* AfxGetAppName();

// The framework's boxes carry an icon by their buttons when the type names none: the exclamation for
// OK and OK/Cancel, the question for Yes/No and Yes/No/Cancel; other types are left as they are.
UINT AfxMessageBoxType(UINT type);
// Shows a box with the application's name as caption (type as above); returns the button pressed.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// Shows the string table entry `promptId`, found along the resource chain; the help id defaults to
// the prompt id. A missing string shows nothing and returns 0.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = UINT(-1));
struct HWND__;
// A null caption reads "Error", as Win32's does.
int MessageBox(HWND__* owner, const char* text, const char* caption, UINT type);
BOOL MessageBeep(UINT type);

// HTML Help and WinHelp: recorded by the automation interface; no viewer is started.
#define HH_DISPLAY_TOPIC 0x0000u
#define HH_HELP_FINDER 0x0000u
#define HH_DISPLAY_TOC 0x0001u
#define HH_DISPLAY_INDEX 0x0002u
#define HH_DISPLAY_SEARCH 0x0003u
#define HH_DISPLAY_TEXT_POPUP 0x000Eu
#define HH_HELP_CONTEXT 0x000Fu
#define HH_TP_HELP_CONTEXTMENU 0x0010u
#define HH_TP_HELP_WM_HELP 0x0011u
#define HH_CLOSE_ALL 0x0012u

#define HELP_CONTEXT 0x0001u
#define HELP_QUIT 0x0002u
#define HELP_INDEX 0x0003u
#define HELP_CONTENTS 0x0003u
#define HELP_HELPONHELP 0x0004u
#define HELP_SETINDEX 0x0005u
#define HELP_SETCONTENTS 0x0005u
#define HELP_CONTEXTPOPUP 0x0008u
#define HELP_FORCEFILE 0x0009u
#define HELP_CONTEXTMENU 0x000Au
#define HELP_FINDER 0x000Bu
#define HELP_WM_HELP 0x000Cu
#define HELP_SETPOPUP_POS 0x000Du
#define HELP_KEY 0x0101u
#define HELP_COMMAND 0x0102u
#define HELP_PARTIALKEY 0x0105u

// Returns null: there is no help window.
HWND__* HtmlHelp(HWND__* caller, const char* file, UINT command, DWORD_PTR data);
BOOL WinHelp(HWND__* caller, const char* file, UINT command, DWORD_PTR data);
