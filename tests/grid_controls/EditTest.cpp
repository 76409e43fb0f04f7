// The edit cell: keys at the text's edges go to the grid, typing on an inactive cell, Delete, Store, AutoSize.
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/BarPresses.h"
#include "tests/support/GridHostWnd.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"
#include "platform/ui/UiAutomation.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

class CountingGrid : public CGXGridCore {
 public:
  int stores = 0;
  BOOL SetStyleRange(const CGXRange& range, const CGXStyle* pStyle, int mode, int nType, const CObArray* pArray,
                     UINT flags, GXCmdType ct) override {
    ++stores;
    return CGXGridCore::SetStyleRange(range, pStyle, mode, nType, pArray, flags, ct);
  }
};

class EditCell : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 160), nullptr, 0);
    grid.m_pGridWnd = &wnd;
    wnd.grid = &grid;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(4);
    grid.GetParam()->GetData()->SetColCount(4);
    edit = dynamic_cast<CGXEditControl*>(grid.GetRegisteredControl(52512));
    ASSERT_NE(edit, nullptr);
    PumpMessages();
  }
  void TearDown() override { wnd.DestroyWindow(); }
  void Put(ROWCOL r, ROWCOL c, const char* text) { grid.SetRangeValueText(CGXRange().SetCellRange(r, c, r, c), text); }
  // A click near the cell's right edge, away from the last click so that no two make a double click.
  void ClickCell(ROWCOL r, ROWCOL c) {
    const CRect cell = grid.CalcRectFromRowCol(r, c);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(wnd.m_hWnd, CPoint(cell.right - 6, cell.CenterPoint().y));
  }
  // Clicks (r, c) until its control is active, then leaves the text and selection as given.
  void Edit(ROWCOL r, ROWCOL c, const char* text, int selStart, int selEnd) {
    ClickCell(r, c);
    if (!edit->IsActive()) UiAutomation::PressKey(VK_F2);
    ASSERT_TRUE(edit->IsActive());
    ASSERT_EQ(::GetFocus(), edit->m_hWnd);
    edit->SetWindowText(text);
    edit->SetSel(selStart, selEnd);
  }
  ROWCOL CurrentCol() { return CurrentColOf(grid); }
  ROWCOL CurrentRow() { return CurrentRowOf(grid); }
  CGridRoutingHostWnd wnd;
  CountingGrid grid;
  CGXEditControl* edit = nullptr;
};

TEST_F(EditCell, KeysAtTheTextsEdgesGoToTheGrid) {
  const struct {
    const char* text;
    UINT key;
    int sel;
    bool kept;
  } cases[] = {
      {"abc", VK_LEFT, 0, false},  {"abc", VK_LEFT, 1, true},     {"abc", VK_RIGHT, 3, false},
      {"abc", VK_RIGHT, 2, true},  {"a\r\nb", VK_UP, 0, false},   {"a\r\nb", VK_UP, 3, true},
      {"a\r\nb", VK_DOWN, 4, false}, {"a\r\nb", VK_DOWN, 0, true}, {"abc", VK_TAB, 1, false},
      {"abc", VK_ESCAPE, 1, false}, {"abc", VK_PRIOR, 1, false},   {"abc", VK_NEXT, 1, false},
      {"abc", VK_F1, 1, false},    {"abc", VK_F24, 1, false},     {"abc", VK_RETURN, 1, false},
      {"abc", VK_HOME, 1, true},   {"abc", 'A', 1, true},
  };
  for (const auto& c : cases) {
    Edit(2, 2, c.text, c.sel, c.sel);
    EXPECT_EQ(edit->KeepsKey(c.key), c.kept) << c.text << " key " << c.key << " at " << c.sel;
  }
  // Left at 0 moves the current cell one column left; Up on the first line one row up.
  Edit(2, 2, "abc", 0, 0);
  UiAutomation::PressKey(VK_LEFT);
  EXPECT_EQ(CurrentCol(), 1u);
  Edit(2, 2, "abc", 1, 1);
  UiAutomation::PressKey(VK_LEFT);
  EXPECT_EQ(CurrentCol(), 2u);
  int s = -1, e = -1;
  edit->GetSel(s, e);
  EXPECT_EQ(s, 0);
  Edit(2, 2, "abc", 0, 0);
  UiAutomation::PressKey(VK_UP);
  EXPECT_EQ(CurrentRow(), 1u);
  EXPECT_EQ(edit->SendMessage(WM_GETDLGCODE) & 0x83, 0x83u);
}

TEST_F(EditCell, TypingReplacesAnInactiveCellHomeAndEndKeepIt) {
  Put(1, 1, "old");
  ClickCell(1, 2);
  UiAutomation::PressKey(VK_LEFT);
  EXPECT_EQ(CurrentCol(), 1u);
  EXPECT_FALSE(edit->IsActive());
  UiAutomation::PressKey(VK_TAB);  // Tab moves on rather than typing
  EXPECT_EQ(CurrentCol(), 2u);
  UiAutomation::PressKey(VK_LEFT);
  EXPECT_FALSE(edit->IsActive());
  UiAutomation::TypeText("x");
  EXPECT_TRUE(edit->IsActive());
  CString text;
  edit->GetCurrentText(text);
  EXPECT_EQ(text, "x");
  EXPECT_TRUE(edit->GetModify());
  // Typing on in the active cell adds at the caret.
  UiAutomation::TypeText("yz");
  edit->GetCurrentText(text);
  EXPECT_EQ(text, "xyz");

  const struct {
    UINT key;
    int caret;
  } keys[] = {{VK_END, 3}, {VK_HOME, 0}};
  for (const auto& k : keys) {
    UiAutomation::PressKey(VK_TAB);
    ASSERT_EQ(CurrentCol(), 2u);
    Put(1, 1, "old");
    UiAutomation::PressKey(VK_LEFT);
    EXPECT_FALSE(edit->IsActive());
    UiAutomation::PressKey(k.key);
    EXPECT_TRUE(edit->IsActive());
    edit->GetCurrentText(text);
    EXPECT_EQ(text, "old");
    EXPECT_FALSE(edit->GetModify());
    int s = -1, e = -1;
    edit->GetSel(s, e);
    EXPECT_EQ(s, k.caret);
    EXPECT_EQ(e, k.caret);
  }
}

TEST_F(EditCell, DeleteClearsStoreWritesOnlyAChange) {
  Put(2, 1, "keep");
  Put(2, 2, "gone");
  ClickCell(2, 1);
  if (edit->IsActive()) UiAutomation::PressKey(VK_ESCAPE);
  grid.stores = 0;
  EXPECT_TRUE(edit->Store());
  EXPECT_EQ(grid.stores, 0);
  EXPECT_EQ(grid.GetValueRowCol(2, 1), "keep");

  UiAutomation::PressKey(VK_RIGHT);
  ASSERT_EQ(CurrentCol(), 2u);
  ASSERT_FALSE(edit->IsActive());
  UiAutomation::PressKey(VK_DELETE);
  EXPECT_TRUE(edit->GetModify());
  CString text;
  edit->GetCurrentText(text);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(edit->Store());
  EXPECT_EQ(grid.stores, 1);
  EXPECT_EQ(grid.GetValueRowCol(2, 2), "");
  EXPECT_FALSE(edit->IsActive());

  // Read-only cells are neither cleared nor typed into.
  CGXStyle ro;
  ro.SetValue("fixed").SetReadOnly(TRUE);
  grid.GetParam()->GetData()->StoreStyleAt(3, 1, &ro, 2);
  EXPECT_TRUE(grid.LookupStyleRowCol(3, 1).GetReadOnly());
  UiAutomation::PressKey(VK_DOWN);
  UiAutomation::PressKey(VK_LEFT);
  ASSERT_EQ(CurrentRow(), 3u);
  ASSERT_EQ(CurrentCol(), 1u);
  UiAutomation::PressKey(VK_DELETE);
  UiAutomation::TypeText("a");
  EXPECT_FALSE(edit->IsActive());
  EXPECT_EQ(grid.GetValueRowCol(3, 1), "fixed");
}

TEST_F(EditCell, AutoSizeGrowsTheColumnWhileTyping) {
  // A single-line cell widens its column, a wrapping one heightens its row.
  for (const BOOL wrap : {FALSE, TRUE}) {
    const ROWCOL col = wrap ? 2 : 3;
    CGXStyle s;
    s.SetAutoSize(TRUE).SetWrapText(wrap);
    grid.CGXGridCore::SetStyleRange(CGXRange().SetCellRange(1, col, 1, col), &s);
    ClickCell(1, col);
    const int width = grid.GetColWidth(col), height = grid.GetRowHeight(1);
    UiAutomation::TypeText("a rather long text that needs room");
    EXPECT_EQ(grid.GetColWidth(col) > width, !wrap);
    EXPECT_EQ(grid.GetRowHeight(1) > height, wrap);
  }
}

}  // namespace

namespace {

TEST_F(EditCell, AClickOnTheSecondWrappedLinePutsTheCaretThere) {
  CGXStyle s;
  s.SetWrapText(TRUE).SetValue("alpha beta gamma");
  grid.GetParam()->GetData()->StoreStyleAt(1, 1, &s, 2);
  grid.SetColWidth(1, 1, 50);
  grid.SetRowHeight(1, 1, 60);
  ClickCell(1, 1);
  if (edit->IsActive()) UiAutomation::PressKey(VK_ESCAPE);
  const CRect cell = grid.CalcRectFromRowCol(1, 1);
  CRect inner;
  edit->GetCellInnerRect(inner, 1, 1, &cell, &grid.LookupStyleRowCol(1, 1));
  CClientDC dc(&wnd);
  const CGXStyle& style = grid.LookupStyleRowCol(1, 1);
  CFont* font = style.GetIncludeFont() ? grid.LookupFont(style.GetFont()) : nullptr;
  CFont* oldFont = font ? dc.SelectObject(font) : nullptr;
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  if (oldFont) dc.SelectObject(oldFont);
  const CPoint secondLine(inner.left + 2, inner.top + tm.tmHeight + tm.tmHeight / 2);
  const int hit = edit->CharFromPoint(secondLine);
  ASSERT_GT(hit, 0);
  UiAutomation::AdvanceClock(1000);
  UiAutomation::Click(wnd.m_hWnd, secondLine);
  ASSERT_TRUE(edit->IsActive());
  edit->Draw(&dc, cell, 1, 1, grid.LookupStyleRowCol(1, 1), nullptr);
  int start = -1, end = -1;
  edit->GetSel(start, end);
  EXPECT_EQ(start, hit);
  EXPECT_EQ(end, hit);
  EXPECT_EQ(edit->LineFromChar(hit), 1);
  EXPECT_EQ(edit->LineIndex(1), hit);  // the first character of the second line in both
  CString text;
  edit->GetWindowText(text);
  EXPECT_EQ(text.Mid(hit, 4), "beta");
  EXPECT_EQ(edit->SendMessage(EM_GETFIRSTVISIBLELINE), 0);  // the first line stays in view
  PumpMessages();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_edit.png").c_str());
}

}  // namespace

namespace {

TEST_F(EditCell, EnterBreaksTheLineOnlyWhereTheCellAllowsIt) {
  const struct {
    BOOL allowEnter, wrap;
    UINT ch;
    const char* result;
  } cases[] = {
      // Enter where the cell does not keep it goes to the grid: the cell stores "a", "b" starts the next one.
      {TRUE, FALSE, 13, "a\r\nb"}, {FALSE, FALSE, 13, "b"}, {FALSE, TRUE, 10, "a\r\nb"}, {FALSE, FALSE, 10, "ab"},
  };
  for (const auto& c : cases) {
    CGXStyle s;
    s.SetAllowEnter(c.allowEnter).SetWrapText(c.wrap).SetValue("");
    grid.GetParam()->GetData()->StoreStyleAt(1, 1, &s, 2);
    ClickCell(2, 2);
    UiAutomation::PressKey(VK_ESCAPE);
    UiAutomation::PressKey(VK_UP);
    UiAutomation::PressKey(VK_LEFT);
    UiAutomation::TypeText("a");
    ASSERT_EQ(CurrentRow(), 1u);
    ASSERT_EQ(CurrentCol(), 1u);
    ASSERT_TRUE(edit->IsActive());
    ASSERT_EQ(::GetFocus(), edit->m_hWnd);
    EXPECT_EQ(edit->KeepsKey(VK_RETURN), c.allowEnter) << c.ch;
    UiAutomation::PressKey(VK_RETURN, c.ch == 10 ? UiAutomation::kControl : UiAutomation::kNone);
    UiAutomation::TypeText("b");
    CString text;
    edit->GetCurrentText(text);
    EXPECT_EQ(text, c.result) << c.allowEnter << c.wrap << c.ch;
    const bool left = !c.allowEnter && c.ch == 13;
    if (left) {
      EXPECT_EQ(grid.GetValueRowCol(1, 1), "a");
    }
    UiAutomation::PressKey(VK_ESCAPE);
  }
}

}  // namespace

namespace {

TEST_F(EditCell, FindRunsInTheTypedTextAndActivatesAnotherCell) {
  GXFindReplaceState find;
  find.strFind = "abc";
  find.strFindUpper = "ABC";
  Edit(1, 1, "xAbc abc", 1, 4);  // the first match is selected
  int s = -1, e = -1;
  EXPECT_TRUE(edit->FindText(find, 1, 1, TRUE, TRUE));  // a replace takes the selected match
  edit->GetSel(s, e);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(e, 4);
  EXPECT_TRUE(edit->FindText(find, 1, 1, FALSE, TRUE));  // a further search passes over it
  edit->GetSel(s, e);
  EXPECT_EQ(s, 5);
  EXPECT_EQ(e, 8);
  EXPECT_FALSE(edit->FindText(find, 1, 1, FALSE, TRUE));
  find.bCase = TRUE;
  edit->SetSel(0, 0);
  EXPECT_TRUE(edit->FindText(find, 1, 1, TRUE, TRUE));
  edit->GetSel(s, e);
  EXPECT_EQ(s, 5);

  grid.SetRangeValueText(CGXRange().SetCellRange(3, 2, 3, 2), "the abc here");
  EXPECT_TRUE(edit->FindText(find, 3, 2, FALSE, TRUE));
  EXPECT_EQ(CurrentRow(), 3u);
  EXPECT_EQ(CurrentCol(), 2u);
  EXPECT_TRUE(edit->IsActive());
  edit->GetSel(s, e);
  EXPECT_EQ(s, 4);
  EXPECT_EQ(e, 7);
}

TEST_F(EditCell, ClipboardKeysWorkThroughTheCell) {
  const struct {
    std::initializer_list<int> held;
    UINT message, key;
    int selStart, selEnd;
    const char* text;  // the edit's text afterwards, starting from "abcd" with "bc" on the clipboard
  } cases[] = {
      {{VK_SHIFT}, WM_KEYDOWN, VK_DELETE, 1, 3, "ad"},   // cut
      {{VK_SHIFT}, WM_KEYDOWN, VK_INSERT, 4, 4, "abcdbc"},  // paste
      {{VK_CONTROL}, WM_KEYDOWN, 'X', 0, 1, "bcd"},
      {{VK_CONTROL}, WM_KEYDOWN, 'V', 0, 4, "bc"},
      {{VK_CONTROL}, WM_KEYDOWN, 'C', 0, 2, "abcd"},  // copying leaves the text
  };
  for (const auto& c : cases) {
    Edit(1, 1, "xbcx", 1, 3);
    UiAutomation::PressKey('C', UiAutomation::kControl);  // "bc" onto the clipboard
    edit->SetWindowText("abcd");
    edit->SetSel(c.selStart, c.selEnd);
    UiAutomation::PressKey(c.key, *c.held.begin() == VK_SHIFT ? UiAutomation::kShift : UiAutomation::kControl);
    CString text;
    edit->GetWindowText(text);
    EXPECT_EQ(text, c.text) << c.key;
  }
}

}  // namespace

namespace {

TEST_F(EditCell, TheWindowStyleFollowsTheCell) {
  auto* vscroll = new CGXVScrollEdit(&grid, 15010);
  grid.RegisterControl(15010, vscroll, FALSE, FALSE);
  const struct {
    UINT control;
    BOOL allowEnter, wrap;
    int rowHeight;
    DWORD style;
  } cases[] = {
      {52512, FALSE, FALSE, 20, 0x50010000 | 0x144 | ES_AUTOHSCROLL},
      {52512, TRUE, FALSE, 20, 0x50010000 | 0x1144 | ES_AUTOHSCROLL},
      {52512, FALSE, TRUE, 60, 0x50010000 | 0x144},
      {15010, FALSE, TRUE, 60, 0x50210000 | 0x144},
      {15010, FALSE, TRUE, 15, 0x50010000 | 0x144 | ES_AUTOHSCROLL},  // too low for a scroll bar
  };
  for (const auto& c : cases) {
    CGXStyle s;
    s.SetControl(c.control).SetAllowEnter(c.allowEnter).SetWrapText(c.wrap).SetValue("");
    grid.GetParam()->GetData()->StoreStyleAt(1, 1, &s, 2);
    grid.SetRowHeight(1, 1, c.rowHeight);
    ClickCell(2, 2);
    UiAutomation::PressKey(VK_ESCAPE);
    UiAutomation::PressKey(VK_UP);
    UiAutomation::PressKey(VK_LEFT);
    auto* cell = dynamic_cast<CGXEditControl*>(grid.GetCurrentCellControl());
    ASSERT_NE(cell, nullptr);
    UiAutomation::TypeText("a");
    ASSERT_TRUE(cell->IsActive());
    CClientDC dc(&wnd);
    CRect client;
    int lineHeight = 0;
    EXPECT_EQ(cell->GetEditStyle(client, lineHeight), c.style) << c.control << " " << c.allowEnter << c.wrap << " " << c.rowHeight;
    EXPECT_GE(client.Height(), lineHeight + 1);
    // The window takes the word, save the scroll bar that the edit window shows only when its text needs it.
    EXPECT_EQ(cell->GetStyle() & ~(WS_VSCROLL | ES_READONLY), c.style & ~WS_VSCROLL);
  }
}

// The text stays where it was when the cell's edit window takes over.
TEST(EditCellPicture, ActivatingKeepsTheTextInPlace) {
  const struct {
    UINT align;
    int rowHeight;
  } cases[] = {{DT_CENTER, 20}, {DT_RIGHT, 20}, {DT_CENTER | DT_VCENTER, 44}, {DT_RIGHT | DT_BOTTOM, 44}};
  for (const auto& c : cases) {
    CellGridWindow window(CRect(100, 100, 500, 300));
    ASSERT_TRUE(window.opened);
    ZAZAzedAze& grid = window.grid;
    grid.SetRowHeight(1, 1, c.rowHeight);
    CGXStyle style;
    style.SetControl(52512).SetValue("WWW").SetWrapText(FALSE);
    style.SetHorizontalAlignment(c.align & 3).SetVerticalAlignment(c.align & 12);
    grid.SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 1), &style);
    grid.SetFocus();
    ASSERT_TRUE(grid.SetCurrentCell(1, 1));
    PumpMessages();
    // The box of the text's ink inside the cell, away from the current cell's frame.
    auto ink = [&] {
      const CRect r = grid.CalcRectFromRowCol(1, 1);
      CRect box(INT_MAX, INT_MAX, -1, -1);
      for (int y = r.top + 3; y < r.bottom - 3; ++y)
        for (int x = r.left + 3; x < r.right - 3; ++x) {
          const COLORREF p = GetWindowPixel(grid.m_hWnd, CPoint(x, y));
          if (GetRValue(p) + GetGValue(p) + GetBValue(p) >= 300) continue;
          box.SetRect(std::min<int>(box.left, x), std::min<int>(box.top, y), std::max<int>(box.right, x),
                      std::max<int>(box.bottom, y));
        }
      return box;
    };
    const CRect resting = ink();
    UiAutomation::PressKey(VK_END);
    ASSERT_TRUE(grid.GetControl(1, 1)->IsActive());
    const CRect active = ink();
    EXPECT_TRUE(resting == active) << c.align << ": " << resting.left << "," << resting.top << " " << resting.right << ","
                                   << resting.bottom << " became " << active.left << "," << active.top << " "
                                   << active.right << "," << active.bottom;
  }
}

// The clipboard keys pressed in the window, on the cell being edited and on a cell at rest: what
// the cell keeps once left, what the clipboard holds, and a picture as a full repaint draws it.
TEST(EditCellWindow, ClipboardKeysFromTheKeyboard) {
  using UiAutomation::kControl;
  using UiAutomation::kNone;
  using UiAutomation::kShift;
  struct Key {
    UINT vk, modifiers;
  };
  const struct {
    std::vector<Key> keys;  // from the grid at rest on "abcd", "xy" on the clipboard
    const char* value;
    const char* clipboard;
  } cases[] = {
      {{{VK_END, kNone}, {VK_LEFT, kShift}, {VK_LEFT, kShift}, {'C', kControl}}, "abcd", "cd"},
      {{{VK_END, kNone}, {VK_LEFT, kShift}, {'X', kControl}}, "abc", "d"},
      {{{VK_END, kNone}, {VK_LEFT, kShift}, {VK_DELETE, kShift}}, "abc", "d"},
      {{{VK_END, kNone}, {'V', kControl}}, "abcdxy", "xy"},
      {{{VK_HOME, kNone}, {VK_RIGHT, kShift}, {VK_INSERT, kShift}}, "xybcd", "xy"},
      {{{'C', kControl}}, "abcd", "abcd"},  // at rest the grid copies the cell
      {{{'V', kControl}}, "xy", "xy"},
      {{{'X', kControl}}, "", "abcd"},
  };
  for (const auto& c : cases) {
    CellGridWindow window(CRect(100, 100, 500, 300));
    ASSERT_TRUE(window.opened);
    ZAZAzedAze& grid = window.grid;
    grid.SetRangeValueText(CGXRange().SetCellRange(1, 1, 1, 1), "abcd");
    grid.SetFocus();
    ASSERT_TRUE(grid.SetCurrentCell(1, 1));
    PumpMessages();
    ResetClipboard();
    ASSERT_TRUE(ClipboardSetText(nullptr, "xy", 2));
    for (const Key& k : c.keys) UiAutomation::PressKey(k.vk, k.modifiers);
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0) << c.value;
    UiAutomation::PressKey(VK_DOWN);
    EXPECT_EQ(CurrentRowOf(grid), 2u) << c.value;
    EXPECT_EQ(grid.GetValueRowCol(1, 1), c.value);
    std::string clip;
    EXPECT_TRUE(ClipboardGetText(nullptr, clip));
    EXPECT_EQ(clip, c.clipboard) << c.value;
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0) << c.value;
    ResetClipboard();
  }
}

// Typing into an AutoSize cell widens its column (heightens its row when it wraps) as it goes; the
// window shows what a full repaint shows, also after the grid alone repaints the cell being edited.
TEST(EditCellWindow, AutoSizeGrowsWhileTyping) {
  for (const BOOL wrap : {FALSE, TRUE}) {
    CellGridWindow window(CRect(100, 100, 600, 300));
    ASSERT_TRUE(window.opened);
    ZAZAzedAze& grid = window.grid;
    grid.SetStyleRange(CGXRange().SetCellRange(1, 2, 1, 2), &CGXStyle().SetAutoSize(TRUE).SetWrapText(wrap));
    grid.SetFocus();
    ASSERT_TRUE(grid.SetCurrentCell(1, 2));
    PumpMessages();
    const int width = grid.GetColWidth(2), height = grid.GetRowHeight(1);
    UiAutomation::TypeText("a rather long text that needs more room");
    EXPECT_EQ(grid.GetColWidth(2) > width, !wrap);
    EXPECT_EQ(grid.GetRowHeight(1) > height, wrap);
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0) << wrap;
    const CRect cell = grid.CalcRectFromRowCol(1, 2);
    grid.InvalidateRect(&cell);
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0) << wrap;
    UiAutomation::PressKey(VK_DOWN);
    EXPECT_EQ(grid.GetValueRowCol(1, 2), "a rather long text that needs more room");
    EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0) << wrap;
  }
}

}  // namespace
namespace {

// Each typed character goes in by the control's replacement of the selection; the window's limit holds for it.
TEST_F(EditCell, TypingStopsAtTheCellsMaximumLength) {
  CGXStyle s;
  s.SetMaxLength(3);
  grid.CGXGridCore::SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 1), &s);
  ClickCell(1, 1);
  UiAutomation::TypeText("abcde");
  UiAutomation::PressKey(VK_RETURN);
  EXPECT_EQ(grid.GetValueRowCol(1, 1), "abc");
}

}  // namespace
namespace {

// A cell copied in the grid leaves its styles beside its text on the clipboard; an edited cell takes the text.
TEST_F(EditCell, CtrlVInAnEditTakesTheTextOfACopiedCell) {
  Put(1, 1, "abc");
  ClickCell(1, 1);
  UiAutomation::PressKey('C', UiAutomation::kControl);
  Edit(2, 1, "x", 1, 1);
  UiAutomation::PressKey('V', UiAutomation::kControl);
  CString text;
  edit->GetWindowText(text);
  EXPECT_EQ(text, "xabc");
}

}  // namespace
namespace {

// A covered cell reaching across the frozen columns cannot keep its editing window through a scroll.
TEST_F(CellGrid, ScrollingEndsTheEditOfACoveredCellAcrossTheFrozenColumns) {
  grid.SetColCount(12);
  grid.SetFrozenCols(1);
  grid.SetCoveredCellsRowCol(1, 1, 1, 3);
  UiAutomation::Click(grid.m_hWnd, Centre(1, 1));
  UiAutomation::TypeText("abc");
  dravonix::test::bars::Press(grid.m_hWnd, dravonix::test::kRightArrow);
  EXPECT_EQ(Value(1, 1), "abc");
  EXPECT_FALSE(grid.GetCurrentCellControl()->IsActive());
  EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(grid.m_hWnd), 0);
}

}  // namespace
