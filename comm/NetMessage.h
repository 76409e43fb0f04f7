// The frames of the net-master link: the reply frame tagNetMessage and the window messages between the
// user-interface thread and the net-master thread.
#pragma once

#include "platform/core/Types.h"

#include <cstring>

// Request from the gate to the net-master window (length, frame) and reply or state to the host's main
// window (state, tagNetMessage or null); ownership of the frame passes with the message.
#define WM_NETMASTER_FRAME 6038
// Activation of the application (1 = it lost activation, 0 = it gained it) to the net-master window.
#define WM_NETMASTER_ACTIVATE 6033
// Sent by the gate to the net-master window when a request timed out; nonzero result: a packet was half received,
// so the window dropped the connection.
#define WM_NETMASTER_REPLY_TIMEOUT 6041

// States of the net-master link; from NETMASTER_STATE_CHANNEL on a channel to a slave is established.
#define NETMASTER_STATE_CHANNEL 8
// From this state on the link is connected to the net server.
#define NETMASTER_STATE_CONNECTED 3

// Opcodes of the drive requests over the net-master link: the first byte of a request frame, echoed as
// the first byte of its reply. A few echoes come unasked: error, progress, debug log, unsolicited message.
enum NetOpcode : BYTE {
  NETOP_ERROR = 0x00,     // echo of an error report; its text follows
  NETOP_LAST_ERROR = 0x01,
  NETOP_ANSWER = 0x02,    // the user's answer to a progress question
  NETOP_PROGRESS = 0x02,  // echo of a progress report while a request with callback runs
  NETOP_GET_BAUD_RATE = 0x07,
  NETOP_RESET_DRIVE = 0x0C,
  NETOP_SEND_MESSAGE = 0x0D,
  NETOP_RECEIVE_MESSAGE = 0x0E,
  NETOP_SET_ACTIVE_AXIS = 0x0F,
  NETOP_GET_ACTIVE_AXIS = 0x10,
  NETOP_SET_HOST_AXIS = 0x11,
  NETOP_GET_HOST_AXIS = 0x12,
  NETOP_CHECKSUM = 0x14,
  NETOP_SEND_DATA = 0x15,
  NETOP_RECEIVE_DATA = 0x16,
  NETOP_SET_BAUD_RATE = 0x18,
  NETOP_SEND_BIG_DATA = 0x1B,
  NETOP_RECEIVE_BIG_DATA = 0x1C,
  NETOP_DEBUG_LOG = 0x1E,
  NETOP_UNSOLICITED_MSG = 0x1F,
  NETOP_OPEN_CHANNEL = 0x20,
  NETOP_CLOSE_CHANNEL = 0x22,
  NETOP_BYTES_IN_QUEUE = 0x23,
  NETOP_DRIVE_VERSION = 0x24,
  NETOP_COFF_DOWNLOAD = 0x25,
};

#pragma pack(push, 1)
// A drive reply as it came over the link: kind 2, the length of what follows, then echo (the request's
// opcode; 0 = error), success byte and data. Held in a heap block of 3 + length bytes.
struct tagNetMessage {
  BYTE kind;
  WORD length;
  BYTE data[1];

  BYTE Echo() const { return length >= 1 ? data[0] : 0; }
  static tagNetMessage* Create(BYTE kind, const BYTE* payload, WORD length) {
    auto* m = reinterpret_cast<tagNetMessage*>(new BYTE[3u + length + 1u]);
    m->kind = kind;
    m->length = length;
    if (length) memcpy(m->data, payload, length);
    return m;
  }
  static void Delete(tagNetMessage* m) { delete[] reinterpret_cast<BYTE*>(m); }
};
#pragma pack(pop)
