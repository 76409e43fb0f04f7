// The masked edit cell: the mask object's parsing, typing, caret rules, prompts and values; then the
// cell in a grid window driven by posted keys.
#include "grid/controls/GXMaskControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Exception.h"
#include "platform/core/Module.h"
#include "platform/core/SystemInfo.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include "platform/ui/UiAutomation.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

// Code page 932 with double-byte offsets for the life of the guard.
struct DoubleByte {
  DoubleByte() {
    SetCodePageForTesting(932);
    SetSystemMetricsValue(SM_DBCSENABLED, 1);
    CGXMaskData::ReadSystemSettings();
  }
  ~DoubleByte() {
    SetCodePageForTesting(1252);
    SetSystemMetricsValue(SM_DBCSENABLED, 0);
    CGXMaskData::ReadSystemSettings();
  }
};

std::string Display(const CGXMaskData& m) {
  CString s;
  m.GetDisplayString(s);
  return s.str();
}

std::string Data(const CGXMaskData& m) {
  CString s;
  m.GetData(s);
  return s.str();
}

CGXMaskData Mask(const char* mask, const char* value = nullptr) {
  CGXMaskData m;
  m.SetMask(mask);
  m.ResetData();
  if (value) m.SetData(value);
  return m;
}

TEST(MaskData, ParsesMasksIntoPositions) {
  const struct {
    const char* mask;
    const char* literals;  // one flag per position
    const char* empty;     // the display without input
  } cases[] = {
      {"(###) ###-####", "10001100010000", "(___) ___-____"},
      {"\\##", "10", "#_"},
      {"\\\\#", "10", "\\_"},
      {"a#L&?AU", "1000000", "a______"},  // only upper-case A, L, U are mask characters
      {"##\\", "00", "__"},               // a closing backslash escapes nothing
      {"\\", "", ""},
  };
  for (const auto& c : cases) {
    CGXMaskData m = Mask(c.mask);
    std::string flags;
    for (int p = 0; p < m.GetDataCount(); ++p) flags += m.IsLiteral(p) ? '1' : '0';
    EXPECT_EQ(flags, c.literals) << c.mask;
    EXPECT_EQ(Display(m), c.empty) << c.mask;
  }
  CGXMaskData m = Mask("#");
  bool thrown = false;
  try {
    m.IsLiteral(1);
  } catch (CInvalidArgException* e) {
    e->Delete();
    thrown = true;
  }
  EXPECT_TRUE(thrown);
  m.SetMask("");
  EXPECT_TRUE(m.IsMaskEmpty());
  EXPECT_FALSE(m.IsLiteral(5));
  for (char ch : std::string("#&?ALU")) EXPECT_TRUE(m.IsMaskChar(ch));
  for (char ch : std::string("al9\\ ")) EXPECT_FALSE(m.IsMaskChar(ch));
}

TEST(MaskData, ClassesAcceptAndConvertCharacters) {
  const struct {
    const char* mask;
    const char* in;
    bool ok;
    const char* out;
  } cases[] = {
      {"#", "5", true, "5"},  {"#", "a", false, ""},   {"?", "q", true, "q"},  {"?", "5", false, ""},
      {"&", "%", true, "%"},  {"A", "z", true, "z"},   {"A", "7", true, "7"},  {"A", "-", false, ""},
      {"L", "Q", true, "q"},  {"U", "b", true, "B"},   {"L", "1", false, ""},  {"U", "\xe4", true, "\xc4"},
      {"#", " ", true, "_"},  {"#", "_", true, "_"},   {"x#", "x", false, ""}, {"#", "55", false, ""},
  };
  for (const auto& c : cases) {
    CGXMaskData m = Mask(c.mask);
    CString ch(c.in);
    const int pos = m.NextEditPos(-1);
    EXPECT_EQ(m.IsValidInput(c.mask[0] == 'x' ? 0 : pos, ch), c.ok) << c.mask << " " << c.in;
    if (c.ok) {
      EXPECT_EQ(ch.str(), c.out) << c.mask << " " << c.in;
    }
  }
  // Whole texts: LLL makes AbC lower case, UUU upper case; placing stops at the first misfit.
  EXPECT_EQ(Display(Mask("LLL", "AbC")), "abc");
  EXPECT_EQ(Display(Mask("UUU", "AbC")), "ABC");
  EXPECT_EQ(Display(Mask("###", "1a3")), "1__");
}

TEST(MaskData, ValuesDisplayAndStoreWithoutLiterals) {
  const struct {
    const char* mask;
    const char* value;
    const char* display;
    const char* data;
  } cases[] = {
      {"(###) ###-####", "1234567890", "(123) 456-7890", "1234567890"},
      {"(###) ###-####", "123", "(123) ___-____", "123"},
      {"(###) ###-####", "1 3", "(1_3) ___-____", "1 3"},
      {"(###) ###-####", "12", "(12_) ___-____", "12"},
      {"(###) ###-####", "", "(___) ___-____", ""},
      {"###-####", "5551234", "555-1234", "5551234"},
  };
  for (const auto& c : cases) {
    CGXMaskData m = Mask(c.mask, c.value);
    EXPECT_EQ(Display(m), c.display) << c.value;
    EXPECT_EQ(Data(m), c.data) << c.value;
  }
  // Matching a text with its literals; a misfit is -1. Untrimmed data keeps the blanks.
  CGXMaskData m = Mask("###-####");
  EXPECT_EQ(m.SetDisplayString("555-1234"), 8);
  EXPECT_EQ(Data(m), "5551234");
  EXPECT_EQ(m.SetDisplayString("5551234"), -1);
  m.SetData("12");
  CString raw;
  m.GetData(raw, 0, -1, FALSE);
  EXPECT_EQ(raw, "12     ");
  m.GetData(raw, 4, 5, FALSE);
  EXPECT_EQ(raw, "  ");
  EXPECT_EQ(m.SetData("9", 8), -1);  // past the mask
}

TEST(MaskData, CaretPositions) {
  CGXMaskData m = Mask("(###) ###-####", "12");
  const struct {
    int pos, next, prev, end;
  } cases[] = {
      {-1, 1, -1, 0}, {0, 1, -1, 0}, {1, 2, -1, 1}, {3, 6, 2, 3}, {4, 6, 3, 3},
      {9, 10, 8, 3},  {13, -1, 12, 3}, {14, -1, 13, 3}, {20, -1, 13, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(m.NextEditPos(c.pos), c.next) << c.pos;
    EXPECT_EQ(m.PrevEditPos(c.pos), c.prev) << c.pos;
    EXPECT_EQ(m.EndOfInput(c.pos), c.end) << c.pos;
  }
  EXPECT_EQ(Mask("(###)").EndOfInput(4), 1);  // nothing typed: the first editable position
  EXPECT_EQ(Mask("(###)", "123").EndOfInput(5), 4);  // the last position is a literal
  EXPECT_EQ(Mask("###", "123").EndOfInput(3), 3);
}

TEST(MaskData, InsertAndDeleteShiftTheEditableCharacters) {
  const struct {
    const char* value;
    int pos;
    bool ok;
    const char* display;
  } inserts[] = {
      {"12", 2, true, "(1x2) ___-____"},
      {"123456", 3, true, "(12x) 345-6___"},
      {"1234567890", 1, false, "(123) 456-7890"},  // the last position is taken: no room
      {"1 3", 2, true, "(1x_) 3__-____"},
  };
  for (const auto& c : inserts) {
    CGXMaskData m = Mask("(###) ###-####", c.value);
    int next = -1;
    EXPECT_EQ(m.InsertAt(c.pos, "x", next) != FALSE, c.ok) << c.value;
    EXPECT_EQ(Display(m), c.display) << c.value;
  }
  const struct {
    const char* value;
    int end, start;
    const char* display;
  } deletes[] = {
      {"1234567890", 6, 3, "(124) 567-890_"},  // Backspace after the literals
      {"1234567890", 6, 1, "(456) 789-0___"},
      {"1234567890", 14, 0, "(___) ___-____"},
      {"1234567890", 5, 4, "(123) 456-7890"},  // literals only: nothing
      {"1234567890", 2, 5, "(123) 456-7890"},
      {"1234567890", 15, 1, "(123) 456-7890"},  // beyond the mask
  };
  for (const auto& c : deletes) {
    CGXMaskData m = Mask("(###) ###-####", c.value);
    m.DeleteRange(c.end, c.start);
    EXPECT_EQ(Display(m), c.display) << c.end << " " << c.start;
  }
}

TEST(MaskData, PromptsAndValidity) {
  CGXMaskData m = Mask("(###)", "1");
  EXPECT_FALSE(m.SetPrompt("ab", TRUE));  // two single-byte characters: the old prompt stays
  EXPECT_EQ(Display(m), "(1__)");
  EXPECT_TRUE(m.SetPrompt("*", TRUE));
  EXPECT_EQ(Display(m), "(1**)");
  EXPECT_EQ(Data(m), "1");
  EXPECT_TRUE(m.IsDataValid());
  EXPECT_TRUE(m.SetPrompt("", FALSE));  // empty is the default
  EXPECT_EQ(m.GetPrompt(), "_");
  EXPECT_FALSE(m.IsDataValid());  // '*' is no digit any more
  EXPECT_EQ(m.SetDisplayString("(1x3)"), -1);
  // Free text: the length limit holds while there is no mask.
  CGXMaskData free;
  free.SetMaxLength(5);
  EXPECT_EQ(free.SetDisplayString("abcdefg"), 5);
  EXPECT_EQ(Display(free), "abcde");
  int next = 0;
  EXPECT_FALSE(free.InsertAt(2, "x", next));
  free.DeleteRange(3, 1);
  EXPECT_TRUE(free.InsertAt(1, "x", next));
  EXPECT_EQ(Data(free), "axde");
  EXPECT_EQ(free.EndOfInput(9), 4);
  free.SetMask("");
  EXPECT_EQ(free.GetMaxLength(), 0x7FFFFFFF);
}

TEST(MaskData, DoubleByteCharactersArePositions) {
  DoubleByte dbcs;
  // A double-byte literal, a full-width digit position and a case-converting letter.
  CGXMaskData m = Mask("\x82\xa0#U");
  EXPECT_EQ(m.GetDataCount(), 3);
  EXPECT_TRUE(m.IsLiteral(0));
  EXPECT_EQ(m.SetData("\x82\x4f\x82\x81"), 3);  // full-width 0 and a
  EXPECT_EQ(Display(m), "\x82\xa0\x82\x4f\x82\x60");  // a turns into A
  const struct {
    int pos, offset;
  } cases[] = {{-1, -1}, {0, 0}, {1, 2}, {2, 4}, {3, 6}};
  for (const auto& c : cases) {
    EXPECT_EQ(m.PosToOffset(c.pos), c.offset);
    EXPECT_EQ(m.OffsetToPos(c.offset), c.pos);
  }
  CString ch("\x82\x4f");
  EXPECT_FALSE(m.IsValidInput(2, ch));  // a digit is no letter
  EXPECT_TRUE(m.SetPrompt("\x81\x45", TRUE));
  EXPECT_FALSE(m.SetPrompt("\x81", TRUE));  // a lead byte alone
  m.SetData("");
  EXPECT_EQ(Display(m), "\x82\xa0\x81\x45\x81\x45");
  EXPECT_EQ(Data(m), "");
}

TEST(MaskData, BadMasksAndPositionsNeverCrash) {
  DoubleByte dbcs;
  const char* masks[] = {"\\", "\\\\\\", "\x82", "#\x82", "((((", "##", "", "\x82\xa0\\\x82\xa0"};
  std::string longMask(2000, '#');
  for (const char* mask : masks) {
    for (const std::string& m : {std::string(mask), std::string(mask) + longMask}) {
      CGXMaskData d;
      d.SetPrompt("\x81\x45", FALSE);
      d.SetMask(m.c_str());
      d.SetData("12\x82 ab\x82\x4f", -1, TRUE);
      const int count = d.GetDataCount();
      for (int p = -3; p < count + 3; p += (p > 5 && p < count - 5 ? 97 : 1)) {
        int next = 0;
        CString ch("7");
        d.IsValidInput(p, ch);
        d.InsertAt(p, "5", next);
        d.DeleteRange(p + 2, p);
        d.SetDisplayString("x", p, p & 1);
        d.SetData("9", p, p & 1);
        d.EndOfInput(p);
        d.PosToOffset(p);
        d.OffsetToPos(p);
        d.NextEditPos(p);
        d.PrevEditPos(p);
      }
      CString s;
      d.GetData(s, -5, 99999, TRUE);
      d.GetDisplayString(s, 7, 3);
      d.IsDataValid();
    }
  }
}

class MaskCell : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    ResetClipboard();
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 420, 200), nullptr, 0);
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                            CRect(0, 0, 420, 200), &parent, 5));
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(6);
    grid.GetParam()->GetData()->SetColCount(2);
    grid.SetColWidth(1, 2, 180);
    mask = dynamic_cast<CGXMaskControl*>(grid.GetRegisteredControl(52535));
    ASSERT_NE(mask, nullptr);
    grid.SetFocus();
    PumpMessages();
  }
  void TearDown() override {
    HoldKeys({});
    grid.DestroyWindow();
    parent.DestroyWindow();
    ResetClipboard();
  }
  void Put(ROWCOL r, const char* maskText, const char* value, const char* prompt = nullptr) {
    CGXStyle s;
    s.SetControl(52535).SetValue(value).SetUserAttribute(51023, maskText);
    if (prompt) s.SetUserAttribute(51024, prompt);
    grid.SetStyleRange(CGXRange().SetCellRange(r, 1, r, 1), &s);
  }
  // Each character typed on the keyboard, into whichever window has the focus.
  void Type(const char* text) { UiAutomation::TypeText(text); }
  // A click near the cell's right edge makes it current as a user does.
  bool Pick(ROWCOL r, ROWCOL c) {
    const CRect cell = grid.CalcRectFromRowCol(r, c);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(grid.m_hWnd, CPoint(cell.right - 3, cell.bottom - 3));
    return CurrentRowOf(grid) == r && CurrentColOf(grid) == c;
  }
  void Key(UINT vk, std::initializer_list<int> held = {}) {
    UINT mods = UiAutomation::kNone;
    for (int k : held) mods |= k == VK_SHIFT ? UiAutomation::kShift : k == VK_CONTROL ? UiAutomation::kControl : 0u;
    UiAutomation::PressKey(vk, mods);
  }
  std::string Shown() {
    CString t;
    mask->GetWindowText(t);
    return t.str();
  }
  int Caret() {
    int s = 0, e = 0;
    mask->GetSel(s, e);
    return s;
  }
  std::string Value(ROWCOL r) { return grid.GetValueRowCol(r, 1).str(); }

  CWnd parent;
  ZAZAzedAze grid;
  CGXMaskControl* mask = nullptr;
};

TEST_F(MaskCell, RegisteredWithItsAttributes) {
  CGXStylesMap* map = grid.GetParam()->GetStylesMap();
  ASSERT_NE(map, nullptr);
  CString name;
  EXPECT_TRUE(map->GetControlName(52535, name));
  EXPECT_EQ(name, "Masked Edit");
  CGXStylesMap attributes;
  GXGetLibraryData().m_pControlFactory->RegisterAllUserAttributes(&attributes);
  const struct {
    UINT id;
    const char* name;
  } attrs[] = {{51023, "Maskedit: Input Mask"}, {51024, "Maskedit: Prompt Char"}};
  for (const auto& a : attrs) {
    const auto* e = attributes.GetUserAttributeEntry(a.id);
    ASSERT_NE(e, nullptr) << a.id;
    EXPECT_EQ(e->strName, a.name);
  }
  EXPECT_TRUE(attributes.GetUserAttributeEntry(51023)->pStyle->GetWrapText());
  EXPECT_TRUE(attributes.GetUserAttributeEntry(51023)->pStyle->GetAutoSize());
  EXPECT_EQ(attributes.GetUserAttributeEntry(51024)->pStyle->GetMaxLength(), 1);
  EXPECT_STREQ(mask->GetControlClassName(), "CGXMaskControl");
}

TEST_F(MaskCell, TypedDigitsFillTheGroupsAndStoreAlone) {
  Put(1, "(###) ###-####", "");
  ASSERT_TRUE(Pick(1, 1));
  EXPECT_EQ(Shown(), "(___) ___-____");
  Type("1234567890");
  EXPECT_TRUE(mask->IsActive());
  EXPECT_EQ(::GetFocus(), mask->m_hWnd);
  EXPECT_EQ(Shown(), "(123) 456-7890");
  EXPECT_EQ(Caret(), 14);
  Type("5");  // insert mode: no room left
  EXPECT_EQ(Shown(), "(123) 456-7890");
  Key(VK_HOME);
  EXPECT_EQ(Caret(), 1);
  Key(VK_INSERT);  // overwrite replaces the character at the caret
  EXPECT_FALSE(mask->GetInsertMode());
  Type("9");
  EXPECT_EQ(Shown(), "(923) 456-7890");
  Key(VK_INSERT);
  for (int i = 0; i < 2; ++i) Key(VK_RIGHT);
  EXPECT_EQ(Caret(), 6);  // the literals are stepped over
  Key(VK_BACK);           // removes the 3 before the literals, the rest moves back
  EXPECT_EQ(Shown(), "(924) 567-890_");
  EXPECT_EQ(Caret(), 3);
  Key(VK_END);
  EXPECT_EQ(Caret(), 13);
  Key(VK_DOWN);  // on the last line the grid takes the key and the value is stored
  EXPECT_EQ(Value(1), "924567890");
  EXPECT_FALSE(mask->IsActive());
}

TEST_F(MaskCell, EachMaskCharacterTakesItsClass) {
  const struct {
    const char* mask;
    const char* typed;
    const char* shown;
    const char* value;
  } cases[] = {
      {"LLL", "AbC", "abc", "abc"},  {"UUU", "AbC", "ABC", "ABC"}, {"??#", "a1b2", "ab2", "ab2"},
      {"\\##", "#5", "#5", "5"},      {"A-A", "x y", "x-_", "x"},   {"&&&", "%!", "%!_", "%!"},
  };
  ROWCOL row = 1;
  for (const auto& c : cases) {
    Put(row, c.mask, "");
    ASSERT_TRUE(Pick(row, 1));
    Type(c.typed);
    EXPECT_EQ(Shown(), c.shown) << c.mask;
    ASSERT_TRUE(Pick(row == 1 ? 2 : 1, 2));
    EXPECT_EQ(Value(row), c.value) << c.mask;
    row = row == 1 ? 2 : 1;
  }
}

TEST_F(MaskCell, PastedTextWithOrWithoutLiteralsGivesTheSameData) {
  for (ROWCOL r : {1, 2, 3}) Put(r, "###-####", "");
  const char* texts[] = {"555-1234", "5551234"};
  for (ROWCOL r : {1, 2}) {
    ASSERT_TRUE(ClipboardSetText(nullptr, texts[r - 1], std::strlen(texts[r - 1])));
    ASSERT_TRUE(Pick(r, 1));
    Key(VK_HOME);
    Key(VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(Shown(), "555-1234") << texts[r - 1];
  }
  // Copying a selection puts the characters without literals beside the text.
  Key(VK_HOME);
  Key(VK_END, {VK_SHIFT});
  Key('C', {VK_CONTROL});
  std::string text;
  ASSERT_TRUE(ClipboardGetText(nullptr, text));
  EXPECT_EQ(text, "555-1234");
  ASSERT_TRUE(::OpenClipboard(nullptr));
  HANDLE h = ::GetClipboardData(CGXMaskControl::GetMaskDataFormat());
  EXPECT_STREQ(h ? (const char*)GlobalLock(h) : "", "5551234");
  if (h) GlobalUnlock(h);
  ::CloseClipboard();
  ASSERT_TRUE(Pick(3, 1));
  Key(VK_HOME);
  Key('V', {VK_CONTROL});
  EXPECT_EQ(Shown(), "555-1234");
  // Text that fits neither way leaves the data as it was.
  ASSERT_TRUE(ClipboardSetText(nullptr, "abc", 3));
  Key(VK_HOME);
  Key(VK_INSERT, {VK_SHIFT});
  EXPECT_EQ(Shown(), "555-1234");
  ASSERT_TRUE(Pick(4, 1));
  for (ROWCOL r : {1, 2, 3}) EXPECT_EQ(Value(r), "5551234") << r;
}

TEST_F(MaskCell, InactiveCellsShowTheirValueThroughTheMask) {
  const struct {
    const char* mask;
    const char* value;
    const char* prompt;
    const char* shown;
  } cases[] = {
      {"(###) ###-####", "", nullptr, ""},  // an empty value shows nothing, not the mask
      {"(###) ###-####", "123", nullptr, "(123) ___-____"},
      {"(###) ###-####", "12", "*", "(12*) ***-****"},
      {"##", "1", "ab", "1_"},  // a refused prompt is the default one
      {"\\", "abc", nullptr, "abc"},
      {"##\\", "123", nullptr, "12"},
  };
  ROWCOL row = 1;
  for (const auto& c : cases) {
    Put(row, c.mask, c.value, c.prompt);
    CString shown;
    EXPECT_TRUE(mask->GetDisplayText(shown, row, 1, nullptr, &grid.LookupStyleRowCol(row, 1)));
    EXPECT_EQ(shown, c.shown) << c.mask << " " << c.value;
    ++row;
  }
  // Storing text into a cell that is not edited: with the literals or without them.
  for (const char* text : {"555-1234", "5551234"}) {
    Put(1, "###-####", "");
    EXPECT_TRUE(mask->StoreCellText(1, 1, text, 2, nullptr));
    EXPECT_EQ(Value(1), "5551234") << text;
  }
  Put(1, "(###) ###-####", "");
  Put(2, "(###) ###-####", "123");
  ASSERT_TRUE(Pick(5, 2));
  grid.Invalidate(FALSE);
  PumpMessages();
  SaveWindowImage(&grid, dravonix::test::OutputPath("grid_mask.png").c_str());
  // Dark text only in the cell that holds a value.
  auto dark = [&](ROWCOL r) {
    const CRect rect = grid.CalcRectFromRowCol(r, 1);
    for (int y = rect.top + 3; y < rect.bottom - 3; ++y)
      for (int x = rect.left + 3; x < rect.right - 3; ++x)
        if (GetRValue(GetWindowPixel(grid.m_hWnd, POINT{x, y})) < 80) return true;
    return false;
  };
  EXPECT_FALSE(dark(1));
  EXPECT_TRUE(dark(2));
}

TEST_F(MaskCell, DoubleByteCharactersTypeAsOnePosition) {
  DoubleByte dbcs;
  Put(1, "UUU", "");
  ASSERT_TRUE(Pick(1, 1));
  Type("\x82\x81\x82\x82\x82\x83");  // full-width a, b and c: each turns upper case
  EXPECT_EQ(Shown(), "\x82\x60\x82\x61\x82\x62");
  EXPECT_EQ(Caret(), 6);
  Key(VK_LEFT);
  EXPECT_EQ(Caret(), 4);
  Key(VK_BACK);
  EXPECT_EQ(Shown(), "\x82\x60\x82\x62_");
  EXPECT_EQ(Caret(), 2);
  ASSERT_TRUE(Pick(2, 2));
  EXPECT_EQ(Value(1), "\x82\x60\x82\x62");
}

TEST_F(MaskCell, NoMaskIsPlainTextUpToTheMaximumLength) {
  CGXStyle s;
  s.SetControl(52535).SetValue("").SetMaxLength(3);
  grid.SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 1), &s);
  ASSERT_TRUE(Pick(1, 1));
  Type("abcd");
  EXPECT_EQ(Shown(), "abc");
  Key(VK_HOME);
  Key(VK_INSERT);
  Type("X");  // overwriting keeps the rest of the text
  EXPECT_EQ(Shown(), "Xbc");
  EXPECT_EQ(Caret(), 1);
  Key(VK_DELETE);
  EXPECT_EQ(Shown(), "Xc");
  ASSERT_TRUE(Pick(2, 1));
  EXPECT_EQ(Value(1), "Xc");
}

TEST_F(MaskCell, DeleteClickSnapValidateAndReplaceAll) {
  Put(1, "(###) ###-####", "1234567890");
  ASSERT_TRUE(Pick(1, 1));
  Key(VK_DELETE);  // clears the inactive cell at once
  EXPECT_TRUE(mask->IsActive());
  EXPECT_EQ(Shown(), "(___) ___-____");
  mask->SetCurrentText("(1_3) ___-____");
  CString value;
  EXPECT_TRUE(mask->GetValue(value));
  EXPECT_EQ(value, "1 3");
  ASSERT_TRUE(Pick(2, 2));
  EXPECT_EQ(Value(1), "1 3");

  // A click behind the typed characters puts the caret just after them.
  Put(2, "(###) ###-####", "12");
  ASSERT_TRUE(Pick(2, 1));
  const CRect cell = grid.CalcRectFromRowCol(2, 1);
  CPoint at(-1, cell.CenterPoint().y);
  for (int x = cell.left; x < cell.right && at.x < 0; ++x)
    if (mask->CharFromPoint(CPoint(x, at.y)) == 11) at.x = x;
  ASSERT_GE(at.x, 0);
  UiAutomation::Click(grid.m_hWnd, at);
  EXPECT_TRUE(mask->IsActive());
  EXPECT_EQ(Caret(), 3);

  // Characters moved into a position of another class fail the check when leaving.
  Put(3, "U#", "A1");
  ASSERT_TRUE(Pick(3, 1));
  Key(VK_END);
  Key(VK_LEFT);
  Key(VK_BACK);
  EXPECT_EQ(Shown(), "1_");
  EXPECT_FALSE(mask->OnValidate());
  mask->SetCurrentText("B2");
  EXPECT_TRUE(mask->OnValidate());

  const struct {
    const char* find;
    const char* replace;
    const char* value;
  } replaces[] = {{"55", "99", "9951234"}, {"-12", "", "55534"}, {"7", "0", nullptr}};
  GXFindReplaceState find;
  for (const auto& c : replaces) {
    Put(4, "###-####", "5551234");
    find.strFind = find.strFindUpper = c.find;
    find.strReplace = c.replace;
    EXPECT_EQ(mask->ReplaceAll(find, 4, 1) != FALSE, c.value != nullptr) << c.find;
    EXPECT_EQ(Value(4), c.value ? c.value : "5551234") << c.find;
  }
}

}  // namespace

namespace {

// Cells copied in the grid bring their text beside the grid's own format.
TEST_F(MaskCell, CopiedGridCellsPasteTheirTextIntoAnEditedCell) {
  for (ROWCOL r : {1, 2}) Put(r, "###-####", "");
  CGXStyle plain;
  plain.SetValue("5551234");
  grid.SetStyleRange(CGXRange().SetCellRange(4, 2, 4, 2), &plain);
  ASSERT_TRUE(Pick(4, 2));
  Key('C', {VK_CONTROL});
  ASSERT_TRUE(::IsClipboardFormatAvailable(GXGetLibraryData().m_nClipboardFormat));
  ASSERT_TRUE(Pick(1, 1));
  Key(VK_HOME);
  Key('V', {VK_CONTROL});
  EXPECT_EQ(Shown(), "555-1234");
  ASSERT_TRUE(Pick(2, 1));
  Key(VK_HOME);
  Key(VK_INSERT, {VK_SHIFT});
  EXPECT_EQ(Shown(), "555-1234");
  ASSERT_TRUE(Pick(3, 1));
  for (ROWCOL r : {1, 2}) EXPECT_EQ(Value(r), "5551234") << r;
}

}  // namespace
