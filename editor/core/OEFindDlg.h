// The editor's find and replace dialog: the common find dialog on the editor's own templates, with
// regular expressions, wrapping, Mark All and the search histories in its combo boxes.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/CommonDialogs.h"

#define IDD_OE_FIND 24500
#define IDD_OE_REPLACE 24501

// Controls of the two templates.
enum : int {
  IDC_OEFIND_MARKALL = 101,
  IDC_OEFIND_REGEXP = 102,
  IDC_OEFIND_FIND = 103,
  IDC_OEFIND_CHECK1 = 105,
  IDC_OEFIND_REPLACE = 106,
  IDC_OEFIND_WRAP = 108,
  IDC_OEFIND_WHOLEWORD = 116,
  IDC_OEFIND_MATCHCASE = 117,
  IDC_OEFIND_UP = 118,
  IDC_OEFIND_DOWN = 119,
  IDC_OEFIND_FINDEDIT = 121,
  IDC_OEFIND_REPLACEEDIT = 122,
  IDC_OEFIND_REPLACEBTN = 1024,
  IDC_OEFIND_REPLACEALL = 1025,
  IDC_OEFIND_HELP = 1038,
};

class OEFindDlg : public CFindReplaceDialog {
 public:
  OEFindDlg();
  void DoDataExchange(CDataExchange* pDX) override;
  // The caret row's top in screen pixels and a line's height, which the dialog keeps clear of.
  void SetCaretRow(int nScreenTop, int nLineHeight) {
    m_nCaretTop = nScreenTop;
    m_nLineHeight = nLineHeight;
  }
  // Closes without telling the owner (the owner has already forgotten the dialog).
  void CloseQuietly();
  void EnableReplaceButtons(BOOL bEnable);

  BOOL m_bReplace;
  BOOL m_bRegExp;
  BOOL m_bMatchCase;
  BOOL m_bMarkAll;
  CString m_strFind;
  int m_nDirection;
  CString m_strReplace;
  BOOL m_bWrap;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void Place();
  int m_nCaretTop;
  int m_nLineHeight;
};
