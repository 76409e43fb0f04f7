#include "comm/NetMasterDlg.h"

#include "comm/CommStringIds.h"
#include "comm/MC_Comm.h"
#include "comm/NetMessage.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/values/Utilities.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Time.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ShellDialogs.h"
#include "platform/ui/WinApp.h"

#include <cstring>
#include <functional>

IMPLEMENT_DYNAMIC(COpenChannelDlg, CDialog)
IMPLEMENT_DYNAMIC(CNetMasterDlg, CDialog)

namespace {

// Packet codes to the server and from it.
enum : BYTE { kLogIn = 0, kShout = 2, kOpenChannel = 3, kCloseChannel = 4, kSay = 5, kDriveFrame = 6, kTransfer = 7, kListRequest = 8 };
enum : BYTE { kStatus = 0, kChat = 1, kDriveReply = 2, kTransferIn = 3, kClientList = 4 };
// Transfer sub-types.
enum : BYTE { kReply = 0, kFileOffer = 1, kFileBlock = 2, kFileEnd = 3, kFolderOffer = 4, kNextFile = 5, kFolderBlock = 6,
              kFolderFileEnd = 7, kFolderEnd = 8, kAcknowledge = 9 };
const DWORD kBlock = 1024;
const WORD kWindow = 0x4000;
const UINT_PTR kFlashTimer = 1;

CString Text(UINT id) {
  CString s;
  s.LoadString(id);
  return s;
}

CString SystemErrorText(DWORD code) {
  char text[256] = {};
  ::FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text, sizeof text, nullptr);
  return text;
}

CString ErrorText(const CException& e) {
  char text[256] = {};
  e.GetErrorMessage(text, sizeof text);
  return text;
}

DWORD GetDword(const BYTE* p) { return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24; }

void PutDword(std::vector<BYTE>& v, DWORD d) {
  for (int i = 0; i < 4; ++i) v.push_back((BYTE)(d >> (8 * i)));
}

// A name from the partner may only lead below the folder the user chose.
bool SafeRelativeName(const CString& name) {
  if (name.IsEmpty() || name[0] == '\\' || name[0] == '/' || name.Find(':') >= 0) return false;
  CString rest = name;
  rest.Replace('/', '\\');
  for (;;) {
    int at = rest.Find('\\');
    CString part = at < 0 ? rest : rest.Left(at);
    if (part == ".." || part.IsEmpty()) return false;
    if (at < 0) return true;
    rest = rest.Mid(at + 1);
  }
}

// The application's main window on the user-interface thread, where states and replies go.
HWND HostWindow() {
  CWinApp* app = AfxGetApp();
  return app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
}

void CollectFiles(const CString& root, const CString& relative, std::vector<CString>& files, DWORD& total) {
  CFileFind find;
  BOOL more = find.FindFile(root + (relative.IsEmpty() ? "" : "\\" + relative) + "\\*.*");
  while (more) {
    more = find.FindNextFile();
    if (find.IsDots()) continue;
    CString rel = relative.IsEmpty() ? find.GetFileName() : relative + "\\" + find.GetFileName();
    if (find.IsDirectory()) {
      CollectFiles(root, rel, files, total);
    } else {
      files.push_back(rel);
      total += (DWORD)find.GetLength();
    }
  }
}

}  // namespace

// ---- COpenChannelDlg ----------------------------------------------------------------------------------------

COpenChannelDlg::COpenChannelDlg(const std::vector<CString>& clients, CWnd* pParent)
    : CDialog(IDD_OPENCHANNEL, pParent), m_clients(clients) {}

BOOL COpenChannelDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (const CString& c : m_clients) SendDlgItemMessage(IDC_OC_CLIENT, CB_ADDSTRING, 0, (LPARAM)c.GetString());
  if (!m_clients.empty()) SendDlgItemMessage(IDC_OC_CLIENT, CB_SETCURSEL, 0);
  return TRUE;
}

void COpenChannelDlg::OnOK() {
  GetDlgItemText(IDC_OC_CLIENT, m_strClient);
  m_strClient.Trim();
  if (m_strClient.IsEmpty()) return;
  CDialog::OnOK();
}

// ---- CNetMasterDlg ------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CNetMasterDlg, CDialog)
  ON_COMMAND(IDC_NM_CONNECT, &CNetMasterDlg::OnConnect)
  ON_COMMAND(IDC_NM_CHANNEL, &CNetMasterDlg::OnChannel)
  ON_COMMAND(IDC_NM_SAY, &CNetMasterDlg::OnSay)
  ON_COMMAND(IDC_NM_SHOUT, &CNetMasterDlg::OnShout)
  ON_COMMAND(IDC_NM_CLEAR, &CNetMasterDlg::OnClear)
  ON_COMMAND(IDC_NM_SENDFILE, &CNetMasterDlg::OnSendFile)
  ON_COMMAND(IDC_NM_SENDFOLDER, &CNetMasterDlg::OnSendFolder)
  ON_MESSAGE(WM_MASTERSOCKET_ERROR, &CNetMasterDlg::OnSocketError)
  ON_MESSAGE(WM_MASTERSOCKET_CLOSED, &CNetMasterDlg::OnSocketClosed)
  ON_MESSAGE(WM_MASTERSOCKET_CONNECTED, &CNetMasterDlg::OnSocketConnected)
  ON_MESSAGE(WM_MASTERSOCKET_PACKET, &CNetMasterDlg::OnPacket)
  ON_MESSAGE(WM_NETMASTER_FRAME, &CNetMasterDlg::OnGateFrame)
  ON_MESSAGE(WM_MASTERSOCKET_SENT, &CNetMasterDlg::OnQueueEmpty)
  ON_MESSAGE(WM_NETMASTER_ACTIVATE, &CNetMasterDlg::OnAppActivate)
  ON_MESSAGE(WM_NETMASTER_REPLY_TIMEOUT, &CNetMasterDlg::OnReplyTimeout)
END_MESSAGE_MAP()

CNetMasterDlg::CNetMasterDlg() : CDialog(IDD_NETMASTER) { GetNetServerAuth(m_strUser, m_strPassword); }

CNetMasterDlg::~CNetMasterDlg() {
  m_socket.ResetAndClose();
  delete m_pFile;
  m_pSave.reset();  // a partial received file goes with its save
  SaveNetServerAuth(m_strUser, CString());
}

BOOL CNetMasterDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_messages.AttachToDlgItem(IDC_NM_MESSAGES, this);
  m_progress.AttachProgress(IDC_NM_PROGRESS, this);
  m_progress.SetExStyle(0x4200);
  CWinApp* app = AfxGetApp();
  SetWindowText(CString(app && app->m_pszAppName ? app->m_pszAppName : "") + Text(IDS_NM_TITLE_SUFFIX));
  CRect window, client;
  GetWindowRect(&window);
  GetClientRect(&client);
  m_initialSize = window.Size();
  m_initialClient = client.Size();
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    CRect r;
    ::GetWindowRect(child, &r);
    ScreenToClient(&r);
    m_layout.emplace_back(::GetDlgCtrlID(child), r);
  }
  UpdateControls();
  return TRUE;
}

// The buttons keep their distance to the right edge; the messages fill what lies between the buttons and the
// progress bar; the progress bar, the chat edit and its buttons keep their distance to the bottom.
void CNetMasterDlg::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  if (m_layout.empty() || nType == SIZE_MINIMIZED) return;
  const int dx = cx - m_initialClient.cx, dy = cy - m_initialClient.cy;
  for (const auto& [id, initial] : m_layout) {
    CRect r = initial;
    switch (id) {
      case IDC_NM_CONNECT: case IDC_NM_CHANNEL: case IDC_NM_SENDFILE: case IDC_NM_SENDFOLDER: case IDC_NM_CLEAR:
        r.OffsetRect(dx, 0);
        break;
      case IDC_NM_MESSAGES:
        r.right += dx;
        r.bottom += dy;
        break;
      case IDC_NM_PROGRESS:
        r.right += dx;
        r.OffsetRect(0, dy);
        break;
      case IDC_NM_CHAT: case IDC_NM_SAY: case IDC_NM_SHOUT:
        r.OffsetRect(0, dy);
        break;
      default: continue;
    }
    if (HWND item = ::GetDlgItem(m_hWnd, id))
      ::SetWindowPos(item, nullptr, r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()),
                     SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CNetMasterDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI) {
  CDialog::OnGetMinMaxInfo(lpMMI);
  if (m_initialSize.cx) lpMMI->ptMinTrackSize = POINT{m_initialSize.cx / 2, m_initialSize.cy};
}

void CNetMasterDlg::OnActivateApp(BOOL bActive, DWORD dwThreadID) {
  CDialog::OnActivateApp(bActive, dwThreadID);
  CMC_Comm::OnActivateApp(bActive, dwThreadID);
}

void CNetMasterDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_NM_USER, m_strUser);
  DDX_Text(pDX, IDC_NM_PASSWORD, m_strPassword);
  DDX_Text(pDX, IDC_NM_CHAT, m_strChat);
}

void CNetMasterDlg::Show(const CString& text, bool flash) {
  m_messages.AppendText(text);
  if (flash) Flash();
}

void CNetMasterDlg::Flash() {
  if (!m_bInactive || m_bFlashing) return;
  m_bFlashing = true;
  SetTimer(kFlashTimer, 500);
}

void CNetMasterDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kFlashTimer) FlashWindow(TRUE);
  CDialog::OnTimer(nIDEvent);
}

LRESULT CNetMasterDlg::OnAppActivate(WPARAM wParam, LPARAM) {
  m_bInactive = wParam != 0;
  if (!m_bInactive && m_bFlashing) {
    KillTimer(kFlashTimer);
    FlashWindow(FALSE);
    m_bFlashing = false;
  }
  return 0;
}

void CNetMasterDlg::SetState(int state) {
  m_nState = state;
  UpdateControls();
}

void CNetMasterDlg::UpdateControls() {
  if (m_hWnd) {
    auto item = [this](int id) { return ::GetDlgItem(m_hWnd, id); };
    ::SendMessage(item(IDC_NM_USER), EM_SETREADONLY, m_nState != NMS_IDLE, 0);
    ::SendMessage(item(IDC_NM_PASSWORD), EM_SETREADONLY, m_nState != NMS_IDLE, 0);
    ::SetWindowText(item(IDC_NM_CONNECT), Text(m_nState == NMS_IDLE         ? IDS_NM_CONNECT
                                               : m_nState == NMS_CONNECTING ? IDS_NM_CANCEL
                                                                            : IDS_NM_DISCONNECT));
    m_progress.ShowWindow(m_nState >= NMS_SENDING ? SW_SHOW : SW_HIDE);
    ::SetWindowText(item(IDC_NM_CHANNEL), Text(m_nState < NMS_CLOSING_CHANNEL ? IDS_NM_OPEN_CHANNEL : IDS_NM_CLOSE_CHANNEL));
    EnableDialogControl(item(IDC_NM_CHANNEL), m_nState == NMS_LOGGED_IN || m_nState == NMS_LIST_REQUESTED || m_nState >= NMS_CHANNEL);
    EnableDialogControl(item(IDC_NM_SENDFILE), m_nState == NMS_CHANNEL);
    EnableDialogControl(item(IDC_NM_SENDFOLDER), m_nState == NMS_CHANNEL);
    EnableDialogControl(item(IDC_NM_SAY), m_nState >= NMS_LOGGED_IN);
    EnableDialogControl(item(IDC_NM_SHOUT), m_nState >= NMS_LOGGED_IN);
  }
  if (HWND host = HostWindow()) ::PostMessage(host, WM_NETMASTER_FRAME, (WPARAM)m_nState, 0);
}

void CNetMasterDlg::Send(BYTE code, const void* payload, size_t length) {
  m_socket.SendNetMessage(code, (unsigned short)length, payload);
}

void CNetMasterDlg::SendTransfer(BYTE subType, const void* data, size_t length) {
  std::vector<BYTE> p{subType};
  if (length) p.insert(p.end(), (const BYTE*)data, (const BYTE*)data + length);
  Send(kTransfer, p.data(), p.size());
}

void CNetMasterDlg::ReplyText(UINT textId) {
  CString t = Text(textId);
  SendTransfer(kReply, t.GetString(), (size_t)t.GetLength());
}

// ---- Connecting, logging in, channel, chat --------------------------------------------------------------------

void CNetMasterDlg::OnConnect() {
  UpdateData(TRUE);
  if (m_nState != NMS_IDLE) {
    Disconnect();
    return;
  }
  if (m_strUser.IsEmpty() || m_strPassword.IsEmpty()) {
    AfxMessageBox(Text(IDS_NM_ENTER_USER), MB_OK | MB_ICONSTOP);
    return;
  }
  if (m_socket.ConnectToServer()) SetState(NMS_CONNECTING);
}

void CNetMasterDlg::Disconnect() {
  EndTransfer(false);
  m_socket.ResetAndClose();
  SetState(NMS_IDLE);
}

// A packet still half received when a request of the gate timed out will not be completed: the stream can no
// longer be framed, and waiting would only fail every later request, so the connection goes.
LRESULT CNetMasterDlg::OnReplyTimeout(WPARAM, LPARAM) {
  if (!m_socket.HasPartialPacket()) return 0;
  Show(Text(IDS_COMM_NET_CONNECTION_LOST));
  Disconnect();
  return 1;
}

LRESULT CNetMasterDlg::OnSocketConnected(WPARAM wParam, LPARAM) {
  if (wParam != 0) {
    Show(Text(IDS_NM_CONNECT_FAILED));
    m_socket.ResetAndClose();
    SetState(NMS_IDLE);
    return 0;
  }
  Show(Text(IDS_NM_CONNECTED));
  std::vector<BYTE> login(m_strUser.GetString(), m_strUser.GetString() + m_strUser.GetLength());
  login.push_back(0);
  login.insert(login.end(), m_strPassword.GetString(), m_strPassword.GetString() + m_strPassword.GetLength());
  Send(kLogIn, login.data(), login.size());
  SetState(NMS_LOGGING_IN);
  return 0;
}

LRESULT CNetMasterDlg::OnSocketError(WPARAM, LPARAM lParam) {
  if (lParam) Show((LPCSTR)lParam);
  return 0;
}

LRESULT CNetMasterDlg::OnSocketClosed(WPARAM, LPARAM) {
  EndTransfer(false);
  Show(Text(IDS_NM_CLOSED));
  SetState(NMS_IDLE);
  return 0;
}

void CNetMasterDlg::OnStatus(const BYTE* payload, size_t length) {
  CString text((const char*)payload, (int)length);
  if (length) Show(text, true);
  if (m_nState == NMS_LOGGING_IN) {
    SetState(length ? NMS_IDLE : NMS_LOGGED_IN);
    if (length) m_socket.ResetAndClose();
  } else if (m_nState == NMS_OPENING_CHANNEL) {
    SetState(length ? NMS_LOGGED_IN : NMS_CHANNEL);
  } else if (m_nState >= NMS_CLOSING_CHANNEL) {
    EndTransfer(false);
    SetState(NMS_LOGGED_IN);
  }
}

void CNetMasterDlg::OnChannel() {
  if (m_nState == NMS_LOGGED_IN) {
    Send(kListRequest, nullptr, 0);
    SetState(NMS_LIST_REQUESTED);
  } else if (m_nState >= NMS_CHANNEL) {
    EndTransfer(true);
    Send(kCloseChannel, nullptr, 0);
    SetState(NMS_CLOSING_CHANNEL);
    Show(Text(IDS_NM_CLOSING_CHANNEL));
  }
}

void CNetMasterDlg::OnSay() {
  UpdateData(TRUE);
  if (m_strChat.IsEmpty()) return;
  Send(kSay, m_strChat.GetString(), (size_t)m_strChat.GetLength());
  m_strChat.Empty();
  SetDlgItemText(IDC_NM_CHAT, "");
}

void CNetMasterDlg::OnShout() {
  UpdateData(TRUE);
  if (m_strChat.IsEmpty()) return;
  Send(kShout, m_strChat.GetString(), (size_t)m_strChat.GetLength());
  m_strChat.Empty();
  SetDlgItemText(IDC_NM_CHAT, "");
}

void CNetMasterDlg::OnClear() { m_messages.ClearEdit(); }

LRESULT CNetMasterDlg::OnPacket(WPARAM, LPARAM lParam) {
  auto* packet = (BYTE*)lParam;
  if (!packet) return 0;
  const BYTE code = packet[0];
  const size_t length = (size_t)(packet[1] | packet[2] << 8);
  const BYTE* payload = packet + 3;
  switch (code) {
    case kStatus: OnStatus(payload, length); break;
    case kChat: {
      CString text((const char*)payload, (int)length);
      if (text.Find(':') >= 0) text = CTime::GetCurrentTime().Format("[%H:%M] ") + text;
      Show(text, true);
      break;
    }
    case kDriveReply:
      // The whole packet is the reply frame; the host's main window takes it.
      if (HWND host = HostWindow()) {
        ::PostMessage(host, WM_NETMASTER_FRAME, (WPARAM)m_nState, lParam);
        return 1;
      }
      break;
    case kTransferIn: OnTransfer(payload, length); break;
    case kClientList: {
      if (m_nState != NMS_LIST_REQUESTED) break;
      Flash();
      std::vector<CString> names;
      CString rest((const char*)payload, (int)length);
      while (!rest.IsEmpty()) {
        int at = rest.Find(',');
        CString name = at < 0 ? rest : rest.Left(at);
        if (!name.IsEmpty()) names.push_back(name);
        if (at < 0) break;
        rest = rest.Mid(at + 1);
      }
      COpenChannelDlg dlg(names, this);
      if (dlg.DoModal() == IDOK) {
        Send(kOpenChannel, dlg.m_strClient.GetString(), (size_t)dlg.m_strClient.GetLength());
        SetState(NMS_OPENING_CHANNEL);
        CString text;
        text.Format(Text(IDS_NM_OPENING_CHANNEL), dlg.m_strClient.GetString());
        Show(text);
      } else {
        SetState(NMS_LOGGED_IN);
      }
      break;
    }
    default: break;
  }
  delete[] packet;
  return 1;
}

LRESULT CNetMasterDlg::OnGateFrame(WPARAM wParam, LPARAM lParam) {
  auto* frame = (BYTE*)lParam;
  if (!wParam || !frame) {
    delete[] frame;
    Show(Text(IDS_NM_PROTOCOL_ERROR));
    return 0;
  }
  if (m_nState < NMS_CHANNEL) {
    delete[] frame;
    if (HWND host = HostWindow()) ::PostMessage(host, WM_NETMASTER_FRAME, (WPARAM)m_nState, 0);
    return 0;
  }
  Send(kDriveFrame, frame, (size_t)wParam);
  delete[] frame;
  return 0;
}

LRESULT CNetMasterDlg::OnQueueEmpty(WPARAM, LPARAM) {
  if (m_nState == NMS_SENDING && m_pFile && m_pFile->GetPosition() > 0) SendNextFileBlock();
  return 0;
}

// ---- Transfers --------------------------------------------------------------------------------------------

void CNetMasterDlg::StartProgress(UINT textId, const CString& name, DWORD size) {
  CString text;
  text.Format(Text(textId), name.GetString());
  m_progress.SetWindowText(text);
  m_progress.SetRange(0, size);
  m_progress.SetPos(0);
}

void CNetMasterDlg::OnSendFile() {
  if (m_nState != NMS_CHANNEL) return;
  CString dir = GetKernelDirectory();
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                  "Archive files (*.zip;*.lha;*.arj;*.arc)|*.zip;*.lha;*.arj;*.arc|All files(*.*)|*.*||", this);
  dlg.m_ofn.lpstrInitialDir = dir;
  if (dlg.DoModal() != IDOK) return;
  auto* file = new CFile;
  CFileException error;
  if (!file->Open(dlg.GetPathName(), CFile::modeRead | CFile::shareDenyWrite, &error)) {
    delete file;
    AfxMessageBox(ErrorText(error), MB_OK | MB_ICONSTOP);
    return;
  }
  m_pFile = file;
  m_bFolder = false;
  m_dwRead = m_dwWindow = m_dwAcknowledged = 0;
  DWORD size = (DWORD)file->GetLength();
  std::vector<BYTE> offer;
  PutDword(offer, size);
  CString name = dlg.GetFileName();
  offer.insert(offer.end(), name.GetString(), name.GetString() + name.GetLength());
  offer.insert(offer.end(), {0x00, (BYTE)kWindow, (BYTE)(kWindow >> 8)});
  SendTransfer(kFileOffer, offer.data(), offer.size());
  SetState(NMS_SENDING);
  StartProgress(IDS_NM_SENDING, name, size);
}

void CNetMasterDlg::OnSendFolder() {
  if (m_nState != NMS_CHANNEL) return;
  char display[MAX_PATH] = {};
  BROWSEINFO bi{};
  bi.hwndOwner = m_hWnd;
  bi.pszDisplayName = display;
  bi.lpszTitle = "Send Folder";
  LPITEMIDLIST pidl = SHBrowseForFolder(&bi);
  if (!pidl) return;
  char path[MAX_PATH] = {};
  BOOL ok = SHGetPathFromIDList(pidl, path);
  CoTaskMemFree(pidl);
  if (!ok) return;
  m_strFolderRoot = path;
  while (m_strFolderRoot.GetLength() > 1 && (m_strFolderRoot.Right(1) == "\\" || m_strFolderRoot.Right(1) == "/"))
    m_strFolderRoot = m_strFolderRoot.Left(m_strFolderRoot.GetLength() - 1);
  m_folderFiles.clear();
  DWORD total = 0;
  CollectFiles(m_strFolderRoot, CString(), m_folderFiles, total);
  CString name = m_strFolderRoot;
  int slash = std::max(name.ReverseFind('\\'), name.ReverseFind('/'));
  if (slash >= 0) name = name.Mid(slash + 1);
  m_bFolder = true;
  m_dwRead = m_dwWindow = m_dwAcknowledged = 0;
  std::vector<BYTE> offer;
  PutDword(offer, total);
  offer.insert(offer.end(), name.GetString(), name.GetString() + name.GetLength());
  offer.insert(offer.end(), {0x00, (BYTE)kWindow, (BYTE)(kWindow >> 8)});
  SendTransfer(kFolderOffer, offer.data(), offer.size());
  SetState(NMS_SENDING);
  StartProgress(IDS_NM_SENDING_FOLDER, name, total);
}

int CNetMasterDlg::SendNextFileBlock() {
  if (m_nState != NMS_SENDING || !m_pFile) return 0;
  if (m_dwWindow && m_dwRead + kBlock > m_dwWindow + m_dwAcknowledged) return 0;
  BYTE block[kBlock];
  UINT n = 0;
  try {
    n = m_pFile->Read(block, kBlock);
  } catch (CException* e) {
    e->Delete();
    EndTransfer(false);
    return 0;
  }
  if (n) {
    SendTransfer(m_bFolder ? kFolderBlock : kFileBlock, block, n);
    m_dwRead += n;
    m_progress.OffsetPos(n);
    return 1;
  }
  SendTransfer(m_bFolder ? kFolderFileEnd : kFileEnd);
  m_pFile->Close();
  delete m_pFile;
  m_pFile = nullptr;
  return 0;
}

int CNetMasterDlg::FeedTransferAtIdle() {
  return m_nState == NMS_SENDING && m_pFile && m_pFile->GetPosition() > 0 && m_socket.QueuedPackets() == 0
             ? SendNextFileBlock()
             : 0;
}

bool CNetMasterDlg::OpenNextFolderFile() {
  CString rel = m_folderFiles.front();
  m_folderFiles.erase(m_folderFiles.begin());
  auto* file = new CFile;
  CFileException error;
  if (!file->Open(m_strFolderRoot + "\\" + rel, CFile::modeRead | CFile::shareDenyWrite, &error)) {
    delete file;
    CString text = ErrorText(error);
    SendTransfer(kReply, text.GetString(), (size_t)text.GetLength());
    EndTransfer(false);
    return false;
  }
  m_pFile = file;
  SendTransfer(kNextFile, rel.GetString(), (size_t)rel.GetLength());
  return true;
}

void CNetMasterDlg::OnTransferReply(const BYTE* rest, size_t length) {
  bool windowForm = length == 3 && rest[0] == 0;
  if (length && !windowForm) {
    Show(CString((const char*)rest, (int)length), true);
    EndTransfer(false);
    return;
  }
  if (m_nState != NMS_SENDING) return;
  if (windowForm) m_dwWindow = (DWORD)(rest[1] | rest[2] << 8);
  if (m_pFile) {
    SendNextFileBlock();
  } else if (!m_bFolder || m_strFolderRoot.IsEmpty()) {
    m_bFolder = false;
    SetState(NMS_CHANNEL);
  } else if (m_folderFiles.empty()) {
    SendTransfer(kFolderEnd);
    m_strFolderRoot.Empty();
  } else {
    OpenNextFolderFile();
  }
}

void CNetMasterDlg::OnOffer(bool folder, const BYTE* rest, size_t length) {
  const BYTE* end = rest + length;
  const BYTE* nul = length > 4 ? (const BYTE*)memchr(rest + 4, 0, length - 4) : nullptr;
  CString name = nul ? CString((const char*)rest + 4, (int)(nul - rest - 4)) : CString();
  if (!nul || !SafeRelativeName(name) || name.FindOneOf("\\/") >= 0) {
    ReplyText(IDS_NM_PROTOCOL_ERROR);
    return;
  }
  DWORD size = GetDword(rest);
  WORD window = end - nul == 3 ? (WORD)(nul[1] | nul[2] << 8) : 0;
  CString question;
  question.Format(Text(folder ? IDS_NM_ASK_FOLDER : IDS_NM_ASK_FILE), name.GetString(), size);
  bool accepted = AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
  CString path;
  if (accepted && !folder) {
    CFileDialog dlg(FALSE, nullptr, name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "All files(*.*)|*.*||", this);
    CString dir = GetKernelDirectory();
    dlg.m_ofn.lpstrInitialDir = dir;
    accepted = dlg.DoModal() == IDOK;
    path = dlg.GetPathName();
  } else if (accepted) {
    char display[MAX_PATH] = {};
    BROWSEINFO bi{};
    bi.hwndOwner = m_hWnd;
    bi.pszDisplayName = display;
    LPITEMIDLIST pidl = SHBrowseForFolder(&bi);
    char chosen[MAX_PATH] = {};
    accepted = pidl && SHGetPathFromIDList(pidl, chosen);
    if (pidl) CoTaskMemFree(pidl);
    path = CString(chosen) + "\\" + name;
  }
  if (!accepted) {
    ReplyText(folder ? IDS_NM_REFUSED_FOLDER : IDS_NM_REFUSED_FILE);
    return;
  }
  if (folder) {
    if (!::CreateDirectory(path) && ::GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES) {
      AfxMessageBox(SystemErrorText(::GetLastError()), MB_OK | MB_ICONSTOP);
      ReplyText(IDS_NM_REFUSED_FOLDER);
      return;
    }
    m_strFolderRoot = path;
  } else {
    CString error;
    if (!OpenReceivedFile(path, error)) {
      ReplyText(IDS_NM_REFUSED_FILE);
      return;
    }
  }
  m_bFolder = folder;
  m_dwRead = m_dwAcknowledged = 0;
  m_dwWindow = window;
  SetState(NMS_RECEIVING);
  StartProgress(folder ? IDS_NM_RECEIVING_FOLDER : IDS_NM_RECEIVING, name, size);
  if (window) {
    BYTE reply[3] = {0, (BYTE)window, (BYTE)(window >> 8)};
    SendTransfer(kReply, reply, 3);
  } else {
    SendTransfer(kReply);
  }
}

void CNetMasterDlg::OnTransfer(const BYTE* payload, size_t length) {
  if (length == 0) return;
  const BYTE sub = payload[0];
  const BYTE* rest = payload + 1;
  const size_t n = length - 1;
  auto fail = [this](const char* text) {
    if (text) SendTransfer(kReply, text, strlen(text));
    else ReplyText(IDS_NM_PROTOCOL_ERROR);
    EndTransfer(false);
  };
  if (sub == kReply) {
    OnTransferReply(rest, n);
    return;
  }
  if (sub == kAcknowledge && m_nState == NMS_SENDING && n >= 4) {
    m_dwAcknowledged = GetDword(rest);
    SendNextFileBlock();
    return;
  }
  if ((sub == kFileOffer || sub == kFolderOffer) && m_nState == NMS_CHANNEL) {
    OnOffer(sub == kFolderOffer, rest, n);
    return;
  }
  if (m_nState != NMS_RECEIVING) {
    ReplyText(IDS_NM_PROTOCOL_ERROR);
    return;
  }
  switch (sub) {
    case kNextFile: {
      CString rel((const char*)rest, (int)n);
      if (!m_bFolder || m_pFile || !SafeRelativeName(rel)) return fail(nullptr);
      rel.Replace('/', '\\');
      for (int at = rel.Find('\\'); at >= 0; at = rel.Find('\\', at + 1))
        ::CreateDirectory(m_strFolderRoot + "\\" + rel.Left(at));
      CString error;
      if (!OpenReceivedFile(m_strFolderRoot + "\\" + rel, error)) return fail(error);
      SendTransfer(kReply);
      return;
    }
    case kFileBlock:
    case kFolderBlock:
      if (!m_pFile || (sub == kFolderBlock) != m_bFolder) return fail(nullptr);
      try {
        m_pFile->Write(rest, (UINT)n);
      } catch (CException* e) {
        CString text = ErrorText(*e);
        e->Delete();
        return fail(text);
      }
      m_dwRead += (DWORD)n;
      m_progress.OffsetPos((DWORD)n);
      if (m_dwWindow) {
        std::vector<BYTE> ack;
        PutDword(ack, m_dwRead);
        SendTransfer(kAcknowledge, ack.data(), ack.size());
      }
      return;
    case kFileEnd:
    case kFolderFileEnd: {
      if (!m_pFile || (sub == kFolderFileEnd) != m_bFolder) return fail(nullptr);
      CString error;
      if (!CompleteReceivedFile(error)) return fail(error);
      if (sub == kFileEnd) SetState(NMS_CHANNEL);
      SendTransfer(kReply);
      return;
    }
    case kFolderEnd:
      if (!m_bFolder || m_pFile) return fail(nullptr);
      m_strFolderRoot.Empty();
      m_bFolder = false;
      SetState(NMS_CHANNEL);
      SendTransfer(kReply);
      return;
    default: return fail(nullptr);
  }
}

bool CNetMasterDlg::OpenReceivedFile(const CString& path, CString& error) {
  // Only through the descriptor that made the file beside the target: its name is never opened again.
  auto save = std::make_unique<CSaveBeside>(path);
  auto* file = new CFile;
  CFileException failure;
  if (!file->OpenBeside(*save, path, CFile::modeWrite | CFile::shareDenyWrite, &failure)) {
    delete file;
    error = ErrorText(failure);
    return false;
  }
  m_pFile = file;
  m_strFilePath = path;
  m_pSave = std::move(save);
  return true;
}

bool CNetMasterDlg::CompleteReceivedFile(CString& error) {
  try {
    m_pFile->Close();
  } catch (CException* e) {
    error = ErrorText(*e);
    e->Delete();
    return false;
  }
  delete m_pFile;
  m_pFile = nullptr;
  // On the disk before it takes the target's place, and the folder after.
  if (!m_pSave->Commit()) {
    error = SystemErrorText(::GetLastError());
    return false;
  }
  m_pSave.reset();
  m_strFilePath.Empty();
  return true;
}

void CNetMasterDlg::EndTransfer(bool tellPartner) {
  if (m_pFile) {
    m_pFile->Abort();
    delete m_pFile;
    m_pFile = nullptr;
  }
  // A partial received file is not kept; what the target held before stays.
  m_pSave.reset();
  m_strFilePath.Empty();
  m_strFolderRoot.Empty();
  m_folderFiles.clear();
  m_bFolder = false;
  m_dwWindow = m_dwAcknowledged = 0;
  if (m_nState > NMS_CHANNEL) {
    if (tellPartner) ReplyText(IDS_NM_CHANNEL_CLOSED_BY_PEER);
    SetState(NMS_CHANNEL);
  }
}
