// The "Master" window of the net-master thread: logs in to the net server, chats, opens a channel to a slave,
// carries the gate's drive frames over it, and sends and receives files and folders.
#pragma once

#include "comm/MasterSocket.h"
#include "comm/NetMasterIds.h"
#include "editor/documents/ConversationEditCtrl.h"
#include "editor/toolkit/SECProgressCtrl.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/Dialog.h"

#include <memory>
#include <string>
#include <vector>

// Link states reported to the gate with every change.
enum NetMasterState {
  NMS_IDLE = 0,
  NMS_CONNECTING = 1,
  NMS_LOGGING_IN = 3,
  NMS_LOGGED_IN = 4,
  NMS_LIST_REQUESTED = 5,
  NMS_OPENING_CHANNEL = 6,
  NMS_CLOSING_CHANNEL = 7,
  NMS_CHANNEL = 8,
  NMS_SENDING = 9,
  NMS_RECEIVING = 10,
};

// Picks the client to open a channel with.
class COpenChannelDlg : public CDialog {
  DECLARE_DYNAMIC(COpenChannelDlg)
 public:
  COpenChannelDlg(const std::vector<CString>& clients, CWnd* pParent = nullptr);
  CString m_strClient;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  std::vector<CString> m_clients;
};

class CNetMasterDlg : public CDialog {
  DECLARE_DYNAMIC(CNetMasterDlg)
 public:
  CNetMasterDlg();
  ~CNetMasterDlg() override;

  // Feeds a running file transfer one block; nonzero when there is more to do at idle time.
  int SendNextFileBlock();
  // The idle feed: only once the partner has taken the first block of the file.
  int FeedTransferAtIdle();
  void UpdateControls();
  int GetState() const { return m_nState; }
  // The application lost activation, as last told by the gate.
  bool IsAppInactive() const { return m_bInactive; }
  // The window flashes for news that came while the application was inactive.
  bool IsFlashing() const { return m_bFlashing; }

  CMasterSocket m_socket;
  CConversationEditCtrl m_messages;
  SECProgressCtrl m_progress;
  CString m_strUser, m_strPassword, m_strChat;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override {}
  void OnCancel() override {}
  void OnTimer(UINT_PTR nIDEvent) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnGetMinMaxInfo(MINMAXINFO* lpMMI) override;
  void OnActivateApp(BOOL bActive, DWORD dwThreadID) override;
  void OnConnect();
  void OnChannel();
  void OnSay();
  void OnShout();
  void OnClear();
  void OnSendFile();
  void OnSendFolder();
  LRESULT OnSocketError(WPARAM, LPARAM);
  LRESULT OnSocketClosed(WPARAM, LPARAM);
  LRESULT OnSocketConnected(WPARAM, LPARAM);
  LRESULT OnPacket(WPARAM, LPARAM);
  LRESULT OnGateFrame(WPARAM, LPARAM);
  LRESULT OnQueueEmpty(WPARAM, LPARAM);
  LRESULT OnAppActivate(WPARAM, LPARAM);
  LRESULT OnReplyTimeout(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  void SetState(int state);
  void Disconnect();
  void Show(const CString& text, bool flash = false);
  void Flash();
  void Send(BYTE code, const void* payload, size_t length);
  void SendTransfer(BYTE subType, const void* data = nullptr, size_t length = 0);
  void ReplyText(UINT textId);
  void OnStatus(const BYTE* payload, size_t length);
  void OnTransfer(const BYTE* payload, size_t length);
  void OnTransferReply(const BYTE* payload, size_t length);
  void OnOffer(bool folder, const BYTE* payload, size_t length);
  bool OpenNextFolderFile();
  // A received file is written beside its target and takes the target's place only when complete.
  bool OpenReceivedFile(const CString& path, CString& error);
  bool CompleteReceivedFile(CString& error);
  // Closes the transfer file (deleting a partial received one) and returns to the channel state.
  void EndTransfer(bool tellPartner);
  void StartProgress(UINT textId, const CString& name, DWORD size);

  int m_nState = NMS_IDLE;
  CFile* m_pFile = nullptr;
  CString m_strFilePath;  // the received file's target
  std::unique_ptr<CSaveBeside> m_pSave;  // where it is written until complete
  CString m_strFolderRoot;
  std::vector<CString> m_folderFiles;  // relative paths still to send
  DWORD m_dwRead = 0;                  // bytes read or received of the current transfer
  DWORD m_dwWindow = 0;
  DWORD m_dwAcknowledged = 0;
  bool m_bFolder = false;
  bool m_bInactive = false;
  bool m_bFlashing = false;
  // Layout metrics taken from the template: the initial window size and where each control stands.
  CSize m_initialSize;
  CSize m_initialClient;
  std::vector<std::pair<int, CRect>> m_layout;  // control id, client rectangle at the initial size
};
