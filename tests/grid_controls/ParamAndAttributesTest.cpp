// A grid given another parameter object while it runs, and the cell types' user attributes in the
// styles maps a grid makes.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProfile.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "grid/engine/ZAZAzedAze.h"
#include "tests/grid_engine/GridTestUtil.h"
#include "tests/support/GridWindow.h"
#include "platform/ui/MessageQueue.h"

#include <gtest/gtest.h>

#include <memory>

using gridtest::ProfileScope;

namespace {

class GridWindow {
 public:
  GridWindow() {
    OpenGridWindow(parent, grid, CRect(0, 0, 300, 200));
    grid.SetRowCount(5);
    grid.SetColCount(5);
  }
  ~GridWindow() {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  COLORREF TextColorOf(ROWCOL row, ROWCOL col) {
    CGXStyle* s = grid.CreateStyle();
    grid.ComposeStyleRowCol(row, col, s);
    const COLORREF c = s->GetTextColor();
    grid.RecycleStyle(s);
    return c;
  }
  CWnd parent;
  ZAZAzedAze grid;
};


// A complete parameter object whose standard style and headers write in their own colours.
CGXGridParam* ColouredParam(COLORREF standard, COLORREF headers) {
  auto* param = new CGXGridParam;
  auto* map = new CGXStylesMap;
  map->CreateStandardStyles();
  CGXStyle* s = nullptr;
  map->LookupStyle(map->GetStandardStyleId(), s);
  s->SetTextColor(standard);
  for (WORD id : {map->GetColHeaderStyleId(), map->GetRowHeaderStyleId()}) {
    map->LookupStyle(id, s);
    s->SetTextColor(headers);
  }
  param->SetStylesMap(map, TRUE);
  auto* props = new CGXProperties;
  props->AddDefaultUserProperties();
  param->SetProperties(props, TRUE);
  auto* data = new CGXData;
  data->SetRowCount(7);
  data->SetColCount(3);
  param->SetData(data, TRUE);
  return param;
}

}  // namespace

TEST(GridParamSwap, ARunningGridTakesItsStylesFromTheNewParameterObject) {
  GridWindow w;
  CGXGridCore& grid = w.grid;
  grid.m_posSelRange = grid.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetCellRange(1, 1, 2, 2)));
  const COLORREF fresh = w.TextColorOf(1, 1);
  struct Case {
    const char* what;
    CGXGridParam* param;  // null: the grid makes one
    BOOL own;
    COLORREF standard, headers;
  } cases[] = {
      {"owned and complete", ColouredParam(RGB(1, 2, 3), RGB(4, 5, 6)), TRUE, RGB(1, 2, 3), RGB(4, 5, 6)},
      {"made by the grid", nullptr, TRUE, fresh, fresh},
      {"shared", ColouredParam(RGB(7, 8, 9), RGB(10, 11, 12)), FALSE, RGB(7, 8, 9), RGB(10, 11, 12)},
      {"bare", new CGXGridParam, TRUE, fresh, fresh},
  };
  std::unique_ptr<CGXGridParam> shared(cases[2].param);
  for (const Case& c : cases) {
    grid.SetParam(c.param, c.own);
    CGXGridParam* param = grid.GetParam();
    ASSERT_NE(param, nullptr) << c.what;
    if (c.param) {
      EXPECT_EQ(param, c.param) << c.what;
    }
    ASSERT_NE(param->GetStylesMap(), nullptr) << c.what;
    ASSERT_NE(param->GetData(), nullptr) << c.what;
    EXPECT_EQ(w.TextColorOf(1, 1), c.standard) << c.what;
    EXPECT_EQ(w.TextColorOf(0, 1), c.headers) << c.what;
    EXPECT_EQ(w.TextColorOf(1, 0), c.headers) << c.what;
    // The selection of the old object is not the new one's.
    EXPECT_EQ(grid.m_posSelRange, nullptr) << c.what;
    int width = 0, height = 0;
    grid.RecalcCharSize(&width, &height);
    EXPECT_GT(width, 0) << c.what;
    w.grid.Invalidate();
    ::PumpMessages();
  }
  grid.SetParam(new CGXGridParam, TRUE);  // the shared one outlives the grid's use of it
}

TEST(GridUserAttributes, TheGridsStylesMapsKnowTheCellTypesAttributesAndKeepThemInTheProfile) {
  const struct {
    UINT id;
    const char* name;
    const char* value;
  } attrs[] = {
      {51019, "Checkbox: Checked Value", "yes"},
      {51020, "Checkbox: Unchecked Value", "no"},
      {51023, "Maskedit: Input Mask", "(###) ###-####"},
      {51024, "Maskedit: Prompt Char", "*"},
  };
  for (bool registry : {false, true}) {
    ProfileScope scope(registry ? "GridUserAttrReg" : "GridUserAttrIni", registry);
    CGXStyle phone;
    phone.SetValue("0");
    for (const auto& a : attrs) phone.SetUserAttribute(a.id, a.value);
    {
      GridWindow first;
      CGXStylesMap* map = first.grid.GetParam()->GetStylesMap();
      for (const auto& a : attrs) {
        const auto* e = map->GetUserAttributeEntry(a.id);
        ASSERT_NE(e, nullptr) << a.id;
        EXPECT_EQ(e->strName, a.name);
      }
      // One style through the profile with the grid's map.
      phone.WriteProfile("Cells.Phone", map);
      CGXStyle back;
      ASSERT_TRUE(back.ReadProfile("Cells.Phone", map));
      for (const auto& a : attrs) EXPECT_EQ(back.GetUserAttribute(a.id), a.value) << registry << " " << a.id;
      map->SetBaseStyleEntry(map->GetNextId(), phone, "Phone", 0, FALSE);
      map->WriteProfile();
    }
    // A new grid reads its base styles, attributes and all.
    GridWindow second;
    CGXStylesMap* map = second.grid.GetParam()->GetStylesMap();
    WORD id = 0;
    ASSERT_TRUE(map->LookupBaseStyleName("Phone", id)) << registry;
    CGXStyle* read = nullptr;
    ASSERT_TRUE(map->LookupStyle(id, read));
    for (const auto& a : attrs) EXPECT_EQ(read->GetUserAttribute(a.id), a.value) << registry << " " << a.id;
  }
}
