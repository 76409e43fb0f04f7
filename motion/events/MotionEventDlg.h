// The pages that choose the type of a motion event and edit its fields, one modal dialog per type.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/Dialog.h"

class CMotionEvent;
class CMC_Parameter;
class CMC_Setup;

// What every page shares: its event, the template of a drive or a controller, the validating flag
// (set only while OK runs), the kernel help topic and the exchange of a value with its unit.
class CMotionEventPageDlg : public CDialog {
  DECLARE_DYNAMIC(CMotionEventPageDlg)

 public:
  CMotionEventPageDlg(CMotionEvent* event, UINT driveTemplate, UINT controllerTemplate, UINT driveHelp,
                      UINT controllerHelp);

  CMotionEvent* m_pEvent;
  BOOL m_bValidating = FALSE;

 protected:
  bool IsController() const;
  void OnOK() override;
  void OnHelpCommand();
  LRESULT OnHelpMessage(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

  // Puts the focus on `id`, shows `message` (exclamation icon) and fails the exchange.
  void Refuse(CDataExchange* pDX, int id, UINT message, const char* argument = nullptr);
  void ExchangeValue(CDataExchange* pDX, CMC_Parameter* param, int edit, int unitCombo);
  void ChangeUnit(CMC_Parameter* param, int edit, int unitCombo);
  void EnableItem(int id, bool enable);
  // A check of a radio group that fails only while validating.
  void CheckRadio(CDataExchange* pDX, int firstRadio, int value);

  UINT m_nHelpId;
};

class CMotionEventTypeDlg : public CMotionEventPageDlg {
  DECLARE_DYNAMIC(CMotionEventTypeDlg)

 public:
  explicit CMotionEventTypeDlg(CMotionEvent* event, int none = 0);
  int m_nType = 0;
  int m_bNone = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override { CDialog::OnOK(); }
};

// The pages that compare a quantity with a value or with a variable.
class CMotionEventValueDlg : public CMotionEventPageDlg {
  DECLARE_DYNAMIC(CMotionEventValueDlg)

 public:
  struct Controls {
    int slaveCombo, op, valueRadio, variableRadio, edit, unitCombo;
  };
  CMotionEventValueDlg(CMotionEvent* event, UINT driveTemplate, UINT controllerTemplate, UINT driveHelp,
                       UINT controllerHelp, const Controls& controls);

  int m_nSlaveAxis = -1;
  int m_nOperator = 0;
  int m_nSourceType = 0;
  CString m_strSourceVariable;
  CMC_Parameter* m_pValue = nullptr;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  // The setup the page works on: the event's for a drive, the selected slave's (or null) for a controller.
  CMC_Setup* PageSetup() const;
  CMC_Setup* SlaveSetup() const;
  // Which slaves the combo offers; null offers all.
  virtual int (*SlaveFilter() const)(CMC_Setup*) { return nullptr; }
  // Binds the value again after the slave or a choice changed.
  virtual void Rebind() {}
  // The page's own choices, exchanged before the operator.
  virtual void ExchangeChoices(CDataExchange*) {}
  // A click the page handles itself; false when it is not one of its controls.
  virtual bool OnChoiceClicked(int) { return false; }
  // Takes the data over, runs `change` and shows the data again.
  template <class F>
  void Change(F change) {
    if (!UpdateData(TRUE)) return;
    change();
    UpdateData(FALSE);
  }

  Controls m_ids;
};

class CMotionEventPositionDlg : public CMotionEventValueDlg {
  DECLARE_DYNAMIC(CMotionEventPositionDlg)

 public:
  explicit CMotionEventPositionDlg(CMotionEvent* event);
  int m_nSensor = 0;
  int m_nPosition = 0;

 protected:
  int (*SlaveFilter() const)(CMC_Setup*) override;
  void Rebind() override;
  void ExchangeChoices(CDataExchange* pDX) override;
  bool OnChoiceClicked(int id) override;
};

class CMotionEventSpeedDlg : public CMotionEventValueDlg {
  DECLARE_DYNAMIC(CMotionEventSpeedDlg)

 public:
  explicit CMotionEventSpeedDlg(CMotionEvent* event);
  int m_nSensor = 0;

 protected:
  int (*SlaveFilter() const)(CMC_Setup*) override;
  void Rebind() override;
  void ExchangeChoices(CDataExchange* pDX) override;
  bool OnChoiceClicked(int id) override;
};

class CMotionEventTimeDlg : public CMotionEventValueDlg {
  DECLARE_DYNAMIC(CMotionEventTimeDlg)

 public:
  explicit CMotionEventTimeDlg(CMotionEvent* event);
};

class CMotionEventReferenceDlg : public CMotionEventValueDlg {
  DECLARE_DYNAMIC(CMotionEventReferenceDlg)

 public:
  explicit CMotionEventReferenceDlg(CMotionEvent* event);
  int m_nReference = 0;

 protected:
  BOOL OnInitDialog() override;
  int (*SlaveFilter() const)(CMC_Setup*) override;
  void Rebind() override;
  void ExchangeChoices(CDataExchange* pDX) override;
  bool OnChoiceClicked(int id) override;
};

class CMotionEventVariableDlg : public CMotionEventValueDlg {
  DECLARE_DYNAMIC(CMotionEventVariableDlg)

 public:
  explicit CMotionEventVariableDlg(CMotionEvent* event);
  CString m_strVariable;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class CMotionEventVectorDistanceDlg : public CMotionEventValueDlg {
  DECLARE_DYNAMIC(CMotionEventVectorDistanceDlg)

 public:
  explicit CMotionEventVectorDistanceDlg(CMotionEvent* event);
};

class CMotionEventIOsDlg : public CMotionEventPageDlg {
  DECLARE_DYNAMIC(CMotionEventIOsDlg)

 public:
  explicit CMotionEventIOsDlg(CMotionEvent* event);
  int m_nSlaveAxis = -1;
  int m_nInput = 0;
  int m_nInputLevel = 0;
  int m_nInputPort = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  CMC_Setup* PageSetup() const;
};

// The slave axes a controller's event waits for, as check boxes A to H.
class CMotionEventSlavesDlg : public CMotionEventPageDlg {
  DECLARE_DYNAMIC(CMotionEventSlavesDlg)

 public:
  CMotionEventSlavesDlg(CMotionEvent* event, UINT driveTemplate, UINT controllerTemplate, UINT driveHelp,
                        UINT controllerHelp);
  int m_nSelectedSlaves = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// Motion complete: on a drive the settle band or the arrival of the reference, on a controller the slaves.
class CMotionEventMCDlg : public CMotionEventSlavesDlg {
  DECLARE_DYNAMIC(CMotionEventMCDlg)

 public:
  explicit CMotionEventMCDlg(CMotionEvent* event);
  int m_nMCType = 0;
  int m_nMCSetParameters = 0;
  CMC_Parameter* m_pSettleBand = nullptr;
  CMC_Parameter* m_pStabilizeTime = nullptr;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class CMotionEventTargetReachedDlg : public CMotionEventSlavesDlg {
  DECLARE_DYNAMIC(CMotionEventTargetReachedDlg)

 public:
  explicit CMotionEventTargetReachedDlg(CMotionEvent* event);
};
