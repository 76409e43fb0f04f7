// The editor's page setup: header and footer formats with their time stamps, kept in the profile.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Time.h"
#include "platform/ui/Dialog.h"

#define IDD_OE_PAGESETUP 24502

// Replaces the first "&p" by the page number and the first "&f" by the file name, whose "%" are
// doubled so that a later time formatting leaves them as they are.
CString OEExpandPageTokens(const char* pszFormat, const char* pszFile, int nPage);

class OEPageSetupDlg : public CDialog {
 public:
  explicit OEPageSetupDlg(CWnd* pParent = nullptr);
  void LoadSettings();
  void SaveSettings();
  void DoDataExchange(CDataExchange* pDX) override;
  CString FormatHeader(const CTime& time, const char* pszFile, int nPage) const;
  CString FormatFooter(const CTime& time, const char* pszFile, int nPage) const;

  CString m_strFooter;
  CString m_strHeader;
  int m_nFooterTime;
  int m_nHeaderTime;
};
