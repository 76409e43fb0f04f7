// A frame around one sheet of records: the sheet borrows the frame's scroll bars, and a record beam
// beside the horizontal bar navigates the sheet's rows.
#pragma once

#include "grid/controls/GXBeamFrameWnd.h"
#include "grid/controls/GXRecordInfoBeam.h"
#include "grid/engine/GXLibrary.h"

class CGXRecordInfoWnd : public CGXBeamFrameWnd {
  DECLARE_DYNCREATE(CGXRecordInfoWnd)

 public:
  explicit CGXRecordInfoWnd(CRuntimeClass* pBeamClass = nullptr);
  ~CGXRecordInfoWnd() override;

  // A failing creation raises a resource exception.
  BOOL CreateRecordInfoFrame(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                             UINT nID = AFX_IDW_PANE_FIRST);
  // The sheet, which also receives the beam's requests.
  void AttachWnd(CWnd* pSheet);
  CWnd* GetSheetWnd() const { return m_pSheet; }
  CGXRecordInfoBeam* GetBeam() const { return m_pBeam; }
  void RecalcLayout();

 protected:
  CWnd* GetShownSheet() const override { return m_pSheet; }
  void OnResize(int cx) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  void OnSettingChange(UINT uFlags, LPCSTR lpszSection) override;

 private:
  void CreateChildren(DWORD dwStyle);

  CRuntimeClass* m_pBeamClass = nullptr;
  CGXRecordInfoBeam* m_pBeam = nullptr;
  CWnd* m_pSheet = nullptr;
  int m_nBeamWidth = 163, m_nLastWidth = 0, m_nGap = 6;
  BOOL m_bSettingsChanged = FALSE;
};

// The record frame's side of the grids' record display.
class CGXRecordInfoWndInterface : public CGXAbstractRecordInfoWndInterface {
 public:
  BOOL HasRecordBeam(CWnd* pGridWnd) override;
  void ShowRecord(CWnd* pGridWnd, LONG nRecord, LONG nCount) override;
};
