// String-table ids of the communication gate.
#pragma once

#define IDS_COMM_NOT_ONLINE 22000
#define IDS_COMM_ERROR_BOX 22001
#define IDS_COMM_NET_PROTOCOL_ERROR 22002
#define IDS_COMM_NET_UNAVAILABLE 22003
