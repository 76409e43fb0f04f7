// Base of the motion modules' element editors: a dialog from the module's own template whose
// edits take typed values over at once and whose OK writes the element's parameter string back.
#pragma once

#include "kernel/params/MC_Units.h"
#include "motion/model/MC_EditMotionInternalData.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

#include <vector>

class CMC_Parameter;
class CMC_ArrayParameter;

// Gives a parameter the unit chosen in a unit combo box: the internal-unit entry turns a user unit
// into its internal form; false when nothing is selected.
template <class P>
bool ApplyUnitCombo(P* param, CComboBox* combo) {
  int sel = combo ? combo->GetCurSel() : -1;
  if (!param || sel < 0) return false;
  if (CMC_Units::IsInternalUnit(combo, sel)) {
    if (param->HasSelectedUnit()) param->ChangeUnit("\\" + param->GetUnitName());
  } else {
    CString unit;
    combo->GetLBText(sel, unit);
    param->ChangeUnit(unit);
  }
  return true;
}

class CMC_EditMotionDlg : public CDialog {
  DECLARE_DYNAMIC(CMC_EditMotionDlg)

 public:
  CMC_EditMotionDlg(CMC_Setup& setup, CMC_Motion& motion, CString& parameters, UINT templateId, CWnd* parent);
  ~CMC_EditMotionDlg() override;

 protected:
  virtual CMC_EditMotionInternalData* GetInternalData() = 0;
  CMC_Setup& GetSetup() { return GetInternalData()->GetSetup(); }
  CMC_Motion& GetMotion() { return GetInternalData()->GetMotion(); }

  CString GetChildText(UINT id);
  void SetChildText(UINT id, const char* text);
  int GetChildCheck(UINT id);
  void SetChildCheck(UINT id, int check);
  int GetComboIndex(UINT id);
  void SetComboIndex(UINT id, int index);
  int IsChildEnabled(UINT id);
  int IsChildVisible(UINT id);
  void EnableChild(UINT id, int enable);
  void ShowChild(UINT id, int show);
  // Shows a bitmap of the current motion module's library in a static control.
  void LoadBitmapA(UINT id, const char* name);

  void ShowParameter(CMC_Parameter* param, UINT edit, UINT unitCombo, BOOL enable, BOOL withInternal);
  void ShowParameter(CMC_ArrayParameter* param, int index, UINT edit, UINT unitCombo, BOOL enable,
                     BOOL withInternal);
  void ShowParameterOrVariable(BOOL isVariable, CMC_Parameter* param, CString& variable, UINT edit, UINT unitCombo,
                               BOOL enable, BOOL withInternal);
  void UpdateParameter(CDataExchange* pDX, CMC_Parameter* param, UINT edit);
  void UpdateParameter(CDataExchange* pDX, CMC_ArrayParameter* param, int index, UINT edit);
  void UpdateParameterOrVariable(CDataExchange* pDX, BOOL isVariable, CMC_Parameter* param, CString& variable,
                                 UINT edit);
  void ChangeParameterUnit(CMC_Parameter* param, UINT edit, UINT unitCombo);
  void ChangeParameterUnit(CMC_ArrayParameter* param, int index, UINT edit, UINT unitCombo);

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;
  void OnDefaultHelp();
  LRESULT OnHelp(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  BOOL m_bOK = FALSE;
  CString& m_rParameters;
  BOOL m_bTakeOver = TRUE;
  UINT m_nChangedControl = 0;

 private:
  // Whether the typed text of `edit` is to be taken now: after a change of it, and always during OK.
  bool TakesOver(UINT edit);
  // Notes whether the typed text of `edit` was read; true when OK is to refuse it.
  bool ReadTyped(bool scanned, UINT edit);
  void ShowUnit(const CString& unit, UINT unitCombo, bool show, BOOL withInternal);
  void ShowValue(UINT edit, BOOL enable, const CString& text);
  std::vector<void*> m_bitmaps;
  // The edit whose typed text no value could be read from: leaving it keeps that text for OK to refuse.
  UINT m_nUnreadEdit = 0;
};
