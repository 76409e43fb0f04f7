// String table of the communication gate.
#include "comm/CommStringIds.h"
#include "platform/core/Resource.h"

namespace {

const RESOURCE_STRING kStrings[] = {
    {IDS_COMM_NOT_ONLINE,
     "Communication status must be \"Online\" in order to execute this command!\nUse menu command "
     "\"Communication | Refresh\" to update the communication status."},
    {IDS_COMM_ERROR_BOX, "Communication Error:\n\n%s"},
    {IDS_COMM_NET_PROTOCOL_ERROR, "Network Protocol Error! The peer does not understand my communication protocol."},
    {IDS_COMM_NET_NO_CHANNEL, "You must first establish a channel with a slave"},
    {IDS_COMM_NET_FILE_TOO_BIG, "Cannot download over the network files bigger than %u bytes"},
    {IDS_COMM_NET_WSA_FAILED, "Windows sockets initialization has failed!"},
    {IDS_COMM_NET_FRAME_TOO_LONG, "The request does not fit into one network frame of 65535 bytes"},
    {IDS_COMM_NET_TIMEOUT, "Time-out: the slave does not answer over the network"},
    {IDS_COMM_NET_CONNECTION_LOST, "The connection to the net server was lost"},
};

const RESOURCE_TABLE kTable = {kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0};
CResourceTableRegistration g_registration(kTable);

}  // namespace
