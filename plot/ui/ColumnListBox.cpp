#include "plot/ui/ColumnListBox.h"

#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WinThread.h"
#include "plot/graph/DrawHelpers.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CCLObject, CObject)
IMPLEMENT_DYNAMIC(CColumnListBox, CListBox)
IMPLEMENT_DYNAMIC(CTabButton, CButton)

void CCLObject::OnDraw(CDC*, CColumnListBox*, DRAWITEMSTRUCT*) {}
int CCLObject::OnCompare(CCLObject*, int, int, COMPAREITEMSTRUCT*) { return 0; }
void CCLObject::OnDelete(DELETEITEMSTRUCT*) {}
void CCLObject::OnMeasure(MEASUREITEMSTRUCT*, CColumnListBox*) {}

// ---- CColumnListBox -------------------------------------------------------------------------------

int CColumnListBox::AddItem(CCLObject* item) {
  if (!m_hWnd) return -1;
  return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)item);
}

int CColumnListBox::DeleteItem(UINT index) {
  if (!m_hWnd) return -1;
  return DeleteString(index);
}

CCLObject* CColumnListBox::GetItem(int index) const {
  if (!m_hWnd || index < 0 || index >= GetCount()) return nullptr;
  return reinterpret_cast<CCLObject*>(GetItemData(index));
}

int CColumnListBox::GetItemRect(int index, RECT* rect) const {
  if (!rect || !m_hWnd || CListBox::GetItemRect(index, rect) == LB_ERR) return -1;
  CRect client;
  GetClientRect(&client);
  rect->left = client.left + 1;
  rect->right = client.right - 1;
  return 0;
}

UINT CColumnListBox::GetColPos(int column) const {
  return column >= 0 && column < m_nColNo ? m_colPos[(size_t)column] : 0;
}

int CColumnListBox::SetColPos(int column, UINT pos) {
  if (column < 0 || column >= m_nColNo) return 0;
  m_colPos[(size_t)column] = pos;
  if (m_hWnd) Invalidate();
  return 1;
}

int CColumnListBox::SetColumnsPos(int count, const UINT* positions) {
  TakeLayout(std::vector<UINT>(positions, positions + std::max(count, 0)));
  m_bySortCol = 0;
  m_byDescending = 0;
  return 1;
}

void CColumnListBox::TakeLayout(const std::vector<UINT>& positions) {
  m_colPos = positions;
  m_nColNo = (int)positions.size();
  if (m_hWnd) Invalidate();
}

int CColumnListBox::DrawCol(CRect row, int column, CDC* dc, CRect* cell) {
  if (column < 0 || column >= m_nColNo) return 0;
  int width = row.right - row.left + 2;
  int end = MulDiv((int)m_colPos[(size_t)column], width, 1000) + row.left;
  if (cell) {
    *cell = row;
    cell->left += column == 0 ? 2 : MulDiv((int)m_colPos[(size_t)column - 1], width, 1000) + 4;
    cell->right = end - 4;
  }
  int x = m_bExtent && end > row.right ? row.right : end;
  if (!dc || !m_bDrawLines || x > row.right) return 0;
  CPen pen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  CPen* old = dc->SelectObject(&pen);
  dc->MoveTo(x, row.top);
  dc->LineTo(x, row.bottom);
  if (m_bExtent && column == 0) {
    dc->MoveTo(row.left, row.top);
    dc->LineTo(row.left, row.bottom);
  }
  dc->SelectObject(old);
  return 1;
}

void CColumnListBox::DrawColumns(CDC& dc, CRect rect) {
  if (!m_bDrawLines) return;
  CRect client;
  GetClientRect(&client);
  CRect row(client.left + 1, rect.top, client.right - 1, rect.bottom);
  for (int i = 0; i + 1 < m_nColNo; ++i) {
    int x = MulDiv((int)m_colPos[(size_t)i], row.Width() + 2, 1000) + row.left;
    if (x < rect.left || x > rect.right) continue;
    CPen pen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen* old = dc.SelectObject(&pen);
    dc.MoveTo(x, rect.top);
    dc.LineTo(x, rect.bottom);
    dc.SelectObject(old);
  }
}

int CColumnListBox::Sort(int state) {
  m_bySortCol = (BYTE)(state & 0xFF);
  m_byDescending = (BYTE)((state >> 8) & 1);
  if (!m_hWnd) return 0;
  int n = GetCount(), sel = GetCurSel();
  std::vector<CCLObject*> rows((size_t)std::max(n, 0));
  CCLObject* selected = nullptr;
  for (int i = 0; i < n; ++i) {
    rows[(size_t)i] = GetItem(i);
    if (i == sel) selected = rows[(size_t)i];
    SetItemData(i, 0);  // emptying the list must delete nothing
  }
  ResetContent();
  int reselect = -1;
  for (CCLObject* r : rows) {
    int at = AddItem(r);
    if (r == selected) reselect = at;
  }
  // Later insertions may have moved the selected row: find it again.
  for (int i = 0; selected && i < GetCount(); ++i)
    if (GetItem(i) == selected) reselect = i;
  if (reselect >= 0) SetCurSel(reselect);
  return 1;
}

void CColumnListBox::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC* dc = CDC::FromHandle(dis->hDC);
  auto* row = reinterpret_cast<CCLObject*>(dis->itemData);
  if ((int)dis->itemID >= 0 && row) {
    if (!m_bExtent) {
      CRect client;
      GetClientRect(&client);
      dis->rcItem.left = client.left;
      dis->rcItem.right = client.right;
    }
    row->OnDraw(dc, this, dis);
  } else {
    DrawColumns(*dc, dis->rcItem);
  }
}

void CColumnListBox::MeasureItem(LPMEASUREITEMSTRUCT mis) {
  if (auto* row = reinterpret_cast<CCLObject*>(mis->itemData)) row->OnMeasure(mis, this);
}

void CColumnListBox::DeleteItem(LPDELETEITEMSTRUCT dis) {
  if (auto* row = reinterpret_cast<CCLObject*>(dis->itemData)) row->OnDelete(dis);
}

int CColumnListBox::CompareItem(LPCOMPAREITEMSTRUCT cis) {
  auto *a = reinterpret_cast<CCLObject*>(cis->itemData1), *b = reinterpret_cast<CCLObject*>(cis->itemData2);
  if (!a || !b || m_bySortCol > m_nColNo) return 0;
  return a->OnCompare(b, m_bySortCol, m_byDescending, cis);
}

void CColumnListBox::OnPaint() {
  CListBox::OnPaint();
  CClientDC dc(this);
  CRect client;
  GetClientRect(&client);
  DrawColumns(dc, client);
}

// ---- CTabButton -----------------------------------------------------------------------------------

void CTabButton::SetColumnsPos(int count, const UINT* positions) {
  m_colPos.assign(positions, positions + std::max(count, 0));
  m_nColNo = (int)m_colPos.size();
  m_nSortState = 0;
  if (m_pList) m_pList->SetColumnsPos(count, positions);
  if (m_hWnd) Invalidate();
}

void CTabButton::SetColPos(int column, UINT pos) {
  if (column < 0 || column >= m_nColNo) return;
  m_colPos[(size_t)column] = pos;
  if (m_hWnd) Invalidate();
  if (m_pList) m_pList->SetColPos(column, pos);
  CWnd* parent = GetParent();
  if (parent) parent->SendMessage(WM_COLUMN_RESIZED, (WPARAM)GetDlgCtrlID(), (LPARAM)(((DWORD)column << 16) | (pos & 0xFFFF)));
}

UINT CTabButton::GetColPos(int column) const {
  return column >= 0 && column < m_nColNo ? m_colPos[(size_t)column] : 0;
}

void CTabButton::AttachList(CColumnListBox* list) {
  m_pList = list;
  if (!list) return;
  if (m_bSortable) list->Sort(m_nSortState);
  if (m_hWnd && list->m_hWnd && GetParent()) {
    CRect lr, br;
    list->GetWindowRect(&lr);
    GetWindowRect(&br);
    GetParent()->ScreenToClient(&lr);
    MoveWindow(lr.left, lr.top - br.Height(), lr.Width(), br.Height());
  }
  list->TakeLayout(m_colPos);
}

void CTabButton::Sort(int state, int apply) {
  if (!m_bSortable) return;
  m_nSortState = state;
  if (apply && m_pList) m_pList->Sort(state);
  if (m_hWnd) Invalidate();
}

void CTabButton::GetProfile(const char* section) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  std::vector<UINT> read((size_t)m_nColNo);
  bool all = true;
  for (int i = 0; i < m_nColNo; ++i) {
    CString key;
    key.Format("Col%d", i);
    int v = (int)app->GetProfileInt(section, key, -1);
    if (v < 0) {
      all = false;
      v = (int)m_colPos[(size_t)i];
    }
    read[(size_t)i] = (UINT)v;
    if (i > 0 && read[(size_t)i] <= read[(size_t)i - 1]) all = false;
  }
  if (all) {
    m_colPos = read;
    if (m_pList) m_pList->TakeLayout(m_colPos);
  }
  m_nSortState = (int)app->GetProfileInt(section, "SortCrt", m_nSortState);
  if (m_bSortable && m_pList) m_pList->Sort(m_nSortState);
  if (m_hWnd) Invalidate();
}

void CTabButton::WriteProfile(const char* section) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (int i = 0; i < m_nColNo; ++i) {
    CString key;
    key.Format("Col%d", i);
    app->WriteProfileInt(section, key, (int)m_colPos[(size_t)i]);
  }
  app->WriteProfileInt(section, "SortCrt", m_nSortState);
}

int CTabButton::ColumnEnd(int column, int width) const { return MulDiv((int)m_colPos[(size_t)column], width, 1000); }

void CTabButton::DrawItem(LPDRAWITEMSTRUCT dis) {
  if (m_bResizing || m_bBusy) return;
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect r(dis->rcItem);
  CString caption;
  GetWindowText(caption);
  dc->FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
  int oldBk = dc->SetBkMode(TRANSPARENT);
  int left = r.left;
  for (int i = 0; i < m_nColNo; ++i) {
    int right = i == m_nColNo - 1 ? r.right : r.left + ColumnEnd(i, r.Width());
    CRect cell(left, r.top, right, r.bottom);
    bool pressed = m_bSortable && (m_nSortState & 0xFF) == i;
    dc->DrawEdge(&cell, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    CString field = GetTextField(caption, i, '\t');
    int lines = 1;
    for (int k = 0; k < field.GetLength(); ++k) lines += field[k] == '\n';
    for (int k = 0; k < lines; ++k) {
      CString line = GetTextField(field, k, '\n');
      CRect band(cell.left, cell.top + cell.Height() * k / lines, cell.right, cell.top + cell.Height() * (k + 1) / lines);
      dc->DrawText(line, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    left = right;
  }
  dc->SetBkMode(oldBk);
}

// The resize line runs from the header's top to the list's bottom, inverted on the parent.
void CTabButton::InvertLine(int x) {
  CWnd* parent = GetParent();
  if (!parent) return;
  CRect br;
  GetWindowRect(&br);
  int bottom = br.bottom;
  if (m_pList && m_pList->m_hWnd) {
    CRect lr;
    m_pList->GetWindowRect(&lr);
    bottom = lr.bottom;
  }
  CPoint top(br.left + x, br.top), end(br.left + x, bottom);
  parent->ScreenToClient(&top);
  parent->ScreenToClient(&end);
  CClientDC dc(parent);
  int old = dc.SetROP2(R2_NOT);
  dc.MoveTo(top);
  dc.LineTo(end);
  dc.SetROP2(old);
}

void CTabButton::OnLButtonDown(UINT, CPoint pt) {
  CRect r;
  GetClientRect(&r);
  m_ptStart = pt;
  for (int i = 0; i + 1 < m_nColNo; ++i) {
    int x = ColumnEnd(i, r.Width());
    if (std::abs(pt.x - x) > 2) continue;
    m_bResizing = 1;
    m_nResizeCol = i;
    CPoint p(x, pt.y);
    ClientToScreen(&p);
    ::SetCursorPos(p.x, p.y);
    m_nLineX = x;
    InvertLine(x);
    int lo = i > 0 ? ColumnEnd(i - 1, r.Width()) + 2 : r.left + 2;
    int hi = i + 2 < m_nColNo ? ColumnEnd(i + 1, r.Width()) - 2 : r.right - 2;
    CRect confine(lo, r.top, hi, r.bottom);
    ClientToScreen(&confine);
    ::ClipCursor(&confine);
    SetCapture();
    return;
  }
  SetCapture();
}

void CTabButton::OnMouseMove(UINT, CPoint pt) {
  if (!m_bResizing) return;
  CRect r;
  GetClientRect(&r);
  int i = m_nResizeCol;
  int lo = i > 0 ? ColumnEnd(i - 1, r.Width()) + 2 : r.left + 2;
  int hi = i + 2 < m_nColNo ? ColumnEnd(i + 1, r.Width()) - 2 : r.right - 2;
  // As far as the confined pointer goes (the rectangle's right edge lies outside it), also for moves
  // made before the press confined it.
  int x = std::clamp((int)pt.x, lo, std::max(lo, hi - 1));
  if (x == m_nLineX) return;
  InvertLine(m_nLineX);
  m_nLineX = x;
  InvertLine(x);
}

void CTabButton::OnLButtonUp(UINT, CPoint pt) {
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  CRect r;
  GetClientRect(&r);
  if (m_bResizing) {
    OnMouseMove(0, pt);
    InvertLine(m_nLineX);
    ::ClipCursor(nullptr);
    m_bResizing = 0;
    int col = m_nResizeCol;
    m_nResizeCol = -1;
    UINT pos = r.Width() > 0 ? (UINT)(m_nLineX * 1000 / r.Width()) : GetColPos(col);
    Invalidate();
    SetColPos(col, pos);
    return;
  }
  if (!m_bSortable || m_nColNo == 0 || !r.PtInRect(pt)) return;
  int col = m_nColNo - 1;
  for (int i = 0; i < m_nColNo; ++i)
    if (ColumnEnd(i, r.Width()) >= pt.x) {
      col = i;
      break;
    }
  bool ascendingHere = (m_nSortState & 0xFF) == col && !(m_nSortState & 0x100);
  m_nSortState = ascendingHere ? (col | 0x100) : col;
  Invalidate();
  if (m_pList) m_pList->Sort(m_nSortState);
}

void CTabButton::OnLButtonDblClk(UINT flags, CPoint pt) { OnLButtonDown(flags, pt); }
