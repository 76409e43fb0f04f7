// The read-only log of the net-master window: an editor control whose texts are appended as lines at the
// bottom, the newest kept in view; bookmarked lines show on cyan.
#pragma once

#include "editor/view/SECEditCtrl.h"

class CConversationEditCtrl : public SECEditCtrl {
 public:
  // Takes the place of the dialog's control nID with a client edge, without gutter, word-wrapped, read-only,
  // LF line ends. 1, or 0 when there is no such control.
  int AttachToDlgItem(UINT nID, CWnd* pParent);
  // Appends the text cut into lines (an empty last line stays last); an empty text changes nothing.
  void AppendText(LPCSTR lpszText);
  // Leaves one empty line.
  void ClearEdit();
  void DrawMarks(CDC* pDC, RECT* prc, tagLINEDESC* pLine) override;
  // The whole log as it reads.
  CString GetLogText();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  size_t LogLength();
  // Copies at most nMax bytes of the log; returns how many.
  size_t CopyLog(char* pBuffer, size_t nMax);
  tagLINEDESC* m_pEnd = nullptr;  // the last line after the latest entry
  uint64_t m_nEndFrees = 0;       // SECEdit::LinesFreedEver() then
};
