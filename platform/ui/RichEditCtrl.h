// The rich edit control ("RichEdit20A"): paragraphs and formatted runs, RTF and text streaming,
// character and paragraph formats, find, printing into any DC, and its framework wrapper.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/Wnd.h"

#define RICHEDIT_CLASS "RichEdit20A"

#define EM_CANPASTE (WM_USER + 50)
#define EM_DISPLAYBAND (WM_USER + 51)
#define EM_EXGETSEL (WM_USER + 52)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_EXLINEFROMCHAR (WM_USER + 54)
#define EM_EXSETSEL (WM_USER + 55)
#define EM_FINDTEXT (WM_USER + 56)
#define EM_FORMATRANGE (WM_USER + 57)
#define EM_GETCHARFORMAT (WM_USER + 58)
#define EM_GETEVENTMASK (WM_USER + 59)
#define EM_GETPARAFORMAT (WM_USER + 61)
#define EM_GETSELTEXT (WM_USER + 62)
#define EM_HIDESELECTION (WM_USER + 63)
#define EM_REQUESTRESIZE (WM_USER + 65)
#define EM_SELECTIONTYPE (WM_USER + 66)
#define EM_SETBKGNDCOLOR (WM_USER + 67)
#define EM_SETCHARFORMAT (WM_USER + 68)
#define EM_SETEVENTMASK (WM_USER + 69)
#define EM_SETPARAFORMAT (WM_USER + 71)
#define EM_SETTARGETDEVICE (WM_USER + 72)
#define EM_STREAMIN (WM_USER + 73)
#define EM_STREAMOUT (WM_USER + 74)
#define EM_GETTEXTRANGE (WM_USER + 75)
#define EM_SETOPTIONS (WM_USER + 77)
#define EM_GETOPTIONS (WM_USER + 78)
#define EM_FINDTEXTEX (WM_USER + 79)
#define EM_GETTEXTLENGTHEX (WM_USER + 95)

// Notifications: EN_CHANGE/EN_UPDATE/EN_MAXTEXT as WM_COMMAND, the others as WM_NOTIFY.
#define EN_REQUESTRESIZE 0x0701
#define EN_SELCHANGE 0x0702
#define EN_PROTECTED 0x0704

#define ENM_NONE 0x00000000u
#define ENM_CHANGE 0x00000001u
#define ENM_UPDATE 0x00000002u
#define ENM_SCROLL 0x00000004u
#define ENM_KEYEVENTS 0x00010000u
#define ENM_MOUSEEVENTS 0x00020000u
#define ENM_REQUESTRESIZE 0x00040000u
#define ENM_SELCHANGE 0x00080000u
#define ENM_PROTECTED 0x00200000u

// Options share their bits with the window's ES_ styles.
#define ECO_AUTOWORDSELECTION 0x00000001u
#define ECO_AUTOVSCROLL 0x00000040u
#define ECO_AUTOHSCROLL 0x00000080u
#define ECO_NOHIDESEL 0x00000100u
#define ECO_READONLY 0x00000800u
#define ECO_WANTRETURN 0x00001000u
#define ECO_SAVESEL 0x00008000u
#define ECO_SELECTIONBAR 0x01000000u
#define ECOOP_SET 0x0001
#define ECOOP_OR 0x0002
#define ECOOP_AND 0x0003
#define ECOOP_XOR 0x0004
#define ES_SAVESEL 0x00008000u
#define ES_SELECTIONBAR 0x01000000u

#define SF_TEXT 0x0001
#define SF_RTF 0x0002
#define SFF_SELECTION 0x8000

#define SCF_DEFAULT 0x0000
#define SCF_SELECTION 0x0001
#define SCF_WORD 0x0002
#define SCF_ALL 0x0004

#define CFM_BOLD 0x00000001u
#define CFM_ITALIC 0x00000002u
#define CFM_UNDERLINE 0x00000004u
#define CFM_STRIKEOUT 0x00000008u
#define CFM_PROTECTED 0x00000010u
#define CFM_CHARSET 0x08000000u
#define CFM_OFFSET 0x10000000u
#define CFM_FACE 0x20000000u
#define CFM_COLOR 0x40000000u
#define CFM_SIZE 0x80000000u
#define CFM_EFFECTS (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_STRIKEOUT | CFE_PROTECTED)
#define CFM_ALL (CFM_EFFECTS | CFM_SIZE | CFM_FACE | CFM_OFFSET | CFM_CHARSET)
#define CFE_BOLD 0x0001u
#define CFE_ITALIC 0x0002u
#define CFE_UNDERLINE 0x0004u
#define CFE_STRIKEOUT 0x0008u
#define CFE_PROTECTED 0x0010u
#define CFE_AUTOCOLOR 0x40000000u

#define PFM_STARTINDENT 0x00000001u
#define PFM_RIGHTINDENT 0x00000002u
#define PFM_OFFSET 0x00000004u
#define PFM_ALIGNMENT 0x00000008u
#define PFA_LEFT 0x0001
#define PFA_RIGHT 0x0002
#define PFA_CENTER 0x0003
#define PFA_JUSTIFY 0x0004

#define SEL_EMPTY 0x0000
#define SEL_TEXT 0x0001
#define GTL_DEFAULT 0
#define GTL_USECRLF 1
#define CF_RTF "Rich Text Format"

struct CHARFORMAT {
  UINT cbSize;
  DWORD dwMask;
  DWORD dwEffects;
  LONG yHeight;   // twips
  LONG yOffset;   // twips
  COLORREF crTextColor;
  BYTE bCharSet;
  BYTE bPitchAndFamily;
  char szFaceName[32];
};
static_assert(sizeof(CHARFORMAT) == 60);

struct PARAFORMAT {
  UINT cbSize;
  DWORD dwMask;
  WORD wNumbering;
  WORD wEffects;
  LONG dxStartIndent;
  LONG dxRightIndent;
  LONG dxOffset;
  WORD wAlignment;
  short cTabCount;
  LONG rgxTabs[32];
};
static_assert(sizeof(PARAFORMAT) == 156);
// The larger form's extra fields are not kept; the control reads and writes the common part.
typedef PARAFORMAT PARAFORMAT2;

struct CHARRANGE {
  LONG cpMin;
  LONG cpMax;
};
struct FINDTEXT {
  CHARRANGE chrg;
  LPCSTR lpstrText;
};
struct FINDTEXTEX {
  CHARRANGE chrg;
  LPCSTR lpstrText;
  CHARRANGE chrgText;
};
struct TEXTRANGE {
  CHARRANGE chrg;
  LPSTR lpstrText;
};
struct FORMATRANGE {
  HDC hdc;
  HDC hdcTarget;
  RECT rc;      // twips
  RECT rcPage;  // twips
  CHARRANGE chrg;
};
struct REQRESIZE {
  NMHDR nmhdr;
  RECT rc;
};
struct SELCHANGE {
  NMHDR nmhdr;
  CHARRANGE chrg;
  WORD seltyp;
};
struct ENPROTECTED {
  NMHDR nmhdr;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  CHARRANGE chrg;
};
struct GETTEXTLENGTHEX {
  DWORD flags;
  UINT codepage;
};

// Hands out (read) or takes (write) up to cb bytes; non-zero stops the stream with that error.
typedef DWORD (*EDITSTREAMCALLBACK)(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
struct EDITSTREAM {
  DWORD_PTR dwCookie;
  DWORD dwError;
  EDITSTREAMCALLBACK pfnCallback;
};

namespace ui {
void RegisterRichEdit();
}

// The context's units per inch along x (LOGPIXELSX) or y (LOGPIXELSY): its own device's pixels per
// inch (not those of a device it only measures for), scaled by its window and viewport extents where
// it maps its units, as a printer's page drawn in screen pixels does. The twips of EM_FORMATRANGE
// are inches in these units.
int GetUnitsPerInch(HDC hdc, int index);

class CRichEditCtrl : public CWnd {
  DECLARE_DYNAMIC(CRichEditCtrl)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  BOOL CanPaste(UINT nFormat = 0) const { return (BOOL)SendMessage(EM_CANPASTE, nFormat); }
  BOOL CanUndo() const { return (BOOL)SendMessage(EM_CANUNDO); }
  int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
  BOOL GetModify() const { return (BOOL)SendMessage(EM_GETMODIFY); }
  void SetModify(BOOL bModified = TRUE) { SendMessage(EM_SETMODIFY, (WPARAM)bModified); }
  void GetSel(CHARRANGE& cr) const { SendMessage(EM_EXGETSEL, 0, (LPARAM)&cr); }
  void GetSel(LONG& nStartChar, LONG& nEndChar) const {
    CHARRANGE cr{};
    GetSel(cr);
    nStartChar = cr.cpMin;
    nEndChar = cr.cpMax;
  }
  void SetSel(CHARRANGE& cr) { SendMessage(EM_EXSETSEL, 0, (LPARAM)&cr); }
  void SetSel(LONG nStartChar, LONG nEndChar) {
    CHARRANGE cr{nStartChar, nEndChar};
    SetSel(cr);
  }
  DWORD GetDefaultCharFormat(CHARFORMAT& cf) const { return PrepCf(cf, SCF_DEFAULT); }
  DWORD GetSelectionCharFormat(CHARFORMAT& cf) const { return PrepCf(cf, SCF_SELECTION); }
  BOOL SetDefaultCharFormat(CHARFORMAT& cf) { return (BOOL)SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf); }
  BOOL SetSelectionCharFormat(CHARFORMAT& cf) { return (BOOL)SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf); }
  BOOL SetWordCharFormat(CHARFORMAT& cf) {
    return (BOOL)SendMessage(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, (LPARAM)&cf);
  }
  DWORD GetParaFormat(PARAFORMAT& pf) const {
    pf.cbSize = sizeof pf;
    return (DWORD)SendMessage(EM_GETPARAFORMAT, 0, (LPARAM)&pf);
  }
  BOOL SetParaFormat(PARAFORMAT& pf) { return (BOOL)SendMessage(EM_SETPARAFORMAT, 0, (LPARAM)&pf); }
  DWORD GetEventMask() const { return (DWORD)SendMessage(EM_GETEVENTMASK); }
  DWORD SetEventMask(DWORD dwEventMask) { return (DWORD)SendMessage(EM_SETEVENTMASK, 0, (LPARAM)dwEventMask); }
  UINT GetOptions() const { return (UINT)SendMessage(EM_GETOPTIONS); }
  void SetOptions(WORD wOp, DWORD dwFlags) { SendMessage(EM_SETOPTIONS, wOp, (LPARAM)dwFlags); }
  BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, (WPARAM)bReadOnly); }
  COLORREF SetBackgroundColor(BOOL bSysColor, COLORREF cr) {
    return (COLORREF)SendMessage(EM_SETBKGNDCOLOR, (WPARAM)bSysColor, (LPARAM)cr);
  }
  BOOL SetTargetDevice(HDC hDC, LONG lLineWidth) {
    return (BOOL)SendMessage(EM_SETTARGETDEVICE, (WPARAM)hDC, (LPARAM)lLineWidth);
  }
  void RequestResize() { SendMessage(EM_REQUESTRESIZE); }
  void LimitText(LONG nChars = 0) { SendMessage(EM_EXLIMITTEXT, 0, (LPARAM)nChars); }
  LONG GetLimitText() const { return (LONG)SendMessage(EM_GETLIMITTEXT); }
  LONG LineFromChar(LONG nIndex) const { return (LONG)SendMessage(EM_EXLINEFROMCHAR, 0, (LPARAM)nIndex); }
  int LineIndex(int nLine = -1) const { return (int)SendMessage(EM_LINEINDEX, (WPARAM)nLine); }
  int LineLength(int nLine = -1) const { return (int)SendMessage(EM_LINELENGTH, (WPARAM)nLine); }
  int GetFirstVisibleLine() const { return (int)SendMessage(EM_GETFIRSTVISIBLELINE); }
  void LineScroll(int nLines, int nChars = 0) { SendMessage(EM_LINESCROLL, (WPARAM)nChars, (LPARAM)nLines); }
  void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE) {
    SendMessage(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText);
  }
  LONG FindText(DWORD dwFlags, FINDTEXTEX* pFindText) const {
    return (LONG)SendMessage(EM_FINDTEXTEX, dwFlags, (LPARAM)pFindText);
  }
  LONG FormatRange(FORMATRANGE* pfr, BOOL bDisplay = TRUE) {
    return (LONG)SendMessage(EM_FORMATRANGE, (WPARAM)bDisplay, (LPARAM)pfr);
  }
  LONG StreamIn(int nFormat, EDITSTREAM& es) { return (LONG)SendMessage(EM_STREAMIN, nFormat, (LPARAM)&es); }
  LONG StreamOut(int nFormat, EDITSTREAM& es) { return (LONG)SendMessage(EM_STREAMOUT, nFormat, (LPARAM)&es); }
  LONG GetTextLength() const { return (LONG)SendMessage(WM_GETTEXTLENGTH); }
  LONG GetTextRange(LONG nFirst, LONG nLast, CString& refString) const;
  CString GetSelText() const;
  WORD GetSelectionType() const { return (WORD)SendMessage(EM_SELECTIONTYPE); }
  void HideSelection(BOOL bHide, BOOL bPerm) { SendMessage(EM_HIDESELECTION, (WPARAM)bHide, (LPARAM)bPerm); }
  void EmptyUndoBuffer() { SendMessage(EM_EMPTYUNDOBUFFER); }
  BOOL Undo() { return (BOOL)SendMessage(EM_UNDO); }
  void Clear() { SendMessage(WM_CLEAR); }
  void Copy() { SendMessage(WM_COPY); }
  void Cut() { SendMessage(WM_CUT); }
  void Paste() { SendMessage(WM_PASTE); }

 private:
  DWORD PrepCf(CHARFORMAT& cf, WPARAM which) const {
    cf.cbSize = sizeof cf;
    return (DWORD)SendMessage(EM_GETCHARFORMAT, which, (LPARAM)&cf);
  }
};
