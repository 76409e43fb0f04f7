// The edit dialogs of the gadget kinds, and the edit sequence their windows share.
#pragma once

#include "kernel/document/MC_Document.h"
#include "monitor/gadgets/ControlPanelBitItem.h"
#include "monitor/gadgets/ControlPanelGaugeItem.h"
#include "monitor/gadgets/ControlPanelPortItems.h"
#include "monitor/gadgets/ControlPanelScopeItems.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/gadgets/ControlPanelSliderItem.h"
#include "monitor/gadgets/ControlPanelTextItem.h"
#include "monitor/panels/GadgetEditDlg.h"
#include "monitor/panels/GadgetWnd.h"
#include "platform/gdi/GdiObject.h"

// Dialog and control ids the gadget dialogs share.
enum : UINT {
  IDD_GADGET_SCOPE = 14006,
  IDD_GADGET_SHOWVAR = 14007,
  IDD_GADGET_DOUBLE_SCOPE = 14008,
  IDD_GADGET_YX_SCOPE = 14009,
  IDD_GADGET_GAUGE = 14010,
  IDD_GADGET_SLIDER = 14011,
  IDD_GADGET_INPUT = 14012,
  IDD_GADGET_OUTPUT = 14013,
  IDD_GADGET_CODE = 14014,
  IDD_GADGET_BIT = 14015,
  IDD_GADGET_TEXT = 14016,
  IDC_GADGET_TITLE = 14000,
  IDC_GADGET_COLOR = 14006,
  IDC_GADGET_NEED_UPD = 14011,
  IDC_GADGET_CODE_TEXT = 14018,
  IDC_GADGET_FILLED = 14020,
  IDC_GADGET_PERIOD = 14028,
  IDC_GADGET_COLOR2 = 14032,
  IDC_GADGET_BIT_LIST = 14047,
  IDC_GADGET_BORDER = 14048,
  IDC_GADGET_FONT = 14049,
  IDC_GADGET_SWATCH = 14070,
  IDC_GADGET_SWATCH2 = 14071,
};

// Runs `Dialog` on a copy of the gadget's item; on OK the item takes the copy and is shown again.
template <class Dialog, class Item>
BOOL RunGadgetEditDialog(CGadgetWnd& gadget, bool needsSetup, bool relocate) {
  auto* item = dynamic_cast<Item*>(gadget.m_pItem);
  CMC_Document* doc = gadget.GetDocument();
  CMC_Setup* setup = needsSetup && doc ? doc->GetSetup() : nullptr;
  if (!item || (needsSetup && !setup)) return FALSE;
  Dialog dialog(setup, needsSetup ? doc->GetCoffFile() : nullptr, *item);
  if (dialog.DoModal() != IDOK) return FALSE;
  static_cast<CControlPanelItem&>(*item) = *dialog.GetItem();
  if (relocate) item->LocateItemVariables(setup, doc->GetCoffFile());
  gadget.RefreshFromItem();
  return TRUE;
}

// What every kind's dialog holds: its copy of the item, and colour swatches.
template <class Item>
class CGadgetItemEditDlg : public CGadgetEditDlg {
 public:
  CGadgetItemEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId, const Item& item, UINT helpId)
      : CGadgetEditDlg(setup, coff, templateId) {
    static_cast<CControlPanelItem&>(m_item) = item;
    m_nHelpId = helpId;
  }
  CControlPanelItem* GetItem() override { return &m_item; }
  Item m_item;

 protected:
  // Saves what the controls hold without messages.
  void QuietSave();
  // The period box between "Read value at every" (or "Time period") and its unit.
  void DDX_Period(CDataExchange* pDX, WORD& period);
  // Asks for a colour; TRUE when one was chosen and its swatch is repainted.
  BOOL ChooseColor(COLORREF& color, CBrush& brush, int swatch);
  HBRUSH SwatchBrush(CWnd* pWnd, UINT nCtlColor, CBrush* brushes[2]);

 private:
  // A quiet save met a period that OK refuses: the reload leaves the typed text.
  bool m_bKeepTypedPeriod = false;
};

class CGadgetShowVarEditDlg : public CGadgetItemEditDlg<CControlPanelShowVarItem> {
 public:
  CGadgetShowVarEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelShowVarItem& item)
      : CGadgetItemEditDlg(setup, coff, IDD_GADGET_SHOWVAR, item, 4112) {}
  CControlPanelVar* GetVar() override { return &m_item.m_var; }
  void OnVariableChanged() override;
  void DoDataExchange(CDataExchange* pDX) override;
};

// The gauge dialog's code, shared by the scope kind's.
template <class Item>
class CGadgetColorVarEditDlg : public CGadgetItemEditDlg<Item> {
 public:
  CGadgetColorVarEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId, const Item& item, UINT helpId);
  CControlPanelVar* GetVar() override { return &this->m_item.m_var; }
  void OnVariableChanged() override;
  void DoDataExchange(CDataExchange* pDX) override;
  CBrush m_brColor;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
};

class CGadgetGaugeEditDlg : public CGadgetColorVarEditDlg<CControlPanelGaugeItem> {
 public:
  CGadgetGaugeEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelGaugeItem& item)
      : CGadgetColorVarEditDlg(setup, coff, IDD_GADGET_GAUGE, item, 4113) {}
};

class CGadgetScopeEditDlg : public CGadgetColorVarEditDlg<CControlPanelScopeItem> {
 public:
  CGadgetScopeEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelScopeItem& item)
      : CGadgetColorVarEditDlg(setup, coff, IDD_GADGET_SCOPE, item, 4116) {}
};

class CGadgetSliderEditDlg : public CGadgetItemEditDlg<CControlPanelSliderItem> {
 public:
  CGadgetSliderEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelSliderItem& item)
      : CGadgetItemEditDlg(setup, coff, IDD_GADGET_SLIDER, item, 4120) {}
  CControlPanelVar* GetVar() override { return &m_item.m_var; }
  void OnVariableChanged() override;
  void DoDataExchange(CDataExchange* pDX) override;
};

// Two quantities: the double scope's ("Left", "Right") and the Y(X) scope's ("Y axis", "X axis").
template <class Item>
class CGadgetTwoVarEditDlg : public CGadgetItemEditDlg<Item> {
 public:
  CGadgetTwoVarEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId, const Item& item, UINT helpId,
                       const char* between, const char* after);
  CControlPanelVar* GetVar() override { return &this->m_item.m_var; }
  CControlPanelVar* GetSecondVar() override { return &this->m_item.m_var2; }
  void OnVariableChanged() override;
  void DoDataExchange(CDataExchange* pDX) override;
  CBrush m_brColor;
  CBrush m_brColor2;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  const char* m_pszBetween;
  const char* m_pszAfter;
};

class CGadgetDoubleScopeEditDlg : public CGadgetTwoVarEditDlg<CControlPanelDoubleScopeItem> {
 public:
  CGadgetDoubleScopeEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelDoubleScopeItem& item)
      : CGadgetTwoVarEditDlg(setup, coff, IDD_GADGET_DOUBLE_SCOPE, item, 4117, ", ", "") {}
};

class CGadgetYXScopeEditDlg : public CGadgetTwoVarEditDlg<CControlPanelYXScopeItem> {
 public:
  CGadgetYXScopeEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelYXScopeItem& item)
      : CGadgetTwoVarEditDlg(setup, coff, IDD_GADGET_YX_SCOPE, item, 4118, "(", ")") {}
};

// The input and output dialogs: axis, title, port and period.
template <class Item>
class CGadgetPortEditDlg : public CGadgetItemEditDlg<Item> {
 public:
  CGadgetPortEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId, const Item& item, UINT helpId)
      : CGadgetItemEditDlg<Item>(setup, coff, templateId, item, helpId) {}
  void DoDataExchange(CDataExchange* pDX) override;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class CGadgetInputEditDlg : public CGadgetPortEditDlg<CControlPanelInputItem> {
 public:
  CGadgetInputEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelInputItem& item)
      : CGadgetPortEditDlg(setup, coff, IDD_GADGET_INPUT, item, 4114) {}
};

class CGadgetOutputEditDlg : public CGadgetPortEditDlg<CControlPanelOutputItem> {
 public:
  CGadgetOutputEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelOutputItem& item)
      : CGadgetPortEditDlg(setup, coff, IDD_GADGET_OUTPUT, item, 4115) {}
};

class CGadgetBitEditDlg : public CGadgetItemEditDlg<CControlPanelBitItem> {
 public:
  CGadgetBitEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelBitItem& item)
      : CGadgetItemEditDlg(setup, coff, IDD_GADGET_BIT, item, 4119) {}
  void OnVariableChanged() override;
  void DoDataExchange(CDataExchange* pDX) override;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  LRESULT OnRefillVariableList(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  void FillBitList();
  void NameChanged(const CString& name);
};

class CGadgetCodeEditDlg : public CGadgetItemEditDlg<CControlPanelCodeItem> {
 public:
  CGadgetCodeEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelCodeItem& item)
      : CGadgetItemEditDlg(setup, coff, IDD_GADGET_CODE, item, 4121) {}
  void DoDataExchange(CDataExchange* pDX) override;

 protected:
  void OnGetMinMaxInfo(MINMAXINFO* info) override;
  void OnSize(UINT type, int cx, int cy) override;
};

class CGadgetTextEditDlg : public CGadgetItemEditDlg<CControlPanelTextItem> {
 public:
  CGadgetTextEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, const CControlPanelTextItem& item)
      : CGadgetItemEditDlg(nullptr, nullptr, IDD_GADGET_TEXT, item, 4122) {
    (void)setup;
    (void)coff;
    m_brBackground.CreateSolidBrush(m_item.m_crBackground);
  }
  void DoDataExchange(CDataExchange* pDX) override;
  CBrush m_brBackground;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
};
