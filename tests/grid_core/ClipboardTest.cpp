// Blocks of cells to and from the clipboard: text and the grid's own format, cut, paste and clear.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Automation.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/SharedFile.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/CellRange.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

class CClipGrid : public CGXGridCore {
 public:
  void SetCurrent(ROWCOL r, ROWCOL c) {
    m_nCurrentRow = r;
    m_nCurrentCol = c;
    m_bCurrentCellValid = TRUE;
  }
};

using dravonix::test::Cells;

std::string ClipboardBytes(UINT format) {
  std::string out;
  if (!::OpenClipboard(nullptr)) return out;
  if (HANDLE h = ::GetClipboardData(format)) {
    const char* p = static_cast<const char*>(GlobalLock(h));
    out.assign(p, GlobalSize(h));
    GlobalUnlock(h);
  }
  ::CloseClipboard();
  return out;
}

std::string ClipboardText() {
  const std::string raw = ClipboardBytes(CF_TEXT);
  return raw.substr(0, raw.find('\0'));
}

class GridClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    ResetClipboard();
    ASSERT_TRUE(grid.Initialize());
    Data().SetRowCount(10);
    Data().SetColCount(6);
  }
  void TearDown() override {
    Automation::Instance().Reset();
    ResetClipboard();
  }
  CGXData& Data() { return *grid.GetParam()->GetData(); }
  void Put(ROWCOL r, ROWCOL c, const char* value) {
    CGXStyle s;
    s.SetValue(value);
    Data().StoreStyleAt(r, c, &s, 0, 0);
  }
  CString Value(ROWCOL r, ROWCOL c) { return grid.GetValueRowCol(r, c); }
  void Select(std::initializer_list<CGXRange> ranges) {
    grid.GetParam()->m_SelRects.DeleteAll();
    for (const CGXRange& r : ranges) grid.SelectRange(r, TRUE, FALSE);
  }
  BOOL PasteText(const char* text, size_t n, ROWCOL r, ROWCOL c) {
    return grid.PasteTextFormat(text, n, Cells(r, c, r, c));
  }
  CClipGrid grid;
};

}  // namespace

TEST_F(GridClipboard, TextFormatOfBlocks) {
  Put(2, 2, "abc");
  Put(2, 3, "b");
  Put(3, 2, "x\ny");
  Put(3, 3, "p\r\nq\rr");
  Put(2, 4, "D2");
  Put(4, 2, "B4");
  Put(4, 4, "D4");
  Put(3, 4, "D3");
  struct Case {
    std::vector<CGXRange> sel;
    UINT flags;
    const char* text;
    ROWCOL rows, cols;
  } cases[] = {
      {{Cells(2, 2, 2, 2)}, 0x38, "abc", 1, 1},
      {{Cells(2, 2, 2, 3)}, 0x38, "abc\tb\r\n", 1, 2},
      {{Cells(3, 2, 3, 3)}, 0x38, "x y\tp q r\r\n", 1, 2},
      {{Cells(2, 2, 3, 2), Cells(2, 4, 3, 4)}, 0x38, "abc\tD2\r\nx y\tD3\r\n", 2, 2},
      {{Cells(2, 2, 2, 2), Cells(4, 4, 4, 4)}, 0x38, "abc\tD2\r\nB4\tD4\r\n", 2, 2},
  };
  for (const Case& c : cases) {
    ResetClipboard();
    grid.m_nClipboardFlags = c.flags;
    grid.SetCurrent(2, 2);
    grid.GetParam()->m_SelRects.DeleteAll();
    for (const CGXRange& r : c.sel) grid.SelectRange(r, TRUE, FALSE);
    ASSERT_TRUE(grid.Copy()) << c.text;
    const std::string raw = ClipboardBytes(CF_TEXT);
    EXPECT_EQ(raw.substr(0, raw.find('\0')), c.text);
    EXPECT_EQ(raw[std::string(c.text).size()], '\0');  // always followed by a zero byte
    EXPECT_EQ(grid.m_nRowsCopied, c.rows);
    EXPECT_EQ(grid.m_nColsCopied, c.cols);
  }
}

// The text takes each cell's value and control from every level a style composes from, and a control that
// shows something else than the value sees the whole style (here the standard style's choice list).
TEST_F(GridClipboard, TextTakesValueAndControlFromEveryLevel) {
  auto store = [&](ROWCOL r, ROWCOL c, int nType, auto set) {
    CGXStyle s;
    set(s);
    Data().StoreStyleAt(r, c, &s, 0, nType);
  };
  CGXStyle standard;
  standard.SetChoiceList("first\nsecond");
  const WORD standardId = grid.GetParam()->GetStylesMap()->GetStandardStyleId();
  ASSERT_TRUE(grid.ChangeBaseStyle(standardId, standard));
  CGXStyle base;
  base.SetControl(52542);  // check-list combo: the first choice item
  CGXStylesMap& styles = *grid.GetParam()->GetStylesMap();
  const WORD baseId = styles.GetNextId();
  styles.SetBaseStyleEntry(baseId, base, "Based", 0, FALSE);
  store(0, 0, -1, [](CGXStyle& s) { s.SetValue("T"); });
  store(3, 0, -1, [](CGXStyle& s) { s.SetValue("R"); });
  store(0, 2, -1, [](CGXStyle& s) { s.SetValue("C"); });
  store(4, 0, -1, [&](CGXStyle& s) { s.SetBaseStyle(baseId); });
  store(2, 3, 0, [&](CGXStyle& s) { s.SetBaseStyle(baseId); });
  store(2, 4, 0, [](CGXStyle& s) { s.SetValue(""); });
  Put(4, 1, "own");
  grid.m_nClipboardFlags = 0x3A;
  grid.SetCurrent(1, 1);
  Select({Cells(0, 1, 4, 4)});
  ASSERT_TRUE(grid.Copy());
  EXPECT_EQ(ClipboardText(),
            "T\tT\tT\tT\r\n"
            "T\tC\tT\tT\r\n"
            "T\tC\tfirst\t\r\n"
            "R\tR\tR\tR\r\n"
            "first\tfirst\tfirst\tfirst\r\n");
}

TEST_F(GridClipboard, WholeColumnStartsAfterTheHeaderUnlessAsked) {
  Data().SetRowCount(3);
  Put(0, 2, "H");
  Put(1, 2, "1");
  Put(2, 2, "2");
  Put(3, 2, "3");
  for (auto [flags, text] : {std::pair<UINT, const char*>{0x38, "1\r\n2\r\n3\r\n"}, {0x3A, "H\r\n1\r\n2\r\n3\r\n"}}) {
    grid.m_nClipboardFlags = flags;
    grid.SetCurrent(1, 2);
    grid.GetParam()->m_SelRects.DeleteAll();
    grid.SelectRange(CGXRange().SetColRange(2, 2), TRUE, FALSE);
    ASSERT_TRUE(grid.Copy());
    EXPECT_EQ(ClipboardText(), text);
  }
}

TEST_F(GridClipboard, FlagsZeroKeepTheClipboard) {
  ASSERT_TRUE(ClipboardSetText(nullptr, "kept", 4));
  grid.m_nClipboardFlags = 0;
  Put(1, 1, "cell");
  grid.SetCurrent(1, 1);
  EXPECT_FALSE(grid.Copy());
  EXPECT_FALSE(grid.Cut());
  EXPECT_EQ(ClipboardText(), "kept");
  EXPECT_EQ(Value(1, 1), "cell");
}

TEST_F(GridClipboard, BusyClipboard) {
  Put(1, 1, "cell");
  grid.SetCurrent(1, 1);
  SetClipboardHeldByOtherProgram(TRUE);
  EXPECT_FALSE(grid.Copy());
  SetClipboardHeldByOtherProgram(FALSE);
  EXPECT_TRUE(grid.Copy());
  EXPECT_EQ(ClipboardText(), "cell");
}

TEST_F(GridClipboard, PasteTextAndBlockSize) {
  Data().SetRowCount(5);
  Data().SetColCount(3);
  ASSERT_TRUE(PasteText("1\t2\r\n3\r\n", 8, 5, 3));
  EXPECT_EQ(Value(5, 3), "1");
  EXPECT_EQ(Value(5, 4), "2");
  EXPECT_EQ(Value(6, 3), "3");
  EXPECT_EQ(grid.GetRowCount(), 6u);  // the trailing line end adds no row
  EXPECT_EQ(grid.GetColCount(), 4u);

  grid.m_nClipboardFlags |= 0x0600;  // counts stay: what lies beyond goes
  ASSERT_TRUE(PasteText("a\tb\tc\nd\ne", 9, 5, 3));
  EXPECT_EQ(Value(5, 4), "b");
  EXPECT_EQ(Value(6, 3), "d");
  EXPECT_EQ(grid.GetRowCount(), 6u);
  EXPECT_EQ(grid.GetColCount(), 4u);

  // A NUL ends the paste; a trailing lead byte stops at the count.
  ASSERT_TRUE(PasteText("z\0w", 3, 1, 1));
  EXPECT_EQ(Value(1, 1), "z");
  EXPECT_EQ(Value(1, 2), "");

  struct Case {
    std::string text;
    ROWCOL rows, cols;
  } cases[] = {
      {std::string("a\tb\r\nc\td\r\n\0", 11), 2, 2}, {"", 0, 1},        {"x", 1, 1},
      {"a\nb\tc\td\r", 2, 3},                       {"\r\n\r\n", 2, 1}, {std::string("a\r\n\0b", 5), 1, 1},
  };
  for (const Case& c : cases) {
    ROWCOL rows = 99, cols = 99;
    grid.CalcTextBlockSize(c.text.data(), c.text.size(), rows, cols);
    EXPECT_EQ(rows, c.rows) << c.text;
    EXPECT_EQ(cols, c.cols) << c.text;
  }
}

TEST_F(GridClipboard, PasteCommandChecksTheSelection) {
  ASSERT_TRUE(ClipboardSetText(nullptr, "v", 1));
  grid.SetCurrent(2, 2);
  Select({Cells(2, 2, 2, 2), Cells(4, 4, 4, 4)});
  EXPECT_FALSE(grid.Paste());
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Pasting is not possible for multi-area selections.");
  EXPECT_EQ(Value(2, 2), "");
  Select({Cells(3, 3, 3, 3)});
  ASSERT_TRUE(grid.Paste());
  EXPECT_EQ(Value(3, 3), "v");
}

// With the current cell in a header and nothing selected the paste starts after the headers; a paste that
// raises the counts is undone with them, in one step. Text and the grid's own format alike.
TEST_F(GridClipboard, PasteStartsAfterTheHeadersAndUndoesRaisedCounts) {
  for (UINT flags : {0x0008u, 0x0018u}) {
    Data().SetRowCount(10);
    Data().SetColCount(6);
    Put(0, 2, "H2"), Put(0, 3, "H3"), Put(2, 0, "R2");
    Put(4, 1, "a"), Put(4, 2, "b"), Put(5, 1, "c"), Put(5, 2, "d");
    grid.m_nClipboardFlags = flags;
    grid.SetCurrent(4, 1);
    Select({Cells(4, 1, 5, 2)});
    ASSERT_TRUE(grid.Copy());
    const struct {
      ROWCOL row, col, top, left;
    } headers[] = {{0, 2, 1, 2}, {2, 0, 2, 1}, {0, 0, 1, 1}};
    for (const auto& h : headers) {
      grid.SetCurrent(h.row, h.col);
      Select({});
      ASSERT_TRUE(grid.Paste()) << flags;
      EXPECT_EQ(Value(0, 2), "H2") << flags;
      EXPECT_EQ(Value(0, 3), "H3") << flags;
      EXPECT_EQ(Value(2, 0), "R2") << flags;
      EXPECT_EQ(Value(h.top, h.left), "a") << flags << " " << h.row << "," << h.col;
      EXPECT_EQ(Value(h.top + 1, h.left + 1), "d") << flags << " " << h.row << "," << h.col;
    }
    grid.SetCurrent(10, 6);
    Select({Cells(10, 6, 10, 6)});
    ASSERT_TRUE(grid.Paste());
    EXPECT_EQ(grid.GetRowCount(), 11u);
    EXPECT_EQ(grid.GetColCount(), 7u);
    EXPECT_EQ(Value(11, 7), "d");
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(grid.GetRowCount(), 10u) << flags;
    EXPECT_EQ(grid.GetColCount(), 6u) << flags;
    EXPECT_EQ(Value(10, 6), "");
    EXPECT_EQ(Value(4, 1), "a");
  }
}

TEST_F(GridClipboard, InternalFormatRoundTripAndSizeMismatch) {
  CGXStyle red;
  red.SetValue("r").SetTextColor(RGB(255, 0, 0));
  for (ROWCOL r = 1; r <= 3; ++r)
    for (ROWCOL c = 1; c <= 3; ++c) Data().StoreStyleAt(r, c, &red, 0, 0);
  grid.m_nClipboardFlags = 0x0110;
  grid.SetCurrent(1, 1);
  Select({Cells(1, 1, 3, 3)});
  ASSERT_TRUE(grid.Copy());

  CClipGrid other;
  ASSERT_TRUE(other.Initialize());
  other.GetParam()->GetData()->SetRowCount(4);
  other.GetParam()->GetData()->SetColCount(4);
  other.m_nClipboardFlags = 0x0110;
  other.SetCurrent(2, 2);
  Automation::Instance().PushMessageBoxAnswer(IDCANCEL);
  EXPECT_FALSE(other.Paste());
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Clipboard size is different from selected range");
  EXPECT_EQ(other.GetValueRowCol(2, 2), "");

  other.m_nClipboardFlags = 0x0410;  // no question; extra columns go, rows come
  ASSERT_TRUE(other.Paste());
  EXPECT_EQ(other.GetRowCount(), 4u);
  EXPECT_EQ(other.GetColCount(), 4u);
  CGXStyle got;
  ASSERT_TRUE(other.GetStyleRowCol(4, 4, got, 2));
  EXPECT_EQ(got.GetValue(), "r");
  EXPECT_EQ(got.GetTextColor(), RGB(255, 0, 0));
  other.GetParam()->GetData()->SetRowCount(2);
  ASSERT_TRUE(other.Paste());
  EXPECT_EQ(other.GetRowCount(), 4u);  // rows are added
}

TEST_F(GridClipboard, InternalFormatBytes) {
  Put(1, 1, "a");  // (1, 2) holds no style
  grid.m_nClipboardFlags = 0x0010;
  grid.SetCurrent(1, 1);
  Select({Cells(1, 1, 1, 2)});
  ASSERT_TRUE(grid.Copy());
  const std::string bytes = ClipboardBytes(GXGetLibraryData().m_nClipboardFormat);
  // R, C, then the array object: its class record, the count, a style object and a null entry.
  const std::string head("\x01\0\0\0\x02\0\0\0\xFF\xFF\0\0\x08\0CObArray\x02\0\xFF\xFF", 26);
  // The style: schema 3, the value-only mask, "a", no borders.
  const std::string style("\x08\0CGXStyle\x03\0\0\x04\0\0\x01" "a\0\0\0\0", 22);  // and the null tag
  ASSERT_GE(bytes.size(), head.size() + 2 + style.size());
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  EXPECT_EQ(bytes.substr(head.size() + 2, style.size()), style);  // after the class schema word
}

TEST_F(GridClipboard, BadInternalDataIsRefused) {
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  const std::vector<std::string> bad = {
      std::string("\x01\0\0\0", 4),                       // truncated
      std::string("\0\0\0\0\x01\0\0\0", 8),               // no rows
      std::string("\x00\x80\0\0\x01\0\0\0", 8),           // 32768 rows
      std::string("\x01\0\0\0\x01\0\0\0\xFF\xFF\x7F", 11),  // not an object
  };
  grid.m_nClipboardFlags = 0x0010;
  grid.SetCurrent(1, 1);
  for (const std::string& bytes : bad) {
    HGLOBAL h = GlobalAlloc(GHND, bytes.size());
    memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::SetClipboardData(format, h);
    ::CloseClipboard();
    EXPECT_FALSE(grid.Paste());
    EXPECT_EQ(Value(1, 1), "");
  }
}

TEST_F(GridClipboard, BlocksThatWouldOwnAStyleTwiceAreRefused) {
  CGXStyle a;
  a.SetValue("a");
  // R x C, then the array as the grid writes it, holding what `fill` puts in.
  auto block = [](DWORD rows, DWORD cols, const std::function<void(CObArray&)>& fill) {
    const auto bytes = dravonix::test::StoreBytes([&](CArchive& ar) {
      CObArray array;
      fill(array);
      ar << rows << cols << static_cast<const CObject*>(&array);
    });
    return std::string(bytes.begin(), bytes.end());
  };
  const std::vector<std::string> bad = {
      block(1, 2, [&](CObArray& x) { x.Add(&a), x.Add(&a); }),  // the style again
      block(1, 2, [&](CObArray& x) { x.Add(&a), x.Add(&x); }),  // the array itself
      block(1, 1, [&](CObArray& x) { x.Add(&x); }),              // only itself
  };
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  grid.m_nClipboardFlags = 0x0010;
  grid.SetCurrent(1, 1);
  for (size_t i = 0; i < bad.size(); ++i) {
    HGLOBAL h = GlobalAlloc(GHND, bad[i].size());
    memcpy(GlobalLock(h), bad[i].data(), bad[i].size());
    GlobalUnlock(h);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::SetClipboardData(format, h);
    ::CloseClipboard();
    EXPECT_FALSE(grid.Paste()) << i;
    EXPECT_EQ(Value(1, 1), "") << i;
  }
}

TEST_F(GridClipboard, TooBigForTheInternalFormat) {
  Data().SetRowCount(40000);
  grid.m_nClipboardFlags = 0x0018;
  grid.SetCurrent(1, 1);
  Select({Cells(1, 1, 32768, 1)});
  EXPECT_TRUE(grid.Copy());  // the text still went
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Range too big.");
  EXPECT_TRUE(::IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(::IsClipboardFormatAvailable(GXGetLibraryData().m_nClipboardFormat));
}

TEST_F(GridClipboard, CutRemovesFormattingOnlyWithTheInternalFormat) {
  CGXStyle red;
  red.SetValue("v").SetTextColor(RGB(255, 0, 0));
  for (UINT flags : {0x0018u, 0x0008u}) {
    Data().StoreStyleAt(2, 2, &red, 0, 0);
    grid.m_nClipboardFlags = flags;
    grid.SetCurrent(2, 2);
    Select({Cells(2, 2, 2, 2)});
    ASSERT_TRUE(grid.Cut());
    EXPECT_EQ(ClipboardText(), "v");
    CGXStyle got;
    const BOOL stored = grid.GetStyleRowCol(2, 2, got, 2);
    EXPECT_EQ(Value(2, 2), "");
    EXPECT_EQ(stored && got.GetIncludeTextColor(), flags == 0x0008u) << flags;
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(Value(2, 2), "v");
  }
}

TEST_F(GridClipboard, CommandTests) {
  grid.SetCurrent(1, 1);
  EXPECT_TRUE(grid.CanClear());
  EXPECT_FALSE(grid.CanPaste());
  ASSERT_TRUE(ClipboardSetText(nullptr, "v", 1));
  EXPECT_TRUE(grid.CanPaste());
  Select({Cells(1, 1, 1, 1)});
  EXPECT_TRUE(grid.CanCopy());
  EXPECT_TRUE(grid.CanCut());
  grid.SetReadOnly(TRUE);
  EXPECT_FALSE(grid.CanCut());
  EXPECT_FALSE(grid.CanPaste());
  EXPECT_FALSE(grid.CanClear());
}

// Two or more ranges clear their own cells only, never the crossing of the others; Undo brings all back.
TEST_F(GridClipboard, ClearingSeveralRangesClearsOnlyTheirCells) {
  struct Case {
    std::vector<CGXRange> ranges;
    BOOL removeStyles;
    size_t cleared;
  };
  Data().SetRowCount(12);
  const std::vector<Case> cases = {
      {{CGXRange().SetColRange(4, 4), CGXRange().SetRowRange(9, 9)}, FALSE, 17},
      {{CGXRange().SetColRange(4, 4), CGXRange().SetRowRange(9, 9)}, TRUE, 17},
      {{Cells(5, 2, 5, 2), CGXRange().SetColRange(4, 4)}, FALSE, 13},
      {{Cells(5, 2, 5, 2), CGXRange().SetColRange(4, 4)}, TRUE, 13},
      {{Cells(2, 2, 3, 3), Cells(3, 3, 4, 5)}, FALSE, 9},
  };
  for (const Case& t : cases) {
    for (ROWCOL r = 1; r <= 12; ++r)
      for (ROWCOL c = 1; c <= 6; ++c) Put(r, c, "x");
    CGXRangeList list;
    for (const CGXRange& r : t.ranges) list.AddTail(new CGXRange(r));
    ASSERT_TRUE(grid.ClearCells(list, t.removeStyles));
    size_t cleared = 0;
    for (ROWCOL r = 1; r <= 12; ++r)
      for (ROWCOL c = 1; c <= 6; ++c) {
        bool inside = false;
        for (const CGXRange& range : t.ranges) inside = inside || range.IsCellInRange(r, c);
        EXPECT_EQ(Value(r, c), inside ? "" : "x") << r << "," << c;
        cleared += Value(r, c).IsEmpty();
      }
    EXPECT_EQ(cleared, t.cleared);
    ASSERT_TRUE(grid.Undo());
    for (ROWCOL r = 1; r <= 12; ++r)
      for (ROWCOL c = 1; c <= 6; ++c) EXPECT_EQ(Value(r, c), "x") << r << "," << c;
  }
}

// Derived grids are built against the order of the virtual operations: the clipboard commands come
// right after the drag and drop ones, Copy, Paste, then Cut.
TEST(GridClipboardSlots, CommandsFollowDragAndDrop) {
  auto slot = [](auto op) {  // a virtual operation's table offset + 1
    std::ptrdiff_t v = 0;
    std::memcpy(&v, &op, sizeof v);
    return v;
  };
  const std::ptrdiff_t first = slot(&CGXGridCore::StartOleDrag), step = sizeof(void*);
  EXPECT_EQ(slot(&CGXGridCore::ConfirmPasteSizeMismatch), first - step);
  const std::pair<std::ptrdiff_t, int> after[] = {
      {slot(&CGXGridCore::DrawDropFrame), 11}, {slot(&CGXGridCore::Copy), 12},
      {slot(&CGXGridCore::Paste), 13},         {slot(&CGXGridCore::Cut), 14},
      {slot(&CGXGridCore::ClearSelection), 15}, {slot(&CGXGridCore::CanClear), 19},
  };
  for (const auto& [at, n] : after) EXPECT_EQ(at, first + n * step) << n;
}
