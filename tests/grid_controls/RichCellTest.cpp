// The rich-text cell in a grid: RTF values painted and measured, keys at the text's edges, pasting
// rich and plain text, plain text stored escaped, auto-sized rows and styles applied into the text.
#include "grid/controls/GXRichEditCtrl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXScreenFontTable.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/GridHostWnd.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kBoldRed = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\b\\cf1 WWWW}";
const char* const kPlainRed = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 WWWW}";

class RichCell : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 480, 240), nullptr, 0);
    wnd.grid = &grid;
    grid.m_pGridWnd = &wnd;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(5);
    grid.GetParam()->GetData()->SetColCount(3);
    grid.SetColWidth(1, 3, 130);
    grid.SetRowHeight(1, 5, 24);
    cell = dynamic_cast<CGXRichEditCtrl*>(grid.GetRegisteredControl(52534));
    ASSERT_NE(cell, nullptr);
    wnd.SetFocus();
    PumpMessages();
  }
  void TearDown() override { wnd.DestroyWindow(); }
  CGXStyle& Put(ROWCOL r, ROWCOL c, const char* value) {
    style = CGXStyle();
    style.SetControl(52534).SetValue(value);
    Store(r, c);
    return style;
  }
  void Store(ROWCOL r, ROWCOL c) {
    grid.GetParam()->GetData()->StoreStyleAt(r, c, &style, 2);
    grid.FreeObjectCache();
  }
  CString Value(ROWCOL r, ROWCOL c) { return grid.LookupStyleRowCol(r, c).GetValue(); }
  ROWCOL CurrentCol() {
    ROWCOL r = 0, c = 0;
    grid.GetCurrentCell(r, c);
    return c;
  }
  // Makes (r, c) current and active with its window shown and focused.
  void Activate(ROWCOL r, ROWCOL c) {
    const CRect rect = grid.CalcRectFromRowCol(r, c);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(wnd.m_hWnd, CPoint(rect.right - 4, rect.bottom - 4));
    if (!cell->IsActive()) UiAutomation::PressKey(VK_F2);
    ASSERT_TRUE(cell->IsActive());
    wnd.Invalidate(FALSE);
    PumpMessages();
    ASSERT_EQ(::GetFocus(), cell->m_hWnd);
  }
  int Count(const CRect& box, bool (*pred)(COLORREF)) {
    int n = 0;
    for (int x = box.left; x < box.right; ++x)
      for (int y = box.top; y < box.bottom; ++y) n += pred(GetWindowPixel(wnd.m_hWnd, CPoint(x, y)));
    return n;
  }
  static void PutClipboard(HWND owner, const std::vector<std::pair<UINT, std::string>>& data) {
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    for (const auto& [format, text] : data) {
      HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
      std::memcpy(::GlobalLock(h), text.c_str(), text.size() + 1);
      ::GlobalUnlock(h);
      ::SetClipboardData(format, h);
    }
    ::CloseClipboard();
  }
  CGridRoutingHostWnd wnd;
  CGXGridCore grid;
  CGXRichEditCtrl* cell = nullptr;
  CGXStyle style;
};

TEST_F(RichCell, BoldRedValueDrawsBoldRedPixelsAnEmptyOneNothing) {
  Put(1, 1, kBoldRed);
  Put(1, 2, kPlainRed);
  Put(2, 1, "");
  grid.SetCurrentCell(5, 3);
  wnd.Invalidate(FALSE);
  PumpMessages();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("richcell.png").c_str());
  auto red = [](COLORREF p) { return GetRValue(p) > 200 && GetGValue(p) < 60 && GetBValue(p) < 60; };
  auto notWhite = [](COLORREF p) { return p != RGB(255, 255, 255); };
  CRect bold, plain, empty;
  cell->GetCellInnerRect(bold, 1, 1);
  cell->GetCellInnerRect(plain, 1, 2);
  cell->GetCellInnerRect(empty, 2, 1);
  const int boldRed = Count(bold, red), plainRed = Count(plain, red);
  EXPECT_GT(plainRed, 20);
  EXPECT_GT(boldRed, plainRed + plainRed / 5);
  EXPECT_EQ(Count(empty, notWhite), 0);
  // Measured: an empty value takes one line, as one line of text does; two paragraphs take more.
  CClientDC dc(&wnd);
  CGXStyle s = grid.LookupStyleRowCol(2, 1);
  const CSize none = cell->CalcSize(&dc, 2, 1, s);
  s.SetValue("{x}");
  const CSize one = cell->CalcSize(&dc, 2, 1, s);
  s.SetValue("{x\\par y}");
  const CSize two = cell->CalcSize(&dc, 2, 1, s);
  EXPECT_GT(none.cy, 10);
  EXPECT_EQ(none, one);
  EXPECT_GT(two.cy, one.cy + 8);
}

TEST_F(RichCell, PlainTextIsStoredEscapedAndReadBack) {
  const struct {
    const char* text;
    const char* stored;
  } cases[] = {
      {"a{b}", "{a\\{b\\}}"},
      {"c:\\x", "{c:\\\\x}"},
      {"caf\xe9", "{caf\\'e9}"},
      {"", "{}"},
  };
  for (const auto& c : cases) {
    Put(3, 1, "");
    EXPECT_TRUE(grid.StoreTextRowCol(3, 1, c.text, 2, nullptr)) << c.text;
    EXPECT_EQ(Value(3, 1), c.stored);
    CString shown;
    cell->GetDisplayText(shown, 3, 1, nullptr, &grid.LookupStyleRowCol(3, 1));
    EXPECT_EQ(shown, c.text);
  }
  // Malformed values show what can be read and break nothing.
  for (const char* bad : {"{\\rtf1 {\\b open", "}{", "{\\'zz\\fs99999999 x}", "{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{y"}) {
    CString shown;
    cell->GetDisplayText(shown, 0, 0, bad, nullptr);
    Put(4, 1, bad);
    wnd.Invalidate(FALSE);
    PumpMessages();
  }
  // Read-only cells and MaxLength.
  style.SetMaxLength(3);
  Store(3, 1);
  EXPECT_TRUE(grid.StoreTextRowCol(3, 1, "abcdef", 2, nullptr));
  EXPECT_EQ(Value(3, 1), "{abc}");
  style.SetReadOnly(TRUE);
  Store(3, 1);
  EXPECT_FALSE(grid.StoreTextRowCol(3, 1, "x", 2, nullptr));
}

TEST_F(RichCell, KeysAtTheTextsEdgesGoToTheGrid) {
  Put(2, 2, "{abc}");
  const struct {
    UINT key;
    UINT mods;
    LONG caret;
    ROWCOL col;  // the current column after the key
  } cases[] = {
      {VK_LEFT, UiAutomation::kNone, 0, 1},
      {VK_LEFT, UiAutomation::kControl, 0, 2},
      {VK_LEFT, UiAutomation::kNone, 2, 2},
      {VK_RIGHT, UiAutomation::kNone, 3, 3},
      {VK_RIGHT, UiAutomation::kNone, 1, 2},
      {VK_TAB, UiAutomation::kNone, 1, 3},
  };
  for (const auto& c : cases) {
    Activate(2, 2);
    cell->SetSel(c.caret, c.caret);
    UiAutomation::PressKey(c.key, c.mods);
    EXPECT_EQ(CurrentCol(), c.col) << c.key << " at " << c.caret << " mods " << c.mods;
  }
  EXPECT_EQ(cell->SendMessage(WM_GETDLGCODE) & 0x83, 0x83u);
}

TEST_F(RichCell, ShiftInsertPastesRichTextOrThePlainText) {
  Put(1, 1, "{old}");
  Activate(1, 1);
  cell->SetSel(0, -1);
  PutClipboard(wnd.m_hWnd, {{CGXRichEditCtrl::GetRtfClipboardFormat(), "{\\rtf1 {\\b bold}}"}, {CF_TEXT, "bold"}});
  EXPECT_TRUE(cell->CanPaste());
  UiAutomation::PressKey(VK_INSERT, UiAutomation::kShift);
  CString text;
  cell->CRichEditCtrl::GetWindowText(text);
  EXPECT_EQ(text, "bold");
  CHARFORMAT cf{};
  cell->SetSel(1, 1);
  cell->GetSelectionCharFormat(cf);
  EXPECT_TRUE(cf.dwEffects & CFE_BOLD);
  EXPECT_TRUE(cell->GetModify());
  // Only plain text: the cell's text paste puts it in place of the selection.
  Activate(1, 1);
  cell->SetSel(0, -1);
  PutClipboard(wnd.m_hWnd, {{CF_TEXT, "plain"}});
  UiAutomation::PressKey(VK_INSERT, UiAutomation::kShift);
  cell->CRichEditCtrl::GetWindowText(text);
  EXPECT_EQ(text, "plain");
  // Enter stores the cell as RTF.
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_FALSE(cell->IsActive());
  CString shown;
  cell->GetDisplayText(shown, 1, 1, Value(1, 1), nullptr);
  EXPECT_EQ(shown, "plain");
  EXPECT_EQ(Value(1, 1).Left(6), "{\\rtf1");
}

TEST_F(RichCell, AutoSizeGrowsTheRowWhileTyping) {
  Put(2, 1, "{a}").SetAutoSize(TRUE).SetAllowEnter(TRUE);
  Store(2, 1);
  Activate(2, 1);
  const int before = grid.GetRowHeight(2);
  cell->SetSel(-1, -1);
  UiAutomation::TypeText("\r\r\rb");
  EXPECT_GT(grid.GetRowHeight(2), before + 20);
  CString text;
  cell->CRichEditCtrl::GetWindowText(text);
  EXPECT_EQ(text, "a\r\n\r\n\r\nb");
  // Without AutoSize the row stays.
  Put(3, 1, "{a}").SetAllowEnter(TRUE);
  Store(3, 1);
  Activate(3, 1);
  UiAutomation::TypeText("\r\r\r");
  EXPECT_EQ(grid.GetRowHeight(3), before);
}

TEST_F(RichCell, FindSelectsInTheTextReplaceAllStores) {
  Put(1, 1, "{hello world}");
  Put(2, 1, "{aXbX}");
  GXFindReplaceState find;
  find.strFind = "WORLD";
  find.strFindUpper = "WORLD";
  ASSERT_TRUE(cell->FindText(find, 1, 1, TRUE, TRUE));
  EXPECT_TRUE(cell->IsInitAt(1, 1) && cell->IsActive());
  CString sel;
  EXPECT_TRUE(cell->GetSelectedText(sel));
  EXPECT_EQ(sel, "world");
  find.bCase = TRUE;
  EXPECT_FALSE(cell->FindText(find, 2, 1, TRUE, FALSE));
  find.strFind = "X";
  find.strReplace = "yy";
  EXPECT_TRUE(cell->ReplaceAll(find, 2, 1));
  CString shown;
  cell->GetDisplayText(shown, 2, 1, Value(2, 1), nullptr);
  EXPECT_EQ(shown, "ayybyy");
}

TEST_F(RichCell, StyleFormatsGoIntoTheText) {
  Put(4, 2, "{x}");
  CGXStyle change;
  change.SetTextColor(RGB(0, 0, 255)).SetHorizontalAlignment(DT_CENTER).SetFont(CGXFont().SetWeight(700));
  ASSERT_TRUE(grid.SetStyleRange(CGXRange().SetCellRange(4, 2, 4, 2), &change));
  const CGXStyle& stored = grid.LookupStyleRowCol(4, 2);
  const CString v = stored.GetValue();
  for (const char* part : {"\\qc", "\\b", "\\red0\\green0\\blue255"})
    EXPECT_NE(v.Find(part), -1) << part << " in " << v.GetString();
  CGXStyle own;
  grid.GetParam()->GetData()->GetStyleAt(4, 2, own, 0);
  EXPECT_FALSE(own.GetIncludeTextColor());
  // And back from the formats to a style.
  PARAFORMAT2 pf;
  CHARFORMAT cf;
  cell->StyleToFormat(pf, cf, change);
  CGXStyle back;
  cell->FormatToStyle(back, cf, pf);
  EXPECT_EQ(back.GetHorizontalAlignment(), (DWORD)DT_CENTER);
  EXPECT_EQ(back.GetTextColor(), RGB(0, 0, 255));
  EXPECT_EQ(back.GetFont().GetWeight(), 700);
}

// Point sizes become exact twips and half points in the stored text, and come back the same.
TEST_F(RichCell, PointSizesAreExactInTheText) {
  CGXScreenFontTable& table = CGXScreenFontTable::Get();
  const int dpiX = table.GetHorizontalResolution(), dpiY = table.GetVerticalResolution();
  const struct {
    int dpi;
    LONG height;  // pixels
    LONG twips;
    const char* fs;
  } cases[] = {{96, -13, 200, "\\fs20"}, {96, -11, 160, "\\fs16"}, {144, -20, 200, "\\fs20"},
               {144, -17, 170, "\\fs17"}};
  for (const auto& c : cases) {
    table.SetResolution(dpiX, c.dpi);
    Put(4, 2, "{x}");
    CGXStyle change;
    change.SetFont(CGXFont().SetHeight(c.height));
    ASSERT_TRUE(grid.SetStyleRange(CGXRange().SetCellRange(4, 2, 4, 2), &change));
    const std::string v = Value(4, 2).str();
    PARAFORMAT2 pf;
    CHARFORMAT cf;
    cell->StyleToFormat(pf, cf, change);
    CGXStyle back;
    cell->FormatToStyle(back, cf, pf);
    table.SetResolution(dpiX, dpiY);
    EXPECT_EQ(cf.yHeight, c.twips) << c.height << " at " << c.dpi;
    const size_t at = v.find(c.fs);
    EXPECT_TRUE(at != std::string::npos && !std::isdigit((unsigned char)v[at + std::strlen(c.fs)])) << v;
    EXPECT_EQ(back.GetFont().GetHeight(), c.height) << c.height << " at " << c.dpi;
  }
}

}  // namespace
