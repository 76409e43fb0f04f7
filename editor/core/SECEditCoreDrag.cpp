// OLE drag and drop of the editor engine: dragging the selection out and dropping text in; a
// drag between editors of this process moves the text.
#include "editor/core/SECEditCore.h"

#include "platform/ui/Clipboard.h"
#include "platform/ui/OleDragDrop.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kMarker[] = "*SECEdit Column Block*";
const int kMarkerLength = 22;

// The process's drag state: the editor whose drag is in progress, so a drop can tell a move inside it.
struct SEC_DND_STATE {
  SECEditCoreBase* pSource = nullptr;
};
SEC_DND_STATE* g_pDndState = nullptr;  // made on first use, destroyed when the library goes

SECEditCoreBase*& DragSource() {
  if (!g_pDndState) g_pDndState = new SEC_DND_STATE;
  return g_pDndState->pSource;
}

// Loading the library registers the find dialogs' message and initialises OLE; unloading destroys the drag
// state and uninitialises OLE when its initialisation succeeded.
struct EditorLibrary {
  BOOL bOleInit;
  EditorLibrary() : bOleInit(OleInitialize(nullptr)) { SECEditCoreBase::FindReplaceMessage(); }
  ~EditorLibrary() {
    delete g_pDndState;
    g_pDndState = nullptr;
    if (bOleInit) OleUninitialize();
  }
} g_editorLibrary;

}  // namespace

COleDataSource* SECEditCoreBase::CreateDataSource() { return new COleDataSource; }

BOOL SECEditCoreBase::CacheDragData(COleDataSource* pSource, UINT nFormat, HGLOBAL hMem) {
  pSource->CacheGlobalData((CLIPFORMAT)nFormat, hMem);
  return TRUE;
}

DWORD SECEditCoreBase::DoDragCopy() {
  SECEdit* e = GetEdit();
  BOOL column = FALSE;
  char* t = e ? GetSelectedText(&column) : nullptr;
  if (!t) return 0;
  std::string data = column ? kMarker + std::string(e->m_szLineEnd) + t : std::string(t);
  free(t);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, data.size() + (column ? 25 : 1));
  if (!h) return 0;
  memcpy(GlobalLock(h), data.c_str(), data.size() + 1);
  GlobalUnlock(h);
  COleDataSource* source = CreateDataSource();
  if (!source || !CacheDragData(source, CF_TEXT, h)) {
    delete source;
    return 0;
  }
  DragSource() = this;
  DWORD effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
  DragSource() = nullptr;
  delete source;
  return effect;
}

DWORD SECEditCoreBase::CoreDragEnter(COleDataObject* pData, DWORD, CPoint) {
  if (!pData || !pData->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
  m_pWnd->CreateGrayCaret(2, m_nLineHeight);
  m_pWnd->ShowCaret();
  m_bCaretCreated = TRUE;
  return DROPEFFECT_MOVE;
}

DWORD SECEditCoreBase::CoreDragOver(COleDataObject* pData, DWORD, CPoint point) {
  if (!pData || !pData->IsDataAvailable(CF_TEXT) || m_nCharWidth <= 0) return DROPEFFECT_NONE;
  int x = m_nCharWidth * ((point.x - m_nMargin + m_nCharWidth / 2) / m_nCharWidth) + m_nMargin;
  int row = point.y < 0 ? 0 : point.y / m_nLineHeight;
  if ((row + 1) * m_nLineHeight > m_rcClient.bottom && row > 0) --row;
  CWnd::SetCaretPos(CPoint(x, row * m_nLineHeight));
  return DROPEFFECT_MOVE;
}

void SECEditCoreBase::CoreDragLeave() {
  if (m_bCaretCreated) DestroyCaret();
  m_bCaretCreated = FALSE;
}

int SECEditCoreBase::DoDropPaste(const char* pText, int nLength) {
  SECEdit* e = GetEdit();
  SECEditPos pos = CaretPos();
  std::string text(pText, (size_t)nLength);
  bool column = false;
  if (text.size() > 21 && memcmp(text.data(), kMarker, kMarkerLength) == 0) {
    column = true;
    size_t at = kMarkerLength;
    if (at < text.size() && (text[at] == '\r' || text[at] == '\n')) {
      char c = text[at++];
      if (at < text.size() && (text[at] == '\r' || text[at] == '\n') && text[at] != c) ++at;
    }
    text.erase(0, at);
  }
  if (text.find_first_of("\r\n") == std::string::npos) return e->InsertChars(pos, text.c_str(), TRUE, TRUE);
  if (column) return e->InsertColumnBlock(pos, text.c_str(), (int)text.size(), TRUE);
  return e->InsertText(pos, text.c_str(), (int)text.size(), TRUE);
}

BOOL SECEditCoreBase::CoreDrop(COleDataObject* pData, DWORD dropEffect, CPoint point) {
  SECEdit* e = GetEdit();
  CoreDragLeave();
  if (dropEffect != DROPEFFECT_COPY && dropEffect != DROPEFFECT_MOVE) return TRUE;
  if (!Ready() || IsPointInSelection(point.x, point.y)) return FALSE;
  // A read-only target refuses before the source gives anything up.
  if (e->IsReadOnly()) return FALSE;
  SetCaretFromPoint(point.x, point.y);
  e->BeginUndoGroup(TRUE);
  SECEditCoreBase* source = DragSource();
  SECEdit* se = source ? source->GetEdit() : nullptr;
  bool moved = false;
  if (source && se && dropEffect == DROPEFFECT_MOVE && source->m_bSelection && !se->IsReadOnly()) {
    tagLINEDESC* dropLine = m_pCurLine;
    int dropOff = e->ColumnToOffset(dropLine, m_nCurCol);
    SECSelEnd s = source->m_selStart, t = source->m_selEnd;
    if (se == e && dropLine == t.pLine && source->m_nSelMode == 1) {
      int so = se->ColumnToOffset(s.pLine, s.nCol), eo = se->ColumnToOffset(t.pLine, t.nCol);
      if (s.pLine == t.pLine) {
        if (dropOff >= eo) dropOff -= eo - so;
      } else {
        dropLine = s.pLine;
        dropOff = so + (dropOff - eo);
      }
    }
    moved = source->DeleteSelection(FALSE, TRUE) == 0;
    m_pCurLine = dropLine;
    m_nCurLine = (int)GetEdit()->LineNumber(dropLine);
    m_nCurCol = e->OffsetToColumn(dropLine, dropOff);
    ReanchorLines(m_nCurLine);
    if (source != this && source->m_pWnd->GetSafeHwnd()) source->m_pWnd->Invalidate(TRUE);
  }
  HGLOBAL h = pData ? pData->GetGlobalData(CF_TEXT) : nullptr;
  if (!h) {
    e->BeginUndoGroup(FALSE);
    return FALSE;
  }
  const char* p = static_cast<const char*>(GlobalLock(h));
  int r = DoDropPaste(p, p ? (int)strlen(p) : 0);
  GlobalUnlock(h);
  GlobalFree(h);
  e->BeginUndoGroup(FALSE);
  // A move whose insertion failed gives the text back to its source.
  if (r && moved && se) {
    se->Undo();
    source->ReanchorLines(source->m_nCurLine);
    if (source->m_pWnd->GetSafeHwnd()) source->m_pWnd->Invalidate(TRUE);
  }
  AfterLinesChanged(TRUE);
  Redraw(FALSE);
  if (m_pWnd->GetSafeHwnd()) m_pWnd->UpdateWindow();
  EnsureCaretVisible();
  Notify(0);
  return TRUE;
}
