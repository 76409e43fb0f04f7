// Shared pieces of the setup dialog tests: a host window with combo boxes and readers of their items.
#pragma once

#include "platform/core/Exception.h"
#include "platform/ui/Controls.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/Throws.h"

#include <string>
#include <vector>

using dravonix::test::ThrowsInvalidArg;

inline std::vector<std::string> ComboTexts(const CComboBox& combo) {
  std::vector<std::string> out;
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString text;
    combo.GetLBText(i, text);
    out.push_back(std::string(text));
  }
  return out;
}

inline std::vector<long long> ComboData(const CComboBox& combo) {
  std::vector<long long> out;
  for (int i = 0; i < combo.GetCount(); ++i) out.push_back((long long)combo.GetItemData(i));
  return out;
}

inline std::string ComboSelection(const CComboBox& combo) {
  int i = combo.GetCurSel();
  if (i < 0) return "<none>";
  CString text;
  combo.GetLBText(i, text);
  return std::string(text);
}

// A setup test with a hidden host window holding four drop-down lists.
class ComboSetupTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP, CRect(0, 0, 300, 300), nullptr, 0);
    for (int i = 0; i < 4; ++i)
      m_combo[i].Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, CRect(5, 5 + 25 * i, 200, 200), &m_host,
                        (UINT)(1 + i));
  }
  void TearDown() override {
    m_host.DestroyWindow();
    SetupTest::TearDown();
  }
  CWnd m_host;
  CComboBox m_combo[4];
};
