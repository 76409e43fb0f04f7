// The read-only message log of the net-master window: texts are appended as lines and the end stays visible.
#pragma once

#include "platform/ui/Controls.h"

class CConversationEditCtrl : public CEdit {
  DECLARE_DYNAMIC(CConversationEditCtrl)
 public:
  // Takes over the parent's edit control of that id, read-only with the given text limit (0: none).
  BOOL AttachConversation(int nCtrlID, CWnd* pParent, UINT nLimit = 512);
  // Appends the text (line feeds start new lines) as new lines at the end and scrolls to it.
  void AppendText(LPCSTR lpszText);
  void Clear();
  // The log's lines, for callers that read it back.
  CString GetLogText() const;
};
