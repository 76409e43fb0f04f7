// The modal choice of one scope signal: a variable, a register bit, a digital port or a variable's bit.
#pragma once

#include "monitor/loggers/MC_LoggerItem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

class CMC_ScopeLogger;
class CMC_Setup;
class CMC_CoffFormat;

// The process-wide "list all variables" flag of the dialogs that list drive variables.
int& LoggerListAllVariables();
// Fills a variable combo: the setup's variables (all of them while the flag is set), the COFF image's
// simple variables, and the toggle entry at position 0. Nothing without a setup.
void FillLoggerVariableCombo(CComboBox& combo, CMC_Setup* setup, CMC_CoffFormat* coff);
// Locates an item with the kernel's messages switched off.
int LocateItemQuietly(class CMC_Logger* logger, CMC_LoggerItem* item);

// Posted by the variable dialogs to themselves: refill the variable combos and open the list.
constexpr UINT WM_REFILL_VARIABLE_COMBOS = 6029;

class CScopeChannelSelectionDlg : public CDialog {
  DECLARE_DYNAMIC(CScopeChannelSelectionDlg)

 public:
  enum : UINT {
    IDD = 14053,
    IDC_KIND_FIRST = 14000,  // radios 14000..14006: kinds -1..5
    IDC_KIND_LAST = 14006,
    IDC_VARIABLE = 14007,
    IDC_STATUS_BITS = 14008,
    IDC_ERROR_BITS = 14009,
    IDC_INPUTS = 14010,
    IDC_OUTPUTS = 14011,
    IDC_BIT_VARIABLE = 14012,
    IDC_BIT = 14013,
  };

  CScopeChannelSelectionDlg(CMC_ScopeLogger* scope, CMC_LoggerItem* item, const char* title, CWnd* parent = nullptr);

  CComboBox m_combos[7];  // 14007..14013
  CMC_LoggerItem m_item;
  CMC_ScopeLogger* m_pLogger;
  CMC_LoggerItem* m_pItem;
  const char* m_pszTitle;
  CString m_strVariable;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  void OnKind(UINT id);
  void OnVariableEdit();
  void OnBitVariableEdit();
  void OnVariableChosen();
  void OnBitVariableChosen();
  LRESULT OnRefill(WPARAM, LPARAM);
  void OnHelp();
  DECLARE_MESSAGE_MAP()

 private:
  CComboBox& Combo(UINT id) { return m_combos[id - IDC_VARIABLE]; }
  void FillVariableCombos();
  void FillBitCombo();
  void EnableByKind();
  void VariableTyped(UINT id, const CString& text);
  void VariableChosen(UINT id);
  int m_nQuiet = 0;
};
