// The setup editing page on the GUI module's template: bindings, hooks, sliders and spins, the CAN baud
// rate, the motor database and the restore on cancel.
#include "kernel/dialogs/MC_EditSetupDlg.h"
#include "platform/core/Exception.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "tests/setupdlg/SetupDlgSupport.h"
#include "tests/support/DialogActs.h"
#include "tests/support/TabTo.h"
#include "tests/support/WindowPicture.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

namespace {

const char* const kGuides[] = {"one", "two", nullptr};

class CProbePage : public CMC_EditSetupDlg {
 public:
  CProbePage(CMC_Setup& setup, CWnd* parent = nullptr)
      : CMC_EditSetupDlg(setup, 100, TRUE, const_cast<const char**>(kGuides), parent), m_user(setup) {
    m_user = *setup.FindParameter("Inom");
    AddParameterControls("Ipeak", 1000, 1001);
    AddParameterControls("NoSuchParameter", 1022, 0);
    AddUserParameterControls(&m_user, 1003, 1002);
    AddUserParameterControls(nullptr, 1003, 1002);
    AddCheckParameterControls("isMotorInertiaUnknown", 1004);
    AddSwitchParameterControls("TransmissionType", 1005);
    AddSwitchParameterControls("LoadSensorType", 1006, 1008);
    AddSwitchParameterControls("LoadSensorType", 1008, 1006);  // ignored
    // 0 .. 100 counts of 2000 per revolution, in rad/s.
    AddSliderParameterControls("MaxSpeed", 1010, 1011, 1012, 1013, 1014, 0, 100 * 31.415926535897933);
    InitializeMotorEditor();
    EnableCANSettings();
  }
  void OnChangedParameterValue(const char* name) override {
    m_hooks.push_back(std::string("value ") + name);
    CMC_EditSetupDlg::OnChangedParameterValue(name);
  }
  void OnChangedParameterUnit(const char* name) override { m_hooks.push_back(std::string("unit ") + name); }
  void OnRefreshParameterValue(const char* name) override { m_hooks.push_back(std::string("refresh ") + name); }

  double Lower() const { return m_arrSlider[0].lower; }
  double Upper() const { return m_arrSlider[0].upper; }
  using CMC_EditSetupDlg::EnableChild;
  using CMC_EditSetupDlg::EnableGroupControls;
  using CMC_EditSetupDlg::RefreshAllParameters;
  using CMC_EditSetupDlg::RefreshCheckParameterControls;
  using CMC_EditSetupDlg::SetButtonImage;
  using CMC_EditSetupDlg::SetChildIcon;
  using CMC_EditSetupDlg::SetChildText;

  CMC_Parameter m_user;
  std::vector<std::string> m_hooks;

 protected:
  BOOL OnInitDialog() override {
    for (int i = 0; i < 4; ++i) {
      int at = (int)SendDlgItemMessage(1005, CB_ADDSTRING, 0, (LPARAM)(std::string("T") + std::to_string(i)).c_str());
      SendDlgItemMessage(1005, CB_SETITEMDATA, (WPARAM)at, i);
    }
    return CMC_EditSetupDlg::OnInitDialog();
  }
};

// The value hooks only: focus changes add refresh hooks of their own.
std::vector<std::string> Values(const std::vector<std::string>& hooks) {
  std::vector<std::string> out;
  for (const std::string& h : hooks)
    if (h.rfind("value ", 0) == 0) out.push_back(h);
  return out;
}

std::string Text(CWnd* d, int id) {
  char buf[128] = "";
  ::GetDlgItemText(d->m_hWnd, id, buf, sizeof buf);
  return buf;
}

class EditSetupDlgTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    ClearBoxes();
  }
  void TearDown() override {
    DialogAutomation::ClearDialogHandlers();
    SetupTest::TearDown();
  }
  // Runs a probe page; `act` plays the user, then the page ends with `end`.
  INT_PTR Run(CProbePage& page, const std::function<void(CProbePage&)>& act, int end = IDOK) {
    DialogAutomation::AddDialogHandler(100, [&](CWnd*) {
      act(page);
      page.SendMessage(WM_COMMAND, end);
    });
    return page.DoModal();
  }
  double Value(const char* name) { return m_setup->FindParameter(name)->GetValue(); }
  void Spin(CProbePage& p, int id, int delta) {
    NMUPDOWN n{};
    n.hdr.hwndFrom = ::GetDlgItem(p.m_hWnd, id);
    n.hdr.idFrom = (UINT_PTR)id;
    n.hdr.code = (UINT)UDN_DELTAPOS;
    n.iDelta = delta;
    LRESULT r = p.SendMessage(WM_NOTIFY, (WPARAM)id, (LPARAM)&n);
    EXPECT_EQ(r, 1);
  }
  SetupPtr m_setup;
};

TEST_F(EditSetupDlgTest, ControlsShowTheParametersAndProgrammaticChangesWriteNothing) {
  CProbePage page(*m_setup);
  Run(page, [&](CProbePage& p) {
    EXPECT_EQ(Text(&p, 1000), "10");
    EXPECT_EQ(Text(&p, 1001), "A");
    EXPECT_EQ(Text(&p, 1002), "A");  // a static unit control shows the unit's name
    EXPECT_EQ(Text(&p, 1003), "4");
    EXPECT_EQ(Text(&p, 1007), "Encoder");
    EXPECT_TRUE(::IsDlgButtonChecked(p.m_hWnd, 1006));  // LoadSensorType 0 checks the first radio
    EXPECT_EQ(Text(&p, 10007), "one");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(p.m_hWnd, 10005)));
    p.RefreshAllParameters(FALSE);
    p.SetChildText(1000, "7");
    p.EnableChild(1000, FALSE, TRUE);
    EXPECT_EQ(Text(&p, 1000), "");
    EXPECT_EQ(m_setup->FindParameter("Ipeak")->GetValue(), 10);
    EXPECT_EQ(Values(p.m_hooks), std::vector<std::string>());
    EXPECT_TRUE(ThrowsInvalidArg([&] { p.RefreshCheckParameterControls(1); }));
    DialogAutomation::ClickControl(&p, 10006);
    EXPECT_EQ(Text(&p, 10007), "two");
    DialogAutomation::ClickControl(&p, 10006);  // disabled: the last text stays
    EXPECT_EQ(Text(&p, 10007), "two");
  });
}

TEST_F(EditSetupDlgTest, UserInputWritesAtOnceAndTheSameValueCallsNoHook) {
  CProbePage page(*m_setup);
  std::vector<std::string> afterSame;
  Run(page, [&](CProbePage& p) {
    p.EnableChild(1000, TRUE);
    DialogAutomation::TypeInto(&p, 1000, "7");
    EXPECT_EQ(Value("Ipeak"), 7);
    DialogAutomation::TypeInto(&p, 1000, "x");  // does not scan: kept as typed
    EXPECT_EQ(Value("Ipeak"), 7);
    p.SendMessage(WM_COMMAND, MAKEWPARAM(1000, EN_KILLFOCUS), (LPARAM)::GetDlgItem(p.m_hWnd, 1000));
    EXPECT_EQ(Text(&p, 1000), "7");
    DialogAutomation::SelectItem(&p, 1005, "T2");
    DialogAutomation::ClickControl(&p, 1008);
    DialogAutomation::ClickControl(&p, 1004);
    EXPECT_EQ(Value("TransmissionType"), 2);
    EXPECT_EQ(Value("LoadSensorType"), 2);
    EXPECT_EQ(Value("isMotorInertiaUnknown"), 1);
    afterSame = Values(p.m_hooks);
    DialogAutomation::SelectItem(&p, 1005, "T2");
    DialogAutomation::ClickControl(&p, 1008);
    p.SendMessage(WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), (LPARAM)::GetDlgItem(p.m_hWnd, 1004));
    p.SendMessage(WM_HSCROLL, TB_LINEDOWN, (LPARAM)::GetDlgItem(p.m_hWnd, 1010));
    EXPECT_EQ(Values(p.m_hooks), afterSame);
  });
  EXPECT_EQ(afterSame, (std::vector<std::string>{"value Ipeak", "value TransmissionType", "value LoadSensorType",
                                                 "value isMotorInertiaUnknown"}));
}

TEST_F(EditSetupDlgTest, SpinsNeverPassTheValueAndKeepAThousandthBetweenTheBounds) {
  CProbePage page(*m_setup);
  Run(page, [&](CProbePage& p) {
    // MaxSpeed is 3000 rpm: 10 counts, between 0 and 100.
    EXPECT_NEAR(p.Lower(), 0, 1e-9);
    EXPECT_NEAR(p.Upper(), 100, 1e-9);
    EXPECT_EQ(::SendDlgItemMessage(p.m_hWnd, 1010, TBM_GETPOS, 0, 0), 10);
    struct Step {
      int spin, delta;
      double lower, upper;
    } steps[] = {
        {1013, 1, 10, 100},     {1013, 1, 10, 100},       {1014, -1, 10, 55},   {1014, 0, 10, 55},
        {1014, -4, 10, 32.5},   {1014, -1, 10, 21.25},    {1014, -1, 10, 15.625}, {1014, -1, 10, 12.8125},
        {1014, -1, 10, 11.40625}, {1014, -1, 10, 10.703125}, {1014, -1, 10, 10.3515625},
    };
    for (const Step& s : steps) {
      Spin(p, s.spin, s.delta);
      EXPECT_NEAR(p.Lower(), s.lower, 1e-9) << s.spin << " " << s.upper;
      EXPECT_NEAR(p.Upper(), s.upper, 1e-9) << s.spin << " " << s.upper;
    }
    for (int i = 0; i < 20; ++i) Spin(p, 1014, -1);
    EXPECT_NEAR(p.Upper(), 10.001, 1e-9);  // never closer to the lower bound than 0.001
    for (int i = 0; i < 20; ++i) Spin(p, 1013, -1);
    EXPECT_EQ(p.Lower(), 0);  // widening stops at the parameter's minimum
    Spin(p, 1014, 1);
    EXPECT_NEAR(p.Upper(), 20.002, 1e-9);
    // Dragging the slider sets the value inside the bounds.
    ::SendDlgItemMessage(p.m_hWnd, 1010, TBM_SETPOS, TRUE, 50);
    p.SendMessage(WM_HSCROLL, TB_THUMBTRACK, (LPARAM)::GetDlgItem(p.m_hWnd, 1010));
    EXPECT_NEAR(m_setup->FindParameter("MaxSpeed")->GetValueInInternalUnit(), 10.001, 1e-4);
    EXPECT_EQ(p.m_hooks, (std::vector<std::string>{"value MaxSpeed", "refresh MaxSpeed"}));
  });
}

TEST_F(EditSetupDlgTest, SliderOfEqualBoundsUsesTheParameterLimitsAndSitsAtZero) {
  struct CFlat : CProbePage {
    explicit CFlat(CMC_Setup& s) : CProbePage(s) {
      m_arrSlider.clear();
      AddSliderParameterControls("Kp_speed", 1010, 1011, 0, 0, 0, 5, 5);
    }
  } page(*m_setup);
  Run(page, [&](CProbePage& p) {
    EXPECT_EQ(p.Lower(), 0);
    EXPECT_EQ(p.Upper(), 32767);
    EXPECT_EQ(::SendDlgItemMessage(p.m_hWnd, 1010, TBM_GETPOS, 0, 0), 2);  // 800 of 0..32767
  });
  m_setup->FindParameter("Kp_speed")->SetMaxInInternalUnit(0);
  CFlat flat(*m_setup);
  Run(flat, [&](CProbePage& p) { EXPECT_EQ(::SendDlgItemMessage(p.m_hWnd, 1010, TBM_GETPOS, 0, 0), 0); });
}

TEST_F(EditSetupDlgTest, UnitComboChangesTheUnitAndRewritesTheEdit) {
  CProbePage page(*m_setup);
  Run(page, [&](CProbePage& p) {
    DialogAutomation::SelectItem(&p, 1012, "rad/s");
    EXPECT_EQ(m_setup->FindParameter("MaxSpeed")->GetUnitName(), "rad/s");
    EXPECT_EQ(Text(&p, 1011).substr(0, 6), "314.15");
    // The press on the list takes the focus, which adds refresh hooks of its own.
    std::vector<std::string> hooks;
    for (const std::string& h : p.m_hooks)
      if (h.rfind("refresh ", 0) != 0) hooks.push_back(h);
    EXPECT_EQ(hooks, (std::vector<std::string>{"unit MaxSpeed"}));
  });
}

TEST_F(EditSetupDlgTest, BaudRatesOfVersionThreeStoreTheirCodes) {
  CProbePage page(*m_setup);
  std::vector<std::string> texts;
  Run(page, [&](CProbePage& p) {
    auto* combo = dynamic_cast<CComboBox*>(CWnd::FromHandlePermanent(::GetDlgItem(p.m_hWnd, 10021)));
    ASSERT_TRUE(combo);
    texts = ComboTexts(*combo);
    EXPECT_EQ(::SendDlgItemMessage(p.m_hWnd, 10021, CB_GETCURSEL, 0, 0), -1);  // 0x3273 is no version-3 code
    DialogAutomation::SelectItem(&p, 10021, "500 Kbps");
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(p.m_hWnd, 10022)));
  });
  EXPECT_EQ(texts, (std::vector<std::string>{"F/W default", "125 Kbps", "250 Kbps", "500 Kbps", "1 Mbps"}));
  EXPECT_EQ(m_setup->FindParameter("CBR_table")->GetValueInInternalUnit(), 0x3A73);
}

TEST_F(EditSetupDlgTest, CancelRestoresParametersAndMotorOptionsAfterAMotorWasWritten) {
  CProbePage page(*m_setup);
  ASSERT_EQ(page.GetMotorEditorMode(), 2);
  std::string firstText;
  EXPECT_EQ(Run(page, [&](CProbePage& p) {
              firstText = Text(&p, 10011);
              EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(p.m_hWnd, 10012)));
              EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(p.m_hWnd, 10013)));  // not the user database
              DialogAutomation::SelectItem(&p, 10010, "Linear");
              DialogAutomation::SelectItem(&p, 10011, "Numeric");
              EXPECT_EQ(Text(&p, 1000), "7.5");
              EXPECT_EQ(m_setup->GetOptionNoError("DatabaseName"), "Linear");
              EXPECT_EQ(m_setup->GetOptionNoError("MotorName"), "Numeric");
              DialogAutomation::TypeInto(&p, 1000, "8");
              EXPECT_EQ(Text(&p, 10011), "Numeric (modified)");
            }, IDCANCEL),
            IDCANCEL);
  EXPECT_EQ(firstText, "BLM-100 (modified)");  // the setup's 10 A differ from the motor's 12.5 A
  EXPECT_EQ(Value("Ipeak"), 10);
  EXPECT_EQ(Value("Inom"), 4);
  EXPECT_EQ(m_setup->GetOptionNoError("DatabaseName"), "Brushless");
  EXPECT_EQ(m_setup->GetOptionNoError("MotorName"), "BLM-100");
}

TEST_F(EditSetupDlgTest, WithoutReferenceMotorTheMotorControlsAreDisabled) {
  m_setup->ClearOption("ReferenceName");
  g_bShowErrors = FALSE;
  CProbePage page(*m_setup);
  EXPECT_EQ(page.GetMotorEditorMode(), 1);
  Run(page, [&](CProbePage& p) {
    for (int id : {10010, 10011, 10012, 10013}) EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(p.m_hWnd, id))) << id;
  });
  g_bShowErrors = TRUE;
  CProbePage shown(*m_setup);
  EXPECT_EQ(LastBox(), "This setup doesn't have a reference motor!\nThe motor database functionality will be disabled.");
}

TEST_F(EditSetupDlgTest, LoadingPostsToTheFrameAndHelpPostsItsCommand) {
  CFrameWnd* frame = new CFrameWnd;  // deletes itself when destroyed
  ASSERT_TRUE(frame->Create(nullptr, "frame"));
  HWND frameWnd = frame->m_hWnd;
  CProbePage page(*m_setup, frame);
  bool help = false;
  Run(page, [&](CProbePage& p) {
    p.SendMessage(WM_COMMAND, ID_DEFAULT_HELP);
    MSG m;
    help = ::PeekMessage(&m, p.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) && LOWORD(m.wParam) == 10024;
  });
  EXPECT_TRUE(help);
  MSG m;
  EXPECT_TRUE(::PeekMessage(&m, frameWnd, 6028, 6028, PM_REMOVE));
  EXPECT_EQ(m.wParam, 0u);
  frame->DestroyWindow();
}

TEST_F(EditSetupDlgTest, GroupControlsAndADCMaximum) {
  CProbePage page(*m_setup);
  Run(page, [&](CProbePage& p) {
    p.SetButtonImage(10012, "TEST_STOP_U");
    p.SetChildIcon(10007, "FAILED");
    EXPECT_NE(::SendDlgItemMessage(p.m_hWnd, 10012, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_NE(::SendDlgItemMessage(p.m_hWnd, 10007, STM_GETICON, 0, 0), 0);
    p.SetButtonImage(10012, "NO_SUCH_BITMAP");  // missing resources and controls are skipped
    p.SetChildIcon(4242, "FAILED");
    p.EnableGroupControls(1020, FALSE);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(p.m_hWnd, 1021)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(p.m_hWnd, 1022)));
  });
  struct Case {
    double resolution;
    DWORD max;
  } cases[] = {{1024, 65472}, {4096, 65520}, {0, 65472}, {-5, 65472}, {65536, 65535}};
  for (const Case& c : cases) {
    m_setup->FindParameter("ADCResolution")->SetValueInInternalUnit(c.resolution);
    EXPECT_EQ(Compute_ADCMaxValue(m_setup.get()), c.max) << c.resolution;
  }
  EXPECT_EQ(Compute_ADCMaxValue(nullptr), 65472u);
}

// A group box draws its frame and caption only: the controls inside keep their frames when the
// group is disabled with them, or when the group box alone is repainted.
TEST_F(EditSetupDlgTest, AGroupBoxLeavesWhatLiesInsideItAlone) {
  CProbePage page(*m_setup);
  int off[2] = {-1, -1};
  Run(page, [&](CProbePage& p) {
    p.EnableGroupControls(1020, FALSE);
    off[0] = dravonix::test::PixelsOffFullRepaint(p.m_hWnd);
    ::InvalidateRect(::GetDlgItem(p.m_hWnd, 1020), nullptr, TRUE);
    off[1] = dravonix::test::PixelsOffFullRepaint(p.m_hWnd);
  });
  EXPECT_EQ(off[0], 0);
  EXPECT_EQ(off[1], 0);
}

// The guideline buttons disable themselves at the first and the last text, by every route: the keys
// keep a control to go to.
TEST_F(EditSetupDlgTest, AGuidelineButtonThatDisablesItselfLeavesTheKeysAControl) {
  using namespace dravonix::test;
  CProbePage page(*m_setup);
  std::string lost;
  Run(page, [&](CProbePage& p) {
    for (Press by : {Press::Click, Press::Space, Press::Enter})
      for (int id : {10006, 10005}) {
        PressButton(::GetDlgItem(p.m_hWnd, id), by);
        if (::IsWindowEnabled(::GetDlgItem(p.m_hWnd, id)) || !KeysHaveAControl(p.m_hWnd))
          lost += std::to_string(id) + Name(by) + " ";
      }
  });
  EXPECT_EQ(lost, "");
}

TEST_F(EditSetupDlgTest, PageTemplatesComeFromTheModule) {
  std::vector<std::string> captions;
  DialogAutomation::AddDialogHandler("CMC_EditSetupDlg", [&](CWnd* d) {
    CString text;
    d->GetWindowText(text);
    captions.push_back(std::string(text));
    d->SendMessage(WM_COMMAND, IDCANCEL);
  }, false);
  auto run = reinterpret_cast<int (*)(CMC_Setup*, const char*)>(GetProcAddress(m_gui, "GuiStandIn_RunPage"));
  ASSERT_TRUE(run);
  EXPECT_EQ(run(m_setup.get(), "module"), IDCANCEL);
  EXPECT_EQ(run(m_setup.get(), "settings"), IDCANCEL);
  EXPECT_EQ(captions, (std::vector<std::string>{"Module page 14038", "Drive settings"}));
  CMC_EditSetupDlg missing(*m_setup, 14039);  // the kernel has 14039, the module does not
  EXPECT_EQ(missing.DoModal(), -1);
}

// The module's slider spans MaxSpeed's whole range, so 3000 rpm sits at the thumb's start: keys that
// cannot move the thumb at either end leave the value alone.
TEST_F(EditSetupDlgTest, SliderKeysAtItsEndsKeepTheValue) {
  using namespace UiAutomation;
  std::vector<std::string> seen;
  DialogAutomation::AddDialogHandler(100, [&](CWnd* d) {
    HWND slider = ::GetDlgItem(d->m_hWnd, 1010);
    CRect thumb;
    ::SendMessage(slider, TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
    Click(slider, thumb.CenterPoint());
    auto state = [&] {
      return std::to_string(::SendMessage(slider, TBM_GETPOS, 0, 0)) + " " + Text(d, 1011) + " " +
             std::to_string(m_setup->FindParameter("MaxSpeed")->GetValueInInternalUnit());
    };
    seen.push_back(state());
    for (UINT vk : {VK_LEFT, VK_UP, VK_PRIOR, VK_HOME, VK_END, VK_RIGHT, VK_NEXT, VK_END, VK_LEFT}) {
      PressKey(vk);
      seen.push_back(state());
    }
    d->SendMessage(WM_COMMAND, IDCANCEL);
  });
  auto run = reinterpret_cast<int (*)(CMC_Setup*, const char*)>(GetProcAddress(m_gui, "GuiStandIn_RunPage"));
  ASSERT_TRUE(run);
  run(m_setup.get(), "settings");
  const std::string low = "0 3000 10.000000", high = "100 9830400 32767.999985";
  EXPECT_EQ(seen, (std::vector<std::string>{low, low, low, low, low, high, high, high, high,
                                             "99 9732096 32440.319992"}));
}


// The page in a host's frame, driven only by posted mouse and key input: each row is what a user does
// to one control and what the setup holds after it; the picture must match a full repaint each time.
class PostedPageTest : public EditSetupDlgTest {
 protected:
  struct Row {
    std::string what;
    std::function<void()> act;
    std::function<std::string()> state;
    std::string expected;
  };
  HWND Ctl(int id) const { return ::GetDlgItem(m_page->m_hWnd, id); }
  // Tabs to the control, then presses the key there.
  void KeyIn(int id, UINT vk, UINT mods = UiAutomation::kNone) {
    EXPECT_TRUE(dravonix::test::TabTo(Ctl(id))) << id;
    UiAutomation::PressKey(vk, mods);
  }
  CPoint At(int id, int num = 1, int den = 2) const {
    CRect r;
    ::GetClientRect(Ctl(id), &r);
    return CPoint(r.Width() / 2, r.Height() * num / den);
  }
  // Clicks into an edit (or a combo's edit field), selects its text and types over it.
  void Retype(int id, const char* text) { Retype(Ctl(id), text); }
  static void Retype(HWND ctl, const char* text) {
    HWND edit = ::GetWindow(ctl, GW_CHILD) ? ::GetWindow(ctl, GW_CHILD) : ctl;
    CRect r;
    ::GetClientRect(edit, &r);
    UiAutomation::Click(edit, CPoint(2, r.Height() / 2));
    UiAutomation::PressKey(VK_HOME);
    UiAutomation::PressKey(VK_END, UiAutomation::kShift);
    UiAutomation::TypeText(text);
  }
  // Drops a combo with a click on its button and clicks the entry in the list.
  void Pick(int id, const char* entry) {
    CRect r;
    ::GetClientRect(Ctl(id), &r);
    UiAutomation::Click(Ctl(id), CPoint(r.right - 4, r.Height() / 2));
    HWND list = ::GetCapture();
    ::SendMessage(list, LB_GETITEMRECT, ::SendMessage(Ctl(id), CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)entry), (LPARAM)&r);
    UiAutomation::Click(list, r.CenterPoint());
  }
  double SliderPos() const { return (double)::SendMessage(Ctl(1010), TBM_GETPOS, 0, 0); }
  std::string Num(double v) const { return std::to_string((long long)v); }
  // The picture is compared after every `every`-th row and after the last.
  void Drive(const std::vector<Row>& rows, size_t every = 1) {
    CFrameWnd* frame = new CFrameWnd;  // deletes itself when destroyed
    ASSERT_TRUE(frame->Create(nullptr, "frame"));
    CProbePage page(*m_setup, frame);
    m_page = &page;
    Run(page, [&](CProbePage& p) {
      for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        row.act();
        UiAutomation::Pump();
        EXPECT_EQ(row.state(), row.expected) << row.what;
        if ((i + 1) % every == 0 || i + 1 == rows.size()) {
          EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(p.m_hWnd)) << row.what;
        }
      }
    });
    m_page = nullptr;
    frame->DestroyWindow();
  }
  CProbePage* m_page = nullptr;
};

TEST_F(PostedPageTest, EveryBindingTakesTheUsersInput) {
  using namespace UiAutomation;
  const std::vector<Row> rows = {
      {"type into the edit",
       [&] { Retype(1000, "7"); },
       [&] { return Num(Value("Ipeak")); }, "7"},
      {"arrow down in the switch list", [&] { KeyIn(1005, VK_DOWN); },
       [&] { return Num(Value("TransmissionType")); }, "1"},
      {"arrow down again", [&] { KeyIn(1005, VK_DOWN); },
       [&] { return Num(Value("TransmissionType")); }, "2"},
      {"click the last radio", [&] { Click(Ctl(1008), At(1008)); },
       [&] { return Num(Value("LoadSensorType")); }, "2"},
      {"type what does not scan, then click away",
       [&] {
         Retype(1000, "x");
         Click(Ctl(1008), At(1008));
       },
       [&] { return Text(m_page, 1000) + " " + Num(Value("Ipeak")); }, "7 7"},
      {"space on the check box", [&] { KeyIn(1004, VK_SPACE); },
       [&] { return Num(Value("isMotorInertiaUnknown")); }, "1"},
      {"arrow right on the slider", [&] { KeyIn(1010, VK_RIGHT); },
       [&] { return Num(m_setup->FindParameter("MaxSpeed")->GetValueInInternalUnit()); }, "11"},
      {"click the upper spin's up arrow",
       [&] { UiAutomation::Click(Ctl(1014), At(1014, 1, 4)); },
       [&] { return Num(m_page->Upper()) + " " + Num(SliderPos()); },
       "200 5"},
      {"click the lower spin's up arrow",
       [&] { UiAutomation::Click(Ctl(1013), At(1013, 1, 4)); },
       [&] { return std::to_string(m_page->Lower()) + " " + Num(SliderPos()); },
       "11.000000 0"},
      {"arrow down in the unit list", [&] { KeyIn(1001, VK_DOWN); },
       [&] { return Text(m_page, 1000) + " " + Text(m_page, 1001); }, "7e+003 mA"},
      {"drop the switch list, arrow up, Enter",
       [&] {
         KeyIn(1005, VK_DOWN, kAlt);
         PressKey(VK_UP);
         PressKey(VK_RETURN);
       },
       [&] { return Num(Value("TransmissionType")); }, "1"},
      {"drop the slider's unit list and click an entry",
       [&] { Pick(1012, "rad/s"); },
       [&] { return std::string(m_setup->FindParameter("MaxSpeed")->GetUnitName()) + " " + Text(m_page, 1011).substr(0, 6); },
       "rad/s 345.57"},
      {"click the next guideline", [&] { Click(Ctl(10006), At(10006)); }, [&] { return Text(m_page, 10007); },
       "two"},
      {"click the previous guideline", [&] { Click(Ctl(10005), At(10005)); }, [&] { return Text(m_page, 10007); },
       "one"},
      {"type into the slider's edit", [&] { Retype(1011, "628.32"); }, [&] { return Num(SliderPos()); }, "4"},
      {"click the channel right of the thumb",
       [&] {
         CRect thumb;
         ::SendMessage(Ctl(1010), TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
         Click(Ctl(1010), CPoint(thumb.right + 8, thumb.CenterPoint().y));
       },
       [&] { return Num(SliderPos()) + " " + Num(m_setup->FindParameter("MaxSpeed")->GetValueInInternalUnit()); },
       "14 37"},
      // A press gives the default look back to OK from the button Tab lent it to.
      {"Tab onto Cancel, press the thumb",
       [&] {
         dravonix::test::TabTo(Ctl(IDCANCEL));
         CRect thumb;
         ::SendMessage(Ctl(1010), TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
         Click(Ctl(1010), thumb.CenterPoint());
       },
       [&] { return Num(SliderPos()) + " look " + dravonix::test::DefaultLook(m_page->m_hWnd); }, "14 look 1 "},
      {"Tab onto Cancel, drop and pick the slider's unit", [&] { dravonix::test::TabTo(Ctl(IDCANCEL)), Pick(1012, "rad/s"); },
       [&] { return "look " + dravonix::test::DefaultLook(m_page->m_hWnd); }, "look 1 "},
      {"drag the thumb to the far end",
       [&] {
         CRect thumb, channel;
         ::SendMessage(Ctl(1010), TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
         ::SendMessage(Ctl(1010), TBM_GETCHANNELRECT, 0, (LPARAM)&channel);
         Drag(Ctl(1010), thumb.CenterPoint(), CPoint(channel.right + 20, thumb.CenterPoint().y));
       },
       [&] { return Num(SliderPos()) + " " + Num(m_setup->FindParameter("MaxSpeed")->GetValueInInternalUnit()); },
       "100 200"},
  };
  Drive(rows);
}

TEST_F(PostedPageTest, MotorAndCanControlsTakeTheUsersInput) {
  using namespace UiAutomation;
  auto options = [&] {
    return std::string(m_setup->GetOptionNoError("DatabaseName")) + "/" + std::string(m_setup->GetOptionNoError("MotorName"));
  };
  auto enabled = [&](int id) { return std::string(::IsWindowEnabled(Ctl(id)) ? "on" : "off"); };
  auto userMotor = [](const char* name) { return Kernel(std::string("Databases/User/") + name + ".cfg"); };
  for (const char* name : {"Mine", "Numeric", "Numeric (modified)", "Keyed"}) std::filesystem::remove(userMotor(name));
  const std::vector<Row> rows = {
      {"type a letter in the database list", [&] { KeyIn(10010, 'L'); },
       [&] { return options() + " [" + Text(m_page, 10011) + "]"; }, "Linear/ []"},
      {"pick a motor from the name list", [&] { Pick(10011, "Numeric"); },
       [&] { return options() + " " + Text(m_page, 1000) + " " + enabled(10012) + " " + enabled(10013); },
       "Linear/Numeric 7.5 on off"},
      {"type a new name", [&] { Retype(10011, "Mine"); },
       [&] { return Text(m_page, 10011) + " " + enabled(10012) + " " + enabled(10013); }, "Mine on off"},
      // Five significant digits in the file: the speed read back differs in its last printed digit.
      {"click Save", [&] { Click(Ctl(10012), At(10012)); },
       [&] { return options() + " " + Text(m_page, 10011) + " " + enabled(10013); }, "User/Mine Mine (modified) on"},
      {"click Delete and answer Yes",
       [&] {
         Automation::Instance().PushMessageBoxAnswers({IDYES});
         Click(Ctl(10013), At(10013));
       },
       [&] { return options() + " [" + Text(m_page, 10011) + "] " + enabled(10012) + " " + LastBox().substr(0, 49); },
       "User/ [] off Are you sure you want to delete motor 'Mine' from"},
      {"change a chosen motor and click Save",
       [&] {
         KeyIn(10010, 'L');
         Pick(10011, "Numeric");
         Retype(1000, "8");
         Click(Ctl(10012), At(10012));
       },
       [&] { return options() + " " + Text(m_page, 1000); }, "User/Numeric 8"},
      {"and Delete it, answering Yes",
       [&] {
         Automation::Instance().PushMessageBoxAnswers({IDYES});
         Click(Ctl(10013), At(10013));
       },
       [&] { return options() + " " + Num((double)std::filesystem::exists(userMotor("Numeric"))); }, "User/ 0"},
      {"Down in the motor names", [&] { KeyIn(10010, 'L'), KeyIn(10011, VK_DOWN); },
       [&] { return options() + " " + Text(m_page, 1000) + " " + enabled(10012) + " " + enabled(10013); },
       "Linear/Numeric 7.5 on off"},
      {"a name typed, Space on Save", [&] { Retype(10011, "Keyed"), KeyIn(10012, VK_SPACE); },
       [&] { return options() + " " + Num((double)std::filesystem::exists(userMotor("Keyed"))) + " " + enabled(10013); },
       "User/Keyed 1 on"},
      {"Enter on Delete, No by default", [&] { KeyIn(10013, VK_RETURN); },
       [&] { return options() + " " + Num((double)std::filesystem::exists(userMotor("Keyed"))); }, "User/Keyed 1"},
      {"Space on Delete, Yes",
       [&] {
         Automation::Instance().PushMessageBoxAnswers({IDYES});
         KeyIn(10013, VK_SPACE);
       },
       [&] { return options() + " " + Num((double)std::filesystem::exists(userMotor("Keyed"))); }, "User/ 0"},
      {"arrow down in the baud rates", [&] { KeyIn(10021, VK_DOWN); },
       [&] { return Num(Value("CBR_table")); }, "0"},
      {"and once more", [&] { KeyIn(10021, VK_DOWN); },
       [&] { return Num(m_setup->FindParameter("CBR_table")->GetValueInInternalUnit()); }, std::to_string(0xEF6C)},
  };
  Drive(rows);
}

// The CANopen button opens the factor group dialog on the page; keys choose a bus unit and the
// user-defined entry, whose details dialog takes a typed numerator.
TEST_F(PostedPageTest, CanopenSettingsTakeKeysAndClicks) {
  using namespace UiAutomation;
  auto pair = [&](const char* g) {
    return Num(Value((std::string(g) + "_dimension_index").c_str())) + "," +
           Num(Value((std::string(g) + "_notation_index").c_str())) + " " +
           Num(Value((std::string("FG_") + g + "_numerator").c_str())) + "/" +
           Num(Value((std::string("FG_") + g + "_divisor").c_str()));
  };
  auto selected = [](HWND combo) {
    char text[64] = "";
    ::SendMessage(combo, CB_GETLBTEXT, ::SendMessage(combo, CB_GETCURSEL, 0, 0), (LPARAM)text);
    return std::string(text);
  };
  std::vector<std::string> seen;
  DialogAutomation::AddDialogHandler(14038, [&](CWnd* d) {
    HWND combo = ::GetDlgItem(d->m_hWnd, 14004);
    PressKey(VK_DOWN);
    seen.push_back(selected(combo) + " " + pair("pos"));
    DialogAutomation::AddDialogHandler(14039, [&](CWnd* e) {
      for (auto [id, text] : {std::pair{14001, "99"}, {14002, "1"}, {14003, "12345"}})
        Retype(::GetDlgItem(e->m_hWnd, id), text);
      seen.push_back(pair("pos") + " " + std::to_string(dravonix::test::PixelsOffFullRepaint(e->m_hWnd)));
      DialogAutomation::ClickControl(e, IDOK);
    });
    PressKey(VK_END);
    seen.push_back(selected(combo) + " " + pair("pos") + " " +
                   std::to_string(dravonix::test::PixelsOffFullRepaint(d->m_hWnd)));
    DialogAutomation::ClickControl(d, IDOK);
  });
  Drive({{"click the CANopen button", [&] { Click(Ctl(10022), At(10022)); },
          [&] {
            std::string all;
            for (const std::string& line : seen) all += line + "; ";
            return all + pair("pos");
          },
          "mrad 16,-3 683565275/2147483648; 99,1 12345/2147483648 0; User-defined 99,1 12345/2147483648 0; "
          "99,1 12345/2147483648"}});
}

// Random keys and clicks on the switch list, the radios, the check box and the slider against a
// model: each control's parameter follows, and a value hook comes exactly when a value changed.
TEST_F(PostedPageTest, RandomInputKeepsParametersAndHooksWithTheModel) {
  using namespace UiAutomation;
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 86u);
  int list = 0, radio = 0, check = 0, slider = 10, changes = 0;
  std::vector<Row> rows;
  std::string done;
  for (int step = 0; step < 120; ++step) {
    const int what = (int)(rng() % 9);
    static const UINT kListKeys[] = {VK_DOWN, VK_UP, VK_HOME, VK_END};
    static const UINT kSliderKeys[] = {VK_RIGHT, VK_LEFT, VK_NEXT};
    std::function<void()> act;
    const int before[] = {list, radio, check, slider};
    if (what < 4) {
      const UINT vk = kListKeys[what];
      act = [this, vk] { KeyIn(1005, vk); };
      list = vk == VK_DOWN ? std::min(list + 1, 3) : vk == VK_UP ? std::max(list - 1, 0) : vk == VK_HOME ? 0 : 3;
    } else if (what < 6) {
      const int k = (int)(rng() % 3);
      act = [this, k] { Click(Ctl(1006 + k), At(1006 + k)); };
      radio = k;
    } else if (what == 6) {
      act = [this] { KeyIn(1004, VK_SPACE); };
      check = !check;
    } else {
      const UINT vk = kSliderKeys[rng() % 3];
      act = [this, vk] { KeyIn(1010, vk); };
      slider = std::clamp(slider + (vk == VK_RIGHT ? 1 : vk == VK_LEFT ? -1 : 10), 0, 100);
    }
    const int after[] = {list, radio, check, slider};
    for (int i = 0; i < 4; ++i) changes += before[i] != after[i];
    done += std::to_string(what) + " ";
    const std::string expected = Num(list) + " " + Num(radio) + " " + Num(check) + " " + Num(slider) + " " + Num(changes);
    rows.push_back({"after steps " + done, act,
                    [this] {
                      return Num(Value("TransmissionType")) + " " + Num(Value("LoadSensorType")) + " " +
                             Num(Value("isMotorInertiaUnknown")) + " " +
                             Num(m_setup->FindParameter("MaxSpeed")->GetValueInInternalUnit()) + " " +
                             Num((double)Values(m_page->m_hooks).size());
                    },
                    expected});
  }
  Drive(rows, 20);
}

}  // namespace
