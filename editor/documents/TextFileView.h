// The kernel's text view: the editor view on a text document with its line marks, position pane
// and bookmark commands; on the interpreter document it is the console that runs typed lines.
#pragma once

#include "editor/view/SECEditView.h"
#include "kernel/document/StatusPaneIds.h"

class CTextFileDoc;
class CMC_Document;

class CTextFileView : public SECEditView {
  DECLARE_DYNCREATE(CTextFileView)

 public:
  CTextFileView() = default;

  CTextFileDoc* GetDocument() const;
  CMC_Document* GetMainDocument() const;
  SECEdit* GetEdit() override;
  int InitView() override;
  void DrawMarks(CDC* pDC, RECT* prc, tagLINEDESC* pLine) override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint) override;
  void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
  void OnDestroy() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL HandleEditCommand(UINT nID) override;
  DWORD OnDragOver(COleDataObject* pData, DWORD dwKeyState, CPoint point) override;
  DWORD DoDragCopy() override;
  int DoDropPaste(const char* pText, int nLength) override;
  BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
  // The word or one-line selection at the caret, in lower case, for the help index.
  CString GetHelpKey();

  // The console of the interpreter document (a writable kind-4 text).
  BOOL IsConsole();
  BOOL CanClearBlock();
  int PasteSingleLine(BOOL bRedraw, BOOL bUndo);
  void InvalidateGutter();
  void InvalidateLineGutter(int nLine);
  int GutterWidth() const { return m_bSelectionMargin ? m_nLineHeight * 3 / 2 : 0; }

  BOOL m_bSelectionMargin = TRUE;
  tagLINEDESC* m_pRecall = nullptr;  // the command line last copied by recall
  uint32_t m_nRecallFreed = 0;  // the text's count of line frees when the recall was made
  static int ms_nShownLine;  // the position the pane shows, once for all views
  static int ms_nShownCol;

 protected:
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void RunLastLine(UINT nRepeat);
  BOOL Recall(bool bUp);
  void ResetToTop();
  bool IsOutputOrInterpreter();
  void SetScrollRanges();
  // Destroys and makes again the caret (one line high) while the view has the focus.
  void RebuildCaret();
  // Takes the font saved for the document's kind when it differs from the view's: 1 when it did.
  int ActualizeFontFromRegistry();
  void OnLinesAppended(tagLINEDESC* pFirstNew);
  int UpdateState(UINT nID, CCmdUI* pCmdUI);
};
