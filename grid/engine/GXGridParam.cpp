// The grid parameter block.
#include "grid/engine/GXGridParam.h"

#include "grid/engine/GXData.h"
#include "grid/engine/GXDelayedRange.h"
#include "grid/engine/GXLibraryDefaults.h"
#include "grid/engine/GXPrintDevice.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXSpanCellPool.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Archive.h"

#include <new>
#include <utility>

IMPLEMENT_SERIAL(CGXGridParam, CObject, 6)

namespace {

const WORD kSchema = 6;

void DeleteCommands(CObList& list) {
  while (!list.IsEmpty()) delete list.RemoveHead();
}

template <class T>
void ReadByte(CArchive& ar, T& field) {
  BYTE b;
  ar >> b;
  field = (T)b;
}

template <class T>
void ReadWord(CArchive& ar, T& field) {
  WORD w;
  ar >> w;
  field = (T)w;
}

// This block owns what it reads: a back-reference (to the block itself, or to an object read before)
// would be owned twice and is refused.
template <class T>
T* ReadNew(CArchive& ar) {
  return static_cast<T*>(ar.ReadNewObject(RUNTIME_CLASS(T)));
}

template <class T>
void ReadOwned(CArchive& ar, BOOL bOwn, T*& p) {
  if (bOwn) p = ReadNew<T>(ar);
}

void MoveRanges(CGXRangeList& to, CGXRangeList& from) {
  to.DeleteAll();
  POSITION pos = from.GetHeadPosition();
  while (pos) to.AddTail(from.GetNext(pos));
  from.RemoveAll();
}

void CopyMap(CGXMapDWordToLong& to, const CGXMapDWordToLong& from) {
  to.RemoveAll();
  POSITION pos = from.GetStartPosition();
  while (pos) {
    DWORD key;
    LONG value;
    from.GetNextAssoc(pos, key, value);
    to[key] = value;
  }
}

template <class T>
void SetOwned(T*& mine, BOOL& myOwn, T* p, BOOL bOwn) {
  if (myOwn && mine != p) delete mine;
  mine = p;
  myOwn = bOwn;
}

template <class T>
void TakeObject(T*& mine, BOOL& myOwn, T*& theirs, BOOL theirOwn) {
  if (theirOwn) {
    if (myOwn) delete mine;
    mine = theirs;
    theirs = nullptr;
    myOwn = TRUE;
  } else if (myOwn) {
    // An owned object the archive does not carry is gone, as a load deletes owned objects.
    delete mine;
    mine = nullptr;
    myOwn = FALSE;
  }
}

}  // namespace

CGXGridParam::CGXGridParam() {
  int first = 0, second = 0, third = 0;
  GXGetLibraryDefaults(first, second, third);
  m_bGridLinesRightBottom = first;
  m_wGridLineStyle = (WORD)second;
  m_RowHeights[0] = 1400;
  m_ColWidths[0] = 6000;
}

CGXGridParam::~CGXGridParam() {
  DeleteCommands(m_UndoList);
  DeleteCommands(m_RedoList);
  for (CObject** p : {&m_pCoveredCellPool, &m_pFloatCellsPool, &m_pDelayedFloatCellsPool, &m_pPrintFloatCellsPool,
                      &m_pPrintDelayedFloatCellsPool, &m_pMergeCellsPoolH, &m_pMergeCellsPoolV,
                      &m_pDelayedMergeCellsPool}) {
    delete *p;
    *p = nullptr;
  }
  DeleteOwned();
  m_pPD = nullptr;
}

void CGXGridParam::DeleteOwned() {
  if (m_bOwnStylesMap) delete m_pStylesMap;
  if (m_bOwnProperties) delete m_pProperties;
  if (m_bOwnData) delete m_pData;
  if (m_bOwnPD) delete m_pPD;
  if (m_bOwnStylesMap) m_pStylesMap = nullptr;
  if (m_bOwnProperties) m_pProperties = nullptr;
  if (m_bOwnData) m_pData = nullptr;
  if (m_bOwnPD) m_pPD = nullptr;
}

void CGXGridParam::EmptyUndoList() {
  DeleteCommands(m_UndoList);
  m_nUndoCount = 0;
}

void CGXGridParam::EmptyRedoList() { DeleteCommands(m_RedoList); }

void CGXGridParam::SetStylesMap(CGXStylesMap* p, BOOL bOwn) { SetOwned(m_pStylesMap, m_bOwnStylesMap, p, bOwn); }
void CGXGridParam::SetProperties(CGXProperties* p, BOOL bOwn) { SetOwned(m_pProperties, m_bOwnProperties, p, bOwn); }
void CGXGridParam::SetData(CGXData* p, BOOL bOwn) { SetOwned(m_pData, m_bOwnData, p, bOwn); }
void CGXGridParam::SetPrintDevice(CGXPrintDevice* p, BOOL bOwn) { SetOwned(m_pPD, m_bOwnPD, p, bOwn); }

void CGXGridParam::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    Store(ar);
    return;
  }
  // Read into a fresh block so that a failure part-way changes nothing here.
  CGXGridParam loaded;
  try {
    loaded.Load(ar, m_bOwnStylesMap ? nullptr : m_pStylesMap);
  } catch (const std::bad_alloc&) {
    // Whatever the archive claims, running out of memory refuses it rather than end the program.
    AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  } catch (CMemoryException* e) {
    e->Delete();
    AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  }
  TakeArchived(loaded);
}

void CGXGridParam::Store(CArchive& ar) {
  ar << kSchema;
  for (BOOL b : {m_bScrollThumbTrack, m_bSheetNameEditable, m_bReadOnly, m_bUndoEnabled, m_bNumberedRowHeaders,
                 m_bLetteredColHeaders, m_bReadOnly, m_bSheetNameEditable, m_bAllowSelDragCols, m_bAllowSelDragRows,
                 m_bOwnData, m_bOwnPD, m_bOwnProperties, m_bOwnStylesMap, m_bTakeFocusOnMouse,
                 m_bTransparentBackground, m_bLockReadOnly, m_bSmartResize})
    ar << (BYTE)b;
  ar << m_wAllowSelection << m_wAllowTrackRowHeight << m_wAllowTrackColWidth;
  ar << (DWORD)m_nFrozenRows << (DWORD)m_nFrozenCols << m_nDefaultColWidth << m_nDefaultRowHeight;
  ar << m_strSheetName;
  ar << m_wActivateFlags << m_wShowCurrentCell << (WORD)m_nMinTrackRowHeight << (WORD)m_nMinTrackColWidth
     << m_wComposeAllStyles;
  ar << (DWORD)m_nHeaderRows << (DWORD)m_nHeaderCols;
  if (m_bOwnStylesMap) ar.WriteObject(m_pStylesMap);
  CDocument* saved = ar.m_pDocument;
  CGXStylesMap::AttachToArchive(ar, m_pStylesMap);
  try {
    if (m_bOwnData) ar.WriteObject(m_pData);
    if (m_bOwnProperties) ar.WriteObject(m_pProperties);
  } catch (...) {
    ar.m_pDocument = saved;
    throw;
  }
  ar.m_pDocument = saved;
  if (m_bOwnPD) ar.WriteObject(m_pPD);
  m_SelRects.Serialize(ar);
  m_CoveredCellsList.Serialize(ar);
  m_RowHeights.Serialize(ar);
  m_ColWidths.Serialize(ar);
  m_abHiddenRows.Serialize(ar);
  m_abHiddenCols.Serialize(ar);
  ar << (BYTE)m_bMoveCellOption;
  ar << (BYTE)m_bInitOption << (BYTE)m_bExtraFlag2 << m_aFreezeColsSave[0] << m_aFreezeColsSave[1]
     << m_aFreezeColsSave[2];
  ar << m_wSelectionBehavior;
  ar << (BYTE)m_bPrinterMetrics << m_wEnterMoveDir << m_nMaxUndo;
  ar << (BYTE)m_bExtraFlag1 << (BYTE)m_bDblClkOption << (BYTE)m_bInvertCurrentCellFrame << (BYTE)m_bSelectionMarker
     << (BYTE)m_bGridLinesRightBottom;
  ar << m_wFloatCellsMode;
  ar.WriteObject(m_pDelayedFloatCellsPool);
  ar.WriteObject(m_pFloatCellsPool);
  ar << m_wMergeCellsMode;
  ar.WriteObject(m_pDelayedMergeCellsPool);
  ar.WriteObject(m_pMergeCellsPoolH);
  ar.WriteObject(m_pMergeCellsPoolV);
  ar << m_wGridLineStyle;
}

void CGXGridParam::Load(CArchive& ar, const CGXStylesMap* pBorrowedMap) {
  WORD schema = 0;
  ar >> schema;
  if (schema > kSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  // This block is fresh: nothing is owned yet, and the header sizes it was made with stay unless
  // the archive sets them, as the size maps are read over what they hold.
  ReadByte(ar, m_bScrollThumbTrack);
  ReadByte(ar, m_bSheetNameEditable);
  ReadByte(ar, m_bReadOnly);
  ReadByte(ar, m_bUndoEnabled);
  ReadByte(ar, m_bNumberedRowHeaders);
  ReadByte(ar, m_bLetteredColHeaders);
  ReadByte(ar, m_bReadOnly);
  ReadByte(ar, m_bSheetNameEditable);
  ReadByte(ar, m_bAllowSelDragCols);
  ReadByte(ar, m_bAllowSelDragRows);
  BOOL ownData, ownPD, ownProps, ownMap;
  ReadByte(ar, ownData);
  ReadByte(ar, ownPD);
  ReadByte(ar, ownProps);
  ReadByte(ar, ownMap);
  ReadByte(ar, m_bTakeFocusOnMouse);
  ReadByte(ar, m_bTransparentBackground);
  ReadByte(ar, m_bLockReadOnly);
  ReadByte(ar, m_bSmartResize);
  ar >> m_wAllowSelection >> m_wAllowTrackRowHeight >> m_wAllowTrackColWidth;
  ar >> m_nFrozenRows >> m_nFrozenCols >> m_nDefaultColWidth >> m_nDefaultRowHeight;
  ar >> m_strSheetName;
  ar >> m_wActivateFlags >> m_wShowCurrentCell;
  ReadWord(ar, m_nMinTrackRowHeight);
  ReadWord(ar, m_nMinTrackColWidth);
  ar >> m_wComposeAllStyles;
  ar >> m_nHeaderRows >> m_nHeaderCols;
  // Owned from the moment each is read, so a failure frees them with this block.
  m_bOwnStylesMap = ownMap;
  ReadOwned(ar, ownMap, m_pStylesMap);
  CDocument* saved = ar.m_pDocument;
  CGXStylesMap::AttachToArchive(ar, ownMap ? m_pStylesMap : pBorrowedMap);
  try {
    m_bOwnData = ownData;
    ReadOwned(ar, ownData, m_pData);
    m_bOwnProperties = ownProps;
    ReadOwned(ar, ownProps, m_pProperties);
  } catch (...) {
    ar.m_pDocument = saved;
    throw;
  }
  ar.m_pDocument = saved;
  m_bOwnPD = ownPD;
  ReadOwned(ar, ownPD, m_pPD);
  m_SelRects.Serialize(ar);
  m_CoveredCellsList.Serialize(ar);
  m_RowHeights.Serialize(ar);
  m_ColWidths.Serialize(ar);
  m_abHiddenRows.Serialize(ar);
  m_abHiddenCols.Serialize(ar);
  if (schema >= 2) ReadByte(ar, m_bMoveCellOption);
  if (schema >= 3) {
    ReadByte(ar, m_bInitOption);
    ReadByte(ar, m_bExtraFlag2);
    ar >> m_aFreezeColsSave[0] >> m_aFreezeColsSave[1] >> m_aFreezeColsSave[2];
  }
  if (schema >= 4) ar >> m_wSelectionBehavior;
  if (schema >= 5) {
    ReadByte(ar, m_bPrinterMetrics);
    ar >> m_wEnterMoveDir >> m_nMaxUndo;
  }
  if (schema >= 6) {
    ReadByte(ar, m_bExtraFlag1);
    ReadByte(ar, m_bDblClkOption);
    ReadByte(ar, m_bInvertCurrentCellFrame);
    ReadByte(ar, m_bSelectionMarker);
    ReadByte(ar, m_bGridLinesRightBottom);
    ar >> m_wFloatCellsMode;
    m_pDelayedFloatCellsPool = ReadNew<CGXDelayedRangePool>(ar);
    m_pFloatCellsPool = ReadNew<CGXSpanCellPool>(ar);
    ar >> m_wMergeCellsMode;
    m_pDelayedMergeCellsPool = ReadNew<CGXDelayedRangePool>(ar);
    m_pMergeCellsPoolH = ReadNew<CGXSpanCellPool>(ar);
    m_pMergeCellsPoolV = ReadNew<CGXSpanCellPool>(ar);
    ar >> m_wGridLineStyle;
  }
}

void CGXGridParam::TakeArchived(CGXGridParam& src) {
  m_bScrollThumbTrack = src.m_bScrollThumbTrack;
  m_bSheetNameEditable = src.m_bSheetNameEditable;
  m_bReadOnly = src.m_bReadOnly;
  m_bUndoEnabled = src.m_bUndoEnabled;
  m_bNumberedRowHeaders = src.m_bNumberedRowHeaders;
  m_bLetteredColHeaders = src.m_bLetteredColHeaders;
  m_bAllowSelDragCols = src.m_bAllowSelDragCols;
  m_bAllowSelDragRows = src.m_bAllowSelDragRows;
  m_bTakeFocusOnMouse = src.m_bTakeFocusOnMouse;
  m_bTransparentBackground = src.m_bTransparentBackground;
  m_bLockReadOnly = src.m_bLockReadOnly;
  m_bSmartResize = src.m_bSmartResize;
  m_wAllowSelection = src.m_wAllowSelection;
  m_wAllowTrackRowHeight = src.m_wAllowTrackRowHeight;
  m_wAllowTrackColWidth = src.m_wAllowTrackColWidth;
  m_nFrozenRows = src.m_nFrozenRows;
  m_nFrozenCols = src.m_nFrozenCols;
  m_nDefaultColWidth = src.m_nDefaultColWidth;
  m_nDefaultRowHeight = src.m_nDefaultRowHeight;
  m_strSheetName = src.m_strSheetName;
  m_wActivateFlags = src.m_wActivateFlags;
  m_wShowCurrentCell = src.m_wShowCurrentCell;
  m_nMinTrackRowHeight = src.m_nMinTrackRowHeight;
  m_nMinTrackColWidth = src.m_nMinTrackColWidth;
  m_wComposeAllStyles = src.m_wComposeAllStyles;
  m_nHeaderRows = src.m_nHeaderRows;
  m_nHeaderCols = src.m_nHeaderCols;
  TakeObject(m_pStylesMap, m_bOwnStylesMap, src.m_pStylesMap, src.m_bOwnStylesMap);
  TakeObject(m_pData, m_bOwnData, src.m_pData, src.m_bOwnData);
  TakeObject(m_pProperties, m_bOwnProperties, src.m_pProperties, src.m_bOwnProperties);
  TakeObject(m_pPD, m_bOwnPD, src.m_pPD, src.m_bOwnPD);
  src.m_bOwnStylesMap = src.m_bOwnData = src.m_bOwnProperties = src.m_bOwnPD = FALSE;
  MoveRanges(m_SelRects, src.m_SelRects);
  MoveRanges(m_CoveredCellsList, src.m_CoveredCellsList);
  // The look-up table is rebuilt from the new list when next asked.
  delete m_pCoveredCellPool;
  m_pCoveredCellPool = nullptr;
  CopyMap(m_RowHeights, src.m_RowHeights);
  CopyMap(m_ColWidths, src.m_ColWidths);
  m_abHiddenRows.Copy(src.m_abHiddenRows);
  m_abHiddenCols.Copy(src.m_abHiddenCols);
  m_bMoveCellOption = src.m_bMoveCellOption;
  m_bInitOption = src.m_bInitOption;
  m_bExtraFlag2 = src.m_bExtraFlag2;
  for (int i = 0; i < 3; ++i) m_aFreezeColsSave[i] = src.m_aFreezeColsSave[i];
  m_wSelectionBehavior = src.m_wSelectionBehavior;
  m_bPrinterMetrics = src.m_bPrinterMetrics;
  m_wEnterMoveDir = src.m_wEnterMoveDir;
  m_nMaxUndo = src.m_nMaxUndo;
  m_bExtraFlag1 = src.m_bExtraFlag1;
  m_bDblClkOption = src.m_bDblClkOption;
  m_bInvertCurrentCellFrame = src.m_bInvertCurrentCellFrame;
  m_bSelectionMarker = src.m_bSelectionMarker;
  m_bGridLinesRightBottom = src.m_bGridLinesRightBottom;
  m_wFloatCellsMode = src.m_wFloatCellsMode;
  m_wMergeCellsMode = src.m_wMergeCellsMode;
  m_wGridLineStyle = src.m_wGridLineStyle;
  std::swap(m_pDelayedFloatCellsPool, src.m_pDelayedFloatCellsPool);
  std::swap(m_pFloatCellsPool, src.m_pFloatCellsPool);
  std::swap(m_pDelayedMergeCellsPool, src.m_pDelayedMergeCellsPool);
  std::swap(m_pMergeCellsPoolH, src.m_pMergeCellsPoolH);
  std::swap(m_pMergeCellsPoolV, src.m_pMergeCellsPoolV);
}
