// Printing a grid: page breaks, page numbering across and down, the preview's first page, rows
// added while printing, the visible part of an empty selection and pages outside the breaks.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/core/Exception.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PrintInfo.h"
#include "tests/support/GridWindow.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class GridPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    ASSERT_TRUE(grid.Initialize());
    ASSERT_TRUE(dc.CreateDC(GetPrinterDriverName(), GetPrinterDeviceName(), nullptr, nullptr));
  }
  void Size(ROWCOL rows, ROWCOL cols) {
    grid.GetParam()->GetData()->SetRowCount(rows);
    grid.GetParam()->GetData()->SetColCount(cols);
  }
  std::vector<DWORD> Breaks(const CDWordArray& a) {
    std::vector<DWORD> out;
    for (INT_PTR i = 0; i < a.GetSize(); ++i) out.push_back(a[i]);
    return out;
  }
  CGXGridCore grid;
  CDC dc;
};

// A grid that notes the cursor while the pages are laid out and the cells it is asked to load.
class CWatchedGrid : public CGXGridCore {
 public:
  void OnAdjustPrintRectangle(CDC* pDC, CPrintInfo* pInfo) override {
    CGXGridCore::OnAdjustPrintRectangle(pDC, pInfo);
    waitShown = ::GetCursor() == ::LoadCursor(nullptr, IDC_WAIT);
    page = pInfo->m_rectDraw, dh = GetDefaultRowHeight(), dw = GetDefaultColWidth();
  }
  void PreloadCells(ROWCOL nRow, ROWCOL nCol) override { preloads.push_back({nRow, nCol}); }
  bool waitShown = false;
  CRect page;
  int dh = 0, dw = 0;
  std::vector<std::pair<ROWCOL, ROWCOL>> preloads;
};

}  // namespace

TEST_F(GridPrint, LayoutShowsTheWaitCursorAndEachPageLoadsItsCells) {
  CWatchedGrid watched;
  ASSERT_TRUE(watched.Initialize());
  watched.GetParam()->GetData()->SetRowCount(400);
  watched.GetParam()->GetData()->SetColCount(40);
  const HCURSOR arrow = ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
  const struct {
    BOOL preview;
    std::vector<std::pair<ROWCOL, ROWCOL>> begin;  // what the layout loads
  } cases[] = {{FALSE, {{0xFFFFFFFE, 0xFFFFFFFE}}}, {TRUE, {}}};
  for (const auto& c : cases) {
    CPrintInfo info;
    info.m_bPreview = c.preview;
    watched.preloads.clear();
    watched.waitShown = false;
    watched.OnBeginPrinting(&dc, &info);
    EXPECT_TRUE(watched.waitShown) << c.preview;
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_ARROW)) << c.preview;
    EXPECT_EQ(watched.preloads, c.begin) << c.preview;
    // The second page row's first page: from its top row two pages down, from its left column four across.
    const UINT C = (UINT)watched.m_awColBreaks.GetSize() - 1;
    info.m_nCurPage = C + 1;
    watched.preloads.clear();
    watched.OnPrint(&dc, &info);
    ASSERT_GT(watched.dh, 0);
    const std::vector<std::pair<ROWCOL, ROWCOL>> page = {
        {watched.m_nPrintTopRow + (ROWCOL)(2 * watched.page.Height() / watched.dh),
         watched.m_nPrintLeftCol + (ROWCOL)(4 * watched.page.Width() / watched.dw)}};
    EXPECT_EQ(watched.preloads, page) << c.preview;
    watched.OnEndPrinting(&dc, &info);
  }
  ::SetCursor(arrow);
}

TEST_F(GridPrint, BreaksPagesAndNumbering) {
  Size(5, 3);
  CPrintInfo info;
  grid.OnBeginPrinting(&dc, &info);
  EXPECT_EQ(Breaks(grid.m_awColBreaks), (std::vector<DWORD>{1, 4}));
  EXPECT_EQ(Breaks(grid.m_awRowBreaks), (std::vector<DWORD>{1, 6}));
  EXPECT_EQ(info.GetMaxPage(), 1u);
  EXPECT_TRUE(info.m_strPageDesc.str().ends_with(" / 1"));
  // Rows appended while printing get pages of their own.
  Size(400, 3);
  info.m_nCurPage = 1;
  grid.OnPrint(&dc, &info);
  EXPECT_GT(info.GetMaxPage(), 1u);
  EXPECT_EQ(grid.m_awRowBreaks[grid.m_awRowBreaks.GetSize() - 1], 401u);
  EXPECT_TRUE(info.m_bContinuePrinting);
  grid.OnEndPrinting(&dc, &info);

  // A column wider than the page still gets a page of its own.
  grid.SetColWidth(2, 2, 5000);
  CPrintInfo wide;
  grid.OnBeginPrinting(&dc, &wide);
  EXPECT_EQ(Breaks(grid.m_awColBreaks), (std::vector<DWORD>{1, 2, 3, 4}));
  grid.SetColWidth(2, 2, 100);

  // Pages run across first: page C + 1 is page row 1, page column 0.
  Size(400, 40);
  CPrintInfo many;
  grid.OnBeginPrinting(&dc, &many);
  const UINT C = (UINT)grid.m_awColBreaks.GetSize() - 1;
  ASSERT_GE(C, 3u);
  many.m_nCurPage = C + 1;
  grid.OnPrint(&dc, &many);
  EXPECT_EQ(grid.m_nPrintTopRow, grid.m_awRowBreaks[1]);
  EXPECT_EQ(grid.m_nPrintLeftCol, grid.m_awColBreaks[0]);
  // A preview opened on page row 1, page column 2 starts there.
  grid.m_nTopRow = grid.m_awRowBreaks[1], grid.m_nLeftCol = grid.m_awColBreaks[2];
  CPrintInfo preview;
  preview.m_bPreview = TRUE;
  grid.OnBeginPrinting(&dc, &preview);
  EXPECT_EQ(preview.m_nCurPage, 2 + 1 + C);
  // Pages outside the breaks are refused.
  preview.m_nCurPage = preview.GetMaxPage() + 1;
  try {
    grid.OnPrint(&dc, &preview);
    ADD_FAILURE() << "no exception";
  } catch (CException* e) {
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
    e->Delete();
  }
}

TEST_F(GridPrint, LargeTablesAndTheVisiblePart) {
  Size(1000000, 80);
  CPrintInfo info;
  grid.OnBeginPrinting(&dc, &info);
  EXPECT_GE(grid.m_awColBreaks.GetSize() - 1, 10);
  EXPECT_EQ(info.GetMaxPage(), 65535u);

  // An empty selection printed while the window shows the table's end prints its last row and column.
  Size(4, 3);
  grid.SetGridRect(TRUE, CRect(0, 0, 800, 600));
  CPrintInfo sel;
  sel.m_pPD->m_pd.Flags |= PD_SELECTION;
  grid.OnBeginPrinting(&dc, &sel);
  EXPECT_EQ(Breaks(grid.m_awColBreaks), (std::vector<DWORD>{1, 4}));
  EXPECT_EQ(Breaks(grid.m_awRowBreaks), (std::vector<DWORD>{1, 5}));
  EXPECT_EQ(sel.GetMaxPage(), 1u);
  sel.m_nCurPage = 1;
  grid.OnPrint(&dc, &sel);
  EXPECT_FALSE(sel.m_bContinuePrinting);
}

TEST_F(GridPrint, APrintoutLaysItsFloatsOutApartFromTheScreen) {
  CWnd parent;
  ZAZAzedAze shown;
  ASSERT_TRUE(OpenGridWindow(parent, shown, CRect(0, 0, 400, 200)));
  shown.SetRowCount(5);
  shown.SetColCount(5);
  shown.SetFloatCellsMode(1, FALSE);
  ::PumpMessages();  // the screen is up to date
  // A long text the screen has not looked at yet.
  shown.GetParam()->GetData()->StoreStyleAt(2, 2, &CGXStyle().SetValue("A rather long text that floats"), 0, 0);
  CPrintInfo info;
  shown.OnBeginPrinting(&dc, &info);
  info.m_nCurPage = 1;
  shown.OnPrint(&dc, &info);
  CGXRange span;
  shown.m_bPrinting = TRUE;
  EXPECT_TRUE(shown.GetFloatedCellsRowCol(2, 2, span));  // the page laid it out for itself
  shown.m_bPrinting = FALSE;
  shown.OnEndPrinting(&dc, &info);
  EXPECT_FALSE(shown.GetFloatedCellsRowCol(2, 2, span));  // the screen's spans are its own
  EXPECT_EQ(shown.GetParam()->m_pPrintFloatCellsPool, nullptr);
  EXPECT_EQ(shown.GetParam()->m_pPrintDelayedFloatCellsPool, nullptr);
  shown.DestroyWindow();
  parent.DestroyWindow();
}
