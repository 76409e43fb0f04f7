// The modal choice of what the single-axis and multi-axis loggers record: time base, acquisitions,
// sampling divider and the logged variables, with the free space of the drive's buffer.
#pragma once

#include "editor/toolkit/SECProgressCtrl.h"
#include "monitor/loggers/MC_LoggerItem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

class CMC_Logger;
class CMC_SingleAxisLogger;
class CMC_MultiAxisLogger;
class CMC_Setup;
class CMC_CoffFormat;

// What both dialogs share: the working copy of the items, the controls and the write-back on OK.
class CLoggerVariablesDlgBase : public CDialog {
  DECLARE_DYNAMIC(CLoggerVariablesDlgBase)

 public:
  enum : UINT {
    IDC_VARIABLES = 14000,
    IDC_NEW_VARIABLE = 14001,
    IDC_BUFFER_START = 14002,
    IDC_ACQUISITIONS = 14003,
    IDC_FREE = 14004,
    IDC_DELETE = 14005,
    IDC_DELETE_ALL = 14006,
    IDC_BUFFER_SIZE = 14007,
    IDC_BY_USER = 14008,
    IDC_SLOW_LOOP = 14009,
    IDC_FAST_LOOP = 14010,
    IDC_ADD = 14011,
    IDC_SAVE_EVERY = 14012,
    IDC_APPLICATION = 14013,
  };

  CLoggerVariablesDlgBase(CMC_Logger* logger, UINT templateId, CWnd* parent);
  ~CLoggerVariablesDlgBase() override;

  CComboBox m_comboNewVariable;
  CListBox m_listVariables;
  int m_nActiveIn = 0;
  int m_nAcquisitions = 0;
  int m_nSaveEvery = 1;
  int m_nFreeWords = 0;
  CMC_LoggerItemsArray m_aEditItems;
  CString m_strNewVariable;
  SECProgressCtrl m_progressFree;

  // Computes the free space, shows it in the bar and lowers the acquisitions when they overflow.
  virtual int CheckBuffer(int showMessage) = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  virtual WORD BufferLength() const = 0;
  virtual void FillNewVariableCombo() = 0;
  virtual void OnAdd() = 0;
  virtual void OnDelete() = 0;
  virtual void OnDeleteAll() = 0;
  virtual void UpdateDeleteButtons() = 0;

  // Shows `free` words of `length` in the bar ("Overflow" at 0 when negative).
  void ShowFree(int free, int length);
  void StyleBar();
  void EnableAdd();
  void CopyItems();
  // Adds the located new item, or refuses it with 20033.
  void AddLocated(CMC_LoggerItem* item);

  void OnNewVariableEdit();
  void OnNewVariableChosen();
  LRESULT OnRefill(WPARAM, LPARAM);
  void OnAcquisitionsChanged();
  void OnSelectionChanged();
  void OnAddClicked() { OnAdd(); }
  void OnDeleteClicked() { OnDelete(); }
  void OnDeleteAllClicked() { OnDeleteAll(); }
  void OnHelp();
  DECLARE_MESSAGE_MAP()

  CMC_Logger* m_pBaseLogger;
  UINT m_nHelpContext = 0;
  int m_nQuiet = 0;
};

class CSingleAxisLoggerVariablesDlg : public CLoggerVariablesDlgBase {
  DECLARE_DYNAMIC(CSingleAxisLoggerVariablesDlg)

 public:
  enum : UINT { IDD = 14003 };
  explicit CSingleAxisLoggerVariablesDlg(CMC_SingleAxisLogger* logger, CWnd* parent = nullptr);

  CMC_SingleAxisLogger* m_pLogger;
  int CheckBuffer(int showMessage) override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  WORD BufferLength() const override;
  void FillNewVariableCombo() override;
  void OnAdd() override;
  void OnDelete() override;
  void OnDeleteAll() override;
  void UpdateDeleteButtons() override;
};

class CMultiAxisLoggerVariablesDlg : public CLoggerVariablesDlgBase {
  DECLARE_DYNAMIC(CMultiAxisLoggerVariablesDlg)

 public:
  enum : UINT { IDD = 14041 };
  explicit CMultiAxisLoggerVariablesDlg(CMC_MultiAxisLogger* logger, CWnd* parent = nullptr);

  CComboBox m_comboApplication;
  int m_nApplication = 0;
  CMC_MultiAxisLogger* m_pLogger;
  int CheckBuffer(int showMessage) override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  WORD BufferLength() const override;
  void FillNewVariableCombo() override;
  void OnAdd() override;
  void OnDelete() override;
  void OnDeleteAll() override;
  void UpdateDeleteButtons() override;
  void OnApplicationChosen();
  DECLARE_MESSAGE_MAP()

 private:
  CString ApplicationName() const;
};
