// The plot options page walked at random with a user's keys and clicks: rows of the curves list,
// entries of the colour, pen, width and unit lists dropped and clicked or stepped by keys, the grid box
// by click and Space, Tab and Shift+Tab, and OK or Cancel by click or key. A small model says what
// each curve and the plot hold; OK stores exactly that and Cancel nothing; the picture matches a full
// repaint after every step.
#include "kernel/params/MC_Units.h"
#include "platform/core/Clock.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "plot/ui/OptionsSheet.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace graphtest;
using namespace UiAutomation;

namespace {

enum : int {
  kCurves = 14003, kColor = 14006, kStyle = 14007, kWidth = 14010, kXUnit = 14004, kYUnit = 14005,
  kBackground = 14000, kAxis = 14008, kGrid = 14001
};

struct Curve {
  DWORD color;
  int style, width;
  std::string x, y;
  DWORD xc, yc;
  int side;
  bool operator==(const Curve& o) const {
    return color == o.color && style == o.style && width == o.width && x == o.x && y == o.y;
  }
};
struct Held {
  std::vector<Curve> curves;
  DWORD background, axis;
  int grid;
  bool operator==(const Held& o) const {
    return curves == o.curves && background == o.background && axis == o.axis && grid == o.grid;
  }
};

std::string Show(const Held& h) {
  std::string s;
  for (const Curve& c : h.curves)
    s += std::to_string(c.color) + "/" + std::to_string(c.style) + "/" + std::to_string(c.width) + "/" + c.x + "/" + c.y + " ";
  return s + std::to_string(h.background) + " " + std::to_string(h.axis) + " " + std::to_string(h.grid);
}

Held Read(const CGraphFilter& plot) {
  Held h{{}, plot.m_crBackground, plot.m_crAxis, plot.m_bGrid};
  for (int i = 0; i < plot.GetSize(); ++i) {
    const CXYCurve* c = plot.GetAt(i);
    h.curves.push_back({c->m_crColor, c->m_nPenStyle, c->m_nWidth, std::string(c->m_strXUnit), std::string(c->m_strYUnit),
                        c->m_nXCurve, c->m_nYCurve, c->m_nAxis});
  }
  return h;
}

// Two curves of one source on one side, one on the other side, one of another source.
struct CurvesDoc : SheetDoc {
  CurvesDoc() {
    for (auto [x, y, side] : {std::tuple{0, 1, 1}, {2, 1, 1}, {0, 1, 2}, {0, 2, 1}}) Draw(x, y, side, y == 1 ? "mm" : "m/s");
  }
};

class ExtrasPageWalk : public ::testing::Test {
 protected:
  void SetUp() override { Clock::UseVirtualTime(); }
  void TearDown() override {
    ClearModalLoopHandlers();
    Clock::UseRealTime();
  }
  std::string Walk(std::mt19937& rng, int steps);
};

std::string ExtrasPageWalk::Walk(std::mt19937& rng, int steps) {
  CurvesDoc d;
  const Held before = Read(*d.plot);
  Held m = before;
  int selected = 0;
  std::string trail;
  bool ok = false;
  CExtrasSheet sheet(d.doc, nullptr, 0, 0);
  AddModalLoopHandler("CExtrasSheet", [&](CWnd* w) {
    auto* page = static_cast<CPropertySheet*>(w)->GetActivePage();
    const HWND p = page->m_hWnd;
    auto ctl = [&](int id) { return ::GetDlgItem(p, id); };
    auto focusId = [&] { return ::GetFocus() && ::GetParent(::GetFocus()) == p ? ::GetDlgCtrlID(::GetFocus()) : 0; };
    // A unit chosen for a curve goes to every curve drawing the same source (Y: on the same side).
    auto unit = [&](bool y, int of, const std::string& text) {
      for (Curve& c : m.curves) {
        const Curve& s = m.curves[(size_t)of];
        if (y ? c.yc == s.yc && c.side == s.side : c.xc == s.xc) (y ? c.y : c.x) = text;
      }
    };
    // What choosing entry `i` of a list stores.
    auto choose = [&](int id, int i) {
      const HWND combo = ctl(id);
      const DWORD data = (DWORD)::SendMessage(combo, CB_GETITEMDATA, (WPARAM)i, 0);
      char text[64] = "";
      ::SendMessage(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
      Curve& c = m.curves[(size_t)selected];
      switch (id) {
        case kColor: c.color = data; break;
        case kStyle: c.style = i; break;
        case kWidth: c.width = i + 1; break;
        case kBackground: m.background = data; break;
        case kAxis: m.axis = data; break;
        default: {
          const bool y = id == kYUnit;
          std::string t = text;
          if (i == 0) t = std::string(CMC_Units::GetIUOfUnit(d.list.GetAt(y ? (int)c.yc : (int)c.xc)->m_strDisplayUnit));
          unit(y, selected, t);
        }
      }
    };
    auto select = [&](int row) {
      selected = row;
      // The curve shown again runs the Y unit's handler with the unit it shows.
      unit(true, row, m.curves[(size_t)row].y);
    };
    const int combos[] = {kColor, kStyle, kWidth, kXUnit, kYUnit, kBackground, kAxis};
    for (int step = 0; step < steps; ++step) {
      AdvanceClock(1000);
      const int f = focusId();
      std::string did;
      switch (rng() % 7) {
        case 0: {
          PressKey(VK_TAB, rng() % 2 ? kShift : kNone);
          did = "Tab";
          break;
        }
        case 1: {  // a row of the curves list
          const int row = (int)(rng() % m.curves.size());
          CRect r;
          ::SendMessage(ctl(kCurves), LB_GETITEMRECT, (WPARAM)row, (LPARAM)&r);
          select(row);
          Click(ctl(kCurves), r.CenterPoint());
          did = "row" + std::to_string(row);
          break;
        }
        case 2: case 3: {  // a list dropped and an entry clicked where it shows
          const int id = combos[rng() % 7];
          if (!::IsWindowEnabled(ctl(id))) {
            did = "-";
            break;
          }
          CRect r;
          ::GetClientRect(ctl(id), &r);
          Click(ctl(id), CPoint(r.right - 4, r.Height() / 2));
          const HWND list = ::GetCapture();
          if (!list) {
            ADD_FAILURE() << id << " did not drop";
            break;
          }
          CRect client, item;
          ::GetClientRect(list, &client);
          std::vector<int> shown;
          for (int i = 0; i < (int)::SendMessage(list, LB_GETCOUNT, 0, 0); ++i) {
            ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&item);
            if (item.top >= client.top && item.bottom <= client.bottom) shown.push_back(i);
          }
          if (shown.empty()) {
            PressKey(VK_ESCAPE);
            did = "-";
            break;
          }
          const int i = shown[rng() % shown.size()];
          ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&item);
          choose(id, i);
          Click(list, item.CenterPoint());
          did = "pick" + std::to_string(id) + ":" + std::to_string(i);
          break;
        }
        case 4: {  // a key on what has the focus
          static const UINT kKeys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_SPACE};
          const UINT vk = kKeys[rng() % 7];
          const int sign = vk == VK_UP || vk == VK_LEFT ? -1 : 1;
          const bool combo = std::find(std::begin(combos), std::end(combos), f) != std::end(combos);
          if (combo && vk != VK_SPACE) {
            const int n = (int)::SendMessage(ctl(f), CB_GETCOUNT, 0, 0), cur = (int)::SendMessage(ctl(f), CB_GETCURSEL, 0, 0);
            const int to = vk == VK_HOME ? 0 : vk == VK_END ? n - 1 : std::clamp(cur < 0 ? 0 : cur + sign, 0, n - 1);
            if (n > 0 && to != cur) choose(f, to);
          } else if (f == kCurves && vk != VK_SPACE) {
            const int n = (int)m.curves.size();
            const int to = vk == VK_HOME ? 0 : vk == VK_END ? n - 1 : std::clamp(selected + sign, 0, n - 1);
            if (to != selected) select(to);
          } else if (f == kGrid && vk == VK_SPACE) {
            m.grid = !m.grid;
          } else {
            did = "-";
            break;
          }
          PressKey(vk);
          did = std::to_string(f) + ":" + std::to_string(vk);
          break;
        }
        case 5: {
          m.grid = !m.grid;
          Click(ctl(kGrid), CPoint(5, 5));
          did = "grid";
          break;
        }
        default: {  // the sheet's tabs and caption are no part of it: a click on a label does nothing
          CRect r;
          ::GetClientRect(p, &r);
          Click(p, CPoint(r.right - 3, 3));
          did = "empty";
          break;
        }
      }
      Pump();
      if (did == "-") continue;
      trail += did + " ";
      auto* extras = static_cast<CExtrasPage*>(page);
      Held now = Read(extras->m_plot);
      now.background = (DWORD)::SendMessage(ctl(kBackground), CB_GETITEMDATA, ::SendMessage(ctl(kBackground), CB_GETCURSEL, 0, 0), 0);
      now.axis = (DWORD)::SendMessage(ctl(kAxis), CB_GETITEMDATA, ::SendMessage(ctl(kAxis), CB_GETCURSEL, 0, 0), 0);
      now.grid = ::IsDlgButtonChecked(p, kGrid) == BST_CHECKED;
      EXPECT_EQ(Show(now), Show(m)) << trail;
      EXPECT_EQ((int)::SendMessage(ctl(kCurves), LB_GETCURSEL, 0, 0), selected) << trail;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(w->m_hWnd)) << trail;
      if (::testing::Test::HasFailure()) break;
    }
    ok = rng() % 2;
    const int f = focusId();
    const bool keyEnds = f == kCurves || f == kGrid;  // a closed list would take Enter as its own
    if (rng() % 2 && (keyEnds || !ok)) {
      PressKey(ok ? VK_RETURN : VK_ESCAPE);
      trail += ok ? "Enter" : "Escape";
    } else {
      DialogAutomation::ClickControl(w, ok ? IDOK : IDCANCEL);
      trail += ok ? "OK" : "Cancel";
    }
  });
  EXPECT_EQ(ok ? IDOK : IDCANCEL, sheet.DoModal()) << trail;
  EXPECT_EQ(Show(Read(*d.plot)), Show(ok ? m : before)) << trail;
  return trail;
}

TEST_F(ExtrasPageWalk, EveryListHoldsWhatTheUserChoseAndOkStoresOnlyThat) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 90u);
  const int runs = getenv("WALK_RUNS") ? atoi(getenv("WALK_RUNS")) : 8;
  for (int run = 0; run < runs && !HasFailure(); ++run) Walk(rng, 25);
}

// Sequences the walk found, shrunk: the sideways arrows in the curves list and in a closed list.
TEST_F(ExtrasPageWalk, KeptSequences) {
  CurvesDoc d;
  std::vector<int> seen;
  CExtrasSheet sheet(d.doc, nullptr, 0, 0);
  AddModalLoopHandler("CExtrasSheet", [&](CWnd* w) {
    const HWND p = static_cast<CPropertySheet*>(w)->GetActivePage()->m_hWnd;
    CRect r;
    ::SendMessage(::GetDlgItem(p, kCurves), LB_GETITEMRECT, 2, (LPARAM)&r);
    Click(::GetDlgItem(p, kCurves), r.CenterPoint());
    for (UINT vk : {VK_RIGHT, VK_LEFT, VK_LEFT}) {
      PressKey(vk);
      seen.push_back((int)::SendDlgItemMessage(p, kCurves, LB_GETCURSEL, 0, 0));
    }
    AdvanceClock(1000);
    ::GetClientRect(::GetDlgItem(p, kWidth), &r);
    Click(::GetDlgItem(p, kWidth), CPoint(r.right - 4, r.Height() / 2));
    PressKey(VK_ESCAPE);
    PressKey(VK_RIGHT);
    seen.push_back(d.doc.GetAt(0) == nullptr ? -1 : static_cast<CExtrasPage*>(static_cast<CPropertySheet*>(w)->GetActivePage())->m_plot.GetAt(1)->m_nWidth);
    DialogAutomation::ClickControl(w, IDCANCEL);
  });
  sheet.DoModal();
  EXPECT_EQ(seen, (std::vector<int>{3, 2, 1, 2}));
}

}  // namespace
