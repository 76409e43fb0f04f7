// The grid's numeric codes: update hints between views, redraw flags, move directions and hit-test results.
#pragma once

// Ids of the CGXGridHint a grid sends its document's other views; each names the update step replayed.
enum GXHintId : unsigned {
  gxHintRedraw = 1,
  gxHintRedrawRowCol = 2,
  gxHintUpdateChangedRowCount = 3,
  gxHintUpdateChangedColCount = 4,
  gxHintUpdateChangedRowHeights = 5,
  gxHintUpdateChangedColWidths = 6,
  gxHintUpdateInsertCols = 7,
  gxHintUpdateInsertRows = 8,
  gxHintUpdateRemoveCols = 9,
  gxHintUpdateRemoveRows = 10,
  gxHintUpdateMoveCols = 11,
  gxHintUpdateMoveRows = 12,
  gxHintUpdateSetSelection = 13,
  gxHintUpdateClearSelection = 14,
  gxHintUpdateFrozenRows = 15,
  gxHintUpdateFrozenCols = 16,
  gxHintUpdateStyleRange = 17,
  gxHintUpdateCoveredCellsRowCol = 18,
  gxHintUpdateZoom = 19,
  gxHintStoreZoom = 20,
  gxHintUpdateReadOnly = 21,
  gxHintUpdateSheetName = 22,
  gxHintUpdateSelectRange = 23,
  gxHintEndCurrentCellEdit = 24,
  gxHintSetTopRow = 25,
  gxHintSetLeftCol = 26,
  gxHintSetCurrentCell = 27,
  gxHintSetFloatedCellsRowCol = 28,
  gxHintSetMergedCellsRowCol = 29,
  gxHintShowSelectionMarker = 30,
  gxHintUpdateMoveDataRows = 31,
  gxHintUpdateMoveDataCols = 32,
  gxHintUpdateProperties = 33,
  gxHintUpdateStylesMap = 34,
  gxHintUpdateBaseStyle = 35,
};

// Redraw flags passed to every redraw and update operation; 0 draws nothing.
enum : unsigned {
  GX_INVALIDATE = 0x01,  // invalidate only; the paint follows later
  GX_UPDATENOW = 0x02,   // paint at once
  GX_SMART = 0x04,       // passed on; the header marks count it as a redraw
  // Further flags of SetCurrentCell.
  GX_SCROLLINVIEW = 0x08,
  GX_DISPLAYEDITWND = 0x10,     // activate the cell's control
  GX_NOSETFOCUS = 0x20,         // leave the focus where it is
  GX_NOCURRENTCELLHINT = 0x40,  // tell no other view
  GX_KEEPSELECTION = 0x80,      // leave the selection alone
};

// Directions of current-cell moves (1-12) and of scrolling (1-4).
enum : int {
  GX_UP = 1,
  GX_LEFT = 2,
  GX_DOWN = 3,
  GX_RIGHT = 4,
  GX_PGDOWN = 5,
  GX_PGUP = 6,
  GX_TOP = 7,
  GX_BOTTOM = 8,
  GX_MOSTLEFT = 9,
  GX_MOSTRIGHT = 10,
  GX_TOPLEFT = 11,
  GX_BOTTOMRIGHT = 12,
};

// What a point in the grid window lies on (CGXGridCore::HitTest).
enum : int {
  GX_NOHIT = 0,
  GX_VERTLINE = 1,   // a column boundary, where widths are tracked
  GX_HORZLINE = 2,   // a row boundary, where heights are tracked
  GX_CELLHIT = 3,
  GX_HEADERHIT = 4,
  GX_SELEDGEHIT = 5,  // the edge of a selection, where drag and drop starts
};

// Child ids of the scroll bars a tab frame (or a record-info window) lends its sheets.
#define GX_IDW_TAB_HSCROLL 59904
#define GX_IDW_TAB_VSCROLL 59920
