// The grid core: start-up, Initialize, ownership, read-only hints, style access and caches, and the
// cell-control base.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXLocale.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/SystemInfo.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/SurfaceProvider.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/SharedFile.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CTestGrid : public CGXGridCore {
 public:
  void SetCurrent(ROWCOL r, ROWCOL c) {
    m_nCurrentRow = r;
    m_nCurrentCol = c;
    m_bCurrentCellValid = TRUE;
  }
  void UpdateAllViews(CView*, LPARAM, CObject* pHint) override {
    if (auto* h = DYNAMIC_DOWNCAST(CGXGridHint, pHint)) hints.push_back(h->m_id);
  }
  using CGXGridCore::m_strWarningText;
  std::vector<UINT> hints;
};

class CEditingControl : public CGXControl {
 public:
  using CGXControl::CGXControl;
  void SetActive(BOOL b) override { active = b; }
  BOOL IsActive() override { return active; }
  void SetModify(BOOL b) override { modified = b; }
  BOOL GetModify() override { return modified; }
  void GetCurrentText(CString& t) override { t = text; }
  BOOL GetSelectedText(CString& t) override {
    t = text;
    return TRUE;
  }
  BOOL ReplaceSelectedText(LPCTSTR t) override {
    text = t;
    return TRUE;
  }
  BOOL active = FALSE, modified = FALSE;
  CString text;
};

class GridCore : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    Automation::Instance().Reset();
    ASSERT_TRUE(grid.Initialize());
  }
  void TearDown() override { Automation::Instance().Reset(); }
  CGXData& Data() { return *grid.GetParam()->GetData(); }
  void Put(ROWCOL r, ROWCOL c, const char* value, int type = 0) {
    CGXStyle s;
    s.SetValue(value);
    Data().StoreStyleAt(r, c, &s, 0, type);
  }
  CTestGrid grid;
};

}  // namespace

TEST(GridStartUp, RegistersOnceAndFillsTheColourCache) {
  GXTerminateGridLibrary();
  CTestGrid early;
  EXPECT_THROW(
      {
        try {
          early.Initialize();
        } catch (CException* e) {
          const bool notSupported = e->IsKindOf(RUNTIME_CLASS(CNotSupportedException));
          e->Delete();
          if (notSupported) throw 1;
        }
      },
      int);
  GXStartGridLibrary();
  const UINT format = GXGetLibraryData().m_nClipboardFormat;
  EXPECT_NE(format, 0u);
  EXPECT_EQ(::RegisterClipboardFormat("Grid Styles"), format);
  for (const char* name : {"GXWND", "GXNDBLCLKSWND", "GxMdiFrame", "GXEDIT", "GXLISTBOX", "GXCOMBOBOX"}) {
    WNDCLASS wc{};
    EXPECT_TRUE(::GetClassInfo(AfxGetInstanceHandle(), name, &wc)) << name;
  }
  GXStartGridLibrary();  // a second start-up adds nothing
  EXPECT_EQ(GXGetLibraryData().m_nClipboardFormat, format);
  EXPECT_FALSE(GXGetLibraryData().m_bOldSystem);
  EXPECT_TRUE(GXGetLibraryData().m_bWin4);

  CGXSysColorCache& cache = GXGetSysColorCache();
  EXPECT_THROW(
      {
        try {
          cache.GetColor(-1);
        } catch (CException* e) {
          e->Delete();
          throw 1;
        }
      },
      int);
  INT indexes[2] = {30, 5};
  const COLORREF old[2] = {GetSysColor(30), GetSysColor(5)};
  const COLORREF fresh[2] = {RGB(1, 2, 3), RGB(4, 5, 6)};
  SetSysColors(2, indexes, fresh);
  EXPECT_EQ(cache.GetColor(30), fresh[0]);  // beyond the cache: at once
  EXPECT_EQ(cache.GetColor(5), old[1]);     // cached until refreshed
  cache.Refresh();
  EXPECT_EQ(cache.GetColor(5), fresh[1]);
  SetSysColors(2, indexes, old);
  cache.Refresh();
}

TEST_F(GridCore, InitializeAndOwnership) {
  CGXGridParam* param = grid.GetParam();
  ASSERT_TRUE(param && param->GetStylesMap() && param->GetProperties() && param->GetData());
  EXPECT_TRUE(param->m_bExtraFlag2);
  CGXData* data = param->GetData();
  grid.Initialize();  // creates nothing that exists
  EXPECT_EQ(param->GetData(), data);
  EXPECT_EQ(grid.GetParam(), param);

  // A shared block outlives the grid; an owned one dies with it.
  CGXGridParam shared;
  {
    CTestGrid other;
    other.SetParam(&shared, FALSE);
    ASSERT_TRUE(other.Initialize());
    EXPECT_TRUE(shared.GetStylesMap());
  }
  EXPECT_TRUE(shared.GetData());
}

TEST_F(GridCore, ReadOnlyAlwaysTellsTheOtherViews) {
  grid.m_bUpdateHints = TRUE;
  EXPECT_TRUE(grid.SetReadOnly(FALSE));
  EXPECT_TRUE(grid.SetReadOnly(TRUE));
  EXPECT_EQ(grid.hints, (std::vector<UINT>{21, 21}));
  EXPECT_TRUE(grid.IsReadOnly());
  CGXStyle s;
  s.SetValue("x");
  EXPECT_FALSE(grid.StoreStyleRowCol(1, 1, &s, 0));  // a locked read-only grid stores nothing
}

TEST_F(GridCore, HeadersComposeLettersNumbersAndBaseStyles) {
  Data().SetRowCount(20);
  Data().SetColCount(700);
  struct Case {
    ROWCOL row, col;
    const char* value;
  } cases[] = {{0, 1, "A"}, {0, 26, "Z"}, {0, 27, "AA"}, {0, 52, "AZ"}, {0, 53, "BA"},
               {0, 676, "YZ"}, {0, 677, "AAA"}, {12, 0, "12"}, {0, 0, ""}};
  for (const Case& c : cases) EXPECT_EQ(grid.LookupStyleRowCol(c.row, c.col).GetValue(), c.value) << c.col;
  Put(0, 5, "Own");
  grid.FreeObjectCache();
  EXPECT_EQ(grid.LookupStyleRowCol(0, 5).GetValue(), "Own");
  grid.GetParam()->m_bLetteredColHeaders = FALSE;
  EXPECT_EQ(grid.GetValueRowCol(0, 6), "");
  // Row, column and table styles come below the cell's own.
  CGXStyle rowStyle, tableStyle;
  rowStyle.SetHorizontalAlignment(2);
  tableStyle.SetHorizontalAlignment(1).SetVerticalAlignment(8);
  Data().StoreStyleAt(3, 0, &rowStyle, 0, -1);
  Data().StoreStyleAt(0, 0, &tableStyle, 0, -1);
  grid.FreeObjectCache();
  const CGXStyle& composed = grid.LookupStyleRowCol(3, 4);
  EXPECT_EQ(composed.GetHorizontalAlignment(), 2u);
  EXPECT_EQ(composed.GetVerticalAlignment(), 8u);
}

TEST_F(GridCore, ValuesStoresAndUndo) {
  Data().SetRowCount(50000);
  Data().SetColCount(3);
  // A base style that holds a value must not lend it to the next bare cell.
  CGXStylesMap* map = grid.GetParam()->GetStylesMap();
  CGXStyle base;
  base.SetValue("from base");
  map->SetBaseStyleEntry(map->GetNextId(), base, "WithValue", 0, FALSE);
  const WORD id = map->GetBaseStyleId("WithValue");
  CGXStyle cell;
  cell.SetBaseStyle(id);
  Data().StoreStyleAt(1, 1, &cell, 0);
  EXPECT_EQ(grid.GetValueRowCol(1, 1), "from base");
  EXPECT_EQ(grid.GetValueRowCol(2, 2), "");

  Put(2, 1, "a");
  Put(3, 1, "c");
  Put(3, 2, "d");
  CGXStyle v;
  v.SetValue("new");
  ASSERT_TRUE(grid.SetStyleRange(CGXRange().SetCellRange(2, 1, 3, 2), &v));
  EXPECT_EQ(grid.GetValueRowCol(3, 2), "new");
  ASSERT_TRUE(grid.Undo());  // every cell gets its own old style back
  std::string values;
  for (ROWCOL r : {2u, 3u})
    for (ROWCOL c : {1u, 2u}) values += grid.GetValueRowCol(r, c).str() + ",";
  EXPECT_EQ(values, "a,,c,d,");
  ASSERT_TRUE(grid.Redo());
  EXPECT_EQ(grid.GetValueRowCol(2, 1), "new");

  // A null entry of a style array removes the cell's style.
  CObArray arr;
  CGXStyle* kept = new CGXStyle;
  kept->SetValue("kept");
  arr.Add(kept);
  arr.Add(nullptr);
  ASSERT_TRUE(grid.SetStyleRange(CGXRange().SetCellRange(2, 1, 2, 2), nullptr, 2, 0, &arr));
  delete kept;
  EXPECT_EQ(grid.GetValueRowCol(2, 1), "kept");
  CGXStyle none;
  EXPECT_FALSE(Data().GetStyleAt(2, 2, none, 2));

  // Too large for the undo buffer: the question; Cancel changes nothing.
  Automation::Instance().PushMessageBoxAnswer(IDCANCEL);
  const size_t undoSteps = (size_t)grid.GetParam()->m_UndoList.GetCount();
  EXPECT_FALSE(grid.SetStyleRange(CGXRange().SetCellRange(1, 3, 40000, 3), &v));
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text,
            "Operation is too large for the undo buffer. Do you want to continue?");
  EXPECT_EQ(grid.GetValueRowCol(40000, 3), "");
  EXPECT_EQ((size_t)grid.GetParam()->m_UndoList.GetCount(), undoSteps);
}

TEST_F(GridCore, CachesShareObjectsAndTheCurrentCellStyle) {
  Data().SetRowCount(10);
  Data().SetColCount(10);
  CGXStyle bold;
  CGXFont font;
  font.SetFaceName("Arial").SetSize(10).SetWeight(700);
  bold.SetFont(font);
  Data().StoreStyleAt(1, 1, &bold, 0);
  Data().StoreStyleAt(2, 2, &bold, 0);
  CFont* a = grid.LookupFont(grid.LookupStyleRowCol(1, 1).GetFont());
  CFont* b = grid.LookupFont(grid.LookupStyleRowCol(2, 2).GetFont());
  ASSERT_TRUE(a);
  EXPECT_EQ(a, b);
  EXPECT_EQ(&grid.LookupStyleRowCol(1, 1), &grid.LookupStyleRowCol(1, 1));  // cached
  EXPECT_EQ(grid.LookupBrush(CGXBrushValue(0, RGB(1, 2, 3))), grid.LookupBrush(CGXBrushValue(0, RGB(1, 2, 3))));

  auto* control = new CEditingControl(&grid);
  grid.RegisterControl(52512, control);
  CGXStyle withControl;
  withControl.SetControl(52512).SetValue("v");
  Data().StoreStyleAt(3, 3, &withControl, 0);
  grid.SetCurrent(3, 3);
  grid.FreeObjectCache();
  grid.LookupStyleRowCol(3, 3);
  EXPECT_EQ(grid.m_pCurrentCellControl, control);
  EXPECT_EQ(&grid.LookupStyleRowCol(3, 3), grid.m_pCurrentCellStyle);  // the style its control edits
  EXPECT_EQ(grid.GetRegisteredControl(52512), control);
  EXPECT_EQ(grid.GetRegisteredControl(52530), grid.GetRegisteredControl(0));  // no cell type: the default
}

TEST_F(GridCore, ControlChoiceListsValidationAndCut) {
  CEditingControl control(&grid);
  CString text = "x";
  EXPECT_FALSE(control.GetChoiceListItem(text, "one\r\ntwo", 2));
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_TRUE(control.GetChoiceListItem(text, "one\rtwo\nthree", 2));
  EXPECT_EQ(text, "three");
  EXPECT_EQ(control.FindStringInChoiceList(text, "ra", "Normal\nRaised\nInset", FALSE), 1);
  EXPECT_EQ(text, "Raised");
  EXPECT_EQ(control.FindStringInChoiceList(text, "ra", "Normal\nRaised\nInset", TRUE), -1);
  EXPECT_TRUE(text.IsEmpty());
  const CGXStyle bare;
  EXPECT_FALSE(control.GetDisplayText(text, 1, 1, nullptr, &bare));

  Data().SetRowCount(5);
  Data().SetColCount(5);
  CGXStyle limits;
  limits.SetUserAttribute(51011, "10").SetUserAttribute(51013, "Too small");
  Data().StoreStyleAt(2, 2, &limits, 0);
  control.Init(2, 2);
  control.active = control.modified = TRUE;
  control.text = "9";
  EXPECT_FALSE(control.OnValidate());
  EXPECT_EQ(grid.m_strWarningText, "Too small");
  control.text = "10";
  EXPECT_TRUE(control.OnValidate());

  // Cut copies the active text as CF_TEXT and leaves no grid format behind.
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  CSharedFile stale;
  stale.Write("stale", 6);
  ::SetClipboardData(GXGetLibraryData().m_nClipboardFormat, stale.Detach());
  ::CloseClipboard();
  control.text = "cut me";
  ASSERT_TRUE(control.Cut());
  EXPECT_EQ(control.text, "");
  EXPECT_FALSE(::IsClipboardFormatAvailable(GXGetLibraryData().m_nClipboardFormat));
  ASSERT_TRUE(::OpenClipboard(nullptr));
  HANDLE h = ::GetClipboardData(CF_TEXT);
  ASSERT_TRUE(h);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(h)), "cut me");
  GlobalUnlock(h);
  ::CloseClipboard();
  control.active = FALSE;
  EXPECT_FALSE(control.Cut());  // an inactive control leaves it to the grid
}

TEST_F(GridCore, BadInputRaisesTheFrameworkExceptions) {
  auto kind = [](auto call) -> CRuntimeClass* {
    try {
      call();
    } catch (CException* e) {
      CRuntimeClass* cls = e->GetRuntimeClass();
      e->Delete();
      return cls;
    }
    return nullptr;
  };
  CEditingControl control(&grid);
  control.AddChild(new CGXStyle);
  EXPECT_EQ(control.GetCount(), 1);
  EXPECT_TRUE(control.GetChild(0));
  EXPECT_EQ(kind([&] { control.GetChild(-1); }), RUNTIME_CLASS(CInvalidArgException));
  EXPECT_EQ(kind([&] { control.GetChild(1); }), RUNTIME_CLASS(CInvalidArgException));
  EXPECT_EQ(kind([&] { grid.ChangeBaseStyle(999, CGXStyle()); }), RUNTIME_CLASS(CNotSupportedException));
  CGXGridCore bare;
  EXPECT_EQ(kind([&] { bare.GetStandardStyle(); }), RUNTIME_CLASS(CNotSupportedException));
  // A known base style changes and can be undone.
  CGXStyle blue;
  blue.SetTextColor(RGB(0, 0, 255));
  const WORD standard = grid.GetParam()->GetStylesMap()->GetStandardStyleId();
  ASSERT_TRUE(grid.ChangeBaseStyle(standard, blue));
  EXPECT_EQ(grid.GetStandardStyle().GetTextColor(), RGB(0, 0, 255));
  ASSERT_TRUE(grid.Undo());
  EXPECT_NE(grid.GetStandardStyle().GetTextColor(), RGB(0, 0, 255));
}

TEST(GridPlatform, SharedFileVersionAndLocale) {
  CSharedFile f;
  std::string big(5000, 'x');
  f.Write(big.data(), (UINT)big.size());
  EXPECT_EQ(f.GetLength(), 5000u);
  HGLOBAL h = f.Detach();
  ASSERT_TRUE(h);
  EXPECT_EQ(GlobalSize(h), 8192u);  // 4096-byte steps
  CSharedFile reader;
  reader.SetHandle(h, FALSE);
  char buf[4] = {};
  EXPECT_EQ(reader.Read(buf, 3), 3u);
  EXPECT_STREQ(buf, "xxx");
  reader.Close();  // borrowed: the block stays
  EXPECT_EQ(GlobalFree(h), nullptr);

  const DWORD v = GetVersion();
  EXPECT_GE(v & 0xFF, 4u);
  EXPECT_EQ(v & 0x80000000u, 0u);
  EXPECT_FALSE(IsDBCSLeadByte(0x81));

  struct Case {
    const char* picture;
    int order;
    BOOL fourDigits;
    char separator;
  } cases[] = {{"dd.MM.yyyy", 0, TRUE, '.'}, {"M/d/yy", 1, FALSE, '/'}, {"yyyy-MM-dd", 2, TRUE, '-'}};
  for (const Case& c : cases) {
    SetLocaleInfoForTesting(LOCALE_SSHORTDATE, c.picture);
    BOOL four = -1;
    char sep = 0;
    EXPECT_EQ(GXGetShortDateOrder(TRUE, &four, &sep), c.order) << c.picture;
    EXPECT_EQ(four, c.fourDigits) << c.picture;
    EXPECT_EQ(sep, c.separator) << c.picture;
  }
  SetLocaleInfoForTesting(LOCALE_STIME, "");
  EXPECT_EQ(GXGetTimeSeparator(TRUE), ':');
  SetLocaleInfoForTesting(LOCALE_STIME, ".");
  EXPECT_EQ(GXGetTimeSeparator(FALSE), ':');  // cached until refreshed
  EXPECT_EQ(GXGetTimeSeparator(TRUE), '.');
  SetLocaleInfoForTesting(LOCALE_STIME, nullptr);
  SetLocaleInfoForTesting(LOCALE_SSHORTDATE, nullptr);
  GXUpdateLocaleDateTimeSettings();
  EXPECT_EQ(GXGetShortDateOrder(FALSE, nullptr, nullptr), 1);
}

TEST_F(GridCore, FindReplaceKeysAndSizes) {
  Data().SetRowCount(10);
  Data().SetColCount(4);
  std::string longText;
  for (int i = 0; i < 400; ++i) longText += "ab ";
  Put(2, 2, longText.c_str());
  GXFindReplaceState find;
  find.strFind = "ab";
  find.strFindUpper = "AB";
  find.strReplace = "xyz";
  CEditingControl control(&grid);
  EXPECT_TRUE(control.FindText(find, 2, 2, FALSE, FALSE));
  grid.SetCurrent(2, 2);
  EXPECT_FALSE(control.FindText(find, 2, 2, FALSE, FALSE));  // the current cell only when asked
  EXPECT_TRUE(control.FindText(find, 2, 2, TRUE, FALSE));
  ASSERT_TRUE(control.ReplaceAll(find, 2, 2));  // 1,600 bytes: the result grows past 1,000
  EXPECT_EQ(grid.GetValueRowCol(2, 2).GetLength(), 1600);
  EXPECT_EQ(CString(grid.GetValueRowCol(2, 2).GetString(), 8), "xyz xyz ");
  EXPECT_FALSE(control.ReplaceAll(find, 3, 3));

  struct KeyRecorder : CGXControl {
    using CGXControl::CGXControl;
    BOOL OnGridKeyDown(UINT c, UINT, UINT) override { return log.push_back("down" + std::to_string(c)), TRUE; }
    BOOL OnGridChar(UINT c, UINT, UINT) override { return log.push_back("char" + std::to_string(c)), TRUE; }
    std::vector<std::string> log;
  } keys(&grid);
  // The dispatch's own table, message to handler: no window takes part.
  EXPECT_TRUE(keys.DispatchKeyMessage(WM_KEYDOWN, 37, 0));
  EXPECT_TRUE(keys.DispatchKeyMessage(WM_CHAR, 'a', 0));
  EXPECT_FALSE(keys.DispatchKeyMessage(WM_SYSKEYUP, 'a', 0));
  EXPECT_FALSE(keys.DispatchKeyMessage(WM_PAINT, 0, 0));
  EXPECT_EQ(keys.log, (std::vector<std::string>{"down37", "char97"}));

  // Sizes in pixels: stored thousandths of the character size.
  EXPECT_EQ(grid.GetRowHeight(0), 1400 * grid.m_nCharHeight / 1000);
  EXPECT_EQ(grid.GetColWidth(3), 10000 * grid.m_nCharWidth / 1000);
  GXSetBit(grid.GetParam()->m_abHiddenRows, 4, TRUE);
  EXPECT_EQ(grid.GetRowHeight(4), 0);
  EXPECT_EQ(grid.SumRowHeights(3, 5), 2 * grid.GetDefaultRowHeight());

  CGXRangeList ranges;
  EXPECT_TRUE(grid.CopyRangeList(ranges, TRUE));
  ASSERT_EQ(ranges.GetCount(), 1);
  EXPECT_TRUE(ranges.GetHead()->IsCellInRange(2, 2));
  grid.OnRecordNavigate(4, 0);  // a record number below 1 is the first record
  ROWCOL r, c;
  ASSERT_TRUE(grid.GetCurrentCell(r, c));
  EXPECT_EQ(r, 1u);
  grid.OnRecordNavigate(4, 99);
  grid.GetCurrentCell(r, c);
  EXPECT_EQ(r, 10u);
}

TEST(GridCoreAbort, EscWhileStoringRollsBackThePartDone) {
  GXStartGridLibrary();
  Clock::UseVirtualTime();
  Automation::Instance().Reset();
  // Each store takes 800 ms; the first one sees ESC typed.
  struct CSlowGrid : CTestGrid {
    BOOL StoreStyleRowCol(ROWCOL r, ROWCOL c, const CGXStyle* s, int mode, int type) override {
      if (stores++ == 0) PostKeyInput(WM_KEYDOWN, VK_ESCAPE, 1);
      Clock::Advance(800);
      return CTestGrid::StoreStyleRowCol(r, c, s, mode, type);
    }
    int stores = 0;
  } grid;
  // Keys reach the program only while one of its windows has the focus.
  CWnd focus;
  focus.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 60, 40), nullptr, 0);
  UiAutomation::Click(focus.m_hWnd, CPoint(10, 10));
  ASSERT_TRUE(grid.Initialize());
  CGXData& data = *grid.GetParam()->GetData();
  data.SetRowCount(3);
  data.SetColCount(3);
  CGXStyle old;
  old.SetValue("old");
  for (ROWCOL c = 1; c <= 3; ++c) data.StoreStyleAt(1, c, &old, 0);
  Automation::Instance().PushMessageBoxAnswer(IDRETRY);  // abort and undo what was done
  CGXStyle v;
  v.SetValue("new");
  EXPECT_FALSE(grid.SetStyleRange(CGXRange().SetCellRange(1, 1, 1, 3), &v));
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].type & MB_TYPEMASK, MB_ABORTRETRYIGNORE);
  std::string values;
  for (ROWCOL c = 1; c <= 3; ++c) values += grid.GetValueRowCol(1, c).str() + ",";
  EXPECT_EQ(values, "old,old,old,");
  EXPECT_TRUE(grid.GetParam()->m_UndoList.IsEmpty());
  focus.DestroyWindow();
  Automation::Instance().Reset();
  Clock::UseRealTime();
}

TEST_F(GridCore, SheetSwitchWaitsForAValidCell) {
  Data().SetRowCount(3);
  Data().SetColCount(3);
  auto* control = new CEditingControl(&grid);
  grid.RegisterControl(52512, control);
  CGXStyle limits;
  limits.SetControl(52512).SetUserAttribute(51011, "10").SetUserAttribute(51013, "Too small");
  Data().StoreStyleAt(2, 2, &limits, 0);
  grid.SetCurrent(2, 2);
  control->Init(2, 2);
  control->active = control->modified = TRUE;
  control->text = "9";
  EXPECT_TRUE(grid.CanSwitchSheet(TRUE));
  EXPECT_FALSE(grid.CanSwitchSheet());
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Too small");
  control->text = "10";
  EXPECT_TRUE(grid.CanSwitchSheet());
  EXPECT_FALSE(grid.GetParentTabWnd());
}

TEST_F(GridCore, BordersFramesAndHighlightedHeaders) {
  grid.GetParam()->m_bGridLinesRightBottom = TRUE;
  struct Case {
    const char* name;
    void (*setup)(CGXStyle&);
    BOOL frameAndLines;
    CRect inner;
  } cases[] = {
      {"lines only", [](CGXStyle&) {}, TRUE, CRect(10, 10, 49, 29)},
      {"no lines", [](CGXStyle&) {}, FALSE, CRect(10, 10, 50, 30)},
      {"3-D frame", [](CGXStyle& s) { s.SetDraw3dFrame(1); }, TRUE, CRect(11, 11, 48, 28)},
      {"left border 3", [](CGXStyle& s) { s.SetBorders(CGXStyle::sideLeft, CGXPenValue(0, 3, 0)); }, TRUE,
       CRect(13, 10, 49, 29)},
      {"null right pen", [](CGXStyle& s) { s.SetBorders(CGXStyle::sideRight, CGXPenValue(PS_NULL, 1, 0)); }, TRUE,
       CRect(10, 10, 50, 29)},
  };
  for (const Case& c : cases) {
    CGXStyle style;
    c.setup(style);
    RECT out;
    grid.ShrinkRectByBorders(&out, CRect(10, 10, 50, 30), style, c.frameAndLines);
    EXPECT_EQ(CRect(out), c.inner) << c.name;
  }
  SIZE grown;
  CGXStyle framed;
  framed.SetDraw3dFrame(2).SetBorders(CGXStyle::sideTop, CGXPenValue(0, 2, 0));
  grid.GrowSizeByBorders(&grown, 10, 10, framed);
  EXPECT_EQ(grown.cx, 13);  // frame 2 + right grid line
  EXPECT_EQ(grown.cy, 15);  // frame 2 + top border 2 + bottom grid line

  Data().SetRowCount(5);
  Data().SetColCount(5);
  grid.SetCurrent(3, 4);
  CEditingControl control(&grid);
  EXPECT_TRUE(control.IsHighlighted(3, 0));   // the current row's header
  EXPECT_TRUE(control.IsHighlighted(0, 4));   // the current column's header
  EXPECT_FALSE(control.IsHighlighted(2, 0));
  EXPECT_FALSE(control.IsHighlighted(3, 3));

  // The thick frame of the current cell: two pixels of black.
  CGXStyle thick;
  thick.SetValue("Thick Border.");
  grid.GetParam()->GetProperties()->AddUserProperty(51005, thick);
  grid.GetParam()->m_wShowCurrentCell = 0;
  CImageSurface surface(40, 40);
  CClientDC dc(&surface);
  control.DrawCurrentCellFrame(&dc, CRect(5, 5, 25, 25));
  EXPECT_EQ(surface.GetPixel(15, 6), RGB(0, 0, 0));
  EXPECT_EQ(surface.GetPixel(15, 7), RGB(255, 255, 255));
  EXPECT_EQ(surface.GetPixel(24, 15), RGB(0, 0, 0));
}

TEST_F(GridCore, RangeValueTextAndString) {
  Data().SetRowCount(5);
  Data().SetColCount(3);
  Put(1, 1, "old");
  ASSERT_TRUE(grid.SetRangeValueText(CGXRange().SetCellRange(1, 1, 2, 2), "0000"));
  ASSERT_TRUE(grid.SetRangeValueString(CGXRange().SetCellRange(3, 3, 3, 3), CString("????")));
  std::string values;
  for (ROWCOL r : {1u, 2u, 3u})
    for (ROWCOL c : {1u, 2u, 3u}) values += grid.GetValueRowCol(r, c).str() + ",";
  EXPECT_EQ(values, "0000,0000,,0000,0000,,,,????,");
  ASSERT_TRUE(grid.Undo());
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.GetValueRowCol(1, 1), "old");
  EXPECT_EQ(grid.GetValueRowCol(3, 3), "");
}

TEST_F(GridCore, PrintingOntoTheClientAreaKeepsTheScreensSizes) {
  const int height = grid.GetRowHeight(3), width = grid.GetColWidth(3);
  grid.SetPrinting(TRUE, TRUE);
  EXPECT_EQ(grid.GetRowHeight(3), height);
  EXPECT_EQ(grid.GetColWidth(3), width);
  grid.SetPrinting(FALSE, FALSE);
}
