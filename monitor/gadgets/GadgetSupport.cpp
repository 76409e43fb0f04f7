#include "monitor/gadgets/GadgetSupport.h"

#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/panels/ControlPanelVar.h"
#include "monitor/panels/MC_ControlPanel.h"

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
