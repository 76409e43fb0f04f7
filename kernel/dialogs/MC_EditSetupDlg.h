// The base of every dialog page that edits a drive setup: controls bound to parameters by name, unit
// controls, sliders with zoomable ranges, the motor database, the CAN baud rate and a guideline
// assistant; with the backup flag, a page that ends without OK puts every parameter back.
#pragma once

#include "kernel/dialogs/Motor.h"
#include "kernel/values/ObArrayEx.h"
#include "platform/core/String.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

#include <memory>
#include <vector>

class CMC_Setup;
class CMC_Parameter;

// The largest value of the drive's analogue inputs: 65536 - 2^(16 - bits of "ADCResolution").
DWORD Compute_ADCMaxValue(CMC_Setup* setup);

class CMC_EditSetupDlg : public CDialog {
  DECLARE_DYNAMIC(CMC_EditSetupDlg)

 public:
  // A nonzero template id names a dialog template of the setup's GUI module.
  CMC_EditSetupDlg(CMC_Setup& setup, UINT templateId, BOOL backup = FALSE, const char** guidelines = nullptr,
                   CWnd* parent = nullptr);
  ~CMC_EditSetupDlg() override;

  INT_PTR DoModal() override;

  // A bound control changed the named parameter's value; a unit control its unit; a bound control
  // was rewritten from its parameter.
  virtual void OnChangedParameterValue(const char* name);
  virtual void OnChangedParameterUnit(const char* name);
  virtual void OnRefreshParameterValue(const char* name);

  void SetGuidelineAssistantText(const char** texts);
  void UpdateGuidelineAssistant();
  void FillMotorDatabaseCombo();
  void FillMotorNameCombo();

  CMC_Setup& GetSetup() const { return m_rSetup; }
  int GetMotorEditorMode() const { return m_nMotorEditorMode; }
  int IsCANEnabled() const { return m_bCAN; }

  // Control ids shared by the page templates.
  enum : UINT {
    IDC_GUIDE_PREV = 10005,
    IDC_GUIDE_NEXT = 10006,
    IDC_GUIDE_TEXT = 10007,
    IDC_MOTOR_LABEL1 = 10008,
    IDC_MOTOR_LABEL2 = 10009,
    IDC_MOTOR_DATABASE = 10010,
    IDC_MOTOR_NAME = 10011,
    IDC_MOTOR_SAVE = 10012,
    IDC_MOTOR_DELETE = 10013,
    IDC_CAN_LABEL1 = 10020,
    IDC_CAN_BAUDRATE = 10021,
    IDC_CAN_SETTINGS = 10022,
    IDC_CAN_LABEL2 = 10023,
    IDC_PAGE_HELP = 10024,
    WM_MC_PAGE_LOADED = 6028,
  };

 protected:
  // ---- Bindings: each does nothing for a parameter the setup lacks ----------------------------
  void AddParameterControls(const char* name, UINT editId, UINT unitId);
  void AddUserParameterControls(CMC_Parameter* parameter, UINT editId, UINT unitId);
  void AddCheckParameterControls(const char* name, UINT checkId);
  void AddSwitchParameterControls(const char* name, UINT comboId);
  void AddSwitchParameterControls(const char* name, UINT firstId, UINT lastId);
  void AddSliderParameterControls(const char* name, UINT sliderId, UINT editId, UINT unitId, UINT lowerSpinId,
                                  UINT upperSpinId, double min, double max);

  // ---- Refreshing controls from parameters; indices out of range raise the invalid-argument exception
  void RefreshParameterControls(int index);
  void RefreshUserParameterControls(int index);
  void RefreshCheckParameterControls(int index);
  void RefreshSwitchParameterControls(int index);
  void RefreshSliderParameterControls(int index, BOOL init);
  void RefreshParameterControls(const char* name);
  void RefreshAllParameters(BOOL init);
  void RefreshAllParametersWithCompatibleUnits(const char* unit);

  // ---- Controls ---------------------------------------------------------------------------------
  void EnableChild(UINT id, BOOL enable, BOOL clear = FALSE);
  void EnableChildren(const UINT* ids, BOOL enable, BOOL clear = FALSE);
  void ShowChild(UINT id, BOOL show);
  void ShowChildren(const UINT* ids, BOOL show);
  void EnableGroupControls(UINT groupId, BOOL enable);
  void SetChildText(UINT id, const char* text);
  void SetChildReadOnly(UINT id, BOOL readOnly);
  void SetChildIcon(UINT id, const char* name);
  void SetButtonImage(UINT id, const char* name);
  void SetChildFontToBold(UINT id);

  void InitializeMotorEditor();
  void EnableCANSettings() { m_bCAN = 1; }

  // ---- Framework --------------------------------------------------------------------------------
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnHScroll(UINT code, UINT pos, CScrollBar* bar) override;
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar) override;
  BOOL OnHelpInfo(HELPINFO* info) override;

  void OnBtnPrevGuidelineAssistant();
  void OnBtnNextGuidelineAssistant();
  void OnChangeMotorDatabaseSelection();
  void OnChangeMotorNameSelection();
  void OnEditChangeMotorName();
  void OnBtnSaveMotor();
  void OnBtnDeleteMotor();
  void OnChangeCANBaudrate();
  void OnBtnCANopenSettings();
  void OnDefaultHelp();
  DECLARE_MESSAGE_MAP()

  struct EditBinding {
    CString name;
    UINT editId, unitId;
  };
  struct UserBinding {
    CMC_Parameter* parameter;
    UINT editId, unitId;
  };
  struct CheckBinding {
    CString name;
    UINT checkId;
  };
  struct SwitchBinding {
    CString name;
    UINT firstId, lastId, comboId;
  };
  struct SliderBinding {
    CString name;
    UINT sliderId, editId, unitId, lowerSpinId, upperSpinId;
    double lower, upper;  // internal units
  };

  std::vector<EditBinding> m_arrEdit;
  std::vector<UserBinding> m_arrUser;
  std::vector<CheckBinding> m_arrCheck;
  std::vector<SwitchBinding> m_arrSwitch;
  std::vector<SliderBinding> m_arrSlider;
  CObArrayEx<CMC_Parameter> m_arrBackup;
  int m_bNotify = 1;
  const char** m_ppGuidelines = nullptr;
  int m_nGuideline = 0;
  int m_nMotorEditorMode = 0;  // 0 none, 1 disabled, 2 on
  CComboBox m_comboMotorDatabase;
  CComboBox m_comboMotorName;
  int m_bCAN = 0;
  CComboBox m_comboCANBaudrate;
  CString m_strSavedDatabaseName;
  CString m_strSavedMotorName;
  CMotor m_referenceMotor;
  CMotor m_chosenMotor;
  CMC_Setup& m_rSetup;
  BOOL m_bBackup;
  UINT m_nModuleTemplate;  // a template of the GUI module, or 0

 private:
  // Programmatic text changes are not user input.
  void SetEditText(UINT id, const CString& text);
  void RefreshUnitControl(CMC_Parameter* p, UINT unitId);
  void RefreshEdit(CMC_Parameter* p, UINT editId, UINT unitId);
  void PositionSlider(const SliderBinding& b, CMC_Parameter* p);
  bool HandleEditCommand(UINT id, UINT code);
  bool HandleUnitCommand(UINT id);
  bool HandleSwitchCombo(UINT id);
  bool HandleButtonClick(UINT id);
  // Sets a value from a combo, radio or check box and calls both hooks; nothing for the same value.
  bool SetFromControl(CMC_Parameter* p, double value);
  void FillCANBaudrateCombo(CMC_Parameter* p);
  void SetMotorNameText(const CString& text);
  // The name combo's text without the mark the page adds to a changed chosen motor.
  CString TypedMotorName() const;
  void EnableMotorButtons(bool save, bool del);
  bool IsUserDatabase() const;
  std::vector<std::unique_ptr<CFont>> m_boldFonts;
};
