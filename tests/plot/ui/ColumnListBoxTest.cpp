// Column list box and its header: sorting, deleting, resizing and the saved layout.
#include "platform/gdi/DC.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "plot/ui/ColumnListBox.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

int g_deleted = 0;

class CTextRow : public CCLObject {
 public:
  explicit CTextRow(const char* a, const char* b = "") : m_a(a), m_b(b) {}
  void OnDraw(CDC* dc, CColumnListBox* list, DRAWITEMSTRUCT* dis) override {
    CRect cell;
    list->DrawCol(dis->rcItem, 0, dc, &cell);
    dc->DrawText(m_a.c_str(), -1, &cell, DT_SINGLELINE | DT_VCENTER);
    list->DrawCol(dis->rcItem, 1, dc, &cell);
    dc->DrawText(m_b.c_str(), -1, &cell, DT_SINGLELINE | DT_VCENTER);
  }
  int OnCompare(CCLObject* other, int column, int descending, COMPAREITEMSTRUCT*) override {
    auto* o = static_cast<CTextRow*>(other);
    int r = column == 0 ? m_a.compare(o->m_a) : m_b.compare(o->m_b);
    r = r < 0 ? -1 : r > 0 ? 1 : 0;
    return descending ? -r : r;
  }
  void OnDelete(DELETEITEMSTRUCT*) override {
    ++g_deleted;
    delete this;
  }
  std::string m_a, m_b;
};

class CHeaderParent : public CWnd {
 public:
  std::vector<std::pair<WPARAM, LPARAM>> resized;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == CTabButton::WM_COLUMN_RESIZED) resized.push_back({w, l});
    return CWnd::WindowProc(msg, w, l);
  }
};

struct Lists {
  CHeaderParent parent;
  CTabButton header;
  CColumnListBox list;
  Lists() {
    parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_BTNFACE)), "", WS_POPUP | WS_VISIBLE,
                    CRect(0, 0, 320, 240), nullptr, 0);
    header.Create("Name\tValue\tUnit", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 0, 310, 20), &parent, 21);
    list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_OWNERDRAWFIXED | LBS_SORT | LBS_NOTIFY, CRect(10, 40, 310, 230),
                &parent, 22);
    const UINT pos[] = {400, 800, 1000};
    header.SetColumnsPos(3, pos);
    header.AttachList(&list);
  }
  ~Lists() { parent.DestroyWindow(); }
  std::string Order() {
    std::string s;
    for (int i = 0; i < list.GetCount(); ++i) s += static_cast<CTextRow*>(list.GetItem(i))->m_a;
    return s;
  }
};

TEST(ColumnList, SortingDeletingAndHeaderClicks) {
  Lists l;
  CRect hr;
  l.header.GetWindowRect(&hr);
  l.parent.ScreenToClient(&hr);
  EXPECT_EQ(CRect(10, 20, 310, 40), hr);  // moved onto the list
  l.list.Sort(255);
  for (const char* s : {"c", "a", "d", "b"}) l.list.AddItem(new CTextRow(s, s));
  EXPECT_EQ("cadb", l.Order());  // sort column 255: insertion order
  g_deleted = 0;
  l.list.SetCurSel(0);  // "c"
  EXPECT_EQ(1, l.list.Sort(0));
  EXPECT_EQ("abcd", l.Order());
  EXPECT_EQ(0, g_deleted);  // sorting deletes nothing
  EXPECT_EQ("c", static_cast<CTextRow*>(l.list.GetItem(l.list.GetCurSel()))->m_a);  // the selection follows its row

  // Three clicks on the second header column: ascending, descending, ascending.
  CPoint col1(l.header.GetColPos(0) * 300 / 1000 + 20, 10);
  std::vector<int> states;
  for (int i = 0; i < 3; ++i) {
    UiAutomation::Click(l.header.m_hWnd, col1);
    states.push_back(l.header.GetSortState());
  }
  EXPECT_EQ((std::vector<int>{1, 0x101, 1}), states);
  EXPECT_EQ(1, l.list.GetSortColumn());
  EXPECT_EQ("abcd", l.Order());

  l.list.DeleteItem(0u);
  EXPECT_EQ(1, g_deleted);
  EXPECT_EQ(nullptr, l.list.GetItem(7));
  CColumnListBox none;
  EXPECT_EQ(-1, none.AddItem(nullptr));
  EXPECT_EQ(0, none.Sort(0));
}

TEST(ColumnList, ResizingSeparatorsAndSavedLayout) {
  CWinApp app("PlotColumnListTest");
  std::filesystem::remove(app.GetProfile().GetProfileFile().str());
  Lists l;
  // Dragging the first boundary tells the parent the column and its new position.
  UiAutomation::Drag(l.header.m_hWnd, CPoint(120, 10), CPoint(150, 10));
  ASSERT_EQ(1u, l.parent.resized.size());
  EXPECT_EQ(21u, l.parent.resized[0].first);
  EXPECT_EQ((LPARAM)((0 << 16) | 500), l.parent.resized[0].second);
  EXPECT_EQ(500u, l.list.GetColPos(0));

  l.list.AddItem(new CTextRow("row", "1"));
  ASSERT_TRUE(SaveWindowImage(&l.parent, dravonix::test::OutputPath("plot/column-list.png").c_str()));
  CRect client;
  l.list.GetClientRect(&client);
  for (int c = 0; c < 2; ++c) {
    int x = MulDiv((int)l.list.GetColPos(c), client.Width(), 1000) + 1;
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), GetWindowPixel(l.list.m_hWnd, POINT{x, client.bottom - 5})) << c;
  }

  // A saved layout that does not rise is ignored; writing puts back the present one.
  app.WriteProfileInt("Grid", "Col0", 500);
  app.WriteProfileInt("Grid", "Col1", 400);
  app.WriteProfileInt("Grid", "Col2", 1000);
  app.WriteProfileInt("Grid", "SortCrt", 0x101);
  l.header.GetProfile("Grid");
  EXPECT_EQ(800u, l.header.GetColPos(1));
  EXPECT_EQ(0x101, l.header.GetSortState());
  EXPECT_EQ(1, l.list.IsDescending());
  l.header.WriteProfile("Grid");
  EXPECT_EQ(800u, app.GetProfileInt("Grid", "Col1", 0));
  EXPECT_EQ(0x101u, app.GetProfileInt("Grid", "SortCrt", 0));
  app.WriteProfileInt("Grid", "Col1", 700);
  l.header.GetProfile("Grid");
  EXPECT_EQ(700u, l.header.GetColPos(1));
}

// The header's texts are drawn in the font the button was given, as its dialog gives it one.
TEST(ColumnList, HeaderTextsTakeTheButtonsFont) {
  Lists l;
  l.header.SetWindowPos(nullptr, 0, 0, 300, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  auto textRows = [&] {
    UiAutomation::Pump();
    int rows = 0;
    for (int y = 2; y < 38; ++y) {
      bool ink = false;
      for (int x = 4; x < 110 && !ink; ++x) ink = GetWindowPixel(l.header.m_hWnd, POINT{x, y}) == RGB(0, 0, 0);
      rows += ink;
    }
    return rows;
  };
  CFont small, big;
  small.CreatePointFont(80, "Arial");
  big.CreatePointFont(200, "Arial");
  l.header.SetFont(&small);
  const int smallRows = textRows();
  l.header.SetFont(&big);
  const int bigRows = textRows();
  EXPECT_GT(smallRows, 0);
  EXPECT_GE(bigRows, 2 * smallRows);
}

}  // namespace

// A boundary dragged far past either neighbour, released outside the header, stops where the
// confined pointer does (2 pixels inside the neighbour, its last column on the right), whether the
// moves are read before the press confines the pointer or after.
TEST(ColumnList, ABoundaryDraggedPastItsNeighboursStopsWhereThePointerDoes) {
  const struct {
    int from, to;
    UINT first, second;
  } cases[] = {{120, -500, 6, 800}, {120, 900, 790, 800}, {240, -500, 400, 406}, {240, 900, 400, 990}};
  for (const auto& c : cases)
    for (bool queued : {true, false}) {
      Lists l;
      if (queued) {
        UiAutomation::Drag(l.header.m_hWnd, CPoint(c.from, 10), CPoint(c.to, 300));
      } else {
        for (auto [msg, pt] : {std::pair{WM_LBUTTONDOWN, CPoint(c.from, 10)}, {WM_MOUSEMOVE, CPoint(c.to, 10)},
                               {WM_LBUTTONUP, CPoint(c.to, 300)}}) {
          PostMouseInput(l.header.m_hWnd, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, POINT{pt.x, pt.y});
          UiAutomation::Pump();
        }
      }
      EXPECT_EQ(c.first, l.header.GetColPos(0)) << c.from << " " << c.to << " " << queued;
      EXPECT_EQ(c.second, l.header.GetColPos(1)) << c.from << " " << c.to << " " << queued;
    }
}
