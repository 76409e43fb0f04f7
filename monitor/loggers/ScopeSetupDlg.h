// The modal set-up of the scope: channels with signal, unit, scale, offset and colour, the operating
// mode and time base, the trigger and the measuring cursors. Written back to the scope only on OK.
#pragma once

#include "monitor/loggers/MC_LoggerItem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "plot/ui/ColorCombo.h"

class CMC_ScopeLogger;
class CMC_Setup;

class CScopeSetupDlg : public CDialog {
  DECLARE_DYNAMIC(CScopeSetupDlg)

 public:
  enum : int {
    IDD = 14052,
    IDC_CHANNEL = 14000,      // + c: the channel buttons
    IDC_SIGNAL = 14004,       // + c
    IDC_UNIT = 14008,         // + c
    IDC_SCALE_SPIN = 14012,   // + c
    IDC_SCALE = 14016,        // + c
    IDC_OFFSET = 14021,       // + c
    IDC_UNIT_TEXT = 14025,    // + c
    IDC_TRIGGER_SOURCE = 14029,
    IDC_LEVEL_UNIT = 14030,
    IDC_LEVEL = 14031,
    IDC_SLOPE = 14032,
    IDC_POSITION = 14033,
    IDC_POSITION_SPIN = 14034,
    IDC_MODE_NORMAL = 14035,
    IDC_MODE_SINGLE = 14036,
    IDC_MODE_AUTO = 14037,
    IDC_AUTO_WAIT = 14038,
    IDC_TIME_BASE = 14039,
    IDC_OPERATING_MODE = 14040,
    IDC_CURSORS = 14041,      // + m_nCursors
    IDC_COLOR = 14044,        // + c
    IDC_OTHER = 14048,
    IDC_CURSOR_COLOR = 14049,
  };

  CScopeSetupDlg(CMC_ScopeLogger* scope, CWnd* parent = nullptr);

  // "%lg <unit>/div", the unit chosen among the siblings of `unit` or a prefix of the internal unit.
  static CString FormatUnitsPerDiv(double value, CMC_Setup* setup, const char* unit);
  // The next scale of a spin step (up: larger); false when the scale may not move further.
  static bool StepScale(double& scale, int kind, bool up);
  // "%lg <unit>" of a time in seconds with "s", "ms", the micro sign or "ns" (at most `steps` of 1000).
  static CString FormatTime(double seconds, int steps);

  CEdit m_editSignal[4];
  CComboBox m_comboUnit[4];
  CEdit m_editScale[4];
  CEdit m_editOffset[4];
  CStatic m_staticUnit[4];
  CColorCombo m_comboColor[4];
  CComboBox m_comboOperatingMode, m_comboTimeBase, m_comboTriggerSource;
  CEdit m_editLevel;
  CComboBox m_comboLevelUnit;
  CEdit m_editPosition;
  CComboBox m_comboAutoWait;
  CColorCombo m_comboCursorColor;

  CMC_LoggerItemsArray m_aEditItems;
  double m_adScale[4];
  double m_adOffset[4];
  COLORREF m_acrColor[4];
  int m_nOperatingMode;
  WORD m_nTimeBase;
  CMC_LoggerItem m_trigger;
  int m_nPosition;
  int m_nSlope;
  int m_nTriggerMode;
  int m_nAutoWait;
  int m_nCursors = 0;
  COLORREF m_crCursor = 0;
  CMC_ScopeLogger* m_pLogger;
  int m_nChange = 0;

  void FillTimeBase();
  void FillAutoWait();
  void RefreshChannel(int c);
  void RefreshTrigger();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;

  void OnChannel(UINT id);
  void OnUnitChosen(UINT id);
  void OnOperatingMode();
  void OnTimeBase();
  void OnTriggerSource();
  void OnOther();
  void OnLevelUnit();
  void OnLevelKillFocus();
  void OnTriggerModeRadio(UINT id);
  void OnAutoWait();
  void OnHelp();
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  DECLARE_MESSAGE_MAP()

 private:
  CMC_Setup* Setup() const;
  double SamplingPeriod() const;
  void ShowScale(int c);
  void MakeTriggerNone();
  void CheckModeRadio();
  void StepPosition(bool up);
};
