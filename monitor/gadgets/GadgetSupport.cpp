#include "monitor/gadgets/GadgetSupport.h"

#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/panels/ControlPanelVar.h"
#include "monitor/panels/MC_ControlPanel.h"

#include <algorithm>
#include <climits>

CRect ChildRect(CWnd* parent, int id) {
  CRect r(0, 0, 0, 0);
  CWnd* child = parent ? parent->GetDlgItem(id) : nullptr;
  if (!child) return r;
  child->GetWindowRect(&r);
  parent->ScreenToClient(&r);
  return r;
}

void MoveChild(CWnd* parent, int id, int x, int y, int width, int height) {
  if (CWnd* child = parent ? parent->GetDlgItem(id) : nullptr) child->MoveWindow(x, y, width, height);
}

void CGadgetRows::Capture(CWnd& gadget, std::initializer_list<std::initializer_list<int>> rows, int stretch) {
  m_rows.clear();
  CRect window;
  gadget.GetWindowRect(&window);
  // The template has no frame: the window is as high as the template's client area.
  m_nHeight = window.Height();
  m_nStretch = stretch;
  for (const auto& ids : rows) {
    Row row{{}, INT_MAX, INT_MIN};
    for (int id : ids) {
      if (!gadget.GetDlgItem(id)) continue;
      const CRect r = ChildRect(&gadget, id);
      row.controls.push_back({id, r.top, r.Height()});
      row.top = std::min(row.top, (int)r.top);
      row.bottom = std::max(row.bottom, (int)r.bottom);
    }
    if (!row.controls.empty()) m_rows.push_back(row);
  }
}

void CGadgetRows::Fit(CWnd& gadget, int height) const {
  const size_t n = m_rows.size();
  if (!n) return;
  std::vector<int> gaps(n + 1), heights(n);
  gaps[0] = m_rows[0].top;
  for (size_t i = 1; i < n; ++i) gaps[i] = m_rows[i].top - m_rows[i - 1].bottom;
  gaps[n] = m_nHeight - m_rows[n - 1].bottom;
  for (size_t i = 0; i < n; ++i) heights[i] = m_rows[i].bottom - m_rows[i].top;
  int missing = m_nHeight - height;
  for (size_t i = n + 1; i-- > 0 && missing > 0;) {
    const int give = std::min(missing, std::max(gaps[i] - 1, 0));
    gaps[i] -= give;
    missing -= give;
  }
  if (missing > 0 && m_nStretch >= 0 && (size_t)m_nStretch < n)
    heights[(size_t)m_nStretch] = std::max(heights[(size_t)m_nStretch] - missing, 1);
  int y = 0;
  for (size_t i = 0; i < n; ++i) {
    const int top = y + gaps[i];
    for (const Control& c : m_rows[i].controls) {
      const int at = top + c.top - m_rows[i].top;
      const CRect r = ChildRect(&gadget, c.id);
      MoveChild(&gadget, c.id, r.left, at, r.Width(), std::max(std::min(c.height, top + heights[i] - at), 1));
    }
    y = top + heights[i];
  }
}

void SetChildText(CWnd* parent, int id, const char* text) {
  if (parent && parent->GetDlgItem(id)) parent->SetDlgItemText(id, text);
}

CString DefaultVarTitle(const CControlPanelVar& var) {
  if (var.m_strName.IsEmpty()) return "";
  CString title;
  if (var.m_nAxis) title.Format("{%hd}", (short)var.m_nAxis);
  if (var.m_bAllowExpression && var.m_bExpression) return title + "expr";
  title += var.m_strName;
  if (!var.m_strUnit.IsEmpty() && var.m_strUnit[0] != '\\') title += "[" + var.m_strUnit + "]";
  return title;
}

BOOL PanelsRunning(CGadgetWnd& gadget) {
  CMC_Document* doc = gadget.GetDocument();
  return doc && doc->GetControlPanel() && CMC_ControlPanel::ms_bStarted;
}

BOOL SendGadgetCode(CGadgetWnd& gadget, const CString& code, WORD address, BOOL withCoff) {
  CMC_Document* doc = gadget.GetDocument();
  CMC_Setup* setup = doc ? doc->GetSetup() : nullptr;
  return setup && setup->ExecuteString(code, address, withCoff ? doc->GetCoffFile() : nullptr);
}

void InvalidateGadgetWords(CGadgetWnd& gadget, BYTE axis, WORD address, int count) {
  CMC_Document* doc = gadget.GetDocument();
  if (CMC_ControlPanel* panels = doc ? doc->GetControlPanel() : nullptr) panels->InvalidateMemory(axis, address, count);
}

void SetScaleSizeLimits(CGadgetWnd& gadget, BOOL vertical, const CRect& t, int maxId, int minId) {
  if (!vertical) {
    gadget.m_nMinWidth = 3 * ChildRect(&gadget, maxId).Width() + 20;
    gadget.m_nMinHeight = gadget.m_nMaxHeight = t.Height();
  } else {
    gadget.m_nMaxWidth = t.Width();
    gadget.m_nMinWidth = t.Width() / 2;
    gadget.m_nMinHeight = 4 * ChildRect(&gadget, minId).Height() + 80;
  }
}
