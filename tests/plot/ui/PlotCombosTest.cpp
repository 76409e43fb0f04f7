// Colour and pen-style combos: items, selections and the drawn swatches and samples of open lists.
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "plot/ui/ColorCombo.h"
#include "plot/graph/ColorFactory.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ComboHost {
  CWnd parent;
  ComboHost() {
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 100), nullptr, 0);
  }
  ~ComboHost() { parent.DestroyWindow(); }
  void Make(CComboBox& c, UINT id) {
    c.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_VSCROLL, CRect(10, 10, 210, 400), &parent,
             id);
  }
  // The open list of a combo, painted.
  static HWND Open(CComboBox& c) {
    c.ShowDropDown(TRUE);
    HWND list = ::GetCapture();
    UiAutomation::Pump();
    return list;
  }
};

TEST(PlotCombos, ColourItemsSelectionsAndSwatches) {
  ComboHost h;
  CColorCombo all, scope;
  h.Make(all, 1);
  h.Make(scope, 2);
  all.LoadDefColors();
  scope.LoadScopeChannelColors();
  ASSERT_EQ(28, all.GetCount());
  for (int i = 0; i < 28; ++i) EXPECT_EQ(CColorFactory::colorTable[i], (COLORREF)all.GetItemData(i));
  ASSERT_EQ(26, scope.GetCount());
  for (int i = 0; i < 26; ++i) {
    COLORREF c = (COLORREF)scope.GetItemData(i);
    EXPECT_NE(CColorFactory::colorTable[20], c);
    EXPECT_NE(CColorFactory::colorTable[27], c);
  }
  EXPECT_EQ(0xFFFFFFFFu, all.GetSelectedColor());
  all.SelectColor(CColorFactory::colorTable[5]);
  EXPECT_EQ(CColorFactory::colorTable[5], all.GetSelectedColor());
  all.SelectColor(RGB(1, 2, 3));
  EXPECT_EQ(-1, all.GetCurSel());
  EXPECT_EQ(16, all.GetItemHeight(0));

  HWND list = ComboHost::Open(all);
  ASSERT_NE(nullptr, list);
  ASSERT_TRUE(SaveWindowImage(list, dravonix::test::OutputPath("plot/colour-combo-open.png").c_str()));
  CRect item;
  int shown = (int)::SendMessage(list, LB_GETTOPINDEX, 0, 0) + 1;
  ::SendMessage(list, LB_GETITEMRECT, (WPARAM)shown, (LPARAM)&item);
  EXPECT_EQ(16, item.Height());
  EXPECT_EQ(CColorFactory::colorTable[shown], GetWindowPixel(list, item.CenterPoint()));
  all.ShowDropDown(FALSE);
}

TEST(PlotCombos, PenStyleSamples) {
  ComboHost h;
  CPenStyleCombo styles;
  h.Make(styles, 3);
  styles.LoadDefStyle();
  ASSERT_EQ(5, styles.GetCount());
  EXPECT_EQ(-1, styles.GetSelectedStyle());
  styles.SelectStyle(3);
  EXPECT_EQ(3, styles.GetSelectedStyle());
  styles.SelectStyle(7);
  EXPECT_EQ(-1, styles.GetCurSel());
  EXPECT_EQ(-1, styles.GetSelectedStyle());

  styles.SetSample(RGB(255, 0, 0), 1);
  HWND list = ComboHost::Open(styles);
  ASSERT_TRUE(SaveWindowImage(list, dravonix::test::OutputPath("plot/pen-style-combo-open.png").c_str()));
  CRect item;
  ::SendMessage(list, LB_GETITEMRECT, 1, (LPARAM)&item);
  int y = item.bottom - 4 - (item.Height() - 8) / 2;
  std::string run;
  for (int x = item.left + 4; x < item.left + 4 + 36; ++x) run += GetWindowPixel(list, POINT{x, y}) == RGB(255, 0, 0) ? '#' : '.';
  EXPECT_EQ("############......############......", run);
  styles.ShowDropDown(FALSE);

  styles.SetSample(GetSysColor(COLOR_WINDOW), 1);  // drawn black
  list = ComboHost::Open(styles);
  ::SendMessage(list, LB_GETITEMRECT, 0, (LPARAM)&item);
  y = item.bottom - 4 - (item.Height() - 8) / 2;
  EXPECT_EQ(RGB(0, 0, 0), GetWindowPixel(list, POINT{item.left + 10, y}));
  styles.ShowDropDown(FALSE);
}

}  // namespace
