// The plot set-up and options sheets, driven through the automation interface.
#include "kernel/params/MC_Units.h"
#include "kernel/values/ConfigFile.h"
#include "platform/core/Automation.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "plot/graph/ColorFactory.h"
#include "plot/ui/OptionsSheet.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/support/DialogActs.h"
#include "tests/support/PostedGestures.h"
#include "tests/support/TabTo.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

using namespace graphtest;

namespace {

using Doc = SheetDoc;

template <class Page>
Page* ActivePage(CWnd* w) {
  return static_cast<Page*>(static_cast<CPropertySheet*>(w)->GetActivePage());
}

TEST(PlotSheets, SetupAssignsCurvesOnTheAddingRowAndKeepsLayouts) {
  CWinApp app("PlotSheetsTest");
  std::filesystem::remove(app.GetProfile().GetProfileFile().str());
  app.WriteProfileInt("PlotOptionGrid", "Col0", 300);
  app.WriteProfileInt("PlotOptionGrid", "Col1", 600);
  app.WriteProfileInt("PlotOptionGrid", "Col2", 1000);
  Doc d;
  COptionsSheet sheet(d.doc, nullptr, 0);
  CString caption;
  UiAutomation::AddModalLoopHandler("COptionsSheet", [&](CWnd* w) {
    w->GetWindowText(caption);
    auto* page = ActivePage<COptionsPage>(w);
    ASSERT_EQ(1, page->m_axisList.GetCount());
    EXPECT_EQ(0, page->m_axisList.GetCurSel());
    EXPECT_EQ(300u, page->m_axisHeader.GetColPos(0));
    EXPECT_EQ(3, page->m_availList.GetCount());
    for (int i = 0; i < 3; ++i) {
      if (page->m_availList.GetItemData(i) == 1) page->m_availList.SetCurSel(i);
    }
    DialogAutomation::ClickControl(page, 14004);
    EXPECT_EQ(2, page->m_axisList.GetCount());
    ASSERT_EQ(1, page->m_plot.GetSize());
    EXPECT_EQ(1u, page->m_plot.GetAt(0)->m_nYCurve);
    EXPECT_EQ(1, page->m_plot.GetAt(0)->m_nAxis);
    EXPECT_NE(0u, page->m_plot.GetAt(0)->m_crColor);
    EXPECT_EQ(0, d.plot->GetSize());  // the document waits for OK
    static_cast<CPropertySheet*>(w)->PressButton(PSBTN_OK);
  });
  EXPECT_EQ(IDOK, sheet.DoModal());
  EXPECT_EQ("Logger - Plot Setup", caption);
  ASSERT_EQ(1, d.plot->GetSize());
  EXPECT_EQ(1u, d.plot->GetAt(0)->m_nYCurve);
  EXPECT_EQ(300u, app.GetProfileInt("PlotOptionGrid", "Col0", 0));
  EXPECT_EQ(1000u, app.GetProfileInt("PlotOption1Variables", "Col0", 0));
}

// Curves added one by one take the palette's curve colours; a colour given back by a removed curve is
// the next one taken.
TEST(PlotSheets, CurvesAddedInTheSetupTakeThePalettesColours) {
  Doc d;
  CColorFactory::m_nColorIdx = 0;
  COptionsSheet sheet(d.doc, nullptr, 0);
  UiAutomation::AddModalLoopHandler("COptionsSheet", [&](CWnd* w) {
    auto* page = ActivePage<COptionsPage>(w);
    CRect item, row;
    page->m_availList.GetItemRect(1, &item);
    auto add = [&] { UiAutomation::DoubleClick(page->m_availList.m_hWnd, item.CenterPoint()); };
    for (int i = 0; i < 6; ++i) add();
    ASSERT_EQ(6, page->m_plot.GetSize());
    page->m_axisList.GetItemRect(0, &row);
    UiAutomation::Click(page->m_axisList.m_hWnd, row.CenterPoint());
    DialogAutomation::ClickControl(page, 14005);
    page->m_axisList.GetItemRect(5, &row);  // the adding row
    UiAutomation::Click(page->m_axisList.m_hWnd, row.CenterPoint());
    add();
    UiAutomation::PressKey(VK_RETURN);  // OK is the default button
  });
  EXPECT_EQ(IDOK, sheet.DoModal());
  std::vector<DWORD> colours;
  for (int i = 0; i < d.plot->GetSize(); ++i) colours.push_back(d.plot->GetAt(i)->m_crColor);
  // Red, yellow, sky and blue violet first, then palette entries 0 on, skipping yellow (entry 1).
  EXPECT_EQ(colours, (std::vector<DWORD>{0x00FFFF, 0xFFC000, 0xFF00C0, 0xFFFFFF, 0x00C0FF, 0x0000FF}));
  CColorFactory::m_nColorIdx = 0;
}

// The owner-drawn add button adds a curve at a click; Enter with the focus on it is the sheet's OK.
TEST(PlotSheets, EnterOnTheOwnerDrawnAddButtonIsTheSheetsOk) {
  Doc d;
  COptionsSheet sheet(d.doc, nullptr, 0);
  bool open = false;
  UiAutomation::AddModalLoopHandler("COptionsSheet", [&](CWnd* w) {
    auto* page = ActivePage<COptionsPage>(w);
    page->m_availList.SetCurSel(0);
    DialogAutomation::ClickControl(page, 14004);
    ASSERT_EQ(::GetDlgItem(page->m_hWnd, 14004), ::GetFocus());
    UiAutomation::PressKey(VK_RETURN);
    open = ::IsWindowVisible(w->m_hWnd);
    if (open) static_cast<CPropertySheet*>(w)->PressButton(PSBTN_CANCEL);
  });
  EXPECT_EQ(IDOK, sheet.DoModal());
  EXPECT_FALSE(open);
  EXPECT_EQ(1, d.plot->GetSize());
}

TEST(PlotSheets, OptionsUnitsSpreadRestrictedControlsAndCancel) {
  Doc d;
  d.Draw(0, 1, 1);
  d.Draw(2, 1, 1);
  d.Draw(0, 1, 2);
  for (int restricted : {0, 1}) {
    CExtrasSheet sheet(d.doc, nullptr, 0, restricted);
    CString caption;
    std::vector<BOOL> enabled;
    UiAutomation::AddModalLoopHandler("CExtrasSheet", [&](CWnd* w) {
      w->GetWindowText(caption);
      auto* page = ActivePage<CExtrasPage>(w);
      for (int id : {14000, 14008, 14001, 14005, 14009, 14004}) enabled.push_back(page->GetDlgItem(id)->IsWindowEnabled());
      if (!restricted) {
        EXPECT_TRUE(DialogAutomation::SelectItem(page, 14005, "km"));
      }
      static_cast<CPropertySheet*>(w)->PressButton(restricted ? PSBTN_CANCEL : PSBTN_OK);
    });
    EXPECT_EQ(restricted ? IDCANCEL : IDOK, sheet.DoModal());
    EXPECT_EQ("Logger - Plot Options", caption);
    if (restricted) {
      EXPECT_EQ(std::vector<BOOL>(6, FALSE), enabled);
    } else {
      EXPECT_EQ(std::vector<BOOL>(6, TRUE), enabled);
      // Same Y source and side: both change; the right-side curve keeps its unit.
      EXPECT_EQ("km", d.plot->GetAt(0)->m_strYUnit);
      EXPECT_EQ("km", d.plot->GetAt(1)->m_strYUnit);
      EXPECT_EQ("mm", d.plot->GetAt(2)->m_strYUnit);
    }
  }

  // Cancel writes nothing back.
  CExtrasSheet sheet(d.doc, nullptr, 0, 0);
  COLORREF before = d.plot->GetAt(0)->m_crColor;
  UiAutomation::AddModalLoopHandler("CExtrasSheet", [&](CWnd* w) {
    auto* page = ActivePage<CExtrasPage>(w);
    DialogAutomation::ClickControl(page, 14006);
    UiAutomation::PressKey(page->m_color.GetCurSel() > 0 ? VK_UP : VK_DOWN);
    UiAutomation::PressKey(VK_RETURN);
    EXPECT_NE(before, page->m_plot.GetAt(0)->m_crColor);
    static_cast<CPropertySheet*>(w)->PressButton(PSBTN_CANCEL);
  });
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_EQ(before, d.plot->GetAt(0)->m_crColor);
}

// The window a sheet is opened over: it shows what its owner last set, without being told.
class CBehindWnd : public CWnd {
 public:
  COLORREF m_colour = RGB(255, 255, 255);

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, m_colour);
  }
};

// F1, the only way to the sheets' help, opens each at its own topic; once a sheet ends, the window it
// was opened over is drawn afresh, showing what changed behind the sheet.
TEST(PlotSheets, F1OpensTheHelpAndTheEndRepaintsTheParent) {
  struct Row {
    const char* name;
    DWORD_PTR topic;
  };
  for (const Row& r : {Row{"COptionsSheet", 4140}, Row{"CExtrasSheet", 4141}}) {
    SCOPED_TRACE(r.name);
    Doc d;
    CBehindWnd parent;
    parent.CreateEx(0, AfxRegisterWndClass(0), "plot", WS_POPUP | WS_VISIBLE, CRect(0, 0, 700, 500), nullptr, 0);
    ::PumpMessages();
    Automation::Instance().ClearHelpCalls();
    UiAutomation::AddModalLoopHandler(r.name, [&](CWnd* w) {
      dravonix::test::PostGesture(::GetFocus(), dravonix::test::Gesture::kF1);
      UiAutomation::Pump();
      parent.m_colour = RGB(0, 0, 128);
      static_cast<CPropertySheet*>(w)->PressButton(PSBTN_OK);
    });
    INT_PTR ended = r.topic == 4140 ? COptionsSheet(d.doc, &parent, 0).DoModal() : CExtrasSheet(d.doc, &parent, 0, 0).DoModal();
    EXPECT_EQ(IDOK, ended);
    const auto help = Automation::Instance().HelpCalls();
    ASSERT_EQ(1u, help.size());
    EXPECT_EQ(r.topic, help[0].data);
    EXPECT_EQ(15u, help[0].command);
    EXPECT_EQ(GetKernelHelpFile(), CString(help[0].file.c_str()));
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(parent.m_hWnd));
    parent.DestroyWindow();
  }
}


// Every route of the set-up page to assigning, removing and titling, against its click route: what
// OK then leaves in the document's plot (curves as x:y/side, then the title).
TEST(PlotSheets, SetupRoutesStoreWhatTheirClicksStore) {
  using Act = std::function<void(COptionsPage*)>;
  auto item = [](CListBox& list, int row) {
    CRect r;
    list.GetItemRect(row, &r);
    return r.CenterPoint();
  };
  auto availRow = [](COptionsPage* p, DWORD curve) {
    for (int i = 0; i < p->m_availList.GetCount(); ++i)
      if (p->m_availList.GetItemData(i) == curve) return i;
    return -1;
  };
  // Speed chosen among the available curves, and axis row `row`, both by clicks.
  auto choose = [&](int row) {
    return [=](COptionsPage* p) {
      UiAutomation::Click(p->m_availList.m_hWnd, item(p->m_availList, availRow(p, 2)));
      UiAutomation::Click(p->m_axisList.m_hWnd, item(p->m_axisList, row));
    };
  };
  auto click = [](int id) { return [=](COptionsPage* p) { DialogAutomation::ClickControl(p, id); }; };
  auto space = [](int id) {
    return [=](COptionsPage* p) {
      ASSERT_TRUE(dravonix::test::TabTo(p->GetDlgItem(id)->m_hWnd)) << id;
      UiAutomation::PressKey(VK_SPACE);
    };
  };
  auto title = [](const char* text) { return [=](COptionsPage* p) { DialogAutomation::TypeInto(p, 14006, text); }; };
  auto key = [](UINT vk) { return [=](COptionsPage*) { UiAutomation::PressKey(vk); }; };
  const struct Row {
    const char* route;
    Act before, act;
    bool ok;  // then OK clicked
    const char* stored;
  } rows[] = {
      {"Y button clicked", choose(0), click(14004), true, "0:2/1 |"},
      {"Space on the Y button", choose(0), space(14004), true, "0:2/1 |"},
      {"X button clicked", choose(0), click(14014), true, "2:1/1 |"},
      {"Space on the X button", choose(0), space(14014), true, "2:1/1 |"},
      {"Y button clicked on the adding row", choose(1), click(14004), true, "0:1/1 0:2/1 |"},
      {"Space on the Y button on the adding row", choose(1), space(14004), true, "0:1/1 0:2/1 |"},
      {"available curve double-clicked", choose(1),
       [&](COptionsPage* p) { UiAutomation::DoubleClick(p->m_availList.m_hWnd, item(p->m_availList, availRow(p, 2))); },
       true, "0:1/1 0:2/1 |"},
      {"remove button clicked", choose(0), click(14005), true, "|"},
      {"Space on the remove button", choose(0), space(14005), true, "|"},
      {"axis row double-clicked", nullptr,
       [&](COptionsPage* p) { UiAutomation::DoubleClick(p->m_axisList.m_hWnd, item(p->m_axisList, 0)); }, true, "0:1/2 |"},
      {"title typed, OK clicked", title("Speed"), nullptr, true, "0:1/1 |Speed"},
      {"title typed, Enter", title("Speed"), key(VK_RETURN), false, "0:1/1 |Speed"},
      {"title typed, Escape", title("Speed"), key(VK_ESCAPE), false, "0:1/1 |"},
      // The sheet's Cancel gives the default look back to OK when a press takes the focus into the page.
      {"title typed, Tab onto Cancel, an axis row pressed, Enter", title("Speed"),
       [&](COptionsPage* p) {
         const HWND sheet = ::GetParent(p->m_hWnd);
         ASSERT_TRUE(dravonix::test::TabTo(::GetDlgItem(sheet, IDCANCEL)));
         UiAutomation::Click(p->m_axisList.m_hWnd, item(p->m_axisList, 0));
         EXPECT_EQ("1 ", dravonix::test::DefaultLook(sheet));
         UiAutomation::PressKey(VK_RETURN);
       },
       false, "0:1/1 |Speed"},
  };
  for (const Row& row : rows) {
    Doc d;
    d.Draw(0, 1, 1);
    COptionsSheet sheet(d.doc, nullptr, 0);
    UiAutomation::AddModalLoopHandler("COptionsSheet", [&](CWnd* w) {
      auto* page = ActivePage<COptionsPage>(w);
      if (row.before) row.before(page);
      if (row.act) row.act(page);
      // A route that ends the sheet by a key leaves nothing for OK to click.
      EXPECT_EQ(::IsWindow(w->m_hWnd) && ::IsWindowVisible(w->m_hWnd), row.ok) << row.route;
      if (row.ok && ::IsWindow(w->m_hWnd)) DialogAutomation::ClickControl(w, IDOK);
      if (::IsWindow(w->m_hWnd) && ::IsWindowVisible(w->m_hWnd)) static_cast<CPropertySheet*>(w)->PressButton(PSBTN_CANCEL);
    });
    sheet.DoModal();
    std::string stored;
    for (int i = 0; i < d.plot->GetSize(); ++i) {
      const CXYCurve* c = d.plot->GetAt(i);
      stored += std::to_string(c->m_nXCurve) + ":" + std::to_string(c->m_nYCurve) + "/" + std::to_string(c->m_nAxis) + " ";
    }
    stored += "|" + std::string(d.plot->m_strTitle);
    EXPECT_EQ(stored, row.stored) << row.route;
  }
}

}  // namespace
