// The G-code import dialog: assigns the program's axes to slaves of a motion controller, describes
// devices and defaults, and on OK translates the chosen file into a group of motion elements.
#pragma once

#include "motion/model/MC_MotionGroup.h"
#include "platform/core/String.h"
#include "platform/ui/Dialog.h"
#include "views/gcode/GcodeTranslator.h"

class CMC_Setup;
class CMC_Motion;

class CImportGcodeDlg : public CDialog {
  DECLARE_DYNAMIC(CImportGcodeDlg)

 public:
  enum { IDD = 14051 };
  CImportGcodeDlg(CMC_Setup* setup, CMC_Motion* motion, CWnd* pParent = nullptr);
  ~CImportGcodeDlg() override;

  // The translated elements, in the order of the file; they belong to the dialog until the caller
  // takes them (then it empties the group without deleting them).
  CMC_MotionGroup& GetGroup() { return m_group; }
  const tagGcodeSettings& GetSettings() const { return m_settings; }

  // The run of OK over the named file; false with the message text (empty when already shown).
  BOOL Run(const CString& path, CString& error);

  CString m_strFile;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  void OnBrowse();
  void OnFeedOverrideCheck();
  void OnSpeedOverrideCheck();
  void OnCycleStartCheck();
  void OnCoolantValveCheck();
  void OnCycleStartAxisChange();
  void OnCoolantAxisChange();
  void OnUnitsChange();
  void OnHelp();
  DECLARE_MESSAGE_MAP()

 private:
  enum class Slaves { Linear, Spindle, Rotary, All };
  void FillAxisCombo(int id, Slaves kind);
  void FillPortCombo(int axisId, int portId, int input);
  void EnableControls();
  void ShowRateUnits();

  CMC_Setup* m_pSetup;
  CMC_Motion* m_pMotion;
  tagGcodeSettings m_settings;
  CGcodeTranslator m_translator;
  CMC_MotionGroup m_group;
};
