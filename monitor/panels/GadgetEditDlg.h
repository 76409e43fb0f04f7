// The base of every gadget's edit dialog: the blocks that choose a gadget's quantities (axis,
// variable or expression, unit, precision, hexadecimal, range) and their commands.
#pragma once

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

class CMC_Setup;
class CMC_CoffFormat;
class CControlPanelItem;
class CControlPanelVar;

class CGadgetEditDlg : public CDialog {
  DECLARE_DYNAMIC(CGadgetEditDlg)

 public:
  // Controls of the block of quantity i are these ids plus i; the radios take two ids each.
  enum {
    IDC_AXIS = 14050,
    IDC_VARIABLE = 14052,
    IDC_EXPRESSION = 14054,
    IDC_UNIT = 14056,
    IDC_PRECISION = 14058,
    IDC_HEXA = 14060,
    IDC_MIN = 14062,
    IDC_MAX = 14064,
    IDC_RADIO_VARIABLE = 14066,
    IDC_RADIO_EXPRESSION = 14067,
    IDC_HELP_BUTTON = 9,
    WM_REFILL_VARIABLES = 6029,
  };

  CGadgetEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId, CWnd* parent = nullptr);

  // The dialog's working copy of the item.
  virtual CControlPanelItem* GetItem() = 0;
  virtual CControlPanelVar* GetVar() { return nullptr; }
  virtual CControlPanelVar* GetSecondVar() { return nullptr; }
  virtual void OnVariableChanged() {}

  // The block of quantity `index` (0 or 1) in a kind's data exchange.
  void DDX_VariableBlock(CDataExchange* pDX, int index, BOOL withRange);
  // The setup's variables (firmware ones too while all are listed), the program's, and the toggle.
  void FillVariableCombo(int index);

  // Shared by every gadget dialog: firmware variables listed too.
  static int ms_bListAllVariables;

  CMC_Setup* m_pSetup;
  CMC_CoffFormat* m_pCoff;
  int m_bShowMessages = 1;
  UINT m_nHelpId = 0;

 protected:
  // Notifications the dialog's own changes raise are not the user's: they are ignored meanwhile.
  struct Quiet {
    explicit Quiet(CGadgetEditDlg* dialog) : m_depth(dialog->m_nQuiet) { ++m_depth; }
    ~Quiet() { --m_depth; }
    int& m_depth;
  };
  bool IsQuiet() const { return m_nQuiet != 0; }

  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnRefillVariables(WPARAM wParam, LPARAM lParam);
  // The dialog's combo box `id` (of the blocks' ids), or null when the template has none.
  CComboBox* Combo(int id);
  // "as set in Comm Setup", then the axes 1 to 255, each with its number as data.
  void FillAxisCombo(int id, int selected);
  // Shows a variable's name in control `id`.
  void ShowName(int id, const CString& name);
  DECLARE_MESSAGE_MAP()

 private:
  CControlPanelVar* VarOf(int index);
  // Saves what the controls hold without messages; framework exceptions are swallowed.
  void SilentSave();
  void AfterChange();
  void ExchangeUnit(CDataExchange* pDX, CControlPanelVar& var, int index);

  int m_nQuiet = 0;
  // The combos of both blocks, by id from IDC_AXIS (the edits and boxes between stay unused).
  static constexpr int kComboSlots = IDC_PRECISION + 2 - IDC_AXIS;
  CComboBox m_combos[kComboSlots];
};
