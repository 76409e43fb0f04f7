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

// States of the net-master link; from NETMASTER_STATE_CHANNEL on a channel to a slave is established.
#define NETMASTER_STATE_CHANNEL 8
// From this state on the link is connected to the net server.
#define NETMASTER_STATE_CONNECTED 3

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
