// The grid core's clipboard: blocks of cells as text and in the grid's own format, cut, paste and clear.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXOperationProgress.h"
#include "grid/engine/GXStyleBlock.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Archive.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/SystemInfo.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/SharedFile.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

constexpr UINT kMaxBlock = 0x7FFF;
constexpr UINT kSharedAlloc = GMEM_SHARE | GMEM_ZEROINIT | GMEM_MOVEABLE;

CString LoadText(UINT id) {
  std::string s;
  return LoadStringResource(id, s) ? CString(s) : CString();
}

// The block a range list covers: the crossing of its merged row runs and column runs.
struct Block {
  CDWordArray rowFrom, rowTo, colFrom, colTo;
  unsigned long long rows = 0, cols = 0;

  Block(const CGXRangeList& list, ROWCOL nRowCount, ROWCOL nColCount) {
    list.GetRowArray(nRowCount, rowFrom, rowTo);
    list.GetColArray(nColCount, colFrom, colTo);
    for (INT_PTR i = 0; i < rowFrom.GetSize(); ++i) rows += (unsigned long long)rowTo[i] - rowFrom[i] + 1;
    for (INT_PTR i = 0; i < colFrom.GetSize(); ++i) cols += (unsigned long long)colTo[i] - colFrom[i] + 1;
  }
  // Calls f(row, col, firstInRow) for every cell, row by row; stops when f returns false.
  template <class F>
  bool ForEach(F f) const {
    for (INT_PTR ri = 0; ri < rowFrom.GetSize(); ++ri)
      for (ROWCOL r = rowFrom[ri];; ++r) {
        bool first = true;
        for (INT_PTR ci = 0; ci < colFrom.GetSize(); ++ci)
          for (ROWCOL c = colFrom[ci];; ++c) {
            if (!f(r, c, first)) return false;
            first = false;
            if (c == colTo[ci]) break;
          }
        if (r == rowTo[ri]) break;
      }
    return true;
  }
};

// Reports the share done; true when the user aborted. Looks at the clock every 256 steps only.
// Counts a step in `step`.
bool Aborted(CGXOperationProgress& progress, unsigned long long& step, unsigned long long done,
             unsigned long long total) {
  if (++step & 0xFF) return false;
  GXGetProgressSettings().nPercent = (DWORD)std::min<unsigned long long>(100, total ? done * 100 / total : 100);
  BOOL abort = FALSE;
  return progress.CheckAbort(abort) && abort;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Appends a cell's text with each line end (CR LF as one) made a space; with bToNul only up to a zero byte.
void AppendCellText(std::string& out, const char* p, size_t n, bool bToNul) {
  for (size_t i = 0; i < n;) {
    size_t run = i;
    while (run < n && !IsLineEnd(p[run]) && (p[run] || !bToNul)) ++run;
    out.append(p + i, run - i);
    if (run == n || !p[run]) break;
    out += ' ';
    i = p[run] == '\r' && run + 1 < n && p[run + 1] == '\n' ? run + 2 : run + 1;
  }
}

// Asks for the stored cells `ahead` rows below in three stages (row object, its pointers, the style), so
// that no stage waits for memory.
void PrefetchCells(const CGXData& data, ROWCOL row, ROWCOL col, ROWCOL ahead, bool first) {
  const CGXStylePtrArrayPtrArray& rows = data.GetCells();
  const INT_PTR r = (INT_PTR)row + ahead;
  if (first)
    if (const CGXStylePtrArray* cells = rows.GetRow(r + 2 * (INT_PTR)ahead)) __builtin_prefetch(cells);
  if (const CGXStylePtrArray* cells = rows.GetRow(r + ahead))
    if ((INT_PTR)col < cells->GetSize()) __builtin_prefetch(cells->GetData() + col);
  const CGXStylePtrArray* cells = rows.GetRow(r);
  if (!cells || (INT_PTR)col >= cells->GetSize()) return;
  if (const char* style = static_cast<const char*>(cells->GetData()[col]))
    for (size_t line = 0; line < sizeof(CGXStyle); line += 64) __builtin_prefetch(style + line);
}

// Bytes of the character at p, never past the end.
size_t CharLen(const char* p, size_t left) { return IsDBCSLeadByte((BYTE)*p) && left > 1 ? 2 : 1; }

// Steps over a line end at text[i] (CR LF as one).
size_t SkipLineEnd(const char* text, size_t i, size_t n) {
  return text[i] == '\r' && i + 1 < n && text[i + 1] == '\n' ? i + 2 : i + 1;
}

}  // namespace

// ---- widening and the text and internal writers --------------------------------------------------------------

static void WidenList(const CGXRangeList& in, CGXRangeList& out, ROWCOL firstRow, ROWCOL firstCol, ROWCOL rows,
                      ROWCOL cols) {
  for (POSITION pos = in.GetHeadPosition(); pos;) {
    CGXRange r = *in.GetNext(pos);
    out.AddTail(new CGXRange(r.ExpandRange(firstRow, firstCol, rows, cols)));
  }
}

BOOL CGXGridCore::WriteTextFormat(CFile& file, const CGXRangeList& list) {
  const Block block(list, GetRowCount(), GetColCount());
  m_nRowsCopied = m_nColsCopied = 0;
  if (!block.rows || !block.cols) return FALSE;
  CGXOperationProgress progress;
  progress.SetStatusText(LoadText(52298));
  const CString sep = m_strColSep.IsEmpty() ? CString("\t") : m_strColSep;
  const unsigned long long total = block.rows * block.cols;
  std::string out;
  unsigned long long done = 0;
  ROWCOL lastRowCells = 0;
  CString text;
  CGXStyle* style = CreateStyle();
  // A plain style composes for the text only; the whole style is composed when the cell's control
  // may derive its text from it.
  const bool textOnly =
      typeid(*style) == typeid(CGXStyle) && (!m_pStyleClass || m_pStyleClass == RUNTIME_CLASS(CGXStyle));
  struct Guard {
    CGXGridCore& grid;
    ~Guard() {
      grid.m_bTextOnly = FALSE;
      grid.EndTextCompose();
    }
  } guard{*this};
  if (textOnly) BeginTextCompose();
  const CGXControl* lastControl = nullptr;
  bool lastShowsValue = false;
  auto showsValue = [&](const CGXControl* control) {
    if (control != lastControl) {
      lastControl = control;
      lastShowsValue = control->ShowsValueAsIs();
    }
    return lastShowsValue;
  };
  // The stored cells lie scattered on the heap: ask for those a few cells ahead while this one is composed.
  const CGXData* data = m_pParam ? m_pParam->GetData() : nullptr;
  const ROWCOL ahead = (ROWCOL)std::max<unsigned long long>(1, 16 / block.cols);
  const bool complete = block.ForEach([&](ROWCOL r, ROWCOL c, bool first) {
    if (data) PrefetchCells(*data, r, c, ahead, first);
    if (first) {
      if (done) out += "\r\n";
    } else if (sep.GetLength() == 1) {
      out += sep[0];
    } else {
      out.append(sep.GetString(), (size_t)sep.GetLength());
    }
    lastRowCells = first ? 1 : lastRowCells + 1;
    style->Free();
    CGXControl* control = nullptr;
    if (textOnly) {
      m_bTextOnly = TRUE;
      ComposeStyleRowCol(r, c, style);
      m_bTextOnly = FALSE;  // a grid's own compose may not have taken it
      control = GetRegisteredControl(style->GetControl());
      if (control && !showsValue(control)) {
        style->Free();
        ComposeStyleRowCol(r, c, style);
      }
    } else {
      ComposeStyleRowCol(r, c, style);
      control = GetRegisteredControl(style->GetControl());
    }
    const CString& value = style->GetValue();
    if (control && textOnly && showsValue(control)) {
      AppendCellText(out, value.GetString(), (size_t)value.GetLength(), true);  // as the control copies it
    } else if (control && control->GetDisplayText(text, r, c, value, style)) {
      AppendCellText(out, text.GetString(), (size_t)text.GetLength(), false);
    } else {
      AppendCellText(out, value.GetString(), (size_t)value.GetLength(), false);
    }
    return !Aborted(progress, done, done + 1, total);
  });
  RecycleStyle(style);
  if (!complete) return FALSE;
  if (block.rows > 1 || lastRowCells > 1) out += "\r\n";
  file.Write(out.data(), (UINT)out.size());
  m_nRowsCopied = (ROWCOL)block.rows;
  m_nColsCopied = lastRowCells;
  return TRUE;
}

BOOL CGXGridCore::WriteInternalFormat(CArchive& ar, const CGXRangeList& list, BOOL bComposed) {
  const Block block(list, GetRowCount(), GetColCount());
  const unsigned long long total = block.rows * block.cols;
  if (block.rows > kMaxBlock || block.cols > kMaxBlock || total >= 0x7FFFFFFFULL) {
    AfxMessageBox(LoadText(52300), MB_OK);
    return FALSE;
  }
  if (!total) return FALSE;
  CGXOperationProgress progress;
  progress.SetStatusText(LoadText(52299));
  GXStyleArrayPtr styles(new CObArray, GXDeleteStyles);
  styles->SetSize((INT_PTR)total);
  unsigned long long i = 0;
  const bool complete = block.ForEach([&](ROWCOL r, ROWCOL c, bool) {
    CGXStyle* style = CreateStyle();
    if (bComposed) {
      ComposeStyleRowCol(r, c, style, TRUE);
      styles->SetAt((INT_PTR)i, style);
    } else if (GetStyleRowCol(r, c, *style, 2)) {
      styles->SetAt((INT_PTR)i, style);
    } else {
      RecycleStyle(style);
    }
    return !Aborted(progress, i, i + 1, total);
  });
  if (!complete) return FALSE;
  CDocument* oldDoc = ar.m_pDocument;
  CGXStylesMap::AttachToArchive(ar, m_pParam->GetStylesMap());
  ar << (DWORD)block.rows << (DWORD)block.cols;
  ar << static_cast<const CObject*>(styles.get());
  ar.m_pDocument = oldDoc;
  m_nRowsCopied = (ROWCOL)block.rows;
  m_nColsCopied = (ROWCOL)block.cols;
  return TRUE;
}

// ---- to the clipboard ------------------------------------------------------------------------------------------

static BOOL HandToClipboard(CWnd* wnd, UINT format, CSharedFile& file) {
  HGLOBAL mem = file.Detach();
  if (!mem) return FALSE;
  BOOL ok = FALSE;
  if (::OpenClipboard(wnd ? wnd->GetSafeHwnd() : nullptr)) {
    ok = ::SetClipboardData(format, mem) != nullptr;
    ::CloseClipboard();
  }
  if (!ok) GlobalFree(mem);
  return ok;
}

BOOL CGXGridCore::CopyTextToClipboard(const CGXRangeList& list) {
  CSharedFile file(kSharedAlloc, 4096);
  if (!WriteTextFormat(file, list)) return FALSE;
  file.Write("", 1);  // readers of CF_TEXT stop at a zero byte
  return HandToClipboard(m_pGridWnd, CF_TEXT, file);
}

BOOL CGXGridCore::CopyInternalToClipboard(const CGXRangeList& list, BOOL bComposed) {
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  if (!format) return FALSE;
  CSharedFile file(kSharedAlloc, 4096);
  {
    CArchive ar(&file, CArchive::store, 4096);
    if (!WriteInternalFormat(ar, list, bComposed)) {
      ar.Abort();
      return FALSE;
    }
    ar.Close();
  }
  return HandToClipboard(m_pGridWnd, format, file);
}

BOOL CGXGridCore::CopyRanges(const CGXRangeList& list) {
  BOOL any = FALSE;
  if (m_nClipboardFlags & 0x0008) any = CopyTextToClipboard(list);
  if (m_nClipboardFlags & 0x0010) any = CopyInternalToClipboard(list, (m_nClipboardFlags & 0x0020) != 0) || any;
  return any;
}

BOOL CGXGridCore::CopyRange(const CGXRange& range) {
  CGXRangeList list;
  list.AddTail(new CGXRange(range));
  return CopyRanges(list);
}

BOOL CGXGridCore::CutRange(const CGXRange& range, BOOL bRemoveStyles) {
  CGXRangeList list;
  list.AddTail(new CGXRange(range));
  return CutRanges(list, bRemoveStyles);
}

// Empties the clipboard; FALSE when that failed or another window holds it open.
static BOOL EmptyGridClipboard(CWnd* wnd) {
  if (!::OpenClipboard(wnd ? wnd->GetSafeHwnd() : nullptr)) return FALSE;
  const BOOL emptied = ::EmptyClipboard();
  ::CloseClipboard();
  return emptied && !::GetOpenClipboardWindow();
}

BOOL CGXGridCore::Copy() {
  CGXControl* control = GetCurrentCellControl();
  const BOOL active = control && control->IsActive();
  // Nothing will be written: what the clipboard holds stays.
  if (!active && !(m_nClipboardFlags & 0x0018)) return FALSE;
  if (!EmptyGridClipboard(m_pGridWnd)) return FALSE;
  CGXRangeList list;
  CopyRangeList(list, FALSE);
  const BOOL noSelection = list.IsEmpty();
  if ((noSelection || active) && control && control->Copy()) return TRUE;
  if (noSelection) CopyRangeList(list, TRUE);
  if (list.IsEmpty()) return FALSE;
  CGXRangeList widened;
  WidenList(list, widened, m_nClipboardFlags & 0x0002 ? 0 : GetHeaderRows() + 1,
            m_nClipboardFlags & 0x0001 ? 0 : GetHeaderCols() + 1, GetRowCount(), GetColCount());
  return CopyRanges(widened);
}

BOOL CGXGridCore::Cut() {
  CGXControl* control = GetCurrentCellControl();
  const BOOL active = control && control->IsActive();
  if (!active && !(m_nClipboardFlags & 0x0018)) return FALSE;
  EmptyGridClipboard(m_pGridWnd);
  CGXRangeList list;
  CopyRangeList(list, FALSE);
  if ((list.IsEmpty() || active) && control && control->Cut()) return TRUE;
  list.DeleteAll();
  CopyRangeList(list, TRUE);
  return CutRanges(list, (m_nClipboardFlags & 0x0010) != 0);
}

BOOL CGXGridCore::CutRanges(const CGXRangeList& list, BOOL bRemoveStyles) {
  BeginTrans(LoadText(52301));
  CGXRangeList widened;
  WidenList(list, widened, m_nClipboardFlags & 0x0002 ? 0 : GetHeaderRows() + 1,
            m_nClipboardFlags & 0x0001 ? 0 : GetHeaderCols() + 1, GetRowCount(), GetColCount());
  if ((m_nClipboardFlags & 0x0018) && EmptyGridClipboard(m_pGridWnd) && CopyRanges(widened) &&
      ClearCells(list, bRemoveStyles)) {
    CommitTrans();
    return TRUE;
  }
  Rollback();
  return FALSE;
}

// Read-only cells keep their style, and so their value and protection, when whole styles are removed
// or pasted over a range: f(run) gets the runs of writable cells of each row, or the whole range when
// none of it is protected. TRUE when f stored anything.
template <class F>
static BOOL ForWritableRuns(CGXGridCore& grid, const CGXRange& range, F f) {
  auto locked = [&](ROWCOL r, ROWCOL c) { return grid.LookupStyleRowCol(r, c).GetReadOnly() != FALSE; };
  bool any = false;
  for (ROWCOL r = range.m_nTop; grid.GetParam()->m_bProtectReadOnly && !any; ++r) {
    for (ROWCOL c = range.m_nLeft; !any; ++c) {
      any = locked(r, c);
      if (c == range.m_nRight) break;
    }
    if (r == range.m_nBottom) break;
  }
  if (!any) return f(range);
  BOOL stored = FALSE;
  for (ROWCOL r = range.m_nTop;; ++r) {
    for (ROWCOL c = range.m_nLeft;; ++c) {
      if (!locked(r, c)) {
        ROWCOL end = c;
        while (end < range.m_nRight && !locked(r, end + 1)) ++end;
        stored = f(CGXRange().SetCellRange(r, c, r, end)) || stored;
        c = end;
      }
      if (c == range.m_nRight) break;
    }
    if (r == range.m_nBottom) break;
  }
  return stored;
}

// ---- clearing --------------------------------------------------------------------------------------------------

BOOL CGXGridCore::ClearCells(const CGXRangeList& list, BOOL bRemoveStyles) {
  if (!m_pParam || !m_pParam->m_pData) return FALSE;
  BeginTrans(LoadText(52331));
  CGXOperationProgress progress;
  progress.SetStatusText(LoadText(52302));
  CGXRangeList widened;
  WidenList(list, widened, GetHeaderRows() + 1, GetHeaderCols() + 1, GetRowCount(), GetColCount());
  // Each range clears its own cells only: the crossing of separate ranges was not selected. A cell
  // in several ranges is cleared once, by the first.
  std::vector<CGXRange> ranges;
  for (POSITION pos = widened.GetHeadPosition(); pos;) {
    const CGXRange& r = *widened.GetNext(pos);
    if (r.IsValid() && r.m_nTop <= r.m_nBottom && r.m_nLeft <= r.m_nRight) ranges.push_back(r);
  }
  auto inEarlier = [&](size_t i, ROWCOL row, ROWCOL col) {
    for (size_t k = 0; k < i; ++k)
      if (ranges[k].IsCellInRange(row, col)) return true;
    return false;
  };
  bool aborted = false;
  try {
    if (!bRemoveStyles) {
      unsigned long long total = 0, done = 0;
      for (const CGXRange& r : ranges)
        total += ((unsigned long long)r.m_nBottom - r.m_nTop + 1) * ((unsigned long long)r.m_nRight - r.m_nLeft + 1);
      CGXStyle* style = CreateStyle();
      for (size_t i = 0; !aborted && i < ranges.size(); ++i)
        for (ROWCOL r = ranges[i].m_nTop; !aborted; ++r) {
          for (ROWCOL c = ranges[i].m_nLeft; !aborted; ++c) {
            if (!inEarlier(i, r, c)) {
              style->Free();
              ComposeStyleRowCol(r, c, style);
              StoreTextRowCol(r, c, "", GX_INVALIDATE, style);
            }
            aborted = Aborted(progress, done, done + 1, total);
            if (c == ranges[i].m_nRight) break;
          }
          if (r == ranges[i].m_nBottom) break;
        }
      RecycleStyle(style);
    } else {
      unsigned long long done = 0;
      for (size_t i = 0; !aborted && i < ranges.size(); ++i) {
        ForWritableRuns(*this, ranges[i], [&](const CGXRange& run) { return SetStyleRange(run, nullptr, 4); });
        aborted = Aborted(progress, done, done + 1, ranges.size());
      }
    }
  } catch (CException* e) {
    e->Delete();
    aborted = aborted || GXGetProgressSettings().bAbortConfirmed;
    if (!aborted) {
      CommitTrans();
      return FALSE;
    }
  }
  if (aborted) {
    Rollback();
    return FALSE;
  }
  CommitTrans();
  return TRUE;
}

BOOL CGXGridCore::ClearSelection(BOOL bRemoveStyles) {
  CGXRangeList list;
  CopyRangeList(list, TRUE);
  return ClearCells(list, bRemoveStyles);
}

BOOL CGXGridCore::StoreTextRowCol(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pStyle) {
  CGXStyle* own = nullptr;
  if (!pStyle) {
    own = CreateStyle();
    ComposeStyleRowCol(nRow, nCol, own);
    pStyle = own;
  }
  BOOL ok = FALSE;
  if (CGXControl* control = GetRegisteredControl(pStyle->GetControl())) {
    ok = control->StoreCellText(nRow, nCol, pszText, flags, pStyle);
  } else if (!(m_pParam->m_bProtectReadOnly && (IsReadOnly() || pStyle->GetReadOnly()))) {
    CGXStyle value;
    value.SetValue(pszText ? pszText : "");
    ok = SetStyleRange(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), &value, 0, 0, nullptr, flags);
  }
  if (own) RecycleStyle(own);
  return ok;
}

// ---- pasting ---------------------------------------------------------------------------------------------------

// Raises the row (column) count to n through the grid, so that the paste's undo takes the rows back;
// FALSE when that was refused.
static BOOL RaiseCount(CGXGridCore& grid, bool rows, ROWCOL n) {
  return rows ? grid.SetRowCount(n) : grid.SetColCount(n);
}

BOOL CGXGridCore::Paste() {
  if (!CanPaste()) return FALSE;
  CGXRangeList list;
  CopyRangeList(list, TRUE);
  if (list.IsEmpty()) return FALSE;
  CGXControl* control = GetCurrentCellControl();
  if (control && control->CanPaste() && control->Paste()) return TRUE;
  if (list.GetCount() >= 2) {
    AfxMessageBox(LoadText(52304), MB_OK);
    return FALSE;
  }
  CGXRange range = *list.GetHead();
  range.ExpandRange(0, 0, GetRowCount(), GetColCount());
  if (!::OpenClipboard(m_pGridWnd ? m_pGridWnd->GetSafeHwnd() : nullptr)) return FALSE;
  const BOOL ok = PasteFromClipboard(range);
  ::CloseClipboard();
  return ok;
}

BOOL CGXGridCore::PasteFromClipboard(const CGXRange& range) {
  const ROWCOL top = m_nClipboardFlags & 0x0002 ? range.m_nTop : std::max(range.m_nTop, GetHeaderRows() + 1);
  const ROWCOL left = m_nClipboardFlags & 0x0001 ? range.m_nLeft : std::max(range.m_nLeft, GetHeaderCols() + 1);
  // A range inside the headers ends before the raised start: it must not turn round to reach back into them.
  const CGXRange target =
      CGXRange().SetCellRange(top, left, std::max(range.m_nBottom, top), std::max(range.m_nRight, left));
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  if ((m_nClipboardFlags & 0x0010) && format && ::IsClipboardFormatAvailable(format)) {
    HANDLE h = ::GetClipboardData(format);
    if (!h) return FALSE;
    CSharedFile file;
    file.SetHandle(h, FALSE);
    try {
      CArchive ar(&file, CArchive::load, 4096);
      return PasteInternalFormat(ar, target, !(m_nClipboardFlags & 0x0100));
    } catch (CException* e) {
      e->Delete();  // foreign or truncated data
      return FALSE;
    }
  }
  if (!(m_nClipboardFlags & 0x0008)) return FALSE;
  HANDLE h = ::GetClipboardData(CF_TEXT);
  if (!h) return FALSE;
  const char* text = static_cast<const char*>(GlobalLock(h));
  if (!text) return FALSE;
  const BOOL ok = PasteTextFormat(text, GlobalSize(h), target);
  GlobalUnlock(h);
  return ok;
}

BOOL CGXGridCore::PasteInternalFormat(CArchive& ar, const CGXRange& target, BOOL bSkipSizeCheck) {
  if (!m_pParam || !m_pParam->m_pData) return FALSE;
  CDocument* oldDoc = ar.m_pDocument;
  CGXStylesMap::AttachToArchive(ar, m_pParam->GetStylesMap());
  struct Restore {
    CArchive& ar;
    CDocument* doc;
    ~Restore() { ar.m_pDocument = doc; }
  } restore{ar, oldDoc};
  DWORD rows = 0, cols = 0;
  ar >> rows >> cols;
  if (rows < 1 || cols < 1 || rows > kMaxBlock || cols > kMaxBlock) return FALSE;
  if ((unsigned long long)target.m_nTop + rows - 1 > 0xFFFFFFFFULL ||
      (unsigned long long)target.m_nLeft + cols - 1 > 0xFFFFFFFFULL)
    return FALSE;
  CGXRange block =
      CGXRange().SetCellRange(target.m_nTop, target.m_nLeft, target.m_nTop + rows - 1, target.m_nLeft + cols - 1);
  if (!bSkipSizeCheck && (block.m_nBottom != target.m_nBottom || block.m_nRight != target.m_nRight) &&
      !ConfirmPasteSizeMismatch())
    return FALSE;
  // Only an array of rows x cols styles (or nulls) is taken.
  GXStyleArrayPtr styles = GXReadStyleBlock(ar, rows, cols);
  if (!styles) return FALSE;
  CObArray* array = styles.get();

  BeginTrans(LoadText(52305));
  CGXOperationProgress progress;
  progress.SetStatusText(LoadText(52303));
  EndCurrentCellEdit(TRUE);
  if (block.m_nBottom > GetRowCount() &&
      ((m_nClipboardFlags & 0x0200) || !RaiseCount(*this, true, block.m_nBottom)))
    block.m_nBottom = GetRowCount();
  if (block.m_nRight > GetColCount() &&
      ((m_nClipboardFlags & 0x0400) || !RaiseCount(*this, false, block.m_nRight))) {
    const ROWCOL keep = GetColCount() >= block.m_nLeft ? GetColCount() - block.m_nLeft + 1 : 0;
    GXStyleArrayPtr cut(new CObArray, GXDeleteStyles);
    for (DWORD r = 0; r < rows; ++r)
      for (DWORD c = 0; c < cols; ++c) {
        CObject*& entry = array->ElementAt((INT_PTR)r * cols + c);
        if (c < keep) cut->Add(entry);
        else delete entry;
        entry = nullptr;
      }
    styles = std::move(cut);
    block.m_nRight = GetColCount();
  }
  BOOL ok = FALSE;
  if (block.m_nTop <= GetRowCount() && block.m_nLeft <= GetColCount() && block.m_nTop <= block.m_nBottom &&
      block.m_nLeft <= block.m_nRight)
    ok = ForWritableRuns(*this, block, [&](const CGXRange& run) {
      if (run == block) return SetStyleRange(block, nullptr, 2, 0, styles.get()) > 0;
      // The run's entries, borrowed from the block's array.
      const ROWCOL width = block.m_nRight - block.m_nLeft + 1;
      CObArray part;
      for (ROWCOL c = run.m_nLeft; c <= run.m_nRight; ++c)
        part.Add(styles->GetAt((INT_PTR)(run.m_nTop - block.m_nTop) * width + (c - block.m_nLeft)));
      return SetStyleRange(run, nullptr, 2, 0, &part) > 0;
    });
  BOOL abort = FALSE;
  progress.CheckAbort(abort);
  if (!ok || abort) {
    Rollback();
    return FALSE;
  }
  CommitTrans();
  return TRUE;
}

BOOL CGXGridCore::PasteTextFormat(const char* text, size_t n, const CGXRange& target) {
  if (!m_pParam || !m_pParam->m_pData || !text) return FALSE;
  CGXOperationProgress progress;
  progress.SetStatusText(LoadText(52303));
  BeginTrans(LoadText(52305));
  EndCurrentCellEdit(TRUE);
  const BOOL oldLock = m_pParam->m_bLockUpdate;
  m_pParam->m_bLockUpdate = TRUE;
  const CString seps = m_strColSep.IsEmpty() ? CString("\t") : m_strColSep;
  auto isSep = [&](char c) { return c && std::memchr(seps.GetString(), c, (size_t)seps.GetLength()) != nullptr; };
  ROWCOL row = target.m_nTop, col = target.m_nLeft, maxCol = col;
  const ROWCOL oldRows = GetRowCount(), oldCols = GetColCount();
  bool failed = false, aborted = false;
  unsigned long long cells = 0;
  CGXStyle* style = CreateStyle();
  for (size_t i = 0;;) {
    size_t j = i;
    while (j < n && text[j] && !IsLineEnd(text[j]) && !isSep(text[j])) j += CharLen(text + j, n - j);
    j = std::min(j, n);
    if (row > GetRowCount() && ((m_nClipboardFlags & 0x0200) || !RaiseCount(*this, true, row))) break;
    const bool skip = col > GetColCount() && ((m_nClipboardFlags & 0x0400) || !RaiseCount(*this, false, col));
    if (!skip) {
      style->Free();
      ComposeStyleRowCol(row, col, style);
      if (!StoreTextRowCol(row, col, CString(text + i, (int)(j - i)), GX_INVALIDATE, style)) {
        failed = true;
        break;
      }
      maxCol = std::max(maxCol, col);
    }
    if (j >= n || !text[j]) break;
    if (IsLineEnd(text[j])) {
      j = SkipLineEnd(text, j, n);
      if (j >= n || !text[j]) break;
      ++row;
      col = target.m_nLeft;
    } else {
      ++j;
      ++col;
    }
    i = j;
    if (Aborted(progress, cells, i, n)) {
      failed = aborted = true;
      break;
    }
  }
  RecycleStyle(style);
  m_pParam->m_bLockUpdate = oldLock;
  if (aborted) Rollback();
  else CommitTrans();
  // Rows and columns added under the lock were not drawn, nor their headers, nor the grid's end
  // beyond them; nor did the scroll bars learn of them.
  const ROWCOL rows = GetRowCount(), cols = GetColCount();
  if ((rows != oldRows || cols != oldCols) && !oldLock && IsGridWndVisible()) {
    CRect grid;
    GetGridRect(&grid);
    const CRect row1 = CalcRectFromRowCol(oldRows + 1, 0), col1 = CalcRectFromRowCol(0, oldCols + 1);
    if (rows > oldRows && !row1.IsRectEmpty())
      m_pGridWnd->InvalidateRect(CRect(grid.left, row1.top, grid.right, grid.bottom), TRUE);
    if (cols > oldCols && !col1.IsRectEmpty())
      m_pGridWnd->InvalidateRect(CRect(col1.left, grid.top, grid.right, grid.bottom), TRUE);
    RefreshScrollBars();
  }
  RedrawRowCol(target.m_nTop, target.m_nLeft, row, maxCol);
  return !failed;
}

BOOL CGXGridCore::CalcTextBlockSize(const char* text, size_t n, ROWCOL& nRows, ROWCOL& nCols) {
  nRows = 0;
  nCols = 1;
  if (!text) return FALSE;
  const CString seps = m_strColSep.IsEmpty() ? CString("\t") : m_strColSep;
  ROWCOL cells = 1;
  bool pending = false;
  for (size_t i = 0; i < n && text[i];) {
    if (IsLineEnd(text[i])) {
      ++nRows;
      nCols = std::max(nCols, cells);
      cells = 1;
      pending = false;
      i = SkipLineEnd(text, i, n);
      continue;
    }
    if (std::memchr(seps.GetString(), text[i], (size_t)seps.GetLength())) ++cells;
    pending = true;
    i += CharLen(text + i, n - i);
  }
  if (pending) {
    ++nRows;
    nCols = std::max(nCols, cells);
  }
  return TRUE;
}

BOOL CGXGridCore::ConfirmPasteSizeMismatch() { return AfxMessageBox(LoadText(52326), MB_OKCANCEL) == IDOK; }

BOOL CGXGridCore::IsPasteFormatAvailable() {
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  return ::IsClipboardFormatAvailable(CF_TEXT) || ::IsClipboardFormatAvailable(CF_OEMTEXT) ||
         (format && ::IsClipboardFormatAvailable(format));
}

// ---- enabling the commands -------------------------------------------------------------------------------------

BOOL CGXGridCore::CanCopy() {
  if (::GetOpenClipboardWindow()) return FALSE;
  if (m_pParam && !m_pParam->m_SelRects.IsEmpty()) return TRUE;
  CGXControl* control = GetCurrentCellControl();
  return control && control->IsInit();
}

BOOL CGXGridCore::CanCut() {
  if (::GetOpenClipboardWindow() || IsReadOnly()) return FALSE;
  if (m_pParam && !m_pParam->m_SelRects.IsEmpty()) return TRUE;
  CGXControl* control = GetCurrentCellControl();
  return control && control->CanCut();
}

BOOL CGXGridCore::CanPaste() {
  if (IsReadOnly() && m_pParam && m_pParam->m_bProtectReadOnly) return FALSE;
  CGXControl* control = GetCurrentCellControl();
  if (control && control->CanPaste()) return TRUE;
  return IsPasteFormatAvailable();
}

BOOL CGXGridCore::CanClear() {
  if (IsReadOnly()) return FALSE;
  if (m_pParam && !m_pParam->m_SelRects.IsEmpty()) return TRUE;
  return IsCurrentCell();
}
