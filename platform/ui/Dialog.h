// Dialog boxes: templates in dialog units as resources, the dialog manager (creation, keyboard
// navigation, default buttons), CDialog modal and modeless, and data exchange and validation.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/Wnd.h"

// ---- Templates ------------------------------------------------------------------------------------
// One control of a template. Coordinates are dialog units; WS_CHILD is implied. For static icons
// and bitmaps `text` names the image (a text or MAKEINTRESOURCE).
struct DLGITEM_ENTRY {
  LPCSTR className;  // "Button", "Edit", "Static", "ListBox", "ComboBox", "ScrollBar", … or a registered class
  WORD id;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  LPCSTR text;
};

// A dialog template, registered in a module's RESOURCE_TABLE with type RT_DIALOG.
struct DIALOG_RESOURCE {
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  LPCSTR caption;
  LPCSTR fontFace;  // null: the default dialog font
  WORD pointSize;
  const DLGITEM_ENTRY* items;
  UINT itemCount;
  LPCSTR className;  // null: the standard dialog class
};

// A template's initialisation data, registered with type RT_DLGINIT under the template's name:
// strings given to its combo and list boxes (CB_ADDSTRING or LB_ADDSTRING) in order.
#define RT_DLGINIT MAKEINTRESOURCE(240)
struct DLGINIT_ENTRY {
  WORD id;
  UINT message;
  LPCSTR text;
};
struct DLGINIT_RESOURCE {
  const DLGINIT_ENTRY* entries;
  UINT count;
};

#define DS_ABSALIGN 0x01u
#define DS_SYSMODAL 0x02u
#define DS_3DLOOK 0x04u
#define DS_FIXEDSYS 0x08u
#define DS_NOFAILCREATE 0x10u
#define DS_LOCALEDIT 0x20u
#define DS_SETFONT 0x40u
#define DS_MODALFRAME 0x80u
#define DS_NOIDLEMSG 0x100u
#define DS_SETFOREGROUND 0x200u
#define DS_CONTROL 0x0400u
#define DS_CENTER 0x0800u
#define DS_CENTERMOUSE 0x1000u
#define DS_CONTEXTHELP 0x2000u
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DM_REPOSITION (WM_USER + 2)
#define DC_HASDEFID 0x534B

#define WC_DIALOG "#32770"

typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// The template along the resource chain (or in `module` when given); null when none has it.
const DIALOG_RESOURCE* AfxFindDialogTemplate(LPCSTR name, HINSTANCE* foundIn = nullptr);
const DIALOG_RESOURCE* FindDialogTemplate(HINSTANCE module, LPCSTR name);
// The initialisation data of a template along the resource chain; null when none.
const DLGINIT_RESOURCE* AfxFindDialogInitData(LPCSTR name);

// Dialog units of a font: the average character width and the character height.
SIZE GetDialogFontBaseUnits(LPCSTR face, WORD pointSize);
LONG GetDialogBaseUnits();
BOOL MapDialogRect(HWND dlg, LPRECT rect);
HFONT GetDialogFont(LPCSTR face, WORD pointSize);

// ---- The dialog manager ---------------------------------------------------------------------------
HWND CreateDialogIndirectParam(HINSTANCE instance, const DIALOG_RESOURCE* tmpl, HWND parent, DLGPROC proc,
                               LPARAM init);
HWND CreateDialogParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM init);
inline HWND CreateDialog(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc) {
  return CreateDialogParam(instance, name, parent, proc, 0);
}
INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DIALOG_RESOURCE* tmpl, HWND parent, DLGPROC proc, LPARAM init);
INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM init);
BOOL EndDialog(HWND dlg, INT_PTR result);
// Handles the dialog keys (Tab, arrows, Enter, Escape) of a message for the dialog or its controls,
// and dispatches the others; FALSE when the message is not for this dialog.
BOOL IsDialogMessage(HWND dlg, LPMSG msg);
LRESULT DefDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dlg, int id, UINT check);
UINT IsDlgButtonChecked(HWND dlg, int id);
BOOL CheckRadioButton(HWND dlg, int first, int last, int check);

// Creates a dialog window with its controls for `wnd` (a form, a page, a bar); `createParam` reaches
// WM_CREATE and child dialogs get `childId`.
HWND AfxCreateDialogWindow(const DIALOG_RESOURCE* tmpl, HINSTANCE module, HWND parent, CWnd* wnd,
                           LPVOID createParam = nullptr, UINT childId = 0);

// ---- CDialog --------------------------------------------------------------------------------------
class CDataExchange;

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  CDialog();
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Modeless.
  virtual BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  virtual BOOL CreateIndirect(const DIALOG_RESOURCE* lpDialogTemplate, CWnd* pParentWnd = nullptr);
  // Modal.
  BOOL InitModalIndirect(const DIALOG_RESOURCE* lpDialogTemplate, CWnd* pParentWnd = nullptr);
  virtual INT_PTR DoModal();
  void EndDialog(int nResult);

  void GotoDlgCtrl(CWnd* pWndCtrl);
  void NextDlgCtrl() const;
  void PrevDlgCtrl() const;
  void SetDefID(UINT nID);
  DWORD GetDefID() const;

  // The template this dialog is made from.
  LPCSTR m_lpszTemplateName = nullptr;
  UINT m_nIDHelp = 0;
  const DIALOG_RESOURCE* m_lpDialogTemplate = nullptr;
  CWnd* m_pParentWnd = nullptr;
  UINT GetTemplateID() const { return IS_INTRESOURCE(m_lpszTemplateName) ? (UINT)(ULONG_PTR)m_lpszTemplateName : 0; }

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL ContinueModal() override;

  // Creates the window and its controls from a template; the dialog manager's entry for CDialog.
  BOOL CreateFromTemplate(const DIALOG_RESOURCE* tmpl, HINSTANCE module, CWnd* pParentWnd);

 protected:
  LRESULT OnHandleInitDialog(WPARAM wParam, LPARAM lParam);
  void OnClose() override;
  void PostNcDestroy() override;
  DECLARE_MESSAGE_MAP()

 private:
  std::string m_templateName;  // a named template's name, kept
  bool m_modalStart = false;
  bool m_scripted = false;
  friend class CPropertySheet;
};

// ---- Data exchange ----------------------------------------------------------------------------------
class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND PrepareCtrl(int nIDC);
  HWND PrepareEditCtrl(int nIDC);
  // Puts the focus on the last prepared control (selecting an edit's text) and ends the exchange.
  [[noreturn]] void Fail();
  int m_idLastControl = 0;
  BOOL m_bEditLastControl = FALSE;
};

void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
// LONG and DWORD are int and UINT here: their overloads are those.
void DDX_Text(CDataExchange* pDX, int nIDC, WORD& value);
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value);
void DDX_Text(CDataExchange* pDX, int nIDC, short& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, LPSTR value, int nMaxLen);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Slider(CDataExchange* pDX, int nIDC, int& value);
void DDX_Scroll(CDataExchange* pDX, int nIDC, int& value);

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, LONG value, LONG minVal, LONG maxVal);
void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal);
void DDV_MinMaxShort(CDataExchange* pDX, short value, short minVal, short maxVal);
void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE minVal, BYTE maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
void DDV_MinMaxSlider(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal);

// The framework's prompts (the platform string table).
#define AFX_IDP_PARSE_INT 0xF110
#define AFX_IDP_PARSE_REAL 0xF111
#define AFX_IDP_PARSE_INT_RANGE 0xF112
#define AFX_IDP_PARSE_REAL_RANGE 0xF113
#define AFX_IDP_PARSE_STRING_SIZE 0xF114
#define AFX_IDP_PARSE_RADIO_BUTTON 0xF115
#define AFX_IDP_PARSE_BYTE 0xF116
#define AFX_IDP_PARSE_UINT 0xF117

// The framework's cursor of magnified views.
#define AFX_IDC_MAGNIFY 30978
// Registers the framework's texts and cursor along the resource chain (done by data exchange when
// first used, and by windows that load the cursor).
void AfxEnsureFrameworkStrings();
// Replaces %1 (and %2) in a string resource.
void AfxFormatString1(CString& rString, UINT nIDS, LPCSTR lpsz1);
void AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2);
void AfxFormatStrings(CString& rString, LPCSTR lpszFormat, LPCSTR const* rglpsz, int nString);
