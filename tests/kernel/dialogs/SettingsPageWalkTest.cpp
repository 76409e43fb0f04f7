// The setup module's settings page walked at random with a user's keys and clicks: Tab and Shift+Tab,
// arrows, Home/End, PgUp/PgDn and Space on whatever has the focus, values typed at both ends of their
// ranges and beyond, the slider's thumb and channel, both spins' arrows, the radio group, and OK or
// Cancel by click or key. A small model says what each bound parameter holds after every step; OK
// stores exactly what the user chose and Cancel nothing; the picture matches a full repaint.
#include "kernel/dialogs/CANopenFactors.h"
#include "kernel/dialogs/MC_EditSetupDlg.h"
#include "kernel/params/MC_Units.h"
#include "platform/core/Clock.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/WindowPicture.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <functional>
#include <map>
#include <random>

namespace {

using namespace UiAutomation;

enum : int {
  kIpeak = 1000, kIpeakUnit = 1001, kCheck = 1004, kSwitch = 1005, kRadio0 = 1006, kRadio2 = 1008,
  kSlider = 1010, kSpeed = 1011, kSpeedUnit = 1012, kLowerSpin = 1013, kUpperSpin = 1014
};

// What a parameter holds: its internal value and unit.
struct Held {
  double iu;
  std::string unit;
  bool operator==(const Held& o) const { return iu == o.iu && unit == o.unit; }
};

class SettingsPageWalk : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    Clock::UseVirtualTime();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    ClearBoxes();
    m_run = reinterpret_cast<int (*)(CMC_Setup*, const char*)>(GetProcAddress(m_gui, "GuiStandIn_RunPage"));
    m_log = reinterpret_cast<const char* (*)()>(GetProcAddress(m_gui, "GuiStandIn_PageLog"));
    ASSERT_TRUE(m_run && m_log);
    m_log();
  }
  void TearDown() override {
    DialogAutomation::ClearDialogHandlers();
    Clock::UseRealTime();
    SetupTest::TearDown();
  }
  std::map<std::string, Held> Snapshot() const {
    std::map<std::string, Held> all;
    const CMC_Parameters& ps = m_setup->GetParameters();
    for (int i = 0; i < ps.GetSize(); ++i)
      all[std::string(ps[i]->GetName())] = {ps[i]->GetValueInInternalUnit(), std::string(ps[i]->GetUnitName())};
    return all;
  }
  CMC_Parameter* P(const char* name) const { return m_setup->FindParameter(name); }

  // One modal run of the page: `steps` random steps from `rng`, then OK or Cancel. Returns the trail.
  std::string Walk(std::mt19937& rng, int steps);
  // Scripts the factor dialog the next click opens: a few unit choices, the details of a
  // user-defined unit typed and kept or cancelled, then OK or Cancel.
  struct CanRun {
    bool ok = false;
    std::map<std::string, Held> opened, last;
    std::vector<std::string> touched;
    std::vector<int> groups;
  };
  void CanopenSteps(std::mt19937& rng, std::string& trail, CanRun& run);
  // After the dialog has closed.
  void CheckCanopen(const CanRun& run, const std::string& trail, std::map<std::string, Held>& kept);

  SetupPtr m_setup;
  int (*m_run)(CMC_Setup*, const char*) = nullptr;
  const char* (*m_log)() = nullptr;
};

// The model of the page's bound parameters.
struct Model {
  double ipeak = 0;       // internal units
  int check = 0, list = 0, radio = 0;
  double speed = 0;       // internal units
  double lo = 0, hi = 0;  // the slider's span
  int pos = 0;
  std::string ipeakUnit, speedUnit;
  int changes = 0;  // value hooks the page must have called
};

int Position(double v, double lo, double hi) {
  const double span = hi - lo;
  if (!(span != 0) || !std::isfinite(span)) return 0;
  return std::clamp((int)std::clamp((v - lo) / span * 100, -1e9, 1e9), 0, 100);
}

int Count(const std::string& log, const std::string& what) {
  int n = 0;
  for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
  return n;
}

std::string SettingsPageWalk::Walk(std::mt19937& rng, int steps) {
  const std::map<std::string, Held> before = Snapshot();
  CMC_Parameter *ipeak = P("Ipeak"), *speed = P("MaxSpeed");
  Model m;
  m.ipeak = ipeak->GetValueInInternalUnit();
  m.check = (int)P("isMotorInertiaUnknown")->GetValue();
  m.list = (int)P("TransmissionType")->GetValue();
  m.radio = (int)P("LoadSensorType")->GetValue();
  m.speed = speed->GetValueInInternalUnit();
  m.lo = speed->GetMinInInternalUnit();
  m.hi = speed->GetMaxInInternalUnit();
  m.pos = Position(m.speed, m.lo, m.hi);
  m.ipeakUnit = ipeak->GetUnitName();
  m.speedUnit = speed->GetUnitName();
  std::string trail;
  bool ok = false;
  std::map<std::string, Held> keptByCan;  // what the factor dialog's OK stored
  DialogAutomation::AddDialogHandler(100, [&](CWnd* d) {
    const HWND page = d->m_hWnd;
    auto ctl = [&](int id) { return ::GetDlgItem(page, id); };
    auto at = [&](int id, int num = 1, int den = 2) {
      CRect r;
      ::GetClientRect(ctl(id), &r);
      return CPoint(r.Width() / 2, r.Height() * num / den);
    };
    auto focusId = [&] { return ::GetFocus() ? ::GetDlgCtrlID(::GetFocus()) : 0; };
    // A typed text is scanned into the parameter at every key (each prefix), as the page does.
    auto type = [&](int id, CMC_Parameter* p, double& held, const std::string& text) {
      CMC_Parameter scratch(*p);
      scratch.SetValueInInternalUnit(held);
      for (size_t n = 1; n <= text.size(); ++n) {
        const double was = scratch.GetValueInInternalUnit();
        if (scratch.ScanValue(text.substr(0, n).c_str()) && scratch.GetValueInInternalUnit() != was) ++m.changes;
      }
      held = scratch.GetValueInInternalUnit();
      CRect r;
      ::GetClientRect(ctl(id), &r);
      Click(ctl(id), CPoint(2, r.Height() / 2));
      PressKey(VK_HOME);
      PressKey(VK_END, kShift);
      TypeText(text.c_str());
    };
    auto slide = [&](int to) {
      to = std::clamp(to, 0, 100);
      if (to == m.pos) return;
      m.pos = to;
      const double v = m.lo + (m.hi - m.lo) * to / 100;
      if (v != m.speed) {
        // Stored as the parameter's type keeps it.
        CMC_Parameter scratch(*speed);
        scratch.SetValueInInternalUnit(v);
        m.speed = scratch.GetValueInInternalUnit();
        ++m.changes;
      }
    };
    // Values at both ends of the range, inside and beyond, and text that holds no number.
    auto pickText = [&](CMC_Parameter* p) {
      CMC_Parameter scratch(*p);
      const double ends[] = {p->GetMinInInternalUnit(), p->GetMaxInInternalUnit()};
      switch (rng() % 6) {
        case 0: case 1: scratch.SetValueInInternalUnit(ends[rng() % 2]); return std::string(scratch.PrintValue());
        case 2: return std::string("-1e9");
        case 3: return std::string("1e12");
        case 4: return std::string("x");
        default: return std::to_string((int)(rng() % 50));
      }
    };
    for (int step = 0; step < steps; ++step) {
      AdvanceClock(1000);  // a user's pause: two clicks of two steps make no double click
      const int f = focusId();
      std::string did;
      switch (rng() % 13) {
        case 12: {  // the CANopen factor dialog, and the details of a user-defined unit inside it
          if (!::IsWindowVisible(ctl(10022))) {
            did = "-";
            break;
          }
          CanRun run;
          CanopenSteps(rng, trail, run);
          Click(ctl(10022), at(10022));
          CheckCanopen(run, trail, keptByCan);
          did = "canopen";
          break;
        }
        case 0: {
          const bool back = rng() % 2;
          PressKey(VK_TAB, back ? kShift : kNone);
          did = back ? "S-Tab" : "Tab";
          break;
        }
        case 1: {  // a key on what has the focus
          static const UINT kKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_SPACE};
          const UINT vk = kKeys[rng() % 9];
          const bool arrow = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
          const int sign = vk == VK_LEFT || vk == VK_UP || vk == VK_PRIOR ? -1 : 1;
          if (f == kSlider && vk != VK_SPACE) {
            slide(vk == VK_HOME ? 0 : vk == VK_END ? 100 : m.pos + sign * (arrow ? 1 : 10));
          } else if (f == kCheck && vk == VK_SPACE) {
            m.check = !m.check, ++m.changes;
          } else if (f >= kRadio0 && f <= kRadio2 && arrow) {
            const int to = f - kRadio0 + sign;
            if (to >= 0 && to <= 2 && to != m.radio) m.radio = to, ++m.changes;
          } else if (f == kSwitch && vk != VK_SPACE && vk != VK_PRIOR && vk != VK_NEXT) {
            const int to = vk == VK_HOME ? 0 : vk == VK_END ? 3 : std::clamp(m.list + sign, 0, 3);
            if (to != m.list) m.list = to, ++m.changes;
          } else if ((f == kIpeak || f == kSpeed) && vk != VK_SPACE) {
            // the caret moves
          } else {
            did = "-";  // nothing a model covers has the focus: no key
            break;
          }
          PressKey(vk);
          did = std::to_string(f) + ":" + std::to_string(vk);
          break;
        }
        case 2: {
          const int k = (int)(rng() % 3);
          if (k != m.radio) m.radio = k, ++m.changes;
          Click(ctl(kRadio0 + k), at(kRadio0 + k));
          did = "radio" + std::to_string(k);
          break;
        }
        case 3:
          m.check = !m.check, ++m.changes;
          Click(ctl(kCheck), CPoint(5, at(kCheck).y));
          did = "check";
          break;
        case 4: {  // the switch list dropped and an entry clicked
          const int k = (int)(rng() % 4);
          CRect r;
          ::GetClientRect(ctl(kSwitch), &r);
          Click(ctl(kSwitch), CPoint(r.right - 4, r.Height() / 2));
          HWND list = ::GetCapture();
          if (!list) {
            ADD_FAILURE() << "the list did not drop";
            break;
          }
          // The dropped list takes Escape and Enter as its own, never as the page's Cancel or OK.
          const int how = (int)(rng() % 4);
          if (how == 0) {
            PressKey(VK_ESCAPE);
            did = "drop-Escape";
            break;
          }
          if (how == 1) {
            const int downs = (int)(rng() % 3);
            for (int n = 0; n < downs; ++n) PressKey(VK_DOWN);
            PressKey(VK_RETURN);
            if (std::min(m.list + downs, 3) != m.list) m.list = std::min(m.list + downs, 3), ++m.changes;
            did = "drop-" + std::to_string(downs) + "Down-Enter";
            break;
          }
          static const char* const kEntries[] = {"Direct", "Gear", "Belt", "Screw"};
          const int i = (int)::SendMessage(ctl(kSwitch), CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)kEntries[k]);
          ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&r);
          Click(list, r.CenterPoint());
          if (k != m.list) m.list = k, ++m.changes;
          did = "pick" + std::to_string(k);
          break;
        }
        case 5: {  // the thumb clicked, or the channel beside it
          CRect thumb;
          ::SendMessage(ctl(kSlider), TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
          const int where = (int)(rng() % 3);
          CRect c;
          ::GetClientRect(ctl(kSlider), &c);
          const int x = where == 0 ? thumb.CenterPoint().x : where == 1 ? thumb.left - 4 : thumb.right + 4;
          if (where && (x < 9 || x > c.right - 9)) {
            did = "-";
            break;
          }
          if (where) slide(m.pos + (where == 1 ? -10 : 10));
          Click(ctl(kSlider), CPoint(x, thumb.CenterPoint().y));
          did = "slider" + std::to_string(where);
          break;
        }
        case 6: {  // the thumb dragged to a point of the channel
          CRect thumb, channel;
          ::SendMessage(ctl(kSlider), TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
          ::SendMessage(ctl(kSlider), TBM_GETCHANNELRECT, 0, (LPARAM)&channel);
          const int to = (int)(rng() % 101);
          const int x = channel.left + to * channel.Width() / 100;
          const int len = std::max(1, (int)channel.Width());
          slide(std::clamp((int)(((long long)(x - channel.left) * 100 + len / 2) / len), 0, 100));
          // One move: the value follows the thumb at every position it passes.
          PostMouseInput(ctl(kSlider), WM_LBUTTONDOWN, MK_LBUTTON, thumb.CenterPoint());
          PostMouseInput(ctl(kSlider), WM_MOUSEMOVE, MK_LBUTTON, POINT{x, thumb.CenterPoint().y});
          PostMouseInput(ctl(kSlider), WM_LBUTTONUP, 0, POINT{x, thumb.CenterPoint().y});
          did = "drag" + std::to_string(to);
          break;
        }
        case 7: {  // a spin's arrow: the slider's span narrows or widens around the value
          const bool upper = rng() % 2, up = rng() % 2;
          const double pmin = speed->GetMinInInternalUnit(), pmax = speed->GetMaxInInternalUnit(), v = m.speed;
          double &lo = m.lo, &hi = m.hi;
          if (!upper && up) {
            lo = (lo + hi) / 2;
            if (lo >= hi - 0.001) lo = hi - 0.001;
            if (lo >= v) lo = v;
          } else if (!upper) {
            lo = 2 * lo - hi;
            if (lo <= pmin) lo = pmin;
          } else if (up) {
            hi = 2 * hi - lo;
            if (hi >= pmax) hi = pmax;
          } else {
            hi = (hi + lo) / 2;
            if (hi <= lo + 0.001) hi = lo + 0.001;
            if (hi <= v) hi = v;
          }
          m.pos = Position(m.speed, m.lo, m.hi);
          const int id = upper ? kUpperSpin : kLowerSpin;
          Click(ctl(id), at(id, up ? 1 : 3, 4));
          did = std::string(upper ? "upper" : "lower") + (up ? "+" : "-");
          break;
        }
        case 8: case 9: {
          const std::string text = pickText(ipeak);
          type(kIpeak, ipeak, m.ipeak, text);
          did = "Ipeak=" + text;
          break;
        }
        case 10: {
          const std::string text = pickText(speed);
          const double was = m.speed;
          type(kSpeed, speed, m.speed, text);
          if (m.speed != was) m.pos = Position(m.speed, m.lo, m.hi);
          did = "MaxSpeed=" + text;
          break;
        }
        default: {  // the unit lists: the internal value stays, only what is shown changes
          const int id = rng() % 2 ? kIpeakUnit : kSpeedUnit;
          const int count = (int)::SendMessage(ctl(id), CB_GETCOUNT, 0, 0);
          const int sel = (int)::SendMessage(ctl(id), CB_GETCURSEL, 0, 0);
          CRect r;
          ::GetClientRect(ctl(id), &r);
          Click(ctl(id), CPoint(r.right - 4, r.Height() / 2));
          HWND list = ::GetCapture();
          if (!list || count < 1) {
            if (list) PressKey(VK_ESCAPE);
            did = "-";
            break;
          }
          const int to = (sel + 1 + (int)(rng() % std::max(1, count - 1))) % count;
          ::SendMessage(list, LB_GETITEMRECT, (WPARAM)to, (LPARAM)&r);
          Click(list, r.CenterPoint());
          did = "unit" + std::to_string(id) + ":" + std::to_string(to);
          break;
        }
      }
      Pump();
      if (did == "-") continue;
      trail += did + " ";
      // What every control holds, as the model says.
      auto held = [&](CMC_Parameter* p) { return p->GetValueInInternalUnit(); };
      EXPECT_EQ(held(ipeak), m.ipeak) << trail;
      EXPECT_EQ((int)P("isMotorInertiaUnknown")->GetValue(), m.check) << trail;
      EXPECT_EQ((int)::IsDlgButtonChecked(page, kCheck), m.check) << trail;
      EXPECT_EQ((int)P("TransmissionType")->GetValue(), m.list) << trail;
      EXPECT_EQ((int)P("LoadSensorType")->GetValue(), m.radio) << trail;
      for (int k = 0; k < 3; ++k) EXPECT_EQ(::IsDlgButtonChecked(page, kRadio0 + k) == BST_CHECKED, k == m.radio) << trail;
      EXPECT_EQ(held(speed), m.speed) << trail;
      EXPECT_EQ((int)::SendMessage(ctl(kSlider), TBM_GETPOS, 0, 0), m.pos) << trail;
      if (focusId() != kSpeed) {
        char text[64] = "";
        ::GetDlgItemText(page, kSpeed, text, sizeof text);
        EXPECT_EQ(std::string(text), std::string(speed->PrintValue())) << trail;
      }
      EXPECT_EQ(Count(m_log(), "changed "), m.changes) << trail;
      m.changes = 0;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(page)) << trail;
      if (::testing::Test::HasFailure()) break;
    }
    m.ipeakUnit = ipeak->GetUnitName();
    m.speedUnit = speed->GetUnitName();
    // OK or Cancel, by click or by key.
    ok = rng() % 2;
    const int f = focusId();
    const bool pushed = f == kIpeak || f == kSpeed || f == kCheck || f == kSlider || (f >= kRadio0 && f <= kRadio2);
    if (rng() % 2 && (pushed || !ok)) {
      PressKey(ok ? VK_RETURN : VK_ESCAPE);
      trail += ok ? "Enter" : "Escape";
    } else {
      DialogAutomation::ClickControl(d, ok ? IDOK : IDCANCEL);
      trail += ok ? "OK" : "Cancel";
    }
  });
  const int result = m_run(m_setup.get(), "settings");
  EXPECT_EQ(result, ok ? IDOK : IDCANCEL) << trail;
  // OK stores exactly what the user chose; Cancel nothing.
  std::map<std::string, Held> expected = before;
  if (ok) {
    for (const auto& [name, h] : keptByCan) expected[name] = h;
    expected["Ipeak"] = {m.ipeak, m.ipeakUnit};
    expected["isMotorInertiaUnknown"].iu = m.check;
    expected["TransmissionType"].iu = m.list;
    expected["LoadSensorType"].iu = m.radio;
    expected["MaxSpeed"] = {m.speed, m.speedUnit};
  }
  const std::map<std::string, Held> after = Snapshot();
  for (const auto& [name, h] : expected) {
    const Held& a = after.at(name);
    EXPECT_TRUE(a == h) << name << " " << a.iu << " " << a.unit << " for " << h.iu << " " << h.unit << ": " << trail;
  }
  return trail;
}

void SettingsPageWalk::CanopenSteps(std::mt19937& rng, std::string& trail, CanRun& run) {
  DialogAutomation::AddDialogHandler(14038, [&, this](CWnd* c) {
    const std::map<std::string, Held> opened = Snapshot();
    std::map<std::string, Held> chosen;  // the group indices the user picked
    std::vector<std::string> touched;    // every parameter of a group the user changed
    auto group = [&](int g) {
      const CANopenGroupObjects o = FindCANopenGroup(m_setup.get(), g);
      run.groups.push_back(g);
      for (CMC_Parameter* q : {o.dimension, o.notation, o.numerator, o.divisor}) touched.push_back(std::string(q->GetName()));
      return o;
    };
    for (int n = (int)(rng() % 4); n >= 0; --n) {
      AdvanceClock(1000);
      std::vector<int> shownGroups;
      for (int g = 0; g < CANOPEN_GROUP_COUNT; ++g)
        if (::IsWindowVisible(::GetDlgItem(c->m_hWnd, (int)g_CANopenFactorGroups[g].comboId))) shownGroups.push_back(g);
      if (shownGroups.empty()) break;
      const int g = shownGroups[rng() % shownGroups.size()];
      const HWND combo = ::GetDlgItem(c->m_hWnd, (int)g_CANopenFactorGroups[g].comboId);
      CRect r, client, item;
      ::GetClientRect(combo, &r);
      Click(combo, CPoint(r.right - 4, r.Height() / 2));
      const HWND list = ::GetCapture();
      if (!list) {
        ADD_FAILURE() << "the unit list did not drop: " << trail;
        return;
      }
      ::GetClientRect(list, &client);
      std::vector<int> shown;
      for (int i = 0; i < (int)::SendMessage(list, LB_GETCOUNT, 0, 0); ++i) {
        ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&item);
        if (item.top >= client.top && item.bottom <= client.bottom) shown.push_back(i);
      }
      const int i = shown[rng() % shown.size()];
      ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&item);
      const DWORD data = (DWORD)::SendMessage(combo, CB_GETITEMDATA, (WPARAM)i, 0);
      const CANopenGroupObjects o = group(g);
      std::map<std::string, Held> beforeDetails;
      bool detailsOk = false;
      std::vector<std::pair<std::string, std::string>> typed;
      if ((LONG)data == -1) {
        // User-defined: the details open with editable fields; typed values are kept by OK only.
        DialogAutomation::AddDialogHandler(14039, [&](CWnd* e) {
          beforeDetails = Snapshot();
          CMC_Parameter* fields[] = {o.dimension, o.notation, o.numerator, o.divisor};
          for (int k = (int)(rng() % 3); k >= 0; --k) {
            const int f = (int)(rng() % 4);
            static const char* const kTexts[] = {"0", "1", "-1", "99", "32767", "-32768", "70000", "2147483648", "x"};
            const std::string text = kTexts[rng() % 9];
            const HWND edit = ::GetDlgItem(e->m_hWnd, 14001 + f);
            CRect er;
            ::GetClientRect(edit, &er);
            AdvanceClock(1000);
            Click(edit, CPoint(2, er.Height() / 2));
            PressKey(VK_HOME);
            PressKey(VK_END, kShift);
            TypeText(text.c_str());
            typed.push_back({std::string(fields[f]->GetName()), text});
            EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(e->m_hWnd)) << trail;
          }
          detailsOk = rng() % 2;
          DialogAutomation::ClickControl(e, detailsOk ? IDOK : IDCANCEL);
        });
      }
      Click(list, item.CenterPoint());
      Pump();
      trail += "unit" + std::to_string(g) + ":" + std::to_string(i) + ((LONG)data == -1 ? (detailsOk ? "+OK" : "+Cancel") : "") + " ";
      if ((LONG)data == -1) {
        // Cancel in the details takes back what they changed; OK keeps each field as its text scans.
        std::map<std::string, Held> expect = beforeDetails;
        if (detailsOk) {
          for (const auto& [name, text] : typed) {
            CMC_Parameter scratch(*P(name.c_str()));
            scratch.SetValueInInternalUnit(expect[name].iu);
            for (size_t len = 1; len <= text.size(); ++len) scratch.ScanValue(text.substr(0, len).c_str());
            expect[name].iu = scratch.GetValueInInternalUnit();
          }
        }
        for (CMC_Parameter* q : {o.dimension, o.notation, o.numerator, o.divisor}) {
          const std::string name(q->GetName());
          EXPECT_EQ(q->GetValueInInternalUnit(), expect[name].iu) << name << ": " << trail;
        }
      } else {
        EXPECT_EQ((SHORT)o.dimension->GetValueInInternalUnit(), (SHORT)(data >> 16)) << trail;
        EXPECT_EQ((SHORT)o.notation->GetValueInInternalUnit(), (SHORT)(data & 0xFFFF)) << trail;
      }
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(c->m_hWnd)) << trail;
      if (::testing::Test::HasFailure()) break;
    }
    run.ok = rng() % 2;
    run.opened = opened;
    run.last = Snapshot();
    run.touched = touched;
    DialogAutomation::ClickControl(c, run.ok ? IDOK : IDCANCEL);
    trail += run.ok ? "canOK " : "canCancel ";
  });
}

void SettingsPageWalk::CheckCanopen(const CanRun& run, const std::string& trail, std::map<std::string, Held>& kept) {
  // Cancel takes everything back; OK keeps the touched groups' unit pairs, and their factors as
  // typed where the pair names no unit (else the page works them out again), and nothing else.
  const std::map<std::string, Held> now = Snapshot();
  std::map<std::string, bool> derived;
  for (int g : run.groups) {
    const CANopenGroupObjects o = FindCANopenGroup(m_setup.get(), g);
    const SHORT d = (SHORT)run.last.at(std::string(o.dimension->GetName())).iu;
    const SHORT n = (SHORT)run.last.at(std::string(o.notation->GetName())).iu;
    const bool named = CMC_Units::IsCANopenInternalUnit(d, n) || m_setup->FindCANopenUnit(o.variable->GetUnitName(), d, n);
    for (CMC_Parameter* q : {o.dimension, o.notation, o.numerator, o.divisor})
      derived[std::string(q->GetName())] = named && (q == o.numerator || q == o.divisor);
  }
  for (const auto& [name, h] : run.opened) {
    const bool mine = run.ok && derived.count(name);
    if (mine && derived[name]) {
      kept[name] = now.at(name);
      continue;
    }
    const Held& want = mine ? run.last.at(name) : h;
    EXPECT_TRUE(now.at(name) == want) << name << " " << now.at(name).iu << " for " << want.iu << ": " << trail;
    if (mine) kept[name] = want;
  }
}

TEST_F(SettingsPageWalk, EveryControlHoldsWhatTheUserChoseAndOkStoresOnlyThat) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 90u);
  const int runs = getenv("WALK_RUNS") ? atoi(getenv("WALK_RUNS")) : 8;
  for (int run = 0; run < runs && !HasFailure(); ++run) {
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    Walk(rng, 30);
  }
}

}  // namespace

namespace {

// Sequences the walk found, shrunk.
TEST_F(SettingsPageWalk, KeptSequences) {
  std::vector<std::string> seen;
  DialogAutomation::AddDialogHandler(100, [&](CWnd* d) {
    HWND list = ::GetDlgItem(d->m_hWnd, kSwitch), slider = ::GetDlgItem(d->m_hWnd, kSlider);
    auto state = [&] {
      return std::to_string((int)P("TransmissionType")->GetValue()) + " " +
             std::to_string((int)P("MaxSpeed")->GetValueInInternalUnit()) + " " + m_log();
    };
    // Right in the closed switch list takes the next entry.
    CRect r;
    ::GetClientRect(list, &r);
    Click(list, CPoint(r.right - 4, r.Height() / 2));
    PressKey(VK_ESCAPE);
    PressKey(VK_RIGHT);
    seen.push_back(state());
    PressKey(VK_LEFT);
    seen.push_back(state());
    // The thumb at its start, pressed and moved within its position, sets nothing.
    AdvanceClock(1000);
    CRect thumb;
    ::SendMessage(slider, TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
    Drag(slider, thumb.CenterPoint(), CPoint(thumb.CenterPoint().x - 3, thumb.CenterPoint().y));
    seen.push_back(state());
    DialogAutomation::ClickControl(d, IDCANCEL);
  });
  m_run(m_setup.get(), "settings");
  EXPECT_EQ(seen, (std::vector<std::string>{"1 10 changed TransmissionType\n", "0 10 changed TransmissionType\n", "0 10 "}));
}

}  // namespace
