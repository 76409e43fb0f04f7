// The binary code viewer, driven through its dialog: field limits, the serial frames of a query,
// compiler and symbol failures, and its settings kept between openings.
#include "comm/BinaryCodeViewerDlg.h"
#include "kernel/params/MC_Variable.h"
#include "platform/core/Profile.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/PostedGestures.h"
#include "tests/support/WindowPicture.h"
#include "tests/support/DialogActs.h"

#include <cstdio>
#include <functional>

namespace {

using Ids = CBinaryCodeViewerDlg;

class BinaryCodeViewerTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    DialogAutomation::Reset();
    // The viewer keeps its last choices; each test starts from none.
    CAppProfile().WriteProfileString("BinaryCodeViewer", nullptr, nullptr);
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_setup->FindVariable("IQ")->ChangeAddress(0x0300);  // a one-word variable at 0x0300
  }
  void TearDown() override {
    DialogAutomation::Reset();
    m_setup.reset();
    SetupTest::TearDown();
  }
  // Opens the viewer and runs `body` on it before closing it with Close, or with a key pressed in the
  // control that has the focus.
  void Run(std::function<void(CWnd*)> body, UINT closingKey = 0) {
    DialogAutomation::AddDialogHandler(Ids::IDD, [&](CWnd* d) {
      body(d);
      if (closingKey)
        UiAutomation::PressKey(closingKey);
      else
        DialogAutomation::ClickControl(d, IDCANCEL);
    });
    m_setup->DoBinaryCodeViewer(nullptr);
  }
  static CString Text(CWnd* d, int id) {
    CString s;
    d->GetDlgItemText(id, s);
    return s;
  }
  static void Compile(CWnd* d, const char* source) {
    DialogAutomation::TypeInto(d, Ids::IDC_SOURCE, source);
    DialogAutomation::ClickControl(d, Ids::IDC_COMPILE);
  }
  SetupPtr m_setup;
};

}  // namespace

TEST_F(BinaryCodeViewerTest, FieldsAreKeptWithinTheProtocolsLimits) {
  Run([](CWnd* d) {
    struct Case {
      int protocol, destination, field;
      const char* typed;
      const char* shown;
    };
    const Case cases[] = {
        {Ids::IDC_RS485, Ids::IDC_AXIS, Ids::IDC_SENDER_AXIS, "300", "255"},
        {Ids::IDC_BRANNOVETRIXCAN, Ids::IDC_AXIS, Ids::IDC_SENDER_AXIS, "300", "31"},
        {Ids::IDC_RS485, Ids::IDC_GROUP, Ids::IDC_DESTINATION_ID, "9", "8"},
        {Ids::IDC_BRANNOVETRIXCAN, Ids::IDC_GROUP, Ids::IDC_DESTINATION_ID, "6", "5"},
        {Ids::IDC_RS485, Ids::IDC_AXIS, Ids::IDC_RETURNED_VALUE, "", "ABBA5A5B"},
        {Ids::IDC_RS485, Ids::IDC_AXIS, Ids::IDC_RETURNED_VALUE, "xyz", "ABBA5A5B"},
        {Ids::IDC_RS485, Ids::IDC_AXIS, Ids::IDC_RETURNED_VALUE, "12ab", "12AB"},
        {Ids::IDC_RS485, Ids::IDC_GROUP, Ids::IDC_RETURNED_AXIS, "0", "23"},
    };
    for (const Case& c : cases) {
      DialogAutomation::ClickControl(d, c.protocol);
      DialogAutomation::ClickControl(d, c.destination);
      DialogAutomation::TypeInto(d, c.field, *c.typed ? c.typed : "\b");
      Compile(d, "");
      EXPECT_EQ(CString(c.shown), Text(d, c.field)) << c.typed;
    }
    // Broadcast has no destination id; the answering axis is asked only beyond one axis.
    DialogAutomation::ClickControl(d, Ids::IDC_BROADCAST);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, Ids::IDC_DESTINATION_ID)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, Ids::IDC_RETURNED_AXIS)));
    DialogAutomation::ClickControl(d, Ids::IDC_AXIS);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, Ids::IDC_RETURNED_AXIS)));
    // RS 232 talks as the host to its own axis; VKS names the sender buttons its own way.
    DialogAutomation::ClickControl(d, Ids::IDC_VKS);
    EXPECT_EQ(CString("Relay Axis"), Text(d, Ids::IDC_RELAY));
    DialogAutomation::ClickControl(d, Ids::IDC_RS232);
    EXPECT_EQ(CString("Relay"), Text(d, Ids::IDC_RELAY));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, Ids::IDC_RELAY)));
    EXPECT_EQ((UINT)BST_CHECKED, d->IsDlgButtonChecked(Ids::IDC_HOST));
  });
}

TEST_F(BinaryCodeViewerTest, AQueryOnRs232AndTheFailuresItShows) {
  Run([&](CWnd* d) {
    DialogAutomation::ClickControl(d, Ids::IDC_VKS);
    DialogAutomation::ClickControl(d, Ids::IDC_AXIS);
    DialogAutomation::TypeInto(d, Ids::IDC_SENDER_AXIS, "1");
    DialogAutomation::TypeInto(d, Ids::IDC_RETURNED_VALUE, "\b");
    DialogAutomation::ClickControl(d, Ids::IDC_RS232);  // the destination takes the sender's axis
    Compile(d, "?IQ");
    EXPECT_EQ(CString("06 00 10 B2 04 00 11 03 00 E0 "), Text(d, Ids::IDC_SENT));
    EXPECT_EQ(CString("4F 06 00 11 D4 01 03 00 5A 5B A4 "), Text(d, Ids::IDC_RECEIVED));
    // The same query as VKS words.
    DialogAutomation::ClickControl(d, Ids::IDC_VKS);
    EXPECT_EQ(CString(), Text(d, Ids::IDC_SENT));  // a protocol change empties the boxes
    Compile(d, "?IQ");
    EXPECT_EQ(CString("B204 0011 0300 "), Text(d, Ids::IDC_SENT));
    Compile(d, "?NO_SUCH_NAME");
    EXPECT_EQ(CString("UNKNOWN SYMBOL"), Text(d, Ids::IDC_SENT));
    // A compiled instruction on RS 485: length, address, words and an 8-bit sum that adds up.
    DialogAutomation::ClickControl(d, Ids::IDC_RS485);
    Compile(d, "CPOS=100");
    std::vector<unsigned> frame;
    CString sent = Text(d, Ids::IDC_SENT);
    for (int at = 0; at + 2 <= sent.GetLength(); at += 3) frame.push_back((unsigned)strtoul(sent.Mid(at, 2), nullptr, 16));
    ASSERT_GT(frame.size(), 4u) << sent.GetString();
    EXPECT_EQ(frame[0], frame.size() - 4);
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < frame.size(); ++i) sum += frame[i];
    EXPECT_EQ(sum & 0xFF, frame.back());
    EXPECT_EQ(CString("4F "), Text(d, Ids::IDC_RECEIVED));  // towards one axis: the acknowledgement alone
  });
  // A compile failure shows the compiler's first line after its first ':'.
  std::string source = dravonix::test::ScratchDir("viewer") + "/bad.asm";
  WriteBytes(source, "#error the line is wrong\r\n");
  WORD start, size;
  m_setup->GetDefaultDataSection(start, size);
  ASSERT_FALSE(m_setup->CompileFile(source.c_str(), 0x8000, 0x4000, 0x8000, start, size, 0x11, nullptr));
  CString raw = m_setup->GetCompilerErrorString();
  CString expected = raw.Mid(raw.Find(':') + 1);
  expected.TrimLeft();
  if (expected.FindOneOf("\r\n") >= 0) expected = expected.Left(expected.FindOneOf("\r\n"));
  Run([&](CWnd* d) {
    Compile(d, "#error the line is wrong");
    EXPECT_EQ(expected, Text(d, Ids::IDC_SENT));
    EXPECT_EQ(CString("error: the line is wrong"), Text(d, Ids::IDC_SENT));
    EXPECT_EQ(-1, Text(d, Ids::IDC_SENT).Find(".asm"));
  });
}

TEST_F(BinaryCodeViewerTest, SettingsComeBackWhenTheViewerOpensAgain) {
  const struct {
    UINT key;  // 0: the Close button
    const char* source;
  } closings[] = {{0, "?IQ"}, {VK_RETURN, "?TPOS"}, {VK_ESCAPE, "?IQ;?TPOS"}};
  for (const auto& c : closings) {
    Run([&](CWnd* d) {
      DialogAutomation::ClickControl(d, Ids::IDC_VKSCAN);
      DialogAutomation::ClickControl(d, Ids::IDC_GROUP);
      DialogAutomation::TypeInto(d, Ids::IDC_DESTINATION_ID, "3");
      DialogAutomation::TypeInto(d, Ids::IDC_SENDER_AXIS, "7");
      DialogAutomation::TypeInto(d, Ids::IDC_SOURCE, c.source);
    }, c.key);
    Run([&](CWnd* d) {
      EXPECT_EQ(CString(c.source), Text(d, Ids::IDC_SOURCE)) << c.key;
      EXPECT_EQ((UINT)BST_CHECKED, d->IsDlgButtonChecked(Ids::IDC_VKSCAN));
      EXPECT_EQ((UINT)BST_CHECKED, d->IsDlgButtonChecked(Ids::IDC_GROUP));
      EXPECT_EQ(CString("3"), Text(d, Ids::IDC_DESTINATION_ID)) << c.key;
      EXPECT_EQ(CString("7"), Text(d, Ids::IDC_SENDER_AXIS)) << c.key;
      // The next round types its own values.
      DialogAutomation::ClickControl(d, Ids::IDC_RS485);
      DialogAutomation::ClickControl(d, Ids::IDC_AXIS);
      DialogAutomation::TypeInto(d, Ids::IDC_SOURCE, "");
      DialogAutomation::TypeInto(d, Ids::IDC_SENDER_AXIS, "1");
      DialogAutomation::TypeInto(d, Ids::IDC_DESTINATION_ID, "1");
    });
  }
}

TEST_F(BinaryCodeViewerTest, CanProtocolsCarryTheOpcodeInTheIdentifier) {
  // "?IQ" from relay axis 1 to axis 3: sent B2 04 00 10 03 00, reply D4 03 03 00 5A 5B.
  struct Case {
    int protocol;
    const char* sent;
    const char* received;
  };
  const Case cases[] = {
      // Identifier: opcode bits 0-8, the axis from bit 13, opcode bits 9-15 from bit 22; even data byte-swapped.
      {Ids::IDC_VKSCAN, "16406004 10 00 00 03 ", "1A802003 00 03 5B 5A "},
      // Identifier 1, axis 3 with type 0x20; the reply (class B) shrinks its opcode to one byte.
      {Ids::IDC_BRANNOVETRIXCAN, "123 04 B2 10 00 00 03 ", "103 00 00 03 5B 5A "},
  };
  Run([&](CWnd* d) {
    DialogAutomation::ClickControl(d, Ids::IDC_RS485);
    DialogAutomation::ClickControl(d, Ids::IDC_RELAY);
    DialogAutomation::ClickControl(d, Ids::IDC_AXIS);
    DialogAutomation::TypeInto(d, Ids::IDC_SENDER_AXIS, "1");
    DialogAutomation::TypeInto(d, Ids::IDC_DESTINATION_ID, "3");
    DialogAutomation::TypeInto(d, Ids::IDC_RETURNED_VALUE, "\b");
    for (const Case& c : cases) {
      DialogAutomation::ClickControl(d, c.protocol);
      Compile(d, "?IQ");
      EXPECT_EQ(CString(c.sent), Text(d, Ids::IDC_SENT)) << c.protocol;
      EXPECT_EQ(CString(c.received), Text(d, Ids::IDC_RECEIVED)) << c.protocol;
    }
  });
}

// F1 in any of its fields opens the viewer's help as its Help button does; Alt+F4 closes it.
TEST_F(BinaryCodeViewerTest, F1OpensItsHelpAndAltF4ClosesIt) {
  Automation::Instance().ClearHelpCalls();
  bool closed = false;
  DialogAutomation::AddDialogHandler(Ids::IDD, [&](CWnd* d) {
    DialogAutomation::ClickControl(d, Ids::IDC_SOURCE);
    dravonix::test::PostGesture(::GetFocus(), dravonix::test::Gesture::kF1);
    UiAutomation::Pump();
    dravonix::test::PostGesture(::GetFocus(), dravonix::test::Gesture::kAltF4);
    UiAutomation::Pump();
    closed = !d->IsWindowVisible();
    if (!closed) DialogAutomation::ClickControl(d, IDCANCEL);
  });
  m_setup->DoBinaryCodeViewer(nullptr);
  const auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(1u, help.size());
  EXPECT_EQ(4132u, help[0].data);
  EXPECT_EQ(15u, help[0].command);
  EXPECT_TRUE(closed);
}

// Each key route through the viewer ends as its click route: every control's text, state and check,
// the focus, and the picture against a full repaint.
TEST_F(BinaryCodeViewerTest, EachKeyRouteEndsAsItsClick) {
  using Act = std::function<void(CWnd*)>;
  auto click = &dravonix::test::ClickAct;
  auto type = &dravonix::test::TypeAct;
  auto keys = [](std::vector<UINT> ks) {
    return [ks](CWnd*) {
      for (UINT vk : ks) UiAutomation::PressKey(vk);
    };
  };
  auto state = [](CWnd* d) {
    std::string s;
    for (CWnd* c = d->GetWindow(GW_CHILD); c; c = c->GetNextWindow()) {
      CString t;
      c->GetWindowText(t);
      s += std::to_string(c->GetDlgCtrlID()) + ":" + t.GetString() + (c->IsWindowEnabled() ? "" : " off") +
           std::to_string((int)c->SendMessage(BM_GETCHECK)) + " ";
    }
    return s + "focus " + std::to_string(::GetDlgCtrlID(::GetFocus())) + " off " +
           std::to_string(dravonix::test::PixelsOffFullRepaint(d->m_hWnd));
  };
  const auto query = type(Ids::IDC_SOURCE, "?IQ");
  const struct {
    const char* what;
    std::vector<Act> keyed, clicked;
  } pairs[] = {
      {"protocol by Down", {click(Ids::IDC_RS232), query, click(Ids::IDC_COMPILE), click(Ids::IDC_RS232), keys({VK_DOWN})},
       {click(Ids::IDC_RS232), query, click(Ids::IDC_COMPILE), click(Ids::IDC_RS485)}},
      {"protocol by Up to RS 232", {click(Ids::IDC_RS485), click(Ids::IDC_VKSCAN), keys({VK_UP, VK_UP})},
       {click(Ids::IDC_RS485), click(Ids::IDC_VKSCAN), click(Ids::IDC_RS485), click(Ids::IDC_RS232)}},
      {"protocol by End", {click(Ids::IDC_RS485), keys({VK_DOWN, VK_DOWN, VK_DOWN})},
       {click(Ids::IDC_RS485), click(Ids::IDC_VKSCAN), click(Ids::IDC_BRANNOVETRIXCAN), click(Ids::IDC_VKS)}},
      {"sender by Up", {click(Ids::IDC_RS485), query, click(Ids::IDC_COMPILE), click(Ids::IDC_HOST), keys({VK_UP})},
       {click(Ids::IDC_RS485), query, click(Ids::IDC_COMPILE), click(Ids::IDC_HOST), click(Ids::IDC_RELAY)}},
      {"sender on RS 232: Up stays on Host", {click(Ids::IDC_RS232), query, click(Ids::IDC_COMPILE), click(Ids::IDC_HOST), keys({VK_UP})},
       {click(Ids::IDC_RS232), query, click(Ids::IDC_COMPILE), click(Ids::IDC_HOST)}},
      {"destination by Down", {click(Ids::IDC_AXIS), query, click(Ids::IDC_COMPILE), click(Ids::IDC_AXIS), keys({VK_DOWN, VK_DOWN})},
       {click(Ids::IDC_AXIS), query, click(Ids::IDC_COMPILE), click(Ids::IDC_GROUP), click(Ids::IDC_BROADCAST)}},
      {"compile by Space", {query, keys({VK_TAB, VK_SPACE})}, {query, click(Ids::IDC_COMPILE)}},
      {"compile by Enter on its button", {query, keys({VK_TAB, VK_RETURN})}, {query, click(Ids::IDC_COMPILE)}},
      {"source by Backspace", {query, click(Ids::IDC_COMPILE), click(Ids::IDC_SOURCE), keys({VK_END, VK_BACK})},
       {query, click(Ids::IDC_COMPILE), type(Ids::IDC_SOURCE, "?I")}},
      {"source by Delete", {query, click(Ids::IDC_COMPILE), click(Ids::IDC_SOURCE), keys({VK_HOME, VK_DELETE})},
       {query, click(Ids::IDC_COMPILE), type(Ids::IDC_SOURCE, "IQ")}},
      {"sender axis typed, compiled by Space", {click(Ids::IDC_RS485), query, type(Ids::IDC_SENDER_AXIS, "300"),
                                                 click(Ids::IDC_COMPILE), click(Ids::IDC_SOURCE), keys({VK_TAB, VK_SPACE})},
       {click(Ids::IDC_RS485), query, type(Ids::IDC_SENDER_AXIS, "300"), click(Ids::IDC_COMPILE), click(Ids::IDC_COMPILE)}},
  };
  for (const auto& p : pairs) {
    std::string got[2];
    for (int k = 0; k < 2; ++k)
      Run([&](CWnd* d) {
        for (const Act& a : k ? p.clicked : p.keyed) a(d);
        got[k] = state(d);
      });
    EXPECT_EQ(got[0], got[1]) << p.what;
  }
}

// The arrows walk the radios of each group round and choose the one they reach, as a click does; they
// never leave a group for its label or the next group's frame.
TEST_F(BinaryCodeViewerTest, ArrowsStayInEachRadioGroupAndChoose) {
  namespace UA = UiAutomation;
  std::vector<std::string> seen;
  Run([&](CWnd* d) {
    auto checked = [d](int first, int last) {
      for (int id = first; id <= last; ++id)
        if (d->IsDlgButtonChecked(id)) return id;
      return 0;
    };
    const std::pair<int, UINT> steps[] = {
        {Ids::IDC_VKS, VK_DOWN}, {0, VK_UP},   {Ids::IDC_RELAY, VK_DOWN}, {0, VK_DOWN}, {Ids::IDC_BROADCAST, VK_DOWN},
        {0, VK_LEFT},            {0, VK_SPACE},
    };
    for (auto [click, key] : steps) {
      if (click) DialogAutomation::ClickControl(d, click);
      UA::PressKey(key);
      seen.push_back(std::to_string(::GetDlgCtrlID(::GetFocus())) + " " +
                     std::to_string(checked(Ids::IDC_RS232, Ids::IDC_VKS)) + " " +
                     std::to_string(checked(Ids::IDC_RELAY, Ids::IDC_HOST)) + " " +
                     std::to_string(checked(Ids::IDC_AXIS, Ids::IDC_BROADCAST)) + " " +
                     std::to_string(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, Ids::IDC_DESTINATION_ID))));
    }
  });
  const auto line = [](int focus, int protocol, int sender, int destination, int idEnabled) {
    return std::to_string(focus) + " " + std::to_string(protocol) + " " + std::to_string(sender) + " " +
           std::to_string(destination) + " " + std::to_string(idEnabled);
  };
  EXPECT_EQ(seen, (std::vector<std::string>{
                      line(Ids::IDC_RS232, Ids::IDC_RS232, Ids::IDC_HOST, Ids::IDC_AXIS, 1),
                      line(Ids::IDC_VKS, Ids::IDC_VKS, Ids::IDC_HOST, Ids::IDC_AXIS, 1),
                      line(Ids::IDC_HOST, Ids::IDC_VKS, Ids::IDC_HOST, Ids::IDC_AXIS, 1),
                      line(Ids::IDC_RELAY, Ids::IDC_VKS, Ids::IDC_RELAY, Ids::IDC_AXIS, 1),
                      line(Ids::IDC_AXIS, Ids::IDC_VKS, Ids::IDC_RELAY, Ids::IDC_AXIS, 1),
                      line(Ids::IDC_BROADCAST, Ids::IDC_VKS, Ids::IDC_RELAY, Ids::IDC_BROADCAST, 0),
                      line(Ids::IDC_BROADCAST, Ids::IDC_VKS, Ids::IDC_RELAY, Ids::IDC_BROADCAST, 0),
                  }));
}
