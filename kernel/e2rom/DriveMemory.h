// The regions of a drive's memory the kernel, its views and the communication library address.
#pragma once

#include <cstdint>

namespace DriveMemory {
// The E2ROM is seen through the window kE2ROMStart..kE2ROMLast of memory space 2, at most kE2ROMMaxSize words.
inline constexpr uint16_t kE2ROMStart = 0x4000;
inline constexpr uint16_t kE2ROMLast = 0x7FFF;
inline constexpr uint16_t kE2ROMMaxSize = 0x4000;
// The drive's identity block near the window's top.
inline constexpr uint16_t kIdentityAddress = 0x7FBF;
// The window's last word holds the start address of the setup table.
inline constexpr uint16_t kSetupTablePointer = 0x7FFF;
// The setup table ends (exclusive) at kSetupTableEndBase plus the E2ROM size: the top 0x50 words of a full
// E2ROM stay for the identity block and the table pointer.
inline constexpr uint16_t kSetupTableEndBase = 0x3FB0;
}  // namespace DriveMemory
