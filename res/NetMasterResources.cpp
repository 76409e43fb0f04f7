// The net-master window, its channel dialog and their texts.
#include "comm/NetMasterIds.h"
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

namespace {

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;

const DLGITEM_ENTRY kMasterItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 9, 40, 8, "User name:"},
    {"Edit", IDC_NM_USER, kEdit, WS_EX_CLIENTEDGE, 50, 7, 80, 12, ""},
    {"Static", 0xFFFF, kText, 0, 140, 9, 36, 8, "Password:"},
    {"Edit", IDC_NM_PASSWORD, kEdit | ES_PASSWORD, WS_EX_CLIENTEDGE, 178, 7, 70, 12, ""},
    {"Button", IDC_NM_CONNECT, kButton, 0, 260, 6, 70, 14, "&Connect"},
    {"Button", IDC_NM_CHANNEL, kButton, 0, 260, 24, 70, 14, "Open C&hannel..."},
    {"Button", IDC_NM_SENDFILE, kButton, 0, 260, 42, 70, 14, "&Send File..."},
    {"Button", IDC_NM_SENDFOLDER, kButton, 0, 260, 60, 70, 14, "Send Folder..."},
    {"Button", IDC_NM_CLEAR, kButton, 0, 260, 78, 70, 14, "Clear"},
    {"Edit", IDC_NM_MESSAGES, WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
     WS_EX_CLIENTEDGE, 7, 24, 245, 130, ""},
    {"msctls_progress32", IDC_NM_PROGRESS, WS_BORDER, 0, 7, 158, 245, 10, ""},
    {"Edit", IDC_NM_CHAT, kEdit, WS_EX_CLIENTEDGE, 7, 174, 175, 12, ""},
    {"Button", IDC_NM_SAY, kButton | BS_DEFPUSHBUTTON, 0, 186, 173, 32, 14, "&Say"},
    {"Button", IDC_NM_SHOUT, kButton, 0, 222, 173, 32, 14, "S&hout"},
};

const DIALOG_RESOURCE kMaster = {WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT,
                                 0, 0, 0, 338, 194, "Master", "MS Sans Serif", 8, kMasterItems,
                                 sizeof kMasterItems / sizeof kMasterItems[0], nullptr};

const DLGITEM_ENTRY kChannelItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 7, 120, 8, "Enter Client Name"},
    {"ComboBox", IDC_OC_CLIENT, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 7, 18, 120, 80,
     ""},
    {"Button", IDOK, kButton | BS_DEFPUSHBUTTON, 0, 134, 7, 50, 14, "OK"},
    {"Button", IDCANCEL, kButton, 0, 134, 24, 50, 14, "Cancel"},
};

const DIALOG_RESOURCE kChannel = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                  0, 0, 0, 191, 45, "Open Channel", "MS Sans Serif", 8, kChannelItems,
                                  sizeof kChannelItems / sizeof kChannelItems[0], nullptr};

const RESOURCE_STRING kStrings[] = {
    {IDS_NM_ENTER_USER, "You must enter your user name and password before attempting to connect"},
    {IDS_NM_CONNECTED, "Connected to server\nWaiting for log in..."},
    {IDS_NM_CONNECT_FAILED, "Network error while trying to connect"},
    {IDS_NM_CLOSED, "Connection closed"},
    {IDS_NM_CLOSING_CHANNEL, "Closing channel..."},
    {IDS_NM_OPENING_CHANNEL, "Opening channel with slave %s ..."},
    {IDS_NM_PROTOCOL_ERROR, "Network protocol error"},
    {IDS_NM_CHANNEL_CLOSED_BY_PEER, "Channel closed by peer"},
    {IDS_NM_REFUSED_FILE, "Your partner refused to receive the file"},
    {IDS_NM_REFUSED_FOLDER, "Your partner refused to receive the folder"},
    {IDS_NM_ASK_FILE, "Do you want to receive a file named %s (size %lu)?"},
    {IDS_NM_ASK_FOLDER, "Do you want to receive a folder named %s (total size %lu)?"},
    {IDS_NM_SENDING, "Sending %s"},
    {IDS_NM_SENDING_FOLDER, "Sending folder %s"},
    {IDS_NM_RECEIVING, "Receiving %s"},
    {IDS_NM_RECEIVING_FOLDER, "Receiving folder %s"},
    {IDS_NM_CONNECT, "&Connect"},
    {IDS_NM_CANCEL, "&Cancel"},
    {IDS_NM_DISCONNECT, "&Disconnect"},
    {IDS_NM_OPEN_CHANNEL, "Open &Channel..."},
    {IDS_NM_CLOSE_CHANNEL, "Close &Channel"},
    {IDS_NM_TITLE_SUFFIX, " NetMaster"},
    {IDS_OC_ENTER_CLIENT, "Enter Client Name"},
};

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(IDD_NETMASTER), &kMaster, sizeof kMaster},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_OPENCHANNEL), &kChannel, sizeof kChannel},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], kEntries,
                               sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
