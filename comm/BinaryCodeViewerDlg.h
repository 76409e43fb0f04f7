// The binary code viewer: the bytes one line of drive-language source becomes on each protocol,
// as sent and, for queries, as a simulated reply.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"
#include "platform/ui/Dialog.h"

#include <vector>

class CMC_Setup;
class CMC_CoffFormat;

class CBinaryCodeViewerDlg : public CDialog {
  DECLARE_DYNAMIC(CBinaryCodeViewerDlg)

 public:
  enum { IDD = 14092 };
  enum {
    IDC_SOURCE = 14000, IDC_COMPILE, IDC_SENDER_AXIS, IDC_DESTINATION_ID, IDC_RETURNED_VALUE, IDC_RETURNED_AXIS,
    IDC_SENT, IDC_RECEIVED,
    IDC_RS232 = 14010, IDC_RS485, IDC_VKSCAN, IDC_BRANNOVETRIXCAN, IDC_VKS,
    IDC_AXIS = 14015, IDC_GROUP, IDC_BROADCAST,
    IDC_RELAY = 14018, IDC_HOST,
    IDC_HELP_BUTTON = 57671
  };
  // The settings of the "BinaryCodeViewer" profile section load here and are stored on destruction.
  CBinaryCodeViewerDlg(CMC_Setup& setup, CMC_CoffFormat* coff, CWnd* pParent = nullptr);
  ~CBinaryCodeViewerDlg() override;

  CString m_strSourceCode;
  int m_nProtocol;
  int m_nSenderRelay;
  int m_nSenderAxisID;
  int m_nDestinationType;
  int m_nDestinationID;
  DWORD m_dwReturnedValue;
  int m_nReturnedAxisID;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnHelp();
  DECLARE_MESSAGE_MAP()

 private:
  void CompileInstruction();
  // The message bytes of one instruction (false with the text to show).
  bool BuildMessages(const CString& instruction, const CString& asmFile, const CString& outFile,
                     std::vector<BYTE>& sent, std::vector<BYTE>& reply, bool& hasReply, CString& error);
  CString EncodeProtocolMessage(const std::vector<BYTE>& bytes, bool reply) const;
  void UpdateDestinationControls();
  void SetUpSenderButtons();
  void ReadFields();
  void ClearOutput();
  bool Can() const { return m_nProtocol == IDC_BRANNOVETRIXCAN; }
  WORD SenderAddress() const { return (WORD)(m_nSenderAxisID << 4 | (m_nSenderRelay == IDC_HOST ? 1 : 0)); }
  WORD DestinationAddress() const;

  CMC_Setup& m_rSetup;
  CMC_CoffFormat* m_pCoff;
  bool m_bFilling = false;
};
