// Password and progress cells in a grid window.
#include "grid/controls/GXEditControl.h"
#include "grid/controls/GXPasswordControl.h"
#include "grid/controls/GXProgressCtrl.h"
#include "grid/engine/GXGridCore.h"
#include "platform/ui/Clipboard.h"

#include "platform/ui/UiAutomation.h"
#include "tests/grid_controls/CellGridFixture.h"
#include "tests/support/TestKernel.h"

#include <algorithm>

namespace {

using PasswordCell = CellGrid;

// The spare flag word of the control base, which the password cell sets.
struct CPeekPassword : CGXPasswordControl {
  using CGXPasswordControl::CGXPasswordControl;
  int Flag() const { return m_nExtra; }
};
using ProgressCell = CellGrid;

class CDragCountingGrid : public CCellTestGrid {
 public:
  BOOL StartOleDrag(ROWCOL, ROWCOL) override {
    ++drags;
    return FALSE;
  }
  int drags = 0;
};
using PasswordActive = CellGridOf<CDragCountingGrid>;

// Ctrl+C and Ctrl+X in an active password cell put echo characters on the clipboard, as copying an
// inactive one does.
TEST_F(PasswordActive, CopyAndCutTakeEchoCharacters) {
  for (const UINT key : {(UINT)'C', (UINT)'X'}) {
    Put(52537, "abcdef");
    Store(1, 1);
    ASSERT_TRUE(grid.SetCurrentCell(2, 1));
    const CRect cell = grid.CalcRectFromRowCol(1, 1);
    Click(CPoint(cell.left + 4, cell.CenterPoint().y));
    auto* pw = dynamic_cast<CGXPasswordControl*>(Control(1, 1));
    ASSERT_TRUE(pw && pw->IsActive());
    pw->SetSel(1, 4);
    UiAutomation::PressKey(key, UiAutomation::kControl);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HGLOBAL data = ::GetClipboardData(CF_TEXT);
    const std::string copied = data ? static_cast<const char*>(::GlobalLock(data)) : "";
    if (data) ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ("***", copied) << key;
  }
}

// A press inside the selection drags an edit cell's text, never a password's.
TEST_F(PasswordActive, APressInTheSelectionStartsNoDrag) {
  const struct {
    UINT id;
    int drags;
  } cases[] = {{52512, 1}, {52537, 0}};
  for (const auto& c : cases) {
    Put(c.id, "abcdef");
    Store(1, 1);
    ASSERT_TRUE(grid.SetCurrentCell(2, 1));
    const CRect cell = grid.CalcRectFromRowCol(1, 1);
    Click(CPoint(cell.left + 4, cell.CenterPoint().y));
    auto* edit = dynamic_cast<CGXEditControl*>(Control(1, 1));
    ASSERT_TRUE(edit && edit->IsActive()) << c.id;
    edit->SetSel(0, -1);
    grid.drags = 0;
    CRect client;
    edit->GetClientRect(&client);
    UiAutomation::AdvanceClock(1000);  // not a double click with the click that activated it
    UiAutomation::Click(edit->m_hWnd, CPoint(4, client.Height() / 2));
    EXPECT_EQ(c.drags, grid.drags) << c.id;
  }
}

TEST_F(PasswordCell, ShowsAsterisksEchoesInTheWindowAndStoresTheRealText) {
  EXPECT_EQ(CPeekPassword(&grid, 15030).Flag(), 1);
  Put(52537, "abc");
  Store(1, 1);
  auto* pw = dynamic_cast<CGXPasswordControl*>(Control(1, 1));
  ASSERT_NE(pw, nullptr);
  CString shown;
  pw->GetDisplayText(shown, 1, 1, nullptr, &grid.LookupStyleRowCol(1, 1));
  EXPECT_EQ(shown.str(), "***");  // inactive, copied and printed alike
  Repaint();
  SaveWindowImage(&grid, dravonix::test::OutputPath("grid_password.png").c_str());

  const CRect cell = grid.CalcRectFromRowCol(1, 1);
  Click(CPoint(cell.left + 4, cell.CenterPoint().y));
  ASSERT_TRUE(pw->IsActive());
  EXPECT_EQ(pw->SendMessage(EM_GETPASSWORDCHAR), '*');
  EXPECT_EQ(pw->GetStyle() & (ES_PASSWORD | ES_MULTILINE), (DWORD)ES_PASSWORD);
  CString text;
  pw->GetWindowText(text);
  EXPECT_EQ(text.str(), "abc");
  Key(VK_END);
  UiAutomation::TypeText("d");
  Key(VK_DOWN);
  EXPECT_EQ(CurrentRow(), 2u);
  EXPECT_EQ(Value(1, 1), "abcd");
}

TEST_F(ProgressCell, BarWidthColoursAndStoredValues) {
  grid.SetColWidth(1, 1, 200);
  const COLORREF kBar = RGB(200, 0, 0), kBack = RGB(255, 255, 255);
  const struct {
    const char *lower, *upper, *value, *stored;
    int lastBar;  // the last pixel of the bar from the cell's left edge, -1 for none
  } cases[] = {
      {"0", "100", "50", "50", 99},   {"0", "100", "-5", "0", -1},    {"0", "100", "150", "100", 199},
      {"50", "50", "50", "50", -1},   {"100", "0", "50", "100", -1},  // bounds the wrong way: the lower wins
  };
  for (const auto& c : cases) {
    CGXStyle& s = Put(52536, c.value);
    s.SetUserAttribute(51025, c.lower).SetUserAttribute(51026, c.upper);
    s.SetTextColor(kBar).SetInterior(kBack);
    Store(1, 1);
    EXPECT_EQ(Value(1, 1), c.stored) << c.value;
    grid.SetCurrentCell(3, 3);
    Repaint();
    const CRect cell = grid.CalcRectFromRowCol(1, 1);
    const int y = cell.top + 3;
    if (c.lastBar >= 0) {
      EXPECT_EQ(Pixel(cell.left + c.lastBar, y), kBar) << c.value;
    }
    // Pixel 0 of an empty bar is the grid line before the cell.
    if (c.lastBar + 1 < cell.Width()) {
      EXPECT_EQ(Pixel(cell.left + std::max(c.lastBar + 1, 1), y), kBack) << c.value;
    }
    if (c.lastBar == 99) SaveWindowImage(&grid, dravonix::test::OutputPath("grid_progress.png").c_str());
  }
}

TEST_F(ProgressCell, CaptionNeedsOneIntegerConversionAndRoomInTheCell) {
  auto* bar = dynamic_cast<CGXProgressCtrl*>(grid.GetRegisteredControl(52536));
  ASSERT_NE(bar, nullptr);
  const struct {
    const char *format, *caption;
  } captions[] = {{"%d%%", "42%"}, {"%ld of 100", "42 of 100"}, {"%5.3i", "  042"}, {"%s", "%s"},
                  {"%d/%d", "%d/%d"}, {"%f", "%f"},              {"plain", "plain"}, {"%", "%"}};
  for (const auto& c : captions) {
    CGXStyle s;
    s.SetValue("42").SetUserAttribute(51027, c.format);
    CString text;
    bar->GetCaption(text, 1, 1, s);
    EXPECT_EQ(text.str(), c.caption) << c.format;
  }
  // The caption is drawn in the bar's colour over the rest, unless it is wider than the cell.
  const struct {
    int width;
    bool drawn;
  } widths[] = {{200, true}, {20, false}};
  for (const auto& w : widths) {
    grid.SetColWidth(1, 1, w.width);
    CGXStyle& s = Put(52536, "0");
    s.SetUserAttribute(51025, "0").SetUserAttribute(51026, "100").SetUserAttribute(51027, "%d percent done");
    s.SetTextColor(RGB(0, 0, 0)).SetInterior(RGB(255, 255, 255));
    Store(1, 1);
    Repaint();
    const CRect cell = grid.CalcRectFromRowCol(1, 1);
    int dark = 0;
    for (int y = cell.top; y < cell.bottom - 1; ++y)
      for (int x = cell.left; x < cell.right - 1; ++x) dark += Dark(Pixel(x, y));
    EXPECT_EQ(dark > 0, w.drawn) << w.width;
  }
}

}  // namespace
