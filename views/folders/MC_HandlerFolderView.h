// The base of the homing procedures and interrupts folder views: a grid of handlers with static,
// radio and push button cells, a hidden row header, a bold title row and widths that follow the window.
#pragma once

#include "grid/engine/GXGridView.h"

class CMC_Motion;
class CMC_Setup;

class CMC_HandlerFolderView : public CGXGridView {
  DECLARE_DYNAMIC(CMC_HandlerFolderView)

 public:
  ~CMC_HandlerFolderView() override;

  void ShowContextCursor(UINT nID, LPCSTR pszSystemCursor) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  virtual void SetColumnsWidth() = 0;
  // Every cell shows the program, which hears only of clicks: Delete clears none (a cleared slot
  // index would send the next click to another procedure).
  BOOL CanClear() override { return FALSE; }

  // "name - description".
  static CString HandlerText(const CString& name, const CString& description);
  // The "Reload default" button, enabled only for a user-defined handler.
  static CGXStyle ReloadButtonStyle(BOOL enabled);

 protected:
  explicit CMC_HandlerFolderView(UINT nHelpTopic);
  // The grid library, the base first update, the cell controls and the options both views set.
  void InitFolderGrid(ROWCOL cols);
  // Column 0 hidden, column 1 `num`/`den` of the width (at least 100), the others a fifth (at least 50).
  void SetFolderColumnWidths(int num, int den);
  // Rows fitted again to their texts and to the labels of buttons that lie on one row.
  void FitRows(ROWCOL first, ROWCOL last);
  // The last column whose cells each lie on one row.
  virtual ROWCOL LastSingleRowCol() { return GetColCount(); }
  void SetTitle(LPCTSTR title);
  BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
  void OnHelp();
  CMC_Motion* GetMotion();
  CMC_Setup* GetSetup();

  int m_bInitialized = 0;

 private:
  UINT m_nHelpTopic;

  DECLARE_MESSAGE_MAP()
};
