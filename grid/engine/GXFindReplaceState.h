// GXFindReplaceState: the process's one find and replace state, read by the cells that search.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/WinDefs.h"

#include <string>

class CFindReplaceDialog;
class CGXGridCore;
class CGXStyle;
class CWnd;

struct GXFindReplaceState {
  CFindReplaceDialog* pDialog = nullptr;
  // The dialog's window: the dialog goes with the window that owns it, without a closing notice.
  HWND hDialog = nullptr;
  BOOL bFindOnly = TRUE;
  CString strFind;
  // The find text, upper-cased when case does not matter: what cells are compared with.
  CString strFindUpper;
  CString strReplace;
  BOOL bCase = FALSE;
  BOOL bNext = TRUE;
  BOOL bTransaction = TRUE;
  CGXGridCore* pGrid = nullptr;
  // The composed style of the cell being searched, while a control is asked.
  const CGXStyle* pStyle = nullptr;
};

GXFindReplaceState& GXGetFindReplaceState();
// Upper-cases in place as the texts and the find text are compared when case does not matter.
void GXFoldUpper(std::string& text);

// Opens the process's dialog, or brings up the open one of the same kind (another kind is closed).
void GXShowFindReplaceDialog(BOOL bFindOnly, LPCTSTR pszFind, CWnd* pParent);
// A grid going away closes its dialog and stops being the owner.
void GXForgetFindReplaceOwner(CGXGridCore* pGrid);
