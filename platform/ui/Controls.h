// The framework's control classes over the native controls: CStatic, CButton, CBitmapButton, CEdit,
// CListBox, CCheckListBox, CComboBox, CScrollBar, CSliderCtrl, CSpinButtonCtrl, CProgressCtrl,
// CToolTipCtrl and CStatusBarCtrl.
#pragma once

#include "platform/core/String.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/NativeControls.h"
#include "platform/ui/Wnd.h"

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)
 public:
  BOOL Create(LPCSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF);
  HICON SetIcon(HICON hIcon) { return (HICON)SendMessage(STM_SETICON, (WPARAM)hIcon); }
  HICON GetIcon() const { return (HICON)SendMessage(STM_GETICON); }
  HBITMAP SetBitmap(HBITMAP hBitmap) { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap); }
  HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(STM_GETIMAGE, IMAGE_BITMAP); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)
 public:
  BOOL Create(LPCSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  UINT GetState() const { return (UINT)SendMessage(BM_GETSTATE); }
  void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, (WPARAM)bHighlight); }
  int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
  void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, (WPARAM)nCheck); }
  UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
  void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw); }
  HICON SetIcon(HICON hIcon) { return (HICON)SendMessage(BM_SETIMAGE, IMAGE_ICON, (LPARAM)hIcon); }
  HBITMAP SetBitmap(HBITMAP hBitmap) { return (HBITMAP)SendMessage(BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap); }
  HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(BM_GETIMAGE, IMAGE_BITMAP); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// An owner-drawn button showing one of four bitmaps: up, down (pressed), focused and disabled.
class CBitmapButton : public CButton {
  DECLARE_DYNAMIC(CBitmapButton)
 public:
  BOOL LoadBitmaps(LPCSTR lpszBitmapResource, LPCSTR lpszBitmapResourceSel = nullptr,
                   LPCSTR lpszBitmapResourceFocus = nullptr, LPCSTR lpszBitmapResourceDisabled = nullptr);
  BOOL LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel = 0, UINT nIDBitmapResourceFocus = 0,
                   UINT nIDBitmapResourceDisabled = 0);
  // Loads "<caption>U", "<caption>D", "<caption>F" and "<caption>X" and subclasses the button.
  BOOL AutoLoad(UINT nID, CWnd* pParent);
  void SizeToContent();
  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
  CBitmap m_bitmap, m_bitmapSel, m_bitmapFocus, m_bitmapDisabled;
};

class CEdit : public CWnd {
  DECLARE_DYNAMIC(CEdit)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  BOOL CanUndo() const { return (BOOL)SendMessage(EM_CANUNDO); }
  int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
  BOOL GetModify() const { return (BOOL)SendMessage(EM_GETMODIFY); }
  void SetModify(BOOL bModified = TRUE) { SendMessage(EM_SETMODIFY, (WPARAM)bModified); }
  void GetRect(LPRECT lpRect) const { SendMessage(EM_GETRECT, 0, (LPARAM)lpRect); }
  DWORD GetSel() const { return (DWORD)SendMessage(EM_GETSEL); }
  void GetSel(int& nStartChar, int& nEndChar) const {
    DWORD a = 0, b = 0;
    SendMessage(EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    nStartChar = (int)a;
    nEndChar = (int)b;
  }
  int GetLine(int nIndex, LPSTR lpszBuffer, int nMaxLength) const {
    if (!lpszBuffer || nMaxLength < 2) return 0;
    *(WORD*)lpszBuffer = (WORD)std::min(nMaxLength, 0xFFFF);
    return (int)SendMessage(EM_GETLINE, (WPARAM)nIndex, (LPARAM)lpszBuffer);
  }
  void EmptyUndoBuffer() { SendMessage(EM_EMPTYUNDOBUFFER); }
  BOOL FmtLines(BOOL bAddEOL) { return (BOOL)SendMessage(EM_FMTLINES, (WPARAM)bAddEOL); }
  void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, (WPARAM)nChars); }
  void SetLimitText(UINT nMax) { SendMessage(EM_LIMITTEXT, (WPARAM)nMax); }
  UINT GetLimitText() const { return (UINT)SendMessage(EM_GETLIMITTEXT); }
  int LineFromChar(int nIndex = -1) const { return (int)SendMessage(EM_LINEFROMCHAR, (WPARAM)nIndex); }
  int LineIndex(int nLine = -1) const { return (int)SendMessage(EM_LINEINDEX, (WPARAM)nLine); }
  int LineLength(int nLine = -1) const { return (int)SendMessage(EM_LINELENGTH, (WPARAM)nLine); }
  void LineScroll(int nLines, int nChars = 0) { SendMessage(EM_LINESCROLL, (WPARAM)nChars, (LPARAM)nLines); }
  void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE) { SendMessage(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText); }
  void SetPasswordChar(char ch) { SendMessage(EM_SETPASSWORDCHAR, (WPARAM)(unsigned char)ch); }
  char GetPasswordChar() const { return (char)SendMessage(EM_GETPASSWORDCHAR); }
  void SetRect(LPCRECT lpRect) { SendMessage(EM_SETRECT, 0, (LPARAM)lpRect); }
  void SetRectNP(LPCRECT lpRect) { SendMessage(EM_SETRECTNP, 0, (LPARAM)lpRect); }
  void SetSel(DWORD dwSelection, BOOL bNoScroll = FALSE) {
    SendMessage(EM_SETSEL, (WPARAM)(int)(short)LOWORD(dwSelection), (LPARAM)(int)(short)HIWORD(dwSelection));
    if (!bNoScroll) SendMessage(EM_SCROLLCARET);
  }
  void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE) {
    SendMessage(EM_SETSEL, (WPARAM)nStartChar, (LPARAM)nEndChar);
    if (!bNoScroll) SendMessage(EM_SCROLLCARET);
  }
  BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, (WPARAM)bReadOnly); }
  int GetFirstVisibleLine() const { return (int)SendMessage(EM_GETFIRSTVISIBLELINE); }
  CPoint PosFromChar(UINT nChar) const {
    LRESULT r = SendMessage(EM_POSFROMCHAR, nChar);
    return CPoint((short)LOWORD(r), (short)HIWORD(r));
  }
  int CharFromPos(CPoint pt) const { return (int)SendMessage(EM_CHARFROMPOS, 0, MAKELPARAM(pt.x, pt.y)); }
  void SetMargins(UINT nLeft, UINT nRight) { SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(nLeft, nRight)); }
  BOOL Undo() { return (BOOL)SendMessage(EM_UNDO); }
  void Clear() { SendMessage(WM_CLEAR); }
  void Copy() { SendMessage(WM_COPY); }
  void Cut() { SendMessage(WM_CUT); }
  void Paste() { SendMessage(WM_PASTE); }
};

class CListBox : public CWnd {
  DECLARE_DYNAMIC(CListBox)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  int GetCount() const { return (int)SendMessage(LB_GETCOUNT); }
  int GetHorizontalExtent() const { return (int)SendMessage(LB_GETHORIZONTALEXTENT); }
  void SetHorizontalExtent(int cxExtent) { SendMessage(LB_SETHORIZONTALEXTENT, (WPARAM)cxExtent); }
  int GetTopIndex() const { return (int)SendMessage(LB_GETTOPINDEX); }
  int SetTopIndex(int nIndex) { return (int)SendMessage(LB_SETTOPINDEX, (WPARAM)nIndex); }
  int GetCurSel() const { return (int)SendMessage(LB_GETCURSEL); }
  int SetCurSel(int nSelect) { return (int)SendMessage(LB_SETCURSEL, (WPARAM)nSelect); }
  int GetSel(int nIndex) const { return (int)SendMessage(LB_GETSEL, (WPARAM)nIndex); }
  int SetSel(int nIndex, BOOL bSelect = TRUE) { return (int)SendMessage(LB_SETSEL, (WPARAM)bSelect, (LPARAM)nIndex); }
  int GetSelCount() const { return (int)SendMessage(LB_GETSELCOUNT); }
  int GetSelItems(int nMaxItems, LPINT rgIndex) const { return (int)SendMessage(LB_GETSELITEMS, (WPARAM)nMaxItems, (LPARAM)rgIndex); }
  int SelItemRange(BOOL bSelect, int nFirstItem, int nLastItem) {
    return (int)SendMessage(LB_SELITEMRANGE, (WPARAM)bSelect, MAKELPARAM(nFirstItem, nLastItem));
  }
  void SetAnchorIndex(int nIndex) { SendMessage(LB_SETANCHORINDEX, (WPARAM)nIndex); }
  int GetAnchorIndex() const { return (int)SendMessage(LB_GETANCHORINDEX); }
  int SetCaretIndex(int nIndex, BOOL bScroll = TRUE) { return (int)SendMessage(LB_SETCARETINDEX, (WPARAM)nIndex, bScroll); }
  int GetCaretIndex() const { return (int)SendMessage(LB_GETCARETINDEX); }
  DWORD_PTR GetItemData(int nIndex) const { return (DWORD_PTR)SendMessage(LB_GETITEMDATA, (WPARAM)nIndex); }
  int SetItemData(int nIndex, DWORD_PTR dwItemData) { return (int)SendMessage(LB_SETITEMDATA, (WPARAM)nIndex, (LPARAM)dwItemData); }
  void* GetItemDataPtr(int nIndex) const { return (void*)GetItemData(nIndex); }
  int SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, (DWORD_PTR)pData); }
  int GetItemRect(int nIndex, LPRECT lpRect) const { return (int)SendMessage(LB_GETITEMRECT, (WPARAM)nIndex, (LPARAM)lpRect); }
  int GetText(int nIndex, LPSTR lpszBuffer) const { return (int)SendMessage(LB_GETTEXT, (WPARAM)nIndex, (LPARAM)lpszBuffer); }
  void GetText(int nIndex, CString& rString) const;
  int GetTextLen(int nIndex) const { return (int)SendMessage(LB_GETTEXTLEN, (WPARAM)nIndex); }
  void SetColumnWidth(int cxWidth) { SendMessage(LB_SETCOLUMNWIDTH, (WPARAM)cxWidth); }
  BOOL SetTabStops(int nTabStops, LPINT rgTabStops) { return (BOOL)SendMessage(LB_SETTABSTOPS, (WPARAM)nTabStops, (LPARAM)rgTabStops); }
  int SetItemHeight(int nIndex, UINT cyItemHeight) { return (int)SendMessage(LB_SETITEMHEIGHT, (WPARAM)nIndex, MAKELPARAM(cyItemHeight, 0)); }
  int GetItemHeight(int nIndex) const { return (int)SendMessage(LB_GETITEMHEIGHT, (WPARAM)nIndex); }
  int FindStringExact(int nIndexStart, LPCSTR lpszFind) const { return (int)SendMessage(LB_FINDSTRINGEXACT, (WPARAM)nIndexStart, (LPARAM)lpszFind); }
  UINT ItemFromPoint(CPoint pt, BOOL& bOutside) const;
  int AddString(LPCSTR lpszItem) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)lpszItem); }
  int DeleteString(UINT nIndex) { return (int)SendMessage(LB_DELETESTRING, nIndex); }
  int InsertString(int nIndex, LPCSTR lpszItem) { return (int)SendMessage(LB_INSERTSTRING, (WPARAM)nIndex, (LPARAM)lpszItem); }
  void ResetContent() { SendMessage(LB_RESETCONTENT); }
  int FindString(int nStartAfter, LPCSTR lpszItem) const { return (int)SendMessage(LB_FINDSTRING, (WPARAM)nStartAfter, (LPARAM)lpszItem); }
  int SelectString(int nStartAfter, LPCSTR lpszItem) { return (int)SendMessage(LB_SELECTSTRING, (WPARAM)nStartAfter, (LPARAM)lpszItem); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  virtual int CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
  virtual void DeleteItem(LPDELETEITEMSTRUCT) {}
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// A list box whose items carry check boxes (toggled by a click on the box or the Space key).
class CCheckListBox : public CListBox {
  DECLARE_DYNAMIC(CCheckListBox)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  void SetCheckStyle(UINT nStyle) { m_nStyle = nStyle; }
  UINT GetCheckStyle() const { return m_nStyle; }
  void SetCheck(int nIndex, int nCheck) { SendMessage(LBX_SETCHECK, (WPARAM)nIndex, nCheck); }
  int GetCheck(int nIndex) const { return (int)SendMessage(LBX_GETCHECK, (WPARAM)nIndex); }
  void Enable(int nIndex, BOOL bEnabled = TRUE);
  BOOL IsEnabled(int nIndex) const;
  void PreSubclassWindow() override;
  UINT m_nStyle = BS_CHECKBOX;
};

class CComboBox : public CWnd {
  DECLARE_DYNAMIC(CComboBox)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
  int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
  int SetCurSel(int nSelect) { return (int)SendMessage(CB_SETCURSEL, (WPARAM)nSelect); }
  DWORD GetEditSel() const { return (DWORD)SendMessage(CB_GETEDITSEL); }
  BOOL LimitText(int nMaxChars) { return (BOOL)SendMessage(CB_LIMITTEXT, (WPARAM)nMaxChars); }
  BOOL SetEditSel(int nStartChar, int nEndChar) { return (BOOL)SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(nStartChar, nEndChar)); }
  DWORD_PTR GetItemData(int nIndex) const { return (DWORD_PTR)SendMessage(CB_GETITEMDATA, (WPARAM)nIndex); }
  int SetItemData(int nIndex, DWORD_PTR dwItemData) { return (int)SendMessage(CB_SETITEMDATA, (WPARAM)nIndex, (LPARAM)dwItemData); }
  void* GetItemDataPtr(int nIndex) const { return (void*)GetItemData(nIndex); }
  int SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, (DWORD_PTR)pData); }
  int GetLBText(int nIndex, LPSTR lpszText) const { return (int)SendMessage(CB_GETLBTEXT, (WPARAM)nIndex, (LPARAM)lpszText); }
  void GetLBText(int nIndex, CString& rString) const;
  int GetLBTextLen(int nIndex) const { return (int)SendMessage(CB_GETLBTEXTLEN, (WPARAM)nIndex); }
  int SetItemHeight(int nIndex, UINT cyItemHeight) { return (int)SendMessage(CB_SETITEMHEIGHT, (WPARAM)nIndex, (LPARAM)cyItemHeight); }
  int GetItemHeight(int nIndex) const { return (int)SendMessage(CB_GETITEMHEIGHT, (WPARAM)nIndex); }
  int FindStringExact(int nIndexStart, LPCSTR lpszFind) const { return (int)SendMessage(CB_FINDSTRINGEXACT, (WPARAM)nIndexStart, (LPARAM)lpszFind); }
  int SetExtendedUI(BOOL bExtended = TRUE) { return (int)SendMessage(CB_SETEXTENDEDUI, (WPARAM)bExtended); }
  BOOL GetExtendedUI() const { return (BOOL)SendMessage(CB_GETEXTENDEDUI); }
  void GetDroppedControlRect(LPRECT lprect) const { SendMessage(CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)lprect); }
  BOOL GetDroppedState() const { return (BOOL)SendMessage(CB_GETDROPPEDSTATE); }
  int GetDroppedWidth() const { return (int)SendMessage(CB_GETDROPPEDWIDTH); }
  int SetDroppedWidth(UINT nWidth) { return (int)SendMessage(CB_SETDROPPEDWIDTH, nWidth); }
  int GetTopIndex() const { return (int)SendMessage(CB_GETTOPINDEX); }
  int SetTopIndex(int nIndex) { return (int)SendMessage(CB_SETTOPINDEX, (WPARAM)nIndex); }
  void ShowDropDown(BOOL bShowIt = TRUE) { SendMessage(CB_SHOWDROPDOWN, (WPARAM)bShowIt); }
  int AddString(LPCSTR lpszString) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)lpszString); }
  int DeleteString(UINT nIndex) { return (int)SendMessage(CB_DELETESTRING, nIndex); }
  int InsertString(int nIndex, LPCSTR lpszString) { return (int)SendMessage(CB_INSERTSTRING, (WPARAM)nIndex, (LPARAM)lpszString); }
  void ResetContent() { SendMessage(CB_RESETCONTENT); }
  int FindString(int nStartAfter, LPCSTR lpszString) const { return (int)SendMessage(CB_FINDSTRING, (WPARAM)nStartAfter, (LPARAM)lpszString); }
  int SelectString(int nStartAfter, LPCSTR lpszString) { return (int)SendMessage(CB_SELECTSTRING, (WPARAM)nStartAfter, (LPARAM)lpszString); }
  void Clear() { SendMessage(WM_CLEAR); }
  void Copy() { SendMessage(WM_COPY); }
  void Cut() { SendMessage(WM_CUT); }
  void Paste() { SendMessage(WM_PASTE); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  virtual int CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
  virtual void DeleteItem(LPDELETEITEMSTRUCT) {}
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CScrollBar : public CWnd {
  DECLARE_DYNAMIC(CScrollBar)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  int GetScrollPos() const { return (int)SendMessage(SBM_GETPOS); }
  int SetScrollPos(int nPos, BOOL bRedraw = TRUE) { return (int)SendMessage(SBM_SETPOS, (WPARAM)nPos, bRedraw); }
  void GetScrollRange(LPINT lpMinPos, LPINT lpMaxPos) const { SendMessage(SBM_GETRANGE, (WPARAM)lpMinPos, (LPARAM)lpMaxPos); }
  void SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw = TRUE) {
    SendMessage(bRedraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, (WPARAM)nMinPos, (LPARAM)nMaxPos);
  }
  void ShowScrollBar(BOOL bShow = TRUE) { ShowWindow(bShow ? SW_SHOW : SW_HIDE); }
  BOOL EnableScrollBar(UINT nArrowFlags = ESB_ENABLE_BOTH) { return (BOOL)SendMessage(SBM_ENABLE_ARROWS, nArrowFlags); }
  BOOL SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE) { return (BOOL)SendMessage(SBM_SETSCROLLINFO, (WPARAM)bRedraw, (LPARAM)lpScrollInfo); }
  BOOL GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL) {
    if (!lpScrollInfo) return FALSE;
    lpScrollInfo->fMask = nMask;
    return (BOOL)SendMessage(SBM_GETSCROLLINFO, 0, (LPARAM)lpScrollInfo);
  }
  int GetScrollLimit();
};

class CSliderCtrl : public CWnd {
  DECLARE_DYNAMIC(CSliderCtrl)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  int GetLineSize() const { return (int)SendMessage(TBM_GETLINESIZE); }
  int SetLineSize(int nSize) { return (int)SendMessage(TBM_SETLINESIZE, 0, nSize); }
  int GetPageSize() const { return (int)SendMessage(TBM_GETPAGESIZE); }
  int SetPageSize(int nSize) { return (int)SendMessage(TBM_SETPAGESIZE, 0, nSize); }
  int GetRangeMax() const { return (int)SendMessage(TBM_GETRANGEMAX); }
  int GetRangeMin() const { return (int)SendMessage(TBM_GETRANGEMIN); }
  void GetRange(int& nMin, int& nMax) const { nMin = GetRangeMin(); nMax = GetRangeMax(); }
  void SetRangeMin(int nMin, BOOL bRedraw = FALSE) { SendMessage(TBM_SETRANGEMIN, (WPARAM)bRedraw, nMin); }
  void SetRangeMax(int nMax, BOOL bRedraw = FALSE) { SendMessage(TBM_SETRANGEMAX, (WPARAM)bRedraw, nMax); }
  void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE) {
    SetRangeMin(nMin, FALSE);
    SetRangeMax(nMax, bRedraw);
  }
  void GetSelection(int& nMin, int& nMax) const { nMin = (int)SendMessage(TBM_GETSELSTART); nMax = (int)SendMessage(TBM_GETSELEND); }
  void SetSelection(int nMin, int nMax) { SendMessage(TBM_SETSELSTART, FALSE, nMin); SendMessage(TBM_SETSELEND, TRUE, nMax); }
  void GetChannelRect(LPRECT lprc) const { SendMessage(TBM_GETCHANNELRECT, 0, (LPARAM)lprc); }
  void GetThumbRect(LPRECT lprc) const { SendMessage(TBM_GETTHUMBRECT, 0, (LPARAM)lprc); }
  int GetPos() const { return (int)SendMessage(TBM_GETPOS); }
  void SetPos(int nPos) { SendMessage(TBM_SETPOS, TRUE, nPos); }
  UINT GetNumTics() const { return (UINT)SendMessage(TBM_GETNUMTICS); }
  int GetTic(int nTic) const { return (int)SendMessage(TBM_GETTIC, (WPARAM)nTic); }
  BOOL SetTic(int nTic) { return (BOOL)SendMessage(TBM_SETTIC, 0, nTic); }
  void SetTicFreq(int nFreq) { SendMessage(TBM_SETTICFREQ, (WPARAM)nFreq); }
  void ClearSel(BOOL bRedraw = FALSE) { SendMessage(TBM_CLEARSEL, (WPARAM)bRedraw); }
  void ClearTics(BOOL bRedraw = FALSE) { SendMessage(TBM_CLEARTICS, (WPARAM)bRedraw); }
};

class CSpinButtonCtrl : public CWnd {
  DECLARE_DYNAMIC(CSpinButtonCtrl)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  BOOL SetAccel(int nAccel, UDACCEL* pAccel) { return (BOOL)SendMessage(UDM_SETACCEL, (WPARAM)nAccel, (LPARAM)pAccel); }
  UINT GetAccel(int nAccel, UDACCEL* pAccel) const { return (UINT)SendMessage(UDM_GETACCEL, (WPARAM)nAccel, (LPARAM)pAccel); }
  int SetBase(int nBase) { return (int)SendMessage(UDM_SETBASE, (WPARAM)nBase); }
  UINT GetBase() const { return (UINT)SendMessage(UDM_GETBASE); }
  CWnd* SetBuddy(CWnd* pWndBuddy) { return CWnd::FromHandle((HWND)SendMessage(UDM_SETBUDDY, (WPARAM)pWndBuddy->GetSafeHwnd())); }
  CWnd* GetBuddy() const { return CWnd::FromHandle((HWND)SendMessage(UDM_GETBUDDY)); }
  int SetPos(int nPos) { return (int)(short)LOWORD(SendMessage(UDM_SETPOS, 0, MAKELPARAM(nPos, 0))); }
  int GetPos() const { return (int)(short)LOWORD(SendMessage(UDM_GETPOS)); }
  int SetPos32(int nPos) { return (int)SendMessage(UDM_SETPOS32, 0, nPos); }
  int GetPos32(BOOL* lpbError = nullptr) const { return (int)SendMessage(UDM_GETPOS32, 0, (LPARAM)lpbError); }
  void SetRange(short nLower, short nUpper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower)); }
  void SetRange32(int nLower, int nUpper) { SendMessage(UDM_SETRANGE32, (WPARAM)nLower, nUpper); }
  DWORD GetRange() const { return (DWORD)SendMessage(UDM_GETRANGE); }
  void GetRange(int& lower, int& upper) const {
    DWORD r = GetRange();
    lower = (short)HIWORD(r);
    upper = (short)LOWORD(r);
  }
  void GetRange32(int& lower, int& upper) const { SendMessage(UDM_GETRANGE32, (WPARAM)&lower, (LPARAM)&upper); }
};

class CProgressCtrl : public CWnd {
  DECLARE_DYNAMIC(CProgressCtrl)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  void SetRange(short nLower, short nUpper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
  void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, (WPARAM)nLower, nUpper); }
  void GetRange(int& nLower, int& nUpper) const {
    PBRANGE r{};
    SendMessage(PBM_GETRANGE, TRUE, (LPARAM)&r);
    nLower = r.iLow;
    nUpper = r.iHigh;
  }
  int GetPos() const { return (int)SendMessage(PBM_GETPOS); }
  int OffsetPos(int nPos) { return (int)SendMessage(PBM_DELTAPOS, (WPARAM)nPos); }
  int SetStep(int nStep) { return (int)SendMessage(PBM_SETSTEP, (WPARAM)nStep); }
  int SetPos(int nPos) { return (int)SendMessage(PBM_SETPOS, (WPARAM)nPos); }
  int StepIt() { return (int)SendMessage(PBM_STEPIT); }
  COLORREF SetBarColor(COLORREF clrBar) { return (COLORREF)SendMessage(PBM_SETBARCOLOR, 0, (LPARAM)clrBar); }
  COLORREF SetBkColor(COLORREF clrNew) { return (COLORREF)SendMessage(PBM_SETBKCOLOR, 0, (LPARAM)clrNew); }
};

class CToolTipCtrl : public CWnd {
  DECLARE_DYNAMIC(CToolTipCtrl)
 public:
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
  BOOL AddTool(CWnd* pWnd, LPCSTR lpszText = LPSTR_TEXTCALLBACK, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
  BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
  void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
  void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, (WPARAM)bActivate); }
  void RelayEvent(LPMSG lpMsg) { SendMessage(TTM_RELAYEVENT, 0, (LPARAM)lpMsg); }
  void SetDelayTime(UINT nDelay) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, (LPARAM)nDelay); }
  void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
  void UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
  void GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
  int GetToolCount() const { return (int)SendMessage(TTM_GETTOOLCOUNT); }
  void Pop() { SendMessage(TTM_POP); }
  void Update() { SendMessage(TTM_UPDATE); }
  int SetMaxTipWidth(int iWidth) { return (int)SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth); }
};

class CStatusBarCtrl : public CWnd {
  DECLARE_DYNAMIC(CStatusBarCtrl)
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  BOOL SetText(LPCSTR lpszText, int nPane, int nType) { return (BOOL)SendMessage(SB_SETTEXT, (WPARAM)(nPane | nType), (LPARAM)lpszText); }
  CString GetText(int nPane, int* pType = nullptr) const;
  int GetTextLength(int nPane, int* pType = nullptr) const;
  BOOL SetParts(int nParts, int* pWidths) { return (BOOL)SendMessage(SB_SETPARTS, (WPARAM)nParts, (LPARAM)pWidths); }
  int GetParts(int nParts, int* pParts) const { return (int)SendMessage(SB_GETPARTS, (WPARAM)nParts, (LPARAM)pParts); }
  BOOL GetBorders(int* pBorders) const { return (BOOL)SendMessage(SB_GETBORDERS, 0, (LPARAM)pBorders); }
  void SetMinHeight(int nMin) { SendMessage(SB_SETMINHEIGHT, (WPARAM)nMin); }
  BOOL SetSimple(BOOL bSimple = TRUE) { return (BOOL)SendMessage(SB_SIMPLE, (WPARAM)bSimple); }
  BOOL GetRect(int nPane, LPRECT lpRect) const { return (BOOL)SendMessage(SB_GETRECT, (WPARAM)nPane, (LPARAM)lpRect); }
};

// The common-controls start-up: nothing to do here.
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
inline BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }
inline void InitCommonControls() {}
inline BOOL AfxInitRichEdit() { return TRUE; }
inline void AfxEnableControlContainer() {}
