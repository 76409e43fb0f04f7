// A dialog's combo box control seen as a CComboBox for the time the wrapper lives.
#pragma once

#include "platform/ui/Controls.h"

class CChildCombo {
 public:
  CChildCombo(CWnd* parent, int id) {
    HWND h = parent && id ? ::GetDlgItem(parent->m_hWnd, id) : nullptr;
    if (!h) return;
    if (auto* combo = dynamic_cast<CComboBox*>(CWnd::FromHandlePermanent(h))) m_pCombo = combo;
    else if (m_own.Attach(h)) m_pCombo = &m_own;
  }
  ~CChildCombo() {
    if (m_pCombo == &m_own) m_own.Detach();
  }
  CChildCombo(const CChildCombo&) = delete;
  CChildCombo& operator=(const CChildCombo&) = delete;

  operator CComboBox*() { return m_pCombo; }
  CComboBox* operator->() { return m_pCombo; }

 private:
  CComboBox m_own;
  CComboBox* m_pCombo = nullptr;
};
