// The cell types as a user meets them in a grid view of an MDI child: posted clicks, drags and
// keys, the values they leave and the picture against a full repaint after each.
#include "tests/grid_controls/CellScene.h"

#include <gtest/gtest.h>

using namespace dravonix::test;
using UiAutomation::kAlt;
using UiAutomation::kControl;

namespace {

class CClickCountView : public CGXGridView {
  DECLARE_DYNCREATE(CClickCountView)
 public:
  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override {
    ++clicks;
    CGXGridView::OnClickedButtonRowCol(nRow, nCol);
  }
  int clicks = 0;
};
IMPLEMENT_DYNCREATE(CClickCountView, CGXGridView)

CGXStyle Cell(UINT control, const char* value, const char* choices = nullptr) {
  CGXStyle s;
  s.SetControl(control).SetValue(value);
  if (choices) s.SetChoiceList(choices);
  return s;
}

// A row's action on the scene of its test.
#define ACT(body) [&](CellScene&) { body; }

TEST(ReachedCells, StaticTextIsShownNeverEdited) {
  CellScene s;
  s.Put(1, 1, Cell(52513, "left"));
  s.Put(2, 1, Cell(52513, "right").SetHorizontalAlignment(DT_RIGHT));
  s.Put(3, 1, Cell(52513, "a long text wrapped over lines").SetWrapText(TRUE));
  ExpectRows(s, {
                    {"click", ACT(s.Click(1, 1)), 1, 1, "left", "1,1"},
                    {"typing", ACT(s.Type("xy")), 1, 1, "left", "1,1"},
                    {"down onto right", ACT(s.Key(VK_DOWN)), 2, 1, "right", "2,1"},
                    {"Delete clears", ACT(s.Key(VK_DELETE)), 2, 1, "", "2,1"},
                    {"down onto wrapped", ACT(s.Key(VK_DOWN)), 3, 1, "a long text wrapped over lines", "3,1"},
                    {"click away", ACT(s.Click(5, 3)), 3, 1, "a long text wrapped over lines", "5,3"},
                });
}

TEST(ReachedCells, ButtonChildrenClickOnPressReleaseOrSpace) {
  CellScene s(RUNTIME_CLASS(CClickCountView));
  auto& view = *static_cast<CClickCountView*>(s.grid);
  s.Put(1, 2, Cell(52514, "Press"));
  s.Put(2, 2, Cell(52519, "5"));
  s.Put(3, 2, Cell(52518, "spot"));
  auto clicks = [&](int n) { return [&view, n](CellScene&) { EXPECT_EQ(n, view.clicks); }; };
  const CPoint in = s.At(1, 2), out = s.At(4, 4);
  ExpectRows(s, {
                    {"push clicked", ACT(s.Click(1, 2)), 1, 2, "Press", "1,2"},
                    {"one click", clicks(1), 1, 2, nullptr},
                    {"released outside", ACT(s.Stroke({in, out})), 1, 2, nullptr, "1,2"},
                    {"still one", clicks(1), 1, 2, nullptr},
                    {"out and back", ACT(s.Stroke({in, out, in})), 1, 2, nullptr},
                    {"two", clicks(2), 1, 2, nullptr},
                    {"space", ACT(s.Key(VK_SPACE)), 1, 2, "Press"},
                    {"three", clicks(3), 1, 2, nullptr},
                    {"spin up", ACT(s.Click(2, 2, -8, 5)), 2, 2, nullptr, "2,2"},
                    {"stepped once", ACT(s.Key(VK_RETURN)), 2, 2, "6"},
                    {"spin down twice", ACT(s.Click(2, 2, -8, -5); s.Click(2, 2, -8, -5)), 2, 2, nullptr, "2,2"},
                    {"stepped twice", ACT(s.Click(5, 4)), 2, 2, "4", "5,4"},
                    {"pressed then out", ACT(s.Stroke({s.At(2, 2, -8, 5), out})), 2, 2, nullptr},
                    {"first step only", ACT(s.Click(5, 4)), 2, 2, "5", "5,4"},
                    {"hot spot", ACT(view.clicks = 0; s.Click(3, 2); s.Click(3, 2, -8, 7)), 3, 2, "spot", "3,2"},
                    {"hot spot reported", clicks(1), 3, 2, nullptr},
                });
}

TEST(ReachedCells, CheckBoxesToggleByClickAndSpace) {
  CellScene s;
  s.Put(1, 2, Cell(52516, "yes"));
  s.Put(2, 2, Cell(52516, "1").SetTriState(TRUE));
  s.Put(3, 2, Cell(52523, "0").SetReadOnly(TRUE));
  const CPoint box = s.At(1, 2, 9, 9), corner = s.At(1, 2, -5, -5);
  ExpectRows(s, {
                    {"click two-state", ACT(s.Click(1, 2, 9, 9)), 1, 2, "1", "1,2"},
                    {"again", ACT(s.Click(1, 2, 9, 9)), 1, 2, "0"},
                    {"space", ACT(s.Key(VK_SPACE)), 1, 2, "1"},
                    {"released outside", ACT(s.Stroke({box, corner})), 1, 2, "1"},
                    {"out and back", ACT(s.Stroke({box, corner, box})), 1, 2, "0"},
                    {"outside the box", ACT(s.Click(1, 2, -5, -5)), 1, 2, "0"},
                    {"tri-state", ACT(s.Click(2, 2, 9, 9)), 2, 2, "0", "2,2"},
                    {"to indeterminate", ACT(s.Click(2, 2, 9, 9)), 2, 2, ""},
                    {"to checked", ACT(s.Key(VK_SPACE)), 2, 2, "1"},
                    {"read-only clicked", ACT(s.Click(3, 2, 9, 9)), 3, 2, "0", "3,2"},
                    {"read-only space", ACT(s.Key(VK_SPACE)), 3, 2, "0", "3,2"},
                    {"header follows", ACT(s.Key(VK_UP); s.Key(VK_RIGHT)), 2, 3, "", "2,3"},
                });
}

}  // namespace
