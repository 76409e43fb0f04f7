// The record beam under a list of records: first, previous, next and last buttons with
// auto-repeat, the label and the current record number, which opens an edit to type a number.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Wnd.h"

#define GX_IDW_RECORD_EDIT 27001

class CGXRecordInfoBeam;

// The number edit: Enter goes to the typed record.
class CGXRecordInfoEdit : public CEdit {
 public:
  CGXRecordInfoBeam* m_pBeam = nullptr;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CGXRecordInfoBeam : public CWnd {
  DECLARE_DYNCREATE(CGXRecordInfoBeam)

 public:
  CGXRecordInfoBeam();
  ~CGXRecordInfoBeam() override;

  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  virtual int GetContentWidth() const;
  virtual BOOL IsFirstRecord() const { return m_nCurrentRecord == 1; }
  virtual BOOL IsLastRecord() const { return m_nCurrentRecord == m_nRecordCount; }
  virtual CString GetRecordText() const;
  virtual void DrawButton(CDC* pDC, int nButton, BOOL bPressed);
  // 0 first, 1 previous, 2 next, 3 last, 4 the number typed in the edit: message 0x7A3 to the
  // notification window (the parent when none is set).
  virtual void Navigate(int nAction);

  // The caller repaints.
  void SetRecordCount(LONG nCount) { m_nRecordCount = nCount; }
  void SetCurrentRecord(LONG nRecord) { m_nCurrentRecord = nRecord; }
  LONG GetRecordCount() const { return m_nRecordCount; }
  LONG GetCurrentRecord() const { return m_nCurrentRecord; }
  void SetNotifyWnd(CWnd* pWnd) { m_pNotifyWnd = pWnd; }
  void SetLabel(LPCTSTR pszLabel) { m_strLabel = pszLabel ? pszLabel : ""; }
  const CString& GetLabel() const { return m_strLabel; }
  CEdit* GetEdit() const { return m_pEdit; }
  // -1 off a button, in the field, on a button that cannot act, or on another than the one required.
  int ButtonFromPoint(int x, int y, int nRequired = -1) const;
  CRect GetButtonRect(int nButton) const;
  const CRect& GetFieldRect() const { return m_rectField; }
  const CRect& GetNumberRect() const { return m_rectNumber; }
  void TrackButton(UINT nEndMessage);
  void ReadColors();

  int m_nHeight = 0, m_nButtonWidth = 0;
  int m_nFieldWidth = 8;

 protected:
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  void OnSysColorChange() override;
  void OnSettingChange(UINT uFlags, LPCSTR lpszSection) override;

 private:
  void CreateFontAndField();
  void DrawButtons(CDC* pDC);

  CFont m_font;
  COLORREF m_clrText = 0, m_clrField = 0, m_clrFace = 0;
  CBrush m_brField;
  LONG m_nRecordCount = 1, m_nCurrentRecord = 1;
  CString m_strLabel;
  CRect m_rectField, m_rectNumber;
  int m_nPressed = -1;
  BOOL m_bPressedShown = FALSE, m_bTracking = FALSE;
  CWnd* m_pNotifyWnd = nullptr;
  HCURSOR m_hCursor = nullptr;
  CGXRecordInfoEdit* m_pEdit = nullptr;
};
