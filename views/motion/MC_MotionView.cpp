// The motion view's grid set-up, its row model (the tree kept in two user attributes of column 1),
// filling, row display, expanding and collapsing, selection and in-place editing.
#include "views/motion/MC_MotionView.h"

#include "grid/controls/GXStatic.h"
#include "grid/controls/GXTreeEdit.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFont.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "kernel/document/MC_Document.h"
#include "motion/model/MC_Motion.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "plot/graph/DrawHelpers.h"
#include "views/KernelGridViews.h"

#include <algorithm>
#include <climits>
#include <vector>

IMPLEMENT_DYNCREATE(CMC_MotionView, CGXGridView)

namespace {

// "%i" text as one integer (optional sign, decimal digits, nothing else), else -1.
int ParseLevel(const CString& text) {
  const char* s = text.GetString();
  bool negative = *s == '-';
  if (*s == '-' || *s == '+') ++s;
  if (!*s) return -1;
  long long v = 0;
  for (; *s; ++s) {
    if (*s < '0' || *s > '9' || v > 0x7FFFFFFF) return -1;
    v = v * 10 + (*s - '0');
  }
  return v > 0x7FFFFFFF ? -1 : (int)(negative ? -v : v);
}

CString IntText(int n) {
  CString s;
  s.Format("%i", n);
  return s;
}

bool IsFreeText(const CMC_MotionElem* e) { return e->m_strType.CompareNoCase("Free Text") == 0; }

}  // namespace

CMC_MotionView::CMC_MotionView() {
  m_hDragMoveCursor = LoadCursorResource((WORD)kDragMoveCursor);
  m_hDragCopyCursor = LoadCursorResource((WORD)kDragCopyCursor);
}

CMC_MotionView::~CMC_MotionView() {
  if (m_hDragMoveCursor) ::DestroyCursor(m_hDragMoveCursor);
  if (m_hDragCopyCursor) ::DestroyCursor(m_hDragCopyCursor);
}

// ---- document and model ----------------------------------------------------------------------------------

CMC_Document* CMC_MotionView::GetMCDocument() { return DYNAMIC_DOWNCAST(CMC_Document, GetDocument()); }

CMC_Motion* CMC_MotionView::GetMotion() {
  CMC_Document* doc = GetMCDocument();
  return doc ? doc->GetMotion() : nullptr;
}

CMC_Setup* CMC_MotionView::GetSetup() {
  CMC_Document* doc = GetMCDocument();
  return doc ? doc->GetSetup() : nullptr;
}

CMC_MotionGroup* CMC_MotionView::GetSelectedGroup() {
  CMC_Motion* motion = GetMotion();
  return motion ? motion->GetSequenceSelection() : nullptr;
}

void CMC_MotionView::Notify() {
  CDocument* doc = GetDocument();
  if (CMC_Document* mc = GetMCDocument())
    mc->OnChangedInView(this, 0);
  else if (doc)
    doc->SetModifiedFlag(TRUE);
  // Another view of the program shows it anew: its rows map to objects by position, and a command
  // there on rows that no longer match would change objects the user does not see.
  for (POSITION pos = doc ? doc->GetFirstViewPosition() : nullptr; pos;) {
    auto* other = DYNAMIC_DOWNCAST(CMC_MotionView, doc->GetNextView(pos));
    if (other && other != this && other->m_bViewInitialized) other->FillGrid();
  }
}

// ---- set-up ---------------------------------------------------------------------------------------------------

void CMC_MotionView::OnInitialUpdate() {
  StartKernelGridLibrary();
  CGXGridView::OnInitialUpdate();
  RegisterControl(kStaticControl, new CGXStatic(this), FALSE, TRUE);
  RegisterControl(kTreeEditControl, new CGXTreeEdit(this, 0), FALSE, TRUE);
  RegisterControl(kTreeStaticControl, new CGXTreeStatic(this), FALSE, TRUE);
  CGXGridParam* param = GetParam();
  param->GetStylesMap()->AddUserAttribute(kLevelAttrib);
  param->GetStylesMap()->AddUserAttribute(kStateAttrib);
  SetScrollBarBehaviour(SB_VERT, 10, TRUE);
  CreateOleDataSourceProxy(0);
  param->EnableUndo(FALSE);
  param->EmptyUndoList();
  param->EnableSelection(113);
  param->EnableTrackColWidth(0);
  param->EnableTrackRowHeight(14);
  param->m_bNumberedRowHeaders = FALSE;
  param->m_bLetteredColHeaders = FALSE;
  ChangeRowHeaderStyle(CGXStyle().SetFont(CGXFont().SetWeight(400)).SetValue(""));
  ChangeColHeaderStyle(CGXStyle().SetFont(CGXFont().SetWeight(700).SetSize(12)).SetValue(""));
  SetRowCount(0, GX_UPDATENOW);
  SetColCount(1, GX_UPDATENOW);
  SetStyleRange(CGXRange().SetColRange(1, 1),
                &CGXStyle().SetHorizontalAlignment(DT_LEFT).SetVerticalAlignment(DT_TOP).SetWrapText(TRUE));
  SetColumnsWidth();
  SetStyleRange(CGXRange().SetCellRange(0, 0, 0, 1), &CGXStyle().SetValue(""));
  // The bold title needs more than the default row height.
  ResizeRowHeightsToFit(CGXRange().SetRowRange(0, 0));
  if (CMC_Motion* motion = GetMotion()) motion->TranslateAll(FALSE);
  FillGrid();
  m_bViewInitialized = 1;
}

void CMC_MotionView::SetColumnsWidth() {
  CRect r;
  GetWindowRect(&r);
  m_nColumnWidth = std::max(100, r.Width() - ::GetSystemMetrics(SM_CXVSCROLL) - 22);
  SetColWidth(0, 0, 20);
  SetColWidth(1, 1, m_nColumnWidth);
}

void CMC_MotionView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  // A folder view may have renamed, reloaded or removed the sequence shown: rows left standing would
  // name objects no longer where they show them.
  if (lHint != kHintRefresh && lHint != kHintRetranslate && lHint != kHintHoming && lHint != kHintInterrupts &&
      lHint != kHintFunctions)
    return;
  if (CMC_Motion* motion = GetMotion()) motion->TranslateAll(FALSE);
  FillGrid();
}

BOOL CMC_MotionView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_MOUSEWHEEL) {
    if (CGXGridView::OnWndMsg(message, wParam, lParam, pResult) && pResult && *pResult) return TRUE;
    DoScroll((short)HIWORD(wParam) < 1 ? GX_DOWN : GX_UP, 1);
    if (pResult) *pResult = 0;
    return TRUE;
  }
  const BOOL handled = CGXGridView::OnWndMsg(message, wParam, lParam, pResult);
  if (message == WM_SIZE && m_bViewInitialized) {
    // The column follows the window, not its client: a scroll bar shown or hidden leaves the rows.
    const int fitted = m_nColumnWidth;
    SetColumnsWidth();
    if (GetRowCount() && m_nColumnWidth != fitted) {
      RefitRows();
      CloseActiveEditControl();
    }
  }
  return handled;
}

long long CMC_MotionView::OneLineWidth(int32_t bytes, int nLevel) {
  if (bytes == kManyLines) return LLONG_MAX;
  if (!m_nWidestChar) m_nWidestChar = WidestChar();
  return (long long)bytes * m_nWidestChar + CGXTreeCellLook::Indent(nLevel) + 16;
}

int32_t CMC_MotionView::LineBytes(const CString& text) {
  return text.Find('\n') >= 0 || text.Find('\t') >= 0 ? kManyLines : text.GetLength();
}

// The widest printable ASCII character of the cells' font: a text of n bytes is at most n of them
// wide (a character of several bytes is no wider than that many), so only a text that may not fit
// one line is measured.
int CMC_MotionView::WidestChar() {
  int widest = 0;
  CClientDC dc(this);
  PrepareDC(&dc);
  CFont* old = SelectStandardFont(&dc);
  for (char c = ' '; c <= '~'; ++c) widest = std::max(widest, (int)dc.GetTextExtent(&c, 1).cx);
  if (old) dc.SelectObject(old);
  return std::max(widest, GetFontCharWidth());
}

// Only rows that are taller than one line or may not fit the width in one are measured, a run of
// them at a time; the rest keep the height a fill gives them. They are found from what is kept of
// each row as the rows change (its text's length and level), not by reading every row's cell, and
// from the heights stored for rows.
void CMC_MotionView::RefitRows() {
  // A long fit lets waiting input run (its progress): a width change then fits again once this ends.
  if (m_bFitting) {
    m_bFitAgain = TRUE;
    return;
  }
  struct Fitting {
    BOOL& on;
    explicit Fitting(BOOL& b) : on(b) { on = TRUE; }
    ~Fitting() { on = FALSE; }  // also when the user stops a fit (Esc): the next change fits again
  } fitting(m_bFitting);
  BOOL fitted = FALSE;
  do {
    m_bFitAgain = FALSE;
    m_nWidestChar = WidestChar();
    const DWORD count = GetRowCount();
    if (m_aRowLines.size() != count) m_aRowLines.assign(count, RowLine{kUnknown, 0});
    const long long width = GetColWidth(1);
    std::vector<DWORD> rows;
    for (DWORD r = 1; r <= count; ++r) {
      RowLine& line = m_aRowLines[r - 1];
      if (line.bytes == kUnknown) {
        const CGXStyle* style = StoredStyle(r);
        line.bytes = style ? LineBytes(style->GetValue()) : 0;
        line.level = GetTreeNodeAttrib(kLevelAttrib, r);
      }
      if (OneLineWidth(line.bytes, line.level) > width) rows.push_back(r);
    }
    const int single = GetDefaultRowHeight();
    const CGXMapDWordToLong& heights = GetParam()->m_RowHeights;
    for (POSITION pos = heights.GetStartPosition(); pos;) {
      DWORD row = 0;
      LONG stored = 0;
      heights.GetNextAssoc(pos, row, stored);
      if (row >= 1 && row <= count && GetRowHeight(row) != single) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (size_t i = 0; i < rows.size() && !m_bFitAgain;) {
      size_t last = i;
      while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
      // Input run by a fit may have taken rows away.
      if (rows[i] <= GetRowCount())
        ResizeRowHeightsToFit(CGXRange().SetCellRange(rows[i], 1, std::min<DWORD>(rows[last], GetRowCount()), 1), TRUE, 0);
      fitted = TRUE;
      i = last + 1;
    }
  } while (m_bFitAgain);
  if (fitted) Redraw(GX_INVALIDATE);
}

void CMC_MotionView::ForgetRowLines(DWORD a, DWORD b) {
  const DWORD last = std::min<DWORD>(b, (DWORD)m_aRowLines.size());
  for (DWORD r = std::max<DWORD>(a, 1); r <= last; ++r) m_aRowLines[r - 1].bytes = kUnknown;
}

BOOL CMC_MotionView::StoreStyleRowCol(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType) {
  const BOOL stored = CGXGridView::StoreStyleRowCol(nRow, nCol, pStyle, mode, nType);
  if (stored && nCol == 1) ForgetRowLines(nRow, nRow);
  return stored;
}

BOOL CMC_MotionView::StoreRowCount(ROWCOL nRows) {
  const BOOL stored = CGXGridView::StoreRowCount(nRows);
  if (stored) m_aRowLines.resize(nRows, RowLine{kUnknown, 0});
  return stored;
}

BOOL CMC_MotionView::StoreInsertRows(ROWCOL nRow, ROWCOL nCount, BOOL bProcessed) {
  const BOOL stored = CGXGridView::StoreInsertRows(nRow, nCount, bProcessed);
  if (stored) {
    const size_t at = std::min<size_t>(nRow ? nRow - 1 : 0, m_aRowLines.size());
    m_aRowLines.insert(m_aRowLines.begin() + (ptrdiff_t)at, nCount, RowLine{kUnknown, 0});
  }
  return stored;
}

BOOL CMC_MotionView::StoreRemoveRows(ROWCOL nFrom, ROWCOL nTo, BOOL bProcessed) {
  const BOOL stored = CGXGridView::StoreRemoveRows(nFrom, nTo, bProcessed);
  const size_t from = nFrom ? nFrom - 1 : 0, to = std::min<size_t>(nTo, m_aRowLines.size());
  if (stored && from < to) m_aRowLines.erase(m_aRowLines.begin() + (ptrdiff_t)from, m_aRowLines.begin() + (ptrdiff_t)to);
  return stored;
}

BOOL CMC_MotionView::StoreMoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, BOOL bProcessed) {
  const BOOL stored = CGXGridView::StoreMoveRows(nFrom, nTo, nDest, bProcessed);
  // Every row between the block's old and new place has another one there now.
  if (stored && nTo >= nFrom) ForgetRowLines(std::min(nFrom, nDest), std::max<ROWCOL>(nTo, nDest + (nTo - nFrom)));
  return stored;
}

BOOL CMC_MotionView::StoreMoveDataRows(const CGXRange& range, const CDWordArray& order) {
  const BOOL stored = CGXGridView::StoreMoveDataRows(range, order);
  if (stored) ForgetRowLines(range.m_nTop, range.m_nTop + (DWORD)order.GetSize());
  return stored;
}

BOOL CMC_MotionView::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_DELETE) {
    HWND focus = ::GetFocus();
    char name[32] = {};
    if (focus) ::GetClassName(focus, name, sizeof name);
    if (focus && (strcmp(name, "GXEDIT") == 0 || strcmp(name, "Edit") == 0))
      ::SendMessage(focus, pMsg->message, pMsg->wParam, pMsg->lParam);
    else
      OnDelete();
    return TRUE;
  }
  return CGXGridView::PreTranslateMessage(pMsg);
}

// ---- the row model ----------------------------------------------------------------------------------------

// Read in place: walking the tree reads the attributes of many rows.
const CGXStyle* CMC_MotionView::StoredStyle(DWORD nRow) {
  const CGXData* data = GetParam() ? GetParam()->GetData() : nullptr;
  const CGXStylePtrArray* row = data && nRow <= GetRowCount() ? data->GetCells().GetRow(nRow) : nullptr;
  return row ? row->GetStyle(1) : nullptr;
}

int CMC_MotionView::GetTreeNodeAttrib(UINT nAttrib, DWORD nRow) {
  const CGXStyle* style = nRow ? StoredStyle(nRow) : nullptr;
  return style ? ParseLevel(style->GetUserAttribute(nAttrib)) : -1;
}

void CMC_MotionView::SetTreeNodeAttrib(UINT nAttrib, DWORD nRow, int nValue) {
  CGXStyle style;
  style.SetUserAttribute(nAttrib, IntText(nValue));
  SetStyleRange(CGXRange().SetCellRange(nRow, 1, nRow, 1), &style, 0, 0, nullptr, GX_UPDATENOW);
}

DWORD CMC_MotionView::GetChildrenCount(DWORD nRow) {
  const int level = GetTreeNodeAttrib(kLevelAttrib, nRow);
  if (level < 0) return 0;
  DWORD n = 0;
  for (DWORD r = nRow + 1, count = GetRowCount(); r <= count && GetTreeNodeAttrib(kLevelAttrib, r) > level; ++r) ++n;
  return n;
}

int CMC_MotionView::GetParentRow(DWORD nRow) {
  const int level = GetTreeNodeAttrib(kLevelAttrib, nRow);
  if (level < 1) return -1;
  for (DWORD r = nRow - 1; r >= 1; --r)
    if (GetTreeNodeAttrib(kLevelAttrib, r) < level) return (int)r;
  return -1;
}

DWORD CMC_MotionView::GetPrevRowOfLevel(DWORD nRow, int nLevel) {
  for (DWORD r = std::min<DWORD>(nRow, GetRowCount() + 1); r-- > 1;)
    if (GetTreeNodeAttrib(kLevelAttrib, r) == nLevel) return r;
  return 0;
}

DWORD CMC_MotionView::GetNextRowOfLevel(DWORD nRow, int nLevel) {
  if (nRow == 0) return 0;
  for (DWORD r = nRow + 1, count = GetRowCount(); r <= count; ++r)
    if (GetTreeNodeAttrib(kLevelAttrib, r) == nLevel) return r;
  return 0;
}

BOOL CMC_MotionView::GetTreeNodeInfos(DWORD nRow, int nLevel, int* pIndices, DWORD* pParentRows) {
  if (nRow == 0 || nLevel < 0 || !pIndices || nRow > GetRowCount()) return FALSE;
  int depth = nLevel, count = 0;
  for (DWORD r = nRow - 1;; --r) {
    if (r == 0) {
      if (depth != 0) return FALSE;
      pIndices[0] = count;
      if (pParentRows) pParentRows[0] = 0;
      return TRUE;
    }
    const int level = GetTreeNodeAttrib(kLevelAttrib, r);
    if (level > depth) continue;
    if (level == depth) {
      ++count;
    } else if (level == depth - 1) {
      pIndices[depth] = count;
      if (pParentRows) pParentRows[depth] = r;
      --depth, count = 0;
    } else {
      return FALSE;
    }
  }
}

BOOL CMC_MotionView::GetParentArrayOfRow(DWORD nRow, CMC_MotionGroup*& pGroup, int& nIndex) {
  pGroup = nullptr, nIndex = -1;
  CMC_MotionGroup* group = GetSelectedGroup();
  const int level = GetTreeNodeAttrib(kLevelAttrib, nRow);
  if (!group || level < 0) return FALSE;
  std::vector<int> path((size_t)level + 1);
  if (!GetTreeNodeInfos(nRow, level, path.data(), nullptr)) return FALSE;
  for (int d = 0; d < level; ++d) {
    if (path[(size_t)d] >= group->GetSize()) return FALSE;
    group = DYNAMIC_DOWNCAST(CMC_MotionGroup, group->GetAt(path[(size_t)d]));
    if (!group) return FALSE;
  }
  if (path[(size_t)level] >= group->GetSize()) return FALSE;
  pGroup = group, nIndex = path[(size_t)level];
  return TRUE;
}

BOOL CMC_MotionView::GetParentArrayOfRows(DWORD nFirst, DWORD nLast, CMC_MotionGroup*& pGroup, int& nFirstIndex,
                                          int& nLastIndex) {
  pGroup = nullptr, nFirstIndex = nLastIndex = -1;
  if (nFirst == 0 || nFirst > nLast || !GetParentArrayOfRow(nFirst, pGroup, nFirstIndex)) return FALSE;
  const int level = GetTreeNodeAttrib(kLevelAttrib, nFirst);
  for (DWORD r = nFirst + 1; r <= nLast; ++r)
    if (GetTreeNodeAttrib(kLevelAttrib, r) != level) {
      pGroup = nullptr, nFirstIndex = -1;
      return FALSE;
    }
  nLastIndex = nFirstIndex + (int)(nLast - nFirst);
  return TRUE;
}

CObject* CMC_MotionView::GetObjectOfRow(DWORD nRow) {
  CMC_MotionGroup* group = nullptr;
  int index = -1;
  return GetParentArrayOfRow(nRow, group, index) ? group->GetAt(index) : nullptr;
}

// ---- rows ---------------------------------------------------------------------------------------------------

void CMC_MotionView::UpdateRow(DWORD nRow, int nLevel, CObject* pObject) {
  CGXStyle style;
  if (!m_nBatch) GetStyleRowCol(nRow, 1, style, 2, 0);  // rows written in a batch are new and empty
  style.SetUserAttribute(kLevelAttrib, IntText(nLevel));
  if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, pObject)) {
    const bool free = IsFreeText(e);
    CString text = e->m_strCode;
    if (!free) text.TrimRight();
    const COLORREF color = !e->m_bEnabled         ? GXSysColorRef(kGrayTextIndex)
                           : free                 ? kFreeTextColor
                           : e->m_bTranslateError ? kFailedColor
                                                  : kTranslatedColor;
    style.SetValue(text).SetTextColor(color);
    style.SetControl(free && !e->m_bTranslateError ? kTreeEditControl : kTreeStaticControl);
    style.SetUserAttribute(kStateAttrib, "-1").SetAllowEnter(free);
  } else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, pObject)) {
    style.SetUserAttribute(kStateAttrib, g->m_bExpanded ? "1" : "0")
        .SetAllowEnter(FALSE)
        .SetControl(kTreeStaticControl);
    CString failed;
    if (!g->m_bExpanded && g->m_bEnabled && g->HasTranslateError(failed))
      style.SetValue(failed).SetTextColor(kFailedColor);
    else
      style.SetValue(g->m_strName).SetTextColor(g->m_bEnabled ? kGroupColor : GXSysColorRef(kGrayTextIndex));
  } else {
    return;
  }
  // A batch stores its new rows straight away (undo is off) and repaints once at its end.
  if (m_nBatch)
    StoreStyleRowCol(nRow, 1, &style, 2);
  else
    SetStyleRange(CGXRange().SetCellRange(nRow, 1, nRow, 1), &style, 2, 0, nullptr, GX_UPDATENOW);
  // Measuring every cell of a long sequence costs more than the rest of the fill: a row is measured
  // when its text may need more than the default height, or when it is written on its own.
  if (m_nBatch && style.GetTextColorValue() == kFailedColor && (!m_nFirstRedRow || nRow < m_nFirstRedRow))
    m_nFirstRedRow = nRow;
  if (!m_nBatch)
    ResizeRowHeightsToFit(CGXRange().SetCellRange(nRow, 1, nRow, 1));
  // Known at once, so that the first width change after a fill need not read the rows.
  const RowLine line{LineBytes(style.GetValue()), nLevel};
  if (nRow >= 1 && nRow <= m_aRowLines.size()) m_aRowLines[nRow - 1] = line;
  if (m_nBatch && OneLineWidth(line.bytes, line.level) > GetColWidth(1)) m_aFitRows.push_back(nRow);
}

void CMC_MotionView::BeginBatch() {
  if (m_nBatch++ == 0) ++m_nLockUpdate, m_nWidestChar = 0;
}

void CMC_MotionView::EndBatch(DWORD nFirstRow) {
  if (--m_nBatch > 0) return;
  for (DWORD r : m_aFitRows) ResizeRowHeightsToFit(CGXRange().SetCellRange(r, 1, r, 1), TRUE, 0);
  m_aFitRows.clear();
  --m_nLockUpdate;
  FreeObjectCache();
  RedrawRowCol(nFirstRow, 0, GetRowCount(), 1);
  // The rows went in without their redraw: the bars follow them now, not at a paint that may never
  // come while the rows lie under other windows.
  RefreshScrollBars(FALSE, TRUE);
}

DWORD CMC_MotionView::CountVisibleRows(CMC_MotionGroup* pGroup) {
  DWORD n = 0;
  for (INT_PTR i = 0; pGroup && i < pGroup->GetSize(); ++i) {
    ++n;
    auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, pGroup->GetAt(i));
    if (g && g->m_bExpanded) n += CountVisibleRows(g);
  }
  return n;
}

void CMC_MotionView::WriteRows(DWORD& nRow, int nLevel, CMC_MotionGroup* pGroup) {
  for (INT_PTR i = 0; i < pGroup->GetSize(); ++i) {
    CObject* child = pGroup->GetAt(i);
    UpdateRow(nRow++, nLevel, child);
    auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child);
    if (g && g->m_bExpanded) WriteRows(nRow, nLevel + 1, g);
  }
}

// All rows go in with one insertion, then each is written: the same rows as one insertion per
// object, without moving the rows below once per object.
void CMC_MotionView::AddRowsForSequence(DWORD& nRow, int nLevel, CMC_MotionGroup* pGroup) {
  const DWORD count = CountVisibleRows(pGroup);
  if (!count) return;
  const DWORD first = nRow;
  BeginBatch();
  InsertRows(nRow, count, nullptr, nullptr, nullptr, 0, 0);
  WriteRows(nRow, nLevel, pGroup);
  EndBatch(first);
}

BOOL CMC_MotionView::IsRedRow(DWORD nRow) {
  const CGXStyle* style = StoredStyle(nRow);
  return style && style->GetIncludeTextColor() && style->GetTextColor() == kFailedColor;
}

void CMC_MotionView::FillGrid() {
  if (GetRowCount()) {
    RemoveRows(1, GetRowCount(), GX_UPDATENOW);
    SetSelection(nullptr);
  }
  CMC_MotionGroup* group = GetSelectedGroup();
  const CString title = group ? GetMotion()->GetSelectionName() : CString();
  SetStyleRange(CGXRange().SetCellRange(0, 1, 0, 1), &CGXStyle().SetValue(title));
  if (group) {
    DWORD row = 1;
    m_nFirstRedRow = 0;
    AddRowsForSequence(row, 0, group);
    if (m_nFirstRedRow) {
      SelectRows(m_nFirstRedRow, m_nFirstRedRow);
      SetCurrentCell(m_nFirstRedRow, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
    }
  }
  SetSelectionState();
}

void CMC_MotionView::CloseActiveEditControl() {
  ROWCOL row = 0, col = 0;
  // The focus stays where it is unless it was in the view: a view sized behind others, as a cascade
  // sizes it, takes no input from the window the user works in.
  const HWND focus = ::GetFocus();
  const UINT stay = focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus)) ? 0u : (UINT)GX_NOSETFOCUS;
  if (GetCurrentCell(row, col)) SetCurrentCell(row, col, GX_UPDATENOW | GX_SCROLLINVIEW | stay);
}

// ---- expand and collapse ------------------------------------------------------------------------------------

void CMC_MotionView::OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) {
  if (nCol != 1 || nRow == 0) return;
  auto* group = DYNAMIC_DOWNCAST(CMC_MotionGroup, GetObjectOfRow(nRow));
  const int state = GetTreeNodeAttrib(kStateAttrib, nRow), level = GetTreeNodeAttrib(kLevelAttrib, nRow);
  if (!group || state < 0 || level < 0) return;
  if (state == 1) {
    if (DWORD n = GetChildrenCount(nRow)) RemoveRows(nRow + 1, nRow + n, GX_UPDATENOW);
    group->m_bExpanded = FALSE;
  } else {
    DWORD row = nRow + 1;
    AddRowsForSequence(row, level + 1, group);
    group->m_bExpanded = TRUE;
  }
  UpdateRow(nRow, level, group);
  SetSelectionState();
}

// ---- selection ----------------------------------------------------------------------------------------------

// Every row with a selected cell, as drawn; the header row is no object's.
int CMC_MotionView::SelectedRows(CDWordArray& rows) {
  GetSelectedRows(rows, FALSE, FALSE);
  const DWORD count = GetRowCount();
  INT_PTR kept = 0;
  for (INT_PTR i = 0; i < rows.GetSize(); ++i)
    if (rows[i] >= 1 && rows[i] <= count) rows[kept++] = rows[i];
  rows.SetSize(kept);
  return (int)kept;
}

void CMC_MotionView::SelectRows(DWORD a, DWORD b) {
  SetSelection(nullptr);
  SelectRange(CGXRange().SetRowRange(a, b), TRUE, TRUE);
  // The rows are what a Shift+click on a row header or a Shift+arrow extends: whole rows from a.
  m_posSelRange = GetParam()->m_SelRects.GetTailPosition();
  m_nAnchorRow = a, m_nAnchorCol = 0;
}

BOOL CMC_MotionView::SelectedRun(CDWordArray& rows, CMC_MotionGroup*& pGroup, int& nFirst, int& nLast) {
  if (!SelectedRows(rows)) return FALSE;
  return GetParentArrayOfRows(rows[0], rows[rows.GetSize() - 1], pGroup, nFirst, nLast) && nFirst >= 0 &&
         nLast < pGroup->GetSize();
}

BOOL CMC_MotionView::CanSelectCurrentCell(BOOL bSelect, ROWCOL nRow, ROWCOL nCol, ROWCOL nOldRow, ROWCOL nOldCol) {
  if (nCol == 0) return FALSE;
  return CGXGridView::CanSelectCurrentCell(bSelect, nRow, nCol, nOldRow, nOldCol);
}

BOOL CMC_MotionView::OnLButtonClickedRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt) {
  // The header cell cannot be current, so its row's cell is: Shift+arrows go on from the row clicked.
  if (nRow != 0 && nCol == 0) SetCurrentCell(nRow, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  if (nRow == 0 || (nCol == 0 && (nFlags & MK_SHIFT)))
    return CGXGridView::OnLButtonClickedRowCol(nRow, nCol, nFlags, pt);
  SelectRows(nRow, nRow);
  return TRUE;
}

void CMC_MotionView::OnChangedSelection(const CGXRange* pRange, BOOL bIsDragging, BOOL bKey) {
  CGXGridView::OnChangedSelection(pRange, bIsDragging, bKey);
  SetSelectionState();
}

void CMC_MotionView::SetSelectionState() {
  m_nSelectedRows = m_nFirstSelectedRow = m_nLastSelectedRow = 0;
  m_bSiblingRun = m_bEnabledSelected = m_bDisabledSelected = 0;
  CDWordArray rows;
  if (!SelectedRows(rows)) return;
  m_nSelectedRows = (DWORD)rows.GetSize();
  m_nFirstSelectedRow = rows[0], m_nLastSelectedRow = rows[rows.GetSize() - 1];
  CMC_MotionGroup* group = nullptr;
  int first = 0, last = 0;
  m_bSiblingRun = GetParentArrayOfRows(m_nFirstSelectedRow, m_nLastSelectedRow, group, first, last);
  for (DWORD r = m_nFirstSelectedRow; r <= m_nLastSelectedRow; ++r) {
    CObject* o = GetObjectOfRow(r);
    int enabled = -1;
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, o))
      enabled = e->m_bEnabled;
    else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, o))
      enabled = g->m_bEnabled;
    if (enabled > 0) m_bEnabledSelected = 1;
    if (enabled == 0) m_bDisabledSelected = 1;
  }
}

// ---- editing --------------------------------------------------------------------------------------------------

BOOL CMC_MotionView::OnEndEditing(ROWCOL nRow, ROWCOL nCol) {
  if (nRow == 0 || nCol != 1 || IsRedRow(nRow)) return TRUE;
  CObject* o = GetObjectOfRow(nRow);
  const CString value = GetValueRowCol(nRow, 1);
  if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, o)) {
    if (IsFreeText(e) && value != e->m_strParameters) {
      e->m_strParameters = value;
      if (CMC_Motion* motion = GetMotion()) motion->Translate(e, TRUE);
      Notify();
    }
  } else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, o)) {
    if (value != g->m_strName) {
      g->m_strName = value;
      Notify();
    }
  } else {
    return TRUE;
  }
  UpdateRow(nRow, GetTreeNodeAttrib(kLevelAttrib, nRow), o);
  SetSelectionState();
  return TRUE;
}

// The grid keeps what was typed when the focus leaves the view (another window activated); the
// program takes it as at the end of an edit, or it would show a text the program does not hold.
BOOL CMC_MotionView::OnActivateGrid(BOOL bActivate) {
  ROWCOL row = 0, col = 0;
  CGXControl* control = !bActivate && GetCurrentCell(row, col) ? GetCurrentCellControl() : nullptr;
  const BOOL edited = control && control->IsActive() && control->GetModify();
  const BOOL done = CGXGridView::OnActivateGrid(bActivate);
  if (edited && done && !control->IsActive()) OnEndEditing(row, col);
  return done;
}

BOOL CMC_MotionView::OnTrackRowHeight(ROWCOL nRow) { return nRow != 0 && CGXGridView::OnTrackRowHeight(nRow); }

BOOL CMC_MotionView::OnEndTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode, CSize& size) {
  return CGXGridView::OnEndTracking(nRow, nCol, nTrackingMode, size);
}

void CMC_MotionView::ShowContextCursor(UINT nID, LPCSTR pszSystemCursor) {
  if (nID == 23203)
    CGXGridView::ShowContextCursor(0, nullptr);
  else
    CGXGridView::ShowContextCursor(nID, pszSystemCursor);
}
