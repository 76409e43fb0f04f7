// The simulated drive network behind the communication library: built and inspected by tests and hosts.
#pragma once

#include "kernel/e2rom/DriveMemory.h"
#include "suite/zurcomm/zurcomm.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Process-wide and thread-safe. Every drive has a program memory (space 0), a data memory (space 1)
// and an E2ROM seen through the window 0x4000-0x7FFF (space 2). Spaces 0 and 1 share one RAM from
// 0x8000 up and are separate below it. A reset of a drive clears its RAM and keeps its E2ROM.
//
// A fresh drive holds a valid identity block at 0x7FBF, the table pointer at 0x7FFF names 0x4000
// (where no table is stored) and every other word is 0.
class DriveSimulator {
 public:
  static constexpr uint16_t kIdentityAddress = DriveMemory::kIdentityAddress;
  static constexpr uint16_t kIdentityWords = 64;
  static constexpr const char* kDefaultFirmware = "F505H";
  static constexpr const char* kDefaultProductId = "1000.505.0001";

  struct CallRecord {
    const char* function = "";  // e.g. "DAV_ReceiveData"
    uint32_t args[4] = {0, 0, 0, 0};
    bool ok = true;
  };
  // Replies a drive sends to a message it does not handle itself (the error list and the network scan
  // are built in). Runs under the simulator's lock: it must not call the library.
  using MessageResponder = std::function<std::vector<DAV_MSG>(const DAV_MSG& msg)>;

  // Back to the start: one drive, axis 1, firmware "F505H"; channel closed, no faults, empty log.
  static void Reset();

  // ---- The network ---------------------------------------------------------------------------
  static void ClearNetwork();
  // Adds a fresh drive, or makes the drive of that axis fresh again.
  static void AddDrive(uint16_t axis, const std::string& firmware = kDefaultFirmware,
                       const std::string& productId = kDefaultProductId);
  static void RemoveDrive(uint16_t axis);
  static bool HasDrive(uint16_t axis);
  static std::vector<uint16_t> Axes();
  static void SetFirmware(uint16_t axis, const std::string& firmware);
  // Direct access to a drive's memory, under the same address rules as the library (no write
  // protection); false for an unknown axis or a range outside the space.
  static bool ReadMemory(uint16_t axis, uint8_t space, uint16_t address, uint16_t* words, size_t count);
  static bool WriteMemory(uint16_t axis, uint8_t space, uint16_t address, const uint16_t* words, size_t count);
  // The error list a drive reports, oldest first: (code, word); codes are nonzero.
  static void SetErrorList(uint16_t axis, const std::vector<std::pair<uint8_t, uint16_t>>& errors);
  static void SetE2ROMWriteProtected(uint16_t axis, bool on);
  static int ResetCount(uint16_t axis);
  // The 64 words of a valid identity block for a product id ("dddd.ddd.dddd") and a firmware id.
  static std::array<uint16_t, 64> IdentityBlock(const std::string& productId, const std::string& firmware);

  // ---- Logger firmware ----------------------------------------------------------------------
  // A write of v to "log_ptr" arms the buffer at v & ~3 from its header; type v & 3 of 1 or 2 samples
  // every divider x Ts_S or Ts_C on the layer's clock, 0 waits for StartLog; 0 stops.
  static void SetLoggerSettings(uint16_t axis, uint16_t logPtrAddress, double tsS, double tsC);
  // STARTLOG and STOPLOG: on one axis, or on every axis for axis 0.
  static void StartLog(uint16_t axis, int type);
  static void StopLog(uint16_t axis);
  // Logs `samples` points at once, whatever the clock says.
  static void StepLogger(uint16_t axis, uint32_t samples);
  static bool IsLogging(uint16_t axis);
  // The data word at `address` takes wave(k) before sample k is taken; null clears it.
  static void SetWaveform(uint16_t axis, uint16_t address, std::function<uint16_t(uint32_t)> wave);
  // The scope: "log_ptr" = A + 3 starts it from its header (MASTERID names the host); it samples
  // every divider x Ts_C and posts each sweep of 101 points as unsolicited frames of four words
  // (8 bytes low byte first: the frame number, then 7 bytes of the points' words). The hook sees
  // the frames of each sweep first and may drop, repeat, reorder or cut them.
  static void StepScope(uint16_t axis, uint32_t samples);
  static bool IsScopeRunning(uint16_t axis);
  static void SetFrameHook(std::function<void(std::vector<DAV_MSG>& frames)> hook);
  // Hands the frames posted so far to the handler (or the queue); library calls do it on return.
  static void DeliverUnsolicited();

  // ---- Motion --------------------------------------------------------------------------------
  // Word addresses of the position loop: CPOS (32-bit counts), CSPD and CACC (16.16 fixed, counts per
  // speed-loop sample Ts_S and per sample squared) are read; APOS (32-bit), ASPD (16.16) and IQ
  // (16-bit, kCurrentPerAcceleration x acceleration) are written as the axis moves. The load's
  // position and speed (when given) follow the motor's through the transmission: loadRatio load
  // counts per motor count, the load starting from where it stands.
  struct MotionWords {
    uint16_t cpos = 0, cspd = 0, cacc = 0, apos = 0, aspd = 0, iq = 0;
    uint16_t aposLoad = 0, aspdLoad = 0;
    double loadRatio = 1;
  };
  static constexpr double kCurrentPerAcceleration = 1e5;
  // UPD: the axis leaves its APOS for CPOS along a trapezoidal profile on the layer's clock; nothing
  // moves without a distance, a speed and an acceleration. Only a command moves the axis; a new one
  // starts from where the axis stands, at rest.
  static void StartMove(uint16_t axis, const MotionWords& words);
  static bool IsMoving(uint16_t axis);

  // ---- Messages ------------------------------------------------------------------------------
  // Puts a message into the host's receive queue.
  static void QueueMessage(const DAV_MSG& msg);
  // An unsolicited message: goes to the handler registered with the library, or into the queue.
  static void PostUnsolicitedMessage(DAV_MSG msg);
  static size_t QueuedMessageCount();
  static void SetMessageResponder(MessageResponder responder);

  // ---- Faults --------------------------------------------------------------------------------
  // The next `count` library calls (of `function` only, when given) fail with `text`.
  static void FailNextCalls(int count, const std::string& text, const std::string& function = std::string());
  // From the library call numbered `k` (0 = the next one) on, no drive answers.
  static void StopAnsweringAtCall(uint64_t k);
  static void ResumeAnswering();
  static void RefuseBaudRate(uint32_t baud);
  // The link falls back to another baud rate behind the host's back (as after a drive's reset).
  static void ChangeBaudRate(uint32_t baud);
  // Channel names that open; empty restores the default rule (COM, CAN or UDP and a number 1-256).
  static void SetChannelNames(const std::vector<std::string>& names);

  // ---- State seen by the library -------------------------------------------------------------
  static bool IsOpen();
  static std::string Channel();
  static uint8_t ProtocolAndType();
  static uint16_t HostDrive();
  static uint16_t ActiveDrive();
  static uint32_t BaudRate();
  static int UpdateSettingsCount();

  // ---- Call log -------------------------------------------------------------------------------
  // The most recent calls (at most 100000 are kept); the count covers every call since the reset.
  static std::vector<CallRecord> CallLog();
  static uint64_t CallCount();
  static size_t CallCount(const std::string& function);
  static void ClearCallLog();
  static void SetCallLogEnabled(bool on);
};
