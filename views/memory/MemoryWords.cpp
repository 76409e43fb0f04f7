#include "views/memory/MemoryWords.h"

#include "comm/MC_Comm.h"
#include "kernel/e2rom/DriveMemory.h"

#include <algorithm>
#include <cstdio>

CMemoryWords::CMemoryWords(uint16_t e2romSize, uint16_t ramStart, uint16_t ramSize, uint16_t pvtSize)
    : m_e2romEnd(DriveMemory::kE2ROMStart + e2romSize),
      m_ramBegin(uint32_t(ramStart) + pvtSize),
      m_ramEnd(uint32_t(ramStart) + ramSize) {
  const bool ram = ramStart != 0 && ramSize > pvtSize;
  if (e2romSize != 0) {
    m_windowBegin = DriveMemory::kE2ROMStart;
    m_windowEnd = ram ? m_ramEnd : m_e2romEnd;
  } else if (ram) {
    m_windowBegin = m_ramBegin;
    m_windowEnd = m_ramEnd;
  }
  // Nothing beyond the 16-bit address space is ever read.
  m_windowEnd = std::min(m_windowEnd, kAddressEnd);
  m_windowBegin = std::min(m_windowBegin, m_windowEnd);
  m_ramEnd = std::min(m_ramEnd, kAddressEnd);
  if (e2romSize == 0) m_e2romEnd = DriveMemory::kE2ROMStart;
}

uint16_t CMemoryWords::ClampStart(uint32_t start, uint32_t rows) const {
  if (m_windowBegin == m_windowEnd) return 0;
  const uint64_t span = 8ull * std::max<uint32_t>(rows, 1);
  uint64_t s = std::max<uint64_t>(start, m_windowBegin);
  const uint64_t last = m_windowEnd >= span ? m_windowEnd - span : 0;
  if (s > last) s = last;
  return uint16_t(s & ~uint64_t(7));
}

bool CMemoryWords::ReadRegion(uint32_t address, uint8_t& space, uint32_t& end) const {
  if (address < m_windowBegin || address >= m_windowEnd) return false;
  if (address >= DriveMemory::kE2ROMStart && address < m_e2romEnd) {
    space = 2;
    end = m_e2romEnd;
    return true;
  }
  if (address >= m_ramBegin && address < m_ramEnd) {
    space = 0;
    end = m_ramEnd;
    return true;
  }
  return false;
}

namespace {
// Silences the communication error box for its lifetime.
struct QuietComm {
  UINT saved = CMC_Comm::nShowErr;
  QuietComm() { CMC_Comm::nShowErr = 0; }
  ~QuietComm() { CMC_Comm::nShowErr = saved; }
};
}  // namespace

CMemoryWords::Block CMemoryWords::Read(uint16_t start, uint32_t count) const {
  Block block{std::vector<uint16_t>(count), std::vector<uint8_t>(count)};
  QuietComm quiet;
  const bool open = CMC_Comm::IsCommOpen();
  uint32_t i = 0;
  while (open && i < count) {
    const uint32_t a = uint32_t(start) + i;
    uint8_t space = 0;
    uint32_t end = 0;
    if (!ReadRegion(a, space, end)) {
      ++i;
      continue;
    }
    const uint32_t n = std::min<uint32_t>({end - a, count - i, 0xFFFF});
    if (!CMC_Comm::ReceiveData(block.values.data() + i, WORD(a), space, WORD(n))) break;
    std::fill_n(block.known.begin() + i, n, uint8_t(1));
    i += n;
  }
  return block;
}

int CMemoryWords::WriteSpace(uint32_t address) {
  if (address >= DriveMemory::kE2ROMStart && address <= DriveMemory::kE2ROMLast) return 2;
  if (address >= kRAMWriteBegin && address < kAddressEnd) return 0;
  return -1;
}

std::optional<uint16_t> CMemoryWords::ParseHex(const char* text) {
  unsigned short w = 0;
  if (!text || std::sscanf(text, "%hX", &w) != 1) return std::nullopt;
  return uint16_t(w);
}

std::optional<std::string> CMemoryWords::Write(uint16_t address, const char* text) {
  const int space = WriteSpace(address);
  if (space < 0 || !CMC_Comm::IsCommOpen()) return std::nullopt;
  const std::optional<uint16_t> word = ParseHex(text);
  if (!word) return std::nullopt;
  WORD w = *word;
  if (!CMC_Comm::SendData(&w, address, BYTE(space), 1)) return Text(std::nullopt);
  WORD back = 0;
  if (!CMC_Comm::ReceiveData(&back, address, BYTE(space), 1)) return Text(std::nullopt);
  return Text(back);
}

std::string CMemoryWords::Text(std::optional<uint16_t> word) {
  if (!word) return "????";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%.4hX", static_cast<unsigned short>(*word));
  return buf;
}
