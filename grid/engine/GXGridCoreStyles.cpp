// Style access of the grid core: reading, composing, caching and storing styles, the control
// registry and the GDI object caches.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXOperationProgress.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace {

const char kTooLarge[] = "Operation is too large for the undo buffer. Do you want to continue?";

// Column letters: the base-26 digits of col - 1 (A = 0), the first lowered by one letter when there
// are more (27 "AA", 53 "BA", 677 "AAA").
CString ColumnLetters(ROWCOL col) {
  int digits[9];
  int n = 0;
  unsigned long long v = (unsigned long long)col - 1;
  do {
    digits[n++] = (int)(v % 26);
    v /= 26;
  } while (v > 0 && n < 9);
  if (n > 1) --digits[n - 1];
  std::string s;
  while (n > 0) s += (char)('A' + digits[--n]);
  return CString(s);
}

void DeleteStyleArray(CObArray* a) {
  if (!a) return;
  for (INT_PTR i = 0; i < a->GetSize(); ++i) delete a->GetAt(i);
  delete a;
}

}  // namespace

// ---- reading and composing ----------------------------------------------------------------------------

BOOL CGXGridCore::GetStyleRowCol(ROWCOL nRow, ROWCOL nCol, CGXStyle& style, int mode, int nType) {
  if (!m_pParam || !m_pParam->m_pData) return FALSE;
  return m_pParam->m_pData->GetStyleAt(nRow, nCol, style, mode, nType);
}

BOOL CGXGridCore::StoreStyleRowCol(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType) {
  if (!m_pParam || !m_pParam->m_pData) return FALSE;
  if (m_pParam->m_bLockReadOnly && IsReadOnly()) return FALSE;
  if (IsCurrentCell(nRow, nCol)) {
    if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
    m_pCurrentCellControl = nullptr;
  }
  // Mode 4 stores the given style as it is; without a style it removes what is stored.
  return m_pParam->m_pData->StoreStyleAt(nRow, nCol, pStyle, mode == 4 ? 2 : mode, nType);
}

// The row, column and table styles the text writer has looked up, null where none is stored.
struct CGXGridCore::CTextCompose {
  struct Entry {
    bool fetched = false;
    std::unique_ptr<CGXStyle> style;
  };
  ROWCOL row = 0;
  Entry rowStyle, table;
  std::vector<Entry> cols;

  Entry& Col(ROWCOL nCol) {
    if (nCol >= cols.size()) cols.resize((size_t)nCol + 1);
    return cols[nCol];
  }
};

void CGXGridCore::BeginTextCompose() {
  delete m_pTextCompose;
  m_pTextCompose = new CTextCompose;
}

void CGXGridCore::EndTextCompose() {
  delete m_pTextCompose;
  m_pTextCompose = nullptr;
}

void CGXGridCore::ApplyBaseStyle(ROWCOL nRow, ROWCOL nCol, CGXStyle& style) {
  if (!m_pTextCompose) {
    GetStyleRowCol(nRow, nCol, style, 1, -1);
    return;
  }
  CTextCompose& cache = *m_pTextCompose;
  CTextCompose::Entry* entry = &cache.table;
  if (nCol == 0 && nRow != 0) {
    if (cache.row != nRow) cache.rowStyle = CTextCompose::Entry();
    cache.row = nRow;
    entry = &cache.rowStyle;
  } else if (nCol != 0) {
    entry = &cache.Col(nCol);
  }
  if (!entry->fetched) {
    entry->fetched = true;
    auto found = std::make_unique<CGXStyle>();
    if (GetStyleRowCol(nRow, nCol, *found, 2, -1)) entry->style = std::move(found);
  }
  if (entry->style) style.ChangeStyle(*entry->style, 1);
}

void CGXGridCore::ComposeStyleRowCol(ROWCOL nRow, ROWCOL nCol, CGXStyle* pStyle, BOOL bApplyStandard) {
  if (!pStyle) return;
  // Only this call composes for the text: one the look-ups make on their own gets the whole style.
  const BOOL bTextOnly = m_bTextOnly;
  m_bTextOnly = FALSE;
  const ROWCOL headerRows = GetHeaderRows(), headerCols = GetHeaderCols();
  GetStyleRowCol(nRow, nCol, *pStyle, 2, 0);
  if (m_bValueOnly && pStyle->GetIncludeValue()) return;
  if (nCol > headerCols) ApplyBaseStyle(nRow, 0, *pStyle);
  if (nRow > headerRows) {
    ApplyBaseStyle(0, nCol, *pStyle);
    if (nCol > headerCols) ApplyBaseStyle(0, 0, *pStyle);
  }
  if (m_pParam && m_pParam->m_pStylesMap) pStyle->LoadBaseStyle(*m_pParam->m_pStylesMap);
  if (nRow <= headerRows && m_pStyleColHeader) pStyle->ChangeStyle(*m_pStyleColHeader, 1);
  if (nCol <= headerCols && m_pStyleRowHeader) pStyle->ChangeStyle(*m_pStyleRowHeader, 1);
  if ((nRow == 0 || nCol == 0) && !pStyle->GetIncludeValue() && m_pParam) {
    if (nRow == 0 && nCol > 0 && m_pParam->m_bLetteredColHeaders) pStyle->SetValue(ColumnLetters(nCol));
    else if (nCol == 0 && nRow > 0 && m_pParam->m_bNumberedRowHeaders)
      pStyle->SetValue(CString(FormatString("%lu", (unsigned long)nRow)));
  }
  if (!bApplyStandard || !m_pStyleStandard) return;
  if (!bTextOnly) {
    pStyle->ChangeStyle(*m_pStyleStandard, 1);
    return;
  }
  const CGXStyle& standard = *m_pStyleStandard;
  if (!pStyle->GetIncludeValue() && standard.GetIncludeValue()) pStyle->SetValue(standard.GetValue());
  if (!pStyle->GetIncludeControl() && standard.GetIncludeControl()) pStyle->SetControl(standard.GetControl());
}

const CString& CGXGridCore::GetValueRowCol(ROWCOL nRow, ROWCOL nCol) {
  if (!m_pValueStyle) m_pValueStyle = CreateStyle();
  // Emptied whole first: a base style left from the last cell would lend its value.
  m_pValueStyle->Free();
  m_bValueOnly = TRUE;
  ComposeStyleRowCol(nRow, nCol, m_pValueStyle, TRUE);
  m_bValueOnly = FALSE;
  return m_pValueStyle->GetValue();
}

BOOL CGXGridCore::SetRangeValueText(const CGXRange& range, LPCTSTR text, int mode, UINT flags) {
  if (!m_pScratchStyle) m_pScratchStyle = CreateStyle();
  m_pScratchStyle->Free();
  m_pScratchStyle->SetValue(text ? text : "");
  return SetStyleRange(range, m_pScratchStyle, mode, 0, nullptr, flags);
}

BOOL CGXGridCore::SetRangeValueString(const CGXRange& range, const CString& text, int mode, UINT flags) {
  return SetRangeValueText(range, text.GetString(), mode, flags);
}

const CGXStyle& CGXGridCore::GetStandardStyle() {
  if (!m_pParam || !m_pParam->m_pStylesMap) AfxThrowNotSupportedException();
  if (!m_pStyleStandard) m_pParam->m_pStylesMap->LookupStyle(m_pParam->m_pStylesMap->GetStandardStyleId(), m_pStyleStandard);
  if (!m_pStyleStandard) AfxThrowNotSupportedException();
  return *m_pStyleStandard;
}

CGXStyle* CGXGridCore::CreateStyle() {
  if (!m_StyleRecycleList.IsEmpty()) return static_cast<CGXStyle*>(m_StyleRecycleList.RemoveHead());
  if (m_pStyleClass && m_pStyleClass != RUNTIME_CLASS(CGXStyle))
    if (CObject* o = m_pStyleClass->CreateObject()) return static_cast<CGXStyle*>(o);
  return new CGXStyle;
}

void CGXGridCore::RecycleStyle(CGXStyle* pStyle) {
  if (!pStyle) return;
  pStyle->Free();
  m_StyleRecycleList.AddTail(pStyle);
}

// ---- the composed-style cache ------------------------------------------------------------------------------

void CGXGridCore::ResetCacheOrigin() { m_nCacheRowBase = m_nCacheColBase = 0; }

long CGXGridCore::CacheSlot(ROWCOL nRow, ROWCOL nCol) {
  if (m_nCacheRowBase == 0) {
    const ROWCOL top = m_bPrinting ? m_nPrintTopRow : m_nTopRow;
    m_nCacheRowBase = std::max<ROWCOL>(top, m_nCacheRowLead + 1) - m_nCacheRowLead;
  }
  if (m_nCacheColBase == 0) {
    const ROWCOL left = m_bPrinting ? m_nPrintLeftCol : m_nLeftCol;
    m_nCacheColBase = std::max<ROWCOL>(left, m_nCacheColLead + 1) - m_nCacheColLead;
  }
  auto slot = [](unsigned long long index, unsigned long long frozen, unsigned long long base,
                 unsigned long long slots) -> long long {
    long long s = -1;
    if (index <= frozen) s = (long long)index;
    else if (base + frozen <= index && index + frozen < base + slots) s = (long long)(frozen - base + 1 + index);
    return s >= 0 && s < (long long)slots ? s : -1;
  };
  const long long r = slot(nRow, GetFrozenRows(), m_nCacheRowBase, m_nCacheRowSlots);
  const long long c = slot(nCol, GetFrozenCols(), m_nCacheColBase, m_nCacheColSlots);
  if (r < 0 || c < 0) return -1;
  return (long)(r * m_nCacheColSlots + c);
}

const CGXStyle& CGXGridCore::LookupStyleRowCol(ROWCOL nRow, ROWCOL nCol) {
  if (m_apStyleCache.empty()) {
    m_apStyleCache.assign(m_nCacheSize, nullptr);
    ResetCacheOrigin();
  }
  const BOOL bCurrent = nRow && nCol && IsCurrentCell(nRow, nCol);
  if (m_bReturnActiveStyle && bCurrent && m_pCurrentCellStyle && !m_pCurrentCellStyle->IsEmpty())
    return *m_pCurrentCellStyle;
  const long slot = CacheSlot(nRow, nCol);
  CGXStyle* style = slot >= 0 ? m_apStyleCache[(size_t)slot] : nullptr;
  if (!style || (bCurrent && !m_bCacheCurrentCell)) {
    style = CreateStyle();
    ComposeStyleRowCol(nRow, nCol, style, TRUE);
    if (IsReadOnly()) style->SetReadOnly(TRUE);
    if (slot >= 0 && !bCurrent) {
      if (m_apStyleCache[(size_t)slot]) RecycleStyle(m_apStyleCache[(size_t)slot]);
      else ++m_nCachedStyles;
      m_apStyleCache[(size_t)slot] = style;
    } else {
      m_StyleTempList.AddTail(style);
    }
  }
  if (bCurrent) {
    m_pCurrentCellControl = GetRegisteredControl(style->GetControl());
    if (!m_pCurrentCellStyle) m_pCurrentCellStyle = CreateStyle();
    *m_pCurrentCellStyle = *style;
  }
  return *style;
}

void CGXGridCore::FreeObjectCache() {
  if (m_nLockUpdate > 0) return;
  if (!m_bKeepObjects) {
    ReleaseClientDC();
    m_FontCache.clear();
    m_BrushCache.clear();
    m_PenCache.clear();
  }
  if (!m_apStyleCache.empty() && !(m_nKeepRow == (ROWCOL)-2 && m_nKeepCol == (ROWCOL)-2)) {
    if (m_nKeepRow == 0 && m_nKeepCol == 0) {
      for (size_t i = 0; m_nCachedStyles && i < m_apStyleCache.size(); ++i) {
        if (!m_apStyleCache[i]) continue;
        RecycleStyle(m_apStyleCache[i]);
        m_apStyleCache[i] = nullptr;
        --m_nCachedStyles;
      }
      ResetCacheOrigin();
      if (!m_bCacheCurrentCell) {
        if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
        m_pCurrentCellControl = nullptr;
      }
    } else {
      const long keepRow = m_nKeepRow ? CacheSlot(m_nKeepRow, m_nLeftCol) : -1;
      const long keepCol = m_nKeepCol ? CacheSlot(m_nTopRow, m_nKeepCol) : -1;
      const long rowLine = keepRow >= 0 ? keepRow / (long)m_nCacheColSlots : -1;
      const long colLine = keepCol >= 0 ? keepCol % (long)m_nCacheColSlots : -1;
      bool kept = false;
      for (size_t i = 0; m_nCachedStyles && i < m_apStyleCache.size(); ++i) {
        if (!m_apStyleCache[i]) continue;
        if ((long)(i / m_nCacheColSlots) == rowLine || (long)(i % m_nCacheColSlots) == colLine) {
          kept = true;
          continue;
        }
        RecycleStyle(m_apStyleCache[i]);
        m_apStyleCache[i] = nullptr;
        --m_nCachedStyles;
      }
      if (!kept) ResetCacheOrigin();
    }
  }
  while (!m_StyleTempList.IsEmpty()) RecycleStyle(static_cast<CGXStyle*>(m_StyleTempList.RemoveHead()));
}

// ---- storing ranges ------------------------------------------------------------------------------------------

BOOL CGXGridCore::SetStyleRange(const CGXRange& rangeIn, const CGXStyle* pStyle, int mode, int nType,
                                const CObArray* pStyleArray, UINT flags, GXCmdType ctCmd) {
  if (!m_pParam || !m_pParam->m_pData) return FALSE;
  CGXRange range = rangeIn;
  if (nType == 0 && (range.IsRows() || range.IsCols() || range.IsTable())) nType = -1;
  if (range.IsRows()) range.m_nLeft = range.m_nRight = 0;
  if (range.IsCols()) range.m_nTop = range.m_nBottom = 0;
  if (range.IsTable()) range.m_nTop = range.m_nBottom = range.m_nLeft = range.m_nRight = 0;
  if (range.m_nBottom < range.m_nTop || range.m_nRight < range.m_nLeft) return FALSE;
  const unsigned long long rows = (unsigned long long)range.m_nBottom - range.m_nTop + 1;
  const unsigned long long cols = (unsigned long long)range.m_nRight - range.m_nLeft + 1;
  // Whole rows, columns or the table count as the interval they cover.
  const unsigned long long undoRows = rangeIn.IsRows() ? rows : rangeIn.IsCols() || rangeIn.IsTable() ? 1 : rows;
  const unsigned long long undoCols = rangeIn.IsCols() ? cols : rangeIn.IsRows() || rangeIn.IsTable() ? 1 : cols;

  // One cell is stored at once: it shows no progress and leaves that of a caller's loop (a replace
  // over many cells, which checks for an abort between them) as it is.
  const bool single = rows * cols == 1;
  std::optional<CGXOperationProgress> progress;
  GXProgressSettings& settings = GXGetProgressSettings();
  if (!single) {
    progress.emplace();
    progress->SetStatusText("Generating undo information ...");
    progress->m_bUpdateLine = m_wMouseAction == 0;
    settings.bAbortAllowed = ctCmd == CmdDo;
    settings.bOfferRollback = m_pParam->m_bUndoEnabled;
  }

  std::unique_ptr<CObArray, void (*)(CObArray*)> undo(nullptr, DeleteStyleArray);
  if (ctCmd != CmdRollback && m_pParam->m_bUndoEnabled) {
    const unsigned long long n = undoRows * undoCols;
    bool collected = false;
    if (n < 2147483647ULL && undoRows < 32768 && undoCols < 32768) {
      undo.reset(new CObArray);
      undo->SetSize((INT_PTR)n);
      collected = true;
      unsigned long long i = 0;
      for (ROWCOL r = range.m_nTop; collected && r <= range.m_nBottom; ++r) {
        for (ROWCOL c = range.m_nLeft; c <= range.m_nRight; ++c) {
          CGXStyle* saved = CreateStyle();
          if (GetStyleRowCol(r, c, *saved, 2, nType)) (*undo)[(INT_PTR)i] = saved;
          else RecycleStyle(saved);
          ++i;
          BOOL abort = FALSE;
          if (progress) settings.nPercent = (DWORD)(i * 100 / n);
          if (progress && progress->CheckAbort(abort) && abort) {
            collected = false;
            break;
          }
          if (c == range.m_nRight) break;
        }
        if (r == range.m_nBottom) break;
      }
      if (progress) settings.nPercent = 0xFFFFFFFF;
      if (!collected) undo.reset();
    }
    if (!collected) {
      if (AfxMessageBox(kTooLarge, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) return FALSE;
    }
  }

  if (progress) {
    progress->SetStatusText(ctCmd == CmdDo ? "Storing cells ...." : "Restoring cells ...");
    settings.bAbortAllowed = ctCmd == CmdDo && undo != nullptr;
  }
  FreeObjectCache();
  BOOL changed = FALSE;
  unsigned long long i = 0;
  for (ROWCOL r = range.m_nTop;; ++r) {
    for (ROWCOL c = range.m_nLeft;; ++c) {
      const unsigned long long index = i++;
      if (pStyleArray) {
        if ((INT_PTR)index >= pStyleArray->GetSize()) break;
        const auto* entry = static_cast<const CGXStyle*>(pStyleArray->GetAt((INT_PTR)index));
        changed |= entry ? StoreStyleRowCol(r, c, entry, 2, nType) : StoreStyleRowCol(r, c, nullptr, 4, nType);
      } else if (nType == 0) {
        CGXStyle* composed = m_pPreparedStyle ? m_pPreparedStyle : CreateStyle();
        if (!m_pPreparedStyle) ComposeStyleRowCol(r, c, composed, TRUE);
        const UINT id = pStyle && pStyle->GetIncludeControl() ? pStyle->GetControl() : composed->GetControl();
        CGXControl* control = GetRegisteredControl(id);
        changed |= control ? control->StoreCellStyle(r, c, pStyle, mode, 0, composed)
                           : StoreStyleRowCol(r, c, pStyle, mode, 0);
        if (!m_pPreparedStyle) RecycleStyle(composed);
      } else {
        changed |= StoreStyleRowCol(r, c, pStyle, mode, nType);
      }
      if (IsCurrentCell(r, c)) {
        if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
        m_pCurrentCellControl = nullptr;
      }
      BOOL abort = FALSE;
      if (progress) settings.nPercent = (DWORD)(i * 100 / (rows * cols));
      if (progress && progress->CheckAbort(abort) && abort) {
        // The part done: the first row up to this cell, or every row up to this one.
        CGXRange done = CGXRange().SetCellRange(range.m_nTop, range.m_nLeft, r, r == range.m_nTop ? c : range.m_nRight);
        settings.nPercent = 0xFFFFFFFF;
        if (undo && settings.bRollbackRequested) {
          SetStyleRange(done, nullptr, 2, nType, undo.get(), flags, CmdRollback);
        } else if (undo) {
          AddCommand(new CGXSetStyleRangeCmd(range, nType, undo.release()), ctCmd);
        } else {
          UpdateStyleRange(done, pStyle, mode, nType, flags, TRUE);
        }
        return FALSE;
      }
      if (c == range.m_nRight) break;
    }
    if (r == range.m_nBottom || (pStyleArray && (INT_PTR)i >= pStyleArray->GetSize())) break;
  }
  if (progress) settings.nPercent = 0xFFFFFFFF;
  if (!changed) return FALSE;
  UpdateStyleRange(range, pStyle, mode, nType, flags, TRUE);
  SetModifiedFlag(TRUE);
  if (undo) AddCommand(new CGXSetStyleRangeCmd(range, nType, undo.release()), ctCmd);
  if (ctCmd == CmdUndo || ctCmd == CmdRedo) SetCurrentCellAfterCommand(range.m_nTop, range.m_nLeft, TRUE);
  return TRUE;
}

void CGXGridCore::UpdateStyleRange(const CGXRange& range, const CGXStyle*, int, int, UINT flags, BOOL bCreateHint) {
  // Stored values change what merges and floats there.
  DelayFloatCells(range);
  DelayMergeCells(range);
  CGXRange spans;
  const BOOL repaint = m_pParam && !m_pParam->m_bLockUpdate && range.IsValid() && IsGridWndVisible();
  if (repaint) {
    // Only the cells stored repaint, with the spans that hold them: the covered blocks they reach into,
    // and on screen the merged and floating spans that the new styles make or end (old and new extent).
    FreeObjectCache();  // no cached composition of the stored cells outlives them
    CGXRange cells = range;
    cells.ExpandRange(0, 0, GetRowCount(), GetColCount());
    // Stored cells left of or above the view start spans that may reach into it: they count too.
    CRect g;
    GetGridRect(&g);
    ROWCOL lastRow = 0, lastCol = 0;
    CalcLastVisibleRowCol(g, &lastRow, &lastCol);
    EvalVisibleFloatMergeCells(cells, GetFrozenRows(), GetFrozenCols(), std::min(GetTopRow(), std::max(cells.m_nTop, GetFrozenRows() + 1)),
                               std::min(GetLeftCol(), std::max(cells.m_nLeft, GetFrozenCols() + 1)), lastRow, lastCol, FALSE, &spans);
    if (spans.IsValid()) cells.UnionRange(CGXRange(cells), spans);
    for (BOOL grew = TRUE; grew;) {
      grew = FALSE;
      for (POSITION pos = m_pParam->m_CoveredCellsList.GetHeadPosition(); pos;) {
        const CGXRange* block = m_pParam->m_CoveredCellsList.GetNext(pos);
        const CGXRange before = cells;
        if (CGXRange().IntersectRange(cells, *block)) grew |= cells.UnionRange(before, *block) && before != cells;
      }
    }
    RedrawRowCol(cells.m_nTop, cells.m_nLeft, cells.m_nBottom, cells.m_nRight, flags, FALSE);
  }
  // An idle current cell's control holds the text it was bound with: a store into that cell (an undo,
  // a program's value) binds it again, or the next edit would start from the old text and store it back.
  ROWCOL r = 0, c = 0;
  if (range.IsValid() && GetCurrentCell(r, c) &&
      CGXRange(range).ExpandRange(0, 0, GetRowCount(), GetColCount()).IsCellInRange(r, c)) {
    if (!repaint) FreeObjectCache();
    CGXControl* control = GetControl(r, c);
    if (control && control->IsInitAt(r, c) && !control->IsActive()) control->Init(r, c);
  }
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateStyleRange, m_nViewID);
    hint.m_range = range;
    // The other views find the shared span pools already changed: they repaint the old extent too.
    if (spans.IsValid()) {
      hint.m_range.ExpandRange(0, 0, GetRowCount(), GetColCount());
      hint.m_range.UnionRange(CGXRange(hint.m_range), spans);
    }
    hint.m_flags = flags;
    SendHint(hint);
  }
}

// ---- styles map, properties and base styles ----------------------------------------------------------------

BOOL CGXGridCore::ChangeStylesMap(const CGXStylesMap& map, GXCmdType ctCmd, UINT flags) {
  if (!m_pParam || (m_pParam->m_bLockReadOnly && IsReadOnly())) return FALSE;
  if (ctCmd != CmdRollback && m_pParam->m_bUndoEnabled && m_pParam->m_pStylesMap)
    AddCommand(new CGXChangeStylesMapCmd(new CGXStylesMap(*m_pParam->m_pStylesMap)), ctCmd);
  if (m_pParam->m_pStylesMap) *m_pParam->m_pStylesMap = map;
  else m_pParam->SetStylesMap(new CGXStylesMap(map), TRUE);
  SetModifiedFlag(TRUE);
  DelayFloatCells(CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount()));
  UpdateStylesMap(flags, TRUE);
  return TRUE;
}

BOOL CGXGridCore::ChangeProperties(const CGXProperties& properties, GXCmdType ctCmd, UINT flags) {
  if (!m_pParam || (m_pParam->m_bLockReadOnly && IsReadOnly())) return FALSE;
  if (ctCmd != CmdRollback && m_pParam->m_bUndoEnabled && m_pParam->m_pProperties)
    AddCommand(new CGXChangePropertiesCmd(new CGXProperties(*m_pParam->m_pProperties)), ctCmd);
  if (m_pParam->m_pProperties) *m_pParam->m_pProperties = properties;
  else m_pParam->SetProperties(new CGXProperties(properties), TRUE);
  SetModifiedFlag(TRUE);
  UpdateProperties(flags, TRUE);
  return TRUE;
}

BOOL CGXGridCore::ChangeBaseStyle(WORD nId, const CGXStyle& style, int mode, GXCmdType ctCmd, UINT flags) {
  if (!m_pParam || !m_pParam->m_pStylesMap || (m_pParam->m_bLockReadOnly && IsReadOnly())) return FALSE;
  CGXStyle* base = nullptr;
  if (!m_pParam->m_pStylesMap->LookupStyle(nId, base) || !base) AfxThrowNotSupportedException();
  if (ctCmd != CmdRollback && m_pParam->m_bUndoEnabled && m_bInitialized) {
    UINT res = 0;
    LPCTSTR name = m_pParam->m_pStylesMap->GetStyleName(nId, res);
    AddCommand(new CGXChangeBaseStyleCmd(nId, base->Clone(), name), ctCmd);
  }
  base->ChangeStyle(style, mode);
  SetModifiedFlag(TRUE);
  // Any cell may take its float attribute or font from a base style.
  DelayFloatCells(CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount()));
  UpdateBaseStyle(nId, flags, TRUE);
  return TRUE;
}

BOOL CGXGridCore::ChangeColHeaderStyle(const CGXStyle& style, int mode, GXCmdType ctCmd, UINT flags) {
  return m_pParam && m_pParam->m_pStylesMap &&
         ChangeBaseStyle(m_pParam->m_pStylesMap->GetColHeaderStyleId(), style, mode, ctCmd, flags);
}

BOOL CGXGridCore::ChangeRowHeaderStyle(const CGXStyle& style, int mode, GXCmdType ctCmd, UINT flags) {
  return m_pParam && m_pParam->m_pStylesMap &&
         ChangeBaseStyle(m_pParam->m_pStylesMap->GetRowHeaderStyleId(), style, mode, ctCmd, flags);
}

void CGXGridCore::UpdateStylesMap(UINT flags, BOOL bCreateHint) {
  if (m_pParam && m_pParam->m_pStylesMap) {
    CGXStylesMap* map = m_pParam->m_pStylesMap;
    m_pStyleColHeader = m_pStyleRowHeader = m_pStyleStandard = nullptr;
    map->LookupStyle(map->GetColHeaderStyleId(), m_pStyleColHeader);
    map->LookupStyle(map->GetRowHeaderStyleId(), m_pStyleRowHeader);
    map->LookupStyle(map->GetStandardStyleId(), m_pStyleStandard);
  }
  FreeObjectCache();
  Redraw(flags, FALSE);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateStylesMap, m_nViewID);
    hint.m_flags = flags;
    SendHint(hint);
  }
}

void CGXGridCore::UpdateProperties(UINT flags, BOOL bCreateHint) {
  Redraw(flags, FALSE);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateProperties, m_nViewID);
    hint.m_flags = flags;
    SendHint(hint);
  }
}

void CGXGridCore::UpdateBaseStyle(WORD nId, UINT flags, BOOL bCreateHint) {
  if (m_bInitialized) {
    UpdateStylesMap(0, FALSE);
    ReleaseClientDC();
    TakeCharSize();
  }
  FreeObjectCache();
  Redraw(flags, FALSE);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateBaseStyle, m_nViewID);
    hint.m_dwParam = nId;
    hint.m_flags = flags;
    SendHint(hint);
  }
}

// ---- controls ------------------------------------------------------------------------------------------------

CGXControl* CGXGridCore::GetRegisteredControl(UINT nID) {
  if (nID == 0) return m_pDefaultControl;
  if (m_pLastControl && nID == m_nLastControlId) return m_pLastControl;
  CGXControl* control = nullptr;
  auto it = m_ControlMap.find(nID);
  if (it != m_ControlMap.end()) {
    control = it->second;
  } else if (CGXAbstractControlFactory* factory = GXGetLibraryData().m_pControlFactory) {
    control = factory->CreateControl(nID, this);
    if (control) RegisterControl(nID, control, FALSE, TRUE);
  }
  if (!control) return m_pDefaultControl;
  m_pLastControl = control;
  m_nLastControlId = nID;
  return control;
}

void CGXGridCore::RegisterControl(UINT nID, CGXControl* pControl, BOOL bDefault, BOOL bAddToStylesMap) {
  auto it = m_ControlMap.find(nID);
  CGXControl* old = it != m_ControlMap.end() && it->second != pControl ? it->second : nullptr;
  // The replaced control is out of every reach before it goes: its window's end paints the grid and
  // moves the focus, and both look the cell's control up again.
  m_ControlMap[nID] = pControl;
  if (m_pLastControl == old) m_pLastControl = nullptr;
  if (m_pCurrentCellControl == old) m_pCurrentCellControl = nullptr;
  if (bAddToStylesMap && m_pParam && m_pParam->m_pStylesMap) m_pParam->m_pStylesMap->AddControl(nID);
  if (bDefault || !m_pDefaultControl || m_pDefaultControl == old) m_pDefaultControl = pControl;
  if (!old) return;
  // An edit under way in it ends unstored, and the keys go on reaching the grid.
  const HWND focus = ::GetFocus();
  CWnd* wnd = old->GetWnd();
  const HWND own = wnd ? wnd->GetSafeHwnd() : nullptr;
  if (own && focus && (focus == own || ::IsChild(own, focus)) && m_pGridWnd && m_pGridWnd->GetSafeHwnd())
    m_pGridWnd->SetFocus();
  if (old->IsActive()) old->SetActive(FALSE);
  delete old;
}

CGXControl* CGXGridCore::GetControl(ROWCOL nRow, ROWCOL nCol) {
  if (IsCurrentCell(nRow, nCol) && m_pCurrentCellControl) return m_pCurrentCellControl;
  CGXStyle* style = CreateStyle();
  ComposeStyleRowCol(nRow, nCol, style, TRUE);
  CGXControl* control = GetRegisteredControl(style->GetControl());
  RecycleStyle(style);
  return control;
}

// ---- GDI objects ------------------------------------------------------------------------------------------------

namespace {

// The cached object of a key, made on a miss; an object that cannot be made is not cached (null).
template <class T, class MAKE>
T* Cached(std::unordered_map<std::string, std::unique_ptr<T>>& cache, const std::string& key, MAKE make) {
  auto it = cache.find(key);
  if (it != cache.end() && it->second->m_hObject) return it->second.get();
  auto obj = std::make_unique<T>();
  if (!make(*obj)) return nullptr;
  T* made = obj.get();
  cache[key] = std::move(obj);
  return made;
}

}  // namespace

CFont* CGXGridCore::LookupFont(const CGXFont& font) {
  CString key;
  font.GetDescription(key);
  // The description gives whole points; zoomed heights between them need fonts of their own.
  key.str() += FormatString("/%ld", (long)font.GetLogFont().lfHeight);
  return Cached(m_FontCache, key.str(), [&](CFont& f) { return f.CreateFontIndirect(&font.GetLogFont()); });
}

CBrush* CGXGridCore::LookupBrush(const CGXBrushValue& brush) {
  const COLORREF c = brush.GetColor(), bk = brush.GetBkColor();
  const std::string key = FormatString("%lu %ld %d %d %d %d %d %d %d", (unsigned long)brush.GetStyle(),
                                       (long)brush.GetHatch(), GetRValue(c), GetGValue(c), GetBValue(c), GetRValue(bk),
                                       GetGValue(bk), GetBValue(bk), (int)(brush.GetColorValue() >> 24));
  return Cached(m_BrushCache, key, [&](CBrush& b) {
    LOGBRUSH lb{brush.GetStyle(), c, (ULONG_PTR)brush.GetHatch()};
    return b.CreateBrushIndirect(&lb);
  });
}

CPen* CGXGridCore::LookupPen(const CGXPenValue& pen) {
  CString key;
  pen.GetDescription(key);
  return Cached(m_PenCache, key.str(), [&](CPen& p) {
    LOGBRUSH lb{BS_SOLID, pen.GetColor(), 0};
    return p.CreatePen((int)(pen.GetStyle() | PS_GEOMETRIC | PS_ENDCAP_SQUARE), std::max<LONG>(1, pen.GetWidth()), &lb);
  });
}

void CGXGridCore::SelectCellFont(CDC* pDC, const CGXStyle& style, const CGXStyle* pOldStyle) {
  if (!pDC) return;
  if (pOldStyle && std::memcmp(&pOldStyle->GetFont().GetLogFont(), &style.GetFont().GetLogFont(), sizeof(LOGFONT)) == 0)
    return;
  LOGFONT lf = style.GetFont().GetLogFont();
  // Height and zoom both come from stored data: scale wide, and keep a height whose magnitude is an int.
  const int64_t scaled = (int64_t)lf.lfHeight * GetZoom() / 100;
  lf.lfHeight = (LONG)std::clamp<int64_t>(scaled, -INT32_MAX, INT32_MAX);
  if (CFont* f = LookupFont(CGXFont(lf))) pDC->SelectObject(f);
}

CFont* CGXGridCore::SelectStandardFont(CDC* pDC) {
  const CGXStyle& standard = GetStandardStyle();
  if (!pDC || !standard.GetIncludeFont()) return nullptr;
  CFont* old = pDC->GetCurrentFont();
  SelectCellFont(pDC, standard);
  return old;
}

CDC* CGXGridCore::GetClientDC() {
  if (!m_pClientDC && m_pGridWnd && m_pGridWnd->GetSafeHwnd()) {
    m_pClientDC = new CClientDC(m_pGridWnd);
    if (m_pStyleStandard) m_pOldClientFont = SelectStandardFont(m_pClientDC);
  }
  return m_pClientDC;
}

void CGXGridCore::ReleaseClientDC() {
  if (!m_pClientDC) return;
  if (m_pOldClientFont) m_pClientDC->SelectObject(m_pOldClientFont);
  m_pOldClientFont = nullptr;
  delete m_pClientDC;
  m_pClientDC = nullptr;
}
