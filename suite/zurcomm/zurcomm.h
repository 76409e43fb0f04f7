// The communication library's C interface: channels, drive selection, messages and drive memory.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
// One drive message as it travels on the bus: 14 bytes.
struct DAV_MSG {
  uint16_t count;    // data words in use
  uint16_t address;  // axis id << 4, bit 0 the host bit; 0x1000 broadcast
  uint16_t opcode;
  uint16_t data[4];
};
#pragma pack(pop)
static_assert(sizeof(DAV_MSG) == 14, "DAV_MSG is 14 bytes on the wire");

// Progress of big transfers: code 1 information text, 2 yes/no question (the result is the answer),
// 3 and 4 progress in percent (3 while sending, 4 while receiving). A false result cancels.
typedef bool (*DAV_PROGRESS_CALLBACK)(int code, const char* text, float percent, void* user);
typedef void (*DAV_UNSOLICITED_MSG_HANDLER)(DAV_MSG* msg);
typedef void (*DAV_DEBUG_LOG_HANDLER)(const char* text);

// Memory spaces of a drive.
#define DAV_SPACE_PROGRAM 0
#define DAV_SPACE_DATA 1
#define DAV_SPACE_E2ROM 2

#define DAV_BROADCAST_ADDRESS 0x1000

extern "C" {

// >= 0 when the channel opened.
int DAV_OpenComm(const char* channel, uint16_t hostAxis, int reserved, uint8_t protocolAndType);
int DAV_CloseComm(int how);
bool DAV_SetBaudRate(uint32_t baud);
uint32_t DAV_GetBaudRate();
int DAV_UpdateSettings();
bool DAV_SetHostDrive(uint16_t axis);
bool DAV_GetHostDrive(uint16_t* axis);
bool DAV_SetActiveDrive(uint16_t axis);
bool DAV_GetActiveDrive(uint16_t* axis);
bool DAV_ResetDrive();
// Writes the firmware id ("F" and 4 characters) and a terminator; the buffer holds 16 bytes or more.
bool DAV_GetDriveVersion(char* version);
bool DAV_SendMessage(DAV_MSG* msg);
bool DAV_ReceiveMessage(DAV_MSG* msg);
// Received bytes waiting; < 0 on error.
int DAV_GetBytesCountInQueue();
bool DAV_SendData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count);
// A read hands its words out only when it succeeds: a failed one leaves the buffer as it was.
bool DAV_ReceiveData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count);
bool DAV_SendBigData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count,
                     DAV_PROGRESS_CALLBACK callback, void* user);
bool DAV_ReceiveBigData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count,
                        DAV_PROGRESS_CALLBACK callback, void* user);
// 16-bit sum of the E2ROM words from start to end, both included.
bool DAV_CheckSum(uint16_t start, uint16_t end, uint16_t* sum);
bool DAV_COFFDownload(const char* file, uint16_t* out1, uint16_t* out2, uint16_t* out3,
                      DAV_PROGRESS_CALLBACK callback, void* user, uint16_t value);
const char* DAV_GetLastError();
int DAV_RegisterReceiveUnsolicitedMsgHandler(DAV_UNSOLICITED_MSG_HANDLER handler);
int DAV_RegisterDebugLogHandler(int level, DAV_DEBUG_LOG_HANDLER handler);

}  // extern "C"
