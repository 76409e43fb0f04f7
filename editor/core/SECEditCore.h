// The editing engine of the text editor (caret, selection, bookmarks, drawing, scrolling, mouse),
// written once and given to its two window forms, the document view and the child window.
#pragma once

#include "editor/core/OEPageSetupDlg.h"
#include "editor/text/SECEdit.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/View.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/Wnd.h"

#include <string>

class CDC;
class CMenu;
class COleDataObject;
class COleDataSource;
class CCmdUI;
class OEFindDlg;

// Command ids of the editor (string-table entries of the same ids hold their prompts).
enum : UINT {
  ID_SECEDIT_LINEDOWN = 24600,
  ID_SECEDIT_LINEUP = 24601,
  ID_SECEDIT_CHARLEFT = 24602,
  ID_SECEDIT_CHARRIGHT = 24603,
  ID_SECEDIT_PAGEUP = 24604,
  ID_SECEDIT_PAGEDOWN = 24605,
  ID_SECEDIT_HOME = 24606,
  ID_SECEDIT_END = 24607,
  ID_SECEDIT_TOP = 24608,
  ID_SECEDIT_BOTTOM = 24609,
  ID_SECEDIT_WORDLEFT = 24610,
  ID_SECEDIT_WORDRIGHT = 24611,
  ID_SECEDIT_SELUP = 24613,
  ID_SECEDIT_SELLEFT = 24614,
  ID_SECEDIT_SELDOWN = 24615,
  ID_SECEDIT_SELEND = 24616,
  ID_SECEDIT_SELHOME = 24617,
  ID_SECEDIT_SELPAGEDOWN = 24618,
  ID_SECEDIT_SELWORDLEFT = 24619,
  ID_SECEDIT_SELPAGEUP = 24620,
  ID_SECEDIT_SELRIGHT = 24621,
  ID_SECEDIT_SELWORDRIGHT = 24622,
  ID_SECEDIT_BACKSPACE = 24623,
  ID_SECEDIT_TAB = 24624,
  ID_SECEDIT_BACKTAB = 24625,
  ID_SECEDIT_FINDNEXT = 24626,
  ID_SECEDIT_TOGGLEBOOKMARK = 24627,
  ID_SECEDIT_NEXTBOOKMARK = 24628,
  ID_SECEDIT_PREVBOOKMARK = 24629,
  ID_SECEDIT_CLEARBOOKMARKS = 24630,
  ID_SECEDIT_PAGESETUP = 24631,
  ID_SECEDIT_SELBOTTOM = 24632,
  ID_SECEDIT_SELTOP = 24633,
  ID_SECEDIT_SELECTALL = 24634,
};
#define IDR_SECEDIT_ACCEL 24700
#define IDB_SECEDIT_PATTERN 24701
#define IDC_SECEDIT_GUTTER 24702
#define SECEDIT_TIMER 6
#define SECEDIT_HINT_MOVED 49054

// One end of a selection.
struct SECSelEnd {
  tagLINEDESC* pLine = nullptr;
  int nCol = 0;
};

class SECEditCoreBase {
 public:
  explicit SECEditCoreBase(CWnd* pWnd);
  virtual ~SECEditCoreBase();
  SECEditCoreBase(const SECEditCoreBase&) = delete;
  SECEditCoreBase& operator=(const SECEditCoreBase&) = delete;

  // Hooks a derived window supplies or overrides.
  virtual SECEdit* GetEdit() { return nullptr; }
  virtual int InitView();
  virtual COLORREF GetGutterColor();
  virtual void DrawMarks(CDC* pDC, RECT* prc, tagLINEDESC* pLine);
  virtual void UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint);
  virtual BOOL BuildContextMenu(CMenu* pMenu);
  virtual void DoContextMenu(CWnd* pWnd, CPoint point);
  virtual int ClearSelection(BOOL bRedraw);
  virtual void CoreSetScrollRange(int nBar, int nMin, int nMax, BOOL bRedraw);
  virtual void CoreSetScrollPos(int nBar, int nPos, BOOL bRedraw);
  virtual BOOL CoreGetScrollInfo(int nBar, SCROLLINFO* pInfo);
  virtual void OnPostScroll() {}
  virtual int NewLine(BOOL bRedraw, BOOL bUndo);
  // Drag and drop.
  virtual COleDataSource* CreateDataSource();
  virtual BOOL CacheDragData(COleDataSource* pSource, UINT nFormat, HGLOBAL hMem);
  virtual DWORD DoDragCopy();
  // Inserts dropped text at the caret; 0 or the text object's result.
  virtual int DoDropPaste(const char* pText, int nLength);
  DWORD CoreDragEnter(COleDataObject* pData, DWORD dwKeyState, CPoint point);
  DWORD CoreDragOver(COleDataObject* pData, DWORD dwKeyState, CPoint point);
  void CoreDragLeave();
  BOOL CoreDrop(COleDataObject* pData, DWORD dropEffect, CPoint point);
  // Editing, clipboard and undo commands: TRUE when the id is one of them.
  virtual BOOL HandleEditCommand(UINT nID);
  // 1 or 0 for an editing command's enabling, -1 for other ids.
  int EditCommandState(UINT nID, CCmdUI* pCmdUI);

  void ReportError(int nCode, BOOL bShow);
  void SetEditFont(LOGFONT* plf);

  // Caret, selection and bookmarks.
  void UpdateCaretPos();
  int SetCaretFromPoint(int x, int y);
  BOOL IsPointInSelection(int x, int y);
  BOOL GetLineSelectionRange(tagLINEDESC* pLine, int nWidth, int* pnStart, int* pnLength);
  void InvertSelection();
  void GoToLineColumn(int nLine, int nCol);
  int GoToTextEnd(BOOL bShow);
  void GoToLine(tagLINEDESC* pLine);
  int NextColumn(int nCol);
  int PrevColumn(int nCol);
  int ClampColumn(int nCol);
  int ToggleBookmark();
  int NextBookmark(BOOL bForward);
  int ClearBookmarks();

  // Movement.
  int LineDown(BOOL bShow);
  int LineUp(BOOL bShow);
  int CharLeft(BOOL bShow);
  int CharRight(BOOL bShow);
  int PageDown(BOOL bShow);
  int PageUp(BOOL bShow);
  int GoToTop(BOOL bShow);
  int Home(BOOL bShow);
  int End(BOOL bShow);
  int WordLeft(BOOL bShow);
  int WordRight(BOOL bShow);
  int SelectAll();
  int SelectLine(BOOL bShow);
  int SelectWord(BOOL bShow);
  void BeginSelection(int nMode, BOOL bShow);
  void ExtendSelection(BOOL bShow);
  void EnsureCaretVisible();
  // Text come below the window: the caret's line, when below the window, takes its bottom row.
  void ScrollCaretUpToBottomRow();
  BOOL OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll);
  int VisibleRows() const;
  int VisibleCols() const;
  // Rows a page moves and the caret is kept within: a window too low for a whole row still shows part of one.
  int PageRows() const;
  // The line of a number, walked from the nearest known line (first, top, caret).
  tagLINEDESC* FindLine(int nNumber);

  // Editing.
  void HandleChar(UINT nChar);
  int InsertChar(int ch, BOOL bRedraw, BOOL bUndo);
  int InsertString(const char* pszText, BOOL bRedraw, BOOL bUndo);
  void AutoIndent(BOOL bUndo);
  int DoTab(BOOL bRedraw, BOOL bUndo);
  int DoBackTab(BOOL bRedraw, BOOL bUndo);
  int IndentLines(BOOL bOutdent, BOOL bRedraw, BOOL bUndo);
  int DoBackspace(BOOL bRedraw, BOOL bUndo);
  int DoDelete(BOOL bRedraw, BOOL bUndo);
  int JoinWithNext(BOOL bRedraw, BOOL bUndo);
  int DeleteSelection(BOOL bRedraw, BOOL bUndo);
  int DeleteColumnSelection(BOOL bRedraw, BOOL bUndo);
  void ReanchorLines(int nOldCaretLine);
  // Re-anchors when lines of the text were freed or renumbered since this window last looked (by another
  // window too).
  void KeepLinesLive();
  int OnEditUndo();
  int OnEditRedo();

  // Clipboard.
  // `pPlaced`, when given, tells whether the text reached the clipboard (another program may hold it).
  int CopyToClipboard(bool* pPlaced = nullptr);
  int CopyColumnToClipboard(bool* pPlaced = nullptr);
  int CutSelection(BOOL bRedraw);
  int Paste(BOOL bRedraw, BOOL bUndo);
  int PasteColumnBlock(BOOL bRedraw, BOOL bUndo);
  char* GetSelectedText(BOOL* pbColumn);

  // Window messages, forwarded by the window forms.
  void HandlePaint();
  void HandleSize(int cx, int cy);
  void HandleVScroll(UINT nCode, UINT nPos);
  void HandleHScroll(UINT nCode, UINT nPos);
  void HandleSetFocus();
  void HandleKillFocus();
  void HandleLButtonDown(UINT nFlags, CPoint point);
  void HandleLButtonUp(UINT nFlags, CPoint point);
  void HandleMouseMove(UINT nFlags, CPoint point);
  void HandleLButtonDblClk(UINT nFlags, CPoint point);
  void HandleTimer(UINT_PTR nId);
  BOOL HandleSetCursor(UINT nHitTest);
  BOOL HandlePreTranslate(MSG* pMsg);
  BOOL HandleCmdMsg(UINT nID, int nCode, void* pExtra);

  // Find and replace: the steps the find dialog and Find Next run.
  void SelectFoundText(SECEditPos* pPos, int nLen, BOOL bShow);
  BOOL GetFindSeed(CString& s);
  static void AddFindHistory(const char* pszText);
  static void AddReplaceHistory(const char* pszText);
  // Entry n (1 to 10) of a history; *pbPresent tells a missing entry from one that stands for "".
  static CString GetFindHistory(int n, BOOL* pbPresent = nullptr);
  static CString GetReplaceHistory(int n, BOOL* pbPresent = nullptr);
  // Bookmarks every line that holds a match; the number of lines marked.
  int MarkAll(SECFindParams* pParams);
  // Replaces every match from the top as one undo group; the number of replacements.
  int ReplaceAll(SECFindParams* pParams);
  // Find Next without the dialog: the last search again from the caret (wrapping as set); 1 when found,
  // 0 when not, -1 when the history is empty (the Find dialog is to open).
  int FindNextFromHistory();
  void ShowFindMessage(UINT nId, const char* pszText, BOOL bShow);
  // The find dialogs: opening them, their settings, and the registered message that carries their requests.
  static UINT FindReplaceMessage();
  void OnEditFind() { OpenFindDialog(FALSE); }
  void OnEditReplace() { OpenFindDialog(TRUE); }
  // Find Next: focuses an open Find dialog, repeats the last search, or opens the Find dialog without one.
  void OnEditFindNext();
  LRESULT OnFindReplace(WPARAM wParam, LPARAM lParam);
  void LoadFindSettings(OEFindDlg* pDlg);
  void SaveFindSettings(OEFindDlg* pDlg);

  // Drawing.
  static int ExpandLine(const tagLINEDESC* pLine, int nTabSize, BOOL bShowTabs, char* pOut);
  void DrawLine(SECEdit* pEdit, tagLINEDESC* pLine, const char* text, int nEndCol, int nLeftCol, int nVisibleCols,
                BOOL bChroma, CDC* pDC, int x, int y);

  CWnd* m_pWnd;
  OEPageSetupDlg m_dlgPageSetup;
  HACCEL m_hAccel;
  tagLINEDESC* m_pTopLine;
  int m_nTopLine;
  tagLINEDESC* m_pCurLine;
  int m_nCurLine;
  int m_nCurCol;
  int m_nLeftCol;
  int m_nSelMode;
  BOOL m_bSelection;
  SECSelEnd m_selStart;
  SECSelEnd m_selEnd;
  SECSelEnd m_selAnchor;
  CRect m_rcClient;
  int m_nCharWidth;
  int m_nLineHeight;
  int m_nMargin;
  BOOL m_bShowMessages;
  BOOL m_bCaretCreated;
  BOOL m_bCapture;
  UINT_PTR m_nTimer;
  int m_nScrollScale;
  BOOL m_bSkipTick;
  CPoint m_ptLastMouse;
  BOOL m_bInScroll;
  CBrush m_brushPattern;
  CBitmap m_bmPattern;
  BOOL m_bFindDlgOpen;
  BOOL m_bReplaceDlgOpen;
  CRect m_rcFindDlg;
  BOOL m_bWrapSearch;
  OEFindDlg* m_pFindDlg;
  OEFindDlg* m_pReplaceDlg;
  HWND m_hFindDlgWnd;  // the open dialog's window, to know it still lives
  BOOL m_bReplaceFollows;  // a replace waits for the find that runs first
  // Shared by every editor of the process: the selection is a match the dialog found, its text, and the
  // text of the last successful find (or replacement).
  static int s_bMatchSelected;
  static char* s_pszLastMatch;
  static CString s_strLastFind;
  CFont m_font;

  static BOOL ms_bInMouseMove;  // one mouse move at a time, process-wide
  uint32_t m_nLinesSeen;  // the text's count of line frees when the lines held here were last checked
  uint32_t m_nRenumberSeen;  // and its count of renumberings
  tagLINEDESC* m_pCarryLine;  // the row being painted and its block-comment state, carried down
  uint32_t m_nCarryState;

 protected:
  int Move(UINT nID);
  void Redraw(BOOL bErase = TRUE);
  void InvalidateRow(int nRow);
  void ScrollRows(int nRows);
  void ShowCaretHere();
  void Notify(LPARAM lHint) { UpdateViews(nullptr, lHint, nullptr); }
  void FinishMove(BOOL bShow);
  tagLINEDESC* LastLine();
  void RefreshLineCount();
  BOOL IsSelectionVisibleHere();
  BOOL Ready() { return GetEdit() && m_pTopLine && m_pCurLine; }
  int RowOf(int nLine) const { return nLine - m_nTopLine; }
  int TextEndCol(tagLINEDESC* pLine);
  int ColumnOfOffset(tagLINEDESC* pLine, int nOffset);
  int OffsetOfColumn(tagLINEDESC* pLine, int nCol);
  void MouseMoveTo(CPoint point);
  SECEditPos CaretPos();
  int LineWidth(tagLINEDESC* pLine);
  void RedrawRow(char ch);
  void RedrawBelow(int nRow);
  void AfterLinesChanged(BOOL bRedraw);
  std::string Indentation(int nWidth);
  int ReplaceWith(const char* pszText, BOOL bRedraw, BOOL bUndo, BOOL bReplaced);
  int PasteColumnBlockOver(BOOL bRedraw, BOOL bUndo, BOOL bReplaced);
  int UndoRedo(bool bRedo);
  void OpenFindDialog(BOOL bReplace);
  void CloseFindDialog();
  void FindStep(OEFindDlg* pDlg, SECFindParams& params);
  void ReplaceStep(OEFindDlg* pDlg, SECFindParams& params);
  void ReplaceAllStep(OEFindDlg* pDlg, SECFindParams& params);
};

// The engine over a window base: CView for the document view, CWnd for the child control.
template <class BASE>
class SECEditCore : public BASE, public SECEditCoreBase {
 public:
  SECEditCore() : SECEditCoreBase(this) {}

  virtual void OnDraw(CDC*) {}
  // The editor's own class: an I-beam over the text, double clicks, and no background, as every
  // pixel is painted by the editor.
  BOOL PreCreateWindow(CREATESTRUCT& cs) override {
    static LPCSTR cls = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_BYTEALIGNCLIENT |
                                                CS_BYTEALIGNWINDOW,
                                            ::LoadCursor(nullptr, IDC_IBEAM), nullptr, nullptr);
    cs.lpszClass = cls;
    return BASE::PreCreateWindow(cs);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    KeepLinesLive();
    if (message == FindReplaceMessage()) return OnFindReplace(wParam, lParam);
    return BASE::WindowProc(message, wParam, lParam);
  }
  BOOL PreTranslateMessage(MSG* pMsg) override {
    KeepLinesLive();  // keys are looked at before the window hears of freed lines
    return HandlePreTranslate(pMsg) || BASE::PreTranslateMessage(pMsg);
  }
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override {
    KeepLinesLive();  // commands come through the frame, not through this window
    return HandleCmdMsg(nID, nCode, pExtra) || BASE::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  }

 protected:
  void OnPaint() override { HandlePaint(); }
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnSize(UINT nType, int cx, int cy) override {
    BASE::OnSize(nType, cx, cy);
    HandleSize(cx, cy);
  }
  void OnVScroll(UINT nCode, UINT nPos, CScrollBar*) override { HandleVScroll(nCode, nPos); }
  void OnHScroll(UINT nCode, UINT nPos, CScrollBar*) override { HandleHScroll(nCode, nPos); }
  void OnSetFocus(CWnd* pOld) override {
    BASE::OnSetFocus(pOld);
    HandleSetFocus();
  }
  void OnKillFocus(CWnd* pNew) override {
    BASE::OnKillFocus(pNew);
    HandleKillFocus();
  }
  void OnLButtonDown(UINT nFlags, CPoint point) override { HandleLButtonDown(nFlags, point); }
  void OnLButtonUp(UINT nFlags, CPoint point) override { HandleLButtonUp(nFlags, point); }
  void OnMouseMove(UINT nFlags, CPoint point) override { HandleMouseMove(nFlags, point); }
  void OnLButtonDblClk(UINT nFlags, CPoint point) override { HandleLButtonDblClk(nFlags, point); }
  void OnTimer(UINT_PTR nId) override { HandleTimer(nId); }
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override {
    return HandleSetCursor(nHitTest) || BASE::OnSetCursor(pWnd, nHitTest, message);
  }
  BOOL OnMouseWheel(UINT, short, CPoint) override { return TRUE; }
  void OnContextMenu(CWnd* pWnd, CPoint point) override { DoContextMenu(pWnd, point); }
  void OnChar(UINT nChar, UINT, UINT) override { HandleChar(nChar); }
};
