// The common dialogs: file open and save, print and print set-up, colour, font and find/replace.
// File, print, colour and font dialogs take their answers from the automation interface
// (DialogAutomation.h); the find/replace dialog is a real modeless window.
#pragma once

#include "platform/core/String.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

#ifndef _MAX_PATH
#define _MAX_PATH 260
#endif

// ---- File dialogs ------------------------------------------------------------------------------------
#define OFN_READONLY 0x00000001u
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_NOCHANGEDIR 0x00000008u
#define OFN_SHOWHELP 0x00000010u
#define OFN_ENABLEHOOK 0x00000020u
#define OFN_ENABLETEMPLATE 0x00000040u
#define OFN_ENABLETEMPLATEHANDLE 0x00000080u
#define OFN_NOVALIDATE 0x00000100u
#define OFN_ALLOWMULTISELECT 0x00000200u
#define OFN_EXTENSIONDIFFERENT 0x00000400u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_CREATEPROMPT 0x00002000u
#define OFN_SHAREAWARE 0x00004000u
#define OFN_NOREADONLYRETURN 0x00008000u
#define OFN_NOTESTFILECREATE 0x00010000u
#define OFN_NONETWORKBUTTON 0x00020000u
#define OFN_NOLONGNAMES 0x00040000u
#define OFN_EXPLORER 0x00080000u
#define OFN_NODEREFERENCELINKS 0x00100000u
#define OFN_LONGNAMES 0x00200000u
#define OFN_ENABLEINCLUDENOTIFY 0x00400000u
#define OFN_ENABLESIZING 0x00800000u

typedef UINT_PTR (*LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
struct OPENFILENAME {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs of texts, each ended by a zero, the list by a second zero
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
};
typedef OPENFILENAME OPENFILENAMEA;
typedef OPENFILENAME* LPOPENFILENAME;

BOOL GetOpenFileName(LPOPENFILENAME ofn);
BOOL GetSaveFileName(LPOPENFILENAME ofn);
// Why the last file dialog failed: 0 for a cancel, FNERR_BUFFERTOOSMALL 0x3003 when the name did not fit.
DWORD CommDlgExtendedError();
#define FNERR_BUFFERTOOSMALL 0x3003

class CCommonDialog : public CDialog {
  DECLARE_DYNAMIC(CCommonDialog)
 public:
  explicit CCommonDialog(CWnd* pParentWnd) : CDialog((LPCSTR) nullptr, pParentWnd) {}
};

class CFileDialog : public CCommonDialog {
  DECLARE_DYNAMIC(CFileDialog)
 public:
  // The filter is the framework's "Name|pattern|Name|pattern||" text.
  explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                       CWnd* pParentWnd = nullptr, DWORD dwSize = 0);
  INT_PTR DoModal() override;

  OPENFILENAME m_ofn{};
  BOOL m_bOpenFileDialog;

  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;
  CString GetFolderPath() const;
  BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) != 0; }
  // Several files (OFN_ALLOWMULTISELECT).
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& pos) const;

 private:
  char m_szFileName[_MAX_PATH * 4] = {0};
  char m_szFileTitle[64] = {0};
  std::string m_filter;   // with zeros
  std::string m_filterText;
  std::string m_defExt;
};

// ---- Print dialogs -------------------------------------------------------------------------------------
#define PD_ALLPAGES 0x00000000u
#define PD_SELECTION 0x00000001u
#define PD_PAGENUMS 0x00000002u
#define PD_NOSELECTION 0x00000004u
#define PD_NOPAGENUMS 0x00000008u
#define PD_COLLATE 0x00000010u
#define PD_PRINTTOFILE 0x00000020u
#define PD_PRINTSETUP 0x00000040u
#define PD_NOWARNING 0x00000080u
#define PD_RETURNDC 0x00000100u
#define PD_RETURNIC 0x00000200u
#define PD_RETURNDEFAULT 0x00000400u
#define PD_SHOWHELP 0x00000800u
#define PD_ENABLEPRINTHOOK 0x00001000u
#define PD_ENABLESETUPHOOK 0x00002000u
#define PD_ENABLEPRINTTEMPLATE 0x00004000u
#define PD_ENABLESETUPTEMPLATE 0x00008000u
#define PD_USEDEVMODECOPIES 0x00040000u
#define PD_USEDEVMODECOPIESANDCOLLATE 0x00040000u
#define PD_DISABLEPRINTTOFILE 0x00080000u
#define PD_HIDEPRINTTOFILE 0x00100000u
#define PD_NONETWORKBUTTON 0x00200000u

struct PRINTDLG {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode;
  HGLOBAL hDevNames;
  HDC hDC;
  DWORD Flags;
  WORD nFromPage;
  WORD nToPage;
  WORD nMinPage;
  WORD nMaxPage;
  WORD nCopies;
  HINSTANCE hInstance;
  LPARAM lCustData;
  void* lpfnPrintHook;
  void* lpfnSetupHook;
  LPCSTR lpPrintTemplateName;
  LPCSTR lpSetupTemplateName;
  HGLOBAL hPrintTemplate;
  HGLOBAL hSetupTemplate;
};
typedef PRINTDLG PRINTDLGA;
typedef PRINTDLG* LPPRINTDLG;
BOOL PrintDlg(LPPRINTDLG pd);

// Print and print set-up; the device is the drawing layer's PDF printer.
class CPrintDialog : public CCommonDialog {
  DECLARE_DYNAMIC(CPrintDialog)
 public:
  explicit CPrintDialog(BOOL bPrintSetupOnly,
                        DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                        CWnd* pParentWnd = nullptr);
  ~CPrintDialog() override;
  INT_PTR DoModal() override;
  // The printer's defaults without asking.
  BOOL GetDefaults();
  HDC CreatePrinterDC();
  HDC GetPrinterDC() const { return m_pd.hDC; }
  int GetCopies() const { return m_pd.nCopies; }
  LPDEVMODE GetDevMode() const;
  CString GetDriverName() const;
  CString GetDeviceName() const;
  CString GetPortName() const;
  int GetFromPage() const { return m_pd.nFromPage; }
  int GetToPage() const { return m_pd.nToPage; }
  BOOL PrintAll() const { return !PrintRange() && !PrintSelection(); }
  BOOL PrintCollate() const { return (m_pd.Flags & PD_COLLATE) != 0; }
  BOOL PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
  BOOL PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
  BOOL PrintToFile() const { return (m_pd.Flags & PD_PRINTTOFILE) != 0; }

  PRINTDLG& m_pd;

 private:
  PRINTDLG m_pdActual{};
};

// ---- Colour and font --------------------------------------------------------------------------------------
#define CC_RGBINIT 0x00000001u
#define CC_FULLOPEN 0x00000002u
#define CC_PREVENTFULLOPEN 0x00000004u
#define CC_SHOWHELP 0x00000008u
#define CC_ANYCOLOR 0x00000100u
#define CC_SOLIDCOLOR 0x00000080u
struct CHOOSECOLOR {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;
  DWORD Flags;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
};
BOOL ChooseColor(CHOOSECOLOR* cc);

class CColorDialog : public CCommonDialog {
  DECLARE_DYNAMIC(CColorDialog)
 public:
  explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
  INT_PTR DoModal() override;
  COLORREF GetColor() const { return m_cc.rgbResult; }
  void SetCurrentColor(COLORREF clr) { m_cc.rgbResult = clr; }
  static COLORREF* GetSavedCustomColors();
  CHOOSECOLOR m_cc{};
};

#define CF_SCREENFONTS 0x00000001u
#define CF_PRINTERFONTS 0x00000002u
#define CF_BOTH (CF_SCREENFONTS | CF_PRINTERFONTS)
#define CF_SHOWHELP 0x00000004u
#define CF_ENABLEHOOK 0x00000008u
#define CF_ENABLETEMPLATE 0x00000010u
#define CF_INITTOLOGFONTSTRUCT 0x00000040u
#define CF_USESTYLE 0x00000080u
#define CF_EFFECTS 0x00000100u
#define CF_APPLY 0x00000200u
#define CF_ANSIONLY 0x00000400u
#define CF_SCRIPTSONLY CF_ANSIONLY
#define CF_NOVECTORFONTS 0x00000800u
#define CF_NOSIMULATIONS 0x00001000u
#define CF_LIMITSIZE 0x00002000u
#define CF_FIXEDPITCHONLY 0x00004000u
#define CF_FORCEFONTEXIST 0x00010000u
#define CF_SCALABLEONLY 0x00020000u
#define CF_TTONLY 0x00040000u
#define CF_NOFACESEL 0x00080000u
#define CF_NOSTYLESEL 0x00100000u
#define CF_NOSIZESEL 0x00200000u
#define CF_NOVERTFONTS 0x01000000u
struct CHOOSEFONT {
  DWORD lStructSize;
  HWND hwndOwner;
  HDC hDC;
  LOGFONT* lpLogFont;
  INT iPointSize;  // tenths of a point
  DWORD Flags;
  COLORREF rgbColors;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
  HINSTANCE hInstance;
  LPSTR lpszStyle;
  WORD nFontType;
  INT nSizeMin;
  INT nSizeMax;
};
BOOL ChooseFont(CHOOSEFONT* cf);

class CFontDialog : public CCommonDialog {
  DECLARE_DYNAMIC(CFontDialog)
 public:
  explicit CFontDialog(LOGFONT* lplfInitial = nullptr, DWORD dwFlags = CF_EFFECTS | CF_SCREENFONTS,
                       CDC* pdcPrinter = nullptr, CWnd* pParentWnd = nullptr);
  INT_PTR DoModal() override;
  void GetCurrentFont(LOGFONT* lplf) const;
  CString GetFaceName() const { return m_lf.lfFaceName; }
  int GetSize() const { return m_cf.iPointSize; }
  COLORREF GetColor() const { return m_cf.rgbColors; }
  int GetWeight() const { return m_lf.lfWeight; }
  BOOL IsStrikeOut() const { return m_lf.lfStrikeOut != 0; }
  BOOL IsUnderline() const { return m_lf.lfUnderline != 0; }
  BOOL IsBold() const { return m_lf.lfWeight >= FW_SEMIBOLD; }
  BOOL IsItalic() const { return m_lf.lfItalic != 0; }
  CHOOSEFONT m_cf{};
  LOGFONT m_lf{};
};

// ---- Find and replace -----------------------------------------------------------------------------------
#define FR_DOWN 0x00000001u
#define FR_WHOLEWORD 0x00000002u
#define FR_MATCHCASE 0x00000004u
#define FR_FINDNEXT 0x00000008u
#define FR_REPLACE 0x00000010u
#define FR_REPLACEALL 0x00000020u
#define FR_DIALOGTERM 0x00000040u
#define FR_SHOWHELP 0x00000080u
#define FR_ENABLEHOOK 0x00000100u
#define FR_ENABLETEMPLATE 0x00000200u
#define FR_NOUPDOWN 0x00000400u
#define FR_NOMATCHCASE 0x00000800u
#define FR_NOWHOLEWORD 0x00001000u
#define FR_ENABLETEMPLATEHANDLE 0x00002000u
#define FR_HIDEUPDOWN 0x00004000u
#define FR_HIDEMATCHCASE 0x00008000u
#define FR_HIDEWHOLEWORD 0x00010000u
#define FINDMSGSTRING "commdlg_FindReplace"
struct FINDREPLACE {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  DWORD Flags;
  LPSTR lpstrFindWhat;
  LPSTR lpstrReplaceWith;
  WORD wFindWhatLen;
  WORD wReplaceWithLen;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
};
// The controls of the find/replace dialog, as its templates number them.
#define edt1 0x0480
#define edt2 0x0481
#define chx1 0x0410
#define chx2 0x0411
#define rad1 0x0420
#define rad2 0x0421
#define psh1 0x0400
#define psh2 0x0401

// A modeless dialog that sends "commdlg_FindReplace" to its owner for each request. Made with new;
// it deletes itself when its window goes.
class CFindReplaceDialog : public CCommonDialog {
  DECLARE_DYNAMIC(CFindReplaceDialog)
 public:
  CFindReplaceDialog();
  BOOL Create(BOOL bFindDialogOnly, LPCSTR lpszFindWhat, LPCSTR lpszReplaceWith = nullptr, DWORD dwFlags = FR_DOWN,
              CWnd* pParentWnd = nullptr);
  static CFindReplaceDialog* GetNotifier(LPARAM lParam);
  CString GetFindString() const { return m_szFindWhat; }
  CString GetReplaceString() const { return m_szReplaceWith; }
  BOOL SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
  BOOL FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
  BOOL MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
  BOOL MatchWholeWord() const { return (m_fr.Flags & FR_WHOLEWORD) != 0; }
  BOOL ReplaceCurrent() const { return (m_fr.Flags & FR_REPLACE) != 0; }
  BOOL ReplaceAll() const { return (m_fr.Flags & FR_REPLACEALL) != 0; }
  BOOL IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }
  FINDREPLACE m_fr{};

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;
  void OnCancel() override;
  void PostNcDestroy() override;

 private:
  void Send(DWORD flag);
  char m_szFindWhat[128] = {0};
  char m_szReplaceWith[128] = {0};
  BOOL m_bFindOnly = TRUE;
};
HWND FindText(FINDREPLACE* fr);
HWND ReplaceText(FINDREPLACE* fr);
