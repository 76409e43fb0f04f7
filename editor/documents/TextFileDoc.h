// The text document of motion-language sources, compiler output and the interpreter window: a text
// object with per-kind settings, line marks, error-line navigation and a watch on the file on disk.
#pragma once

#include "editor/text/SECEdit.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"

#include <vector>

class CDC;
class CView;

// The editor settings of one kind of text file.
struct tagFileTypeOpt {
  int16_t nTabSize = 3;
  int bShowTabs = 0;
  int bKeepTabs = 1;
  int bAutoIndent = 1;
  int bSelectionMargin = 1;
  LOGFONT lf{};
  std::vector<CString> astrCategKeys;
  std::vector<CString> astrCategNames;
  std::vector<COLORREF> acrCategColors;
  COLORREF crComment = 0;
  COLORREF crQuote = 0;
  COLORREF crText = 0;
  COLORREF crBackground = 0;
};

// All editor options at once: the mark colours and the settings of kinds 1 to 4.
struct tagSrcFileOpt {
  COLORREF crBookmark = 0;
  COLORREF crBreakpoint = 0;
  COLORREF crCurrentStmt = 0;
  COLORREF crCurrentError = 0;
  tagFileTypeOpt aFileType[4];
};

class CTextFileDoc : public CDocument {
  DECLARE_DYNCREATE(CTextFileDoc)

 public:
  enum tagFileType { FILETYPE_VKS = 1, FILETYPE_DEFAULT = 2, FILETYPE_OUTPUT = 3, FILETYPE_INTERPRETER = 4 };

  CTextFileDoc();
  ~CTextFileDoc() override;

  SECEdit* GetEdit() { return &m_edit; }
  int GetType() const { return m_nFileType; }
  CString GetRegistrySubKey() const { return GetRegistrySubKey(m_nFileType); }
  static CString GetRegistrySubKey(int nType);
  static int DetectFileType(const char* pszPath);
  CString GetFileName() const;
  BOOL GetReadOnly() { return m_edit.IsReadOnly(); }
  void SetReadOnly(BOOL bReadOnly);
  void UpdateAllViews(CView* pSender, LPARAM lHint = 0L, CObject* pHint = nullptr);

  void DeleteContents() override;
  void OnChangedViewList() override;
  BOOL OnNewDocument() override;
  BOOL OnOpenDocument(LPCSTR lpszPathName) override;
  BOOL OnSaveDocument(LPCSTR lpszPathName) override;
  void Serialize(CArchive& ar) override;
  BOOL DoSave(LPCSTR lpszPathName, BOOL bReplace = TRUE) override;
  BOOL SaveModified() override;

  void InitializeOutputDoc();
  void InitializeInterpreterDoc();

  // Text at the end of the document.
  void ClearEdit();
  void ClearInterpreterEdit();
  void InsertTextAtEnd(const char* pszText);
  void InsertLineAtEnd(const char* pszText);
  static void BindLines(tagLINEDESC* a, tagLINEDESC* b);
  static tagLINEDESC* GetLineOfNumber(tagLINEDESC* pStart, int n);

  // Line marks and compiler error lines.
  BOOL SetCurrentStmt(int n);
  tagLINEDESC* ResetCurrentStmt();
  BOOL SetCurrentErrorLine(int n);
  tagLINEDESC* ResetCurrentErrorLine();
  static BOOL OutputIsErrorLine(const tagLINEDESC* pLine, CString& strFile, int& nLine);
  BOOL OutputGetNextErrorLine(CString& strFile, int& nLine);
  BOOL OutputGetPrevErrorLine(CString& strFile, int& nLine);

  // Settings.
  static CString GetKeywordFile(int nType);
  static void GetFontFromRegistry(int nType, LOGFONT* plf, CDC* pDC);
  void GetFontFromRegistry(CDC* pDC, LOGFONT* plf) { GetFontFromRegistry(m_nFileType, plf, pDC); }
  BOOL IsSameFontAsSaved(CDC* pDC, LOGFONT* plf);
  void UpdateSettings(const tagFileTypeOpt& opt);
  static void UpdateInsertMode();
  static void LoadStaticSettings();
  static void SaveStaticSettings();
  static void GetOptions(tagSrcFileOpt& opt);
  static void SetOptions(const tagSrcFileOpt& opt);
  static COLORREF COLORREFFromString(const char* psz);
  static void StringFromCOLORREF(COLORREF cr, CString& str);

  void VerifyLastModified();

  static int ms_bAskSaveModified;
  static int ms_bInsertMode;
  static COLORREF ms_crBookmark;
  static COLORREF ms_crBreakpoint;
  static COLORREF ms_crCurrentStmt;
  static COLORREF ms_crCurrentError;

  static const char msc_pszReg[];
  static const char msc_pszRegVKSFiles[];
  static const char msc_pszRegDefaultFiles[];
  static const char msc_pszRegOutput[];
  static const char msc_pszRegInterpreter[];
  static const char msc_pszChroma[];
  static const char msc_pszKeyWords[];
  static const char msc_pszCase[];
  static const char msc_pszCmtStart1[];
  static const char msc_pszCmtEnd1[];
  static const char msc_pszCmtStart2[];
  static const char msc_pszCmtEnd2[];
  static const char msc_pszExtras[];
  static const char msc_pszStartChars[];
  static const char msc_pszTermChars[];
  static const char msc_pszText[];
  static const char msc_pszBackground[];
  static const char msc_pszComment[];
  static const char msc_pszKeyWord[];
  static const char msc_pszQuote[];
  static const char msc_pszSQuote[];
  static const char msc_pszFontWeight[];
  static const char msc_pszFontItalic[];
  static const char msc_pszAutoIndent[];
  static const char msc_pszSelectionMargin[];

  CDocument* m_pUpdateTarget;
  CView* m_pActiveView;

 protected:
  void InitializeDoc(const char* pszPath, BOOL bDetect);
  tagLINEDESC* InsertTextAtEndOfList(const char* pszText);
  tagLINEDESC* FillEmptyLastLine(tagLINEDESC* pLast, const char* pszText);
  tagLINEDESC* LastLine();
  void RememberLastLine(tagLINEDESC* pLine);
  void ResetText(const char* pszLine);
  tagLINEDESC* ResetMark(uint32_t nFlag);
  BOOL SetMark(int n, uint32_t nFlag, bool bShow);
  BOOL StepErrorLine(bool bForward, CString& strFile, int& nLine);
  int64_t GetTimeLastModified() const;
  void SetLastModified(int64_t nTime, const char* pszPath);
  void CloseChangeNotification();
  static BOOL GetFileTypeOptions(int nType, tagFileTypeOpt& opt);
  static BOOL SetFileTypeOptions(int nType, const tagFileTypeOpt& opt);
  static CString CreateKeywordFile(int nType) { return GetKeywordFile(nType); }
  static void RefreshChangesForDocTemplate(CDocTemplate* pTemplate, const tagSrcFileOpt& opt, int nFlags);
  void OnUpdateFileClose(CCmdUI* pCmdUI);

  SECEdit m_edit;
  int m_nFileType;
  int64_t m_nLastModified;
  HANDLE m_hChangeNotification;
  // The last line as an append left it, so that the next need not walk the text; read only while no
  // line anywhere has been freed since.
  tagLINEDESC* m_pLastLine = nullptr;
  uint64_t m_nLastLineFrees = 0;

  DECLARE_MESSAGE_MAP()
};

// The template of text documents: finds an open document by path and checks files in idle time.
class CTextFileDocTemplate : public CMultiDocTemplate {
  DECLARE_DYNAMIC(CTextFileDocTemplate)

 public:
  CTextFileDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                       CRuntimeClass* pViewClass);
  CDocument* FindDocument(const char* pszPath) const;
  BOOL OnIdle(LONG lCount);
};
