// The drive memory the memory view shows: its window in the setup's memory map, and the reading and
// writing of its words through the communication gate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Window, regions and clamping are computed in 32 bits: a RAM that ends at 0x10000 is still shown.
class CMemoryWords {
 public:
  static constexpr uint32_t kRAMWriteBegin = 0x8200;
  static constexpr uint32_t kAddressEnd = 0x10000;

  CMemoryWords(uint16_t e2romSize, uint16_t ramStart, uint16_t ramSize, uint16_t pvtSize);

  // The range that bounds the start address; end exclusive, begin == end when empty.
  uint32_t WindowBegin() const { return m_windowBegin; }
  uint32_t WindowEnd() const { return m_windowEnd; }
  // The start for `rows` rows of eight words: inside the window, the last row at most at its end, a
  // multiple of 8.
  uint16_t ClampStart(uint32_t start, uint32_t rows) const;
  // The region read at `address`: its space byte and end (exclusive); false in no region.
  bool ReadRegion(uint32_t address, uint8_t& space, uint32_t& end) const;
  // Words read for consecutive addresses: each value with whether it was read.
  struct Block {
    std::vector<uint16_t> values;
    std::vector<uint8_t> known;
    size_t size() const { return values.size(); }
    std::optional<uint16_t> operator[](size_t i) const {
      return known[i] ? std::optional<uint16_t>(values[i]) : std::nullopt;
    }
    std::optional<uint16_t> back() const { return (*this)[size() - 1]; }
  };
  // `count` words from `start`. One read per region at most, straight into the values; a failed read
  // leaves it and every later word unknown; nothing is read with the channel closed. The error box
  // is silenced meanwhile.
  Block Read(uint16_t start, uint32_t count) const;

  // Space byte an edit writes at `address`: 2 in E2ROM, 0 in RAM from 0x8200, -1 elsewhere.
  static int WriteSpace(uint32_t address);
  // Writes the hexadecimal `text` at `address` and reads it back. The cell's new text: the word read
  // back, or "????" when the write or the read-back failed; empty when nothing was written (outside
  // both regions, channel closed, text not hexadecimal).
  static std::optional<std::string> Write(uint16_t address, const char* text);
  // "%.4hX" of a word, "????" of an unknown one.
  static std::string Text(std::optional<uint16_t> word);
  // "%hX" of a text; empty when it does not begin with a hexadecimal number.
  static std::optional<uint16_t> ParseHex(const char* text);

 private:
  uint32_t m_e2romEnd;
  uint32_t m_ramBegin;  // after the PVT area
  uint32_t m_ramEnd;
  uint32_t m_windowBegin = 0;
  uint32_t m_windowEnd = 0;
};
