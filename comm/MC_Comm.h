// The one gate between the kernel and the drives: every drive access goes through its static operations.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "platform/core/Types.h"
#include "suite/zurcomm/zurcomm.h"

#include <atomic>
#include <vector>

class CWinThread;
struct tagNetMessage;

// Window message that carries big-transfer progress to the host's main window: first parameter the
// percent (-1 at the end), second the caller's text.
#define WM_MC_BIGMEMORYOP_PROGRESS 6040

// All static; never instantiated. Operations return 1 (or true) for success and 0 for failure. A
// failing operation shows the library's last error in a "Communication Error:" box of type nShowErr
// (0: no box) and retries, fails or ignores by the answer.
class CMC_Comm {
 public:
  typedef void (*UNSOLICITED_MSG_HANDLER)(DAV_MSG* msg);
  typedef void (*DEBUG_LOG_HANDLER)(const char* text);
  typedef bool (*PROGRESS_CALLBACK)(int code, const char* text, float percent, void* user);

  CMC_Comm() = delete;

  // ---- Channel --------------------------------------------------------------------------------
  static int Open(const char* channel, DWORD baud, BYTE protocol, BYTE type, WORD hostAxis);
  static void Close();
  // Checks that the open channel still answers and reopens it otherwise.
  static int Refresh();
  static int IsCommOpen();
  // 1 when open; otherwise tells the user to go online and returns 0.
  static int IsCommunicationInitialized();
  static int IsNetMaster();
  static DWORD GetBaudRate();
  static BYTE GetProtocol();
  static BYTE GetSerialType();
  static CString GetLastErrorText();
  static void ShowLastError(bool retry);
  static int AdvancedConfig(BYTE type);
  // The IXXAT CAN adapter into the configuration file; 1 when one was chosen.
  static int SelectIxxatDevice();
  // The PEAK CAN adapter of kind 6 (ISA) or 8 (dongle) into the configuration file; 1 on OK.
  static int SelectPeakSysDevice(unsigned char kind);
  static void UpdateSettings();
  static void RegisterDebugLogHandler(int level, DEBUG_LOG_HANDLER handler);
  // Returns the previous handler.
  static UNSOLICITED_MSG_HANDLER RegisterReceiveUnsolicitedMsgHandler(UNSOLICITED_MSG_HANDLER handler);

  // ---- Drives and memory ----------------------------------------------------------------------
  static int GetActiveBoard(WORD& axis);
  static int SetActiveBoard(WORD axis);
  static int GetHostBoard(WORD& axis);
  static int SetHostBoard(WORD axis);
  static int ResetActiveBoard();
  static int GetFirmwareVer(CString& version);
  static int SendData(WORD* words, WORD address, BYTE space, WORD count);
  static int ReceiveData(WORD* words, WORD address, BYTE space, WORD count);
  static int SendBigData(WORD* words, WORD address, BYTE space, WORD count, PROGRESS_CALLBACK callback, void* user);
  static int ReceiveBigData(WORD* words, WORD address, BYTE space, WORD count, PROGRESS_CALLBACK callback,
                            void* user);
  static int Checksum(WORD start, WORD end, WORD& sum);
  static int SendMessageA(DAV_MSG& msg);
  static int ReceiveMessage(DAV_MSG& msg);
  // Bytes waiting; 0 when closed, below 0 on error. Shows no box.
  static int GetBytesCountInQueue();
  static int COFFDownload(const char* file, WORD* out1, WORD* out2, WORD* out3, PROGRESS_CALLBACK callback,
                          void* user, WORD value);
  static bool GetMotionControllerLastErrors(CByteArray& codes, CWordArray& words);
  static bool ScanNetwork(CWordArray& axes, CStringArray& firmwareIds);
  static int CheckForUnrequestedMessages(UNSOLICITED_MSG_HANDLER handler);
  static int IsFirmwareWithEEPROMProt(const char* firmwareId);
  // The progress callback the kernel's own big transfers pass, with their text as the user pointer.
  static bool BigMemoryOpCallback(int code, const char* text, float percent, void* user);
  static void OnBigMemoryOpEnd(const char* text);

  // ---- Net-master mode ------------------------------------------------------------------------
  // Starts the net-master thread and turns every operation into a request over it; ExitNetMaster ends it.
  static void InitNetMaster();
  static void ExitNetMaster();
  // The host's main window calls it for each message 6038 (state, reply frame or null; the frame is taken).
  static void ReceiveNetMasterSerialMsg(int state, tagNetMessage* frame);
  // The host calls it from its activation handler.
  static void OnActivateApp(int active, unsigned long otherThreadId);

  // ---- State ----------------------------------------------------------------------------------
  static int m_bOpen;
  static CString m_strChannel;
  static BYTE m_byProtocol;
  static BYTE m_bySerialType;
  static DWORD m_dwBaudRate;
  static WORD m_wHostAxisID;
  static WORD m_wActiveAxisID;  // 0: none cached
  static UINT nShowErr;         // box type of the error box; 0 shows none
  static int m_nLastErrorAnswer;
  static UNSOLICITED_MSG_HANDLER m_pfnUnsolicitedMsgHandler;
  static DEBUG_LOG_HANDLER m_pfnDebugLogHandler;
  static int m_bNetMaster;
  static int m_bNetChannelUp;
  static tagNetMessage* m_pNetReply;
  static CString m_strNetLastError;
  // Milliseconds a net request waits for its reply, before the time the data needs at the channel's baud rate;
  // a progress report starts the wait again.
  static DWORD m_dwNetReplyTimeout;
  // Written by the socket thread as it ends, polled by the user-interface thread.
  static std::atomic<CWinThread*> m_pSockThread;

 private:
  // Runs `attempt` until it succeeds or the error box's answer ends it.
  template <class Attempt>
  static int RunWithRetry(Attempt attempt) {
    for (;;) {
      if (attempt()) return 1;
      ShowLastError(true);
      if (m_nLastErrorAnswer == 4) continue;  // Retry: the channel was refreshed
      return m_nLastErrorAnswer == 5 ? 1 : 0;  // Ignore reports success
    }
  }
  // Kinds whose messages carry the host id read from the library, with the host bit.
  static bool IsHostAddressedKind(BYTE type) { return type == 0 || type == 16 || type == 17; }
  static bool IsSerialKind(BYTE type) { return type == 0 || type == 1 || type == 15 || type == 16 || type == 17; }
  // The sender id of messages the kernel addresses to drives.
  static bool SenderId(WORD& sender);

  // One request of net-master mode: `request` is the opcode and its arguments; on success `data` gets
  // what follows the success byte. The reply must be `replyLength` long (at least, with `atLeast`).
  static bool NetRequest(const std::vector<BYTE>& request, size_t replyLength, bool atLeast,
                         std::vector<BYTE>* data = nullptr, PROGRESS_CALLBACK callback = nullptr,
                         void* user = nullptr);
  // Posts a request that awaits no reply.
  static void NetPost(const std::vector<BYTE>& request);
  // Hands a request to the net master and returns its reply (echo, success byte, data).
  static bool NetExchange(const std::vector<BYTE>& request, std::vector<BYTE>& reply, PROGRESS_CALLBACK callback,
                          void* user);
  // The request frame (taken) goes to the net-master thread; the reply stays the gate's until the next request.
  static tagNetMessage* RunDAVCommandOverNet(WORD length, BYTE* frame);
  static tagNetMessage* RunDAVCommandOverNetWithCallback(WORD length, BYTE* frame, PROGRESS_CALLBACK callback,
                                                         void* user);
  static int ReadFileContent(const char* file, WORD prefix, WORD& length, BYTE*& buffer);
  // False when `ms` milliseconds passed without the reply.
  static bool WaitForNetReceive(DWORD ms);
  // What the reply that ended a request means when it is not the request's answer: sets the error text.
  static tagNetMessage* RejectReply(BYTE opcode);
};
