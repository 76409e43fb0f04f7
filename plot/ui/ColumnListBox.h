// CColumnListBox: an owner-drawn list of self-drawing rows laid out in columns, and CTabButton, the
// header above it that sizes and sorts the columns.
#pragma once

#include "platform/ui/Controls.h"

#include <vector>

class CColumnListBox;

// One row: draws, compares, measures and deletes itself.
class CCLObject : public CObject {
  DECLARE_DYNAMIC(CCLObject)
 public:
  virtual void OnDraw(CDC* dc, CColumnListBox* list, DRAWITEMSTRUCT* dis);
  virtual int OnCompare(CCLObject* other, int column, int descending, COMPAREITEMSTRUCT* cis);
  virtual void OnDelete(DELETEITEMSTRUCT* dis);
  virtual void OnMeasure(MEASUREITEMSTRUCT* mis, CColumnListBox* list);
};

class CColumnListBox : public CListBox {
  DECLARE_DYNAMIC(CColumnListBox)
 public:
  explicit CColumnListBox(int drawLines = 1) : m_bDrawLines(drawLines) {}

  int AddItem(CCLObject* item);
  int DeleteItem(UINT index);
  CCLObject* GetItem(int index) const;
  int GetItemRect(int index, RECT* rect) const;
  int GetColNo() const { return m_nColNo; }
  UINT GetColPos(int column) const;
  int SetColPos(int column, UINT pos);
  int SetColumnsPos(int count, const UINT* positions);
  int DrawCol(CRect row, int column, CDC* dc, CRect* cell);
  void DrawColumns(CDC& dc, CRect rect);
  // Low byte: the sort column (255 none); bit 8: descending.
  virtual int Sort(int state);
  int GetSortColumn() const { return m_bySortCol; }
  int IsDescending() const { return m_byDescending; }

  void DrawItem(LPDRAWITEMSTRUCT dis) override;
  void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
  void DeleteItem(LPDELETEITEMSTRUCT dis) override;
  int CompareItem(LPCOMPAREITEMSTRUCT cis) override;

  int m_bExtent = 0;  // 0: rows span the client width

 protected:
  void OnPaint() override;
  // The header's layout without touching the sort order.
  void TakeLayout(const std::vector<UINT>& positions);
  friend class CTabButton;

  std::vector<UINT> m_colPos;
  int m_nColNo = 0;
  BYTE m_bySortCol = 255;
  BYTE m_byDescending = 0;
  int m_bDrawLines;
};

class CTabButton : public CButton {
  DECLARE_DYNAMIC(CTabButton)
 public:
  static constexpr UINT WM_COLUMN_RESIZED = 0x468;

  explicit CTabButton(int sortable = 1) : m_bSortable(sortable) {}

  void SetColumnsPos(int count, const UINT* positions);
  void SetColPos(int column, UINT pos);
  UINT GetColPos(int column) const;
  int GetColNo() const { return m_nColNo; }
  void AttachList(CColumnListBox* list);
  void Sort(int state, int apply);
  int GetSortState() const { return m_nSortState; }
  void GetProfile(const char* section);
  void WriteProfile(const char* section);

  void DrawItem(LPDRAWITEMSTRUCT dis) override;

 protected:
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override;

 private:
  int ColumnEnd(int column, int width) const;
  void InvertLine(int x);

  int m_nColNo = 0;
  std::vector<UINT> m_colPos;
  int m_bSortable;
  int m_nSortState = 0;
  int m_nResizeCol = -1;
  int m_bResizing = 0;
  int m_bBusy = 0;
  CPoint m_ptStart{0, 0};
  int m_nLineX = -1;
  CColumnListBox* m_pList = nullptr;
};
