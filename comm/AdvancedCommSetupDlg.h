// The time-outs and dead times of the communication library, per channel type.
#pragma once

#include "platform/core/Types.h"
#include "platform/ui/Dialog.h"

class CAdvancedCommSetupDlg : public CDialog {
  DECLARE_DYNAMIC(CAdvancedCommSetupDlg)

 public:
  enum { IDD = 14090 };
  // Control ids.
  enum {
    IDC_READ_INTERVAL = 1000, IDC_MULTIPLIER, IDC_CONSTANT, IDC_RUN_DEAD_TIME, IDC_RESET_DEAD_TIME, IDC_BAUD_WAIT,
    IDC_CAN_SEND, IDC_CAN_RECEIVE, IDC_UDP_RECEIVE,
    IDC_FIRST_LABEL = 1010, IDC_SECOND_LABEL, IDC_CONSTANT_LABEL, IDC_FIRST_MS, IDC_SECOND_MS, IDC_CONSTANT_MS,
    IDC_SET_DEFAULTS = 1020, IDC_HELP_BUTTON = 57671
  };
  explicit CAdvancedCommSetupDlg(BYTE type, CWnd* pParent = nullptr);

  BYTE m_byType;
  // Milliseconds, in the order of the configuration keys.
  UINT m_nReadInterval = 1000;
  UINT m_nMultiplier = 700;
  UINT m_nConstant = 400;
  UINT m_nRunDeadTime = 2000;
  UINT m_nResetDeadTime = 200;
  UINT m_nBaudChangeWait = 200;
  UINT m_nCANSend = 0;
  UINT m_nCANReceive = 0;
  UINT m_nUDPReceive = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSetDefaultValues();
  void OnHelp();
  DECLARE_MESSAGE_MAP()

 private:
  bool Serial() const;
  bool Can() const;
  bool CanSend() const { return m_byType == 2 || m_byType == 5; }
  bool Udp() const { return m_byType == 16 || m_byType == 17; }
};

// The PEAK CAN adapter: hardware type, IO port and interrupt.
class CSelectPeakSysDevDlg : public CDialog {
  DECLARE_DYNAMIC(CSelectPeakSysDevDlg)

 public:
  enum { IDD = 14091 };
  enum { IDC_HW_TYPE = 1000, IDC_IO_PORT, IDC_IRQ };
  CSelectPeakSysDevDlg(BYTE kind, int hwType, int io, int irq, CWnd* pParent = nullptr);

  int m_nHwType;
  int m_nIO;
  int m_nIRQ;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  DECLARE_MESSAGE_MAP()

 private:
  BYTE m_byKind;
};

// The hardware types of a PEAK adapter kind (6 ISA, 8 dongle): value and text, ended by a null text.
struct PeakHardwareType {
  int value;
  const char* text;
};
const PeakHardwareType* PeakHardwareTypes(BYTE kind);
